// Starting and resetting a game on a world made in code: the log lines in their
// order, the hero and its car, and what a reset keeps of a plan being edited.
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "tests/app/FirstStartLog.h"
#include "tests/behaviour/BehaviourFixture.h"

#include <memory>

namespace {

class GameFlowTest : public BehaviourTest
{
protected:
    void SetUp() override
    {
        BehaviourTest::SetUp();
        GamePhase = PHASE_REALTIME;
        RecordState = RECORD_NORMAL;
        StartupInitFlag = 0;
    }
    void TearDown() override
    {
        GamePhase = PHASE_REALTIME;
        RecordState = RECORD_NORMAL;
        Hero = nullptr;
        GameCamera.ClearFocusObject();
        AvailableCars.clear();
        GangCars.clear();
        BehaviourTest::TearDown();
    }

    // A placed character whose task list starts with the "Hero" task.
    CWorldObject* PlaceHero()
    {
        CObjectNode* def = AddDefinition("Hero", nullptr, KIND_CHARACTER_A);
        def->objectLogic->ownTaskList = std::make_unique<CTaskList>();
        def->objectLogic->ownTaskList->AddTask(std::make_unique<CTaskItem>(0, TASK_HERO));
        return Place(g_WorldRoot, "Held", CWorldObject::KIND_OBJECT, def);
    }

    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        std::stringstream in(Log());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // Each expected line after the one before it.
    void ExpectInOrder(const std::vector<std::string>& expected) const
    {
        const std::vector<std::string> log = LogLines();
        size_t from = 0;
        for (const std::string& e : expected) {
            auto it = std::find(log.begin() + std::ptrdiff_t(from), log.end(), e);
            ASSERT_NE(it, log.end()) << "missing or out of order: " << e << "\n" << Log();
            from = size_t(it - log.begin()) + 1;
        }
    }
};

TEST_F(GameFlowTest, TheFirstStartLogsResetAndInitialisationInOrderAndFindsTheHero)
{
    CWorldObject* hero = PlaceHero();
    StartupInitFlag = 1;
    Cash = 0;
    InitGame();

    ExpectInOrder(kFirstStartLogLines);
    // The one-time preparation belongs to the first start: the reset inside it skips the objects.
    EXPECT_EQ(Log().find("Resetting gang-info..."), std::string::npos);
    EXPECT_EQ(StartupInitFlag, 0);
    EXPECT_EQ(Hero, hero);
    EXPECT_EQ(CurrentCharacter, hero);
    ASSERT_EQ(PlanMemberArray.size(), 1u);
    EXPECT_EQ(PlanMemberArray[0].member, hero);
    EXPECT_EQ(Cash, 15);
    EXPECT_EQ(BurglaryLevel, 1);
    EXPECT_EQ(GameClock.gameClock, 0);
    EXPECT_EQ(GameClock.gameSpeed, 100);
    EXPECT_TRUE(IsGameView());
    EXPECT_EQ(PictureMenuOpen, 1) << "the picture screen is opened at the start";

    // A later reset runs the object steps too.
    std::filesystem::remove(logPath);
    ResetGame();
    ExpectInOrder({"Resetting game...", "Resetting object infos...", "Resetting gang-info...",
                   "Resetting burglary object...", "Creating cross-references...",
                   "Initializing gang-info...", "Creating character-list...", "Initializing tasks...",
                   "Resetting game complete."});
    EXPECT_EQ(Log().find("Resetting burglary-info..."), std::string::npos) << "only while planning";
    EXPECT_EQ(Hero, hero);
}

TEST_F(GameFlowTest, OnlyTheFirstHeroCarJoinsTheGangAndOnlyStarredCarsAreAvailable)
{
    PlaceHero();
    CObjectNode* first = AddDefinition("*Hero_car_A", nullptr, KIND_CAR);
    AddDefinition("Hero_car_unstarred", nullptr, KIND_CAR);
    CObjectNode* second = AddDefinition("*HERO_CAR_B", nullptr, KIND_CAR);
    CObjectNode* taxi = AddDefinition("*taxi", nullptr, KIND_CAR);
    AddDefinition("*toolbox", nullptr, KIND_TOOL);
    StartupInitFlag = 1;
    InitGame();
    EXPECT_EQ(AvailableCars, (std::vector<CObjectNode*>{first, second, taxi}));
    EXPECT_EQ(GangCars, std::vector<CObjectNode*>{first});
    TakeHeroCar();
    EXPECT_EQ(GangCars.size(), 1u) << "never twice";
}

TEST_F(GameFlowTest, AWorldWithoutAHeroCarStartsWithoutACarAndWithoutGroupsMovesNothing)
{
    PlaceHero();
    CWorldObject* other = Place(g_WorldRoot, "Elsewhere", CWorldObject::KIND_GROUP, nullptr);
    other->position = CVector(5, 0, 5);
    g_WorldRoot->position = CVector(1, 2, 3);
    StartupInitFlag = 1;
    InitGame();
    EXPECT_TRUE(GangCars.empty());
    EXPECT_EQ(other->position.x, 5.0f);
}

// Editing a loaded plan: the reset keeps the member's planned tasks and leaves the state at LOAD;
// recording a new plan starts the member from an empty plan.
TEST_F(GameFlowTest, AResetInPlanningKeepsALoadedPlanOnlyInLoad)
{
    CWorldObject* hero = PlaceHero();
    StartupInitFlag = 1;
    InitGame();
    for (int32_t state : {RECORD_LOAD, RECORD_RECORD}) {
        SCOPED_TRACE(state);
        CTaskList* planned = hero->objectLogic->ResetPlannedTaskList();
        planned->AddTask(std::make_unique<CTaskItem>(5000, TASK_HERO_RECORD));
        const size_t tasks = planned->tasks.size();
        GamePhase = PHASE_PLANNING;
        RecordState = state;
        ResetGame();
        EXPECT_EQ(RecordState, state);
        EXPECT_NE(Log().find("Resetting burglary-info..."), std::string::npos);
        ASSERT_NE(hero->objectLogic->GetPlannedTaskList(), nullptr);
        EXPECT_EQ(hero->objectLogic->GetPlannedTaskList()->tasks.size(), state == RECORD_LOAD ? tasks : 2u);
        EXPECT_EQ(hero->objectLogic->recordable, 1);
    }
}

// A reset takes the records marked for removal out of the inventory, with their objects, and
// keeps the others in their order.
TEST_F(GameFlowTest, AResetRemovesTheMarkedInventoryRecordsWithTheirObjects)
{
    CWorldObject* dropped = Place(g_WorldRoot, "Dropped", CWorldObject::KIND_OBJECT, nullptr);
    CWorldObject* kept = Place(g_WorldRoot, "Kept", CWorldObject::KIND_OBJECT, nullptr);
    auto record = [](CWorldObject* object, uint8_t removable) {
        SInventoryRecord r;
        r.object = object;
        r.flags[1] = removable;
        return r;
    };
    InventoryList = {record(kept, 0), record(dropped, 1), record(nullptr, 1), record(nullptr, 0)};
    ResetGame();
    ASSERT_EQ(InventoryList.size(), 2u);
    EXPECT_EQ(InventoryList[0].object, kept);
    EXPECT_EQ(InventoryList[1].object, nullptr);
    EXPECT_EQ(g_WorldRoot->FindByName("Dropped"), nullptr);
    EXPECT_EQ(g_WorldRoot->FindByName("Kept"), kept);
    InventoryList.clear();
}

} // namespace
