#pragma once
// Run-time lists of the game that the object behaviour keeps and the world
// passes fill: the gang's plan records, the active characters and objects,
// the recorded events, the burglary level and the controlled character.
#include <cstdint>
#include <vector>

class CObjectNode;
class CWorldObject;

// One item slot of a gang member: the carried object copy and a word.
struct SItemSlot
{
    CObjectNode* item = nullptr;
    uint32_t word = 0;
};

// A gang member's plan record.
struct SPlanMember
{
    CWorldObject* member = nullptr;
    float memberFactor = 1.0f;
    SItemSlot hands[3];
    SItemSlot bag[10];
    float carriedLoad = 0.0f;
};
extern std::vector<SPlanMember> PlanMemberArray;
// Object ids of the characters chosen for the burglary.
extern std::vector<uint32_t> ChosenCharacterIds;
// Characters in play, filled at game start-up.
extern std::vector<CWorldObject*> ActiveCharacters;
// Objects whose logic runs every frame.
extern std::vector<CWorldObject*> ActiveObjectList;

// A recorded event: its kind, its object and up to four words (the item
// events keep game time, instance id, object type and held byte).
struct SRecordedEvent
{
    int32_t kind = 0;
    CWorldObject* object = nullptr; // the object or the owning gang member
    uint32_t words[4] = {};
    float newValue = 0.0f, oldValue = 0.0f;
};
enum : int32_t
{
    EVENT_FLOAT_CHANGE = 1,
    EVENT_ITEM_ADDED = 26,
    EVENT_ITEM_REMOVED = 27,
};
extern std::vector<SRecordedEvent> RecordingList;
// Appends a float-change event for an object's value (the angle of a character).
void RecordFloatChange(CWorldObject* object, float newValue, float oldValue);

extern int32_t BurglaryLevel;
// The character the player controls; null until the game sets one.
extern CWorldObject* CurrentCharacter;
// Milliseconds of the game clock, stamped on recorded events.
extern int32_t GameTime;
