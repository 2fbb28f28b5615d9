#include "GAMES/Rulo2/world/CObjectNode.h"

#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/LogPrintf.h"

// ---------------------------------------------------------------- states

CObjectState::CObjectState(const char* text)
{
    SetName(text);
}

CObjectState::~CObjectState()
{
    delete[] name;
}

void CObjectState::SetName(const char* text)
{
    delete[] name;
    name = nullptr;
    if (text && *text) {
        const size_t n = std::strlen(text);
        name = new char[n + 1];
        std::memcpy(name, text, n + 1);
    }
}

CRootNode* CObjectState::GetModelRoot() const
{
    if (modelEntry && modelEntry->model)
        return modelEntry->model;
    return g_EmptyModel;
}

float CObjectState::GetAnimTime(int32_t timeMs) const
{
    if (animStart == animEnd)
        return animStart;
    const int64_t scaled = int64_t(timeMs) * animSpeed / 100;
    const float t = float(scaled) * 0.001f;
    return animStart + std::fmod(t, animEnd - animStart);
}

// ---------------------------------------------------------------- definitions

CObjectNode::CObjectNode(const char* text) : CNode(text)
{
    if (!g_ObjectList) {
        g_ObjectList = this;
        return;
    }
    CNode* last = g_ObjectList;
    while (last->next)
        last = last->next;
    last->next = this;
}

CObjectNode::~CObjectNode()
{
    // The Object Properties window may show this definition's defaults.
    ObjectPropertiesForget(this);
    if (g_ObjectList == this) {
        g_ObjectList = NextDefinition();
    } else {
        for (CNode* n = g_ObjectList; n; n = n->next)
            if (n->next == this) {
                n->next = next;
                break;
            }
    }
    while (firstState) {
        CObjectState* after = firstState->next;
        delete firstState;
        firstState = after;
    }
    delete objectLogic;
    objectLogic = nullptr;
    // The definition alone goes; its neighbours in the list stay.
    next = nullptr;
    firstChild = nullptr;
    lastChild = nullptr;
}

const char* CObjectNode::GetName() const
{
    if (objectLogic && objectLogic->ownKindData && !objectLogic->ownKindData->name.empty())
        return objectLogic->ownKindData->name.c_str();
    return name;
}

CObjectState* CObjectNode::AddState(const char* text)
{
    auto* state = new CObjectState(text);
    CObjectState** link = &firstState;
    while (*link)
        link = &(*link)->next;
    *link = state;
    return state;
}

void CObjectNode::RemoveState(CObjectState* state)
{
    for (CObjectState** link = &firstState; *link; link = &(*link)->next)
        if (*link == state) {
            *link = state->next;
            delete state;
            return;
        }
}

CObjectState* CObjectNode::FindState(const char* text) const
{
    if (!text)
        return nullptr;
    for (CObjectState* s = firstState; s; s = s->next)
        if (s->name && std::strcmp(s->name, text) == 0)
            return s;
    return nullptr;
}

CObjectNode* CObjectNode::FindByName(const char* text, CObjectState** stateOut)
{
    if (!text)
        return nullptr;
    for (CObjectNode* d = this; d; d = d->NextDefinition()) {
        const char* own = d->GetName();
        if (own && std::strcmp(own, text) == 0)
            return d;
        if (stateOut)
            if (CObjectState* s = d->FindState(text)) {
                *stateOut = s;
                return d;
            }
    }
    return nullptr;
}

CObjectNode* CObjectNode::FindByIdOrStateId(uint32_t value, CObjectState** stateOut)
{
    for (CObjectNode* d = this; d; d = d->NextDefinition()) {
        if (d->id == value)
            return d;
        if (stateOut)
            for (CObjectState* s = d->firstState; s; s = s->next)
                if (s->id == value) {
                    *stateOut = s;
                    return d;
                }
    }
    return nullptr;
}

bool CObjectNode::IsModelEntryUsed(const CModelEntry* entry) const
{
    for (const CObjectNode* d = this; d; d = d->NextDefinition())
        for (CObjectState* s = d->firstState; s; s = s->next)
            if (s->modelEntry == entry)
                return true;
    return false;
}

void CObjectNode::ClearModelEntryInStates(const CModelEntry* entry)
{
    ReplaceModelEntryInStates(entry, nullptr);
}

void CObjectNode::ReplaceModelEntryInStates(const CModelEntry* oldEntry, CModelEntry* newEntry)
{
    for (CObjectNode* d = this; d; d = d->NextDefinition())
        for (CObjectState* s = d->firstState; s; s = s->next)
            if (s->modelEntry == oldEntry)
                s->modelEntry = newEntry;
}

void CObjectNode::ClearReference(const CNode* groupNode)
{
    for (CObjectNode* d = this; d; d = d->NextDefinition())
        if (d->group == groupNode)
            d->group = nullptr;
}

CObjectNode* CObjectNode::FindByNameAndGroupPath(const char* text, const char* path,
                                                 const CNode* defaultGroup)
{
    if (!text || !path)
        return nullptr;
    for (CObjectNode* d = this; d; d = d->NextDefinition()) {
        const char* own = d->GetName();
        if (!own || std::strcmp(own, text) != 0)
            continue;
        if (GetPath(d->group ? d->group : defaultGroup) == path)
            return d;
    }
    return nullptr;
}

static int MarkUsedNode(CWorldObject* node, void*)
{
    if (CObjectNode* def = node->Definition())
        def->unused = 0;
    return NODE_WALK_CONTINUE;
}

static void MarkUsedInMacros(CMacro* first)
{
    for (CMacro* m = first; m; m = m->NextMacro()) {
        if (m->content)
            m->content->ForEach(MarkUsedNode, nullptr);
        MarkUsedInMacros(m->FirstMacro());
    }
}

void CObjectNode::MarkUnused()
{
    for (CObjectNode* d = this; d; d = d->NextDefinition())
        d->unused = 1;
    if (g_WorldRoot)
        g_WorldRoot->ForEach(MarkUsedNode, nullptr);
    if (g_PasteRoot)
        g_PasteRoot->ForEach(MarkUsedNode, nullptr);
    if (g_MacroListRoot)
        MarkUsedInMacros(g_MacroListRoot->FirstMacro());
}

CObjectNode* CObjectNode::FindFirstUnused()
{
    for (CObjectNode* d = this; d; d = d->NextDefinition())
        if (d->name && d->unused)
            return d;
    return nullptr;
}

CObjectNode* CObjectNode::Clone()
{
    CChunkWriter w;
    if (!Write(w))
        return nullptr;
    CChunkReader file(w.Data().data(), w.Data().size());
    SChunkHeader header;
    CChunkReader body;
    if (file.NextChunk(header, body) != CHUNK_OK)
        return nullptr;
    auto* copy = new CObjectNode;
    if (!copy->Parse(body)) {
        delete copy;
        return nullptr;
    }
    copy->group = group;
    // The models are taken over as they are, whatever the current numbering.
    CObjectState* mine = firstState;
    for (CObjectState* s = copy->firstState; s && mine; s = s->next, mine = mine->next)
        s->modelEntry = mine->modelEntry;
    return copy;
}

void CObjectNode::InitAllObjectLogic()
{
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
        if (d->objectLogic)
            d->objectLogic->objectNode = d;
}

void CObjectNode::ReleaseAllObjectLogic()
{
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
        if (d->objectLogic)
            d->objectLogic->ReleaseRuntime();
}

void CObjectNode::BuildIndexTable()
{
    g_ObjectTable.assign(1, nullptr);
    size_t count = 0;
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
        ++count;
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition()) {
        // A number beyond the list's length names no definition.
        if (d->index == 0 || d->index > count)
            continue;
        if (g_ObjectTable.size() <= d->index)
            g_ObjectTable.resize(d->index + 1, nullptr);
        g_ObjectTable[d->index] = d;
    }
}

bool CObjectNode::RebuildTaskLists()
{
    // Stored object numbers are recorder ids: the table must be filled first. Stored items are
    // definition numbers: their table is filled too, in the editor as well as in the game, or
    // an editor save would write an action's item (a dependency on a tool in hand) as none.
    RegisterObjectLogicNumbers(g_WorldRoot);
    BuildIndexTable();
    bool ok = true;
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
        if (d->objectLogic && d->objectLogic->ownTaskList)
            ok = d->objectLogic->ownTaskList->ResolveReferences() && ok;
    WalkWorldTree(g_WorldRoot, [&ok](CWorldObject* n) {
        if (n->objectLogic && n->objectLogic->ownTaskList)
            ok = n->objectLogic->ownTaskList->ResolveReferences() && ok;
    });
    return ok;
}

std::string GetPath(const CNode* node)
{
    std::string path;
    for (const CNode* n = node; n; n = n->parent) {
        const char* text = n->GetName();
        if (text && *text)
            path = std::string("\\") + text + path;
    }
    return path;
}

// ---------------------------------------------------------------- "OBJ " chunks

static uint32_t FolderNumber(const CNode* group)
{
    const CNode* folder = group ? group : g_ObjectsTree;
    return folder ? folder->index : 1;
}

bool CObjectNode::Write(CChunkWriter& w)
{
    bool ok = w.BeginChunk(ChunkId("OBJ "), kObjVersion);
    ok = ok && w.WriteString(name) && w.WriteU32(FolderNumber(group));
    uint32_t count = 0;
    for (CObjectState* s = firstState; s; s = s->next)
        ++count;
    ok = ok && w.WriteU32(count);
    for (CObjectState* s = firstState; s; s = s->next) {
        const uint32_t model =
            s->modelEntry && s->modelEntry->index != NODE_INDEX_EXCLUDED ? s->modelEntry->index : 0;
        ok = ok && w.WriteString(s->name) && w.WriteU32(model);
        ok = ok && w.WriteF32(s->animStart) && w.WriteF32(s->animEnd) && w.WriteI32(s->animSpeed);
        ok = ok && w.WriteF32(s->value) && w.WriteBool(s->flagA) && w.WriteBool(s->flagB);
        ok = ok && w.WriteU32(uint32_t(s->attachments.size()));
        for (const SStateAttachment& a : s->attachments)
            ok = ok && w.WriteString(a.name) && w.WriteU32(a.value);
    }
    if (objectLogic && objectLogic->ownDefinition)
        ok = ok && objectLogic->SaveTaskLists(w);
    else
        ok = ok && w.WriteU32(0);
    return ok && w.EndChunk();
}

static CModelEntry* StateModel(uint32_t number)
{
    if (number == 0)
        return nullptr;
    if (GameModeFlag)
        return number < g_ModelTable.size() ? g_ModelTable[number] : nullptr;
    return g_ModelListRoot ? static_cast<CModelEntry*>(g_ModelListRoot->FindByIndex(number)) : nullptr;
}

bool CObjectNode::Parse(CChunkReader& r, std::string* error)
{
    auto fail = [&](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    const uint32_t v = r.ReadU32();
    SetName(r.ReadPaddedString());
    if (v >= 5) {
        const uint32_t number = r.ReadU32();
        group = !GameModeFlag && g_ObjectsTree && number ? g_ObjectsTree->FindByIndex(number) : nullptr;
    }
    const uint32_t count = r.ReadU32();
    // A state record takes at least 24 bytes.
    if (!r.Ok() || count > r.Remaining() / 24)
        return fail("state count runs past the chunk");
    for (uint32_t i = 0; i < count && r.Ok(); ++i) {
        CObjectState* s = AddState(r.ReadPaddedString());
        const uint32_t model = r.ReadU32();
        if (v == 0)
            r.ReadU32();
        s->modelEntry = StateModel(model);
        if (model && !s->modelEntry)
            LogPrintf("Object '%s': model number %u of state %u is unknown", name ? name : "", model, i);
        s->animStart = r.ReadF32();
        s->animEnd = r.ReadF32();
        s->animSpeed = r.ReadI32();
        if (v >= 2)
            s->value = r.ReadF32();
        if (v >= 3) {
            s->flagA = r.ReadBool() ? 1 : 0;
            s->flagB = r.ReadBool() ? 1 : 0;
        }
        if (v >= 6) {
            const uint32_t attachments = r.ReadU32();
            if (!r.Ok() || attachments > r.Remaining() / 8)
                return fail("attachment count runs past the chunk");
            s->attachments.resize(attachments);
            for (SStateAttachment& a : s->attachments) {
                std::strncpy(a.name, r.ReadPaddedString(), sizeof a.name - 1);
                a.value = r.ReadU32();
            }
        }
    }
    if (v >= 4 && r.PeekId() == ChunkId("INFO")) {
        SChunkHeader header;
        CChunkReader info;
        if (r.NextChunk(header, info, r.Remaining()) != CHUNK_OK)
            return fail("INFO chunk runs past the chunk");
        objectLogic = new CObjectLogic;
        objectLogic->objectNode = this;
        if (!objectLogic->ReadDefinition(info))
            NoteLoadLoss("Object '%s': damaged INFO chunk at offset %zu", name ? name : "", header.offset);
    }
    if (!r.Ok())
        return fail("chunk body too short");
    if (!objectLogic) {
        objectLogic = new CObjectLogic;
        objectLogic->objectNode = this;
    }
    objectLogic->CreateMissingParts(name);
    return true;
}

bool CObjectNode::ParseHeader(CChunkReader& r)
{
    const uint32_t v = r.ReadU32();
    SetName(r.ReadPaddedString());
    const uint32_t number = v >= 5 ? r.ReadU32() : 0;
    group = g_ObjectsTree && number ? g_ObjectsTree->FindByIndex(number) : nullptr;
    if (!group)
        group = g_ObjectsTree;
    groupPath = GetPath(group);
    return r.Ok();
}

bool ReadObjectSectionForUpdate(CChunkReader& data, std::string* error)
{
    return ReadSection(
        data,
        [&](const SChunkHeader& header, CChunkReader& body) {
            if (header.id != ChunkId("OBJ "))
                return SECTION_CONTINUE;
            auto* def = new CObjectNode;
            if (!def->ParseHeader(body))
                NoteLoadLoss("Damaged OBJ chunk at offset %zu", header.offset);
            return SECTION_CONTINUE;
        },
        error);
}

bool WriteObjectSection(CObjectNode* list, CChunkWriter& w)
{
    bool ok = w.WriteMarker(ChunkId("OBJS"));
    for (CObjectNode* d = list; d && ok; d = d->NextDefinition())
        ok = d->Write(w);
    return ok && w.WriteMarker(ChunkId("END "));
}

bool ReadObjectSection(CChunkReader& data, std::string* error)
{
    return ReadSection(
        data,
        [&](const SChunkHeader& header, CChunkReader& body) {
            if (header.id != ChunkId("OBJ "))
                return SECTION_CONTINUE;
            auto* def = new CObjectNode;
            std::string why;
            if (!def->Parse(body, &why)) {
                // Kept as far as it was read, so that later definitions keep their numbers.
                NoteLoadLoss("Damaged OBJ chunk at offset %zu: %s", header.offset, why.c_str());
                if (!def->objectLogic)
                    def->objectLogic = new CObjectLogic;
            }
            return SECTION_CONTINUE;
        },
        error);
}
