#pragma once
// The camera records of the nine views: the game view and the eight editor views.
// The camera code turns zoom, yaw, pitch and target into the eye.

#include <cstdint>

#include "LIBS/System/CVector.h"

class CWorldObject;

struct CCameraView
{
    float zoom = 4.0f;
    float yaw = 3.14159265f;
    float pitch = 0.78539816f;
    float target[3] = {0, 0, 0};
    uint8_t orthographic = 0;
    uint8_t worldView = 1;
};

enum ViewIndex : int32_t
{
    VIEW_GAME = 0,
    VIEW_FRONT,
    VIEW_SIDE,
    VIEW_TOP,
    VIEW_PERSPECTIVE,
    VIEW_WORLD_GROUND,
    VIEW_MODEL,
    VIEW_MODEL_GROUND,
    VIEW_OBJECT_EDITOR,
    VIEW_COUNT
};

extern CCameraView CameraViews[VIEW_COUNT];
// The view whose camera and projection are in use.
extern CCameraView* CurrentView;

inline bool IsGameView()
{
    return CurrentView == &CameraViews[VIEW_GAME];
}
ViewIndex CurrentViewIndex();
// The eye of a view's pose: zoom away from the target, turned by yaw and pitch.
CVector ViewEye(const CCameraView& view);

// Makes a view current. Perspective View and World Ground View share one camera:
// leaving either copies its pose into the other. The model views start again
// from their reset pose whenever they are chosen.
void SelectView(ViewIndex view);

// Where the game view starts on a loaded world, for the game and the view tool alike: behind
// `hero` when there is one; else the game view, with its own angles, looks at the centre of the
// world's bounds from 0.8 of the world's size away (within
// the far distance).
void PlaceGameViewAtStart(CWorldObject* hero);
