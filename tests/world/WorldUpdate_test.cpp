// Reading a world in update mode: the file goes into fresh roots that the
// import sees, and the current world stays as it was.
#include <gtest/gtest.h>

#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

struct SSeen
{
    std::vector<std::string> entries; // name and folder path
    std::vector<std::string> definitions;
    std::string firstGroup;
    bool currentInPlace = false;
    CWorldObject* freshWorld = nullptr;
};
SSeen g_seen;
CWorldObject* g_currentWorld = nullptr;

class WorldUpdateTest : public WorldTest
{
protected:
    void TearDown() override
    {
        g_ImportUpdatedWorldHook = nullptr;
        WorldTest::TearDown();
    }
};

TEST_F(WorldUpdateTest, TheImportSeesTheFilesRootsAndTheCurrentWorldStays)
{
    BuildSampleWorld();
    CChunkWriter file;
    ASSERT_TRUE(WriteWorld(file));
    // The current world: something else.
    ClearWorld();
    AddEntry("Current", nullptr, 1.0f);
    AddNode(g_WorldRoot, CWorldObject::KIND_GROUP, "Mine");
    new CObjectNode("Chair");
    CChunkWriter before;
    ASSERT_TRUE(WriteWorld(before));

    g_seen = SSeen();
    g_currentWorld = g_WorldRoot;
    g_ImportUpdatedWorldHook = [](SWorldRoots& fresh) {
        g_seen.currentInPlace = g_WorldRoot == g_currentWorld;
        g_seen.freshWorld = fresh.world;
        for (CModelEntry* e = fresh.models->FirstEntry(); e; e = e->NextEntry())
            g_seen.entries.push_back(std::string(e->GetName()) + " " + e->groupPath);
        for (CObjectNode* d = fresh.objects; d; d = d->NextDefinition())
            g_seen.definitions.push_back(std::string(d->name) + " " + d->groupPath + " " +
                                         std::to_string(d->firstState != nullptr));
        g_seen.firstGroup = fresh.world->FirstObject()->GetName();
        // The import takes a group over into the current world.
        CWorldObject* taken = fresh.world->FirstObject();
        taken->Remove();
        g_WorldRoot->AddChild(taken);
    };
    std::string error;
    ASSERT_TRUE(
        LoadWorldFromMemory(file.Data().data(), file.Data().size(), LOADWORLD_UPDATE, "update.wld", &error))
        << error;
    EXPECT_TRUE(g_seen.currentInPlace);
    EXPECT_EQ((std::vector<std::string>{"Wall \\Models\\Buildings", "Door \\Models\\Buildings\\Doors",
                                        "DoorOpen \\Models\\Buildings\\Doors"}),
              g_seen.entries);
    // Only the headers of the definitions are read for an update.
    EXPECT_EQ((std::vector<std::string>{"FrontDoor \\Objects\\Doors 0", "Safe \\Objects 0"}),
              g_seen.definitions);
    EXPECT_EQ("Haus1", g_seen.firstGroup);

    EXPECT_EQ(g_currentWorld, g_WorldRoot);
    EXPECT_STREQ("Current", g_ModelListRoot->FirstEntry()->GetName());
    EXPECT_EQ(nullptr, g_ModelListRoot->FirstEntry()->NextEntry());
    EXPECT_STREQ("Chair", g_ObjectList->name);
    EXPECT_EQ(nullptr, g_ObjectList->NextDefinition());
    EXPECT_EQ(nullptr, g_ModelsTree->firstChild);
    ASSERT_NE(nullptr, g_WorldRoot->FirstObject()->NextObject());
    EXPECT_STREQ("Haus1", g_WorldRoot->FirstObject()->NextObject()->GetName());
}

TEST_F(WorldUpdateTest, AFailedUpdateLeavesTheCurrentWorld)
{
    BuildSampleWorld();
    CChunkWriter file;
    ASSERT_TRUE(WriteWorld(file));
    std::vector<uint8_t> cut = file.Data();
    cut.resize(cut.size() - 8);
    const CWorldObject* world = g_WorldRoot;
    CChunkWriter before;
    ASSERT_TRUE(WriteWorld(before));
    bool called = false;
    static bool* calledFlag;
    calledFlag = &called;
    g_ImportUpdatedWorldHook = [](SWorldRoots&) { *calledFlag = true; };
    EXPECT_FALSE(LoadWorldFromMemory(cut.data(), cut.size(), LOADWORLD_UPDATE, "cut.wld"));
    EXPECT_FALSE(called);
    EXPECT_EQ(world, g_WorldRoot);
    CChunkWriter after;
    ASSERT_TRUE(WriteWorld(after));
    EXPECT_EQ(before.Data(), after.Data());
}

} // namespace
