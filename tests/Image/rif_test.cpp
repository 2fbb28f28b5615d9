// The library's own RIF format and its run-length coder.
#include "LIBS/Image/ImageLoader.h"
#include "LIBS/Image/imgImage.h"
#include "tests/Image/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ImageRif, HeaderOfSmallBgrImage)
{
    TempDir dir;
    imgImage img(2, 2, FMT_BGR_888);
    for (uint32_t i = 0; i < img.imageSize; ++i)
        img.pixels[i] = uint8_t(i);
    ASSERT_EQ(img.save(dir.file("a.rif").c_str()), 1);
    const auto bytes = readFile(dir.file("a.rif"));
    const std::vector<uint8_t> head = {0x52, 0x49, 0x46, 0x31, 2, 0, 2, 0, 3, 0x71, 12, 0, 0, 0};
    ASSERT_EQ(bytes.size(), 14u + 12);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 14), head);
    EXPECT_EQ(std::memcmp(bytes.data() + 14, img.pixels, 12), 0);
}

// Every format round trips with its origin, raw and coded, palettes included.
TEST(ImageRif, RoundTripsEveryFormatRawAndCoded)
{
    TempDir dir;
    const int w = 9, h = 4;
    auto words = testPicture(w, h, true);
    for (int i = 0; i < 5; ++i)
        words[i] = words[0]; // a run for the coder
    const int formats[] = {FMT_RGB_332,        FMT_P_8,       FMT_A_8,       FMT_I_8,
                           FMT_AI_44,          FMT_YIQ_422,   FMT_RGB_565,   FMT_ARGB_1555,
                           FMT_RGBA_5551,      FMT_ARGB_4444, FMT_ARGB_8332, FMT_AYIQ_8422,
                           FMT_AP_88,          FMT_AI_88,     FMT_RGB_888,   FMT_BGR_888,
                           FMT_BGR_888_PADDED, FMT_BGRA_8888, FMT_ARGB_8888};
    for (int f : formats)
        for (int coded : {0, 1}) {
            SCOPED_TRACE(std::string(imgFormatName(f)) + (coded ? " coded" : " raw"));
            imgImage img;
            fillBGRA(img, words, w, h);
            ASSERT_EQ(img.convertTo(f, ORIGIN_BOTTOM_RIGHT), 1);
            if (img.palette)
                for (int i = 0; i < 256; ++i)
                    img.palette[i] = uint32_t(i) << 16 | uint32_t(i * 3 & 0xFF) << 8 | uint32_t(255 - i);
            const std::string path = dir.file("r.rif");
            ASSERT_EQ(img.save(path.c_str(), coded), 1);
            imgImage back;
            ASSERT_EQ(back.load(path.c_str()), 1);
            EXPECT_EQ(back.format, f);
            EXPECT_EQ(back.origin, ORIGIN_BOTTOM_RIGHT);
            ASSERT_EQ(back.imageSize, img.imageSize);
            EXPECT_EQ(std::memcmp(back.pixels, img.pixels, img.imageSize), 0);
            if (img.palette) {
                ASSERT_NE(back.palette, nullptr);
                EXPECT_EQ(std::memcmp(back.palette, img.palette, 1024), 0);
                EXPECT_EQ(readFile(path)[9] & 0x80, coded ? 0x80 : 0);
            }
        }
}

TEST(ImageRif, RunLengthCoder)
{
    std::vector<uint8_t> equal(200 * 3, 7), out(2 * 600 + 3);
    ASSERT_EQ(imgRunLengthCode(equal.data(), equal.size(), 3, out.data()), 8u);
    EXPECT_EQ(out[0], 0x80 | 126);
    EXPECT_EQ(out[4], 0x80 | 72);

    const std::vector<uint8_t> mixed = {1, 2, 3, 3, 3, 4, 5, 5, 6};
    std::vector<uint8_t> coded(mixed.size() * 2 + 1), back(mixed.size());
    const size_t n = imgRunLengthCode(mixed.data(), mixed.size(), 1, coded.data());
    EXPECT_EQ(imgRunLengthDecode(coded.data(), n, 1, back.data(), back.size()), mixed.size());
    EXPECT_EQ(back, mixed);
    // Decoding stops at the end of the target even when packets go on.
    std::vector<uint8_t> small(4);
    EXPECT_EQ(imgRunLengthDecode(out.data(), 8, 3, small.data(), small.size()), 3u);
}

// The stored grouping: a run is two or more equal pixels at the packet's start, otherwise a
// literal goes on while each pixel differs from the one before it. RIF, TGA and RAW share it.
TEST(ImageRif, RunLengthGroupingInEveryWriter)
{
    struct Row
    {
        const char* name;
        std::vector<uint8_t> pixels, coded;
    };
    std::vector<Row> rows = {
        {"all literals", {1, 2, 3, 4}, {0x03, 1, 2, 3, 4}},
        {"all repeats", {5, 5, 5, 5}, {0x83, 5}},
        {"runs of two", {1, 1, 2, 2}, {0x81, 1, 0x81, 2}},
        {"literal then run", {1, 2, 3, 3, 3}, {0x02, 1, 2, 3, 0x81, 3}},
        {"pair inside literals", {1, 2, 2, 3}, {0x01, 1, 2, 0x01, 2, 3}},
        {"single pixel", {9}, {0x00, 9}},
        {"128 equal", std::vector<uint8_t>(128, 7), {0xFE, 7, 0x00, 7}},
        {"129 equal", std::vector<uint8_t>(129, 7), {0xFE, 7, 0x81, 7}},
    };
    Row literals{"127 different", {}, {0x7D}};
    for (int i = 0; i < 127; ++i)
        literals.pixels.push_back(uint8_t(i));
    for (int i = 0; i < 126; ++i)
        literals.coded.push_back(uint8_t(i));
    literals.coded.insert(literals.coded.end(), {0x00, 126});
    rows.push_back(literals);

    TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const int w = int(row.pixels.size());
        std::vector<uint8_t> out(row.pixels.size() * 2 + 1);
        out.resize(imgRunLengthCode(row.pixels.data(), row.pixels.size(), 1, out.data()));
        EXPECT_EQ(out, row.coded);

        imgImage alpha(w, 1, FMT_A_8), indexed(w, 1, FMT_P_8);
        std::memcpy(alpha.pixels, row.pixels.data(), row.pixels.size());
        std::memcpy(indexed.pixels, row.pixels.data(), row.pixels.size());
        ASSERT_EQ(alpha.save(dir.file("row.rif").c_str(), 1), 1);
        ASSERT_EQ(indexed.save(dir.file("row.tga").c_str(), 1), 1);
        ASSERT_EQ(alpha.save(dir.file("row.raw").c_str(), 1), 1);
        const auto rif = readFile(dir.file("row.rif"));
        const auto tga = readFile(dir.file("row.tga"));
        EXPECT_EQ(std::vector<uint8_t>(rif.begin() + 14, rif.end()), row.coded);
        EXPECT_EQ(rif[10] | rif[11] << 8, int(row.coded.size()));
        EXPECT_EQ(std::vector<uint8_t>(tga.begin() + 18 + 768, tga.end()), row.coded);
        EXPECT_EQ(readFile(dir.file("row.raw")), row.coded);
        // 24-bit pixels group the same way, three bytes to the unit.
        std::vector<uint8_t> wide;
        for (uint8_t p : row.pixels)
            wide.insert(wide.end(), {p, uint8_t(p + 1), 0x40});
        std::vector<uint8_t> wideOut(wide.size() * 2 + 3);
        wideOut.resize(imgRunLengthCode(wide.data(), wide.size(), 3, wideOut.data()));
        size_t headers = 0;
        for (size_t i = 0; i < row.coded.size(); ++i, ++headers)
            i += (row.coded[i] & 0x80) ? 1 : (row.coded[i] & 0x7F) + 1;
        EXPECT_EQ(wideOut.size(), headers + (row.coded.size() - headers) * 3);

        imgImage rifBack, tgaBack;
        ASSERT_EQ(rifBack.load(dir.file("row.rif").c_str()), 1);
        ASSERT_EQ(tgaBack.load(dir.file("row.tga").c_str()), 1);
        EXPECT_EQ(std::memcmp(rifBack.pixels, row.pixels.data(), row.pixels.size()), 0);
        EXPECT_EQ(std::memcmp(tgaBack.pixels, row.pixels.data(), row.pixels.size()), 0);
    }
}

// Files coded with the tighter grouping (a literal ending before a pair) still read.
TEST(ImageRif, EarlierGroupingStillLoads)
{
    TempDir dir;
    const std::vector<uint8_t> pixels = {1, 2, 3, 3, 3}, older = {0x01, 1, 2, 0x82, 3};
    imgImage alpha(5, 1, FMT_A_8), indexed(5, 1, FMT_P_8);
    ASSERT_EQ(alpha.save(dir.file("old.rif").c_str(), 1), 1);
    ASSERT_EQ(indexed.save(dir.file("old.tga").c_str(), 1), 1);
    auto rif = readFile(dir.file("old.rif"));
    auto tga = readFile(dir.file("old.tga"));
    rif.resize(14);
    rif.insert(rif.end(), older.begin(), older.end());
    rif[10] = uint8_t(older.size());
    tga.resize(18 + 768);
    tga.insert(tga.end(), older.begin(), older.end());
    for (auto* bytes : {&rif, &tga}) {
        imgImage back;
        ASSERT_EQ(back.loadMemory(bytes->data(), bytes->size()), 1);
        ASSERT_EQ(back.imageSize, 5u);
        EXPECT_EQ(std::vector<uint8_t>(back.pixels, back.pixels + 5), pixels);
    }
}

TEST(ImageRif, ProbeAndDamagedFiles)
{
    TempDir dir;
    imgImage img(4, 4, FMT_BGRA_8888);
    std::memset(img.pixels, 0x5A, img.imageSize);
    const std::string path = dir.file("x.rif");
    ASSERT_EQ(img.save(path.c_str(), 1), 1);
    auto bytes = readFile(path);

    // Only "RIF" is compared.
    bytes[3] = '2';
    imgImage a;
    EXPECT_EQ(a.loadMemory(bytes.data(), bytes.size()), 1);
    EXPECT_EQ(a.format, FMT_BGRA_8888);

    LogCapture log;
    auto bad = bytes;
    bad[9] = uint8_t((bad[9] & 0xE0) | 20);
    imgHeader header;
    imgSource src{nullptr, 0, bad.data(), bad.size()};
    EXPECT_EQ(ImageLoader::probe(src, IMG_TYPE_RIF, header), IMG_PROBE_REJECT);
    imgImage b;
    EXPECT_EQ(b.loadMemory(bad.data(), bad.size()), 0);

    // Cut short, raw or coded, and a lying data size: refused, never read past the end.
    for (size_t cut : {size_t(10), size_t(14), bytes.size() - 1}) {
        imgImage c;
        EXPECT_EQ(c.loadMemory(bytes.data(), cut), 0) << cut;
    }
    imgImage raw(4, 4, FMT_BGRA_8888);
    std::memset(raw.pixels, 1, raw.imageSize);
    raw.save(path.c_str(), 0);
    auto rawBytes = readFile(path);
    rawBytes[10] = 0xFF;
    rawBytes[11] = 0xFF;
    imgImage d;
    EXPECT_EQ(d.loadMemory(rawBytes.data(), rawBytes.size()), 1);
    rawBytes.resize(rawBytes.size() - 5);
    EXPECT_EQ(d.loadMemory(rawBytes.data(), rawBytes.size()), 0);
    EXPECT_EQ(log.count("IMAGE NOT LOADED."), 3);
    EXPECT_GE(log.count("unknown imageformat!"), 2);
}

} // namespace
