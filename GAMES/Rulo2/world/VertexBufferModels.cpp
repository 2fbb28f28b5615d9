#include "GAMES/Rulo2/world/VertexBufferModels.h"

#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

namespace {

// Pre-order over a node, its subtree and its following siblings, without
// recursion: world trees may be deep.
template <class Node, class F>
void WalkChain(Node* first, F&& f)
{
    std::vector<Node*> pending;
    if (first)
        pending.push_back(first);
    while (!pending.empty()) {
        Node* n = pending.back();
        pending.pop_back();
        f(n);
        if (n->GetNext())
            pending.push_back(static_cast<Node*>(n->GetNext()));
        if (n->GetFirstChild())
            pending.push_back(static_cast<Node*>(n->GetFirstChild()));
    }
}

} // namespace

int32_t CountWorldNodes(const CWorldObject* first)
{
    int32_t count = 0;
    WalkChain(const_cast<CWorldObject*>(first), [&](CWorldObject*) { ++count; });
    return count;
}

void CollectVertexBufferModels(std::vector<VertexBufferCandidate>& out)
{
    if (!g_WorldRoot || !g_ModelListRoot)
        return;
    // The counters start from 0 on every pass, so a second pass after another
    // load does not count the same instances twice.
    WalkChain(g_ModelListRoot->FirstEntry(), [](CModelEntry* e) { e->useCount = 0; });
    WorldWalk::CountModelUses(g_WorldRoot);
    WalkChain(g_ModelListRoot->FirstEntry(), [&](CModelEntry* e) {
        CRootNode* model = e->model;
        if (e->useCount == 0 || !model || model->vertexCount == 0 || model->animated)
            return;
        VertexBufferCandidate c;
        c.useCount = int32_t(e->useCount);
        c.vertexCount = int32_t(model->vertexCount);
        c.model = model;
        c.createVertexBuffer = [](void* m) { static_cast<CRootNode*>(m)->CreateVertexBuffer(); };
        out.push_back(c);
    });
}

void InstallVertexBufferModels()
{
    VertexBufferModels.worldNodeCount = [] { return CountWorldNodes(g_WorldRoot); };
    VertexBufferModels.collect = CollectVertexBufferModels;
}
