#pragma once
// The per-frame game step: the simulation in fixed ticks of the game clock and
// the calls out to the subsystems in the order of one frame.

#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/navigation/DynamicCharacters.h"

class CWorldObject;
struct GameClockState;

// The simulation advances the game clock in ticks aligned to multiples of this.
constexpr int32_t SimulationTickMs = 50;

// Work of the other subsystems that one step calls; null entries are skipped
// until their subsystem registers them.
struct GameStepHooks
{
    // The ambient walkers at the new clock (REALTIME only).
    // Mouse movement since the last frame; false when the device gives none.
    bool (*readMouse)(float* dx, float* dy) = nullptr;
    // Sound manager: pause or resume all sounds, and its per-frame step.
    void (*pauseSounds)(bool pause) = nullptr;
    void (*updateSounds)() = nullptr;
    // The editor camera's own step (mouse and keys move the editor views).
    void (*updateEditorCamera)() = nullptr;
    // The screens of the interface inside the scene (HUD bar, in-game screen, map).
    void (*drawScreens)() = nullptr;
    // The screens that take the whole view while a modal screen is open.
    void (*drawModalScreens)() = nullptr;
    // True while a screen of the interface other than those the step itself
    // knows is open modally (lists, options, message box, trade, item choice).
    bool (*interfaceModal)() = nullptr;
    // Tutorial and the full-screen fade, once per frame.
    void (*updateTutorialAndFade)() = nullptr;
    // The follow-up command of a finished fade.
    void (*runFadeCommand)() = nullptr;
    // Object overlays (progress bars over the characters).
    void (*drawObjectOverlays)() = nullptr;
    // Presents the frame; when null, the step presents the back buffer itself.
    bool (*presentFrame)() = nullptr;
};
extern GameStepHooks StepHooks;

// Time spent in the parts of the game step, summed over frames (the statistics
// and the benchmarks read it; whoever reads it may reset it).
struct GameStepTimes
{
    double simulationMs = 0;
    double visibilityMs = 0;
    double drawingMs = 0;
    int32_t frames = 0;
};
extern GameStepTimes StepTimes;

// Step 7 of the game step: the game clock goes back to the previous clock and
// moves toward the clock the frame loop set, one tick at a time; the recorder
// (the object logic's step; true ends the loop at once) runs after every move, at
// least once. Returns the number of recorder runs.
int32_t RunSimulationTicks(GameClockState& clock, bool (*recorder)() = RecordCharacterActions,
                           void (*walkers)(int32_t gameClock) = UpdateDynamicCharacters);

// Objects that a frame's passes marked, and the ids of those the step found marked: step 8 puts
// the id of each marked object (its object logic's id) into MarkedIds once and clears the marks.
extern std::vector<CWorldObject*> PassMarkedObjects;
extern std::vector<uint32_t> MarkedIds;
void CollectMarkedIds();

// The whole step; false when the device is not ready (nothing else is done).
bool GameFrame();
// The world frame as the shell's state gives it (views, hero, mouse, clock); the view tool draws
// the game view from it too.
struct SWorldFrame;
SWorldFrame ShellWorldFrame(bool gameView);
