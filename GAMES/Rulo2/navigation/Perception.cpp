// Noise levels, line of sight and scene statistics.
#include "GAMES/Rulo2/navigation/Perception.h"

#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "LIBS/System/LogPrintf.h"

std::vector<SNoiseSource> NoiseSources;
std::vector<SOccluder> Occluders;
void (*KeepNarrowestWindow)(int32_t level, int32_t threshold) = nullptr;

static void ReportNoise(int32_t level, int32_t threshold)
{
    if (KeepNarrowestWindow)
        KeepNarrowestWindow(level, threshold);
}

int32_t GetNoiseLevelAt(const CVector& position, int32_t area, int32_t threshold, int32_t* loudest)
{
    if (NoiseSources.empty()) {
        ReportNoise(0, 0);
        return 0;
    }
    int32_t sum = 0, best = -1;
    for (size_t i = 0; i < NoiseSources.size(); ++i) {
        const SNoiseSource& s = NoiseSources[i];
        const float dx = s.x - position.x, dy = s.y - position.y, dz = s.z - position.z;
        // Height differences count double: floors and ceilings damp the sound.
        const float d = std::sqrt(dx * dx + dz * dz + 4.0f * dy * dy);
        int32_t level = 2.0f * d > 0.0f ? int32_t(float(s.loudness) / (2.0f * d)) : s.loudness;
        if (s.area != area)
            level = int32_t(float(level) * 0.2f);
        if (level > best) {
            best = level;
            if (loudest)
                *loudest = int32_t(i);
        }
        sum += level;
    }
    ReportNoise(sum, threshold);
    return sum;
}

namespace {

bool IsCharacter(const CWorldObject* o)
{
    return o->objectLogic && o->objectLogic->IsCharacter();
}

// The ground node under a character, else the object itself.
CWorldObject* ReferenceNode(CWorldObject* o)
{
    if (IsCharacter(o) && o->objectLogic->GetPathfinder() && o->objectLogic->GetPathfinder()->groundNode)
        return o->objectLogic->GetPathfinder()->groundNode;
    return o;
}

bool OnStairs(const CWorldObject* node)
{
    return node->objectKind == CWorldObject::KIND_MODEL && NameStartsWith(node->GetRefName(), "treppe");
}

float Distance(const CVector& a, const CVector& b)
{
    const CVector d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

// The stairs rule of one side: a side standing on its stairs node's own height
// sees nobody; below the node's height it sees only down (or level), above it
// only up.
bool StairsAllow(const CWorldObject* onStairs, const CWorldObject* stairsNode, bool otherHigher)
{
    if (std::fabs(onStairs->position.y - stairsNode->position.y) < 0.01f)
        return false;
    const bool low = onStairs->position.y - 0.01f < stairsNode->position.y;
    return otherHigher ? !low : low;
}

struct SSightWalk
{
    CWorldObject* observer;
    CWorldObject* target;
    CVector eye, toTarget;
    bool outsideMode;
};

CBox TestBox(const CWorldObject* o)
{
    CBox b;
    b.min = o->boundsBMin;
    b.max = o->boundsBMax;
    return b;
}

int CollectOccluder(CWorldObject* n, void* argument)
{
    const auto& w = *static_cast<SSightWalk*>(argument);
    if (n == w.observer || n == w.target)
        return NODE_WALK_CONTINUE;
    if (w.outsideMode && n->objectKind == CWorldObject::KIND_GROUP && IsInsideName(n->GetName()))
        return NODE_WALK_SKIP_CHILDREN;
    if (n->boundsBMin.x > n->boundsBMax.x || !n->reference)
        return NODE_WALK_CONTINUE;
    int32_t type = -1;
    if (n->objectKind == CWorldObject::KIND_MODEL) {
        const CModelEntry* entry = n->ModelEntry();
        const char* name = entry->GetName();
        if (entry->noCameraCheck)
            return NODE_WALK_CONTINUE;
        if (NameStartsWith(name, "W_") || NameStartsWith(name, "boden") ||
            (NameStartsWith(name, "street") && n->boundsBMax.y - n->boundsBMin.y > 0.3f))
            type = 0;
    } else if (n->objectKind == CWorldObject::KIND_OBJECT && n->objectLogic &&
               (n->objectLogic->Kind() == KIND_DOOR || n->objectLogic->Kind() == KIND_WINDOW)) {
        type = 1;
    }
    if (type < 0)
        return NODE_WALK_CONTINUE;
    const CBox box = TestBox(n);
    const CVector& e = w.eye;
    if (box.min.x <= e.x && e.x <= box.max.x && box.min.y <= e.y && e.y <= box.max.y && box.min.z <= e.z &&
        e.z <= box.max.z)
        return NODE_WALK_CONTINUE;
    CVector entry = e;
    if (!box.intersectRay(e, w.toTarget, &entry, nullptr))
        return NODE_WALK_CONTINUE;
    SOccluder o;
    o.type = type;
    o.entry = entry;
    o.box = box;
    o.object = n;
    if (type == 1) {
        o.box.scaleAboutCenter(0.9f);
        bool open = false, locked = false;
        DoorState(n, &open, &locked);
        o.open = open ? 1 : 0;
    }
    Occluders.push_back(o);
    return NODE_WALK_CONTINUE;
}

// Open doors and windows make openings in the walls around them.
bool OccludersLetSightPass()
{
    for (const SOccluder& d : Occluders)
        if (d.type == 1 && d.open)
            for (SOccluder& m : Occluders)
                if (m.type == 0 && m.box.overlap(d.box))
                    m.blocking = 0;
    for (const SOccluder& o : Occluders)
        if ((o.type == 0 && o.blocking) || (o.type == 1 && !o.open))
            return false;
    return true;
}

} // namespace

bool TestLineOfSight(CWorldObject* observer, CWorldObject* target, float heading, float halfViewAngle,
                     bool sameHouse)
{
    if (!observer || !target)
        return false;
    Occluders.clear();
    CWorldObject* refO = ReferenceNode(observer);
    CWorldObject* refT = ReferenceNode(target);
    CWorldObject *houseO = nullptr, *floorO = nullptr, *houseT = nullptr, *floorT = nullptr;
    int32_t numberO = 0, numberT = 0;
    GetHouseAndFloor(refO, &houseO, &floorO, &numberO);
    GetHouseAndFloor(refT, &houseT, &floorT, &numberT);
    if (sameHouse && houseO != houseT)
        return false;
    const bool insideO = refO->parent && IsInsideName(refO->parent->GetName());
    const bool insideT = refT->parent && IsInsideName(refT->parent->GetName());
    if (insideO != insideT)
        return false;
    const bool stairsO = OnStairs(refO), stairsT = OnStairs(refT);
    CVector eyeO = observer->position + CVector(0, 0.05f, 0);
    CVector eyeT = target->position + CVector(0, 0.05f, 0);
    if (IsCharacter(observer) && (std::fabs(eyeO.y - eyeT.y) > 0.4f || std::abs(numberO - numberT) > 1))
        return false;

    CWorldObject* walkRef = nullptr;
    if (stairsO) {
        if (stairsT) {
            if (floorO != floorT || Distance(eyeO, eyeT) > 1.0f)
                return false;
        } else if (!StairsAllow(observer, refO, eyeT.y > eyeO.y)) {
            return false;
        }
        eyeO.y = eyeT.y;
        if (!stairsT)
            walkRef = floorT;
    } else if (stairsT) {
        if (!StairsAllow(target, refT, !(eyeT.y >= eyeO.y)))
            return false;
        eyeT.y = eyeO.y;
        walkRef = floorO;
    } else if (floorO == floorT || !floorO || !floorT) {
        walkRef = houseO;
    } else {
        const char* nameO = floorO->GetName();
        const char* nameT = floorT->GetName();
        if (!nameO || !nameT) {
            LogPrintf("invalid fllorname");
        } else {
            const char* suffixO = std::strlen(nameO) > 10 ? nameO + 10 : "";
            const char* suffixT = std::strlen(nameT) > 10 ? nameT + 10 : "";
            if (std::strcmp(suffixO, suffixT) != 0)
                return false;
        }
        walkRef = floorO;
    }

    CVector2 toward(target->position.x - observer->position.x, target->position.z - observer->position.z);
    const float twoPi = 6.2831855f;
    float d = std::fmod(toward.angle(), twoPi) - std::fmod(heading, twoPi);
    if (d > 3.1415927f)
        d -= twoPi;
    else if (d < -3.1415927f)
        d += twoPi;
    if (std::fabs(d) > halfViewAngle)
        return false;
    if (stairsO && stairsT && refO == refT)
        return true;

    bool outsideMode = false;
    if (!insideO) {
        CWorldObject *house = nullptr, *canSee = nullptr;
        for (CNode* p = refO->parent; p && !(house && canSee); p = p->parent) {
            if (NameStartsWith(p->GetName(), "haus")) {
                if (!house)
                    house = static_cast<CWorldObject*>(p);
            } else if (!canSee && NameStartsWith(p->GetName(), "CanSee")) {
                canSee = static_cast<CWorldObject*>(p);
            }
        }
        const float distance = Distance(eyeO, eyeT);
        if (!house && !canSee)
            return distance < 2.0f;
        if (distance > 3.0f)
            return false;
        walkRef = canSee ? canSee : house;
        outsideMode = true;
    }
    if (walkRef) {
        SSightWalk walk{observer, target, eyeO, eyeT - eyeO, outsideMode};
        walkRef->ForEach(CollectOccluder, &walk);
    }
    return OccludersLetSightPass();
}

namespace {

struct SStatisticsWalk
{
    SSceneStatistics* s;
    bool buildingOpen = false;
};

void CountModel(SSceneStatistics& s, const CRootNode* model)
{
    ++s.models;
    if (!model)
        return;
    s.nodesWithModelNodes += uint32_t(model->CountNodes());
    s.modelVertices += model->vertexCount;
    s.modelTriangles += model->triangleCount;
    s.modelLocators += uint32_t(model->locatorCount);
}

int CountSceneNode(CWorldObject* n, void* argument)
{
    auto& w = *static_cast<SStatisticsWalk*>(argument);
    SSceneStatistics& s = *w.s;
    ++s.nodes;
    ++s.nodesWithModelNodes;
    const char* name = n->GetName();
    if (n->objectKind == CWorldObject::KIND_GROUP && name) {
        if (NameStartsWith(name, "innen") || NameStartsWith(name, "inside")) {
            ++s.interiors;
            if (w.buildingOpen) {
                ++s.buildingInteriors;
                w.buildingOpen = false;
            }
        } else if (NameStartsWith(name, "haus") || NameStartsWith(name, "bld_")) {
            w.buildingOpen = true;
        } else if (NameStartsWith(name, "aussen") || NameStartsWith(name, "outside")) {
            ++s.exteriors;
        }
    } else if (n->objectKind == CWorldObject::KIND_MODEL && n->reference) {
        CountModel(s, n->ModelEntry()->model);
    } else if (n->objectKind == CWorldObject::KIND_OBJECT && n->reference) {
        const CObjectNode* def = n->Definition();
        const CModelEntry* entry = def->firstState ? def->firstState->modelEntry : nullptr;
        CountModel(s, entry ? entry->model : nullptr);
    } else if (n->objectKind == CWorldObject::KIND_LIGHT && n->reference) {
        ++s.lights;
        float& range = n->Light()->light.dvRange;
        if (range > s.largestLightRange)
            s.largestLightRange = range;
        if (range > 5.0f)
            range = 5.0f;
    }
    return NODE_WALK_CONTINUE;
}

} // namespace

void CollectSceneStatistics(CWorldObject* root, SSceneStatistics* out)
{
    *out = SSceneStatistics{};
    if (!root)
        return;
    SStatisticsWalk w{out};
    root->ForEach(CountSceneNode, &w);
}

float GetTypeRatioPercent(const CObjectLogic* logic)
{
    if (!logic)
        return 0.0f;
    const CObjectLogic* typed = logic->Template() ? logic->Template() : logic;
    const CKindData* data = typed->EffectiveKindData();
    if (!data)
        return 0.0f;
    // The type record's scalar: an item's weight, a character's speed, a car's capacity.
    if (data->kind == KIND_CAR)
        return data->ValueCount() > 0 ? WordAsFloat(data->Values()[0]) * 100.0f : 0.0f;
    if (data->kind >= KIND_CHARACTER_A && data->kind <= KIND_CHARACTER_C)
        return data->SpeedFactor() * 100.0f;
    return data->Weight() * 100.0f;
}

void Rotate2D(float out[2], const float v[2], float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    const float x = v[0] * c + v[1] * s, y = v[1] * c - v[0] * s;
    out[0] = x;
    out[1] = y;
}
