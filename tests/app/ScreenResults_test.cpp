// What the game step does with scripted screen results: a plan executed through
// the slot list and the fade, a plan that cannot be loaded, the options screen
// from the game, and the message box's purposes.
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/ScreenResults.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/editor/WebBrowserDlg.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "tests/behaviour/BehaviourFixture.h"

namespace fs = std::filesystem;

namespace {

// The scripted result of each screen, -1 while it stays open.
int32_t Results[SCREEN_COUNT];
std::string SlotFileName;

class ScreenResultsTest : public BehaviourTest
{
protected:
    void SetUp() override
    {
        BehaviourTest::SetUp();
        folder =
            fs::temp_directory_path() / ("varek_screens_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "data");
        CreateSaveFolders(folder.string().c_str());
        TempGameFile = (folder / "data" / "~TempGame.tmp").string();
        for (int32_t& r : Results)
            r = -1;
        for (int i = 0; i < SCREEN_COUNT; ++i)
            ScreenRenderHooks.render[i] = [](int32_t) { return -1; };
        ScreenRenderHooks.render[SCREEN_SELECT] = [](int32_t) { return Results[SCREEN_SELECT]; };
        ScreenRenderHooks.render[SCREEN_MESSAGE] = [](int32_t) { return Results[SCREEN_MESSAGE]; };
        ScreenRenderHooks.render[SCREEN_OPTIONS] = [](int32_t) { return Results[SCREEN_OPTIONS]; };
        ScreenRenderHooks.slotFile = [](int32_t) { return SlotFileName.c_str(); };
        GamePhase = PHASE_REALTIME;
        RecordState = RECORD_NORMAL;
        InterfaceMode = 0;
        StartupInitFlag = 0;
        ScreenFade = CScreenFade();
        CdTrackRequest = -1;
        SetBurglaryLevel(1);

        hero = Object("Hero", 1, KIND_CHARACTER_A);
        Hero = hero;
        van = Item("*van", 8, KIND_CAR);
        Possessions = {van};
    }
    void TearDown() override
    {
        ScreenRenderHooks = ScreenResultHooks();
        KnownPeople.clear();
        Possessions.clear();
        PlanCar = nullptr;
        Hero = nullptr;
        ExtraInstance = nullptr;
        PlanLoadListOpen = MessageMenuOpen = OptionsMenuOpen = 0;
        GamePhase = PHASE_REALTIME;
        RecordState = RECORD_NORMAL;
        InterfaceMode = 1;
        ScreenFade = CScreenFade();
        if (!HasFailure())
            fs::remove_all(folder);
        BehaviourTest::TearDown();
    }

    // A plan of the hero for burglary 1 in the plans folder.
    void SavePlanFile(const char* name, CObjectNode* car)
    {
        PlanMemberArray.clear();
        PlanMemberArray.at(PlanMemberArray.add(1))->member = hero;
        PlanCar = car;
        PlanBurglaryNumber = 1;
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(BuildPlanFile("plan", bytes));
        std::ofstream(Plans() / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // Frames of the fade until it has arrived, then the fade command.
    void RunFadeToTheEnd()
    {
        for (int frame = 0; frame < 20 && !ScreenFade.IsFinished(); ++frame) {
            FrameTimeMs += 40;
            ScreenFade.Update();
        }
        RunFadeCommand();
    }
    fs::path Plans() const { return folder / "Savegame" / "CurrentPlans"; }

    fs::path folder;
    CWorldObject* hero = nullptr;
    CObjectNode* van = nullptr;
};

TEST_F(ScreenResultsTest, ExecutingAPlanEndsAfterTheFadeInTheBurglaryWithTrackFour)
{
    SavePlanFile("plan001.pln", van);
    SlotFileName = "plan001.pln";
    PlanLoadListOpen = 1;
    PlanSlotPurpose = 0;
    Results[SCREEN_SELECT] = 0;
    DrawModalScreens();
    EXPECT_EQ(PlanLoadListOpen, 0);
    EXPECT_EQ(MessageMenuOpen, 0) << Log();
    EXPECT_EQ(ScreenFade.followUp, FADE_START_BURGLARY);
    EXPECT_EQ(GamePhase, PHASE_REALTIME) << "nothing changes before the fade has arrived";

    RunFadeToTheEnd();
    EXPECT_EQ(GamePhase, PHASE_BURGLARY);
    EXPECT_EQ(RecordState, RECORD_NORMAL);
    EXPECT_EQ(CdTrackRequest, 4);
    EXPECT_EQ(HudBarMode, 3);
    EXPECT_EQ(ResultsSwitch, 1);
    EXPECT_EQ(ScreenFade.followUp, FADE_CLEAR) << "the fade from white carries the clearing command";
}

// Without its car a plan can be edited but not executed; the box shows the reason.
TEST_F(ScreenResultsTest, APlanWithoutItsCarOpensTheErrorBoxWithItsReason)
{
    SavePlanFile("plan002.pln", nullptr);
    SlotFileName = "plan002.pln";
    PlanLoadListOpen = 1;
    PlanSlotPurpose = 0;
    Results[SCREEN_SELECT] = 0;
    DrawModalScreens();
    EXPECT_EQ(MessageMenuOpen, 1);
    EXPECT_EQ(MessagePurpose, 1);
    EXPECT_EQ(PlanSlotPurpose, 0);

    Results[SCREEN_MESSAGE] = 1;
    DrawModalScreens();
    EXPECT_EQ(MessageMenuOpen, 0);
    EXPECT_EQ(InterfaceMode, 0) << "back to the plan selection";

    PlanLoadListOpen = 1;
    PlanSlotPurpose = 1;
    DrawModalScreens();
    EXPECT_EQ(MessageMenuOpen, 0) << "editing ignores the missing car";
    EXPECT_EQ(GamePhase, PHASE_PLANNING);
    EXPECT_EQ(RecordState, RECORD_LOAD);
    EXPECT_EQ(InterfaceMode, 1);
}

TEST_F(ScreenResultsTest, ABurgledTargetFailsAlsoForEditing)
{
    SavePlanFile("plan003.pln", van);
    SlotFileName = "plan003.pln";
    LevelFlags[0] = 1;
    for (int32_t purpose : {0, 1}) {
        PlanLoadListOpen = 1;
        PlanSlotPurpose = purpose;
        Results[SCREEN_SELECT] = 0;
        MessageMenuOpen = 0;
        DrawModalScreens();
        EXPECT_EQ(MessageMenuOpen, 1) << purpose;
        EXPECT_EQ(MessagePurpose, 2) << purpose;
        EXPECT_EQ(GamePhase, PHASE_REALTIME);
    }
    LevelFlags[0] = 0;
}

// The tutorial stops for a new game and when the hero finishes it, and starts again on request;
// a "no" leaves it as it was.
TEST_F(ScreenResultsTest, TheNewGameAndTutorialAnswersStopAndStartTheTutorial)
{
    struct Case
    {
        int32_t purpose, answer;
        uint8_t runningBefore, runningAfter;
    };
    const Case cases[] = {{7, 1, 1, 0},  {7, 0, 1, 1},  {10, 1, 0, 1},
                          {10, 0, 0, 0}, {11, 1, 1, 0}, {11, 0, 1, 1}};
    for (const Case& c : cases) {
        if (c.runningBefore)
            Tutorial.Start();
        else
            Tutorial.Stop();
        MessageMenuOpen = 1;
        MessagePurpose = c.purpose;
        Results[SCREEN_MESSAGE] = c.answer;
        DrawModalScreens();
        EXPECT_EQ(MessageMenuOpen, 0) << c.purpose << "/" << c.answer;
        EXPECT_EQ(Tutorial.active, c.runningAfter) << c.purpose << "/" << c.answer;
        if (c.answer == 1 && c.purpose != 11) {
            EXPECT_EQ(ScreenFade.followUp, FADE_NEW_GAME) << c.purpose;
        }
        ScreenFade = CScreenFade();
        OptionsMenuOpen = 0;
        ReturnToPlanSelect = 0;
    }
    Tutorial.Stop();
}

// The tutorial's page window lives while a game runs: the start makes it, the autosave ends it.
TEST_F(ScreenResultsTest, TheGamesStartMakesTheTutorialsPageWindowAndTheAutosaveEndsIt)
{
    DestroyBrowserDialog();
    StartupInitFlag = 1;
    InitGame();
    ASSERT_NE(BrowserDialog, nullptr);
    EXPECT_FALSE(BrowserDialog->IsWindowVisible());
    AutoSave();
    EXPECT_EQ(BrowserDialog, nullptr);
    EXPECT_TRUE(fs::exists(folder / "Savegame" / "game000.gam"));
}

// F10 in the editor starts planning the chosen burglary on a new recording.
TEST_F(ScreenResultsTest, ThePlanningStartRecordsANewPlanOfTheChosenBurglary)
{
    SelectView(VIEW_PERSPECTIVE);
    GameClock.gameClock = 5000;
    StartPlanningMode(2);
    EXPECT_EQ(PlanningBurglaryNumber, 2);
    EXPECT_EQ(GamePhase, PHASE_PLANNING);
    EXPECT_EQ(RecordState, RECORD_RECORD);
    EXPECT_EQ(InterfaceMode, 2);
    EXPECT_EQ(GameClock.gameSpeed, 0);
    EXPECT_EQ(StartupInitFlag, 0);
    EXPECT_EQ(MapMenuMode, 3);
    EXPECT_TRUE(IsGameView());
    ASSERT_EQ(RecordingList.count(), 1) << "one start event";
    EXPECT_EQ(RecordingList.cursor, 1);
    EXPECT_NE(Log().find("Game initialization complete"), std::string::npos);
    AutoSave();
}

// Esc and the function keys open the options; in REALTIME the game goes to the temporary file first.
TEST_F(ScreenResultsTest, TheOptionsFromTheGameSaveTheTemporaryGameOnlyInRealtime)
{
    InterfaceMode = 2;
    GamePhase = PHASE_BURGLARY;
    OpenOptionsFromGame();
    EXPECT_EQ(OptionsMenuOpen, 1);
    EXPECT_FALSE(fs::exists(TempGameFile));

    OptionsMenuOpen = 0;
    GamePhase = PHASE_REALTIME;
    OpenOptionsFromGame();
    EXPECT_EQ(OptionsMenuOpen, 1);
    EXPECT_TRUE(fs::exists(TempGameFile));

    // The quit answer of the options screen asks the quit question.
    Results[SCREEN_OPTIONS] = -3;
    DrawModalScreens();
    EXPECT_EQ(OptionsMenuOpen, 0);
    EXPECT_EQ(MessageMenuOpen, 1);
    EXPECT_EQ(MessagePurpose, 0);
}

} // namespace
