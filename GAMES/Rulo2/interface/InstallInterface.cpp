#include "GAMES/Rulo2/interface/InstallInterface.h"

#include "GAMES/Rulo2/app/ScreenHooks.h"
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
#include "GAMES/Rulo2/navigation/Perception.h"

namespace {

template <auto& Screen>
int32_t RenderScreen(int32_t time)
{
    return Screen.Render(time);
}

const MenuSlot* Slot(int32_t slot)
{
    return slot >= 0 && slot < SelectMenu.EntryCount() ? &SelectMenu.entries[size_t(slot)] : nullptr;
}

} // namespace

void InstallInterface()
{
    KeepNarrowestWindow = OverlayNoiseWindow;

    // The screens the game step renders: one line per screen.
    ScreenRenderHooks.render[SCREEN_HUD_BAR] = RenderScreen<HudBarMenu>;
    ScreenRenderHooks.render[SCREEN_GAME] = RenderScreen<PlanningScreen>;
    ScreenRenderHooks.render[SCREEN_PP] = RenderScreen<PPMenu>;
    ScreenRenderHooks.render[SCREEN_PLAN_SELECT] = RenderScreen<PlanSelectMenu>;
    ScreenRenderHooks.render[SCREEN_SELECT] = RenderScreen<SelectMenu>;
    ScreenRenderHooks.render[SCREEN_LIST] = RenderScreen<ListMenu>;
    ScreenRenderHooks.render[SCREEN_MESSAGE] = RenderScreen<MessageMenu>;
    ScreenRenderHooks.render[SCREEN_RESULTS] = RenderScreen<ResultsMenu>;
    ScreenRenderHooks.render[SCREEN_OPTIONS] = RenderScreen<OptionsMenu>;
    ScreenRenderHooks.render[SCREEN_MAP] = RenderScreen<MapMenu>;
    ScreenRenderHooks.render[SCREEN_PICTURE] = RenderScreen<PictureMenu>;

    ScreenRenderHooks.listChoice = [] { return ListMenu.GetChoice(); };
    ScreenRenderHooks.slotText = [](int32_t slot) { return Slot(slot) ? Slot(slot)->text.c_str() : nullptr; };
    ScreenRenderHooks.slotFile = [](int32_t slot) {
        return Slot(slot) ? Slot(slot)->fileName.c_str() : nullptr;
    };
}
