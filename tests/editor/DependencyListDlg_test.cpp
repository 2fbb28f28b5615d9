// The Dependency List and the Edit Dependency dialog, driven by command and
// control ids: validation messages, the group rules, the stored conditions, and
// the linked tasks shown in the Task List.
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/editor/DependencyListDlg.h"
#include "GAMES/Rulo2/editor/EditTaskDlg.h"
#include "GAMES/Rulo2/editor/TaskListDlg.h"
#include "tests/editor/EditorWindowsFixture.h"

namespace {

using editortest::Boxes;
using platform::ui::BST_CHECKED;
using platform::ui::BST_INDETERMINATE;
using platform::ui::BST_UNCHECKED;
using D = EditDependencyDlg;

class DependencyListWindow : public editortest::EditorWindowsTest
{
protected:
    void SetUp() override
    {
        EditorWindowsTest::SetUp();
        door = Definition("Door", KIND_DOOR);
        lamp = Definition("Lamp", KIND_ITEM);
        placedDoor = Placed(g_WorldRoot, door);
        placedLamp = Placed(g_WorldRoot, lamp);
        for (CWorldObject* n : {placedDoor, placedLamp}) {
            n->objectLogic = new CObjectLogic;
            n->objectLogic->worldNode = n;
        }
        Bind(placedDoor);
    }
    void TearDown() override
    {
        if (OpenElementEditor)
            OpenElementEditor->OnCancel();
        EditorWindowsTest::TearDown();
    }
    static void Bind(CWorldObject* node)
    {
        g_ObjectPropertiesDlg->SetObject(node->objectLogic, node, nullptr);
    }
    static DependencyListDlg& Window() { return *g_DependencyListDlg; }
    static CTaskList& List() { return *g_TaskListDlg->TaskList(); }
    // "Add Dependency...": the dialog it opens.
    static EditDependencyDlg& Add()
    {
        Window().OnCommand(DependencyListDlg::ID_ADD_DEPENDENCY);
        auto* d = dynamic_cast<EditDependencyDlg*>(OpenElementEditor);
        EXPECT_TRUE(d);
        return *d;
    }
    static int Check(EditDependencyDlg& d, int id) { return d.GetDlgItem(id)->check; }

    CObjectNode *door = nullptr, *lamp = nullptr;
    CWorldObject *placedDoor = nullptr, *placedLamp = nullptr;
};

TEST_F(DependencyListWindow, OkNeedsAConditionAndStatesNeedAState)
{
    EditDependencyDlg& d = Add();
    EXPECT_FALSE(g_TaskListDlg->IsWindowEnabled());
    EXPECT_TRUE(ObjectPropertiesLock);
    // Flags alone are no condition: the check is disabled without another group.
    EXPECT_FALSE(d.GetDlgItem(D::IDC_FLAGS_ON)->enabled);
    Boxes().clear();
    d.Click(platform::ui::IDOK);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("No valid dependency."), std::string::npos);
    EXPECT_EQ(OpenElementEditor, &d) << "the dialog stays open";
    EXPECT_TRUE(List().dependencies.empty());
    d.Click(platform::ui::IDCANCEL);
    EXPECT_FALSE(OpenElementEditor);
    EXPECT_TRUE(g_TaskListDlg->IsWindowEnabled());
    EXPECT_FALSE(ObjectPropertiesLock);
    EXPECT_TRUE(List().dependencies.empty());

    // An item has no states: with States on (as stored) OK refuses even with Timer on.
    Bind(placedLamp);
    EditDependencyDlg& item = Add();
    EXPECT_FALSE(item.GetDlgItem(D::IDC_STATES_ON)->enabled);
    EXPECT_FALSE(item.GetDlgItem(D::IDC_STATE_FIRST)->visible);
    item.Click(D::IDC_TIMER_ON);
    item.GetDlgItem(D::IDC_STATES_ON)->check = BST_CHECKED;
    Boxes().clear();
    item.Click(platform::ui::IDOK);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("No state has been specified."), std::string::npos);
    EXPECT_EQ(OpenElementEditor, &item);
}

TEST_F(DependencyListWindow, TheGroupsTurnEachOtherOff)
{
    EditDependencyDlg& d = Add();
    d.Click(D::IDC_ACTION_ON);
    EXPECT_TRUE(d.GetDlgItem(D::IDC_FLAGS_ON)->enabled);
    d.Click(D::IDC_TIMER_ON);
    EXPECT_EQ(Check(d, D::IDC_ACTION_ON), BST_UNCHECKED);
    EXPECT_FALSE(d.GetDlgItem(ActionCodeControls::IDC_CODE)->enabled);
    EXPECT_TRUE(d.GetDlgItem(D::IDC_HOURS)->enabled);
    d.Click(D::IDC_STATES_ON);
    EXPECT_EQ(Check(d, D::IDC_TIMER_ON), BST_UNCHECKED);
    EXPECT_FALSE(d.GetDlgItem(D::IDC_HOURS)->enabled);
    d.Click(D::IDC_ACTION_ON);
    EXPECT_EQ(Check(d, D::IDC_ACTION_ON), BST_CHECKED);
    EXPECT_EQ(Check(d, D::IDC_STATES_ON), BST_CHECKED) << "Action Code and States go together";
    // With every group off Flags is cleared and disabled again.
    d.Click(D::IDC_FLAGS_ON);
    EXPECT_TRUE(d.GetDlgItem(D::IDC_FLAG_FIRST)->enabled);
    d.Click(D::IDC_ACTION_ON);
    d.Click(D::IDC_STATES_ON);
    EXPECT_EQ(Check(d, D::IDC_FLAGS_ON), BST_UNCHECKED);
    EXPECT_FALSE(d.GetDlgItem(D::IDC_FLAGS_ON)->enabled);
    EXPECT_FALSE(d.GetDlgItem(D::IDC_FLAG_FIRST)->enabled);
}

TEST_F(DependencyListWindow, ADoorsStatesAndFlagsAreStoredAsChecked)
{
    EditDependencyDlg& d = Add();
    EXPECT_EQ(d.GetDlgItemText(D::IDC_STATE_FIRST), "Open");
    EXPECT_EQ(d.GetDlgItemText(D::IDC_STATE_FIRST + 2), "Broken");
    EXPECT_FALSE(d.GetDlgItem(D::IDC_STATE_FIRST + 3)->visible);
    EXPECT_EQ(Check(d, D::IDC_STATE_FIRST), BST_INDETERMINATE);
    d.Click(D::IDC_STATES_ON);
    d.Click(D::IDC_STATE_FIRST);     // unchecked
    d.Click(D::IDC_STATE_FIRST);     // checked
    d.Click(D::IDC_STATE_FIRST + 1); // unchecked
    d.Click(D::IDC_FLAGS_ON);
    d.Click(D::IDC_FLAG_FIRST + 2); // flag 2 must be clear
    d.Click(D::IDC_FLAG_FIRST + 5);
    d.Click(D::IDC_FLAG_FIRST + 5); // flag 5 must be set
    d.SetDlgItemText(D::IDC_STORY, "12");
    d.Click(platform::ui::IDOK);
    EXPECT_FALSE(OpenElementEditor);
    ASSERT_EQ(List().dependencies.size(), 1u);
    const CDependency& dep = *List().dependencies[0];
    ASSERT_EQ(dep.stateConditions.size(), 2u);
    EXPECT_EQ(dep.stateConditions[0].state, STATE_OPEN);
    EXPECT_EQ(dep.stateConditions[0].required, 1);
    EXPECT_EQ(dep.stateConditions[1].state, STATE_LOCKED);
    EXPECT_EQ(dep.stateConditions[1].required, 0);
    EXPECT_EQ(dep.flagMask, 0x24u);
    EXPECT_EQ(dep.flagValues, 0x20u);
    EXPECT_EQ(dep.story, 12);
    EXPECT_TRUE(dep.useStates && dep.useFlags && !dep.useTimer && !dep.useAction);
    EXPECT_TRUE(g_ObjectPropertiesDlg->Modified());
    EXPECT_EQ(g_DependencyListDlg->tree.GetItemText(dep.treeItem), "States: Open Set + Locked Cleared");

    // Opened again for editing, the boxes show what is stored.
    g_DependencyListDlg->tree.platform::ui::TreeCtrl::SelectItem(dep.treeItem);
    Window().OnCommand(DependencyListDlg::ID_EDIT_DEPENDENCY);
    auto* edit = dynamic_cast<EditDependencyDlg*>(OpenElementEditor);
    ASSERT_TRUE(edit);
    EXPECT_EQ(Check(*edit, D::IDC_STATE_FIRST), BST_CHECKED);
    EXPECT_EQ(Check(*edit, D::IDC_STATE_FIRST + 1), BST_UNCHECKED);
    EXPECT_EQ(Check(*edit, D::IDC_STATE_FIRST + 2), BST_INDETERMINATE);
    EXPECT_EQ(Check(*edit, D::IDC_FLAG_FIRST + 5), BST_CHECKED);
    EXPECT_EQ(Check(*edit, D::IDC_FLAG_FIRST), BST_INDETERMINATE);
    // A timer replaces the states' group in the description; Cancel keeps the old one.
    edit->Click(platform::ui::IDCANCEL);
    EXPECT_EQ(List().dependencies.size(), 1u);
}

TEST_F(DependencyListWindow, ATimerDependencyDescribesItsTime)
{
    EditDependencyDlg& d = Add();
    d.Click(D::IDC_TIMER_ON);
    d.SetDlgItemText(D::IDC_HOURS, "7");
    d.SetDlgItemText(D::IDC_MINUTES, "30");
    d.SetDlgItemText(D::IDC_SECONDS, "0.7");
    d.SetDlgItemText(D::IDC_DEVIATION, "5");
    d.Click(platform::ui::IDOK);
    ASSERT_EQ(List().dependencies.size(), 1u);
    const CDependency& dep = *List().dependencies[0];
    EXPECT_EQ(dep.timer, 7 * 3600000 + 30 * 60000 + 700);
    EXPECT_EQ(dep.tolerance, 5000);
    EXPECT_EQ(dep.Describe(), "Timer 07:30.00,7");
}

TEST_F(DependencyListWindow, MakeAlwaysActiveThenAClickSelectsEveryTask)
{
    for (int32_t start : {-1, 1000, 2000})
        List().tasks.push_back(std::make_unique<CTaskItem>(start, TaskTypeByName("Door")));
    auto dep = std::make_unique<CDependency>();
    dep->useTimer = 1;
    dep->linkedTasks = {List().tasks[1].get()};
    CDependency* d = dep.get();
    List().AddDependency(std::move(dep));
    g_TaskListDlg->SetTaskList(&List());
    CEditorTree& deps = Window().tree;
    CEditorTree& tasks = g_TaskListDlg->tree;
    deps.platform::ui::TreeCtrl::SelectItem(d->treeItem);
    EXPECT_EQ(tasks.selection(), std::vector<HTREEITEM>{List().tasks[1]->treeItem});

    Window().OnCommand(DependencyListDlg::ID_MAKE_ALWAYS_ACTIVE);
    EXPECT_TRUE(d->linkedTasks.empty());
    tasks.clearSelectionIds();
    ToggleToolWindow(g_DependencyListDlg);
    int x = 0, y = 0;
    LabelPoint(deps, d->treeItem, x, y);
    deps.MouseDown(0, x, y);
    deps.MouseUp(0, x, y);
    EXPECT_EQ(tasks.selection().size(), 3u);
    for (const auto& t : List().tasks)
        EXPECT_TRUE(tasks.isSelected(t->treeItem));
}

TEST_F(DependencyListWindow, ASubTaskListIsShownUnderItsDescriptionAndLeftAgain)
{
    auto dep = std::make_unique<CDependency>();
    dep->useTimer = 1;
    dep->timer = 3600000;
    CDependency* d = dep.get();
    List().AddDependency(std::move(dep));
    CTaskList* main = &List();
    g_TaskListDlg->SetTaskList(main);
    Window().tree.platform::ui::TreeCtrl::SelectItem(d->treeItem);
    Window().OnCommand(DependencyListDlg::ID_SHOW_SUB_TASKLIST);
    EXPECT_EQ(g_TaskListDlg->TaskList(), d->childList.get());
    EXPECT_EQ(g_TaskListDlg->Caption(), "TaskList [Timer 01:00.00,0]");
    g_TaskListDlg->OnCommand(TaskListDlg::ID_SHOW_PREVIOUS);
    EXPECT_EQ(g_TaskListDlg->TaskList(), main);
    EXPECT_EQ(g_TaskListDlg->Caption(), "TaskList [Main]");

    // Delete asks first.
    Window().tree.platform::ui::TreeCtrl::SelectItem(d->treeItem);
    platform::QueueMessageBoxAnswer(platform::IDOK);
    Window().OnCommand(DependencyListDlg::ID_DELETE_DEPENDENCY);
    EXPECT_TRUE(List().dependencies.empty());
}

} // namespace
