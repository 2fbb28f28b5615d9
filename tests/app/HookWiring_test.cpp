// After every subsystem's install function, the hook slots still empty are exactly
// those the checked-in list names, each waiting for a named later subsystem.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/ScreenResults.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/navigation/Perception.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/LoadingScreen.h"
#include "GAMES/Rulo2/world/MeshShape.h"
#include "GAMES/Rulo2/world/ModelImport.h"
#include "GAMES/Rulo2/world/WorldFile.h"

namespace {

struct Slot
{
    std::string name;
    bool filled;
};

#define SLOT(table, slot)                                                                                    \
    Slot                                                                                                     \
    {                                                                                                        \
#table "." #slot, table.slot != nullptr                                                              \
    }
#define LOOSE(pointer)                                                                                       \
    Slot                                                                                                     \
    {                                                                                                        \
#pointer, pointer != nullptr                                                                         \
    }

// A table whose size differs from its listed slots got a slot this list lacks.
#define TABLE_SLOTS(type, count, extra)                                                                      \
    static_assert(sizeof(type) == (count) * sizeof(void*) + (extra), "list every slot of " #type " below")
TABLE_SLOTS(StartupHooks, 3, 0);
TABLE_SLOTS(GameStepHooks, 11, 0);
TABLE_SLOTS(FrameHooks, 9, 0);
TABLE_SLOTS(DropHooks, 4, 0);
TABLE_SLOTS(STexturePageHooks, 8, 0);
TABLE_SLOTS(SLoadingScreenHooks, 5, 0);
TABLE_SLOTS(SObjectPassHooks, 2, sizeof(void*)); // and the game speed and burglary flag
TABLE_SLOTS(DeviceHooks, 2, 0);
TABLE_SLOTS(SModelImporters, 4, 0);
TABLE_SLOTS(ScreenResultHooks, SCREEN_COUNT + 3, 0);

// The screens' renders, one slot per screen, named after the screen.
#define SCREEN(screen)                                                                                       \
    Slot                                                                                                     \
    {                                                                                                        \
        "ScreenRenderHooks.render[" #screen "]", ScreenRenderHooks.render[screen] != nullptr                 \
    }

std::vector<Slot> AllSlots()
{
    static_assert(SCREEN_COUNT == 11, "list every screen below");
    return {
        SCREEN(SCREEN_HUD_BAR),
        SCREEN(SCREEN_PP),
        SCREEN(SCREEN_MAP),
        SCREEN(SCREEN_GAME),
        SCREEN(SCREEN_PLAN_SELECT),
        SCREEN(SCREEN_RESULTS),
        SCREEN(SCREEN_OPTIONS),
        SCREEN(SCREEN_SELECT),
        SCREEN(SCREEN_LIST),
        SCREEN(SCREEN_MESSAGE),
        SCREEN(SCREEN_PICTURE),
        SLOT(ScreenRenderHooks, listChoice),
        SLOT(ScreenRenderHooks, slotText),
        SLOT(ScreenRenderHooks, slotFile),
        SLOT(AppHooks, initGame),
        SLOT(AppHooks, attachUi),
        SLOT(AppHooks, detachUi),
        SLOT(StepHooks, readMouse),
        SLOT(StepHooks, pauseSounds),
        SLOT(StepHooks, updateSounds),
        SLOT(StepHooks, updateEditorCamera),
        SLOT(StepHooks, drawScreens),
        SLOT(StepHooks, drawModalScreens),
        SLOT(StepHooks, interfaceModal),
        SLOT(StepHooks, updateTutorialAndFade),
        SLOT(StepHooks, runFadeCommand),
        SLOT(StepHooks, drawObjectOverlays),
        SLOT(StepHooks, presentFrame),
        SLOT(FrameClockHooks, timeSource),
        SLOT(FrameClockHooks, clockHeld),
        SLOT(FrameClockHooks, alarmActive),
        SLOT(FrameClockHooks, gameFrame),
        SLOT(FrameClockHooks, saveSnapshot),
        SLOT(FrameClockHooks, drawMovieFrame),
        SLOT(FrameClockHooks, movieEnded),
        SLOT(FrameClockHooks, playMovie),
        SLOT(FrameClockHooks, destroyMainWindow),
        SLOT(DroppedFileHooks, loadWorld),
        SLOT(DroppedFileHooks, importModel),
        SLOT(DroppedFileHooks, loadTexture),
        SLOT(DroppedFileHooks, refreshEditor),
        SLOT(TexturePageHooks, read),
        SLOT(TexturePageHooks, write),
        SLOT(TexturePageHooks, number),
        SLOT(TexturePageHooks, excludeAll),
        SLOT(TexturePageHooks, deviceCanHoldPages),
        SLOT(TexturePageHooks, clear),
        SLOT(TexturePageHooks, afterLoad),
        SLOT(TexturePageHooks, texturesMissing),
        SLOT(LoadingScreenHooks, pumpMessage),
        SLOT(LoadingScreenHooks, draw),
        SLOT(LoadingScreenHooks, load),
        SLOT(LoadingScreenHooks, release),
        SLOT(LoadingScreenHooks, clock),
        SLOT(ObjectPassHooks, stepWalk),
        SLOT(ObjectPassHooks, activate),
        SLOT(DXHooks, setMenuForMode),
        SLOT(DXHooks, editorCameraActive),
        SLOT(g_ModelImporters, loadX),
        SLOT(g_ModelImporters, importMayaAscii),
        SLOT(g_ModelImporters, importObj),
        SLOT(g_ModelImporters, showEntry),
        LOOSE(g_ShapeEditCtrlDown),
        LOOSE(g_ImportUpdatedWorldHook),
        LOOSE(g_DiscardWorldHook),
        LOOSE(CharacterLocation),
        LOOSE(CameraListener),
        LOOSE(OverlayWindowVisible),
        LOOSE(RedrawGameFrame),
        LOOSE(g_ModelTreeSelectedItem),
        LOOSE(g_SphereVisibility),
        LOOSE(ShowTextBubbleHook),
        LOOSE(KeepNarrowestWindow),
    };
}

// The list: "Table.slot   waiting for <subsystem>: what", or "empty by default: why" for a
// slot whose emptiness is one of two real implementations; '#' starts a comment.
std::map<std::string, std::string> ReadWaitingList(std::istream& in)
{
    std::map<std::string, std::string> waiting;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string slot, reason;
        words >> slot;
        std::getline(words >> std::ws, reason);
        waiting[slot] = reason;
    }
    return waiting;
}

// Every difference between the empty slots and the list, one line each.
std::vector<std::string> Differences(const std::vector<Slot>& slots,
                                     const std::map<std::string, std::string>& list)
{
    std::vector<std::string> out;
    std::set<std::string> known;
    for (const Slot& s : slots) {
        known.insert(s.name);
        const bool listed = list.count(s.name) != 0;
        if (!s.filled && !listed)
            out.push_back(s.name + " is empty after the installs and not on the list");
        if (s.filled && listed)
            out.push_back(s.name + " is filled now: take it off the list");
    }
    for (const auto& [name, reason] : list) {
        if (!known.count(name))
            out.push_back(name + " is on the list but is no slot");
        else if (reason.rfind("waiting for ", 0) != 0 && reason.rfind("empty by default: ", 0) != 0)
            out.push_back(name + " does not say which subsystem it waits for");
    }
    return out;
}

std::map<std::string, std::string> CheckedInList()
{
    std::ifstream in(VAREK_EMPTY_SLOT_LIST);
    EXPECT_TRUE(in) << VAREK_EMPTY_SLOT_LIST;
    return ReadWaitingList(in);
}

} // namespace

TEST(HookWiring, EverySlotLeftEmptyWaitsForANamedSubsystem)
{
    InstallSubsystems();
    const std::vector<std::string> differences = Differences(AllSlots(), CheckedInList());
    std::string text;
    for (const std::string& d : differences)
        text += d + "\n";
    EXPECT_TRUE(differences.empty()) << text;
}

TEST(HookWiring, ANewEmptySlotOrAFilledListedOneFailsTheComparison)
{
    InstallSubsystems();
    std::vector<Slot> slots = AllSlots();
    std::map<std::string, std::string> list = CheckedInList();
    ASSERT_TRUE(Differences(slots, list).empty());

    struct Case
    {
        const char* fault;
        std::vector<Slot> extraSlots;
        std::map<std::string, std::string> extraList;
        const char* message;
    };
    const std::string listed = list.begin()->first;
    const Case cases[] = {
        {"a new slot nothing fills", {{"NewHooks.newSlot", false}}, {}, "not on the list"},
        {"a listed slot now filled",
         {{"FilledHooks.slot", true}},
         {{"FilledHooks.slot", "waiting for x"}},
         "take it off"},
        {"a name that is no slot", {}, {{"GoneHooks.slot", "waiting for x"}}, "is no slot"},
        {"no subsystem named",
         {{"LooseHooks.slot", false}},
         {{"LooseHooks.slot", "someday"}},
         "which subsystem"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        std::vector<Slot> s = slots;
        s.insert(s.end(), c.extraSlots.begin(), c.extraSlots.end());
        std::map<std::string, std::string> l = list;
        l.insert(c.extraList.begin(), c.extraList.end());
        const std::vector<std::string> d = Differences(s, l);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_NE(d[0].find(c.message), std::string::npos) << d[0];
    }
}
