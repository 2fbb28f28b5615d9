#include "GAMES/Rulo2/world/CFrameNode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ModelListServices.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

void ExpectMatrixNear(const CMatrix& actual, const float (&expected)[16])
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "element " << i;
}

CVector Transform(CVector p, const CMatrix& m)
{
    p.transform(m);
    return p;
}

// A frame whose every channel holds one key: the channels give constant values.
void SetConstantChannels(CFrameNode& f, const float (&values)[9])
{
    f.animation = new CFrameAnimation;
    const float zero = 0.0f;
    for (int c = 0; c < 9; ++c)
        f.animation->SetKeys(c, 1, &zero, &values[c]);
}

TEST(SampleChannel, LinearAndEasedBetweenTwoKeys)
{
    const float keys[] = {0, 10, 0, 1}; // times 0, 10; values 0, 1
    struct Case
    {
        bool eased;
        float time;
        float expected;
    };
    const Case cases[] = {
        {false, 5, 0.5f},   {true, 5, 0.5f},          {false, 2.5f, 0.25f}, {true, 2.5f, 0.1464466f},
        {false, -10000, 0}, {true, -10000, 0},        {false, 0, 0},        {false, 10, 1},
        {false, 99, 1},     {true, 7.5f, 0.8535534f},
    };
    for (const Case& c : cases) {
        uint32_t cursor = 0;
        EXPECT_NEAR(SampleChannel(keys, 2, cursor, c.eased, c.time, 42), c.expected, 1e-5f)
            << (c.eased ? "eased " : "linear ") << c.time;
    }
    uint32_t cursor = 0;
    EXPECT_EQ(SampleChannel(nullptr, 0, cursor, false, 3, 42), 42);
}

TEST(SampleChannel, CursorFollowsTimeBothWays)
{
    const float keys[] = {0, 1, 2, 3, 0, 10, 20, 30};
    uint32_t cursor = 0;
    EXPECT_FLOAT_EQ(SampleChannel(keys, 4, cursor, false, 2.5f, 0), 25);
    EXPECT_EQ(cursor, 2u);
    EXPECT_FLOAT_EQ(SampleChannel(keys, 4, cursor, false, 0.5f, 0), 5);
    EXPECT_EQ(cursor, 0u);
    EXPECT_FLOAT_EQ(SampleChannel(keys, 4, cursor, false, 50, 0), 30);
    EXPECT_EQ(cursor, 3u);
    EXPECT_FLOAT_EQ(SampleChannel(keys, 4, cursor, false, -1, 0), 0);
    EXPECT_EQ(cursor, 0u);
    // Two keys at one time do not divide by zero.
    const float same[] = {5, 5, 1, 2};
    cursor = 1;
    EXPECT_FLOAT_EQ(SampleChannel(same, 2, cursor, false, 5, 0), 2);
}

TEST(CompressKeys, DropsStillKeys)
{
    struct Case
    {
        std::vector<float> times, values;
        std::vector<float> expected;
        uint32_t count;
    };
    const Case cases[] = {
        {{0, 1, 2, 3}, {1, 1, 1, 2}, {0, 2, 3, 1, 1, 2}, 3},
        {{0, 1, 2}, {0, 5, 0}, {0, 1, 2, 0, 5, 0}, 3},
        {{0, 1, 2}, {4, 4, 4}, {0, 4}, 1},
        {{0, 1, 2}, {0, 0, 0}, {}, 0},
    };
    for (const Case& c : cases) {
        const uint32_t n = uint32_t(c.times.size());
        float* keys = new float[2 * n];
        std::copy(c.times.begin(), c.times.end(), keys);
        std::copy(c.values.begin(), c.values.end(), keys + n);
        uint32_t count = n;
        CompressKeys(keys, count);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(std::vector<float>(keys, keys + 2 * count), c.expected);
        delete[] keys;
    }
}

TEST(CFrameNode, AnimatedMatrixFollowsThePivotOrder)
{
    // Scale about a pivot, rotate about another pivot, then translate; the
    // expected matrix was worked out by hand for these values.
    CFrameNode f("f");
    f.scalePivot = CVector(1, 0, 0);
    f.rotatePivot = CVector(0, 1, 0);
    SetConstantChannels(f, {10, 0, 0, 0, 0, kHalfPi, 2, 1, 1});
    CMatrix m;
    f.evaluateAnimation(m, 0);
    ExpectMatrixNear(m, {0, 2, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 11, 0, 0, 1});
    const CVector p = Transform(CVector(2, 0, 0), m);
    EXPECT_NEAR(p.x, 11, 1e-5f);
    EXPECT_NEAR(p.y, 4, 1e-5f);

    // Pivot translations add after their pivots.
    f.scalePivotTranslation = CVector(0, 0, 3);
    f.rotatePivotTranslation = CVector(0, 0, 4);
    f.evaluateAnimation(m, 0);
    ExpectMatrixNear(m, {0, 2, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 11, 0, 7, 1});
}

TEST(CFrameNode, ShearAndRotationOrder)
{
    CFrameNode f;
    f.shear = CVector(0.5f, 0.25f, 2);
    SetConstantChannels(f, {0, 0, 0, 0, 0, 0, 1, 1, 1});
    CMatrix m;
    f.evaluateAnimation(m, 0);
    ExpectMatrixNear(m, {1, 0, 0, 0, 0.5f, 1, 0, 0, 0.25f, 2, 1, 0, 0, 0, 0, 1});

    // x first, then y: (0, 1, 0) -> (0, 0, 1) -> (1, 0, 0).
    CFrameNode r;
    SetConstantChannels(r, {0, 0, 0, kHalfPi, kHalfPi, 0, 1, 1, 1});
    r.evaluateAnimation(m, 0);
    const CVector p = Transform(CVector(0, 1, 0), m);
    EXPECT_NEAR(p.x, 1, 1e-5f);
    EXPECT_NEAR(p.y, 0, 1e-5f);
    EXPECT_NEAR(p.z, 0, 1e-5f);
}

TEST(CFrameNode, KeysAndRestValues)
{
    CFrameNode f;
    f.translation = CVector(0, 7, 0);
    f.scaling = CVector(1, 1, 1);
    f.animation = new CFrameAnimation;
    const float t[] = {0, 10};
    const float v[] = {0, 1};
    f.animation->SetKeys(CHANNEL_TX, 2, t, v);
    CMatrix m;
    for (uint8_t easing : {0, 1}) {
        f.animation->easing = easing;
        f.evaluateAnimation(m, 5);
        EXPECT_NEAR(m[12], 0.5f, 1e-6f);
        EXPECT_EQ(m[13], 7); // no keys: the rest translation
    }
    f.evaluateAnimation(m, kRestTime);
    EXPECT_EQ(m[12], 0);
    // Without animation the stored matrix is used as it is.
    CFrameNode still;
    still.localMatrix[13] = 3;
    still.evaluateAnimation(m, 5);
    EXPECT_EQ(m[13], 3);
}

TEST(CJointNode, MatrixOrderIsScaleRotationOrientationTranslation)
{
    CJointNode j("j");
    j.jointOrient.rotationX(kHalfPi);
    j.scalePivot = CVector(5, 5, 5); // not used by joints
    j.shear = CVector(1, 1, 1);
    SetConstantChannels(j, {0, 0, 5, 0, 0, kHalfPi, 2, 1, 1});
    CMatrix m;
    j.evaluateAnimation(m, 0);
    ExpectMatrixNear(m, {0, 0, 2, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 5, 1});
    const CVector p = Transform(CVector(1, 0, 0), m);
    EXPECT_NEAR(p.x, 0, 1e-5f);
    EXPECT_NEAR(p.y, 0, 1e-5f);
    EXPECT_NEAR(p.z, 7, 1e-5f);
}

TEST(CFrameNode, StaticAnimationIsBakedIntoTheMatrix)
{
    CFrameNode f;
    SetConstantChannels(f, {1, 2, 3, 0, 0, 0, 1, 1, 1});
    f.BakeStaticAnimation();
    EXPECT_EQ(f.animation, nullptr);
    EXPECT_EQ(f.localMatrix.translation(), CVector(1, 2, 3));
}

TEST(CFrameNode, DescriptionsAndSizes)
{
    CFrameNode f;
    EXPECT_EQ(f.GetSize(), 140u);
    char text[512];
    f.Describe(text, sizeof text);
    EXPECT_EQ(std::string(text).substr(0, 17), "FRAME 'unnamed'\n\n");
    EXPECT_NE(std::string(text).find("\ntrabslation: 0.000000/0.000000/0.000000\n"), std::string::npos);
    // A small buffer is filled, not overrun.
    char small[8];
    EXPECT_EQ(f.Describe(small, sizeof small), 7u);
    EXPECT_STREQ(small, "FRAME '");
    CJointNode j("Knee");
    j.animation = new CFrameAnimation;
    j.Describe(text, sizeof text);
    EXPECT_EQ(std::string(text).substr(0, 25), "JOINT 'Knee' (animated)\n\n");
    EXPECT_EQ(j.GetSize(), 236u + 4 + 16 + 92);
}

TEST(CLocatorNode, SnapPointsCountAndCollectFromTheFront)
{
    CRootNode root;
    auto* frame = static_cast<CFrameNode*>(root.AddChild(new CFrameNode("f")));
    frame->localMatrix[12] = 5;
    frame->AddChild(new CLocatorNode("SNAPPER_1"));
    frame->AddChild(new CLocatorNode("other"));
    root.AddChild(new CLocatorNode("snapperB"));
    root.AddChild(new CLocatorNode("snappe")); // six letters only
    int32_t all = 0, snappers = 0;
    root.CountLocators(all, snappers);
    EXPECT_EQ(all, 4);
    EXPECT_EQ(snappers, 2);
    CVector points[4] = {};
    int32_t back = 3, front = 0;
    root.CollectLocatorPoints(CMatrix::Identity, 0, points, 4, back, front);
    EXPECT_EQ(front, 2);
    EXPECT_EQ(back, 1);
    EXPECT_EQ(points[0].x, 5); // SNAPPER_1 under the moved frame
    EXPECT_EQ(points[1].x, 0);
    // Counters running past the array do not write outside it.
    back = 7;
    front = -2;
    root.CollectLocatorPoints(CMatrix::Identity, 0, nullptr, 0, back, front);
    root.CollectLocatorPoints(CMatrix::Identity, 0, points, 4, back, front);
}

TEST(CModelNode, PositionByPathAndPruning)
{
    CRootNode root;
    auto* body = static_cast<CFrameNode*>(root.AddChild(new CFrameNode("Bodyguard")));
    body->localMatrix[12] = 2;
    body->AddChild(new CLocatorNode("Hand"));
    CVector out;
    EXPECT_TRUE(root.GetPositionByPath("|Body|Hand", &out, CMatrix::Identity, 0));
    EXPECT_EQ(out.x, 2);
    EXPECT_TRUE(root.GetPositionByPath("Hand", &out, CMatrix::Identity, 0));
    EXPECT_FALSE(root.GetPositionByPath("|Arm|Hand", &out, CMatrix::Identity, 0));

    // Frames holding only frames go; a frame with a locator stays.
    auto* empty = static_cast<CFrameNode*>(root.AddChild(new CFrameNode("empty")));
    empty->AddChild(new CFrameNode("inner"))->AddChild(new CFrameNode("deeper"));
    EXPECT_TRUE(root.PruneEmptyBranches());
    EXPECT_EQ(root.FindByName("empty"), nullptr);
    EXPECT_NE(root.FindByName("Hand"), nullptr);
    CFrameNode lonely;
    lonely.AddChild(new CFrameNode());
    EXPECT_FALSE(lonely.PruneEmptyBranches());
}

TEST(CRootNode, PreparationCentresAndMarksDeletions)
{
    CRootNode root;
    auto* mesh = static_cast<CMeshNode*>(root.AddChild(new CMeshNode("m")));
    const MeshVertex v[] = {
        {2, 0, 0, 0, 1, 0, 0, 0, 0, 0}, {4, 2, 0, 0, 1, 0, 0, 0, 0, 0}, {3, 1, 2, 0, 1, 0, 0, 0, 0, 0}};
    mesh->SetVertices(v, 3);
    const uint16_t idx[] = {0, 1, 2};
    mesh->SetIndices(idx, 3);
    auto* gone = static_cast<CModelNode*>(root.AddChild(new CLocatorNode("gone")));
    gone->deleteMark = 1;
    root.Prepare();
    EXPECT_EQ(root.FindByName("gone"), nullptr);
    EXPECT_EQ(root.originalCentre, CVector(3, 1, 1));
    EXPECT_EQ(root.boundsCentre, CVector(0, 0, 0));
    EXPECT_EQ(root.boundsMin, CVector(-1, -1, -1));
    EXPECT_EQ(root.localMatrix.translation(), CVector(-3, -1, -1));
    EXPECT_EQ(root.animated, 0);
    // Preparing again does not move the model further.
    root.Prepare();
    EXPECT_EQ(root.localMatrix.translation(), CVector(-3, -1, -1));
    char text[512];
    mesh->Describe(text, sizeof text);
    EXPECT_NE(std::string(text).find(
                  "MESH 'm'\nTriangles: 1, Vertices: 3\nbsphere center: 3.00000/1.00000/1.00000"),
              std::string::npos)
        << text;
}

} // namespace

namespace {

TEST(CRootNode, DescribingClearsTheUsedMarksOfEveryTextureAndPage)
{
    // A usage scan marked what it found; the description starts a new count.
    CTexture a("a"), b("b");
    CTexturePage first, second;
    for (CTexture* t : {&a, &b})
        t->used = true;
    for (CTexturePage* p : {&first, &second})
        p->used = true;
    CRootNode root;
    root.SetName("scanned");
    char text[256];
    root.Describe(text, sizeof text);
    EXPECT_EQ(std::string(text).substr(0, 15), "ROOT 'scanned'\n");
    for (CTexture* t = CTexture::First(); t; t = t->next)
        EXPECT_FALSE(t->used) << t->name;
    for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
        EXPECT_FALSE(p->used);
}

TEST(CFrameNode, AnimationsAreLentToNamesakes)
{
    // The other model is found through the animation-info table.
    CRootNode walker;
    CModelEntry entry;
    auto* runner = new CRootNode();
    entry.model = runner;
    AnimInfoTable.assign(4, nullptr);
    AnimInfoTable[2] = &entry;
    auto* legA = static_cast<CFrameNode*>(walker.AddChild(new CFrameNode("Leg")));
    legA->animation = new CFrameAnimation;
    auto* legB = static_cast<CFrameNode*>(runner->AddChild(new CFrameNode("Leg")));
    auto* armB = static_cast<CJointNode*>(runner->AddChild(new CJointNode("Arm")));
    EXPECT_FALSE(walker.HasAnimationIn(2)); // the namesake is not animated
    walker.LendAnimationTo(runner);
    EXPECT_EQ(legB->animation, legA->animation);
    EXPECT_EQ(legB->animationBorrowed, 1);
    EXPECT_TRUE(walker.HasAnimationIn(2));
    // Slots without an entry, and indices outside the table, hold no namesakes.
    for (int32_t index : {-1, 1, 3, 4, 1000})
        EXPECT_FALSE(walker.HasAnimationIn(index)) << index;
    // A tree without animation needs nothing of the other model.
    EXPECT_TRUE(runner->FirstModelChild()->NextModel()->HasAnimationIn(3));
    // A joint named like an animated frame is not its namesake.
    auto* armA = static_cast<CFrameNode*>(walker.AddChild(new CFrameNode("Arm")));
    armA->animation = new CFrameAnimation;
    EXPECT_FALSE(walker.HasAnimationIn(2));
    walker.LendAnimationTo(runner);
    EXPECT_EQ(armB->animation, nullptr);
    // An animated frame deep in the tree counts as much as one at the top.
    armA->FreeAnimation();
    auto* deep = static_cast<CFrameNode*>(armA->AddChild(new CFrameNode("Finger")));
    deep->animation = new CFrameAnimation;
    EXPECT_FALSE(walker.HasAnimationIn(2));
    static_cast<CFrameNode*>(legB->AddChild(new CFrameNode("Finger")))->animation = new CFrameAnimation;
    EXPECT_TRUE(walker.HasAnimationIn(2));
    // The borrower neither frees nor writes the animation.
    runner->RemoveAnimation();
    EXPECT_EQ(legB->animation, nullptr);
    EXPECT_NE(legA->animation, nullptr);
    AnimInfoTable.clear();
}

} // namespace

namespace {

TEST(CModelNode, TreeSelectionAndTemporaryNames)
{
    CLocatorNode a("a"), b("b");
    a.id = 7;
    EXPECT_FALSE(IsSelectedInModelTree(&a)); // no tree window: nothing selected
    g_ModelTreeSelectedItem = [] { return uint32_t(7); };
    EXPECT_TRUE(IsSelectedInModelTree(&a));
    EXPECT_FALSE(IsSelectedInModelTree(&b)); // id 0 is never selected
    g_ModelTreeSelectedItem = nullptr;
    const std::string name = MakeTempFileName();
    const std::string file = name.substr(name.find_last_of('/') + 1);
    ASSERT_EQ(file.substr(0, 5), "~temp");
    ASSERT_EQ(file.substr(file.size() - 4), ".tmp");
    const int number = std::stoi(file.substr(5));
    EXPECT_GE(number, 0);
    EXPECT_LE(number, 255);
    std::remove(name.c_str());
}

} // namespace
