#pragma once
// Windows-style paths on a case-sensitive file system.
//
// The game builds its paths the Windows way ("data\sounds.txt", "c:\snapshot00001.bmp",
// "\Savegame"). ResolvePath turns such a path into a native one:
//   - '\' separates components like '/';
//   - a drive prefix ("c:\", "D:/") and a leading single '\' mean the program folder;
//   - a leading '/' is a native absolute path and stays one;
//   - anything else is relative to the current folder;
//   - each component is taken as written when it exists, otherwise the first entry of
//     the folder whose name matches it ignoring ASCII case; when none matches, the rest
//     of the path is kept as written (so new files get the name the caller chose).

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The folder that "c:\" and a leading '\' stand for. By default the folder of the
// running executable.
std::filesystem::path ProgramFolder();
void SetProgramFolder(const std::filesystem::path& folder);

std::filesystem::path ResolvePath(std::string_view winPath);

// Compare and fold case on the ASCII letters only: names are Windows-1252 bytes.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Windows wildcard match on one name ('*' any run, '?' one character), ignoring
// ASCII case. "*.*" matches every name, with or without a dot.
bool MatchWildcard(std::string_view pattern, std::string_view name);

} // namespace platform
