#pragma once
// The byte grid of cells that the path finder searches: one cell is 1/20 of a
// world unit on x and z. Polygons are rasterised into it through the scratch
// bitmap of CGround, so a map can be at most 256 cells wide and deep.
#include <cstdint>

#include "LIBS/System/CMatrix.h"
#include "LIBS/System/CVector.h"

constexpr float kCellsPerUnit = 20.0f;
constexpr int32_t kScratchBitmapSize = 256;

// round(value) with halves going away from zero.
int32_t RoundHalfAway(float value);

// Allocated with malloc so that a world object can free it as a plain block
// whose first word points to the cells (FreeGroundMap).
struct GroundMap
{
    uint8_t* cells = nullptr; // rows along z, row length = width
    int32_t minX = 0, minZ = 0, maxX = 0, maxZ = 0;

    int32_t Width() const { return maxX - minX + 1; }
    int32_t Height() const { return maxZ - minZ + 1; }
    // The cell holding (cell x, cell z) in map coordinates; null outside.
    uint8_t* CellAt(int32_t cellX, int32_t cellZ);

    // A map for the cell rectangle {min x, min z, max x, max z} grown by one
    // cell on every side, all cells 'O'; null when the rectangle is empty or
    // memory runs out. Free with FreeGroundMap.
    static GroundMap* Create(const int32_t rect[4]);
    // Transforms the points by the matrix and fills the polygon (two points:
    // the segment) with `code`; cells holding 'I' or 'G' keep their code.
    void RasterizePolygon(const CMatrix& transform, const CVector* points, int32_t count, uint8_t code);
};

// The scratch bitmap the polygons are drawn into (256 x 256, one byte per
// pixel, top-down, white pen and brush); made on first use.
class CGround
{
public:
    static bool CreateScratchBitmap();
};
