#include "GAMES/Rulo2/interface/CMenu.h"

#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/interface/CMenuCheckBox.h"
#include "GAMES/Rulo2/interface/CMenuContainer.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "LIBS/System/sString.h"
#include "platform/crt/Crt.h"

namespace {

constexpr uint16_t kButtonBack = 530, kButtonFront = 531;
constexpr int32_t kTooltipsOff = 10000;

} // namespace

float MenuAspect()
{
    return DX.screenWidth > 0 ? float(DX.screenHeight) / float(DX.screenWidth) : 0.75f;
}

int32_t MenuClock()
{
    return int32_t(GameClock.frameTime);
}

CMenu::~CMenu()
{
    RemoveAllElements();
}

int32_t CMenu::AddElement(CMenuElement* element, uint32_t groupWord)
{
    if (element) {
        if (groupWord)
            element->group = groupWord;
        element->AddRef();
    }
    elements.push_back(element);
    return int32_t(elements.size()) - 1;
}

void CMenu::RemoveElements(int32_t first, int32_t count)
{
    if (first < 0 || count <= 0 || first >= ElementCount())
        return;
    count = std::min(count, ElementCount() - first);
    for (int32_t i = first + count; i-- > first;)
        if (CMenuElement* e = elements[size_t(i)])
            e->Release();
    elements.erase(elements.begin() + first, elements.begin() + first + count);
}

void CMenu::PlayAll()
{
    started = 1;
    for (CMenuElement* e : elements)
        if (e)
            e->PlayTrack("start");
}

void CMenu::PlayGroup(const char* trackName, uint32_t mask)
{
    for (CMenuElement* e : elements)
        if (e && (e->group & mask))
            e->PlayTrack(trackName);
}

void CMenu::ShowGroup(uint8_t state, uint32_t mask)
{
    for (CMenuElement* e : elements)
        if (e && (e->group & mask))
            e->SetState(state);
}

void CMenu::SetGroupSelectable(uint8_t value, uint32_t mask)
{
    for (CMenuElement* e : elements)
        if (e && (e->group & mask))
            e->selectable = value;
}

void CMenu::HandleInput()
{
    leftPressed = leftReleased = rightPressed = rightReleased = 0;
    doubleClick = Input.doubleClick;
    if (!leftHeld && Input.leftButton) {
        leftPressed = 1;
        leftHeld = 1;
    } else if (leftHeld && !Input.leftButton) {
        leftReleased = 1;
        leftHeld = 0;
    }
    if (!rightHeld && Input.rightButton) {
        rightPressed = 1;
        rightHeld = 1;
    } else if (rightHeld && !Input.rightButton) {
        rightReleased = 1;
        rightHeld = 0;
    }
}

void CMenu::UpdateHover(const MenuPoint* point)
{
    hovered = -1;
    // Over the tutorial's emblem no screen hovers anything.
    if (MenuInputBlocked || !point || Tutorial.hovered)
        return;
    for (int32_t i = 0; i < ElementCount(); ++i)
        if (CMenuElement* e = elements[size_t(i)]; e && e->HitTest(point)) {
            hovered = i;
            return;
        }
}

MenuPoint MenuCursor()
{
    const int32_t halfW = DX.screenWidth / 2, halfH = DX.screenHeight / 2;
    if (halfW <= 0 || halfH <= 0)
        return MenuPoint{0, 0};
    return MenuPoint{float(Input.cursorX - halfW) / float(halfW),
                     float(Input.cursorY - halfH) / float(halfH)};
}

int32_t CMenu::Render(int32_t now)
{
    time = now;
    CD3DLight* sun = GameResourceSun();
    D3DVECTOR sunPosition{};
    uint32_t ambient = 0;
    // The menu's own light: from the upper right, in front of the figures.
    if (sun) {
        sunPosition = sun->light.dvPosition;
        sun->light.dvPosition = D3DVECTOR{20.0f, 20.0f, -20.0f};
        if (DX.device && sun->slot >= 0)
            DX.device->SetLight(uint32_t(sun->slot), &sun->light);
        if (DX.device) {
            DX.device->GetRenderState(D3DRENDERSTATE_AMBIENT, &ambient);
            DX.device->SetRenderState(D3DRENDERSTATE_AMBIENT, 0x787878);
        }
    }
    D3DMATRIX savedView{};
    if (DX.device) {
        DX.device->GetTransform(D3DTRANSFORMSTATE_VIEW, &savedView);
        CMatrix view;
        view.lookAt(CVector(0, 0, -2), CVector(0, 0, 0), CVector(0, 1, 0));
        D3DMATRIX v;
        std::memcpy(v.m, view.m, sizeof(v.m));
        DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &v);
    }

    if (DX.screenWidth / 2 > 0 && DX.screenHeight / 2 > 0)
        mouse = MenuCursor();
    UpdateHover(&mouse);

    for (int32_t i = 0; i < ElementCount(); ++i)
        DrawElement(i, now);

    if (DX.device)
        DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &savedView);
    if (sun) {
        sun->light.dvPosition = sunPosition;
        if (DX.device && sun->slot >= 0)
            DX.device->SetLight(uint32_t(sun->slot), &sun->light);
        if (DX.device)
            DX.device->SetRenderState(D3DRENDERSTATE_AMBIENT, ambient);
    }
    return -1;
}

void CMenu::DrawElement(int32_t index, int32_t now)
{
    CMenuElement* e = Element(index);
    if (!e)
        return;
    if (e->active)
        e->DrawActive(now);
    else if (index == hovered || index == pressed)
        e->DrawHighlighted(now);
    else
        e->DrawNormal(now);
}

void CMenu::SetTooltip(const char* key, int32_t delay)
{
    const int32_t clock = MenuClock();
    tooltipRequested = 1;
    tooltipAnchor = MenuPoint{mouse.x + 0.05f, mouse.y + 0.05f};
    if (key != tooltipKey) {
        tooltipKey = key;
        tooltipChangeTime = clock;
        tooltipVisible = 1;
    }
    tooltipText = key ? key : "";
    tooltipDelay = delay == -1 ? Settings.toolTipDelay : delay;
    tooltipVisible = tooltipDelay == 0 ? 1 : 0;
    const bool moved = tooltipAnchor.x != tooltipLastAnchor.x || tooltipAnchor.y != tooltipLastAnchor.y;
    if (moved && tooltipDelay > 0) {
        tooltipVisible = 0;
        tooltipChangeTime = clock;
    } else if (std::abs(int64_t(clock) - int64_t(tooltipChangeTime)) > int64_t(tooltipDelay)) {
        tooltipVisible = 1;
    }
    tooltipLastAnchor = tooltipAnchor;
    if (Settings.toolTipDelay == kTooltipsOff)
        tooltipRequested = 0;
}

void CMenu::DrawTooltip()
{
    if (tooltipRequested && tooltipVisible) {
        const int32_t clock = MenuClock();
        const float phase = float(clock & 0x1FFF) / 8192.0f * 6.2831855f;
        MenuPoint anchor{tooltipAnchor.x - 10.0f * std::cos(phase) / 300.0f,
                         tooltipAnchor.y - 5.0f * std::sin(2.0f * phase) / 500.0f};
        SetZEnable(false);

        sString wrapped(tooltipText.c_str());
        wrapped.wordWrap(45);
        CMenuText label(this);
        label.SetPosition({anchor.x + 0.035f, anchor.y + 0.035f});
        label.text.assign(wrapped.c_str(), size_t(wrapped.length));
        float extent[2];
        label.GetTextSize(extent);
        const float shiftX =
            anchor.x + extent[0] + 0.05f > 1.0f ? 1.0f - (anchor.x + extent[0] + 0.05f) : 0.0f;
        const float shiftY =
            anchor.y + extent[1] + 0.05f > 1.0f ? 1.0f - (anchor.y + extent[1] + 0.05f) : 0.0f;
        const MenuPoint at{anchor.x + shiftX, anchor.y + shiftY};

        tooltipBox[0] = at.x;
        tooltipBox[1] = at.y;
        tooltipBox[2] = at.x + extent[0] + 0.05f;
        tooltipBox[3] = at.y + extent[1] + 0.05f;
        CMenuGlow box(this);
        box.Setup({at.x, at.y}, {0, 0, 0, 0.7f}, {tooltipBox[2], tooltipBox[3]}, {0, 0, 0, 0.7f});
        box.PlayTrack("none");
        box.selectable = 0;
        box.DrawNormal(clock);

        label.SetPosition({at.x + 0.025f, at.y + 0.025f});
        label.DrawNormal(clock);
    }
    // A tooltip shows only in frames that ask for it.
    tooltipRequested = 0;
    SetZEnable(true);
}

void CMenu::DrawBar(MenuPoint topLeft, MenuPoint bottomRight, float f, bool reversed, bool vertical)
{
    const int32_t clock = MenuClock();
    const CMenuQuad::Colour fill =
        reversed ? CMenuQuad::Colour{f, 1.0f - f, 0.0f, 1.0f} : CMenuQuad::Colour{1.0f - f, f, 0.0f, 1.0f};
    const float left = topLeft.x + 0.015f, right = bottomRight.x - 0.015f;
    const float top = topLeft.y + 0.015f, bottom = bottomRight.y - 0.015f;
    CMenuQuad bar(this);
    if (!vertical) {
        CMenuGlow box(this);
        box.Setup({topLeft.x, topLeft.y}, {0.1f, 0.1f, 0.1f, 0.5f}, {bottomRight.x, bottomRight.y},
                  {0.3f, 0.3f, 0.4f, 0.6f});
        box.PlayTrack("none");
        box.DrawNormal(clock);
        bar.SetGeometry({left, top}, {left + (right - left) * f, bottom}, fill);
    } else {
        CMenuQuad box(this);
        box.SetGeometry({topLeft.x, topLeft.y}, {bottomRight.x, bottomRight.y}, {0.3f, 0.3f, 0.4f, 0.6f});
        box.DrawNormal(clock);
        bar.SetGeometry({left, bottom + (top - bottom) * f}, {right, bottom}, fill);
    }
    bar.DrawNormal(clock);
}

void CMenu::DrawSmallBar(MenuPoint position, float fraction, bool reversed, bool vertical)
{
    DrawBar(position, {position.x + 0.3f, position.y + 0.05f}, fraction, reversed, vertical);
}

void SetQuadRect(CMenuQuad* quad, MenuPoint c, float s)
{
    if (!quad)
        return;
    const float sx = s * MenuAspect();
    quad->key.vertices[0] = MenuVertex{c.x - sx, c.y - s, 0, 0, 1, 1, 1, 1};
    quad->key.vertices[1] = MenuVertex{c.x + sx, c.y - s, 1, 0, 1, 1, 1, 1};
    quad->key.vertices[2] = MenuVertex{c.x + sx, c.y + s, 1, 1, 1, 1, 1, 1};
    quad->key.vertices[3] = MenuVertex{c.x - sx, c.y + s, 0, 1, 1, 1, 1, 1};
}

int32_t CMenu::AddPlate(MenuPoint centre, float halfSize, int32_t blendMode, uint16_t image)
{
    auto* quad = new CMenuQuad(this);
    quad->key.texture = GameResourceTexture(image);
    quad->blendMode = blendMode;
    SetQuadRect(quad, centre, halfSize);
    auto* track = new CQuadTrack(this);
    track->name = "default";
    track->AddKey(0, quad->key, 0);
    quad->AddTrack(track);
    track->Release();
    quad->PlayTrack("default");
    quad->selectable = 0;
    const int32_t index = AddElement(quad, 0);
    quad->Release();
    return index;
}

int32_t CMenu::AddButtonPlate(MenuPoint centre, float halfSize)
{
    return AddPlate(centre, halfSize, 4, kButtonBack);
}

int32_t CMenu::AddButtonPlateFront(MenuPoint centre, float halfSize)
{
    return AddPlate(centre, halfSize, 2, kButtonFront);
}

int32_t CMenu::AddButton(CRootNode* model, MenuPoint position, const float angles[3], float size,
                         bool withPlates)
{
    // The figure's y axis points up, the screen's down.
    const MenuPoint plateCentre{position.x, -position.y};
    const float half = 0.17f;
    if (withPlates)
        AddPlate(plateCentre, half, 4, kButtonBack);

    auto* figure = new CMenuFigure(this);
    figure->model = model;
    figure->PlaceOnSnapper(1);
    const float radius = model && model->boundsRadius != 0.0f ? model->boundsRadius : 1.0f;
    const float s = size / radius;
    figure->state.scale[0] = figure->state.scale[1] = figure->state.scale[2] = s;
    auto add = [&](const char* trackName, std::initializer_list<std::pair<int32_t, FigureKey>> keys,
                   int32_t kind, int32_t loop) {
        auto* track = new CFigureTrack(this);
        track->name = trackName;
        track->loop = loop;
        for (const auto& k : keys)
            track->AddKey(k.first, k.second, kind);
        figure->AddTrack(track);
        track->Release();
    };
    auto pulse = [&](float scale) {
        FigureKey k = AlphaKey(1.0f);
        k.hasScale = 1;
        k.value.scale[0] = k.value.scale[1] = k.value.scale[2] = scale;
        return k;
    };
    add("start", {{0, AlphaKey(0.0f)}, {300, AlphaKey(1.0f)}}, 0, 0);
    add("end", {{0, AlphaKey(1.0f)}, {300, AlphaKey(0.0f)}}, 0, 0);
    add("mouseover", {{0, pulse(s)}, {400, pulse((size + 0.02f) / radius)}, {800, pulse(s)}}, 3, 1);
    add("default", {{0, AlphaKey(1.0f)}}, 0, 0);
    figure->PlayTrack("start");
    figure->state.position[0] = position.x;
    figure->state.position[1] = position.y;
    for (int i = 0; i < 3; ++i)
        figure->state.rotation[i] = angles ? angles[i] : 0.0f;
    figure->selectable = 1;
    const int32_t index = AddElement(figure, 0);
    figure->Release();

    if (withPlates)
        AddPlate(plateCentre, half, 2, kButtonFront);
    return index;
}

int32_t CMenu::AddFigure(CRootNode* model, MenuPoint position, const float angles[3], float size,
                         bool startTrack)
{
    auto* figure = new CMenuFigure(this);
    figure->Setup(model, position, size, 0, 1, startTrack);
    figure->SetState(0);
    for (int i = 0; i < 3; ++i)
        figure->state.rotation[i] = angles ? angles[i] : 0.0f;
    const int32_t index = AddElement(figure, 0);
    figure->Release();
    return index;
}

int32_t CMenu::AddText(const char* text, const void*, MenuPoint position, int32_t layout,
                       const float metrics[4])
{
    return AddText(text, position, layout, metrics);
}

int32_t CMenu::AddText(const char* text, MenuPoint position, int32_t layout, const float metrics[4])
{
    auto* element = new CMenuText(this);
    element->SetPosition(position);
    element->text = text ? text : "";
    element->SetState(1);
    element->alignment = layout;
    if (metrics) {
        element->glyphWidth = metrics[0];
        element->glyphHeight = metrics[1];
        element->advance = metrics[2];
        element->lineHeight = metrics[3];
    }
    const int32_t index = AddElement(element, 0);
    element->Release();
    return index;
}

int32_t CMenu::AddContainer(MenuPoint topLeft, MenuPoint bottomRight, float minimum, float maximum,
                            int32_t steps, uint8_t arrows, int32_t orientation)
{
    auto* slider = new CMenuContainer(this);
    slider->Build(topLeft, bottomRight, minimum, maximum, steps, arrows, orientation);
    const int32_t index = AddElement(slider, 0);
    slider->Release();
    return index;
}

int32_t CMenu::AddCheckBox(MenuPoint topLeft, MenuPoint bottomRight)
{
    auto* box = new CMenuCheckBox(this);
    box->Setup(topLeft, bottomRight);
    const int32_t index = AddElement(box, 0);
    box->Release();
    return index;
}

void DrawText2D(const char* text, MenuPoint position, int32_t layout, const float glyphSize[2],
                const float spacing[2], const float colour[3])
{
    CMenu menu;
    menu.time = MenuClock();
    CMenuText element(&menu);
    element.SetPosition(position);
    element.text = text ? text : "";
    element.alignment = layout;
    element.glyphWidth = glyphSize[0];
    element.glyphHeight = glyphSize[1];
    element.advance = spacing[0];
    element.lineHeight = spacing[1];
    for (int i = 0; i < 3; ++i)
        element.normalColour[i] = colour[i];
    element.SetState(1);
    element.DrawNormal(menu.time);
}

std::string FormatWeight(float weight, bool withUnit)
{
    const double w = weight;
    if (std::fmod(w, 0.5) <= 0.00005)
        return crt::Format("%d%s", int(2 * w), withUnit ? "lbs" : "");
    if (w < 0.5)
        return crt::Format("%d%s", int(32 * w), withUnit ? "oz" : "");
    return crt::Format("%.1f%s", 2 * w, withUnit ? "lbs" : "");
}

void ReleaseElement(CMenuElement* element)
{
    if (element)
        element->Release();
}
