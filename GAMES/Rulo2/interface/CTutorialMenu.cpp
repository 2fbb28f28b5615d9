#include "GAMES/Rulo2/interface/CTutorialMenu.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/editor/WebBrowserDlg.h"
#include "GAMES/Rulo2/interface/CMenuContainer.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

CTutorialMenu TutorialMenu;

namespace {

// Pictures of the three buttons: close and maximise.
constexpr uint16_t kCloseImage = 585, kResizeImage = 592;
constexpr int32_t kFadeMs = 300;
constexpr float kButtonSize = 0.08f;
constexpr float kBorder = 0.01f;

CMenuQuad* Quad(CMenu& menu, int32_t index)
{
    return static_cast<CMenuQuad*>(menu.Element(index));
}

int32_t AddQuad(CMenu& menu, CTexture* texture, bool selectable)
{
    auto* quad = new CMenuQuad(&menu);
    quad->key.texture = texture;
    quad->selectable = selectable ? 1 : 0;
    const int32_t index = menu.AddElement(quad, 0);
    quad->Release();
    return index;
}

SViewRect ToPixels(float left, float top, float right, float bottom)
{
    const float w = float(DX.screenWidth), h = float(DX.screenHeight);
    return SViewRect{int32_t(std::lround((left + 1) * w / 2)), int32_t(std::lround((top + 1) * h / 2)),
                     int32_t(std::lround((right + 1) * w / 2)), int32_t(std::lround((bottom + 1) * h / 2))};
}

} // namespace

CTutorialMenu::CTutorialMenu()
{
    SetFramePos(0.0f, -0.9f);
}

void CTutorialMenu::SetFramePos(float x, float y)
{
    frameX = std::clamp(x, -0.95f, 0.0f);
    frameY = std::clamp(y, -0.95f, -0.9499999f);
    frameLeft = frameX;
    frameTop = frameY + 0.09f;
    frameRight = frameX + 0.95f;
    frameBottom = frameY + 1.55f;
}

void CTutorialMenu::Build(int32_t now)
{
    RemoveAllElements();
    time = now;
    buildTime_ = now;
    panels[0] = AddQuad(*this, nullptr, true);
    panels[1] = AddQuad(*this, nullptr, true);
    for (int32_t& side : frameElements)
        side = AddQuad(*this, nullptr, false);
    titleBar = AddQuad(*this, nullptr, true);
    closeSmall = AddQuad(*this, GameResourceTexture(kCloseImage), true);
    closeMax = AddQuad(*this, GameResourceTexture(kCloseImage), true);
    resize = AddQuad(*this, GameResourceTexture(kResizeImage), true);
    scrolls[0] =
        AddContainer({frameLeft, frameBottom}, {frameRight, frameBottom + 0.04f}, 0.0f, 1.0f, 100, 0, 0);
    scrolls[1] = AddContainer({maxLeft, maxBottom}, {maxRight, maxBottom + 0.04f}, 0.0f, 1.0f, 100, 0, 0);
    elementCount = ElementCount();
    for (int32_t i : {closeSmall, closeMax, resize, scrolls[0], scrolls[1]})
        if (CMenuElement* e = Element(i))
            e->PlayTrack("default");
    closeChosen = cancelChosen = 0;
    panning = draggingFrame = 0;
    introRunning = 1;
    started = 1;
}

void CTutorialMenu::PlaceElements(bool max)
{
    // Everything fades in together over the panel's fade time.
    const float fade =
        introRunning ? std::clamp(float(time - buildTime_) / float(kFadeMs), 0.0f, 1.0f) : 1.0f;
    const float left = max ? maxLeft : frameLeft, top = max ? maxTop : frameTop;
    const float right = max ? maxRight : frameRight, bottom = max ? maxBottom : frameBottom;
    const int32_t shownPanel = max ? panels[1] : panels[0];
    for (int k = 0; k < 2; ++k)
        if (CMenuQuad* p = Quad(*this, panels[k])) {
            p->SetState(panels[k] == shownPanel);
            p->SetGeometry({left, top}, {right, bottom}, {0.1f, 0.1f, 0.1f, 0.5f * fade});
            for (int v : {2, 3}) {
                MenuVertex corner = p->key.vertices[v];
                corner.r = corner.g = 0.3f;
                corner.b = 0.4f;
                corner.a = 0.6f * fade;
                p->SetVertex(v, corner);
            }
        }
    const CMenuQuad::Colour rim{0.7f, 0.72f, 0.78f, fade};
    const CMenuQuad::Corner sides[4][2] = {
        {{left - kBorder, top - 0.1f}, {right + kBorder, top - 0.1f + kBorder}},
        {{left - kBorder, bottom}, {right + kBorder, bottom + kBorder}},
        {{left - kBorder, top - 0.1f}, {left, bottom}},
        {{right, top - 0.1f}, {right + kBorder, bottom}}};
    for (int k = 0; k < 4; ++k)
        if (CMenuQuad* q = Quad(*this, frameElements[k]))
            q->SetGeometry(sides[k][0], sides[k][1], rim);
    if (CMenuQuad* bar = Quad(*this, titleBar)) {
        bar->SetState(!max);
        bar->SetGeometry({left + 0.02f, top - 0.07f}, {right - 0.02f, top - 0.03f},
                         {0.3f, 0.3f, 0.4f, 0.9f * fade});
    }
    auto button = [&](int32_t index, float x, float y, bool show) {
        if (CMenuQuad* b = Quad(*this, index)) {
            b->SetState(show);
            const float half = kButtonSize / 2;
            b->SetGeometry({x - half, y - half}, {x + half, y + half}, {1, 1, 1, fade});
        }
    };
    button(closeSmall, right - 0.04f, top - 0.05f, !max);
    button(closeMax, right - 0.04f, top - 0.05f, max);
    button(resize, left + 0.04f, top - 0.05f, pageMode != 1);
    for (int k = 0; k < 2; ++k)
        if (auto* s = static_cast<CMenuContainer*>(Element(scrolls[k]))) {
            const bool mine = (k == 1) == max;
            s->SetState(mine && pageMode != 1);
            if (!max && k == 0)
                s->SetRect({frameLeft, frameBottom + 0.005f}, {frameRight, frameBottom + 0.045f});
        }
}

void CTutorialMenu::PlacePage(bool max)
{
    float v = 0.444f;
    if (pageMode != 1)
        if (auto* s = static_cast<CMenuContainer*>(Element(scrolls[max ? 1 : 0])))
            v = s->value;
    const int32_t zoom = int32_t(712.0f * v + 200.0f);
    pageZoom[0] = pageZoom[1] = zoom;
    if (pageMode == 1) {
        pageOffset[0] = -0.523926f;
        pageOffset[1] = 3.307922f;
    } else {
        const float a = CurrentCharacter ? CurrentCharacter->position.x : 0.0f;
        const float b = CurrentCharacter ? CurrentCharacter->position.z : 0.0f;
        float u = 0.674393f - 0.0125782f * a;
        float w = 0.0135879f * b + 0.453248f;
        if (panning) {
            u += (mouse.x - grab.x) / 200.0f;
            w += (mouse.y - grab.y) / 200.0f;
        }
        const float z = float(zoom);
        pageOffset[0] = (512.0f / z) * (1.0f - u) * z - z / 2;
        pageOffset[1] = (512.0f / z) * (1.0f - w) * z - z / 2;
    }
    if (!BrowserDialog)
        return;
    const SViewRect area = max ? ToPixels(maxLeft, maxTop, maxRight, maxBottom)
                               : ToPixels(frameLeft, frameTop, frameRight, frameBottom);
    // The main window's client area is the screen the page is drawn on.
    BrowserDialog->SetWindowPos(area.left, area.top, area.right - area.left, area.bottom - area.top);
    if (CWebBrowser2* control = BrowserDialog->Browser())
        control->SetWindowPos(int32_t(pageOffset[0]), int32_t(pageOffset[1]), zoom, zoom);
}

int32_t CTutorialMenu::Render(int32_t now)
{
    lastTime = now;
    time = now;
    if (AppWindowListCount != 0) {
        TutorialCutout = SViewRect{};
        return -1;
    }
    const bool max = Maximised();
    TutorialCutout = max ? SViewRect{0, 0, DX.screenWidth, DX.screenHeight}
                         : ToPixels(frameLeft, frameTop, frameRight, frameBottom);
    mouse = MenuCursor();
    if (!max && draggingFrame)
        SetFramePos(grabFramePos.x + (mouse.x - grab.x), grabFramePos.y + (mouse.y - grab.y));
    PlaceElements(max);
    if (!max)
        TutorialCutout = ToPixels(frameLeft, frameTop, frameRight, frameBottom);
    BeforeInput();
    HandleInput();
    if (introRunning && now - buildTime_ > kFadeMs)
        introRunning = 0;
    CMenu::Render(now);
    PlacePage(Maximised());
    if (cancelChosen) {
        TutorialCutout = SViewRect{};
        return 0;
    }
    if (closeChosen) {
        TutorialCutout = SViewRect{};
        return 1;
    }
    return -1;
}

void CTutorialMenu::HandleInput()
{
    CMenu::HandleInput();
    UpdateHover(&mouse);
    const bool max = Maximised();
    const bool onPagePanel = inputHover_ == panels[1] || (pageMode != 1 && inputHover_ == panels[0]);
    if (leftReleased) {
        if (draggingFrame) {
            draggingFrame = 0;
        } else if (!panning) {
            if (inputHover_ == closeSmall || inputHover_ == closeMax) {
                closeChosen = 1;
                cancelChosen = 0;
            } else if (inputHover_ == resize && pageMode != 1) {
                maximised = maximised ? 0 : 1;
            }
        }
        panning = 0;
    }
    if (rightReleased)
        panning = 0;
    if (rightPressed && onPagePanel) {
        panning = 1;
        grab = mouse;
    }
    if (leftPressed) {
        if (SoundManager)
            SoundManager->play("MENUCLICK", nullptr, 0, 0, 0, 5.0f, 1.0f, 1.0f, 0);
        if (!max && inputHover_ == titleBar) {
            draggingFrame = 1;
            grab = mouse;
            grabFramePos = MenuPoint{frameX, frameY};
        } else if (inputHover_ == panels[0] || inputHover_ == panels[1]) {
            const bool inside =
                max ? (mouse.x >= maxLeft && mouse.x <= maxRight && mouse.y >= maxTop && mouse.y <= maxBottom)
                    : (mouse.x >= frameLeft && mouse.x <= frameRight && mouse.y >= frameTop &&
                       mouse.y <= frameBottom);
            if (inside) {
                panning = 1;
                grab = mouse;
            }
        }
    }
}

void CTutorialMenu::UpdateHover(const MenuPoint* point)
{
    hovered = -1;
    inputHover_ = -1;
    if (AppWindowListCount != 0 || !point)
        return;
    // The last element in list order that the point hits wins.
    for (int32_t i = 0; i < ElementCount(); ++i)
        if (CMenuElement* e = Element(i); e && e->shown && e->HitTest(point))
            inputHover_ = i;
    hovered = inputHover_ == panels[0] || inputHover_ == panels[1] ? -1 : inputHover_;
    for (int32_t b : {closeSmall, closeMax, resize})
        if (CMenuElement* e = Element(b))
            e->PlayTrack(b == hovered ? "mouseover" : "default");
}
