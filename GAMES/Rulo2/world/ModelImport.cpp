#include "GAMES/Rulo2/world/ModelImport.h"

#include <filesystem>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

SModelImporters g_ModelImporters;
std::string g_ModelProjectFolder;
bool g_ModelProjectReachable = false;

void RefreshModelProjectReachable()
{
    g_ModelProjectReachable = !g_ModelProjectFolder.empty() && platform::Access(g_ModelProjectFolder, 0) == 0;
}

CRootNode* ImportModelFile(const char* path)
{
    if (!path || !*path)
        return nullptr;
    for (auto importer : {g_ModelImporters.loadX, g_ModelImporters.importMayaAscii})
        if (importer)
            if (CRootNode* root = importer(path))
                return root;
    if (CRootNode* root = LoadTmf(platform::ResolvePath(path).c_str()))
        return root;
    if (g_ModelImporters.importObj)
        return g_ModelImporters.importObj(path);
    return nullptr;
}

bool ImportModelFromProject(const char* path)
{
    RefreshModelProjectReachable();
    CRootNode* model = ImportModelFile(path);
    if (!model) {
        LogPrintf("Cannot import the model file '%s'", path ? path : "");
        return false;
    }
    auto* entry = new CModelEntry;
    entry->SetName(std::filesystem::path(platform::ResolvePath(path)).stem().c_str());
    entry->model = model;
    CreateWorldRoots();
    g_ModelListRoot->AddChild(entry);
    if (g_ModelImporters.showEntry)
        g_ModelImporters.showEntry(entry);
    return true;
}
