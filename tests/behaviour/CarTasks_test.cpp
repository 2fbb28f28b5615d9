// Cars: hailing a taxi with the fee in hand (or not), the destination
// question built from the registered map areas, and getting into and out of
// the getaway car.
#include "GAMES/Rulo2/behaviour/tasks/CarTasks.h"

#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/CMapMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/navigation/CCar.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Cars : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        GamePhase = PHASE_REALTIME;
        ResultsMenuOpen = 0;
        ShowKeysFlag = 0;
        TextTree.Clear();
        for (const char* key : {"NO_TAXI", "CANT_AFFORD_TAXI", "TAXI_DONTWANNADRIVE", "CAB_01", "CAB_05"})
            TextTree.Insert(key, key);
        TextTree.Insert("TAXI_FEE", "20");
        MapSpots.clear();
        hero = Character("Held", {0, 0, 0});
        CurrentCharacter = hero;
    }
    void TearDown() override
    {
        TextTree.Clear();
        MapSpots.clear();
        Cash = 0;
        StoredCharacter = nullptr;
        TaskWorldTest::TearDown();
    }
    CWorldObject* Car(const char* name) { return Object(name, KIND_CAR, {1, 0, 0}, {"OPEN"}); }
    CCarTargetTask* Hail(CWorldObject* car)
    {
        auto* task = Start<CCarTargetTask>(car, List(Position({5, 0, 0}), Number(PARAM_NUMBER, 3)));
        Request(0, hero, car);
        task->Update(*car->objectLogic);
        return task;
    }
    static std::unique_ptr<CTaskParam> Text(const char* key)
    {
        auto p = CreateTaskParam(PARAM_TEXTID);
        static_cast<CTextParam*>(p.get())->text = key;
        return p;
    }
    void Area(const char* name, float x)
    {
        CWorldObject* marker = Object(name, KIND_FIXED, {x, 0, 0}, {"OPEN"});
        Start<CMapAreaTask>(
            marker, List(Position({x, 3, 0}), Number(PARAM_NUMBER, 0), Position({x, 0, 1}), Text(name)));
    }

    CWorldObject* hero = nullptr;
};

} // namespace

TEST_F(Cars, CashEqualToTheFeeIsEnoughForATaxi)
{
    struct Case
    {
        const char* car;
        int32_t cash;
        bool comes;
        const char* bubble;
    } cases[] = {
        {"taxi_gelb", 20, true, ""},
        {"Taxi_Gruen", 21, true, ""},
        {"taxi_gelb", 19, false, "CANT_AFFORD_TAXI"},
        {"bus", 100, false, "NO_TAXI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.car + std::to_string(c.cash));
        RemoveAllTextBubbles();
        RequestQueue.clear();
        Cash = c.cash;
        CWorldObject* car = Car(c.car);
        Hail(car);
        EXPECT_EQ(car->objectLogic->GetCar()->braking != 0, c.comes);
        EXPECT_EQ(Bubble(hero), c.bubble);
        EXPECT_EQ(Cash, c.cash) << "the fee is paid at the end of the ride";
        EXPECT_TRUE(RequestQueue.front().handled);
    }
}

TEST_F(Cars, AFeeTextThatIsNoNumberCostsNothing)
{
    EXPECT_EQ(CCarTargetTask::Fee(), 20);
    TextTree.Clear();
    TextTree.Insert("TAXI_FEE", "umsonst");
    EXPECT_EQ(CCarTargetTask::Fee(), 0);
}

TEST_F(Cars, OutsideRealtimeTheCarIsHiddenAndDoesNothing)
{
    GamePhase = PHASE_PLANNING;
    Cash = 100;
    CWorldObject* car = Car("taxi_gelb");
    Hail(car);
    EXPECT_EQ(car->flags, 2);
    EXPECT_FALSE(RequestQueue.front().handled);
}

TEST_F(Cars, TheDestinationQuestionListsTheRegisteredAreasInTableOrder)
{
    Area("CAB_05", 5);
    Area("CAB_01", 1);
    Area("CAB_02", 2); // never registered
    Area("CAB_99", 9); // not in the table
    Area("cab_01", 1); // the same spot again, in other letters: another name, registered
    ASSERT_EQ(MapSpots.size(), 4u);
    EXPECT_EQ(MapSpots[0].position[1], 0.0f) << "the centre lies on the ground";
    std::vector<STaxiChoice> choices(3);
    const std::string text = BuildTaxiQuestion("Wohin?", choices);
    EXPECT_EQ(text.rfind("Wohin?CAB_01\n", 0), 0u) << text;
    EXPECT_NE(text.find("CAB_05\n"), std::string::npos);
    EXPECT_EQ(text.find("CAB_99"), std::string::npos);
    ASSERT_GE(choices.size(), 4u);
    EXPECT_EQ(choices[0].value, 1); // CAB_01 was the second spot registered
    EXPECT_EQ(choices[1].value, 3);
    EXPECT_EQ(choices.back().value, -1);
    EXPECT_EQ(choices[choices.size() - 2].value, -2);
    int32_t blanks = 0;
    for (const STaxiChoice& c : choices)
        blanks += c.value == -2;
    EXPECT_EQ(blanks, 4); // three blank slots and the line before the last choice
}

TEST_F(Cars, TheHeroGetsIntoTheGetawayCarAndOutAgain)
{
    CWorldObject* car = Car("fluchtwagen");
    CWorldObject* target = Object("Ziel", KIND_FIXED, {8, 0, 0}, {"OPEN"});
    auto* task = Start<CFluchtwagenTask>(car, List(ObjectRef(target)));
    Request(0, hero, car);
    task->Update(*car->objectLogic);
    EXPECT_EQ(VehicleMode, 2);
    EXPECT_EQ(CurrentCharacter, car);
    EXPECT_TRUE(tasks::IsHidden(hero));
    RequestQueue.clear();
    Request(0, hero, car);
    task->Update(*car->objectLogic);
    EXPECT_EQ(VehicleMode, 0);
    EXPECT_EQ(CurrentCharacter, hero);
    EXPECT_FALSE(tasks::IsHidden(hero));
}
