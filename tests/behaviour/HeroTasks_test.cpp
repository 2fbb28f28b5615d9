// The hero's orders: walking to a clicked point on a leash around the
// burglary's start, orders on objects, and the planned items "HeroRecord" writes.
#include "GAMES/Rulo2/behaviour/tasks/HeroTasks.h"

#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class HeroOrders : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        hero = Character("Held", {0, 0, 0});
        CurrentCharacter = hero;
    }
    // A click on the ground at (x, 0, z): the pick ray from above.
    void ClickGround(float x, float z, CWorldObject* by = nullptr)
    {
        CActionEntry order;
        order.action = 8;
        order.source = by ? by : hero;
        order.rayOrigin[0] = x;
        order.rayOrigin[1] = 1.0f;
        order.rayOrigin[2] = z;
        order.position[1] = -1.0f;
        PushRequest(order);
    }
    void ClickObject(CWorldObject* target, int32_t followUp = -1)
    {
        CActionEntry order;
        order.action = 9;
        order.source = hero;
        order.target = target;
        if (followUp >= 0) {
            order.followUp = std::make_shared<CActionEntry>();
            order.followUp->init(followUp, target, nullptr);
            order.followUp->source = hero;
        }
        PushRequest(order);
    }
    // Ticks the task for the time; the taken orders leave the queue as the object step lets them.
    void Run(CTask* task, int32_t ms)
    {
        for (const int32_t end = GameClock.gameClock + ms; GameClock.gameClock < end;) {
            GameClock.gameClock += 50;
            task->Update(*hero->objectLogic);
            while (!RequestQueue.empty() && RequestQueue.front().handled)
                RequestQueue.erase(RequestQueue.begin());
            RequestPending = RequestQueue.empty() ? 0 : 1;
        }
    }
    CTask* StartHero(bool record)
    {
        return record ? static_cast<CTask*>(Start<CHeroRecordTask>(hero)) : Start<CHeroTask>(hero);
    }

    CWorldObject* hero = nullptr;
};

} // namespace

TEST_F(HeroOrders, AClickOnTheGroundWalksTheHereThere)
{
    CTask* task = StartHero(false);
    ClickGround(1.0f, 0.5f);
    Run(task, 6000);
    EXPECT_NEAR(hero->position.x, 1.0f, 0.05f);
    EXPECT_NEAR(hero->position.z, 0.5f, 0.05f);
    EXPECT_TRUE(RequestQueue.empty());
}

TEST_F(HeroOrders, TheLeashHoldsInTheBurglaryForBothAndWhilePlanningOnlyForHeroRecord)
{
    struct Case
    {
        bool record;
        int32_t phase;
        bool leashed;
    } cases[] = {{false, PHASE_BURGLARY, true},
                 {false, PHASE_PLANNING, false},
                 {true, PHASE_PLANNING, true},
                 {true, PHASE_BURGLARY, true}};
    for (const Case& c : cases) {
        hero->position = CVector(0, 0, 0);
        hero->objectLogic->GetPathfinder()->Init(hero);
        RemoveAllTextBubbles();
        GamePhase = c.phase;
        BurglaryLeashRadius = 1.0f;
        CTask* task = StartHero(c.record);
        ClickGround(3.0f, 0.0f);
        Run(task, 10'000);
        if (c.leashed) {
            EXPECT_LE(hero->position.x, 1.0f) << c.record << c.phase;
            EXPECT_GT(hero->position.x, 0.9f) << "stopped on the step that crossed";
            EXPECT_EQ(Bubble(hero), "CHAR_BURTOOFARAWAY");
        } else {
            EXPECT_NEAR(hero->position.x, 3.0f, 0.05f) << c.record << c.phase;
            EXPECT_EQ(Bubble(hero), "");
        }
    }
}

TEST_F(HeroOrders, TheLeashSpeaksThroughTheNextOrdersCharacterOrElseTheHero)
{
    // The bubble goes to the acting character of the first queued request; an
    // empty queue is not read and the hero speaks.
    CWorldObject* mate = Character("Kumpel", {0, 0, 2});
    for (bool queued : {false, true}) {
        hero->position = CVector(0, 0, 0);
        hero->objectLogic->GetPathfinder()->Init(hero);
        RemoveAllTextBubbles();
        BurglaryLeashRadius = 1.0f;
        CTask* task = StartHero(false);
        ClickGround(3.0f, 0.0f);
        Run(task, 100);
        ASSERT_TRUE(RequestQueue.empty());
        if (queued) {
            CActionEntry waiting;
            waiting.action = 0;
            waiting.source = mate;
            PushRequest(waiting);
        }
        for (int32_t i = 0; i < 200 && Bubble(hero).empty() && Bubble(mate).empty(); ++i) {
            GameClock.gameClock += 50;
            task->Update(*hero->objectLogic);
        }
        EXPECT_EQ(Bubble(queued ? mate : hero), "CHAR_BURTOOFARAWAY") << queued;
        RequestQueue.clear();
        RequestPending = 0;
    }
}

TEST_F(HeroOrders, AnOrderOnACarIsTakenButTheHeroStays)
{
    CWorldObject* car = Object("Auto", KIND_CAR, {2.0f, 0, 0});
    AttackPoint(car, {-0.5f, 0, 0});
    CTask* task = StartHero(false);
    ClickObject(car, 0);
    Run(task, 3000);
    EXPECT_TRUE(RequestQueue.empty()) << "handled";
    EXPECT_EQ(hero->position.x, 0.0f);
}

TEST_F(HeroOrders, AnOrderOnAnObjectWalksThereAndPassesTheFollowUpOn)
{
    CWorldObject* cupboard = Object("Schrank", KIND_FIXED, {1.5f, 0, 0});
    AttackPoint(cupboard, {-0.5f, 0, 0});
    CTask* task = StartHero(false);
    ClickObject(cupboard, 2);
    for (int32_t i = 0; i < 200 && (RequestQueue.empty() || RequestQueue.front().action != 2); ++i)
        Run(task, 50);
    ASSERT_FALSE(RequestQueue.empty());
    EXPECT_EQ(RequestQueue.front().action, 2);
    EXPECT_EQ(RequestQueue.front().target, cupboard);
    EXPECT_NEAR(hero->position.x, 1.0f, 0.075f);
}

TEST_F(HeroOrders, PlanningJoinsAFollowUpChosenRightAfterItsObjectOrder)
{
    GamePhase = PHASE_PLANNING;
    CTaskList* planned = hero->objectLogic->ResetPlannedTaskList();
    CWorldObject* cupboard = Object("Schrank", KIND_FIXED, {2.0f, 0, 0});
    AttackPoint(cupboard, {-0.5f, 0, 0});
    struct Case
    {
        int32_t gap;
        size_t walkItems;
    } cases[] = {{499, 1}, {500, 2}};
    for (const Case& c : cases) {
        GameClock.gameClock = 1000;
        hero->objectLogic->ResetPlannedTaskList();
        CTask* task = StartHero(true);
        ClickObject(cupboard);
        task->Update(*hero->objectLogic);
        RequestQueue.clear();
        GameClock.gameClock += c.gap;
        ClickObject(cupboard, 4);
        task->Update(*hero->objectLogic);
        RequestQueue.clear();
        RequestPending = 0;
        std::vector<CTaskItem*> walks;
        for (auto& item : planned->tasks)
            if (item->taskType == TASK_WALK_AND_DO)
                walks.push_back(item.get());
        ASSERT_EQ(walks.size(), c.walkItems) << c.gap;
        auto* code = dynamic_cast<CActionParam*>(walks.back()->parameters[3].get());
        ASSERT_NE(code, nullptr);
        EXPECT_EQ(code->action.action, 4) << "the last item carries the action";
    }
}
