#include "GAMES/Rulo2/behaviour/CObjectLogic.h"

#include <cstdio>
#include <cstring>

#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

bool CObjectLogic::LoadInfoChunk(const uint8_t* body, size_t size)
{
    if (!body && size)
        return false;
    info.assign(body, body + size);
    saveWithWorld = 1;
    return true;
}

bool CObjectLogic::SaveTaskLists(CChunkWriter& writer) const
{
    // The length is stored as it was read, so a kept chunk comes back byte for byte.
    return writer.WriteId(ChunkId("INFO")) && writer.WriteId(uint32_t(info.size())) &&
           writer.WriteBytes(info.data(), info.size());
}

void CObjectLogic::Init(CNode* node)
{
    owner = node;
}

PATHFINDER* CObjectLogic::GetPathfinder()
{
    if (!IsCharacter())
        return nullptr;
    if (!pathfinder)
        pathfinder = std::make_unique<PATHFINDER>();
    return pathfinder.get();
}

void CObjectLogic::CreateMissingParts(const char* definitionName)
{
    if (!kindName[0] && definitionName)
        std::snprintf(kindName, sizeof kindName, "%s", definitionName);
}

static int CountNode(CNode* node, void* argument)
{
    auto* object = static_cast<CWorldObject*>(node);
    if (object->objectKind == CWorldObject::KIND_OBJECT)
        ++*static_cast<int*>(argument);
    return NODE_WALK_CONTINUE;
}

int CountWorldObjects(CWorldObject* worldRoot)
{
    int count = 0;
    if (worldRoot)
        worldRoot->CNode::ForEach(CountNode, &count);
    return count;
}

void CObjectLogic::SetFlagBit(int32_t bit)
{
    if (bit >= 0 && bit < 32)
        flagWord |= 1u << bit;
}

void CObjectLogic::ClearFlagBit(int32_t bit)
{
    if (bit >= 0 && bit < 32)
        flagWord &= ~(1u << bit);
}

bool CObjectLogic::PlayAnimation(const char* name)
{
    auto* object = dynamic_cast<CWorldObject*>(owner);
    CObjectNode* definition = object ? object->Definition() : nullptr;
    CObjectState* state = definition && name ? definition->FindState(name) : nullptr;
    if (!state)
        return false;
    currentState = state;
    animationStart = GameTime;
    animationEnded = 0;
    return true;
}

bool CObjectLogic::IsPlayOnceRunning() const
{
    // flagA is the state's play-once byte.
    return currentState && currentState->flagA && !animationEnded;
}
