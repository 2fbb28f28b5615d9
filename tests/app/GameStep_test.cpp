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
        StepHooks.recordCharacterActions = Recorder;
        StepHooks.updateWalkers = Walkers;
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
        RunSimulationTicks(clock);
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
    RunSimulationTicks(clock);
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
