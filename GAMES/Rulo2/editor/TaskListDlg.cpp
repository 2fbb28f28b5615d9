#include "GAMES/Rulo2/editor/TaskListDlg.h"

#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/editor/ContextMenus.h"
#include "GAMES/Rulo2/editor/DependencyListDlg.h"
#include "GAMES/Rulo2/editor/EditTaskDlg.h"

#include <algorithm>
#include <cstdio>

using platform::ui::TreeAction;
using platform::ui::TreeCode;
using platform::ui::TreeNotify;

std::string TaskTimeText(int32_t t)
{
    if (t < 0)
        return std::string(19, ' ');
    char text[64];
    std::snprintf(text, sizeof text, "%02d:%02d.%02d,%1d  ", t / 3600000, (t / 60000) % 60, (t / 1000) % 60,
                  (t / 100) % 10);
    return text;
}

TaskListDlg::TaskListDlg()
    : CToolWindow(IDD, "TaskListDlg", "Task List", true, "ShowTaskList", &g_ShowTaskList, 150, 300)
{
    AddSizedTree(IDC_TREE, tree);
}

bool TaskListDlg::OnInitDialog()
{
    CToolWindow::OnInitDialog();
    tree.setBeginDragCallback([this](HTREEITEM item) { return BeginDrag(item); });
    tree.setCanDropCallback([this](HTREEITEM d, HTREEITEM t) { return CanDrop(d, t); });
    tree.setDropCallback([this](HTREEITEM d, HTREEITEM t) { Drop(d, t); });
    tree.multiSelect = true;
    tree.notify = [this](const TreeNotify& n) { OnTreeNotify(n); };
    SetWindowText("TaskList");
    return true;
}

void TaskListDlg::OnClose()
{
    ShowWindow(platform::SW_HIDE);
    if (g_DependencyListDlg)
        g_DependencyListDlg->ShowWindow(platform::SW_HIDE);
    g_ShowTaskList = false;
}

void TaskListDlg::SetTaskList(CTaskList* list)
{
    list_ = list;
    FillTree();
    if (g_DependencyListDlg)
        g_DependencyListDlg->FillTree();
    if (!list)
        SetWindowText("TaskList");
    else if (list->name.empty())
        SetWindowText("TaskList [Main]");
    else
        SetWindowText("TaskList [" + list->name + "]");
}

const char* TaskListDlg::ParameterLabel(const CTaskItem& task, size_t index)
{
    const STaskTypeRow* row = TaskTypeRow(task.taskType);
    return row && index < row->paramCount ? row->params[index].label : nullptr;
}

void TaskListDlg::FillTree()
{
    tree.deleteAllItems(true);
    if (!list_)
        return;
    for (const auto& task : list_->tasks) {
        const STaskTypeRow* row = TaskTypeRow(task->taskType);
        const std::string text = TaskTimeText(task->startTime) + (row && row->name ? row->name : "");
        // The sum would reach 16 for a timed Critical Default task: the task images end at 15.
        const int image = std::min(kLastTaskImage, kTaskImage + (task->startTime >= 0 ? 4 : 0) +
                                                       (task->critical ? 2 : 0) + (task->isDefault ? 1 : 0));
        task->treeItem = tree.TreeCtrl::InsertItem(text, image, image);
        for (size_t i = 0; i < task->parameters.size(); ++i) {
            CTaskParam& p = *task->parameters[i];
            p.treeItem = tree.TreeCtrl::InsertItem(p.Print(ParameterLabel(*task, i)), kParameterImage,
                                                   kParameterImage, task->treeItem);
        }
    }
}

CTaskItem* TaskListDlg::TaskOf(HTREEITEM item) const
{
    return list_ && item ? list_->FindTaskByTreeItem(item) : nullptr;
}

CTaskParam* TaskListDlg::ParameterOf(HTREEITEM item, CTaskItem** task, size_t* index) const
{
    CTaskParam* found = nullptr;
    if (!list_ || !item)
        return nullptr;
    // The last match wins.
    for (const auto& t : list_->tasks)
        for (size_t i = 0; i < t->parameters.size(); ++i)
            if (t->parameters[i]->treeItem == item) {
                found = t->parameters[i].get();
                if (task)
                    *task = t.get();
                if (index)
                    *index = i;
            }
    return found;
}

std::vector<CTaskItem*> TaskListDlg::SelectedTasks() const
{
    std::vector<CTaskItem*> tasks;
    if (!list_)
        return tasks;
    for (const auto& t : list_->tasks)
        if (t->treeItem && tree.isSelected(t->treeItem))
            tasks.push_back(t.get());
    return tasks;
}

void TaskListDlg::MarkModified()
{
    if (g_ObjectPropertiesDlg)
        g_ObjectPropertiesDlg->MarkModified();
}

void TaskListDlg::EditParameter(CTaskParam* parameter, const char* label)
{
    OpenParameterDialog(parameter, label);
}

void TaskListDlg::EditCaretParameter()
{
    CTaskItem* task = nullptr;
    size_t index = 0;
    if (CTaskParam* p = ParameterOf(tree.TreeCtrl::GetSelectedItem(), &task, &index))
        EditParameter(p, ParameterLabel(*task, index));
}

void TaskListDlg::ResetCaretParameter()
{
    CTaskItem* task = nullptr;
    size_t index = 0;
    CTaskParam* p = ParameterOf(tree.TreeCtrl::GetSelectedItem(), &task, &index);
    if (!p)
        return;
    p->Reset();
    tree.TreeCtrl::SetItemText(p->treeItem, p->Print(ParameterLabel(*task, index)));
}

void TaskListDlg::OnOK()
{
    EditCaretParameter();
}

void TaskListDlg::OnTreeNotify(const TreeNotify& n)
{
    switch (n.code) {
    case TreeCode::RClick:
        OnRightClick(n);
        break;
    case TreeCode::DblClk:
        EditCaretParameter();
        break;
    case TreeCode::KeyDown:
        if (n.key == platform::VK_DELETE)
            ResetCaretParameter();
        break;
    default:
        break;
    }
}

void TaskListDlg::OnRightClick(const TreeNotify& n)
{
    if (!list_)
        return;
    const HTREEITEM caret = tree.TreeCtrl::GetSelectedItem();
    if (ParameterOf(caret) && (!tree.multiSelect || !tree.selection().empty()))
        return;
    contextMenu = LoadContextMenus();
    platform::ui::Menu* menu = contextMenu ? contextMenu->FindSubMenu("TaskList") : nullptr;
    if (!menu)
        return;
    const bool caretSelected = caret && tree.isSelected(caret);
    menu->EnableMenuItem(ID_DELETE_TASK, caretSelected);
    menu->EnableMenuItem(ID_EDIT_TASK, caretSelected);
    menu->EnableMenuItem(ID_SHOW_PREVIOUS, !backStack.empty());
    const bool noDependencies = g_DependencyListDlg && g_DependencyListDlg->tree.multiSelect &&
                                g_DependencyListDlg->tree.selection().empty();
    menu->EnableMenuItem(ID_LINK_DEPENDENCIES, !SelectedTasks().empty() && !noDependencies);
    platform::ui::TrackPopupMenu(*menu, tree.ScreenOriginX() + n.x, tree.ScreenOriginY() + n.y, *this);
}

bool TaskListDlg::OnCommand(int id)
{
    switch (id) {
    case ID_ADD_TASK:
        AddTask();
        return true;
    case ID_EDIT_TASK:
        EditTask();
        return true;
    case ID_DELETE_TASK:
        DeleteTasks();
        return true;
    case ID_LINK_DEPENDENCIES:
        LinkDependencies();
        return true;
    case ID_SHOW_PREVIOUS:
        ShowPrevious();
        return true;
    default:
        return CToolWindow::OnCommand(id);
    }
}

namespace {

// The type, flags and parameters the dialog chose; a new Position parameter starts
// at the bound object.
void ApplyDialog(CTaskItem& task, const EditTaskDlg& d)
{
    task.taskType = d.GetTaskType();
    task.critical = d.critical ? 1 : 0;
    task.isDefault = d.isDefault ? 1 : 0;
    task.SyncParameters(g_ObjectPropertiesDlg ? g_ObjectPropertiesDlg->WorldNode() : nullptr);
}

int32_t BoundKind()
{
    return g_ObjectPropertiesDlg ? g_ObjectPropertiesDlg->Kind() : -1;
}

} // namespace

void TaskListDlg::AddTask()
{
    if (!list_)
        return;
    const HTREEITEM caret = tree.TreeCtrl::GetSelectedItem();
    CTaskItem* anchor = caret && tree.isSelected(caret) ? TaskOf(caret) : nullptr;
    auto task = std::make_unique<CTaskItem>();
    EditTaskDlg dialog(task.get(), anchor, list_, BoundKind());
    if (dialog.DoModal(Owner()) != platform::ui::IDOK)
        return;
    task->startTime = dialog.StartTime();
    CTaskItem* added = task.get();
    if (task->startTime < 0 && anchor)
        list_->InsertTaskAfter(std::move(task), anchor);
    else
        list_->AddTask(std::move(task));
    ApplyDialog(*added, dialog);
    FillTree();
    MarkModified();
}

void TaskListDlg::EditTask()
{
    CTaskItem* task = TaskOf(tree.TreeCtrl::GetSelectedItem());
    if (!task)
        return;
    EditTaskDlg dialog(task, list_->PreviousTask(task), list_, BoundKind());
    if (dialog.DoModal(Owner()) != platform::ui::IDOK)
        return;
    const int32_t start = dialog.StartTime();
    if (start != task->startTime) {
        std::unique_ptr<CTaskItem> taken = list_->RemoveTask(task);
        taken->startTime = start;
        list_->AddTask(std::move(taken));
    }
    ApplyDialog(*task, dialog);
    FillTree();
    MarkModified();
}

void TaskListDlg::DeleteTasks()
{
    if (!list_ || !MessageBoxConfirm("Are you sure you want to delete this task?"))
        return;
    std::vector<HTREEITEM> lines = tree.selection();
    if (!tree.multiSelect)
        lines = {tree.TreeCtrl::GetSelectedItem()};
    for (HTREEITEM line : lines)
        if (CTaskItem* task = TaskOf(line))
            list_->RemoveTask(task);
    FillTree();
    MarkModified();
}

void TaskListDlg::LinkDependencies()
{
    if (!list_ || !g_DependencyListDlg)
        return;
    const std::vector<CTaskItem*> tasks = SelectedTasks();
    if (tasks.empty())
        return;
    // Only task lines count: a parameter line in the selection does not make up
    // for a task left out.
    const bool all = tasks.size() == list_->tasks.size();
    for (CDependency* d : g_DependencyListDlg->SelectedDependencies()) {
        d->linkedTasks.clear();
        if (all)
            continue;
        for (CTaskItem* t : tasks)
            if (std::find(d->linkedTasks.begin(), d->linkedTasks.end(), t) == d->linkedTasks.end())
                d->linkedTasks.push_back(t);
    }
    MarkModified();
}

void TaskListDlg::ShowPrevious()
{
    if (backStack.empty())
        return;
    CTaskList* previous = backStack.back();
    backStack.pop_back();
    if (previous)
        SetTaskList(previous);
}

bool TaskListDlg::BeginDrag(HTREEITEM)
{
    if (!list_)
        return false;
    const std::vector<HTREEITEM> lines = tree.selection();
    bool untimed = false;
    for (HTREEITEM line : lines)
        if (const CTaskItem* t = TaskOf(line); t && t->startTime < 0)
            untimed = true;
    if (!untimed)
        return false;
    // Only untimed tasks move: timed ones keep their place by time.
    for (HTREEITEM line : lines)
        if (const CTaskItem* t = TaskOf(line); !t || t->startTime >= 0)
            tree.removeSelectionId(line);
    tree.RedrawWindow();
    return true;
}

bool TaskListDlg::CanDrop(HTREEITEM, HTREEITEM target) const
{
    return target && !tree.isSelected(target);
}

void TaskListDlg::Drop(HTREEITEM, HTREEITEM target)
{
    if (!list_)
        return;
    CTaskItem* after = TaskOf(target);
    if (!after) {
        CTaskItem* owner = nullptr;
        if (ParameterOf(target, &owner))
            after = owner;
    }
    if (!after)
        return;
    const std::vector<CTaskItem*> moving = SelectedTasks();
    for (auto it = moving.rbegin(); it != moving.rend(); ++it) {
        if (*it == after)
            continue;
        std::unique_ptr<CTaskItem> taken = list_->RemoveTask(*it);
        if (taken)
            list_->InsertTaskAfter(std::move(taken), after);
    }
    FillTree();
    MarkModified();
}
