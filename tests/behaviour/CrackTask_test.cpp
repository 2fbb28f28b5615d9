// Cracking a safe with a tool: the time the work takes, the tool's wear and
// the refusals it brings, progress kept over an interruption, the work sound's
// level, a second break-open on the same object and the gang's counter.
#include "GAMES/Rulo2/behaviour/tasks/CrackTask.h"

#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Crack : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        GamePhase = PHASE_PLANNING;
        RecordState = RECORD_NORMAL;
        safe = Object("Tresor", KIND_FIXED, {1, 0, 0}, {"CLOSED"});
        auto* data = static_cast<CFixedKindData*>(safe->objectLogic->ownKindData.get());
        data->values[0] = FloatAsWord(30.0f); // working time in seconds
        data->values[1] = 1;                  // wood
        data->values[2] = 2;                  // a safe
        safe->objectLogic->SetLockedState(true);
        safe->objectLogic->SetProgress(0.5f);
        cracker = Object("Cracker", KIND_CHARACTER_A, {0.8f, 0, 0},
                         {"STAND", "START_WORK_MID", "WORK_MID", "STOP_WORK_MID"});
        auto skills = std::make_unique<CCharacterAState>();
        skills->pickSafes = 0.5f;
        cracker->objectLogic->conditions = std::move(skills);
        tool = new CObjectNode("Handbohrer");
        tool->objectLogic = new CObjectLogic;
        auto toolData = std::make_unique<CToolKindData>();
        toolData->name = "Handbohrer";
        toolData->values[4] = FloatAsWord(0.5f);      // against safes
        toolData->values[8 + 1] = FloatAsWord(1.0f);  // on wood
        toolData->values[12 + 1] = FloatAsWord(0.1f); // noise on wood
        tool->objectLogic->ownKindData = std::move(toolData);
        tool->objectLogic->kindData = tool->objectLogic->ownKindData.get();
        tool->objectLogic->conditions = std::make_unique<CToolState>();
        PlanMemberArray.clear();
        PlanMemberArray.at(PlanMemberArray.add(1))->member = cracker;
        PlanMemberArray[0].hands[0].item = tool;
        GameClock.gameClock = 1000;
    }
    void TearDown() override
    {
        PlanMemberArray.clear();
        CrackingList.clear();
        TaskWorldTest::TearDown();
    }
    // The cracker breaks the safe open with the tool: the request the safe's task list runs under.
    CCrackTask* Attempt()
    {
        safe->objectLogic->action.init(4, safe, tool);
        safe->objectLogic->action.source = cracker;
        return Start<CCrackTask>(safe, List(Number(PARAM_NUMBER, 0)));
    }

public:
    float Condition() const
    {
        return static_cast<CToolState*>(tool->objectLogic->conditions.get())->condition;
    }

    CWorldObject* safe = nullptr;
    CWorldObject* cracker = nullptr;
    CObjectNode* tool = nullptr; // the world deletes it with the definitions
};

} // namespace

TEST_F(Crack, TheWorkEndsWhenTheRestOfTheTimeIsUpAndUnlocksTheSafe)
{
    ProgramLog log;
    CCrackTask* task = Attempt();
    // k = (0.5 x 1.0 + 0.5) x 3 = 3; (1 - 0.5) x 30 / 3 = 5 s.
    EXPECT_NE(log.Text().find("CRACK-ENDTIME: 6000"), std::string::npos) << log.Text();
    EXPECT_EQ(Bubble(cracker), "");
    EXPECT_TRUE(cracker->objectLogic->IsCurrentAnimation("START_WORK_MID"));
    ASSERT_EQ(NoiseSources.size(), 1u);
    EXPECT_EQ(NoiseSources[0].loudness, 10);
    ASSERT_FALSE(RequestQueue.empty());
    EXPECT_EQ(RequestQueue.back().action, 17);
    EXPECT_EQ(RequestQueue.back().source, safe);
    RequestQueue.clear();
    RequestPending = 0;

    cracker->objectLogic->animationEnded = 1;
    GameClock.gameClock = 3500; // half way through the rest
    EXPECT_TRUE(task->Update(*safe->objectLogic));
    EXPECT_TRUE(cracker->objectLogic->IsCurrentAnimation("WORK_MID"));
    EXPECT_NEAR(safe->objectLogic->GetProgress(), 0.75f, 1e-5f);
    EXPECT_TRUE(safe->objectLogic->IsLocked());
    // The progress bar over the cracker finds the work through the cracking entry.
    ASSERT_EQ(CrackingList.size(), 1u);
    EXPECT_EQ(CrackingList[0].cracker, cracker);

    GameClock.gameClock = 6050;
    EXPECT_TRUE(task->Update(*safe->objectLogic));
    EXPECT_FALSE(safe->objectLogic->IsLocked());
    EXPECT_EQ(safe->objectLogic->GetProgress(), 0.0f);
    EXPECT_EQ(PlanMemberArray[0].crackedSafes, 1);
    EXPECT_EQ(PlanMemberArray[0].pickedLocks, 0);
    ASSERT_EQ(RequestQueue.size(), 1u);
    EXPECT_EQ(RequestQueue[0].action, 18);
    EXPECT_EQ(RequestQueue[0].target, safe);
    EXPECT_EQ(RequestQueue[0].source, nullptr);

    // The next frame starts the stop animation, the one after its end ends the task.
    cracker->objectLogic->animationEnded = 0;
    EXPECT_TRUE(task->Update(*safe->objectLogic));
    EXPECT_TRUE(cracker->objectLogic->IsCurrentAnimation("STOP_WORK_MID"));
    cracker->objectLogic->animationEnded = 1;
    EXPECT_FALSE(task->Update(*safe->objectLogic));
    EXPECT_TRUE(cracker->objectLogic->IsCurrentAnimation("STAND"));
    tasks.clear();
    EXPECT_TRUE(NoiseSources.empty()) << "the noise source leaves with the task";
    EXPECT_TRUE(CrackingList.empty());
}

TEST_F(Crack, ATheToolOfConditionOneServesOneAttemptThenIsUnfit)
{
    CCrackTask* first = Attempt();
    EXPECT_EQ(Condition(), 0.0f) << "the attempt wore the tool by one unit";
    EXPECT_EQ(WordAsFloat(PlanMemberArray[0].hands[0].word), 1.0f) << "and counted its use";
    cracker->objectLogic->animationEnded = 1;
    GameClock.gameClock = 6050;
    first->Update(*safe->objectLogic);
    first->Update(*safe->objectLogic);
    EXPECT_EQ(Bubble(cracker), "CHAR_CRACKTOOLBROKEN");

    RemoveAllTextBubbles();
    safe->objectLogic->SetLockedState(true);
    CCrackTask* second = Attempt();
    EXPECT_EQ(Bubble(cracker), "CHAR_CRACKFIT");
    EXPECT_FALSE(second->Update(*safe->objectLogic)) << "a refused attempt ends in its first update";
    EXPECT_TRUE(safe->objectLogic->IsLocked());
}

TEST_F(Crack, AnInterruptionKeepsTheProgressSoTheNextAttemptNeedsOnlyTheRest)
{
    static_cast<CToolState*>(tool->objectLogic->conditions.get())->condition = 5.0f;
    CCrackTask* task = Attempt();
    cracker->objectLogic->animationEnded = 1;
    GameClock.gameClock = 3500;
    EXPECT_TRUE(task->Update(*safe->objectLogic));
    // A step up does not count as moving; a step aside does.
    cracker->position.y += 0.1f;
    EXPECT_TRUE(task->Update(*safe->objectLogic));
    cracker->position.x += 0.1f;
    EXPECT_FALSE(task->Update(*safe->objectLogic));
    EXPECT_TRUE(cracker->objectLogic->IsCurrentAnimation("STAND"));
    EXPECT_NEAR(safe->objectLogic->GetProgress(), 0.75f, 1e-5f);
    EXPECT_TRUE(safe->objectLogic->IsLocked());

    ProgramLog log;
    Attempt();
    // (1 - 0.75) x 30 / 3 = 2.5 s, truncated to whole seconds.
    EXPECT_NE(log.Text().find("CRACK-ENDTIME: 5500"), std::string::npos) << log.Text();
}

TEST_F(Crack, AWalkOrderOfTheCrackerEndsTheWorkInTheSameFrame)
{
    static_cast<CToolState*>(tool->objectLogic->conditions.get())->condition = 5.0f;
    CCrackTask* task = Attempt();
    PlayerCommand = CActionEntry();
    PlayerCommand.action = 8;
    PlayerCommand.source = cracker;
    GameClock.gameClock = 2000;
    EXPECT_FALSE(task->Update(*safe->objectLogic));
    EXPECT_EQ(PlayerCommand.handled, 1);
    EXPECT_TRUE(cracker->objectLogic->IsCurrentAnimation("STAND"));
}

TEST_F(Crack, InRealtimeEveryAttemptIsRefused)
{
    GamePhase = PHASE_REALTIME;
    CCrackTask* task = Attempt();
    EXPECT_EQ(Bubble(cracker), "CHAR_CRACKNOPLAN");
    EXPECT_EQ(Condition(), 1.0f);
    EXPECT_TRUE(NoiseSources.empty());
    EXPECT_FALSE(task->Update(*safe->objectLogic));
}

TEST_F(Crack, TheRefusalsNameWhatIsMissing)
{
    struct Case
    {
        const char* what;
        std::function<void(Crack&)> change;
        const char* bubble;
    } cases[] = {
        {"a key", [](Crack& t) { t.tool->objectLogic->ownKindData->name = "key_house"; }, "CHAR_CRACKNOKEY"},
        {"unlocked", [](Crack& t) { t.safe->objectLogic->SetLockedState(false); }, "CHAR_CRACKUNLOCKED"},
        {"no steel factor",
         [](Crack& t) {
             static_cast<CFixedKindData*>(t.safe->objectLogic->ownKindData.get())->values[1] = 2;
         },
         "CHAR_CRACKWRONGTOOL"},
        {"no safe skill",
         [](Crack& t) {
             static_cast<CCharacterAState*>(t.cracker->objectLogic->conditions.get())->pickSafes = 0;
         },
         "CHAR_CRACKNOSAFES"},
        {"tool not for safes",
         [](Crack& t) { static_cast<CToolKindData*>(t.tool->objectLogic->ownKindData.get())->values[4] = 0; },
         "CHAR_CRACKTOOLNOSAFES"},
        {"no crack type",
         [](Crack& t) {
             static_cast<CFixedKindData*>(t.safe->objectLogic->ownKindData.get())->values[2] = 0;
         },
         "CHAR_CRACKNOCRACK"},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        c.change(*this);
        Attempt();
        EXPECT_EQ(Bubble(cracker), c.bubble) << c.what;
        EXPECT_TRUE(NoiseSources.empty()) << c.what;
    }
}

TEST_F(Crack, ASecondBreakOpenIsAnsweredAndTakenOutOfTheQueue)
{
    CCrackTask* task = Attempt();
    RequestQueue.clear();
    CWorldObject* other = Character("Other", {2, 0, 0});
    Request(4, other, safe);
    GameClock.gameClock = 2000;
    EXPECT_TRUE(task->Update(*safe->objectLogic));
    EXPECT_EQ(Bubble(other), "CHAR_CRACKNODOUBLE");
    EXPECT_TRUE(RequestQueue.empty());
    EXPECT_EQ(RequestPending, 0);
    // Also from the cracker itself.
    Request(4, cracker, safe);
    EXPECT_TRUE(task->Update(*safe->objectLogic));
    EXPECT_EQ(Bubble(cracker), "CHAR_CRACKNODOUBLE");
    EXPECT_TRUE(RequestQueue.empty());
}

TEST_F(Crack, TheWorkSoundPlaysAtLeastAtAFifth)
{
    QuietSounds sounds({"WORK_GENERAL", "CRACKINGFINISHED"});
    Attempt();
    ASSERT_EQ(sounds.Count("WORK_GENERAL"), 1);
    const SoundRequest& r = sounds.manager.requests.back();
    EXPECT_EQ(r.loop, 1);
    EXPECT_FLOAT_EQ(r.volume, 0.2f) << "a noise of 0.1 gives the level 0.2";
}

TEST_F(Crack, TheTableRunsTheCrackTaskOnAnyObject)
{
    const int32_t type = TaskTypeByName("Crack");
    EXPECT_NE(dynamic_cast<CCrackTask*>(CreateTaskForKind(type, KIND_DOOR).get()), nullptr);
}
