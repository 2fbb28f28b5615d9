// Loading and saving by file type: BMP, TGA and TIFF round trips, the type
// dispatch, and refusals of damaged files and failed saves.
#include "LIBS/Image/ImageLoader.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/sStream.h"
#include "tests/Image/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tiffio.h>

namespace {

struct RoundTrip
{
    const char* file;
    int format;
    int origin;
    int option;
    int loadedFormat; // 0: the saved format
    bool keepsAlpha;
};

// Save, load, compare pixels and orientation.
TEST(ImageFiles, RoundTrips)
{
    const RoundTrip cases[] = {
        {"a.bmp", FMT_BGR_888, ORIGIN_TOP_LEFT, 0, FMT_RGB_888, false},
        {"b.bmp", FMT_BGRA_8888, ORIGIN_BOTTOM_RIGHT, 1, FMT_RGB_888, false},
        {"c.bmp", FMT_RGB_565, ORIGIN_BOTTOM_LEFT, 0, FMT_RGB_888, false},
        {"a.tga", FMT_RGB_888, ORIGIN_TOP_LEFT, 0, 0, false},
        {"b.tga", FMT_BGR_888, ORIGIN_BOTTOM_LEFT, 1, FMT_RGB_888, false},
        {"c.tga", FMT_BGRA_8888, ORIGIN_TOP_RIGHT, 1, 0, true},
        {"d.tga", FMT_ARGB_8888, ORIGIN_BOTTOM_RIGHT, 0, FMT_BGRA_8888, true},
        {"e.tga", FMT_P_8, ORIGIN_TOP_LEFT, 1, 0, false},
        {"a.tif", FMT_RGB_888, ORIGIN_TOP_LEFT, 0, FMT_BGR_888, false},
        {"b.tif", FMT_BGR_888, ORIGIN_BOTTOM_LEFT, 3, 0, false},
        {"c.tif", FMT_BGRA_8888, ORIGIN_TOP_LEFT, 3, 0, true},
        {"d.tif", FMT_ARGB_8888, ORIGIN_TOP_RIGHT, 4, FMT_BGRA_8888, true},
        {"e.tif", FMT_BGRA_8888, ORIGIN_BOTTOM_RIGHT, 0, 0, true},
    };
    TempDir dir;
    const int w = 13, h = 7;
    const auto words = testPicture(w, h, true);
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.file);
        imgImage img;
        fillBGRA(img, words, w, h);
        ASSERT_EQ(img.convertTo(c.format, c.origin), 1);
        const auto expected = c.keepsAlpha ? wordsOf(img) : opaque(wordsOf(img));
        ASSERT_EQ(img.save(dir.file(c.file).c_str(), c.option), 1);
        imgImage back;
        ASSERT_EQ(back.load(dir.file(c.file).c_str()), 1);
        EXPECT_EQ(back.format, c.loadedFormat ? c.loadedFormat : c.format);
        EXPECT_EQ(back.width, w);
        EXPECT_EQ(back.height, h);
        const auto got = wordsOf(back);
        if (std::strstr(c.file, ".tif") && c.keepsAlpha) {
            // The file keeps straight alpha; the reader's premultiplied
            // raster is undone, which can be off by a step at low alpha.
            for (size_t i = 0; i < got.size(); ++i) {
                ASSERT_EQ(got[i] >> 24, expected[i] >> 24);
                const int a = int(expected[i] >> 24), tolerance = a ? 255 / a + 1 : 255;
                for (int s : {0, 8, 16})
                    ASSERT_NEAR(int(got[i] >> s & 0xFF), int(expected[i] >> s & 0xFF), tolerance) << i;
            }
        } else {
            EXPECT_EQ(got, expected);
        }
    }
}

TEST(ImageFiles, BmpLinesArePaddedAndSizesRight)
{
    TempDir dir;
    imgImage img;
    fillBGRA(img, testPicture(5, 3, false), 5, 3);
    ASSERT_EQ(img.save(dir.file("p.bmp").c_str()), 1);
    const auto bytes = readFile(dir.file("p.bmp"));
    ASSERT_EQ(bytes.size(), 54u + 16 * 3);
    auto le32 = [&](size_t o) {
        return uint32_t(bytes[o]) | uint32_t(bytes[o + 1]) << 8 | uint32_t(bytes[o + 2]) << 16 |
               uint32_t(bytes[o + 3]) << 24;
    };
    EXPECT_EQ(le32(2), bytes.size());
    EXPECT_EQ(le32(10), 54u);
    EXPECT_EQ(le32(34), 48u);
    EXPECT_EQ(bytes[28], 24);
}

TEST(ImageFiles, TiffTagsOfTheWriter)
{
    TempDir dir;
    imgImage img;
    fillBGRA(img, testPicture(6, 4, true), 6, 4);
    img.setOrigin(ORIGIN_BOTTOM_LEFT);
    ASSERT_EQ(img.save(dir.file("t.tif").c_str(), 3), 1);
    TIFF* tif = TIFFOpen(dir.file("t.tif").c_str(), "r");
    ASSERT_NE(tif, nullptr);
    uint16_t compression = 0, predictor = 0, orientation = 0, samples = 0;
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tif, TIFFTAG_PREDICTOR, &predictor);
    TIFFGetField(tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFClose(tif);
    EXPECT_EQ(compression, COMPRESSION_LZW);
    EXPECT_EQ(predictor, 2);
    EXPECT_EQ(orientation, ORIENTATION_BOTLEFT);
    EXPECT_EQ(samples, 4);
    imgImage back;
    ASSERT_EQ(back.load(dir.file("t.tif").c_str()), 1);
    EXPECT_EQ(back.origin, ORIGIN_BOTTOM_LEFT);
}

TEST(ImageFiles, GreyTiffLoadsAsThirtyTwoBits)
{
    TempDir dir;
    const std::string path = dir.file("g.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 3u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 2u);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISBLACK));
    TIFFSetField(tif, TIFFTAG_ORIENTATION, uint16_t(ORIENTATION_TOPLEFT));
    uint8_t rows[2][3] = {{0, 100, 200}, {10, 20, 30}};
    TIFFWriteScanline(tif, rows[0], 0, 0);
    TIFFWriteScanline(tif, rows[1], 1, 0);
    TIFFClose(tif);
    imgImage img;
    ASSERT_EQ(img.load(path.c_str()), 1);
    EXPECT_EQ(img.format, FMT_BGRA_8888);
    EXPECT_EQ(wordsOf(img), (std::vector<uint32_t>{0xFF000000, 0xFF646464, 0xFFC8C8C8, 0xFF0A0A0A, 0xFF141414,
                                                   0xFF1E1E1E}));
}

TEST(ImageFiles, DispatchByExtensionThenProbing)
{
    TempDir dir;
    imgImage img;
    fillBGRA(img, testPicture(4, 3, false), 4, 3);
    ASSERT_EQ(img.save(dir.file("UP.BMP").c_str()), 1);
    imgImage upper;
    ASSERT_EQ(upper.load(dir.file("UP.BMP").c_str()), 1);
    EXPECT_EQ(upper.loaderType, IMG_TYPE_BMP);

    // A bitmap under a TGA name fails as TGA and is then found by probing.
    std::filesystem::copy_file(dir.file("UP.BMP"), dir.file("wrong.tga"));
    imgImage wrong;
    ASSERT_EQ(wrong.load(dir.file("wrong.tga").c_str()), 1);
    EXPECT_EQ(wrong.loaderType, IMG_TYPE_BMP);
    EXPECT_EQ(wordsOf(wrong), wordsOf(upper));

    // Memory images are probed.
    const auto bytes = readFile(dir.file("UP.BMP"));
    imgImage mem;
    ASSERT_EQ(mem.loadMemory(bytes.data(), bytes.size()), 1);
    EXPECT_EQ(mem.loaderType, IMG_TYPE_BMP);

    // No JPEG decoder: a JPEG load fails instead of handing out unfilled pixels.
    writeFile(dir.file("photo.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0});
    imgImage jpeg;
    EXPECT_EQ(jpeg.load(dir.file("photo.jpg").c_str()), 0);

    imgImage missing;
    EXPECT_EQ(missing.load(dir.file("nothing.bmp").c_str()), 0);
    EXPECT_EQ(missing.load(nullptr), 0);
}

// Bitmaps whose pixels are given by channel masks: a 124-byte header with
// red in the low byte, the 40-byte header's plain 16-bit 5-5-5 pixels, and
// masks that a 16-bit pixel cannot hold.
TEST(ImageFiles, BmpChannelMasks)
{
    auto bitmap = [](uint32_t infoSize, uint16_t bits, uint32_t compression,
                     const std::vector<uint32_t>& masks, const std::vector<uint8_t>& pixels) {
        std::vector<uint8_t> b(14 + infoSize, 0);
        auto put = [&](size_t at, uint32_t v, int n) {
            for (int i = 0; i < n; ++i)
                b[at + i] = uint8_t(v >> (8 * i));
        };
        b[0] = 'B';
        b[1] = 'M';
        put(14, infoSize, 4);
        put(18, 2, 4);  // width
        put(22, -1, 4); // height: one line, top down
        put(26, 1, 2);
        put(28, bits, 2);
        put(30, compression, 4);
        for (size_t i = 0; i < masks.size(); ++i)
            put(54 + 4 * i, masks[i], 4);
        put(10, uint32_t(b.size()), 4);
        b.insert(b.end(), pixels.begin(), pixels.end());
        put(2, uint32_t(b.size()), 4);
        return b;
    };
    struct Case
    {
        const char* what;
        std::vector<uint8_t> file;
        int format;
        std::vector<uint32_t> words;
    } cases[] = {
        {"rgba bytes",
         bitmap(124, 32, 3, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, {1, 2, 3, 4, 5, 6, 7, 8}),
         FMT_BGRA_8888,
         {0x04010203u, 0x08050607u}},
        {"no alpha mask",
         bitmap(124, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0}, {1, 2, 3, 4, 5, 6, 7, 8}),
         FMT_BGRA_8888,
         {0xFF030201u, 0xFF070605u}},
        {"5-5-5", bitmap(40, 16, 0, {}, {0x1F, 0x00, 0xE0, 0x7F}), FMT_RGB_888, {0xFF0000FFu, 0xFFFFFF00u}},
        {"4-4-4-4",
         bitmap(56, 16, 3, {0xF00, 0xF0, 0xF, 0xF000}, {0x21, 0x43, 0xFF, 0x0F}),
         FMT_BGRA_8888,
         {0x44332211u, 0x00FFFFFFu}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        imgImage img;
        ASSERT_EQ(img.loadMemory(c.file.data(), c.file.size()), 1);
        EXPECT_EQ(img.format, c.format);
        EXPECT_EQ(wordsOf(img), c.words);
    }
    const auto tooWide = bitmap(56, 16, 3, {0xF0000, 0xF0, 0xF, 0}, {0, 0, 0, 0});
    const auto noMasks = bitmap(40, 32, 3, {}, {1, 2, 3, 4, 5, 6, 7, 8});
    for (const auto* bad : {&tooWide, &noMasks}) {
        imgImage img;
        EXPECT_EQ(img.loadMemory(bad->data(), bad->size()), 0);
    }
}

// A core-header bitmap whose palette is shorter than its depth allows: the
// data offset tells where the palette ends.
TEST(ImageFiles, BmpCoreHeaderWithShortPalette)
{
    std::vector<uint8_t> b = {'B', 'M', 0,   0, 0,   0, 0, 0, 0, 0, 32, 0, 0, 0, // file header
                              12,  0,   0,   0, 3,   0, 1, 0, 1, 0, 8,  0,       // 3 x 1, 8 bits
                              0,   0,   255, 0, 255, 0};                         // red, green
    b.insert(b.end(), {1, 0, 1, 0});
    b[2] = uint8_t(b.size());
    imgImage img;
    ASSERT_EQ(img.loadMemory(b.data(), b.size()), 1);
    EXPECT_EQ(img.format, FMT_P_8);
    EXPECT_EQ(wordsOf(img), (std::vector<uint32_t>{0xFF00FF00u, 0xFFFF0000u, 0xFF00FF00u}));
}

TEST(ImageFiles, BmpHeadersThatAreRefused)
{
    TempDir dir;
    imgImage img;
    fillBGRA(img, testPicture(4, 3, false), 4, 3);
    ASSERT_EQ(img.save(dir.file("x.bmp").c_str()), 1);
    const auto good = readFile(dir.file("x.bmp"));
    struct Case
    {
        uint32_t infoSize;
        const char* message;
    } cases[] = {{240, "OS/2 2.x bitmap not supportet! loading cancelled"},
                 {20, "unknown bitmap format! loading cancelled"},
                 {100, "unknown bitmap format! loading cancelled"},
                 {70000, "wrong bitmap format ( maybe OS/2 bmp )! loading cancelled"}};
    for (const Case& c : cases) {
        auto bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[14 + i] = uint8_t(c.infoSize >> (8 * i));
        LogCapture log;
        imgImage bad;
        EXPECT_EQ(bad.loadMemory(bytes.data(), bytes.size()), 0);
        EXPECT_GE(log.count(c.message), 1) << c.infoSize;
    }
    // A header that claims more lines than the file holds.
    auto tall = good;
    tall[22] = 0xFF;
    tall[23] = 0x0F;
    imgImage t;
    EXPECT_EQ(t.loadMemory(tall.data(), tall.size()), 0);
    // Cut anywhere: refused, never a read past the data.
    for (size_t cut = 0; cut < good.size(); cut += 7) {
        imgImage c;
        EXPECT_EQ(c.loadMemory(good.data(), cut), 0) << cut;
    }
}

TEST(ImageFiles, SavesThatFail)
{
    TempDir dir;
    imgImage img;
    fillBGRA(img, testPicture(4, 3, false), 4, 3);
    {
        LogCapture log;
        EXPECT_EQ(img.save(dir.file("a.pcx").c_str()), 0);
        EXPECT_EQ(img.save(dir.file("a.gif").c_str()), 0);
        EXPECT_EQ(log.count("unsupportet filetype for save-operation"), 2);
        EXPECT_FALSE(std::filesystem::exists(dir.file("a.pcx")));
        EXPECT_FALSE(std::filesystem::exists(dir.file("a.gif")));
    }
    EXPECT_EQ(img.save(dir.file("noext").c_str()), 0);
    EXPECT_EQ(img.save(dir.file("no/such/folder/a.bmp").c_str()), 0);
    EXPECT_EQ(img.save(dir.file("a.RAW").c_str(), 7), 0);

    imgImage rgb565(2, 2, FMT_RGB_565);
    LogCapture log;
    EXPECT_EQ(rgb565.save(dir.file("c.TGA").c_str()), 0);
    EXPECT_EQ(log.count("invalid imageformat for save operation!"), 1);
    EXPECT_EQ(log.count("save-operation NOT successful"), 1);

    imgImage empty;
    EXPECT_EQ(empty.save(dir.file("e.bmp").c_str()), 0);
}

TEST(ImageFiles, RawWriter)
{
    TempDir dir;
    imgImage img;
    fillBGRA(img, std::vector<uint32_t>(10, 0xFF102030), 10, 1);
    img.convertTo(FMT_BGR_888, ORIGIN_TOP_LEFT);
    ASSERT_EQ(img.save(dir.file("r.raw").c_str(), 1), 1);
    EXPECT_EQ(readFile(dir.file("r.raw")), (std::vector<uint8_t>{0x89, 0x30, 0x20, 0x10}));
    ASSERT_EQ(img.save(dir.file("p.raw").c_str(), 0), 1);
    EXPECT_EQ(readFile(dir.file("p.raw")).size(), 30u);
}

TEST(ImageFiles, SaveThroughStreamAtOffset)
{
    // A TIFF written after other data in the same stream reads back from there.
    TempDir dir;
    imgImage img;
    fillBGRA(img, testPicture(5, 4, false), 5, 4);
    img.convertTo(FMT_RGB_888, ORIGIN_TOP_LEFT);
    {
        sStream out(dir.file("s.bin").c_str(), sStream::Write);
        out.write("HEAD", 4);
        ASSERT_EQ(img.saveType(out, IMG_TYPE_TIFF, 0), 1);
        ASSERT_TRUE(out.close());
    }
    sStream in(dir.file("s.bin").c_str(), sStream::Read);
    char head[4];
    in.read(head, 4);
    imgImage back;
    ASSERT_EQ(back.loadType(in, IMG_TYPE_TIFF), 1);
    EXPECT_EQ(wordsOf(back), wordsOf(img));
}

} // namespace

namespace {

// A stream that takes only so many bytes: every writer reports the short write.
TEST(ImageFiles, WritersReportShortWrites)
{
    imgImage img;
    fillBGRA(img, testPicture(64, 64, true), 64, 64);
    for (int type : {IMG_TYPE_BMP, IMG_TYPE_TGA, IMG_TYPE_RIF, IMG_TYPE_TIFF, IMG_TYPE_RAW})
        for (int option : {0, 1, 3}) {
            if (option == 3 && type != IMG_TYPE_TIFF)
                continue;
            std::vector<uint8_t> small(300);
            sStream stream;
            stream.attachMemory(static_cast<void*>(small.data()), int32_t(small.size()));
            LogCapture log;
            EXPECT_EQ(img.saveType(stream, type, option), 0) << type << " option " << option;
            EXPECT_EQ(log.count("save-operation NOT successful"), 1);
        }
}

} // namespace

namespace {

// A coded bitmap can claim a huge picture in a few bytes: refused by its size
// before anything is allocated.
TEST(ImageFiles, HugeClaimedSizeIsRefused)
{
    std::vector<uint8_t> bmp(54 + 1024 + 4, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[10] = 0x36;
    bmp[11] = 0x04;
    bmp[14] = 40;
    bmp[18] = bmp[19] = 0xFF; // 65535 x 65535
    bmp[22] = bmp[23] = 0xFF;
    bmp[26] = 1;
    bmp[28] = 8;
    bmp[30] = 1;            // run-length coded
    bmp[54 + 1024 + 1] = 1; // end of bitmap
    LogCapture log;
    imgImage img;
    EXPECT_EQ(img.loadMemory(bmp.data(), bmp.size()), 0);
    EXPECT_EQ(log.count("too large"), 1);
    EXPECT_EQ(log.count("NO MEM"), 0);
}

// A small picture whose frame claims 65535 x 65534 pixels is refused before
// room for the frame is taken.
TEST(ImageFiles, GifFrameFarLargerThanThePictureIsRefused)
{
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8',  '9',  'a',  6,    0, 4, 0, 0,    0,    0, ',', 0,
                                0,   0,   0,   0xFF, 0xFF, 0xFE, 0xFF, 0, 2, 2, 0x4C, 0x01, 0, ';'};
    LogCapture log;
    imgImage img;
    EXPECT_EQ(img.loadMemory(gif.data(), gif.size()), 0);
    EXPECT_EQ(log.count("gif frame larger than the picture! loading cancelled"), 1);
}

} // namespace
