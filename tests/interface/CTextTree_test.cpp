#include "GAMES/Rulo2/interface/CTextTree.h"

#include "GAMES/Rulo2/app/ShowKeys.h"
#include "LIBS/System/LogPrintf.h"
#include "LIBS/System/sLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "tests/support/LogCapture.h"

namespace {

TEST(CTextTree, KeysMatchWithoutRegardToCaseAndFirstDefinitionWins)
{
    CTextTree tree;
    EXPECT_TRUE(tree.Insert("MENU_BACK", "Back"));
    EXPECT_STREQ(tree.Find("menu_back"), "Back");
    EXPECT_FALSE(tree.Insert("Menu_Back", "Zurueck"));
    EXPECT_STREQ(tree.GetText("MENU_BACK"), "Back");
    EXPECT_EQ(tree.Count(), 1);
}

TEST(CTextTree, MissingKeysShowThePlaceholderInOneSharedBuffer)
{
    CTextTree tree;
    EXPECT_EQ(tree.Find("A"), nullptr);
    const char* first = tree.GetText("A");
    EXPECT_STREQ(first, "text not found: A");
    const char* second = tree.GetText("BB");
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "text not found: BB");
}

TEST(CTextTree, OverlongMissingKeyIsShortenedNotOverrun)
{
    CTextTree tree;
    std::string key(200, 'K');
    std::string shown = tree.GetText(key.c_str());
    EXPECT_EQ(shown, "text not found: " + std::string(53, 'K'));
    EXPECT_STREQ(tree.GetText(""), "text not found: ");
}

TEST(CTextTree, SetTextReplacesOnlyPresentEntries)
{
    CTextTree tree;
    EXPECT_FALSE(tree.SetText("ABSENT", "x"));
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.Find("ABSENT"), nullptr);
    tree.Insert("LEVEL_2", "Bank");
    EXPECT_TRUE(tree.SetText("level_2", "Villa"));
    EXPECT_STREQ(tree.Find("LEVEL_2"), "Villa");
    EXPECT_TRUE(tree.SetText("LEVEL_2", nullptr));
    EXPECT_STREQ(tree.Find("LEVEL_2"), "");
}

TEST(CTextTree, UnderscoreSortsBeforeLettersAndShapeFollowsInsertion)
{
    EXPECT_LT(CompareTextKeys("A_B", "AB"), 0);
    EXPECT_GT(CompareTextKeys("b", "A"), 0);
    EXPECT_EQ(CompareTextKeys("abc", "ABC"), 0);
    EXPECT_LT(CompareTextKeys("AB", "ABC"), 0);
    // Bytes above 0x7F compare unsigned and are not folded.
    EXPECT_GT(CompareTextKeys("\xC4", "z"), 0);
    EXPECT_NE(CompareTextKeys("\xC4", "\xE4"), 0);

    CTextTree tree;
    tree.Insert("beta", "2");
    tree.Insert("Alpha", "1");
    tree.Insert("gamma", "3");
    ASSERT_NE(tree.Root(), nullptr);
    EXPECT_STREQ(tree.Root()->key.c_str(), "beta");
    EXPECT_STREQ(tree.Root()->left->key.c_str(), "Alpha");
    EXPECT_STREQ(tree.Root()->right->key.c_str(), "gamma");
}

TEST(CTextTree, DepthsFollowTheTreeShape)
{
    struct Case
    {
        std::vector<const char*> keys;
        int minDepth, maxDepth;
    };
    const Case cases[] = {
        {{}, -1, -1},
        {{"M"}, 0, 0},
        {{"M", "A"}, 0, 1},
        {{"M", "A", "Z"}, 1, 1},
        {{"M", "A", "Z", "B"}, 1, 2},
        {{"A", "B", "C", "D"}, 0, 3},
    };
    for (const Case& c : cases) {
        CTextTree tree;
        for (const char* k : c.keys)
            tree.Insert(k, "");
        int32_t lo = 7, hi = 7;
        tree.Depths(&lo, &hi);
        EXPECT_EQ(lo, c.minDepth) << c.keys.size() << " keys";
        EXPECT_EQ(hi, c.maxDepth) << c.keys.size() << " keys";
    }
}

TEST(CTextTree, ClearEmptiesAndALongSortedChainIsFreedSafely)
{
    CTextTree tree;
    char key[16];
    for (int i = 0; i < 200000; ++i) {
        std::snprintf(key, sizeof key, "K%07d", i);
        if (i < 2000 || i % 1000 == 0)
            tree.Insert(key, "t");
    }
    EXPECT_GT(tree.Count(), 2000);
    tree.Clear();
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.Find("K0000001"), nullptr);
    EXPECT_TRUE(tree.Insert("K0000001", "again"));
    EXPECT_STREQ(tree.GetText("k0000001"), "again");
}

TEST(CTextTree, DumpListsEntriesInKeyOrderAndReplacesTheListContents)
{
    CTextTree tree;
    const char* keys[] = {"beta", "Alpha", "gamma", "A_Z", "delta", "b"};
    for (const char* k : keys)
        tree.Insert(k, (std::string("t-") + k).c_str());
    sList<sStringPair> list;
    sStringPair stale;
    stale.key = "STALE";
    list.append(stale);
    tree.Dump(list);
    const char* expected[] = {"A_Z", "Alpha", "b", "beta", "delta", "gamma"};
    ASSERT_EQ(list.count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(list[i].key.c_str(), expected[i]);
        EXPECT_EQ(std::string(list[i].text.c_str()), std::string("t-") + expected[i]);
    }

    // A list still shared with another owner is emptied with the warning.
    sList<sStringPair> other = list;
    std::string warnings;
    {
        LogCapture capture(2);
        tree.Dump(list);
        warnings = capture.text();
    }
    EXPECT_NE(warnings.find("List cleared while referenced twice! Data may be corrupted."),
              std::string::npos);
    EXPECT_EQ(list.count(), 6);
}

TEST(CTextTree, ExpandTextKeyListJoinsTheTextsOfKnownKeys)
{
    TextTree.Clear();
    TextTree.Insert("Q_ONE", "First?");
    TextTree.Insert("Q_THREE", "Third?");
    struct Case
    {
        const char* list;
        bool result;
        const char* out;
    };
    const Case cases[] = {
        {"Q_ONE , Q_TWO ,Q_THREE", true, "First?\nThird?"},
        {"Q_TWO", false, "unchanged"},
        {"q_one", true, "First?"},
        {"\tQ_ONE\t,\nQ_THREE\n", true, "First?\nThird?"},
        {"Q_ONE,", true, "First?\n"},
        {",,Q_THREE", true, "Third?"},
        {"", false, "unchanged"},
    };
    for (const Case& c : cases) {
        sString out("unchanged");
        if (c.result)
            out = "";
        EXPECT_EQ(ExpandTextKeyList(c.list, &out), c.result) << c.list;
        EXPECT_STREQ(out.c_str(), c.out) << c.list;
        EXPECT_EQ(ExpandTextKeyList(c.list, nullptr), c.result) << c.list;
    }
    sString out("Before: ");
    EXPECT_TRUE(ExpandTextKeyList("Q_THREE", &out));
    EXPECT_STREQ(out.c_str(), "Before: Third?");
    EXPECT_TRUE(ExpandTextKeyList(nullptr, &out));
    EXPECT_STREQ(out.c_str(), "Before: Third?");
    TextTree.Clear();
}

TEST(CTextTree, ParseNumberListReadsBlankSeparatedNumbersInRange)
{
    struct Case
    {
        const char* list;
        bool result;
        std::vector<int32_t> numbers;
    };
    const Case cases[] = {
        {"3 7", true, {3, 7}},
        {"3 12", false, {3}},
        {"x", false, {}},
        {"", true, {}},
        {" \t ", true, {}},
        {"3\t7", true, {3}},
        {"  10   1  ", true, {10, 1}},
        {"0", false, {}},
        {"5 abc 6", true, {5, 6}},
        {"99999999999999999999 2", false, {}},
        {"-2", false, {}},
        {"4x 5", true, {4, 5}},
    };
    for (const Case& c : cases) {
        sArray<int32_t> numbers(2);
        EXPECT_EQ(ParseNumberList(c.list, 10, &numbers), c.result) << "'" << c.list << "'";
        std::vector<int32_t> got(numbers.begin(), numbers.end());
        EXPECT_EQ(got, c.numbers) << "'" << c.list << "'";
        EXPECT_EQ(ParseNumberList(c.list, 10, nullptr), c.result);
    }
    EXPECT_TRUE(ParseNumberList(nullptr, 10, nullptr));
}

TEST(CTextTree, StatisticsGoToTheApplicationLog)
{
    auto path = std::filesystem::temp_directory_path() / ("textstat_" + std::to_string(::getpid()) + ".txt");
    std::filesystem::remove(path);
    uint8_t logging = 1;
    LogPrintfSetTarget(&logging, path.string().c_str());
    CTextTree tree;
    tree.Insert("M", "");
    tree.Insert("A", "");
    tree.LogStatistics();
    LogPrintfSetTarget(nullptr, "");
    std::ifstream in(path);
    std::stringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), "\nTextTreeStat Start----------------------\n"
                         "numelements: 2\n"
                         "mindepth: 0\nmaxdepth: 1\n"
                         "TextTreeStat End----------------------\n\n");
    std::filesystem::remove(path);
}

TEST(CTextTree, DisplayTextFollowsTheShowKeysFlag)
{
    TextTree.Clear();
    TextTree.Insert("RULO2", "Varek");
    EXPECT_STREQ(GetDisplayText("RULO2"), "Varek");
    EXPECT_STREQ(GetDisplayText("NOPE"), "text not found: NOPE");
    ShowKeysFlag = 1;
    EXPECT_STREQ(GetDisplayText("RULO2"), "RULO2");
    ShowKeysFlag = 0;
    TextTree.Clear();
}

} // namespace
