// Ground nodes, their maps and anti-ground lists, and the path connections.
#include <algorithm>
#include <memory>

#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "tests/navigation/NavWorld.h"

using namespace navtest;

namespace {

int Count(const GroundMap* m, char code)
{
    const size_t n = size_t(m->Width()) * size_t(m->Height());
    return int(std::count(m->cells, m->cells + n, uint8_t(code)));
}

char CellAtWorld(GroundMap* m, float x, float z)
{
    uint8_t* c = m->CellAt(RoundHalfAway(x * 20) - m->minX, RoundHalfAway(z * 20) - m->minZ);
    return c ? char(*c) : '?';
}

} // namespace

TEST(GroundNodes, OutlineOverOneUnitGivesTheCountedMapAndScaleAppliesOnlyToObstacles)
{
    World w;
    CWorldObject* ground = w.Place(ShapeEntry("floor", Square(0, 0, 1, 1), kClosedEdges), {0, 0, 0});
    ASSERT_TRUE(ground->CreateGroundMap());
    auto* map = static_cast<GroundMap*>(ground->groundMap);
    EXPECT_EQ(23, map->Width());
    EXPECT_EQ(23, map->Height());
    EXPECT_EQ(80, Count(map, 'I'));
    EXPECT_EQ(361, Count(map, ' '));
    EXPECT_EQ(88, Count(map, 'O'));

    // Scale 2.0 on the ground node does not change its map; on an obstacle it doubles it.
    ground->scale = 2.0f;
    CWorldObject* box = w.Place(ShapeEntry("crate", Square(0, 0, 0.1f, 0.1f), kClosedEdges, true),
                                {0.3f, 0, 0.3f}, nullptr, 2.0f);
    ground->antiGround.push_back(box);
    ASSERT_TRUE(ground->CreateGroundMap());
    map = static_cast<GroundMap*>(ground->groundMap);
    EXPECT_EQ(23, map->Width());
    EXPECT_EQ('O', CellAtWorld(map, 0.45f, 0.45f)) << "the obstacle reaches 0.2 beyond its position";
    EXPECT_EQ(' ', CellAtWorld(map, 0.55f, 0.55f));
    EXPECT_EQ(' ', CellAtWorld(map, 0.25f, 0.25f));

    EXPECT_FALSE(box->CreateGroundMap()) << "an obstacle has no ground map of its own";
}

TEST(GroundNodes, BoxesAndAntiGroundListsFollowOverlapAndFloors)
{
    World w;
    CWorldObject* floorA = w.Group("Stockwerk_1");
    CWorldObject* floorB = w.Group("Stockwerk_2");
    CWorldObject* ground = w.Place(ShapeEntry("floor", Square(0, 0, 1, 1), kClosedEdges), {0, 0, 0}, floorA);
    // Overlap amounts are the share of the obstacle's box (x by z) over the
    // ground's: stairs at the floor's edge need more than 0.2 of theirs on it.
    CWorldObject* stairs =
        w.Place(ShapeEntry("Treppe_Holz", Square(0, 0, 1, 1), kClosedEdges), {0, 0, 0}, floorA);
    CWorldObject* crate =
        w.Place(ShapeEntry("crate", Square(0, 0, 0.2f, 0.2f), kClosedEdges, true), {0.5f, 0, 0.5f}, floorA);
    CWorldObject* other =
        w.Place(ShapeEntry("crate2", Square(0, 0, 0.2f, 0.2f), kClosedEdges, true), {0.5f, 0, 0.5f}, floorB);
    CWorldObject::CalculateBoundingBoxes(w.root.get());
    for (CWorldObject* o : {ground, stairs, crate, other})
        EXPECT_LE(o->boundsAMin.x, o->boundsAMax.x) << o->GetName();
    EXPECT_NEAR(0.15f * 1.05f, ground->boundsBMax.y - ground->boundsBMin.y, 1e-4f)
        << "ground boxes are 0.15 high";

    // Test boxes where exactly 0.2 of the stairs' area stands on the ground.
    ground->boundsBMin = CVector(0, 0, 0);
    ground->boundsBMax = CVector(1, 0.2f, 1);
    stairs->boundsBMin = CVector(0.75f, 0, 0);
    stairs->boundsBMax = CVector(2.0f, 0.2f, 1);
    CBox gb, sb;
    gb.min = ground->boundsBMin;
    gb.max = ground->boundsBMax;
    sb.min = stairs->boundsBMin;
    sb.max = stairs->boundsBMax;
    ASSERT_EQ(0.2f, sb.overlapAmount(gb));
    // The pass recomputes no boxes: it reads the test boxes as they are.
    CWorldObject::CalculateAntiGroundConnections();
    const auto& list = ground->antiGround;
    EXPECT_EQ(list.end(), std::find(list.begin(), list.end(), stairs))
        << "exactly 0.2 is not enough for stairs";
    EXPECT_NE(list.end(), std::find(list.begin(), list.end(), crate));
    EXPECT_EQ(list.end(), std::find(list.begin(), list.end(), other)) << "another floor's obstacle";

    stairs->boundsBMin.x -= 0.01f;
    stairs->boundsBMax.x -= 0.01f;
    CWorldObject::CalculateAntiGroundConnections();
    EXPECT_NE(ground->antiGround.end(),
              std::find(ground->antiGround.begin(), ground->antiGround.end(), stairs));
}

TEST(GroundNodes, ObjectsFarOutsideTheRootsGridStillGetTheirLists)
{
    World w;
    const CVector far(300, 0, -250);
    CWorldObject* ground = w.Place(ShapeEntry("floor", Square(0, 0, 1, 1), kClosedEdges), far);
    CWorldObject* crate = w.Place(ShapeEntry("crate", Square(0, 0, 0.2f, 0.2f), kClosedEdges, true),
                                  far + CVector(0.5f, 0, 0.5f));
    g_WorldBounds.min = CVector(-1, 0, -251);
    g_WorldBounds.max = CVector(302, 1, 1);
    CWorldObject::CalculateBoundingBoxes(w.root.get());
    CWorldObject::CalculateAntiGroundConnections();
    ASSERT_EQ(1u, ground->antiGround.size());
    EXPECT_EQ(crate, ground->antiGround[0]);
}

TEST(Connections, AddTwiceKeepsOneAndRemoveTakesTheFirstMatch)
{
    World w;
    CWorldObject* a = w.Group("a");
    CWorldObject* b = w.Group("b");
    a->AddConnection(b, false);
    a->AddConnection(b, false);
    ASSERT_EQ(1u, a->connections.size());
    a->connections.push_back(a->connections[0]); // a file may hold a duplicate
    a->RemoveConnection(b);
    EXPECT_EQ(1u, a->connections.size());
    a->RemoveConnection(b);
    EXPECT_TRUE(a->connections.empty());
}

TEST(Connections, CrossedOverCheckRemovesUnwalkableConnectionsBothWays)
{
    World w;
    // Two floors that touch, and a third far away that no cell path reaches.
    CWorldObject* a = w.Place(ShapeEntry("a", Square(0, 0, 1, 1), {}), {0, 0, 0});
    CWorldObject* b = w.Place(ShapeEntry("b", Square(0, 0, 1, 1), {}), {0.9f, 0, 0});
    CWorldObject* c = w.Place(ShapeEntry("c", Square(0, 0, 1, 1), {}), {5, 0, 0});
    a->position = CVector(0.5f, 0, 0.5f);
    b->position = CVector(1.4f, 0, 0.5f);
    c->position = CVector(5.5f, 0, 0.5f);
    for (auto [x, y] : {std::pair{a, b}, {b, a}, {a, c}, {c, a}})
        x->AddConnection(y, false);
    CWorldObject::CheckConnections(w.root.get());
    ASSERT_EQ(1u, a->connections.size());
    EXPECT_EQ(b, a->connections[0].target);
    ASSERT_EQ(1u, b->connections.size());
    EXPECT_TRUE(c->connections.empty());
    EXPECT_EQ(nullptr, a->groundMap) << "the check frees the maps it made";
}
