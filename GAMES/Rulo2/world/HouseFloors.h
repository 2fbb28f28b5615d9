#pragma once
// Houses, floors, stairs and insides are plain world-tree nodes whose names carry
// fixed prefixes. Here: the naming rules, the location lookup, and the per-frame
// visibility collection with the house cut-away that fills the visible-object list.
#include <cstdint>
#include <vector>

#include "platform/d3d/D3DTypes.h"

class CNode;
class CRootNode;
class CWorldObject;

// Visibility state of a world object for this frame.
enum : int32_t
{
    VIS_HIDDEN = 0,  // not drawn this frame
    VIS_INSIDE = 1,  // sphere wholly inside the view volume
    VIS_CLIPPED = 2, // sphere crosses the view volume's boundary
};

// Per-node frame data that the world object does not carry itself: the
// visibility state and this frame's animation time (-10000 when not animated).
struct SFrameData
{
    int32_t visibility = VIS_HIDDEN;
    float animTime = -10000.0f;
};
SFrameData& FrameData(const CWorldObject* node);
int32_t GetVisibility(const CWorldObject* node);
void SetVisibility(const CWorldObject* node, int32_t state);
// Forgets the frame data of every node (a new world was loaded).
void ClearFrameData();

// One entry of the visible-object list.
struct SVisibleEntry
{
    CWorldObject* node = nullptr;
    CRootNode* model = nullptr; // null for groups, lights and kind-4 nodes
    float distance = 0.0f;
    int32_t word = 0;
    uint32_t spare = 0;
};
extern std::vector<SVisibleEntry> VisibleObjects;
extern int32_t VisibleGroupCount;  // groups taken by the collection this frame
extern int32_t VisibleObjectCount; // objects taken by the collection this frame

// House state, written by the game step from the character in view.
extern CWorldObject* CurrentHouse;
extern int32_t CurrentFloor;
extern uint32_t FloorMask;
extern uint8_t HideStairs;
extern std::vector<CWorldObject*> VisibleInteriors;

// Name rules; a node without a name never matches. Case-insensitive prefixes.
bool NameStartsWith(const char* name, const char* prefix);
bool IsHouseName(const char* name);  // "Haus"
bool IsFloorName(const char* name);  // "Stockwerk"
bool IsInsideName(const char* name); // "innen"
bool IsStairsName(const char* name); // "Treppe"
// The floor number: the character at index 10 minus '0'. A name too short to
// hold that character gives 0 (nothing past the end is read).
int32_t FloorNumberOf(const char* name);
// The floors named by the digits from index 13 on, as a bit set.
uint32_t ExtraFloorMask(const char* name);
// The stairs test reads the name of the node's model entry or object definition.
bool IsStairs(const CWorldObject* node);

// Walks from the node's parent to the root; the outermost match wins.
void GetLocation(const CWorldObject* node, CWorldObject** house, CWorldObject** floor, int32_t* floorNumber,
                 uint8_t* inside);
void GetHouseAndFloor(const CWorldObject* node, CWorldObject** house, CWorldObject** floor,
                      int32_t* floorNumber);

// The model to draw for a kind-1 or kind-2 node (game: the logic's current state).
CRootNode* DrawModelOf(const CWorldObject* node, bool game);

// The device's sphere test; the render engine installs it (InstallRender). Without it (or when
// it fails) a batch counts as not visible.
using SphereVisibilityFn = HRESULT (*)(const D3DVECTOR* centres, const float* radii, uint32_t count,
                                       uint32_t* results);
extern SphereVisibilityFn g_SphereVisibility;

// Collection modes: 0 no house rules, 1 everything below is drawn, 2 outside
// looking for houses, 3 inside the current house, 4 exterior only, 5 current
// floor with the stairs left out.
constexpr int kSphereBatchSize = 256;
void CollectVisible(CWorldObject* first, int32_t mode, bool game);

// The game frame's preparation: every node of the last list back to 0, the list
// and its counters emptied.
void ResetVisibleObjects();

// Sets the house state from the location of the character in view: its house,
// its floor, and the mask of its floor and the floors its floor name lists. On
// stairs (`ground` a "Treppe" model at least 0.01 below the character) the
// stairs are hidden and the floor above counts.
void UpdateHouseState(const CWorldObject* character, const CWorldObject* ground = nullptr);
