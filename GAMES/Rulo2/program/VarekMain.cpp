// The game program: connects the subsystems, hands the command line to the
// application object and runs it.

#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/InstallApp.h"

int main(int argc, char** argv)
{
    InstallSubsystems();
    InstallWindowDrawing();
    CGameApp app(argc, argv);
    return app.Run();
}
