#include "LIBS/System/CMatrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

CMatrix FromRows(std::initializer_list<float> values)
{
    CMatrix m;
    int i = 0;
    for (float v : values)
        m[i++] = v;
    return m;
}

void ExpectMatrix(const CMatrix& m, const CMatrix& expected, float tol = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], tol) << "element " << i;
}

CMatrix Translation(float x, float y, float z)
{
    CMatrix t = CMatrix::Identity;
    t[12] = x;
    t[13] = y;
    t[14] = z;
    return t;
}

TEST(CMatrix, BuildersSetTheDocumentedElements)
{
    CMatrix m;
    m.diagonal(2, 3, 4);
    ExpectMatrix(m, FromRows({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}), 0);

    const float c = std::cos(0.3f), s = std::sin(0.3f);
    m.rotationX(0.3f);
    ExpectMatrix(m, FromRows({1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}));
    m.rotationY(0.3f);
    ExpectMatrix(m, FromRows({c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}));

    m.identity();
    ExpectMatrix(m, CMatrix::Identity, 0);
}

TEST(CMatrix, RotationSenses)
{
    CMatrix m;
    CVector p(0, 0, 1);
    p.transform(m.rotationY(kPi / 2)); // +z turns towards +x
    EXPECT_NEAR(p.x, 1, 1e-6);
    EXPECT_NEAR(p.z, 0, 1e-6);
    CVector q(0, 1, 0);
    q.transform(m.rotationX(kPi / 2)); // +y turns towards +z
    EXPECT_NEAR(q.y, 0, 1e-6);
    EXPECT_NEAR(q.z, 1, 1e-6);
}

TEST(CMatrix, ProductWorkedByHand)
{
    const CMatrix a = FromRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const CMatrix b = FromRows({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1});
    const CMatrix expected = FromRows({6, 14, 24, 4, 18, 34, 52, 8, 30, 54, 80, 12, 42, 74, 108, 16});
    CMatrix out;
    ExpectMatrix(CMatrix::multiply(out, a, b), expected, 0);

    // The member form may write over either factor.
    CMatrix left = a;
    ExpectMatrix(left.multiply(left, b), expected, 0);
    CMatrix right = b;
    ExpectMatrix(right.multiply(a, right), expected, 0);
}

TEST(CMatrix, ProductAppliesLeftFactorFirst)
{
    CMatrix scale, st, ts;
    scale.diagonal(2, 2, 2);
    const CMatrix move = Translation(1, 0, 0);
    CMatrix::multiply(st, scale, move);
    CMatrix::multiply(ts, move, scale);
    CVector p(1, 1, 1);
    p.transform(st);
    EXPECT_EQ(p, CVector(3, 2, 2));
    CVector q(1, 1, 1);
    q.transform(ts);
    EXPECT_EQ(q, CVector(4, 2, 2));
}

TEST(CMatrix, PreTranslateEqualsTranslationTimesMatrix)
{
    CMatrix m;
    m.rotationY(0.7f);
    CMatrix rx;
    m.multiply(m, rx.rotationX(-0.4f));
    m[12] = 10;
    m[13] = -3;
    m[14] = 2;
    CMatrix expected;
    CMatrix::multiply(expected, Translation(1, 2, 3), m);
    m.preTranslate(CVector(1, 2, 3));
    ExpectMatrix(m, expected);
}

TEST(CMatrix, BasisFromVectors)
{
    CMatrix m;
    ASSERT_TRUE(m.basisFromVectors(CVector(0, 0, 1), CVector(0, 1, 0)));
    ExpectMatrix(m, CMatrix::Identity);

    // Looking along +x: local x = up x d = -z; d is kept as given.
    ASSERT_TRUE(m.basisFromVectors(CVector(2, 0, 0), CVector(0, 3, 0)));
    ExpectMatrix(m, FromRows({0, 0, -1, 0, 0, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 1}));

    // An up hint that is not perpendicular keeps only its perpendicular part.
    ASSERT_TRUE(m.basisFromVectors(CVector(0, 0, 1), CVector(0, 1, 1)));
    EXPECT_NEAR(m[5], 1, 1e-6);
    EXPECT_NEAR(m[6], 0, 1e-6);

    EXPECT_FALSE(m.basisFromVectors(CVector(0, 1, 0), CVector(0, 2, 0)));
    EXPECT_FALSE(m.basisFromVectors(CVector(0, 0, 0), CVector(0, 1, 0)));
}

TEST(CTransform, KindsSelectTheProduct)
{
    CMatrix rot;
    rot.rotationY(0.5f);
    rot[12] = 4;
    const CTransform general{rot, 2};
    const CTransform moveA{Translation(1, 2, 3), 1};
    const CTransform moveB{Translation(10, 20, 30), 1};
    // A kind-0 transform's matrix is never read, whatever it holds.
    CTransform junk{FromRows({7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}), 0};

    CTransform out;
    CTransform::multiply(out, moveA, moveB);
    EXPECT_EQ(out.kind, 1);
    EXPECT_EQ(out.matrix.translation(), CVector(11, 22, 33));

    CTransform::multiply(out, junk, general);
    EXPECT_EQ(out.kind, 2);
    ExpectMatrix(out.matrix, rot, 0);

    CTransform::multiply(out, general, junk);
    EXPECT_EQ(out.kind, 2);
    ExpectMatrix(out.matrix, rot, 0);

    CTransform::multiply(out, junk, moveB);
    EXPECT_EQ(out.kind, 1);
    EXPECT_EQ(out.matrix.translation(), CVector(10, 20, 30));

    CTransform::multiply(out, junk, junk);
    EXPECT_EQ(out.kind, 0);

    // Translation then general, and general then translation, match the
    // full products.
    CMatrix expected;
    CTransform::multiply(out, moveA, general);
    EXPECT_EQ(out.kind, 3);
    ExpectMatrix(out.matrix, CMatrix::multiply(expected, moveA.matrix, rot));
    CTransform::multiply(out, general, moveB);
    EXPECT_EQ(out.kind, 3);
    ExpectMatrix(out.matrix, CMatrix::multiply(expected, rot, moveB.matrix));

    CMatrix rot2;
    const CTransform other{rot2.rotationX(1.0f), 4};
    CTransform::multiply(out, general, other);
    EXPECT_EQ(out.kind, 6);
    ExpectMatrix(out.matrix, CMatrix::multiply(expected, rot, rot2));

    // Writing the result over a factor.
    CTransform acc = moveA;
    CTransform::multiply(acc, acc, general);
    ExpectMatrix(acc.matrix, CMatrix::multiply(expected, moveA.matrix, rot));
}

TEST(CMatrix, LookAt)
{
    CMatrix m;
    ASSERT_TRUE(m.lookAt(CVector(0, 0, -10), CVector(0, 0, 0), CVector(0, 1, 0)));
    ExpectMatrix(m, Translation(0, 0, 10));

    // Straight down: the up hint is parallel, so (0,0,1) becomes up.
    ASSERT_TRUE(m.lookAt(CVector(0, 10, 0), CVector(0, 0, 0), CVector(0, 1, 0)));
    ExpectMatrix(m, FromRows({1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 10, 1}));

    // Any view: the eye goes to the origin and the target onto +z.
    const CVector eye(3, -2, 5), target(-1, 4, 2);
    ASSERT_TRUE(m.lookAt(eye, target, CVector(0.2f, 1, 0)));
    CVector e = eye, t = target;
    e.transform(m);
    t.transform(m);
    EXPECT_NEAR(e.length(), 0, 1e-5);
    EXPECT_NEAR(t.x, 0, 1e-5);
    EXPECT_NEAR(t.y, 0, 1e-5);
    EXPECT_NEAR(t.z, (target - eye).length(), 1e-5);
    // Up stays up on screen.
    CVector above = eye + CVector(0, 1, 0);
    above.transform(m);
    EXPECT_GT(above.y, 0);

    ASSERT_TRUE(m.lookAt(CVector(0, 0, 0), CVector(0, 0, 5), CVector(0, 0, 0)));
    EXPECT_NEAR(m[5], 1, 1e-6);

    EXPECT_FALSE(m.lookAt(CVector(1, 2, 3), CVector(1, 2, 3), CVector(0, 1, 0)));
}

TEST(CMatrix, Perspective)
{
    CMatrix m;
    ASSERT_TRUE(m.perspective(kPi / 2, 1.0f, 1.0f, 101.0f));
    ExpectMatrix(m, FromRows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0}));

    m.perspective(kPi / 3, 0.75f, 0.5f, 50.0f);
    const float k = 1.0f / std::tan(kPi / 6);
    EXPECT_NEAR(m[0], k * 0.75f, 1e-5);
    EXPECT_NEAR(m[5], k, 1e-5);
    // Depth after the divide by w: 0 at near, 1 at far.
    for (float z : {0.5f, 50.0f}) {
        const float zc = z * m[10] + m[14];
        const float w = z * m[11];
        EXPECT_NEAR(zc / w, z == 0.5f ? 0.0f : 1.0f, 1e-6) << z;
    }
}

TEST(CMatrix, Ortho)
{
    CMatrix m;
    m.ortho(800, 600, 1, 11);
    ExpectMatrix(m, FromRows({0.0025f, 0, 0, 0, 0, 1.0f / 300, 0, 0, 0, 0, 0.1f, 0, 0, 0, -0.1f, 1}), 1e-7f);
}

TEST(CMatrix, BillboardUndoesTheViewRotation)
{
    CMatrix view;
    ASSERT_TRUE(view.lookAt(CVector(4, 3, -6), CVector(0, 1, 0), CVector(0, 1, 0)));
    CMatrix bb;
    bb.billboard(view);
    EXPECT_EQ(bb[1], view[4]);
    EXPECT_EQ(bb[8], view[2]);
    EXPECT_EQ(bb[6], view[9]);
    EXPECT_EQ(bb[12], 0.0f);
    EXPECT_EQ(bb[13], 0.0f);
    EXPECT_EQ(bb[14], 0.0f);
    EXPECT_EQ(bb[15], 1.0f);
    CMatrix product;
    CMatrix::multiply(product, bb, view);
    for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10})
        EXPECT_NEAR(product[i], CMatrix::Identity[i], 1e-5) << i;
    // The quad's normal (-z in its own space, towards the viewer) points
    // back at the eye after the turn.
    CVector n(0, 0, -1);
    n.transform(bb);
    CVector toEye = CVector(4, 3, -6) - CVector(0, 1, 0);
    toEye.normalize();
    EXPECT_NEAR(CVector::dot(n, toEye), 1.0f, 1e-5);
}

} // namespace
