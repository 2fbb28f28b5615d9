#include "LIBS/Image/ImageLoader.h"

#include "LIBS/Image/imgBytes.h"
#include "LIBS/System/sLog.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// ---------------------------------------------------------------- BMP

struct BmpInfo
{
    uint32_t offBits = 0;
    int32_t width = 0, height = 0;
    uint32_t bits = 0, compression = 0, colorsUsed = 0;
    uint32_t infoSize = 0;
    // Where the palette starts and how many bytes one entry takes (3 in the
    // 12-byte core header, else 4).
    uint32_t paletteAt = 0, paletteEntry = 4;
    // Channel masks of 16- and 32-bit pixels; alpha 0 = opaque.
    uint32_t red = 0, green = 0, blue = 0, alpha = 0;
    // Pixels that are not plain blue, green, red (, alpha) bytes.
    bool masked = false;
};

constexpr uint32_t kBmpFileHeader = 14;

bool bmpHeaderSizeKnown(uint32_t size)
{
    // Core (12), OS/2 2.x (16 and 64), information (40) and its later
    // versions (52, 56, 108, 124).
    return size == 12 || size == 16 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
           size == 124;
}

bool readBmp(const imgSource& src, BmpInfo& info, bool warn)
{
    if (src.size < kBmpFileHeader + 4 || src.data[0] != 'B' || src.data[1] != 'M')
        return false;
    const uint8_t* d = src.data;
    info.offBits = imgBytes::getLE32(d + 10);
    info.infoSize = imgBytes::getLE32(d + 14);
    if (!bmpHeaderSizeKnown(info.infoSize)) {
        if (warn) {
            if (info.infoSize == 240)
                SLOG_WARNING("OS/2 2.x bitmap not supportet! loading cancelled");
            else if (info.infoSize >= 65536)
                SLOG_WARNING("wrong bitmap format ( maybe OS/2 bmp )! loading cancelled");
            else
                SLOG_WARNING("unknown bitmap format! loading cancelled");
        }
        return false;
    }
    const uint32_t headerEnd = kBmpFileHeader + info.infoSize;
    if (src.size < headerEnd) {
        if (warn)
            SLOG_WARNING("bitmap header truncated! loading cancelled");
        return false;
    }
    // Fields past the end of a short header count as 0.
    auto field32 = [&](uint32_t at) { return at + 4 <= headerEnd ? imgBytes::getLE32(d + at) : 0u; };
    auto field16 = [&](uint32_t at) { return at + 2 <= headerEnd ? imgBytes::getLE16(d + at) : 0u; };
    const bool os2 = info.infoSize == 16 || info.infoSize == 64;
    if (info.infoSize == 12) {
        info.width = int32_t(imgBytes::getLE16(d + 18));
        info.height = int32_t(imgBytes::getLE16(d + 20));
        info.bits = imgBytes::getLE16(d + 24);
        info.paletteEntry = 3;
    } else {
        info.width = int32_t(field32(18));
        info.height = int32_t(field32(22));
        info.bits = field16(28);
        info.compression = field32(30);
        info.colorsUsed = field32(46);
    }
    info.paletteAt = headerEnd;
    if (info.width <= 0 || info.width >= 65536 || info.height == 0 || info.height >= 65536 ||
        info.height <= -65536) {
        if (warn)
            SLOG_WARNING("invalid bitmap size %d x %d! loading cancelled", info.width, info.height);
        return false;
    }
    // Compression 3 and 4 mean other codings in the OS/2 headers; 6 carries
    // an alpha mask as well.
    const bool fields = !os2 && (info.compression == 3 || info.compression == 6);
    const bool depthOk = info.bits == 1 || info.bits == 4 || info.bits == 8 || info.bits == 16 ||
                         info.bits == 24 || info.bits == 32;
    const bool codingOk = info.compression == 0 || (info.compression == 1 && info.bits == 8) ||
                          (info.compression == 2 && info.bits == 4) ||
                          (fields && (info.bits == 16 || info.bits == 32));
    if (!depthOk || !codingOk) {
        if (warn)
            SLOG_WARNING("unsupported bitmap (%u bits, compression %u)! loading cancelled", info.bits,
                         info.compression);
        return false;
    }
    if (info.bits == 16) {
        info.red = 0x7C00u, info.green = 0x3E0u, info.blue = 0x1Fu;
        info.masked = true;
    } else if (info.bits == 32) {
        info.red = 0xFF0000u, info.green = 0xFF00u, info.blue = 0xFFu, info.alpha = 0xFF000000u;
    }
    if (fields) {
        // The masks end the newer headers; the 40-byte header is followed by them.
        const uint32_t at = info.infoSize >= 52 ? kBmpFileHeader + 40 : headerEnd;
        const bool withAlpha = info.infoSize >= 56 || info.compression == 6;
        const uint32_t end = at + (withAlpha ? 16 : 12);
        if (src.size < end) {
            if (warn)
                SLOG_WARNING("bitmap header truncated! loading cancelled");
            return false;
        }
        info.red = imgBytes::getLE32(d + at);
        info.green = imgBytes::getLE32(d + at + 4);
        info.blue = imgBytes::getLE32(d + at + 8);
        // Without a mask of its own the fourth byte is taken as alpha where
        // the file has any (below).
        info.alpha = withAlpha ? imgBytes::getLE32(d + at + 12) : info.bits == 32 ? 0xFF000000u : 0u;
        if (info.infoSize == 40)
            info.paletteAt = end;
        const uint32_t limit = info.bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        if (!info.red || !info.green || !info.blue ||
            (info.red | info.green | info.blue | info.alpha) & ~limit) {
            if (warn)
                SLOG_WARNING("unsupported bitmap bit fields! loading cancelled");
            return false;
        }
        info.masked = info.bits == 16 || info.red != 0xFF0000u || info.green != 0xFF00u ||
                      info.blue != 0xFFu || (info.alpha != 0 && info.alpha != 0xFF000000u);
    }
    return true;
}

// One channel of a masked pixel widened (or narrowed) to 8 bits.
uint8_t bmpChannel(uint32_t pixel, uint32_t mask)
{
    const int shift = __builtin_ctz(mask);
    uint32_t m = mask >> shift;
    int bits = 0;
    while (m & 1) {
        m >>= 1;
        ++bits;
    }
    const uint32_t value = (pixel & mask) >> shift & ((bits >= 32 ? 0u : 1u << bits) - 1u);
    if (bits >= 8)
        return uint8_t(value >> (bits - 8));
    // Narrow fields repeat their bits downwards, so that full stays full.
    uint32_t out = value << (8 - bits);
    for (int filled = bits; filled < 8; filled *= 2)
        out |= out >> filled;
    return uint8_t(out);
}

int probeBMP(const imgSource& src, imgHeader& h)
{
    BmpInfo info;
    if (!readBmp(src, info, true))
        return IMG_PROBE_REJECT;
    h.width = info.width;
    h.height = info.height < 0 ? -info.height : info.height;
    h.origin = info.height < 0 ? ORIGIN_TOP_LEFT : ORIGIN_BOTTOM_LEFT;
    if (info.bits <= 8) {
        // 1- and 4-bit pictures are held as 8-bit palette images.
        h.bitsPerPixel = 8;
        h.format = FMT_P_8;
        h.paletteBytes = 768;
    } else if (info.bits == 24 || (info.bits == 16 && !info.alpha)) {
        h.bitsPerPixel = 24;
        h.format = FMT_RGB_888;
    } else {
        h.bitsPerPixel = 32;
        h.format = FMT_BGRA_8888;
    }
    h.compression = info.compression;
    h.imageSize = ImageLoader::probeSize(h.width, h.bitsPerPixel, h.height);
    return IMG_PROBE_ACCEPT;
}

// Decodes the run-length coded bitmap schemes into index lines of `pitch`
// bytes (one index per byte), bottom line first as in the file.
bool decodeBmpRle(imgBytes& in, int bits, int width, int height, uint8_t* out, int pitch)
{
    int x = 0, y = 0;
    auto put = [&](uint32_t v) {
        if (x < width && y < height)
            out[size_t(y) * pitch + x] = uint8_t(v);
        ++x;
    };
    while (y < height) {
        uint32_t count, value;
        if (!in.u8(count) || !in.u8(value))
            return false;
        if (count > 0) {
            for (uint32_t i = 0; i < count; ++i)
                put(bits == 8 ? value : (i & 1) ? (value & 15) : (value >> 4));
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            uint32_t dx, dy;
            if (!in.u8(dx) || !in.u8(dy))
                return false;
            x += int(dx);
            y += int(dy);
        } else {
            const uint32_t n = value;
            const size_t bytes = bits == 8 ? n : (n + 1) / 2;
            if (!in.has(bytes))
                return false;
            const uint8_t* p = in.here();
            for (uint32_t i = 0; i < n; ++i)
                put(bits == 8 ? p[i] : (i & 1) ? (p[i / 2] & 15) : (p[i / 2] >> 4));
            in.skip(bytes + (bytes & 1));
        }
    }
    return true;
}

int loadBMP(const imgSource& src, imgImage& img, uint8_t* palette)
{
    BmpInfo info;
    if (!readBmp(src, info, true))
        return 0;
    const int w = img.width, h = img.height;
    imgBytes in(src.data, src.size);
    in.seek(info.paletteAt);
    if (info.bits <= 8) {
        uint32_t entries = 1u << info.bits;
        if (info.colorsUsed > 0 && info.colorsUsed < entries)
            entries = info.colorsUsed;
        // Core headers have no colour count: a shorter palette shows in the data offset.
        if (info.offBits > info.paletteAt && (info.offBits - info.paletteAt) / info.paletteEntry < entries)
            entries = (info.offBits - info.paletteAt) / info.paletteEntry;
        std::memset(palette, 0, 768);
        for (uint32_t i = 0; i < entries; ++i) {
            uint8_t q[4];
            if (!in.read(q, info.paletteEntry)) {
                SLOG_WARNING("bitmap palette truncated! loading cancelled");
                return 0;
            }
            palette[i * 3] = q[2];
            palette[i * 3 + 1] = q[1];
            palette[i * 3 + 2] = q[0];
        }
    }
    if (info.offBits >= in.pos() && info.offBits <= src.size)
        in.seek(info.offBits);

    if (info.compression == 1 || info.compression == 2) {
        std::memset(img.pixels, 0, img.imageSize);
        if (!decodeBmpRle(in, int(info.bits), w, h, img.pixels, img.bytesPerLine)) {
            SLOG_WARNING("bitmap data truncated! loading cancelled");
            return 0;
        }
        return 1;
    }
    const size_t fileLine = size_t((w * int(info.bits) + 31) / 32) * 4;
    if (!in.has(fileLine * size_t(h - 1) + (size_t(w) * info.bits + 7) / 8)) {
        SLOG_WARNING("bitmap data truncated! loading cancelled");
        return 0;
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* line = in.here() + fileLine * size_t(y);
        uint8_t* out = img.pixels + size_t(y) * img.bytesPerLine;
        switch (info.bits) {
        case 1:
            for (int x = 0; x < w; ++x)
                out[x] = (line[x >> 3] >> (7 - (x & 7))) & 1;
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                out[x] = (x & 1) ? (line[x >> 1] & 15) : (line[x >> 1] >> 4);
            break;
        default:
            if (info.masked) {
                const int fileBytes = int(info.bits / 8), outBytes = img.bitsPerPixel / 8;
                for (int x = 0; x < w; ++x) {
                    const uint8_t* p = line + x * fileBytes;
                    const uint32_t v = fileBytes == 2 ? imgBytes::getLE16(p) : imgBytes::getLE32(p);
                    uint8_t* q = out + x * outBytes;
                    // 24-bit results are red, green, blue; 32-bit ones blue, green, red, alpha.
                    q[outBytes == 3 ? 0 : 2] = bmpChannel(v, info.red);
                    q[1] = bmpChannel(v, info.green);
                    q[outBytes == 3 ? 2 : 0] = bmpChannel(v, info.blue);
                    if (outBytes == 4)
                        q[3] = info.alpha ? bmpChannel(v, info.alpha) : 0xFF;
                }
            } else {
                std::memcpy(out, line, size_t(w) * (info.bits / 8));
            }
            break;
        }
    }
    if (info.bits == 24)
        ImageLoader::swapRedBlue(img);
    if (info.bits == 32 && !info.alpha) {
        for (uint32_t i = 3; i < img.imageSize; i += 4)
            img.pixels[i] = 0xFF;
    } else if (img.bitsPerPixel == 32) {
        // Most writers leave the fourth byte 0 when the picture has no alpha.
        bool anyAlpha = false;
        for (uint32_t i = 3; i < img.imageSize && !anyAlpha; i += 4)
            anyAlpha = img.pixels[i] != 0;
        if (!anyAlpha)
            for (uint32_t i = 3; i < img.imageSize; i += 4)
                img.pixels[i] = 0xFF;
    }
    return 1;
}

// ---------------------------------------------------------------- TGA

struct TgaInfo
{
    int idLength, mapType, imageType, mapFirst, mapLength, mapBits, width, height, bits, descriptor;
};

bool readTga(const imgSource& src, TgaInfo& t)
{
    if (src.size < 18)
        return false;
    const uint8_t* d = src.data;
    t = {d[0],
         d[1],
         d[2],
         int(imgBytes::getLE16(d + 3)),
         int(imgBytes::getLE16(d + 5)),
         d[7],
         int(imgBytes::getLE16(d + 12)),
         int(imgBytes::getLE16(d + 14)),
         d[16],
         d[17]};
    const int base = t.imageType & 7;
    if (t.imageType != 1 && t.imageType != 2 && t.imageType != 3 && t.imageType != 9 && t.imageType != 10 &&
        t.imageType != 11)
        return false;
    if (t.mapType > 1 || t.width == 0 || t.height == 0)
        return false;
    if (base == 1 && (t.bits != 8 || t.mapType != 1))
        return false;
    if (base == 2 && t.bits != 24 && t.bits != 32)
        return false;
    if (base == 3 && t.bits != 8)
        return false;
    if (t.mapType == 1 && t.mapBits != 15 && t.mapBits != 16 && t.mapBits != 24 && t.mapBits != 32)
        return false;
    return true;
}

int probeTGA(const imgSource& src, imgHeader& h)
{
    TgaInfo t;
    if (!readTga(src, t))
        return IMG_PROBE_REJECT;
    h.width = t.width;
    h.height = t.height;
    h.bitsPerPixel = uint16_t(t.bits);
    h.format = t.bits == 8 ? FMT_P_8 : t.bits == 24 ? FMT_RGB_888 : FMT_BGRA_8888;
    h.paletteBytes = (t.mapType == 1 || t.bits == 8) ? 768 : 0;
    h.origin =
        1 | ((t.descriptor & 0x20) ? ORIGIN_TOP_BIT : 0) | ((t.descriptor & 0x10) ? 0 : ORIGIN_LEFT_BIT);
    h.compression = t.imageType >= 9 ? 1 : 0;
    h.imageSize = ImageLoader::probeSize(h.width, h.bitsPerPixel, h.height);
    return IMG_PROBE_ACCEPT;
}

int loadTGA(const imgSource& src, imgImage& img, uint8_t* palette)
{
    TgaInfo t;
    if (!readTga(src, t))
        return 0;
    imgBytes in(src.data, src.size);
    in.seek(18);
    if (!in.skip(size_t(t.idLength))) {
        SLOG_WARNING("targa file truncated! loading cancelled");
        return 0;
    }
    if (palette)
        std::memset(palette, 0, 768);
    if (t.mapType == 1) {
        const int entryBytes = (t.mapBits + 7) / 8;
        for (int i = 0; i < t.mapLength; ++i) {
            uint8_t e[4] = {0, 0, 0, 0};
            if (!in.read(e, size_t(entryBytes))) {
                SLOG_WARNING("targa colour map truncated! loading cancelled");
                return 0;
            }
            const int index = t.mapFirst + i;
            if (!palette || index > 255)
                continue;
            uint8_t* p = palette + index * 3;
            if (entryBytes == 2) {
                const uint32_t v = imgBytes::getLE16(e);
                p[0] = uint8_t(((v >> 10) & 31) << 3);
                p[1] = uint8_t(((v >> 5) & 31) << 3);
                p[2] = uint8_t((v & 31) << 3);
            } else {
                p[0] = e[2];
                p[1] = e[1];
                p[2] = e[0];
            }
        }
    } else if (palette && t.bits == 8) {
        for (int i = 0; i < 256; ++i)
            palette[i * 3] = palette[i * 3 + 1] = palette[i * 3 + 2] = uint8_t(i);
    }

    const int bpp = t.bits / 8;
    const size_t total = img.imageSize;
    if ((t.imageType & 8) == 0) {
        if (!in.read(img.pixels, total)) {
            SLOG_WARNING("targa pixel data truncated! loading cancelled");
            return 0;
        }
    } else if (imgRunLengthDecode(in.here(), in.left(), bpp, img.pixels, total) < total) {
        SLOG_WARNING("targa pixel data truncated! loading cancelled");
        return 0;
    }
    if (bpp == 3)
        ImageLoader::swapRedBlue(img);
    return 1;
}

// ---------------------------------------------------------------- PCX

struct PcxInfo
{
    int bitsPerPlane, planes, bytesPerLine, width, height;
};

bool readPcx(const imgSource& src, PcxInfo& p)
{
    if (src.size < 128 || src.data[0] != 10)
        return false;
    const uint8_t* d = src.data;
    const int xmin = int(imgBytes::getLE16(d + 4)), ymin = int(imgBytes::getLE16(d + 6));
    const int xmax = int(imgBytes::getLE16(d + 8)), ymax = int(imgBytes::getLE16(d + 10));
    p = {d[3], d[65], int(imgBytes::getLE16(d + 66)), xmax - xmin + 1, ymax - ymin + 1};
    if (p.width <= 0 || p.height <= 0 || d[2] != 1)
        return false;
    const int bits = p.bitsPerPlane * p.planes;
    const bool ok =
        (p.planes == 1 &&
         (p.bitsPerPlane == 1 || p.bitsPerPlane == 2 || p.bitsPerPlane == 4 || p.bitsPerPlane == 8)) ||
        (p.bitsPerPlane == 1 && p.planes == 4) || (p.bitsPerPlane == 8 && (p.planes == 3 || p.planes == 4));
    if (!ok || bits == 0)
        return false;
    return p.bytesPerLine * 8 >= p.width * p.bitsPerPlane;
}

int probePCX(const imgSource& src, imgHeader& h)
{
    PcxInfo p;
    if (!readPcx(src, p))
        return IMG_PROBE_REJECT;
    const int bits = p.bitsPerPlane * p.planes;
    h.width = p.width;
    h.height = p.height;
    h.bitsPerPixel = uint16_t(bits <= 8 ? 8 : bits);
    h.format = bits <= 8 ? FMT_P_8 : bits == 24 ? FMT_RGB_888 : FMT_BGRA_8888;
    h.paletteBytes = bits <= 8 ? 768 : 0;
    // Lines are stored top line first.
    h.origin = ORIGIN_TOP_LEFT;
    h.compression = 1;
    h.imageSize = ImageLoader::probeSize(h.width, h.bitsPerPixel, h.height);
    return IMG_PROBE_ACCEPT;
}

int loadPCX(const imgSource& src, imgImage& img, uint8_t* palette)
{
    PcxInfo p;
    if (!readPcx(src, p))
        return 0;
    const int w = img.width, h = img.height;
    const size_t scan = size_t(p.bytesPerLine) * p.planes;
    std::vector<uint8_t> line(scan);
    imgBytes in(src.data, src.size);
    in.seek(128);
    bool truncated = false;
    for (int y = 0; y < h; ++y) {
        size_t filled = 0;
        while (filled < scan) {
            uint32_t b;
            if (!in.u8(b)) {
                truncated = true;
                break;
            }
            size_t count = 1;
            if ((b & 0xC0) == 0xC0) {
                count = b & 0x3F;
                if (!in.u8(b)) {
                    truncated = true;
                    break;
                }
            }
            count = std::min(count, scan - filled);
            std::memset(line.data() + filled, int(b), count);
            filled += count;
        }
        if (truncated) {
            SLOG_WARNING("pcx data truncated! loading cancelled");
            return 0;
        }
        uint8_t* out = img.pixels + size_t(y) * img.bytesPerLine;
        const uint8_t* l = line.data();
        if (p.planes == 1) {
            for (int x = 0; x < w; ++x) {
                const int bit = x * p.bitsPerPlane;
                out[x] =
                    uint8_t((l[bit >> 3] >> (8 - p.bitsPerPlane - (bit & 7))) & ((1 << p.bitsPerPlane) - 1));
            }
        } else if (p.bitsPerPlane == 1) {
            for (int x = 0; x < w; ++x) {
                int v = 0;
                for (int k = 0; k < 4; ++k)
                    v |= ((l[k * p.bytesPerLine + (x >> 3)] >> (7 - (x & 7))) & 1) << k;
                out[x] = uint8_t(v);
            }
        } else {
            for (int x = 0; x < w; ++x) {
                const uint8_t r = l[x], g = l[p.bytesPerLine + x], b = l[2 * p.bytesPerLine + x];
                if (p.planes == 3) {
                    out[x * 3] = r;
                    out[x * 3 + 1] = g;
                    out[x * 3 + 2] = b;
                } else {
                    out[x * 4] = b;
                    out[x * 4 + 1] = g;
                    out[x * 4 + 2] = r;
                    out[x * 4 + 3] = l[3 * p.bytesPerLine + x];
                }
            }
        }
    }
    if (palette && p.planes * p.bitsPerPlane <= 8) {
        std::memset(palette, 0, 768);
        const int bits = p.planes * p.bitsPerPlane;
        if (bits == 8) {
            if (src.size >= 128 + 769 && src.data[src.size - 769] == 12) {
                std::memcpy(palette, src.data + src.size - 768, 768);
            } else if (src.data[1] >= 5) {
                SLOG_WARNING("pcx palette missing! loading cancelled");
                return 0;
            } else
                for (int i = 0; i < 256; ++i)
                    palette[i * 3] = palette[i * 3 + 1] = palette[i * 3 + 2] = uint8_t(i);
        } else if (bits == 1) {
            // Two-colour pictures are black and white.
            palette[3] = palette[4] = palette[5] = 255;
        } else {
            std::memcpy(palette, src.data + 16, 48);
        }
    }
    return 1;
}

// ---------------------------------------------------------------- GIF

int probeGIF(const imgSource& src, imgHeader& h)
{
    if (src.size < 14 || std::memcmp(src.data, "GIF", 3) != 0)
        return IMG_PROBE_REJECT;
    h.width = int(imgBytes::getLE16(src.data + 6));
    h.height = int(imgBytes::getLE16(src.data + 8));
    if (h.width == 0 || h.height == 0)
        return IMG_PROBE_REJECT;
    h.bitsPerPixel = 8;
    h.format = FMT_P_8;
    h.paletteBytes = 768;
    h.origin = ORIGIN_TOP_LEFT;
    h.imageSize = ImageLoader::probeSize(h.width, 8, h.height);
    return IMG_PROBE_ACCEPT;
}

// The published GIF variable-length LZW scheme.
class GifLzw
{
public:
    bool decode(imgBytes& in, int minCodeSize, std::vector<uint8_t>& out, size_t want)
    {
        if (minCodeSize < 1 || minCodeSize > 11)
            return false;
        const int clear = 1 << minCodeSize, end = clear + 1;
        int codeSize = minCodeSize + 1, next = end + 1, prev = -1;
        for (int i = 0; i < clear; ++i) {
            prefix_[i] = -1;
            suffix_[i] = uint8_t(i);
            length_[i] = 1;
        }
        uint32_t bitBuffer = 0;
        int bitCount = 0;
        size_t blockLeft = 0;
        while (out.size() < want) {
            while (bitCount < codeSize) {
                if (blockLeft == 0) {
                    uint32_t n;
                    if (!in.u8(n) || n == 0)
                        return !out.empty();
                    blockLeft = n;
                }
                uint32_t b;
                if (!in.u8(b))
                    return !out.empty();
                --blockLeft;
                bitBuffer |= b << bitCount;
                bitCount += 8;
            }
            int code = int(bitBuffer & ((1u << codeSize) - 1));
            bitBuffer >>= codeSize;
            bitCount -= codeSize;
            if (code == clear) {
                codeSize = minCodeSize + 1;
                next = end + 1;
                prev = -1;
                continue;
            }
            if (code == end)
                break;
            if (prev < 0) {
                if (code >= clear)
                    return false;
                out.push_back(suffix_[code]);
                prev = code;
                continue;
            }
            int emit = code;
            uint8_t first;
            if (code < next) {
                first = firstOf(code);
            } else if (code == next) {
                first = firstOf(prev);
                emit = -1;
            } else {
                return false;
            }
            if (next < 4096) {
                prefix_[next] = int16_t(prev);
                suffix_[next] = first;
                length_[next] = uint16_t(length_[prev] + 1);
                ++next;
                if (next == (1 << codeSize) && codeSize < 12)
                    ++codeSize;
            }
            if (emit < 0)
                emit = next - 1;
            writeString(emit, out);
            prev = code;
        }
        return true;
    }

private:
    uint8_t firstOf(int code) const
    {
        while (prefix_[code] >= 0)
            code = prefix_[code];
        return suffix_[code];
    }
    void writeString(int code, std::vector<uint8_t>& out)
    {
        const size_t n = length_[code];
        const size_t base = out.size();
        out.resize(base + n);
        for (size_t i = n; i-- > 0;) {
            out[base + i] = suffix_[code];
            code = prefix_[code];
        }
    }

    int16_t prefix_[4096];
    uint8_t suffix_[4096];
    uint16_t length_[4096];
};

int loadGIF(const imgSource& src, imgImage& img, uint8_t* palette)
{
    imgBytes in(src.data, src.size);
    in.seek(10);
    uint32_t flags, background, aspect;
    in.u8(flags);
    in.u8(background);
    in.u8(aspect);
    std::memset(palette, 0, 768);
    if (flags & 0x80) {
        const size_t bytes = size_t(3) << ((flags & 7) + 1);
        if (!in.read(palette, std::min<size_t>(bytes, 768)) || !in.skip(bytes > 768 ? bytes - 768 : 0)) {
            SLOG_WARNING("gif colour table truncated! loading cancelled");
            return -3;
        }
    }
    std::memset(img.pixels, int(background), img.imageSize);
    for (;;) {
        uint32_t block;
        if (!in.u8(block) || block == ';') {
            SLOG_WARNING("gif file holds no picture! loading cancelled");
            return 0;
        }
        if (block == '!') {
            uint32_t label, n;
            in.u8(label);
            while (in.u8(n) && n > 0)
                if (!in.skip(n))
                    break;
            continue;
        }
        if (block != ',') {
            SLOG_WARNING("gif block unknown! loading cancelled");
            return 0;
        }
        uint32_t left, top, w, h, f;
        if (!in.le16(left) || !in.le16(top) || !in.le16(w) || !in.le16(h) || !in.u8(f)) {
            SLOG_WARNING("gif image descriptor truncated! loading cancelled");
            return 0;
        }
        if (f & 0x80) {
            const size_t bytes = size_t(3) << ((f & 7) + 1);
            if (!in.read(palette, std::min<size_t>(bytes, 768)) || !in.skip(bytes > 768 ? bytes - 768 : 0)) {
                SLOG_WARNING("gif colour table truncated! loading cancelled");
                return -3;
            }
        }
        uint32_t minCode;
        if (!in.u8(minCode))
            return 0;
        std::vector<uint8_t> indices;
        const size_t want = size_t(w) * h;
        // Only the part inside the picture is kept: a frame claiming far more
        // than that would only cost memory.
        if (want > 16 * size_t(img.imageSize) + 65536) {
            SLOG_WARNING("gif frame larger than the picture! loading cancelled");
            return 0;
        }
        indices.reserve(want);
        static thread_local GifLzw lzw;
        if (!lzw.decode(in, int(minCode), indices, want)) {
            SLOG_WARNING("gif data damaged! loading cancelled");
            return 0;
        }
        if (indices.size() < want) {
            SLOG_WARNING("gif data truncated! loading cancelled");
            return 0;
        }
        indices.resize(want);
        // Interlaced pictures store every 8th line, then the 4th, 2nd and the rest.
        std::vector<uint32_t> rows(h);
        if (f & 0x40) {
            uint32_t r = 0;
            for (uint32_t pass = 0; pass < 4; ++pass) {
                static const uint32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
                for (uint32_t y = start[pass]; y < h; y += step[pass])
                    rows[r++] = y;
            }
        } else {
            for (uint32_t y = 0; y < h; ++y)
                rows[y] = y;
        }
        for (uint32_t i = 0; i < h; ++i) {
            const uint32_t y = top + rows[i];
            if (y >= uint32_t(img.height))
                continue;
            for (uint32_t x = 0; x < w; ++x)
                if (left + x < uint32_t(img.width))
                    img.pixels[size_t(y) * img.bytesPerLine + left + x] = indices[size_t(i) * w + x];
        }
        return 1;
    }
}

// ---------------------------------------------------------------- PIX

int probePIX(const imgSource& src, imgHeader& h)
{
    if (src.size < 10)
        return IMG_PROBE_REJECT;
    const uint8_t* d = src.data;
    const int w = int(imgBytes::getBE16(d)), hh = int(imgBytes::getBE16(d + 2));
    const int depth = int(imgBytes::getBE16(d + 8));
    if (w == 0 || hh == 0 || (depth != 8 && depth != 24))
        return IMG_PROBE_REJECT;
    h.width = w;
    h.height = hh;
    h.bitsPerPixel = uint16_t(depth);
    h.format = depth == 8 ? FMT_I_8 : FMT_BGR_888;
    h.origin = ORIGIN_BOTTOM_LEFT;
    h.compression = 1;
    h.imageSize = ImageLoader::probeSize(w, depth, hh);
    return IMG_PROBE_ACCEPT;
}

int loadPIX(const imgSource& src, imgImage& img)
{
    const int bpp = img.bitsPerPixel / 8;
    const size_t total = size_t(img.width) * img.height;
    imgBytes in(src.data, src.size);
    in.seek(10);
    size_t i = 0;
    while (i < total) {
        uint8_t run[4];
        if (!in.read(run, size_t(1 + bpp))) {
            SLOG_WARNING("pix data truncated! loading cancelled");
            return 0;
        }
        for (uint32_t k = 0; k < run[0] && i < total; ++k, ++i) {
            // The first line of the file is the top one: fill from the last
            // stored line upward.
            const size_t y = size_t(img.height) - 1 - i / img.width, x = i % img.width;
            std::memcpy(img.pixels + y * img.bytesPerLine + x * bpp, run + 1, size_t(bpp));
        }
    }
    return 1;
}

} // namespace

int ImageLoader::lineSize(int width, int bits)
{
    if (bits == 1)
        return (width + 7) / 8;
    if (bits >= 2 && bits <= 4)
        return ((width + 7) / 2) & ~3;
    if (bits >= 5 && bits <= 8)
        return width;
    if (bits >= 9 && bits <= 16)
        return 2 * width;
    if (bits >= 17 && bits <= 24)
        return 3 * width;
    if (bits >= 25 && bits <= 32)
        return 4 * width;
    return 0;
}

uint32_t ImageLoader::probeSize(int width, int bits, int height)
{
    const uint64_t size = uint64_t(uint32_t(lineSize(width, bits))) * uint64_t(uint32_t(std::max(height, 0)));
    return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(size);
}

int ImageLoader::bmpLineSize(imgHeader& h)
{
    h.headerSize = 40;
    h.planes = 1;
    h.compression = 0;
    h.imageSize = 0;
    h.xPelsPerMeter = h.yPelsPerMeter = 0;
    h.colorsUsed = h.colorsImportant = 0;
    if (h.bitsPerPixel >= 2 && h.bitsPerPixel <= 4)
        h.bitsPerPixel = 4;
    else if (h.bitsPerPixel >= 5 && h.bitsPerPixel <= 8)
        h.bitsPerPixel = 8;
    else if (h.bitsPerPixel > 8 && h.bitsPerPixel != 32)
        h.bitsPerPixel = 24;
    return ((h.width * h.bitsPerPixel + 31) / 32) * 4;
}

void ImageLoader::swapRedBlue(uint8_t* palette768)
{
    for (int i = 0; i < 256; ++i)
        std::swap(palette768[i * 3], palette768[i * 3 + 2]);
}

void ImageLoader::swapRedBlue(imgImage& img)
{
    const int bpp = img.bitsPerPixel / 8;
    if (bpp == 1) {
        if (img.palette)
            for (int i = 0; i < 256; ++i) {
                const uint32_t v = img.palette[i];
                img.palette[i] = (v & 0xFF00FF00u) | (v >> 16 & 0xFF) | (v & 0xFF) << 16;
            }
        return;
    }
    if ((bpp != 3 && bpp != 4) || img.empty())
        return;
    for (int y = 0; y < img.height; ++y) {
        uint8_t* p = img.pixels + size_t(y) * img.bytesPerLine;
        for (int x = 0; x < img.width; ++x, p += bpp)
            std::swap(p[0], p[2]);
    }
}

size_t ImageLoader::minimumData(int type, const imgHeader& h)
{
    const size_t pixels = size_t(h.width) * size_t(h.height);
    const size_t bpp = std::max<size_t>(1, h.bitsPerPixel / 8);
    switch (type) {
    case IMG_TYPE_TGA:
        // A run packet of one pixel covers at most 128 pixels.
        return h.compression ? 18 + (pixels + 127) / 128 * (1 + bpp) : 18 + pixels * bpp;
    case IMG_TYPE_BMP:
        // Delta escapes skip up to 255 lines in four bytes.
        return h.compression == 1 || h.compression == 2 ? 26 + 4 * (size_t(h.height) / 255) : 26;
    case IMG_TYPE_PCX:
        return 128 + (pixels + 62) / 63 / 2;
    case IMG_TYPE_GIF:
        return 14 + pixels / 4096;
    case IMG_TYPE_PIX:
        return 10 + (pixels + 254) / 255 * (1 + bpp);
    case IMG_TYPE_RIF:
        return 14 + (h.compression ? (pixels + 127) / 128 * (1 + bpp) : h.imageSize);
    case IMG_TYPE_IFF:
        return 8 + pixels / 256;
    default:
        return 0;
    }
}

int ImageLoader::probe(const imgSource& src, int type, imgHeader& h)
{
    switch (type) {
    case IMG_TYPE_TGA:
        return probeTGA(src, h);
    case IMG_TYPE_GIF:
        return probeGIF(src, h);
    case IMG_TYPE_PCX:
        return probePCX(src, h);
    case IMG_TYPE_JPEG:
        h.format = FMT_RGB_888;
        h.bitsPerPixel = 24;
        h.origin = ORIGIN_TOP_LEFT;
        return IMG_PROBE_ACCEPT;
    case IMG_TYPE_RIF:
        return imgProbeRIF(src, h);
    case IMG_TYPE_BMP:
        return probeBMP(src, h);
    case IMG_TYPE_TIFF:
        return imgProbeTIFF(src, h);
    case IMG_TYPE_IFF:
        return imgProbeIFF(src, h);
    case IMG_TYPE_PIX:
        return probePIX(src, h);
    default:
        return 0;
    }
}

int ImageLoader::load(const imgSource& src, int type, imgImage& img, uint8_t* palette)
{
    switch (type) {
    case IMG_TYPE_TGA:
        return loadTGA(src, img, palette);
    case IMG_TYPE_GIF:
        return loadGIF(src, img, palette);
    case IMG_TYPE_PCX:
        return loadPCX(src, img, palette);
    case IMG_TYPE_JPEG:
        // There is no JPEG decoder; claiming success would hand out a picture
        // of whatever the buffer held.
        SLOG_WARNING("jpeg images are not supported! loading cancelled");
        return 0;
    case IMG_TYPE_RIF:
        return imgLoadRIF(src, img, palette);
    case IMG_TYPE_BMP:
        return loadBMP(src, img, palette);
    case IMG_TYPE_TIFF:
        return imgLoadTIFF(src, img);
    case IMG_TYPE_IFF:
        return imgLoadIFF(src, img);
    case IMG_TYPE_PIX:
        return loadPIX(src, img);
    default:
        return 0;
    }
}
