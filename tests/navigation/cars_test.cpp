// Cars: the registry, binding to the model, planning over street pieces,
// driving with its speed rules, the stops for people, and the engine sound.
#include <gtest/gtest.h>

#include <cmath>
#include <unistd.h>

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/navigation/DynamicCharacters.h"
#include "tests/navigation/StreetWorld.h"
#include "tests/support/QuietSounds.h"

using namespace navtest;

namespace {

class Cars : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        BuildStreetPieceLanes();
        PATHFINDER::CreateSearchPool();
        world = std::make_unique<World>();
        GameClock.gameClock = 1000;
    }
    void TearDown() override
    {
        world.reset();
        StreetNet.Clear();
        DynamicCharacters.Clear();
        CurrentCharacter = nullptr;
        SoundManager = nullptr;
        GameClock.gameClock = 0;
        WorldServicesTest::TearDown();
    }
    // A bound car on a road of `pieces` pieces, at the start of piece 0's
    // +x lane, facing +x.
    CCar* BoundCar(int pieces, bool planTo = false, const CVector& target = {})
    {
        road = StraightRoad(*world, pieces);
        carObject = PlaceCar(*world, {0, 0, -0.25f}, 1.5707964f, CarModel());
        CCar* car = CarOf(carObject);
        EXPECT_NE(car->BindModel(carObject->objectLogic, target, planTo), 0);
        return car;
    }
    std::unique_ptr<World> world;
    std::vector<CWorldObject*> road;
    CWorldObject* carObject = nullptr;
};

TEST_F(Cars, DestroyingTheMiddleCarMovesTheLastIntoItsPlace)
{
    CWorldObject* placed = world->Object("parked", KIND_CAR, {0, 0, 0}, {"STAND"});
    CarList.push_back(placed);
    const size_t before = CarRegistry.size();
    auto* a = new CCar;
    auto* b = new CCar;
    auto* c = new CCar;
    ASSERT_EQ(CarRegistry.size(), before + 3);
    CarSound* soundC = c->sound;
    EXPECT_EQ(CarSoundRegistry[size_t(c->listIndex)], soundC);
    const int32_t middle = b->listIndex;
    delete b;
    EXPECT_EQ(c->listIndex, middle);
    EXPECT_EQ(CarRegistry[size_t(middle)], c);
    EXPECT_EQ(CarSoundRegistry[size_t(middle)], soundC);
    EXPECT_EQ(CarRegistry.size(), before + 2);
    EXPECT_EQ(CarSoundRegistry.size(), before + 2);
    delete a;
    delete c;
    EXPECT_EQ(CarRegistry.size(), before);
    // The placed cars are another list.
    ASSERT_EQ(CarList.size(), 1u);
    EXPECT_EQ(CarList[0], placed);
}

TEST_F(Cars, BindingNeedsEveryWheelChassisAndBody)
{
    StraightRoad(*world, 2);
    struct Case
    {
        const char* leaveOut;
        bool second;
        const char* line; // null: binds
    } cases[] = {
        {nullptr, false, nullptr},
        {nullptr, true, nullptr},
        {"ch", false, "car car: carmodel: chassis not found"},
        {"vrr", false, "car car: carmodel: front right wheel not found"},
        {"car", false, "car car: carmodel: car-node not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.leaveOut ? c.leaveOut : "all");
        AppLog log;
        CWorldObject* object = PlaceCar(*world, {0, 0, 0}, 0, CarModel(c.leaveOut, c.second));
        CCar* car = CarOf(object);
        ASSERT_TRUE(car);
        EXPECT_EQ(CarOf(object), car); // made once
        const int32_t result = car->BindModel(object->objectLogic, {0, 0, 0}, false);
        if (c.line) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(car->isBound, 0);
            EXPECT_TRUE(log.has(c.line)) << log.text();
            EXPECT_FALSE(car->Drive(object));
        } else {
            EXPECT_NE(result, 0);
            EXPECT_EQ(car->isBound, 1);
            EXPECT_NEAR(car->wheelSize, 0.1f, 1e-6f);
            EXPECT_NEAR(car->wheelCircumference, 0.1f * 3.1415927f, 1e-6f);
            EXPECT_FLOAT_EQ(car->lookAhead, 0.6f);
            EXPECT_EQ(car->nodes[CAR_REAR_LEFT2] != nullptr, c.second);
            EXPECT_FLOAT_EQ(car->maxSpeed, 3.0f);
            EXPECT_FLOAT_EQ(car->acceleration, 2.0f);
            EXPECT_EQ(car->state, 0);
        }
    }
}

TEST_F(Cars, UnbindingPutsTheModelsMatricesBack)
{
    CCar* car = BoundCar(4, true, {3, 0, 0});
    ASSERT_TRUE(car->isDriving);
    SetVisibility(carObject, VIS_INSIDE);
    DriveToEnd(car, 30);
    auto* wheel = static_cast<CFrameNode*>(car->nodes[CAR_FRONT_LEFT]);
    EXPECT_NE(
        std::memcmp(wheel->localMatrix.m, car->savedMatrices[CAR_FRONT_LEFT].m, sizeof wheel->localMatrix.m),
        0);
    car->Unbind();
    EXPECT_EQ(car->isBound, 0);
    EXPECT_EQ(
        std::memcmp(wheel->localMatrix.m, car->savedMatrices[CAR_FRONT_LEFT].m, sizeof wheel->localMatrix.m),
        0);
    EXPECT_FALSE(car->PlanPath({3, 0, 0}, 0, false));
}

TEST_F(Cars, ATwoPiecePlanTakesItsLanePointsFromTheSecondPiece)
{
    CCar* car = BoundCar(2);
    AppLog log;
    ASSERT_TRUE(car->PlanPath({1, 0, 0}, 0, false)) << log.text();
    ASSERT_EQ(car->pathNodes.size(), 2u);
    std::vector<const CarWayPoint*> lane;
    for (const CarWayPoint& w : car->wayPoints)
        if (w.pieceIndex >= 0)
            lane.push_back(&w);
    // The second piece's +x lane from its first point to the point nearest
    // the piece's centre; everything before it is the start manoeuvre.
    ASSERT_EQ(lane.size(), 2u);
    for (const CarWayPoint* w : lane) {
        EXPECT_EQ(w->piece, road[1]);
        EXPECT_EQ(w->pieceIndex, 1);
    }
    EXPECT_NEAR(lane[0]->position.x, 0.55f, 1e-5f);
    EXPECT_NEAR(lane[0]->position.z, -0.25f, 1e-5f);
    EXPECT_NEAR(lane[1]->position.x, 1.0f, 1e-5f);
    EXPECT_NEAR(lane[1]->position.z, -0.25f, 1e-5f);
    EXPECT_EQ(&car->wayPoints.back(), lane[1]);
    // The manoeuvre starts at the car and leads onto the first lane point.
    EXPECT_LT((car->wayPoints.front().position - CVector(0, 0, -0.25f)).length(), 0.1f);
    float length = (car->wayPoints.front().position - car->position).length();
    for (size_t i = 0; i + 1 < car->wayPoints.size(); ++i)
        length += (car->wayPoints[i + 1].position - car->wayPoints[i].position).length();
    EXPECT_NEAR(car->pathLength, length, 1e-4f);
    EXPECT_EQ(car->isDriving, 1);
    EXPECT_EQ(car->state, 0);
}

TEST_F(Cars, PlanningFailuresSayWhy)
{
    CCar* car = BoundCar(2);
    AppLog log;
    EXPECT_FALSE(car->PlanPath({40, 0, 40}, 0, false));
    EXPECT_TRUE(log.has("can't find endnode intersection"));
    EXPECT_FALSE(car->PlanPath({0, 0, 0}, 0, false));
    EXPECT_TRUE(log.has("only 1 nodes in carpath"));
    // A piece not joined to the road.
    PlacePiece(*world, kStraight2, {10, 0, 0}, 0.5f, 1.0f)->AddConnection(world->Group("anchor"), false);
    EXPECT_FALSE(car->PlanPath({10, 0, 0}, 0, false));
    EXPECT_TRUE(log.has("can't find carpath"));
}

TEST_F(Cars, BindingPlansToTheGivenTargetAndTheCarDrivesThereAndStops)
{
    AppLog log;
    CCar* car = BoundCar(4, true, {3, 0, 0});
    ASSERT_TRUE(car->isDriving) << log.text();
    ASSERT_EQ(car->pathNodes.size(), 4u);
    EXPECT_EQ(car->pathNodes.back(), road[3]);
    const int frames = DriveToEnd(car, 2000);
    EXPECT_LT(frames, 2000);
    EXPECT_EQ(size_t(car->wayPointIndex), car->wayPoints.size());
    EXPECT_FLOAT_EQ(car->speed, 0.0f);
    EXPECT_EQ(car->state, 0); // a plan's end keeps state 0
    EXPECT_NEAR(carObject->position.x, 3.0f, 0.05f);
    EXPECT_NEAR(carObject->position.z, -0.25f, 0.05f);
    EXPECT_NEAR(car->travelled, car->pathLength, 0.05f);
    // Facing +x: the node's yaw is the way's yaw plus a quarter turn.
    EXPECT_NEAR(carObject->angle, 3.1415927f, 0.05f);
    EXPECT_EQ(car->currentPiece, road[3]);
}

TEST_F(Cars, TheCarLeavesItsPieceTheWayItFaces)
{
    // Five pieces; the car stands on the middle one facing -x and is sent to
    // the +x end: it must leave west and finds no way back east.
    road = StraightRoad(*world, 5);
    carObject = PlaceCar(*world, {2, 0, 0.25f}, -1.5707964f, CarModel());
    CCar* car = CarOf(carObject);
    ASSERT_NE(car->BindModel(carObject->objectLogic, {}, false), 0);
    ASSERT_TRUE(car->PlanPath({4, 0, 0}, 0, false));
    // West first fails (the road ends), then every connection is tried.
    ASSERT_EQ(car->pathNodes.size(), 3u);
    EXPECT_EQ(car->pathNodes[1], road[3]);
    EXPECT_EQ(road[2]->connections.size(), 2u); // given back
    ASSERT_TRUE(car->PlanPath({0, 0, 0}, 0, false));
    EXPECT_EQ(car->pathNodes[1], road[1]);
}

// A car driving along a long straight way-point list on z = `z`.
CCar* LongWay(CCar* car, float speed, float z = -0.25f)
{
    car->wayPoints.clear();
    for (int i = 0; i < 3; ++i) {
        CarWayPoint w;
        w.position = CVector(float(i) * 50.0f, 0, z);
        car->wayPoints.push_back(w);
    }
    car->position = CVector(-1, 0, z);
    car->pathLength = 101.0f;
    car->travelled = 0.0f;
    car->wayPointIndex = 0;
    car->isDriving = 1;
    car->state = 0;
    car->speed = speed;
    car->lastTime = GameClock.gameClock;
    return car;
}

TEST_F(Cars, SlowingNearTheEndKeepsAtLeastATenth)
{
    CCar* car = BoundCar(2);
    for (float rest : {0.2f, 0.01f}) {
        LongWay(car, 10.0f);
        car->maxSpeed = 10.0f;
        car->acceleration = 5.0f;
        car->travelled = car->pathLength - rest;
        GameClock.gameClock += 20;
        car->Drive(carObject);
        SCOPED_TRACE(rest);
        EXPECT_LE(car->speed, std::max(rest * 10.0f * 4.0f, 0.1f) + 1e-3f);
        EXPECT_GE(car->speed, 0.1f);
    }
}

TEST_F(Cars, BrakingLosesTwoASecondAtAnyFrameRate)
{
    CCar* car = BoundCar(2);
    for (int32_t frame : {20, 100, 40}) {
        SCOPED_TRACE(frame);
        LongWay(car, 3.0f);
        car->acceleration = 0.0f;
        car->SetBraking(true);
        for (int32_t t = 0; t < 1000; t += frame) {
            GameClock.gameClock += frame;
            car->Drive(carObject);
        }
        EXPECT_NEAR(car->speed, 1.0f, 1e-4f);
    }
    // Braked to a stand, it stays there.
    LongWay(car, 0.4f);
    car->acceleration = 0.0f;
    car->SetBraking(true);
    for (int i = 0; i < 10; ++i) {
        GameClock.gameClock += 100;
        car->Drive(carObject);
    }
    EXPECT_EQ(car->speed, 0.0f);
}

TEST_F(Cars, APersonOnTheForwardLineStopsTheCarWithABrakeSound)
{
    QuietSounds sounds({"TRUCK", "CARTURN", "CAR_BRAKE"});
    CCar* car = BoundCar(2);
    CWorldObject* hero = world->Character({0, 0, 0});
    CurrentCharacter = hero;
    SetVisibility(carObject, VIS_INSIDE);
    SetVisibility(hero, VIS_INSIDE);
    for (float off : {0.17f, 0.16f}) {
        SCOPED_TRACE(off);
        LongWay(car, 2.0f, 0.0f);
        hero->position = CVector(0, 0, 5);
        // One frame sets the forward line along z = 0.
        GameClock.gameClock += 40;
        car->Drive(carObject);
        hero->position = CVector(car->position.x + 0.3f, 0, off);
        GameClock.gameClock += 40;
        car->Drive(carObject);
        if (off > 0.165f) {
            EXPECT_GT(car->speed, 0.0f);
            EXPECT_EQ(sounds.Count("CAR_BRAKE"), 0);
        } else {
            EXPECT_EQ(car->speed, 0.0f);
            EXPECT_EQ(car->arrived, 1);
            EXPECT_EQ(sounds.Count("CAR_BRAKE"), 1);
            EXPECT_FLOAT_EQ(car->sound->param, 0.5f);
            // Standing, it stays blocked without another sound.
            EXPECT_TRUE(car->IsBlocked());
            EXPECT_EQ(sounds.Count("CAR_BRAKE"), 1);
        }
    }
    // The skip flag leaves the hero out.
    CarTestSkipsHero = 1;
    LongWay(car, 2.0f);
    EXPECT_FALSE(car->IsBlocked());
    CarTestSkipsHero = 0;
}

TEST_F(Cars, ANeverBoundCarSkipsThePersonTest)
{
    road = StraightRoad(*world, 2);
    carObject = PlaceCar(*world, {0, 0, -0.25f}, 1.5707964f, CarModel());
    CCar* car = CarOf(carObject);
    CurrentCharacter = world->Character({0.2f, 0, -0.25f});
    car->carNode = carObject;
    car->forceUpdate = 1;
    LongWay(car, 2.0f);
    EXPECT_LT(car->lookAhead, 0.0f);
    EXPECT_FALSE(car->IsBlocked());
}

TEST_F(Cars, TheEngineSoundPlaysWithinFiveOfTheHero)
{
    QuietSounds sounds({"TRUCK", "CARTURN", "CAR_BRAKE"});
    CCar* car = BoundCar(2);
    CWorldObject* hero = world->Character({0, 0, 0});
    CurrentCharacter = hero;
    hero->position = carObject->position + CVector(5.0f, 0, 0);
    CCar::UpdateSounds();
    const int32_t handle = car->sound->handle;
    ASSERT_GE(handle, 0);
    EXPECT_EQ(sounds.Count("TRUCK"), 1);
    car->sound->param = 1.5f;
    car->sound->flags = 2;
    CCar::UpdateSounds();
    EXPECT_EQ(car->sound->handle, handle); // still playing: the param is passed on
    EXPECT_EQ(sounds.Count("TRUCK"), 1);
    EXPECT_EQ(sounds.Count("CARTURN"), 1);
    EXPECT_EQ(car->sound->flags, 0u);
    hero->position = carObject->position + CVector(5.01f, 0, 0);
    CCar::UpdateSounds();
    EXPECT_EQ(car->sound->handle, -1);
    EXPECT_FLOAT_EQ(car->sound->param, 1.0f);
    EXPECT_EQ(sounds.Count("TRUCK"), 0);
}

TEST_F(Cars, StandingCarsAreTheObstacles)
{
    CCar* car = BoundCar(3, true, {2, 0, 0});
    std::vector<CWorldObject*> standing{nullptr};
    CollectStandingCars(standing);
    EXPECT_EQ(std::count(standing.begin(), standing.end(), carObject), 1);
    GameClock.gameClock += 40;
    car->Drive(carObject);
    ASSERT_GT(car->speed, 0.0f);
    CollectStandingCars(standing);
    EXPECT_EQ(std::count(standing.begin(), standing.end(), carObject), 0);
}

TEST_F(Cars, AStandingCarBesideAWideRoadJoinsItsSideLine)
{
    road = StraightRoad(*world, 1);
    road[0]->AddConnection(world->Group("anchor"), false); // the ground probes find joined nodes only
    carObject = PlaceCar(*world, {0, 0, 0.85f}, 1.5707964f, CarModel());
    CCar* car = CarOf(carObject);
    ASSERT_NE(car->BindModel(carObject->objectLogic, {}, false), 0);
    car->JoinRoad();
    EXPECT_EQ(car->state, 1);
    ASSERT_EQ(car->wayPoints.size(), 20u);
    // The side line at z = 0.65 runs toward -x.
    const CVector last = car->wayPoints.back().position;
    EXPECT_NEAR(last.z, 0.65f + 0.2f * (1.0f - 0.9987f), 1e-3f);
    EXPECT_NEAR(last.x, -0.19f, 1e-3f); // 0.19 along the line
    // Joined, the car arrives and goes idle.
    car->isDriving = 1;
    car->speed = 1.0f;
    DriveToEnd(car, 500);
    EXPECT_EQ(car->state, 3);
    EXPECT_EQ(car->arrived, 1);
    // On a piece without side lines it stays idle.
    car->position = CVector(0, 0, -0.25f);
    PlacePiece(*world,
               "street_Stra\xDF"
               "e_Gerade1",
               {0, 0, 10}, 0.5f, 0.5f)
        ->AddConnection(world->Group("anchor"), false);
    car->position = CVector(0, 0, 10);
    car->JoinRoad();
    EXPECT_EQ(car->state, 3);
}

TEST_F(Cars, TurnRateAndPitchStayFiniteOnDegenerateWays)
{
    CCar* car = BoundCar(2);
    SetVisibility(carObject, VIS_INSIDE);
    // Way-points that double back exactly and repeat a point.
    car->wayPoints.clear();
    for (CVector p : {CVector(0, 0, 0), CVector(0.5f, 0, 0), CVector(0.5f, 0, 0), CVector(0, 0, 0)}) {
        CarWayPoint w;
        w.position = p;
        car->wayPoints.push_back(w);
    }
    car->position = CVector(-0.1f, 0, 0);
    car->pathLength = 1.1f;
    car->travelled = 0;
    car->wayPointIndex = 0;
    car->speed = 1.0f;
    car->isDriving = 1;
    car->state = 0;
    car->lastTime = GameClock.gameClock;
    for (int i = 0; i < 40; ++i) {
        GameClock.gameClock += 40;
        car->Drive(carObject);
        ASSERT_TRUE(std::isfinite(car->steering));
        ASSERT_TRUE(std::isfinite(car->pitch));
        for (float v : static_cast<CFrameNode*>(car->nodes[CAR_FRONT_LEFT])->localMatrix.m)
            ASSERT_TRUE(std::isfinite(v));
    }
}

} // namespace
