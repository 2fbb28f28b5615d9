// Start-up resources: the interface's images and models from resources/.
#include "tests/render/DeviceFixture.h"
#include "tests/render/TextureTestRig.h"

#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "platform/resources/Resources.h"

namespace {

class GameResources : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        savedResources = platform::ResourceFolder();
        platform::SetResourceFolder(folder / "resources");
        std::filesystem::create_directories(folder / "resources" / "IMAGES");
        std::filesystem::create_directories(folder / "resources" / "MODELS");
        clearLog();
    }
    void TearDown() override
    {
        FreeGameResources();
        platform::SetResourceFolder(savedResources);
        DeviceFixture::TearDown();
    }

    void Image(int id, uint32_t argb)
    {
        ASSERT_TRUE(WritePicture(folder / "resources" / "IMAGES" / (std::to_string(id) + ".bmp"), 8, 8,
                                 std::vector<uint32_t>(64, argb)));
    }

    // A model file holding one mesh triangle.
    void Model(int id)
    {
        CRootNode root;
        auto* mesh = new CMeshNode("tri");
        MeshVertex v[3] = {};
        v[1].x = 1;
        v[2].y = 1;
        const uint16_t idx[3] = {0, 1, 2};
        mesh->SetVertices(v, 3);
        mesh->SetIndices(idx, 3);
        mesh->SetMaterialCount(1);
        mesh->materials[0].vertexCount = 3;
        mesh->materials[0].indexCount = 3;
        root.AddChild(mesh);
        ASSERT_TRUE(
            root.Save((folder / "resources" / "MODELS" / (std::to_string(id) + ".tmf")).string().c_str()));
    }

    std::filesystem::path savedResources;
};

TEST_F(GameResources, LoadsTheImagesAndModelsThatArePresent)
{
    Image(336, 0xFF808080u);
    Image(393, 0xFFFFFFFFu);
    Image(569, 0xFF204060u);
    Image(488, 0xFF0000FFu);
    Model(460);
    ASSERT_EQ(CTexture::First(), nullptr);

    ASSERT_TRUE(LoadGameResources());
    CTexture* shadow = GameResourceTexture(336);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->name, "Shadow");
    EXPECT_NE(shadow->surface, nullptr);
    EXPECT_EQ(GameResourceTexture(336, 1), shadow) << "kept in two holders";
    ASSERT_NE(GameResourceTexture(393), nullptr);
    EXPECT_EQ(GameResourceTexture(393)->name, "Lightflare");
    ASSERT_NE(GameResourceTexture(569), nullptr);
    EXPECT_EQ(GameResourceTexture(569)->name, "foto_hotel");
    ASSERT_NE(GameResourceTexture(488), nullptr);
    int32_t r = 0, g = 0, b = 0, a = 0;
    ASSERT_TRUE(GameResourceTexture(488)->GetPixel(3, 3, &r, &g, &b, &a));
    EXPECT_EQ(b, 255);
    EXPECT_EQ(GameResourceTexture(580), nullptr) << "missing: a null holder";
    ASSERT_NE(GameResourceImage(), nullptr);
    EXPECT_EQ(GameResourceImage()->format, 0x208);

    // Three independent copies of the same model.
    CRootNode* copies[3] = {GameResourceModel(460, 0), GameResourceModel(460, 1), GameResourceModel(460, 2)};
    for (CRootNode* c : copies) {
        ASSERT_NE(c, nullptr);
        ASSERT_NE(c->FirstModelChild(), nullptr);
        EXPECT_EQ(c->vertexCount, 3u);
    }
    EXPECT_NE(copies[0], copies[1]);
    EXPECT_NE(copies[1]->FirstModelChild(), copies[2]->FirstModelChild());
    EXPECT_EQ(GameResourceModel(532), nullptr);

    // At start-up the list is empty, so none of the interface textures is in it.
    EXPECT_EQ(CTexture::First(), nullptr);
    CTexture later("later");
    EXPECT_EQ(CTexture::First(), &later) << "a texture made afterwards starts the list";
    EXPECT_EQ(later.next, nullptr);

    CD3DLight* sun = GameResourceSun();
    ASSERT_NE(sun, nullptr);
    EXPECT_STREQ(sun->name.c_str(), "Sun");
    EXPECT_EQ(sun->kind, 6);
    EXPECT_TRUE(sun->enabled);
    EXPECT_FLOAT_EQ(sun->light.dvAttenuation0, 1.0f);
    EXPECT_FLOAT_EQ(sun->light.dvAttenuation1, 0.0f);
    EXPECT_FLOAT_EQ(sun->light.dvRange, 100.0f);
    D3DLIGHT7 sent;
    ASSERT_EQ(DX.device->GetLight(uint32_t(sun->slot), &sent), D3D_OK);
    EXPECT_FLOAT_EQ(sent.dvAttenuation0, 1.0f) << "the block was sent again";
    EXPECT_EQ(logCount("Resource IMAGES 336 not found"), 0);
    EXPECT_EQ(logCount("Resource MODELS 460 not found"), 0);
}

TEST_F(GameResources, AnEmptyFolderLogsEachMissingIdOnceAndStartUpGoesOn)
{
    ASSERT_TRUE(LoadGameResources());
    EXPECT_EQ(GameResourceTexture(336), nullptr);
    EXPECT_EQ(GameResourceModel(460, 2), nullptr);
    EXPECT_EQ(GameResourceImage(), nullptr);
    EXPECT_EQ(logCount("Resource IMAGES 336 not found"), 1);
    EXPECT_EQ(logCount("Resource IMAGES 569 not found"), 1) << "asked for as image and as texture";
    EXPECT_EQ(logCount("Resource MODELS 460 not found"), 1) << "asked for three times";
    EXPECT_EQ(logCount("Resource MODELS 430 not found"), 1);
    EXPECT_EQ(logCount("Resource IMAGES 430 not found"), 1);
    // 48 distinct images and 29 distinct models.
    EXPECT_EQ(logCount("Resource IMAGES "), 48);
    EXPECT_EQ(logCount("Resource MODELS "), 29);
}

TEST_F(GameResources, NothingIsLoadedWithoutAnInitialisedDevice)
{
    Image(336, 0xFF808080u);
    DX.initialised = false;
    EXPECT_FALSE(LoadGameResources());
    EXPECT_EQ(GameResourceTexture(336), nullptr);
    DX.initialised = true;
}

TEST_F(GameResources, ATextureLoadedWhileTheListHoldsTexturesStaysInIt)
{
    Image(600, 0xFFFFFFFFu);
    CTexture first("first");
    CTexture* loaded = LoadTextureResource(600, "six", true);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(CTexture::First(), &first);
    EXPECT_EQ(first.next, loaded);
    EXPECT_NE(loaded->surface, nullptr);
    delete loaded;
    EXPECT_EQ(LoadTextureResource(601, nullptr, false), nullptr);
    EXPECT_EQ(logCount("Resource IMAGES 601 not found"), 1);
}

} // namespace
