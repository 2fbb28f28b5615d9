#include "GAMES/Rulo2/world/WorldGlobals.h"

#include <algorithm>

#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/ParentTable.h"
#include "GAMES/Rulo2/world/TreeControl.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "LIBS/System/LogPrintf.h"

CWorldObject* g_WorldRoot = nullptr;
CWorldObject* g_PasteRoot = nullptr;
CWorldObject* g_PreviewRoot = nullptr;
CTreeControl* WorldTreeControl = nullptr;
CModelEntry* g_ModelListRoot = nullptr;
CObjectNode* g_ObjectList = nullptr;
CMacro* g_MacroListRoot = nullptr;
CNode* g_ModelsTree = nullptr;
CNode* g_ObjectsTree = nullptr;
CRootNode* g_EmptyModel = nullptr;

std::vector<CWorldObject*> g_NodeTable;
std::vector<CModelEntry*> g_ModelTable;
std::vector<CObjectNode*> g_ObjectTable;
std::vector<CWorldObject*> g_LightNodes;
CBox g_WorldBounds = CBox::Empty;

void RecomputeWorldBounds()
{
    g_WorldBounds = CBox::Empty;
    if (g_WorldRoot)
        WorldWalk::ComputeBounds(g_WorldRoot, g_WorldBounds.min, g_WorldBounds.max);
}

// An empty world's roots carry number 1, so that files without a folder
// section still find the root folders by that number.
static void NumberRoots(bool always)
{
    for (CNode* root : {static_cast<CNode*>(g_WorldRoot), static_cast<CNode*>(g_MacroListRoot),
                        static_cast<CNode*>(g_ModelListRoot), g_ModelsTree, g_ObjectsTree})
        if (root && (always || root->index == 0))
            root->index = 1;
}

void CreateWorldRoots()
{
    if (!g_WorldRoot)
        g_WorldRoot = new CWorldObject;
    if (!g_PasteRoot)
        g_PasteRoot = new CWorldObject;
    if (!g_PreviewRoot)
        g_PreviewRoot = new CWorldObject;
    if (!g_ModelListRoot)
        g_ModelListRoot = new CModelEntry;
    if (!g_MacroListRoot)
        g_MacroListRoot = new CMacro;
    if (!g_ModelsTree)
        g_ModelsTree = new CNode("Models");
    if (!g_ObjectsTree)
        g_ObjectsTree = new CNode("Objects");
    if (!g_EmptyModel)
        g_EmptyModel = new CRootNode;
    NumberRoots(false);
    g_WorldBounds = CBox::Empty;
}

static void DeleteDefinitions()
{
    // Each definition unlinks itself from the list as it goes.
    while (g_ObjectList)
        delete g_ObjectList;
}

void ClearWorld()
{
    // The editor's windows let go of what is about to go.
    ForgetCurrentEntry();
    if (WorldTreeControl)
        WorldTreeControl->DeleteAllItems();
    if (ModelListView.control)
        ModelListView.control->DeleteAllItems();
    // The world tree first: its nodes refer to models and definitions.
    if (g_WorldRoot)
        g_WorldRoot->DeleteChildren();
    for (CWorldObject* spare : {g_PasteRoot, g_PreviewRoot})
        if (spare) {
            spare->DeleteChildren();
            spare->position = CVector(0, 0, 0);
        }
    if (g_MacroListRoot)
        g_MacroListRoot->DeleteChildren();
    DeleteDefinitions();
    if (g_ModelListRoot)
        g_ModelListRoot->DeleteChildren();
    if (g_ModelsTree)
        g_ModelsTree->DeleteChildren();
    if (g_ObjectsTree)
        g_ObjectsTree->DeleteChildren();
    if (TexturePageHooks.clear)
        TexturePageHooks.clear();
    NumberRoots(true);
    // No placed object keeps an id now; ids start again, so that reloading
    // never runs the counter into the illegal range.
    g_ObjectIdCounter = 1;
    g_NodeTable.clear();
    g_ModelTable.clear();
    g_ObjectTable.clear();
    g_LightNodes.clear();
    g_WorldBounds = CBox::Empty;
}

void DestroyWorldRoots()
{
    ClearWorld();
    delete g_WorldRoot;
    g_WorldRoot = nullptr;
    delete g_PasteRoot;
    g_PasteRoot = nullptr;
    delete g_PreviewRoot;
    g_PreviewRoot = nullptr;
    delete g_MacroListRoot;
    g_MacroListRoot = nullptr;
    delete g_ModelListRoot;
    g_ModelListRoot = nullptr;
    delete g_ModelsTree;
    g_ModelsTree = nullptr;
    delete g_ObjectsTree;
    g_ObjectsTree = nullptr;
    delete g_EmptyModel;
    g_EmptyModel = nullptr;
}

void BuildModelTable()
{
    // The numbers are the reader's running count over the section's chunks,
    // which macros of older files share, so they can pass the entry count.
    RegisterByIndex(g_ModelListRoot ? g_ModelListRoot->FirstEntry() : nullptr);
}

// ---------------------------------------------------------------- folder sections

static bool WriteFolders(CNode* first, CChunkWriter& w)
{
    for (CNode* n = first; n; n = n->next) {
        if (!w.BeginChunk(ChunkId("ENTR"), 0) || !w.WriteString(n->GetName()) ||
            !w.WriteU32(n->parent ? n->parent->index : 1) || !w.EndChunk())
            return false;
        if (n->firstChild && !WriteFolders(n->firstChild, w))
            return false;
    }
    return true;
}

bool WriteFolderSection(CNode* root, CChunkWriter& w, uint32_t sectionId)
{
    return w.WriteMarker(sectionId) && (!root || !root->firstChild || WriteFolders(root->firstChild, w)) &&
           w.WriteMarker(ChunkId("END "));
}

bool ReadFolderSection(CChunkReader& data, CNode* root, std::string* error)
{
    std::vector<CNode*> table{nullptr, root};
    CParentTable<CNode> parents(table);
    return ReadSection(
        data,
        [&](const SChunkHeader& header, CChunkReader& body) {
            if (header.id != ChunkId("ENTR"))
                return SECTION_CONTINUE;
            body.ReadU32();
            const char* text = body.ReadPaddedString();
            const uint32_t parentNumber = body.ReadU32();
            if (!body.Ok()) {
                NoteLoadLoss("ENTR chunk at offset %zu skipped: body too short", header.offset);
                parents.Skip();
                return SECTION_CONTINUE;
            }
            auto* folder = new CNode(text);
            const auto attached = parents.Attach(folder, parentNumber);
            if (attached != parents.ATTACHED) {
                NoteLoadLoss("ENTR chunk at offset %zu skipped: it %s (%u)", header.offset,
                             parents.Why(attached), parentNumber);
                delete folder;
            }
            return SECTION_CONTINUE;
        },
        error);
}
