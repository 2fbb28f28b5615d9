#pragma once
// The HUD state that the behaviour code reads and sets: who is selected, which
// object the burglary level never hides, the feedback id of the highlighted
// request and the flags that abort the HUD bar's stepping loops. The hero is
// CurrentCharacter (behaviour/GameLists.h).
#include <cstdint>
#include <vector>

#include "LIBS/System/CVector.h"

class CWorldObject;

// The character the HUD has selected; null: the hero.
extern CWorldObject* HudSelectedCharacter;
// The gang's characters that the HUD offers.
extern std::vector<CWorldObject*> HudGangCharacters;
// Shown whatever the burglary level says.
extern CWorldObject* HudExemptObject;
// The owner id of the highlighted request (-1 none) that feedback refreshes.
extern int32_t HudFeedbackId;
// Refreshed with the game clock when a request with the highlighted id gives feedback.
extern int32_t HudFeedbackTime;
// The play state the HUD bar's button row latches; cleared when a recording stops and by the
// replay steps.
extern uint8_t HudRecordByte;
// The stepping loops end while the first is set and the second clear.
extern uint8_t HudAbortFlag;
extern uint8_t HudAbortBlockFlag;
// 1: the house and floor follow HudFocusObject instead of the selected character.
extern int32_t HudViewMode;
extern CWorldObject* HudFocusObject;

// The selected character, else the hero.
CWorldObject* HudReferenceCharacter();
// Feedback for a request: refreshes the highlight when the id is the highlighted one.
void RefreshRecordHighlight(int32_t feedbackId);

// How the hero travels: 0 on foot, 1 in a taxi, 2 in the getaway car, 3 hidden in a locker.
extern int32_t VehicleMode;
// The character that got into the vehicle (hidden while inside); while the hero hides in a
// locker, the point it hides at and the locker's world object.
extern CWorldObject* StoredCharacter;
extern const CVector* HidingPoint;
extern CWorldObject* HidingLocker;
// In the burglary, item descriptions show and a look command hides the hero in a locker only
// while this is set.
extern uint8_t LookInfoSwitch;
// The object the interface offers its interaction on; a taxi's open question clears it.
extern CWorldObject* CurrentInteractionObject;

// In the burglary the item descriptions show only while it is on; while it is on a look command
// lets the hero hide in a locker.
extern uint8_t LookInfoSwitch;

// The player's gang in the burglary; members that escaped are no longer watched for.
struct SGangMember
{
    CWorldObject* object = nullptr;
    uint8_t escaped = 0;
    uint8_t caught = 0;
};
extern std::vector<SGangMember> GangMemberList;
