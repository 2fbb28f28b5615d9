// The editor menu: its states when a pop-up opens, "New World"'s question, the
// View toggles and the snapping marks.
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/EditorMenus.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/EditorEditing.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "platform/win/MessageBox.h"
#include "tests/app/ShellWorld.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using platform::ui::Menu;

class EditorMenus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", (dir.path / "config").c_str(), 1);
        setenv("VAREK_NONINTERACTIVE", "1", 1);
        CreateWorldRoots();
        ClearWorld();
        CurrentWorldFile.clear();
        menu = LoadMenuResource(1202);
        ASSERT_TRUE(menu);
    }
    void TearDown() override
    {
        DestroyToolWindows();
        platform::ClearMessageBoxAnswers();
        SelectView(VIEW_PERSPECTIVE);
        CurrentWorldFile.clear();
    }

    // The enabled items of a pop-up among `ids`, after WM_INITMENUPOPUP's handling.
    std::vector<uint32_t> Enabled(int position, const std::vector<uint32_t>& ids)
    {
        Menu& popup = *menu->GetSubMenu(position);
        OnEditorInitMenuPopup(popup, position);
        std::vector<uint32_t> on;
        for (uint32_t id : ids)
            if (popup.FindItem(id) && popup.FindItem(id)->enabled)
                on.push_back(id);
        return on;
    }

    TempDir dir;
    std::unique_ptr<Menu> menu;
};

TEST_F(EditorMenus, TheResourcesHoldTheirPopupsAndCaptions)
{
    const char* popups[] = {"File", "Edit", "View", "Help"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(menu->ItemAt(i)->caption, std::string("&") + popups[i]);
    EXPECT_EQ(menu->FindItem(ID_VIEW_WORLD_TREE)->caption, "View World-Tree");
    EXPECT_EQ(menu->FindItem(ID_FILE_SAVE_WORLD_AS)->caption, "Save World As...");
    EXPECT_EQ(menu->FindItem(ID_APP_EXIT)->caption, "Exit");
    auto context = LoadMenuResource(186);
    ASSERT_TRUE(context && context->FindSubMenu("World"));
    EXPECT_TRUE(context->FindSubMenu("World")->FindItem(ID_WORLD_LIGHT_PROPERTIES));
    EXPECT_TRUE(LoadMenuResource(197));
    EXPECT_FALSE(LoadMenuResource(4242));
}

TEST_F(EditorMenus, EditItemsFollowTheView)
{
    const std::vector<uint32_t> selection = {ID_EDIT_CUT,
                                             ID_EDIT_COPY,
                                             ID_EDIT_DELETE,
                                             ID_EDIT_ADD_MACRO,
                                             ID_EDIT_SELECT_ALL,
                                             ID_EDIT_INVERSE_SELECTION,
                                             ID_EDIT_HIDE_SELECTION,
                                             ID_EDIT_SHOW_ALL,
                                             ID_EDIT_NO_SNAPPING};
    struct Case
    {
        ViewIndex view;
        std::vector<uint32_t> enabled;
    } cases[] = {
        {VIEW_PERSPECTIVE, selection},
        {VIEW_WORLD_GROUND, {ID_EDIT_DELETE, ID_EDIT_HIDE_SELECTION, ID_EDIT_SHOW_ALL}},
        {VIEW_MODEL_GROUND, {ID_EDIT_DELETE}},
        {VIEW_OBJECT_EDITOR, {}},
    };
    for (const Case& c : cases) {
        SelectView(c.view);
        EXPECT_EQ(Enabled(POPUP_EDIT, selection), c.enabled) << int(c.view);
    }
    SelectView(VIEW_PERSPECTIVE);
    SnappingMode = 2;
    Enabled(POPUP_EDIT, {});
    EXPECT_TRUE(menu->FindItem(ID_EDIT_SNAP_GRID_LEVEL)->checked);
    EXPECT_TRUE(OnEditorCommand(ID_EDIT_NO_SNAPPING));
    EXPECT_EQ(SnappingMode, 0);
    Enabled(POPUP_EDIT, {});
    EXPECT_FALSE(menu->FindItem(ID_EDIT_SNAP_GRID_LEVEL)->checked);
    EXPECT_TRUE(menu->FindItem(ID_EDIT_NO_SNAPPING)->checked);
    SnappingMode = 1;
}

TEST_F(EditorMenus, SavingNeedsANameAndTheViewTogglesCarryTheirWindowsState)
{
    const std::vector<uint32_t> named = {ID_FILE_SAVE_WORLD, ID_FILE_IMPORT_WORLD,
                                         ID_FILE_IMPORT_UPDATED_WORLD};
    EXPECT_TRUE(Enabled(POPUP_FILE, named).empty());
    CurrentWorldFile = "Level.wld";
    EXPECT_EQ(Enabled(POPUP_FILE, named), named);

    CreateToolWindows(nullptr);
    SelectView(VIEW_PERSPECTIVE);
    EXPECT_TRUE(OnEditorCommand(ID_VIEW_WORLD_TREE));
    EXPECT_TRUE(g_WorldTreeDlg->IsWindowVisible());
    EXPECT_TRUE(g_ShowWorldTree);
    const std::vector<uint32_t> toggles = {
        ID_VIEW_WORLD_TREE,      ID_VIEW_MODEL_LIST,       ID_VIEW_MODEL_TREE,       ID_VIEW_TEXTURE_LIST,
        ID_VIEW_TEXTURE_MANAGER, ID_VIEW_MATERIAL_MANAGER, ID_VIEW_OBJECT_PROPERTIES};
    EXPECT_EQ(Enabled(POPUP_VIEW, toggles),
              (std::vector<uint32_t>{ID_VIEW_WORLD_TREE, ID_VIEW_MODEL_LIST, ID_VIEW_OBJECT_PROPERTIES}));
    EXPECT_TRUE(menu->FindItem(ID_VIEW_WORLD_TREE)->checked);
    EXPECT_TRUE(menu->FindItem(ID_VIEW_PERSPECTIVE)->checked);
    SelectView(VIEW_WORLD_GROUND);
    EXPECT_EQ(Enabled(POPUP_VIEW, toggles), (std::vector<uint32_t>{ID_VIEW_MODEL_LIST}));
    EXPECT_TRUE(OnEditorCommand(ID_VIEW_WORLD_TREE));
    EXPECT_FALSE(g_WorldTreeDlg->IsWindowVisible());
    EXPECT_FALSE(g_ShowWorldTree);
    EXPECT_FALSE(OnEditorCommand(12345)); // not an editor command
}

TEST_F(EditorMenus, NewWorldAsksOnlyWhenThereIsSomethingToLose)
{
    // A question would take this Cancel and refuse.
    platform::QueueMessageBoxAnswer(platform::IDCANCEL);
    EXPECT_TRUE(NewWorld());
    platform::ClearMessageBoxAnswers();

    shelltest::AddInstance(g_WorldRoot, shelltest::AddTileEntry(1.0f), CVector(0, 0, 0));
    EXPECT_FALSE(NewWorld()); // nobody answers: Cancel keeps the world
    EXPECT_TRUE(g_WorldRoot->firstChild);

    platform::QueueMessageBoxAnswer(platform::IDOK);
    EXPECT_TRUE(NewWorld());
    EXPECT_FALSE(g_WorldRoot->firstChild);
    EXPECT_FALSE(g_ModelListRoot->firstChild);

    CurrentWorldFile = "Level.wld"; // a name alone is worth the question
    EXPECT_FALSE(NewWorld());
    EXPECT_EQ(CurrentWorldFile, "Level.wld");
}

TEST_F(EditorMenus, TheWorldContextMenuOffersSixtyAlternativesAndSwitchToReachesTheLast)
{
    CreateToolWindows(nullptr);
    SelectView(VIEW_PERSPECTIVE);
    auto entry = [](const std::string& name) {
        auto* e = new CModelEntry;
        e->SetName(name.c_str());
        g_ModelListRoot->AddChild(e);
        return e;
    };
    CModelEntry* plain = entry("Chair");
    std::vector<CModelEntry*> variants;
    for (int i = 1; i <= 61; ++i)
        variants.push_back(entry("Chair [v" + std::to_string(i) + "]"));
    CWorldObject* chair = shelltest::AddInstance(g_WorldRoot, plain, CVector(0, 0, 0));

    EXPECT_FALSE(OpenWorldContextMenu(10, 10)) << "no selection, no menu";
    chair->selected = 1;
    ASSERT_TRUE(OpenWorldContextMenu(10, 10));
    Menu* tracked = platform::ui::TrackedMenu();
    ASSERT_NE(tracked, nullptr);
    EXPECT_FALSE(tracked->FindItem(ID_WORLD_LIGHT_PROPERTIES)->enabled) << "no light selected";
    ASSERT_NE(tracked->FindItem(ID_WORLD_SWITCH_TO_LAST), nullptr);
    EXPECT_EQ(tracked->FindItem(ID_WORLD_SWITCH_TO_LAST)->caption, "Switch To 'v60'");
    EXPECT_EQ(tracked->FindItem(ID_WORLD_SWITCH_TO_LAST + 1), nullptr) << "more are not offered";

    EXPECT_TRUE(OnEditorCommand(ID_WORLD_SWITCH_TO_LAST));
    EXPECT_EQ(chair->reference, variants[59]);
    EXPECT_TRUE(OnEditorCommand(ID_WORLD_SWITCH_TO_ORIGINAL));
    EXPECT_EQ(chair->reference, plain);
    chair->selected = 0;
    EXPECT_TRUE(OnEditorCommand(ID_WORLD_SWITCH_TO_FIRST));
    EXPECT_EQ(chair->reference, plain) << "only the selection switches";
}

TEST_F(EditorMenus, DisplayTogglesFlipTheirFlagAndCarryACheckMark)
{
    SelectView(VIEW_PERSPECTIVE);
    struct Toggle
    {
        uint32_t id;
        uint8_t* flag;
    } toggles[] = {
        {ID_VIEW_BACKFACE_CULLING, &CullingFlag},
        {ID_VIEW_TEXTURES, &TexturesFlag},
        {ID_VIEW_LIGHTING, &LightingFlag},
        {ID_VIEW_SHADOW_MAPS, &ShadowDisplayFlag},
        {ID_VIEW_RENDER_INNER_GROUPS, &RenderInnerGroupsFlag},
        {ID_VIEW_LIGHTS, &EditorLightsFlag},
        {ID_VIEW_LIGHT_FLARES, &LightFlaresFlag},
        {ID_VIEW_LIGHT_OBJECTS, &LightObjectsFlag},
        {ID_VIEW_SUN, &SunLightFlag},
    };
    Menu& view = *menu->GetSubMenu(POPUP_VIEW);
    for (const Toggle& t : toggles) {
        const uint8_t before = *t.flag;
        EXPECT_TRUE(OnEditorCommand(t.id));
        EXPECT_NE(*t.flag, before) << t.id;
        OnEditorInitMenuPopup(view, POPUP_VIEW);
        EXPECT_EQ(view.FindItem(t.id)->checked, *t.flag != 0) << t.id;
        OnEditorCommand(t.id);
        EXPECT_EQ(*t.flag, before) << t.id;
    }
    // Fog: world views other than World Ground View only.
    EXPECT_TRUE(OnEditorCommand(ID_VIEW_FOG));
    EXPECT_TRUE(RenderCache.fog);
    SelectView(VIEW_WORLD_GROUND);
    OnEditorCommand(ID_VIEW_FOG);
    EXPECT_TRUE(RenderCache.fog);
    SelectView(VIEW_PERSPECTIVE);
    OnEditorCommand(ID_VIEW_FOG);
    EXPECT_FALSE(RenderCache.fog);
}

TEST_F(EditorMenus, CopyNeedsAWorldViewAndDeleteInWorldGroundViewKeepsTheObjects)
{
    CModelEntry* tile = shelltest::AddTileEntry(1.0f);
    CWorldObject* a = shelltest::AddInstance(g_WorldRoot, tile, CVector(0, 0, 0));
    a->selected = 1;
    SelectView(VIEW_MODEL);
    OnEditorCommand(ID_EDIT_COPY);
    EXPECT_TRUE(PasteBufferEmpty()) << "not in the model views";
    SelectView(VIEW_WORLD_GROUND);
    OnEditorCommand(ID_EDIT_COPY);
    EXPECT_TRUE(PasteBufferEmpty()) << "not in World Ground View";
    OnEditorCommand(ID_EDIT_DELETE);
    EXPECT_EQ(g_WorldRoot->FirstObject(), a);
    SelectView(VIEW_TOP);
    OnEditorCommand(ID_EDIT_CUT);
    EXPECT_FALSE(PasteBufferEmpty());
    EXPECT_EQ(g_WorldRoot->firstChild, nullptr);
    // A new world takes the buffer with it.
    platform::QueueMessageBoxAnswer(platform::IDOK);
    EXPECT_TRUE(NewWorld());
    EXPECT_TRUE(PasteBufferEmpty());
}

} // namespace
