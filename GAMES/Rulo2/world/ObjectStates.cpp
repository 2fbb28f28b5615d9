#include "GAMES/Rulo2/world/ObjectStates.h"

#include <algorithm>

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

// The type number is the kind of the effective kind data (4 to 6 are characters).
static uint32_t TypeNumber(const CObjectLogic* logic)
{
    const int32_t kind = logic->Kind();
    return kind < 0 ? 0xFFFFFFFFu : uint32_t(kind);
}

static bool WriteState(CWorldObject* node, CChunkWriter& w)
{
    const CObjectLogic* logic = node->objectLogic;
    bool ok = w.BeginChunk(ChunkId("OBJ "), kObjectStateVersion);
    ok = ok && w.WriteU32(logic->objectId) && w.WriteU32(TypeNumber(logic));
    ok = ok && w.WriteF32(node->position.x) && w.WriteF32(node->position.y) && w.WriteF32(node->position.z);
    ok = ok && w.WriteF32(node->angle) && w.WriteU32(node->flags & 14u) && w.WriteBool(logic->active != 0);
    ok = ok && w.WriteU32(logic->runtimeWord) && logic->Save(w);
    if (ok && logic->conditions)
        ok = WriteCondChunk(*logic->conditions, w);
    return ok && w.EndChunk();
}

bool WriteObjectStates(CWorldObject* first, CChunkWriter& w)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (n->objectLogic && n->objectLogic->objectId != 0 && !WriteState(n, w))
            return false;
        if (n->firstChild && !WriteObjectStates(n->FirstObject(), w))
            return false;
    }
    return true;
}

bool RestoreObjectState(CChunkReader& r)
{
    r.ReadU32();
    const uint32_t id = r.ReadU32();
    if (id == 0)
        return false;
    CWorldObject* node = FindObjectById(id);
    if (!node || !node->objectLogic)
        return false;
    CObjectLogic* logic = node->objectLogic;
    if (r.ReadU32() != TypeNumber(logic))
        return false;
    CVector position;
    position.x = r.ReadF32();
    position.y = r.ReadF32();
    position.z = r.ReadF32();
    const float angle = r.ReadF32();
    const uint32_t visibility = r.ReadU32();
    const bool active = r.ReadBool();
    const uint32_t runtimeWord = r.ReadU32();
    // A damaged record changes nothing.
    if (!r.Ok())
        return false;
    const bool character = logic->IsCharacter();
    logic->ReleaseRuntime();
    if (!character)
        logic->Deactivate();
    node->position = position;
    logic->Init(node);
    node->angle = angle;
    node->flags = uint8_t((node->flags & ~14u) | (visibility & 14u));
    if (character) {
        logic->active = 1;
    } else if (active) {
        logic->Activate();
    }
    logic->runtimeWord = runtimeWord;
    if (!logic->ReadRunState(r))
        return false;
    if (r.PeekId() == ChunkId("COND")) {
        SChunkHeader header;
        CChunkReader cond;
        if (r.NextChunk(header, cond, r.Remaining()) == CHUNK_OK && logic->conditions) {
            if (auto* state = dynamic_cast<CCharacterState*>(logic->conditions.get()))
                state->entries.clear();
            ReadCondChunk(*logic->conditions, cond);
        }
    }
    if (character) {
        if (PATHFINDER* path = logic->GetPathfinder()) {
            path->Init(node);
            path->speedFactor = 1.0f;
        }
        logic->PlayAnimation("STAND");
    }
    if (logic->currentItem) {
        logic->NextTask();
        if (ObjectPassHooks.stepWalk)
            ObjectPassHooks.stepWalk(node);
    }
    return true;
}
