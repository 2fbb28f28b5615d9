#include "GAMES/Rulo2/behaviour/tasks/CrackTask.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>

#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/behaviour/WatchLists.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/navigation/Perception.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/LogPrintf.h"

using namespace tasks;

namespace {

constexpr const char* kStartWork[3] = {"START_WORK_MID", "START_WORK_LOW", "START_WORK_HIGH"};
constexpr const char* kWork[3] = {"WORK_MID", "WORK_LOW", "WORK_HIGH"};
constexpr const char* kStopWork[3] = {"STOP_WORK_MID", "STOP_WORK_LOW", "STOP_WORK_HIGH"};

// The tool's values: effectiveness against alarm systems, locks and safes,
// the breaks-object byte, and per material (glas, wood, steel, high-tech) the
// factor and the noise.
enum EToolValue : int32_t
{
    TOOL_ALARM_SYSTEMS = 2,
    TOOL_LOCKS = 3,
    TOOL_SAFES = 4,
    TOOL_BREAKS = CToolKindData::kDamaging,
    TOOL_FACTOR = 8,
    TOOL_NOISE = 12,
};

enum ECrackType : int32_t
{
    CRACK_LOCK = 1,
    CRACK_SAFE = 2,
    CRACK_ALARM = 3,
};

CObjectLogic* LogicOf(CObjectNode* node)
{
    return node ? node->objectLogic : nullptr;
}

float ToolValue(const CKindData* tool, int32_t i)
{
    return tool && i < tool->ValueCount() ? WordAsFloat(tool->Values()[i]) : 0.0f;
}

float Condition(CObjectLogic* tool)
{
    auto* state = tool ? dynamic_cast<const CToolState*>(tool->EffectiveConditions()) : nullptr;
    return state ? state->condition : 0.0f;
}

// Wears the tool by one unit; its own run-time condition carries the change.
void Wear(CObjectLogic* tool)
{
    if (!tool)
        return;
    const float old = Condition(tool);
    if (!tool->conditions) {
        tool->conditions = CKindState::Create(KIND_TOOL);
        if (const CKindState* from = tool->EffectiveConditions(); from && tool->ownConditions)
            tool->conditions->CopyFrom(*from);
        tool->SetKindValue(old);
    }
    const float now = old - 1.0f;
    if (GamePhase == PHASE_PLANNING && RecordState == RECORD_RECORD)
        RecordWordChange(tool, EVENT_TOOL_VALUE, uint32_t(FloatBits(now)), uint32_t(FloatBits(old)));
    tool->SetKindValue(now);
}

SPlanMember* PlanRecordOf(const CWorldObject* character)
{
    for (SPlanMember& m : PlanMemberArray)
        if (character && m.member == character)
            return &m;
    return nullptr;
}

const char* WorkSound(const char* tool)
{
    static const struct
    {
        const char* tool;
        const char* sound;
    } kSounds[] = {
        {"Axt", "WORK_AXE"},
        {"Hammer", "WORK_AXE"},
        {"Spitzhacke", "WORK_AXE"},
        {"Schneidbrenner", "WORK_BLOWTORCH"},
        {"Drill", "WORK_DRILL"},
        {"Brecheisen", "WORK_GENERAL"},
        {"Handbohrer", "WORK_GENERAL"},
        {"Kernbohrer", "WORK_KERNBOHRER"},
        {"Dietrich", "WORK_PICKLOCK"},
    };
    for (const auto& s : kSounds)
        if (strcasecmp(tool, s.tool) == 0)
            return s.sound;
    return nullptr;
}

bool SameNoise(const SNoiseSource& a, const SNoiseSource& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.loudness == b.loudness && a.area == b.area;
}

} // namespace

CCrackTask::~CCrackTask()
{
    StopSound();
    CloseRamp();
    if (!m_listed)
        return;
    CWorldObject* node = m_object ? m_object->worldNode : nullptr;
    std::erase_if(CrackingList, [node](const SCrackedObject& c) { return c.node == node; });
    const SNoiseSource mine{m_objectPosition.x, m_objectPosition.y, m_objectPosition.z, m_volume, m_inside};
    auto it = std::find_if(NoiseSources.begin(), NoiseSources.end(),
                           [&](const SNoiseSource& s) { return SameNoise(s, mine); });
    if (it != NoiseSources.end())
        NoiseSources.erase(it);
}

void CCrackTask::Play(const char* const (&names)[3], bool busy)
{
    CObjectLogic* logic = m_cracker ? m_cracker->objectLogic : nullptr;
    if (!logic || m_action < 0 || m_action > 2)
        return;
    const bool found = logic->PlayAnimation(names[m_action]);
    if (busy)
        logic->SetStateByte(found ? 1 : 0);
}

void CCrackTask::StopSound()
{
    if (SoundManager && m_sound != -1)
        SoundManager->stop(m_sound);
    m_sound = -1;
}

void CCrackTask::CloseRamp()
{
    CObjectLogic* o = m_object;
    if (!o || GamePhase != PHASE_PLANNING || !o->Records() || o->chainIds[CHAIN_RAMP] < 0)
        return;
    RecordItemEvent(EVENT_RAMP_END, o, nullptr, nullptr, {o->chainIds[CHAIN_RAMP], 0, 0});
    o->chainIds[CHAIN_RAMP] = -1;
    o->StopProgressRamp();
}

void CCrackTask::Record(CObjectLogic& logic)
{
    StoreSnapshot(logic, {m_start, m_end, m_volume, FloatBits(m_progressAtStart), m_done ? 1 : 0, m_phase,
                          RecorderIdOf(m_cracker), FloatBits(m_crackerPosition.x),
                          FloatBits(m_crackerPosition.y), FloatBits(m_crackerPosition.z)});
}

bool CCrackTask::CrackerMoved()
{
    return m_cracker &&
           (m_cracker->position.x != m_crackerPosition.x || m_cracker->position.z != m_crackerPosition.z);
}

// The checks of a fresh attempt and its timing; false (with the bubble shown) when it is refused.
bool CCrackTask::Accept(CObjectLogic& logic)
{
    auto refuse = [this](const char* key) {
        if (key)
            Say(m_cracker, key);
        m_done = true;
        return false;
    };
    CObjectLogic* tool = LogicOf(m_tool);
    const CKindData* toolData = tool ? tool->EffectiveKindData() : nullptr;
    if (!toolData || !m_cracker)
        return refuse(nullptr);
    if (GamePhase == PHASE_REALTIME)
        return refuse("CHAR_CRACKNOPLAN");
    if (strncasecmp(toolData->name.c_str(), "key_", 4) == 0)
        return refuse("CHAR_CRACKNOKEY");
    if (Condition(tool) <= 0.0f)
        return refuse("CHAR_CRACKFIT");
    if (toolData->kind != KIND_TOOL)
        return refuse(nullptr);

    const CKindData* data = logic.EffectiveKindData();
    const int32_t kind = data ? data->kind : -1;
    int32_t workingTime = 0, material = -1;
    if (kind == KIND_FIXED || kind == KIND_DOOR || kind == KIND_WINDOW) {
        const uint32_t* v = data->Values();
        workingTime = int32_t(WordAsFloat(v[0]));
        material = int32_t(v[1]);
        m_safe = v[2] == CRACK_SAFE;
        m_lock = v[2] == CRACK_LOCK;
        m_alarm = v[2] == CRACK_ALARM;
    }
    if (!logic.IsLocked())
        return refuse(m_alarm ? "CHAR_CRACKTURNEDOFF" : "CHAR_CRACKUNLOCKED");
    const float factor = material >= 0 && material <= 3 ? ToolValue(toolData, TOOL_FACTOR + material) : 0.0f;
    if (factor == 0.0f)
        return refuse("CHAR_CRACKWRONGTOOL");
    // Per crack type: the cracker's skill, the tool's effectiveness and the refusals when either is 0.
    struct SNeeds
    {
        bool applies;
        float CCharacterAState::*skill;
        int32_t effectiveness;
        const char* noSkill;
        const char* badTool;
    };
    const SNeeds needs[] = {
        {m_safe, &CCharacterAState::pickSafes, TOOL_SAFES, "CHAR_CRACKNOSAFES", "CHAR_CRACKTOOLNOSAFES"},
        {m_lock, &CCharacterAState::pickLocks, TOOL_LOCKS, "CHAR_CRACKNOLOCKS", "CHAR_CRACKTOOLNOLOCKS"},
        {m_alarm, &CCharacterAState::alarmSystems, TOOL_ALARM_SYSTEMS, "CHAR_CRACKNOALARM",
         "CHAR_CRACKTOOLNOALARM"},
    };
    const SNeeds* need = nullptr;
    for (const SNeeds& n : needs)
        if (n.applies && !need)
            need = &n;
    if (!need)
        return refuse("CHAR_CRACKNOCRACK");
    const CCharacterAState* skills = AttributesOf(m_cracker);
    const float skill = skills ? skills->*need->skill : 0.0f;
    const float effectiveness = ToolValue(toolData, need->effectiveness);
    if (skill == 0.0f)
        return refuse(need->noSkill);
    if (effectiveness == 0.0f)
        return refuse(need->badTool);
    const float k = (effectiveness * factor + skill) * 3.0f;
    if (k == 0.0f)
        return refuse("CHAR_CRACKTOOBAD");

    const float w = logic.GetProgress();
    m_progressAtStart = w;
    const float needed = (1.0f - w) * float(workingTime) / k;
    m_end = m_start + int32_t(needed) * 1000;
    LogPrintf("CRACK-ENDTIME: %d", m_end);
    if (GamePhase == PHASE_PLANNING && (RecordState == RECORD_RECORD || RecordState == RECORD_CONTINUE) &&
        logic.recordable) {
        if (logic.chainIds[CHAIN_RAMP] >= 0) {
            RecordItemEvent(EVENT_RAMP_END, &logic, nullptr, nullptr, {logic.chainIds[CHAIN_RAMP], 0, 0});
            logic.StopProgressRamp();
        }
        logic.chainIds[CHAIN_RAMP] =
            RecordItemEvent(EVENT_RAMP_START, &logic, nullptr, nullptr, {m_start, FloatBits(w), m_end});
        logic.StartProgressRamp(m_start, w, m_end);
    }
    m_volume = int32_t(ToolValue(toolData, TOOL_NOISE + material) * 100.0f);
    if (SPlanMember* record = PlanRecordOf(m_cracker)) {
        for (SItemSlot& slot : record->hands)
            if (slot.item == m_tool)
                slot.word = FloatAsWord(WordAsFloat(slot.word) + 1.0f);
        if (GamePhase == PHASE_PLANNING || GamePhase == PHASE_BURGLARY)
            Wear(tool);
    }
    return true;
}

// What a started attempt, fresh or replayed, sets going.
void CCrackTask::Begin(CObjectLogic& logic, bool replayed)
{
    CWorldObject* node = logic.worldNode;
    CrackingList.push_back({node, &logic, m_cracker});
    const SLocation where = LocationOf(node);
    m_inside = where.inside ? NoiseArea(where.floor) : 0;
    NoiseSources.push_back({m_objectPosition.x, m_objectPosition.y, m_objectPosition.z, m_volume, m_inside});
    m_listed = true;
    const int32_t state = RecordState;
    if (RecordState == RECORD_CONTINUE)
        RecordState = RECORD_RECORD;
    PushRequest(tasks::Request(17, node, nullptr));
    RecordState = state;
    if (!replayed) {
        m_phase = STARTING;
        Record(logic);
        Play(kStartWork, false);
    } else if (m_phase != STARTING) {
        Play(kWork, false);
    }
    CObjectLogic* tool = LogicOf(m_tool);
    const CKindData* toolData = tool ? tool->EffectiveKindData() : nullptr;
    if (toolData && toolData->ValueCount() > TOOL_BREAKS && toolData->Values()[TOOL_BREAKS])
        logic.SetBrokenState(true);
    if (!SoundManager || !toolData)
        return;
    if (const char* sound = WorkSound(toolData->name.c_str())) {
        m_sound = SoundManager->play(sound, CurrentCharacter, 1, 0, 0, 5.0f, 1.0f, 1.0f, 0);
        if (m_sound != -1)
            SoundManager->setVolume(m_sound, std::max(float(m_volume) / 100.0f, 0.2f));
    }
}

void CCrackTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    // The request that brought the attempt is taken; the object logic removes it from the queue.
    if (RequestPending && !RequestQueue.empty())
        RequestQueue.front().handled = 1;
    m_sound = -1;
    if (logic.Records()) {
        logic.recordedValues.clear();
        logic.RecordTaskEvent();
    }
    m_object = &logic;
    m_done = false;
    m_start = Now();
    m_action = NumberAt(parameters, 0);
    m_phase = NONE;
    m_tool = ActionCode::GetTarget(logic.action);
    logic.readPosition = 0;
    m_objectPosition = logic.GetPosition();
    if (!logic.recordedValues.empty()) {
        m_start = ReadValue(logic);
        m_end = ReadValue(logic);
        m_volume = ReadValue(logic);
        m_progressAtStart = BitsFloat(ReadValue(logic));
        m_done = ReadValue(logic) > 0;
        m_phase = ReadValue(logic, NONE);
        m_cracker = FindRecordedObject(ReadValue(logic));
        if (m_cracker)
            m_crackerPosition = m_cracker->position;
        Begin(logic, true);
        return;
    }
    m_cracker = logic.action.source;
    if (m_cracker)
        m_crackerPosition = m_cracker->position;
    if (Accept(logic))
        Begin(logic, false);
}

bool CCrackTask::Update(CObjectLogic& logic)
{
    m_object = &logic;
    if (m_done && m_phase == NONE) {
        StopSound();
        return false;
    }
    CObjectLogic* cracker = m_cracker ? m_cracker->objectLogic : nullptr;
    if (m_phase == STARTING && cracker && cracker->animationEnded) {
        Play(kWork, false);
        m_phase = WORKING;
        Record(logic);
    } else if (m_phase == STOPPING && cracker && cracker->animationEnded) {
        cracker->PlayAnimation("STAND");
        CloseRamp();
        StopSound();
        return false;
    }
    bool moved = CrackerMoved();
    CActionEntry& command = PlayerCommand;
    if (m_cracker && command.action != -1 && !command.handled && command.source == m_cracker &&
        (GamePhase != PHASE_BURGLARY ||
         (cracker && cracker->currentItem && cracker->currentItem->taskType == TASK_HERO))) {
        command.handled = 1;
        if (command.action == 8 || (command.action == 9 && command.followUp && command.followUp->action != 4))
            moved = true;
    }
    if (m_phase == STARTING || m_phase == WORKING) {
        if (moved) {
            m_phase = INTERRUPTED;
            Record(logic);
            if (Condition(LogicOf(m_tool)) < 1.0f)
                Say(m_cracker, "CHAR_CRACKTOOLBROKEN");
            CloseRamp();
            if (cracker)
                cracker->PlayAnimation("STAND");
            StopSound();
            return false;
        }
        if (m_done) {
            Play(kStopWork, true);
            m_phase = STOPPING;
            Record(logic);
            return true;
        }
    } else if (m_done) {
        return true;
    }

    const int32_t now = Now();
    logic.lastActivity = now;
    if (RequestPending && !RequestQueue.empty()) {
        CActionEntry& r = RequestQueue.front();
        if (!r.handled && r.action == 4 && logic.worldNode && r.target == logic.worldNode) {
            CWorldObject* actor = r.source;
            RequestQueue.erase(RequestQueue.begin());
            RequestPending = RequestQueue.empty() ? 0 : 1;
            Say(actor, "CHAR_CRACKNODOUBLE");
        }
    }
    float p = float(now - m_start) / float(m_end - m_start) * (1.0f - m_progressAtStart) + m_progressAtStart;
    if (!(p >= 0.0f))
        p = 0.0f;
    else if (p > 1.0f)
        p = 1.0f;
    logic.SetProgress(p);
    if (m_end >= now)
        return true;

    if (SPlanMember* record = PlanRecordOf(m_cracker)) {
        if (m_safe)
            ++record->crackedSafes;
        else if (m_lock)
            ++record->pickedLocks;
        else if (m_alarm)
            ++record->alarmsSwitchedOff;
    }
    m_done = true;
    logic.SetLockedState(false);
    logic.SetProgress(0.0f);
    if (Condition(LogicOf(m_tool)) < 1.0f)
        Say(m_cracker, "CHAR_CRACKTOOLBROKEN");
    CActionEntry finished;
    finished.init(18, logic.worldNode, nullptr);
    PushRequest(finished);
    if (SoundManager)
        SoundManager->play("CRACKINGFINISHED", CurrentCharacter, 0, 0, 0, 5.0f, 1.0f, 1.0f, 0);
    return true;
}
