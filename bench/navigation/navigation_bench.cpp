// Local path searches on generated ground: a street, a garden and a house
// floor whose inner walls leave one doorway into a room, joined into one local
// map. "CrossHouse" plans from the street into the room; "Unreachable" aims
// at a walled-in closet, so the search floods the whole map. The first
// argument scales the ground (2: about 7,500 cells; 10: about 176,000). Each
// is measured with the indexed search and with the literal one (linear list
// look-ups) on the same map, which must find the same path; the literal one
// only on the small maps, where it finishes. Counters: map cells and records
// handed out per plan.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "GAMES/Rulo2/navigation/GroundMap.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "tests/navigation/LiteralSearch.h"

namespace {

// A model whose one mesh has the rectangle [x0, x1] x [z0, z1] as outline (the
// nodes stand at the origin); obstacles have edges all round and are marked
// "Anti Ground".
CModelEntry* Outline(const char* name, float x0, float z0, float x1, float z1, bool obstacle)
{
    auto* mesh = new CMeshNode("outline");
    mesh->SetMaterialCount(1);
    const CVector points[4] = {{x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}};
    const int32_t edges[8] = {0, 1, 1, 2, 2, 3, 3, 0};
    mesh->SetShape(points, 4, edges, obstacle ? 8 : 0);
    auto* root = new CRootNode();
    root->AddChild(mesh);
    root->hasShape = 1;
    root->boundsMin = CVector(x0, 0, z0);
    root->boundsMax = CVector(x1, 0.1f, z1);
    root->boundsRadius = 1000.0f;
    auto* entry = new CModelEntry();
    entry->SetName(name);
    entry->model = root;
    entry->antiGround = obstacle;
    g_ModelListRoot->AddChild(entry);
    return entry;
}

CWorldObject* Place(CModelEntry* entry)
{
    auto* o = new CWorldObject(entry->GetName());
    o->objectKind = CWorldObject::KIND_MODEL;
    o->reference = entry;
    g_WorldRoot->AddChild(o);
    return o;
}

struct SRoute
{
    std::unique_ptr<PATHFINDER> finder = std::make_unique<PATHFINDER>();
    std::vector<std::string> rows;
    int32_t cells = 0;
    bool ready = false;

    // The ground of side `side` units per node; the goal in the room or the closet.
    SRoute(float side, bool reachable)
    {
        CreateWorldRoots();
        g_WorldRoot->angle = 1.0e4f;
        CWorldObject* street = Place(Outline("street", 0, 0, side, side, false));
        CWorldObject* garden = Place(Outline("garden", side, 0, 2 * side, side, false));
        CWorldObject* house = Place(Outline("floor", 2 * side, 0, 3 * side, side, false));
        const float x = 2.5f * side, t = 0.02f * side;
        auto wall = [&](float x0, float z0, float x1, float z1) {
            house->antiGround.push_back(Place(Outline("wall", x0, z0, x1, z1, true)));
        };
        // The room's front wall with a doorway, and a closet in its far corner.
        wall(x, 0, x + t, 0.45f * side);
        wall(x, 0.55f * side, x + t, side);
        wall(2.85f * side, 0.8f * side, 2.85f * side + t, side);
        wall(2.85f * side, 0.8f * side, 3 * side, 0.8f * side + t);
        for (auto [a, b] : {std::pair{street, garden}, {garden, house}}) {
            a->AddConnection(b, false);
            b->AddConnection(a, false);
        }
        PATHFINDER& p = *finder;
        const CVector goal =
            reachable ? CVector(2.75f * side, 0, 0.3f * side) : CVector(2.93f * side, 0, 0.9f * side);
        p.SetStartNode(street, CVector(0.1f * side, 0, 0.2f * side));
        p.SetEndNode(house, goal);
        if (!p.FindGlobalPath())
            return;
        p.localMapNode = street;
        if (!p.SetLocalMap(street) || !p.SetStart(p.startPosition) || !p.SetEnd(p.endPosition))
            return;
        cells = p.mapWidth * p.mapHeight;
        for (int32_t z = 0; z < p.mapHeight; ++z)
            rows.emplace_back(reinterpret_cast<const char*>(p.LocalCell(0, z)), size_t(p.mapWidth));
        ready = true;
    }
    ~SRoute()
    {
        finder.reset();
        g_WorldRoot->FreeGroundMaps();
        DestroyWorldRoots();
    }
    bool Indexed() { return finder->FindLocalPath(); }
    std::vector<std::pair<int, int>> IndexedPath() const
    {
        std::vector<std::pair<int, int>> path;
        for (int32_t i = finder->lastGoal; i > 0; i = g_SearchPool.records[i].parent)
            path.emplace_back(g_SearchPool.records[i].cellX, g_SearchPool.records[i].cellZ);
        return path;
    }
    std::vector<std::pair<int, int>> Literal(int* records) const
    {
        const PATHFINDER& p = *finder;
        return navtest::LiteralSearch(rows, p.startCellX, p.startCellZ, p.endCellX, p.endCellZ, records);
    }
};

void Run(benchmark::State& state, bool reachable, bool literal)
{
    PATHFINDER::CreateSearchPool();
    SRoute route(1.2f * float(state.range(0)), reachable);
    if (!route.ready) {
        state.SkipWithError("the route could not be prepared");
        return;
    }
    // Both searches must agree before either is timed.
    int literalRecords = 0;
    const bool found = route.Indexed();
    if (found != reachable ||
        (literal && route.Literal(&literalRecords) !=
                        (found ? route.IndexedPath() : std::vector<std::pair<int, int>>{}))) {
        state.SkipWithError("the indexed and the literal search disagree");
        return;
    }
    for (auto _ : state) {
        if (literal)
            benchmark::DoNotOptimize(route.Literal(&literalRecords));
        else
            benchmark::DoNotOptimize(route.Indexed());
    }
    state.counters["cells"] = double(route.cells);
    state.counters["records"] = double(literal ? literalRecords : route.finder->lastRecordCount);
    PATHFINDER::FreeSearchPool();
}

void BM_CrossHouseIndexed(benchmark::State& state)
{
    Run(state, true, false);
}
void BM_CrossHouseLiteral(benchmark::State& state)
{
    Run(state, true, true);
}
void BM_UnreachableIndexed(benchmark::State& state)
{
    Run(state, false, false);
}
void BM_UnreachableLiteral(benchmark::State& state)
{
    Run(state, false, true);
}

} // namespace

BENCHMARK(BM_CrossHouseIndexed)->Arg(2)->Arg(4)->Arg(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CrossHouseLiteral)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnreachableIndexed)->Arg(2)->Arg(4)->Arg(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnreachableLiteral)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
