#pragma once
// Large buffers that are about to be filled: asking for large pages makes the
// kernel map them 2 MB at a time instead of faulting in every 4 KB page, which
// costs more than the filling itself on a buffer of many megabytes.

#include <cstddef>

namespace crt {

// Advises the whole pages inside [data, data + bytes) to be backed by large pages.
// Small ranges and systems without the advice are left as they are; nothing about
// the memory's contents or ownership changes.
void AdviseLargePages(void* data, std::size_t bytes);

} // namespace crt
