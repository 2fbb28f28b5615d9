#include "GAMES/Rulo2/DirectX.h"

#include <cmath>
#include <cstdlib>

#include "GAMES/Rulo2/DirectXError.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "LIBS/System/CMatrix.h"
#include "LIBS/System/LogPrintf.h"

DirectXState DX;
InterfaceBitmapSet InterfaceBitmaps;
float DefaultFarDistance = 12.0f;
DeviceHooks DXHooks;

namespace {

// The device code writes its own failure lines with the line unchanged.
#define DX_FAIL(hr) LogDXError("DirectX", __LINE__, (hr))

const uint16_t kTable11[11] = {227, 217, 218, 219, 220, 221, 222, 223, 224, 225, 226};

uint32_t depthFlag(int32_t depth)
{
    switch (depth) {
    case 8:
        return DDBD_8;
    case 16:
        return DDBD_16;
    case 24:
        return DDBD_24;
    case 32:
        return DDBD_32;
    default:
        return 0;
    }
}

uint32_t memoryCaps()
{
    return DX.deviceInfo && DX.deviceInfo->hardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
}

bool freeVideoMemory(uint32_t caps, uint32_t* amount)
{
    DDSCAPS2 c;
    c.dwCaps = caps;
    uint32_t total = 0;
    *amount = 0;
    return SUCCEEDED(DX.directDraw->GetAvailableVidMem(&c, &total, amount)) && *amount != 0;
}

void colourFill(IDirectDrawSurface7* s)
{
    DDBLTFX fx;
    fx.dwFillColor = 0;
    s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

void waitCursor(bool on)
{
    if (platform::Application* app = platform::GetApp())
        on ? app->BeginWaitCursor() : app->EndWaitCursor();
}

void releaseBitmap(IDirectDrawSurface7*& s)
{
    if (s)
        s->Release();
    s = nullptr;
}

bool setupWindowMode(platform::Window* window, bool preferNoTnL)
{
    DX.screenWidth = Settings.mainWndW < 1 ? 1 : Settings.mainWndW;
    DX.screenHeight = Settings.mainWndH < 1 ? 1 : Settings.mainWndH;
    DX.screenDepth = D3DDesktopBitsPerPixel();
    if (!ChooseDevice(DX.screenDepth, preferNoTnL))
        return false;
    if (window) {
        window->SetFullscreen(false);
        window->SetPopup(false);
        platform::RECT client;
        if (!window->IsIconic() && window->GetClientRect(client) &&
            (client.right != DX.screenWidth || client.bottom != DX.screenHeight)) {
            window->MoveWindow(DX.windowX, DX.windowY, DX.screenWidth, DX.screenHeight);
            window->ShowWindow(platform::SW_SHOW);
        }
    }
    HRESULT hr = DX.directDraw->SetCooperativeLevel(window, DDSCL_NORMAL | DDSCL_FPUSETUP);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return false;
    }
    DDSURFACEDESC2 pd;
    pd.dwFlags = DDSD_CAPS;
    pd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    hr = DX.directDraw->CreateSurface(&pd, &DX.primary, nullptr);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return false;
    }
    DDSURFACEDESC2 bd;
    bd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    bd.dwWidth = uint32_t(DX.screenWidth);
    bd.dwHeight = uint32_t(DX.screenHeight);
    bd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | memoryCaps();
    hr = DX.directDraw->CreateSurface(&bd, &DX.backSurface, nullptr);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return false;
    }
    colourFill(DX.backSurface);
    LogPrintf("Using '%dx%dx%d' window-mode", DX.screenWidth, DX.screenHeight, DX.screenDepth);
    return true;
}

HRESULT findBackBuffer(IDirectDrawSurface7* s, DDSURFACEDESC2* d, void* ctx)
{
    auto** out = static_cast<IDirectDrawSurface7**>(ctx);
    if (!*out && (d->dwFlags & DDSD_CAPS) && (d->ddsCaps.dwCaps & DDSCAPS_BACKBUFFER)) {
        *out = s;
        return DDENUMRET_CANCEL;
    }
    s->Release();
    return DDENUMRET_OK;
}

bool setupFullscreenMode(platform::Window* window, bool preferNoTnL)
{
    if (window)
        window->SetPopup(true); // no menu, caption or system menu in full screen
    uint32_t freeMemory = 0;
    if (!freeVideoMemory(DDSCAPS_PRIMARYSURFACE | DDSCAPS_LOCALVIDMEM, &freeMemory)) {
        LogPrintf("Couldn't compute available video-memory");
        return false;
    }
    if (!DX.displayMode) {
        const bool small = freeMemory <= 0x800000u;
        const int targetW = small ? 640 : Settings.mainWndW, targetH = small ? 480 : Settings.mainWndH;
        int best = -1;
        for (DisplayModeInfo* m : DX.displayDriver->modes) {
            if (m->bitsPerPixel != 16)
                continue;
            const int distance = std::abs(m->width - targetW) + std::abs(m->height - targetH);
            if (best < 0 || distance <= best) {
                best = distance;
                DX.displayMode = m;
            }
        }
        if (!DX.displayMode)
            return false;
    }
    DX.screenWidth = DX.displayMode->width;
    DX.screenHeight = DX.displayMode->height;
    DX.screenDepth = DX.displayMode->bitsPerPixel;
    if (window)
        window->MoveWindow(0, 0, DX.screenWidth, DX.screenHeight);
    if (!ChooseDevice(DX.screenDepth, preferNoTnL))
        return false;
    HRESULT hr = DX.directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE |
                                                                DDSCL_ALLOWREBOOT | DDSCL_FPUSETUP);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return false;
    }
    hr = DX.directDraw->SetDisplayMode(uint32_t(DX.screenWidth), uint32_t(DX.screenHeight),
                                       uint32_t(DX.screenDepth), 0, 0);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return false;
    }
    const uint32_t pixels = uint32_t(DX.screenWidth) * uint32_t(DX.screenHeight);
    const uint32_t frameBytes = uint32_t(DX.screenDepth / 8) * pixels;
    const bool makesZ = DX.deviceInfo->hasZFormats && DX.zFormat && !DX.deviceInfo->zBufferlessHSR;
    const uint32_t zBytes = makesZ ? uint32_t(DX.zFormat->zDepth / 8) * pixels : 0;
    if (!freeVideoMemory(DDSCAPS_PRIMARYSURFACE | DDSCAPS_LOCALVIDMEM, &freeMemory)) {
        LogPrintf("Couldn't compute available video-memory for z-buffer");
        return false;
    }
    const uint64_t needed = 3ull * frameBytes + zBytes;
    uint32_t backBuffers =
        DX.deviceInfo->hardware && freeMemory > needed && freeMemory - needed >= 0x400000u ? 2 : 1;
    DDSURFACEDESC2 pd;
    pd.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    pd.ddsCaps.dwCaps =
        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE | memoryCaps();
    pd.dwBackBufferCount = backBuffers;
    hr = DX.directDraw->CreateSurface(&pd, &DX.primary, nullptr);
    if (hr == DDERR_UNSUPPORTED && backBuffers == 2) {
        backBuffers = 1;
        pd.dwBackBufferCount = 1;
        hr = DX.directDraw->CreateSurface(&pd, &DX.primary, nullptr);
    }
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return false;
    }
    DX.primary->EnumAttachedSurfaces(&DX.backSurface, findBackBuffer);
    if (!DX.backSurface) {
        LogPrintf("Could not find back-surface");
        return false;
    }
    colourFill(DX.primary);
    colourFill(DX.backSurface);
    LogPrintf("Using '%s' fullscreen-mode with %s buffering", DX.displayMode->name.c_str(),
              backBuffers == 2 ? "triple" : "double");
    return true;
}

} // namespace

bool ChooseDisplayDevice(bool primaryOnly, bool needWindowed)
{
    DDDriverInfo* winner = nullptr;
    for (DDDriverInfo* d : DriverList)
        if (!(primaryOnly && d->guidPointer) && (!needWindowed || d->windowCapable))
            winner = d;
    if (!winner) {
        LogPrintf("No appropriate 3D-device found");
        return false;
    }
    if (DX.directDraw && winner == DX.displayDriver)
        return true;
    DX.deviceInfo = nullptr;
    DX.displayMode = nullptr;
    LogPrintf("Using '%s' device", winner->name.c_str());
    if (DX.direct3D)
        DX.direct3D->Release();
    if (DX.directDraw) {
        DX.directDraw->RestoreDisplayMode();
        DX.directDraw->Release();
    }
    DX.direct3D = nullptr;
    DX.directDraw = nullptr;
    DX.displayDriver = winner;
    HRESULT hr = DirectDrawCreateEx(winner->guidPointer, &DX.directDraw);
    if (SUCCEEDED(hr))
        hr = DX.directDraw->QueryDirect3D(&DX.direct3D);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        if (DX.directDraw)
            DX.directDraw->Release();
        DX.directDraw = nullptr;
        DX.displayDriver = nullptr;
        MessageBoxWarning(GetDisplayText("ERROR_WRONGDXVERSION"));
        return false;
    }
    return true;
}

bool ChooseDevice(int32_t renderDepth, bool preferNoTnL)
{
    const uint32_t flag = depthFlag(renderDepth);
    if (!flag) {
        LogPrintf("Unsupported render-depth");
        return false;
    }
    DX.deviceInfo = nullptr;
    for (D3DDeviceInfo* d : DX.displayDriver->devices) {
        if (!(d->desc.dwDeviceRenderBitDepth & flag) || !d->hardware)
            continue;
        if (!DX.deviceInfo || (preferNoTnL && !d->hardwareTnL && DX.deviceInfo->hardwareTnL) ||
            (!preferNoTnL && d->hardwareTnL && !DX.deviceInfo->hardwareTnL))
            DX.deviceInfo = d;
    }
    if (!DX.deviceInfo) {
        LogPrintf("No appropriate 3D-driver found");
        return false;
    }
    LogPrintf("Using '%s' driver", DX.deviceInfo->name.c_str());
    DX.zFormat = nullptr;
    for (ZBufferFormatInfo* z : DX.deviceInfo->zFormats) {
        const bool fits = z->zDepth == renderDepth || (renderDepth == 32 && z->zDepth == 24) ||
                          (renderDepth == 24 && z->zDepth == 32);
        if (fits && (!DX.zFormat || z->zDepth > DX.zFormat->zDepth))
            DX.zFormat = z;
    }
    return true;
}

bool SetupDisplayMode(platform::Window* window, bool preferNoTnL)
{
    DX.primary = nullptr;
    DX.backSurface = nullptr;
    if (DXHooks.setMenuForMode)
        DXHooks.setMenuForMode();
    const bool ok =
        WindowedFlag ? setupWindowMode(window, preferNoTnL) : setupFullscreenMode(window, preferNoTnL);
    if (!ok)
        return false;

    IDirectDrawClipper* clipper = nullptr;
    HRESULT hr = DX.directDraw->CreateClipper(0, &clipper, nullptr);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return false;
    }
    clipper->SetHWnd(0, nullptr);
    DX.primary->SetClipper(clipper);
    clipper->Release();
    if (!WindowedFlag)
        DX.directDraw->FlipToGDISurface();

    DDPIXELFORMAT backFormat;
    DX.backSurface->GetPixelFormat(&backFormat);
    uint32_t textureMemory = 0;
    if (!freeVideoMemory(DDSCAPS_TEXTURE, &textureMemory)) {
        LogPrintf("Couldn't compute available texture-memory");
        return false;
    }
    if (ShrinkTexturesFlag) {
        DX.halveTextureWidths = DX.halveTextureHeights = true;
    } else if (textureMemory >= 0x400000u) {
        DX.halveTextureWidths = DX.halveTextureHeights = false;
    } else if (textureMemory < 0x200000u || DX.deviceInfo->squareOnly) {
        DX.halveTextureWidths = DX.halveTextureHeights = true;
    } else {
        DX.halveTextureWidths = false;
        DX.halveTextureHeights = true;
    }
    if (backFormat.dwFlags & DDPF_PALETTEINDEXED8) {
        PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i) {
            if (!WindowedFlag) {
                entries[i] = {uint8_t(((i >> 5) & 7) * 255 / 7), uint8_t(((i >> 2) & 7) * 255 / 7),
                              uint8_t((i & 3) * 255 / 3), 0x40};
            } else {
                entries[i].peFlags = (i < 10 || i >= 246) ? 0x40 : 1;
            }
        }
        IDirectDrawPalette* palette = nullptr;
        if (SUCCEEDED(
                DX.directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr))) {
            DX.primary->SetPalette(palette);
            DX.backSurface->SetPalette(palette);
            palette->Release();
        }
    }
    return true;
}

bool CreateD3DDevice()
{
    D3DDeviceInfo* info = DX.deviceInfo;
    HRESULT hr;
    if (info->zBufferlessHSR) {
        LogPrintf("Using hidden-surface-removal instead of z-buffer");
    } else if (!info->hasZFormats || !DX.zFormat) {
        LogPrintf("No z-buffer available");
    } else {
        DDSURFACEDESC2 zd;
        zd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        zd.dwWidth = uint32_t(DX.screenWidth);
        zd.dwHeight = uint32_t(DX.screenHeight);
        zd.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | memoryCaps();
        zd.ddpfPixelFormat = DX.zFormat->format;
        hr = DX.directDraw->CreateSurface(&zd, &DX.zBuffer, nullptr);
        if (SUCCEEDED(hr))
            hr = DX.backSurface->AddAttachedSurface(DX.zBuffer);
        if (FAILED(hr)) {
            DX_FAIL(hr);
            return false;
        }
        LogPrintf("Initialized '%d bit' z-buffer successfully", DX.zFormat->zDepth);
    }
    hr = DX.direct3D->CreateDevice(info->guid, DX.backSurface, &DX.device);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return false;
    }
    EnumerateTextureFormats(DX.device, info);
    D3DVIEWPORT7 vp;
    vp.dwWidth = uint32_t(DX.screenWidth);
    vp.dwHeight = uint32_t(DX.screenHeight);
    vp.dvMinZ = 0.0f;
    vp.dvMaxZ = 1.0f;
    hr = DX.device->SetViewport(&vp);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return false;
    }

    ResetRenderStateCache();
    IDirect3DDevice7* d = DX.device;
    d->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, RenderCache.alphaBlend);
    d->SetRenderState(D3DRENDERSTATE_ZENABLE, RenderCache.zEnabled);
    d->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, RenderCache.zWrite);
    d->SetRenderState(D3DRENDERSTATE_ALPHATESTENABLE, RenderCache.alphaTest);
    d->SetRenderState(D3DRENDERSTATE_ALPHAREF, 0x80);
    d->SetRenderState(D3DRENDERSTATE_ALPHAFUNC, D3DCMP_GREATER);
    d->SetRenderState(D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID);
    d->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
    d->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, info->perspective);
    d->SetRenderState(D3DRENDERSTATE_DITHERENABLE, info->dither);
    d->SetRenderState(D3DRENDERSTATE_ANTIALIAS, 0);
    d->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 0);
    d->SetRenderState(D3DRENDERSTATE_STIPPLEDALPHA, 0);
    d->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 0);
    d->SetRenderState(D3DRENDERSTATE_LIGHTING, RenderCache.lighting);
    d->SetRenderState(D3DRENDERSTATE_CLIPPING, RenderCache.clipping);
    d->SetRenderState(D3DRENDERSTATE_EXTENTS, 0);
    d->SetRenderState(D3DRENDERSTATE_NORMALIZENORMALS, RenderCache.normalizeNormals);
    d->SetRenderState(D3DRENDERSTATE_COLORVERTEX, 1);
    d->SetRenderState(D3DRENDERSTATE_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRENDERSTATE_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRENDERSTATE_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRENDERSTATE_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);

    const bool farView = FarViewFlag || (DXHooks.editorCameraActive && DXHooks.editorCameraActive());
    CMatrix projection;
    projection.perspective(3.1415927f / 4.0f, 0.75f, 0.1f, farView ? FogEndInUse() : DefaultFarDistance);
    D3DMATRIX pm;
    std::memcpy(pm.m, projection.m, sizeof pm.m);
    d->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &pm);
    d->SetTexture(0, nullptr);
    d->SetTexture(1, nullptr);
    SetFogStates(*info);

    D3DMATERIAL7 defaultMaterial;
    defaultMaterial.diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    defaultMaterial.ambient = {0.5f, 0.5f, 0.5f, 1.0f};
    SetMaterialCached(&defaultMaterial);

    // A texture on the stages while the state blocks are recorded and validated;
    // a plain one stands in when the resource is missing.
    CTexture* testTextureResource = LoadTextureResource(336, "Initialization Test-Texture", false);
    IDirectDrawSurface7* testTexture = nullptr;
    if (testTextureResource && testTextureResource->surface) {
        testTexture = testTextureResource->surface;
        testTexture->AddRef();
    } else {
        testTexture = CreateTestTexture();
    }
    d->SetTexture(0, testTexture);
    if (info->multitexture)
        d->SetTexture(1, testTexture);
    const uint32_t filter = info->linearFilter ? D3DTFG_LINEAR : D3DTFG_POINT;
    d->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTFP_NONE);
    if (info->multitexture) {
        d->SetTextureStageState(1, D3DTSS_MINFILTER, filter);
        d->SetTextureStageState(1, D3DTSS_MAGFILTER, filter);
        d->SetTextureStageState(1, D3DTSS_MIPFILTER, D3DTFP_NONE);
    }

    using Stage = std::initializer_list<std::pair<D3DTEXTURESTAGESTATETYPE, uint32_t>>;
    auto record = [d](std::initializer_list<std::pair<uint32_t, Stage>> stages) -> uint32_t {
        uint32_t handle = 0;
        d->BeginStateBlock();
        for (const auto& [stage, states] : stages)
            for (const auto& [type, value] : states)
                d->SetTextureStageState(stage, type, value);
        d->EndStateBlock(&handle);
        uint32_t passes = 0;
        if (FAILED(d->ValidateDevice(&passes)) || passes == 0) {
            d->DeleteStateBlock(handle);
            return 0;
        }
        return handle;
    };
    const Stage single0 = {{D3DTSS_ADDRESS, D3DTADDRESS_WRAP}, {D3DTSS_TEXCOORDINDEX, 0},
                           {D3DTSS_COLORARG1, D3DTA_TEXTURE},  {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
                           {D3DTSS_COLOROP, D3DTOP_MODULATE},  {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                           {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},  {D3DTSS_ALPHAOP, D3DTOP_MODULATE}};
    const Stage disable = {{D3DTSS_COLOROP, D3DTOP_DISABLE}};
    DX.stateBlockSingle = record({{0, single0}, {1, disable}});
    DX.stateBlockClamped = record({{0,
                                    {{D3DTSS_ADDRESS, D3DTADDRESS_CLAMP},
                                     {D3DTSS_TEXCOORDINDEX, 1},
                                     {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                                     {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
                                     {D3DTSS_COLOROP, D3DTOP_MODULATE},
                                     {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                                     {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
                                     {D3DTSS_ALPHAOP, D3DTOP_MODULATE}}},
                                   {1, disable}});
    if (info->multitexture) {
        const Stage lightMap = {{D3DTSS_ADDRESS, D3DTADDRESS_CLAMP}, {D3DTSS_TEXCOORDINDEX, 1},
                                {D3DTSS_COLORARG1, D3DTA_TEXTURE},   {D3DTSS_COLORARG2, D3DTA_CURRENT},
                                {D3DTSS_COLOROP, D3DTOP_MODULATE},   {D3DTSS_ALPHAARG2, D3DTA_CURRENT},
                                {D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}};
        DX.stateBlockMulti = record({{0, single0}, {1, lightMap}, {2, disable}});
        if (DX.stateBlockMulti) {
            LogPrintf("Using 2 stages (standard) multitexturing");
        } else {
            DX.stateBlockMulti = record({{0,
                                          {{D3DTSS_ADDRESS, D3DTADDRESS_WRAP},
                                           {D3DTSS_TEXCOORDINDEX, 0},
                                           {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                                           {D3DTSS_COLOROP, D3DTOP_SELECTARG1},
                                           {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                                           {D3DTSS_ALPHAOP, D3DTOP_SELECTARG1}}},
                                         {1, lightMap},
                                         {2,
                                          {{D3DTSS_COLORARG1, D3DTA_DIFFUSE},
                                           {D3DTSS_COLORARG2, D3DTA_CURRENT},
                                           {D3DTSS_COLOROP, D3DTOP_MODULATE},
                                           {D3DTSS_ALPHAARG2, D3DTA_CURRENT},
                                           {D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}}},
                                         {3, disable}});
            if (DX.stateBlockMulti) {
                LogPrintf("Using 3 stages (Voodoo-style) multitexturing");
            } else {
                LogPrintf("Multitexturing not supported");
                info->multitexture = false;
            }
        }
    } else {
        LogPrintf("Multitexturing not supported");
    }
    DX.stateBlockDecal = record({{0,
                                  {{D3DTSS_ADDRESS, D3DTADDRESS_CLAMP},
                                   {D3DTSS_TEXCOORDINDEX, 1},
                                   {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                                   {D3DTSS_COLOROP, D3DTOP_SELECTARG1},
                                   {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
                                   {D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}}},
                                 {1, disable}});

    d->SetTexture(0, nullptr);
    d->SetTexture(1, nullptr);
    if (testTexture)
        testTexture->Release();
    delete testTextureResource;
    ApplyStateBlockCached(DX.stateBlockSingle);

    RestoreAllTextures();
    EnabledLightCount = 0;
    ReapplyAllLights();
    return true;
}

bool InitDirectX()
{
    waitCursor(true);
    ReleaseDirectX();
    bool ok = ChooseDisplayDevice(PrimaryOnlyFlag != 0, WindowedFlag != 0);
    if (ok) {
        ok = SetupDisplayMode(DX.mainWindow, NoTnLFlag != 0) && CreateD3DDevice();
        if (!ok && WindowedFlag) {
            LogPrintf("Initializing for window-mode failed. Retrying fullscreen-mode.");
            WindowedFlag = 0;
            MessageBoxWarning(GetDisplayText("ERROR_DXINIT_WINDOW"));
            ReleaseDevice();
            ReleaseSurfaces(true);
            ok = SetupDisplayMode(DX.mainWindow, NoTnLFlag != 0) && CreateD3DDevice();
            if (!ok) {
                DX.screenWidth = 640;
                DX.screenHeight = 480;
                DX.windowX = 0;
                DX.windowY = 0;
            }
        }
    }
    if (!ok) {
        LogPrintf("Initializing failed");
        MessageBoxError(GetDisplayText("ERROR_DXINIT_FAILED"));
        if (DX.mainWindow) {
            // The drawing context lives on the window: it goes first.
            D3DDetachWindow();
            DX.mainWindow->DestroyWindow();
        }
        waitCursor(false);
        return false;
    }

    if (!RenderCache.zEnabled)
        RenderCache.zEnabled = true;
    if (!DX.zBuffer && !DX.deviceInfo->zBufferlessHSR) {
        DX.device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
        RenderCache.zEnabled = false;
    } else {
        DX.device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
    }
    SetWorldLightingStates();
    DX.initialised = true;
    LogPrintf("Initialized successfully");

    InterfaceBitmaps.bitmap216 = LoadInterfaceBitmap(216, true);
    for (int i = 0; i < 11; ++i)
        InterfaceBitmaps.table11[i] = LoadInterfaceBitmap(kTable11[i], true);
    for (int i = 0; i < 20; ++i)
        InterfaceBitmaps.table20[i] = LoadInterfaceBitmap(uint16_t(277 + i), true);
    InterfaceBitmaps.bitmap399 = LoadInterfaceBitmap(399, true);
    InterfaceBitmaps.bitmap398 = LoadInterfaceBitmap(398, true);
    InterfaceBitmaps.bitmap413 = LoadInterfaceBitmap(413, true);
    InterfaceBitmaps.bitmap545 = LoadInterfaceBitmap(545, true);
    InterfaceBitmaps.bitmap602 = LoadInterfaceBitmap(602, false);
    waitCursor(false);
    return true;
}

void ReleaseDevice()
{
    if (DX.device) {
        for (uint32_t* block :
             {&DX.stateBlockSingle, &DX.stateBlockClamped, &DX.stateBlockMulti, &DX.stateBlockDecal}) {
            if (*block)
                DX.device->DeleteStateBlock(*block);
            *block = 0;
        }
    }
    if (DX.zBuffer) {
        if (DX.backSurface)
            DX.backSurface->DeleteAttachedSurface(0, DX.zBuffer);
        DX.zBuffer->Release();
        DX.zBuffer = nullptr;
    }
    if (DX.device)
        DX.device->Release();
    DX.device = nullptr;
    RenderCache.stageTexture[0] = RenderCache.stageTexture[1] = nullptr;
}

void ReleaseSurfaces(bool restoreDisplayMode)
{
    // A full-screen back buffer belongs to the primary's chain: the chain releases it.
    if (DX.backSurface)
        DX.backSurface->Release();
    DX.backSurface = nullptr;
    if (DX.primary)
        DX.primary->Release();
    DX.primary = nullptr;
    if (restoreDisplayMode && DX.directDraw)
        DX.directDraw->RestoreDisplayMode();
}

void ReleaseDirectX()
{
    releaseBitmap(InterfaceBitmaps.bitmap216);
    for (IDirectDrawSurface7*& s : InterfaceBitmaps.table11)
        releaseBitmap(s);
    for (IDirectDrawSurface7*& s : InterfaceBitmaps.table20)
        releaseBitmap(s);
    releaseBitmap(InterfaceBitmaps.bitmap399);
    releaseBitmap(InterfaceBitmaps.bitmap398);
    releaseBitmap(InterfaceBitmaps.bitmap413);
    releaseBitmap(InterfaceBitmaps.bitmap545);
    releaseBitmap(InterfaceBitmaps.bitmap602);
    DX.initialised = false;
    ReleaseDevice();
    ReleaseSurfaces(true);
}

void ShutdownDirectDraw()
{
    if (DX.direct3D)
        DX.direct3D->Release();
    DX.direct3D = nullptr;
    if (DX.directDraw) {
        DX.directDraw->RestoreDisplayMode();
        DX.directDraw->Release();
    }
    DX.directDraw = nullptr;
    DX.displayDriver = nullptr;
    DX.deviceInfo = nullptr;
    DX.displayMode = nullptr;
    DX.zFormat = nullptr;
    D3DDetachWindow();
}

bool RestoreSurfaces()
{
    for (IDirectDrawSurface7* s : {DX.primary, DX.backSurface, DX.zBuffer})
        if (s && FAILED(s->Restore()))
            return false;
    return true;
}
