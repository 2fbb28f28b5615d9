// A window, a back buffer with z-buffer and a device, as the game sets them up.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3d/D3D.h"

struct D3DTestRig
{
    SDL_Window* window = nullptr;
    IDirectDraw7* dd = nullptr;
    IDirect3D7* d3d = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* back = nullptr;
    IDirectDrawSurface7* zbuf = nullptr;
    IDirect3DDevice7* dev = nullptr;

    bool open(int w = 640, int h = 480, bool withZ = true)
    {
        window = D3DCreateTestWindow(w, h);
        if (!window)
            return false;
        if (FAILED(DirectDrawCreateEx(nullptr, &dd)))
            return false;
        dd->SetCooperativeLevel(window, DDSCL_NORMAL);
        dd->QueryDirect3D(&d3d);
        DDSURFACEDESC2 pd;
        pd.dwFlags = DDSD_CAPS;
        pd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        if (FAILED(dd->CreateSurface(&pd, &primary, nullptr)))
            return false;
        DDSURFACEDESC2 bd;
        bd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        bd.dwWidth = uint32_t(w);
        bd.dwHeight = uint32_t(h);
        bd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
        if (FAILED(dd->CreateSurface(&bd, &back, nullptr)))
            return false;
        if (withZ) {
            DDSURFACEDESC2 zd;
            zd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
            zd.dwWidth = uint32_t(w);
            zd.dwHeight = uint32_t(h);
            zd.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY;
            zd.ddpfPixelFormat.dwFlags = DDPF_ZBUFFER;
            zd.ddpfPixelFormat.dwRGBBitCount = 24;
            if (FAILED(dd->CreateSurface(&zd, &zbuf, nullptr)) || FAILED(back->AddAttachedSurface(zbuf)))
                return false;
        }
        return SUCCEEDED(d3d->CreateDevice(IID_IDirect3DHALDevice, back, &dev));
    }

    ~D3DTestRig()
    {
        if (dev)
            dev->Release();
        if (zbuf)
            zbuf->Release();
        if (back)
            back->Release();
        if (primary)
            primary->Release();
        if (d3d)
            d3d->Release();
        if (dd)
            dd->Release();
        D3DDestroyTestWindow(window);
    }

    uint32_t pixel(int x, int y)
    {
        uint32_t c = 0;
        EXPECT_TRUE(back->ReadPixel(x, y, &c));
        return c;
    }

    void clear(D3DCOLOR c) { dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, c, 1.0f, 0); }
};

inline IDirectDrawSurface7* MakeSurface(IDirectDraw7* dd, int w, int h, uint32_t caps,
                                        const DDPIXELFORMAT& pf)
{
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = uint32_t(w);
    d.dwHeight = uint32_t(h);
    d.ddsCaps.dwCaps = caps;
    d.ddpfPixelFormat = pf;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
}

inline D3DMATRIX Identity()
{
    D3DMATRIX m;
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1;
    return m;
}

// Left-handed perspective with depth 0..1, as the game builds it.
inline D3DMATRIX Perspective(float fov, float aspect, float zn, float zf)
{
    D3DMATRIX m;
    float h = 1.0f / std::tan(fov / 2), w = h / aspect, q = zf / (zf - zn);
    m.m[0][0] = w;
    m.m[1][1] = h;
    m.m[2][2] = q;
    m.m[2][3] = 1;
    m.m[3][2] = -q * zn;
    return m;
}

inline int Channel(uint32_t argb, int shift)
{
    return int((argb >> shift) & 0xFF);
}

#define EXPECT_RGB_NEAR(argb, r, g, b, tol)                                                                  \
    do {                                                                                                     \
        uint32_t c_ = (argb);                                                                                \
        EXPECT_NEAR(Channel(c_, 16), (r), (tol)) << "red";                                                   \
        EXPECT_NEAR(Channel(c_, 8), (g), (tol)) << "green";                                                  \
        EXPECT_NEAR(Channel(c_, 0), (b), (tol)) << "blue";                                                   \
    } while (0)
