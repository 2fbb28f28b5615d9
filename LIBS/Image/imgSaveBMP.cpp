#include "LIBS/Image/imgSave.h"

#include "LIBS/System/sLog.h"
#include "LIBS/System/sStream.h"

#include <cstring>
#include <vector>

namespace {

void put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

} // namespace

void imgBmpHeader(uint8_t* out, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                  uint32_t pixelsPerMetre)
{
    const uint32_t line = (width * (bitsPerPixel / 8) + 3) & ~3u;
    const uint32_t dataSize = line * height;
    std::memset(out, 0, imgBmpHeaderSize);
    out[0] = 'B';
    out[1] = 'M';
    put32(out + 2, uint32_t(imgBmpHeaderSize) + dataSize);
    put32(out + 10, uint32_t(imgBmpHeaderSize));
    put32(out + 14, 40);
    put32(out + 18, width);
    put32(out + 22, height);
    put16(out + 26, 1);
    put16(out + 28, bitsPerPixel);
    put32(out + 34, dataSize);
    put32(out + 38, pixelsPerMetre);
    put32(out + 42, pixelsPerMetre);
}

int imgSaveBMP(const imgImage& image, sStream& stream, int option)
{
    if (!stream.isOpen || image.empty())
        return 0;
    if (option)
        SLOG_NOTE("compression for bmp-files not supported! saving uncompressed.");
    // Always written as 24-bit lines, bottom line first.
    imgImage temp;
    if (temp.convertFrom(image, FMT_BGR_888, ORIGIN_BOTTOM_LEFT) != 1 || temp.empty())
        return 0;
    const uint32_t w = uint32_t(temp.width), h = uint32_t(temp.height);
    const uint32_t line = (w * 3 + 3) & ~3u;
    uint8_t head[imgBmpHeaderSize];
    imgBmpHeader(head, w, h, 24, 1024);
    if (!imgWriteAll(stream, head, sizeof head))
        return 0;
    std::vector<uint8_t> row(line, 0);
    for (uint32_t y = 0; y < h; ++y) {
        std::memcpy(row.data(), temp.pixels + size_t(y) * temp.bytesPerLine, size_t(w) * 3);
        if (!imgWriteAll(stream, row.data(), line))
            return 0;
    }
    return 1;
}
