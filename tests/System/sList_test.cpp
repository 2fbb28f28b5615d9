#include "LIBS/System/sList.h"
#include "LIBS/System/sLog.h"
#include "LIBS/System/sPtrList.h"
#include "LIBS/System/sString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/LogCapture.h"

namespace {

class sListTest : public ::testing::Test
{
protected:
    LogCapture log;
};

template <class L>
std::vector<int> values(const L& list)
{
    return std::vector<int>(list.begin(), list.end());
}

const char* const duplicateWarning =
    "sList::resize: dynamic resizable list referenced more than once, will duplicate the list";

TEST_F(sListTest, EmptyListsShareTheStaticBlockAndReleasingNeverTouchesIt)
{
    sList<int> a;
    sList<double> b;
    EXPECT_EQ(a.storage(), b.storage());
    EXPECT_TRUE(a.isEmptyBlock());
    EXPECT_EQ(a.count(), 0);
    EXPECT_EQ(a.capacity(), 0);
    EXPECT_EQ(a.refCount(), 0);
    sList<int> c(a);
    c.release();
    a.clear();
    a.removeRange(0, 3);
    a.eraseRange(0, 1);
    a.resize(0);
    EXPECT_EQ(a.refCount(), 0);
    EXPECT_EQ(a.count(), 0);
    EXPECT_EQ(a.capacity(), 0);
    EXPECT_EQ(log.text(), "");
}

TEST_F(sListTest, CapacityDoublesWithAFloorOf16)
{
    sList<int> list;
    std::vector<int> seen;
    for (int i = 0; i < 33; ++i) {
        list.append(i);
        if (i == 0 || i == 15 || i == 16 || i == 32)
            seen.push_back(list.capacity());
    }
    EXPECT_EQ(seen, (std::vector<int>{16, 16, 32, 64}));
    EXPECT_EQ(list.count(), 33);
    for (int i = 0; i < 33; ++i)
        EXPECT_EQ(list[i], i);
    EXPECT_EQ(list.refCount(), 1);
}

TEST_F(sListTest, AppendingAnElementOfTheListItselfWhileGrowing)
{
    sList<sString> list;
    for (int i = 0; i < 16; ++i) {
        sString s;
        s.format("name%d", i);
        list.append(s);
    }
    ASSERT_EQ(list.count(), list.capacity());
    list.append(list[3]);
    EXPECT_STREQ(list[16].c_str(), "name3");
    EXPECT_STREQ(list[3].c_str(), "name3");

    sList<int> ints;
    for (int i = 0; i < 16; ++i)
        ints.append(i * 10);
    ints.append(ints[15]);
    EXPECT_EQ(ints[16], 150);
}

TEST_F(sListTest, CopiedListAppendedByOneOwnerLeavesTheOtherUnchanged)
{
    // Both with spare room in the shared block and with a full one.
    for (int filled : {3, 16}) {
        log.clear();
        sList<int> first;
        for (int i = 0; i < filled; ++i)
            first.append(i);
        sList<int> second(first);
        EXPECT_EQ(first.refCount(), 2);

        second.append(99);
        EXPECT_EQ(first.count(), filled);
        EXPECT_EQ(second.count(), filled + 1);
        EXPECT_NE(first.storage(), second.storage());
        EXPECT_EQ(first.refCount(), 1);
        EXPECT_EQ(second.refCount(), 1);
        for (int i = 0; i < filled; ++i) {
            EXPECT_EQ(first[i], i);
            EXPECT_EQ(second[i], i);
        }
        EXPECT_EQ(second[filled], 99);
        EXPECT_EQ(log.count(duplicateWarning), 1) << log.text();
        EXPECT_EQ(log.text().rfind("[W] @ LIBS/System/sList.h(", 0), 0u);
    }
}

TEST_F(sListTest, DuplicationWarningFollowsTheLogLevel)
{
    sLog.level = 1;
    sList<int> a;
    a.append(1);
    sList<int> b(a);
    b.append(2);
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(a.count(), 1);
}

TEST_F(sListTest, SharedElementsWithOwnStorageSurviveDuplication)
{
    sList<sString> a;
    a.append(sString("one"));
    a.append(sString("two"));
    {
        sList<sString> b(a);
        b.append(sString("three"));
        b[0] = "changed";
    }
    ASSERT_EQ(a.count(), 2);
    EXPECT_STREQ(a[0].c_str(), "one");
    EXPECT_STREQ(a[1].c_str(), "two");
}

TEST_F(sListTest, AddReservesSlotsAndSetCountConstructsThem)
{
    sList<int> list;
    EXPECT_EQ(list.add(), 0);
    EXPECT_EQ(list.capacity(), 16);
    list[0] = 5;
    list.setCount(20);
    EXPECT_EQ(list.count(), 20);
    EXPECT_GE(list.capacity(), 20);
    EXPECT_EQ(list[0], 5);
    for (int i = 1; i < 20; ++i)
        EXPECT_EQ(list[i], 0);
    list.setCount(2);
    EXPECT_EQ(list.count(), 2);

    sList<int> shared(list);
    shared.add();
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(shared.count(), 3);
    shared.setCount(5);
    EXPECT_EQ(list.count(), 2);
}

TEST_F(sListTest, RemoveRangeKeepsOrderAndEraseRangeFillsFromTheEnd)
{
    struct Case
    {
        const char* what;
        bool erase;
        int index, n;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"remove one", false, 2, 1, {0, 1, 3, 4, 5, 6}},
        {"remove past end", false, 5, 10, {0, 1, 2, 3, 4}},
        {"remove tail", false, 3, -1, {0, 1, 2}},
        {"remove outside", false, 7, 1, {0, 1, 2, 3, 4, 5, 6}},
        {"erase one in the middle", true, 2, 1, {0, 1, 6, 3, 4, 5}},
        {"erase two", true, 1, 2, {0, 5, 6, 3, 4}},
        {"erase with few followers", true, 2, 4, {0, 1, 6}},
        {"erase tail", true, 4, -1, {0, 1, 2, 3}},
        {"erase last", true, 6, 1, {0, 1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        sList<int> list;
        for (int i = 0; i < 7; ++i)
            list.append(i);
        if (c.erase)
            EXPECT_EQ(list.eraseRange(c.index, c.n), static_cast<int>(c.expected.size())) << c.what;
        else
            list.removeRange(c.index, c.n);
        EXPECT_EQ(values(list), c.expected) << c.what;
    }
}

TEST_F(sListTest, EraseAndRemoveOfStringsKeepTheRightTexts)
{
    sList<sString> list;
    for (const char* s : {"a", "b", "c", "d", "e"})
        list.append(sString(s));
    list.eraseRange(1, 1);
    list.removeRange(0, 1);
    std::string joined;
    for (const sString& s : list)
        joined += s.c_str();
    EXPECT_EQ(joined, "ecd");
}

TEST_F(sListTest, ResizeKeepsElementsAndZeroEmpties)
{
    sList<int> list;
    for (int i = 0; i < 5; ++i)
        list.append(i);
    list.resize(100);
    EXPECT_EQ(list.capacity(), 100);
    EXPECT_EQ(values(list), (std::vector<int>{0, 1, 2, 3, 4}));
    list.grow();
    EXPECT_EQ(list.capacity(), 200);
    list.resize(0);
    EXPECT_TRUE(list.isEmptyBlock());
    EXPECT_EQ(list.count(), 0);
}

TEST_F(sListTest, ClearingASharedListWarns)
{
    sList<int> a;
    a.append(1);
    sList<int> b(a);
    b.clear();
    EXPECT_EQ(log.count("List cleared while referenced twice! Data may be corrupted."), 1);
    EXPECT_EQ(a.count(), 0);
    a.append(2);
    EXPECT_EQ(b.count(), 0);
}

TEST_F(sListTest, ListsOfListsReleaseInnerListsByTheSameRule)
{
    sList<int> inner;
    inner.append(7);
    {
        sList<sList<int>> outer;
        outer.append(inner);
        outer.append(inner);
        EXPECT_EQ(inner.refCount(), 3);
    }
    EXPECT_EQ(inner.refCount(), 1);
    EXPECT_EQ(inner[0], 7);
}

// Pointees of a pointer list: counts live objects.
struct Item
{
    explicit Item(int v) : value(v) { ++alive; }
    virtual ~Item()
    {
        --alive;
        order.push_back(value);
    }
    int value;
    static int alive;
    static std::vector<int> order;
};
int Item::alive = 0;
std::vector<int> Item::order;

TEST_F(sListTest, PointerListOwnsItsPointeesByReference)
{
    Item::alive = 0;
    Item::order.clear();
    Item* kept = sMemory::newObject<Item>(100);
    sMemory::addRefObject(kept);
    {
        sPtrList<Item> list;
        list.append(sMemory::newObject<Item>(1));
        list.append(kept);
        list.append(nullptr);
        list.append(sMemory::newObject<Item>(3));
        EXPECT_EQ(Item::alive, 3);
        list.clear();
        EXPECT_EQ(list.count(), 0);
        EXPECT_EQ(Item::order, (std::vector<int>{3, 1}));
        EXPECT_EQ(Item::alive, 1);
        list.append(sMemory::newObject<Item>(4));
    }
    EXPECT_EQ(Item::alive, 1);
    sMemory::releaseObject(kept);
    EXPECT_EQ(Item::alive, 0);
    EXPECT_EQ(log.text(), "");
}

TEST_F(sListTest, SharedPointerListReleasedByOneOwnerKeepsThePointees)
{
    Item::alive = 0;
    sPtrList<Item> a;
    a.append(sMemory::newObject<Item>(1));
    {
        sPtrList<Item> b(a);
        b.append(sMemory::newObject<Item>(2)); // b gets its own block
        EXPECT_EQ(a.count(), 1);
        EXPECT_EQ(b.count(), 2);
        EXPECT_EQ(Item::alive, 2);
    }
    EXPECT_EQ(Item::alive, 1);
    EXPECT_EQ(a[0]->value, 1);
    {
        sPtrList<Item> c(a);
        c.release();
    }
    EXPECT_EQ(Item::alive, 1);
    sPtrList<Item> d(a);
    d.clear();
    EXPECT_EQ(log.count("PtrList cleared while referenced twice! Data may be corrupted."), 1);
    EXPECT_EQ(Item::alive, 0);
}

} // namespace
