#include "GAMES/Rulo2/render/DeviceHelpers.h"

#include <algorithm>
#include <cstdio>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/DirectXError.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/VertexBufferModels.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/Image/imgFormats.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/resources/Resources.h"

namespace {

#define DX_FAIL(hr) LogDXError("DirectX", __LINE__, (hr))

} // namespace

void FormatByteSize(uint32_t bytes, char* out, int size)
{
    if (bytes >= 1024u * 1024u)
        std::snprintf(out, size_t(size), "%.2f MB", double(bytes) / (1024.0 * 1024.0));
    else if (bytes >= 1024u)
        std::snprintf(out, size_t(size), "%.2f KB", double(bytes) / 1024.0);
    else
        std::snprintf(out, size_t(size), "%u bytes", bytes);
}

IDirect3DVertexBuffer7* CreateVertexBuffer(int32_t vertexCount, uint32_t vertexFormat)
{
    if (!DX.direct3D || vertexCount <= 0)
        return nullptr;
    D3DVERTEXBUFFERDESC d;
    d.dwCaps = D3DVBCAPS_WRITEONLY;
    if (vertexCount == 1)
        d.dwCaps = D3DVBCAPS_SYSTEMMEMORY;
    if (!DX.deviceInfo || !DX.deviceInfo->hardwareTnL)
        d.dwCaps = D3DVBCAPS_WRITEONLY | D3DVBCAPS_SYSTEMMEMORY;
    d.dwFVF = vertexFormat;
    d.dwNumVertices = uint32_t(vertexCount);
    IDirect3DVertexBuffer7* vb = nullptr;
    HRESULT hr = DX.direct3D->CreateVertexBuffer(&d, &vb, 0);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return nullptr;
    }
    return vb;
}

std::vector<VertexBufferCandidate> ChooseVertexBufferModels(const std::vector<VertexBufferCandidate>& all,
                                                            int32_t* possible)
{
    std::vector<VertexBufferCandidate> sorted;
    for (const VertexBufferCandidate& c : all) {
        if (c.useCount <= 0 || c.vertexCount <= 0)
            continue;
        // Before the first entry with a smaller count: equal counts keep list order.
        auto at = std::find_if(sorted.begin(), sorted.end(),
                               [&](const VertexBufferCandidate& o) { return o.useCount < c.useCount; });
        sorted.insert(at, c);
    }
    if (possible)
        *possible = int32_t(sorted.size());
    std::vector<VertexBufferCandidate> chosen;
    int64_t vertices = 0;
    for (const VertexBufferCandidate& c : sorted) {
        chosen.push_back(c);
        vertices += c.vertexCount;
        if (vertices >= 200000)
            break;
    }
    return chosen;
}

void CreateVertexBuffers()
{
    if (!DX.deviceInfo || !DX.deviceInfo->hardwareTnL || !UseVertexBuffersFlag)
        return;
    if (CountWorldNodes(g_WorldRoot) <= 1)
        return;
    LogPrintf("Creating vertex-buffers...");
    DDSCAPS2 caps;
    caps.dwCaps = DDSCAPS_TEXTURE;
    uint32_t total = 0, freeMemory = 0;
    if (!DX.directDraw || FAILED(DX.directDraw->GetAvailableVidMem(&caps, &total, &freeMemory)) ||
        freeMemory == 0)
        return;
    char text[64];
    FormatByteSize(freeMemory, text, int(sizeof text));
    LogPrintf("%s available for textures and vertex-buffers", text);
    std::vector<VertexBufferCandidate> all;
    CollectVertexBufferModels(all);
    int32_t possible = 0;
    int64_t vertices = 0;
    const std::vector<VertexBufferCandidate> chosen = ChooseVertexBufferModels(all, &possible);
    for (const VertexBufferCandidate& c : chosen) {
        c.model->CreateVertexBuffer();
        vertices += c.vertexCount;
    }
    FormatByteSize(uint32_t(std::min<int64_t>(vertices * 40, 0xFFFFFFFF)), text, int(sizeof text));
    LogPrintf("Created %d vertex-buffers (out of %d possible ones), which use %s", int32_t(chosen.size()),
              possible, text);
    if (SUCCEEDED(DX.directDraw->GetAvailableVidMem(&caps, &total, &freeMemory))) {
        FormatByteSize(freeMemory, text, int(sizeof text));
        LogPrintf("%s available for textures", text);
    }
    LogPrintf("Creating vertex-buffers finished successfully");
}

void ProjectToScreen(const CVector& point, int32_t screen[2])
{
    screen[0] = screen[1] = -1;
    if (!DX.device)
        return;
    D3DMATRIX identity;
    for (int i = 0; i < 4; ++i)
        identity.m[i][i] = 1.0f;
    DX.device->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
    IDirect3DVertexBuffer7* in = CreateVertexBuffer(1, D3DFVF_XYZ);
    IDirect3DVertexBuffer7* out = CreateVertexBuffer(1, FVF_TLVERTEX);
    if (in && out) {
        void* p = nullptr;
        HRESULT hr = in->Lock(DDLOCK_WAIT | DDLOCK_WRITEONLY, &p, nullptr);
        if (SUCCEEDED(hr)) {
            const float xyz[3] = {point.x, point.y, point.z};
            std::memcpy(p, xyz, sizeof xyz);
            in->Unlock();
            hr = out->ProcessVertices(D3DVOP_TRANSFORM, 0, 1, in, 0, DX.device, 0);
        }
        if (SUCCEEDED(hr))
            hr = out->Lock(DDLOCK_WAIT | DDLOCK_READONLY, &p, nullptr);
        if (SUCCEEDED(hr)) {
            D3DTLVertex v;
            std::memcpy(&v, p, sizeof v);
            out->Unlock();
            screen[0] = int32_t(v.sx);
            screen[1] = int32_t(v.sy);
        } else {
            ReportDXError("DirectX", __LINE__, hr);
        }
    }
    if (in)
        in->Release();
    if (out)
        out->Release();
}

IDirectDrawSurface7* LoadInterfaceBitmap(uint16_t resourceId, bool colourKeyed)
{
    if (!DX.directDraw)
        return nullptr;
    std::vector<uint8_t> bytes;
    imgImage image;
    if (!platform::LoadResource("BITMAP", resourceId, bytes) ||
        image.loadMemory(bytes.data(), bytes.size()) == 0 || image.empty() || image.width <= 0 ||
        image.height <= 0) {
        LogPrintf("Couldn't load interface bitmap %d", resourceId);
        return nullptr;
    }
    std::vector<uint32_t> argb(size_t(image.width) * size_t(image.height));
    if (image.convertInto(argb.data(), FMT_BGRA_8888, ORIGIN_TOP_LEFT, image.width * 4) == 0) {
        LogPrintf("Couldn't load interface bitmap %d", resourceId);
        return nullptr;
    }
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = uint32_t(image.width);
    d.dwHeight = uint32_t(image.height);
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    IDirectDrawSurface7* s = nullptr;
    HRESULT hr = DX.directDraw->CreateSurface(&d, &s, nullptr);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        return nullptr;
    }
    DDPIXELFORMAT pf;
    s->GetPixelFormat(&pf);
    if (colourKeyed) {
        DDCOLORKEY key;
        key.dwColorSpaceLowValue = key.dwColorSpaceHighValue = pf.dwRBitMask | pf.dwBBitMask;
        hr = s->SetColorKey(DDCKEY_SRCBLT, &key);
        if (FAILED(hr)) {
            DX_FAIL(hr);
            s->Release();
            return nullptr;
        }
    }
    DDSURFACEDESC2 locked;
    hr = s->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
    if (FAILED(hr)) {
        DX_FAIL(hr);
        s->Release();
        return nullptr;
    }
    const int bpp = int(pf.dwRGBBitCount / 8);
    for (int y = 0; y < image.height; ++y) {
        auto* row = static_cast<uint8_t*>(locked.lpSurface) + size_t(y) * size_t(locked.lPitch);
        for (int x = 0; x < image.width; ++x)
            D3DWriteARGB(pf, row + x * bpp, argb[size_t(y) * size_t(image.width) + size_t(x)] | 0xFF000000u);
    }
    s->Unlock(nullptr);
    return s;
}

void BlitSurfaceRect(IDirectDrawSurface7* source, int32_t destX, int32_t destY, int32_t srcX, int32_t srcY,
                     int32_t width, int32_t height)
{
    StretchBlitRect(source, destX, destY, width, height, srcX, srcY, width, height);
}

void StretchBlitRect(IDirectDrawSurface7* source, int32_t destX, int32_t destY, int32_t destWidth,
                     int32_t destHeight, int32_t srcX, int32_t srcY, int32_t srcWidth, int32_t srcHeight)
{
    if (!source || !DX.backSurface || destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0)
        return;
    DDSURFACEDESC2 sd;
    source->GetSurfaceDesc(&sd);
    const int32_t sw = int32_t(sd.dwWidth), sh = int32_t(sd.dwHeight);
    const double scaleX = double(destWidth) / srcWidth, scaleY = double(destHeight) / srcHeight;
    // The source origin is clamped into the source and the size shortened to it.
    srcX = std::clamp(srcX, 0, sw);
    srcY = std::clamp(srcY, 0, sh);
    srcWidth = std::min(srcWidth, sw - srcX);
    srcHeight = std::min(srcHeight, sh - srcY);
    destWidth = int32_t(srcWidth * scaleX);
    destHeight = int32_t(srcHeight * scaleY);
    // Parts left of or above the screen move the source origin in proportion.
    if (destX < 0) {
        const int32_t cut = int32_t(-destX / scaleX);
        srcX += cut;
        srcWidth -= cut;
        destWidth += destX;
        destX = 0;
    }
    if (destY < 0) {
        const int32_t cut = int32_t(-destY / scaleY);
        srcY += cut;
        srcHeight -= cut;
        destHeight += destY;
        destY = 0;
    }
    if (destX + destWidth > DX.screenWidth) {
        const int32_t over = destX + destWidth - DX.screenWidth;
        destWidth -= over;
        srcWidth -= int32_t(over / scaleX);
    }
    if (destY + destHeight > DX.screenHeight) {
        const int32_t over = destY + destHeight - DX.screenHeight;
        destHeight -= over;
        srcHeight -= int32_t(over / scaleY);
    }
    if (destWidth < 1 || destHeight < 1 || srcWidth < 1 || srcHeight < 1)
        return;
    RECT dest{destX, destY, destX + destWidth, destY + destHeight};
    RECT src{srcX, srcY, srcX + srcWidth, srcY + srcHeight};
    HRESULT hr = DX.backSurface->Blt(&dest, source, &src, DDBLT_KEYSRC | DDBLT_WAIT, nullptr);
    if (FAILED(hr))
        DX_FAIL(hr);
}

IDirectDrawSurface7* CreateTestTexture()
{
    if (!DX.directDraw)
        return nullptr;
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = d.dwHeight = 8;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    d.ddpfPixelFormat = D3DMakeRGBFormat(16, 0xF800, 0x07E0, 0x001F, 0);
    IDirectDrawSurface7* s = nullptr;
    if (FAILED(DX.directDraw->CreateSurface(&d, &s, nullptr)))
        return nullptr;
    return s;
}
