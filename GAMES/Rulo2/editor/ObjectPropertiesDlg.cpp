#include "GAMES/Rulo2/editor/ObjectPropertiesDlg.h"

#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/editor/EditDialogsDlg.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/LogPrintf.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using platform::ui::ControlKind;

namespace {

const char* const kKindNames[kObjectKinds] = {
    "Item",          "Item - Beute",  "Item - Tool",      "Immobilie",           "Character - A",
    "Character - B", "Character - C", "Durchgang - Tuer", "Durchgang - Fenster", "Car",
};
const std::vector<std::string> kMaterials = {"Glas", "Wood", "Steel", "HighTech"};
const std::vector<std::string> kCrackTypes = {"Undefined", "PickLocks", "PickSafes", "AlarmSystems"};

enum class FieldType
{
    Float, // a float, or a stored word read as one
    Int,   // a stored word read as a signed number
    Short,
    Byte, // a check box
    Text,
    Material, // a list of kMaterials
    Crack,    // a list of kCrackTypes
};

// Where a field's value lives in the bound kind data and kind state.
struct SFieldRef
{
    uint32_t* word = nullptr;
    float* number = nullptr;
    int16_t* shortValue = nullptr;
    uint8_t* byte = nullptr;
    std::string* text = nullptr;
};

using FieldAccess = SFieldRef (*)(CKindData* data, CKindState* state);

struct SField
{
    int kind;
    int id;
    const char* label;
    FieldType type;
    FieldAccess at;
};

template <int I>
SFieldRef Value(CKindData* data, CKindState*)
{
    SFieldRef r;
    if (data && I < data->ValueCount())
        r.word = &data->Values()[I];
    return r;
}

template <class S, class M>
SFieldRef StateField(CKindState* state, M S::*member)
{
    SFieldRef r;
    auto* s = dynamic_cast<S*>(state);
    if (!s)
        return r;
    auto* p = &(s->*member);
    if constexpr (std::is_same_v<std::remove_pointer_t<decltype(p)>, float>)
        r.number = p;
    else if constexpr (std::is_same_v<std::remove_pointer_t<decltype(p)>, int16_t>)
        r.shortValue = p;
    else
        r.byte = p;
    return r;
}

#define STATE(S, M) [](CKindData*, CKindState* s) { return StateField(s, &S::M); }

SFieldRef Occupation(CKindData* data, CKindState*)
{
    SFieldRef r;
    if (auto* a = dynamic_cast<CCharacterAKindData*>(data))
        r.text = &a->occupation;
    return r;
}

// The kind panels: control, label, type and field, in the order of each kind's record.
const SField kFields[] = {
    {0, 1191, "Weight:", FieldType::Float, Value<0>},
    {1, 1193, "Weight:", FieldType::Float, Value<0>},
    {1, 1195, "Value:", FieldType::Float, Value<1>},
    {2, 1201, "Weight:", FieldType::Float, Value<0>},
    {2, 1203, "Value:", FieldType::Float, Value<1>},
    {2, 1205, "AlarmSystems:", FieldType::Float, Value<2>},
    {2, 1207, "PickLocks:", FieldType::Float, Value<3>},
    {2, 1209, "PickSafes:", FieldType::Float, Value<4>},
    {2, 1211, "Strength:", FieldType::Float, Value<5>},
    {2, 1215, "Volume:", FieldType::Int, Value<6>},
    {2, 1268, "Damaging", FieldType::Byte, Value<7>},
    {2, 1270, "Applicability Glas:", FieldType::Float, Value<8>},
    {2, 1271, "Wood:", FieldType::Float, Value<9>},
    {2, 1272, "Steel:", FieldType::Float, Value<10>},
    {2, 1277, "HighTech:", FieldType::Float, Value<11>},
    {2, 1274, "Noise Glas:", FieldType::Float, Value<12>},
    {2, 1275, "Wood:", FieldType::Float, Value<13>},
    {2, 1276, "Steel:", FieldType::Float, Value<14>},
    {2, 1278, "HighTech:", FieldType::Float, Value<15>},
    {2, 1217, "Condition:", FieldType::Float, STATE(CToolState, condition)},
    {3, 1221, "WorkingTime:", FieldType::Float, Value<0>},
    {3, 1311, "Material:", FieldType::Material, Value<1>},
    {3, 1323, "CrackType:", FieldType::Crack, Value<2>},
    {3, 1263, "Open", FieldType::Byte, STATE(CFixedState, open)},
    {3, 1200, "Active", FieldType::Byte, STATE(CFixedState, active)},
    {3, 1269, "Locked", FieldType::Byte, STATE(CFixedState, locked)},
    {4, 1225, "Speed:", FieldType::Float, Value<0>},
    {4, 1150, "Occupation:", FieldType::Text, Occupation},
    {4, 1223, "Age:", FieldType::Short, STATE(CCharacterAState, age)},
    {4, 1227, "Skillfulness:", FieldType::Float, STATE(CCharacterAState, skillfulness)},
    {4, 1229, "AlarmSystems:", FieldType::Float, STATE(CCharacterAState, alarmSystems)},
    {4, 1231, "Weight:", FieldType::Float, STATE(CCharacterAState, weight)},
    {4, 1233, "PickLocks:", FieldType::Float, STATE(CCharacterAState, pickLocks)},
    {4, 1235, "PickSafes:", FieldType::Float, STATE(CCharacterAState, pickSafes)},
    {4, 1237, "Fighting:", FieldType::Float, STATE(CCharacterAState, fighting)},
    {4, 1239, "Strength:", FieldType::Float, STATE(CCharacterAState, strength)},
    {4, 1241, "CrimeRecords:", FieldType::Float, STATE(CCharacterAState, crimeRecords)},
    {4, 1243, "Coolness:", FieldType::Float, STATE(CCharacterAState, coolness)},
    {4, 1199, "Attackable", FieldType::Byte, STATE(CCharacterAState, attackable)},
    {5, 1279, "Speed:", FieldType::Float, Value<0>},
    {6, 1281, "Speed:", FieldType::Float, Value<0>},
    {7, 1247, "WorkingTime:", FieldType::Float, Value<0>},
    {7, 1313, "Material:", FieldType::Material, Value<1>},
    {7, 1325, "CrackType:", FieldType::Crack, Value<2>},
    {7, 1265, "Open", FieldType::Byte, STATE(CPassageState, open)},
    {7, 1264, "Locked", FieldType::Byte, STATE(CPassageState, locked)},
    {8, 1251, "WorkingTime:", FieldType::Float, Value<0>},
    {8, 1315, "Material:", FieldType::Material, Value<1>},
    {8, 1327, "CrackType:", FieldType::Crack, Value<2>},
    {8, 1267, "Open", FieldType::Byte, STATE(CPassageState, open)},
    {8, 1266, "Locked", FieldType::Byte, STATE(CPassageState, locked)},
    {9, 1253, "Transp.Space:", FieldType::Float, Value<0>},
    {9, 1255, "MaxSpeed:", FieldType::Float, Value<1>},
    {9, 1257, "Acceleration:", FieldType::Float, Value<2>},
    {9, 1259, "Value:", FieldType::Float, Value<3>},
    {9, 1261, "Driving:", FieldType::Float, Value<4>},
};

#undef STATE

const SField* FindField(int id)
{
    for (const SField& f : kFields)
        if (f.id == id)
            return &f;
    return nullptr;
}

// Labels: ids of their own, above any control id (a field's label at the
// field's id over the base).
constexpr int kLabelBase = 20000;
constexpr int kPanelX = 190;

bool IsList(FieldType t)
{
    return t == FieldType::Material || t == FieldType::Crack;
}

std::string FloatText(float v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", double(v));
    return text;
}

// The text of an edit as a number; false when it does not parse.
bool ParseFloat(const std::string& text, float& out)
{
    char* end = nullptr;
    const float v = std::strtof(text.c_str(), &end);
    if (text.empty() || (end && *end))
        return false;
    out = v;
    return true;
}

bool ParseInt(const std::string& text, long& out)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || (end && *end))
        return false;
    out = v;
    return true;
}

// The Task List starts afresh on a main task list (null: none).
void ShowMainTaskList(CTaskList* list)
{
    if (!g_TaskListDlg)
        return;
    g_TaskListDlg->backStack.clear();
    g_TaskListDlg->SetTaskList(list);
}

} // namespace

ObjectPropertiesDlg::ObjectPropertiesDlg()
    : CToolWindow(IDD, "ObjectPropertiesDlg", "Properties", false, "ShowObjectProperties",
                  &g_ShowObjectProperties, kWidth, kHeight)
{
    AddControl(ControlKind::Static, kLabelBase + 1, "Object Type:", 8, 8, 80, 20);
    platform::ui::Control& kind = AddControl(ControlKind::ComboBox, IDC_KIND, "", 90, 8, 95, 20);
    for (const char* k : kKindNames)
        kind.list.emplace_back(k);
    AddControl(ControlKind::Static, kLabelBase + 2, "ID:", 8, 34, 80, 20);
    AddControl(ControlKind::Edit, IDC_NAME, "", 90, 34, 95, 20);
    AddControl(ControlKind::Static, kLabelBase + 3, "Story:", 8, 60, 80, 20);
    AddControl(ControlKind::Edit, IDC_STORY, "", 90, 60, 95, 20);
    AddControl(ControlKind::CheckBox, IDC_CLICKABLE, "Clickable", 8, 88, 175, 20);
    AddControl(ControlKind::CheckBox, IDC_PROCESS_VISIBLE, "Process When Visible", 8, 110, 175, 20);
    AddControl(ControlKind::CheckBox, IDC_PROCESS_ALWAYS, "Process Always", 8, 132, 175, 20);
    AddControl(ControlKind::Button, IDC_DIALOGS, "Dialogs", 8, 160, 175, 22);
    AddControl(ControlKind::Button, IDC_RESET, "Reset To Default", 8, 188, 175, 22);
    AddControl(ControlKind::Button, IDC_SHOW_TASK_LIST, "Show Main-Task-List", 8, 216, 175, 22);
    // Each kind's panel lies kPanelStep pixels right of the one before.
    int row[kObjectKinds] = {};
    for (const SField& f : kFields) {
        const int x = kPanelX + f.kind * kPanelStep;
        const int y = 8 + 22 * row[f.kind]++;
        if (f.type == FieldType::Byte) {
            AddControl(ControlKind::CheckBox, f.id, f.label, x, y, 190, 20);
            continue;
        }
        AddControl(ControlKind::Static, kLabelBase + f.id, f.label, x, y, 110, 20);
        platform::ui::Control& c = AddControl(IsList(f.type) ? ControlKind::ComboBox : ControlKind::Edit,
                                              f.id, "", x + 112, y, 78, 20);
        if (IsList(f.type))
            c.list = f.type == FieldType::Material ? kMaterials : kCrackTypes;
    }
}

bool ObjectPropertiesDlg::OnInitDialog()
{
    CToolWindow::OnInitDialog();
    for (const SField& f : kFields)
        for (int id : {f.id, kLabelBase + f.id})
            if (platform::ui::Control* c = GetDlgItem(id)) {
                c->x -= f.kind * kPanelStep;
                c->visible = false;
            }
    Bind();
    return true;
}

bool ObjectPropertiesDlg::PanelShown(int kind) const
{
    for (const SField& f : kFields)
        if (f.kind == kind) {
            const platform::ui::Control* c = GetDlgItem(f.id);
            return c && c->visible;
        }
    return false;
}

bool ObjectPropertiesDlg::Modified() const
{
    return logic_ && logic_->ownDefinition;
}

CKindData* ObjectPropertiesDlg::Data() const
{
    return logic_ ? logic_->ownKindData.get() : nullptr;
}

CKindState* ObjectPropertiesDlg::State() const
{
    return logic_ ? logic_->ownConditions.get() : nullptr;
}

void ObjectPropertiesDlg::Forget(const CNode* node)
{
    if (!node || (node != node_ && node != model_))
        return;
    // The node goes with its logic: nothing of it may be touched any more.
    node_ = nullptr;
    model_ = nullptr;
    logic_ = nullptr;
    Bind();
}

void ObjectPropertiesDlg::SetObject(CObjectLogic* logic, CWorldObject* node, CObjectNode* model)
{
    if (node_ && node_->objectLogic && node_ != node)
        node_->objectLogic->ReleaseTaskLists();
    logic_ = logic;
    node_ = node;
    model_ = model ? model : (node ? node->Definition() : nullptr);
    Bind();
}

void ObjectPropertiesDlg::ClearAll()
{
    kind_ = -1;
    for (const platform::ui::Control& c : Controls()) {
        platform::ui::Control* m = GetDlgItem(c.id);
        if (!m || c.kind == ControlKind::Static || c.kind == ControlKind::Button)
            continue;
        if (c.kind == ControlKind::CheckBox)
            m->check = platform::ui::BST_UNCHECKED;
        else if (c.kind != ControlKind::Tree)
            m->text.clear();
        m->selection = -1;
    }
    ShowPanel(-1);
}

void ObjectPropertiesDlg::EnableAll(bool enable)
{
    for (const platform::ui::Control& c : Controls())
        EnableDlgItem(c.id, enable);
}

void ObjectPropertiesDlg::ShowPanel(int kind)
{
    for (const SField& f : kFields)
        for (int id : {f.id, kLabelBase + f.id})
            if (platform::ui::Control* c = GetDlgItem(id))
                c->visible = f.kind == kind;
    if (platform::ui::Control* dialogs = GetDlgItem(IDC_DIALOGS))
        dialogs->visible = kind == KIND_CHARACTER_A || kind == KIND_CHARACTER_B;
}

void ObjectPropertiesDlg::UpdateResetButton()
{
    platform::ui::Control* reset = GetDlgItem(IDC_RESET);
    if (!reset)
        return;
    reset->visible = node_ != nullptr;
    const bool defaults = model_ && model_->objectLogic && model_->objectLogic->ownKindData;
    reset->enabled = node_ && defaults && Modified();
}

void ObjectPropertiesDlg::Bind()
{
    if (!IsWindow())
        return;
    if (!logic_ || (!model_ && !node_)) {
        logic_ = nullptr;
        ClearAll();
        EnableAll(false);
        SetWindowText("Properties");
        ShowMainTaskList(nullptr);
        return;
    }
    EnableAll(true);
    char caption[256];
    std::snprintf(caption, sizeof caption, "%s Properties for '%s'", node_ ? "" : "Default",
                  model_ && model_->GetName() ? model_->GetName() : "");
    SetWindowText(caption);
    UpdateResetButton();
    const CObjectLogic* defaults = model_ ? model_->objectLogic : nullptr;
    const bool copyDefaults = node_ && !Modified() && defaults && defaults->ownKindData && defaults != logic_;
    if (!logic_->ownKindData) {
        if (copyDefaults) {
            logic_->ownKindData = CKindData::Create(defaults->ownKindData->kind);
            if (logic_->ownKindData)
                logic_->ownKindData->Copy(*defaults->ownKindData);
        }
        if (!logic_->ownKindData) {
            logic_->ownKindData = CKindData::Create(KIND_ITEM);
            logic_->ownKindData->name = model_ && model_->GetName() ? model_->GetName() : "";
        }
    }
    const int32_t kind = logic_->ownKindData->kind;
    if (!logic_->ownConditions || logic_->ownConditions->kind != kind) {
        logic_->ownConditions = CKindState::Create(kind);
        if (copyDefaults && defaults->ownConditions && defaults->ownConditions->kind == kind &&
            logic_->ownConditions)
            logic_->ownConditions->CopyFrom(*defaults->ownConditions);
    }
    if (!logic_->ownTaskList) {
        logic_->ownTaskList = std::make_unique<CTaskList>();
        if (copyDefaults && defaults->ownTaskList)
            logic_->ownTaskList->Copy(*defaults->ownTaskList);
    }
    kind_ = kind;
    ShowMainTaskList(logic_->ownTaskList.get());
    ToControls();
}

void ObjectPropertiesDlg::ToControls()
{
    CKindData* data = Data();
    CKindState* state = State();
    if (!data)
        return;
    if (platform::ui::Control* k = GetDlgItem(IDC_KIND)) {
        k->selection = kind_;
        k->text = kind_ >= 0 && kind_ < kObjectKinds ? kKindNames[kind_] : "";
    }
    SetDlgItemText(IDC_NAME, data->name);
    SetDlgItemText(IDC_STORY, std::to_string(data->minBurglaryLevel));
    GetDlgItem(IDC_CLICKABLE)->check = data->clickable ? 1 : 0;
    GetDlgItem(IDC_PROCESS_VISIBLE)->check = data->processWhenVisible ? 1 : 0;
    GetDlgItem(IDC_PROCESS_ALWAYS)->check = data->processAlways ? 1 : 0;
    for (const SField& f : kFields) {
        if (f.kind != kind_)
            continue;
        platform::ui::Control* c = GetDlgItem(f.id);
        const SFieldRef r = f.at(data, state);
        switch (f.type) {
        case FieldType::Float:
            c->text = r.word ? FloatText(WordAsFloat(*r.word)) : r.number ? FloatText(*r.number) : "";
            break;
        case FieldType::Int:
            c->text = r.word ? std::to_string(int32_t(*r.word)) : "";
            break;
        case FieldType::Short:
            c->text = r.shortValue ? std::to_string(*r.shortValue) : "";
            break;
        case FieldType::Byte:
            c->check = (r.word && *r.word) || (r.byte && *r.byte) ? 1 : 0;
            break;
        case FieldType::Text:
            c->text = r.text ? *r.text : "";
            break;
        case FieldType::Material:
        case FieldType::Crack:
            c->selection = r.word ? int32_t(*r.word) : -1;
            c->text = c->selection >= 0 && size_t(c->selection) < c->list.size()
                          ? c->list[size_t(c->selection)]
                          : "";
            break;
        }
    }
    ShowPanel(kind_);
}

void ObjectPropertiesDlg::MarkModified()
{
    if (logic_)
        logic_->ownDefinition = 1;
    UpdateResetButton();
}

bool ObjectPropertiesDlg::OnCommand(int id)
{
    if (!logic_ || !Data()) {
        return CToolWindow::OnCommand(id);
    }
    switch (id) {
    case IDC_KIND:
        KindChanged();
        return true;
    case IDC_NAME:
    case IDC_STORY:
    case IDC_CLICKABLE:
    case IDC_PROCESS_VISIBLE:
    case IDC_PROCESS_ALWAYS:
        CommonChanged(id);
        return true;
    case IDC_RESET:
        ResetToDefault();
        return true;
    case IDC_SHOW_TASK_LIST:
        ShowTaskList();
        return true;
    case IDC_DIALOGS:
        EditDialogs();
        return true;
    default:
        if (FindField(id)) {
            FieldChanged(id);
            return true;
        }
        return CToolWindow::OnCommand(id);
    }
}

void ObjectPropertiesDlg::CommonChanged(int id)
{
    CKindData* data = Data();
    platform::ui::Control* c = GetDlgItem(id);
    switch (id) {
    case IDC_NAME:
        if (c->text.empty()) {
            // An object needs a name: the old one goes back.
            c->text = data->name;
            return;
        }
        if (c->text == data->name)
            return;
        data->name = c->text;
        break;
    case IDC_STORY: {
        long v = 0;
        if (!ParseInt(c->text, v) || v < 0 || v > 100) {
            LogPrintf("Please enter an integer between 0 and 100.");
            c->text = std::to_string(data->minBurglaryLevel);
            return;
        }
        if (v == data->minBurglaryLevel)
            return;
        data->minBurglaryLevel = int32_t(v);
        break;
    }
    default: {
        uint8_t& flag = id == IDC_CLICKABLE         ? data->clickable
                        : id == IDC_PROCESS_VISIBLE ? data->processWhenVisible
                                                    : data->processAlways;
        const uint8_t now = c->check == platform::ui::BST_CHECKED ? 1 : 0;
        if (now == flag)
            return;
        flag = now;
        break;
    }
    }
    MarkModified();
}

void ObjectPropertiesDlg::FieldChanged(int id)
{
    const SField* f = FindField(id);
    platform::ui::Control* c = GetDlgItem(id);
    if (!f || !c || f->kind != kind_)
        return;
    const SFieldRef r = f->at(Data(), State());
    bool changed = false;
    switch (f->type) {
    case FieldType::Float: {
        float v = 0;
        if (!ParseFloat(c->text, v))
            return;
        if (r.word && WordAsFloat(*r.word) != v) {
            *r.word = FloatAsWord(v);
            changed = true;
        } else if (r.number && *r.number != v) {
            *r.number = v;
            changed = true;
        }
        break;
    }
    case FieldType::Int:
    case FieldType::Short: {
        long v = 0;
        if (!ParseInt(c->text, v))
            return;
        if (r.word && int32_t(*r.word) != v) {
            *r.word = uint32_t(int32_t(v));
            changed = true;
        } else if (r.shortValue && *r.shortValue != v) {
            *r.shortValue = int16_t(v);
            changed = true;
        }
        break;
    }
    case FieldType::Byte: {
        const uint8_t v = c->check == platform::ui::BST_CHECKED ? 1 : 0;
        if (r.word && *r.word != v) {
            *r.word = v;
            changed = true;
        } else if (r.byte && *r.byte != v) {
            *r.byte = v;
            changed = true;
        }
        break;
    }
    case FieldType::Text:
        if (!r.text)
            return;
        if (c->text.empty()) {
            c->text = *r.text;
            return;
        }
        if (c->text != *r.text) {
            *r.text = c->text;
            changed = true;
        }
        break;
    case FieldType::Material:
    case FieldType::Crack:
        if (r.word && c->selection >= 0 && *r.word != uint32_t(c->selection)) {
            *r.word = uint32_t(c->selection);
            changed = true;
        }
        break;
    }
    if (changed)
        MarkModified();
}

void ObjectPropertiesDlg::KindChanged()
{
    const int kind = GetDlgItem(IDC_KIND)->selection;
    if (kind < 0 || kind >= kObjectKinds || kind == kind_)
        return;
    std::unique_ptr<CKindData> data = CKindData::Create(kind);
    const CKindData* old = Data();
    data->name = old->name;
    data->minBurglaryLevel = old->minBurglaryLevel;
    data->clickable = old->clickable;
    data->processWhenVisible = old->processWhenVisible;
    data->processAlways = old->processAlways;
    // The run-time view of the logic must not keep the old records.
    if (logic_->kindData == old)
        logic_->kindData = data.get();
    logic_->ownKindData = std::move(data);
    logic_->ownConditions = CKindState::Create(kind);
    kind_ = kind;
    MarkModified();
    ToControls();
}

void ObjectPropertiesDlg::ResetToDefault()
{
    if (!node_ || !model_ || !model_->objectLogic || !model_->objectLogic->ownKindData)
        return;
    logic_->ownDefinition = 0;
    logic_->ReleaseTaskLists();
    Bind();
}

void ObjectPropertiesDlg::ShowTaskList()
{
    ShowMainTaskList(logic_->ownTaskList.get());
    g_ShowTaskList = true;
    if (g_TaskListDlg)
        g_TaskListDlg->ShowWindow(platform::SW_SHOWNA);
    if (g_DependencyListDlg)
        g_DependencyListDlg->ShowWindow(platform::SW_SHOWNA);
}

void ObjectPropertiesDlg::EditDialogs()
{
    auto* state = dynamic_cast<CCharacterState*>(State());
    if (!state || (kind_ != KIND_CHARACTER_A && kind_ != KIND_CHARACTER_B))
        return;
    EditDialogsDlg dialog;
    dialog.entries = CopyDialogEntries(state->entries);
    if (dialog.DoModal(Owner()) != platform::ui::IDOK)
        return;
    state->entries = std::move(dialog.entries);
    MarkModified();
}

void ObjectPropertiesForget(const CNode* node)
{
    if (g_ObjectPropertiesDlg)
        g_ObjectPropertiesDlg->Forget(node);
}
