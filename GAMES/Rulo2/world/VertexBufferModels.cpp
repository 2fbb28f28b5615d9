#include "GAMES/Rulo2/world/VertexBufferModels.h"

#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

int32_t CountWorldNodes(const CWorldObject* first)
{
    int32_t count = 0;
    WalkWorldTree(const_cast<CWorldObject*>(first), [&](CWorldObject*) { ++count; });
    return count;
}

void CollectVertexBufferModels(std::vector<VertexBufferCandidate>& out)
{
    if (!g_WorldRoot || !g_ModelListRoot)
        return;
    // The counters start from 0 on every pass, so a second pass after another
    // load does not count the same instances twice.
    WalkModelList(g_ModelListRoot->FirstEntry(), [](CModelEntry* e) { e->useCount = 0; });
    WorldWalk::CountModelUses(g_WorldRoot);
    WalkModelList(g_ModelListRoot->FirstEntry(), [&](CModelEntry* e) {
        CRootNode* model = e->model;
        if (e->useCount == 0 || !model || model->vertexCount == 0 || model->animated)
            return;
        VertexBufferCandidate c;
        c.useCount = int32_t(e->useCount);
        c.vertexCount = int32_t(model->vertexCount);
        c.model = model;
        out.push_back(c);
    });
}
