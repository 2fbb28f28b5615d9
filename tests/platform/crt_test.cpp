#include "platform/crt/Crt.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(Rand, OriginalSequence)
{
    crt::srand(1);
    std::vector<int> got;
    for (int i = 0; i < 5; ++i)
        got.push_back(crt::rand());
    EXPECT_EQ(got, (std::vector<int>{41, 18467, 6334, 26500, 19169}));

    crt::srand(12345);
    int first = crt::rand();
    for (int i = 0; i < 10000; ++i) {
        int r = crt::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, crt::RandMax);
    }
    crt::srand(12345);
    EXPECT_EQ(crt::rand(), first) << "the same seed repeats";
}

TEST(Rand, EachThreadStartsWithSeedOne)
{
    crt::srand(999);
    int inThread = -1;
    std::thread t([&] { inThread = crt::rand(); });
    t.join();
    EXPECT_EQ(inThread, 41);
}

TEST(Format, HalvesRoundAwayFromZero)
{
    struct Case
    {
        double v;
        int precision;
        const char* text;
    } cases[] = {
        {0.5, 0, "1"},
        {1.5, 0, "2"},
        {2.5, 0, "3"},
        {-2.5, 0, "-3"},
        {0.125, 2, "0.13"},
        {2.675, 2, "2.67"},
        {0.0, 2, "0.00"},
        {0.4, 0, "0"},
        {9.995, 2, "9.99"},
        {9.9951, 2, "10.00"},
        {99.5, 0, "100"},
        {0.05, 0, "0"},
        {2.5, 6, "2.500000"},
        {1.0471976, 6, "1.047198"},
        {123456789.0, 1, "123456789.0"},
        {1e20, 0, "100000000000000000000"},
        {0.625, 2, "0.63"},
        {0.0000005, 6, "0.000000"}, // 4.9999999999999998e-07: below the half
    };
    for (const Case& c : cases)
        EXPECT_EQ(crt::FormatFixed(c.v, c.precision), c.text) << c.v << " at " << c.precision;
}

TEST(Format, PrintfWithTheOriginalRounding)
{
    char buf[64];
    EXPECT_EQ(crt::snprintf(buf, sizeof buf, "%0.f|%.0f|%f", 0.5, 2.5, 2.5), 12);
    EXPECT_STREQ(buf, "1|3|2.500000");
    EXPECT_EQ(crt::Format("[%6.1f][%-6.1f][%06.1f][%+.1f]", 0.25, 0.25, -0.25, 0.25),
              "[   0.3][0.3   ][-000.3][+0.3]");
    EXPECT_EQ(crt::Format("%s=%d %u %x %c %5s %lld %%", "k", -3, 7u, 255, 'Z', "ab", 1ll << 40),
              "k=-3 7 ff Z    ab 1099511627776 %");
    EXPECT_EQ(crt::Format("%*.*f|%e", 7, 2, 0.125, 1.5), "   0.13|1.500000e+00");
    crt::snprintf(buf, 5, "%s", "truncated");
    EXPECT_STREQ(buf, "trun");
}

} // namespace
