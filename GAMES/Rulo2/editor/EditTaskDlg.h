#pragma once
// The Edit Task dialog (start time, task type and flags of one task) and the
// parameter dialogs that the Task List opens on a parameter line, one per
// parameter type. The parameter dialogs that let the designer pick in the 3-D
// view (objects, walking surfaces, the locator, the camera) are modeless: while
// one is open the Task List, Dependency List and Object Properties are disabled
// and picking does not rebind Object Properties.
#include "platform/ui/Ui.h"

#include <cstdint>
#include <string>
#include <vector>

class CObjectNode;
class CTaskItem;
class CTaskList;
class CTaskParam;
class CWorldObject;
struct CActionEntry;

// Times of the day as the editor's dialogs edit them. Milliseconds from hours,
// minutes and seconds: (h * 60 + m) * 60,000 + (int)(seconds * 1000), the product
// taken in single precision (0.7 s is 700 ms, 12.345 s is 12,345 ms).
int32_t EditorTimeMs(int hours, int minutes, float seconds);
// Hours, minutes and seconds with hundredths (12,345 ms shows 12.34 s).
void EditorTimeFields(int32_t ms, int& hours, int& minutes, float& seconds);

// The "Code:" names of action codes 0 to 7.
extern const char* const kActionCodeNames[8];
// The objects an action code's item list offers, in object-list order: code 4
// tool items, 5 loot items, 6 items; none for the other codes.
std::vector<CObjectNode*> ActionCodeItems(int32_t code);

// The modeless dialog open now (a parameter dialog or Edit Dependency); null: none.
extern platform::ui::Dialog* OpenElementEditor;
// While a dialog that edits one element of an object is open: the three object
// windows disabled, the parameter-edit flag set. `open` false undoes it.
void LockObjectWindows(bool open);
// Opens such a dialog modeless: created, centred over `over`, shown without
// taking the focus, the object windows locked.
void OpenElementEditorOver(platform::ui::Dialog& dialog, const platform::ui::Dialog* over);

class EditTaskDlg : public platform::ui::Dialog
{
public:
    enum
    {
        IDD = 344,
        IDC_CRITICAL = 1109,
        IDC_DEFAULT = 1037,
        IDC_HOURS = 1117,
        IDC_MINUTES = 1118,
        IDC_TACTIC = 1119,
        IDC_SECONDS = 1120,
        IDC_START_TIME = 1128,
        IDC_START_GROUP = 1129,
        IDC_LABEL_HOURS = 1130,
        IDC_LABEL_MINUTES = 1131,
        IDC_LABEL_SECONDS = 1132,
    };

    // `list` is the list the predecessor lies in; `kind` the bound object's kind.
    EditTaskDlg(CTaskItem* task, CTaskItem* predecessor, const CTaskList* list, int32_t kind);

    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void DoDataExchange(platform::ui::DataExchange& dx) override;

    // The task type row of the chosen tactic.
    int32_t GetTaskType() const;
    // The start time the fields give, -1 with "Start Time" off.
    int32_t StartTime() const;
    // The task type rows the Tactic list offers.
    const std::vector<int32_t>& Offered() const { return offered_; }

    int critical = 0;
    int isDefault = 0;
    int hours = 0;
    int minutes = 0;
    int tacticIndex = 0;
    int startTimeOn = 0;
    float seconds = 0;

private:
    void ToggleStartTime();

    CTaskItem* task_;
    CTaskItem* predecessor_;
    const CTaskList* list_;
    int32_t kind_;
    std::vector<int32_t> offered_;
};

// The base of the parameter dialogs: the parameter, its label for re-printing its
// line, and whether the dialog is modeless.
class CParameterDlg : public platform::ui::Dialog
{
public:
    CParameterDlg(int resourceId, CTaskParam* parameter, std::string label, bool modeless, int width,
                  int height);

    CTaskParam* Parameter() const { return parameter_; }
    bool Modeless() const { return modeless_; }

    // Modal: UpdateData, the value stored, the line re-printed, the object marked
    // modified, EndDialog. Modeless: the same, then the window goes.
    void OnOK() override;
    void OnCancel() override;
    void OnClose() override { OnCancel(); }
    void OnDestroy() override;

protected:
    // The dialog's value into the parameter.
    virtual void Store() = 0;

private:
    void Finish();

    CTaskParam* parameter_;
    std::string label_;
    bool modeless_;
};

// Opens the dialog of a parameter's type: modal ones run to their end, modeless
// ones stay open (OpenElementEditor). False for a type without a dialog.
bool OpenParameterDialog(CTaskParam* parameter, const char* label);

// The action code dialog's parts that Edit Dependency shares: the item list
// (1147 with its label 1150) and the description (1144).
namespace ActionCodeControls {
constexpr int IDC_CODE = 1146;
constexpr int IDC_ITEM = 1147;
constexpr int IDC_PICK_RECEIVER = 1148;
constexpr int IDC_PICK_ME = 1149;
constexpr int IDC_ITEM_LABEL = 1150;
constexpr int IDC_DESCRIPTION = 1144;
// Fills the item list for a code; `enabled` tells whether the code has items.
void RefillItems(platform::ui::Dialog& dialog, int32_t code, const CObjectNode* item, bool enabled);
// The item at the list's chosen index (null: none).
CObjectNode* ChosenItem(const platform::ui::Dialog& dialog, int32_t code);
// The text of a display record {code, receiver, item}.
std::string Describe(int32_t code, CWorldObject* receiver, CObjectNode* item);
// "Pick Receiver": the first selected world object with object logic, else null.
CWorldObject* PickedObject();
} // namespace ActionCodeControls
