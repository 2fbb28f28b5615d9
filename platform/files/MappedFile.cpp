#include "platform/files/MappedFile.h"

#include "platform/files/WinPath.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

CMappedFile::~CMappedFile()
{
    Close();
}

void CMappedFile::Close()
{
    if (m_mapped)
        ::munmap(const_cast<uint8_t*>(m_data), m_size);
    m_data = nullptr;
    m_size = 0;
    m_mapped = false;
}

bool CMappedFile::Open(std::string_view path, std::error_code* error)
{
    Close();
    auto fail = [&](int code) {
        if (error)
            *error = std::error_code(code, std::generic_category());
        return false;
    };
    const int fd = ::open(ResolvePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int code = S_ISDIR(st.st_mode) ? EISDIR : errno ? errno : EINVAL;
        ::close(fd);
        return fail(code);
    }
    if (st.st_size == 0) {
        ::close(fd);
        return true;
    }
    // Populated at once: one call sets up every page instead of a fault per page.
    void* p = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    const int code = errno;
    ::close(fd);
    if (p == MAP_FAILED)
        return fail(code);
    m_data = static_cast<const uint8_t*>(p);
    m_size = size_t(st.st_size);
    m_mapped = true;
    return true;
}

} // namespace platform
