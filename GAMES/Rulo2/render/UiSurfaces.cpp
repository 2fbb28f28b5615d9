#include "GAMES/Rulo2/render/UiSurfaces.h"

#include <algorithm>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

IDirectDrawSurface7* UiSlots[2] = {};
int32_t CurrentUiSlot = 0;
IDirectDrawSurface7* CursorSurface = nullptr;
bool HardwareCursor = true;
IDirectDrawSurface7* PreviewSurface = nullptr;
SPreviewState Preview;
int32_t PreviewDelay = 300;

namespace {

// A plain off-screen surface in system memory in the display's pixel format.
IDirectDrawSurface7* MakeSurface(int32_t width, int32_t height)
{
    if (!DX.directDraw || width <= 0 || height <= 0)
        return nullptr;
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = uint32_t(width);
    d.dwHeight = uint32_t(height);
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    if (DX.backSurface && SUCCEEDED(DX.backSurface->GetPixelFormat(&d.ddpfPixelFormat)))
        d.dwFlags |= DDSD_PIXELFORMAT;
    IDirectDrawSurface7* s = nullptr;
    if (FAILED(DX.directDraw->CreateSurface(&d, &s, nullptr)))
        return nullptr;
    return s;
}

bool EnsurePreviewSurface()
{
    if (!PreviewSurface)
        PreviewSurface = MakeSurface(DX.screenWidth / 3, DX.screenHeight / 3);
    return PreviewSurface != nullptr;
}

void Show(CWorldObject* object)
{
    Preview.target = object;
    // The game camera frames the object for the preview picture and then restores its view.
    GameCamera.SetThumbnailObject(object);
}

} // namespace

void GetUiSurface(int32_t slot)
{
    if (slot < 0 || slot > 1)
        return;
    CurrentUiSlot = slot;
    if (UiSlots[slot]) {
        ViewFreeze = 2;
        return;
    }
    if (IDirectDrawSurface7* s = MakeSurface(DX.screenWidth, DX.screenHeight)) {
        UiSlots[slot] = s;
        ViewFreeze = 1;
    }
}

void ReleaseUiSurface(int32_t slot)
{
    if (slot < 0 || slot > 1)
        return;
    if (UiSlots[slot])
        UiSlots[slot]->Release();
    UiSlots[slot] = nullptr;
    if (slot == CurrentUiSlot)
        ViewFreeze = 0;
}

void ClearViewRequest()
{
    ViewFreeze = 0;
}

void CaptureBackground()
{
    IDirectDrawSurface7* slot = UiSlots[CurrentUiSlot];
    if (ViewFreeze != 1 || !slot || !DX.backSurface)
        return;
    RECT all{0, 0, DX.screenWidth, DX.screenHeight};
    if (SUCCEEDED(slot->Blt(&all, DX.backSurface, &all, DDBLT_WAIT, nullptr)))
        ViewFreeze = 2;
}

void ShowFrozenView()
{
    IDirectDrawSurface7* slot = UiSlots[CurrentUiSlot];
    if (ViewFreeze != 2 || !slot || !DX.backSurface)
        return;
    RECT all{0, 0, DX.screenWidth, DX.screenHeight};
    DX.backSurface->Blt(&all, slot, &all, DDBLT_WAIT, nullptr);
}

void DrawCursorImage(int32_t x, int32_t y)
{
    if (HardwareCursor || !CursorSurface)
        return;
    BlitSurfaceRect(CursorSurface, x, y, 0, 0, 10000, 10000);
}

void ReleaseUiSurfaces()
{
    ReleaseUiSurface(0);
    ReleaseUiSurface(1);
    if (PreviewSurface)
        PreviewSurface->Release();
    PreviewSurface = nullptr;
    ViewFreeze = 0;
}

void ReleasePreview()
{
    if (PreviewSurface)
        PreviewSurface->Release();
    PreviewSurface = nullptr;
    Preview = SPreviewState();
    // A framing not yet done is dropped; one done already restores the view at the next update.
    if (GameCamera.thumbnailState == 2)
        GameCamera.SetThumbnailObject(nullptr);
}

bool PreviewAllowed()
{
    return GamePhase == 0 || (!CharacterBarsOff[0] && !CharacterBarsOff[1]);
}

namespace {

bool IsPreviewTask(int32_t type)
{
    return type == 14 || (type >= 64 && type <= 68);
}

} // namespace

void CollectPreviewObjects(const CWorldObject* source, std::vector<CWorldObject*>& out)
{
    if (!source || !source->objectLogic || source->objectLogic->IsCharacter())
        return;
    const CTaskList* root = source->objectLogic->MainTaskList();
    if (!root)
        return;
    // Depth first with the first child list visited first.
    std::vector<const CTaskList*> stack{root};
    while (!stack.empty()) {
        const CTaskList* list = stack.back();
        stack.pop_back();
        for (auto d = list->dependencies.rbegin(); d != list->dependencies.rend(); ++d)
            if ((*d)->childList)
                stack.push_back((*d)->childList.get());
        for (auto t = list->tasks.rbegin(); t != list->tasks.rend(); ++t) {
            if (!IsPreviewTask((*t)->taskType))
                continue;
            for (auto p = (*t)->parameters.rbegin(); p != (*t)->parameters.rend(); ++p) {
                if ((*p)->typeId != PARAM_OBJECT)
                    continue;
                CWorldObject* o = static_cast<const CObjectRefParam&>(**p).object;
                if (o && !(o->flags & 2) && std::find(out.begin(), out.end(), o) == out.end())
                    out.push_back(o);
            }
        }
    }
}

void UpdatePreviewCycle(CWorldObject* source, int32_t now)
{
    if (!PreviewAllowed())
        return;
    if (!EnsurePreviewSurface())
        return;
    if (source != Preview.source) {
        Preview.source = source;
        Preview.list.clear();
        Preview.index = 0;
        CollectPreviewObjects(source, Preview.list);
        if (Preview.list.empty()) {
            Preview.on = 0;
            Preview.source = nullptr;
            return;
        }
        Preview.on = 1;
        Preview.startTime = now;
        Show(Preview.list[0]);
    }
    if (Preview.list.empty())
        return;
    const int32_t step = std::max(0, (now - PreviewDelay - Preview.startTime) / 2000);
    const int32_t index = step % int32_t(Preview.list.size());
    if (index != Preview.index) {
        Preview.index = index;
        Preview.on = 1;
        Show(Preview.list[size_t(index)]);
    }
}

void SetPreviewTarget(CWorldObject* object, int32_t now)
{
    if (!EnsurePreviewSurface())
        return;
    if (object == Preview.source)
        return;
    Preview.source = object;
    Preview.list.assign(1, object);
    Preview.index = 0;
    Preview.on = 1;
    Preview.startTime = now;
    Show(object);
}
