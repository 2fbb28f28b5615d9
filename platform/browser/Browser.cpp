#include "platform/browser/Browser.h"

#include "platform/browser/PageParts.h"
#include "platform/files/Cp1252.h"
#include "platform/files/WinPath.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace platform {

struct Browser::Page
{
    litehtml::context context;
    browser::PageContainer container;
    litehtml::document::ptr document;
};

namespace {

// Pages larger than this are not tutorial pages; they are refused like unreadable ones.
constexpr std::streamoff kMaxPageBytes = 16 << 20;

bool ReadFile(const std::filesystem::path& file, std::string& bytes)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxPageBytes)
        return false;
    in.seekg(0);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

Browser::Browser(LogFn log) : page_(std::make_unique<Page>()), log_(std::move(log))
{
    if (!log_)
        log_ = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    page_->context.load_master_stylesheet(browser::MasterStyleSheet());
    page_->container.onLink = [this](const std::filesystem::path& file) { pendingLink_ = file.string(); };
}

Browser::~Browser()
{
    // The document's fonts go back to the container, which must still exist.
    page_->document.reset();
}

bool Browser::Navigate(std::string_view path)
{
    const std::filesystem::path file = ResolvePath(path);
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
    location_ = (ec ? file : absolute).string();
    std::string bytes;
    std::error_code dirError;
    if (std::filesystem::is_directory(file, dirError) || !ReadFile(file, bytes)) {
        log_(std::string(path) + ": page cannot be read");
        Load(std::string(), std::string());
        return false;
    }
    Load(Cp1252ToUtf8(bytes), (ec ? file : absolute).parent_path().string());
    return true;
}

void Browser::Load(const std::string& utf8, const std::string& folder)
{
    page_->document.reset();
    page_->container.SetPageFolder(folder);
    if (!utf8.empty()) {
        const std::string html = browser::ConvertLegacyMarkup(utf8);
        page_->document =
            litehtml::document::createFromUTF8(html.c_str(), &page_->container, &page_->context);
    }
    dirty_ = true;
}

void Browser::SetControlRect(const BrowserRect& rect)
{
    if (rect.Width() != control_.Width() || rect.Height() != control_.Height())
        dirty_ = true;
    control_ = rect;
}

BrowserRect Browser::PageScreenRect() const
{
    return {host_.left + control_.left, host_.top + control_.top, host_.left + control_.right,
            host_.top + control_.bottom};
}

bool Browser::IsMouseOver(int x, int y) const
{
    return shown_ && host_.Contains(x, y);
}

bool Browser::Click(int x, int y)
{
    if (!IsMouseOver(x, y) || !page_->document)
        return false;
    const BrowserRect page = PageScreenRect();
    const int px = x - page.left, py = y - page.top;
    litehtml::position::vector boxes;
    pendingLink_.clear();
    page_->document->on_mouse_over(px, py, px, py, boxes);
    page_->document->on_lbutton_down(px, py, px, py, boxes);
    page_->document->on_lbutton_up(px, py, px, py, boxes);
    page_->document->on_mouse_leave(boxes);
    if (pendingLink_.empty())
        return false;
    const std::string link = pendingLink_;
    pendingLink_.clear();
    Navigate(link);
    return true;
}

bool Browser::Update()
{
    const int w = std::max(0, control_.Width()), h = std::max(0, control_.Height());
    if (!dirty_ && w == width_ && h == height_)
        return false;
    width_ = w;
    height_ = h;
    pixels_.assign(size_t(w) * size_t(h), 0xFFFFFFFFu);
    if (page_->document && w > 0 && h > 0) {
        page_->container.SetViewSize(w, h);
        if (dirty_ || laidOutWidth_ != w)
            page_->document->render(w);
        laidOutWidth_ = w;
        browser::Canvas canvas;
        canvas.pixels = pixels_.data();
        canvas.width = w;
        canvas.height = h;
        page_->container.SetCanvas(&canvas);
        const litehtml::position clip(0, 0, w, h);
        page_->document->draw(reinterpret_cast<litehtml::uint_ptr>(&canvas), 0, 0, &clip);
        page_->container.SetCanvas(nullptr);
    }
    dirty_ = false;
    ++paints_;
    return true;
}

} // namespace platform
