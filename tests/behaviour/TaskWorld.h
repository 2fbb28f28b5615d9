// A small world for the task tests: characters, doors, windows and fixed
// objects with run-time conditions, the request queue, the alarm, bubbles and
// the game's watch lists reset around every test. Texts show as their keys.
#pragma once

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTask.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/interface/TextBubbles.h"
#include "GAMES/Rulo2/navigation/Perception.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "LIBS/System/LogPrintf.h"
#include "tests/navigation/NavWorld.h"
#include "tests/support/QuietSounds.h"

// The application log caught in a file while it lives.
class ProgramLog
{
public:
    ProgramLog()
        : path_(std::filesystem::temp_directory_path() /
                ("task_log_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++) + ".txt"))
    {
        LogPrintfSetTarget(&logging_, path_.string().c_str());
    }
    ~ProgramLog()
    {
        LogPrintfSetTarget(nullptr, "");
        std::filesystem::remove(path_);
    }
    ProgramLog(const ProgramLog&) = delete;
    ProgramLog& operator=(const ProgramLog&) = delete;
    std::string Text() const
    {
        std::ifstream in(path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    static inline int counter_ = 0;
    std::filesystem::path path_;
    uint8_t logging_ = 1;
};

class TaskWorldTest : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        world = std::make_unique<navtest::World>();
        PATHFINDER::CreateSearchPool();
        Reset();
        ShowKeysFlag = 1;
        GamePhase = PHASE_BURGLARY;
    }
    void TearDown() override
    {
        tasks.clear();
        Reset();
        ShowKeysFlag = 0;
        world.reset();
        WorldServicesTest::TearDown();
    }
    static void Reset()
    {
        GameClock.gameClock = 0;
        RequestQueue.clear();
        RequestPending = 0;
        ResetAlarm();
        AlarmSource = 0;
        RemoveAllTextBubbles();
        NoiseSources.clear();
        ViewConeList.clear();
        ObjectLogicTable.clear();
        GangMemberList.clear();
        BurglaryHouses.clear();
        BurglaryStartPoint = CVector(0, 0, 0);
        BurglaryLeashRadius = kDefaultLeashRadius;
        HeroStartPosition = CVector(0, 0, 0);
        SoundSensorList.clear();
        ProximityList.clear();
        PlayerCommand = CActionEntry();
        VehicleMode = 0;
        HudFeedbackId = -1;
        PendingStopCharacter = nullptr;
        LightBarrierList.clear();
        CrackingList.clear();
        KnownPeople.clear();
        BurglaryCharacters.clear();
    }

    // An object of the kind with run-time conditions; characters get a ground node under them.
    CWorldObject* Object(const char* name, int32_t kind, const CVector& at,
                         std::vector<const char*> states = {"STAND"}, CNode* parent = nullptr)
    {
        CWorldObject* o = world->Object(name, kind, at, std::move(states), parent);
        o->objectLogic->conditions = CKindState::Create(kind);
        o->objectLogic->kindData = o->objectLogic->ownKindData.get();
        if (PATHFINDER* path = o->objectLogic->GetPathfinder()) {
            Ground();
            if (!path->Init(o)) {
                path->owner = o;
                path->groundNode = Ground();
            }
        }
        return o;
    }
    // Lists the object under the next recorder id, so that recorded values can name it.
    CWorldObject* Register(CWorldObject* o)
    {
        if (ObjectLogicTable.empty())
            ObjectLogicTable.assign(1, nullptr);
        o->objectLogic->recorderId = int32_t(ObjectLogicTable.size());
        ObjectLogicTable.push_back(o);
        return o;
    }
    // Puts a request of the kind from the character on the object into the queue.
    static void Request(int32_t kind, CWorldObject* source, CWorldObject* target)
    {
        CActionEntry r;
        r.action = kind;
        r.source = source;
        r.target = target;
        PushRequest(r);
    }
    CWorldObject* Character(const char* name, const CVector& at, int32_t kind = 4)
    {
        return Object(name, kind, at,
                      {"STAND", "WALK", "PICK_MED", "PICK_HIGH", "SIT", "WORK_MID", "CLIMB_WIN"});
    }
    // Gives the object's current state an attack point at the local point.
    void AttackPoint(CWorldObject* o, const CVector& local, float angle = 0.0f)
    {
        auto* entry = new CModelEntry();
        entry->SetName("attack");
        SModelPoint p;
        const float v[4] = {local.x, local.y, local.z, angle};
        std::memcpy(p.words, v, sizeof v);
        entry->points.push_back(p);
        world->entries.emplace_back(entry);
        o->objectLogic->animation->modelEntry = entry;
    }
    CWorldObject* Ground()
    {
        if (!ground) {
            // The ground is the floor of a house, so that the watchers know where they stand.
            CWorldObject* house = world->Group("Haus_T");
            auto* floor = new CWorldObject("Stockwerk_1");
            house->AddChild(floor);
            // A group's rotation field is its bounding radius for the ray tests.
            house->angle = floor->angle = 1000.0f;
            ground = world->Place(navtest::ShapeEntry("ground", navtest::Square(-5, -5, 5, 5), {}), {0, 0, 0},
                                  floor);
            // A connection makes the node count for the ground probes; clicks meet only what is shown.
            navtest::Connect(world->Group("anchor"), ground);
            for (CWorldObject* shown : {world->root.get(), house, floor, ground})
                SetVisibility(shown, VIS_INSIDE);
        }
        return ground;
    }
    void Gang(std::initializer_list<CWorldObject*> members)
    {
        for (CWorldObject* m : members)
            GangMemberList.push_back({m, 0, 0});
    }

    // Starts a task of the class on the object with the parameters; the test keeps it.
    template <class T>
    T* Start(CWorldObject* object, TaskParamList parameters = {})
    {
        auto task = std::make_unique<T>();
        T* raw = task.get();
        params.push_back(std::make_unique<TaskParamList>(std::move(parameters)));
        raw->Start(*object->objectLogic, *params.back());
        tasks.push_back(std::move(task));
        return raw;
    }
    static std::unique_ptr<CTaskParam> Number(int32_t type, int32_t value)
    {
        auto p = CreateTaskParam(type);
        static_cast<CIntParam*>(p.get())->value = value;
        return p;
    }
    static std::unique_ptr<CTaskParam> ObjectRef(CWorldObject* object)
    {
        auto p = CreateTaskParam(PARAM_OBJECT);
        static_cast<CObjectRefParam*>(p.get())->Set(object);
        return p;
    }
    static std::unique_ptr<CTaskParam> Position(const CVector& v)
    {
        auto p = CreateTaskParam(PARAM_POSITION);
        auto* pos = static_cast<CPositionParam*>(p.get());
        pos->x = v.x;
        pos->y = v.y;
        pos->z = v.z;
        return p;
    }
    template <class... P>
    static TaskParamList List(P... p)
    {
        TaskParamList list;
        (list.push_back(std::move(p)), ...);
        return list;
    }
    // The bubble text over an object; empty without one.
    static std::string Bubble(const CNode* owner)
    {
        for (const STextBubble& b : TextBubbleList)
            if (b.owner == owner)
                return b.text ? b.text : "";
        return "";
    }

    // Runs the task every 50 ms tick until it ends or the time is up; the clock when it ended, -1 when not.
    static int32_t RunUntilDone(CTask* task, CObjectLogic& logic, int32_t ms)
    {
        for (const int32_t end = GameClock.gameClock + ms; GameClock.gameClock < end;) {
            GameClock.gameClock += 50;
            if (!task->Update(logic))
                return GameClock.gameClock;
        }
        return -1;
    }

    std::unique_ptr<navtest::World> world;
    CWorldObject* ground = nullptr;
    std::vector<std::unique_ptr<TaskParamList>> params;
    std::vector<std::unique_ptr<CTask>> tasks;
};
