// Writing and reading a task list of 10,000 items that carry every parameter
// type, under nested dependencies, against a plain copy of the same bytes in
// the same run. MB/s is the bytes-per-second figure of each.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

namespace {

constexpr int kItems = 10000;

std::unique_ptr<CTaskItem> Item(int i)
{
    auto t = std::make_unique<CTaskItem>(i * 37 % 86400000, 999);
    for (int32_t type = 1; type <= kParamTypeCount; ++type)
        t->AddParameter(type);
    static_cast<CIntParam&>(*t->parameters[PARAM_NUMBER - 1]).value = i;
    static_cast<CTextParam&>(*t->parameters[PARAM_ACTIONNAME - 1]).text = "WALK_" + std::to_string(i % 50);
    static_cast<CTextParam&>(*t->parameters[PARAM_TEXTID - 1]).text = "HERO_TEXT";
    static_cast<CActionParam&>(*t->parameters[PARAM_ACTIONCODE - 1]).action.action = i % 8;
    static_cast<CPositionParam&>(*t->parameters[PARAM_POSITION - 1]).x = float(i);
    return t;
}

// 10,000 items: half in the top list, the rest spread over dependencies
// nested three deep with linked tasks and state conditions.
const CTaskList& List()
{
    static const std::unique_ptr<CTaskList> list = [] {
        auto owned = std::make_unique<CTaskList>();
        CTaskList& top = *owned;
        int made = 0;
        for (; made < kItems / 2; ++made)
            top.AddTask(Item(made));
        while (made < kItems) {
            auto outer = std::make_unique<CDependency>();
            outer->useStates = 1;
            outer->AddStateCondition(STATE_OPEN, true);
            outer->linkedTasks.push_back(top.tasks[size_t(made % (kItems / 2))].get());
            CTaskList* level = outer->childList.get();
            for (int depth = 0; depth < 3 && made < kItems; ++depth) {
                for (int k = 0; k < 50 && made < kItems; ++k, ++made)
                    level->AddTask(Item(made));
                auto inner = std::make_unique<CDependency>();
                inner->useTimer = 1;
                inner->timer = made;
                CTaskList* next = inner->childList.get();
                level->AddDependency(std::move(inner));
                level = next;
            }
            top.AddDependency(std::move(outer));
        }
        return owned;
    }();
    return *list;
}

const std::vector<uint8_t>& Bytes()
{
    static const std::vector<uint8_t> bytes = [] {
        CChunkWriter w;
        List().Write(w);
        return w.Data();
    }();
    return bytes;
}

void BM_PlainCopy(benchmark::State& state)
{
    const std::vector<uint8_t>& in = Bytes();
    std::vector<uint8_t> out(in.size());
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), in.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}

void BM_WriteTaskList(benchmark::State& state)
{
    for (auto _ : state) {
        CChunkWriter w;
        if (!List().Write(w))
            state.SkipWithError("write failed");
        benchmark::DoNotOptimize(w.Data().data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Bytes().size()));
}

void BM_ReadTaskList(benchmark::State& state)
{
    const std::vector<uint8_t>& in = Bytes();
    for (auto _ : state) {
        CChunkReader all(in.data(), in.size());
        SChunkHeader header;
        CChunkReader body;
        all.NextChunk(header, body, in.size());
        CTaskList list;
        if (!list.Read(body))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(list.tasks.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}

} // namespace

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTaskList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTaskList)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
