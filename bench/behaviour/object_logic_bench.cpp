// Ticking 2,000 active objects 10,000 times beside a loop over 2,000 empty
// tasks, and replaying 100,000 recorded events forwards and back beside a plain
// scan of their times, all in one run.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

namespace {

constexpr int kObjects = 2000;
constexpr int kTicks = 10000;
constexpr int kEvents = 100000;

std::vector<std::unique_ptr<CWorldObject>>& Objects()
{
    static std::vector<std::unique_ptr<CWorldObject>> objects = [] {
        std::vector<std::unique_ptr<CWorldObject>> made;
        for (int i = 0; i < kObjects; ++i) {
            auto o = std::make_unique<CWorldObject>("object");
            o->objectKind = CWorldObject::KIND_OBJECT;
            o->objectLogic = new CObjectLogic;
            CObjectLogic& logic = *o->objectLogic;
            logic.ownKindData = CKindData::Create(KIND_FIXED);
            logic.ownTaskList = std::make_unique<CTaskList>();
            // A long DoNothing keeps every object busy with its running task.
            logic.ownTaskList->AddTask(std::make_unique<CTaskItem>(0, TASK_DO_NOTHING));
            logic.Init(o.get());
            made.push_back(std::move(o));
        }
        return made;
    }();
    return objects;
}

void BM_EmptyTaskLoop(benchmark::State& state)
{
    std::vector<std::unique_ptr<CTask>> tasks;
    for (int i = 0; i < kObjects; ++i)
        tasks.push_back(std::make_unique<CTask>());
    CObjectLogic logic;
    for (auto _ : state)
        for (int t = 0; t < kTicks; ++t)
            for (auto& task : tasks)
                benchmark::DoNotOptimize(task->Update(logic));
}

void BM_TickActiveObjects(benchmark::State& state)
{
    auto& objects = Objects();
    for (auto _ : state) {
        for (auto& o : objects)
            o->objectLogic->NextTask();
        for (int t = 0; t < kTicks; ++t) {
            GameClock.gameClock = t * 50;
            for (auto& o : objects)
                o->objectLogic->Tick();
        }
    }
    GameClock.gameClock = 0;
}

void Record()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    CObjectLogic* logic = Objects().front()->objectLogic;
    logic->recordable = 1;
    RecordState = RECORD_RECORD;
    GameClock.gameClock = 0;
    AppendStartMarker();
    for (int i = 1; i < kEvents - 1; ++i) {
        GameClock.gameClock = i;
        logic->SetOpenState(i % 2 != 0);
        logic->SetFlagBit(i % 32);
    }
    RecordState = RECORD_REPLAY;
}

void BM_ScanEventTimes(benchmark::State& state)
{
    Record();
    for (auto _ : state) {
        int64_t sum = 0;
        for (const auto& e : RecordingList.events)
            sum += e->time;
        benchmark::DoNotOptimize(sum);
    }
}

void BM_ReplayBothWays(benchmark::State& state)
{
    Record();
    for (auto _ : state) {
        GameClock.gameSpeed = 100;
        GameClock.gameClock = kEvents;
        RecordingList.cursor = 1;
        ReplayEvents();
        GameClock.gameSpeed = -100;
        GameClock.gameClock = 0;
        ReplayEvents();
    }
    GameClock.gameSpeed = 100;
}

} // namespace

BENCHMARK(BM_EmptyTaskLoop)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TickActiveObjects)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ScanEventTimes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayBothWays)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
