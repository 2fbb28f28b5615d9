// Releasing a terrain's shared lists: texts and rule records go with their last owner only.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/world/WorldHelpers.h"
#include "LIBS/System/sPtrList.h"

namespace {

int g_entriesAlive = 0;

struct CountedEntry
{
    CountedEntry() { ++g_entriesAlive; }
    ~CountedEntry() { --g_entriesAlive; }
};

// A rule record as a terrain keeps it: name, eight numbers, shared entries.
struct RuleRecord
{
    sString name;
    uint32_t words[8] = {};
    sPtrList<CountedEntry> entries;
};

TEST(TerrainDataRelease, TheSharedEmptyBlockIsLeftAlone)
{
    sList<sString> texts;
    sList<RuleRecord> rules;
    ReleaseTextList(texts);
    ReleaseRecordList(rules);
    EXPECT_TRUE(texts.isEmptyBlock());
    EXPECT_TRUE(rules.isEmptyBlock());
    EXPECT_EQ(texts.refCount(), 0);
}

TEST(TerrainDataRelease, ATextListStillSharedKeepsItsTextsForTheOtherOwner)
{
    sList<sString> mine;
    mine.append(sString("grass"));
    mine.append(sString("rock"));
    sList<sString> other(mine);
    ASSERT_EQ(other.refCount(), 2);

    ReleaseTextList(mine);
    EXPECT_TRUE(mine.isEmptyBlock());
    ASSERT_EQ(other.count(), 2);
    EXPECT_EQ(other.refCount(), 1) << "this owner's reference is gone, the other's stays";
    EXPECT_STREQ(other[0].c_str(), "grass");
    EXPECT_STREQ(other[1].c_str(), "rock");

    ReleaseTextList(other);
    EXPECT_TRUE(other.isEmptyBlock());
}

TEST(TerrainDataRelease, RuleRecordsReleaseTheirEntriesWithTheLastOwner)
{
    g_entriesAlive = 0;
    {
        sList<RuleRecord> textureRules, objectRules;
        RuleRecord rule;
        rule.name = "slope";
        rule.words[7] = 0x3F800000u;
        rule.entries.append(sMemory::newObject<CountedEntry>());
        rule.entries.append(sMemory::newObject<CountedEntry>());
        textureRules.append(rule);
        // A copied record shares its entry list.
        objectRules.append(rule);
        rule.entries.release();
        ASSERT_EQ(g_entriesAlive, 2);

        sList<RuleRecord> kept(textureRules);
        ReleaseRecordList(textureRules);
        EXPECT_TRUE(textureRules.isEmptyBlock());
        ASSERT_EQ(kept.count(), 1);
        EXPECT_STREQ(kept[0].name.c_str(), "slope");
        EXPECT_EQ(kept[0].words[7], 0x3F800000u);
        EXPECT_EQ(kept[0].entries.count(), 2);

        ReleaseRecordList(kept);
        EXPECT_EQ(g_entriesAlive, 2) << "the object rules still share the entries";
        ReleaseRecordList(objectRules);
        EXPECT_EQ(g_entriesAlive, 0) << "the last owner releases every entry";
        EXPECT_TRUE(objectRules.isEmptyBlock());
    }
    EXPECT_EQ(g_entriesAlive, 0);
}

} // namespace
