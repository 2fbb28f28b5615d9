#pragma once
// The world's share of one frame, as the game step draws it: the camera, the
// visibility collection, the world's passes and the overlays. The game step calls
// these steps in its recipe; tools, benchmarks and tests draw whole frames through
// RenderWorldFrame, which runs the same steps in the same order.
#include <cstdint>

#include "GAMES/Rulo2/render/CGameCamera.h"
#include "LIBS/System/CVector.h"

class CWorldObject;
struct D3DDeviceInfo;
struct SStatisticsInput;

// The device states every world frame starts from, set once with the device: the walk
// fog (colour, range, table or vertex fog as the device offers it; switched on by the
// render cache's fog flag), then the shell's culling and lighting switches and the
// ambient light.
void SetFogStates(const D3DDeviceInfo& info);
void SetWorldLightingStates();

struct SWorldFrame
{
    // The game view; otherwise an editor view (the grid instead of labels and bubbles).
    bool gameView = true;
    // The camera's input (the hero it follows, mouse, buttons, wheel, frame time).
    // An editor view is placed by `eye` and `target`; the game view without a hero
    // by them when `posed`, else by the view record as it is.
    SCameraInput camera;
    bool posed = false;
    CVector eye{0, 0, -1};
    CVector target{0, 0, 0};
    // The game clock in milliseconds, for animation.
    int32_t clock = 0;
    // The game speed and the burglary flag the object passes read.
    int32_t gameSpeed = 100;
    uint8_t burglaryFlag = 0;
    // An editor view that edits the world also draws the placement preview and the
    // paste buffer, and the point being placed (null: none) as a cross, in the
    // selected colour while it is dragged.
    bool editRoots = false;
    const CVector* placedPoint = nullptr;
    bool placedPointDragged = false;
};

// The colour a frame starts from: the walk fog colour in the game view, black in the editor's.
uint32_t FrameClearColour(bool gameView);
// The camera step: the view transform of this frame.
void UpdateFrameView(SWorldFrame& frame);
// The visibility step from the world root (and the editor's preview and paste buffer).
void CollectFrameVisibility(const SWorldFrame& frame);
// The world's passes inside the scene: the options from the shell's toggles, visible
// objects, shadow maps, transparent and faded objects, flares, the pointed object's
// highlight, then the editor grid or the characters' labels and speech bubbles.
void DrawWorldFrame(const SWorldFrame& frame);
// What goes over the finished picture: the statistics.
void DrawFrameOverlays(const SStatisticsInput& statistics);

// A whole frame into the back surface: clear, camera, visibility, scene with the world.
struct SFrameTimes
{
    double collectMs = 0;
    double drawMs = 0;
};
void RenderWorldFrame(SWorldFrame& frame, SFrameTimes* times = nullptr);
// The same for the game view following `hero` (null: the view record as it is), with
// `time` as frame time and clock.
void RenderWorldFrame(CWorldObject* hero, int32_t time, SFrameTimes* times = nullptr);
