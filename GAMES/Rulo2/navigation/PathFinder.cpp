// The path finder's life cycle, planning entry points and walking.
#include "GAMES/Rulo2/navigation/PathFinder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/editor/GroundProbe.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/PathFinderLog.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "platform/win/Window.h"

std::vector<CWorldObject*> CarList;
std::vector<SDoorRequest> DoorRequests;
void (*ShowTextBubbleHook)(CWorldObject* character, const char* text) = nullptr;

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

bool PATHFINDER::ProbeGround(const CVector& point, CVector* hit, CWorldObject** node)
{
    CVector origin, direction;
    MakeGroundProbe(&origin, &direction, point);
    CVector h;
    CWorldObject* n = nullptr;
    if (!g_WorldRoot || !IntersectRayWithNode(g_WorldRoot, origin, direction, &h, &n, false) || !n)
        return false;
    CVector refined;
    if (IntersectRayWithNodeList(n, origin, direction, &refined, ObjectMatrix(n)))
        h = refined;
    *hit = h;
    *node = n;
    return true;
}

static bool Recording(const CWorldObject* owner, bool orContinue)
{
    const CObjectLogic* logic = owner ? owner->objectLogic : nullptr;
    return logic && logic->recordable &&
           (RecordState == RECORD_RECORD || (orContinue && RecordState == RECORD_CONTINUE));
}

static int32_t Now()
{
    return GameClock.gameClock;
}

static void CopyPosition(const CVector& from, float* to)
{
    to[0] = from.x;
    to[1] = from.y;
    to[2] = from.z;
}

void PATHFINDER::RecordStop()
{
    if (recordedPathEvent < 0 || !owner)
        return;
    auto e = std::make_unique<CRecordEvent>(EVENT_WALK_STOP, owner->objectLogic);
    e->words[2] = recordedPathEvent;
    CopyPosition(owner->position, e->position);
    RecordingList.Append(std::move(e));
    recordedPathEvent = -1;
    recordedCount = 0;
}

void PATHFINDER::RecordPath()
{
    if (!Recording(owner, true))
        return;
    RecordStop();
    recordedStart = walkStartTime;
    recordedPoints = localWayPoints;
    recordedCount = int32_t(localWayPoints.size());
    auto e = std::make_unique<CRecordEvent>(EVENT_WALK_START, owner->objectLogic);
    e->words[0] = FloatBits(recordedStart);
    e->points = localWayPoints;
    recordedPathEvent = RecordingList.Append(std::move(e));
}

void PATHFINDER::RecordPlacement(const CVector& to, const CVector& from)
{
    auto e = std::make_unique<CRecordEvent>(EVENT_JUMP, owner ? owner->objectLogic : nullptr);
    CopyPosition(to, e->position);
    CopyPosition(from, e->position + 3);
    RecordingList.Append(std::move(e));
}

void PATHFINDER::SetHeading(float angle)
{
    if (owner)
        SetRecordedFloat(owner, angle);
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
    if (object->objectKind != CWorldObject::KIND_MODEL && object->objectKind != CWorldObject::KIND_OBJECT) {
        StandStill(*this);
        return false;
    }
    const CVector from = owner ? owner->position : startPosition;
    // Every attack point with ground under it competes: the fewest global
    // way-points win, then the point nearer to the character.
    CVector bestPoint;
    CWorldObject* bestNode = nullptr;
    size_t bestCount = 0;
    float bestDistance = 0.0f;
    for (const CVector& point : AttackPointsOf(object, true)) {
        CVector hit;
        CWorldObject* node = nullptr;
        if (!groundNode || !ProbeGround(point, &hit, &node))
            continue;
        startNode = groundNode;
        endNode = node;
        if (!FindGlobalPath())
            continue;
        const CVector d = point - from;
        const float distance = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        const size_t count = globalWayPoints.size();
        if (bestNode && (count > bestCount || (count == bestCount && !(distance < bestDistance))))
            continue;
        bestCount = count;
        bestDistance = distance;
        bestPoint = point;
        bestNode = node;
    }
    if (bestNode) {
        targetObject = nullptr;
        door = nullptr;
        SetStartNode(groundNode, from);
        SetEndNode(bestNode, bestPoint);
    } else {
        CVector hit;
        CWorldObject* ground = nullptr;
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
    if (Recording(owner, false))
        RecordStop();
    walking = arrived = 0;
    CVector hit = position;
    if (!node) {
        if (!ProbeGround(position, &hit, &node))
            return false;
    } else {
        CVector origin, direction, refined;
        MakeGroundProbe(&origin, &direction, position);
        if (IntersectRayWithNodeList(node, origin, direction, &refined, ObjectMatrix(node)))
            hit = refined;
    }
    groundNode = node;
    if (owner) {
        const CVector to(position.x, hit.y, position.z);
        if (Recording(owner, false))
            RecordPlacement(to, owner->position);
        owner->position = to;
    }
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
    CVector at;
    CWorldObject* targetGround = nullptr;
    if (targetObject && ProbeGround(targetObject->position, &at, &targetGround))
        SetEndNode(targetGround, at);
    else
        SetEndNode(endNode, targetPosition);
    return Replan();
}

void PATHFINDER::Stop()
{
    arrived = 0;
    if (!walking) {
        if (Plays(owner, "WALK"))
            Play(owner, "STAND");
    } else {
        targetObject = nullptr;
        door = nullptr;
        walking = 0;
        Play(owner, "STAND");
    }
    if (Recording(owner, false))
        RecordStop();
}

bool PATHFINDER::SettleAnimation()
{
    if (!walking && Plays(owner, "WALK"))
        Play(owner, "STAND");
    return walking != 0;
}

// The walking speed: the animation's speed (0.0 counting as 1.0) x 0.4 x the factor.
static float WalkSpeed(const PATHFINDER& p)
{
    const CObjectLogic* logic = p.owner ? p.owner->objectLogic : nullptr;
    const float animation = logic && logic->animation ? float(logic->animation->animSpeed) * 0.01f : 0.0f;
    return (animation == 0.0f ? 1.0f : animation) * 0.4f * p.speedFactor;
}

bool PATHFINDER::Update()
{
    if (!walking) {
        if (Plays(owner, "WALK"))
            Play(owner, "STAND");
        return false;
    }
    CVector position = owner ? owner->position : preciseStart;
    return Walk(position, owner ? owner->angle : 0.0f, WalkSpeed(*this));
}

static bool TestSubtree(CWorldObject* node, const CVector& origin, const CVector& direction, CVector* hit,
                        CWorldObject** hitNode)
{
    return node && node->GetFirstChild() &&
           IntersectRayWithNode(node->FirstObject(), origin, direction, hit, hitNode, false) && *hitNode;
}

bool PATHFINDER::ScanGround(const CVector& origin, const CVector& direction, CVector* hit,
                            CWorldObject** hitNode)
{
    *hit = origin + direction * 1000.0f;
    *hitNode = nullptr;
    CVector h;
    CWorldObject* n = nullptr;
    bool found = false;
    // The shapes of the local-map nodes: the highest hit below the probe, so
    // that a floor under a staircase does not win over the stairs.
    auto mapNodesScan = [&]() {
        for (int32_t i = 0; i < mapNodeCount; ++i) {
            CVector s;
            if (mapNodes[i] && FindNearestHitOnShape(mapNodes[i], origin, direction, &s) &&
                (!found || HitIsBetter(origin, direction, s, h))) {
                h = s;
                n = mapNodes[i];
                found = true;
            }
        }
    };
    auto parentsScan = [&]() {
        for (CNode* p = groundNode ? groundNode->parent : nullptr; p && !found; p = p->parent)
            found = TestSubtree(static_cast<CWorldObject*>(p), origin, direction, &h, &n);
    };
    if (GamePhase != PHASE_REALTIME) {
        CNode* parent = groundNode ? groundNode->parent : nullptr;
        auto* grand = parent ? static_cast<CWorldObject*>(parent->parent) : nullptr;
        if (grand)
            found = TestSubtree(grand, origin, direction, &h, &n);
        else if (g_WorldRoot)
            found = IntersectRayWithNode(g_WorldRoot, origin, direction, &h, &n, false) && n;
        mapNodesScan();
    } else {
        if (scanParentsFirst)
            parentsScan();
        mapNodesScan();
        if (!found && !scanParentsFirst)
            parentsScan();
        if (!found && !groundNode && g_WorldRoot)
            found = IntersectRayWithNode(g_WorldRoot, origin, direction, &h, &n, false) && n;
    }
    if (!found || !n)
        return false;
    CVector refined;
    if (IntersectRayWithNodeList(n, origin, direction, &refined, ObjectMatrix(n)))
        h = refined;
    *hit = h;
    *hitNode = n;
    return true;
}

bool PATHFINDER::EndWalk(bool tick)
{
    if (!tick) {
        walking = 1;
        return true;
    }
    if (Recording(owner, false))
        RecordStop();
    if (Plays(owner, "WALK"))
        Play(owner, "STAND");
    walking = 0;
    return false;
}

void PATHFINDER::RequestDoor()
{
    DoorRequests.push_back({0, owner, door});
}

bool PATHFINDER::PassOpenedDoor(bool tick)
{
    doorWaitTime = 0;
    bool open = false, locked = false;
    DoorState(door, &open, &locked);
    if (!SkipLockTest && locked && IsGangMember(owner)) {
        if (ShowTextBubbleHook)
            ShowTextBubbleHook(owner, GetDisplayText("CHAR_DOOROPENBUTLOCKED"));
        return EndWalk(tick);
    }
    if (Retarget())
        return true;
    return EndWalk(tick);
}

bool PATHFINDER::PlanNextStretch(const CVector& from)
{
    return SetLocalMap(localMapNode) && SetStart(from) && SetEnd(endPosition) && FindLocalPath();
}

// Where a node stands on the global path after the local-map node (-1: not ahead).
static int32_t AheadOnPath(const PATHFINDER& p, const CWorldObject* node)
{
    const auto& w = p.globalWayPoints;
    const auto here = std::find(w.begin(), w.end(), p.localMapNode);
    if (here == w.end())
        return -1;
    const auto at = std::find(here + 1, w.end(), node);
    return at == w.end() ? -1 : int32_t(at - w.begin());
}

// The light barriers whose test box the step from `from` to `to` enters: one
// request of kind 12 for each, naming the barrier.
static void CrossLightBarriers(CWorldObject* walker, const CVector& from, const CVector& to)
{
    for (const SLightBarrier& barrier : LightBarrierList) {
        const CWorldObject* b = barrier.node;
        if (!b || !walker)
            continue;
        const bool testBox = b->boundsBMin.x <= b->boundsBMax.x && b->boundsBMin.z <= b->boundsBMax.z;
        const CVector lo = testBox ? b->boundsBMin : b->boundsAMin;
        const CVector hi = testBox ? b->boundsBMax : b->boundsAMax;
        if (lo.x > hi.x || lo.z > hi.z || to.y < lo.y - 0.25f || to.y > hi.y)
            continue;
        auto inside = [&](const CVector& p) {
            return p.x >= lo.x && p.x <= hi.x && p.z >= lo.z && p.z <= hi.z;
        };
        if (inside(from))
            continue;
        // Clip the step against the box in x and z (slab test), so a step over a thin box counts.
        float t0 = 0.0f, t1 = 1.0f;
        const float d[2] = {to.x - from.x, to.z - from.z};
        const float o[2] = {from.x, from.z};
        const float mins[2] = {lo.x, lo.z}, maxs[2] = {hi.x, hi.z};
        bool hit = true;
        for (int axis = 0; axis < 2 && hit; ++axis) {
            if (d[axis] == 0.0f) {
                hit = o[axis] >= mins[axis] && o[axis] <= maxs[axis];
                continue;
            }
            float a = (mins[axis] - o[axis]) / d[axis], c = (maxs[axis] - o[axis]) / d[axis];
            if (a > c)
                std::swap(a, c);
            t0 = std::max(t0, a);
            t1 = std::min(t1, c);
            hit = t0 <= t1;
        }
        if (!hit)
            continue;
        CActionEntry request;
        request.action = 12;
        request.source = walker;
        request.target = barrier.node;
        PushRequest(request);
    }
}

bool PATHFINDER::Walk(CVector& position, float orientation, float speed)
{
    (void)orientation;
    if (!walking)
        return false;
    const int32_t clock = Now();
    const float now = float(clock) * 0.001f;
    const bool tick = clock % 50 == 0;
    walking = 0;
    traceDepth = 3;
    float d = (now - segmentStart) * speed;

    if (doorWaitTime) {
        if (!tick) {
            walking = 1;
            return true;
        }
        bool open = false, locked = false;
        DoorState(door, &open, &locked);
        if (open)
            return PassOpenedDoor(tick);
        if (clock <= doorWaitTime) {
            walking = 1;
            return true;
        }
        doorWaitTime = 0;
        if (GamePhase == PHASE_BURGLARY && IsGangMember(owner)) {
            RequestDoor();
            doorWaitTime = clock + 2000;
            walking = 1;
            return true;
        }
        return EndWalk(tick);
    }

    const int32_t count = int32_t(localWayPoints.size());
    bool last = localIndex >= count - 1;
    if (!last && d >= segmentLength) {
        if (!tick) {
            d = segmentLength;
        } else {
            while (d >= segmentLength) {
                d -= segmentLength;
                ++localIndex;
                if (speed > 0.0f)
                    segmentStart += segmentLength / speed;
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
            CVector origin, direction, hit;
            CWorldObject* node = nullptr;
            MakeGroundProbe(&origin, &direction, ahead);
            if (ScanGround(origin, direction, &hit, &node) && AheadOnPath(*this, node) >= 0) {
                NavLog("PATHFINDER::Walk(): actually reached next global way-point too");
                localMapNode = node;
            }
            if (!PlanNextStretch(ahead))
                return EndWalk(tick);
            // The new stretch begins now: walk on along it in this frame.
            return Walk(position, orientation, speed);
        }
        if (door && owner && door->IsCharacterAtAttackPoint(owner)) {
            bool open = false, locked = false;
            DoorState(door, &open, &locked);
            if (open)
                return PassOpenedDoor(tick);
            RequestDoor();
            if (Recording(owner, false))
                RecordStop();
            Play(owner, "STAND");
            doorWaitTime = clock + 2000;
            walking = 1;
            return true;
        }
        if (!tick) {
            walking = 1;
            return true;
        }
        NavLog("PATHFINDER::Walk(): goal reached");
        arrived = 1;
        enabled = 1;
        if (segmentLength > 0.00001f)
            SetHeading(std::atan2(segmentDirection.x, segmentDirection.z) + 1.5707964f);
        return EndWalk(tick);
    }

    // Moving: the ground is looked for at the new point and a little beyond it.
    const CVector base = localWayPoints[size_t(localIndex)];
    CVector taken;
    CWorldObject* node = nullptr;
    bool ok = false, tooFar = false;
    int32_t scan = 0;
    for (float extra = 0.0f; scan < 5; ++scan, extra = 0.01f * float(scan)) {
        const CVector point(base.x + segmentDirection.x * (d + extra), position.y,
                            base.z + segmentDirection.z * (d + extra));
        CVector origin, direction, hit;
        MakeGroundProbe(&origin, &direction, point);
        CWorldObject* n = nullptr;
        if (!ScanGround(origin, direction, &hit, &n)) {
            tooFar = false;
            continue;
        }
        if (std::fabs(hit.y - position.y) > 0.15f) {
            tooFar = true;
            continue;
        }
        if (extra != 0.0f)
            NavLog("PATHFINDER::Walk(): gap found");
        taken = CVector(base.x + segmentDirection.x * d, hit.y, base.z + segmentDirection.z * d);
        node = n;
        ok = true;
        break;
    }
    if (!ok) {
        if (tooFar)
            NavLog("PATHFINDER::Walk(): newly scanned position too far from origin (preventing jump)");
        else
            NavLog("PATHFINDER::Walk(): failed to calculate to scan for ground at new position");
        return EndWalk(tick);
    }
    lastScanCount = scan + 1;
    const CWorldObject* previous = groundNode;
    groundNode = node;
    if (!LightBarrierList.empty())
        CrossLightBarriers(owner, position, taken);
    position = taken;
    if (owner)
        owner->position = position;
    SetHeading(std::atan2(segmentDirection.x, segmentDirection.z) + 1.5707964f);
    if (tick && node != previous && node != localMapNode && node != squareNode) {
        const auto& w = globalWayPoints;
        const auto here = std::find(w.begin(), w.end(), localMapNode);
        const bool predecessor = here != w.end() && here != w.begin() && *(here - 1) == node;
        if (!predecessor) {
            if (AheadOnPath(*this, node) >= 0) {
                localMapNode = node;
                if (!final) {
                    NavLog("PATHFINDER::Walk(): calculating new local path after reaching next global-path "
                           "waypoint");
                    NavLog("PATHFINDER::Walk(): new ground node = '%s'",
                           node->GetName() ? node->GetName() : "");
                    if (!PlanNextStretch(position))
                        return EndWalk(tick);
                }
            } else {
                NavLog("PATHFINDER::Walk(): calculating completely new path after leaving global-path");
                NavLog("PATHFINDER::Walk(): new ground node = '%s'", node->GetName() ? node->GetName() : "");
                if (!Retarget())
                    return EndWalk(tick);
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
    const float d0 = (float(Now()) * 0.001f - recordedStart) * WalkSpeed(*this);
    CVector p = recordedPoints.front();
    if (d0 >= 0.0f) {
        float d = d0;
        p = recordedPoints.back();
        for (size_t i = 0; i + 1 < recordedPoints.size(); ++i) {
            const CVector s = recordedPoints[i + 1] - recordedPoints[i];
            const float length = std::sqrt(s.x * s.x + s.z * s.z);
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
