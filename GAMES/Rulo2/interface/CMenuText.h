#pragma once
// A string on the 2-D layer in the bitmap font: every character is a quad cut
// from one of four font pages (8 x 8 cells each), drawn additively through one
// private quad. One colour per draw state, left/right/centred lines, and a hit
// test against the area the glyphs covered when last drawn.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/interface/CMenu.h"

class CMenuQuad;
class CTexture;

// The animated block of a text and the value of one text-track key: the alpha
// applies only when apply is not 0.
struct TextKey
{
    float apply = 0.0f;
    float alpha = 1.0f;
};

// Interpolates the alpha of text-like elements (texts, sliders, check boxes).
class CTextTrack : public CKeyTrack<TextKey>
{
public:
    explicit CTextTrack(CMenu* owner) : CKeyTrack(owner) {}
    void Interpolate(int32_t local, int32_t from, int32_t to, void* target) override;
};

// The four pages of the interface font ("characterFont1" .. 4); null when missing.
CTexture* FontPage(int32_t index);

// Texture rectangle of a glyph in its page: the cell less its first eighth at
// the left and top. Code c lies in cell (c - 1) mod 64 of page (c - 1) / 64.
struct GlyphCell
{
    int32_t page, column, row;
    float u0, v0, u1, v1;
};
GlyphCell GlyphCellOf(uint8_t code);
// Puts the glyph of a code into a quad: its font page, and its cell over the
// rectangle from (left, top) of the given size; the corner colours stay.
void PlaceGlyph(CMenuQuad& quad, uint8_t code, float left, float top, float width, float height);

class CMenuText : public CMenuElement
{
public:
    explicit CMenuText(CMenu* owner);
    ~CMenuText() override;

    // Stores the anchor (y is the top of the first line) and makes a new glyph quad.
    bool SetPosition(MenuPoint position);

    void DrawNormal(int32_t time) override;
    void DrawHighlighted(int32_t time) override;
    void DrawActive(int32_t time) override;
    bool HitTest(const Point* point) override;

    // Lays out and draws the text in the glyph quad's current colour.
    void DrawGlyphs();
    // The size of the text block laid out left-aligned; (0, 0) for no text.
    void GetTextSize(float size[2]) const;
    // The width of the line that starts at `from` (up to the next line feed).
    float LineWidth(size_t from) const;

    float normalColour[3] = {1.0f, 1.0f, 0.0f};
    float highlightColour[3] = {1.0f, 1.0f, 1.0f};
    float activeColour[3] = {0.2f, 0.2f, 0.0f};
    int32_t alignment = 0; // 0 left, 1 right, 2 centred
    float depth = 0.2f;
    float anchorX = 0.0f, anchorY = 0.0f;
    // Empty until drawn, so an undrawn text is never hit.
    float drawnMinX = 3.4028235e38f, drawnMinY = 3.4028235e38f;
    float drawnMaxX = -3.4028235e38f, drawnMaxY = -3.4028235e38f;
    std::string text; // the bytes are the character codes
    float glyphWidth = 0.03f, glyphHeight = 0.05f, advance = 0.025f, lineHeight = 0.045f;
    MenuPoint lastPoint{0, 0};
    uint8_t hit = 0;
    TextKey block;
    CMenuQuad* glyphQuad = nullptr;

private:
    void DrawInColour(int32_t time, const float colour[3]);
};
