#pragma once
// A whole file seen in memory without copying it: the pages of the system's file
// cache mapped read-only. Large files load at the speed of the cache, and no
// fresh buffer of the file's size has to be made (and zeroed) for every load.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <system_error>

namespace platform {

class CMappedFile
{
public:
    CMappedFile() = default;
    ~CMappedFile();
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    // Maps the file at a Windows-style or native path; false with the reason.
    // An empty file opens with no bytes.
    bool Open(std::string_view path, std::error_code* error = nullptr);
    void Close();

    const uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    bool m_mapped = false;
};

} // namespace platform
