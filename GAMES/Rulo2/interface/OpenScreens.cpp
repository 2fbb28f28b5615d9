#include "GAMES/Rulo2/interface/OpenScreens.h"

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/interface/CTutorialMenu.h"

void OpenSelectMenu(int32_t, uint8_t, int32_t) {}

// The HUD fills these two.
void OpenGameMenu(int32_t) {}
void OpenHudBarMenu(int32_t) {}

void OpenMapMenu(int32_t) {}
void OpenTutorialMenu(int32_t time)
{
    TutorialMenu.Build(time);
}
void OpenPlanSelectMenu(int32_t) {}
void OpenPPMenu(int32_t) {}
void OpenOptionsMenu(int32_t) {}
void OpenResultsMenu(int32_t) {}

void OpenListMenu(int32_t, const char*, const char*)
{
    ListMenuOpen = 1;
}

void OpenPictureMenu(int32_t, CMenuElement::Point, CMenuElement::Point)
{
    PictureMenuOpen = 1;
}

void OpenMessageMenu(int32_t, const char*, int32_t purpose, uint8_t)
{
    MessagePurpose = purpose;
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
