// One run of the game on the sample installation through its screens: the bar,
// the map, the inventory list, the options with their video, audio and game
// pages, the tutorial's page and the quit question. The log names no missing
// resource, no text key without its text and no sound missing from sounds.txt;
// the pictures are kept under the build folder's "test-artefacts" for a look.
// The editor build opens the level and saves it again unchanged.
#include "tests/sample/SampleTestUtil.h"

#include <utility>

namespace {

using namespace sampletest;

// Lines of the log that tell of something the installation lacks.
std::vector<std::string> MissingThings(const std::string& log)
{
    std::vector<std::string> found;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);)
        for (const char* sign : {"not found", "Unknown sound", "is not a readable picture", "cannot be read",
                                 "can't open", "cannot be opened", "Couldn't load"})
            if (line.find(sign) != std::string::npos) {
                found.push_back(line);
                break;
            }
    return found;
}

TEST(ScreensRun, EveryScreenFindsItsPicturesTextsAndSounds)
{
    const fs::path dir = TempFolder("screens_run");
    std::string output;
    ASSERT_TRUE(MakeSample(dir, &output)) << output;
    std::error_code ec;
    ASSERT_TRUE(JoinInstallation(dir, VAREK_PROGRAM, "Varek", ec)) << ec.message();

    // Options entries lie 0.14 apart from -0.7 (pixel 82 for the first); Esc leaves a page.
    std::ofstream(dir / "input.txt") << "20 snapshot bar.bmp\n"
                                        "21 move 32 434          # the bar's map button\n"
                                        "23 click left 32 434\n"
                                        "40 snapshot map.bmp\n"
                                        "43 click left 32 434\n"
                                        "55 move 598 434         # the backpack: the inventory list\n"
                                        "57 click left 598 434\n"
                                        "75 snapshot inventory.bmp\n"
                                        "76 key ESCAPE press\n"
                                        "95 key ESCAPE press     # the options\n"
                                        "115 snapshot options.bmp\n"
                                        "116 move 320 250\n"
                                        "118 click left 320 250  # game options\n"
                                        "135 snapshot game.bmp\n"
                                        "136 key ESCAPE press\n"
                                        "150 move 320 284\n"
                                        "152 click left 320 284  # video options\n"
                                        "170 snapshot video.bmp\n"
                                        "171 key ESCAPE press\n"
                                        "185 move 320 317\n"
                                        "187 click left 320 317  # audio options\n"
                                        "205 snapshot audio.bmp\n"
                                        "206 key ESCAPE press\n"
                                        "220 key ESCAPE press\n"
                                        "250 move 580 35         # the tutorial's emblem\n"
                                        "252 click left 580 35\n"
                                        "300 snapshot tutorial.bmp\n"
                                        "310 move 611 12\n"
                                        "312 click left 611 12\n"
                                        "325 key ESCAPE press\n"
                                        "341 move 320 384\n"
                                        "343 click left 320 384  # quit\n"
                                        "360 snapshot quit.bmp\n"
                                        "361 move 256 194\n"
                                        "363 click left 256 194  # yes\n";
    const int rc = RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                              " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_FIXED_STEP=1"
                              " VAREK_EXIT_AFTER_FRAMES=600 VAREK_INPUT_SCRIPT=input.txt"
                              " ./Varek -window -logging > output.txt 2>&1");
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_NE(log.find("Scripted run ended after "), std::string::npos) << "quit by the script's yes";
    EXPECT_NE(log.find("World loaded successfuly"), std::string::npos);
    const std::vector<std::string> missing = MissingThings(log);
    for (const std::string& line : missing)
        ADD_FAILURE() << line;

    const fs::path kept = fs::path(VAREK_ARTEFACT_DIR) / "screens";
    fs::create_directories(kept, ec);
    for (const char* shot : {"bar.bmp", "map.bmp", "inventory.bmp", "options.bmp", "game.bmp", "video.bmp",
                             "audio.bmp", "tutorial.bmp", "quit.bmp"}) {
        const std::vector<uint8_t> picture = ReadBytes(dir / shot);
        int w = 0, h = 0;
        uint32_t rgb = 0;
        EXPECT_TRUE(BmpPixel(picture, 0, 0, &w, &h, &rgb)) << shot;
        fs::copy_file(dir / shot, kept / shot, fs::copy_options::overwrite_existing, ec);
    }
    // Each screen shows something of its own: no two pictures alike.
    for (const auto& [a, b] : std::vector<std::pair<const char*, const char*>>{{"bar.bmp", "map.bmp"},
                                                                               {"options.bmp", "video.bmp"},
                                                                               {"video.bmp", "audio.bmp"},
                                                                               {"game.bmp", "audio.bmp"}})
        EXPECT_NE(ReadBytes(dir / a), ReadBytes(dir / b)) << a << " and " << b;
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

TEST(ScreensRun, TheEditorOpensTheLevelAndSavesItBackUnchanged)
{
    const fs::path dir = TempFolder("level_editor_run");
    ASSERT_NO_FATAL_FAILURE(MakeEditorInstallation(dir));
    const std::string before = DumpAfterFirstLine(dir, "Varek.wld");
    ASSERT_GT(before.size(), 1000u);
    const auto written = fs::last_write_time(dir / "Varek.wld");

    std::ofstream(dir / "script.txt") << "3 command 32825   # Save World\n"
                                         "6 command 32771   # Exit\n";
    const int rc = RunEditor(dir);
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_EQ(log.find("Save world failed!"), std::string::npos) << log;
    EXPECT_NE(fs::last_write_time(dir / "Varek.wld"), written) << "the editor wrote the level again";
    EXPECT_EQ(DumpAfterFirstLine(dir, "Varek.wld"), before);
    for (const std::string& line : MissingThings(log))
        ADD_FAILURE() << line;
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

} // namespace
