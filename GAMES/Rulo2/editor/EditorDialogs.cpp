#include "GAMES/Rulo2/editor/EditorDialogs.h"

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/render/WorldLights.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/ui/ColorDialog.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

using platform::ui::ControlKind;
using platform::ui::DataExchange;

namespace {

constexpr float kPi = 3.14159265f;
// One degree in radians, as the light dialog widens equal cone angles.
constexpr float kOneDegree = 0.017453294f;

platform::HWND MainHwnd()
{
    platform::Application* app = platform::GetApp();
    return app ? app->m_pMainWnd : nullptr;
}

// A label and an edit field in one row.
void Field(platform::ui::Dialog& d, int id, const char* label, int x, int y, int width = 70)
{
    d.AddControl(ControlKind::Static, 0, label, x, y + 2, 90, 20);
    d.AddControl(ControlKind::Edit, id, "", x + 92, y, width, 22);
}

void OkCancel(platform::ui::Dialog& d, int x, int y)
{
    d.AddControl(ControlKind::Button, platform::ui::IDOK, "OK", x, y, 72, 24);
    d.AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", x + 80, y, 72, 24);
}

} // namespace

// ---------------------------------------------------------------- question

YesAllNoAllDlg::YesAllNoAllDlg(platform::HWND parent) : Dialog(IDD, "Dialog", 420, 120), parent_(parent)
{
    AddControl(ControlKind::Static, kQuestion, "", 10, 10, 400, 40);
    const struct
    {
        int id;
        const char* caption;
    } buttons[] = {
        {3, "&Yes"}, {4, "Yes &All"}, {5, "&No"}, {6, "No A&ll"}, {platform::ui::IDCANCEL, "&Cancel"}};
    int x = 10;
    for (const auto& b : buttons) {
        AddControl(ControlKind::Button, b.id, b.caption, x, 60, 74, 24);
        x += 80;
    }
}

void YesAllNoAllDlg::DoDataExchange(DataExchange& dx)
{
    DDX_Text(dx, kQuestion, question);
}

int YesAllNoAllDlg::Ask(const std::string& text)
{
    question = text;
    return DoModal(parent_ ? parent_ : MainHwnd());
}

bool YesAllNoAllDlg::OnCommand(int id)
{
    switch (id) {
    case 3:
        EndDialog(kYes);
        return true;
    case 4:
        EndDialog(kYesToAll);
        return true;
    case 5:
        EndDialog(kNo);
        return true;
    case 6:
        EndDialog(kNoToAll);
        return true;
    case platform::ui::IDCANCEL:
        EndDialog(kCancel);
        return true;
    default:
        return Dialog::OnCommand(id);
    }
}

int ShowPromptDialog(const std::string& text)
{
    YesAllNoAllDlg dialog;
    return dialog.Ask(text);
}

// ---------------------------------------------------------------- names

namespace {

struct NameKind
{
    int resource;
    const char* caption;
    const char* prompt;
    int edit;
};
const NameKind kNameKinds[] = {
    {369, "New Folder", "Name of the new folder:", 1173},
    {370, "New Group", "Name of the new group:", 1174},
    {371, "New Object", "Name of the new object:", 1175},
    {372, "New Action", "Name of the new action:", 1176},
    {373, "New Macro", "Name of the new macro:", 1178},
    {390, "Apply Actions",
     "Apply current objects' actions to objects that have the following action in their action-list:", 1176},
};

} // namespace

NameDlg::NameDlg(Kind kind)
    : Dialog(kNameKinds[kind].resource, kNameKinds[kind].caption, 320, 130), editId_(kNameKinds[kind].edit)
{
    AddControl(ControlKind::Static, 0, kNameKinds[kind].prompt, 10, 8, 300, 36);
    AddControl(ControlKind::Edit, editId_, "", 10, 48, 300, 22);
    OkCancel(*this, 150, 80);
}

void NameDlg::DoDataExchange(DataExchange& dx)
{
    DDX_Text(dx, editId_, name);
}

StartPlanningModeDlg::StartPlanningModeDlg() : Dialog(IDD, "Start Planning Mode", 240, 90)
{
    Field(*this, kNumber, "Burglary Number:", 10, 8);
    OkCancel(*this, 40, 50);
}

bool StartPlanningModeDlg::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void StartPlanningModeDlg::DoDataExchange(DataExchange& dx)
{
    DDX_Text(dx, kNumber, number);
}

bool AskStartPlanningMode(int32_t& number)
{
    StartPlanningModeDlg dialog;
    dialog.number = number;
    if (dialog.DoModal(MainHwnd()) != platform::ui::IDOK)
        return false;
    number = dialog.number;
    return true;
}

AddSoundFxDlg::AddSoundFxDlg() : Dialog(IDD, "Add Sound-FX", 260, 90)
{
    AddControl(ControlKind::Static, 0, "Sound-FX Name:", 10, 10, 100, 20);
    AddControl(ControlKind::ComboBox, kName, "", 110, 8, 140, 22);
    OkCancel(*this, 50, 50);
}

bool AddSoundFxDlg::OnInitDialog()
{
    GetDlgItem(kName)->list = SoundNames;
    // The first entry even when there is none: the caller checks the list.
    soundIndex = 0;
    UpdateData(false);
    return true;
}

void AddSoundFxDlg::DoDataExchange(DataExchange& dx)
{
    platform::ui::Control* list = GetDlgItem(kName);
    if (dx.Saving()) {
        soundIndex = list->selection < 0 ? 0 : list->selection;
        return;
    }
    list->selection = soundIndex < int(list->list.size()) ? soundIndex : -1;
    list->text = list->selection >= 0 ? list->list[size_t(list->selection)] : std::string();
}

PositionCameraDlg::PositionCameraDlg() : Dialog(IDD, "Position Camera", 220, 140)
{
    Field(*this, kX, "X:", 10, 8);
    Field(*this, kY, "Y:", 10, 36);
    Field(*this, kZ, "Z:", 10, 64);
    OkCancel(*this, 30, 100);
}

bool PositionCameraDlg::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void PositionCameraDlg::DoDataExchange(DataExchange& dx)
{
    DDX_Text(dx, kX, x);
    DDX_Text(dx, kY, y);
    DDX_Text(dx, kZ, z);
}

void PositionCameraDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    CurrentView->target[0] = float(x);
    CurrentView->target[1] = float(y);
    CurrentView->target[2] = float(z);
    EndDialog(platform::ui::IDOK);
}

std::string AskName(NameDlg::Kind kind)
{
    NameDlg dialog(kind);
    if (dialog.DoModal(MainHwnd()) != platform::ui::IDOK)
        return std::string();
    return dialog.name;
}

// ---------------------------------------------------------------- about

const std::string& BuildString()
{
    static const std::string build = [] {
        char text[64];
        std::snprintf(text, sizeof text, "%s %s", __DATE__, __TIME__);
        return std::string(text);
    }();
    return build;
}

AboutDlg::AboutDlg() : Dialog(IDD, "About", 280, 130)
{
    AddControl(ControlKind::Static, 0, "The Varek! Demo", 16, 12, 250, 20);
    AddControl(ControlKind::Static, 0, "Build Date:", 16, 40, 80, 20);
    AddControl(ControlKind::Static, kBuild, "", 100, 40, 170, 20);
    AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 190, 80, 72, 24);
}

bool AboutDlg::OnInitDialog()
{
    SetDlgItemText(kBuild, BuildString());
    return true;
}

// ---------------------------------------------------------------- planes and ranges

ClippingPlaneDlg::ClippingPlaneDlg() : Dialog(IDD, "Adjust Clipping Plane", 220, 110)
{
    Field(*this, kNear, "Near:", 10, 8);
    Field(*this, kFar, "Far:", 10, 36);
    OkCancel(*this, 50, 70);
}

void ClippingPlaneDlg::DoDataExchange(DataExchange& dx)
{
    DDX_Text(dx, kFar, farPlane);
    DDX_Text(dx, kNear, nearPlane);
}

CameraRangeDlg::CameraRangeDlg() : Dialog(IDD, "Camera Range", 220, 110)
{
    Field(*this, kInner, "Inner Range:", 10, 8);
    Field(*this, kOuter, "Outer Range:", 10, 36);
    OkCancel(*this, 50, 70);
}

void CameraRangeDlg::DoDataExchange(DataExchange& dx)
{
    DDX_Text(dx, kInner, innerRange);
    DDV_MinMaxFloat(dx, innerRange, 0, 1000);
    DDX_Text(dx, kOuter, outerRange);
    DDV_MinMaxFloat(dx, outerRange, 0, 1000);
}

// ---------------------------------------------------------------- colour and range

SelectColorDlg::SelectColorDlg() : Dialog(IDD, "Select...", 260, 200)
{
    AddControl(ControlKind::Static, kSwatch, "", 180, 8, 60, 60);
    AddControl(ControlKind::Button, kSelect, "Select...", 180, 74, 60, 24);
    Field(*this, kRed, "Red:", 10, 8);
    Field(*this, kGreen, "Green:", 10, 36);
    Field(*this, kBlue, "Blue:", 10, 64);
    Field(*this, kStart, "Start:", 10, 100);
    Field(*this, kEnd, "End:", 10, 128);
    OkCancel(*this, 90, 162);
}

bool SelectColorDlg::OnInitDialog()
{
    // Only the swatch's rectangle is used: the window fills it with the colour.
    if (platform::ui::Control* swatch = GetDlgItem(kSwatch))
        swatch->visible = false;
    UpdateData(false);
    return true;
}

bool SelectColorDlg::OnCommand(int id)
{
    if (id != kSelect)
        return Dialog::OnCommand(id);
    if (!UpdateData(true))
        return true;
    if (ChooseColour(red, green, blue))
        UpdateData(false);
    return true;
}

void SelectColorDlg::DoDataExchange(DataExchange& dx)
{
    DDX_Text(dx, kBlue, blue);
    DDX_Text(dx, kStart, start);
    DDX_Text(dx, kGreen, green);
    DDX_Text(dx, kRed, red);
    DDX_Text(dx, kEnd, end);
}

bool ChooseColour(int& red, int& green, int& blue)
{
    platform::ui::ColorDialog dialog(uint32_t(red & 0xFF) | uint32_t(green & 0xFF) << 8 |
                                     uint32_t(blue & 0xFF) << 16);
    if (dialog.DoModal(MainHwnd()) != platform::ui::IDOK)
        return false;
    const uint32_t c = dialog.GetColor();
    red = int(c & 0xFF);
    green = int(c >> 8 & 0xFF);
    blue = int(c >> 16 & 0xFF);
    return true;
}

// The members into the controls, as every dialog starts.
bool YesAllNoAllDlg::OnInitDialog()
{
    UpdateData(false);
    return true;
}

bool NameDlg::OnInitDialog()
{
    UpdateData(false);
    return true;
}

bool ClippingPlaneDlg::OnInitDialog()
{
    UpdateData(false);
    return true;
}

bool CameraRangeDlg::OnInitDialog()
{
    UpdateData(false);
    return true;
}

// ---------------------------------------------------------------- light properties

LightPropertiesDlg::LightPropertiesDlg() : Dialog(IDD, "Light Properties", 360, 300)
{
    Field(*this, kRed, "Red:", 10, 8);
    Field(*this, kGreen, "Green:", 10, 36);
    Field(*this, kBlue, "Blue:", 10, 64);
    AddControl(ControlKind::Button, kSelect, "Select", 10, 94, 80, 24);
    AddControl(ControlKind::CheckBox, kSpotlight, "Spotlight", 190, 8, 150, 20);
    Field(*this, kInner, "InnerAngle:", 180, 36);
    Field(*this, kOuter, "OuterAngle:", 180, 64);
    Field(*this, kRange, "Range:", 180, 92);
    Field(*this, kConstant, "Constant:", 10, 130);
    Field(*this, kLinear, "Linear:", 10, 158);
    Field(*this, kQuadratic, "Quadratic:", 10, 186);
    AddControl(ControlKind::CheckBox, kPhase1, "Phase1 (00:00)", 190, 130, 150, 20);
    AddControl(ControlKind::CheckBox, kPhase2, "Phase2 (06:00)", 190, 154, 150, 20);
    AddControl(ControlKind::CheckBox, kPhase3, "Phase3 (12:00)", 190, 178, 150, 20);
    AddControl(ControlKind::CheckBox, kCustom, "Custom", 190, 202, 150, 20);
    OkCancel(*this, 190, 250);
}

void LightPropertiesDlg::EnableAngles()
{
    const platform::ui::Control* check = GetDlgItem(kSpotlight);
    const bool spot = check && check->check == platform::ui::BST_CHECKED;
    EnableDlgItem(kInner, spot);
    EnableDlgItem(kOuter, spot);
}

bool LightPropertiesDlg::OnInitDialog()
{
    UpdateData(false);
    EnableAngles();
    return true;
}

bool LightPropertiesDlg::OnCommand(int id)
{
    if (id == kSpotlight) {
        EnableAngles();
        return true;
    }
    if (id == kSelect) {
        if (UpdateData(true) && ChooseColour(red, green, blue))
            UpdateData(false);
        return true;
    }
    return Dialog::OnCommand(id);
}

void LightPropertiesDlg::DoDataExchange(DataExchange& dx)
{
    DDX_Text(dx, kBlue, blue);
    DDX_Text(dx, kGreen, green);
    DDX_Text(dx, kLinear, linearAttenuation);
    DDX_Text(dx, kQuadratic, quadraticAttenuation);
    DDX_Text(dx, kRed, red);
    DDX_Check(dx, kSpotlight, spotlight);
    DDX_Text(dx, kOuter, outerAngle);
    DDX_Text(dx, kInner, innerAngle);
    DDX_Text(dx, kRange, range);
    DDV_MinMaxFloat(dx, range, 0, 1000);
    DDX_Text(dx, kConstant, constantAttenuation);
    const int boxes[4] = {kPhase1, kPhase2, kPhase3, kCustom};
    for (int i = 0; i < 4; ++i)
        DDX_Check(dx, boxes[i], phase[i]);
}

bool EditLightProperties(SWorldLight& light)
{
    D3DLIGHT7& block = light.light;
    if (!(block.dvTheta < block.dvPhi))
        block.dvPhi = block.dvTheta + kOneDegree;
    LightPropertiesDlg dialog;
    dialog.red = int(block.dcvDiffuse.r * 255);
    dialog.green = int(block.dcvDiffuse.g * 255);
    dialog.blue = int(block.dcvDiffuse.b * 255);
    dialog.spotlight = block.dltType == D3DLIGHT_SPOT ? 1 : 0;
    dialog.innerAngle = block.dvTheta * 180 / kPi;
    dialog.outerAngle = block.dvPhi * 180 / kPi;
    dialog.range = block.dvRange;
    dialog.constantAttenuation = block.dvAttenuation0;
    dialog.linearAttenuation = block.dvAttenuation1;
    dialog.quadraticAttenuation = block.dvAttenuation2;
    for (int i = 0; i < 4; ++i)
        dialog.phase[i] = (light.lightWord >> i) & 1;
    if (dialog.DoModal(MainHwnd()) != platform::ui::IDOK)
        return false;
    if (!(dialog.innerAngle < dialog.outerAngle))
        dialog.outerAngle = dialog.innerAngle + 1.0f;
    block.dltType = dialog.spotlight == 1 ? D3DLIGHT_SPOT : D3DLIGHT_POINT;
    block.dvFalloff = 1.0f;
    block.dvTheta = dialog.innerAngle * kPi / 180;
    block.dvPhi = dialog.outerAngle * kPi / 180;
    block.dcvDiffuse.r = float(dialog.red) / 255;
    block.dcvDiffuse.g = float(dialog.green) / 255;
    block.dcvDiffuse.b = float(dialog.blue) / 255;
    block.dvRange = dialog.range;
    block.dvAttenuation0 = dialog.constantAttenuation;
    block.dvAttenuation1 = dialog.linearAttenuation;
    block.dvAttenuation2 = dialog.quadraticAttenuation;
    uint32_t word = light.lightWord & ~0xFu;
    for (int i = 0; i < 4; ++i)
        if (dialog.phase[i] == 1)
            word |= 1u << i;
    light.lightWord = word;
    WorldLightChanged(light);
    return true;
}
