#include "LIBS/System/sLog.h"
#include "LIBS/System/sMemory.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/LogCapture.h"

namespace {

class sMemoryTest : public ::testing::Test
{
protected:
    LogCapture log;
};

TEST_F(sMemoryTest, HeaderOfNewBlock)
{
    struct Case
    {
        size_t elementSize, byteCount;
        uint32_t size;
        int32_t single;
    };
    const Case cases[] = {
        {1, 1, 1, 0}, {1, 3, 3, 0}, {1, 100, 100, 0}, {24, 0, 24, 1}, {24, 96, 96, 0},
    };
    for (const Case& c : cases) {
        void* p = sMemory::operator new(c.elementSize, 0, c.byteCount);
        const sMemory::Header* h = sMemory::header(p);
        EXPECT_EQ(h->refCount, 0);
        EXPECT_EQ(h->size, c.size);
        EXPECT_EQ(h->single, c.single);
        EXPECT_EQ(h->magic, sMemory::MagicLive);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
        sMemory::operator delete(p);
    }
}

TEST_F(sMemoryTest, SmallRequestsOccupyFourDataBytes)
{
    // Writing all four bytes of a 1-byte block stays inside the allocation
    // (the sanitizer build checks this).
    for (size_t n = 1; n <= 3; ++n) {
        auto* p = static_cast<unsigned char*>(sMemory::operator new(1, 0, n));
        for (int i = 0; i < 4; ++i)
            p[i] = 0xAB;
        EXPECT_EQ(sMemory::header(p)->size, n);
        sMemory::operator delete(p);
    }
}

TEST_F(sMemoryTest, ZeroBytesLogsOneFatalLineAndThrowsCode7)
{
    try {
        sMemory::operator new(1, 0, 0);
        FAIL() << "no exception";
    } catch (const sMemory::Exception& e) {
        EXPECT_EQ(e.code, 7);
        EXPECT_STREQ(e.message, "Attempted to allocate memory block with NULL bytes");
    }
    std::string s = log.text();
    EXPECT_EQ(s.rfind("[!]FATAL:  @ LIBS/System/sMemory.cpp(", 0), 0u) << s;
    EXPECT_NE(s.find("):   sMemory::operator new: Illegal size, attempted to allocate block with 0 Bytes\n"),
              std::string::npos);
    EXPECT_EQ(s.find('\n'), s.size() - 1) << "exactly one line";
}

TEST_F(sMemoryTest, HugeRequestThrowsCode2WithoutLogging)
{
    try {
        sMemory::operator new (1, 0, size_t{1} << 40);
        FAIL() << "no exception";
    } catch (const sMemory::Exception& e) {
        EXPECT_EQ(e.code, 2);
        EXPECT_STREQ(e.message, "No more memory for allocation on heap");
    }
    EXPECT_EQ(log.text(), "");
}

TEST(sMemoryExceptionTest, EveryCodeMapsToItsText)
{
    const std::pair<int, const char*> table[] = {
        {1, "Attempted to allocate memory before initialisation of shared arena"},
        {2, "No more memory for allocation on heap"},
        {3, "Unable to resize heap for memory allocation"},
        {4, "Memory block corrupted"},
        {5, "Memory block corrupted"},
        {6, "Memory block corrupted"},
        {7, "Attempted to allocate memory block with NULL bytes"},
        {8, "Memory block unreferenced to often"},
        {0, "Invalid exception handler"},
        {9, "Invalid exception handler"},
    };
    for (const auto& [code, text] : table) {
        sMemory::Exception e(code);
        EXPECT_EQ(e.code, code);
        EXPECT_STREQ(e.message, text);
        EXPECT_STREQ(e.what(), text);
    }
}

TEST_F(sMemoryTest, ReferenceCountingNeverFreesOnRelease)
{
    void* p = sMemory::operator new(1, 0, 8);
    EXPECT_EQ(sMemory::addRef(p), 1);
    EXPECT_EQ(sMemory::addRef(p), 2);
    EXPECT_EQ(sMemory::release(p), 1);
    EXPECT_EQ(sMemory::release(p), 0);
    EXPECT_EQ(sMemory::header(p)->magic, sMemory::MagicLive);
    sMemory::operator delete(p);
}

TEST_F(sMemoryTest, ForeignPointersAreNeitherFreedNorWritten)
{
    alignas(16) unsigned char fake[sizeof(sMemory::Header) + 8] = {};
    void* volatile foreign = fake + sizeof(sMemory::Header);
    EXPECT_FALSE(sMemory::isBlock(foreign));
    sMemory::operator delete(foreign);
    for (unsigned char b : fake)
        EXPECT_EQ(b, 0);
    sMemory::operator delete(nullptr);
}

struct Counted
{
    static int destroyed;
    static std::string order;
    char tag = 0;
    int pad = 0;
};
int Counted::destroyed = 0;
std::string Counted::order;

void destroyCounted(void* e)
{
    ++Counted::destroyed;
    Counted::order += static_cast<Counted*>(e)->tag;
}

TEST_F(sMemoryTest, DeleteObjectsDestroysArraysLastFirstAndSingleObjectsOnce)
{
    Counted::destroyed = 0;
    Counted::order.clear();
    auto* arr = static_cast<Counted*>(sMemory::operator new(1, 0, 3 * sizeof(Counted)));
    arr[0].tag = 'a';
    arr[1].tag = 'b';
    arr[2].tag = 'c';
    sMemory::deleteObjects(arr, sizeof(Counted), destroyCounted);
    EXPECT_EQ(Counted::order, "cba");

    Counted::order.clear();
    auto* one = static_cast<Counted*>(sMemory::operator new(sizeof(Counted), 0, 0));
    one->tag = 'x';
    sMemory::deleteObjects(one, sizeof(Counted), destroyCounted);
    EXPECT_EQ(Counted::order, "x");

    sMemory::deleteObjects(nullptr, sizeof(Counted), destroyCounted);
    EXPECT_EQ(Counted::destroyed, 4);
}

TEST_F(sMemoryTest, ReleaseObjectsDestroysOnlyAtZero)
{
    Counted::destroyed = 0;
    Counted::order.clear();
    auto* one = static_cast<Counted*>(sMemory::operator new(sizeof(Counted), 0, 0));
    one->tag = 'x';
    sMemory::addRef(one);
    sMemory::addRef(one);
    sMemory::releaseObjects(one, sizeof(Counted), destroyCounted);
    EXPECT_EQ(Counted::destroyed, 0);
    EXPECT_EQ(sMemory::header(one)->refCount, 1);
    sMemory::releaseObjects(one, sizeof(Counted), destroyCounted);
    EXPECT_EQ(Counted::destroyed, 1);
}

struct Base
{
    virtual ~Base() { ++baseGone; }
    static int baseGone;
    int b = 1;
};
int Base::baseGone = 0;
struct Other
{
    virtual ~Other() = default;
    int o = 2;
};
struct Derived : Other, Base
{
    ~Derived() override { ++derivedGone; }
    static int derivedGone;
};
int Derived::derivedGone = 0;

TEST_F(sMemoryTest, OneByteObjectsAreSingleObjectBlocks)
{
    char* c = sMemory::newObject<char>('q');
    EXPECT_EQ(*c, 'q');
    EXPECT_EQ(sMemory::header(c)->single, 1);
    EXPECT_EQ(sMemory::header(c)->size, 1u);
    sMemory::deleteObject(c);
}

TEST_F(sMemoryTest, ObjectsReleasedThroughABasePointerAreDestroyedWhole)
{
    Base::baseGone = Derived::derivedGone = 0;
    Base* p = sMemory::newObject<Derived>();
    EXPECT_EQ(sMemory::addRefObject(p), 1);
    EXPECT_EQ(sMemory::addRefObject(p), 2);
    sMemory::releaseObject(p);
    EXPECT_EQ(Derived::derivedGone, 0);
    sMemory::releaseObject(p);
    EXPECT_EQ(Derived::derivedGone, 1);
    EXPECT_EQ(Base::baseGone, 1);
}

TEST_F(sMemoryTest, InitAndShutdownAreRepeatable)
{
    sMemory::init();
    EXPECT_TRUE(sMemory::isInitialised());
    sMemory::init();
    sMemory::shutdown();
    EXPECT_FALSE(sMemory::isInitialised());
    sMemory::shutdown();
    void* p = sMemory::operator new(1, 0, 4); // allocation does not need the arena
    sMemory::operator delete(p);
    EXPECT_EQ(log.text(), "");
}

} // namespace
