#pragma once
// The global roots of the world model, the tables that turn the numbers stored
// in files into pointers, and the folder-tree sections of the world file.
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/world/ChunkFile.h"
#include "LIBS/System/CBox.h"
#include "LIBS/System/CVector.h"

class CNode;
class CWorldObject;
class CModelEntry;
class CObjectNode;
class CMacro;
class CRootNode;
class CTreeControl;

extern CWorldObject* g_WorldRoot;
// The editor's paste buffer: a spare world root whose children are the copies
// that Cut and Copy made; emptied with the world, since its nodes refer to models.
extern CWorldObject* g_PasteRoot;
// The editor's placement preview: what the Model List's current entry would place.
extern CWorldObject* g_PreviewRoot;
// The World Tree's control; null while no such window exists (the game, the tools).
extern CTreeControl* WorldTreeControl;
extern CModelEntry* g_ModelListRoot;
extern CObjectNode* g_ObjectList; // first definition; null when empty
extern CMacro* g_MacroListRoot;
extern CNode* g_ModelsTree;  // "Models"
extern CNode* g_ObjectsTree; // "Objects"
extern CRootNode* g_EmptyModel;

extern std::vector<CWorldObject*> g_NodeTable;
extern std::vector<CModelEntry*> g_ModelTable;
extern std::vector<CObjectNode*> g_ObjectTable;
extern std::vector<CWorldObject*> g_LightNodes;

// The box around the world's model and object nodes; empty without any.
extern CBox g_WorldBounds;
// Computes it again from the world tree (group centres and sizes on the way).
void RecomputeWorldBounds();

// Creates the roots (once); the world is empty afterwards.
void CreateWorldRoots();
// Destroys everything the roots hold and the roots themselves.
void DestroyWorldRoots();
// Empties the world: world tree, model list, object list, macros, folders, texture pages.
void ClearWorld();

// The model table: entry n is the model entry whose index is n (0 unused).
void BuildModelTable();

// "GROU" / "OBGR": one "ENTR" chunk per folder below the root, in pre-order.
bool WriteFolderSection(CNode* root, CChunkWriter& writer, uint32_t sectionId);
// Reads "ENTR" chunks up to "END " (the section tag already read). A folder whose
// parent number names no earlier folder is skipped with a log line.
bool ReadFolderSection(CChunkReader& data, CNode* root, std::string* error = nullptr);
