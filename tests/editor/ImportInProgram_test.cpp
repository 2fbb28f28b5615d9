// The importers in the running editor, in process: an OBJ file named as the
// world on the command line comes in through the start-up's fallback, and
// the same file dropped on the main window comes in once more.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "platform/win/Window.h"

namespace fs = std::filesystem;

namespace {

int CountEntries(const char* name)
{
    int n = 0;
    for (CModelEntry* e = g_ModelListRoot ? g_ModelListRoot->FirstEntry() : nullptr; e;
         e = static_cast<CModelEntry*>(e->GetNext()))
        if (std::string(e->GetName()) == name && e->model && e->model->triangleCount == 2)
            ++n;
    return n;
}

TEST(ImportInProgram, AnObjOnTheCommandLineAndDroppedOnTheWindow)
{
    const fs::path cwd = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / ("varek_import_program_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "data");
    std::ofstream(dir / "data" / "dialogs_eng_demo.txt") << "RULO2 = Varek Test\n";
    std::ofstream(dir / "Crate.obj") << "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\n"
                                        "g crate\nf 1//1 2//1 3//1 4//1\n";
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    fs::current_path(dir);

    InstallSubsystems();
    InstallWindowDrawing();
    GameModeFlag = 0;
    const char* argv[] = {"Varek", "-window", "Crate.obj"};
    {
        CGameApp app(3, argv);
        app.exitAfterFrames = 3;
        ASSERT_TRUE(app.InitInstance());
        ASSERT_TRUE(MainWindow);
        EXPECT_EQ(CountEntries("Crate"), 1) << "the start-up imports the file named as the world";

        platform::Message drop;
        drop.hwnd = MainWindow;
        drop.message = platform::WM_DROPFILES;
        drop.files = {(dir / "Crate.obj").string()};
        MainWindow->WindowProc(drop);
        EXPECT_EQ(CountEntries("Crate"), 2) << "the dropped file is imported again";

        while (platform::PumpMessages())
            app.OnIdle(0);
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    GameModeFlag = 1;
    fs::current_path(cwd);
    fs::remove_all(dir);
}

} // namespace
