// Bitmap resources for picture controls, and the BMP files of snapshots.
#include "platform/ui/UiInternal.h"

#include "platform/files/AtomicFile.h"
#include "platform/resources/Resources.h"

namespace platform::ui {

namespace {

uint32_t U16(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return U16(b, at) | U16(b, at + 2) << 16;
}

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

} // namespace

bool DecodeBmp(const std::vector<uint8_t>& b, Bitmap& bitmap, std::string& error)
{
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') {
        error = "not a BMP file";
        return false;
    }
    const uint32_t dataOffset = U32(b, 10), headerSize = U32(b, 14);
    const int32_t width = int32_t(U32(b, 18)), rawHeight = int32_t(U32(b, 22));
    const uint32_t bits = U16(b, 28), compression = U32(b, 30);
    uint32_t colours = U32(b, 46);
    if (headerSize < 40 || size_t(14) + headerSize > b.size()) {
        error = "damaged BMP header";
        return false;
    }
    if (compression != 0 || (bits != 8 && bits != 24 && bits != 32)) {
        error = "unsupported BMP (" + std::to_string(bits) + " bits, compression " +
                std::to_string(compression) + ")";
        return false;
    }
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t(rawHeight) : int64_t(rawHeight);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        error = "BMP size out of range";
        return false;
    }
    const size_t stride = (size_t(width) * bits / 8 + 3) & ~size_t(3);
    if (dataOffset > b.size() || stride * size_t(height) > b.size() - dataOffset) {
        error = "BMP pixel data cut short";
        return false;
    }
    std::vector<uint32_t> palette;
    if (bits == 8) {
        if (colours == 0 || colours > 256)
            colours = 256;
        const size_t at = 14 + headerSize;
        if (at + colours * 4 > dataOffset) {
            error = "BMP palette cut short";
            return false;
        }
        for (uint32_t i = 0; i < colours; ++i)
            palette.push_back(0xFF000000u | uint32_t(b[at + i * 4 + 2]) << 16 |
                              uint32_t(b[at + i * 4 + 1]) << 8 | b[at + i * 4]);
        palette.resize(256, 0xFF000000u);
    }
    bitmap.width = width;
    bitmap.height = int(height);
    bitmap.pixels.assign(size_t(width) * size_t(height), 0);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = b.data() + dataOffset + stride * size_t(topDown ? y : height - 1 - y);
        uint32_t* out = bitmap.pixels.data() + size_t(y) * size_t(width);
        for (int32_t x = 0; x < width; ++x) {
            if (bits == 8) {
                out[x] = palette[row[x]];
            } else {
                const uint8_t* p = row + size_t(x) * (bits / 8);
                out[x] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            }
        }
    }
    return true;
}

bool LoadBitmapResource(int id, Bitmap& bitmap, std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!LoadResource("BITMAP", id, bytes)) {
        error = "bitmap resource " + std::to_string(id) + " is missing";
        return false;
    }
    if (!DecodeBmp(bytes, bitmap, error)) {
        error = FindResource("BITMAP", id).string() + ": " + error;
        return false;
    }
    return true;
}

bool SaveBmp24(const std::filesystem::path& file, int width, int height, const std::vector<uint32_t>& pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() < size_t(width) * size_t(height))
        return false;
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> out(54 + stride * size_t(height), 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, uint32_t(out.size()));
    Put32(out, 10, 54);
    Put32(out, 14, 40);
    Put32(out, 18, uint32_t(width));
    Put32(out, 22, uint32_t(height));
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 34, uint32_t(stride * size_t(height)));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = out.data() + 54 + stride * size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const uint32_t c = pixels[size_t(y) * size_t(width) + size_t(x)];
            row[x * 3] = uint8_t(c);
            row[x * 3 + 1] = uint8_t(c >> 8);
            row[x * 3 + 2] = uint8_t(c >> 16);
        }
    }
    return bool(WriteFileAtomically(file, out.data(), out.size()));
}

} // namespace platform::ui
