#include "GAMES/Rulo2/navigation/GroundMap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace {

struct SScratch
{
    platform::DibSection bitmap;
    platform::MemoryDC dc;
};
std::unique_ptr<SScratch> g_Scratch;

constexpr uint8_t kWhiteIndex = 255;

} // namespace

int32_t RoundHalfAway(float value)
{
    return int32_t(value > 0.0f ? value + 0.5f : value - 0.5f);
}

bool CGround::CreateScratchBitmap()
{
    if (g_Scratch)
        return true;
    auto scratch = std::make_unique<SScratch>();
    std::vector<platform::RGBQUAD> colours(256);
    colours[kWhiteIndex] = {255, 255, 255, 0};
    if (!scratch->bitmap.Create(kScratchBitmapSize, -kScratchBitmapSize, colours))
        return false;
    scratch->dc.SelectBitmap(&scratch->bitmap);
    scratch->dc.SelectPen({platform::PS_SOLID, 1, platform::RGB(255, 255, 255)});
    scratch->dc.SelectBrush({false, platform::RGB(255, 255, 255)});
    g_Scratch = std::move(scratch);
    return true;
}

uint8_t* GroundMap::CellAt(int32_t cellX, int32_t cellZ)
{
    if (!cells || cellX < 0 || cellZ < 0 || cellX >= Width() || cellZ >= Height())
        return nullptr;
    return cells + size_t(cellZ) * size_t(Width()) + size_t(cellX);
}

GroundMap* GroundMap::Create(const int32_t rect[4])
{
    if (rect[0] > rect[2] || rect[1] > rect[3])
        return nullptr;
    const int64_t width = int64_t(rect[2]) - rect[0] + 3;
    const int64_t height = int64_t(rect[3]) - rect[1] + 3;
    if (width > 65536 || height > 65536)
        return nullptr;
    auto* map = static_cast<GroundMap*>(std::calloc(1, sizeof(GroundMap)));
    if (!map)
        return nullptr;
    map->minX = rect[0] - 1;
    map->minZ = rect[1] - 1;
    map->maxX = rect[2] + 1;
    map->maxZ = rect[3] + 1;
    map->cells = static_cast<uint8_t*>(std::malloc(size_t(width * height)));
    if (!map->cells) {
        std::free(map);
        return nullptr;
    }
    std::memset(map->cells, 'O', size_t(width * height));
    return map;
}

void GroundMap::RasterizePolygon(const CMatrix& transform, const CVector* points, int32_t count, uint8_t code)
{
    if (!cells || !points || count < 2 || !CGround::CreateScratchBitmap())
        return;
    platform::DibSection& bitmap = g_Scratch->bitmap;
    // Only the part of the map that the bitmap covers can be drawn.
    const int32_t w = std::min(Width(), kScratchBitmapSize);
    const int32_t h = std::min(Height(), kScratchBitmapSize);
    for (int32_t z = 0; z < h; ++z)
        std::memset(bitmap.PixelAt(0, z), 0, size_t(w));

    std::vector<platform::GdiPoint> corners(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        CVector p = points[i];
        p.transform(transform);
        corners[size_t(i)].x = RoundHalfAway(p.x * kCellsPerUnit - float(minX));
        corners[size_t(i)].y = RoundHalfAway(p.z * kCellsPerUnit - float(minZ));
    }
    if (uint8_t* first = bitmap.PixelAt(corners[0].x, corners[0].y))
        *first = kWhiteIndex;
    g_Scratch->dc.Polygon(corners.data(), count);

    for (int32_t z = 0; z < h; ++z) {
        const uint8_t* row = bitmap.PixelAt(0, z);
        uint8_t* cell = cells + size_t(z) * size_t(Width());
        for (int32_t x = 0; x < w; ++x)
            if (row[x] && cell[x] != 'I' && cell[x] != 'G')
                cell[x] = code;
    }
}
