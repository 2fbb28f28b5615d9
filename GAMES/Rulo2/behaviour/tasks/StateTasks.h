#pragma once
// The small building blocks of task lists: setting one state of the own
// object, hiding or showing an object, a line of speech, copying a picked item
// into a character's hands, and waiting.
#include <cstdint>

#include "GAMES/Rulo2/behaviour/CTask.h"

class CWorldObject;

// Sets (or clears) one condition of the own object (0 open .. 4 alarm).
template <int32_t State, bool Value>
class CSetStateTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CHideTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CShowTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CSayTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;

private:
    int32_t m_start = 0;
    int32_t m_duration = 0;
};

class CPickTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CWaitTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    int32_t m_start = 0;
    int32_t m_delay = 0;
};

// Shows or hides an object the way a task of the running object does: a
// character uses the recorded hidden flag alone, any other object also clears
// the taken mark.
void SetHiddenBy(const CObjectLogic& runner, CWorldObject* target, bool hidden);
