#pragma once
// The editor's small modal dialogs: the question over many items, the naming
// dialogs, and the About, clipping-plane, camera-range, colour-and-range and
// light-properties dialogs.

#include "platform/ui/Ui.h"

#include <cstdint>
#include <string>

struct SWorldLight;

// The question with Yes, Yes to all, No, No to all and Cancel.
class YesAllNoAllDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 405;
    static constexpr int kQuestion = 1100;
    enum Answer
    {
        kYes = 1,
        kYesToAll = 2,
        kNo = 3,
        kNoToAll = 4,
        kCancel = -1,
    };
    explicit YesAllNoAllDlg(platform::HWND parent = nullptr);
    bool OnInitDialog() override;
    // Shows `text` and returns the answer (kCancel for Cancel, Esc or the close box).
    int Ask(const std::string& text);
    bool OnCommand(int id) override;
    void OnCancel() override { EndDialog(kCancel); }
    void DoDataExchange(platform::ui::DataExchange& dx) override;

    std::string question;

private:
    platform::HWND parent_;
};

// The burglary whose planning mode F10 starts in the editor.
class StartPlanningModeDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 434;
    static constexpr int kNumber = 1164;
    StartPlanningModeDlg();
    bool OnInitDialog() override;
    void DoDataExchange(platform::ui::DataExchange& dx) override;
    int number = 0;
};

// The "Start Planning Mode" dialog over the burglary number (F10 in the editor), preset
// with `number`; true on OK with the entered number in `number`.
bool AskStartPlanningMode(int32_t& number);

// A sound definition of "data\sounds.txt" for a new sound effect.
class AddSoundFxDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 435;
    static constexpr int kName = 1149;
    AddSoundFxDlg();
    // Fills the list with the definitions' names in file order; the first is chosen.
    bool OnInitDialog() override;
    void DoDataExchange(platform::ui::DataExchange& dx) override;
    int soundIndex = -1;
};

// A camera target typed in; OK moves the current view's target there.
class PositionCameraDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 431;
    static constexpr int kX = 1189, kY = 1190, kZ = 1191;
    PositionCameraDlg();
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(platform::ui::DataExchange& dx) override;
    int x = 0, y = 0, z = 0;
};

// The question dialog's result for `text`.
int ShowPromptDialog(const std::string& text);

// One name for a new folder, group, object, action or macro, or the action whose
// holders get the current object's actions.
class NameDlg : public platform::ui::Dialog
{
public:
    enum Kind
    {
        NewFolder,
        NewGroup,
        NewObject,
        NewAction,
        NewMacro,
        ApplyActions,
    };
    explicit NameDlg(Kind kind);
    bool OnInitDialog() override;
    int EditId() const { return editId_; }
    void DoDataExchange(platform::ui::DataExchange& dx) override;

    std::string name;

private:
    int editId_;
};

// The name the user gave, empty when the dialog was cancelled or left empty: the
// caller then creates nothing.
std::string AskName(NameDlg::Kind kind);

class AboutDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 103;
    static constexpr int kBuild = 1287;
    AboutDlg();
    bool OnInitDialog() override;
};
// "%s %s" of the build's date and time, formatted once at start.
const std::string& BuildString();

class ClippingPlaneDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 394;
    static constexpr int kFar = 1191, kNear = 1189;
    ClippingPlaneDlg();
    bool OnInitDialog() override;
    void DoDataExchange(platform::ui::DataExchange& dx) override;
    float farPlane = 0, nearPlane = 0;
};

class CameraRangeDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 338;
    static constexpr int kInner = 1105, kOuter = 1106;
    CameraRangeDlg();
    bool OnInitDialog() override;
    void DoDataExchange(platform::ui::DataExchange& dx) override;
    float innerRange = 0, outerRange = 0;
};

// Colour and start/end distances (the fog).
class SelectColorDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 433;
    static constexpr int kSwatch = 1334, kSelect = 1333, kBlue = 1090, kStart = 1327, kGreen = 1089,
                         kRed = 1088, kEnd = 1055;
    SelectColorDlg();
    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void DoDataExchange(platform::ui::DataExchange& dx) override;
    int blue = 0;
    std::string start;
    int green = 0, red = 0;
    std::string end;
};

class LightPropertiesDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 332;
    static constexpr int kBlue = 1090, kGreen = 1089, kLinear = 1094, kQuadratic = 1095, kRed = 1088,
                         kSpotlight = 1092, kOuter = 1097, kInner = 1096, kRange = 1099, kConstant = 1093,
                         kSelect = 1091, kPhase1 = 1109, kPhase2 = 1110, kPhase3 = 1111, kCustom = 1112;
    LightPropertiesDlg();
    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void DoDataExchange(platform::ui::DataExchange& dx) override;

    int blue = 0, green = 0;
    float linearAttenuation = 0, quadraticAttenuation = 0;
    int red = 0;
    int spotlight = 0;
    float outerAngle = 0, innerAngle = 0, range = 0, constantAttenuation = 0;
    int phase[4] = {0, 0, 0, 0};

private:
    void EnableAngles();
};

// The light properties dialog over a world light; on OK the light block, its
// phase flags and its device light change. False when cancelled.
bool EditLightProperties(SWorldLight& light);

// The system colour dialog, preset to (red, green, blue) and fully open; false
// when cancelled (the values stay).
bool ChooseColour(int& red, int& green, int& blue);
