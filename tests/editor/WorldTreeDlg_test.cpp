// The World Tree window: the tree of groups and objects, selection mirrored into
// the other windows, drags between groups, and the group commands.
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/editor/WorldTreeDlg.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "platform/ui/Ui.h"
#include "tests/editor/EditorWindowsFixture.h"

#include <algorithm>

namespace {

using editortest::Boxes;
using platform::ui::TreeCtrl;

class WorldTreeWindow : public editortest::EditorWindowsTest
{
protected:
    void SetUp() override
    {
        EditorWindowsTest::SetUp();
        house = Group(g_WorldRoot, "Haus_01");
        floor = Group(house, "Etage_0");
        chair = Definition("Chair", KIND_ITEM);
        a = Placed(floor, chair);
        b = Tile(floor);
        street = Group(g_WorldRoot, "Strasse");
        c = Tile(street);
        ShowWorld();
    }
    // The texts of a node's items below its own, in order.
    static std::vector<std::string> ChildTexts(const CWorldObject* node)
    {
        std::vector<std::string> texts;
        for (HTREEITEM i = WorldTree().GetChildItem(node->id); i; i = WorldTree().GetNextSiblingItem(i))
            texts.push_back(WorldTree().GetItemText(i));
        return texts;
    }
    // Each node's item exists and stands for the node, once.
    static void ExpectItemsMatchNodes()
    {
        size_t nodes = 0;
        WalkWorldTree(g_WorldRoot, [&](CWorldObject* n) {
            ++nodes;
            EXPECT_TRUE(WorldTree().ItemExists(n->id)) << WorldWalk::TreeText(n);
            EXPECT_EQ(g_WorldTreeDlg->NodeOf(n->id), n);
            if (n->parent && n != g_WorldRoot) {
                EXPECT_EQ(WorldTree().GetParentItem(n->id), n->parent->id) << WorldWalk::TreeText(n);
            }
        });
        EXPECT_EQ(WorldTree().GetCount(), nodes);
    }

    CWorldObject *house = nullptr, *floor = nullptr, *street = nullptr;
    CObjectNode* chair = nullptr;
    CWorldObject *a = nullptr, *b = nullptr, *c = nullptr;
};

TEST_F(WorldTreeWindow, ShowsTheWorldWithItemTextsAndMapsItemsBackToNodes)
{
    ExpectItemsMatchNodes();
    EXPECT_EQ(ChildTexts(g_WorldRoot), (std::vector<std::string>{"Haus_01", "Strasse"}));
    EXPECT_EQ(ChildTexts(floor), (std::vector<std::string>{"Chair", "Tile"}));
    // F5 rebuilds it the same way.
    platform::ui::TreeNotify f5;
    f5.code = platform::ui::TreeCode::KeyDown;
    f5.key = 0x74;
    g_WorldTreeDlg->OnTreeNotify(f5);
    ExpectItemsMatchNodes();
}

TEST_F(WorldTreeWindow, SelectionSelectsObjectsMirrorsThemAndBindsObjectProperties)
{
    Select(a);
    EXPECT_TRUE(a->selected);
    EXPECT_EQ(CurrentObject, chair);
    EXPECT_NE(chair->id, 0u);
    EXPECT_EQ(g_ModelListDlg->tree.TreeCtrl::GetSelectedItem(), chair->id);
    EXPECT_EQ(g_ObjectPropertiesDlg->WorldNode(), a);
    ASSERT_TRUE(a->objectLogic);

    // A group selects every model below it; the properties window lets go.
    Select(house);
    EXPECT_FALSE(house->selected);
    EXPECT_TRUE(a->selected && b->selected);
    EXPECT_FALSE(c->selected);
    EXPECT_EQ(g_ObjectPropertiesDlg->WorldNode(), nullptr);

    // Ctrl toggles one object and keeps the rest.
    EditorCtrlHeld = [] { return true; };
    Select(c);
    EXPECT_TRUE(a->selected && b->selected && c->selected);
    EXPECT_EQ(CurrentModel, tile);

    // With the parameter-edit flag set the window stays as it is.
    EditorCtrlHeld = [] { return false; };
    ObjectPropertiesLock = true;
    Select(a);
    EXPECT_EQ(CurrentObject, chair);
    EXPECT_EQ(g_ObjectPropertiesDlg->WorldNode(), nullptr);
}

TEST_F(WorldTreeWindow, AGroupDraggedOntoItsOwnSubGroupShowsNoAndChangesNothing)
{
    Drag(WorldTree(), house->id, floor->id, false);
    EXPECT_TRUE(WorldTree().dragging());
    EXPECT_EQ(WorldTree().cursor(), IDC_NO);
    EXPECT_EQ(WorldTree().dropTarget(), 0u);
    int x = 0, y = 0;
    LabelPoint(WorldTree(), floor->id, x, y);
    WorldTree().MouseUp(0, x, y);
    EXPECT_EQ(floor->parent, house);
    EXPECT_EQ(house->parent, g_WorldRoot);
    ExpectItemsMatchNodes();

    // Onto another group it goes, first, with its branch.
    Drag(WorldTree(), house->id, street->id);
    EXPECT_EQ(house->parent, street);
    EXPECT_EQ(street->firstChild, house);
    EXPECT_EQ(ChildTexts(street), (std::vector<std::string>{"Haus_01", "Tile"}));
    ExpectItemsMatchNodes();
}

TEST_F(WorldTreeWindow, DropsFollowTheGroupAndShiftRules)
{
    struct Case
    {
        const char* what;
        bool shift;
        CWorldObject* dragged;
        CWorldObject* target;
        bool allowed;
    } cases[] = {
        {"object onto a group", false, c, floor, true},
        {"object onto an object", false, c, b, false},
        {"group onto a group below it", false, house, floor, false},
        {"group onto itself", false, house, house, false},
        {"shift: object onto an unselected object", true, c, b, true},
        {"shift: object onto a group", true, c, street, false},
    };
    for (const Case& k : cases) {
        g_WorldTreeDlg->shiftAtDragStart = k.shift;
        EXPECT_EQ(g_WorldTreeDlg->CanDrop(k.dragged->id, k.target->id), k.allowed) << k.what;
    }
    // With Shift the selected objects become the children of the target.
    EditorShiftHeld = [] { return true; };
    Select(c);
    a->selected = 1;
    Drag(WorldTree(), c->id, b->id);
    EXPECT_EQ(c->parent, b);
    EXPECT_EQ(a->parent, b);
    EXPECT_EQ(street->firstChild, nullptr);
    ExpectItemsMatchNodes();
}

TEST_F(WorldTreeWindow, NewGroupTakesASelectedObjectDroppedOnIt)
{
    Select(street);
    platform::ui::QueueDialogAnswer({370, {{1174, "Test"}}, platform::ui::IDOK});
    EXPECT_TRUE(g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_NEW_GROUP));
    auto* test = static_cast<CWorldObject*>(street->firstChild);
    ASSERT_TRUE(test);
    EXPECT_STREQ(test->GetName(), "Test");
    EXPECT_EQ(ChildTexts(street), (std::vector<std::string>{"Test", "Tile"}));
    Select(a);
    Drag(WorldTree(), a->id, test->id);
    EXPECT_EQ(a->parent, test);
    ExpectItemsMatchNodes();
    // A cancelled name makes nothing.
    platform::ui::QueueDialogAnswer({370, {{1174, "Other"}}, platform::ui::IDCANCEL});
    Select(street);
    g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_NEW_GROUP);
    EXPECT_EQ(street->firstChild, test);
}

TEST_F(WorldTreeWindow, DeletingTheRootGroupAsksOnceAndLeavesAnEmptyWorld)
{
    Select(a);
    ASSERT_EQ(g_ObjectPropertiesDlg->WorldNode(), a);
    // Cancel keeps everything.
    Select(g_WorldRoot);
    g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_DELETE_GROUP);
    EXPECT_EQ(g_WorldRoot->firstChild, house);
    Boxes().clear();
    platform::QueueMessageBoxAnswer(platform::IDOK);
    g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_DELETE_GROUP);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("Are you sure you want to delete this group?"), std::string::npos);
    EXPECT_EQ(g_WorldRoot->firstChild, nullptr);
    EXPECT_EQ(g_ObjectPropertiesDlg->WorldNode(), nullptr);
    ExpectItemsMatchNodes();
}

TEST_F(WorldTreeWindow, DeletingAGroupRemovesItsBranchAndItsItems)
{
    Select(floor);
    platform::QueueMessageBoxAnswer(platform::IDOK);
    g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_DELETE_GROUP);
    EXPECT_EQ(house->firstChild, nullptr);
    ExpectItemsMatchNodes();
}

TEST_F(WorldTreeWindow, ContextMenuAndLabelEditingSpareTheRoot)
{
    int x = 0, y = 0;
    LabelPoint(WorldTree(), g_WorldRoot->id, x, y);
    WorldTree().MouseDown(1, x, y);
    WorldTree().MouseUp(1, x, y);
    platform::ui::Menu* menu = platform::ui::TrackedMenu();
    ASSERT_TRUE(menu);
    EXPECT_FALSE(menu->FindItem(WorldTreeDlg::ID_RENAME_GROUP)->enabled);
    EXPECT_FALSE(menu->FindItem(WorldTreeDlg::ID_UPDATED)->enabled);
    EXPECT_TRUE(menu->FindItem(WorldTreeDlg::ID_REMOVE_INVALID_PATHS)->enabled);
    EXPECT_FALSE(g_WorldTreeDlg->CanEditLabel(g_WorldRoot->id));
    EXPECT_FALSE(g_WorldTreeDlg->CanEditLabel(a->id));
    ASSERT_TRUE(g_WorldTreeDlg->CanEditLabel(house->id));

    // F2 on a group opens its label; the typed text renames it.
    Select(house);
    g_WorldTreeDlg->EditCaretLabel();
    ASSERT_EQ(WorldTree().EditingItem(), house->id);
    WorldTree().EditText() = "Haus_99";
    WorldTree().EndEditLabelNow(false);
    EXPECT_STREQ(house->GetName(), "Haus_99");
    EXPECT_EQ(WorldTree().GetItemText(house->id), "Haus_99");

    // "Updated" toggles, and the next menu shows its check.
    g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_UPDATED);
    EXPECT_TRUE(house->groupFlag);
    LabelPoint(WorldTree(), house->id, x, y);
    WorldTree().MouseDown(1, x, y);
    WorldTree().MouseUp(1, x, y);
    ASSERT_TRUE(platform::ui::TrackedMenu());
    EXPECT_TRUE(platform::ui::TrackedMenu()->FindItem(WorldTreeDlg::ID_UPDATED)->checked);
    EXPECT_FALSE(platform::ui::TrackedMenu()->FindItem(WorldTreeDlg::ID_REMOVE_INVALID_PATHS)->enabled);
}

TEST_F(WorldTreeWindow, HideAndShowGroupLockTheBranchAndFreeItsAncestors)
{
    Select(house);
    g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_HIDE_GROUP);
    for (CWorldObject* n : {house, floor, a, b}) {
        EXPECT_TRUE(n->flags & 1);
        EXPECT_FALSE(n->selected);
    }
    EXPECT_FALSE(street->flags & 1);
    // Hidden nodes are not selected through their group.
    Select(house);
    EXPECT_FALSE(a->selected);
    g_WorldRoot->flags |= 1;
    Select(floor);
    g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_SHOW_GROUP);
    for (CWorldObject* n : {g_WorldRoot, house, floor, a, b})
        EXPECT_FALSE(n->flags & 1) << WorldWalk::TreeText(n);
}

TEST_F(WorldTreeWindow, ShowObjectsUsingThatGroupCountsReferrersInsideAndOutside)
{
    // A guard in the street whose task names the chair in the house.
    CObjectNode* guard = Definition("Guard", KIND_CHARACTER_A);
    CWorldObject* g = Placed(street, guard);
    g->objectLogic = new CObjectLogic;
    g->objectLogic->ownTaskList = std::make_unique<CTaskList>();
    auto item = std::make_unique<CTaskItem>();
    auto param = std::make_unique<CObjectParam>();
    param->Set(a);
    item->parameters.push_back(std::move(param));
    g->objectLogic->ownTaskList->AddTask(std::move(item));
    g_WorldRoot->InsertIntoTree(0);

    struct Case
    {
        CWorldObject* group;
        const char* report;
        bool guardSelected;
    } cases[] = {
        {street,
         "0 objects referring to objects in this group\n0 objects are inside the group\n0 objects are "
         "outside this group",
         false},
        {house,
         "1 objects referring to objects in this group\n0 objects are inside the group\n1 objects are "
         "outside this group",
         true},
        {g_WorldRoot,
         "1 objects referring to objects in this group\n1 objects are inside the group\n0 objects "
         "are outside this group",
         true},
    };
    for (const Case& k : cases) {
        Boxes().clear();
        a->selected = 1;
        Select(k.group);
        g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_SHOW_OBJECTS_USING);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_NE(Boxes()[0].find(k.report), std::string::npos) << Boxes()[0];
        EXPECT_EQ(bool(g->selected), k.guardSelected);
        EXPECT_FALSE(a->selected);
        EXPECT_EQ(ObjectsUsingGroup.size(), k.guardSelected ? 1u : 0u);
    }
}

TEST_F(WorldTreeWindow, NewTerrainLinksAnExistingGroupOnceInFrontOfItsSiblings)
{
    CWorldObject* hills = Group(street, "Hills");
    CWorldObject* inHills = Tile(hills);
    g_WorldRoot->InsertIntoTree(0);
    Select(street);
    platform::ui::QueueDialogAnswer({370, {{1174, "hills"}}, platform::ui::IDOK});
    g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_NEW_TERRAIN);
    ASSERT_EQ(street->firstChild, hills);
    int links = 0;
    for (CNode* n = street->firstChild; n; n = n->next)
        links += n == hills ? 1 : 0;
    EXPECT_EQ(links, 1);
    auto* terrain = static_cast<CWorldObject*>(hills->firstChild);
    ASSERT_TRUE(terrain && terrain->Terrain());
    EXPECT_EQ(terrain->Terrain()->owner, terrain);
    EXPECT_EQ(terrain->next, inHills);
    ExpectItemsMatchNodes();
    EXPECT_EQ(ChildTexts(street).front(), "Hills");
    EXPECT_EQ(ChildTexts(hills), (std::vector<std::string>{"hills", "Tile"}));
    // A new name makes a new group.
    Select(street);
    platform::ui::QueueDialogAnswer({370, {{1174, "Lake"}}, platform::ui::IDOK});
    g_WorldTreeDlg->OnCommand(WorldTreeDlg::ID_NEW_TERRAIN);
    EXPECT_STREQ(street->firstChild->GetName(), "Lake");
    EXPECT_TRUE(static_cast<CWorldObject*>(street->firstChild->firstChild)->Terrain());
    ExpectItemsMatchNodes();
}

TEST_F(WorldTreeWindow, ADoubleClickMovesTheViewToTheObject)
{
    b->position = CVector(3, 4, 5);
    Select(b);
    int x = 0, y = 0;
    LabelPoint(WorldTree(), b->id, x, y);
    WorldTree().DoubleClick(x, y);
    ASSERT_TRUE(CurrentView);
    EXPECT_FLOAT_EQ(CurrentView->target[0], 3);
    EXPECT_FLOAT_EQ(CurrentView->target[2], 5);
    // A group does not move it.
    Select(house);
    LabelPoint(WorldTree(), house->id, x, y);
    WorldTree().DoubleClick(x, y);
    EXPECT_FLOAT_EQ(CurrentView->target[1], 4);
}

} // namespace
