// A world test with a device, the texture-page and model hooks installed, and
// two plain 32x32 textures, "textures\red.bmp" and "textures\blue.bmp", in the
// test's folder, which is the current folder.
#pragma once

#include "tests/render/TextureTestRig.h"

#include <memory>
#include <string>
#include <vector>

#include "GAMES/Rulo2/render/InstallRender.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "platform/files/Files.h"
#include "tests/world/WorldTestUtil.h"

namespace worldtest {

class WorldWithTexturesTest : public WorldTest
{
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        rig = std::make_unique<TextureDeviceRig>();
        savedHooks = TexturePageHooks;
        InstallRender();
        fs::create_directories(dir / "textures");
        ASSERT_TRUE(
            WritePicture(dir / "textures" / "red.bmp", 32, 32, std::vector<uint32_t>(32 * 32, 0xFFFF0000u)));
        ASSERT_TRUE(
            WritePicture(dir / "textures" / "blue.bmp", 32, 32, std::vector<uint32_t>(32 * 32, 0xFF0000FFu)));
        ASSERT_TRUE(platform::SetCurrentDirectory(dir.string()));
    }
    void TearDown() override
    {
        ClearWorld();
        AnimInfoTable.clear();
        TexturePageHooks = savedHooks;
        rig.reset();
        WorldTest::TearDown();
    }

    CTexture* Load(const char* name)
    {
        auto* t = new CTexture();
        EXPECT_TRUE(t->Load((std::string("textures\\") + name + ".bmp").c_str(), false));
        return t;
    }

    std::unique_ptr<TextureDeviceRig> rig;
    STexturePageHooks savedHooks;
};

} // namespace worldtest
