// The editor's small dialogs answered the way a person (or an input script) answers
// them: the question's five answers, the naming dialogs, the range checks and the
// light dialog's angles, colour and phase flags.
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "platform/ui/ColorDialog.h"
#include "platform/win/MessageBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using platform::ui::DialogAnswer;
using platform::ui::QueueDialogAnswer;

std::vector<std::string> logged;

class EditorDialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("VAREK_NONINTERACTIVE", "1", 1);
        logged.clear();
        platform::ui::SetLog([](const char* line) { logged.push_back(line); });
        platform::SetMessageBoxLog([](const char* line) { logged.push_back(line); });
        platform::ui::ClearDialogAnswers();
    }
    void TearDown() override
    {
        platform::ui::SetLog(nullptr);
        platform::SetMessageBoxLog(nullptr);
        platform::ui::ClearDialogAnswers();
    }
    static bool Logged(const std::string& part)
    {
        for (const std::string& line : logged)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }
};

TEST_F(EditorDialogs, TheQuestionGivesOneResultPerButtonAndCancelForEscAndTheCloseBox)
{
    const std::pair<int, int> buttons[] = {{3, 1}, {4, 2}, {5, 3}, {6, 4}, {2, -1}};
    for (const auto& [button, result] : buttons) {
        QueueDialogAnswer(DialogAnswer{YesAllNoAllDlg::IDD, {}, button});
        EXPECT_EQ(ShowPromptDialog("Object 'a' already exists. Replace it?"), result) << button;
    }
    struct Esc : YesAllNoAllDlg
    {
        bool OnInitDialog() override
        {
            YesAllNoAllDlg::OnInitDialog();
            shown = GetDlgItemText(kQuestion);
            PressKey(platform::VK_ESCAPE);
            return true;
        }
        std::string shown;
    } esc;
    EXPECT_EQ(esc.Ask("Replace?"), -1);
    EXPECT_EQ(esc.shown, "Replace?");
    struct Close : YesAllNoAllDlg
    {
        bool OnInitDialog() override
        {
            CloseBox();
            return true;
        }
    } close;
    EXPECT_EQ(close.Ask("Replace?"), -1);
    // Nobody answers: Cancel, logged.
    EXPECT_EQ(ShowPromptDialog("Replace?"), -1);
    EXPECT_TRUE(Logged("405"));
}

TEST_F(EditorDialogs, ANameCountsOnlyWithOkAndText)
{
    QueueDialogAnswer(DialogAnswer{369, {{1173, "Houses"}}, platform::ui::IDOK});
    EXPECT_EQ(AskName(NameDlg::NewFolder), "Houses");
    QueueDialogAnswer(DialogAnswer{373, {{1178, "Fence"}}, platform::ui::IDCANCEL});
    EXPECT_EQ(AskName(NameDlg::NewMacro), "");
    QueueDialogAnswer(DialogAnswer{371, {{1175, ""}}, platform::ui::IDOK});
    EXPECT_EQ(AskName(NameDlg::NewObject), "");
    const struct
    {
        NameDlg::Kind kind;
        int resource, edit;
        const char* caption;
    } kinds[] = {{NameDlg::NewGroup, 370, 1174, "New Group"},
                 {NameDlg::NewAction, 372, 1176, "New Action"},
                 {NameDlg::ApplyActions, 390, 1176, "Apply Actions"}};
    for (const auto& k : kinds) {
        NameDlg d(k.kind);
        EXPECT_EQ(d.ResourceId(), k.resource);
        EXPECT_EQ(d.EditId(), k.edit);
        EXPECT_EQ(d.Caption(), k.caption);
    }
}

TEST_F(EditorDialogs, ACameraRangeOver1000IsRefusedAndTheDialogStaysOpen)
{
    CameraRangeDlg dialog;
    dialog.innerRange = 5;
    dialog.outerRange = 50;
    QueueDialogAnswer(
        DialogAnswer{CameraRangeDlg::IDD, {{CameraRangeDlg::kOuter, "1001"}}, platform::ui::IDOK});
    EXPECT_EQ(dialog.DoModal(), platform::ui::IDCANCEL);
    EXPECT_TRUE(Logged("Please enter a number between 0 and 1000."));
    EXPECT_TRUE(Logged("was not answered")) << "still open after the refused OK";

    CameraRangeDlg ok;
    ok.innerRange = 5;
    QueueDialogAnswer(
        DialogAnswer{CameraRangeDlg::IDD, {{CameraRangeDlg::kOuter, "1000"}}, platform::ui::IDOK});
    EXPECT_EQ(ok.DoModal(), platform::ui::IDOK);
    EXPECT_EQ(ok.innerRange, 5);
    EXPECT_EQ(ok.outerRange, 1000);
}

TEST_F(EditorDialogs, LightPropertiesWidenEqualAnglesAndWriteTheBlockBack)
{
    SWorldLight light;
    light.light.dltType = D3DLIGHT_SPOT;
    light.light.dcvDiffuse = {1.0f, 0.5f, 0.2f, 1};
    light.light.dvTheta = light.light.dvPhi = 30 * 3.14159265f / 180;
    light.light.dvRange = 20;
    light.lightWord = 0x10 | 0x2;

    // What the dialog shows: OK with nothing changed reads it back.
    QueueDialogAnswer(DialogAnswer{LightPropertiesDlg::IDD, {}, platform::ui::IDOK});
    ASSERT_TRUE(EditLightProperties(light));
    EXPECT_NEAR(light.light.dvPhi * 180 / 3.14159265f, 31.0f, 1e-3f);
    EXPECT_NEAR(light.light.dvTheta * 180 / 3.14159265f, 30.0f, 1e-3f);
    EXPECT_NEAR(light.light.dcvDiffuse.g, 127.0f / 255, 1e-6f) << "truncated to an integer, then / 255";
    EXPECT_EQ(light.lightWord, 0x12u);
    EXPECT_EQ(light.light.dltType, D3DLIGHT_SPOT);
    EXPECT_EQ(light.light.dvFalloff, 1.0f);

    // Typed values: red 300 is kept as 300 / 255; equal angles widen by one degree;
    // off the spotlight it becomes a point light; the phase boxes give the bits.
    QueueDialogAnswer(DialogAnswer{LightPropertiesDlg::IDD,
                                   {{LightPropertiesDlg::kRed, "300"},
                                    {LightPropertiesDlg::kInner, "40"},
                                    {LightPropertiesDlg::kOuter, "40"},
                                    {LightPropertiesDlg::kSpotlight, "0"},
                                    {LightPropertiesDlg::kPhase1, "1"},
                                    {LightPropertiesDlg::kPhase2, "0"},
                                    {LightPropertiesDlg::kCustom, "1"}},
                                   platform::ui::IDOK});
    ASSERT_TRUE(EditLightProperties(light));
    EXPECT_NEAR(light.light.dcvDiffuse.r, 300.0f / 255, 1e-6f);
    EXPECT_NEAR(light.light.dvPhi * 180 / 3.14159265f, 41.0f, 1e-3f);
    EXPECT_EQ(light.light.dltType, D3DLIGHT_POINT);
    EXPECT_EQ(light.lightWord, 0x10u | 0x1u | 0x8u);

    // Cancel changes nothing.
    const D3DLIGHT7 before = light.light;
    QueueDialogAnswer(
        DialogAnswer{LightPropertiesDlg::IDD, {{LightPropertiesDlg::kRed, "1"}}, platform::ui::IDCANCEL});
    EXPECT_FALSE(EditLightProperties(light));
    EXPECT_EQ(light.light.dcvDiffuse.r, before.dcvDiffuse.r);
}

TEST_F(EditorDialogs, TheAngleFieldsFollowTheSpotlightBox)
{
    LightPropertiesDlg dialog;
    dialog.spotlight = 0;
    dialog.Create(nullptr);
    EXPECT_FALSE(dialog.GetDlgItem(LightPropertiesDlg::kInner)->enabled);
    dialog.Click(LightPropertiesDlg::kSpotlight);
    EXPECT_TRUE(dialog.GetDlgItem(LightPropertiesDlg::kInner)->enabled);
    EXPECT_TRUE(dialog.GetDlgItem(LightPropertiesDlg::kOuter)->enabled);
    dialog.DestroyWindow();
}

TEST_F(EditorDialogs, TheColourChooserTakesTheColourDialogsAnswerAndKeepsItsOwnOnCancel)
{
    int r = 10, g = 20, b = 30;
    QueueDialogAnswer(DialogAnswer{platform::ui::kColorDialog,
                                   {{platform::ui::kColorRed, "200"}, {platform::ui::kColorBlue, "7"}},
                                   platform::ui::IDOK});
    ASSERT_TRUE(ChooseColour(r, g, b));
    EXPECT_EQ(r, 200);
    EXPECT_EQ(g, 20);
    EXPECT_EQ(b, 7);
    QueueDialogAnswer(
        DialogAnswer{platform::ui::kColorDialog, {{platform::ui::kColorRed, "1"}}, platform::ui::IDCANCEL});
    EXPECT_FALSE(ChooseColour(r, g, b));
    EXPECT_EQ(r, 200);
}

TEST_F(EditorDialogs, TheAboutBoxShowsTheBuildString)
{
    struct Peek : AboutDlg
    {
        bool OnInitDialog() override
        {
            AboutDlg::OnInitDialog();
            shown = GetDlgItemText(kBuild);
            EndDialog(platform::ui::IDOK);
            return true;
        }
        std::string shown;
    } about;
    about.DoModal();
    EXPECT_EQ(about.shown, BuildString());
    // "Mmm dd yyyy hh:mm:ss", as the compiler records date and time.
    ASSERT_EQ(BuildString().size(), 20u);
    EXPECT_EQ(BuildString()[11], ' ');
    EXPECT_EQ(BuildString()[14], ':');
}

// A dialog that shows what it opened with and then takes a queued answer.
template <class D>
struct Opened : D
{
    bool OnInitDialog() override
    {
        D::OnInitDialog();
        for (const platform::ui::Control& c : D::Controls())
            shown.push_back(c.text);
        return true;
    }
    std::vector<std::string> shown;
};

TEST_F(EditorDialogs, PositionCameraOpensAtZeroAndMovesTheViewTargetOnlyOnAValidOk)
{
    SelectView(VIEW_PERSPECTIVE);
    const CCameraView before = *CurrentView;
    Opened<PositionCameraDlg> first;
    QueueDialogAnswer(DialogAnswer{PositionCameraDlg::IDD, {}, platform::ui::IDCANCEL});
    first.DoModal();
    EXPECT_EQ(std::count(first.shown.begin(), first.shown.end(), "0"), 3);
    EXPECT_EQ(CurrentView->target[0], before.target[0]);

    PositionCameraDlg dialog;
    QueueDialogAnswer(DialogAnswer{
        PositionCameraDlg::IDD,
        {{PositionCameraDlg::kX, "10"}, {PositionCameraDlg::kY, "2"}, {PositionCameraDlg::kZ, "-5"}},
        platform::ui::IDOK});
    EXPECT_EQ(dialog.DoModal(), platform::ui::IDOK);
    EXPECT_EQ(CurrentView->target[0], 10.0f);
    EXPECT_EQ(CurrentView->target[1], 2.0f);
    EXPECT_EQ(CurrentView->target[2], -5.0f);
    EXPECT_EQ(CurrentView->zoom, before.zoom);
    EXPECT_EQ(CurrentView->yaw, before.yaw);
    EXPECT_EQ(CurrentView->pitch, before.pitch);

    // Text that is no number keeps the dialog open (here: unanswered, so cancelled).
    PositionCameraDlg bad;
    QueueDialogAnswer(
        DialogAnswer{PositionCameraDlg::IDD, {{PositionCameraDlg::kX, "ten"}}, platform::ui::IDOK});
    EXPECT_EQ(bad.DoModal(), platform::ui::IDCANCEL);
    EXPECT_EQ(CurrentView->target[0], 10.0f);
    EXPECT_TRUE(Logged("Please enter an integer."));
}

TEST_F(EditorDialogs, StartPlanningModeShowsTheNumberEnteredBefore)
{
    int32_t number = 2;
    QueueDialogAnswer(
        DialogAnswer{StartPlanningModeDlg::IDD, {{StartPlanningModeDlg::kNumber, "5"}}, platform::ui::IDOK});
    ASSERT_TRUE(AskStartPlanningMode(number));
    EXPECT_EQ(number, 5);
    // Opened again, it shows 5; OK without typing keeps it.
    Opened<StartPlanningModeDlg> again;
    again.number = number;
    QueueDialogAnswer(DialogAnswer{StartPlanningModeDlg::IDD, {}, platform::ui::IDOK});
    again.DoModal();
    EXPECT_EQ(again.GetDlgItemText(StartPlanningModeDlg::kNumber), "5");
    QueueDialogAnswer(DialogAnswer{
        StartPlanningModeDlg::IDD, {{StartPlanningModeDlg::kNumber, "7"}}, platform::ui::IDCANCEL});
    EXPECT_FALSE(AskStartPlanningMode(number));
    EXPECT_EQ(number, 5);
}

TEST_F(EditorDialogs, AddSoundFxListsTheDefinitionsInFileOrderAndStartsAtTheFirst)
{
    const std::vector<std::string> kept = SoundNames;
    SoundNames.clear();
    AddSoundFxDlg none;
    QueueDialogAnswer(DialogAnswer{AddSoundFxDlg::IDD, {}, platform::ui::IDOK});
    EXPECT_EQ(none.DoModal(), platform::ui::IDOK);
    EXPECT_TRUE(none.GetDlgItem(AddSoundFxDlg::kName)->list.empty());
    EXPECT_EQ(none.soundIndex, 0);

    SoundNames = {"DOOR_OPEN", "ALARM_SIREN", "STEPS"};
    AddSoundFxDlg three;
    QueueDialogAnswer(DialogAnswer{AddSoundFxDlg::IDD, {{AddSoundFxDlg::kName, "#2"}}, platform::ui::IDOK});
    three.DoModal();
    EXPECT_EQ(three.GetDlgItem(AddSoundFxDlg::kName)->list, SoundNames);
    EXPECT_EQ(three.soundIndex, 2);
    SoundNames = kept;
}

} // namespace
