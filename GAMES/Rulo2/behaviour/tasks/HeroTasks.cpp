#include "GAMES/Rulo2/behaviour/tasks/HeroTasks.h"

#include <memory>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"

using namespace tasks;

namespace {

constexpr int32_t kJoinOrdersMs = 499;

CActionEntry* PendingOrder()
{
    if (!RequestPending || RequestQueue.empty() || RequestQueue.front().handled)
        return nullptr;
    return &RequestQueue.front();
}

CActionEntry FollowUpOf(CActionEntry& order)
{
    CActionEntry followUp;
    if (order.followUp)
        followUp = *order.followUp;
    order.followUp.reset();
    return followUp;
}

bool IsWalkItem(const CTaskItem* item)
{
    return item && (item->taskType == TASK_WALK_AND_DO || item->taskType == TASK_WALK_TO);
}

CIntParam* IntAt(CTaskItem& item, size_t i)
{
    return i < item.parameters.size() ? dynamic_cast<CIntParam*>(item.parameters[i].get()) : nullptr;
}

void SetFinish(CTaskItem& item, int32_t finish, int32_t time)
{
    if (CIntParam* p = IntAt(item, 0))
        p->value = finish;
    if (CIntParam* p = IntAt(item, 1))
        p->value = time;
}

void FeedbackNow()
{
    HudFeedbackId = Now();
    RefreshRecordHighlight(HudFeedbackId);
}

} // namespace

CTaskItem* LastPlannedItem(CObjectLogic& logic)
{
    CTaskList* list = logic.GetPlannedTaskList();
    CTaskItem* last = nullptr;
    if (list)
        for (auto& item : list->tasks)
            if (item->startTime <= Now())
                last = item.get();
    return last;
}

CTaskItem* AddPlannedItem(CObjectLogic& logic, CTaskList& list, int32_t type)
{
    auto item = std::make_unique<CTaskItem>(Now(), type);
    if (const STaskTypeRow* row = TaskTypeRow(type))
        for (uint32_t i = 0; i < row->paramCount; ++i)
            item->AddParameter(row->params[i].type);
    CTaskItem* added = item.get();
    // After the items already at this time, so that the new one is the last started.
    list.AddTask(std::move(item));
    logic.currentItem = added;
    if (logic.Records())
        logic.chainIds[CHAIN_TASK_ITEM] =
            RecordTaskItem(&logic, added, &list, logic.chainIds[CHAIN_TASK_ITEM]);
    return added;
}

// ---------------------------------------------------------------- Hero

void CHeroTask::Clear()
{
    m_request = CActionEntry();
    m_target = nullptr;
}

void CHeroTask::Start(CObjectLogic& logic, TaskParamList&)
{
    PATHFINDER* path = logic.GetPathfinder();
    if (!logic.busy)
        logic.PlayAnimation("STAND");
    if (path) {
        if (HeroStartPosition.x != 0.0f || HeroStartPosition.y != 0.0f || HeroStartPosition.z != 0.0f)
            path->GoTo(HeroStartPosition, nullptr);
        path->Stop();
    }
    Clear();
}

bool CHeroTask::LeashPulled(CObjectLogic& logic, PATHFINDER& path, const CVector& before) const
{
    if (Distance(logic.GetPosition(), BurglaryStartPoint) <= BurglaryLeashRadius)
        return false;
    path.Stop();
    path.PlaceAt(before);
    // The order that led here says it, else the hero.
    CWorldObject* speaker =
        !RequestQueue.empty() && RequestQueue.front().source ? RequestQueue.front().source : logic.worldNode;
    Say(speaker, "CHAR_BURTOOFARAWAY");
    return true;
}

bool CHeroTask::Update(CObjectLogic& logic)
{
    PATHFINDER* path = logic.GetPathfinder();
    if (!IsHero(logic.worldNode) || !path) {
        logic.lastActivity = Now();
        return true;
    }
    if (path->walking) {
        const CVector before = logic.GetPosition();
        if (!path->Update()) {
            if (m_target && m_request.action != -1 && m_target->IsAtAttackPoint(logic.worldNode))
                PushRequest(m_request);
            Clear();
        } else if (GamePhase == PHASE_BURGLARY && LeashPulled(logic, *path, before)) {
            Clear();
        }
    }
    CActionEntry* order = PendingOrder();
    if (order && VehicleMode == 0) {
        if (order->action == 8) {
            order->handled = 1;
            Clear();
            CVector hit;
            if (GroundHit(*order, &hit))
                path->WalkTo(hit, nullptr);
        } else if (order->action == 9) {
            order->handled = 1;
            m_request = FollowUpOf(*order);
            m_target = order->target;
            if (m_target && m_target->IsAtAttackPoint(logic.worldNode)) {
                if (m_request.action != -1)
                    PushRequest(m_request);
                Clear();
                path->Stop();
            } else if (!m_target || (m_target->objectLogic && m_target->objectLogic->Kind() == KIND_CAR) ||
                       !path->Step(m_target)) {
                Clear();
            }
        }
    }
    logic.lastActivity = Now();
    return true;
}

// ---------------------------------------------------------------- HeroRecord

void CHeroRecordTask::Start(CObjectLogic& logic, TaskParamList&)
{
    const bool wasWalking = logic.IsCurrentAnimation("WALK");
    Clear();
    PATHFINDER* path = logic.GetPathfinder();
    if (path)
        path->Stop();
    if (GamePhase != PHASE_PLANNING)
        return;
    CTaskList* list = logic.GetPlannedTaskList();
    if (!list)
        return;
    CTaskItem* last = LastPlannedItem(logic);
    if (IsWalkItem(last) && IntAt(*last, 0) && IntAt(*last, 0)->value && IntAt(*last, 1) &&
        IntAt(*last, 1)->value > Now())
        SetFinish(*last, 0, 0);
    if (PendingStopCharacter && PendingStopCharacter == logic.worldNode && wasWalking) {
        logic.PlayAnimation("STAND");
        PendingStopCharacter = nullptr;
        AddPlannedItem(logic, *list, TaskTypeByName("StopWalking"));
    }
}

void CHeroRecordTask::FinishLastWalk(CObjectLogic& logic) const
{
    if (GamePhase != PHASE_PLANNING)
        return;
    CTaskItem* last = LastPlannedItem(logic);
    if (IsWalkItem(last))
        SetFinish(*last, 1, Now());
}

void CHeroRecordTask::Arrived(CObjectLogic& logic, PATHFINDER& path)
{
    if (path.arrived)
        FinishLastWalk(logic);
    if (m_target && m_request.action != -1 && m_target->IsAtAttackPoint(logic.worldNode)) {
        m_request.feedbackId = Now();
        HudFeedbackId = Now();
        PushRequest(m_request);
    } else if (GamePhase == PHASE_PLANNING) {
        FeedbackNow();
    }
    Clear();
}

void CHeroRecordTask::WalkOrder(CObjectLogic& logic, PATHFINDER& path, const CActionEntry& order)
{
    Clear();
    CVector hit;
    if (!GroundHit(order, &hit))
        return;
    CTaskList* list = GamePhase == PHASE_PLANNING ? logic.GetPlannedTaskList() : nullptr;
    if (list) {
        CTaskItem* item = AddPlannedItem(logic, *list, TASK_WALK_TO);
        SetFinish(*item, 0, 0);
        if (item->parameters.size() > 2)
            if (auto* p = dynamic_cast<CPositionParam*>(item->parameters[2].get())) {
                p->x = hit.x;
                p->y = hit.y;
                p->z = hit.z;
            }
    }
    if (VehicleMode == 0 && !path.WalkTo(hit, nullptr) && GamePhase == PHASE_PLANNING)
        FeedbackNow();
}

void CHeroRecordTask::ObjectOrder(CObjectLogic& logic, PATHFINDER& path, CActionEntry& order)
{
    const bool hasFollowUp = order.followUp != nullptr;
    m_request = FollowUpOf(order);
    m_target = order.target;
    CTaskList* list = GamePhase == PHASE_PLANNING ? logic.GetPlannedTaskList() : nullptr;
    if (list) {
        CTaskItem* last = LastPlannedItem(logic);
        auto* lastCode = last && last->taskType == TASK_WALK_AND_DO && last->parameters.size() > 3
                             ? dynamic_cast<CActionParam*>(last->parameters[3].get())
                             : nullptr;
        auto* lastObject = last && last->parameters.size() > 2
                               ? dynamic_cast<CRecordedObjectParam*>(last->parameters[2].get())
                               : nullptr;
        // A follow-up chosen right after the walk order joins its item.
        if (hasFollowUp && lastCode && lastObject && lastObject->object == m_target &&
            lastCode->action.action == -1 && last->startTime >= Now() - kJoinOrdersMs) {
            lastCode->action = m_request;
        } else {
            CTaskItem* item = AddPlannedItem(logic, *list, TASK_WALK_AND_DO);
            SetFinish(*item, 0, 0);
            if (auto* object = dynamic_cast<CRecordedObjectParam*>(item->parameters[2].get()))
                object->object = m_target;
            if (auto* code = dynamic_cast<CActionParam*>(item->parameters[3].get()))
                code->action = m_request;
        }
    }
    if (VehicleMode == 3 || (m_target && m_target->IsAtAttackPoint(logic.worldNode))) {
        if (m_request.action != -1) {
            m_request.feedbackId = Now();
            PushRequest(m_request);
        } else {
            FeedbackNow();
        }
        m_target = nullptr;
        path.Stop();
        FinishLastWalk(logic);
    } else if (!m_target || !path.Step(m_target)) {
        m_target = nullptr;
        if (GamePhase == PHASE_PLANNING)
            FeedbackNow();
    }
}

bool CHeroRecordTask::Update(CObjectLogic& logic)
{
    PATHFINDER* path = logic.GetPathfinder();
    if (!IsHero(logic.worldNode) || !path) {
        logic.lastActivity = Now();
        return true;
    }
    if (path->walking) {
        const CVector before = logic.GetPosition();
        if (!path->Update()) {
            Arrived(logic, *path);
        } else if (LeashPulled(logic, *path, before)) {
            Clear();
            if (GamePhase == PHASE_PLANNING) {
                if (CTaskList* list = logic.GetPlannedTaskList())
                    AddPlannedItem(logic, *list, TaskTypeByName("StopWalking"));
                FeedbackNow();
            }
        }
    }
    CActionEntry* order = PendingOrder();
    const bool takesOrders = (VehicleMode == 0 && !IsHidden(logic.worldNode)) || VehicleMode == 3;
    if (order && order->source == logic.worldNode && takesOrders) {
        if (order->action == 8) {
            order->handled = 1;
            WalkOrder(logic, *path, *order);
        } else if (order->action == 9) {
            order->handled = 1;
            ObjectOrder(logic, *path, *order);
        }
    }
    logic.lastActivity = Now();
    return true;
}
