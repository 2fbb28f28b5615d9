#pragma once
// The render engine's globals: the frame's lists and view, the light slots, the
// interface surfaces and the counters the shell and the interface read.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/render/Markers.h"
#include "LIBS/System/CGrowArray.h"
#include "LIBS/System/CMatrix.h"
#include "LIBS/System/CVector.h"
#include "platform/d3d/D3D.h"

class CD3DLight;
class CMeshNode;
class CWorldObject;

// The frame's lists, filled by the visibility step and the passes.
struct STransparentBatch
{
    CMeshNode* mesh = nullptr;
    int32_t material = 0;
    CWorldObject* object = nullptr;
    CMatrix objectMatrix;
};
struct SFlare
{
    CVector point;
    uint32_t colour = 0;
};
extern std::vector<CWorldObject*> LightList;
extern std::vector<STransparentBatch> TransparentBatches;
extern std::vector<CWorldObject*> FadedObjects;
extern std::vector<SFlare> FlareList;
extern CWorldObject* PointedObject;
// Set while the right button drags the view: nothing is pointed.
extern uint8_t ViewDragFlag;
// The game clock in milliseconds, read for animation.
extern int32_t PassClock;
// The frame time in milliseconds that the game step sets each frame.
extern int32_t FrameTimeMs;

// The location value of the character in view (the floor node's identity here);
// lights are kept to it when inside and sameLocation are both set.
extern CWorldObject* CurrentLocationFloor;

// The eye and the normalised view direction of this frame, for the rest of the engine.
extern CVector EyePosition;
extern CVector ViewDirection;
// The camera-facing rotation of this frame's view (flares, point markers).
extern CMatrix BillboardMatrix;

// Light index -> light; null entries are free indexes.
extern CGrowArray<CD3DLight> LightSlotTable;
extern int32_t LiveLightCount;
extern int32_t EnabledLightCount;

// The editor views' reference grid.
constexpr int32_t kGridVertexCount = 46;
extern LineVertex GridVertices[kGridVertexCount];

// The two background slots of the interface and the current one.
extern IDirectDrawSurface7* UiSlots[2];
extern int32_t CurrentUiSlot;
// The capture state is the game state's ViewFreeze: 0 none, 1 capture pending, 2 captured (the
// world is not rendered, the frozen picture stands in for it).
extern IDirectDrawSurface7* PreviewSurface;
// Milliseconds subtracted from the elapsed preview time (the interface's delay).
extern int32_t PreviewDelay;
// The cursor image the interface sets, drawn by the game step at the cursor unless the display
// shows a hardware cursor (the window system's own pointer).
extern IDirectDrawSurface7* CursorSurface;
extern bool HardwareCursor;

// The editor's locator: a point that a task's Position parameter is edited with,
// drawn as a marker in the editor views while it is visible.
struct SViewLocator
{
    CVector position{0, 0, 0};
    bool visible = false;
};
extern SViewLocator ViewLocator;

// The client size of the main window as the last view update found it.
extern int32_t ClientWidth, ClientHeight;
// Starts at 0 with the program and counts every snapshot written.
extern int32_t SnapshotCounter;
