#include "GAMES/Rulo2/behaviour/RecordEvents.h"

#include <algorithm>
#include <cstring>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"

CRecordingList RecordingList;
std::vector<SOpenPassage> OpenPassages;

CRecordEvent::CRecordEvent(int32_t k, CObjectLogic* o) : kind(k), object(o), time(GameClock.gameClock) {}

int32_t CRecordingList::Append(std::unique_ptr<CRecordEvent> event)
{
    events.push_back(std::move(event));
    ++cursor;
    return count() - 1;
}

namespace {

int32_t Append(std::unique_ptr<CRecordEvent> event)
{
    return RecordingList.Append(std::move(event));
}

std::unique_ptr<CRecordEvent> Make(int32_t kind, CObjectLogic* object)
{
    return std::make_unique<CRecordEvent>(kind, object);
}

int32_t RecorderId(const CObjectLogic* logic)
{
    return logic && logic->worldNode ? RecorderIdOf(logic->worldNode) : 0;
}

// The path code of a list within the object's main task list; -1 when none.
int32_t PathCode(const CObjectLogic* logic, const CTaskList* list)
{
    if (!logic || !list)
        return -1;
    const CTaskList* main = logic->ownTaskList
                                ? logic->ownTaskList.get()
                                : (logic->Template() ? logic->Template()->ownTaskList.get() : nullptr);
    if (!main)
        return -1;
    if (main == list)
        return 0;
    uint32_t code = 0;
    return main->FindPathCode(code, list) ? int32_t(code) : -1;
}

} // namespace

bool CRecordEvent::Write(CChunkWriter& w) const
{
    if (!w.WriteI32(kind) || !w.WriteI32(RecorderId(object)) || !w.WriteI32(time))
        return false;
    switch (kind) {
    case EVENT_START:
    case EVENT_END:
    case EVENT_RAMP_END:
        return w.WriteI32(words[0]);
    case EVENT_ANIMATION:
        return w.WriteString(animation ? animation->GetName() : nullptr) && w.WriteI32(words[2]);
    case EVENT_WALK_START: {
        bool ok = w.WriteI32(words[0]) && w.WriteI32(int32_t(points.size()));
        for (const CVector& p : points)
            ok = ok && w.WriteVector(p);
        return ok;
    }
    case EVENT_WALK_STOP:
        return w.WriteI32(words[2]) && w.WriteF32(position[0]) && w.WriteF32(position[1]) &&
               w.WriteF32(position[2]);
    case EVENT_JUMP:
        return w.WriteFloats(position, 6);
    case EVENT_FLOAT:
    case EVENT_FLAGS:
    case EVENT_DISPLAY_FLAGS:
        return w.WriteI32(words[0]) && w.WriteI32(words[1]);
    case EVENT_PASSAGE_ADDED:
    case EVENT_PASSAGE_REMOVED:
        return w.WriteI32(RecorderIdOf(node));
    case EVENT_TASK_LIST: {
        if (!w.WriteI32(PathCode(object, list)) || !w.WriteI32(words[2]))
            return false;
        if (!entry || entry->action == -1)
            return w.WriteU32(0);
        return w.WriteId(ChunkId("ACOD")) && w.WriteI32(entry->action) &&
               w.WriteI32(RecorderIdOf(entry->target)) && w.WriteI32(RecorderIdOf(entry->walkTarget)) &&
               w.WriteI32(entry->slotCode);
    }
    case EVENT_TASK_ITEM:
        return w.WriteI32(PathCode(object, list)) && w.WriteI32(list && item ? list->IndexOf(item) : -1) &&
               w.WriteI32(words[2]);
    case EVENT_OPEN:
    case EVENT_LOCKED:
    case EVENT_BROKEN:
    case EVENT_ACTIVE:
    case EVENT_ALARM:
    case EVENT_STATE_BYTE:
    case EVENT_CHARACTER_FLAG:
        return w.WriteBool(words[0] != 0) && w.WriteBool(words[1] != 0);
    case EVENT_CHOICES: {
        bool ok = w.WriteI32(words[2]) && w.WriteI32(int32_t(choices.size()));
        for (int32_t c : choices)
            ok = ok && w.WriteI32(c);
        return ok;
    }
    case EVENT_RAMP_START:
        return w.WriteI32(words[0]) && w.WriteI32(words[2]) && w.WriteI32(words[1]);
    case EVENT_TOOL_VALUE:
        return w.WriteI32(words[0]) && w.WriteI32(words[1]) && w.WriteI32(words[2]);
    case EVENT_ITEM_ADDED:
        return w.WriteI32(RecorderIdOf(node)) && w.WriteI32(words[0]) && w.WriteI32(words[1]);
    case EVENT_ITEM_REMOVED:
        return w.WriteI32(RecorderIdOf(node)) && w.WriteI32(words[0]) && w.WriteI32(words[1]) &&
               w.WriteBool(words[2] != 0);
    default:
        return true;
    }
}

// ---------------------------------------------------------------- appenders

int32_t AppendStartMarker()
{
    return Append(Make(EVENT_START, nullptr));
}

int32_t RecordSimple(CObjectLogic* object, int32_t kind)
{
    return Append(Make(kind, object));
}

int32_t RecordByteChange(CObjectLogic* object, int32_t kind, uint8_t now, uint8_t old)
{
    auto e = Make(kind, object);
    e->words[0] = now;
    e->words[1] = old;
    return Append(std::move(e));
}

int32_t RecordWordChange(CObjectLogic* object, int32_t kind, uint32_t now, uint32_t old)
{
    auto e = Make(kind, object);
    e->words[0] = int32_t(now);
    e->words[1] = int32_t(old);
    return Append(std::move(e));
}

int32_t RecordAnimation(CObjectLogic* object, CObjectState* animation, int32_t previous)
{
    auto e = Make(EVENT_ANIMATION, object);
    e->animation = animation;
    e->words[2] = previous;
    return Append(std::move(e));
}

int32_t RecordTaskItem(CObjectLogic* object, CTaskItem* item, CTaskList* list, int32_t previous)
{
    auto e = Make(EVENT_TASK_ITEM, object);
    e->item = item;
    e->list = list;
    e->words[2] = previous;
    return Append(std::move(e));
}

int32_t RecordTaskList(CObjectLogic* object, CTaskList* list, const CActionEntry* entry, int32_t previous)
{
    auto e = Make(EVENT_TASK_LIST, object);
    e->list = list;
    e->words[2] = previous;
    if (entry) {
        e->entry = std::make_unique<CActionEntry>(*entry);
        // The recording names the gang member's slot rather than the carried copy.
        if (e->entry->slotCode == -1 && e->entry->item)
            ActionCode::FindByTarget(*e->entry, e->entry->item);
    } else if (list) {
        e->entry = std::make_unique<CActionEntry>();
    }
    return Append(std::move(e));
}

int32_t RecordChoices(CObjectLogic* object, const std::vector<int32_t>& choices, int32_t previous)
{
    auto e = Make(EVENT_CHOICES, object);
    e->choices = choices;
    e->words[2] = previous;
    return Append(std::move(e));
}

int32_t RecordItemEvent(int32_t kind, CObjectLogic* object, CWorldObject* node, CObjectNode* instance,
                        const int32_t (&words)[3])
{
    auto e = Make(kind, object);
    e->node = node;
    e->instance = instance;
    std::copy(std::begin(words), std::end(words), e->words);
    return Append(std::move(e));
}

// ---------------------------------------------------------------- world setters

namespace {

bool RecordsFor(const CWorldObject* object)
{
    return object && object->objectLogic && object->objectLogic->Records();
}

} // namespace

int32_t FloatBits(float f)
{
    int32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

float BitsFloat(int32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void SetRecordedFloat(CWorldObject* object, float value)
{
    if (!object || object->angle == value)
        return;
    if (RecordsFor(object)) {
        auto e = Make(EVENT_FLOAT, object->objectLogic);
        e->words[0] = FloatBits(value);
        e->words[1] = FloatBits(object->angle);
        Append(std::move(e));
    }
    object->angle = value;
}

void SetDisplayFlags(CWorldObject* object, bool hidden, bool taken)
{
    if (!object)
        return;
    const uint8_t old = object->flags;
    uint8_t now = uint8_t(hidden ? old | 0x02 : old & ~0x02);
    now = uint8_t(taken ? now | 0x08 : now & ~0x08);
    if (RecordsFor(object) && !object->objectLogic->IsCharacter())
        RecordByteChange(object->objectLogic, EVENT_DISPLAY_FLAGS, now & 0x0A, old & 0x0A);
    object->flags = now;
}

void SetDisplayFlag(CWorldObject* object, bool hidden)
{
    if (!object)
        return;
    const uint8_t old = object->flags;
    const uint8_t now = uint8_t(hidden ? old | 0x02 : old & ~0x02);
    if (RecordsFor(object))
        RecordByteChange(object->objectLogic, EVENT_DISPLAY_FLAGS, now & 0x0A, old & 0x0A);
    object->flags = now;
}

namespace {

void InsertPassage(CWorldObject* object, CWorldObject* opener)
{
    CWorldObject* floor = nullptr;
    for (CNode* p = object->parent; p; p = p->parent)
        if (p->name && strncasecmp(p->name, "Stockwerk", 9) == 0 && strncasecmp(p->name, "Haus", 4) != 0)
            floor = static_cast<CWorldObject*>(p);
    if (!floor)
        return;
    SOpenPassage entry;
    entry.object = object;
    entry.floor = floor;
    entry.floorNumber = std::strlen(floor->name) > 10 ? floor->name[10] - '0' : 0;
    entry.time = GameClock.gameClock;
    entry.inside = static_cast<CWorldObject*>(object->FindByName("innen"));
    entry.opener = opener;
    OpenPassages.push_back(entry);
}

void ErasePassage(CWorldObject* object)
{
    auto it = std::find_if(OpenPassages.begin(), OpenPassages.end(),
                           [object](const SOpenPassage& p) { return p.object == object; });
    if (it != OpenPassages.end())
        OpenPassages.erase(it);
}

} // namespace

void AddOpenPassage(CWorldObject* object, CWorldObject* opener)
{
    if (!object)
        return;
    if (RecordsFor(object)) {
        auto e = Make(EVENT_PASSAGE_ADDED, object->objectLogic);
        e->node = opener;
        Append(std::move(e));
    }
    InsertPassage(object, opener);
}

void RemoveOpenPassage(CWorldObject* object)
{
    auto it = std::find_if(OpenPassages.begin(), OpenPassages.end(),
                           [object](const SOpenPassage& p) { return p.object == object; });
    if (it == OpenPassages.end())
        return;
    if (RecordsFor(object)) {
        auto e = Make(EVENT_PASSAGE_REMOVED, object->objectLogic);
        e->node = it->opener;
        Append(std::move(e));
    }
    OpenPassages.erase(it);
}

// ---------------------------------------------------------------- list

void ClearRecordingList()
{
    RecordingList.events.clear();
    RecordingList.events.shrink_to_fit();
    RecordingList.cursor = 0;
}

void TruncateRecording()
{
    auto& events = RecordingList.events;
    const size_t keep = size_t(std::clamp(RecordingList.cursor, 0, RecordingList.count()));
    while (events.size() > keep)
        events.pop_back();
}

bool HasStepEvent(CWorldObject* object)
{
    if (!object || !object->objectLogic)
        return false;
    const int32_t first = std::max(0, RecordingList.cursor - 10);
    const int32_t last = std::min(RecordingList.count() - 1, RecordingList.cursor + 9);
    for (int32_t i = first; i <= last; ++i) {
        const CRecordEvent* e = RecordingList.at(i);
        if (e->kind == EVENT_TASK_ITEM && e->object == object->objectLogic && e->time == GameClock.gameClock)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------- replay

namespace {

CRecordEvent* EventAt(int32_t index)
{
    return index >= 0 && index < RecordingList.count() ? RecordingList.at(index) : nullptr;
}

void Stop(const CRecordEvent& e)
{
    GameClock.gameSpeed = 0;
    GameClock.gameClock = e.time;
}

void ReplayWalk(CObjectLogic& logic, const CRecordEvent& walk)
{
    if (PATHFINDER* path = logic.GetPathfinder())
        path->SetRecordedPath(float(walk.time) * 0.001f, walk.points.data(), int32_t(walk.points.size()));
}

void PlaceAt(CObjectLogic& logic, const float* p)
{
    if (PATHFINDER* path = logic.GetPathfinder())
        path->PlaceAt(CVector(p[0], p[1], p[2]));
}

CWorldObject* Owner(const CRecordEvent& e)
{
    return e.object ? e.object->worldNode : nullptr;
}

void RemoveItem(const CRecordEvent& e)
{
    const int32_t index = FindInstanceByIdAndType(e.words[0], e.words[1]);
    if (index >= 0)
        RemoveObjectInstance(ObjectInstances[size_t(index)].object);
}

void RecreateItem(const CRecordEvent& e)
{
    if (FindInstanceByIdAndType(e.words[0], e.words[1]) < 0 && e.node)
        CloneObjectInstance(e.node, Owner(e));
}

// Forward over an event that keeps a back-link or a path: what it started.
void ApplyChained(CObjectLogic& logic, CRecordEvent& e, int32_t index)
{
    switch (e.kind) {
    case EVENT_ANIMATION:
        logic.chainIds[CHAIN_ANIMATION] = index;
        logic.RestoreAnimation(e.animation, e.time);
        break;
    case EVENT_WALK_START:
        logic.chainIds[CHAIN_WALK] = index;
        ReplayWalk(logic, e);
        break;
    case EVENT_WALK_STOP:
        logic.chainIds[CHAIN_WALK] = -1;
        PlaceAt(logic, e.position);
        break;
    case EVENT_JUMP:
        PlaceAt(logic, e.position);
        break;
    case EVENT_TASK_LIST:
        logic.chainIds[CHAIN_TASK_LIST] = index;
        if (!e.list)
            logic.PopTaskList();
        else
            logic.RestoreTaskList(e.list, e.entry ? *e.entry : CActionEntry(), e.time);
        break;
    case EVENT_TASK_ITEM:
        logic.chainIds[CHAIN_TASK_ITEM] = index;
        logic.SetCurrentTask(e.item);
        break;
    case EVENT_CHOICES:
        logic.chainIds[CHAIN_CHOICES] = index;
        logic.SetRecordedChoices(e.choices);
        break;
    case EVENT_RAMP_START:
        logic.chainIds[CHAIN_RAMP] = index;
        logic.StartProgressRamp(e.words[0], BitsFloat(e.words[1]), e.words[2]);
        break;
    case EVENT_RAMP_END:
        logic.chainIds[CHAIN_RAMP] = -1;
        logic.StopProgressRamp();
        break;
    default:
        break;
    }
}

// Backward over the same kinds: back to what the previous event of the chain left.
void UndoChained(CObjectLogic& logic, CRecordEvent& e)
{
    const int32_t previous = e.words[2];
    const CRecordEvent* p = EventAt(previous);
    switch (e.kind) {
    case EVENT_ANIMATION:
        logic.chainIds[CHAIN_ANIMATION] = previous;
        if (p)
            logic.RestoreAnimation(p->animation, p->time);
        break;
    case EVENT_WALK_START:
        logic.chainIds[CHAIN_WALK] = -1;
        if (!e.points.empty())
            PlaceAt(logic, &e.points.front().x);
        break;
    case EVENT_WALK_STOP:
        PlaceAt(logic, e.position);
        logic.chainIds[CHAIN_WALK] = previous;
        if (p)
            ReplayWalk(logic, *p);
        break;
    case EVENT_JUMP:
        PlaceAt(logic, e.position + 3);
        break;
    case EVENT_TASK_LIST: {
        logic.chainIds[CHAIN_TASK_LIST] = previous;
        CTaskItem* keep = logic.currentItem;
        while (logic.PopTaskList()) {
        }
        if (p && p->list) {
            const CRecordEvent* atCursor = EventAt(RecordingList.cursor);
            const bool keepItem = atCursor && atCursor->kind == EVENT_TASK_ITEM && atCursor->object == &logic;
            logic.RestoreTaskList(p->list, p->entry ? *p->entry : CActionEntry(), p->time);
            logic.currentItem = keepItem ? keep : nullptr;
        }
        break;
    }
    case EVENT_TASK_ITEM:
        logic.chainIds[CHAIN_TASK_ITEM] = previous;
        logic.SetCurrentTask(p ? p->item : nullptr);
        break;
    case EVENT_CHOICES:
        logic.chainIds[CHAIN_CHOICES] = previous;
        logic.SetRecordedChoices(p ? p->choices : std::vector<int32_t>());
        break;
    case EVENT_RAMP_START:
        logic.chainIds[CHAIN_RAMP] = -1;
        logic.StopProgressRamp();
        break;
    case EVENT_RAMP_END: {
        logic.chainIds[CHAIN_RAMP] = e.words[0];
        logic.StopProgressRamp();
        if (const CRecordEvent* start = EventAt(e.words[0]))
            logic.StartProgressRamp(start->words[0], BitsFloat(start->words[1]), start->words[2]);
        break;
    }
    default:
        break;
    }
}

// One event forward or backward; true when the replay stops here. Value
// events set their new value forward and their old one backward; of a pair of
// opposite kinds (added/removed, activated/deactivated) backward does the other.
bool ReplayEvent(CRecordEvent& e, int32_t index, bool forward)
{
    if (e.kind == (forward ? EVENT_END : EVENT_START)) {
        Stop(e);
        return true;
    }
    if (e.kind == EVENT_ITEM_ADDED || e.kind == EVENT_ITEM_REMOVED) {
        if ((e.kind == EVENT_ITEM_ADDED) == forward)
            RecreateItem(e);
        else
            RemoveItem(e);
        return false;
    }
    CObjectLogic* logic = e.object;
    if (!logic)
        return false;
    const int32_t value = forward ? e.words[0] : e.words[1];
    CWorldObject* node = logic->worldNode;
    switch (e.kind) {
    case EVENT_FLOAT:
        // An old angle that was never set is not restored.
        if (node && (forward || BitsFloat(value) != kUnsetAngle))
            node->angle = BitsFloat(value);
        break;
    case EVENT_DISPLAY_FLAGS:
        if (node)
            node->flags = uint8_t((node->flags & ~0x0A) | (value & 0x0A));
        break;
    case EVENT_PASSAGE_ADDED:
    case EVENT_PASSAGE_REMOVED:
        if ((e.kind == EVENT_PASSAGE_ADDED) == forward)
            InsertPassage(node, e.node);
        else
            ErasePassage(node);
        break;
    case EVENT_OPEN:
    case EVENT_LOCKED:
    case EVENT_BROKEN:
    case EVENT_ACTIVE:
    case EVENT_ALARM:
        logic->SetState(e.kind - EVENT_OPEN, value != 0);
        break;
    case EVENT_STATE_BYTE:
        logic->SetStateByte(uint8_t(value));
        break;
    case EVENT_CHARACTER_FLAG:
        logic->SetCharacterFlag(uint8_t(value));
        break;
    case EVENT_ACTIVATE:
    case EVENT_DEACTIVATE:
        if ((e.kind == EVENT_ACTIVATE) == forward)
            logic->Activate();
        else
            logic->Deactivate();
        break;
    case EVENT_TOOL_VALUE:
        logic->SetKindValue(BitsFloat(value));
        break;
    case EVENT_FLAGS:
        logic->SetFlagWord(uint32_t(value));
        break;
    default:
        if (forward)
            ApplyChained(*logic, e, index);
        else
            UndoChained(*logic, e);
        break;
    }
    return false;
}

} // namespace

bool ReplayEvents()
{
    CRecordingList& list = RecordingList;
    const int32_t speed = GameClock.gameSpeed;
    if (speed < 0) {
        while (list.cursor > 0 && list.cursor <= list.count()) {
            CRecordEvent& e = *list.at(list.cursor - 1);
            if (e.time < GameClock.gameClock)
                break;
            if (ReplayEvent(e, list.cursor - 1, false))
                return true;
            --list.cursor;
        }
        if (list.cursor == 0 && list.count() > 0 && list.at(0)->kind == EVENT_START)
            list.cursor = 1;
    } else if (speed > 0) {
        while (list.cursor < list.count()) {
            CRecordEvent& e = *list.at(list.cursor);
            if (e.time > GameClock.gameClock)
                break;
            if (ReplayEvent(e, list.cursor, true))
                return true;
            ++list.cursor;
        }
        if (list.count() > 0 && list.cursor == list.count() && list.at(list.count() - 1)->kind == EVENT_END)
            list.cursor = list.count() - 1;
    }
    if (speed != 0) {
        for (CWorldObject* o : std::vector<CWorldObject*>(ActiveObjectList))
            if (o->objectLogic)
                o->objectLogic->UpdateProgressRamp();
        for (CWorldObject* c : ActiveCharacters)
            if (c->objectLogic)
                if (PATHFINDER* path = c->objectLogic->GetPathfinder())
                    path->FollowRecordedPath();
    }
    return false;
}
