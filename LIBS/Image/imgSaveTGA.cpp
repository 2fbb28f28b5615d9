#include "LIBS/Image/ImageLoader.h"
#include "LIBS/Image/imgSave.h"
#include "LIBS/System/sLog.h"
#include "LIBS/System/sStream.h"

#include <vector>

int imgSaveTGA(const imgImage& img, sStream& stream, int option)
{
    if (!stream.isOpen || img.empty())
        return 0;
    const int f = img.format;
    if (f != FMT_P_8 && f != FMT_RGB_888 && f != FMT_BGR_888 && f != FMT_BGRA_8888 && f != FMT_ARGB_8888) {
        SLOG_WARNING("invalid imageformat for save operation!");
        return 0;
    }
    if (img.width > 0xFFFF || img.height > 0xFFFF)
        return 0;
    const bool pal = f == FMT_P_8;
    const int bits = pal ? 8 : (f == FMT_RGB_888 || f == FMT_BGR_888) ? 24 : 32;
    const int unit = bits / 8;
    uint8_t head[18] = {};
    head[1] = pal ? 1 : 0;
    head[2] = uint8_t((pal ? 1 : 2) + (option == 1 ? 8 : 0));
    if (pal) {
        head[5] = 0; // 256 entries
        head[6] = 1;
        head[7] = 24;
    }
    head[12] = uint8_t(img.width);
    head[13] = uint8_t(img.width >> 8);
    head[14] = uint8_t(img.height);
    head[15] = uint8_t(img.height >> 8);
    head[16] = uint8_t(bits);
    head[17] = uint8_t(((img.origin & ORIGIN_TOP_BIT) ? 32 : 0) + ((img.origin & ORIGIN_LEFT_BIT) ? 0 : 16) +
                       (bits == 32 ? 8 : 0));
    if (!imgWriteAll(stream, head, sizeof head))
        return 0;
    if (pal) {
        uint8_t entries[768] = {};
        for (int i = 0; i < 256 && img.palette; ++i) {
            entries[i * 3] = uint8_t(img.palette[i]);
            entries[i * 3 + 1] = uint8_t(img.palette[i] >> 8);
            entries[i * 3 + 2] = uint8_t(img.palette[i] >> 16);
        }
        if (!imgWriteAll(stream, entries, sizeof entries))
            return 0;
    }
    // Pixels in the file's blue, green, red[, alpha] order.
    const size_t count = size_t(img.width) * img.height;
    std::vector<uint8_t> data(img.pixels, img.pixels + count * unit);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* p = data.data() + i * unit;
        if (f == FMT_RGB_888) {
            std::swap(p[0], p[2]);
        } else if (f == FMT_ARGB_8888) {
            const uint8_t a = p[0], r = p[1], g = p[2], b = p[3];
            p[0] = b;
            p[1] = g;
            p[2] = r;
            p[3] = a;
        }
    }
    if (option == 1) {
        std::vector<uint8_t> coded(data.size() * 2 + size_t(unit));
        const size_t n = imgRunLengthCode(data.data(), data.size(), unit, coded.data());
        return imgWriteAll(stream, coded.data(), n) ? 1 : 0;
    }
    return imgWriteAll(stream, data.data(), data.size()) ? 1 : 0;
}
