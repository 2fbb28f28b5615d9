// The section readers on damaged and unusual input, and the world model's own rules.
#include <gtest/gtest.h>

#include <cstring>

#include "GAMES/Rulo2/world/ParentTable.h"
#include "GAMES/Rulo2/world/WorldTree.h"
#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

class WorldSectionsTest : public WorldTest
{
protected:
    static std::vector<uint8_t> Section(LegacyWriter& w) { return w.Bytes(); }
    // A version-15 group node with the given parent.
    static void Group(LegacyWriter& w, uint32_t parent, const char* name)
    {
        w.Begin("NODE", 15);
        w.U32(parent);
        w.Str(name);
        for (int i = 0; i < 6; ++i)
            w.F32(0);
        w.U32(0xFFFFFFFF);
        w.U32(0);
        w.U32(0);
        w.U32(0);
        w.U32(0);
        w.U32(0);
        w.End();
    }
    static void ModelNode(LegacyWriter& w, uint32_t model)
    {
        w.Begin("NODE", 15);
        w.U32(1);
        w.Str(nullptr);
        for (int i = 0; i < 6; ++i)
            w.F32(0);
        w.U32(0xFFFFFFFF);
        w.U32(1);
        w.U32(model);
        w.U32(0);
        w.U32(0);
        w.U32(0);
        w.End();
    }
};

TEST_F(WorldSectionsTest, NodesNamingNoEarlierParentAndDamagedNodesAreSkipped)
{
    LegacyWriter w;
    Group(w, 0, "A");     // 2: parent 0 means the root
    Group(w, 2, "B");     // 3: below A
    Group(w, 7, "Ahead"); // 4: a parent that is not read yet
    Group(w, 4, "Lost");  // 5: its parent was skipped
    Group(w, 4000000, "Far");
    w.Begin("NODE", 15); // 7: cut short after its position
    w.U32(3);
    w.Str("Short");
    w.F32(1);
    w.End();
    w.Begin("XXXX", 0); // unknown chunks are passed over
    w.End();
    Group(w, 3, "C"); // 8: below B
    w.Marker("END ");
    CChunkReader data(w.Bytes().data(), w.Bytes().size());
    std::string error;
    ASSERT_TRUE(ReadWorldNodes(data, g_WorldRoot, &error)) << error;
    CWorldObject* a = g_WorldRoot->FirstObject();
    ASSERT_NE(nullptr, a);
    EXPECT_STREQ("A", a->GetName());
    EXPECT_EQ(nullptr, a->NextObject());
    CWorldObject* b = a->FirstObject();
    ASSERT_NE(nullptr, b);
    EXPECT_STREQ("B", b->GetName());
    ASSERT_NE(nullptr, b->FirstObject());
    EXPECT_STREQ("C", b->FirstObject()->GetName());
    EXPECT_EQ(4, g_WorldRoot->CountNodes());
    ASSERT_EQ(9u, g_NodeTable.size());
    EXPECT_EQ(nullptr, g_NodeTable[4]);
    EXPECT_EQ(b->FirstObject(), g_NodeTable[8]);
}

// Every walk of these trees recurses once per level: a file that chains its
// records deeper than the limit gets the chain cut there, not a stack overflow.
TEST_F(WorldSectionsTest, NodeAndFolderChainsDeeperThanTheLimitAreCut)
{
    const uint32_t chain = kMaxTreeDepth + 20;
    LegacyWriter nodes;
    for (uint32_t i = 0; i < chain; ++i)
        Group(nodes, i + 1, "deep"); // each below the one before
    nodes.Marker("END ");
    CChunkReader nodeData(nodes.Bytes().data(), nodes.Bytes().size());
    ASSERT_TRUE(ReadWorldNodes(nodeData, g_WorldRoot));
    EXPECT_EQ(int(kMaxTreeDepth) + 1, g_WorldRoot->CountNodes());
    EXPECT_EQ(chain + 2, g_NodeTable.size()) << "the cut records keep their numbers";

    LegacyWriter folders;
    for (uint32_t i = 0; i < chain; ++i) {
        folders.Begin("ENTR", 0);
        folders.Str("deep");
        folders.U32(i + 1);
        folders.End();
    }
    folders.Marker("END ");
    CNode root("Models");
    CChunkReader folderData(folders.Bytes().data(), folders.Bytes().size());
    ASSERT_TRUE(ReadFolderSection(folderData, &root));
    EXPECT_EQ(int(kMaxTreeDepth) + 1, root.CountNodes());
}

TEST_F(WorldSectionsTest, ModelAndObjectNumbersOutOfRangeGiveNullReferences)
{
    AddEntry("Wall", nullptr, 1.0f);
    NumberModelList(g_ModelListRoot);
    for (uint8_t game : {uint8_t(0), uint8_t(1)}) {
        SCOPED_TRACE(int(game));
        GameModeFlag = game;
        BuildModelTable();
        g_WorldRoot->DeleteChildren();
        LegacyWriter w;
        for (uint32_t n : {2u, 0u, 1000u, 0xFFFFFFFFu})
            ModelNode(w, n);
        w.Marker("END ");
        CChunkReader data(w.Bytes().data(), w.Bytes().size());
        ASSERT_TRUE(ReadWorldNodes(data, g_WorldRoot));
        CWorldObject* n = g_WorldRoot->FirstObject();
        EXPECT_EQ(g_ModelListRoot->FirstEntry(), n->ModelEntry());
        for (int i = 0; i < 3; ++i) {
            n = n->NextObject();
            ASSERT_NE(nullptr, n);
            EXPECT_EQ(CWorldObject::KIND_MODEL, n->objectKind);
            EXPECT_EQ(nullptr, n->reference);
        }
    }
}

TEST_F(WorldSectionsTest, CountsPastTheBodyMakeTheNodeDamaged)
{
    LegacyWriter w;
    w.Begin("NODE", 15);
    w.U32(1);
    w.Str("Huge");
    for (int i = 0; i < 6; ++i)
        w.F32(0);
    w.U32(0);
    w.U32(0);
    w.U32(1);
    w.U32(0x40000000); // connections
    w.End();
    w.Begin("NODE", 15);
    w.U32(1);
    w.Str(nullptr);
    for (int i = 0; i < 6; ++i)
        w.F32(0);
    w.U32(0);
    w.U32(1);
    w.U32(0);
    w.U32(0);
    w.w.WriteId(ChunkId("INFO"));
    w.w.WriteId(0x7FFFFFF0); // an object logic chunk longer than the node
    w.End();
    w.Begin("NODE", 15);
    w.U32(1);
    w.Str(nullptr);
    for (int i = 0; i < 6; ++i)
        w.F32(0);
    w.U32(0);
    w.U32(1);
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.w.WriteId(ChunkId("SHAD"));
    w.U32(0x10000);
    w.U32(0x10000); // a shadow texture larger than the node
    w.End();
    w.Marker("END ");
    CChunkReader data(w.Bytes().data(), w.Bytes().size());
    ASSERT_TRUE(ReadWorldNodes(data, g_WorldRoot));
    EXPECT_EQ(nullptr, g_WorldRoot->firstChild);
}

TEST_F(WorldSectionsTest, FolderTreesRoundTripWithParentNumbers)
{
    CNode* a = g_ModelsTree->AddChild(new CNode("A"));
    a->AddChild(new CNode("B"));
    g_ModelsTree->AddChild(new CNode("C"));
    g_ModelsTree->NumberNodes();
    CChunkWriter w;
    ASSERT_TRUE(WriteFolderSection(g_ModelsTree, w, ChunkId("GROU")));
    // A with parent 1, B with parent 2, C with parent 1.
    const std::vector<uint8_t>& bytes = w.Data();
    const uint8_t entryB[] = {'E', 'N', 'T', 'R', 0, 0, 0, 12, 0, 0, 0, 0, 'B', 0, 0, 0, 2, 0, 0, 0};
    EXPECT_NE(bytes.end(), std::search(bytes.begin(), bytes.end(), std::begin(entryB), std::end(entryB)));

    CNode copy("Models");
    CChunkReader data(bytes.data() + 8, bytes.size() - 8);
    ASSERT_TRUE(ReadFolderSection(data, &copy));
    ASSERT_NE(nullptr, copy.firstChild);
    EXPECT_STREQ("A", copy.firstChild->GetName());
    EXPECT_STREQ("B", copy.firstChild->firstChild->GetName());
    EXPECT_STREQ("C", copy.firstChild->next->GetName());
    EXPECT_TRUE(data.AtEnd());
}

TEST_F(WorldSectionsTest, MacroFoldersWithoutContentKeepTheirMacrosInPlace)
{
    BuildSampleWorld();
    // Folder "Furniture" > folder "Chairs" > macro "Chair"; the folders have no content.
    auto* chairs = new CMacro;
    chairs->SetName("Chairs");
    g_MacroListRoot->FirstMacro()->AddChild(chairs);
    auto* chair = new CMacro;
    chair->SetName("Chair");
    chair->content = new CWorldObject;
    AddNode(chair->content, CWorldObject::KIND_GROUP, "seat");
    chairs->AddChild(chair);
    CChunkWriter w;
    ASSERT_TRUE(WriteWorld(w));
    ClearWorld();
    ASSERT_TRUE(LoadWorldFromMemory(w.Data().data(), w.Data().size(), LOADWORLD_OPEN, "macros.wld"));
    CMacro* furniture = g_MacroListRoot->FirstMacro();
    ASSERT_NE(nullptr, furniture);
    EXPECT_EQ(nullptr, furniture->NextMacro());
    CMacro* twoWalls = furniture->FirstMacro();
    ASSERT_NE(nullptr, twoWalls);
    EXPECT_STREQ("TwoWalls", twoWalls->GetName());
    CMacro* readChairs = twoWalls->NextMacro();
    ASSERT_NE(nullptr, readChairs);
    EXPECT_STREQ("Chairs", readChairs->GetName());
    EXPECT_EQ(nullptr, readChairs->content);
    ASSERT_NE(nullptr, readChairs->FirstMacro());
    EXPECT_STREQ("Chair", readChairs->FirstMacro()->GetName());
    EXPECT_STREQ("seat", readChairs->FirstMacro()->content->FirstObject()->GetName());
    // Node numbers restart at 1 in every macro.
    EXPECT_EQ(2u, readChairs->FirstMacro()->content->FirstObject()->index);
    EXPECT_EQ(2u, twoWalls->content->FirstObject()->index);
}

TEST_F(WorldSectionsTest, DestroyingANodeRemovesTheConnectionsThatPointAtIt)
{
    CWorldObject* a = AddNode(g_WorldRoot, CWorldObject::KIND_GROUP, "a");
    CWorldObject* b = AddNode(g_WorldRoot, CWorldObject::KIND_GROUP, "b");
    CWorldObject* c = AddNode(g_WorldRoot, CWorldObject::KIND_GROUP, "c");
    a->AddConnection(b, false);
    b->AddConnection(a, false);
    c->AddConnection(b, true); // one way only
    b->Remove();
    delete b;
    EXPECT_TRUE(a->connections.empty());
    EXPECT_TRUE(c->connections.empty());
    c->Remove();
    delete c;
    EXPECT_TRUE(a->incoming.empty());
}

TEST_F(WorldSectionsTest, EditorCheckRepairsAndRemovesConnections)
{
    CWorldObject* a = AddNode(g_WorldRoot, CWorldObject::KIND_GROUP, "a");
    CWorldObject* b = AddNode(g_WorldRoot, CWorldObject::KIND_GROUP, "b");
    b->position = CVector(0, 0, 2);
    CWorldObject outside;
    a->AddConnection(b, true);  // b lacks the way back
    a->AddConnection(a, false); // to itself
    a->AddConnection(&outside, false);
    CWorldObject::RepairConnections(g_WorldRoot);
    ASSERT_EQ(1u, a->connections.size());
    EXPECT_EQ(b, a->connections[0].target);
    ASSERT_EQ(1u, b->connections.size());
    EXPECT_EQ(a, b->connections[0].target);
    EXPECT_EQ(1, b->connections[0].flag);
    EXPECT_EQ(2000, b->connections[0].distance);
    EXPECT_TRUE(outside.incoming.empty());
}

TEST_F(WorldSectionsTest, ObjectStatesAndShapes)
{
    auto* def = new CObjectNode("Door");
    CWorldObject* node = AddNode(g_WorldRoot, CWorldObject::KIND_OBJECT);
    node->reference = def;
    EXPECT_EQ(g_EmptyModel, node->GetShapeRoot());
    CModelEntry* closedModel = AddEntry("closed", nullptr, 1.0f);
    CModelEntry* openModel = AddEntry("open", nullptr, 1.0f);
    def->AddState("CLOSED")->modelEntry = closedModel;
    EXPECT_EQ(closedModel->model, node->GetShapeRoot());
    CObjectState* open = def->AddState("OPEN");
    open->modelEntry = openModel;
    EXPECT_EQ(open, def->FindState("OPEN"));
    EXPECT_EQ(openModel->model, node->GetShapeRoot());
    EXPECT_EQ(g_ObjectList, def);

    CObjectState timing("T");
    timing.animStart = 1.0f;
    timing.animEnd = 3.0f;
    timing.animSpeed = 100;
    EXPECT_FLOAT_EQ(1.5f, timing.GetAnimTime(2500));
    timing.animSpeed = 50;
    EXPECT_FLOAT_EQ(2.25f, timing.GetAnimTime(2500));
    timing.animEnd = 1.0f;
    EXPECT_FLOAT_EQ(1.0f, timing.GetAnimTime(123456));
    EXPECT_EQ("\\Objects", GetPath(g_ObjectsTree));
}

} // namespace
