#pragma once
// The show-keys flag: while set, screens, boxes and the window title show
// text keys raw instead of their dialog texts. Cleared at start-up.

#include <cstdint>

extern uint8_t ShowKeysFlag;

// The text to show for a key under this flag: the key itself while it is set,
// else the key's text from the text-key dictionary (which defines this).
const char* GetDisplayText(const char* key);
