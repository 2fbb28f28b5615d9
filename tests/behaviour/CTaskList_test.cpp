// Task items, task lists and dependencies: ordering, path codes, editor texts
// and the "TALI" / "TASK" / "DPND" chunks, whole and damaged.
#include "tests/behaviour/BehaviourFixture.h"

#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"

namespace {

class TaskListTest : public BehaviourTest
{
};

std::unique_ptr<CTaskItem> Task(int32_t start, int32_t type = 54)
{
    return std::make_unique<CTaskItem>(start, type);
}

std::vector<uint8_t> Written(const CTaskList& list)
{
    CChunkWriter w;
    EXPECT_TRUE(list.Write(w));
    return w.Data();
}

bool ReadList(const std::vector<uint8_t>& data, CTaskList& list)
{
    CChunkReader body = OnlyChunkBody(data, ChunkId("TALI"));
    return list.Read(body);
}

// One task item carrying every parameter type once, in type order.
CTaskItem* AddEveryParameterType(CTaskList& list, int32_t start, CWorldObject* object, CObjectNode* item,
                                 CWorldObject* recorded)
{
    auto t = Task(start, 999); // no row: parameters stay as stored
    for (int32_t type = 1; type <= kParamTypeCount; ++type)
        EXPECT_TRUE(t->AddParameter(type));
    auto& p = t->parameters;
    static_cast<CObjectRefParam&>(*p[0]).Set(object);
    auto& pos = static_cast<CPositionParam&>(*p[1]);
    pos.x = 1.5f;
    pos.y = -2.0f;
    pos.z = 3.25f;
    static_cast<CRadiusParam&>(*p[2]).value = 0.75f;
    static_cast<CObjectRefParam&>(*p[3]).Set(object);
    static_cast<CIntParam&>(*p[4]).value = 7;
    static_cast<CTextParam&>(*p[5]).text = "WALK";
    static_cast<CActionParam&>(*p[6]).action.init(4, object, item);
    static_cast<CIntParam&>(*p[7]).value = -12;
    static_cast<CIntParam&>(*p[8]).value = 5400000;
    static_cast<CInvItemParam&>(*p[9]).Set(item);
    static_cast<CTextParam&>(*p[11]).text = "door_creak";
    auto& recordedAction = static_cast<CActionParam&>(*p[12]).action;
    recordedAction.init(6, recorded, nullptr);
    recordedAction.slotCode = 2 * 256 + 67;
    static_cast<CRecordedObjectParam&>(*p[13]).object = recorded;
    auto& camera = static_cast<CCameraParam&>(*p[14]);
    camera.position[0] = 1.0f;
    camera.target[2] = -4.0f;
    camera.third[1] = 9.0f;
    static_cast<CTextParam&>(*p[15]).text = "HERO_NEWGAME";
    CTaskItem* raw = t.get();
    list.AddTask(std::move(t));
    return raw;
}

} // namespace

TEST_F(TaskListTest, EqualStartTimesKeepInsertionOrder)
{
    CTaskList list;
    auto a = Task(5000), b = Task(1000), c = Task(5000);
    CTaskItem *first = a.get(), *early = b.get(), *second = c.get();
    list.AddTask(std::move(a));
    list.AddTask(std::move(b));
    list.AddTask(std::move(c));
    ASSERT_EQ(list.tasks.size(), 3u);
    EXPECT_EQ(list.tasks[0].get(), early);
    EXPECT_EQ(list.tasks[1].get(), first);
    EXPECT_EQ(list.tasks[2].get(), second);
    EXPECT_EQ(list.PenultimateTask(), first);
    EXPECT_EQ(list.PreviousTask(early), nullptr);
    EXPECT_EQ(list.PreviousTask(second), first);

    CTaskList single;
    single.AddTask(Task(0));
    EXPECT_EQ(single.PenultimateTask(), nullptr);
}

TEST_F(TaskListTest, RemovingATaskUnlinksItFromEveryDependency)
{
    CTaskList list;
    list.AddTask(Task(1));
    list.AddTask(Task(2));
    auto d = std::make_unique<CDependency>();
    d->linkedTasks = {list.tasks[0].get(), list.tasks[1].get()};
    CDependency* dep = d.get();
    list.AddDependency(std::move(d));
    const CTaskItem* gone = list.tasks[0].get();
    std::unique_ptr<CTaskItem> taken = list.RemoveTask(gone);
    EXPECT_EQ(taken.get(), gone);
    ASSERT_EQ(dep->linkedTasks.size(), 1u);
    EXPECT_EQ(dep->linkedTasks[0], list.tasks[0].get());
    list.DeleteAllTasks();
    EXPECT_TRUE(dep->linkedTasks.empty());
}

TEST_F(TaskListTest, PathCodeNamesTheOutermostDependencyInTheLowestDigit)
{
    CTaskList top;
    for (int i = 0; i < 2; ++i)
        top.AddDependency(std::make_unique<CDependency>());
    CTaskList* child = top.dependencies[1]->childList.get();
    child->AddDependency(std::make_unique<CDependency>());
    const CTaskList* target = child->dependencies[0]->childList.get();

    uint32_t code = 0;
    EXPECT_TRUE(top.FindPathCode(code, target));
    EXPECT_EQ(code, 0x12u);

    code = 0;
    EXPECT_TRUE(top.FindPathCode(code, top.dependencies[0]->childList.get()));
    EXPECT_EQ(code, 0x1u);

    CTaskList outside;
    code = 0;
    EXPECT_FALSE(top.FindPathCode(code, &outside));
    EXPECT_EQ(code, 0u);
}

TEST_F(TaskListTest, DependencyTexts)
{
    CDependency timer;
    timer.useTimer = 1;
    timer.timer = 45296700;
    EXPECT_EQ(timer.Describe(), "Timer 12:34.56,7");

    CDependency states;
    states.useStates = 1;
    states.AddStateCondition(STATE_OPEN, true);
    states.AddStateCondition(STATE_ALARM, false);
    EXPECT_EQ(states.Describe(), "States: Open Set + Alarm Cleared");
    EXPECT_EQ(states.GetStateCondition(STATE_OPEN), 1);
    EXPECT_EQ(states.GetStateCondition(STATE_ALARM), 0);
    EXPECT_EQ(states.GetStateCondition(STATE_LOCKED), 2);
    states.AddStateCondition(STATE_OPEN, false);
    EXPECT_EQ(states.GetStateCondition(STATE_OPEN), 0) << "the last condition on a state wins";

    CDependency talk;
    talk.useAction = 1;
    talk.action.action = 1;
    EXPECT_EQ(talk.Describe(), "Sprechen mit 'Mir'");

    CDependency planned;
    planned.planned = 1;
    EXPECT_EQ(planned.Describe(), "Planned Task-List");
    EXPECT_EQ(CDependency().Describe(), "Undefined");
}

TEST_F(TaskListTest, EveryParameterTypeAndNestedDependenciesRoundTripByteForByte)
{
    CWorldObject* safe = Object("Safe", 3);
    CWorldObject* guard = Object("Guard", 5, 5);
    CObjectNode* crowbar = Item("Crowbar", 4, 2);

    CTaskList top;
    CTaskItem* allTypes = AddEveryParameterType(top, 2000, safe, crowbar, guard);
    top.AddTask(Task(1000, 1));
    top.tasks[0]->AddParameter(PARAM_FLAG);

    auto outer = std::make_unique<CDependency>();
    outer->action.init(0, safe, crowbar);
    outer->useAction = 1;
    outer->useStates = 1;
    outer->useFlags = 1;
    outer->flagMask = 0x5;
    outer->flagValues = 0x4;
    outer->story = 2;
    outer->timer = 3600000;
    outer->tolerance = 5000;
    outer->reoccurring = 1;
    outer->suppressAction = 1;
    outer->AddStateCondition(STATE_LOCKED, true);
    outer->AddStateCondition(STATE_BROKEN, false);
    outer->linkedTasks = {allTypes, top.tasks[0].get()};
    auto inner = std::make_unique<CDependency>();
    inner->planned = 1;
    inner->childList->AddTask(Task(300, 33));
    inner->childList->tasks[0]->SyncParameters(nullptr);
    outer->childList->AddTask(Task(100, 8));
    outer->childList->tasks[0]->SyncParameters(safe);
    outer->childList->AddDependency(std::move(inner));
    top.AddDependency(std::move(outer));

    const std::vector<uint8_t> first = Written(top);
    CTaskList loaded;
    ASSERT_TRUE(ReadList(first, loaded)) << Log();
    EXPECT_EQ(Written(loaded), first) << "written again before resolving";

    // Recorded forms are resolved while reading; the rest on request.
    const CTaskItem& t = *loaded.tasks[1];
    ASSERT_EQ(t.parameters.size(), size_t(kParamTypeCount));
    EXPECT_EQ(static_cast<CRecordedObjectParam&>(*t.parameters[13]).object, guard);
    EXPECT_EQ(static_cast<CActionParam&>(*t.parameters[12]).action.target, guard);
    EXPECT_EQ(static_cast<CActionParam&>(*t.parameters[12]).action.slotCode, 579);
    ASSERT_TRUE(loaded.ResolveReferences());
    EXPECT_EQ(static_cast<CObjectRefParam&>(*t.parameters[0]).object, safe);
    EXPECT_EQ(static_cast<CObjectRefParam&>(*t.parameters[3]).object, safe);
    EXPECT_EQ(static_cast<CInvItemParam&>(*t.parameters[9]).item, crowbar);
    EXPECT_EQ(static_cast<CActionParam&>(*t.parameters[6]).action.target, safe);
    EXPECT_EQ(static_cast<CActionParam&>(*t.parameters[6]).action.item, crowbar);
    EXPECT_FLOAT_EQ(static_cast<CCameraParam&>(*t.parameters[14]).third[1], 9.0f);
    EXPECT_EQ(static_cast<CTextParam&>(*t.parameters[15]).text, "HERO_NEWGAME");

    const CDependency& d = *loaded.dependencies[0];
    EXPECT_EQ(d.action.target, safe);
    EXPECT_EQ(d.action.item, crowbar);
    ASSERT_EQ(d.linkedTasks.size(), 2u);
    EXPECT_EQ(d.linkedTasks[0], loaded.tasks[1].get());
    EXPECT_EQ(d.linkedTasks[1], loaded.tasks[0].get());
    EXPECT_EQ(d.reoccurring, 1);
    EXPECT_EQ(d.Describe(), "Hand auf 'Safe'");
    EXPECT_EQ(d.childList->dependencies[0]->childList->tasks[0]->startTime, 300);
    EXPECT_EQ(Written(loaded), first) << "written again after resolving";

    CTaskList copy;
    copy.Copy(loaded);
    auto& copiedCamera = static_cast<CCameraParam&>(*copy.tasks[1]->parameters[14]);
    EXPECT_FLOAT_EQ(copiedCamera.third[1], 0.0f) << "the camera's third vector is not copied";
    copiedCamera.third[1] = 9.0f;
    EXPECT_EQ(Written(copy), first) << "otherwise a copy writes the same list";
    ASSERT_EQ(copy.dependencies[0]->linkedTasks.size(), 2u);
    EXPECT_EQ(copy.dependencies[0]->linkedTasks[0], copy.tasks[1].get());
}

TEST_F(TaskListTest, OlderDependencyVersionsLoadWithoutTheLaterFields)
{
    for (uint32_t version : {0u, 1u}) {
        SCOPED_TRACE(version);
        CChunkWriter w;
        w.BeginChunk(ChunkId("TALI"), 0);
        w.BeginChunk(ChunkId("DPND"), version);
        w.BeginChunk(ChunkId("ACOD"), 0);
        w.WriteI32(2);
        w.WriteI32(0);
        w.WriteI32(0);
        w.EndChunk();
        w.WriteU32(0x3); // flag mask
        w.WriteU32(0x1); // flag values
        w.WriteI32(4);   // story
        w.WriteBool(false);
        CTaskList empty;
        empty.Write(w);
        w.WriteU32(0); // linked tasks
        if (version == 1) {
            w.WriteBool(true); // useAction
            w.WriteBool(true); // useTimer
            w.WriteBool(true); // useStates
            w.WriteBool(true); // useFlags
            w.WriteI32(7000);  // timer
            w.WriteI32(250);   // tolerance
            w.WriteU32(1);
            w.WriteI32(STATE_ACTIVE);
            w.WriteBool(true);
        }
        w.EndChunk();
        w.WriteMarker(ChunkId("END "));
        w.EndChunk();

        CTaskList list;
        ASSERT_TRUE(ReadList(w.Data(), list)) << Log();
        ASSERT_EQ(list.dependencies.size(), 1u);
        const CDependency& d = *list.dependencies[0];
        EXPECT_EQ(d.flagMask, 0x3u);
        EXPECT_EQ(d.story, 4);
        EXPECT_EQ(d.action.action, 2);
        EXPECT_EQ(d.planned, 0);
        EXPECT_EQ(d.reoccurring, 0);
        EXPECT_EQ(d.useTimer, version == 1);
        EXPECT_EQ(d.useAction, version == 1);
        EXPECT_EQ(d.timer, version == 1 ? 7000 : 0);
        EXPECT_EQ(d.tolerance, version == 1 ? 250 : 0);
        EXPECT_EQ(d.stateConditions.size(), version == 1 ? 1u : 0u);
    }
}

TEST_F(TaskListTest, ParametersThatDoNotFitTheRowAreRebuiltOrCompleted)
{
    const STaskTypeRow* row = TaskTypeRow(77); // Position "Target", Number "Drive Mode"
    ASSERT_STREQ(row->name, "Car Target");
    struct Case
    {
        std::vector<int32_t> stored;
        bool warned;
    } cases[] = {
        {{PARAM_NUMBER, PARAM_NUMBER}, true},
        {{PARAM_POSITION}, false},
        {{PARAM_POSITION, PARAM_NUMBER, PARAM_NUMBER}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.size());
        std::filesystem::remove(logPath);
        CTaskItem original(0, 77);
        for (int32_t type : c.stored)
            original.AddParameter(type);
        if (c.stored[0] == PARAM_NUMBER)
            static_cast<CIntParam&>(*original.parameters[0]).value = 42;
        CChunkWriter w;
        ASSERT_TRUE(original.Write(w));
        CChunkReader body = OnlyChunkBody(w.Data(), ChunkId("TASK"));
        CTaskItem loaded;
        ASSERT_TRUE(loaded.Read(body));
        ASSERT_EQ(loaded.parameters.size(), 2u);
        EXPECT_EQ(loaded.parameters[0]->typeId, PARAM_POSITION);
        EXPECT_EQ(loaded.parameters[1]->typeId, PARAM_NUMBER);
        EXPECT_EQ(static_cast<CIntParam&>(*loaded.parameters[1]).value, 0) << "fresh values";
        EXPECT_EQ(Log().find("WARNING: Parameters updated") != std::string::npos, c.warned) << Log();
    }
}

TEST_F(TaskListTest, DamagedListsAreReadOnlyAsFarAsTheirBodies)
{
    // A list without its end record ends with its chunk.
    {
        CChunkWriter w;
        w.BeginChunk(ChunkId("TALI"), 0);
        CTaskItem(500, 54).Write(w);
        w.EndChunk();
        CTaskList list;
        EXPECT_TRUE(ReadList(w.Data(), list));
        EXPECT_EQ(list.tasks.size(), 1u);
    }
    // A record whose length runs past the list's body fails the list.
    {
        CChunkWriter w;
        w.BeginChunk(ChunkId("TALI"), 0);
        w.WriteId(ChunkId("TASK"));
        w.WriteId(4000);
        w.WriteU32(0);
        w.EndChunk();
        CTaskList list;
        EXPECT_FALSE(ReadList(w.Data(), list));
    }
    // Linked-task indexes of -1 and beyond the parent list name nothing.
    {
        CTaskList source;
        source.AddTask(Task(1));
        auto d = std::make_unique<CDependency>();
        CTaskItem stranger(3, 54);
        d->linkedTasks = {&stranger, source.tasks[0].get()};
        source.AddDependency(std::move(d));
        std::vector<uint8_t> data = Written(source);
        CTaskList list;
        ASSERT_TRUE(ReadList(data, list));
        ASSERT_EQ(list.dependencies[0]->linkedTasks.size(), 1u);
        EXPECT_EQ(list.dependencies[0]->linkedTasks[0], list.tasks[0].get());
        // Point the kept index past the parent's one task.
        const std::vector<uint8_t> needle = {0, 0, 0, 0};
        size_t at = 0;
        for (size_t i = 0; i + 8 <= data.size(); i += 4)
            if (data[i] == 0xFF && data[i + 1] == 0xFF && data[i + 2] == 0xFF && data[i + 3] == 0xFF &&
                data[i + 4] == 0 && data[i + 5] == 0 && data[i + 6] == 0 && data[i + 7] == 0)
                at = i + 4;
        ASSERT_NE(at, 0u);
        data[at] = 9;
        CTaskList other;
        ASSERT_TRUE(ReadList(data, other));
        EXPECT_TRUE(other.dependencies[0]->linkedTasks.empty());
    }
}

TEST_F(TaskListTest, DamagedTaskRecordsFailWithTheirReason)
{
    struct Case
    {
        const char* what;
        std::vector<uint32_t> words; // behind the parameter count of 1
        const char* logged;
    } cases[] = {
        {"unknown type", {17, 5}, "Unknown parameter type 17"},
        {"zero type", {0}, "Unknown parameter type 0"},
        {"text without end", {PARAM_TEXTID, 0x41414141}, "type 16 runs past"},
        {"action code past the body", {PARAM_ACTIONCODE, ChunkId("ACOD"), 0x00010000, 0}, "type 7 runs past"},
        {"number missing", {PARAM_NUMBER}, "type 8 runs past"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(logPath);
        CChunkWriter w;
        w.BeginChunk(ChunkId("TALI"), 0);
        w.BeginChunk(ChunkId("TASK"), 0);
        for (uint32_t v : {0u, 0u, 0u, 0u, 1u})
            w.WriteU32(v);
        for (uint32_t v : c.words) {
            // Chunk ids and lengths are big-endian in the file.
            if (v == ChunkId("ACOD") || v == 0x00010000)
                w.WriteId(v);
            else
                w.WriteU32(v);
        }
        w.EndChunk();
        w.WriteMarker(ChunkId("END "));
        w.EndChunk();
        CTaskList list;
        EXPECT_FALSE(ReadList(w.Data(), list));
        EXPECT_NE(Log().find(c.logged), std::string::npos) << Log();
    }
}

TEST_F(TaskListTest, ListsLargerThanAWorldSectionChunkRead)
{
    CTaskList top;
    auto d = std::make_unique<CDependency>();
    for (int i = 0; i < 2000; ++i) {
        auto t = Task(i, 3);
        t->SyncParameters(nullptr);
        static_cast<CTextParam&>(*t->parameters[0]).text = std::string(600, 'A');
        d->childList->AddTask(std::move(t));
    }
    top.AddDependency(std::move(d));
    const std::vector<uint8_t> data = Written(top);
    ASSERT_GT(data.size(), kMaxChunkBody);
    CChunkReader all(data.data(), data.size());
    SChunkHeader header;
    CChunkReader body;
    ASSERT_EQ(all.NextChunk(header, body, data.size()), CHUNK_OK);
    CTaskList loaded;
    ASSERT_TRUE(loaded.Read(body)) << Log();
    EXPECT_EQ(loaded.dependencies[0]->childList->tasks.size(), 2000u);
}
