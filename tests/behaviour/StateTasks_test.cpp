// The small tasks of the task lists: waiting, speaking, hiding and showing,
// state setters by kind, light barriers and the known people.
#include "GAMES/Rulo2/behaviour/tasks/StateTasks.h"

#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/behaviour/tasks/LightBarrierTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class SmallTasks : public TaskWorldTest
{
protected:
    static std::unique_ptr<CTaskParam> Text(const char* key)
    {
        auto p = CreateTaskParam(PARAM_TEXTID);
        static_cast<CTextParam*>(p.get())->text = key;
        return p;
    }
};

} // namespace

TEST_F(SmallTasks, AWaitOfNoDelayLastsFourHundredMilliseconds)
{
    CWorldObject* o = Object("o", KIND_FIXED, {0, 0, 0});
    GameClock.gameClock = 1000;
    auto* wait = Start<CWaitTask>(o, List(Number(PARAM_NUMBER, 0), Number(PARAM_NUMBER, 9999)));
    EXPECT_EQ(RunUntilDone(wait, *o->objectLogic, 2000), 1400);
    GameClock.gameClock = 0;
    wait = Start<CWaitTask>(o, List(Number(PARAM_NUMBER, 120)));
    EXPECT_EQ(RunUntilDone(wait, *o->objectLogic, 2000), 150);
}

TEST_F(SmallTasks, AWaitRestartedOnReplayKeepsItsRecordedStart)
{
    CWorldObject* o = Object("o", KIND_FIXED, {0, 0, 0});
    o->objectLogic->recordedValues = {200};
    GameClock.gameClock = 500;
    auto* wait = Start<CWaitTask>(o, List(Number(PARAM_NUMBER, 400)));
    EXPECT_EQ(RunUntilDone(wait, *o->objectLogic, 2000), 600);
}

TEST_F(SmallTasks, SayShowsTheKeyOnTheSpeakerOrNothing)
{
    CWorldObject* o = Object("o", KIND_FIXED, {0, 0, 0});
    CWorldObject* speaker = Character("Speaker", {1, 0, 0});
    auto* say = Start<CSayTask>(o, List(ObjectRef(nullptr), Text("")));
    EXPECT_TRUE(TextBubbleList.empty());
    EXPECT_FALSE(say->Update(*o->objectLogic));
    // No speaker: the user of the object speaks; without one nothing is said.
    Start<CSayTask>(o, List(ObjectRef(nullptr), Text("HELLO")));
    EXPECT_TRUE(TextBubbleList.empty());
    o->objectLogic->action.source = speaker;
    say = Start<CSayTask>(o, List(ObjectRef(nullptr), Text("HELLO")));
    EXPECT_EQ(Bubble(speaker), "HELLO");
    EXPECT_FALSE(say->Update(*o->objectLogic));
}

TEST_F(SmallTasks, TheStateSettersRunOnlyOnTheirKinds)
{
    CWorldObject* door = world->Door({0, 0, 0}, false);
    door->objectLogic->conditions = CKindState::Create(KIND_DOOR);
    door->objectLogic->kindData = door->objectLogic->ownKindData.get();
    auto active = CreateTaskForKind(TaskTypeByName("Set Active State"), KIND_DOOR);
    EXPECT_EQ(typeid(*active), typeid(CTask)) << "a door has no active state: the plain task runs";
    auto open = CreateTaskForKind(TaskTypeByName("Set Open State"), KIND_DOOR);
    TaskParamList none;
    open->Start(*door->objectLogic, none);
    EXPECT_TRUE(door->objectLogic->IsOpen());
    EXPECT_FALSE(open->Update(*door->objectLogic));
    CWorldObject* lamp = Object("Lamp", KIND_FIXED, {0, 0, 0});
    CreateTaskForKind(TaskTypeByName("Set Alarm State"), KIND_FIXED)->Start(*lamp->objectLogic, none);
    EXPECT_TRUE(lamp->objectLogic->IsAlarm());
    CreateTaskForKind(TaskTypeByName("Clear Alarm State"), KIND_FIXED)->Start(*lamp->objectLogic, none);
    EXPECT_FALSE(lamp->objectLogic->IsAlarm());
}

TEST_F(SmallTasks, HideAndShowChooseTheSetterByTheRunningObject)
{
    CWorldObject* door = world->Door({0, 0, 0}, false);
    CWorldObject* guard = Character("Guard", {1, 0, 0});
    CWorldObject* lamp = Object("Lamp", KIND_FIXED, {0, 0, 0});
    door->flags = 0x08; // taken
    Start<CHideTask>(guard, List(ObjectRef(door)));
    EXPECT_EQ(door->flags, 0x0A) << "a character's hide keeps the taken mark";
    Start<CShowTask>(lamp, List(ObjectRef(door)));
    EXPECT_EQ(door->flags, 0x00) << "an object's show clears it";
    Start<CHideTask>(lamp, List(ObjectRef(nullptr)));
    EXPECT_TRUE(tasks::IsHidden(lamp)) << "no object: the task's own";
}

TEST_F(SmallTasks, AnInactiveLightBarrierShowsOffAndIgnoresCrossings)
{
    GamePhase = PHASE_BURGLARY;
    CWorldObject* barrier = Object("Schranke", KIND_FIXED, {0, 0, 0}, {"ON", "OFF"});
    CWorldObject* walker = Character("Walker", {1, 0, 0});
    auto* task = Start<CLichtschrankeTask>(barrier);
    EXPECT_TRUE(barrier->objectLogic->IsCurrentAnimation("OFF"));
    ASSERT_EQ(LightBarrierList.size(), 1u);
    EXPECT_EQ(LightBarrierList[0].node, barrier);
    Request(12, walker, barrier);
    EXPECT_TRUE(task->Update(*barrier->objectLogic));
    EXPECT_EQ(RequestQueue.front().handled, 1);
    EXPECT_FALSE(barrier->objectLogic->IsAlarm());

    barrier->objectLogic->SetActiveState(true);
    RequestQueue.clear();
    Request(12, walker, barrier);
    EXPECT_TRUE(task->Update(*barrier->objectLogic));
    EXPECT_TRUE(barrier->objectLogic->IsAlarm()) << "an active barrier crossed in the burglary";

    barrier->objectLogic->SetBrokenState(true);
    RequestQueue.clear();
    Request(12, walker, barrier);
    EXPECT_FALSE(task->Update(*barrier->objectLogic)) << "a broken barrier ends at its first crossing";
    tasks.clear();
    EXPECT_TRUE(LightBarrierList.empty());
}

TEST_F(SmallTasks, AWalkAcrossABarriersBoxSendsOneCrossing)
{
    GamePhase = PHASE_BURGLARY;
    CWorldObject* barrier = Object("Schranke", KIND_FIXED, {0, 0, 0}, {"ON", "OFF"});
    barrier->boundsBMin = CVector(0.9f, -0.1f, -1.0f);
    barrier->boundsBMax = CVector(0.91f, 0.5f, 1.0f);
    Start<CLichtschrankeTask>(barrier);
    CWorldObject* walker = Character("Walker", {0, 0, 0});
    PATHFINDER* path = walker->objectLogic->GetPathfinder();
    ASSERT_TRUE(path->WalkTo(CVector(2, 0, 0), nullptr));
    for (int i = 0; i < 200 && path->walking; ++i) {
        GameClock.gameClock += 50;
        path->Update();
    }
    int crossings = 0;
    for (const CActionEntry& r : RequestQueue)
        crossings += r.action == 12 && r.target == barrier && r.source == walker;
    EXPECT_EQ(crossings, 1);
    EXPECT_GT(walker->position.x, 1.5f);
}

TEST_F(SmallTasks, AKnownPersonIsAddedOnce)
{
    CWorldObject* hero = Character("Hero", {0, 0, 0});
    CWorldObject* dealer = Character("Dealer", {1, 0, 0}, 5);
    Start<CAddToKnownPeopleTask>(hero, List(ObjectRef(dealer)));
    Start<CAddToKnownPeopleTask>(hero, List(ObjectRef(dealer)));
    Start<CAddToKnownPeopleTask>(hero, List(ObjectRef(nullptr)));
    ASSERT_EQ(KnownPeople.size(), 2u);
    EXPECT_EQ(KnownPeople[0], dealer);
    EXPECT_EQ(KnownPeople[1], hero);
}
