#pragma once
// The view cones of the watchers: a faint grey wedge of 90 degrees in front of
// every guard and video sensor, drawn at the end of the view passes in the
// planning and burglary phases.
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "LIBS/System/CVector.h"

// The three corners of an entry's cone (apex, then the two far corners);
// false when the entry is not drawn (no object, or a fixed object that is
// inactive, broken or in a house outside the burglary).
bool WatcherConeCorners(const SIdEntry& entry, CVector corners[3]);

// One triangle per drawn entry, in list order; nothing in REALTIME.
void DrawWatcherMarks(const CIdEntryList& list);
