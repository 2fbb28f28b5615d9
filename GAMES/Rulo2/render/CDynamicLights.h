#pragma once
// Dynamic lighting: three device lights of its own, filled per object from the
// three world lights nearest to it. The world's lights are sorted once per game
// into a grid of 1 x 1 cells over their x-y extent, inside and outside apart.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "LIBS/System/CVector.h"

class CD3DLight;
class CWorldObject;
struct SWorldLight;

struct SNearestLight
{
    CWorldObject* node = nullptr; // the light's world object; null for an empty slot
    float distance = 3.4028235e38f;
    const SWorldLight* light() const;
};

class CDynamicLights
{
public:
    CDynamicLights();
    ~CDynamicLights();

    void Init();
    void Clear();
    void FindNearestLights(const CVector& point, bool sameLocation, bool inside);

    struct Cell
    {
        std::vector<CWorldObject*> inside, outside;
    };

    CD3DLight* deviceLights[3] = {};
    SNearestLight nearest[3];
    std::vector<std::vector<Cell>> grid; // grid[row][column]
    std::vector<CWorldObject*>* lights;  // the world's light nodes
    float originX = 0, originY = 0;
    int32_t columns = 0, rows = 0;
};
extern CDynamicLights DynamicLights;
