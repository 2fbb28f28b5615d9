#include "platform/browser/Browser.h"

#include "platform/d3d/D3D.h"

#include <cstring>

namespace platform {

BrowserTexture::~BrowserTexture()
{
    Release();
}

void BrowserTexture::Release()
{
    if (surface_)
        surface_->Release();
    surface_ = nullptr;
    width_ = height_ = 0;
}

IDirectDrawSurface7* BrowserTexture::Get(IDirectDraw7* directDraw, const Browser& browser)
{
    const int w = browser.PageWidth(), h = browser.PageHeight();
    if (!directDraw || w <= 0 || h <= 0 || browser.Pixels().size() != size_t(w) * size_t(h)) {
        Release();
        return nullptr;
    }
    if (surface_ && w == width_ && h == height_ && paint_ == browser.Paints())
        return surface_;
    if (!surface_ || w != width_ || h != height_) {
        Release();
        DDSURFACEDESC2 desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.dwWidth = uint32_t(w);
        desc.dwHeight = uint32_t(h);
        desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        desc.ddpfPixelFormat = D3DMakeRGBFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u);
        if (FAILED(directDraw->CreateSurface(&desc, &surface_, nullptr)) || !surface_) {
            surface_ = nullptr;
            return nullptr;
        }
        width_ = w;
        height_ = h;
    }
    DDSURFACEDESC2 locked;
    if (FAILED(surface_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr)) || !locked.lpSurface) {
        Release();
        return nullptr;
    }
    const uint32_t* src = browser.Pixels().data();
    auto* dst = static_cast<uint8_t*>(locked.lpSurface);
    for (int y = 0; y < h; ++y)
        std::memcpy(dst + size_t(y) * size_t(locked.lPitch), src + size_t(y) * size_t(w), size_t(w) * 4);
    surface_->Unlock(nullptr);
    paint_ = browser.Paints();
    ++uploads_;
    return surface_;
}

} // namespace platform
