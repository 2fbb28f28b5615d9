#pragma once
// Reading ini files. Section and key names are compared ignoring ASCII case; the
// file name is a Windows-style path.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The leading decimal number of the value (0 when it has none); `defaultValue` when
// the file, the section or the key is missing.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         std::string_view fileName);
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string_view fileName);

// The value of a key in ini text (already in text mode), without surrounding blanks
// and quotes; nothing when the section or key is missing.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// A text line without blanks and tabs at either end or a CR at its end (the line
// readers of ini files and input scripts share it).
std::string_view TrimLine(std::string_view s);

} // namespace platform
