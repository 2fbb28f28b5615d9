#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "platform/time/Time.h"

#include <limits>

GameClockState GameClock;
FrameHooks FrameClockHooks;

namespace {

bool Ask(bool (*predicate)())
{
    return predicate && predicate();
}

// The movie part of a frame; returns OnIdle's result.
bool MovieFrame(GameClockState& clock, const FrameHooks& hooks)
{
    if (hooks.drawMovieFrame && hooks.drawMovieFrame())
        return true;
    if (hooks.movieEnded)
        hooks.movieEnded();
    if (BurglaryLevel == FinalLevel + 1) {
        BurglaryLevel = FinalLevel + 2;
        if (hooks.playMovie)
            hooks.playMovie(9);
        return true;
    }
    if (BurglaryLevel > FinalLevel + 1) {
        if (hooks.destroyMainWindow)
            hooks.destroyMainWindow();
        return false;
    }
    return true;
}

} // namespace

int32_t GameClockDelta(int32_t gameSpeed, uint32_t elapsedMs)
{
    // 64-bit so that an extreme speed cannot overflow; C++ division truncates toward zero.
    int64_t d = static_cast<int64_t>(gameSpeed) * static_cast<int64_t>(elapsedMs) / 100;
    if (d > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (d < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(d);
}

void AdvanceGameClock(GameClockState& clock, int32_t delta)
{
    int64_t now = static_cast<int64_t>(clock.gameClock) + delta;
    int64_t prev = clock.gameClock;
    while (now >= MsPerGameDay) {
        now -= MsPerGameDay;
        prev -= MsPerGameDay;
        ++clock.dayCounter;
    }
    if (now < std::numeric_limits<int32_t>::min())
        now = std::numeric_limits<int32_t>::min();
    if (prev < std::numeric_limits<int32_t>::min())
        prev = std::numeric_limits<int32_t>::min();
    clock.gameClock = static_cast<int32_t>(now);
    clock.prevGameClock = static_cast<int32_t>(prev);
}

void ResetGameClock(GameClockState& clock)
{
    clock.gameClock = 0;
    clock.prevGameClock = 0;
    clock.gameSpeed = 100;
}

bool FrameClockIdle(GameClockState& clock, const FrameHooks& hooks)
{
    if (GameModeFlag && clock.movieState == MoviePlaying)
        return MovieFrame(clock, hooks);

    if (Ask(hooks.alarmActive))
        clock.gameSpeed = 0;

    if (clock.fakeRecording)
        clock.frameTime += FakeRecordingStepMs;
    else
        clock.frameTime = hooks.timeSource ? hooks.timeSource() : platform::timeGetTime();

    uint32_t sinceRate = clock.frameTime - clock.frameRateTime;
    if (sinceRate >= FrameRateIntervalMs) {
        clock.frameRate = static_cast<float>(clock.frameCounter * 1000.0 / sinceRate);
        clock.frameRateTime = clock.frameTime;
        clock.frameCounter = 0;
    }

    uint32_t dt = clock.frameTime - clock.prevFrameTime;
    if (dt >= MaxFrameGapMs)
        dt = 0;
    clock.prevFrameTime = clock.frameTime;

    int32_t delta = GameClockDelta(clock.gameSpeed, dt);
    if (clock.appPaused || Ask(hooks.clockHeld))
        delta = 0;
    AdvanceGameClock(clock, delta);

    if (clock.appPaused)
        return false;

    if (hooks.gameFrame)
        hooks.gameFrame();
    if (clock.fakeRecording && hooks.saveSnapshot)
        hooks.saveSnapshot();
    ++clock.frameCounter;
    return true;
}
