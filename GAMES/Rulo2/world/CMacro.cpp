#include "GAMES/Rulo2/world/CMacro.h"

#include <vector>

#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ParentTable.h"
#include "GAMES/Rulo2/world/WorldTree.h"
#include "LIBS/System/LogPrintf.h"

CMacro::CMacro() : CNode(nullptr) {}

CMacro::~CMacro()
{
    delete content;
    content = nullptr;
}

bool CMacro::WriteTree(CChunkWriter& w)
{
    for (CMacro* m = this; m; m = m->NextMacro()) {
        // Folders are written too (without "TREE"), so that the macros inside
        // them find their parent again when the file is read.
        bool ok = BeginNodeChunk(w, *m, 0, ChunkId("MAKR"));
        if (m->content) {
            ok = ok && w.WriteMarker(ChunkId("TREE")) && WriteWorldNodes(m->content, w, true) &&
                 w.WriteMarker(ChunkId("END "));
        }
        if (!(ok && w.EndChunk()))
            return false;
        if (m->GetFirstChild() && !m->FirstMacro()->WriteTree(w))
            return false;
    }
    return true;
}

bool CMacro::ReadChunk(CChunkReader& r, std::string* error)
{
    r.ReadU32();
    index = r.ReadU32();
    SetName(r.ReadPaddedString());
    if (!r.Ok()) {
        if (error)
            *error = "chunk body too short";
        return false;
    }
    if (r.PeekId() != ChunkId("TREE"))
        return true;
    r.ReadId();
    r.ReadU32();
    delete content;
    content = new CWorldObject;
    return ReadMacroNodes(r, content, error);
}

bool ReadMacroNodes(CChunkReader& data, CWorldObject* contentRoot, std::string* error)
{
    std::vector<CWorldObject*> table;
    table.reserve(1000);
    table.push_back(contentRoot);
    table.push_back(contentRoot);
    return ReadNodeChunks(data, contentRoot, table, false, error);
}

bool WriteMacroSection(CMacro* root, CChunkWriter& w)
{
    return w.WriteMarker(ChunkId("MAKL")) &&
           (!root || !root->GetFirstChild() || root->FirstMacro()->WriteTree(w)) &&
           w.WriteMarker(ChunkId("END "));
}

bool ReadMacroSection(CChunkReader& data, CMacro* root, std::string* error)
{
    std::vector<CMacro*> table{nullptr, root};
    CParentTable<CMacro> parents(table);
    return ReadSection(
        data,
        [&](const SChunkHeader& header, CChunkReader& body) {
            if (header.id != ChunkId("MAKR"))
                return SECTION_CONTINUE;
            auto* macro = new CMacro;
            std::string why;
            if (!macro->ReadChunk(body, &why)) {
                NoteLoadLoss("Damaged MAKR chunk at offset %zu skipped: %s", header.offset, why.c_str());
                delete macro;
                parents.Skip();
                return SECTION_CONTINUE;
            }
            const uint32_t parentNumber = macro->index;
            const auto attached = parents.Attach(macro, parentNumber);
            if (attached != parents.ATTACHED) {
                NoteLoadLoss("MAKR chunk at offset %zu %s (%u), skipped", header.offset,
                             parents.Why(attached), parentNumber);
                delete macro;
            }
            return SECTION_CONTINUE;
        },
        error);
}

static void NumberContents(CMacro* first)
{
    for (CMacro* m = first; m; m = m->NextMacro()) {
        if (m->content)
            m->content->NumberNodes();
        if (m->GetFirstChild())
            NumberContents(m->FirstMacro());
    }
}

void NumberMacroContents(CMacro* root)
{
    NumberContents(root);
}
