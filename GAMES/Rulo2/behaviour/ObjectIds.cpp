#include "GAMES/Rulo2/behaviour/ObjectIds.h"

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

CWorldObject* g_SpecialObject = nullptr;

namespace {
struct SFind
{
    uint32_t id;
    CWorldObject* found;
};
} // namespace

static int FindNode(CWorldObject* node, void* argument)
{
    auto& f = *static_cast<SFind*>(argument);
    if (node->objectLogic && node->objectLogic->objectId == f.id) {
        f.found = node;
        return NODE_WALK_STOP;
    }
    return NODE_WALK_CONTINUE;
}

CWorldObject* FindObjectById(uint32_t id)
{
    if (id == kSpecialObjectId)
        return g_SpecialObject;
    if (id == 0 || id > kMaxObjectId || !g_WorldRoot)
        return nullptr;
    SFind f{id, nullptr};
    g_WorldRoot->ForEach(FindNode, &f);
    return f.found;
}
