#include "GAMES/Rulo2/behaviour/tasks/SecurityTasks.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/Perception.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/LogPrintf.h"

using namespace tasks;

namespace {

constexpr float kSensorCone = 0.5f;
constexpr float kSensorReach = 0.5f;

} // namespace

// ---------------------------------------------------------------- Alarmanlage

void CAlarmanlageTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    logic.timeLimited = 1;
    const int32_t mode = NumberAt(parameters, 0);
    // The editor offers Crack, Open, Pick; the checks test open, broken, taken.
    static const int32_t kModes[] = {1, 0, 2};
    m_mode = mode >= 0 && mode <= 2 ? kModes[mode] : -1;
    m_delay = NumberAt(parameters, 1);
    m_failsafe = NumberAt(parameters, 2) > 0 ? 1 : 0;
    m_failsafeDelay = NumberAt(parameters, 3);
    if (m_mode < 0) {
        LogPrintf("Alarmanlage: invalid mode %d, nothing is watched", mode);
    } else {
        for (size_t i = 4; i <= 8; ++i) {
            CWorldObject* o = ObjectAt(parameters, i);
            if (o && o->objectKind == CWorldObject::KIND_OBJECT && o->reference && o->objectLogic &&
                !IsHidden(o))
                m_monitored.push_back(o->objectLogic);
        }
    }
    m_reference = Now();
    logic.SetAlarmState(false);
}

bool CAlarmanlageTask::Fires(const CObjectLogic& object) const
{
    const bool hidden = IsHidden(object.worldNode);
    switch (object.Kind()) {
    case KIND_ITEM:
    case KIND_LOOT:
    case KIND_TOOL:
        return m_mode == 2 && hidden;
    case KIND_FIXED:
        return object.IsAlarm() || (m_mode == 0 && object.IsOpen()) || (m_mode == 1 && object.IsBroken()) ||
               (m_mode == 2 && hidden);
    case KIND_DOOR:
    case KIND_WINDOW:
        return (m_mode == 0 && object.IsOpen()) || (m_mode == 1 && object.IsBroken());
    default:
        return false;
    }
}

bool CAlarmanlageTask::Update(CObjectLogic& logic)
{
    if (m_monitored.empty() || GamePhase != PHASE_BURGLARY || !logic.IsActive())
        return true;
    const int32_t now = Now();
    if (logic.IsAlarm()) {
        if (now - m_reference >= m_delay) {
            logic.SwitchAnimation("ACTIVE");
            TriggerAlarm(GetDisplayText("ALARM_ALARMSYSTEM"), RecorderIdOf(logic.worldNode));
        } else {
            logic.lastActivity = now;
        }
        return true;
    }
    m_reference = now;
    if (logic.IsLocked()) {
        m_countdown = false;
    } else if (!m_failsafe) {
        return true;
    } else if (m_countdown) {
        if (now - m_countdownStart < m_failsafeDelay)
            return true;
    } else {
        m_countdown = true;
        m_countdownStart = now;
    }
    for (CObjectLogic* object : m_monitored)
        if (Fires(*object)) {
            m_reference = now;
            logic.SetAlarmState(true);
        }
    return true;
}

// ---------------------------------------------------------------- Sound Sensor

CSoundSensorTask::~CSoundSensorTask()
{
    std::erase(SoundSensorList, m_object);
}

void CSoundSensorTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    logic.timeLimited = 1;
    m_object = logic.worldNode;
    m_enabled = 1;
    m_sensitivity = NumberAt(parameters, 0);
    m_reference = Now();
    const SLocation l = LocationOf(m_object);
    m_location = l.Where();
    if (!m_location)
        m_enabled = 0;
    m_floor = l.floor;
    if (GamePhase == PHASE_PLANNING || GamePhase == PHASE_BURGLARY) {
        if (m_object && IsBurglaryHouse(l.house) &&
            std::find(SoundSensorList.begin(), SoundSensorList.end(), m_object) == SoundSensorList.end())
            SoundSensorList.push_back(m_object);
        if (!l.inside)
            m_floor = nullptr;
    }
}

bool CSoundSensorTask::Update(CObjectLogic& logic)
{
    m_reference = Now();
    if (!m_enabled)
        return true;
    if (logic.IsBroken() || logic.IsOpen()) {
        m_enabled = 0;
        return true;
    }
    if (!logic.IsActive() || !m_object)
        return true;
    const int32_t level = GetNoiseLevelAt(m_object->position, NoiseArea(m_floor), m_sensitivity, nullptr);
    if (level > m_sensitivity)
        logic.SetAlarmState(true);
    if (level <= 0)
        return false;
    logic.lastActivity = Now();
    return true;
}

// ---------------------------------------------------------------- Video Sensor

CVideoSensorTask::~CVideoSensorTask()
{
    std::erase_if(ProximityList, [this](const SProximity& p) { return p.object == m_object; });
}

void CVideoSensorTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    logic.timeLimited = 1;
    m_logic = &logic;
    AddIdEntry(ViewConeList, &logic, kSensorCone);
    m_object = logic.worldNode;
    m_enabled = 1;
    m_viewAngle = float(NumberAt(parameters, 0)) * 3.1415927f / 180.0f;
    m_reference = Now();
    m_location = LocationOf(m_object).Where();
    if (m_object)
        ProximityList.push_back({m_object, kSensorReach, 0});
}

void CVideoSensorTask::Watch(CObjectLogic& logic)
{
    CWorldObject* self = m_object;
    const bool located = m_location != nullptr;
    auto sees = [&](CWorldObject* target) {
        return TestLineOfSight(self, target, self->angle, m_viewAngle, located);
    };
    if (GamePhase == PHASE_REALTIME) {
        CWorldObject* hero = CurrentCharacter;
        if (hero && Distance(self->position, hero->position) < kSensorReach &&
            std::fabs(self->position.y - hero->position.y) < kSensorReach && sees(hero))
            logic.SetAlarmState(true);
    } else if (GamePhase == PHASE_BURGLARY) {
        for (const SGangMember& member : GangMemberList) {
            if (member.escaped || !member.object)
                continue;
            const CVector& p = member.object->position;
            const float dx = p.x - self->position.x, dz = p.z - self->position.z;
            const float d = std::sqrt(dx * dx + dz * dz);
            const float h = std::fabs(p.y - self->position.y);
            // Straight below the camera (d / h small) lies outside its picture.
            if (d < kSensorReach && d / h > 0.4f && sees(member.object))
                logic.SetAlarmState(true);
        }
    }
}

bool CVideoSensorTask::Update(CObjectLogic& logic)
{
    if (m_commandDone) {
        m_commandDone = 0;
        return false;
    }
    logic.lastActivity = Now();
    if (PlayerCommand.action == 16 && !PlayerCommand.handled && m_object &&
        PlayerCommand.target == m_object) {
        PlayerCommand.handled = 1;
        m_commandDone = 1;
    }
    m_reference = Now();
    if (!m_enabled || logic.IsBroken() || logic.IsOpen()) {
        m_enabled = 0;
        return false;
    }
    if (!logic.IsActive() || !m_object)
        return true;
    Watch(logic);
    return true;
}
