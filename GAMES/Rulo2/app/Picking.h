#pragma once
// The game step's picking: the last frame's candidate becomes the picked object,
// then the game's state and the cursor's place rule picks out, and a press held
// over an object keeps that object picked.
#include <cstdint>

class CObjectNode;
class CWorldObject;

// The cursor lies in the corner zone near the top right; nothing is picked there.
extern uint8_t CornerZoneFlag;
// The cursor lies in the bar zone near the bottom right, and since when (frame time, ms).
extern uint8_t BarZoneFlag;
extern int32_t BarZoneEntryTime;
// The player has taken control of the hero: in BURGLARY only then can objects be picked.
extern uint8_t HeroControlSwitch;
// The selected character's pick mode: 1 only itself can be picked, 3 it may be picked while busy.
extern int32_t PickMode;

// First part, before the simulation: the candidate becomes the picked object; in
// PLANNING a recorded walk that should have stopped settles; the phase rules.
void PickFromCandidate();
// The zones of the cursor (w x h pixels) that every frame tests, also over a frozen view.
void UpdateCursorZones(int32_t x, int32_t y, int32_t w, int32_t h);
// Second part, after the camera and the sort: the rules that leave nothing picked, and the hold.
void PickUnderCursor(int32_t x, int32_t y, int32_t w, int32_t h);
// The overlays of the 3-D view: the action bubble over the held object (while the HUD is the
// current menu); a hold whose bubble stands open is complete (hold state 3).
void DrawWorldOverlays(bool hudIsCurrent, int32_t now);
// What a click on an object does with the item in hand: 6 use a plain item, 5 sell loot, 4 break
// the object open with a tool; -1 for anything else.
int32_t ItemActionCode(const CObjectNode* item);
// The cursor lies over one of the screen areas the interface claims this frame.
bool OverInterfaceRect(int32_t x, int32_t y);
