#include "GAMES/Rulo2/navigation/InstallNavigation.h"

// The game step calls the passers-by directly; navigation has no hook of another
// subsystem to fill yet.
void InstallNavigation() {}
