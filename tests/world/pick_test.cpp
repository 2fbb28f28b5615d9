// The editor's pick test: what the renderer drew inside a screen rectangle.
#include "tests/world/ServicesFixture.h"

#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/MeshShape.h"
#include "tests/support/TestDevice.h"

namespace {

// A square at depth z covering the part of the screen between x0 and x1 in
// normalised device coordinates (identity view and projection).
CRootNode* Square(float x0, float x1, float z)
{
    auto* root = new CRootNode();
    auto* mesh = new CMeshNode("square");
    MeshVertex v[4] = {};
    const float xy[4][2] = {{x0, 1}, {x1, 1}, {x1, -1}, {x0, -1}};
    for (int i = 0; i < 4; ++i) {
        v[i].x = xy[i][0];
        v[i].y = xy[i][1];
        v[i].z = z;
        v[i].nz = -1;
    }
    const uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
    mesh->SetVertices(v, 4);
    mesh->SetIndices(idx, 6);
    mesh->SetMaterialCount(1);
    mesh->materials[0].vertexCount = 4;
    mesh->materials[0].indexCount = 6;
    root->AddChild(mesh);
    return root;
}

class PickTest : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(device.Open(64, 64));
        D3DMATRIX identity;
        std::memcpy(&identity, CMatrix::Identity.m, sizeof identity);
        DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
        DX.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &identity);
        DX.device->BeginScene();
        DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    }
    void TearDown() override
    {
        DX.device->EndScene();
        WorldServicesTest::TearDown();
        device.Close();
    }
    CWorldObject* PlaceVisible(const char* name, CRootNode* model)
    {
        CWorldObject* node = Place(g_WorldRoot, name, CWorldObject::KIND_MODEL, AddEntry(name, model));
        model->UpdateWorldMatrix(CMatrix::Identity, kRestTime);
        SetVisibility(node, VIS_CLIPPED);
        return node;
    }

    TestDevice device;
};

} // namespace

TEST_F(PickTest, RectanglePickFindsAnObjectHiddenBehindAnother)
{
    CWorldObject* front = PlaceVisible("front", Square(-1, 1, 0.2f));
    CWorldObject* back = PlaceVisible("back", Square(-1, 1, 0.6f));
    const bool zOn = RenderCache.zEnabled;
    ASSERT_TRUE(zOn && DX.zBuffer) << "the device has a z-buffer";
    PickInRect(g_WorldRoot, nullptr, SPickRect{10, 10, 20, 20});
    EXPECT_EQ(front->selected, 1);
    EXPECT_EQ(back->selected, 1) << "the z test is off during a rectangle pick";
    EXPECT_EQ(RenderCache.zEnabled, zOn) << "and back on afterwards";

    CWorldObject* hit = nullptr;
    PickInRect(g_WorldRoot, &hit, SPickRect{30, 30, 30, 30});
    EXPECT_EQ(hit, front) << "a point pick keeps the z test: the hidden square is not hit";
}

TEST_F(PickTest, OnePixelWideRectangleHitsAndMissesByColumn)
{
    // The right half of the screen: columns 32 to 63.
    CWorldObject* half = PlaceVisible("half", Square(0, 1, 0.5f));
    struct Case
    {
        SPickRect rect;
        bool hit;
    } cases[] = {
        {{40, 5, 40, 50}, true},  // one column wide, inside
        {{10, 30, 40, 30}, true}, // one row high, reaching into the square
        {{20, 5, 31, 50}, false}, // ends just left of the square
        {{31, 5, 32, 50}, true},  // only its last column is covered
        {{5, 5, 5, 5}, false},    // a point outside
        {{50, 5, 50, 5}, true},   // a point inside
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.rect.x0 << "," << c.rect.y0 << "-" << c.rect.x1 << "," << c.rect.y1);
        half->selected = 0;
        DX.device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0); // a new frame
        CWorldObject* hit = nullptr;
        PickInRect(g_WorldRoot, &hit, c.rect);
        const bool found = c.rect.IsPoint() ? hit == half : half->selected == 1;
        EXPECT_EQ(found, c.hit);
    }
}

TEST_F(PickTest, HiddenNodesAreSkippedButTheirChildrenAreWalked)
{
    CWorldObject* group = Place(g_WorldRoot, "group", CWorldObject::KIND_GROUP, nullptr);
    CRootNode* model = Square(-1, 1, 0.5f);
    CWorldObject* inside = Place(group, "inside", CWorldObject::KIND_MODEL, AddEntry("m", model));
    model->UpdateWorldMatrix(CMatrix::Identity, kRestTime);
    SetVisibility(inside, VIS_INSIDE);
    CWorldObject* hidden = Place(g_WorldRoot, "hidden", CWorldObject::KIND_MODEL, inside->reference);
    PickInRect(g_WorldRoot, nullptr, SPickRect{1, 1, 3, 3});
    EXPECT_EQ(inside->selected, 1);
    EXPECT_EQ(hidden->selected, 0);
}

TEST_F(PickTest, LightsArePickedByTheirMarker)
{
    CWorldObject* node = Place(g_WorldRoot, "lamp", CWorldObject::KIND_LIGHT, nullptr);
    SWorldLight* light = node->MakeLight();
    CD3DLight marker("lamp");
    marker.light = light->light;
    marker.light.dvPosition = {0, 0, 0.5f}; // the middle of the screen
    light->deviceLight = &marker;
    SetVisibility(node, VIS_INSIDE);
    PickInRect(g_WorldRoot, nullptr, SPickRect{24, 24, 40, 40});
    EXPECT_EQ(node->selected, 1);
    node->selected = 0;
    PickInRect(g_WorldRoot, nullptr, SPickRect{0, 0, 8, 8});
    EXPECT_EQ(node->selected, 0);
    light->deviceLight = nullptr;
}

TEST_F(PickTest, WithoutZBufferTheZTestStaysOff)
{
    IDirectDrawSurface7* zBuffer = DX.zBuffer;
    const bool hsr = DX.deviceInfo->zBufferlessHSR;
    DX.zBuffer = nullptr;
    DX.deviceInfo->zBufferlessHSR = false;
    SetZEnable(false);
    SetZEnable(true);
    EXPECT_FALSE(RenderCache.zEnabled);
    DX.deviceInfo->zBufferlessHSR = true;
    SetZEnable(true);
    EXPECT_TRUE(RenderCache.zEnabled) << "a device that removes hidden surfaces itself";
    DX.zBuffer = zBuffer;
    DX.deviceInfo->zBufferlessHSR = hsr;
}

namespace {

uint32_t g_SelectedItem = 0;
bool g_CtrlDown = false;

} // namespace

TEST_F(PickTest, ShapePointsAreAddedRemovedAndJoinedAtTheCursor)
{
    // Point markers are tiny squares: a projection that magnifies them.
    CMatrix zoom = CMatrix::Identity;
    zoom[0] = zoom[5] = 100.0f;
    D3DMATRIX projection;
    std::memcpy(&projection, zoom.m, sizeof projection);
    DX.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    auto root = std::make_unique<CRootNode>();
    CMeshNode* mesh = TriangleMesh("floor", 0, 0, 0.5f, 0.5f); // corners at the centre, right and up
    root->AddChild(mesh);
    root->UpdateWorldMatrix(CMatrix::Identity, kRestTime);
    mesh->id = 9;
    g_ModelTreeSelectedItem = [] { return g_SelectedItem; };
    g_ShapeEditCtrlDown = [] { return g_CtrlDown; };

    g_SelectedItem = 0;
    EXPECT_FALSE(PickShapePoint(root.get(), 32, 32)) << "only the selected mesh is edited";
    g_SelectedItem = 9;
    ASSERT_TRUE(PickShapePoint(root.get(), 32, 32));
    ASSERT_EQ(mesh->shapePointCount, 1);
    EXPECT_EQ(mesh->shapePoints[0], CVector(0, 0, 0.5f));
    g_CtrlDown = true;
    ASSERT_TRUE(PickShapePoint(root.get(), 32, 32));
    EXPECT_EQ(mesh->shapeEdgeCount, 1) << "with Ctrl the point joins the edge list";
    EXPECT_EQ(mesh->shapeEdges[0], 0);
    DrawShapeMarkers(root.get());
    DrawShape(root.get());
    g_CtrlDown = false;
    ASSERT_TRUE(PickShapePoint(root.get(), 32, 32));
    EXPECT_EQ(mesh->shapePointCount, 0) << "without Ctrl a shape point is taken away";
    EXPECT_EQ(mesh->shapeEdgeCount, 0);
    EXPECT_FALSE(PickShapePoint(root.get(), 2, 60)) << "no vertex under this pixel";
    g_ModelTreeSelectedItem = nullptr;
    g_ShapeEditCtrlDown = nullptr;
}

TEST(EditorGrid, GroundFrontAndSideGridsLieInTheirPlanes)
{
    BuildEditorGrids(GRID_GROUND, CVector(0, 0, 0));
    EXPECT_EQ(GridVertices[1].y, 1.0f) << "the axis line points up";
    for (int i = 2; i < kGridVertexCount; ++i)
        EXPECT_EQ(GridVertices[i].y, 0.0f);
    EXPECT_EQ(GridVertices[2].x, -5.0f);
    EXPECT_EQ(GridVertices[2].z, 5.0f);
    EXPECT_EQ(GridVertices[kGridVertexCount - 1].z, -5.0f);
    EXPECT_EQ(GridVertices[5].diffuse & 0xFFFFFF, 0x808080u);
    BuildEditorGrids(GRID_FRONT, CVector(0, 0, 2.5f));
    for (int i = 2; i < kGridVertexCount; ++i)
        EXPECT_EQ(GridVertices[i].z, 2.5f);
    EXPECT_EQ(GridVertices[1].z, 3.5f);
    BuildEditorGrids(GRID_SIDE, CVector(-1, 0, 0));
    for (int i = 2; i < kGridVertexCount; ++i)
        EXPECT_EQ(GridVertices[i].x, -1.0f);
    BuildEditorGrids(GRID_UNCHANGED, CVector(7, 7, 7));
    EXPECT_EQ(GridVertices[2].x, -1.0f) << "the game view keeps the buffer";
}
