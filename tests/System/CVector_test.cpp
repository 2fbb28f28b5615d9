#include "LIBS/System/CVector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float kPi = 3.14159265f;

void ExpectVec(const CVector& v, float x, float y, float z, float tol = 1e-6f)
{
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

TEST(CVector, NormalizeInPlaceAndCopying)
{
    CVector zero(0, 0, 0);
    EXPECT_EQ(zero.normalize(), 0.0f);
    ExpectVec(zero, 0, 0, 0, 0);
    CVector out(9, 9, 9);
    EXPECT_EQ(CVector::normalized(out, CVector(0, 0, 0)), 0.0f);
    ExpectVec(out, 0, 0, 1, 0);

    CVector v(3, 0, 4);
    EXPECT_FLOAT_EQ(v.normalize(), 5.0f);
    ExpectVec(v, 0.6f, 0, 0.8f);
    EXPECT_FLOAT_EQ(CVector::normalized(out, CVector(0, -2, 0)), 2.0f);
    ExpectVec(out, 0, -1, 0, 0);

    // 0.6f and 0.8f square to about 1.00000005: inside the unit window, so
    // neither form touches the components.
    const CVector nearUnit(0.6f, 0.8f, 0.0f);
    CVector a = nearUnit;
    const float s = a.normalize();
    EXPECT_NEAR(s, 1.00000005, 1e-7);
    EXPECT_EQ(a, nearUnit);
    EXPECT_NEAR(CVector::normalized(out, nearUnit), 1.00000005, 1e-7);
    EXPECT_EQ(out, nearUnit);
}

TEST(CVector, NormalizeNotANumber)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    CVector v(nan, 1, 1);
    EXPECT_TRUE(std::isnan(v.normalize()));
    EXPECT_TRUE(std::isnan(v.x));
    CVector out;
    EXPECT_EQ(CVector::normalized(out, CVector(nan, 1, 1)), 0.0f);
    EXPECT_EQ(out, CVector::DefaultNormal);
}

TEST(CVector, NormalizeBySquaredLength)
{
    CVector v(0, 3, 4);
    v.normalizeBySquaredLength(25.0f);
    ExpectVec(v, 0, 0.6f, 0.8f);
    for (float bad : {0.0f, -1.0f}) {
        CVector w(5, 5, 5);
        w.normalizeBySquaredLength(bad);
        EXPECT_EQ(w, CVector(0, 0, 1)) << bad;
    }
}

TEST(CVector, ArithmeticHelpers)
{
    CVector out;
    ExpectVec(Vec3Add(out, CVector(1, 2, 3), CVector(10, 20, 30)), 11, 22, 33, 0);
    ExpectVec(Vec3Div(out, CVector(2, 4, 8), 4.0f), 0.5f, 1, 2, 0);
    ExpectVec(CVector::subtract(out, CVector(1, 2, 3), CVector(3, 2, 1)), -2, 0, 2, 0);
    EXPECT_FLOAT_EQ(CVector::dot(CVector(1, 2, 3), CVector(4, -5, 6)), 12.0f);
    CVector v(1, 2, 3);
    v.add(CVector(1, 1, 1)).scale(2.0f);
    ExpectVec(v, 4, 6, 8, 0);
    // Left-handed axes: x cross y is z.
    ExpectVec(CVector::cross(CVector::UnitX, CVector::UnitY), 0, 0, 1, 0);
}

TEST(CVector, TransformUsesRowVectorsAndIgnoresColumnThree)
{
    CMatrix m;
    m.rotationY(kPi / 2);
    m[12] = 10;
    m[13] = 20;
    m[14] = 30;
    // Column 3 would matter for a projective transform; here it must not.
    m[3] = 5;
    m[7] = 6;
    m[11] = 7;
    m[15] = 9;
    CVector p(1, 2, 3);
    p.transform(m);
    // Rotation first: x' = x cos + z sin = 3, z' = -x sin + z cos = -1.
    ExpectVec(p, 13, 22, 29, 1e-5f);
}

TEST(CVector2, Normalize)
{
    CVector2 v(3, 4);
    EXPECT_FLOAT_EQ(v.normalize(), 5.0f);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.8f);
    CVector2 unit(1, 0);
    EXPECT_EQ(unit.normalize(), 1.0f);
    CVector2 tiny(1e-4f, 0);
    EXPECT_EQ(tiny.normalize(), 0.0f);
    EXPECT_EQ(tiny.x, 1e-4f);
}

TEST(CVector2, AngleFromPlusYTowardsPlusX)
{
    const struct
    {
        float x, y, angle;
    } cases[] = {
        {0, 1, 0},       {1, 0, kPi / 2},      {0, -1, kPi}, {-1, 0, 3 * kPi / 2},
        {1, 1, kPi / 4}, {-1, 1, 7 * kPi / 4}, {0, 5, 0},    {2, -2, 3 * kPi / 4},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(CVector2(c.x, c.y).angle(), c.angle, 1e-5f) << c.x << "," << c.y;
}

TEST(CVector, AngleAroundPicksThePair)
{
    const CVector v(1, 2, 3);
    EXPECT_FLOAT_EQ(v.angleAround(0), CVector2(1, 2).angle());
    EXPECT_FLOAT_EQ(v.angleAround(1), CVector2(1, 3).angle());
    EXPECT_FLOAT_EQ(v.angleAround(2), CVector2(2, 3).angle());
    EXPECT_EQ(v.angleAround(3), 0.0f);
    EXPECT_EQ(v.angleAround(-1), 0.0f);
}

TEST(Angles, AngleDiffTakesTheShorterWay)
{
    const struct
    {
        float from, to, diff;
    } cases[] = {
        {0.1f, 6.2f, -0.1831853f}, {6.2f, 0.1f, 0.1831853f},  {0.0f, kPi / 2, kPi / 2},
        {-0.1f, 0.1f, 0.2f},       {7.0f, 0.5f, -0.2168147f}, {1.0f, 1.0f, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(AngleDiff(c.from, c.to), c.diff, 1e-5f) << c.from << " -> " << c.to;
}

TEST(Angles, ApproachNeverOvershoots)
{
    const struct
    {
        float current, target, step, result;
    } cases[] = {
        {0, 10, 3, 3}, {9, 10, 3, 10}, {10, 0, 3, 7}, {5, 5, 0, 5}, {1, 0, 3, 0}, {-2, -4, 1, -3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Approach(c.current, c.target, c.step), c.result) << c.current << " " << c.target;
}

} // namespace
