#include "GAMES/Rulo2/render/OffscreenView.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "LIBS/Image/imgSave.h"
#include "LIBS/System/CMatrix.h"
#include "platform/files/AtomicFile.h"

namespace {

struct OffscreenState
{
    SDL_Window* window = nullptr;
    D3DDeviceInfo info;
    // The texture formats the device listed belong to this view's device record.
    ~OffscreenState()
    {
        for (TextureFormatInfo* t : info.textureFormats)
            delete t;
    }
};
OffscreenState* g_View = nullptr;

void Release(IDirectDrawSurface7*& s)
{
    if (s)
        s->Release();
    s = nullptr;
}

} // namespace

bool OpenOffscreenView(int width, int height)
{
    if (g_View)
        CloseOffscreenView();
    g_View = new OffscreenState;
    g_View->window = D3DCreateTestWindow(width, height);
    if (!g_View->window) {
        CloseOffscreenView();
        return false;
    }
    if (FAILED(DirectDrawCreateEx(nullptr, &DX.directDraw))) {
        CloseOffscreenView();
        return false;
    }
    DX.directDraw->SetCooperativeLevel(g_View->window, DDSCL_NORMAL);
    DX.directDraw->QueryDirect3D(&DX.direct3D);
    DDSURFACEDESC2 pd;
    pd.dwFlags = DDSD_CAPS;
    pd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    DDSURFACEDESC2 bd;
    bd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    bd.dwWidth = uint32_t(width);
    bd.dwHeight = uint32_t(height);
    bd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
    DDSURFACEDESC2 zd;
    zd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    zd.dwWidth = uint32_t(width);
    zd.dwHeight = uint32_t(height);
    zd.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY;
    zd.ddpfPixelFormat.dwFlags = DDPF_ZBUFFER;
    zd.ddpfPixelFormat.dwRGBBitCount = 24;
    if (FAILED(DX.directDraw->CreateSurface(&pd, &DX.primary, nullptr)) ||
        FAILED(DX.directDraw->CreateSurface(&bd, &DX.backSurface, nullptr)) ||
        FAILED(DX.directDraw->CreateSurface(&zd, &DX.zBuffer, nullptr)) ||
        FAILED(DX.backSurface->AddAttachedSurface(DX.zBuffer)) ||
        FAILED(DX.direct3D->CreateDevice(IID_IDirect3DHALDevice, DX.backSurface, &DX.device))) {
        CloseOffscreenView();
        return false;
    }
    DX.screenWidth = width;
    DX.screenHeight = height;
    D3DDeviceInfo& info = g_View->info;
    info.hardware = true;
    info.alphaTextures = true;
    info.transparency = true;
    info.zBias = true;
    info.hasZFormats = true;
    info.maxActiveLights = 8;
    // Textures as on the game's device, so that what a world builds from
    // pictures (terrains) is drawn with them.
    info.texturing = true;
    info.maxTextureWidth = info.maxTextureHeight = 2048;
    EnumerateTextureFormats(DX.device, &info);
    DX.deviceInfo = &info;

    D3DVIEWPORT7 vp;
    vp.dwWidth = uint32_t(width);
    vp.dwHeight = uint32_t(height);
    vp.dvMinZ = 0.0f;
    vp.dvMaxZ = 1.0f;
    DX.device->SetViewport(&vp);
    ResetRenderStateCache();
    RenderCache.zEnabled = true;
    RenderCache.zWrite = true;
    IDirect3DDevice7* d = DX.device;
    d->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
    d->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, 1);
    d->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRENDERSTATE_LIGHTING, RenderCache.lighting);
    d->SetRenderState(D3DRENDERSTATE_CLIPPING, RenderCache.clipping);
    d->SetRenderState(D3DRENDERSTATE_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRENDERSTATE_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRENDERSTATE_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
    // The game's single-texture stage set-up: texture times vertex colour, alpha too.
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    CMatrix projection;
    projection.perspective(3.1415927f / 4.0f, float(height) / float(width), 0.1f, DefaultFarDistance);
    D3DMATRIX pm;
    std::memcpy(pm.m, projection.m, sizeof pm.m);
    d->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &pm);
    DX.initialised = true;
    return true;
}

void CloseOffscreenView()
{
    if (DX.device)
        DX.device->Release();
    DX.device = nullptr;
    Release(DX.zBuffer);
    Release(DX.backSurface);
    Release(DX.primary);
    if (DX.direct3D)
        DX.direct3D->Release();
    DX.direct3D = nullptr;
    if (DX.directDraw)
        DX.directDraw->Release();
    DX.directDraw = nullptr;
    DX.deviceInfo = nullptr;
    DX.initialised = false;
    ResetRenderStateCache();
    if (g_View) {
        if (g_View->window)
            D3DDestroyTestWindow(g_View->window);
        delete g_View;
        g_View = nullptr;
    }
}

bool SaveBackSurfaceBMP(const std::string& path, std::string* error)
{
    auto fail = [&](const char* reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!DX.backSurface)
        return fail("there is no picture to save");
    const int w = DX.screenWidth, h = DX.screenHeight;
    const int rowBytes = (w * 3 + 3) & ~3;
    std::vector<uint8_t> file(imgBmpHeaderSize + size_t(rowBytes) * size_t(h), 0);
    imgBmpHeader(file.data(), uint32_t(w), uint32_t(h), 24, 0);
    DDSURFACEDESC2 desc;
    if (FAILED(DX.backSurface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)) ||
        !desc.lpSurface)
        return fail("the picture cannot be read back");
    const int bytes = int(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = file.data() + imgBmpHeaderSize + size_t(h - 1 - y) * size_t(rowBytes);
        const uint8_t* source = static_cast<const uint8_t*>(desc.lpSurface) + size_t(y) * size_t(desc.lPitch);
        for (int x = 0; x < w; ++x) {
            const uint32_t argb = D3DReadARGB(desc.ddpfPixelFormat, source + size_t(x) * size_t(bytes));
            row[3 * x + 0] = uint8_t(argb);
            row[3 * x + 1] = uint8_t(argb >> 8);
            row[3 * x + 2] = uint8_t(argb >> 16);
        }
    }
    DX.backSurface->Unlock(nullptr);
    // A failed save keeps the picture that was there before.
    const auto r = platform::WriteFileAtomically(path, file.data(), file.size());
    if (r.step == platform::AtomicWriteResult::Create)
        return fail("the file cannot be created");
    if (!r)
        return fail("the file could not be written completely");
    return true;
}
