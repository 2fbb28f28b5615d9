#pragma once
// What the game step does with the results of the in-game screens: loading,
// saving and deleting games and plans, the phase and record state, the next
// screen, the message box's purposes and the commands a finished fade carries.
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/app/ScreenHooks.h"

// Fade follow-up commands.
enum : int32_t
{
    FADE_START_BURGLARY = 1,
    FADE_CLEAR = 2,
    FADE_QUIT = 3,
    FADE_GREET = 4,
    FADE_LOAD_GAME = 5,
    FADE_NEW_GAME = 6,
    FADE_LAST_LEVEL = 7,
};
// The file the next fade command acts on, and the file the message box deletes.
extern std::string FadeFileName;
extern std::string MessageFileName;
// Set by fade command 6.
extern uint8_t NewGameSwitch;
// The CD track the results last asked for (-1 none).
extern int32_t CdTrackRequest;

// Step 11 of the game step: the screens inside the scene (HUD bar, in-game screen, map).
void DrawScreens();
// Step 14: the screens over the frozen view while a modal screen is open.
void DrawModalScreens();
// A screen other than those the step itself knows is open modally.
bool InterfaceModal();
// Step 15: the command of a finished fade.
void RunFadeCommand();
// Step 12: a requested return to the plan selection.
void HandleReturnToPlanSelect();
// A plan slot's file in the current plans folder (a name with '\\' is a path).
std::string SavePlanPath(const std::string& file);
// The burglary number last chosen for a planning start from the editor (F10).
extern int32_t PlanningBurglaryNumber;
// The editor's planning start: PLANNING and RECORD on a new recording, then the game starts.
void StartPlanningMode(int32_t burglaryNumber);
// The game view's quit question: the message box with "REALLY_QUIT", purpose 0.
void OpenQuitQuestion();
// Loads the temporary game and opens the plan selection in REALTIME/NORMAL.
void ReturnToPlanSelection();

// The in-game keys that open the options screen (Esc, F1-F9, F11, F12); the
// game goes to the temporary file first in REALTIME.
void OpenOptionsFromGame();
