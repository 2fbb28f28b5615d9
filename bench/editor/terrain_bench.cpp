// Rebuilding a 256 x 256 terrain with four texture families and an object
// rule, beside loading the rest of the same world (its 2,000 placed models)
// in the same run: the terrain's share of a world load.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/Image/imgImage.h"

namespace {

namespace fs = std::filesystem;

struct Setup
{
    fs::path dir;
    std::string heightmap, rules, withTerrain, withoutTerrain;

    Setup()
    {
        dir = fs::temp_directory_path() / ("varek-terrain-bench-" + std::to_string(::getpid()));
        fs::create_directories(dir / "tex");
        fs::create_directories(dir / "gen");
        const char* families[4] = {"GRASS", "ROCK", "SAND", "SNOW"};
        for (int f = 0; f < 4; ++f) {
            imgImage t;
            t.allocate(64, 64, FMT_RGB_888);
            for (uint32_t i = 0; i < t.imageSize; ++i)
                t.pixels[i] = uint8_t(40 * f + i % 7);
            t.save((dir / "tex" / (std::string(families[f]) + "_V0.tif")).string().c_str());
        }
        imgImage map;
        map.allocate(256, 256, FMT_RGB_888);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                for (int c = 0; c < 3; ++c)
                    map.pixels[size_t(y) * size_t(map.bytesPerLine) + size_t(x) * 3 + size_t(c)] =
                        uint8_t((x * 3 + y * 2 + (x * y) % 37) % 256);
        heightmap = (dir / "map.tif").string();
        map.save(heightmap.c_str());
        rules = (dir / "rules.txt").string();
        std::ofstream(rules) << "texturepath_standard " << (dir / "tex").string() << "\n"
                             << "texturepath_generated " << (dir / "gen").string() << "\n"
                             << "family 0 grass\nfamily 1 rock\nfamily 2 sand\nfamily 3 snow\n"
                             << "object 0 tree scale (20%) amount (2)\n"
                             << "rule grass\nfamily 0\ntexture V0 1\nruleend\n"
                             << "rule rock\nfamily 1\nheightstart 0.25\ntexture V0 1\nruleend\n"
                             << "rule sand\nfamily 2\nheightstart 0.5\ntexture V0 1\nruleend\n"
                             << "rule snow\nfamily 3\nheightstart 0.75\ntexture V0 1\nruleend\n"
                             << "objectrule trees\nheightend 0.3\nobject 0 0.05\nruleend\n";

        InstallSubsystems();
        CreateWorldRoots();
        ClearWorld();
        auto* entry = new CModelEntry;
        entry->SetName("Tree");
        entry->model = new CRootNode;
        entry->model->SetName("Tree");
        g_ModelListRoot->AddChild(entry);
        for (int g = 0; g < 20; ++g) {
            auto* group = new CWorldObject(("Block" + std::to_string(g)).c_str());
            g_WorldRoot->AddChild(group);
            for (int i = 0; i < 100; ++i) {
                auto* o = new CWorldObject;
                o->objectKind = CWorldObject::KIND_MODEL;
                o->reference = entry;
                o->position = CVector(float(g), 0, float(i));
                group->AddChild(o);
            }
        }
        withoutTerrain = (dir / "without.wld").string();
        SaveWorld(withoutTerrain.c_str());
        auto* node = new CWorldObject("Hills");
        node->objectKind = CWorldObject::KIND_GENERATOR;
        auto* terrain = new CTerrainRules;
        terrain->owner = node;
        terrain->width = terrain->depth = 256;
        node->reference = terrain;
        g_WorldRoot->AddChild(node);
        terrain->Rebuild(heightmap.c_str(), rules.c_str(), true);
        withTerrain = (dir / "with.wld").string();
        SaveWorld(withTerrain.c_str());
    }
    ~Setup() { fs::remove_all(dir); }
};

Setup& Shared()
{
    static Setup setup;
    return setup;
}

void BM_TerrainRebuild256(benchmark::State& state)
{
    Setup& s = Shared();
    CTerrainRules* terrain = nullptr;
    for (CNode* n = g_WorldRoot->firstChild; n; n = n->next)
        if (auto* o = static_cast<CWorldObject*>(n); o->Terrain())
            terrain = o->Terrain();
    if (!terrain) {
        LoadWorld(s.withTerrain.c_str(), 0);
        for (CNode* n = g_WorldRoot->firstChild; n; n = n->next)
            if (auto* o = static_cast<CWorldObject*>(n); o->Terrain())
                terrain = o->Terrain();
    }
    for (auto _ : state) {
        terrain->Rebuild(s.heightmap.c_str(), s.rules.c_str(), true);
        benchmark::DoNotOptimize(terrain->vertexCount);
    }
    state.counters["vertices"] = terrain->vertexCount;
    state.counters["textures"] = terrain->textureCount;
}
BENCHMARK(BM_TerrainRebuild256)->Unit(benchmark::kMillisecond);

void BM_WorldLoadWithoutTerrain(benchmark::State& state)
{
    Setup& s = Shared();
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadWorld(s.withoutTerrain.c_str(), 0));
}
BENCHMARK(BM_WorldLoadWithoutTerrain)->Unit(benchmark::kMillisecond);

void BM_WorldLoadWithTerrain(benchmark::State& state)
{
    Setup& s = Shared();
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadWorld(s.withTerrain.c_str(), 0));
}
BENCHMARK(BM_WorldLoadWithTerrain)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
