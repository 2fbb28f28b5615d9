#pragma once
// What the world model needs of navigation: area tests, node scale and the
// street network.
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
