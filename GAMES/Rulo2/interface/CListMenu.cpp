#include "GAMES/Rulo2/interface/CListMenu.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/interface/CMenuCheckBox.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/ScreenTracks.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CRootNode.h"

CListMenu ListMenu;

namespace {
constexpr uint16_t kOkModel = 417, kCancelModel = 414;
constexpr float kButtonSize = 0.06f;
} // namespace

void CListMenu::Build(int32_t now, const char* prompt, const char* initialText)
{
    time = lastTime = now;
    auto* backdrop = new CMenuGlow(this);
    backdrop->Setup(CMenuQuad::Corner{-0.85f, -0.65f}, CMenuQuad::Colour{0.1f, 0.1f, 0.1f, 0.5f},
                    CMenuQuad::Corner{0.85f, 0.2f}, CMenuQuad::Colour{0.3f, 0.3f, 0.4f, 0.6f});
    backdrop->selectable = 0;
    backdropIndex = AddElement(backdrop);
    backdrop->Release();

    const float flat[3] = {0, 0, 0};
    firstButton = ElementCount();
    okButton = AddButton(GameResourceModel(kOkModel), MenuPoint{-0.3f, 0.0f}, flat, kButtonSize, true);
    cancelButton = AddButton(GameResourceModel(kCancelModel), MenuPoint{0.3f, 0.0f}, flat, kButtonSize, true);
    lastButton = ElementCount() - 1;
    PlayAll();

    const float sizes[4] = {0.07f, 0.09f, 0.05f, 0.01f};
    promptIndex = AddText(prompt ? prompt : "", MenuPoint{0.0f, -0.5f}, 2, sizes);
    Element(promptIndex)->SetState(0);

    auto* edit = new CMenuEditField(this);
    edit->Setup(MenuPoint{-0.75f, -0.19f}, MenuPoint{0.75f, -0.11f});
    edit->glyphWidth = sizes[0];
    edit->glyphHeight = sizes[1];
    edit->SetText(initialText);
    edit->SetState(0);
    fieldIndex = AddElement(edit);
    field = edit;
    edit->Release();

    AddTextFadeTracks(*this, 300);
    AddTextFadeTracks(field, 300);
    clicked = cancelled = 0;
    introRunning = 1;
    underMouse = -1;
}

const char* CListMenu::GetChoice() const
{
    return field ? field->text.c_str() : "";
}

void CListMenu::UpdateHover(const MenuPoint* point)
{
    if (MenuInputBlocked)
        return;
    tooltipRequested = 0;
    underMouse = hovered = -1;
    if (!point)
        return;
    for (int32_t i = 0; i < ElementCount(); ++i)
        if (CMenuElement* e = elements[size_t(i)]; e && e->HitTest(point)) {
            underMouse = hovered = i;
            break;
        }
    if (underMouse == okButton)
        SetTooltip(GetDisplayText("OK"), -1);
    else if (underMouse == cancelButton)
        SetTooltip(GetDisplayText("CANCEL"), -1);
    RestButtonFigures(*this, 0, ElementCount() - 1, underMouse, kButtonSize, false);
}

void CListMenu::HandleInput()
{
    CMenu::HandleInput();
    if (!leftReleased || underMouse < 0)
        return;
    if (underMouse == okButton) {
        clicked = 1;
        cancelled = 0;
    } else if (underMouse == cancelButton) {
        clicked = cancelled = 1;
    }
}

int32_t CListMenu::Render(int32_t now)
{
    time = now;
    TextEntryActive = 1;
    BeforeInput();
    HandleInput();
    if (introRunning && TrackEnded(Element(backdropIndex))) {
        introRunning = 0;
        for (int32_t index : {promptIndex, fieldIndex})
            if (CMenuElement* e = Element(index))
                e->SetState(1);
        if (field)
            field->PlayTrack("start");
    }
    lastTime = now;
    CMenu::Render(now);
    if (!MenuInputBlocked && ScreenFade.IsFinished())
        DrawTooltip();
    SetScreenRect(0, 0, DX.screenWidth, DX.screenHeight);
    if (cancelled) {
        TextEntryActive = 0;
        ClearScreenRect();
        return 0;
    }
    const bool confirmedInField = field && field->confirmed;
    if (field)
        field->confirmed = 0;
    if (confirmedInField || clicked) {
        TextEntryActive = 0;
        ClearScreenRect();
        return 1;
    }
    return -1;
}
