#include "GAMES/Rulo2/app/CameraViews.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float Pi = 3.14159265f;

CCameraView MakeView(float yaw, float pitch, bool ortho, bool world)
{
    CCameraView v;
    v.yaw = yaw;
    v.pitch = pitch;
    v.orthographic = ortho ? 1 : 0;
    v.worldView = world ? 1 : 0;
    return v;
}

} // namespace

CCameraView CameraViews[VIEW_COUNT] = {
    MakeView(Pi, Pi / 4, false, true),    // game view
    MakeView(Pi, 0, true, true),          // Front View
    MakeView(Pi / 2, 0, true, true),      // Side View
    MakeView(Pi, 1.5706964f, true, true), // Top View
    MakeView(Pi, Pi / 4, false, true),    // Perspective View
    MakeView(Pi, Pi / 4, false, true),    // World Ground View
    MakeView(Pi, Pi / 4, false, false),   // Model View
    MakeView(Pi, Pi / 4, false, false),   // Model Ground View
    MakeView(Pi, Pi / 4, false, false),   // Object Editor
};

CCameraView* CurrentView = &CameraViews[VIEW_GAME];

ViewIndex CurrentViewIndex()
{
    return ViewIndex(CurrentView - CameraViews);
}

void SelectView(ViewIndex view)
{
    ViewIndex from = CurrentViewIndex();
    if (from == VIEW_PERSPECTIVE && view != VIEW_PERSPECTIVE)
        CameraViews[VIEW_WORLD_GROUND] = CameraViews[VIEW_PERSPECTIVE];
    else if (from == VIEW_WORLD_GROUND && view != VIEW_WORLD_GROUND)
        CameraViews[VIEW_PERSPECTIVE] = CameraViews[VIEW_WORLD_GROUND];
    CCameraView& v = CameraViews[view];
    if (view == VIEW_MODEL || view == VIEW_MODEL_GROUND || view == VIEW_OBJECT_EDITOR) {
        v.zoom = 2.5f;
        v.yaw = Pi;
        v.pitch = Pi / 4;
        v.target[0] = v.target[1] = v.target[2] = 0;
    }
    CurrentView = &v;
}

CVector ViewEye(const CCameraView& v)
{
    const float c = std::cos(v.pitch);
    return CVector(v.target[0], v.target[1], v.target[2]) +
           CVector(std::sin(v.yaw) * c, std::sin(v.pitch), std::cos(v.yaw) * c) * v.zoom;
}

void PlaceGameViewAtStart(CWorldObject* hero)
{
    if (hero) {
        UpdateHouseState(hero);
        GameCamera.lookAt = hero->position;
        GameCamera.actualEye = hero->position + GameCamera.offset;
        return;
    }
    CurrentHouse = nullptr;
    CVector min(100000, 100000, 100000), max(-100000, -100000, -100000);
    if (g_WorldRoot)
        WorldWalk::ComputeBounds(g_WorldRoot, min, max);
    const bool any = min.x <= max.x;
    const CVector centre = any ? (min + max) * 0.5f : CVector(0, 0, 0);
    // The game view keeps its angles; it stands back 0.8 of the world's size, so that a larger
    // world shows whole, but near enough that a large world's middle lies within the far distance.
    CCameraView& v = CameraViews[VIEW_GAME];
    if (any)
        v.zoom = std::min(std::max(v.zoom, 0.8f * (max - min).length()), 0.55f * DefaultFarDistance);
    v.target[0] = centre.x;
    v.target[1] = centre.y;
    v.target[2] = centre.z;
    GameViewRecord.position = centre;
    GameViewRecord.eye = ViewEye(v);
}
