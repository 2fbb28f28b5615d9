#include "GAMES/Rulo2/Enumerate.h"

#include <cstdio>
#include <cstring>

#include "GAMES/Rulo2/DirectXError.h"

CGrowArray<DDDriverInfo> DriverList;

namespace {

int bitCount(uint32_t v)
{
    return __builtin_popcount(v);
}

// Table fog is broken on two ATI chips and on 3dfx chips 6 to 9 although their caps claim it.
bool tableFogBroken(const DDDriverInfo* d)
{
    if (d->vendorId == 0x1002 && (d->deviceId == 0x5246 || d->deviceId == 0x5046))
        return true;
    return d->vendorId == 0x121A && d->deviceId >= 6 && d->deviceId <= 9;
}

HRESULT zFormatCallback(DDPIXELFORMAT* pf, void* ctx)
{
    auto* info = new ZBufferFormatInfo();
    info->format = *pf;
    info->zDepth = int32_t(pf->dwRGBBitCount);
    static_cast<D3DDeviceInfo*>(ctx)->zFormats.add(info);
    return DDENUMRET_OK;
}

HRESULT modeCallback(DDSURFACEDESC2* desc, void* ctx)
{
    auto* mode = new DisplayModeInfo();
    mode->desc = *desc;
    mode->width = uint16_t(desc->dwWidth);
    mode->height = uint16_t(desc->dwHeight);
    mode->bitsPerPixel = uint16_t(desc->ddpfPixelFormat.dwRGBBitCount);
    char name[48];
    std::snprintf(name, sizeof name, "%dx%dx%d", mode->width, mode->height, mode->bitsPerPixel);
    mode->name.Set(name);
    static_cast<DDDriverInfo*>(ctx)->modes.add(mode);
    return DDENUMRET_OK;
}

void freeDevice(D3DDeviceInfo* d)
{
    for (ZBufferFormatInfo* z : d->zFormats)
        delete z;
    for (TextureFormatInfo* t : d->textureFormats)
        delete t;
    delete d;
}

void freeDriver(DDDriverInfo* d)
{
    for (D3DDeviceInfo* dev : d->devices)
        freeDevice(dev);
    for (DisplayModeInfo* m : d->modes)
        delete m;
    delete d;
}

} // namespace

HRESULT EnumTextureFormatCallback(DDPIXELFORMAT* pf, void* ctx)
{
    auto* device = static_cast<D3DDeviceInfo*>(ctx);
    if (pf->dwFlags & (DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV))
        return DDENUMRET_OK;
    auto* info = new TextureFormatInfo();
    info->format = *pf;
    if (pf->dwFlags & DDPF_FOURCC) {
        const char c[4] = {char(pf->dwFourCC), char(pf->dwFourCC >> 8), char(pf->dwFourCC >> 16),
                           char(pf->dwFourCC >> 24)};
        if (!(c[0] == 'D' && c[1] == 'X' && c[2] == 'T' && c[3] >= '1' && c[3] <= '5')) {
            delete info;
            return DDENUMRET_OK;
        }
        info->compressed = 1;
        char name[32];
        std::snprintf(name, sizeof name, "DXT%c COMPRESSED", c[3]);
        info->name.Set(name);
    } else {
        info->rgb = (pf->dwFlags & DDPF_RGB) ? 1 : 0;
        info->hasAlpha = (pf->dwFlags & DDPF_ALPHAPIXELS) ? 1 : 0;
        info->palettised = (pf->dwFlags & (DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 |
                                           DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8))
                               ? 1
                               : 0;
        info->bitsPerPixel = int32_t(pf->dwRGBBitCount);
        char name[64];
        std::snprintf(name, sizeof name, "%2d bit %d%d%d%d %s%s%s", info->bitsPerPixel,
                      bitCount(pf->dwRGBAlphaBitMask), bitCount(pf->dwRBitMask), bitCount(pf->dwGBitMask),
                      bitCount(pf->dwBBitMask), info->rgb ? "RGB" : "", info->hasAlpha ? "ALPHA " : "",
                      info->palettised ? "PAL " : "");
        info->name.Set(name);
    }
    device->textureFormats.add(info);
    return DDENUMRET_OK;
}

void FillDeviceCaps(D3DDeviceInfo& d, const D3DDEVICEDESC7& desc)
{
    const D3DPRIMCAPS& tri = desc.dpcTriCaps;
    d.hardwareTnL = (desc.dwDevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
    d.texturing = tri.dwTextureBlendCaps != 0;
    d.zBufferlessHSR = (tri.dwRasterCaps & D3DPRASTERCAPS_ZBUFFERLESSHSR) != 0;
    d.hasZFormats = d.zFormats.count > 0;
    d.zBias = (tri.dwRasterCaps & D3DPRASTERCAPS_ZBIAS) != 0;
    d.multitexture = desc.wMaxSimultaneousTextures > 1;
    d.transparency = (tri.dwTextureCaps & D3DPTEXTURECAPS_TRANSPARENCY) != 0;
    d.alphaTextures = (tri.dwTextureCaps & D3DPTEXTURECAPS_ALPHA) != 0;
    d.linearFilter = (tri.dwTextureFilterCaps & D3DPTFILTERCAPS_LINEAR) != 0;
    d.perspective = (tri.dwTextureCaps & D3DPTEXTURECAPS_PERSPECTIVE) != 0;
    d.dither = (tri.dwRasterCaps & D3DPRASTERCAPS_DITHER) != 0;
    d.antialiasSortDependent = (tri.dwRasterCaps & D3DPRASTERCAPS_ANTIALIASSORTDEPENDENT) != 0;
    d.nonLocalTextures = (desc.dwDevCaps & D3DDEVCAPS_TEXTURENONLOCALVIDMEM) != 0;
    d.powerOfTwo = (tri.dwTextureCaps & D3DPTEXTURECAPS_POW2) != 0;
    d.squareOnly = (tri.dwTextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0;
    d.tableFog = (tri.dwRasterCaps & D3DPRASTERCAPS_FOGTABLE) != 0;
    d.wFog = (tri.dwRasterCaps & D3DPRASTERCAPS_WFOG) != 0;
    d.vertexFog = (tri.dwRasterCaps & D3DPRASTERCAPS_FOGVERTEX) != 0;
    d.rangeFog = (tri.dwRasterCaps & D3DPRASTERCAPS_FOGRANGE) != 0;
    d.minTextureWidth = desc.dwMinTextureWidth;
    d.minTextureHeight = desc.dwMinTextureHeight;
    d.maxTextureWidth = desc.dwMaxTextureWidth ? desc.dwMaxTextureWidth : 256;
    d.maxTextureHeight = desc.dwMaxTextureHeight;
    d.maxTextureBlendStages = desc.wMaxTextureBlendStages;
    d.maxSimultaneousTextures = desc.wMaxSimultaneousTextures;
    d.maxActiveLights = int32_t(desc.dwMaxActiveLights) < 0 ? 1000000 : int32_t(desc.dwMaxActiveLights);
}

void EnumerateTextureFormats(IDirect3DDevice7* device, D3DDeviceInfo* info)
{
    if (!device || !info || info->textureFormats.count > 0)
        return;
    HRESULT hr = device->EnumTextureFormats(EnumTextureFormatCallback, info);
    if (FAILED(hr))
        ReportDXError("Enumerate", __LINE__, hr);
    info->hasCompressedFormats = false;
    for (TextureFormatInfo* t : info->textureFormats)
        if (t->compressed)
            info->hasCompressedFormats = true;
}

HRESULT EnumDeviceCallback(const char*, const char* name, D3DDEVICEDESC7* desc, void* ctx)
{
    auto* c = static_cast<EnumDriverContext*>(ctx);
    const bool hardware = (desc->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;
    // A secondary display driver is only of use with its own hardware rasteriser.
    if (c->driver->guidPointer && !hardware)
        return DDENUMRET_OK;
    auto* d = new D3DDeviceInfo();
    d->desc = *desc;
    d->guid = desc->deviceGUID;
    d->guidPointer = &d->guid;
    d->name.Set(name);
    d->zFormats.growBy = d->textureFormats.growBy = 1;
    HRESULT hr = c->d3d->EnumZBufferFormats(d->guid, zFormatCallback, d);
    if (FAILED(hr))
        ReportDXError("Enumerate", __LINE__, hr);
    d->hardware = hardware;
    FillDeviceCaps(*d, *desc);
    d->tableFog = d->tableFog && !tableFogBroken(c->driver);
    c->driver->devices.add(d);

    // A throw-away device on a temporary surface lists the texture formats.
    DDSURFACEDESC2 sd;
    sd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    sd.dwWidth = 8;
    sd.dwHeight = 8;
    sd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    IDirectDrawSurface7* surface = nullptr;
    hr = c->dd->CreateSurface(&sd, &surface, nullptr);
    if (FAILED(hr)) {
        ReportDXError("Enumerate", __LINE__, hr);
        return DDENUMRET_OK;
    }
    IDirect3DDevice7* device = nullptr;
    hr = c->d3d->CreateDevice(d->guid, surface, &device);
    if (FAILED(hr)) {
        ReportDXError("Enumerate", __LINE__, hr);
    } else {
        EnumerateTextureFormats(device, d);
        device->Release();
    }
    surface->Release();
    return DDENUMRET_OK;
}

HRESULT EnumDriverCallback(GUID* guid, const char*, const char*, void*, void* monitor)
{
    IDirectDraw7* dd = nullptr;
    HRESULT hr = DirectDrawCreateEx(guid, &dd);
    if (FAILED(hr)) {
        ReportDXError("Enumerate", __LINE__, hr);
        return DDENUMRET_OK;
    }
    hr = dd->SetCooperativeLevel(static_cast<platform::Window*>(nullptr), DDSCL_NORMAL);
    if (FAILED(hr)) {
        ReportDXError("Enumerate", __LINE__, hr);
        dd->Release();
        return DDENUMRET_OK;
    }
    IDirect3D7* d3d = nullptr;
    hr = dd->QueryDirect3D(&d3d);
    if (FAILED(hr)) {
        ReportDXError("Enumerate", __LINE__, hr);
        dd->Release();
        return DDENUMRET_OK;
    }
    auto* driver = new DDDriverInfo();
    driver->devices.growBy = driver->modes.growBy = 1;
    DDDEVICEIDENTIFIER2 id;
    if (SUCCEEDED(dd->GetDeviceIdentifier(&id, 0))) {
        driver->name.Set(id.szDescription);
        driver->vendorId = id.dwVendorId;
        driver->deviceId = id.dwDeviceId;
    }
    if (guid) {
        driver->guid = *guid;
        driver->guidPointer = &driver->guid;
    }
    driver->monitor = monitor;
    dd->GetCaps(&driver->halCaps, &driver->helCaps);
    driver->windowCapable = !guid && (driver->halCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED);
    driver->has3D = (driver->halCaps.dwCaps & DDCAPS_3D) != 0;
    dd->EnumDisplayModes(0, nullptr, driver, modeCallback);
    EnumDriverContext ctx{driver, dd, d3d};
    d3d->EnumDevices(EnumDeviceCallback, &ctx);
    if (driver->devices.count > 0)
        DriverList.add(driver);
    else
        freeDriver(driver);
    d3d->Release();
    dd->Release();
    return DDENUMRET_OK;
}

bool EnumerateDrivers()
{
    DriverList.growBy = 1;
    HRESULT hr = DirectDrawEnumerateEx(EnumDriverCallback, nullptr, 7);
    if (FAILED(hr))
        ReportDXError("Enumerate", __LINE__, hr);
    return true;
}

void FreeDriverList()
{
    for (DDDriverInfo* d : DriverList)
        freeDriver(d);
    DriverList.clear();
}
