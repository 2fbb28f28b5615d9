// The saved-game and plan readers over arbitrary bytes, against a small world
// with two characters, an item definition and a car the gang owns. The first
// byte chooses the reader; whatever loads is written again. The file-level
// reader sees the same bytes: what it parses writes again, and that writing
// parses to the same bytes once more.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "tools/varek-tool/SaveFiles.h"

namespace {

CWorldObject* Person(const char* name, int32_t number)
{
    auto* node = new CWorldObject(name);
    node->objectKind = CWorldObject::KIND_OBJECT;
    node->objectLogic = new CObjectLogic;
    node->objectLogic->ownKindData = CKindData::Create(KIND_CHARACTER_A);
    node->objectLogic->recorderId = number;
    g_WorldRoot->AddChild(node);
    return node;
}

CObjectNode* Definition(const char* name, uint32_t number, int32_t kind)
{
    auto* def = new CObjectNode(name);
    def->AddState("STAND");
    def->index = number;
    def->objectLogic = new CObjectLogic;
    def->objectLogic->ownKindData = CKindData::Create(kind);
    return def;
}

void SetUpWorld()
{
    CreateWorldRoots();
    Hero = Person("Hero", 1);
    Person("Friend", 2);
    Definition("Crowbar", 7, KIND_TOOL);
    Possessions = {Definition("*van", 8, KIND_CAR)};
    CObjectNode::BuildIndexTable();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = (SetUpWorld(), true);
    (void)ready;
    if (size < 1)
        return 0;
    RegisterObjectLogicNumbers(g_WorldRoot);
    std::vector<uint8_t> again;
    SSaveFile file;
    std::string error;
    const uint32_t magic = (data[0] & 1) ? ChunkId("GAME") : ChunkId("BURG");
    if (ParseSaveFile(data + 1, size - 1, magic, file, error)) {
        std::vector<uint8_t> first, second;
        if (!WriteSaveFile(file, first) || !ParseSaveFile(first.data(), first.size(), magic, file, error) ||
            !WriteSaveFile(file, second) || first != second)
            __builtin_trap();
    }
    if (data[0] & 1) {
        if (LoadGameFromMemory(data + 1, size - 1, (data[0] & 2) != 0))
            BuildGameFile("again", again);
        ClearObjectInstances();
    } else if (LoadPlanFromMemory(data + 1, size - 1) == 0) {
        BuildPlanFile("again", again);
    }
    PlanMemberArray.clear();
    KnownPeople.clear();
    if (ExtraInstance) {
        DeleteRuntimeWorldObject(ExtraInstance);
        ExtraInstance = nullptr;
    }
    g_SpecialObject = nullptr;
    return 0;
}
