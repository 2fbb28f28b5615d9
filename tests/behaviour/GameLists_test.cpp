// The gang table: growing keeps every record, new records start at zero.
#include <gtest/gtest.h>

#include <cstdint>

#include "GAMES/Rulo2/behaviour/GameLists.h"

namespace {

bool IsZero(const SPlanMember& r)
{
    if (r.member || r.leader || r.pickedLocks || r.crackedSafes || r.alarmsSwitchedOff ||
        r.memberFactor != 0.0f || r.carriedLoad != 0.0f)
        return false;
    for (const SItemSlot& s : r.hands)
        if (s.item || s.word)
            return false;
    for (const SItemSlot& s : r.bag)
        if (s.item || s.word)
            return false;
    for (uint32_t w : r.words)
        if (w)
            return false;
    return !r.toolFlags[0] && !r.toolFlags[1] && !r.toolFlags[2] && !r.bytes[0] && !r.bytes[1];
}

} // namespace

TEST(GangTable, GrowingKeepsEveryRecordAndAddsZeroRecords)
{
    CPlanMemberArray table;
    EXPECT_EQ(table.add(1), 0);
    EXPECT_EQ(table.capacity(), 1) << "grow step 1 allocates exactly what is asked";
    SPlanMember& hero = *table.at(0);
    EXPECT_TRUE(IsZero(hero));
    auto* tool = reinterpret_cast<CObjectNode*>(uintptr_t(0x1000));
    auto* loot = reinterpret_cast<CObjectNode*>(uintptr_t(0x2000));
    hero.leader = 1;
    hero.words[1] = 5;
    hero.pickedLocks = 2;
    hero.crackedSafes = 3;
    hero.alarmsSwitchedOff = 4;
    hero.memberFactor = 0.6f;
    hero.hands[2] = {tool, 0};
    hero.bag[9] = {loot, 7};
    hero.carriedLoad = 12.5f;
    hero.toolFlags[2] = 1;
    hero.bytes[1] = 9;
    SPlanMember before = hero;

    EXPECT_EQ(table.add(2), 1);
    EXPECT_EQ(table.count(), 3);
    const SPlanMember& kept = *table.at(0);
    EXPECT_EQ(kept.leader, before.leader);
    EXPECT_EQ(kept.words[1], before.words[1]);
    EXPECT_EQ(kept.pickedLocks, 2);
    EXPECT_EQ(kept.crackedSafes, 3);
    EXPECT_EQ(kept.alarmsSwitchedOff, 4);
    EXPECT_FLOAT_EQ(kept.memberFactor, 0.6f) << "the loot share";
    EXPECT_FLOAT_EQ(kept.carriedLoad, 12.5f);
    EXPECT_EQ(kept.toolFlags[2], 1);
    EXPECT_EQ(kept.bytes[1], 9);
    EXPECT_TRUE(IsZero(*table.at(1)));
    EXPECT_TRUE(IsZero(*table.at(2)));
    EXPECT_EQ(table.at(0)->hands[2].item, tool);
    EXPECT_EQ(table.at(0)->bag[9].word, 7u);

    table.clear();
    EXPECT_EQ(table.count(), 0);
    EXPECT_EQ(table.capacity(), 0);
    table.growStep = 4;
    EXPECT_EQ(table.add(5), 0);
    EXPECT_EQ(table.capacity(), 8) << "rounded up to the grow step";
    EXPECT_EQ(table.add(0), 5);
}
