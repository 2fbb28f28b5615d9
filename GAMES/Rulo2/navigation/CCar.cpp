// Cars: binding to the model, planning over the street pieces' lanes, driving
// with its stops, ground alignment and engine sound.
#include "GAMES/Rulo2/navigation/CCar.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/navigation/DynamicCharacters.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/navigation/StreetPieces.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "LIBS/System/LogPrintf.h"

std::vector<CCar*> CarRegistry;
std::vector<CarSound*> CarSoundRegistry;
uint8_t CarTestSkipsHero = 0;

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;

int32_t Now()
{
    return GameClock.gameClock;
}

bool Shown(const CWorldObject* node)
{
    return node && GetVisibility(node) != 0;
}

float Distance(const CVector& a, const CVector& b)
{
    return (a - b).length();
}

float HorizontalDistance(const CVector& a, const CVector& b)
{
    const float dx = a.x - b.x, dz = a.z - b.z;
    return std::sqrt(dx * dx + dz * dz);
}

// The ground under a point, probed from 0.2 above it.
bool GroundBelow(const CVector& point, CVector* hit, CWorldObject** node)
{
    return PATHFINDER::ProbeGround(point + CVector(0, 0.2f, 0), hit, node);
}

CVector BoxCentre(const CWorldObject* node)
{
    if (node->boundsAMin.x <= node->boundsAMax.x)
        return (node->boundsAMin + node->boundsAMax) * 0.5f;
    return node->position;
}

// The parameter of `p` projected on the segment, and the closest point on it.
float Projection(const CVector& p, const CVector& s0, const CVector& s1, CVector* closest)
{
    const CVector d = s1 - s0;
    const float l2 = CVector::dot(d, d);
    const float t = l2 > 0.0f ? CVector::dot(p - s0, d) / l2 : 0.0f;
    *closest = s0 + d * std::clamp(t, 0.0f, 1.0f);
    return t;
}

// The segment of a point list that `p` lies alongside best: projection
// parameter nearest 0.5, the first such segment on ties.
int32_t BestSegment(const std::vector<CVector>& points, const CVector& p, CVector* closest)
{
    int32_t best = -1;
    float bestMiss = FLT_MAX;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        CVector c(0, 0, 0);
        const float miss = std::fabs(Projection(p, points[i], points[i + 1], &c) - 0.5f);
        if (miss < bestMiss) {
            bestMiss = miss;
            best = int32_t(i);
            *closest = c;
        }
    }
    return best;
}

std::vector<CVector> Placed(const std::vector<CVector>& points, const CVector& centre, float yaw)
{
    std::vector<CVector> out;
    out.reserve(points.size());
    for (const CVector& p : points)
        out.push_back(RotateLanePoint(p, yaw) + centre);
    return out;
}

int32_t PieceKindOf(CWorldObject* node)
{
    const int32_t kind = StreetPieceOf(node);
    if (kind < 0)
        LogPrintf("illegal groundmodel: %s", node && node->GetRefName() ? node->GetRefName() : "");
    return kind;
}

// Height of a model node's own geometry (the node and its subtree).
float NodeHeight(CModelNode* node)
{
    CVector mn(FLT_MAX, FLT_MAX, FLT_MAX), mx(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    CNode* after = node->next;
    node->next = nullptr;
    node->ExtendBounds(CMatrix::Identity, mn, mx);
    node->next = after;
    return mx.y >= mn.y ? mx.y - mn.y : 0.0f;
}

CMatrix* LocalMatrixOf(CModelNode* node)
{
    auto* frame = dynamic_cast<CFrameNode*>(node);
    return frame ? &frame->localMatrix : nullptr;
}

float DistanceToLine(const CVector& p, const CVector& a, const CVector& b)
{
    const float dx = b.x - a.x, dz = b.z - a.z;
    const float l = std::sqrt(dx * dx + dz * dz);
    if (l <= 1e-20f)
        return HorizontalDistance(p, a);
    return std::fabs((p.x - a.x) * dz - (p.z - a.z) * dx) / l;
}

} // namespace

float YawOfDirection(float dx, float dz)
{
    return std::atan2(dx, dz);
}

float SignedAngle(float from, float to)
{
    float d = std::fmod(to - from, 2 * kPi);
    if (d > kPi)
        d -= 2 * kPi;
    else if (d <= -kPi)
        d += 2 * kPi;
    return d;
}

CCar::CCar()
{
    listIndex = int32_t(CarRegistry.size());
    CarRegistry.push_back(this);
    sound = new CarSound;
    sound->car = this;
    CarSoundRegistry.push_back(sound);
}

CCar::~CCar()
{
    Unbind();
    if (listIndex >= 0 && size_t(listIndex) < CarRegistry.size()) {
        const size_t last = CarRegistry.size() - 1;
        CarRegistry.back()->listIndex = listIndex;
        CarRegistry[size_t(listIndex)] = CarRegistry[last];
        CarSoundRegistry[size_t(listIndex)] = CarSoundRegistry[last];
        CarRegistry.pop_back();
        CarSoundRegistry.pop_back();
    }
    listIndex = -1;
    wayPoints.clear();
    if (sound && sound->handle >= 0 && SoundManager)
        SoundManager->stop(sound->handle);
    delete sound;
}

int32_t CCar::BindModel(CObjectLogic* object, const CVector& target, bool planNow)
{
    carNode = object ? object->worldNode : nullptr;
    const char* carName = carNode && carNode->GetName() ? carNode->GetName() : "";
    modelRoot = carNode ? carNode->GetShapeRoot() : nullptr;
    const char* rootName = modelRoot && modelRoot->GetName() ? modelRoot->GetName() : "";
    if (!modelRoot) {
        LogPrintf("car %s: %s: modelroot not found", carName, rootName);
        return 0;
    }
    struct Wanted
    {
        ECarNode slot;
        const char* name;
        const char* missing; // null: optional
    };
    static const Wanted wanted[] = {
        {CAR_FRONT_LEFT, "vrl", "front left wheel not found"},
        {CAR_FRONT_RIGHT, "vrr", "front right wheel not found"},
        {CAR_REAR_LEFT, "hrl", "rear left wheel not found"},
        {CAR_REAR_LEFT2, "hrl2", nullptr},
        {CAR_REAR_RIGHT, "hrr", "rear right wheel not found"},
        {CAR_REAR_RIGHT2, "hrr2", nullptr},
        {CAR_CHASSIS, "ch", "chassis not found"},
        {CAR_BODY, "car", "car-node not found"},
    };
    for (const Wanted& w : wanted) {
        CNode* first = modelRoot->GetFirstChild();
        auto* node = first ? dynamic_cast<CModelNode*>(first->FindByName(w.name)) : nullptr;
        nodes[w.slot] = node;
        if (!node) {
            if (w.missing) {
                LogPrintf("car %s: %s: %s", carName, rootName, w.missing);
                return 0;
            }
            continue;
        }
        if (const CMatrix* m = LocalMatrixOf(node))
            savedMatrices[w.slot] = *m;
        if (w.slot == CAR_FRONT_LEFT) {
            wheelSize = NodeHeight(node);
            wheelCircumference = wheelSize * kPi;
            lookAhead = modelRoot->boundsRadius;
        }
    }
    state = 3;
    speed = 0.0f;
    const CKindData* data = object->EffectiveKindData();
    if (data && data->kind == KIND_CAR && data->ValueCount() > 2) {
        maxSpeed = WordAsFloat(data->Values()[1]);
        acceleration = WordAsFloat(data->Values()[2]);
    }
    if (!pathFinder) {
        pathFinder = std::make_unique<PATHFINDER>();
        pathFinder->Init(carNode);
    }
    CVector ground = carNode->position;
    CWorldObject* groundNode = nullptr;
    GroundBelow(carNode->position, &ground, &groundNode);
    heading = carNode->angle;
    lastTime = startTime = Now();
    startTimePlus1000 = startTime + 1000;
    wayPointIndex = 0;
    travelled = 0.0f;
    state = 0;
    if (carNode->boundsAMin.x > carNode->boundsAMax.x)
        CWorldObject::CalculateBoundingBoxes(carNode);
    halfHeight = carNode->boundsAMax.y >= carNode->boundsAMin.y
                     ? (carNode->boundsAMax.y - carNode->boundsAMin.y) / 2.0f
                     : 0.0f;
    position = ground + CVector(0, halfHeight * 0.9f, 0);
    // The node is placed from the ground under the wheels until a drive aligns it.
    groundHeights[4] = ground.y + wheelSize;
    SetForwardLine(position, heading - kHalfPi);
    isBound = 1;
    if (planNow)
        PlanPath(target, 0, true);
    return 1;
}

// Until the car moves, its forward line runs from where it stands the way it faces.
void CCar::SetForwardLine(const CVector& at, float facing)
{
    lastPosition = at;
    forwardFrom = at;
    forwardTo = at + CVector(std::sin(facing), 0, std::cos(facing)) * 0.25f;
}

void CCar::Unbind()
{
    if (!isBound)
        return;
    pathFinder.reset();
    wayPoints.clear();
    for (int i = 0; i < kCarNodes; ++i)
        if (nodes[i])
            if (CMatrix* m = LocalMatrixOf(nodes[i]))
                *m = savedMatrices[i];
    if (modelRoot)
        modelRoot->worldMatricesValid = 0;
    isBound = 0;
}

void CCar::SetBraking(bool on)
{
    braking = on ? 1 : 0;
    brakeLoss = 1.0f;
    brakeTime = Now();
    brakeStartSpeed = speed;
}

void CollectStandingCars(std::vector<CWorldObject*>& list)
{
    list.clear();
    for (CCar* car : CarRegistry)
        if (car->speed < 1e-20f && car->carNode)
            list.push_back(car->carNode);
}

// ---------------------------------------------------------------- planning

int32_t CCar::ChooseLane(const CVector& a, const CVector& b, const CVector& centre, float pieceYaw,
                         int32_t mode, CVector* nearestPoint, int32_t* nearestIndex)
{
    if (mode < 0 || mode > 2) {
        LogPrintf("wrong calcmode");
        return -1;
    }
    if (pieceKind < 0 || pieceKind >= StreetPieceCount) {
        LogPrintf("wrong groundmodl index");
        return -1;
    }
    const StreetPiece& piece = StreetPieceTable[pieceKind];
    int32_t best = -1;
    float bestScore = FLT_MAX;
    CVector bestPoint(0, 0, 0);
    int32_t bestIndex = 0;
    for (size_t l = 0; l < piece.lanes.size(); ++l) {
        const std::vector<CVector> lane = Placed(piece.lanes[l], centre, pieceYaw);
        if (lane.size() < 2)
            continue;
        float score;
        CVector point(0, 0, 0);
        int32_t index = 0;
        if (mode == 2) {
            score = Distance(lane.front(), a) + Distance(lane.back(), b);
        } else {
            const CVector& beside = mode == 0 ? a : b;
            const int32_t segment = BestSegment(lane, beside, &point);
            index = segment + 1;
            score =
                Distance(point, beside) + (mode == 0 ? Distance(lane.back(), b) : Distance(lane.front(), a));
        }
        if (score < bestScore) {
            bestScore = score;
            best = int32_t(l);
            bestPoint = point;
            bestIndex = index;
        }
    }
    if (best >= 0 && mode != 2) {
        if (nearestPoint)
            *nearestPoint = bestPoint;
        if (nearestIndex)
            *nearestIndex = bestIndex;
    }
    return best;
}

bool CCar::PlanPath(const CVector& target, int32_t, bool)
{
    if (!isBound || !pathFinder)
        return false;
    CVector endHit(0, 0, 0), startHit(0, 0, 0);
    CWorldObject *endPiece = nullptr, *startPiece = nullptr;
    if (!GroundBelow(target, &endHit, &endPiece)) {
        LogPrintf("can't find endnode intersection");
        return false;
    }
    if (!GroundBelow(position, &startHit, &startPiece)) {
        LogPrintf("can't find startnode intersection");
        return false;
    }
    position = startHit;
    heading = carNode->angle - kHalfPi;
    pathFinder->SetStartNode(startPiece, startHit);
    pathFinder->SetEndNode(endPiece, BoxCentre(endPiece));
    if (!pathFinder->FindCarPath()) {
        LogPrintf("can't find carpath");
        carNode->position = BoxCentre(endPiece);
        return false;
    }
    pathNodes = pathFinder->globalWayPoints;
    if (pathNodes.size() < 2) {
        LogPrintf("only 1 nodes in carpath");
        return false;
    }
    wayPoints.clear();
    const CVector endCentre = BoxCentre(endPiece);
    for (size_t i = 0; i < pathNodes.size(); ++i) {
        CWorldObject* piece = pathNodes[i];
        pieceKind = PieceKindOf(piece);
        pieceModel = piece->objectKind == CWorldObject::KIND_MODEL ? piece->reference : nullptr;
        if (i == 0 || pieceKind < 0)
            continue;
        const bool last = i + 1 == pathNodes.size();
        CVector nearest(0, 0, 0);
        int32_t nearestIndex = 0;
        const int32_t lane = last ? ChooseLane(pathNodes[i - 1]->position, endCentre, piece->position,
                                               piece->angle, 1, &nearest, &nearestIndex)
                                  : ChooseLane(pathNodes[i - 1]->position, pathNodes[i + 1]->position,
                                               piece->position, piece->angle, 2, nullptr, nullptr);
        if (lane < 0)
            continue;
        const StreetPiece& record = StreetPieceTable[pieceKind];
        const std::vector<CVector>& points = record.lanes[size_t(lane)];
        auto add = [&](const CVector& p) {
            CarWayPoint w;
            w.position = p;
            w.isJunction = record.isJunction;
            w.piece = piece;
            w.pieceIndex = int32_t(i);
            wayPoints.push_back(w);
        };
        const size_t count = last ? size_t(nearestIndex) : points.size();
        for (size_t k = 0; k < count && k < points.size(); ++k)
            add(RotateLanePoint(points[k], piece->angle) + piece->position);
        if (last)
            add(nearest);
    }
    if (wayPoints.size() < 2) {
        isDriving = 0;
        return false;
    }
    AddStartManoeuvre();
    MeasurePath();
    lastTime = startTime = Now();
    startTimePlus1000 = startTime + 1000;
    wayPointIndex = 0;
    travelled = 0.0f;
    state = 0;
    isDriving = 1;
    SetForwardLine(position, heading);
    return true;
}

// From the car's position and heading onto the first lane way-point: a turn on
// a 0.25 arc first when the lane leads the other way, then a sideways blend.
void CCar::AddStartManoeuvre()
{
    const CVector first = wayPoints[0].position;
    const CVector second = wayPoints[1].position;
    float laneYaw = YawOfDirection(second.x - first.x, second.z - first.z);
    std::vector<CarWayPoint> lead;
    CVector at = position;
    float h = heading;
    const float turn = SignedAngle(h, laneYaw);
    if (std::fabs(turn) > kHalfPi) {
        const float step = turn / 19.0f;
        for (int k = 0; k < 19; ++k) {
            h += step;
            at = at + CVector(std::sin(h), 0, std::cos(h)) * (0.25f * std::fabs(step));
            CarWayPoint w;
            w.position = at;
            lead.push_back(w);
        }
    }
    const CVector dir(std::sin(laneYaw), 0, std::cos(laneYaw));
    const CVector offset = first - at;
    const float along = CVector::dot(offset, dir);
    const CVector lateral = offset - dir * along;
    for (int k = 1; k <= 20; ++k) {
        CarWayPoint w;
        w.position = at + dir * (along * float(k) / 21.0f) + lateral * std::sin(float(k) * kPi / 37.0f);
        w.position.y = at.y + (first.y - at.y) * float(k) / 21.0f;
        lead.push_back(w);
    }
    wayPoints.insert(wayPoints.begin(), lead.begin(), lead.end());
}

void CCar::MeasurePath()
{
    if (wayPoints.empty())
        return;
    pathLength = Distance(position, wayPoints[0].position);
    for (size_t i = 0; i + 1 < wayPoints.size(); ++i)
        pathLength += Distance(wayPoints[i].position, wayPoints[i + 1].position);
    float previous = 0.0f;
    bool havePrevious = false;
    for (size_t i = 0; i + 1 < wayPoints.size(); ++i) {
        const CVector d = wayPoints[i + 1].position - wayPoints[i].position;
        float y = previous;
        if (std::sqrt(d.x * d.x + d.z * d.z) > 1e-20f)
            y = YawOfDirection(d.x, d.z);
        if (!havePrevious) {
            previous = y;
            havePrevious = true;
        }
        wayPoints[i].yaw = y;
        wayPoints[i].turn = SignedAngle(previous, y);
        previous = y;
    }
    if (wayPoints.size() >= 2) {
        CarWayPoint& last = wayPoints.back();
        const CarWayPoint& before = wayPoints[wayPoints.size() - 2];
        last.turn = before.turn;
        last.yaw = before.yaw;
        last.spare = before.spare;
    }
    yaw = wayPoints[0].yaw;
}

void CCar::JoinRoad()
{
    wayPoints.clear();
    state = 1;
    CVector hit(0, 0, 0);
    CWorldObject* piece = nullptr;
    if (!GroundBelow(position, &hit, &piece)) {
        state = 3;
        return;
    }
    pieceKind = PieceKindOf(piece);
    if (pieceKind < 0 || StreetPieceTable[pieceKind].sideLines.empty()) {
        state = 3;
        return;
    }
    float bestDistance = FLT_MAX;
    CVector bestPoint(0, 0, 0), bestDirection(0, 0, 0);
    for (const auto& line : StreetPieceTable[pieceKind].sideLines) {
        const std::vector<CVector> placed = Placed(line, piece->position, piece->angle);
        CVector closest(0, 0, 0);
        const int32_t segment = BestSegment(placed, position, &closest);
        if (segment < 0)
            continue;
        const float d = Distance(closest, position);
        if (d < bestDistance) {
            bestDistance = d;
            bestPoint = closest;
            bestDirection = placed[size_t(segment) + 1] - placed[size_t(segment)];
        }
    }
    if (bestDistance == FLT_MAX) {
        state = 3;
        return;
    }
    bestDirection.normalize();
    bestDirection = bestDirection * 0.2f;
    for (int k = 0; k < 20; ++k) {
        CarWayPoint w;
        const float blend = (1.0f - std::cos(float(k) * 0.16981582f)) * 0.5f;
        w.position = position + bestDirection * (float(k) * 0.05f) + (bestPoint - position) * blend;
        wayPoints.push_back(w);
    }
    MeasurePath();
}

// ---------------------------------------------------------------- driving

void CCar::ArriveAtEnd()
{
    speed = 0.0f;
    if (state != 0) {
        arrived = 1;
        state = 3;
    }
}

void CCar::PlaceNode()
{
    carNode->position = position;
    if (Shown(carNode) || forceUpdate)
        carNode->position.y = groundHeights[4] + halfHeight * 0.9f - wheelSize;
}

bool CCar::Drive(CWorldObject*)
{
    if (!pathFinder || !isDriving)
        return false;
    if (size_t(wayPointIndex) >= wayPoints.size()) {
        ArriveAtEnd();
        return true;
    }
    const int32_t now = Now();
    const int32_t dt = now - lastTime;
    lastTime = now;
    if (speed == 0.0f && acceleration == 0.0f)
        return true;
    if (!IsBlocked())
        speed = std::min(speed + float(dt) / 1000.0f * acceleration, maxSpeed);
    if (slowAtEnd) {
        const float rest = pathLength - travelled;
        if (rest < 0.25f) {
            const float v = rest * maxSpeed * 4.0f;
            if (v < speed)
                speed = std::max(v, 0.1f);
        }
    }
    if (braking) {
        brakeLoss = float(now - brakeTime) / 500.0f;
        brakeTime = now;
        speed -= brakeLoss;
        if (speed <= 0.0f)
            speed = 0.0f;
    }
    if (speed == 0.0f) {
        lastPosition = position;
        PlaceNode();
        return true;
    }
    CVector next(0, 0, 0);
    if (!Advance(dt, &next))
        return true;
    const size_t i = size_t(wayPointIndex);
    CVector forward(0, 0, 0);
    if (i == 0 || i >= wayPoints.size())
        forward = next - position;
    else
        forward = wayPoints[i].position - wayPoints[i - 1].position;
    if (forward.length() > 0.0f)
        forward = forward * (0.25f / forward.length());
    heading = YawOfDirection(forward.x, forward.z);
    lastPosition = position;
    forwardFrom = next;
    forwardTo = next + forward;
    frontContact = next + forward * 0.5f;
    rearContact = next - forward * 0.5f;
    position = next;
    if (Shown(carNode) || forceUpdate)
        AlignToGround();
    PlaceNode();
    carNode->angle = yaw + kHalfPi;
    if (sound)
        sound->param = (speed * 3.0f + 2.0f) / 4.0f;
    return true;
}

bool CCar::Advance(int32_t dt, CVector* next)
{
    step = speed / 1000.0f * float(dt);
    if (step <= 0.0f)
        return false;
    travelled += step;
    size_t i = size_t(wayPointIndex);
    const float d = Distance(position, wayPoints[i].position);
    if (d > step) {
        *next = position + (wayPoints[i].position - position) * (step / d);
        if (i > 0) {
            const float dPrev = Distance(position, wayPoints[i - 1].position);
            const float y0 = wayPoints[i - 1].yaw;
            yaw = y0 + SignedAngle(y0, wayPoints[i].yaw) * dPrev / (d + dPrev);
        }
        moveDir = *next - position;
    } else {
        float rest = step - d;
        ++i;
        while (i < wayPoints.size() && Distance(position, wayPoints[i].position) < rest) {
            rest -= Distance(position, wayPoints[i].position);
            ++i;
        }
        wayPointIndex = int32_t(i);
        if (i >= wayPoints.size()) {
            ArriveAtEnd();
            return false;
        }
        CVector segment = wayPoints[i].position - wayPoints[i - 1].position;
        const float length = segment.length();
        if (length > 0.0f)
            segment = segment * (rest / length);
        *next = wayPoints[i - 1].position + segment;
        const float y0 = wayPoints[i - 1].yaw;
        yaw = y0 + (length > 0.0f ? SignedAngle(y0, wayPoints[i].yaw) * rest / length : 0.0f);
        moveDir = segment;
    }
    wayPointIndex = int32_t(i);
    inJunction = i > 0 ? wayPoints[i - 1].isJunction : 0;
    currentPiece = i > 0 ? wayPoints[i - 1].piece : nullptr;
    return true;
}

void CCar::AlignToGround()
{
    CVector front(0, 0, 0), rear(0, 0, 0);
    CWorldObject* hitNode = nullptr;
    bool frontHit = false, rearHit = false;
    for (int tries = 0; tries < 3 && !(frontHit && rearHit); ++tries) {
        if (!frontHit)
            frontHit = GroundBelow(frontContact, &front, &hitNode);
        if (!rearHit)
            rearHit = GroundBelow(rearContact, &rear, &hitNode);
    }
    if (frontHit && rearHit) {
        front.y += wheelSize;
        rear.y += wheelSize;
        const float toFront = HorizontalDistance(frontContact, position);
        const float toRear = HorizontalDistance(rearContact, position);
        const float ratio = toFront + toRear > 0.0f ? toRear / (toFront + toRear) : 0.5f;
        groundHeights[0] = front.y;
        groundHeights[1] = rear.y;
        groundHeights[4] = rear.y + (front.y - rear.y) * ratio;
        const float span = Distance(front, rear);
        if (span > 1e-20f)
            pitch = std::asin(std::clamp((front.y - rear.y) / span, -1.0f, 1.0f));
    }
    float turnRate = 0.0f;
    const size_t i = size_t(wayPointIndex);
    if (i > 0 && i + 1 < wayPoints.size()) {
        CVector in = wayPoints[i].position - wayPoints[i - 1].position;
        CVector out = wayPoints[i + 1].position - wayPoints[i].position;
        in.y = 0;
        out.y = 0;
        const float outLength = out.length();
        in.normalize();
        out.normalize();
        const CVector perpendicular(out.z, 0, -out.x);
        const float fade = outLength <= 0.05f ? 1.0f : std::max(0.0f, 1.0f - (outLength - 0.05f) * 10.0f);
        turnRate = (std::acos(std::clamp(CVector::dot(in, perpendicular), -1.0f, 1.0f)) - kHalfPi) * fade;
    }
    steering = std::clamp(2.0f * speed * turnRate, -0.17453292f, 0.17453292f);
    if (wheelCircumference > 0.0f)
        wheelSpin = std::fmod(wheelSpin + step / wheelCircumference * 6.2831855f, 6.2831855f);
    if (sound && std::fabs(steering) >= 0.17453292f && speed > 1.0f)
        sound->flags |= 2;
    for (int w = CAR_FRONT_LEFT; w <= CAR_REAR_RIGHT2; ++w) {
        CMatrix* m = nodes[w] ? LocalMatrixOf(nodes[w]) : nullptr;
        if (!m)
            continue;
        CMatrix spin, steer, turned;
        spin.rotationX(wheelSpin);
        steer.rotationY(w <= CAR_FRONT_RIGHT ? steering : 0.0f);
        CMatrix::multiply(turned, spin, steer);
        CMatrix::multiply(*m, turned, savedMatrices[w]);
    }
    if (CMatrix* m = nodes[CAR_CHASSIS] ? LocalMatrixOf(nodes[CAR_CHASSIS]) : nullptr) {
        CMatrix tilt;
        tilt.rotationX(-pitch);
        CMatrix::multiply(*m, tilt, savedMatrices[CAR_CHASSIS]);
    }
    if (CMatrix* m = nodes[CAR_BODY] ? LocalMatrixOf(nodes[CAR_BODY]) : nullptr) {
        // The body sways about its resting place with the speed.
        const float phase = float(listIndex * 100 + Now());
        const float s = std::sin(phase / 400.0f * 6.2831855f) * speed * 0.0075f;
        const float c = (std::cos(phase / 200.0f * 6.2831855f) + 1.0f) * speed * 0.0125f;
        *m = savedMatrices[CAR_BODY];
        m->m[12] += s;
        m->m[13] += s;
        m->m[14] += c;
    }
    if (modelRoot)
        modelRoot->worldMatricesValid = 0;
}

bool CCar::IsBlocked()
{
    if (state == 3 || wayPoints.empty())
        return false;
    if ((Shown(carNode) || forceUpdate) && lookAhead >= 0.0f) {
        std::vector<CWorldObject*> people;
        if (CurrentCharacter && !CarTestSkipsHero)
            people.push_back(CurrentCharacter);
        for (const DynamicWalker& w : DynamicCharacters.active)
            people.push_back(w.walker);
        for (CWorldObject* person : people) {
            if (!person || (!Shown(person) && person->flags != 16))
                continue;
            if (Distance(person->position, lastPosition) > lookAhead)
                continue;
            if (DistanceToLine(person->position, forwardFrom, forwardTo) >= 0.17f)
                continue;
            if (speed <= 0.0f)
                return true;
            if (SoundManager) {
                SoundManager->play("CAR_BRAKE", carNode, 0, 0, 0, 5.0f, 1.0f, speed / 2.0f / 2.0f + 0.5f, 0);
                if (sound)
                    sound->param = 0.5f;
            }
            speed = 0.0f;
            arrived = 1;
            PATHFINDER* finder = person->objectLogic ? person->objectLogic->GetPathfinder() : nullptr;
            if (finder && finder->SettleAnimation())
                finder->Retarget();
            return true;
        }
    }
    return BlockedByCars();
}

// Another shown car on this car's way ahead: one that stands on the way makes
// this one stand, one in the same junction piece too, and one driving ahead
// slower sets this car's speed. The frame's acceleration is withheld then.
bool CCar::BlockedByCars()
{
    if (CarRegistry.empty()) {
        arrived = 0;
        return false;
    }
    bool blocked = false;
    // This car's way ahead, up to lookAhead.
    std::vector<CVector> ahead{position};
    float length = 0.0f;
    for (size_t i = size_t(wayPointIndex); i < wayPoints.size() && length < lookAhead; ++i) {
        length += HorizontalDistance(ahead.back(), wayPoints[i].position);
        ahead.push_back(wayPoints[i].position);
    }
    for (CCar* other : CarRegistry) {
        if (other == this || other->listIndex == listIndex || !other->carNode)
            continue;
        if (!(Shown(other->carNode) || other->forceUpdate) || other->wayPoints.empty())
            continue;
        const float reach = 4.0f * std::max(lookAhead, 0.0f);
        if (HorizontalDistance(other->position, position) > 2.0f * reach)
            continue;
        // Does the other car stand on this car's way ahead?
        bool inFront = false;
        for (size_t k = 0; k + 1 < ahead.size() && !inFront; ++k) {
            CVector c(0, 0, 0);
            CVector a = ahead[k], b = ahead[k + 1];
            a.y = b.y = other->position.y;
            Projection(other->position, a, b, &c);
            inFront = HorizontalDistance(c, other->position) < 0.1f && k + 1 < ahead.size() &&
                      HorizontalDistance(position, other->position) > 1e-6f;
        }
        if (inFront) {
            const bool sameWay = CVector::dot(other->moveDir, moveDir) > 0.0f && other->speed > 0.0f;
            if (!sameWay || other->speed < speed) {
                speed = sameWay ? std::min(speed, other->speed) : 0.0f;
                blocked = true;
            }
            continue;
        }
        if (inJunction && other->currentPiece == currentPiece && currentPiece && other->speed > 0.0f &&
            !other->arrived) {
            speed = 0.0f;
            blocked = true;
        }
    }
    arrived = 0;
    return blocked;
}

// ---------------------------------------------------------------- sounds

void CCar::UpdateSounds()
{
    for (CarSound* s : CarSoundRegistry) {
        CWorldObject* node = s->car ? s->car->carNode : nullptr;
        bool near = false;
        if (node && CurrentCharacter)
            near = Distance(CurrentCharacter->position, node->position) <= 5.0f;
        if (near) {
            if (s->handle >= 0 && SoundManager && SoundManager->isPlaying(s->handle))
                SoundManager->setPitch(s->handle, s->param);
            else if (SoundManager)
                s->handle = SoundManager->play("TRUCK", node, 1, 0, 0, 0.0f, s->param, 1.0f, 0);
            if ((s->flags & 2) && SoundManager)
                SoundManager->play("CARTURN", node, 0, 0, 0, 5.0f, 1.0f, 1.0f, 0);
        }
        if ((!node || !near) && s->handle >= 0) {
            if (SoundManager)
                SoundManager->stop(s->handle);
            s->handle = -1;
            s->param = 1.0f;
        }
        s->flags = 0;
    }
}
