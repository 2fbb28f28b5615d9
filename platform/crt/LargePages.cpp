#include "platform/crt/LargePages.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace crt {

void AdviseLargePages(void* data, std::size_t bytes)
{
    // Below a few large pages the advice buys nothing and splits the mapping.
    constexpr std::size_t kLargePage = std::size_t(2) << 20;
    if (!data || bytes < 2 * kLargePage)
        return;
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto start = (std::uintptr_t(data) + page - 1) & ~(page - 1);
    const auto end = (std::uintptr_t(data) + bytes) & ~(page - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

} // namespace crt
