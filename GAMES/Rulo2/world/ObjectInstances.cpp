#include "GAMES/Rulo2/world/ObjectInstances.h"

#include <algorithm>
#include <cstdlib>
#include <strings.h>
#include <unordered_map>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/interface/TextBubbles.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

std::vector<ObjectInstance> ObjectInstances;
int32_t NextInstanceId = 1;

namespace {

// Copy -> the definition it was copied from.
std::unordered_map<const CObjectNode*, CObjectNode*> g_Templates;

bool PlanningOrBurglary()
{
    return GamePhase == PHASE_PLANNING || GamePhase == PHASE_BURGLARY;
}

void CopyLogic(CObjectLogic& to, const CObjectLogic& from)
{
    to.CopyDefinition(from);
}

// A copy of the definition that is not put on the object list.
CObjectNode* CopyDefinition(const CObjectNode* source)
{
    CObjectNode* listed = g_ObjectList;
    g_ObjectList = nullptr;
    auto* copy = new CObjectNode(source->name);
    g_ObjectList = listed;
    copy->index = source->index;
    copy->id = source->id;
    copy->word = source->word;
    copy->group = source->group;
    copy->groupPath = source->groupPath;
    CObjectState** tail = &copy->firstState;
    for (const CObjectState* s = source->firstState; s; s = s->next) {
        auto* state = new CObjectState(s->name);
        state->id = s->id;
        state->modelEntry = s->modelEntry;
        state->value = s->value;
        state->animStart = s->animStart;
        state->animEnd = s->animEnd;
        state->animSpeed = s->animSpeed;
        state->attachments = s->attachments;
        state->flagA = s->flagA;
        state->flagB = s->flagB;
        *tail = state;
        tail = &state->next;
    }
    copy->objectLogic = new CObjectLogic;
    if (source->objectLogic)
        CopyLogic(*copy->objectLogic, *source->objectLogic);
    return copy;
}

void DeleteCopy(CObjectNode* copy)
{
    if (!copy)
        return;
    g_Templates.erase(copy);
    // Nothing may keep pointing at the deleted copy.
    for (SPlanMember& m : PlanMemberArray) {
        for (SItemSlot& s : m.hands)
            if (s.item == copy)
                s = SItemSlot();
        for (SItemSlot& s : m.bag)
            if (s.item == copy)
                s = SItemSlot();
    }
    delete copy;
}

void AppendItemEvent(int32_t kind, CWorldObject* owner, const ObjectInstance& r, uint32_t last)
{
    const int32_t words[3] = {r.id, InstanceObjectType(r.object), int32_t(last)};
    RecordItemEvent(kind, owner ? owner->objectLogic : nullptr, r.sourceNode, r.object, words);
}

int32_t AddInstance(CObjectNode* source, CWorldObject* owner, CWorldObject* sourceNode,
                    const CObjectLogic* nodeLogic)
{
    CObjectNode* copy = CopyDefinition(source);
    g_Templates[copy] = source;
    if (nodeLogic) {
        // The placed object's own parts go with the carried copy; the others stay the definition's.
        if (nodeLogic->ownKindData || nodeLogic->ownConditions || nodeLogic->ownTaskList) {
            CObjectLogic own;
            own.CopyDefinition(*nodeLogic);
            CObjectLogic& to = *copy->objectLogic;
            if (own.ownKindData)
                to.ownKindData = std::move(own.ownKindData);
            if (own.ownConditions)
                to.ownConditions = std::move(own.ownConditions);
            if (own.ownTaskList)
                to.ownTaskList = std::move(own.ownTaskList);
        }
        copy->objectLogic->instance = 1;
        copy->objectLogic->Init(nullptr);
    }
    ObjectInstance record;
    record.active = 1;
    record.object = copy;
    record.id = NextInstanceId++;
    record.owner = owner;
    record.sourceNode = sourceNode;
    const int32_t kind = InstanceObjectKind(copy);
    if (GamePhase == PHASE_BURGLARY && kind == 1 && !PlanMemberArray.empty()) {
        record.memberFactor = PlanMemberArray[0].memberFactor;
        const size_t others = std::min<size_t>(3, PlanMemberArray.size() - 1);
        for (size_t i = 0; i < others; ++i) {
            record.otherFactors[i] = PlanMemberArray[i + 1].memberFactor;
            record.otherMembers[i] = PlanMemberArray[i + 1].member;
        }
    }
    ObjectInstances.push_back(record);
    if (owner && PlanningOrBurglary()) {
        if (kind != 1)
            for (SPlanMember& m : PlanMemberArray) {
                if (m.member != owner)
                    continue;
                for (SItemSlot& slot : m.bag)
                    if (!slot.item) {
                        slot.item = copy;
                        break;
                    }
            }
        if (GamePhase == PHASE_PLANNING && RecordState == RECORD_RECORD)
            AppendItemEvent(EVENT_ITEM_ADDED, owner, record, 0);
    }
    UpdateCarriedLoad();
    return record.id;
}

CObjectLogic* LogicOf(const CWorldObject* node)
{
    return node ? node->objectLogic : nullptr;
}

} // namespace

CObjectNode* TemplateOf(const CObjectNode* copy)
{
    auto it = g_Templates.find(copy);
    return it == g_Templates.end() ? nullptr : it->second;
}

int32_t InstanceObjectType(const CObjectNode* copy)
{
    return copy ? int32_t(copy->index) : -1;
}

int32_t InstanceObjectKind(const CObjectNode* copy)
{
    return copy && copy->objectLogic ? copy->objectLogic->Kind() : -1;
}

float CarriedWeight(const CObjectNode* object)
{
    const CKindData* data =
        object && object->objectLogic ? object->objectLogic->EffectiveKindData() : nullptr;
    return data ? 100.0f * data->Weight() : 0.0f;
}

int32_t CreateObjectInstance(CObjectNode* definition, CWorldObject* owner)
{
    if (!definition)
        return 0;
    CObjectNode* source = TemplateOf(definition);
    return AddInstance(source ? source : definition, owner, nullptr, nullptr);
}

int32_t CloneObjectInstance(CWorldObject* node, CWorldObject* owner)
{
    CObjectNode* definition = node ? node->Definition() : nullptr;
    if (!definition)
        return 0;
    CObjectNode* source = TemplateOf(definition);
    static const CObjectLogic none;
    return AddInstance(source ? source : definition, owner, node,
                       node->objectLogic ? node->objectLogic : &none);
}

int32_t FindInstanceByObject(const CObjectNode* copy)
{
    for (size_t i = 0; i < ObjectInstances.size(); ++i)
        if (ObjectInstances[i].object == copy)
            return int32_t(i);
    return -1;
}

int32_t FindInstanceByIdAndType(int32_t id, int32_t objectType)
{
    for (size_t i = 0; i < ObjectInstances.size(); ++i)
        if (ObjectInstances[i].id == id && InstanceObjectType(ObjectInstances[i].object) == objectType)
            return int32_t(i);
    return -1;
}

int32_t FindBestInstanceOfType(int32_t objectType)
{
    int32_t best = -1;
    float bestValue = 0.0f;
    for (size_t i = 0; i < ObjectInstances.size(); ++i) {
        const CObjectNode* object = ObjectInstances[i].object;
        if (InstanceObjectType(object) != objectType)
            continue;
        const CObjectLogic* logic = object->objectLogic;
        const float value = logic ? logic->CrimeRecords() : 0.0f;
        if (best < 0 || value > bestValue) {
            best = int32_t(i);
            bestValue = value;
        }
    }
    return best;
}

void RemoveObjectInstance(const CObjectNode* object)
{
    if (!object)
        return;
    int32_t at = -1;
    for (size_t i = ObjectInstances.size(); i-- > 0;) {
        const CObjectNode* copy = ObjectInstances[i].object;
        if (copy == object || (copy && TemplateOf(copy) == object)) {
            at = int32_t(i);
            break;
        }
    }
    if (at < 0)
        return;
    ObjectInstance& record = ObjectInstances[size_t(at)];
    CWorldObject* ownerFound = nullptr;
    if (PlanningOrBurglary()) {
        for (SPlanMember& m : PlanMemberArray) {
            for (SItemSlot& s : m.hands)
                if (s.item == record.object) {
                    record.held = 1;
                    ownerFound = m.member;
                }
            for (SItemSlot& s : m.bag)
                if (s.item == record.object) {
                    s = SItemSlot();
                    ownerFound = m.member;
                }
        }
    }
    if (GamePhase == PHASE_PLANNING && RecordState == RECORD_RECORD && ownerFound)
        AppendItemEvent(EVENT_ITEM_REMOVED, ownerFound, record, record.held);
    if (!record.held) {
        CObjectNode* copy = record.object;
        ObjectInstances.erase(ObjectInstances.begin() + at);
        DeleteCopy(copy);
    }
    UpdateCarriedLoad();
}

void RemoveObjectInstanceAt(const CWorldObject* sourceNode, int32_t objectType)
{
    for (size_t i = 0; i < ObjectInstances.size(); ++i) {
        if (ObjectInstances[i].sourceNode != sourceNode ||
            InstanceObjectType(ObjectInstances[i].object) != objectType)
            continue;
        CObjectNode* copy = ObjectInstances[i].object;
        // DeleteCopy takes the copy out of every hand and bag.
        ObjectInstances.erase(ObjectInstances.begin() + ptrdiff_t(i));
        DeleteCopy(copy);
        UpdateCarriedLoad();
        return;
    }
}

void ClearObjectInstances()
{
    std::vector<ObjectInstance> records;
    records.swap(ObjectInstances);
    for (ObjectInstance& r : records)
        DeleteCopy(r.object);
    g_Templates.clear();
    NextInstanceId = 1;
}

void LoadEffects(float load, float capacity, float* speedFactor, int32_t* bagVariant)
{
    float speed = 1.0f;
    int32_t variant = 0;
    if (capacity > 0.0f) {
        speed = std::max(0.1f, 1.0f - (load / capacity) * 0.2f);
        if (load == 0.0f)
            variant = 0;
        else if (load < capacity / 3.0f)
            variant = 1;
        else if (load < 2.0f * capacity / 3.0f)
            variant = 2;
        else
            variant = 3;
    }
    if (speedFactor)
        *speedFactor = speed;
    if (bagVariant)
        *bagVariant = variant;
}

void UpdateCarriedLoad()
{
    if (!PlanningOrBurglary()) {
        for (SPlanMember& m : PlanMemberArray)
            if (CObjectLogic* logic = LogicOf(m.member))
                if (PATHFINDER* p = logic->GetPathfinder())
                    p->speedFactor = 1.0f;
        return;
    }
    for (SPlanMember& m : PlanMemberArray) {
        float load = 0.0f;
        auto countItem = [&load](const CObjectNode* item) {
            for (const ObjectInstance& r : ObjectInstances)
                if (r.object == item && !r.held)
                    load += CarriedWeight(item);
        };
        for (const SItemSlot& s : m.hands)
            if (s.item)
                countItem(s.item);
        for (const SItemSlot& s : m.bag)
            if (s.item)
                countItem(s.item);
        for (const ObjectInstance& r : ObjectInstances)
            if (r.active && !r.held && r.owner && r.owner == m.member && InstanceObjectKind(r.object) != 2)
                load += CarriedWeight(r.object);
        CObjectLogic* logic = LogicOf(m.member);
        const float capacity = logic ? logic->CarryingCapacity() : 0.0f;
        float speed = 1.0f;
        int32_t variant = 0;
        LoadEffects(load, capacity, &speed, &variant);
        m.carriedLoad = load;
        if (logic)
            if (PATHFINDER* p = logic->GetPathfinder())
                p->speedFactor = speed;
        if (m.member)
            SelectBagVariant(m.member, variant);
    }
}

void SelectBagVariant(CWorldObject* node, int32_t variant)
{
    if (!node)
        return;
    CRootNode* root = nullptr;
    if (node->objectLogic && node->objectLogic->animation)
        root = node->objectLogic->animation->GetModelRoot();
    else
        root = node->GetShapeRoot();
    if (!root || !node->reference)
        return;
    BuildDrawList(*root);
    int32_t count = 0;
    SDrawListEntry* entries = DrawListOf(*root, &count);
    // The draw list block starts with its entry count, where the list is shortened.
    auto* countWord = static_cast<int32_t*>(root->auxiliaryBlock);
    if (!entries || !countWord || *countWord != count)
        return;
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        const CMeshNode* mesh = entries[i].mesh;
        const char* name = mesh ? mesh->name : nullptr;
        const bool otherBag = name && strncasecmp(name, "Bag", 3) == 0 && name[3] - '0' != variant;
        if (!otherBag)
            entries[kept++] = entries[i];
    }
    *countWord = kept;
}

CWorldObject* SpawnInstanceNode(CObjectNode* definition, bool withTaskLists)
{
    auto* node = new CWorldObject(nullptr);
    node->objectKind = CWorldObject::KIND_OBJECT;
    node->reference = definition;
    if (g_WorldRoot)
        g_WorldRoot->AddChild(node);
    node->objectLogic = new CObjectLogic;
    if (withTaskLists && definition && definition->objectLogic)
        CopyLogic(*node->objectLogic, *definition->objectLogic);
    node->objectLogic->Init(node);
    const int32_t kind = node->objectLogic->Kind();
    if (kind >= 4 && kind <= 6)
        ActiveCharacters.push_back(node);
    else if (kind == 9)
        CarList.push_back(node);
    return node;
}

namespace {

template <class T, class Match>
void EraseLastMatch(std::vector<T>& list, Match match)
{
    for (size_t i = list.size(); i-- > 0;)
        if (match(list[i])) {
            list.erase(list.begin() + ptrdiff_t(i));
            return;
        }
}

} // namespace

void DeleteRuntimeWorldObject(CWorldObject* node)
{
    if (!node)
        return;
    EraseLastMatch(VisibleObjects, [node](const SVisibleEntry& e) { return e.node == node; });
    std::erase(ActiveObjectList, node);
    RemoveTextBubble(node);
    std::erase(ActiveCharacters, node);
    std::erase(CarList, node);
    if (node == CurrentCharacter)
        CurrentCharacter = nullptr;
    if (node->objectLogic)
        node->objectLogic->ReleaseRuntime();
    node->Delete();
}
