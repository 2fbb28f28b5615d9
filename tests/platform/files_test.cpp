#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace platform;

namespace {

// Runs each test inside a fresh folder that also serves as the program folder.
class FilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        oldCwd = fs::current_path();
        fs::current_path(dir.path);
        SetProgramFolder(dir.path);
    }
    void TearDown() override { fs::current_path(oldCwd); }

    TempDir dir;
    fs::path oldCwd;
};

TEST_F(FilesTest, ResolvesBackslashesAndCaseOfEveryComponent)
{
    dir.Write("data/sounds.txt", "x");
    dir.Write("Savegame/game001.gam", "g");
    fs::create_directories(dir.path / "movies");

    struct Case
    {
        std::string win;
        fs::path expected;
    } cases[] = {
        {"data\\Sounds.TXT", fs::path("data") / "sounds.txt"},
        {"DATA/sounds.txt", fs::path("data") / "sounds.txt"},
        {"c:\\SAVEGAME\\Game001.GAM", dir.path / "Savegame" / "game001.gam"},
        {"\\savegame\\game001.gam", dir.path / "Savegame" / "game001.gam"},
        // A missing file keeps the name as written, inside the matched folder.
        {"Movies\\Movie0.mpg", fs::path("movies") / "Movie0.mpg"},
        {"nothing\\Here.txt", fs::path("nothing") / "Here.txt"},
        {dir.path.string() + "\\DATA\\sounds.TXT", dir.path / "data" / "sounds.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolvePath(c.win), c.expected) << c.win;
}

TEST_F(FilesTest, ExactNameWinsOverCaseVariant)
{
    dir.Write("Plan.txt", "upper");
    dir.Write("plan.txt", "lower");
    EXPECT_EQ(ResolvePath("plan.txt"), fs::path("plan.txt"));
    EXPECT_EQ(ResolvePath("Plan.txt"), fs::path("Plan.txt"));
    // Neither spelling exists: the choice is stable (sorted).
    EXPECT_EQ(ResolvePath("PLAN.TXT"), fs::path("Plan.txt"));
}

TEST(Wildcard, MatchesLikeWindows)
{
    struct Case
    {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"Plan*.pln", "plan001.pln", true},
        {"plan???.pln", "PLAN123.PLN", true},
        {"plan???.pln", "plan12.pln", false},
        {"*.pln", "plan001.pln.bak", false},
        {"*.*", "README", true},
        {"*", ".hidden", true},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"game*.gam", "game.gam", true},
        {"x.*", "x", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchWildcard(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}

TEST_F(FilesTest, FindFilesWithPatternInFolders)
{
    dir.Write("CurrentPlans/plan001.pln", "1");
    dir.Write("CurrentPlans/Plan002.PLN", "22");
    dir.Write("CurrentPlans/notes.txt", "n");
    fs::create_directories(dir.path / "CurrentPlans" / "plan_sub.pln");
    dir.Write("plan001.pln", "root");

    EXPECT_EQ(FindFiles("\\Plan*.pln"), std::vector<std::string>({"plan001.pln"}));
    EXPECT_EQ(FindFiles("currentplans\\PLAN*.pln"),
              std::vector<std::string>({"plan001.pln", "Plan002.PLN", "plan_sub.pln"}));
    EXPECT_TRUE(FindFiles("currentplans\\*.gam").empty());
    EXPECT_TRUE(FindFiles("missing\\*.*").empty());

    FindData d;
    FindHandle h = FindFirstFile("c:\\CurrentPlans\\*.pln", d);
    ASSERT_NE(h, INVALID_FIND_HANDLE);
    EXPECT_EQ(d.cFileName, "plan001.pln");
    EXPECT_EQ(d.nFileSize, 1u);
    ASSERT_TRUE(FindNextFile(h, d));
    EXPECT_EQ(d.nFileSize, 2u);
    ASSERT_TRUE(FindNextFile(h, d));
    EXPECT_EQ(d.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(FindNextFile(h, d));
    FindClose(h);
    EXPECT_EQ(FindFirstFile("nothing*.x", d), INVALID_FIND_HANDLE);
}

TEST_F(FilesTest, CopyDeleteAndFolders)
{
    dir.Write("data/a.bin", std::string("a\0b", 3));
    EXPECT_TRUE(CreateDirectory("Backup"));
    EXPECT_FALSE(CreateDirectory("backup")) << "exists already (case-insensitively)";
    EXPECT_FALSE(CreateDirectory("no\\such\\parent"));

    EXPECT_TRUE(CopyFile("DATA\\A.BIN", "backup\\b.bin", true));
    std::string bytes;
    ASSERT_TRUE(ReadFile("Backup\\B.bin", bytes));
    EXPECT_EQ(bytes, std::string("a\0b", 3));

    dir.Write("Backup/b.bin", "changed");
    EXPECT_FALSE(CopyFile("data\\a.bin", "backup\\b.bin", true));
    ASSERT_TRUE(ReadFile("backup\\b.bin", bytes));
    EXPECT_EQ(bytes, "changed") << "failIfExists leaves the target alone";
    EXPECT_TRUE(CopyFile("data\\a.bin", "backup\\b.bin", false));
    EXPECT_FALSE(CopyFile("data\\missing.bin", "backup\\c.bin", false));

    EXPECT_EQ(Access("BACKUP\\B.BIN", 0), 0);
    EXPECT_TRUE(DeleteFile("BACKUP\\B.BIN"));
    EXPECT_EQ(Access("backup\\b.bin", 0), -1);
    EXPECT_FALSE(DeleteFile("backup\\b.bin"));
    EXPECT_FALSE(DeleteFile("backup")) << "a folder is not a file";
    EXPECT_TRUE(RemoveDirectory("BACKUP"));
}

TEST_F(FilesTest, CurrentFolder)
{
    fs::create_directories(dir.path / "Sub");
    EXPECT_EQ(fs::path(GetCurrentDirectory()), fs::current_path());
    EXPECT_TRUE(SetCurrentDirectory("sub"));
    EXPECT_EQ(fs::path(GetCurrentDirectory()), dir.path / "Sub");
    EXPECT_FALSE(SetCurrentDirectory("none"));
}

TEST(SplitPathTest, Parts)
{
    std::string drive, folder, name, ext;
    SplitPath("c:\\Games\\Varek\\plan001.pln", &drive, &folder, &name, &ext);
    EXPECT_EQ(drive, "c:");
    EXPECT_EQ(folder, "\\Games\\Varek\\");
    EXPECT_EQ(name, "plan001");
    EXPECT_EQ(ext, ".pln");
    SplitPath("models/house.v2.tmf", &drive, &folder, &name, &ext);
    EXPECT_EQ(drive, "");
    EXPECT_EQ(folder, "models/");
    EXPECT_EQ(name, "house.v2");
    EXPECT_EQ(ext, ".tmf");
    SplitPath("README", nullptr, &folder, &name, &ext);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(name, "README");
    EXPECT_EQ(ext, "");
}

TEST_F(FilesTest, TextModeDropsCrBeforeLfAndStopsAtCtrlZ)
{
    struct Case
    {
        std::string raw, text;
    } cases[] = {
        {"a\r\nb\r\n", "a\nb\n"},
        {"a\rb\r\r\n", "a\rb\r\n"}, // a lone CR stays
        {"abc\x1a"
         "def",
         "abc"},
        {"\x1a", ""},
        {"end\r", "end\r"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextModeFilter(c.raw), c.text);

    dir.Write("data/Dialogs.txt", "KEY\tText\r\nNEXT\tMore\r\n\x1aGARBAGE");
    std::string text;
    ASSERT_TRUE(ReadTextFile("data\\dialogs.TXT", text));
    EXPECT_EQ(text, "KEY\tText\nNEXT\tMore\n");
    EXPECT_FALSE(ReadTextFile("data\\missing.txt", text));
}

} // namespace
