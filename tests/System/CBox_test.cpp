#include "LIBS/System/CBox.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace {

void ExpectVec(const CVector& v, float x, float y, float z, float tol = 1e-5f)
{
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

CBox Box(float x0, float y0, float z0, float x1, float y1, float z1)
{
    return CBox{{x0, y0, z0}, {x1, y1, z1}};
}

const CBox kUnit = Box(0, 0, 0, 1, 1, 1);

TEST(CBox, EmptyAndExtend)
{
    CBox b = kUnit;
    BBoxReset(b);
    EXPECT_TRUE(b.isEmpty());
    EXPECT_EQ(b.min, CVector(FLT_MAX, FLT_MAX, FLT_MAX));
    EXPECT_EQ(b.max, CVector(-FLT_MAX, -FLT_MAX, -FLT_MAX));

    b.extend(CVector(1, -2, 3));
    EXPECT_FALSE(b.isEmpty());
    EXPECT_EQ(b.min, CVector(1, -2, 3));
    EXPECT_EQ(b.max, CVector(1, -2, 3));

    const CVector pts[] = {{1, 1, 1}, {-1, 5, 0}, {2, 0, -3}};
    b.fromPoints(pts, 3);
    EXPECT_EQ(b.min, CVector(-1, 0, -3));
    EXPECT_EQ(b.max, CVector(2, 5, 1));
    for (int count : {0, -1}) {
        b.fromPoints(pts, count);
        EXPECT_TRUE(b.isEmpty()) << count;
    }

    EXPECT_EQ(CBox::Infinite.min, CVector(-1e20f, -1e20f, -1e20f));
    EXPECT_EQ(CBox::Infinite.max, CVector(1e20f, 1e20f, 1e20f));
}

TEST(CBox, ContainsOverlapAndOverlapAmount)
{
    const CBox big = Box(0, 0, 0, 4, 4, 4);
    EXPECT_EQ(big.contains(Box(1, 1, 1, 2, 2, 2)), 3);
    EXPECT_EQ(big.contains(big), 3); // bounds inclusive
    EXPECT_EQ(big.contains(Box(1, 1, 1, 5, 2, 2)), 1);
    EXPECT_EQ(big.contains(Box(-1, 1, 1, 2, 2, 2)), 1);
    EXPECT_EQ(big.contains(Box(-1, 1, 1, 5, 2, 2)), 0);

    EXPECT_TRUE(kUnit.overlap(Box(1, 0, 0, 2, 1, 1))); // touching
    EXPECT_FALSE(kUnit.overlap(Box(0, 1.5f, 0, 1, 2, 1)));
    EXPECT_TRUE(kUnit.overlap(Box(0.5f, 0.5f, 0.5f, 3, 3, 3)));

    const CBox floor = Box(0, 0, 0, 2, 1, 2);
    EXPECT_FLOAT_EQ(floor.overlapAmount(Box(1, 0, 1, 3, 1, 3)), 0.25f);
    EXPECT_FLOAT_EQ(floor.overlapAmount(Box(-1, -5, -1, 3, 5, 3)), 1.0f);
    EXPECT_EQ(floor.overlapAmount(Box(5, 0, 5, 6, 1, 6)), 0.0f);
    EXPECT_EQ(Box(0, 0, 0, 0, 1, 2).overlapAmount(floor), 1.0f); // no x-z area
}

TEST(CBox, IntersectSegment)
{
    const struct
    {
        CVector o, v;
        int result;
        CVector entry, exit;
    } cases[] = {
        {{-1, 0.5f, 0.5f}, {3, 0, 0}, 1, {0, 0.5f, 0.5f}, {1, 0.5f, 0.5f}},             // through
        {{0.5f, 0.5f, 0.5f}, {0.2f, 0, 0}, 15, {0.5f, 0.5f, 0.5f}, {0.7f, 0.5f, 0.5f}}, // inside
        {{0.5f, 0.5f, 0.5f}, {1, 0, 0}, 5, {0.5f, 0.5f, 0.5f}, {1, 0.5f, 0.5f}},        // leaves
        {{-1, 0.5f, 0.5f}, {1.5f, 0, 0}, 9, {0, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}},       // enters
        {{-1, -1, 0.5f}, {2, 2, 0}, 1, {0, 0, 0.5f}, {1, 1, 0.5f}},                     // diagonal
        {{-1, 2, 0.5f}, {3, 0, 0}, 0, {}, {}},       // parallel to the y slab, outside it
        {{-1, 0.5f, 0.5f}, {0.5f, 0, 0}, 0, {}, {}}, // stops short
        {{2, 0.5f, 0.5f}, {1, 0, 0}, 0, {}, {}},     // box behind
        {{-1, 0, 0.5f}, {1, 3, 0}, 0, {}, {}},       // passes the corner
    };
    for (const auto& c : cases) {
        CVector entry(99, 99, 99), exit(99, 99, 99);
        EXPECT_EQ(kUnit.intersectRay(c.o, c.v, &entry, &exit), c.result) << c.o.x << "," << c.o.y;
        if (c.result != 0) {
            ExpectVec(entry, c.entry.x, c.entry.y, c.entry.z);
            ExpectVec(exit, c.exit.x, c.exit.y, c.exit.z);
        }
        EXPECT_EQ(kUnit.intersectRay(c.o, c.v, nullptr, nullptr), c.result);
    }
}

TEST(CBox, EmptyBoxIsNeverHit)
{
    // The inverted slabs of an empty box must not read as "everywhere".
    EXPECT_EQ(CBox::Empty.intersectRay(CVector(0, 0, 0), CVector(1, 1, 1), nullptr, nullptr), 0);
    EXPECT_EQ(CBox::Empty.intersectRay(CVector(-5, -5, -5), CVector(10, 10, 10), nullptr, nullptr), 0);
}

TEST(CBox, LongestAndShortestAxis)
{
    const struct
    {
        CBox box;
        int longest, shortest;
    } cases[] = {
        {kUnit, 0, 0},
        {Box(1, 1, 1, 1, 1, 1), 0, 1},
        {Box(0, 0, 0, 1, 3, 2), 1, 0},
        {Box(0, 0, 0, 2, 2, 1), 0, 2},
        {Box(0, 0, 0, 1, 2, 2), 1, 0},
        {Box(0, 0, 0, 0, 0, 5), 2, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.box.longestAxis(), c.longest) << c.box.max.x << c.box.max.y << c.box.max.z;
        EXPECT_EQ(c.box.shortestAxis(), c.shortest) << c.box.max.x << c.box.max.y << c.box.max.z;
    }
}

TEST(CBox, ScaleAboutCenter)
{
    CBox b = Box(0, 0, 0, 2, 4, 6);
    b.scaleAboutCenter(2.0f);
    EXPECT_EQ(b.min, CVector(-1, -2, -3));
    EXPECT_EQ(b.max, CVector(3, 6, 9));
    CBox c = Box(0, 0, 0, 2, 4, 6);
    c.scaleAboutCenter(CVector(1, 0.5f, 0));
    EXPECT_EQ(c.min, CVector(0, 1, 3));
    EXPECT_EQ(c.max, CVector(2, 3, 3));
}

TEST(CCornerBox, CornersAndInwardPlanes)
{
    CCornerBox cb;
    cb.fromBox(Box(-1, 0, 2, 3, 4, 5));
    ExpectVec(cb.corners[0], -1, 0, 2, 0);
    ExpectVec(cb.corners[1], 3, 0, 2, 0);
    ExpectVec(cb.corners[2], -1, 4, 2, 0);
    ExpectVec(cb.corners[4], -1, 0, 5, 0);
    ExpectVec(cb.corners[7], 3, 4, 5, 0);

    auto insideAll = [&](const CVector& p) {
        for (const CPlane& pl : cb.planes)
            if (CVector::dot(pl.normal, p) < pl.distance - 1e-5f)
                return false;
        return true;
    };
    EXPECT_TRUE(insideAll(CVector(1, 2, 3.5f)));
    EXPECT_TRUE(insideAll(CVector(3, 4, 5)));
    for (const CVector& out : {CVector(4, 2, 3), CVector(1, -1, 3), CVector(1, 2, 6), CVector(-2, 2, 3)})
        EXPECT_FALSE(insideAll(out)) << out.x << "," << out.y << "," << out.z;
    for (const CPlane& pl : cb.planes)
        EXPECT_NEAR(pl.normal.length(), 1.0f, 1e-6);

    // The same planes come from the corners directly.
    CCornerBox again;
    again.fromCorners(cb.corners);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(again.planes[i].normal, cb.planes[i].normal);
        EXPECT_EQ(again.planes[i].distance, cb.planes[i].distance);
    }
}

TEST(CCornerBox, FlatBoxGetsASliverExceptAtZero)
{
    CCornerBox cb;
    cb.fromBox(Box(0, 2, 0, 1, 2, 1));
    EXPECT_NEAR(cb.corners[2].y - cb.corners[0].y, 2e-5f, 1e-6f);
    cb.fromBox(Box(0, 0, 0, 1, 0, 1));
    EXPECT_EQ(cb.corners[2].y, cb.corners[0].y);
}

TEST(CCornerBox, TransformMovesCornersOnly)
{
    CCornerBox cb;
    cb.fromBox(kUnit);
    const CPlane before = cb.planes[1];
    CMatrix m = CMatrix::Identity;
    m[12] = 10;
    cb.transform(m);
    ExpectVec(cb.corners[7], 11, 1, 1, 0);
    EXPECT_EQ(cb.planes[1].normal, before.normal);
    EXPECT_EQ(cb.planes[1].distance, before.distance);

    // A w other than 0 or 1 divides.
    CMatrix half = CMatrix::Identity;
    half[15] = 2;
    cb.transform(half);
    ExpectVec(cb.corners[7], 5.5f, 0.5f, 0.5f, 0);

    CCornerBox copy;
    copy.fromBox(Box(5, 5, 5, 6, 6, 6));
    const CPlane kept = copy.planes[0];
    copy.copyCorners(cb);
    ExpectVec(copy.corners[7], 5.5f, 0.5f, 0.5f, 0);
    EXPECT_EQ(copy.planes[0].distance, kept.distance);

    CBox bounds;
    bounds.fromCorners(cb.corners);
    ExpectVec(bounds.min, 5, 0, 0, 0);
    ExpectVec(bounds.max, 5.5f, 0.5f, 0.5f, 0);
}

TEST(CPlane, FromPointsAndSegmentSides)
{
    CVector n;
    CPlane::fromPoints(n, CVector(0, 0, 0), CVector(2, 0, 0), CVector(0, 3, 0));
    EXPECT_EQ(n, CVector(0, 0, 1));
    CPlane::fromPoints(n, CVector(0, 0, 0), CVector(0, 3, 0), CVector(2, 0, 0));
    EXPECT_EQ(n, CVector(0, 0, -1));
    CPlane::fromPoints(n, CVector(1, 1, 1), CVector(2, 2, 2), CVector(3, 3, 3));
    EXPECT_EQ(n, CVector(0, 0, 1));

    const CPlane ground{{0, 1, 0}, 1}; // y = 1
    const struct
    {
        CRay ray;
        int code;
        float t;
    } cases[] = {
        {{{0, 3, 0}, {0, -1, 0}, 4}, 2 | 4, 2},      // from above to below: crosses
        {{{0, -1, 0}, {0, 1, 0}, 4}, 1 | 8, 2},      // from below to above: crosses
        {{{0, -1, 0}, {0, 1, 0}, 1}, 1 | 4, 2},      // stays below
        {{{0, 1, 0}, {0, 1, 0}, 1}, 0 | 8, 0},       // starts on the plane
        {{{0, 2, 0}, {1, 0, 0}, 5}, 2 | 8, FLT_MAX}, // parallel above
    };
    for (const auto& c : cases) {
        float t = -1;
        EXPECT_EQ(ground.intersectRay(c.ray, t), c.code) << c.ray.origin.y;
        EXPECT_FLOAT_EQ(t, c.t) << c.ray.origin.y;
    }
}

TEST(Triangle, Coordinates)
{
    float u = -1, v = -1;
    ASSERT_TRUE(
        TriangleCoordinates(CVector(0, 0, 0), CVector(2, 0, 0), CVector(0, 2, 0), CVector(1, 1, 0), u, v));
    EXPECT_FLOAT_EQ(u, 0.5f);
    EXPECT_FLOAT_EQ(v, 0.5f);
    // Skewed edges and an offset origin.
    const CVector o(1, 1, 1), e1(2, 0, 0), e2(1, 1, 0);
    ASSERT_TRUE(TriangleCoordinates(o, e1, e2, o + e1 * 0.25f + e2 * 0.5f, u, v));
    EXPECT_NEAR(u, 0.25f, 1e-6);
    EXPECT_NEAR(v, 0.5f, 1e-6);
    ASSERT_TRUE(TriangleCoordinates(o, e1, e2, o - e1, u, v));
    EXPECT_NEAR(u, -1.0f, 1e-6);
    EXPECT_FALSE(TriangleCoordinates(o, e1, e1 * 3.0f, o, u, v));
}

TEST(CSphere, ExtendAndRelation)
{
    CSphere s = CSphere::Empty;
    EXPECT_TRUE(s.isEmpty());
    EXPECT_EQ(s.radius, -FLT_MIN);
    s.extend(CVector(1, 2, 3));
    EXPECT_EQ(s.center, CVector(1, 2, 3));
    EXPECT_EQ(s.radius, FLT_MIN);
    s.extend(CVector(3, 2, 3));
    ExpectVec(s.center, 2, 2, 3, 1e-6f);
    EXPECT_FLOAT_EQ(s.radius, 1.0f);
    s.extend(CVector(2, 2.5f, 3)); // inside: unchanged
    ExpectVec(s.center, 2, 2, 3, 1e-6f);
    EXPECT_FLOAT_EQ(s.radius, 1.0f);

    const CSphere unitAtOrigin{{0, 0, 0}, 1};
    const struct
    {
        CSphere other;
        int relation;
    } cases[] = {
        {{{0, 0, 0}, 2}, 3},    {{{0.5f, 0, 0}, 0.25f}, 3}, {{{2, 0, 0}, 1}, 1},
        {{{1.5f, 0, 0}, 1}, 1}, {{{3, 0, 0}, 1}, 0},        {CSphere::Empty, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unitAtOrigin.relation(c.other), c.relation) << c.other.center.x << " r " << c.other.radius;
        EXPECT_EQ(c.other.relation(unitAtOrigin), c.relation) << c.other.center.x << " r " << c.other.radius;
    }
}

TEST(CSphere, IntersectRay)
{
    const CSphere s{{0, 0, 0}, 1};
    const struct
    {
        CRay ray;
        int result;
        CVector entry, exit;
    } cases[] = {
        {{{-3, 0, 0}, {1, 0, 0}, 10}, 1, {-1, 0, 0}, {1, 0, 0}},
        {{{-3, 0, 0}, {1, 0, 0}, 3}, 9, {-1, 0, 0}, {0, 0, 0}},
        {{{0, 0, 0}, {1, 0, 0}, 0.5f}, 15, {0, 0, 0}, {0.5f, 0, 0}},
        {{{0, 0, 0}, {0, 1, 0}, 5}, 5, {0, 0, 0}, {0, 1, 0}},
        {{{-3, 0, 0}, {2, 0, 0}, 10}, 1, {-1, 0, 0}, {1, 0, 0}}, // direction not unit
        {{{-3, 2, 0}, {1, 0, 0}, 10}, 0, {}, {}},
        {{{3, 0, 0}, {1, 0, 0}, 10}, 0, {}, {}},
        {{{-3, 0, 0}, {1, 0, 0}, 1}, 0, {}, {}},
        {{{0, 0, 0}, {0, 0, 0}, 1}, 0, {}, {}},
    };
    for (const auto& c : cases) {
        CVector entry(99, 99, 99), exit(99, 99, 99);
        EXPECT_EQ(s.intersectRay(c.ray, &entry, &exit), c.result)
            << c.ray.origin.x << " len " << c.ray.length;
        if (c.result) {
            ExpectVec(entry, c.entry.x, c.entry.y, c.entry.z);
            ExpectVec(exit, c.exit.x, c.exit.y, c.exit.z);
        }
    }
    EXPECT_EQ(CSphere::Empty.intersectRay(CRay{{0, 0, 0}, {1, 0, 0}, 1}, nullptr, nullptr), 0);
}

TEST(CRay, ClosestPoints)
{
    const CRay xAxis{{0, 0, 0}, {1, 0, 0}, 2};
    CVector foot;
    EXPECT_FLOAT_EQ(xAxis.closestPoint(CVector(2, 3, 0), foot), 9.0f);
    EXPECT_EQ(foot, CVector(2, 0, 0));

    const CRay zLine{{0, 1, 5}, {0, 0, 1}, 3};
    CVector a, b;
    ASSERT_TRUE(xAxis.closestPoints(zLine, a, b));
    ExpectVec(a, 0, 0, 0);
    ExpectVec(b, 0, 1, 0);

    // The unclamped foot on zLine lies 5 before its origin; on the x ray it
    // lies 4 past the end of a ray that starts at -4 with length 2.
    const CRay shifted{{-4, 0, 0}, {1, 0, 0}, 2};
    ASSERT_TRUE(shifted.closestPointsClamped(zLine, a, b));
    ExpectVec(a, -2, 0, 0);
    ExpectVec(b, 0, 1, 5);

    const CRay parallel{{0, 5, 0}, {-1, 0, 0}, 1};
    EXPECT_FALSE(xAxis.closestPoints(parallel, a, b));
    EXPECT_FALSE(xAxis.closestPointsClamped(parallel, a, b));
}

TEST(CRay, ParameterAtUsesTheDominantAxis)
{
    const CRay r{{1, 1, 1}, {0, 0, 2}, 3};
    EXPECT_FLOAT_EQ(r.parameterAt(CVector(1, 1, 1)), 0.0f);
    EXPECT_FLOAT_EQ(r.parameterAt(CVector(1, 1, 4)), 0.5f);
    EXPECT_FLOAT_EQ(r.parameterAt(CVector(1, 1, 7)), 1.0f);
    // A tie between x and y goes to y.
    const CRay diag{{0, 0, 0}, {1, 1, 0}, 2};
    EXPECT_FLOAT_EQ(diag.parameterAt(CVector(2, 0, 0)), 0.0f);
    EXPECT_FLOAT_EQ(diag.parameterAt(CVector(0, 1, 0)), 0.5f);
    const CRay none{{0, 0, 0}, {0, 0, 0}, 0};
    EXPECT_EQ(none.parameterAt(CVector(1, 1, 1)), 0.0f);
}

} // namespace
