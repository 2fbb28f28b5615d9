#include "GAMES/Rulo2/interface/InstallInterface.h"

#include "GAMES/Rulo2/interface/CPPMenu.h"
#include "GAMES/Rulo2/navigation/Perception.h"

void InstallInterface()
{
    KeepNarrowestWindow = OverlayNoiseWindow;
}
