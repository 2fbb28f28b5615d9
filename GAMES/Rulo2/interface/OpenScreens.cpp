#include "GAMES/Rulo2/interface/OpenScreens.h"

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/interface/CListMenu.h"
#include "GAMES/Rulo2/interface/CMessageMenu.h"
#include "GAMES/Rulo2/interface/CPPMenu.h"
#include "GAMES/Rulo2/interface/CPlanSelectMenu.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"
#include "GAMES/Rulo2/interface/InfoTexts.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldHelpers.h"

void OpenSelectMenu(int32_t time, uint8_t startInGrid, int32_t okMode)
{
    SelectMenu.RemoveAllElements();
    SelectMenu.ClearEntries();
    // One entry per carried object that is present.
    for (const ObjectInstance& record : ObjectInstances) {
        CObjectNode* object = record.object;
        if (!object)
            continue;
        MenuSlot slot;
        slot.instance = object;
        slot.previewModel = object->firstState ? object->firstState->GetModelRoot() : nullptr;
        if (object->objectLogic && object->objectLogic->animation)
            slot.previewModel = object->objectLogic->animation->GetModelRoot();
        slot.gameData = object->objectLogic;
        BuildItemInfo(slot.gameData, slot.text);
        SelectMenu.entries.push_back(slot);
    }
    ShowMouseCursor(true);
    SelectMenu.Build(time, startInGrid, uint8_t(okMode));
}

// The HUD fills these two.
void OpenGameMenu(int32_t) {}
void OpenHudBarMenu(int32_t) {}

void OpenMapMenu(int32_t) {}
void OpenTutorialMenu(int32_t) {}

void OpenPlanSelectMenu(int32_t time)
{
    ShowMouseCursor(true);
    PlanSelectMenu.RemoveAllElements();
    PlanSelectMenu.Build(time);
    GetUiSurface(0);
}

void OpenPPMenu(int32_t time)
{
    PPMenu.RemoveAllElements();
    PPMenu.Build(time);
}
void OpenOptionsMenu(int32_t) {}
void OpenResultsMenu(int32_t) {}

void OpenListMenu(int32_t time, const char* prompt, const char* initialText)
{
    ListMenu.RemoveAllElements();
    ListMenu.Build(time, prompt, initialText);
    ListMenuOpen = 1;
}

void OpenPictureMenu(int32_t, CMenuElement::Point, CMenuElement::Point)
{
    PictureMenuOpen = 1;
}

void OpenMessageMenu(int32_t time, const char* text, int32_t purpose, uint8_t confirmStyle)
{
    MessagePurpose = purpose;
    MessageMenu.RemoveAllElements();
    MessageMenu.Build(time, text, confirmStyle);
    MessageMenuOpen = 1;
}

void ShowGameSlots(bool saving)
{
    if (saving)
        GameSaveListOpen = 1;
    else
        GameLoadListOpen = 1;
}

void ShowPlanSlots(bool saving)
{
    if (saving)
        PlanSaveListOpen = 1;
    else
        PlanLoadListOpen = 1;
}
