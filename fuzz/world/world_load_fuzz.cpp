// LoadWorld over arbitrary bytes in memory, in the game and in the editor, then
// the loaded world written out and read back.
#include <cstddef>
#include <cstdint>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/LoadingScreen.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // No window in the fuzzer: nothing to pump.
    LoadingScreenHooks.pumpMessage = nullptr;
    CreateWorldRoots();
    ClearWorld();
    g_ObjectIdCounter = 1;
    // The last byte chooses game or editor and open, merge or update, so the file keeps its start.
    const uint8_t choice = size ? data[size - 1] : 0;
    GameModeFlag = choice & 1;
    const int mode = (choice & 2) ? LOADWORLD_MERGE : (choice & 4) ? LOADWORLD_UPDATE : LOADWORLD_OPEN;
    if (LoadWorldFromMemory(data, size, mode, "fuzz.wld") && !GameModeFlag) {
        CChunkWriter writer;
        if (WriteWorld(writer)) {
            ClearWorld();
            LoadWorldFromMemory(writer.Data().data(), writer.Data().size(), LOADWORLD_OPEN, "again.wld");
        }
    }
    ClearWorld();
    return 0;
}
