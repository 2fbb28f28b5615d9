// The Task List, the Edit Task dialog and the parameter dialogs, driven by
// command and control ids as the menus, dialog answers and clicks drive them, on
// a placed door bound to Object Properties.
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/editor/EditTaskDlg.h"
#include "GAMES/Rulo2/editor/EditorEditing.h"
#include "GAMES/Rulo2/editor/TaskListDlg.h"
#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "tests/editor/EditorWindowsFixture.h"

#include <algorithm>
#include <cstdio>

namespace {

using editortest::Boxes;
using platform::ui::BST_CHECKED;
using platform::ui::Control;
using platform::ui::DialogAnswer;

class TaskListWindow : public editortest::EditorWindowsTest
{
protected:
    void SetUp() override
    {
        EditorWindowsTest::SetUp();
        door = Definition("Door", KIND_DOOR);
        lamp = Definition("Lamp", KIND_ITEM);
        saw = Definition("Saw", KIND_TOOL);
        drill = Definition("Drill", KIND_TOOL);
        ring = Definition("Ring", KIND_LOOT);
        placedDoor = Placed(g_WorldRoot, door);
        placedDoor->position = CVector(1, 2, 3);
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
        platform::ui::ClearDialogAnswers();
        EditorWindowsTest::TearDown();
    }
    static void Bind(CWorldObject* node)
    {
        g_ObjectPropertiesDlg->SetObject(node->objectLogic, node, nullptr);
    }
    static TaskListDlg& Window() { return *g_TaskListDlg; }
    static CEditorTree& Tree() { return g_TaskListDlg->tree; }
    static CTaskList& List() { return *g_TaskListDlg->TaskList(); }

    // The Tactic index of a task type for the door.
    static int TacticIndex(const char* name)
    {
        const std::vector<int32_t> offered = EditorTaskTypes(KIND_DOOR);
        const auto at = std::find(offered.begin(), offered.end(), TaskTypeByName(name));
        return at == offered.end() ? -1 : int(at - offered.begin());
    }
    // The Edit Task dialog answered; `seconds` null leaves "Start Time" off.
    static void AnswerEditTask(const char* type, const char* seconds, int hours = 0, int minutes = 0,
                               bool critical = false, bool isDefault = false)
    {
        DialogAnswer a;
        a.resourceId = EditTaskDlg::IDD;
        a.values = {{EditTaskDlg::IDC_TACTIC, "#" + std::to_string(TacticIndex(type))},
                    {EditTaskDlg::IDC_START_TIME, seconds ? "1" : "0"},
                    {EditTaskDlg::IDC_CRITICAL, critical ? "1" : "0"},
                    {EditTaskDlg::IDC_DEFAULT, isDefault ? "1" : "0"}};
        if (seconds) {
            a.values.push_back({EditTaskDlg::IDC_HOURS, std::to_string(hours)});
            a.values.push_back({EditTaskDlg::IDC_MINUTES, std::to_string(minutes)});
            a.values.push_back({EditTaskDlg::IDC_SECONDS, seconds});
        }
        platform::ui::QueueDialogAnswer(a);
    }
    static CTaskItem* AddTask(const char* type, const char* seconds, int hours = 0, int minutes = 0)
    {
        std::vector<CTaskItem*> before;
        for (const auto& t : List().tasks)
            before.push_back(t.get());
        AnswerEditTask(type, seconds, hours, minutes);
        Window().OnCommand(TaskListDlg::ID_ADD_TASK);
        EXPECT_EQ(List().tasks.size(), before.size() + 1);
        for (const auto& t : List().tasks)
            if (std::find(before.begin(), before.end(), t.get()) == before.end())
                return t.get();
        return nullptr;
    }
    // The caret on a line, which alone is selected then.
    static void Caret(HTREEITEM item) { Tree().platform::ui::TreeCtrl::SelectItem(item); }
    static std::vector<int32_t> Times()
    {
        std::vector<int32_t> times;
        for (const auto& t : List().tasks)
            times.push_back(t->startTime);
        return times;
    }
    static std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const auto& t : List().tasks)
            names.push_back(TaskTypeRow(t->taskType)->name);
        return names;
    }
    static CTaskItem* Push(int32_t start, const char* type)
    {
        List().tasks.push_back(std::make_unique<CTaskItem>(start, TaskTypeByName(type)));
        return List().tasks.back().get();
    }

    CObjectNode *door = nullptr, *lamp = nullptr, *saw = nullptr, *drill = nullptr, *ring = nullptr;
    CWorldObject *placedDoor = nullptr, *placedLamp = nullptr;
};

TEST_F(TaskListWindow, BindingShowsTheMainListAndLinesShowTimeTypeAndFlags)
{
    EXPECT_EQ(Window().Caption(), "TaskList [Main]");
    EXPECT_EQ(Window().TaskList(), placedDoor->objectLogic->ownTaskList.get());
    CTaskItem* timed = Push(3600000 + 2 * 60000 + 3400, "Door");
    timed->critical = 1;
    timed->isDefault = 1;
    CTaskItem* plain = Push(-1, "Aufsperren");
    CTaskItem* wait = Push(-1, "Wait");
    wait->SyncParameters(nullptr);
    Window().FillTree();
    struct Case
    {
        CTaskItem* task;
        std::string text;
        int image;
    } cases[] = {
        {timed, "01:02.03,4  Door", 15},
        {plain, std::string(19, ' ') + "Aufsperren", 9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tree().GetItemText(c.task->treeItem), c.text);
        int image = 0, selected = 0;
        ASSERT_TRUE(Tree().GetItemImage(c.task->treeItem, image, selected));
        EXPECT_EQ(image, c.image) << c.text;
        EXPECT_EQ(selected, c.image) << c.text;
    }
    // One child line per parameter, printed with its label.
    const HTREEITEM delay = Tree().GetChildItem(wait->treeItem);
    EXPECT_EQ(delay, wait->parameters[0]->treeItem);
    EXPECT_EQ(Tree().GetItemText(delay), "Delay = 0");
    EXPECT_EQ(Window().ParameterOf(delay), wait->parameters[0].get());

    // Unbinding shows no list.
    g_ObjectPropertiesDlg->SetObject(nullptr, nullptr, nullptr);
    EXPECT_EQ(Window().Caption(), "TaskList");
    EXPECT_EQ(Tree().GetCount(), 0u);
}

TEST_F(TaskListWindow, AddPutsUntimedTasksAfterTheSelectedOneAndTimedOnesAfterEqualTimes)
{
    CTaskItem* first = AddTask("Door", nullptr);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->startTime, -1);
    AddTask("Aufsperren", "1.5");
    AddTask("Set Open State", "5");
    EXPECT_EQ(Times(), (std::vector<int32_t>{-1, 1500, 5000}));

    // An untimed task goes directly after the selected task.
    Caret(List().tasks[1]->treeItem);
    AddTask("Wait", nullptr);
    EXPECT_EQ(Times(), (std::vector<int32_t>{-1, 1500, -1, 5000}));
    EXPECT_EQ(Names()[2], "Wait");
    // A timed task goes after the tasks of the same time.
    AddTask("Set Locked State", "1.5");
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"Door", "Aufsperren", "Wait", "Set Locked State", "Set Open State"}));
    // The parameters follow the type, and the object counts as changed.
    EXPECT_EQ(List().tasks[2]->parameters.size(), 2u);
    EXPECT_TRUE(g_ObjectPropertiesDlg->Modified());

    // Cancel adds nothing.
    Window().OnCommand(TaskListDlg::ID_ADD_TASK);
    EXPECT_EQ(List().tasks.size(), 5u);
}

TEST_F(TaskListWindow, EditTaskStoresTimesInSinglePrecisionAndRefusesOutOfRangeFields)
{
    struct Case
    {
        int hours, minutes;
        float seconds;
        int32_t ms;
    } cases[] = {
        {23, 59, 59.99f, 86399990},
        {0, 0, 12.345f, 12345},
        {0, 0, 0.7f, 700},
        {1, 2, 3.4f, 3723400},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EditorTimeMs(c.hours, c.minutes, c.seconds), c.ms) << c.seconds;

    // Through the dialog: the largest time it accepts.
    CTaskItem* late = AddTask("Door", "59.99", 23, 59);
    ASSERT_TRUE(late);
    EXPECT_EQ(late->startTime, 86399990);
    // 24 hours is refused: the dialog stays open and, unanswered, ends with Cancel.
    AnswerEditTask("Door", "0", 24, 0);
    Window().OnCommand(TaskListDlg::ID_ADD_TASK);
    EXPECT_EQ(List().tasks.size(), 1u);

    // Editing the time moves the task by time; the flags and type change too.
    CTaskItem* early = AddTask("Aufsperren", "10");
    EXPECT_EQ(List().tasks.front().get(), early);
    Caret(early->treeItem);
    DialogAnswer a;
    a.resourceId = EditTaskDlg::IDD;
    a.values = {{EditTaskDlg::IDC_HOURS, "23"},
                {EditTaskDlg::IDC_MINUTES, "59"},
                {EditTaskDlg::IDC_SECONDS, "59.995"},
                {EditTaskDlg::IDC_CRITICAL, "1"}};
    platform::ui::QueueDialogAnswer(a);
    Window().OnCommand(TaskListDlg::ID_EDIT_TASK);
    EXPECT_EQ(List().tasks.back().get(), early);
    EXPECT_EQ(early->startTime, 86399995);
    EXPECT_EQ(early->critical, 1);
    EXPECT_EQ(Tree().GetItemText(early->treeItem), "23:59.59,9  Aufsperren");
}

TEST_F(TaskListWindow, TheTacticListOffersTheKindsRowsAndSelectsTheTasksType)
{
    CTaskItem task(-1, TaskTypeByName("Set Locked State"));
    EditTaskDlg dialog(&task, nullptr, &List(), KIND_DOOR);
    ASSERT_TRUE(dialog.Create(nullptr));
    std::vector<int32_t> expected;
    for (int32_t row = 0; row < kTaskTypeRows && TaskTypeTable[row].name; ++row)
        if ((TaskTypeTable[row].kindMask & 0x80) && !(TaskTypeTable[row].kindMask & 0x4000))
            expected.push_back(row);
    EXPECT_EQ(dialog.Offered(), expected);
    const Control& tactic = *dialog.GetDlgItem(EditTaskDlg::IDC_TACTIC);
    EXPECT_EQ(tactic.text, "Set Locked State");
    EXPECT_NE(std::find(tactic.list.begin(), tactic.list.end(), "Door"), tactic.list.end());
    EXPECT_EQ(std::find(tactic.list.begin(), tactic.list.end(), "WalkTo"), tactic.list.end());
    EXPECT_EQ(std::find(tactic.list.begin(), tactic.list.end(), "Walk"), tactic.list.end());
    // Untimed, the disabled fields show the time the task follows.
    EXPECT_FALSE(dialog.GetDlgItem(EditTaskDlg::IDC_HOURS)->enabled);
    dialog.DestroyWindow();

    CTaskItem* before = Push(2 * 3600000 + 30 * 60000 + 15250, "Door");
    Push(-1, "Door");
    CTaskItem untimed(-1, TaskTypeByName("Door"));
    EditTaskDlg follows(&untimed, List().tasks.back().get(), &List(), KIND_DOOR);
    ASSERT_TRUE(follows.Create(nullptr));
    EXPECT_EQ(follows.GetDlgItemText(EditTaskDlg::IDC_HOURS), "2");
    EXPECT_EQ(follows.GetDlgItemText(EditTaskDlg::IDC_MINUTES), "30");
    EXPECT_EQ(follows.GetDlgItemText(EditTaskDlg::IDC_SECONDS), "15.25");
    follows.Click(EditTaskDlg::IDC_START_TIME);
    EXPECT_TRUE(follows.GetDlgItem(EditTaskDlg::IDC_HOURS)->enabled);
    follows.DestroyWindow();
    (void)before;
}

TEST_F(TaskListWindow, DraggingTimedAndUntimedTasksMovesOnlyTheUntimedOnes)
{
    CTaskItem* a = Push(-1, "Door");
    CTaskItem* b = Push(1000, "Aufsperren");
    CTaskItem* c = Push(-1, "Wait");
    CTaskItem* d = Push(2000, "Set Open State");
    auto dependency = std::make_unique<CDependency>();
    dependency->linkedTasks = {c};
    CDependency* only = dependency.get();
    List().AddDependency(std::move(dependency));
    Window().FillTree();
    Tree().addSelectionId(b->treeItem);
    Tree().addSelectionId(c->treeItem);
    ASSERT_TRUE(Window().BeginDrag(c->treeItem));
    EXPECT_FALSE(Tree().isSelected(b->treeItem));
    EXPECT_TRUE(Tree().isSelected(c->treeItem));
    EXPECT_FALSE(Window().CanDrop(c->treeItem, c->treeItem));
    ASSERT_TRUE(Window().CanDrop(c->treeItem, d->treeItem));
    Window().Drop(c->treeItem, d->treeItem);
    EXPECT_EQ(List().tasks[0].get(), a);
    EXPECT_EQ(List().tasks[1].get(), b);
    EXPECT_EQ(List().tasks[2].get(), d);
    EXPECT_EQ(List().tasks[3].get(), c);
    // Its only linked task moved: the dependency now applies to all tasks.
    EXPECT_TRUE(only->linkedTasks.empty());

    // Timed tasks alone do not drag.
    Tree().clearSelectionIds();
    Tree().addSelectionId(b->treeItem);
    EXPECT_FALSE(Window().BeginDrag(b->treeItem));
}

TEST_F(TaskListWindow, LinkingCountsTaskLinesOnly)
{
    CTaskItem* a = Push(-1, "Door");
    CTaskItem* b = Push(1000, "Wait");
    b->SyncParameters(nullptr);
    CTaskItem* c = Push(2000, "Aufsperren");
    auto dependency = std::make_unique<CDependency>();
    dependency->linkedTasks = {a};
    CDependency* dep = dependency.get();
    List().AddDependency(std::move(dependency));
    Window().SetTaskList(&List());
    g_DependencyListDlg->tree.addSelectionId(dep->treeItem);

    // All tasks selected: the dependency applies to all tasks (an empty list).
    Tree().clearSelectionIds();
    for (CTaskItem* t : {a, b, c})
        Tree().addSelectionId(t->treeItem);
    Window().OnCommand(TaskListDlg::ID_LINK_DEPENDENCIES);
    EXPECT_TRUE(dep->linkedTasks.empty());

    // All but one plus a parameter line is not "every task".
    Tree().clearSelectionIds();
    for (HTREEITEM line : {a->treeItem, b->treeItem, b->parameters[0]->treeItem})
        Tree().addSelectionId(line);
    Window().OnCommand(TaskListDlg::ID_LINK_DEPENDENCIES);
    EXPECT_EQ(dep->linkedTasks, (std::vector<CTaskItem*>{a, b}));
}

TEST_F(TaskListWindow, TheContextMenuNeedsABoundListAndATaskLine)
{
    CTaskItem* wait = Push(-1, "Wait");
    wait->SyncParameters(nullptr);
    Window().FillTree();
    ToggleToolWindow(g_TaskListDlg);
    auto rightClick = [](HTREEITEM item) {
        int x = 4, y = 300;
        if (item)
            LabelPoint(Tree(), item, x, y);
        Tree().MouseDown(1, x, y);
        Tree().MouseUp(1, x, y);
    };
    rightClick(wait->treeItem);
    platform::ui::Menu* menu = platform::ui::TrackedMenu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->FindItem(TaskListDlg::ID_EDIT_TASK)->enabled);
    EXPECT_FALSE(menu->FindItem(TaskListDlg::ID_SHOW_PREVIOUS)->enabled);
    // No dependency selected while the Dependency List has multi-select on.
    EXPECT_FALSE(menu->FindItem(TaskListDlg::ID_LINK_DEPENDENCIES)->enabled);
    platform::ui::ChooseTrackedItem(0);

    // A parameter line opens none.
    Window().contextMenu.reset();
    rightClick(wait->parameters[0]->treeItem);
    EXPECT_FALSE(Window().contextMenu);

    // Nothing bound: no menu.
    g_ObjectPropertiesDlg->SetObject(nullptr, nullptr, nullptr);
    Window().contextMenu.reset();
    rightClick(0);
    EXPECT_FALSE(Window().contextMenu);
    ToggleToolWindow(g_TaskListDlg);
}

TEST_F(TaskListWindow, DeleteAsksFirstAndResetKeyRestoresAParameter)
{
    CTaskItem* wait = Push(-1, "Wait");
    wait->SyncParameters(nullptr);
    Push(-1, "Door");
    Window().FillTree();
    auto* delay = static_cast<CIntParam*>(wait->parameters[0].get());
    delay->value = 42;
    Caret(delay->treeItem);
    platform::ui::TreeNotify key;
    key.code = platform::ui::TreeCode::KeyDown;
    key.key = platform::VK_DELETE;
    Window().OnTreeNotify(key);
    EXPECT_EQ(delay->value, 0);
    EXPECT_EQ(Tree().GetItemText(delay->treeItem), "Delay = 0");

    Caret(wait->treeItem);
    platform::QueueMessageBoxAnswer(platform::IDCANCEL);
    Window().OnCommand(TaskListDlg::ID_DELETE_TASK);
    EXPECT_EQ(List().tasks.size(), 2u);
    platform::QueueMessageBoxAnswer(platform::IDOK);
    Window().OnCommand(TaskListDlg::ID_DELETE_TASK);
    ASSERT_EQ(List().tasks.size(), 1u);
    EXPECT_EQ(Names(), std::vector<std::string>{"Door"});
}

TEST_F(TaskListWindow, ATimeParameterKeepsHundredthsWhenShownAgain)
{
    CTaskItem* alarm = Push(-1, "Wait");
    alarm->parameters.clear();
    alarm->AddParameter(PARAM_TIME);
    Window().FillTree();
    auto* time = static_cast<CIntParam*>(alarm->parameters[0].get());
    platform::ui::QueueDialogAnswer({363, {{1117, "0"}, {1118, "0"}, {1119, "12.345"}}, platform::ui::IDOK});
    EXPECT_TRUE(OpenParameterDialog(time, "Delay"));
    EXPECT_EQ(time->value, 12345);
    EXPECT_EQ(Tree().GetItemText(time->treeItem), "Delay = 00:00");
    EXPECT_FALSE(ObjectPropertiesLock);
    // Opened again and confirmed: it showed 12.34 seconds.
    platform::ui::QueueDialogAnswer({363, {}, platform::ui::IDOK});
    OpenParameterDialog(time, "Delay");
    EXPECT_EQ(time->value, 12340);
    // Flag values beyond 7 are refused.
    auto flag = CreateTaskParam(PARAM_FLAG);
    platform::ui::QueueDialogAnswer({359, {{1162, "8"}}, platform::ui::IDOK});
    OpenParameterDialog(flag.get(), nullptr);
    EXPECT_EQ(static_cast<CIntParam*>(flag.get())->value, 0);
}

TEST_F(TaskListWindow, AnOpenActionCodeDialogLocksTheObjectWindowsAndListsItemsByCode)
{
    CTaskItem* task = Push(-1, "GenerateActionCode");
    task->SyncParameters(nullptr);
    Window().FillTree();
    CTaskParam* code = task->parameters[0].get();
    ASSERT_EQ(code->typeId, PARAM_ACTIONCODE);
    ASSERT_TRUE(OpenParameterDialog(code, nullptr));
    platform::ui::Dialog* dialog = OpenElementEditor;
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->ResourceId(), 365);
    EXPECT_FALSE(g_TaskListDlg->IsWindowEnabled());
    EXPECT_FALSE(g_DependencyListDlg->IsWindowEnabled());
    EXPECT_FALSE(g_ObjectPropertiesDlg->IsWindowEnabled());
    EXPECT_FALSE(OpenParameterDialog(code, nullptr)) << "one at a time";

    // Picking another object in the World Tree leaves Object Properties alone.
    ShowWorld();
    Select(placedLamp);
    EXPECT_EQ(g_ObjectPropertiesDlg->WorldNode(), placedDoor);

    auto choose = [&](int index) {
        dialog->GetDlgItem(ActionCodeControls::IDC_CODE)->selection = index;
        dialog->OnCommand(ActionCodeControls::IDC_CODE);
    };
    const Control& items = *dialog->GetDlgItem(ActionCodeControls::IDC_ITEM);
    choose(0);
    EXPECT_FALSE(items.enabled);
    EXPECT_FALSE(dialog->GetDlgItem(ActionCodeControls::IDC_ITEM_LABEL)->enabled);
    EXPECT_TRUE(items.list.empty());
    EXPECT_EQ(dialog->GetDlgItemText(ActionCodeControls::IDC_DESCRIPTION), "Hand auf 'Mich'");
    choose(4);
    EXPECT_TRUE(items.enabled);
    EXPECT_EQ(items.list, (std::vector<std::string>{"Saw", "Drill"}));
    // The receiver picked in the view, the item chosen in the list.
    dialog->GetDlgItem(ActionCodeControls::IDC_ITEM)->selection = 1;
    dialog->OnCommand(ActionCodeControls::IDC_ITEM);
    dialog->Click(ActionCodeControls::IDC_PICK_RECEIVER);
    EXPECT_NE(dialog->GetDlgItemText(ActionCodeControls::IDC_DESCRIPTION).find("aufbrechen mit 'Drill'"),
              std::string::npos);
    dialog->Click(platform::ui::IDOK);
    EXPECT_FALSE(OpenElementEditor);
    const CActionEntry& stored = static_cast<CActionCodeParam*>(code)->action;
    EXPECT_EQ(stored.action, 4);
    EXPECT_EQ(stored.item, drill);
    EXPECT_EQ(stored.target, placedLamp);
    EXPECT_TRUE(g_TaskListDlg->IsWindowEnabled());
    EXPECT_TRUE(g_ObjectPropertiesDlg->IsWindowEnabled());
    EXPECT_FALSE(ObjectPropertiesLock);
    EXPECT_NE(Tree().GetItemText(code->treeItem).find("aufbrechen mit 'Drill'"), std::string::npos);
}

TEST_F(TaskListWindow, ACameraParameterOfZerosLeavesTheViewWhereItIs)
{
    CurrentView = &CameraViews[VIEW_PERSPECTIVE];
    const CCameraView before = *CurrentView;
    CCameraParam camera;
    ASSERT_TRUE(OpenParameterDialog(&camera, nullptr));
    EXPECT_EQ(CurrentView->target[0], before.target[0]);
    EXPECT_EQ(CurrentView->yaw, before.yaw);
    EXPECT_EQ(CurrentView->zoom, before.zoom);
    // "Set Camera" takes the view's pose; OK stores it.
    OpenElementEditor->Click(1369);
    OpenElementEditor->Click(platform::ui::IDOK);
    const float d = std::pow(1.3f, before.zoom);
    EXPECT_FLOAT_EQ(camera.third[2], d);
    EXPECT_FLOAT_EQ(camera.position[1], std::sin(before.pitch) * d + before.target[1]);

    // A stored camera moves the view there.
    camera.target[0] = 10;
    camera.third[2] = 1.69f;
    ASSERT_TRUE(OpenParameterDialog(&camera, nullptr));
    EXPECT_EQ(CurrentView->target[0], 10.0f);
    EXPECT_NEAR(CurrentView->zoom, 2.0f, 1e-5);
    OpenElementEditor->Click(platform::ui::IDCANCEL);
    *CurrentView = before;
}

TEST_F(TaskListWindow, APositionParameterEditsTheLocator)
{
    CPositionParam position;
    position.x = 4;
    ASSERT_TRUE(OpenParameterDialog(&position, nullptr));
    EXPECT_TRUE(ViewLocator.visible);
    EXPECT_EQ(ViewLocator.position.x, 4.0f);
    // The view's point drag moves the locator.
    ASSERT_EQ(EditorDraggedPoint, &ViewLocator.position);
    MovePointTo(CVector(4, 0, 7));
    OpenElementEditor->Click(platform::ui::IDOK);
    EXPECT_FALSE(ViewLocator.visible);
    EXPECT_FALSE(EditorDraggedPoint);
    EXPECT_EQ(position.z, 7.0f);
}

} // namespace
