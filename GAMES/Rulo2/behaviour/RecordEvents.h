#pragma once
// Plan recording: every change of a recordable object while the record state
// is RECORD becomes an event in one global list, which replay applies when the
// clock passes its time and undoes when the clock runs backwards. Kinds whose
// undo needs the state before them keep a back-link to the object's previous
// event of that kind.
#include <cstdint>
#include <memory>
#include <vector>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "LIBS/System/CVector.h"

class CChunkWriter;
class CObjectLogic;
class CObjectNode;
class CObjectState;
class CTaskItem;
class CTaskList;
class CWorldObject;

enum ERecordEventKind : int32_t
{
    EVENT_START = 0,
    EVENT_END = 1,
    EVENT_ANIMATION = 2,
    EVENT_WALK_START = 3,
    EVENT_WALK_STOP = 4,
    EVENT_JUMP = 5,
    EVENT_FLOAT = 6,
    EVENT_DISPLAY_FLAGS = 7,
    EVENT_PASSAGE_ADDED = 9,
    EVENT_PASSAGE_REMOVED = 10,
    EVENT_TASK_LIST = 11,
    EVENT_TASK_ITEM = 12,
    EVENT_OPEN = 13,
    EVENT_LOCKED = 14,
    EVENT_BROKEN = 15,
    EVENT_ACTIVE = 16,
    EVENT_ALARM = 17,
    EVENT_CHOICES = 18,
    EVENT_STATE_BYTE = 19,
    EVENT_ACTIVATE = 20,
    EVENT_DEACTIVATE = 21,
    EVENT_RAMP_START = 22,
    EVENT_RAMP_END = 23,
    EVENT_CHARACTER_FLAG = 24,
    EVENT_TOOL_VALUE = 25,
    EVENT_ITEM_ADDED = 26,
    EVENT_ITEM_REMOVED = 27,
    EVENT_FLAGS = 28,
};

// One recorded change. The payload fields a kind uses are listed with the kinds.
class CRecordEvent
{
public:
    CRecordEvent(int32_t kind, CObjectLogic* object);
    virtual ~CRecordEvent() = default;
    CRecordEvent(const CRecordEvent&) = delete;
    CRecordEvent& operator=(const CRecordEvent&) = delete;

    // Kind, recorder id, time and the kind's words; false at the first failed write.
    virtual bool Write(CChunkWriter& writer) const;

    int32_t kind;
    CObjectLogic* object; // not owned
    int32_t time;         // the game clock at creation
    // New and old values (bytes, flag words or float bits), a previous index, an opener.
    int32_t words[3] = {0, 0, -1};
    float position[6] = {};              // kinds 4 and 5
    std::vector<CVector> points;         // kind 3
    std::vector<int32_t> choices;        // kind 18
    CObjectState* animation = nullptr;   // kind 2
    CTaskList* list = nullptr;           // kinds 11 and 12
    CTaskItem* item = nullptr;           // kind 12
    std::unique_ptr<CActionEntry> entry; // kind 11
    CWorldObject* node = nullptr;        // kinds 9, 10, 26, 27
    CObjectNode* instance = nullptr;     // kinds 26, 27
};

class CRecordingList
{
public:
    int32_t count() const { return int32_t(events.size()); }
    CRecordEvent* at(int32_t i) const { return events[size_t(i)].get(); }
    // Appends and moves the cursor behind it; returns the new index.
    int32_t Append(std::unique_ptr<CRecordEvent> event);

    std::vector<std::unique_ptr<CRecordEvent>> events;
    int32_t cursor = 0;
};
extern CRecordingList RecordingList;

void ClearRecordingList();
// Drops the events from the cursor on.
void TruncateRecording();
// A kind-12 event of the object at the game clock among the events cursor-10 .. cursor+9.
bool HasStepEvent(CWorldObject* object);
// Applies or undoes the events the clock passed; true when it stopped at a start or end event.
bool ReplayEvents();

// Appenders; each returns the new event's index.
int32_t AppendStartMarker();
int32_t RecordSimple(CObjectLogic* object, int32_t kind);
int32_t RecordByteChange(CObjectLogic* object, int32_t kind, uint8_t now, uint8_t old);
int32_t RecordWordChange(CObjectLogic* object, int32_t kind, uint32_t now, uint32_t old);
int32_t RecordAnimation(CObjectLogic* object, CObjectState* animation, int32_t previous);
int32_t RecordTaskItem(CObjectLogic* object, CTaskItem* item, CTaskList* list, int32_t previous);
int32_t RecordTaskList(CObjectLogic* object, CTaskList* list, const CActionEntry* entry, int32_t previous);
int32_t RecordChoices(CObjectLogic* object, const std::vector<int32_t>& choices, int32_t previous);
int32_t RecordItemEvent(int32_t kind, CObjectLogic* object, CWorldObject* node, CObjectNode* instance,
                        const int32_t (&words)[3]);

// A float as the 32-bit word recorded values and events keep, and back.
int32_t FloatBits(float f);
float BitsFloat(int32_t bits);

// The world-object setters that record.
void SetRecordedFloat(CWorldObject* object, float value);
void SetDisplayFlags(CWorldObject* object, bool hidden, bool taken);
void SetDisplayFlag(CWorldObject* object, bool hidden);

// A door or window that stands open.
struct SOpenPassage
{
    CWorldObject* object = nullptr;
    CWorldObject* floor = nullptr;
    int32_t word = 0;
    int32_t floorNumber = 0;
    int32_t time = 0;
    CWorldObject* inside = nullptr;
    CWorldObject* opener = nullptr;
};
extern std::vector<SOpenPassage> OpenPassages;
void AddOpenPassage(CWorldObject* object, CWorldObject* opener);
void RemoveOpenPassage(CWorldObject* object);
