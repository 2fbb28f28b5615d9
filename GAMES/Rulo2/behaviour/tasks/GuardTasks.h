#pragma once
// The guards' tactics: walking to a post, looking at objects in turn, testing
// a door, window or locker, and standing watch. All of them watch through a
// view cone, and all but "Check Objects" look for the gang and listen.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/behaviour/CTask.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "LIBS/System/CVector.h"

class PATHFINDER;
class CWorldObject;

// The perception step the tactics share; the view-cone entry goes with the task.
class CTacticTask : public CTask
{
public:
    ~CTacticTask() override;

protected:
    // Which parts of the perception step need a known location.
    struct SNeeds
    {
        bool realtime = false;
        bool planning = false;
        bool sight = false;
    };
    void Watch(CObjectLogic& logic);
    // Steps 1 and 2: the path finder's ground node and its location; false
    // (with the tactic's log line) when there is none.
    bool Locate(const char* failure);
    // Step 3: sight and hearing by game phase.
    void Perceive(const SNeeds& needs);

    CObjectLogic* m_logic = nullptr;
    PATHFINDER* m_path = nullptr;
    tasks::SLocation m_location;
    bool m_located = false;
};

class CGuardTask : public CTacticTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    CWorldObject* m_post = nullptr;
    CVector m_postPosition{0, 0, 0};
};

class CCheckObjectsTask : public CTacticTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    void TurnToCurrent();

    int32_t m_lastTurn = 0;
    std::vector<CWorldObject*> m_objects;
    int32_t m_index = 0;
    CVector m_position{0, 0, 0};
};

// "Check doors and windows" and "Check Lockers": walk to the object, then test it.
class CCheckPassageTask : public CTacticTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

protected:
    explicit CCheckPassageTask(bool lockers) : m_lockers(lockers) {}

private:
    void Test();

    const bool m_lockers;
    CWorldObject* m_object = nullptr;
    int32_t m_checkStart = 0;
    uint8_t m_phase = 0;
    bool m_checkLocked = false, m_checkOpened = false, m_checkDamaged = false;
};

class CCheckDoorsTask : public CCheckPassageTask
{
public:
    CCheckDoorsTask() : CCheckPassageTask(false) {}
};

class CCheckLockersTask : public CCheckPassageTask
{
public:
    CCheckLockersTask() : CCheckPassageTask(true) {}
};

class CWaitGuardTask : public CTacticTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    int32_t m_start = 0;
    int32_t m_delay = 0;
};
