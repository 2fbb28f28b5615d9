// The application object in editor mode, in process: start-up with the world
// named on the command line, frames, and the orderly shut-down.

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "tests/app/ShellWorld.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ReadLines(const fs::path& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(EditorStart, LoadsTheNamedWorldRunsFramesAndShutsDownInOrder)
{
    fs::path cwd;
    const fs::path dir = shelltest::EnterRunFolder("varek_shell_editor", &cwd);

    InstallSubsystems();
    InstallWindowDrawing();
    CreateWorldRoots();
    ClearWorld();
    CModelEntry* tile = shelltest::AddTileEntry(1.0f);
    shelltest::AddInstance(g_WorldRoot, tile, CVector(0, 0, 0));
    ASSERT_TRUE(SaveWorld((dir / "Level.wld").c_str()));
    ClearWorld();

    GameModeFlag = 0;
    Settings.sfxVolume = 100;
    const char* argv[] = {"Varek", "-window", "-logging", "Level.wld"};
    int frames = 0;
    {
        CGameApp app(4, argv);
        app.exitAfterFrames = 4;
        // A game step that counts, after the real one.
        static int* counter = &frames;
        struct Counting
        {
            static void Frame()
            {
                RunGameFrame();
                ++*counter;
            }
        };
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(CurrentViewIndex(), VIEW_PERSPECTIVE);
        ASSERT_TRUE(MainWindow);
        EXPECT_EQ(MainWindow->GetWindowText(), "Varek Test - Editor [Level.wld]");
        EXPECT_TRUE(g_WorldRoot && g_WorldRoot->firstChild); // the world of the command line
        FrameClockHooks.gameFrame = Counting::Frame;
        Settings.sfxVolume = 42; // a value in use at exit
        // The message loop: frames until the hook closes the window.
        while (platform::PumpMessages())
            app.OnIdle(0);
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    GameModeFlag = 1;
    fs::current_path(cwd);

    EXPECT_GE(frames, 3);
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(DX.device, nullptr);
    const std::vector<std::string> log = ReadLines(dir / "log.txt");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "Starting 'Der Rulo!2'...");
    EXPECT_EQ(log.back(), "Good bye");
    EXPECT_NE(std::find(log.begin(), log.end(), "World loaded successfuly"), log.end());
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, SettingsKey, "SFXVolume", 0), 42u);
    fs::remove_all(dir);
}

} // namespace
