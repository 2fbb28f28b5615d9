#include "GAMES/Rulo2/behaviour/tasks/InventoryTasks.h"

#include <string>

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/interface/InfoTexts.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"

using namespace tasks;

namespace {

constexpr const char* kPick[3] = {"PICK_MED", "PICK_LOW", "PICK_HIGH"};

bool Planned()
{
    return GamePhase == PHASE_PLANNING || GamePhase == PHASE_BURGLARY;
}

float CarriedWeightAttribute(const CWorldObject* character)
{
    const CCharacterAState* attributes = AttributesOf(character);
    return attributes ? attributes->weight : 0.0f;
}

} // namespace

void CInventoryObjectTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    m_logic = &logic;
    if (logic.Records()) {
        logic.recordedValues.clear();
        logic.RecordTaskEvent();
    }
    m_takeAlways = NumberAt(parameters, 0) != 0;
    m_action = NumberAt(parameters, 1);
    logic.readPosition = 0;
    if (logic.recordedValues.empty()) {
        m_taker = nullptr;
        m_taking = false;
        m_feedbackId = 0;
        return;
    }
    m_taker = FindRecordedObject(ReadValue(logic));
    m_taking = ReadValue(logic) != 0;
    m_feedbackId = ReadValue(logic);
}

void CInventoryObjectTask::RecordReplayState(int32_t)
{
    if (m_logic)
        StoreSnapshot(*m_logic, {RecorderIdOf(m_taker), m_taking ? 1 : 0, m_feedbackId});
}

// The taker's bag (the records up to and including the taker's) and the getaway car must hold the object.
bool CInventoryObjectTask::CanCarry(CObjectLogic& logic, CWorldObject* bubbleOwner)
{
    CWorldObject* node = logic.worldNode;
    CObjectNode* definition = node ? node->Definition() : nullptr;
    if (!definition)
        return false;
    if (GamePhase == PHASE_REALTIME)
        return true;
    const CKindData* data = logic.EffectiveKindData();
    const float w = data ? 100.0f * data->Weight() : CarriedWeight(definition);
    float sum = 0.0f;
    for (SPlanMember& m : PlanMemberArray) {
        if (!m.member)
            continue;
        sum += m.carriedLoad + CarriedWeightAttribute(m.member);
        if (m.member != m_taker)
            continue;
        const float capacity = m_taker->objectLogic ? m_taker->objectLogic->CarryingCapacity() : 0.0f;
        if (w + m.carriedLoad > capacity) {
            Say(bubbleOwner, "CHAR_BAGTOOHEAVYBURGLARY");
            return false;
        }
        break;
    }
    if (Planned() && w + sum > PlanCarCapacity) {
        Say(bubbleOwner, "CHAR_TOOHEAVYFORCARBURGLARY");
        return false;
    }
    return true;
}

bool CInventoryObjectTask::Update(CObjectLogic& logic)
{
    m_logic = &logic;
    CWorldObject* node = logic.worldNode;
    auto bubbleOwner = [&] { return VehicleMode == 3 ? node : m_taker; };
    if (m_taking) {
        CObjectLogic* taker = m_taker ? m_taker->objectLogic : nullptr;
        // A taker without the pick animation was never made busy: there is no end to wait for.
        if (taker && taker->busy && !taker->animationEnded)
            return true;
        if (m_taker && CanCarry(logic, bubbleOwner())) {
            CloneObjectInstance(node, m_taker);
            SetDisplayFlag(node, true);
        }
        m_taking = false;
        RecordReplayState(0);
        if (IsHero(m_taker))
            RefreshRecordHighlight(m_feedbackId);
        m_taker = nullptr;
        return true;
    }
    if (CActionEntry* use = PendingRequest(0, node)) {
        use->handled = 1;
        if (IsHidden(node) || (node->flags & 0x08))
            return true;
        m_taker = use->source;
        const int32_t feedbackId = FeedbackIdOf(*use);
        if (GamePhase == PHASE_REALTIME && !m_takeAlways) {
            if (IsHero(m_taker))
                RefreshRecordHighlight(feedbackId);
            Say(bubbleOwner(), "CHAR_INV_NOPLAN");
            return true;
        }
        m_taking = true;
        m_feedbackId = feedbackId;
        if (m_action >= 0 && m_action <= 2)
            PlayBusy(m_taker, kPick[m_action]);
        RecordReplayState(0);
        if (SoundManager)
            SoundManager->play("PICKUP", m_taker, 0, 0, 0, 5.0f, 1.0f, 1.0f, 0);
    } else if (CActionEntry* look = PendingRequest(2, node)) {
        look->handled = 1;
        if (node->flags & 0x08)
            return true;
        if (IsHero(look->source))
            RefreshRecordHighlight(FeedbackIdOf(*look));
        m_taker = look->source;
        if (GamePhase == PHASE_BURGLARY && !LookInfoSwitch)
            return true;
        std::string text;
        BuildItemInfo(&logic, text);
        if (CWorldObject* owner = bubbleOwner())
            ShowTextBubble(owner, text.c_str(), false);
    }
    return true;
}
