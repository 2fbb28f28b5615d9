#include "GAMES/Rulo2/world/CMeshNode.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CMeshNode, ImporterPolygonsBecomeFansPerMaterial)
{
    MeshVertex v[5] = {};
    for (int i = 0; i < 5; ++i) {
        v[i].x = float(i);
        v[i].u = 0.1f * float(i);
    }
    // A quad of material 1, a triangle of material 0 sharing vertex 2 with it,
    // and a polygon naming a missing vertex.
    const int32_t polygons[] = {4, 0, 1, 2, 3, 3, 2, 4, 0, 3, 0, 1, 9};
    const int32_t table[] = {2, 0, 1, 0, 0};
    CSurfaceMaterial surfaces[2];
    surfaces[0].name = "first";
    surfaces[1].name = "second";
    const uint16_t numbers[] = {10, 0, 11, 0, 12, 0, 13, 0, 14, 0};
    CMeshNode mesh("imported", 5, v, 3, polygons, surfaces, table, numbers);
    EXPECT_EQ(mesh.triangleCount, 3);
    EXPECT_TRUE(mesh.IndicesValid());
    ASSERT_EQ(mesh.materialCount, 2);
    const CMeshMaterial& m0 = mesh.materials[0];
    const CMeshMaterial& m1 = mesh.materials[1];
    EXPECT_EQ(m0.surface->name, "first");
    EXPECT_EQ(m1.surface->name, "second");
    // Material 0: vertices 2, 4, 0 copied in order of use; one triangle.
    EXPECT_EQ(m0.firstVertex, 0);
    EXPECT_EQ(m0.vertexCount, 3);
    EXPECT_EQ(std::vector<uint16_t>(m0.vertexList, m0.vertexList + 3), (std::vector<uint16_t>{2, 4, 0}));
    EXPECT_EQ(std::vector<uint16_t>(mesh.indices, mesh.indices + 3), (std::vector<uint16_t>{0, 1, 2}));
    // Material 1: the quad as the fan (0, 1, 2), (0, 2, 3), relative to its range.
    EXPECT_EQ(m1.firstVertex, 3);
    EXPECT_EQ(m1.vertexCount, 4);
    EXPECT_EQ(m1.firstIndex, 3);
    EXPECT_EQ(m1.indexCount, 6);
    EXPECT_EQ(std::vector<uint16_t>(mesh.indices + 3, mesh.indices + 9),
              (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(mesh.vertexCount, 7); // vertex 0 and 2 serve both materials
    EXPECT_EQ(mesh.vertices[3 + 2].x, 2.0f);
    EXPECT_FLOAT_EQ(mesh.baseTexCoords[2 * 1], 0.4f);
    EXPECT_EQ(mesh.sourceVertexNumbers[4], 14);
    EXPECT_EQ(mesh.wireEdges[4], 2); // i2, i0 of the first triangle
    EXPECT_EQ(mesh.wireEdges[5], 0);

    // One material: the indices name the vertex array directly.
    const int32_t quad[] = {4, 4, 3, 2, 1};
    CMeshNode single("single", 5, v, 1, quad, nullptr, nullptr, nullptr);
    EXPECT_EQ(single.vertexCount, 5);
    EXPECT_EQ(std::vector<uint16_t>(single.indices, single.indices + 6),
              (std::vector<uint16_t>{4, 3, 2, 4, 2, 1}));
    EXPECT_EQ(single.materials[0].indexCount, 6);
    EXPECT_EQ(single.materials[0].vertexCount, 5);
    EXPECT_EQ(single.materials[0].surface->colour[0], 0.5f);
    EXPECT_EQ(single.sourceVertexNumbers[3], 3);
}

} // namespace

namespace {

TEST(CMeshNode, FreezeMovesVerticesAndRecomputesNormals)
{
    MeshVertex v[3] = {};
    v[1].x = 1;
    v[2].z = 1;
    const int32_t tri[] = {3, 0, 1, 2};
    CMeshNode mesh("m", 3, v, 1, tri, nullptr, nullptr, nullptr);
    CMatrix world = CMatrix::Identity;
    world[13] = 4; // up by 4
    mesh.UpdateWorldMatrix(world, 0);
    mesh.FreezeTransforms();
    EXPECT_EQ(mesh.vertices[1].y, 4);
    EXPECT_EQ(mesh.worldMatrix[13], 0);
    // (1, 0, 0) x (-1, 0, 1) = (0, -1, 0) for every corner.
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(mesh.vertices[i].ny, -1) << i;
        EXPECT_FLOAT_EQ(mesh.vertices[i].nx, 0) << i;
    }
}

} // namespace

namespace {

TEST(CMeshNode, SizeAndDescription)
{
    MeshVertex v[3] = {};
    v[1].x = 2;
    v[2].y = 2;
    const int32_t tri[] = {3, 0, 1, 2};
    CSurfaceMaterial surface;
    surface.name = "glass";
    surface.colour[3] = 0.5f;
    CMeshNode mesh("pane", 3, v, 1, tri, &surface, nullptr, nullptr);
    // 2 x (3 + 20 x 4) + 84 x 1 + name 4 + 16
    EXPECT_EQ(mesh.GetSize(), 2u * (3 + 20 * 4) + 84 + 4 + 16);
    auto* track = new CVertexTrack;
    track->count = 2;
    track->vertexIndexes = new int32_t[2]{0, 1};
    const float t[] = {0, 1, 2};
    track->SetKeys(2, 3, t, t);
    mesh.AddTrack(track);
    EXPECT_EQ(mesh.GetSize(), 2u * (3 + 20 * 4) + 84 + 4 + 16 + 68 + 4 * (2 + 2 * 3));
    char text[256];
    mesh.Describe(text, sizeof text);
    EXPECT_STREQ(
        text,
        "MESH 'pane' (animated)\nTriangles: 1, Vertices: 3\nMaterial #1 ('glass'):\nR:127 G:127 B:127 A:127"
        "\nbsphere center: 1.00000/1.00000/0.00000\nbsphere radius: 2.82843");
    // A short buffer is cut, never overrun.
    char small[12];
    EXPECT_EQ(mesh.Describe(small, sizeof small), 11u);
    EXPECT_STREQ(small, "MESH 'pane'");
}

} // namespace
