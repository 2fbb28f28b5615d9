#include "LIBS/System/sMemory.h"

#include "LIBS/System/sLog.h"

#include <cstdlib>
#include <cstring>

void* sMemory::arena = nullptr;

const char* sMemory::Exception::textFor(int32_t code) noexcept
{
    switch (code) {
    case 1:
        return "Attempted to allocate memory before initialisation of shared arena";
    case 2:
        return "No more memory for allocation on heap";
    case 3:
        return "Unable to resize heap for memory allocation";
    case 4:
    case 5:
    case 6:
        return "Memory block corrupted";
    case 7:
        return "Attempted to allocate memory block with NULL bytes";
    case 8:
        return "Memory block unreferenced to often";
    default:
        return "Invalid exception handler";
    }
}

void* sMemory::operator new(size_t elementSize, int, size_t byteCount)
{
    size_t bytes = byteCount;
    int32_t single = 0;
    if (elementSize != 1 && byteCount == 0) {
        bytes = elementSize;
        single = 1;
    }
    if (bytes == 0) {
        SLOG_FATAL("sMemory::operator new: Illegal size, attempted to allocate block with 0 Bytes");
        throw Exception(7);
    }
    // The size field is 32 bits wide; larger requests cannot be described.
    if (bytes > 0xFFFFFFFFu - sizeof(Header) - 3)
        throw Exception(2);
    size_t storage = ((bytes + 3) & ~size_t{3}) + sizeof(Header);
    void* raw = std::malloc(storage);
    if (!raw)
        throw Exception(2);
    Header* h = static_cast<Header*>(raw);
    std::memset(h->pad, 0, sizeof h->pad);
    h->refCount = 0;
    h->size = static_cast<uint32_t>(bytes);
    h->link = 0;
    h->single = single;
    h->prev = 0;
    h->next = 0;
    h->magic = MagicLive;
    return static_cast<char*>(raw) + sizeof(Header);
}

bool sMemory::isBlock(const void* p) noexcept
{
    return p && header(p)->magic == MagicLive;
}

void sMemory::operator delete(void* p) noexcept
{
    if (!isBlock(p))
        return;
    Header* h = header(p);
    h->magic = MagicFreed;
    std::free(h);
}

int32_t sMemory::addRef(void* p) noexcept
{
    return ++header(p)->refCount;
}

int32_t sMemory::release(void* p) noexcept
{
    return --header(p)->refCount;
}

void sMemory::deleteObjects(void* p, size_t elementSize, DestroyFn destroy)
{
    if (!p)
        return;
    Header* h = header(p);
    if (destroy) {
        if (h->single) {
            destroy(p);
        } else if (elementSize > 0) {
            size_t n = h->size / elementSize;
            char* base = static_cast<char*>(p);
            while (n > 0) {
                --n;
                destroy(base + n * elementSize);
            }
        }
    }
    operator delete(p);
}

void sMemory::releaseObjects(void* p, size_t elementSize, DestroyFn destroy)
{
    if (!p)
        return;
    if (release(p) == 0)
        deleteObjects(p, elementSize, destroy);
}

namespace {
// The arena's record: two words for its own header, then two zero words.
struct ArenaData
{
    void* first;
    void* last;
};
static_assert(sizeof(ArenaData) == 16);
} // namespace

void sMemory::init()
{
    if (arena)
        return;
    void* p = operator new(1, 0, sizeof(ArenaData));
    Header* h = header(p);
    h->refCount = 1;
    h->prev = 0;
    h->next = 0;
    ArenaData* data = static_cast<ArenaData*>(p);
    data->first = h;
    data->last = h;
    arena = p;
}

void sMemory::shutdown()
{
    if (!arena)
        return;
    // Blocks are not entered into the arena chain (its words are 32 bits and
    // cannot hold a pointer here), so the walk of the chain finds nothing to
    // report; only the arena itself is freed.
    operator delete(arena);
    arena = nullptr;
}
