#include "GAMES/Rulo2/interface/CMenuText.h"

#include <algorithm>

#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/render/GameResources.h"

void CTextTrack::Interpolate(int32_t local, int32_t from, int32_t to, void* target)
{
    TextKey& out = *static_cast<TextKey*>(target);
    if (!HasKeys(from, to))
        return;
    if (from == to) {
        if (keys[size_t(from)].apply != 0.0f)
            out.alpha = keys[size_t(from)].alpha;
        return;
    }
    const float f = kinds[size_t(from)] > 4 ? 0.0f : Factor(local, from, to);
    if (keys[size_t(to)].apply != 0.0f)
        out.alpha = keys[size_t(from)].alpha + (keys[size_t(to)].alpha - keys[size_t(from)].alpha) * f;
}

CTexture* FontPage(int32_t index)
{
    if (index < 0 || index > 3)
        return nullptr;
    return GameResourceTexture(uint16_t(547 + index)); // "characterFont1" .. "characterFont4"
}

GlyphCell GlyphCellOf(uint8_t code)
{
    const uint32_t g = uint32_t(code) - 1u; // code 0 wraps to the last cell of the last page
    GlyphCell c;
    c.page = int32_t(std::min(g / 64u, 3u));
    const uint32_t index = g % 64u;
    c.column = int32_t(index % 8u);
    c.row = int32_t(index / 8u);
    c.u0 = float(c.column) * 0.125f + 0.015625f;
    c.u1 = float(c.column) * 0.125f + 0.125f;
    c.v0 = float(c.row) * 0.125f + 0.015625f;
    c.v1 = float(c.row) * 0.125f + 0.125f;
    return c;
}

void PlaceGlyph(CMenuQuad& quad, uint8_t code, float left, float top, float width, float height)
{
    const GlyphCell cell = GlyphCellOf(code);
    quad.key.texture = FontPage(cell.page);
    const float right = left + width, bottom = top + height;
    const float xs[4] = {left, right, right, left}, ys[4] = {top, top, bottom, bottom};
    const float us[4] = {cell.u0, cell.u1, cell.u1, cell.u0}, vs[4] = {cell.v0, cell.v0, cell.v1, cell.v1};
    for (int c = 0; c < 4; ++c) {
        MenuVertex& v = quad.key.vertices[c];
        v.x = xs[c];
        v.y = ys[c];
        v.u = us[c];
        v.v = vs[c];
    }
}

CMenuText::CMenuText(CMenu* menu) : CMenuElement(menu)
{
    type = TYPE_TEXT;
}

CMenuText::~CMenuText()
{
    if (glyphQuad)
        glyphQuad->Release();
}

bool CMenuText::SetPosition(MenuPoint position)
{
    anchorX = position.x;
    anchorY = position.y;
    auto* quad = new CMenuQuad(owner);
    auto* track = new CQuadTrack(owner);
    track->name = "default";
    quad->SetColor({1, 1, 1, 1});
    quad->key.keyHasTexture = 0;
    quad->key.texture = nullptr;
    quad->AddTrack(track);
    track->Release();
    quad->PlayTrack("default");
    if (glyphQuad)
        glyphQuad->Release();
    glyphQuad = quad; // the creation reference is the element's
    return true;
}

void CMenuText::DrawInColour(int32_t time, const float colour[3])
{
    if (CAnimTrack* track = CurrentTrack())
        track->Evaluate(time, &block);
    if (!glyphQuad)
        return;
    glyphQuad->SetColor({colour[0], colour[1], colour[2], block.alpha});
    DrawGlyphs();
}

void CMenuText::DrawNormal(int32_t time)
{
    if (!shown)
        return;
    CMenuElement::DrawNormal(time);
    DrawInColour(time, normalColour);
}

void CMenuText::DrawHighlighted(int32_t time)
{
    if (!shown)
        return;
    CMenuElement::DrawHighlighted(time);
    DrawInColour(time, highlightColour);
}

void CMenuText::DrawActive(int32_t time)
{
    if (!shown)
        return;
    CMenuElement::DrawActive(time);
    DrawInColour(time, activeColour);
}

float CMenuText::LineWidth(size_t from) const
{
    size_t n = 0;
    while (from + n < text.size() && text[from + n] != '\n')
        ++n;
    return n == 0 ? 0.0f : float(n - 1) * advance + glyphWidth;
}

namespace {

float LineStart(int32_t alignment, float anchor, float width)
{
    if (alignment == 1)
        return anchor - width;
    if (alignment == 2)
        return anchor - width / 2;
    return anchor;
}

} // namespace

void CMenuText::DrawGlyphs()
{
    if (!glyphQuad)
        return;
    glyphQuad->blendMode = 2;
    glyphQuad->z = depth;
    drawnMinX = drawnMinY = 3.4028235e38f;
    drawnMaxX = drawnMaxY = -3.4028235e38f;
    float lineX = LineStart(alignment, anchorX, LineWidth(0));
    float lineOffset = 0.0f, column = 0.0f;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t code = uint8_t(text[i]);
        if (code == '\n') {
            lineX = LineStart(alignment, anchorX, LineWidth(i + 1));
            lineOffset += lineHeight;
            column = 0.0f;
            continue;
        }
        if (code == ' ') {
            column += advance;
            continue;
        }
        const float left = lineX + column, top = anchorY + lineOffset;
        PlaceGlyph(*glyphQuad, code, left, top, glyphWidth, glyphHeight);
        drawnMinX = std::min(drawnMinX, left);
        drawnMaxX = std::max(drawnMaxX, left + glyphWidth);
        drawnMinY = std::min(drawnMinY, top);
        drawnMaxY = std::max(drawnMaxY, top + glyphHeight);
        glyphQuad->DrawNormal(0);
        column += advance;
    }
}

void CMenuText::GetTextSize(float size[2]) const
{
    size[0] = size[1] = 0.0f;
    if (text.empty())
        return;
    float minX = anchorX, maxX = anchorX, minY = anchorY, maxY = anchorY;
    auto add = [&](float x, float y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    };
    float lineOffset = 0.0f, column = 0.0f;
    for (const char ch : text) {
        if (ch == '\n') {
            column = 0.0f;
            lineOffset += lineHeight;
            add(anchorX, anchorY + lineOffset);
        } else if (ch == ' ') {
            column += advance;
            add(anchorX + column, anchorY + lineOffset);
        } else {
            const float left = anchorX + column, top = anchorY + lineOffset;
            add(left, top);
            add(left + glyphWidth, top + glyphHeight);
            column += advance;
        }
    }
    size[0] = maxX - minX;
    size[1] = maxY - minY;
}

bool CMenuText::HitTest(const Point* point)
{
    if (!point)
        return false;
    lastPoint = *point;
    if (!shown || !selectable || active)
        return false;
    hit = 0;
    if (drawnMinX <= point->x && point->x <= drawnMaxX && drawnMinY <= point->y && point->y <= drawnMaxY) {
        hit = 1;
        return true;
    }
    return false;
}
