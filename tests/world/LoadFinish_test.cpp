// The steps that end a world load in the editor: animation slots, texture
// coordinates fitted to the pages, the page clean-up and the snap points,
// in the order the log shows.
#include "tests/world/WorldTexturesFixture.h"

#include <cmath>
#include <memory>
#include <utility>

#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "platform/files/Files.h"
#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

class LoadFinishTest : public WorldWithTexturesTest
{
protected:
    CTexturePage* RedBluePage(int32_t number)
    {
        auto* page = new CTexturePage();
        for (const char* name : {"red", "blue"})
            EXPECT_TRUE(page->AddTexture(Load(name)));
        EXPECT_TRUE(page->Build());
        page->number = number;
        return page;
    }

    // A model whose one material shows the whole of (page, entry) with texture
    // coordinates 0..1, and a snapper locator one unit above its frame.
    static CRootNode* PagedModel(const char* name, int32_t pageNumber, int32_t pageEntry)
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
        m.textureName = "textures\\blue.bmp";
        m.pageNumber = pageNumber;
        m.pageEntry = pageEntry;
        m.entryRect[2] = m.entryRect[3] = 256;
        built.AddChild(mesh);
        auto* frame = new CFrameNode("Place");
        frame->scaling = CVector(1, 1, 1);
        frame->localMatrix[13] = 1.0f;
        frame->AddChild(new CLocatorNode("snapperTop"));
        built.AddChild(frame);
        CChunkWriter bytes;
        EXPECT_TRUE(built.SaveToMemory(bytes));
        auto* root = new CRootNode;
        EXPECT_TRUE(ParseTmfChunks(bytes.Data().data(), bytes.Data().size(), root).ok);
        return root;
    }

    static CMeshNode* MeshOf(CModelEntry* entry)
    {
        return static_cast<CMeshNode*>(entry->model->FindByName("Mesh"));
    }
};

CModelEntry* FindEntry(const char* name)
{
    for (CModelEntry* e = g_ModelListRoot->FirstEntry(); e; e = e->NextEntry())
        if (e->GetName() && std::string(e->GetName()) == name)
            return e;
    return nullptr;
}

TEST_F(LoadFinishTest, EditorLoadFitsCoordinatesMergesPagesAndRefreshesSnapPointsInOrder)
{
    CTexturePage* first = RedBluePage(1);
    RedBluePage(2); // the same textures once more
    auto* entry = new CModelEntry;
    entry->SetName("Painted");
    entry->model = PagedModel("Painted", 2, 1);
    entry->animIndex = 7;
    g_ModelListRoot->AddChild(entry);
    auto* follower = new CModelEntry;
    follower->SetName("Follower");
    follower->model = PagedModel("Follower", 1, 0);
    follower->linkIndex = 7;
    g_ModelListRoot->AddChild(follower);
    CWorldObject* placed = AddNode(g_WorldRoot, CWorldObject::KIND_MODEL);
    placed->reference = entry;
    placed->position = CVector(10, 0, 0);
    const std::string path = Path("Finish.wld");
    ASSERT_TRUE(SaveWorld(path.c_str()));
    ClearWorld();
    AnimInfoTable.assign(9, follower); // stale slots from an earlier world

    std::string error;
    ASSERT_TRUE(LoadWorld(path.c_str(), LOADWORLD_OPEN, &error)) << error;

    // The slots of the animation table start afresh with five empty ones.
    ASSERT_EQ(AnimInfoTable.size(), 8u);
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(AnimInfoTable[i], nullptr) << i;
    CModelEntry* painted = FindEntry("Painted");
    ASSERT_NE(painted, nullptr);
    EXPECT_EQ(AnimInfoTable[7], painted);

    // The duplicate page is gone and the model draws from the remaining one.
    ASSERT_NE(CTexturePage::First(), nullptr);
    EXPECT_EQ(CTexturePage::First()->next, nullptr);
    first = CTexturePage::First();
    const CMeshMaterial& m = MeshOf(painted)->materials[0];
    EXPECT_EQ(m.page, first);
    EXPECT_EQ(m.pageEntry, 1);
    // Coordinates lie inside the entry's place on the page, not 0..1.
    const RECT& r = first->entries[1].pageRect;
    for (int i = 0; i < 3; ++i) {
        const MeshVertex& v = MeshOf(painted)->vertices[i];
        EXPECT_GE(v.u * float(first->width), float(r.left) - 0.01f);
        EXPECT_LE(v.u * float(first->width), float(r.right) + 0.01f);
        EXPECT_GE(v.v * float(first->height), float(r.top) - 0.01f);
        EXPECT_LE(v.v * float(first->height), float(r.bottom) + 0.01f);
    }
    EXPECT_LT(MeshOf(painted)->vertices[1].u, 1.0f);

    // The placed model's snapper locator is cached in world space.
    CWorldObject* loaded = g_WorldRoot->FirstObject();
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->snapCount, 1);
    ASSERT_EQ(loaded->snapPoints.size(), 1u);
    EXPECT_NEAR(loaded->snapPoints[0].x - 10.0f, painted->model->localMatrix[12], 1e-4);

    const std::string log = rig->log();
    const char* steps[] = {"Recreate anim-infos...",
                           "Updating Model-UVs...",
                           "Checking for invalid Texture-Pages...",
                           "Removing identical Texture-Pages...",
                           "Recreating Texture-Pages...",
                           "Updating world locators...",
                           "Checking for invalid connections...",
                           "World loaded successfuly"};
    size_t at = 0;
    for (const char* step : steps) {
        const size_t found = log.find(step, at);
        ASSERT_NE(found, std::string::npos) << step << " missing or out of order";
        at = found;
    }
    EXPECT_EQ(rig->logCount("Checking for invalid Texture-Pages..."), 1);
}

TEST_F(LoadFinishTest, MissingTextureFileLeavesPagesAndModelsAsStored)
{
    RedBluePage(1);
    auto* entry = new CModelEntry;
    entry->SetName("Painted");
    entry->model = PagedModel("Painted", 1, 1);
    g_ModelListRoot->AddChild(entry);
    RefitAllTexturesInModels(g_ModelListRoot->FirstEntry());
    const std::string path = Path("Missing.wld");
    ASSERT_TRUE(SaveWorld(path.c_str()));
    const std::vector<uint8_t> saved = ReadBytes(path);
    ClearWorld();
    while (CTexture::First())
        delete CTexture::First();
    fs::remove(dir / "textures" / "blue.bmp");

    std::string error;
    ASSERT_TRUE(LoadWorld(path.c_str(), LOADWORLD_OPEN, &error)) << error;
    EXPECT_TRUE(g_TextureLoadFailed) << "the editor warns that textures could not be loaded";
    ASSERT_NE(CTexturePage::First(), nullptr);
    EXPECT_EQ(CTexturePage::First()->count(), 2) << "the entry without its file stays on the page";
    const CMeshMaterial& m = MeshOf(FindEntry("Painted"))->materials[0];
    EXPECT_EQ(m.pageNumber, 1);
    EXPECT_EQ(m.pageEntry, 1);
    EXPECT_EQ(rig->logCount("Removed texture from texture-page"), 0);
    ASSERT_TRUE(SaveWorld(path.c_str()));
    EXPECT_EQ(ReadBytes(path), saved);
}

TEST_F(LoadFinishTest, FiguresInCharacterFoldersStandOnTheirSnapperOnlyInTheEditor)
{
    // A model whose "snapperShape" sits half a unit below its frame.
    auto snapperModel = [](const char* name) {
        CRootNode built;
        built.SetName(name);
        auto* frame = new CFrameNode("Body");
        frame->scaling = CVector(1, 1, 1);
        auto* mesh = new CMeshNode("Mesh");
        const MeshVertex v[] = {
            {0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 1, 0, 1, 0, 1, 0}, {0, 1, 0, 0, 1, 0, 0, 1, 0, 1}};
        mesh->SetVertices(v, 3);
        const uint16_t idx[] = {0, 1, 2};
        mesh->SetIndices(idx, 3);
        frame->AddChild(mesh);
        auto* foot = new CFrameNode("Foot");
        foot->scaling = CVector(1, 1, 1);
        foot->localMatrix[13] = -0.5f;
        foot->AddChild(new CLocatorNode("snapperShape"));
        frame->AddChild(foot);
        built.AddChild(frame);
        CChunkWriter bytes;
        EXPECT_TRUE(built.SaveToMemory(bytes));
        auto* root = new CRootNode;
        EXPECT_TRUE(ParseTmfChunks(bytes.Data().data(), bytes.Data().size(), root).ok);
        return root;
    };
    CNode* characters = g_ModelsTree->AddChild(new CNode("Characters"));
    CNode* props = g_ModelsTree->AddChild(new CNode("Props"));
    for (auto [name, folder] : {std::pair<const char*, CNode*>{"Guard", characters}, {"Statue", props}}) {
        auto* e = new CModelEntry;
        e->SetName(name);
        e->group = folder;
        e->model = snapperModel(name);
        g_ModelListRoot->AddChild(e);
    }
    const std::string path = Path("Figures.wld");
    ASSERT_TRUE(SaveWorld(path.c_str()));
    const std::vector<uint8_t> saved = ReadBytes(path);

    auto snapperHeight = [](const char* name) {
        CVector p;
        EXPECT_TRUE(
            FindEntry(name)->model->GetPositionByPath("snapperShape", &p, CMatrix::Identity, kRestTime));
        return p.y;
    };
    struct Case
    {
        uint8_t game;
        bool guardShifted;
    };
    for (const Case c : {Case{0, true}, Case{1, false}}) {
        ClearWorld();
        GameModeFlag = c.game;
        std::string error;
        ASSERT_TRUE(LoadWorld(path.c_str(), LOADWORLD_OPEN, &error)) << error;
        EXPECT_EQ(std::fabs(snapperHeight("Guard")) < 1e-5f, c.guardShifted) << "game " << int(c.game);
        EXPECT_GT(std::fabs(snapperHeight("Statue")), 0.1f) << "not a character folder";
    }
    GameModeFlag = 0;
    ClearWorld();
    std::string error;
    ASSERT_TRUE(LoadWorld(path.c_str(), LOADWORLD_OPEN, &error)) << error;
    ASSERT_TRUE(SaveWorld(path.c_str()));
    EXPECT_EQ(ReadBytes(path), saved) << "the shift is not stored";
}

// The offset of the first chunk with this id at or after `from`.
size_t FindChunk(const std::vector<uint8_t>& bytes, const char* id, size_t from)
{
    const std::string text(bytes.begin(), bytes.end());
    return text.find(std::string(id, 4), from);
}

size_t ChunkSize(const std::vector<uint8_t>& bytes, size_t at)
{
    // The length after the id is stored most significant byte first.
    return 8 + (size_t(bytes[at + 4]) << 24 | size_t(bytes[at + 5]) << 16 | size_t(bytes[at + 6]) << 8 |
                size_t(bytes[at + 7]));
}

TEST_F(LoadFinishTest, GameFindsModelsNumberedAfterOldMacrosInTheModelList)
{
    // Older files kept macros in the model list, numbered in the same count as
    // the models. Built here from a current file: the first of two models is
    // replaced by a macro, so the second keeps its number 3.
    auto* first = new CModelEntry;
    first->SetName("Placeholder");
    first->model = MakeModel("Placeholder", 1.0f);
    g_ModelListRoot->AddChild(first);
    CModelEntry* wall = AddEntry("Wall", nullptr, 2.0f);
    AddNode(g_WorldRoot, CWorldObject::KIND_MODEL)->reference = wall;
    auto* macro = new CMacro;
    macro->SetName("OldMacro");
    macro->content = new CWorldObject;
    g_MacroListRoot->AddChild(macro);
    CChunkWriter current;
    ASSERT_TRUE(WriteWorld(current));
    const std::vector<uint8_t>& bytes = current.Data();
    const size_t list = FindChunk(bytes, "LIST", 8);
    const size_t modl = FindChunk(bytes, "MODL", list);
    const size_t makr = FindChunk(bytes, "MAKR", FindChunk(bytes, "MAKL", 8));
    ASSERT_NE(list, std::string::npos);
    ASSERT_NE(modl, std::string::npos);
    ASSERT_NE(makr, std::string::npos);
    std::vector<uint8_t> old(bytes.begin(), bytes.begin() + ptrdiff_t(modl));
    old.insert(old.end(), bytes.begin() + ptrdiff_t(makr),
               bytes.begin() + ptrdiff_t(makr + ChunkSize(bytes, makr)));
    old.insert(old.end(), bytes.begin() + ptrdiff_t(modl + ChunkSize(bytes, modl)), bytes.end());
    ClearWorld();

    GameModeFlag = 1;
    std::string error;
    ASSERT_TRUE(LoadWorldFromMemory(old.data(), old.size(), LOADWORLD_OPEN, "old.wld", &error)) << error;
    ASSERT_NE(g_ModelListRoot->FirstEntry(), nullptr);
    EXPECT_EQ(g_ModelListRoot->FirstEntry()->NextEntry(), nullptr) << "one model left";
    ASSERT_NE(g_WorldRoot->FirstObject(), nullptr);
    EXPECT_EQ(g_WorldRoot->FirstObject()->ModelEntry(), FindEntry("Wall")) << "the instance keeps its model";
    GameModeFlag = 0;
}

TEST_F(LoadFinishTest, AnAnimationSlotFarOutOfRangeIsLeftOutButKept)
{
    CModelEntry* damaged = AddEntry("Damaged", nullptr, 1.0f);
    damaged->animIndex = 0x7FFFFFF0;
    damaged->linkIndex = 0x7FFFFFF0;
    CModelEntry* fine = AddEntry("Fine", nullptr, 1.0f);
    fine->animIndex = 6;
    const std::string path = Path("Slots.wld");
    ASSERT_TRUE(SaveWorld(path.c_str()));
    const std::vector<uint8_t> saved = ReadBytes(path);
    ClearWorld();

    std::string error;
    ASSERT_TRUE(LoadWorld(path.c_str(), LOADWORLD_OPEN, &error)) << error;
    ASSERT_EQ(AnimInfoTable.size(), 7u);
    EXPECT_EQ(AnimInfoTable[6], FindEntry("Fine"));
    EXPECT_EQ(FindEntry("Damaged")->animIndex, 0x7FFFFFF0);
    ASSERT_TRUE(SaveWorld(path.c_str()));
    EXPECT_EQ(ReadBytes(path), saved);
}

} // namespace
