// The object logic's readers over arbitrary bytes: an "INFO" body (kind data,
// conditions and task list of a definition), then, when the rest of the input
// is a run state, the saved-game run state against the list just read. What
// was read is written again and the logic started and ticked once.
#include <cstddef>
#include <cstdint>

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

namespace {

CObjectNode* g_Definition = nullptr;
CWorldObject* g_Node = nullptr;

void SetUpWorld()
{
    CreateWorldRoots();
    g_Definition = new CObjectNode("thing");
    g_Definition->AddState("STAND");
    g_Node = new CWorldObject("thing");
    g_Node->objectKind = CWorldObject::KIND_OBJECT;
    g_Node->reference = g_Definition;
    g_WorldRoot->AddChild(g_Node);
    ObjectLogicTable.assign(2, nullptr);
    ObjectLogicTable[1] = g_Node;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = (SetUpWorld(), true);
    (void)ready;
    CChunkReader all(data, size);
    SChunkHeader header;
    CChunkReader info;
    if (all.NextChunk(header, info) != CHUNK_OK || header.id != ChunkId("INFO"))
        return 0;
    auto* logic = new CObjectLogic;
    logic->recorderId = 1;
    if (logic->ReadDefinition(info)) {
        CChunkWriter w;
        logic->SaveTaskLists(w);
        if (logic->ownTaskList)
            logic->ownTaskList->ResolveReferences();
    }
    delete g_Node->objectLogic;
    g_Node->objectLogic = logic;
    logic->Init(g_Node);
    if (logic->ReadRunState(all)) {
        CChunkWriter w;
        logic->Save(w);
    }
    logic->Tick();
    ActiveObjectList.clear();
    return 0;
}
