// Files dropped on the running editor through its input script, in process: a model file joins the
// model list, which Ctrl+S saves with the world; a picture still becomes a texture.

#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/Image/imgImage.h"
#include "tests/app/ShellWorld.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(DroppedFiles, AModelFileJoinsTheSavedModelListAndAPictureBecomesATexture)
{
    fs::path cwd;
    const fs::path dir = shelltest::EnterRunFolder("varek_shell_drop", &cwd);
    fs::create_directories(dir / "drops");

    InstallSubsystems();
    InstallWindowDrawing();
    ASSERT_TRUE(shelltest::SaveTileWorld(dir / "Level.wld"));
    fs::remove(dir / "Level.bak");
    std::unique_ptr<CRootNode> crate(shelltest::MakeTileModel(0.5f));
    ASSERT_TRUE(crate && crate->Save((dir / "drops" / "Crate.tmf").c_str()));
    imgImage wood;
    wood.allocate(16, 16, FMT_BGRA_8888, ORIGIN_TOP_LEFT);
    ASSERT_EQ(wood.save((dir / "drops" / "wood.bmp").c_str()), 1);
    // Dropped as a person drops them, then Ctrl+S.
    std::ofstream(dir / "drops.txt") << "1 drop drops/Crate.tmf\n"
                                        "2 drop drops/wood.bmp\n"
                                        "3 key CONTROL down\n"
                                        "3 key S press\n"
                                        "3 key CONTROL up\n";
    ::setenv("VAREK_INPUT_SCRIPT", (dir / "drops.txt").c_str(), 1);

    GameModeFlag = 0;
    const char* argv[] = {"Varek", "-window", "-logging", "Level.wld"};
    {
        CGameApp app(4, argv);
        app.exitAfterFrames = 6;
        ASSERT_TRUE(app.InitInstance());
        while (platform::PumpMessages())
            app.OnIdle(0);
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    ::unsetenv("VAREK_INPUT_SCRIPT");
    GameModeFlag = 1;
    fs::current_path(cwd);

    const std::string log = ReadText(dir / "log.txt");
    const size_t model = log.find("Dropped file '" + (dir / "drops" / "Crate.tmf").string() + "'");
    const size_t picture = log.find("Dropped file '" + (dir / "drops" / "wood.bmp").string() + "'");
    ASSERT_NE(model, std::string::npos) << log;
    ASSERT_NE(picture, std::string::npos) << log;
    EXPECT_EQ(log.find("Cannot import the model file '" + (dir / "drops" / "Crate.tmf").string()),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("for '" + (dir / "drops" / "wood.bmp").string() + "'", picture), std::string::npos)
        << "the picture is loaded as a texture\n"
        << log;
    EXPECT_NE(log.find("Saving '", picture), std::string::npos) << log;

    // The import made the model's folder current; the save still goes to the opened world's file.
    EXPECT_FALSE(fs::exists(dir / "drops" / "Level.wld"));
    EXPECT_TRUE(fs::exists(dir / "Level.bak"));
    // The saved world's model list holds the dropped model beside the tile.
    const std::string dump = (dir / "dump.txt").string();
    const int status = std::system(
        ("'" VAREK_TOOL_PATH "' world dump '" + (dir / "Level.wld").string() + "' > '" + dump + "' 2>&1")
            .c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadText(dump);
    const std::string listing = ReadText(dump);
    EXPECT_NE(listing.find("\"Tile\""), std::string::npos) << listing;
    EXPECT_NE(listing.find("\"Crate\""), std::string::npos) << listing << log;
    EXPECT_EQ(listing.find("\"wood\""), std::string::npos) << listing;
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

} // namespace
