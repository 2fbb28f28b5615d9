#pragma once
// The inside of the page view: the default style sheet, the rewrite of old
// presentational markup into style, the page's images and the renderer's
// drawing container.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <litehtml/litehtml.h>

#include "platform/gdi/Gdi.h"

namespace platform::browser {

const char* MasterStyleSheet();

// Old attributes (bgcolor, align, font color and size, table widths and padding,
// image spacing) become the equal inline style, ahead of the tag's own style so
// that an author's style still wins. Everything else is copied unchanged.
std::string ConvertLegacyMarkup(std::string_view html);

// An image decoded to 32-bit pixels 0xAARRGGBB, rows top first.
struct PageImage
{
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};
// PNG and JPEG through stb_image, the rest through the image library; false when
// the file is missing or cannot be decoded.
bool LoadPageImage(const std::filesystem::path& file, PageImage& out);

// The file a link or image source on a page names: relative to the page's folder,
// matched case-insensitively; "file:" prefixes are accepted. Empty for anything
// that is not a local file (a web address, "javascript:", an empty source).
std::filesystem::path ResolvePageLink(const std::filesystem::path& pageFolder, std::string_view link);

// 32-bit pixels with a stack of clip rectangles.
struct Canvas
{
    uint32_t* pixels = nullptr;
    int width = 0, height = 0;
    std::vector<litehtml::position> clips;
    // The drawable area: the canvas cut by the innermost clip.
    litehtml::position Bounds() const;
    void FillRect(const litehtml::position& rect, litehtml::web_color color);
};

class PageContainer : public litehtml::document_container
{
public:
    PageContainer();
    ~PageContainer();

    void SetPageFolder(const std::filesystem::path& folder) { folder_ = folder; }
    void SetViewSize(int width, int height)
    {
        viewWidth_ = width;
        viewHeight_ = height;
    }
    // Called for a click on a link to a local file.
    std::function<void(const std::filesystem::path&)> onLink;

    litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                   litehtml::font_style italic, unsigned int decoration,
                                   litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr hFont) override;
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) override;
    void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
                   litehtml::web_color color, const litehtml::position& pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override;
    const litehtml::tchar_t* get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                    bool redraw_on_ready) override;
    void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                        litehtml::size& sz) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                      const litehtml::position& draw_pos, bool root) override;
    void set_caption(const litehtml::tchar_t* caption) override;
    void set_base_url(const litehtml::tchar_t* base_url) override;
    void link(const std::shared_ptr<litehtml::document>& doc, const litehtml::element::ptr& el) override;
    void on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr& el) override;
    void set_cursor(const litehtml::tchar_t* cursor) override;
    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
    void import_css(litehtml::tstring& text, const litehtml::tstring& url,
                    litehtml::tstring& baseurl) override;
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius, bool valid_x,
                  bool valid_y) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    std::shared_ptr<litehtml::element>
    create_element(const litehtml::tchar_t* tag_name, const litehtml::string_map& attributes,
                   const std::shared_ptr<litehtml::document>& doc) override;
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;

    // The canvas the next draw paints on (litehtml hands it back as its device handle).
    void SetCanvas(Canvas* canvas) { canvas_ = canvas; }

private:
    struct Font
    {
        platform::TextFont face;
        unsigned decoration = 0;
    };
    const PageImage* Image(const litehtml::tchar_t* src);

    std::filesystem::path folder_;
    int viewWidth_ = 0, viewHeight_ = 0;
    Canvas* canvas_ = nullptr;
    std::map<std::string, PageImage> images_;
};

} // namespace platform::browser
