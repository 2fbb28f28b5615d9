#include "GAMES/Rulo2/render/EditorHelpers.h"

#include <algorithm>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"

LineVertex GridVertices[kGridVertexCount];

void BuildEditorGrids(EGridView view, const CVector& g)
{
    if (view == GRID_UNCHANGED)
        return;
    int32_t n = 0;
    auto line = [&n](const CVector& a, const CVector& b) {
        SetLineVertex(GridVertices[n++], a, kGridColour);
        SetLineVertex(GridVertices[n++], b, kGridColour);
    };
    if (view == GRID_FRONT) {
        line(CVector(0, 0, g.z), CVector(0, 0, g.z + 1));
        for (int i = 0; i <= 10; ++i) {
            const float f = float(i);
            line(CVector(-5, 5 - f, g.z), CVector(5, 5 - f, g.z));
            line(CVector(f - 5, 5, g.z), CVector(f - 5, -5, g.z));
        }
    } else if (view == GRID_SIDE) {
        line(CVector(g.x, 0, 0), CVector(g.x + 1, 0, 0));
        for (int i = 0; i <= 10; ++i) {
            const float f = float(i);
            line(CVector(g.x, -5, 5 - f), CVector(g.x, 5, 5 - f));
            line(CVector(g.x, f - 5, 5), CVector(g.x, f - 5, -5));
        }
    } else {
        line(CVector(0, 0, 0), CVector(0, 1, 0));
        for (int i = 0; i <= 10; ++i) {
            const float f = float(i);
            line(CVector(-5, 0, 5 - f), CVector(5, 0, 5 - f));
            line(CVector(f - 5, 0, 5), CVector(f - 5, 0, -5));
        }
    }
}

void DrawEditorGrid()
{
    if (!DX.device)
        return;
    SetWorldMatrix(CMatrix::Identity);
    SetBlendMode(0);
    SetTextureCached(nullptr, 0);
    SetLighting(false);
    DX.device->DrawPrimitive(D3DPT_LINELIST, kLineVertexFormat, GridVertices, kGridVertexCount, 0);
}

void SetZEnable(bool on)
{
    if (RenderCache.zEnabled == on)
        return;
    RenderCache.zEnabled = on;
    if (!DX.device)
        return;
    if (!on) {
        DX.device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
        return;
    }
    if (!DX.zBuffer && !(DX.deviceInfo && DX.deviceInfo->zBufferlessHSR)) {
        RenderCache.zEnabled = false;
        return;
    }
    DX.device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
    // Blend modes set while the test was off could not send their z writes;
    // the current mode sends them now.
    const int32_t mode = RenderCache.blendMode;
    if (mode >= 0) {
        RenderCache.blendMode = -1;
        SetBlendMode(mode);
    }
}

namespace {

// The bits of a pixel that carry colour: a back surface without alpha may
// read back its unused byte as anything, which is not a drawn pixel.
uint32_t ColourMask(const DDPIXELFORMAT& format, int bytes)
{
    uint32_t mask = format.dwRBitMask | format.dwGBitMask | format.dwBBitMask;
    if (format.dwFlags & DDPF_ALPHAPIXELS)
        mask |= format.dwRGBAlphaBitMask;
    if (mask == 0 || bytes == 1)
        mask = bytes >= 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1;
    return mask;
}

uint32_t ReadPixel(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint32_t(p[i]) << (8 * i);
    return v;
}

// The rectangle clipped to the surface; false when nothing of it is left.
bool ClipToSurface(const SPickRect& rect, const DDSURFACEDESC2& desc, SPickRect& out)
{
    out.x0 = std::max(rect.x0, 0);
    out.y0 = std::max(rect.y0, 0);
    out.x1 = std::min(rect.x1, int32_t(desc.dwWidth) - 1);
    out.y1 = std::min(rect.y1, int32_t(desc.dwHeight) - 1);
    return out.x0 <= out.x1 && out.y0 <= out.y1;
}

} // namespace

void BeginPickTest(const SPickRect& rect)
{
    IDirectDrawSurface7* target = DX.backSurface;
    if (!target)
        return;
    if (rect.IsPoint()) {
        DDSURFACEDESC2 desc;
        if (target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK)
            return;
        SPickRect r;
        if (ClipToSurface(rect, desc, r)) {
            const int bytes = int(desc.ddpfPixelFormat.dwRGBBitCount / 8);
            uint8_t* p = static_cast<uint8_t*>(desc.lpSurface) + size_t(r.y0) * size_t(desc.lPitch) +
                         size_t(r.x0) * size_t(bytes);
            std::fill(p, p + bytes, uint8_t(0));
        }
        target->Unlock(nullptr);
        return;
    }
    RECT fill{rect.x0, rect.y0, rect.x1 + 1, rect.y1 + 1};
    DDBLTFX fx;
    fx.dwFillColor = 0;
    target->Blt(&fill, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    SetZEnable(false);
}

bool EndPickTest(const SPickRect& rect)
{
    IDirectDrawSurface7* target = DX.backSurface;
    if (!target)
        return false;
    DDSURFACEDESC2 desc;
    if (target->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) {
        if (!rect.IsPoint())
            SetZEnable(true);
        return false;
    }
    const int bytes = int(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    const uint32_t mask = ColourMask(desc.ddpfPixelFormat, bytes);
    const auto* bits = static_cast<const uint8_t*>(desc.lpSurface);
    bool hit = false;
    SPickRect r;
    // Every pixel of the inclusive rectangle is looked at, the last column and
    // row too: a one-pixel-wide rectangle must be able to hit.
    if (ClipToSurface(rect, desc, r) && (rect.IsPoint() || bytes == 1 || bytes == 2 || bytes == 4)) {
        for (int32_t y = r.y0; y <= r.y1 && !hit; ++y) {
            const uint8_t* row = bits + size_t(y) * size_t(desc.lPitch);
            for (int32_t x = r.x0; x <= r.x1; ++x)
                if (ReadPixel(row + size_t(x) * size_t(bytes), bytes) & mask) {
                    hit = true;
                    break;
                }
        }
    }
    target->Unlock(nullptr);
    if (!rect.IsPoint())
        SetZEnable(true);
    return hit;
}

namespace {

void DrawPickCandidate(CWorldObject* node, CRootNode* model)
{
    if (!DX.device || !model)
        return;
    const CMatrix matrix = ObjectWorldMatrix(node);
    SetLighting(false);
    SetClipping(GetVisibility(node) == VIS_CLIPPED);
    SetBlendMode(0);
    SetTextureCached(nullptr, 0);
    const uint8_t textures = PassOptions.textures;
    PassOptions.textures = 0;
    DrawModelBatches(model, matrix, -1);
    PassOptions.textures = textures;
}

} // namespace

void PickInRect(CWorldObject* first, CWorldObject** result, const SPickRect& rect)
{
    for (CWorldObject* node = first; node; node = node->NextObject()) {
        if (GetVisibility(node) != VIS_HIDDEN) {
            bool tested = false, hit = false;
            if (node->objectKind == CWorldObject::KIND_MODEL ||
                node->objectKind == CWorldObject::KIND_OBJECT) {
                if (CRootNode* model = node->GetShapeRoot()) {
                    BeginPickTest(rect);
                    DrawPickCandidate(node, model);
                    hit = EndPickTest(rect);
                    tested = true;
                }
            } else if (node->objectKind == CWorldObject::KIND_LIGHT && node->Light() &&
                       node->Light()->deviceLight) {
                BeginPickTest(rect);
                DrawLightMarker(*node->Light()->deviceLight, false);
                hit = EndPickTest(rect);
                tested = true;
            }
            if (tested && hit) {
                if (rect.IsPoint()) {
                    if (result)
                        *result = node;
                } else {
                    node->selected = 1;
                }
            }
        }
        if (CWorldObject* child = node->FirstObject())
            PickInRect(child, result, rect);
    }
}
