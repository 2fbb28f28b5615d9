// The heightmap grid: jitter drawn in its order, truncated sizes, normals,
// the 16-bit index limit and heightmaps of several bytes a pixel.
#include "tests/editor/TerrainTestUtil.h"

#include "platform/crt/Crt.h"

namespace terraintest {
namespace {

class TerrainMesh : public TerrainTest
{
protected:
    CTerrainRules& Build(const std::string& heightmap, float size, float randX, uint32_t seed = 1)
    {
        t.width = t.depth = size;
        t.randX = randX;
        t.seed = seed;
        t.ClearGenerated();
        t.SetHeightmap(heightmap.c_str());
        t.BuildMesh();
        return t;
    }
    const STerrainGridVertex& V(int i, int j) const
    {
        return t.gridVertices[size_t(j) * size_t(t.gridColumns) + size_t(i)];
    }
    CTerrainRules t;
};

TEST_F(TerrainMesh, JitterIsDrawnPerVertexXThenZFromTheSeed)
{
    Build(Heightmap("flat.tif", 4, 4, [](int, int) { return 0; }), 4.0f, 0.5f, 1);
    ASSERT_EQ(1, t.valid);
    ASSERT_EQ(16u, t.gridVertices.size());
    EXPECT_FLOAT_EQ(-2.0f + 41.0f / 32767.0f * 0.5f, V(0, 0).x);
    EXPECT_FLOAT_EQ(-2.0f + 18467.0f / 32767.0f * 0.5f, V(0, 0).z);
    // The next vertex takes the next two numbers of the same sequence.
    crt::srand(1);
    crt::rand();
    crt::rand();
    const int jx = crt::rand();
    EXPECT_FLOAT_EQ(1.0f / 4.0f * 4.0f - 2.0f + float(jx) / 32767.0f * 0.5f, V(1, 0).x);
}

TEST_F(TerrainMesh, RegularGridStopsOneCellShortOfTheFarEdge)
{
    Build(Heightmap("ramp.tif", 4, 4, [](int x, int) { return uint8_t(x * 85); }), 4.0f, 0.0f);
    EXPECT_FLOAT_EQ(-2.0f, V(0, 0).x);
    EXPECT_FLOAT_EQ(1.0f, V(3, 0).x);
    EXPECT_FLOAT_EQ(1.0f, V(0, 3).z);
    EXPECT_FLOAT_EQ(10.0f, V(3, 2).y) << "pixel 255 is the maximum height";
    EXPECT_EQ(3.0f, V(3, 2).column);
    EXPECT_EQ(2.0f, V(3, 2).row);
    EXPECT_EQ(32, t.doubleVertexCount);
    ASSERT_EQ(1u, t.groupIndices.size());
    EXPECT_EQ(6u * 3u * 3u, t.groupIndices[0].size());
    const std::vector<uint16_t> firstCell(t.groupIndices[0].begin(), t.groupIndices[0].begin() + 6);
    EXPECT_EQ((std::vector<uint16_t>{0, 4, 1, 1, 4, 5}), firstCell) << "K, L, M, M, L, N";
    EXPECT_GT(t.boundsRadius, 0.0f);
}

TEST_F(TerrainMesh, WidthIsTruncatedToWholeUnits)
{
    Build(Heightmap("flat.tif", 10, 10, [](int, int) { return 0; }), 30.7f, 0.0f);
    EXPECT_FLOAT_EQ(-15.0f, V(0, 0).x);
    EXPECT_FLOAT_EQ(3.0f, V(1, 0).x - V(0, 0).x);
    EXPECT_FLOAT_EQ(-15.0f, V(0, 0).z);
}

TEST_F(TerrainMesh, FlatMapHasUpNormalsAndSlopesLeanAway)
{
    Build(Heightmap("flat.tif", 5, 5, [](int, int) { return 100; }), 5.0f, 0.3f);
    for (const STerrainGridVertex& v : t.gridVertices) {
        EXPECT_FLOAT_EQ(0.0f, v.nx);
        EXPECT_FLOAT_EQ(1.0f, v.ny);
        EXPECT_FLOAT_EQ(0.0f, v.nz);
    }
    // Rising towards +x: the normals lean towards -x.
    Build(Heightmap("ramp.tif", 5, 5, [](int x, int) { return uint8_t(x * 60); }), 5.0f, 0.0f);
    EXPECT_LT(V(2, 2).nx, 0.0f);
    EXPECT_GT(V(2, 2).ny, 0.0f);
}

TEST_F(TerrainMesh, SixteenBitIndicesLimitTheGrid)
{
    struct Case
    {
        int w, h;
        bool builds;
    };
    for (const Case c : {Case{256, 256, true}, Case{257, 256, false}, Case{256, 257, false}}) {
        ClearLog();
        CTerrainRules fresh;
        fresh.SetHeightmap(
            Heightmap("big.tif", c.w, c.h, [](int x, int y) { return uint8_t(x ^ y); }).c_str());
        fresh.BuildMesh();
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        EXPECT_EQ(c.builds ? 1 : 0, fresh.valid);
        if (c.builds) {
            ASSERT_EQ(1u, fresh.groupIndices.size());
            uint16_t highest = 0;
            for (uint16_t i : fresh.groupIndices[0])
                highest = std::max(highest, i);
            EXPECT_EQ(65535, highest);
        } else {
            EXPECT_TRUE(fresh.groupIndices.empty());
            EXPECT_TRUE(fresh.gridVertices.empty());
            EXPECT_TRUE(Logged(std::to_string(c.w) + " x " + std::to_string(c.h))) << Log();
        }
    }
}

TEST_F(TerrainMesh, GridFinerThanTheImageIsRefusedAndCoarserReadsTheFirstColumns)
{
    const std::string map = Heightmap("steps.tif", 8, 4, [](int x, int) { return uint8_t(x * 30); });
    t.texResX = 1.5f;
    Build(map, 8.0f, 0.0f);
    EXPECT_TRUE(t.gridVertices.empty());
    EXPECT_TRUE(Logged("TexResX 1.5")) << Log();

    t.texResX = 0.5f;
    Build(map, 8.0f, 0.0f);
    ASSERT_EQ(4, t.gridColumns);
    ASSERT_EQ(4, t.gridRows);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(float(i * 30) / 255.0f * 10.0f, V(i, 1).y, 1e-4f) << "column " << i;
}

TEST_F(TerrainMesh, MissingHeightmapLeavesTheTerrainInvalid)
{
    t.SetHeightmap(Path("absent.tif").c_str());
    EXPECT_EQ(0, t.valid);
    EXPECT_EQ(Path("absent.tif"), t.heightmapName);
    t.BuildMesh();
    EXPECT_TRUE(t.gridVertices.empty());
    t.SetHeightmap("");
    EXPECT_TRUE(t.heightmapName.empty());
}

} // namespace
} // namespace terraintest
