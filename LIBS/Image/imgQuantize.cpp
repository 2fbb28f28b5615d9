#include "LIBS/Image/imgQuantize.h"

#include "LIBS/Image/imgFormats.h"
#include "LIBS/Image/imgImage.h"

#include <algorithm>
#include <vector>

namespace {

const int kOrderedMatrix[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

inline uint32_t word(int a, int r, int g, int b)
{
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

inline int chA(uint32_t w)
{
    return int(w >> 24);
}
inline int chR(uint32_t w)
{
    return int(w >> 16) & 0xFF;
}
inline int chG(uint32_t w)
{
    return int(w >> 8) & 0xFF;
}
inline int chB(uint32_t w)
{
    return int(w) & 0xFF;
}

// Levels of a 4-bit luma field; the chroma fields of the YIQ formats carry no
// table in this library, so those formats are shown and stored by luma alone.
uint32_t expandPixel(const uint8_t* p, int format, const uint32_t* palette)
{
    auto u16 = [p] { return unsigned(p[0]) | unsigned(p[1]) << 8; };
    auto pal = [palette](unsigned i) { return palette ? palette[i & 0xFF] & 0xFFFFFF : 0u; };
    switch (format) {
    case FMT_RGB_332: {
        unsigned v = p[0];
        return word(255, imgQuantize::level(v >> 5, 3), imgQuantize::level((v >> 2) & 7, 3),
                    imgQuantize::level(v & 3, 2));
    }
    case FMT_P_8:
        return 0xFF000000u | pal(p[0]);
    case FMT_A_8:
        return word(p[0], 255, 255, 255);
    case FMT_I_8:
        return word(255, p[0], p[0], p[0]);
    case FMT_AI_44: {
        int i = imgQuantize::level(p[0] & 15, 4);
        return word(imgQuantize::level(p[0] >> 4, 4), i, i, i);
    }
    case FMT_YIQ_422: {
        int y = imgQuantize::level(p[0] >> 4, 4);
        return word(255, y, y, y);
    }
    case FMT_RGB_565: {
        unsigned v = u16();
        return word(255, imgQuantize::level(v >> 11, 5), imgQuantize::level((v >> 5) & 63, 6),
                    imgQuantize::level(v & 31, 5));
    }
    case FMT_ARGB_1555: {
        unsigned v = u16();
        return word((v >> 15) ? 255 : 0, imgQuantize::level((v >> 10) & 31, 5),
                    imgQuantize::level((v >> 5) & 31, 5), imgQuantize::level(v & 31, 5));
    }
    case FMT_RGBA_5551: {
        unsigned v = u16();
        return word((v & 1) ? 255 : 0, imgQuantize::level(v >> 11, 5), imgQuantize::level((v >> 6) & 31, 5),
                    imgQuantize::level((v >> 1) & 31, 5));
    }
    case FMT_ARGB_4444: {
        unsigned v = u16();
        return word(imgQuantize::level(v >> 12, 4), imgQuantize::level((v >> 8) & 15, 4),
                    imgQuantize::level((v >> 4) & 15, 4), imgQuantize::level(v & 15, 4));
    }
    case FMT_ARGB_8332: {
        unsigned v = u16();
        return word(int(v >> 8), imgQuantize::level((v >> 5) & 7, 3), imgQuantize::level((v >> 2) & 7, 3),
                    imgQuantize::level(v & 3, 2));
    }
    case FMT_AYIQ_8422: {
        unsigned v = u16();
        int y = imgQuantize::level((v >> 4) & 15, 4);
        return word(int(v >> 8), y, y, y);
    }
    case FMT_AP_88: {
        unsigned v = u16();
        return uint32_t(v >> 8) << 24 | pal(v & 0xFF);
    }
    case FMT_AI_88: {
        unsigned v = u16();
        int i = int(v & 0xFF);
        return word(int(v >> 8), i, i, i);
    }
    case FMT_RGB_888:
        return word(255, p[0], p[1], p[2]);
    case FMT_BGR_888:
    case FMT_BGR_888_PADDED:
        return word(255, p[2], p[1], p[0]);
    case FMT_BGRA_8888:
        return word(p[3], p[2], p[1], p[0]);
    case FMT_ARGB_8888:
        return word(p[0], p[1], p[2], p[3]);
    default:
        return 0;
    }
}

void store(uint8_t* p, int bytes, uint32_t v)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// Channel layout of the quantising targets: which channels are cut to fewer
// than 8 bits, and how the fields are put together again.
struct Fields
{
    int r, g, b; // bits of the colour fields, 0 when the target has none
    int i;       // bits of the intensity field, 0 when none
};

bool fieldsOf(int format, Fields& f)
{
    switch (format) {
    case FMT_RGB_332:
    case FMT_ARGB_8332:
        f = {3, 3, 2, 0};
        return true;
    case FMT_RGB_565:
        f = {5, 6, 5, 0};
        return true;
    case FMT_ARGB_1555:
    case FMT_RGBA_5551:
        f = {5, 5, 5, 0};
        return true;
    case FMT_ARGB_4444:
        f = {4, 4, 4, 0};
        return true;
    case FMT_AI_44:
    case FMT_YIQ_422:
    case FMT_AYIQ_8422:
        f = {0, 0, 0, 4};
        return true;
    default:
        return false;
    }
}

// Packs quantised fields (values already cut to their bit widths) and the
// 8-bit alpha into the target format.
uint32_t pack(int format, int r, int g, int b, int i, int a)
{
    switch (format) {
    case FMT_RGB_332:
        return uint32_t(r << 5 | g << 2 | b);
    case FMT_ARGB_8332:
        return uint32_t(a << 8 | r << 5 | g << 2 | b);
    case FMT_RGB_565:
        return uint32_t(r << 11 | g << 5 | b);
    case FMT_ARGB_1555:
        return uint32_t((a >> 7) << 15 | r << 10 | g << 5 | b);
    case FMT_RGBA_5551:
        return uint32_t(r << 11 | g << 6 | b << 1 | (a >> 7));
    case FMT_ARGB_4444:
        return uint32_t((a >> 4) << 12 | r << 8 | g << 4 | b);
    case FMT_AI_44:
        return uint32_t((a & 0xF0) | i);
    case FMT_YIQ_422:
        return uint32_t(i << 4);
    case FMT_AYIQ_8422:
        return uint32_t(a << 8 | i << 4);
    default:
        return 0;
    }
}

int orderedLevel(int c, int bits, int matrix)
{
    int steps = (1 << bits) - 1;
    int scaled = (c * steps * 16 + 127) / 255;
    return std::min((scaled + matrix) >> 4, steps);
}

int diffusionLevel(int v, int bits)
{
    return (v * ((1 << (bits + 8)) - 1)) >> 16;
}

// Error carried over a line and into the next one, per channel: 3/8 of a
// pixel's error goes right, 3/8 down and 1/4 down-right.
class Diffusion
{
public:
    Diffusion(int width, int channels)
        : w_(width + 1), ch_(channels), cur_(size_t(w_) * ch_), next_(size_t(w_) * ch_), carry_(ch_)
    {
    }
    void startRow()
    {
        std::swap(cur_, next_);
        std::fill(next_.begin(), next_.end(), 0);
        std::fill(carry_.begin(), carry_.end(), 0);
    }
    int value(int x, int c, int channel) const { return channel + carry_[c] + cur_[size_t(x) * ch_ + c]; }
    void spread(int x, int c, int e)
    {
        carry_[c] = e * 3 / 8;
        next_[size_t(x) * ch_ + c] += e * 3 / 8;
        next_[size_t(x + 1) * ch_ + c] += e / 4;
    }

private:
    int w_, ch_;
    std::vector<int> cur_, next_, carry_;
};

} // namespace

int imgQuantize::intensity(int r, int g, int b)
{
    return (30 * r + 59 * g + 11 * b + 50) / 100;
}

int imgQuantize::level(int value, int bits)
{
    int steps = (1 << bits) - 1;
    return (value * 255 + steps / 2) / steps;
}

uint32_t imgQuantize::encodePixel(uint32_t w, int format)
{
    int a = chA(w), r = chR(w), g = chG(w), b = chB(w);
    switch (format) {
    case FMT_A_8:
        return uint32_t(a);
    case FMT_I_8:
        return uint32_t(intensity(r, g, b));
    case FMT_AI_88:
        return uint32_t(a << 8 | intensity(r, g, b));
    case FMT_RGB_888:
        return uint32_t(r | g << 8 | b << 16);
    case FMT_BGR_888:
    case FMT_BGR_888_PADDED:
        return uint32_t(b | g << 8 | r << 16);
    case FMT_BGRA_8888:
        return w;
    case FMT_ARGB_8888:
        return uint32_t(a | r << 8 | g << 16 | b << 24);
    default:
        break;
    }
    Fields f;
    if (!fieldsOf(format, f))
        return 0;
    return pack(format, r >> (8 - std::max(f.r, 1)), g >> (8 - std::max(f.g, 1)), b >> (8 - std::max(f.b, 1)),
                intensity(r, g, b) >> 4, a);
}

void imgQuantize::expand(uint32_t* target, const uint8_t* source, int width, int height, int format,
                         const uint32_t* palette)
{
    int bpp = imgFormatBits(format) / 8;
    if (bpp == 0 || width <= 0 || height <= 0)
        return;
    int pitch = imgLineBytes(width, format);
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t* line = source + size_t(y) * pitch;
        uint32_t* out = target + size_t(y) * width;
        for (int x = width - 1; x >= 0; --x)
            out[x] = expandPixel(line + size_t(x) * bpp, format, palette);
    }
}

bool imgQuantize::encode(uint8_t* target, int targetPitch, const uint32_t* source, int width, int height,
                         int format, const uint32_t* palette, int ditherMode)
{
    if (format == FMT_P_8 || format == FMT_AP_88)
        return imgQuantizePal256::map(target, targetPitch, source, width, height, format, palette,
                                      ditherMode);
    int bpp = imgFormatBits(format) / 8;
    if (bpp == 0)
        return false;
    Fields f;
    int mode = ditherMode & 3;
    if (!fieldsOf(format, f))
        mode = 0; // nothing is cut below 8 bits, so nothing to dither
    if (mode == 0) {
        // The format is chosen once per image, not once per pixel.
        auto lines = [&](auto encodeOne) {
            for (int y = 0; y < height; ++y) {
                uint8_t* out = target + size_t(y) * targetPitch;
                const uint32_t* in = source + size_t(y) * width;
                for (int x = 0; x < width; ++x)
                    store(out + size_t(x) * bpp, bpp, encodeOne(in[x]));
            }
        };
        switch (format) {
        case FMT_RGB_565:
            lines([](uint32_t w) { return (w >> 8 & 0xF800) | (w >> 5 & 0x07E0) | (w >> 3 & 0x001F); });
            break;
        case FMT_ARGB_1555:
            lines([](uint32_t w) {
                return (w >> 16 & 0x8000) | (w >> 9 & 0x7C00) | (w >> 6 & 0x03E0) | (w >> 3 & 0x001F);
            });
            break;
        case FMT_ARGB_4444:
            lines([](uint32_t w) {
                return (w >> 16 & 0xF000) | (w >> 12 & 0x0F00) | (w >> 8 & 0x00F0) | (w >> 4 & 0x000F);
            });
            break;
        case FMT_BGRA_8888:
            lines([](uint32_t w) { return w; });
            break;
        default:
            lines([format](uint32_t w) { return encodePixel(w, format); });
            break;
        }
        return true;
    }
    if (mode == DITHER_ORDERED) {
        for (int y = 0; y < height; ++y) {
            uint8_t* out = target + size_t(y) * targetPitch;
            const uint32_t* in = source + size_t(y) * width;
            for (int x = 0; x < width; ++x) {
                uint32_t w = in[x];
                int m = kOrderedMatrix[(y & 3) * 4 + (x & 3)];
                int r = 0, g = 0, b = 0, i = 0;
                if (f.i)
                    i = orderedLevel(intensity(chR(w), chG(w), chB(w)), f.i, m);
                else {
                    r = orderedLevel(chR(w), f.r, m);
                    g = orderedLevel(chG(w), f.g, m);
                    b = orderedLevel(chB(w), f.b, m);
                }
                store(out + size_t(x) * bpp, bpp, pack(format, r, g, b, i, chA(w)));
            }
        }
        return true;
    }
    const int channels = f.i ? 1 : 3;
    const int bits[3] = {f.i ? f.i : f.r, f.g, f.b};
    Diffusion d(width, channels);
    d.startRow();
    for (int y = 0; y < height; ++y) {
        d.startRow();
        uint8_t* out = target + size_t(y) * targetPitch;
        const uint32_t* in = source + size_t(y) * width;
        for (int x = 0; x < width; ++x) {
            uint32_t w = in[x];
            int src[3] = {chR(w), chG(w), chB(w)};
            if (f.i)
                src[0] = intensity(src[0], src[1], src[2]);
            int q[3] = {0, 0, 0};
            for (int c = 0; c < channels; ++c) {
                int v = d.value(x, c, src[c]);
                q[c] = diffusionLevel(std::clamp(v, 0, 255), bits[c]);
                d.spread(x, c, v - level(q[c], bits[c]));
            }
            uint32_t packed =
                f.i ? pack(format, 0, 0, 0, q[0], chA(w)) : pack(format, q[0], q[1], q[2], 0, chA(w));
            store(out + size_t(x) * bpp, bpp, packed);
        }
    }
    return true;
}

bool imgQuantizePal256::map(uint8_t* target, int targetPitch, const uint32_t* source, int width, int height,
                            int format, const uint32_t* palette, int ditherMode)
{
    if (!palette || (format != FMT_P_8 && format != FMT_AP_88))
        return false;
    int bpp = format == FMT_P_8 ? 1 : 2;
    auto put = [&](uint8_t* p, int index, int alpha) {
        p[0] = uint8_t(index);
        if (bpp == 2)
            p[1] = uint8_t(alpha);
    };
    if ((ditherMode & 3) == 0) {
        for (int y = 0; y < height; ++y) {
            uint8_t* out = target + size_t(y) * targetPitch;
            const uint32_t* in = source + size_t(y) * width;
            for (int x = 0; x < width; ++x)
                put(out + size_t(x) * bpp,
                    imgImage::nearestPaletteIndex(chR(in[x]), chG(in[x]), chB(in[x]), palette, 256),
                    chA(in[x]));
        }
        return true;
    }
    Diffusion d(width, 3);
    d.startRow();
    for (int y = 0; y < height; ++y) {
        d.startRow();
        uint8_t* out = target + size_t(y) * targetPitch;
        const uint32_t* in = source + size_t(y) * width;
        for (int x = 0; x < width; ++x) {
            uint32_t w = in[x];
            int v[3] = {d.value(x, 0, chR(w)), d.value(x, 1, chG(w)), d.value(x, 2, chB(w))};
            int index = imgImage::nearestPaletteIndex(std::clamp(v[0], 0, 255), std::clamp(v[1], 0, 255),
                                                      std::clamp(v[2], 0, 255), palette, 256);
            uint32_t p = palette[index];
            d.spread(x, 0, v[0] - chR(p));
            d.spread(x, 1, v[1] - chG(p));
            d.spread(x, 2, v[2] - chB(p));
            put(out + size_t(x) * bpp, index, chA(w));
        }
    }
    return true;
}
