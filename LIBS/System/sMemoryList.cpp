#include "LIBS/System/sList.h"

namespace {
// A zero header followed by one word, shared by every empty list.
struct alignas(16) EmptyListBlock
{
    sMemory::Header header;
    uint32_t word[4];
};
EmptyListBlock emptyListBlock{};
} // namespace

void* sListEmptyData() noexcept
{
    return &emptyListBlock.word[0];
}
