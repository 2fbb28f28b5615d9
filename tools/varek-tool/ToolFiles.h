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

// While it lives, the program's log lines are caught in a scratch file; Pass()
// sends what was caught to stderr (the loaders say there where a file breaks).
class CToolLog
{
public:
    CToolLog();
    ~CToolLog();
    CToolLog(const CToolLog&) = delete;
    CToolLog& operator=(const CToolLog&) = delete;
    void Pass() const;

private:
    std::string path_;
};

class CKindData;
class CKindState;
class CTaskList;
// Kind data and conditions as `world logic` shows them, indented by `depth` steps.
void DumpKindData(const CKindData& data, int depth);
void DumpConditions(const CKindState& conditions, int depth);
// A task list as a tree: items with type, start time and parameter prints, then
// each dependency with its description, its path code below `root` (when given)
// and its child list one level deeper.
void DumpTaskList(const CTaskList& list, int depth, const CTaskList* root = nullptr);
