#include "LIBS/Image/imgImage.h"
#include "LIBS/Image/imgQuantize.h"
#include "LIBS/System/sLog.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Work buffers: a failure is logged and the caller abandons its operation.
template <typename T>
bool workBuffer(std::vector<T>& v, size_t count)
{
    try {
        v.assign(count, T());
        return true;
    } catch (const std::bad_alloc&) {
        SLOG_FATAL("no temp mem");
        return false;
    }
}

// The 3-3-2 palette: entry i is the colour that RGB 332 code i stands for.
void uniformPalette(uint32_t* palette)
{
    for (int i = 0; i < 256; ++i)
        palette[i] = uint32_t(imgQuantize::level(i >> 5, 3)) << 16 |
                     uint32_t(imgQuantize::level((i >> 2) & 7, 3)) << 8 |
                     uint32_t(imgQuantize::level(i & 3, 2));
}

bool isPaletteFormat(int format)
{
    return format == FMT_P_8 || format == FMT_AP_88;
}

// Converts the pixels of `image` to `format` through 32-bit words. A palette
// target maps onto `targetPalette` when given, else onto the palette the image
// already holds, else onto the 3-3-2 palette. The depth buffer stays.
int convertPixels(imgImage& image, int format, int dither, const uint32_t* targetPalette)
{
    const int w = image.width, h = image.height;
    std::vector<uint32_t> words;
    if (!workBuffer(words, size_t(w) * size_t(h)))
        return 0;
    imgQuantize::expand(words.data(), image.pixels, w, h, image.format, image.palette);

    uint32_t palette[256];
    bool havePalette = false;
    if (targetPalette) {
        std::memcpy(palette, targetPalette, sizeof palette);
        havePalette = true;
    } else if (image.palette && isPaletteFormat(image.format)) {
        std::memcpy(palette, image.palette, sizeof palette);
        havePalette = true;
    }
    if (isPaletteFormat(format) && !havePalette)
        uniformPalette(palette);

    if (image.allocate(w, h, format, image.origin, image.zBuffer != nullptr) != 1 || image.empty())
        return 0;
    if (image.palette)
        std::memcpy(image.palette, palette, sizeof palette);
    return imgQuantize::encode(image.pixels, image.bytesPerLine, words.data(), w, h, format, image.palette,
                               dither)
               ? 1
               : 0;
}

int convertImage(imgImage& image, int format, int origin, int dither, const uint32_t* targetPalette)
{
    if (image.format == format && image.origin == origin)
        return 1;
    if (image.empty()) {
        SLOG_WARNING("CONVERT_TO: operation on empty image cancelled");
        return 0;
    }
    if (!imgFormatKnown(format) || !imgFormatKnown(image.format))
        return 0;
    if (format == FMT_BGR_888_PADDED) {
        if (image.format != FMT_BGR_888_PADDED) {
            if (!convertImage(image, FMT_BGR_888, origin, dither, nullptr))
                return 0;
            image.padLines();
        }
        image.setOrigin(origin);
        return image.format == format ? 1 : 0;
    }
    if (image.format == FMT_BGR_888_PADDED)
        image.unpadLines();
    if (image.format != format && !convertPixels(image, format, dither, targetPalette))
        return 0;
    image.setOrigin(origin);
    return 1;
}

} // namespace

int imgQuantize::convert(imgImage& target, const imgImage& source, int format, const uint32_t* palette,
                         int ditherMode)
{
    if (source.format != FMT_BGRA_8888 || source.empty() || &target == &source || !imgFormatKnown(format))
        return 0;
    if (target.allocate(source.width, source.height, format, source.origin, false) != 1 || target.empty())
        return 0;
    imgBlockRelease(target.zBuffer);
    target.zBuffer = source.zBuffer;
    target.zBufferSize = source.zBufferSize;
    imgBlockAddRef(target.zBuffer);
    uint32_t pal[256];
    if (target.palette) {
        if (palette)
            std::memcpy(pal, palette, sizeof pal);
        else
            uniformPalette(pal);
        std::memcpy(target.palette, pal, sizeof pal);
    }
    std::vector<uint32_t> words;
    if (!workBuffer(words, size_t(source.width) * size_t(source.height)))
        return 0;
    imgQuantize::expand(words.data(), source.pixels, source.width, source.height, FMT_BGRA_8888, nullptr);
    return encode(target.pixels, target.bytesPerLine, words.data(), source.width, source.height, format,
                  target.palette, ditherMode)
               ? 1
               : 0;
}

void imgImage::flipY()
{
    if (empty()) {
        SLOG_WARNING("FLIPY: operation on empty image cancelled");
        return;
    }
    std::vector<uint8_t> line;
    if (!workBuffer(line, size_t(bytesPerLine)))
        return;
    for (int i = 0; i < height / 2; ++i) {
        uint8_t* a = pixels + size_t(i) * bytesPerLine;
        uint8_t* b = pixels + size_t(height - 1 - i) * bytesPerLine;
        std::memcpy(line.data(), a, size_t(bytesPerLine));
        std::memcpy(a, b, size_t(bytesPerLine));
        std::memcpy(b, line.data(), size_t(bytesPerLine));
    }
    origin ^= ORIGIN_TOP_BIT;
}

void imgImage::flipX()
{
    if (empty()) {
        SLOG_WARNING("FLIPX: operation on empty image cancelled");
        return;
    }
    const int bpp = bitsPerPixel / 8;
    std::vector<uint8_t> line;
    if (bpp <= 0 || !workBuffer(line, size_t(bytesPerLine)))
        return;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pixels + size_t(y) * bytesPerLine;
        std::memcpy(line.data(), row, size_t(bytesPerLine));
        for (int x = 0; x < width; ++x)
            std::memcpy(row + size_t(x) * bpp, line.data() + size_t(width - 1 - x) * bpp, size_t(bpp));
    }
    origin ^= ORIGIN_LEFT_BIT;
}

void imgImage::resample(int newWidth, int newHeight)
{
    if (empty()) {
        SLOG_WARNING("RESAMPLE: operation on empty image cancelled");
        return;
    }
    newWidth &= 0xFFFF;
    newHeight &= 0xFFFF;
    if (format != FMT_BGRA_8888 || newWidth == 0 || newHeight == 0)
        return;
    if (newWidth == width && newHeight == height)
        return;
    const int ow = width, oh = height;
    std::vector<uint8_t> out;
    if (!workBuffer(out, size_t(newWidth) * size_t(newHeight) * 4))
        return;
    const uint8_t* src = pixels;
    auto at = [&](int x, int y) { return src + (size_t(y) * ow + size_t(x)) * 4; };

    if (newWidth < ow && newHeight < oh) {
        // Area filter: every source pixel counts by how much of it the output
        // pixel covers.
        const double sx = double(ow) / newWidth, sy = double(oh) / newHeight;
        for (int j = 0; j < newHeight; ++j) {
            const double y0 = j * sy, y1 = (j + 1) * sy;
            const int ya = int(y0), yb = std::min(int(std::ceil(y1)) - 1, oh - 1);
            for (int i = 0; i < newWidth; ++i) {
                const double x0 = i * sx, x1 = (i + 1) * sx;
                const int xa = int(x0), xb = std::min(int(std::ceil(x1)) - 1, ow - 1);
                double sum[4] = {0, 0, 0, 0}, weights = 0;
                for (int y = ya; y <= yb; ++y) {
                    const double wy = std::min(double(y + 1), y1) - std::max(double(y), y0);
                    for (int x = xa; x <= xb; ++x) {
                        const double wgt = wy * (std::min(double(x + 1), x1) - std::max(double(x), x0));
                        const uint8_t* p = at(x, y);
                        for (int c = 0; c < 4; ++c)
                            sum[c] += wgt * p[c];
                        weights += wgt;
                    }
                }
                uint8_t* o = out.data() + (size_t(j) * newWidth + size_t(i)) * 4;
                for (int c = 0; c < 4; ++c)
                    o[c] = uint8_t(std::clamp(int(sum[c] / weights + 1e-6), 0, 255));
            }
        }
    } else {
        const double sx = double(ow) / (newWidth + 1), sy = double(oh) / (newHeight + 1);
        for (int j = 0; j < newHeight; ++j) {
            const double py = j * sy;
            const int ya = std::min(int(py), oh - 1), yb = std::min(ya + 1, oh - 1);
            const double fy = py - int(py);
            for (int i = 0; i < newWidth; ++i) {
                const double px = i * sx;
                const int xa = std::min(int(px), ow - 1), xb = std::min(xa + 1, ow - 1);
                const double fx = px - int(px);
                uint8_t* o = out.data() + (size_t(j) * newWidth + size_t(i)) * 4;
                for (int c = 0; c < 4; ++c) {
                    double top = at(xa, ya)[c] * (1 - fx) + at(xb, ya)[c] * fx;
                    double bottom = at(xa, yb)[c] * (1 - fx) + at(xb, yb)[c] * fx;
                    o[c] = uint8_t(std::clamp(int(top * (1 - fy) + bottom * fy + 1e-6), 0, 255));
                }
            }
        }
    }
    if (allocate(newWidth, newHeight, format, origin, zBuffer != nullptr) != 1 || empty())
        return;
    std::memcpy(pixels, out.data(), out.size());
}

void imgImage::resize(int newWidth, int newHeight, int quality, int dither)
{
    if (empty()) {
        SLOG_WARNING("RESIZE: operation on empty image cancelled");
        return;
    }
    if (quality == 0) {
        if (format == FMT_BGRA_8888) {
            resample(newWidth, newHeight);
        } else {
            imgImage temp;
            if (temp.copy(*this) != 1 || temp.empty()) {
                SLOG_FATAL("no mem for temp image");
                return;
            }
            const int oldFormat = format;
            std::vector<uint32_t> keptPalette;
            if (palette && isPaletteFormat(format))
                keptPalette.assign(palette, palette + 256);
            if (!convertImage(temp, FMT_BGRA_8888, temp.origin, 0, nullptr))
                return;
            temp.resample(newWidth, newHeight);
            take(temp);
            convertImage(*this, oldFormat, origin, dither,
                         keptPalette.empty() ? nullptr : keptPalette.data());
        }
    } else if (quality == 1) {
        if (newWidth <= 0 || newHeight <= 0 || (newWidth == width && newHeight == height)) {
            updateLineSize();
            return;
        }
        imgImage temp;
        if (temp.allocate(newWidth, newHeight, format, origin, false) != 1 || temp.empty()) {
            SLOG_FATAL("no mem for temp image");
            return;
        }
        if (palette && temp.palette)
            std::memcpy(temp.palette, palette, 1024);
        const int bpp = bitsPerPixel / 8;
        const double sx = double(width) / newWidth, sy = double(height) / newHeight;
        double fy = 0;
        for (int j = 0; j < newHeight; ++j, fy += sy) {
            const int y = std::min(int(fy), height - 1);
            double fx = 0;
            for (int i = 0; i < newWidth; ++i, fx += sx) {
                const int x = std::min(int(fx), width - 1);
                std::memcpy(temp.pixels + size_t(j) * temp.bytesPerLine + size_t(i) * bpp,
                            pixels + size_t(y) * bytesPerLine + size_t(x) * bpp, size_t(bpp));
            }
        }
        take(temp);
    } else {
        SLOG_WARNING("resize: illegal quality format");
        return;
    }
    updateLineSize();
}

int imgImage::convertTo(int fmt, int org, int dither)
{
    return convertImage(*this, fmt, org, dither, nullptr);
}

int imgImage::convertFrom(const imgImage& source, int fmt, int org, int dither)
{
    if (&source != this && copy(source) != 1)
        return 0;
    return convertTo(fmt, org, dither);
}

void imgImage::padLines()
{
    if (format != FMT_BGR_888 || empty())
        return;
    imgImage temp;
    if (temp.allocate(width, height, FMT_BGR_888_PADDED, origin, false) != 1 || temp.empty())
        return;
    const size_t line = size_t(width) * 3;
    for (int y = 0; y < height; ++y) {
        uint8_t* d = temp.pixels + size_t(y) * temp.bytesPerLine;
        std::memcpy(d, pixels + y * line, line);
        std::memset(d + line, 0, size_t(temp.bytesPerLine) - line);
    }
    uint32_t* z = zBuffer;
    int zSize = zBufferSize;
    zBuffer = nullptr;
    take(temp);
    zBuffer = z;
    zBufferSize = zSize;
}

void imgImage::unpadLines()
{
    if (format != FMT_BGR_888_PADDED || empty())
        return;
    const size_t line = size_t(width) * 3;
    for (int y = 1; y < height; ++y)
        std::memmove(pixels + y * line, pixels + size_t(y) * bytesPerLine, line);
    format = FMT_BGR_888;
    updateLineSize();
    imageSize = uint32_t(size_t(bytesPerLine) * height);
}

void imgImage::smooth()
{
    switch (format) {
    case FMT_RGB_888:
    case FMT_BGR_888:
    case FMT_BGR_888_PADDED:
    case FMT_BGRA_8888:
    case FMT_ARGB_8888:
    case FMT_A_8:
    case FMT_I_8:
    case FMT_AI_88:
        break;
    default:
        return;
    }
    if (empty())
        return;
    std::vector<uint8_t> src;
    if (!workBuffer(src, imageSize))
        return;
    std::memcpy(src.data(), pixels, imageSize);
    const int bpp = bitsPerPixel / 8;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < bpp; ++c) {
                auto v = [&](int xx, int yy) {
                    return int(src[size_t(yy) * bytesPerLine + size_t(xx) * bpp + c]);
                };
                int sum = 3 * v(x, y), n = 3;
                if (x > 0)
                    sum += v(x - 1, y), ++n;
                if (x + 1 < width)
                    sum += v(x + 1, y), ++n;
                if (y > 0)
                    sum += v(x, y - 1), ++n;
                if (y + 1 < height)
                    sum += v(x, y + 1), ++n;
                pixels[size_t(y) * bytesPerLine + size_t(x) * bpp + c] = uint8_t(sum / n);
            }
        }
    }
}

int imgImage::copyChannel(int kind, uint8_t* destination, int fmt, int org)
{
    return extract(kind, destination, fmt, org, 0, 0, width - 1, height - 1, IMG_PACKED_PITCH);
}

int imgImage::copyChannel(int kind, uint8_t* destination)
{
    return copyChannel(kind, destination, format, origin);
}
