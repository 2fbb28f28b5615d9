#pragma once
// The behaviour object of a placed object or of an object definition.
//
// Until the behaviour subsystem reads its "INFO" chunk, the chunk's body is kept
// as its bytes and written back unchanged, so that worlds keep their objects'
// tasks through a load and save.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"

class CChunkReader;
class CChunkWriter;
class CNode;
class CObjectState;
class CObjectNode;
class CWorldObject;

// The kind record of an object logic.
struct SObjectKind
{
    int32_t kindId = 0; // 0 item, 1 loot, 2 tool, 3 fixed, 4..6 characters, 7 door, 8 window, 9 car
    int32_t minBurglaryLevel = 0;
    float weight = 0.0f;
    float value = 0.0f;
    uint8_t walk = 0;
    uint8_t alwaysActive = 0;
    uint8_t pointable = 0;
};

// The character data of a logic: how much the character can carry and the
// value that decides whether a kind-4 character shows at the current level.
struct SCharacterData
{
    float capacity = 0.0f;
    float second = 0.0f;
};

class CObjectLogic
{
public:
    CObjectLogic() = default;
    CObjectLogic(const CObjectLogic&) = delete;
    CObjectLogic& operator=(const CObjectLogic&) = delete;

    // The body of an "INFO" chunk (after its 8-byte header); marks the logic as
    // saved with the world. False when the body is not there.
    bool LoadInfoChunk(const uint8_t* body, size_t size);
    // Writes the "INFO" chunk (header and the kept body); false on a write failure.
    bool SaveTaskLists(CChunkWriter& writer) const;
    bool HasInfoChunk() const { return saveWithWorld != 0; }

    // Binds the logic to its node (start of a game).
    void Init(CNode* node);
    // Creates the missing parts of a definition's logic (kind entry named after
    // the definition, an empty task list).
    void CreateMissingParts(const char* definitionName);

    // Characters (kinds 4 to 6) get their path finder on first use; others none.
    PATHFINDER* GetPathfinder();
    bool IsCharacter() const { return kind.kindId >= 4 && kind.kindId <= 6; }

    // Local flag bits 0 to 31 that tasks set and dependencies test.
    void SetFlagBit(int32_t bit);
    void ClearFlagBit(int32_t bit);
    // Starts the named state of the object's definition as its animation;
    // false when the definition has no state of that name.
    bool PlayAnimation(const char* name);
    // A play-once animation that has not reached its end yet.
    bool IsPlayOnceRunning() const;

    SObjectKind kind;
    char kindName[64] = {};
    int32_t typeNumber = -1; // -1: no type entry
    CNode* owner = nullptr;
    uint32_t objectId = 0;
    int32_t logicNumber = 0;
    uint8_t ownLogic = 0;
    uint8_t recording = 0;
    uint8_t saveWithWorld = 0;
    uint8_t active = 0;
    uint32_t runtimeWord = 0;
    std::vector<uint8_t> info;                     // the kept "INFO" body
    CObjectState* currentState = nullptr;          // not owned; null: the shape root is shown
    std::unique_ptr<SCharacterData> characterData; // null: no character data
    std::unique_ptr<PATHFINDER> pathfinder;
    uint8_t instance = 0; // the logic of an object instance (a carried copy)
    uint32_t flagWord = 0;
    uint8_t busy = 0;                          // the object waits for an animation to end
    uint8_t animationEnded = 0;                // set by the animation step at a play-once end
    int32_t animationStart = 0;                // game time
    int32_t lastActivity = 0;                  // game time
    CActionEntry action;                       // the request the current task list runs under
    std::unique_ptr<CKindState> ownConditions; // the object's own initial conditions
};

// Counts the world's objects and prepares their logic for numbering.
int CountWorldObjects(CWorldObject* worldRoot);
