#pragma once
// The driving state of one car object (kind 9): its binding to the car model's
// wheel, chassis and body nodes, the way-points planned over the street
// pieces' lanes, the per-frame drive with its stops for people and cars, and
// its engine sound. Every car is in the car registry from construction to
// destruction; the registry is not the list of placed car objects (CarList).
#include <cstdint>
#include <memory>
#include <vector>

#include "LIBS/System/CMatrix.h"
#include "LIBS/System/CVector.h"

class CFrameNode;
class CModelNode;
class CObjectLogic;
class CRootNode;
class CWorldObject;
class PATHFINDER;
class CCar;

struct CarWayPoint
{
    CVector position{0, 0, 0};
    float turn = 0.0f; // signed angle from the previous segment's yaw to this one's
    float yaw = 0.0f;  // of the horizontal direction to the next way-point
    float spare = 0.0f;
    uint8_t isJunction = 0;
    CWorldObject* piece = nullptr;
    int32_t pieceIndex = -1; // in the car path; -1 for points of no piece
};

struct CarSound
{
    uint32_t flags = 0; // bit 1: play the turn sound once in the next pass
    int32_t handle = -1;
    float param = 1.0f;
    CCar* car = nullptr;
};

// The model nodes a car moves, in binding order.
enum ECarNode
{
    CAR_FRONT_LEFT,
    CAR_FRONT_RIGHT,
    CAR_REAR_LEFT,
    CAR_REAR_LEFT2,
    CAR_REAR_RIGHT,
    CAR_REAR_RIGHT2,
    CAR_CHASSIS,
    CAR_BODY,
    kCarNodes
};

class CCar
{
public:
    CCar();
    virtual ~CCar();
    CCar(const CCar&) = delete;
    CCar& operator=(const CCar&) = delete;

    // Binds the car to the object's world object and model and, with planNow,
    // plans to `target`. 0 only when a model node is missing.
    int32_t BindModel(CObjectLogic* object, const CVector& target, bool planNow);
    void Unbind();
    void SetBraking(bool on);

    bool PlanPath(const CVector& target, int32_t ignored, bool pickFlag);
    void JoinRoad();
    bool Drive(CWorldObject* object);
    bool IsBlocked();
    // Tilts the car onto the ground under its wheels.
    void AlignToGround();
    // Modes: 0 a point beside the piece to the next piece, 1 the previous
    // piece to a point on the piece, 2 the previous piece to the next piece.
    int32_t ChooseLane(const CVector& a, const CVector& b, const CVector& centre, float yaw, int32_t mode,
                       CVector* nearestPoint, int32_t* nearestIndex);

    // The engine and turn sounds of every car near the hero (once per frame).
    static void UpdateSounds();

    float step = 0.0f;
    uint8_t forceUpdate = 0;
    uint8_t braking = 0;
    float brakeLoss = 0.0f;
    int32_t brakeTime = 0;
    float brakeStartSpeed = 0.0f;
    uint8_t isBound = 0;
    uint8_t isDriving = 0;
    CWorldObject* currentPiece = nullptr;
    int32_t listIndex = -1;
    std::vector<CarWayPoint> wayPoints;
    std::unique_ptr<PATHFINDER> pathFinder;
    std::vector<CWorldObject*> pathNodes;
    CVector position{0, 0, 0};
    CVector moveDir{0, 0, 0};
    float heading = 0.0f;
    int32_t lastTime = 0;
    float halfHeight = 0.0f;
    void* pieceModel = nullptr;
    int32_t pieceKind = -1;
    int32_t startTime = 0, startTimePlus1000 = 0;
    int32_t wayPointIndex = 0;
    float pathLength = 0.0f;
    float travelled = 0.0f;
    float speed = 0.0f;
    float maxSpeed = 0.0f;
    float acceleration = 0.0f;
    float yaw = 0.0f;
    float speedFactor = 1.0f;
    int32_t state = 3; // 0 driving a plan, 1 joining the road, 3 idle
    CWorldObject* carNode = nullptr;
    CModelNode* nodes[kCarNodes] = {};
    CRootNode* modelRoot = nullptr;
    CMatrix savedMatrices[kCarNodes];
    float wheelCircumference = 0.0f;
    float wheelSize = 0.0f;
    CVector lastPosition{0, 0, 0};
    float lookAhead = -1.1754944e-38f; // tests stay off until a model gives its size
    uint8_t arrived = 0;
    uint8_t inJunction = 0;
    float groundHeights[6] = {-1, -1, -1, -1, -1, -1}; // [4]: the height the node is placed from
    uint8_t slowAtEnd = 1;
    CarSound* sound = nullptr;

    // Per-frame working state of the drive: the forward line (position and a
    // point 0.25 ahead), the wheel contact points, the wheel spin and the
    // steering and pitch applied to the model.
    CVector forwardFrom{0, 0, 0}, forwardTo{0, 0, 0};
    CVector frontContact{0, 0, 0}, rearContact{0, 0, 0};
    float wheelSpin = 0.0f;
    float steering = 0.0f;
    float pitch = 0.0f;

private:
    void SetForwardLine(const CVector& at, float facing);
    void MeasurePath();
    void AddStartManoeuvre();
    bool Advance(int32_t dt, CVector* next);
    void ArriveAtEnd();
    void PlaceNode();
    bool BlockedByCars();
};

// Every car, by its listIndex, and its engine-sound record at the same index.
extern std::vector<CCar*> CarRegistry;
extern std::vector<CarSound*> CarSoundRegistry;
// Set while the cars' obstacle test leaves the hero out.
extern uint8_t CarTestSkipsHero;

// The world objects of the cars that stand still.
void CollectStandingCars(std::vector<CWorldObject*>& list);

// Yaw of a horizontal direction (0 along +z) and the signed angle between two yaws.
float YawOfDirection(float dx, float dz);
float SignedAngle(float from, float to);
