// The game camera: obstacles between eye and hero, zoom limits, smoothing and
// time steps, and the dynamic lights' nearest search.
#include <gtest/gtest.h>

#include <cmath>

#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/CDynamicLights.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "tests/render/HouseWorld.h"

namespace {

struct CameraWorld : HouseWorld
{
    CWorldObject* wallBetween;
    CameraWorld()
    {
        CModelEntry* block = MakeEntry("Mauer", MakeBoxModel("Mauer", 2, 2, 0.4f, 1, 1, 1));
        wallBetween = AddModel(g_WorldRoot, "mauer", block, CVector(10, 1, 9));
        wallBetween->boundsAMin = CVector(9, 0, 8.8f);
        wallBetween->boundsAMax = CVector(11, 2, 9.2f);
        ResetVisibleObjects();
        VisibleObjects.push_back({wallBetween, block->model});
        CurrentHouse = nullptr;
    }
};

// A camera that follows a hero standing at (10, 0, 10) with the reset values.
CGameCamera MakeCamera()
{
    CGameCamera cam;
    cam.Reset();
    cam.followedPoint = CVector(10, 0.2f, 10);
    cam.lookAt = CVector(10, 0.25f, 10);
    cam.actualEye = cam.lookAt + cam.offset;
    cam.lastTime = 0;
    return cam;
}

} // namespace

TEST(GameCamera, WallBetweenEyeAndHeroPullsTheEyeToTheHerosSide)
{
    CameraWorld w;
    CameraSettings.cameraIntersection = 1;
    CGameCamera cam = MakeCamera();
    cam.Update(1000); // a long step reaches every target at once
    ASSERT_TRUE(cam.eyeBlocked);
    // The wanted eye lies at z = 8.8; the wall's far face at z = 9.2.
    EXPECT_GE(cam.actualEye.z, 9.2f - 1e-3f);
    EXPECT_LT(cam.actualEye.z, 10.0f);
    EXPECT_EQ(cam.obstacleGroup[0], g_WorldRoot);

    // With the hero right behind the wall the eye stays 0.2 from the look-at point.
    cam.followedPoint = CVector(10, 0.2f, 9.25f);
    cam.lookAt = CVector(10, 0.25f, 9.25f);
    cam.Update(2000);
    ASSERT_TRUE(cam.eyeBlocked);
    EXPECT_NEAR((cam.actualEye - cam.lookAt).length(), 0.2f, 1e-3f);

    // The test can be switched off: the eye passes through walls.
    CameraSettings.cameraIntersection = 0;
    CGameCamera free = MakeCamera();
    free.Update(1000);
    EXPECT_FALSE(free.eyeBlocked);
    EXPECT_LT(free.actualEye.z, 9.1f);
    CameraSettings.cameraIntersection = 1;
}

TEST(GameCamera, TheBoxHoldingTheLookAtPointNeverBlocks)
{
    CameraWorld w;
    w.wallBetween->boundsAMin = CVector(9, 0, 8.5f);
    w.wallBetween->boundsAMax = CVector(11, 2, 10.5f);
    CGameCamera cam = MakeCamera();
    cam.lookAt = CVector(10, 1.0f, 10);
    EXPECT_EQ(cam.FindObstacles(CVector(10, 1.0f, 7), CVector(10, 1.0f, 10)), 0.0f);
    // The hero's own object never blocks.
    w.wallBetween->boundsAMax.z = 9.2f;
    cam.focusObject = w.wallBetween;
    EXPECT_EQ(cam.FindObstacles(CVector(10, 1.0f, 7), CVector(10, 1.0f, 10)), 0.0f);
}

TEST(GameCamera, WheelNotchesStepTheDistanceWithinItsLimits)
{
    CameraWorld w;
    CGameCamera& cam = GameCamera;
    cam = MakeCamera();
    CWorldObject* hero = AddModel(g_WorldRoot, "hero", nullptr, CVector(10, 0, 10));
    int32_t zoom = 0;
    SCameraInput input;
    input.hero = hero;
    input.zoomAccumulator = &zoom;
    const float start = cam.distance;
    int32_t time = 0;
    zoom = 120; // one notch back: minus the wheel delta of -120
    input.frameTime = (time += 40);
    UpdateCameraInput(input);
    EXPECT_NEAR(cam.distance, start + 0.12f, 1e-5f);
    EXPECT_EQ(zoom, 0);
    for (int i = 0; i < 40; ++i) {
        zoom = 120;
        input.frameTime = (time += 40);
        UpdateCameraInput(input);
    }
    EXPECT_FLOAT_EQ(cam.distance, 3.0f);
    for (int i = 0; i < 40; ++i) {
        zoom = -120;
        input.frameTime = (time += 40);
        UpdateCameraInput(input);
    }
    EXPECT_FLOAT_EQ(cam.distance, 0.3f);
    // Indoors the eye keeps 0.65 away.
    CWorldObject* inside = AddGroup(g_WorldRoot, "innen_kueche");
    hero->Remove();
    inside->AddChild(hero);
    zoom = -120;
    input.frameTime = (time += 40);
    UpdateCameraInput(input);
    EXPECT_FLOAT_EQ(cam.distance, 0.65f);
    cam = CGameCamera();
}

TEST(GameCamera, TimeStepsSmoothAndNeverOvershoot)
{
    CGameCamera cam;
    cam.Reset();
    cam.step = 1.0f; // 10 ms
    cam.maxStep = cam.step * cam.maxSpeed;
    const CVector from(0, 0, 0), to(1, 0, 0);
    // 1 % of the gap per millisecond.
    EXPECT_NEAR(cam.SmoothMove(from, to, 20.0f).x, 0.1f, 1e-6f);
    cam.step = 1000.0f;
    cam.maxStep = cam.step * cam.maxSpeed;
    EXPECT_FLOAT_EQ(cam.SmoothMove(from, to, 20.0f).x, 1.0f);

    // Time running backwards only stores the time; a zero step changes nothing.
    cam.lastTime = 500;
    cam.followedPoint = CVector(5, 0, 5);
    const CVector before = cam.lookAt;
    cam.Update(400);
    EXPECT_EQ(cam.lastTime, 400);
    EXPECT_EQ(cam.lookAt, before);
    cam.Update(400);
    EXPECT_EQ(cam.lookAt, before);
}

TEST(DynamicLightsTest, NearestThreeInOrderAndEmptyWithOneLight)
{
    HouseWorld w;
    g_LightNodes.clear();
    auto addLight = [&](CVector p) {
        auto* l = new CWorldObject("light");
        l->MakeLight();
        l->position = p;
        g_WorldRoot->AddChild(l);
        g_LightNodes.push_back(l);
        return l;
    };
    // One light builds no grid: every search gives three empty slots.
    CWorldObject* five = addLight(CVector(0, 0, 5));
    DynamicLights.Init();
    DynamicLights.FindNearestLights(CVector(0, 0, 0), false, false);
    for (const SNearestLight& n : DynamicLights.nearest) {
        EXPECT_EQ(n.node, nullptr);
        EXPECT_EQ(n.distance, 3.4028235e38f);
    }

    // Distances 5, 2, 9, 2 (the grid is over x and y; z only counts in the distance).
    CWorldObject* twoA = addLight(CVector(0, 0, 2));
    addLight(CVector(0, 0, 9));
    CWorldObject* twoB = addLight(CVector(0, 0, -2));
    DynamicLights.Init();
    DynamicLights.FindNearestLights(CVector(0, 0, 0), false, false);
    EXPECT_EQ(DynamicLights.nearest[0].node, twoA);
    EXPECT_EQ(DynamicLights.nearest[1].node, twoB);
    EXPECT_EQ(DynamicLights.nearest[2].node, five);
    EXPECT_FLOAT_EQ(DynamicLights.nearest[2].distance, 5.0f);
    g_LightNodes.clear();
    DynamicLights.Clear();
}

// A world light under a parent, listed among the world's lights.
static CWorldObject* AddWorldLight(CNode* parent, CVector p)
{
    auto* l = new CWorldObject("light");
    l->objectKind = CWorldObject::KIND_LIGHT;
    l->MakeLight();
    l->position = p;
    parent->AddChild(l);
    g_LightNodes.push_back(l);
    return l;
}

TEST(DynamicLightsTest, GridSortsInsideAndOutsideAndClampsThePoint)
{
    HouseWorld w;
    g_LightNodes.clear();
    CWorldObject* in = AddWorldLight(w.inside1, CVector(0.5f, 0.5f, 0));
    CWorldObject* out = AddWorldLight(w.outside1, CVector(3.5f, 2.5f, 0));
    DynamicLights.Init();
    EXPECT_EQ(DynamicLights.columns, 5);
    EXPECT_EQ(DynamicLights.rows, 4);
    DynamicLights.FindNearestLights(CVector(-50, -50, 0), false, true);
    EXPECT_EQ(DynamicLights.nearest[0].node, in);
    EXPECT_EQ(DynamicLights.nearest[1].node, nullptr);
    DynamicLights.FindNearestLights(CVector(50, 50, 0), false, false);
    EXPECT_EQ(DynamicLights.nearest[0].node, out);
    g_LightNodes.clear();
    DynamicLights.Clear();
}

// A character inside a house lights itself only from the lights of its own floor once the house
// state has followed it there.
TEST(DynamicLightsTest, InsideLightsKeepToTheFloorTheCharacterStandsOn)
{
    HouseWorld w;
    g_LightNodes.clear();
    CWorldObject* ground = AddWorldLight(w.inside1, CVector(1.5f, 0.5f, 0));
    CWorldObject* upstairs = AddWorldLight(w.inside2, CVector(1.0f, 0.5f, 0));
    DynamicLights.Init();
    CWorldObject* person = AddModel(w.inside1, "person", nullptr, CVector(1, 0.2f, 0));
    UpdateHouseState(person);
    EXPECT_EQ(CurrentLocationFloor, w.floor1);
    DynamicLights.FindNearestLights(person->position, true, true);
    EXPECT_EQ(DynamicLights.nearest[0].node, ground);
    EXPECT_EQ(DynamicLights.nearest[1].node, nullptr) << "the nearer light upstairs is left out";
    DynamicLights.FindNearestLights(person->position, false, true);
    EXPECT_EQ(DynamicLights.nearest[0].node, upstairs);

    // Moved upstairs, the same search finds the other light.
    person->MoveTo(w.inside2);
    UpdateHouseState(person);
    EXPECT_EQ(CurrentLocationFloor, w.floor2);
    DynamicLights.FindNearestLights(person->position, true, true);
    EXPECT_EQ(DynamicLights.nearest[0].node, upstairs);
    EXPECT_EQ(DynamicLights.nearest[1].node, nullptr);
    CurrentLocationFloor = nullptr;
    g_LightNodes.clear();
    DynamicLights.Clear();
}

TEST(GameCamera, ThumbnailFramesTheObjectForOneUpdateThenRestores)
{
    CameraWorld w;
    CGameCamera cam = MakeCamera();
    cam.Update(1000);
    const CVector eyeBefore = cam.actualEye, lookBefore = cam.lookAt;
    cam.SetThumbnailObject(w.slab1);
    cam.Update(1040);
    EXPECT_EQ(cam.lookAt, w.slab1->position);
    // One unit away horizontally-ish, 0.45 above.
    EXPECT_NEAR(cam.actualEye.y, w.slab1->position.y + 0.45f, 1e-5f);
    EXPECT_NEAR((cam.actualEye - cam.lookAt).length(), std::sqrt(1.0f + 0.45f * 0.45f), 1e-4f);
    cam.Update(1080);
    EXPECT_EQ(cam.thumbnailState, 0);
    EXPECT_NEAR((cam.lookAt - lookBefore).length(), 0.0f, 1e-3f);
    EXPECT_NEAR((cam.actualEye - eyeBefore).length(), 0.0f, 1e-2f);
}

TEST(GameCamera, MouseLookPitchLimitsAndFirstPersonRefusal)
{
    CameraWorld w;
    CameraSettings.cameraIntersection = 0;
    CGameCamera cam = MakeCamera();
    cam.Update(1000);
    cam.MouseLook(true);
    cam.mouseDY = -100000.0f; // far past every limit
    cam.viewHeight = 480;
    cam.Update(1040);
    EXPECT_NEAR(cam.pitchBase + cam.pitchDelta, 1.134464f, 1e-5f);
    cam.mouseDY = 100000.0f;
    cam.Update(1080);
    EXPECT_NEAR(cam.pitchBase + cam.pitchDelta, 0.17453294f, 1e-5f);
    cam.MouseLook(false);

    CWorldObject* hero = w.slab1;
    cam.focusObject = hero;
    hero->flags = 2; // out of play: no first-person view
    cam.SetMode(true);
    EXPECT_FALSE(cam.firstPerson);
    hero->flags = 0;
    cam.SetMode(true);
    EXPECT_TRUE(cam.firstPerson);
    EXPECT_EQ(hero->flags, 16);
    cam.mouseDY = -100000.0f;
    cam.Update(1120);
    EXPECT_NEAR(cam.pitchBase + cam.pitchDelta, 2.9670596f, 1e-5f);
    EXPECT_NEAR((cam.actualEye - cam.lookAt).length(), 0.01f, 1e-4f);
    cam.SetMode(false);
    EXPECT_EQ(hero->flags, 0);
    EXPECT_TRUE(cam.restoreOffset);
    CameraSettings.cameraIntersection = 1;
}

TEST(OrbitCamera, GlidesEasedAndPlacesTheEyeByZoom)
{
    SOrbitView view;
    view.zoom = 2.0f;
    view.yaw = 0.0f;
    view.elevation = 0.0f;
    view.glideStartTime = 1000;
    view.glideFrom = CVector(0, 0, 0);
    view.glideTo = CVector(6, 0, 0);
    // Half the way (3 units at 3 units per second) lies at the middle of the ease.
    CVector eye = UpdateOrbitCamera(view, 2000);
    EXPECT_NEAR(view.lookAt.x, 3.0f, 1e-4f);
    EXPECT_NEAR((eye - view.lookAt).length(), 1.69f, 1e-4f);
    EXPECT_NEAR(eye.z - view.lookAt.z, 1.69f, 1e-4f);
    UpdateOrbitCamera(view, 2500);
    EXPECT_GT(view.lookAt.x, 3.0f);
    UpdateOrbitCamera(view, 3000);
    EXPECT_EQ(view.lookAt.x, 6.0f);
    EXPECT_EQ(view.glideStartTime, 0);
    EXPECT_NEAR(ViewDirection.z, -1.0f, 1e-5f);
}
