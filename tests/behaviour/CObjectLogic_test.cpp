// The object logic running task lists, recording and replaying changes, the
// record controls, animation feedback keys, bubbles, the alarm and cash.
#include "tests/behaviour/BehaviourFixture.h"

#include <cstdlib>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/ScriptedRun.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/behaviour/tasks/HeroTasks.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/interface/TextBubbles.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectStates.h"

namespace {

std::unique_ptr<CTaskItem> NewItem(const char* type, int32_t start)
{
    auto item = std::make_unique<CTaskItem>(start, TaskTypeByName(type));
    const STaskTypeRow* row = TaskTypeRow(item->taskType);
    for (uint32_t i = 0; row && i < row->paramCount; ++i)
        item->AddParameter(row->params[i].type);
    return item;
}

void SetInt(CTaskItem& item, size_t i, int32_t value)
{
    static_cast<CIntParam*>(item.parameters[i].get())->value = value;
}

std::unique_ptr<CTaskItem> FlagItem(int32_t bit, int32_t start = -1)
{
    auto item = NewItem("SetFlag", start);
    SetInt(*item, 0, bit);
    return item;
}

} // namespace

class ObjectLogicTest : public BehaviourTest
{
protected:
    void SetUp() override
    {
        BehaviourTest::SetUp();
        GameClock.gameClock = 0;
        GameClock.gameSpeed = 100;
        GameClock.fakeRecording = 0;
        RequestQueue.clear();
        RequestPending = 0;
        MaxRecordedTime = 0;
    }
    void TearDown() override
    {
        RemoveAllTextBubbles();
        ResetAlarm();
        HudSelectedCharacter = nullptr;
        TriggerAreaList.clear();
        ProximityList.clear();
        PlayerCommand = CActionEntry();
        RequestQueue.clear();
        RequestPending = 0;
        GameClock = GameClockState();
        BehaviourTest::TearDown();
    }
    // A placed object of the kind with an own task list, initialised.
    CWorldObject* Running(const char* name, int32_t number, int32_t kind)
    {
        CWorldObject* o = Object(name, number, kind);
        o->objectLogic->ownTaskList = std::make_unique<CTaskList>();
        return o;
    }
    static CTaskList& List(CWorldObject* o) { return *o->objectLogic->ownTaskList; }
    // The same, placed from a definition of its own, as the world walks find objects.
    CWorldObject* Defined(const char* name, int32_t number, int32_t kind)
    {
        CWorldObject* o =
            Place(g_WorldRoot, name, CWorldObject::KIND_OBJECT, AddDefinition(name, nullptr, kind));
        o->objectLogic = new CObjectLogic;
        o->objectLogic->ownKindData = CKindData::Create(kind);
        o->objectLogic->ownTaskList = std::make_unique<CTaskList>();
        o->objectLogic->recorderId = number;
        return o;
    }
    // A dependency of the list that an action `verb` on the list's owner starts.
    static CTaskList& OnAction(CTaskList& list, int32_t verb)
    {
        auto d = std::make_unique<CDependency>();
        d->useAction = 1;
        d->action.action = verb;
        d->suppressAction = 1;
        d->childList = std::make_unique<CTaskList>();
        d->childList->AddTask(NewItem("DoNothing", 0));
        d->childList->AddTask(NewItem("DoNothing", 80'000'000));
        CTaskList& child = *d->childList;
        list.AddDependency(std::move(d));
        return child;
    }
    // The object step at the next 50 ms tick.
    static void StepTick()
    {
        GameClock.gameClock = (GameClock.gameClock / 50 + 1) * 50;
        RecordCharacterActions();
    }
};

TEST_F(ObjectLogicTest, AnItemOfAnotherKindRunsAsAPlainTaskAndTheListGoesOn)
{
    CWorldObject* window = Running("window", 1, KIND_WINDOW);
    List(window).AddTask(NewItem("Door", 0));
    List(window).AddTask(FlagItem(31, 0));
    CObjectLogic& logic = *window->objectLogic;
    logic.Init(window);
    ASSERT_TRUE(logic.NextTask());
    EXPECT_EQ(typeid(*logic.Task()), typeid(CTask));
    for (int i = 0; i < 3; ++i)
        logic.Tick();
    EXPECT_EQ(logic.flags, 0x80000000u);
    // With the list done and no list below, there is nothing left to run.
    EXPECT_FALSE(logic.PopTaskList());
}

TEST_F(ObjectLogicTest, AFinishingWalkIsSkippedHalfASecondAfterItsFinishingTime)
{
    const struct
    {
        int32_t clock;
        bool skipped;
    } cases[] = {{10400, false}, {10499, false}, {10500, true}, {10600, true}};
    for (const auto& c : cases) {
        CWorldObject* walker = Running("walker", 1, KIND_CHARACTER_A);
        auto walk = NewItem("WalkTo", 0);
        SetInt(*walk, 0, 1);
        SetInt(*walk, 1, 10000);
        List(walker).AddTask(std::move(walk));
        walker->objectLogic->Init(walker);
        std::filesystem::resize_file(logPath, 0);
        GameClock.gameClock = c.clock;
        walker->objectLogic->NextTask();
        EXPECT_EQ(Log().find("Warning: task skipped") != std::string::npos, c.skipped) << c.clock;
        walker->Delete();
    }
}

TEST_F(ObjectLogicTest, TimedDependenciesAreScheduledOnlyAhead)
{
    const struct
    {
        uint8_t reoccurring;
        int32_t clock;
        bool scheduled;
        int32_t at;
    } cases[] = {{0, 500, true, 1000}, {0, 5000, false, 0}, {1, 5000, true, 6000}};
    for (const auto& c : cases) {
        CWorldObject* o = Running("timer", 1, KIND_FIXED);
        List(o).AddTask(NewItem("DoNothing", 0));
        auto d = std::make_unique<CDependency>();
        d->useTimer = 1;
        d->timer = 1000;
        d->reoccurring = c.reoccurring;
        d->childList = std::make_unique<CTaskList>();
        List(o).AddDependency(std::move(d));
        GameClock.gameClock = c.clock;
        o->objectLogic->Init(o);
        o->objectLogic->NextTask();
        EXPECT_EQ(o->objectLogic->scheduledDependency != nullptr, c.scheduled) << c.clock;
        if (c.scheduled) {
            EXPECT_EQ(o->objectLogic->dependencyTime, c.at);
        }
        o->Delete();
    }
}

TEST_F(ObjectLogicTest, AStateChangeStartsItsDependencyAtTheNextTickButNotDuringReplay)
{
    for (int32_t state : {RECORD_NORMAL, RECORD_REPLAY}) {
        CWorldObject* door = Running("door", 1, KIND_DOOR);
        List(door).AddTask(NewItem("DoNothing", 0));
        auto d = std::make_unique<CDependency>();
        d->useStates = 1;
        d->AddStateCondition(STATE_OPEN, true);
        d->childList = std::make_unique<CTaskList>();
        d->childList->AddTask(FlagItem(3, 0));
        List(door).AddDependency(std::move(d));
        CObjectLogic& logic = *door->objectLogic;
        logic.Init(door);
        logic.NextTask();
        RecordState = state;
        logic.SetOpenState(true);
        EXPECT_EQ(logic.taskList, &List(door));
        logic.Tick();
        // The child list ran its flag item (and, being done, returned to the main list).
        EXPECT_EQ((logic.flags & 8u) != 0, state == RECORD_NORMAL);
        RecordState = RECORD_NORMAL;
        door->Delete();
    }
}

TEST_F(ObjectLogicTest, AnIdleObjectLeavesTheActiveListAfterThreeSeconds)
{
    CWorldObject* o = Running("idle", 1, KIND_FIXED);
    o->objectLogic->Init(o);
    o->objectLogic->Activate();
    GameClock.gameClock = 2950;
    RecordCharacterActions();
    EXPECT_EQ(ActiveObjectList.size(), 1u);
    GameClock.gameClock = 3000;
    RecordCharacterActions();
    EXPECT_TRUE(ActiveObjectList.empty());
}

TEST_F(ObjectLogicTest, ADoorOpenedAndClosedWhileRecordingReplaysBothWays)
{
    CWorldObject* door = Running("door", 1, KIND_DOOR);
    CObjectLogic& logic = *door->objectLogic;
    logic.Init(door);
    logic.recordable = 1;
    GamePhase = PHASE_PLANNING;
    RecordState = RECORD_RECORD;
    AppendStartMarker();
    GameClock.gameClock = 100;
    logic.SetOpenState(true);
    GameClock.gameClock = 200;
    logic.SetOpenState(false);
    GameClock.gameClock = 300;
    StopRecording();
    ASSERT_EQ(RecordingList.count(), 4);
    EXPECT_EQ(RecordingList.at(1)->kind, EVENT_OPEN);
    EXPECT_EQ(RecordingList.at(2)->kind, EVENT_OPEN);
    // The end event stays ahead of the cursor.
    const int32_t start = RecordingList.count() - 1;

    GameClock.gameSpeed = -100;
    GameClock.gameClock = 150;
    ReplayEvents();
    EXPECT_TRUE(logic.IsOpen());
    GameClock.gameClock = 0;
    EXPECT_TRUE(ReplayEvents()); // stops at the start event
    EXPECT_FALSE(logic.IsOpen());
    EXPECT_EQ(RecordingList.cursor, 1);

    GameClock.gameSpeed = 100;
    GameClock.gameClock = 250;
    ReplayEvents();
    EXPECT_FALSE(logic.IsOpen());
    EXPECT_EQ(RecordingList.cursor, start);
    GameClock.gameClock = 400;
    EXPECT_TRUE(ReplayEvents()); // the end event stops the replay where it was recorded
    EXPECT_EQ(GameClock.gameSpeed, 0);
    EXPECT_EQ(GameClock.gameClock, 300);
    EXPECT_EQ(RecordingList.cursor, 3);
}

TEST_F(ObjectLogicTest, HasStepEventLooksNinePlacesAhead)
{
    CWorldObject* hero = Running("hero", 1, KIND_FIXED);
    for (int32_t place : {9, 10}) {
        ClearRecordingList();
        for (int32_t i = 0; i < 20; ++i)
            RecordSimple(nullptr, EVENT_ACTIVATE);
        RecordingList.at(place)->kind = EVENT_TASK_ITEM;
        RecordingList.at(place)->object = hero->objectLogic;
        RecordingList.at(place)->time = 700;
        RecordingList.cursor = 0;
        GameClock.gameClock = 700;
        EXPECT_EQ(HasStepEvent(hero), place == 9) << place;
    }
}

TEST_F(ObjectLogicTest, TheStepControlsMoveToTheNextMultipleOf50)
{
    CWorldObject* hero = Running("hero", 1, KIND_FIXED);
    hero->objectLogic->Init(hero);
    CurrentCharacter = hero;
    GamePhase = PHASE_PLANNING;
    const struct
    {
        void (*control)();
        int32_t from, to;
    } cases[] = {{StepToNextAction, 1000, 1050},
                 {StepToNextAction, 1030, 1050},
                 {StepToPreviousAction, 1000, 950},
                 {StepToPreviousAction, 1030, 1000}};
    for (const auto& c : cases) {
        ClearRecordingList();
        GameClock.gameClock = 0;
        AppendStartMarker();
        for (int32_t t : {950, 1000, 1050}) {
            GameClock.gameClock = t;
            RecordTaskItem(hero->objectLogic, nullptr, nullptr, -1);
        }
        AppendEndMarker(2000);
        RecordingList.cursor = 3; // the events up to 1000 are applied
        RecordState = RECORD_REPLAY;
        GameClock.gameClock = c.from;
        c.control();
        EXPECT_EQ(GameClock.gameClock, c.to) << c.from;
        EXPECT_EQ(GameClock.gameSpeed, 0);
    }
}

TEST_F(ObjectLogicTest, RecordingPastNoonClampsAndPauses)
{
    GamePhase = PHASE_PLANNING;
    RecordState = RECORD_RECORD;
    GameClock.gameClock = kMaxRecordingClock + 50;
    RecordCharacterActions();
    EXPECT_EQ(GameClock.gameClock, 43'200'000);
    EXPECT_EQ(GameClock.gameSpeed, 0);
}

TEST_F(ObjectLogicTest, ResumingMidReplayDropsEverythingFromTheCursorOn)
{
    GamePhase = PHASE_PLANNING;
    AppendStartMarker();
    for (int32_t t : {100, 200, 300, 400}) {
        GameClock.gameClock = t;
        RecordSimple(nullptr, EVENT_ACTIVATE);
    }
    AppendEndMarker(500);
    RecordingList.cursor = 3; // events at 100 and 200 applied
    RecordState = RECORD_REPLAY;
    GameClock.gameClock = 250;
    SetRecordState(0);
    EXPECT_EQ(RecordingList.count(), 3);
    EXPECT_EQ(RecordState, RECORD_RECORD);
    EXPECT_EQ(GameClock.gameSpeed, 100);
}

TEST_F(ObjectLogicTest, RealtimeStepKeepsSpeedAndRecordState)
{
    // The harness's fixed step is on, as in the whole-program runs: the
    // recording code neither reads it nor turns it into a fake recording.
    ::setenv("VAREK_FIXED_STEP", "1", 1);
    std::string error;
    ASSERT_TRUE(ReadScriptedRun(error)) << error;
    InstallSubsystems();
    GamePhase = PHASE_REALTIME;
    RecordState = RECORD_NORMAL;
    GameClock.prevGameClock = 0;
    GameClock.gameClock = 175;
    EXPECT_EQ(RunSimulationTicks(GameClock), 4) << "50, 100, 150 and 175";
    EXPECT_EQ(GameClock.gameSpeed, 100);
    EXPECT_EQ(RecordState, RECORD_NORMAL);
    EXPECT_EQ(GameClock.fakeRecording, 0);
    EXPECT_TRUE(ScriptedRun.fixedStep);
    ::unsetenv("VAREK_FIXED_STEP");
    ScriptedRun = SScriptedRun();
}

TEST_F(ObjectLogicTest, FeedbackKeysFollowTheVerbAndTheTargetKind)
{
    CWorldObject* door = Running("door", 1, KIND_DOOR);
    door->objectLogic->Init(door);
    CActionEntry request;
    request.target = door;
    const struct
    {
        int32_t action, n;
        const char* key;
    } cases[] = {{0, 1, "FT_Durchgang-Tuer_HAND_1"},
                 {0, 3, "FT_Durchgang-Tuer_HAND_3"},
                 {2, 2, "FT_Durchgang-Tuer_AUGE_2"},
                 {4, 1, "FT_CRACK_1"},
                 {3, 1, ""},
                 {7, 1, ""}};
    for (const auto& c : cases) {
        request.action = c.action;
        EXPECT_EQ(InteractionTextKey(*door->objectLogic, request, c.n), c.key) << c.action;
    }
}

TEST_F(ObjectLogicTest, ALoopingSoundFiresOncePerLoopAlsoWhenATickSpansSeveralLoops)
{
    CObjectNode* def = Item("Fan", 5, KIND_FIXED);
    CObjectState* spin = def->firstState;
    spin->animStart = 0.0f;
    spin->animEnd = 1.0f;
    spin->animSpeed = 100;
    SStateAttachment sound;
    sound.value = FloatAsWord(0.0f); // at the seam
    spin->attachments.push_back(sound);
    CWorldObject* fan = Place(g_WorldRoot, "fan", CWorldObject::KIND_OBJECT, def);
    fan->objectLogic = new CObjectLogic;
    fan->objectLogic->Init(fan);
    fan->objectLogic->SetAnimation(spin);
    const struct
    {
        int32_t clock, fired;
    } steps[] = {{500, 0}, {1050, 1}, {1500, 0}, {4100, 3}};
    for (const auto& s : steps) {
        AnimationSoundEventsFired = 0;
        GameClock.gameClock = s.clock;
        fan->objectLogic->AdvanceAnimation();
        EXPECT_EQ(AnimationSoundEventsFired, s.fired) << s.clock;
    }
}

TEST_F(ObjectLogicTest, BubblesLastByTheirLengthAndCountTheirLines)
{
    CWorldObject* a = Running("a", 1, KIND_FIXED);
    GameClock.frameTime = 1000;
    EXPECT_EQ(ShowTextBubble(a, "Hello", false), 2000);
    EXPECT_EQ(ShowTextBubble(a, "012345678901234567890123456789", false), 3000);
    EXPECT_EQ(TextBubbleList.size(), 1u);
    EXPECT_EQ(GetTextBubbleLines(a), 0);
    ShowTextBubble(a, "one\ntwo\nthree", true);
    EXPECT_EQ(GetTextBubbleLines(a), 3);
    DropExpiredTextBubbles(1'000'000);
    EXPECT_TRUE(HasTextBubble(a));
    RemoveTextBubble(a);
    EXPECT_EQ(GetTextBubbleLines(a), -1);
    ShowTextBubble(a, "short", false);
    DropExpiredTextBubbles(2999);
    EXPECT_TRUE(HasTextBubble(a));
    DropExpiredTextBubbles(3000);
    EXPECT_FALSE(HasTextBubble(a));
}

TEST_F(ObjectLogicTest, TheFirstAlarmStaysAndStopsTheNextFramesClock)
{
    TriggerAlarm("GUARD", 7);
    TriggerAlarm("SENSOR", 9);
    EXPECT_EQ(AlarmText, "GUARD");
    EXPECT_EQ(AlarmSource, 7);
    // The program's frame loop: the clock does not move in the next frame.
    InstallSubsystems();
    FrameHooks hooks = FrameClockHooks;
    static uint32_t now = 100'000;
    hooks.timeSource = [] { return now; };
    hooks.gameFrame = [] {};
    GameClockState clock;
    clock.gameClock = 5000;
    FrameClockIdle(clock, hooks);
    now += 40;
    FrameClockIdle(clock, hooks);
    EXPECT_EQ(clock.gameSpeed, 0);
    EXPECT_EQ(clock.gameClock, 5000);
}

TEST_F(ObjectLogicTest, BuyingTruncatesThePriceFirst)
{
    CObjectNode* def = Item("Drill", 5, KIND_TOOL);
    def->objectLogic->ownKindData->Values()[1] = FloatAsWord(120.7f);
    CWorldObject* drill = Place(g_WorldRoot, "drill", CWorldObject::KIND_OBJECT, def);
    drill->objectLogic = new CObjectLogic;
    drill->objectLogic->Init(drill);
    TradeSelectionState = 131;
    Cash = 100;
    EXPECT_FALSE(BuyItem(drill));
    EXPECT_EQ(Cash, 100);
    Cash = 500;
    EXPECT_TRUE(BuyItem(drill));
    EXPECT_EQ(Cash, 380);
    TradeSelectionState = 0;
}

TEST_F(ObjectLogicTest, AThreeLevelRunStateRoundTripsThroughTheObjectRecord)
{
    CWorldObject* o = Running("o", 1, KIND_FIXED);
    o->objectLogic->objectId = 42;
    CTaskList& main = List(o);
    main.AddTask(NewItem("DoNothing", 0));
    main.AddTask(NewItem("DoNothing", 100));
    auto d1 = std::make_unique<CDependency>();
    d1->childList = std::make_unique<CTaskList>();
    d1->childList->AddTask(NewItem("DoNothing", 0));
    d1->childList->AddTask(NewItem("DoNothing", 5));
    auto d2 = std::make_unique<CDependency>();
    d2->childList = std::make_unique<CTaskList>();
    d2->childList->AddTask(NewItem("DoNothing", 0));
    d2->childList->AddTask(NewItem("DoNothing", 7));
    CTaskList* second = d2->childList.get();
    CTaskList* first = d1->childList.get();
    first->AddDependency(std::move(d2));
    main.AddDependency(std::move(d1));
    CObjectLogic& logic = *o->objectLogic;
    logic.Init(o);
    logic.NextTask();
    GameClock.gameClock = 1000;
    logic.StartTaskList(first, CActionEntry());
    GameClock.gameClock = 2000;
    logic.StartTaskList(second, CActionEntry());
    logic.currentItem = second->tasks[1].get();

    CChunkWriter w;
    ASSERT_TRUE(WriteObjectStates(o, w));
    CChunkReader all(w.Data().data(), w.Data().size());
    SChunkHeader header;
    CChunkReader body;
    ASSERT_EQ(all.NextChunk(header, body), CHUNK_OK);
    logic.ReleaseRuntime();
    logic.Init(o);
    ASSERT_TRUE(RestoreObjectState(body));
    EXPECT_EQ(logic.listStack.size(), 2u);
    EXPECT_EQ(logic.listStartStack[1], 1000);
    EXPECT_EQ(logic.taskList, second);
    EXPECT_EQ(logic.listStart, 2000);
    EXPECT_EQ(Log().find("WARNING: Didn't find"), std::string::npos) << Log();

    CChunkWriter again;
    ASSERT_TRUE(WriteObjectStates(o, again));
    EXPECT_EQ(again.Data(), w.Data());
}

TEST_F(ObjectLogicTest, GangMembersEnteringAndLeavingAreasAndRadiiSendRequests)
{
    CWorldObject* member = Place(g_WorldRoot, "member", CWorldObject::KIND_OBJECT, nullptr);
    CWorldObject* area = Place(g_WorldRoot, "area", CWorldObject::KIND_OBJECT, nullptr);
    CWorldObject* guard = Place(g_WorldRoot, "guard", CWorldObject::KIND_OBJECT, nullptr);
    PlanMemberArray.add(2);
    PlanMemberArray.at(1)->member = member;
    TriggerAreaList.push_back({area, {{1.0f, 0.0f, 1.0f}, {2.0f, 1.0f, 2.0f}}, 0});
    guard->position = CVector(5.0f, 0.0f, 0.0f);
    ProximityList.push_back({guard, 1.0f, 0});
    const struct
    {
        CVector at;
        std::vector<std::pair<int32_t, CWorldObject*>> sent;
    } steps[] = {
        {{0.0f, 0.0f, 0.0f}, {}},
        {{0.96f, 0.0f, 1.5f}, {{12, area}}}, // the feet reach 0.05 into the box
        {{0.96f, 0.0f, 1.5f}, {}},           // no change, no request
        {{1.5f, -0.3f, 1.5f}, {{13, area}}}, // below the box the feet are out again
        {{4.5f, 0.0f, 0.0f}, {{15, guard}}},
        {{1.5f, 0.5f, 1.5f}, {{12, area}, {16, guard}}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        RequestQueue.clear();
        member->position = steps[i].at;
        StepTick();
        ASSERT_EQ(RequestQueue.size(), steps[i].sent.size()) << i;
        for (size_t k = 0; k < RequestQueue.size(); ++k) {
            EXPECT_EQ(RequestQueue[k].action, steps[i].sent[k].first) << i;
            EXPECT_EQ(RequestQueue[k].source, member) << i;
            EXPECT_EQ(RequestQueue[k].target, steps[i].sent[k].second) << i;
        }
    }
    EXPECT_EQ(TriggerAreaList[0].mask, 2u) << "member 1's bit";
}

TEST_F(ObjectLogicTest, ANewOrderOfTheSelectedCharacterEndsTheListItsLastOrderStarted)
{
    CWorldObject* hero = Running("hero", 1, KIND_CHARACTER_A);
    CWorldObject* other = Running("other", 2, KIND_CHARACTER_A);
    List(hero).AddTask(NewItem("DoNothing", 0));
    CTaskList& useOnSelf = OnAction(List(hero), 6);
    hero->objectLogic->Init(hero);
    other->objectLogic->Init(other);
    hero->objectLogic->NextTask();
    CurrentCharacter = hero;
    GamePhase = PHASE_BURGLARY;

    CActionEntry order;
    order.action = 6;
    order.source = hero;
    order.target = hero;
    PushRequest(order);
    StepTick();
    EXPECT_EQ(PlayerCommand.action, 6);
    ASSERT_EQ(hero->objectLogic->taskList, &useOnSelf) << "the order started its list";
    EXPECT_TRUE(RequestQueue.empty());
    StepTick();
    EXPECT_EQ(hero->objectLogic->taskList, &useOnSelf) << "no new order, the list runs on";

    // Another character's order is taken over too, but leaves the hero's list alone.
    order.action = 8;
    order.source = other;
    order.target = nullptr;
    PushRequest(order);
    StepTick();
    EXPECT_EQ(PlayerCommand.source, other);
    EXPECT_EQ(hero->objectLogic->taskList, &useOnSelf);

    RequestQueue.clear();
    order.source = hero;
    PushRequest(order);
    StepTick();
    EXPECT_EQ(PlayerCommand.source, hero);
    EXPECT_EQ(PlayerCommand.action, 8);
    EXPECT_EQ(hero->objectLogic->taskList, &List(hero)) << "the walk order replaced the list";
    EXPECT_TRUE(hero->objectLogic->listStack.empty());
    EXPECT_TRUE(hero->objectLogic->active);
}

TEST_F(ObjectLogicTest, StartingARecordingHandsTheHeroItsOrdersAndAFakeRecordingOnlyGoesOn)
{
    CWorldObject* hero = Defined("hero", 1, KIND_CHARACTER_A);
    CWorldObject* member = Defined("member", 2, KIND_CHARACTER_A);
    CWorldObject* lamp = Defined("lamp", 3, KIND_FIXED);
    List(hero).AddTask(NewItem("DoNothing", 0));
    CTaskList& aside = OnAction(List(hero), 6);
    List(member).AddTask(NewItem("DoNothing", 0));
    List(lamp).AddTask(FlagItem(2, 0));
    PlanMemberArray.add(2);
    PlanMemberArray.at(0)->member = hero;
    PlanMemberArray.at(1)->member = member;
    for (CWorldObject* o : {hero, member, lamp})
        o->objectLogic->Init(o);
    CurrentCharacter = hero;
    GamePhase = PHASE_PLANNING;

    for (bool fake : {false, true}) {
        CObjectLogic& h = *hero->objectLogic;
        h.StartTaskList(&aside, CActionEntry());
        lamp->objectLogic->flags = 0;
        member->objectLogic->currentItem = nullptr;
        ClearRecordingList();
        AppendStartMarker();
        GameClock.gameClock = 100;
        RecordState = RECORD_REPLAY;
        if (fake)
            StartFakeRecording();
        else
            SetRecordState(0);
        EXPECT_EQ(RecordState, RECORD_RECORD) << fake;
        EXPECT_EQ(RecordingControl.character, hero) << fake;
        EXPECT_EQ(RecordingControl.skip, 0) << "only for the walk";
        EXPECT_EQ(lamp->objectLogic->flags, 4u) << "every other object goes on with its list";
        if (fake) {
            // Everyone goes on, the hero and the member with no plan too.
            EXPECT_EQ(h.taskList, &aside);
            EXPECT_EQ(h.currentItem, aside.tasks[0].get());
            EXPECT_EQ(member->objectLogic->currentItem, List(member).tasks[0].get());
        } else {
            // The hero is back on its start list, taking orders instead of items;
            // the member without a plan waits.
            EXPECT_EQ(h.taskList, &List(hero));
            EXPECT_TRUE(h.listStack.empty());
            EXPECT_EQ(h.currentItem, nullptr);
            EXPECT_NE(h.Task(), nullptr);
            EXPECT_EQ(member->objectLogic->currentItem, nullptr);
            EXPECT_NE(member->objectLogic->Task(), nullptr);
        }
    }
    GameClock.fakeRecording = 0;
}

// A new plan is in RECORD from its start, its hero on the plain order task: starting the recording
// hands the hero the task that writes its orders into the plan; a recording already under way
// goes on untouched.
TEST_F(ObjectLogicTest, StartingTheRecordingOfANewPlanHandsTheHeroTheRecordingTask)
{
    CWorldObject* hero = Defined("hero", 1, KIND_CHARACTER_A);
    List(hero).AddTask(NewItem("DoNothing", 0));
    PlanMemberArray.add(1);
    PlanMemberArray.at(0)->member = hero;
    hero->objectLogic->Init(hero);
    hero->objectLogic->NextTask();
    CurrentCharacter = hero;
    GamePhase = PHASE_PLANNING;
    RecordState = RECORD_RECORD;
    GameClock.gameSpeed = 0;
    ASSERT_EQ(dynamic_cast<CHeroRecordTask*>(hero->objectLogic->Task()), nullptr);

    SetRecordState(1);
    EXPECT_EQ(RecordState, RECORD_RECORD);
    EXPECT_EQ(GameClock.gameSpeed, 100);
    const CTask* recording = hero->objectLogic->Task();
    EXPECT_NE(dynamic_cast<const CHeroRecordTask*>(recording), nullptr);

    GameClock.gameSpeed = 0;
    SetRecordState(1);
    EXPECT_EQ(hero->objectLogic->Task(), recording) << "no second restart";
    EXPECT_EQ(GameClock.gameSpeed, 100);
}

// What the program's own install gives the game step: active objects tick on
// every 50 ms of the clock, and one idle for three seconds leaves the list.
TEST_F(ObjectLogicTest, TheProgramsGameStepTicksTheActiveObjects)
{
    InstallSubsystems();
    CWorldObject* lamp = Running("lamp", 1, KIND_FIXED);
    List(lamp).AddTask(FlagItem(0, 0));
    List(lamp).AddTask(FlagItem(1, 100));
    List(lamp).AddTask(FlagItem(2, 150));
    CObjectLogic& logic = *lamp->objectLogic;
    logic.Init(lamp);
    logic.NextTask();
    logic.Activate();
    GameClock.prevGameClock = 0;
    GameClock.gameClock = 120;
    EXPECT_EQ(RunSimulationTicks(GameClock), 3) << "50, 100 and the frame's end at 120";
    EXPECT_EQ(logic.flags, 3u);
    GameClock.prevGameClock = 120;
    GameClock.gameClock = 3100;
    RunSimulationTicks(GameClock);
    EXPECT_EQ(logic.flags, 7u);
    EXPECT_TRUE(ActiveObjectList.empty()) << "no activity since its activation at 0";
}
