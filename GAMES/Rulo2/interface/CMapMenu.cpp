#include "GAMES/Rulo2/interface/CMapMenu.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/interface/CMenuContainer.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CMenuText.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/ScreenTracks.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

std::vector<MapSpot> MapSpots;
CMapMenu MapMenu;

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr uint16_t kCloseModel = 417, kZoomModel = 414, kMapPicture = 567;
constexpr float kFigureSize = 0.03f;
constexpr CMenuQuad::Colour kDark{0.1f, 0.1f, 0.1f, 0.5f}, kLight{0.3f, 0.3f, 0.4f, 0.6f};
// The entry of the view-rectangle table the map claims.
constexpr int32_t kMapViewRect = 3;

bool SameSpot(const MapSpot& a, const MapSpot& b)
{
    return std::memcmp(a.position, b.position, sizeof a.position) == 0 && a.radius == b.radius &&
           std::memcmp(a.walkTarget, b.walkTarget, sizeof a.walkTarget) == 0 && a.name == b.name;
}

CMenuGlow* AddFrame(CMenu& menu, MenuPoint topLeft, MenuPoint bottomRight, int32_t& index)
{
    auto* glow = new CMenuGlow(&menu);
    glow->Setup(CMenuQuad::Corner{topLeft.x, topLeft.y}, kDark,
                CMenuQuad::Corner{bottomRight.x, bottomRight.y}, kLight);
    glow->selectable = 1;
    index = menu.AddElement(glow);
    glow->Release();
    return glow;
}

void SetFrameRect(CMenuElement* element, MenuPoint topLeft, MenuPoint bottomRight)
{
    if (auto* glow = static_cast<CMenuGlow*>(element))
        glow->Setup(CMenuQuad::Corner{topLeft.x, topLeft.y}, kDark,
                    CMenuQuad::Corner{bottomRight.x, bottomRight.y}, kLight);
}

void SetTitleBar(CMenuQuad* bar, MenuPoint topLeft, MenuPoint bottomRight)
{
    const float l = topLeft.x - 0.14f, r = bottomRight.x + 0.14f, t = topLeft.y - 0.08f,
                b = topLeft.y - 0.01f;
    const float xs[4] = {l, r, r, l}, ys[4] = {t, t, b, b}, us[4] = {0, 1, 1, 0}, vs[4] = {0, 0, 1, 1};
    for (int32_t i = 0; i < 4; ++i)
        bar->SetVertex(i, MenuVertex{xs[i], ys[i], us[i], vs[i], 1, 1, 1, 1});
}

int32_t AddSlider(CMenu& menu, MenuPoint topLeft, MenuPoint bottomRight)
{
    const int32_t index =
        menu.AddContainer(MenuPoint{topLeft.x + 0.01f, bottomRight.y},
                          MenuPoint{bottomRight.x - 0.01f, bottomRight.y + 0.05f}, 0.0f, 1.0f, 100, 0, 0);
    menu.Element(index)->selectable = 1;
    return index;
}

// One segment of the 2-D layer, as a thin quad across the line.
void DrawSegment(MenuPoint from, MenuPoint to, float width, float depth, const float colour[4])
{
    const float dx = to.x - from.x, dy = to.y - from.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length <= 0.0f)
        return;
    const float aspect = MenuAspect();
    const float nx = -dy / length * width / 2.0f * aspect, ny = dx / length * width / 2.0f;
    CMenu owner;
    CMenuQuad quad(&owner);
    const MenuPoint corners[4] = {{from.x + nx, from.y + ny},
                                  {to.x + nx, to.y + ny},
                                  {to.x - nx, to.y - ny},
                                  {from.x - nx, from.y - ny}};
    for (int32_t i = 0; i < 4; ++i)
        quad.SetVertex(
            i, MenuVertex{corners[i].x, corners[i].y, 0, 0, colour[0], colour[1], colour[2], colour[3]});
    quad.blendMode = 1;
    quad.Draw(depth);
}

} // namespace

void RegisterMapSpot(const MapSpot& spot)
{
    for (const MapSpot& s : MapSpots)
        if (SameSpot(s, spot))
            return;
    MapSpots.push_back(spot);
}

bool ClipMapSource(float src[4], float dst[4])
{
    if (src[2] <= 0.0f || src[3] <= 0.0f)
        return false;
    const float scaleX = dst[2] / src[2], scaleY = dst[3] / src[3];
    const float left = std::max(src[0], 0.0f), top = std::max(src[1], 0.0f);
    const float right = std::min(src[0] + src[2], kMapPictureSize);
    const float bottom = std::min(src[1] + src[3], kMapPictureSize);
    if (right <= left || bottom <= top)
        return false;
    dst[0] += (left - src[0]) * scaleX;
    dst[1] += (top - src[1]) * scaleY;
    dst[2] = (right - left) * scaleX;
    dst[3] = (bottom - top) * scaleY;
    src[0] = left;
    src[1] = top;
    src[2] = right - left;
    src[3] = bottom - top;
    return true;
}

CMapMenu::CMapMenu()
{
    SetPosition(MenuPoint{-0.95f, -0.99f});
}

void CMapMenu::SetPosition(MenuPoint p)
{
    position = p;
    if (position.x < -0.95f)
        position.x = -0.95f;
    if (position.y < -0.95f)
        position.y = -0.95f;
    if (position.x > 0.3f)
        position.x = 0.3f;
    // The bottom limit as the stored floats have it.
    if (position.y > -0.03999996f)
        position.y = -0.04999995f;
    smallTopLeft = MenuPoint{position.x, position.y + 0.09f};
    smallBottomRight = MenuPoint{position.x + 0.65f, position.y + 0.64f};
}

void CMapMenu::MapToWorld(MenuPoint pixel, float* worldX, float* worldZ)
{
    *worldX = ((pixel.x - 84.0f) / 234.0f) * 35.0f - 12.0f;
    *worldZ = ((pixel.y - 427.0f) / -382.0f) * 54.0f - 21.0f;
}

bool CMapMenu::PointToMapPixel(MenuPoint* out) const
{
    const float w = float(DX.screenWidth), h = float(DX.screenHeight);
    if (w <= 0 || h <= 0 || screen[2] <= 0 || screen[3] <= 0)
        return false;
    const float left = screen[0] / w, top = screen[1] / h, width = screen[2] / w, height = screen[3] / h;
    const float fx = mouse.x / 2.0f + 0.5f, fy = mouse.y / 2.0f + 0.5f;
    if (!(left < fx && fx < left + width && top < fy && fy < top + height))
        return false;
    out->x = source[0] + (fx - left) / width * source[2];
    out->y = source[1] + (fy - top) / height * source[3];
    return true;
}

void CMapMenu::Clear()
{
    RemoveAllElements();
    started = 0;
    ownHovered = -2;
    closeRequested = closeSilently = mapPressed = dragging = pickPending = 0;
}

void CMapMenu::Build(int32_t now)
{
    time = lastTime = now;
    started = 0;
    ownHovered = -2;
    closeRequested = closeSilently = mapPressed = dragging = pickPending = 0;

    AddFrame(*this, MenuPoint{smallTopLeft.x, smallTopLeft.y - 0.09f},
             MenuPoint{smallBottomRight.x, smallBottomRight.y + 0.05f}, smallFrame);
    AddFrame(*this, MenuPoint{largeTopLeft.x, largeTopLeft.y - 0.09f},
             MenuPoint{largeBottomRight.x, largeBottomRight.y + 0.05f}, largeFrame);

    auto* bar = new CMenuQuad(this);
    SetTitleBar(bar, smallTopLeft, smallBottomRight);
    bar->selectable = 1;
    bar->blendMode = 1;
    titleBar = AddElement(bar);
    bar->Release();

    const float flat[3] = {0, 0, 0};
    auto button = [&](uint16_t model, float x, int32_t& figure) {
        const int32_t plate = AddButtonPlate(MenuPoint{x, -0.95f}, 0.08f);
        if (firstPlate < 0)
            firstPlate = plate;
        figure = AddButton(GameResourceModel(model), MenuPoint{x, 0.95f}, flat, kFigureSize, false);
    };
    firstPlate = -2;
    button(kCloseModel, smallBottomRight.x - 0.04f, smallClose);
    button(kCloseModel, largeBottomRight.x - 0.04f, largeClose);
    button(kZoomModel, smallTopLeft.x + 0.04f, zoomButton);

    smallSlider = AddSlider(*this, smallTopLeft, smallBottomRight);
    largeSlider = AddSlider(*this, largeTopLeft, largeBottomRight);
    for (int32_t index : {smallSlider, largeSlider}) {
        CMenuElement* slider = Element(index);
        AddTextFadeTracks(slider, 500);
        static_cast<CMenuContainer*>(slider)->value = zoom;
        static_cast<CMenuContainer*>(slider)->PlaceKnob(static_cast<CMenuContainer*>(slider)->knob);
    }
    lastBuilt = ElementCount() - 1;

    started = 1;
    for (int32_t index : {zoomButton, zoomButton - 1})
        if (CMenuElement* e = Element(index))
            e->SetState(1);
    for (int32_t index : {smallFrame, largeFrame})
        Element(index)->PlayTrack("none");
    for (int32_t index : {smallSlider, largeSlider, smallClose, largeClose, zoomButton})
        Element(index)->PlayTrack("default");
    closeRequested = closeSilently = 0;
    MapMenuMode = zoomed ? 0 : 3;
    built = 1;
    ownHovered = -1;
}

void CMapMenu::PlaceSmallWindow()
{
    SetFrameRect(Element(smallFrame), MenuPoint{smallTopLeft.x, smallTopLeft.y - 0.09f},
                 MenuPoint{smallBottomRight.x, smallBottomRight.y + 0.05f});
    Element(smallFrame)->PlayTrack("none");
    if (auto* bar = static_cast<CMenuQuad*>(Element(titleBar)))
        SetTitleBar(bar, smallTopLeft, smallBottomRight);
    auto place = [&](int32_t figureIndex, float x) {
        if (auto* plate = static_cast<CMenuQuad*>(Element(figureIndex - 1)))
            SetQuadRect(plate, MenuPoint{x, -0.95f}, 0.08f);
        if (auto* figure = static_cast<CMenuFigure*>(Element(figureIndex))) {
            figure->currentTrack = -1;
            figure->state.position[0] = x;
        }
    };
    place(smallClose, smallBottomRight.x - 0.04f);
    place(zoomButton, smallTopLeft.x + 0.04f);
    if (auto* slider = static_cast<CMenuContainer*>(Element(smallSlider)))
        slider->SetRect(MenuPoint{smallTopLeft.x + 0.01f, smallBottomRight.y},
                        MenuPoint{smallBottomRight.x - 0.01f, smallBottomRight.y + 0.05f});
}

void CMapMenu::UpdateHover(const MenuPoint* point)
{
    if (MenuInputBlocked)
        return;
    ownHovered = hovered = -1;
    if (Tutorial.hovered || !point)
        return;
    tooltipRequested = 0;
    for (int32_t i = 0; i < ElementCount(); ++i) {
        CMenuElement* e = elements[size_t(i)];
        if (!e)
            continue;
        if (!e->HitTest(point)) {
            if (e->type == CMenuElement::TYPE_FIGURE) {
                auto* figure = static_cast<CMenuFigure*>(e);
                const float radius =
                    figure->model && figure->model->boundsRadius > 0 ? figure->model->boundsRadius : 1.0f;
                figure->state.scale[0] = figure->state.scale[1] = figure->state.scale[2] =
                    kFigureSize / radius;
                e->PlayTrack("default");
            }
            continue;
        }
        if (i == smallClose || i == largeClose)
            SetTooltip(GetDisplayText("TTIP_MAP_CLOSE"), -1);
        else if (i == smallSlider || i == largeSlider)
            SetTooltip(GetDisplayText("TTIP_MAP_LEVEL"), -1);
        else if (i == zoomButton)
            SetTooltip(GetDisplayText("TTIP_MAP_ZOOM"), -1);
        ownHovered = i;
        // Frames are never drawn highlighted.
        if (i != smallFrame && i != largeFrame)
            hovered = i;
        if (e->type == CMenuElement::TYPE_FIGURE)
            e->PlayTrack("mouseover");
    }
}

void CMapMenu::HandleInput()
{
    if (MenuInputBlocked)
        return;
    CMenu::HandleInput();
    if (leftReleased) {
        if (mapPressed) {
            mapPressed = 0;
            return;
        }
        if (!dragging) {
            if (ownHovered >= 0 && (ownHovered == smallClose || ownHovered == largeClose)) {
                closeRequested = 1;
                closeSilently = 0;
            } else if (ownHovered >= 0 && ownHovered == zoomButton && mode != 1) {
                zoomed = zoomed ? 0 : 1;
                MapMenuMode = zoomed ? 0 : 3;
            }
        } else {
            dragging = 0;
        }
    }
    if (ownHovered == -1)
        return;
    const bool overFrame = ownHovered == smallFrame || ownHovered == largeFrame;
    if (doubleClick) {
        if (ownHovered == largeFrame || (ownHovered == smallFrame && mode != 1))
            pickPending = 1;
        return;
    }
    if (!leftPressed)
        return;
    PlayMenuClick();
    if (!overFrame) {
        if (!zoomed && ownHovered == titleBar) {
            dragging = 1;
            dragStartMouse = mouse;
            dragStartPosition = position;
        }
        return;
    }
    const MenuPoint& tl = zoomed ? largeTopLeft : smallTopLeft;
    const MenuPoint& br = zoomed ? largeBottomRight : smallBottomRight;
    if (tl.x <= mouse.x && mouse.x <= br.x && tl.y <= mouse.y && mouse.y <= br.y) {
        mapPressed = 1;
        pickPoint = MenuPoint{float(Input.cursorX), float(Input.cursorY)};
    }
}

int32_t CMapMenu::ChooseSpot(float worldX, float worldZ) const
{
    int32_t chosen = -1;
    float best = 0.0f;
    for (size_t i = 0; i < MapSpots.size(); ++i) {
        const MapSpot& s = MapSpots[i];
        const float dx = worldX - s.position[0], dy = -s.position[1], dz = worldZ - s.position[2];
        const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
        // On equal distances the later spot wins.
        if (distance <= s.radius && (chosen < 0 || distance <= best)) {
            chosen = int32_t(i);
            best = distance;
        }
    }
    return chosen;
}

void CMapMenu::DrawPicture()
{
    float src[4] = {source[0], source[1], source[2], source[3]};
    float dst[4] = {screen[0], screen[1], screen[2], screen[3]};
    const bool inside = ClipMapSource(src, dst);
    for (int32_t i = 0; i < 4; ++i) {
        shownSource[i] = inside ? src[i] : 0.0f;
        shownScreen[i] = inside ? dst[i] : 0.0f;
    }
    CTexture* picture = GameResourceTexture(kMapPicture);
    const int32_t halfW = DX.screenWidth / 2, halfH = DX.screenHeight / 2;
    if (!inside || !picture || halfW <= 0 || halfH <= 0)
        return;
    const float l = dst[0] / float(halfW) - 1.0f, t = dst[1] / float(halfH) - 1.0f;
    const float r = (dst[0] + dst[2]) / float(halfW) - 1.0f, b = (dst[1] + dst[3]) / float(halfH) - 1.0f;
    const float u0 = src[0] / kMapPictureSize, v0 = src[1] / kMapPictureSize;
    const float u1 = (src[0] + src[2]) / kMapPictureSize, v1 = (src[1] + src[3]) / kMapPictureSize;
    CMenuQuad quad(this);
    const float xs[4] = {l, r, r, l}, ys[4] = {t, t, b, b}, us[4] = {u0, u1, u1, u0},
                vs[4] = {v0, v0, v1, v1};
    for (int32_t i = 0; i < 4; ++i)
        quad.SetVertex(i, MenuVertex{xs[i], ys[i], us[i], vs[i], 1, 1, 1, 1});
    quad.key.texture = picture;
    quad.blendMode = 0;
    quad.Draw(0.25f);
}

void CMapMenu::DrawHeroMarker(int32_t now)
{
    const CWorldObject* hero = GameCamera.focusObject;
    if (!hero)
        return;
    MenuPoint centre{(screen[0] + screen[2] / 2) / float(std::max(DX.screenWidth / 2, 1)) - 1.0f,
                     (screen[1] + screen[3] / 2) / float(std::max(DX.screenHeight / 2, 1)) - 1.0f};
    if (mode == 1)
        centre = MenuPoint{(hero->position.x - 14.8f) / 42.6667f, (hero->position.z + 3.63313f) / -47.5531f};
    else if (mapPressed)
        return;
    static const MenuPoint kSmall[7] = {{0, 0.03f},      {-0.03f, 0}, {-0.01f, 0}, {-0.02f, -0.03f},
                                        {0.02f, -0.03f}, {0.01f, 0},  {0.03f, 0}};
    const float scale = zoomed ? 2.0f : 1.0f;
    const float turn = -hero->angle - kPi / 2;
    const float c = std::cos(turn), s = std::sin(turn);
    const float pulse = std::sin(kPi / 2 * float(now & 999) / 1000.0f);
    for (int32_t copy = 0; copy < 2; ++copy) {
        const float grow = copy == 0 ? 1.0f : 1.0f + pulse;
        const float factor = copy == 0 ? 1.0f : 1.0f - pulse;
        MenuPoint points[7];
        for (int32_t i = 0; i < 7; ++i) {
            const float x = kSmall[i].x * scale * grow, y = kSmall[i].y * scale * grow;
            points[i] = MenuPoint{centre.x + x * c - y * s, centre.y + x * s + y * c};
        }
        const float passes[3][2] = {{0.01f, 0.2f}, {0.015f, 0.19f}, {0.005f, 0.18f}};
        const float colours[3][4] = {{1, 0.8f, 0, factor}, {0.3f, 0.2f, 0, factor * 0.6f}, {1, 1, 1, factor}};
        for (int32_t p = 0; p < 3; ++p)
            for (int32_t i = 0; i < 7; ++i)
                DrawSegment(points[i], points[(i + 1) % 7], passes[p][0], passes[p][1], colours[p]);
    }
}

int32_t CMapMenu::Render(int32_t now)
{
    lastTime = now;
    time = now;
    SViewRect& covered = ViewRectTable[kMapViewRect];
    if (GamePhase != PHASE_REALTIME || (!zoomed && MapMenuMode == 0) || ViewFreeze == 2 || MenuInputBlocked) {
        covered = SViewRect{};
        return -1;
    }
    if (mode == 1)
        zoomed = 1;
    const int32_t w = DX.screenWidth, h = DX.screenHeight;
    if (!zoomed && !mapPressed && !dragging)
        covered = SViewRect{int32_t(smallTopLeft.x * float(w) / 2 + float(w) / 2),
                            int32_t((smallTopLeft.y - 0.09f) * float(h) / 2 + float(h) / 2),
                            int32_t(smallBottomRight.x * float(w) / 2 + float(w) / 2),
                            int32_t((smallBottomRight.y + 0.05f) * float(h) / 2 + float(h) / 2)};
    else
        covered = SViewRect{0, 0, w, h};

    const uint8_t large = zoomed ? 1 : 0;
    for (int32_t index : {largeFrame, largeClose, largeClose - 1, largeSlider})
        if (CMenuElement* e = Element(index))
            e->SetState(large);
    for (int32_t index : {smallFrame, smallClose, smallClose - 1, smallSlider, titleBar})
        if (CMenuElement* e = Element(index))
            e->SetState(large ? 0 : 1);

    if (dragging) {
        SetPosition(MenuPoint{dragStartPosition.x + (mouse.x - dragStartMouse.x),
                              dragStartPosition.y + (mouse.y - dragStartMouse.y)});
        PlaceSmallWindow();
    }
    HandleInput();
    if (built == 1 && TrackEnded(Element(smallFrame)))
        built = 0;
    for (int32_t index : {zoomButton, zoomButton - 1})
        if (CMenuElement* e = Element(index))
            e->SetState(mode != 1 ? 1 : 0);

    CMenu::Render(now);

    const auto* visible = static_cast<CMenuContainer*>(Element(zoomed ? largeSlider : smallSlider));
    auto* other = static_cast<CMenuContainer*>(Element(zoomed ? smallSlider : largeSlider));
    float side = 128.0f;
    if (visible && other) {
        zoom = mode == 1 ? 0.444f : visible->value;
        other->value = zoom;
        other->PlaceKnob(other->knob);
        side = 200.0f + 712.0f * zoom;
    }
    const MenuPoint& tl = zoomed ? largeTopLeft : smallTopLeft;
    const MenuPoint& br = zoomed ? largeBottomRight : smallBottomRight;
    const float rightInset = zoomed ? 0.02f : 0.01f;
    const float left = (tl.x + 1.02f) / 2, top = (tl.y + 1) / 2, right = (br.x + 1 - rightInset) / 2,
                bottom = (br.y + 1) / 2;
    screen[0] = left * float(w);
    screen[1] = top * float(h);
    screen[2] = (right - left) * float(w);
    screen[3] = (bottom - top) * float(h);

    const CWorldObject* hero = GameCamera.focusObject;
    float u = hero ? 0.674393f - 0.0125782f * hero->position.x : 0.5f;
    float v = hero ? 0.453248f + 0.0135879f * hero->position.z : 0.5f;
    if (mapPressed) {
        u += (float(Input.cursorX) - pickPoint.x) / 200.0f;
        v += (float(Input.cursorY) - pickPoint.y) / 200.0f;
    }
    source[0] = kMapPictureSize * (1 - u) - side / 2;
    source[1] = kMapPictureSize * (1 - v) - side / 2;
    source[2] = source[3] = side;
    DrawPicture();

    MenuPoint pixel{0, 0};
    int32_t spot = -1;
    float worldX = 0, worldZ = 0;
    const bool overMap = PointToMapPixel(&pixel);
    if (overMap) {
        MapToWorld(pixel, &worldX, &worldZ);
        spot = ChooseSpot(worldX, worldZ);
        if (spot >= 0)
            SetTooltip(GetDisplayText(MapSpots[size_t(spot)].name.c_str()), 0);
    }
    if (pickPending) {
        pickPending = 0;
        CWorldObject* walker = CurrentCharacter;
        PATHFINDER* finder = walker && walker->objectLogic ? walker->objectLogic->GetPathfinder() : nullptr;
        if (finder && overMap) {
            const CVector target = spot >= 0 ? CVector(MapSpots[size_t(spot)].walkTarget[0],
                                                       MapSpots[size_t(spot)].walkTarget[1],
                                                       MapSpots[size_t(spot)].walkTarget[2])
                                             : CVector(worldX, 0, worldZ);
            finder->WalkTo(target, nullptr);
        }
    }
    DrawHeroMarker(now);
    if (!MenuInputBlocked && ScreenFade.IsFinished())
        DrawTooltip();
    if (closeSilently || closeRequested) {
        covered = SViewRect{};
        return closeSilently ? 0 : 1;
    }
    return -1;
}
