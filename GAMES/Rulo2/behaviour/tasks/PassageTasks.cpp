#include "GAMES/Rulo2/behaviour/tasks/PassageTasks.h"

#include <cmath>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

using namespace tasks;

namespace {

constexpr int32_t kCheckInterval = 500;
constexpr float kDoorReach = 0.3f;
constexpr float kWindowReach = 0.35f;

// Planning refuses the hero at a house that the burglary does not cover.
bool OutsidePlan(const CWorldObject* house, const CWorldObject* requester)
{
    return GamePhase == PHASE_PLANNING && house && !IsBurglaryHouse(house) && IsHero(requester);
}

void BeginPermanentTask(CObjectLogic& logic, CWorldObject** house, CWorldObject** floor, int32_t* number)
{
    if (logic.Records()) {
        logic.recordedValues.clear();
        logic.RecordTaskEvent();
    }
    logic.timeLimited = 1;
    const SLocation l = LocationOf(logic.worldNode);
    *house = l.house;
    *floor = l.floor;
    *number = l.floorNumber;
    if (!logic.busy)
        logic.PlayAnimation(logic.IsOpen() ? "OPEN" : "CLOSED");
    logic.readPosition = 0;
}

} // namespace

// ---------------------------------------------------------------- Door

void CDoorTask::Start(CObjectLogic& logic, TaskParamList&)
{
    BeginPermanentTask(logic, &m_house, &m_floor, &m_floorNumber);
    m_lastCheck = Now();
    if (logic.recordedValues.empty())
        return;
    m_opener = FindRecordedObject(ReadValue(logic));
    m_waiting = ReadValue(logic) != 0;
    m_feedbackId = ReadValue(logic);
}

void CDoorTask::Record(CObjectLogic& logic)
{
    StoreSnapshot(logic, {RecorderIdOf(m_opener), m_waiting ? 1 : 0, m_feedbackId});
}

bool CDoorTask::Update(CObjectLogic& logic)
{
    const int32_t now = Now();
    CWorldObject* door = logic.worldNode;
    if (now - m_lastCheck > kCheckInterval) {
        m_lastCheck = now;
        if (!m_opener) {
            if (logic.IsCurrentAnimation("OPEN")) {
                logic.lastActivity = now;
                PlayBusy(logic, "CLOSING");
                logic.SetOpenState(false);
            }
        } else if (logic.IsCurrentAnimation("OPEN") && IsCharacter(m_opener)) {
            logic.lastActivity = now;
            if (Distance(logic.GetPosition(), m_opener->position) > kDoorReach || IsHidden(m_opener)) {
                PlayBusy(logic, "CLOSING");
                logic.SetOpenState(false);
                m_opener = nullptr;
            }
        }
    }
    if (m_waiting && m_opener && m_opener->objectLogic &&
        (!m_opener->objectLogic->busy || m_opener->objectLogic->actionPointReached)) {
        PlayBusy(logic, "OPENING");
        m_waiting = false;
        AddOpenPassage(door, m_opener);
        Record(logic);
    }
    if (CActionEntry* request = PendingRequest(0, door)) {
        request->handled = 1;
        CWorldObject* requester = request->source;
        const int32_t feedbackId = FeedbackIdOf(*request);
        if (logic.IsCurrentAnimation("OPEN")) {
            PlayBusy(logic, "CLOSING");
            logic.SetOpenState(false);
            PlayBusy(requester, "PICK_MED");
            m_feedbackId = feedbackId;
        } else if (logic.IsCurrentAnimation("CLOSED")) {
            if (OutsidePlan(m_house, requester)) {
                Say(CurrentCharacter, "CHAR_DOORNOPLAN");
                RefreshRecordHighlight(feedbackId);
            } else if (logic.IsLocked() && IsGangMember(requester)) {
                Say(requester, "CHAR_DOORLOCKED");
                RefreshRecordHighlight(feedbackId);
            } else {
                m_feedbackId = feedbackId;
                m_opener = requester;
                if (IsCharacter(m_opener) && PlayBusy(m_opener, "PICK_MED") && m_opener->objectLogic->busy) {
                    m_waiting = true;
                } else {
                    PlayBusy(logic, "OPENING");
                    AddOpenPassage(door, m_opener);
                }
                Record(logic);
            }
        }
    }
    if (logic.animationEnded) {
        if (logic.IsCurrentAnimation("OPENING")) {
            logic.SetOpenState(true);
            logic.PlayAnimation("OPEN");
            if (IsHero(m_opener))
                RefreshRecordHighlight(m_feedbackId);
        } else if (logic.IsCurrentAnimation("CLOSING")) {
            if (IsHero(m_opener))
                RefreshRecordHighlight(m_feedbackId);
            logic.PlayAnimation("CLOSED");
            m_opener = nullptr;
            Record(logic);
            RemoveOpenPassage(door);
        }
    }
    return true;
}

// ---------------------------------------------------------------- Window

CWindowTask::~CWindowTask()
{
    if (!m_window)
        return;
    if (m_looking) {
        if (m_opener && m_opener->objectLogic && m_opener->objectLogic->IsCurrentAnimation("WORK_MID"))
            m_opener->objectLogic->PlayAnimation("STAND");
        m_looking = false;
        m_opener = nullptr;
        RemoveOpenPassage(m_window->worldNode);
    }
    Record(*m_window);
}

void CWindowTask::Start(CObjectLogic& logic, TaskParamList&)
{
    BeginPermanentTask(logic, &m_house, &m_floor, &m_floorNumber);
    m_lastCheck = Now();
    m_window = &logic;
    if (logic.recordedValues.empty())
        return;
    m_opener = FindRecordedObject(ReadValue(logic));
    m_waiting = ReadValue(logic) != 0;
    m_climbing = ReadValue(logic) != 0;
    m_openerPosition.x = BitsFloat(ReadValue(logic));
    m_openerPosition.y = BitsFloat(ReadValue(logic));
    m_openerPosition.z = BitsFloat(ReadValue(logic));
    m_feedbackId = ReadValue(logic);
    m_looking = ReadValue(logic) != 0;
    m_openerAngle = BitsFloat(ReadValue(logic));
}

void CWindowTask::Record(CObjectLogic& logic)
{
    StoreSnapshot(logic,
                  {RecorderIdOf(m_opener), m_waiting ? 1 : 0, m_climbing ? 1 : 0,
                   FloatBits(m_openerPosition.x), FloatBits(m_openerPosition.y),
                   FloatBits(m_openerPosition.z), m_feedbackId, m_looking ? 1 : 0, FloatBits(m_openerAngle)});
}

bool CWindowTask::OpenerInPlace() const
{
    return m_opener && m_opener->position.x == m_openerPosition.x &&
           m_opener->position.z == m_openerPosition.z && m_opener->angle == m_openerAngle;
}

void CWindowTask::StoreOpener(CWorldObject* character)
{
    m_opener = character;
    if (character) {
        m_openerPosition = character->position;
        m_openerAngle = character->angle;
    }
}

void CWindowTask::Signal() const
{
    if (IsHero(m_opener))
        RefreshRecordHighlight(m_feedbackId);
}

bool CWindowTask::LandingFree(const CVector& point, CWorldObject* groundNode) const
{
    PATHFINDER probe;
    if (!probe.Init(m_opener))
        return false;
    probe.SetUserValue(groundNode);
    probe.SetUserList(groundNode);
    probe.FindGlobalPath();
    if (!probe.SetLocalMap(groundNode))
        return false;
    return probe.IsFreeAt(point);
}

void CWindowTask::FinishClimb(CObjectLogic& logic)
{
    m_opener->objectLogic->PlayAnimation("STAND");
    // The landing point lies 0.21 beyond the climber, turned by its angle.
    const float a = m_openerAngle;
    CVector landing = m_opener->position;
    landing.x += -0.21f * std::cos(a);
    landing.z -= -0.21f * std::sin(a);
    CVector point;
    CWorldObject* groundNode = nullptr;
    if (logic.worldNode &&
        logic.worldNode->FindFarthestAttackPoint(m_openerPosition, &point, &groundNode, nullptr) &&
        !LandingFree(landing, groundNode))
        landing = point;
    if (PATHFINDER* path = m_opener->objectLogic->GetPathfinder())
        path->GoTo(landing, nullptr);
    m_climbing = false;
    Record(logic);
    Signal();
}

void CWindowTask::Look(CObjectLogic& logic, CWorldObject* requester, int32_t feedbackId)
{
    auto refuse = [&](const char* key) {
        Say(requester, key);
        if (IsHero(requester))
            RefreshRecordHighlight(feedbackId);
    };
    if (logic.IsCurrentAnimation("OPEN")) {
        refuse("CHAR_WINALREADYOPEN");
    } else if (logic.IsCurrentAnimation("CLOSED")) {
        if (OutsidePlan(m_house, requester)) {
            refuse("CHAR_DOORNOPLAN");
        } else if (HeroInside()) {
            refuse("CHAR_WINLOOKTHRUINSIDE");
        } else if (requester && requester->objectLogic) {
            StoreOpener(requester);
            requester->objectLogic->PlayAnimation("WORK_MID");
            AddOpenPassage(logic.worldNode, requester);
            m_looking = true;
            Record(logic);
        }
    }
}

bool CWindowTask::Use(CObjectLogic& logic, CWorldObject* requester, int32_t feedbackId)
{
    bool climbNow = false;
    if (logic.IsCurrentAnimation("OPEN")) {
        if (m_climbing && m_opener) {
            Say(requester, "CHAR_WINBLOCKED");
            if (IsHero(requester))
                RefreshRecordHighlight(feedbackId);
        } else {
            climbNow = true;
        }
    }
    if (!logic.IsCurrentAnimation("CLOSED") && !climbNow)
        return false;
    if (OutsidePlan(m_house, requester)) {
        Say(requester, "CHAR_DOORNOPLAN");
        RefreshRecordHighlight(feedbackId);
        return false;
    }
    const int32_t kind = requester && requester->objectLogic ? requester->objectLogic->Kind() : -1;
    if (!HeroInside() && logic.IsLocked() && !climbNow && kind != KIND_CHARACTER_C) {
        if (IsHero(requester)) {
            Say(requester, "CHAR_WINLOCKED");
            RefreshRecordHighlight(feedbackId);
        }
        return false;
    }
    if (m_looking) {
        m_looking = false;
        m_opener = nullptr;
        RemoveOpenPassage(logic.worldNode);
    }
    m_feedbackId = feedbackId;
    StoreOpener(requester);
    bool openNow = climbNow;
    if (!climbNow) {
        PlayBusy(requester, "PICK_MED");
        if (requester && requester->objectLogic && requester->objectLogic->busy)
            m_waiting = true;
        else
            openNow = true;
    }
    if (openNow) {
        logic.SetOpenState(true);
        PlayBusy(logic, "OPENING");
        AddOpenPassage(logic.worldNode, m_opener);
    }
    Record(logic);
    return climbNow;
}

void CWindowTask::AnimationEnded(CObjectLogic& logic)
{
    if (logic.IsCurrentAnimation("OPENING")) {
        logic.PlayAnimation("OPEN");
        if (!m_opener || !OpenerInPlace()) {
            RefreshRecordHighlight(m_feedbackId);
            return;
        }
        CVector point;
        CWorldObject* groundNode = nullptr;
        const bool found = logic.worldNode && logic.worldNode->FindFarthestAttackPoint(
                                                  m_openerPosition, &point, &groundNode, nullptr);
        if (!found || std::fabs(point.y - m_openerPosition.y) >= 0.1f) {
            if (IsHero(m_opener))
                Say(m_opener, "CHAR_WINJUMP");
        } else if (LandingFree(point, groundNode)) {
            PlayBusy(m_opener, "CLIMB_WIN");
            m_climbing = true;
            Record(logic);
        } else if (IsHero(m_opener)) {
            Say(m_opener, "CHAR_WINWAY");
        }
        if (!m_climbing)
            Signal();
    } else if (logic.IsCurrentAnimation("CLOSING")) {
        Signal();
        logic.SetOpenState(false);
        logic.PlayAnimation("CLOSED");
        m_opener = nullptr;
        Record(logic);
        RemoveOpenPassage(logic.worldNode);
    }
}

bool CWindowTask::Update(CObjectLogic& logic)
{
    const int32_t now = Now();
    if (Elapsed(m_lastCheck, now, kCheckInterval)) {
        m_lastCheck = now;
        if (m_opener && logic.IsCurrentAnimation("OPEN")) {
            logic.lastActivity = now;
            if (Distance(logic.GetPosition(), m_opener->position) > kWindowReach || IsHidden(m_opener)) {
                PlayBusy(logic, "CLOSING");
                m_opener = nullptr;
            }
        }
    }
    if (m_looking) {
        logic.lastActivity = now;
        if (m_opener && m_opener->objectLogic &&
            (!m_opener->objectLogic->IsCurrentAnimation("WORK_MID") || !OpenerInPlace())) {
            m_looking = false;
            m_opener = nullptr;
            Record(logic);
            RemoveOpenPassage(logic.worldNode);
        }
    }
    if (m_waiting && m_opener && m_opener->objectLogic &&
        (!m_opener->objectLogic->busy || m_opener->objectLogic->actionPointReached)) {
        logic.SetOpenState(true);
        PlayBusy(logic, "OPENING");
        m_waiting = false;
        Record(logic);
        AddOpenPassage(logic.worldNode, m_opener);
    }
    if (m_climbing && m_opener && m_opener->objectLogic && !m_opener->objectLogic->busy)
        FinishClimb(logic);
    if (CActionEntry* request = PendingRequest(2, logic.worldNode)) {
        request->handled = 1;
        Look(logic, request->source, FeedbackIdOf(*request));
    }
    bool climbNow = false;
    if (CActionEntry* request = PendingRequest(0, logic.worldNode)) {
        request->handled = 1;
        climbNow = Use(logic, request->source, FeedbackIdOf(*request));
    }
    if (logic.animationEnded || climbNow)
        AnimationEnded(logic);
    return true;
}
