// The passers-by: candidates, spawning on street routes from the hero, the
// five-second drop, the phase switch and the game step's tick loop.
#include <gtest/gtest.h>

#include <unistd.h>

#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/navigation/DynamicCharacters.h"
#include "GAMES/Rulo2/navigation/InstallNavigation.h"
#include "platform/crt/Crt.h"
#include "tests/navigation/StreetWorld.h"

using namespace navtest;

namespace {

void SeedFirstRand(int wanted)
{
    for (unsigned s = 1;; ++s) {
        crt::srand(s);
        if (crt::rand() == wanted) {
            crt::srand(s);
            return;
        }
    }
}

class PassersBy : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        PATHFINDER::CreateSearchPool();
        world = std::make_unique<World>();
        DynamicCharacters = CDynamicCharacters();
        // Eight pieces: the outer two at each end hidden, the middle four shown.
        road = StraightRoad(*world, 8);
        for (size_t i = 0; i < road.size(); ++i)
            SetVisibility(road[i], i >= 2 && i <= 5 ? VIS_INSIDE : VIS_HIDDEN);
        StreetNet.Build(world->root.get());
        hero = world->Character({3, 0, 0});
        ASSERT_TRUE(hero->objectLogic->GetPathfinder()->Init(hero));
        CurrentCharacter = hero;
        HeroTravelMode = 0;
        GamePhase = PHASE_REALTIME;
        Settings.dynamicCharacters = 1;
        GameClock.frameTime = 500;
    }
    void TearDown() override
    {
        DynamicCharacters = CDynamicCharacters();
        StreetNet.Clear();
        world.reset();
        HeroTravelMode = 0;
        GameClock.frameTime = 0;
        WorldServicesTest::TearDown();
    }
    // A character of the kind whose task list starts with the task type.
    CWorldObject* Candidate(int32_t kind = KIND_CHARACTER_C, const char* task = "CharacterC walk")
    {
        CWorldObject* c = world->Object("passer", kind, {3, 0, 0}, {"STAND", "WALK"});
        c->objectLogic->ownTaskList = std::make_unique<CTaskList>();
        c->objectLogic->ownTaskList->AddTask(std::make_unique<CTaskItem>(0, TaskTypeByName(task)));
        c->objectLogic->GetPathfinder()->Init(c);
        ActiveCharacters.push_back(c);
        return c;
    }
    // Frames of 40 ms from `from` to `to`, the walkers shown or not.
    void Run(int32_t from, int32_t to, bool shown)
    {
        for (int32_t t = from; t <= to; t += 40) {
            GameClock.frameTime += 40;
            for (const DynamicWalker& w : DynamicCharacters.active)
                SetVisibility(w.walker, shown ? VIS_INSIDE : VIS_HIDDEN);
            DynamicCharacters.Update(t);
            maxActive = std::max(maxActive, DynamicCharacters.active.size());
        }
    }
    std::unique_ptr<World> world;
    std::vector<CWorldObject*> road;
    CWorldObject* hero = nullptr;
    size_t maxActive = 0;
};

TEST_F(PassersBy, InitTakesTheWalkingKindSixCharactersOutOfPlay)
{
    CWorldObject* a = Candidate();
    CWorldObject* b = Candidate();
    CWorldObject* other = Candidate(KIND_CHARACTER_A);
    CWorldObject* idle = Candidate(KIND_CHARACTER_C, "Do Nothing");
    AppLog log;
    DynamicCharacters.Init(false);
    EXPECT_TRUE(DynamicCharacters.candidates.empty());
    DynamicCharacters.Init(true);
    EXPECT_TRUE(log.has("...found 2 character C objects"));
    EXPECT_EQ(DynamicCharacters.candidates, (std::vector<CWorldObject*>{a, b}));
    EXPECT_EQ(DynamicCharacters.candidateCount, 2);
    EXPECT_TRUE(a->flags & kOutOfPlay);
    EXPECT_TRUE(b->flags & kOutOfPlay);
    EXPECT_FALSE(other->flags & kOutOfPlay);
    EXPECT_FALSE(idle->flags & kOutOfPlay);
    a->flags = b->flags = 0;
    DynamicCharacters.RemoveAll();
    EXPECT_TRUE(a->flags & kOutOfPlay);
    EXPECT_TRUE(b->flags & kOutOfPlay);
    DynamicCharacters.Clear();
    EXPECT_TRUE(DynamicCharacters.candidates.empty());
    EXPECT_TRUE(DynamicCharacters.active.empty());
}

TEST_F(PassersBy, WithTwoCandidatesAtMostTwoWalk)
{
    Candidate();
    Candidate();
    DynamicCharacters.Init(true);
    crt::srand(3);
    Run(0, 60000, true);
    EXPECT_EQ(maxActive, 2u);
    for (const DynamicWalker& w : DynamicCharacters.active) {
        EXPECT_EQ(w.state, 0);
        EXPECT_FALSE(w.walker->flags & kOutOfPlay);
        // Placed on the route's first piece, which lies on the road.
        EXPECT_GE(w.walker->position.x, -0.5f);
        EXPECT_LE(w.walker->position.x, 7.5f);
    }
}

TEST_F(PassersBy, AnUnseenWalkerGoesOnTheFirstFrameAfterFiveSeconds)
{
    CWorldObject* c = Candidate();
    DynamicCharacters.Init(true);
    DynamicCharacters.Update(10000);
    ASSERT_EQ(DynamicCharacters.active.size(), 1u);
    ASSERT_EQ(DynamicCharacters.active[0].walker, c);
    SetVisibility(c, VIS_HIDDEN);
    DynamicCharacters.spawnInterval = 1000000; // no new walker meanwhile
    DynamicCharacters.Update(15000);
    EXPECT_EQ(DynamicCharacters.active.size(), 1u);
    EXPECT_FALSE(c->flags & kOutOfPlay);
    DynamicCharacters.Update(15040);
    EXPECT_TRUE(DynamicCharacters.active.empty());
    EXPECT_TRUE(c->flags & kOutOfPlay);
}

TEST_F(PassersBy, LeavingRealTimeTakesEveryoneOutInThatFrame)
{
    CWorldObject* a = Candidate();
    CWorldObject* b = Candidate();
    DynamicCharacters.Init(true);
    Run(0, 20000, true);
    ASSERT_EQ(DynamicCharacters.active.size(), 2u);
    GamePhase = PHASE_PLANNING;
    DynamicCharacters.Update(20040);
    EXPECT_TRUE(a->flags & kOutOfPlay);
    EXPECT_TRUE(b->flags & kOutOfPlay);
    // The setting off does the same.
    GamePhase = PHASE_REALTIME;
    a->flags = b->flags = 0;
    Settings.dynamicCharacters = 0;
    DynamicCharacters.Update(20080);
    EXPECT_TRUE(a->flags & kOutOfPlay);
    EXPECT_TRUE(b->flags & kOutOfPlay);
}

TEST_F(PassersBy, SpawnIntervalsRunFromThreeToTenSecondsAndRestartInATaxi)
{
    Candidate();
    DynamicCharacters.Init(true);
    // In a taxi no walker is added, but the timer restarts.
    HeroTravelMode = 2;
    SeedFirstRand(0);
    DynamicCharacters.Update(100);
    EXPECT_TRUE(DynamicCharacters.active.empty());
    EXPECT_EQ(DynamicCharacters.spawnInterval, 3000);
    EXPECT_EQ(DynamicCharacters.lastSpawnTime, 100);
    DynamicCharacters.Update(3100); // not more than the interval yet
    EXPECT_EQ(DynamicCharacters.lastSpawnTime, 100);
    SeedFirstRand(crt::RandMax);
    DynamicCharacters.Update(3101);
    EXPECT_EQ(DynamicCharacters.spawnInterval, 10000);
    EXPECT_EQ(DynamicCharacters.lastSpawnTime, 3101);
}

TEST_F(PassersBy, NewPathWithoutGroundKeepsTheOldPath)
{
    CWorldObject* c = Candidate();
    DynamicCharacters.Init(true);
    DynamicCharacters.Update(100);
    ASSERT_EQ(DynamicCharacters.active.size(), 1u);
    c->objectLogic->GetPathfinder()->groundNode = nullptr;
    c->position = CVector(50, 0, 50);
    AppLog log;
    DynamicCharacters.NewPath(c);
    EXPECT_TRUE(log.has("DC: no valid groundintersection found "));
    EXPECT_EQ(c->position.x, 50.0f);
    // Back on the road it gets a route from where it stands.
    c->position = CVector(4, 0, 0);
    GameClock.frameTime += 40;
    DynamicCharacters.NewPath(c);
    EXPECT_EQ(c->objectLogic->GetPathfinder()->startNode, road[4]);
    // A character that is not walking is left alone.
    CWorldObject* stranger = Candidate();
    stranger->position = CVector(50, 0, 50);
    AppLog quiet;
    DynamicCharacters.NewPath(stranger);
    EXPECT_FALSE(quiet.has("DC:"));
}

TEST_F(PassersBy, TheGameStepsTickLoopUpdatesThemInRealTimeOnly)
{
    const GameStepHooks saved = StepHooks;
    StepHooks = GameStepHooks();
    CWorldObject* c = Candidate();
    DynamicCharacters.Init(true);
    HeroTravelMode = 2;
    c->flags = 0;
    GameClockState clock;
    clock.prevGameClock = 0;
    clock.gameClock = 200;
    GamePhase = PHASE_PLANNING;
    RunSimulationTicks(clock);
    EXPECT_FALSE(c->flags & kOutOfPlay); // not called: it would have taken it out
    EXPECT_EQ(DynamicCharacters.lastSpawnTime, 0);
    GamePhase = PHASE_REALTIME;
    clock.prevGameClock = 200;
    clock.gameClock = 400;
    RunSimulationTicks(clock);
    EXPECT_GT(DynamicCharacters.lastSpawnTime, 200);
    StepHooks = saved;
}

} // namespace
