#include <gtest/gtest.h>

#include <cstdlib>

// What every other test relies on: nobody at the screen, no sound card.
TEST(Frame, TestEnvironment)
{
    for (const char* name : {"VAREK_NONINTERACTIVE", "ALSOFT_DRIVERS", "SDL_AUDIODRIVER"})
        EXPECT_NE(std::getenv(name), nullptr) << name;
    EXPECT_STREQ(std::getenv("VAREK_NONINTERACTIVE"), "1");
}
