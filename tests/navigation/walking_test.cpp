// Walking along the local way-points on the game clock: speed, ticks, the
// carried-over distance, the goal, the ground scans, and recorded events.
#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "tests/navigation/NavWorld.h"

using namespace navtest;

namespace {

class Walking : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        world = std::make_unique<World>();
        GameClock.gameClock = 0;
        PATHFINDER::CreateSearchPool();
    }
    void TearDown() override
    {
        walker.reset();
        world.reset();
        GameClock.gameClock = 0;
        WorldServicesTest::TearDown();
    }
    // A floor at height y over [x0, x1] x [0, 2], joined to the floor before it.
    CWorldObject* Floor(float x0, float x1, float y = 0.0f)
    {
        std::vector<CVector> outline = Square(x0, 0, x1, 2);
        for (CVector& p : outline)
            p.y = y;
        CWorldObject* f = world->Place(ShapeEntry("floor", outline, {}), {0, 0, 0});
        // A connection makes a node count for the ground probes.
        Connect(last ? last : world->Group("anchor"), f);
        last = f;
        return f;
    }
    // A character at `at` whose path finder walks the given way-points.
    void WalkAlong(const CVector& at, std::vector<CVector> points)
    {
        character = world->Character(at);
        walker = std::make_unique<PATHFINDER>();
        ASSERT_TRUE(walker->Init(character));
        walker->localWayPoints = std::move(points);
        walker->final = 1;
        walker->BeginWayPoints();
    }
    // Runs frames of `step` ms up to `until`; the result of the last Update.
    bool RunUntil(int32_t until, int32_t step = 10)
    {
        bool going = true;
        while (GameClock.gameClock < until) {
            GameClock.gameClock += step;
            going = walker->Update();
        }
        return going;
    }
    const char* Animation() const { return character->objectLogic->animation->GetName(); }

    std::unique_ptr<World> world;
    std::unique_ptr<PATHFINDER> walker;
    CWorldObject* character = nullptr;
    CWorldObject* last = nullptr;
};

} // namespace

TEST_F(Walking, AnimationSpeedZeroWalksPointFourUnitsASecondTimesTheFactor)
{
    Floor(0, 4);
    for (float factor : {1.0f, 0.5f}) {
        GameClock.gameClock = 0;
        WalkAlong({0.5f, 0, 1}, {{0.5f, 0, 1}, {3.5f, 0, 1}});
        walker->speedFactor = factor;
        ASSERT_TRUE(RunUntil(1000));
        EXPECT_NEAR(0.5f + 0.4f * factor, character->position.x, 1e-4f) << factor;
        EXPECT_STREQ("WALK", Animation());
        // Walking along +x faces a quarter turn from +z.
        EXPECT_NEAR(3.1415927f, character->angle, 1e-5f);
    }
}

TEST_F(Walking, ASegmentEndingBetweenTicksWaitsAndCarriesTheRestOver)
{
    Floor(0, 4);
    // 0.41 takes 1025 ms: the frame at 1030 is no tick.
    WalkAlong({0.5f, 0, 1}, {{0.5f, 0, 1}, {0.91f, 0, 1}, {0.91f, 0, 1.5f}});
    ASSERT_TRUE(RunUntil(1030, 5));
    EXPECT_NEAR(0.91f, character->position.x, 1e-4f);
    EXPECT_NEAR(1.0f, character->position.z, 1e-4f) << "held at the segment's end";
    EXPECT_EQ(0, walker->localIndex);
    ASSERT_TRUE(RunUntil(1050, 5));
    EXPECT_EQ(1, walker->localIndex);
    EXPECT_NEAR(0.91f, character->position.x, 1e-4f);
    EXPECT_NEAR(1.01f, character->position.z, 1e-4f) << "0.42 walked, 0.01 of it on the next segment";
}

TEST_F(Walking, TheGoalIsReportedOnlyOnATickWithStand)
{
    Floor(0, 4);
    // 0.41 ends at 1025 ms; frames of 1 ms pass 1025..1049 before the tick.
    WalkAlong({0.5f, 0, 1}, {{0.5f, 0, 1}, {0.91f, 0, 1}});
    ASSERT_TRUE(RunUntil(1049, 1));
    EXPECT_NEAR(0.91f, character->position.x, 1e-4f);
    EXPECT_STREQ("WALK", Animation());
    EXPECT_FALSE(RunUntil(1050, 1));
    EXPECT_STREQ("STAND", Animation());
    EXPECT_EQ(1, walker->arrived);
    EXPECT_EQ(0, walker->walking);
    EXPECT_FALSE(walker->Update()) << "an idle path finder stays idle";
}

TEST_F(Walking, GroundBeyondTheStepOrTheGapStopsTheWalk)
{
    struct Case
    {
        float gap, height;
        bool crosses;
    } cases[] = {
        {0.0f, 0.14f, true}, // a step up that is allowed
        {0.03f, 0.0f, true}, // a gap bridged by the scans beyond the point
        {0.0f, 0.2f, false}, // too high after five scans
        {0.1f, 0.0f, false}, // a gap wider than the scans reach
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        last = nullptr;
        CWorldObject* near = Floor(0, 1);
        CWorldObject* far = Floor(1 + c.gap, 3, c.height);
        WalkAlong({0.8f, 0, 1}, {{0.8f, 0, 1}, {1.5f, 0, 1}});
        walker->globalWayPoints = {near, far};
        walker->localMapNode = near;
        const bool going = RunUntil(1000);
        EXPECT_EQ(c.crosses, going) << c.gap << " " << c.height;
        if (c.crosses)
            EXPECT_NEAR(c.height, character->position.y, 1e-4f);
        else
            EXPECT_LE(character->position.x, 1.0f) << "stays at its last good position";
    }
}

TEST_F(Walking, RecordedPathsStopsAndPlacementsGoToTheRecordingList)
{
    Floor(0, 4);
    character = world->Character({0.5f, 0, 1});
    character->objectLogic->recordable = 1;
    RecordState = RECORD_RECORD;
    walker = std::make_unique<PATHFINDER>();
    ASSERT_TRUE(walker->Init(character));
    ASSERT_TRUE(walker->WalkTo({2.5f, 0, 1}, nullptr));
    ASSERT_EQ(1, RecordingList.count());
    EXPECT_EQ(EVENT_WALK_START, RecordingList.at(0)->kind);
    EXPECT_EQ(character->objectLogic, RecordingList.at(0)->object);
    EXPECT_EQ(walker->localWayPoints.size(), RecordingList.at(0)->points.size());
    ASSERT_TRUE(RunUntil(500));
    ASSERT_EQ(3, RecordingList.count()) << "the turn to the walking direction and the walk animation";
    EXPECT_EQ(EVENT_FLOAT, RecordingList.at(1)->kind);
    EXPECT_EQ(EVENT_ANIMATION, RecordingList.at(2)->kind);
    walker->Stop();
    ASSERT_EQ(5, RecordingList.count()) << "the stand animation, then the stop";
    EXPECT_EQ(EVENT_ANIMATION, RecordingList.at(3)->kind);
    EXPECT_EQ(EVENT_WALK_STOP, RecordingList.at(4)->kind);
    EXPECT_EQ(0, RecordingList.at(4)->words[2]) << "names the path event";
    ASSERT_TRUE(walker->GoTo({3, 0, 1}, nullptr));
    ASSERT_EQ(6, RecordingList.count()) << "no path is open: only the placement";
    EXPECT_EQ(EVENT_JUMP, RecordingList.at(5)->kind);
    EXPECT_NEAR(3.0f, RecordingList.at(5)->position[0], 1e-5f);
    EXPECT_NEAR(character->position.x, 3.0f, 1e-5f);
}

TEST_F(Walking, PlaceAtAndReplayKeepTheHeightForGroundTooFarAway)
{
    Floor(0, 1);
    Floor(1, 2, 0.15f);
    Floor(2, 3, 0.3f);
    character = world->Character({0.5f, 0, 1});
    walker = std::make_unique<PATHFINDER>();
    ASSERT_TRUE(walker->Init(character));
    // The probe looks down from 0.15 above the position asked for.
    walker->PlaceAt({1.5f, 0.1f, 1});
    EXPECT_NEAR(0.15f, character->position.y, 1e-5f);
    walker->PlaceAt({2.5f, 0.2f, 1});
    EXPECT_NEAR(0.3f, character->position.y, 1e-5f);
    character->position.y = 0.2f;
    walker->PlaceAt({0.5f, 0.1f, 1});
    EXPECT_NEAR(0.2f, character->position.y, 1e-5f) << "0.2 and more keeps the height";

    // The replay: 0.15 away is already too far.
    const CVector points[2] = {{0.5f, 0.1f, 1}, {2.5f, 0.1f, 1}};
    walker->SetRecordedPath(0.0f, points, 2);
    character->position.y = 0.0f;
    GameClock.gameClock = 2500; // 1.0 along
    walker->FollowRecordedPath();
    EXPECT_NEAR(1.5f, character->position.x, 1e-4f);
    EXPECT_NEAR(0.0f, character->position.y, 1e-5f);
    character->position.y = 0.1f;
    walker->FollowRecordedPath();
    EXPECT_NEAR(0.15f, character->position.y, 1e-5f);
}
