// The BMP file header shared by the image writer and the game's picture savers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "LIBS/Image/imgImage.h"
#include "LIBS/Image/imgSave.h"
#include "LIBS/System/sStream.h"

namespace {

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint32_t U16(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

} // namespace

TEST(BmpHeader, FieldsForPaddedRowsAndEachDepth)
{
    const struct
    {
        uint32_t width, height, bits, ppm, rowBytes;
    } cases[] = {{62, 40, 24, 0, 188}, {62, 40, 16, 0, 124}, {3, 2, 24, 1024, 12}, {640, 480, 24, 0, 1920}};
    for (const auto& c : cases) {
        uint8_t h[imgBmpHeaderSize];
        std::memset(h, 0xEE, sizeof h);
        imgBmpHeader(h, c.width, c.height, c.bits, c.ppm);
        const uint32_t data = c.rowBytes * c.height;
        EXPECT_EQ(h[0], 'B');
        EXPECT_EQ(h[1], 'M');
        EXPECT_EQ(U32(h + 2), 54 + data) << c.width << "x" << c.bits;
        EXPECT_EQ(U32(h + 6), 0u);
        EXPECT_EQ(U32(h + 10), 54u);
        EXPECT_EQ(U32(h + 14), 40u);
        EXPECT_EQ(U32(h + 18), c.width);
        EXPECT_EQ(U32(h + 22), c.height);
        EXPECT_EQ(U16(h + 26), 1u);
        EXPECT_EQ(U16(h + 28), c.bits);
        EXPECT_EQ(U32(h + 30), 0u) << "uncompressed";
        EXPECT_EQ(U32(h + 34), data);
        EXPECT_EQ(U32(h + 38), c.ppm);
        EXPECT_EQ(U32(h + 42), c.ppm);
        EXPECT_EQ(U32(h + 46), 0u);
        EXPECT_EQ(U32(h + 50), 0u);
    }
}

TEST(BmpHeader, TheImageWriterOpensItsFilesWithIt)
{
    imgImage image;
    ASSERT_EQ(image.allocate(3, 2, FMT_BGR_888, ORIGIN_TOP_LEFT), 1);
    std::vector<uint8_t> file(256, 0);
    sStream stream;
    stream.attachMemory(static_cast<void*>(file.data()), int32_t(file.size()));
    ASSERT_EQ(imgSaveBMP(image, stream, 0), 1);
    uint8_t expected[imgBmpHeaderSize];
    imgBmpHeader(expected, 3, 2, 24, 1024);
    EXPECT_EQ(std::memcmp(file.data(), expected, sizeof expected), 0);
}
