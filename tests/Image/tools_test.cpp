// Flips, resampling, resizing, line padding, smoothing and area extraction.
#include "LIBS/Image/imgImage.h"
#include "tests/Image/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

imgImage* grey(int w, int h, std::vector<uint8_t> values, imgImage& img)
{
    img.allocate(w, h, FMT_I_8);
    std::memcpy(img.pixels, values.data(), values.size());
    return &img;
}

TEST(ImageTools, FlipsAndOrigin)
{
    imgImage img;
    grey(2, 3, {1, 2, 3, 4, 5, 6}, img);
    img.flipY();
    EXPECT_EQ(std::vector<uint8_t>(img.pixels, img.pixels + 6), (std::vector<uint8_t>{5, 6, 3, 4, 1, 2}));
    EXPECT_EQ(img.origin, ORIGIN_BOTTOM_LEFT);
    img.flipX();
    EXPECT_EQ(std::vector<uint8_t>(img.pixels, img.pixels + 6), (std::vector<uint8_t>{6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(img.origin, ORIGIN_BOTTOM_RIGHT);
    img.setOrigin(ORIGIN_TOP_LEFT);
    EXPECT_EQ(std::vector<uint8_t>(img.pixels, img.pixels + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(img.origin, ORIGIN_TOP_LEFT);

    // Padded lines flip by whole pixels, the padding stays at the end.
    imgImage padded;
    fillBGRA(padded, {0xFF010203, 0xFF040506}, 2, 1);
    padded.convertTo(FMT_BGR_888_PADDED, ORIGIN_TOP_LEFT);
    padded.flipX();
    EXPECT_EQ(std::vector<uint8_t>(padded.pixels, padded.pixels + 6),
              (std::vector<uint8_t>{6, 5, 4, 3, 2, 1}));
}

TEST(ImageTools, EmptyImageOperationsWarnAndDoNothing)
{
    LogCapture log;
    imgImage img;
    img.flipY();
    img.flipX();
    img.resample(4, 4);
    img.resize(4, 4, 1);
    EXPECT_EQ(img.convertTo(FMT_BGRA_8888, ORIGIN_BOTTOM_LEFT), 0);
    for (const char* tag : {"FLIPY", "FLIPX", "RESAMPLE", "RESIZE", "CONVERT_TO"})
        EXPECT_EQ(log.count(std::string(tag) + ": operation on empty image cancelled"), 1) << tag;
    EXPECT_TRUE(img.empty());
}

TEST(ImageTools, ResampleAveragesBlocksWhenShrinking)
{
    const int n = 64;
    auto words = testPicture(n, n, true);
    imgImage img;
    fillBGRA(img, words, n, n);
    img.resample(n, n);
    EXPECT_EQ(wordsOf(img), words);
    img.resample(32, 32);
    ASSERT_EQ(img.width, 32);
    ASSERT_EQ(img.imageSize, 32u * 32 * 4);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int k = 0; k < 4; ++k)
                    sum += int(words[size_t(2 * y + k / 2) * n + 2 * x + k % 2] >> (8 * c) & 0xFF);
                ASSERT_EQ(img.pixels[(y * 32 + x) * 4 + c], sum / 4) << x << "," << y << " channel " << c;
            }

    // A non-integer step still covers the last source column and line.
    imgImage edge;
    std::vector<uint32_t> bars(9, 0xFF000000);
    bars[2] = bars[5] = bars[8] = 0xFFFFFFFF;
    fillBGRA(edge, bars, 3, 3);
    edge.resample(2, 2);
    EXPECT_GT(edge.pixels[(0 * 2 + 1) * 4], 0);
}

TEST(ImageTools, ResampleEnlargesFlatImagesUnchanged)
{
    imgImage img;
    fillBGRA(img, std::vector<uint32_t>(4, 0x80402010), 2, 2);
    img.resample(5, 3);
    ASSERT_EQ(img.width, 5);
    ASSERT_EQ(img.height, 3);
    for (uint32_t w : wordsOf(img))
        EXPECT_EQ(w, 0x80402010u);
}

TEST(ImageTools, ResizeQualities)
{
    // Nearest neighbour keeps the format and picks pixels.
    imgImage img;
    grey(4, 2, {1, 2, 3, 4, 5, 6, 7, 8}, img);
    img.resize(2, 1, 1);
    ASSERT_EQ(img.imageSize, 2u);
    EXPECT_EQ(img.pixels[0], 1);
    EXPECT_EQ(img.pixels[1], 3);
    img.resize(1, 1, 1, 0);
    EXPECT_EQ(img.imageSize, 1u);

    // Quality 0 goes through 32 bits and back into the former format.
    imgImage pal;
    fillBGRA(pal, std::vector<uint32_t>(16, 0xFFFF0000), 4, 4);
    pal.convertTo(FMT_P_8, ORIGIN_TOP_LEFT);
    const uint32_t red = pal.palette[pal.pixels[0]];
    pal.resize(2, 2, 0);
    EXPECT_EQ(pal.format, FMT_P_8);
    EXPECT_EQ(pal.width, 2);
    EXPECT_EQ(pal.palette[pal.pixels[3]], red);

    LogCapture log;
    pal.resize(8, 8, 2);
    EXPECT_EQ(log.count("resize: illegal quality format"), 1);
    EXPECT_EQ(pal.width, 2);
}

TEST(ImageTools, PadAndUnpadLines)
{
    auto words = testPicture(3, 2, false);
    imgImage img;
    fillBGRA(img, words, 3, 2);
    img.convertTo(FMT_BGR_888, ORIGIN_TOP_LEFT);
    std::vector<uint8_t> plain(img.pixels, img.pixels + img.imageSize);
    ASSERT_EQ(img.convertTo(FMT_BGR_888_PADDED, ORIGIN_TOP_LEFT), 1);
    EXPECT_EQ(img.bytesPerLine, 12);
    EXPECT_EQ(std::memcmp(img.pixels + 12, plain.data() + 9, 9), 0);
    ASSERT_EQ(img.convertTo(FMT_BGR_888, ORIGIN_TOP_LEFT), 1);
    EXPECT_EQ(img.bytesPerLine, 9);
    EXPECT_EQ(std::vector<uint8_t>(img.pixels, img.pixels + img.imageSize), plain);
}

TEST(ImageTools, SmoothWeighsCentreThreeTimes)
{
    imgImage img;
    grey(3, 3, {0, 0, 0, 0, 70, 0, 0, 0, 0}, img);
    img.smooth();
    EXPECT_EQ(img.pixels[4], 30); // 3 x 70 / 7
    EXPECT_EQ(img.pixels[1], 11); // 70 / 6 on the top line
    EXPECT_EQ(img.pixels[0], 0);  // corner sees no neighbour of 70
    imgImage other;
    other.allocate(3, 3, FMT_RGB_565);
    std::memset(other.pixels, 0x55, other.imageSize);
    other.smooth();
    EXPECT_EQ(other.pixels[8], 0x55); // not a format it smooths
}

TEST(ImageExtract, AreasChannelsAndClamping)
{
    auto words = testPicture(4, 4, true);
    imgImage img;
    fillBGRA(img, words, 4, 4);

    std::vector<uint8_t> all(64);
    ASSERT_EQ(
        img.extract(CHANNEL_PIXELS, all.data(), FMT_BGRA_8888, ORIGIN_TOP_LEFT, 0, 0, 3, 3, IMG_PACKED_PITCH),
        1);
    EXPECT_EQ(std::memcmp(all.data(), img.pixels, 64), 0);

    {
        LogCapture log;
        std::vector<uint8_t> area(16);
        ASSERT_EQ(img.extract(CHANNEL_GREEN, area.data(), FMT_BGRA_8888, ORIGIN_TOP_LEFT, -5, 1, 1, 2, 0), 1);
        EXPECT_EQ(log.count("invalid area! valueas are clamped to correct values."), 1);
        EXPECT_EQ(area[0], uint8_t(words[4] >> 8));
        EXPECT_EQ(area[3], uint8_t(words[9] >> 8));
    }

    // Pitch: lines land apart in the caller's buffer.
    std::vector<uint8_t> pitched(3 * 10, 0xEE);
    ASSERT_EQ(img.extract(CHANNEL_PIXELS, pitched.data(), FMT_RGB_888, ORIGIN_TOP_LEFT, 1, 0, 2, 2, 10), 1);
    EXPECT_EQ(pitched[10], uint8_t(words[5] >> 16));
    EXPECT_EQ(pitched[6], 0xEE);

    // A bottom-up destination gets the area's bottom line first.
    std::vector<uint8_t> alpha(4);
    ASSERT_EQ(img.extract(CHANNEL_ALPHA, alpha.data(), FMT_BGRA_8888, ORIGIN_BOTTOM_LEFT, 0, 0, 1, 1, 0), 1);
    EXPECT_EQ(alpha[0], uint8_t(words[4] >> 24));
    EXPECT_EQ(alpha[2], uint8_t(words[0] >> 24));

    imgImage rgb;
    rgb.convertFrom(img, FMT_BGR_888, ORIGIN_TOP_LEFT);
    EXPECT_EQ(rgb.extract(CHANNEL_ALPHA, alpha.data(), FMT_BGR_888, ORIGIN_TOP_LEFT, 0, 0, 1, 1, 0), 0);
    EXPECT_EQ(rgb.copyChannel(CHANNEL_ALPHA, alpha.data()), 0);
    std::vector<uint8_t> greens(16);
    EXPECT_EQ(rgb.copyChannel(CHANNEL_GREEN, greens.data()), 1);
    EXPECT_EQ(greens[5], uint8_t(words[5] >> 8));
}

TEST(ImageExtract, ConvertIntoCallersPitch)
{
    auto words = testPicture(3, 2, false);
    imgImage img;
    fillBGRA(img, words, 3, 2);
    std::vector<uint8_t> surface(2 * 8, 0);
    ASSERT_EQ(img.convertInto(surface.data(), FMT_RGB_565, ORIGIN_TOP_LEFT, 8), 1);
    imgImage back;
    back.allocate(3, 2, FMT_RGB_565);
    std::memcpy(back.pixels, surface.data(), 6);
    std::memcpy(back.pixels + 6, surface.data() + 8, 6);
    imgImage expected;
    expected.convertFrom(img, FMT_RGB_565, ORIGIN_TOP_LEFT);
    EXPECT_EQ(std::memcmp(back.pixels, expected.pixels, 12), 0);
}

} // namespace
