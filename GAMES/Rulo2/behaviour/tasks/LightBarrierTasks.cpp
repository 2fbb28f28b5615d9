#include "GAMES/Rulo2/behaviour/tasks/LightBarrierTasks.h"

#include <algorithm>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

using namespace tasks;

CLichtschrankeTask::~CLichtschrankeTask()
{
    auto it = std::find_if(LightBarrierList.begin(), LightBarrierList.end(),
                           [this](const SLightBarrier& b) { return b.node == m_node; });
    if (it != LightBarrierList.end())
        LightBarrierList.erase(it);
}

void CLichtschrankeTask::Start(CObjectLogic& logic, TaskParamList&)
{
    logic.timeLimited = 1;
    m_node = logic.worldNode;
    logic.PlayAnimation(logic.IsActive() ? "ON" : "OFF");
    LightBarrierList.push_back({m_node, {0, 1}});
}

bool CLichtschrankeTask::Update(CObjectLogic& logic)
{
    CActionEntry* crossing = PendingRequest(12, m_node);
    if (!crossing)
        return true;
    crossing->handled = 1;
    if (logic.IsBroken() || logic.IsOpen())
        return false;
    if (!logic.IsActive())
        return true;
    if (GamePhase == PHASE_REALTIME) {
        CWorldObject* character = crossing->source;
        if (PATHFINDER* path =
                character && character->objectLogic ? character->objectLogic->GetPathfinder() : nullptr)
            path->Step(m_node);
    } else if (GamePhase == PHASE_BURGLARY) {
        logic.SetAlarmState(true);
    }
    return true;
}

void CAddToKnownPeopleTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    CWorldObject* person = ObjectAt(parameters, 0);
    AddKnownPerson(person ? person : logic.worldNode);
}
