#pragma once
// The in-game screens as the game step sees them: which screens it renders, the table through
// which the interface hands it their render operations and slot texts, and the mode words both
// sides write.
#include <cstdint>

// The screens the game step renders and whose results it handles.
enum EScreen : int32_t
{
    SCREEN_HUD_BAR,
    SCREEN_PP, // the in-game screen
    SCREEN_MAP,
    SCREEN_GAME,        // the planning overview
    SCREEN_PLAN_SELECT, // the plan selection
    SCREEN_RESULTS,
    SCREEN_OPTIONS,
    SCREEN_SELECT,  // the slot list, the item choice and the trade list
    SCREEN_LIST,    // the two-list choice (title entry)
    SCREEN_MESSAGE, // the message box
    SCREEN_PICTURE,
    SCREEN_COUNT
};

// The interface's screens: each render draws the screen once and returns -1
// while it stays open. A screen not drawn yet stays open and draws nothing.
struct ScreenResultHooks
{
    int32_t (*render[SCREEN_COUNT])(int32_t time) = {};
    // The title typed into the two-list choice.
    const char* (*listChoice)() = nullptr;
    // A slot of the slot list: its text and its file name.
    const char* (*slotText)(int32_t slot) = nullptr;
    const char* (*slotFile)(int32_t slot) = nullptr;
};
extern ScreenResultHooks ScreenRenderHooks;

// The interface's mode words that the game step sets.
extern int32_t HudBarMode;
extern int32_t MapMenuMode;
// Read by the results screen: 0 for the burglaries 11, 16 and 17, where a task enables success.
extern int32_t ResultsSwitch;
