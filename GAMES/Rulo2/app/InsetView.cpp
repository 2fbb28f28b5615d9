#include "GAMES/Rulo2/app/InsetView.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

#include <string>

CWorldObject* InsetObject = nullptr;
int32_t InsetPreparedTime = 0;
uint8_t InsetSavedFlags = 0;

namespace {

// The run-time hiding bit that the first-person view sets on the character it follows.
constexpr uint8_t kRuntimeHidden = 0x10;
// The picture screen frames the picture from just outside it, so that its border shows.
constexpr float kFrameMargin = 0.01f;

// The object the inset frame shows, whose flags byte waits to be put back.
CWorldObject* shownObject = nullptr;

void Prepare(CWorldObject* object, int32_t now)
{
    InsetObject = object;
    InsetViewState = 1;
    InsetPreparedTime = now;
    shownObject = Preview.target;
    if (shownObject) {
        InsetSavedFlags = shownObject->flags;
        shownObject->flags &= uint8_t(~kRuntimeHidden);
    }
}

void RestoreShownFlags()
{
    if (shownObject)
        shownObject->flags = InsetSavedFlags;
    shownObject = nullptr;
}

// No inset shows; the surface stays for the next object.
void DropInset()
{
    RestoreShownFlags();
    InsetObject = nullptr;
    InsetViewState = 0;
    ClearViewRect();
}

// The inset's objects while the picked object is hovered: a new picture whenever the cycle
// moves on to another object.
void FollowPickedObject(CWorldObject* picked, int32_t now)
{
    const CWorldObject* source = Preview.source;
    const int32_t index = Preview.index;
    const CWorldObject* target = Preview.target;
    UpdatePreviewCycle(picked, now);
    if (!PreviewSurface || !Preview.on || Preview.list.empty() || Preview.source != picked) {
        // Nothing of this object to show.
        DropInset();
        return;
    }
    if (Preview.source != source || Preview.index != index || Preview.target != target || !InsetViewState)
        Prepare(picked, now);
}

bool PictureShows(int32_t now)
{
    return InsetViewState == 2 && PreviewSurface && now - InsetPreparedTime >= PreviewDelay;
}

} // namespace

SViewRect InsetPixels(int32_t w, int32_t h)
{
    auto pixel = [](float v, int32_t size) { return int32_t((v + 1.0f) * float(size) / 2.0f); };
    return SViewRect{pixel(InsetLeft, w), pixel(InsetTop, h), pixel(InsetRight, w), pixel(InsetBottom, h)};
}

void UpdateInsetView(int32_t now)
{
    // Under a modal screen (as the last frame found) the inset is not shown.
    if (ModalScreenOpen)
        return;
    if (GamePhase == PHASE_BURGLARY && AlarmRaised) {
        CWorldObject* alarm = ObjectOfRecorderId(AlarmSource);
        if (alarm && alarm != InsetObject) {
            SetPreviewTarget(alarm, now);
            if (PreviewSurface && Preview.target == alarm)
                Prepare(alarm, now);
        }
    }
    if (GamePhase != PHASE_PLANNING && !AlarmOverride)
        return;
    if (PickedObject)
        FollowPickedObject(PickedObject, now);
    else
        ReleaseInsetView();
}

void ReleaseInsetView()
{
    DropInset();
    ReleasePreview();
}

void SetInsetViewRect()
{
    if (InsetViewState == 1 && PreviewSurface) {
        const SViewRect r = InsetPixels(DX.screenWidth, DX.screenHeight);
        SetViewRect(r.left, r.top, r.right, r.bottom);
    } else {
        ClearViewRect();
    }
}

void DrawInsetInScene(int32_t now)
{
    if (InsetViewState == 1 && PreviewSurface) {
        // The label counts through the objects the picked object shows; the alarm's inset has none.
        if (!AlarmRaised) {
            const std::string label =
                std::to_string(Preview.index + 1) + "/" + std::to_string(Preview.list.size());
            DrawTextBox(label.c_str(), (InsetLeft + InsetRight) / 2, InsetBottom - 0.01f);
        }
        OpenPictureMenu(now, {InsetLeft - kFrameMargin, InsetTop - kFrameMargin},
                        {InsetRight + kFrameMargin, InsetBottom + kFrameMargin});
        if (DX.backSurface) {
            const SViewRect r = InsetPixels(DX.screenWidth, DX.screenHeight);
            RECT from{r.left, r.top, r.right, r.bottom};
            PreviewSurface->Blt(nullptr, DX.backSurface, &from, DDBLT_WAIT, nullptr);
        }
        // The screens after it draw over the whole view again.
        ClearViewRect();
        return;
    }
    if (PictureShows(now) && PictureMenuOpen && ScreenRenderHooks.render[SCREEN_PICTURE])
        ScreenRenderHooks.render[SCREEN_PICTURE](now);
}

void ShowInsetPicture(int32_t now)
{
    if (!PictureShows(now) || !DX.backSurface)
        return;
    const SViewRect r = InsetPixels(DX.screenWidth, DX.screenHeight);
    RECT to{r.left, r.top, r.right, r.bottom};
    DX.backSurface->Blt(&to, PreviewSurface, nullptr, DDBLT_WAIT, nullptr);
}

bool FinishInsetFrame()
{
    if (InsetViewState != 1)
        return false;
    InsetViewState = 2;
    PointedObject = InsetObject;
    RestoreShownFlags();
    return true;
}
