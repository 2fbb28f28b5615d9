#include "GAMES/Rulo2/world/GamePasses.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/SnapPoints.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTree.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/d3d/D3D.h"

std::vector<CWorldObject*> ObjectLogicTable;

namespace {

bool IsObjectNode(const CWorldObject* n)
{
    return n->objectKind == CWorldObject::KIND_OBJECT && n->Definition();
}

} // namespace

void SaveStartTransforms(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->savedPosition = n->position;
        n->savedAngle = n->angle;
    });
}

void RestoreTransforms(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->position = n->savedPosition;
        n->angle = n->savedAngle;
    });
}

void ClearRuntimeFlags(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) { n->flags &= uint8_t(~0x0A); });
}

namespace {

bool IsGangMember(const CWorldObject* n)
{
    return std::any_of(PlanMemberArray.begin(), PlanMemberArray.end(),
                       [n](const SPlanMember& m) { return m.member == n; });
}

// The BurglaryTarget item a logic's task list offers, else null.
CTaskItem* BurglaryItem(const CObjectLogic& logic)
{
    if (!logic.taskList)
        return nullptr;
    for (auto& item : logic.taskList->tasks)
        if (item->taskType == TASK_BURGLARY_TARGET)
            return item.get();
    return nullptr;
}

} // namespace

void CreateObjectLogic(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->factor = 1.0f;
        SetVisibility(n, VIS_HIDDEN);
        if (!IsObjectNode(n))
            return;
        CObjectNode* def = n->Definition();
        if (!n->objectLogic && def->objectLogic && def->objectLogic->ownKindData)
            n->objectLogic = new CObjectLogic;
        CObjectLogic* logic = n->objectLogic;
        if (!logic)
            return;
        logic->Init(n);
        // The hero's own task makes it what the camera follows.
        const CTaskItem* first = logic->taskList ? logic->taskList->FirstTask() : nullptr;
        const CTaskItem* current = logic->currentItem ? logic->currentItem : first;
        if (current && current->taskType == TASK_HERO && GameCamera.focusObject != n) {
            GameCamera.focusObject = n;
            GameCamera.lookAt = n->position;
            GameCamera.eye = n->position + CVector(0.3f, 1.0f, 0.0f);
        }
        if (!CurrentCharacter)
            CurrentCharacter = n;
        if (GamePhase == PHASE_BURGLARY && IsGangMember(n))
            if (CTaskItem* burglary = BurglaryItem(*logic))
                logic->currentItem = burglary;
    });
}

void CreateMissingObjectLogic(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (!IsObjectNode(n))
            return;
        CObjectNode* def = n->Definition();
        if (!n->objectLogic && def->objectLogic && def->objectLogic->ownKindData)
            n->objectLogic = new CObjectLogic;
        if (n->objectLogic)
            n->objectLogic->recorderId = 0;
    });
}

void ActivateObjectLogic(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        CObjectLogic* logic = IsObjectNode(n) ? n->objectLogic : nullptr;
        if (!logic || !logic->taskList)
            return;
        logic->NextTask();
        if (ObjectPassHooks.stepWalk)
            ObjectPassHooks.stepWalk(n);
        const CKindData* data = logic->EffectiveKindData();
        if (data && data->processAlways)
            logic->Activate();
    });
}

void SkipStartTasks(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        CObjectLogic* logic = IsObjectNode(n) ? n->objectLogic : nullptr;
        CTaskList* list = logic ? logic->taskList : nullptr;
        if (!list || list->tasks.empty() || list->tasks.front()->taskType != TASK_BURGLARY_TARGET)
            return;
        // Every burglary target at the head of the list runs once (each ends in its first
        // update); the object then waits at its first other task for the activation.
        size_t i = 0;
        for (; i < list->tasks.size() && list->tasks[i]->taskType == TASK_BURGLARY_TARGET; ++i) {
            logic->currentItem = list->tasks[i].get();
            logic->NextTask();
        }
        logic->DeleteCurrentTask();
        logic->currentItem = i < list->tasks.size() ? list->tasks[i].get() : nullptr;
    });
}

namespace {

void AddReferrer(CWorldObject* target, CWorldObject* referrer)
{
    if (!target || !target->objectLogic || target == referrer)
        return;
    auto& list = target->objectLogic->referrers;
    if (std::find(list.begin(), list.end(), referrer) == list.end())
        list.push_back(referrer);
}

void CollectReferences(const CTaskList* list, CWorldObject* n)
{
    if (!list)
        return;
    for (const auto& item : list->tasks) {
        if (item->taskType != TASK_ALARMANLAGE)
            continue;
        for (const auto& p : item->parameters)
            if (p && p->typeId == PARAM_OBJECT)
                AddReferrer(static_cast<const CObjectRefParam*>(p.get())->object, n);
    }
    for (const auto& d : list->dependencies) {
        AddReferrer(d->action.target, n);
        CollectReferences(d->childList.get(), n);
    }
}

bool TaskListValid(const CTaskList* list)
{
    if (!list)
        return true;
    for (const auto& item : list->tasks) {
        const STaskTypeRow* row = TaskTypeRow(item->taskType);
        if (!row || !row->name)
            return false;
    }
    for (const auto& d : list->dependencies)
        if (!TaskListValid(d->childList.get()))
            return false;
    return true;
}

} // namespace

void UpdateIdLists(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (IsObjectNode(n) && n->objectLogic)
            CollectReferences(
                n->objectLogic->taskList ? n->objectLogic->taskList : n->objectLogic->ownTaskList.get(), n);
    });
}

void SyncObjectLogicForRecording(CWorldObject* first)
{
    static CTaskItem heroRecord(-1, TASK_HERO_RECORD);
    static CTaskItem idle(-1, TASK_DO_NOTHING);
    WalkWorldTree(first, [](CWorldObject* n) {
        CObjectLogic* logic = IsObjectNode(n) ? n->objectLogic : nullptr;
        if (!logic)
            return;
        RecordState = RECORD_CONTINUE;
        if (RecordingControl.skip) {
            logic->NextTask();
        } else if (n == RecordingControl.character) {
            // The recording hero takes the player's orders from its start list.
            if (logic->taskList) {
                logic->ResetTaskLists();
                logic->StartTask(&heroRecord, kNoTimeLimit);
            }
        } else if (IsGangMember(n) && (!logic->taskList || !logic->GetPlannedTaskList())) {
            logic->StartTask(&idle, kNoTimeLimit);
        } else {
            logic->NextTask();
        }
        RecordState = RECORD_RECORD;
    });
}

bool AllObjectLogicValid(CWorldObject* first)
{
    return WalkWorldTree(first, [](CWorldObject* n) {
        const CObjectLogic* logic = n->objectLogic;
        return !logic || TaskListValid(logic->ownTaskList.get());
    });
}

void DeletePlannedTaskLists(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (IsObjectNode(n) && n->objectLogic)
            n->objectLogic->RemovePlannedTaskLists();
    });
}

void FlagAllObjectLogic(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectLogic)
            n->objectLogic->recordable = 1;
    });
}

void HideByBurglaryLevel(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (!IsObjectNode(n) || !n->objectLogic)
            return;
        const CObjectLogic& logic = *n->objectLogic;
        const CKindData* data = logic.EffectiveKindData();
        if (!data)
            return;
        bool hide = false;
        if (n == CurrentCharacter || n == HudExemptObject)
            hide = false;
        else if (data->minBurglaryLevel > BurglaryLevel)
            hide = true;
        else if (data->kind == KIND_CHARACTER_A)
            hide = logic.CrimeRecords() >= 0.5f;
        if (hide)
            n->flags |= 4;
        else
            n->flags &= uint8_t(~4);
    });
}

void SetBurglaryLevel(int32_t level)
{
    if (level < 1)
        LogPrintf("WARNING: illegale burglary-level");
    BurglaryLevel = level;
    HideByBurglaryLevel(g_WorldRoot);
}

void ReleaseObjectLogicRuntime(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->factor = 1.0f;
        SetVisibility(n, VIS_HIDDEN);
        if (IsObjectNode(n) && n->objectLogic) {
            n->objectLogic->ReleaseRuntime();
            n->objectLogic->ReleaseTaskLists();
        }
    });
}

void DeleteAttachedObjects(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        delete n->shadowTexture;
        n->shadowTexture = nullptr;
    });
}

void MaxObjectLogicNumber(CWorldObject* first, int32_t& maximum)
{
    WalkWorldTree(first, [&maximum](CWorldObject* n) {
        if (n->objectLogic)
            maximum = std::max(maximum, n->objectLogic->recorderId);
    });
}

namespace {

// Objects that the numbering counts: those with object logic and the object nodes, which get
// logic when the game starts or the world is saved.
bool TakesRecorderId(const CWorldObject* n)
{
    if (n->objectLogic)
        return n->objectLogic->recorderId != int32_t(kSpecialObjectId);
    return IsObjectNode(n);
}

} // namespace

void NumberObjectLogic(CWorldObject* first, std::vector<CWorldObject*>* table)
{
    // A stored id stays when it is in range and no object before it in tree order holds it.
    std::vector<CWorldObject*> byId(1, nullptr);
    int32_t highest = 0;
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (!TakesRecorderId(n) || !n->objectLogic)
            return;
        const int32_t id = n->objectLogic->recorderId;
        if (id < 1 || id > int32_t(kMaxObjectId))
            return;
        if (byId.size() <= size_t(id))
            byId.resize(size_t(id) + 1, nullptr);
        if (byId[size_t(id)])
            return;
        byId[size_t(id)] = n;
        highest = std::max(highest, id);
    });
    byId.resize(size_t(highest) + 1);
    // The others follow in tree order; an object that has no logic yet still takes its place, so
    // the numbers stay the same once the game gives it one.
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (!TakesRecorderId(n))
            return;
        const int32_t stored = n->objectLogic ? n->objectLogic->recorderId : 0;
        if (stored >= 1 && stored <= highest && byId[size_t(stored)] == n)
            return;
        const int32_t id = int32_t(byId.size());
        byId.push_back(n);
        if (n->objectLogic)
            n->objectLogic->recorderId = id;
    });
    NextRecorderId = int32_t(byId.size());
    if (table)
        *table = std::move(byId);
}

void RegisterObjectLogicNumbers(CWorldObject* first)
{
    NumberObjectLogic(first, &ObjectLogicTable);
}

void NumberObjectLogicForSaving(CWorldObject* first)
{
    NumberObjectLogic(first, nullptr);
    // Only objects with their own definition store their id; the others are numbered after the
    // highest stored one on loading, and are numbered so now, so that what the file names them
    // by names them again.
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectLogic && !n->objectLogic->ownDefinition &&
            n->objectLogic->recorderId != int32_t(kSpecialObjectId))
            n->objectLogic->recorderId = 0;
    });
    RegisterObjectLogicNumbers(first);
}

void CollectLights(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectKind == CWorldObject::KIND_LIGHT && n->Light() &&
            std::find(g_LightNodes.begin(), g_LightNodes.end(), n) == g_LightNodes.end())
            g_LightNodes.push_back(n);
    });
}

namespace {

int32_t PackColour(const D3DCOLORVALUE& c)
{
    auto byte = [](float v) { return uint32_t(uint8_t(int32_t(v * 255.0f))); };
    return int32_t(byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b));
}

} // namespace

void ComputeLightColours(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectKind != CWorldObject::KIND_MODEL && n->objectKind != CWorldObject::KIND_OBJECT)
            return;
        n->lightColour = -1;
        float best = 0.5f;
        for (CWorldObject* lightNode : g_LightNodes) {
            const SWorldLight* light = lightNode->Light();
            if (!light)
                continue;
            const D3DVECTOR& p = light->light.dvPosition;
            const float d = (CVector(p.x, p.y, p.z) - n->position).length();
            if (d < best) {
                best = d;
                n->lightColour = PackColour(light->light.dcvDiffuse);
            }
        }
    });
}

void GatherDrawStatistics(CWorldObject* first, uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (GetVisibility(n) == VIS_HIDDEN)
            continue;
        if (CRootNode* model = SnapModelOf(n)) {
            a += model->triangleCount;
            b += model->vertexCount;
            model->MarkUsedTextures();
        }
        if (const CTerrainRules* terrain = n->Terrain()) {
            a += uint32_t(terrain->doubleVertexCount);
            b += uint32_t(terrain->vertexCount);
        }
        if (n->shadowTexture)
            d += uint32_t(int32_t(n->shadowTexture->width * n->shadowTexture->height * 16) / 8);
        if (CWorldObject* child = n->FirstObject())
            GatherDrawStatistics(child, a, b, c, d);
    }
}

void FindNearestSnapDelta(const CVector* points, int32_t n, float& best, CVector& delta)
{
    for (const SVisibleEntry& e : VisibleObjects) {
        CWorldObject* node = e.node;
        if (!node || node->selected ||
            (node->objectKind != CWorldObject::KIND_MODEL && node->objectKind != CWorldObject::KIND_OBJECT))
            continue;
        const int32_t count = std::min(node->snapCapacity, int32_t(node->snapPoints.size()));
        for (int32_t k = 0; k < count; ++k)
            for (int32_t i = 0; i < n; ++i) {
                const CVector diff = node->snapPoints[size_t(k)] - points[i];
                const float distance = diff.length();
                if (distance < best) {
                    best = distance;
                    delta = diff;
                }
            }
    }
}

void FindSnapLevel(CWorldObject* first, bool upward, float& value, float reference, int32_t axis)
{
    bool found = value != reference;
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (GetVisibility(n) == VIS_HIDDEN)
            continue;
        if (n->objectKind == CWorldObject::KIND_MODEL || n->objectKind == CWorldObject::KIND_OBJECT) {
            const int32_t count = std::min(n->snapCapacity, int32_t(n->snapPoints.size()));
            for (int32_t k = 0; k < count; ++k) {
                const float v = n->snapPoints[size_t(k)][axis];
                const bool counts = upward ? v > reference + 0.0001f : v < reference - 0.0001f;
                if (!counts)
                    continue;
                if (!found || (upward ? v < value : v > value)) {
                    value = v;
                    found = true;
                }
            }
        }
        if (CWorldObject* c = n->FirstObject()) {
            FindSnapLevel(c, upward, value, reference, axis);
            found = value != reference;
        }
    }
}

namespace {

CWorldObject* OutermostHouse(const CWorldObject* node)
{
    CWorldObject* house = nullptr;
    for (CNode* p = node->parent; p; p = p->parent)
        if (IsHouseName(p->name))
            house = static_cast<CWorldObject*>(p);
    return house;
}

} // namespace

namespace {

bool IsSecuringTask(int32_t type)
{
    return type == 14 || type == 15 || type == 16 || (type >= 64 && type <= 68);
}

void AddOnce(std::vector<CWorldObject*>& list, CWorldObject* n)
{
    if (n && std::find(list.begin(), list.end(), n) == list.end())
        list.push_back(n);
}

// An alarm system, sensor or remote switch in the lists secures its owner and the objects it names.
void CollectSecuringObjects(const CTaskList* list, CWorldObject* owner, std::vector<CWorldObject*>& secured)
{
    if (!list)
        return;
    for (const auto& item : list->tasks) {
        if (!IsSecuringTask(item->taskType))
            continue;
        AddOnce(secured, owner);
        for (const auto& p : item->parameters)
            if (p && (p->typeId == PARAM_OBJECT || p->typeId == PARAM_WALKAREA))
                AddOnce(secured, static_cast<const CObjectRefParam*>(p.get())->object);
    }
    for (const auto& d : list->dependencies)
        CollectSecuringObjects(d->childList.get(), owner, secured);
}

} // namespace

void CollectHouseStatistics(CWorldObject* first, float& totalValue, float& totalWeight,
                            std::vector<CWorldObject*>* loot, std::vector<CWorldObject*>* secured,
                            std::vector<CWorldObject*>* others, const std::vector<CWorldObject*>& houses)
{
    if (!GameModeFlag && secured)
        WalkWorldTree(first, [&](CWorldObject* n) {
            CObjectLogic* logic = IsObjectNode(n) ? n->objectLogic : nullptr;
            if (!logic || logic->Kind() != KIND_FIXED)
                return;
            CWorldObject* house = OutermostHouse(n);
            if (house && std::find(houses.begin(), houses.end(), house) != houses.end())
                CollectSecuringObjects(logic->taskList ? logic->taskList : logic->ownTaskList.get(), n,
                                       *secured);
        });
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (!IsObjectNode(n) || !n->objectLogic)
            return;
        CWorldObject* house = OutermostHouse(n);
        if (!house || std::find(houses.begin(), houses.end(), house) == houses.end())
            return;
        const CKindData* data = n->objectLogic->EffectiveKindData();
        const int32_t kind = data ? data->kind : -1;
        if (kind == KIND_LOOT) {
            totalValue += data->Price();
            totalWeight += 100.0f * data->Weight();
            if (!GameModeFlag && loot)
                loot->push_back(n);
        } else if (!GameModeFlag && others &&
                   (!secured || std::find(secured->begin(), secured->end(), n) == secured->end())) {
            others->push_back(n);
        }
    });
}

bool WriteTreeSection(CWorldObject* root, CChunkWriter& writer)
{
    return writer.WriteMarker(ChunkId("TREE")) && (!root || WriteWorldNodes(root, writer, true)) &&
           writer.WriteMarker(ChunkId("END "));
}
