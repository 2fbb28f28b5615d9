// Forty guards standing watch and ten alarm systems guarding five doors each,
// ticked 1,000 times in the burglary phase inside a house with walls, beside the
// same town whose guards do not look or listen (perception off), in one run.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/navigation/Perception.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

namespace {

constexpr int kGuards = 40;
constexpr int kSystems = 10;
constexpr int kDoorsPerSystem = 5;
constexpr int kWalls = 30;
constexpr int kTicks = 1000;

struct Town
{
    std::unique_ptr<CWorldObject> root = std::make_unique<CWorldObject>("root");
    CWorldObject* ground = nullptr;
    std::vector<CWorldObject*> guards, systems, members;
    std::vector<std::unique_ptr<CObjectNode>> definitions;

    CWorldObject* Add(CWorldObject* parent, const char* name, int32_t kind)
    {
        auto* o = new CWorldObject(name);
        o->objectKind = kind;
        parent->AddChild(o);
        return o;
    }
    CWorldObject* Logic(CWorldObject* parent, const char* name, int32_t kind, const CVector& at)
    {
        CWorldObject* o = Add(parent, name, CWorldObject::KIND_OBJECT);
        o->position = at;
        o->objectLogic = new CObjectLogic;
        o->objectLogic->ownKindData = CKindData::Create(kind);
        o->objectLogic->ownTaskList = std::make_unique<CTaskList>();
        return o;
    }
    static CTaskItem& Item(CWorldObject* o, int32_t type)
    {
        o->objectLogic->ownTaskList->AddTask(std::make_unique<CTaskItem>(0, type));
        CTaskItem& item = *o->objectLogic->ownTaskList->tasks.back();
        if (const STaskTypeRow* row = TaskTypeRow(type))
            for (uint32_t i = 0; i < row->paramCount; ++i)
                item.AddParameter(row->params[i].type);
        return item;
    }
    static void Set(CTaskItem& item, size_t i, int32_t value)
    {
        static_cast<CIntParam*>(item.parameters[i].get())->value = value;
    }

    explicit Town(bool perception)
    {
        CWorldObject* house = Add(root.get(), "Haus_1", CWorldObject::KIND_GROUP);
        CWorldObject* floor = Add(house, "Stockwerk_1", CWorldObject::KIND_GROUP);
        CWorldObject* inside = Add(floor, "innen", CWorldObject::KIND_GROUP);
        ground = Add(inside, "Boden", CWorldObject::KIND_MODEL);
        for (int i = 0; i < kWalls; ++i) {
            CWorldObject* wall = Add(inside, "W_Wand", CWorldObject::KIND_MODEL);
            wall->boundsBMin = CVector(float(i) - 0.05f, 0, 3.0f);
            wall->boundsBMax = CVector(float(i) + 0.05f, 0.5f, 3.2f);
        }
        for (int i = 0; i < 4; ++i) {
            CWorldObject* m = Logic(inside, "Held", KIND_CHARACTER_A, {float(i) * 2.0f, 0, 1.0f});
            members.push_back(m);
            GangMemberList.push_back({m, 0, 0});
        }
        for (int i = 0; i < kGuards; ++i) {
            CWorldObject* g =
                Logic(inside, "Waechter", KIND_CHARACTER_B, {float(i % 10), 0, float(i / 10) * 0.7f});
            g->angle = float(i) * 0.3f;
            CTaskItem& item = Item(g, perception ? TaskTypeByName("WaitGuard") : TASK_DO_NOTHING);
            if (perception)
                Set(item, 1, 80'000'000);
            guards.push_back(g);
        }
        for (int s = 0; s < kSystems; ++s) {
            CWorldObject* system = Logic(inside, "Alarmanlage", KIND_FIXED, {float(s), 1.0f, 4.0f});
            CTaskItem& item = Item(system, TASK_ALARMANLAGE);
            Set(item, 0, s % 3);
            Set(item, 1, 10'000);
            for (int d = 0; d < kDoorsPerSystem; ++d) {
                CWorldObject* door = Logic(inside, "Tuer", KIND_DOOR, {float(s), 0, 5.0f + float(d)});
                definitions.push_back(std::make_unique<CObjectNode>("Tuer"));
                definitions.back()->AddState("CLOSED");
                door->reference = definitions.back().get();
                door->objectLogic->Init(door);
                static_cast<CObjectRefParam*>(item.parameters[4 + size_t(d)].get())->Set(door);
            }
            systems.push_back(system);
        }
        for (CWorldObject* o : guards)
            Prepare(o);
        for (CWorldObject* o : members)
            Prepare(o);
        for (CWorldObject* o : systems) {
            Prepare(o);
            o->objectLogic->SetActiveState(true);
            o->objectLogic->SetLockedState(true);
        }
        NoiseSources.push_back({3.0f, 0, 2.0f, 12, 1});
    }
    void Prepare(CWorldObject* o)
    {
        o->objectLogic->Init(o);
        if (PATHFINDER* path = o->objectLogic->GetPathfinder())
            path->groundNode = ground;
    }
    ~Town()
    {
        GangMemberList.clear();
        NoiseSources.clear();
        ViewConeList.clear();
        root->DeleteChildren();
    }

    void Tick()
    {
        GameClock.gameClock += 50;
        for (CWorldObject* g : guards)
            g->objectLogic->Tick();
        for (CWorldObject* s : systems)
            s->objectLogic->Tick();
    }
};

void RunTicks(benchmark::State& state, bool perception)
{
    GamePhase = PHASE_BURGLARY;
    // Alarms are raised once; later ticks of the run still look and listen.
    AlarmOverride = 1;
    for (auto _ : state) {
        state.PauseTiming();
        GameClock.gameClock = 0;
        auto town = std::make_unique<Town>(perception);
        state.ResumeTiming();
        for (int t = 0; t < kTicks; ++t)
            town->Tick();
        state.PauseTiming();
        town.reset();
        state.ResumeTiming();
    }
    state.counters["time_per_tick"] = benchmark::Counter(
        double(kTicks) * double(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::OneK::kIs1000);
    AlarmOverride = 0;
    GamePhase = PHASE_REALTIME;
}

void BM_GuardsAndAlarmSystems(benchmark::State& state)
{
    RunTicks(state, true);
}

void BM_GuardsAndAlarmSystemsPerceptionOff(benchmark::State& state)
{
    RunTicks(state, false);
}

} // namespace

BENCHMARK(BM_GuardsAndAlarmSystemsPerceptionOff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GuardsAndAlarmSystems)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
