#include "GAMES/Rulo2/interface/DialogTexts.h"

#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/Files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Lookup(const CTextTree& tree, const char* key)
{
    const char* t = tree.Find(key);
    return t ? t : "<absent>";
}

// A fresh folder per test with a data sub-folder, removed afterwards.
class DialogTextFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() /
                 (std::string("dialogtexts_") + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "data");
    }
    void TearDown() override
    {
        LogPrintfSetTarget(nullptr, "");
        ShowKeysFlag = 0;
        fs::remove_all(folder);
    }

    std::string Write(const std::string& relative, const std::string& bytes)
    {
        fs::path p = folder / relative;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }

    std::string ReadLog()
    {
        std::ifstream in(folder / "log.txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    void StartLogging() { LogPrintfSetTarget(&logging, (folder / "log.txt").string().c_str()); }

    fs::path folder;
    uint8_t logging = 1;
};

TEST(DialogTextGrammar, LinesBecomeKeysAndTexts)
{
    struct Case
    {
        const char* line;
        const char* key;
        const char* text;
    };
    const Case cases[] = {
        {"MENU_BACK = Back", "MENU_BACK", "Back"},
        {"URL = see http://example.org", "URL", "see http:"},
        {"HASH = one # two // three", "HASH", "one # two"},
        {"HASHONLY = x # y", "HASHONLY", "x"},
        {"TWO = first\\nsecond", "TWO", "first\nsecond"},
        {"SLASH = back\\slash \\\\n", "SLASH", "back\\slash \\\n"},
        {"= under the empty key", "", "under the empty key"},
        {"EMPTY =", "EMPTY", ""},
        {"EQ = a = b", "EQ", "a = b"},
        {"\tTAB\t=\tx\ty\t", "TAB", "x y"},
        {"   SPACED   =   t   ", "SPACED", "t"},
        {"NL = \\n", "NL", "\n"},
        {"HIGH = \xE4\xF6\xFC", "HIGH", "\xE4\xF6\xFC"},
    };
    for (const Case& c : cases) {
        CTextTree tree;
        std::vector<DialogTextNote> notes;
        ParseDialogText(c.line, tree, &notes);
        EXPECT_EQ(tree.Count(), 1) << c.line;
        EXPECT_EQ(Lookup(tree, c.key), c.text) << c.line;
        EXPECT_TRUE(notes.empty()) << c.line;
    }
}

TEST(DialogTextGrammar, IgnoredLinesAndDuplicatesAreNotedWithTheirPlace)
{
    CTextTree tree;
    std::vector<DialogTextNote> notes;
    ParseDialogText("// heading\n"
                    "\n"
                    "# another comment\n"
                    "   \t \n"
                    "A = first\n"
                    "  just words\n"
                    "a = second\n"
                    "B = last without line feed",
                    tree, &notes);
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_EQ(Lookup(tree, "A"), "first");
    EXPECT_EQ(Lookup(tree, "B"), "last without line feed");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].line, 6);
    EXPECT_EQ(notes[0].column, 1);
    EXPECT_NE(notes[0].message.find("without '='"), std::string::npos);
    EXPECT_EQ(notes[1].line, 7);
    EXPECT_NE(notes[1].message.find("\"a\""), std::string::npos);
}

TEST(DialogTextGrammar, OverlongLineIsSplitAfter1023Characters)
{
    const std::string head = "K=" + std::string(1021, 'v'); // exactly 1023 characters
    struct Case
    {
        std::string line;
        std::vector<std::string> keys;
        size_t notes;
    };
    const Case cases[] = {
        {head, {"K"}, 0},
        {head + "NEXT=1", {"K", "EXT"}, 1}, // the 1024th character, 'N', is dropped
        {head + "vvvNEXT=1", {"K", "vvNEXT"}, 1},
        {head + "v" + std::string(1023, 'w') + "xY=2", {"K", "Y"}, 3}, // split twice
    };
    for (const Case& c : cases) {
        CTextTree tree;
        std::vector<DialogTextNote> notes;
        ParseDialogText(c.line + "\nZ=z\n", tree, &notes);
        EXPECT_EQ(tree.Count(), static_cast<int32_t>(c.keys.size() + 1)) << c.line.size();
        for (const std::string& k : c.keys)
            EXPECT_NE(tree.Find(k.c_str()), nullptr) << c.line.size() << " " << k;
        EXPECT_EQ(std::string(tree.Find("K")), std::string(1021, 'v'));
        EXPECT_STREQ(tree.Find("Z"), "z");
        ASSERT_EQ(notes.size(), c.notes) << c.line.size();
        if (c.notes >= 1) {
            EXPECT_EQ(notes[0].line, 1);
            EXPECT_EQ(notes[0].column, 1024);
        }
    }
}

TEST(DialogTextGrammar, ZeroByteEndsTheTextAndIsNoted)
{
    CTextTree tree;
    std::vector<DialogTextNote> notes;
    const char raw[] = "A=1\nB=2\0C=3\n";
    ParseDialogText(std::string_view(raw, sizeof raw - 1), tree, &notes);
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_EQ(tree.Find("C"), nullptr);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].line, 2);
    EXPECT_EQ(notes[0].column, 4);
}

TEST(DialogTextDecode, PlainTextIsReadInTextModeAndDamageIsRefused)
{
    struct Case
    {
        std::string bytes;
        bool ok;
        std::string text;
    };
    const Case cases[] = {
        {"A=1\r\nB=2\r\n", true, "A=1\nB=2\n"},
        {"A=1\rB\r\n", true, "A=1\rB\n"},
        {"A=1\n\x1A"
         "B=2\n",
         true, "A=1\n"},
        {"", false, ""},
        {std::string("\0A=1\n", 5), false, ""},
        {std::string("\0\0\x07\0\x05\0\0\0", 8), false, ""},                             // header, no block
        {std::string("\0\0\x07\0\xff\xff\xff\x7f\x05\0\0\0\x01\0\0\0A", 17), false, ""}, // absurd length
        {std::string("\0\0\x07", 3), false, ""},
    };
    for (const Case& c : cases) {
        std::string text, error;
        EXPECT_EQ(DecodeDialogText(c.bytes, text, error), c.ok) << c.bytes.size() << " bytes";
        if (c.ok)
            EXPECT_EQ(text, c.text);
        else
            EXPECT_FALSE(error.empty());
    }
}

TEST_F(DialogTextFiles, FileFillsTheDictionaryAndAppliesTheLevelPatches)
{
    std::string path = Write("data/dialogs_eng_demo.txt", "RULO2 = Varek\r\n"
                                                          "LEVEL_2 = Bank\r\n"
                                                          "LEVEL_4 = Villa\r\n"
                                                          "MENU_BURG_2 = Bank job\r\n"
                                                          "MENU_BURG_4 = Villa job\r\n");
    EXPECT_EQ(DialogTextPath(folder.string(), 1), folder.string() + "\\data\\dialogs_eng_demo.txt");
    EXPECT_EQ(DialogTextPath(folder.string() + "/", 0), folder.string() + "/data\\dialogs_ger_demo.txt");

    CTextTree tree;
    std::string error = "stale";
    ASSERT_TRUE(LoadDialogTextsFrom(DialogTextPath(folder.string(), 1), tree, false, &error));
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(tree.Count(), 5);
    EXPECT_STREQ(tree.GetText("rulo2"), "Varek");
    EXPECT_STREQ(tree.GetText("LEVEL_2"), "Villa");
    EXPECT_STREQ(tree.GetText("MENU_BURG_2"), "Villa job");
    EXPECT_STREQ(tree.GetText("MISSING_KEY"), "text not found: MISSING_KEY");

    // Loading again replaces the entries; with show-keys the patches carry the key names.
    Write("data/dialogs_eng_demo.txt", "LEVEL_2 = Bank\nMENU_BURG_4 = Villa job\n");
    ASSERT_TRUE(LoadDialogTextsFrom(path, tree, true));
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_EQ(tree.Find("RULO2"), nullptr);
    EXPECT_STREQ(tree.GetText("LEVEL_2"), "LEVEL_4");
    EXPECT_EQ(tree.Find("MENU_BURG_2"), nullptr); // an absent target is not added
}

TEST_F(DialogTextFiles, MissingSourceOfAPatchCopiesThePlaceholder)
{
    std::string path = Write("data/dialogs_eng_demo.txt", "LEVEL_2 = Bank\n");
    CTextTree tree;
    ASSERT_TRUE(LoadDialogTextsFrom(path, tree, false));
    EXPECT_STREQ(tree.GetText("LEVEL_2"), "text not found: LEVEL_4");
}

TEST_F(DialogTextFiles, UnreadableFilesReportWhereAndKeepWhatWasLoaded)
{
    CTextTree tree;
    tree.Insert("KEPT", "still here");
    StartLogging();

    struct Case
    {
        const char* name;
        std::string bytes;
        bool create;
        const char* reason;
    };
    const Case cases[] = {
        {"missing.txt", "", false, "cannot be opened"},
        {"empty.txt", "", true, "empty"},
        {"zero.txt", std::string("\0KEY=1\n", 7), true, "zero byte"},
        {"cut.txt", std::string("\0\0\x07\0\x10\0\0\0\x0c\0\0\0\0\0", 14), true, "packed block"},
    };
    for (const Case& c : cases) {
        std::string path = (folder / "data" / c.name).string();
        if (c.create)
            Write(std::string("data/") + c.name, c.bytes);
        std::string error;
        EXPECT_FALSE(LoadDialogTextsFrom(path, tree, false, &error)) << c.name;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(tree.Count(), 1) << c.name;
        EXPECT_STREQ(tree.Find("KEPT"), "still here");
    }
    std::string log = ReadLog();
    EXPECT_NE(log.find("Opening file failed.\n"), std::string::npos);
    EXPECT_NE(log.find((folder / "data" / "missing.txt").string() + ": cannot be opened"), std::string::npos);
}

TEST_F(DialogTextFiles, LogShowsTheStepsTheStatisticsAndSkippedLinesWithFileLineColumn)
{
    std::string path = Write("data/dialogs_eng_demo.txt", "A = 1\nnonsense\nB = 2\n");
    StartLogging();
    CTextTree tree;
    ASSERT_TRUE(LoadDialogTextsFrom(path, tree, false));
    std::string log = ReadLog();
    const char* steps[] = {"Checking FP...",    "Clearing text-tree...",  "Creating foldername...",
                           "Checking file...",  "Retrieving length...",   "Reading file...",
                           "Parsing header...", "Entering parse loop...", "Leaving parse loop...",
                           "numelements: 2\n"};
    for (const char* s : steps)
        EXPECT_NE(log.find(s), std::string::npos) << s;
    EXPECT_EQ(log.find("Decoding file..."), std::string::npos);
    EXPECT_NE(log.find(path + ":2:1: line without '=' ignored"), std::string::npos) << log;
}

// The encoded form with a stored (mode 1) packed block, made by hand.
std::string StoredEncoded(const std::string& text)
{
    auto u32 = [](uint32_t v) {
        std::string b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[i] = static_cast<char>(v >> (8 * i));
        return b;
    };
    std::string inverted = text;
    for (char& c : inverted)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return std::string("\0\0\x07\0", 4) + u32(static_cast<uint32_t>(text.size())) +
           u32(static_cast<uint32_t>(text.size() + 4)) + std::string("\x01\0\0\0", 4) + inverted;
}

TEST_F(DialogTextFiles, EncodedFileIsRecognisedByItsHeaderWhateverItsName)
{
    std::string path = Write("data/dialogs_eng_demo.txt", StoredEncoded("RULO2 = Varek\nTWO = a\\nb\n"));
    StartLogging();
    CTextTree tree;
    ASSERT_TRUE(LoadDialogTextsFrom(path, tree, false));
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_STREQ(tree.GetText("RULO2"), "Varek");
    EXPECT_STREQ(tree.GetText("TWO"), "a\nb");
    EXPECT_NE(ReadLog().find("Parsing header...\nDecoding file...\n"), std::string::npos);

    // The decoded text is taken as it is: a CR stays, a zero byte ends it.
    Write("data/dialogs_eng_demo.txt", StoredEncoded(std::string("A = 1\r\nB = 2\0C = 3\n", 20)));
    ASSERT_TRUE(LoadDialogTextsFrom(path, tree, false));
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_STREQ(tree.GetText("A"), "1\r");
    EXPECT_EQ(tree.Find("C"), nullptr);
}

TEST_F(DialogTextFiles, StartUpLoaderReadsTheLanguagesFileOfTheStartFolderIntoTheGlobalDictionary)
{
    Write("data/Dialogs_Eng_Demo.TXT", "RULO2 = Varek\nLEVEL_2 = a\nLEVEL_4 = b\n");
    Write("data/dialogs_ger_demo.txt", "RULO2 = Der Varek\n");
    std::string previous = platform::GetCurrentDirectory();
    ASSERT_TRUE(platform::SetCurrentDirectory(folder.string()));
    ASSERT_EQ(ProgramFolder[0], 0);
    ShowKeysFlag = 1;
    bool ok = LoadDialogTexts();
    platform::SetCurrentDirectory(previous);
    ASSERT_TRUE(ok);
    EXPECT_STREQ(TextTree.GetText("RULO2"), "Varek");
    EXPECT_STREQ(TextTree.GetText("LEVEL_2"), "LEVEL_4");

    // Once set, the program folder decides; the language picks the file.
    std::snprintf(ProgramFolder, sizeof ProgramFolder, "%s", folder.string().c_str());
    Language = 0;
    ShowKeysFlag = 0;
    ok = LoadDialogTexts();
    Language = 1;
    ProgramFolder[0] = 0;
    ASSERT_TRUE(ok);
    EXPECT_STREQ(TextTree.GetText("RULO2"), "Der Varek");
    TextTree.Clear();
}

} // namespace
