// The drift of the gang's values after a burglary: skills grow by the members'
// action counters, the crime record grows with them, and known people's
// records of 0.5 or more fade now and then.
#include "GAMES/Rulo2/app/GangValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "platform/crt/Crt.h"

namespace {

class GangValues : public ::testing::Test
{
protected:
    void TearDown() override
    {
        PlanMemberArray.clear();
        KnownPeople.clear();
        for (auto& p : people)
            p->objectLogic = nullptr;
    }
    CCharacterAState* Person(float crime, float locks = 0, float safes = 0, float alarms = 0)
    {
        auto node = std::make_unique<CWorldObject>("person");
        logics.push_back(std::make_unique<CObjectLogic>());
        auto values = std::make_unique<CCharacterAState>();
        values->crimeRecords = crime;
        values->pickLocks = locks;
        values->pickSafes = safes;
        values->alarmSystems = alarms;
        CCharacterAState* raw = values.get();
        logics.back()->conditions = std::move(values);
        node->objectLogic = logics.back().get();
        people.push_back(std::move(node));
        return raw;
    }
    SPlanMember& Member(int32_t locks, int32_t safes, int32_t alarms)
    {
        SPlanMember& m = *PlanMemberArray.at(PlanMemberArray.add(1));
        m.member = people.back().get();
        m.pickedLocks = locks;
        m.crackedSafes = safes;
        m.alarmsSwitchedOff = alarms;
        return m;
    }
    std::vector<std::unique_ptr<CObjectLogic>> logics;
    std::vector<std::unique_ptr<CWorldObject>> people;
};

} // namespace

TEST_F(GangValues, SkillsGrowByTheCountersAndTheCrimeRecordWithThem)
{
    struct Case
    {
        int32_t locks, safes, alarms;
        float crime;
        float expectLocks, expectSafes, expectAlarms, expectCrime;
    } cases[] = {
        {0, 0, 0, 0.3f, 0.0f, 0.0f, 0.0f, 0.3f},
        {0, 10, 0, 0.0f, 0.0f, 1.0f - std::pow(0.93f, 10.0f), 0.0f, (1.0f - std::pow(0.93f, 10.0f)) / 2.5f},
        {1, 0, 1, 0.5f, 0.02f, 0.0f, 0.05f, 0.5f * 1.1f + 0.07f / 2.5f},
        {0, 100, 0, 0.9f, 0.0f, 1.0f - std::pow(0.93f, 100.0f), 0.0f, 1.0f},
    };
    for (const Case& c : cases) {
        PlanMemberArray.clear();
        CCharacterAState* v = Person(c.crime);
        Member(c.locks, c.safes, c.alarms);
        DriftGangValues();
        EXPECT_NEAR(v->pickLocks, c.expectLocks, 1e-5f) << c.locks;
        EXPECT_NEAR(v->pickSafes, c.expectSafes, 1e-5f) << c.safes;
        EXPECT_NEAR(v->alarmSystems, c.expectAlarms, 1e-5f) << c.alarms;
        EXPECT_NEAR(v->crimeRecords, c.expectCrime, 1e-5f) << c.safes;
    }
}

TEST_F(GangValues, KnownPeoplesRecordsOfHalfOrMoreFadeOnAboutHalfTheCalls)
{
    crt::srand(7);
    CCharacterAState* low = Person(0.49f);
    KnownPeople.push_back(people.back().get());
    CCharacterAState* high = Person(0.8f);
    KnownPeople.push_back(people.back().get());
    int decays = 0;
    for (int i = 0; i < 400; ++i) {
        high->crimeRecords = 0.8f;
        DriftGangValues();
        if (high->crimeRecords < 0.8f) {
            ++decays;
            EXPECT_GE(high->crimeRecords, 0.8f * 0.9f - 1e-6f);
            EXPECT_LE(high->crimeRecords, 0.8f * 0.95f + 1e-6f);
        }
    }
    EXPECT_EQ(low->crimeRecords, 0.49f);
    EXPECT_GT(decays, 140);
    EXPECT_LT(decays, 260);
}
