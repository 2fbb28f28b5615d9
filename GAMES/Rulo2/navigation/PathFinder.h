#pragma once
// The path finder of one walking character: a chain of ground nodes over the
// path connections (global level), a cell path through the joined ground maps
// of the next few nodes (local level), and the straight way-points walked.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/navigation/GroundMap.h"
#include "LIBS/System/CVector.h"

class CWorldObject;

// One record of the shared search pool. Indexes are 32-bit so that a search
// over a large local map may use more than 16,384 records.
struct SearchRecord
{
    CWorldObject* node = nullptr;
    int16_t cellX = 0, cellZ = 0;
    int32_t parent = 0; // 0: none (record 0 is never handed out)
    int32_t g = 0, h = 0, f = 0;
};

// The record pool every search shares: the open list grows from the bottom of
// the index list, the closed list from its top. It doubles when full and keeps
// its largest size.
struct SearchPool
{
    int32_t capacity = 0;
    SearchRecord* records = nullptr;
    int32_t closedCount = 0;
    int32_t* indexList = nullptr;
    int32_t nextFree = 1;
    int32_t openCount = 0;
    // Where each record stands: 0 nowhere, 1 open, 2 closed. The look-ups of
    // the searches go through per-cell and per-node tables instead of the lists.
    uint8_t* where = nullptr;
};
extern SearchPool g_SearchPool;
bool CreateSearchPool();
void FreeSearchPool();

// Neighbour offsets and step costs (thousandths of a cell) for directions 0..7.
extern const int32_t kNeighbourX[8];
extern const int32_t kNeighbourZ[8];
extern const int32_t kStepCost[8];

class PATHFINDER
{
public:
    PATHFINDER();
    ~PATHFINDER();
    PATHFINDER(const PATHFINDER&) = delete;
    PATHFINDER& operator=(const PATHFINDER&) = delete;

    static bool InitPool() { return CreateSearchPool(); }
    static void FreePool() { FreeSearchPool(); }

    bool Init(CWorldObject* character);

    // Planning.
    bool SetPath(CWorldObject** nodes, int32_t count, bool startGiven, const CVector& start, bool endGiven,
                 const CVector& end);
    bool WalkTo(const CVector& position, CWorldObject* node);
    bool Step(CWorldObject* object);
    bool GoTo(const CVector& position, CWorldObject* node);
    bool Retarget();
    bool Replan();
    void SetStartNode(CWorldObject* node, const CVector& position);
    void SetEndNode(CWorldObject* node, const CVector& position);
    void SetStartNodeOnly(CWorldObject* node) { startNode = node; }
    void SetEndNodeOnly(CWorldObject* node) { endNode = node; }
    bool RandomPointInWayPointMap(int32_t index, CVector* point);
    bool IsFreeCell(const CVector& position) const;

    // Walking.
    void Stop();
    bool SettleAnimation();
    bool Update();
    bool Walk(CVector& position, float orientation, float speed);
    bool ScanGround(const CVector& origin, const CVector& direction, CVector* hit, CWorldObject** hitNode);
    void PlaceAt(const CVector& position);
    void SetRecordedPath(float startTime, const CVector* points, int32_t count);
    void FollowRecordedPath();

    // Searches.
    int32_t NewCellRecord(int32_t x, int32_t z, int32_t g, int32_t parent);
    int32_t NewNodeRecord(CWorldObject* node, int32_t g, int32_t parent);
    bool FindLocalPath();
    bool FindGlobalPath();
    bool MakeGlobalWayPoints(int32_t goal);
    bool IsLineFree(int32_t x0, int32_t z0, int32_t x1, int32_t z1) const;

    // Local map.
    bool SetLocalMap(CWorldObject* node);
    void MergeGroundMap(const uint8_t* cells, int32_t minX, int32_t minZ, int32_t maxX, int32_t maxZ,
                        int32_t mode);
    void MarkWallCells(bool strict);
    void CloseMapBorder();
    bool SetStart(const CVector& position);
    bool SetEnd(const CVector& position);
    bool FindClosestG();
    bool FindFreeCellNear(int32_t* cellX, int32_t* cellZ, int32_t towardX, int32_t towardZ) const;
    bool CreateLocalWayPoints(int32_t goal);
    void DumpLocalMap();

    uint8_t* LocalCell(int32_t x, int32_t z) const;
    int32_t ToCellX(float x) const { return RoundHalfAway(x * kCellsPerUnit - float(mapMinX)); }
    int32_t ToCellZ(float z) const { return RoundHalfAway(z * kCellsPerUnit - float(mapMinZ)); }
    bool Logging() const;
    // Way-points 0 and 1 start the walk: segment, clocks, flags, recording.
    void BeginWayPoints();
    // The local map, start and end of the current stretch made again.
    bool RebuildStretch();
    // Whether an object lies on one of the joined nodes of the local map.
    bool IsMapNode(const CWorldObject* node) const;

    // Last path handed to the recorder.
    float recordedStart = 0.0f;
    std::vector<CVector> recordedPoints;
    int32_t recordedCount = 0;

    CWorldObject* owner = nullptr;
    float speedFactor = 1.0f; // the carried load lowers it
    float walkStartTime = 0.0f;
    uint8_t walking = 0;
    uint8_t arrived = 0;
    uint8_t enabled = 1;
    CWorldObject* targetObject = nullptr;
    CWorldObject* door = nullptr;
    int32_t doorCellX = 0, doorCellZ = 0;
    int32_t doorWaitTime = 0;
    CVector startPosition{0, 0, 0}, endPosition{0, 0, 0}, targetPosition{0, 0, 0};
    CWorldObject* startNode = nullptr;
    CWorldObject* endNode = nullptr;
    CWorldObject* localMapNode = nullptr;
    CWorldObject* groundNode = nullptr;
    std::vector<CWorldObject*> globalWayPoints;
    int32_t globalIndex = 0;

    uint8_t* mapCells = nullptr;
    int32_t mapWidth = 0, mapHeight = 0, mapMinX = 0, mapMinZ = 0;
    int32_t startCellX = -1, startCellZ = -1, endCellX = -1, endCellZ = -1;
    int32_t refCellX = 0, refCellZ = 0;
    CWorldObject* refNode = nullptr;
    int32_t firstStartX = -1, firstStartZ = -1, firstEndX = -1, firstEndZ = -1;
    int32_t traceDepth = 3;
    int32_t mapNodeCount = 0;
    CWorldObject* mapNodes[10] = {};
    uint8_t final = 0;
    CVector preciseStart{0, 0, 0};
    std::vector<CVector> localWayPoints;
    int32_t localIndex = 0;
    float segmentStart = 0.0f;
    float segmentLength = 0.0f;
    CVector segmentDirection{0, 0, 0};
    std::vector<CWorldObject*> closedDoors, openDoors;
    CWorldObject* squareNode = nullptr;
    GroundMap mapView; // the local map's cells, not owned

    // Statistics for the benchmark: records handed out by the last search.
    int32_t lastRecordCount = 0;
    int32_t lastGoal = 0; // the goal record of the last local search that arrived
};

// The placed cars (object kind 9).
extern std::vector<CWorldObject*> CarList;

// Set to skip the lock test of doors.
extern uint8_t SkipLockTest;
// Set while every door counts as passable (an application mode other than the game).
extern uint8_t AllDoorsPassable;
