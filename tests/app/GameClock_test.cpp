#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/ScriptedRun.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "platform/time/Time.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The injected millisecond clock and what the frame called.
uint32_t fakeNow = 0;
int gameFrames = 0;
int snapshots = 0;
bool held = false;
bool alarm = false;
std::vector<int> events; // 1 movie drawn, 2 movie ended, 100+n movie n played, 3 window destroyed
bool movieGoesOn = false;

uint32_t Now()
{
    return fakeNow;
}

class GameClockFrames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fakeNow = 100000;
        gameFrames = snapshots = 0;
        held = alarm = movieGoesOn = false;
        events.clear();
        hooks.timeSource = Now;
        hooks.gameFrame = [] { ++gameFrames; };
        hooks.saveSnapshot = [] { ++snapshots; };
        hooks.clockHeld = [] { return held; };
        hooks.alarmActive = [] { return alarm; };
        hooks.drawMovieFrame = [] {
            events.push_back(1);
            return movieGoesOn;
        };
        hooks.movieEnded = [] { events.push_back(2); };
        hooks.playMovie = [](int32_t n) { events.push_back(100 + n); };
        hooks.destroyMainWindow = [] { events.push_back(3); };
        // A first frame settles the frame-time bookkeeping (its gap counts as 0).
        EXPECT_TRUE(FrameClockIdle(clock, hooks));
        EXPECT_EQ(clock.gameClock, 0);
    }

    // Runs one frame `ms` after the previous one and returns the clock's move.
    int32_t Frame(uint32_t ms)
    {
        fakeNow += ms;
        int32_t before = clock.gameClock;
        FrameClockIdle(clock, hooks);
        return clock.gameClock - before;
    }

    GameClockState clock;
    FrameHooks hooks;
};

TEST_F(GameClockFrames, SpeedScalesElapsedTimeTruncatingTowardZero)
{
    struct Case
    {
        int32_t speed;
        uint32_t frameMs;
        int32_t perFrame;
    };
    const Case cases[] = {
        {100, 40, 40},   {50, 33, 16},     // 16.5 truncated
        {-100, 40, -40}, {-50, 33, -16},   // truncated toward zero, not down
        {0, 40, 0},      {300, 999, 2997}, // just under the gap limit
        {100, 1000, 0},                    // a gap of a second or more counts as nothing
        {100, 1200, 0},
    };
    for (const Case& c : cases) {
        clock.gameSpeed = c.speed;
        clock.gameClock = 500000;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Frame(c.frameMs), c.perFrame) << "speed " << c.speed << ", " << c.frameMs << " ms";
    }
    EXPECT_EQ(GameClockDelta(2000000000, 999), 2147483647); // saturates instead of overflowing
}

TEST_F(GameClockFrames, ClockWrapsAtTheEndOfTheDayAndCountsTheDay)
{
    clock.gameClock = 86399990;
    EXPECT_EQ(Frame(20), 20 - MsPerGameDay);
    EXPECT_EQ(clock.gameClock, 10);
    EXPECT_EQ(clock.prevGameClock, -10);
    EXPECT_EQ(clock.dayCounter, 1);

    // Running backward goes below midnight without a lower wrap.
    clock.gameClock = 10;
    clock.gameSpeed = -100;
    Frame(40);
    EXPECT_EQ(clock.gameClock, -30);
    EXPECT_EQ(clock.dayCounter, 1);

    // Exactly the end of the day wraps to 0.
    clock.gameSpeed = 100;
    clock.gameClock = MsPerGameDay - 40;
    Frame(40);
    EXPECT_EQ(clock.gameClock, 0);
    EXPECT_EQ(clock.dayCounter, 2);
}

TEST_F(GameClockFrames, FakeRecordingStepsFortyMillisecondsWhateverTheRealTime)
{
    clock.fakeRecording = 1;
    uint32_t start = clock.frameTime;
    const uint32_t realGaps[] = {0, 5, 3000, 17, 100000};
    for (uint32_t gap : realGaps)
        EXPECT_EQ(Frame(gap), 40);
    EXPECT_EQ(clock.frameTime, start + 5 * 40);
    EXPECT_EQ(gameFrames, 1 + 5);
    EXPECT_EQ(snapshots, 5);
}

TEST_F(GameClockFrames, FixedStepRunStepsFortyMillisecondsWithoutTheFakeRecording)
{
    // The program's fixed step replaces the time source; the recorder's flag and
    // its picture per frame stay out of it.
    hooks.timeSource = FixedStepTime;
    Frame(0);
    const int32_t clockBefore = clock.gameClock;
    for (uint32_t gap : {0u, 3000u, 17u})
        EXPECT_EQ(Frame(gap), 40);
    EXPECT_EQ(clock.gameClock - clockBefore, 120);
    EXPECT_EQ(clock.fakeRecording, 0);
    EXPECT_EQ(snapshots, 0);
}

TEST_F(GameClockFrames, PausedApplicationWaitsWithoutClockOrGameStep)
{
    clock.appPaused = 1;
    fakeNow += 40;
    EXPECT_FALSE(FrameClockIdle(clock, hooks));
    EXPECT_EQ(clock.gameClock, 0);
    EXPECT_EQ(gameFrames, 1);
    EXPECT_EQ(clock.prevFrameTime, fakeNow); // the bookkeeping still moves

    // Back after a long deactivation: that time counts as nothing.
    clock.appPaused = 0;
    EXPECT_EQ(Frame(5000), 0);
    EXPECT_EQ(Frame(40), 40);
    EXPECT_EQ(gameFrames, 3);
}

TEST_F(GameClockFrames, HeldClockStillRunsTheGameStepAndAlarmStopsTheSpeed)
{
    held = true;
    EXPECT_EQ(Frame(40), 0);
    EXPECT_EQ(gameFrames, 2);
    held = false;
    EXPECT_EQ(Frame(40), 40);

    alarm = true;
    EXPECT_EQ(Frame(40), 0);
    EXPECT_EQ(clock.gameSpeed, 0);
    alarm = false;
    EXPECT_EQ(Frame(40), 0); // the speed stays where the alarm left it
}

TEST_F(GameClockFrames, FrameRateIsMeasuredOncePerSecond)
{
    clock.frameRateTime = clock.frameTime;
    clock.frameCounter = 0;
    for (int i = 0; i < 49; ++i)
        Frame(20);
    EXPECT_EQ(clock.frameRate, 0.0f);
    Frame(20); // 1000 ms after the last update, 49 frames counted
    EXPECT_FLOAT_EQ(clock.frameRate, 49.0f);
    EXPECT_EQ(clock.frameCounter, 1);
}

TEST_F(GameClockFrames, MovieFramesReplaceTheClockAndEndTheClosingSequence)
{
    ASSERT_EQ(GameModeFlag, 1);
    clock.movieState = MoviePlaying;
    movieGoesOn = true;
    EXPECT_EQ(Frame(40), 0);
    EXPECT_EQ(gameFrames, 1);
    EXPECT_EQ(events, (std::vector<int>{1}));

    struct Case
    {
        int32_t level;
        bool result;
        int32_t levelAfter;
        std::vector<int> events;
    };
    const Case cases[] = {
        {1, true, 1, {1, 2}},
        {FinalLevel + 1, true, FinalLevel + 2, {1, 2, 109}},
        {FinalLevel + 2, false, FinalLevel + 2, {1, 2, 3}},
    };
    movieGoesOn = false;
    for (const Case& c : cases) {
        events.clear();
        BurglaryLevel = c.level;
        EXPECT_EQ(FrameClockIdle(clock, hooks), c.result) << c.level;
        EXPECT_EQ(BurglaryLevel, c.levelAfter);
        EXPECT_EQ(events, c.events) << c.level;
    }
    BurglaryLevel = 1;
    EXPECT_EQ(clock.gameClock, 0);
}

TEST(GameClock, WithoutATimeSourceHookThePlatformClockIsRead)
{
    platform::ManualClock manual(5000);
    manual.Install();
    GameClockState clock;
    FrameHooks none;
    EXPECT_TRUE(FrameClockIdle(clock, none));
    manual.AdvanceMs(40);
    EXPECT_TRUE(FrameClockIdle(clock, none));
    platform::SetTimeSource({});
    EXPECT_EQ(clock.frameTime, 5040u);
    EXPECT_EQ(clock.gameClock, 40);
}

TEST(GameClock, ResetReturnsToMidnightAtNormalSpeed)
{
    GameClockState clock;
    clock.gameClock = 12345;
    clock.prevGameClock = 12000;
    clock.gameSpeed = -100;
    clock.dayCounter = 3;
    ResetGameClock(clock);
    EXPECT_EQ(clock.gameClock, 0);
    EXPECT_EQ(clock.prevGameClock, 0);
    EXPECT_EQ(clock.gameSpeed, 100);
    EXPECT_EQ(clock.dayCounter, 3);
}

// The program's frame loop holds the clock by the game state the screens set, and the raised
// alarm stops the game speed.
TEST(GameClock, TheProgramHoldsTheClockByTheScreensState)
{
    InstallSubsystems();
    struct SCase
    {
        const char* what;
        void (*set)();
        bool held;
    } cases[] = {
        {"nothing open", [] {}, false},
        {"a screen takes the mouse", [] { MenuActive = 1; }, true},
        {"hold state 1", [] { HoldState = 1; }, false},
        {"hold state 2", [] { HoldState = 2; }, true},
        {"hold state 3", [] { HoldState = 3; }, true},
        {"trade list", [] { TradeListOpen = 1; }, true},
        {"item choice", [] { ItemChoiceOpen = 1; }, true},
        {"planning overview",
         [] {
             GamePhase = PHASE_PLANNING;
             InterfaceMode = 1;
         },
         true},
        {"planning in-game screen",
         [] {
             GamePhase = PHASE_PLANNING;
             InterfaceMode = 2;
         },
         false},
    };
    FrameHooks hooks = FrameClockHooks;
    hooks.timeSource = Now;
    hooks.gameFrame = [] {};
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        c.set();
        GameClockState clock;
        fakeNow = 100000;
        FrameClockIdle(clock, hooks);
        fakeNow += 40;
        FrameClockIdle(clock, hooks);
        EXPECT_EQ(clock.gameClock, c.held ? 0 : 40);
        MenuActive = 0;
        HoldState = 0;
        TradeListOpen = ItemChoiceOpen = 0;
        GamePhase = PHASE_REALTIME;
        InterfaceMode = 1;
    }
    GameClockState clock;
    AlarmRaised = 1;
    FrameClockIdle(clock, hooks);
    AlarmRaised = 0;
    EXPECT_EQ(clock.gameSpeed, 0);
}

} // namespace
