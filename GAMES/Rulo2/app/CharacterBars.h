#pragma once
// The progress bars over the characters of the interface's list: a character that works on a
// lock, safe or alarm system with a tool shows how far the work has come.
#include <vector>

#include "GAMES/Rulo2/render/Overlays.h"

// The world's characters, each with the progress of the object it is cracking (negative: none).
std::vector<SCharacterProgress> CharacterProgressList();
// The bars show only while the HUD is the current menu; in PLANNING only while a recording runs
// (RECORD with the clock going), and never while either of the two interface flags is set.
bool CharacterBarsShown(bool hudIsCurrent);
// The game step's object overlays: the bars, when they show, with the interface's bar pictures.
void DrawCharacterBars();
