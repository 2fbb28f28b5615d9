// What guards hear and see: noise levels by distance, height and area, and the
// line of sight outdoors, through walls and doors and at the edge of the view.
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/Perception.h"

#include <cmath>

#include "tests/navigation/NavWorld.h"

using namespace navtest;

namespace {

class Perception : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        world = std::make_unique<World>();
        NoiseSources.clear();
    }
    void TearDown() override
    {
        NoiseSources.clear();
        KeepNarrowestWindow = nullptr;
        world.reset();
        WorldServicesTest::TearDown();
    }
    // A model instance whose test box is given (the sight test reads nothing else of it).
    CWorldObject* Box(CNode* parent, const char* model, const CVector& lo, const CVector& hi)
    {
        CWorldObject* o = world->Place(ShapeEntry(model, Square(0, 0, 1, 1), {}), {0, 0, 0}, parent);
        o->boundsBMin = lo;
        o->boundsBMax = hi;
        return o;
    }
    std::unique_ptr<World> world;
};

std::vector<std::pair<int32_t, int32_t>> g_Reported;
void Keep(int32_t level, int32_t threshold)
{
    g_Reported.emplace_back(level, threshold);
}

} // namespace

TEST_F(Perception, NoiseFallsWithDistanceCountsHeightDoubleAndOtherAreasAFifth)
{
    struct Case
    {
        CVector at;
        int32_t loudness, area, expected;
    } cases[] = {
        {{0, 0, 0}, 100, 1, 100}, // at the listener: all of it
        {{1, 0, 0}, 100, 1, 50},  // 1.0 away horizontally
        {{0, 1, 0}, 100, 1, 25},  // 1.0 above counts as 2.0
        {{0, 0, 0}, 4, 2, 0},     // level 4 in another area: trunc(0.8)
        {{0, 0, 3}, 100, 2, 3},   // trunc(16) x 0.2
    };
    for (const Case& c : cases) {
        NoiseSources = {{c.at.x, c.at.y, c.at.z, c.loudness, c.area}};
        EXPECT_EQ(c.expected, GetNoiseLevelAt({0, 0, 0}, 1, 50, nullptr)) << c.at.x << c.at.y << c.at.z;
    }
}

TEST_F(Perception, NoiseSumsTheSourcesNamesTheFirstLoudestAndReportsToTheDisplay)
{
    g_Reported.clear();
    KeepNarrowestWindow = Keep;
    int32_t loudest = -5;
    EXPECT_EQ(0, GetNoiseLevelAt({0, 0, 0}, 1, 70, &loudest));
    EXPECT_EQ(-5, loudest);
    NoiseSources = {{2, 0, 0, 40, 1}, {1, 0, 0, 20, 1}, {-1, 0, 0, 20, 1}};
    EXPECT_EQ(30, GetNoiseLevelAt({0, 0, 0}, 1, 70, &loudest));
    EXPECT_EQ(0, loudest) << "equal levels: the first one";
    const std::vector<std::pair<int32_t, int32_t>> expected = {{0, 0}, {30, 70}};
    EXPECT_EQ(expected, g_Reported);
}

TEST_F(Perception, OutdoorsWithoutAHouseSightReachesJustBelowTwo)
{
    CWorldObject* guard = world->Character({0, 0, 0});
    CWorldObject* thief = world->Character({0, 0, 1.9f});
    EXPECT_TRUE(TestLineOfSight(guard, thief, 0.0f, 0.7853982f, false));
    thief->position.z = 2.0f;
    EXPECT_FALSE(TestLineOfSight(guard, thief, 0.0f, 0.7853982f, false));
    EXPECT_FALSE(TestLineOfSight(guard, nullptr, 0.0f, 0.7853982f, false));
}

TEST_F(Perception, TheViewReachesExactlyToHalfItsAngle)
{
    CWorldObject* guard = world->Character({0, 0, 0});
    CWorldObject* thief = world->Character({1, 0, 1}); // bearing pi/4 from +z
    EXPECT_TRUE(TestLineOfSight(guard, thief, 0.0f, 0.7853982f, false));
    EXPECT_FALSE(TestLineOfSight(guard, thief, -0.01f, 0.7853982f, false));
    EXPECT_TRUE(TestLineOfSight(guard, thief, 6.2831855f, 0.7853982f, false)) << "headings wrap";
    thief->position = CVector(-1, 0, 1); // bearing 7 pi/4
    EXPECT_TRUE(TestLineOfSight(guard, thief, 0.0f, 0.7853982f, false));
}

TEST_F(Perception, AClosedDoorInAHouseWallBlocksAndOpenItLetsSightPass)
{
    // Inside a house: a wall across the room with a door in it.
    CWorldObject* house = world->Group("Haus_X");
    auto* floor = new CWorldObject("Stockwerk_1");
    house->AddChild(floor);
    auto* inside = new CWorldObject("innen");
    floor->AddChild(inside);
    CWorldObject* guard = world->Object("guard", 5, {0, 0, 0}, {"STAND"}, inside);
    CWorldObject* thief = world->Object("thief", 4, {0, 0, 1}, {"STAND"}, inside);
    Box(inside, "W_Innenwand", {-1, 0, 0.45f}, {1, 0.5f, 0.55f});
    CWorldObject* door = world->Door({0, 0, 0.5f}, false, inside);
    door->boundsBMin = CVector(-0.15f, 0, 0.44f);
    door->boundsBMax = CVector(0.15f, 0.4f, 0.56f);
    EXPECT_FALSE(TestLineOfSight(guard, thief, 0.0f, 0.7853982f, true));
    static_cast<CPassageState*>(door->objectLogic->ownConditions.get())->open = 1;
    EXPECT_TRUE(TestLineOfSight(guard, thief, 0.0f, 0.7853982f, true)) << "the opening clears the wall";

    // Beside the door the wall still blocks.
    thief->position = CVector(0.6f, 0, 1);
    EXPECT_FALSE(TestLineOfSight(guard, thief, 0.0f, 0.7853982f, true));

    // Inside and outside never see each other.
    CWorldObject* outsider = world->Character({0, 0, -0.5f});
    EXPECT_FALSE(TestLineOfSight(outsider, guard, 0.0f, 0.7853982f, false));
}

TEST_F(Perception, TypeRatioAndRotation)
{
    CWorldObject* crate = world->Object("Crate", 0, {0, 0, 0}, {"OPEN"});
    crate->objectLogic->ownKindData.reset();
    EXPECT_EQ(0.0f, GetTypeRatioPercent(crate->objectLogic)) << "no type";
    crate->objectLogic->ownKindData = CKindData::Create(KIND_ITEM);
    crate->objectLogic->ownKindData->Values()[0] = FloatAsWord(0.25f);
    EXPECT_FLOAT_EQ(25.0f, GetTypeRatioPercent(crate->objectLogic));
    auto* typed = new CObjectLogic;
    typed->ownKindData = CKindData::Create(KIND_LOOT);
    typed->ownKindData->Values()[0] = FloatAsWord(1.5f);
    crate->Definition()->objectLogic = typed;
    EXPECT_FLOAT_EQ(150.0f, GetTypeRatioPercent(crate->objectLogic)) << "the definition's type wins";

    const float v[2] = {1, 0};
    float out[2];
    Rotate2D(out, v, 1.5707964f);
    EXPECT_NEAR(0.0f, out[0], 1e-6f);
    EXPECT_NEAR(-1.0f, out[1], 1e-6f);
}

// Inside or outside: the node's own name counts, then its nearest ancestor named "innen" or
// "aussen" (either case) decides; no such name is outside.
TEST(InsideTest, TheNodeOrItsNearestInsideOrOutsideAncestorDecides)
{
    CNode root("Welt");
    CNode* house = root.AddChild(new CNode("Haus_A"));
    CNode* inside = house->AddChild(new CNode("innen_1"));
    CNode* lamp = inside->AddChild(new CNode("Lampe"));
    CNode* porch = inside->AddChild(new CNode("Aussen_Veranda"));
    CNode* porchLamp = porch->AddChild(new CNode("Lampe"));
    CNode* upper = house->AddChild(new CNode("INNEN_2"));
    struct Case
    {
        const CNode* node;
        bool inside;
        const char* what;
    };
    const Case cases[] = {
        {lamp, true, "below an inside group"},
        {inside, true, "the inside group itself"},
        {porch, false, "an outside group inside a house"},
        {porchLamp, false, "the nearest group decides"},
        {upper, true, "upper case"},
        {house, false, "no such name"},
        {nullptr, false, "no node"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsInside(c.node), c.inside) << c.what;
}
