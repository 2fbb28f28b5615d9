#include "GAMES/Rulo2/interface/CMessageMenu.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/ScreenTracks.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "LIBS/System/sString.h"

CMessageMenu MessageMenu;

namespace {
constexpr uint16_t kConfirmModel = 414, kCancelModel = 417;
constexpr float kButtonSize = 0.06f;
} // namespace

void CMessageMenu::Build(int32_t now, const char* message, int32_t twoButtons)
{
    sString wrapped;
    wrapped = message ? message : "";
    const int32_t lines = wrapped.wordWrap(25);
    text.assign(wrapped.text ? wrapped.text : "", size_t(wrapped.length));
    const float h = float(lines) * 0.08f;
    startTime = lastTime = now;
    time = now;

    auto* panel = new CMenuGlow(this);
    panel->Setup(CMenuQuad::Corner{-0.6f, -0.6f}, CMenuQuad::Colour{0.1f, 0.1f, 0.1f, 0.5f},
                 CMenuQuad::Corner{0.6f, h - 0.2f}, CMenuQuad::Colour{0.3f, 0.3f, 0.4f, 0.6f});
    panelIndex = AddElement(panel);
    panel->Release();

    const float flat[3] = {0, 0, 0};
    const float y = 0.35f - h;
    if (twoButtons == 1) {
        firstButtonIndex =
            AddButton(GameResourceModel(kConfirmModel), MenuPoint{-0.2f, y}, flat, kButtonSize, false);
        secondButtonIndex =
            AddButton(GameResourceModel(kCancelModel), MenuPoint{0.2f, y}, flat, kButtonSize, false);
    } else {
        firstButtonIndex =
            AddButton(GameResourceModel(kConfirmModel), MenuPoint{0.0f, y}, flat, kButtonSize, false);
        secondButtonIndex = -2;
    }
    lastButtonIndex = ElementCount() - 1;
    PlayAll();

    const float sizes[4] = {0.05f, 0.1f, 0.04f, 0.08f};
    textIndex = AddText(text.c_str(), MenuPoint{0.0f, -0.5f}, 2, sizes);
    Element(textIndex)->SetState(0);
    AddTextFadeTracks(*this, 500);
    confirmed = cancelled = 0;
    introRunning = 1;
    hoveredIndex = -1;
}

void CMessageMenu::UpdateHover(const MenuPoint* point)
{
    hoveredIndex = hovered = -1;
    if (Tutorial.hovered || !point)
        return;
    for (int32_t i = 0; i < ElementCount(); ++i)
        if (CMenuElement* e = elements[size_t(i)]; e && e->HitTest(point)) {
            hoveredIndex = hovered = i;
            break;
        }
    RestButtonFigures(*this, 0, ElementCount() - 1, hoveredIndex, kButtonSize, false);
}

void CMessageMenu::HandleInput()
{
    CMenu::HandleInput();
    if (!leftReleased || hoveredIndex < 0)
        return;
    if (hoveredIndex == firstButtonIndex) {
        confirmed = 1;
        cancelled = 0;
    } else if (hoveredIndex == secondButtonIndex) {
        cancelled = 1;
        confirmed = 0;
    }
}

int32_t CMessageMenu::Render(int32_t now)
{
    time = now;
    BeforeInput();
    HandleInput();
    if (introRunning && TrackEnded(Element(panelIndex))) {
        introRunning = 0;
        if (CMenuElement* t = Element(textIndex)) {
            t->SetState(1);
            t->PlayTrack("start");
        }
    }
    lastTime = now;
    CMenu::Render(now);
    SetScreenRect(0, 0, DX.screenWidth, DX.screenHeight);
    if (cancelled) {
        ClearScreenRect();
        return 0;
    }
    if (confirmed) {
        ClearScreenRect();
        return 1;
    }
    return -1;
}
