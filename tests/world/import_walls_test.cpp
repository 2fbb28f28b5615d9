// Importing an updated world, and splitting wall models into inside and
// outside twins.
#include "tests/world/ServicesFixture.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/WallSplit.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldImport.h"
#include "platform/files/WinPath.h"
#include "platform/win/MessageBox.h"

namespace fs = std::filesystem;

namespace {

class ImportTest : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        folder = fs::temp_directory_path() / ("varek_import_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        platform::SetProgramFolder(folder);
        platform::ClearMessageBoxAnswers();
    }
    void TearDown() override
    {
        g_ImportUpdatedWorldHook = nullptr;
        platform::ClearMessageBoxAnswers();
        WorldServicesTest::TearDown();
        fs::remove_all(folder);
    }
    CModelEntry* Entry(const char* name, CNode* folderNode)
    {
        CModelEntry* e = AddEntry(name, new CRootNode());
        e->model->AddChild(TriangleMesh("m"));
        e->group = folderNode;
        return e;
    }
    CWorldObject* Group(CNode* parent, const char* name)
    {
        return Place(parent, name, CWorldObject::KIND_GROUP, nullptr);
    }
    fs::path folder;
};

std::vector<std::string> ChildNames(const CNode* node)
{
    std::vector<std::string> names;
    for (const CNode* c = node ? node->firstChild : nullptr; c; c = c->next)
        names.push_back(c->name ? c->name : "");
    return names;
}

} // namespace

TEST_F(ImportTest, MarkedGroupsAreCollectedOnceByTheirOutermostMarkedGroup)
{
    CWorldObject* a = Group(g_WorldRoot, "a");
    CWorldObject* inner = Group(a, "inner");
    CWorldObject* b = Group(g_WorldRoot, "b");
    CWorldObject* c = Group(b, "c");
    a->groupFlag = inner->groupFlag = c->groupFlag = true;
    std::vector<CWorldObject*> groups;
    CollectFlaggedGroups(g_WorldRoot, groups);
    EXPECT_EQ(groups, (std::vector<CWorldObject*>{a, c}));
    EXPECT_FALSE(a->groupFlag || inner->groupFlag || c->groupFlag);
}

TEST_F(ImportTest, UpdatedWorldReplacesTheMarkedGroupAndKeepsTheRest)
{
    CModelEntry* chair = Entry("chair", g_ModelsTree);
    CModelEntry* table = Entry("table", g_ModelsTree);
    CWorldObject* house = Group(g_WorldRoot, "House");
    CWorldObject* kitchen = Group(house, "Kitchen");
    Place(kitchen, "old chair", CWorldObject::KIND_MODEL, chair);
    CWorldObject* garden = Group(g_WorldRoot, "Garden");
    Place(garden, "bench", CWorldObject::KIND_MODEL, chair);

    // The second file: the kitchen now holds a table and a chair, and is marked.
    kitchen->groupFlag = true;
    kitchen->DeleteChildren();
    Place(kitchen, "new table", CWorldObject::KIND_MODEL, table);
    Place(kitchen, "new chair", CWorldObject::KIND_MODEL, chair);
    garden->FirstObject()->SetName("changed bench");
    CChunkWriter second;
    ASSERT_TRUE(WriteWorld(second));

    // The current world again, as it was.
    kitchen->groupFlag = false;
    kitchen->DeleteChildren();
    Place(kitchen, "old chair", CWorldObject::KIND_MODEL, chair);
    garden->FirstObject()->SetName("bench");

    g_ImportUpdatedWorldHook = ImportUpdatedGroups;
    std::string error;
    ASSERT_TRUE(LoadWorldFromMemory(second.Data().data(), second.Data().size(), LOADWORLD_UPDATE,
                                    "second.wld", &error))
        << error;
    CWorldObject* newKitchen = static_cast<CWorldObject*>(g_WorldRoot->FindByName("Kitchen"));
    ASSERT_NE(newKitchen, nullptr);
    EXPECT_EQ(newKitchen->parent->name, std::string("House"));
    std::vector<const CModelEntry*> uses;
    for (CNode* n = newKitchen->firstChild; n; n = n->next)
        uses.push_back(static_cast<CWorldObject*>(n)->ModelEntry());
    EXPECT_EQ(uses, (std::vector<const CModelEntry*>{table, chair})) << "re-bound to the current model list";
    EXPECT_EQ(ChildNames(g_WorldRoot->FindByName("Garden")), std::vector<std::string>{"bench"})
        << "groups that are not marked stay as they are";
    EXPECT_EQ(g_WorldRoot->FindByName("old chair"), nullptr);
    EXPECT_EQ(ChildNames(g_WorldRoot->FindByName("House")), std::vector<std::string>{"Kitchen"});
}

TEST_F(ImportTest, MissingModelsAreSubstitutedOnYesAndRemovedOtherwise)
{
    auto* moved = new CNode("Moved");
    g_ModelsTree->AddChild(moved);
    CModelEntry* current = Entry("lamp", moved);
    // The read file's entries: the same name in another folder, and one unknown.
    CModelEntry importedLamp;
    importedLamp.SetName("lamp");
    importedLamp.groupPath = "\\Models\\Lights";
    CModelEntry unknown;
    unknown.SetName("ghost");
    unknown.groupPath = "\\Models";
    CWorldObject* group = Group(g_WorldRoot, "g");
    CWorldObject* keep = Place(group, "keep", CWorldObject::KIND_MODEL, &importedLamp);
    CWorldObject* refuse = Place(group, "refuse", CWorldObject::KIND_MODEL, &importedLamp);
    CWorldObject* child = Place(refuse, "child", CWorldObject::KIND_GROUP, nullptr);
    Place(group, "ghost", CWorldObject::KIND_MODEL, &unknown);
    platform::QueueMessageBoxAnswer(platform::IDYES);
    platform::QueueMessageBoxAnswer(platform::IDNO);
    ImportUpdatedWorld(group->FirstObject(), g_ModelListRoot, g_ObjectList);
    EXPECT_EQ(keep->reference, current);
    EXPECT_EQ(ChildNames(group), (std::vector<std::string>{"keep", "child"}))
        << "a removed node's children move up";
    EXPECT_EQ(child->parent, group);
}

TEST_F(ImportTest, WallPairIsSplitIntoOutsideAndInsideTwins)
{
    // Outer half at x = -1, inner half at x = +1.
    auto* model = new CRootNode();
    auto* frame = new CFrameNode("outer");
    frame->AddChild(TriangleMesh("outside", -1.1f, 0, 0, 0.2f));
    model->AddChild(frame);
    auto* frame2 = new CFrameNode("inner");
    CMeshNode* inside = TriangleMesh("inside", 0.9f, 0, 0, 0.2f);
    inside->inside = 1;
    frame2->AddChild(inside);
    model->AddChild(frame2);
    model->Prepare();
    CModelEntry* wall = AddEntry("wa_front", model);
    CModelEntry* plainWall = AddEntry("Wall", new CRootNode()); // capital W: no wall entry
    plainWall->model->AddChild(TriangleMesh("x"));
    static_cast<CMeshNode*>(plainWall->model->FirstModelChild())->inside = 1;
    CModelEntry* noFlag = AddEntry("wa_plain", new CRootNode());
    noFlag->model->AddChild(TriangleMesh("y"));

    CWorldObject* house = Group(g_WorldRoot, "Haus");
    CWorldObject* outside = Group(house, "aussen_north");
    CWorldObject* innen = Group(house, "innen");
    CWorldObject* placed = Place(outside, "front", CWorldObject::KIND_MODEL, wall);
    placed->position = CVector(5, 0, 0);
    CWorldObject* other = Group(g_WorldRoot, "yard");
    CWorldObject* free = Place(other, "free", CWorldObject::KIND_MODEL, wall);
    Place(other, "plain", CWorldObject::KIND_MODEL, noFlag);

    SplitWalls(g_ModelListRoot->FirstEntry());
    CModelEntry* inner = static_cast<CModelEntry*>(g_ModelListRoot->FindByName("wai_front"));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(g_ModelListRoot->FindByName("wai_plain"), nullptr) << "no inside mesh, no split";
    EXPECT_EQ(g_ModelListRoot->FindByName("Wall")->name, std::string("Wall"));
    ASSERT_NE(inner->model, nullptr);
    EXPECT_FALSE(wall->model->AnyMeshInside()) << "the source keeps the outer half";
    EXPECT_TRUE(inner->model->AnyMeshInside() || inner->model->FirstModelChild())
        << "the copy keeps the inner half";
    EXPECT_TRUE(WallSplitInfo(wall->model).done);
    EXPECT_TRUE(WallSplitInfo(inner->model).done);

    ASSERT_EQ(ChildNames(innen).size(), 1u) << "the twin of a wall in an outside group goes inside";
    auto* twin = static_cast<CWorldObject*>(innen->firstChild);
    EXPECT_EQ(twin->reference, inner);
    // Each half is re-centred on itself, and its node moves by as much, so the
    // halves stay where the whole wall showed them: the outer one centred at
    // x = 5 - 1, the inner one at 5 + 1.
    EXPECT_NEAR(placed->position.x, 4.0f, 1e-5);
    EXPECT_NEAR(twin->position.x, 6.0f, 1e-5);
    EXPECT_NEAR(free->position.x, -1.0f, 1e-5);

    EXPECT_EQ(ChildNames(other).size(), 3u) << "elsewhere the twin is a sibling";
    EXPECT_EQ(static_cast<CWorldObject*>(other->lastChild)->reference, inner);
    EXPECT_EQ(free->reference, wall);
    EXPECT_EQ(fs::directory_iterator(folder), fs::directory_iterator()) << "the temporary model file is gone";
}
