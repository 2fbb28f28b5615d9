// Object definitions' list services and the small shared helpers.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/world/WorldHelpers.h"
#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

class WorldHelpersTest : public WorldTest
{
};

TEST_F(WorldHelpersTest, DefinitionsFoundByNameFolderAndUse)
{
    const SSampleWorld s = BuildSampleWorld();
    auto* spare = new CObjectNode("Spare");
    // The same name in another folder.
    auto* otherDoor = new CObjectNode("FrontDoor");
    otherDoor->group = g_ObjectsTree->firstChild->next;

    EXPECT_EQ(s.doorDef,
              g_ObjectList->FindByNameAndGroupPath("FrontDoor", "\\Objects\\Doors", g_ObjectsTree));
    EXPECT_EQ(otherDoor,
              g_ObjectList->FindByNameAndGroupPath("FrontDoor", "\\Objects\\Safes", g_ObjectsTree));
    EXPECT_EQ(s.safeDef, g_ObjectList->FindByNameAndGroupPath("Safe", "\\Objects", g_ObjectsTree));
    EXPECT_EQ(nullptr, g_ObjectList->FindByNameAndGroupPath("Safe", "\\Objects\\Doors", g_ObjectsTree));

    CObjectState* state = nullptr;
    EXPECT_EQ(s.doorDef, g_ObjectList->FindByName("OPEN", &state));
    EXPECT_EQ(s.doorDef->FindState("OPEN"), state);
    EXPECT_EQ(nullptr, g_ObjectList->FindByName("OPEN", nullptr));
    EXPECT_TRUE(g_ObjectList->IsModelEntryUsed(s.doorOpen));
    g_ObjectList->ReplaceModelEntryInStates(s.doorOpen, s.wall);
    EXPECT_FALSE(g_ObjectList->IsModelEntryUsed(s.doorOpen));

    // Used by the world tree (door, safe), by nothing (spare, other door).
    g_ObjectList->MarkUnused();
    EXPECT_EQ(0, s.doorDef->unused);
    EXPECT_EQ(0, s.safeDef->unused);
    EXPECT_EQ(spare, g_ObjectList->FindFirstUnused());
    // A macro's reference counts as a use.
    CMacro* macro = g_MacroListRoot->FirstMacro()->FirstMacro();
    AddNode(macro->content, CWorldObject::KIND_OBJECT)->reference = spare;
    g_ObjectList->MarkUnused();
    EXPECT_EQ(otherDoor, g_ObjectList->FindFirstUnused());

    delete spare;
    EXPECT_EQ(s.safeDef->next, otherDoor);
}

TEST_F(WorldHelpersTest, CloneCopiesStatesAttachmentsAndLogicChunk)
{
    const SSampleWorld s = BuildSampleWorld();
    // Numbers that do not match the list must not matter to a copy.
    g_ModelListRoot->ResetIndexes();
    CObjectNode* copy = s.doorDef->Clone();
    ASSERT_NE(nullptr, copy);
    EXPECT_STREQ("FrontDoor", copy->name);
    EXPECT_EQ(s.doorDef->group, copy->group);
    ASSERT_NE(nullptr, copy->FindState("OPEN"));
    EXPECT_EQ(s.doorOpen, copy->FindState("OPEN")->modelEntry);
    EXPECT_EQ(s.door, copy->firstState->modelEntry);
    ASSERT_EQ(1u, copy->firstState->attachments.size());
    EXPECT_EQ(77u, copy->firstState->attachments[0].value);
    ASSERT_NE(nullptr, copy->objectLogic);
    ASSERT_NE(nullptr, copy->objectLogic->ownKindData);
    EXPECT_EQ(KIND_DOOR, copy->objectLogic->ownKindData->kind);
    ASSERT_NE(nullptr, copy->objectLogic->ownTaskList);
    EXPECT_EQ(s.doorDef->objectLogic->ownTaskList->tasks.size(),
              copy->objectLogic->ownTaskList->tasks.size());
    EXPECT_EQ(copy, s.safeDef->next);
}

TEST_F(WorldHelpersTest, TakeAtRemovesOrReturnsTheEmptyRecord)
{
    RecordList64 list;
    for (int i = 0; i < 3; ++i) {
        SRecord64 r;
        r.id[0] = i;
        r.flag = uint8_t(10 + i);
        list.records.push_back(r);
    }
    const SRecord64 first = list.TakeAt(0);
    EXPECT_EQ(0, first.id[0]);
    EXPECT_EQ(10, first.flag);
    ASSERT_EQ(2u, list.records.size());
    EXPECT_EQ(1, list.records[0].id[0]);
    EXPECT_EQ(2, list.records[1].id[0]);

    const SRecord64 none = list.TakeAt(2);
    for (int32_t id : none.id)
        EXPECT_EQ(-1, id);
    EXPECT_EQ(0, none.flag);
    for (uint32_t w : none.words)
        EXPECT_EQ(0u, w);
    EXPECT_EQ(2u, list.records.size());
}

TEST_F(WorldHelpersTest, RecordArraysKeepTheirFirstRecordsWhenResized)
{
    RecordArray48 array;
    array.SetSize(3);
    array.records[1].a.push_back(CVector(1, 2, 3));
    array.SetSize(2);
    ASSERT_EQ(2u, array.records.size());
    EXPECT_FLOAT_EQ(2.0f, array.records[1].a[0].y);
    array.SetSize(5);
    EXPECT_EQ(5u, array.records.size());
    EXPECT_EQ(1u, array.records[1].a.size());
    array.SetSize(0);
    EXPECT_TRUE(array.records.empty());
}

TEST_F(WorldHelpersTest, TheCursorIsShownOrHiddenOneStepAtATime)
{
    ASSERT_TRUE(IsMouseCursorShown());
    const int shown = ShowMouseCursor(true); // already shown: nothing happens
    EXPECT_EQ(1, shown);
    const int hidden = ShowMouseCursor(false);
    EXPECT_FALSE(IsMouseCursorShown());
    EXPECT_EQ(0, ShowMouseCursor(false));
    EXPECT_EQ(hidden + 1, ShowMouseCursor(true));
    EXPECT_EQ(1, ShowMouseCursor(true));
    EXPECT_TRUE(IsMouseCursorShown());
}

} // namespace
