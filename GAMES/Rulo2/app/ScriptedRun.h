#pragma once
// Runs driven from outside, the way tests and demonstrations play the game:
//   VAREK_FIXED_STEP=1         every frame takes 40 ms of frame time, whatever the real time
//   VAREK_SNAPSHOTS=all|N,M,.. those frames are saved as "c:\snapshot%05d.bmp" with the
//                              frame number; an entry LN names frame N of the loading
//                              screen, saved as "c:\loading%05d.bmp" ("all" saves those too)
//   VAREK_INPUT_SCRIPT=FILE    the script's input is queued before the frame it names
// Frames count from 0. None of this touches the game's fake-recording flag, which
// belongs to the plan recorder.

#include "platform/win/InputScript.h"

#include <cstdint>
#include <string>
#include <vector>

struct SScriptedRun
{
    bool fixedStep = false;
    bool snapshotAll = false;
    std::vector<int32_t> snapshotFrames;
    std::vector<int32_t> loadingSnapshotFrames;
    int32_t loadingFrame = 0; // the loading screen's next frame
    platform::InputScript script;
    int32_t frame = 0;        // the frame that runs next
    int32_t queuedFrame = -1; // the last frame whose input has been queued
    bool quit = false;        // a script asked to end before this frame
    uint32_t stepTime = 0;    // frame time of the fixed step
    int32_t fakeRecordingFrames = 0;
    // A click on an object: the pointer comes over it a frame before the press, as the game
    // picks what lies under the pointer once a frame. Frame (-1 none), then client x, y.
    int32_t objectPress[3] = {-1, 0, 0};
};
extern SScriptedRun ScriptedRun;

// Reads the switches (and the script, with the game's verbs "snapshot FILE", "probe X Y" (logs
// where a click there would order a walk to), "point PATH", "clickobject PATH" and "quit" added to the input
// verbs). False with the reason in `error`: "FILE(LINE): reason" for a script line, "VAREK_SNAPSHOTS:
// reason".
bool ReadScriptedRun(std::string& error);

// Whether any switch is set.
bool ScriptedRunActive();

// Before a frame: queues the script's input for it. True when something was
// done, so the message loop delivers the input before the frame runs.
bool ScriptedRunBeforeFrame();
// After a frame: its snapshots; counts the frame.
void ScriptedRunAfterFrame();
// Logs how the run went (frames, fake recording never on).
void EndScriptedRun();

// In a fixed-step run every chunk a world load reads takes one 40 ms step of the loading screen's
// clock, so its pictures come at the same chunk every time; chosen loading-screen frames are saved.
void UseScriptedLoadingScreen();

// Frame time of the fixed step: 40 ms more at each call.
uint32_t FixedStepTime();
