#include "GAMES/Rulo2/editor/EditTaskDlg.h"

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/EditorEditing.h"
#include "GAMES/Rulo2/editor/TaskListDlg.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

#include <algorithm>
#include <cmath>

using platform::ui::BST_CHECKED;
using platform::ui::Control;
using platform::ui::ControlKind;
using platform::ui::DataExchange;
using platform::ui::Dialog;

const char* const kActionCodeNames[8] = {"Hand",    "Mund",      "Auge",     "Telefonieren",
                                         "Knacken", "Verkaufen", "Benutzen", "DialogEvent"};

Dialog* OpenElementEditor = nullptr;

int32_t EditorTimeMs(int hours, int minutes, float seconds)
{
    // Pinned to single precision: the product of 0.7f and 1000 rounds to 700.
    const float product = seconds * 1000.0f;
    return (hours * 60 + minutes) * 60000 + int32_t(product);
}

void EditorTimeFields(int32_t ms, int& hours, int& minutes, float& seconds)
{
    hours = ms / 3600000;
    minutes = (ms / 60000) % 60;
    seconds = float((ms / 1000) % 60) + float((ms / 10) % 100) / 100.0f;
}

std::vector<CObjectNode*> ActionCodeItems(int32_t code)
{
    std::vector<CObjectNode*> items;
    const int32_t kind = code == 4 ? KIND_TOOL : code == 5 ? KIND_LOOT : code == 6 ? KIND_ITEM : -1;
    if (kind < 0)
        return items;
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
        if (d->objectLogic && d->objectLogic->Kind() == kind)
            items.push_back(d);
    return items;
}

void OpenElementEditorOver(Dialog& dialog, const Dialog* over)
{
    OpenElementEditor = &dialog;
    dialog.Create(over ? over->Owner() : nullptr);
    if (over) {
        const platform::RECT o = over->GetWindowRect(), r = dialog.GetWindowRect();
        const int w = r.right - r.left, h = r.bottom - r.top;
        dialog.SetWindowPos(o.left + (o.right - o.left - w) / 2, o.top + (o.bottom - o.top - h) / 2, 0, 0,
                            platform::ui::SWP_NOSIZE | platform::ui::SWP_NOZORDER);
    }
    dialog.ShowWindow(platform::SW_SHOWNA);
    LockObjectWindows(true);
}

void LockObjectWindows(bool open)
{
    ObjectPropertiesLock = open;
    for (Dialog* w : {static_cast<Dialog*>(g_TaskListDlg), static_cast<Dialog*>(g_DependencyListDlg),
                      static_cast<Dialog*>(g_ObjectPropertiesDlg)})
        if (w)
            w->EnableWindow(!open);
}

namespace {

const char* NodeName(const CNode* node)
{
    const char* name = node ? node->GetName() : nullptr;
    return name ? name : "";
}

std::string ComboText(const Control* c)
{
    if (!c)
        return {};
    if (c->text.empty() && c->selection >= 0 && size_t(c->selection) < c->list.size())
        return c->list[size_t(c->selection)];
    return c->text;
}

void SelectInList(Control& c, int index)
{
    c.selection = index >= 0 && size_t(index) < c.list.size() ? index : -1;
    c.text = c.selection >= 0 ? c.list[size_t(c.selection)] : std::string();
}

} // namespace

// ---------------------------------------------------------------- Edit Task

EditTaskDlg::EditTaskDlg(CTaskItem* task, CTaskItem* predecessor, const CTaskList* list, int32_t kind)
    : Dialog(IDD, "Edit Task", 260, 200), task_(task), predecessor_(predecessor), list_(list), kind_(kind)
{
    AddControl(ControlKind::Static, 20001, "Tactic:", 8, 8, 60, 20);
    AddControl(ControlKind::ComboBox, IDC_TACTIC, "", 70, 8, 180, 20);
    AddControl(ControlKind::CheckBox, IDC_START_TIME, "", 8, 40, 16, 20);
    AddControl(ControlKind::Static, IDC_START_GROUP, "      Start Time", 8, 40, 244, 60);
    AddControl(ControlKind::Static, IDC_LABEL_HOURS, "Hour:", 16, 66, 40, 20);
    AddControl(ControlKind::Edit, IDC_HOURS, "0", 56, 66, 30, 20);
    AddControl(ControlKind::Static, IDC_LABEL_MINUTES, "Min:", 92, 66, 36, 20);
    AddControl(ControlKind::Edit, IDC_MINUTES, "0", 128, 66, 30, 20);
    AddControl(ControlKind::Static, IDC_LABEL_SECONDS, "Sec:", 164, 66, 36, 20);
    AddControl(ControlKind::Edit, IDC_SECONDS, "0", 200, 66, 50, 20);
    AddControl(ControlKind::CheckBox, IDC_CRITICAL, "Critical", 8, 108, 100, 20);
    AddControl(ControlKind::CheckBox, IDC_DEFAULT, "Default", 120, 108, 100, 20);
    AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 60, 140, 80, 24);
    AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 150, 140, 80, 24);
}

bool EditTaskDlg::OnInitDialog()
{
    offered_ = EditorTaskTypes(kind_);
    Control* tactic = GetDlgItem(IDC_TACTIC);
    tactic->list.clear();
    for (int32_t row : offered_)
        tactic->list.emplace_back(TaskTypeTable[row].name);
    // A type that is not offered selects the next offered one.
    tacticIndex = int(std::count_if(offered_.begin(), offered_.end(),
                                    [this](int32_t row) { return task_ && row < task_->taskType; }));
    critical = task_ && task_->critical ? 1 : 0;
    isDefault = task_ && task_->isDefault ? 1 : 0;
    startTimeOn = task_ && task_->startTime >= 0 ? 1 : 0;
    if (startTimeOn)
        EditorTimeFields(task_->startTime, hours, minutes, seconds);
    UpdateData(false);
    ToggleStartTime();
    return true;
}

void EditTaskDlg::DoDataExchange(DataExchange& dx)
{
    DDX_Check(dx, IDC_CRITICAL, critical);
    DDX_Check(dx, IDC_DEFAULT, isDefault);
    DDX_Text(dx, IDC_HOURS, hours);
    DDV_MinMaxInt(dx, hours, 0, 23);
    DDX_Text(dx, IDC_MINUTES, minutes);
    DDV_MinMaxInt(dx, minutes, 0, 59);
    if (Control* tactic = GetDlgItem(IDC_TACTIC)) {
        if (dx.Saving())
            tacticIndex = tactic->selection;
        else
            SelectInList(*tactic, tacticIndex);
    }
    DDX_Check(dx, IDC_START_TIME, startTimeOn);
    DDX_Text(dx, IDC_SECONDS, seconds);
    DDV_MinMaxFloat(dx, seconds, 0.0f, 59.9999f);
}

bool EditTaskDlg::OnCommand(int id)
{
    if (id == IDC_START_TIME) {
        ToggleStartTime();
        return true;
    }
    return Dialog::OnCommand(id);
}

void EditTaskDlg::ToggleStartTime()
{
    startTimeOn = GetDlgItem(IDC_START_TIME)->check == BST_CHECKED ? 1 : 0;
    for (int id : {IDC_START_GROUP, IDC_LABEL_HOURS, IDC_LABEL_MINUTES, IDC_LABEL_SECONDS, IDC_HOURS,
                   IDC_MINUTES, IDC_SECONDS})
        EnableDlgItem(id, startTimeOn != 0);
    if (startTimeOn || !list_)
        return;
    // The time the untimed task follows: the first timed task before it.
    for (const CTaskItem* t = predecessor_; t; t = list_->PreviousTask(t)) {
        if (t->startTime < 0)
            continue;
        int h = 0, m = 0;
        float s = 0;
        EditorTimeFields(t->startTime, h, m, s);
        SetDlgItemText(IDC_HOURS, std::to_string(h));
        SetDlgItemText(IDC_MINUTES, std::to_string(m));
        char text[32];
        std::snprintf(text, sizeof text, "%g", double(s));
        SetDlgItemText(IDC_SECONDS, text);
        break;
    }
}

int32_t EditTaskDlg::GetTaskType() const
{
    return tacticIndex >= 0 && size_t(tacticIndex) < offered_.size() ? offered_[size_t(tacticIndex)] : 0;
}

int32_t EditTaskDlg::StartTime() const
{
    return startTimeOn ? EditorTimeMs(hours, minutes, seconds) : -1;
}

// ---------------------------------------------------------------- parameter dialogs

CParameterDlg::CParameterDlg(int resourceId, CTaskParam* parameter, std::string label, bool modeless,
                             int width, int height)
    : Dialog(resourceId, "Parameter", width, height), parameter_(parameter), label_(std::move(label)),
      modeless_(modeless)
{
}

void CParameterDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    Store();
    if (g_TaskListDlg && parameter_->treeItem)
        g_TaskListDlg->tree.TreeCtrl::SetItemText(
            parameter_->treeItem, parameter_->Print(label_.empty() ? nullptr : label_.c_str()));
    TaskListDlg::MarkModified();
    if (modeless_)
        Finish();
    else
        EndDialog(platform::ui::IDOK);
}

void CParameterDlg::OnCancel()
{
    if (modeless_)
        Finish();
    else
        EndDialog(platform::ui::IDCANCEL);
}

void CParameterDlg::Finish()
{
    DestroyWindow();
    delete this;
}

void CParameterDlg::OnDestroy()
{
    if (!modeless_)
        return;
    if (OpenElementEditor == this)
        OpenElementEditor = nullptr;
    LockObjectWindows(false);
}

namespace {

using namespace ActionCodeControls;

// Radius, Flag and Number: one edit.
class CNumberParamDlg : public CParameterDlg
{
public:
    CNumberParamDlg(int resourceId, int editId, const char* caption, CTaskParam* p, std::string label)
        : CParameterDlg(resourceId, p, std::move(label), false, 220, 100), editId_(editId)
    {
        AddControl(ControlKind::Static, 20001, caption, 8, 8, 70, 20);
        AddControl(ControlKind::Edit, editId, "", 80, 8, 130, 20);
        AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 20, 40, 80, 24);
        AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 110, 40, 80, 24);
        if (p->typeId == PARAM_RADIUS)
            radius_ = static_cast<CRadiusParam*>(p)->value;
        else
            number_ = static_cast<CIntParam*>(p)->value;
    }
    bool OnInitDialog() override
    {
        UpdateData(false);
        return true;
    }
    void DoDataExchange(DataExchange& dx) override
    {
        if (Parameter()->typeId == PARAM_RADIUS) {
            DDX_Text(dx, editId_, radius_);
            return;
        }
        DDX_Text(dx, editId_, number_);
        if (Parameter()->typeId == PARAM_FLAG)
            DDV_MinMaxInt(dx, number_, 0, 7);
    }

protected:
    void Store() override
    {
        if (Parameter()->typeId == PARAM_RADIUS)
            static_cast<CRadiusParam*>(Parameter())->value = radius_;
        else
            static_cast<CIntParam*>(Parameter())->value = number_;
    }

private:
    int editId_;
    float radius_ = 0;
    int number_ = 0;
};

class CTimeParamDlg : public CParameterDlg
{
public:
    CTimeParamDlg(CTaskParam* p, std::string label) : CParameterDlg(363, p, std::move(label), false, 240, 100)
    {
        AddControl(ControlKind::Static, 20001, "Hour:", 8, 8, 40, 20);
        AddControl(ControlKind::Edit, 1117, "", 48, 8, 30, 20);
        AddControl(ControlKind::Static, 20002, "Min:", 84, 8, 34, 20);
        AddControl(ControlKind::Edit, 1118, "", 118, 8, 30, 20);
        AddControl(ControlKind::Static, 20003, "Sec:", 154, 8, 34, 20);
        AddControl(ControlKind::Edit, 1119, "", 188, 8, 44, 20);
        AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 30, 40, 80, 24);
        AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 120, 40, 80, 24);
        EditorTimeFields(static_cast<CIntParam*>(p)->value, hours_, minutes_, seconds_);
    }
    bool OnInitDialog() override
    {
        UpdateData(false);
        return true;
    }
    void DoDataExchange(DataExchange& dx) override
    {
        DDX_Text(dx, 1117, hours_);
        DDV_MinMaxInt(dx, hours_, 0, 23);
        DDX_Text(dx, 1118, minutes_);
        DDV_MinMaxInt(dx, minutes_, 0, 59);
        DDX_Text(dx, 1119, seconds_);
        DDV_MinMaxFloat(dx, seconds_, 0.0f, 59.9999f);
    }

protected:
    void Store() override
    {
        static_cast<CIntParam*>(Parameter())->value = EditorTimeMs(hours_, minutes_, seconds_);
    }

private:
    int hours_ = 0, minutes_ = 0;
    float seconds_ = 0;
};

// ActionName, SoundId and TextId: an editable list whose text is stored.
class CTextParamDlg : public CParameterDlg
{
public:
    CTextParamDlg(int resourceId, int comboId, const char* caption, CTaskParam* p, std::string label)
        : CParameterDlg(resourceId, p, std::move(label), false, 260, 100), comboId_(comboId)
    {
        AddControl(ControlKind::Static, 20001, caption, 8, 8, 80, 20);
        AddControl(ControlKind::ComboBox, comboId, "", 90, 8, 160, 20);
        AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 40, 40, 80, 24);
        AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 130, 40, 80, 24);
    }
    bool OnInitDialog() override
    {
        Control* c = GetDlgItem(comboId_);
        switch (Parameter()->typeId) {
        case PARAM_ACTIONNAME: {
            const CObjectNode* model = g_ObjectPropertiesDlg ? g_ObjectPropertiesDlg->Model() : nullptr;
            for (const CObjectState* s = model ? model->firstState : nullptr; s; s = s->next)
                c->list.emplace_back(s->GetName() ? s->GetName() : "");
            break;
        }
        case PARAM_SOUNDID:
            c->list = SoundNames;
            break;
        case PARAM_TEXTID: {
            sList<sStringPair> entries;
            TextTree.Dump(entries);
            for (const sStringPair& e : entries)
                c->list.emplace_back(e.key.c_str() ? e.key.c_str() : "");
            break;
        }
        default:
            break;
        }
        // The list is sorted, as the control keeps it.
        if (Parameter()->typeId != PARAM_TEXTID)
            std::sort(c->list.begin(), c->list.end());
        c->text = static_cast<CTextParam*>(Parameter())->text;
        return true;
    }

protected:
    void Store() override { static_cast<CTextParam*>(Parameter())->text = ComboText(GetDlgItem(comboId_)); }

private:
    int comboId_;
};

// The items of kinds 0 to 2 in object-list order.
std::vector<CObjectNode*> InventoryItems()
{
    std::vector<CObjectNode*> items;
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition()) {
        const int32_t kind = d->objectLogic ? d->objectLogic->Kind() : -1;
        if (kind >= KIND_ITEM && kind <= KIND_TOOL)
            items.push_back(d);
    }
    return items;
}

class CInvItemParamDlg : public CParameterDlg
{
public:
    CInvItemParamDlg(CTaskParam* p, std::string label)
        : CParameterDlg(364, p, std::move(label), false, 260, 100)
    {
        AddControl(ControlKind::Static, 20001, "Inventory Item:", 8, 8, 100, 20);
        AddControl(ControlKind::ComboBox, IDC_ITEM, "", 110, 8, 140, 20);
        AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 40, 40, 80, 24);
        AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 130, 40, 80, 24);
    }
    bool OnInitDialog() override
    {
        items_ = InventoryItems();
        Control* c = GetDlgItem(IDC_ITEM);
        int selected = -1;
        for (size_t i = 0; i < items_.size(); ++i) {
            c->list.emplace_back(NodeName(items_[i]));
            if (items_[i] == static_cast<CInvItemParam*>(Parameter())->item)
                selected = int(i);
        }
        SelectInList(*c, selected);
        return true;
    }

protected:
    void Store() override
    {
        const int i = GetDlgItem(IDC_ITEM)->selection;
        static_cast<CInvItemParam*>(Parameter())
            ->Set(i >= 0 && size_t(i) < items_.size() ? items_[size_t(i)] : nullptr);
    }

private:
    std::vector<CObjectNode*> items_;
};

// Object and Laufflaeche: a node picked in the view.
class CPickParamDlg : public CParameterDlg
{
public:
    CPickParamDlg(CTaskParam* p, std::string label)
        : CParameterDlg(p->typeId == PARAM_OBJECT ? 360 : 367, p, std::move(label), true, 200, 80)
    {
        const bool object = p->typeId == PARAM_OBJECT;
        AddControl(ControlKind::Button, object ? 1163 : 1167, object ? "Pick Object" : "Pick Laufflaeche", 8,
                   8, 180, 24);
        AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 8, 40, 86, 24);
        AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 102, 40, 86, 24);
        value_ = static_cast<CObjectRefParam*>(p)->object;
    }
    bool OnInitDialog() override
    {
        if (g_WorldRoot) {
            WorldWalk::ClearSelection(g_WorldRoot);
            if (value_)
                value_->selected = 1;
        }
        return true;
    }
    bool OnCommand(int id) override
    {
        if (id != 1163 && id != 1167)
            return CParameterDlg::OnCommand(id);
        CWorldObject* picked = g_WorldRoot ? WorldWalk::FindSelected(g_WorldRoot) : nullptr;
        if (!picked)
            return true;
        if (id == 1163 && picked->objectKind == CWorldObject::KIND_OBJECT && picked->objectLogic)
            value_ = picked;
        // A walking surface: a placed model that has a ground map.
        if (id == 1167 && picked->objectKind == CWorldObject::KIND_MODEL && picked->HasGroundMap())
            value_ = picked;
        return true;
    }
    CWorldObject* Value() const { return value_; }

protected:
    void Store() override { static_cast<CObjectRefParam*>(Parameter())->Set(value_); }

private:
    CWorldObject* value_ = nullptr;
};

class CPositionParamDlg : public CParameterDlg
{
public:
    CPositionParamDlg(CTaskParam* p, std::string label)
        : CParameterDlg(368, p, std::move(label), true, 200, 80)
    {
        AddControl(ControlKind::Static, 20001, "Position the Locator", 8, 8, 180, 20);
        AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 8, 40, 86, 24);
        AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 102, 40, 86, 24);
    }
    bool OnInitDialog() override
    {
        if (g_WorldRoot)
            WorldWalk::ClearSelection(g_WorldRoot);
        const auto* p = static_cast<CPositionParam*>(Parameter());
        ViewLocator.position = CVector(p->x, p->y, p->z);
        ViewLocator.visible = true;
        // A left drag in a world view moves the locator in the view's plane.
        EditorDraggedPoint = &ViewLocator.position;
        EditorPointSkip = false;
        return true;
    }
    void OnDestroy() override
    {
        ViewLocator.visible = false;
        if (EditorDraggedPoint == &ViewLocator.position)
            EditorDraggedPoint = nullptr;
        CParameterDlg::OnDestroy();
    }

protected:
    void Store() override
    {
        auto* p = static_cast<CPositionParam*>(Parameter());
        p->x = ViewLocator.position.x;
        p->y = ViewLocator.position.y;
        p->z = ViewLocator.position.z;
    }
};

class CActionCodeParamDlg : public CParameterDlg
{
public:
    CActionCodeParamDlg(CTaskParam* p, std::string label)
        : CParameterDlg(365, p, std::move(label), true, 280, 170)
    {
        AddControl(ControlKind::Static, 20001, "Code:", 8, 8, 60, 20);
        Control& code = AddControl(ControlKind::ComboBox, IDC_CODE, "", 70, 8, 200, 20);
        for (int i = 0; i < 7; ++i)
            code.list.emplace_back(kActionCodeNames[i]);
        AddControl(ControlKind::Static, IDC_ITEM_LABEL, "Inventory Item:", 8, 34, 100, 20);
        AddControl(ControlKind::ComboBox, IDC_ITEM, "", 110, 34, 160, 20);
        AddControl(ControlKind::Button, IDC_PICK_ME, "Pick Me", 8, 60, 126, 24);
        AddControl(ControlKind::Button, IDC_PICK_RECEIVER, "Pick Receiver", 144, 60, 126, 24);
        AddControl(ControlKind::Static, IDC_DESCRIPTION, "Tool -> Door", 8, 92, 262, 20);
        AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 50, 124, 80, 24);
        AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 140, 124, 80, 24);
    }
    bool OnInitDialog() override
    {
        record_ = static_cast<CActionParam*>(Parameter())->action;
        code_ = record_.action;
        item_ = ActionCode::GetTarget(record_);
        receiver_ = record_.target;
        SelectInList(*GetDlgItem(IDC_CODE), code_);
        Refill();
        return true;
    }
    bool OnCommand(int id) override
    {
        switch (id) {
        case IDC_CODE:
            code_ = GetDlgItem(IDC_CODE)->selection;
            Refill();
            return true;
        case IDC_ITEM:
            item_ = ChosenItem(*this, code_);
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
            return CParameterDlg::OnCommand(id);
        }
    }

protected:
    void Store() override
    {
        item_ = ChosenItem(*this, code_);
        record_.action = code_;
        record_.item = item_;
        record_.slotCode = -1;
        record_.target = receiver_;
        auto* p = static_cast<CActionCodeParam*>(Parameter());
        p->action = record_;
        p->pending = false;
    }

private:
    void Refill()
    {
        RefillItems(*this, code_, item_, code_ >= 4);
        Describe();
    }
    void Describe()
    {
        SetDlgItemText(IDC_DESCRIPTION, ActionCodeControls::Describe(code_, receiver_, item_));
    }

    CActionEntry record_;
    int32_t code_ = 0;
    CObjectNode* item_ = nullptr;
    CWorldObject* receiver_ = nullptr;
};

class CCameraParamDlg : public CParameterDlg
{
public:
    CCameraParamDlg(CTaskParam* p, std::string label) : CParameterDlg(552, p, std::move(label), true, 200, 80)
    {
        AddControl(ControlKind::Button, 1369, "Set Camera", 8, 8, 180, 24);
        AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 8, 40, 86, 24);
        AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 102, 40, 86, 24);
    }
    bool OnInitDialog() override
    {
        const auto* p = static_cast<CCameraParam*>(Parameter());
        std::copy(p->target, p->target + 3, target_);
        std::copy(p->position, p->position + 3, eye_);
        yaw_ = p->third[0];
        pitch_ = p->third[1];
        distance_ = p->third[2];
        bool zero = true;
        for (int i = 0; i < 3; ++i)
            zero = zero && eye_[i] == 0.0f && target_[i] == 0.0f;
        // A record of zeros names no camera: the view stays where it is.
        if (!zero && CurrentView) {
            std::copy(target_, target_ + 3, CurrentView->target);
            CurrentView->yaw = yaw_;
            CurrentView->pitch = pitch_;
            if (distance_ > 0.0f)
                CurrentView->zoom = std::log(distance_) / std::log(1.3f);
        }
        return true;
    }
    bool OnCommand(int id) override
    {
        if (id != 1369)
            return CParameterDlg::OnCommand(id);
        if (!CurrentView)
            return true;
        const CCameraView& v = *CurrentView;
        std::copy(v.target, v.target + 3, target_);
        const float d = std::pow(1.3f, v.zoom);
        eye_[0] = std::sin(v.yaw) * std::cos(v.pitch) * d + target_[0];
        eye_[1] = std::sin(v.pitch) * d + target_[1];
        eye_[2] = std::cos(v.yaw) * std::cos(v.pitch) * d + target_[2];
        yaw_ = v.yaw;
        pitch_ = v.pitch;
        distance_ = d;
        return true;
    }

protected:
    void Store() override
    {
        auto* p = static_cast<CCameraParam*>(Parameter());
        std::copy(eye_, eye_ + 3, p->position);
        std::copy(target_, target_ + 3, p->target);
        p->third[0] = yaw_;
        p->third[1] = pitch_;
        p->third[2] = distance_;
    }

private:
    float target_[3] = {}, eye_[3] = {};
    float yaw_ = 0, pitch_ = 0, distance_ = 0;
};

template <class T>
bool RunModal(T& dialog)
{
    ObjectPropertiesLock = true;
    dialog.DoModal(g_TaskListDlg ? g_TaskListDlg->Owner() : nullptr);
    ObjectPropertiesLock = false;
    return true;
}

bool OpenModeless(CParameterDlg* dialog)
{
    OpenElementEditorOver(*dialog, g_TaskListDlg);
    return true;
}

} // namespace

bool OpenParameterDialog(CTaskParam* parameter, const char* label)
{
    if (!parameter || OpenElementEditor)
        return false;
    std::string text = label ? label : "";
    switch (parameter->typeId) {
    case PARAM_RADIUS: {
        CNumberParamDlg d(362, 1165, "Radius:", parameter, text);
        return RunModal(d);
    }
    case PARAM_FLAG: {
        CNumberParamDlg d(359, 1162, "Flag:", parameter, text);
        return RunModal(d);
    }
    case PARAM_NUMBER: {
        CNumberParamDlg d(361, 1164, "Number:", parameter, text);
        return RunModal(d);
    }
    case PARAM_TIME: {
        CTimeParamDlg d(parameter, text);
        return RunModal(d);
    }
    case PARAM_ACTIONNAME: {
        CTextParamDlg d(357, 1161, "Action Name:", parameter, text);
        return RunModal(d);
    }
    case PARAM_SOUNDID: {
        CTextParamDlg d(551, 1365, "Sound ID:", parameter, text);
        return RunModal(d);
    }
    case PARAM_TEXTID: {
        CTextParamDlg d(553, 1372, "Text ID:", parameter, text);
        return RunModal(d);
    }
    case PARAM_INVITEM: {
        CInvItemParamDlg d(parameter, text);
        return RunModal(d);
    }
    case PARAM_WALKAREA:
    case PARAM_OBJECT:
        return OpenModeless(new CPickParamDlg(parameter, text));
    case PARAM_POSITION:
        return OpenModeless(new CPositionParamDlg(parameter, text));
    case PARAM_ACTIONCODE:
        return OpenModeless(new CActionCodeParamDlg(parameter, text));
    case PARAM_CAMERA:
        return OpenModeless(new CCameraParamDlg(parameter, text));
    default:
        // Recorded and current action codes are the game's: nothing to edit.
        return false;
    }
}

// ---------------------------------------------------------------- action code controls

namespace ActionCodeControls {

void RefillItems(Dialog& dialog, int32_t code, const CObjectNode* item, bool enabled)
{
    Control* list = dialog.GetDlgItem(IDC_ITEM);
    if (!list)
        return;
    list->list.clear();
    list->selection = -1;
    list->text.clear();
    dialog.EnableDlgItem(IDC_ITEM, enabled);
    dialog.EnableDlgItem(IDC_ITEM_LABEL, enabled);
    if (!enabled)
        return;
    const std::vector<CObjectNode*> items = ActionCodeItems(code);
    int selected = -1;
    for (size_t i = 0; i < items.size(); ++i) {
        list->list.emplace_back(NodeName(items[i]));
        if (items[i] == item)
            selected = int(i);
    }
    SelectInList(*list, selected);
}

CObjectNode* ChosenItem(const Dialog& dialog, int32_t code)
{
    const Control* list = dialog.GetDlgItem(IDC_ITEM);
    if (!list || !list->enabled || list->selection < 0)
        return nullptr;
    const std::vector<CObjectNode*> items = ActionCodeItems(code);
    return size_t(list->selection) < items.size() ? items[size_t(list->selection)] : nullptr;
}

std::string Describe(int32_t code, CWorldObject* receiver, CObjectNode* item)
{
    CActionEntry record;
    record.init(code, receiver, item);
    return ActionCode::Describe(record);
}

CWorldObject* PickedObject()
{
    CWorldObject* picked = g_WorldRoot ? WorldWalk::FindSelected(g_WorldRoot) : nullptr;
    return picked && picked->objectKind == CWorldObject::KIND_OBJECT && picked->objectLogic ? picked
                                                                                            : nullptr;
}

} // namespace ActionCodeControls
