#include "GAMES/Rulo2/world/CModelEntry.h"

#include <cstdio>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/SnapPoints.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"

CModelEntry::CModelEntry() : CNode(nullptr) {}

CModelEntry::~CModelEntry()
{
    delete camera;
    camera = nullptr;
    delete model;
    model = nullptr;
    FreeGroundMap(groundMap);
    groundMap = nullptr;
}

bool CModelEntry::WriteChunk(CChunkWriter& w)
{
    bool ok = BeginNodeChunk(w, *this, kModlVersion, ChunkId("MODL"));
    ok = ok && w.WriteBool(influencesCamera) && w.WriteBool(noCameraCheck) && w.WriteBool(antiGround);
    ok = ok && w.WriteI32(animIndex) && w.WriteI32(linkIndex);
    if (camera) {
        const SModelCamera& c = *camera;
        ok = ok && w.WriteU32(kCameraMarker) && w.WriteFloats(c.vectorA, 3) && w.WriteFloats(c.vectorB, 3);
        ok = ok && w.WriteU32(c.word8) && w.WriteU32(c.word7) && w.WriteU32(c.word9) && w.WriteU32(c.word10);
    } else {
        ok = ok && w.WriteU32(0);
    }
    const CNode* folder = group ? group : g_ModelsTree;
    ok = ok && w.WriteU32(folder ? folder->index : 1);
    ok = ok && w.WriteU32(uint32_t(points.size()));
    for (const SModelPoint& p : points)
        for (uint32_t word : p.words)
            ok = ok && w.WriteU32(word);
    ok = ok && model->SaveToMemory(w);
    return ok && w.EndChunk();
}

bool CModelEntry::WriteTree(CChunkWriter& w)
{
    for (CModelEntry* e = this; e; e = e->NextEntry()) {
        if (e->model && !e->WriteChunk(w))
            return false;
        if (e->GetFirstChild() && !e->FirstEntry()->WriteTree(w))
            return false;
    }
    return true;
}

// One embedded model file at the cursor; the cursor moves past its "END ".
static CRootNode* ReadModelFile(CChunkReader& r, const char* source)
{
    auto* root = new CRootNode;
    const STmfParseResult result = ParseTmfChunks(r.Data() + r.Offset(), r.Remaining(), root, source);
    if (!result.ok) {
        delete root;
        r.Fail();
        return nullptr;
    }
    r.Skip(result.end);
    return root;
}

bool CModelEntry::ReadChunk(CChunkReader& r, std::vector<CModelEntry*>* copies, std::string* error)
{
    auto fail = [&](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    const uint32_t v = r.ReadU32();
    index = r.ReadU32();
    SetName(r.ReadPaddedString());
    if (v >= 5) {
        influencesCamera = r.ReadBool();
        noCameraCheck = r.ReadBool();
    }
    if (v >= 7)
        antiGround = r.ReadBool();
    if (v >= 9) {
        animIndex = r.ReadI32();
        linkIndex = r.ReadI32();
    }
    if (v >= 6) {
        const uint32_t marker = r.ReadU32();
        if (marker == kCameraMarker) {
            auto* c = new SModelCamera;
            r.ReadFloats(c->vectorA, 3);
            r.ReadFloats(c->vectorB, 3);
            c->word8 = r.ReadU32();
            c->word7 = r.ReadU32();
            c->word9 = r.ReadU32();
            c->word10 = r.ReadU32();
            delete camera;
            camera = c;
        }
    }
    const uint32_t groupNumber = r.ReadU32();
    group = nullptr;
    if (v >= 2 && !GameModeFlag && g_ModelsTree && groupNumber)
        group = g_ModelsTree->FindByIndex(groupNumber);
    if (v >= 8) {
        const uint32_t count = r.ReadU32();
        if (!r.Ok() || count > r.Remaining() / 16)
            return fail("point count runs past the chunk");
        points.resize(count);
        for (SModelPoint& p : points)
            for (uint32_t& word : p.words)
                word = r.ReadU32();
    }
    if (!r.Ok())
        return fail("chunk body too short");
    const std::string source = std::string("model '") + (GetName() ? GetName() : "") + "'";
    if (v >= 4) {
        model = ReadModelFile(r, source.c_str());
        if (!model)
            return fail("damaged model file");
        ClassifyModelEntry(this);
        return true;
    }
    // Old bodies: a copy count, from version 3 a replacing name, then the models.
    const uint32_t count = v >= 1 ? r.ReadU32() : 1;
    if (v >= 3) {
        const char* replacement = r.ReadPaddedString();
        if (*replacement)
            SetName(replacement);
    }
    if (!r.Ok() || count == 0 || count > r.Remaining() / 16 + 1)
        return fail("bad copy count");
    model = ReadModelFile(r, source.c_str());
    if (!model)
        return fail("damaged model file");
    ClassifyModelEntry(this);
    const std::string base = GetName() ? GetName() : "";
    for (uint32_t n = 1; n < count; ++n) {
        std::string copyName;
        if (v >= 3)
            copyName = r.ReadPaddedString();
        char text[600];
        if (!copyName.empty())
            std::snprintf(text, sizeof text, "%s [%s]", base.c_str(), copyName.c_str());
        else
            std::snprintf(text, sizeof text, "%s [Copy %u]", base.c_str(), n);
        CRootNode* copyModel = ReadModelFile(r, source.c_str());
        if (!copyModel)
            return fail("damaged model file of a copy");
        auto* copy = new CModelEntry;
        copy->SetName(text);
        copy->copyNumber = int32_t(n);
        copy->model = copyModel;
        copy->group = group;
        ClassifyModelEntry(copy);
        if (copies)
            copies->push_back(copy);
        else
            delete copy;
    }
    return true;
}

bool CModelEntry::ReadChunkForUpdate(CChunkReader& r, std::string* error)
{
    std::vector<CModelEntry*> copies;
    const bool ok = ReadChunk(r, &copies, error);
    for (CModelEntry* c : copies)
        delete c;
    if (!group)
        group = g_ModelsTree;
    groupPath = GetPath(group);
    return ok;
}

bool ReadModelListSectionForUpdate(CChunkReader& data, CModelEntry* root, std::string* error)
{
    const bool ok = ReadSection(
        data,
        [&](const SChunkHeader& header, CChunkReader& body) {
            if (header.id != ChunkId("MODL"))
                return SECTION_CONTINUE;
            auto* entry = new CModelEntry;
            std::string why;
            if (!entry->ReadChunkForUpdate(body, &why)) {
                NoteLoadLoss("Damaged MODL chunk at offset %zu skipped: %s", header.offset, why.c_str());
                delete entry;
                return SECTION_CONTINUE;
            }
            root->AddChild(entry);
            return SECTION_CONTINUE;
        },
        error);
    root->index = 1;
    root->NumberIncludedNodes();
    return ok;
}

bool WriteModelListSection(CModelEntry* root, CChunkWriter& w)
{
    return w.WriteMarker(ChunkId("LIST")) && (!root || root->WriteTree(w)) && w.WriteMarker(ChunkId("END "));
}

bool ReadModelListSection(CChunkReader& data, CModelEntry* root, std::string* error)
{
    uint32_t counter = 2;
    return ReadSection(
        data,
        [&](const SChunkHeader& header, CChunkReader& body) {
            if (header.id == ChunkId("MODL")) {
                const uint32_t number = counter++;
                auto* entry = new CModelEntry;
                std::vector<CModelEntry*> copies;
                std::string why;
                if (!entry->ReadChunk(body, &copies, &why)) {
                    NoteLoadLoss("Damaged MODL chunk at offset %zu skipped: %s", header.offset, why.c_str());
                    delete entry;
                    for (CModelEntry* c : copies)
                        delete c;
                    return SECTION_CONTINUE;
                }
                entry->index = number;
                root->AddChild(entry);
                for (CModelEntry* c : copies) {
                    c->index = 0;
                    root->AddChild(c);
                }
            } else if (header.id == ChunkId("MAKR")) {
                counter++;
                auto* macro = new CMacro;
                std::string why;
                if (!macro->ReadChunk(body, &why) || !g_MacroListRoot) {
                    NoteLoadLoss("Damaged MAKR chunk at offset %zu skipped: %s", header.offset, why.c_str());
                    delete macro;
                    return SECTION_CONTINUE;
                }
                macro->index = 0;
                g_MacroListRoot->AddChild(macro);
            }
            return SECTION_CONTINUE;
        },
        error);
}

static void NumberWritten(CModelEntry* first, uint32_t& counter)
{
    for (CModelEntry* e = first; e; e = e->NextEntry()) {
        e->index = e->model ? counter++ : NODE_INDEX_EXCLUDED;
        if (e->GetFirstChild())
            NumberWritten(e->FirstEntry(), counter);
    }
}

void NumberModelList(CModelEntry* root)
{
    if (!root)
        return;
    root->index = 1;
    uint32_t counter = 2;
    if (root->GetFirstChild())
        NumberWritten(root->FirstEntry(), counter);
}
