// The sample's burglary of Haus_C as the tool writes it, read back through the world file, and the
// game program started on it, driven by an input script that names the objects it clicks.
#include "tests/sample/SampleAutosave.h"
#include "tests/sample/SampleTestUtil.h"

#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace sampletest;

// The first placed object whose definition has that name.
CWorldObject* Placed(const char* definition)
{
    CWorldObject* found = nullptr;
    WalkWorldTree(g_WorldRoot, [&](CWorldObject* node) {
        const CObjectNode* d = node->Definition();
        if (d && std::strcmp(d->GetName(), definition) == 0)
            found = node;
        return !found;
    });
    return found;
}

const CObjectLogic* DefinitionLogic(const CWorldObject* o)
{
    return o && o->Definition() ? o->Definition()->objectLogic : nullptr;
}

float Value(const CWorldObject* o, int i)
{
    const CObjectLogic* logic = DefinitionLogic(o);
    return logic && logic->ownKindData ? WordAsFloat(logic->ownKindData->Values()[i]) : -1.0f;
}

std::string TaskName(const CTaskItem& item)
{
    const STaskTypeRow* row = TaskTypeRow(item.taskType);
    return row && row->name ? row->name : "";
}

template <class Param>
const Param* ParamAt(const CTaskItem& item, size_t i)
{
    return i < item.parameters.size() ? dynamic_cast<const Param*>(item.parameters[i].get()) : nullptr;
}

// The hero of the loaded world stands where the picklock is picked up: within the reach of its
// attack points (0.12 either side of it).
::testing::AssertionResult HeroStandsByThePicklock()
{
    const CWorldObject* hero = Placed("Hero");
    const CWorldObject* picklock = Placed("Dietrich");
    if (!hero || !picklock)
        return ::testing::AssertionFailure() << "no hero or no picklock";
    if (std::hypot(hero->position.x - picklock->position.x, hero->position.z - picklock->position.z) < 0.15f)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "hero at " << hero->position.x << " " << hero->position.z;
}

class BurglaryLevel : public ::testing::Test
{
protected:
    static void TearDownTestSuite()
    {
        if (!::testing::UnitTest::GetInstance()->Failed())
            for (const fs::path& dir : {sample_, alert_})
                if (!dir.empty())
                    fs::remove_all(dir);
        sample_.clear();
        alert_.clear();
    }
    // A loaded game's carried things are copies the world does not own.
    void TearDown() override
    {
        ClearObjectInstances();
        ClearWorld();
    }

    // The tool's installation of the variant, made once per test program.
    static const fs::path& Made(const char* variant)
    {
        fs::path& dir = std::strcmp(variant, "alert") ? sample_ : alert_;
        if (dir.empty()) {
            const fs::path made = TempFolder(std::string("burglary_") + variant);
            std::string output;
            EXPECT_TRUE(MakeSample(made, &output, variant)) << output;
            dir = made;
        }
        return dir;
    }

    static void Load(const char* variant)
    {
        ASSERT_TRUE(LoadWorld((Made(variant) / "Varek.wld").string().c_str(), LOADWORLD_OPEN)) << variant;
        g_WorldRoot->ResolveObjectIds();
    }

    static fs::path sample_, alert_;
};

fs::path BurglaryLevel::sample_, BurglaryLevel::alert_;

// The target house has its locked wooden front door and a locked glass window, both opened by the
// picklock's crack task; its safe (kind 3) holds the jewellery (kind 1) as its child; the picklock
// (kind 2) lies outside; the gang's car is a kind-9 definition the gang may choose.
TEST_F(BurglaryLevel, TheTargetHouseHasItsLockedDoorItsSafeWithTheLootAndThePicklockOpensIt)
{
    Load("sample");
    CWorldObject* door = Placed("Door_Locked_Left");
    ASSERT_NE(door, nullptr);
    CWorldObject *house = nullptr, *floor = nullptr;
    int32_t floorNumber = 0;
    GetHouseAndFloor(door, &house, &floor, &floorNumber);
    ASSERT_NE(house, nullptr);
    EXPECT_STREQ(house->name, "Haus_C");
    const CObjectLogic* doorLogic = DefinitionLogic(door);
    ASSERT_NE(doorLogic, nullptr);
    EXPECT_EQ(doorLogic->ownKindData->kind, KIND_DOOR);
    EXPECT_FLOAT_EQ(Value(door, 0), 4.0f) << "working time";
    EXPECT_EQ(doorLogic->ownKindData->Values()[1], 1u) << "wood";
    EXPECT_EQ(doorLogic->ownKindData->Values()[2], 1u) << "picklocks";
    auto* doorState = dynamic_cast<const CPassageState*>(doorLogic->ownConditions.get());
    ASSERT_NE(doorState, nullptr);
    EXPECT_EQ(doorState->locked, 1);
    // The other houses' doors stay unlocked.
    const CObjectLogic* plainDoor = DefinitionLogic(Placed("Door_Left"));
    ASSERT_NE(plainDoor, nullptr);
    EXPECT_EQ(dynamic_cast<const CPassageState*>(plainDoor->ownConditions.get())->locked, 0);

    // Breaking the door open with the picklock (verb 4) starts its crack task.
    CWorldObject* picklock = Placed("Dietrich");
    ASSERT_NE(picklock, nullptr);
    ASSERT_EQ(doorLogic->ownTaskList->dependencies.size(), 1u);
    const CDependency& crack = *doorLogic->ownTaskList->dependencies.front();
    EXPECT_TRUE(crack.useAction);
    EXPECT_EQ(crack.action.action, 4);
    EXPECT_EQ(crack.action.item, picklock->Definition());
    ASSERT_EQ(crack.childList->tasks.size(), 1u);
    EXPECT_EQ(TaskName(*crack.childList->tasks.front()), "Crack");
    EXPECT_EQ(TaskName(*doorLogic->ownTaskList->tasks.front()), "Door");

    const CObjectLogic* tool = DefinitionLogic(picklock);
    EXPECT_EQ(tool->ownKindData->kind, KIND_TOOL);
    EXPECT_GT(Value(picklock, 3), 0.0f) << "works on locks";
    EXPECT_GT(Value(picklock, 9), 0.0f) << "on wood";
    EXPECT_GT(dynamic_cast<const CToolState*>(tool->ownConditions.get())->condition, 0.0f);

    CWorldObject* safe = Placed("Tresor");
    ASSERT_NE(safe, nullptr);
    GetHouseAndFloor(safe, &house, &floor, &floorNumber);
    EXPECT_STREQ(house ? house->name : "", "Haus_C");
    EXPECT_EQ(DefinitionLogic(safe)->ownKindData->kind, KIND_FIXED);
    EXPECT_EQ(TaskName(*DefinitionLogic(safe)->ownTaskList->tasks.front()), "Kasterl");
    auto* loot = static_cast<CWorldObject*>(safe->firstChild);
    ASSERT_NE(loot, nullptr) << "the safe holds its loot";
    ASSERT_NE(loot->Definition(), nullptr);
    EXPECT_STREQ(loot->Definition()->GetName(), "Schmuck");
    EXPECT_EQ(DefinitionLogic(loot)->ownKindData->kind, KIND_LOOT);
    EXPECT_FLOAT_EQ(Value(loot, 0), 2.0f) << "weight";
    EXPECT_FLOAT_EQ(Value(loot, 1), 5000.0f) << "value";

    const CObjectNode* car = nullptr;
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
        if (std::strcmp(d->GetName(), "*hero_car") == 0)
            car = d;
    ASSERT_NE(car, nullptr);
    EXPECT_EQ(car->objectLogic->ownKindData->kind, KIND_CAR);
    EXPECT_EQ(TaskName(*car->objectLogic->ownTaskList->tasks.front()), "Fluchtwagen");
    ASSERT_EQ(car->objectLogic->ownTaskList->dependencies.size(), 1u);
    EXPECT_EQ(TaskName(*car->objectLogic->ownTaskList->dependencies.front()->childList->tasks.front()),
              "Finish Burglary");
}

// The burglary target names the car's and the gang's places, its objects (all in Haus_C but the
// watchman), half the loot and two minutes of par time; the watchman's round is timed; the hero
// and the accomplice are kind-4 burglars with their attributes.
TEST_F(BurglaryLevel, TheBurglaryTargetTheWatchmansRoundAndTheGang)
{
    Load("sample");
    CWorldObject* marker = Placed("Einbruch");
    ASSERT_NE(marker, nullptr);
    ASSERT_NE(marker->objectLogic, nullptr);
    ASSERT_NE(marker->objectLogic->ownTaskList, nullptr);
    const CTaskItem& target = *marker->objectLogic->ownTaskList->tasks.front();
    ASSERT_EQ(TaskName(target), "BurglaryTarget");
    ASSERT_EQ(target.parameters.size(), 22u);
    EXPECT_EQ(ParamAt<CIntParam>(target, 0)->value, 1);
    EXPECT_EQ(ParamAt<CIntParam>(target, 19)->value, 50) << "Loot Needed";
    EXPECT_EQ(ParamAt<CIntParam>(target, 20)->value, 120000) << "Par-Time";
    EXPECT_NEAR(ParamAt<CPositionParam>(target, 2)->x, -0.25f, 1e-6f) << "the car on the road";
    std::vector<std::string> parts;
    for (size_t i = 9; i < 19; ++i)
        if (const CWorldObject* o = ParamAt<CObjectParam>(target, i)->object)
            parts.push_back(o->Definition() ? o->Definition()->GetName() : "");
    EXPECT_EQ(parts,
              (std::vector<std::string>{"Door_Locked_Left", "Window_Left", "Tresor", "Schmuck", "Wachmann"}));

    CWorldObject* guard = Placed("Wachmann");
    ASSERT_NE(guard, nullptr);
    ASSERT_NE(guard->objectLogic, nullptr);
    std::vector<std::pair<std::string, int32_t>> round;
    for (const auto& item : guard->objectLogic->ownTaskList->tasks)
        round.emplace_back(TaskName(*item), item->startTime);
    EXPECT_EQ(round, (std::vector<std::pair<std::string, int32_t>>{{"Guard", 0},
                                                                   {"Check doors and windows", 12000},
                                                                   {"WaitGuard", 24000},
                                                                   {"Guard", 40000},
                                                                   {"Check Lockers", 240000}}));
    EXPECT_EQ(DefinitionLogic(guard)->ownKindData->kind, KIND_CHARACTER_B);
    // He tries Haus_A's door, not the target's.
    const CWorldObject* tried = ParamAt<CObjectParam>(*guard->objectLogic->ownTaskList->tasks[1], 0)->object;
    ASSERT_NE(tried, nullptr);
    CWorldObject *house = nullptr, *floor = nullptr;
    int32_t floorNumber = 0;
    GetHouseAndFloor(tried, &house, &floor, &floorNumber);
    EXPECT_STREQ(house ? house->name : "", "Haus_A");

    for (const char* burglar : {"Hero", "Komplize"}) {
        const CObjectLogic* logic = DefinitionLogic(Placed(burglar));
        ASSERT_NE(logic, nullptr) << burglar;
        EXPECT_EQ(logic->ownKindData->kind, KIND_CHARACTER_A) << burglar;
        auto* attributes = dynamic_cast<const CCharacterAState*>(logic->ownConditions.get());
        ASSERT_NE(attributes, nullptr) << burglar;
        EXPECT_GT(attributes->pickLocks, 0.0f) << burglar;
        EXPECT_GT(attributes->strength, 0.0f) << burglar;
    }
    int walkers = 0;
    WalkWorldTree(g_WorldRoot, [&](CWorldObject* node) {
        const CObjectLogic* logic = DefinitionLogic(node);
        walkers += logic && logic->ownKindData && logic->ownKindData->kind == KIND_CHARACTER_C &&
                   TaskName(*logic->ownTaskList->tasks.front()) == "CharacterC walk";
    });
    EXPECT_EQ(walkers, 2);
}

// The alert variant differs only in the watchman: he starts and keeps his post on the pavement in
// front of the target, where the gang passes from the car to the door.
TEST_F(BurglaryLevel, TheAlertVariantPutsTheWatchmanInTheGangsWay)
{
    auto post = [](const CWorldObject* guard, size_t item) {
        const CPositionParam* p = ParamAt<CPositionParam>(*guard->objectLogic->ownTaskList->tasks[item], 1);
        return p ? CVector(p->x, p->y, p->z) : CVector(0, 0, 0);
    };
    Load("alert");
    CWorldObject* guard = Placed("Wachmann");
    ASSERT_NE(guard, nullptr);
    const CVector alertStart = guard->position, alertPost = post(guard, 0), alertLater = post(guard, 3);
    ClearWorld();
    Load("sample");
    guard = Placed("Wachmann");
    ASSERT_NE(guard, nullptr);
    const CVector start = guard->position, normalPost = post(guard, 0);
    // The gang walks the west pavement (x -0.72) from the car at z 0.9 to the garden path at z 1.4.
    for (const CVector& p : {alertPost, alertLater}) {
        EXPECT_NEAR(p.x, -0.72f, 0.05f);
        EXPECT_GT(p.z, 0.9f);
        EXPECT_LT(p.z, 1.6f);
    }
    EXPECT_LT(normalPost.z, -1.0f) << "the normal round keeps to Haus_A";
    EXPECT_GT(alertStart.z, start.z);
}

// The game on the burglary level: the level starts without a task refused or a character left
// without ground, the watchman sets off on his round, the passers-by are found, and a click that
// names the picklock walks the hero to the place beside it from which it is picked up.
TEST_F(BurglaryLevel, TheGameStartsTheLevelAndAClickNamingThePicklockWalksTheHeroToIt)
{
    const fs::path dir = Made("sample");
    std::error_code ec;
    fs::remove(dir / "Varek", ec);
    ASSERT_TRUE(JoinInstallation(dir, VAREK_PROGRAM, "Varek", ec)) << ec.message();
    std::ofstream(dir / "script.txt") << "16 clickobject Dietrich\n";
    const int rc = RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                              " LSAN_OPTIONS=detect_leaks=0 VAREK_EXIT_AFTER_FRAMES=100 VAREK_FIXED_STEP=1"
                              " VAREK_INPUT_SCRIPT=script.txt ./Varek -window -logging > output.txt 2>&1");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt");
    const std::string log = ReadText(dir / "log.txt");
    for (const char* failure :
         {"Warning: task skipped", "WARNING: Character could not be initialized correctly.",
          "can't find pathnode", "couldn't find groundnode", "no such object"})
        EXPECT_EQ(log.find(failure), std::string::npos) << failure << "\n" << log;
    EXPECT_NE(log.find("...found 2 character C objects"), std::string::npos) << log;
    const size_t click = log.find("Click on Dietrich at ");
    ASSERT_NE(click, std::string::npos) << log;
    int x = 0, y = 0;
    ASSERT_EQ(std::sscanf(log.c_str() + click + 21, "%d %d", &x, &y), 2);
    EXPECT_GT(x, 0);
    EXPECT_LT(x, 640);
    EXPECT_GT(y, 0);
    EXPECT_LT(y, 390) << "above the HUD bar";

    // The autosave at the end holds where everybody stood.
    ASSERT_TRUE(LoadWorldAndSave(dir, dir / "Savegame" / "game000.gam"));
    // From its start at z 0.1 the hero walked up the pavement.
    EXPECT_TRUE(HeroStandsByThePicklock());
    CWorldObject* guard = Placed("Wachmann");
    ASSERT_NE(guard, nullptr);
    EXPECT_GT(guard->position.z, -2.95f) << "the watchman walks towards Haus_A";
}

} // namespace

namespace {

using namespace sampletest;

// The whole burglary in one program run, stage by stage. Reached so far: the hero walks to the
// phone box and calls (held press, the bubble's hand), the plan selection opens; a new plan; the
// planning overview takes the burglary and the getaway car and starts the planning HUD; play and
// record start the recording, and the hero's order to take the picklock walks him to it (he takes
// it: planning.bmp shows the load on the HUD). Next: the door picked with the picklock in hand, the
// safe opened, the jewellery taken, back into the car, the plan saved, replayed and carried out to
// the results screen with success, the program ended with exit code 0.
TEST_F(BurglaryLevel, APlanMadeAtThePhoneIsRecordedReplayedAndRunToSuccess)
{
    const fs::path dir = Made("sample");
    std::error_code ec;
    fs::remove(dir / "Varek", ec);
    ASSERT_TRUE(JoinInstallation(dir, VAREK_PROGRAM, "Varek", ec)) << ec.message();
    // Pixels: the phone box's roof as the zoomed-out camera shows it from the hero's stop on the
    // pavement; the plan selection's first item; the overview's burglary and car boxes and its
    // OK button; the centred entry of the chooser; the HUD's play (third) and record (fourth)
    // buttons.
    std::ofstream(dir / "script.txt") << "5 wheel -6\n"
                                         "31 click left 300 95    # up the pavement\n"
                                         "180 move 318 45         # the phone box\n"
                                         "181 down left\n"
                                         "200 bubble middle\n"
                                         "202 up left\n"
                                         "400 snapshot planselect.bmp\n"
                                         "420 move 320 60         # new plan\n"
                                         "422 down left\n"
                                         "425 up left\n"
                                         "460 snapshot overview.bmp\n"
                                         "462 move 110 120        # the burglary\n"
                                         "464 down left\n"
                                         "466 up left\n"
                                         "492 move 192 145\n"
                                         "494 down left\n"
                                         "496 up left\n"
                                         "532 move 545 110        # the car\n"
                                         "534 down left\n"
                                         "536 up left\n"
                                         "566 move 192 210\n"
                                         "568 down left\n"
                                         "570 up left\n"
                                         "600 snapshot chosen.bmp\n"
                                         "602 move 510 435        # OK\n"
                                         "604 down left\n"
                                         "606 up left\n"
                                         "660 move 193 437        # play\n"
                                         "662 down left\n"
                                         "664 up left\n"
                                         "670 move 216 437        # record\n"
                                         "672 down left\n"
                                         "674 up left\n"
                                         "740 point Dietrich\n"
                                         "741 down left\n"
                                         "758 bubble middle\n"
                                         "760 up left\n"
                                         "830 snapshot planning.bmp\n";
    const int rc =
        RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                   " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_EXIT_AFTER_FRAMES=832"
                   " VAREK_FIXED_STEP=1 VAREK_INPUT_SCRIPT=script.txt ./Varek -window -logging"
                   " > output.txt 2>&1");
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    for (const char* failure :
         {"not in the view", "Bubble: not open", "text not found", "Warning: task skipped"})
        EXPECT_EQ(log.find(failure), std::string::npos) << failure << "\n" << log;

    // The call at the phone: the bubble stood open over it, the game went back to the plan
    // selection (saving the game it returns to), and the new plan reset the game for planning.
    const size_t call = log.find("Bubble middle at ");
    ASSERT_NE(call, std::string::npos) << log;
    const size_t selection = log.find("Saving Game...", call);
    ASSERT_NE(selection, std::string::npos) << "the plan selection keeps the game\n" << log;
    const size_t planning = log.find("Resetting burglary-info...", selection);
    ASSERT_NE(planning, std::string::npos) << "a plan's reset\n" << log;
    EXPECT_NE(log.find("Bubble middle at ", planning), std::string::npos) << "the picklock's bubble\n" << log;

    const fs::path kept = fs::path(VAREK_ARTEFACT_DIR) / "burglary";
    fs::create_directories(kept, ec);
    for (const char* shot : {"planselect.bmp", "overview.bmp", "chosen.bmp", "planning.bmp"}) {
        int w = 0, h = 0;
        uint32_t rgb = 0;
        EXPECT_TRUE(BmpPixel(ReadBytes(dir / shot), 0, 0, &w, &h, &rgb)) << shot;
        fs::copy_file(dir / shot, kept / shot, fs::copy_options::overwrite_existing, ec);
    }
    EXPECT_NE(ReadBytes(dir / "overview.bmp"), ReadBytes(dir / "chosen.bmp")) << "target and car shown";

    // The recording hero stands by the picklock.
    ASSERT_TRUE(LoadWorldAndSave(dir, dir / "Savegame" / "game000.gam"));
    EXPECT_TRUE(HeroStandsByThePicklock());
}

} // namespace
