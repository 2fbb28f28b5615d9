// The editor menu: its states when a pop-up opens, "New World"'s question, the
// View toggles and the snapping marks.
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/EditorMenus.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/EditorEditing.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/win/MessageBox.h"
#include "tests/app/ShellWorld.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

TEST_F(EditorMenus, CutDeleteAndEscapeKeepTheWorldTreeInStepWithTheWorld)
{
    CreateToolWindows(nullptr);
    SelectView(VIEW_PERSPECTIVE);
    CModelEntry* tile = shelltest::AddTileEntry(1.0f);
    CWorldObject* a = shelltest::AddInstance(g_WorldRoot, tile, CVector(0, 0, 0));
    CWorldObject* b = shelltest::AddInstance(g_WorldRoot, tile, CVector(2, 0, 0));
    RefillWorldTree();
    CEditorTree& tree = g_WorldTreeDlg->tree;
    const HTREEITEM itemA = a->id, itemB = b->id;
    ASSERT_TRUE(tree.ItemExists(itemA) && tree.ItemExists(itemB));

    a->selected = 1;
    OnEditorCommand(ID_EDIT_CUT);
    EXPECT_FALSE(tree.ItemExists(itemA)) << "the cut node has left the tree";
    ASSERT_TRUE(tree.ItemExists(b->id));
    b->selected = 1;
    OnEditorCommand(ID_EDIT_DELETE);
    EXPECT_EQ(tree.GetCount(), 1u) << "only the world's own item is left";

    // Esc: the buffer emptied and the Model Tree's caret taken away.
    g_ModelTreeDlg->tree.InsertItemFirst("model", 0);
    g_ModelTreeDlg->tree.SelectItem(g_ModelTreeDlg->tree.GetRootItem());
    ASSERT_NE(g_ModelTreeDlg->tree.TreeCtrl::GetSelectedItem(), 0u);
    ClearEditorSelection();
    RefreshTreesAfterEscape();
    EXPECT_TRUE(PasteBufferEmpty());
    EXPECT_EQ(g_ModelTreeDlg->tree.TreeCtrl::GetSelectedItem(), 0u);
}

TEST_F(EditorMenus, TheCameraCommandsRecordShowRangeAndDeleteTheCurrentModelsCamera)
{
    const std::vector<uint32_t> camera = {ID_EDIT_RECORD_CAMERA, ID_EDIT_SET_CAMERA_RANGE,
                                          ID_EDIT_SHOW_CAMERA, ID_EDIT_DELETE_CAMERA};
    CModelEntry* tile = shelltest::AddTileEntry(1.0f);
    SelectView(VIEW_MODEL);
    OnEditorCommand(ID_EDIT_RECORD_CAMERA);
    EXPECT_EQ(tile->camera, nullptr) << "no current model: nothing to record into";
    EXPECT_EQ(Enabled(POPUP_EDIT, camera), std::vector<uint32_t>{ID_EDIT_RECORD_CAMERA});

    CurrentModel = tile;
    CCameraView& view = *CurrentView;
    view.yaw = 1.0f;
    view.pitch = 0.5f;
    view.target[0] = 1, view.target[1] = 2, view.target[2] = 3;
    const CVector eye = ViewEye(view);
    OnEditorCommand(ID_EDIT_RECORD_CAMERA);
    ASSERT_NE(tile->camera, nullptr);
    EXPECT_FLOAT_EQ(std::bit_cast<float>(tile->camera->word9), 0.3f);
    EXPECT_FLOAT_EQ(std::bit_cast<float>(tile->camera->word10), 0.5f);
    EXPECT_EQ(Enabled(POPUP_EDIT, camera), camera);
    SelectView(VIEW_PERSPECTIVE);
    EXPECT_TRUE(Enabled(POPUP_EDIT, camera).empty()) << "only in Model View";
    SelectView(VIEW_MODEL);

    // Show Camera puts the view's eye back where it was recorded, at the view's own zoom.
    view.yaw = view.pitch = 0;
    view.target[0] = view.target[1] = view.target[2] = 0;
    view.zoom = 6;
    OnEditorCommand(ID_EDIT_SHOW_CAMERA);
    EXPECT_FLOAT_EQ(view.yaw, 1.0f);
    EXPECT_FLOAT_EQ(view.pitch, 0.5f);
    const CVector shown = ViewEye(view);
    EXPECT_NEAR(shown.x, eye.x, 1e-4f);
    EXPECT_NEAR(shown.y, eye.y, 1e-4f);
    EXPECT_NEAR(shown.z, eye.z, 1e-4f);

    // The range dialog refuses 1001 and stays open; the next answer is taken.
    platform::ui::QueueDialogAnswer({CameraRangeDlg::IDD,
                                     {{CameraRangeDlg::kInner, "2"}, {CameraRangeDlg::kOuter, "1001"}},
                                     platform::ui::IDOK});
    platform::ui::QueueDialogAnswer({CameraRangeDlg::IDD,
                                     {{CameraRangeDlg::kInner, "2"}, {CameraRangeDlg::kOuter, "40"}},
                                     platform::ui::IDOK});
    OnEditorCommand(ID_EDIT_SET_CAMERA_RANGE);
    EXPECT_FLOAT_EQ(std::bit_cast<float>(tile->camera->word9), 2.0f);
    EXPECT_FLOAT_EQ(std::bit_cast<float>(tile->camera->word10), 40.0f);

    OnEditorCommand(ID_EDIT_DELETE_CAMERA);
    EXPECT_EQ(tile->camera, nullptr);
    EXPECT_EQ(Enabled(POPUP_EDIT, camera), std::vector<uint32_t>{ID_EDIT_RECORD_CAMERA});
    CurrentModel = nullptr;
}

TEST_F(EditorMenus, AccumulateTexturesCopiesEveryTextureFileAsRifBesideTheWorld)
{
    namespace fs = std::filesystem;
    imgImage image;
    ASSERT_EQ(1, image.allocate(4, 4, FMT_RGB_888));
    std::fill(image.pixels, image.pixels + image.imageSize, uint8_t(90));
    const fs::path source = dir.path / "art" / "Brick.tif";
    fs::create_directories(source.parent_path());
    ASSERT_EQ(1, image.save(source.string().c_str()));
    auto* brick = new CTexture("Brick");
    brick->sourcePath = source.string();
    auto* lost = new CTexture("Lost");
    lost->sourcePath = (dir.path / "art" / "Lost.tif").string();
    auto* unnamed = new CTexture;
    const uint8_t logging = 1;
    const fs::path logPath = dir.path / "log.txt";
    LogPrintfSetTarget(&logging, logPath.c_str());
    auto logLines = [&] {
        std::vector<std::string> lines;
        std::ifstream in(logPath);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    };

    OnEditorCommand(ID_FILE_ACCUMULATE_TEXTURES);
    EXPECT_TRUE(logLines().empty()) << "an unnamed world has no folder to copy into";
    CurrentWorldFile = (dir.path / "level" / "Town.wld").string();
    fs::create_directories(dir.path / "level");
    OnEditorCommand(ID_FILE_ACCUMULATE_TEXTURES);
    LogPrintfSetTarget(nullptr, nullptr);
    const std::vector<std::string> lines = logLines();

    imgImage copy;
    ASSERT_EQ(1, copy.load((dir.path / "level" / "Textures" / "Brick.rif").string().c_str()));
    EXPECT_EQ(copy.width, 4);
    const std::string expected = "Copying '" + source.string() + "' to '" +
                                 (dir.path / "level" / "Textures" / "Brick.rif").string() + "'";
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Copying '" + lost->sourcePath + "' failed"),
              lines.end());
    EXPECT_FALSE(fs::exists(dir.path / "level" / "Textures" / "Lost.rif"));
    delete unnamed;
    delete lost;
    delete brick;
}

} // namespace
