// The task type table, the task a kind gets for an item, and the small task types.
#include "tests/behaviour/BehaviourFixture.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/behaviour/CTask.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"

namespace {

class TaskTypeTest : public BehaviourTest
{
};

} // namespace

TEST_F(TaskTypeTest, TableRows)
{
    int32_t named = 0;
    while (named < kTaskTypeRows && TaskTypeTable[named].name)
        ++named;
    EXPECT_EQ(named, 86);
    EXPECT_STREQ(TaskTypeTable[85].name, "Reduce Crimerate");
    for (int32_t row : {0, 13, 40, 41, 86})
        EXPECT_EQ(TaskTypeTable[row].factory, nullptr) << row;
    for (int32_t row = 1; row < 86; ++row)
        if (row != 13 && row != 40 && row != 41) {
            EXPECT_NE(TaskTypeTable[row].factory, nullptr) << row;
        }

    struct Case
    {
        int32_t row;
        const char* name;
        uint32_t params;
        uint32_t mask;
    } cases[] = {
        {14, "Alarmanlage", 19, 0x8},        {37, "BirdFlying", 10, 0x40},
        {50, "PlayActionSender", 1, 0x3fff}, {55, "WalkAndDo", 4, 0x4070},
        {63, "BurglaryTarget", 22, 0x3fff},  {76, "Direct Camera", 3, 0x70},
        {17, "Set Open State", 0, 0x188},
    };
    for (const Case& c : cases) {
        const STaskTypeRow& r = TaskTypeTable[c.row];
        EXPECT_STREQ(r.name, c.name);
        EXPECT_EQ(r.paramCount, c.params) << c.name;
        EXPECT_EQ(r.kindMask, c.mask) << c.name;
    }
    EXPECT_EQ(TaskTypeTable[63].params[21].type, PARAM_NUMBER);
    EXPECT_STREQ(TaskTypeTable[63].params[21].label, "Car Angle (0-359)");
    EXPECT_EQ(TaskTypeTable[63].params[9].type, PARAM_OBJECT);
    EXPECT_EQ(TaskTypeTable[63].params[9].label, nullptr);
    EXPECT_STREQ(TaskTypeTable[6].params[0].label, "action (0..mid, 1..low, 2..high)");
}

TEST_F(TaskTypeTest, KindMaskDecidesBetweenTheRowsTaskAndAPlainOne)
{
    auto onWindow = CreateTaskForKind(4, 8); // "Door" on a window
    ASSERT_NE(onWindow, nullptr);
    EXPECT_EQ(typeid(*onWindow), typeid(CTask));
    CObjectLogic logic;
    TaskParamList none;
    onWindow->Start(logic, none);
    EXPECT_FALSE(onWindow->Update(logic)) << "finishes at once";

    auto setFlag = CreateTaskForKind(1, 3);
    EXPECT_EQ(typeid(*setFlag), typeid(CSetFlagTask));
    EXPECT_EQ(typeid(*CreateTaskForKind(1, -1)), typeid(CTask)) << "no kind data never matches";
    EXPECT_EQ(typeid(*CreateTaskForKind(0, 3)), typeid(CTask)) << "a row without factory";
    EXPECT_EQ(typeid(*CreateTaskForKind(500, 3)), typeid(CTask)) << "a type outside the table";
}

TEST_F(TaskTypeTest, FlagTasksSetAndClearBits)
{
    CObjectLogic logic;
    TaskParamList params;
    params.push_back(CreateTaskParam(PARAM_FLAG));
    static_cast<CIntParam&>(*params[0]).value = 31;
    auto set = CreateTaskForKind(1, 4);
    set->Start(logic, params);
    EXPECT_EQ(logic.flags, 0x80000000u);
    EXPECT_FALSE(set->Update(logic));
    static_cast<CIntParam&>(*params[0]).value = 40; // names no bit
    set->Start(logic, params);
    EXPECT_EQ(logic.flags, 0x80000000u);
    static_cast<CIntParam&>(*params[0]).value = 31;
    CreateTaskForKind(2, 4)->Start(logic, params);
    EXPECT_EQ(logic.flags, 0u);
}

TEST_F(TaskTypeTest, PlayActionTasks)
{
    CObjectNode* def = AddDefinition("Guard", nullptr, 5);
    def->AddState("WAVE")->flagA = 1; // play once
    CWorldObject* guard = Place(g_WorldRoot, "guard", CWorldObject::KIND_OBJECT, def);
    guard->objectLogic = new CObjectLogic;
    guard->objectLogic->Init(guard);
    CObjectLogic& logic = *guard->objectLogic;

    TaskParamList params;
    params.push_back(CreateTaskParam(PARAM_ACTIONNAME));
    auto play = CreateTaskForKind(3, 5);
    play->Start(logic, params);
    EXPECT_EQ(logic.animation, def->firstState) << "an empty name plays nothing";
    EXPECT_FALSE(play->Update(logic));

    static_cast<CTextParam&>(*params[0]).text = "WAVE";
    logic.busy = 1;
    play->Start(logic, params);
    EXPECT_EQ(logic.animation, def->firstState) << "a busy object plays nothing";
    logic.busy = 0;
    GameClock.gameClock = 1234;
    play->Start(logic, params);
    ASSERT_TRUE(logic.IsCurrentAnimation("WAVE"));
    EXPECT_TRUE(play->Update(logic));
    EXPECT_EQ(logic.lastActivity, 1234);
    logic.animationEnded = 1;
    EXPECT_FALSE(play->Update(logic));
    GameClock.gameClock = 0;

    // The sender plays on the actor of the current request and makes it wait.
    CObjectLogic door;
    auto sender = CreateTaskForKind(50, 7);
    sender->Start(door, params);
    EXPECT_EQ(logic.busy, 0) << "no actor: nothing";
    door.action.source = guard;
    sender->Start(door, params);
    EXPECT_EQ(logic.busy, 1);
    static_cast<CTextParam&>(*params[0]).text = "MISSING";
    sender->Start(door, params);
    EXPECT_EQ(logic.busy, 0);
}

TEST_F(TaskTypeTest, EditorOffersNoHiddenType)
{
    const std::vector<int32_t> types = EditorTaskTypes(4);
    for (const char* hidden : {"FrozenCharacter", "StopWalking", "WalkAndDo", "WalkTo", "HeroRecord"})
        EXPECT_TRUE(std::none_of(types.begin(), types.end(), [&](int32_t t) {
            return std::strcmp(TaskTypeTable[t].name, hidden) == 0;
        })) << hidden;
    EXPECT_NE(std::find(types.begin(), types.end(), 11), types.end()) << "Hero";
    EXPECT_NE(std::find(types.begin(), types.end(), 8), types.end()) << "Walk";
    EXPECT_EQ(std::find(types.begin(), types.end(), 4), types.end()) << "Door";
    EXPECT_EQ(std::find(types.begin(), types.end(), 0), types.end()) << "None";
    const std::vector<int32_t> doorTypes = EditorTaskTypes(7);
    EXPECT_NE(std::find(doorTypes.begin(), doorTypes.end(), 4), doorTypes.end());
}
