// The editor build: the game program with the game-mode flag clear from the start,
// so start-up creates the editor's tool windows and menus.

#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/InstallApp.h"

int main(int argc, char** argv)
{
    GameModeFlag = 0;
    InstallSubsystems();
    InstallWindowDrawing();
    CGameApp app(argc, argv);
    return app.Run();
}
