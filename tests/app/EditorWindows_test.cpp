// The editor's windows in the running program, in process: the menu bar is the
// editor menu, a View toggle shows its window without taking the keys from the
// 3-D view, a click on a tool window goes to the window and not to the view, and
// shut-down destroys the windows and stores their placement.
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/EditorMenus.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "platform/ui/Ui.h"
#include "tests/app/ShellWorld.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Runs frames until `done` holds or the frames run out.
template <class Done>
bool RunFrames(CGameApp& app, int frames, Done done)
{
    for (int i = 0; i < frames; ++i) {
        if (!platform::PumpMessages())
            return false;
        app.OnIdle(0);
        if (done())
            return true;
    }
    return done();
}

TEST(EditorWindows, TogglesLeaveTheKeysToTheViewAndToolWindowsTakeTheirClicks)
{
    fs::path cwd;
    const fs::path dir = shelltest::EnterRunFolder("varek_editor_windows", &cwd);
    InstallSubsystems();
    InstallWindowDrawing();
    CreateWorldRoots();
    ClearWorld();
    shelltest::AddInstance(g_WorldRoot, shelltest::AddTileEntry(1.0f), CVector(0, 0, 0));
    ASSERT_TRUE(SaveWorld((dir / "Level.wld").c_str()));
    ClearWorld();

    GameModeFlag = 0;
    const char* argv[] = {"VarekEdit", "-window", "Level.wld"};
    {
        CGameApp app(3, argv);
        ASSERT_TRUE(app.InitInstance());
        ASSERT_TRUE(g_WorldTreeDlg);
        EXPECT_EQ(platform::ui::GetMenu(MainWindow), EditorMenu);
        EXPECT_FALSE(g_WorldTreeDlg->IsWindowVisible());

        ASSERT_TRUE(platform::ui::ChooseMenuItem(MainWindow, ID_VIEW_WORLD_TREE));
        EXPECT_TRUE(g_WorldTreeDlg->IsWindowVisible());
        // The next time the pop-up opens it carries the check mark.
        MainWindow->SendMessage(platform::WM_INITMENUPOPUP,
                                platform::WPARAM(EditorMenu->GetSubMenu(POPUP_VIEW)), POPUP_VIEW);
        EXPECT_TRUE(EditorMenu->FindItem(ID_VIEW_WORLD_TREE)->checked);
        // A greyed item is not chosen: World Ground View greys the World Tree's toggle.
        platform::QueueKeyInput(platform::VK_F1 + 4, true);
        platform::QueueKeyInput(platform::VK_F1 + 4, false);
        EXPECT_TRUE(RunFrames(app, 10, [] { return CurrentViewIndex() == VIEW_WORLD_GROUND; }));
        EXPECT_FALSE(g_WorldTreeDlg->IsWindowVisible()); // this view does not use it
        EXPECT_FALSE(platform::ui::ChooseMenuItem(MainWindow, ID_VIEW_WORLD_TREE));
        EXPECT_TRUE(g_ShowWorldTree);

        platform::QueueKeyInput(platform::VK_F4, true);
        platform::QueueKeyInput(platform::VK_F4, false);
        EXPECT_TRUE(RunFrames(app, 10, [] { return CurrentViewIndex() == VIEW_PERSPECTIVE; }));
        EXPECT_TRUE(g_WorldTreeDlg->IsWindowVisible());

        // An Alt press on the tool window is the window's, not the view's: no orbit starts.
        g_WorldTreeDlg->SetWindowPos(100, 60, 150, 300, platform::ui::SWP_NOZORDER);
        RunFrames(app, 2, [] { return false; });
        platform::QueueKeyInput(platform::VK_MENU, true);
        platform::QueueMouseButton(nullptr, platform::MouseButton::Left, true, 1, 170, 200);
        RunFrames(app, 3, [] { return false; });
        EXPECT_EQ(EditorDrag.mode, DRAG_NONE);
        EXPECT_TRUE(g_WorldTreeDlg->HasFocus());
        platform::QueueMouseButton(nullptr, platform::MouseButton::Left, false, 1, 170, 200);
        platform::QueueKeyInput(platform::VK_MENU, false);
        // The same press beside it is the view's.
        platform::QueueKeyInput(platform::VK_MENU, true);
        platform::QueueMouseButton(nullptr, platform::MouseButton::Left, true, 1, 400, 200);
        RunFrames(app, 3, [] { return false; });
        EXPECT_EQ(EditorDrag.mode, DRAG_ORBIT);
        EXPECT_FALSE(g_WorldTreeDlg->HasFocus());
        platform::QueueMouseButton(nullptr, platform::MouseButton::Left, false, 1, 400, 200);
        platform::QueueKeyInput(platform::VK_MENU, false);
        platform::QueueMouseButton(nullptr, platform::MouseButton::Left, true, 1, 170, 200);
        platform::QueueMouseButton(nullptr, platform::MouseButton::Left, false, 1, 170, 200);
        RunFrames(app, 3, [] { return false; });
        EXPECT_TRUE(g_WorldTreeDlg->HasFocus());
        // Esc now goes to the window, which stays open.
        platform::QueueKeyInput(platform::VK_ESCAPE, true);
        platform::QueueKeyInput(platform::VK_ESCAPE, false);
        RunFrames(app, 3, [] { return false; });
        EXPECT_TRUE(g_WorldTreeDlg->IsWindowVisible());

        ASSERT_TRUE(platform::ui::ChooseMenuItem(MainWindow, ID_APP_EXIT));
        EXPECT_FALSE(platform::PumpMessages());
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    GameModeFlag = 1;
    EXPECT_EQ(g_WorldTreeDlg, nullptr);
    EXPECT_EQ(EditorMenu, nullptr);
    EXPECT_EQ(RegReadDword(platform::HKEY_CURRENT_USER, SettingsKey, "WorldTreeDlg-X", 0), 100u);
    EXPECT_EQ(RegReadDword(platform::HKEY_CURRENT_USER, SettingsKey, "ShowWorldTree", 0), 1u);
    fs::current_path(cwd);
    fs::remove_all(dir);
}

} // namespace
