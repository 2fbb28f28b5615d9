#include "platform/browser/PageParts.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace platform::browser {

namespace {

litehtml::position Intersect(const litehtml::position& a, const litehtml::position& b)
{
    const int l = std::max(a.left(), b.left()), t = std::max(a.top(), b.top());
    const int r = std::min(a.right(), b.right()), btm = std::min(a.bottom(), b.bottom());
    return litehtml::position(l, t, std::max(0, r - l), std::max(0, btm - t));
}

uint32_t Blend(uint32_t dst, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    if (a >= 255)
        return 0xFF000000u | r << 16 | g << 8 | b;
    const uint32_t dr = (dst >> 16) & 0xFF, dg = (dst >> 8) & 0xFF, db = dst & 0xFF;
    return 0xFF000000u | ((r * a + dr * (255 - a) + 127) / 255) << 16 |
           ((g * a + dg * (255 - a) + 127) / 255) << 8 | ((b * a + db * (255 - a) + 127) / 255);
}

Canvas* CanvasOf(litehtml::uint_ptr hdc)
{
    return reinterpret_cast<Canvas*>(hdc);
}

} // namespace

litehtml::position Canvas::Bounds() const
{
    litehtml::position all(0, 0, width, height);
    return clips.empty() ? all : Intersect(all, clips.back());
}

void Canvas::FillRect(const litehtml::position& rect, litehtml::web_color color)
{
    if (!pixels || color.alpha == 0)
        return;
    const litehtml::position r = Intersect(rect, Bounds());
    for (int y = r.top(); y < r.bottom(); ++y) {
        uint32_t* line = pixels + size_t(y) * size_t(width);
        for (int x = r.left(); x < r.right(); ++x)
            line[x] = Blend(line[x], color.red, color.green, color.blue, color.alpha);
    }
}

PageContainer::PageContainer() = default;
PageContainer::~PageContainer() = default;

litehtml::uint_ptr PageContainer::create_font(const litehtml::tchar_t* /*faceName*/, int size, int weight,
                                              litehtml::font_style italic, unsigned int decoration,
                                              litehtml::font_metrics* fm)
{
    // One family for every face the pages name: the game ships DejaVu Sans only.
    auto font = std::make_unique<Font>();
    size = std::clamp(size, 4, 200);
    if (!font->face.CreateStyled(size, weight >= 600, italic == litehtml::fontStyleItalic))
        return 0;
    font->decoration = decoration;
    if (fm) {
        fm->ascent = font->face.Ascent();
        fm->descent = font->face.Descent();
        fm->height = font->face.LineHeight();
        fm->x_height = font->face.TextWidthUtf8("x");
        fm->draw_spaces = decoration != 0;
    }
    return reinterpret_cast<litehtml::uint_ptr>(font.release());
}

void PageContainer::delete_font(litehtml::uint_ptr hFont)
{
    delete reinterpret_cast<Font*>(hFont);
}

int PageContainer::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont)
{
    const Font* font = reinterpret_cast<const Font*>(hFont);
    return font && text ? font->face.TextWidthUtf8(text) : 0;
}

void PageContainer::draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
                              litehtml::web_color color, const litehtml::position& pos)
{
    Canvas* c = CanvasOf(hdc);
    const Font* font = reinterpret_cast<const Font*>(hFont);
    if (!c || !c->pixels || !font || !text)
        return;
    const litehtml::position b = c->Bounds();
    if (b.width <= 0 || b.height <= 0)
        return;
    // The text is drawn into the clip area as its own smaller picture.
    uint32_t* origin = c->pixels + size_t(b.top()) * size_t(c->width) + size_t(b.left());
    const int top = pos.bottom() - font->face.Descent() - font->face.Ascent();
    const uint32_t rgb = uint32_t(color.red) << 16 | uint32_t(color.green) << 8 | color.blue;
    font->face.DrawTextUtf8(origin, b.width, b.height, c->width * 4, pos.left() - b.left(), top - b.top(),
                            text, rgb);
    if (font->decoration & (litehtml::font_decoration_underline | litehtml::font_decoration_linethrough)) {
        const int w = font->face.TextWidthUtf8(text);
        const int baseline = top + font->face.Ascent();
        if (font->decoration & litehtml::font_decoration_underline)
            c->FillRect(litehtml::position(pos.left(), baseline + 1, w, 1), color);
        if (font->decoration & litehtml::font_decoration_linethrough)
            c->FillRect(litehtml::position(pos.left(), baseline - font->face.Ascent() / 3, w, 1), color);
    }
}

int PageContainer::pt_to_px(int pt) const
{
    return pt * 96 / 72;
}

int PageContainer::get_default_font_size() const
{
    return 16;
}

const litehtml::tchar_t* PageContainer::get_default_font_name() const
{
    return "DejaVu Sans";
}

void PageContainer::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker)
{
    Canvas* c = CanvasOf(hdc);
    if (!c)
        return;
    if (!marker.image.empty()) {
        if (const PageImage* img = Image(marker.image.c_str())) {
            litehtml::background_paint bg;
            bg.image = marker.image;
            bg.clip_box = bg.origin_box = bg.border_box = marker.pos;
            bg.image_size.width = img->width;
            bg.image_size.height = img->height;
            bg.position_x = marker.pos.x;
            bg.position_y = marker.pos.y;
            bg.repeat = litehtml::background_repeat_no_repeat;
            bg.color = litehtml::web_color(0, 0, 0, 0);
            draw_background(hdc, bg);
            return;
        }
    }
    // Numbered markers come as text from the renderer; the rest are small shapes.
    litehtml::position p = marker.pos;
    if (marker.marker_type == litehtml::list_style_type_circle) {
        c->FillRect(litehtml::position(p.x, p.y, p.width, 1), marker.color);
        c->FillRect(litehtml::position(p.x, p.bottom() - 1, p.width, 1), marker.color);
        c->FillRect(litehtml::position(p.x, p.y, 1, p.height), marker.color);
        c->FillRect(litehtml::position(p.right() - 1, p.y, 1, p.height), marker.color);
    } else if (marker.marker_type != litehtml::list_style_type_none) {
        c->FillRect(p, marker.color);
    }
}

const PageImage* PageContainer::Image(const litehtml::tchar_t* src)
{
    if (!src || !*src)
        return nullptr;
    auto it = images_.find(src);
    if (it == images_.end()) {
        PageImage image;
        const std::filesystem::path file = ResolvePageLink(folder_, src);
        // A missing picture is left out; the rest of the page still shows.
        if (!file.empty())
            LoadPageImage(file, image);
        it = images_.emplace(src, std::move(image)).first;
    }
    return it->second.pixels.empty() ? nullptr : &it->second;
}

void PageContainer::load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* /*baseurl*/,
                               bool /*redraw_on_ready*/)
{
    Image(src);
}

void PageContainer::get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* /*baseurl*/,
                                   litehtml::size& sz)
{
    const PageImage* img = Image(src);
    sz.width = img ? img->width : 0;
    sz.height = img ? img->height : 0;
}

void PageContainer::draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg)
{
    Canvas* c = CanvasOf(hdc);
    if (!c || !c->pixels)
        return;
    c->clips.push_back(Intersect(c->Bounds(), bg.clip_box));
    c->FillRect(bg.clip_box, bg.color);
    const PageImage* img = bg.image.empty() ? nullptr : Image(bg.image.c_str());
    if (img && bg.image_size.width > 0 && bg.image_size.height > 0) {
        const int w = bg.image_size.width, h = bg.image_size.height;
        const litehtml::position area = c->Bounds();
        int x0 = bg.position_x, y0 = bg.position_y;
        int x1 = x0 + w, y1 = y0 + h;
        const bool repeatX = bg.repeat == litehtml::background_repeat_repeat ||
                             bg.repeat == litehtml::background_repeat_repeat_x;
        const bool repeatY = bg.repeat == litehtml::background_repeat_repeat ||
                             bg.repeat == litehtml::background_repeat_repeat_y;
        if (repeatX) {
            x0 = area.left();
            x1 = area.right();
        }
        if (repeatY) {
            y0 = area.top();
            y1 = area.bottom();
        }
        const litehtml::position r = Intersect(area, litehtml::position(x0, y0, x1 - x0, y1 - y0));
        for (int y = r.top(); y < r.bottom(); ++y) {
            int iy = y - bg.position_y;
            iy = ((iy % h) + h) % h;
            const int sy = int(int64_t(iy) * img->height / h);
            uint32_t* line = c->pixels + size_t(y) * size_t(c->width);
            for (int x = r.left(); x < r.right(); ++x) {
                int ix = x - bg.position_x;
                ix = ((ix % w) + w) % w;
                const int sx = int(int64_t(ix) * img->width / w);
                const uint32_t s = img->pixels[size_t(sy) * size_t(img->width) + size_t(sx)];
                line[x] = Blend(line[x], (s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF, s >> 24);
            }
        }
    }
    c->clips.pop_back();
}

void PageContainer::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                                 const litehtml::position& p, bool /*root*/)
{
    Canvas* c = CanvasOf(hdc);
    if (!c)
        return;
    auto visible = [](const litehtml::border& b) {
        return b.width > 0 && b.style != litehtml::border_style_none &&
               b.style != litehtml::border_style_hidden;
    };
    // Inset and outset borders shade their sides, as old pages expect of tables.
    auto shade = [](const litehtml::border& b, bool topLeft) {
        litehtml::web_color col = b.color;
        const bool darker = (b.style == litehtml::border_style_inset && topLeft) ||
                            (b.style == litehtml::border_style_outset && !topLeft);
        if (darker) {
            col.red = litehtml::byte(col.red / 2);
            col.green = litehtml::byte(col.green / 2);
            col.blue = litehtml::byte(col.blue / 2);
        }
        return col;
    };
    if (visible(borders.top))
        c->FillRect(litehtml::position(p.x, p.y, p.width, borders.top.width), shade(borders.top, true));
    if (visible(borders.bottom))
        c->FillRect(litehtml::position(p.x, p.bottom() - borders.bottom.width, p.width, borders.bottom.width),
                    shade(borders.bottom, false));
    if (visible(borders.left))
        c->FillRect(litehtml::position(p.x, p.y, borders.left.width, p.height), shade(borders.left, true));
    if (visible(borders.right))
        c->FillRect(litehtml::position(p.right() - borders.right.width, p.y, borders.right.width, p.height),
                    shade(borders.right, false));
}

void PageContainer::set_caption(const litehtml::tchar_t* /*caption*/) {}

void PageContainer::set_base_url(const litehtml::tchar_t* /*base_url*/) {}

void PageContainer::link(const std::shared_ptr<litehtml::document>& /*doc*/,
                         const litehtml::element::ptr& /*el*/)
{
}

void PageContainer::on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr& /*el*/)
{
    if (!url)
        return;
    const std::filesystem::path file = ResolvePageLink(folder_, url);
    if (!file.empty() && onLink)
        onLink(file);
}

void PageContainer::set_cursor(const litehtml::tchar_t* /*cursor*/) {}

void PageContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt)
{
    // ASCII letters only; the pages are Western European text.
    if (tt == litehtml::text_transform_uppercase) {
        for (char& ch : text)
            if (ch >= 'a' && ch <= 'z')
                ch = char(ch - 'a' + 'A');
    } else if (tt == litehtml::text_transform_lowercase) {
        for (char& ch : text)
            if (ch >= 'A' && ch <= 'Z')
                ch = char(ch - 'A' + 'a');
    } else if (tt == litehtml::text_transform_capitalize && !text.empty() && text[0] >= 'a' &&
               text[0] <= 'z') {
        text[0] = char(text[0] - 'a' + 'A');
    }
}

void PageContainer::import_css(litehtml::tstring& text, const litehtml::tstring& url,
                               litehtml::tstring& /*baseurl*/)
{
    text.clear();
    const std::filesystem::path file = ResolvePageLink(folder_, url);
    if (file.empty())
        return;
    std::ifstream in(file, std::ios::binary);
    if (in)
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PageContainer::set_clip(const litehtml::position& pos, const litehtml::border_radiuses& /*bdr_radius*/,
                             bool valid_x, bool valid_y)
{
    if (!canvas_)
        return;
    litehtml::position clip = pos;
    const litehtml::position current = canvas_->Bounds();
    if (!valid_x) {
        clip.x = current.x;
        clip.width = current.width;
    }
    if (!valid_y) {
        clip.y = current.y;
        clip.height = current.height;
    }
    canvas_->clips.push_back(Intersect(current, clip));
}

void PageContainer::del_clip()
{
    if (canvas_ && !canvas_->clips.empty())
        canvas_->clips.pop_back();
}

void PageContainer::get_client_rect(litehtml::position& client) const
{
    client = litehtml::position(0, 0, viewWidth_, viewHeight_);
}

std::shared_ptr<litehtml::element>
PageContainer::create_element(const litehtml::tchar_t* /*tag_name*/,
                              const litehtml::string_map& /*attributes*/,
                              const std::shared_ptr<litehtml::document>& /*doc*/)
{
    return nullptr;
}

void PageContainer::get_media_features(litehtml::media_features& media) const
{
    media.type = litehtml::media_type_screen;
    media.width = media.device_width = viewWidth_;
    media.height = media.device_height = viewHeight_;
    media.color = 8;
    media.monochrome = 0;
    media.color_index = 256;
    media.resolution = 96;
}

void PageContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const
{
    language = "en";
    culture.clear();
}

} // namespace platform::browser
