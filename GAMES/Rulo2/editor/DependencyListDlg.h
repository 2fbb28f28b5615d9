#pragma once
// The Dependency List window: the dependencies of the task list the Task List
// shows (conditions under which the object leaves its tasks for the
// dependency's own sub-task list), and the modeless Edit Dependency dialog that
// edits one of them: an action code, a timer or the object's states, with local
// flags, a story level and the tasks during which it applies.
#include "GAMES/Rulo2/editor/ToolWindows.h"

#include <memory>
#include <vector>

class CDependency;

class DependencyListDlg : public CToolWindow
{
public:
    enum
    {
        IDD = 343,
        IDC_TREE = 1112,
        ID_ADD_DEPENDENCY = 32962,
        ID_DELETE_DEPENDENCY = 32963,
        ID_EDIT_DEPENDENCY = 32964,
        ID_SHOW_SUB_TASKLIST = 32968,
        ID_MAKE_ALWAYS_ACTIVE = 32969,
    };
    static constexpr int kDependencyImage = 8;

    DependencyListDlg();

    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    // Hides this window and the Task List; they no longer accompany Object Properties.
    void OnClose() override;

    // One line per dependency of the Task List's list, then the linked tasks highlighted.
    void FillTree();
    // Selects the lines of the caret dependency's linked tasks in the Task List
    // (every task when it has none).
    void HighlightLinkedTasks();

    CDependency* DependencyOf(HTREEITEM item) const;
    // The selected dependencies (the caret's alone when multi-select is off).
    std::vector<CDependency*> SelectedDependencies() const;
    void OnTreeNotify(const platform::ui::TreeNotify& n);

    CEditorTree tree;
    bool active = false;
    std::unique_ptr<platform::ui::Menu> contextMenu;

private:
    void OnRightClick(const platform::ui::TreeNotify& n);
    void OpenEditor(CDependency* dependency, bool add);
    void DeleteDependencies();
    void MakeAlwaysActive();
    void ShowSubTaskList();
};

class EditDependencyDlg : public platform::ui::Dialog
{
public:
    enum
    {
        IDD = 347,
        IDC_ACTION_ON = 1292,
        IDC_ACTION_GROUP = 1302,
        IDC_CODE_LABEL = 1303,
        IDC_TIMER_ON = 1294,
        IDC_TIMER_GROUP = 1306,
        IDC_HOURS = 1136,
        IDC_MINUTES = 1134,
        IDC_SECONDS = 1137,
        IDC_DEVIATION = 1143,
        IDC_REOCCURRING = 1366,
        IDC_STATES_ON = 1295,
        IDC_STATES_GROUP = 1309,
        IDC_STATE_FIRST = 1296, // to 1301
        IDC_FLAGS_ON = 1293,
        IDC_FLAGS_GROUP = 1304,
        IDC_FLAGS_LABEL = 1305,
        IDC_FLAG_FIRST = 1151, // to 1158
        IDC_SUPPRESS = 1109,
        IDC_STORY = 1133,
    };
    static constexpr int kStateBoxes = 6;
    static constexpr int kFlagBoxes = 8;

    // `add`: the dependency is new and goes into the list on OK (deleted on Cancel).
    EditDependencyDlg(CDependency* dependency, bool add, int32_t kind);

    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void DoDataExchange(platform::ui::DataExchange& dx) override;
    void OnOK() override;
    void OnCancel() override;
    void OnClose() override { OnCancel(); }
    void OnDestroy() override;

    // The number of state boxes an object kind offers.
    static int StateCount(int32_t kind);

    CDependency* Dependency() const { return dependency_; }

    int actionOn = 0, timerOn = 0, statesOn = 0, flagsOn = 0;
    int hours = 0, minutes = 0, deviation = 0, reoccurring = 0, suppress = 0, story = 0;
    float seconds = 0;
    int32_t code = 0;

private:
    void ApplyGroups();
    void Describe();
    void Finish();

    CDependency* dependency_;
    bool add_;
    int32_t kind_;
    class CObjectNode* item_ = nullptr;
    class CWorldObject* receiver_ = nullptr;
};
