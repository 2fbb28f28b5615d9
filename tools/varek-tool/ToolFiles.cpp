#include "tools/varek-tool/ToolFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "GAMES/Rulo2/world/ChunkFile.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/Files.h"

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error)
{
    std::error_code ec;
    if (platform::ReadFile(path, data, &ec))
        return true;
    error = ec == std::errc::is_a_directory ? "is a folder, not a file"
            : ec == std::errc::no_such_file_or_directory || ec == std::errc::permission_denied
                ? "cannot open: " + ec.message()
                : "cannot read: " + ec.message();
    return false;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size, std::string& error)
{
    // As other file tools do, the output is renamed into place whole but not
    // flushed to disk: the caller decides on that (sync), and it would cost more
    // than the rest of a pack or unpack.
    const auto r = platform::WriteFileAtomically(path, data, size, nullptr, platform::TempName::Fixed,
                                                 platform::Flush::No);
    switch (r.step) {
    case platform::AtomicWriteResult::Done:
        return true;
    case platform::AtomicWriteResult::Create:
        error = "cannot create: " + r.error.message();
        break;
    case platform::AtomicWriteResult::Write:
        error = "cannot write: " + r.error.message();
        break;
    default:
        error = "cannot replace: " + r.error.message();
        break;
    }
    return false;
}

int ToolFail(const char* group, const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "varek-tool %s: %s: %s\n", group, file.c_str(), reason.c_str());
    return 1;
}

int ToolLosses(const char* group, const std::string& file, bool listed)
{
    const std::vector<std::string>& losses = LoadLosses();
    if (losses.empty())
        return 0;
    for (const std::string& line : listed ? std::vector<std::string>{} : losses)
        std::fprintf(stderr, "varek-tool %s: %s: %s\n", group, file.c_str(), line.c_str());
    std::fprintf(stderr, "varek-tool %s: %s: loaded with losses (%zu skipped)\n", group, file.c_str(),
                 losses.size());
    return 2;
}

CToolLog::CToolLog()
    : path_((std::filesystem::temp_directory_path() / ("varek-tool-" + std::to_string(::getpid()) + ".log"))
                .string())
{
    static const uint8_t on = 1;
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    LogPrintfSetTarget(&on, path_.c_str());
}

CToolLog::~CToolLog()
{
    LogPrintfSetTarget(nullptr, "");
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

void CToolLog::Pass() const
{
    std::vector<uint8_t> log;
    std::string ignored;
    if (ReadWholeFile(path_, log, ignored))
        std::fwrite(log.data(), 1, log.size(), stderr);
}
