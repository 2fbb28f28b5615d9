#pragma once

// Whole-file reading and writing for the tool's groups. Errors come back as
// text (the reason only; the caller names the file).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error);

// Writes through a temporary file in the same folder that is renamed over
// the target, so a failed write leaves the old file as it was; not flushed to
// disk before the rename.
bool WriteWholeFile(const std::string& path, const void* data, size_t size, std::string& error);

// "varek-tool GROUP: FILE: REASON" on stderr; returns 1 for the exit code.
int ToolFail(const char* group, const std::string& file, const std::string& reason);

// After a load that went through: every part the loader skipped, one line each on stderr, then
// "loaded with losses". Returns 2 when anything was skipped, else 0. With `listed` the lines
// have reached stderr already (through the loader's log) and only the summary follows.
int ToolLosses(const char* group, const std::string& file, bool listed = false);

class CTaskList;
// A task list as a tree: items with type, start time and parameter prints, then
// each dependency with its description, its path code below `root` (when given)
// and its child list one level deeper.
void DumpTaskList(const CTaskList& list, int depth, const CTaskList* root = nullptr);
