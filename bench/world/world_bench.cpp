// Loading and saving generated worlds of 5,000 to 80,000 nodes (25 to 400
// models, about 2.5 to 40 MB), in the game and in the editor, against a plain
// read and a plain atomic write of the same bytes in the same run. The first
// argument is the node count, the second the model count; MB/s is the
// bytes-per-second figure of each.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
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

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
