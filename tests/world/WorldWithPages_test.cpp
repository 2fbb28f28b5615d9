// The sample world with texture pages and a model drawn from them: saved,
// loaded in the editor and saved again, byte for byte.
#include "tests/world/WorldTexturesFixture.h"

#include <memory>

#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "platform/files/Files.h"
#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

using WorldWithPagesTest = WorldWithTexturesTest;

TEST_F(WorldWithPagesTest, SavesLoadsAndSavesAgainByteForByte)
{
    BuildSampleWorld();
    auto* page = new CTexturePage();
    ASSERT_TRUE(page->AddTexture(Load("red")));
    ASSERT_TRUE(page->AddTexture(Load("blue")));
    ASSERT_TRUE(page->Build());
    page->number = 1;
    // A model whose material uses the page's second entry.
    CRootNode built;
    built.SetName("Painted");
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
    m.textureName = "textures\\blue.bmp";
    m.pageNumber = 1;
    m.pageEntry = 1;
    m.entryRect[2] = m.entryRect[3] = 256;
    built.AddChild(mesh);
    CChunkWriter modelBytes;
    ASSERT_TRUE(built.SaveToMemory(modelBytes));
    auto* entry = new CModelEntry;
    entry->SetName("Painted");
    entry->model = new CRootNode;
    ASSERT_TRUE(ParseTmfChunks(modelBytes.Data().data(), modelBytes.Data().size(), entry->model).ok);
    g_ModelListRoot->AddChild(entry);
    AddNode(g_WorldRoot, CWorldObject::KIND_MODEL)->reference = entry;
    // As the editor keeps them: the coordinates fitted to the page entry.
    RefitAllTexturesInModels(g_ModelListRoot->FirstEntry());

    const std::string path = Path("Paged.wld");
    ASSERT_TRUE(SaveWorld(path.c_str()));
    const std::vector<uint8_t> first = ReadBytes(path);
    ASSERT_NE(std::string::npos, std::string(first.begin(), first.end()).find("TEXP"));

    ClearWorld();
    ASSERT_EQ(nullptr, CTexturePage::First());
    std::string error;
    ASSERT_TRUE(LoadWorld(path.c_str(), LOADWORLD_OPEN, &error)) << error;
    ASSERT_NE(nullptr, CTexturePage::First());
    EXPECT_EQ(2, CTexturePage::First()->count());
    ASSERT_TRUE(SaveWorld(path.c_str()));
    EXPECT_EQ(first, ReadBytes(path));
    EXPECT_EQ(first, ReadBytes(dir / "Paged.bak"));
}

} // namespace
