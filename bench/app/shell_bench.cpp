// The game step on a world of 2,000 model instances, split into simulation,
// visibility and drawing, against the same step on an empty world in the same run.
// Run under a display (xvfb-run) like the program itself.

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/ScriptedRun.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "tests/app/ShellWorld.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int WorldObjects = 2000;
fs::path workDir;
bool deviceReady = false;

bool StartDevice()
{
    workDir = fs::temp_directory_path() / ("varek_bench_shell_" + std::to_string(::getpid()));
    fs::create_directories(workDir);
    ::setenv("XDG_CONFIG_HOME", workDir.c_str(), 1);
    InstallSubsystems();
    WindowedFlag = 1;
    auto* window = new CMainWindow();
    if (!window->CreateMainWindow())
        return false;
    MainWindow = window;
    DX.mainWindow = window;
    if (!EnumerateDrivers() || !InitDirectX())
        return false;
    CreateWorldRoots();
    window->switchMode();
    return true;
}

// 2,000 tiles on a square grid around the origin, saved and loaded as at start-up.
bool LoadBigWorld()
{
    ClearWorld();
    CModelEntry* tile = shelltest::AddTileEntry(0.2f);
    const int side = 45;
    for (int i = 0; i < WorldObjects; ++i)
        shelltest::AddInstance(
            g_WorldRoot, tile,
            CVector(float(i % side - side / 2) * 0.25f, 0, float(i / side - side / 2) * 0.25f));
    const std::string file = (workDir / "Bench.wld").string();
    if (!SaveWorld(file.c_str()))
        return false;
    ClearWorld();
    if (!LoadWorld(file.c_str(), LOADWORLD_OPEN))
        return false;
    AfterWorldLoaded();
    return true;
}

void RunFrames(benchmark::State& state)
{
    GameClock = GameClockState();
    FrameHooks hooks;
    hooks.timeSource = FixedStepTime;
    hooks.gameFrame = RunGameFrame;
    StepTimes = GameStepTimes();
    for (auto _ : state)
        FrameClockIdle(GameClock, hooks);
    const double frames = StepTimes.frames > 0 ? StepTimes.frames : 1;
    state.counters["simulation_ms"] = StepTimes.simulationMs / frames;
    state.counters["visibility_ms"] = StepTimes.visibilityMs / frames;
    state.counters["drawing_ms"] = StepTimes.drawingMs / frames;
}

void BM_GameStepEmptyWorld(benchmark::State& state)
{
    if (!deviceReady) {
        state.SkipWithError("no device");
        return;
    }
    ClearWorld();
    RunFrames(state);
}
BENCHMARK(BM_GameStepEmptyWorld)->Unit(benchmark::kMillisecond);

void BM_GameStep2000Objects(benchmark::State& state)
{
    if (!deviceReady || !LoadBigWorld()) {
        state.SkipWithError("no device or world");
        return;
    }
    RunFrames(state);
    ClearWorld();
}
BENCHMARK(BM_GameStep2000Objects)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    deviceReady = StartDevice();
    if (!deviceReady)
        std::fprintf(stderr, "the device could not be made (is there a display?)\n");
    benchmark::RunSpecifiedBenchmarks();
    fs::remove_all(workDir);
    std::_Exit(0);
}
