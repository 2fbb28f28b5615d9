#pragma once
// Run-time lists of the game that the object behaviour keeps and the world
// passes fill: the gang's plan records, the active characters and objects,
// the recorded events, the burglary level and the controlled character.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "LIBS/System/CVector.h"

class CObjectNode;
class CWorldObject;

// One item slot of a gang member: the carried object copy and a word.
struct SItemSlot
{
    CObjectNode* item = nullptr;
    uint32_t word = 0;
};

// A gang member's plan record. Action codes name its slots as member x 256 +
// slot (tool slots 0-2) or + 64 + slot (loot slots 0-9).
struct SPlanMember
{
    CWorldObject* member = nullptr;
    uint8_t leader = 0; // the person the player leads first
    uint32_t words[3] = {};
    // Raised by successful cracks; the skill drift reads them.
    int32_t pickedLocks = 0;
    int32_t crackedSafes = 0;
    int32_t alarmsSwitchedOff = 0;
    float memberFactor = 0.0f; // the member's share of the loot
    SItemSlot hands[3];        // tool slots
    SItemSlot bag[10];         // loot slots
    float carriedLoad = 0.0f;
    uint8_t toolFlags[3] = {}; // tool slot j holds an item
    uint8_t bytes[2] = {};
};

// The gang table: who takes part in the planned burglary, the hero first.
class CPlanMemberArray
{
public:
    // Appends n records, all zero; returns the index of the first. Records
    // move when the table grows, so pointers into it do not survive an add.
    int32_t add(int32_t n);
    SPlanMember* at(int32_t i) { return &m_records[size_t(i)]; }
    int32_t count() const { return int32_t(m_records.size()); }
    int32_t capacity() const { return m_capacity; }
    void clear();

    size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    SPlanMember& operator[](size_t i) { return m_records[i]; }
    const SPlanMember& operator[](size_t i) const { return m_records[i]; }
    auto begin() { return m_records.begin(); }
    auto end() { return m_records.end(); }
    auto begin() const { return m_records.begin(); }
    auto end() const { return m_records.end(); }

    int32_t growStep = 1;

private:
    std::vector<SPlanMember> m_records;
    int32_t m_capacity = 0;
};
extern CPlanMemberArray PlanMemberArray;
// Object ids of the characters chosen for the burglary.
extern std::vector<uint32_t> ChosenCharacterIds;
// Characters in play, filled at game start-up.
extern std::vector<CWorldObject*> ActiveCharacters;
// Objects whose logic runs every frame.
extern std::vector<CWorldObject*> ActiveObjectList;

// The burglary target: its total loot value, the share of it the gang must take (a fraction) and
// its par time in ms, set by the burglary target task; the loot gathered, summed by the results.
extern float TargetLootValue;
extern float RequiredLootShare;
extern int32_t BurglaryParTime;
extern float GatheredLoot;

// The burglary level, 1 to the number of levels; +1 finished, +2 while the closing movie runs.
extern int32_t BurglaryLevel;
// The character the player controls; null until the game sets one.
extern CWorldObject* CurrentCharacter;
// How the hero travels: 0 on foot, 1 in a car (HeroCar), 2 and 3 taxi states.
extern int32_t HeroTravelMode;
extern CWorldObject* HeroCar;
