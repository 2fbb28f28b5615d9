#include "GAMES/Rulo2/interface/CPPMenu.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/interface/InfoTexts.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/interface/ScreenTracks.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

CPPMenu PPMenu;

void OverlayNoiseWindow(int32_t noise, int32_t threshold)
{
    PPMenu.KeepNarrowestWindow(noise, threshold);
}

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr uint16_t kGoModel = 417, kStopModel = 414, kAlarmModel = 583;
constexpr float kButtonSize = 0.06f;

CMenuGlow* AddGlow(CMenu& menu, float left, float top, float right, float bottom, int32_t& index)
{
    auto* glow = new CMenuGlow(&menu);
    glow->Setup(CMenuQuad::Corner{left, top}, CMenuQuad::Colour{0.1f, 0.1f, 0.1f, 0.5f},
                CMenuQuad::Corner{right, bottom}, CMenuQuad::Colour{0.3f, 0.3f, 0.4f, 0.6f});
    index = menu.AddElement(glow);
    glow->Release();
    return glow;
}

int32_t AddImageQuad(CMenu& menu, uint16_t image, float left, float top, float right, float bottom, float u0,
                     float v0, float u1, float v1)
{
    auto* quad = new CMenuQuad(&menu);
    quad->SetGeometry(CMenuQuad::Corner{left, top}, CMenuQuad::Corner{right, bottom},
                      CMenuQuad::Colour{1, 1, 1, 1});
    const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
    for (int i = 0; i < 4; ++i) {
        quad->key.vertices[i].u = us[i];
        quad->key.vertices[i].v = vs[i];
    }
    quad->key.texture = GameResourceTexture(image);
    const int32_t index = menu.AddElement(quad);
    quad->Release();
    return index;
}

// A frame plate, the icon cut from its sheet and the plate's rim; the icon's index.
int32_t AddIconGroup(CMenu& menu, uint16_t image, MenuPoint centre, float u0)
{
    const float half = 0.17f / 2.0f;
    const MenuPoint screen{centre.x, -centre.y};
    menu.AddButtonPlate(screen, half);
    const int32_t icon = AddImageQuad(menu, image, screen.x - half, screen.y - half, screen.x + half,
                                      screen.y + half, u0, 0.752f, u0 + 0.116f, 0.868f);
    menu.Element(icon)->selectable = 1;
    menu.AddButtonPlateFront(screen, half);
    return icon;
}

} // namespace

void CPPMenu::ShowGroup(int32_t middle, uint8_t on)
{
    for (int32_t i = middle - 1; i <= middle + 1; ++i)
        if (CMenuElement* e = Element(i))
            e->SetState(on);
    if (CMenuElement* e = Element(middle))
        e->selectable = on;
}

void CPPMenu::KeepNarrowestWindow(int32_t noise, int32_t threshold)
{
    const int32_t stored = frameNoise == 0 && frameThreshold == 0 ? 100000 : frameThreshold - frameNoise;
    if (threshold - noise >= stored)
        return;
    frameNoise = noise;
    frameThreshold = threshold;
    if (noise > 0 || threshold > 0) {
        shownNoise = noise;
        shownThreshold = threshold;
        fading = 0;
    }
}

void CPPMenu::Build(int32_t now)
{
    time = lastTime = now;
    memberCount = std::min(PlanMemberArray.count(), kMaxMembers);
    const float w = 0.4f * float(memberCount);
    AddGlow(*this, -w / 2 - 0.05f, -0.35f, w / 2 + 0.05f, 0.15f, stripBackdrop);
    Element(stripBackdrop)->SetState(0);
    for (int32_t i = 0; i < kMaxMembers; ++i) {
        memberFigures[i] = -2;
        memberTexts[i].clear();
    }
    for (int32_t i = 0; i < memberCount; ++i) {
        CWorldObject* member = PlanMemberArray[size_t(i)].member;
        if (!member)
            continue;
        const float flat[3] = {0, 0, 0};
        memberFigures[i] =
            AddFigure(member->GetShapeRoot(),
                      MenuPoint{0.2f - 0.2f * float(memberCount) + 0.4f * float(i), 0.0f}, flat, 0.2f, false);
        auto* figure = static_cast<CMenuFigure*>(Element(memberFigures[i]));
        figure->PlaceOnSnapper(0);
        figure->selectable = 1;
        BuildCharacterInfo(memberTexts[i], member);
    }

    AddGlow(*this, -0.5f, -0.2f, 0.5f, 0.25f, requesterBackdrop);
    const float sizes[4] = {0.05f, 0.08f, 0.04f, 0.07f};
    requesterText = AddText(GetDisplayText("MENU_PP_REQUESTER"), MenuPoint{0.0f, -0.12f}, 2, sizes);
    Element(requesterText)->SetState(0);

    alarmQuadA = AddImageQuad(*this, 581, -0.95f, -0.95f, -0.55f, -0.75f, 0, 0, 1, 1);
    const float flat[3] = {0, 0, 0};
    alarmFigure =
        AddFigure(GameResourceModel(kAlarmModel), MenuPoint{-0.75f, 0.7f}, flat, 0.8f * 0.1f, false);
    alarmQuadB = AddImageQuad(*this, 580, -0.95f, -0.75f, -0.55f, -0.55f, 0, 0, 1, 1);

    firstButton = ElementCount();
    proceedButton = AddButton(GameResourceModel(kGoModel), MenuPoint{0.2f, -0.82f}, flat, kButtonSize, true);
    cancelButton = AddButton(GameResourceModel(kStopModel), MenuPoint{0.2f, -0.82f}, flat, kButtonSize, true);
    yesButton = AddButton(GameResourceModel(kGoModel), MenuPoint{-0.2f, -0.1f}, flat, kButtonSize, true);
    noButton = AddButton(GameResourceModel(kStopModel), MenuPoint{0.2f, -0.1f}, flat, kButtonSize, true);
    lastButton = ElementCount() - 1;

    takeOverButton = AddIconGroup(*this, 584, MenuPoint{0.2f, 0.82f}, 0.142f);
    selectButton = AddIconGroup(*this, 585, MenuPoint{0.5f, 0.82f}, 0.442f);

    PlayAll();
    AddTextFadeTracks(*this, 300);
    ShowGroup(proceedButton, 1);
    ShowGroup(cancelButton, 0);
    closed = cancelled = 0;
    requesterShown = 0;
    frameNoise = frameThreshold = shownNoise = shownThreshold = 0;
    fading = 0;
    underMouse = -1;
}

void CPPMenu::UpdateHover(const MenuPoint* point)
{
    if (MenuInputBlocked)
        return;
    tooltipRequested = 0;
    underMouse = hovered = -1;
    if (!point)
        return;
    for (int32_t i = 0; i < ElementCount(); ++i) {
        CMenuElement* e = elements[size_t(i)];
        if (!e || !e->HitTest(point))
            continue;
        if (requesterShown && i != yesButton && i != noButton)
            break;
        const char* tip = nullptr;
        if (i == proceedButton)
            tip = GamePhase == PHASE_PLANNING   ? GetDisplayText("TTIP_PP_SE")
                  : GamePhase == PHASE_BURGLARY ? GetDisplayText("TTIP_PP_PROCEED")
                                                : nullptr;
        else if (i == takeOverButton)
            tip = GetDisplayText("TTIP_PP_TAKEOVER");
        else if (i == selectButton)
            tip = GetDisplayText("TTIP_PP_SELECT");
        else if (i == cancelButton)
            tip = GetDisplayText("TTIP_PP_CANCEL");
        for (int32_t m = 0; m < kMaxMembers; ++m)
            if (i == memberFigures[m] && (m == 0 || memberCount > m))
                tip = memberTexts[m].c_str();
        if (tip)
            SetTooltip(tip, -1);
        underMouse = hovered = i;
        break;
    }
    RestButtonFigures(*this, firstButton, lastButton, underMouse, kButtonSize, true);
}

void CPPMenu::HandleInput()
{
    if (MenuInputBlocked)
        return;
    CMenu::HandleInput();
    const bool escape = Input.menuKey == 8;
    if (!(leftReleased && underMouse >= 0) && !escape)
        return;
    const int32_t h = leftReleased ? underMouse : -1;
    if ((h == proceedButton || escape) && !requesterShown) {
        Input.menuKey = 0;
        if (AlarmRaised) {
            SetPlanMode(PHASE_REALTIME);
            RecordState = RECORD_NORMAL;
            PlanActivity = 0;
            OpenResultsMenu(MenuClock());
            ResultsMenuOpen = 1;
            closed = 1;
        } else if (GamePhase == PHASE_BURGLARY) {
            cancelled = 1;
        } else if (GamePhase == PHASE_PLANNING && PlanActivity == 2) {
            ReleaseUiSurface(1);
            GetUiSurface(1);
            GameClock.gameSpeed = 0;
            requesterShown = 1;
        }
    } else if (requesterShown && (escape || (h != yesButton && h != noButton) || h == noButton)) {
        Input.menuKey = 0;
        requesterShown = 0;
    } else if (h == cancelButton) {
        cancelled = 1;
    } else if (h == yesButton) {
        ShowPlanSlots(true);
        closed = 1;
    } else if (h == selectButton) {
        if (GamePhase == PHASE_PLANNING) {
            // The recording is cut here and the plan then replays from it.
            StopRecording();
            GameClock.gameSpeed = 0;
            RecordState = RECORD_REPLAY;
        }
        CMenuElement* strip = Element(stripBackdrop);
        const uint8_t on = strip && !strip->shown ? 1 : 0;
        if (strip)
            strip->SetState(on);
        for (int32_t figure : memberFigures)
            if (CMenuElement* e = Element(figure))
                e->SetState(on);
    } else {
        for (int32_t m = 0; m < kMaxMembers; ++m)
            if (h >= 0 && h == memberFigures[m]) {
                HudSelectedCharacter = PlanMemberArray[size_t(m)].member;
                if (CMenuElement* strip = Element(stripBackdrop))
                    strip->SetState(0);
                for (int32_t figure : memberFigures)
                    if (CMenuElement* e = Element(figure))
                        e->SetState(0);
            }
    }
    if (underMouse >= 0 && leftPressed && !doubleClick)
        PlayMenuClick();
}

void CPPMenu::DrawMeter(int32_t now)
{
    if (shownNoise == 0 && shownThreshold == 0)
        return;
    const float v = std::clamp(float(shownNoise - shownThreshold) / 30.0f, -1.0f, 1.0f);
    const float f = v / 2.0f + 0.5f;
    float slide = 0.0f;
    if (fading && now - fadeStart > 2000)
        slide = 0.6f * (1.0f - std::cos(kPi / 2.0f * float(now - fadeStart - 2000) / 500.0f));
    const float left = -0.95f, right = -0.91f, top = 0.2f + slide, bottom = 0.8f + slide;
    CMenuQuad quad(this);
    quad.SetGeometry(CMenuQuad::Corner{left - 0.01f, top - 0.01f},
                     CMenuQuad::Corner{right + 0.01f, bottom + 0.01f},
                     CMenuQuad::Colour{0.1f, 0.1f, 0.15f, 0.6f});
    quad.Draw(0.5f);
    const float fillTop = bottom - (bottom - top) * f;
    const CMenuQuad::Colour colour = f > 0.5f ? CMenuQuad::Colour{1, 0, 0, 1} : CMenuQuad::Colour{0, 1, 0, 1};
    if (f > 0.0f) {
        quad.SetGeometry(CMenuQuad::Corner{left, fillTop}, CMenuQuad::Corner{right, bottom}, colour);
        quad.Draw(0.4f);
    }
    const float frame[4][4] = {{left, top, right, top + 0.005f},
                               {left, bottom - 0.005f, right, bottom},
                               {left, top, left + 0.005f, bottom},
                               {right - 0.005f, top, right, bottom}};
    for (const auto& r : frame) {
        quad.SetGeometry(CMenuQuad::Corner{r[0], r[1]}, CMenuQuad::Corner{r[2], r[3]},
                         CMenuQuad::Colour{1, 1, 1, 1});
        quad.Draw(0.3f);
    }
    const float glyph[2] = {0.025f, 0.05f}, spacing[2] = {0.02f, 0.045f}, white[3] = {1, 1, 1};
    DrawText2D(GetDisplayText("MENU_PP_SOUNDSOURCE"), MenuPoint{left, bottom + 0.03f}, 0, glyph, spacing,
               white);
}

int32_t CPPMenu::Render(int32_t now)
{
    time = now;
    // The overlay takes the mouse; the frame clears the flag after its 3-D drawing.
    MenuActive = 1;
    if (GamePhase == PHASE_BURGLARY) {
        ShowGroup(proceedButton, AlarmRaised ? 1 : 0);
        ShowGroup(cancelButton, AlarmRaised ? 0 : 1);
    } else {
        ShowGroup(cancelButton, 0);
        ShowGroup(proceedButton, 1);
    }
    ShowGroup(takeOverButton, 0);
    const uint8_t asking = requesterShown ? 1 : 0;
    for (int32_t index : {requesterBackdrop, requesterText})
        if (CMenuElement* e = Element(index))
            e->SetState(asking);
    ShowGroup(yesButton, asking);
    ShowGroup(noButton, asking);
    if (asking)
        ShowGroup(proceedButton, 0);

    if (CMenuElement* strip = Element(stripBackdrop); strip && strip->shown)
        for (int32_t i = 0; i < kMaxMembers; ++i)
            if (auto* figure = static_cast<CMenuFigure*>(Element(memberFigures[i])))
                figure->state.rotation[1] = float((now + 300 * i) % 1999) / 2000.0f * 2.0f * kPi;

    for (int32_t index : {alarmQuadA, alarmQuadB, alarmFigure})
        if (CMenuElement* e = Element(index))
            e->SetState(AlarmRaised ? 1 : 0);

    HandleInput();
    lastTime = now;
    CMenu::Render(now);
    DrawMeter(now);

    if (frameNoise != shownNoise || frameThreshold != shownThreshold) {
        if (!fading) {
            fading = 1;
            fadeStart = now;
        }
    }
    if (fading && now - fadeStart > 2500) {
        shownNoise = shownThreshold = 0;
        fading = 0;
    }
    frameNoise = frameThreshold = 0;

    if (!MenuInputBlocked && ScreenFade.IsFinished())
        DrawTooltip();
    if (cancelled) {
        ClearScreenRect();
        return -2;
    }
    if (closed) {
        ClearScreenRect();
        return 1;
    }
    if (CMenuElement* strip = Element(stripBackdrop); strip && strip->shown)
        SetScreenRect(0, 0, DX.screenWidth, DX.screenHeight);
    else
        ClearScreenRect();
    return -1;
}
