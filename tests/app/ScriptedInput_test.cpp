// An input script drives the running program, in process: what it does at frame N is what the
// game step finds in the input state during frame N, not a frame earlier or later.

#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/ScriptedRun.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "tests/app/ShellWorld.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

struct SSeen
{
    int32_t x, y;
    uint8_t left;
};
std::map<int32_t, SSeen> seen;

void RecordingFrame()
{
    RunGameFrame();
    seen[ScriptedRun.frame] = {Input.cursorX, Input.cursorY, Input.leftButton};
}

TEST(ScriptedInput, MovesAndPressesReachTheInputStateInTheFrameTheyName)
{
    fs::path cwd;
    const fs::path dir = shelltest::EnterRunFolder("varek_shell_script", &cwd);
    InstallSubsystems();
    ASSERT_TRUE(shelltest::SaveTileWorld(dir / "Level.wld"));
    std::ofstream(dir / "input.txt") << "2 move 100 80\n"
                                        "4 move 320 200\n"
                                        "4 down left 320 200\n"
                                        "7 up left 330 210\n";
    ::setenv("VAREK_INPUT_SCRIPT", (dir / "input.txt").c_str(), 1);
    ::setenv("VAREK_FIXED_STEP", "1", 1);

    GameModeFlag = 0;
    seen.clear();
    const char* argv[] = {"Varek", "-window", "-logging", "Level.wld"};
    {
        CGameApp app(4, argv);
        app.exitAfterFrames = 10;
        ASSERT_TRUE(app.InitInstance());
        // The editor's game view takes the buttons as the game does; the editor views would
        // start drags instead.
        SelectView(VIEW_GAME);
        FrameClockHooks.gameFrame = RecordingFrame;
        while (platform::PumpMessages())
            app.OnIdle(0);
        SelectView(VIEW_PERSPECTIVE);
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    ::unsetenv("VAREK_INPUT_SCRIPT");
    ::unsetenv("VAREK_FIXED_STEP");
    GameModeFlag = 1;
    fs::current_path(cwd);

    const struct
    {
        int32_t frame, x, y;
        uint8_t left;
    } expected[] = {{2, 100, 80, 0},  {3, 100, 80, 0},  {4, 320, 200, 1},
                    {6, 320, 200, 1}, {7, 330, 210, 0}, {9, 330, 210, 0}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.frame);
        ASSERT_TRUE(seen.count(e.frame));
        EXPECT_EQ(seen[e.frame].x, e.x);
        EXPECT_EQ(seen[e.frame].y, e.y);
        EXPECT_EQ(seen[e.frame].left, e.left);
    }
    EXPECT_NE(seen[1].x, 100) << "nothing arrives before its frame";
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

} // namespace
