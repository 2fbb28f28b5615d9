// Mesh geometry services: vertex tracks, baking static animation, winding and
// normals, bounds and geometry counts.
#include "tests/world/ServicesFixture.h"

#include "GAMES/Rulo2/world/MeshShape.h"

#include <algorithm>
#include <limits>

namespace {

// One track moving vertex 0 along x with keys at 0 and 10 (values 0 and 2).
CMeshNode* TrackedMesh(bool ease)
{
    CMeshNode* mesh = TriangleMesh("m");
    auto* track = new CVertexTrack;
    track->ease = ease;
    track->count = 1;
    track->vertexIndexes = new int32_t[1]{0};
    const float times[] = {0, 10}, values[] = {0, 2};
    track->SetKeys(0, 2, times, values);
    mesh->AddTrack(track);
    return mesh;
}

} // namespace

TEST(MeshServices, TrackValuesFollowTheKeysWithAndWithoutEasing)
{
    struct Case
    {
        bool ease;
        float time, x;
    } cases[] = {{true, 5, 1.0f}, {true, 20, 2.0f}, {false, 2, 0.4f}, {false, -3, 0.0f}, {true, 10, 2.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        std::unique_ptr<CMeshNode> mesh(TrackedMesh(c.ease));
        mesh->UpdateWorldMatrix(CMatrix::Identity, c.time);
        EXPECT_NEAR(mesh->vertices[0].x, c.x, 1e-5);
        EXPECT_EQ(mesh->vertices[0].y, 0.0f) << "axes without keys give 0";
    }
    float start = 100, end = -100;
    std::unique_ptr<CMeshNode> mesh(TrackedMesh(true));
    mesh->GetAnimationStart(start);
    mesh->GetAnimationEnd(end);
    EXPECT_EQ(start, 0.0f);
    EXPECT_EQ(end, 10.0f);
}

TEST(MeshServices, BakingDropsStaticTracksAndWeldsEqualVertices)
{
    CMeshNode* mesh = TriangleMesh("m");
    // A fourth vertex equal to vertex 2, used by a second triangle.
    MeshVertex v[4];
    std::copy(mesh->vertices, mesh->vertices + 3, v);
    v[3] = v[2];
    const uint16_t idx[6] = {0, 1, 2, 0, 1, 3};
    mesh->SetVertices(v, 4);
    mesh->SetIndices(idx, 6);
    mesh->materials[0].vertexCount = 4;
    mesh->materials[0].indexCount = 6;
    auto* still = new CVertexTrack;
    still->count = 1;
    still->vertexIndexes = new int32_t[1]{1};
    still->base[0] = 0.5f;
    const float times[] = {0, 5, 10}, zeros[] = {0, 0, 0};
    still->SetKeys(1, 3, times, zeros);
    mesh->AddTrack(still);
    std::unique_ptr<CMeshNode> owner(mesh);
    mesh->BakeStaticAnimation();
    EXPECT_EQ(mesh->vertexTracks, nullptr) << "a track whose keys all hold 0 goes";
    EXPECT_EQ(mesh->vertexCount, 3) << "the duplicate vertex is welded away";
    EXPECT_EQ(mesh->indices[5], mesh->indices[2]);
    EXPECT_EQ(mesh->vertices[1].x, 0.5f) << "the listed vertex is left at its base";
}

TEST(MeshServices, WindingFlipSwapsCornersAndNegatesNormals)
{
    CMeshNode* mesh = TriangleMesh("m");
    std::unique_ptr<CMeshNode> owner(mesh);
    ASSERT_TRUE(mesh->ComputeNormals());
    const float nz = mesh->vertices[0].nz;
    EXPECT_NE(nz, 0.0f);
    FlipFaceWinding(*mesh);
    EXPECT_EQ(mesh->indices[1], 2);
    EXPECT_EQ(mesh->indices[2], 1);
    EXPECT_EQ(mesh->vertices[0].nz, -nz);
    mesh->ComputeNormals();
    EXPECT_EQ(mesh->vertices[0].nz, -nz) << "the recomputed normal agrees with the new winding";
    FlipNormals(*mesh);
    EXPECT_EQ(mesh->vertices[2].nz, nz);
}

TEST(MeshServices, BoundsAndCountsCoverChildrenAndSiblings)
{
    auto root = std::make_unique<CRootNode>();
    root->AddChild(TriangleMesh("a", 0, 0, 0, 1.0f));
    root->AddChild(TriangleMesh("b", 2, 0, 0, 1.0f));
    CVector min(3e38f, 3e38f, 3e38f), max(-3e38f, -3e38f, -3e38f);
    CMatrix lift = CMatrix::Identity;
    lift[13] = 1.0f;
    root->FirstModelChild()->ExtendBounds(lift, min, max);
    EXPECT_EQ(min.x, 0.0f);
    EXPECT_EQ(max.x, 3.0f);
    EXPECT_EQ(min.y, 1.0f);
    EXPECT_EQ(max.y, 2.0f);
    uint32_t triangles = 0, vertices = 0;
    root->FirstModelChild()->CountGeometry(triangles, vertices);
    EXPECT_EQ(triangles, 2u);
    EXPECT_EQ(vertices, 6u);
}

// Bounds under matrices that scale and move (taken from the untransformed box) and under
// ones that turn (taken vertex by vertex) agree with every vertex transformed on its own;
// a vertex that is not a number extends nothing.
TEST(MeshServices, BoundsUnderScaledMovedAndTurnedMatricesMatchEachVertexTransformed)
{
    const MeshVertex v[4] = {{0.5f, -2.0f, 3.25f, 0, 1, 0, 0, 0, 0, 0},
                             {-1.75f, 4.0f, 0.125f, 0, 1, 0, 0, 0, 0, 0},
                             {2.0f, 0.3f, -5.0f, 0, 1, 0, 0, 0, 0, 0},
                             {0.1f, 0.7f, 0.9f, 0, 1, 0, 0, 0, 0, 0}};
    CMatrix mirrored = CMatrix::Identity;
    mirrored[0] = -2.5f;
    mirrored[5] = 0.3f;
    mirrored[10] = -1.0f;
    mirrored[12] = 7.0f;
    mirrored[14] = -0.1f;
    CMatrix turned = CMatrix::Identity;
    turned[0] = turned[5] = 0.6f;
    turned[1] = 0.8f;
    turned[4] = -0.8f;
    CMatrix flat = CMatrix::Identity;
    flat[5] = 0.0f;
    for (const CMatrix* world :
         std::initializer_list<const CMatrix*>{&CMatrix::Identity, &mirrored, &turned, &flat}) {
        CMeshNode mesh("m");
        mesh.SetVertices(v, 4);
        CVector min(3e38f, 3e38f, 3e38f), max(-3e38f, -3e38f, -3e38f);
        mesh.ExtendBounds(*world, min, max);
        CVector wantMin(3e38f, 3e38f, 3e38f), wantMax(-3e38f, -3e38f, -3e38f);
        for (const MeshVertex& p : v) {
            CVector t(p.x, p.y, p.z);
            t.transform(*world);
            for (int a = 0; a < 3; ++a) {
                wantMin[a] = std::min(wantMin[a], t[a]);
                wantMax[a] = std::max(wantMax[a], t[a]);
            }
        }
        for (int a = 0; a < 3; ++a) {
            EXPECT_EQ(min[a], wantMin[a]) << "axis " << a;
            EXPECT_EQ(max[a], wantMax[a]) << "axis " << a;
        }
    }
    MeshVertex broken[2] = {v[0], v[1]};
    broken[1].y = std::numeric_limits<float>::quiet_NaN();
    CMeshNode mesh("m");
    mesh.SetVertices(broken, 2);
    CVector min(3e38f, 3e38f, 3e38f), max(-3e38f, -3e38f, -3e38f);
    mesh.ExtendBounds(mirrored, min, max);
    CVector only(v[0].x, v[0].y, v[0].z);
    only.transform(mirrored);
    EXPECT_EQ(min.x, only.x) << "the vertex with a NaN is passed over";
    EXPECT_EQ(max.x, only.x);
}
