#pragma once
// Reference-counted heap blocks under the library's containers.
//
// Every block carries a header of nine 32-bit words directly in front of the
// pointer callers see. Owners share a block by counting references: a new
// owner calls addRef; an owner that lets go calls release and, when that
// returns a value below 1, frees the block with operator delete.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <type_traits>
#include <utility>

// Base of the library's exceptions: a code and a constant message.
class sException : public std::exception
{
public:
    sException(int32_t c, const char* m) noexcept : code(c), message(m) {}
    const char* what() const noexcept override { return message; }

    int32_t code;
    const char* message;
};

class sMemory
{
public:
    static constexpr uint32_t MagicLive = 0xBABEB11Cu;
    static constexpr uint32_t MagicFreed = 0xDEADB00Cu;

    // The nine words in front of the user pointer. The three leading pad words
    // keep user data 16-byte aligned on a 64-bit heap; they are not part of the
    // block's record.
    struct Header
    {
        uint32_t pad[3];
        int32_t refCount; // owners; 0 after allocation
        uint32_t size;    // requested bytes, or the object size of a single-object block
        uint32_t link;    // arena chain word, 0
        int32_t single;   // 1: one object; 0: bytes or an array
        int32_t capacity; // element capacity, kept by the lists
        int32_t count;    // element count, kept by the lists
        uint32_t prev;    // arena chain words; blocks are not entered into the chain
        uint32_t next;
        uint32_t magic; // MagicLive while live, MagicFreed after freeing
    };
    static_assert(sizeof(Header) == 48, "user data must stay 16-byte aligned");
    static constexpr size_t HeaderWords = 9;

    class Exception : public sException
    {
    public:
        explicit Exception(int32_t c) noexcept : sException(c, textFor(c)) {}
        static const char* textFor(int32_t code) noexcept;
    };

    // A block for `byteCount` bytes when elementSize is 1; otherwise a block for
    // one object of elementSize bytes when byteCount is 0, or byteCount bytes.
    // Throws Exception code 7 for a zero-byte request (after a fatal log line)
    // and code 2 when the heap is exhausted. Contents are not cleared.
    static void* operator new(size_t elementSize, int reserved, size_t byteCount);

    // Frees a block of this allocator (stamping it MagicFreed). A pointer that
    // does not carry the live magic is left untouched; null is ignored.
    static void operator delete(void* p) noexcept;

    static int32_t addRef(void* p) noexcept;
    // Never frees: the caller frees when the result is below 1.
    static int32_t release(void* p) noexcept;

    using DestroyFn = void (*)(void* element);
    // Destroys what the block holds (one object, or size / elementSize elements
    // last first) and frees it. Null is ignored.
    static void deleteObjects(void* p, size_t elementSize, DestroyFn destroy);
    // Drops one reference; at exactly 0 continues as deleteObjects.
    static void releaseObjects(void* p, size_t elementSize, DestroyFn destroy);

    static void init();
    static void shutdown();
    static bool isInitialised() noexcept { return arena != nullptr; }

    static Header* header(void* p) noexcept
    {
        return reinterpret_cast<Header*>(static_cast<char*>(p) - sizeof(Header));
    }
    static const Header* header(const void* p) noexcept
    {
        return reinterpret_cast<const Header*>(static_cast<const char*>(p) - sizeof(Header));
    }
    // True when the word in front of `p` is the live magic.
    static bool isBlock(const void* p) noexcept;

    // One object of type T in a single-object block, reference count 0.
    template <class T, class... Args>
    static T* newObject(Args&&... args)
    {
        // An element size of 1 means bytes, so a one-byte type is asked for as
        // one byte and marked as a single object afterwards.
        void* mem = sizeof(T) == 1 ? operator new(1, 0, 1) : operator new(sizeof(T), 0, 0);
        header(mem)->single = 1;
        try {
            return ::new (mem) T(std::forward<Args>(args)...);
        } catch (...) {
            operator delete(mem);
            throw;
        }
    }

    // Destroys an object made by newObject and frees its block.
    template <class T>
    static void deleteObject(T* p)
    {
        if (!p)
            return;
        void* block = p;
        if constexpr (std::is_polymorphic_v<T>)
            block = dynamic_cast<void*>(p);
        p->~T();
        operator delete(block);
    }

    // Drops one reference of an object made by newObject; destroys and frees
    // it when no owner is left.
    template <class T>
    static void releaseObject(T* p)
    {
        if (!p)
            return;
        void* block = p;
        if constexpr (std::is_polymorphic_v<T>)
            block = dynamic_cast<void*>(p);
        if (release(block) < 1)
            deleteObject(p);
    }

    template <class T>
    static int32_t addRefObject(T* p) noexcept
    {
        if constexpr (std::is_polymorphic_v<T>)
            return addRef(dynamic_cast<void*>(p));
        else
            return addRef(p);
    }

private:
    static void* arena;
};
