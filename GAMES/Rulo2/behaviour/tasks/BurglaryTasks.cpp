#include "GAMES/Rulo2/behaviour/tasks/BurglaryTasks.h"

#include <algorithm>
#include <string>
#include <vector>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/editor/GroundProbe.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "LIBS/System/LogPrintf.h"

using namespace tasks;

namespace {

constexpr float kPi = 3.1415927f;
constexpr int32_t kFirstMemberPosition = 3;
constexpr int32_t kMemberPositions = 6;
constexpr int32_t kFirstObject = 9;
constexpr int32_t kObjects = 10;

bool BoxIsEmpty(const CWorldObject* o)
{
    return o->boundsAMin.x > o->boundsAMax.x || o->boundsAMin.y > o->boundsAMax.y ||
           o->boundsAMin.z > o->boundsAMax.z;
}

// The getaway car of the plan as the special object: made on first use, else
// given the plan's car definition anew.
CWorldObject* PrepareGetawayCar(CObjectNode* definition)
{
    CWorldObject* car = g_SpecialObject;
    if (!car) {
        car = SpawnInstanceNode(definition, true);
    } else {
        car->objectKind = CWorldObject::KIND_OBJECT;
        car->reference = definition;
        if (car->objectLogic)
            car->objectLogic->Init(car);
    }
    g_SpecialObject = car;
    if (car->objectLogic)
        car->objectLogic->recorderId = int32_t(kSpecialObjectId);
    return car;
}

void PlaceGetawayCar(CWorldObject* car, const CVector& at, int32_t degrees)
{
    CVector origin, direction, ground = at;
    MakeGroundProbe(&origin, &direction, at);
    CVector hit;
    CWorldObject* node = nullptr;
    if (g_WorldRoot && IntersectRayWithNode(g_WorldRoot, origin, direction, &hit, &node, false))
        ground = hit;
    if (BoxIsEmpty(car))
        UpdateDoorBounds(car);
    if (!BoxIsEmpty(car))
        ground.y += (car->boundsAMax.y - car->boundsAMin.y) * 0.5f;
    car->position = ground;
    car->angle = float(degrees) / 180.0f * kPi;
}

const char* Bool(bool value)
{
    return value ? "true" : "false";
}

const char* MaterialName(int32_t i)
{
    static const char* const names[] = {"glas", "wood", "steel", "hightech"};
    return i >= 0 && i < 4 ? names[i] : "illegal";
}

const char* CrackTypeName(int32_t i)
{
    static const char* const names[] = {"undefined", "picklocks", "picksafes", "alarmsystems"};
    return i >= 0 && i < 4 ? names[i] : "illegal";
}

const char* KindNameOf(int32_t i)
{
    static const char* const names[] = {"item",        "item-loot",      "item-tool",
                                        "immobilie",   "character-a",    "character-b",
                                        "character-c", "durchgang-tuer", "durchgang-fenster"};
    return i >= 0 && i < 9 ? names[i] : "illegal";
}

const char* NameOf(const CWorldObject* o)
{
    return o && o->name ? o->name : "";
}

const char* TypeNameOf(const CWorldObject* o)
{
    const CKindData* data = o && o->objectLogic ? o->objectLogic->EffectiveKindData() : nullptr;
    return data ? data->name.c_str() : "";
}

// A placed object counts as default unless its kind data's common number flags it.
bool IsDefault(const CWorldObject* o)
{
    const CKindData* data = o && o->objectLogic ? o->objectLogic->EffectiveKindData() : nullptr;
    return !data || data->minBurglaryLevel == 0;
}

// The objects that alarm-system and remote-state items of a list and its dependencies name.
void CollectReferences(const CTaskList* list, std::vector<CWorldObject*>& out)
{
    if (!list)
        return;
    for (const auto& item : list->tasks) {
        const int32_t type = item->taskType;
        if (type != TASK_ALARMANLAGE && (type < 64 || type > 68))
            continue;
        for (const auto& p : item->parameters)
            if (auto* ref = dynamic_cast<CObjectRefParam*>(p.get()); ref && ref->object)
                out.push_back(ref->object);
    }
    for (const auto& d : list->dependencies)
        CollectReferences(d->childList.get(), out);
}

void Report(int32_t number, float value, float weight, const std::vector<CWorldObject*>& loot,
            const std::vector<CWorldObject*>& secured, const std::vector<CWorldObject*>& others)
{
    const std::string key = "LEVEL_" + std::to_string(number);
    const bool named = number >= 1 && number <= 19;
    LogPrintf("**** BURGLARY #%d (\"%s\")", number, named ? GetDisplayText(key.c_str()) : key.c_str());
    LogPrintf("total loot value: %.2f", double(value));
    LogPrintf("total loot weight: %.2f", double(weight));
    LogPrintf("total loot needed: %.2f", double(RequiredLootShare));
    LogPrintf("par time: %.2f", double(BurglaryParTime));
    int32_t n = 0;
    for (CWorldObject* c : BurglaryCharacters) {
        const CKindData* data = c->objectLogic ? c->objectLogic->EffectiveKindData() : nullptr;
        LogPrintf("character #%d: %s, speed: %.2f", ++n, TypeNameOf(c),
                  double(data ? data->SpeedFactor() : 0.0f));
    }
    n = 0;
    for (CWorldObject* o : loot) {
        const CKindData* data = o->objectLogic->EffectiveKindData();
        LogPrintf("loot #%d: %s (%s)", ++n, NameOf(o), TypeNameOf(o));
        LogPrintf("  default: %s, value: %.2f, weight: %.2f", Bool(IsDefault(o)),
                  double(data ? data->Price() : 0), double(data ? data->Weight() : 0));
    }
    n = 0;
    for (CWorldObject* o : secured) {
        CObjectLogic* logic = o->objectLogic;
        const CKindData* data = logic ? logic->EffectiveKindData() : nullptr;
        const uint32_t* v = data && data->ValueCount() >= 3 ? data->Values() : nullptr;
        LogPrintf("alarm-system #%d: %s (%s)", ++n, NameOf(o), TypeNameOf(o));
        LogPrintf("  default: %s, working-time: %.2f, material: %s, crack-type: %s, open: %s, locked: %s, "
                  "active: %s, clickable: %s",
                  Bool(IsDefault(o)), double(v ? WordAsFloat(v[0]) : 0.0f),
                  MaterialName(v ? int32_t(v[1]) : -1), CrackTypeName(v ? int32_t(v[2]) : -1),
                  Bool(logic && logic->IsOpen()), Bool(logic && logic->IsLocked()),
                  Bool(logic && logic->IsActive()), Bool(data && data->clickable));
        std::vector<CWorldObject*> references;
        if (logic)
            CollectReferences(logic->MainTaskList(), references);
        int32_t r = 0;
        for (CWorldObject* ref : references)
            LogPrintf("  reference #%d: %s", ++r, NameOf(ref));
    }
    n = 0;
    for (CWorldObject* o : others) {
        const CKindData* data = o->objectLogic ? o->objectLogic->EffectiveKindData() : nullptr;
        if (!data || !data->clickable)
            continue;
        LogPrintf("clickable #%d: %s (%s)", ++n, NameOf(o), KindNameOf(data->kind));
        LogPrintf("  default: %s, type: %s", Bool(IsDefault(o)), TypeNameOf(o));
    }
}

} // namespace

// ---------------------------------------------------------------- BurglaryTarget

void CBurglaryTargetTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    const int32_t number = NumberAt(parameters, 0);
    if (!BurglaryTargetReset || (GamePhase != PHASE_PLANNING && GamePhase != PHASE_BURGLARY) ||
        number != PlanBurglaryNumber)
        return;
    RequiredLootShare = float(NumberAt(parameters, 19)) / 100.0f;
    BurglaryParTime = NumberAt(parameters, 20);
    BurglaryStartPoint = logic.GetPosition();
    BurglaryLeashRadius = RadiusAt(parameters, 1);

    BurglaryCharacters.clear();
    BurglaryHouses.clear();
    // The burglary's characters (its guards) take part in the planning and the burglary: the
    // character list that the reset builds next keeps only chosen characters and the gang.
    ChosenCharacterIds.clear();
    for (int32_t i = 0; i < kObjects; ++i) {
        CWorldObject* o = ObjectAt(parameters, size_t(kFirstObject + i));
        if (!o)
            continue;
        if (IsCharacter(o)) {
            BurglaryCharacters.push_back(o);
            if (o->objectLogic && o->objectLogic->objectId)
                ChosenCharacterIds.push_back(o->objectLogic->objectId);
            continue;
        }
        CWorldObject* house = LocationOf(o).house;
        if (!house) {
            LogPrintf("WARNING: burglary-object does not belong to a valid group!");
            continue;
        }
        if (!IsBurglaryHouse(house))
            BurglaryHouses.push_back(house);
    }

    if (PlanCar)
        PlaceGetawayCar(PrepareGetawayCar(PlanCar), PositionAt(parameters, 2), NumberAt(parameters, 21));

    for (int32_t i = 0; i < PlanMemberArray.count() && i < kMemberPositions; ++i) {
        CWorldObject* member = PlanMemberArray[size_t(i)].member;
        if (!member)
            continue;
        const CVector at = PositionAt(parameters, size_t(kFirstMemberPosition + i));
        member->position = at;
        if (PATHFINDER* path = member->objectLogic ? member->objectLogic->GetPathfinder() : nullptr)
            path->GoTo(at, nullptr);
    }

    float value = 0.0f, weight = 0.0f;
    std::vector<CWorldObject*> loot, secured, others;
    CollectHouseStatistics(g_WorldRoot, value, weight, &loot, &secured, &others, BurglaryHouses);
    TargetLootValue = value;
    if (!GameModeFlag)
        Report(number, value, weight, loot, secured, others);
}

// ---------------------------------------------------------------- burglary flow

void CFinishBurglaryTask::Start(CObjectLogic& logic, TaskParamList&)
{
    CWorldObject* entering = logic.action.source;
    if (entering) {
        SetDisplayFlag(entering, true);
        if (SoundManager)
            SoundManager->play("WINDOW_SHUT", entering, 0, 0, 0, 5.0f, 1.0f, 1.0f, 0);
    }
    if (GamePhase != PHASE_BURGLARY)
        return;
    int32_t out = 0;
    for (SGangMember& m : GangMemberList) {
        if (entering && m.object == entering)
            m.escaped = 1;
        if (m.escaped || m.caught)
            ++out;
    }
    if (GangMemberList.empty() || out != int32_t(GangMemberList.size()))
        return;
    SetPlanMode(PHASE_REALTIME);
    RecordState = RECORD_NORMAL;
    InterfaceMode = 0;
    OpenResultsMenu(MenuClock());
    ResultsMenuOpen = 1;
}

void CEnableBurglarySuccessTask::Start(CObjectLogic&, TaskParamList&)
{
    ResultsSwitch = 1;
}

void CReduceCrimerateTask::Start(CObjectLogic&, TaskParamList& parameters)
{
    CWorldObject* hero = CurrentCharacter;
    CObjectLogic* logic = hero ? hero->objectLogic : nullptr;
    auto* state = logic ? dynamic_cast<CCharacterAState*>(logic->conditions.get()) : nullptr;
    if (state)
        state->crimeRecords *= float(NumberAt(parameters, 0)) / 100.0f;
}

void CPlanModeTask::Start(CObjectLogic&, TaskParamList&)
{
    if (Tutorial.active && Tutorial.page == 7 && Tutorial.progress == 1) {
        OpenMessageMenu(MenuClock(), GetDisplayText("HERO_TUTORIAL_COMPLETE"), 11, 0);
        return;
    }
    Tutorial.NextPage(1);
    ReturnToPlanSelect = 1;
}

void CInitFakeHeroTask::Start(CObjectLogic& logic, TaskParamList&)
{
    CWorldObject* self = logic.worldNode;
    if (!self)
        return;
    if (BurglaryLevel != 2) {
        self->flags |= 0x02;
        return;
    }
    CurrentCharacter = self;
    self->flags &= uint8_t(~0x02);
}

bool CInitFakeHeroTask::Update(CObjectLogic&)
{
    return BurglaryLevel != 2;
}

void CInitOutroTask::Start(CObjectLogic&, TaskParamList&)
{
    if (GamePhase != PHASE_BURGLARY)
        return;
    if (SoundManager)
        SoundManager->stopAll();
    CdMusic.Stop();
    if (FrameClockHooks.playMovie)
        FrameClockHooks.playMovie(9);
}
