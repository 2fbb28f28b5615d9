// The burglary target that sets up a burglary at the game reset, the getaway
// car that ends it when the whole gang is out, and the small flow tasks.
#include "GAMES/Rulo2/behaviour/tasks/BurglaryTasks.h"

#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/SnapPoints.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Burglary : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        GamePhase = PHASE_PLANNING;
        PlanBurglaryNumber = 1;
        BurglaryTargetReset = 1;
    }
    void TearDown() override
    {
        BurglaryTargetReset = 0;
        PlanBurglaryNumber = 0;
        PlanMemberArray.clear();
        RequiredLootShare = 0.0f;
        BurglaryParTime = 0;
        TargetLootValue = 0.0f;
        PlanCar = nullptr;
        DeleteRuntimeWorldObject(g_SpecialObject);
        g_SpecialObject = nullptr;
        TaskWorldTest::TearDown();
    }
    // A burglary target for the number: leash 2.5, the car at (3, 0, 3) turned 90 degrees, the members'
    // places from (10, 0, 0) on, the objects, 75 % loot needed, 20 minutes par time.
    TaskParamList Target(int32_t number, std::vector<CWorldObject*> objects = {})
    {
        TaskParamList list = List(Number(PARAM_NUMBER, number));
        auto radius = CreateTaskParam(PARAM_RADIUS);
        static_cast<CRadiusParam*>(radius.get())->value = 2.5f;
        list.push_back(std::move(radius));
        list.push_back(Position({3, 0, 3}));
        for (int i = 0; i < 6; ++i)
            list.push_back(Position({10.0f + float(i), 0, 0}));
        for (size_t i = 0; i < 10; ++i)
            list.push_back(ObjectRef(i < objects.size() ? objects[i] : nullptr));
        list.push_back(Number(PARAM_NUMBER, 75));
        list.push_back(Number(PARAM_TIME, 1'200'000));
        list.push_back(Number(PARAM_NUMBER, 90));
        return list;
    }
};

} // namespace

TEST_F(Burglary, OnlyTheTargetOfTheCurrentNumberWritesTheGlobals)
{
    CWorldObject* holder = Object("Targets", KIND_FIXED, {5, 0, 5});
    Ground();
    CWorldObject* house = static_cast<CWorldObject*>(world->root->FindByName("Haus_T"));
    CWorldObject* safe = Object("Tresor", KIND_FIXED, {1, 0, 1}, {"CLOSED"}, ground->parent);
    CWorldObject* guard = Character("Guard", {0, 0, 0});
    Start<CBurglaryTargetTask>(holder, Target(2, {safe}));
    EXPECT_EQ(BurglaryLeashRadius, kDefaultLeashRadius) << "burglary 2 is not the plan's";
    EXPECT_TRUE(BurglaryHouses.empty());

    Start<CBurglaryTargetTask>(holder, Target(1, {safe, guard}));
    EXPECT_FLOAT_EQ(RequiredLootShare, 0.75f);
    EXPECT_EQ(BurglaryParTime, 1'200'000);
    EXPECT_EQ(BurglaryLeashRadius, 2.5f);
    EXPECT_EQ(BurglaryStartPoint.x, 5.0f);
    ASSERT_EQ(BurglaryHouses.size(), 1u);
    EXPECT_EQ(BurglaryHouses[0], house);
    ASSERT_EQ(BurglaryCharacters.size(), 1u) << "a character is no house";
    EXPECT_EQ(BurglaryCharacters[0], guard);
}

// The guard a burglary names is chosen, so the reset's character list keeps him active and shown
// in the planning and the burglary; without the target he would stand hidden and never watch.
TEST_F(Burglary, TheTargetsCharactersTakePartInThePlanningAndTheBurglary)
{
    CWorldObject* holder = Object("Targets", KIND_FIXED, {5, 0, 5});
    CWorldObject* guard = Character("Guard", {0, 0, 0});
    CWorldObject* walker = Character("Walker", {1, 0, 0});
    guard->objectLogic->objectId = 41;
    walker->objectLogic->objectId = 42;
    ChosenCharacterIds = {42};
    Start<CBurglaryTargetTask>(holder, Target(1, {guard}));
    EXPECT_EQ(ChosenCharacterIds, std::vector<uint32_t>{41}) << "the list of an earlier reset goes";
    for (int32_t phase : {PHASE_PLANNING, PHASE_BURGLARY}) {
        GamePhase = phase;
        ActiveCharacters.clear();
        PrepareCharacters(world->root.get());
        EXPECT_EQ(ActiveCharacters, std::vector<CWorldObject*>{guard}) << phase;
        EXPECT_EQ(guard->flags & 4, 0) << phase;
        EXPECT_EQ(walker->flags & 4, 4) << phase;
    }
    ActiveCharacters.clear();
    ChosenCharacterIds.clear();
}

TEST_F(Burglary, NothingIsWrittenOutsideTheResetOrInRealtime)
{
    CWorldObject* holder = Object("Targets", KIND_FIXED, {5, 0, 5});
    BurglaryTargetReset = 0;
    Start<CBurglaryTargetTask>(holder, Target(1));
    BurglaryTargetReset = 1;
    GamePhase = PHASE_REALTIME;
    Start<CBurglaryTargetTask>(holder, Target(1));
    EXPECT_EQ(BurglaryLeashRadius, kDefaultLeashRadius);
    EXPECT_EQ(RequiredLootShare, 0.0f);
}

TEST_F(Burglary, AnObjectOutsideAnyHouseIsOnlyWarnedAbout)
{
    CWorldObject* holder = Object("Targets", KIND_FIXED, {5, 0, 5});
    CWorldObject* outside = Object("Bench", KIND_FIXED, {4, 0, 4});
    ProgramLog log;
    Start<CBurglaryTargetTask>(holder, Target(1, {outside}));
    EXPECT_NE(log.Text().find("WARNING: burglary-object does not belong to a valid group!"),
              std::string::npos);
    EXPECT_TRUE(BurglaryHouses.empty());
    EXPECT_FLOAT_EQ(RequiredLootShare, 0.75f);
}

TEST_F(Burglary, TheTargetPlacesThePlansCarAsTheSpecialObjectAndTheGang)
{
    CWorldObject* holder = Object("Targets", KIND_FIXED, {5, 0, 5});
    // The world deletes the definition with the others.
    CObjectNode& car = *new CObjectNode("*hero_car");
    car.objectLogic = new CObjectLogic;
    car.objectLogic->ownKindData = CKindData::Create(KIND_CAR);
    PlanCar = &car;
    CWorldObject* hero = Character("Hero", {0, 0, 0});
    CWorldObject* mate = Character("Mate", {0, 0, 1});
    PlanMemberArray.clear();
    PlanMemberArray.at(PlanMemberArray.add(1))->member = hero;
    PlanMemberArray.at(PlanMemberArray.add(1))->member = mate;
    Start<CBurglaryTargetTask>(holder, Target(1));
    CWorldObject* placed = FindObjectById(12345678);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed, g_SpecialObject);
    EXPECT_EQ(placed->Definition(), &car);
    EXPECT_EQ(placed->objectLogic->recorderId, 12345678);
    EXPECT_EQ(placed->position.x, 3.0f);
    EXPECT_EQ(placed->position.z, 3.0f);
    EXPECT_NEAR(placed->angle, 1.5707964f, 1e-6f);
    EXPECT_EQ(hero->position.x, 10.0f);
    EXPECT_EQ(mate->position.x, 11.0f);
    // A second reset reuses the car.
    Start<CBurglaryTargetTask>(holder, Target(1));
    EXPECT_EQ(FindObjectById(12345678), placed);
}

TEST_F(Burglary, TheLastMemberIntoTheCarEndsTheBurglaryWithTheResults)
{
    GamePhase = PHASE_BURGLARY;
    RecordState = RECORD_NORMAL;
    InterfaceMode = 2;
    CWorldObject* car = Object("Car", KIND_CAR, {0, 0, 0});
    CWorldObject* a = Character("A", {1, 0, 0});
    CWorldObject* b = Character("B", {2, 0, 0});
    CWorldObject* c = Character("C", {3, 0, 0});
    Gang({a, b, c});
    GangMemberList[1].caught = 1;
    auto enter = [&](CWorldObject* who) {
        car->objectLogic->action.source = who;
        Start<CFinishBurglaryTask>(car);
    };
    enter(a);
    EXPECT_TRUE(tasks::IsHidden(a));
    EXPECT_EQ(GangMemberList[0].escaped, 1);
    enter(a);
    EXPECT_EQ(GamePhase, PHASE_BURGLARY) << "an escaped member counts once";
    EXPECT_EQ(ResultsMenuOpen, 0);
    enter(c);
    EXPECT_EQ(GamePhase, PHASE_REALTIME);
    EXPECT_EQ(RecordState, RECORD_NORMAL);
    EXPECT_EQ(InterfaceMode, 0);
    EXPECT_EQ(ResultsMenuOpen, 1);
    ResultsMenuOpen = 0;
}

TEST_F(Burglary, OutsideTheBurglaryTheCarOnlyHidesWhoGetsIn)
{
    GamePhase = PHASE_PLANNING;
    QuietSounds sounds({"WINDOW_SHUT"});
    CWorldObject* car = Object("Car", KIND_CAR, {0, 0, 0});
    CWorldObject* a = Character("A", {1, 0, 0});
    Gang({a});
    car->objectLogic->action.source = a;
    Start<CFinishBurglaryTask>(car);
    EXPECT_TRUE(tasks::IsHidden(a));
    EXPECT_EQ(sounds.Count("WINDOW_SHUT"), 1);
    EXPECT_EQ(GangMemberList[0].escaped, 0);
    EXPECT_EQ(GamePhase, PHASE_PLANNING);
}

TEST_F(Burglary, ReduceCrimerateScalesTheHerosRecord)
{
    CWorldObject* hero = Character("Hero", {0, 0, 0});
    auto state = std::make_unique<CCharacterAState>();
    state->crimeRecords = 0.8f;
    hero->objectLogic->conditions = std::move(state);
    CurrentCharacter = hero;
    Start<CReduceCrimerateTask>(hero, List(Number(PARAM_NUMBER, 50)));
    EXPECT_FLOAT_EQ(hero->objectLogic->CrimeRecords(), 0.4f);
    Start<CReduceCrimerateTask>(hero, List(Number(PARAM_NUMBER, 0)));
    EXPECT_EQ(hero->objectLogic->CrimeRecords(), 0.0f);
    CurrentCharacter = nullptr;
}

TEST_F(Burglary, PlanModeAsksForThePlanSelectionAndSuccessIsEnabled)
{
    CWorldObject* o = Object("o", KIND_FIXED, {0, 0, 0});
    ReturnToPlanSelect = 0;
    Start<CPlanModeTask>(o);
    EXPECT_EQ(ReturnToPlanSelect, 1);
    ReturnToPlanSelect = 0;
    ResultsSwitch = 0;
    Start<CEnableBurglarySuccessTask>(o);
    EXPECT_EQ(ResultsSwitch, 1);
}

TEST_F(Burglary, TheFakeHeroStandsInOnlyOnLevelTwo)
{
    CWorldObject* stand = Character("Stand-in", {0, 0, 0});
    BurglaryLevel = 1;
    auto* task = Start<CInitFakeHeroTask>(stand);
    EXPECT_TRUE(tasks::IsHidden(stand));
    EXPECT_TRUE(task->Update(*stand->objectLogic));
    BurglaryLevel = 2;
    stand->flags = 0x02;
    task = Start<CInitFakeHeroTask>(stand);
    EXPECT_FALSE(tasks::IsHidden(stand));
    EXPECT_EQ(CurrentCharacter, stand);
    EXPECT_FALSE(task->Update(*stand->objectLogic));
    BurglaryLevel = 1;
    CurrentCharacter = nullptr;
}

TEST_F(Burglary, TheFlowRowsRunTheirTasks)
{
    EXPECT_NE(dynamic_cast<CBurglaryTargetTask*>(CreateTaskForKind(TASK_BURGLARY_TARGET, KIND_FIXED).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<CFinishBurglaryTask*>(
                  CreateTaskForKind(TaskTypeByName("Finish Burglary"), KIND_CAR).get()),
              nullptr);
    EXPECT_EQ(typeid(*CreateTaskForKind(TaskTypeByName("Finish Burglary"), KIND_FIXED)), typeid(CTask));
}
