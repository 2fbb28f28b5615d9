#include "GAMES/Rulo2/behaviour/tasks/StateTasks.h"

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"

using namespace tasks;

void SetHiddenBy(const CObjectLogic& runner, CWorldObject* target, bool hidden)
{
    if (runner.IsCharacter())
        SetDisplayFlag(target, hidden);
    else
        SetDisplayFlags(target, hidden, false);
}

template <int32_t State, bool Value>
void CSetStateTask<State, Value>::Start(CObjectLogic& logic, TaskParamList&)
{
    logic.SetState(State, Value);
}

template class CSetStateTask<STATE_OPEN, true>;
template class CSetStateTask<STATE_OPEN, false>;
template class CSetStateTask<STATE_LOCKED, true>;
template class CSetStateTask<STATE_LOCKED, false>;
template class CSetStateTask<STATE_BROKEN, true>;
template class CSetStateTask<STATE_BROKEN, false>;
template class CSetStateTask<STATE_ACTIVE, true>;
template class CSetStateTask<STATE_ACTIVE, false>;
template class CSetStateTask<STATE_ALARM, true>;
template class CSetStateTask<STATE_ALARM, false>;

namespace {

CWorldObject* TargetOf(CObjectLogic& logic, TaskParamList& parameters)
{
    CWorldObject* target = ObjectAt(parameters, 0);
    return target ? target : logic.worldNode;
}

} // namespace

void CHideTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    SetHiddenBy(logic, TargetOf(logic, parameters), true);
}

void CShowTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    SetHiddenBy(logic, TargetOf(logic, parameters), false);
}

void CSayTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    auto* key = ParamAs<CTextParam>(parameters, 1);
    if (!key || key->text.empty())
        return;
    const std::string text = GetDisplayText(key->text.c_str());
    m_start = Now();
    CWorldObject* speaker = ObjectAt(parameters, 0);
    if (!speaker)
        speaker = logic.action.source;
    if (!speaker)
        return;
    m_duration = ShowTextBubble(speaker, text.c_str(), false);
}

void CPickTask::Start(CObjectLogic& logic, TaskParamList&)
{
    if (!logic.worldNode)
        return;
    CloneObjectInstance(logic.worldNode, logic.action.source);
    SetDisplayFlags(logic.worldNode, false, false);
}

void CWaitTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    if (logic.Records()) {
        logic.recordedValues.clear();
        logic.RecordTaskEvent();
    }
    m_delay = NumberAt(parameters, 0);
    if (m_delay == 0)
        m_delay = 400;
    if (!logic.recordedValues.empty()) {
        m_start = logic.recordedValues.front();
        return;
    }
    m_start = Now();
    StoreSnapshot(logic, {m_start});
}

bool CWaitTask::Update(CObjectLogic&)
{
    return Now() - m_start < m_delay;
}
