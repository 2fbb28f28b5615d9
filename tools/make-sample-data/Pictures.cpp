// Pictures drawn in code, and the helpers every content function shares.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "LIBS/Image/imgFormats.h"
#include "LIBS/Image/imgImage.h"
#include "platform/files/AtomicFile.h"
#include "tools/make-sample-data/SampleData.h"

namespace sample {

namespace {

int Channel(uint32_t argb, int shift)
{
    return int((argb >> shift) & 0xFF);
}

uint32_t Clamp(int a, int r, int g, int b)
{
    auto c = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

// 5 x 7 block letters, one row a byte (bit 4 the left column).
struct SGlyph
{
    char c;
    uint8_t rows[7];
};
const SGlyph kGlyphs[] = {
    {'A', {14, 17, 17, 31, 17, 17, 17}}, {'B', {30, 17, 17, 30, 17, 17, 30}},
    {'C', {14, 17, 16, 16, 16, 17, 14}}, {'D', {30, 17, 17, 17, 17, 17, 30}},
    {'E', {31, 16, 16, 30, 16, 16, 31}}, {'F', {31, 16, 16, 30, 16, 16, 16}},
    {'G', {14, 17, 16, 23, 17, 17, 15}}, {'H', {17, 17, 17, 31, 17, 17, 17}},
    {'I', {14, 4, 4, 4, 4, 4, 14}},      {'J', {7, 2, 2, 2, 2, 18, 12}},
    {'K', {17, 18, 20, 24, 20, 18, 17}}, {'L', {16, 16, 16, 16, 16, 16, 31}},
    {'M', {17, 27, 21, 21, 17, 17, 17}}, {'N', {17, 17, 25, 21, 19, 17, 17}},
    {'O', {14, 17, 17, 17, 17, 17, 14}}, {'P', {30, 17, 17, 30, 16, 16, 16}},
    {'Q', {14, 17, 17, 17, 21, 18, 13}}, {'R', {30, 17, 17, 30, 20, 18, 17}},
    {'S', {15, 16, 16, 14, 1, 1, 30}},   {'T', {31, 4, 4, 4, 4, 4, 4}},
    {'U', {17, 17, 17, 17, 17, 17, 14}}, {'V', {17, 17, 17, 17, 17, 10, 4}},
    {'W', {17, 17, 17, 21, 21, 21, 10}}, {'X', {17, 17, 10, 4, 10, 17, 17}},
    {'Y', {17, 17, 10, 4, 4, 4, 4}},     {'Z', {31, 1, 2, 4, 8, 16, 31}},
    {'0', {14, 17, 19, 21, 25, 17, 14}}, {'1', {4, 12, 4, 4, 4, 4, 14}},
    {'2', {14, 17, 1, 2, 4, 8, 31}},     {'3', {31, 2, 4, 2, 1, 17, 14}},
    {'4', {2, 6, 10, 18, 31, 2, 2}},     {'5', {31, 16, 30, 1, 1, 17, 14}},
    {'6', {6, 8, 16, 30, 17, 17, 14}},   {'7', {31, 1, 2, 4, 8, 8, 8}},
    {'8', {14, 17, 17, 14, 17, 17, 14}}, {'9', {14, 17, 17, 15, 1, 2, 12}},
    {'.', {0, 0, 0, 0, 0, 12, 12}},      {':', {0, 12, 12, 0, 12, 12, 0}},
    {'-', {0, 0, 0, 31, 0, 0, 0}},       {'!', {4, 4, 4, 4, 4, 0, 4}},
    {'?', {14, 17, 1, 2, 4, 0, 4}},      {'/', {1, 1, 2, 4, 8, 16, 16}},
    {'+', {0, 4, 4, 31, 4, 4, 0}},       {'$', {4, 15, 20, 14, 5, 30, 4}},
};

const SGlyph* FindGlyph(char c)
{
    if (c >= 'a' && c <= 'z')
        c = char(c - 'a' + 'A');
    for (const SGlyph& g : kGlyphs)
        if (g.c == c)
            return &g;
    return nullptr;
}

} // namespace

uint32_t Rgb(int r, int g, int b)
{
    return Clamp(255, r, g, b);
}

uint32_t Mix(uint32_t a, uint32_t b, float t)
{
    auto m = [&](int shift) { return int(std::lround(Channel(a, shift) * (1 - t) + Channel(b, shift) * t)); };
    return Clamp(m(24), m(16), m(8), m(0));
}

void SPicture::Fill(int x0, int y0, int x1, int y1, uint32_t argb)
{
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
            At(x, y) = argb;
}

void SPicture::Frame(int x0, int y0, int x1, int y1, int t, uint32_t argb)
{
    Fill(x0, y0, x1, y0 + t, argb);
    Fill(x0, y1 - t, x1, y1, argb);
    Fill(x0, y0, x0 + t, y1, argb);
    Fill(x1 - t, y0, x1, y1, argb);
}

void SPicture::Shade(int x0, int y0, int x1, int y1, float f)
{
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x) {
            const uint32_t p = At(x, y);
            At(x, y) = Clamp(Channel(p, 24), int(Channel(p, 16) * f), int(Channel(p, 8) * f),
                             int(Channel(p, 0) * f));
        }
}

void SPicture::Noise(CRandom& random, float amount)
{
    for (uint32_t& p : pixels) {
        const float f = 1.0f + (random.Unit() - 0.5f) * 2.0f * amount;
        p = Clamp(Channel(p, 24), int(Channel(p, 16) * f), int(Channel(p, 8) * f), int(Channel(p, 0) * f));
    }
}

void SPicture::VerticalGradient(int x0, int y0, int x1, int y1, uint32_t top, uint32_t bottom)
{
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y) {
        const uint32_t c = Mix(top, bottom, y1 - y0 > 1 ? float(y - y0) / float(y1 - y0 - 1) : 0.0f);
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
            At(x, y) = c;
    }
}

void SPicture::Disc(float cx, float cy, float radius, uint32_t argb)
{
    for (int y = std::max(0, int(cy - radius)); y <= std::min(height - 1, int(cy + radius)); ++y)
        for (int x = std::max(0, int(cx - radius)); x <= std::min(width - 1, int(cx + radius)); ++x) {
            const float dx = float(x) + 0.5f - cx, dy = float(y) + 0.5f - cy;
            if (dx * dx + dy * dy <= radius * radius)
                At(x, y) = argb;
        }
}

void SPicture::Text(int x, int y, const char* text, int scale, uint32_t argb)
{
    for (const char* s = text; *s; ++s, x += 6 * scale) {
        const SGlyph* g = FindGlyph(*s);
        if (!g)
            continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g->rows[row] & (16 >> col))
                    Fill(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale,
                         argb);
    }
}

int SPicture::TextWidth(const char* text, int scale)
{
    const int n = int(std::char_traits<char>::length(text));
    return n > 0 ? (6 * n - 1) * scale : 0;
}

bool SPicture::Save(const fs::path& path, std::string& error) const
{
    const bool alpha = path.extension() == ".tga";
    imgImage image;
    if (image.allocate(width, height, alpha ? FMT_BGRA_8888 : FMT_BGR_888, ORIGIN_TOP_LEFT) != 1) {
        error = path.string() + ": cannot allocate a " + std::to_string(width) + "x" +
                std::to_string(height) + " picture";
        return false;
    }
    const int bytes = alpha ? 4 : 3;
    for (size_t i = 0; i < pixels.size(); ++i)
        for (int c = 0; c < bytes; ++c)
            image.pixels[i * size_t(bytes) + size_t(c)] = uint8_t(pixels[i] >> (8 * c));
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (image.save(path.string().c_str()) != 1) {
        error = path.string() + ": the picture could not be written";
        return false;
    }
    return true;
}

bool WriteFileBytes(const fs::path& path, const void* data, size_t size, std::string& error)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    const auto r = platform::WriteFileAtomically(path, data, size);
    if (r.step == platform::AtomicWriteResult::Replace)
        error = path.string() + ": " + r.error.message();
    else if (!r)
        error = path.string() + ": cannot write the file";
    return bool(r);
}

} // namespace sample
