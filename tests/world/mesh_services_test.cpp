// Mesh geometry services: vertex tracks, baking static animation, winding and
// normals, bounds and geometry counts.
#include "tests/world/ServicesFixture.h"

#include "GAMES/Rulo2/world/MeshShape.h"

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
