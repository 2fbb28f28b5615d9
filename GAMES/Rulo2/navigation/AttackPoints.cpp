// Attack points: the places from which characters work on an object, in world
// coordinates, and the questions the path finder and the tasks ask of them.
#include <cmath>
#include <cstring>
#include <vector>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/editor/GroundProbe.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"

namespace {
struct SPoint
{
    CVector world;
    float angle;
};
} // namespace

static const CModelEntry* AttackPointEntry(const CWorldObject* o)
{
    if (o->objectKind == CWorldObject::KIND_OBJECT)
        return o->objectLogic && o->objectLogic->animation ? o->objectLogic->animation->modelEntry : nullptr;
    if (o->objectKind == CWorldObject::KIND_MODEL)
        return o->ModelEntry();
    return nullptr;
}

// The points turned by the object's angle and moved to its position; the
// object's scale is not applied.
static std::vector<SPoint> WorldPoints(const CWorldObject* o)
{
    std::vector<SPoint> out;
    const CModelEntry* entry = AttackPointEntry(o);
    if (!entry)
        return out;
    const CMatrix m = ObjectMatrix(o);
    for (const SModelPoint& p : entry->points) {
        float v[4];
        std::memcpy(v, p.words, sizeof v);
        CVector w(v[0], v[1], v[2]);
        w.transform(m);
        out.push_back({w, v[3]});
    }
    return out;
}

std::vector<CVector> AttackPointsOf(const CWorldObject* o, bool scaled)
{
    std::vector<CVector> out;
    const CModelEntry* entry = AttackPointEntry(o);
    if (!entry)
        return out;
    const CMatrix m = ObjectMatrix(o);
    const float factor = scaled && o->scale != 1.0f ? o->scale : 1.0f;
    for (const SModelPoint& p : entry->points) {
        float v[4];
        std::memcpy(v, p.words, sizeof v);
        CVector w(v[0] * factor, v[1] * factor, v[2] * factor);
        w.transform(m);
        out.push_back(w);
    }
    return out;
}

static bool ProbeWorld(const CVector& point, CVector* hit, CWorldObject** node)
{
    CVector origin, direction;
    MakeGroundProbe(&origin, &direction, point);
    CVector h;
    CWorldObject* n = nullptr;
    if (!g_WorldRoot || !IntersectRayWithNode(g_WorldRoot, origin, direction, &h, &n, false) || !n)
        return false;
    if (hit)
        *hit = h;
    if (node)
        *node = n;
    return true;
}

static bool ProbeShape(CWorldObject* node, const CVector& point)
{
    CVector origin, direction;
    MakeGroundProbe(&origin, &direction, point);
    return node && IntersectRayWithObjectShape(node, origin, direction);
}

bool CWorldObject::FindAttackPointOnPath(CVector* point, CWorldObject* const* nodes, int32_t count)
{
    int32_t best = count;
    for (const SPoint& p : WorldPoints(this)) {
        CWorldObject* node = nullptr;
        if (!ProbeWorld(p.world, nullptr, &node))
            continue;
        for (int32_t i = 0; i < best; ++i)
            if (nodes[i] == node) {
                best = i;
                *point = p.world;
                break;
            }
    }
    return best < count;
}

static bool FindExtremeAttackPoint(CWorldObject* o, const CVector& position, CVector* groundPoint,
                                   CWorldObject** groundNode, CWorldObject* required, bool farthest)
{
    float best = farthest ? 0.0f : 10000.0f;
    const SPoint* winner = nullptr;
    const std::vector<SPoint> points = WorldPoints(o);
    for (const SPoint& p : points) {
        const CVector d = p.world - position;
        const float distance = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        if (farthest ? !(distance > best) : !(distance < best))
            continue;
        if (required) {
            CWorldObject* node = nullptr;
            if (!ProbeWorld(p.world, nullptr, &node) || node != required)
                continue;
        }
        best = distance;
        winner = &p;
    }
    return winner && ProbeWorld(winner->world, groundPoint, groundNode);
}

bool CWorldObject::FindNearestAttackPoint(const CVector& position, CVector* groundPoint,
                                          CWorldObject** groundNode, CWorldObject* required)
{
    return FindExtremeAttackPoint(this, position, groundPoint, groundNode, required, false);
}

bool CWorldObject::FindFarthestAttackPoint(const CVector& position, CVector* groundPoint,
                                           CWorldObject** groundNode, CWorldObject* required)
{
    return FindExtremeAttackPoint(this, position, groundPoint, groundNode, required, true);
}

bool CWorldObject::FindAttackPointCell(float height, int32_t* cellX, int32_t* cellZ, int32_t minX,
                                       int32_t minZ)
{
    float best = 10000.0f;
    bool found = false;
    for (const SPoint& p : WorldPoints(this)) {
        const float difference = std::fabs(p.world.y - height);
        if (!(difference < 0.1f) || !(difference < best))
            continue;
        best = difference;
        *cellX = RoundHalfAway(p.world.x * 20.0f - float(minX));
        *cellZ = RoundHalfAway(p.world.z * 20.0f - float(minZ));
        found = true;
    }
    return found;
}

bool CWorldObject::IsCharacterAtAttackPoint(CWorldObject* character)
{
    if (!character)
        return false;
    for (const SPoint& p : WorldPoints(this)) {
        const CVector& c = character->position;
        if (!(std::fabs(c.x - p.world.x) < 0.075f && std::fabs(c.y - p.world.y) < 0.25f &&
              std::fabs(c.z - p.world.z) < 0.075f))
            continue;
        SetRecordedFloat(character, p.angle + angle + 1.5707964f);
        return true;
    }
    return false;
}

bool CWorldObject::AreAttackPointsOverGround(CWorldObject* node)
{
    const std::vector<SPoint> points = WorldPoints(this);
    if (points.empty())
        return false;
    for (const SPoint& p : points)
        if (!ProbeShape(node, p.world))
            return false;
    return true;
}

bool CWorldObject::AreAttackPointsOverGrounds(CWorldObject* a, CWorldObject* b)
{
    const std::vector<SPoint> points = WorldPoints(this);
    if (points.empty())
        return false;
    const bool alongX = (boundsAMax.x - boundsAMin.x) > (boundsAMax.z - boundsAMin.z);
    const CVector offset = alongX ? CVector(0.075f, 0, 0) : CVector(0, 0, 0.075f);
    for (const SPoint& p : points) {
        const CVector& w = p.world;
        if (!(ProbeShape(a, w) || ProbeShape(b, w) || ProbeShape(a, w + offset) ||
              ProbeShape(a, w - offset) || ProbeShape(b, w + offset) || ProbeShape(b, w - offset)))
            return false;
    }
    return true;
}
