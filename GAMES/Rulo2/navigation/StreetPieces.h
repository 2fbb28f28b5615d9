#pragma once
// The street-piece table: one record per kind of road model ("street_..."),
// with its driving lanes and side lines in the piece's own frame. The names
// are fixed; the geometry is built once at start-up.
#include <cstdint>
#include <vector>

#include "LIBS/System/CVector.h"

class CWorldObject;

struct StreetPiece
{
    StreetPiece(const char* pieceName) : name(pieceName) {}
    const char* name = nullptr; // Windows-1252 bytes
    // Each lane is an ordered point list that a car drives from first to last.
    std::vector<std::vector<CVector>> lanes;
    // Lines beside the lanes of the wide roads, for cars standing beside them.
    std::vector<std::vector<CVector>> sideLines;
    std::vector<float> laneTurn; // radians: +pi/12, 0 or -pi/12 per lane
    uint8_t isJunction = 0;
};

constexpr int32_t kStreetPieceKinds = 20;
extern StreetPiece StreetPieceTable[kStreetPieceKinds];
// The bound every search over the table uses.
extern int32_t StreetPieceCount;

// Fills lanes, side lines and turn values of every record (start-up).
void BuildStreetPieceLanes();
// The record whose name equals `name` (ASCII letters without case); -1 when none.
int32_t FindStreetPiece(const char* name);
// The record of the model or object a world object refers to; -1 when none.
int32_t StreetPieceOf(const CWorldObject* node);
// A lane point turned by the piece's yaw rounded to a quarter turn (no offset).
CVector RotateLanePoint(const CVector& point, float yaw);
// A lane point of a piece in the world: turned by its yaw, moved to its position.
CVector PlaceLanePoint(const CVector& point, const CWorldObject* piece);
