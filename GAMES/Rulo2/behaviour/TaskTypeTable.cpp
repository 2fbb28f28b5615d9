#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"

#include <cstring>
#include <initializer_list>

#include "GAMES/Rulo2/behaviour/CTask.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/tasks/BarTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/BirdTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/BurglaryTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/CarTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/CrackTask.h"
#include "GAMES/Rulo2/behaviour/tasks/DialogTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/GuardTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/HeroTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/InventoryTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/LightBarrierTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/LockerTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/MovementTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/PassageTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/SceneTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/SecurityTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/StateTasks.h"
#include "GAMES/Rulo2/behaviour/tasks/TradeTasks.h"

namespace {

// Kind masks: bit k for object kind k.
constexpr uint32_t ALL = kAllKinds;
constexpr uint32_t HIDDEN = kHiddenTaskType;
constexpr uint32_t ITEMS = 0x7;  // 0, 1, 2
constexpr uint32_t FIXED = 0x8;  // 3
constexpr uint32_t CHARS = 0x70; // 4, 5, 6
constexpr uint32_t CHAR_A = 0x10;
constexpr uint32_t CHARS_AB = 0x30;
constexpr uint32_t CHAR_C = 0x40;
constexpr uint32_t DOOR = 0x80;
constexpr uint32_t WINDOW = 0x100;
constexpr uint32_t CAR = 0x200;
constexpr uint32_t PASSAGES = FIXED | DOOR | WINDOW;

// One parameter slot, or a run of equal unlabelled ones.
struct P
{
    int32_t type;
    const char* label = nullptr;
    int32_t repeat = 1;
};

template <class T>
CTask* Make()
{
    return new T;
}

// Task types whose own classes come later run as plain tasks until then.
CTask* MakePlain()
{
    return new CTask;
}

STaskTypeRow Row(const char* name, uint32_t mask, std::initializer_list<P> params = {},
                 CTask* (*factory)() = MakePlain)
{
    STaskTypeRow row;
    row.factory = factory;
    row.name = name;
    row.kindMask = mask;
    for (const P& p : params)
        for (int32_t i = 0; i < p.repeat && row.paramCount < uint32_t(kTaskParamSlots); ++i)
            row.params[row.paramCount++] = {p.type, p.label};
    return row;
}

STaskTypeRow Empty(const char* name)
{
    STaskTypeRow row = Row(name, 0);
    row.factory = nullptr;
    return row;
}

constexpr const char* kCrackAction = "action (0..mid, 1..low, 2..high)";
constexpr const char* kSoundFlag = "soundflag (0..walk to sound, 1..call alarm)";
constexpr const char* kInterpolation = "InterpolationMode (0..start, 1..end, 2..linear, 3..sinus, 4..set)";
constexpr const char* kRemoteState = "State (0..Clear, 1..Set)";

const STaskTypeRow g_Rows[kTaskTypeRows] = {
    Empty("None"),
    Row("SetFlag", ALL, {{PARAM_FLAG}}, Make<CSetFlagTask>),
    Row("ClearFlag", ALL, {{PARAM_FLAG}}, Make<CClearFlagTask>),
    Row("PlayAction", ALL, {{PARAM_ACTIONNAME}}, Make<CPlayActionTask>),
    Row("Door", DOOR, {}, Make<CDoorTask>),
    Row("FrozenCharacter", CHARS | HIDDEN, {}, Make<CFrozenCharacterTask>),
    Row("Crack", ALL, {{PARAM_NUMBER, kCrackAction}}, Make<CCrackTask>),
    Row("Taxi", CAR, {}, Make<CTaxiTask>),
    Row("Walk", CHARS, {{PARAM_POSITION}}, Make<CWalkTask>),
    Row("AddInventoryItem", ALL, {{PARAM_INVITEM}}, Make<CAddInventoryItemTask>),
    Row("RemoveInventoryItem", ALL, {{PARAM_INVITEM}}, Make<CRemoveInventoryItemTask>),
    Row("Hero", CHAR_A, {}, Make<CHeroTask>),
    Row("BirdEating", CHAR_C, {{PARAM_POSITION}, {PARAM_RADIUS}}, Make<CBirdEatingTask>),
    Empty("EMPTY"),
    Row("Alarmanlage", FIXED,
        {{PARAM_FLAG, "Mode (0..Crack, 1..Open, 2..Pick)"},
         {PARAM_TIME, "Delayzeit"},
         {PARAM_FLAG, "Failsafe-system? (0/1)"},
         {PARAM_TIME, "Failsafe-Delay"},
         {PARAM_OBJECT, nullptr, 15}},
        Make<CAlarmanlageTask>),
    Row("Sound Sensor", FIXED, {{PARAM_NUMBER, "Sensitivity (0..255)"}}, Make<CSoundSensorTask>),
    Row("Video Sensor", FIXED, {{PARAM_NUMBER, "field of view (0..180)"}}, Make<CVideoSensorTask>),
    Row("Set Open State", PASSAGES, {}, Make<CSetStateTask<STATE_OPEN, true>>),
    Row("Clear Open State", PASSAGES, {}, Make<CSetStateTask<STATE_OPEN, false>>),
    Row("Set Active State", FIXED, {}, Make<CSetStateTask<STATE_ACTIVE, true>>),
    Row("Clear Active State", FIXED, {}, Make<CSetStateTask<STATE_ACTIVE, false>>),
    Row("Set Locked State", PASSAGES, {}, Make<CSetStateTask<STATE_LOCKED, true>>),
    Row("Clear Locked State", PASSAGES, {}, Make<CSetStateTask<STATE_LOCKED, false>>),
    Row("Set Alarm State", FIXED, {}, Make<CSetStateTask<STATE_ALARM, true>>),
    Row("Clear Alarm State", FIXED, {}, Make<CSetStateTask<STATE_ALARM, false>>),
    Row("Set Broken State", PASSAGES, {}, Make<CSetStateTask<STATE_BROKEN, true>>),
    Row("Clear Broken State", PASSAGES, {}, Make<CSetStateTask<STATE_BROKEN, false>>),
    Row("Pick", ITEMS, {}, Make<CPickTask>),
    Row("Hide", ALL, {{PARAM_OBJECT}}, Make<CHideTask>),
    Row("Show", ALL, {{PARAM_OBJECT}}, Make<CShowTask>),
    Row("Inventory Object", ITEMS,
        {{PARAM_NUMBER, "nehmen? (0..einbruch, 1..immer)"}, {PARAM_NUMBER, kCrackAction}},
        Make<CInventoryObjectTask>),
    Row("Say", ALL, {{PARAM_OBJECT, "Sprecher"}, {PARAM_TEXTID, "Textid"}}, Make<CSayTask>),
    Row("Window", WINDOW, {}, Make<CWindowTask>),
    Row("Wait", ALL, {{PARAM_NUMBER, "Delay"}, {PARAM_NUMBER, "Random Delay"}}, Make<CWaitTask>),
    Row("Kasterl", FIXED,
        {{PARAM_NUMBER, kCrackAction}, {PARAM_NUMBER, "item appear (0..when open, 1..when opening)"}},
        Make<CKasterlTask>),
    Row("Lichtschranke", FIXED, {}, Make<CLichtschrankeTask>),
    Row("Aufsperren", DOOR, {}, Make<CAufsperrenTask>),
    Row("BirdFlying", CHAR_C, {{PARAM_POSITION, nullptr, 10}}, Make<CBirdFlyingTask>),
    Row("Polizeiauto", CAR, {{PARAM_OBJECT, "destination"}}, Make<CPolizeiautoTask>),
    Row("Fluchtwagen", CAR, {{PARAM_OBJECT, "destination"}}, Make<CFluchtwagenTask>),
    Empty("EMPTY"),
    Empty("EMPTY"),
    Row("Plan Mode", ALL, {}, Make<CPlanModeTask>),
    Row("Dialog", CHARS_AB, {}, Make<CDialogTask>),
    Row("Guard", CHARS, {{PARAM_NUMBER, kSoundFlag}, {PARAM_POSITION, "position"}, {PARAM_OBJECT, "object"}},
        Make<CGuardTask>),
    Row("Check Objects", CHARS, {{PARAM_OBJECT, nullptr, 10}}, Make<CCheckObjectsTask>),
    Row("Check doors and windows", CHARS,
        {{PARAM_OBJECT, "object"},
         {PARAM_NUMBER, kSoundFlag},
         {PARAM_NUMBER, "checking locked 0/1"},
         {PARAM_NUMBER, "checking damaged 0/1"}},
        Make<CCheckDoorsTask>),
    Row("GenerateActionCode", ALL, {{PARAM_ACTIONCODE}}, Make<CGenerateActionCodeTask>),
    Row("Turn", CHARS, {{PARAM_NUMBER, "Angle (degrees)"}}, Make<CTurnTask>),
    Row("CharacterC walk", CHAR_C, {}, Make<CCharacterCWalkTask>),
    Row("PlayActionSender", ALL, {{PARAM_ACTIONNAME}}, Make<CPlayActionSenderTask>),
    Row("Dynamic Car", CAR, {}, Make<CDynamicCarTask>),
    Row("Check Lockers", CHARS,
        {{PARAM_OBJECT, "object"},
         {PARAM_NUMBER, kSoundFlag},
         {PARAM_NUMBER, "checking locked 0/1"},
         {PARAM_NUMBER, "checking opened 0/1"},
         {PARAM_NUMBER, "checking damaged 0/1"}},
        Make<CCheckLockersTask>),
    Row("StopWalking", CHARS | HIDDEN, {}, Make<CStopWalkingTask>),
    Row("DoNothing", ALL, {}, Make<CDoNothingTask>),
    Row("WalkAndDo", CHARS | HIDDEN,
        {{PARAM_NUMBER, "Finish (0/1)"},
         {PARAM_TIME, "Finishing Time"},
         {PARAM_RECORDEDOBJECT},
         {PARAM_RECORDEDACTION}},
        Make<CWalkAndDoTask>),
    Row("Camera", CHARS,
        {{PARAM_TIME, "Duration"},
         {PARAM_POSITION, "Position"},
         {PARAM_POSITION, "Target"},
         {PARAM_NUMBER, kInterpolation}},
        Make<CCameraTask>),
    Row("WalkTo", CHARS | HIDDEN,
        {{PARAM_NUMBER, "Finish (0/1)"}, {PARAM_TIME, "Finishing Time"}, {PARAM_POSITION}},
        Make<CWalkToTask>),
    Row("Bar Server", ALL,
        {{PARAM_POSITION, "Talk 1/1"},
         {PARAM_POSITION, "Talk 1/2"},
         {PARAM_POSITION, "Talk 2/1"},
         {PARAM_POSITION, "Talk 2/2"},
         {PARAM_POSITION, "Talk 3/1"},
         {PARAM_POSITION, "Talk 3/2"},
         {PARAM_POSITION, "Shake 1"},
         {PARAM_POSITION, "Shake 2"},
         {PARAM_POSITION, "Shake 3"}},
        Make<CBarServerTask>),
    Row("Bar Client", CHARS, {{PARAM_OBJECT, "Bar Server"}}, Make<CBarClientTask>),
    Row("Fog", CHARS,
        {{PARAM_TIME, "Duration"},
         {PARAM_RADIUS, "Start"},
         {PARAM_RADIUS, "End"},
         {PARAM_NUMBER, "Red"},
         {PARAM_NUMBER, "Green"},
         {PARAM_NUMBER, "Blue"},
         {PARAM_NUMBER, kInterpolation}},
        Make<CFogTask>),
    Row("Action Walk", CHARS,
        {{PARAM_POSITION, "Position"},
         {PARAM_ACTIONNAME, "Action1"},
         {PARAM_ACTIONNAME, "Action2"},
         {PARAM_ACTIONNAME, "Action3"},
         {PARAM_NUMBER, "random from (ms)"},
         {PARAM_NUMBER, "random to (ms)"}},
        Make<CActionWalkTask>),
    Row("HeroRecord", CHAR_A | HIDDEN, {}, Make<CHeroRecordTask>),
    Row("BurglaryTarget", ALL,
        {{PARAM_NUMBER, "Burglary Number (1..)"},
         {PARAM_RADIUS},
         {PARAM_POSITION, "Car"},
         {PARAM_POSITION, "Hero"},
         {PARAM_POSITION, "Gang-Member 1"},
         {PARAM_POSITION, "Gang-Member 2"},
         {PARAM_POSITION, "Gang-Member 3"},
         {PARAM_POSITION, "Unused"},
         {PARAM_POSITION, "Unused"},
         {PARAM_OBJECT, nullptr, 10},
         {PARAM_NUMBER, "Loot Needed (0..100%)"},
         {PARAM_TIME, "Par-Time"},
         {PARAM_NUMBER, "Car Angle (0-359)"}},
        Make<CBurglaryTargetTask>),
    Row("SetRemoteOpenState", ALL, {{PARAM_NUMBER, kRemoteState}, {PARAM_OBJECT}},
        Make<CSetRemoteStateTask<STATE_OPEN>>),
    Row("SetRemoteBrokenState", ALL, {{PARAM_NUMBER, kRemoteState}, {PARAM_OBJECT}},
        Make<CSetRemoteStateTask<STATE_BROKEN>>),
    Row("SetRemoteAlarmState", ALL, {{PARAM_NUMBER, kRemoteState}, {PARAM_OBJECT}},
        Make<CSetRemoteStateTask<STATE_ALARM>>),
    Row("SetRemoteLockedState", ALL, {{PARAM_NUMBER, kRemoteState}, {PARAM_OBJECT}},
        Make<CSetRemoteStateTask<STATE_LOCKED>>),
    Row("SetRemoteActiveState", ALL, {{PARAM_NUMBER, kRemoteState}, {PARAM_OBJECT}},
        Make<CSetRemoteStateTask<STATE_ACTIVE>>),
    Row("AddToKnownPeople", CHAR_A, {{PARAM_OBJECT}}, Make<CAddToKnownPeopleTask>),
    Row("WaitGuard", CHARS,
        {{PARAM_NUMBER, kSoundFlag}, {PARAM_NUMBER, "Delay"}, {PARAM_NUMBER, "Random Delay"}},
        Make<CWaitGuardTask>),
    Row("Buy", CHARS,
        {{PARAM_NUMBER, "Type: 1:tool, 2:car, 4:loot"},
         {PARAM_NUMBER, "Storylevel from"},
         {PARAM_NUMBER, "Storylevel to"},
         {PARAM_TEXTID, "Text if list empty"},
         {PARAM_TEXTID, "Text if too expensive"},
         {PARAM_TEXTID, "Text if successful"}},
        Make<CBuyTask>),
    Row("Sell", CHARS,
        {{PARAM_NUMBER, "Type: 1:tool, 2:car, 4:loot"},
         {PARAM_NUMBER, "Percentage usury (wucher)"},
         {PARAM_TEXTID, "Text if list empty"},
         {PARAM_TEXTID, "Text if value = 0"},
         {PARAM_TEXTID, "Text if successful"}},
        Make<CSellTask>),
    Row("Environment Sound", ALL,
        {{PARAM_RADIUS, "radius"}, {PARAM_SOUNDID, "sound id"}, {PARAM_RADIUS, "volume (0..1)"}},
        Make<CEnvironmentSoundTask>),
    Row("PlaySound", ALL,
        {{PARAM_SOUNDID, "sound id"}, {PARAM_RADIUS, "volume (0..1)"}, {PARAM_NUMBER, "3d sound (0,1)"}},
        Make<CPlaySoundTask>),
    Row("Finish Burglary", CAR, {}, Make<CFinishBurglaryTask>),
    Row("Direct Camera", CHARS,
        {{PARAM_TIME, "Duration"}, {PARAM_CAMERA, "Camera"}, {PARAM_NUMBER, kInterpolation}},
        Make<CDirectCameraTask>),
    Row("Car Target", CAR,
        {{PARAM_POSITION, "Target"},
         {PARAM_NUMBER, "Drive Mode (0..start, 1..end, 2..linear, 3..start+end)"}},
        Make<CCarTargetTask>),
    Row("Map Area", ALL,
        {{PARAM_POSITION, "Area Center"},
         {PARAM_RADIUS, "Area Radius"},
         {PARAM_POSITION, "Taxi Position"},
         {PARAM_TEXTID, "Area Name"}},
        Make<CMapAreaTask>),
    Row("Activate Dialog", CHARS, {{PARAM_NUMBER, "Dialog Number"}}, Make<CActivateDialogTask<true>>),
    Row("Deactivate Dialog", CHARS, {{PARAM_NUMBER, "Dialog Number"}}, Make<CActivateDialogTask<false>>),
    Row("Enable Burglary Success", ALL, {}, Make<CEnableBurglarySuccessTask>),
    Row("InitFakeHero", CHARS, {}, Make<CInitFakeHeroTask>),
    Row("InitOutro", ALL, {}, Make<CInitOutroTask>),
    Row("Music", ALL, {{PARAM_NUMBER, "Track Number"}, {PARAM_RADIUS, "Active Radius"}}, Make<CMusicTask>),
    Row("Reduce Crimerate", ALL, {{PARAM_NUMBER, "Percent (0..100)"}}, Make<CReduceCrimerateTask>),
    Empty(nullptr),
};

} // namespace

const STaskTypeRow (&TaskTypeTable)[kTaskTypeRows] = g_Rows;

const STaskTypeRow* TaskTypeRow(int32_t taskType)
{
    return taskType >= 0 && taskType < kTaskTypeRows ? &g_Rows[taskType] : nullptr;
}

std::unique_ptr<CTask> CreateTaskForKind(int32_t taskType, int32_t kind)
{
    const STaskTypeRow* row = TaskTypeRow(taskType);
    // The mask is a 16-bit value: kinds beyond bit 15 never match.
    const bool applies = row && row->factory && kind >= 0 && kind < 16 &&
                         (int16_t(uint16_t(row->kindMask)) & (1 << kind)) != 0;
    if (applies)
        return std::unique_ptr<CTask>(row->factory());
    return std::make_unique<CTask>();
}

std::vector<int32_t> EditorTaskTypes(int32_t kind)
{
    std::vector<int32_t> types;
    if (kind < 0 || kind >= 14)
        return types;
    for (int32_t i = 0; i < kTaskTypeRows && g_Rows[i].name; ++i)
        if (!(g_Rows[i].kindMask & kHiddenTaskType) && (g_Rows[i].kindMask & (1u << kind)))
            types.push_back(i);
    return types;
}

int32_t TaskTypeByName(const char* name)
{
    for (int32_t i = 0; name && i < kTaskTypeRows; ++i)
        if (g_Rows[i].name && std::strcmp(g_Rows[i].name, name) == 0)
            return i;
    return -1;
}
