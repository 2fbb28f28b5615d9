// Shadow textures stored in a world node: the world load gives them a texture
// surface of their 16-bit pixels on texture stage 1; with shadow maps off they
// get none, and their pixels still go back into a save.
#include "tests/render/TextureTestRig.h"

#include <memory>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/render/InstallRender.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "tests/app/ShellWorld.h"

namespace {

// 4 x 2 pixels in X1R5G5B5: red, green, blue, white; then grey and black twice.
const std::vector<uint16_t> kPixels = {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x4210, 0x0000, 0x4210, 0x0000};

class ShadowTexture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedMode = GameModeFlag;
        savedNoShadows = NoShadowsFlag;
        GameModeFlag = 0;
        NoShadowsFlag = 0;
        CreateWorldRoots();
        ClearWorld();
        InstallRender();
    }
    void TearDown() override
    {
        DestroyWorldRoots();
        GameModeFlag = savedMode;
        NoShadowsFlag = savedNoShadows;
    }

    // A world of one tile whose instance carries the shadow texture, saved and loaded again.
    CWorldObject* SaveAndLoad(TextureDeviceRig& rig)
    {
        CModelEntry* tile = shelltest::AddTileEntry(1.0f);
        CWorldObject* o = shelltest::AddInstance(g_WorldRoot, tile, CVector(0, 0, 0));
        o->shadowTexture = new SShadowTexture;
        o->shadowTexture->width = 4;
        o->shadowTexture->height = 2;
        o->shadowTexture->pixels = kPixels;
        path = (rig.folder / "Shadow.wld").string();
        EXPECT_TRUE(SaveWorld(path.c_str()));
        ClearWorld();
        EXPECT_TRUE(LoadWorld(path.c_str(), LOADWORLD_OPEN));
        return g_WorldRoot ? g_WorldRoot->FirstObject() : nullptr;
    }

    uint8_t savedMode = 1, savedNoShadows = 0;
    std::string path;
};

TEST_F(ShadowTexture, ALoadedWorldGivesItATextureSurfaceOnTheSecondStage)
{
    TextureDeviceRig rig(FormatSet::Only565);
    CWorldObject* o = SaveAndLoad(rig);
    ASSERT_NE(o, nullptr);
    ASSERT_NE(o->shadowTexture, nullptr);
    CTextureSurface& t = o->shadowTexture->texture;
    ASSERT_NE(t.surface, nullptr);
    DDSURFACEDESC2 desc;
    ASSERT_EQ(t.surface->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwTextureStage, 1u);
    EXPECT_EQ(desc.dwWidth, 4u);
    EXPECT_EQ(desc.dwHeight, 2u);
    EXPECT_EQ(rig.logCount("Using texture-format '16 bit 0565 RGB' for a shadow-texture"), 1) << rig.log();
    // The 5-5-5 pixels converted to 5-6-5 read back as the stored colours; the conversion sets
    // green's new lowest bit, so black keeps a trace of green.
    const Rgba red = PixelOf(t, 0, 0), blue = PixelOf(t, 2, 0), white = PixelOf(t, 3, 0),
               black = PixelOf(t, 1, 1);
    EXPECT_EQ(red.r, 255);
    EXPECT_LT(red.g, 8);
    EXPECT_EQ(blue.b, 255);
    EXPECT_EQ(blue.r, 0);
    EXPECT_EQ(white.g, 255);
    EXPECT_EQ(black.r + black.b, 0);
    EXPECT_LT(black.g, 8);
}

TEST_F(ShadowTexture, HalvedTexturesKeepEverySecondRowAndPixel)
{
    TextureDeviceRig rig(FormatSet::Only565);
    DX.halveTextureWidths = DX.halveTextureHeights = true;
    CWorldObject* o = SaveAndLoad(rig);
    ASSERT_TRUE(o && o->shadowTexture && o->shadowTexture->texture.surface);
    DDSURFACEDESC2 desc;
    ASSERT_EQ(o->shadowTexture->texture.surface->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, 2u);
    EXPECT_EQ(desc.dwHeight, 1u);
    DDSURFACEDESC2 locked;
    ASSERT_EQ(
        o->shadowTexture->texture.surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr),
        DD_OK);
    const auto* row = static_cast<const uint16_t*>(locked.lpSurface);
    EXPECT_EQ(row[0], 0xF820); // pixel 0: red (with green's low bit of the conversion)
    EXPECT_EQ(row[1], 0x003F); // pixel 2: blue
    o->shadowTexture->texture.surface->Unlock(nullptr);
}

// Without shadow maps (the setting or NOSHADOWS) and on a device without a 16-bit format the
// node gets no surface, but an editor save writes the stored pixels back unchanged.
TEST_F(ShadowTexture, WithoutASurfaceThePixelsStillGoBackIntoASave)
{
    struct SCase
    {
        const char* what;
        bool noShadows;
        bool noFormat;
    };
    for (const SCase& c : {SCase{"shadow maps off", true, false}, SCase{"no 16-bit format", false, true}}) {
        SCOPED_TRACE(c.what);
        TextureDeviceRig rig(FormatSet::Only565);
        if (c.noFormat)
            rig.info.textureFormats[0]->bitsPerPixel = 24;
        NoShadowsFlag = c.noShadows ? 1 : 0;
        CWorldObject* o = SaveAndLoad(rig);
        ASSERT_TRUE(o && o->shadowTexture);
        EXPECT_EQ(o->shadowTexture->texture.surface, nullptr);
        EXPECT_EQ(o->shadowTexture->pixels, kPixels);
        EXPECT_EQ(rig.logCount("for a shadow-texture"), 0);
        EXPECT_EQ(rig.logCount("No appropriate texture-format found"), c.noFormat ? 1 : 0);
        const std::string again = (rig.folder / "Again.wld").string();
        ASSERT_TRUE(SaveWorld(again.c_str()));
        ClearWorld();
        NoShadowsFlag = 0;
        ASSERT_TRUE(LoadWorld(again.c_str(), LOADWORLD_OPEN));
        CWorldObject* back = g_WorldRoot->FirstObject();
        ASSERT_TRUE(back && back->shadowTexture);
        EXPECT_EQ(back->shadowTexture->pixels, kPixels);
        ClearWorld();
    }
}

// The game without shadow maps passes the block over unread: no texture, no surface, and the
// node after it loads whole (the block's pixels are not taken for the next fields).
TEST_F(ShadowTexture, TheGameWithoutShadowMapsPassesTheBlockOver)
{
    TextureDeviceRig rig(FormatSet::Only565);
    CModelEntry* tile = shelltest::AddTileEntry(1.0f);
    for (int i = 0; i < 2; ++i) {
        CWorldObject* o = shelltest::AddInstance(g_WorldRoot, tile, CVector(float(i) * 2.0f, 0, 0));
        o->shadowTexture = new SShadowTexture;
        o->shadowTexture->width = 4;
        o->shadowTexture->height = 2;
        o->shadowTexture->pixels = kPixels;
    }
    path = (rig.folder / "Shadows.wld").string();
    ASSERT_TRUE(SaveWorld(path.c_str()));
    ClearWorld();
    GameModeFlag = 1;
    NoShadowsFlag = 1;
    LoadLosses().clear();
    ASSERT_TRUE(LoadWorld(path.c_str(), LOADWORLD_OPEN));
    EXPECT_TRUE(LoadLosses().empty()) << LoadLosses().front();
    std::vector<CWorldObject*> nodes;
    for (CWorldObject* o = g_WorldRoot->FirstObject(); o; o = o->NextObject())
        nodes.push_back(o);
    ASSERT_EQ(nodes.size(), 2u);
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[i]->shadowTexture, nullptr);
        EXPECT_EQ(nodes[i]->position.x, float(i) * 2.0f);
        EXPECT_NE(nodes[i]->ModelEntry(), nullptr);
    }
    EXPECT_EQ(rig.logCount("shadow-texture"), 0);
    ClearWorld();
}

} // namespace
