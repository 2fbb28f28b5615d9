// The searches of the path finder: the indexed local search against a literal
// one with linear list scans, the global search's limit, and large floods.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "tests/navigation/LiteralSearch.h"

using navtest::LiteralSearch;

namespace {

struct MapFinder
{
    PATHFINDER p;
    explicit MapFinder(const std::vector<std::string>& rows)
    {
        PATHFINDER::CreateSearchPool();
        p.mapWidth = int32_t(rows[0].size());
        p.mapHeight = int32_t(rows.size());
        p.mapCells = static_cast<uint8_t*>(std::malloc(size_t(p.mapWidth) * size_t(p.mapHeight)));
        for (size_t z = 0; z < rows.size(); ++z)
            std::memcpy(p.mapCells + z * size_t(p.mapWidth), rows[z].data(), size_t(p.mapWidth));
        p.final = 1;
    }
    bool Find(int sx, int sz, int ex, int ez)
    {
        p.startCellX = p.firstStartX = sx;
        p.startCellZ = p.firstStartZ = sz;
        p.endCellX = p.firstEndX = ex;
        p.endCellZ = p.firstEndZ = ez;
        p.preciseStart = CVector(float(sx) / 20, 0, float(sz) / 20);
        return p.FindLocalPath();
    }
    std::vector<std::pair<int, int>> Path() const
    {
        std::vector<std::pair<int, int>> path;
        for (int32_t i = p.lastGoal; i > 0; i = g_SearchPool.records[i].parent)
            path.emplace_back(g_SearchPool.records[i].cellX, g_SearchPool.records[i].cellZ);
        return path;
    }
};

std::vector<std::string> OpenRoom(int w, int h)
{
    std::vector<std::string> rows(size_t(h), "O" + std::string(size_t(w - 2), ' ') + "O");
    rows.front() = rows.back() = std::string(size_t(w), 'O');
    return rows;
}

} // namespace

TEST(PathSearch, IndexedSearchFollowsTheListRulesOfTheLiteralOne)
{
    // Rooms where many records tie on f (straight and diagonal costs 1000/1414),
    // with walls that make records reopen.
    std::vector<std::vector<std::string>> maps;
    maps.push_back(OpenRoom(12, 12));
    auto walls = OpenRoom(30, 20);
    for (int z = 1; z < 15; ++z)
        walls[size_t(z)][10] = 'I';
    for (int z = 5; z < 19; ++z)
        walls[size_t(z)][20] = 'I';
    maps.push_back(walls);
    auto pillars = OpenRoom(25, 25);
    for (int z = 3; z < 22; z += 4)
        for (int x = 3; x < 22; x += 3)
            pillars[size_t(z)][size_t(x)] = 'o';
    maps.push_back(pillars);
    for (const auto& rows : maps) {
        const int w = int(rows[0].size()), h = int(rows.size());
        for (auto [sx, sz, ex, ez] :
             {std::tuple{1, 1, w - 2, h - 2}, {w - 2, 1, 1, h - 2}, {1, h / 2, w - 2, h / 2}}) {
            MapFinder f(rows);
            ASSERT_TRUE(f.Find(sx, sz, ex, ez));
            EXPECT_EQ(LiteralSearch(rows, sx, sz, ex, ez), f.Path())
                << sx << "," << sz << " -> " << ex << "," << ez;
            EXPECT_GE(f.p.localWayPoints.size(), 2u);
        }
    }
}

TEST(PathSearch, StraightLineGivesTwoWayPoints)
{
    MapFinder f(OpenRoom(20, 10));
    ASSERT_TRUE(f.Find(2, 5, 17, 5));
    EXPECT_EQ(2u, f.p.localWayPoints.size());
    EXPECT_EQ(1, f.p.walking);
}

TEST(PathSearch, AFloodBeyondSixteenThousandRecordsRunsCleanAndFails)
{
    // 200 x 200 free cells around a walled-in goal: every cell gets a record.
    auto rows = OpenRoom(204, 204);
    for (int z = 97; z <= 103; ++z)
        for (int x = 97; x <= 103; ++x)
            if (z == 97 || z == 103 || x == 97 || x == 103)
                rows[size_t(z)][size_t(x)] = 'I';
    MapFinder f(rows);
    EXPECT_FALSE(f.Find(2, 2, 100, 100));
    EXPECT_GT(f.p.lastRecordCount, 16384);
    EXPECT_GE(g_SearchPool.capacity, f.p.lastRecordCount);
    const int32_t kept = g_SearchPool.capacity;
    MapFinder small(OpenRoom(10, 10));
    EXPECT_TRUE(small.Find(1, 1, 8, 8));
    EXPECT_EQ(kept, g_SearchPool.capacity) << "the pool keeps its size";
}

TEST(PathSearch, GlobalSearchGivesUpBeyondOneHundredOpenRecords)
{
    CWorldObject root("root");
    std::vector<CWorldObject*> nodes;
    auto* hub = new CWorldObject("hub");
    root.AddChild(hub);
    auto* goal = new CWorldObject("goal");
    root.AddChild(goal);
    goal->position = CVector(100, 0, 0);
    for (int i = 0; i < 120; ++i) {
        auto* n = new CWorldObject("leaf");
        n->position = CVector(float(i % 11), 0, float(i / 11));
        root.AddChild(n);
        hub->AddConnection(n, false);
    }
    CWorldObject* last = static_cast<CWorldObject*>(root.GetFirstChild());
    while (last->GetNext())
        last = static_cast<CWorldObject*>(last->GetNext());
    last->AddConnection(goal, false); // a path exists, beyond the frontier limit
    PATHFINDER p;
    PATHFINDER::CreateSearchPool();
    p.startNode = hub;
    p.endNode = goal;
    EXPECT_FALSE(p.FindGlobalPath());
    EXPECT_GT(g_SearchPool.openCount, 100);

    // A short chain is found, first = start, last = end.
    // Through the connection calls, so the targets' incoming lists stay right for the clean-up.
    while (!hub->connections.empty())
        hub->RemoveConnection(hub->connections.back().target);
    hub->AddConnection(last, false);
    EXPECT_TRUE(p.FindGlobalPath());
    ASSERT_EQ(3u, p.globalWayPoints.size());
    EXPECT_EQ(hub, p.globalWayPoints.front());
    EXPECT_EQ(goal, p.globalWayPoints.back());
    root.DeleteChildren();
}

TEST(PathSearch, ClosestGOnTheOuterRingReadsNothingOutsideTheGrid)
{
    // 'G' cells on the ring with blocked cells inside them: nothing to walk to.
    std::vector<std::string> rows(10, std::string(10, 'o'));
    rows[0][4] = 'G';
    rows[9][0] = 'G';
    rows[5][5] = ' ';
    MapFinder f(rows);
    f.p.final = 0;
    f.p.startCellX = 5;
    f.p.startCellZ = 5;
    f.p.endCellX = 4;
    f.p.endCellZ = 0;
    EXPECT_FALSE(f.p.FindClosestG()) << "no free cell touches either 'G'";
    rows[1][4] = ' ';
    MapFinder g(rows);
    g.p.startCellX = 5;
    g.p.startCellZ = 5;
    g.p.endCellX = 4;
    g.p.endCellZ = 0;
    EXPECT_TRUE(g.p.FindClosestG());
    EXPECT_EQ(4, g.p.endCellX);
    EXPECT_EQ(0, g.p.endCellZ);
}
