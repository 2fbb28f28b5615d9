#include "GAMES/Rulo2/app/CameraViews.h"

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
