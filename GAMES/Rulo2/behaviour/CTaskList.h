#pragma once
// Task lists: task items sorted by start time ("run task type T with these
// parameters from time t of the day") and dependencies, conditions that
// switch the object to their own child list. Child lists nest, so an
// object's behaviour is a tree of lists, stored as "TALI" chunks.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "GAMES/Rulo2/behaviour/ActionCode.h"
#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "GAMES/Rulo2/behaviour/CTask.h"

class CChunkReader;
class CChunkWriter;
class CDependency;
class CWorldObject;

class CTaskItem
{
public:
    CTaskItem() = default;
    CTaskItem(int32_t start, int32_t type) : startTime(start), taskType(type) {}
    virtual ~CTaskItem();
    CTaskItem(const CTaskItem&) = delete;
    CTaskItem& operator=(const CTaskItem&) = delete;

    virtual void Copy(const CTaskItem& from);

    // Appends a parameter of the type with its creation value; false for a
    // type outside 1-16.
    bool AddParameter(int32_t typeId);
    // Makes the parameters fit the task type's row; false when it had to
    // rebuild them. New positions take the source object's position.
    bool SyncParameters(const CWorldObject* positionSource);
    void DeleteParameters();

    bool Write(CChunkWriter& writer) const;
    // A "TASK" body (version word first).
    bool Read(CChunkReader& body);

    int32_t startTime = -1; // ms of the day, -1 none
    TaskParamList parameters;
    int32_t taskType = 0;
    uint8_t critical = 0;
    uint8_t isDefault = 0;
    uint32_t treeItem = 0; // the editor's tree item while shown
};

class CTaskList
{
public:
    CTaskList() = default;
    virtual ~CTaskList();
    CTaskList(const CTaskList&) = delete;
    CTaskList& operator=(const CTaskList&) = delete;

    virtual void Copy(const CTaskList& from);

    // Before the first task that starts later; equal start times keep their order.
    void AddTask(std::unique_ptr<CTaskItem> item);
    // Directly behind `after`, or at the front when `after` is not listed.
    void InsertTaskAfter(std::unique_ptr<CTaskItem> item, const CTaskItem* after);
    // Unlinks the item from every dependency and hands it back.
    std::unique_ptr<CTaskItem> RemoveTask(const CTaskItem* item);
    void DeleteAllTasks();
    void AddDependency(std::unique_ptr<CDependency> dependency);

    CTaskItem* FirstTask() const;
    CTaskItem* PenultimateTask() const;
    CTaskItem* PreviousTask(const CTaskItem* item) const;
    CTaskItem* FindTaskByTreeItem(uint32_t treeItem) const;
    CDependency* FindDependencyByTreeItem(uint32_t treeItem) const;
    // Index of the task in this list, -1 when it is not there.
    int32_t IndexOf(const CTaskItem* item) const;

    // The path of a nested child list: one 4-bit digit per level, the 1-based
    // dependency index of the outermost list in the lowest digit. `code`
    // starts at 0 and ends at 0 when the list is not in the tree.
    bool FindPathCode(uint32_t& code, const CTaskList* target) const;

    // Turns the stored object and item numbers of a loaded list into pointers.
    bool ResolveReferences();

    bool Write(CChunkWriter& writer) const;
    // A "TALI" body (version word first).
    bool Read(CChunkReader& body);

    std::vector<std::unique_ptr<CTaskItem>> tasks;
    std::vector<std::unique_ptr<CDependency>> dependencies;
    // The editor's caption of a sub-task list (its dependency's text); empty for
    // an object's main list. Not stored in files.
    std::string name;
};

enum EObjectState : int32_t
{
    STATE_OPEN = 0,
    STATE_LOCKED = 1,
    STATE_BROKEN = 2,
    STATE_ACTIVE = 3,
    STATE_ALARM = 4,
};

struct SStateCondition
{
    int32_t state = 0;
    uint8_t required = 0; // set or cleared
};

class CDependency
{
public:
    CDependency();
    virtual ~CDependency();
    CDependency(const CDependency&) = delete;
    CDependency& operator=(const CDependency&) = delete;

    virtual void Copy(const CDependency& from);
    virtual bool Write(CChunkWriter& writer, const CTaskList& parent) const;
    // A "DPND" body (version word first); linked tasks index the parent's tasks.
    virtual bool Read(CChunkReader& body, CTaskList& parent);

    // 1 when the last condition on the state requires it set, 0 cleared, 2 none.
    int32_t GetStateCondition(int32_t state) const;
    void AddStateCondition(int32_t state, bool required);
    std::string Describe() const;
    bool ResolveReferences();

    CActionEntry action;
    SStoredAction storedAction; // the action's numbers until resolved
    bool actionPending = false;
    std::unique_ptr<CTaskList> childList;
    std::vector<CTaskItem*> linkedTasks; // tasks of the parent list, not owned
    uint32_t flagValues = 0;
    uint32_t flagMask = 0;
    std::vector<SStateCondition> stateConditions;
    int32_t timer = 0;     // ms of the day
    int32_t tolerance = 0; // ms
    uint8_t reoccurring = 0;
    uint8_t useAction = 0;
    uint8_t useFlags = 0;
    uint8_t useTimer = 0;
    uint8_t useStates = 0;
    uint8_t planned = 0; // the planned task list of a gang member
    int32_t story = 0;   // minimum burglary level
    uint8_t suppressAction = 0;
    uint32_t treeItem = 0;
};

constexpr uint32_t kDependencyVersion = 3;
