#pragma once
// Object definitions (a door, a safe, a character) and their states. All
// definitions form one flat sibling chain, the object list.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/world/CNode.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

class CModelEntry;
class CObjectLogic;
class CRootNode;

struct SStateAttachment
{
    char name[64] = {};
    uint32_t value = 0; // a sound event's frame, as float bits
    uint8_t fired = 0;  // the sound event has played in this run of the animation
};

class CObjectState
{
public:
    explicit CObjectState(const char* name = nullptr);
    virtual ~CObjectState();
    CObjectState(const CObjectState&) = delete;
    CObjectState& operator=(const CObjectState&) = delete;

    virtual void SetName(const char* text);
    virtual const char* GetName() const { return name; }

    CRootNode* GetModelRoot() const;
    float GetAnimTime(int32_t timeMs) const;

    CObjectState* next = nullptr;
    char* name = nullptr;
    uint32_t id = 0;
    CModelEntry* modelEntry = nullptr;
    float value = -100.0f;
    float animStart = 0.0f;
    float animEnd = 0.0f;
    int32_t animSpeed = 0;
    std::vector<SStateAttachment> attachments;
    uint8_t flagA = 0, flagB = 0;
};

class CObjectNode : public CNode
{
public:
    // Appends the new definition at the end of the object list.
    explicit CObjectNode(const char* name = nullptr);
    ~CObjectNode() override;

    const char* GetName() const override;

    CObjectNode* NextDefinition() const { return static_cast<CObjectNode*>(next); }

    CObjectState* AddState(const char* name);
    void RemoveState(CObjectState* state);
    CObjectState* FindState(const char* name) const;
    CObjectNode* FindByName(const char* name, CObjectState** stateOut);
    CObjectNode* FindByIdOrStateId(uint32_t id, CObjectState** stateOut);
    bool IsModelEntryUsed(const CModelEntry* entry) const;
    void ClearModelEntryInStates(const CModelEntry* entry);
    void ReplaceModelEntryInStates(const CModelEntry* oldEntry, CModelEntry* newEntry);
    void ClearReference(const CNode* groupNode);
    // The first definition whose name and folder path (the default folder's
    // when it has none) equal the texts.
    CObjectNode* FindByNameAndGroupPath(const char* name, const char* path, const CNode* defaultGroup);
    // unused = 1 for every definition that no world node and no macro refers to.
    void MarkUnused();
    CObjectNode* FindFirstUnused();
    // Copies this definition (through its "OBJ " chunk) into a new one; the
    // folder is kept. Null when the copy cannot be read back.
    CObjectNode* Clone();

    static void InitAllObjectLogic();
    static void ReleaseAllObjectLogic();

    static void BuildIndexTable();
    static bool RebuildTaskLists();

    // One "OBJ " chunk of version 6.
    bool Write(CChunkWriter& writer);
    // Fills the definition from a version 0-6 body; false when it is damaged.
    bool Parse(CChunkReader& body, std::string* error = nullptr);
    // Version, name and folder only: the folder is resolved in the "Objects"
    // tree (its root when missing) and its path kept in groupPath.
    bool ParseHeader(CChunkReader& body);

    CObjectState* firstState = nullptr;
    uint32_t word = 0;
    CObjectLogic* objectLogic = nullptr;
    CNode* group = nullptr;
    std::string groupPath;
    uint8_t unused = 0;
};

constexpr uint32_t kObjVersion = 6;

// The text of the names of the node and its ancestors, each after '\', root first.
std::string GetPath(const CNode* node);

bool WriteObjectSection(CObjectNode* list, CChunkWriter& writer);
bool ReadObjectSection(CChunkReader& data, std::string* error = nullptr);
bool ReadObjectSectionForUpdate(CChunkReader& data, std::string* error = nullptr);
