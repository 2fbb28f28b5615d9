#pragma once
// Small tasks that move, stop, turn and freeze characters, queue requests as
// if a character had chosen them, set the states of other objects and give or
// take the hero's items.
#include <cstdint>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CTaskList;
class CWorldObject;

// The list a character runs while it waits, frozen, for the hero.
CTaskList* FrozenCharacterTaskList();

// Angle about the vertical axis that turns a character at `from` toward `to`.
float FacingAngle(const CVector& from, const CVector& to);

class CWalkTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

protected:
    CObjectLogic* m_logic = nullptr;
};

class CWalkToTask : public CWalkTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CWalkAndDoTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    CObjectLogic* m_logic = nullptr;
    CActionEntry m_request;
    CWorldObject* m_target = nullptr;
};

class CStopWalkingTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CDoNothingTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic&) override { return true; }
};

class CTurnTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CFrozenCharacterTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    int32_t m_end = 0;
};

class CGenerateActionCodeTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

// "SetRemoteOpenState" .. "SetRemoteActiveState": condition 0 open .. 4 active.
template <int32_t State>
class CSetRemoteStateTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

extern template class CSetRemoteStateTask<0>;
extern template class CSetRemoteStateTask<1>;
extern template class CSetRemoteStateTask<2>;
extern template class CSetRemoteStateTask<3>;
extern template class CSetRemoteStateTask<4>;

class CAddInventoryItemTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};

class CRemoveInventoryItemTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
};
