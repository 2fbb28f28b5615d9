#include "GAMES/Rulo2/render/CDynamicLights.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"

CDynamicLights DynamicLights;
CWorldObject* CurrentLocationFloor = nullptr;

namespace {

// The first "innen" or "aussen" ancestor decides; none means outside.
bool IsInsideNode(const CWorldObject* node)
{
    for (const CNode* p = node; p; p = p->parent) {
        if (NameStartsWith(p->GetName(), "innen"))
            return true;
        if (NameStartsWith(p->GetName(), "aussen"))
            return false;
    }
    return false;
}

int32_t CellIndex(float value, float origin, int32_t size)
{
    return std::clamp(int32_t(value - origin), 0, size - 1);
}

} // namespace

const SWorldLight* SNearestLight::light() const
{
    return node ? node->Light() : nullptr;
}

CDynamicLights::CDynamicLights() : lights(&g_LightNodes) {}

CDynamicLights::~CDynamicLights()
{
    grid.clear();
}

void CDynamicLights::Init()
{
    for (SNearestLight& n : nearest)
        n = SNearestLight();
    for (CD3DLight*& d : deviceLights) {
        if (!d) {
            d = new CD3DLight(nullptr);
            d->set(D3DLIGHT_POINT, 0, 0, 0, 1, 1, 1, 1, false);
        }
    }
    for (CD3DLight* d : deviceLights)
        d->enable(false);
    grid.clear();
    columns = rows = 0;
    LogPrintf("found %d lights", int(lights->size()));
    LogPrintf("initializing dynamic light structure...");
    if (lights->size() < 2)
        return;
    float minX = 3.4028235e38f, minY = 3.4028235e38f, maxX = -3.4028235e38f, maxY = -3.4028235e38f;
    for (CWorldObject* l : *lights) {
        if (!l)
            continue;
        minX = std::min(minX, l->position.x);
        minY = std::min(minY, l->position.y);
        maxX = std::max(maxX, l->position.x);
        maxY = std::max(maxY, l->position.y);
    }
    if (minX > maxX)
        return;
    originX = minX;
    originY = minY;
    columns = int32_t(maxX - minX) + 2;
    rows = int32_t(maxY - minY) + 2;
    grid.assign(size_t(rows), std::vector<Cell>(size_t(columns)));
    for (CWorldObject* l : *lights) {
        if (!l)
            continue;
        Cell& cell = grid[size_t(CellIndex(l->position.y, originY, rows))]
                         [size_t(CellIndex(l->position.x, originX, columns))];
        (IsInsideNode(l) ? cell.inside : cell.outside).push_back(l);
    }
}

void CDynamicLights::Clear()
{
    lights->clear();
    grid.clear();
    columns = rows = 0;
}

void CDynamicLights::FindNearestLights(const CVector& point, bool sameLocation, bool inside)
{
    for (SNearestLight& n : nearest)
        n = SNearestLight();
    if (grid.empty())
        return;
    const int32_t column = CellIndex(point.x, originX, columns);
    const int32_t row = CellIndex(point.y, originY, rows);
    for (int32_t r = std::max(row - 1, 0); r <= std::min(row + 1, rows - 1); ++r) {
        for (int32_t c = std::max(column - 1, 0); c <= std::min(column + 1, columns - 1); ++c) {
            const Cell& cell = grid[size_t(r)][size_t(c)];
            for (CWorldObject* l : inside ? cell.inside : cell.outside) {
                if (inside && sameLocation) {
                    CWorldObject *house = nullptr, *floor = nullptr;
                    int32_t number = 0;
                    GetHouseAndFloor(l, &house, &floor, &number);
                    if (floor != CurrentLocationFloor)
                        continue;
                }
                const float d = (l->position - point).length();
                for (int i = 0; i < 3; ++i) {
                    if (nearest[i].distance > d) {
                        for (int k = 2; k > i; --k)
                            nearest[k] = nearest[k - 1];
                        nearest[i].node = l;
                        nearest[i].distance = d;
                        break;
                    }
                }
            }
        }
    }
}
