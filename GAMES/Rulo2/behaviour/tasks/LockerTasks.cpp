#include "GAMES/Rulo2/behaviour/tasks/LockerTasks.h"

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

using namespace tasks;

namespace {

constexpr int32_t kUnlockDelay = 1000;
constexpr int32_t kVehicleHidden = 3;

bool Matches(const CActionEntry& command, const CActionEntry& code)
{
    return ActionCode::Matches(command, {code.action, 0, code.target, 0}, nullptr);
}

// A command's feedback id counts only while the interface highlights it.
int32_t CurrentFeedback(const CActionEntry& command)
{
    return command.feedbackId == HudFeedbackId ? command.feedbackId : 0;
}

void FeedbackNow()
{
    HudFeedbackId = Now();
    RefreshRecordHighlight(HudFeedbackId);
}

} // namespace

// ---------------------------------------------------------------- Aufsperren

void CAufsperrenTask::Start(CObjectLogic& logic, TaskParamList&)
{
    m_user = logic.action.source;
    m_delay = logic.IsOpen() ? 0 : kUnlockDelay;
    m_start = Now();
}

bool CAufsperrenTask::Update(CObjectLogic& logic)
{
    if (Now() - m_start < m_delay)
        return true;
    logic.SetLockedState(false);
    return false;
}

// ---------------------------------------------------------------- Kasterl

CKasterlTask::~CKasterlTask()
{
    if (OwnsHiding())
        EndHiding();
}

bool CKasterlTask::OwnsHiding() const
{
    return m_logic && HidingLocker && HidingLocker == m_logic->worldNode && VehicleMode == kVehicleHidden;
}

void CKasterlTask::EndHiding()
{
    VehicleMode = m_vehicleModeBefore;
    m_hiddenInside = 0;
    HidingPoint = nullptr;
    HidingLocker = nullptr;
    if (CurrentCharacter)
        SetDisplayFlags(CurrentCharacter, false, false);
}

void CKasterlTask::Hide()
{
    m_vehicleModeBefore = VehicleMode;
    VehicleMode = kVehicleHidden;
    HidingPoint = &m_hidingPoint;
    HidingLocker = m_logic->worldNode;
    if (CurrentCharacter)
        SetDisplayFlags(CurrentCharacter, true, false);
}

void CKasterlTask::Snapshot()
{
    if (!m_logic)
        return;
    StoreSnapshot(*m_logic, {RecorderIdOf(m_user), FloatBits(m_stored.x), FloatBits(m_stored.y),
                             FloatBits(m_stored.z), m_hiddenInside ? 1 : 0, m_feedbackId});
}

void CKasterlTask::ShowContents(bool show)
{
    if (!m_logic || !m_logic->worldNode)
        return;
    for (CNode* n = m_logic->worldNode->GetFirstChild(); n; n = n->GetNext()) {
        auto* child = dynamic_cast<CWorldObject*>(n);
        if (!child)
            continue;
        const bool taken = (child->flags & 0x08) != 0;
        // A taken item stays out of sight whatever the locker does.
        SetDisplayFlags(child, !show || taken, taken);
    }
}

void CKasterlTask::PlayPick()
{
    static const char* const picks[] = {"PICK_MED", "PICK_LOW", "PICK_HIGH"};
    if (!m_user || !m_user->objectLogic || m_pickAction < 0 || m_pickAction > 2)
        return;
    CObjectLogic& user = *m_user->objectLogic;
    user.SetStateByte(user.PlayAnimation(picks[m_pickAction]) ? 1 : 0);
}

void CKasterlTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    m_logic = &logic;
    if (logic.Records()) {
        logic.recordedValues.clear();
        logic.RecordTaskEvent();
    }
    logic.timeLimited = 1;
    m_pickAction = NumberAt(parameters, 0);
    m_itemTiming = NumberAt(parameters, 1);
    m_user = nullptr;
    logic.PlayAnimation(logic.IsOpen() ? "OPEN" : "CLOSED");
    m_phase = 0;
    const bool replaying = !logic.recordedValues.empty();
    if (replaying) {
        logic.readPosition = 0;
        m_user = FindRecordedObject(ReadValue(logic));
        m_stored.x = BitsFloat(ReadValue(logic));
        m_stored.y = BitsFloat(ReadValue(logic));
        m_stored.z = BitsFloat(ReadValue(logic));
        m_hiddenInside = ReadValue(logic) != 0 ? 1 : 0;
        m_feedbackId = ReadValue(logic);
    } else {
        ShowContents(false);
        m_feedbackId = 0;
        m_hiddenInside = 0;
    }
    m_speaker = logic.worldNode;
    // The model names no hiding place of its own here: the hero hides at the locker.
    m_hidingPoint = logic.worldNode ? logic.worldNode->position : CVector(0, 0, 0);
    if (!replaying) {
        Snapshot();
    } else if (m_hiddenInside && GamePhase == PHASE_PLANNING && m_user && IsHero(m_user)) {
        m_stored = m_user->position;
        Hide();
    }
    m_useCode.init(0, m_speaker, nullptr);
    m_lookCode.init(2, m_speaker, nullptr);
    m_lastUpdate = Now();
}

bool CKasterlTask::Update(CObjectLogic& logic)
{
    m_logic = &logic;
    m_lastUpdate = Now();
    if (VehicleMode == kVehicleHidden)
        logic.lastActivity = Now();
    if (m_user && OwnsHiding() &&
        (m_user->position.x != m_stored.x || m_user->position.y != m_stored.y ||
         m_user->position.z != m_stored.z)) {
        EndHiding();
        Snapshot();
    }
    if (RequestPending && !RequestQueue.empty()) {
        Command(logic, RequestQueue.front());
        return true;
    }
    Phases(logic);
    return true;
}

bool CKasterlTask::Command(CObjectLogic& logic, CActionEntry& command)
{
    if (OwnsHiding() && command.action == 8) {
        command.handled = 1;
        if (IsHero(m_user))
            FeedbackNow();
        // Taken out of the queue so that the hero only comes out and does not walk.
        RequestQueue.erase(RequestQueue.begin());
        RequestPending = RequestQueue.empty() ? 0 : 1;
        EndHiding();
        Snapshot();
        return true;
    }
    if (Matches(command, m_useCode)) {
        logic.lastActivity = Now();
        m_user = m_speaker = command.source;
        Snapshot();
        command.handled = 1;
        m_feedbackId = CurrentFeedback(command);
        if (logic.IsOpen()) {
            if (m_phase == 3)
                return true;
            PlayPick();
            if (m_itemTiming == 0)
                ShowContents(false);
            logic.PlayAnimation("CLOSING");
            m_phase = 3;
        } else if (GamePhase == PHASE_REALTIME) {
            Say(m_user, "CHAR_LOCKERNOPLAN");
            m_phase = 0;
        } else if (logic.IsLocked()) {
            Say(m_user, "CHAR_LOCKERLOCKED");
            m_phase = 0;
            if (IsHero(command.source))
                RefreshRecordHighlight(CurrentFeedback(command));
        } else if (m_phase != 1) {
            PlayPick();
            logic.PlayAnimation("OPENING");
            m_phase = 1;
            if (m_itemTiming == 1)
                ShowContents(true);
        }
        return true;
    }
    if (Matches(command, m_lookCode) && VehicleMode != kVehicleHidden) {
        command.handled = 1;
        if (IsHero(command.source))
            RefreshRecordHighlight(CurrentFeedback(command));
        if (!logic.IsOpen()) {
            Say(m_speaker, "CHAR_LOCKER_CLOSED_LOOK");
        } else if (GamePhase == PHASE_REALTIME) {
            Say(m_speaker, "CHAR_LOCKERNOPLAN");
        } else {
            m_user = command.source;
            const bool mayHide =
                GamePhase == PHASE_PLANNING || (GamePhase == PHASE_BURGLARY && LookInfoSwitch);
            if (mayHide && IsHero(m_user)) {
                m_stored = m_user->position;
                m_hiddenInside = 1;
                Snapshot();
                Hide();
            }
        }
    }
    return true;
}

void CKasterlTask::Phases(CObjectLogic& logic)
{
    switch (m_phase) {
    case 1:
        logic.lastActivity = Now();
        if (logic.animationEnded) {
            logic.SetOpenState(true);
            if (m_itemTiming == 0)
                ShowContents(true);
            m_phase = 4;
        }
        break;
    case 3:
        logic.lastActivity = Now();
        if (logic.animationEnded) {
            if (IsHero(m_user))
                RefreshRecordHighlight(m_feedbackId);
            logic.PlayAnimation("CLOSED");
            logic.SetOpenState(false);
            m_phase = 0;
            if (m_itemTiming == 1)
                ShowContents(false);
        }
        break;
    case 4:
        logic.lastActivity = Now();
        if (m_user && m_user->objectLogic && m_user->objectLogic->animationEnded) {
            if (IsHero(m_user))
                FeedbackNow();
            m_phase = 0;
        }
        break;
    default:
        break;
    }
}
