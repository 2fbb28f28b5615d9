// Saving and loading a game of 2,000 objects with logic, in MB/s, beside writing
// and reading the same bytes plainly (the same flush and rename) in the same run.
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/Files.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int WorldObjects = 2000;

struct SWorld
{
    fs::path folder;
    std::string path;
    std::vector<uint8_t> bytes;
};

const SWorld& World()
{
    static SWorld world = [] {
        SWorld w;
        w.folder = fs::temp_directory_path() / ("varek_bench_save_" + std::to_string(::getpid()));
        fs::create_directories(w.folder);
        CreateWorldRoots();
        auto* safe = new CObjectNode("Safe");
        safe->AddState("STAND");
        safe->objectLogic = new CObjectLogic;
        safe->objectLogic->ownKindData = CKindData::Create(KIND_FIXED);
        safe->objectLogic->ownConditions = CKindState::Create(KIND_FIXED);
        for (int i = 0; i < WorldObjects; ++i) {
            auto* node = new CWorldObject("safe");
            node->objectKind = CWorldObject::KIND_OBJECT;
            node->reference = safe;
            node->position = CVector(float(i % 45) * 0.2f, 0, float(i / 45) * 0.2f);
            g_WorldRoot->AddChild(node);
        }
        CreateObjectLogic(g_WorldRoot);
        g_WorldRoot->ResolveObjectIds();
        CreateSaveFolders(w.folder.string().c_str());
        w.path = (w.folder / "game001.gam").string();
        BuildGameFile("bench", w.bytes);
        return w;
    }();
    return world;
}

void BM_SaveGame(benchmark::State& state)
{
    const SWorld& w = World();
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveGame(w.path, "bench"));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(w.bytes.size()));
}
BENCHMARK(BM_SaveGame)->Unit(benchmark::kMillisecond);

void BM_PlainWrite(benchmark::State& state)
{
    const SWorld& w = World();
    const fs::path plain = w.folder / "plain.bin";
    for (auto _ : state)
        benchmark::DoNotOptimize(bool(platform::WriteFileAtomically(plain, w.bytes.data(), w.bytes.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(w.bytes.size()));
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);

void BM_LoadGame(benchmark::State& state)
{
    const SWorld& w = World();
    SaveGame(w.path, "bench");
    for (auto _ : state) {
        std::vector<uint8_t> bytes;
        platform::ReadFile(w.path, bytes);
        benchmark::DoNotOptimize(LoadGameFromMemory(bytes.data(), bytes.size(), false));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(w.bytes.size()));
}
BENCHMARK(BM_LoadGame)->Unit(benchmark::kMillisecond);

void BM_PlainRead(benchmark::State& state)
{
    const SWorld& w = World();
    SaveGame(w.path, "bench");
    for (auto _ : state) {
        std::vector<uint8_t> bytes;
        benchmark::DoNotOptimize(platform::ReadFile(w.path, bytes));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(w.bytes.size()));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
