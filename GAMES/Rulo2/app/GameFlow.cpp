#include "GAMES/Rulo2/app/GameFlow.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/InsetView.h"
#include "GAMES/Rulo2/app/Picking.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/app/ScreenResults.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/editor/WebBrowserDlg.h"
#include "GAMES/Rulo2/interface/CMapMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/navigation/DynamicCharacters.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/render/CDynamicLights.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/SnapPoints.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldHelpers.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/win/Window.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

CVector StoredStartPosition{0, 0, 0};
std::vector<CObjectNode*> AvailableCars;
std::vector<CObjectNode*> GangCars;
uint8_t LevelFlags[LevelCount] = {};
int32_t SelectedGangRecord = 0;
CWorldObject* ExtraInstance = nullptr;
int32_t PlanBurglaryNumber = 0;
CWorldObject* Hero = nullptr;
std::vector<SInventoryRecord> InventoryList;

namespace {

// Set by InitGame, cleared by AutoSave: only a game that was started is saved at exit.
bool GameRunning = false;

bool KeyHeld(int key)
{
    return (platform::GetKeyState(key) & 0x8000) != 0;
}

// The "Hero" task made its owner the camera's focus while the logic was created.
void FindHero()
{
    CWorldObject* focus = GameCamera.focusObject;
    Hero = focus && focus->objectLogic ? focus : nullptr;
    if (Hero)
        CurrentCharacter = Hero;
}

void RemoveExtraInstance()
{
    if (!ExtraInstance)
        return;
    if (g_SpecialObject == ExtraInstance)
        g_SpecialObject = nullptr;
    DeleteRuntimeWorldObject(ExtraInstance);
    ExtraInstance = nullptr;
}

void StartGangWithHero()
{
    PlanMemberArray.clear();
    if (Hero)
        PlanMemberArray.at(PlanMemberArray.add(1))->member = Hero;
}

void ClearPerRunFields()
{
    for (SPlanMember& m : PlanMemberArray) {
        std::fill(std::begin(m.words), std::end(m.words), 0u);
        m.pickedLocks = m.crackedSafes = m.alarmsSwitchedOff = 0;
    }
    RebuildGangMemberList();
}

void BuildCharacterList()
{
    ActiveCharacters.clear();
    PrepareCharacters(g_WorldRoot);
}

// The groups of characters and cars stand where the world root stands.
void PlaceGroups()
{
    if (!g_WorldRoot)
        return;
    auto place = [](CNode* node) {
        if (!node)
            return;
        auto* n = static_cast<CWorldObject*>(node);
        n->position = g_WorldRoot->position;
        n->angle = g_WorldRoot->angle;
        n->angle2 = g_WorldRoot->angle2;
    };
    CNode* characters = g_WorldRoot->FindByName("Characters");
    place(characters);
    if (characters && characters->firstChild)
        for (const char* name : {"A", "B", "C"})
            place(characters->firstChild->FindByName(name));
    CNode* cars = g_WorldRoot->FindByName("Cars");
    place(cars);
    if (cars && cars->firstChild)
        place(cars->firstChild->FindByName("Taxis"));
    place(g_WorldRoot->FindByName("BurglaryCars"));
}

int32_t DefinitionKind(const CObjectNode* d)
{
    return d && d->objectLogic ? d->objectLogic->Kind() : -1;
}

void CollectAvailableCars()
{
    AvailableCars.clear();
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition()) {
        const char* name = d->GetName();
        if (DefinitionKind(d) == KIND_CAR && name && name[0] == '*')
            AvailableCars.push_back(d);
    }
}

// A new game's counters: level 1, no burgled target, no instances, 15 cash, the hero's car.
void StartGameCounters()
{
    SetBurglaryLevel(1);
    std::fill(std::begin(LevelFlags), std::end(LevelFlags), uint8_t(0));
    ClearObjectInstances();
    SelectedGangRecord = 0;
    Cash = 15;
    GangCars.clear();
    TakeHeroCar();
}

void StopAllSounds()
{
    if (SoundManager)
        SoundManager->stopAll();
}

} // namespace

void TakeHeroCar()
{
    for (CObjectNode* car : AvailableCars) {
        const char* name = car->GetName();
        if (name && strncasecmp(name, "*hero_car_[Copy_1]", 8) == 0) {
            if (std::find(GangCars.begin(), GangCars.end(), car) == GangCars.end())
                GangCars.push_back(car);
            return;
        }
    }
}

void MarkLogableObjects()
{
    for (SPlanMember& m : PlanMemberArray) {
        CObjectLogic* logic = m.member ? m.member->objectLogic : nullptr;
        if (!logic)
            continue;
        logic->recordable = 1;
        // A loaded plan keeps its tasks while it is being edited.
        if (logic->taskList && !(logic->GetPlannedTaskList() && RecordState == RECORD_LOAD))
            logic->ResetPlannedTaskList();
    }
    if (ExtraInstance && ExtraInstance->objectLogic)
        ExtraInstance->objectLogic->recordable = 1;
}

void ResetGame()
{
    GameCamera.thumbnailState = 0;
    GameCamera.thumbnailObject = nullptr;
    StopAllSounds();
    RestoreTransforms(g_WorldRoot);

    LogPrintf("Resetting game...");
    ReleaseInsetView();
    if (GamePhase == PHASE_REALTIME)
        RemoveExtraInstance();

    LogPrintf("Creating object-id table...");
    RegisterObjectLogicNumbers(g_WorldRoot);

    LogPrintf("Resetting variables...");
    ClearViewRects();
    ActiveObjectList.clear();
    RequestQueue.clear();
    RequestPending = 0;
    CurrentCharacter = nullptr;
    Hero = nullptr;
    GameCamera.ClearFocusObject();
    ResetAlarm();
    AlarmRaised = 0;
    AlarmOverride = 0;
    HoldState = 0;
    ActionBubble.state = 0;
    ActiveItem = nullptr;
    TransitionWord = 0;
    ControlModeWord = 0;
    ItemChoiceOpen = 0;
    TradeListOpen = 0;
    PointedObject = nullptr;
    PickedObject = nullptr;
    HeldObject = nullptr;
    PendingStopCharacter = nullptr;
    PendingStopTime = 0;
    HeroControlSwitch = 0;
    BurglaryFlag = 0;
    ResetGameClock(GameClock);
    if (GamePhase == PHASE_PLANNING && RecordState != RECORD_LOAD)
        PlanBurglaryNumber = 0;
    RemoveAllTextBubbles();

    LogPrintf("Unhiding world-objects...");
    ClearRuntimeFlags(g_WorldRoot);

    LogPrintf("Resetting camera...");
    GameCamera.Reset();

    LogPrintf("Resetting inventory...");
    for (size_t i = InventoryList.size(); i-- > 0;) {
        if (!InventoryList[i].flags[1])
            continue;
        DeleteRuntimeWorldObject(InventoryList[i].object);
        InventoryList.erase(InventoryList.begin() + std::ptrdiff_t(i));
    }

    if (!StartupInitFlag) {
        LogPrintf("Resetting object infos...");
        CreateObjectLogic(g_WorldRoot);
        FindHero();
        LogPrintf("Resetting gang-info...");
        if (GamePhase == PHASE_REALTIME)
            StartGangWithHero();
        LogPrintf("Resetting burglary object...");
        BurglaryTargetReset = 1;
        SkipStartTasks(g_WorldRoot);
        BurglaryTargetReset = 0;
        if (GamePhase == PHASE_PLANNING) {
            LogPrintf("Resetting burglary-info...");
            MarkLogableObjects();
        }
        LogPrintf("Creating cross-references...");
        UpdateIdLists(g_WorldRoot);
        LogPrintf("Initializing gang-info...");
        ClearPerRunFields();
        LogPrintf("Creating character-list...");
        // The objects are placed and started as if recording, so a loaded plan replays from its start.
        const int32_t recordState = RecordState;
        if (RecordState == RECORD_LOAD)
            RecordState = RECORD_RECORD;
        BuildCharacterList();
        LogPrintf("Initializing tasks...");
        ActivateObjectLogic(g_WorldRoot);
        RecordState = recordState;
    }

    DynamicCharacters.RemoveAll();
    LogPrintf("Recalcing gang-members weight & speed...");
    UpdateCarriedLoad();
    RemoveAllTextBubbles();
    LogPrintf("Resetting game complete.");
}

void InitGame()
{
    if (StartupInitFlag)
        SaveStartTransforms(g_WorldRoot);
    LogPrintf("Initializing game...");
    MapSpots.clear();
    MapMenu.mode = 0;
    if (!KeyHeld(platform::VK_SHIFT))
        StoredStartPosition = CVector(0, 0, 0);
    PlaceGroups();

    SelectView(VIEW_GAME);
    if (MainWindow)
        MainWindow->switchMode();

    ResetGame();
    NumberModelList(g_ModelListRoot);

    if (StartupInitFlag)
        PrepareGroundNodes(g_WorldRoot);

    LogPrintf("Resetting object infos...");
    CreateObjectLogic(g_WorldRoot);
    CObjectNode::InitAllObjectLogic();
    FindHero();
    PlaceGameViewAtStart(Hero);
    if (StartupInitFlag) {
        CountWorldObjects(g_WorldRoot);
        if (g_WorldRoot)
            g_WorldRoot->ResolveObjectIds();
    }

    LogPrintf("Initializing available cars...");
    CollectAvailableCars();
    StartGameCounters();
    RemoveAllTextBubbles();
    OpenHudBarMenu(GameClock.gameClock);

    if (StartupInitFlag && KeyHeld(platform::VK_CONTROL))
        for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition()) {
            const int32_t kind = DefinitionKind(d);
            if (kind >= KIND_ITEM && kind <= KIND_TOOL)
                CreateObjectInstance(d, nullptr);
        }

    LogPrintf("Initializing burglary-task...");
    SkipStartTasks(g_WorldRoot);
    if (GamePhase == PHASE_PLANNING) {
        LogPrintf("Marking logable objects...");
        MarkLogableObjects();
    }
    LogPrintf("Creating cross-references...");
    UpdateIdLists(g_WorldRoot);
    if (StartupInitFlag)
        BuildFloorTable();
    if (StartupInitFlag || GamePhase == PHASE_REALTIME)
        StartGangWithHero();
    ClearPerRunFields();

    LogPrintf("Creating list of all characters in the world...");
    BuildCharacterList();
    LogPrintf("Initializing dynamic characters engine...");
    DynamicCharacters.Init(Settings.dynamicCharacters != 0);
    LogPrintf("Initializing Tasks...");
    ActivateObjectLogic(g_WorldRoot);
    HudBarMode = 3;
    // The picture screen starts at the inset's place, the view's top-left corner.
    OpenPictureMenu(GameClock.gameClock, {InsetLeft, InsetTop}, {InsetRight, InsetBottom});
    UpdateCarriedLoad();

    LogPrintf("Game initialization complete");
    StartupInitFlag = 0;
    GameRunning = true;

    DynamicLights.Init();
    if (DX.device)
        DX.device->SetRenderState(D3DRENDERSTATE_AMBIENT, 0x606060);
    const float opaque[4] = {0, 0, 0, 1};
    const float clear[4] = {0, 0, 0, 0};
    // Mode 1: the fade goes away when it has arrived.
    ScreenFade.Start(opaque, clear, -1, true, 1);
    // The tutorial's page window; it draws into the main window, which keeps the focus.
    CreateBrowserDialog();
}

void StartNewGame()
{
    StopAllSounds();
    CdMusic.StopPlayback();
    ReleaseObjectLogicRuntime(g_WorldRoot);
    StartGameCounters();
    RemoveAllTextBubbles();
    OpenHudBarMenu(GameClock.gameClock);
    DeleteCurrentPlans();
}

void AutoSave()
{
    DestroyBrowserDialog();
    if (!GameRunning)
        return;
    if (!SaveGameWithTitle("game000.gam", GetDisplayText("AUTOSAVE"), false))
        LogPrintf("The autosave could not be written");

    ReleaseUiSurfaces();
    ReleaseInsetView();
    ViewFreeze = 0;
    GameClock.gameSpeed = 100;
    if (!IsMouseCursorShown())
        ShowMouseCursor(true);
    RemoveExtraInstance();
    RemoveAllTextBubbles();
    ActiveObjectList.clear();
    RequestQueue.clear();
    ActiveCharacters.clear();

    if (CurrentCharacter) {
        StoredStartPosition = CurrentCharacter->position;
        if (CurrentCharacter->objectLogic)
            CurrentCharacter->objectLogic->flags &= ~uint32_t(0x02 | 0x10);
    } else {
        StoredStartPosition = CVector(0, 0, 0);
    }
    const CCameraView gameView = CameraViews[VIEW_GAME];

    ReleaseObjectLogicRuntime(g_WorldRoot);
    CObjectNode::ReleaseAllObjectLogic();
    RestoreTransforms(g_WorldRoot);
    DynamicCharacters.Clear();
    GameRunning = false;

    if (!GameModeFlag) {
        if (g_WorldRoot)
            g_WorldRoot->FreeGroundMaps();
        SelectView(VIEW_PERSPECTIVE);
        // With Shift the editor camera stays where the game camera was.
        if (KeyHeld(platform::VK_SHIFT))
            CameraViews[VIEW_PERSPECTIVE] = gameView;
        if (MainWindow)
            MainWindow->switchMode();
    }
}
