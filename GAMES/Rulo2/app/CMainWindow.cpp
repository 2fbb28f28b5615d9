#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/interface/CTutorial.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CMoviePlayer.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/EditorMenus.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/Picking.h"
#include "GAMES/Rulo2/app/ScreenResults.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/editor/AttackPointsDlg.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/EditorEditing.h"
#include "GAMES/Rulo2/editor/ObjectEditorKeys.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/TextBubbles.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "LIBS/System/CMatrix.h"
#include "LIBS/System/LogPrintf.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace platform;

uint8_t AppActiveFlag = 0;
uint8_t DeviceReadyFlag = 0;
float EditorNearPlane = 0.1f;
float EditorFarPlane = 12.0f;
int32_t GameCameraMode = 0;
EditorDragState EditorDrag;
DropHooks DroppedFileHooks;
CMainWindow* MainWindow = nullptr;

namespace {

constexpr float Pi = 3.14159265f;
constexpr WPARAM MciNotifySuccessful = 0x0001;
// Longest dropped file name that is taken.
constexpr size_t DroppedNameMax = 512;

bool DeviceReady()
{
    return DX.initialised && DX.device;
}

bool MoviePlays()
{
    return GameClock.movieState == MoviePlaying;
}

bool KeyHeld(int key)
{
    return (GetKeyState(key) & 0x8000) != 0;
}

CWorldObject* FirstWorldObject()
{
    return g_WorldRoot ? g_WorldRoot->FirstObject() : nullptr;
}

bool WorldViewWithSelectionEdits()
{
    return CurrentView->worldView && CurrentViewIndex() != VIEW_WORLD_GROUND;
}

// Arrow keys and Space in the world views: move or turn the selection.
bool EditSelectionByKey(int key, bool ctrl, bool shift)
{
    CWorldObject* first = FirstWorldObject();
    if (!first || !WorldViewWithSelectionEdits())
        return false;
    const float step = ctrl ? 0.02f : 0.001f;
    float dx = 0, dy = 0, dz = 0;
    switch (key) {
    case VK_LEFT:
        dz = step;
        break;
    case VK_RIGHT:
        dz = -step;
        break;
    case VK_UP:
        (shift ? dy : dx) = step;
        break;
    case VK_DOWN:
        (shift ? dy : dx) = -step;
        break;
    case VK_SPACE: {
        if (!PasteBufferEmpty()) {
            // The buffer turns about its origin, a single node in place.
            CWorldObject* copies = g_PasteRoot->FirstObject();
            WorldWalk::StoreTransforms(copies);
            const CVector origin = copies->NextObject() ? CVector(0, 0, 0) : copies->position;
            WorldWalk::RotateSelection(copies, 3.14159265f / 2, 0.0f, origin, false);
            return true;
        }
        CVector sum(0, 0, 0);
        int32_t count = 0;
        WorldWalk::SumPositions(first, sum, count, true);
        if (count == 0)
            return true;
        WorldWalk::StoreTransforms(first);
        WorldWalk::RotateSelection(first, 3.14159265f / 2, 0.0f, sum * (1.0f / float(count)), true);
        RecomputeWorldBounds();
        return true;
    }
    default:
        return false;
    }
    if (!WorldWalk::HasSelection(first))
        return true;
    WorldWalk::Move(first, dx, dy, dz, true);
    RecomputeWorldBounds();
    return true;
}

void SetGameCameraMode(int32_t mode)
{
    GameCameraMode = mode;
    GameCamera.SetMode(mode == 1);
}

// A screen that takes the keys is open, or the plan selection or planning overview is up.
bool InterfaceBusy()
{
    return ListMenuOpen || MessageMenuOpen || GameLoadListOpen || GameSaveListOpen || PlanLoadListOpen ||
           PlanSaveListOpen || OptionsMenuOpen || InterfaceMode == 0 ||
           (InterfaceMode == 1 && GamePhase == PHASE_PLANNING) || TransitionWord != 0;
}

// A click on speech bubbles removes them, the last first, and does nothing else.
bool RemoveTextBubblesAt(int x, int y)
{
    bool any = false;
    for (size_t i = TextBubbleList.size(); i-- > 0;) {
        const int* r = TextBubbleList[i].rect;
        if (x >= r[0] && x < r[2] && y >= r[1] && y < r[3]) {
            RemoveTextBubbleAt(int32_t(i));
            any = true;
        }
    }
    return any;
}

// Keys 1-4 in the burglary: that gang member becomes the character the player controls.
void SelectGangMember(size_t index)
{
    if (GamePhase != PHASE_BURGLARY || index >= PlanMemberArray.size() || !PlanMemberArray[index].member)
        return;
    RequestPending = 0;
    if (CurrentCharacter)
        CurrentCharacter->flags &= uint8_t(~0x10);
    CurrentCharacter = PlanMemberArray[index].member;
    CurrentCharacter->flags |= 0x10;
    ActiveItem = nullptr;
}

void GameViewKey(int key)
{
    if (key == VK_SPACE) {
        SetGameCameraMode(1);
        return;
    }
    if (key >= '1' && key <= '4') {
        SelectGangMember(size_t(key - '1'));
        return;
    }
    if (key >= VK_NUMPAD0 + 1 && key <= VK_NUMPAD0 + 4) {
        SelectGangMember(size_t(key - VK_NUMPAD0 - 1));
        return;
    }
    // Esc first ends the camera's special shot.
    if (key == VK_ESCAPE && GameCamera.thumbnailState != 0) {
        GameCamera.thumbnailState = 0;
        Input.menuKey = 0;
        return;
    }
    const bool functionKey = key >= VK_F1 && key <= VK_F12 && key != VK_F10;
    if (key != VK_ESCAPE && !functionKey)
        return;
    if (InterfaceBusy() || ControlModeWord == 1 || (key == VK_ESCAPE && GamePhase != PHASE_REALTIME))
        return;
    Input.menuKey = 0;
    OpenOptionsFromGame();
}

// F9, F11 and F12 in an editor view start the game on the edited world.
bool StartGameKey(int key)
{
    if (key != VK_F1 + 8 && key != VK_F1 + 10 && key != VK_F12)
        return false;
    StartGameFromEditor(key == VK_F1 + 8);
    return true;
}

int RenderWidth()
{
    return DX.screenWidth > 0 ? DX.screenWidth : 640;
}

int RenderHeight()
{
    return DX.screenHeight > 0 ? DX.screenHeight : 480;
}

CVector CursorPoint(int x, int y)
{
    return CursorPointInView(*CurrentView, float(x), float(y), RenderWidth(), RenderHeight());
}

// Space and Enter in World Ground View edit the selected object's path connections.
bool GroundViewKey(int key)
{
    if (CurrentViewIndex() != VIEW_WORLD_GROUND)
        return false;
    if (key == VK_RETURN)
        return StepConnectionBlock() || true;
    if (key == VK_SPACE)
        return NextConnection() || true;
    return false;
}

// The 3-D view is presented again (paint, after a resize).
bool ShowBackBuffer()
{
    if (!DeviceReady() || !DX.primary || !DX.backSurface)
        return false;
    if (WindowedFlag)
        return DX.primary->Blt(nullptr, DX.backSurface, nullptr, DDBLT_WAIT, nullptr) == DD_OK;
    return DX.primary->Flip(nullptr, DDFLIP_WAIT) == DD_OK;
}

} // namespace

bool SaveCurrentWorld()
{
    if (CurrentWorldFile.empty())
        return false;
    if (GetApp())
        GetApp()->BeginWaitCursor();
    std::string error;
    // A model imported since may have made its own folder current.
    const std::string& path = CurrentWorldPath.empty() ? CurrentWorldFile : CurrentWorldPath;
    bool saved = SaveWorld(path.c_str(), &error);
    if (GetApp())
        GetApp()->EndWaitCursor();
    if (!saved)
        MessageBoxError("Save world failed!");
    return saved;
}

bool CMainWindow::CreateMainWindow()
{
    WindowDesc desc;
    desc.title = GetDisplayText("RULO2");
    desc.openGL = true;
    desc.popup = true;
    desc.doubleClicks = true;
    desc.width = Settings.mainWndW > 0 ? Settings.mainWndW : 640;
    desc.height = Settings.mainWndH > 0 ? Settings.mainWndH : 480;
    if (!Create(desc))
        return false;
    DragAcceptFiles(true);
    return true;
}

void CMainWindow::updateMenu()
{
    if (!IsWindow() || !WindowedFlag || GameModeFlag) {
        if (IsWindow())
            platform::ui::SetMenu(this, nullptr);
        return;
    }
    platform::ui::SetMenu(this, IsGameView() ? GameMenu : EditorMenu);
}

void CMainWindow::switchMode()
{
    if (EditorDrag.mode == DRAG_RUBBER_BAND)
        EditorDrag.mode = DRAG_NONE;
    updateMenu();
    if (DeviceReady()) {
        CMatrix proj;
        const CCameraView& v = *CurrentView;
        bool game = IsGameView();
        if (!v.orthographic) {
            // While fog is on, its end is the far plane (always in the game view).
            const bool fogged = game || RenderCache.fog;
            float nearPlane = fogged ? 0.1f : EditorNearPlane;
            float farPlane = fogged ? FogEndInUse() : EditorFarPlane;
            proj.perspective(Pi / 4, 0.75f, nearPlane, farPlane);
        } else {
            proj.ortho(2 * v.zoom, 2 * v.zoom, EditorNearPlane, EditorFarPlane);
        }
        D3DMATRIX m;
        std::memcpy(m.m, proj.m, sizeof(m.m));
        DX.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &m);
    }
    SetWindowText(TitleText());
    const ViewIndex current = CurrentViewIndex();
    // The game view and the views that edit grounds or models work without the
    // world's lights; the other world views follow the "Lights" toggle.
    const bool lightsOn =
        !IsGameView() && CurrentView->worldView && current != VIEW_WORLD_GROUND && EditorLightsFlag != 0;
    SwitchWorldLights(lightsOn);
    if (IsGameView()) {
        if (CWorldObject* first = FirstWorldObject())
            WorldWalk::ClearSelection(first);
    } else {
        if (current == VIEW_WORLD_GROUND && g_WorldRoot)
            CWorldObject::UpdateConnectionDistances(g_WorldRoot);
        ViewIndex view = CurrentViewIndex();
        EGridView grid = view == VIEW_FRONT ? GRID_FRONT : view == VIEW_SIDE ? GRID_SIDE : GRID_GROUND;
        BuildEditorGrids(grid, CVector(GridLevels[0], GridLevels[1], GridLevels[2]));
    }
    if (!GameModeFlag) {
        ShowToolWindowsForView(CurrentViewIndex());
        RefillToolWindowsForView();
    }
}

std::string CMainWindow::TitleText() const
{
    std::string title = GetDisplayText("RULO2");
    if (IsGameView())
        return title;
    const std::string file = CurrentWorldFile.empty() ? std::string("unnamed") : CurrentWorldFile;
    return title + " - Editor [" + file + "]";
}

LRESULT CMainWindow::WindowProc(const Message& msg)
{
    int x = GET_X_LPARAM(msg.lParam), y = GET_Y_LPARAM(msg.lParam);
    switch (msg.message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(int(msg.wParam));
        return 0;
    case WM_KEYUP:
        OnKeyUp(int(msg.wParam));
        return 0;
    case WM_CHAR:
        OnChar(int(msg.wParam));
        return 0;
    case WM_SYSKEYDOWN:
        return OnSysKeyDown(msg);
    case WM_SYSKEYUP:
        return OnSysKeyUp(msg);
    case WM_SYSCOMMAND:
        return OnSysCommand(msg);
    case WM_ACTIVATEAPP:
        return OnActivateApp(msg);
    case WM_ACTIVATE:
        return OnActivate(msg);
    case WM_SIZE:
        return OnSize(msg);
    case WM_DROPFILES:
        return OnDropFiles(msg);
    case WM_DESTROY:
        return OnDestroy(msg);
    case WM_CLOSE:
        return OnClose(msg);
    case WM_LBUTTONDOWN:
        OnLButtonDown(x, y);
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(x, y);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(x, y);
        return 0;
    case WM_MBUTTONDOWN:
        OnMButtonDown(x, y);
        return 0;
    case WM_MBUTTONUP:
        OnMButtonUp(x, y);
        return 0;
    case WM_RBUTTONDOWN:
        OnRButtonDown(x, y);
        return 0;
    case WM_RBUTTONUP:
        OnRButtonUp(x, y);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(x, y);
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(GET_WHEEL_DELTA_WPARAM(msg.wParam));
        return 0;
    case WM_COMMAND:
        if (!GameModeFlag && OnEditorCommand(LOWORD(msg.wParam)))
            return 0;
        return DefWindowProc(msg);
    case WM_INITMENUPOPUP: {
        LRESULT r = DefWindowProc(msg);
        auto* popup = reinterpret_cast<platform::ui::Menu*>(msg.wParam);
        const int position = LOWORD(msg.lParam);
        if (popup && EditorMenu && EditorMenu->GetSubMenu(position) == popup)
            OnEditorInitMenuPopup(*popup, position);
        return r;
    }
    case MM_MCINOTIFY:
        // The end of the CD track: the music starts again.
        if (msg.wParam == MciNotifySuccessful) {
            LogPrintf("MCI_NOTIFY");
            CdMusic.Replay();
        }
        return DefWindowProc(msg);
    default:
        return DefWindowProc(msg);
    }
}

void CMainWindow::OnPaint()
{
    platform::RECT update;
    if (!BeginPaint(update) || update.right <= update.left || update.bottom <= update.top)
        return;
    if (StepHooks.presentFrame)
        StepHooks.presentFrame();
    else
        ShowBackBuffer();
}

void CMainWindow::OnKeyDown(int key)
{
    if (MoviePlays()) {
        // Only Esc acts while a movie plays: it skips the movie.
        if (key == VK_ESCAPE)
            SkipMovie();
        return;
    }
    Input.menuKey = 0;
    switch (key) {
    case VK_RETURN:
        Input.menuKey = 3;
        break;
    case VK_ESCAPE:
        Input.menuKey = 8;
        break;
    case VK_END:
        Input.menuKey = 4;
        break;
    case VK_HOME:
        Input.menuKey = 5;
        break;
    case VK_LEFT:
        Input.menuKey = 2;
        break;
    case VK_UP:
        Input.menuKey = 6;
        break;
    case VK_RIGHT:
        Input.menuKey = 1;
        break;
    case VK_DOWN:
        Input.menuKey = 7;
        break;
    default:
        break;
    }
    if (TextEntryActive)
        return;
    if (IsGameView()) {
        GameViewKey(key);
        return;
    }
    if (StartGameKey(key))
        return;

    bool ctrl = KeyHeld(VK_CONTROL);
    bool shift = KeyHeld(VK_SHIFT);
    switch (key) {
    case VK_PAUSE:
        AnimationStopFlag = !AnimationStopFlag;
        return;
    case VK_ESCAPE:
        ClearEditorSelection();
        RefreshTreesAfterEscape();
        EditorDrag.mode = DRAG_NONE;
        return;
    case VK_DELETE:
        OnEditorCommand(ID_EDIT_DELETE);
        ObjectEditorKey(key, ctrl, shift);
        return;
    case VK_SPACE:
        if (CurrentViewIndex() == VIEW_MODEL && AttackPointMode) {
            TurnAttackPointRandomly();
            return;
        }
        break;
    case VK_PRIOR:
    case VK_NEXT:
        if (StepGridLevel(CurrentViewIndex(), key == VK_PRIOR))
            switchMode();
        ObjectEditorKey(key, ctrl, shift);
        return;
    case '1':
        SnappingMode = 1;
        return;
    case '2':
        SnappingMode = 2;
        return;
    case '3':
        SnappingMode = 0;
        return;
    default:
        break;
    }
    if (ctrl) {
        CWorldObject* first = FirstWorldObject();
        switch (key) {
        case 'A':
            if (first)
                WorldWalk::SelectAll(first);
            return;
        case 'I':
            if (first)
                WorldWalk::InvertSelection(first);
            return;
        case 'H':
            if (first) {
                if (shift)
                    WorldWalk::UnhideAll(first);
                else
                    WorldWalk::HideSelected(first, true);
            }
            return;
        case 'S':
            SaveCurrentWorld();
            return;
        case 'D': {
            PositionCameraDlg dialog;
            dialog.DoModal(this);
            return;
        }
        case 'B':
            OnEditorCommand(ID_VIEW_BACKFACE_CULLING);
            return;
        case 'G':
            OnEditorCommand(ID_VIEW_LIGHTING);
            return;
        case 'O':
            DX.DeviceShadowFlag = !DX.DeviceShadowFlag;
            return;
        case 'C':
            OnEditorCommand(ID_EDIT_COPY);
            return;
        case 'X':
            OnEditorCommand(ID_EDIT_CUT);
            return;
        case 'L':
            OnEditorCommand(ID_FILE_LOAD_WORLD);
            return;
        case 'M':
            OnEditorCommand(ID_EDIT_ADD_MACRO);
            return;
        case 'N':
            OnEditorCommand(ID_VIEW_SUN);
            return;
        case 'J':
            OnEditorCommand(ID_VIEW_LIGHTS);
            return;
        case 'R':
            OnEditorCommand(ID_EDIT_RECORD_CAMERA);
            return;
        case 'P':
            OnEditorCommand(ID_VIEW_SHADOW_MAPS);
            return;
        case 'T':
            OnEditorCommand(ID_VIEW_TEXTURES);
            return;
        default:
            break;
        }
    }
    if (ObjectEditorKey(key, ctrl, shift))
        return;
    if (GroundViewKey(key))
        return;
    if (EditSelectionByKey(key, ctrl, shift))
        return;
    if (ctrl)
        return;
    ViewIndex view = VIEW_COUNT;
    switch (key) {
    case VK_F1:
        view = VIEW_TOP;
        break;
    case VK_F1 + 3:
        view = VIEW_PERSPECTIVE;
        break;
    case VK_F1 + 4:
        view = VIEW_WORLD_GROUND;
        break;
    case VK_F1 + 5:
        view = VIEW_MODEL;
        break;
    case VK_F1 + 6:
        view = VIEW_MODEL_GROUND;
        break;
    case VK_F1 + 7:
        view = VIEW_OBJECT_EDITOR;
        break;
    default:
        break;
    }
    // The view stays while the attack-point dialog is open.
    if (view != VIEW_COUNT && !AttackPointDialogOpen()) {
        EditorDrag.mode = DRAG_NONE;
        SelectView(view);
        switchMode();
    }
}

void CMainWindow::OnKeyUp(int key)
{
    if (key == VK_SPACE && IsGameView())
        SetGameCameraMode(0);
}

void CMainWindow::OnChar(int character)
{
    // Typed characters (Windows-1252 bytes) reach the menu key word only through
    // the in-game text entry, and never over a key not yet taken.
    if (TextEntryActive && Input.menuKey == 0)
        Input.menuKey = character & 0xFF;
}

LRESULT CMainWindow::OnSysKeyDown(const Message& msg)
{
    if (MoviePlays())
        return 0;
    if (IsGameView())
        return DefWindowProc(msg);
    // In editor views system keys other than F10 do nothing.
    if (msg.wParam == WPARAM(VK_F10)) {
        int32_t number = PlanningBurglaryNumber;
        if (AskStartPlanningMode(number))
            StartPlanningMode(number);
    }
    return 0;
}

LRESULT CMainWindow::OnSysKeyUp(const Message& msg)
{
    bool alt = (uintptr_t(msg.lParam) & (1u << 29)) != 0;
    if (msg.wParam == WPARAM(VK_RETURN) && alt && !MoviePlays()) {
        WindowedFlag = WindowedFlag ? 0 : 1;
        LogPrintf("Switching to %s", WindowedFlag ? "window-mode" : "fullscreen-mode");
        InitDirectX();
    }
    return DefWindowProc(msg);
}

LRESULT CMainWindow::OnSysCommand(const Message& msg)
{
    WPARAM cmd = msg.wParam & 0xFFF0;
    if (AppActiveFlag && (cmd == SC_SCREENSAVE || cmd == SC_MONITORPOWER))
        return 0;
    return DefWindowProc(msg);
}

LRESULT CMainWindow::OnActivateApp(const Message& msg)
{
    bool active = msg.wParam != 0;
    AppActiveFlag = active ? 1 : 0;
    GameClock.appPaused = active ? 0 : 1;
    // The screen saver stays off while the program is the active one.
    AllowScreenSaver(!active);
    LogPrintf("APPLICATION %s", active ? "ACTIVATED" : "DEACTIVATED");
    if (!active)
        StopMovie();
    if (StepHooks.pauseSounds)
        StepHooks.pauseSounds(!active);
    if (active)
        ResumeMovie();
    LRESULT r = DefWindowProc(msg);
    if (active)
        PostMessage(WM_MOUSEMOVE, 0, 0);
    return r;
}

LRESULT CMainWindow::OnActivate(const Message& msg)
{
    GameClock.appPaused = HIWORD(msg.wParam) ? 1 : 0;
    return DefWindowProc(msg);
}

LRESULT CMainWindow::OnSize(const Message& msg)
{
    LRESULT r = DefWindowProc(msg);
    if (msg.wParam == SIZE_MINIMIZED) {
        GameClock.appPaused = 1;
        return r;
    }
    if (!DeviceReady() || !WindowedFlag || MoviePlays())
        return r;
    platform::RECT client;
    if (!GetClientRect(client) || client.right < 1 || client.bottom < 1)
        return r;
    // The device is made again only when the render size really changed.
    if (client.right == DX.screenWidth && client.bottom == DX.screenHeight)
        return r;
    Settings.mainWndW = client.right;
    Settings.mainWndH = client.bottom;
    if (InitDirectX())
        GameFrame();
    return r;
}

LRESULT CMainWindow::OnDropFiles(const Message& msg)
{
    if (msg.files.empty())
        return 0;
    std::string name = msg.files.front().substr(0, DroppedNameMax);
    if (GetApp())
        GetApp()->BeginWaitCursor();
    LogPrintf("Dropped file '%s'", name.c_str());
    bool taken = false;
    if (DroppedFileHooks.loadWorld && DroppedFileHooks.loadWorld(name.c_str())) {
        taken = true;
        SelectView(VIEW_PERSPECTIVE);
        switchMode();
    } else if (DroppedFileHooks.importModel && DroppedFileHooks.importModel(name.c_str())) {
        taken = true;
    } else if (DroppedFileHooks.loadTexture && DroppedFileHooks.loadTexture(name.c_str())) {
        taken = true;
    }
    if (taken && DroppedFileHooks.refreshEditor)
        DroppedFileHooks.refreshEditor();
    if (GetApp())
        GetApp()->EndWaitCursor();
    return 0;
}

LRESULT CMainWindow::OnDestroy(const Message& msg)
{
    WriteSettings();
    return DefWindowProc(msg);
}

LRESULT CMainWindow::OnClose(const Message& msg)
{
    if (IsGameView()) {
        // The in-game message box asks; the game step quits when it is confirmed.
        OpenQuitQuestion();
        return 0;
    }
    return DefWindowProc(msg);
}

void CMainWindow::beginDrag(int32_t mode, int x, int y)
{
    EditorDrag.mode = mode;
    EditorDrag.startX = x;
    EditorDrag.startY = y;
    EditorDrag.zoom = CurrentView->zoom;
    EditorDrag.yaw = CurrentView->yaw;
    EditorDrag.pitch = CurrentView->pitch;
    std::copy(CurrentView->target, CurrentView->target + 3, EditorDrag.target);
    EditorDrag.delay = 3;
    SetCapture();
}

void CMainWindow::OnLButtonDown(int x, int y)
{
    Input.cursorX = x;
    Input.cursorY = y;
    if (!IsGameView()) {
        if (KeyHeld(VK_MENU))
            beginDrag(KeyHeld(VK_MBUTTON) ? DRAG_ZOOM : DRAG_ORBIT, x, y);
        else if (CurrentViewIndex() == VIEW_MODEL_GROUND)
            EditShapeAt(x, y);
        else if (WorldViewWithSelectionEdits())
            EditorLeftDown(x, y);
        else if (CurrentViewIndex() == VIEW_MODEL && AttackPointMode && BeginAttackPointDrag())
            beginDrag(DRAG_MOVE_ATTACK_POINT, x, y);
        else if (CurrentViewIndex() == VIEW_MODEL && AttackPointMode && KeyHeld(VK_CONTROL) &&
                 BeginModelNodeDrag(x, y))
            beginDrag(DRAG_MOVE_MODEL_NODE, x, y);
        return;
    }
    if (MoviePlays() || GameCameraMode == 1)
        return;
    Input.leftButton = 1;
    Input.inputFrame = GameStepFrame;
    Input.leftPressFrame = GameStepFrame;
    SetCapture();
    // The tutorial's page and emblem take their clicks; the game makes no order of them.
    if (Tutorial.TakeClick(x, y))
        return;
    if (OverInterfaceRect(x, y))
        return;
    if (RemoveTextBubblesAt(x, y))
        return;
    if (GamePhase == PHASE_PLANNING && (RecordState != RECORD_RECORD || GameClock.gameSpeed == 0))
        return;
    if (GamePhase != PHASE_PLANNING && ViewDragFlag)
        return;
    if (!CurrentCharacter || ListMenuOpen || GameLoadListOpen || GameSaveListOpen || PlanLoadListOpen ||
        PlanSaveListOpen || TransitionWord == 2)
        return;
    // Over the ground the order carries the pick ray, which the walking tasks meet with the ground;
    // it goes through the clicked pixel of the view drawn last.
    UpdateCursorRay(x, y);
    CActionEntry order;
    order.source = CurrentCharacter;
    if (PickedObject && PickedObject != CurrentCharacter) {
        order.action = 9;
        order.target = PickedObject;
    } else {
        order.action = 8;
        order.position[0] = CursorRay.direction.x;
        order.position[1] = CursorRay.direction.y;
        order.position[2] = CursorRay.direction.z;
        order.rayOrigin[0] = CursorRay.origin.x;
        order.rayOrigin[1] = CursorRay.origin.y;
        order.rayOrigin[2] = CursorRay.origin.z;
    }
    PushRequest(order);
}

void CMainWindow::OnLButtonUp(int x, int y)
{
    Input.cursorX = x;
    Input.cursorY = y;
    if (!IsGameView()) {
        switch (EditorDrag.mode) {
        case DRAG_RUBBER_BAND:
            SelectInRect(EditorDrag.startX, EditorDrag.startY, EditorDrag.bandX, EditorDrag.bandY);
            if (g_WorldTreeDlg)
                g_WorldTreeDlg->Redraw();
            break;
        case DRAG_MOVE_SELECTION:
        case DRAG_MOVE_POINT:
            EndSelectionDrag();
            break;
        case DRAG_MOVE_MODEL_NODE:
            // The placed models of the moved node take up other room now.
            RecomputeWorldBounds();
            break;
        default:
            break;
        }
        EditorDrag.mode = DRAG_NONE;
        ReleaseCapture();
        return;
    }
    if (Input.inputFrame == GameStepFrame) {
        Input.leftClick = 1;
        // Released in the frame of its press: the game step sees it held once more.
        Input.leftReleaseDeferred = 1;
    } else {
        Input.leftClick = 0;
        Input.doubleClick = 0;
        Input.leftButton = 0;
    }
    if (!Input.rightButton && !Input.middleButton)
        ReleaseCapture();
    if (TutorialBrowserOpen || OverInterfaceRect(x, y) || !PickedObject)
        return;
    CObjectNode* item = ActiveItem;
    int32_t code = -1;
    if (item) {
        // The item in hand decides the action, and the hand is empty afterwards.
        code = ItemActionCode(item);
        ActiveItem = nullptr;
        Input.leftButton = 0;
    } else {
        // The action the bubble over the held object offers under the cursor.
        code = ActionBubble.hovered;
        if (SoundManager)
            SoundManager->play("MENUCLICK", nullptr, 0, 0, 0, 5.0f, 1.0f, 1.0f, 1);
    }
    if (code == -1 || !CurrentCharacter)
        return;
    // The character walks to the object and acts there: an action on its own would reach the
    // object wherever the character stands. The press's walk order on the same object joins it.
    auto action = std::make_shared<CActionEntry>();
    action->init(code, PickedObject, item);
    action->source = CurrentCharacter;
    CActionEntry order;
    order.action = 9;
    order.source = CurrentCharacter;
    order.target = PickedObject;
    order.followUp = action;
    PushRequest(order);
}

void CMainWindow::OnRButtonDown(int x, int y)
{
    Input.cursorX = x;
    Input.cursorY = y;
    if (!IsGameView()) {
        if (WorldViewWithSelectionEdits())
            OpenWorldContextMenu(x, y);
        return;
    }
    Input.rightButton = 1;
    Input.inputFrame = GameStepFrame;
    Input.rightPressFrame = GameStepFrame;
    SetCapture();
}

void CMainWindow::OnRButtonUp(int x, int y)
{
    Input.cursorX = x;
    Input.cursorY = y;
    if (!IsGameView())
        return;
    if (Input.inputFrame == GameStepFrame) {
        Input.rightClick = 1;
        Input.rightReleaseDeferred = 1;
    } else {
        Input.rightClick = 0;
        Input.rightButton = 0;
    }
    if (!Input.leftButton && !Input.middleButton)
        ReleaseCapture();
}

void CMainWindow::OnMButtonDown(int x, int y)
{
    if (!IsGameView()) {
        if (KeyHeld(VK_MENU))
            beginDrag(KeyHeld(VK_LBUTTON) ? DRAG_ZOOM : DRAG_PAN, x, y);
        else if (WorldViewWithSelectionEdits() && BeginSelectionDrag())
            beginDrag(DRAG_ROTATE_SELECTION, x, y);
        else if (CurrentViewIndex() == VIEW_MODEL && AttackPointMode && BeginAttackPointDrag())
            beginDrag(DRAG_TURN_ATTACK_POINT, x, y);
        return;
    }
    if (MoviePlays())
        return;
    Input.middleButton = 1;
    SetCapture();
    SetGameCameraMode(1);
}

void CMainWindow::OnMButtonUp(int, int)
{
    if (!IsGameView()) {
        if (EditorDrag.mode == DRAG_ROTATE_SELECTION)
            EndSelectionDrag();
        EditorDrag.mode = DRAG_NONE;
        ReleaseCapture();
        return;
    }
    Input.middleButton = 0;
    if (!Input.leftButton && !Input.rightButton)
        ReleaseCapture();
    SetGameCameraMode(0);
}

void CMainWindow::OnLButtonDblClk(int x, int y)
{
    if (IsGameView()) {
        Input.doubleClick = 1;
        return;
    }
    EditorDrag.mode = DRAG_NONE;
    CWorldObject* hit = SelectAtCursor(x, y, KeyHeld(VK_CONTROL) || KeyHeld(VK_MENU));
    if (hit && hit->objectKind == CWorldObject::KIND_OBJECT)
        BindSelectionToObjectProperties(hit);
    if (g_WorldTreeDlg)
        g_WorldTreeDlg->Redraw();
}

void CMainWindow::EditorLeftDown(int x, int y)
{
    if (EditorDraggedPoint) {
        if (EditorPointSkip)
            EditorPointSkip = false;
        else
            beginDrag(DRAG_MOVE_POINT, x, y);
        return;
    }
    if (PlaceNewObject())
        return;
    if (!PasteBufferEmpty()) {
        if (CWorldObject* first = PasteAt(CursorPoint(x, y))) {
            RefillWorldTree();
            BindSelectionToObjectProperties(first);
        }
        return;
    }
    const bool ctrl = KeyHeld(VK_CONTROL), modifier = ctrl || KeyHeld(VK_SHIFT);
    if (!modifier && BeginSelectionDrag()) {
        beginDrag(DRAG_MOVE_SELECTION, x, y);
        return;
    }
    if (!ctrl)
        if (CWorldObject* first = FirstWorldObject())
            WorldWalk::ClearSelection(first);
    beginDrag(DRAG_RUBBER_BAND, x, y);
    EditorDrag.bandX = x;
    EditorDrag.bandY = y;
}

void CMainWindow::OnMouseMove(int x, int y)
{
    if (Input.mouseMoveHandled)
        return;
    Input.mouseMoveHandled = 1;
    Input.cursorX = x;
    Input.cursorY = y;
    if (IsGameView())
        return;
    if (EditorDrag.mode == DRAG_NONE && WorldViewWithSelectionEdits())
        SnapSelection(CursorPoint(x, y));
    if (EditorDrag.mode == DRAG_NONE || GetCapture() != this)
        return;
    if (EditorDrag.delay > 1) {
        --EditorDrag.delay;
        return;
    }
    const float dx = float(x - EditorDrag.startX), dy = float(y - EditorDrag.startY);
    CCameraView& v = *CurrentView;
    switch (EditorDrag.mode) {
    case DRAG_ORBIT:
        v.yaw = EditorDrag.yaw - 0.01f * dx;
        v.pitch = std::clamp(EditorDrag.pitch - 0.01f * dy, -MaxEditorPitch, MaxEditorPitch);
        break;
    case DRAG_ZOOM:
        v.zoom = EditorDrag.zoom + 0.02f * dy;
        break;
    case DRAG_PAN: {
        // Moves the target in the view plane so the point under the cursor stays there.
        const int32_t w = DX.screenWidth > 0 ? DX.screenWidth : 640;
        const int32_t h = DX.screenHeight > 0 ? DX.screenHeight : 480;
        const float sx = dx * (640.0f / float(w)) * EditorDrag.zoom / 640.0f;
        const float sy = dy * (480.0f / float(h)) * EditorDrag.zoom / 480.0f;
        const float right[3] = {-std::cos(v.yaw), 0.0f, std::sin(v.yaw)};
        const float up[3] = {-std::sin(v.pitch) * std::sin(v.yaw), std::cos(v.pitch),
                             -std::sin(v.pitch) * std::cos(v.yaw)};
        for (int i = 0; i < 3; ++i)
            v.target[i] = EditorDrag.target[i] - right[i] * sx + up[i] * sy;
        break;
    }
    case DRAG_MOVE_SELECTION:
        MoveSelectionBy(CursorOffsetInView(v, dx, dy, RenderWidth(), RenderHeight()));
        return;
    case DRAG_ROTATE_SELECTION:
        TurnSelectionBy(0.01f * dx);
        return;
    case DRAG_MOVE_ATTACK_POINT:
        MoveAttackPointBy(CursorOffsetInView(v, dx, dy, RenderWidth(), RenderHeight()));
        return;
    case DRAG_MOVE_MODEL_NODE:
        MoveModelNodeBy(CursorOffsetInView(v, dx, dy, RenderWidth(), RenderHeight()));
        return;
    case DRAG_TURN_ATTACK_POINT:
        TurnAttackPointBy(0.01f * dx);
        return;
    case DRAG_MOVE_POINT:
        MovePointTo(CursorPoint(x, y));
        SnapDraggedNode();
        return;
    case DRAG_RUBBER_BAND:
        EditorDrag.bandX = std::clamp(x, 0, RenderWidth() - 1);
        EditorDrag.bandY = std::clamp(y, 0, RenderHeight() - 1);
        return;
    default:
        break;
    }
    if (v.orthographic)
        switchMode();
}

void CMainWindow::OnMouseWheel(int delta)
{
    if (MoviePlays())
        return;
    ReleaseCapture();
    CurrentView->zoom -= 0.004f * float(delta);
    Input.wheel = -delta;
    if (IsGameView()) {
        Input.middleButton = 0;
        if (!Input.leftButton && !Input.rightButton)
            ReleaseCapture();
        SetGameCameraMode(0);
    } else if (CurrentView->orthographic) {
        switchMode();
    }
}
