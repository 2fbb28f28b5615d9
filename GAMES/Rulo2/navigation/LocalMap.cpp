// The local map of a path finder: the joined ground maps of the next nodes of
// the global path with doors, wall margins and standing cars, the start and end
// cells on it, and the way-points made from a found cell path.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/navigation/PathFinderLog.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "platform/crt/Crt.h"

uint8_t SkipLockTest = 0;
uint8_t AllDoorsPassable = 0;

uint8_t* PATHFINDER::LocalCell(int32_t x, int32_t z) const
{
    if (!mapCells || x < 0 || z < 0 || x >= mapWidth || z >= mapHeight)
        return nullptr;
    return mapCells + size_t(z) * size_t(mapWidth) + size_t(x);
}

bool PATHFINDER::IsFreeCell(const CVector& position) const
{
    const uint8_t* c = LocalCell(ToCellX(position.x), ToCellZ(position.z));
    return c && *c == ' ';
}

bool PATHFINDER::IsMapNode(const CWorldObject* node) const
{
    for (int32_t i = 0; i < mapNodeCount; ++i)
        if (mapNodes[i] == node)
            return true;
    return false;
}

static bool IsStairsNode(const CWorldObject* node)
{
    return node && NameStartsWith(node->GetRefName(), "Treppe");
}

static GroundMap* MapOf(CWorldObject* node)
{
    return static_cast<GroundMap*>(node->groundMap);
}

static bool EnsureGroundMap(CWorldObject* node)
{
    return node->groundMap || node->CreateGroundMap();
}

static int32_t IndexOf(const std::vector<CWorldObject*>& list, const CWorldObject* node)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == node)
            return int32_t(i);
    return -1;
}

// Open and locked flags of a door or window (kinds 7 and 8).
bool DoorState(const CWorldObject* object, bool* open, bool* locked)
{
    const CObjectLogic* logic = object ? object->objectLogic : nullptr;
    if (!logic || (logic->Kind() != KIND_DOOR && logic->Kind() != KIND_WINDOW))
        return false;
    const auto* state = dynamic_cast<const CPassageState*>(logic->EffectiveConditions());
    *open = state && state->open;
    *locked = state && state->locked;
    return true;
}

bool IsGangMember(const CWorldObject* character)
{
    for (const SPlanMember& m : PlanMemberArray)
        if (m.member == character)
            return true;
    return false;
}

void PATHFINDER::MergeGroundMap(const uint8_t* cells, int32_t minX, int32_t minZ, int32_t maxX, int32_t maxZ,
                                int32_t mode)
{
    if (mode != 0 && mode != 1)
        return;
    const int32_t width = maxX - minX + 1;
    for (int32_t z = minZ; z <= maxZ; ++z)
        for (int32_t x = minX; x <= maxX; ++x) {
            uint8_t* local = LocalCell(x - mapMinX, z - mapMinZ);
            if (!local)
                continue;
            const uint8_t source = cells[size_t(z - minZ) * size_t(width) + size_t(x - minX)];
            if (mode == 0) {
                // 'T' marks where a joined map goes on (stairs over a floor): the free
                // ground of the other map replaces it whichever map comes first.
                if (*local == 'O' || source == 'I' || source == 'o' || (*local == 'T' && source == ' ') ||
                    (source == 'T' && *local != ' '))
                    *local = source;
            } else if (*local == 'O' || *local == 'T') {
                *local = source == ' ' ? 'G' : source;
            }
        }
}

void PATHFINDER::MarkWallCells(bool strict)
{
    std::vector<uint8_t> before(mapCells, mapCells + size_t(mapWidth) * size_t(mapHeight));
    auto at = [&](int32_t x, int32_t z) { return before[size_t(z) * size_t(mapWidth) + size_t(x)]; };
    for (int32_t z = 1; z + 1 < mapHeight; ++z)
        for (int32_t x = 1; x + 1 < mapWidth; ++x) {
            if (at(x, z) != ' ')
                continue;
            bool blocked = false, onlyOuter = true;
            for (int32_t dz = -1; dz <= 1; ++dz)
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    const uint8_t c = at(x + dx, z + dz);
                    if (c == 'O' || c == 'T' || c == 'I') {
                        blocked = true;
                        onlyOuter = onlyOuter && c != 'I';
                    }
                }
            if (!blocked)
                continue;
            if (!strict && onlyOuter &&
                (at(x, z - 1) == 'G' || at(x, z + 1) == 'G' || at(x - 1, z) == 'G' || at(x + 1, z) == 'G'))
                continue;
            *LocalCell(x, z) = 'o';
        }
}

void PATHFINDER::CloseMapBorder()
{
    const uint8_t code = final ? 'O' : 'G';
    for (int32_t z = 0; z < mapHeight; ++z)
        for (int32_t x = 0; x < mapWidth; ++x)
            if ((z == 0 || x == 0 || z == mapHeight - 1 || x == mapWidth - 1) && *LocalCell(x, z) == ' ')
                *LocalCell(x, z) = code;
}

// Draws a polygon into the local map whatever its size: the scratch bitmap is
// laid over the polygon's own cells through a view of that window.
static void DrawIntoLocalMap(PATHFINDER& p, const CMatrix& m, const CVector* points, int32_t count,
                             uint8_t code)
{
    int32_t lo[2] = {INT32_MAX, INT32_MAX}, hi[2] = {INT32_MIN, INT32_MIN};
    for (int32_t i = 0; i < count; ++i) {
        CVector q = points[i];
        q.transform(m);
        const int32_t cx = RoundHalfAway(q.x * kCellsPerUnit), cz = RoundHalfAway(q.z * kCellsPerUnit);
        lo[0] = std::min(lo[0], cx);
        lo[1] = std::min(lo[1], cz);
        hi[0] = std::max(hi[0], cx);
        hi[1] = std::max(hi[1], cz);
    }
    lo[0] = std::max(lo[0] - 1, p.mapMinX);
    lo[1] = std::max(lo[1] - 1, p.mapMinZ);
    hi[0] = std::min(hi[0] + 1, p.mapMinX + p.mapWidth - 1);
    hi[1] = std::min(hi[1] + 1, p.mapMinZ + p.mapHeight - 1);
    if (lo[0] > hi[0] || lo[1] > hi[1] || hi[0] - lo[0] >= kScratchBitmapSize ||
        hi[1] - lo[1] >= kScratchBitmapSize)
        return;
    const int32_t w = hi[0] - lo[0] + 1, h = hi[1] - lo[1] + 1;
    std::vector<uint8_t> window(size_t(w) * size_t(h));
    for (int32_t z = 0; z < h; ++z)
        std::memcpy(&window[size_t(z) * size_t(w)], p.LocalCell(lo[0] - p.mapMinX, lo[1] + z - p.mapMinZ),
                    size_t(w));
    GroundMap view;
    view.cells = window.data();
    view.minX = lo[0];
    view.minZ = lo[1];
    view.maxX = hi[0];
    view.maxZ = hi[1];
    view.RasterizePolygon(m, points, count, code);
    for (int32_t z = 0; z < h; ++z)
        std::memcpy(p.LocalCell(lo[0] - p.mapMinX, lo[1] + z - p.mapMinZ), &window[size_t(z) * size_t(w)],
                    size_t(w));
    view.cells = nullptr;
}

static void DrawDoor(PATHFINDER& p, CWorldObject* d, bool closed)
{
    CMatrix identity;
    identity.identity();
    const float x = d->position.x, z = d->position.z;
    const CVector square[4] = {{x - 0.05f, 0, z - 0.05f},
                               {x + 0.05f, 0, z - 0.05f},
                               {x + 0.05f, 0, z + 0.05f},
                               {x - 0.05f, 0, z + 0.05f}};
    DrawIntoLocalMap(p, identity, square, 4, 'o');
    const bool alongZ = (d->boundsAMax.x - d->boundsAMin.x) > (d->boundsAMax.z - d->boundsAMin.z);
    auto line = [&](float reach, uint8_t code) {
        const CVector ends[2] = {alongZ ? CVector(x, 0, z - reach) : CVector(x - reach, 0, z),
                                 alongZ ? CVector(x, 0, z + reach) : CVector(x + reach, 0, z)};
        DrawIntoLocalMap(p, identity, ends, 2, code);
    };
    line(0.075f, ' ');
    if (closed)
        line(0.05f, 'D');
}

static void DrawStandingObstacle(PATHFINDER& p, CWorldObject* object)
{
    CRootNode* root = object->GetShapeRoot();
    if (!root)
        return;
    const CVector lo = root->boundsMin * 0.8f, hi = root->boundsMax * 0.8f;
    const CVector corners[4] = {{lo.x, 0, lo.z}, {hi.x, 0, lo.z}, {hi.x, 0, hi.z}, {lo.x, 0, hi.z}};
    DrawIntoLocalMap(p, ObjectMatrix(object), corners, 4, 'o');
}

bool PATHFINDER::SetLocalMap(CWorldObject* node)
{
    std::free(mapCells);
    mapCells = nullptr;
    mapWidth = mapHeight = 0;
    startCellX = startCellZ = endCellX = endCellZ = -1;
    final = 0;
    squareNode = nullptr;
    refNode = nullptr;

    int32_t count = traceDepth;
    const int32_t base = IndexOf(globalWayPoints, node);
    CWorldObject* nodes[10] = {};
    for (int32_t i = 0; i < count && i < 10; ++i) {
        const int32_t at = base < 0 ? (i == 0 ? -2 : -1) : base + i;
        nodes[i] = at == -2 ? node
                            : (at >= 0 && at < int32_t(globalWayPoints.size()) ? globalWayPoints[size_t(at)]
                                                                               : nullptr);
    }
    bool neverFinal = false, stairs = false;
    if (traceDepth == 3)
        for (int32_t i = 0; i < 3; ++i)
            if (IsStairsNode(nodes[i])) {
                stairs = true;
                if (i < 2)
                    count = 2;
                else
                    neverFinal = true;
                break;
            }

    int32_t rect[4] = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    int32_t joined = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (!nodes[i]) {
            final = 1;
            break;
        }
        if (!EnsureGroundMap(nodes[i])) {
            if (i == 0)
                NavLog("PATHFINDER::SetLocalMap(): could not create ground-map for global way-point #0");
            else
                NavLog("PATHFINDER::SetLocalMap(): could not create ground-map for global way-point #%d", i);
            return false;
        }
        ++joined;
    }
    count = joined;
    if (count == 0)
        return false;
    // A stretch over stairs ends at the next floor's edge: the walk goes on from there.
    if (!final && !stairs && !globalWayPoints.empty() && nodes[count - 1] == globalWayPoints.back())
        final = 1;
    if (neverFinal)
        final = 0;

    // A node beside the third one that joins the first closes a square.
    if (count >= 3) {
        for (const SConnection& c : nodes[2]->connections) {
            CWorldObject* n = c.target;
            if (!n || n == nodes[1])
                continue;
            bool linked = false;
            for (const SConnection& back : n->connections)
                linked = linked || back.target == nodes[0];
            if (!linked)
                continue;
            if (!EnsureGroundMap(n)) {
                NavLog(
                    "PATHFINDER::SetLocalMap(): could not create ground-map for additional square way-point");
                return false;
            }
            squareNode = n;
            for (int32_t i = count; i > count - 1; --i)
                nodes[i] = nodes[i - 1];
            nodes[count - 1] = n;
            ++count;
            break;
        }
    }

    // The end moves onto the target object (or the door being retried).
    CWorldObject* aim = door ? door : (final ? targetObject : nullptr);
    if (aim) {
        CVector point;
        CWorldObject* ground = nullptr;
        const CVector from = door ? CVector(float(doorCellX + mapMinX) / kCellsPerUnit, 0,
                                            float(doorCellZ + mapMinZ) / kCellsPerUnit)
                                  : (owner ? owner->position : startPosition);
        if (aim->FindAttackPointOnPath(&point, nodes, count)) {
            endPosition = point;
            final = 1;
        } else if (aim->FindNearestAttackPoint(from, &point, &ground, nullptr)) {
            bool onMap = false;
            for (int32_t i = 0; i < count; ++i)
                onMap = onMap || nodes[i] == ground;
            if (onMap) {
                endPosition = point;
                final = 1;
            } else if (count < 10) {
                for (int32_t i = 0; i < count && ground; ++i) {
                    bool linked = false;
                    for (const SConnection& c : nodes[i]->connections)
                        linked = linked || c.target == ground;
                    if (!linked)
                        continue;
                    if (!EnsureGroundMap(ground)) {
                        NavLog("PATHFINDER::SetLocalMap(): could not create ground-map for additional object "
                               "way-point");
                        return false;
                    }
                    nodes[count++] = ground;
                    endPosition = point;
                    final = 1;
                    break;
                }
            }
        }
    }

    for (int32_t i = 0; i < count; ++i) {
        const GroundMap* m = MapOf(nodes[i]);
        rect[0] = std::min(rect[0], m->minX);
        rect[1] = std::min(rect[1], m->minZ);
        rect[2] = std::max(rect[2], m->maxX);
        rect[3] = std::max(rect[3], m->maxZ);
    }
    mapNodeCount = count;
    std::copy(nodes, nodes + 10, mapNodes);
    mapMinX = rect[0];
    mapMinZ = rect[1];
    mapWidth = rect[2] - rect[0] + 1;
    mapHeight = rect[3] - rect[1] + 1;
    mapCells = static_cast<uint8_t*>(std::malloc(size_t(mapWidth) * size_t(mapHeight)));
    std::memset(mapCells, 'O', size_t(mapWidth) * size_t(mapHeight));
    mapView.cells = mapCells;
    mapView.minX = rect[0];
    mapView.minZ = rect[1];
    mapView.maxX = rect[2];
    mapView.maxZ = rect[3];
    for (int32_t i = 0; i < count; ++i) {
        const GroundMap* m = MapOf(nodes[i]);
        const bool last = i == count - 1 && !final;
        MergeGroundMap(m->cells, m->minX, m->minZ, m->maxX, m->maxZ, last ? 1 : 0);
        if (last) {
            refNode = nodes[i];
            refCellX = ToCellX(nodes[i]->position.x);
            refCellZ = ToCellZ(nodes[i]->position.z);
        }
    }

    // Doors and windows standing on the joined nodes.
    closedDoors.clear();
    openDoors.clear();
    for (int32_t i = 0; i < count; ++i) {
        const bool lastOfOpenMap = i == count - 1 && count >= 2 && !final;
        for (CWorldObject* d : nodes[i]->doorList) {
            if (lastOfOpenMap && !d->AreAttackPointsOverGrounds(nodes[i - 1], nodes[i]))
                continue;
            bool open = false, locked = false;
            if (!DoorState(d, &open, &locked))
                continue;
            if (IndexOf(closedDoors, d) >= 0 || IndexOf(openDoors, d) >= 0)
                continue;
            if (AllDoorsPassable) {
                openDoors.push_back(d);
                continue;
            }
            const bool atPoint = open && owner && d->IsCharacterAtAttackPoint(owner);
            if (!open || !atPoint)
                closedDoors.push_back(d);
            else if (locked && IsGangMember(owner) && !SkipLockTest)
                closedDoors.push_back(d);
            else
                openDoors.push_back(d);
        }
    }

    MarkWallCells(final != 0);
    for (CWorldObject* d : openDoors)
        DrawDoor(*this, d, false);
    for (CWorldObject* d : closedDoors)
        DrawDoor(*this, d, true);
    if (owner)
        for (CWorldObject* car : CarList) {
            if (!car || car == owner)
                continue;
            const CVector d = car->position - owner->position;
            if (d.x * d.x + d.y * d.y + d.z * d.z <= 4.0f)
                DrawStandingObstacle(*this, car);
        }
    CloseMapBorder();
    return true;
}

bool PATHFINDER::SetStart(const CVector& position)
{
    preciseStart = CVector(position.x, 0, position.z);
    startCellX = firstStartX = ToCellX(position.x);
    startCellZ = firstStartZ = ToCellZ(position.z);
    if (!LocalCell(startCellX, startCellZ)) {
        NavLog("PATHFINDER::SetStart(): could not find valid start-position");
        return false;
    }
    return true;
}

static bool IsFree(const PATHFINDER& p, int32_t x, int32_t z)
{
    const uint8_t* c = p.LocalCell(x, z);
    return c && *c == ' ';
}

bool PATHFINDER::FindFreeCellNear(int32_t* cellX, int32_t* cellZ, int32_t towardX, int32_t towardZ) const
{
    const int32_t x = *cellX, z = *cellZ;
    auto take = [&](int32_t tx, int32_t tz) {
        if (!IsFree(*this, tx, tz))
            return false;
        *cellX = tx;
        *cellZ = tz;
        return true;
    };
    if (take(x, z))
        return true;
    if ((x == 1 && take(2, z)) || (x == mapWidth - 2 && take(mapWidth - 3, z)) || (z == 1 && take(x, 2)) ||
        (z == mapHeight - 2 && take(x, mapHeight - 3)))
        return true;
    const int32_t n = std::max(std::abs(towardX - x), std::abs(towardZ - z));
    auto along = [&](int32_t steps) {
        if (n == 0)
            return false;
        const float px = float(x) + 0.5f + float(towardX - x) / float(n) * float(steps);
        const float pz = float(z) + 0.5f + float(towardZ - z) / float(n) * float(steps);
        return take(int32_t(std::floor(px)), int32_t(std::floor(pz)));
    };
    if (along(1))
        return true;
    static const int32_t ring1[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}};
    for (const auto& o : ring1)
        if (take(x + o[0], z + o[1]))
            return true;
    if (along(2))
        return true;
    static const int32_t ring2[16][2] = {{-2, -2}, {-1, -2}, {0, -2}, {1, -2}, {2, -2}, {2, -1},
                                         {2, 0},   {2, 1},   {2, 2},  {1, 2},  {0, 2},  {-1, 2},
                                         {-2, 2},  {-2, 1},  {-2, 0}, {-2, -1}};
    for (const auto& o : ring2)
        if (take(x + o[0], z + o[1]))
            return true;
    return false;
}

bool PATHFINDER::FindClosestG()
{
    bool found = false;
    const char* how = "";
    int32_t rx = refCellX, rz = refCellZ;
    auto attackCell = [&](CWorldObject* node, CWorldObject* heightOf) {
        if (!node || !heightOf)
            return false;
        CRootNode* root = node->GetShapeRoot();
        if (!root || !root->hasShape)
            return false;
        return node->FindAttackPointCell(heightOf->position.y, &rx, &rz, mapMinX, mapMinZ);
    };
    if (attackCell(mapNodes[0], mapNodeCount >= 2 ? mapNodes[1] : nullptr) ||
        (mapNodeCount >= 2 && attackCell(mapNodes[1], mapNodes[0])) ||
        (mapNodeCount >= 3 && attackCell(mapNodes[2], mapNodes[1]))) {
        found = true;
        how = "(AttackPoint)";
    }
    if (!found) {
        const int32_t at = IndexOf(globalWayPoints, refNode);
        if (!(at >= 0 && at + 1 < int32_t(globalWayPoints.size()))) {
            rx = std::abs(refCellX - startCellX) < std::abs(endCellX - startCellX) ? refCellX : endCellX;
            rz = std::abs(refCellZ - startCellZ) < std::abs(endCellZ - startCellZ) ? refCellZ : endCellZ;
        }
    }
    NavLog("PATHFINDER::FindClosestG(): searching for Gs at %d/%d %s", rx, rz, how);
    float best = 100000.0f;
    int32_t bx = -1, bz = -1;
    for (int32_t z = 0; z < mapHeight; ++z)
        for (int32_t x = 0; x < mapWidth; ++x) {
            const uint8_t c = *LocalCell(x, z);
            if (c != 'G' && c != 'D')
                continue;
            bool freeNext = false;
            // Cells past the grid count as not free.
            for (int32_t dz = -1; dz <= 1 && !freeNext; ++dz)
                for (int32_t dx = -1; dx <= 1 && !freeNext; ++dx)
                    freeNext = (dx || dz) && IsFree(*this, x + dx, z + dz);
            if (!freeNext)
                continue;
            const float ddx = float(x - rx), ddz = float(z - rz);
            const float d = std::sqrt(ddx * ddx + ddz * ddz);
            if (d < best) {
                best = d;
                bx = x;
                bz = z;
            }
        }
    if (bx < 0)
        return false;
    endCellX = bx;
    endCellZ = bz;
    if (*LocalCell(bx, bz) == 'G')
        *LocalCell(bx, bz) = ' ';
    return true;
}

bool PATHFINDER::SetEnd(const CVector& position)
{
    endCellX = firstEndX = ToCellX(position.x);
    endCellZ = firstEndZ = ToCellZ(position.z);
    if (!(!final && FindClosestG())) {
        const uint8_t* c = LocalCell(endCellX, endCellZ);
        if (c && *c != 'G') {
            if (!FindFreeCellNear(&endCellX, &endCellZ, startCellX, startCellZ)) {
                NavLog("PATHFINDER::SetEnd(): could not find valid end-position (no Spaces found)");
                DumpLocalMap();
                return false;
            }
        } else {
            const int32_t n = std::max(std::abs(endCellX - startCellX), std::abs(endCellZ - startCellZ));
            if (n == 0) {
                NavLog("PATHFINDER::SetEnd(): could not find valid end-position");
                return false;
            }
            float px = float(endCellX) + 0.5f, pz = float(endCellZ) + 0.5f;
            const float sx = float(startCellX - endCellX) / float(n),
                        sz = float(startCellZ - endCellZ) / float(n);
            int32_t prevX = endCellX, prevZ = endCellZ;
            bool done = false;
            for (int32_t i = 0; i < n && !done; ++i) {
                px += sx;
                pz += sz;
                const int32_t cx = int32_t(std::floor(px)), cz = int32_t(std::floor(pz));
                if (IsFree(*this, cx, cz)) {
                    int32_t gs = 0, frees = 0;
                    for (int32_t dz = -1; dz <= 1; ++dz)
                        for (int32_t dx = -1; dx <= 1; ++dx) {
                            if (!dx && !dz)
                                continue;
                            const uint8_t* nb = LocalCell(prevX + dx, prevZ + dz);
                            gs += nb && *nb == 'G';
                            frees += nb && *nb == ' ';
                        }
                    if ((gs >= 2 || frees >= 1) && LocalCell(prevX, prevZ)) {
                        endCellX = prevX;
                        endCellZ = prevZ;
                        *LocalCell(prevX, prevZ) = ' ';
                        done = true;
                    }
                }
                prevX = cx;
                prevZ = cz;
            }
            if (!done) {
                NavLog("PATHFINDER::SetEnd(): could not find valid end-position");
                return false;
            }
        }
    }
    if (!FindFreeCellNear(&startCellX, &startCellZ, endCellX, endCellZ)) {
        NavLog("PATHFINDER::SetEnd(): could not find valid start-position");
        DumpLocalMap();
        return false;
    }
    return true;
}

void PATHFINDER::BeginWayPoints()
{
    localIndex = 0;
    walkStartTime = segmentStart = float(GameClock.gameClock) * 0.001f;
    const CVector d = localWayPoints[1] - localWayPoints[0];
    segmentLength = std::sqrt(d.x * d.x + d.z * d.z);
    segmentDirection =
        segmentLength > 0.0f ? CVector(d.x / segmentLength, 0, d.z / segmentLength) : CVector(0, 0, 0);
    doorWaitTime = 0;
    walking = 1;
    traceDepth = 3;
    arrived = 0;
    RecordPath();
}

bool PATHFINDER::CreateLocalWayPoints(int32_t goal)
{
    localWayPoints.clear();
    localWayPoints.push_back(CVector(preciseStart.x, 0, preciseStart.z));
    auto cellPoint = [&](int32_t x, int32_t z) {
        return CVector(float(x + mapMinX) / kCellsPerUnit, 0, float(z + mapMinZ) / kCellsPerUnit);
    };
    if (ToCellX(preciseStart.x) != startCellX || ToCellZ(preciseStart.z) != startCellZ) {
        NavLog("PATHFINDER::CreateLocalWayPoints(): adding additional waypoint");
        localWayPoints.push_back(cellPoint(startCellX, startCellZ));
    }
    std::vector<int32_t> path; // goal first
    for (int32_t i = goal; i > 0; i = g_SearchPool.records[i].parent)
        path.push_back(i);
    int32_t ax = startCellX, az = startCellZ;
    bool reachedEnd = false;
    while (!reachedEnd) {
        bool added = false;
        for (int32_t i : path) {
            const SearchRecord& r = g_SearchPool.records[i];
            if (r.cellX == ax && r.cellZ == az)
                break;
            if (!IsLineFree(ax, az, r.cellX, r.cellZ))
                continue;
            localWayPoints.push_back(cellPoint(r.cellX, r.cellZ));
            ax = r.cellX;
            az = r.cellZ;
            added = true;
            reachedEnd = i == goal;
            break;
        }
        if (added)
            continue;
        if (localWayPoints.size() > 1)
            break;
        if (ax == startCellX || az == startCellZ)
            break;
        ax = startCellX;
        az = startCellZ;
        localWayPoints.push_back(cellPoint(ax, az));
    }
    if (Logging()) {
        for (int32_t i : path)
            if (uint8_t* c = LocalCell(g_SearchPool.records[i].cellX, g_SearchPool.records[i].cellZ))
                *c = 'x';
        DumpLocalMap();
        for (const CVector& w : localWayPoints)
            LogPrintf("%.2f / %.2f", w.x * kCellsPerUnit - float(mapMinX),
                      w.z * kCellsPerUnit - float(mapMinZ));
        if (final)
            LogPrintf("FINAL");
        LogPrintf("%s", "");
    }
    if (localWayPoints.size() < 2)
        return false;
    BeginWayPoints();
    return true;
}

void PATHFINDER::DumpLocalMap()
{
    if (!Logging() || !mapCells)
        return;
    if (uint8_t* s = LocalCell(startCellX, startCellZ))
        *s = 'S';
    if (uint8_t* e = LocalCell(endCellX, endCellZ))
        *e = 'E';
    for (int32_t z = 0; z < mapHeight; ++z)
        LogPrintf("%s",
                  std::string(reinterpret_cast<const char*>(LocalCell(0, z)), size_t(mapWidth)).c_str());
}

bool PATHFINDER::RandomPointInWayPointMap(int32_t index, CVector* point)
{
    const int32_t keptDepth = traceDepth;
    traceDepth = 2;
    struct Restore
    {
        int32_t& depth;
        int32_t kept;
        ~Restore() { depth = kept; }
    } restore{traceDepth, keptDepth};
    if (index < 0 || index >= int32_t(globalWayPoints.size()) || !globalWayPoints[size_t(index)])
        return false;
    CWorldObject* node = globalWayPoints[size_t(index)];
    const bool built = SetLocalMap(node);
    if (!built)
        return false;
    const float fx = float(crt::rand()) / 32767.0f * float(mapWidth);
    const float fz = float(crt::rand()) / 32767.0f * float(mapHeight);
    // rand() = 32767 gives the width itself: the drawn cell stays inside the map.
    const int32_t cx = std::min(int32_t(fx), mapWidth - 1), cz = std::min(int32_t(fz), mapHeight - 1);
    const size_t total = size_t(mapWidth) * size_t(mapHeight),
                 at = size_t(cz) * size_t(mapWidth) + size_t(cx);
    bool freeFound = false;
    for (size_t i = at; i < total && !freeFound; ++i)
        freeFound = mapCells[i] == ' ';
    for (size_t i = at; i-- > 0 && !freeFound;)
        freeFound = mapCells[i] == ' ';
    if (!freeFound)
        return false;
    CVector p((fx + float(mapMinX)) / kCellsPerUnit, node->position.y, (fz + float(mapMinZ)) / kCellsPerUnit);
    if (!(node->boundsAMin.x > node->boundsAMax.x)) {
        p.x = std::clamp(p.x, node->boundsAMin.x, node->boundsAMax.x);
        p.z = std::clamp(p.z, node->boundsAMin.z, node->boundsAMax.z);
        if (node->boundsAMax.y - node->boundsAMin.y >= 0.2f) {
            CVector hit;
            if (!IntersectSegmentWithObjectShape(node, CVector(p.x, p.y + 1.5f, p.z), CVector(0, -1000.0f, 0),
                                                 &hit)) {
                *point = node->position;
                return false;
            }
            p.y = hit.y;
        }
    }
    *point = p;
    return true;
}
