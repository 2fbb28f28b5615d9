#include "GAMES/Rulo2/behaviour/tasks/GuardTasks.h"

#include <cmath>
#include <string>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/navigation/Perception.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/LogPrintf.h"

using namespace tasks;

namespace {

constexpr float kGuardCone = 2.0f;
constexpr int32_t kHearingThreshold = 10;

// The name a character goes by in alarm texts: its object type's.
std::string CharacterName(const CWorldObject* character)
{
    const char* name = character->GetStateName();
    return name ? name : (character->GetName() ? character->GetName() : "");
}

std::string CharacterText(const CWorldObject* character)
{
    const std::string key = "CHR_" + CharacterName(character);
    return GetDisplayText(key.c_str());
}

// "<seen> <ALARM_GUARD> <guard>".
std::string SightAlarmText(const CWorldObject* seen, const CWorldObject* guard)
{
    return CharacterText(seen) + " " + GetDisplayText("ALARM_GUARD") + " " + CharacterText(guard);
}

int32_t SourceOf(const CObjectLogic& logic)
{
    return RecorderIdOf(logic.worldNode);
}

bool Level(const CWorldObject* a, const CWorldObject* b)
{
    return std::fabs(a->position.y - b->position.y) < 0.5f;
}

// Starts a recording of the task and reads a snapshot when one was recorded.
bool BeginSnapshot(CObjectLogic& logic)
{
    if (logic.Records()) {
        logic.recordedValues.clear();
        logic.RecordTaskEvent();
    }
    logic.readPosition = 0;
    return !logic.recordedValues.empty();
}

} // namespace

// ---------------------------------------------------------------- perception

CTacticTask::~CTacticTask()
{
    if (m_logic)
        RemoveIdEntry(ViewConeList, m_logic);
}

void CTacticTask::Watch(CObjectLogic& logic)
{
    m_logic = &logic;
    AddIdEntry(ViewConeList, &logic, kGuardCone);
}

bool CTacticTask::Locate(const char* failure)
{
    m_path = m_logic ? m_logic->GetPathfinder() : nullptr;
    if (!m_path || !m_path->groundNode) {
        LogPrintf("%s", failure);
        return false;
    }
    m_location = LocationOf(m_path->groundNode);
    m_located = m_location.Where() != nullptr;
    return true;
}

void CTacticTask::Perceive(const SNeeds& needs)
{
    CWorldObject* self = m_logic->worldNode;
    if (!self)
        return;
    const float heading = self->angle - kHalfPi;
    const int32_t area = m_location.inside ? NoiseArea(m_location.floor) : 0;
    auto sees = [&](CWorldObject* target) {
        return target && target != self && Level(self, target) &&
               TestLineOfSight(self, target, heading, kQuarterPi, m_located);
    };
    switch (GamePhase) {
    case PHASE_REALTIME:
        if ((m_located || !needs.realtime) && sees(CurrentCharacter))
            m_logic->SetAlarmState(true);
        break;
    case PHASE_PLANNING:
        if (m_located || !needs.planning)
            GetNoiseLevelAt(self->position, area, kHearingThreshold, nullptr);
        break;
    case PHASE_BURGLARY: {
        if (m_located || !needs.sight)
            for (const SGangMember& member : GangMemberList)
                if (!member.escaped && sees(member.object))
                    TriggerAlarm(SightAlarmText(member.object, self).c_str(), SourceOf(*m_logic));
        int32_t loudest = -1;
        if (GetNoiseLevelAt(self->position, area, kHearingThreshold, &loudest) > kHearingThreshold)
            TriggerAlarm(GetDisplayText("ALARM_SOUND"), SourceOf(*m_logic));
        break;
    }
    default:
        break;
    }
}

// ---------------------------------------------------------------- Guard

void CGuardTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    Watch(logic);
    if (auto* p = ParamAs<CPositionParam>(parameters, 1))
        m_postPosition = CVector(p->x, p->y, p->z);
    m_post = ObjectAt(parameters, 2);
    m_path = logic.GetPathfinder();
    if (!m_path)
        return;
    if (m_post)
        m_path->Step(m_post);
    else
        m_path->WalkTo(m_postPosition, nullptr);
}

bool CGuardTask::Update(CObjectLogic& logic)
{
    if (m_path && !m_path->Update()) {
        logic.PlayAnimation("STAND");
        return false;
    }
    if (!Locate("TacticGuard: can't find pathnode"))
        return false;
    Perceive({false, true, false});
    return true;
}

// ---------------------------------------------------------------- Check Objects

void CCheckObjectsTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    const bool resumed = BeginSnapshot(logic);
    Watch(logic);
    logic.PlayAnimation("STAND");
    m_position = logic.GetPosition();
    for (size_t i = 0; i < 10; ++i)
        if (CWorldObject* o = ObjectAt(parameters, i))
            m_objects.push_back(o);
    if (resumed) {
        m_lastTurn = ReadValue(logic);
        m_index = ReadValue(logic);
    } else {
        m_lastTurn = Now();
        m_index = 0;
        StoreSnapshot(logic, {m_lastTurn, m_index});
    }
    if (!m_objects.empty())
        TurnToCurrent();
}

void CCheckObjectsTask::TurnToCurrent()
{
    if (m_index < 0 || size_t(m_index) >= m_objects.size() || !m_logic->worldNode)
        return;
    const CVector d = m_objects[size_t(m_index)]->position - m_position;
    SetRecordedFloat(m_logic->worldNode, std::atan2(d.x, d.z) + kHalfPi);
}

bool CCheckObjectsTask::Update(CObjectLogic& logic)
{
    if (m_index < 0 || size_t(m_index) >= m_objects.size())
        return false;
    if (!Elapsed(Now(), m_lastTurn, 1000))
        return true;
    if (GamePhase == PHASE_BURGLARY && IsHidden(m_objects[size_t(m_index)]))
        TriggerAlarm(GetDisplayText("ALARM_STOLEN"), SourceOf(logic));
    if (size_t(++m_index) >= m_objects.size())
        return false;
    TurnToCurrent();
    m_lastTurn = Now();
    StoreSnapshot(logic, {m_lastTurn, m_index});
    return true;
}

// ---------------------------------------------------------------- Check doors / lockers

void CCheckPassageTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    const bool resumed = BeginSnapshot(logic);
    Watch(logic);
    m_object = ObjectAt(parameters, 0);
    m_checkLocked = NumberAt(parameters, 2) != 0;
    if (m_lockers) {
        m_checkOpened = NumberAt(parameters, 3) != 0;
        m_checkDamaged = NumberAt(parameters, 4) != 0;
    } else {
        m_checkDamaged = NumberAt(parameters, 3) != 0;
    }
    m_path = logic.GetPathfinder();
    if (!m_path)
        return;
    if (m_object)
        m_path->Step(m_object);
    m_phase = 0;
    if (resumed) {
        m_checkStart = ReadValue(logic);
        m_phase = ReadValue(logic) > 0 ? 1 : 0;
    } else {
        m_checkStart = Now();
        StoreSnapshot(logic, {m_checkStart, m_phase});
    }
}

bool CCheckPassageTask::Update(CObjectLogic& logic)
{
    if (!m_object || !m_path)
        return false;
    if (!Locate(m_lockers ? "TacticCheckLocker: can't find pathnode"
                          : "TacticCheckDoors: can't find pathnode"))
        return false;
    if (m_phase == 0) {
        if (!m_path->Update()) {
            logic.PlayAnimation("STAND");
            if (!m_object->IsAtAttackPoint(logic.worldNode))
                return false;
            m_phase = 1;
            m_checkStart = Now();
            const int32_t kind = m_object->objectLogic ? m_object->objectLogic->Kind() : -1;
            const char* check = m_lockers             ? "PICK_MED"
                                : kind == KIND_DOOR   ? "PICK_MED"
                                : kind == KIND_WINDOW ? "PICK_HIGH"
                                                      : nullptr;
            logic.SetStateByte(check && logic.PlayAnimation(check) ? 1 : 0);
            StoreSnapshot(logic, {m_checkStart, m_phase});
        }
        if (m_phase == 0)
            Perceive({});
        return true;
    }
    if (!Elapsed(Now(), m_checkStart, m_lockers ? 10000 : 1000))
        return true;
    logic.PlayAnimation("STAND");
    if (GamePhase == PHASE_BURGLARY)
        Test();
    return false;
}

void CCheckPassageTask::Test()
{
    const CObjectLogic* o = m_object->objectLogic;
    if (!o)
        return;
    const int32_t source = SourceOf(*m_logic);
    auto alarm = [&](bool fails, const char* key) {
        if (fails)
            TriggerAlarm(GetDisplayText(key), source);
    };
    if (m_lockers) {
        alarm(m_checkLocked && !o->IsLocked(), "ALARM_LOCKERUNLOCKED");
        alarm(m_checkOpened && o->IsOpen(), "ALARM_LOCKEROPEN");
        alarm(m_checkDamaged && o->IsBroken(), "ALARM_LOCKERBROKEN");
    } else {
        alarm(m_checkLocked && !o->IsLocked(), "ALARM_DOORUNLOCKED");
        alarm(m_checkDamaged && o->IsBroken(), "ALARM_DOORBROKEN");
    }
}

// ---------------------------------------------------------------- WaitGuard

void CWaitGuardTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    const bool resumed = BeginSnapshot(logic);
    Watch(logic);
    m_delay = NumberAt(parameters, 1);
    if (resumed) {
        m_start = ReadValue(logic);
    } else {
        m_start = Now();
        StoreSnapshot(logic, {m_start});
    }
}

bool CWaitGuardTask::Update(CObjectLogic&)
{
    if (Now() - m_start > m_delay)
        return false;
    if (!Locate("TacticWaitGuard: couldn't find groundnode"))
        return false;
    Perceive({true, false, true});
    return true;
}
