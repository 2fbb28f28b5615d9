#include "GAMES/Rulo2/app/GangValues.h"

#include <algorithm>

#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "platform/crt/Crt.h"

namespace {

// The values of a kind-4 character that the drift changes: its run-time
// conditions, else its own.
CCharacterAState* PersonValues(CWorldObject* person)
{
    if (!person || !person->objectLogic)
        return nullptr;
    CObjectLogic& logic = *person->objectLogic;
    CKindState* state = logic.conditions ? logic.conditions.get() : logic.ownConditions.get();
    return dynamic_cast<CCharacterAState*>(state);
}

float Draw()
{
    return float(crt::rand()) / float(crt::RandMax);
}

// Raises the skill once per count by (1 - v) x rate, capped at 1.0; returns the increase.
float Grow(float& skill, int32_t count, float rate)
{
    const float before = skill;
    for (int32_t i = 0; i < count; ++i)
        skill = std::min(1.0f, skill + (1.0f - skill) * rate);
    return skill - before;
}

} // namespace

void DriftGangValues()
{
    for (CWorldObject* person : KnownPeople) {
        CCharacterAState* values = PersonValues(person);
        if (!values || values->crimeRecords < 0.5f)
            continue;
        if (Draw() > 0.5f)
            values->crimeRecords *= 1.0f - (Draw() + 1.0f) * 0.05f;
    }
    for (SPlanMember& member : PlanMemberArray) {
        CCharacterAState* values = PersonValues(member.member);
        if (!values)
            continue;
        float s = Grow(values->pickLocks, member.pickedLocks, 0.02f);
        s += Grow(values->pickSafes, member.crackedSafes, 0.07f);
        s += Grow(values->alarmSystems, member.alarmsSwitchedOff, 0.05f);
        if (s > 0.0f)
            values->crimeRecords *= 1.1f;
        values->crimeRecords = std::min(1.0f, values->crimeRecords + s / 2.5f);
    }
}
