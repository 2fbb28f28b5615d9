#include "LIBS/Image/imgImage.h"
#include "LIBS/Image/imgQuantize.h"
#include "LIBS/System/sLog.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

int clampCoordinate(int v, int limit)
{
    int c = std::clamp(v, 0, limit - 1);
    if (c != v)
        SLOG_WARNING("invalid area! valueas are clamped to correct values.");
    return c;
}

uint8_t channelOf(uint32_t word, int kind)
{
    switch (kind) {
    case CHANNEL_RED:
        return uint8_t(word >> 16);
    case CHANNEL_GREEN:
        return uint8_t(word >> 8);
    case CHANNEL_BLUE:
        return uint8_t(word);
    case CHANNEL_ALPHA:
        return uint8_t(word >> 24);
    default:
        return uint8_t(
            imgQuantize::intensity(int(word >> 16 & 0xFF), int(word >> 8 & 0xFF), int(word & 0xFF)));
    }
}

} // namespace

int imgImage::extract(int kind, void* destination, int fmt, int org, int x0, int y0, int x1, int y1,
                      int destinationPitch) const
{
    if (!formatFits(kind) || !destination || !imgFormatKnown(fmt))
        return 0;
    if (empty() || width <= 0 || height <= 0)
        return 0;
    x0 = clampCoordinate(x0, width);
    x1 = clampCoordinate(x1, width);
    y0 = clampCoordinate(y0, height);
    y1 = clampCoordinate(y1, height);
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);

    // Storage coordinates in the asked layout.
    if (!(org & ORIGIN_TOP_BIT)) {
        std::swap(y0, y1);
        y0 = height - 1 - y0;
        y1 = height - 1 - y1;
    }
    if (!(org & ORIGIN_LEFT_BIT)) {
        std::swap(x0, x1);
        x0 = width - 1 - x0;
        x1 = width - 1 - x1;
    }

    const imgImage* src = this;
    imgImage temp;
    if (fmt != format || org != origin) {
        if (temp.convertFrom(*this, fmt, org, 0) != 1 || temp.empty())
            return 0;
        src = &temp;
    }

    auto* out = static_cast<uint8_t*>(destination);
    const int bpp = src->bitsPerPixel / 8;
    const size_t areaWidth = size_t(x1 - x0 + 1);
    if (kind == CHANNEL_PIXELS) {
        const size_t lineBytes = areaWidth * bpp;
        const size_t pitch = destinationPitch == IMG_PACKED_PITCH ? lineBytes : size_t(destinationPitch);
        for (int y = y0; y <= y1; ++y, out += pitch)
            std::memcpy(out, src->pixels + size_t(y) * src->bytesPerLine + size_t(x0) * bpp, lineBytes);
        return 1;
    }
    for (int y = y0; y <= y1; ++y) {
        uint32_t words[256];
        for (size_t x = size_t(x0); x <= size_t(x1);) {
            const int n = int(std::min<size_t>(256, size_t(x1) + 1 - x));
            const uint8_t* line = src->pixels + size_t(y) * src->bytesPerLine + x * bpp;
            // Expand a run of pixels of one line at a time.
            int runFormat = src->format == FMT_BGR_888_PADDED ? FMT_BGR_888 : src->format;
            imgQuantize::expand(words, line, n, 1, runFormat, src->palette);
            for (int i = 0; i < n; ++i)
                *out++ = channelOf(words[i], kind);
            x += size_t(n);
        }
    }
    return 1;
}

int imgImage::convertInto(void* destination, int fmt, int org, int destinationPitch) const
{
    return extract(CHANNEL_PIXELS, destination, fmt, org, 0, 0, width - 1, height - 1, destinationPitch);
}
