#include "GAMES/Rulo2/interface/CMenuQuad.h"

#include <algorithm>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/render/RenderStates.h"

CMenuQuad::CMenuQuad(CMenu* menu) : CMenuElement(menu)
{
    type = TYPE_QUAD;
}

void CMenuQuad::SetGeometry(Corner topLeft, Corner bottomRight, Colour colour)
{
    const float xs[4] = {topLeft.x, bottomRight.x, bottomRight.x, topLeft.x};
    const float ys[4] = {topLeft.y, topLeft.y, bottomRight.y, bottomRight.y};
    const float us[4] = {0, 1, 1, 0};
    const float vs[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i)
        key.vertices[i] = MenuVertex{xs[i], ys[i], us[i], vs[i], colour.r, colour.g, colour.b, colour.a};
}

void CMenuQuad::SetVertex(int32_t index, const MenuVertex& vertex)
{
    if (index < 0 || index > 3)
        return;
    key.vertices[index] = vertex;
}

void CMenuQuad::SetColor(Colour colour)
{
    for (MenuVertex& v : key.vertices) {
        v.r = colour.r;
        v.g = colour.g;
        v.b = colour.b;
        v.a = colour.a;
    }
}

void CMenuQuad::EvaluateTrack(int32_t time)
{
    if (CAnimTrack* track = CurrentTrack())
        track->Evaluate(time, &key);
}

void CMenuQuad::DrawNormal(int32_t time)
{
    if (!shown)
        return;
    CMenuElement::DrawNormal(time);
    EvaluateTrack(time);
    Draw(DrawDepth());
}

void CMenuQuad::DrawHighlighted(int32_t time)
{
    if (!shown)
        return;
    CMenuElement::DrawHighlighted(time);
    EvaluateTrack(time);
    if (key.texture) {
        Draw(DrawDepth());
        const int32_t saved = blendMode;
        blendMode = 2;
        Draw(z > -1000.0f ? z - 0.01f : 0.49f);
        blendMode = saved;
    } else {
        for (MenuVertex& v : key.vertices) {
            v.r += 0.1f;
            v.g += 0.1f;
            v.b += 0.1f;
        }
        Draw(DrawDepth());
    }
}

void CMenuQuad::DrawActive(int32_t time)
{
    if (!shown)
        return;
    CMenuElement::DrawActive(time);
    EvaluateTrack(time);
    const QuadKey saved = key;
    for (MenuVertex& v : key.vertices) {
        v.r = v.g = v.b = 0.5f;
        v.a = 1.0f;
    }
    Draw(DrawDepth());
    key = saved;
}

bool CMenuQuad::HitTest(const Point* point)
{
    if (!point || !shown || !selectable || active)
        return false;
    float minX = key.vertices[0].x, maxX = minX, minY = key.vertices[0].y, maxY = minY;
    for (const MenuVertex& v : key.vertices) {
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
    }
    return minX <= point->x && point->x <= maxX && minY <= point->y && point->y <= maxY;
}

void CMenuQuad::Draw(float depth)
{
    const int halfW = DX.screenWidth / 2, halfH = DX.screenHeight / 2;
    bool translucent = false;
    for (int i = 0; i < 4; ++i) {
        const MenuVertex& v = key.vertices[i];
        D3DTLVertex& d = drawBuffer[i];
        d.sx = (v.x + 1.0f) * float(halfW);
        d.sy = (v.y + 1.0f) * float(halfH);
        d.sz = depth;
        d.rhw = 1.0f;
        d.specular = 0;
        d.u = v.u;
        d.v = v.v;
        // Each component is clamped both ways: a negative one would wrap to a bright byte.
        float c[4] = {v.r, v.g, v.b, v.a};
        for (float& x : c)
            x = std::clamp(x, 0.0f, 1.0f);
        if (blendMode == 2)
            for (int k = 0; k < 3; ++k)
                c[k] *= c[3];
        uint32_t bytes[4];
        for (int k = 0; k < 4; ++k)
            bytes[k] = uint32_t(int32_t(c[k] * 255.0f)) & 0xFF;
        d.diffuse = bytes[3] << 24 | bytes[0] << 16 | bytes[1] << 8 | bytes[2];
        if (bytes[3] != 255)
            translucent = true;
    }
    if (!DX.device)
        return;
    if (RenderCache.culling)
        SetCulling(false);
    if (RenderCache.blendMode != 5)
        SetBlendMode(5);
    DX.device->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, drawBuffer, 4, 0);
    if (blendMode == -1) {
        SetBlendMode(translucent ? 1 : 0);
    } else if (RenderCache.blendMode != blendMode) {
        SetBlendMode(blendMode);
    }
    SetTextureCached(key.texture ? key.texture->surface : nullptr, 0);
    SetClipping(true);
    SetLighting(false);
    SetZFunc(4); // less-or-equal
    DX.device->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, drawBuffer, 4, 0);
    SetBlendMode(-1);
}

CMenuPanel::CMenuPanel(CMenu* menu) : CMenuQuad(menu)
{
    type = TYPE_PANEL;
}

void CMenuPanel::Setup(Corner topLeft, Corner bottomRight)
{
    auto* track = new CQuadTrack(owner);
    track->name = "start";
    track->loop = 0;
    const float xs[4] = {topLeft.x, bottomRight.x, bottomRight.x, topLeft.x};
    const float ys[4] = {topLeft.y, topLeft.y, bottomRight.y, bottomRight.y};
    const float us[4] = {0, 1, 1, 0};
    const float vs[4] = {0, 0, 1, 1};
    // Top-left dark grey, bottom-right blue-grey, the two sides their midpoint.
    const float rgb[4][3] = {
        {0.1f, 0.1f, 0.1f}, {0.2f, 0.2f, 0.25f}, {0.3f, 0.3f, 0.4f}, {0.2f, 0.2f, 0.25f}};
    const float alphaEnd[4] = {0.5f, 0.75f, 1.0f, 0.75f};
    for (int k = 0; k < 2; ++k) {
        QuadKey q;
        for (int i = 0; i < 4; ++i)
            q.vertices[i] = MenuVertex{xs[i],     ys[i],     us[i],     vs[i],
                                       rgb[i][0], rgb[i][1], rgb[i][2], k == 0 ? 0.0f : alphaEnd[i]};
        track->AddKey(k == 0 ? 0 : 300, q, 3);
    }
    AddTrack(track);
    track->Release();
}

void CQuadTrack::Interpolate(int32_t local, int32_t from, int32_t to, void* target)
{
    QuadKey& out = *static_cast<QuadKey*>(target);
    if (from == to) {
        if (from < 0 || from >= int32_t(keys.size()))
            return;
        const QuadKey& k = keys[size_t(from)];
        for (int i = 0; i < 4; ++i)
            out.vertices[i] = k.vertices[i];
        if (k.keyHasTexture)
            out.texture = k.texture;
        return;
    }
    const float f = Factor(local, from, to);
    const QuadKey& a = keys[size_t(from)];
    const QuadKey& b = keys[size_t(to)];
    for (int i = 0; i < 4; ++i) {
        const float* va = &a.vertices[i].x;
        const float* vb = &b.vertices[i].x;
        float* vo = &out.vertices[i].x;
        for (int c = 0; c < 8; ++c)
            vo[c] = va[c] + (vb[c] - va[c]) * f;
    }
    out.texture = f >= 1.0f ? b.texture : a.texture;
}
