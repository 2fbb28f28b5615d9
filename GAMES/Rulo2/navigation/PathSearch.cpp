// The best-first searches of the path finder over the cells of the local map
// and over the ground-node graph, and the record pool they share.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/navigation/PathFinderLog.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"

SearchPool g_SearchPool;

const int32_t kNeighbourX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
const int32_t kNeighbourZ[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
const int32_t kStepCost[8] = {1000, 1414, 1000, 1414, 1000, 1414, 1000, 1414};

namespace {
constexpr int32_t kInitialPoolSize = 32;
enum : uint8_t
{
    IN_NONE = 0,
    IN_OPEN = 1,
    IN_CLOSED = 2
};

// The per-search look-up tables: record by cell (local search) and by node
// (global search). They replace the linear scans of the lists.
std::vector<int32_t> g_CellRecord;
std::unordered_map<const CWorldObject*, int32_t> g_NodeRecord;
} // namespace

bool PATHFINDER::CreateSearchPool()
{
    SearchPool& p = g_SearchPool;
    if (p.records)
        return true;
    p.capacity = kInitialPoolSize;
    p.records = static_cast<SearchRecord*>(std::calloc(size_t(p.capacity), sizeof(SearchRecord)));
    p.indexList = static_cast<int32_t*>(std::calloc(size_t(p.capacity), sizeof(int32_t)));
    p.where = static_cast<uint8_t*>(std::calloc(size_t(p.capacity), 1));
    p.nextFree = 1;
    p.openCount = p.closedCount = 0;
    return p.records && p.indexList && p.where;
}

void PATHFINDER::FreeSearchPool()
{
    SearchPool& p = g_SearchPool;
    std::free(p.records);
    std::free(p.indexList);
    std::free(p.where);
    p = SearchPool{};
    g_CellRecord.clear();
    g_CellRecord.shrink_to_fit();
    g_NodeRecord.clear();
}

static void ResetPool()
{
    PATHFINDER::CreateSearchPool();
    g_SearchPool.nextFree = 1;
    g_SearchPool.openCount = 0;
    g_SearchPool.closedCount = 0;
}

// Doubles the pool; the closed entries move to the top of the larger list.
static int32_t AllocateRecord()
{
    SearchPool& p = g_SearchPool;
    if (p.nextFree >= p.capacity) {
        const int32_t old = p.capacity;
        const int32_t grown = old * 2;
        auto* records =
            static_cast<SearchRecord*>(std::realloc(p.records, size_t(grown) * sizeof(SearchRecord)));
        auto* where = static_cast<uint8_t*>(std::realloc(p.where, size_t(grown)));
        auto* list = static_cast<int32_t*>(std::malloc(size_t(grown) * sizeof(int32_t)));
        if (!records || !where || !list)
            std::abort();
        std::memcpy(list, p.indexList, size_t(p.openCount) * sizeof(int32_t));
        for (int32_t k = 0; k < p.closedCount; ++k)
            list[grown - 1 - k] = p.indexList[old - 1 - k];
        std::free(p.indexList);
        p.records = records;
        p.where = where;
        p.indexList = list;
        p.capacity = grown;
    }
    const int32_t index = p.nextFree++;
    p.where[index] = IN_NONE;
    return index;
}

// Descending f; a new record goes after every entry of equal f.
static void InsertOpen(int32_t index)
{
    SearchPool& p = g_SearchPool;
    const int32_t f = p.records[index].f;
    int32_t at = 0;
    while (at < p.openCount && p.records[p.indexList[at]].f >= f)
        ++at;
    std::memmove(p.indexList + at + 1, p.indexList + at, size_t(p.openCount - at) * sizeof(int32_t));
    p.indexList[at] = index;
    ++p.openCount;
    p.where[index] = IN_OPEN;
}

static int32_t TakeLastOpen()
{
    SearchPool& p = g_SearchPool;
    const int32_t index = p.indexList[--p.openCount];
    p.where[index] = IN_NONE;
    return index;
}

static void AppendClosed(int32_t index)
{
    SearchPool& p = g_SearchPool;
    p.indexList[p.capacity - 1 - p.closedCount] = index;
    ++p.closedCount;
    p.where[index] = IN_CLOSED;
}

// A reopened record leaves the closed list; the entries after it move up.
static void RemoveClosed(int32_t index)
{
    SearchPool& p = g_SearchPool;
    int32_t k = 0;
    while (k < p.closedCount && p.indexList[p.capacity - 1 - k] != index)
        ++k;
    if (k == p.closedCount)
        return;
    for (; k + 1 < p.closedCount; ++k)
        p.indexList[p.capacity - 1 - k] = p.indexList[p.capacity - 2 - k];
    --p.closedCount;
    p.where[index] = IN_NONE;
}

// The rules for a neighbour reached with cost g from `parent`: update an open
// record in place, reopen a closed one, or make a new one.
template <typename Make>
static void Relax(int32_t known, int32_t g, int32_t parent, Make&& make)
{
    SearchPool& p = g_SearchPool;
    if (known > 0 && p.where[known] != IN_NONE) {
        SearchRecord& r = p.records[known];
        if (r.g <= g)
            return;
        r.g = g;
        r.f = g + r.h;
        r.parent = parent;
        if (p.where[known] == IN_CLOSED) {
            RemoveClosed(known);
            InsertOpen(known);
        }
        return;
    }
    InsertOpen(make());
}

int32_t PATHFINDER::NewCellRecord(int32_t x, int32_t z, int32_t g, int32_t parent)
{
    const int32_t index = AllocateRecord();
    SearchRecord& r = g_SearchPool.records[index];
    const float dx = float(x - endCellX), dz = float(z - endCellZ);
    r.node = nullptr;
    r.cellX = int16_t(x);
    r.cellZ = int16_t(z);
    r.parent = parent;
    r.g = g;
    r.h = int32_t(std::sqrt(dx * dx + dz * dz) * 1000.0f);
    r.f = g + r.h;
    return index;
}

int32_t PATHFINDER::NewNodeRecord(CWorldObject* node, int32_t g, int32_t parent)
{
    const int32_t index = AllocateRecord();
    SearchRecord& r = g_SearchPool.records[index];
    r.node = node;
    r.cellX = r.cellZ = 0;
    r.parent = parent;
    r.g = g;
    r.h = 0;
    if (node && endNode) {
        const CVector d = node->position - endNode->position;
        r.h = int32_t(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z) * 1000.0f);
    }
    r.f = g + r.h;
    return index;
}

bool PATHFINDER::IsLineFree(int32_t x0, int32_t z0, int32_t x1, int32_t z1) const
{
    const int32_t n = std::max(std::abs(x1 - x0), std::abs(z1 - z0));
    if (n == 0)
        return true;
    const float sx = float(x1 - x0) / float(n), sz = float(z1 - z0) / float(n);
    float x = float(x0) + 0.5f, z = float(z0) + 0.5f;
    for (int32_t i = 0; i < n; ++i) {
        x += sx;
        z += sz;
        const uint8_t* c = LocalCell(int32_t(x), int32_t(z));
        if (!c || *c != ' ')
            return false;
    }
    return true;
}

bool PATHFINDER::MakeGlobalWayPoints(int32_t goal)
{
    int32_t count = 0;
    for (int32_t i = goal; i > 0; i = g_SearchPool.records[i].parent)
        ++count;
    globalWayPoints.assign(size_t(count), nullptr);
    for (int32_t i = goal, k = count - 1; i > 0; i = g_SearchPool.records[i].parent, --k)
        globalWayPoints[size_t(k)] = g_SearchPool.records[i].node;
    globalIndex = 0;
    return true;
}

bool PATHFINDER::FindGlobalPath()
{
    ResetPool();
    g_NodeRecord.clear();
    const int32_t first = NewNodeRecord(startNode, 0, 0);
    g_NodeRecord[startNode] = first;
    InsertOpen(first);
    while (g_SearchPool.openCount > 0) {
        const int32_t current = TakeLastOpen();
        const SearchRecord cur = g_SearchPool.records[current];
        if (cur.node == endNode) {
            lastRecordCount = g_SearchPool.nextFree - 1;
            if (MakeGlobalWayPoints(current))
                return true;
            NavLog("PATHFINDER::FindGlobalPath(): failed to create global waypoints");
            return false;
        }
        if (cur.node)
            for (const SConnection& c : cur.node->connections) {
                if (!c.target)
                    continue;
                const int32_t g = cur.g + c.distance;
                auto it = g_NodeRecord.find(c.target);
                Relax(it == g_NodeRecord.end() ? 0 : it->second, g, current, [&] {
                    const int32_t made = NewNodeRecord(c.target, g, current);
                    g_NodeRecord[c.target] = made;
                    return made;
                });
            }
        AppendClosed(current);
        if (g_SearchPool.openCount > 100) {
            lastRecordCount = g_SearchPool.nextFree - 1;
            NavLog("PATHFINDER::FindGlobalPath(): failed (security exit)");
            return false;
        }
    }
    lastRecordCount = g_SearchPool.nextFree - 1;
    NavLog("PATHFINDER::FindGlobalPath(): failed");
    return false;
}

// A street piece that a car may drive onto over a connection.
static bool IsCarConnection(const SConnection& c)
{
    return c.target && c.flag == 0 && NameStartsWith(c.target->GetRefName(), "street_");
}

// The global search over the street pieces from the start node's connections
// as they stand.
static bool SearchCarPath(PATHFINDER& finder, bool* securityExit)
{
    ResetPool();
    g_NodeRecord.clear();
    const int32_t first = finder.NewNodeRecord(finder.startNode, 0, 0);
    g_NodeRecord[finder.startNode] = first;
    InsertOpen(first);
    while (g_SearchPool.openCount > 0) {
        const int32_t current = TakeLastOpen();
        const SearchRecord cur = g_SearchPool.records[current];
        if (cur.node == finder.endNode) {
            finder.lastRecordCount = g_SearchPool.nextFree - 1;
            return finder.MakeGlobalWayPoints(current);
        }
        if (cur.node)
            for (const SConnection& c : cur.node->connections) {
                if (!IsCarConnection(c))
                    continue;
                const int32_t g = cur.g + c.distance;
                auto it = g_NodeRecord.find(c.target);
                Relax(it == g_NodeRecord.end() ? 0 : it->second, g, current, [&] {
                    const int32_t made = finder.NewNodeRecord(c.target, g, current);
                    g_NodeRecord[c.target] = made;
                    return made;
                });
            }
        AppendClosed(current);
        if (g_SearchPool.openCount > 100) {
            finder.lastRecordCount = g_SearchPool.nextFree - 1;
            *securityExit = true;
            return false;
        }
    }
    finder.lastRecordCount = g_SearchPool.nextFree - 1;
    return false;
}

bool PATHFINDER::FindCarPath()
{
    CWorldObject* start = startNode;
    if (!start || !endNode)
        return false;
    // The car leaves its piece over the connection best aligned with its heading.
    constexpr float kPi = 3.14159265f;
    const float h = owner ? owner->angle : 0.0f;
    int32_t best = -1;
    float bestMiss = 1000.0f;
    for (size_t i = 0; i < start->connections.size(); ++i) {
        const SConnection& c = start->connections[i];
        if (!IsCarConnection(c))
            continue;
        const float dx = c.target->position.x - start->position.x;
        const float dz = c.target->position.z - start->position.z;
        const float length = std::sqrt(dx * dx + dz * dz);
        if (length <= 0.00001f)
            continue;
        const float a = std::atan2(dx / length, dz / length) + kPi / 2;
        const float miss =
            std::min({std::fabs(a - h), std::fabs(a + 2 * kPi - h), std::fabs(a - (h + 2 * kPi))});
        if (miss < bestMiss) {
            bestMiss = miss;
            best = int32_t(i);
        }
    }
    if (best < 0)
        return false;
    // The node's own list comes back on every way out.
    std::vector<SConnection> own = std::move(start->connections);
    start->connections = {own[size_t(best)]};
    struct Restore
    {
        CWorldObject* node;
        std::vector<SConnection>& own;
        ~Restore() { node->connections = std::move(own); }
    } restore{start, own};
    bool securityExit = false;
    if (SearchCarPath(*this, &securityExit))
        return true;
    if (securityExit) {
        NavLog("PATHFINDER::FindCarPath(): failed (security exit)");
        return false;
    }
    start->connections = own;
    if (SearchCarPath(*this, &securityExit))
        return true;
    if (securityExit)
        NavLog("PATHFINDER::FindCarPath(): failed (security exit)");
    else
        NavLog("PATHFINDER::FindCarPath(): failed");
    return false;
}

namespace {
struct SDoorFound
{
    CWorldObject* door;
    int32_t x, z;
    bool passable;
};
} // namespace

bool PATHFINDER::FindLocalPath()
{
    for (;;) {
        NavLog("PATHFINDER::FindLocalPath(): attempt to find local path for: start = %d/%d(%d/%d) end = "
               "%d/%d(%d/%d)",
               startCellX, startCellZ, firstStartX, firstStartZ, endCellX, endCellZ, firstEndX, firstEndZ);
        if (startCellX == endCellX && startCellZ == endCellZ) {
            if (final) {
                NavLog("PATHFINDER::FindLocalPath(): setting last waypoints directly");
                localWayPoints.clear();
                localWayPoints.push_back(CVector(preciseStart.x, 0, preciseStart.z));
                localWayPoints.push_back(CVector(float(endCellX + mapMinX) / kCellsPerUnit, 0,
                                                 float(endCellZ + mapMinZ) / kCellsPerUnit));
                BeginWayPoints();
                return true;
            }
            if (traceDepth > 3 || (endCellX == firstEndX && endCellZ == firstEndZ)) {
                NavLog(
                    "PATHFINDER::FindLocalPath(): failed because start and end is the same position anyway");
                return false;
            }
            ++traceDepth;
            NavLog("PATHFINDER::FindLocalPath(): trying to find local-path with a trace-depth of %d",
                   traceDepth);
            if (!RebuildStretch())
                return false;
            continue;
        }

        ResetPool();
        g_CellRecord.assign(size_t(mapWidth) * size_t(mapHeight), 0);
        auto key = [&](int32_t x, int32_t z) { return size_t(z) * size_t(mapWidth) + size_t(x); };
        std::vector<std::pair<int32_t, int32_t>> doorCells;
        doorCells.reserve(8);
        const int32_t first = NewCellRecord(startCellX, startCellZ, 0, 0);
        g_CellRecord[key(startCellX, startCellZ)] = first;
        InsertOpen(first);
        int32_t goal = 0;
        while (g_SearchPool.openCount > 0) {
            const int32_t current = TakeLastOpen();
            const SearchRecord cur = g_SearchPool.records[current];
            if (cur.cellX == endCellX && cur.cellZ == endCellZ) {
                goal = current;
                break;
            }
            for (int32_t d = 0; d < 8; ++d) {
                const int32_t x = cur.cellX + kNeighbourX[d], z = cur.cellZ + kNeighbourZ[d];
                // The outer ring is never free, but a neighbour of a start cell on it is outside.
                const uint8_t* cell = LocalCell(x, z);
                if (!cell)
                    continue;
                if (*cell == ' ') {
                    const int32_t g = cur.g + kStepCost[d];
                    Relax(g_CellRecord[key(x, z)], g, current, [&] {
                        const int32_t made = NewCellRecord(x, z, g, current);
                        g_CellRecord[key(x, z)] = made;
                        return made;
                    });
                } else if (*cell == 'D') {
                    doorCells.emplace_back(x, z);
                }
            }
            AppendClosed(current);
        }
        lastRecordCount = g_SearchPool.nextFree - 1;
        lastGoal = goal;
        if (goal) {
            if (!CreateLocalWayPoints(goal)) {
                NavLog("PATHFINDER::FindLocalPath(): failed to create local waypoints");
                return false;
            }
            return true;
        }
        if (doorCells.empty() || door) {
            NavLog("PATHFINDER::FindLocalPath(): failed");
            DumpLocalMap();
            return false;
        }
        // Closed-door retry: the door objects nearest to the door cells met.
        std::vector<SDoorFound> found;
        for (const auto& [cx, cz] : doorCells) {
            CWorldObject* best = nullptr;
            int32_t bestDistance = 10000;
            for (CWorldObject* d : closedDoors) {
                const int32_t distance =
                    std::abs(ToCellX(d->position.x) - cx) + std::abs(ToCellZ(d->position.z) - cz);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = d;
                }
            }
            if (!best)
                continue;
            bool listed = false;
            for (const SDoorFound& f : found)
                listed = listed || f.door == best;
            if (listed)
                continue;
            bool passable = false;
            if (mapNodeCount == 1)
                passable = best->AreAttackPointsOverGround(mapNodes[0]);
            for (int32_t i = 0; i + 1 < mapNodeCount && !passable; ++i)
                passable = best->AreAttackPointsOverGrounds(mapNodes[i], mapNodes[i + 1]);
            found.push_back({best, cx, cz, passable});
        }
        const SDoorFound* chosen = nullptr;
        for (int pass = 0; pass < 2 && !chosen; ++pass) {
            float best = 10000.0f;
            for (const SDoorFound& f : found) {
                if (f.passable != (pass == 0))
                    continue;
                const float dx = float(f.x - endCellX), dz = float(f.z - endCellZ);
                const float distance = std::sqrt(dx * dx + dz * dz);
                if (distance < best) {
                    best = distance;
                    chosen = &f;
                }
            }
        }
        if (!chosen) {
            NavLog("PATHFINDER::FindLocalPath(): failed");
            return false;
        }
        door = chosen->door;
        doorCellX = chosen->x;
        doorCellZ = chosen->z;
        NavLog("PATHFINDER::FindLocalPath(): retrying with closed door at %d/%d", doorCellX, doorCellZ);
        if (!RebuildStretch())
            return false;
    }
}
