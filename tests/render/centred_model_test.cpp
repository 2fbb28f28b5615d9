// A model whose geometry lies away from its origin is drawn re-centred, where
// the visibility collection looks for it.
#include <gtest/gtest.h>

#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "tests/render/HouseWorld.h"
#include "tests/render/ScreenPoint.h"

namespace {

// A flat emissive square of side `size` centred on `centre`, under a root whose
// own matrix translates by `rootShift`.
CRootNode* MakeOffCentreModel(const CVector& centre, float size, const CVector& rootShift)
{
    const float h = size / 2;
    const float corners[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
    MeshVertex v[4] = {};
    for (int i = 0; i < 4; ++i) {
        v[i].x = centre.x + corners[i][0];
        v[i].y = centre.y;
        v[i].z = centre.z + corners[i][1];
        v[i].ny = 1;
    }
    // Both windings, so the square shows from above whatever the culling.
    const int32_t polygons[] = {4, 0, 1, 2, 3, 4, 3, 2, 1, 0};
    CSurfaceMaterial surface;
    surface.colour[1] = surface.colour[13] = 1.0f; // green
    surface.colour[3] = surface.colour[15] = 1.0f;
    auto* mesh = new CMeshNode("square", 4, v, 2, polygons, &surface, nullptr, nullptr);
    auto* root = new CRootNode();
    root->SetName("offcentre");
    root->localMatrix = MatrixTranslation(rootShift);
    root->AddChild(mesh);
    root->Prepare();
    return root;
}

std::vector<CVector> g_TestedCentres;
HRESULT RecordSpheres(const D3DVECTOR* centres, const float* radii, uint32_t count, uint32_t* results)
{
    for (uint32_t i = 0; i < count; ++i)
        g_TestedCentres.emplace_back(centres[i].x, centres[i].y, centres[i].z);
    return DX.device->ComputeSphereVisibility(centres, radii, count, 0, results);
}

class CentredModel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(OpenOffscreenView(320, 240));
        ClearWorld();
        CreateWorldRoots();
        ClearFrameData();
        CurrentHouse = nullptr;
        g_TestedCentres.clear();
    }
    void TearDown() override
    {
        g_SphereVisibility = nullptr;
        ClearFrameData();
        ClearWorld();
        CloseOffscreenView();
    }

    // Looks straight down on `target` from `height` above.
    void LookDownOn(const CVector& target, float height = 6)
    {
        GameViewRecord.position = target;
        GameViewRecord.eye = target + CVector(0, height, -0.01f);
    }

    uint32_t PixelAt(const CVector& p)
    {
        int x, y;
        if (!ScreenOf(p, x, y))
            return 0xDEAD;
        uint32_t c = 0;
        EXPECT_TRUE(DX.backSurface->ReadPixel(x, y, &c));
        return c & 0xFFFFFF;
    }
};

} // namespace

TEST_F(CentredModel, DrawnAroundItsPositionWhereVisibilityLooks)
{
    struct Case
    {
        CVector geometryCentre;
        CVector rootShift;
    };
    const Case cases[] = {
        {CVector(2.5f, 0, 0), CVector(0, 0, 0)},
        {CVector(-3, 0.4f, 1.5f), CVector(0, 0.5f, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.geometryCentre.x);
        ClearWorld();
        CreateWorldRoots();
        ClearFrameData();
        CRootNode* model = MakeOffCentreModel(c.geometryCentre, 0.8f, c.rootShift);
        // The model's centre moves to the origin of the root's own matrix.
        EXPECT_NEAR(model->boundsCentre.x, c.rootShift.x, 1e-5f);
        EXPECT_NEAR(model->boundsCentre.y, c.rootShift.y, 1e-5f);
        EXPECT_NEAR(model->boundsCentre.z, c.rootShift.z, 1e-5f);
        const CVector position(10, 0, -4);
        CWorldObject* object = AddModel(g_WorldRoot, "thing", MakeEntry("offcentre", model), position);
        const CVector drawnCentre = position + c.rootShift;
        CVector min, max;
        WorldWalk::ComputeBounds(g_WorldRoot, min, max);

        g_SphereVisibility = RecordSpheres;
        LookDownOn(drawnCentre);
        RenderWorldFrame(nullptr, 1000);
        EXPECT_TRUE(IsListed(object));
        EXPECT_EQ(PixelAt(drawnCentre), 0x00FF00u);
        EXPECT_EQ(PixelAt(drawnCentre + CVector(0.3f, 0, 0.3f)), 0x00FF00u);
        // Beside it and where the geometry lies in the model's own frame nothing is drawn:
        // the frame's clear colour shows.
        const uint32_t background = FrameClearColour(true) & 0xFFFFFFu;
        EXPECT_EQ(PixelAt(drawnCentre + CVector(0.6f, 0, 0)), background);
        EXPECT_EQ(PixelAt(position + c.geometryCentre + c.rootShift), background);
        ASSERT_FALSE(g_TestedCentres.empty());
        const CVector tested = g_TestedCentres.back();
        EXPECT_NEAR(tested.x, drawnCentre.x, 1e-4f);
        EXPECT_NEAR(tested.y, drawnCentre.y, 1e-4f);
        EXPECT_NEAR(tested.z, drawnCentre.z, 1e-4f);

        // Looking where the un-centred geometry would be: the sphere is out of
        // view, so the object is neither listed nor drawn there.
        const CVector uncentred = position + c.geometryCentre + c.rootShift;
        LookDownOn(uncentred, 0.8f);
        RenderWorldFrame(nullptr, 1040);
        int x, y;
        ASSERT_FALSE(ScreenOf(drawnCentre + CVector(model->boundsRadius, 0, 0), x, y));
        ASSERT_FALSE(ScreenOf(drawnCentre - CVector(model->boundsRadius, 0, 0), x, y));
        EXPECT_FALSE(IsListed(object));
        EXPECT_EQ(PixelAt(uncentred), background);
    }
}
