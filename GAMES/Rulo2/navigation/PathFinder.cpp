// The path finder's life cycle, planning entry points and walking.
#include "GAMES/Rulo2/navigation/PathFinder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/editor/GroundProbe.h"
#include "GAMES/Rulo2/navigation/PathFinderLog.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "platform/win/Window.h"

std::vector<CWorldObject*> CarList;

PATHFINDER::PATHFINDER() = default;

PATHFINDER::~PATHFINDER()
{
    mapView.cells = nullptr;
    std::free(mapCells);
}

bool PATHFINDER::Logging() const
{
    return owner && owner == CurrentCharacter && (platform::GetKeyState(platform::VK_CONTROL) & 0x8000);
}

static const char* AnimationName(const CWorldObject* character)
{
    const CObjectLogic* logic = character ? character->objectLogic : nullptr;
    return logic && logic->animation ? logic->animation->GetName() : nullptr;
}

static bool Plays(const CWorldObject* character, const char* name)
{
    const char* current = AnimationName(character);
    return current && std::strcmp(current, name) == 0;
}

static void Play(CWorldObject* character, const char* name)
{
    if (character && character->objectLogic && !Plays(character, name))
        character->objectLogic->PlayAnimation(name);
}

static bool ProbeGround(const CVector& point, CVector* hit, CWorldObject** node)
{
    CVector origin, direction;
    MakeGroundProbe(&origin, &direction, point);
    CVector h;
    CWorldObject* n = nullptr;
    if (!g_WorldRoot || !IntersectRayWithNode(g_WorldRoot, origin, direction, &h, &n, false) || !n)
        return false;
    *hit = h;
    *node = n;
    return true;
}

bool PATHFINDER::Init(CWorldObject* character)
{
    owner = character;
    walking = arrived = 0;
    enabled = 1;
    mapNodeCount = 0;
    speedFactor = 1.0f;
    if (!character || (character->objectLogic && character->objectLogic->Kind() == KIND_CAR))
        return true;
    CVector hit;
    CWorldObject* node = nullptr;
    if (!ProbeGround(character->position, &hit, &node)) {
        character->position.x += 0.01f;
        character->position.z += 0.01f;
        if (!ProbeGround(character->position, &hit, &node))
            return false;
    }
    groundNode = node;
    character->position.y = hit.y;
    return true;
}

void PATHFINDER::SetStartNode(CWorldObject* node, const CVector& position)
{
    startNode = node;
    startPosition = position;
    startCellX = startCellZ = -1;
}

void PATHFINDER::SetEndNode(CWorldObject* node, const CVector& position)
{
    endNode = node;
    endPosition = targetPosition = position;
    endCellX = endCellZ = -1;
}

bool PATHFINDER::RebuildStretch()
{
    if (!SetLocalMap(localMapNode))
        return false;
    if (!SetStart(owner ? owner->position : startPosition))
        return false;
    return SetEnd(endPosition);
}

bool PATHFINDER::Replan()
{
    if (startCellX >= 0 && endCellX >= 0)
        return FindLocalPath();
    if (!startNode || !endNode)
        return false;
    if (startPosition.x == endPosition.x && startPosition.y == endPosition.y &&
        startPosition.z == endPosition.z)
        return false;
    if (!FindGlobalPath())
        return false;
    localMapNode = startNode;
    if (!SetLocalMap(localMapNode) || !SetStart(startPosition) || !SetEnd(endPosition))
        return false;
    return FindLocalPath();
}

static void StandStill(PATHFINDER& p)
{
    p.walking = 0;
    p.arrived = 0;
    Play(p.owner, "STAND");
}

bool PATHFINDER::WalkTo(const CVector& position, CWorldObject* node)
{
    if (!enabled)
        return false;
    CVector end = position;
    if (!node) {
        CVector hit;
        if (!ProbeGround(position, &hit, &node)) {
            StandStill(*this);
            return false;
        }
    }
    targetObject = nullptr;
    SetStartNode(groundNode, owner ? owner->position : startPosition);
    SetEndNode(node, end);
    if (!Replan()) {
        StandStill(*this);
        return false;
    }
    return true;
}

bool PATHFINDER::Step(CWorldObject* object)
{
    if (!enabled || !object)
        return false;
    if (!object->GetShapeRoot()) {
        StandStill(*this);
        return false;
    }
    const CVector from = owner ? owner->position : startPosition;
    CVector bestPoint;
    CWorldObject* bestNode = nullptr;
    size_t bestCount = 0;
    float bestDistance = 0.0f;
    const CModelEntry* entry = nullptr;
    (void)entry;
    // Every attack point whose ground has a global path competes.
    CVector hit;
    CWorldObject* ground = nullptr;
    for (int pass = 0; pass < 1; ++pass) {
        CVector point;
        CWorldObject* node = nullptr;
        // The nearest one stands for all; a full comparison of the paths comes with the tasks.
        if (object->FindNearestAttackPoint(from, &point, &node, nullptr)) {
            startNode = groundNode;
            endNode = node;
            if (groundNode && FindGlobalPath()) {
                const CVector d = point - from;
                bestCount = globalWayPoints.size();
                bestDistance = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
                bestPoint = point;
                bestNode = node;
            }
        }
    }
    (void)bestCount;
    (void)bestDistance;
    door = nullptr;
    if (bestNode) {
        targetObject = nullptr;
        SetStartNode(groundNode, from);
        SetEndNode(bestNode, bestPoint);
    } else {
        if (!ProbeGround(object->position, &hit, &ground)) {
            StandStill(*this);
            return false;
        }
        targetObject = object;
        SetStartNode(groundNode, from);
        SetEndNode(ground, hit);
    }
    if (!Replan()) {
        StandStill(*this);
        return false;
    }
    return true;
}

bool PATHFINDER::GoTo(const CVector& position, CWorldObject* node)
{
    walking = arrived = 0;
    CVector hit = position;
    if (!node) {
        if (!ProbeGround(position, &hit, &node))
            return false;
    }
    groundNode = node;
    if (owner)
        owner->position = CVector(position.x, hit.y, position.z);
    return true;
}

bool PATHFINDER::Retarget()
{
    walking = arrived = 0;
    door = nullptr;
    if (!owner)
        return false;
    CVector hit;
    CWorldObject* node = nullptr;
    if (!ProbeGround(owner->position, &hit, &node))
        return false;
    SetStartNode(node, owner->position);
    if (targetObject) {
        CVector at;
        CWorldObject* targetGround = nullptr;
        if (ProbeGround(targetObject->position, &at, &targetGround))
            SetEndNode(targetGround, at);
    } else {
        SetEndNode(endNode, targetPosition);
    }
    return Replan();
}

void PATHFINDER::Stop()
{
    arrived = 0;
    if (!walking) {
        if (Plays(owner, "WALK"))
            Play(owner, "STAND");
        return;
    }
    targetObject = nullptr;
    door = nullptr;
    walking = 0;
    Play(owner, "STAND");
}

bool PATHFINDER::SettleAnimation()
{
    if (!walking && Plays(owner, "WALK"))
        Play(owner, "STAND");
    return walking != 0;
}

bool PATHFINDER::Update()
{
    if (!walking) {
        if (Plays(owner, "WALK"))
            Play(owner, "STAND");
        return false;
    }
    // The object logic keeps no animation speed yet: it counts as 0.0, i.e. 1.0.
    const float animationSpeed = 0.0f;
    const float speed = (animationSpeed == 0.0f ? 1.0f : animationSpeed) * 0.4f * speedFactor;
    CVector position = owner ? owner->position : preciseStart;
    const bool going = Walk(position, owner ? owner->angle : 0.0f, speed);
    return going;
}

bool PATHFINDER::ScanGround(const CVector& origin, const CVector& direction, CVector* hit,
                            CWorldObject** hitNode)
{
    *hit = origin + direction * 1000.0f;
    *hitNode = nullptr;
    CVector h;
    CWorldObject* n = nullptr;
    bool found = false;
    CWorldObject* grand =
        groundNode && groundNode->parent ? static_cast<CWorldObject*>(groundNode->parent->parent) : nullptr;
    if (grand && grand->GetFirstChild()) {
        found = IntersectRayWithNode(grand->FirstObject(), origin, direction, &h, &n, false);
    } else if (g_WorldRoot) {
        found = IntersectRayWithNode(g_WorldRoot, origin, direction, &h, &n, false);
    }
    for (int32_t i = 0; i < mapNodeCount; ++i) {
        CVector s;
        if (mapNodes[i] && FindNearestHitOnShape(mapNodes[i], origin, direction, &s)) {
            if (!found || HitIsBetter(origin, direction, s, h)) {
                h = s;
                n = mapNodes[i];
                found = true;
            }
        }
    }
    if (found) {
        *hit = h;
        *hitNode = n;
    }
    return found && n;
}

static int32_t Now()
{
    return GameClock.gameClock;
}

bool PATHFINDER::Walk(CVector& position, float, float speed)
{
    if (!walking)
        return false;
    const float now = float(Now()) * 0.001f;
    const bool tick = Now() % 50 == 0;
    walking = 0;
    traceDepth = 3;
    auto stop = [&]() {
        if (!tick) {
            walking = 1;
            return true;
        }
        if (Plays(owner, "WALK"))
            Play(owner, "STAND");
        walking = 0;
        return false;
    };
    float d = (now - segmentStart) * speed;
    if (doorWaitTime) {
        if (!tick) {
            walking = 1;
            return true;
        }
        bool open = false;
        (void)open;
        if (Now() < doorWaitTime) {
            walking = 1;
            return true;
        }
        doorWaitTime = 0;
        return stop();
    }
    const int32_t count = int32_t(localWayPoints.size());
    bool last = false;
    if (!tick) {
        if (d >= segmentLength)
            d = segmentLength;
    } else {
        while (d >= segmentLength) {
            d -= segmentLength;
            ++localIndex;
            segmentStart += speed > 0.0f ? segmentLength / speed : 0.0f;
            if (localIndex >= count - 1) {
                last = true;
                break;
            }
            const CVector s = localWayPoints[size_t(localIndex) + 1] - localWayPoints[size_t(localIndex)];
            segmentLength = std::sqrt(s.x * s.x + s.z * s.z);
            segmentDirection = segmentLength > 0.0f ? CVector(s.x / segmentLength, 0, s.z / segmentLength)
                                                    : CVector(0, 0, 0);
        }
    }
    if (last) {
        const CVector& end = localWayPoints.back();
        position = CVector(end.x, position.y, end.z);
        if (owner)
            owner->position = position;
        if (!final) {
            NavLog("PATHFINDER::Walk(): calculating new local path after reaching last way-point");
            CVector ahead = position;
            if (segmentLength > 0.00001f)
                ahead = ahead + segmentDirection * 0.03f;
            CVector hit;
            CWorldObject* node = nullptr;
            CVector origin, direction;
            MakeGroundProbe(&origin, &direction, ahead);
            if (ScanGround(origin, direction, &hit, &node)) {
                const int32_t at = int32_t(std::find(globalWayPoints.begin(), globalWayPoints.end(), node) -
                                           globalWayPoints.begin());
                const int32_t here =
                    int32_t(std::find(globalWayPoints.begin(), globalWayPoints.end(), localMapNode) -
                            globalWayPoints.begin());
                if (at < int32_t(globalWayPoints.size()) && at > here) {
                    NavLog("PATHFINDER::Walk(): actually reached next global way-point too");
                    localMapNode = node;
                }
            }
            if (SetLocalMap(localMapNode) && SetStart(position) && SetEnd(endPosition) && FindLocalPath())
                return true;
            return stop();
        }
        NavLog("PATHFINDER::Walk(): goal reached");
        if (!tick) {
            walking = 1;
            return true;
        }
        arrived = 1;
        enabled = 1;
        if (owner && segmentLength > 0.00001f)
            owner->angle = std::atan2(segmentDirection.x, segmentDirection.z) + 1.5707964f;
        return stop();
    }

    // Moving: the ground is looked for at the new point and a little beyond.
    const CVector base = localWayPoints[size_t(localIndex)];
    float extra = 0.0f;
    CVector taken;
    CWorldObject* node = nullptr;
    bool ok = false;
    bool tooFar = false;
    for (int scan = 0; scan < 5; ++scan, extra += 0.01f) {
        const CVector point(base.x + segmentDirection.x * (d + extra), position.y,
                            base.z + segmentDirection.z * (d + extra));
        CVector origin, direction, hit;
        MakeGroundProbe(&origin, &direction, point);
        CWorldObject* n = nullptr;
        if (ScanGround(origin, direction, &hit, &n)) {
            if (std::fabs(hit.y - position.y) <= 0.15f) {
                if (extra != 0.0f)
                    NavLog("PATHFINDER::Walk(): gap found");
                taken = CVector(base.x + segmentDirection.x * d, hit.y, base.z + segmentDirection.z * d);
                node = n;
                ok = true;
                break;
            }
            tooFar = true;
        } else {
            tooFar = false;
        }
    }
    if (!ok) {
        if (tooFar)
            NavLog("PATHFINDER::Walk(): newly scanned position too far from origin (preventing jump)");
        else
            NavLog("PATHFINDER::Walk(): failed to calculate to scan for ground at new position");
        return stop();
    }
    const CWorldObject* previous = groundNode;
    groundNode = node;
    position = taken;
    if (owner) {
        owner->position = position;
        owner->angle = std::atan2(segmentDirection.x, segmentDirection.z) + 1.5707964f;
    }
    if (tick && node != previous && node != localMapNode && node != squareNode) {
        const auto here = std::find(globalWayPoints.begin(), globalWayPoints.end(), localMapNode);
        const bool predecessor =
            here != globalWayPoints.end() && here != globalWayPoints.begin() && *(here - 1) == node;
        if (!predecessor) {
            const auto ahead =
                here == globalWayPoints.end() ? here : std::find(here + 1, globalWayPoints.end(), node);
            if (ahead != globalWayPoints.end()) {
                localMapNode = node;
                if (!final) {
                    NavLog("PATHFINDER::Walk(): calculating new local path after reaching next global-path "
                           "waypoint");
                    NavLog("PATHFINDER::Walk(): new ground node = '%s'",
                           node->GetName() ? node->GetName() : "");
                    if (!(SetLocalMap(localMapNode) && SetStart(position) && SetEnd(endPosition) &&
                          FindLocalPath()))
                        return stop();
                }
            } else {
                NavLog("PATHFINDER::Walk(): calculating completely new path after leaving global-path");
                NavLog("PATHFINDER::Walk(): new ground node = '%s'", node->GetName() ? node->GetName() : "");
                if (!Retarget())
                    return stop();
            }
        }
    }
    Play(owner, "WALK");
    walking = 1;
    return true;
}

void PATHFINDER::PlaceAt(const CVector& position)
{
    CVector hit;
    CWorldObject* node = nullptr;
    CVector p = position;
    const float current = owner ? owner->position.y : position.y;
    p.y = current;
    if (ProbeGround(position, &hit, &node)) {
        if (std::fabs(hit.y - current) < 0.2f)
            p.y = hit.y;
        groundNode = node;
    }
    if (owner)
        owner->position = p;
}

void PATHFINDER::SetRecordedPath(float startTime, const CVector* points, int32_t count)
{
    recordedStart = startTime;
    recordedPoints.assign(points, points + (count > 0 ? count : 0));
    recordedCount = count;
}

void PATHFINDER::FollowRecordedPath()
{
    if (recordedCount < 2 || int32_t(recordedPoints.size()) < 2)
        return;
    const float speed = 0.4f * speedFactor;
    const float d0 = (float(Now()) * 0.001f - recordedStart) * speed;
    CVector p = recordedPoints.front();
    if (d0 >= 0.0f) {
        float d = d0;
        p = recordedPoints.back();
        for (size_t i = 0; i + 1 < recordedPoints.size(); ++i) {
            const CVector s = recordedPoints[i + 1] - recordedPoints[i];
            const float length = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
            if (d >= length) {
                d -= length;
                continue;
            }
            p = recordedPoints[i] + (length > 0.0f ? s * (d / length) : CVector(0, 0, 0));
            break;
        }
    }
    const float current = owner ? owner->position.y : p.y;
    p.y = current;
    CVector hit;
    CWorldObject* node = nullptr;
    if (ProbeGround(p, &hit, &node)) {
        if (std::fabs(hit.y - current) < 0.1f)
            p.y = hit.y;
        groundNode = node;
    }
    if (owner)
        owner->position = p;
}

bool PATHFINDER::SetPath(CWorldObject** nodes, int32_t count, bool startGiven, const CVector& start,
                         bool endGiven, const CVector& end)
{
    if (!nodes || count <= 0)
        return false;
    for (int32_t i = 0; i < count; ++i)
        if (!nodes[i])
            return false;
    globalWayPoints.assign(nodes, nodes + count);
    globalIndex = 0;
    walking = 0;
    CVector s = start, e = end;
    if (!startGiven) {
        if (!RandomPointInWayPointMap(0, &s))
            return false;
        if (owner)
            owner->position = s;
    }
    if (!endGiven && !RandomPointInWayPointMap(count - 1, &e))
        return false;
    startPosition = s;
    endPosition = targetPosition = e;
    startNode = nodes[0];
    endNode = nodes[count - 1];
    localMapNode = startNode;
    return SetLocalMap(localMapNode) && SetStart(s) && SetEnd(e) && FindLocalPath();
}
