// The guards' tactics: what they hear and see in the burglary, the alarm text
// naming who saw whom, the view cone they keep, the door check's clock and the
// object check resumed from its recorded snapshot.
#include "GAMES/Rulo2/behaviour/tasks/GuardTasks.h"

#include "tests/behaviour/TaskWorld.h"

namespace {

class GuardTactics : public TaskWorldTest
{
protected:
    // A guard at the origin facing +z (heading pi/2 puts its view along +z).
    CWorldObject* Guard()
    {
        CWorldObject* g = Character("Waechter", {0, 0, 0}, 5);
        g->angle = 1.5707964f;
        return g;
    }
};

} // namespace

TEST_F(GuardTactics, HearingRaisesTheSoundAlarmOnlyAboveTen)
{
    struct Case
    {
        int32_t loudness;
        bool alarm;
    } cases[] = {{20, false}, {22, true}}; // 1.0 away: loudness / 2 gives 10 and 11
    for (const Case& c : cases) {
        Reset();
        CWorldObject* guard = Guard();
        NoiseSources.push_back({1, 0, 0, c.loudness, 0});
        auto* task = Start<CWaitGuardTask>(guard, List(Number(PARAM_NUMBER, 0), Number(PARAM_NUMBER, 5000)));
        EXPECT_TRUE(task->Update(*guard->objectLogic));
        EXPECT_EQ(AlarmRaised != 0, c.alarm) << c.loudness;
        if (c.alarm) {
            EXPECT_EQ(AlarmText, "ALARM_SOUND");
        }
    }
}

TEST_F(GuardTactics, AGangMemberHalfAUnitAboveOrBelowIsNeverSeen)
{
    struct Case
    {
        float dy;
        bool seen;
    } cases[] = {{0.0f, true}, {0.4f, true}, {-0.4f, true}, {0.5f, false}, {-0.5f, false}, {0.8f, false}};
    for (const Case& c : cases) {
        Reset();
        CWorldObject* guard = Guard();
        CWorldObject* member = Character("Held", {0, 0, 1.0f});
        member->position.y = c.dy;
        Gang({member});
        auto* task = Start<CWaitGuardTask>(guard, List(Number(PARAM_NUMBER, 0), Number(PARAM_NUMBER, 5000)));
        task->Update(*guard->objectLogic);
        EXPECT_EQ(AlarmRaised != 0, c.seen) << c.dy;
    }
}

TEST_F(GuardTactics, TheSightAlarmNamesSeenAndSeerAndASecondAlarmKeepsIt)
{
    CWorldObject* guard = Guard();
    CWorldObject* first = Character("Held", {0.2f, 0, 1.0f});
    CWorldObject* second = Character("Kumpel", {-0.2f, 0, 1.0f});
    Gang({first, second});
    auto* task =
        Start<CGuardTask>(guard, List(Number(PARAM_NUMBER, 0), Position({0, 0, 0}), ObjectRef(nullptr)));
    // Without a walk the path finder reports the guard at its post: the task ends.
    EXPECT_FALSE(task->Update(*guard->objectLogic));
    auto* watch = Start<CWaitGuardTask>(guard, List(Number(PARAM_NUMBER, 0), Number(PARAM_NUMBER, 5000)));
    EXPECT_TRUE(watch->Update(*guard->objectLogic));
    EXPECT_EQ(AlarmText, "CHR_Held ALARM_GUARD CHR_Waechter");
    NoiseSources.push_back({0, 0, 0, 100, 0});
    watch->Update(*guard->objectLogic);
    EXPECT_EQ(AlarmText, "CHR_Held ALARM_GUARD CHR_Waechter");
}

TEST_F(GuardTactics, OutsideTheBurglaryNoAlarmIsRaised)
{
    CWorldObject* guard = Guard();
    CWorldObject* member = Character("Held", {0, 0, 1.0f});
    Gang({member});
    CurrentCharacter = member;
    NoiseSources.push_back({0, 0, 0, 100, 0});
    for (int32_t phase : {PHASE_PLANNING, PHASE_REALTIME}) {
        GamePhase = phase;
        auto* task = Start<CWaitGuardTask>(guard, List(Number(PARAM_NUMBER, 0), Number(PARAM_NUMBER, 5000)));
        EXPECT_TRUE(task->Update(*guard->objectLogic));
        EXPECT_FALSE(AlarmRaised) << phase;
    }
    // Free roaming: the guard only sets its own alarm state on seeing the hero.
    EXPECT_TRUE(guard->objectLogic->IsAlarm());
}

TEST_F(GuardTactics, EveryTacticKeepsOneViewConeWhichGoesWithIt)
{
    CWorldObject* guard = Guard();
    Start<CWaitGuardTask>(guard, List(Number(PARAM_NUMBER, 0), Number(PARAM_NUMBER, 5000)));
    Start<CCheckObjectsTask>(guard);
    ASSERT_EQ(ViewConeList.size(), 1u);
    EXPECT_EQ(ViewConeList[0].key, 2.0f);
    EXPECT_EQ(ViewConeList[0].object, guard->objectLogic);
    tasks.clear();
    EXPECT_TRUE(ViewConeList.empty());
}

TEST_F(GuardTactics, WithoutAGroundNodeTheTacticLogsAndEnds)
{
    CWorldObject* guard = Guard();
    guard->objectLogic->GetPathfinder()->groundNode = nullptr;
    auto* task = Start<CWaitGuardTask>(guard, List(Number(PARAM_NUMBER, 0), Number(PARAM_NUMBER, 5000)));
    EXPECT_FALSE(task->Update(*guard->objectLogic));
}

TEST_F(GuardTactics, TheDoorCheckComparesTheClocksAbsoluteDifference)
{
    struct Case
    {
        int32_t began, now;
        bool ends;
    } cases[] = {
        {86'399'500, 400, true},   // 23:59:59.500 to 00:00:00.400: the wrapped clock ends it at once
        {399'500, 400'000, false}, // half a second of checking
        {400, 1'401, true},
    };
    for (const Case& c : cases) {
        Reset();
        CWorldObject* guard = Guard();
        CWorldObject* door = Object("Tuer", KIND_DOOR, {0, 0, 1.0f}, {"CLOSED", "OPEN"});
        // Restarted in the checking phase from the recorded snapshot.
        guard->objectLogic->recordedValues = {c.began, 1};
        GameClock.gameClock = c.now;
        auto* task = Start<CCheckDoorsTask>(guard, List(ObjectRef(door), Number(PARAM_NUMBER, 0),
                                                        Number(PARAM_NUMBER, 1), Number(PARAM_NUMBER, 1)));
        EXPECT_EQ(!task->Update(*guard->objectLogic), c.ends) << c.began;
        // The unlocked door fails the locked test when the check ends.
        EXPECT_EQ(AlarmText, c.ends ? "ALARM_DOORUNLOCKED" : "") << c.began;
    }
}

TEST_F(GuardTactics, CheckObjectsRestartedFromASnapshotResumesThere)
{
    CWorldObject* guard = Guard();
    std::vector<CWorldObject*> objects;
    TaskParamList list;
    for (int i = 0; i < 5; ++i) {
        objects.push_back(Object("Vase", KIND_FIXED, {float(i) - 2.0f, 0, 1.0f}));
        list.push_back(ObjectRef(objects.back()));
    }
    guard->objectLogic->recordedValues = {40'000, 3};
    auto* task = Start<CCheckObjectsTask>(guard, std::move(list));
    // Facing object 3 at (1, 0, 1): atan2(1, 1) + pi/2.
    EXPECT_FLOAT_EQ(guard->angle, 0.7853982f + 1.5707964f);
    GameClock.gameClock = 41'000;
    EXPECT_TRUE(task->Update(*guard->objectLogic)) << "still looking at object 3 at t + 1000";
    // Object 3 was taken meanwhile: the guard raises the stolen alarm and goes on to object 4.
    objects[3]->flags |= 0x02;
    GameClock.gameClock = 41'001;
    EXPECT_TRUE(task->Update(*guard->objectLogic));
    EXPECT_EQ(AlarmText, "ALARM_STOLEN");
    GameClock.gameClock = 42'002;
    EXPECT_FALSE(task->Update(*guard->objectLogic)) << "past the last object";
}
