#pragma once
// Looking up placed objects by their object id.
#include <cstdint>

class CWorldObject;

// The id the lookup keeps for the special object.
constexpr uint32_t kSpecialObjectId = 12345678;
// The special object (null until the game sets one).
extern CWorldObject* g_SpecialObject;

// The placed world object whose logic has that id, the special object for
// kSpecialObjectId, or null.
CWorldObject* FindObjectById(uint32_t id);
