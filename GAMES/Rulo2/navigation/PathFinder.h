#pragma once
// The path finder of one walking character, as far as the world model uses it,
// and the navigation lists the world passes fill.
#include <vector>

class CWorldObject;

class PATHFINDER
{
public:
    // The walking speed is multiplied by this; the carried load lowers it.
    float speedFactor = 1.0f;
};

// The placed cars (object kind 9).
extern std::vector<CWorldObject*> CarList;
