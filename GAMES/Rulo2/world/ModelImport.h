#pragma once
// Loading model files of any supported kind into the model list.
#include <string>

class CRootNode;
class CModelEntry;

// The editor's importers; each returns null for a file that is not its kind.
struct SModelImporters
{
    CRootNode* (*loadX)(const char* path) = nullptr;
    CRootNode* (*importMayaAscii)(const char* path) = nullptr;
    CRootNode* (*importObj)(const char* path) = nullptr;
    // Shows a new entry in the editor's model list.
    void (*showEntry)(CModelEntry* entry) = nullptr;
};
extern SModelImporters g_ModelImporters;

// The studio's model project folder and whether it was reachable when last tested.
extern std::string g_ModelProjectFolder;
extern bool g_ModelProjectReachable;
void RefreshModelProjectReachable();

// Tries the ".x" importer, the Maya ASCII importer, the model file (tmf) and
// the OBJ importer in this order; null when none takes the file or the path is empty.
CRootNode* ImportModelFile(const char* path);
// A new model entry named after the file, appended to the model list; false
// (and nothing added) when the file cannot be loaded.
bool ImportModelFromProject(const char* path);
