// Saved games and plan files on a world made in code: captions, round trips,
// the bounds of the readers, saves that fail part-way, and the reasons a plan
// cannot be used.
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "tests/behaviour/BehaviourFixture.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <memory>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> FileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class SaveGameTest : public BehaviourTest
{
protected:
    void SetUp() override
    {
        BehaviourTest::SetUp();
        folder =
            fs::temp_directory_path() / ("varek_saves_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        CreateSaveFolders(folder.string().c_str());
        GamePhase = PHASE_REALTIME;
        RecordState = RECORD_NORMAL;
        StartupInitFlag = 0;
        hero = Person("Hero", 1, 0.9f);
        Hero = hero;
    }
    void TearDown() override
    {
        KnownPeople.clear();
        Possessions.clear();
        g_SpecialObject = nullptr;
        PlanCar = nullptr;
        Hero = nullptr;
        // The plan's car went with the world.
        ExtraInstance = nullptr;
        if (!HasFailure())
            fs::remove_all(folder);
        BehaviourTest::TearDown();
    }

    // A character listed in the object table with the given crime record.
    CWorldObject* Person(const char* name, int32_t number, float crimeRecords)
    {
        CWorldObject* person = Object(name, number, KIND_CHARACTER_A);
        auto state = std::make_unique<CCharacterAState>();
        state->crimeRecords = crimeRecords;
        person->objectLogic->ownConditions = std::move(state);
        return person;
    }
    SPlanMember& Member(CWorldObject* person)
    {
        SPlanMember& m = *PlanMemberArray.at(PlanMemberArray.add(1));
        m.member = person;
        return m;
    }
    fs::path Saves() const { return folder / "Savegame"; }
    fs::path Plans() const { return Saves() / "CurrentPlans"; }

    CWorldObject* hero = nullptr;
    fs::path folder;
};

TEST_F(SaveGameTest, ACaptionIsTheTitleOrTheNoTitleTextAndTheDateLine)
{
    EXPECT_EQ(FormatSaveCaption("", 7, 3, 2001, 9, 5),
              std::string(GetDisplayText("MENU_OP_NOTITLE")) + "\n(07/03/2001  09:05)");
    EXPECT_EQ(FormatSaveCaption("Bank job", 31, 12, 1999, 23, 59), "Bank job\n(31/12/1999  23:59)");
    EXPECT_EQ(SavePath("game003.gam"), SaveManager.savegameFolder + "\\game003.gam");
    EXPECT_EQ(SavePath("x\\game003.gam"), "x\\game003.gam");
    EXPECT_TRUE(fs::is_directory(Plans()));
}

TEST_F(SaveGameTest, ALoadRestoresClockCashLevelFlagsPeoplePossessionsAndInstances)
{
    CWorldObject* friendOfHero = Person("Friend", 2, 0.1f);
    CWorldObject* car = Object("BurglaryCar", 3, KIND_CAR);
    g_SpecialObject = car;
    CObjectNode* crowbar = Item("Crowbar", 7, KIND_TOOL);
    CObjectNode* van = Item("*van", 8, KIND_CAR);

    GameClock.gameClock = 4'000'000;
    Cash = 420;
    SetBurglaryLevel(1);
    LevelFlags[0] = 0;
    LevelFlags[1] = 1;
    KnownPeople = {friendOfHero, car};
    Possessions = {van};
    ClearObjectInstances();
    CreateObjectInstance(crowbar, nullptr);
    ObjectInstances[0].otherMembers[1] = friendOfHero;
    ObjectInstances[0].otherFactors[1] = 0.25f;
    const int32_t nextOwner = NextInstanceId;
    ASSERT_TRUE(SaveGame((Saves() / "game001.gam").string(), "caption\n(01/01/2001  00:00)"));

    KnownPeople.clear();
    Possessions.clear();
    Cash = 0;
    ClearObjectInstances();
    LevelFlags[1] = 0;
    ASSERT_TRUE(LoadGame((Saves() / "game001.gam").string(), false)) << Log();
    EXPECT_EQ(GameClock.gameClock, 4'000'000);
    EXPECT_EQ(Cash, 420);
    EXPECT_EQ(BurglaryLevel, 1);
    EXPECT_EQ(LevelFlags[1], 1);
    EXPECT_EQ(KnownPeople, (std::vector<CWorldObject*>{friendOfHero, car})) << "12345678 is the burglary car";
    EXPECT_EQ(Possessions, std::vector<CObjectNode*>{van});
    ASSERT_EQ(ObjectInstances.size(), 1u);
    EXPECT_EQ(InstanceObjectType(ObjectInstances[0].object), 7);
    EXPECT_EQ(ObjectInstances[0].otherMembers[1], friendOfHero);
    EXPECT_EQ(ObjectInstances[0].otherFactors[1], 0.25f);
    EXPECT_EQ(NextInstanceId, nextOwner);

    std::string caption;
    ASSERT_TRUE(ReadSaveInfo((Saves() / "game001.gam").string(), caption, nullptr));
    EXPECT_EQ(caption, "caption\n(01/01/2001  00:00)");

    // The head alone leaves the instance table as it is.
    ClearObjectInstances();
    ASSERT_TRUE(LoadGame((Saves() / "game001.gam").string(), true));
    EXPECT_TRUE(ObjectInstances.empty());
    EXPECT_EQ(Cash, 420);
}

// Readers stay inside what the file holds: a damaged head fails the load, nothing is read past a
// body, and the size limit of a chunk holds at exactly 1,000,000 bytes.
TEST_F(SaveGameTest, DamagedOrOversizedFilesFailTheLoad)
{
    auto file = [](const std::function<void(CChunkWriter&)>& chunks) {
        CChunkWriter w;
        w.WriteId(ChunkId("GAME"));
        w.WriteU32(0);
        chunks(w);
        w.WriteId(ChunkId("EOF "));
        w.WriteU32(0);
        return w.Data();
    };
    auto head = [](std::initializer_list<uint32_t> words) {
        return [words](CChunkWriter& w) {
            w.BeginChunk(ChunkId("HEAD"), 4);
            for (uint32_t v : words)
                w.WriteU32(v);
            w.EndChunk();
        };
    };
    // An unknown chunk announcing `length` body bytes, which follow.
    auto unknown = [](uint32_t length) {
        return [length](CChunkWriter& w) {
            w.WriteId(ChunkId("XTRA"));
            w.WriteId(length);
            w.WriteBytes(std::vector<uint8_t>(length).data(), length);
        };
    };
    const int32_t tableCount = int32_t(ObjectLogicTable.size());
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        bool loads;
    } cases[] = {
        {"a chunk of 1,000,000 bytes", file(unknown(1'000'000)), true},
        {"a chunk of 1,000,001 bytes", file(unknown(1'000'001)), false},
        {"no GAME", {'G', 'A', 'M', 'X', 0, 0, 0, 0}, false},
        {"no EOF", {'G', 'A', 'M', 'E', 0, 0, 0, 0}, false},
        {"a good head", file(head({0, 15, 1, 0, 0, 1, 1, 0, 0, 1})), true},
        {"a person at the table's count", file(head({0, 15, 1, 0, 0, 1, uint32_t(tableCount), 0})), false},
        {"the burglary car while there is none", file(head({0, 15, 1, 0, 0, 1, 12345678, 0})), false},
        {"more people than the body holds", file(head({0, 15, 1, 0, 0, 0x40000000})), false},
        {"an unknown possession", file(head({0, 15, 1, 0, 0, 0, 1, 99})), false},
        {"an instance without OPTS",
         file(head({0, 15, 1, 0, 0, 0, 0, 1, 1, 1, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})),
         false},
        {"a version-2 head", file([](CChunkWriter& w) {
             w.BeginChunk(ChunkId("HEAD"), 2);
             w.EndChunk();
         }),
         false},
    };
    Item("Crowbar", 7, KIND_TOOL);
    for (const Case& c : cases) {
        g_SpecialObject = nullptr;
        EXPECT_EQ(LoadGameFromMemory(c.bytes.data(), c.bytes.size(), false), c.loads) << c.what;
    }
    EXPECT_EQ(KnownPeople.size(), 0u);
}

// The file and the plan copies change together or not at all.
TEST_F(SaveGameTest, ASaveThatFailsPartWayKeepsTheOldFileAndPlansAndASecondSaveReplacesThePlans)
{
    std::ofstream(Plans() / "plan001.pln") << "first plan";
    ASSERT_TRUE(SaveGameWithTitle("game005.gam", "first", false));
    const std::vector<uint8_t> before = FileBytes(Saves() / "game005.gam");
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(fs::exists(Saves() / "game005_plans" / "plan001.pln"));

    fs::remove(Plans() / "plan001.pln");
    std::ofstream(Plans() / "plan002.pln") << "second plan";
    Cash = 9999;
    {
        // Writes stop at byte 64: no file the save makes can be completed.
        auto old = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit limit = saved;
        limit.rlim_cur = 64;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        const bool ok = SaveGameWithTitle("game005.gam", "second", false);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, old);
        EXPECT_FALSE(ok);
    }
    EXPECT_EQ(FileBytes(Saves() / "game005.gam"), before);
    EXPECT_TRUE(fs::exists(Saves() / "game005_plans" / "plan001.pln"));
    EXPECT_FALSE(fs::exists(Saves() / "game005_plans" / "plan002.pln"));
    for (const auto& entry : fs::directory_iterator(Saves()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();

    ASSERT_TRUE(SaveGameWithTitle("game005.gam", "second", false));
    EXPECT_NE(FileBytes(Saves() / "game005.gam"), before);
    EXPECT_FALSE(fs::exists(Saves() / "game005_plans" / "plan001.pln")) << "removed plans go from the copy";
    EXPECT_TRUE(fs::exists(Saves() / "game005_plans" / "plan002.pln"));

    // Loading brings the kept plans back in place of the current ones.
    fs::remove(Plans() / "plan002.pln");
    std::ofstream(Plans() / "plan009.pln") << "later plan";
    ASSERT_TRUE(LoadGameWithPlans(SavePath("game005.gam")));
    EXPECT_TRUE(fs::exists(Plans() / "plan002.pln"));
    EXPECT_FALSE(fs::exists(Plans() / "plan009.pln"));
    EXPECT_EQ(Cash, 9999);

    // Without kept plans the plans folder ends empty and the load still succeeds.
    fs::copy_file(Saves() / "game005.gam", Saves() / "game006.gam");
    ASSERT_TRUE(LoadGameWithPlans(SavePath("game006.gam")));
    EXPECT_TRUE(fs::is_empty(Plans()));
    EXPECT_TRUE(HasSavedGames());
}

// Every member carries its task list chunk, so a member without a plan does not
// take the next member's list; older files without the chunk still read.
TEST_F(SaveGameTest, AMemberWithoutAPlanDoesNotSpoilTheNext)
{
    CWorldObject* second = Person("Second", 2, 0.2f);
    KnownPeople = {second};
    CObjectNode* van = Item("*van", 8, KIND_CAR);
    Possessions = {van};
    PlanCar = van;
    Member(hero);
    Member(second);
    CTaskList* planned = second->objectLogic->ResetPlannedTaskList();
    planned->AddTask(std::make_unique<CTaskItem>(7000, TASK_HERO_RECORD));
    const size_t tasks = planned->tasks.size();
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(BuildPlanFile("plan", bytes));

    second->objectLogic->ResetPlannedTaskList();
    EXPECT_EQ(LoadPlanFromMemory(bytes.data(), bytes.size()), 0) << Log();
    ASSERT_EQ(PlanMemberArray.size(), 2u);
    EXPECT_EQ(PlanMemberArray[1].member, second);
    ASSERT_NE(second->objectLogic->GetPlannedTaskList(), nullptr);
    EXPECT_EQ(second->objectLogic->GetPlannedTaskList()->tasks.size(), tasks);

    ASSERT_TRUE(SavePlan((Plans() / "plan001.pln").string(), "x"));
    EXPECT_EQ(LoadPlan((Plans() / "plan001.pln").string()), 0);
    EXPECT_TRUE(HasPlans());
}

TEST_F(SaveGameTest, PlansThatCannotBeUsedGiveOneReason)
{
    CWorldObject* second = Person("Second", 2, 0.6f);
    CWorldObject* stranger = Person("Stranger", 3, 0.0f);
    CWorldObject* ghost = Person("Ghost", 4, 0.0f);
    // The plan's car comes into the world with the next free recorder id.
    CountWorldObjects(g_WorldRoot);
    CObjectNode* van = Item("*van", 8, KIND_CAR);
    CObjectNode* crowbar = Item("Crowbar", 7, KIND_TOOL);
    auto plan = [&](const std::function<void()>& arrange) {
        PlanMemberArray.clear();
        KnownPeople = {second};
        Possessions = {van};
        PlanCar = van;
        ClearObjectInstances();
        arrange();
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(BuildPlanFile("plan", bytes));
        return bytes;
    };
    auto withToolFor = [&](CWorldObject* a, CWorldObject* b) {
        CreateObjectInstance(crowbar, nullptr);
        Member(a).hands[0].item = ObjectInstances[0].object;
        Member(b).hands[0].item = ObjectInstances[0].object;
    };
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t reason;
    } cases[] = {
        {"a good plan", plan([&] { Member(hero); }), 0},
        {"bad magic", {'B', 'U', 'R', 'X', 0, 0, 0, 0}, PLAN_FILE_ERROR},
        {"no end", {'B', 'U', 'R', 'G', 0, 0, 0, 0}, PLAN_FILE_ERROR},
        {"a stranger", plan([&] { Member(stranger); }), PLAN_UNKNOWN_PERSON},
        {"one tool for two members", plan([&] { withToolFor(hero, hero); }), PLAN_UNKNOWN_TOOL},
        {"only BURG and EOF",
         {'B', 'U', 'R', 'G', 0, 0, 0, 0, 'E', 'O', 'F', ' ', 0, 0, 0, 0},
         PLAN_UNKNOWN_CAR},
        {"the second member's crime record 0.6", plan([&] {
             Member(hero);
             Member(second);
         }),
         PLAN_PERSON_UNDERCOVER},
    };
    for (Case& c : cases) {
        // A tool slot needs the gang's instance when the plan is read.
        if (std::string(c.what) == "one tool for two members") {
            ClearObjectInstances();
            CreateObjectInstance(crowbar, nullptr);
        }
        Possessions = {van};
        EXPECT_EQ(LoadPlanFromMemory(c.bytes.data(), c.bytes.size()), c.reason) << c.what << "\n" << Log();
    }

    // A person number beyond the table makes the head unreadable: the person leaves the world's
    // table, which the reader rebuilds from the world (as the spawned car's id, it takes no place).
    ghost->objectLogic->recorderId = int32_t(kMaxObjectId);
    std::vector<uint8_t> bytes = plan([&] { Member(ghost); });
    ghost->objectLogic->recorderId = int32_t(kSpecialObjectId);
    EXPECT_EQ(LoadPlanFromMemory(bytes.data(), bytes.size()), PLAN_UNKNOWN_ERROR);
    // So does a person numbered as the rebuilt table counts its entries, one past its last.
    const uint32_t tableCount = uint32_t(ObjectLogicTable.size());
    const uint8_t far[4] = {uint8_t(kMaxObjectId), uint8_t(kMaxObjectId >> 8), uint8_t(kMaxObjectId >> 16),
                            uint8_t(kMaxObjectId >> 24)};
    const auto person = std::search(bytes.begin(), bytes.end(), std::begin(far), std::end(far));
    ASSERT_NE(person, bytes.end());
    for (int i = 0; i < 4; ++i)
        person[i] = uint8_t(tableCount >> (8 * i));
    EXPECT_EQ(LoadPlanFromMemory(bytes.data(), bytes.size()), PLAN_UNKNOWN_ERROR) << "person " << tableCount;

    // The texts are looked up one at a time: the lookup keeps one buffer.
    const std::string failed = GetDisplayText("ERROR_LOADING_PLAN");
    const std::string noCar = GetDisplayText("ERROR_LOADING_PLAN_UNKNOWNCAR");
    EXPECT_EQ(PlanLoadMessage(PLAN_UNKNOWN_CAR), failed + "\n\n" + noCar);
    EXPECT_EQ(PlanLoadMessage(PLAN_UNKNOWN_CAR | PLAN_UNKNOWN_TOOL), failed + "\n\n");
}

} // namespace
