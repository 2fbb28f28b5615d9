#include "GAMES/Rulo2/behaviour/tasks/DialogTasks.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

using namespace tasks;

namespace {

constexpr float kPi = 3.1415927f;

std::vector<std::unique_ptr<CDialogEntry>>* EntriesOf(CObjectLogic* logic)
{
    auto* state = logic ? dynamic_cast<CCharacterState*>(logic->conditions.get()) : nullptr;
    return state ? &state->entries : nullptr;
}

float Coolness(const CWorldObject* character)
{
    const auto* state =
        character && character->objectLogic
            ? dynamic_cast<const CCharacterAState*>(character->objectLogic->EffectiveConditions())
            : nullptr;
    return state ? state->coolness : 0.0f;
}

std::string Expand(const std::string& keys)
{
    sString text;
    ExpandTextKeyList(keys.c_str(), &text);
    return text.c_str();
}

} // namespace

std::vector<int32_t> EntryNumbers(const std::string& list, int32_t count)
{
    std::vector<int32_t> numbers;
    const char* p = list.c_str();
    while (*p) {
        char* end = nullptr;
        errno = 0;
        const long n = std::strtol(p, &end, 10);
        if (end == p) {
            ++p;
            continue;
        }
        if (errno == 0 && n >= 1 && n <= count)
            numbers.push_back(int32_t(n));
        p = end;
    }
    return numbers;
}

bool CDialogTask::Offered(const CDialogEntry& e) const
{
    return e.available && e.story <= BurglaryLevel && float(e.coolness) <= Coolness(m_partner);
}

void CDialogTask::SitOrStand()
{
    if (m_object && !m_object->PlayAnimation("SIT"))
        m_object->PlayAnimation("STAND");
}

bool CDialogTask::Offer()
{
    auto* entries = EntriesOf(m_object);
    std::string text;
    if (entries)
        for (const auto& e : *entries)
            if (e && Offered(*e)) {
                const std::string question = Expand(e->question);
                if (question.empty())
                    continue;
                if (!text.empty())
                    text += '\n';
                text += question;
            }
    if (text.empty())
        return false;
    ShowTextBubble(m_partner, text.c_str(), false);
    m_chosen = -1;
    m_nextLine = -1;
    return true;
}

bool CDialogTask::Answer()
{
    auto* entries = EntriesOf(m_object);
    if (!entries)
        return false;
    const int32_t count = int32_t(entries->size());
    CDialogEntry* chosen = nullptr;
    int32_t ordinal = 0;
    for (const auto& e : *entries)
        if (e && Offered(*e) && ordinal++ == m_chosen) {
            chosen = e.get();
            break;
        }
    if (!chosen)
        return false;
    const std::string answer = Expand(chosen->answer);
    auto apply = [&](const std::string& list, uint8_t CDialogEntry::*field, uint8_t value) {
        for (int32_t n : EntryNumbers(list, count))
            if (CDialogEntry* target = (*entries)[size_t(n - 1)].get())
                target->*field = value;
    };
    apply(chosen->dlgMinus, &CDialogEntry::available, 0);
    apply(chosen->dlgPlus, &CDialogEntry::available, 1);
    apply(chosen->alwaysMinus, &CDialogEntry::active, 0);
    apply(chosen->alwaysPlus, &CDialogEntry::active, 1);
    if (chosen->dialogEvent != 0) {
        m_followUp = CActionEntry();
        m_followUp.action = 7;
        m_followUp.source = m_partner;
        m_followUp.target = m_object->worldNode;
        m_object->SetFlagBit(chosen->dialogEvent - 1);
    }
    if (answer.empty() || answer == " ")
        return false;
    const int32_t duration = ShowTextBubble(m_object->worldNode, answer.c_str(), false);
    m_chosen = -1;
    m_nextLine = Now() + duration + 500;
    return true;
}

void CDialogTask::Start(CObjectLogic& logic, TaskParamList&)
{
    m_object = &logic;
    if (GamePhase != PHASE_REALTIME)
        return;
    m_partner = logic.action.source;
    CWorldObject* self = logic.worldNode;
    if (!m_partner || !self)
        return;
    m_partnerPosition = m_partner->position;
    if (!logic.busy)
        SitOrStand();
    SetRecordedFloat(m_partner, std::atan2(m_partner->position.x - self->position.x,
                                           m_partner->position.z - self->position.z) -
                                    1.5707964f);
    SetRecordedFloat(self, m_partner->angle + kPi);
    if (auto* entries = EntriesOf(&logic))
        for (auto& e : *entries)
            if (e)
                e->available = e->active;
    if (!Offer())
        m_partner = nullptr;
    m_nextLine = -1;
}

bool CDialogTask::Update(CObjectLogic& logic)
{
    m_object = &logic;
    if (GamePhase != PHASE_REALTIME)
        return false;
    const CVector& p = m_partner ? m_partner->position : m_partnerPosition;
    if (!m_partner || p.x != m_partnerPosition.x || p.y != m_partnerPosition.y ||
        p.z != m_partnerPosition.z) {
        if (m_partner)
            RemoveTextBubble(m_partner);
        SitOrStand();
        return false;
    }
    const int32_t now = Now();
    // The answer waits for its line time (300 ms after a pick, the bubble's time after an answer).
    if (m_nextLine >= 0 && now >= m_nextLine) {
        if (m_followUp.action != -1) {
            PushRequest(m_followUp);
            m_followUp = CActionEntry();
            SitOrStand();
            return false;
        }
        if (m_chosen < 0) {
            if (!(logic.IsCurrentAnimation("TALK") && logic.PlayAnimation("STOP_TALK")))
                SitOrStand();
            if (!Offer()) {
                SitOrStand();
                return false;
            }
        } else {
            if (!Answer()) {
                SitOrStand();
                return false;
            }
            for (const char* talk : {"TALK_SIT", "START_TALK", "TALK"})
                if (logic.PlayAnimation(talk))
                    break;
        }
    }
    if (RequestPending && !RequestQueue.empty() && !RequestQueue.front().handled) {
        CActionEntry& r = RequestQueue.front();
        if (r.action == 10 && r.target == m_partner) {
            r.handled = 1;
            RemoveTextBubble(m_partner);
            m_nextLine = now + 300;
            if (m_chosen < 0)
                m_chosen = r.choice;
        } else if (r.source && IsHero(r.source)) {
            const int32_t kind = r.action;
            RequestQueue.erase(RequestQueue.begin());
            RequestPending = RequestQueue.empty() ? 0 : 1;
            if (kind != 1)
                for (CWorldObject* speaker : {m_partner, logic.worldNode}) {
                    const int32_t mode = GetTextBubbleLines(speaker);
                    if (mode != 0 && mode != 1)
                        continue;
                    RemoveTextBubble(speaker);
                    m_nextLine = now + 300;
                    if (mode == 1)
                        m_chosen = 0;
                }
        }
    }
    if (m_chosen < 0 && logic.IsCurrentAnimation("TALK") && m_nextLine >= 0 && now >= m_nextLine - 500)
        logic.PlayAnimation("STOP_TALK");
    if (logic.animationEnded) {
        if (logic.IsCurrentAnimation("START_TALK"))
            logic.PlayAnimation("TALK");
        else if (logic.IsCurrentAnimation("STOP_TALK"))
            logic.PlayAnimation("STAND");
    }
    return true;
}

template <bool Active>
void CActivateDialogTask<Active>::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    auto* entries = EntriesOf(&logic);
    const int32_t n = NumberAt(parameters, 0);
    if (entries && n >= 0 && n < int32_t(entries->size()) && (*entries)[size_t(n)])
        (*entries)[size_t(n)]->active = Active ? 1 : 0;
}

template class CActivateDialogTask<true>;
template class CActivateDialogTask<false>;
