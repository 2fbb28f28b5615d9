#pragma once
// Editor view helpers: the reference grid of the editor views, the pick test
// that finds what the renderer drew inside a screen rectangle, the editor's
// pick walk over the world tree, the cached z-enable switch and two small
// vector helpers.
#include <cstdint>

#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "LIBS/System/CVector.h"

class CWorldObject;

// Client pixels of the 3-D window, inclusive; x0 = x1 and y0 = y1 is a point.
struct SPickRect
{
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool IsPoint() const { return x0 == x1 && y0 == y1; }
};

constexpr uint32_t kGridColour = 0xFF808080u; // RGB (128, 128, 128)

// Which grid the editor's current view asks for.
enum EGridView : int32_t
{
    GRID_FRONT = 0,    // looking along z, in the plane z of the grid point
    GRID_SIDE = 1,     // looking along x, in the plane x of the grid point
    GRID_GROUND = 2,   // every other editor view: the ground plane
    GRID_UNCHANGED = 3 // the game view and the views that keep the buffer
};
void BuildEditorGrids(EGridView view, const CVector& gridPoint);
// The game step's drawing of the grid while an editor view is shown.
void DrawEditorGrid();

// Clears the rectangle to 0 on the back surface (a rectangle also turns the z
// test off, so hidden candidates are found); the caller then draws.
void BeginPickTest(const SPickRect& rect);
// True when any pixel of the rectangle is no longer 0; restores the z test.
bool EndPickTest(const SPickRect& rect);

// The editor's pick walk over a world-tree chain and its subtrees: a point
// pick leaves the last hit node in `result`, a rectangle pick selects every hit.
void PickInRect(CWorldObject* first, CWorldObject** result, const SPickRect& rect);

// The cached z-buffer switch; without a z-buffer (and without hidden-surface
// removal by the device) it stays off.
void SetZEnable(bool on);

inline void Vec3Scale(CVector& out, const CVector& v, float s)
{
    out = CVector(v.x * s, v.y * s, v.z * s);
}
inline void Vec3DivScalar(CVector& v, float s)
{
    v = CVector(v.x / s, v.y / s, v.z / s);
}
