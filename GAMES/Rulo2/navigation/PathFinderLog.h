#pragma once
// Path-finder diagnostics: written for the player's character only while the
// Ctrl key is held (and the log is on), so that one walk can be traced.
#include "LIBS/System/LogPrintf.h"

#define NavLog(...)                                                                                          \
    do {                                                                                                     \
        if (Logging())                                                                                       \
            LogPrintf(__VA_ARGS__);                                                                          \
    } while (0)
