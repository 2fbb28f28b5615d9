#include "GAMES/Rulo2/editor/IntelliTip.h"

#include "platform/ui/Tree.h"

#include <algorithm>

namespace {

bool PlatformCursor(int& x, int& y)
{
    platform::POINT p{};
    if (!platform::GetCursorPos(p))
        return false;
    // Tip points are in the main window's client pixels, as the tool windows are.
    if (platform::Application* app = platform::GetApp(); app && app->m_pMainWnd)
        app->m_pMainWnd->ScreenToClient(p);
    x = p.x;
    y = p.y;
    return true;
}

} // namespace

bool (*CIntelliTip::cursorSource)(int& x, int& y) = PlatformCursor;

CIntelliTip::CIntelliTip() : platform::ui::Dialog(0, "IntelliTip", 10, 10)
{
    SetPopup(true);
    popupBack = platform::ui::GetSysColour(platform::ui::SysColour::InfoBk);
    Create(nullptr);
    SetWindowPos(0, 0, 10, 10, platform::ui::SWP_NOZORDER);
}

CIntelliTip::~CIntelliTip()
{
    DestroyWindow();
}

bool CIntelliTip::setPosition(int x, int y)
{
    if (x == anchorX_ && y == anchorY_)
        return false;
    anchorX_ = x;
    anchorY_ = y;
    return true;
}

bool CIntelliTip::show(std::string_view text)
{
    if (text.empty() || text == text_)
        return false;
    text_ = std::string(text);
    width_ = height_ = 0;
    ShowWindow(platform::SW_HIDE);
    SetTimer(kShowTimer, kShowDelayMs);
    SetTimer(kWatchTimer, kWatchMs);
    return true;
}

void CIntelliTip::hide()
{
    text_.clear();
    ShowWindow(platform::SW_HIDE);
}

void CIntelliTip::OnTimer(uint32_t id)
{
    if (id == kShowTimer) {
        KillTimer(kShowTimer);
        if (width_ == 0 && height_ == 0)
            Measure();
        SetWindowPos(anchorX_, anchorY_ + 20, 0, 0, platform::ui::SWP_NOSIZE | platform::ui::SWP_NOZORDER);
        ShowWindow(platform::SW_SHOWNA);
        return;
    }
    if (id == kWatchTimer) {
        int x = 0, y = 0;
        if (cursorSource && cursorSource(x, y) && x == anchorX_ && y == anchorY_)
            return;
        KillTimer(kShowTimer);
        KillTimer(kWatchTimer);
        ShowWindow(platform::SW_HIDE);
        text_.clear();
    }
}

void CIntelliTip::Measure()
{
    // One static text per non-empty line; an empty line keeps the height of the
    // line measured before it.
    ClearControls();
    int width = 0, height = 0, lineHeight = 0, y = 2;
    size_t start = 0;
    while (start <= text_.size()) {
        size_t end = text_.find('\n', start);
        if (end == std::string::npos)
            end = text_.size();
        const std::string line = text_.substr(start, end - start);
        if (!line.empty()) {
            const platform::ui::TextSize extent = platform::ui::TextExtent(line);
            lineHeight = extent.cy;
            width = std::max(width, extent.cx);
            AddControl(platform::ui::ControlKind::Static, 0, line, 3, y, extent.cx, extent.cy);
        }
        height += lineHeight;
        y += lineHeight;
        start = end + 1;
    }
    lineHeight_ = lineHeight;
    width_ = width + 6;
    height_ = height + 4;
    SetWindowPos(0, 0, width_, height_, platform::ui::SWP_NOMOVE | platform::ui::SWP_NOZORDER);
}
