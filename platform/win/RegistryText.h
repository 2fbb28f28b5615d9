#pragma once
// The text form of the registry files (REGEDIT4), apart from the files themselves.

#include "platform/win/Registry.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

struct RegKey
{
    std::string path; // below the root, '\' separated
    std::vector<std::pair<std::string, RegValue>> values;
};

struct RegFile
{
    std::vector<RegKey> keys;
    int badLines = 0; // lines that could not be read and were skipped
};

// Keys of other roots count as unreadable lines.
void ParseRegistryText(HKEY root, std::string_view text, RegFile& file);
std::string RegistryToText(HKEY root, const RegFile& file);

} // namespace platform
