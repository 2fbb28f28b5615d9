#include "LIBS/System/LogPrintf.h"
#include "LIBS/System/sLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// Redirects the library log into a string for one test and restores it.
class sLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = sLog;
        sLog.stream = &out;
    }
    void TearDown() override { sLog = saved; }
    sLogSettings saved{};
    std::ostringstream out;
};

TEST_F(sLogTest, LinesHaveTagSourcePathLineAndThreeBlanks)
{
    sLog.level = 3;
    int line = __LINE__ + 1;
    SLOG_WARNING("List %s %d", "grew", 16);
    SLOG_NOTE("note");
    SLOG_FATAL("broken");
    std::string path = "tests/System/sLog_test.cpp";
    std::string expected = "[W] @ " + path + "(" + std::to_string(line) + "):   List grew 16\n" + "[N] @ " +
                           path + "(" + std::to_string(line + 1) + "):   note\n" + "[!]FATAL:  @ " + path +
                           "(" + std::to_string(line + 2) + "):   broken\n";
    EXPECT_EQ(out.str(), expected);
}

TEST_F(sLogTest, LevelSelectsWhichLinesAreWritten)
{
    struct Case
    {
        int level;
        bool fatal, warning, note;
    };
    const Case cases[] = {
        {0, false, false, false},
        {1, true, false, false},
        {2, true, true, false},
        {3, true, true, true},
    };
    for (const Case& c : cases) {
        out.str("");
        sLog.level = c.level;
        SLOG_FATAL("f");
        SLOG_WARNING("w");
        SLOG_NOTE("n");
        std::string s = out.str();
        EXPECT_EQ(s.find("[!]FATAL: ") != std::string::npos, c.fatal) << "level " << c.level;
        EXPECT_EQ(s.find("[W]") != std::string::npos, c.warning) << "level " << c.level;
        EXPECT_EQ(s.find("[N]") != std::string::npos, c.note) << "level " << c.level;
    }
}

TEST(sLogSourcePath, FilesOutsideTheTreeKeepTheirPath)
{
    EXPECT_STREQ(sLogSourcePath("/elsewhere/x.cpp"), "/elsewhere/x.cpp");
    EXPECT_STREQ(sLogSourcePath(nullptr), "");
}

// The application log, with a switch and a path of the test's own.
class LogPrintfTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("varek_applog_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        path = (folder / "log.txt").string();
        LogPrintfSetTarget(&loggingSwitch, path.c_str());
    }
    void TearDown() override
    {
        LogPrintfSetTarget(nullptr, "");
        std::filesystem::remove_all(folder);
    }
    std::string contents() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    uint8_t loggingSwitch = 0;
    std::filesystem::path folder;
    std::string path;
};

TEST_F(LogPrintfTest, SwitchOffCreatesNoFile)
{
    LogPrintf("Initializing memory...");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(LogPrintfTest, EachCallAppendsOneLine)
{
    loggingSwitch = 1;
    LogPrintf("Initializing memory...");
    LogPrintf("Reading %s (%d)", "Model-List", 7);
    EXPECT_EQ(contents(), "Initializing memory...\nReading Model-List (7)\n");
    loggingSwitch = 0;
    LogPrintf("not written");
    EXPECT_EQ(contents(), "Initializing memory...\nReading Model-List (7)\n");
}

TEST_F(LogPrintfTest, OverlongLineIsCutNotOverrun)
{
    loggingSwitch = 1;
    std::string big(5000, 'x');
    LogPrintf("%s", big.c_str());
    EXPECT_EQ(contents(), std::string(LogPrintfLineMax - 1, 'x') + "\n");
}

TEST_F(LogPrintfTest, UnopenableFileDropsTheLine)
{
    loggingSwitch = 1;
    std::string missing = (folder / "no" / "such" / "log.txt").string();
    LogPrintfSetTarget(&loggingSwitch, missing.c_str());
    LogPrintf("dropped");
    EXPECT_FALSE(std::filesystem::exists(missing));
}

} // namespace
