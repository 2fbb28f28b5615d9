#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/InsetView.h"
#include "GAMES/Rulo2/app/Picking.h"
#include "GAMES/Rulo2/app/ScreenResults.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/editor/EditorEditing.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/CCar.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

#include <chrono>
#include <optional>

namespace {

using StepClock = std::chrono::steady_clock;

double MsSince(StepClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(StepClock::now() - start).count();
}

// The editor views in which the world is edited with the mouse.
bool EditsWorld()
{
    return !IsGameView() && CurrentView->worldView && CurrentViewIndex() != VIEW_WORLD_GROUND;
}

const char* EditorViewName()
{
    static const char* const names[VIEW_COUNT] = {nullptr,      "Front View",        "Side View",
                                                  "Top View",   "Perspective View",  "World Ground View",
                                                  "Model View", "Model Ground View", "Object Editor"};
    return names[CurrentViewIndex()];
}

SStatisticsInput ShellStatistics()
{
    SStatisticsInput input;
    input.statisticsOn = StatisticsFlag;
    // In the game view the HUD is the menu that takes the input.
    input.hudIsCurrent = CurrentViewIndex() == VIEW_GAME ? 1 : 0;
    input.frameRate = GameClock.frameRate;
    input.gameClock = GameClock.gameClock;
    input.gameSpeed = GameClock.gameSpeed;
    input.gamePhase = GamePhase;
    input.recordState = RecordState;
    input.viewName = EditorViewName();
    if (EditorDrag.mode == DRAG_RUBBER_BAND) {
        input.rubberBand = 1;
        input.bandStart[0] = EditorDrag.startX;
        input.bandStart[1] = EditorDrag.startY;
        input.bandEnd[0] = EditorDrag.bandX;
        input.bandEnd[1] = EditorDrag.bandY;
    }
    // The current character's position, while the HUD is current.
    static float position[3];
    if (const CWorldObject* character = input.hudIsCurrent ? HudReferenceCharacter() : nullptr) {
        position[0] = character->position.x;
        position[1] = character->position.y;
        position[2] = character->position.z;
        input.heroPosition = position;
    }
    return input;
}

void Call(void (*hook)())
{
    if (hook)
        hook();
}

bool Present()
{
    if (StepHooks.presentFrame)
        return StepHooks.presentFrame();
    if (!DX.primary || !DX.backSurface)
        return false;
    if (WindowedFlag)
        return DX.primary->Blt(nullptr, DX.backSurface, nullptr, DDBLT_WAIT, nullptr) == DD_OK;
    return DX.primary->Flip(nullptr, DDFLIP_WAIT) == DD_OK;
}

bool ComputeModalScreenOpen()
{
    if (GamePhase == PHASE_PLANNING && InterfaceMode == 1)
        return true;
    if (InterfaceMode == 0)
        return true;
    return StepHooks.interfaceModal && StepHooks.interfaceModal();
}

} // namespace

// The current view's pose (the game view's own while there is no hero to follow).
SWorldFrame ShellWorldFrame(bool gameView)
{
    SWorldFrame frame;
    frame.gameView = gameView;
    const CCameraView& v = gameView ? CameraViews[VIEW_GAME] : *CurrentView;
    frame.posed = true;
    frame.target = CVector(v.target[0], v.target[1], v.target[2]);
    frame.eye = ViewEye(v);
    frame.camera.frameTime = int32_t(GameClock.frameTime);
    frame.camera.mouseDX = Input.mouseDX;
    frame.camera.mouseDY = Input.mouseDY;
    frame.camera.leftButton = Input.leftButton;
    frame.camera.rightButton = Input.rightButton;
    frame.camera.zoomAccumulator = &Input.wheel;
    frame.clock = GameClock.gameClock;
    frame.gameSpeed = GameClock.gameSpeed;
    frame.burglaryFlag = BurglaryFlag;
    if (gameView) {
        // The camera follows the hero, looking at the focus the game flow set.
        frame.camera.hero = Hero;
        frame.camera.focus = GameCamera.focusObject ? GameCamera.focusObject : Hero;
        // The camera step turns the cursor into the ray that the object pass picks along.
        frame.camera.cursorX = Input.cursorX;
        frame.camera.cursorY = Input.cursorY;
    } else {
        frame.editRoots = EditsWorld();
    }
    return frame;
}

bool GameFrame()
{
    ++GameStepFrame;
    if (!DX.initialised || !DX.device)
        return false;
    IDirect3DDevice7* device = DX.device;
    const bool gameView = IsGameView();
    // Built after the simulation ticks, so that the view and the clock are this frame's.
    SWorldFrame frame;
    // The paste buffer stands at the cursor from the visibility step to the end of the scene.
    std::optional<CShownPasteBuffer> shownPaste;

    if (StepHooks.readMouse) {
        float dx = 0, dy = 0;
        if (StepHooks.readMouse(&dx, &dy)) {
            Input.mouseDX = dx;
            Input.mouseDY = dy;
        }
    }

    uint32_t clearFlags = D3DCLEAR_TARGET | (DX.zBuffer ? D3DCLEAR_ZBUFFER : 0u);
    device->Clear(0, nullptr, clearFlags, FrameClearColour(gameView), 1.0f, 0);
    D3DMATRIX identity;
    for (int i = 0; i < 4; ++i)
        identity.m[i][i] = 1.0f;
    device->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
    if (!gameView)
        Call(StepHooks.updateEditorCamera);

    if (gameView && StepHooks.pauseSounds) {
        bool run;
        if (ViewFreeze == 2)
            run = false;
        else if (GamePhase == PHASE_PLANNING)
            run = GameClock.gameSpeed == 100 && RecordState == RECORD_RECORD;
        else
            run = GameClock.gameSpeed == 100;
        StepHooks.pauseSounds(!run);
    }

    const int32_t viewW = DX.screenWidth, viewH = DX.screenHeight;
    const int32_t now = int32_t(GameClock.frameTime);
    if (gameView && ViewFreeze == 2) {
        UpdateCursorRay(Input.cursorX, Input.cursorY);
        UpdateCursorZones(Input.cursorX, Input.cursorY, viewW, viewH);
        Call(StepHooks.updateSounds);
    } else {
        // Last frame's candidate under the cursor is what a click acts on.
        PickFromCandidate();
        if (gameView)
            UpdateInsetView(now);
        auto start = StepClock::now();
        RunSimulationTicks(GameClock);
        // Bubbles run on real time, paused game or not.
        DropExpiredTextBubbles(GameClock.frameTime);
        StepTimes.simulationMs += MsSince(start);
        start = StepClock::now();
        frame = ShellWorldFrame(gameView);
        UpdateFrameView(frame);
        ViewDragFlag = frame.camera.viewDrag;
        CollectMarkedIds();
        if (frame.editRoots && !PasteBufferEmpty())
            shownPaste.emplace(CursorPointInView(*CurrentView, float(Input.cursorX), float(Input.cursorY),
                                                 DX.screenWidth, DX.screenHeight));
        CollectFrameVisibility(frame);
        if (gameView)
            PickUnderCursor(Input.cursorX, Input.cursorY, viewW, viewH);
        StepTimes.visibilityMs += MsSince(start);
    }
    const auto drawStart = StepClock::now();

    ModalScreenOpen = ComputeModalScreenOpen() ? 1 : 0;

    if (device->BeginScene() == D3D_OK) {
        if (gameView)
            SetInsetViewRect();
        if (!gameView || ViewFreeze != 2)
            DrawWorldFrame(frame);
        if (gameView)
            DrawInsetInScene(now);
        // A requested copy of the view is taken from the world just drawn (not from a frame that
        // drew the inset); from then on the frozen picture stands in for it.
        if (gameView && ViewFreeze == 1 && InsetViewState != 1)
            CaptureBackground();
        if (gameView) {
            // The screens' 3-D figures stand in front of the world: drawn against the world's
            // depth they would hide behind whatever lies nearer than them in the scene.
            if (DX.zBuffer)
                device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
            Call(StepHooks.drawScreens);
        }
        if (!ModalScreenOpen)
            Call(StepHooks.updateTutorialAndFade);
        device->EndScene();
    }
    shownPaste.reset();
    HandleReturnToPlanSelect();

    Call(StepHooks.drawObjectOverlays);
    MenuActive = 0;

    if (gameView && ModalScreenOpen) {
        ReleaseInsetView();
        ShowFrozenView();
        if (DX.zBuffer)
            device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        if (device->BeginScene() == D3D_OK) {
            Call(StepHooks.drawModalScreens);
            Call(StepHooks.updateTutorialAndFade);
            device->EndScene();
        }
    } else if (GamePhase == PHASE_REALTIME && SoundManager && BurglaryLevel <= FinalLevel) {
        CCar::UpdateSounds();
    }

    Call(StepHooks.runFadeCommand);
    ApplyDeferredButtonReleases(Input, GameStepFrame);
    if (gameView)
        ShowInsetPicture(now);
    const SStatisticsInput statistics = ShellStatistics();
    if (gameView)
        DrawWorldOverlays(statistics.hudIsCurrent != 0, now);
    DrawFrameOverlays(statistics);
    DrawCursorImage(Input.cursorX, Input.cursorY);

    ++StepTimes.frames;
    if (FinishInsetFrame()) {
        // This frame's picture was the inset view: nothing is presented.
        StepTimes.drawingMs += MsSince(drawStart);
        return true;
    }
    Present();
    StepTimes.drawingMs += MsSince(drawStart);
    return true;
}
