// Picking up objects: the refusal outside a plan, the bag and car limits, the
// pick animation that has to end first, and the look request's description.
#include "GAMES/Rulo2/behaviour/tasks/InventoryTasks.h"

#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Inventory : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        GamePhase = PHASE_PLANNING;
        item = Object("Vase", KIND_LOOT, {1, 0, 0}, {"IDLE"});
        static_cast<CLootKindData*>(item->objectLogic->ownKindData.get())->values[0] = FloatAsWord(0.2f);
        taker =
            Object("Taker", KIND_CHARACTER_A, {0.8f, 0, 0}, {"STAND", "PICK_MED", "PICK_LOW", "PICK_HIGH"});
        auto attributes = std::make_unique<CCharacterAState>();
        attributes->strength = 20.0f;
        taker->objectLogic->conditions = std::move(attributes);
        PlanMemberArray.clear();
        PlanMemberArray.at(PlanMemberArray.add(1))->member = taker;
        PlanCarCapacity = 100.0f;
    }
    void TearDown() override
    {
        PlanMemberArray.clear();
        ClearObjectInstances();
        PlanCarCapacity = 0.0f;
        TaskWorldTest::TearDown();
    }
    CInventoryObjectTask* Task(int32_t always, int32_t action)
    {
        return Start<CInventoryObjectTask>(item,
                                           List(Number(PARAM_NUMBER, always), Number(PARAM_NUMBER, action)));
    }
    // The taker asks to use the object; the task sees it in its next update.
    bool Use(CInventoryObjectTask* task)
    {
        RequestQueue.clear();
        Request(0, taker, item);
        return task->Update(*item->objectLogic);
    }
    bool Taken() const { return tasks::IsHidden(item) && !ObjectInstances.empty(); }

    CWorldObject* item = nullptr;
    CWorldObject* taker = nullptr;
};

} // namespace

TEST_F(Inventory, TheObjectIsTakenWhenTheLowPickEnds)
{
    CInventoryObjectTask* task = Task(0, 1);
    EXPECT_TRUE(Use(task));
    EXPECT_TRUE(taker->objectLogic->IsCurrentAnimation("PICK_LOW"));
    EXPECT_EQ(taker->objectLogic->busy, 1);
    taker->objectLogic->animationEnded = 0;
    EXPECT_TRUE(task->Update(*item->objectLogic));
    EXPECT_FALSE(Taken());
    taker->objectLogic->animationEnded = 1;
    EXPECT_TRUE(task->Update(*item->objectLogic));
    EXPECT_TRUE(Taken());
    EXPECT_EQ(ObjectInstances[0].owner, taker);
}

// A figure that has no pick animation stands still: the object is taken in the next update
// rather than waiting for an end that never comes.
TEST_F(Inventory, ATakerWithoutThePickAnimationTakesTheObjectAtOnce)
{
    CWorldObject* plain = Object("Plain", KIND_CHARACTER_A, {0.8f, 0, 0}, {"STAND"});
    auto attributes = std::make_unique<CCharacterAState>();
    attributes->strength = 20.0f;
    plain->objectLogic->conditions = std::move(attributes);
    PlanMemberArray[0].member = plain;
    plain->objectLogic->PlayAnimation("STAND");
    CInventoryObjectTask* task = Task(0, 1);
    RequestQueue.clear();
    Request(0, plain, item);
    EXPECT_TRUE(task->Update(*item->objectLogic));
    EXPECT_EQ(plain->objectLogic->busy, 0);
    EXPECT_FALSE(Taken());
    EXPECT_TRUE(task->Update(*item->objectLogic));
    EXPECT_TRUE(Taken());
    EXPECT_EQ(ObjectInstances[0].owner, plain);
}

TEST_F(Inventory, InRealtimeAnObjectForPlansIsRefused)
{
    GamePhase = PHASE_REALTIME;
    CInventoryObjectTask* task = Task(0, 0);
    EXPECT_TRUE(Use(task));
    EXPECT_EQ(Bubble(taker), "CHAR_INV_NOPLAN");
    EXPECT_FALSE(taker->objectLogic->IsCurrentAnimation("PICK_MED"));
}

TEST_F(Inventory, TheBagLimitIsStrictlyGreater)
{
    // 0.2 x 100 = 20: exactly the remaining capacity is taken, a gram more is not.
    CInventoryObjectTask* task = Task(0, 0);
    Use(task);
    taker->objectLogic->animationEnded = 1;
    task->Update(*item->objectLogic);
    EXPECT_TRUE(Taken());

    ClearObjectInstances();
    item->flags = 0;
    PlanMemberArray[0].carriedLoad = 0.5f;
    Use(task);
    taker->objectLogic->animationEnded = 1;
    task->Update(*item->objectLogic);
    EXPECT_FALSE(Taken());
    EXPECT_EQ(Bubble(taker), "CHAR_BAGTOOHEAVYBURGLARY");
}

TEST_F(Inventory, TheCarMustHoldTheGangsLoad)
{
    PlanCarCapacity = 10.0f;
    CInventoryObjectTask* task = Task(0, 0);
    Use(task);
    taker->objectLogic->animationEnded = 1;
    task->Update(*item->objectLogic);
    EXPECT_FALSE(Taken());
    EXPECT_EQ(Bubble(taker), "CHAR_TOOHEAVYFORCARBURGLARY");
}

TEST_F(Inventory, AHiddenObjectIgnoresUseButAnswersLooks)
{
    item->flags = 0x02;
    CInventoryObjectTask* task = Task(1, 0);
    EXPECT_TRUE(Use(task));
    EXPECT_EQ(RequestQueue.front().handled, 1);
    EXPECT_FALSE(taker->objectLogic->IsCurrentAnimation("PICK_MED"));
    RequestQueue.clear();
    Request(2, taker, item);
    EXPECT_TRUE(task->Update(*item->objectLogic));
    EXPECT_EQ(RequestQueue.front().handled, 1);
    EXPECT_TRUE(HasTextBubble(taker));
}
