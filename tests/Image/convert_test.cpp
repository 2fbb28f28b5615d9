// Pixel formats, conversion between them, dithering and palette mapping.
#include "LIBS/Image/imgImage.h"
#include "LIBS/Image/imgQuantize.h"
#include "tests/Image/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const int kAllFormats[] = {FMT_RGB_332,        FMT_P_8,       FMT_A_8,       FMT_I_8,
                           FMT_AI_44,          FMT_YIQ_422,   FMT_RGB_565,   FMT_ARGB_1555,
                           FMT_RGBA_5551,      FMT_ARGB_4444, FMT_ARGB_8332, FMT_AYIQ_8422,
                           FMT_AP_88,          FMT_AI_88,     FMT_RGB_888,   FMT_BGR_888,
                           FMT_BGR_888_PADDED, FMT_BGRA_8888, FMT_ARGB_8888};

TEST(ImageFormat, LineSizesAndBuffers)
{
    imgImage padded(3, 2, FMT_BGR_888_PADDED);
    EXPECT_EQ(padded.bytesPerLine, 12);
    EXPECT_EQ(padded.imageSize, 24u);
    imgImage plain(3, 2, FMT_BGR_888);
    EXPECT_EQ(plain.bytesPerLine, 9);
    EXPECT_EQ(plain.imageSize, 18u);
    EXPECT_EQ(plain.origin, ORIGIN_TOP_LEFT);

    imgImage pal(4, 4, FMT_P_8);
    ASSERT_NE(pal.palette, nullptr);
    EXPECT_EQ(pal.paletteBytes, 768);
    pal.allocate(4, 4, FMT_BGR_888);
    EXPECT_EQ(pal.palette, nullptr);
    EXPECT_EQ(pal.paletteBytes, 0);

    imgImage keep(1);
    keep.allocate(16, 16, FMT_BGRA_8888);
    uint8_t* before = keep.pixels;
    keep.allocate(8, 8, FMT_BGRA_8888);
    EXPECT_EQ(keep.pixels, before);
    EXPECT_EQ(keep.imageSize, 256u);

    imgImage z;
    z.allocate(2, 2, FMT_I_8, ORIGIN_TOP_LEFT, true);
    ASSERT_NE(z.zBuffer, nullptr);
    EXPECT_EQ(z.zBufferSize, 16);
    EXPECT_EQ(z.zBuffer[3], 0xFFFFFFFFu);
}

TEST(ImageFormat, AlphaKindCountsThirtyTwoBitFormats)
{
    for (int f : {FMT_A_8, FMT_AI_44, FMT_ARGB_1555, FMT_AI_88, FMT_BGRA_8888, FMT_ARGB_8888})
        EXPECT_TRUE(imgImage::formatFits(CHANNEL_ALPHA, f)) << f;
    for (int f : {FMT_RGB_332, FMT_P_8, FMT_I_8, FMT_RGB_565, FMT_RGB_888, FMT_BGR_888})
        EXPECT_FALSE(imgImage::formatFits(CHANNEL_ALPHA, f)) << f;
    EXPECT_TRUE(imgImage::formatFits(CHANNEL_GREEN, FMT_RGB_565));
    EXPECT_FALSE(imgImage::formatFits(CHANNEL_GREEN, FMT_A_8));
    EXPECT_FALSE(imgImage::formatFits(6, FMT_BGRA_8888));
}

TEST(ImageConvert, PlainEncodersOfKnownValues)
{
    EXPECT_EQ(imgQuantize::encodePixel(0xFFFFFFFF, FMT_RGB_332), 0xFFu);
    EXPECT_EQ(imgQuantize::encodePixel(0xFFFFFFFF, FMT_RGB_565), 0xFFFFu);
    EXPECT_EQ(imgQuantize::encodePixel(0xFFFFFFFF, FMT_ARGB_4444), 0xFFFFu);
    EXPECT_EQ(imgQuantize::intensity(255, 0, 0), 77);
    EXPECT_EQ(imgQuantize::encodePixel(0x80FF0000, FMT_ARGB_1555), 0xFC00u);
    EXPECT_EQ(imgQuantize::encodePixel(0x80FF0000, FMT_RGBA_5551), 0xF801u);
    EXPECT_EQ(imgQuantize::encodePixel(0x12345678, FMT_ARGB_8888), 0x78563412u);
    EXPECT_EQ(imgQuantize::encodePixel(0xA0FFFFFF, FMT_AI_44), 0xAFu);
    // Levels widen fields back to the full range.
    EXPECT_EQ(imgQuantize::level(7, 3), 255);
    EXPECT_EQ(imgQuantize::level(2, 3), 73);
    EXPECT_EQ(imgQuantize::level(1, 2), 85);
}

// Every format goes to FMT_ARGB_8888 and back unchanged, because its own
// pixel values are exactly representable in 32 bits (palette formats use
// the 3-3-2 palette that a conversion into them makes).
TEST(ImageConvert, EveryFormatThroughArgbAndBack)
{
    const int w = 7, h = 5;
    const auto words = testPicture(w, h, true);
    for (int f : kAllFormats) {
        SCOPED_TRACE(imgFormatName(f));
        imgImage src;
        fillBGRA(src, words, w, h);
        ASSERT_EQ(src.convertTo(f, ORIGIN_TOP_LEFT), 1);
        imgImage img;
        img.copy(src);
        ASSERT_EQ(img.convertTo(FMT_ARGB_8888, ORIGIN_TOP_LEFT), 1);
        EXPECT_EQ(img.format, FMT_ARGB_8888);
        ASSERT_EQ(img.convertTo(f, ORIGIN_TOP_LEFT), 1);
        EXPECT_EQ(img.format, f);
        ASSERT_EQ(img.imageSize, src.imageSize);
        for (int y = 0; y < h; ++y)
            EXPECT_EQ(0, std::memcmp(img.pixels + y * img.bytesPerLine, src.pixels + y * src.bytesPerLine,
                                     size_t(w) * (src.bitsPerPixel / 8)))
                << "line " << y;
    }
}

TEST(ImageConvert, KeepsPictureAndDepthBufferAcrossOrigins)
{
    const int w = 4, h = 3;
    const auto words = testPicture(w, h, true);
    imgImage img;
    fillBGRA(img, words, w, h);
    img.allocate(w, h, FMT_BGRA_8888, ORIGIN_TOP_LEFT, true);
    uint32_t* z = img.zBuffer;
    ASSERT_NE(z, nullptr);
    ASSERT_EQ(img.convertTo(FMT_ARGB_8888, ORIGIN_BOTTOM_RIGHT), 1);
    EXPECT_EQ(img.origin, ORIGIN_BOTTOM_RIGHT);
    EXPECT_EQ(img.zBuffer, z);
    EXPECT_EQ(wordsOf(img), words);
    // The last stored pixel is now the top-left one, in alpha, red, green, blue order.
    const uint8_t* last = img.pixels + img.imageSize - 4;
    EXPECT_EQ(uint32_t(last[0]) << 24 | uint32_t(last[1]) << 16 | uint32_t(last[2]) << 8 | last[3], words[0]);
}

TEST(ImageConvert, ToPaletteWithoutPaletteUsesUniformColours)
{
    imgImage img;
    fillBGRA(img, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, 2, 2);
    ASSERT_EQ(img.convertTo(FMT_P_8, ORIGIN_TOP_LEFT), 1);
    ASSERT_NE(img.palette, nullptr);
    EXPECT_EQ(img.palette[img.pixels[0]], 0xFF0000u);
    EXPECT_EQ(img.palette[img.pixels[1]], 0x00FF00u);
    EXPECT_EQ(img.palette[img.pixels[2]], 0x0000FFu);
    EXPECT_EQ(img.palette[img.pixels[3]], 0xFFFFFFu);
}

TEST(ImageConvert, NearestPaletteIndex)
{
    uint32_t pal[16] = {};
    for (int i = 0; i < 16; ++i)
        pal[i] = uint32_t(i * 16) << 16;
    pal[7] = 0x102030;
    pal[9] = 0x102030;
    EXPECT_EQ(imgImage::nearestPaletteIndex(0x10, 0x20, 0x30, pal, 16), 7);
    EXPECT_EQ(imgImage::nearestPaletteIndex(0x21, 0, 0, pal, 16), 2);
    EXPECT_EQ(imgImage::nearestPaletteIndex(0x21, 0, 0, pal, 1), 0);
    // Equal distances: the lower index wins.
    uint32_t two[2] = {0x000000, 0x000002};
    EXPECT_EQ(imgImage::nearestPaletteIndex(0, 0, 1, two, 2), 0);
}

TEST(ImageDither, OrderedGreyGivesRepeatingTwoLevelPattern)
{
    const int w = 8, h = 8;
    imgImage img;
    fillBGRA(img, std::vector<uint32_t>(w * h, 0xFF808080), w, h);
    ASSERT_EQ(img.convertTo(FMT_RGB_332, ORIGIN_TOP_LEFT, DITHER_ORDERED), 1);
    // Red: (56 + matrix) >> 4 is 3 below matrix value 8, else 4.
    const int firstRow[4] = {3, 4, 3, 4};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(img.pixels[x] >> 5, firstRow[x]);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t v = img.pixels[y * w + x];
            EXPECT_EQ(v, img.pixels[(y & 3) * w + (x & 3)]);
            EXPECT_TRUE((v >> 5) == 3 || (v >> 5) == 4);
            EXPECT_TRUE((v & 3) == 1 || (v & 3) == 2);
        }
}

TEST(ImageDither, DiffusionSpreadsErrorRightAndDown)
{
    imgImage img;
    fillBGRA(img, std::vector<uint32_t>(4, 0xFF808080), 2, 2);
    ASSERT_EQ(img.convertTo(FMT_RGB_332, ORIGIN_TOP_LEFT, DITHER_DIFFUSION), 1);
    // Red 128: 3 (error +19), then 4 (128 + 7), next line 4 (128 + 7 from
    // above), then 3 (128 - 4 + 4 - 4).
    EXPECT_EQ(img.pixels[0] >> 5, 3);
    EXPECT_EQ(img.pixels[1] >> 5, 4);
    EXPECT_EQ(img.pixels[2] >> 5, 4);
    EXPECT_EQ(img.pixels[3] >> 5, 3);

    // Over a larger flat field the mean stays near the source value, which the
    // plain encoder cannot reach.
    const int n = 32;
    for (int mode : {DITHER_NONE, DITHER_DIFFUSION}) {
        imgImage field;
        fillBGRA(field, std::vector<uint32_t>(n * n, 0xFF808080), n, n);
        field.convertTo(FMT_RGB_332, ORIGIN_TOP_LEFT, mode);
        double sum = 0;
        for (uint32_t w : wordsOf(field))
            sum += (w >> 16) & 0xFF;
        const double mean = sum / (n * n);
        if (mode == DITHER_NONE)
            EXPECT_EQ(mean, 146.0);
        else
            EXPECT_NEAR(mean, 128.0, 3.0);
    }
}

TEST(ImageDither, PaletteMappingWithDiffusionMixesNeighbours)
{
    const int n = 16;
    // Black and white only: plain mapping picks white everywhere, diffusion
    // about half and half.
    std::vector<uint32_t> pal(256, 0xFFFFFF);
    pal[0] = 0;
    std::vector<uint32_t> words(n * n, 0xFF808080);
    std::vector<uint8_t> plain(n * n), dithered(n * n);
    ASSERT_TRUE(imgQuantizePal256::map(plain.data(), n, words.data(), n, n, FMT_P_8, pal.data(), 0));
    ASSERT_TRUE(imgQuantizePal256::map(dithered.data(), n, words.data(), n, n, FMT_P_8, pal.data(), 2));
    int blackPlain = 0, blackDithered = 0;
    for (int i = 0; i < n * n; ++i) {
        blackPlain += plain[i] == 0;
        blackDithered += dithered[i] == 0;
    }
    EXPECT_EQ(blackPlain, 0);
    EXPECT_NEAR(blackDithered, n * n / 2, n);
    EXPECT_FALSE(imgQuantizePal256::map(plain.data(), n, words.data(), n, n, FMT_P_8, nullptr, 0));
}

} // namespace
