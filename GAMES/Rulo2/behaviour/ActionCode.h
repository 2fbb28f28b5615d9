#pragma once
// Action codes: the verb, target and item of a CActionEntry as tasks, task
// parameters and dependencies use them, their "ACOD" chunk and their editor text.
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"

class CChunkReader;
class CChunkWriter;

// A request as the matching sees it: verb, a word, target and the item type
// (the definition number the item must carry, 0 for any item).
struct SActionRequest
{
    int32_t action = -1;
    int32_t word = 0;
    CWorldObject* target = nullptr;
    int32_t itemType = 0;
};

// The three words of a plain "ACOD" body as read: verb and the two stored
// indexes, which reference resolution turns into pointers later.
struct SStoredAction
{
    int32_t action = -1;
    int32_t target = 0;
    int32_t item = 0; // item index (plain form) or slot code (recorded form)
};

namespace ActionCode {

// The item a gang-table slot code names; null for -1, for a member index not
// below the table's count and for a slot outside 0-2 and 64-73.
CObjectNode* SlotItem(int32_t slotCode);
// `item` when the slot code is -1, else the slot's item.
CObjectNode* GetTarget(const CActionEntry& entry);
// Points the entry at the last gang-table slot that holds the item.
void FindByTarget(CActionEntry& entry, CObjectNode* item);
bool Matches(const CActionEntry& entry, const SActionRequest& request, CWorldObject* defaultTarget);
std::string Describe(const CActionEntry& entry);

// "ACOD" version 0: verb, target object index, item index.
bool Write(const CActionEntry& entry, CChunkWriter& writer);
// "ACOD" version 0: verb, target recorder id, slot code.
bool WriteRecorded(const CActionEntry& entry, CChunkWriter& writer);
// The three words of an "ACOD" body (version word first); false when the body
// is too short.
bool ReadBody(CChunkReader& body, SStoredAction& out);

} // namespace ActionCode

// Where stored object and item numbers point: the object table by logic
// number (1 to count-1), the definitions by list number; null outside.
CWorldObject* ObjectFromTableIndex(int32_t index);
CObjectNode* ItemFromTableIndex(int32_t index);
// The numbers stored for an object (the slot of the object table that holds
// it) and for an item (its list number); 0 for none.
int32_t ObjectTableIndex(const CWorldObject* object);
int32_t ItemTableIndex(const CObjectNode* item);
// The recorder id of an object: 12345678 for the burglary car, else its logic's
// number; 0 for none.
int32_t RecorderIdOf(const CWorldObject* object);
