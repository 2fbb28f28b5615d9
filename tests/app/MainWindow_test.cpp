// The main window's handlers on a real window and device.

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/ScreenResults.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/editor/AttackPointsDlg.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/EditorSelection.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/win/MessageBox.h"
#include "platform/win/NativeWindow.h"
#include "tests/app/ShellWorld.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> droppedTextures;
int editorRefreshes = 0;

bool TakeTexture(const char* path)
{
    droppedTextures.push_back(path);
    return true;
}
bool TakeWorld(const char* path)
{
    return std::string(path).ends_with(".wld");
}
void CountRefresh()
{
    ++editorRefreshes;
}

class MainWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        config = fs::temp_directory_path() / ("varek_shell_window_" + std::to_string(::getpid()));
        fs::remove_all(config);
        fs::create_directories(config);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        TextTree.Insert("RULO2", "Varek Title");
        TextTree.Insert("REALLY_QUIT", "Really quit?");
    }
    static void TearDownTestSuite() { fs::remove_all(config); }

    void SetUp() override
    {
        ShowKeysFlag = 0;
        WindowedFlag = 1;
        GameClock = GameClockState();
        SelectView(VIEW_GAME);
        Settings = GameSettings();
        window = new CMainWindow();
        ASSERT_TRUE(window->CreateMainWindow());
        MainWindow = window;
        DX.mainWindow = window;
        for (int i = 0; i < 5; ++i)
            WaitAndPumpMessages(10);
    }
    void TearDown() override
    {
        ReleaseDirectX();
        ShutdownDirectDraw();
        FreeDriverList();
        DX.mainWindow = nullptr;
        if (window->IsWindow())
            window->DestroyWindow();
        delete window;
        MainWindow = nullptr;
        ClearMessageBoxAnswers();
        DroppedFileHooks = DropHooks();
    }
    bool StartDevice() { return EnumerateDrivers() && InitDirectX(); }
    LRESULT Send(uint32_t msg, WPARAM w = 0, LPARAM l = 0) { return window->SendMessage(msg, w, l); }

    static fs::path config;
    CMainWindow* window = nullptr;
};
fs::path MainWindowTest::config;

TEST_F(MainWindowTest, TitleIsTheTextOfTheTitleKey)
{
    EXPECT_EQ(window->GetWindowText(), "Varek Title");
    ShowKeysFlag = 1;
    window->switchMode();
    EXPECT_EQ(window->GetWindowText(), "RULO2");
    ShowKeysFlag = 0;
    SelectView(VIEW_PERSPECTIVE);
    window->switchMode();
    CurrentWorldFile.clear();
    window->switchMode();
    EXPECT_EQ(window->GetWindowText(), "Varek Title - Editor [unnamed]");
    CurrentWorldFile = "Level.wld";
    window->switchMode();
    EXPECT_EQ(window->GetWindowText(), "Varek Title - Editor [Level.wld]");
    CurrentWorldFile.clear();
}

TEST_F(MainWindowTest, MinimiseAndRestorePauseUntilActivated)
{
    GameClock.prevFrameTime = GameClock.frameTime = 1000;
    Send(WM_ACTIVATEAPP, 1);
    EXPECT_EQ(GameClock.appPaused, 0);

    Send(WM_SIZE, SIZE_MINIMIZED);
    EXPECT_EQ(GameClock.appPaused, 1);
    FrameHooks hooks;
    uint32_t now = 1040;
    static uint32_t* clockNow = &now;
    hooks.timeSource = [] { return *clockNow; };
    EXPECT_FALSE(FrameClockIdle(GameClock, hooks));
    EXPECT_EQ(GameClock.gameClock, 0);

    // Restoring alone keeps the pause.
    Send(WM_SIZE, SIZE_RESTORED, LPARAM(MAKELONG(640, 480)));
    now = 1080;
    EXPECT_FALSE(FrameClockIdle(GameClock, hooks));
    EXPECT_EQ(GameClock.gameClock, 0);

    // Activation resumes; the time since the last frame counts.
    Send(WM_ACTIVATEAPP, 1);
    Send(WM_ACTIVATE, MAKELONG(int(WA_ACTIVE), 0));
    EXPECT_EQ(GameClock.appPaused, 0);
    now = 1120;
    EXPECT_TRUE(FrameClockIdle(GameClock, hooks));
    EXPECT_EQ(GameClock.gameClock, 40);

    Send(WM_ACTIVATEAPP, 0);
    EXPECT_EQ(GameClock.appPaused, 1);
}

TEST_F(MainWindowTest, AltEnterTogglesFullScreenAndBack)
{
    // Full screen takes the display's own mode (the virtual display has one).
    ASSERT_TRUE(StartDevice());
    ASSERT_TRUE(DX.directDraw);
    EXPECT_FALSE(DX.directDraw->fullscreen);

    const LPARAM alt = LPARAM(1u << 29);
    Send(WM_SYSKEYUP, VK_RETURN, alt);
    EXPECT_EQ(WindowedFlag, 0);
    ASSERT_TRUE(DX.initialised);
    EXPECT_TRUE(DX.directDraw->fullscreen);

    // Enter without Alt is no toggle; nor is Alt+Enter while a movie plays.
    Send(WM_SYSKEYUP, VK_RETURN, 0);
    EXPECT_EQ(WindowedFlag, 0);
    GameClock.movieState = MoviePlaying;
    Send(WM_SYSKEYUP, VK_RETURN, alt);
    EXPECT_EQ(WindowedFlag, 0);
    GameClock.movieState = 0;

    Send(WM_SYSKEYUP, VK_RETURN, alt);
    EXPECT_EQ(WindowedFlag, 1);
    ASSERT_TRUE(DX.initialised);
    EXPECT_FALSE(DX.directDraw->fullscreen);
}

TEST_F(MainWindowTest, ResizingTheWindowMakesTheDeviceAtTheNewSize)
{
    ASSERT_TRUE(StartDevice());
    ASSERT_EQ(DX.screenWidth, 640);
    window->SetClientSize(400, 300);
    Send(WM_SIZE, SIZE_RESTORED, LPARAM(MAKELONG(400, 300)));
    EXPECT_TRUE(DX.initialised);
    EXPECT_EQ(DX.screenWidth, 400);
    EXPECT_EQ(DX.screenHeight, 300);
    EXPECT_EQ(Settings.mainWndW, 400);
    EXPECT_EQ(Settings.mainWndH, 300);
}

TEST_F(MainWindowTest, DroppingThreeFilesHandlesOnlyTheFirst)
{
    droppedTextures.clear();
    editorRefreshes = 0;
    DroppedFileHooks.loadWorld = TakeWorld;
    DroppedFileHooks.loadTexture = TakeTexture;
    DroppedFileHooks.refreshEditor = CountRefresh;

    Message drop;
    drop.hwnd = window;
    drop.message = WM_DROPFILES;
    drop.files = {"/tmp/first.bmp", "/tmp/second.bmp", "/tmp/third.wld"};
    window->WindowProc(drop);
    EXPECT_EQ(droppedTextures, std::vector<std::string>({"/tmp/first.bmp"}));
    EXPECT_EQ(editorRefreshes, 1);
    EXPECT_TRUE(IsGameView());

    // A world becomes the current world and the view the perspective view.
    drop.files = {"/tmp/world.wld", "/tmp/other.bmp"};
    window->WindowProc(drop);
    EXPECT_EQ(droppedTextures.size(), 1u);
    EXPECT_EQ(CurrentViewIndex(), VIEW_PERSPECTIVE);
    EXPECT_EQ(editorRefreshes, 2);

    // A very long name is cut at 512 characters.
    drop.files = {std::string(600, 'a')};
    window->WindowProc(drop);
    ASSERT_EQ(droppedTextures.size(), 2u);
    EXPECT_EQ(droppedTextures[1].size(), 512u);
}

TEST_F(MainWindowTest, ADroppedPictureBecomesATextureAndADamagedFileChangesNothing)
{
    InstallSubsystems();
    CreateWorldRoots();
    ASSERT_TRUE(StartDevice());
    const fs::path picture = config / "Brick.bmp";
    const fs::path damaged = config / "Broken.bmp";
    ASSERT_EQ(
        std::system(("convert -size 8x8 xc:red -type TrueColor 'BMP3:" + picture.string() + "'").c_str()), 0);
    std::ofstream(damaged, std::ios::binary) << "BM not really";

    auto count = [] {
        int n = 0;
        for (CTexture* t = CTexture::First(); t; t = t->next)
            ++n;
        return n;
    };
    const int before = count();
    Message drop;
    drop.hwnd = window;
    drop.message = WM_DROPFILES;
    drop.files = {damaged.string(), picture.string()};
    window->WindowProc(drop);
    EXPECT_EQ(count(), before);
    EXPECT_TRUE(IsGameView());

    drop.files = {picture.string()};
    window->WindowProc(drop);
    ASSERT_EQ(count(), before + 1);
    EXPECT_EQ(CTexture::Last()->name, "Brick");
    delete CTexture::Last();
    ClearWorld();
}

TEST_F(MainWindowTest, ClosingAsksInTheGameAndEndsAtOnceInTheEditor)
{
    // The game view only opens the quit question.
    MessageMenuOpen = 0;
    MessagePurpose = -1;
    Send(WM_CLOSE);
    EXPECT_EQ(MessageMenuOpen, 1);
    EXPECT_EQ(MessagePurpose, 0);
    EXPECT_TRUE(window->IsWindow());
    MessageMenuOpen = 0;

    SelectView(VIEW_TOP);
    Send(WM_CLOSE);
    EXPECT_EQ(MessageMenuOpen, 0);
    EXPECT_FALSE(window->IsWindow());
}

TEST_F(MainWindowTest, SystemKeysAndTheScreenSaver)
{
    const LPARAM alt = LPARAM(1u << 29);
    // In an editor view Alt+F4 does nothing.
    SelectView(VIEW_TOP);
    Send(WM_SYSKEYDOWN, VK_F4, alt);
    EXPECT_TRUE(window->IsWindow());

    // Active, the program holds the screen saver off; in the background it may start.
    Send(WM_ACTIVATEAPP, 1);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    Send(WM_ACTIVATEAPP, 0);
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
    Send(WM_ACTIVATEAPP, 1);

    // In the game view Alt+F4 closes as usual: the quit question opens.
    SelectView(VIEW_GAME);
    MessageMenuOpen = 0;
    Send(WM_SYSKEYDOWN, VK_F4, alt);
    EXPECT_EQ(MessageMenuOpen, 1);
    EXPECT_EQ(MessagePurpose, 0);
    EXPECT_TRUE(window->IsWindow());
    MessageMenuOpen = 0;
}

TEST_F(MainWindowTest, SettingsInUseAreWrittenBackWhenTheWindowGoes)
{
    Settings.sfxVolume = 37;
    Settings.fogEnd = 7.25f;
    Settings.mainWndW = 512;
    Settings.walkFogColor[2] = -3;
    Settings.invertMouse = 1;
    window->DestroyWindow();
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "SFXVolume", 0), 37u);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, SettingsKey, "FogEnd", ""), "7.250000");
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "MainWnd-W", 0), 512u);
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "WalkFogColorBlue", 0), 0xFFFFFFFDu);
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "InvertMouse", 0), 1u);
}

TEST_F(MainWindowTest, EditorKeysSwitchViewsAndSnapping)
{
    SelectView(VIEW_PERSPECTIVE);
    CurrentView->zoom = 9.0f;
    Send(WM_KEYDOWN, VK_F1 + 4); // F5
    EXPECT_EQ(CurrentViewIndex(), VIEW_WORLD_GROUND);
    EXPECT_FLOAT_EQ(CurrentView->zoom, 9.0f); // the shared camera
    Send(WM_KEYDOWN, VK_F1 + 5);              // F6
    EXPECT_EQ(CurrentViewIndex(), VIEW_MODEL);
    EXPECT_FLOAT_EQ(CurrentView->zoom, 2.5f);
    Send(WM_KEYDOWN, VK_F1);
    EXPECT_EQ(CurrentViewIndex(), VIEW_TOP);

    for (auto [key, mode] : std::vector<std::pair<int, int>>{{'1', 1}, {'2', 2}, {'3', 0}}) {
        Send(WM_KEYDOWN, WPARAM(key));
        EXPECT_EQ(SnappingMode, mode);
    }
    Send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(Input.menuKey, 8);

    const uint8_t animationStop = AnimationStopFlag;
    Send(WM_KEYDOWN, VK_PAUSE);
    EXPECT_NE(AnimationStopFlag, animationStop);
    Send(WM_KEYDOWN, VK_PAUSE);
    EXPECT_EQ(AnimationStopFlag, animationStop);

    // In the game view the same keys change no view; Space looks along the heading while held.
    SelectView(VIEW_GAME);
    Send(WM_KEYDOWN, VK_F1);
    EXPECT_TRUE(IsGameView());
    Send(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(GameCameraMode, 1);
    EXPECT_EQ(GameCamera.firstPerson, 1);
    Send(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(GameCameraMode, 0);
    EXPECT_EQ(GameCamera.firstPerson, 0);
}

// A modifier held as the window system reports it (modifiers are read at the message).
void HoldModifier(CMainWindow* window, SDL_Keycode sym, SDL_Scancode code, uint16_t mod, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(NativeWindow(window));
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = code;
    e.key.keysym.mod = down ? mod : uint16_t(KMOD_NONE);
    SDL_PushEvent(&e);
    PumpMessages();
}
void HoldAlt(CMainWindow* window, bool down)
{
    HoldModifier(window, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT, down);
}
void HoldCtrl(CMainWindow* window, bool down)
{
    HoldModifier(window, SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL, down);
}

TEST_F(MainWindowTest, AltDragOrbitsTheEditorViewFromTheThirdMoveWithThePitchClamped)
{
    SelectView(VIEW_PERSPECTIVE);
    const float yaw = CurrentView->yaw, pitch = CurrentView->pitch;
    auto move = [&](int x, int y) {
        Input.mouseMoveHandled = 0; // a new frame for every move
        Send(WM_MOUSEMOVE, 0, LPARAM(MAKELONG(x, y)));
    };

    // Without Alt a left press starts no camera drag (a rubber band instead).
    Send(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(100, 100)));
    EXPECT_EQ(EditorDrag.mode, DRAG_RUBBER_BAND);
    Send(WM_LBUTTONUP, 0, LPARAM(MAKELONG(100, 100)));

    HoldAlt(window, true);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(100, 100)));
    EXPECT_EQ(EditorDrag.mode, DRAG_ORBIT);
    move(110, 100);
    move(120, 100);
    EXPECT_FLOAT_EQ(CurrentView->yaw, yaw); // the first two moves change nothing
    move(130, 100);
    EXPECT_FLOAT_EQ(CurrentView->yaw, yaw - 0.3f);
    EXPECT_FLOAT_EQ(CurrentView->pitch, pitch);
    // A second move in the same frame is ignored.
    Send(WM_MOUSEMOVE, 0, LPARAM(MAKELONG(200, 100)));
    EXPECT_FLOAT_EQ(CurrentView->yaw, yaw - 0.3f);
    move(130, -1000);
    EXPECT_FLOAT_EQ(CurrentView->pitch, MaxEditorPitch);
    move(130, 1000);
    EXPECT_FLOAT_EQ(CurrentView->pitch, -MaxEditorPitch);
    Send(WM_LBUTTONUP, 0, LPARAM(MAKELONG(130, 1000)));
    EXPECT_EQ(EditorDrag.mode, DRAG_NONE);
    move(0, 0);
    EXPECT_FLOAT_EQ(CurrentView->pitch, -MaxEditorPitch);

    // Alt with the middle button pans: the target moves, the angles stay.
    Send(WM_MBUTTONDOWN, MK_MBUTTON, LPARAM(MAKELONG(100, 100)));
    EXPECT_EQ(EditorDrag.mode, DRAG_PAN);
    const float yawBefore = CurrentView->yaw;
    for (int i = 1; i <= 3; ++i)
        move(100 + 20 * i, 100);
    EXPECT_NE(CurrentView->target[0] * CurrentView->target[0] +
                  CurrentView->target[2] * CurrentView->target[2],
              0.0f);
    EXPECT_FLOAT_EQ(CurrentView->yaw, yawBefore);
    Send(WM_MBUTTONUP, 0, LPARAM(MAKELONG(160, 100)));
    HoldAlt(window, false);
    CameraViews[VIEW_PERSPECTIVE] = CCameraView();
}

TEST_F(MainWindowTest, CtrlDPositionsTheCameraAndF10AsksForTheBurglaryWithTheLastNumber)
{
    ::setenv("VAREK_NONINTERACTIVE", "1", 1);
    SelectView(VIEW_TOP);
    const CCameraView before = *CurrentView;
    const CCameraView perspective = CameraViews[VIEW_PERSPECTIVE];
    const int32_t snapping = SnappingMode;
    platform::ui::QueueDialogAnswer(platform::ui::DialogAnswer{
        PositionCameraDlg::IDD,
        {{PositionCameraDlg::kX, "10"}, {PositionCameraDlg::kY, "2"}, {PositionCameraDlg::kZ, "-5"}},
        platform::ui::IDOK});
    HoldCtrl(window, true);
    Send(WM_KEYDOWN, 'D');
    HoldCtrl(window, false);
    EXPECT_EQ(CurrentViewIndex(), VIEW_TOP);
    EXPECT_EQ(CurrentView->target[0], 10.0f);
    EXPECT_EQ(CurrentView->target[1], 2.0f);
    EXPECT_EQ(CurrentView->target[2], -5.0f);
    EXPECT_EQ(CurrentView->zoom, before.zoom);
    EXPECT_EQ(CurrentView->yaw, before.yaw);
    EXPECT_EQ(CurrentView->pitch, before.pitch);
    EXPECT_EQ(CameraViews[VIEW_PERSPECTIVE].target[0], perspective.target[0]);
    EXPECT_EQ(SnappingMode, snapping);
    EXPECT_EQ(platform::ui::FindDialog(PositionCameraDlg::IDD), nullptr);

    // F10 offers the number chosen last; Cancel starts nothing.
    PlanningBurglaryNumber = 2;
    const int32_t phase = GamePhase;
    platform::ui::QueueDialogAnswer(
        platform::ui::DialogAnswer{StartPlanningModeDlg::IDD, {}, platform::ui::IDCANCEL});
    Send(WM_SYSKEYDOWN, VK_F10);
    EXPECT_EQ(GamePhase, phase);
    EXPECT_EQ(PlanningBurglaryNumber, 2);
    CameraViews[VIEW_TOP] = before;
}

TEST_F(MainWindowTest, InAttackPointModeTheModelViewTurnsAndDragsThePointAndKeepsItsView)
{
    ::setenv("VAREK_NONINTERACTIVE", "1", 1);
    CreateWorldRoots();
    CModelEntry* entry = shelltest::AddTileEntry(1.0f);
    SelectView(VIEW_MODEL);
    ASSERT_TRUE(OpenAttackPointsDialog(entry, window));
    g_AttackPointsDlg->Click(AttackPointsDlg::kAdd);
    auto point = [&] {
        float v[4];
        std::memcpy(v, entry->points[0].words, sizeof v);
        return std::vector<float>(v, v + 4);
    };
    for (int i = 0; i < 6; ++i) {
        Send(WM_KEYDOWN, VK_SPACE);
        const float quarters = point()[3] / (3.1415927f / 2);
        EXPECT_FLOAT_EQ(quarters, std::round(quarters));
    }
    auto move = [&](int x, int y) {
        Input.mouseMoveHandled = 0;
        Send(WM_MOUSEMOVE, 0, LPARAM(MAKELONG(x, y)));
    };
    // The middle button turns the point by 0.01 a pixel from the third move on.
    const float angle = point()[3];
    Send(WM_MBUTTONDOWN, MK_MBUTTON, LPARAM(MAKELONG(100, 100)));
    EXPECT_EQ(EditorDrag.mode, DRAG_TURN_ATTACK_POINT);
    move(110, 100);
    move(120, 100);
    EXPECT_FLOAT_EQ(point()[3], angle);
    move(150, 100);
    EXPECT_FLOAT_EQ(point()[3], angle + 0.5f);
    Send(WM_MBUTTONUP, 0, LPARAM(MAKELONG(150, 100)));
    // The left button moves it in the view's plane.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(100, 100)));
    EXPECT_EQ(EditorDrag.mode, DRAG_MOVE_ATTACK_POINT);
    for (int i = 1; i <= 3; ++i)
        move(100 + 20 * i, 100);
    EXPECT_NE(point()[0] * point()[0] + point()[2] * point()[2], 0.0f);
    EXPECT_FLOAT_EQ(point()[3], angle + 0.5f);
    Send(WM_LBUTTONUP, 0, LPARAM(MAKELONG(160, 100)));
    EXPECT_EQ(EditorDrag.mode, DRAG_NONE);

    // The view keys wait until the dialog is closed.
    Send(WM_KEYDOWN, VK_F1);
    EXPECT_EQ(CurrentViewIndex(), VIEW_MODEL);
    g_AttackPointsDlg->CloseBox();
    Send(WM_KEYDOWN, VK_F1);
    EXPECT_EQ(CurrentViewIndex(), VIEW_TOP);
    // Without the dialog Space turns no point.
    SelectView(VIEW_MODEL);
    const float last = point()[3];
    Send(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(point()[3], last);
    g_AttackPointsDlg.reset();
    ClearWorld();
}

TEST_F(MainWindowTest, EditorKeysSelectMoveTurnAndSaveTheWorld)
{
    CreateWorldRoots();
    ClearWorld();
    auto* a = new CWorldObject("a");
    a->objectKind = CWorldObject::KIND_MODEL;
    a->position = CVector(1, 0, 0);
    g_WorldRoot->AddChild(a);
    auto* b = new CWorldObject("b");
    b->objectKind = CWorldObject::KIND_MODEL;
    b->position = CVector(3, 0, 0);
    g_WorldRoot->AddChild(b);
    SelectView(VIEW_PERSPECTIVE);

    // Arrows without a selection move nothing.
    Send(WM_KEYDOWN, VK_LEFT);
    EXPECT_FLOAT_EQ(a->position.z, 0.0f);

    HoldCtrl(window, true);
    Send(WM_KEYDOWN, 'A');
    EXPECT_TRUE(a->selected && b->selected);
    Send(WM_KEYDOWN, VK_LEFT); // with Ctrl the larger step
    HoldCtrl(window, false);
    EXPECT_FLOAT_EQ(a->position.z, 0.02f);
    Send(WM_KEYDOWN, VK_UP);
    EXPECT_FLOAT_EQ(b->position.x, 3.001f);

    // Space turns the selection a quarter about the mean of its positions.
    a->position = CVector(1, 0, 0);
    b->position = CVector(3, 0, 0);
    Send(WM_KEYDOWN, VK_SPACE);
    EXPECT_NEAR(a->position.x, 2.0f, 1e-5);
    EXPECT_NEAR(std::fabs(a->position.z), 1.0f, 1e-5);
    EXPECT_NEAR(a->position.z, -b->position.z, 1e-5);

    // Esc clears the selection; Ctrl+I inverts it.
    Send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_FALSE(a->selected || b->selected);
    HoldCtrl(window, true);
    Send(WM_KEYDOWN, 'I');
    EXPECT_TRUE(a->selected && b->selected);

    // Ctrl+S writes the world to its own file; a file that cannot be written is reported.
    CurrentWorldFile = (config / "Saved.wld").string();
    Send(WM_KEYDOWN, 'S');
    EXPECT_TRUE(fs::exists(config / "Saved.wld"));
    // Boxes are logged while nobody is at the screen.
    static const uint8_t logging = 1;
    const fs::path logFile = config / "boxes.txt";
    LogPrintfSetTarget(&logging, logFile.c_str());
    CurrentWorldFile = (config / "missing" / "Saved.wld").string();
    Send(WM_KEYDOWN, 'S');
    LogPrintfSetTarget(nullptr, "");
    EXPECT_FALSE(fs::exists(config / "missing"));
    std::ifstream in(logFile);
    std::string logged((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(logged.find("Save world failed!"), std::string::npos) << logged;
    HoldCtrl(window, false);
    CurrentWorldFile.clear();
    ClearWorld();
}

// Top view, zoom 4, 640 x 480: one world unit is 80 pixels across and 60 down, the
// origin in the middle, +z up the screen. A tile is centred on its position.
TEST_F(MainWindowTest, RubberBandDoubleClickAndDragSelectAndMoveInTheTopView)
{
    InstallSubsystems();
    ASSERT_TRUE(StartDevice());
    CreateWorldRoots();
    ClearWorld();
    CModelEntry* tile = shelltest::AddTileEntry(1.0f);
    CWorldObject* tiles[3];
    for (int i = 0; i < 3; ++i)
        tiles[i] = shelltest::AddInstance(g_WorldRoot, tile, CVector(-2.0f + 2.0f * float(i), 0, 0));
    RecomputeWorldBounds();
    const CCameraView saved = CameraViews[VIEW_TOP];
    SelectView(VIEW_TOP);
    CameraViews[VIEW_TOP].zoom = 4;
    window->switchMode();
    auto draw = [&] {
        SWorldFrame frame;
        frame.gameView = false;
        frame.eye = ViewEye(*CurrentView);
        frame.target = CVector(CurrentView->target[0], CurrentView->target[1], CurrentView->target[2]);
        RenderWorldFrame(frame);
    };
    auto at = [](int x, int y) { return LPARAM(MAKELONG(x, y)); };
    auto move = [&](int x, int y) {
        Input.mouseMoveHandled = 0;
        Send(WM_MOUSEMOVE, MK_LBUTTON, at(x, y));
    };

    // A band over the first two tiles (x 120-200 and 280-360, y 210-270).
    draw();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, at(100, 190));
    EXPECT_EQ(EditorDrag.mode, DRAG_RUBBER_BAND);
    for (int x : {200, 300, 370})
        move(x, 280);
    Send(WM_LBUTTONUP, 0, at(370, 280));
    EXPECT_EQ(EditorDrag.mode, DRAG_NONE);
    EXPECT_TRUE(tiles[0]->selected && tiles[1]->selected);
    EXPECT_FALSE(tiles[2]->selected);

    // A double click on the third selects it alone; a left drag then moves it.
    draw();
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, at(480, 240));
    Send(WM_LBUTTONUP, 0, at(480, 240));
    EXPECT_FALSE(tiles[0]->selected || tiles[1]->selected);
    ASSERT_TRUE(tiles[2]->selected);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, at(480, 240));
    EXPECT_EQ(EditorDrag.mode, DRAG_MOVE_SELECTION);
    for (int x : {500, 520, 560})
        move(x, 240);
    Send(WM_LBUTTONUP, 0, at(560, 240));
    EXPECT_NEAR(tiles[2]->position.x, 3.0f, 1e-3f);
    EXPECT_NEAR(tiles[2]->position.z, 0.0f, 1e-3f);
    EXPECT_NEAR(tiles[0]->position.x, -2.0f, 1e-6f);

    // Copy, Esc's empty selection, then a click in the view pastes the copy there.
    HoldCtrl(window, true);
    Send(WM_KEYDOWN, 'C');
    HoldCtrl(window, false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, at(320, 120)); // (0, 0, 2) on the grid
    Send(WM_LBUTTONUP, 0, at(320, 120));
    CWorldObject* pasted = tiles[2]->NextObject();
    ASSERT_NE(pasted, nullptr);
    EXPECT_NEAR(pasted->position.x, 0.0f, 1e-3f);
    EXPECT_NEAR(pasted->position.z, 2.0f, 1e-3f);
    EXPECT_TRUE(pasted->selected);
    Send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(g_PasteRoot->firstChild, nullptr);
    EXPECT_FALSE(pasted->selected);

    CameraViews[VIEW_TOP] = saved;
    ClearWorld();
}

TEST_F(MainWindowTest, AClickReleasedInItsOwnFrameIsSeenOnce)
{
    GameStepFrame = 10;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(5, 6)));
    Send(WM_LBUTTONUP, 0, LPARAM(MAKELONG(5, 6)));
    EXPECT_EQ(Input.leftClick, 1);
    EXPECT_EQ(Input.leftButton, 1);
    ApplyDeferredButtonReleases(Input, 11);
    EXPECT_EQ(Input.leftButton, 0);

    // A press held over a frame is a drag, not a click.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(5, 6)));
    GameStepFrame = 12;
    Send(WM_LBUTTONUP, 0, LPARAM(MAKELONG(5, 6)));
    EXPECT_EQ(Input.leftClick, 0);
    EXPECT_EQ(Input.leftButton, 0);
}

// A click in the game view orders the character the player controls: over the ground a walk to
// the point under the pick ray (kind 8), over an object a walk to it (kind 9).
TEST_F(MainWindowTest, AClickOverTheGroundOrdersAWalkThereAndOverAnObjectAWalkToIt)
{
    CWorldObject hero("Hero"), door("Door");
    CurrentCharacter = &hero;
    GamePhase = PHASE_REALTIME;
    RequestQueue.clear();
    CursorRay.direction = CVector(0, -1, 0);
    PickedObject = nullptr;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(50, 60)));
    Send(WM_LBUTTONUP, 0, LPARAM(MAKELONG(50, 60)));
    PickedObject = &door;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(300, 200)));
    Send(WM_LBUTTONUP, 0, LPARAM(MAKELONG(300, 200)));
    ASSERT_EQ(RequestQueue.size(), 2u);
    EXPECT_EQ(RequestQueue[0].action, 8);
    EXPECT_EQ(RequestQueue[0].source, &hero);
    EXPECT_EQ(RequestQueue[0].position[1], -1.0f) << "the pick ray's direction";
    EXPECT_EQ(RequestQueue[1].action, 9);
    EXPECT_EQ(RequestQueue[1].target, &door);
    RequestQueue.clear();
    PickedObject = nullptr;
    CurrentCharacter = nullptr;
    Input = InputState();
}

// A release over the object under the cursor orders the action the bubble offers there, unless
// the tutorial's page or a screen has the cursor.
TEST_F(MainWindowTest, AReleaseOverAnObjectOrdersTheBubblesAction)
{
    CWorldObject hero("Hero"), door("Door");
    struct Case
    {
        const char* what;
        int32_t hovered;
        bool picked, character, page, overScreen;
        bool ordered;
    };
    const Case cases[] = {
        {"the bubble's right slice", 2, true, true, false, false, true},
        {"the bubble's middle slice", 0, true, true, false, false, true},
        {"no slice under the cursor", -1, true, true, false, false, false},
        {"nothing under the cursor", 1, false, true, false, false, false},
        {"no character to order", 1, true, false, false, false, false},
        {"the tutorial's page is shown", 1, true, true, true, false, false},
        {"over a screen's rectangle", 1, true, true, false, true, false},
    };
    for (const Case& c : cases) {
        RequestQueue.clear();
        ActionBubble.hovered = c.hovered;
        PickedObject = c.picked ? &door : nullptr;
        CurrentCharacter = c.character ? &hero : nullptr;
        TutorialBrowserOpen = c.page ? 1 : 0;
        ClearViewRects();
        if (c.overScreen)
            ViewRectTable[0] = {0, 400, 640, 480};
        Send(WM_LBUTTONUP, 0, LPARAM(MAKELONG(300, 440)));
        ASSERT_EQ(RequestQueue.size(), c.ordered ? 1u : 0u) << c.what;
        if (c.ordered) {
            // A walk to the object that performs the action there.
            const CActionEntry& order = RequestQueue[0];
            EXPECT_EQ(order.action, 9) << c.what;
            EXPECT_EQ(order.source, &hero) << c.what;
            EXPECT_EQ(order.target, &door) << c.what;
            ASSERT_NE(order.followUp, nullptr) << c.what;
            EXPECT_EQ(order.followUp->action, c.hovered) << c.what;
            EXPECT_EQ(order.followUp->source, &hero) << c.what;
            EXPECT_EQ(order.followUp->target, &door) << c.what;
            EXPECT_EQ(order.followUp->item, nullptr) << c.what;
        }
    }
    // With a tool in hand the release breaks the object open with it, whatever the bubble
    // offers; the hand is empty afterwards and the button counts as let go.
    CObjectNode picklock("Dietrich");
    picklock.objectLogic = new CObjectLogic;
    picklock.objectLogic->ownKindData = CKindData::Create(KIND_TOOL);
    ClearViewRects();
    TutorialBrowserOpen = 0;
    RequestQueue.clear();
    PickedObject = &door;
    CurrentCharacter = &hero;
    ActionBubble.hovered = 2;
    ActiveItem = &picklock;
    Input.leftButton = 1;
    Input.inputFrame = GameStepFrame - 1;
    Send(WM_LBUTTONUP, 0, LPARAM(MAKELONG(300, 440)));
    ASSERT_EQ(RequestQueue.size(), 1u);
    ASSERT_NE(RequestQueue[0].followUp, nullptr);
    EXPECT_EQ(RequestQueue[0].followUp->action, 4);
    EXPECT_EQ(RequestQueue[0].followUp->item, &picklock);
    EXPECT_EQ(ActiveItem, nullptr);
    EXPECT_EQ(Input.leftButton, 0);
    // Something in hand that is no item orders nothing, and is dropped all the same.
    CObjectNode lamp("Lampe");
    lamp.objectLogic = new CObjectLogic;
    lamp.objectLogic->ownKindData = CKindData::Create(KIND_FIXED);
    RequestQueue.clear();
    ActiveItem = &lamp;
    Send(WM_LBUTTONUP, 0, LPARAM(MAKELONG(300, 440)));
    EXPECT_TRUE(RequestQueue.empty());
    EXPECT_EQ(ActiveItem, nullptr);
    // A press over a screen's rectangle orders nothing either.
    ViewRectTable[0] = {0, 400, 640, 480};
    RequestQueue.clear();
    CurrentCharacter = &hero;
    PickedObject = &door;
    GamePhase = PHASE_REALTIME;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(300, 440)));
    EXPECT_TRUE(RequestQueue.empty());
    ClearViewRects();
    TutorialBrowserOpen = 0;
    ActionBubble.hovered = -1;
    RequestQueue.clear();
    PickedObject = nullptr;
    CurrentCharacter = nullptr;
    Input = InputState();
}

// Esc first ends the camera's special shot; the options open only while the interface is idle
// and the control mode allows them.
TEST_F(MainWindowTest, EscEndsTheCameraShotAndBusyStatesKeepTheOptionsClosed)
{
    struct Case
    {
        const char* what;
        int key;
        int32_t cameraState, controlMode, transition;
        bool options;
    };
    const Case cases[] = {
        {"F1 when idle", VK_F1, 0, 0, 0, true},
        {"Esc during a camera shot", VK_ESCAPE, 2, 0, 0, false},
        {"F1 in control mode 1", VK_F1, 0, 1, 0, false},
        {"F1 in control mode 2", VK_F1, 0, 2, 0, true},
        {"F1 during a transition", VK_F1, 0, 0, 1, false},
    };
    GamePhase = PHASE_BURGLARY;
    InterfaceMode = 2;
    MessageMenuOpen = ListMenuOpen = 0;
    for (const Case& c : cases) {
        OptionsMenuOpen = 0;
        GameCamera.thumbnailState = c.cameraState;
        ControlModeWord = c.controlMode;
        TransitionWord = c.transition;
        Send(WM_KEYDOWN, WPARAM(c.key));
        EXPECT_EQ(OptionsMenuOpen, c.options ? 1 : 0) << c.what;
        EXPECT_EQ(GameCamera.thumbnailState, 0) << c.what;
        if (c.cameraState) {
            EXPECT_EQ(Input.menuKey, 0) << c.what << ": the key is used up";
        }
    }
    OptionsMenuOpen = 0;
    ControlModeWord = TransitionWord = 0;
    GamePhase = PHASE_REALTIME;
    InterfaceMode = 1;
}

// Keys 1 to 4 choose a gang member only in the burglary.
TEST_F(MainWindowTest, GangMemberKeysActOnlyInTheBurglary)
{
    CWorldObject hero("Hero"), second("Second");
    PlanMemberArray.clear();
    PlanMemberArray.at(PlanMemberArray.add(1))->member = &hero;
    PlanMemberArray.at(PlanMemberArray.add(1))->member = &second;
    for (int32_t phase : {PHASE_REALTIME, PHASE_PLANNING, PHASE_BURGLARY}) {
        CurrentCharacter = &hero;
        GamePhase = phase;
        InterfaceMode = 2;
        Send(WM_KEYDOWN, '2');
        EXPECT_EQ(CurrentCharacter, phase == PHASE_BURGLARY ? &second : &hero) << phase;
        Send(WM_KEYDOWN, VK_NUMPAD0 + 3);
        EXPECT_EQ(CurrentCharacter, phase == PHASE_BURGLARY ? &second : &hero) << "no third member";
    }
    EXPECT_EQ(second.flags & 0x10, 0x10);
    EXPECT_EQ(hero.flags & 0x10, 0);
    PlanMemberArray.clear();
    CurrentCharacter = nullptr;
    GamePhase = PHASE_REALTIME;
    InterfaceMode = 1;
}

} // namespace

TEST_F(MainWindowTest, TypedCharactersReachTheMenuKeyOnlyDuringTextEntry)
{
    auto type = [&](const char* utf8) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = SDL_GetWindowID(NativeWindow(window));
        std::snprintf(e.text.text, sizeof e.text.text, "%s", utf8);
        SDL_PushEvent(&e);
        for (int i = 0; i < 3; ++i)
            WaitAndPumpMessages(5);
    };
    TextEntryActive = 0;
    Input.menuKey = 0;
    type("\xC3\xA9"); // é
    EXPECT_EQ(Input.menuKey, 0);

    TextEntryActive = 1;
    type("\xC3\xA9");
    EXPECT_EQ(Input.menuKey, 0xE9);
    type("x"); // a key not yet taken is kept
    EXPECT_EQ(Input.menuKey, 0xE9);
    Input.menuKey = 0;
    type("\xE2\x82\xAC"); // the euro sign is 0x80 in the code page
    EXPECT_EQ(Input.menuKey, 0x80);

    // Keys still set the menu key word, but nothing else happens while typing.
    SelectView(VIEW_TOP);
    SnappingMode = 1;
    Send(WM_KEYDOWN, '3');
    EXPECT_EQ(SnappingMode, 1);
    Send(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(Input.menuKey, 3);
    TextEntryActive = 0;
    Send(WM_KEYDOWN, '3');
    EXPECT_EQ(SnappingMode, 0);
    SelectView(VIEW_GAME);
}
