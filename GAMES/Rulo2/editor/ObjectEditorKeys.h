#pragma once
// The keys of the Object Editor view: the current object's actions (its states)
// with their animation start, end, count and position, and each action's list of
// sound events.
#include <cstdint>

// The field the arrow keys change: 0 action, 1 start, 2 end, 3 count, 4 position,
// 5 event list.
extern int32_t ObjectEditorField;
// The current event of the action's event list (-1: none).
extern int32_t ObjectEditorEvent;
// The game clock when the action was last chosen (the view plays it from there).
extern int32_t ObjectEditorTime;

// One key in the Object Editor with the current object and action (nothing
// otherwise); true when the key was one of its keys. Enter in the event list asks
// for a sound definition and appends an event at the action's start.
bool ObjectEditorKey(int key, bool ctrl, bool shift);
