#include "GAMES/Rulo2/app/Picking.h"

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/InsetView.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"

#include <cmath>

uint8_t CornerZoneFlag = 0;
uint8_t BarZoneFlag = 0;
int32_t BarZoneEntryTime = 0;
uint8_t HeroControlSwitch = 0;
int32_t PickMode = 0;

namespace {

// Whole-pixel distance of the cursor from a point given as fractions of the view.
bool WithinOf(int32_t x, int32_t y, float fx, float fy, float radius, int32_t w, int32_t h)
{
    const int32_t dx = x - int32_t(fx * float(w));
    const int32_t dy = y - int32_t(fy * float(h));
    return std::sqrt(float(dx * dx + dy * dy)) < radius * float(w);
}

bool RunsADialog(const CWorldObject* object)
{
    const CObjectLogic* logic = object ? object->objectLogic : nullptr;
    return logic && logic->task && logic->currentItem && logic->currentItem->taskType == TASK_DIALOG;
}

// The press held over an object keeps that object picked until the button is released.
void UpdateHold()
{
    if (!Input.leftButton) {
        HoldState = 0;
        HeldObject = nullptr;
        ActionBubble.state = 0;
        return;
    }
    // With an item in hand the click uses the item: there is no choice to offer.
    const bool mayHold =
        !ActiveItem && (GamePhase != PHASE_PLANNING || (RecordState != RECORD_REPLAY && HudRecordByte != 0));
    if (HoldState == 1 || (HoldState == 0 && PickedObject && mayHold)) {
        if (HoldState == 0) {
            HeldObject = PickedObject;
            ActionBubble.hovered = -1;
        }
        HoldState = 2;
        HoldStartTime = int32_t(GameClock.frameTime);
        // The bubble opens over the held object with the hold.
        ActionBubble.state = 2;
        ActionBubble.startTime = HoldStartTime;
        ActionBubble.figure = -1;
    }
    if (HoldState >= 2)
        PickedObject = HeldObject;
}

} // namespace

void DrawWorldOverlays(bool hudIsCurrent, int32_t now)
{
    DrawActionBubble(hudIsCurrent, HoldState >= 2 ? HeldObject : nullptr, now, Input.cursorX, Input.cursorY);
    // The hold is complete once the bubble stands open.
    if (HoldState == 2 && ActionBubble.state == 3)
        HoldState = 3;
}

int32_t ItemActionCode(const CObjectNode* item)
{
    switch (item && item->objectLogic ? item->objectLogic->Kind() : -1) {
    case KIND_ITEM:
        return 6; // use the item on the object
    case KIND_LOOT:
        return 5; // sell it there
    case KIND_TOOL:
        return 4; // break the object open with it
    default:
        return -1;
    }
}

bool OverInterfaceRect(int32_t x, int32_t y)
{
    for (const SViewRect& r : ViewRectTable)
        if (!r.IsEmpty() && r.Contains(x, y))
            return true;
    return false;
}

void PickFromCandidate()
{
    PickedObject = PointedObject;
    PointedObject = nullptr;

    CWorldObject* selected = HudReferenceCharacter();
    if (GamePhase == PHASE_PLANNING && RecordState == RECORD_RECORD && GameClock.gameSpeed != 0 &&
        PendingStopTime != 0 && PendingStopTime < GameClock.gameClock && PendingStopCharacter == selected) {
        // The recorded walk was asked to stop: a character no longer walking pauses the recording.
        PATHFINDER* path =
            selected && selected->objectLogic ? selected->objectLogic->GetPathfinder() : nullptr;
        if (!path || !path->SettleAnimation()) {
            GameClock.gameSpeed = 0;
            PendingStopCharacter = nullptr;
        }
        PendingStopTime = 0;
    }

    if (GamePhase == PHASE_BURGLARY && !HeroControlSwitch && !AlarmOverride)
        PickedObject = nullptr;

    // With floors cut away, an object on another floor of the shown house is out of reach, unless
    // the inset shows it already.
    if (PickedObject && CurrentHouse && PickedObject != InsetObject) {
        CWorldObject *house = nullptr, *floor = nullptr;
        int32_t floorNumber = 0;
        GetHouseAndFloor(PickedObject, &house, &floor, &floorNumber);
        if (house == CurrentHouse && floor && floorNumber != CurrentFloor)
            PickedObject = nullptr;
    }
}

void UpdateCursorZones(int32_t x, int32_t y, int32_t w, int32_t h)
{
    CornerZoneFlag = WithinOf(x, y, 0.9f, 0.075f, 0.05f, w, h) ? 1 : 0;
    Tutorial.UpdateHover(x, y);
}

void PickUnderCursor(int32_t x, int32_t y, int32_t w, int32_t h)
{
    UpdateCursorZones(x, y, w, h);
    const bool inBar = WithinOf(x, y, 0.91f, 0.89f, 0.03f, w, h);
    if (inBar && !BarZoneFlag)
        BarZoneEntryTime = int32_t(GameClock.frameTime);
    BarZoneFlag = inBar ? 1 : 0;

    if (inBar || CornerZoneFlag || OverInterfaceRect(x, y) || ItemChoiceOpen || TradeListOpen)
        PickedObject = nullptr;

    CWorldObject* selected = HudReferenceCharacter();
    if (selected && PickedObject) {
        if ((PickMode == 1) != (PickedObject == selected))
            PickedObject = nullptr;
        const CObjectLogic* logic = selected->objectLogic;
        if (logic && (logic->flags & 0x12u) && PickMode != 3)
            PickedObject = nullptr;
    }

    if (BurglaryLevel > NumberOfLevels ||
        (GamePhase != PHASE_REALTIME && (OptionsMenuOpen || ItemChoiceOpen)) || RunsADialog(PickedObject))
        PickedObject = nullptr;

    UpdateHold();
}
