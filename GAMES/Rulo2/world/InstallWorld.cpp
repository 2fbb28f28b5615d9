#include "GAMES/Rulo2/world/InstallWorld.h"

#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldImport.h"

void InstallWorld()
{
    g_ImportUpdatedWorldHook = ImportUpdatedGroups;
}
