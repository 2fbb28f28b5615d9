#include "GAMES/Rulo2/app/GameState.h"

int32_t GamePhase = PHASE_REALTIME;
int32_t RecordState = RECORD_NORMAL;
uint8_t BurglaryFlag = 0;
int32_t InterfaceMode = 1;
uint8_t MenuActive = 0;
uint8_t ModalScreenOpen = 0;
uint8_t MenuInputBlocked = 0;
uint8_t ModalMenuFlag = 0;
uint8_t TextEntryActive = 0;
SDragRect MenuDragRect;
int32_t ViewFreeze = 0;
int32_t InsetViewState = 0;
int32_t HoldState = 0;
int32_t HoldStartTime = 0;
CWorldObject* HeldObject = nullptr;
int32_t TransitionWord = 0;
int32_t ControlModeWord = 0;
CWorldObject* PickedObject = nullptr;
uint8_t TradeListOpen = 0;
uint8_t ItemChoiceOpen = 0;
CObjectNode* ActiveItem = nullptr;
uint8_t CharacterBarsOff[2] = {};
uint8_t MovieSequenceFlag = 0;
uint8_t ListMenuOpen = 0;
uint8_t TutorialBrowserOpen = 0;
int32_t AppWindowListCount = 0;
uint8_t GameLoadListOpen = 0;
uint8_t GameSaveListOpen = 0;
uint8_t PlanLoadListOpen = 0;
uint8_t PlanSaveListOpen = 0;
uint8_t MessageMenuOpen = 0;
uint8_t ResultsMenuOpen = 0;
uint8_t MapMenuOpen = 0;
uint8_t OptionsMenuOpen = 0;
uint8_t PictureMenuOpen = 0;
uint8_t DeleteGameMode = 0;
uint8_t ReturnToPlanSelect = 0;
int32_t MessagePurpose = 0;
int32_t PlanSlotPurpose = 0;
int32_t PlanActivity = 0;
uint8_t HudHiddenFlag = 0;
int32_t CameraInputWord = 0;
int32_t PlanCounters[2] = {};
int32_t GameStepFrame = 0;
uint8_t AlarmRaised = 0;
uint8_t AlarmOverride = 0;
InputState Input;

bool GameClockHeld()
{
    return MenuActive == 1 || HoldState == 2 || HoldState == 3 || TradeListOpen != 0 || ItemChoiceOpen != 0 ||
           (GamePhase == PHASE_PLANNING && InterfaceMode == 1);
}

void ApplyDeferredButtonReleases(InputState& input, int32_t frame)
{
    if (input.leftReleaseDeferred && frame != input.leftPressFrame) {
        input.leftReleaseDeferred = 0;
        input.leftButton = 0;
    }
    if (input.rightReleaseDeferred && frame != input.rightPressFrame) {
        input.rightReleaseDeferred = 0;
        input.rightButton = 0;
    }
}
