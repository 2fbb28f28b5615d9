#include "GAMES/Rulo2/render/WorldFrame.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/AttackPointsDlg.h"
#include "GAMES/Rulo2/editor/ModelTreeDlg.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/render/WatcherMarks.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

namespace {

uint32_t FloatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// While the view rectangle is set, the world is drawn into it alone; the whole screen is the
// viewport again afterwards, for the screens drawn over it.
class CViewRectViewport
{
public:
    CViewRectViewport()
    {
        IDirect3DDevice7* d = DX.device;
        if (!d || WorldViewRect.IsEmpty() || FAILED(d->GetViewport(&full_)))
            return;
        const int32_t w = int32_t(full_.dwX + full_.dwWidth), h = int32_t(full_.dwY + full_.dwHeight);
        const int32_t left = std::clamp(WorldViewRect.left, 0, w), top = std::clamp(WorldViewRect.top, 0, h);
        const int32_t right = std::clamp(WorldViewRect.right, 0, w);
        const int32_t bottom = std::clamp(WorldViewRect.bottom, 0, h);
        if (right <= left || bottom <= top)
            return;
        D3DVIEWPORT7 vp = full_;
        vp.dwX = uint32_t(left);
        vp.dwY = uint32_t(top);
        vp.dwWidth = uint32_t(right - left);
        vp.dwHeight = uint32_t(bottom - top);
        set_ = d->SetViewport(&vp) == D3D_OK;
    }
    ~CViewRectViewport()
    {
        if (set_)
            DX.device->SetViewport(&full_);
    }
    CViewRectViewport(const CViewRectViewport&) = delete;
    CViewRectViewport& operator=(const CViewRectViewport&) = delete;

private:
    D3DVIEWPORT7 full_;
    bool set_ = false;
};

} // namespace

uint32_t FrameClearColour(bool gameView)
{
    if (!gameView)
        return 0xFF000000u;
    auto c = [](int16_t v) { return uint32_t(std::clamp<int>(v, 0, 255)); };
    return 0xFF000000u | (c(CurrentFogColor[0]) << 16) | (c(CurrentFogColor[1]) << 8) | c(CurrentFogColor[2]);
}

void SetFogStates(const D3DDeviceInfo& info)
{
    if (!DX.device)
        return;
    DX.device->SetRenderState(D3DRENDERSTATE_FOGENABLE, RenderCache.fog);
    const uint32_t fogColour = uint32_t(uint8_t(CurrentFogColor[0])) << 16 |
                               uint32_t(uint8_t(CurrentFogColor[1])) << 8 |
                               uint32_t(uint8_t(CurrentFogColor[2]));
    if (info.hardware && info.tableFog) {
        DX.device->SetRenderState(D3DRENDERSTATE_FOGCOLOR, fogColour);
        DX.device->SetRenderState(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_LINEAR);
        DX.device->SetRenderState(D3DRENDERSTATE_FOGVERTEXMODE, D3DFOG_NONE);
        DX.device->SetRenderState(D3DRENDERSTATE_FOGSTART, FloatBits(FogStartInUse()));
        DX.device->SetRenderState(D3DRENDERSTATE_FOGEND, FloatBits(FogEndInUse()));
    } else if (info.vertexFog) {
        DX.device->SetRenderState(D3DRENDERSTATE_FOGCOLOR, fogColour);
        DX.device->SetRenderState(D3DRENDERSTATE_FOGVERTEXMODE, D3DFOG_LINEAR);
        DX.device->SetRenderState(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_NONE);
        DX.device->SetRenderState(D3DRENDERSTATE_FOGSTART, FloatBits(FogStartInUse()));
        DX.device->SetRenderState(D3DRENDERSTATE_FOGEND, FloatBits(FogEndInUse()));
        DX.device->SetRenderState(D3DRENDERSTATE_RANGEFOGENABLE, info.rangeFog);
    }
}

void SetWorldLightingStates()
{
    if (!DX.device)
        return;
    SetCulling(CullingFlag != 0);
    SetLighting(LightingFlag != 0);
    DX.device->SetRenderState(D3DRENDERSTATE_AMBIENT, 0x606060);
}

void UpdateFrameView(SWorldFrame& frame)
{
    // An editor view has its own pose; the game view's record is left alone.
    if (!frame.gameView) {
        ApplyViewTransform(frame.eye, frame.target);
        return;
    }
    if (!frame.camera.hero && frame.posed) {
        GameViewRecord.position = frame.target;
        GameViewRecord.eye = frame.eye;
    }
    UpdateCameraInput(frame.camera);
}

void CollectFrameVisibility(const SWorldFrame& frame)
{
    if (g_WorldRoot)
        CollectVisibleFrame(g_WorldRoot, frame.gameView);
    if (!frame.editRoots)
        return;
    // The spare roots are drawn by the same passes; their positions are world positions.
    for (CWorldObject* root : {g_PreviewRoot, g_PasteRoot})
        if (root && root->firstChild)
            CollectVisible(root->FirstObject(), 0, false);
}

void DrawWorldFrame(const SWorldFrame& frame)
{
    if (!g_WorldRoot)
        return;
    const CViewRectViewport viewport;
    PassClock = frame.clock;
    PassOptions.lighting = LightingFlag;
    PassOptions.culling = CullingFlag;
    PassOptions.textures = TexturesFlag;
    PassOptions.dynamicLights = Settings.dynamicLights != 0;
    ObjectPassHooks.gameSpeed = frame.gameSpeed;
    ObjectPassHooks.burglaryFlag = frame.burglaryFlag;
    UpdateVisibleObjects(frame.camera.hero);
    DrawVisibleObjects(false);
    if (ShadowDisplayFlag && DX.DeviceShadowFlag)
        DrawShadowMaps();
    DrawTransparentAndFaded();
    if (PassOptions.lighting && LightFlaresFlag) {
        CTexture* flare = GameResourceTexture(393); // "Lightflare"
        for (SFlare& f : FlareList)
            DrawLightFlare(f.point, f.colour, flare ? flare->surface : nullptr);
    }
    if (PointedObject)
        DrawHighlight(PointedObject);
    if (frame.gameView)
        DrawWatcherMarks(ViewConeList);
    if (!frame.gameView) {
        DrawEditorGrid();
        DrawAttackPointMarkers();
        DrawShapeOfSelectedMesh();
        if (ViewLocator.visible)
            DrawCircle3D(ViewLocator.position, kMarkerSelectedColour);
        return;
    }
    DrawCharacterLabels(VisibleCharacters());
    DrawTextBubbles();
}

void DrawFrameOverlays(const SStatisticsInput& statistics)
{
    DrawStatistics(statistics);
}

void RenderWorldFrame(SWorldFrame& frame, SFrameTimes* times)
{
    if (!DX.device)
        return;
    using Clock = std::chrono::steady_clock;
    const uint32_t clearFlags = D3DCLEAR_TARGET | (DX.zBuffer ? D3DCLEAR_ZBUFFER : 0u);
    DX.device->Clear(0, nullptr, clearFlags, FrameClearColour(frame.gameView), 1.0f, 0);
    UpdateFrameView(frame);
    const auto t0 = Clock::now();
    CollectFrameVisibility(frame);
    const auto t1 = Clock::now();
    if (DX.device->BeginScene() == D3D_OK) {
        DrawWorldFrame(frame);
        DX.device->EndScene();
    }
    const auto t2 = Clock::now();
    if (times) {
        times->collectMs += std::chrono::duration<double, std::milli>(t1 - t0).count();
        times->drawMs += std::chrono::duration<double, std::milli>(t2 - t1).count();
    }
}

void RenderWorldFrame(CWorldObject* hero, int32_t time, SFrameTimes* times)
{
    SWorldFrame frame;
    frame.camera.hero = hero;
    frame.camera.focus = hero;
    frame.camera.frameTime = time;
    frame.clock = time;
    RenderWorldFrame(frame, times);
}
