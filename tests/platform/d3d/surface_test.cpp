// Surfaces, blits, state blocks and the CPU-side device queries.
#include "tests/platform/d3d/D3DTestRig.h"

#include <thread>
#include <vector>

namespace {

const DDPIXELFORMAT k565 = D3DMakeRGBFormat(16, 0xF800, 0x07E0, 0x1F, 0);

void Fill(IDirectDrawSurface7* s, uint32_t raw, const RECT* r = nullptr)
{
    DDBLTFX fx;
    fx.dwFillColor = raw;
    ASSERT_EQ(s->Blt(r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

class Surfaces : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(rig.open()); }
    D3DTestRig rig;
};

TEST_F(Surfaces, ColourKeyedBlitsSkipKeyPixelsOnCpuAndRenderTarget)
{
    // 4x1 source: magenta, red, magenta, green; key = magenta.
    IDirectDrawSurface7* src = MakeSurface(rig.dd, 4, 1, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, k565);
    DDSURFACEDESC2 d;
    ASSERT_EQ(src->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    uint16_t px[4] = {0xF81F, 0xF800, 0xF81F, 0x07E0};
    std::memcpy(d.lpSurface, px, sizeof px);
    src->Unlock(nullptr);
    DDCOLORKEY key{0xF81F, 0xF81F};
    src->SetColorKey(DDCKEY_SRCBLT, &key);

    IDirectDrawSurface7* cpu = MakeSurface(rig.dd, 4, 1, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, k565);
    Fill(cpu, 0x001F); // blue
    ASSERT_EQ(cpu->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    const uint32_t want[4] = {0xFF0000FF, 0xFFFF0000, 0xFF0000FF, 0xFF00FF00};
    for (int x = 0; x < 4; ++x) {
        uint32_t c;
        ASSERT_TRUE(cpu->ReadPixel(x, 0, &c));
        EXPECT_EQ(c, want[x]) << x;
    }

    // Onto the back buffer, scaled 10 times.
    rig.clear(0xFF0000FF);
    RECT dst{100, 100, 140, 110};
    ASSERT_EQ(rig.back->Blt(&dst, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(rig.pixel(105 + 10 * x, 105) | 0xFF000000u, want[x]) << x;
    cpu->Release();
    src->Release();
}

TEST_F(Surfaces, BlitsClipAgainstTheDestination)
{
    IDirectDrawSurface7* src = MakeSurface(rig.dd, 4, 4, DDSCAPS_OFFSCREENPLAIN, k565);
    Fill(src, 0xF800);
    RECT right{2, 0, 4, 4};
    Fill(src, 0x07E0, &right); // right half green
    IDirectDrawSurface7* dst = MakeSurface(rig.dd, 4, 4, DDSCAPS_OFFSCREENPLAIN, k565);
    Fill(dst, 0);
    // Two columns hang off the left edge: only the source's right half lands, at x 0..1.
    ASSERT_EQ(dst->BltFast(-2, 0, src, nullptr, 0), DD_OK);
    uint32_t c;
    dst->ReadPixel(0, 0, &c);
    EXPECT_EQ(c, 0xFF00FF00u);
    dst->ReadPixel(1, 3, &c);
    EXPECT_EQ(c, 0xFF00FF00u);
    dst->ReadPixel(2, 0, &c);
    EXPECT_EQ(c, 0xFF000000u);
    dst->Release();
    src->Release();
}

TEST_F(Surfaces, LockedRenderTargetReadsAndWritesThePicture)
{
    rig.clear(0xFF102030);
    DDSURFACEDESC2 d;
    ASSERT_EQ(rig.back->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    auto* p = static_cast<uint32_t*>(d.lpSurface);
    EXPECT_EQ(p[0] & 0xFFFFFF, 0x102030u);
    EXPECT_EQ(rig.back->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    p[5] = 0xFFABCDEF;
    ASSERT_EQ(rig.back->Unlock(nullptr), DD_OK);
    EXPECT_EQ(rig.pixel(5, 0) & 0xFFFFFF, 0xABCDEFu);
    EXPECT_EQ(rig.back->Unlock(nullptr), DDERR_NOTLOCKED);
}

TEST_F(Surfaces, TexturesMadeOnAWorkerThreadDrawOnTheMainThread)
{
    // The editor's shadow maps are made in a worker: it touches CPU copies only.
    IDirectDrawSurface7* made = nullptr;
    std::vector<IDirectDrawSurface7*> dropped;
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i)
            dropped.push_back(MakeSurface(rig.dd, 8, 8, DDSCAPS_TEXTURE, k565));
        made = MakeSurface(rig.dd, 8, 8, DDSCAPS_TEXTURE, k565);
        Fill(made, 0x07E0);
    });
    for (int i = 0; i < 20; ++i)
        rig.clear(0xFF000000);
    worker.join();
    std::thread releaser([&] {
        for (IDirectDrawSurface7* s : dropped)
            s->Release();
    });
    rig.dev->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    rig.dev->SetTexture(0, made);
    D3DTLVertex v[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0, 0},
                        {50, 0, 0.5f, 1, 0xFFFFFFFF, 0, 1, 0},
                        {50, 50, 0.5f, 1, 0xFFFFFFFF, 0, 1, 1},
                        {0, 50, 0.5f, 1, 0xFFFFFFFF, 0, 0, 1}};
    rig.dev->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, v, 4, 0);
    releaser.join();
    EXPECT_EQ(rig.pixel(25, 25) & 0xFFFFFF, 0x00FF00u);
    rig.dev->SetTexture(0, nullptr);
    made->Release();
}

TEST_F(Surfaces, BadSurfaceRequestsFail)
{
    IDirectDrawSurface7* s = nullptr;
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    d.dwWidth = 0;
    d.dwHeight = 4;
    EXPECT_NE(rig.dd->CreateSurface(&d, &s, nullptr), DD_OK);
    EXPECT_EQ(s, nullptr);
    d.dwWidth = 4;
    d.dwFlags |= DDSD_PIXELFORMAT;
    d.ddpfPixelFormat.dwFlags = DDPF_FOURCC;
    EXPECT_NE(rig.dd->CreateSurface(&d, &s, nullptr), DD_OK);
    RECT outside{0, 0, 9999, 1};
    DDSURFACEDESC2 l;
    EXPECT_EQ(rig.back->Lock(&outside, &l, 0, nullptr), DDERR_INVALIDRECT);
}

TEST_F(Surfaces, StateBlocksRecordWithoutApplyingAndApplyLater)
{
    IDirect3DDevice7* dev = rig.dev;
    dev->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESS);
    uint32_t block = 0;
    ASSERT_EQ(dev->BeginStateBlock(), D3D_OK);
    dev->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_ALWAYS);
    dev->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    ASSERT_EQ(dev->EndStateBlock(&block), D3D_OK);
    EXPECT_NE(block, 0u);
    uint32_t v;
    dev->GetRenderState(D3DRENDERSTATE_ZFUNC, &v);
    EXPECT_EQ(v, uint32_t(D3DCMP_LESS));
    dev->recordCalls = true;
    ASSERT_EQ(dev->ApplyStateBlock(block), D3D_OK);
    ASSERT_EQ(dev->calls.size(), 1u);
    EXPECT_EQ(dev->calls[0].kind, D3DCallKind::ApplyStateBlock);
    dev->GetRenderState(D3DRENDERSTATE_ZFUNC, &v);
    EXPECT_EQ(v, uint32_t(D3DCMP_ALWAYS));
    dev->GetTextureStageState(1, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, uint32_t(D3DTOP_MODULATE));
    uint32_t passes = 0;
    EXPECT_EQ(dev->ValidateDevice(&passes), D3D_OK);
    EXPECT_EQ(passes, 1u);
    EXPECT_EQ(dev->DeleteStateBlock(block), D3D_OK);
    EXPECT_NE(dev->ApplyStateBlock(block), D3D_OK);
}

TEST_F(Surfaces, SphereVisibilityAndProcessVerticesUseTheTransforms)
{
    IDirect3DDevice7* dev = rig.dev;
    D3DMATRIX proj = Perspective(1.5707963f, 640.0f / 480.0f, 0.5f, 10.0f), id = Identity();
    dev->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
    dev->SetTransform(D3DTRANSFORMSTATE_VIEW, &id);
    dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &id);
    D3DVECTOR c[4] = {{0, 0, 5}, {0, 0, 0.5f}, {-100, 0, 5}, {0, 0, 50}};
    float r[4] = {1, 0.2f, 1, 1};
    uint32_t res[4];
    ASSERT_EQ(dev->ComputeSphereVisibility(c, r, 4, 0, res), D3D_OK);
    EXPECT_EQ(res[0], 0u);            // inside
    EXPECT_EQ(res[1] & 0xFFF000, 0u); // crosses the near plane
    EXPECT_NE(res[1] & D3DCLIP_FRONT, 0u);
    EXPECT_NE(res[2] & D3DSTATUS_CLIPINTERSECTIONLEFT, 0u); // wholly left
    EXPECT_NE(res[3] & D3DSTATUS_CLIPINTERSECTIONBACK, 0u); // beyond the far plane

    D3DVERTEXBUFFERDESC sd;
    sd.dwFVF = D3DFVF_XYZ | D3DFVF_TEX1;
    sd.dwNumVertices = 1;
    IDirect3DVertexBuffer7 *in = nullptr, *out = nullptr;
    EXPECT_NE(rig.d3d->CreateVertexBuffer(&sd, &in, 0), D3D_OK); // a format the device does not draw
    sd.dwFVF = D3DFVF_XYZ;
    ASSERT_EQ(rig.d3d->CreateVertexBuffer(&sd, &in, 0), D3D_OK);
    sd.dwFVF = FVF_TLVERTEX;
    ASSERT_EQ(rig.d3d->CreateVertexBuffer(&sd, &out, 0), D3D_OK);
    void* p;
    in->Lock(DDLOCK_WAIT, &p, nullptr);
    float pt[3] = {1, 1, 2}; // 45 degrees up and right at depth 2 with fov 90: x = 320 + 240, y = 0
    std::memcpy(p, pt, sizeof pt);
    EXPECT_NE(out->ProcessVertices(D3DVOP_TRANSFORM, 0, 1, in, 0, dev, 0), D3D_OK); // source still locked
    in->Unlock();
    ASSERT_EQ(out->ProcessVertices(D3DVOP_TRANSFORM, 0, 1, in, 0, dev, 0), D3D_OK);
    out->Lock(DDLOCK_WAIT, &p, nullptr);
    D3DTLVertex t;
    std::memcpy(&t, p, sizeof t);
    out->Unlock();
    EXPECT_NEAR(t.sx, 320 + 240 / 2.0f * 1.0f, 0.01f);
    EXPECT_NEAR(t.sy, 240 - 240 / 2.0f, 0.01f);
    EXPECT_NEAR(t.rhw, 0.5f, 1e-5f);
    in->Release();
    out->Release();
}

TEST_F(Surfaces, FullScreenChainTakesTheModeSizeNotTheWindows)
{
    const std::vector<D3DDisplayMode> fake = {{800, 600, 16}};
    D3DSetFakeDisplayModes(&fake);
    ASSERT_EQ(rig.dd->SetCooperativeLevel(rig.window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(rig.dd->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 pd;
    pd.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    pd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    pd.dwBackBufferCount = 1;
    IDirectDrawSurface7* front = nullptr;
    ASSERT_EQ(rig.dd->CreateSurface(&pd, &front, nullptr), DD_OK);
    DDSCAPS2 caps;
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* back = nullptr;
    ASSERT_EQ(front->GetAttachedSurface(&caps, &back), DD_OK);
    DDSURFACEDESC2 d;
    ASSERT_EQ(back->GetSurfaceDesc(&d), DD_OK);
    EXPECT_EQ(d.dwWidth, 800u);
    EXPECT_EQ(d.dwHeight, 600u);
    DDPIXELFORMAT zf;
    zf.dwFlags = DDPF_ZBUFFER;
    zf.dwRGBBitCount = 16;
    IDirectDrawSurface7* z = MakeSurface(rig.dd, 800, 600, DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY, zf);
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(back->AddAttachedSurface(z), DD_OK);
    Fill(back, 0x001F);
    EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK); // scaled to the window
    uint32_t c = 0;
    EXPECT_TRUE(back->ReadPixel(799, 599, &c));
    EXPECT_EQ(c & 0xFFFFFF, 0x0000FFu);
    back->DeleteAttachedSurface(0, z);
    z->Release();
    back->Release();
    front->Release();
    rig.dd->RestoreDisplayMode();
    D3DSetFakeDisplayModes(nullptr);
}

// A mode of no size (the X server reports one while another client changes the screen)
// is never offered nor taken: a full-screen chain of 0 x 0 has nothing to draw into.
TEST_F(Surfaces, DisplayModesOfNoSizeAreNeitherOfferedNorTaken)
{
    EXPECT_EQ(rig.dd->SetDisplayMode(0, 480, 16, 0, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(rig.dd->SetDisplayMode(640, 0, 16, 0, 0), DDERR_INVALIDPARAMS);
    int offered = 0;
    rig.dd->EnumDisplayModes(0, nullptr, &offered, [](DDSURFACEDESC2* d, void* ctx) -> HRESULT {
        EXPECT_GT(d->dwWidth, 0u);
        EXPECT_GT(d->dwHeight, 0u);
        ++*static_cast<int*>(ctx);
        return DDENUMRET_OK;
    });
    EXPECT_GT(offered, 0);
}

TEST_F(Surfaces, EnumerationOffersOneHardwareDriverAndTheDocumentedFormats)
{
    int drivers = 0;
    DirectDrawEnumerateEx(
        [](GUID* g, const char*, const char*, void* ctx, void*) -> HRESULT {
            EXPECT_EQ(g, nullptr);
            ++*static_cast<int*>(ctx);
            return DDENUMRET_OK;
        },
        &drivers, 7);
    EXPECT_EQ(drivers, 1);
    std::vector<uint32_t> z;
    rig.d3d->EnumZBufferFormats(
        IID_IDirect3DHALDevice,
        [](DDPIXELFORMAT* pf, void* ctx) -> HRESULT {
            static_cast<std::vector<uint32_t>*>(ctx)->push_back(pf->dwRGBBitCount);
            return DDENUMRET_OK;
        },
        &z);
    EXPECT_EQ(z, (std::vector<uint32_t>{16, 24, 32}));
    std::vector<D3DDisplayMode> fake = {{800, 600, 32}, {640, 480, 16}};
    D3DSetFakeDisplayModes(&fake);
    std::vector<uint32_t> bpp;
    rig.dd->EnumDisplayModes(0, nullptr, &bpp, [](DDSURFACEDESC2* d, void* ctx) -> HRESULT {
        static_cast<std::vector<uint32_t>*>(ctx)->push_back(d->ddpfPixelFormat.dwRGBBitCount);
        return DDENUMRET_OK;
    });
    D3DSetFakeDisplayModes(nullptr);
    EXPECT_EQ(bpp, (std::vector<uint32_t>{32, 16}));
}

} // namespace
