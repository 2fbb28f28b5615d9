// Doors and windows: who may open them, when they close by themselves, the
// planning refusal, the blocked climb and the state a replay starts from.
#include "GAMES/Rulo2/behaviour/tasks/PassageTasks.h"

#include "GAMES/Rulo2/navigation/Navigation.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Passages : public TaskWorldTest
{
protected:
    CWorldObject* Passage(int32_t kind, CNode* parent = nullptr)
    {
        // On the ground's floor unless given: the open-passage list keeps passages of floors.
        return Register(Object(kind == KIND_DOOR ? "Tuer" : "Fenster", kind, {0, 0, 0},
                               {"CLOSED", "OPENING", "OPEN", "CLOSING"}, parent ? parent : Ground()->parent));
    }
    CWorldObject* Member(const char* name, const CVector& at)
    {
        CWorldObject* m = Register(Character(name, at));
        PlanMemberArray.at(PlanMemberArray.add(1))->member = m;
        return m;
    }
    // The character uses the passage and lets go of the handle: the passage
    // opens and stands open.
    void OpenBy(CTask* task, CWorldObject* passage, CWorldObject* user)
    {
        CObjectLogic& logic = *passage->objectLogic;
        Request(0, user, passage);
        task->Update(logic);
        user->objectLogic->busy = 0;
        task->Update(logic);
        ASSERT_TRUE(logic.IsCurrentAnimation("OPENING"));
        logic.busy = 0;
        logic.animationEnded = 1;
        task->Update(logic);
        ASSERT_TRUE(logic.IsCurrentAnimation("OPEN"));
        ASSERT_TRUE(logic.IsOpen());
        RequestQueue.clear();
        RequestPending = 0;
    }
    template <class T>
    T* Run(CWorldObject* passage)
    {
        return Start<T>(passage);
    }
};

} // namespace

TEST_F(Passages, AGangMemberAtALockedDoorIsRefusedAndAGuardOpensIt)
{
    CWorldObject* door = Passage(KIND_DOOR);
    door->objectLogic->SetLockedState(true);
    CWorldObject* member = Member("Held", {0.1f, 0, 0});
    CWorldObject* guard = Register(Character("Waechter", {-0.1f, 0, 0}, 5));
    auto* task = Run<CDoorTask>(door);
    Request(0, member, door);
    task->Update(*door->objectLogic);
    EXPECT_EQ(Bubble(member), "CHAR_DOORLOCKED");
    EXPECT_TRUE(door->objectLogic->IsCurrentAnimation("CLOSED"));
    EXPECT_TRUE(RequestQueue.front().handled);
    RequestQueue.clear();
    OpenBy(task, door, guard);
    EXPECT_EQ(OpenPassages.size(), 1u);
    EXPECT_EQ(Bubble(guard), "");
}

TEST_F(Passages, PlanningRefusesTheHeroAtAHouseOutsideThePlan)
{
    GamePhase = PHASE_PLANNING;
    CWorldObject* house = world->Group("Haus_X");
    CWorldObject* door = Passage(KIND_DOOR, house);
    CWorldObject* hero = Member("Held", {0.1f, 0, 0});
    CWorldObject* other = Member("Kumpel", {-0.1f, 0, 0});
    CurrentCharacter = hero;
    auto* task = Run<CDoorTask>(door);
    Request(0, hero, door);
    task->Update(*door->objectLogic);
    EXPECT_EQ(Bubble(hero), "CHAR_DOORNOPLAN");
    RequestQueue.clear();
    OpenBy(task, door, other);
    EXPECT_EQ(Bubble(other), "");
    // With the house in the plan the hero gets through as well.
    BurglaryHouses.push_back(house);
    auto* again = Run<CDoorTask>(door);
    door->objectLogic->PlayAnimation("CLOSED");
    door->objectLogic->SetOpenState(false);
    Request(0, hero, door);
    again->Update(*door->objectLogic);
    EXPECT_TRUE(door->objectLogic->IsCurrentAnimation("CLOSED"));
    EXPECT_EQ(hero->objectLogic->busy, 1) << "the hero reaches for the handle";
}

TEST_F(Passages, AnOpenerWithinReachKeepsItOpenAndOneStepFurtherClosesIt)
{
    struct Case
    {
        int32_t kind;
        float distance;
        bool closes;
    } cases[] = {{KIND_DOOR, 0.30f, false},
                 {KIND_DOOR, 0.31f, true},
                 {KIND_WINDOW, 0.35f, false},
                 {KIND_WINDOW, 0.36f, true}};
    for (const Case& c : cases) {
        Reset();
        CWorldObject* passage = Passage(c.kind);
        CWorldObject* guard = Register(Character("Waechter", {0.1f, 0, 0}, 5));
        CTask* task = c.kind == KIND_DOOR ? static_cast<CTask*>(Run<CDoorTask>(passage))
                                          : static_cast<CTask*>(Run<CWindowTask>(passage));
        OpenBy(task, passage, guard);
        guard->position = CVector(c.distance, 0, 0);
        const int32_t left = GameClock.gameClock;
        bool closing = false;
        while (!closing && GameClock.gameClock - left <= 1000) {
            GameClock.gameClock += 50;
            task->Update(*passage->objectLogic);
            closing = passage->objectLogic->IsCurrentAnimation("CLOSING");
        }
        EXPECT_EQ(closing, c.closes) << c.kind << " " << c.distance;
        if (closing) {
            EXPECT_LE(GameClock.gameClock - left, 550) << c.kind;
        }
    }
}

TEST_F(Passages, ASecondUserOfAWindowSomeoneClimbsIsBlocked)
{
    CWorldObject* window = Passage(KIND_WINDOW);
    CWorldObject* climber = Register(Character("Held", {0.1f, 0, 0}));
    CWorldObject* second = Register(Character("Kumpel", {-0.1f, 0, 0}));
    window->objectLogic->SetOpenState(true);
    // Restarted while the climber is half-way through: opener, waiting, climbing, ...
    window->objectLogic->recordedValues = {climber->objectLogic->recorderId, 0, 1, 0, 0, 0, 0, 0, 0};
    climber->objectLogic->busy = 1; // "CLIMB_WIN" still plays
    auto* task = Run<CWindowTask>(window);
    Request(0, second, window);
    task->Update(*window->objectLogic);
    EXPECT_EQ(Bubble(second), "CHAR_WINBLOCKED");
    EXPECT_TRUE(window->objectLogic->IsCurrentAnimation("OPEN"));
}

TEST_F(Passages, ADoorOpenedWhileRecordingClosesAtTheSameMomentOnReplay)
{
    CWorldObject* door = Passage(KIND_DOOR);
    CWorldObject* guard = Register(Character("Waechter", {0.1f, 0, 0}, 5));
    door->objectLogic->recordable = 1;
    guard->objectLogic->recordable = 1;
    RecordState = RECORD_RECORD;
    auto* task = Run<CDoorTask>(door);
    OpenBy(task, door, guard);
    const std::vector<int32_t> recorded = door->objectLogic->recordedValues;
    ASSERT_EQ(recorded.size(), 3u);
    EXPECT_EQ(recorded[0], guard->objectLogic->recorderId);
    // The guard stays a while, then walks off; the door closes at the next check.
    auto closeTime = [&](CTask* t) {
        guard->position = CVector(0.1f, 0, 0);
        for (int32_t i = 0; i < 60; ++i) {
            GameClock.gameClock += 50;
            if (GameClock.gameClock == 1200)
                guard->position = CVector(1, 0, 0);
            t->Update(*door->objectLogic);
            if (door->objectLogic->IsCurrentAnimation("CLOSING"))
                return GameClock.gameClock;
        }
        return -1;
    };
    GameClock.gameClock = 0;
    const int32_t recordedClose = closeTime(task);
    EXPECT_GT(recordedClose, 1200);
    // Replay restarts the task from the recorded values at the same clock.
    RecordState = RECORD_REPLAY;
    GameClock.gameClock = 0;
    door->objectLogic->SetOpenState(true);
    door->objectLogic->PlayAnimation("OPEN");
    door->objectLogic->recordedValues = recorded;
    auto* replayed = Run<CDoorTask>(door);
    EXPECT_EQ(closeTime(replayed), recordedClose);
}
