#include "GAMES/Rulo2/interface/CTutorial.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/WebBrowserDlg.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CTutorialMenu.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "LIBS/System/CMatrix.h"

CTutorial Tutorial;
STutorialEmblem TutorialEmblem;

namespace {

constexpr float kPi = 3.14159265f;

float SizeOf(const CRootNode* model)
{
    return model && model->boundsRadius > 0.0f ? model->boundsRadius : 1.0f;
}

// Scale, a fixed turn of -pi/2 about x, the given turn about y, then the place.
CMatrix EmblemMatrix(const CRootNode* model, float turn, float x, float y)
{
    CMatrix scale, fixed, spin, m;
    const float s = 0.1f / SizeOf(model);
    scale.diagonal(s, s, s);
    fixed.rotationX(-kPi / 2);
    spin.rotationY(turn);
    m.multiply(scale, fixed);
    m.multiply(m, spin);
    m[12] = x;
    m[13] = y;
    m[14] = 0.0f;
    return m;
}

// The model's box on the screen in pixels, as the interface camera shows it.
void GrowArea(SViewRect& area, bool& any, const CRootNode* model, const CMatrix& world)
{
    float box[4];
    if (!DX.device || !InterfaceModelScreenBox(model, world, box))
        return;
    const float halfW = float(DX.screenWidth) / 2, halfH = float(DX.screenHeight) / 2;
    const SViewRect r{int32_t((box[0] + 1) * halfW), int32_t((box[1] + 1) * halfH),
                      int32_t((box[2] + 1) * halfW) + 1, int32_t((box[3] + 1) * halfH) + 1};
    if (!any) {
        area = r;
        any = true;
        return;
    }
    area.left = std::min(area.left, r.left);
    area.top = std::min(area.top, r.top);
    area.right = std::max(area.right, r.right);
    area.bottom = std::max(area.bottom, r.bottom);
}

void DrawEmblemModel(CRootNode* model, const CMatrix& world, bool hovered)
{
    if (!model)
        return;
    DrawInterfaceModel(model, world, false, 1.0f, 0.0f, true, CVector4(0, 0, 0, 0));
    if (hovered)
        DrawInterfaceModel(model, world, true, 1.0f, 0.0f, true, CVector4(0.5f, 0.4f, 0.1f, 1.0f));
}

} // namespace

void CTutorial::HideBrowser()
{
    TutorialBrowserOpen = 0;
    TutorialCutout = SViewRect{};
    if (BrowserDialog)
        BrowserDialog->ShowWindow(false);
}

void CTutorial::OpenFrame()
{
    OpenTutorialMenu(MenuClock());
    TutorialBrowserOpen = 1;
    // Full-screen mode needs no flip to a GDI surface: the page is drawn into the frame.
}

void CTutorial::Start()
{
    panelState = 0;
    startTime = MenuClock();
    active = 1;
    page = 1;
    HideBrowser();
    ShowPage(page);
}

void CTutorial::Stop()
{
    active = 0;
    HideBrowser();
}

void CTutorial::NextPage(int32_t wanted)
{
    if (!active || page != wanted)
        return;
    ++page;
    progress = 0;
    HideBrowser();
    ShowPage(page);
    if (panelState != 0) {
        panelState = 2;
        stateTime = MenuClock();
    }
}

void CTutorial::SetProgress(int32_t wanted, int32_t percent)
{
    if (percent > progress)
        progress = percent;
    if (percent == 100 && active && page == wanted)
        NextPage(wanted);
}

void CTutorial::ShowPage(int32_t number)
{
    // The whole path, however long the start folder is (a cut path would open another file).
    std::string path = ProgramFolder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    char name[64];
    std::snprintf(name, sizeof name, "Tutorial\\Tutorial%d_1.htm", int(number));
    path += name;
    if (BrowserDialog && BrowserDialog->Browser())
        BrowserDialog->Browser()->Navigate(path.c_str(), nullptr, nullptr, nullptr, nullptr);
}

void CTutorial::Show()
{
    if (panelState != 3) {
        panelState = 1;
        stateTime = MenuClock();
        return;
    }
    OpenFrame();
}

bool CTutorial::TakeClick(int32_t x, int32_t y)
{
    if (!active)
        return false;
    if (TutorialBrowserOpen) {
        // A click on the page itself is the page's (its links); any other goes to the tutorial.
        if (!(BrowserDialog && BrowserDialog->Click(x, y)))
            Show();
        return true;
    }
    if (hovered) {
        Show();
        return true;
    }
    return false;
}

void CTutorial::UpdateHover(int32_t x, int32_t y)
{
    hovered = active && emblemArea.Contains(x, y) ? 1 : 0;
}

void CTutorial::Update()
{
    if (!active)
        return;
    const int32_t now = MenuClock();
    const float t = float(std::min(now - startTime, 8000));
    emblemHeight = (1.0f - std::sin(t * kPi / 16000.0f)) * 5.0f + 0.7f;

    const float pc = TutorialEmblem.closedPosition, po = TutorialEmblem.openPosition;
    float p = pc;
    switch (panelState) {
    case 1:
        p = pc + 0.001f * float(now - stateTime);
        if (p >= po) {
            p = po;
            panelState = 3;
            OpenFrame();
        }
        break;
    case 2:
        p = po - 0.001f * float(now - stateTime);
        if (p < pc) {
            p = pc;
            panelState = 0;
            HideBrowser();
        }
        break;
    case 3:
        p = po;
        break;
    default:
        p = pc;
        break;
    }
    panelPosition = p;

    CRootNode* panelModel = GameResourceModel(STutorialEmblem::kPanelModel);
    CRootNode* badgeModel = GameResourceModel(STutorialEmblem::kBadgeModel);
    const CMatrix first = EmblemMatrix(panelModel, std::sin(float(now) / 500.0f) * 0.3f + 0.5f,
                                       (p - pc) * 0.1f + 0.9f, emblemHeight);
    const CMatrix second = EmblemMatrix(badgeModel, float(now) / 600.0f, 0.9f, emblemHeight);
    DrawEmblemModel(panelModel, first, hovered != 0);
    DrawEmblemModel(badgeModel, second, hovered != 0);
    SViewRect area;
    bool any = false;
    GrowArea(area, any, panelModel, first);
    GrowArea(area, any, badgeModel, second);
    emblemArea = any ? area : SViewRect{};

    if (TutorialBrowserOpen && AppWindowListCount == 0) {
        if (BrowserDialog)
            BrowserDialog->ShowWindow(true);
        if (TutorialMenu.Render(now) == -1) {
            if (BrowserDialog)
                BrowserDialog->Draw();
            return;
        }
    }
    HideBrowser();
}
