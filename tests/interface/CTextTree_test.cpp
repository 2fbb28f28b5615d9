#include "GAMES/Rulo2/interface/CTextTree.h"

#include "GAMES/Rulo2/app/ShowKeys.h"
#include "LIBS/System/LogPrintf.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

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
    EXPECT_STREQ(tree.Root()->key, "beta");
    EXPECT_STREQ(tree.Root()->left->key, "Alpha");
    EXPECT_STREQ(tree.Root()->right->key, "gamma");
}

TEST(CTextTree, DepthsFollowTheTreeShape)
{
    struct Case { std::vector<const char*> keys; int minDepth, maxDepth; };
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
    EXPECT_EQ(got.str(),
              "\nTextTreeStat Start----------------------\n"
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
