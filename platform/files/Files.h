#pragma once
// File operations on Windows-style paths (see WinPath.h for how a path is resolved).
// Results follow the Win32 calls they stand in for: true on success, false otherwise.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform {

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;

struct FindData
{
    std::string cFileName; // the name as stored on disk, without folder
    uint32_t dwFileAttributes = 0;
    uint64_t nFileSize = 0;
};

struct FindState;
using FindHandle = FindState*;
constexpr FindHandle INVALID_FIND_HANDLE = nullptr;

// Pattern = folder part (resolved like any path) + a name with '*' and '?'.
// The matches come in case-insensitive name order; "." and ".." are never returned.
// INVALID_FIND_HANDLE when nothing matches.
FindHandle FindFirstFile(std::string_view pattern, FindData& data);
bool FindNextFile(FindHandle handle, FindData& data);
void FindClose(FindHandle handle);

// All matches of a pattern, names only, in the order FindFirstFile gives them.
std::vector<std::string> FindFiles(std::string_view pattern);

// Copies a regular file. With failIfExists an existing target is left alone and the
// result is false.
bool CopyFile(std::string_view from, std::string_view to, bool failIfExists);
bool DeleteFile(std::string_view path);
// False when the folder already exists or cannot be made; the parent must exist.
bool CreateDirectory(std::string_view path);
bool RemoveDirectory(std::string_view path);

// Native path of the current folder, without a trailing separator.
std::string GetCurrentDirectory();
bool SetCurrentDirectory(std::string_view path);

// _access: mode 0 exists, 2 writable, 4 readable, 6 both. 0 when allowed, -1 otherwise.
int Access(std::string_view path, int mode);

// _splitpath: drive ("c:"), folder with its trailing separator, name, extension
// with its dot. Works on the text only, separators as written.
void SplitPath(std::string_view path, std::string* drive, std::string* dir, std::string* fname,
               std::string* ext);

// fopen on the resolved path; 't' in the mode is dropped (read text with ReadTextFile).
std::FILE* OpenFile(std::string_view path, const char* mode);

// Reads a whole file in binary.
bool ReadFile(std::string_view path, std::string& bytes);
// The same into a byte vector; `error` (when given) says why it failed.
bool ReadFile(std::string_view path, std::vector<uint8_t>& bytes, std::error_code* error = nullptr);

// Reads a whole file as the original run-time's text mode does: a CR directly before
// an LF is dropped and the text ends at the first Ctrl-Z.
bool ReadTextFile(std::string_view path, std::string& text);
std::string TextModeFilter(std::string_view raw);

} // namespace platform
