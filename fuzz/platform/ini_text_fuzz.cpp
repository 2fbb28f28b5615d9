// Ini files come from installers and from people: any text gives a value or none.
#include "platform/win/IniFile.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::FindProfileValue(text, "DemoSettings", "AudioTrack");
    // The first line names the section and key to look for, so every shape is reached.
    size_t cut = text.find('\n');
    if (cut != std::string_view::npos) {
        std::string_view names = text.substr(0, cut);
        size_t eq = names.find('=');
        if (eq != std::string_view::npos)
            platform::FindProfileValue(text.substr(cut + 1), names.substr(0, eq), names.substr(eq + 1));
    }
    return 0;
}
