#include "GAMES/Rulo2/render/Markers.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/WorldRays.h"

namespace {

// Set while a greyed interface model is drawn: its batches glow grey.
bool g_Grey = false;
const D3DCOLORVALUE kGrey = {0.3f, 0.3f, 0.3f, 0.0f};

D3DMATRIX ToD3D(const CMatrix& m)
{
    D3DMATRIX d;
    std::memcpy(d.m, m.m, sizeof(d.m));
    return d;
}

CMatrix FromD3D(const D3DMATRIX& d)
{
    CMatrix m;
    std::memcpy(m.m, d.m, sizeof(d.m));
    return m;
}

CMatrix CurrentBillboard()
{
    D3DMATRIX view;
    DX.device->GetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    CMatrix b;
    b.billboard(FromD3D(view));
    return b;
}

void DrawSquare(const CVector& at, float half, uint32_t colour)
{
    CMatrix m = CurrentBillboard();
    m[12] = at.x;
    m[13] = at.y;
    m[14] = at.z;
    SetWorldMatrix(m);
    LineVertex v[4];
    SetLineVertex(v[0], CVector(-half, -half, 0), colour, 0, 1);
    SetLineVertex(v[1], CVector(-half, half, 0), colour, 0, 0);
    SetLineVertex(v[2], CVector(half, half, 0), colour, 1, 0);
    SetLineVertex(v[3], CVector(half, -half, 0), colour, 1, 1);
    DX.device->DrawPrimitive(D3DPT_TRIANGLEFAN, kLineVertexFormat, v, 4, 0);
}

} // namespace

void SetLineVertex(LineVertex& v, const CVector& p, uint32_t colour, float u, float w)
{
    v = LineVertex{p.x, p.y, p.z, colour, 0, u, w};
}

void DrawIndexedLines(D3DPRIMITIVETYPE type, const LineVertex* vertices, uint32_t vertexCount,
                      const uint16_t* indices, uint32_t indexCount)
{
    if (DX.device)
        DX.device->DrawIndexedPrimitive(type, kLineVertexFormat, vertices, vertexCount, indices, indexCount,
                                        0);
}

void SetWorldMatrix(const CMatrix& m)
{
    if (!DX.device)
        return;
    const D3DMATRIX d = ToD3D(m);
    DX.device->SetTransform(D3DTRANSFORMSTATE_WORLD, &d);
}

float Vec3Normalize(CVector& v)
{
    const float len = v.length();
    if (len > 0.0f)
        Vec3DivScalar(v, len);
    return len;
}

CMatrix MatrixFromAxisAngle(const CVector& axisIn, float angle)
{
    CVector a = axisIn;
    Vec3Normalize(a);
    const float c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    CMatrix m;
    m.identity();
    m[0] = t * a.x * a.x + c;
    m[1] = t * a.x * a.y + s * a.z;
    m[2] = t * a.x * a.z - s * a.y;
    m[4] = t * a.x * a.y - s * a.z;
    m[5] = t * a.y * a.y + c;
    m[6] = t * a.y * a.z + s * a.x;
    m[8] = t * a.x * a.z + s * a.y;
    m[9] = t * a.y * a.z - s * a.x;
    m[10] = t * a.z * a.z + c;
    return m;
}

void DrawInterfaceModel(CRootNode* model, const CMatrix& world, bool highlight, float opacity, float time,
                        bool lit, const CVector4& colour)
{
    if (!DX.device || !model)
        return;
    D3DMATRIX savedView;
    DX.device->GetTransform(D3DTRANSFORMSTATE_VIEW, &savedView);
    // The figure's depths go to the front of the depth range: the interface's quads lie deeper
    // (0.28 and more), so a button's plate, drawn first, does not hide its figure.
    D3DVIEWPORT7 savedViewport{};
    const bool viewportKept = DX.device->GetViewport(&savedViewport) == D3D_OK;
    if (viewportKept) {
        D3DVIEWPORT7 front = savedViewport;
        front.dvMinZ = 0.0f;
        front.dvMaxZ = 0.1f;
        DX.device->SetViewport(&front);
    }
    CMatrix view;
    view.lookAt(CVector(0, 0, -2), CVector(0, 0, 0), CVector(0, 1, 0));
    const D3DMATRIX v = ToD3D(view);
    DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &v);
    if (model->animated || !model->worldMatricesValid)
        model->UpdateWorldMatrix(CMatrix::Identity, time);
    if (!highlight) {
        SetLighting(false);
        SetClipping(true);
        SetBlendMode(5);
        // The depth pass keeps the nearest surface, so that the coloured pass
        // shows only the front (with depth test "always" the last face drawn won).
        SetZFunc(4);
        SetTextureCached(nullptr, 0);
        DrawModelBatches(model, world, -1);
    }
    SetLighting(PassOptions.lighting && lit);
    SetClipping(true);
    SetCulling(false);
    CNamedMaterial glow("interface");
    if (highlight) {
        glow.material.emissive = {colour.x, colour.y, colour.z, colour.w};
        SetBlendMode(2);
        if (DX.deviceInfo && DX.deviceInfo->zBias)
            DX.device->SetRenderState(D3DRENDERSTATE_ZBIAS, 1);
    }
    ForEachMesh(model, [&](CMeshNode* mesh) {
        for (int32_t k = 0; k < mesh->materialCount; ++k) {
            CMeshMaterial& mm = mesh->materials[k];
            if (highlight && mm.transparency != 0)
                continue;
            if (!highlight)
                SetBlendMode(opacity == 1.0f ? mm.transparency : 1);
            SetZFunc(4); // less-or-equal
            if (highlight) {
                SetMaterialCached(&glow.material);
                CMatrix full;
                CMatrix::multiply(full, mesh->worldMatrix, world);
                SetWorldMatrix(full);
                DrawBatch(*mesh, mm);
                continue;
            }
            if (opacity != 1.0f && mm.surface) {
                // The material's alphas change for this draw only.
                const float diffuse = mm.surface->colour[3], ambient = mm.surface->colour[7];
                mm.surface->colour[3] *= opacity;
                mm.surface->colour[7] *= opacity;
                DrawMeshBatch(mesh, k, world, g_Grey ? &kGrey : nullptr);
                mm.surface->colour[3] = diffuse;
                mm.surface->colour[7] = ambient;
            } else {
                DrawMeshBatch(mesh, k, world, g_Grey ? &kGrey : nullptr);
            }
        }
    });
    DX.device->SetRenderState(D3DRENDERSTATE_ZBIAS, 0);
    RenderCache.blendMode = -1;
    DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &savedView);
    if (viewportKept)
        DX.device->SetViewport(&savedViewport);
}

void DrawTargetMarker(CRootNode* marker, const CVector& position)
{
    if (!DX.device || !marker)
        return;
    CMatrix m;
    m.identity();
    m[0] = m[5] = m[10] = 0.5f;
    m[12] = position.x;
    m[13] = position.y;
    m[14] = position.z;
    static CNamedMaterial glow("marker");
    glow.material.emissive = {0.5f, 1.0f, 0.6f, 0};
    SetBlendMode(0);
    SetLighting(true);
    SetClipping(true);
    SetCulling(false);
    SetTextureCached(nullptr, 0);
    ForEachMesh(marker, [&](CMeshNode* mesh) {
        for (int32_t k = 0; k < mesh->materialCount; ++k) {
            const CMeshMaterial& mm = mesh->materials[k];
            if (!BatchInRange(*mesh, mm))
                continue;
            CMatrix full;
            CMatrix::multiply(full, mesh->worldMatrix, m);
            SetWorldMatrix(full);
            SetMaterialCached(&glow.material);
            DrawBatch(*mesh, mm);
        }
    });
}

// A world matrix at `at`, turned about a random axis by a random angle, so a
// star looks different every frame.
static void SetRandomTurnAt(const CVector& at)
{
    const CVector axis(static_cast<float>(std::rand()), static_cast<float>(std::rand()),
                       static_cast<float>(std::rand()));
    CMatrix m = MatrixFromAxisAngle(axis, float(std::rand()));
    m[12] = at.x;
    m[13] = at.y;
    m[14] = at.z;
    SetWorldMatrix(m);
}

// Three lines through the origin along the axes, `half` long on each side.
static void SetStarLines(LineVertex (&v)[6], float half, uint32_t colour)
{
    for (int a = 0; a < 3; ++a) {
        CVector p(0, 0, 0);
        p[a] = -half;
        SetLineVertex(v[2 * a], p, colour);
        p[a] = half;
        SetLineVertex(v[2 * a + 1], p, colour);
    }
}

void DrawAxisCross(float x, float y, float z, uint32_t colour)
{
    if (!DX.device)
        return;
    CMatrix m;
    m.identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    SetWorldMatrix(m);
    SetBlendMode(0);
    SetTextureCached(nullptr, 0);
    SetClipping(true);
    SetLighting(false);
    LineVertex v[6];
    SetStarLines(v, 0.05f, colour);
    DX.device->DrawPrimitive(D3DPT_LINELIST, kLineVertexFormat, v, 6, 0);
}

void DrawLightFlare(CVector& position, uint32_t colour, IDirectDrawSurface7* flareTexture)
{
    CVector toEye = EyePosition - position;
    Vec3Normalize(toEye);
    position = position + toEye * 0.2f;
    if (!DX.device)
        return;
    const float f = 0.75f + 0.25f * float(std::rand()) / 32767.0f;
    uint32_t c = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float b = float((colour >> shift) & 0xFF) * f;
        c |= uint32_t(b > 255.0f ? 255.0f : b) << shift;
    }
    SetBlendMode(2);
    SetTextureCached(flareTexture, 0);
    SetClipping(true);
    SetLighting(false);
    DrawSquare(position, 0.15f, c);
}

void DrawPointMarker(float x, float y, float z, uint32_t colour)
{
    if (!DX.device)
        return;
    SetBlendMode(1);
    SetTextureCached(nullptr, 0);
    SetClipping(true);
    SetLighting(false);
    DrawSquare(CVector(x, y, z), 0.008f, colour);
}

void DrawCircle3D(const CVector& position, uint32_t colour)
{
    if (!DX.device)
        return;
    constexpr int kSegments = 16;
    constexpr float kRadius = 0.025f;
    CMatrix m = CurrentBillboard();
    m[12] = position.x;
    m[13] = position.y;
    m[14] = position.z;
    SetWorldMatrix(m);
    SetBlendMode(0);
    SetTextureCached(nullptr, 0);
    SetClipping(true);
    SetLighting(false);
    LineVertex v[kSegments + 1];
    for (int i = 0; i <= kSegments; ++i) {
        const float a = 6.2831853f * float(i % kSegments) / kSegments;
        SetLineVertex(v[i], CVector(kRadius * std::cos(a), kRadius * std::sin(a), 0), colour);
    }
    DX.device->DrawPrimitive(D3DPT_LINESTRIP, kLineVertexFormat, v, kSegments + 1, 0);
}

namespace {
CVector4 g_GreyEmissive(0.3f, 0.3f, 0.3f, 0.0f);
} // namespace

void DrawInterfaceModelAt(float x, float y, CRootNode* model, const CMatrix& world, bool highlight,
                          float opacity, float time, bool lit, const CVector4& colour)
{
    if (!DX.device)
        return;
    D3DMATRIX saved;
    DX.device->GetTransform(D3DTRANSFORMSTATE_PROJECTION, &saved);
    CMatrix shift;
    shift.identity();
    shift[12] = x;
    shift[13] = y;
    CMatrix moved;
    CMatrix::multiply(moved, FromD3D(saved), shift);
    const D3DMATRIX m = ToD3D(moved);
    DX.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &m);
    DrawInterfaceModel(model, world, highlight, opacity, time, lit, colour);
    DX.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &saved);
}

void DrawInterfaceModelGrey(CRootNode* model, const CMatrix& world, bool highlight, float opacity, float time,
                            bool lit)
{
    g_Grey = true;
    DrawInterfaceModel(model, world, highlight, opacity, time, lit, g_GreyEmissive);
    g_Grey = false;
}

void DrawInterfaceModelAtGrey(float x, float y, CRootNode* model, const CMatrix& world, bool highlight,
                              float opacity, float time, bool lit)
{
    g_Grey = true;
    DrawInterfaceModelAt(x, y, model, world, highlight, opacity, time, lit, g_GreyEmissive);
    g_Grey = false;
}

void SetMarkerColor(CNamedMaterial& material, float r, float g, float b)
{
    material.material.emissive = {r, g, b, 0.0f};
}

void DrawAttackPoint(const SAttackPoint& point, uint32_t colour)
{
    DrawAxisCross(point.x, point.y, point.z, colour);
    if (!DX.device)
        return;
    CMatrix m;
    m.rotationY(point.angle);
    m[12] = point.x;
    m[13] = point.y;
    m[14] = point.z;
    SetWorldMatrix(m);
    LineVertex v[2];
    SetLineVertex(v[0], CVector(0, 0, 0), colour);
    SetLineVertex(v[1], CVector(0, 0, 0.1f), colour);
    DX.device->DrawPrimitive(D3DPT_LINELIST, kLineVertexFormat, v, 2, 0);
}

void DrawLightStar(const CVector& position)
{
    if (!DX.device)
        return;
    const uint32_t g = 128 + uint32_t(std::rand() % 128);
    const uint32_t colour = 0xFF000000u | g << 16 | g << 8 | g;
    SetBlendMode(0);
    SetTextureCached(nullptr, 0);
    SetClipping(true);
    SetLighting(false);
    for (int cross = 0; cross < 2; ++cross) {
        SetRandomTurnAt(position);
        LineVertex v[6];
        SetStarLines(v, 0.5f, colour);
        DX.device->DrawPrimitive(D3DPT_LINELIST, kLineVertexFormat, v, 6, 0);
    }
}

void DrawLightMarker(const CD3DLight& light, bool selected)
{
    if (!DX.device)
        return;
    const D3DCOLORVALUE& c = light.light.dcvDiffuse;
    auto byte = [](float v) { return uint32_t(v <= 0 ? 0 : v >= 1 ? 255 : int(v * 255.0f)); };
    const uint32_t colour = 0xFF000000u | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
    const uint32_t drawn = selected ? kMarkerSelectedColour : colour;
    SetLighting(false);
    SetClipping(true);
    SetCulling(false);
    SetTextureCached(nullptr, 0);
    const CVector at(light.light.dvPosition.x, light.light.dvPosition.y, light.light.dvPosition.z);
    if (light.light.dltType == D3DLIGHT_POINT) {
        SetRandomTurnAt(at);
        LineVertex v[6];
        SetStarLines(v, 0.05f, drawn);
        // Eight faces of the octahedron over the star's ends, plus the star itself.
        static const uint16_t solid[18] = {0, 2, 4, 1, 2, 4, 0, 3, 4, 1, 3, 4, 0, 2, 5, 1, 3, 5};
        SetBlendMode(0);
        DrawIndexedLines(D3DPT_TRIANGLELIST, v, 6, solid, 18);
        DX.device->DrawPrimitive(D3DPT_LINELIST, kLineVertexFormat, v, 6, 0);
        return;
    }
    if (light.light.dltType != D3DLIGHT_SPOT)
        return;
    CVector d(light.light.dvDirection.x, light.light.dvDirection.y, light.light.dvDirection.z);
    Vec3Normalize(d);
    CMatrix m;
    if (!m.basisFromVectors(d, CVector(0, 1, 0)))
        m.identity();
    m[12] = at.x;
    m[13] = at.y;
    m[14] = at.z;
    SetWorldMatrix(m);
    static const uint16_t outline[12] = {0, 1, 0, 3, 0, 5, 1, 3, 3, 5, 5, 1};
    for (float cone : {light.light.dvTheta, light.light.dvPhi}) {
        const float r = 0.1f * std::sin(cone), depth = 0.1f * std::cos(cone);
        LineVertex v[8];
        SetLineVertex(v[0], CVector(0, 0, 0), (drawn & 0x00FFFFFFu) | 0x80000000u);
        for (int k = 0; k < 7; ++k) {
            const float a = float(k) * 3.14159265f / 3.0f;
            SetLineVertex(v[k + 1], CVector(r * std::cos(a), r * std::sin(a), depth),
                          (drawn & 0x00FFFFFFu) | 0x80000000u);
        }
        SetBlendMode(1);
        DX.device->DrawPrimitive(D3DPT_TRIANGLEFAN, kLineVertexFormat, v, 8, 0);
        for (LineVertex& x : v)
            x.diffuse = drawn;
        SetBlendMode(0);
        DrawIndexedLines(D3DPT_LINELIST, v, 8, outline, 12);
    }
}
