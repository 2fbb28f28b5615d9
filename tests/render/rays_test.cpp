// Ray tests against spheres, polygons and the shapes of world objects.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/world/WorldRays.h"
#include "tests/render/HouseWorld.h"

namespace {
const CVector kSquare[4] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
}

TEST(RayPolygon, StartOnThePlaneMissesJustBeforeItHits)
{
    CVector hit;
    EXPECT_FALSE(IntersectRayWithConvexPolygon(CVector(0.5f, 0, 0.5f), CVector(0, -1, 0), kSquare, 4, &hit));
    EXPECT_TRUE(
        IntersectRayWithConvexPolygon(CVector(0.5f, 0.00002f, 0.5f), CVector(0, -1, 0), kSquare, 4, &hit));
    EXPECT_NEAR(hit.y, 0.0f, 1e-6f);
    // Parallel to the plane.
    EXPECT_FALSE(
        IntersectRayWithConvexPolygon(CVector(0.5f, 1, 0.5f), CVector(1, 0.000001f, 0), kSquare, 4, &hit));
    // Through the plane but outside the square; the hit point is still written.
    EXPECT_FALSE(IntersectRayWithConvexPolygon(CVector(2, 1, 0.5f), CVector(0, -1, 0), kSquare, 4, &hit));
    EXPECT_NEAR(hit.x, 2.0f, 1e-6f);
}

TEST(RayPolygon, NonFlatPolygonsAreFansFlatOnesAreConvex)
{
    // A concave flat "L" would be refused as one convex polygon...
    const CVector flatL[5] = {{0, 0, 0}, {2, 0, 0}, {2, 0, 1}, {1, 0, 1}, {1, 0, 2}};
    CVector hit;
    EXPECT_FALSE(IntersectRayWithPolygon(CVector(1.5f, 1, 0.5f), CVector(0, -1, 0), flatL, 5, &hit,
                                         CMatrix::Identity));
    // ...while a wall of five points standing up is split into triangles.
    const CVector wall[5] = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1.5f, 0}, {0, 1, 0}};
    EXPECT_TRUE(
        IntersectRayWithPolygon(CVector(1, 1.2f, -1), CVector(0, 0, 1), wall, 5, &hit, CMatrix::Identity));
    EXPECT_NEAR(hit.z, 0.0f, 1e-6f);
    // The matrix moves the points before the test.
    CMatrix moved = CMatrix::Identity;
    moved[14] = 3.0f;
    EXPECT_TRUE(IntersectRayWithPolygon(CVector(1, 1.2f, -1), CVector(0, 0, 1), wall, 5, &hit, moved));
    EXPECT_NEAR(hit.z, 3.0f, 1e-5f);
}

TEST(RaySphere, WholeLineCounts)
{
    EXPECT_TRUE(RayHitsSphere(CVector(0, 0, 0), CVector(1, 0, 0), CVector(-5, 0, 0), 1.0f));
    EXPECT_FALSE(RayHitsSphere(CVector(0, 0, 0), CVector(1, 0, 0), CVector(5, 2, 0), 1.0f));
}

TEST(RayNodes, StraightDownFindsTheUpperFloorWhateverTheOrder)
{
    HouseWorld w;
    // Give the slabs a floor outline and a path connection so that they count.
    for (CWorldObject* slab : {w.slab1, w.slab2}) {
        CRootNode* root = slab->ModelEntry()->model;
        CMeshNode* mesh = static_cast<CMeshNode*>(root->firstChild);
        const CVector outline[4] = {{-2, 0.1f, -2}, {2, 0.1f, -2}, {2, 0.1f, 2}, {-2, 0.1f, 2}};
        const int32_t edges[8] = {0, 1, 1, 2, 2, 3, 3, 0};
        mesh->SetShape(outline, 4, edges, 4);
        slab->connections.push_back(SConnection{});
    }
    CVector hit;
    CWorldObject* object = nullptr;
    ASSERT_TRUE(
        IntersectRayWithNode(g_WorldRoot, CVector(0.5f, 5, 0.5f), CVector(0, -1, 0), &hit, &object, false));
    EXPECT_EQ(object, w.slab2);
    EXPECT_NEAR(hit.y, 1.7f, 1e-4f);

    // Upper floor first in the chain: still the upper one.
    w.floor2->Remove();
    w.house->InsertFirst(w.floor2);
    ASSERT_EQ(w.house->firstChild, w.floor2);
    object = nullptr;
    ASSERT_TRUE(
        IntersectRayWithNode(g_WorldRoot, CVector(0.5f, 5, 0.5f), CVector(0, -1, 0), &hit, &object, false));
    EXPECT_EQ(object, w.slab2);

    // Only solid objects: an object that is not drawn does not block.
    for (CWorldObject* n : {g_WorldRoot, w.house, w.floor1, w.floor2, w.inside1, w.inside2, w.slab1})
        SetVisibility(n, VIS_INSIDE);
    SetVisibility(w.slab2, VIS_HIDDEN);
    object = nullptr;
    ASSERT_TRUE(IntersectRayWithNode(g_WorldRoot->FirstObject(), CVector(0.5f, 5, 0.5f), CVector(0, -1, 0),
                                     &hit, &object, true));
    EXPECT_EQ(object, w.slab1);
    SetVisibility(w.slab2, VIS_INSIDE);
    w.slab2->factor = 0.5f; // faded objects do not block either
    ASSERT_TRUE(IntersectRayWithNode(g_WorldRoot->FirstObject(), CVector(0.5f, 5, 0.5f), CVector(0, -1, 0),
                                     &hit, &object, true));
    EXPECT_EQ(object, w.slab1);
    EXPECT_TRUE(IntersectRayWithObjectShape(w.slab1, CVector(0.5f, 5, 0.5f), CVector(0, -1, 0)));
    EXPECT_TRUE(FindNearestHitOnShape(w.slab2, CVector(0.5f, 5, 0.5f), CVector(0, -1, 0), &hit));
    EXPECT_NEAR(hit.y, 1.7f, 1e-4f);
}
