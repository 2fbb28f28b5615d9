#pragma once
// The editor's selection state that the 3-D view and the tool windows share:
// the snapping mode, the grid levels and the snap of moved points to the grid,
// the grid levels and the locator points of the world.

#include "GAMES/Rulo2/app/CameraViews.h"
#include "LIBS/System/CVector.h"

#include <cstdint>

extern int32_t SnappingMode; // 0 none, 1 grid and locators (start), 2 grid level
extern float GridLevels[3];  // the plane positions along x, y and z
constexpr float SnapDistance = 0.3f;
// Plane coordinates snap to this grid in mode 1.
constexpr float SnapGrid = 0.25f;

// The view's depth axis: z in the front view, x in the side view, y in the others.
int DepthAxis(ViewIndex view);

// The move that snaps the nearest of `points` (world coordinates) to a grid
// candidate or, nearer still, a locator point of a world node that is not
// selected; (0, 0, 0) when nothing lies within SnapDistance or snapping is off.
CVector ComputeSnapOffset(const CVector* points, int32_t count, ViewIndex view);
CVector ComputeSnapOffset(const CVector* points, int32_t count);

// Follow the mouse: the placement preview (g_PreviewRoot's children) moves so that
// its origin lies at `cursorPoint`, then snaps as a whole.
void SnapSelection(const CVector& cursorPoint);
// Places the preview's world objects into the world, selected, with their object
// logic; the preview is empty afterwards. False when it held nothing.
bool PlaceNewObject();
