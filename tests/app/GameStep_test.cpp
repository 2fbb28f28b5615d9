#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GameStep.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> recorderClocks;
std::vector<int32_t> walkerClocks;
int32_t stopAfterRuns = -1;
int32_t speedAfterFirstRun = 100;
GameClockState* current = nullptr;

bool Recorder()
{
    recorderClocks.push_back(current->gameClock);
    if (recorderClocks.size() == 1 && speedAfterFirstRun != current->gameSpeed)
        current->gameSpeed = speedAfterFirstRun;
    return stopAfterRuns >= 0 && int32_t(recorderClocks.size()) >= stopAfterRuns;
}

void Walkers(int32_t clock)
{
    walkerClocks.push_back(clock);
}

class SimulationTicks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        recorderClocks.clear();
        walkerClocks.clear();
        stopAfterRuns = -1;
        StepHooks = GameStepHooks();
        GamePhase = PHASE_REALTIME;
        AlarmRaised = AlarmOverride = 0;
        current = &clock;
    }
    // A frame of the loop: the clock moved from `from` to `to` at `speed`.
    void Frame(int32_t from, int32_t to, int32_t speed)
    {
        clock.prevGameClock = from;
        clock.gameClock = to;
        clock.gameSpeed = speed;
        speedAfterFirstRun = speed;
        RunSimulationTicks(clock, Recorder, Walkers);
    }
    GameClockState clock;
};

TEST_F(SimulationTicks, TicksStopOnMultiplesAndEndOnTheTarget)
{
    struct Case
    {
        int32_t from, to, speed;
        std::vector<int32_t> ticks;
    } cases[] = {
        {1030, 1180, 100, {1050, 1100, 1150, 1180}},
        {1000, 1100, 100, {1050, 1100}}, // a clock on a multiple moves a full tick
        {1000, 1020, 100, {1020}},
        {1180, 1030, -100, {1150, 1100, 1050, 1030}},
        {1100, 1000, -100, {1050, 1000}},
        {-10, 10, 100, {0, 10}},   // after the day wrapped, the previous clock is negative
        {1030, 1030, 100, {1030}}, // the clock held: the recorder still runs once
    };
    for (const Case& c : cases) {
        recorderClocks.clear();
        Frame(c.from, c.to, c.speed);
        EXPECT_EQ(recorderClocks, c.ticks) << c.from << " -> " << c.to << " at " << c.speed;
        EXPECT_EQ(clock.gameClock, c.to);
    }
}

TEST_F(SimulationTicks, SpeedZeroRunsTheRecorderOnceWithoutMovingTheClock)
{
    Frame(1030, 1030, 0);
    EXPECT_EQ(recorderClocks, std::vector<int32_t>({1030}));
    EXPECT_EQ(clock.gameClock, 1030);
}

TEST_F(SimulationTicks, LoopEndsEarly)
{
    // The recorder asks to stop.
    stopAfterRuns = 2;
    Frame(1000, 1300, 100);
    EXPECT_EQ(recorderClocks, std::vector<int32_t>({1050, 1100}));
    EXPECT_EQ(clock.gameClock, 1100);

    // The alarm stops the loop after the tick that raised it, unless overridden.
    stopAfterRuns = -1;
    recorderClocks.clear();
    AlarmRaised = 1;
    Frame(1000, 1300, 100);
    EXPECT_EQ(recorderClocks.size(), 1u);
    recorderClocks.clear();
    AlarmOverride = 1;
    Frame(1000, 1300, 100);
    EXPECT_EQ(recorderClocks.size(), 6u);

    // A recorder that pauses the game ends the loop after its tick.
    AlarmRaised = AlarmOverride = 0;
    recorderClocks.clear();
    clock.prevGameClock = 1000;
    clock.gameClock = 1300;
    clock.gameSpeed = 100;
    speedAfterFirstRun = 0;
    RunSimulationTicks(clock, Recorder, Walkers);
    EXPECT_EQ(recorderClocks, std::vector<int32_t>({1050}));
    EXPECT_EQ(clock.gameClock, 1050);
}

TEST_F(SimulationTicks, WalkersOnlyInRealtime)
{
    Frame(1030, 1130, 100);
    EXPECT_EQ(walkerClocks, std::vector<int32_t>({1050, 1100, 1130}));
    walkerClocks.clear();
    GamePhase = PHASE_PLANNING;
    Frame(1030, 1130, 100);
    EXPECT_TRUE(walkerClocks.empty());
}

TEST(DeferredRelease, ClickIsSeenForAtLeastOneFrame)
{
    InputState in;
    in.leftButton = 1;
    in.leftReleaseDeferred = 1;
    in.leftPressFrame = 7;
    in.rightButton = 1;
    ApplyDeferredButtonReleases(in, 7);
    EXPECT_EQ(in.leftButton, 1);
    ApplyDeferredButtonReleases(in, 8);
    EXPECT_EQ(in.leftButton, 0);
    EXPECT_EQ(in.leftReleaseDeferred, 0);
    EXPECT_EQ(in.rightButton, 1); // nothing deferred for the right button
}

} // namespace

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

namespace {

uint32_t BackPixel(int x, int y)
{
    uint32_t c = 0;
    EXPECT_TRUE(DX.backSurface->ReadPixel(x, y, &c));
    return c & 0xFFFFFF;
}

// A copy of the view asked for by a screen is taken in the next frame; while a modal screen is
// open the frozen picture stands in for the world. Marks of the passes become ids once each.
TEST(GameFrameStep, FrozenViewIsTakenOnceAndShownUnderModalScreensAndMarksBecomeIds)
{
    ASSERT_TRUE(OpenOffscreenView(160, 120));
    const GameStepHooks savedHooks = StepHooks;
    StepHooks = GameStepHooks();
    CurrentView = &CameraViews[VIEW_GAME];
    const int16_t savedFog[3] = {CurrentFogColor[0], CurrentFogColor[1], CurrentFogColor[2]};
    CurrentFogColor[0] = 0, CurrentFogColor[1] = 255, CurrentFogColor[2] = 0;
    InterfaceMode = 2;
    GamePhase = PHASE_REALTIME;

    CWorldObject a, b;
    a.objectLogic = new CObjectLogic;
    a.objectLogic->objectId = 7;
    b.objectLogic = new CObjectLogic;
    b.objectLogic->objectId = 9;
    PassMarkedObjects = {&a, &b, &a, nullptr};

    GetUiSurface(0);
    ASSERT_EQ(ViewFreeze, 1);
    EXPECT_TRUE(GameFrame());
    EXPECT_EQ(ViewFreeze, 2);
    uint32_t c = 0;
    ASSERT_TRUE(UiSlots[0]->ReadPixel(5, 5, &c));
    EXPECT_EQ(c & 0xFFFFFF, 0x00FF00u) << "the view of that frame";
    EXPECT_EQ(MarkedIds, (std::vector<uint32_t>{7, 9}));
    EXPECT_TRUE(PassMarkedObjects.empty());

    // The live world now clears to red, but a modal screen shows the frozen picture.
    CurrentFogColor[0] = 255, CurrentFogColor[1] = 0;
    InterfaceMode = 0;
    EXPECT_TRUE(GameFrame());
    EXPECT_EQ(BackPixel(5, 5), 0x00FF00u);
    ClearViewRequest();
    EXPECT_TRUE(GameFrame());
    EXPECT_EQ(BackPixel(5, 5), 0xFF0000u) << "the live view once the freeze ends";

    InterfaceMode = 1;
    ReleaseUiSurfaces();
    StepHooks = savedHooks;
    for (int i = 0; i < 3; ++i)
        CurrentFogColor[i] = savedFog[i];
    CloseOffscreenView();
}

} // namespace

#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"

namespace {

uint32_t FixedNow = 100000;

// While the options screen is open over the running game the game clock stands still; it runs
// again once the screen has closed.
TEST(GameFrameStep, TheOptionsScreenHoldsTheGameClockUntilItCloses)
{
    ASSERT_TRUE(OpenOffscreenView(160, 120));
    InstallSubsystems();
    CurrentView = &CameraViews[VIEW_GAME];
    GamePhase = PHASE_REALTIME;
    InterfaceMode = 1;
    Input = InputState();
    GameClock = GameClockState();
    GameClock.gameSpeed = 100;
    const uint8_t savedFirstStart = OptionsFirstStart;
    OptionsFirstStart = 0;
    FrameHooks hooks = FrameClockHooks;
    hooks.timeSource = [] { return FixedNow += 40; };
    hooks.saveSnapshot = nullptr;
    auto frame = [&] {
        const int32_t before = GameClock.gameClock;
        FrameClockIdle(GameClock, hooks);
        return GameClock.gameClock - before;
    };
    frame();
    EXPECT_EQ(frame(), 40) << "the game runs";

    OptionsMenuOpen = 1;
    OpenOptionsMenu(MenuClock());
    frame();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(frame(), 0) << "frame " << i << " under the options screen";
    EXPECT_TRUE(OptionsMenuOpen);

    // Escape resumes the game.
    Input.menuKey = 8;
    frame();
    EXPECT_FALSE(OptionsMenuOpen);
    frame();
    EXPECT_EQ(frame(), 40) << "the game runs again";

    OptionsFirstStart = savedFirstStart;
    ReleaseUiSurfaces();
    CloseOffscreenView();
}

} // namespace
