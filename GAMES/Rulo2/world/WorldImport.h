#pragma once
// Importing an updated world: the groups marked as updated in a world file
// read in update mode replace the groups of the same path, and their nodes are
// re-bound to the current model list and object definitions.
#include <vector>

class CModelEntry;
class CNode;
class CObjectNode;
class CWorldObject;
struct SWorldRoots;

// Walks the read tree (children before the next sibling), clears every
// groupFlag and lists each marked group's outermost marked ancestor once.
void CollectFlaggedGroups(CWorldObject* first, std::vector<CWorldObject*>& groups);
// Re-binds the chain and its descendants to the current model list and object
// list; nodes that cannot be re-bound are removed after asking or telling the user.
void ImportUpdatedWorld(CWorldObject* first, CModelEntry* modelListRoot, CObjectNode* objectList);
// The entry named `name` whose own path is `path`, searched among the children
// of `parent` (each followed by its own children).
CModelEntry* FindByNameAndPathBelow(CModelEntry* parent, const char* name, const char* path);
// Moves each collected group into the current world in place of the group of
// the same path (made when missing), re-binding its nodes first.
void MergeUpdatedGroups(const std::vector<CWorldObject*>& groups, CWorldObject* worldRoot,
                        CModelEntry* modelListRoot, CObjectNode* objectList);
// The import step of a world load in update mode (g_ImportUpdatedWorldHook):
// the marked groups of the read world merged into the current one.
void ImportUpdatedGroups(SWorldRoots& fresh);
