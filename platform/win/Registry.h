#pragma once
// The registry stand-in: keys and values kept in text files of the REGEDIT4 format
// under $XDG_CONFIG_HOME/varek/ (or ~/.config/varek/): "user.reg" for
// HKEY_CURRENT_USER, "system.reg" for HKEY_LOCAL_MACHINE. Key and value names keep
// their case and are compared ignoring ASCII case. Reading never creates a key or
// a file; every write replaces the file through a temporary file and a rename, so a
// failed write leaves the old file as it was.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum HKEY : uint32_t
{
    HKEY_CURRENT_USER = 0x80000001u,
    HKEY_LOCAL_MACHINE = 0x80000002u,
};

constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;

struct RegValue
{
    uint32_t type = REG_NONE;
    std::vector<uint8_t> data; // REG_SZ: the text bytes as stored; REG_DWORD: 4 bytes LE
};

// The file behind a root key.
std::string RegistryFile(HKEY root);

bool RegKeyExists(HKEY root, std::string_view subKey);
bool RegQueryValue(HKEY root, std::string_view subKey, std::string_view name, RegValue& value);
// Creates the key (and the file and folder) when needed.
bool RegSetValue(HKEY root, std::string_view subKey, std::string_view name, const RegValue& value);
bool RegDeleteValue(HKEY root, std::string_view subKey, std::string_view name);
// Deletes the key with its sub-keys.
bool RegDeleteKey(HKEY root, std::string_view subKey);

} // namespace platform
