#pragma once
// The embedded page view the tutorial shows its pages in: a local HTML page laid
// out and painted into 32-bit pixels, placed by a host rectangle on the screen and
// a page rectangle inside it. Pages are Windows-1252 files; no scripts run, no
// network is touched, a click on a link to a local page opens that page.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IDirectDraw7;
class IDirectDrawSurface7;

namespace platform {

struct BrowserRect
{
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const BrowserRect&) const = default;
};

class Browser
{
public:
    // Where the one line about an unreadable page goes (standard error by default).
    using LogFn = std::function<void(const std::string&)>;
    explicit Browser(LogFn log = {});
    ~Browser();
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // Opens a page by a Windows-style path (resolved case-insensitively). A page
    // that cannot be read shows empty and logs its path; false then.
    bool Navigate(std::string_view path);
    // The native file shown, empty before the first page.
    const std::string& Location() const { return location_; }

    void Show(bool shown) { shown_ = shown; }
    bool IsShown() const { return shown_; }

    // The host window on the screen (pixels) and the page inside it: the page's
    // offset from the host's top-left corner and its size.
    void SetHostRect(const BrowserRect& rect) { host_ = rect; }
    const BrowserRect& HostRect() const { return host_; }
    void SetControlRect(const BrowserRect& rect);
    const BrowserRect& ControlRect() const { return control_; }
    // The page's rectangle on the screen.
    BrowserRect PageScreenRect() const;
    // Whether a screen point lies on the shown host window.
    bool IsMouseOver(int x, int y) const;
    // A left click at a screen point; true when it followed a link.
    bool Click(int x, int y);

    // Lays the page out and paints it when the page or its size changed since the
    // last call; true when the pixels are new.
    bool Update();
    int PageWidth() const { return width_; }
    int PageHeight() const { return height_; }
    // 0xAARRGGBB, rows top first, PageWidth() x PageHeight().
    const std::vector<uint32_t>& Pixels() const { return pixels_; }
    // Counts the paints, so a texture can tell whether it is current.
    uint32_t Paints() const { return paints_; }

private:
    void Load(const std::string& utf8, const std::string& folder);

    struct Page;
    std::unique_ptr<Page> page_;
    LogFn log_;
    std::string location_;
    bool shown_ = false;
    BrowserRect host_, control_;
    int width_ = 0, height_ = 0;
    int laidOutWidth_ = -1;
    bool dirty_ = true;
    std::vector<uint32_t> pixels_;
    uint32_t paints_ = 0;
    std::string pendingLink_;
};

// The painted page as a texture of the 3-D device, uploaded again only when the
// page was painted again.
class BrowserTexture
{
public:
    BrowserTexture() = default;
    ~BrowserTexture();
    BrowserTexture(const BrowserTexture&) = delete;
    BrowserTexture& operator=(const BrowserTexture&) = delete;

    // Null when the page is empty or the surface cannot be made.
    IDirectDrawSurface7* Get(IDirectDraw7* directDraw, const Browser& browser);
    // Uploads counted since creation (a frame without a new paint adds none).
    uint32_t Uploads() const { return uploads_; }
    void Release();

private:
    IDirectDrawSurface7* surface_ = nullptr;
    int width_ = 0, height_ = 0;
    uint32_t paint_ = 0;
    uint32_t uploads_ = 0;
};

} // namespace platform
