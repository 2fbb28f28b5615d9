// Ground nodes: which world objects the path finder walks on, the world boxes
// of all objects, the obstacles and doors standing on each ground node, and
// the ground map of a node.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <map>
#include <vector>

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/MeshShape.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "LIBS/System/CBox.h"

static CModelEntry* FirstStateEntry(const CWorldObject* o)
{
    CObjectNode* def = o->Definition();
    return def && def->firstState ? def->firstState->modelEntry : nullptr;
}

static bool HasGround(const CModelEntry* entry)
{
    return entry && entry->model && entry->model->hasShape;
}

NodeClass ClassifyNode(const CWorldObject* o)
{
    if (!o)
        return NODE_NONE;
    if (o->objectKind == CWorldObject::KIND_MODEL) {
        const CModelEntry* entry = o->ModelEntry();
        if (!HasGround(entry))
            return NODE_NONE;
        if (entry->antiGround)
            return NODE_OBSTACLE;
        return NameStartsWith(entry->GetName(), "Treppe") ? NODE_STAIRS : NODE_GROUND;
    }
    if (o->objectKind == CWorldObject::KIND_OBJECT) {
        if (o->objectLogic && o->objectLogic->Kind() == KIND_DOOR)
            return NODE_DOOR;
        const CModelEntry* entry = FirstStateEntry(o);
        if (HasGround(entry) && entry->antiGround)
            return NODE_OBSTACLE;
    }
    return NODE_NONE;
}

CWorldObject* FloorNodeOf(const CWorldObject* o)
{
    for (CNode* p = o ? o->parent : nullptr; p; p = p->parent)
        if (NameStartsWith(p->GetName(), "Stockwerk"))
            return static_cast<CWorldObject*>(p);
    return nullptr;
}

static int BoxesOf(CWorldObject* o, void*)
{
    if ((o->objectKind != CWorldObject::KIND_MODEL && o->objectKind != CWorldObject::KIND_OBJECT) ||
        !o->reference)
        return NODE_WALK_CONTINUE;
    CRootNode* root = o->GetShapeRoot();
    if (!root)
        return NODE_WALK_CONTINUE;
    CVector corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = CVector(i & 1 ? root->boundsMax.x : root->boundsMin.x,
                             i & 2 ? root->boundsMax.y : root->boundsMin.y,
                             i & 4 ? root->boundsMax.z : root->boundsMin.z);
    const CMatrix m = ObjectMatrix(o);
    CBox shape;
    BBoxReset(shape);
    for (CVector& c : corners) {
        c.transform(m);
        shape.extend(c);
    }
    o->boundsAMin = shape.min;
    o->boundsAMax = shape.max;
    CVector size = shape.max - shape.min;
    const CModelEntry* entry = o->ModelEntry();
    if (o->objectKind == CWorldObject::KIND_MODEL && HasGround(entry) && !entry->antiGround)
        size.y = std::max(size.y, 0.15f);
    else
        size.y *= 0.66f;
    CBox test;
    test.min = shape.min;
    test.max = shape.min + size;
    test.scaleAboutCenter(1.05f);
    o->boundsBMin = test.min;
    o->boundsBMax = test.max;
    return NODE_WALK_CONTINUE;
}

void CWorldObject::CalculateBoundingBoxes(CWorldObject* first)
{
    if (first)
        first->ForEach(BoxesOf, nullptr);
}

static CBox TestBox(const CWorldObject* o)
{
    CBox b;
    b.min = o->boundsBMin;
    b.max = o->boundsBMax;
    return b;
}

namespace {
struct SCell
{
    std::vector<CWorldObject*> grounds, obstacles, doors;
};
// The one-unit cells that hold objects, kept sparse: a large world costs only
// the cells that are used.
struct SGrid
{
    int32_t n = 0;
    float originX = 0, originZ = 0;
    std::map<std::pair<int32_t, int32_t>, SCell> cells; // (column, row)
    bool Inside(int32_t row, int32_t column) const
    {
        return row >= 0 && column >= 0 && row < 2 * n && column < 2 * n;
    }
    SCell* At(int32_t row, int32_t column)
    {
        auto it = cells.find({column, row});
        return it == cells.end() ? nullptr : &it->second;
    }
};
} // namespace

static int Enter(CWorldObject* o, void* argument)
{
    auto& grid = *static_cast<SGrid*>(argument);
    o->antiGround.clear();
    o->antiGround.shrink_to_fit();
    o->doorList.clear();
    o->doorList.shrink_to_fit();
    const NodeClass c = ClassifyNode(o);
    if (c == NODE_NONE)
        return NODE_WALK_CONTINUE;
    const int32_t row = int32_t(std::trunc(o->position.z - grid.originZ)) + grid.n;
    const int32_t column = int32_t(std::trunc(o->position.x - grid.originX)) + grid.n;
    if (!grid.Inside(row, column))
        return NODE_WALK_CONTINUE;
    SCell& cell = grid.cells[{column, row}];
    if (c == NODE_GROUND)
        cell.grounds.push_back(o);
    else if (c == NODE_DOOR)
        cell.doors.push_back(o);
    else
        cell.obstacles.push_back(o);
    return NODE_WALK_CONTINUE;
}

void CWorldObject::CalculateAntiGroundConnections()
{
    CWorldObject* root = g_WorldRoot;
    if (!root)
        return;
    // Centred on the root; the half size from the world's bounds (the root's
    // rotation field alone may leave objects without a cell), so that every
    // object has a cell and none lies on the grid's border.
    SGrid grid;
    float half = 2.0f + std::trunc(std::clamp(root->angle, 0.0f, 1.0e6f));
    if (!g_WorldBounds.isEmpty()) {
        const float reach = std::max({std::fabs(g_WorldBounds.min.x - root->position.x),
                                      std::fabs(g_WorldBounds.max.x - root->position.x),
                                      std::fabs(g_WorldBounds.min.z - root->position.z),
                                      std::fabs(g_WorldBounds.max.z - root->position.z)});
        half = std::max(half, 2.0f + std::ceil(std::min(reach, 1.0e6f)));
    }
    grid.n = int32_t(half);
    grid.originX = root->position.x;
    grid.originZ = root->position.z;
    root->ForEach(Enter, &grid);

    // Columns from the last to the first, rows within a column likewise.
    for (auto it = grid.cells.rbegin(); it != grid.cells.rend(); ++it) {
        const auto [column, row] = it->first;
        if (row < 1 || column < 1 || row > 2 * grid.n - 2 || column > 2 * grid.n - 2)
            continue;
        for (CWorldObject* g : it->second.grounds) {
            const CBox gb = TestBox(g);
            const CWorldObject* floor = FloorNodeOf(g);
            auto sameFloor = [&](const CWorldObject* o) { return !floor || o->IsDescendantOf(floor); };
            for (int32_t dr = -1; dr <= 1; ++dr)
                for (int32_t dc = -1; dc <= 1; ++dc) {
                    SCell* near = grid.At(row + dr, column + dc);
                    if (!near)
                        continue;
                    for (CWorldObject* o : near->obstacles) {
                        // The share of the obstacle's area that stands on the
                        // ground: stairs that only touch a floor's edge stay
                        // off its list, stairs standing on it go on.
                        const float amount = TestBox(o).overlapAmount(gb);
                        const float threshold = NameStartsWith(o->GetRefName(), "Treppe") ? 0.2f : 0.0f;
                        if (amount != 0.0f && amount > threshold && sameFloor(o))
                            g->antiGround.push_back(o);
                    }
                    for (CWorldObject* d : near->doors)
                        if (gb.overlap(TestBox(d)) && sameFloor(d))
                            g->doorList.push_back(d);
                }
        }
    }
}

static CMatrix ScaledMatrix(const CWorldObject* o)
{
    CMatrix m = ObjectMatrix(o);
    if (o->scale != 1.0f)
        for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10})
            m[i] *= o->scale;
    return m;
}

bool CWorldObject::CreateGroundMap()
{
    // Stairs are walked like ground: a route up a staircase joins its map.
    const NodeClass c = ClassifyNode(this);
    if (c != NODE_GROUND && c != NODE_STAIRS)
        return false;
    CRootNode* root = GetShapeRoot();
    const CMatrix m = ObjectMatrix(this);
    int32_t rect[4] = {1000000, 1000000, -1000000, -1000000};
    GetShapeCellBounds(root->FirstModelChild(), m, rect);
    FreeGroundMap(groundMap);
    groundMap = nullptr;
    GroundMap* map = GroundMap::Create(rect);
    if (!map)
        return false;
    RasterizeShapeOpen(root->FirstModelChild(), m, *map);
    for (CWorldObject* o : antiGround) {
        CRootNode* shape = o->GetShapeRoot();
        if (!shape)
            continue;
        if (NameStartsWith(o->GetRefName(), "Treppe"))
            RasterizeShapeT(shape->FirstModelChild(), ScaledMatrix(o), *map);
        else
            RasterizeShapeObstacle(shape->FirstModelChild(), ScaledMatrix(o), *map);
    }
    groundMap = map;
    return true;
}
