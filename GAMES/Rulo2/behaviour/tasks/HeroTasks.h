#pragma once
// The player's orders turned into the hero's movement: walk to a clicked
// point (kind 8) or to an object and then do something there (kind 9), on a
// leash around the burglary's start point. "HeroRecord" also writes the
// orders into the planned task list while planning.
#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CTaskItem;
class CTaskList;
class CWorldObject;
class PATHFINDER;

class CHeroTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

protected:
    void Clear();
    // The first step of the hero's orders that both tasks share: the walk and the leash.
    bool LeashPulled(CObjectLogic& logic, PATHFINDER& path, const CVector& before) const;

    CActionEntry m_request;
    CWorldObject* m_target = nullptr;
};

class CHeroRecordTask : public CHeroTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    void FinishLastWalk(CObjectLogic& logic) const;
    void Arrived(CObjectLogic& logic, PATHFINDER& path);
    void WalkOrder(CObjectLogic& logic, PATHFINDER& path, const CActionEntry& order);
    void ObjectOrder(CObjectLogic& logic, PATHFINDER& path, CActionEntry& order);
};

// The planned item the clock stands in (the last one started by now); null without a planned list.
CTaskItem* LastPlannedItem(CObjectLogic& logic);
// Adds a planned item of the type at the game clock with the row's parameters,
// makes it the current item and records it.
CTaskItem* AddPlannedItem(CObjectLogic& logic, CTaskList& list, int32_t type);
