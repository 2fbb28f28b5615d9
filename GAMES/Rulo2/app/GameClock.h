#pragma once
// The frame loop's time keeping: frame time, frame rate and the game clock
// (milliseconds of the game day, scaled by the game speed, wrapping at the
// end of the day). One call of FrameClockIdle is one frame of OnIdle.

#include <cstdint>

constexpr int32_t MsPerGameDay = 86'400'000;
// Elapsed times of this many milliseconds or more count as 0 (pauses, dragging).
constexpr uint32_t MaxFrameGapMs = 1000;
// Frame time step while fake-recording, so a recorded run repeats exactly.
constexpr uint32_t FakeRecordingStepMs = 40;
constexpr uint32_t FrameRateIntervalMs = 1000;
// The last burglary level of this build; +1 means finished, +2 the closing movie runs.
constexpr int32_t FinalLevel = 1;
// Movie state of a playing movie.
constexpr int32_t MoviePlaying = 2;

struct GameClockState
{
    uint32_t frameTime = 0;
    uint32_t prevFrameTime = 0;
    int32_t gameClock = 0;
    int32_t prevGameClock = 0;
    int32_t dayCounter = 0;
    int32_t gameSpeed = 100; // percent; 0 stops, negative runs backward
    int32_t frameCounter = 0;
    uint32_t frameRateTime = 0;
    float frameRate = 0.0f;
    uint8_t appPaused = 0;     // the application is deactivated
    uint8_t fakeRecording = 0; // fixed steps, a snapshot every frame
    int32_t movieState = 0;
};

extern GameClockState GameClock;

// What a frame calls outside the clock. Null entries do nothing (a null time
// source reads the platform's timeGetTime; null predicates say false).
struct FrameHooks
{
    uint32_t (*timeSource)() = nullptr;
    // Reasons for the clock to stand still this frame besides the paused flag:
    // a screen takes the mouse, the game step holds, trade or item choice lists
    // are open, the planning overview is shown.
    bool (*clockHeld)() = nullptr;
    // Set while the alarm has gone off: the game speed drops to 0 every frame.
    bool (*alarmActive)() = nullptr;
    void (*gameFrame)() = nullptr;
    void (*saveSnapshot)() = nullptr;
    // Draws the current movie frame into the window or the screen; false once
    // the movie has ended.
    bool (*drawMovieFrame)() = nullptr;
    // The movie has ended: fade in from white, greet the new game, close the
    // movie, resume the sounds, show the cursor.
    void (*movieEnded)() = nullptr;
    void (*playMovie)(int32_t number) = nullptr;
    void (*destroyMainWindow)() = nullptr;
};

extern FrameHooks FrameClockHooks;

// Game speed in percent applied to an elapsed time, truncated toward zero.
int32_t GameClockDelta(int32_t gameSpeed, uint32_t elapsedMs);

// Moves the clock by delta and wraps at the end of the day (the previous clock
// moves down with it). There is no lower wrap.
void AdvanceGameClock(GameClockState& clock, int32_t delta);

// Clock back to midnight of the first day at normal speed, as a game reset leaves it.
void ResetGameClock(GameClockState& clock);

// One frame of the idle loop after the window bookkeeping: the movie frame or
// the clock step and the game step. Returns whether the loop should call again
// at once (false: wait for the next message).
bool FrameClockIdle(GameClockState& clock, const FrameHooks& hooks);
