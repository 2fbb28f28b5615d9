#include "GAMES/Rulo2/behaviour/CTask.h"

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

void CTask::Start(CObjectLogic&, TaskParamList&) {}

bool CTask::Update(CObjectLogic&)
{
    return false;
}

bool CTask::Query()
{
    return false;
}

void CTask::RecordReplayState(int32_t) {}

void CSetFlagTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    if (auto* flag = TaskParamAt<CIntParam>(parameters, 0, PARAM_FLAG))
        logic.SetFlagBit(flag->value);
}

void CClearFlagTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    if (auto* flag = TaskParamAt<CIntParam>(parameters, 0, PARAM_FLAG))
        logic.ClearFlagBit(flag->value);
}

void CPlayActionTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    auto* name = TaskParamAt<CTextParam>(parameters, 0, PARAM_ACTIONNAME);
    if (name && !name->text.empty() && !logic.busy)
        logic.PlayAnimation(name->text.c_str());
}

bool CPlayActionTask::Update(CObjectLogic& logic)
{
    if (!logic.IsPlayOnceRunning())
        return false;
    logic.lastActivity = GameClock.gameClock;
    return true;
}

void CPlayActionSenderTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    auto* name = TaskParamAt<CTextParam>(parameters, 0, PARAM_ACTIONNAME);
    CWorldObject* actor = logic.action.source;
    if (!name || name->text.empty() || !actor || !actor->objectLogic)
        return;
    // The actor waits until the animation has played.
    const bool playing = actor->objectLogic->PlayAnimation(name->text.c_str());
    actor->objectLogic->SetStateByte(playing ? 1 : 0);
}
