#include "GAMES/Rulo2/render/RenderStates.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"

RenderStateCache RenderCache;

namespace {

void send(D3DRENDERSTATETYPE state, uint32_t value)
{
    if (DX.device)
        DX.device->SetRenderState(state, value);
}

D3DCOLOR toColour(const CVector4& c)
{
    // Components outside 0..1 are clamped rather than wrapped into another colour.
    auto byte = [](float v) {
        const float b = v * 255.0f;
        return b <= 0.0f ? 0u : b >= 255.0f ? 255u : uint32_t(b);
    };
    return byte(c.w) << 24 | byte(c.x) << 16 | byte(c.y) << 8 | byte(c.z);
}

D3DTLVertex screenVertex(float x, float y, float z, D3DCOLOR colour, float u, float v)
{
    const int halfWidth = DX.screenWidth / 2, halfHeight = DX.screenHeight / 2;
    return D3DTLVertex{
        (x + 1.0f) * float(halfWidth), (y + 1.0f) * float(halfHeight), z, 1.0f, colour, 0, u, v};
}

} // namespace

void ResetRenderStateCache()
{
    RenderCache = RenderStateCache{};
}

void SetZFunc(int32_t func)
{
    if (RenderCache.zFunc == func)
        return;
    RenderCache.zFunc = func;
    send(D3DRENDERSTATE_ZFUNC, uint32_t(func));
}

void SetZWrite(bool on)
{
    // Without depth testing the write flag stays as it is, so a later z-buffer still gets it.
    if (!RenderCache.zEnabled || RenderCache.zWrite == on)
        return;
    RenderCache.zWrite = on;
    send(D3DRENDERSTATE_ZWRITEENABLE, on);
}

void SetAlphaTest(bool on)
{
    if (RenderCache.alphaTest == on)
        return;
    RenderCache.alphaTest = on;
    send(D3DRENDERSTATE_ALPHATESTENABLE, on);
}

void SetLighting(bool on)
{
    if (RenderCache.lighting == on)
        return;
    RenderCache.lighting = on;
    send(D3DRENDERSTATE_LIGHTING, on);
}

void SetClipping(bool on)
{
    if (RenderCache.clipping == on)
        return;
    RenderCache.clipping = on;
    send(D3DRENDERSTATE_CLIPPING, on);
}

void SetAlphaBlend(bool on)
{
    if (RenderCache.alphaBlend == on)
        return;
    if (!DX.deviceInfo || !DX.deviceInfo->alphaTextures)
        return;
    RenderCache.alphaBlend = on;
    send(D3DRENDERSTATE_ALPHABLENDENABLE, on);
}

void SetCulling(bool on)
{
    if (RenderCache.culling == on)
        return;
    RenderCache.culling = on;
    send(D3DRENDERSTATE_CULLMODE, on ? D3DCULL_CCW : D3DCULL_NONE);
}

void ClearTextureStage(int32_t stage)
{
    SetTextureCached(nullptr, stage);
}

void SetMaterialCached(const D3DMATERIAL7* material)
{
    if (!material || !DX.device)
        return;
    // By value: callers build their materials on the stack, so addresses say nothing.
    if (RenderCache.material && std::memcmp(&*RenderCache.material, material, sizeof(D3DMATERIAL7)) == 0)
        return;
    RenderCache.material = *material;
    DX.device->SetMaterial(material);
}

void SetTextureCached(IDirectDrawSurface7* texture, int32_t stage)
{
    if (stage < 0 || stage > 1 || !DX.device || RenderCache.stageTexture[stage] == texture)
        return;
    RenderCache.stageTexture[stage] = texture;
    DX.device->SetTexture(uint32_t(stage), texture);
}

void SetBlendMode(int32_t mode)
{
    if (RenderCache.blendMode == mode)
        return;
    RenderCache.blendMode = mode;
    struct Mode
    {
        uint32_t src, dest, zFunc;
        bool blend, zWrite, alphaTest;
    };
    static const Mode modes[6] = {
        {D3DBLEND_ONE, D3DBLEND_ZERO, D3DCMP_LESS, false, true, false},
        {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DCMP_LESS, true, false, false},
        {D3DBLEND_ONE, D3DBLEND_ONE, D3DCMP_LESSEQUAL, true, false, false},
        {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DCMP_LESSEQUAL, true, false, false},
        {D3DBLEND_ONE, D3DBLEND_ZERO, D3DCMP_LESS, false, true, true},
        {D3DBLEND_ZERO, D3DBLEND_ONE, D3DCMP_ALWAYS, true, true, false},
    };
    if (mode < 0 || mode > 5)
        return;
    const Mode& m = modes[mode];
    send(D3DRENDERSTATE_SRCBLEND, m.src);
    send(D3DRENDERSTATE_DESTBLEND, m.dest);
    SetZFunc(int32_t(m.zFunc));
    SetAlphaBlend(m.blend);
    SetZWrite(m.zWrite);
    SetAlphaTest(m.alphaTest);
}

void DrawRect2D(const CVector2 corners[4], const CVector2* texCoords, const CVector4& colour, float z)
{
    const D3DCOLOR c = toColour(colour);
    D3DTLVertex v[4];
    for (int i = 0; i < 4; ++i)
        v[i] = screenVertex(corners[i].x, corners[i].y, z, c, texCoords ? texCoords[i].x : 0.0f,
                            texCoords ? texCoords[i].y : 0.0f);
    SetBlendMode((c >> 24) != 0xFF ? 1 : 0);
    ClearTextureStage(0);
    SetClipping(true);
    SetLighting(false);
    if (DX.device)
        DX.device->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, v, 4, 0);
}

void DrawLine2D(float x1, float y1, float x2, float y2, const CVector4& colour1, const CVector4& colour2,
                float z, float width)
{
    const D3DCOLOR c1 = toColour(colour1), c2 = toColour(colour2);
    const bool opaque = (c1 >> 24) == 0xFF && (c2 >> 24) == 0xFF;
    if (width == 1.0f) {
        D3DTLVertex v[2] = {screenVertex(x1, y1, z, c1, 0, 0), screenVertex(x2, y2, z, c2, 0, 0)};
        SetBlendMode(opaque ? 0 : 1);
        ClearTextureStage(0);
        SetClipping(true);
        SetLighting(false);
        if (DX.device)
            DX.device->DrawPrimitive(D3DPT_LINELIST, FVF_TLVERTEX, v, 2, 0);
        return;
    }
    float ox = -(y2 - y1), oy = x2 - x1;
    const float length = std::sqrt(ox * ox + oy * oy);
    if (length != 0.0f) {
        ox = ox / length * (width / 2);
        oy = oy / length * (width / 2);
    }
    D3DTLVertex v[4] = {
        screenVertex(x1 + ox, y1 + oy, z, c1, 0, 0), screenVertex(x1 - ox, y1 - oy, z, c1, 0, 0),
        screenVertex(x2 + ox, y2 + oy, z, c2, 0, 0), screenVertex(x2 - ox, y2 - oy, z, c2, 0, 0)};
    SetBlendMode(opaque ? 0 : 1);
    ClearTextureStage(0);
    SetClipping(true);
    SetLighting(false);
    SetCulling(false);
    if (DX.device)
        DX.device->DrawPrimitive(D3DPT_TRIANGLESTRIP, FVF_TLVERTEX, v, 4, 0);
}

void ApplyStateBlockCached(uint32_t handle)
{
    if (RenderCache.stateBlock == handle)
        return;
    RenderCache.stateBlock = handle;
    if (DX.device && handle)
        DX.device->ApplyStateBlock(handle);
}

void SetFog(bool on)
{
    if (RenderCache.fog == on)
        return;
    RenderCache.fog = on;
    send(D3DRENDERSTATE_FOGENABLE, on);
}
