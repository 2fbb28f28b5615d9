#pragma once
// What guards and sensors hear and see: the noise level at a listener, the
// line of sight between two characters across houses, floors, stairs, walls
// and doors, and the counts of a scene for the shadow-map renderer.
#include <cstdint>
#include <vector>

#include "LIBS/System/CBox.h"
#include "LIBS/System/CVector.h"

class CObjectLogic;
class CWorldObject;

// A noise that the tasks make; the listener's area number decides whether it
// counts fully.
struct SNoiseSource
{
    float x = 0, y = 0, z = 0;
    int32_t loudness = 0;
    int32_t area = 0;
};
extern std::vector<SNoiseSource> NoiseSources;

// What stood between observer and target in the last line-of-sight test.
struct SOccluder
{
    int32_t type = 0; // 0 model, 1 door or window
    CVector entry{0, 0, 0};
    CBox box;
    CWorldObject* object = nullptr;
    uint8_t blocking = 1;
    uint8_t open = 0;
};
extern std::vector<SOccluder> Occluders;

// The planning screen's sound display keeps the pair with the smallest margin
// (threshold - level); the screens fill it, null until then.
extern void (*KeepNarrowestWindow)(int32_t level, int32_t threshold);

// Summed noise level at a position; the index of the loudest source goes to
// `loudest` when given.
int32_t GetNoiseLevelAt(const CVector& position, int32_t area, int32_t threshold, int32_t* loudest);
// Whether the observer sees the target; heading and half view angle in radians.
bool TestLineOfSight(CWorldObject* observer, CWorldObject* target, float heading, float halfViewAngle,
                     bool sameHouse);

struct SSceneStatistics
{
    uint32_t modelVertices = 0;
    uint32_t modelTriangles = 0;
    uint32_t unused[2] = {};
    uint32_t nodesWithModelNodes = 0;
    uint32_t nodes = 0;
    uint32_t models = 0;
    uint32_t modelLocators = 0;
    uint32_t lights = 0;
    uint32_t interiors = 0;
    uint32_t buildingInteriors = 0;
    uint32_t exteriors = 0;
    float largestLightRange = 0.0f;
};
// Counts the tree from `root` (its siblings too); light ranges above 5.0 are cut to 5.0.
void CollectSceneStatistics(CWorldObject* root, SSceneStatistics* out);

// 100 x the type's ratio (weight, capacity, speed) of an object's logic, read
// from its definition's logic when it has one; 0 without a type.
float GetTypeRatioPercent(const CObjectLogic* logic);
// (x cos a + y sin a, y cos a - x sin a).
void Rotate2D(float out[2], const float v[2], float angle);
