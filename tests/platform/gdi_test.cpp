#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {

// The ground-map set-up: 16 x 16 top-down, black with entry 1 white, white pen and brush.
struct Raster
{
    DibSection dib;
    MemoryDC dc;
    explicit Raster(int height = -16)
    {
        std::vector<RGBQUAD> colors(256);
        colors[1] = RGBQUAD{255, 255, 255, 0};
        EXPECT_TRUE(dib.Create(16, height, colors));
        dc.SelectBitmap(&dib);
        dc.SelectPen(Pen{PS_SOLID, 1, RGB(255, 255, 255)});
        dc.SelectBrush(Brush{false, RGB(255, 255, 255)});
        dc.SetPolyFillMode(WINDING);
    }
    std::vector<std::string> Picture()
    {
        std::vector<std::string> rows;
        for (int y = 0; y < 16; ++y) {
            std::string row;
            for (int x = 0; x < 16; ++x)
                row += *dib.PixelAt(x, y) ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }
};

TEST(Polygon, FilledTriangleWithItsOutline)
{
    Raster r;
    GdiPoint tri[] = {{2, 2}, {12, 2}, {2, 12}};
    ASSERT_TRUE(r.dc.Polygon(tri, 3));
    // Every cell with x >= 2, y >= 2 and x + y <= 14: the fill up to the diagonal,
    // the pen on the diagonal itself.
    const std::vector<std::string> expected = {
        "................", "................", "..###########...", "..##########....",
        "..#########.....", "..########......", "..#######.......", "..######........",
        "..#####.........", "..####..........", "..###...........", "..##............",
        "..#.............", "................", "................", "................",
    };
    EXPECT_EQ(r.Picture(), expected);
    EXPECT_EQ(r.dc.GetPixel(3, 3), RGB(255, 255, 255));
    EXPECT_EQ(r.dc.GetPixel(13, 13), RGB(0, 0, 0));
}

// One outline that goes round the middle twice: the inner square has winding 2.
const GdiPoint loopTwice[] = {{2, 4}, {11, 4}, {11, 11}, {4, 11}, {4, 2}, {13, 2}, {13, 13}, {2, 13}};

TEST(Polygon, SelfIntersectingOutlineFillsByTheNonZeroRule)
{
    Raster winding;
    ASSERT_TRUE(winding.dc.Polygon(loopTwice, 8));
    const std::vector<std::string> nonZero = {
        "................", "................", "....##########..", "....##########..",
        "..############..", "..############..", "..############..", "..############..",
        "..############..", "..############..", "..############..", "..############..",
        "..############..", "..############..", "................", "................",
    };
    EXPECT_EQ(winding.Picture(), nonZero);

    Raster alternate;
    alternate.dc.SetPolyFillMode(ALTERNATE);
    ASSERT_TRUE(alternate.dc.Polygon(loopTwice, 8));
    const std::vector<std::string> evenOdd = {
        "................", "................", "....##########..", "....##########..",
        "..############..", "..###......###..", "..###......###..", "..###......###..",
        "..###......###..", "..###......###..", "..###......###..", "..############..",
        "..############..", "..############..", "................", "................",
    };
    EXPECT_EQ(alternate.Picture(), evenOdd);
}

TEST(Polygon, FivePointedStarKeepsItsCentre)
{
    GdiPoint star[] = {{8, 1}, {12, 14}, {1, 6}, {15, 6}, {4, 14}};
    Raster winding;
    ASSERT_TRUE(winding.dc.Polygon(star, 5));
    Raster alternate;
    alternate.dc.SetPolyFillMode(ALTERNATE);
    ASSERT_TRUE(alternate.dc.Polygon(star, 5));
    // The centre pentagon is inside twice.
    EXPECT_EQ(*winding.dib.PixelAt(8, 8), 1);
    EXPECT_EQ(*alternate.dib.PixelAt(8, 8), 0);
    // The points are inside once, under both rules; between two points is outside.
    for (GdiPoint p : {GdiPoint{8, 3}, GdiPoint{3, 7}, GdiPoint{13, 7}, GdiPoint{11, 12}, GdiPoint{5, 12}}) {
        EXPECT_EQ(*winding.dib.PixelAt(p.x, p.y), 1) << p.x << "," << p.y;
        EXPECT_EQ(*alternate.dib.PixelAt(p.x, p.y), 1) << p.x << "," << p.y;
    }
    EXPECT_EQ(*winding.dib.PixelAt(8, 14), 0);
    EXPECT_EQ(*winding.dib.PixelAt(2, 2), 0);
}

TEST(Polygon, ClippedAtTheBitmapEdges)
{
    Raster r;
    GdiPoint partly[] = {{-10, -10}, {8, -10}, {8, 8}, {-10, 8}};
    ASSERT_TRUE(r.dc.Polygon(partly, 4));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(*r.dib.PixelAt(x, y), (x <= 8 && y <= 8) ? 1 : 0) << x << "," << y;

    Raster huge;
    GdiPoint far[] = {{-2000000000, -2000000000},
                      {2000000000, -2000000000},
                      {2000000000, 2000000000},
                      {-2000000000, 2000000000}};
    ASSERT_TRUE(huge.dc.Polygon(far, 4));
    for (const std::string& row : huge.Picture())
        EXPECT_EQ(row, std::string(16, '#'));

    Raster outside;
    GdiPoint away[] = {{100, 100}, {200, 100}, {150, 300}};
    ASSERT_TRUE(outside.dc.Polygon(away, 3));
    for (const std::string& row : outside.Picture())
        EXPECT_EQ(row, std::string(16, '.'));
    EXPECT_FALSE(outside.dc.Polygon(away, 1));
}

TEST(Dib, SetPixelLayoutAndPalette)
{
    Raster bottomUp(16);
    EXPECT_FALSE(bottomUp.dib.TopDown());
    EXPECT_EQ(bottomUp.dc.SetPixel(3, 0, RGB(250, 240, 255)), RGB(255, 255, 255)) << "nearest entry: white";
    // Row 0 of a bottom-up bitmap is the last in memory.
    EXPECT_EQ(bottomUp.dib.Bits()[15 * bottomUp.dib.Pitch() + 3], 1);
    EXPECT_EQ(bottomUp.dc.SetPixel(16, 0, RGB(255, 255, 255)), CLR_INVALID);
    EXPECT_EQ(bottomUp.dc.SetPixel(0, -1, RGB(255, 255, 255)), CLR_INVALID);
    EXPECT_EQ(bottomUp.dc.SetPixel(5, 5, RGB(20, 20, 20)), RGB(0, 0, 0));

    DibSection odd;
    ASSERT_TRUE(odd.Create(5, -3, {}));
    EXPECT_EQ(odd.Pitch(), 8) << "rows are padded to 4 bytes";
    EXPECT_FALSE(odd.Create(0, 10, {}));
}

TEST(Text, DrawsBlendedGlyphsInsideTheirBox)
{
    TextFont font;
    ASSERT_TRUE(font.Create(16));
    EXPECT_GT(font.LineHeight(), 10);
    EXPECT_GT(font.TextWidth("WWWW"), font.TextWidth("iiii"));
    EXPECT_EQ(font.TextWidth(""), 0);

    const int w = 64, h = 24;
    std::vector<uint32_t> pixels(w * h, 0xFF000000u);
    font.DrawText(pixels.data(), w, h, w * 4, 2, 2, "Hi\xE4", 0x00FF8000);
    int touched = 0, full = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t p = pixels[y * w + x];
            EXPECT_EQ(p & 0xFF000000u, 0xFF000000u) << "the fourth byte is kept";
            if (p != 0xFF000000u) {
                ++touched;
                EXPECT_GE(x, 2);
                EXPECT_LT(x, 2 + font.TextWidth("Hi\xE4") + 2);
                EXPECT_EQ(p & 0xFF, 0u) << "blue stays 0 for an orange text";
            }
            if (p == 0xFFFF8000u)
                ++full;
        }
    EXPECT_GT(touched, 20);
    EXPECT_GT(full, 5) << "the stems of H are fully covered";

    // Partly outside: clipped, nothing written beyond the surface (checked by the sanitizers).
    font.DrawText(pixels.data(), w, h, w * 4, -5, -8, "Clipped text that runs far past the right edge",
                  0xFFFFFF);
    TextFont missing;
    EXPECT_FALSE(missing.Create(16, "/nonexistent/font.ttf"));
    missing.DrawText(pixels.data(), w, h, w * 4, 0, 0, "x", 0);
}

TEST(Text, Utf8TextAndStyledCutsDrawTheSameLetters)
{
    TextFont regular, bold, italic;
    ASSERT_TRUE(regular.Create(16));
    ASSERT_TRUE(bold.CreateStyled(16, true, false));
    ASSERT_TRUE(italic.CreateStyled(16, false, true));
    EXPECT_EQ(regular.TextWidthUtf8("Hi\xC3\xA4"), regular.TextWidth("Hi\xE4"));
    EXPECT_GT(bold.TextWidth("Heist"), regular.TextWidth("Heist")) << "the bold cut is wider";
    EXPECT_GT(regular.Ascent(), 0);
    EXPECT_GT(regular.Descent(), 0);

    const int w = 64, h = 24;
    std::vector<uint32_t> a(w * h, 0), b(w * h, 0), c(w * h, 0);
    regular.DrawText(a.data(), w, h, w * 4, 2, 2, "Hi\xE4\x80", 0xFFFFFF);
    regular.DrawTextUtf8(b.data(), w, h, w * 4, 2, 2, "Hi\xC3\xA4\xE2\x82\xAC", 0xFFFFFF);
    italic.DrawText(c.data(), w, h, w * 4, 2, 2, "Hi\xE4\x80", 0xFFFFFF);
    EXPECT_EQ(a, b) << "the euro sign and a-umlaut are the same glyphs either way";
    EXPECT_NE(a, c) << "the oblique cut slants";
}

} // namespace
