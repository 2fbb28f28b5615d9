// The game program: hands the command line to the application object and runs it.

#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

int main(int argc, char** argv)
{
    AppHooks.createWorldRoots = CreateWorldRoots;
    AppHooks.destroyWorldRoots = DestroyWorldRoots;
    AppHooks.clearWorld = ClearWorld;
    CGameApp app(argc, argv);
    return app.Run();
}
