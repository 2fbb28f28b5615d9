#pragma once
// The drawing the game does without the 3-D device: an 8-bit DIB section that
// ground maps are rasterised into (filled polygons with their pen outline, single
// pixels, the bits read back), and text drawn onto 32-bit pixels with FreeType.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using COLORREF = uint32_t; // 0x00BBGGRR
constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b)
{
    return COLORREF(r) | COLORREF(g) << 8 | COLORREF(b) << 16;
}
constexpr uint8_t GetRValue(COLORREF c)
{
    return uint8_t(c);
}
constexpr uint8_t GetGValue(COLORREF c)
{
    return uint8_t(c >> 8);
}
constexpr uint8_t GetBValue(COLORREF c)
{
    return uint8_t(c >> 16);
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

struct RGBQUAD
{
    uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
};

struct GdiPoint
{
    int32_t x = 0, y = 0;
};

// An 8-bit palettised bitmap with rows padded to 4 bytes, top-down when created with
// a negative height (row 0 is the top), bottom-up otherwise.
class DibSection
{
public:
    bool Create(int width, int height, const std::vector<RGBQUAD>& colors);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool TopDown() const { return topDown_; }
    int Pitch() const { return pitch_; }
    uint8_t* Bits() { return bits_.data(); }
    const uint8_t* Bits() const { return bits_.data(); }
    const std::vector<RGBQUAD>& Colors() const { return colors_; }
    // The byte of pixel (x, y), y counted from the top; null outside.
    uint8_t* PixelAt(int x, int y);
    // The palette entry nearest to a colour (the lowest index on a tie).
    uint8_t NearestIndex(COLORREF color) const;

private:
    int width_ = 0, height_ = 0, pitch_ = 0;
    bool topDown_ = true;
    std::vector<uint8_t> bits_;
    std::vector<RGBQUAD> colors_;
};

constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

struct Pen
{
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};
struct Brush
{
    bool null = false;
    COLORREF color = 0;
};

// A memory device context drawing into a selected DIB section.
class MemoryDC
{
public:
    void SelectBitmap(DibSection* bitmap) { bitmap_ = bitmap; }
    void SelectPen(const Pen& pen) { pen_ = pen; }
    void SelectBrush(const Brush& brush) { brush_ = brush; }
    int SetPolyFillMode(int mode);
    // Fills the interior by the fill mode with the brush, then draws the closed
    // outline with the pen. Everything outside the bitmap is clipped.
    bool Polygon(const GdiPoint* points, int count);
    // Returns the colour set (the palette colour chosen), CLR_INVALID outside.
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF GetPixel(int x, int y) const;

private:
    void Line(int x0, int y0, int x1, int y1, uint8_t index);
    void Put(int x, int y, uint8_t index);

    DibSection* bitmap_ = nullptr;
    Pen pen_;
    Brush brush_;
    int fillMode_ = ALTERNATE;
};

// Text onto 32-bit pixels (bytes B, G, R, X in memory), blended by coverage.
// Texts are Windows-1252.
class TextFont
{
public:
    TextFont();
    ~TextFont();
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    // `fontFile` empty: the system's DejaVu Sans. False with a message on standard
    // error when the font cannot be loaded.
    bool Create(int pixelHeight, const std::string& fontFile = std::string());
    // DejaVu Sans in its bold and/or oblique cut (the regular cut where one is missing).
    bool CreateStyled(int pixelHeight, bool bold, bool italic);
    bool IsLoaded() const;
    int LineHeight() const;
    // Pixels above and below the baseline.
    int Ascent() const;
    int Descent() const;
    int TextWidth(std::string_view text) const;
    // (x, y) is the top-left corner of the line; color is 0x00RRGGBB.
    void DrawText(uint32_t* pixels, int width, int height, int pitchBytes, int x, int y,
                  std::string_view text, uint32_t color) const;
    // The same for UTF-8 text (HTML pages are converted to UTF-8 before parsing).
    int TextWidthUtf8(std::string_view text) const;
    void DrawTextUtf8(uint32_t* pixels, int width, int height, int pitchBytes, int x, int y,
                      std::string_view text, uint32_t color) const;

private:
    int Width(const std::vector<uint32_t>& codePoints) const;
    void Draw(uint32_t* pixels, int width, int height, int pitchBytes, int x, int y,
              const std::vector<uint32_t>& codePoints, uint32_t color) const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
