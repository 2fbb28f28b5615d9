#include "LIBS/System/CGrowArray.h"
#include "LIBS/System/sArray.h"
#include "LIBS/System/sString.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

template <class T>
std::vector<T> values(const sArray<T>& a)
{
    return std::vector<T>(a.begin(), a.end());
}

TEST(sArrayTest, GrowRoundsUpToTheGrowStep)
{
    struct Case
    {
        int step, count, n, capacity;
    };
    const Case cases[] = {{10, 9, 2, 20}, {10, 0, 10, 10}, {10, 0, 11, 20}, {4, 3, 1, 4}, {0, 0, 3, 3}};
    for (const Case& c : cases) {
        sArray<int> a(c.step);
        if (c.count)
            a.grow(c.count);
        for (int i = 0; i < c.count; ++i)
            a[i] = i + 1;
        int capacityBefore = a.capacity;
        EXPECT_EQ(a.grow(c.n), c.count);
        EXPECT_EQ(a.count, c.count + c.n);
        EXPECT_EQ(a.capacity, c.count + c.n > capacityBefore ? c.capacity : capacityBefore);
        for (int i = 0; i < c.count; ++i)
            EXPECT_EQ(a[i], i + 1);
    }
}

TEST(sArrayTest, AddInsertTakeRemove)
{
    sArray<int> a(2);
    for (int v : {1, 2, 3})
        EXPECT_EQ(a.add(v), v - 1);
    EXPECT_EQ(a.capacity, 4);
    a.insertAt(9, 1);
    a.insertAt(8, 99);
    EXPECT_EQ(values(a), (std::vector<int>{1, 9, 2, 3, 8}));
    EXPECT_EQ(a.takeAt(1), 9);
    EXPECT_EQ(a.takeAt(10), 0);
    EXPECT_EQ(values(a), (std::vector<int>{1, 2, 3, 8}));
    a.add(a[0]); // an element of the array itself, at the moment it grows
    EXPECT_EQ(values(a), (std::vector<int>{1, 2, 3, 8, 1}));
    a.resetCount();
    EXPECT_EQ(a.count, 0);
    EXPECT_GT(a.capacity, 0);
}

TEST(sArrayTest, PointerArrayRemoveAndNext)
{
    int x = 0, y = 0, z = 0, w = 0;
    sArray<int*> a;
    a.add(&x);
    a.add(&y);
    a.add(&z);
    EXPECT_EQ(a.next(&x), &y);
    EXPECT_EQ(a.next(&z), nullptr);
    EXPECT_EQ(a.next(&w), nullptr);
    EXPECT_EQ(a.remove(&y), &y);
    EXPECT_EQ(a.remove(&w), nullptr);
    EXPECT_EQ(a.removeAt(5), nullptr);
    EXPECT_EQ(values(a), (std::vector<int*>{&x, &z}));
}

TEST(sArrayTest, FindByIdReadsTheFirstWord)
{
    struct Record
    {
        int id;
        float value;
    };
    sArray<Record> a;
    EXPECT_EQ(a.findById(1), -1);
    a.add({7, 1.0f});
    a.add({-1, 2.0f});
    a.add({7, 3.0f});
    EXPECT_EQ(a.findById(7), 0);
    EXPECT_EQ(a.findById(-1), 1);
    EXPECT_EQ(a.findById(3), -1);
}

TEST(sArrayTest, SetCapacityKeepsOrCutsAndZeroFrees)
{
    sArray<sString> a;
    for (const char* s : {"a", "b", "c"})
        a.add(sString(s));
    a.setCapacity(10);
    EXPECT_EQ(a.capacity, 10);
    EXPECT_EQ(a.count, 3);
    EXPECT_STREQ(a[2].c_str(), "c");
    a.setCapacity(2);
    EXPECT_EQ(a.count, 2);
    EXPECT_STREQ(a[1].c_str(), "b");
    sArray<sString> copy(a);
    copy[0] = "changed";
    EXPECT_STREQ(a[0].c_str(), "a");
    a.setCapacity(0);
    EXPECT_EQ(a.data, nullptr);
    EXPECT_EQ(a.count, 0);
    EXPECT_EQ(a.capacity, 0);
}

TEST(CGrowArrayTest, GrowsByItsStep)
{
    int v[5] = {};
    CGrowArray<int> g;
    EXPECT_EQ(g.growBy, 1);
    EXPECT_EQ(g.data, nullptr);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(g.add(&v[i]), i);
        EXPECT_EQ(g.capacity, i + 1);
    }
    g.growBy = 4;
    g.add(&v[3]);
    EXPECT_EQ(g.capacity, 7);
    CGrowArray<int> copy(g);
    copy[0] = &v[4];
    EXPECT_EQ(g[0], &v[0]);
    EXPECT_EQ(copy.count, 4);
    g.clear();
    EXPECT_EQ(g.count, 0);
    EXPECT_EQ(g.data, nullptr);
}

} // namespace
