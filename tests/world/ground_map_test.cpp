// Shape polygons of meshes rasterised into ground maps at 20 cells per unit.
#include "tests/world/ServicesFixture.h"

#include <string>

#include "GAMES/Rulo2/navigation/GroundMap.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/MeshShape.h"

namespace {

// A root with one mesh whose shape is the given outline and edge list.
CRootNode* ShapeModel(const std::vector<CVector>& points, const std::vector<int32_t>& edges)
{
    auto* root = new CRootNode();
    CMeshNode* mesh = TriangleMesh("floor");
    mesh->SetShape(points.data(), int32_t(points.size()), edges.empty() ? nullptr : edges.data(),
                   int32_t(edges.size()));
    root->AddChild(mesh);
    return root;
}

struct MapHolder
{
    GroundMap* map = nullptr;
    ~MapHolder() { FreeGroundMap(map); }
    char At(int32_t cellX, int32_t cellZ) const
    {
        uint8_t* c = map->CellAt(cellX - map->minX, cellZ - map->minZ);
        return c ? char(*c) : '?';
    }
    // Cells of one world row z from x0 to x1 (world cells).
    std::string Row(int32_t z, int32_t x0, int32_t x1) const
    {
        std::string s;
        for (int32_t x = x0; x <= x1; ++x)
            s += At(x, z);
        return s;
    }
};

MapHolder MapFor(CRootNode* model, const CMatrix& world)
{
    int32_t rect[4] = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    GetShapeCellBounds(model, world, rect);
    MapHolder h;
    h.map = GroundMap::Create(rect);
    return h;
}

// A square 0.5 units wide: cells 0 to 10 on both axes.
const std::vector<CVector> kSquare = {{0, 0, 0}, {0.5f, 0, 0}, {0.5f, 0, 0.5f}, {0, 0, 0.5f}};

} // namespace

TEST(GroundMapShapes, CellBoundsRoundHalvesAwayFromZeroAndTheMapGrowsByOneCell)
{
    std::unique_ptr<CRootNode> model(ShapeModel({{-0.025f, 0, 0.024f}, {0.5f, 0, 0.126f}}, {}));
    int32_t rect[4] = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    GetShapeCellBounds(model.get(), CMatrix::Identity, rect);
    EXPECT_EQ(rect[0], -1) << "-0.025 is -0.5 cells, which rounds to -1";
    EXPECT_EQ(rect[1], 0);
    EXPECT_EQ(rect[2], 10);
    EXPECT_EQ(rect[3], 3);
    MapHolder h;
    h.map = GroundMap::Create(rect);
    ASSERT_NE(h.map, nullptr);
    EXPECT_EQ(h.map->minX, -2);
    EXPECT_EQ(h.map->maxZ, 4);
    EXPECT_EQ(h.Row(0, -2, 11), std::string(14, 'O')) << "a new map is all 'O'";
}

TEST(GroundMapShapes, OpenShapeIsFreeInsideWithMarkedEdgesBlocked)
{
    std::unique_ptr<CRootNode> model(ShapeModel(kSquare, {0, 1}));
    MapHolder h = MapFor(model.get(), CMatrix::Identity);
    RasterizeShapeOpen(model.get(), CMatrix::Identity, *h.map);
    EXPECT_EQ(h.Row(0, -1, 11), "O" + std::string(11, 'I') + "O") << "the marked edge along z = 0";
    EXPECT_EQ(h.Row(5, -1, 11), "O" + std::string(11, ' ') + "O");
    EXPECT_EQ(h.Row(10, -1, 11), "O" + std::string(11, ' ') + "O") << "the unmarked border edge is free";
    EXPECT_EQ(h.Row(-1, -1, 11), std::string(13, 'O'));
}

TEST(GroundMapShapes, ObstacleCodesFollowTheEdgeList)
{
    const std::vector<CVector> triangle = {{0, 0, 0}, {0.5f, 0, 0}, {0, 0, 0.5f}};
    // Two entries per point: filled 'O'; one marked edge: only that edge;
    // no edges: filled 'o'.
    const std::vector<int32_t> edgeLists[] = {{0, 1, 1, 2, 2, 0}, {0, 1}, {}};
    for (size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        std::unique_ptr<CRootNode> model(ShapeModel(triangle, edgeLists[k]));
        MapHolder h = MapFor(model.get(), CMatrix::Identity);
        // An open floor first, so that the obstacle's codes stand out.
        for (int32_t i = 0; i < h.map->Width() * h.map->Height(); ++i)
            h.map->cells[i] = ' ';
        RasterizeShapeObstacle(model.get(), CMatrix::Identity, *h.map);
        if (k == 0) {
            EXPECT_EQ(h.Row(2, 0, 8), std::string(9, 'O'));
            EXPECT_EQ(h.Row(2, 9, 11), "   ");
        } else if (k == 1) {
            EXPECT_EQ(h.Row(0, -1, 11), " " + std::string(11, 'O') + " ");
            EXPECT_EQ(h.Row(2, 0, 8), std::string(9, ' ')) << "the inside is not filled";
        } else {
            EXPECT_EQ(h.Row(2, 0, 8), std::string(9, 'o'));
            EXPECT_EQ(h.Row(2, 9, 11), "   ");
        }
    }
}

TEST(GroundMapShapes, LaterPolygonsNeverOverwriteIOrG)
{
    std::unique_ptr<CRootNode> model(ShapeModel(kSquare, {}));
    MapHolder h = MapFor(model.get(), CMatrix::Identity);
    RasterizeShapeOpen(model.get(), CMatrix::Identity, *h.map);
    *h.map->CellAt(3 - h.map->minX, 4 - h.map->minZ) = 'I';
    *h.map->CellAt(4 - h.map->minX, 4 - h.map->minZ) = 'G';
    RasterizeShapeT(model.get(), CMatrix::Identity, *h.map);
    EXPECT_EQ(h.Row(4, 0, 6), "TTTIGTT");
    RasterizeShapeObstacle(model.get(), CMatrix::Identity, *h.map);
    EXPECT_EQ(h.Row(4, 0, 6), "oooIGoo");
}

TEST(GroundMapShapes, PlacementAndFrameMatricesMoveTheShape)
{
    auto* root = new CRootNode();
    auto* frame = new CFrameNode("offset");
    frame->localMatrix[12] = 1.0f; // one unit along x inside the model
    root->AddChild(frame);
    CMeshNode* mesh = TriangleMesh("floor");
    mesh->SetShape(kSquare.data(), 4, nullptr, 0);
    frame->AddChild(mesh);
    std::unique_ptr<CRootNode> model(root);
    CMatrix placement = CMatrix::Identity;
    placement[14] = -1.0f; // the object stands one unit back along z
    int32_t rect[4] = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    GetShapeCellBounds(model.get(), placement, rect);
    EXPECT_EQ(rect[0], 20);
    EXPECT_EQ(rect[1], -20);
    EXPECT_EQ(rect[2], 30);
    EXPECT_EQ(rect[3], -10);
    MapHolder h;
    h.map = GroundMap::Create(rect);
    RasterizeShapeT(model.get(), placement, *h.map);
    EXPECT_EQ(h.Row(-15, 19, 31), "O" + std::string(11, 'T') + "O");
    CBox box = CBox::Empty;
    ExtendShapeBox(model.get(), placement, box);
    EXPECT_FLOAT_EQ(box.min.x, 1.0f);
    EXPECT_FLOAT_EQ(box.max.z, -0.5f);
}

TEST(GroundMapShapes, PolygonsReachingPastTheScratchBitmapAreClipped)
{
    const int32_t rect[4] = {0, 0, 299, 3}; // wider than the 256-cell bitmap
    MapHolder h;
    h.map = GroundMap::Create(rect);
    ASSERT_NE(h.map, nullptr);
    const CVector wide[4] = {{-1, 0, 0}, {20, 0, 0}, {20, 0, 0.1f}, {-1, 0, 0.1f}};
    h.map->RasterizePolygon(CMatrix::Identity, wide, 4, 'T');
    EXPECT_EQ(h.At(0, 1), 'T');
    EXPECT_EQ(h.At(254, 1), 'T');
    EXPECT_EQ(h.At(260, 1), 'O') << "cells the bitmap cannot hold keep their code";
    const std::string before(reinterpret_cast<char*>(h.map->cells), size_t(h.map->Width() * h.map->Height()));
    const CVector far[2] = {{-50, 0, -50}, {-40, 0, -40}};
    h.map->RasterizePolygon(CMatrix::Identity, far, 2, 'I');
    EXPECT_EQ(std::string(reinterpret_cast<char*>(h.map->cells), before.size()), before)
        << "a segment wholly outside changes nothing";
    const int32_t empty[4] = {5, 5, 4, 4};
    EXPECT_EQ(GroundMap::Create(empty), nullptr);
}
