#pragma once
// The Task List window: the task list of the object that Object Properties
// edits, one line per task (start time and type) with one child line per
// parameter. Tasks are added, edited, deleted and reordered here, parameters
// opened in their dialogs, and dependencies of the Dependency List linked to
// tasks. A sub-task list shown from the Dependency List can be left again with
// "Show Previous Tasklist".
#include "GAMES/Rulo2/editor/ToolWindows.h"

#include <memory>
#include <string>
#include <vector>

class CTaskItem;
class CTaskList;
class CTaskParam;

// A start time as the editor lists show it: "%02d:%02d.%02d,%1d  " (hours,
// minutes, seconds, tenths and two blanks), or 19 blanks without a start time.
std::string TaskTimeText(int32_t startTime);

class TaskListDlg : public CToolWindow
{
public:
    enum
    {
        IDD = 339,
        IDC_TREE = 1111,
        ID_ADD_TASK = 32958,
        ID_DELETE_TASK = 32959,
        ID_EDIT_TASK = 32960,
        ID_LINK_DEPENDENCIES = 32965,
        ID_SHOW_PREVIOUS = 32966,
    };
    // Images of bitmap 184: 9 + 4 (timed) + 2 (Critical) + 1 (Default), at most 15;
    // parameters 19.
    static constexpr int kTaskImage = 9;
    static constexpr int kLastTaskImage = 15;
    static constexpr int kParameterImage = 19;

    TaskListDlg();

    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    // Enter opens the parameter of the caret line; Esc does nothing.
    void OnOK() override;
    // Hides this window and the Dependency List; they no longer accompany Object Properties.
    void OnClose() override;

    // Shows a list (null: none), refills both lists and sets the caption. The
    // back stack stays as it is.
    void SetTaskList(CTaskList* list);
    CTaskList* TaskList() const { return list_; }
    void FillTree();
    // Opens the parameter's dialog (nothing for types without one).
    void EditParameter(CTaskParam* parameter, const char* label);

    // The task a line stands for (a task line only); the parameter of a line with
    // its task and index. Null when the line is none of them.
    CTaskItem* TaskOf(HTREEITEM item) const;
    CTaskParam* ParameterOf(HTREEITEM item, CTaskItem** task = nullptr, size_t* index = nullptr) const;
    // The tasks whose lines are selected, in list order.
    std::vector<CTaskItem*> SelectedTasks() const;
    // The label of a parameter's line: its label in its task's type row.
    static const char* ParameterLabel(const CTaskItem& task, size_t index);

    // The tree's callbacks and notifications (tests call them as the tree does).
    bool BeginDrag(HTREEITEM item);
    bool CanDrop(HTREEITEM dragged, HTREEITEM target) const;
    void Drop(HTREEITEM dragged, HTREEITEM target);
    void OnTreeNotify(const platform::ui::TreeNotify& n);

    // After a change of tasks or parameters: the object is marked modified.
    static void MarkModified();

    CEditorTree tree;
    std::vector<CTaskList*> backStack;
    // The context menu shown last (kept while it is tracked).
    std::unique_ptr<platform::ui::Menu> contextMenu;

private:
    void OnRightClick(const platform::ui::TreeNotify& n);
    void EditCaretParameter();
    void ResetCaretParameter();
    void AddTask();
    void EditTask();
    void DeleteTasks();
    void LinkDependencies();
    void ShowPrevious();

    CTaskList* list_ = nullptr;
};
