// Stored texture pages with the MipMap setting: a mip-mapped page surface whose
// levels are scaled-down copies of the stored pixels, used when drawn small.
#include "tests/render/DeviceFixture.h"
#include "tests/render/TextureTestRig.h"

#include <functional>
#include <string>
#include <vector>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

namespace {

constexpr uint16_t kBlack = 0x0000, kWhite = 0x7FFF, kRed = 0x7C00, kGreen = 0x03E0, kBlue = 0x001F;

// A section with one stored page of 5-5-5 pixels given by a function of (x, y).
std::vector<uint8_t> StoredPage(int32_t w, int32_t h, bool alpha,
                                const std::function<uint16_t(int, int)>& pixel)
{
    CChunkWriter wr;
    wr.WriteMarker(ChunkId("TEXP"));
    wr.BeginChunk(ChunkId("PAGE"), 2);
    wr.WriteI32(w);
    wr.WriteI32(h);
    wr.WriteI32(0);
    wr.WriteI32(0);
    wr.WriteId(ChunkId("TXPG"));
    wr.WriteBool(alpha);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            wr.WriteU16(pixel(x, y));
    wr.EndChunk();
    wr.WriteMarker(ChunkId("END "));
    return wr.Data();
}

bool LoadSection(const std::vector<uint8_t>& bytes)
{
    CChunkReader data(bytes.data(), bytes.size());
    SChunkHeader header;
    CChunkReader tag;
    EXPECT_EQ(data.NextChunk(header, tag), CHUNK_OK);
    return CTexturePage::LoadPages(data, nullptr);
}

// Quadrants: a one-pixel black and white checker top left, red top right,
// green bottom left, blue bottom right.
uint16_t Quadrants(int x, int y, int size)
{
    const bool right = x >= size / 2, bottom = y >= size / 2;
    if (!right && !bottom)
        return (x + y) % 2 ? kWhite : kBlack;
    return right ? (bottom ? kBlue : kRed) : kGreen;
}

std::vector<IDirectDrawSurface7*> Levels(IDirectDrawSurface7* top)
{
    std::vector<IDirectDrawSurface7*> out{top};
    DDSCAPS2 caps;
    caps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP;
    IDirectDrawSurface7* next = nullptr;
    while (out.size() < 16 && out.back()->GetAttachedSurface(&caps, &next) == DD_OK)
        out.push_back(next);
    return out;
}

void ReleaseLevels(const std::vector<IDirectDrawSurface7*>& levels)
{
    for (size_t i = 1; i < levels.size(); ++i)
        levels[i]->Release();
}

void ExpectColour(IDirectDrawSurface7* s, int x, int y, int r, int g, int b, int tolerance)
{
    uint32_t c = 0;
    ASSERT_TRUE(s->ReadPixel(x, y, &c)) << x << "," << y;
    EXPECT_NEAR(int((c >> 16) & 0xFF), r, tolerance) << "red at " << x << "," << y;
    EXPECT_NEAR(int((c >> 8) & 0xFF), g, tolerance) << "green at " << x << "," << y;
    EXPECT_NEAR(int(c & 0xFF), b, tolerance) << "blue at " << x << "," << y;
}

// The settings and the game-mode flag the page reader looks at, restored after each test.
class SettingsGuard
{
public:
    SettingsGuard(uint8_t mipMap)
    {
        Settings.mipMap = mipMap;
        Settings.highResTextures = 1;
    }
    ~SettingsGuard()
    {
        Settings.mipMap = savedMip;
        Settings.highResTextures = savedHighRes;
        GameModeFlag = savedGameMode;
    }

private:
    uint8_t savedMip = Settings.mipMap, savedHighRes = Settings.highResTextures, savedGameMode = GameModeFlag;
};

TEST(StoredPageMipMaps, A256PageGetsNineLevelsOfTheScaledDownPicture)
{
    for (bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "page with alpha" : "page without alpha");
        SettingsGuard settings(1);
        TextureDeviceRig rig;
        ASSERT_TRUE(LoadSection(StoredPage(256, 256, alpha, [alpha](int x, int y) {
            return uint16_t(Quadrants(x, y, 256) | (alpha ? 0x8000 : 0));
        })));
        CTexturePage* page = CTexturePage::First();
        ASSERT_NE(page->surface, nullptr);
        EXPECT_EQ(page->format->hasAlpha, alpha ? 1 : 0);
        EXPECT_EQ(page->bitDepth, 16);
        std::vector<IDirectDrawSurface7*> levels = Levels(page->surface);
        ASSERT_EQ(levels.size(), 9u);
        for (size_t i = 0; i < levels.size(); ++i) {
            SCOPED_TRACE("level " + std::to_string(i));
            DDSURFACEDESC2 d;
            ASSERT_EQ(levels[i]->GetSurfaceDesc(&d), DD_OK);
            const int size = 256 >> i;
            EXPECT_EQ(d.dwWidth, uint32_t(size));
            EXPECT_EQ(d.dwHeight, uint32_t(size));
            EXPECT_TRUE(d.ddpfPixelFormat == page->format->format);
            if (size == 1) {
                // A quarter each of grey, red, green and blue.
                ExpectColour(levels[i], 0, 0, 96, 96, 96, 10);
                continue;
            }
            const int q = size * 3 / 4;
            if (i == 0) {
                ExpectColour(levels[i], 0, 0, 0, 0, 0, 4);
                ExpectColour(levels[i], 1, 0, 255, 255, 255, 4);
            } else {
                ExpectColour(levels[i], 0, 0, 128, 128, 128, 10);
            }
            ExpectColour(levels[i], q, 0, 255, 0, 0, 4);
            ExpectColour(levels[i], 0, q, 0, 255, 0, 4);
            ExpectColour(levels[i], q, q, 0, 0, 255, 4);
        }
        ReleaseLevels(levels);
        EXPECT_EQ(rig.logCount("Using texture-format"), 1);
    }
}

TEST(StoredPageMipMaps, TheLevelCountFollowsTheSmallerSideAndTheHalvedSize)
{
    struct Case
    {
        int32_t w, h;
        uint8_t highRes;
        size_t levels;
    };
    const Case cases[] = {
        {64, 16, 1, 5}, // 16 has four trailing zero bits
        {48, 32, 1, 5}, // 48 = 3 x 16
        {12, 64, 1, 3},
        {256, 256, 0, 8}, // low resolution halves the surface to 128 x 128
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        SettingsGuard settings(1);
        Settings.highResTextures = c.highRes;
        TextureDeviceRig rig;
        ASSERT_TRUE(LoadSection(StoredPage(c.w, c.h, false, [](int, int) { return kRed; })));
        ASSERT_NE(CTexturePage::First()->surface, nullptr);
        std::vector<IDirectDrawSurface7*> levels = Levels(CTexturePage::First()->surface);
        EXPECT_EQ(levels.size(), c.levels);
        ExpectColour(levels.back(), 0, 0, 255, 0, 0, 4);
        ReleaseLevels(levels);
    }
}

TEST(StoredPageMipMaps, WithoutTheSettingThePageIsOneSurfaceOfTheStoredPixels)
{
    SettingsGuard settings(0);
    TextureDeviceRig rig;
    ASSERT_TRUE(LoadSection(StoredPage(256, 256, false, [](int x, int y) { return Quadrants(x, y, 256); })));
    CTexturePage* page = CTexturePage::First();
    ASSERT_NE(page->surface, nullptr);
    EXPECT_EQ(Levels(page->surface).size(), 1u);
    DDSURFACEDESC2 d;
    ASSERT_EQ(page->surface->GetSurfaceDesc(&d), DD_OK);
    EXPECT_EQ(d.ddsCaps.dwCaps & (DDSCAPS_MIPMAP | DDSCAPS_COMPLEX), 0u);
    EXPECT_EQ(d.dwWidth, 256u);
    ExpectColour(page->surface, 1, 0, 255, 255, 255, 4);
    ExpectColour(page->surface, 200, 200, 0, 0, 255, 4);
    EXPECT_EQ(rig.logCount("Using texture-format '16 bit 0565 RGB' for a texture-page"), 1);
}

// Drawn on the game's device, the page's smaller levels are what a small quad shows.
class StoredPageMipMapDraw : public DeviceFixture
{
protected:
    uint32_t DrawSmall(IDirectDrawSurface7* texture, uint32_t mipFilter)
    {
        IDirect3DDevice7* d = DX.device;
        d->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
        d->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
        d->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRENDERSTATE_FOGENABLE, 0);
        d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0);
        d->SetTexture(0, texture);
        d->SetTexture(1, nullptr);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
        d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_POINT);
        d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_POINT);
        d->SetTextureStageState(0, D3DTSS_MIPFILTER, mipFilter);
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        d->BeginScene();
        const float l = 8, t = 8, r = 16, b = 16, z = 0.5f;
        D3DTLVertex v[4] = {{l, t, z, 1, 0xFFFFFFFFu, 0, 0, 0},
                            {r, t, z, 1, 0xFFFFFFFFu, 0, 1, 0},
                            {r, b, z, 1, 0xFFFFFFFFu, 0, 1, 1},
                            {l, b, z, 1, 0xFFFFFFFFu, 0, 0, 1}};
        EXPECT_EQ(d->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, v, 4, 0), D3D_OK);
        d->EndScene();
        d->SetTexture(0, nullptr);
        uint32_t c = 0;
        EXPECT_TRUE(DX.backSurface->ReadPixel(12, 12, &c));
        return c & 0xFFFFFF;
    }
    static int Channel(uint32_t c, int shift) { return int((c >> shift) & 0xFF); }
};

TEST_F(StoredPageMipMapDraw, ACheckerPageDrawnSmallReadsAsItsAverage)
{
    const auto checker = [](int x, int y) { return (x + y) % 2 ? kWhite : kBlack; };
    {
        SettingsGuard settings(1);
        ASSERT_TRUE(LoadSection(StoredPage(256, 256, false, checker)));
        CTexturePage* page = CTexturePage::First();
        ASSERT_NE(page->surface, nullptr);
        for (uint32_t filter : {uint32_t(D3DTFP_POINT), uint32_t(D3DTFP_LINEAR)}) {
            const uint32_t c = DrawSmall(page->surface, filter);
            for (int shift : {16, 8, 0})
                EXPECT_NEAR(Channel(c, shift), 128, 12) << std::hex << c << " filter " << filter;
        }
        // Without the mip filter the top level is read: single texels, black or white.
        const uint32_t top = DrawSmall(page->surface, D3DTFP_NONE);
        EXPECT_TRUE(Channel(top, 16) < 16 || Channel(top, 16) > 240) << std::hex << top;
        delete page;
    }
    {
        SettingsGuard settings(0);
        ASSERT_TRUE(LoadSection(StoredPage(256, 256, false, checker)));
        CTexturePage* page = CTexturePage::First();
        ASSERT_NE(page->surface, nullptr);
        const uint32_t c = DrawSmall(page->surface, D3DTFP_POINT);
        EXPECT_TRUE(Channel(c, 16) < 16 || Channel(c, 16) > 240)
            << "no levels without the setting: " << std::hex << c;
        delete page;
    }
}

} // namespace
