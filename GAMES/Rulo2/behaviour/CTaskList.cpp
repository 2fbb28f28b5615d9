#include "GAMES/Rulo2/behaviour/CTaskList.h"

#include <algorithm>
#include <cstdio>

#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "LIBS/System/LogPrintf.h"

namespace {

void CopyParameterValue(CTaskParam& to, const CTaskParam& from)
{
    switch (from.typeId) {
    case PARAM_WALKAREA:
    case PARAM_OBJECT: {
        auto& t = static_cast<CObjectRefParam&>(to);
        const auto& f = static_cast<const CObjectRefParam&>(from);
        t.object = f.object;
        t.stored = f.stored;
        t.pending = f.pending;
        break;
    }
    case PARAM_INVITEM: {
        auto& t = static_cast<CInvItemParam&>(to);
        const auto& f = static_cast<const CInvItemParam&>(from);
        t.item = f.item;
        t.stored = f.stored;
        t.pending = f.pending;
        break;
    }
    case PARAM_RECORDEDOBJECT:
        static_cast<CRecordedObjectParam&>(to).object = static_cast<const CRecordedObjectParam&>(from).object;
        break;
    case PARAM_RADIUS:
        static_cast<CRadiusParam&>(to).value = static_cast<const CRadiusParam&>(from).value;
        break;
    case PARAM_FLAG:
    case PARAM_NUMBER:
    case PARAM_TIME:
        static_cast<CIntParam&>(to).value = static_cast<const CIntParam&>(from).value;
        break;
    case PARAM_POSITION: {
        auto& t = static_cast<CPositionParam&>(to);
        const auto& f = static_cast<const CPositionParam&>(from);
        t.x = f.x;
        t.y = f.y;
        t.z = f.z;
        break;
    }
    case PARAM_ACTIONNAME:
    case PARAM_SOUNDID:
    case PARAM_TEXTID:
        static_cast<CTextParam&>(to).text = static_cast<const CTextParam&>(from).text;
        break;
    case PARAM_ACTIONCODE: {
        auto& t = static_cast<CActionCodeParam&>(to);
        const auto& f = static_cast<const CActionCodeParam&>(from);
        t.action = f.action;
        t.stored = f.stored;
        t.pending = f.pending;
        break;
    }
    case PARAM_RECORDEDACTION:
        static_cast<CActionParam&>(to).action = static_cast<const CActionParam&>(from).action;
        break;
    case PARAM_CAMERA: {
        // The third vector belongs to the camera tasks and is not copied.
        auto& t = static_cast<CCameraParam&>(to);
        const auto& f = static_cast<const CCameraParam&>(from);
        std::copy(f.position, f.position + 3, t.position);
        std::copy(f.target, f.target + 3, t.target);
        break;
    }
    default:
        break;
    }
}

// An action's stored numbers (and a slot code) become pointers.
void ResolveAction(CActionEntry& action, SStoredAction& stored, bool& pending)
{
    if (action.slotCode != -1) {
        action.item = ActionCode::SlotItem(action.slotCode);
        action.slotCode = -1;
        if (pending) {
            action.target = ObjectFromTableIndex(stored.target);
            pending = false;
        }
    }
    if (!pending)
        return;
    action.target = ObjectFromTableIndex(stored.target);
    action.item = ItemFromTableIndex(stored.item);
    pending = false;
}

bool WriteAction(CChunkWriter& w, const CActionEntry& action, const SStoredAction& stored, bool pending)
{
    if (!pending)
        return ActionCode::Write(action, w);
    // Not resolved yet: the numbers go back as they came.
    return w.BeginChunk(ChunkId("ACOD"), 0) && w.WriteI32(stored.action) && w.WriteI32(stored.target) &&
           w.WriteI32(stored.item) && w.EndChunk();
}

uint32_t ReverseDigits(uint32_t code)
{
    uint32_t reversed = 0;
    for (; code; code >>= 4)
        reversed = (reversed << 4) | (code & 0xF);
    return reversed;
}

constexpr int32_t kMaxPathDigits = 8;

bool FindPath(const CTaskList& list, uint32_t& code, const CTaskList* target, int32_t depth)
{
    if (depth < kMaxPathDigits) {
        const size_t count = std::min<size_t>(list.dependencies.size(), 15);
        for (size_t i = 0; i < count; ++i) {
            uint32_t c = (code << 4) | uint32_t(i + 1);
            const CTaskList* child = list.dependencies[i]->childList.get();
            if (child == target) {
                code = ReverseDigits(c);
                return true;
            }
            if (child && FindPath(*child, c, target, depth + 1)) {
                code = c;
                return true;
            }
        }
    }
    code >>= 4;
    return false;
}

} // namespace

// ---------------------------------------------------------------- CTaskItem

CTaskItem::~CTaskItem()
{
    DeleteParameters();
}

void CTaskItem::Copy(const CTaskItem& from)
{
    critical = from.critical;
    isDefault = from.isDefault;
    startTime = from.startTime;
    taskType = from.taskType;
    DeleteParameters();
    for (const auto& p : from.parameters) {
        if (!AddParameter(p->typeId))
            continue;
        CopyParameterValue(*parameters.back(), *p);
    }
}

bool CTaskItem::AddParameter(int32_t typeId)
{
    std::unique_ptr<CTaskParam> p = CreateTaskParam(typeId);
    if (!p)
        return false;
    parameters.push_back(std::move(p));
    return true;
}

void CTaskItem::DeleteParameters()
{
    while (!parameters.empty())
        parameters.pop_back();
}

bool CTaskItem::SyncParameters(const CWorldObject* positionSource)
{
    const STaskTypeRow* row = TaskTypeRow(taskType);
    if (!row)
        return true; // no row to compare with: the parameters stay as stored
    const size_t rowCount = row->paramCount;
    auto add = [&](size_t i) {
        AddParameter(row->params[i].type);
        if (row->params[i].type == PARAM_POSITION && positionSource && !parameters.empty()) {
            auto& p = static_cast<CPositionParam&>(*parameters.back());
            p.x = positionSource->position.x;
            p.y = positionSource->position.y;
            p.z = positionSource->position.z;
        }
    };
    const size_t common = std::min(rowCount, parameters.size());
    for (size_t i = 0; i < common; ++i) {
        if (parameters[i]->typeId != row->params[i].type) {
            DeleteParameters();
            for (size_t j = 0; j < rowCount; ++j)
                add(j);
            return false;
        }
    }
    for (size_t i = parameters.size(); i < rowCount; ++i)
        add(i);
    while (parameters.size() > rowCount)
        parameters.pop_back();
    return true;
}

bool CTaskItem::Write(CChunkWriter& w) const
{
    if (!w.BeginChunk(ChunkId("TASK"), 0) || !w.WriteI32(startTime) || !w.WriteI32(taskType) ||
        !w.WriteBool(isDefault) || !w.WriteBool(critical) || !w.WriteU32(uint32_t(parameters.size())))
        return false;
    for (const auto& p : parameters)
        if (!p->Write(w))
            return false;
    return w.EndChunk();
}

bool CTaskItem::Read(CChunkReader& body)
{
    body.ReadU32(); // version
    startTime = body.ReadI32();
    taskType = body.ReadI32();
    isDefault = body.ReadBool();
    critical = body.ReadBool();
    const uint32_t count = body.ReadU32();
    if (!body.Ok()) {
        LogPrintf("Task record ends early at offset %zu", body.FileOffset());
        return false;
    }
    DeleteParameters();
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = body.FileOffset();
        const int32_t typeId = body.ReadI32();
        if (!body.Ok()) {
            LogPrintf("Task record ends early at offset %zu", at);
            return false;
        }
        if (!AddParameter(typeId)) {
            LogPrintf("Unknown parameter type %d in task record at offset %zu", typeId, at);
            return false;
        }
        if (!LoadTaskParam(*parameters.back(), body)) {
            LogPrintf("Parameter of type %d runs past its task record at offset %zu", typeId, at);
            return false;
        }
    }
    if (!SyncParameters(nullptr))
        LogPrintf("WARNING: Parameters updated");
    return true;
}

// ---------------------------------------------------------------- CTaskList

CTaskList::~CTaskList()
{
    while (!dependencies.empty())
        dependencies.pop_back();
    while (!tasks.empty())
        tasks.pop_back();
}

void CTaskList::AddTask(std::unique_ptr<CTaskItem> item)
{
    if (!item)
        return;
    auto later = std::find_if(tasks.begin(), tasks.end(),
                              [&](const auto& t) { return t->startTime > item->startTime; });
    tasks.insert(later, std::move(item));
}

void CTaskList::InsertTaskAfter(std::unique_ptr<CTaskItem> item, const CTaskItem* after)
{
    if (!item)
        return;
    const int32_t i = IndexOf(after);
    tasks.insert(i < 0 ? tasks.begin() : tasks.begin() + i + 1, std::move(item));
}

std::unique_ptr<CTaskItem> CTaskList::RemoveTask(const CTaskItem* item)
{
    for (auto& d : dependencies)
        std::erase(d->linkedTasks, item);
    const int32_t i = IndexOf(item);
    if (i < 0)
        return nullptr;
    std::unique_ptr<CTaskItem> taken = std::move(tasks[size_t(i)]);
    tasks.erase(tasks.begin() + i);
    return taken;
}

void CTaskList::DeleteAllTasks()
{
    while (!tasks.empty())
        RemoveTask(tasks.back().get());
}

void CTaskList::AddDependency(std::unique_ptr<CDependency> dependency)
{
    if (dependency)
        dependencies.push_back(std::move(dependency));
}

CTaskItem* CTaskList::FirstTask() const
{
    return tasks.empty() ? nullptr : tasks.front().get();
}

CTaskItem* CTaskList::PenultimateTask() const
{
    return tasks.size() < 2 ? nullptr : tasks[tasks.size() - 2].get();
}

CTaskItem* CTaskList::PreviousTask(const CTaskItem* item) const
{
    const int32_t i = IndexOf(item);
    return i > 0 ? tasks[size_t(i - 1)].get() : nullptr;
}

CTaskItem* CTaskList::FindTaskByTreeItem(uint32_t treeItem) const
{
    for (const auto& t : tasks)
        if (t->treeItem == treeItem)
            return t.get();
    return nullptr;
}

CDependency* CTaskList::FindDependencyByTreeItem(uint32_t treeItem) const
{
    for (const auto& d : dependencies)
        if (d->treeItem == treeItem)
            return d.get();
    return nullptr;
}

int32_t CTaskList::IndexOf(const CTaskItem* item) const
{
    if (!item)
        return -1;
    for (size_t i = 0; i < tasks.size(); ++i)
        if (tasks[i].get() == item)
            return int32_t(i);
    return -1;
}

bool CTaskList::FindPathCode(uint32_t& code, const CTaskList* target) const
{
    return FindPath(*this, code, target, 0);
}

void CTaskList::Copy(const CTaskList& from)
{
    if (&from == this)
        return;
    DeleteAllTasks();
    for (const auto& t : from.tasks) {
        auto item = std::make_unique<CTaskItem>();
        item->Copy(*t);
        AddTask(std::move(item));
    }
    while (!dependencies.empty())
        dependencies.pop_back();
    for (const auto& d : from.dependencies) {
        auto copy = std::make_unique<CDependency>();
        copy->Copy(*d);
        for (const CTaskItem* linked : d->linkedTasks) {
            const int32_t i = from.IndexOf(linked);
            if (i < 0 || size_t(i) >= tasks.size())
                continue;
            CTaskItem* mine = tasks[size_t(i)].get();
            if (std::find(copy->linkedTasks.begin(), copy->linkedTasks.end(), mine) ==
                copy->linkedTasks.end())
                copy->linkedTasks.push_back(mine);
        }
        dependencies.push_back(std::move(copy));
    }
}

bool CTaskList::ResolveReferences()
{
    // A number that names nothing becomes no reference: the next save drops it, so the load notes it.
    bool ok = true;
    auto lost = [&ok](size_t task, const char* what, int32_t number) {
        NoteLoadLoss("Task %zu of a task list names %s %d, which the world lacks", task, what, number);
        ok = false;
    };
    for (size_t i = 0; i < tasks.size(); ++i) {
        for (auto& p : tasks[i]->parameters) {
            switch (p->typeId) {
            case PARAM_WALKAREA:
            case PARAM_OBJECT: {
                auto& r = static_cast<CObjectRefParam&>(*p);
                if (!r.pending)
                    break;
                const int32_t number = r.stored;
                r.Set(ObjectFromTableIndex(number));
                if (!r.object && number != 0)
                    lost(i, "object", number);
                break;
            }
            case PARAM_INVITEM: {
                auto& r = static_cast<CInvItemParam&>(*p);
                if (!r.pending)
                    break;
                const int32_t number = r.stored;
                r.Set(ItemFromTableIndex(number));
                if (!r.item && number != 0)
                    lost(i, "item", number);
                break;
            }
            case PARAM_ACTIONCODE: {
                auto& r = static_cast<CActionCodeParam&>(*p);
                const bool wasPending = r.pending;
                // A slot code names the item through the gang's slots, not the item table.
                const bool bySlot = r.action.slotCode != -1;
                const SStoredAction stored = r.stored;
                ResolveAction(r.action, r.stored, r.pending);
                if (wasPending && !r.action.target && stored.target != 0)
                    lost(i, "object", stored.target);
                if (wasPending && !bySlot && !r.action.item && stored.item != 0)
                    lost(i, "item", stored.item);
                break;
            }
            default:
                break;
            }
        }
    }
    for (auto& d : dependencies)
        ok = d->ResolveReferences() && ok;
    return ok;
}

bool CTaskList::Write(CChunkWriter& w) const
{
    if (!w.BeginChunk(ChunkId("TALI"), 0))
        return false;
    for (const auto& t : tasks)
        if (!t->Write(w))
            return false;
    for (const auto& d : dependencies)
        if (!d->Write(w, *this))
            return false;
    return w.WriteMarker(ChunkId("END ")) && w.EndChunk();
}

bool CTaskList::Read(CChunkReader& body)
{
    body.ReadU32(); // version
    if (!body.Ok()) {
        LogPrintf("Task list ends early at offset %zu", body.FileOffset());
        return false;
    }
    // Records inside a list are bounded by the list's body, whatever its size.
    for (;;) {
        SChunkHeader header;
        CChunkReader record;
        const EChunkResult r = body.NextChunk(header, record, body.Size());
        if (r == CHUNK_NO_MORE)
            return true; // a list without its end record ends with its chunk
        if (r != CHUNK_OK) {
            LogPrintf("Task list: %s at offset %zu", ChunkResultText(r), body.FileOffset());
            return false;
        }
        if (header.id == ChunkId("END "))
            return true;
        if (header.id == ChunkId("TASK")) {
            auto item = std::make_unique<CTaskItem>();
            if (!item->Read(record)) {
                LogPrintf("Bad chunk 'TASK' at offset %zu", header.offset);
                return false;
            }
            AddTask(std::move(item));
        } else if (header.id == ChunkId("DPND")) {
            auto dependency = std::make_unique<CDependency>();
            if (!dependency->Read(record, *this)) {
                LogPrintf("Bad chunk 'DPND' at offset %zu", header.offset);
                return false;
            }
            dependencies.push_back(std::move(dependency));
        }
    }
}

// ---------------------------------------------------------------- CDependency

CDependency::CDependency() : childList(std::make_unique<CTaskList>())
{
    action.init(0, nullptr, nullptr);
}

CDependency::~CDependency() = default;

void CDependency::Copy(const CDependency& from)
{
    action = from.action;
    storedAction = from.storedAction;
    actionPending = from.actionPending;
    flagMask = from.flagMask;
    flagValues = from.flagValues;
    story = from.story;
    suppressAction = from.suppressAction;
    useAction = from.useAction;
    useFlags = from.useFlags;
    useTimer = from.useTimer;
    useStates = from.useStates;
    planned = from.planned;
    timer = from.timer;
    tolerance = from.tolerance;
    reoccurring = from.reoccurring;
    stateConditions.insert(stateConditions.end(), from.stateConditions.begin(), from.stateConditions.end());
    childList = std::make_unique<CTaskList>();
    childList->Copy(*from.childList);
    linkedTasks.clear();
}

int32_t CDependency::GetStateCondition(int32_t state) const
{
    for (auto it = stateConditions.rbegin(); it != stateConditions.rend(); ++it)
        if (it->state == state)
            return it->required ? 1 : 0;
    return 2;
}

void CDependency::AddStateCondition(int32_t state, bool required)
{
    stateConditions.push_back({state, uint8_t(required ? 1 : 0)});
}

std::string CDependency::Describe() const
{
    char text[128];
    if (useAction)
        return ActionCode::Describe(action);
    if (useTimer) {
        std::snprintf(text, sizeof text, "Timer %02d:%02d.%02d,%1d", timer / 3600000, (timer / 60000) % 60,
                      (timer / 1000) % 60, (timer / 100) % 10);
        return text;
    }
    if (useStates) {
        static const char* const kWords[] = {"Open ", "Locked ", "Broken ", "Active ", "Alarm "};
        std::string out = "States: ";
        for (size_t i = 0; i < stateConditions.size(); ++i) {
            const SStateCondition& c = stateConditions[i];
            if (i)
                out += " + ";
            if (c.state >= 0 && c.state < 5)
                out += kWords[c.state];
            out += c.required ? "Set" : "Cleared";
        }
        return out;
    }
    if (planned)
        return "Planned Task-List";
    return "Undefined";
}

bool CDependency::ResolveReferences()
{
    ResolveAction(action, storedAction, actionPending);
    return childList->ResolveReferences();
}

bool CDependency::Write(CChunkWriter& w, const CTaskList& parent) const
{
    if (!w.BeginChunk(ChunkId("DPND"), kDependencyVersion) ||
        !WriteAction(w, action, storedAction, actionPending) || !w.WriteU32(flagMask) ||
        !w.WriteU32(flagValues) || !w.WriteI32(story) || !w.WriteBool(suppressAction) ||
        !childList->Write(w) || !w.WriteU32(uint32_t(linkedTasks.size())))
        return false;
    for (const CTaskItem* t : linkedTasks)
        if (!w.WriteI32(parent.IndexOf(t)))
            return false;
    if (!w.WriteBool(useAction) || !w.WriteBool(useTimer) || !w.WriteBool(useStates) ||
        !w.WriteBool(useFlags) || !w.WriteBool(planned) || !w.WriteI32(timer) || !w.WriteI32(tolerance) ||
        !w.WriteBool(reoccurring) || !w.WriteU32(uint32_t(stateConditions.size())))
        return false;
    for (const SStateCondition& c : stateConditions)
        if (!w.WriteI32(c.state) || !w.WriteBool(c.required))
            return false;
    return w.EndChunk();
}

bool CDependency::Read(CChunkReader& body, CTaskList& parent)
{
    const uint32_t version = body.ReadU32();
    SChunkHeader header;
    CChunkReader record;
    if (body.NextChunk(header, record, body.Size()) != CHUNK_OK || header.id != ChunkId("ACOD")) {
        LogPrintf("Dependency without its action code at offset %zu", body.FileOffset());
        return false;
    }
    SStoredAction stored;
    if (!ActionCode::ReadBody(record, stored)) {
        LogPrintf("Bad chunk 'ACOD' at offset %zu", header.offset);
        return false;
    }
    action = CActionEntry();
    action.action = stored.action;
    storedAction = stored;
    actionPending = true;
    flagMask = body.ReadU32();
    flagValues = body.ReadU32();
    story = body.ReadI32();
    suppressAction = body.ReadBool();
    if (!body.Ok() || body.NextChunk(header, record, body.Size()) != CHUNK_OK ||
        header.id != ChunkId("TALI")) {
        LogPrintf("Dependency without its task list at offset %zu", body.FileOffset());
        return false;
    }
    childList = std::make_unique<CTaskList>();
    if (!childList->Read(record))
        return false;
    const uint32_t linked = body.ReadU32();
    for (uint32_t i = 0; i < linked && body.Ok(); ++i) {
        const size_t at = body.FileOffset();
        const int32_t index = body.ReadI32();
        if (!body.Ok())
            break;
        // The writer stores -1 for a task it could not find; such entries name nothing.
        if (index == -1)
            continue;
        if (index < 0 || size_t(index) >= parent.tasks.size()) {
            NoteLoadLoss("linked task %d of %zu at offset %zu names no task of its list", index,
                         parent.tasks.size(), at);
            continue;
        }
        CTaskItem* task = parent.tasks[size_t(index)].get();
        if (std::find(linkedTasks.begin(), linkedTasks.end(), task) == linkedTasks.end())
            linkedTasks.push_back(task);
    }
    if (version >= 1) {
        useAction = body.ReadBool();
        useTimer = body.ReadBool();
        useStates = body.ReadBool();
        useFlags = body.ReadBool();
        if (version >= 2)
            planned = body.ReadBool();
        timer = body.ReadI32();
        tolerance = body.ReadI32();
        if (version >= 3)
            reoccurring = body.ReadBool();
        const uint32_t count = body.ReadU32();
        for (uint32_t i = 0; i < count && body.Ok(); ++i) {
            const int32_t state = body.ReadI32();
            const bool required = body.ReadBool();
            if (body.Ok())
                AddStateCondition(state, required);
        }
    }
    if (!body.Ok()) {
        LogPrintf("Dependency record ends early at offset %zu", body.FileOffset());
        return false;
    }
    return true;
}
