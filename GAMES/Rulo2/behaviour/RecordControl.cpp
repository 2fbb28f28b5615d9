#include "GAMES/Rulo2/behaviour/RecordControl.h"

#include <algorithm>
#include <cstring>

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/tasks/HeroTasks.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"

int32_t MaxRecordedTime = 0;
CWorldObject* PendingStopCharacter = nullptr;
int32_t PendingStopTime = 0;
uint8_t RecordStateFlag = 0;
std::vector<SProximity> ProximityList;
std::vector<STriggerArea> TriggerAreaList;
SRecordingControl RecordingControl;
CActionEntry PlayerCommand;

namespace {

int32_t& Clock()
{
    return GameClock.gameClock;
}

int32_t& Speed()
{
    return GameClock.gameSpeed;
}

void ResetPathfinder(CWorldObject* character)
{
    if (character && character->objectLogic)
        if (PATHFINDER* path = character->objectLogic->GetPathfinder())
            path->Stop();
}

void ResetCharacters(CWorldObject* except)
{
    for (CWorldObject* c : ActiveCharacters)
        if (c != except)
            ResetPathfinder(c);
}

void DeleteActiveTasks()
{
    for (CWorldObject* o : ActiveObjectList)
        if (o->objectLogic)
            o->objectLogic->DeleteCurrentTask();
}

void RefreshActivity()
{
    for (CWorldObject* o : ActiveObjectList)
        if (o->objectLogic)
            o->objectLogic->lastActivity = Clock();
}

bool IsPlanMember(const CWorldObject* character)
{
    return std::any_of(PlanMemberArray.begin(), PlanMemberArray.end(),
                       [character](const SPlanMember& m) { return m.member == character; });
}

// Catches up to the clock, drops what lies ahead and records from here.
void ResumeFromReplay()
{
    if (Clock() == 0)
        Clock() = 50;
    Speed() = 1;
    ReplayEvents();
    TruncateRecording();
    RecordState = RECORD_RECORD;
    DeleteActiveTasks();
}

// The world walk that restarts every object's tasks: the hero records the
// player's orders, unless a fake recording only lets the plan run on.
void RestartTasksForRecording(bool fake)
{
    RecordingControl.character = CurrentCharacter;
    RecordingControl.skip = fake ? 1 : 0;
    SyncObjectLogicForRecording(g_WorldRoot);
    RecordingControl.skip = 0;
}

// The character runs the task that writes its orders into its planned list.
bool RecordsOrders(const CWorldObject* character)
{
    const CObjectLogic* logic = character ? character->objectLogic : nullptr;
    return logic && dynamic_cast<const CHeroRecordTask*>(logic->Task()) != nullptr;
}

void FormatClock(char* out, size_t size, int32_t clock)
{
    std::snprintf(out, size, "%02d:%02d.%02d,%02d", clock / 3600000, clock / 60000 % 60, clock / 1000 % 60,
                  clock / 10 % 100);
}

} // namespace

void SetPlanMode(int32_t phase)
{
    GamePhase = phase;
    const int16_t* colour = phase == PHASE_PLANNING   ? Settings.planFogColor
                            : phase == PHASE_BURGLARY ? Settings.playFogColor
                                                      : Settings.walkFogColor;
    std::copy(colour, colour + 3, CurrentFogColor);
}

void PauseGame()
{
    Speed() = 0;
    PendingStopCharacter = nullptr;
    PendingStopTime = 0;
}

void SetRecordHighlight(CWorldObject* character)
{
    if (character && character == HudReferenceCharacter()) {
        PendingStopCharacter = character;
        PendingStopTime = Clock() + 400;
    }
}

bool IsRecordingActive()
{
    return RecordState == RECORD_RECORD && Speed() != 0;
}

int32_t AppendEndMarker(int32_t time)
{
    auto e = std::make_unique<CRecordEvent>(EVENT_END, nullptr);
    e->words[0] = time;
    e->time = time;
    return RecordingList.Append(std::move(e));
}

namespace {

void StopRecordingWith(bool resetAllPathfinders)
{
    RemoveAllTextBubbles();
    if (RecordState == RECORD_RECORD || GameClock.fakeRecording) {
        DeleteActiveTasks();
        if (resetAllPathfinders || !GameClock.fakeRecording)
            ResetCharacters(nullptr);
        AppendEndMarker(Clock());
    }
    GameClock.fakeRecording = 0;
    Speed() = 0;
    HudRecordByte = 0;
    RecordState = RECORD_REPLAY;
}

} // namespace

void StopRecording()
{
    StopRecordingWith(false);
}

void SetRecordState(uint8_t flag)
{
    RecordStateFlag = flag;
    PendingStopCharacter = nullptr;
    GameClock.fakeRecording = 0;
    CWorldObject* selected = HudSelectedCharacter;
    if (RecordState == RECORD_RECORD) {
        if (selected && selected != CurrentCharacter &&
            std::find(HudGangCharacters.begin(), HudGangCharacters.end(), selected) !=
                HudGangCharacters.end()) {
            CurrentCharacter = selected;
            RestartTasksForRecording(false);
        } else if (GamePhase == PHASE_PLANNING && !RecordsOrders(CurrentCharacter)) {
            // A new plan starts in RECORD with the hero on its plain order task: without the
            // recording one, nothing the hero is told would reach its planned list.
            RestartTasksForRecording(false);
        }
        Speed() = 100;
    } else if (RecordState == RECORD_REPLAY) {
        ResumeFromReplay();
        if (selected && selected != CurrentCharacter && IsPlanMember(selected))
            CurrentCharacter = selected;
        ResetCharacters(CurrentCharacter);
        RestartTasksForRecording(false);
        RecordState = RECORD_RECORD;
        Speed() = 100;
        RefreshActivity();
    }
}

void StartFakeRecording()
{
    GameClock.fakeRecording = 1;
    PendingStopCharacter = nullptr;
    ResumeFromReplay();
    ResetCharacters(nullptr);
    RestartTasksForRecording(true);
    RecordState = RECORD_RECORD;
    Speed() = 100;
    RefreshActivity();
    char clock[32];
    FormatClock(clock, sizeof clock, Clock());
    LogPrintf("STARTED FAKE-RECORDING at %s", clock);
}

void RecordIdleDeactivation(CWorldObject* object)
{
    if (object && object->objectLogic)
        RecordSimple(object->objectLogic, EVENT_DEACTIVATE);
}

namespace {

// A bit of an entry's member mask changed: the member entered (request
// `enter`) or left (`leave`) the target.
void UpdateMemberBit(uint32_t& mask, int32_t member, bool inside, CWorldObject* character,
                     CWorldObject* target, int32_t enter, int32_t leave)
{
    const uint32_t bit = 1u << member;
    if (inside == ((mask & bit) != 0))
        return;
    mask ^= bit;
    CActionEntry request;
    request.action = inside ? enter : leave;
    request.source = character;
    request.target = target;
    PushRequest(request);
}

// Gang members entering or leaving a trigger area (requests 12, 13) or the
// radius of a listed object (15, 16).
void UpdateTriggers()
{
    for (int32_t m = 0; m < PlanMemberArray.count() && m < 32; ++m) {
        CWorldObject* member = PlanMemberArray.at(m)->member;
        if (!member)
            continue;
        const CVector& p = member->position;
        const CBox feet{{p.x - 0.05f, p.y, p.z - 0.05f}, {p.x + 0.05f, p.y + 0.2f, p.z + 0.05f}};
        for (STriggerArea& a : TriggerAreaList)
            if (a.area)
                UpdateMemberBit(a.mask, m, a.box.overlap(feet), member, a.area, 12, 13);
        for (SProximity& r : ProximityList)
            if (r.object)
                UpdateMemberBit(r.mask, m, (p - r.object->position).length() < r.radius, member, r.object, 15,
                                16);
    }
}

void DeactivateIdleObjects()
{
    for (size_t i = ActiveObjectList.size(); i-- > 0;) {
        if (i >= ActiveObjectList.size())
            continue;
        CWorldObject* o = ActiveObjectList[i];
        CObjectLogic* logic = o->objectLogic;
        if (!logic)
            continue;
        const CKindData* data = logic->EffectiveKindData();
        if (Clock() - logic->lastActivity < 3000)
            continue;
        if (!logic->activateRequest && !(data && data->processAlways) && logic->listStack.empty()) {
            if (logic->Records())
                RecordIdleDeactivation(o);
            logic->Deactivate();
        } else {
            logic->lastActivity = Clock();
        }
    }
}

// A pending order that no one has handled yet, given to a character,
// becomes the player command; true when one was taken over in this step.
bool TakePlayerCommand()
{
    if (!RequestPending || RequestQueue.empty())
        return false;
    const CActionEntry& pending = RequestQueue.front();
    if (pending.handled || !pending.source || !pending.source->objectLogic ||
        !pending.source->objectLogic->IsCharacter())
        return false;
    PlayerCommand = pending;
    return true;
}

// The list an earlier order of the character made it run (a request it gave
// about itself), which a new order of the player replaces.
bool RunsPlayerCommandList(const CObjectLogic& logic)
{
    return !logic.listStack.empty() && logic.action.action >= 0 && logic.action.source == logic.worldNode;
}

void TickObjects(bool newCommand)
{
    CWorldObject* selected = HudReferenceCharacter();
    std::vector<CWorldObject*> ticked;
    auto tick = [&](CWorldObject* o) {
        if (!o || !o->objectLogic || o == selected ||
            std::find(ticked.begin(), ticked.end(), o) != ticked.end())
            return;
        ticked.push_back(o);
        o->objectLogic->Tick();
    };
    for (CWorldObject* o : std::vector<CWorldObject*>(ActiveObjectList))
        tick(o);
    for (CWorldObject* c : std::vector<CWorldObject*>(ActiveCharacters))
        tick(c);
    if (selected && selected->objectLogic) {
        CObjectLogic& logic = *selected->objectLogic;
        if (newCommand && PlayerCommand.source == selected && RunsPlayerCommandList(logic))
            logic.PopTaskList();
        logic.Tick();
        logic.Activate();
    }
    // A request a task has taken leaves the queue once every object has seen
    // it, so that the next one becomes the pending request.
    while (!RequestQueue.empty() && RequestQueue.front().handled)
        RequestQueue.erase(RequestQueue.begin());
    RequestPending = RequestQueue.empty() ? 0 : 1;
}

void UpdateHouseAndFloor()
{
    CWorldObject* selected = HudReferenceCharacter();
    CWorldObject* floor = nullptr;
    const SOpenPassage* latest = nullptr;
    for (const SOpenPassage& p : OpenPassages)
        if (p.opener == selected && selected && (!latest || p.time > latest->time))
            latest = &p;
    if (latest) {
        CWorldObject* house = nullptr;
        GetHouseAndFloor(latest->object, &house, &floor, &CurrentFloor);
        CurrentHouse = house;
        floor = latest->floor;
        CurrentFloor = latest->floorNumber;
    }
    CWorldObject* reference = HudViewMode == 1 ? HudFocusObject : selected;
    CWorldObject* node = reference;
    if (reference && reference->objectLogic)
        if (PATHFINDER* path = reference->objectLogic->GetPathfinder())
            if (path->groundNode)
                node = path->groundNode;
    if (node) {
        CWorldObject *house = nullptr, *foundFloor = nullptr;
        int32_t number = 0;
        GetHouseAndFloor(node, &house, &foundFloor, &number);
        if (house) {
            CurrentHouse = house;
            floor = foundFloor;
            CurrentFloor = number;
            HideStairs = 0;
            if (selected && IsStairsName(node->name) && node->position.y <= selected->position.y - 0.01f) {
                ++CurrentFloor;
                HideStairs = 1;
            }
        }
    }
    if (floor) {
        FloorMask = ExtraFloorMask(floor->name);
        if (CurrentFloor >= 1)
            FloorMask |= 1u << (CurrentFloor - 1);
    }
}

} // namespace

bool RecordCharacterActions()
{
    const bool onTick = Clock() % 50 == 0;
    if (onTick && GamePhase == PHASE_PLANNING && RecordState == RECORD_REPLAY && !GameClock.fakeRecording &&
        Speed() > 0 && RecordingList.count() > 0 &&
        RecordingList.at(RecordingList.count() - 1)->time < Clock() && Clock() < MaxRecordedTime)
        StartFakeRecording();
    if (GameClock.fakeRecording) {
        if (Speed() < 0 || Clock() >= MaxRecordedTime)
            StopRecording();
        if (GameClock.fakeRecording)
            RecordState = RECORD_RECORD;
    }
    if (GamePhase == PHASE_PLANNING && Clock() > kMaxRecordingClock - 1) {
        if (IsRecordingActive())
            ShowTextBubble(HudReferenceCharacter(), GetDisplayText("CHAR_REACHED_MAX_RECORDING_TIME"), false);
        ResetPathfinder(HudReferenceCharacter());
        Clock() = kMaxRecordingClock;
        PauseGame();
    }
    bool result = false;
    if (RecordState == RECORD_REPLAY) {
        result = ReplayEvents();
    } else if ((GamePhase == PHASE_PLANNING || GamePhase == PHASE_BURGLARY) && !onTick) {
        for (CWorldObject* c : ActiveCharacters)
            if (c->objectLogic)
                if (PATHFINDER* path = c->objectLogic->GetPathfinder())
                    path->Update();
    } else {
        if (RecordState == RECORD_RECORD)
            MaxRecordedTime = std::max(MaxRecordedTime, Clock());
        UpdateTriggers();
        const bool newCommand = TakePlayerCommand();
        DeactivateIdleObjects();
        TickObjects(newCommand);
        UpdateHouseAndFloor();
    }
    if (GameClock.fakeRecording)
        RecordState = RECORD_REPLAY;
    return result;
}

namespace {

bool AbortLoop()
{
    return HudAbortFlag && !HudAbortBlockFlag;
}

template <class Step, class Done>
void RunControl(int32_t speed, Step step, Done done)
{
    StopRecordingWith(true);
    RecordState = RECORD_REPLAY;
    GameClock.fakeRecording = 0;
    HudRecordByte = 0;
    if (SoundManager)
        SoundManager->enabled = 0;
    for (;;) {
        Speed() = speed;
        step();
        const bool stopped = RecordCharacterActions();
        if (stopped || done() || AbortLoop())
            break;
    }
    if (SoundManager)
        SoundManager->enabled = 1;
}

void ClockUp()
{
    Clock() = (Clock() / 50 + 1) * 50;
}

void ClockDown()
{
    Clock() = Clock() % 50 == 0 ? Clock() - 50 : Clock() / 50 * 50;
}

} // namespace

void StepToNextAction()
{
    CWorldObject* reference = CurrentCharacter ? CurrentCharacter : HudSelectedCharacter;
    RunControl(100, ClockUp, [reference] { return HasStepEvent(reference); });
    Speed() = 0;
}

void StepToPreviousAction()
{
    CWorldObject* reference = CurrentCharacter ? CurrentCharacter : HudSelectedCharacter;
    RunControl(-100, ClockDown, [reference] { return HasStepEvent(reference); });
    Speed() = 0;
}

void RewindToStart()
{
    RunControl(-100, ClockDown, [] { return false; });
}

void ForwardToEnd()
{
    RunControl(100, ClockUp, [] { return false; });
}
