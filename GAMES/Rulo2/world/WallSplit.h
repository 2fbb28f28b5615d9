#pragma once
// Inside and outside walls: every wall model ("wa...") with a mesh marked as
// inside is split into an outer half (the entry itself) and an inner twin
// ("wai..."), and every placed wall gets a twin in the matching inside group.
class CModelEntry;
class CRootNode;
class CWorldObject;

// Placement offsets of split models: how far their geometry moved.
struct SWallSplitInfo
{
    float offset[3] = {};
    bool done = false;
};
SWallSplitInfo& WallSplitInfo(const CRootNode* model);

void SplitWalls(CModelEntry* first);
void AddInnerWallInstances(CWorldObject* root, CModelEntry* source, CModelEntry* inner);
