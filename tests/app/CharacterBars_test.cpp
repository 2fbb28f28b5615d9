// The progress bars over the characters: which character shows how far its work has come, and
// when the bars show at all.
#include "GAMES/Rulo2/app/CharacterBars.h"

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class CharacterBars : public ::testing::Test
{
protected:
    void TearDown() override
    {
        ActiveCharacters.clear();
        CrackingList.clear();
        GamePhase = PHASE_REALTIME;
        RecordState = RECORD_NORMAL;
        GameClock.gameSpeed = 100;
        CharacterBarsOff[0] = CharacterBarsOff[1] = 0;
    }
};

TEST_F(CharacterBars, OnlyTheCharacterAtWorkCarriesTheProgressOfTheObjectItCracks)
{
    CWorldObject cracker, idle, lockObject, safeObject;
    CObjectLogic lock, safe;
    lock.conditions = std::make_unique<CPassageState>(7);
    lock.SetProgress(0.25f);
    safe.conditions = std::make_unique<CFixedState>();
    safe.SetProgress(0.75f);
    ActiveCharacters = {&idle, &cracker};
    // The safe is cracked by someone not in the list: it shows on nobody.
    CrackingList = {{&lockObject, &lock, &cracker}, {&safeObject, &safe, nullptr}};
    const std::vector<SCharacterProgress> list = CharacterProgressList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].character, &idle);
    EXPECT_LT(list[0].progress, 0.0f);
    EXPECT_EQ(list[1].character, &cracker);
    EXPECT_FLOAT_EQ(list[1].progress, 0.25f);
    CrackingList.clear();
    EXPECT_LT(CharacterProgressList()[1].progress, 0.0f) << "the work ended";
}

TEST_F(CharacterBars, ShowOnlyInTheHudAndInPlanningOnlyWhileARecordingRuns)
{
    const struct
    {
        bool hud;
        int32_t phase, record, speed;
        uint8_t off0, off1;
        bool shown;
    } cases[] = {
        {true, PHASE_REALTIME, RECORD_NORMAL, 100, 0, 0, true},
        {false, PHASE_REALTIME, RECORD_NORMAL, 100, 0, 0, false},
        {true, PHASE_BURGLARY, RECORD_NORMAL, 0, 0, 0, true},
        {true, PHASE_PLANNING, RECORD_RECORD, 100, 0, 0, true},
        {true, PHASE_PLANNING, RECORD_RECORD, 0, 0, 0, false},
        {true, PHASE_PLANNING, RECORD_REPLAY, 100, 0, 0, false},
        {true, PHASE_REALTIME, RECORD_NORMAL, 100, 1, 0, false},
        {true, PHASE_BURGLARY, RECORD_NORMAL, 100, 0, 1, false},
    };
    for (const auto& c : cases) {
        GamePhase = c.phase;
        RecordState = c.record;
        GameClock.gameSpeed = c.speed;
        CharacterBarsOff[0] = c.off0;
        CharacterBarsOff[1] = c.off1;
        EXPECT_EQ(CharacterBarsShown(c.hud), c.shown)
            << "hud " << c.hud << " phase " << c.phase << " record " << c.record << " speed " << c.speed
            << " flags " << int(c.off0) << int(c.off1);
    }
}

} // namespace
