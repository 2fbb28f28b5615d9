#pragma once
// What the task classes share: the clock, bubbles by text key, where a node
// stands (house, floor, inside), the hero, and the recorded-value snapshots
// that let a task resume the same way on replay.
#include <cstdint>
#include <initializer_list>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CCharacterAState;
class CObjectLogic;
class CWorldObject;

namespace tasks {

constexpr float kHalfPi = 1.5707964f;
constexpr float kQuarterPi = 0.7853982f;

int32_t Now();
// r / 32767 for a fresh r of the run-time's random generator: 0 to 1.
float RandomFraction();
// |a - b| > bound on the game clock (a clock that wrapped or went back counts too).
inline bool Elapsed(int32_t a, int32_t b, int32_t bound)
{
    const int32_t d = a - b;
    return (d < 0 ? -d : d) > bound;
}

// The speech bubble of a text key (the key itself while raw keys are shown).
void Say(CWorldObject* owner, const char* key);
bool IsHero(const CWorldObject* object);
bool IsCharacter(const CWorldObject* object);
// The attributes of a kind-4 character (skills, strength, coolness); null for others.
const CCharacterAState* AttributesOf(const CWorldObject* character);
// Node flag bit 1.
bool IsHidden(const CWorldObject* object);
float Distance(const CVector& a, const CVector& b);

// The house ("Haus"), floor ("Stockwerk") and inside flag ("innen") above a node.
struct SLocation
{
    CWorldObject* house = nullptr;
    CWorldObject* floor = nullptr;
    int32_t floorNumber = 0;
    uint8_t inside = 0;
    // The floor, else the house, else null.
    CWorldObject* Where() const { return floor ? static_cast<CWorldObject*>(floor) : house; }
};
SLocation LocationOf(const CWorldObject* node);
// The area number a noise source or a listener has: its floor's, 0 outside.
int32_t NoiseArea(const CWorldObject* floor);
// The hero stands in a building (its ground node, else itself, below an "innen" node).
bool HeroInside();

// While recording a recordable object: empties its recorded values, appends
// these and records a task event.
void StoreSnapshot(CObjectLogic& logic, std::initializer_list<int32_t> values);
// The next recorded value (read position advances); `fallback` past the end.
int32_t ReadValue(CObjectLogic& logic, int32_t fallback = 0);

// Parameter i of a task item's list as the class, null when it is missing or of another class.
template <class T>
T* ParamAs(TaskParamList& parameters, size_t i)
{
    return i < parameters.size() ? dynamic_cast<T*>(parameters[i].get()) : nullptr;
}
// The value of a flag, number or time parameter; 0 when missing.
int32_t NumberAt(TaskParamList& parameters, size_t i);
// The object of an object parameter; null when missing.
CWorldObject* ObjectAt(TaskParamList& parameters, size_t i);
// The point of a position parameter; the origin when missing.
CVector PositionAt(TaskParamList& parameters, size_t i);
// The value of a radius parameter; 0 when missing.
float RadiusAt(TaskParamList& parameters, size_t i);

// The pending request when it is a request of the kind on this object that nobody took yet.
CActionEntry* PendingRequest(int32_t kind, const CWorldObject* target);
// A request's feedback id counts only while the interface highlights it.
int32_t FeedbackIdOf(const CActionEntry& request);
// Plays the animation and takes the busy flag from whether it exists.
bool PlayBusy(CObjectLogic& logic, const char* name);
bool PlayBusy(CWorldObject* object, const char* name);
// Where the pick ray of a walk order (kind 8) meets the walkable ground that is shown.
bool GroundHit(const CActionEntry& order, CVector* hit);

// A request that nobody takes, as CActionEntry::init leaves it, with a kind.
CActionEntry Request(int32_t kind, CWorldObject* source, CWorldObject* target);

} // namespace tasks
