#pragma once
// The "TREE" section: one "NODE" chunk per world object in pre-order, each naming
// its parent by pre-order number. Macros store their contents the same way.
#include <string>
#include <unordered_map>
#include <vector>

#include "GAMES/Rulo2/world/ChunkFile.h"

class CNode;
class CWorldObject;
struct SShadowTexture;

constexpr uint32_t kNodeVersion = 15;

// Writes the nodes of the chain starting at `first` with their subtrees; with
// skipRoot the first node itself is left out (only its children are written).
bool WriteWorldNodes(CWorldObject* first, CChunkWriter& writer, bool skipRoot);
// Reads "NODE" chunks up to "END " into `root`; fills the global node table and
// the world bounding box, then resolves the connections.
bool ReadWorldNodes(CChunkReader& data, CWorldObject* root, std::string* error = nullptr);
// Reads "NODE" chunks up to "END " into `root` with the given table (its
// entries 0 and 1 are the root); connections are resolved against that table.
bool ReadNodeChunks(CChunkReader& data, CWorldObject* root, std::vector<CWorldObject*>& table,
                    bool extendBounds, std::string* error);
// The model list's nodes by number (the first in pre-order for each), made once
// for a run of node reads; the game looks numbers up in its model table instead.
class CModelNumbers
{
public:
    CModelNumbers();
    CNode* Find(uint32_t number) const;

private:
    std::unordered_map<uint32_t, CNode*> m_byNumber;
};

// Fills a new node from one "NODE" body; false when the body is damaged. Model
// numbers are looked up in `models` when given, else searched in the model list.
bool ParseWorldNode(CWorldObject* node, CChunkReader& body, bool extendBounds = true,
                    const CModelNumbers* models = nullptr);
bool WriteWorldNode(CWorldObject* node, CChunkWriter& writer);
// The texture surface of a shadow texture's stored pixels, on texture stage 1; none when
// the device cannot texture or the picture is empty. The world load and the lightmap
// renderer's hand-over both make it here, so a baked and a reloaded world draw the same.
void MakeShadowSurface(SShadowTexture& shadow);
