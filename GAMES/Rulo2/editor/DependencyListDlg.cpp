#include "GAMES/Rulo2/editor/DependencyListDlg.h"

#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/editor/ContextMenus.h"
#include "GAMES/Rulo2/editor/EditTaskDlg.h"
#include "GAMES/Rulo2/editor/TaskListDlg.h"

#include <algorithm>

using platform::ui::BST_CHECKED;
using platform::ui::BST_INDETERMINATE;
using platform::ui::BST_UNCHECKED;
using platform::ui::Control;
using platform::ui::ControlKind;
using platform::ui::TreeCode;
using platform::ui::TreeNotify;
using namespace ActionCodeControls;

namespace {

// The states each object kind offers, in the order of its boxes.
std::vector<int32_t> KindStates(int32_t kind)
{
    switch (kind) {
    case KIND_FIXED:
        return {STATE_OPEN, STATE_LOCKED, STATE_BROKEN, STATE_ACTIVE, STATE_ALARM};
    case KIND_CHARACTER_A:
    case KIND_CHARACTER_B:
    case KIND_CHARACTER_C:
        return {STATE_ALARM};
    case KIND_DOOR:
    case KIND_WINDOW:
        return {STATE_OPEN, STATE_LOCKED, STATE_BROKEN};
    default:
        return {};
    }
}

const char* const kStateNames[5] = {"Open", "Locked", "Broken", "Active", "Alarm"};

// Labels of the timer group, ids of their own.
constexpr int kTimerLabels[] = {21001, 21002, 21003, 21004};

} // namespace

// ---------------------------------------------------------------- the list window

DependencyListDlg::DependencyListDlg()
    : CToolWindow(IDD, "DependencyListDlg", "Dependency List", true, nullptr, nullptr, 150, 300)
{
    AddSizedTree(IDC_TREE, tree);
}

bool DependencyListDlg::OnInitDialog()
{
    CToolWindow::OnInitDialog();
    tree.multiSelect = true;
    tree.notify = [this](const TreeNotify& n) { OnTreeNotify(n); };
    return true;
}

void DependencyListDlg::OnClose()
{
    ShowWindow(platform::SW_HIDE);
    if (g_TaskListDlg)
        g_TaskListDlg->ShowWindow(platform::SW_HIDE);
    g_ShowTaskList = false;
}

void DependencyListDlg::FillTree()
{
    tree.deleteAllItems(true);
    CTaskList* list = g_TaskListDlg ? g_TaskListDlg->TaskList() : nullptr;
    if (!list)
        return;
    for (const auto& d : list->dependencies)
        d->treeItem = tree.TreeCtrl::InsertItem(d->Describe(), kDependencyImage, kDependencyImage);
    HighlightLinkedTasks();
}

CDependency* DependencyListDlg::DependencyOf(HTREEITEM item) const
{
    CTaskList* list = g_TaskListDlg ? g_TaskListDlg->TaskList() : nullptr;
    return list && item ? list->FindDependencyByTreeItem(item) : nullptr;
}

std::vector<CDependency*> DependencyListDlg::SelectedDependencies() const
{
    std::vector<CDependency*> out;
    std::vector<HTREEITEM> lines = tree.selection();
    if (!tree.multiSelect)
        lines = {tree.TreeCtrl::GetSelectedItem()};
    for (HTREEITEM line : lines)
        if (CDependency* d = DependencyOf(line))
            out.push_back(d);
    return out;
}

void DependencyListDlg::HighlightLinkedTasks()
{
    CDependency* d = DependencyOf(tree.TreeCtrl::GetSelectedItem());
    CTaskList* list = g_TaskListDlg ? g_TaskListDlg->TaskList() : nullptr;
    if (!d || !list)
        return;
    CEditorTree& tasks = g_TaskListDlg->tree;
    tasks.clearSelectionIds();
    if (d->linkedTasks.empty()) {
        for (const auto& t : list->tasks)
            tasks.addSelectionId(t->treeItem);
    } else {
        for (const CTaskItem* t : d->linkedTasks)
            tasks.addSelectionId(t->treeItem);
    }
    tasks.RedrawWindow();
}

void DependencyListDlg::OnTreeNotify(const TreeNotify& n)
{
    switch (n.code) {
    case TreeCode::RClick:
        OnRightClick(n);
        break;
    case TreeCode::Click:
    case TreeCode::SelChanged:
        HighlightLinkedTasks();
        break;
    default:
        break;
    }
}

void DependencyListDlg::OnRightClick(const TreeNotify& n)
{
    if (!g_TaskListDlg || !g_TaskListDlg->TaskList())
        return;
    contextMenu = LoadContextMenus();
    platform::ui::Menu* menu = contextMenu ? contextMenu->FindSubMenu("DependencyList") : nullptr;
    if (!menu)
        return;
    const HTREEITEM caret = tree.TreeCtrl::GetSelectedItem();
    if (caret && tree.isSelected(caret)) {
        const CDependency* d = DependencyOf(caret);
        menu->EnableMenuItem(ID_SHOW_SUB_TASKLIST, d && d->childList);
        if (d && d->planned)
            menu->EnableMenuItem(ID_EDIT_DEPENDENCY, false);
    } else {
        for (uint32_t id :
             {ID_DELETE_DEPENDENCY, ID_EDIT_DEPENDENCY, ID_SHOW_SUB_TASKLIST, ID_MAKE_ALWAYS_ACTIVE})
            menu->EnableMenuItem(id, false);
    }
    platform::ui::TrackPopupMenu(*menu, tree.ScreenOriginX() + n.x, tree.ScreenOriginY() + n.y, *this);
}

bool DependencyListDlg::OnCommand(int id)
{
    CTaskList* list = g_TaskListDlg ? g_TaskListDlg->TaskList() : nullptr;
    if (!list)
        return CToolWindow::OnCommand(id);
    switch (id) {
    case ID_ADD_DEPENDENCY:
        OpenEditor(new CDependency, true);
        return true;
    case ID_EDIT_DEPENDENCY:
        if (CDependency* d = DependencyOf(tree.TreeCtrl::GetSelectedItem()); d && !d->planned)
            OpenEditor(d, false);
        return true;
    case ID_DELETE_DEPENDENCY:
        DeleteDependencies();
        return true;
    case ID_MAKE_ALWAYS_ACTIVE:
        MakeAlwaysActive();
        return true;
    case ID_SHOW_SUB_TASKLIST:
        ShowSubTaskList();
        return true;
    default:
        return CToolWindow::OnCommand(id);
    }
}

void DependencyListDlg::OpenEditor(CDependency* dependency, bool add)
{
    if (OpenElementEditor) {
        if (add)
            delete dependency;
        return;
    }
    const int32_t kind = g_ObjectPropertiesDlg ? g_ObjectPropertiesDlg->Kind() : -1;
    OpenElementEditorOver(*new EditDependencyDlg(dependency, add, kind), this);
}

void DependencyListDlg::DeleteDependencies()
{
    CTaskList* list = g_TaskListDlg->TaskList();
    if (!MessageBoxConfirm("Are you sure you want to delete this dependency?"))
        return;
    for (CDependency* d : SelectedDependencies())
        for (auto it = list->dependencies.begin(); it != list->dependencies.end(); ++it)
            if (it->get() == d) {
                list->dependencies.erase(it);
                break;
            }
    FillTree();
    TaskListDlg::MarkModified();
}

void DependencyListDlg::MakeAlwaysActive()
{
    for (CDependency* d : SelectedDependencies())
        d->linkedTasks.clear();
    g_TaskListDlg->tree.RedrawWindow();
    HighlightLinkedTasks();
    TaskListDlg::MarkModified();
}

void DependencyListDlg::ShowSubTaskList()
{
    CDependency* d = DependencyOf(tree.TreeCtrl::GetSelectedItem());
    if (!d || !d->childList)
        return;
    d->childList->name = d->Describe();
    g_TaskListDlg->backStack.push_back(g_TaskListDlg->TaskList());
    g_TaskListDlg->SetTaskList(d->childList.get());
}

// ---------------------------------------------------------------- Edit Dependency

int EditDependencyDlg::StateCount(int32_t kind)
{
    return int(KindStates(kind).size());
}

EditDependencyDlg::EditDependencyDlg(CDependency* dependency, bool add, int32_t kind)
    : Dialog(IDD, "Edit Dependency", 420, 330), dependency_(dependency), add_(add), kind_(kind)
{
    AddControl(ControlKind::CheckBox, IDC_ACTION_ON, "", 8, 8, 16, 20);
    AddControl(ControlKind::Static, IDC_ACTION_GROUP, "      Action Code", 8, 8, 200, 140);
    AddControl(ControlKind::Static, IDC_CODE_LABEL, "Code:", 16, 32, 50, 20);
    Control& codes = AddControl(ControlKind::ComboBox, IDC_CODE, "", 66, 32, 136, 20);
    for (const char* name : kActionCodeNames)
        codes.list.emplace_back(name);
    AddControl(ControlKind::Static, IDC_ITEM_LABEL, "Inventory Item:", 16, 56, 100, 20);
    AddControl(ControlKind::ComboBox, IDC_ITEM, "", 16, 78, 186, 20);
    AddControl(ControlKind::Button, IDC_PICK_ME, "Pick Me", 16, 102, 90, 22);
    AddControl(ControlKind::Button, IDC_PICK_RECEIVER, "Pick Receiver", 112, 102, 90, 22);
    AddControl(ControlKind::Static, IDC_DESCRIPTION, "Tool -> Door", 16, 126, 186, 20);

    AddControl(ControlKind::CheckBox, IDC_TIMER_ON, "", 214, 8, 16, 20);
    AddControl(ControlKind::Static, IDC_TIMER_GROUP, "      Timer", 214, 8, 198, 110);
    AddControl(ControlKind::Static, kTimerLabels[0], "Hour:", 222, 32, 40, 20);
    AddControl(ControlKind::Edit, IDC_HOURS, "0", 262, 32, 28, 20);
    AddControl(ControlKind::Static, kTimerLabels[1], "Min:", 296, 32, 32, 20);
    AddControl(ControlKind::Edit, IDC_MINUTES, "0", 328, 32, 28, 20);
    AddControl(ControlKind::Static, kTimerLabels[2], "Sec:", 222, 56, 40, 20);
    AddControl(ControlKind::Edit, IDC_SECONDS, "0", 262, 56, 50, 20);
    AddControl(ControlKind::Static, kTimerLabels[3], "+/- (Sec)", 222, 80, 70, 20);
    AddControl(ControlKind::Edit, IDC_DEVIATION, "0", 296, 80, 40, 20);
    AddControl(ControlKind::CheckBox, IDC_REOCCURRING, "Reoccurring", 340, 80, 70, 20);

    AddControl(ControlKind::CheckBox, IDC_STATES_ON, "", 214, 124, 16, 20);
    AddControl(ControlKind::Static, IDC_STATES_GROUP, "      States", 214, 124, 198, 96);
    for (int i = 0; i < kStateBoxes; ++i)
        AddControl(ControlKind::CheckBox, IDC_STATE_FIRST + i, "State " + std::to_string(i + 1),
                   222 + (i % 2) * 94, 148 + (i / 2) * 22, 90, 20)
            .threeState = true;

    AddControl(ControlKind::CheckBox, IDC_FLAGS_ON, "", 8, 154, 16, 20);
    AddControl(ControlKind::Static, IDC_FLAGS_GROUP, "      Flags", 8, 154, 200, 66);
    AddControl(ControlKind::Static, IDC_FLAGS_LABEL, "LocalFlags:", 16, 176, 80, 20);
    for (int i = 0; i < kFlagBoxes; ++i)
        AddControl(ControlKind::CheckBox, IDC_FLAG_FIRST + i, "", 16 + i * 23, 198, 22, 20).threeState = true;

    AddControl(ControlKind::CheckBox, IDC_SUPPRESS, "Suppress Action Code", 8, 230, 200, 20);
    AddControl(ControlKind::Static, 21005, "Story:", 214, 230, 50, 20);
    AddControl(ControlKind::Edit, IDC_STORY, "0", 264, 230, 40, 20);
    AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 110, 270, 90, 24);
    AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 214, 270, 90, 24);
}

bool EditDependencyDlg::OnInitDialog()
{
    const CDependency& d = *dependency_;
    for (int i = 0; i < kFlagBoxes; ++i) {
        const uint32_t bit = 1u << i;
        GetDlgItem(IDC_FLAG_FIRST + i)->check = !(d.flagMask & bit)    ? BST_INDETERMINATE
                                                : (d.flagValues & bit) ? BST_CHECKED
                                                                       : BST_UNCHECKED;
    }
    story = d.story;
    suppress = d.suppressAction ? 1 : 0;
    code = d.action.action;
    item_ = ActionCode::GetTarget(d.action);
    receiver_ = d.action.target;
    EditorTimeFields(d.timer, hours, minutes, seconds);
    deviation = d.tolerance / 1000;
    reoccurring = d.reoccurring ? 1 : 0;
    actionOn = d.useAction ? 1 : 0;
    timerOn = d.useTimer ? 1 : 0;
    statesOn = d.useStates ? 1 : 0;
    flagsOn = d.useFlags ? 1 : 0;
    const std::vector<int32_t> states = KindStates(kind_);
    for (int i = 0; i < kStateBoxes; ++i) {
        Control* box = GetDlgItem(IDC_STATE_FIRST + i);
        box->visible = size_t(i) < states.size();
        if (!box->visible)
            continue;
        box->text = kStateNames[states[size_t(i)]];
        const int32_t c = d.GetStateCondition(states[size_t(i)]);
        box->check = c == 1 ? BST_CHECKED : c == 0 ? BST_UNCHECKED : BST_INDETERMINATE;
    }
    if (states.empty()) {
        statesOn = 0;
        EnableDlgItem(IDC_STATES_ON, false);
    }
    UpdateData(false);
    RefillItems(*this, code, item_, actionOn && code >= 4 && code <= 6);
    ApplyGroups();
    return true;
}

void EditDependencyDlg::DoDataExchange(platform::ui::DataExchange& dx)
{
    DDX_Check(dx, IDC_ACTION_ON, actionOn);
    DDX_Check(dx, IDC_TIMER_ON, timerOn);
    DDX_Check(dx, IDC_STATES_ON, statesOn);
    DDX_Check(dx, IDC_FLAGS_ON, flagsOn);
    if (Control* c = GetDlgItem(IDC_CODE)) {
        if (dx.Saving()) {
            code = c->selection < 0 ? 0 : c->selection;
        } else {
            c->selection = code >= 0 && size_t(code) < c->list.size() ? code : -1;
            c->text = c->selection >= 0 ? c->list[size_t(c->selection)] : std::string();
        }
    }
    DDX_Text(dx, IDC_HOURS, hours);
    DDV_MinMaxInt(dx, hours, 0, 23);
    DDX_Text(dx, IDC_MINUTES, minutes);
    DDV_MinMaxInt(dx, minutes, 0, 59);
    DDX_Text(dx, IDC_SECONDS, seconds);
    DDV_MinMaxFloat(dx, seconds, 0.0f, 59.9999f);
    DDX_Text(dx, IDC_DEVIATION, deviation);
    DDX_Check(dx, IDC_REOCCURRING, reoccurring);
    DDX_Check(dx, IDC_SUPPRESS, suppress);
    DDX_Text(dx, IDC_STORY, story);
    DDV_MinMaxInt(dx, story, 0, 99);
}

void EditDependencyDlg::ApplyGroups()
{
    actionOn = GetDlgItem(IDC_ACTION_ON)->check == BST_CHECKED;
    timerOn = GetDlgItem(IDC_TIMER_ON)->check == BST_CHECKED;
    statesOn = GetDlgItem(IDC_STATES_ON)->check == BST_CHECKED;
    for (int id : {int(IDC_ACTION_GROUP), IDC_DESCRIPTION, int(IDC_CODE_LABEL), IDC_CODE, IDC_PICK_ME,
                   IDC_PICK_RECEIVER})
        EnableDlgItem(id, actionOn != 0);
    const bool items = actionOn && code >= 4 && code <= 6;
    EnableDlgItem(IDC_ITEM, items);
    EnableDlgItem(IDC_ITEM_LABEL, items);
    for (int id : {int(IDC_TIMER_GROUP), int(IDC_HOURS), int(IDC_MINUTES), int(IDC_SECONDS),
                   int(IDC_DEVIATION), int(IDC_REOCCURRING)})
        EnableDlgItem(id, timerOn != 0);
    for (int id : kTimerLabels)
        EnableDlgItem(id, timerOn != 0);
    EnableDlgItem(IDC_STATES_GROUP, statesOn != 0);
    for (int i = 0; i < kStateBoxes; ++i)
        EnableDlgItem(IDC_STATE_FIRST + i, statesOn != 0);
    // Flags only narrow another condition: alone they make no dependency.
    Control* flags = GetDlgItem(IDC_FLAGS_ON);
    if (!actionOn && !timerOn && !statesOn) {
        flags->enabled = false;
        flags->check = BST_UNCHECKED;
    } else {
        flags->enabled = true;
    }
    flagsOn = flags->check == BST_CHECKED;
    EnableDlgItem(IDC_FLAGS_GROUP, flagsOn != 0);
    EnableDlgItem(IDC_FLAGS_LABEL, flagsOn != 0);
    for (int i = 0; i < kFlagBoxes; ++i)
        EnableDlgItem(IDC_FLAG_FIRST + i, flagsOn != 0);
    Describe();
}

void EditDependencyDlg::Describe()
{
    SetDlgItemText(IDC_DESCRIPTION, ActionCodeControls::Describe(code, receiver_, item_));
}

bool EditDependencyDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_ACTION_ON:
        if (GetDlgItem(IDC_ACTION_ON)->check == BST_CHECKED) {
            GetDlgItem(IDC_TIMER_ON)->check = BST_UNCHECKED;
            RefillItems(*this, code, item_, code >= 4 && code <= 6);
        }
        ApplyGroups();
        return true;
    case IDC_TIMER_ON:
        if (GetDlgItem(IDC_TIMER_ON)->check == BST_CHECKED)
            GetDlgItem(IDC_ACTION_ON)->check = BST_UNCHECKED;
        ApplyGroups();
        return true;
    case IDC_STATES_ON:
        if (GetDlgItem(IDC_STATES_ON)->check == BST_CHECKED)
            GetDlgItem(IDC_TIMER_ON)->check = BST_UNCHECKED;
        ApplyGroups();
        return true;
    case IDC_FLAGS_ON:
        ApplyGroups();
        return true;
    case IDC_CODE:
        code = std::max(0, GetDlgItem(IDC_CODE)->selection);
        RefillItems(*this, code, item_, actionOn && code >= 4 && code <= 6);
        Describe();
        return true;
    case IDC_ITEM:
        item_ = ChosenItem(*this, code);
        Describe();
        return true;
    case IDC_PICK_ME:
        receiver_ = nullptr;
        Describe();
        return true;
    case IDC_PICK_RECEIVER:
        if (CWorldObject* picked = PickedObject())
            receiver_ = picked;
        Describe();
        return true;
    default:
        return Dialog::OnCommand(id);
    }
}

void EditDependencyDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    if (!actionOn && !timerOn && !statesOn) {
        MessageBoxInfo("No valid dependency.");
        return;
    }
    const std::vector<int32_t> states = KindStates(kind_);
    if (statesOn) {
        bool any = false;
        for (size_t i = 0; i < states.size(); ++i)
            any = any || GetDlgItem(IDC_STATE_FIRST + int(i))->check != BST_INDETERMINATE;
        if (!any) {
            MessageBoxInfo("No state has been specified.");
            return;
        }
    }
    CDependency& d = *dependency_;
    d.flagMask = 0;
    d.flagValues = 0;
    for (int i = 0; i < kFlagBoxes; ++i) {
        const int check = GetDlgItem(IDC_FLAG_FIRST + i)->check;
        if (check != BST_INDETERMINATE)
            d.flagMask |= 1u << i;
        if (check == BST_CHECKED)
            d.flagValues |= 1u << i;
    }
    d.story = story;
    d.suppressAction = suppress ? 1 : 0;
    d.action.action = code;
    d.action.target = receiver_;
    d.action.item = ChosenItem(*this, code);
    d.action.slotCode = -1;
    d.actionPending = false;
    d.timer = EditorTimeMs(hours, minutes, seconds);
    d.tolerance = deviation * 1000;
    d.reoccurring = reoccurring ? 1 : 0;
    d.useAction = actionOn ? 1 : 0;
    d.useTimer = timerOn ? 1 : 0;
    d.useStates = statesOn ? 1 : 0;
    d.useFlags = flagsOn ? 1 : 0;
    d.stateConditions.clear();
    for (size_t i = 0; i < states.size(); ++i) {
        const int check = GetDlgItem(IDC_STATE_FIRST + int(i))->check;
        if (check != BST_INDETERMINATE)
            d.AddStateCondition(states[i], check == BST_CHECKED);
    }
    if (add_) {
        CTaskList* list = g_TaskListDlg ? g_TaskListDlg->TaskList() : nullptr;
        if (list)
            list->AddDependency(std::unique_ptr<CDependency>(dependency_));
        else
            delete dependency_;
        add_ = false;
    }
    if (g_DependencyListDlg)
        g_DependencyListDlg->FillTree();
    TaskListDlg::MarkModified();
    Finish();
}

void EditDependencyDlg::OnCancel()
{
    if (add_)
        delete dependency_;
    add_ = false;
    Finish();
}

void EditDependencyDlg::Finish()
{
    DestroyWindow();
    delete this;
}

void EditDependencyDlg::OnDestroy()
{
    if (OpenElementEditor == this)
        OpenElementEditor = nullptr;
    LockObjectWindows(false);
}
