#include "GAMES/Rulo2/interface/OpenScreens.h"

#include <string>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/interface/CGameMenu.h"
#include "GAMES/Rulo2/interface/CHudBarMenu.h"
#include "GAMES/Rulo2/interface/CListMenu.h"
#include "GAMES/Rulo2/interface/CMapMenu.h"
#include "GAMES/Rulo2/interface/CMessageMenu.h"
#include "GAMES/Rulo2/interface/COptionsMenu.h"
#include "GAMES/Rulo2/interface/CPPMenu.h"
#include "GAMES/Rulo2/interface/CPictureMenu.h"
#include "GAMES/Rulo2/interface/CPlanSelectMenu.h"
#include "GAMES/Rulo2/interface/CResultsMenu.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/CTutorialMenu.h"
#include "GAMES/Rulo2/interface/InfoTexts.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldHelpers.h"
#include "platform/crt/Crt.h"
#include "platform/files/Files.h"

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

void OpenGameMenu(int32_t time)
{
    PlanningScreen.RemoveAllElements();
    PlanningScreen.started = 0;
    PlanningScreen.Build(time);
    ShowMouseCursor(true);
    // The planning screen's open word: the game step renders it while planning with mode 1.
    InterfaceMode = 1;
}

void OpenHudBarMenu(int32_t time)
{
    HudBarMenu.RemoveAllElements();
    HudBarMenu.started = 0;
    HudBarMenu.Build(time);
}

void OpenMapMenu(int32_t time)
{
    MapMenu.Clear();
    MapMenu.Build(time);
}
void OpenTutorialMenu(int32_t time)
{
    TutorialMenu.Build(time);
}

void OpenPlanSelectMenu(int32_t time)
{
    ShowMouseCursor(true);
    PlanSelectMenu.RemoveAllElements();
    PlanSelectMenu.Build(time);
    MapMenuMode = 0;
    GetUiSurface(0);
}

void OpenPPMenu(int32_t time)
{
    PPMenu.RemoveAllElements();
    PPMenu.Build(time);
}
void OpenOptionsMenu(int32_t time)
{
    ShowMouseCursor(true);
    OptionsMenu.RemoveAllElements();
    OptionsMenu.Build(time);
    MapMenuMode = 0;
    GetUiSurface(0);
}

void OpenResultsMenu(int32_t time)
{
    ShowMouseCursor(true);
    ResultsMenu.RemoveAllElements();
    ResultsMenu.Build(time);
    GetUiSurface(0);
}

void OpenListMenu(int32_t time, const char* prompt, const char* initialText)
{
    ListMenu.RemoveAllElements();
    ListMenu.Build(time, prompt, initialText);
    ListMenuOpen = 1;
}

void OpenPictureMenu(int32_t time, CMenuElement::Point topLeft, CMenuElement::Point bottomRight)
{
    PictureMenu.RemoveAllElements();
    PictureMenu.Build(time, topLeft, bottomRight);
    PictureMenuOpen = 1;
}

void OpenMessageMenu(int32_t time, const char* text, int32_t purpose, uint8_t confirmStyle)
{
    MessagePurpose = purpose;
    MessageMenu.RemoveAllElements();
    MessageMenu.Build(time, text, confirmStyle);
    MessageMenuOpen = 1;
}

namespace {

// The model every save slot shows, textured with the slot's picture.
constexpr uint16_t kSlotPreviewModel = 532;

bool FilePresent(const std::string& path)
{
    return platform::Access(path, 0) == 0;
}

MenuSlot SlotEntry()
{
    MenuSlot slot;
    slot.rotation[0] = 1.9707963f;
    slot.rotation[1] = 3.14159265f;
    slot.spin = 0;
    slot.textAlign = 2;
    slot.previewModel = GameResourceModel(kSlotPreviewModel);
    return slot;
}

// Lists the used slots of the folder (a slot whose information cannot be read is left out and
// does not count as free) and, when saving, one empty entry at the lowest free slot.
void ListSlots(const std::string& folder, const char* pattern, int32_t firstSlot, bool saving)
{
    SelectMenu.RemoveAllElements();
    SelectMenu.ClearEntries();
    std::string freePath;
    for (int32_t i = firstSlot; i <= 999; ++i) {
        const std::string path = folder + crt::Format(pattern, i);
        if (!FilePresent(path)) {
            if (freePath.empty())
                freePath = path;
            continue;
        }
        MenuSlot slot = SlotEntry();
        slot.fileExists = 1;
        if (!ReadSaveInfo(path, slot.text, nullptr))
            continue;
        slot.fileName = path;
        SelectMenu.entries.push_back(slot);
    }
    if (saving && !freePath.empty()) {
        MenuSlot slot = SlotEntry();
        slot.text = GetDisplayText("EMPTY_SLOT");
        slot.fileName = freePath;
        SelectMenu.entries.push_back(slot);
    }
}

} // namespace

void ShowGameSlots(bool saving)
{
    if (!FilePresent(SaveManager.savegameFolder))
        platform::CreateDirectory(SaveManager.savegameFolder);
    ListSlots(SaveManager.savegameFolder, "\\game%03d.gam", saving ? 1 : 0, saving);
    if (saving)
        GameSaveListOpen = 1;
    else
        GameLoadListOpen = 1;
    SelectMenu.Build(MenuClock(), 1, 0);
    SelectMenu.thumbnails = 1;
}

void ShowPlanSlots(bool saving)
{
    ListSlots(SaveManager.plansFolder, "\\plan%03d.pln", 0, saving);
    if (saving)
        PlanSaveListOpen = 1;
    else
        PlanLoadListOpen = 1;
    SelectMenu.Build(MenuClock(), 1, 0);
    SelectMenu.thumbnails = 1;
}
