#pragma once
// Snap points (the locator points of the model a world node shows, cached in
// world space) and the snapper shift that moves a model's "snapperShape"
// locator onto its origin.
#include <cstdint>

#include "LIBS/System/CVector.h"

class CModelEntry;
class CRootNode;
class CWorldObject;

// The model whose locators a node offers: a model instance's model; an
// object's "OPEN" state model, else its first state's, else the empty model.
// Null for other kinds and for nodes without a reference.
CRootNode* SnapModelOf(const CWorldObject* node);

// Refreshes one node's cache.
void UpdateSnapPoints(CWorldObject* node);
// The walkers cover the node, its subtree and its following siblings.
void UpdateSnapPointsTree(CWorldObject* first, bool onlySelected);
void UpdateSnapPointsOfModel(CWorldObject* first, const CRootNode* model);
// Adds the cached snapper counts (no refresh); all = false: selected nodes only.
void CountSnapPoints(CWorldObject* first, int32_t& counter, bool all);
// Refreshes and copies each node's snapper points to out[index++].
void CollectSnapPoints(CWorldObject* first, CVector* out, int32_t& index, bool all);

// Moves the model so that its "snapperShape" locator lands on the origin; a
// model without one is left as it is. True when it was shifted.
bool ApplySnapperShift(CRootNode* root);
// The editor's classification of a model entry: entries in a "Char..." or
// "Terrain..." folder get the snapper shift (only while the editor runs).
void ClassifyModelEntry(CModelEntry* entry);

// Game start-up of characters and cars over the world tree.
void PrepareCharacters(CWorldObject* first);
