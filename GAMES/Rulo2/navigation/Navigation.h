#pragma once
// What the world model needs of navigation: area tests, node scale and the
// street network (StreetNet.h).
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/navigation/StreetNet.h"
#include "LIBS/System/CVector.h"

class CNode;
class CWorldObject;

// True when the first ancestor named "innen..." comes before one named "aussen...".
bool IsInside(const CNode* node);
// The scale factor of a node, or of its parent's model.
float GetNodeScale(const CNode* node);

// What ClassifyInsideOutside finds below a node: world objects inside houses and out in
// the open, and the inside groups the lightmap renderer forms from them, once with the
// insides of a house combined into one group and once with every inside node its own.
struct SInsideOutside
{
    int32_t insideNodes = 0;
    int32_t outsideNodes = 0;
    int32_t houseGroups = 0;  // houses ("haus...", "Bld_...") not below another house
    int32_t insideGroups = 0; // "innen" / "inside" nodes not below another one
};
// Names of houses (the first four letters, without case) and of inside nodes (the
// whole name, without case).
bool IsInsideGroupHouse(const char* name);
bool IsInsideGroupNode(const char* name);
// Clears the record and counts the subtree of `root` (the node itself included).
void ClassifyInsideOutside(CNode* root, SInsideOutside* record);

// What a world object is to the path finder.
enum NodeClass
{
    NODE_NONE,
    NODE_GROUND,   // a model with ground outlines, not "Anti Ground", not stairs
    NODE_STAIRS,   // the same, its model named "Treppe..."
    NODE_OBSTACLE, // ground outlines marked "Anti Ground"
    NODE_DOOR,     // an object of kind 7
};
NodeClass ClassifyNode(const CWorldObject* object);
// The nearest ancestor named "Stockwerk..."; null outside buildings.
CWorldObject* FloorNodeOf(const CWorldObject* object);
// Whether the character is in the gang table.
bool IsGangMember(const CWorldObject* character);
// Open and locked flags of a door or window; false for other objects.
bool DoorState(const CWorldObject* object, bool* open, bool* locked);
// The attack points of an object in the world (turned by its angle, moved to
// its position), optionally scaled by the object's scale first.
std::vector<CVector> AttackPointsOf(const CWorldObject* object, bool scaled);

// Start-up: the search pool. Editor shut-down: the pool freed and the
// connections repaired (before the world roots go).
void StartNavigation();
void StopNavigation(CWorldObject* worldRoot);
// The passes a new game runs, each after its log line: ground maps freed,
// connections repaired, boxes computed ("Deleting ground-maps...",
// "Checking for invalid connections...", "Calculating bounding boxes...").
void PrepareGroundNodes(CWorldObject* worldRoot);
// The obstacle and door lists of every ground node ("Calculating anti-ground connections...").
void BuildFloorTable();
// The shape and test boxes of the objects from the first on (doors from their open state).
void UpdateDoorBounds(CWorldObject* first);
