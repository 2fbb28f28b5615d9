#include "GAMES/Rulo2/editor/WebBrowserDlg.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "LIBS/System/LogPrintf.h"

#include <algorithm>

WebBrowserDlg* BrowserDialog = nullptr;

CWebBrowser2::CWebBrowser2() : page([](const std::string& line) { LogPrintf("%s", line.c_str()); }) {}

CWebBrowser2::~CWebBrowser2() = default;

std::unique_ptr<CWebBrowser2> CWebBrowser2::CreateObject()
{
    return std::make_unique<CWebBrowser2>();
}

void CWebBrowser2::Navigate(const char* url, const void*, const void*, const void*, const void*)
{
    page.Navigate(url ? url : "");
}

void CWebBrowser2::SetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height)
{
    page.SetControlRect({x, y, x + std::max(0, width), y + std::max(0, height)});
}

WebBrowserDlg::WebBrowserDlg(std::unique_ptr<CWebBrowser2> control)
    : control_(control ? std::move(control) : CWebBrowser2::CreateObject())
{
}

WebBrowserDlg::~WebBrowserDlg() = default;

void WebBrowserDlg::ShowWindow(bool show)
{
    control_->page.Show(show);
}

bool WebBrowserDlg::IsWindowVisible() const
{
    return control_->page.IsShown();
}

void WebBrowserDlg::SetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height)
{
    control_->page.SetHostRect({x, y, x + std::max(0, width), y + std::max(0, height)});
}

bool WebBrowserDlg::Click(int32_t x, int32_t y)
{
    if (!control_->page.IsMouseOver(x, y))
        return false;
    control_->page.Click(x, y);
    return true;
}

void WebBrowserDlg::Draw()
{
    platform::Browser& page = control_->page;
    if (!page.IsShown() || TutorialCutout.IsEmpty() || !DX.device || !DX.directDraw)
        return;
    page.Update();
    IDirectDrawSurface7* texture = texture_.Get(DX.directDraw, page);
    if (!texture)
        return;
    // The page on the screen, cut to the host window and the cut-out.
    const platform::BrowserRect at = page.PageScreenRect();
    const platform::BrowserRect& host = page.HostRect();
    const float l = float(std::max({at.left, host.left, TutorialCutout.left}));
    const float t = float(std::max({at.top, host.top, TutorialCutout.top}));
    const float r = float(std::min({at.right, host.right, TutorialCutout.right}));
    const float b = float(std::min({at.bottom, host.bottom, TutorialCutout.bottom}));
    if (r <= l || b <= t)
        return;
    const float w = float(at.Width()), h = float(at.Height());
    auto vertex = [&](float x, float y) {
        D3DTLVertex v{};
        v.sx = x;
        v.sy = y;
        v.sz = 0.0f;
        v.rhw = 1.0f;
        v.diffuse = 0xFFFFFFFFu;
        v.u = (x - float(at.left)) / w;
        v.v = (y - float(at.top)) / h;
        return v;
    };
    D3DTLVertex quad[4] = {vertex(l, t), vertex(r, t), vertex(r, b), vertex(l, b)};
    SetBlendMode(0);
    SetTextureCached(texture, 0);
    SetClipping(true);
    SetLighting(false);
    SetCulling(false);
    SetZFunc(D3DCMP_ALWAYS);
    DX.device->DrawPrimitive(D3DPT_TRIANGLEFAN, FVF_TLVERTEX, quad, 4, 0);
    SetZFunc(4); // less-or-equal, as the interface leaves it
    SetTextureCached(nullptr, 0);
}

void CreateBrowserDialog()
{
    if (!BrowserDialog)
        BrowserDialog = new WebBrowserDlg();
}

void DestroyBrowserDialog()
{
    delete BrowserDialog;
    BrowserDialog = nullptr;
}
