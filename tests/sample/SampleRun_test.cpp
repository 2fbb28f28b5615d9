// The game program started on the sample installation, headless, with fixed
// steps and a snapshot of every frame: it draws the street block from the game camera and leaves by
// itself; its log names no missing resource or texture.
#include "tests/sample/SampleAutosave.h"
#include "tests/sample/SampleTestUtil.h"

#include "tests/app/FirstStartLog.h"

#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

namespace {

using namespace sampletest;

class SampleRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = TempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::string output;
        ASSERT_TRUE(MakeSample(dir, &output)) << output;
        // The program reads its resources beside itself: it joins the installation.
        std::error_code ec;
        ASSERT_TRUE(JoinInstallation(dir, VAREK_PROGRAM, "Varek", ec)) << ec.message();
    }
    void TearDown() override
    {
        if (!HasFailure())
            fs::remove_all(dir);
    }

    int Start(int frames, const std::string& env = "VAREK_SNAPSHOTS=all", const std::string& switches = "")
    {
        // The program's own leak check belongs to its own tests.
        return RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                          " LSAN_OPTIONS=detect_leaks=0 VAREK_EXIT_AFTER_FRAMES=" + std::to_string(frames) +
                          " VAREK_FIXED_STEP=1 " + env + " ./Varek -window -logging " + switches +
                          " > output.txt 2>&1");
    }

    fs::path dir;
};

// The pixels of the hero's blue clothes.
int HeroPixels(const std::vector<uint8_t>& shot)
{
    int w = 0, h = 0, count = 0;
    uint32_t rgb = 0;
    if (!BmpPixel(shot, 0, 0, &w, &h, &rgb))
        return 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (BmpPixel(shot, x, y, &w, &h, &rgb)) {
                const int r = int(rgb >> 16), g = int((rgb >> 8) & 0xFF), b = int(rgb & 0xFF);
                count += b > r + 30 && b > g + 30;
            }
    return count;
}

TEST_F(SampleRun, DrawsTheStreetBlockFromTheGameCameraAndLoadsEverything)
{
    // The game frames after the intro movie fade in from white for 400 ms (ten
    // frames of 40 ms); the last frame is past the fade.
    constexpr int kFrames = 14;
    ASSERT_EQ(Start(kFrames), 0) << ReadText(dir / "output.txt");
    char name[32];
    std::snprintf(name, sizeof name, "snapshot%05d.bmp", kFrames - 1);
    const std::vector<uint8_t> shot = ReadBytes(dir / name);
    int w = 0, h = 0;
    uint32_t rgb = 0;
    ASSERT_TRUE(BmpPixel(shot, 0, 0, &w, &h, &rgb)) << name;
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);

    // The camera stands behind the hero on the pavement and looks down the street: the hero in
    // the middle, the textured road on the right, the grass verge and a lit house on the left.
    // The HUD bar covers the bottom from y 390: the regions stay above it.
    const SRegion hero = Mean(shot, 290, 250, 340, 320);
    EXPECT_GT(hero.b, hero.r + 30) << "the hero's blue clothes";
    EXPECT_GT(hero.b, hero.g + 30);
    EXPECT_GT(HeroPixels(shot), 2000);
    const SRegion road = Mean(shot, 450, 200, 630, 385);
    EXPECT_LT(road.r, 110);
    EXPECT_NEAR(road.r, road.b, 20);
    EXPECT_NEAR(road.g, road.b, 20);
    EXPECT_GT(road.distinct, 8) << "the asphalt is textured";
    const SRegion pavement = Mean(shot, 220, 340, 280, 385);
    EXPECT_GT(pavement.r, 120);
    EXPECT_NEAR(pavement.r, pavement.b, 25);
    const SRegion house = Mean(shot, 0, 20, 120, 200);
    EXPECT_GT(house.distinct, 40);
    EXPECT_GT(house.r, 150) << "lit walls, not shadow";
    const SRegion verge = Mean(shot, 20, 300, 180, 385);
    EXPECT_GT(verge.g, verge.r + 20);
    EXPECT_GT(verge.g, verge.b + 20);

    const std::string log = ReadText(dir / "log.txt");
    EXPECT_NE(log.find("World loaded successfuly"), std::string::npos) << log;
    // The load built the street network of the road's eight pieces.
    EXPECT_NE(log.find("starting street traversal"), std::string::npos) << log;
    EXPECT_NE(log.find("(found 8 elements"), std::string::npos) << log;
    for (const char* failure : {"not found", "Couldn't load", "not a readable picture", "could not be loaded",
                                "No appropriate texture-format", "ILLEGAL INDICES", "Damaged"})
        EXPECT_EQ(log.find(failure), std::string::npos) << failure << "\n" << log;
    // Once the world is loaded the game starts: its reset, then navigation and the objects in their
    // order; the sample's connections are two-way.
    size_t at = log.find("World loaded successfuly");
    for (const std::string& line : kFirstStartLogLines) {
        ASSERT_NE(at, std::string::npos);
        at = log.find(line, at);
        EXPECT_NE(at, std::string::npos) << "missing or out of order: " << line;
    }
    EXPECT_EQ(log.find("Missing connection (repaired)"), std::string::npos);
}

// A stored window size no window can have (a damaged or hand-edited settings file) neither ends
// the start nor squeezes the picture: the defaults take its place and are what is written back.
TEST_F(SampleRun, OutOfRangeWindowSettingsStartWithTheDefaultsAndAreMended)
{
    fs::create_directories(dir / "config" / "varek");
    const fs::path reg = dir / "config" / "varek" / "user.reg";
    std::ofstream(reg) << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\TuvSoftware\\TheVarek! Demo\\Settings]\n"
                          "\"MainWnd-W\"=dword:7fffffff\n\"MainWnd-H\"=dword:fffffffb\n";
    ASSERT_EQ(Start(2), 0) << ReadText(dir / "output.txt");
    const std::vector<uint8_t> shot = ReadBytes(dir / "snapshot00001.bmp");
    int w = 0, h = 0;
    uint32_t rgb = 0;
    ASSERT_TRUE(BmpPixel(shot, 0, 0, &w, &h, &rgb));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    const std::string log = ReadText(dir / "log.txt");
    EXPECT_NE(log.find("Stored window placement out of range (MainWnd-W 2147483647, MainWnd-H -5)"),
              std::string::npos)
        << log;
    const std::string stored = ReadText(reg);
    EXPECT_EQ(stored.find("7fffffff"), std::string::npos) << stored;
    EXPECT_EQ(stored.find("fffffffb"), std::string::npos) << stored;
    EXPECT_NE(stored.find("\"MainWnd-W\"=dword:00000280"), std::string::npos) << stored;
    EXPECT_NE(stored.find("\"MainWnd-H\"=dword:000001e0"), std::string::npos) << stored;
}

bool Asphalt(const std::vector<uint8_t>& bmp, int x, int y)
{
    int w = 0, h = 0;
    uint32_t rgb = 0;
    if (!BmpPixel(bmp, x, y, &w, &h, &rgb))
        return false;
    const int r = int(rgb >> 16), g = int((rgb >> 8) & 0xFF), b = int(rgb & 0xFF);
    return std::max({r, g, b}) < 120 && std::abs(r - b) < 25 && std::abs(g - b) < 25;
}

// The longest span of asphalt on a picture row.
std::pair<int, int> LongestAsphalt(const std::vector<uint8_t>& bmp, int y)
{
    std::pair<int, int> best{0, -1};
    for (int x = 0; x < 640;) {
        if (!Asphalt(bmp, x, y)) {
            ++x;
            continue;
        }
        int end = x;
        while (end + 1 < 640 && Asphalt(bmp, end + 1, y))
            ++end;
        if (end - x > best.second - best.first)
            best = {x, end};
        x = end + 1;
    }
    return best;
}

TEST_F(SampleRun, TheWheelOfAScriptZoomsTheGameCameraByItsSteps)
{
    std::ofstream(dir / "zoom.txt")
        << "# three notches towards the street, after the intro's white fade\n15 wheel 3\n";
    ASSERT_EQ(Start(23, "VAREK_SNAPSHOTS=14,22 VAREK_INPUT_SCRIPT=zoom.txt"), 0)
        << ReadText(dir / "output.txt");
    const std::vector<uint8_t> before = ReadBytes(dir / "snapshot00014.bmp");
    const std::vector<uint8_t> after = ReadBytes(dir / "snapshot00022.bmp");
    ASSERT_FALSE(before.empty());
    ASSERT_FALSE(after.empty());
    EXPECT_FALSE(fs::exists(dir / "snapshot00015.bmp")) << "only the chosen frames";

    // The camera follows the hero from behind; three notches bring it nearer, so the hero fills
    // a good deal more of the picture.
    const int heroBefore = HeroPixels(before);
    const int heroAfter = HeroPixels(after);
    EXPECT_GT(heroBefore, 2000);
    EXPECT_GT(double(heroAfter), 1.4 * double(heroBefore)) << heroBefore << " -> " << heroAfter;

    // A normal run: it ended by itself, with the game's fake recording off throughout.
    const std::string log = ReadText(dir / "log.txt");
    EXPECT_NE(log.find("World loaded successfuly"), std::string::npos) << log;
    EXPECT_NE(log.find("Scripted run ended after 23 frames; fake recording was on in 0"), std::string::npos)
        << log;
}

// While the world loads the game shows the loading screen: with fixed steps every chunk takes 40 ms
// of the loading screen's clock and it redraws every third chunk, so its frame N shows the load at
// N x 120 ms. Past 1 s picture 594, between 3 and 4 s none, past 7 s picture 598, each centred
// across the screen with its top at 20 percent of the height; the progress bar below. Then the street.
TEST_F(SampleRun, ShowsTheLoadingScreenWhileTheWorldLoadsThenTheStreet)
{
    ASSERT_EQ(Start(14, "VAREK_SNAPSHOTS=L0,L10,L30,L60,13"), 0) << ReadText(dir / "output.txt");
    std::vector<std::vector<uint8_t>> loading;
    for (const char* name :
         {"loading00000.bmp", "loading00010.bmp", "loading00030.bmp", "loading00060.bmp"}) {
        loading.push_back(ReadBytes(dir / name));
        int w = 0, h = 0;
        uint32_t rgb = 0;
        ASSERT_TRUE(BmpPixel(loading.back(), 0, 0, &w, &h, &rgb)) << name;
        ASSERT_EQ(w, 640);
        ASSERT_EQ(h, 480);
    }
    // The sample's loading pictures are 256 x 192: x 192..448, y 96..288 on a 640 x 480 screen.
    const int x0 = 192, x1 = 448, y0 = 96, y1 = 288;
    for (size_t i = 0; i < loading.size(); ++i) {
        SCOPED_TRACE(i);
        const bool picture = i == 1 || i == 3;
        const SRegion inside = Mean(loading[i], x0 + 2, y0 + 2, x1 - 2, y1 - 2);
        EXPECT_EQ(inside.distinct > 40, picture);
        EXPECT_EQ(Mean(loading[i], 0, 0, 640, y0 - 2).distinct, 1) << "black above the picture";
        EXPECT_EQ(Mean(loading[i], 0, y0, x0 - 2, y1).distinct, 1) << "black left of the picture";
        EXPECT_EQ(Mean(loading[i], x1 + 2, y0, 640, y1).distinct, 1) << "black right of the picture";
        EXPECT_GT(Mean(loading[i], x0, y1 + 20, x1, y1 + 44).distinct, 1) << "the progress bar";
    }
    EXPECT_NE(Mean(loading[1], x0, y0, x1, y1).r, Mean(loading[3], x0, y0, x1, y1).r)
        << "two different pictures";

    const std::vector<uint8_t> street = ReadBytes(dir / "snapshot00013.bmp");
    EXPECT_GT(HeroPixels(street), 2000) << "the hero on the street";
    EXPECT_GT(Mean(street, 450, 200, 630, 460).distinct, 8) << "the textured road";

    // The load's steps in their order.
    const std::string log = ReadText(dir / "log.txt");
    size_t at = 0;
    for (const char* step : {"Reading Texture-Pages...", "Reading Model-List...", "Reading Object-List...",
                             "Reading World-Tree...", "Resetting ids...", "Recreate anim-infos...",
                             "Recreate task-lists...", "World loaded successfuly"}) {
        const size_t found = log.find(step, at);
        EXPECT_NE(found, std::string::npos) << "missing or out of order: " << step << "\n" << log;
        if (found != std::string::npos)
            at = found;
    }
    // The objects' task lists resolve against the world without a warning.
    const size_t tasks = log.find("Recreate task-lists..."), loaded = log.find("World loaded successfuly");
    ASSERT_NE(tasks, std::string::npos);
    ASSERT_NE(loaded, std::string::npos);
    EXPECT_EQ(log.substr(tasks, loaded - tasks).find("WARNING"), std::string::npos) << log;
}

// The intro movie plays before the first game frame: its end starts the fade from white that the
// first game frames show. Without the movie the game fades in from black.
TEST_F(SampleRun, TheIntroPlaysBeforeTheFirstGameFrameWhichFadesInFromWhite)
{
    ASSERT_EQ(Start(14, "VAREK_SNAPSHOTS=0,5,13"), 0) << ReadText(dir / "output.txt");
    const SRegion first = Mean(ReadBytes(dir / "snapshot00000.bmp"), 0, 0, 640, 480);
    const SRegion half = Mean(ReadBytes(dir / "snapshot00005.bmp"), 0, 0, 640, 480);
    const SRegion street = Mean(ReadBytes(dir / "snapshot00013.bmp"), 0, 0, 640, 480);
    EXPECT_GT(first.r, 240);
    EXPECT_GT(first.g, 240);
    EXPECT_GT(first.b, 240);
    EXPECT_LT(half.g, first.g);
    EXPECT_GT(half.g, street.g);
    EXPECT_LT(street.g, 160);

    for (const auto& movie : fs::directory_iterator(dir / "movies"))
        if (movie.path().filename().string().rfind("movie0.", 0) == 0)
            fs::remove(movie.path());
    // Without the movie the game's own start fades in from black over the same 400 ms.
    ASSERT_EQ(Start(14, "VAREK_SNAPSHOTS=0,5,13"), 0) << ReadText(dir / "output.txt");
    const SRegion black = Mean(ReadBytes(dir / "snapshot00000.bmp"), 0, 0, 640, 480);
    const SRegion rising = Mean(ReadBytes(dir / "snapshot00005.bmp"), 0, 0, 640, 480);
    const SRegion shown = Mean(ReadBytes(dir / "snapshot00013.bmp"), 0, 0, 640, 480);
    EXPECT_LT(black.g, 8);
    EXPECT_GT(rising.g, black.g);
    EXPECT_LT(rising.g, shown.g);
    EXPECT_NEAR(shown.g, street.g, 4);
}

// A script of mouse moves, presses, a wheel turn and keys gives the same pictures every run.
TEST_F(SampleRun, TheSameScriptTwiceGivesTheSamePictures)
{
    std::ofstream(dir / "input.txt") << "11 move 320 240\n"
                                        "12 down left 320 240\n"
                                        "13 move 400 260\n"
                                        "14 up left 400 260\n"
                                        "15 wheel 2\n"
                                        "16 key LEFT down\n"
                                        "19 key LEFT up\n"
                                        "20 click right 100 100\n";
    std::vector<std::vector<std::vector<uint8_t>>> runs;
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(Start(24, "VAREK_SNAPSHOTS=all VAREK_INPUT_SCRIPT=input.txt"), 0)
            << ReadText(dir / "output.txt");
        runs.emplace_back();
        for (int frame = 0; frame < 24; ++frame) {
            char name[32];
            std::snprintf(name, sizeof name, "snapshot%05d.bmp", frame);
            runs.back().push_back(ReadBytes(dir / name));
            ASSERT_FALSE(runs.back().back().empty()) << name;
            fs::remove(dir / name);
        }
    }
    for (int frame = 0; frame < 24; ++frame)
        EXPECT_TRUE(runs[0][size_t(frame)] == runs[1][size_t(frame)]) << "frame " << frame;
    EXPECT_FALSE(runs[0][14] == runs[0][23]) << "the wheel and the keys moved the camera";
}

// The program reads the installation's sound definitions at start-up: the sample's file gives no
// message, lines spoiled afterwards give theirs. With NOSOUND the file is not even read.
TEST_F(SampleRun, ReadsTheSoundDefinitionsUnlessStartedWithNoSound)
{
    ASSERT_EQ(Start(2, ""), 0) << ReadText(dir / "output.txt");
    std::string log = ReadText(dir / "log.txt");
    for (const char* message : {"komma expexted", "no valid group specifyer"})
        EXPECT_EQ(log.find(message), std::string::npos) << log;

    const fs::path definitions = dir / "data" / "sounds.txt";
    std::string text = ReadText(definitions);
    int lines = int(std::count(text.begin(), text.end(), '\n'));
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
        ++lines;
    }
    text += "LONELY = lonely.wav\nODD_GROUP = door1.wav, FX, , 1, \n";
    std::ofstream(definitions, std::ios::binary) << text;
    ASSERT_EQ(Start(2, ""), 0) << ReadText(dir / "output.txt");
    log = ReadText(dir / "log.txt");
    EXPECT_NE(log.find("sounds.txt line " + std::to_string(lines + 1) + ", komma expexted"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("sound.txt line " + std::to_string(lines + 2) + ": no valid group specifyer"),
              std::string::npos)
        << log;

    ASSERT_EQ(Start(2, "", "-NOSOUND"), 0) << ReadText(dir / "output.txt");
    log = ReadText(dir / "log.txt");
    EXPECT_NE(log.find("World loaded successfuly"), std::string::npos) << log;
    EXPECT_EQ(log.find("komma expexted"), std::string::npos) << log;
    EXPECT_EQ(log.find("no valid group specifyer"), std::string::npos) << log;
}

} // namespace

namespace {

// Pixels of the emblem's amber plaque in a region of a picture.
int AmberPixels(const std::vector<uint8_t>& bmp, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            int w = 0, h = 0;
            uint32_t rgb = 0;
            if (BmpPixel(bmp, x, y, &w, &h, &rgb) && ((rgb >> 16) & 0xFF) > 180 &&
                ((rgb >> 8) & 0xFF) > 120 && (rgb & 0xFF) < 120)
                ++n;
        }
    return n;
}

} // namespace

// The tutorial starts with the game: its emblem drops in at the right edge; a click on it slides
// the panel open and the frame shows page 1 over the street; the close button hides the page.
TEST_F(SampleRun, TheTutorialEmblemOpensThePageOverTheViewAndItsCloseButtonHidesIt)
{
    // 250 frames of 40 ms: the emblem has had its 8 seconds to drop in. The maximised frame's
    // close button sits at the top right of the frame.
    std::ofstream(dir / "input.txt") << "250 move 580 35\n"
                                        "251 snapshot emblem.bmp\n"
                                        "252 click left 580 35\n"
                                        "300 snapshot open.bmp\n"
                                        "310 move 611 12\n"
                                        "312 click left 611 12\n"
                                        "320 snapshot closed.bmp\n";
    ASSERT_EQ(Start(322, "VAREK_SNAPSHOTS=5 VAREK_INPUT_SCRIPT=input.txt"), 0)
        << ReadText(dir / "output.txt");
    const std::vector<uint8_t> early = ReadBytes(dir / "snapshot00005.bmp");
    const std::vector<uint8_t> emblem = ReadBytes(dir / "emblem.bmp");
    const std::vector<uint8_t> open = ReadBytes(dir / "open.bmp");
    const std::vector<uint8_t> closed = ReadBytes(dir / "closed.bmp");
    ASSERT_FALSE(early.empty() || emblem.empty() || open.empty() || closed.empty());

    EXPECT_EQ(AmberPixels(early, 540, 0, 640, 100), 0) << "still above the screen";
    EXPECT_GT(AmberPixels(emblem, 540, 0, 640, 100), 30) << "hanging at the right edge";

    // Page 1's background colour (#1C2A3A) below its table, inside the frame's page area.
    const SRegion page = Mean(open, 30, 366, 200, 390);
    EXPECT_EQ(page.distinct, 1);
    EXPECT_NEAR(page.r, 0x1C, 2);
    EXPECT_NEAR(page.g, 0x2A, 2);
    EXPECT_NEAR(page.b, 0x3A, 2);
    const SRegion heading = Mean(open, 180, 60, 380, 120);
    EXPECT_GT(heading.distinct, 4) << "the heading's letters";

    const SRegion after = Mean(closed, 30, 366, 200, 390);
    EXPECT_GT(after.distinct, 4) << "the street again";
    const std::string log = ReadText(dir / "log.txt");
    EXPECT_EQ(log.find("page cannot be read"), std::string::npos) << log;
}

// Esc after the intro opens the options screen over the game; its "Quit" asks in a message box
// over the frozen view, and yes fades out, plays the closing movie and ends the program by itself.
TEST_F(SampleRun, QuitFromTheOptionsScreenAsksFirstAndThenEndsTheProgram)
{
    // "Quit" is the last of the main page's ten entries; yes is the box's left button.
    std::ofstream(dir / "input.txt") << "20 key ESCAPE press\n"
                                        "40 snapshot options.bmp\n"
                                        "41 move 320 384\n"
                                        "43 click left 320 384\n"
                                        "60 snapshot box.bmp\n"
                                        "61 move 256 194\n"
                                        "63 click left 256 194\n";
    ASSERT_EQ(Start(200, "VAREK_SNAPSHOTS=19 VAREK_INPUT_SCRIPT=input.txt"), 0)
        << ReadText(dir / "output.txt");
    const std::vector<uint8_t> before = ReadBytes(dir / "snapshot00019.bmp");
    const std::vector<uint8_t> options = ReadBytes(dir / "options.bmp");
    const std::vector<uint8_t> box = ReadBytes(dir / "box.bmp");
    ASSERT_FALSE(before.empty() || options.empty() || box.empty());

    // The main page's yellow entries in the frame, where the street showed none.
    EXPECT_EQ(AmberPixels(before, 200, 370, 440, 400), 0);
    EXPECT_GT(AmberPixels(options, 280, 370, 360, 400), 40) << "Quit";
    EXPECT_GT(AmberPixels(options, 240, 70, 400, 100), 40) << "New game";
    // The box's question in its place, the options gone.
    EXPECT_GT(AmberPixels(box, 180, 120, 460, 170), 60);
    EXPECT_EQ(AmberPixels(box, 280, 370, 360, 400), 0);
    // Outside both screens the frozen view stays as it was.
    const SRegion optionsCorner = Mean(options, 520, 300, 640, 480);
    const SRegion boxCorner = Mean(box, 520, 300, 640, 480);
    EXPECT_NEAR(optionsCorner.r, boxCorner.r, 1);
    EXPECT_NEAR(optionsCorner.g, boxCorner.g, 1);
    EXPECT_NEAR(optionsCorner.b, boxCorner.b, 1);

    // Esc in the street saved the temporary game before the options opened.
    const std::vector<uint8_t> temp = ReadBytes(dir / "data" / "~TempGame.tmp");
    ASSERT_GE(temp.size(), 8u);
    EXPECT_EQ(std::string(temp.begin(), temp.begin() + 4), "GAME");

    // Ended by itself, long before the frame limit.
    const std::string log = ReadText(dir / "log.txt");
    const size_t ended = log.find("Scripted run ended after ");
    ASSERT_NE(ended, std::string::npos) << log;
    EXPECT_LT(std::atoi(log.c_str() + ended + 25), 100) << log.substr(ended, 60);
}

// The view tool draws the sample world lit, as the game's first frames do: the world's texture
// pages on the game's device states, the sun and the ambient light over the walk fog's colour (the
// tool drew it black before). A relative --snapshot lands in the folder the tool was started in,
// not in the world's. Its camera starts as the game's on the same world, so after the same
// number of frames it shows the road, the kerbs and the houses where the game's snapshot has them.
TEST_F(SampleRun, TheViewToolDrawsTheLitStreetIntoTheFolderItStartedIn)
{
    constexpr int kFrames = 14;
    ASSERT_EQ(Start(kFrames, "VAREK_SNAPSHOTS=13"), 0) << ReadText(dir / "output.txt");
    const std::vector<uint8_t> game = ReadBytes(dir / "snapshot00013.bmp");
    const fs::path elsewhere = dir / "elsewhere";
    fs::create_directories(elsewhere);
    const int rc = RunCommand("cd " + Quote(elsewhere) +
                              " && LSAN_OPTIONS=detect_leaks=0 '" VAREK_TOOL_PATH
                              "' world view ../Varek.wld --frames 14 --snapshot out.bmp > view.txt 2>&1");
    ASSERT_EQ(rc, 0) << ReadText(elsewhere / "view.txt");
    EXPECT_FALSE(fs::exists(dir / "out.bmp"));
    const std::vector<uint8_t> tool = ReadBytes(elsewhere / "out.bmp");
    int w = 0, h = 0;
    uint32_t rgb = 0;
    ASSERT_TRUE(BmpPixel(tool, 0, 0, &w, &h, &rgb)) << ReadText(elsewhere / "view.txt");
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    ASSERT_TRUE(BmpPixel(game, 0, 0, &w, &h, &rgb));

    // The road on the right of the hero, the kerb's paving, lighter than the asphalt, on its left;
    // in both pictures at nearly the same places (the game's HUD bar covers its bottom rows, the
    // getaway car the road's upper rows).
    for (int y : {290, 320, 350}) {
        const auto [left, right] = LongestAsphalt(tool, y);
        const int gameLeft = LongestAsphalt(game, y).first;
        EXPECT_GT(left, 320) << y;
        EXPECT_NEAR(left, gameLeft, 30) << y;
        EXPECT_GT(right - left, 100) << y;
        const SRegion road = Mean(tool, left + 10, y - 5, right - 10, y + 5);
        const SRegion paving = Mean(tool, left - 40, y - 5, left - 10, y + 5);
        EXPECT_GT(paving.r, road.r + 30) << y;
        EXPECT_NEAR(paving.r, paving.b, 25) << y;
    }
    // The getaway car waits on the road where the burglary starts, in both.
    auto redPixels = [](const std::vector<uint8_t>& shot) {
        int n = 0, width = 0, height = 0;
        uint32_t c = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 320; x < 640; ++x)
                if (BmpPixel(shot, x, y, &width, &height, &c))
                    n += (c >> 16) > 150 && ((c >> 8) & 0xFF) < 60 && (c & 0xFF) < 60;
        return n;
    };
    EXPECT_GT(redPixels(tool), 5000);
    EXPECT_GT(redPixels(game), 5000);
    // The lit house front on the left, in both.
    for (const std::vector<uint8_t>* shot : {&tool, &game}) {
        const SRegion house = Mean(*shot, 0, 20, 120, 200);
        EXPECT_GT(house.distinct, 40);
        EXPECT_GT(house.r, 150) << "lit walls, not shadow";
    }
    EXPECT_GT(HeroPixels(tool), 2000) << "the camera stands behind the hero";
}

// The tool's --input steers its camera as the game's input does: three wheel notches bring it
// nearer to the hero; a right-button drag turns it. A bad line ends the command before it draws.
TEST_F(SampleRun, TheViewToolsInputScriptSteersItsCamera)
{
    auto view = [&](const std::string& args, const char* picture) {
        return RunCommand("cd " + Quote(dir) +
                          " && LSAN_OPTIONS=detect_leaks=0 '" VAREK_TOOL_PATH "' view Varek.wld --snapshot " +
                          picture + " " + args + " > view.txt 2>&1");
    };
    std::ofstream(dir / "zoom.txt") << "5 wheel 3\n";
    std::ofstream(dir / "turn.txt") << "2 down right 320 240\n3 move 380 240\n4 move 440 240\n"
                                       "5 move 500 240\n9 up right 500 240\n";
    ASSERT_EQ(view("--frames 14", "plain.bmp"), 0) << ReadText(dir / "view.txt");
    ASSERT_EQ(view("--frames 14 --input zoom.txt", "zoom.bmp"), 0) << ReadText(dir / "view.txt");
    ASSERT_EQ(view("--frames 14 --input turn.txt", "turn.bmp"), 0) << ReadText(dir / "view.txt");
    const std::vector<uint8_t> plain = ReadBytes(dir / "plain.bmp"), zoom = ReadBytes(dir / "zoom.bmp"),
                               turn = ReadBytes(dir / "turn.bmp");
    const int heroPlain = HeroPixels(plain), heroZoom = HeroPixels(zoom);
    EXPECT_GT(heroPlain, 2000);
    EXPECT_GT(double(heroZoom), 1.4 * double(heroPlain)) << heroPlain << " -> " << heroZoom;
    // Turned round the hero: the road no longer runs up the picture on its right but crosses it.
    const auto [left, right] = LongestAsphalt(plain, 250);
    const auto [turnLeft, turnRight] = LongestAsphalt(turn, 250);
    EXPECT_GT(left, 320);
    EXPECT_LT(turnLeft, left - 200) << left << "-" << right << " / " << turnLeft << "-" << turnRight;

    // Without --frames the tool draws up to the script's last frame.
    ASSERT_EQ(view("--input zoom.txt", "last.bmp"), 0) << ReadText(dir / "view.txt");
    EXPECT_NE(ReadText(dir / "view.txt").find(": 6 frames"), std::string::npos) << ReadText(dir / "view.txt");

    std::ofstream(dir / "bad.txt") << "1 wheel 3\n2 jump 4\n";
    EXPECT_EQ(view("--input bad.txt", "bad.bmp"), 1);
    EXPECT_NE(ReadText(dir / "view.txt").find("bad.txt(2): unknown verb 'jump'"), std::string::npos)
        << ReadText(dir / "view.txt");
    EXPECT_FALSE(fs::exists(dir / "bad.bmp"));
}

// The autosave the program writes as it ends goes through varek-tool: read and written again as it
// stands it comes back byte for byte; loaded into the game on the same world and saved again it
// differs only where the game recomputes positions and the camera. A plan naming a member the world
// does not have is refused with exit code 2 and the reason.
TEST_F(SampleRun, TheAutosaveSurvivesTheToolsRoundTripsAndAPlanOfNobodyIsRefused)
{
    ASSERT_EQ(Start(14), 0) << ReadText(dir / "output.txt");
    const fs::path save = dir / "Savegame" / "game000.gam";
    ASSERT_TRUE(fs::exists(save)) << ReadText(dir / "log.txt");
    // Titled with the sample's text of "AUTOSAVE", it loads back with the new game's cash and level.
    std::string caption;
    ASSERT_TRUE(ReadSaveInfo(save.string(), caption, nullptr));
    EXPECT_EQ(caption.rfind("Autosave\n(", 0), 0u) << caption;
    Cash = 0;
    BurglaryLevel = 0;
    ASSERT_TRUE(LoadWorldAndSave(dir, save));
    EXPECT_EQ(Cash, 15);
    EXPECT_EQ(BurglaryLevel, 1);
    ClearWorld();
    auto tool = [&](const std::string& args, const char* output) {
        return RunCommand("cd " + Quote(dir) + " && LSAN_OPTIONS=detect_leaks=0 '" VAREK_TOOL_PATH "' " +
                          args + " > " + output + " 2>&1");
    };
    ASSERT_EQ(tool("game roundtrip Savegame/game000.gam file.gam", "tool.txt"), 0)
        << ReadText(dir / "tool.txt");
    EXPECT_EQ(ReadBytes(dir / "file.gam"), ReadBytes(save));
    ASSERT_EQ(tool("game roundtrip Savegame/game000.gam game.gam --world Varek.wld", "tool.txt"), 0)
        << ReadText(dir / "tool.txt");

    ASSERT_EQ(tool("game dump Savegame/game000.gam --world Varek.wld", "before.txt"), 0)
        << ReadText(dir / "before.txt");
    ASSERT_EQ(tool("game dump game.gam --world Varek.wld", "after.txt"), 0) << ReadText(dir / "after.txt");
    auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        std::stringstream in(text);
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    };
    const std::string before = ReadText(dir / "before.txt");
    const std::vector<std::string> a = lines(before), b = lines(ReadText(dir / "after.txt"));
    ASSERT_EQ(a.size(), b.size()) << before;
    for (size_t i = 1; i < a.size(); ++i)
        if (a[i] != b[i]) {
            const bool recomputed = a[i].rfind("  position ", 0) == 0 || a[i].rfind("  eye ", 0) == 0 ||
                                    a[i].rfind("  look-at ", 0) == 0 || a[i].rfind("  view ", 0) == 0 ||
                                    a[i].rfind("  eye offset ", 0) == 0 || a[i].rfind("  zoom ", 0) == 0;
            EXPECT_TRUE(recomputed) << a[i] << "\n" << b[i];
        }
    // The objects carry the world's names.
    for (const char* name : {"\"Hero\"", "\"Door_Left\"", "\"Window_Right\"", "task 11 \"Hero\""})
        EXPECT_NE(before.find(name), std::string::npos) << name << "\n" << before;
    // The sample's objects carry no recorder ids: a plan member of any number names nobody.
    const uint32_t stranger = 999;

    // A plan of one member the world does not have.
    std::vector<uint8_t> plan;
    auto id = [&](const char* text) { plan.insert(plan.end(), text, text + 4); };
    auto word = [&](uint32_t v, bool bigEndian = false) {
        for (int i = 0; i < 4; ++i)
            plan.push_back(uint8_t(v >> (bigEndian ? 24 - 8 * i : 8 * i)));
    };
    id("BURG");
    word(0);
    id("INFO");
    word(16, true);
    word(1);
    id("Nemo");
    word(0);
    word(0);
    id("HEAD");
    // Version 2, burglary 1, no end time, no car, one member without tools or task list.
    word(4 * 14, true);
    for (uint32_t v : {2u, 1u, 0u, 0u, 1u, stranger, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u})
        word(v);
    id("EOF ");
    word(0);
    std::ofstream(dir / "stranger.pln", std::ios::binary)
        .write(reinterpret_cast<const char*>(plan.data()), std::streamsize(plan.size()));
    ASSERT_EQ(tool("plan dump stranger.pln", "plan.txt"), 0) << ReadText(dir / "plan.txt");
    for (const char* game : {"", " --game Savegame/game000.gam"}) {
        EXPECT_EQ(
            tool(std::string("plan roundtrip stranger.pln out.pln --world Varek.wld") + game, "plan.txt"), 2)
            << ReadText(dir / "plan.txt");
        EXPECT_NE(ReadText(dir / "plan.txt").find("refused: ERROR_LOADING_PLAN_UNKNOWNERROR"),
                  std::string::npos)
            << ReadText(dir / "plan.txt");
        EXPECT_FALSE(fs::exists(dir / "out.pln"));
    }
}

// The town's passer-by walks up the pavement and turns to the street; a click on the pavement
// ahead of the hero walks it there. The autosave written at the exit holds both where they ended.
TEST_F(SampleRun, ThePasserByWalksAndTurnsAndAClickOnThePavementWalksTheHero)
{
    // The probe logs the ground point the click orders the walk to.
    std::ofstream(dir / "script.txt") << "16 probe 265 125\n16 click left 265 125\n";
    ASSERT_EQ(Start(110, "VAREK_SNAPSHOTS=13,100 VAREK_INPUT_SCRIPT=script.txt"), 0)
        << ReadText(dir / "output.txt");
    const std::string log = ReadText(dir / "log.txt");
    for (const char* failure :
         {"Warning: task skipped", "WARNING: Character could not be initialized correctly."})
        EXPECT_EQ(log.find(failure), std::string::npos) << failure << "\n" << log;

    // The stage hand's "Fog" item starts a second into the game and closes the fog in to 2.5 over
    // two seconds, turning it dark blue: the far end of the street, drawn in the first picture
    // after the fade, is left to the cleared fog colour once the far plane has come in.
    const SRegion far = Mean(ReadBytes(dir / "snapshot00013.bmp"), 380, 0, 620, 8);
    EXPECT_GT(far.r, 60) << "the grey street, not the fog";
    EXPECT_NEAR(far.r, far.b, 25);
    // Right of the accomplice, who stands on the pavement ahead by then.
    const SRegion closed = Mean(ReadBytes(dir / "snapshot00100.bmp"), 480, 0, 620, 8);
    EXPECT_NEAR(closed.r, 16, 3);
    EXPECT_NEAR(closed.g, 24, 3);
    EXPECT_NEAR(closed.b, 96, 3);

    const fs::path saved = dir / "Savegame" / "game000.gam";
    ASSERT_TRUE(fs::exists(saved)) << log;
    ASSERT_TRUE(LoadWorldAndSave(dir, saved));
    // Placed objects keep no names of their own: they go by their definitions'.
    auto placed = [](const char* definition) -> CWorldObject* {
        for (CNode* n = g_WorldRoot->firstChild; n; n = n->next) {
            auto* o = static_cast<CWorldObject*>(n);
            if (o->Definition() && std::strcmp(o->Definition()->GetName(), definition) == 0)
                return o;
        }
        return nullptr;
    };
    CWorldObject* walker = placed("Passant");
    CWorldObject* hero = placed("Hero");
    ASSERT_NE(walker, nullptr);
    ASSERT_NE(hero, nullptr);
    EXPECT_NEAR(walker->position.x, -0.66f, 0.05f);
    EXPECT_NEAR(walker->position.z, 1.3f, 0.05f);
    EXPECT_EQ(walker->angle, 1.5707964f);
    // The hero started at (-0.72, 0.1) and stands a few steps up the west pavement, on the clicked
    // ground point.
    EXPECT_GT(hero->position.z, 0.6f);
    EXPECT_GT(hero->position.x, -0.95f);
    EXPECT_LT(hero->position.x, -0.45f);
    const size_t probe = log.find("Probe 265 125: ground ");
    ASSERT_NE(probe, std::string::npos) << log;
    float x = 0, y = 0, z = 0;
    ASSERT_EQ(std::sscanf(log.c_str() + probe + 22, "%f %f %f", &x, &y, &z), 3) << log.substr(probe, 60);
    EXPECT_LT(std::hypot(hero->position.x - x, hero->position.z - z), 0.05f)
        << "clicked " << x << " " << z << ", hero at " << hero->position.x << " " << hero->position.z;
    EXPECT_NEAR(hero->position.y, y, 0.05f);
    ClearWorld();
}

namespace {

// Pixels whose colour is within `tolerance` of `rgb` on every channel.
int PixelsNear(const std::vector<uint8_t>& bmp, int x0, int y0, int x1, int y1, uint32_t rgb, int tolerance)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            int w = 0, h = 0;
            uint32_t c = 0;
            if (!BmpPixel(bmp, x, y, &w, &h, &c))
                continue;
            bool close = true;
            for (int shift : {16, 8, 0})
                close = close && std::abs(int((c >> shift) & 0xFF) - int((rgb >> shift) & 0xFF)) <= tolerance;
            n += close;
        }
    return n;
}

} // namespace

// The HUD bar lies along the bottom of the game view with its side panels and the cash; its map
// button opens the town map in the top left corner and a second click closes it.
TEST_F(SampleRun, TheBarLiesAlongTheBottomAndItsMapButtonOpensAndClosesTheMap)
{
    std::ofstream(dir / "input.txt") << "30 snapshot bar.bmp\n"
                                        "31 move 32 434\n"
                                        "33 click left 32 434\n"
                                        "50 snapshot map.bmp\n"
                                        "51 move 32 434\n"
                                        "53 click left 32 434\n"
                                        "70 snapshot closed.bmp\n";
    ASSERT_EQ(Start(72, "VAREK_INPUT_SCRIPT=input.txt"), 0) << ReadText(dir / "output.txt");
    const std::vector<uint8_t> bar = ReadBytes(dir / "bar.bmp");
    const std::vector<uint8_t> map = ReadBytes(dir / "map.bmp");
    const std::vector<uint8_t> closed = ReadBytes(dir / "closed.bmp");
    ASSERT_FALSE(bar.empty() || map.empty() || closed.empty());

    // The background between the side panels: the dark blue-grey of the bar over the street.
    const SRegion background = Mean(bar, 100, 420, 260, 452);
    EXPECT_LT(background.r, 90);
    EXPECT_GT(background.b, background.r + 10);
    // Both side panels, the right one with the backpack, the left one with the map button.
    const SRegion right = Mean(bar, 566, 402, 630, 466);
    EXPECT_GT(right.distinct, 8);
    EXPECT_GT(PixelsNear(bar, 566, 402, 630, 466, 0x6E5032, 30), 100) << "the backpack";
    EXPECT_GT(PixelsNear(bar, 8, 402, 60, 466, 0xDEE2CE, 20), 100) << "the map button";
    // The cash of REALTIME in yellow on the plate's window.
    EXPECT_GT(PixelsNear(bar, 280, 424, 360, 444, 0xFFFF00, 90), 20) << "the cash text";

    // The map's open land in the top left corner only while it is open.
    const uint32_t land = 0xDEE2CE;
    EXPECT_LT(PixelsNear(bar, 30, 40, 210, 160, land, 12), 100);
    EXPECT_GT(PixelsNear(map, 30, 40, 210, 160, land, 12), 3000);
    EXPECT_LT(PixelsNear(closed, 30, 40, 210, 160, land, 12), 100);
    // The zoom button's yellow figure stands on its plate, in front of the plate and the world.
    EXPECT_GT(AmberPixels(map, 12, 0, 46, 28), 15);
    EXPECT_EQ(AmberPixels(bar, 12, 0, 46, 28), 0);
    // The street beside it stays as it was.
    const SRegion before = Mean(bar, 450, 200, 630, 385), after = Mean(closed, 450, 200, 630, 385);
    EXPECT_NEAR(before.r, after.r, 3);
    EXPECT_NEAR(before.b, after.b, 3);
}
