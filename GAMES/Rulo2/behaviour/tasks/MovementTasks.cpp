#include "GAMES/Rulo2/behaviour/tasks/MovementTasks.h"

#include <cmath>
#include <memory>

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"

using namespace tasks;

namespace {

constexpr int32_t kFrozenMs = 5000;

bool WalkToParam(CObjectLogic& logic, TaskParamList& parameters, size_t i)
{
    auto* p = ParamAs<CPositionParam>(parameters, i);
    PATHFINDER* path = logic.GetPathfinder();
    return p && path && path->WalkTo(CVector(p->x, p->y, p->z), nullptr);
}

} // namespace

CTaskList* FrozenCharacterTaskList()
{
    static std::unique_ptr<CTaskList> list = [] {
        auto l = std::make_unique<CTaskList>();
        l->AddTask(std::make_unique<CTaskItem>(-1, TaskTypeByName("FrozenCharacter")));
        return l;
    }();
    return list.get();
}

float FacingAngle(const CVector& from, const CVector& to)
{
    return std::atan2(to.x - from.x, to.z - from.z) + kHalfPi;
}

// ---------------------------------------------------------------- walking

void CWalkTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    WalkToParam(logic, parameters, 0);
    m_logic = &logic;
}

bool CWalkTask::Update(CObjectLogic& logic)
{
    PATHFINDER* path = logic.GetPathfinder();
    if (!path || !path->SettleAnimation())
        return false;
    if (!path->Update())
        return false;
    logic.lastActivity = Now();
    return true;
}

void CWalkToTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    if (NumberAt(parameters, 0) == 0)
        logic.timeLimited = 1;
    WalkToParam(logic, parameters, 2);
    m_logic = &logic;
}

void CWalkAndDoTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    m_logic = &logic;
    if (NumberAt(parameters, 0) == 0)
        logic.timeLimited = 1;
    auto* target = ParamAs<CRecordedObjectParam>(parameters, 2);
    m_target = target ? target->object : nullptr;
    if (auto* code = ParamAs<CActionParam>(parameters, 3))
        m_request = code->action;
    m_request.source = logic.worldNode;
    if (!m_target || !logic.worldNode)
        return;
    if (m_request.action != -1 && IsCharacter(m_target)) {
        m_target->objectLogic->StartTaskList(FrozenCharacterTaskList(), CActionEntry());
        SetRecordedFloat(m_target, FacingAngle(m_target->position, logic.worldNode->position));
    }
    PATHFINDER* path = logic.GetPathfinder();
    auto* holder = static_cast<CWorldObject*>(m_target->parent);
    if (holder && holder->objectKind == CWorldObject::KIND_OBJECT) {
        // The target lies in or on another object: the request goes out from here.
        if (path)
            path->Stop();
        PushRequest(m_request.action != -1 ? m_request : Request(9, logic.worldNode, m_target));
        m_target = nullptr;
    } else if (path) {
        path->Step(m_target);
    }
}

bool CWalkAndDoTask::Update(CObjectLogic& logic)
{
    PATHFINDER* path = logic.GetPathfinder();
    if (!path || !m_target || !path->SettleAnimation())
        return false;
    if (path->Update()) {
        logic.lastActivity = Now();
        return true;
    }
    if (!m_target->IsAtAttackPoint(logic.worldNode))
        return false;
    PushRequest(m_request.action != -1 ? m_request : Request(9, logic.worldNode, m_target));
    return false;
}

void CStopWalkingTask::Start(CObjectLogic& logic, TaskParamList&)
{
    if (PATHFINDER* path = logic.GetPathfinder())
        path->Stop();
}

void CDoNothingTask::Start(CObjectLogic& logic, TaskParamList&)
{
    logic.timeLimited = 1;
}

void CTurnTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    SetRecordedFloat(logic.worldNode, float(NumberAt(parameters, 0)) * 3.1415927f / 180.0f);
}

// ---------------------------------------------------------------- frozen

void CFrozenCharacterTask::Start(CObjectLogic& logic, TaskParamList&)
{
    m_end = Now() + kFrozenMs;
    if (logic.busy)
        return;
    if (!logic.PlayAnimation("SIT"))
        logic.PlayAnimation("STAND");
    if (CurrentCharacter && logic.worldNode)
        SetRecordedFloat(logic.worldNode, FacingAngle(logic.worldNode->position, CurrentCharacter->position));
}

bool CFrozenCharacterTask::Update(CObjectLogic& logic)
{
    if (Now() > m_end)
        return false;
    if (!RequestPending || RequestQueue.empty())
        return true;
    CActionEntry& request = RequestQueue.front();
    if (!CurrentCharacter || request.source != CurrentCharacter || request.handled)
        return true;
    if (request.action == 9 && request.target == logic.worldNode)
        return true;
    // Any other order of the hero ends the wait and is swallowed.
    request.handled = 1;
    return false;
}

// ---------------------------------------------------------------- requests, states, items

void CGenerateActionCodeTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    auto* code = ParamAs<CActionParam>(parameters, 0);
    if (!code)
        return;
    CActionEntry request = code->action;
    request.source = logic.worldNode;
    PushRequest(request);
}

template <int32_t State>
void CSetRemoteStateTask<State>::Start(CObjectLogic&, TaskParamList& parameters)
{
    auto* object = ParamAs<CObjectRefParam>(parameters, 1);
    CWorldObject* target = object ? object->object : nullptr;
    if (!target || !target->objectLogic)
        return;
    target->objectLogic->SetState(State, NumberAt(parameters, 0) != 0);
    target->objectLogic->Activate();
}

template class CSetRemoteStateTask<STATE_OPEN>;
template class CSetRemoteStateTask<STATE_LOCKED>;
template class CSetRemoteStateTask<STATE_BROKEN>;
template class CSetRemoteStateTask<STATE_ACTIVE>;
template class CSetRemoteStateTask<STATE_ALARM>;

void CAddInventoryItemTask::Start(CObjectLogic&, TaskParamList& parameters)
{
    auto* item = ParamAs<CInvItemParam>(parameters, 0);
    if (item && item->item && CurrentCharacter)
        CreateObjectInstance(item->item, CurrentCharacter);
}

void CRemoveInventoryItemTask::Start(CObjectLogic&, TaskParamList& parameters)
{
    auto* item = ParamAs<CInvItemParam>(parameters, 0);
    if (!item || !item->item)
        return;
    for (const ObjectInstance& instance : ObjectInstances)
        if (instance.object && (instance.object == item->item || TemplateOf(instance.object) == item->item)) {
            RemoveObjectInstance(instance.object);
            return;
        }
}
