// varek-tool's saved-game and plan commands on files the game's own writers make
// here: byte-identical round trips, dumps that show every text the file stores,
// and damaged files refused with the chunk and the offset.
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "platform/d3d/D3D.h"
#include "tests/behaviour/BehaviourFixture.h"
#include "tests/tools/ToolTestRig.h"

#include <functional>
#include <memory>
#include <set>

namespace fs = std::filesystem;

namespace {

class SaveToolTest : public BehaviourTest
{
protected:
    void SetUp() override
    {
        BehaviourTest::SetUp();
        folder =
            fs::temp_directory_path() / ("varek_savetool_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        CreateSaveFolders(folder.string().c_str());
        GamePhase = PHASE_REALTIME;
        RecordState = RECORD_NORMAL;
        hero = Person("Hero", 1);
        Hero = hero;
    }
    void TearDown() override
    {
        KnownPeople.clear();
        Possessions.clear();
        ClearObjectInstances();
        PlanMemberArray.clear();
        SaveManager.previewSurface = nullptr;
        SaveManager.usePreviewSurface = 0;
        if (preview)
            preview->Release();
        g_SpecialObject = nullptr;
        PlanCar = nullptr;
        Hero = nullptr;
        if (!HasFailure())
            fs::remove_all(folder);
        BehaviourTest::TearDown();
    }

    CWorldObject* Person(const char* name, int32_t number)
    {
        CWorldObject* person = Object(name, number, KIND_CHARACTER_A);
        person->objectLogic->ownConditions = std::make_unique<CCharacterAState>();
        return person;
    }

    // A grey ramp the preview is taken from.
    void UsePreview()
    {
        preview = new IDirectDrawSurface7;
        preview->desc.dwWidth = preview->desc.dwHeight = 64;
        preview->desc.lPitch = 64 * 4;
        preview->desc.ddpfPixelFormat = D3DMakeRGBFormat(32, 0xFF0000, 0xFF00, 0xFF, 0);
        preview->pixels.resize(64 * 64 * 4);
        for (size_t i = 0; i < preview->pixels.size(); ++i)
            preview->pixels[i] = uint8_t(i / 256);
        SaveManager.previewSurface = preview;
        SaveManager.usePreviewSurface = 1;
    }

    // A guard in the middle of a nested list: two levels down, with conversation entries.
    void GuardDeepInItsLists()
    {
        CWorldObject* guard = Person("Guard", 2);
        CObjectLogic& logic = *guard->objectLogic;
        logic.ownKindData->name = "Night guard";
        logic.ownTaskList = std::make_unique<CTaskList>();
        CTaskList* lists[3] = {logic.ownTaskList.get()};
        for (int level = 0; level < 3; ++level) {
            lists[level]->AddTask(std::make_unique<CTaskItem>(1000 * level, TASK_DO_NOTHING));
            lists[level]->AddTask(std::make_unique<CTaskItem>(1000 * level + 500, TASK_WALK_TO));
            if (level < 2) {
                lists[level]->AddDependency(std::make_unique<CDependency>());
                lists[level + 1] = lists[level]->dependencies.back()->childList.get();
            }
        }
        logic.objectId = 7;
        logic.Init(guard);
        auto& state = dynamic_cast<CCharacterAState&>(*logic.conditions);
        for (const char* key : {"DLG_GUARD_ASK_TIME", "DLG_GUARD_ASK_WAY"}) {
            auto entry = std::make_unique<CDialogEntry>();
            entry->question = key;
            entry->answer = std::string(key) + "_ANSWER";
            state.entries.push_back(std::move(entry));
        }
        for (int level = 0; level < 2; ++level) {
            logic.listStack.push_back(lists[level]);
            logic.itemStack.push_back(lists[level]->tasks[1].get());
            logic.holdStack.push_back(nullptr);
            logic.actionStack.emplace_back();
            logic.listStartStack.push_back(100 + level);
        }
        logic.taskList = lists[2];
        logic.currentItem = lists[2]->tasks[1].get();
        logic.listStart = 4321;
    }

    // A task list holding every parameter type the task rows use, text ones filled.
    static void PlanEveryParameterType(CTaskList& list)
    {
        std::set<int32_t> seen;
        for (int32_t type = 0; type < kTaskTypeRows; ++type) {
            const STaskTypeRow* row = TaskTypeRow(type);
            bool adds = false;
            for (uint32_t i = 0; row && i < row->paramCount; ++i)
                adds |= seen.insert(row->params[i].type).second;
            if (!adds)
                continue;
            auto item = std::make_unique<CTaskItem>(60000 + type, type);
            item->SyncParameters(nullptr);
            for (auto& p : item->parameters)
                if (auto* text = dynamic_cast<CTextParam*>(p.get()))
                    text->text = "TXT_PARAM_" + std::to_string(type);
            list.AddTask(std::move(item));
        }
        ASSERT_GE(seen.size(), 10u);
    }

    std::string Saved(const std::string& name, const std::function<bool(const std::string&)>& save)
    {
        const std::string file = (folder / name).string();
        EXPECT_TRUE(save(file)) << Log();
        return file;
    }

    ToolRun Tool(const std::string& args) const { return RunTool(folder, args); }
    std::vector<uint8_t> Read(const std::string& name) const
    {
        std::ifstream in(folder / name, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    CWorldObject* hero = nullptr;
    IDirectDrawSurface7* preview = nullptr;
    fs::path folder;
};

// Each file the game writes comes back byte for byte from a file-level round trip, and
// its dump shows every text it stores.
TEST_F(SaveToolTest, RoundTripsGiveTheGameFilesBackAndDumpsShowTheirTexts)
{
    CWorldObject* second = Person("Second", 3);
    CObjectNode* crowbar = Item("Crowbar", 7, KIND_TOOL);
    crowbar->objectLogic->ownKindData->name = "Rusty crowbar";
    KnownPeople = {second};
    Possessions = {Item("*van", 8, KIND_CAR)};
    CreateObjectInstance(crowbar, nullptr);
    ObjectInstances[0].otherMembers[2] = second;
    GameClock.gameClock = 3'723'004;

    struct Case
    {
        const char* what;
        const char* group;
        std::function<void()> arrange;
        const char* caption;
        std::vector<std::string> shown;
    } cases[] = {
        {"a game with a preview",
         "game",
         [&] { UsePreview(); },
         "Bank job\n(31/12/1999  23:59)",
         {"Bank job\n(31/12/1999  23:59)", "preview 256 x 256", "game clock 3723004 (01:02:03.004)",
          "\"Rusty crowbar\"", "recorder id 3"}},
        {"a game without a preview",
         "game",
         [] {
             SaveManager.previewSurface = nullptr;
             SaveManager.usePreviewSurface = 0;
         },
         "Plain",
         {"caption \"Plain\"", "no preview"}},
        {"a game with a deep run state",
         "game",
         [&] { GuardDeepInItsLists(); },
         "Deep",
         {"run state depth 2", "list start 4321", "into dependency 1", "DLG_GUARD_ASK_TIME",
          "DLG_GUARD_ASK_WAY_ANSWER"}},
        {"a plan with two members and every parameter type",
         "plan",
         [&] {
             PlanMemberArray.clear();
             for (CWorldObject* person : {hero, second})
                 PlanMemberArray.at(PlanMemberArray.add(1))->member = person;
             PlanEveryParameterType(*second->objectLogic->ResetPlannedTaskList());
             hero->objectLogic->ResetPlannedTaskList()->AddTask(
                 std::make_unique<CTaskItem>(5000, TASK_HERO_RECORD));
         },
         "Two of us",
         {"caption \"Two of us\"", "member 2: person 3", "TXT_PARAM_", "task 62"}},
        {"a plan with an empty task list",
         "plan",
         [&] {
             PlanMemberArray.clear();
             PlanMemberArray.at(PlanMemberArray.add(1))->member = hero;
             CTaskList* planned = hero->objectLogic->ResetPlannedTaskList();
             while (!planned->tasks.empty())
                 planned->RemoveTask(planned->tasks.back().get());
         },
         "Alone",
         {"caption \"Alone\"", "task list: 0 tasks, 0 dependencies"}},
    };
    int n = 0;
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        const std::string in = std::string(c.group) + std::to_string(++n) + ".bin";
        Saved(in, [&](const std::string& file) {
            return std::string(c.group) == "game" ? SaveGame(file, c.caption) : SavePlan(file, c.caption);
        });
        ToolRun run = Tool(std::string(c.group) + " roundtrip " + in + " again.bin");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Read("again.bin"), Read(in));
        run = Tool(std::string(c.group) + " dump " + in);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        for (const std::string& text : c.shown)
            EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
    // The dump of a game names the plan group's files as what they are not.
    EXPECT_EQ(Tool("game dump plan4.bin").exitCode, 1);
}

// Damaged files: exit 1 with the file, the chunk and the offset, and no file written.
TEST_F(SaveToolTest, DamagedFilesAreRefusedWithTheChunkAndTheOffset)
{
    KnownPeople = {Person("Second", 3)};
    CreateObjectInstance(Item("Crowbar", 7, KIND_TOOL), nullptr);
    std::vector<uint8_t> good;
    ASSERT_TRUE(BuildGameFile("caption", good));
    // The head follows "GAME", 0 and an "INFO" chunk of a short caption and the word 0.
    const size_t head = 8 + 8 + 4 + 8 + 4;
    ASSERT_EQ(std::string(good.begin() + head, good.begin() + head + 4), "HEAD");
    const size_t known = head + 8 + 4 * 4 + 4 * LevelCount;
    ASSERT_EQ(good[known], 1) << "one known person";

    auto with = [&](const std::function<void(std::vector<uint8_t>&)>& damage) {
        std::vector<uint8_t> bytes = good;
        damage(bytes);
        return bytes;
    };
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string error;
    } cases[] = {
        {"cut inside the head", with([&](auto& b) { b.resize(head + 20); }),
         "chunk 'HEAD' at offset " + std::to_string(head) + ": chunk body runs past"},
        {"a people count past the chunk's end", with([&](auto& b) { b[known + 3] = 0x40; }),
         "chunk 'HEAD' at offset " + std::to_string(head) +
             ": the known-people count 1073741825 runs past the "
             "chunk's end (at offset " +
             std::to_string(known) + ")"},
        {"an instance without its kind data", with([&](auto& b) { b[known + 4 * 7] = 'X'; }),
         "no \"OPTS\" chunk at offset " + std::to_string(known + 4 * 7)},
        {"no end", with([&](auto& b) { b.resize(b.size() - 8); }), "before \"EOF \""},
        {"another kind of file", with([&](auto& b) { b[0] = 'B'; }), "does not begin with \"GAME\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(folder / "bad.gam", std::ios::binary)
            .write(reinterpret_cast<const char*>(c.bytes.data()), std::streamsize(c.bytes.size()));
        for (const char* command : {"dump bad.gam", "roundtrip bad.gam out.gam"}) {
            const ToolRun run = Tool(std::string("game ") + command);
            EXPECT_EQ(run.exitCode, 1) << run.err;
            EXPECT_NE(run.err.find("varek-tool game: bad.gam: "), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
        }
        EXPECT_FALSE(fs::exists(folder / "out.gam"));
    }
}

} // namespace
