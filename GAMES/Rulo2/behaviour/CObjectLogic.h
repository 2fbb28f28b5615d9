#pragma once
// The behaviour of one object: its kind data and conditions, the task lists it
// runs item after item with a stack of suspended lists, its animation, its
// state flags and the back-links of its recorded events. An object definition
// holds a template logic; a placed object holds its own, whose own parts, when
// present, override the template's.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"

class CCar;
class CChunkReader;
class CChunkWriter;
class CDependency;
class CNode;
class CObjectState;
class CObjectNode;
class CTask;
class CTaskItem;
class CTaskList;
class CWorldObject;

constexpr uint32_t kInfoVersion = 3;
// Times of the day: no limit.
constexpr int32_t kNoTimeLimit = 86'400'000;
// The angle Init gives characters; a recorded old angle of this value is never restored.
constexpr float kUnsetAngle = 123456.0f;

// Indexes of the recording chains (back-links to the object's latest event of a kind).
enum ERecordChain : int32_t
{
    CHAIN_ANIMATION = 0, // kind 2
    CHAIN_TASK_ITEM = 1, // kind 12
    CHAIN_TASK_LIST = 2, // kind 11
    CHAIN_WALK = 3,      // kinds 3 and 4
    CHAIN_RAMP = 4,      // kinds 22 and 23
    CHAIN_CHOICES = 5,   // kind 18
    kRecordChains = 6,
};

class CObjectLogic
{
public:
    CObjectLogic();
    virtual ~CObjectLogic();
    CObjectLogic(const CObjectLogic&) = delete;
    CObjectLogic& operator=(const CObjectLogic&) = delete;

    // --- files ---
    // "INFO" version 3 with the own kind data, conditions and task list.
    bool SaveTaskLists(CChunkWriter& writer) const;
    // An "INFO" body (version word first); marks the logic as the object's own
    // definition. False when the body is damaged or its task list fails.
    bool ReadDefinition(CChunkReader& body);
    // The run state inside a saved game's object record.
    bool Save(CChunkWriter& writer) const;
    bool ReadRunState(CChunkReader& body);
    // Copies the own parts of another logic (a copied definition or object).
    void CopyDefinition(const CObjectLogic& from);
    // A definition read without "INFO" gets kind data named after it and an
    // empty task list, so that every definition has both.
    void CreateMissingParts(const char* definitionName);

    // --- running ---
    void Init(CWorldObject* node);
    bool NextTask();
    bool StartTask(CTaskItem* item, int32_t deadline);
    void Tick();
    void StartTaskList(CTaskList* list, const CActionEntry& entry);
    void RestoreTaskList(CTaskList* list, const CActionEntry& entry, int32_t startTime);
    bool PopTaskList();
    // Back to the start list: the running task goes and every suspended list is resumed in turn.
    void ResetTaskLists();
    void DeleteCurrentTask();
    void SetCurrentTask(CTaskItem* item);
    void ReleaseRuntime();
    void ReleaseTaskLists();
    bool HandleRequest(CActionEntry& request);
    void CheckStateDependencies();
    void ScheduleTimedDependency();
    // True when the dependency's flag, level, item and state tests pass.
    bool DependencyApplies(const CDependency& dependency) const;
    bool StateConditionsHold(const CDependency& dependency) const;

    // --- planned task list ---
    CTaskList* GetPlannedTaskList() const;
    // The list the behaviour starts from: its own, else its definition's.
    CTaskList* MainTaskList() const;
    CTaskList* ResetPlannedTaskList();
    void ClearPlannedTasksFromNow();
    void RemovePlannedTaskLists();

    void Activate();
    void Deactivate();

    // --- conditions and flags ---
    bool IsOpen() const;
    bool IsLocked() const;
    bool IsBroken() const;
    bool IsActive() const;
    bool IsAlarm() const;
    void SetOpenState(bool value);
    void SetLockedState(bool value);
    void SetBrokenState(bool value);
    void SetActiveState(bool value);
    void SetAlarmState(bool value);
    void SetCharacterFlag(uint8_t value);
    void SetFlagBit(int32_t bit);
    void ClearFlagBit(int32_t bit);
    void SetFlagWord(uint32_t value) { flags = value; }
    // One condition by number (0 open .. 4 alarm), recorded as its event.
    void SetState(int32_t state, bool value);
    void SetStateByte(uint8_t value);
    float GetProgress() const;
    void SetProgress(float value);
    void StartProgressRamp(int32_t start, float from, int32_t end);
    void StopProgressRamp() { rampEnd = 0; }
    void UpdateProgressRamp();
    float GetKindValue() const;
    void SetKindValue(float value);

    // --- recording helpers ---
    bool Records() const;
    void RecordTaskEvent();
    void RecordObjectChoice(CWorldObject* node);
    CWorldObject* ReplayObjectChoice();
    void SetRecordedChoices(const std::vector<int32_t>& list);

    // --- animation and feedback ---
    bool PlayAnimation(const char* name);
    bool SwitchAnimation(const char* name);
    bool IsCurrentAnimation(const char* name) const;
    void SetAnimation(CObjectState* state);
    void RestoreAnimation(CObjectState* state, int32_t startTime);
    void AdvanceAnimation();
    bool SayInteractionText(const CActionEntry& request);
    // A play-once animation that has not reached its end yet.
    bool IsPlayOnceRunning() const;

    // --- accessors ---
    const CVector& GetPosition() const;
    PATHFINDER* GetPathfinder();
    CCar* GetCar();
    // The effective kind data: bound at Init, else the own, else the template's.
    const CKindData* EffectiveKindData() const;
    // The effective kind 0-9, -1 without kind data.
    int32_t Kind() const;
    bool IsCharacter() const
    {
        const int32_t k = Kind();
        return k >= KIND_CHARACTER_A && k <= KIND_CHARACTER_C;
    }
    // The conditions the rules read: the runtime ones, else the own, else the template's.
    const CKindState* EffectiveConditions() const;
    // What a kind-4 character carries, and the value that hides it at a level.
    float CarryingCapacity() const;
    float CrimeRecords() const;
    // The template logic of the object's definition (null when none or this one).
    CObjectLogic* Template() const;
    CTask* Task() const { return task.get(); }

    // --- fields ---
    std::unique_ptr<CKindData> ownKindData;
    std::unique_ptr<CKindState> ownConditions;
    std::unique_ptr<CTaskList> ownTaskList;
    CObjectNode* objectNode = nullptr;
    CWorldObject* worldNode = nullptr;
    std::unique_ptr<CKindState> conditions;
    CActionEntry action;
    CKindData* kindData = nullptr;
    CTaskList* taskList = nullptr;
    CTaskItem* currentItem = nullptr;
    CTaskItem* holdItem = nullptr;
    std::unique_ptr<CTask> task;
    CObjectState* animation = nullptr;
    int32_t animationStart = 0;
    int32_t listStart = 0;
    float lastLoopTime = 0.0f;
    int32_t taskStart = 0;
    int32_t taskDeadline = 0;
    uint8_t timeLimited = 0;
    uint8_t activateRequest = 0;
    uint8_t active = 0;
    int32_t lastActivity = 0;
    float animationFrame = 0.0f;
    int32_t animationMark = -1;
    int32_t dependencyTime = 0;
    CDependency* scheduledDependency = nullptr;
    uint8_t hasTimedDependencies = 0;
    std::vector<int32_t> unnamedList;
    std::vector<CActionEntry> actionStack;
    std::vector<CTaskItem*> itemStack;
    std::vector<CTaskItem*> holdStack;
    std::vector<CTaskList*> listStack;
    std::vector<int32_t> listStartStack;
    std::vector<CWorldObject*> attachedObjects;
    uint32_t flags = 0;
    uint8_t actionPointReached = 0;
    uint8_t animationEnded = 0;
    uint8_t busy = 0;
    uint8_t ownDefinition = 0;
    uint8_t conditionsChanged = 0;
    int32_t chainIds[kRecordChains];
    int32_t rampStart = 0, rampEnd = 0;
    float rampFrom = 0.0f;
    std::vector<int32_t> recordedValues;
    int32_t readPosition = 0;
    int32_t recorderId = 0;
    uint8_t recordable = 0;

    // The saved game's object id (0: unassigned) and its word.
    uint32_t objectId = 0;
    uint32_t runtimeWord = 0;
    uint8_t instance = 0; // the logic of a carried object copy
    // Objects whose task lists refer to this one (cross-references).
    std::vector<CWorldObject*> referrers;

private:
    std::unique_ptr<CTask> CreateTask(const CTaskItem& item) const;
    void ResetRuntimeFields();
    void ChangeFlags(uint32_t value);
};

// The shared item run while an object waits for its next task's start time.
CTaskItem* HoldTaskItem();

// Sets the next free recorder id to one more than the highest in the world.
int CountWorldObjects(CWorldObject* worldRoot);
extern int32_t NextRecorderId;

// The request queue: the player's clicks and tasks append requests; the
// target's logic takes the first pending one in its tick.
extern std::vector<CActionEntry> RequestQueue;
extern uint8_t RequestPending;
void PushRequest(const CActionEntry& request);
