#include "platform/gdi/Gdi.h"

#include "platform/files/Cp1252.h"

#include "platform/gdi/FreeTypeApi.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace platform {

struct TextFont::Impl
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int pixelHeight = 0;
    ~Impl()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

namespace {

std::string FontFile(const char* name)
{
    const char* folders[] = {
        "/usr/share/fonts/truetype/dejavu/",
        "/usr/share/fonts/TTF/",
        "/usr/share/fonts/dejavu/",
    };
    std::error_code ec;
    for (const char* f : folders)
        if (std::filesystem::exists(std::string(f) + name, ec))
            return std::string(f) + name;
    return std::string(folders[0]) + name;
}

std::string DefaultFontFile()
{
    return FontFile("DejaVuSans.ttf");
}

std::vector<uint32_t> Cp1252CodePoints(std::string_view text)
{
    std::vector<uint32_t> out;
    out.reserve(text.size());
    for (char c : text)
        out.push_back(Cp1252ToCodePoint(uint8_t(c)));
    return out;
}

} // namespace

TextFont::TextFont() = default;
TextFont::~TextFont() = default;

bool TextFont::Create(int pixelHeight, const std::string& fontFile)
{
    impl_.reset();
    if (pixelHeight <= 0 || pixelHeight > 1000)
        return false;
    auto impl = std::make_unique<Impl>();
    std::string file = fontFile.empty() ? DefaultFontFile() : fontFile;
    if (FT_Init_FreeType(&impl->library) != 0) {
        std::fprintf(stderr, "Font engine cannot be started\n");
        return false;
    }
    if (FT_New_Face(impl->library, file.c_str(), 0, &impl->face) != 0) {
        std::fprintf(stderr, "%s: font cannot be loaded\n", file.c_str());
        return false;
    }
    if (FT_Set_Pixel_Sizes(impl->face, 0, FT_UInt(pixelHeight)) != 0) {
        std::fprintf(stderr, "%s: size %d not available\n", file.c_str(), pixelHeight);
        return false;
    }
    impl->pixelHeight = pixelHeight;
    impl_ = std::move(impl);
    return true;
}

bool TextFont::IsLoaded() const
{
    return impl_ != nullptr;
}

int TextFont::LineHeight() const
{
    if (!impl_)
        return 0;
    return int(impl_->face->size->metrics.height >> 6);
}

bool TextFont::CreateStyled(int pixelHeight, bool bold, bool italic)
{
    const char* name = bold && italic ? "DejaVuSans-BoldOblique.ttf"
                       : bold         ? "DejaVuSans-Bold.ttf"
                       : italic       ? "DejaVuSans-Oblique.ttf"
                                      : "DejaVuSans.ttf";
    std::error_code ec;
    const std::string file = FontFile(name);
    return Create(pixelHeight, std::filesystem::exists(file, ec) ? file : std::string());
}

int TextFont::Ascent() const
{
    return impl_ ? int(impl_->face->size->metrics.ascender >> 6) : 0;
}

int TextFont::Descent() const
{
    return impl_ ? int(-impl_->face->size->metrics.descender >> 6) : 0;
}

int TextFont::TextWidth(std::string_view text) const
{
    return Width(Cp1252CodePoints(text));
}

int TextFont::TextWidthUtf8(std::string_view text) const
{
    return Width(Utf8ToCodePoints(text));
}

void TextFont::DrawText(uint32_t* pixels, int width, int height, int pitchBytes, int x, int y,
                        std::string_view text, uint32_t color) const
{
    Draw(pixels, width, height, pitchBytes, x, y, Cp1252CodePoints(text), color);
}

void TextFont::DrawTextUtf8(uint32_t* pixels, int width, int height, int pitchBytes, int x, int y,
                            std::string_view text, uint32_t color) const
{
    Draw(pixels, width, height, pitchBytes, x, y, Utf8ToCodePoints(text), color);
}

int TextFont::Width(const std::vector<uint32_t>& codePoints) const
{
    if (!impl_)
        return 0;
    long advance = 0;
    for (uint32_t cp : codePoints) {
        FT_UInt glyph = FT_Get_Char_Index(impl_->face, cp);
        if (FT_Load_Glyph(impl_->face, glyph, FT_LOAD_DEFAULT) == 0)
            advance += impl_->face->glyph->advance.x;
    }
    return int(advance >> 6);
}

void TextFont::Draw(uint32_t* pixels, int width, int height, int pitchBytes, int x, int y,
                    const std::vector<uint32_t>& codePoints, uint32_t color) const
{
    if (!impl_ || !pixels || width <= 0 || height <= 0 || pitchBytes < width * 4)
        return;
    FT_Face face = impl_->face;
    const int ascender = int(face->size->metrics.ascender >> 6);
    long penX = long(x) << 6;
    const int baseline = y + ascender;
    const uint32_t sr = (color >> 16) & 0xFF, sg = (color >> 8) & 0xFF, sb = color & 0xFF;
    for (uint32_t cp : codePoints) {
        FT_UInt glyph = FT_Get_Char_Index(face, cp);
        if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        int left = int(penX >> 6) + slot->bitmap_left;
        int top = baseline - slot->bitmap_top;
        for (int row = 0; row < int(bm.rows); ++row) {
            int py = top + row;
            if (py < 0 || py >= height)
                continue;
            auto* line = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) +
                                                     size_t(py) * size_t(pitchBytes));
            const uint8_t* src = bm.buffer + row * bm.pitch;
            for (int col = 0; col < int(bm.width); ++col) {
                int px = left + col;
                if (px < 0 || px >= width)
                    continue;
                uint32_t a = src[col];
                if (!a)
                    continue;
                uint32_t d = line[px];
                uint32_t r = (sr * a + ((d >> 16) & 0xFF) * (255 - a) + 127) / 255;
                uint32_t g = (sg * a + ((d >> 8) & 0xFF) * (255 - a) + 127) / 255;
                uint32_t b = (sb * a + (d & 0xFF) * (255 - a) + 127) / 255;
                line[px] = (d & 0xFF000000u) | (r << 16) | (g << 8) | b;
            }
        }
        penX += slot->advance.x;
    }
}

} // namespace platform
