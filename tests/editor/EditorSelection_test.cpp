// Snapping moved points to the grid, the grid levels and the world's locator points.
#include "GAMES/Rulo2/editor/EditorSelection.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"

#include <gtest/gtest.h>

namespace {

class Snapping : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SnappingMode = 1;
        GridLevels[0] = GridLevels[1] = GridLevels[2] = 0;
        VisibleObjects.clear();
    }
};

void ExpectNear(const CVector& a, const CVector& b, const char* what)
{
    EXPECT_NEAR(a.x, b.x, 1e-5f) << what;
    EXPECT_NEAR(a.y, b.y, 1e-5f) << what;
    EXPECT_NEAR(a.z, b.z, 1e-5f) << what;
}

TEST_F(Snapping, PointsSnapToTheNearestGridCandidateWithinTheSnapDistance)
{
    const struct
    {
        const char* what;
        int mode;
        ViewIndex view;
        CVector point, snapped;
    } cases[] = {
        {"top view, mode 1", 1, VIEW_TOP, {0.1f, 0.1f, 0.1f}, {0, 0, 0}},
        {"far above the level", 1, VIEW_TOP, {0.1f, 5, 0.1f}, {0.1f, 5, 0.1f}},
        {"negative truncates toward zero", 1, VIEW_TOP, {-0.1f, 0, 0.2f}, {0, 0, 0.25f}},
        {"front view: depth z", 1, VIEW_FRONT, {0.2f, 0.1f, 0.1f}, {0.25f, 0, 0}},
        {"side view: depth x", 1, VIEW_SIDE, {0.05f, 0.1f, 0.2f}, {0, 0, 0.25f}},
        {"mode 2 moves the depth axis only", 2, VIEW_TOP, {0.1f, 0.2f, 0.1f}, {0.1f, 0, 0.1f}},
        {"mode 2 beyond the distance", 2, VIEW_TOP, {0.1f, 0.4f, 0.1f}, {0.1f, 0.4f, 0.1f}},
        {"mode 0", 0, VIEW_TOP, {0.1f, 0.1f, 0.1f}, {0.1f, 0.1f, 0.1f}},
    };
    for (const auto& c : cases) {
        SnappingMode = c.mode;
        const CVector moved = c.point + ComputeSnapOffset(&c.point, 1, c.view);
        ExpectNear(moved, c.snapped, c.what);
    }
    // Negative coordinates get the candidates of their truncation: -0.2 goes to 0,
    // not to the nearer -0.25.
    SnappingMode = 1;
    const CVector p(-0.2f, 0, 0);
    ExpectNear(p + ComputeSnapOffset(&p, 1, VIEW_TOP), CVector(0, 0, 0), "not -0.25");
    // The nearest of several points decides the one move for all.
    const CVector two[] = {{0.2f, 0, 0.2f}, {1.01f, 0, 1.01f}};
    ExpectNear(ComputeSnapOffset(two, 2, VIEW_TOP), CVector(-0.01f, 0, -0.01f), "nearest point");
}

TEST_F(Snapping, ANearerLocatorOfAnUnselectedNodeBeatsTheGrid)
{
    CWorldObject locator, chosen;
    locator.objectKind = CWorldObject::KIND_MODEL;
    locator.snapPoints = {CVector(0.11f, 0, 0.13f)};
    locator.snapCapacity = 1;
    chosen.objectKind = CWorldObject::KIND_MODEL;
    chosen.selected = 1;
    chosen.snapPoints = {CVector(0.1f, 0, 0.1f)};
    chosen.snapCapacity = 1;
    VisibleObjects.push_back({&locator});
    VisibleObjects.push_back({&chosen});
    const CVector p(0.1f, 0, 0.1f);
    ExpectNear(p + ComputeSnapOffset(&p, 1, VIEW_TOP), CVector(0.11f, 0, 0.13f), "locator");
    // Mode 2 ignores locators.
    SnappingMode = 2;
    ExpectNear(ComputeSnapOffset(&p, 1, VIEW_TOP), CVector(0, 0, 0), "grid level only");
}

} // namespace
