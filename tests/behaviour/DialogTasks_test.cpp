// Conversations: questions offered on the partner, the picked one answered,
// entries switched by the answer's lists (numbers outside the entries are
// passed over), the follow-up request, and the conversation's end.
#include "GAMES/Rulo2/behaviour/tasks/DialogTasks.h"

#include "GAMES/Rulo2/interface/CTextTree.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Dialog : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        GamePhase = PHASE_REALTIME;
        BurglaryLevel = 1;
        for (const char* key : {"Q1", "Q2", "Q3", "A1", "A2"})
            TextTree.Insert(key, key);
        TextTree.Insert("BLANK", " ");
        dealer = Object("Dealer", KIND_CHARACTER_B, {0, 0, 0},
                        {"STAND", "SIT", "TALK", "START_TALK", "STOP_TALK"});
        hero = Character("Hero", {0, 0, 1});
        CurrentCharacter = hero;
    }
    void TearDown() override
    {
        CurrentCharacter = nullptr;
        TextTree.Clear();
        TaskWorldTest::TearDown();
    }
    CDialogEntry& Entry(const char* question, const char* answer, uint8_t active = 1)
    {
        auto* state = static_cast<CCharacterState*>(dealer->objectLogic->conditions.get());
        auto e = std::make_unique<CDialogEntry>();
        e->active = active;
        e->question = question;
        e->answer = answer;
        state->entries.push_back(std::move(e));
        return *state->entries.back();
    }
    CDialogEntry& EntryAt(size_t i)
    {
        return *static_cast<CCharacterState*>(dealer->objectLogic->conditions.get())->entries[i];
    }
    CDialogTask* Talk()
    {
        dealer->objectLogic->action.source = hero;
        return Start<CDialogTask>(dealer);
    }
    void Pick(int32_t question)
    {
        CActionEntry r;
        r.action = 10;
        r.source = hero;
        r.target = hero;
        r.choice = question;
        PushRequest(r);
    }
    bool Tick(CDialogTask* task, int32_t ms = 50)
    {
        GameClock.gameClock += ms;
        const bool on = task->Update(*dealer->objectLogic);
        while (!RequestQueue.empty() && RequestQueue.front().handled)
            RequestQueue.erase(RequestQueue.begin());
        RequestPending = RequestQueue.empty() ? 0 : 1;
        return on;
    }

    CWorldObject* dealer = nullptr;
    CWorldObject* hero = nullptr;
};

} // namespace

TEST_F(Dialog, TheOfferedQuestionsShowOnThePartnerAndThePickedOneIsAnswered)
{
    Entry("Q1", "A1").dlgMinus = "1";
    Entry("Q2", "A2");
    Entry("Q3", "A2", 0);
    CDialogTask* task = Talk();
    EXPECT_EQ(Bubble(hero), "Q1\nQ2");
    EXPECT_TRUE(Tick(task));
    Pick(0);
    EXPECT_TRUE(Tick(task));
    EXPECT_EQ(Bubble(hero), "") << "the pick takes the questions away";
    EXPECT_TRUE(Tick(task, 300));
    EXPECT_EQ(Bubble(dealer), "A1");
    EXPECT_EQ(EntryAt(0).available, 0) << "the answer made its own entry unavailable";
    // After the answer the remaining question is offered again.
    EXPECT_TRUE(Tick(task, 3000));
    EXPECT_EQ(Bubble(hero), "Q2");
}

TEST_F(Dialog, AOneBlankAnswerEndsTheConversation)
{
    Entry("Q1", "BLANK");
    CDialogTask* task = Talk();
    Pick(0);
    EXPECT_TRUE(Tick(task));
    EXPECT_FALSE(Tick(task, 300));
    EXPECT_EQ(Bubble(dealer), "");
    EXPECT_TRUE(dealer->objectLogic->IsCurrentAnimation("SIT"));
}

TEST_F(Dialog, EntryNumbersOutsideTheEntriesArePassedOver)
{
    CDialogEntry& first = Entry("Q1", "A1");
    first.dlgPlus = "0 2 7 -1 abc 3";
    first.alwaysPlus = "99 2";
    first.alwaysMinus = "3 1000000000000";
    Entry("Q2", "A2", 0);
    Entry("Q3", "A2", 1);
    EXPECT_EQ(EntryNumbers("0 2 7 -1 x 3", 3), (std::vector<int32_t>{2, 3}));
    CDialogTask* task = Talk();
    Pick(0);
    Tick(task);
    EXPECT_TRUE(Tick(task, 300));
    EXPECT_EQ(EntryAt(1).available, 1);
    EXPECT_EQ(EntryAt(1).active, 1);
    EXPECT_EQ(EntryAt(2).active, 0);
}

TEST_F(Dialog, AnAnswerWithAnEventSendsItsFollowUpAndSetsTheFlag)
{
    Entry("Q1", "A1").dialogEvent = 3;
    CDialogTask* task = Talk();
    Pick(0);
    Tick(task);
    Tick(task, 300);
    EXPECT_EQ(dealer->objectLogic->flags & 0x4u, 0x4u);
    EXPECT_FALSE(Tick(task, 3000));
    ASSERT_FALSE(RequestQueue.empty());
    EXPECT_EQ(RequestQueue.back().action, 7);
    EXPECT_EQ(RequestQueue.back().source, hero);
    EXPECT_EQ(RequestQueue.back().target, dealer);
}

TEST_F(Dialog, APartnerThatMovesEndsItAndLosesTheQuestions)
{
    Entry("Q1", "A1");
    CDialogTask* task = Talk();
    EXPECT_EQ(Bubble(hero), "Q1");
    hero->position.x += 0.001f;
    EXPECT_FALSE(Tick(task));
    EXPECT_EQ(Bubble(hero), "");
}

TEST_F(Dialog, NothingToOfferEndsAtOnceAndOtherPhasesDoNotTalk)
{
    Entry("Q1", "A1", 0);
    EXPECT_FALSE(Tick(Talk()));
    GamePhase = PHASE_PLANNING;
    Entry("Q2", "A2");
    CDialogTask* task = Talk();
    EXPECT_EQ(Bubble(hero), "");
    EXPECT_FALSE(Tick(task));
}

TEST_F(Dialog, ActivateDialogSwitchesOneEntryAndIgnoresOtherNumbers)
{
    Entry("Q1", "A1", 0);
    Start<CActivateDialogTask<true>>(dealer, List(Number(PARAM_NUMBER, 0)));
    EXPECT_EQ(EntryAt(0).active, 1);
    Start<CActivateDialogTask<false>>(dealer, List(Number(PARAM_NUMBER, 1)));
    Start<CActivateDialogTask<false>>(dealer, List(Number(PARAM_NUMBER, -1)));
    EXPECT_EQ(EntryAt(0).active, 1);
    Start<CActivateDialogTask<false>>(dealer, List(Number(PARAM_NUMBER, 0)));
    EXPECT_EQ(EntryAt(0).active, 0);
}
