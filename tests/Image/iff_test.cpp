// The tiled IFF reader and the PIX probe, on files made here.
#include "LIBS/Image/ImageLoader.h"
#include "LIBS/Image/imgImage.h"
#include "tests/Image/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

void be(Bytes& b, uint32_t v, int n)
{
    for (int i = n - 1; i >= 0; --i)
        b.push_back(uint8_t(v >> (8 * i)));
}

Bytes chunk(const char* id, const Bytes& data)
{
    Bytes b(id, id + 4);
    be(b, uint32_t(data.size()), 4);
    b.insert(b.end(), data.begin(), data.end());
    while (b.size() % 4)
        b.push_back(0);
    return b;
}

Bytes header(uint32_t w, uint32_t h, uint32_t flags, uint32_t compression, int size = 24)
{
    Bytes d;
    be(d, w, 4);
    be(d, h, 4);
    be(d, 1, 2);
    be(d, 1, 2);
    be(d, flags, 4);
    be(d, 0, 2);
    be(d, 1, 2);
    be(d, compression, 4);
    while (int(d.size()) < size)
        d.push_back(0);
    return chunk("TBHD", d);
}

Bytes tile(const char* id, int x1, int y1, int x2, int y2, const Bytes& samples)
{
    Bytes d;
    for (int v : {x1, y1, x2, y2})
        be(d, uint32_t(v), 2);
    d.insert(d.end(), samples.begin(), samples.end());
    return chunk(id, d);
}

Bytes file(const Bytes& head, const std::vector<Bytes>& tiles)
{
    Bytes group = {'T', 'B', 'M', 'P'};
    for (const Bytes& t : tiles)
        group.insert(group.end(), t.begin(), t.end());
    Bytes body = {'C', 'I', 'M', 'G'};
    body.insert(body.end(), head.begin(), head.end());
    Bytes g = chunk("FOR4", group);
    body.insert(body.end(), g.begin(), g.end());
    return chunk("FOR4", body);
}

TEST(ImageIff, UncompressedTilesOfRgbaImage)
{
    const int n = 64;
    auto colour = [](int x, int y) {
        return uint32_t((x * 4) << 16 | (y * 4) << 8 | ((x + y) & 0xFF) | (200u - x) << 24);
    };
    std::vector<Bytes> tiles;
    for (int ty = 0; ty < 2; ++ty)
        for (int tx = 0; tx < 2; ++tx) {
            Bytes s;
            for (int y = ty * 32; y < ty * 32 + 32; ++y)
                for (int x = tx * 32; x < tx * 32 + 32; ++x) {
                    const uint32_t c = colour(x, y);
                    // Last channel first: alpha, blue, green, red.
                    for (int shift : {24, 0, 8, 16})
                        s.push_back(uint8_t(c >> shift));
                }
            tiles.push_back(tile("RGBA", tx * 32, ty * 32, tx * 32 + 31, ty * 32 + 31, s));
        }
    const Bytes bytes = file(header(n, n, 3, 0), tiles);
    imgImage img;
    ASSERT_EQ(img.loadMemory(bytes.data(), bytes.size()), 1);
    EXPECT_EQ(img.loaderType, IMG_TYPE_IFF);
    EXPECT_EQ(img.format, FMT_BGRA_8888);
    EXPECT_EQ(img.origin, ORIGIN_BOTTOM_LEFT);
    // Stored line 0 is the file's line 0, in blue, green, red, alpha order.
    const uint8_t* p = img.pixels + (5 * n + 40) * 4;
    const uint32_t c = colour(40, 5);
    EXPECT_EQ(p[0], uint8_t(c));
    EXPECT_EQ(p[1], uint8_t(c >> 8));
    EXPECT_EQ(p[2], uint8_t(c >> 16));
    EXPECT_EQ(p[3], uint8_t(c >> 24));
    EXPECT_EQ(wordsOf(img)[0], colour(0, 63));
}

TEST(ImageIff, RunLengthTileAndDepth)
{
    // Blue (last channel) first: a run, then green a run, then red literal.
    const Bytes coded = {0x83, 0x10, 0x83, 0x20, 0x03, 1, 2, 3, 4};
    Bytes z;
    for (int i = 0; i < 4; ++i)
        be(z, 0x3F800000u + uint32_t(i), 4);
    const Bytes bytes =
        file(header(2, 2, 1 | 4, 1), {tile("RGBA", 0, 0, 1, 1, coded), tile("ZBUF", 0, 0, 1, 1, z)});
    imgImage img;
    ASSERT_EQ(img.loadMemory(bytes.data(), bytes.size()), 1);
    EXPECT_EQ(img.format, FMT_RGB_888);
    EXPECT_EQ(Bytes(img.pixels, img.pixels + 12),
              (Bytes{1, 0x20, 0x10, 2, 0x20, 0x10, 3, 0x20, 0x10, 4, 0x20, 0x10}));
    ASSERT_NE(img.zBuffer, nullptr);
    EXPECT_EQ(img.zBufferSize, 16);
}

TEST(ImageIff, RefusedHeadersAndTiles)
{
    LogCapture log;
    const Bytes good = file(header(2, 2, 1, 0), {tile("RGBA", 0, 0, 1, 1, Bytes(12, 9))});
    imgImage ok;
    ASSERT_EQ(ok.loadMemory(good.data(), good.size()), 1);

    struct Case
    {
        const char* what;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"header of 28 bytes", file(header(2, 2, 1, 0, 28), {}), nullptr},
        {"grey", file(header(2, 2, 1 | 16, 0), {}), nullptr},
        {"no colour", file(header(2, 2, 4, 0), {}), nullptr},
        {"compression 2", file(header(2, 2, 1, 2), {}), nullptr},
        {"x2 = width", file(header(2, 2, 1, 0), {tile("RGBA", 0, 0, 2, 1, Bytes(18, 9))}),
         "ERROR:  RGBA coordinates invalid."},
        {"run past the data", file(header(2, 2, 1, 1), {tile("RGBA", 0, 0, 1, 1, {0x83, 1, 0x7F, 1})}),
         "ERROR:  RGBA data chunk size invalid."},
        {"deep colour", file(header(2, 2, 1, 1), {tile("RGB2", 0, 0, 1, 1, Bytes(30, 0))}),
         "Only 12bit format with RGBA channels supported."},
    };
    for (const Case& c : cases) {
        imgImage img;
        EXPECT_EQ(img.loadMemory(c.bytes.data(), c.bytes.size()), 0) << c.what;
        if (c.message) {
            EXPECT_GE(log.count(c.message), 1) << c.what;
        }
    }
    // Cut anywhere.
    for (size_t cut = 0; cut < good.size(); ++cut) {
        imgImage img;
        EXPECT_EQ(img.loadMemory(good.data(), cut), 0) << cut;
    }
}

TEST(ImagePix, RunsFillFromTheLastLineUp)
{
    Bytes b;
    for (uint32_t v : {3u, 2u, 0u, 0u, 24u})
        be(b, v, 2);
    // Six pixels in runs of (count, blue, green, red).
    for (Bytes run : {Bytes{2, 1, 2, 3}, Bytes{1, 4, 5, 6}, Bytes{3, 7, 8, 9}})
        b.insert(b.end(), run.begin(), run.end());
    imgImage img;
    ASSERT_EQ(img.loadMemory(b.data(), b.size()), 1);
    EXPECT_EQ(img.loaderType, IMG_TYPE_PIX);
    EXPECT_EQ(img.format, FMT_BGR_888);
    EXPECT_EQ(img.origin, ORIGIN_BOTTOM_LEFT);
    // The file's first line is the top one.
    EXPECT_EQ(wordsOf(img), (std::vector<uint32_t>{0xFF030201, 0xFF030201, 0xFF060504, 0xFF090807, 0xFF090807,
                                                   0xFF090807}));
    b.resize(b.size() - 2);
    imgImage cut;
    EXPECT_EQ(cut.loadMemory(b.data(), b.size()), 0);
}

} // namespace
