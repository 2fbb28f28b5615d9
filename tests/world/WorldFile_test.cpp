#include <gtest/gtest.h>

#include <cstring>

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "LIBS/System/LogPrintf.h"
#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

std::vector<uint8_t> WorldBytes()
{
    CChunkWriter w;
    EXPECT_TRUE(WriteWorld(w));
    return w.Data();
}

class WorldFileTest : public WorldTest
{
};

TEST_F(WorldFileTest, SampleWorldSavesLoadsAndSavesAgainByteForByte)
{
    const SSampleWorld built = BuildSampleWorld();
    const std::string path = Path("Level.wld");
    ASSERT_TRUE(SaveWorld(path.c_str()));
    const std::vector<uint8_t> first = ReadBytes(path);
    ASSERT_GT(first.size(), 200u);
    EXPECT_EQ(0, std::memcmp(first.data(), "WRLD\0\0\0\0", 8));
    EXPECT_EQ(0, std::memcmp(first.data() + first.size() - 8, "EOF \0\0\0\0", 8));
    EXPECT_FALSE(fs::exists(dir / "Level.bak"));

    ClearWorld();
    ASSERT_TRUE(LoadWorld(path.c_str(), LOADWORLD_OPEN));
    const std::string again = Path("Again.wld");
    ASSERT_TRUE(SaveWorld(again.c_str()));
    EXPECT_EQ(first, ReadBytes(again));

    // What came back, beside the bytes.
    CNode* buildings = g_ModelsTree->firstChild;
    ASSERT_NE(nullptr, buildings);
    EXPECT_STREQ("Buildings", buildings->GetName());
    ASSERT_NE(nullptr, buildings->firstChild);
    EXPECT_STREQ("Doors", buildings->firstChild->GetName());
    auto* wall = g_ModelListRoot->FirstEntry();
    ASSERT_NE(nullptr, wall);
    EXPECT_STREQ("Wall", wall->GetName());
    EXPECT_EQ(buildings, wall->group);
    ASSERT_NE(nullptr, wall->camera);
    EXPECT_EQ(7u, wall->camera->word7);
    EXPECT_EQ(8u, wall->camera->word8);
    EXPECT_EQ(2u, wall->points.size());
    ASSERT_NE(nullptr, wall->model);
    ASSERT_NE(nullptr, g_ObjectList);
    EXPECT_STREQ("FrontDoor", g_ObjectList->name);
    CObjectState* open = g_ObjectList->FindState("OPEN");
    ASSERT_NE(nullptr, open);
    EXPECT_STREQ("DoorOpen", open->modelEntry->GetName());
    ASSERT_EQ(1u, g_ObjectList->firstState->attachments.size());
    EXPECT_STREQ("hinge", g_ObjectList->firstState->attachments[0].name);

    auto* house = g_WorldRoot->FirstObject();
    ASSERT_NE(nullptr, house);
    EXPECT_STREQ("Haus1", house->GetName());
    EXPECT_TRUE(house->groupFlag);
    auto* inside = house->FirstObject();
    auto* a = inside->FirstObject();
    EXPECT_EQ(nullptr, a->GetName());
    EXPECT_EQ(wall, a->ModelEntry());
    EXPECT_FLOAT_EQ(1.5f, a->scale);
    EXPECT_EQ(0x123456, a->lightColour);
    auto* b = a->NextObject();
    ASSERT_EQ(1u, a->connections.size());
    EXPECT_EQ(b, a->connections[0].target);
    EXPECT_EQ(3000, a->connections[0].distance);
    auto* object = inside->NextObject();
    EXPECT_EQ(g_ObjectList, object->Definition());
    ASSERT_NE(nullptr, object->objectLogic);
    EXPECT_TRUE(object->objectLogic->ownDefinition);
    ASSERT_NE(nullptr, object->objectLogic->ownTaskList);
    EXPECT_EQ(1u, object->objectLogic->ownTaskList->tasks.size());
    EXPECT_EQ(nullptr, object->objectLogic->ownKindData) << "the definition's kind data serves it";
    ASSERT_NE(nullptr, object->shadowTexture);
    EXPECT_EQ(0xFFFF, object->shadowTexture->pixels[1]);
    auto* terrain = house->NextObject()->NextObject()->NextObject();
    ASSERT_NE(nullptr, terrain->Terrain());
    EXPECT_STREQ("Hills", terrain->GetName());
    EXPECT_EQ(1234u, terrain->Terrain()->seed);
    EXPECT_EQ("hills.bmp", terrain->Terrain()->heightmapName);
    EXPECT_EQ(2u, g_LightNodes.size());
    auto* spot = house->NextObject()->NextObject();
    ASSERT_NE(nullptr, spot->Light());
    EXPECT_EQ(D3DLIGHT_SPOT, spot->Light()->light.dltType);
    EXPECT_FLOAT_EQ(0.2f, spot->Light()->light.dcvAmbient.g);

    CMacro* folder = g_MacroListRoot->FirstMacro();
    ASSERT_NE(nullptr, folder);
    EXPECT_EQ(nullptr, folder->content);
    CMacro* macro = folder->FirstMacro();
    ASSERT_NE(nullptr, macro);
    EXPECT_STREQ("TwoWalls", macro->GetName());
    ASSERT_NE(nullptr, macro->content);
    CWorldObject* m1 = macro->content->FirstObject();
    ASSERT_EQ(1u, m1->connections.size());
    EXPECT_EQ(m1->NextObject(), m1->connections[0].target);
    (void)built;
}

TEST_F(WorldFileTest, SavingOverAWorldKeepsThePreviousFileAsBak)
{
    BuildSampleWorld();
    const std::string path = Path("Level.wld");
    ASSERT_TRUE(SaveWorld(path.c_str()));
    const std::vector<uint8_t> first = ReadBytes(path);
    AddNode(g_WorldRoot, CWorldObject::KIND_GROUP, "Extra");
    ASSERT_TRUE(SaveWorld(path.c_str()));
    EXPECT_EQ(first, ReadBytes(dir / "Level.bak"));
    EXPECT_NE(first, ReadBytes(path));
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST_F(WorldFileTest, AFailedSaveLeavesTheWorldFileAndItsBakAsTheyWere)
{
    BuildSampleWorld();
    const std::string path = Path("Level.wld");
    WriteBytes(path, {'o', 'l', 'd'});
    WriteBytes(dir / "Level.bak", {'b', 'a', 'k'});
    // The temporary file cannot be created where a folder of its name stands.
    fs::create_directory(path + ".tmp");
    EXPECT_FALSE(SaveWorld(path.c_str()));
    EXPECT_EQ((std::vector<uint8_t>{'o', 'l', 'd'}), ReadBytes(path));
    EXPECT_EQ((std::vector<uint8_t>{'b', 'a', 'k'}), ReadBytes(dir / "Level.bak"));

    std::string error;
    EXPECT_FALSE(SaveWorld((dir / "missing" / "Level.wld").c_str(), &error));
    EXPECT_NE(std::string::npos, error.find("cannot create"));
}

TEST_F(WorldFileTest, AFileThatIsNotAWorldIsRefusedWithoutChangingTheWorld)
{
    BuildSampleWorld();
    const std::vector<uint8_t> before = WorldBytes();
    std::vector<uint8_t> bytes = before;
    std::memcpy(bytes.data(), "WRLX", 4);
    std::string error;
    EXPECT_FALSE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "bad.wld", &error));
    EXPECT_NE(std::string::npos, error.find("bad.wld"));
    EXPECT_EQ(before, WorldBytes());
    EXPECT_FALSE(LoadWorldFromMemory(bytes.data(), 3, LOADWORLD_OPEN, "short.wld"));
    EXPECT_EQ(before, WorldBytes());
    EXPECT_FALSE(LoadWorld(Path("none.wld").c_str(), LOADWORLD_OPEN, &error));
    EXPECT_EQ(before, WorldBytes());
}

TEST_F(WorldFileTest, AFileThatEndsAfterTheTreeWithoutEofFails)
{
    BuildSampleWorld();
    std::vector<uint8_t> bytes = WorldBytes();
    bytes.resize(bytes.size() - 8);
    ClearWorld();
    std::string error;
    EXPECT_FALSE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "cut.wld", &error));
    EXPECT_NE(std::string::npos, error.find("EOF"));
}

TEST_F(WorldFileTest, DamagedSectionsFailWithTheSectionNamed)
{
    BuildSampleWorld();
    const std::vector<uint8_t> good = WorldBytes();
    // A length over the limit inside the tree section.
    std::vector<uint8_t> bytes = good;
    const size_t tree = std::string(bytes.begin(), bytes.end()).rfind("TREE");
    ASSERT_NE(std::string::npos, tree);
    bytes[tree + 8 + 4] = 0x7F;
    ClearWorld();
    std::string error;
    EXPECT_FALSE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "long.wld", &error));
    EXPECT_NE(std::string::npos, error.find("\"TREE\"")) << error;
}

// A node the reader cannot parse is left out and listed as a loss with its section and offset; a
// clean load lists nothing. Without texture pages the editor load names no page checks.
TEST_F(WorldFileTest, SkippedNodesAreListedAsLossesAndNoPageChecksAreClaimed)
{
    BuildSampleWorld();
    std::vector<uint8_t> bytes = WorldBytes();
    const STexturePageHooks saved = TexturePageHooks;
    TexturePageHooks = STexturePageHooks();
    const fs::path logPath = dir / "log.txt";
    uint8_t logging = 1;
    LogPrintfSetTarget(&logging, logPath.c_str());

    ClearWorld();
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "clean.wld"));
    EXPECT_TRUE(LoadLosses().empty());
    const std::vector<uint8_t> logBytes = ReadBytes(logPath.string());
    const std::string log(logBytes.begin(), logBytes.end());
    EXPECT_NE(std::string::npos, log.find("Updating Model-UVs...")) << log;
    EXPECT_EQ(std::string::npos, log.find("Texture-Pages")) << log;

    const std::string text(bytes.begin(), bytes.end());
    const size_t node = text.find("NODE", text.find("NODE", text.rfind("TREE")) + 4);
    ASSERT_NE(std::string::npos, node);
    const size_t length = size_t(bytes[node + 6]) << 8 | bytes[node + 7];
    for (size_t i = node + 16; i < node + 8 + length; ++i)
        bytes[i] = 'A'; // the name never ends
    ClearWorld();
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "damaged.wld"));
    // The node's children go with it, each named.
    ASSERT_GE(LoadLosses().size(), 2u);
    EXPECT_EQ("section \"TREE\": Damaged NODE chunk at offset " + std::to_string(node) + " skipped",
              LoadLosses()[0]);
    for (size_t i = 1; i < LoadLosses().size(); ++i)
        EXPECT_NE(std::string::npos, LoadLosses()[i].find("names no earlier parent")) << LoadLosses()[i];

    LogPrintfSetTarget(nullptr, "");
    TexturePageHooks = saved;
}

// A task naming an object the world lacks loses that reference: the load lists it, so a copy is
// known to be incomplete; a reference the world has comes back.
TEST_F(WorldFileTest, ATaskNamingAMissingObjectIsListedAsALoss)
{
    const SSampleWorld s = BuildSampleWorld();
    CTaskList& list = *s.object->objectLogic->ownTaskList;
    for (const char* type : {"Hide", "Show"}) {
        auto task = std::make_unique<CTaskItem>(1000, TaskTypeByName(type));
        task->AddParameter(PARAM_OBJECT);
        list.AddTask(std::move(task));
    }
    auto& kept = static_cast<CObjectRefParam&>(*list.tasks[1]->parameters[0]);
    kept.Set(s.object);
    auto& missing = static_cast<CObjectRefParam&>(*list.tasks[2]->parameters[0]);
    missing.stored = 9;
    missing.pending = true;
    const std::vector<uint8_t> bytes = WorldBytes();

    ClearWorld();
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "tasks.wld"));
    ASSERT_EQ(LoadLosses().size(), 1u);
    EXPECT_NE(std::string::npos, LoadLosses()[0].find("Task 2 of a task list names object 9"))
        << LoadLosses()[0];
    CWorldObject* object = g_WorldRoot->FirstObject()->FirstObject()->NextObject();
    ASSERT_NE(nullptr, object->objectLogic);
    const CTaskList& loaded = *object->objectLogic->ownTaskList;
    ASSERT_EQ(loaded.tasks.size(), 3u);
    EXPECT_EQ(static_cast<const CObjectRefParam&>(*loaded.tasks[1]->parameters[0]).object, object);
    EXPECT_EQ(static_cast<const CObjectRefParam&>(*loaded.tasks[2]->parameters[0]).object, nullptr);
}

TEST_F(WorldFileTest, GameModeSkipsTheEditorSectionsAndUsesTheTables)
{
    BuildSampleWorld();
    const std::vector<uint8_t> bytes = WorldBytes();
    ClearWorld();
    GameModeFlag = 1;
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "game.wld"));
    EXPECT_EQ(nullptr, g_ModelsTree->firstChild);
    EXPECT_EQ(nullptr, g_ObjectsTree->firstChild);
    EXPECT_EQ(nullptr, g_MacroListRoot->firstChild);
    ASSERT_EQ(5u, g_ModelTable.size());
    EXPECT_EQ(nullptr, g_ModelTable[1]);
    EXPECT_STREQ("Door", g_ModelTable[3]->GetName());
    // Groups are not resolved in the game.
    EXPECT_EQ(nullptr, g_ModelTable[2]->group);
    auto* inside = g_WorldRoot->FirstObject()->FirstObject();
    EXPECT_EQ(g_ModelTable[2], inside->FirstObject()->ModelEntry());
    EXPECT_EQ(g_ObjectTable[1], inside->NextObject()->Definition());
}

TEST_F(WorldFileTest, AWorldWithoutObjectsLoadsWithAnEmptyObjectList)
{
    AddEntry("Wall", nullptr, 1.0f);
    AddNode(g_WorldRoot, CWorldObject::KIND_MODEL)->reference = g_ModelListRoot->firstChild;
    const std::vector<uint8_t> bytes = WorldBytes();
    EXPECT_EQ(std::string::npos, std::string(bytes.begin(), bytes.end()).find("OBJS"));
    ClearWorld();
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "plain.wld"));
    EXPECT_EQ(nullptr, g_ObjectList);
    EXPECT_EQ(bytes, WorldBytes());
}

TEST_F(WorldFileTest, MergeAddsTheFilesContentBesideTheCurrentWorld)
{
    BuildSampleWorld();
    const std::vector<uint8_t> bytes = WorldBytes();
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_MERGE, "merge.wld"));
    EXPECT_EQ(1 + 2 * 3, g_ModelListRoot->CountNodes());
    int definitions = 0;
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
        ++definitions;
    EXPECT_EQ(4, definitions);
    // The merged copy of the house refers to the merged copies of the models.
    auto* secondHouse = g_WorldRoot->FirstObject();
    for (int i = 0; i < 4; ++i)
        secondHouse = secondHouse->NextObject();
    ASSERT_NE(nullptr, secondHouse);
    EXPECT_STREQ("Haus1", secondHouse->GetName());
    CModelEntry* mergedWall = secondHouse->FirstObject()->FirstObject()->ModelEntry();
    ASSERT_NE(nullptr, mergedWall);
    EXPECT_NE(g_ModelListRoot->FirstEntry(), mergedWall);
    EXPECT_STREQ("Wall", mergedWall->GetName());
}

TEST_F(WorldFileTest, TexturePagesAreKeptAndWrittenBackUnchanged)
{
    BuildSampleWorld();
    LegacyWriter pages;
    pages.Marker("TEXP");
    pages.Begin("PAGE", 3);
    pages.U32(256);
    pages.Str("page1");
    pages.End();
    pages.Marker("END ");
    std::vector<uint8_t> bytes = WorldBytes();
    bytes.insert(bytes.begin() + 8, pages.Bytes().begin(), pages.Bytes().end());
    ClearWorld();
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "pages.wld"));
    EXPECT_EQ(pages.Bytes(), g_KeptTexturePages);
    EXPECT_EQ(bytes, WorldBytes());
}

// Objects are numbered in tree order: a stored id stays unless an earlier object holds it, the
// others follow the highest kept one. A save writes the numbers loading gives again, so the
// objects that task lists name by number are the same after loading.
TEST_F(WorldFileTest, ObjectsAreNumberedInTreeOrderAndTasksNameTheSameObjectsAfterLoading)
{
    const SSampleWorld s = BuildSampleWorld(); // its object has id 1 and its own definition
    auto place = [&](CWorldObject* parent, int32_t storedId) {
        CWorldObject* o = AddNode(parent, CWorldObject::KIND_OBJECT);
        o->reference = s.doorDef;
        if (storedId >= 0) {
            o->objectLogic = new CObjectLogic;
            o->objectLogic->ownDefinition = 1;
            o->objectLogic->recorderId = storedId;
        }
        return o;
    };
    CWorldObject* twin = place(s.house, 1);       // a copy that took the id along
    CWorldObject* plain = place(g_WorldRoot, -1); // no logic of its own: it stores no id
    CWorldObject* wild = place(g_WorldRoot, 200000);
    CWorldObject* safe = s.object->NextObject();

    RegisterObjectLogicNumbers(g_WorldRoot);
    EXPECT_EQ(s.object->objectLogic->recorderId, 1);
    EXPECT_EQ(twin->objectLogic->recorderId, 3);
    EXPECT_EQ(wild->objectLogic->recorderId, 5);
    ASSERT_EQ(ObjectLogicTable.size(), 6u);
    const std::vector<CWorldObject*> table = {nullptr, s.object, safe, twin, plain, wild};
    EXPECT_EQ(ObjectLogicTable, table) << "objects without logic yet keep their place";
    EXPECT_EQ(NextRecorderId, 6);
    EXPECT_EQ(FindRecordedObject(4), plain);

    CTaskList& list = *s.object->objectLogic->ownTaskList;
    for (CWorldObject* named : {plain, twin}) {
        auto task = std::make_unique<CTaskItem>(1000, TaskTypeByName("Hide"));
        task->AddParameter(PARAM_OBJECT);
        static_cast<CObjectRefParam&>(*task->parameters[0]).Set(named);
        list.AddTask(std::move(task));
    }
    const std::vector<uint8_t> bytes = WorldBytes();
    ClearWorld();
    ASSERT_TRUE(LoadWorldFromMemory(bytes.data(), bytes.size(), LOADWORLD_OPEN, "numbers.wld"));
    EXPECT_TRUE(LoadLosses().empty()) << LoadLosses()[0];
    CWorldObject* house = g_WorldRoot->FirstObject();
    CWorldObject* object = house->FirstObject()->NextObject();
    CWorldObject* loadedTwin = object->NextObject()->NextObject();
    CWorldObject* loadedPlain = house->NextObject()->NextObject()->NextObject()->NextObject();
    ASSERT_NE(loadedPlain, nullptr);
    EXPECT_EQ(loadedPlain->Definition(), g_ObjectList);
    ASSERT_NE(loadedTwin->objectLogic, nullptr);
    EXPECT_EQ(loadedTwin->objectLogic->recorderId, 3);
    EXPECT_EQ(loadedPlain->NextObject()->objectLogic->recorderId, 5);
    const CTaskList& loaded = *object->objectLogic->ownTaskList;
    ASSERT_EQ(loaded.tasks.size(), 3u);
    EXPECT_EQ(static_cast<const CObjectRefParam&>(*loaded.tasks[1]->parameters[0]).object, loadedPlain);
    EXPECT_EQ(static_cast<const CObjectRefParam&>(*loaded.tasks[2]->parameters[0]).object, loadedTwin);
    EXPECT_EQ(bytes, WorldBytes()) << "the numbers written are those loading gave";
}

} // namespace
