#pragma once
// The lists the watching tasks keep: the id entries of the view cones that the
// frame draws, the sound sensors of the burglary's houses, and the globals the
// burglary target sets up for the tasks (its houses, the start point and the
// leash around it).
#include <cstdint>
#include <vector>

#include "LIBS/System/CVector.h"

class CObjectLogic;
class CWorldObject;

// {pointer to 32-bit values, count}.
struct SIdArray
{
    const int32_t* values = nullptr;
    int32_t count = 0;
};
// The index of the first element equal to *value; -1 when absent or empty.
int32_t FindIdIndex(const SIdArray& array, const int32_t* value);

// One watcher: the cone length (guards 2.0, video sensors 0.5), its object
// logic and, for a fixed object, the house it stands in (else null).
struct SIdEntry
{
    float key = 0.0f;
    CObjectLogic* object = nullptr;
    CWorldObject* value = nullptr;
};
using CIdEntryList = std::vector<SIdEntry>;
extern CIdEntryList ViewConeList;

// Adds {key, object, house} at the end unless the object has an entry.
void AddIdEntry(CIdEntryList& list, CObjectLogic* object, float key);
// Removes the object's entry; returns the index it had, or the old count when none.
int32_t RemoveIdEntry(CIdEntryList& list, CObjectLogic* object);

// The burglary set-up: its houses, the point the hero starts from and how far
// it may stray (1000.0 until the burglary target sets it), and where the hero
// is placed at a new start ((0, 0, 0): unset).
extern std::vector<CWorldObject*> BurglaryHouses;
extern CVector BurglaryStartPoint;
extern float BurglaryLeashRadius;
extern CVector HeroStartPosition;
constexpr float kDefaultLeashRadius = 1000.0f;
bool IsBurglaryHouse(const CWorldObject* house);
// The characters the burglary target names (its report lists them).
extern std::vector<CWorldObject*> BurglaryCharacters;
// Set by the game reset while it starts the burglary target tasks: only then
// does a burglary target write the globals above.
extern uint8_t BurglaryTargetReset;
// The gang of the plan, escaped and caught cleared: one record per plan member.
void RebuildGangMemberList();

// The light barriers that a walking character can cross: one record per
// running light barrier task.
struct SLightBarrier
{
    CWorldObject* node = nullptr;
    int32_t words[2] = {0, 1};
};
extern std::vector<SLightBarrier> LightBarrierList;
// The objects that characters are cracking right now.
struct SCrackedObject
{
    CWorldObject* node = nullptr;
    CObjectLogic* logic = nullptr;
    CWorldObject* cracker = nullptr; // the character at work, whose progress bar shows it
};
extern std::vector<SCrackedObject> CrackingList;

// The known people, each at most once (saved with the game).
bool AddKnownPerson(CWorldObject* person);

// The sound sensors of the burglary's houses, which a player command with
// action number 17 acts on.
extern std::vector<CWorldObject*> SoundSensorList;
