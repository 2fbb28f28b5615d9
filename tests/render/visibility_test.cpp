// The visibility collection with the house and floor cut-away, and the
// location lookup by node names.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/render/HouseWorld.h"

namespace {

// Every sphere crosses the view's edge (state 2), so that every level is tested
// in batches; spheres far out on x lie wholly outside.
uint32_t g_BatchCalls = 0;
HRESULT CrossingSpheres(const D3DVECTOR* centres, const float*, uint32_t count, uint32_t* results)
{
    ++g_BatchCalls;
    for (uint32_t i = 0; i < count; ++i)
        results[i] = centres[i].x > 1000.0f ? 0x1001u : 0x1u;
    return D3D_OK;
}
HRESULT InsideSpheres(const D3DVECTOR*, const float*, uint32_t count, uint32_t* results)
{
    for (uint32_t i = 0; i < count; ++i)
        results[i] = 0;
    return D3D_OK;
}
HRESULT FailingSpheres(const D3DVECTOR*, const float*, uint32_t, uint32_t*)
{
    return E_FAIL;
}

class Visibility : public ::testing::TestWithParam<SphereVisibilityFn>
{
protected:
    void SetUp() override { g_SphereVisibility = GetParam(); }
    void TearDown() override { g_SphereVisibility = nullptr; }
    void Collect()
    {
        ResetVisibleObjects();
        CollectVisible(g_WorldRoot, 2, true);
    }
};

} // namespace

TEST_P(Visibility, FloorsAboveTheCurrentOneAreCutAway)
{
    HouseWorld w;
    Collect();
    for (CWorldObject* n : {w.slab1, w.stairs, w.wall, w.slab2})
        EXPECT_TRUE(IsListed(n)) << n->GetName();

    CurrentFloor = 1;
    FloorMask = 1u << 0;
    Collect();
    EXPECT_TRUE(IsListed(w.slab1));
    EXPECT_TRUE(IsListed(w.stairs));
    EXPECT_TRUE(IsListed(w.wall));
    EXPECT_FALSE(IsListed(w.slab2));
    EXPECT_FALSE(IsListed(w.inside2));
    EXPECT_EQ(GetVisibility(w.floor2), VIS_HIDDEN);
    EXPECT_EQ(GetVisibility(w.slab2), VIS_HIDDEN);
}

TEST_P(Visibility, HiddenStairsLeaveTheRestOfTheirFloor)
{
    HouseWorld w;
    CurrentFloor = 1;
    FloorMask = 1u << 0;
    HideStairs = 1;
    Collect();
    EXPECT_FALSE(IsListed(w.stairs));
    EXPECT_EQ(GetVisibility(w.stairs), VIS_HIDDEN);
    EXPECT_TRUE(IsListed(w.slab1));
    EXPECT_TRUE(IsListed(w.wall));
    EXPECT_FALSE(IsListed(w.slab2));
}

TEST_P(Visibility, OtherHousesShowOnlyTheirOutsideUnlessTheirInsideIsListed)
{
    HouseWorld w;
    CurrentHouse = nullptr;
    Collect();
    EXPECT_TRUE(IsListed(w.wall));
    EXPECT_FALSE(IsListed(w.slab1));
    EXPECT_FALSE(IsListed(w.slab2));

    VisibleInteriors = {w.inside2};
    Collect();
    EXPECT_TRUE(IsListed(w.slab2));
    EXPECT_FALSE(IsListed(w.slab1));
}

INSTANTIATE_TEST_SUITE_P(SphereResults, Visibility, ::testing::Values(&CrossingSpheres, &InsideSpheres),
                         [](const ::testing::TestParamInfo<SphereVisibilityFn>& info) {
                             return std::string(info.param == &CrossingSpheres ? "Crossing" : "Inside");
                         });

TEST(VisibilityBatches, FirstBatchAndItsSubtreesComeBeforeTheRemainingSiblings)
{
    HouseWorld w;
    ClearWorld();
    CModelEntry* box = MakeEntry("Kiste", MakeBoxModel("Kiste", 1, 1, 1, 1, 1, 1));
    CWorldObject* group = AddGroup(g_WorldRoot, "Lager");
    std::vector<CWorldObject*> siblings, children;
    for (int i = 0; i < 300; ++i) {
        siblings.push_back(AddModel(group, "box", box, CVector(float(i), 0, 0)));
        children.push_back(AddModel(siblings.back(), "inner", box, CVector(float(i), 1, 0)));
    }
    CVector min(100000, 100000, 100000), max(-100000, -100000, -100000);
    WorldWalk::ComputeBounds(g_WorldRoot, min, max);

    g_SphereVisibility = &CrossingSpheres;
    g_BatchCalls = 0;
    ResetVisibleObjects();
    CollectVisible(g_WorldRoot, 0, true);
    g_SphereVisibility = nullptr;

    // root, group, then 256 siblings, their 256 children, 44 siblings, 44 children.
    ASSERT_EQ(VisibleObjects.size(), 2u + 600u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(VisibleObjects[2 + i].node, siblings[i]);
        EXPECT_EQ(VisibleObjects[2 + 256 + i].node, children[i]);
    }
    for (int i = 0; i < 44; ++i) {
        EXPECT_EQ(VisibleObjects[2 + 512 + i].node, siblings[256 + i]);
        EXPECT_EQ(VisibleObjects[2 + 556 + i].node, children[256 + i]);
    }
    EXPECT_GE(g_BatchCalls, 4u);
    EXPECT_EQ(VisibleObjectCount, 600);
}

TEST(VisibilityBatches, OutsideSpheresFailedTestsAndFlagsHide)
{
    HouseWorld w;
    g_SphereVisibility = &CrossingSpheres;
    w.slab1->position.x = 5000.0f; // its sphere lies wholly outside
    w.wall->flags = 0x04;          // hidden by its logic in the game
    w.stairs->flags = 0x01;        // hidden only in the editor
    ResetVisibleObjects();
    CollectVisible(g_WorldRoot, 2, true);
    EXPECT_FALSE(IsListed(w.slab1));
    EXPECT_FALSE(IsListed(w.wall));
    EXPECT_TRUE(IsListed(w.stairs));

    ResetVisibleObjects();
    CollectVisible(g_WorldRoot, 0, false);
    EXPECT_TRUE(IsListed(w.wall));
    EXPECT_FALSE(IsListed(w.stairs));

    g_SphereVisibility = &FailingSpheres;
    ResetVisibleObjects();
    CollectVisible(g_WorldRoot, 0, false);
    EXPECT_TRUE(VisibleObjects.empty());
    EXPECT_EQ(GetVisibility(g_WorldRoot), VIS_HIDDEN);
    g_SphereVisibility = nullptr;
}

TEST(VisibilityBatches, EmptyGroupHidesNothingAndIsNeverListed)
{
    HouseWorld w;
    CWorldObject* empty = AddGroup(g_WorldRoot, "leer");
    CVector min(100000, 100000, 100000), max(-100000, -100000, -100000);
    WorldWalk::ComputeBounds(g_WorldRoot, min, max);
    EXPECT_EQ(empty->angle2, 0.0f);
    g_SphereVisibility = &InsideSpheres;
    ResetVisibleObjects();
    CollectVisible(g_WorldRoot, 0, true);
    g_SphereVisibility = nullptr;
    EXPECT_FALSE(IsListed(empty));
    EXPECT_TRUE(IsListed(w.slab2));
}

TEST(HouseNames, FloorNumbersAndPrefixes)
{
    EXPECT_EQ(FloorNumberOf("Stockwerk_1"), 1);
    EXPECT_EQ(FloorNumberOf("Stockwerk_2_x_13"), 2);
    EXPECT_EQ(FloorNumberOf("Stockwerk_A"), 'A' - '0');
    // Too short to hold the digit: no floor number, nothing read past the end.
    for (const char* shortName : {"Stockwerk", "Stockwerk_", "stockwerk"}) {
        const size_t n = std::strlen(shortName);
        char* exact = new char[n + 1];
        std::memcpy(exact, shortName, n + 1);
        EXPECT_EQ(FloorNumberOf(exact), 0) << shortName;
        delete[] exact;
    }
    EXPECT_EQ(ExtraFloorMask("Stockwerk_3__12"), (1u << 1) | (1u << 2));
    EXPECT_EQ(ExtraFloorMask("Stockwerk_3"), 0u);
    EXPECT_TRUE(IsHouseName("HAUS"));
    EXPECT_TRUE(IsHouseName("Hausmeister"));
    EXPECT_FALSE(IsHouseName("Hau"));
    EXPECT_FALSE(IsHouseName(nullptr));
    EXPECT_TRUE(IsStairsName("treppe_2"));
}

TEST(HouseNames, LocationTakesTheOutermostMatches)
{
    HouseWorld w;
    CWorldObject *house = nullptr, *floor = nullptr;
    int32_t number = -1;
    uint8_t inside = 9;
    GetLocation(w.stairs, &house, &floor, &number, &inside);
    EXPECT_EQ(house, w.house);
    EXPECT_EQ(floor, w.floor1);
    EXPECT_EQ(number, 1);
    EXPECT_EQ(inside, 1);
    GetLocation(w.wall, &house, &floor, &number, &inside);
    EXPECT_EQ(inside, 0);
    // The node itself is not examined.
    GetHouseAndFloor(w.house, &house, &floor, &number);
    EXPECT_EQ(house, nullptr);
    EXPECT_EQ(floor, nullptr);
    EXPECT_EQ(number, 0);
    EXPECT_TRUE(IsStairs(w.stairs));
    EXPECT_FALSE(IsStairs(w.slab1));
}

TEST(HouseNames, HouseStateFollowsTheCharacterAndItsStairs)
{
    HouseWorld w;
    CWorldObject* person = AddModel(w.inside1, "person", nullptr, CVector(1, 0.2f, 1));
    UpdateHouseState(person);
    EXPECT_EQ(CurrentHouse, w.house);
    EXPECT_EQ(CurrentFloor, 1);
    EXPECT_EQ(FloorMask, 1u);
    EXPECT_EQ(HideStairs, 0);
    // Standing on the stairs, above their origin: the floor above counts.
    person->position.y = 0.8f;
    UpdateHouseState(person, w.stairs);
    EXPECT_EQ(HideStairs, 1);
    EXPECT_EQ(CurrentFloor, 2);
    EXPECT_EQ(FloorMask, 1u << 1);
    // Level with the stairs' origin: not on them yet.
    person->position.y = 0.605f;
    UpdateHouseState(person, w.stairs);
    EXPECT_EQ(HideStairs, 0);
    EXPECT_EQ(CurrentFloor, 1);
    // A floor name that lists further floors keeps them visible.
    w.floor1->SetName("Stockwerk_3__12");
    UpdateHouseState(person);
    EXPECT_EQ(FloorMask, (1u << 2) | (1u << 1)); // its own bit 2, and the listed 1 and 2
}
