#pragma once
// Global state of the running game that the game step, the main window and the
// later subsystems (behaviour, interface, editor) read and write each frame.

#include <cstdint>
#include <vector>

class CObjectNode;
class CWorldObject;

// Game phase.
enum : int32_t
{
    PHASE_REALTIME = 0,
    PHASE_PLANNING = 1,
    PHASE_BURGLARY = 2
};
// Record state.
enum : int32_t
{
    RECORD_NORMAL = 0,
    RECORD_RECORD = 1,
    RECORD_REPLAY = 2,
    RECORD_CONTINUE = 3,
    RECORD_LOAD = 4
};

extern int32_t GamePhase;
extern int32_t RecordState;
// Set once the burglary has begun; the frame's object pass chooses its variant by it.
extern uint8_t BurglaryFlag;

// 0 plan selection or results, 1 planning overview, 2 in-game screen.
extern int32_t InterfaceMode;
// Set while a screen that takes the mouse is rendered; the clock stands still.
extern uint8_t MenuActive;
extern uint8_t ModalScreenOpen;
// While set, the screens' hover handling finds no element.
extern uint8_t MenuInputBlocked;
// Set while a message box or tutorial page has the input.
extern uint8_t ModalMenuFlag;
// The in-game text entry: typed characters reach the menu key word.
extern uint8_t TextEntryActive;
// The main window's drag rectangle in client pixels: the whole screen while a
// slider knob is dragged, empty otherwise.
struct SDragRect
{
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
};
extern SDragRect MenuDragRect;
// 0 live view, 1 copy of the next view requested, 2 the frozen picture is shown.
extern int32_t ViewFreeze;
// 0 none, 1 render the inset view next frame, 2 the inset picture is shown.
extern int32_t InsetViewState;
// Press-and-hold on an object: 0..3, since when and on what.
extern int32_t HoldState;
extern int32_t HoldStartTime;
extern CWorldObject* HeldObject;
// The game step's transition word: while it is not 0 the keys find the interface busy, and at 2
// a click orders nothing.
extern int32_t TransitionWord;
// The control mode word: at 1 Esc and the function keys open no options.
extern int32_t ControlModeWord;
// The world object under the cursor that a click acts on: last frame's candidate.
extern CWorldObject* PickedObject;
// The in-game trade list and item choice screens are open.
extern uint8_t TradeListOpen;
extern uint8_t ItemChoiceOpen;
// The item in hand, chosen in the item choice: the next click on an object uses it there (and
// drops it). While it is held no press opens the action bubble.
extern CObjectNode* ActiveItem;
// The two interface flags that hide the characters' progress bars; outside REALTIME the object
// preview waits while either is set.
extern uint8_t CharacterBarsOff[2];
// Read by the options screen and the game loader; skipping a movie clears it.
extern uint8_t MovieSequenceFlag;
// The frame loop's game clock stands still this frame: a screen takes the mouse, the step holds
// an object (hold state 2 or 3), the trade list or the item choice is open, or the planning
// overview is shown.
bool GameClockHeld();

// The open flags of the screens the game step renders on demand; it clears a flag when the
// screen returns something other than -1.
extern uint8_t ListMenuOpen;
// The tutorial's page is shown in its frame screen.
extern uint8_t TutorialBrowserOpen;
// The editor's tool windows the application lists as open; none in game mode.
extern int32_t AppWindowListCount;
extern uint8_t GameLoadListOpen;
extern uint8_t GameSaveListOpen;
extern uint8_t PlanLoadListOpen;
extern uint8_t PlanSaveListOpen;
extern uint8_t MessageMenuOpen;
extern uint8_t ResultsMenuOpen;
extern uint8_t MapMenuOpen;
extern uint8_t OptionsMenuOpen;
extern uint8_t PictureMenuOpen;
// The game slot list was opened for deleting.
extern uint8_t DeleteGameMode;
// A request to go back to the plan selection.
extern uint8_t ReturnToPlanSelect;
// What the message box was opened for (0..11), read when it closes.
extern int32_t MessagePurpose;
// What a plan chosen from the plan slot list is for: 0 execute, 1 edit, 2 delete.
extern int32_t PlanSlotPurpose;

// The plan activity: 0 none, 1 a new plan is being set up, 2 a plan is recorded or replayed under
// the recording overlay; and the two plan counters a new plan starts from.
extern int32_t PlanActivity;
extern int32_t PlanCounters[2];

// The game step's own frame counter (increased at the start of every step).
extern int32_t GameStepFrame;

// The alarm has gone off; the override switch lets picking and the simulation go on.
extern uint8_t AlarmRaised;
extern uint8_t AlarmOverride;

// The number of levels of this build.
constexpr int32_t NumberOfLevels = 1;
// The burglary targets of this build.
constexpr int32_t LevelCount = 2;
// The lowest burglary level each target can be burgled at.
extern const int32_t TargetMinimumLevel[LevelCount];
// One byte per burglary target: it has been burgled.
extern uint8_t LevelFlags[LevelCount];
// The plan word the plan file's header stores (the burglary the plan is for, 1-based; 0 none).
extern int32_t PlanBurglaryNumber;

// While set the HUD bar draws nothing.
extern uint8_t HudHiddenFlag;
// The camera's input word that the bar's knob and replay buttons clear.
extern int32_t CameraInputWord;

// The input state the main window fills and the game step and screens read.
struct InputState
{
    int32_t menuKey = 0; // 1 Right, 2 Left, 3 Enter, 4 End, 5 Home, 6 Up, 7 Down, 8 Esc, or a character
    uint8_t leftButton = 0, middleButton = 0, rightButton = 0;
    uint8_t leftClick = 0, rightClick = 0;
    uint8_t doubleClick = 0;
    int32_t wheel = 0;
    // A release in the same frame as its press is handled one frame later.
    uint8_t leftReleaseDeferred = 0, rightReleaseDeferred = 0;
    int32_t leftPressFrame = 0, rightPressFrame = 0;
    // The game step frame of the last button press (the "input frame").
    int32_t inputFrame = 0;
    uint8_t mouseMoveHandled = 0; // cleared by every frame
    float mouseDX = 0, mouseDY = 0;
    int32_t cursorX = 0, cursorY = 0;
};
extern InputState Input;

// Clears a deferred release once the frame counter has moved on from the press.
void ApplyDeferredButtonReleases(InputState& input, int32_t frame);
