#pragma once
// Recursive walkers over the world tree for the editor's selection commands and
// the few that the game uses. Unless noted, a walker covers the node it is called
// on, its children (recursively), then its next sibling and so on (pre-order).
// Walkers with `onlySelected` handle every eligible node when it is false.
#include <cstdint>

#include "LIBS/System/CVector.h"

class CModelEntry;
class CObjectNode;
class CWorldObject;
struct SWorldLight;

namespace WorldWalk {

void SelectAll(CWorldObject* first);
void InvertSelection(CWorldObject* first);
void ClearSelection(CWorldObject* first);
bool HasSelection(const CWorldObject* first);
CWorldObject* FindSelected(CWorldObject* first);
void HideSelected(CWorldObject* first, bool onlySelected);
void UnhideAll(CWorldObject* first);
// Removes selected children and selected next siblings; the node itself stays.
void DeleteSelected(CWorldObject* first);

void StoreTransforms(CWorldObject* first);
void Move(CWorldObject* first, float dx, float dy, float dz, bool onlySelected);
void MoveSelectionTo(CWorldObject* first, const CVector& offset, bool onlySelected);
void RotateSelection(CWorldObject* first, float yaw, float pitch, const CVector& centre, bool onlySelected);
void RandomRotate(CWorldObject* first, bool onlySelected);
void SumPositions(CWorldObject* first, CVector& sum, int32_t& count, bool onlySelected);
int32_t CountNodes(const CWorldObject* first, bool onlySelected);

CWorldObject* FindByModel(CWorldObject* first, const CModelEntry* entry);
CWorldObject* FindUserOfObject(CWorldObject* first, const CObjectNode* definition);
// Adds 1 to the use counter of the model entry of every model instance.
void CountModelUses(CWorldObject* first);

// Copies of the handled nodes (kind other than 0) as last children of
// `targetParent`, without the tree shape; lights get lights of their own.
void DuplicateSelected(CWorldObject* first, CWorldObject* targetParent, bool deselect, bool onlySelected);
// Copies into another tree (clipboard, macros) under the same parent path, with
// name, pre-order index and connections that name their targets by index.
void CopyTree(CWorldObject* first, CWorldObject* destinationRoot, bool deselect, bool onlySelected);

// Moves every selected node (kind other than 0) without its children under
// `group`, or under a new "New Group" appended to the world root when none is
// given. Returns the group. `moved` (optional) hears of each move with the
// text the editor's tree shows for the node.
CWorldObject* GroupSelected(CWorldObject* worldRoot, CWorldObject* group,
                            void (*moved)(CWorldObject* node, const char* text) = nullptr);
// The tree text of a node: its model's name, its object's label, "Light", or
// its own name ("unnamed" without one).
const char* TreeText(const CWorldObject* node);

// Group spheres: a group keeps its centre in position, half its box diagonal in
// angle and half its largest edge in angle2 (the collection's radius).
void ComputeBounds(CWorldObject* first, CVector& min, CVector& max);

} // namespace WorldWalk
