// The small movement and control tasks: turning, waiting frozen for the hero,
// walking to an object and asking there, and setting another object's state.
#include "GAMES/Rulo2/behaviour/tasks/MovementTasks.h"

#include "tests/behaviour/TaskWorld.h"

namespace {

class Movement : public TaskWorldTest
{
protected:
    static std::unique_ptr<CTaskParam> Recorded(CWorldObject* object)
    {
        auto p = CreateTaskParam(PARAM_RECORDEDOBJECT);
        static_cast<CRecordedObjectParam*>(p.get())->object = object;
        return p;
    }
    static std::unique_ptr<CTaskParam> Code(int32_t action, CWorldObject* target)
    {
        auto p = CreateTaskParam(PARAM_RECORDEDACTION);
        static_cast<CActionParam*>(p.get())->action.init(action, target, nullptr);
        return p;
    }
};

} // namespace

TEST_F(Movement, TurnSetsTheAbsoluteAngleWhateverItWas)
{
    CWorldObject* c = Character("Passant", {0, 0, 0}, 5);
    for (float before : {0.0f, 3.0f, -1.0f}) {
        c->angle = before;
        Start<CTurnTask>(c, List(Number(PARAM_NUMBER, 90)));
        EXPECT_EQ(c->angle, 1.5707964f) << before;
    }
}

TEST_F(Movement, AFrozenCharacterWaitsFiveSecondsOrEndsOnAnotherOrderWhichItSwallows)
{
    CWorldObject* hero = Character("Held", {0, 0, 1});
    CurrentCharacter = hero;
    struct Case
    {
        int32_t order; // -1 none
        bool onItself;
        int32_t endsAt;
    } cases[] = {{-1, false, 5050}, {9, true, 5050}, {8, false, 50}, {9, false, 50}};
    for (const Case& c : cases) {
        RequestQueue.clear();
        RequestPending = 0;
        GameClock.gameClock = 0;
        CWorldObject* frozen = Character("Wirt", {0, 0, 0}, 5);
        auto* task = Start<CFrozenCharacterTask>(frozen);
        EXPECT_FLOAT_EQ(frozen->angle, 1.5707964f) << "faces the hero";
        if (c.order >= 0)
            Request(c.order, hero, c.onItself ? frozen : nullptr);
        EXPECT_EQ(RunUntilDone(task, *frozen->objectLogic, 6000), c.endsAt) << c.order << c.onItself;
        if (c.order >= 0) {
            EXPECT_EQ(RequestQueue.front().handled, c.endsAt == 50) << "swallowed";
        }
    }
}

TEST_F(Movement, WalkAndDoWithoutARequestAsksForTheTargetOnlyAtItsAttackPoint)
{
    struct Case
    {
        CVector attackPoint;
        bool asks;
    } cases[] = {{{0.5f, 0, 0}, true}, {{0.5f, 0, 8.0f}, false}}; // the second off the ground
    for (const Case& c : cases) {
        RequestQueue.clear();
        RequestPending = 0;
        CWorldObject* walker = Character("Kumpel", {0, 0, 0});
        CWorldObject* target = Object("Schrank", KIND_FIXED, {1.0f, 0, 0});
        AttackPoint(target, c.attackPoint - target->position);
        auto* task = Start<CWalkAndDoTask>(walker, List(Number(PARAM_NUMBER, 1), Number(PARAM_TIME, 0),
                                                        Recorded(target), Code(-1, nullptr)));
        EXPECT_GT(RunUntilDone(task, *walker->objectLogic, 10'000), 0);
        ASSERT_EQ(RequestQueue.size(), c.asks ? 1u : 0u);
        if (c.asks) {
            EXPECT_EQ(RequestQueue[0].action, 9);
            EXPECT_EQ(RequestQueue[0].source, walker);
            EXPECT_EQ(RequestQueue[0].target, target);
            EXPECT_EQ(RequestQueue[0].followUp, nullptr);
        }
    }
}

TEST_F(Movement, AnyNonZeroStateSetsTheRemoteState)
{
    CWorldObject* switcher = Character("Hausmeister", {0, 0, 0}, 5);
    CWorldObject* door = Object("Tuer", KIND_DOOR, {1, 0, 0});
    Start<CSetRemoteStateTask<STATE_LOCKED>>(switcher, List(Number(PARAM_NUMBER, 5), ObjectRef(door)));
    EXPECT_TRUE(door->objectLogic->IsLocked());
    EXPECT_TRUE(door->objectLogic->active);
    Start<CSetRemoteStateTask<STATE_LOCKED>>(switcher, List(Number(PARAM_NUMBER, 0), ObjectRef(door)));
    EXPECT_FALSE(door->objectLogic->IsLocked());
    Start<CSetRemoteStateTask<STATE_OPEN>>(switcher, List(Number(PARAM_NUMBER, 1), ObjectRef(door)));
    EXPECT_TRUE(door->objectLogic->IsOpen());
}
