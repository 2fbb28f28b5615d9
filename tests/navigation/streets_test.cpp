// The street-piece table, its lanes and the street network of a world.
#include <gtest/gtest.h>

#include <cmath>
#include <unistd.h>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "platform/crt/Crt.h"
#include "tests/navigation/StreetWorld.h"

using namespace navtest;

namespace {

constexpr float kPi = 3.14159265f;

void ExpectNear(const CVector& a, const CVector& b, float eps = 1e-4f)
{
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

TEST(StreetPieces, LaneCountsTurnsAndEnds)
{
    BuildStreetPieceLanes();
    const int lanes[20] = {0, 1, 4, 2, 2, 2, 2, 12, 6, 0, 0, 6, 6, 2, 2, 6, 12, 2, 2, 0};
    const int sides[20] = {0, 0, 0, 2, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int k = 0; k < 20; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(int(StreetPieceTable[k].lanes.size()), lanes[k]);
        EXPECT_EQ(int(StreetPieceTable[k].laneTurn.size()), lanes[k]);
        EXPECT_EQ(int(StreetPieceTable[k].sideLines.size()), sides[k]);
        const bool junction = k == 7 || k == 8 || k == 11 || k == 12 || k == 15 || k == 16;
        EXPECT_EQ(StreetPieceTable[k].isJunction, junction ? 1 : 0);
    }
    const StreetPiece& crossing = StreetPieceTable[7];
    ExpectNear(crossing.lanes[0].front(), {0.95f, 0, 0.25f});
    ExpectNear(crossing.lanes[0].back(), {0.25f, 0, 0.95f});
    EXPECT_EQ(crossing.lanes[0].size(), 20u);
    EXPECT_FLOAT_EQ(crossing.laneTurn[0], 0.2617994f);
    EXPECT_FLOAT_EQ(crossing.laneTurn[1], 0.0f);
    EXPECT_FLOAT_EQ(crossing.laneTurn[2], -0.2617994f);
    // Every lane of a crossing starts and ends on a lane end: 0.95 out on one
    // axis, 0.25 on the other.
    for (const auto& lane : crossing.lanes)
        for (const CVector& end : {lane.front(), lane.back()}) {
            const bool onX = std::fabs(std::fabs(end.x) - 0.95f) < 1e-5f;
            EXPECT_NEAR(std::fabs(onX ? end.z : end.x), 0.25f, 1e-5f);
            EXPECT_NEAR(std::fabs(onX ? end.x : end.z), 0.95f, 1e-5f);
        }
    // The short curve of the wide bend stops before the piece's edge.
    ExpectNear(StreetPieceTable[3].lanes[0].back(), {-0.2463f, 0, -0.8558f});
    // The T-junctions' turn order.
    const float turns[6] = {0.2617994f, 0, 0.2617994f, -0.2617994f, 0, -0.2617994f};
    for (int k : {8, 11, 12, 15})
        for (int l = 0; l < 6; ++l)
            EXPECT_FLOAT_EQ(StreetPieceTable[k].laneTurn[size_t(l)], turns[l]) << k << " " << l;
    // Slopes of the sloping straights.
    EXPECT_FLOAT_EQ(StreetPieceTable[5].lanes[0].front().y, 0.25f);
    EXPECT_FLOAT_EQ(StreetPieceTable[5].lanes[0].back().y, -0.25f);
    // Built again, nothing doubles.
    BuildStreetPieceLanes();
    EXPECT_EQ(StreetPieceTable[7].lanes.size(), 12u);
}

TEST(StreetPieces, NamesMatchWholeWithAsciiCaseFolding)
{
    EXPECT_EQ(FindStreetPiece("street_Stra\xDF"
                              "e_Gerade2"),
              6);
    EXPECT_EQ(FindStreetPiece("STREET_STRA\xDF"
                              "E_GERADE2"),
              6);
    EXPECT_EQ(FindStreetPiece("street_Strasse_Gerade2"), -1);
    EXPECT_EQ(FindStreetPiece("STREET_FIXTOOL"), 19);
    EXPECT_EQ(FindStreetPiece("street_fixtool2"), -1);
    EXPECT_EQ(FindStreetPiece("street_"), -1);
    EXPECT_EQ(FindStreetPiece(nullptr), -1);
    // The a-umlaut is one byte of its own; an upper-case one is another letter.
    EXPECT_EQ(FindStreetPiece("street_Stra\xDF"
                              "e_Gerade2Schr\xE4g"),
              4);
    EXPECT_EQ(FindStreetPiece("street_Stra\xDF"
                              "e_Gerade2Schr\xC4g"),
              -1);
}

TEST(StreetPieces, RotationRoundsYawToQuarterTurns)
{
    const CVector p(1, 0.5f, 0);
    struct Case
    {
        float yaw;
        CVector out;
    } cases[] = {
        {0.0f, {1, 0.5f, 0}},        {0.1f, {1, 0.5f, 0}},
        {kPi / 2, {0, 0.5f, -1}},    {float(M_PI / 4), {0, 0.5f, -1}},
        {kPi, {-1, 0.5f, 0}},        {-kPi / 2, {0, 0.5f, 1}},
        {3 * kPi / 2, {0, 0.5f, 1}}, {2 * kPi + 0.05f, {1, 0.5f, 0}},
        {-kPi, {-1, 0.5f, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.yaw);
        ExpectNear(RotateLanePoint(p, c.yaw), c.out, 1e-6f);
    }
}

// A row of straight pieces with a crossing: crossing (0,0), straights east.
struct StreetRow
{
    World world;
    CWorldObject* crossing;
    std::vector<CWorldObject*> straights;
    explicit StreetRow(int count = 3)
    {
        crossing = PlacePiece(world, kCrossing2, {0, 0, 0}, 1.0f, 1.0f);
        CWorldObject* previous = crossing;
        for (int i = 0; i < count; ++i) {
            CWorldObject* s = PlacePiece(world, kStraight2, {1.5f + float(i), 0, 0}, 0.5f, 1.0f);
            Connect(previous, s);
            straights.push_back(s);
            previous = s;
        }
    }
    void ShowAll(int32_t state = VIS_INSIDE)
    {
        SetVisibility(crossing, state);
        for (CWorldObject* s : straights)
            SetVisibility(s, state);
    }
};

TEST(StreetNetwork, BuildsElementsAndLinksFromConnections)
{
    StreetRow row;
    // Not a piece: a name with the prefix that the table does not know.
    CWorldObject* stranger = PlacePiece(row.world, "street_unknown", {0, 0, 5}, 1, 1);
    Connect(row.crossing, stranger);
    // A one-way connection gives a link only from its owner.
    CWorldObject* end = PlacePiece(row.world, kStraight2, {4.5f, 0, 0}, 0.5f, 1.0f);
    row.straights.back()->AddConnection(end, true);
    AppLog log;
    StreetNet.Build(row.world.root.get());
    EXPECT_TRUE(log.has("starting street traversal"));
    EXPECT_TRUE(log.has("(found 5 elements"));
    ASSERT_EQ(StreetNet.elements.size(), 5u);
    EXPECT_EQ(StreetNet.Find(stranger), nullptr);
    StreetElement* crossing = StreetNet.Find(row.crossing);
    ASSERT_TRUE(crossing);
    // Connections are mutual: each end adds both links, so each side holds two.
    ASSERT_EQ(crossing->links.size(), 2u);
    EXPECT_EQ(crossing->links[0].target->node, row.straights[0]);
    EXPECT_EQ(crossing->links[1].target->node, row.straights[0]);
    EXPECT_FLOAT_EQ(crossing->links[0].distance, 1500.0f);
    EXPECT_EQ(StreetNet.Find(row.straights[0])->links.size(), 4u);
    EXPECT_EQ(StreetNet.Find(end)->links.size(), 0u);
    EXPECT_EQ(StreetNet.Find(row.straights[2])->links.size(), 3u);
    StreetNet.Clear();
}

TEST(StreetNetwork, NullRootKeepsTheNetworkAndNoPiecesFindsNone)
{
    StreetRow row;
    StreetNet.Build(row.world.root.get());
    ASSERT_EQ(StreetNet.elements.size(), 4u);
    {
        AppLog log;
        StreetNet.Build(nullptr);
        EXPECT_EQ(log.text(), "");
        EXPECT_EQ(StreetNet.elements.size(), 4u);
    }
    World empty;
    empty.Place(ShapeEntry("ground", Square(-1, -1, 1, 1), kClosedEdges), {0, 0, 0});
    AppLog log;
    StreetNet.Build(empty.root.get());
    EXPECT_TRUE(log.has("(found 0 elements"));
    std::vector<StreetElement*> route;
    EXPECT_FALSE(StreetNet.RandomRoute(row.crossing, route, 0));
    EXPECT_FALSE(StreetNet.RandomRoute(nullptr, route, 1));
}

TEST(StreetNetwork, ALoadedWorldForgetsTheNodesOfTheWorldBefore)
{
    std::vector<const CWorldObject*> old;
    {
        StreetRow first;
        StreetNet.Build(first.world.root.get());
        old = {first.crossing, first.straights[0]};
        ASSERT_TRUE(StreetNet.Find(old[0]));
        StreetRow second(1);
        StreetNet.Build(second.world.root.get());
        EXPECT_EQ(StreetNet.Find(old[0]), nullptr);
        EXPECT_EQ(StreetNet.Find(old[1]), nullptr);
        ASSERT_TRUE(StreetNet.Find(second.crossing));
        EXPECT_EQ(StreetNet.Find(second.crossing)->node, second.crossing);
    }
    StreetNet.Clear();
}

// Frame time of this test's routes; each test takes a fresh one.
uint32_t NextStamp()
{
    static uint32_t stamp = 1000;
    GameClock.frameTime = ++stamp;
    return stamp;
}

TEST(StreetNetwork, RouteChoiceFollowsRandAndSkipsVisitedPieces)
{
    // A piece with two one-way links; each neighbour leads only back.
    World world;
    CWorldObject* mid = PlacePiece(world, kCrossing2, {0, 0, 0}, 1, 1);
    CWorldObject* west = PlacePiece(world, kStraight2, {-1.5f, 0, 0}, 0.5f, 1);
    CWorldObject* east = PlacePiece(world, kStraight2, {1.5f, 0, 0}, 0.5f, 1);
    mid->AddConnection(west, true);
    mid->AddConnection(east, true);
    // The ends lead back, so a walk may go on from them.
    west->AddConnection(mid, true);
    east->AddConnection(mid, true);
    StreetNet.Build(world.root.get());
    SetVisibility(mid, VIS_INSIDE);
    // Hidden neighbours end a walk.
    SetVisibility(west, VIS_HIDDEN);
    SetVisibility(east, VIS_HIDDEN);
    std::vector<StreetElement*> route;

    // Seeds whose first rand() is exactly the value wanted.
    auto seedFor = [](int wanted) {
        for (unsigned s = 1;; ++s) {
            crt::srand(s);
            if (crt::rand() == wanted) {
                crt::srand(s);
                return s;
            }
        }
    };
    NextStamp();
    seedFor(0);
    // One way from the middle: mid, then link 0 (west) ends the walk; the step
    // after west needs an unvisited neighbour, and mid is visited: failure.
    EXPECT_FALSE(StreetNet.RandomRoute(mid, route, 1));
    ASSERT_EQ(route.size(), 2u);
    EXPECT_EQ(route[1]->node, west);
    NextStamp();
    seedFor(crt::RandMax);
    EXPECT_FALSE(StreetNet.RandomRoute(mid, route, 1));
    ASSERT_EQ(route.size(), 2u);
    EXPECT_EQ(route[1]->node, east);
    StreetNet.Clear();
}

TEST(StreetNetwork, TwoWayRoutesJoinAtTheStartAndShareTheFrame)
{
    // west2 - west - mid - east - east2, all two-way; the outer ends are hidden.
    World world;
    std::vector<CWorldObject*> p;
    for (int i = 0; i < 5; ++i)
        p.push_back(PlacePiece(world, kStraight2, {float(i), 0, 0}, 0.5f, 1));
    for (int i = 0; i + 1 < 5; ++i) {
        p[size_t(i)]->AddConnection(p[size_t(i) + 1], false);
    }
    // Outer pieces lead on to a hidden piece beyond them.
    CWorldObject* beyondW = PlacePiece(world, kStraight2, {-1, 0, 0}, 0.5f, 1);
    CWorldObject* beyondE = PlacePiece(world, kStraight2, {5, 0, 0}, 0.5f, 1);
    beyondW->AddConnection(p[0], false);
    p[4]->AddConnection(beyondE, false);
    StreetNet.Build(world.root.get());
    for (CWorldObject* o : p)
        SetVisibility(o, VIS_INSIDE);
    SetVisibility(beyondW, VIS_HIDDEN);
    SetVisibility(beyondE, VIS_HIDDEN);
    // Each hidden end needs a way on: give them one further hidden piece.
    CWorldObject* farW = PlacePiece(world, kStraight2, {-2, 0, 0}, 0.5f, 1);
    CWorldObject* farE = PlacePiece(world, kStraight2, {6, 0, 0}, 0.5f, 1);
    farW->AddConnection(beyondW, false);
    beyondE->AddConnection(farE, false);
    StreetNet.Build(world.root.get());

    NextStamp();
    crt::srand(7);
    std::vector<StreetElement*> route;
    ASSERT_TRUE(StreetNet.RandomRoute(p[2], route, 0));
    // Both directions, start piece once, no piece twice.
    ASSERT_EQ(route.size(), 7u);
    std::vector<CWorldObject*> nodes;
    for (StreetElement* e : route)
        nodes.push_back(e->node);
    const bool westFirst = nodes.front() == beyondW;
    const std::vector<CWorldObject*> expect =
        westFirst ? std::vector<CWorldObject*>{beyondW, p[0], p[1], p[2], p[3], p[4], beyondE}
                  : std::vector<CWorldObject*>{beyondE, p[4], p[3], p[2], p[1], p[0], beyondW};
    EXPECT_EQ(nodes, expect);
    // A second route in the same frame finds every piece passed already.
    std::vector<StreetElement*> again;
    EXPECT_FALSE(StreetNet.RandomRoute(p[2], again, 1));
    // The next frame may route again.
    NextStamp();
    EXPECT_TRUE(StreetNet.RandomRoute(p[2], again, 1));
    // A start piece not shown fails at once.
    SetVisibility(p[2], VIS_HIDDEN);
    NextStamp();
    EXPECT_FALSE(StreetNet.RandomRoute(p[2], again, 1));
    EXPECT_TRUE(again.empty());
    StreetNet.Clear();
}

TEST(StreetNetwork, APieceOthersOnlyLinkToFailsCleanly)
{
    // a -> b one way: b has no links of its own. A route reaching b must stop
    // without reading a link b does not have.
    World world;
    CWorldObject* a = PlacePiece(world, kStraight2, {0, 0, 0}, 0.5f, 1);
    CWorldObject* b = PlacePiece(world, kStraight2, {1, 0, 0}, 0.5f, 1);
    a->AddConnection(b, true);
    StreetNet.Build(world.root.get());
    SetVisibility(a, VIS_INSIDE);
    SetVisibility(b, VIS_INSIDE);
    NextStamp();
    std::vector<StreetElement*> route;
    EXPECT_FALSE(StreetNet.RandomRoute(a, route, 1));
    EXPECT_FALSE(StreetNet.RandomRoute(b, route, 0));
    StreetNet.Clear();
}

} // namespace
