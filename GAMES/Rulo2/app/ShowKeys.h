#pragma once
// The show-keys flag: while set, screens, boxes and the window title show
// text keys raw instead of their dialog texts. Cleared at start-up.

#include <cstdint>

extern uint8_t ShowKeysFlag;
