#pragma once
// The task base and the small task types that need nothing but the object's
// own logic: setting and clearing a flag bit, playing an animation on the
// object or on the actor of its current request.
#include <cstdint>
#include <memory>
#include <vector>

#include "GAMES/Rulo2/behaviour/CTaskParam.h"

class CObjectLogic;

using TaskParamList = std::vector<std::unique_ptr<CTaskParam>>;

// A plain task does nothing and is finished after its Start: the object logic
// runs it for items whose type does not apply to the object.
class CTask
{
public:
    CTask() = default;
    virtual ~CTask() = default;
    CTask(const CTask&) = delete;
    CTask& operator=(const CTask&) = delete;

    virtual void Start(CObjectLogic& logic, TaskParamList& parameters);
    // True while the task still runs.
    virtual bool Update(CObjectLogic& logic);
    virtual bool Query();
    virtual void RecordReplayState(int32_t argument);
};

class CSetFlagTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CClearFlagTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CPlayActionTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;
};

class CPlayActionSenderTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

// Parameter i of a list when it has the expected type; null otherwise.
template <class T>
T* TaskParamAt(TaskParamList& parameters, size_t i, int32_t typeId)
{
    if (i >= parameters.size() || !parameters[i] || parameters[i]->typeId != typeId)
        return nullptr;
    return static_cast<T*>(parameters[i].get());
}
