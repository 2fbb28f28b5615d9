// The behaviour data readers over arbitrary bytes: the first byte picks the
// object kind, the rest is a chunk sequence. "TALI" lists are read, their
// references resolved against a small world and gang table, described and
// written again; "OPTS" and "COND" bodies are read with the kind's classes
// (the version word of each body picks the old layouts).
#include <cstddef>
#include <cstdint>

#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

namespace {

void SetUpWorld()
{
    CreateWorldRoots();
    ObjectLogicTable.assign(4, nullptr);
    for (int32_t i = 1; i < 4; ++i) {
        auto* node = new CWorldObject("object");
        node->objectKind = CWorldObject::KIND_OBJECT;
        node->objectLogic = new CObjectLogic;
        node->objectLogic->recorderId = i;
        g_WorldRoot->AddChild(node);
        ObjectLogicTable[size_t(i)] = node;
    }
    g_ObjectTable.assign(3, nullptr);
    for (uint32_t i = 1; i < 3; ++i) {
        auto* item = new CObjectNode("item");
        item->index = i;
        g_ObjectTable[i] = item;
    }
    PlanMemberArray.add(2);
    PlanMemberArray[1].bag[3].item = g_ObjectTable[1];
}

void Describe(const CTaskList& list)
{
    for (const auto& t : list.tasks)
        for (const auto& p : t->parameters)
            p->Print(nullptr);
    for (const auto& d : list.dependencies) {
        d->Describe();
        Describe(*d->childList);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = (SetUpWorld(), true);
    (void)ready;
    if (size < 1)
        return 0;
    const int32_t kind = data[0] % kObjectKinds;
    CChunkReader all(data + 1, size - 1);
    CObjectLogic owner;
    for (;;) {
        SChunkHeader header;
        CChunkReader body;
        if (all.NextChunk(header, body) != CHUNK_OK)
            break;
        if (header.id == ChunkId("TALI")) {
            CTaskList list;
            if (list.Read(body)) {
                CTaskList copy;
                copy.Copy(list);
                CChunkWriter before;
                list.Write(before);
                list.ResolveReferences();
                Describe(list);
                uint32_t code = 0;
                if (!list.dependencies.empty())
                    list.FindPathCode(code, list.dependencies.back()->childList.get());
                CChunkWriter after;
                list.Write(after);
            }
        } else if (header.id == ChunkId("OPTS")) {
            auto options = CKindData::Create(kind);
            if (ReadOptsChunk(*options, body, &owner)) {
                CChunkWriter w;
                WriteOptsChunk(*options, w);
            }
        } else if (header.id == ChunkId("COND")) {
            auto conditions = CKindState::Create(kind);
            if (ReadCondChunk(*conditions, body)) {
                CChunkWriter w;
                WriteCondChunk(*conditions, w);
            }
        }
    }
    return 0;
}
