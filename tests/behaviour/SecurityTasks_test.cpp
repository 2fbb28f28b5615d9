// Alarm systems and sensors: which changes each mode reacts to, the delay
// before the global alarm, the failsafe countdown, the sound sensor's
// threshold and the video sensor's blind spot straight below it.
#include "GAMES/Rulo2/behaviour/tasks/SecurityTasks.h"

#include "tests/behaviour/TaskWorld.h"

namespace {

class Security : public TaskWorldTest
{
protected:
    // An armed (locked), active alarm system watching the objects, with the
    // mode, delay and failsafe parameters.
    CAlarmanlageTask* System(int32_t mode, int32_t delay, std::vector<CWorldObject*> watched,
                             int32_t failsafe = 0, int32_t failsafeDelay = 0)
    {
        system = Object("Alarmanlage", KIND_FIXED, {0, 1, 0}, {"IDLE", "ACTIVE"});
        system->objectLogic->SetActiveState(true);
        system->objectLogic->SetLockedState(true);
        TaskParamList list = List(Number(PARAM_FLAG, mode), Number(PARAM_TIME, delay),
                                  Number(PARAM_FLAG, failsafe), Number(PARAM_TIME, failsafeDelay));
        for (CWorldObject* o : watched)
            list.push_back(ObjectRef(o));
        return Start<CAlarmanlageTask>(system, std::move(list));
    }
    bool Tick(CTask* task, CWorldObject* o, int32_t ms = 50)
    {
        GameClock.gameClock += ms;
        return task->Update(*o->objectLogic);
    }
    CWorldObject* system = nullptr;
};

} // namespace

TEST_F(Security, EachModeReactsToItsChange)
{
    enum Change
    {
        BROKEN,
        OPENED,
        TAKEN
    };
    struct Case
    {
        int32_t mode;
        Change change;
        bool fires;
    } cases[] = {
        {0, BROKEN, true},  {0, OPENED, false}, {0, TAKEN, false}, // Crack
        {1, BROKEN, false}, {1, OPENED, true},  {1, TAKEN, false}, // Open
        {2, BROKEN, false}, {2, OPENED, false}, {2, TAKEN, true},  // Pick
    };
    for (const Case& c : cases) {
        Reset();
        CWorldObject* safe = Object("Tresor", KIND_FIXED, {1, 0, 0});
        auto* task = System(c.mode, 0, {safe});
        if (c.change == BROKEN)
            safe->objectLogic->SetBrokenState(true);
        else if (c.change == OPENED)
            safe->objectLogic->SetOpenState(true);
        else
            safe->flags |= 0x02;
        Tick(task, system);
        EXPECT_EQ(system->objectLogic->IsAlarm(), c.fires) << c.mode << " " << c.change;
    }
}

TEST_F(Security, AnInvalidModeOrAParameterPastTheFifthObjectWatchesNothing)
{
    CWorldObject* safe = Object("Tresor", KIND_FIXED, {1, 0, 0});
    safe->objectLogic->SetBrokenState(true);
    auto* invalid = System(3, 0, {safe});
    Tick(invalid, system);
    EXPECT_FALSE(system->objectLogic->IsAlarm());
    // Parameters 4-8 are watched; parameter 9 is not.
    auto* late = System(0, 0, {nullptr, nullptr, nullptr, nullptr, nullptr, safe});
    Tick(late, system);
    EXPECT_FALSE(system->objectLogic->IsAlarm());
}

TEST_F(Security, TheGlobalAlarmComesAfterTheDelayUnlessTheStateIsClearedWithinIt)
{
    for (bool cleared : {false, true}) {
        Reset();
        CWorldObject* door = Object("Tuer", KIND_DOOR, {1, 0, 0});
        auto* task = System(1, 2000, {door});
        door->objectLogic->SetOpenState(true);
        Tick(task, system);
        ASSERT_TRUE(system->objectLogic->IsAlarm());
        Tick(task, system, 1900);
        EXPECT_FALSE(AlarmRaised) << "within the delay";
        if (cleared) {
            system->objectLogic->SetAlarmState(false);
            door->objectLogic->SetOpenState(false);
        }
        Tick(task, system, 150);
        EXPECT_EQ(AlarmRaised != 0, !cleared);
        if (!cleared) {
            EXPECT_EQ(AlarmText, "ALARM_ALARMSYSTEM");
            EXPECT_TRUE(system->objectLogic->IsCurrentAnimation("ACTIVE"));
        }
    }
}

TEST_F(Security, WithFailsafeUnlockingChecksOnceThenWaitsForTheFailsafeDelay)
{
    CWorldObject* door = Object("Tuer", KIND_DOOR, {1, 0, 0});
    auto* task = System(1, 100'000, {door}, 1, 5000);
    system->objectLogic->SetLockedState(false);
    Tick(task, system);
    EXPECT_FALSE(system->objectLogic->IsAlarm()) << "checked at the unlocking: all closed";
    door->objectLogic->SetOpenState(true);
    Tick(task, system, 4000);
    EXPECT_FALSE(system->objectLogic->IsAlarm()) << "not checked during the failsafe delay";
    Tick(task, system, 1000);
    EXPECT_TRUE(system->objectLogic->IsAlarm());
    // Without failsafe an unlocked system checks nothing.
    Reset();
    CWorldObject* other = Object("Tuer", KIND_DOOR, {1, 0, 0});
    auto* plain = System(1, 0, {other});
    system->objectLogic->SetLockedState(false);
    other->objectLogic->SetOpenState(true);
    Tick(plain, system, 10'000);
    EXPECT_FALSE(system->objectLogic->IsAlarm());
}

TEST_F(Security, ASoundSensorTriggersAboveItsSensitivityAndEndsInSilence)
{
    CWorldObject* house = world->Group("Haus_A");
    CWorldObject* floor = new CWorldObject("Stockwerk_1");
    house->AddChild(floor);
    struct Case
    {
        int32_t loudness; // 1.0 away: half of it reaches the sensor
        bool alarm, runs;
    } cases[] = {{0, false, false}, {40, false, true}, {42, true, true}};
    for (const Case& c : cases) {
        Reset();
        CWorldObject* sensor = Object("Mikro", KIND_FIXED, {0, 0, 0}, {"IDLE"}, floor);
        sensor->objectLogic->SetActiveState(true);
        if (c.loudness)
            NoiseSources.push_back({1, 0, 0, c.loudness, 0});
        auto* task = Start<CSoundSensorTask>(sensor, List(Number(PARAM_NUMBER, 20)));
        EXPECT_EQ(Tick(task, sensor), c.runs) << c.loudness;
        EXPECT_EQ(sensor->objectLogic->IsAlarm(), c.alarm) << c.loudness;
    }
}

TEST_F(Security, AVideoSensorDoesNotSeeAGangMemberStraightBelowIt)
{
    struct Case
    {
        CVector member;
        bool seen;
    } cases[] = {{{0, 0, 0}, false}, {{0, 0, 0.3f}, true}, {{0, 0, 0.6f}, false}};
    for (const Case& c : cases) {
        Reset();
        CWorldObject* camera = Object("Kamera", KIND_FIXED, {0, 0.5f, 0}, {"IDLE"});
        camera->objectLogic->SetActiveState(true);
        CWorldObject* member = Character("Held", c.member);
        member->position = c.member;
        Gang({member});
        auto* task = Start<CVideoSensorTask>(camera, List(Number(PARAM_NUMBER, 180)));
        EXPECT_TRUE(Tick(task, camera));
        EXPECT_EQ(camera->objectLogic->IsAlarm(), c.seen) << c.member.z;
        ASSERT_EQ(ViewConeList.size(), 1u);
        EXPECT_EQ(ViewConeList[0].key, 0.5f);
    }
}

TEST_F(Security, AVideoSensorsViewConeOutlivesItsTaskButNotItsObject)
{
    CWorldObject* camera = Object("Kamera", KIND_FIXED, {0, 0.5f, 0}, {"IDLE"});
    Start<CVideoSensorTask>(camera, List(Number(PARAM_NUMBER, 90)));
    ASSERT_EQ(ProximityList.size(), 1u);
    tasks.clear();
    EXPECT_TRUE(ProximityList.empty());
    ASSERT_EQ(ViewConeList.size(), 1u);
    // A later start adds no second cone.
    Start<CVideoSensorTask>(camera, List(Number(PARAM_NUMBER, 90)));
    EXPECT_EQ(ViewConeList.size(), 1u);
    tasks.clear();
    delete camera->objectLogic;
    camera->objectLogic = nullptr;
    EXPECT_TRUE(ViewConeList.empty()) << "no cone is left to draw a freed object";
}
