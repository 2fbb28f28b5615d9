#include "GAMES/Rulo2/app/AppGlobals.h"
#include "LIBS/System/LogPrintf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs each test in a folder of its own as the working folder.
class AppLogFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = fs::current_path();
        folder =
            fs::temp_directory_path() / ("varek_app_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::current_path(folder);
    }
    void TearDown() override
    {
        LoggingSwitch = 0;
        fs::current_path(previous);
        fs::remove_all(folder);
    }
    static std::string read(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    fs::path previous, folder;
};

TEST(AppGlobalsTest, StartValues)
{
    EXPECT_EQ(GameModeFlag, 1);
    EXPECT_EQ(LoggingSwitch, 0);
}

TEST_F(AppLogFileTest, WithLoggingTheOldLogIsReplaced)
{
    std::ofstream(folder / "log.txt") << "previous run\n";
    LoggingSwitch = 1;
    InitAppLog();
    EXPECT_EQ(fs::path(LogFilePath), folder / "log.txt");
    EXPECT_FALSE(fs::exists(folder / "log.txt"));
    LogPrintf("Initializing memory...");
    LogPrintf("Good bye");
    EXPECT_EQ(read(folder / "log.txt"), "Initializing memory...\nGood bye\n");
}

TEST_F(AppLogFileTest, WithoutLoggingNothingIsWrittenOrDeleted)
{
    std::ofstream(folder / "log.txt") << "previous run\n";
    InitAppLog();
    LogPrintf("Initializing memory...");
    EXPECT_EQ(read(folder / "log.txt"), "previous run\n");
    fs::remove(folder / "log.txt");
    LogPrintf("again");
    EXPECT_FALSE(fs::exists(folder / "log.txt"));
}

TEST_F(AppLogFileTest, SwitchSetAfterHandOverIsSeen)
{
    InitAppLog();
    LogPrintf("before");
    LoggingSwitch = 1;
    LogPrintf("after");
    EXPECT_EQ(read(folder / "log.txt"), "after\n");
}

} // namespace
