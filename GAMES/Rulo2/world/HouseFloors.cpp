#include "GAMES/Rulo2/world/HouseFloors.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/render/CDynamicLights.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

std::vector<SVisibleEntry> VisibleObjects;
int32_t VisibleGroupCount = 0;
int32_t VisibleObjectCount = 0;

CWorldObject* CurrentHouse = nullptr;
int32_t CurrentFloor = 0;
uint32_t FloorMask = 0;
uint8_t HideStairs = 0;
std::vector<CWorldObject*> VisibleInteriors;

SphereVisibilityFn g_SphereVisibility = nullptr;

namespace {

// Keyed by the node's address only (never dereferenced), so a stale key left by
// a destroyed node is harmless.
std::unordered_map<const CWorldObject*, SFrameData>& FrameTable()
{
    static std::unordered_map<const CWorldObject*, SFrameData> table;
    return table;
}

} // namespace

SFrameData& FrameData(const CWorldObject* node)
{
    return FrameTable()[node];
}

int32_t GetVisibility(const CWorldObject* node)
{
    auto& table = FrameTable();
    auto it = table.find(node);
    return it == table.end() ? VIS_HIDDEN : it->second.visibility;
}

void SetVisibility(const CWorldObject* node, int32_t state)
{
    FrameTable()[node].visibility = state;
}

void ClearFrameData()
{
    FrameTable().clear();
    VisibleObjects.clear();
    VisibleGroupCount = VisibleObjectCount = 0;
}

bool NameStartsWith(const char* name, const char* prefix)
{
    if (!name)
        return false;
    for (; *prefix; ++prefix, ++name) {
        if (!*name || std::tolower(static_cast<unsigned char>(*name)) !=
                          std::tolower(static_cast<unsigned char>(*prefix)))
            return false;
    }
    return true;
}

bool IsHouseName(const char* name)
{
    return NameStartsWith(name, "Haus");
}
bool IsFloorName(const char* name)
{
    return NameStartsWith(name, "Stockwerk");
}
bool IsInsideName(const char* name)
{
    return NameStartsWith(name, "innen");
}
bool IsStairsName(const char* name)
{
    return NameStartsWith(name, "Treppe");
}

int32_t FloorNumberOf(const char* name)
{
    if (!name || std::strlen(name) < 11)
        return 0;
    return int32_t(static_cast<signed char>(name[10])) - '0';
}

uint32_t ExtraFloorMask(const char* name)
{
    uint32_t mask = 0;
    if (!name || std::strlen(name) < 14)
        return 0;
    for (const char* p = name + 13; *p; ++p)
        if (*p >= '0' && *p <= '9')
            mask |= 1u << (*p - '0');
    return mask;
}

bool IsStairs(const CWorldObject* node)
{
    if (node->objectKind == CWorldObject::KIND_MODEL) {
        const CModelEntry* entry = node->ModelEntry();
        return entry && IsStairsName(entry->GetName());
    }
    if (node->objectKind == CWorldObject::KIND_OBJECT) {
        const CObjectNode* def = node->Definition();
        return def && IsStairsName(def->GetName());
    }
    return false;
}

void GetLocation(const CWorldObject* node, CWorldObject** house, CWorldObject** floor, int32_t* floorNumber,
                 uint8_t* inside)
{
    *house = nullptr;
    *floor = nullptr;
    *floorNumber = 0;
    *inside = 0;
    for (CNode* p = node ? node->parent : nullptr; p; p = p->parent) {
        if (IsHouseName(p->GetName())) {
            *house = static_cast<CWorldObject*>(p);
        } else if (IsFloorName(p->GetName())) {
            *floor = static_cast<CWorldObject*>(p);
            *floorNumber = FloorNumberOf(p->GetName());
        } else if (IsInsideName(p->GetName())) {
            *inside = 1;
        }
    }
}

void GetHouseAndFloor(const CWorldObject* node, CWorldObject** house, CWorldObject** floor,
                      int32_t* floorNumber)
{
    uint8_t inside = 0;
    GetLocation(node, house, floor, floorNumber, &inside);
}

CRootNode* DrawModelOf(const CWorldObject* node, bool game)
{
    if (node->objectKind == CWorldObject::KIND_MODEL) {
        const CModelEntry* entry = node->ModelEntry();
        return entry ? entry->model : nullptr;
    }
    if (node->objectKind == CWorldObject::KIND_OBJECT) {
        // In the game an object shows the state its logic is in; before the
        // logic picks one, and in the editor, its "OPEN" or first state.
        if (game && node->objectLogic && node->objectLogic->animation)
            return node->objectLogic->animation->GetModelRoot();
        return node->GetShapeRoot();
    }
    return nullptr;
}

void ResetVisibleObjects()
{
    for (const SVisibleEntry& e : VisibleObjects)
        SetVisibility(e.node, VIS_HIDDEN);
    VisibleObjects.clear();
    VisibleGroupCount = 0;
    VisibleObjectCount = 0;
}

namespace {

struct SphereBatch
{
    D3DVECTOR centres[kSphereBatchSize];
    float radii[kSphereBatchSize];
    CWorldObject* nodes[kSphereBatchSize];
    CRootNode* models[kSphereBatchSize];
    uint32_t results[kSphereBatchSize];
    int count = 0;
};
SphereBatch g_Batch;

void Append(CWorldObject* node, CRootNode* model)
{
    SVisibleEntry e;
    e.node = node;
    e.model = model;
    VisibleObjects.push_back(e);
}

bool InVisibleInteriors(const CWorldObject* node)
{
    for (size_t i = VisibleInteriors.size(); i-- > 0;)
        if (VisibleInteriors[i] == node)
            return true;
    return false;
}

// The mode of a node's child chain; -1 when the node is not descended into
// (its state is then set to 0).
int32_t ChildMode(int32_t mode, CWorldObject* node)
{
    const char* name = node->GetName();
    switch (mode) {
    case 0:
    case 1:
    case 5:
        return mode;
    case 2:
        if (IsHouseName(name))
            return node == CurrentHouse ? 3 : 4;
        return 2;
    case 3:
        if (IsFloorName(name)) {
            const int32_t n = FloorNumberOf(name);
            if (n > CurrentFloor)
                return -1;
            if (n == CurrentFloor)
                return HideStairs ? 5 : 1;
            if (n >= 0 && n < 32 && ((FloorMask >> n) & 1u))
                return 1;
            return 4;
        }
        return 3;
    case 4:
        if (IsInsideName(name))
            return InVisibleInteriors(node) ? 4 : -1;
        return 4;
    default:
        return mode;
    }
}

void Descend(std::vector<CWorldObject*>& noted, int32_t mode, bool game)
{
    for (CWorldObject* node : noted) {
        if (!node->firstChild || GetVisibility(node) == VIS_HIDDEN)
            continue;
        const int32_t childMode = ChildMode(mode, node);
        if (childMode < 0) {
            SetVisibility(node, VIS_HIDDEN);
            continue;
        }
        CollectVisible(node->FirstObject(), childMode, game);
    }
    noted.clear();
}

void FlushBatch(int32_t mode)
{
    SphereBatch& b = g_Batch;
    if (b.count == 0)
        return;
    const bool ok =
        g_SphereVisibility && SUCCEEDED(g_SphereVisibility(b.centres, b.radii, uint32_t(b.count), b.results));
    for (int i = 0; i < b.count; ++i) {
        CWorldObject* node = b.nodes[i];
        if (!ok || (b.results[i] & 0xFFF000u)) {
            SetVisibility(node, VIS_HIDDEN);
            continue;
        }
        const bool modelKind =
            node->objectKind == CWorldObject::KIND_MODEL || node->objectKind == CWorldObject::KIND_OBJECT;
        if (mode == 5 && modelKind && IsStairs(node)) {
            SetVisibility(node, VIS_HIDDEN);
            continue;
        }
        SetVisibility(node, (b.results[i] & 0xFFFu) ? VIS_CLIPPED : VIS_INSIDE);
        Append(node, b.models[i]);
    }
    b.count = 0;
}

void AddToBatch(CWorldObject* node, const CVector& centre, float radius, CRootNode* model)
{
    SphereBatch& b = g_Batch;
    b.centres[b.count] = D3DVECTOR{centre.x, centre.y, centre.z};
    b.radii[b.count] = radius;
    b.nodes[b.count] = node;
    b.models[b.count] = model;
    ++b.count;
}

float TerrainRadius(const CWorldObject* node)
{
    const CTerrainRules* rules = node->Terrain();
    if (!rules)
        return 0.0f;
    return 0.5f * std::sqrt(rules->width * rules->width + rules->depth * rules->depth);
}

} // namespace

void CollectVisible(CWorldObject* first, int32_t mode, bool game)
{
    if (!first)
        return;
    const uint8_t exclusion = game ? 0x16 : 0x01;
    std::vector<CWorldObject*> noted;
    noted.reserve(16);

    CWorldObject* parent = static_cast<CWorldObject*>(first->parent);
    if (parent && GetVisibility(parent) == VIS_INSIDE) {
        // The whole chain lies inside the view: take each node without a test.
        for (CWorldObject* node = first; node; node = node->NextObject()) {
            if (node->flags & exclusion) {
                SetVisibility(node, VIS_HIDDEN);
                continue;
            }
            switch (node->objectKind) {
            case CWorldObject::KIND_GROUP:
                if (node->angle2 == 0.0f) {
                    SetVisibility(node, VIS_HIDDEN);
                    continue;
                }
                ++VisibleGroupCount;
                Append(node, nullptr);
                SetVisibility(node, VIS_INSIDE);
                noted.push_back(node);
                break;
            case CWorldObject::KIND_MODEL:
            case CWorldObject::KIND_OBJECT:
                ++VisibleObjectCount;
                if (mode == 5 && IsStairs(node)) {
                    SetVisibility(node, VIS_HIDDEN);
                    continue;
                }
                Append(node, DrawModelOf(node, game));
                SetVisibility(node, VIS_INSIDE);
                if (node->firstChild)
                    noted.push_back(node);
                break;
            case CWorldObject::KIND_GENERATOR:
                if (node->reference) {
                    Append(node, nullptr);
                    break;
                }
                SetVisibility(node, VIS_HIDDEN);
                break;
            case CWorldObject::KIND_LIGHT:
                if (!game) {
                    ++VisibleObjectCount;
                    Append(node, nullptr);
                    SetVisibility(node, VIS_INSIDE);
                    break;
                }
                SetVisibility(node, VIS_HIDDEN);
                break;
            default:
                SetVisibility(node, VIS_HIDDEN);
                break;
            }
        }
        Descend(noted, mode, game);
        return;
    }

    for (CWorldObject* node = first; node; node = node->NextObject()) {
        if (node->flags & exclusion) {
            SetVisibility(node, VIS_HIDDEN);
            continue;
        }
        switch (node->objectKind) {
        case CWorldObject::KIND_GROUP:
            if (node->angle2 == 0.0f) {
                SetVisibility(node, VIS_HIDDEN);
                continue;
            }
            ++VisibleGroupCount;
            AddToBatch(node, node->position, node->angle2, nullptr);
            noted.push_back(node);
            break;
        case CWorldObject::KIND_MODEL:
        case CWorldObject::KIND_OBJECT: {
            CRootNode* model = DrawModelOf(node, game);
            if (!model) {
                SetVisibility(node, VIS_HIDDEN);
                continue;
            }
            ++VisibleObjectCount;
            AddToBatch(node, node->position + model->boundsCentre, model->boundsRadius, model);
            if (node->firstChild)
                noted.push_back(node);
            break;
        }
        case CWorldObject::KIND_GENERATOR:
            if (!node->reference) {
                SetVisibility(node, VIS_HIDDEN);
                continue;
            }
            ++VisibleObjectCount;
            AddToBatch(node, node->position, TerrainRadius(node), nullptr);
            break;
        case CWorldObject::KIND_LIGHT:
            if (game) {
                SetVisibility(node, VIS_HIDDEN);
                continue;
            }
            ++VisibleObjectCount;
            AddToBatch(node, node->position, 0.2f, nullptr);
            break;
        default:
            SetVisibility(node, VIS_HIDDEN);
            continue;
        }
        if (g_Batch.count == kSphereBatchSize) {
            FlushBatch(mode);
            Descend(noted, mode, game);
        }
    }
    FlushBatch(mode);
    Descend(noted, mode, game);
}

void UpdateHouseState(const CWorldObject* character, const CWorldObject* ground)
{
    CWorldObject *house = nullptr, *floor = nullptr;
    int32_t number = 0;
    uint8_t inside = 0;
    GetLocation(character, &house, &floor, &number, &inside);
    CurrentHouse = house;
    // The dynamic lights of an inside keep to the lights of this floor.
    CurrentLocationFloor = floor;
    HideStairs = 0;
    if (ground && ground->objectKind == CWorldObject::KIND_MODEL && IsStairs(ground) &&
        ground->position.y <= character->position.y - 0.01f) {
        HideStairs = 1;
        ++number;
    }
    CurrentFloor = number;
    FloorMask = (number >= 1 && number <= 32 ? 1u << (number - 1) : 0u) |
                ExtraFloorMask(floor ? floor->GetName() : nullptr);
}
