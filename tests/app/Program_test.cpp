// Runs the real program headless in a folder of its own and checks what it leaves.

#include "GAMES/Rulo2/app/SaveGame.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/editor/shadowmap/ShadowMapRenderer.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "tests/app/ShellWorld.h"
#include "tests/world/WorldTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The off-screen video driver, so that parallel runs cannot take each other's
// focus (a program without the focus pauses). Its GL driver is loaded and unloaded
// at run time, which leaves leak reports the sanitizer cannot attribute; the
// program's own memory is checked by the in-process window tests.
const std::string ProgramEnv = "-u DISPLAY SDL_VIDEODRIVER=offscreen LSAN_OPTIONS=detect_leaks=0";

std::vector<uint8_t> ReadFileBytes(const fs::path& file);

class ProgramRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / ("varek_shell_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "data");
        std::ofstream(dir / "data" / "dialogs_eng_demo.txt") << "RULO2 = Varek Test\n";
    }
    void TearDown() override
    {
        if (!HasFailure())
            fs::remove_all(dir);
    }

    // Runs the program in the folder; returns its exit code.
    int Run(const std::string& env, const std::string& args)
    {
        std::string cmd = "cd '" + dir.string() + "' && env " + ProgramEnv + " XDG_CONFIG_HOME='" +
                          (dir / "config").string() + "' " + env + " '" VAREK_PROGRAM "' " + args +
                          " > output.txt 2>&1";
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::vector<std::string> LogLines()
    {
        std::vector<std::string> lines;
        std::ifstream in(dir / "log.txt");
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    std::string Output()
    {
        std::ifstream in(dir / "output.txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Saves the current world as the folder's Varek.wld with shadow maps switched on in the
    // settings, then runs the game on it with them and with NOSHADOWS: frame 2 and the log of
    // each run.
    void SaveAndRunWithAndWithoutShadows(std::vector<std::vector<uint8_t>>& shots,
                                         std::vector<std::vector<std::string>>& logs)
    {
        ASSERT_TRUE(SaveWorld((dir / "Varek.wld").string().c_str()));
        ClearWorld();
        fs::create_directories(dir / "config" / "varek");
        std::ofstream(dir / "config" / "varek" / "user.reg")
            << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\TuvSoftware\\TheVarek! Demo\\Settings]\n"
               "\"Shadowmaps\"=dword:00000001\n";

        const std::string env = "VAREK_EXIT_AFTER_FRAMES=3 VAREK_FIXED_STEP=1 VAREK_SNAPSHOTS=2";
        for (const char* args : {"-window -logging", "-window -logging -NOSHADOWS"}) {
            ASSERT_EQ(Run(env, args), 0) << Output();
            shots.push_back(ReadFileBytes(dir / "snapshot00002.bmp"));
            logs.push_back(LogLines());
            fs::remove(dir / "snapshot00002.bmp");
        }
    }

    fs::path dir;
};

// Position of each expected line in the log, in order; -1 where it is missing.
std::vector<long> FindInOrder(const std::vector<std::string>& log, const std::vector<std::string>& expected)
{
    std::vector<long> at;
    size_t from = 0;
    for (const std::string& e : expected) {
        long found = -1;
        for (size_t i = from; i < log.size(); ++i)
            if (log[i] == e) {
                found = long(i);
                from = i + 1;
                break;
            }
        at.push_back(found);
    }
    return at;
}

TEST_F(ProgramRun, StartsLogsItsStartUpInOrderAndLeavesAfterTheFrames)
{
    // An old log of an earlier run goes first.
    std::ofstream(dir / "log.txt") << "old run\n";
    ASSERT_EQ(Run("VAREK_EXIT_AFTER_FRAMES=5", "-window -logging"), 0) << Output();

    std::vector<std::string> log = LogLines();
    ASSERT_FALSE(log.empty()) << Output();
    EXPECT_EQ(log.front(), "Starting 'Der Rulo!2'...");
    const std::vector<std::string> startUp = {
        "Starting 'Der Rulo!2'...",
        "Enabling ActiveX Containers...",
        "Initializing memory...",
        "Initializing registry...",
        "Retrieving device-caps...",
        "Reading profile-settings...",
        "Initializing game-paths...",
        "Initializing dib and dc for CGround...",
        "Loading Text...",
        "Initialized successfully",
    };
    std::vector<long> at = FindInOrder(log, startUp);
    for (size_t i = 0; i < startUp.size(); ++i)
        EXPECT_GE(at[i], 0) << "missing or out of order: " << startUp[i];
    for (const std::string& line : log)
        EXPECT_NE(line, "old run");
    // The settings in use are written back when the window goes.
    EXPECT_TRUE(fs::exists(dir / "config" / "varek" / "user.reg"));
}

TEST_F(ProgramRun, WithoutLoggingNoLogIsWritten)
{
    ASSERT_EQ(Run("VAREK_EXIT_AFTER_FRAMES=2", "-window"), 0) << Output();
    EXPECT_FALSE(fs::exists(dir / "log.txt"));
}

std::vector<uint8_t> ReadFileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A 24-bit bottom-up BMP's pixel (x, y from the top) as 0xRRGGBB.
bool BmpPixel(const std::vector<uint8_t>& b, int x, int y, int* width, int* height, uint32_t* rgb)
{
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || b[28] != 24)
        return false;
    auto u32 = [&](size_t at) {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
               uint32_t(b[at + 3]) << 24;
    };
    *width = int(u32(18));
    *height = int(u32(22));
    size_t row = (size_t(*width) * 3 + 3) & ~size_t(3);
    size_t at = u32(10) + row * size_t(*height - 1 - y) + size_t(x) * 3;
    if (at + 3 > b.size())
        return false;
    *rgb = uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 1]) << 8 | b[at];
    return true;
}

TEST_F(ProgramRun, SettingsReadAtStartAreWrittenBackAtExit)
{
    fs::create_directories(dir / "config" / "varek");
    std::ofstream(dir / "config" / "varek" / "user.reg")
        << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\TuvSoftware\\TheVarek! Demo\\Settings]\n"
           "\"MainWnd-W\"=dword:00000140\n\"MainWnd-H\"=dword:000000f0\n\"FogEnd\"=\"7.250000\"\n"
           "\"SFXVolume\"=dword:00000021\n";
    ASSERT_EQ(Run("VAREK_EXIT_AFTER_FRAMES=2 VAREK_FIXED_STEP=1 VAREK_SNAPSHOTS=all", "-window"), 0)
        << Output();
    std::ifstream in(dir / "config" / "varek" / "user.reg");
    std::stringstream text;
    text << in.rdbuf();
    const std::string reg = text.str();
    for (const char* line :
         {"\"MainWnd-W\"=dword:00000140", "\"MainWnd-H\"=dword:000000f0", "\"FogEnd\"=\"7.250000\"",
          "\"SFXVolume\"=dword:00000021", "\"MusicVolume\"=dword:00000032"})
        EXPECT_NE(reg.find(line), std::string::npos) << line << "\n" << reg;
    // The window was made at the size the settings gave.
    int w = 0, h = 0;
    uint32_t rgb = 0;
    ASSERT_TRUE(BmpPixel(ReadFileBytes(dir / "snapshot00000.bmp"), 0, 0, &w, &h, &rgb));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
}

// No world: the game view shows the walk fog colour (88, 88, 80) it was cleared to, under the
// game's start fade from black, which lifts by a tenth every 40 ms frame.
void ExpectFadingFog(uint32_t rgb, int frame, const std::string& name)
{
    const int fog[3] = {88, 88, 80};
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(int((rgb >> (16 - 8 * c)) & 0xFF), fog[c] * frame / 10, 1) << name << " channel " << c;
}

TEST_F(ProgramRun, FixedStepRunSavesOnePicturePerFrame)
{
    ASSERT_EQ(Run("VAREK_EXIT_AFTER_FRAMES=3 VAREK_FIXED_STEP=1 VAREK_SNAPSHOTS=all", "-window"), 0)
        << Output();
    for (int i = 0; i < 3; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "snapshot%05d.bmp", i);
        int w = 0, h = 0;
        uint32_t rgb = 0;
        ASSERT_TRUE(BmpPixel(ReadFileBytes(dir / name), 320, 240, &w, &h, &rgb)) << name;
        EXPECT_EQ(w, 640);
        EXPECT_EQ(h, 480);
        ExpectFadingFog(rgb, i, name);
    }
    EXPECT_FALSE(fs::exists(dir / "snapshot00003.bmp"));
}

TEST_F(ProgramRun, ChosenFramesAndScriptedSnapshotsInAFixedStepRunThatTheScriptEnds)
{
    std::ofstream(dir / "script.txt") << "# pictures and the end\n1 snapshot pictures/one.bmp\n3 quit\n";
    fs::create_directories(dir / "pictures");
    ASSERT_EQ(Run("VAREK_FIXED_STEP=1 VAREK_SNAPSHOTS=0,2 VAREK_INPUT_SCRIPT=script.txt", "-window -logging"),
              0)
        << Output();
    const std::pair<const char*, int> shots[] = {
        {"snapshot00000.bmp", 0}, {"snapshot00002.bmp", 2}, {"pictures/one.bmp", 1}};
    for (const auto& [name, frame] : shots) {
        int w = 0, h = 0;
        uint32_t rgb = 0;
        EXPECT_TRUE(BmpPixel(ReadFileBytes(dir / name), 320, 240, &w, &h, &rgb)) << name;
        ExpectFadingFog(rgb, frame, name);
    }
    EXPECT_FALSE(fs::exists(dir / "snapshot00001.bmp"));
    EXPECT_FALSE(fs::exists(dir / "snapshot00003.bmp")) << "the script ended the run before frame 3";
    // The game's own fake recording belongs to the plan recorder: never on here.
    const std::vector<std::string> log = LogLines();
    EXPECT_GE(FindInOrder(log, {"Fixed step: 40 ms a frame", "Input script 'script.txt': 2 events",
                                "Initialized successfully",
                                "Scripted run ended after 3 frames; fake recording was on in 0"})[3],
              0)
        << Output();
}

TEST_F(ProgramRun, ABadScriptLineOrSwitchEndsTheStartBeforeAnyWindowOpens)
{
    struct Case
    {
        const char* script;
        const char* env;
        const char* message;
    } cases[] = {
        {"# zoom in\n5 wheel 3\n6 fly away\n", "", "script.txt(3): unknown verb 'fly'"},
        {"5x wheel 3\n", "", "script.txt(1): '5x' is no frame number"},
        {"5 probe 10\n", "", "script.txt(1): probe X Y expected: client pixels"},
        {"", "VAREK_SNAPSHOTS=4,x",
         "VAREK_SNAPSHOTS: '4,x' is neither \"all\" nor a list of frame numbers such as 7,20 (L3: "
         "loading-screen frame 3)"},
        {"", "VAREK_SNAPSHOTS=L2,LL3",
         "VAREK_SNAPSHOTS: 'L2,LL3' is neither \"all\" nor a list of frame numbers such as 7,20 (L3: "
         "loading-screen frame 3)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::ofstream(dir / "script.txt") << c.script;
        // A video system that cannot start: the run must end before it is needed.
        const std::string env = std::string("SDL_VIDEODRIVER=nosuchdriver VAREK_EXIT_AFTER_FRAMES=3 ") +
                                (*c.script ? "VAREK_INPUT_SCRIPT=script.txt " : "") + c.env;
        EXPECT_EQ(Run(env, "-window -logging"), 1);
        EXPECT_NE(Output().find(c.message), std::string::npos) << Output();
        const std::vector<std::string> log = LogLines();
        EXPECT_GE(FindInOrder(log, {"Loading Text...", c.message})[1], 0);
        for (const std::string& line : log)
            EXPECT_NE(line, "Creating the main window failed");
    }
}

TEST_F(ProgramRun, EndsOnARequestFromOutside)
{
    // No frame limit: the run ends only through the end request the test sends. The request goes once
    // the start-up is through (its log line), so a slow start on a loaded machine is not cut short
    // before the program listens; timeout hands the request on, and its kill would give 137.
    std::string cmd =
        "cd '" + dir.string() + "' && { env " + ProgramEnv + " XDG_CONFIG_HOME='" +
        (dir / "config").string() +
        "' timeout --preserve-status -s KILL 60 '" VAREK_PROGRAM
        "' -window -logging > output.txt 2>&1 & pid=$!; "
        "for i in $(seq 600); do grep -qs 'Initialized successfully' log.txt && break; sleep 0.05; done; "
        "sleep 0.5; kill -TERM $pid; wait $pid; }";
    int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << Output();
    EXPECT_TRUE(fs::exists(dir / "config" / "varek" / "user.reg"));
}

TEST_F(ProgramRun, AStartThatCannotOpenItsWindowEndsWithAnError)
{
    std::string cmd = "cd '" + dir.string() + "' && env " + ProgramEnv +
                      " SDL_VIDEODRIVER=nosuchdriver XDG_CONFIG_HOME='" + (dir / "config").string() +
                      "' VAREK_EXIT_AFTER_FRAMES=3 '" VAREK_PROGRAM "' -window -logging > output.txt 2>&1";
    int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << Output();
    std::vector<std::string> log = LogLines();
    EXPECT_GE(FindInOrder(log, {"Loading Text...", "Creating the main window failed"})[1], 0);
    for (const std::string& line : log)
        EXPECT_NE(line, "Initialized successfully");
}

TEST_F(ProgramRun, MissingDialogTextsStillStart)
{
    fs::remove(dir / "data" / "dialogs_eng_demo.txt");
    ASSERT_EQ(Run("VAREK_EXIT_AFTER_FRAMES=2", "-window -logging"), 0) << Output();
    std::vector<std::string> log = LogLines();
    EXPECT_GE(FindInOrder(log, {"Loading Text...", "Initialized successfully"})[1], 0);
}

// A world of a few model instances around the origin, where the game camera looks.
void WriteStartWorld(const fs::path& file)
{
    CreateWorldRoots();
    ClearWorld();
    CModelEntry* tile = shelltest::AddTileEntry(1.5f);
    for (int i = 0; i < 4; ++i) {
        CWorldObject* o = worldtest::AddNode(g_WorldRoot, CWorldObject::KIND_MODEL);
        o->reference = tile;
        o->position = CVector(float(i % 2) * -1.5f, 0, float(i / 2) * -1.5f);
    }
    ASSERT_TRUE(SaveWorld(file.string().c_str()));
    ClearWorld();
}

// The tiles' pixels (not the fog's clear colour) of a run with shadow maps against the same
// run without them, by their green channel: much darker, unchanged, brighter.
struct ShadowedPixels
{
    int tilePixels = 0, darker = 0, unchanged = 0, brighter = 0;
    int unreadable = 0;
};

ShadowedPixels CompareShadowed(const std::vector<uint8_t>& shadowed, const std::vector<uint8_t>& plain)
{
    ShadowedPixels p;
    int w = 0, h = 0;
    uint32_t a = 0, b = 0;
    if (!BmpPixel(plain, 0, 0, &w, &h, &a)) {
        ++p.unreadable;
        return p;
    }
    for (int y = 0; y < h; y += 2)
        for (int x = 0; x < w; x += 2) {
            if (!BmpPixel(plain, x, y, &w, &h, &a) || !BmpPixel(shadowed, x, y, &w, &h, &b)) {
                ++p.unreadable;
                continue;
            }
            if (a == 0x585850u)
                continue;
            ++p.tilePixels;
            const int lit = int((a >> 8) & 0xFF), dim = int((b >> 8) & 0xFF);
            p.darker += dim * 2 < lit;
            p.unchanged += dim == lit;
            p.brighter += dim > lit;
        }
    return p;
}

int PixelsUnlike(const fs::path& file, uint32_t colour)
{
    const std::vector<uint8_t> bmp = ReadFileBytes(file);
    int w = 0, h = 0, count = 0;
    uint32_t rgb = 0;
    if (!BmpPixel(bmp, 0, 0, &w, &h, &rgb))
        return -1;
    for (int y = 0; y < h; y += 4)
        for (int x = 0; x < w; x += 4)
            if (BmpPixel(bmp, x, y, &w, &h, &rgb) && rgb != colour)
                ++count;
    return count;
}

TEST_F(ProgramRun, LoadsTheWorldFileAndDrawsIt)
{
    WriteStartWorld(dir / "Varek.wld");
    // In the game a world named on the command line is ignored.
    ASSERT_EQ(
        Run("VAREK_EXIT_AFTER_FRAMES=3 VAREK_FIXED_STEP=1 VAREK_SNAPSHOTS=all", "-window -logging Other.wld"),
        0)
        << Output();
    std::vector<std::string> log = LogLines();
    const std::vector<std::string> expected = {"Initialized successfully",
                                               "Reading World-Tree...",
                                               "World loaded successfuly",
                                               "Initializing game...",
                                               "Resetting game...",
                                               "Creating object-id table...",
                                               "Resetting game complete.",
                                               "Resetting object infos...",
                                               "Initializing available cars...",
                                               "Creating list of all characters in the world...",
                                               "Initializing Tasks...",
                                               "Game initialization complete"};
    std::vector<long> at = FindInOrder(log, expected);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_GE(at[i], 0) << "missing or out of order: " << expected[i] << "\n" << Output();
    for (const std::string& line : log)
        EXPECT_EQ(line.find("Other.wld"), std::string::npos) << line;
    EXPECT_GT(PixelsUnlike(dir / "snapshot00002.bmp", 0x585850u), 100);
}

// Stored shadow textures darken what their node draws: two of the four tiles carry a dark grey
// one. With shadow maps on (the "Shadowmaps" setting) those tiles are drawn darker than with
// NOSHADOWS, which leaves every shadow texture without a surface; the other tiles stay as they are.
TEST_F(ProgramRun, AStoredShadowTextureDarkensItsNodeUnlessShadowsAreOff)
{
    CreateWorldRoots();
    ClearWorld();
    CModelEntry* tile = shelltest::AddTileEntry(1.5f);
    for (int i = 0; i < 4; ++i) {
        CWorldObject* o =
            shelltest::AddInstance(g_WorldRoot, tile, CVector(float(i % 2) * -1.5f, 0, float(i / 2) * -1.5f));
        if (i % 2)
            continue;
        o->shadowTexture = new SShadowTexture;
        o->shadowTexture->width = o->shadowTexture->height = 8;
        o->shadowTexture->pixels.assign(64, 0x2108); // a quarter of full brightness
    }
    std::vector<std::vector<uint8_t>> shots;
    std::vector<std::vector<std::string>> logs;
    SaveAndRunWithAndWithoutShadows(shots, logs);
    ASSERT_EQ(shots.size(), 2u);
    auto made = [](const std::vector<std::string>& log) {
        return std::count_if(log.begin(), log.end(), [](const std::string& line) {
            return line.rfind("Using texture-format '", 0) == 0 && line.size() > 22 &&
                   line.compare(line.size() - 22, 22, "' for a shadow-texture") == 0;
        });
    };
    EXPECT_EQ(made(logs[0]), 2);
    EXPECT_EQ(made(logs[1]), 0);

    const ShadowedPixels p = CompareShadowed(shots[0], shots[1]);
    ASSERT_EQ(p.unreadable, 0);
    EXPECT_GT(p.darker, p.tilePixels / 5);
    EXPECT_GT(p.unchanged, p.tilePixels / 5);
    EXPECT_EQ(p.brighter, 0);
}

TEST_F(ProgramRun, WithoutAWorldFileTheFailedLoadIsLoggedAndTheGameGoesOn)
{
    ASSERT_EQ(Run("VAREK_EXIT_AFTER_FRAMES=3", "-window -logging"), 0) << Output();
    std::vector<std::string> log = LogLines();
    EXPECT_GE(FindInOrder(log, {"Initialized successfully", "Varek.wld: cannot open the file"})[1], 0);
}

TEST_F(ProgramRun, ADamagedWorldFileIsRefusedAndTheGameGoesOn)
{
    std::ofstream(dir / "Varek.wld", std::ios::binary) << "WRLD\x01\x02garbage";
    ASSERT_EQ(Run("VAREK_EXIT_AFTER_FRAMES=3", "-window -logging"), 0) << Output();
    std::vector<std::string> log = LogLines();
    for (const std::string& line : log)
        EXPECT_NE(line, "World loaded successfuly");
    EXPECT_EQ(fs::file_size(dir / "Varek.wld"), 13u); // the file is left as it was
}

// A world baked by the lightmap renderer and saved: the game started on it draws the baked
// light. A light near the edge of two tiles lights part of them; two tiles of another model
// lie out of its range and keep the ambient colour, so they are drawn much darker than with
// NOSHADOWS, while the lit texels keep their pixels at half their brightness or more.
TEST_F(ProgramRun, TheGameDrawsTheLightmapsOfABakedAndSavedWorld)
{
    CreateWorldRoots();
    ClearWorld();
    CModelEntry* lit = shelltest::AddTileEntry(1.5f);
    CModelEntry* dark = shelltest::AddTileEntry(1.5f);
    dark->SetName("Tile2");
    for (int i = 0; i < 4; ++i)
        shelltest::AddInstance(g_WorldRoot, i % 2 ? dark : lit,
                               CVector(float(i % 2) * -1.5f, 0, float(i / 2) * -1.5f));
    auto* lamp = new CWorldObject("Lamp");
    lamp->position = CVector(1.2f, 0.5f, 0);
    SWorldLight* light = lamp->MakeLight();
    light->light.dvRange = 1.2f;
    light->lightWord = 1;
    g_WorldRoot->AddChild(lamp);
    {
        CShadowMapRenderer renderer;
        renderer.textureSize = 16;
        renderer.PrepareRun(g_WorldRoot);
        renderer.RenderPasses();
        renderer.HandOverToWorld();
        ASSERT_EQ(renderer.textureCount, 2);
    }
    std::vector<std::vector<uint8_t>> shots;
    std::vector<std::vector<std::string>> logs;
    SaveAndRunWithAndWithoutShadows(shots, logs);
    ASSERT_EQ(shots.size(), 2u);
    const ShadowedPixels p = CompareShadowed(shots[0], shots[1]);
    ASSERT_EQ(p.unreadable, 0);
    EXPECT_GT(p.darker, p.tilePixels / 5);
    // The lit texels keep their tile's pixels at half their brightness or more.
    EXPECT_GT(p.tilePixels - p.darker, p.tilePixels / 20);
}

} // namespace

// Leaving the game saves slot 0 titled with the text of "AUTOSAVE"; the saved game loads back with
// the cash and level of a new game.
TEST_F(ProgramRun, TheExitWritesTheAutosaveWhichLoadsBack)
{
    WriteStartWorld(dir / "Varek.wld");
    std::ofstream(dir / "data" / "dialogs_eng_demo.txt") << "RULO2 = Varek Test\nAUTOSAVE = Autosave\n";
    ASSERT_EQ(Run("VAREK_EXIT_AFTER_FRAMES=3 VAREK_FIXED_STEP=1", "-window -logging"), 0) << Output();
    const fs::path saved = dir / "Savegame" / "game000.gam";
    ASSERT_TRUE(fs::exists(saved)) << Output();
    EXPECT_TRUE(fs::is_directory(dir / "Savegame" / "CurrentPlans"));
    EXPECT_TRUE(fs::is_directory(dir / "Savegame" / "game000_plans"));

    ASSERT_TRUE(LoadWorld((dir / "Varek.wld").string().c_str(), LOADWORLD_OPEN));
    CreateSaveFolders(dir.string().c_str());
    std::string caption;
    ASSERT_TRUE(ReadSaveInfo(saved.string(), caption, nullptr));
    EXPECT_EQ(caption.rfind("Autosave\n(", 0), 0u) << caption;
    Cash = 0;
    BurglaryLevel = 0;
    ASSERT_TRUE(LoadGame(saved.string(), false));
    EXPECT_EQ(Cash, 15);
    EXPECT_EQ(BurglaryLevel, 1);
    ClearWorld();
}

// Esc in the street opens the options; the game goes to the temporary file first.
TEST_F(ProgramRun, AScriptedEscInTheStreetSavesTheTemporaryGame)
{
    WriteStartWorld(dir / "Varek.wld");
    std::ofstream(dir / "script.txt") << "3 key ESCAPE press\n";
    ASSERT_EQ(
        Run("VAREK_EXIT_AFTER_FRAMES=6 VAREK_FIXED_STEP=1 VAREK_INPUT_SCRIPT=script.txt", "-window -logging"),
        0)
        << Output();
    const std::vector<uint8_t> temp = ReadFileBytes(dir / "data" / "~TempGame.tmp");
    ASSERT_GE(temp.size(), 8u) << Output();
    EXPECT_EQ(std::string(temp.begin(), temp.begin() + 4), "GAME");
    EXPECT_GE(FindInOrder(LogLines(), {"Game initialization complete", "Saving Game...", "finished."})[2], 0);
}
