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

    // The shared search pool: made at start-up, freed at exit.
    static bool CreateSearchPool();
    static void FreeSearchPool();
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
    // The names the behaviour's landing test uses for the two node setters.
    void SetUserValue(CWorldObject* node) { SetStartNodeOnly(node); }
    void SetUserList(CWorldObject* node) { SetEndNodeOnly(node); }
    bool RandomPointInWayPointMap(int32_t index, CVector* point);
    bool IsFreeCell(const CVector& position) const;
    bool IsFreeAt(const CVector& position) const { return IsFreeCell(position); }

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
    // The global search for a car over the street pieces, leaving its start
    // piece in the direction it faces.
    bool FindCarPath();
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
    // The ground under a point (a probe from 0.15 above, straight down) with
    // the height the ground object's own test gives.
    static bool ProbeGround(const CVector& point, CVector* hit, CWorldObject** node);
    // Recording of path, stop and placement events while a plan is recorded.
    void RecordPath();
    void RecordStop();
    void RecordPlacement(const CVector& to, const CVector& from);
    // Turns the owner about the vertical axis, recording the change.
    void SetHeading(float angle);
    // Walking ends: on a tick "STAND" and false, else true to decide again.
    bool EndWalk(bool tick);
    // A door being waited at has opened (or is found open at the goal).
    bool PassOpenedDoor(bool tick);
    // The character asks its gang to open the door.
    void RequestDoor();
    // Plans the next stretch from a position on the way.
    bool PlanNextStretch(const CVector& from);

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

    // Index of the last path event in the recording list (-1 none).
    int32_t recordedPathEvent = -1;
    // Real-time phase: scan the ground node's parents before the local-map nodes.
    uint8_t scanParentsFirst = 0;

    // Statistics for the benchmark: records handed out by the last search.
    int32_t lastRecordCount = 0;
    int32_t lastGoal = 0;      // the goal record of the last local search that arrived
    int32_t lastScanCount = 0; // ground scans of the last step walked
};

// The placed cars (object kind 9).
extern std::vector<CWorldObject*> CarList;

// A door request that the path finder sends: kind 0, the character, the door.
struct SDoorRequest
{
    int32_t kind = 0;
    CWorldObject* character = nullptr;
    CWorldObject* door = nullptr;
};
// Door requests not yet taken by the object behaviour.
extern std::vector<SDoorRequest> DoorRequests;
// Shows a speech bubble over a character; the behaviour fills it (null: nothing shown).
extern void (*ShowTextBubbleHook)(CWorldObject* character, const char* text);

// Set to skip the lock test of doors.
extern uint8_t SkipLockTest;
// Set while every door counts as passable (an application mode other than the game).
extern uint8_t AllDoorsPassable;
