#pragma once
// Off-screen surfaces of the 2-D interface: two background slots that keep a
// frozen picture of the 3-D view while a menu is open over the game, and the
// preview surface (a third of the screen each way) with the list of objects it
// cycles through every 2 seconds.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "platform/d3d/D3D.h"

class CTaskList;
class CWorldObject;

struct SPreviewState
{
    std::vector<CWorldObject*> list;
    int32_t index = 0;
    CWorldObject* source = nullptr;
    uint8_t on = 0;
    int32_t startTime = 0;
    CWorldObject* target = nullptr;
};
extern SPreviewState Preview;
// Outside REALTIME the preview runs only while the interface shows no character bars.
bool PreviewAllowed();
// The objects a source previews: those named by the object parameters of its alarm-system and
// remote-switch tasks, over its whole tree of task lists, each once and only while shown.
// Characters preview nothing.
void CollectPreviewObjects(const CWorldObject* source, std::vector<CWorldObject*>& out);

void GetUiSurface(int32_t slot);
void ReleaseUiSurface(int32_t slot);
void ClearViewRequest();
// After the world was rendered: copies the back surface into the current slot
// while a capture is pending.
void CaptureBackground();
// While the view is frozen: copies the current slot's picture onto the back surface.
void ShowFrozenView();
void DrawCursorImage(int32_t x, int32_t y);
// Releases both slots and the preview surface; the request becomes 0.
void ReleaseUiSurfaces();
// Releases the preview surface and forgets the previewed objects (a pending framing is dropped).
void ReleasePreview();
void UpdatePreviewCycle(CWorldObject* source, int32_t now);
void SetPreviewTarget(CWorldObject* object, int32_t now);
