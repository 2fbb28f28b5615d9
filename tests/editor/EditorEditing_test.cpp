// The editor's edits of the world: the paste buffer, Delete, the placement
// preview, the cursor point in a view, the grid-level scan and the path
// connections of World Ground View.
#include "GAMES/Rulo2/editor/EditorEditing.h"
#include "GAMES/Rulo2/editor/EditorSelection.h"
#include "GAMES/Rulo2/navigation/GroundMap.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "tests/world/ServicesFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The top view looks down a hair short of straight: its plane tilts by about 1e-4.
void ExpectNear(const CVector& a, const CVector& b, const char* what)
{
    EXPECT_NEAR(a.x, b.x, 1e-3f) << what;
    EXPECT_NEAR(a.y, b.y, 1e-3f) << what;
    EXPECT_NEAR(a.z, b.z, 1e-3f) << what;
}

class EditorEditing : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        chair = AddEntry("Chair", nullptr);
        table = AddEntry("Table", nullptr);
        // Off the grid, so that snapping has to be switched off to see exact moves.
        SnappingMode = 0;
    }
    void TearDown() override
    {
        SnappingMode = 1;
        GridLevels[0] = GridLevels[1] = GridLevels[2] = 0;
        ConnectionIndex = -1;
        // A borrowed ground map is not the entry's to free (a test that clears the world
        // has freed the entries already).
        if (chair)
            chair->groundMap = nullptr;
        if (table)
            table->groundMap = nullptr;
        WorldServicesTest::TearDown();
    }
    CWorldObject* PlaceModel(CModelEntry* entry, const CVector& at)
    {
        CWorldObject* node = Place(g_WorldRoot, entry->GetName(), CWorldObject::KIND_MODEL, entry);
        node->position = at;
        return node;
    }
    static int Count(const CWorldObject* root)
    {
        int n = 0;
        for (const CWorldObject* c = root->FirstObject(); c; c = c->NextObject())
            ++n;
        return n;
    }

    CModelEntry* chair = nullptr;
    CModelEntry* table = nullptr;
};

TEST_F(EditorEditing, CopyKeepsTheWorldAndPasteAtTheCursorPlacesSelectedCopiesAroundIt)
{
    CWorldObject* a = PlaceModel(chair, {1, 0, 1});
    CWorldObject* b = PlaceModel(table, {3, 0, 1});
    PlaceModel(chair, {9, 0, 9});

    EXPECT_FALSE(CopySelection()) << "nothing selected: nothing to copy";
    EXPECT_TRUE(PasteBufferEmpty());
    a->selected = b->selected = 1;
    ASSERT_TRUE(CopySelection());
    EXPECT_EQ(Count(g_WorldRoot), 3) << "Copy leaves the world alone";
    ASSERT_EQ(Count(g_PasteRoot), 2);
    // The selection's centre (2, 0, 1) is the buffer's origin.
    ExpectNear(g_PasteRoot->FirstObject()->position, {-1, 0, 0}, "first copy");

    CWorldObject* first = PasteAt({10, 0, 20});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Count(g_WorldRoot), 5);
    EXPECT_FALSE(a->selected || b->selected) << "the copies become the selection";
    ExpectNear(first->position, {9, 0, 20}, "pasted chair");
    ExpectNear(first->NextObject()->position, {11, 0, 20}, "pasted table");
    EXPECT_TRUE(first->selected && first->NextObject()->selected);
    EXPECT_EQ(first->ModelEntry(), chair);
    EXPECT_FALSE(PasteBufferEmpty()) << "the buffer stays for further pastes";

    // The paste snaps as a whole: the nearest copy lands on the grid.
    SnappingMode = 1;
    first = PasteAt({0.1f, 0, 0.1f});
    ExpectNear(first->position, {-1, 0, 0}, "snapped paste");

    // Shown at the cursor, the buffer stands where a paste there goes, and comes back exactly.
    const CVector kept = g_PasteRoot->FirstObject()->position;
    {
        const CShownPasteBuffer shown({10.1f, 0, 20.1f});
        ExpectNear(g_PasteRoot->FirstObject()->position, {9, 0, 20}, "shown snapped at the cursor");
        ExpectNear(g_PasteRoot->FirstObject()->NextObject()->position, {11, 0, 20}, "and its second copy");
    }
    EXPECT_EQ(g_PasteRoot->FirstObject()->position.x, kept.x);
    EXPECT_EQ(g_PasteRoot->FirstObject()->position.z, kept.z);
    first = PasteAt({10.1f, 0, 20.1f});
    ExpectNear(first->position, {9, 0, 20}, "the paste goes where it was shown");

    // Esc empties the buffer and the selection.
    ClearEditorSelection();
    EXPECT_TRUE(PasteBufferEmpty());
    EXPECT_FALSE(WorldWalk::HasSelection(g_WorldRoot));
    EXPECT_EQ(PasteAt({0, 0, 0}), nullptr);
}

TEST_F(EditorEditing, CutAndDeleteTakeTheSelectionOutAndAModelOnlyInTheBufferStaysUsed)
{
    CWorldObject* a = PlaceModel(chair, {1, 0, 0});
    PlaceModel(table, {2, 0, 0});
    a->selected = 1;
    ASSERT_TRUE(CutSelection());
    EXPECT_EQ(Count(g_WorldRoot), 1);
    EXPECT_EQ(Count(g_PasteRoot), 1);

    // The chair now lives in the paste buffer only: it still counts as used.
    MarkUnused(g_ModelListRoot);
    EXPECT_FALSE(chair->noUsers);
    EXPECT_FALSE(table->noUsers);
    EmptyPasteBuffer();
    MarkUnused(g_ModelListRoot);
    EXPECT_TRUE(chair->noUsers);

    // Object definitions too.
    CObjectNode* door = AddDefinition("Door", chair, 1);
    Place(g_PasteRoot, "door", CWorldObject::KIND_OBJECT, door);
    g_ObjectList->MarkUnused();
    EXPECT_EQ(door->unused, 0);
    EmptyPasteBuffer();

    // Delete in a world view removes the selected nodes; without a selection nothing.
    EXPECT_EQ(DeleteSelection(VIEW_PERSPECTIVE), 0);
    g_WorldRoot->FirstObject()->selected = 1;
    EXPECT_EQ(DeleteSelection(VIEW_TOP), 1);
    EXPECT_EQ(g_WorldRoot->firstChild, nullptr);
}

TEST_F(EditorEditing, ClearingTheWorldEmptiesTheBufferBeforeItsModelsGo)
{
    PlaceModel(chair, {0, 0, 0})->selected = 1;
    ASSERT_TRUE(CopySelection());
    ClearWorld();
    chair = table = nullptr;
    EXPECT_TRUE(PasteBufferEmpty()) << "copies must not outlive the models they show";
}

TEST_F(EditorEditing, GroundViewDeleteRemovesThePathConnectionsBothWays)
{
    CWorldObject* a = PlaceModel(chair, {0, 0, 0});
    CWorldObject* b = PlaceModel(table, {1, 0, 0});
    CWorldObject* c = PlaceModel(table, {2, 0, 0});
    a->AddConnection(b, false);
    b->AddConnection(a, false);
    c->AddConnection(a, false);
    a->selected = 1;
    EXPECT_EQ(DeleteSelection(VIEW_WORLD_GROUND), 2);
    EXPECT_TRUE(a->connections.empty());
    EXPECT_TRUE(b->connections.empty());
    EXPECT_TRUE(c->connections.empty());
    EXPECT_EQ(Count(g_WorldRoot), 3) << "the objects stay in World Ground View";
}

TEST_F(EditorEditing, EnterAndSpaceStepTheBlockFlagsOfTheCurrentConnection)
{
    // Only a model instance whose model has a ground map takes part.
    GroundMap dummy;
    chair->groundMap = &dummy;
    table->groundMap = &dummy;
    CWorldObject* a = PlaceModel(chair, {0, 0, 0});
    CWorldObject* b = PlaceModel(table, {1, 0, 0});
    CWorldObject* c = PlaceModel(table, {2, 0, 0});
    a->AddConnection(b, false);
    b->AddConnection(a, false);
    a->AddConnection(c, false);
    a->selected = 1;

    EXPECT_FALSE(StepConnectionBlock()) << "no connection chosen yet";
    ASSERT_TRUE(NextConnection());
    EXPECT_EQ(ConnectionIndex, 0);
    const struct
    {
        uint8_t own, back;
    } steps[] = {{1, 0}, {0, 1}, {0, 0}, {1, 0}};
    for (const auto& s : steps) {
        ASSERT_TRUE(StepConnectionBlock());
        EXPECT_EQ(a->connections[0].flag, s.own);
        EXPECT_EQ(b->connections[0].flag, s.back);
    }
    ASSERT_TRUE(NextConnection());
    ASSERT_TRUE(NextConnection());
    EXPECT_EQ(ConnectionIndex, 0) << "wraps at the connection count";
    // A connection without a way back steps its own flag only.
    ConnectionIndex = 1;
    ASSERT_TRUE(StepConnectionBlock());
    EXPECT_EQ(a->connections[1].flag, 1);
    chair->groundMap = table->groundMap = nullptr;
    EXPECT_FALSE(NextConnection()) << "a model without a ground map";
}

TEST_F(EditorEditing, PageKeysStepTheDepthGridLevelToTheNextObjectPosition)
{
    PlaceModel(chair, {0, 1, 5});
    PlaceModel(chair, {2, 3, -1});
    CWorldObject* group = Place(g_WorldRoot, "group", CWorldObject::KIND_GROUP, nullptr);
    group->position = CVector(0, 2, 0); // groups are no positions to stop at
    Place(group, "lamp", CWorldObject::KIND_MODEL, table)->position = CVector(7, 4, 2);

    const struct
    {
        ViewIndex view;
        bool pageUp;
        int axis;
        float from, to;
    } cases[] = {
        {VIEW_PERSPECTIVE, true, 1, 0, 1},  {VIEW_PERSPECTIVE, true, 1, 1, 3},
        {VIEW_PERSPECTIVE, false, 1, 3, 1}, {VIEW_PERSPECTIVE, true, 1, 4, 4},
        {VIEW_TOP, false, 1, 1.5f, 3},      {VIEW_TOP, true, 1, 1.5f, 1},
        {VIEW_FRONT, true, 2, 0, 2},        {VIEW_FRONT, false, 2, 0, -1},
        {VIEW_SIDE, false, 0, 0, 2},        {VIEW_SIDE, true, 0, 2, 0},
        {VIEW_MODEL, false, 1, 3, 1},       {VIEW_MODEL, true, 1, 3, 3},
        {VIEW_WORLD_GROUND, true, 1, 3, 4},
    };
    for (const auto& c : cases) {
        GridLevels[c.axis] = c.from;
        StepGridLevel(c.view, c.pageUp);
        EXPECT_FLOAT_EQ(GridLevels[c.axis], c.to)
            << "view " << int(c.view) << (c.pageUp ? " Page Up" : " Page Down") << " from " << c.from;
    }
}

TEST_F(EditorEditing, TheCursorPointKeepsTheViewsPointUnderTheCursor)
{
    CCameraView top;
    top.zoom = 4;
    top.yaw = 3.14159265f;
    top.pitch = 1.5706964f;
    top.orthographic = 1;
    top.target[0] = 1;
    CCameraView persp;
    persp.zoom = 4;
    persp.yaw = 3.14159265f;
    persp.pitch = 0;
    const float halfH = 4 * std::tan(3.14159265f / 8);
    const struct
    {
        const char* what;
        const CCameraView* view;
        float x, y;
        CVector point;
    } cases[] = {
        {"centre is the target", &top, 320, 240, {1, 0, 0}},
        {"top view: right is +x", &top, 480, 240, {3, 0, 0}},
        {"top view: up is +z", &top, 320, 0, {1, 0, 4}},
        {"perspective: top edge", &persp, 320, 0, {0, halfH, 0}},
        {"perspective: right edge", &persp, 640, 240, {halfH / 0.75f, 0, 0}},
    };
    for (const auto& c : cases)
        ExpectNear(CursorPointInView(*c.view, c.x, c.y, 640, 480), c.point, c.what);
    ExpectNear(CursorOffsetInView(top, 16, 0, 640, 480), {0.2f, 0, 0}, "an offset scales with the zoom");
    ExpectNear(CursorOffsetInView(top, 16, 0, 0, 0), {0, 0, 0}, "no render area");
}

TEST_F(EditorEditing, ThePreviewFollowsTheCursorSnappedAndAClickPlacesIt)
{
    Place(g_PreviewRoot, "chair", CWorldObject::KIND_MODEL, chair)->position = CVector(-0.5f, 0, 0);
    Place(g_PreviewRoot, "table", CWorldObject::KIND_MODEL, table)->position = CVector(0.5f, 0, 0);
    PlaceModel(chair, {0, 0, 0})->selected = 1;

    SnapSelection({3, 0, 3});
    ExpectNear(g_PreviewRoot->FirstObject()->position, {2.5f, 0, 3}, "follows");
    SnapSelection({5, 0, 3});
    ExpectNear(g_PreviewRoot->FirstObject()->position, {4.5f, 0, 3}, "moves from where it was");
    SnappingMode = 1;
    SnapSelection({5.1f, 0, 3.05f});
    ExpectNear(g_PreviewRoot->FirstObject()->position, {4.5f, 0, 3}, "snapped back onto the grid");

    ASSERT_TRUE(PlaceNewObject());
    EXPECT_EQ(g_PreviewRoot->firstChild, nullptr);
    EXPECT_EQ(Count(g_WorldRoot), 3);
    EXPECT_EQ(WorldWalk::CountNodes(g_WorldRoot, true), 2) << "only the placed objects are selected";
    EXPECT_FALSE(PlaceNewObject()) << "an empty preview places nothing";
}

TEST_F(EditorEditing, SelectionDragsMoveAndTurnFromTheStartOfTheDrag)
{
    CWorldObject* a = PlaceModel(chair, {1, 0, 0});
    CWorldObject* b = PlaceModel(table, {3, 0, 0});
    EXPECT_FALSE(BeginSelectionDrag());
    a->selected = b->selected = 1;
    ASSERT_TRUE(BeginSelectionDrag());
    MoveSelectionBy({0, 0, 1});
    MoveSelectionBy({0, 0, 2}); // from the start, not added up
    ExpectNear(a->position, {1, 0, 2}, "moved");
    TurnSelectionBy(3.14159265f);
    ExpectNear(a->position, {3, 0, 0}, "half a turn about the centre (2, 0, 0)");
    ExpectNear(b->position, {1, 0, 0}, "half a turn");
    EndSelectionDrag();

    // A dragged point follows and snaps.
    CVector point(0, 0, 0);
    EditorDraggedPoint = &point;
    SnappingMode = 1;
    MovePointTo({1.1f, 0, 0.05f});
    SnapDraggedNode();
    ExpectNear(point, {1, 0, 0}, "dragged point");
    EditorDraggedPoint = nullptr;
}

} // namespace
