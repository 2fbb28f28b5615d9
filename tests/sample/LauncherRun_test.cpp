// The launcher started headless in the sample installation after `setup`: its
// window shows the picture above the eight buttons, and a click on Play starts the
// game in the installation folder and closes the launcher.
#include "tests/sample/SampleTestUtil.h"

#include <chrono>
#include <thread>

namespace {

using namespace sampletest;

TEST(LauncherRun, ShowsThePictureAndButtonsAndPlayStartsTheGame)
{
    const fs::path dir = TempFolder("launcher_run");
    std::string output;
    ASSERT_TRUE(MakeSample(dir, &output)) << output;
    std::error_code ec;
    for (const auto& [from, to] :
         {std::pair<const char*, const char*>{LAUNCHER_PROGRAM, "launcher"}, {SETUP_PROGRAM, "setup"}}) {
        fs::copy_file(from, dir / to, fs::copy_options::overwrite_existing, ec);
        ASSERT_FALSE(ec) << to << ": " << ec.message();
    }
    // The game here is a stand-in that notes where and how it was started.
    std::ofstream(dir / "Varek") << "#!/bin/sh\necho \"$(pwd) $#\" > \"" << (dir / "played.txt").string()
                                 << "\"\n";
    fs::permissions(dir / "Varek", fs::perms::owner_all);
    const std::string env = "cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                            " XDG_RUNTIME_DIR=" + Quote(dir) + " LSAN_OPTIONS=detect_leaks=0 ";
    ASSERT_EQ(RunCommand(env + "./setup > setup.txt 2>&1"), 0) << ReadText(dir / "setup.txt");

    // Play: dialog units (7, 128), 259 x 14 wide; its middle in pixels.
    std::ofstream(dir / "script.txt") << "2 snapshot picture.bmp\n4 click left 204 219\n";
    const int rc = RunCommand(env + "VAREK_NONINTERACTIVE=1 VAREK_SNAPSHOTS=1 VAREK_INPUT_SCRIPT=script.txt"
                                    " ./launcher > output.txt 2>&1");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt");

    // The game starts detached: wait for its note.
    for (int i = 0; i < 100 && !fs::exists(dir / "played.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::string played = ReadText(dir / "played.txt");
    while (!played.empty() && played.back() == '\n')
        played.pop_back();
    EXPECT_EQ(played, fs::canonical(dir).string() + " 0") << ReadText(dir / "output.txt");

    // The picture (388 x 193 at dialog units 7, 7) above the buttons; kept for a look.
    for (const char* name : {"snapshot00001.bmp", "picture.bmp"}) {
        const std::vector<uint8_t> shot = ReadBytes(dir / name);
        int w = 0, h = 0;
        uint32_t rgb = 0;
        ASSERT_TRUE(BmpPixel(shot, 0, 0, &w, &h, &rgb)) << name;
        EXPECT_EQ(w, 409);
        EXPECT_EQ(h, 396);
        const SRegion picture = Mean(shot, 20, 20, 390, 200);
        EXPECT_GT(picture.distinct, 4) << name; // the street scene, not a plain face
        // Each button row differs from the dialog's face beside it (the caption text at least).
        const SRegion face = Mean(shot, 400, 300, 408, 390);
        for (int row = 0; row < 7; ++row) {
            const int y = (128 + 16 * row) * 13 / 8;
            const SRegion button = Mean(shot, 12, y + 2, 190, y + 20);
            EXPECT_GT(button.distinct, 1) << name << " row " << row;
            EXPECT_NE(int(button.r + button.g + button.b), int(face.r + face.g + face.b))
                << name << " row " << row;
        }
    }
    const fs::path kept = fs::path(::testing::TempDir()) / "launcher_snapshot.bmp";
    fs::copy_file(dir / "snapshot00001.bmp", kept, fs::copy_options::overwrite_existing, ec);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

} // namespace
