// Navigation's share of start-up, shut-down and game initialisation.
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/navigation/StreetPieces.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"

void StartNavigation()
{
    BuildStreetPieceLanes();
    PATHFINDER::CreateSearchPool();
}

void StopNavigation(CWorldObject* worldRoot)
{
    PATHFINDER::FreeSearchPool();
    CWorldObject::RepairConnections(worldRoot);
}

void PrepareGroundNodes(CWorldObject* worldRoot)
{
    if (!worldRoot)
        return;
    LogPrintf("Deleting ground-maps...");
    worldRoot->FreeGroundMaps();
    LogPrintf("Checking for invalid connections...");
    CWorldObject::RepairConnections(worldRoot);
    LogPrintf("Calculating bounding boxes...");
    UpdateDoorBounds(worldRoot);
}

void BuildFloorTable()
{
    LogPrintf("Calculating anti-ground connections...");
    CWorldObject::CalculateAntiGroundConnections();
}

void UpdateDoorBounds(CWorldObject* first)
{
    CWorldObject::CalculateBoundingBoxes(first);
}
