#include "GAMES/Rulo2/app/ScreenResults.h"

#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CMoviePlayer.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GangValues.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/Files.h"

#include <cstring>

ScreenResultHooks ScreenRenderHooks;
std::string FadeFileName;
std::string MessageFileName;
int32_t HudBarMode = 0;
int32_t MapMenuMode = 0;
int32_t ResultsSwitch = 0;
uint8_t NewGameSwitch = 0;
int32_t CdTrackRequest = -1;
// This build's two targets both belong to level 1.
const int32_t TargetMinimumLevel[LevelCount] = {1, 1};

namespace {

int32_t Now()
{
    return int32_t(GameClock.frameTime);
}

int32_t Render(EScreen screen)
{
    auto render = ScreenRenderHooks.render[screen];
    return render ? render(Now()) : -1;
}

// Mode 0 keeps showing the end colour until the next fade; mode 1 goes away when it has arrived.
void Fade(float r, float g, float b, float fromAlpha, float toAlpha, int32_t mode, int32_t delay,
          int32_t command)
{
    const float from[4] = {r, g, b, fromAlpha};
    const float to[4] = {r, g, b, toAlpha};
    ScreenFade.Start(from, to, -1, mode != 0, delay);
    ScreenFade.followUp = command;
}
void FadeToBlack(int32_t delay, int32_t command)
{
    Fade(0, 0, 0, 0, 1, 0, delay, command);
}
void FadeFromBlack()
{
    Fade(0, 0, 0, 1, 0, 1, 1, 0);
}
void FadeFromWhite()
{
    Fade(1, 1, 1, 1, 0, 1, 1, 0);
}

void PlayCdTrack(int32_t track)
{
    CdTrackRequest = track;
    CdMusic.PlayTrack(track);
}

void ReleaseViewSurface()
{
    ReleaseUiSurfaces();
    ViewFreeze = 0;
}

void LoadTempGame()
{
    if (!LoadGame(TempGameFile, false))
        LogPrintf("The temporary game could not be loaded");
}

void SaveTempGame()
{
    if (!SaveGame(TempGameFile, "TempGame"))
        LogPrintf("The temporary game could not be saved");
}

void ToRealtime()
{
    SetPlanMode(PHASE_REALTIME);
    RecordState = RECORD_NORMAL;
}

void ReopenOptions()
{
    OptionsMenuOpen = 1;
    OpenOptionsMenu(Now());
    MapMenuMode = 3;
}

void OpenPlanSelection()
{
    InterfaceMode = 0;
    OpenPlanSelectMenu(Now());
}

void StartRecordingList()
{
    ClearRecordingList();
    AppendStartMarker();
}

void ClearSlotFlags()
{
    GameLoadListOpen = GameSaveListOpen = PlanLoadListOpen = PlanSaveListOpen = 0;
}

std::string SlotFile(int32_t slot)
{
    const char* file = ScreenRenderHooks.slotFile ? ScreenRenderHooks.slotFile(slot) : nullptr;
    return file ? file : "";
}

// The slot's old title without its date line; empty for the empty slot.
std::string ProposedTitle(int32_t slot)
{
    const char* text = ScreenRenderHooks.slotText ? ScreenRenderHooks.slotText(slot) : nullptr;
    if (!text || std::strcmp(text, GetDisplayText("EMPTY_SLOT")) == 0)
        return "";
    const std::string title = text;
    return title.substr(0, title.find('\n'));
}

// The two-list choice: a title typed for a game or a plan.
void HandleListMenu(int32_t r)
{
    ListMenuOpen = 0;
    const char* typed = ScreenRenderHooks.listChoice ? ScreenRenderHooks.listChoice() : nullptr;
    const std::string title = typed ? typed : "";
    if (r == 1 && GameSaveListOpen) {
        if (!FadeFileName.empty() && !SaveGameWithTitle(FadeFileName, title, false)) {
            OpenMessageMenu(Now(), GetDisplayText("ERROR_SAVING_GAME"), 6, 0);
            return;
        }
        GameSaveListOpen = 0;
        ReleaseViewSurface();
        MapMenuMode = 3;
    } else if (r == 1 && PlanSaveListOpen) {
        if (!FadeFileName.empty() && !SavePlan(SavePlanPath(FadeFileName), FormatSaveCaptionNow(title)))
            OpenMessageMenu(Now(), GetDisplayText("ERROR_SAVING_PLAN"), 4, 0);
        ReturnToPlanSelection();
        PlanSaveListOpen = 0;
    } else if (r != 1 && PlanSaveListOpen) {
        InterfaceMode = 0;
    } else if (r != 1 && GameSaveListOpen) {
        GameSaveListOpen = 0;
        ReleaseViewSurface();
        MapMenuMode = 3;
    }
}

void LoadPlanFromSlot(const std::string& file)
{
    const int32_t editing = PlanSlotPurpose == 1;
    int32_t reasons = LoadPlan(SavePlanPath(file));
    if (editing)
        reasons &= ~PLAN_UNKNOWN_CAR;
    PlanLoadListOpen = 0;
    if (reasons != 0) {
        PlanSlotPurpose = 0;
        OpenMessageMenu(Now(), PlanLoadMessage(reasons).c_str(), 1, 0);
        return;
    }
    const int32_t target = PlanBurglaryNumber - 1;
    const bool known = target >= 0 && target < LevelCount;
    if (known && BurglaryLevel < TargetMinimumLevel[target]) {
        PlanSlotPurpose = 0;
        OpenMessageMenu(Now(), GetDisplayText("ERROR_WRONGLEVEL"), 3, 0);
    } else if (known && LevelFlags[target]) {
        PlanSlotPurpose = 0;
        OpenMessageMenu(Now(), GetDisplayText("ERROR_EXECUTING_PLAN_MORE_THAN_ONCE"), 2, 0);
    } else if (editing) {
        SetPlanMode(PHASE_PLANNING);
        RecordState = RECORD_LOAD;
        InterfaceMode = 1;
        OpenGameMenu(Now());
        GameClock.gameClock = 0;
        StartRecordingList();
        ResetGame();
    } else {
        FadeFileName = file;
        FadeToBlack(2, FADE_START_BURGLARY);
    }
}

// The slot list: a slot index or -2 for back.
void HandleSlotList(int32_t r)
{
    if (r >= 0) {
        const std::string file = SlotFile(r);
        if (GameLoadListOpen && !DeleteGameMode) {
            FadeToBlack(1, FADE_LOAD_GAME);
            FadeFileName = file;
            GameLoadListOpen = 0;
        } else if (GameLoadListOpen) {
            GameLoadListOpen = 0;
            OpenMessageMenu(Now(), GetDisplayText("DELETEGAME_CONFIRMATION"), 9, 1);
            MessageFileName = SavePath(file);
        } else if (GameSaveListOpen) {
            FadeFileName = file;
            OpenListMenu(Now(), GetDisplayText("ENTER_GAME_INFO"), ProposedTitle(r).c_str());
        } else if (PlanSaveListOpen) {
            FadeFileName = file;
            OpenListMenu(Now(), GetDisplayText("ENTER_PLAN_INFO"), ProposedTitle(r).c_str());
        } else if (PlanLoadListOpen && PlanSlotPurpose == 2) {
            OpenMessageMenu(Now(), GetDisplayText("DELETEPLAN_CONFIRMATION"), 8, 1);
            MessageFileName = SavePlanPath(file);
            PlanLoadListOpen = 0;
        } else if (PlanLoadListOpen) {
            LoadPlanFromSlot(file);
        }
        return;
    }
    if (r != -2)
        return;
    PlanSlotPurpose = 0;
    DeleteGameMode = 0;
    if (PlanSaveListOpen) {
        LoadTempGame();
        ToRealtime();
        InterfaceMode = 0;
        ReleaseViewSurface();
        ResetGame();
        GameClock.gameSpeed = 100;
        OpenPlanSelectMenu(Now());
    } else if (PlanLoadListOpen) {
        OpenPlanSelectMenu(Now());
    } else if (GameLoadListOpen || GameSaveListOpen) {
        OptionsMenuOpen = 1;
        InterfaceMode = 1;
        OpenOptionsMenu(Now());
    } else {
        InterfaceMode = 0;
    }
    ClearSlotFlags();
}

void HandleMessage(int32_t r)
{
    MessageMenuOpen = 0;
    const bool yes = r == 1;
    switch (MessagePurpose) {
    case 0:
        ReleaseViewSurface();
        if (!yes) {
            ReopenOptions();
        } else if (GameModeFlag) {
            PauseAllSounds();
            FadeToBlack(2, FADE_QUIT);
        } else {
            GameClock.fakeRecording = 0;
            AutoSave();
        }
        break;
    case 1:
    case 2:
    case 3:
        OpenPlanSelection();
        break;
    case 4:
        ReturnToPlanSelection();
        PlanSaveListOpen = 0;
        break;
    case 5:
    case 6:
        if (MessagePurpose == 5)
            GameLoadListOpen = 0;
        else
            GameSaveListOpen = 0;
        ReleaseViewSurface();
        MapMenuMode = 3;
        break;
    case 7:
    case 10:
        if (!yes) {
            ReopenOptions();
            break;
        }
        FadeToBlack(1, FADE_NEW_GAME);
        if (MessagePurpose == 7)
            Tutorial.Stop();
        else
            Tutorial.Start();
        break;
    case 8:
        if (yes && !platform::DeleteFile(MessageFileName))
            LogPrintf("Deleting '%s' failed", MessageFileName.c_str());
        PlanSlotPurpose = 0;
        ToRealtime();
        OpenPlanSelection();
        ResetGame();
        MapMenuMode = 0;
        break;
    case 9:
        if (yes && !platform::DeleteFile(MessageFileName))
            LogPrintf("Deleting '%s' failed", MessageFileName.c_str());
        DeleteGameMode = 0;
        ReopenOptions();
        break;
    case 11:
        if (yes) {
            ReturnToPlanSelect = 1;
            Tutorial.Stop();
        }
        break;
    default:
        break;
    }
}

void HandleResults(int32_t r)
{
    ResultsMenuOpen = 0;
    ToRealtime();
    InterfaceMode = 1;
    ReleaseViewSurface();
    LoadTempGame();
    if (r == 1) {
        const int32_t target = PlanBurglaryNumber - 1;
        if (target >= 0 && target < LevelCount)
            LevelFlags[target] = 1;
        int32_t burgled = 0;
        for (int32_t i = 0; i < LevelCount; ++i)
            burgled += LevelFlags[i] != 0;
        if (burgled < LevelCount) {
            FadeFromWhite();
        } else {
            PauseAllSounds();
            if (!PlayMovie(BurglaryLevel))
                FadeToBlack(1, FADE_QUIT);
            BurglaryLevel += 1;
        }
        DriftGangValues();
    } else {
        FadeFromBlack();
    }
    HudBarMode = 3;
}

void HandlePlanningOverview(int32_t r)
{
    if (r == 0) {
        ToRealtime();
        OpenPlanSelection();
        PlanSlotPurpose = 0;
    } else if (r == 1 && PlanSlotPurpose == 1) {
        SetPlanMode(PHASE_PLANNING);
        PlanActivity = 2;
        RecordState = RECORD_LOAD;
        InterfaceMode = 2;
        GameClock.gameSpeed = 0;
        OpenPPMenu(Now());
        ResetGame();
        RecordState = RECORD_REPLAY;
        GameClock.gameSpeed = 0;
        MapMenuMode = 3;
    } else if (r == 1) {
        Tutorial.NextPage(3);
        SetPlanMode(PHASE_PLANNING);
        PlanActivity = 2;
        RecordState = RECORD_RECORD;
        InterfaceMode = 2;
        OpenPPMenu(Now());
        GameClock.gameClock = 0;
        StartRecordingList();
        ResetGame();
        Fade(float(Settings.planFogColor[0]) / 255.0f, float(Settings.planFogColor[1]) / 255.0f,
             float(Settings.planFogColor[2]) / 255.0f, 1, 0, 1, 1, 0);
        GameClock.gameSpeed = 0;
        MapMenuMode = 3;
    }
}

void HandleInGameScreen(int32_t r)
{
    if (r == 1) {
        MapMenuMode = 0;
        CurrentUiSlot = 1;
        if (UiSlots[1]) {
            ViewFreeze = 2;
        } else {
            GetUiSurface(1);
            if (UiSlots[1])
                ViewFreeze = 1;
        }
        GameClock.gameSpeed = 0;
        return;
    }
    LoadTempGame();
    ToRealtime();
    OpenPlanSelection();
    ResetGame();
    MapMenuMode = 0;
}

void HandleSelectList(int32_t r)
{
    if (ItemChoiceOpen) {
        // The chosen object goes into the hand; the next click on an object uses it.
        if (r >= 0 && r < SelectMenu.EntryCount())
            ActiveItem = SelectMenu.entries[size_t(r)].instance;
        ItemChoiceOpen = 0;
        ReleaseViewSurface();
        HudBarMode = 3;
        return;
    }
    if (TradeListOpen == 1 && r == -2) {
        TradeListOpen = 0;
    } else if (TradeListOpen == 2) {
        if (r >= 0)
            Tutorial.Stop();
        else
            TradeListOpen = 0;
    }
    ReleaseViewSurface();
}

bool SlotListOpen()
{
    return GameLoadListOpen || GameSaveListOpen || PlanLoadListOpen || PlanSaveListOpen;
}

int32_t EffectiveMode()
{
    return GamePhase == PHASE_PLANNING ? InterfaceMode : GamePhase;
}

} // namespace

std::string SavePlanPath(const std::string& file)
{
    if (file.find('\\') != std::string::npos)
        return file;
    return SaveManager.plansFolder + "\\" + file;
}

int32_t PlanningBurglaryNumber = 0;

void StartPlanningMode(int32_t burglaryNumber)
{
    PlanningBurglaryNumber = burglaryNumber;
    SetPlanMode(PHASE_PLANNING);
    RecordState = RECORD_RECORD;
    InterfaceMode = 2;
    GameClock.gameSpeed = 0;
    OpenPPMenu(Now());
    StartRecordingList();
    // Started from the editor: the world's positions are stored before the game moves anything.
    StartupInitFlag = 1;
    InitGame();
    GameClock.gameSpeed = 0;
    MapMenuMode = 3;
}

void OpenQuitQuestion()
{
    OpenMessageMenu(Now(), GetDisplayText("REALLY_QUIT"), 0, 1);
}

void ReturnToPlanSelection()
{
    LoadTempGame();
    ToRealtime();
    OpenPlanSelection();
    ResetGame();
    MapMenuMode = 0;
}

void HandleReturnToPlanSelect()
{
    if (!ReturnToPlanSelect)
        return;
    ReturnToPlanSelect = 0;
    ToRealtime();
    OpenPlanSelection();
    SaveTempGame();
    MapMenuMode = 0;
}

void OpenOptionsFromGame()
{
    if (GamePhase == PHASE_REALTIME)
        SaveTempGame();
    OptionsMenuOpen = 1;
    OpenOptionsMenu(Now());
}

bool InterfaceModal()
{
    return ListMenuOpen || SlotListOpen() || OptionsMenuOpen || ItemChoiceOpen || MessageMenuOpen ||
           TradeListOpen;
}

void DrawScreens()
{
    Render(SCREEN_HUD_BAR);
    if (!ListMenuOpen && !SlotListOpen() && EffectiveMode() == 2) {
        ViewFreeze = 0;
        const int32_t r = Render(SCREEN_PP);
        if (r != -1)
            HandleInGameScreen(r);
    }
    if (MapMenuOpen && Render(SCREEN_MAP) != -1) {
        MapMenuOpen = 0;
        MapMenuMode = 3;
    }
}

void DrawModalScreens()
{
    Render(SCREEN_HUD_BAR);
    MenuActive = 1;
    int32_t r = -1;
    if (MessageMenuOpen) {
        if ((r = Render(SCREEN_MESSAGE)) != -1)
            HandleMessage(r);
        return;
    }
    if (ListMenuOpen) {
        if ((r = Render(SCREEN_LIST)) != -1)
            HandleListMenu(r);
        return;
    }
    if (SlotListOpen()) {
        if ((r = Render(SCREEN_SELECT)) != -1)
            HandleSlotList(r);
        return;
    }
    if (GamePhase == PHASE_PLANNING && InterfaceMode == 1 && (r = Render(SCREEN_GAME)) != -1)
        HandlePlanningOverview(r);
    if (InterfaceMode == 0) {
        if (ResultsMenuOpen) {
            if ((r = Render(SCREEN_RESULTS)) != -1)
                HandleResults(r);
        } else if ((r = Render(SCREEN_PLAN_SELECT)) != -1) {
            LoadTempGame();
            ToRealtime();
            InterfaceMode = 1;
            HudBarMode = 3;
            if (r == 0 || r == 1)
                ReleaseViewSurface();
        }
    }
    if (OptionsMenuOpen && (r = Render(SCREEN_OPTIONS)) != -1) {
        OptionsMenuOpen = 0;
        HudBarMode = 3;
        if (r != -3 && r != -4)
            ReleaseViewSurface();
        if (r == -3)
            OpenMessageMenu(Now(), GetDisplayText("REALLY_QUIT"), 0, 1);
    }
    if ((ItemChoiceOpen || (TradeListOpen && !(TradeListOpen & 0x80))) && (r = Render(SCREEN_SELECT)) != -1)
        HandleSelectList(r);
}

void RunFadeCommand()
{
    if (!ScreenFade.IsFinished())
        return;
    const int32_t command = ScreenFade.followUp;
    if (command < FADE_START_BURGLARY || command > FADE_LAST_LEVEL)
        return;
    ScreenFade.followUp = 0;
    switch (command) {
    case FADE_START_BURGLARY:
        PlayCdTrack(4);
        SetPlanMode(PHASE_BURGLARY);
        RecordState = RECORD_NORMAL;
        OpenPPMenu(Now());
        ResetGame();
        ResultsSwitch =
            (PlanBurglaryNumber == 11 || PlanBurglaryNumber == 16 || PlanBurglaryNumber == 17) ? 0 : 1;
        ReleaseViewSurface();
        HudBarMode = 3;
        Fade(1, 1, 1, 1, 0, 1, 1, FADE_CLEAR);
        break;
    case FADE_CLEAR:
        break;
    case FADE_QUIT:
        ScreenFade.running = 0;
        BurglaryLevel = NumberOfLevels + 2;
        CdMusic.StopPlayback();
        if (!PlayMovie(9) && MainWindow && MainWindow->IsWindow())
            MainWindow->DestroyWindow();
        break;
    case FADE_GREET:
        ScreenFade.running = 0;
        if (Hero && BurglaryLevel == 1 && !Tutorial.active)
            ShowTextBubble(Hero, GetDisplayText("HERO_NEWGAME"), false);
        break;
    case FADE_LOAD_GAME:
        Tutorial.Stop();
        if (!LoadGameWithPlans(SavePath(FadeFileName))) {
            LoadTempGame();
            OpenMessageMenu(Now(), GetDisplayText("ERROR_LOADING_GAME"), 5, 0);
        } else {
            GameLoadListOpen = 0;
            ReleaseViewSurface();
            HudBarMode = 3;
        }
        FadeFromBlack();
        break;
    case FADE_NEW_GAME:
        ScreenFade.running = 0;
        NewGameSwitch = 1;
        StartNewGame();
        ToRealtime();
        ResetGame();
        PlayMovie(0);
        break;
    case FADE_LAST_LEVEL:
        FadeFromWhite();
        BurglaryLevel = NumberOfLevels + 1;
        ResetGame();
        PlayCdTrack(4);
        break;
    default:
        break;
    }
}
