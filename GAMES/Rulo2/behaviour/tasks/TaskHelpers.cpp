#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"

#include <cmath>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "platform/crt/Crt.h"

namespace tasks {

int32_t Now()
{
    return GameClock.gameClock;
}

float RandomFraction()
{
    return float(crt::rand()) / 32767.0f;
}

void Say(CWorldObject* owner, const char* key)
{
    if (owner)
        ShowTextBubble(owner, GetDisplayText(key), false);
}

bool IsHero(const CWorldObject* object)
{
    return object && object == CurrentCharacter;
}

bool IsCharacter(const CWorldObject* object)
{
    return object && object->objectLogic && object->objectLogic->IsCharacter();
}

const CCharacterAState* AttributesOf(const CWorldObject* character)
{
    return character && character->objectLogic
               ? dynamic_cast<const CCharacterAState*>(character->objectLogic->EffectiveConditions())
               : nullptr;
}

bool IsHidden(const CWorldObject* object)
{
    return object && (object->flags & 0x02) != 0;
}

float Distance(const CVector& a, const CVector& b)
{
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

SLocation LocationOf(const CWorldObject* node)
{
    SLocation l;
    if (node)
        GetLocation(node, &l.house, &l.floor, &l.floorNumber, &l.inside);
    return l;
}

int32_t NoiseArea(const CWorldObject* floor)
{
    return floor ? int32_t(floor->index) + 1 : 0;
}

bool HeroInside()
{
    CWorldObject* hero = CurrentCharacter;
    if (!hero)
        return false;
    const CWorldObject* node = hero;
    if (hero->objectLogic)
        if (PATHFINDER* path = hero->objectLogic->GetPathfinder())
            if (path->groundNode)
                node = path->groundNode;
    return LocationOf(node).inside != 0;
}

void StoreSnapshot(CObjectLogic& logic, std::initializer_list<int32_t> values)
{
    if (!logic.Records())
        return;
    logic.recordedValues.assign(values.begin(), values.end());
    logic.RecordTaskEvent();
}

int32_t ReadValue(CObjectLogic& logic, int32_t fallback)
{
    if (logic.readPosition < 0 || size_t(logic.readPosition) >= logic.recordedValues.size())
        return fallback;
    return logic.recordedValues[size_t(logic.readPosition++)];
}

int32_t NumberAt(TaskParamList& parameters, size_t i)
{
    auto* p = ParamAs<CIntParam>(parameters, i);
    return p ? p->value : 0;
}

CWorldObject* ObjectAt(TaskParamList& parameters, size_t i)
{
    auto* p = ParamAs<CObjectRefParam>(parameters, i);
    return p ? p->object : nullptr;
}

CVector PositionAt(TaskParamList& parameters, size_t i)
{
    auto* p = ParamAs<CPositionParam>(parameters, i);
    return p ? CVector(p->x, p->y, p->z) : CVector(0, 0, 0);
}

float RadiusAt(TaskParamList& parameters, size_t i)
{
    auto* p = ParamAs<CRadiusParam>(parameters, i);
    return p ? p->value : 0.0f;
}

CActionEntry* PendingRequest(int32_t kind, const CWorldObject* target)
{
    if (!RequestPending || RequestQueue.empty())
        return nullptr;
    CActionEntry& r = RequestQueue.front();
    return !r.handled && r.action == kind && r.target == target ? &r : nullptr;
}

int32_t FeedbackIdOf(const CActionEntry& request)
{
    return request.feedbackId == HudFeedbackId ? request.feedbackId : 0;
}

bool PlayBusy(CObjectLogic& logic, const char* name)
{
    const bool found = logic.PlayAnimation(name);
    logic.SetStateByte(found ? 1 : 0);
    return found;
}

bool PlayBusy(CWorldObject* object, const char* name)
{
    return object && object->objectLogic && PlayBusy(*object->objectLogic, name);
}

bool GroundHit(const CActionEntry& order, CVector* hit)
{
    const CVector origin(order.rayOrigin[0], order.rayOrigin[1], order.rayOrigin[2]);
    const CVector direction(order.position[0], order.position[1], order.position[2]);
    // Only ground the frame shows: a hidden floor above the clicked one takes no click.
    return PickGroundPoint(origin, direction, hit);
}

CActionEntry Request(int32_t kind, CWorldObject* source, CWorldObject* target)
{
    CActionEntry e;
    e.init(kind, target, nullptr);
    e.source = source;
    return e;
}

} // namespace tasks
