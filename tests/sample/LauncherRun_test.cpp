// The launcher started headless in the sample installation after `setup`: its
// window shows the picture above the eight buttons, and a click on Play starts the
// installation's game in its folder and closes the launcher without waiting for it.
#include "tests/sample/SampleTestUtil.h"

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include <signal.h>
#include <sys/types.h>

namespace {

using namespace sampletest;

// The sample installation with the built launcher, setup and game, set up by `setup`. The
// returned words go before a program's command in the folder: the settings of the run, which the
// game started from the launcher inherits.
std::string Install(const fs::path& dir)
{
    std::string output;
    EXPECT_TRUE(MakeSample(dir, &output)) << output;
    std::error_code ec;
    for (const auto& [from, to] : {std::pair<const char*, const char*>{LAUNCHER_PROGRAM, "launcher"},
                                   {SETUP_PROGRAM, "setup"},
                                   {VAREK_PROGRAM, "Varek"}}) {
        EXPECT_TRUE(JoinInstallation(dir, from, to, ec)) << to << ": " << ec.message();
    }
    const std::string vars = "env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                             " XDG_RUNTIME_DIR=" + Quote(dir) +
                             " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 ";
    EXPECT_EQ(RunCommand("cd " + Quote(dir) + " && " + vars + "./setup > setup.txt 2>&1"), 0)
        << ReadText(dir / "setup.txt");
    return vars;
}

// The game ran to its end: it wrote the autosave as it left.
bool WaitForTheGamesEnd(const fs::path& dir)
{
    const fs::path save = dir / "Savegame" / "game000.gam";
    for (int i = 0; i < 3000 && !fs::exists(save); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return fs::exists(save);
}

TEST(LauncherRun, ShowsThePictureAndButtonsAndPlayStartsTheGame)
{
    const fs::path dir = TempFolder("launcher_run");
    const std::string env = "cd " + Quote(dir) + " && " + Install(dir);
    ASSERT_FALSE(::testing::Test::HasFailure());

    // The picture first, in a run of its own: the game a Play starts reads the same switches
    // and script as the launcher, and would take its snapshots too.
    std::ofstream(dir / "look.txt") << "2 snapshot picture.bmp\n3 quit\n";
    ASSERT_EQ(RunCommand(env + "VAREK_SNAPSHOTS=1 VAREK_INPUT_SCRIPT=look.txt ./launcher > look.out 2>&1"), 0)
        << ReadText(dir / "look.out");

    // Play: dialog units (7, 128), 259 x 14 wide; its middle in pixels. The game runs 60 fixed
    // steps and leaves.
    std::ofstream(dir / "script.txt") << "4 click left 204 219\n";
    const int rc =
        RunCommand(env + "VAREK_FIXED_STEP=1 VAREK_EXIT_AFTER_FRAMES=60 VAREK_INPUT_SCRIPT=script.txt"
                         " ./launcher > output.txt 2>&1");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt");
    EXPECT_FALSE(fs::exists(dir / "Savegame" / "game000.gam")) << "the launcher did not wait for the game";
    // The game started in the installation folder: its autosave and settings land there.
    ASSERT_TRUE(WaitForTheGamesEnd(dir)) << ReadText(dir / "output.txt");
    EXPECT_TRUE(fs::exists(dir / "config" / "varek" / "user.reg"));

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
    std::error_code ec;
    fs::create_directories(fs::path(VAREK_ARTEFACT_DIR) / "screens", ec);
    const fs::path kept = fs::path(VAREK_ARTEFACT_DIR) / "screens" / "launcher.bmp";
    fs::copy_file(dir / "snapshot00001.bmp", kept, fs::copy_options::overwrite_existing, ec);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

// One launcher at a time, as programs: a second one ends at once with 0 and opens no
// window; the first killed leaves the way free; Play does not wait for the game, and
// the game it started holds no lock.
TEST(LauncherRun, ASecondLauncherEndsAtOnceAndTheGameItStartsHoldsNoLock)
{
    const fs::path dir = TempFolder("launcher_once");
    const std::string vars = Install(dir);
    const std::string env = "cd " + Quote(dir) + " && " + vars;
    ASSERT_FALSE(::testing::Test::HasFailure());
    auto waitFor = [](const fs::path& file) {
        for (int i = 0; i < 500 && !fs::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return fs::exists(file);
    };

    // The first runs until it is killed.
    std::ofstream(dir / "first.txt") << "1 snapshot first.bmp\n1000000 quit\n";
    // env runs the launcher in its own process: $! is the launcher.
    ASSERT_EQ(RunCommand("cd " + Quote(dir) + " && (" + vars +
                         "VAREK_SNAPSHOTS=1 VAREK_INPUT_SCRIPT=first.txt ./launcher > first.out 2>&1 & "
                         "echo $! > first.pid)"),
              0);
    ASSERT_TRUE(waitFor(dir / "first.bmp")) << ReadText(dir / "first.out");
    std::ofstream(dir / "second.txt") << "1 snapshot second.bmp\n2 quit\n";
    EXPECT_EQ(
        RunCommand(env + "VAREK_SNAPSHOTS=1 VAREK_INPUT_SCRIPT=second.txt ./launcher > second.out 2>&1"), 0);
    EXPECT_FALSE(fs::exists(dir / "second.bmp")) << "no window while the first runs";
    const pid_t first = pid_t(std::stol(ReadText(dir / "first.pid")));
    ASSERT_GT(first, 0);
    ::kill(first, SIGKILL);
    for (int i = 0; i < 250 && ::kill(first, 0) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));

    // After it, a new one opens; Play starts the game, which runs its 150 fixed steps after the
    // launcher has ended. (The game reads the launcher's script too: its click lands in the street.)
    std::ofstream(dir / "third.txt") << "3 click left 204 219\n";
    EXPECT_EQ(RunCommand(env + "VAREK_FIXED_STEP=1 VAREK_EXIT_AFTER_FRAMES=150 VAREK_INPUT_SCRIPT=third.txt"
                               " ./launcher > third.out 2>&1"),
              0);
    const fs::path save = dir / "Savegame" / "game000.gam";
    EXPECT_FALSE(fs::exists(save)) << "the launcher did not wait for the game";
    // The game runs and holds no lock: a launcher opens beside it, while the game has not yet
    // written the autosave it leaves with.
    std::ofstream(dir / "fourth.txt") << "1 snapshot fourth.bmp\n2 quit\n";
    EXPECT_EQ(
        RunCommand(env + "VAREK_SNAPSHOTS=1 VAREK_INPUT_SCRIPT=fourth.txt ./launcher > fourth.out 2>&1"), 0);
    EXPECT_TRUE(fs::exists(dir / "fourth.bmp")) << ReadText(dir / "fourth.out");
    EXPECT_FALSE(fs::exists(save)) << "the game ended before the fourth launcher";
    EXPECT_TRUE(WaitForTheGamesEnd(dir)) << ReadText(dir / "third.out");
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

} // namespace
