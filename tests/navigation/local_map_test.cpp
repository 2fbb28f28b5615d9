// The local map over real ground nodes: closed doors drawn wherever they lie,
// the closed-door retry, random points at the map's far edges, and the
// crossed-over check's log line.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LIBS/System/LogPrintf.h"
#include "platform/crt/Crt.h"
#include "tests/navigation/NavWorld.h"

using namespace navtest;

namespace {

class LocalMap : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        world = std::make_unique<World>();
        PATHFINDER::CreateSearchPool();
    }
    void TearDown() override
    {
        walker.reset();
        world.reset();
        WorldServicesTest::TearDown();
    }
    // A flat floor over [x0, x1] x [0, 1] with connections that make it count for the probes.
    CWorldObject* Floor(float x0, float x1)
    {
        CWorldObject* f = world->Place(ShapeEntry("floor", Square(x0, 0, x1, 1), {}), {0, 0, 0});
        Connect(last ? last : world->Group("anchor"), f);
        last = f;
        return f;
    }
    // A thin wall across the floor at x with an opening around z = 0.5, and a closed
    // door in the opening whose one attack point lies at `point`.
    CWorldObject* WallWithDoor(CWorldObject* floor, float x, const CVector& point)
    {
        for (auto [z0, z1] : {std::pair{-0.1f, 0.4f}, {0.6f, 1.1f}})
            floor->antiGround.push_back(world->Place(
                ShapeEntry("wall", Square(x - 0.01f, z0, x + 0.01f, z1), kClosedEdges, true), {0, 0, 0}));
        CWorldObject* door = world->Door({x, 0, 0.5f}, false);
        CModelEntry* entry = ShapeEntry("door", Square(-0.1f, -0.1f, 0.1f, 0.1f), {});
        world->entries.emplace_back(entry);
        const float values[4] = {point.x - x, point.y, point.z - 0.5f, 0.0f};
        SModelPoint p;
        std::memcpy(p.words, values, sizeof values);
        entry->points.push_back(p);
        door->Definition()->firstState->modelEntry = entry;
        door->objectLogic->animation = door->Definition()->firstState;
        floor->doorList.push_back(door);
        return door;
    }
    char CellAt(float x, float z) const
    {
        const uint8_t* c = walker->LocalCell(walker->ToCellX(x), walker->ToCellZ(z));
        return c ? char(*c) : '?';
    }
    std::unique_ptr<World> world;
    std::unique_ptr<PATHFINDER> walker = std::make_unique<PATHFINDER>();
    CWorldObject* last = nullptr;
};

} // namespace

TEST_F(LocalMap, AClosedDoorBeyondCell255OfAJoinedMapIsDrawn)
{
    CWorldObject* a = Floor(0, 10);
    CWorldObject* b = Floor(10, 20);
    CWorldObject* door = world->Door({15, 0, 0.5f}, false);
    b->doorList.push_back(door);
    walker->globalWayPoints = {a, b};
    ASSERT_TRUE(walker->SetLocalMap(a));
    ASSERT_GT(walker->mapWidth, 400);
    EXPECT_EQ(1, walker->final);
    EXPECT_EQ('D', CellAt(15, 0.5f));
    EXPECT_EQ('o', CellAt(15, 0.55f)) << "the margin square around the door";
    EXPECT_EQ(' ', CellAt(14, 0.5f));
}

TEST_F(LocalMap, OnlyAClosedDoorBetweenStartAndEndIsPassedOnTheSecondSearch)
{
    CWorldObject* floor = Floor(0, 4);
    CWorldObject* door = WallWithDoor(floor, 2, {1.8f, 0, 0.5f});
    walker->Init(world->Character({1, 0, 0.5f}));
    ASSERT_TRUE(walker->WalkTo({3, 0, 0.5f}, nullptr));
    EXPECT_EQ(door, walker->door) << "retried with the closed door";
    EXPECT_EQ('D', CellAt(2, 0.5f));
    // The stretch now ends at the door's attack point, before the door.
    const CVector end = walker->localWayPoints.back();
    EXPECT_NEAR(1.8f, end.x, 0.051f);
    EXPECT_NEAR(0.5f, end.z, 0.051f);
}

TEST_F(LocalMap, ASecondClosedDoorOnTheWayIsNotTried)
{
    CWorldObject* floor = Floor(0, 6);
    // The first door's attack point lies beyond the second door.
    CWorldObject* first = WallWithDoor(floor, 2, {4.5f, 0, 0.5f});
    WallWithDoor(floor, 4, {3.8f, 0, 0.5f});
    walker->Init(world->Character({1, 0, 0.5f}));
    EXPECT_FALSE(walker->WalkTo({5, 0, 0.5f}, nullptr));
    EXPECT_EQ(0, walker->walking);
    (void)first;
}

TEST_F(LocalMap, RandomPointsAtTheFarEdgeStayInsideTheMap)
{
    CWorldObject* floor = Floor(0, 2);
    walker->globalWayPoints = {floor};
    // 30091: x draws 32767; 32638: z draws 32767.
    for (unsigned seed : {30091u, 32638u, 1u}) {
        crt::srand(seed);
        CVector p;
        EXPECT_TRUE(walker->RandomPointInWayPointMap(0, &p)) << seed;
        EXPECT_EQ(3, walker->traceDepth) << "restored";
    }
    crt::srand(1);
}

TEST_F(LocalMap, TheCrossedOverCheckLogsEachRemoval)
{
    const std::filesystem::path log = std::filesystem::temp_directory_path() / "varek_nav_check_log.txt";
    std::filesystem::remove(log);
    const uint8_t on = 1;
    LogPrintfSetTarget(&on, log.string().c_str());
    CWorldObject* a = Floor(0, 1);
    CWorldObject* far = world->Place(ShapeEntry("far", Square(5, 0, 6, 1), {}), {0, 0, 0});
    Connect(a, far);
    a->position = CVector(0.5f, 0, 0.5f);
    far->position = CVector(5.5f, 0, 0.5f);
    CWorldObject::CheckConnections(world->root.get());
    LogPrintfSetTarget(nullptr, "");
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove(log);
    EXPECT_NE(std::string::npos, text.str().find("Invalid path connection found (removed)"));
    EXPECT_TRUE(far->connections.empty());
    for (const SConnection& c : a->connections)
        EXPECT_NE(far, c.target);
}
