#include "LIBS/Image/imgImage.h"

#include "LIBS/System/sLog.h"
#include "LIBS/System/sMemory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Above this a pixel or depth buffer is refused as out of memory: it keeps
// sizes within 32 bits.
constexpr size_t kMaxBufferBytes = IMG_MAX_BUFFER_BYTES;

} // namespace

uint8_t* imgBlockNew(size_t bytes)
{
    if (bytes == 0 || bytes > kMaxBufferBytes)
        return nullptr;
    try {
        void* block = sMemory::operator new(1, 0, bytes);
        sMemory::addRef(block);
        return static_cast<uint8_t*>(block);
    } catch (const sMemory::Exception&) {
        return nullptr;
    }
}

void imgBlockAddRef(void* block)
{
    if (block)
        sMemory::addRef(block);
}

void imgBlockRelease(void* block)
{
    if (block && sMemory::release(block) < 1)
        sMemory::operator delete(block);
}

void imgImage::defaults()
{
    headerSize = 40;
    planes = 1;
    compression = 0;
    xPelsPerMeter = yPelsPerMeter = 3000;
    colorsUsed = colorsImportant = 0;
    origin = ORIGIN_TOP_LEFT;
}

imgImage::imgImage(int keep) : keepBuffers(keep)
{
    defaults();
}

imgImage::imgImage(int w, int h, int fmt, int keep) : keepBuffers(keep)
{
    defaults();
    allocate(w, h, fmt, ORIGIN_TOP_LEFT, false);
}

imgImage::imgImage(const char* fileName, int keep) : keepBuffers(keep)
{
    defaults();
    load(fileName);
}

imgImage::~imgImage()
{
    release();
}

void imgImage::release()
{
    imgBlockRelease(zBuffer);
    imgBlockRelease(palette);
    imgBlockRelease(pixels);
    zBuffer = nullptr;
    palette = nullptr;
    pixels = nullptr;
    pixelsCapacity_ = 0;
    imageSize = 0;
    zBufferSize = 0;
    paletteBytes = 0;
}

void imgImage::take(imgImage& other)
{
    if (&other == this)
        return;
    release();
    pixels = other.pixels;
    palette = other.palette;
    zBuffer = other.zBuffer;
    pixelsCapacity_ = other.pixelsCapacity_;
    width = other.width;
    height = other.height;
    bitsPerPixel = other.bitsPerPixel;
    imageSize = other.imageSize;
    paletteBytes = other.paletteBytes;
    zBufferSize = other.zBufferSize;
    origin = other.origin;
    format = other.format;
    bytesPerLine = other.bytesPerLine;
    other.pixels = nullptr;
    other.palette = nullptr;
    other.zBuffer = nullptr;
    other.release();
}

void imgImage::updateLineSize()
{
    bytesPerLine = imgLineBytes(width, format);
}

int imgImage::allocate(int w, int h, int fmt, int org, bool withZBuffer)
{
    int bits = imgFormatBits(fmt);
    if (w < 0 || h < 0 || w > 0xFFFF || h > 0xFFFF) {
        SLOG_FATAL("NO MEM FOR IMAGE(IMAGEBUFFER)!!!");
        release();
        width = height = 0;
        return -2;
    }
    width = w;
    height = h;
    format = fmt;
    bitsPerPixel = uint16_t(bits);
    origin = org;
    updateLineSize();
    size_t size = size_t(bytesPerLine) * size_t(h);
    if (size > kMaxBufferBytes) {
        SLOG_FATAL("NO MEM FOR IMAGE(IMAGEBUFFER)!!!");
        release();
        return -2;
    }
    int result = 1;
    bool grow = keepBuffers ? size > pixelsCapacity_ : size != pixelsCapacity_;
    if (size == 0) {
        if (!keepBuffers) {
            imgBlockRelease(pixels);
            pixels = nullptr;
            pixelsCapacity_ = 0;
        }
    } else if (grow || !pixels) {
        imgBlockRelease(pixels);
        pixels = imgBlockNew(size);
        pixelsCapacity_ = pixels ? size : 0;
        if (!pixels) {
            SLOG_FATAL("NO MEM FOR IMAGE(IMAGEBUFFER)!!!");
            result = -2;
        }
    }
    imageSize = pixels ? uint32_t(size) : 0;

    size_t zSize = size_t(w) * size_t(h) * 4;
    if (withZBuffer && zSize > 0) {
        if (!zBuffer || size_t(zBufferSize) != zSize) {
            imgBlockRelease(zBuffer);
            zBuffer = reinterpret_cast<uint32_t*>(imgBlockNew(zSize));
            if (zBuffer)
                std::memset(zBuffer, 0xFF, zSize);
        }
        if (!zBuffer) {
            SLOG_FATAL("NO MEM FOR IMAGE(Z-BUFFER)!!!");
            result = -2;
        }
        zBufferSize = zBuffer ? int32_t(zSize) : 0;
    } else {
        imgBlockRelease(zBuffer);
        zBuffer = nullptr;
        zBufferSize = 0;
    }

    if (fmt == FMT_P_8 || fmt == FMT_AP_88) {
        if (!palette) {
            palette = reinterpret_cast<uint32_t*>(imgBlockNew(1024));
            if (!palette) {
                SLOG_FATAL("NO MEM FOR IMAGE(PALETTE)!!!");
                result = -2;
            }
        }
        paletteBytes = palette ? 768 : 0;
    } else {
        imgBlockRelease(palette);
        palette = nullptr;
        paletteBytes = 0;
    }
    return result;
}

int imgImage::allocateLike(const imgImage& other)
{
    headerSize = other.headerSize;
    planes = other.planes;
    compression = other.compression;
    xPelsPerMeter = other.xPelsPerMeter;
    yPelsPerMeter = other.yPelsPerMeter;
    colorsUsed = other.colorsUsed;
    colorsImportant = other.colorsImportant;
    int result = allocate(other.width, other.height, other.format, other.origin, other.zBuffer != nullptr);
    if (other.paletteBytes >= 1 && other.palette) {
        if (!palette)
            palette = reinterpret_cast<uint32_t*>(imgBlockNew(1024));
        if (palette) {
            std::memcpy(palette, other.palette, 1024);
            paletteBytes = other.paletteBytes;
        } else {
            SLOG_FATAL("NO MEM FOR IMAGE(PALETTE)!!!");
            result = -2;
        }
    }
    return result;
}

int imgImage::copy(const imgImage& other)
{
    if (&other == this)
        return 1;
    int result = allocateLike(other);
    if (pixels && other.pixels)
        std::memcpy(pixels, other.pixels, std::min(imageSize, other.imageSize));
    if (zBuffer && other.zBuffer)
        std::memcpy(zBuffer, other.zBuffer, size_t(zBufferSize));
    return result;
}

void imgImage::setOrigin(int org)
{
    if ((origin & ORIGIN_LEFT_BIT) != (org & ORIGIN_LEFT_BIT))
        flipX();
    if ((origin & ORIGIN_TOP_BIT) != (org & ORIGIN_TOP_BIT))
        flipY();
}

int imgImage::formatFits(int kind, int fmt)
{
    switch (kind) {
    case CHANNEL_RED:
    case CHANNEL_GREEN:
    case CHANNEL_BLUE:
    case CHANNEL_INTENSITY:
        return fmt == FMT_RGB_332 || (fmt >= FMT_RGB_565 && fmt <= FMT_ARGB_8332) ||
               (fmt >= FMT_RGB_888 && fmt <= FMT_BGR_888_PADDED) || fmt == FMT_BGRA_8888 ||
               fmt == FMT_ARGB_8888;
    case CHANNEL_ALPHA:
        // 32-bit images carry alpha too.
        return fmt == FMT_A_8 || fmt == FMT_AI_44 || (fmt >= FMT_ARGB_1555 && fmt <= FMT_AI_88) ||
               fmt == FMT_BGRA_8888 || fmt == FMT_ARGB_8888;
    case CHANNEL_PIXELS:
        return imgFormatKnown(fmt);
    default:
        return 0;
    }
}

int imgImage::formatFits(int kind) const
{
    return formatFits(kind, format);
}

int imgImage::nearestPaletteIndex(int r, int g, int b, const uint32_t* pal, int count)
{
    if (!pal || count < 2)
        return 0;
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < count; ++i) {
        int dr = int(pal[i] >> 16 & 0xFF) - r;
        int dg = int(pal[i] >> 8 & 0xFF) - g;
        int db = int(pal[i] & 0xFF) - b;
        long d = long(dr) * dr + long(dg) * dg + long(db) * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
            if (d == 0)
                break;
        }
    }
    return best;
}
