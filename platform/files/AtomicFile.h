#pragma once
// Saving without ever leaving a half-written file behind: the bytes go to "<path>.tmp"
// in the same folder, are flushed to disk, and only then renamed over the target.

#include <cstddef>
#include <filesystem>
#include <system_error>

namespace platform {

struct AtomicWriteResult
{
    enum Step
    {
        Done,    // the new file is in place
        Create,  // the temporary file could not be made
        Write,   // writing or flushing the temporary file failed
        Backup,  // the previous file could not be moved aside
        Replace, // the temporary file could not be renamed over the target
    };
    Step step = Done;
    std::error_code error; // why that step failed

    explicit operator bool() const { return step == Done; }
};

// The temporary file's name: "<path>.tmp", or "<path>.XXXXXX" made unique (readable by
// the owner only) for files that several programs may save at the same time.
enum class TempName
{
    Fixed,
    Unique
};

// Writes `size` bytes to `path` through the temporary file. On failure the temporary
// file is removed and the previous file, if any, is as it was. With a `backup` path the
// previous file is moved there just before the new one takes its place (and moved back
// should that last rename fail).
AtomicWriteResult WriteFileAtomically(const std::filesystem::path& path, const void* data, size_t size,
                                      const std::filesystem::path* backup = nullptr,
                                      TempName tempName = TempName::Fixed);

} // namespace platform

namespace platform {

// Puts the folder `fresh` in the place of `target` (which may not exist): the old
// folder is moved aside, the fresh one renamed into place, and only then is the old
// one removed; should the rename fail the old folder is moved back. `fresh` must lie
// on the same file system as `target`.
bool ReplaceFolder(const std::filesystem::path& fresh, const std::filesystem::path& target,
                   std::error_code& error);

} // namespace platform
