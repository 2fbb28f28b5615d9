#pragma once
// The task type table: one row per task type number that task items store,
// with the type's name, the object kinds that may run it, its parameters and
// the factory of its task class.
#include <cstdint>
#include <memory>
#include <vector>

class CTask;

constexpr int32_t kTaskTypeRows = 87; // the last row has no name and ends the table
constexpr int32_t kTaskParamSlots = 23;
constexpr uint32_t kAllKinds = 0x3fff;
constexpr uint32_t kHiddenTaskType = 0x4000; // not offered by the editor

// Task type numbers the object logic and the game passes name.
enum ETaskType : int32_t
{
    TASK_HERO = 11,
    TASK_DIALOG = 43,
    TASK_ALARMANLAGE = 14,
    TASK_DO_NOTHING = 54,
    TASK_WALK_AND_DO = 55,
    TASK_WALK_TO = 57,
    TASK_HERO_RECORD = 62,
    TASK_BURGLARY_TARGET = 63,
};

// The type number of a named row; -1 when no row has that name.
int32_t TaskTypeByName(const char* name);

struct STaskParamSlot
{
    int32_t type = 0;
    const char* label = nullptr; // null: shown with the type's name
};

struct STaskTypeRow
{
    CTask* (*factory)() = nullptr;
    const char* name = nullptr;
    uint32_t kindMask = 0;
    uint32_t paramCount = 0;
    STaskParamSlot params[kTaskParamSlots];
};

extern const STaskTypeRow (&TaskTypeTable)[kTaskTypeRows];

// The row of a task type number; null outside the table.
const STaskTypeRow* TaskTypeRow(int32_t taskType);

// The task an item of that type runs on an object of that kind: the row's task
// when the kind may run it, else a plain task that finishes at once. A kind of
// -1 (no kind data) never matches.
std::unique_ptr<CTask> CreateTaskForKind(int32_t taskType, int32_t kind);

// The type numbers the editor offers for an object kind, in table order.
std::vector<int32_t> EditorTaskTypes(int32_t kind);
