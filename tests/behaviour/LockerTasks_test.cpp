// Lockers and unlocking: the contents that show when a locker opens (never a
// taken item), hiding the hero and every way of coming out again, and a door
// that unlocks itself.
#include "GAMES/Rulo2/behaviour/tasks/LockerTasks.h"

#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Lockers : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        GamePhase = PHASE_PLANNING;
        hero = Character("Held", {0.2f, 0, 0});
        CurrentCharacter = hero;
        locker = Object("Kasten", KIND_FIXED, {0, 0, 0}, {"CLOSED", "OPENING", "OPEN", "CLOSING"});
        inside = Object("Uhr", KIND_LOOT, {0, 0, 0}, {"OPEN"}, locker);
        taken = Object("Ring", KIND_LOOT, {0, 0, 0}, {"OPEN"}, locker);
        taken->flags |= 0x08;
    }
    void TearDown() override
    {
        HidingPoint = nullptr;
        HidingLocker = nullptr;
        LookInfoSwitch = 0;
        TaskWorldTest::TearDown();
    }
    CKasterlTask* Run(int32_t itemTiming = 0)
    {
        return Start<CKasterlTask>(locker, List(Number(PARAM_NUMBER, 0), Number(PARAM_NUMBER, itemTiming)));
    }
    void Tick(CTask* task)
    {
        GameClock.gameClock += 50;
        task->Update(*locker->objectLogic);
    }
    // The hero's hand opens the locker and its animation runs to its end.
    void Open(CTask* task)
    {
        Request(0, hero, locker);
        Tick(task);
        RequestQueue.clear();
        RequestPending = 0;
        ASSERT_TRUE(locker->objectLogic->IsCurrentAnimation("OPENING"));
        locker->objectLogic->animationEnded = 1;
        Tick(task);
        ASSERT_TRUE(locker->objectLogic->IsOpen());
        locker->objectLogic->animationEnded = 0;
    }
    void Hide(CTask* task)
    {
        Open(task);
        Request(2, hero, locker);
        Tick(task);
        RequestQueue.clear();
        RequestPending = 0;
    }

    CWorldObject* hero = nullptr;
    CWorldObject* locker = nullptr;
    CWorldObject* inside = nullptr;
    CWorldObject* taken = nullptr;
};

} // namespace

TEST_F(Lockers, ATakenItemStaysHiddenWhenItsLockerOpens)
{
    for (int32_t timing : {0, 1}) {
        SCOPED_TRACE(timing);
        locker->objectLogic->SetOpenState(false);
        CKasterlTask* task = Run(timing);
        EXPECT_TRUE(tasks::IsHidden(inside));
        EXPECT_TRUE(tasks::IsHidden(taken));
        Open(task);
        EXPECT_FALSE(tasks::IsHidden(inside));
        EXPECT_TRUE(tasks::IsHidden(taken));
        EXPECT_NE(taken->flags & 0x08, 0);
        // Closing hides the contents again, keeping the taken mark.
        Request(0, hero, locker);
        Tick(task);
        RequestQueue.clear();
        RequestPending = 0;
        EXPECT_TRUE(locker->objectLogic->IsCurrentAnimation("CLOSING"));
        locker->objectLogic->animationEnded = 1;
        Tick(task);
        EXPECT_TRUE(locker->objectLogic->IsCurrentAnimation("CLOSED"));
        EXPECT_FALSE(locker->objectLogic->IsOpen());
        EXPECT_TRUE(tasks::IsHidden(inside));
        EXPECT_NE(taken->flags & 0x08, 0);
        tasks.clear();
    }
}

TEST_F(Lockers, ALockerRefusesInRealtimeAndWhenLocked)
{
    CKasterlTask* task = Run();
    GamePhase = PHASE_REALTIME;
    Request(0, hero, locker);
    Tick(task);
    EXPECT_EQ(Bubble(hero), "CHAR_LOCKERNOPLAN");
    RequestQueue.clear();
    RemoveAllTextBubbles();
    GamePhase = PHASE_PLANNING;
    locker->objectLogic->SetLockedState(true);
    Request(0, hero, locker);
    Tick(task);
    EXPECT_EQ(Bubble(hero), "CHAR_LOCKERLOCKED");
    EXPECT_TRUE(locker->objectLogic->IsCurrentAnimation("CLOSED"));
    RequestQueue.clear();
    // A look at a closed locker only describes it, through the last one who used it.
    Request(2, hero, locker);
    Tick(task);
    EXPECT_EQ(Bubble(hero), "CHAR_LOCKER_CLOSED_LOOK");
    EXPECT_EQ(VehicleMode, 0);
}

TEST_F(Lockers, ALookIntoAnOpenLockerHidesTheHeroUntilAWalkOrderWhichItTakes)
{
    CKasterlTask* task = Run();
    Hide(task);
    EXPECT_EQ(VehicleMode, 3);
    EXPECT_EQ(HidingLocker, locker);
    EXPECT_EQ(HidingPoint, &task->HidingPointOf());
    EXPECT_TRUE(tasks::IsHidden(hero));
    Request(8, hero, ground);
    Tick(task);
    EXPECT_TRUE(RequestQueue.empty()) << "the walk order is taken out: the hero only comes out";
    EXPECT_EQ(VehicleMode, 0);
    EXPECT_EQ(HidingLocker, nullptr);
    EXPECT_FALSE(tasks::IsHidden(hero));
}

TEST_F(Lockers, MovingTheHeroAnyOtherWayEndsTheHiding)
{
    CKasterlTask* task = Run();
    Hide(task);
    ASSERT_EQ(VehicleMode, 3);
    hero->position.x += 0.01f;
    Tick(task);
    EXPECT_EQ(VehicleMode, 0);
    EXPECT_FALSE(tasks::IsHidden(hero));
}

TEST_F(Lockers, AnotherCharacterLookingInHidesNobody)
{
    CWorldObject* other = Character("Kumpel", {0.3f, 0, 0});
    CKasterlTask* task = Run();
    Open(task);
    Request(2, other, locker);
    Tick(task);
    EXPECT_EQ(VehicleMode, 0);
    EXPECT_FALSE(tasks::IsHidden(other));
    EXPECT_FALSE(tasks::IsHidden(hero));
}

TEST_F(Lockers, DeletingTheLockerTaskWhileTheHeroHidesShowsTheHeroAndRestoresTheVehicleMode)
{
    VehicleMode = 0;
    CKasterlTask* task = Run();
    Hide(task);
    ASSERT_EQ(VehicleMode, 3);
    tasks.clear();
    EXPECT_EQ(VehicleMode, 0);
    EXPECT_FALSE(tasks::IsHidden(hero));
    EXPECT_EQ(HidingLocker, nullptr);
    EXPECT_EQ(HidingPoint, nullptr);
}

TEST_F(Lockers, ACommandForAnotherObjectHoldsTheOpeningBack)
{
    CKasterlTask* task = Run();
    Request(0, hero, locker);
    Tick(task);
    RequestQueue.clear();
    locker->objectLogic->animationEnded = 1;
    Request(0, hero, ground);
    Tick(task);
    EXPECT_FALSE(locker->objectLogic->IsOpen());
    RequestQueue.clear();
    RequestPending = 0;
    Tick(task);
    EXPECT_TRUE(locker->objectLogic->IsOpen());
}

TEST_F(Lockers, AufsperrenUnlocksAnOpenDoorAtOnceAndAClosedOneAfterASecond)
{
    for (bool open : {true, false}) {
        SCOPED_TRACE(open);
        CWorldObject* door = Object("Tuer", KIND_DOOR, {0, 0, 0}, {"CLOSED"});
        door->objectLogic->SetOpenState(open);
        door->objectLogic->SetLockedState(true);
        GameClock.gameClock = 0;
        CAufsperrenTask* task = Start<CAufsperrenTask>(door);
        EXPECT_EQ(RunUntilDone(task, *door->objectLogic, 2000), open ? 50 : 1000);
        EXPECT_FALSE(door->objectLogic->IsLocked());
    }
}
