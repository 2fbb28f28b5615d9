// Reader of the tiled IFF images of the 3-D renderer: a "FOR4" container of
// type "CIMG" with a "TBHD" header and "FOR4"/"TBMP" groups of tiles.
#include "LIBS/Image/ImageLoader.h"
#include "LIBS/Image/imgBytes.h"
#include "LIBS/System/sLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct Tbhd
{
    uint32_t width = 0, height = 0, flags = 0, compression = 0;
    uint32_t aspectNum = 0, aspectDen = 0, channelCode = 0, tiles = 0;
    int channels = 0;
};

constexpr uint32_t kFlagRGB = 1, kFlagAlpha = 2, kFlagZ = 4, kFlagGrey = 16;

bool idIs(const uint8_t* p, const char* id)
{
    return std::memcmp(p, id, 4) == 0;
}

size_t padded(size_t n)
{
    return (n + 3) & ~size_t(3);
}

// Finds and checks the header; false rejects the file. `log` writes the
// reasons that the loader reports.
bool readHeader(const imgSource& src, Tbhd& t, bool log)
{
    imgBytes in(src.data, src.size);
    uint32_t formSize;
    if (!in.has(12) || !idIs(in.here(), "FOR4"))
        return false;
    in.skip(4);
    in.be32(formSize);
    if (formSize <= 4 || !in.has(4) || !idIs(in.here(), "CIMG"))
        return false;
    in.skip(4);
    for (;;) {
        if (!in.has(8))
            return false;
        const uint8_t* id = in.here();
        uint32_t size = imgBytes::getBE32(id + 4);
        in.skip(8);
        if (idIs(id, "TBHD")) {
            if ((size != 24 && size != 32) || !in.has(size))
                return false;
            const uint8_t* d = in.here();
            t.width = imgBytes::getBE32(d);
            t.height = imgBytes::getBE32(d + 4);
            t.aspectNum = imgBytes::getBE16(d + 8);
            t.aspectDen = imgBytes::getBE16(d + 10);
            t.flags = imgBytes::getBE32(d + 12);
            t.channelCode = imgBytes::getBE16(d + 16);
            t.tiles = imgBytes::getBE16(d + 18);
            t.compression = imgBytes::getBE32(d + 20);
            if (size == 32 && (imgBytes::getBE32(d + 24) != 0 || imgBytes::getBE32(d + 28) != 0))
                std::printf("Warning:  Nonzero orgx/orgy values in TBHD data chunk.\n");
            break;
        }
        if (!in.skip(padded(size)))
            return false;
    }
    if (!(t.flags & (kFlagRGB | kFlagAlpha)))
        return false;
    if (t.flags & kFlagGrey) {
        if (log)
            SLOG_WARNING("ERROR:  Grayscale flag set along with RGB flag.");
        return false;
    }
    if (t.channelCode >= 1 || (t.flags & 0x2000) || (t.aspectNum & 0x2000)) {
        SLOG_FATAL("unsupported image format!");
        return false;
    }
    if (t.compression != 0 && t.compression != 1) {
        if (log)
            SLOG_WARNING("ERROR:  Unsupported compression scheme.");
        return false;
    }
    // The library holds colour images only: alpha alone has no format here.
    if (!(t.flags & kFlagRGB)) {
        if (log)
            SLOG_WARNING("ERROR:  Unsupported sample format.");
        return false;
    }
    if (t.width == 0 || t.height == 0 || t.width > 0xFFFF || t.height > 0xFFFF) {
        if (log)
            SLOG_WARNING("ERROR:  Invalid sampleformat.");
        return false;
    }
    t.channels = 3 + ((t.flags & kFlagAlpha) ? 1 : 0);
    return true;
}

// One tile's samples into `place(channel, pixelIndex, value)`: uncompressed
// (pixel by pixel, last channel first) or run-length coded (channel by
// channel, last channel first).
template <typename Place>
bool readTileSamples(const uint8_t* d, size_t size, size_t pixels, int channels, Place place)
{
    if (size == pixels * size_t(channels)) {
        for (size_t i = 0; i < pixels; ++i)
            for (int c = 0; c < channels; ++c)
                place(channels - 1 - c, i, d[i * channels + size_t(c)]);
        return true;
    }
    const size_t total = pixels * size_t(channels);
    size_t k = 0, p = 0;
    while (k < total) {
        if (p >= size)
            return false;
        const uint8_t h = d[p++];
        const size_t n = size_t(h & 0x7F) + 1;
        if (k + n > total)
            return false;
        if (h & 0x80) {
            if (p >= size)
                return false;
            const uint8_t v = d[p++];
            for (size_t i = 0; i < n; ++i, ++k)
                place(channels - 1 - int(k / pixels), k % pixels, v);
        } else {
            if (size - p < n)
                return false;
            for (size_t i = 0; i < n; ++i, ++k)
                place(channels - 1 - int(k / pixels), k % pixels, d[p++]);
        }
    }
    return true;
}

bool tileCoordinates(const uint8_t* d, const Tbhd& t, uint32_t& x1, uint32_t& y1, uint32_t& x2, uint32_t& y2)
{
    x1 = imgBytes::getBE16(d);
    y1 = imgBytes::getBE16(d + 2);
    x2 = imgBytes::getBE16(d + 4);
    y2 = imgBytes::getBE16(d + 6);
    return x1 <= x2 && x2 < t.width && y1 <= y2 && y2 < t.height;
}

bool readTile(const uint8_t* id, const uint8_t* d, size_t size, const Tbhd& t, imgImage& img)
{
    const bool colour = idIs(id, "RGBA");
    const bool depth = idIs(id, "ZBUF");
    const bool deep = idIs(id, "RGB2");
    if (!colour && !depth && !deep)
        return true;
    const char* name = colour ? "RGBA" : depth ? "ZBUF" : "RGB2";
    uint32_t x1, y1, x2, y2;
    if (size < 8 || !tileCoordinates(d, t, x1, y1, x2, y2)) {
        SLOG_WARNING("ERROR:  %s coordinates invalid.", name);
        return false;
    }
    const uint32_t tw = x2 - x1 + 1, th = y2 - y1 + 1;
    const size_t pixels = size_t(tw) * th;
    if (deep) {
        if (size == pixels * size_t(t.channels) * 2 + 8)
            SLOG_WARNING("RGB2 uncompressed not supported.");
        else
            SLOG_WARNING("Only 12bit format with RGBA channels supported.");
        return false;
    }
    const int channels = colour ? t.channels : 4;
    if (depth && !img.zBuffer)
        return true;
    auto place = [&](int c, size_t i, uint8_t v) {
        const size_t x = x1 + i % tw, y = y1 + i / tw;
        if (colour)
            img.pixels[(y * t.width + x) * size_t(channels) + size_t(c)] = v;
        else
            reinterpret_cast<uint8_t*>(img.zBuffer)[(y * t.width + x) * 4 + size_t(c)] = v;
    };
    if (!readTileSamples(d + 8, size - 8, pixels, channels, place)) {
        SLOG_WARNING("ERROR:  %s data chunk size invalid.", name);
        return false;
    }
    return true;
}

} // namespace

int imgProbeIFF(const imgSource& src, imgHeader& h)
{
    Tbhd t;
    if (!readHeader(src, t, false))
        return IMG_PROBE_REJECT;
    h.width = int32_t(t.width);
    h.height = int32_t(t.height);
    h.bitsPerPixel = uint16_t(t.channels * 8);
    h.format = t.channels == 4 ? FMT_BGRA_8888 : FMT_RGB_888;
    // Held below 2 GiB; anything that large is refused before allocating.
    h.zBufferSize =
        (t.flags & kFlagZ)
            ? int32_t(std::min<uint32_t>(ImageLoader::probeSize(int(t.width), 32, int(t.height)), 0x7FFFFFFF))
            : 0;
    h.origin = ORIGIN_BOTTOM_LEFT;
    h.paletteBytes = 0;
    h.imageSize = ImageLoader::probeSize(int(t.width), t.channels * 8, int(t.height));
    return IMG_PROBE_ACCEPT;
}

int imgLoadIFF(const imgSource& src, imgImage& img)
{
    Tbhd t;
    if (!readHeader(src, t, true))
        return 0;
    if (uint32_t(img.width) != t.width || uint32_t(img.height) != t.height)
        return 0;
    const size_t formSize = imgBytes::getBE32(src.data + 4);
    if (formSize > src.size - 8) {
        SLOG_WARNING("ERROR:  FOR4 chunk size invalid.");
        return 0;
    }
    // Parts that no tile covers stay black and transparent.
    std::memset(img.pixels, 0, img.imageSize);
    imgBytes in(src.data, formSize + 8);
    in.seek(12);
    while (in.has(8)) {
        const uint8_t* id = in.here();
        const size_t size = imgBytes::getBE32(id + 4);
        in.skip(8);
        if (!in.has(size)) {
            SLOG_WARNING("ERROR:  chunk size invalid.");
            return 0;
        }
        if (idIs(id, "FOR4") && size >= 4 && idIs(in.here(), "TBMP")) {
            imgBytes group(in.here() + 4, size - 4);
            while (group.has(8)) {
                const uint8_t* tid = group.here();
                const size_t tsize = imgBytes::getBE32(tid + 4);
                group.skip(8);
                if (!group.has(tsize)) {
                    SLOG_WARNING("ERROR:  %.4s data chunk size invalid.", reinterpret_cast<const char*>(tid));
                    return 0;
                }
                if (!readTile(tid, group.here(), tsize, t, img))
                    return 0;
                if (!group.skip(padded(tsize)))
                    break;
            }
        }
        if (!in.skip(padded(size)))
            break;
    }
    if (img.format == FMT_BGRA_8888)
        ImageLoader::swapRedBlue(img);
    return 1;
}
