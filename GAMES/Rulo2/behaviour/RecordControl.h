#pragma once
// The planning phase's tape recorder over the game clock: starting, stopping
// and resuming a recording, fake recording past the last event, the 12-hour
// limit, the HUD bar's replay controls and the object step that the game step
// runs after every move of the clock.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "LIBS/System/CBox.h"

class CWorldObject;

// The latest clock reached while recording.
extern int32_t MaxRecordedTime;
// The game step stops this character's recorded walk at the stop time.
extern CWorldObject* PendingStopCharacter;
extern int32_t PendingStopTime;
// The byte SetRecordState keeps for the interface.
extern uint8_t RecordStateFlag;
// The recording clock's limit: 12:00:00.000.
constexpr int32_t kMaxRecordingClock = 43'200'000;

// A gang member coming within an object's radius, one bit per member.
struct SProximity
{
    CWorldObject* object = nullptr;
    float radius = 0.0f;
    uint32_t mask = 0;
};
extern std::vector<SProximity> ProximityList;

// A trigger area of the world: a gang member whose feet enter or leave the
// box sends request 12 or 13 naming the area; one bit per member.
struct STriggerArea
{
    CWorldObject* area = nullptr;
    CBox box = CBox::Empty;
    uint32_t mask = 0;
};
extern std::vector<STriggerArea> TriggerAreaList;

// Who the world walk that starts a recording treats as the recording hero;
// while `skip` is set (fake recording) every object just goes on with its tasks.
struct SRecordingControl
{
    CWorldObject* character = nullptr;
    uint8_t skip = 0;
};
extern SRecordingControl RecordingControl;

// The player's latest order for a character, taken over from the request
// queue by the object step; action -1 until there is one.
extern CActionEntry PlayerCommand;

void SetPlanMode(int32_t phase);
void PauseGame();
void SetRecordHighlight(CWorldObject* character);
bool IsRecordingActive();
int32_t AppendEndMarker(int32_t time);
void StopRecording();
void SetRecordState(uint8_t flag);
void StartFakeRecording();
void RecordIdleDeactivation(CWorldObject* object);
// The object step; true when replay stopped at a start or end event.
bool RecordCharacterActions();

// The HUD bar's controls.
void StepToNextAction();
void StepToPreviousAction();
void RewindToStart();
void ForwardToEnd();
inline void ReplayBackToStart()
{
    RewindToStart();
}
inline void ReplayBackToMark()
{
    StepToPreviousAction();
}
inline void ReplayForwardToMark()
{
    StepToNextAction();
}
inline void ReplayForwardToEnd()
{
    ForwardToEnd();
}
