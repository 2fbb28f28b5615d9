#include "LIBS/Image/ImageLoader.h"
#include "LIBS/Image/imgBytes.h"
#include "LIBS/Image/imgSave.h"
#include "LIBS/System/sLog.h"
#include "LIBS/System/sStream.h"

#include <cstring>
#include <vector>

namespace {

// Format index of the file's format byte (bits 0-4) to pixel format code.
const int kRifFormats[19] = {FMT_RGB_332,   FMT_P_8,       FMT_A_8,       FMT_I_8,           FMT_AI_44,
                             FMT_YIQ_422,   FMT_RGB_565,   FMT_ARGB_1555, FMT_ARGB_4444,     FMT_ARGB_8332,
                             FMT_AYIQ_8422, FMT_AP_88,     FMT_AI_88,     FMT_RGB_888,       FMT_BGRA_8888,
                             FMT_RGBA_5551, FMT_ARGB_8888, FMT_BGR_888,   FMT_BGR_888_PADDED};

int rifIndex(int format)
{
    for (int i = 0; i < 19; ++i)
        if (kRifFormats[i] == format)
            return i;
    return -1;
}

bool hasFilePalette(int format)
{
    return format == FMT_P_8 || format == FMT_AP_88;
}

bool samePixel(const uint8_t* a, const uint8_t* b, int unit)
{
    return std::memcmp(a, b, size_t(unit)) == 0;
}

} // namespace

size_t imgRunLengthCode(const uint8_t* in, size_t size, int unit, uint8_t* out)
{
    const size_t count = size / size_t(unit);
    size_t i = 0, o = 0;
    auto px = [&](size_t k) { return in + k * unit; };
    while (i < count) {
        size_t run = 1;
        while (i + run < count && run < 127 && samePixel(px(i + run), px(i), unit))
            ++run;
        if (run >= 2) {
            out[o++] = uint8_t(0x80 | (run - 1));
            std::memcpy(out + o, px(i), size_t(unit));
            o += size_t(unit);
            i += run;
            continue;
        }
        // Literal pixels while each differs from the one before it: the stored files' grouping
        // (1 2 3 3 3 packs as a literal 1 2 3 and a run of two 3s), so files code as they always did.
        size_t lit = 1;
        while (i + lit < count && lit < 126 && !samePixel(px(i + lit), px(i + lit - 1), unit))
            ++lit;
        out[o++] = uint8_t(lit - 1);
        std::memcpy(out + o, px(i), lit * unit);
        o += lit * unit;
        i += lit;
    }
    // A last partial unit (padded lines) goes out as a literal filled with zeros.
    const size_t rest = size - count * unit;
    if (rest > 0) {
        out[o++] = 0;
        std::memcpy(out + o, in + count * unit, rest);
        std::memset(out + o + rest, 0, size_t(unit) - rest);
        o += size_t(unit);
    }
    return o;
}

size_t imgRunLengthDecode(const uint8_t* in, size_t size, int unit, uint8_t* out, size_t outSize)
{
    size_t i = 0, o = 0;
    const size_t u = size_t(unit);
    while (o < outSize && i < size) {
        const uint8_t h = in[i++];
        const size_t n = size_t(h & 0x7F) + 1;
        if (h & 0x80) {
            if (size - i < u)
                break;
            for (size_t k = 0; k < n && o + u <= outSize; ++k, o += u)
                std::memcpy(out + o, in + i, u);
            i += u;
        } else {
            const size_t bytes = n * u;
            if (size - i < bytes)
                break;
            const size_t take = std::min(bytes, outSize - o);
            std::memcpy(out + o, in + i, take);
            o += take;
            i += bytes;
        }
    }
    return o;
}

int imgProbeRIF(const imgSource& src, imgHeader& h)
{
    if (src.size < 14 || std::memcmp(src.data, "RIF", 3) != 0)
        return IMG_PROBE_REJECT;
    const uint8_t* d = src.data;
    const int index = d[9] & 31;
    if (index >= 19)
        return IMG_PROBE_REJECT;
    const int format = kRifFormats[index];
    const int bytes = d[8];
    if (bytes * 8 != imgFormatBits(format) || imgBytes::getLE16(d + 4) == 0 || imgBytes::getLE16(d + 6) == 0)
        return IMG_PROBE_REJECT;
    h.width = int(imgBytes::getLE16(d + 4));
    h.height = int(imgBytes::getLE16(d + 6));
    h.bitsPerPixel = uint16_t(bytes * 8);
    h.format = format;
    h.origin = 1 | ((d[9] & 0x20) ? ORIGIN_TOP_BIT : 0) | ((d[9] & 0x40) ? ORIGIN_LEFT_BIT : 0);
    h.compression = (d[9] & 0x80) ? 1 : 0;
    h.imageSize = ImageLoader::probeSize(h.width, bytes * 8, h.height);
    h.paletteBytes = hasFilePalette(format) ? 768 : 0;
    return IMG_PROBE_ACCEPT;
}

int imgLoadRIF(const imgSource& src, imgImage& img, uint8_t* palette)
{
    imgBytes in(src.data, src.size);
    uint8_t head[14];
    if (!in.read(head, 14))
        return 0;
    if ((head[9] & 31) >= 19) {
        SLOG_WARNING("unknown imageformat!");
        return IMG_PROBE_REJECT;
    }
    const size_t dataSize = imgBytes::getLE32(head + 10);
    if (hasFilePalette(img.format) && !in.read(palette, 768)) {
        SLOG_WARNING("rif palette truncated! loading cancelled");
        return 0;
    }
    const size_t available = std::min(dataSize, in.left());
    if (head[9] & 0x80) {
        if (imgRunLengthDecode(in.here(), available, img.bitsPerPixel / 8, img.pixels, img.imageSize) <
            img.imageSize) {
            SLOG_WARNING("rif pixel data truncated! loading cancelled");
            return 0;
        }
    } else if (available < img.imageSize || !in.read(img.pixels, img.imageSize)) {
        SLOG_WARNING("rif pixel data truncated! loading cancelled");
        return 0;
    }
    return 1;
}

int imgSaveRIF(const imgImage& img, sStream& stream, int compress)
{
    if (!stream.isOpen)
        return 0;
    const int index = rifIndex(img.format);
    if (index < 0 || img.empty() || img.width > 0xFFFF || img.height > 0xFFFF)
        return 0;
    uint8_t head[14] = {'R', 'I', 'F', '1'};
    head[4] = uint8_t(img.width);
    head[5] = uint8_t(img.width >> 8);
    head[6] = uint8_t(img.height);
    head[7] = uint8_t(img.height >> 8);
    head[8] = uint8_t(img.bitsPerPixel / 8);
    head[9] = uint8_t(index + (compress == 1 ? 128 : 0) + ((img.origin & ORIGIN_LEFT_BIT) ? 64 : 0) +
                      ((img.origin & ORIGIN_TOP_BIT) ? 32 : 0));
    std::vector<uint8_t> coded;
    const uint8_t* data = img.pixels;
    size_t size = img.imageSize;
    if (compress == 1) {
        coded.resize(size_t(img.imageSize) * 2 + 8);
        size = imgRunLengthCode(img.pixels, img.imageSize, img.bitsPerPixel / 8, coded.data());
        data = coded.data();
    }
    for (int i = 0; i < 4; ++i)
        head[10 + i] = uint8_t(size >> (8 * i));
    bool ok = imgWriteAll(stream, head, 14);
    if (hasFilePalette(img.format)) {
        // Red, green, blue: the order the reader takes the entries in.
        uint8_t pal[768] = {};
        for (int i = 0; i < 256 && img.palette; ++i) {
            pal[i * 3] = uint8_t(img.palette[i] >> 16);
            pal[i * 3 + 1] = uint8_t(img.palette[i] >> 8);
            pal[i * 3 + 2] = uint8_t(img.palette[i]);
        }
        ok = ok && imgWriteAll(stream, pal, 768);
    }
    ok = ok && imgWriteAll(stream, data, size);
    return ok ? 1 : 0;
}
