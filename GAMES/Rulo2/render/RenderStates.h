// The render-state cache: each setter sends its state only when it changes.
#pragma once

#include <cstdint>
#include <optional>

#include "LIBS/System/CVector.h"
#include "platform/d3d/D3D.h"

struct RenderStateCache
{
    int32_t blendMode = -1;
    int32_t zFunc = -1;
    bool zEnabled = false;
    bool zWrite = false;
    bool alphaTest = false;
    bool lighting = false;
    bool clipping = false;
    bool alphaBlend = false;
    bool culling = false;
    bool fog = false;
    bool normalizeNormals = false;
    // The texture each stage holds.
    IDirectDrawSurface7* stageTexture[2] = {};
    // The material the device holds, by value; none until one is sent.
    std::optional<D3DMATERIAL7> material;
    uint32_t stateBlock = 0;
};
extern RenderStateCache RenderCache;

// Back to the start values (device creation).
void ResetRenderStateCache();

void SetZFunc(int32_t func);
void SetZWrite(bool on);
void SetAlphaTest(bool on);
void SetLighting(bool on);
void SetClipping(bool on);
void SetAlphaBlend(bool on);
void SetCulling(bool on);
void ClearTextureStage(int32_t stage);
// Sends the material unless the device holds an equal one.
void SetMaterialCached(const D3DMATERIAL7* material);
// Sets the texture on the stage (0 or 1) only when it differs; null clears and records null.
void SetTextureCached(IDirectDrawSurface7* texture, int32_t stage);
void SetBlendMode(int32_t mode);

// Corners in normalised screen coordinates (-1 left/top .. 1), counter-clockwise
// or clockwise as given; texCoords null for (0, 0); colour components 0..1.
void DrawRect2D(const CVector2 corners[4], const CVector2* texCoords, const CVector4& colour, float z);
void DrawLine2D(float x1, float y1, float x2, float y2, const CVector4& colour1, const CVector4& colour2,
                float z, float width);

// Applies a state block unless it is the one applied last.
void ApplyStateBlockCached(uint32_t handle);

// Fog enable through the cache (the additive passes and the view cones switch it).
void SetFog(bool on);
