#include "GAMES/Rulo2/navigation/PathFinder.h"

std::vector<CWorldObject*> CarList;
