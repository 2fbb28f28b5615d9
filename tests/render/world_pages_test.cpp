// Texture pages inside the world file: the TEXP section through the world
// writer and reader, and the page pass over the model list after a load.
#include "tests/render/TextureTestRig.h"

#include <memory>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/render/InstallRender.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "platform/files/Files.h"

namespace {

class WorldPages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rig = std::make_unique<TextureDeviceRig>();
        savedMode = GameModeFlag;
        GameModeFlag = 0;
        savedHooks = TexturePageHooks;
        savedCwd = platform::GetCurrentDirectory();
        ASSERT_TRUE(platform::SetCurrentDirectory(rig->folder.string()));
        std::filesystem::create_directories(rig->folder / "textures");
        const uint32_t colours[2] = {0xFFFF0000u, 0xFF00FF00u};
        const char* names[2] = {"red", "green"};
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(WritePicture(rig->folder / "textures" / (std::string(names[i]) + ".bmp"), 64, 64,
                                     std::vector<uint32_t>(64 * 64, colours[i])));
        CreateWorldRoots();
        InstallRender();
    }
    void TearDown() override
    {
        DestroyWorldRoots();
        CTexturePage::DeleteAll();
        TexturePageHooks = savedHooks;
        GameModeFlag = savedMode;
        platform::SetCurrentDirectory(savedCwd);
        rig.reset();
    }

    CTexture* Load(const char* name)
    {
        auto* t = new CTexture();
        EXPECT_TRUE(t->Load((std::string("textures\\") + name + ".bmp").c_str(), false));
        return t;
    }

    // A page holding red and green, built.
    CTexturePage* Page(CTexture* red, CTexture* green)
    {
        auto* page = new CTexturePage();
        EXPECT_TRUE(page->AddTexture(red));
        EXPECT_TRUE(page->AddTexture(green));
        EXPECT_TRUE(page->Build());
        return page;
    }

    // A model entry whose mesh's only material uses (page number, entry).
    CRootNode* Model(const char* name, int32_t pageNumber, int32_t entry, const char* texture)
    {
        CRootNode built;
        built.SetName(name);
        auto* mesh = new CMeshNode("Mesh");
        const MeshVertex v[] = {
            {0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 1, 0, 1, 0, 1, 0}, {0, 0, 1, 0, 1, 0, 0, 1, 0, 1}};
        mesh->SetVertices(v, 3);
        const uint16_t idx[] = {0, 1, 2};
        mesh->SetIndices(idx, 3);
        mesh->SetMaterialCount(1);
        CMeshMaterial& m = mesh->materials[0];
        m.vertexCount = 3;
        m.indexCount = 3;
        m.textureName = texture;
        m.pageNumber = pageNumber;
        m.pageEntry = entry;
        m.entryRect[2] = m.entryRect[3] = 256;
        built.AddChild(mesh);
        CChunkWriter w;
        EXPECT_TRUE(built.SaveToMemory(w));
        auto* root = new CRootNode;
        EXPECT_TRUE(ParseTmfChunks(w.Data().data(), w.Data().size(), root).ok);
        auto* e = new CModelEntry;
        e->SetName(name);
        e->model = root;
        g_ModelListRoot->AddChild(e);
        return root;
    }

    static CMeshMaterial& MaterialOf(CRootNode* model)
    {
        return static_cast<CMeshNode*>(model->FirstModelChild())->materials[0];
    }

    std::unique_ptr<TextureDeviceRig> rig;
    uint8_t savedMode = 1;
    STexturePageHooks savedHooks;
    std::string savedCwd;
};

TEST_F(WorldPages, TheWorldFileKeepsItsPagesThroughSaveAndLoad)
{
    Page(Load("red"), Load("green"))->number = 1;
    CRootNode* model = Model("box", 1, 1, "textures\\green.bmp");
    EXPECT_EQ(MaterialOf(model).page, CTexturePage::First()) << "bound when the model was read";
    // As the editor keeps them: the coordinates fitted to the page entry.
    RefitAllTexturesInModels(g_ModelListRoot->FirstEntry());

    CChunkWriter first;
    ASSERT_TRUE(WriteWorld(first));
    std::string error;
    ASSERT_TRUE(
        LoadWorldFromMemory(first.Data().data(), first.Data().size(), LOADWORLD_OPEN, "level.wld", &error))
        << error;
    CTexturePage* page = CTexturePage::First();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->next, nullptr) << "the old page list was replaced";
    ASSERT_EQ(page->count(), 2);
    ASSERT_NE(page->entries[1].texture, nullptr);
    EXPECT_EQ(page->entries[1].texture->name, "green");
    int32_t r = 0, g = 0, b = 0, a = 0;
    ASSERT_TRUE(page->GetPixel(16 + 4, 4, &r, &g, &b, &a));
    EXPECT_EQ(g, 255);
    EXPECT_EQ(r, 0);

    ASSERT_NE(g_ModelListRoot->FirstEntry(), nullptr);
    CRootNode* loaded = g_ModelListRoot->FirstEntry()->model;
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(MaterialOf(loaded).page, page);
    EXPECT_EQ(MaterialOf(loaded).pageEntry, 1);

    CChunkWriter second;
    ASSERT_TRUE(WriteWorld(second));
    EXPECT_EQ(second.Data(), first.Data()) << "saved again byte for byte";
}

TEST_F(WorldPages, SavingRenumbersPagesAndTheModelsThatUseThem)
{
    CTexturePage* gone = Page(Load("red"), Load("green"));
    CTexturePage* kept = Page(CTexture::First(), CTexture::First()->next);
    gone->number = 1;
    kept->number = 2;
    CRootNode* model = Model("box", 2, 0, "textures\red.bmp");
    ASSERT_EQ(MaterialOf(model).page, kept);
    delete gone;
    CChunkWriter w;
    ASSERT_TRUE(WriteWorld(w));
    EXPECT_EQ(kept->number, 1);
    EXPECT_EQ(MaterialOf(model).pageNumber, 1) << "written with the page's new number";
}

TEST_F(WorldPages, AfterALoadDuplicatePagesMergeAndEntriesWithoutTextureGo)
{
    CTexture* red = Load("red");
    CTexture* green = Load("green");
    CTexturePage* a = Page(red, green);
    CTexturePage* b = Page(red, green);
    CTexturePage* c = Page(red, green);
    a->number = 1;
    b->number = 2;
    c->number = 3;
    c->entries[0].texture = nullptr;
    CRootNode* onB = Model("onB", 2, 1, "textures\\green.bmp");
    CRootNode* onC = Model("onC", 3, 0, "textures\\red.bmp");
    CRootNode* onC1 = Model("onC1", 3, 1, "textures\\green.bmp");
    ASSERT_EQ(MaterialOf(onB).page, b);

    FinishTexturePagesAfterLoad();
    EXPECT_EQ(CTexturePage::First(), a);
    ASSERT_EQ(a->next, c) << "the duplicate of the first page is gone";
    EXPECT_EQ(c->next, nullptr);
    EXPECT_EQ(MaterialOf(onB).page, a) << "its users now use the first page";
    EXPECT_EQ(MaterialOf(onB).pageEntry, 1);
    ASSERT_EQ(c->count(), 1);
    EXPECT_EQ(MaterialOf(onC).page, nullptr) << "the entry without texture was dropped from the model";
    EXPECT_EQ(MaterialOf(onC1).page, c);
    EXPECT_EQ(MaterialOf(onC1).pageEntry, 0) << "renumbered after the removed entry";
    EXPECT_EQ(rig->logCount("Removed texture from texture-page due to lack of texture"), 1);
}

} // namespace
