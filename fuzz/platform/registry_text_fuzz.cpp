// The settings files are text that people edit by hand: whatever they hold, reading
// must not fail, and what is written back must read back to the same content.
#include "platform/win/RegistryText.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RegFile first;
    ParseRegistryText(HKEY_CURRENT_USER, text, first);
    std::string written = RegistryToText(HKEY_CURRENT_USER, first);
    RegFile second;
    ParseRegistryText(HKEY_CURRENT_USER, written, second);
    if (second.badLines != 0 || RegistryToText(HKEY_CURRENT_USER, second) != written)
        std::abort();
    return 0;
}
