#include "platform/files/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace platform {

namespace {

std::error_code LastError()
{
    return std::error_code(errno, std::generic_category());
}

bool WriteAll(int fd, const void* data, size_t size)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

AtomicWriteResult WriteFileAtomically(const std::filesystem::path& path, const void* data, size_t size,
                                      const std::filesystem::path* backup, TempName tempName)
{
    namespace fs = std::filesystem;
    AtomicWriteResult result;
    fs::path temp = path;
    int fd = -1;
    if (tempName == TempName::Unique) {
        std::string pattern = path.string() + ".XXXXXX";
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        temp = pattern;
    } else {
        temp += ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    }
    auto failAndRemove = [&](AtomicWriteResult::Step step, std::error_code why) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        result.step = step;
        result.error = why;
        return result;
    };

    if (fd < 0) {
        result.step = AtomicWriteResult::Create;
        result.error = LastError();
        return result;
    }
    bool ok = size == 0 || WriteAll(fd, data, size);
    std::error_code why = ok ? std::error_code() : LastError();
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        why = LastError();
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = LastError();
    }
    if (!ok)
        return failAndRemove(AtomicWriteResult::Write, why);

    std::error_code ec;
    const bool moveOld = backup && fs::exists(path, ec);
    if (moveOld) {
        fs::rename(path, *backup, ec);
        if (ec)
            return failAndRemove(AtomicWriteResult::Backup, ec);
    }
    fs::rename(temp, path, ec);
    if (ec) {
        if (moveOld) {
            std::error_code ignored;
            fs::rename(*backup, path, ignored);
        }
        return failAndRemove(AtomicWriteResult::Replace, ec);
    }
    return result;
}

} // namespace platform

namespace platform {

bool ReplaceFolder(const std::filesystem::path& fresh, const std::filesystem::path& target,
                   std::error_code& error)
{
    namespace fs = std::filesystem;
    error.clear();
    fs::path old = target;
    old += ".old";
    std::error_code ignored;
    fs::remove_all(old, ignored);
    const bool hadOld = fs::exists(target, ignored);
    if (hadOld) {
        fs::rename(target, old, error);
        if (error)
            return false;
    }
    fs::rename(fresh, target, error);
    if (error) {
        if (hadOld)
            fs::rename(old, target, ignored);
        return false;
    }
    fs::remove_all(old, ignored);
    return true;
}

} // namespace platform
