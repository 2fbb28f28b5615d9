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

}  // namespace

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
    const uint32_t dataSize = line * h;

    uint8_t head[54] = {'B', 'M'};
    put32(head + 2, 54 + dataSize);
    put32(head + 10, 54);
    put32(head + 14, 40);
    put32(head + 18, w);
    put32(head + 22, h);
    put16(head + 26, 1);
    put16(head + 28, 24);
    put32(head + 30, 0);
    put32(head + 34, dataSize);
    put32(head + 38, 1024);
    put32(head + 42, 1024);
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
