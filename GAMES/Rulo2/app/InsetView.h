#pragma once
// The game step's inset view: a small second view of one object in the view's top-left corner.
// In PLANNING the picked object shows the objects its alarm-system and remote-switch tasks name
// (one after the other, labelled "n/count"); in BURGLARY the inset shows the object that raised
// the alarm. One frame renders the inset's picture (that frame is not presented); from 300 ms
// after, every frame copies the picture into its corner.
#include <cstdint>

#include "GAMES/Rulo2/render/ViewRects.h"

class CWorldObject;

// The inset's rectangle in the interface's -1..1 units: a third of the view each way, a little
// away from the top-left corner (the HUD bar lies along the bottom, the corner zone top right).
constexpr float InsetLeft = -0.95f, InsetTop = -0.95f;
constexpr float InsetRight = InsetLeft + 2.0f / 3.0f, InsetBottom = InsetTop + 2.0f / 3.0f;

// The object the inset was prepared for: the picked object (PLANNING) or the alarm's object.
extern CWorldObject* InsetObject;
// When the inset was prepared (frame time, ms).
extern int32_t InsetPreparedTime;
// The shown object's flags byte before the inset frame: that frame clears its run-time hiding
// bit 4 (the first-person view hides the followed character) so the inset shows it; the byte is
// put back after the frame.
extern uint8_t InsetSavedFlags;

// Step 6, after the candidate became the picked object: prepares the inset of the alarm's object
// (BURGLARY) or of the picked object (PLANNING, or with the alarm override), or drops it when
// nothing is picked.
void UpdateInsetView(int32_t now);
// Drops the inset: its surface, its object and state, the picture screen's view rectangle.
void ReleaseInsetView();
// Before the world pass: the frame that renders the inset draws the world into the inset's
// rectangle alone; every other frame draws the whole view.
void SetInsetViewRect();
// Inside the scene after the world pass: the inset frame draws the label, opens the picture
// screen and copies the picture; later frames render the picture screen once the picture shows.
void DrawInsetInScene(int32_t now);
// After the scene: the inset picture is copied into its rectangle once 300 ms have passed.
void ShowInsetPicture(int32_t now);
// The end of the step: true when this frame rendered the inset (it is not presented); the
// candidate becomes the inset object again and the shown object's flags are put back.
bool FinishInsetFrame();
// The inset's rectangle in pixels of a w x h view: a corner v becomes (v + 1) * size / 2.
SViewRect InsetPixels(int32_t w, int32_t h);
