#pragma once
// What the world model needs of navigation: area tests, node scale and the
// street network.
#include "LIBS/System/CVector.h"

class CNode;
class CWorldObject;

// True when the first ancestor named "innen..." comes before one named "aussen...".
bool IsInside(const CNode* node);
// The scale factor of a node, or of its parent's model.
float GetNodeScale(const CNode* node);

class CStreetNet
{
public:
    // Builds the street network from the "street_" nodes of the world.
    static void Build(CWorldObject* worldRoot);
};

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
