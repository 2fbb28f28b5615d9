#include "GAMES/Rulo2/app/ShowKeys.h"

uint8_t ShowKeysFlag = 0;
