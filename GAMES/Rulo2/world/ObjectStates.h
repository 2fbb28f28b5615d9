#pragma once
// The saved-game records of placed objects: one "OBJ " chunk of version 1 per
// placed object whose logic has an object id.
#include "GAMES/Rulo2/world/ChunkFile.h"

class CWorldObject;

constexpr uint32_t kObjectStateVersion = 1;

// The records of the chain starting at `first` and its subtrees, in pre-order;
// false at the first failed write.
bool WriteObjectStates(CWorldObject* first, CChunkWriter& writer);
// Applies one record body to the object it names; false when the id names no
// object, the object's type changed or the body is damaged (nothing applied).
bool RestoreObjectState(CChunkReader& body);
