// varek-tool tasks dump on task lists the test writes.
#include "tests/tools/ToolTestRig.h"

#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

namespace {

class TasksToolTest : public ToolTest
{
protected:
    TasksToolTest() : ToolTest("tasks") {}
};

} // namespace

TEST_F(TasksToolTest, DumpShowsTasksParametersAndNestedDependencies)
{
    CTaskList list;
    auto walk = std::make_unique<CTaskItem>(5400000, 8);
    walk->SyncParameters(nullptr);
    static_cast<CPositionParam&>(*walk->parameters[0]).x = 1.5f;
    list.AddTask(std::move(walk));
    auto timer = std::make_unique<CDependency>();
    timer->useTimer = 1;
    timer->timer = 45296700;
    auto wait = std::make_unique<CTaskItem>(0, 33);
    wait->SyncParameters(nullptr);
    timer->childList->AddTask(std::move(wait));
    list.AddDependency(std::move(timer));
    CChunkWriter w;
    ASSERT_TRUE(list.Write(w));
    write("list.tali", w.Data());

    ToolRun run = tool("tasks dump list.tali");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("task 8 \"Walk\" start 5400000"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Position = 1.50/0.00/0.00"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("dependency 1: Timer 12:34.56,7"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  task 33 \"Wait\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Random Delay = 0"), std::string::npos) << run.out;

    // A parameter type the program does not know breaks the list where it stands.
    Bytes bad = w.Data();
    for (size_t i = 0; i + 4 <= bad.size(); i += 4)
        if (bad[i] == PARAM_POSITION && bad[i + 1] == 0 && bad[i + 2] == 0 && bad[i + 3] == 0) {
            bad[i] = 40;
            break;
        }
    write("bad.tali", bad);
    run = tool("tasks dump bad.tali");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Unknown parameter type 40 in task record at offset"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("bad.tali"), std::string::npos) << run.err;

    // A dependency linking to a task its list does not have: the rest is shown, the link is a loss.
    CTaskList linked;
    linked.AddTask(std::make_unique<CTaskItem>(0, 33));
    auto door = std::make_unique<CDependency>();
    door->linkedTasks.push_back(linked.tasks[0].get());
    linked.AddDependency(std::move(door));
    CChunkWriter lw;
    ASSERT_TRUE(linked.Write(lw));
    Bytes damaged = lw.Data();
    // The link count 1 and index 0 are the last non-zero bytes before the list's end marker.
    size_t count = damaged.size() - 9;
    while (count > 0 && damaged[count] == 0)
        --count;
    ASSERT_EQ(damaged[count], 1);
    damaged[count + 4] = 7;
    write("linked.tali", damaged);
    run = tool("tasks dump linked.tali");
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.out.find("task 33"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("linked task 7 of 1 at offset"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("linked.tali: loaded with losses (1 skipped)"), std::string::npos) << run.err;

    write("other.bin", Bytes{'W', 'R', 'L', 'D', 0, 0, 0, 0});
    run = tool("tasks dump other.bin");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("no task list"), std::string::npos) << run.err;
}
