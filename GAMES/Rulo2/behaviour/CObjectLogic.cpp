#include "GAMES/Rulo2/behaviour/CObjectLogic.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/crt/Crt.h"

int32_t NextRecorderId = 1;
std::vector<CActionEntry> RequestQueue;
uint8_t RequestPending = 0;

void PushRequest(const CActionEntry& request)
{
    RequestQueue.push_back(request);
    RequestPending = 1;
}

CTaskItem* HoldTaskItem()
{
    static CTaskItem hold(-1, TASK_DO_NOTHING);
    return &hold;
}

namespace {

int32_t Clock()
{
    return GameClock.gameClock;
}

bool HasOpenLockedBroken(int32_t kind)
{
    return kind == KIND_FIXED || kind == KIND_DOOR || kind == KIND_WINDOW;
}

bool DependenciesHaveTimer(const CTaskList* list)
{
    if (!list)
        return false;
    for (auto it = list->dependencies.rbegin(); it != list->dependencies.rend(); ++it)
        if ((*it)->useTimer)
            return true;
    return false;
}

} // namespace

CObjectLogic::CObjectLogic()
{
    std::fill(std::begin(chainIds), std::end(chainIds), -1);
    holdItem = HoldTaskItem();
}

CObjectLogic::~CObjectLogic()
{
    task.reset();
    // A video sensor's view cone outlives its task, but never its object.
    RemoveIdEntry(ViewConeList, this);
}

// ------------------------------------------------------------------ accessors

CObjectLogic* CObjectLogic::Template() const
{
    CObjectNode* definition = objectNode;
    if (!definition && worldNode)
        definition = worldNode->Definition();
    CObjectLogic* logic = definition ? definition->objectLogic : nullptr;
    return logic == this ? nullptr : logic;
}

const CKindData* CObjectLogic::EffectiveKindData() const
{
    if (kindData)
        return kindData;
    if (ownKindData)
        return ownKindData.get();
    const CObjectLogic* t = Template();
    return t ? t->ownKindData.get() : nullptr;
}

int32_t CObjectLogic::Kind() const
{
    const CKindData* data = EffectiveKindData();
    return data ? data->kind : -1;
}

const CKindState* CObjectLogic::EffectiveConditions() const
{
    if (conditions)
        return conditions.get();
    if (ownConditions)
        return ownConditions.get();
    const CObjectLogic* t = Template();
    return t ? t->ownConditions.get() : nullptr;
}

float CObjectLogic::CarryingCapacity() const
{
    const auto* state = dynamic_cast<const CCharacterAState*>(EffectiveConditions());
    return state ? state->strength : 0.0f;
}

float CObjectLogic::CrimeRecords() const
{
    const auto* state = dynamic_cast<const CCharacterAState*>(EffectiveConditions());
    return state ? state->crimeRecords : 0.0f;
}

const CVector& CObjectLogic::GetPosition() const
{
    static const CVector origin(0, 0, 0);
    return worldNode ? worldNode->position : origin;
}

PATHFINDER* CObjectLogic::GetPathfinder()
{
    if (!IsCharacter())
        return nullptr;
    auto* state = dynamic_cast<CCharacterState*>(conditions.get());
    return state ? &state->pathfinder : nullptr;
}

CCar* CObjectLogic::GetCar()
{
    auto* state = Kind() == KIND_CAR ? dynamic_cast<CCarState*>(conditions.get()) : nullptr;
    return state ? state->GetCar() : nullptr;
}

bool CObjectLogic::Records() const
{
    return RecordState == RECORD_RECORD && recordable;
}

// ---------------------------------------------------------------- definition

void CObjectLogic::CopyDefinition(const CObjectLogic& from)
{
    ownKindData.reset();
    if (from.ownKindData) {
        ownKindData = CKindData::Create(from.ownKindData->kind);
        if (ownKindData) {
            ownKindData->Copy(*from.ownKindData);
            ownKindData->name = from.ownKindData->name;
        }
    }
    ownConditions.reset();
    if (from.ownConditions) {
        ownConditions = CKindState::Create(from.ownConditions->kind);
        if (ownConditions)
            ownConditions->CopyFrom(*from.ownConditions);
    }
    ownTaskList.reset();
    if (from.ownTaskList) {
        ownTaskList = std::make_unique<CTaskList>();
        ownTaskList->Copy(*from.ownTaskList);
    }
    ownDefinition = from.ownDefinition;
    instance = from.instance;
}

void CObjectLogic::CreateMissingParts(const char* definitionName)
{
    if (!ownKindData) {
        ownKindData = CKindData::Create(KIND_ITEM);
        ownKindData->name = definitionName ? definitionName : "";
    }
    if (!ownTaskList)
        ownTaskList = std::make_unique<CTaskList>();
}

bool CObjectLogic::SaveTaskLists(CChunkWriter& w) const
{
    // Without own kind data the effective kind is written (-1 without any), so
    // a placed object with only its own task list saves.
    const CKindData* data = ownKindData ? ownKindData.get() : EffectiveKindData();
    bool ok = w.BeginChunk(ChunkId("INFO"), kInfoVersion);
    ok = ok && w.WriteI32(data ? data->kind : -1) && w.WriteI32(recorderId);
    if (ok && ownKindData)
        ok = WriteOptsChunk(*ownKindData, w);
    if (ok && ownConditions)
        ok = WriteCondChunk(*ownConditions, w);
    if (ok && ownTaskList)
        ok = ownTaskList->Write(w);
    return ok && w.WriteMarker(ChunkId("END ")) && w.EndChunk();
}

bool CObjectLogic::ReadDefinition(CChunkReader& body)
{
    const uint32_t version = body.ReadU32();
    int32_t kind = -1;
    if (version >= 1)
        kind = body.ReadI32();
    if (version >= 3)
        recorderId = body.ReadI32();
    if (!body.Ok()) {
        LogPrintf("INFO chunk ends early at offset %zu", body.FileOffset());
        return false;
    }
    if (recorderId < 0 || recorderId == int32_t(kSpecialObjectId))
        recorderId = 0;
    ownDefinition = 1;
    for (;;) {
        SChunkHeader header;
        CChunkReader record;
        const EChunkResult r = body.NextChunk(header, record, body.Size());
        if (r == CHUNK_NO_MORE)
            return true;
        if (r != CHUNK_OK) {
            LogPrintf("INFO: %s at offset %zu", ChunkResultText(r), body.FileOffset());
            return false;
        }
        if (header.id == ChunkId("END "))
            return true;
        if (header.id == ChunkId("COND")) {
            if (!ownConditions) {
                ownConditions = CKindState::Create(kind);
                if (!ownConditions) {
                    NoteLoadLoss("INFO: conditions for kind %d at offset %zu skipped", kind, header.offset);
                    continue;
                }
            }
            if (!ReadCondChunk(*ownConditions, record))
                NoteLoadLoss("INFO: damaged COND at offset %zu", header.offset);
        } else if (header.id == ChunkId("OPTS")) {
            int32_t optsKind = kind;
            if (version == 0) {
                // The oldest records keep the kind in the options: version, name, kind.
                CChunkReader peek = record;
                peek.ReadU32();
                peek.ReadPaddedString();
                optsKind = peek.ReadI32();
                if (!peek.Ok())
                    optsKind = -1;
            }
            ownKindData = CKindData::Create(optsKind);
            if (!ownKindData) {
                NoteLoadLoss("INFO: options of kind %d at offset %zu skipped", optsKind, header.offset);
                continue;
            }
            if (!ReadOptsChunk(*ownKindData, record, this))
                NoteLoadLoss("INFO: damaged OPTS at offset %zu", header.offset);
        } else if (header.id == ChunkId("TALI")) {
            ownTaskList = std::make_unique<CTaskList>();
            if (!ownTaskList->Read(record)) {
                ownTaskList.reset();
                return false;
            }
        }
    }
}

// ---------------------------------------------------------------- run state

namespace {

int32_t ItemIndex(const CTaskList* list, const CTaskItem* item)
{
    return list && item ? list->IndexOf(item) : -1;
}

int32_t DependencyIndexOf(const CTaskList* list, const CTaskList* child)
{
    if (!list)
        return -1;
    for (size_t i = 0; i < list->dependencies.size(); ++i)
        if (list->dependencies[i]->childList.get() == child)
            return int32_t(i);
    return -1;
}

// The two values that find an action's item again in the instance table.
void ItemKey(const CObjectNode* item, int32_t& first, int32_t& second)
{
    first = second = 0;
    const int32_t index = item ? FindInstanceByObject(item) : -1;
    if (index < 0)
        return;
    first = ObjectInstances[size_t(index)].id;
    second = InstanceObjectType(item);
}

CObjectNode* ItemFromKey(int32_t first, int32_t second)
{
    if (first == 0 && second == 0)
        return nullptr;
    const int32_t index = FindInstanceByIdAndType(first, second);
    return index < 0 ? nullptr : ObjectInstances[size_t(index)].object;
}

bool WriteLevel(CChunkWriter& w, int32_t start, const CTaskList* list, const CTaskItem* item,
                const CTaskItem* hold, const CActionEntry& action)
{
    int32_t first = 0, second = 0;
    ItemKey(ActionCode::GetTarget(action), first, second);
    return w.WriteI32(start) && w.WriteI32(ItemIndex(list, item)) && w.WriteI32(ItemIndex(list, hold)) &&
           w.WriteI32(action.action) && w.WriteI32(RecorderIdOf(action.target)) &&
           w.WriteI32(RecorderIdOf(action.source)) && w.WriteI32(first) && w.WriteI32(second);
}

struct SLevel
{
    int32_t start = 0, item = -1, hold = -1;
    CActionEntry action;
};

SLevel ReadLevel(CChunkReader& r)
{
    SLevel level;
    level.start = r.ReadI32();
    level.item = r.ReadI32();
    level.hold = r.ReadI32();
    level.action.action = r.ReadI32();
    level.action.target = FindRecordedObject(r.ReadI32());
    level.action.source = FindRecordedObject(r.ReadI32());
    const int32_t first = r.ReadI32();
    const int32_t second = r.ReadI32();
    level.action.item = ItemFromKey(first, second);
    return level;
}

CTaskItem* ItemAt(const CTaskList* list, int32_t index)
{
    if (!list || index < 0 || size_t(index) >= list->tasks.size())
        return nullptr;
    return list->tasks[size_t(index)].get();
}

} // namespace

CTaskList* CObjectLogic::MainTaskList() const
{
    const CObjectLogic* t = Template();
    return ownTaskList ? ownTaskList.get() : (t ? t->ownTaskList.get() : nullptr);
}

bool CObjectLogic::Save(CChunkWriter& w) const
{
    const size_t depth = listStack.size();
    CTaskList* start = MainTaskList();
    if (depth == 0 && start != taskList)
        LogPrintf("WARNING: Start task-list is not equal to main task-list");
    bool ok = w.WriteU32(uint32_t(depth));
    for (size_t i = 0; i < depth && ok; ++i) {
        const CTaskList* level = listStack[i];
        const CTaskList* child = i + 1 < depth ? listStack[i + 1] : taskList;
        ok = WriteLevel(w, listStartStack[i], level, itemStack[i], holdStack[i], actionStack[i]) &&
             w.WriteI32(DependencyIndexOf(level, child));
    }
    return ok && WriteLevel(w, listStart, taskList, currentItem, holdItem, action);
}

bool CObjectLogic::ReadRunState(CChunkReader& r)
{
    const uint32_t depth = r.ReadU32();
    // A level takes nine words; a depth the body cannot hold is damage.
    if (!r.Ok() || depth > r.Remaining() / 36) {
        LogPrintf("Run state: bad stack depth at offset %zu", r.FileOffset());
        return false;
    }
    for (uint32_t i = 0; i < depth; ++i) {
        SLevel level = ReadLevel(r);
        const int32_t dependency = r.ReadI32();
        if (!r.Ok())
            return false;
        // -1 names no item (the shared hold item); only an index outside the list is damage.
        if (CTaskItem* item = ItemAt(taskList, level.item))
            currentItem = item;
        else if (level.item != -1)
            LogPrintf("WARNING: Didn't find task for sub-task-list");
        if (CTaskItem* hold = ItemAt(taskList, level.hold))
            holdItem = hold;
        else if (level.hold != -1)
            LogPrintf("WARNING: Didn't find default-task for sub-task-list");
        else
            holdItem = HoldTaskItem();
        listStart = level.start;
        action = level.action;
        action.slotCode = -1;
        if (!taskList || dependency < 0 || size_t(dependency) >= taskList->dependencies.size()) {
            LogPrintf("WARNING: Didn't find sub-task-list %d", dependency);
            continue;
        }
        CTaskList* child = taskList->dependencies[size_t(dependency)]->childList.get();
        if (!child)
            continue;
        RestoreTaskList(child, CActionEntry(), 0);
    }
    SLevel level = ReadLevel(r);
    if (!r.Ok())
        return false;
    listStart = level.start;
    if (CTaskItem* item = ItemAt(taskList, level.item))
        currentItem = item;
    else if (level.item >= 0)
        LogPrintf("WARNING: Didn't find current task");
    if (CTaskItem* hold = ItemAt(taskList, level.hold))
        holdItem = hold;
    else
        holdItem = HoldTaskItem();
    action = level.action;
    action.slotCode = -1;
    return true;
}

// ---------------------------------------------------------------- running

void CObjectLogic::ResetRuntimeFields()
{
    listStart = 0;
    currentItem = nullptr;
    holdItem = HoldTaskItem();
    action = CActionEntry();
    std::fill(std::begin(chainIds), std::end(chainIds), -1);
    rampStart = rampEnd = 0;
    rampFrom = 0.0f;
}

void CObjectLogic::Init(CWorldObject* node)
{
    worldNode = node;
    objectNode = node ? node->Definition() : nullptr;
    CObjectLogic* t = Template();
    taskList = MainTaskList();
    kindData = ownKindData ? ownKindData.get() : (t ? t->ownKindData.get() : nullptr);
    const int32_t kind = kindData ? kindData->kind : -1;
    const bool character = kind >= KIND_CHARACTER_A && kind <= KIND_CHARACTER_C;
    const CKindState* source = ownConditions ? ownConditions.get() : (t ? t->ownConditions.get() : nullptr);
    if (conditions && conditions->kind != kind)
        conditions.reset();
    if (!conditions) {
        conditions = CKindState::Create(kind);
        if (conditions && source && source->kind == kind)
            conditions->CopyFrom(*source);
    } else if (!character && source && source->kind == kind) {
        conditions->CopyFrom(*source);
    }
    ResetRuntimeFields();
    animation = nullptr;
    if (objectNode) {
        for (CObjectState* s = objectNode->firstState; s; s = s->next)
            if (s->flagB) {
                animation = s;
                break;
            }
        if (!animation)
            animation = objectNode->firstState;
    }
    animationStart = Clock();
    animationFrame = animation ? animation->animStart : 0.0f;
    animationMark = -1;
    lastLoopTime = 0.0f;
    if (character && conditions && worldNode) {
        auto* state = static_cast<CCharacterState*>(conditions.get());
        if (!state->pathfinder.Init(worldNode))
            LogPrintf("WARNING: Character could not be initialized correctly.");
        state->pathfinder.speedFactor = 1.0f;
        // The fourth position component of the original is the recorded angle here.
        worldNode->angle = kUnsetAngle;
        const auto* templateState =
            t ? dynamic_cast<const CCharacterState*>(t->ownConditions.get()) : nullptr;
        if (state->entries.empty() && templateState)
            for (const auto& e : templateState->entries)
                state->entries.push_back(std::make_unique<CDialogEntry>(*e));
    }
    unnamedList.clear();
    actionStack.clear();
    itemStack.clear();
    holdStack.clear();
    listStack.clear();
    listStartStack.clear();
    attachedObjects.clear();
    flags = 0;
    actionPointReached = animationEnded = busy = conditionsChanged = active = activateRequest = 0;
    lastActivity = 0;
    hasTimedDependencies = DependenciesHaveTimer(taskList) ? 1 : 0;
    dependencyTime = 0;
    scheduledDependency = nullptr;
    task.reset();
}

std::unique_ptr<CTask> CObjectLogic::CreateTask(const CTaskItem& item) const
{
    return CreateTaskForKind(item.taskType, kindData ? kindData->kind : -1);
}

void CObjectLogic::DeleteCurrentTask()
{
    task.reset();
}

void CObjectLogic::SetCurrentTask(CTaskItem* item)
{
    task.reset();
    currentItem = item;
}

bool CObjectLogic::NextTask()
{
    task.reset();
    while (!currentItem) {
        if (!PopTaskList() && (!taskList || taskList->tasks.empty()))
            return false;
        if (currentItem)
            break;
        currentItem = taskList ? taskList->FirstTask() : nullptr;
        if (!currentItem && listStack.empty())
            return false;
    }
    if (Records())
        chainIds[CHAIN_TASK_ITEM] = RecordTaskItem(this, currentItem, taskList, chainIds[CHAIN_TASK_ITEM]);
    const STaskTypeRow* row = TaskTypeRow(currentItem->taskType);
    const int32_t clock = Clock();
    if (kindData && kindData->name == "Hero")
        LogPrintf("\"%s\" %02d:%02d.%02d,%02d: %s", kindData->name.c_str(), clock / 3600000,
                  clock / 60000 % 60, clock / 1000 % 60, clock / 10 % 100, row && row->name ? row->name : "");
    int32_t latest = kNoTimeLimit;
    if (currentItem->taskType == TASK_WALK_AND_DO || currentItem->taskType == TASK_WALK_TO) {
        auto* finish = currentItem->parameters.size() > 0
                           ? dynamic_cast<CIntParam*>(currentItem->parameters[0].get())
                           : nullptr;
        auto* time = currentItem->parameters.size() > 1
                         ? dynamic_cast<CIntParam*>(currentItem->parameters[1].get())
                         : nullptr;
        if (finish && finish->value && time)
            latest = time->value + 500;
    }
    if (clock >= latest) {
        task = std::make_unique<CTask>();
        LogPrintf("Warning: task skipped");
    } else {
        task = CreateTask(*currentItem);
    }
    timeLimited = 0;
    activateRequest = 0;
    taskStart = clock;
    task->Start(*this, currentItem->parameters);
    if (RecordState == RECORD_CONTINUE)
        RecordState = RECORD_RECORD;
    if (timeLimited) {
        taskDeadline = kNoTimeLimit;
        const int32_t i = taskList ? taskList->IndexOf(currentItem) : -1;
        if (i >= 0)
            for (size_t k = size_t(i) + 1; k < taskList->tasks.size(); ++k)
                if (taskList->tasks[k]->startTime != -1) {
                    taskDeadline = taskList->tasks[k]->startTime;
                    break;
                }
    }
    if (activateRequest) {
        Activate();
        lastActivity = clock;
    }
    ScheduleTimedDependency();
    return true;
}

bool CObjectLogic::StartTask(CTaskItem* item, int32_t deadline)
{
    if (!item)
        item = holdItem ? holdItem : HoldTaskItem();
    task.reset();
    task = CreateTask(*item);
    timeLimited = 0;
    taskStart = Clock();
    task->Start(*this, item->parameters);
    if (timeLimited)
        taskDeadline = deadline;
    return true;
}

void CObjectLogic::StartTaskList(CTaskList* list, const CActionEntry& entry)
{
    task.reset();
    listStack.push_back(taskList);
    listStartStack.push_back(listStart);
    itemStack.push_back(currentItem);
    holdStack.push_back(holdItem);
    actionStack.push_back(action);
    if (Records())
        chainIds[CHAIN_TASK_LIST] = RecordTaskList(this, list, &entry, chainIds[CHAIN_TASK_LIST]);
    taskList = list;
    listStart = Clock();
    action = entry;
    holdItem = HoldTaskItem();
    currentItem = list ? list->FirstTask() : nullptr;
    hasTimedDependencies = DependenciesHaveTimer(taskList) ? 1 : 0;
    dependencyTime = 0;
    scheduledDependency = nullptr;
    NextTask();
}

void CObjectLogic::RestoreTaskList(CTaskList* list, const CActionEntry& entry, int32_t startTime)
{
    task.reset();
    listStack.push_back(taskList);
    listStartStack.push_back(listStart);
    itemStack.push_back(currentItem);
    holdStack.push_back(holdItem);
    actionStack.push_back(action);
    taskList = list;
    listStart = startTime;
    action = entry;
    holdItem = HoldTaskItem();
    hasTimedDependencies = DependenciesHaveTimer(taskList) ? 1 : 0;
    dependencyTime = 0;
    scheduledDependency = nullptr;
}

bool CObjectLogic::PopTaskList()
{
    if (listStack.empty())
        return false;
    task.reset();
    if (Records())
        chainIds[CHAIN_TASK_LIST] = RecordTaskList(this, nullptr, nullptr, chainIds[CHAIN_TASK_LIST]);
    RefreshRecordHighlight(action.feedbackId);
    taskList = listStack.back();
    listStack.pop_back();
    listStart = listStartStack.back();
    listStartStack.pop_back();
    currentItem = itemStack.back();
    itemStack.pop_back();
    holdItem = holdStack.back();
    holdStack.pop_back();
    if (actionStack.empty()) {
        action = CActionEntry();
    } else {
        action = actionStack.back();
        actionStack.pop_back();
    }
    hasTimedDependencies = DependenciesHaveTimer(taskList) ? 1 : 0;
    dependencyTime = 0;
    scheduledDependency = nullptr;
    return true;
}

void CObjectLogic::ResetTaskLists()
{
    task.reset();
    while (PopTaskList()) {
    }
}

void CObjectLogic::ReleaseRuntime()
{
    task.reset();
    conditions.reset();
    kindData = nullptr;
    taskList = nullptr;
    currentItem = nullptr;
    listStack.clear();
    listStartStack.clear();
    itemStack.clear();
    holdStack.clear();
    actionStack.clear();
    scheduledDependency = nullptr;
}

void CObjectLogic::ReleaseTaskLists()
{
    if (ownDefinition)
        return;
    if (kindData == ownKindData.get())
        kindData = nullptr;
    if (taskList == ownTaskList.get())
        taskList = nullptr;
    ownKindData.reset();
    ownConditions.reset();
    ownTaskList.reset();
}

void CObjectLogic::Tick()
{
    if (worldNode && (worldNode->flags & 4))
        return;
    if (RequestPending && !RequestQueue.empty() && HandleRequest(RequestQueue.front())) {
        RequestQueue.erase(RequestQueue.begin());
        RequestPending = RequestQueue.empty() ? 0 : 1;
    }
    if (conditionsChanged) {
        CheckStateDependencies();
        conditionsChanged = 0;
    }
    const int32_t clock = Clock();
    if (scheduledDependency && clock > dependencyTime)
        StartTaskList(scheduledDependency->childList.get(), CActionEntry());
    if (busy) {
        AdvanceAnimation();
        if (animationEnded)
            SetStateByte(0);
    } else if (taskList) {
        if (task) {
            bool running = true;
            if (timeLimited) {
                if (taskStart <= clock && clock < taskDeadline)
                    running = task->Update(*this);
                else
                    running = false;
            } else {
                running = task->Update(*this);
            }
            if (!running)
                task.reset();
        }
        if (!task && taskList) {
            const int32_t i = currentItem ? taskList->IndexOf(currentItem) : -1;
            CTaskItem* next =
                size_t(i + 1) < taskList->tasks.size() ? taskList->tasks[size_t(i + 1)].get() : nullptr;
            if (next && next->startTime > clock - listStart) {
                StartTask(nullptr, next->startTime);
            } else {
                currentItem = next;
                NextTask();
            }
        }
        AdvanceAnimation();
    }
    if (RequestPending && !RequestQueue.empty()) {
        const CActionEntry& pending = RequestQueue.front();
        if (worldNode && pending.target == worldNode && pending.source &&
            pending.source == CurrentCharacter && !pending.handled)
            SayInteractionText(pending);
    }
}

bool CObjectLogic::StateConditionsHold(const CDependency& d) const
{
    const int32_t kind = Kind();
    for (const SStateCondition& c : d.stateConditions) {
        bool value = false;
        switch (c.state) {
        case STATE_OPEN:
            value = IsOpen();
            break;
        case STATE_LOCKED:
            value = IsLocked();
            break;
        case STATE_BROKEN:
            value = IsBroken();
            break;
        case STATE_ACTIVE:
            value = IsActive();
            break;
        case STATE_ALARM:
            value = IsAlarm();
            break;
        default:
            break;
        }
        (void)kind;
        if (value != (c.required != 0))
            return false;
    }
    return true;
}

bool CObjectLogic::DependencyApplies(const CDependency& d) const
{
    if (d.useFlags && (flags & d.flagMask) != d.flagValues)
        return false;
    if (d.story > BurglaryLevel)
        return false;
    if (!d.linkedTasks.empty() &&
        std::find(d.linkedTasks.begin(), d.linkedTasks.end(), currentItem) == d.linkedTasks.end())
        return false;
    return true;
}

namespace {

bool SameDefinition(const CObjectNode* required, const CObjectNode* item)
{
    if (!required)
        return true;
    if (!item)
        return false;
    return item == required || TemplateOf(item) == required ||
           InstanceObjectType(item) == InstanceObjectType(required);
}

} // namespace

bool CObjectLogic::HandleRequest(CActionEntry& request)
{
    if (!taskList || taskList->dependencies.empty())
        return false;
    CDependency* winner = nullptr;
    for (auto& owned : taskList->dependencies) {
        CDependency& d = *owned;
        if (d.useTimer || !d.useAction)
            continue;
        CWorldObject* target = d.action.target ? d.action.target : worldNode;
        if (target != request.target || d.action.action != request.action)
            continue;
        if (!SameDefinition(ActionCode::GetTarget(d.action), ActionCode::GetTarget(request)))
            continue;
        if (!DependencyApplies(d) || (d.useStates && !StateConditionsHold(d)))
            continue;
        if (winner && ActionCode::GetTarget(winner->action))
            continue;
        winner = &d;
    }
    if (!winner)
        return false;
    bool result = winner->suppressAction != 0;
    if (request.action == 7) {
        result = true;
        flags &= ~winner->flagMask;
    }
    StartTaskList(winner->childList.get(), request);
    request.handled = 1;
    return result;
}

void CObjectLogic::CheckStateDependencies()
{
    if (!taskList)
        return;
    CDependency* winner = nullptr;
    for (auto& owned : taskList->dependencies) {
        CDependency& d = *owned;
        if (d.useTimer || d.useAction || d.stateConditions.empty())
            continue;
        if (DependencyApplies(d) && StateConditionsHold(d))
            winner = &d;
    }
    if (winner)
        StartTaskList(winner->childList.get(), CActionEntry());
}

void CObjectLogic::ScheduleTimedDependency()
{
    if (!hasTimedDependencies || !taskList)
        return;
    CDependency* winner = nullptr;
    for (auto& owned : taskList->dependencies) {
        CDependency& d = *owned;
        if (!d.useTimer || d.useAction)
            continue;
        if (DependencyApplies(d) && StateConditionsHold(d))
            winner = &d;
    }
    if (!winner) {
        scheduledDependency = nullptr;
        return;
    }
    if (winner == scheduledDependency)
        return;
    const int32_t delay = winner->timer + (crt::rand() & 1023) * winner->tolerance / 1024;
    if (winner->reoccurring) {
        scheduledDependency = winner;
        dependencyTime = Clock() + delay;
    } else if (delay > Clock()) {
        scheduledDependency = winner;
        dependencyTime = delay;
    }
}

// ---------------------------------------------------------------- planned list

CTaskList* CObjectLogic::GetPlannedTaskList() const
{
    if (!ownTaskList)
        return nullptr;
    for (auto& d : ownTaskList->dependencies)
        if (d->planned)
            return d->childList.get();
    return nullptr;
}

CTaskList* CObjectLogic::ResetPlannedTaskList()
{
    if (!ownTaskList)
        ownTaskList = std::make_unique<CTaskList>();
    CTaskList* planned = GetPlannedTaskList();
    if (!planned) {
        auto d = std::make_unique<CDependency>();
        d->planned = 1;
        d->childList = std::make_unique<CTaskList>();
        planned = d->childList.get();
        ownTaskList->AddDependency(std::move(d));
    }
    while (!planned->tasks.empty())
        planned->RemoveTask(planned->tasks.back().get());
    planned->AddTask(std::make_unique<CTaskItem>(0, TASK_DO_NOTHING));
    planned->AddTask(std::make_unique<CTaskItem>(86'399'000, TASK_DO_NOTHING));
    return planned;
}

void CObjectLogic::ClearPlannedTasksFromNow()
{
    CTaskList* planned = GetPlannedTaskList();
    if (!planned)
        return;
    for (size_t i = planned->tasks.size(); i-- > 0;) {
        CTaskItem* item = planned->tasks[i].get();
        if (item->taskType != TASK_DO_NOTHING && item->startTime >= Clock())
            planned->RemoveTask(item);
    }
}

void CObjectLogic::RemovePlannedTaskLists()
{
    if (!ownTaskList)
        return;
    std::erase_if(ownTaskList->dependencies, [this](const std::unique_ptr<CDependency>& d) {
        if (!d->planned)
            return false;
        if (taskList == d->childList.get())
            taskList = ownTaskList.get();
        return true;
    });
}

// ---------------------------------------------------------------- activity

void CObjectLogic::Activate()
{
    if (!active) {
        if (!worldNode) {
            LogPrintf("SACK");
        } else {
            ActiveObjectList.push_back(worldNode);
            active = 1;
            if (Records())
                RecordSimple(this, EVENT_ACTIVATE);
        }
    }
    lastActivity = Clock();
}

void CObjectLogic::Deactivate()
{
    std::erase(ActiveObjectList, worldNode);
    active = 0;
}

// ---------------------------------------------------------------- conditions

namespace {

template <class F>
auto WithPassage(const CKindState* state, F f, decltype(f(std::declval<const CPassageState&>())) fallback)
{
    if (auto* p = dynamic_cast<const CPassageState*>(state))
        return f(*p);
    return fallback;
}

} // namespace

bool CObjectLogic::IsOpen() const
{
    if (auto* f = dynamic_cast<const CFixedState*>(conditions.get()))
        return f->open;
    return WithPassage(
        conditions.get(), [](const CPassageState& p) { return p.open != 0; }, false);
}

bool CObjectLogic::IsLocked() const
{
    if (auto* f = dynamic_cast<const CFixedState*>(conditions.get()))
        return f->locked;
    return WithPassage(
        conditions.get(), [](const CPassageState& p) { return p.locked != 0; }, false);
}

bool CObjectLogic::IsBroken() const
{
    if (auto* f = dynamic_cast<const CFixedState*>(conditions.get()))
        return f->broken;
    return WithPassage(
        conditions.get(), [](const CPassageState& p) { return p.broken != 0; }, false);
}

bool CObjectLogic::IsActive() const
{
    auto* f = dynamic_cast<const CFixedState*>(conditions.get());
    return f && f->active;
}

bool CObjectLogic::IsAlarm() const
{
    if (auto* f = dynamic_cast<const CFixedState*>(conditions.get()))
        return f->alarm;
    auto* c = dynamic_cast<const CCharacterState*>(conditions.get());
    return c && c->alarm;
}

void CObjectLogic::SetState(int32_t state, bool value)
{
    if (state < STATE_OPEN || state > STATE_ALARM)
        return;
    uint8_t* field = nullptr;
    if (auto* f = dynamic_cast<CFixedState*>(conditions.get())) {
        uint8_t* fields[] = {&f->open, &f->locked, &f->broken, &f->active, &f->alarm};
        field = fields[state];
    } else if (auto* p = dynamic_cast<CPassageState*>(conditions.get())) {
        uint8_t* fields[] = {&p->open, &p->locked, &p->broken, nullptr, nullptr};
        field = fields[state];
    } else if (auto* c = dynamic_cast<CCharacterState*>(conditions.get())) {
        field = state == STATE_ALARM ? &c->alarm : nullptr;
    }
    if (!field)
        return;
    const uint8_t now = value ? 1 : 0;
    if (Records())
        RecordByteChange(this, EVENT_OPEN + state, now, *field);
    *field = now;
    if (RecordState != RECORD_REPLAY)
        conditionsChanged = 1;
}

void CObjectLogic::SetOpenState(bool value)
{
    SetState(STATE_OPEN, value);
}
void CObjectLogic::SetLockedState(bool value)
{
    SetState(STATE_LOCKED, value);
}
void CObjectLogic::SetBrokenState(bool value)
{
    SetState(STATE_BROKEN, value);
}
void CObjectLogic::SetActiveState(bool value)
{
    SetState(STATE_ACTIVE, value);
}
void CObjectLogic::SetAlarmState(bool value)
{
    SetState(STATE_ALARM, value);
}

void CObjectLogic::SetCharacterFlag(uint8_t value)
{
    auto* c = IsCharacter() ? dynamic_cast<CCharacterState*>(conditions.get()) : nullptr;
    if (!c)
        return;
    if (Records())
        RecordByteChange(this, EVENT_CHARACTER_FLAG, value, c->characterFlag);
    c->characterFlag = value;
}

void CObjectLogic::ChangeFlags(uint32_t value)
{
    const uint32_t old = flags;
    flags = value;
    if (Records())
        RecordWordChange(this, EVENT_FLAGS, flags, old);
}

void CObjectLogic::SetFlagBit(int32_t bit)
{
    if (bit >= 0 && bit < 32)
        ChangeFlags(flags | 1u << bit);
}

void CObjectLogic::ClearFlagBit(int32_t bit)
{
    if (bit >= 0 && bit < 32)
        ChangeFlags(flags & ~(1u << bit));
}

void CObjectLogic::SetStateByte(uint8_t value)
{
    if (value == busy)
        return;
    if (Records())
        RecordByteChange(this, EVENT_STATE_BYTE, value, busy);
    busy = value;
}

float CObjectLogic::GetProgress() const
{
    if (auto* f = dynamic_cast<const CFixedState*>(conditions.get()))
        return f->progress;
    return WithPassage(
        conditions.get(), [](const CPassageState& p) { return p.progress; }, 0.0f);
}

void CObjectLogic::SetProgress(float value)
{
    if (auto* f = dynamic_cast<CFixedState*>(conditions.get()))
        f->progress = value;
    else if (auto* p = dynamic_cast<CPassageState*>(conditions.get()))
        p->progress = value;
}

void CObjectLogic::StartProgressRamp(int32_t start, float from, int32_t end)
{
    rampStart = start;
    rampFrom = from;
    rampEnd = end;
}

void CObjectLogic::UpdateProgressRamp()
{
    if (rampEnd == 0 || !HasOpenLockedBroken(Kind()))
        return;
    const int32_t clock = Clock();
    if (clock <= rampStart)
        SetProgress(rampFrom);
    else if (clock < rampEnd)
        SetProgress(rampFrom + (1.0f - rampFrom) * float(clock - rampStart) / float(rampEnd - rampStart));
    else
        SetProgress(1.0f);
}

float CObjectLogic::GetKindValue() const
{
    auto* t = dynamic_cast<const CToolState*>(conditions.get());
    return t ? t->condition : 0.0f;
}

void CObjectLogic::SetKindValue(float value)
{
    if (auto* t = dynamic_cast<CToolState*>(conditions.get()))
        t->condition = value;
}

// ---------------------------------------------------------------- recorded values

void CObjectLogic::RecordTaskEvent()
{
    chainIds[CHAIN_CHOICES] = RecordChoices(this, recordedValues, chainIds[CHAIN_CHOICES]);
}

void CObjectLogic::RecordObjectChoice(CWorldObject* node)
{
    recordedValues.push_back(RecorderIdOf(node));
}

CWorldObject* CObjectLogic::ReplayObjectChoice()
{
    if (readPosition < 0 || size_t(readPosition) >= recordedValues.size())
        return nullptr;
    return FindRecordedObject(recordedValues[size_t(readPosition++)]);
}

void CObjectLogic::SetRecordedChoices(const std::vector<int32_t>& list)
{
    recordedValues = list;
    readPosition = 0;
}

// ---------------------------------------------------------------- world

int CountWorldObjects(CWorldObject* worldRoot)
{
    int32_t highest = 0;
    int count = 0;
    WalkWorldTree(worldRoot, [&](CWorldObject* n) {
        if (n->objectKind == CWorldObject::KIND_OBJECT)
            ++count;
        if (n->objectLogic)
            highest = std::max(highest, n->objectLogic->recorderId);
    });
    NextRecorderId = highest + 1;
    return count;
}
