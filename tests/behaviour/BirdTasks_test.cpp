// Birds: the scare distance, the hop that keeps inside the circle, the turn
// and the arc of a flight.
#include "GAMES/Rulo2/behaviour/tasks/BirdTasks.h"

#include <cmath>

#include "platform/crt/Crt.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Birds : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        crt::srand(7);
        hero = Character("Held", {5, 0, 5});
        CurrentCharacter = hero;
        bird = Object("Taube", KIND_CHARACTER_C, {0, 0, 0}, {"GETUP", "WALK", "LIFT", "FLY", "LAND", "SIT"});
    }
    static std::unique_ptr<CTaskParam> Radius(float value)
    {
        auto p = CreateTaskParam(PARAM_RADIUS);
        static_cast<CRadiusParam*>(p.get())->value = value;
        return p;
    }
    void Tick(CTask* task, int32_t ms = 50)
    {
        GameClock.gameClock += ms;
        task->Update(*bird->objectLogic);
    }

    CWorldObject* hero = nullptr;
    CWorldObject* bird = nullptr;
};

} // namespace

TEST_F(Birds, AGangMemberAtOneDoesNotScareAnEatingBirdAndAt099ItDoes)
{
    struct Case
    {
        float distance;
        bool scared;
    } cases[] = {{1.0f, false}, {0.99f, true}, {3.0f, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.distance);
        GangMemberList.clear();
        CWorldObject* member = Character("Kumpel", {c.distance, 0, 0});
        Gang({member});
        auto* task = Start<CBirdEatingTask>(bird, List(Position({0, 0, 0}), Radius(0.01f)));
        Tick(task);
        EXPECT_EQ(task->state == 10, c.scared);
        EXPECT_EQ(bird->objectLogic->IsCurrentAnimation("FLY"), c.scared);
        member->position.x = 20.0f;
    }
}

TEST_F(Birds, AScaredBirdRisesAndComesDownWhenTheDangerIsGone)
{
    CWorldObject* member = Character("Kumpel", {0.5f, 0, 0});
    Gang({member});
    auto* task = Start<CBirdEatingTask>(bird, List(Position({0, 0, 0}), Radius(0.01f)));
    Tick(task);
    for (int i = 0; i < 60; ++i)
        Tick(task, 100);
    EXPECT_FLOAT_EQ(bird->position.y, 1.0f) << "no higher than one above the ground";
    member->position.x = 20.0f;
    Tick(task, 1000);
    EXPECT_NEAR(bird->position.y, 0.5f, 1e-5f);
    Tick(task, 1000);
    EXPECT_EQ(bird->position.y, 0.0f);
    EXPECT_EQ(task->state, 11);
    EXPECT_TRUE(bird->objectLogic->IsCurrentAnimation("LAND"));
}

TEST_F(Birds, HopsStayInsideTheCircle)
{
    // Hops of up to 0.2 each way would mostly leave a circle this small.
    auto* task = Start<CBirdEatingTask>(bird, List(Position({0, 0, 0}), Radius(0.05f)));
    float farthest = 0.0f;
    for (int i = 0; i < 4000; ++i) {
        bird->objectLogic->animationEnded = 1;
        Tick(task);
        farthest = std::max(farthest, std::hypot(bird->position.x, bird->position.z));
    }
    EXPECT_LE(farthest, 0.05f + 1e-5f);
    EXPECT_GT(farthest, 0.0f);
}

TEST(BirdTurn, TakesTheShortWayAndStopsOnTheTarget)
{
    float heading = 0.1f;
    EXPECT_FALSE(TurnHeading(heading, 6.2f, 0.02f));
    EXPECT_NEAR(heading, 0.08f, 1e-6f) << "across zero, not the long way round";
    heading = 1.0f;
    EXPECT_TRUE(TurnHeading(heading, 1.02f, 0.02f));
    EXPECT_EQ(heading, 1.02f);
    heading = 6.28f;
    EXPECT_FALSE(TurnHeading(heading, 0.5f, 0.1f));
    EXPECT_LT(heading, 6.2831855f);
}

TEST_F(Birds, AFlightBetweenSpotsOfEqualHeightPasses03AboveThemHalfWay)
{
    auto* task = Start<CBirdFlyingTask>(bird, List(Position({1, 2, 0}), Position({5, 2, 0})));
    // Run until it takes off towards the other spot.
    int32_t guard = 0;
    float highest = 0.0f;
    bool crossed = false;
    while (guard++ < 20000 && !crossed) {
        bird->objectLogic->animationEnded = 1;
        Tick(task, 20);
        if (task->state == 4) {
            highest = std::max(highest, bird->position.y);
            crossed = std::fabs(bird->position.x - 3.0f) < 0.01f;
        }
    }
    ASSERT_TRUE(crossed);
    EXPECT_NEAR(bird->position.y, 2.3f, 0.01f);
    EXPECT_NEAR(highest, 2.3f, 0.01f);
}
