#include "tools/varek-tool/ToolFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "GAMES/Rulo2/world/ChunkFile.h"
#include "platform/files/AtomicFile.h"

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = "is a folder, not a file";
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    data.clear();
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        data.insert(data.end(), buf, buf + n);
    const bool failed = std::ferror(f) != 0;
    const int readErrno = errno;
    std::fclose(f);
    if (failed) {
        error = std::string("cannot read: ") + std::strerror(readErrno);
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size, std::string& error)
{
    const auto r = platform::WriteFileAtomically(path, data, size);
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

int ToolLosses(const char* group, const std::string& file)
{
    const std::vector<std::string>& losses = LoadLosses();
    if (losses.empty())
        return 0;
    for (const std::string& line : losses)
        std::fprintf(stderr, "varek-tool %s: %s: %s\n", group, file.c_str(), line.c_str());
    std::fprintf(stderr, "varek-tool %s: %s: loaded with losses (%zu skipped)\n", group, file.c_str(),
                 losses.size());
    return 2;
}
