#include "GAMES/Rulo2/interface/HudState.h"

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"

CWorldObject* HudSelectedCharacter = nullptr;
std::vector<CWorldObject*> HudGangCharacters;
CWorldObject* HudExemptObject = nullptr;
int32_t HudFeedbackId = -1;
int32_t HudFeedbackTime = 0;
uint8_t HudRecordByte = 0;
uint8_t HudAbortFlag = 0;
uint8_t HudAbortBlockFlag = 0;
int32_t HudViewMode = 0;
CWorldObject* HudFocusObject = nullptr;

CWorldObject* HudReferenceCharacter()
{
    return HudSelectedCharacter ? HudSelectedCharacter : CurrentCharacter;
}

void RefreshRecordHighlight(int32_t feedbackId)
{
    if (feedbackId != -1 && feedbackId == HudFeedbackId)
        HudFeedbackTime = GameClock.gameClock;
}

int32_t VehicleMode = 0;
CWorldObject* StoredCharacter = nullptr;
const CVector* HidingPoint = nullptr;
CWorldObject* HidingLocker = nullptr;
uint8_t LookInfoSwitch = 0;
CWorldObject* CurrentInteractionObject = nullptr;
std::vector<SGangMember> GangMemberList;
