// The terrain rule reader over arbitrary text; the rule set it builds is
// written back, so every entry it made is walked once more.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "platform/files/Files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text =
        platform::TextModeFilter(std::string_view(reinterpret_cast<const char*>(data), size));
    CTerrainRules rules;
    rules.ParseText(text, "fuzz.txt");
    rules.WriteText();
    return 0;
}
