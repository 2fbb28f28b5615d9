#include "GAMES/Rulo2/interface/CPictureMenu.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/render/ViewRects.h"

CPictureMenu PictureMenu;

void CPictureMenu::Build(int32_t now, MenuPoint from, MenuPoint to)
{
    topLeft = from;
    bottomRight = to;
    time = lastTime = now;
    auto* frame = new CMenuGlow(this);
    frame->Setup(CMenuQuad::Corner{from.x, from.y}, CMenuQuad::Colour{0.1f, 0.1f, 0.1f, 0.5f},
                 CMenuQuad::Corner{to.x, to.y}, CMenuQuad::Colour{0.3f, 0.3f, 0.4f, 0.6f});
    frameIndex = AddElement(frame, 0);
    frame->Release();
    // Only a frame: the screen never has a hovered element or a tooltip.
    Element(frameIndex)->selectable = 0;
    PlayAll();
    started = 1;
    Element(frameIndex)->SetState(1);
    Element(frameIndex)->PlayTrack("none");
}

int32_t CPictureMenu::Render(int32_t now)
{
    lastTime = now;
    CMenu::Render(now);
    const int32_t w = DX.screenWidth, h = DX.screenHeight;
    const int32_t left = int32_t((topLeft.x + 1) * float(w) / 2);
    const int32_t top = int32_t((topLeft.y + 1) * float(h) / 2);
    const int32_t right = int32_t((bottomRight.x + 1) * float(w) / 2);
    const int32_t bottom = int32_t((bottomRight.y + 1) * float(h) / 2);
    SetViewRect(left, top, right, bottom);
    return -1;
}
