#pragma once
// Copy-on-write lists stored in one sMemory block.
//
// A list is one pointer wide: the user pointer of an sMemory block whose
// header keeps the capacity and the count. Copies share the block by
// reference. Every operation that enlarges a list gives this owner a block of
// its own when the block is shared, so the other owners keep their elements
// and count. Operations that do not enlarge (removeRange, eraseRange, clear,
// writes into slots) work on the block in place, shared or not. All empty
// lists point at one static block that is never counted, written or freed.

#include "LIBS/System/sLog.h"
#include "LIBS/System/sMemory.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

// The static empty block's user pointer (a zero header in front of it).
void* sListEmptyData() noexcept;

// How a list instance copies, moves and destroys its elements.
template <class T>
struct sListValueOps
{
    static void copyConstruct(T* dst, const T& src) { ::new (static_cast<void*>(dst)) T(src); }
    static void defaultConstruct(T* dst) { ::new (static_cast<void*>(dst)) T(); }
    // Moves an element into uninitialised storage and ends the source.
    static void relocate(T* dst, T* src)
    {
        if constexpr (std::is_trivially_copyable_v<T>) {
            std::memcpy(static_cast<void*>(dst), static_cast<const void*>(src), sizeof(T));
        } else {
            ::new (static_cast<void*>(dst)) T(std::move(*src));
            src->~T();
        }
    }
    static void destroy(T* e) { e->~T(); }
    static constexpr const char* clearWarning = "List cleared while referenced twice! Data may be corrupted.";
};

template <class T, class Ops>
class sListImpl
{
public:
    using value_type = T;

    sListImpl() noexcept : data(emptyData()) {}
    sListImpl(const sListImpl& other) noexcept : data(other.data)
    {
        if (!isEmptyBlock())
            sMemory::addRef(data);
    }
    sListImpl(sListImpl&& other) noexcept : data(other.data) { other.data = emptyData(); }
    sListImpl& operator=(const sListImpl& other)
    {
        if (data != other.data) {
            sListImpl copy(other);
            swap(copy);
        }
        return *this;
    }
    sListImpl& operator=(sListImpl&& other) noexcept
    {
        if (this != &other) {
            release();
            data = other.data;
            other.data = emptyData();
        }
        return *this;
    }
    ~sListImpl() { release(); }

    void swap(sListImpl& other) noexcept { std::swap(data, other.data); }

    int32_t count() const noexcept { return sMemory::header(data)->count; }
    int32_t capacity() const noexcept { return sMemory::header(data)->capacity; }
    bool empty() const noexcept { return count() == 0; }
    // Number of owners of the storage (0 for the static empty block).
    int32_t refCount() const noexcept { return sMemory::header(data)->refCount; }
    bool isEmptyBlock() const noexcept { return data == emptyData(); }
    const void* storage() const noexcept { return data; }

    T& operator[](int32_t i) noexcept { return data[i]; }
    const T& operator[](int32_t i) const noexcept { return data[i]; }
    T* begin() noexcept { return data; }
    T* end() noexcept { return data + count(); }
    const T* begin() const noexcept { return data; }
    const T* end() const noexcept { return data + count(); }

    // Appends a copy of `element` (which may live in this list) and returns its index.
    int32_t append(const T& element)
    {
        Header* h = sMemory::header(data);
        if (h->count < h->capacity && h->refCount < 2) {
            Ops::copyConstruct(data + h->count, element);
            return h->count++;
        }
        return appendGrow(element);
    }

    // The enlarging path of append, taken always.
    int32_t appendGrow(const T& element)
    {
        int32_t oldCount = count();
        T* fresh = expandedBlock(oldCount + 1);
        try {
            Ops::copyConstruct(fresh + oldCount, element);
        } catch (...) {
            sMemory::operator delete(fresh);
            throw;
        }
        try {
            adoptBlock(fresh, oldCount, __LINE__);
        } catch (...) {
            Ops::destroy(fresh + oldCount);
            sMemory::operator delete(fresh);
            throw;
        }
        sMemory::header(data)->count = oldCount + 1;
        return oldCount;
    }

    // Reserves one default-constructed slot at the end; returns its index.
    int32_t add()
    {
        Header* h = sMemory::header(data);
        if (h->count >= h->capacity || h->refCount >= 2)
            grow();
        h = sMemory::header(data);
        Ops::defaultConstruct(data + h->count);
        return h->count++;
    }

    // Doubles the capacity, with a floor of 16 slots.
    void grow() { resize(nextCapacity(capacity())); }

    // Gives the list a block of n slots holding the first min(count, n)
    // elements; n below 1 empties it.
    void resize(int32_t n)
    {
        if (n < 1) {
            release();
            return;
        }
        T* fresh = allocate(n);
        int32_t keep = count() < n ? count() : n;
        try {
            adoptBlock(fresh, keep, __LINE__);
        } catch (...) {
            sMemory::operator delete(fresh);
            throw;
        }
    }

    // Grows to n default-constructed elements, or cuts the tail down to n.
    void setCount(int32_t n)
    {
        int32_t old = count();
        if (n < old) {
            removeRange(n < 0 ? 0 : n, -1);
            return;
        }
        if (n == old)
            return;
        if (n > capacity() || refCount() >= 2)
            resize(n > capacity() ? n : capacity());
        for (int32_t i = old; i < n; ++i)
            Ops::defaultConstruct(data + i);
        sMemory::header(data)->count = n;
    }

    // Removes n elements at index, keeping the order; n negative cuts the tail.
    void removeRange(int32_t index, int32_t n)
    {
        int32_t c = count();
        if (index < 0)
            index = 0;
        if (index >= c)
            return;
        int32_t m = (n < 0 || n > c - index) ? c - index : n;
        if (m <= 0)
            return;
        for (int32_t i = index; i < index + m; ++i)
            Ops::destroy(data + i);
        for (int32_t i = index + m; i < c; ++i)
            Ops::relocate(data + i - m, data + i);
        sMemory::header(data)->count = c - m;
    }

    // Removes n elements at index by moving the last elements into the gap
    // (the order is not kept); n negative cuts the tail. Returns the new count.
    int32_t eraseRange(int32_t index, int32_t n)
    {
        int32_t c = count();
        if (index < 0)
            index = 0;
        if (index >= c)
            return c;
        int32_t m = (n < 0 || n > c - index) ? c - index : n;
        if (m <= 0)
            return c;
        for (int32_t i = index; i < index + m; ++i)
            Ops::destroy(data + i);
        // Fill the gap from the end; when fewer elements follow the range
        // than it held, those few close the gap.
        int32_t from = (index + m > c - m) ? index + m : c - m;
        for (int32_t i = from, to = index; i < c; ++i, ++to)
            Ops::relocate(data + to, data + i);
        sMemory::header(data)->count = c - m;
        return c - m;
    }

    // Destroys every element, last first; the storage stays.
    void clear()
    {
        if (isEmptyBlock())
            return;
        Header* h = sMemory::header(data);
        if (h->refCount >= 2)
            SLOG_WARNING("%s", Ops::clearWarning);
        while (h->count > 0) {
            --h->count;
            Ops::destroy(data + h->count);
        }
    }

    // Lets go of the storage: the last owner destroys the elements and frees
    // it. The list is empty afterwards.
    void release()
    {
        if (isEmptyBlock())
            return;
        T* old = data;
        data = emptyData();
        if (sMemory::release(old) < 1)
            destroyAndFree(old);
    }

protected:
    using Header = sMemory::Header;

    static T* emptyData() noexcept { return static_cast<T*>(sListEmptyData()); }

    static int32_t nextCapacity(int32_t cap) noexcept { return cap < 16 ? 16 : cap * 2; }

    static T* allocate(int32_t n)
    {
        T* fresh = static_cast<T*>(sMemory::operator new(1, 0, sizeof(T) * static_cast<size_t>(n)));
        Header* h = sMemory::header(fresh);
        h->capacity = n;
        h->count = 0;
        return fresh;
    }

    // A block for growing to `needed` elements: doubled capacity, or the same
    // capacity when only a private copy is wanted.
    T* expandedBlock(int32_t needed)
    {
        int32_t cap = capacity();
        return allocate(needed > cap ? nextCapacity(cap) : cap);
    }

    // Moves (or, when the old block is shared, copies) the first `keep`
    // elements into `fresh`, takes a reference to it and lets go of the old
    // block. When a copy throws, the list is unchanged and `fresh` is the
    // caller's to free.
    void adoptBlock(T* fresh, int32_t keep, int line)
    {
        T* old = data;
        if (isEmptyBlock()) {
            sMemory::addRef(fresh);
            data = fresh;
            sMemory::header(fresh)->count = 0;
            return;
        }
        Header* oh = sMemory::header(old);
        if (oh->refCount >= 2) {
            sLogWarning(
                __FILE__, line,
                "sList::resize: dynamic resizable list referenced more than once, will duplicate the list");
            int32_t done = 0;
            try {
                for (; done < keep; ++done)
                    Ops::copyConstruct(fresh + done, old[done]);
            } catch (...) {
                while (done > 0)
                    Ops::destroy(fresh + --done);
                throw;
            }
            sMemory::addRef(fresh);
            sMemory::header(fresh)->count = keep;
            data = fresh;
            sMemory::release(old);
            return;
        }
        sMemory::addRef(fresh);
        for (int32_t i = 0; i < keep; ++i)
            Ops::relocate(fresh + i, old + i);
        for (int32_t i = oh->count - 1; i >= keep; --i)
            Ops::destroy(old + i);
        oh->count = 0;
        sMemory::header(fresh)->count = keep;
        data = fresh;
        sMemory::release(old);
        sMemory::operator delete(old);
    }

    static void destroyAndFree(T* block)
    {
        Header* h = sMemory::header(block);
        while (h->count > 0) {
            --h->count;
            Ops::destroy(block + h->count);
        }
        sMemory::operator delete(block);
    }

    T* data;
};

template <class T>
class sList : public sListImpl<T, sListValueOps<T>>
{
public:
    using sListImpl<T, sListValueOps<T>>::sListImpl;
};
