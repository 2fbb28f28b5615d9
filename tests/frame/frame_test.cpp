#include <gtest/gtest.h>

#include <cstdlib>

// The test environment is what every other test relies on: nobody at the screen.
TEST(Frame, TestsRunNonInteractive)
{
    const char* v = std::getenv("VAREK_NONINTERACTIVE");
    ASSERT_NE(v, nullptr);
    EXPECT_STREQ(v, "1");
}
