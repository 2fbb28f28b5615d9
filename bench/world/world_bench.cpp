// Loading and saving generated worlds of 5,000 to 80,000 nodes (25 to 400
// models, about 2.5 to 40 MB), in the game and in the editor, against a plain
// read and a plain atomic write of the same bytes in the same run. The first
// argument is the node count, the second the model count; MB/s is the
// bytes-per-second figure of each.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/Files.h"

namespace {

namespace fs = std::filesystem;

CRootNode* MakeModel(int seed, int vertices)
{
    CRootNode built;
    auto* frame = static_cast<CFrameNode*>(built.AddChild(new CFrameNode("Frame")));
    frame->scaling = CVector(1, 1, 1);
    auto* mesh = static_cast<CMeshNode*>(frame->AddChild(new CMeshNode("Mesh")));
    std::vector<MeshVertex> v(static_cast<size_t>(vertices));
    for (int i = 0; i < vertices; ++i) {
        const float f = float(i + seed);
        v[size_t(i)] =
            MeshVertex{f * 0.01f, float(i % 17), f * 0.02f, 0, 1, 0, f * 0.001f, 0.5f, 0.25f, 0.75f};
    }
    mesh->SetVertices(v.data(), vertices);
    std::vector<uint16_t> idx;
    for (int i = 0; i + 2 < vertices; ++i) {
        idx.push_back(uint16_t(i));
        idx.push_back(uint16_t(i + 1));
        idx.push_back(uint16_t(i + 2));
    }
    mesh->SetIndices(idx.data(), int32_t(idx.size()));
    CChunkWriter w;
    built.SaveToMemory(w);
    auto* root = new CRootNode;
    ParseTmfChunks(w.Data().data(), w.Data().size(), root);
    return root;
}

// Models of 1,500 vertices, two object definitions and placed nodes in groups
// of 100, with path connections between neighbours.
std::string MakeWorld(int nodes, int modelCount)
{
    {
        GameModeFlag = 0;
        CreateWorldRoots();
        ClearWorld();
        std::vector<CModelEntry*> models;
        for (int m = 0; m < modelCount; ++m) {
            auto* e = new CModelEntry;
            e->SetName(("model" + std::to_string(m)).c_str());
            e->model = MakeModel(m, 1500);
            g_ModelListRoot->AddChild(e);
            models.push_back(e);
        }
        auto* door = new CObjectNode("Door");
        door->AddState("CLOSED")->modelEntry = models[0];
        door->AddState("OPEN")->modelEntry = models[1];
        new CObjectNode("Safe");
        for (int g = 0; g < nodes / 100; ++g) {
            auto* group = new CWorldObject(("group" + std::to_string(g)).c_str());
            g_WorldRoot->AddChild(group);
            CWorldObject* previous = nullptr;
            for (int n = 0; n < 100; ++n) {
                auto* node = new CWorldObject;
                node->objectKind = n % 10 == 0 ? CWorldObject::KIND_OBJECT : CWorldObject::KIND_MODEL;
                node->reference =
                    n % 10 == 0 ? static_cast<void*>(door) : models[size_t((g + n) % modelCount)];
                node->position = CVector(float(g), 0, float(n));
                group->AddChild(node);
                if (previous) {
                    node->AddConnection(previous, false);
                    previous->AddConnection(node, false);
                }
                previous = node;
            }
        }
        const fs::path file = fs::temp_directory_path() / ("varek-bench-" + std::to_string(::getpid()) + "-" +
                                                           std::to_string(nodes) + ".wld");
        SaveWorld(file.c_str());
        ClearWorld();
        return file.string();
    }
}

struct SWorldFiles
{
    std::map<int, std::string> paths;
    ~SWorldFiles()
    {
        for (const auto& [nodes, path] : paths) {
            std::error_code ec;
            fs::remove(path, ec);
        }
    }
};

const std::string& WorldPath(const benchmark::State& state)
{
    static SWorldFiles files;
    const int nodes = int(state.range(0));
    auto it = files.paths.find(nodes);
    if (it == files.paths.end())
        it = files.paths.emplace(nodes, MakeWorld(nodes, int(state.range(1)))).first;
    return it->second;
}

size_t FileSize(const benchmark::State& state)
{
    return size_t(fs::file_size(WorldPath(state)));
}

void BM_PlainRead(benchmark::State& state)
{
    const std::string& path = WorldPath(state);
    std::vector<char> buffer(FileSize(state));
    for (auto _ : state) {
        FILE* f = std::fopen(path.c_str(), "rb");
        const size_t got = std::fread(buffer.data(), 1, buffer.size(), f);
        std::fclose(f);
        benchmark::DoNotOptimize(got);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buffer.size()));
    state.counters["MB"] = double(buffer.size()) / 1e6;
}

void BM_PlainWrite(benchmark::State& state)
{
    std::string bytes;
    platform::ReadFile(WorldPath(state), bytes);
    const std::string out = WorldPath(state) + ".plain.wld";
    for (auto _ : state)
        if (!platform::WriteFileAtomically(out, bytes.data(), bytes.size()))
            state.SkipWithError("the file was not written");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
    fs::remove(out);
}

void LoadBench(benchmark::State& state, uint8_t game)
{
    const std::string& path = WorldPath(state);
    const fs::path cwd = fs::current_path();
    for (auto _ : state) {
        GameModeFlag = game;
        if (!LoadWorld(path.c_str(), LOADWORLD_OPEN))
            state.SkipWithError("the world did not load");
        state.PauseTiming();
        ClearWorld();
        state.ResumeTiming();
    }
    fs::current_path(cwd);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(FileSize(state)));
}

void BM_LoadWorldGame(benchmark::State& state)
{
    LoadBench(state, 1);
}

void BM_LoadWorldEditor(benchmark::State& state)
{
    LoadBench(state, 0);
}

void BM_SaveWorld(benchmark::State& state)
{
    const std::string& path = WorldPath(state);
    GameModeFlag = 0;
    LoadWorld(path.c_str(), LOADWORLD_OPEN);
    const std::string out = path + ".out.wld";
    for (auto _ : state)
        if (!SaveWorld(out.c_str()))
            state.SkipWithError("the world was not saved");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(FileSize(state)));
    ClearWorld();
    fs::remove(out);
    fs::path bak = out;
    fs::remove(bak.replace_extension(".bak"));
}

} // namespace

// Sizes as node and model counts; each figure sits beside its reference.
void Sizes(benchmark::internal::Benchmark* b)
{
    for (const int nodes : {5000, 10000, 20000, 40000, 80000})
        b->Args({nodes, nodes / 200});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_PlainRead)->Apply(Sizes);
BENCHMARK(BM_LoadWorldGame)->Apply(Sizes);
BENCHMARK(BM_LoadWorldEditor)->Apply(Sizes);
BENCHMARK(BM_PlainWrite)->Apply(Sizes);
BENCHMARK(BM_SaveWorld)->Apply(Sizes);

namespace {

using Clock = std::chrono::steady_clock;

// With `--cpu` the pairs count the thread's processor time instead of the wall
// clock: on a machine busy with other work, the wall clock mostly measures the
// waits for a processor, which hit a long load more often than a short read.
bool g_cpuClock = false;

double NowMs()
{
    if (!g_cpuClock)
        return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double Ms(double since)
{
    return NowMs() - since;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One plain read of the whole file into a buffer, as the reference for a load.
double PlainReadMs(const std::string& path, std::vector<char>& buffer)
{
    const double t = NowMs();
    FILE* f = std::fopen(path.c_str(), "rb");
    const size_t got = f ? std::fread(buffer.data(), 1, buffer.size(), f) : 0;
    if (f)
        std::fclose(f);
    benchmark::DoNotOptimize(got);
    return Ms(t);
}

double LoadMs(const std::string& path, uint8_t game)
{
    const fs::path cwd = fs::current_path();
    GameModeFlag = game;
    const double t = NowMs();
    LoadWorld(path.c_str(), LOADWORLD_OPEN);
    const double ms = Ms(t);
    ClearWorld();
    fs::current_path(cwd);
    return ms;
}

// Each figure as the median of interleaved pairs with its reference, so that a
// busy machine slows both alike: game and editor load against one plain read of
// the file, save against one plain atomic write of the same bytes (flush and
// rename included). Sizes from 3 to 35 MB.
void PrintPairs(int pairs, int onlyNodes)
{
    std::printf("\n%-12s %8s | %9s %9s %6s | %9s %9s %6s | %9s %9s %6s\n", "nodes/models", "MB", "read ms",
                "game ms", "ratio", "read ms", "edit ms", "ratio", "write ms", "save ms", "ratio");
    for (const int nodes : {6500, 10000, 20000, 35000, 50000, 70000}) {
        if (onlyNodes && nodes != onlyNodes)
            continue;
        static SWorldFiles files;
        const std::string path = MakeWorld(nodes, nodes / 200);
        files.paths.emplace(-nodes, path);
        std::vector<char> buffer(size_t(fs::file_size(path)));
        std::vector<double> readG, game, readE, editor, write, save;
        for (int i = 0; i < pairs; ++i) {
            readG.push_back(PlainReadMs(path, buffer));
            game.push_back(LoadMs(path, 1));
            readE.push_back(PlainReadMs(path, buffer));
            editor.push_back(LoadMs(path, 0));
        }
        GameModeFlag = 0;
        LoadWorld(path.c_str(), LOADWORLD_OPEN);
        const std::string plainOut = path + ".plain.wld", savedOut = path + ".out.wld";
        for (int i = 0; i < pairs; ++i) {
            double t = NowMs();
            platform::WriteFileAtomically(plainOut, buffer.data(), buffer.size());
            write.push_back(Ms(t));
            t = NowMs();
            SaveWorld(savedOut.c_str());
            save.push_back(Ms(t));
        }
        ClearWorld();
        for (const std::string& out : {plainOut, savedOut, path + ".out.bak"}) {
            std::error_code ec;
            fs::remove(out, ec);
        }
        const double r = Median(readG), g = Median(game), re = Median(readE), e = Median(editor),
                     w = Median(write), sv = Median(save);
        std::printf("%5d/%-6d %8.2f | %9.3f %9.2f %6.1f | %9.3f %9.2f %6.1f | %9.2f %9.2f %6.1f\n", nodes,
                    nodes / 200, double(buffer.size()) / 1e6, r, g, g / r, re, e, e / re, w, sv, sv / w);
        std::fflush(stdout);
    }
}

// Game-mode loads alone, for a profiler to look at (`--loads=N --nodes=N`).
void LoadOnly(int loads, int nodes)
{
    static SWorldFiles files;
    const std::string path = MakeWorld(nodes ? nodes : 6500, (nodes ? nodes : 6500) / 200);
    files.paths.emplace(-1, path);
    double total = 0;
    for (int i = 0; i < loads; ++i)
        total += LoadMs(path, 1);
    std::printf("%d loads, %.3f ms each\n", loads, total / loads);
}

} // namespace

// `--pairs=N` prints only the table of interleaved pairs (N of each);
// `--nodes=N` keeps only the row of that size; `--cpu` times processor use;
// `--loads=N` only loads in game mode.
int main(int argc, char** argv)
{
    int pairs = 0, nodes = 0, loads = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--pairs=", 8) == 0)
            pairs = std::max(1, std::atoi(argv[i] + 8));
        if (std::strncmp(argv[i], "--nodes=", 8) == 0)
            nodes = std::atoi(argv[i] + 8);
        if (std::strcmp(argv[i], "--cpu") == 0)
            g_cpuClock = true;
        if (std::strncmp(argv[i], "--loads=", 8) == 0)
            loads = std::max(1, std::atoi(argv[i] + 8));
    }
    if (loads) {
        LoadOnly(loads, nodes);
        return 0;
    }
    if (pairs) {
        PrintPairs(pairs, nodes);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintPairs(7, 0);
    return 0;
}
