#include "GAMES/Rulo2/Rulo2.h"

#include "GAMES/Rulo2/app/EditorMenus.h"
#include "GAMES/Rulo2/editor/EditorTree.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "platform/d3d/D3DOverlay.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/DirectXError.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CMoviePlayer.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/ScriptedRun.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/DialogTexts.h"
#include "GAMES/Rulo2/navigation/GroundMap.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/LoadingPictures.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/render/Screenshot.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/ModelImport.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"
#include "LIBS/System/sMemory.h"
#include "platform/files/WinPath.h"
#include "platform/input/Mouse.h"
#include "platform/sound/Sound.h"
#include "platform/win/Com.h"

#include <cstdio>
#include <cstdlib>
#include <string>

StartupHooks AppHooks;
uint8_t StartupInitFlag = 0;

namespace {

// Two frames of a black screen while the rest of start-up runs.
void DrawLoadingFrames()
{
    for (int frame = 0; frame < 2; ++frame) {
        if (DX.device && DX.device->BeginScene() == D3D_OK) {
            const CVector2 corners[4] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
            DrawRect2D(corners, nullptr, CVector4(0, 0, 0, 1), 0.0f);
            DX.device->EndScene();
        }
        PresentLoadingFrame();
    }
}

void ReleaseMouseDevice()
{
    if (!MouseInputDevice)
        return;
    MouseInputDevice->Unacquire();
    MouseInputDevice->Release();
    delete MouseInputDevice;
    MouseInputDevice = nullptr;
}

// While a movie plays in a window, the settings keep the window's placement.
void KeepMovieWindowPlacement()
{
    platform::RECT r;
    if (!MainWindow->IsZoomed() && !MainWindow->IsIconic() && MainWindow->GetWindowRect(r)) {
        Settings.mainWndX = r.left;
        Settings.mainWndY = r.top;
    }
    if (MainWindow->GetClientRect(r)) {
        Settings.mainWndW = r.right - r.left;
        Settings.mainWndH = r.bottom - r.top;
    }
}

int32_t EnvNumber(const char* name, int32_t fallback)
{
    const char* v = std::getenv(name);
    if (!v || !*v)
        return fallback;
    char* end = nullptr;
    long n = std::strtol(v, &end, 10);
    return (end && *end == '\0') ? int32_t(n) : fallback;
}

} // namespace

void RunGameFrame()
{
    GameFrame();
}

CGameApp::CGameApp(int argc, const char* const* argv) : argc_(argc), argv_(argv)
{
    exitAfterFrames = EnvNumber("VAREK_EXIT_AFTER_FRAMES", -1);
}

bool CGameApp::InitDirectInput()
{
    auto fail = [](platform::HRESULT hr, int line) {
        ReportDXError("GAMES/Rulo2/Rulo2", line, hr);
        ReleaseMouseDevice();
        return false;
    };
    ReleaseMouseDevice();
    MouseInputDevice = new platform::MouseDevice();
    platform::HRESULT hr = MouseInputDevice->Create();
    if (hr != platform::DI_OK)
        return fail(hr, __LINE__);
    hr = MouseInputDevice->SetCooperativeLevel(m_pMainWnd,
                                               platform::DISCL_NONEXCLUSIVE | platform::DISCL_FOREGROUND);
    if (hr != platform::DI_OK)
        return fail(hr, __LINE__);
    hr = MouseInputDevice->Acquire();
    // A window without the focus cannot take the mouse yet; the frame acquires it later.
    if (hr != platform::DI_OK && hr != platform::DIERR_NOTACQUIRED)
        return fail(hr, __LINE__);
    return true;
}

bool CGameApp::InitInstance()
{
    startFailed_ = !StartUp();
    return !startFailed_;
}

bool CGameApp::StartUp()
{
    CGameCommandLineInfo info;
    ParseCommandLine(info, argc_, argv_);
    InitAppLog();

    LogPrintf("Starting 'Der Rulo!2'...");
    BeginWaitCursor();
    struct WaitCursorEnd
    {
        CGameApp* app;
        ~WaitCursorEnd() { app->EndWaitCursor(); }
    } waitEnd{this};

    LogPrintf("Enabling ActiveX Containers...");

    LogPrintf("Initializing memory...");
    sMemory::init();
    CreateWorldRoots();
    StartNavigation();

    LogPrintf("Initializing registry...");
    ReadWindowPlacementSettings();

    LogPrintf("Retrieving device-caps...");

    LogPrintf("Reading profile-settings...");
    ReadSettings();
    ShowKeysFlag = 0;

    LogPrintf("Initializing game-paths...");
    InitGamePaths();
    // "c:\" in the game's paths is the folder the program started in.
    platform::SetProgramFolder(ProgramFolder);

    LogPrintf("Initializing dib and dc for CGround...");
    CGround::CreateScratchBitmap();

    LogPrintf("Loading Text...");
    LoadDialogTexts();

    if (platform::DirectXVersionProbe() < 0x700) {
        MessageBoxWarning(GetDisplayText("ERROR_WRONGDXVERSION"));
        return false;
    }

    // A run driven from outside learns of a bad switch or script line before any window opens.
    std::string runError;
    if (!ReadScriptedRun(runError)) {
        LogPrintf("%s", runError.c_str());
        std::fprintf(stderr, "%s\n", runError.c_str());
        return false;
    }
    UseScriptedLoadingScreen();

    // The sound device takes a while to open: it opens while the window is made.
    if (!NoSoundFlag)
        platform::PrepareSoundDevice();
    MainWindow = new CMainWindow();
    if (!MainWindow->CreateMainWindow()) {
        LogPrintf("Creating the main window failed");
        delete MainWindow;
        MainWindow = nullptr;
        return false;
    }
    m_pMainWnd = MainWindow;
    DX.mainWindow = MainWindow;
    GameMenu = LoadMenuResource(197).release();
    EditorMenu = LoadMenuResource(1202).release();

    platform::CoInitialize(nullptr);
    EnumerateDrivers();
    bool ok = InitDirectX();
    ok = ok && InitDirectInput();
    ok = ok && LoadGameResources();
    if (!ok) {
        if (MainWindow->IsWindow())
            MainWindow->DestroyWindow();
        m_pMainWnd = nullptr;
        return false;
    }

    // The tool windows and menus are drawn over the device's pictures.
    if (!GameModeFlag && !(AppHooks.attachUi && AppHooks.attachUi(MainWindow)))
        LogPrintf("The editor's windows cannot be drawn over the 3-D view");

    DrawLoadingFrames();

    if (DX.directDraw && !MoviePlayer.probe(DX.directDraw))
        MessageBoxWarning(GetDisplayText("ERROR_CANTPLAYBACKMOVIE"));
    CdMusic.Open(InstallSourcePath);
    if (!NoSoundFlag) {
        CreateSoundManager();
        if (SoundManager)
            SoundManager->setGroupVolume(float(Settings.sfxVolume) / 100.0f, 1);
        LoadSoundDefinitions();
        CdMusic.SetVolume(Settings.musicVolume & 0xFF);
    }

    if (!GameModeFlag)
        CreateToolWindows(MainWindow);

    NewWorld();
    if (GameModeFlag)
        std::snprintf(WorldFileName, WorldFileNameSize, "%s", "Varek.wld");
    if (WorldFileName[0]) {
        if (LoadWorld(WorldFileName, LOADWORLD_OPEN)) {
            AfterWorldLoaded();
        } else {
            ImportModelFromProject(WorldFileName);
        }
    }

    if (GameModeFlag) {
        StartupInitFlag = 1;
        if (AppHooks.initGame)
            AppHooks.initGame();
    } else {
        SelectView(VIEW_PERSPECTIVE);
    }
    MainWindow->switchMode();

    if (ScriptedRun.fixedStep)
        FrameClockHooks.timeSource = FixedStepTime;
    // The intro plays before the first game frame; the tutorial starts with the game.
    if (GameModeFlag) {
        PlayMovie(0);
        Tutorial.Start();
    }
    return true;
}

bool CGameApp::OnIdle(long count)
{
    // A script's input for the coming frame goes through the message queue first,
    // as a person's would.
    if (ScriptedRunBeforeFrame())
        return true;
    Input.mouseMoveHandled = 0;
    platform::Application::OnIdle(count);
    if (EditorFramePause) {
        D3DPresentAgain();
        return true;
    }
    if (GameModeFlag && GameClock.movieState == MoviePlaying && WindowedFlag && MainWindow)
        KeepMovieWindowPlacement();
    if (exitAfterFrames == 0 || ScriptedRun.quit) {
        exitAfterFrames = -1;
        ScriptedRun.quit = false;
        if (MainWindow && MainWindow->IsWindow())
            MainWindow->DestroyWindow();
        return false;
    }
    const bool paused = GameClock.appPaused != 0;
    // A movie's frames are not the game's: a run of N frames sees N game frames.
    const bool movieFrame = GameModeFlag && GameClock.movieState == MoviePlaying;
    bool again = FrameClockIdle(GameClock, FrameClockHooks);
    // Script frames are game frames: the intro movie does not use them up.
    if (!paused && !movieFrame)
        ScriptedRunAfterFrame();
    // Every pass of the loop counts, paused or not, so the run ends even when the
    // window never gets the focus; and it must not wait for messages meanwhile.
    if (exitAfterFrames > 0 && !movieFrame)
        --exitAfterFrames;
    return again || exitAfterFrames >= 0;
}

int CGameApp::ExitInstance()
{
    CdMusic.Stop();
    EndScriptedRun();
    if (IsGameView()) {
        GameModeFlag = 1;
        AutoSave();
        ReleaseUiSurfaces();
        ViewFreeze = 0;
    }
    if (GameModeFlag) {
        if (!NoSoundFlag)
            DestroySoundManager();
        ReleaseMouseDevice();
        platform::CoUninitialize();
        ShutdownDirectDraw();
        FreeDriverList();
        std::exit(startFailed_ ? 1 : 0);
    }
    if (!NoSoundFlag)
        DestroySoundManager();
    StopNavigation(g_WorldRoot);
    DestroyWorldRoots();
    FreeGameResources();
    ReleaseDirectX();
    DeleteAllTextures();
    ReleaseMouseDevice();
    platform::CoUninitialize();
    // The UI's GL objects go while the context is there; the windows stay objects.
    if (AppHooks.detachUi)
        AppHooks.detachUi();
    ShutdownDirectDraw();
    FreeDriverList();
    DestroyToolWindows();
    delete GameMenu;
    GameMenu = nullptr;
    delete EditorMenu;
    EditorMenu = nullptr;
    delete MainWindow;
    MainWindow = nullptr;
    DX.mainWindow = nullptr;
    LogPrintf("Good bye");
    sMemory::shutdown();
    int code = platform::Application::ExitInstance();
    return startFailed_ && code == 0 ? 1 : code;
}

bool SaveSnapshot()
{
    return WriteSnapshot();
}
