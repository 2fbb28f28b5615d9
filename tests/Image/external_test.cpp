// Files written by other programs (ImageMagick, ffmpeg, libtiff's tools)
// load with the right pixels and the right way up.
#include "LIBS/Image/ImageLoader.h"
#include "LIBS/Image/imgBytes.h"
#include "LIBS/Image/imgImage.h"
#include "tests/Image/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

const int kW = 13, kH = 7;

// Runs of four equal pixels, so that coded files really code something; no
// two runs are alike, so the picture shows any flip.
std::vector<uint32_t> picture(bool alpha)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const int run = x / 4;
            const uint32_t r = uint32_t(run * 60 + y * 3), g = uint32_t(y * 37),
                           b = uint32_t((run * 7 + y * 29) & 0xFF);
            const uint32_t a = alpha ? uint32_t(255 - y * 20 - run) : 0xFF;
            out.push_back(a << 24 | r << 16 | g << 8 | b);
        }
    return out;
}

void writePortable(const std::string& path, const std::vector<uint32_t>& words, bool alpha)
{
    std::string head = alpha ? "P7\nWIDTH " + std::to_string(kW) + "\nHEIGHT " + std::to_string(kH) +
                                   "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                             : "P6\n" + std::to_string(kW) + " " + std::to_string(kH) + "\n255\n";
    std::vector<uint8_t> bytes(head.begin(), head.end());
    for (uint32_t w : words) {
        bytes.push_back(uint8_t(w >> 16));
        bytes.push_back(uint8_t(w >> 8));
        bytes.push_back(uint8_t(w));
        if (alpha)
            bytes.push_back(uint8_t(w >> 24));
    }
    writeFile(path, bytes);
}

bool run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

struct External
{
    const char* file;
    const char* command; // %I input picture, %O output file
    bool alpha;
    int format;
    int fileByte; // offset of a header byte to check, -1 none
    int fileValue;
};

std::string fill(std::string text, const std::string& in, const std::string& out)
{
    for (auto [key, value] : {std::pair<std::string, std::string>{"%I", in}, {"%O", out}}) {
        for (size_t p; (p = text.find(key)) != std::string::npos;)
            text.replace(p, 2, value);
    }
    return text;
}

class ExternalFiles : public ::testing::TestWithParam<External>
{
};

TEST_P(ExternalFiles, LoadRightWayUp)
{
    const External& c = GetParam();
    TempDir dir;
    const auto words = picture(c.alpha);
    const std::string in = dir.file(c.alpha ? "in.pam" : "in.ppm"), out = dir.file(c.file);
    writePortable(in, words, c.alpha);
    // ffmpeg takes the raw pixels.
    std::vector<uint8_t> raw;
    for (uint32_t w : words) {
        for (int s : {16, 8, 0})
            raw.push_back(uint8_t(w >> s));
        if (c.alpha)
            raw.push_back(uint8_t(w >> 24));
    }
    writeFile(dir.file("in.raw"), raw);
    std::string command = fill(c.command, in, out);
    for (size_t p; (p = command.find("%R")) != std::string::npos;)
        command.replace(p, 2, dir.file("in.raw"));
    for (size_t p; (p = command.find("%T")) != std::string::npos;)
        command.replace(p, 2, dir.file("base.tif"));
    if (!run(command)) {
        GTEST_SKIP() << "cannot run: " << command;
    }
    const auto bytes = readFile(out);
    if (c.fileByte >= 0) {
        ASSERT_EQ(bytes.at(size_t(c.fileByte)), c.fileValue) << "the tool did not write the expected variant";
    }

    imgImage img;
    ASSERT_EQ(img.load(out.c_str()), 1);
    EXPECT_EQ(img.format, c.format);
    ASSERT_EQ(img.width, kW);
    ASSERT_EQ(img.height, kH);
    EXPECT_EQ(wordsOf(img), words);
    // The same file from memory, found by probing (PCX has no probe).
    if (!std::strstr(c.file, ".pcx")) {
        imgImage mem;
        ASSERT_EQ(mem.loadMemory(bytes.data(), bytes.size()), 1);
        EXPECT_EQ(wordsOf(mem), words);
    }
}

const External kExternal[] = {
    {"b24.bmp", "convert %I BMP3:%O", false, FMT_RGB_888, 28, 24},
    {"b8.bmp", "convert %I -type palette -compress none BMP3:%O", false, FMT_P_8, 30, 0},
    {"b8rle.bmp", "convert %I -type palette -compress RLE BMP3:%O", false, FMT_P_8, 30, 1},
    {"b32.bmp", "convert %I -define bmp3:alpha=true BMP3:%O", true, FMT_BGRA_8888, 28, 32},
    // ImageMagick's own default: the 124-byte information header.
    {"v24.bmp", "convert %I %O", false, FMT_RGB_888, 14, 124},
    {"v8.bmp", "convert %I -type palette %O", false, FMT_P_8, 14, 124},
    {"v32.bmp", "convert %I %O", true, FMT_BGRA_8888, 30, 3},
    // The 12-byte core header with its three-byte palette entries.
    {"c24.bmp", "convert %I -type truecolor BMP2:%O", false, FMT_RGB_888, 14, 12},
    {"c8.bmp", "convert %I -type palette BMP2:%O", false, FMT_P_8, 14, 12},
    {"p24.pcx", "convert %I %O", false, FMT_RGB_888, 65, 3},
    {"p8.pcx", "convert %I -type palette %O", false, FMT_P_8, 65, 1},
    {"g.gif", "convert %I %O", false, FMT_P_8, -1, 0},
    {"gi.gif", "convert %I -interlace GIF %O", false, FMT_P_8, -1, 0},
    {"t.tga", "ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -s 13x7 -i %R -rle 0 %O", false, FMT_RGB_888, 2,
     2},
    {"tr.tga", "ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -s 13x7 -i %R -rle 1 %O", false, FMT_RGB_888, 2,
     10},
    {"ta.tga", "ffmpeg -v error -y -f rawvideo -pix_fmt rgba -s 13x7 -i %R -pix_fmt bgra -rle 1 %O", true,
     FMT_BGRA_8888, 2, 10},
    {"tl.tif", "convert %I -compress none %T && tiffcp -c lzw %T %O", false, FMT_BGR_888, -1, 0},
    {"tlp.tif", "convert %I -compress none %T && tiffcp -c lzw:2 %T %O", false, FMT_BGR_888, -1, 0},
    {"tp.tif", "convert %I -compress none %T && tiffcp -c packbits %T %O", false, FMT_BGR_888, -1, 0},
};

INSTANTIATE_TEST_SUITE_P(Tools, ExternalFiles, ::testing::ValuesIn(kExternal),
                         [](const ::testing::TestParamInfo<External>& info) {
                             std::string n = info.param.file;
                             for (char& ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return n;
                         });

} // namespace

namespace {

// Pictures whose colours the writing program chooses itself: compared with
// ImageMagick's own reading of the same file.
TEST(ExternalFilesDecoded, MatchImageMagicksReading)
{
    struct Case
    {
        const char* file;
        const char* command;
        int format;
    } cases[] = {
        {"b4.bmp", "convert %I -colors 16 -type palette BMP3:%O", FMT_P_8},
        {"b1.bmp", "convert %I -monochrome BMP3:%O", FMT_P_8},
        {"v565.bmp", "convert %I -define bmp:subtype=RGB565 %O", FMT_RGB_888},
        {"v555.bmp", "convert %I -define bmp:subtype=RGB555 %O", FMT_RGB_888},
        {"g.tga", "ffmpeg -v error -y -f rawvideo -pix_fmt rgb24 -s 13x7 -i %R -pix_fmt gray %O", FMT_P_8},
    };
    TempDir dir;
    const auto words = picture(false);
    writePortable(dir.file("in.ppm"), words, false);
    std::vector<uint8_t> raw;
    for (uint32_t w : words)
        for (int s : {16, 8, 0})
            raw.push_back(uint8_t(w >> s));
    writeFile(dir.file("in.raw"), raw);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string out = dir.file(c.file);
        std::string command = fill(c.command, dir.file("in.ppm"), out);
        for (size_t p; (p = command.find("%R")) != std::string::npos;)
            command.replace(p, 2, dir.file("in.raw"));
        if (!run(command) || !run("convert '" + out + "' -depth 8 rgb:'" + out + ".rgb'")) {
            GTEST_SKIP() << "cannot run: " << command;
        }
        const auto theirs = readFile(out + ".rgb");
        imgImage img;
        ASSERT_EQ(img.load(out.c_str()), 1);
        EXPECT_EQ(img.format, c.format);
        const auto ours = wordsOf(img);
        ASSERT_EQ(theirs.size(), ours.size() * 3);
        for (size_t i = 0; i < ours.size(); ++i)
            ASSERT_EQ(ours[i], 0xFF000000u | uint32_t(theirs[i * 3]) << 16 |
                                   uint32_t(theirs[i * 3 + 1]) << 8 | theirs[i * 3 + 2])
                << "pixel " << i;
    }
}

} // namespace

namespace {

// The files this library writes open in other programs with the same pixels.
TEST(ExternalFilesWritten, OtherProgramsReadOurFiles)
{
    struct Case
    {
        const char* file;
        int format;
        int origin;
        int option;
        bool alpha;
    } cases[] = {
        {"w.bmp", FMT_BGRA_8888, ORIGIN_TOP_LEFT, 0, false},
        {"w.tga", FMT_RGB_888, ORIGIN_BOTTOM_LEFT, 0, false},
        {"wr.tga", FMT_BGR_888, ORIGIN_TOP_LEFT, 1, false},
        {"wa.tga", FMT_BGRA_8888, ORIGIN_TOP_LEFT, 1, true},
        {"wp.tga", FMT_P_8, ORIGIN_TOP_LEFT, 0, false},
        {"w.tif", FMT_BGR_888, ORIGIN_TOP_LEFT, 0, false},
        {"wl.tif", FMT_RGB_888, ORIGIN_TOP_LEFT, 3, false},
        {"wp.tif", FMT_BGR_888, ORIGIN_TOP_LEFT, 4, false},
    };
    TempDir dir;
    const auto words = picture(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        imgImage img;
        fillBGRA(img, words, kW, kH);
        ASSERT_EQ(img.convertTo(c.format, c.origin), 1);
        const std::string out = dir.file(c.file);
        ASSERT_EQ(img.save(out.c_str(), c.option), 1);
        // ImageMagick 6 reads bottom-up targa files upside down: ffmpeg reads those.
        const std::string decode =
            std::strstr(c.file, ".tga")
                ? "ffmpeg -v error -y -i '" + out + "' -f rawvideo -pix_fmt rgba '" + out + ".rgba'"
                : "convert '" + out + "' -depth 8 rgba:'" + out + ".rgba'";
        if (!run(decode)) {
            GTEST_SKIP() << "cannot run: " << decode;
        }
        const auto theirs = readFile(out + ".rgba");
        const auto ours = wordsOf(img);
        ASSERT_EQ(theirs.size(), ours.size() * 4);
        for (size_t i = 0; i < ours.size(); ++i) {
            const uint32_t w = ours[i];
            const uint32_t expected = (c.alpha ? w : (w | 0xFF000000u));
            const uint32_t got = uint32_t(theirs[i * 4 + 3]) << 24 | uint32_t(theirs[i * 4]) << 16 |
                                 uint32_t(theirs[i * 4 + 1]) << 8 | theirs[i * 4 + 2];
            ASSERT_EQ(got, expected) << "pixel " << i;
        }
    }
}

} // namespace

namespace {

// The 108-, 56- and 52-byte versions of the header, cut from ImageMagick's
// 124-byte one: the pixels are found at the file's data offset.
TEST(ExternalFilesDecoded, ShorterVersionHeaders)
{
    TempDir dir;
    for (bool alpha : {false, true}) {
        const auto words = picture(alpha);
        const std::string in = dir.file(alpha ? "in.pam" : "in.ppm"), out = dir.file("v.bmp");
        writePortable(in, words, alpha);
        if (!run("convert '" + in + "' '" + out + "'")) {
            GTEST_SKIP() << "cannot run convert";
        }
        const auto full = readFile(out);
        ASSERT_EQ(full.at(14), 124);
        for (uint32_t size : {108u, 56u, 52u}) {
            SCOPED_TRACE(std::to_string(size) + (alpha ? " with alpha" : ""));
            std::vector<uint8_t> bytes(full.begin(), full.begin() + 14 + size);
            bytes.insert(bytes.end(), full.begin() + 14 + 124, full.end());
            auto put32 = [&](size_t at, uint32_t v) {
                for (int i = 0; i < 4; ++i)
                    bytes[at + i] = uint8_t(v >> (8 * i));
            };
            const uint32_t cut = 124 - size;
            put32(2, uint32_t(bytes.size()));
            put32(10, imgBytes::getLE32(&full[10]) - cut);
            put32(14, size);
            imgImage img;
            ASSERT_EQ(img.loadMemory(bytes.data(), bytes.size()), 1);
            EXPECT_EQ(img.format, alpha ? FMT_BGRA_8888 : FMT_RGB_888);
            EXPECT_EQ(wordsOf(img), words);
        }
    }
}

} // namespace
