// Mip-mapped textures: the attached levels, their filling by scaling blits, and
// the device sampling the smaller levels when a texture is drawn small.
#include "tests/platform/d3d/D3DTestRig.h"

#include <string>
#include <vector>

namespace {

const DDPIXELFORMAT k565 = D3DMakeRGBFormat(16, 0xF800, 0x07E0, 0x1F, 0);

IDirectDrawSurface7* MakeMipTexture(IDirectDraw7* dd, uint32_t w, uint32_t h, uint32_t count,
                                    HRESULT* result = nullptr)
{
    DDSURFACEDESC2 d;
    d.dwFlags =
        DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | (count ? uint32_t(DDSD_MIPMAPCOUNT) : 0u);
    d.dwWidth = w;
    d.dwHeight = h;
    d.dwMipMapCount = count;
    d.ddpfPixelFormat = k565;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
    IDirectDrawSurface7* s = nullptr;
    HRESULT hr = dd->CreateSurface(&d, &s, nullptr);
    if (result)
        *result = hr;
    return s;
}

// Every level from the top down, walked the way a game walks them; the returned
// levels below the top carry a reference each.
std::vector<IDirectDrawSurface7*> Levels(IDirectDrawSurface7* top)
{
    std::vector<IDirectDrawSurface7*> out{top};
    DDSCAPS2 caps;
    caps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP;
    IDirectDrawSurface7* next = nullptr;
    while (out.size() < 32 && out.back()->GetAttachedSurface(&caps, &next) == DD_OK)
        out.push_back(next);
    return out;
}

void ReleaseLevels(const std::vector<IDirectDrawSurface7*>& levels)
{
    for (size_t i = 1; i < levels.size(); ++i)
        levels[i]->Release();
}

void Fill(IDirectDrawSurface7* s, uint16_t colour)
{
    DDBLTFX fx;
    fx.dwFillColor = colour;
    ASSERT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

TEST(MipMaps, AComplexMipMapTextureHasItsLevelsAttachedLargestFirst)
{
    struct Case
    {
        uint32_t w, h, count;
        std::vector<std::pair<uint32_t, uint32_t>> sizes;
    };
    const Case cases[] = {
        {256, 256, 9, {{256, 256}, {128, 128}, {64, 64}, {32, 32}, {16, 16}, {8, 8}, {4, 4}, {2, 2}, {1, 1}}},
        {64,
         16,
         0,
         {{64, 16}, {32, 8}, {16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}}}, // no count: the whole chain
        {32, 32, 3, {{32, 32}, {16, 16}, {8, 8}}},
    };
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd), DD_OK);
    for (const Case& c : cases) {
        IDirectDrawSurface7* top = MakeMipTexture(dd, c.w, c.h, c.count);
        ASSERT_NE(top, nullptr) << c.w << "x" << c.h;
        std::vector<IDirectDrawSurface7*> levels = Levels(top);
        ASSERT_EQ(levels.size(), c.sizes.size()) << c.w << "x" << c.h;
        for (size_t i = 0; i < levels.size(); ++i) {
            DDSURFACEDESC2 d;
            ASSERT_EQ(levels[i]->GetSurfaceDesc(&d), DD_OK);
            EXPECT_EQ(d.dwWidth, c.sizes[i].first) << "level " << i;
            EXPECT_EQ(d.dwHeight, c.sizes[i].second) << "level " << i;
            EXPECT_TRUE(d.ddsCaps.dwCaps & DDSCAPS_MIPMAP);
            EXPECT_EQ((d.ddsCaps.dwCaps2 & DDSCAPS2_MIPMAPSUBLEVEL) != 0, i > 0) << "level " << i;
            EXPECT_EQ(d.dwMipMapCount, uint32_t(levels.size() - i)) << "level " << i;
            EXPECT_TRUE(d.ddpfPixelFormat == k565);
        }
        ReleaseLevels(levels);
        top->Release();
    }

    // More levels than halvings, or none at all, are refused.
    for (uint32_t count : {10u, 0u}) {
        HRESULT hr = DD_OK;
        DDSURFACEDESC2 d;
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_MIPMAPCOUNT;
        d.dwWidth = d.dwHeight = 256;
        d.dwMipMapCount = count;
        d.ddpfPixelFormat = k565;
        d.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
        IDirectDrawSurface7* s = nullptr;
        hr = dd->CreateSurface(&d, &s, nullptr);
        EXPECT_EQ(hr, DDERR_INVALIDPARAMS) << count;
        EXPECT_EQ(s, nullptr);
    }

    // A plain texture has no levels to walk to.
    IDirectDrawSurface7* plain = MakeSurface(dd, 16, 16, DDSCAPS_TEXTURE, k565);
    EXPECT_EQ(Levels(plain).size(), 1u);
    plain->Release();
    dd->Release();
}

TEST(MipMaps, ALevelOutlivesItsTopWithoutAChain)
{
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd), DD_OK);
    IDirectDrawSurface7* top = MakeMipTexture(dd, 8, 8, 4);
    ASSERT_NE(top, nullptr);
    std::vector<IDirectDrawSurface7*> levels = Levels(top);
    ASSERT_EQ(levels.size(), 4u);
    top->Release();
    // The second level is still referenced by this test: it stays usable, alone.
    DDSCAPS2 caps;
    caps.dwCaps = DDSCAPS_MIPMAP;
    IDirectDrawSurface7* next = nullptr;
    EXPECT_EQ(levels[1]->GetAttachedSurface(&caps, &next), DDERR_NOTFOUND);
    Fill(levels[1], 0xF800);
    ReleaseLevels(levels);
    dd->Release();
}

TEST(MipMaps, BlittingTheWholePictureOntoALevelAveragesWhatEachPixelCovers)
{
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd), DD_OK);
    // 8x8 staging picture: left half a black and white checker, right half red.
    IDirectDrawSurface7* staging = MakeSurface(dd, 8, 8, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, k565);
    DDSURFACEDESC2 d;
    ASSERT_EQ(staging->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), DD_OK);
    for (int y = 0; y < 8; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch);
        for (int x = 0; x < 8; ++x)
            row[x] = x >= 4 ? 0xF800 : ((x + y) % 2 ? 0xFFFF : 0x0000);
    }
    staging->Unlock(nullptr);

    IDirectDrawSurface7* top = MakeMipTexture(dd, 8, 8, 4);
    std::vector<IDirectDrawSurface7*> levels = Levels(top);
    ASSERT_EQ(levels.size(), 4u);
    for (IDirectDrawSurface7* level : levels)
        ASSERT_EQ(level->Blt(nullptr, staging, nullptr, 0, nullptr), DD_OK);

    uint32_t c = 0;
    // The top level is a copy.
    ASSERT_TRUE(levels[0]->ReadPixel(0, 0, &c));
    EXPECT_RGB_NEAR(c, 0, 0, 0, 0);
    ASSERT_TRUE(levels[0]->ReadPixel(1, 0, &c));
    EXPECT_RGB_NEAR(c, 255, 255, 255, 0);
    // 4x4 and 2x2: the checker half is grey, the red half stays red.
    for (size_t i : {size_t(1), size_t(2)}) {
        SCOPED_TRACE("level " + std::to_string(i));
        ASSERT_TRUE(levels[i]->ReadPixel(0, 0, &c));
        EXPECT_RGB_NEAR(c, 128, 128, 128, 8);
        ASSERT_TRUE(levels[i]->ReadPixel(int(4 >> i), 0, &c));
        EXPECT_RGB_NEAR(c, 255, 0, 0, 0);
    }
    // 1x1: the whole picture, half red and a quarter of white.
    ASSERT_TRUE(levels[3]->ReadPixel(0, 0, &c));
    EXPECT_RGB_NEAR(c, 191, 64, 64, 8);

    // A plain texture target keeps the plain scaling, which picks source pixels.
    IDirectDrawSurface7* plain = MakeSurface(dd, 4, 4, DDSCAPS_TEXTURE, k565);
    ASSERT_EQ(plain->Blt(nullptr, staging, nullptr, 0, nullptr), DD_OK);
    ASSERT_TRUE(plain->ReadPixel(0, 0, &c));
    EXPECT_RGB_NEAR(c, 0, 0, 0, 0);
    plain->Release();

    ReleaseLevels(levels);
    top->Release();
    staging->Release();
    dd->Release();
}

class MipMapDraw : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.open()) << "no GL window (run under xvfb-run)";
        rig.dev->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
        rig.dev->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        rig.dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        rig.dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    }
    void quad(float l, float t, float r, float b)
    {
        const float z = 0.5f;
        const D3DCOLOR c = 0xFFFFFFFF;
        D3DTLVertex v[4] = {{l, t, z, 1, c, 0, 0, 0},
                            {r, t, z, 1, c, 0, 1, 0},
                            {r, b, z, 1, c, 0, 1, 1},
                            {l, b, z, 1, c, 0, 0, 1}};
        ASSERT_EQ(rig.dev->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, v, 4, 0), D3D_OK);
    }
    D3DTestRig rig;
};

TEST_F(MipMapDraw, TheMipFilterChoosesTheLevelThatFitsTheDrawnSize)
{
    IDirectDrawSurface7* top = MakeMipTexture(rig.dd, 64, 64, 7);
    std::vector<IDirectDrawSurface7*> levels = Levels(top);
    ASSERT_EQ(levels.size(), 7u);
    // Each level its own colour, so the read-back tells which level GL sampled.
    const uint16_t colours[7] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0x07FF, 0xF81F, 0xFFFF};
    for (size_t i = 0; i < levels.size(); ++i)
        Fill(levels[i], colours[i]);
    rig.dev->SetTexture(0, top);

    struct Case
    {
        uint32_t mipFilter;
        float size;
        uint32_t expected;
    };
    const Case cases[] = {
        {D3DTFP_NONE, 8, 0xFF0000},   // without the mip filter only the top level is read
        {D3DTFP_POINT, 8, 0xFFFF00},  // 64 texels on 8 pixels: level 3
        {D3DTFP_POINT, 64, 0xFF0000}, // full size: the top level
        {D3DTFP_POINT, 32, 0x00FF00}, // half size: level 1
    };
    for (const Case& c : cases) {
        rig.dev->SetTextureStageState(0, D3DTSS_MIPFILTER, c.mipFilter);
        rig.clear(0xFF000000);
        quad(100, 100, 100 + c.size, 100 + c.size);
        EXPECT_EQ(rig.pixel(100 + int(c.size / 2), 100 + int(c.size / 2)) & 0xFFFFFF, c.expected)
            << "filter " << c.mipFilter << " size " << c.size;
    }

    // A level changed after the texture was sent is sent again.
    Fill(levels[3], 0x001F);
    rig.dev->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTFP_POINT);
    rig.clear(0xFF000000);
    quad(100, 100, 108, 108);
    EXPECT_EQ(rig.pixel(104, 104) & 0xFFFFFF, 0x0000FFu);

    rig.dev->SetTexture(0, nullptr);
    ReleaseLevels(levels);
    top->Release();
}

} // namespace
