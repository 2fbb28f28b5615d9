// The tool-window frame: placement and show values in the registry, close box,
// Enter and Esc, the View toggles and which windows each editor view shows.
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "platform/win/Registry.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using platform::HKEY_CURRENT_USER;

class ToolWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", (dir.path / "config").c_str(), 1);
        setenv("VAREK_NONINTERACTIVE", "1", 1);
    }
    void TearDown() override { DestroyToolWindows(); }

    static uint32_t Stored(const char* name, uint32_t fallback = 0xDEAD)
    {
        return RegReadDword(HKEY_CURRENT_USER, SettingsKey, name, fallback);
    }

    TempDir dir;
};

std::vector<CToolWindow*> Framed()
{
    return {g_ModelTreeDlg,        g_WorldTreeDlg,      g_ModelListDlg,
            g_TextureListDlg,      g_TextureManagerDlg, g_MaterialManagerDlg,
            g_ObjectPropertiesDlg, g_TaskListDlg,       g_DependencyListDlg};
}

TEST_F(ToolWindows, FirstStartPlacesSizeableWindowsAtTheOriginAndShowsNone)
{
    CreateToolWindows(nullptr);
    ASSERT_TRUE(g_TerrainProperties);
    EXPECT_FALSE(g_TerrainProperties->IsWindowVisible());
    for (CToolWindow* w : Framed()) {
        ASSERT_TRUE(w);
        EXPECT_FALSE(w->IsWindowVisible()) << w->ClassName();
        const platform::RECT r = w->GetWindowRect();
        EXPECT_EQ(r.left, 0) << w->ClassName();
        EXPECT_EQ(r.top, 0) << w->ClassName();
        if (w->Sizeable()) {
            EXPECT_EQ(r.right - r.left, 150) << w->ClassName();
            EXPECT_EQ(r.bottom - r.top, 300) << w->ClassName();
        }
    }
    // Nothing is written before the windows are destroyed.
    EXPECT_EQ(Stored("WorldTreeDlg-X"), 0xDEADu);
}

TEST_F(ToolWindows, PlacementAndShowFlagsSurviveARestart)
{
    CreateToolWindows(nullptr);
    g_WorldTreeDlg->SetWindowPos(-40, 25, 180, 260, platform::ui::SWP_NOZORDER);
    g_TextureManagerDlg->SetWindowPos(300, 12, 999, 999, platform::ui::SWP_NOSIZE);
    ToggleToolWindow(g_WorldTreeDlg);
    ToggleToolWindow(g_ModelListDlg);
    // The close box hides and clears the flag; the window object stays.
    g_ModelListDlg->CloseBox();
    EXPECT_TRUE(g_ModelListDlg->IsWindow());
    EXPECT_FALSE(g_ModelListDlg->IsWindowVisible());
    DestroyToolWindows();

    const std::pair<const char*, uint32_t> stored[] = {
        {"WorldTreeDlg-X", uint32_t(-40)}, {"WorldTreeDlg-Y", 25},      {"WorldTreeDlg-W", 180},
        {"WorldTreeDlg-H", 260},           {"ShowWorldTree", 1},        {"ShowModelList", 0},
        {"TextureManagerDlg-X", 300},      {"TextureManagerDlg-Y", 12},
    };
    for (const auto& [name, value] : stored)
        EXPECT_EQ(Stored(name), value) << name;
    // Fixed-size windows store no size; the dependency list has no show value.
    EXPECT_EQ(Stored("TextureManagerDlg-W"), 0xDEADu);
    EXPECT_EQ(Stored("ShowDependencyList"), 0xDEADu);
    EXPECT_EQ(Stored("DependencyListDlg-H"), 300u);

    g_ShowWorldTree = g_ShowModelList = false;
    CreateToolWindows(nullptr);
    EXPECT_TRUE(g_ShowWorldTree);
    EXPECT_FALSE(g_ShowModelList);
    const platform::RECT r = g_WorldTreeDlg->GetWindowRect();
    EXPECT_EQ(r.left, -40); // off-screen places are kept, not clamped
    EXPECT_EQ(r.bottom - r.top, 260);
    // A set flag alone shows nothing: the view decides.
    EXPECT_FALSE(g_WorldTreeDlg->IsWindowVisible());
    ShowToolWindowsForView(VIEW_PERSPECTIVE);
    EXPECT_TRUE(g_WorldTreeDlg->IsWindowVisible());
    EXPECT_FALSE(g_ModelListDlg->IsWindowVisible());
}

TEST_F(ToolWindows, EnterAndEscLeaveAToolWindowOpenAndTogglesTakeNoFocus)
{
    CreateToolWindows(nullptr);
    ToggleToolWindow(g_TaskListDlg);
    EXPECT_TRUE(g_ShowTaskList);
    EXPECT_FALSE(g_TaskListDlg->HasFocus());
    for (int key : {platform::VK_RETURN, platform::VK_ESCAPE}) {
        g_TaskListDlg->PressKey(key);
        EXPECT_TRUE(g_TaskListDlg->IsWindowVisible()) << key;
    }
    // The terrain window keeps the standard handling: either key hides it.
    g_TerrainProperties->ShowWindow(platform::SW_SHOW);
    g_TerrainProperties->PressKey(platform::VK_ESCAPE);
    EXPECT_FALSE(g_TerrainProperties->IsWindowVisible());
    ToggleToolWindow(g_TaskListDlg);
    EXPECT_FALSE(g_TaskListDlg->IsWindowVisible());
    EXPECT_FALSE(g_ShowTaskList);
}

TEST_F(ToolWindows, EachViewShowsTheWindowsItUsesWhoseFlagIsSet)
{
    CreateToolWindows(nullptr);
    g_ShowModelTree = g_ShowWorldTree = g_ShowModelList = g_ShowTextureList = g_ShowTextureManager =
        g_ShowMaterialManager = g_ShowObjectProperties = g_ShowTaskList = true;
    struct Case
    {
        ViewIndex view;
        // model list, world tree, model tree, texture list, texture manager, material manager,
        // object properties, task list
        std::vector<bool> shown;
    } cases[] = {
        {VIEW_GAME, {false, false, false, false, false, false, false, false}},
        {VIEW_TOP, {true, true, false, false, false, false, true, true}},
        {VIEW_PERSPECTIVE, {true, true, false, false, false, false, true, true}},
        {VIEW_WORLD_GROUND, {false, false, false, false, false, false, false, false}},
        {VIEW_MODEL, {true, false, true, true, true, true, false, false}},
        {VIEW_MODEL_GROUND, {true, false, true, false, false, false, false, false}},
        {VIEW_OBJECT_EDITOR, {true, false, false, false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        ShowToolWindowsForView(c.view);
        const std::vector<bool> shown = {
            g_ModelListDlg->IsWindowVisible(),        g_WorldTreeDlg->IsWindowVisible(),
            g_ModelTreeDlg->IsWindowVisible(),        g_TextureListDlg->IsWindowVisible(),
            g_TextureManagerDlg->IsWindowVisible(),   g_MaterialManagerDlg->IsWindowVisible(),
            g_ObjectPropertiesDlg->IsWindowVisible(), g_TaskListDlg->IsWindowVisible()};
        EXPECT_EQ(shown, c.shown) << int(c.view);
    }
    // Without the task list's flag the object properties come alone.
    g_ShowTaskList = false;
    ShowToolWindowsForView(VIEW_PERSPECTIVE);
    EXPECT_TRUE(g_ObjectPropertiesDlg->IsWindowVisible());
    EXPECT_FALSE(g_TaskListDlg->IsWindowVisible());
    EXPECT_FALSE(g_DependencyListDlg->IsWindowVisible());
}

} // namespace
