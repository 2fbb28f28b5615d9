#pragma once
// The textured or plain-coloured four-cornered element of the 2-D layer, its
// keyframe track (all four corners, colours and the texture at once) and the
// panel: a quad that fades in as a dark-to-blue-grey gradient.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CMenuElement.h"
#include "platform/d3d/D3DTypes.h"

class CTexture;

// One corner: x, y from -1 (left, top) to 1; texture coordinates; colour 0..1.
struct MenuVertex
{
    float x, y, u, v, r, g, b, a;
};

// The animated block of a quad and the value of one track key. Corners run
// top-left, top-right, bottom-right, bottom-left.
struct QuadKey
{
    MenuVertex vertices[4] = {};
    uint8_t keyHasTexture = 0;
    CTexture* texture = nullptr;
};

class CMenuQuad : public CMenuElement
{
public:
    explicit CMenuQuad(CMenu* owner);

    void DrawNormal(int32_t time) override;
    void DrawHighlighted(int32_t time) override;
    void DrawActive(int32_t time) override;
    bool HitTest(const Point* point) override;

    struct Corner
    {
        float x, y;
    };
    struct Colour
    {
        float r, g, b, a;
    };
    void SetGeometry(Corner topLeft, Corner bottomRight, Colour colour);
    void SetVertex(int32_t index, const MenuVertex& vertex);
    void SetColor(Colour colour);
    // Two fans of the four corners: depth only, then the colour.
    void Draw(float depth);

    float z = -1000.0f;
    QuadKey key;
    D3DTLVertex drawBuffer[4] = {};
    int32_t blendMode = -1;

private:
    float DrawDepth() const { return z > -1000.0f ? z : 0.5f; }
    void EvaluateTrack(int32_t time);
};

class CMenuPanel : public CMenuQuad
{
public:
    explicit CMenuPanel(CMenu* owner);
    void Setup(Corner topLeft, Corner bottomRight);
};

class CQuadTrack : public CKeyTrack<QuadKey>
{
public:
    explicit CQuadTrack(CMenu* owner) : CKeyTrack(owner) {}
    void Interpolate(int32_t local, int32_t from, int32_t to, void* target) override;
};
