// The editor build started on the sample installation, driven by an input script
// through its menu: "Save World As..." answered with a name, "View World-Tree",
// then "Exit". The saved world holds what the sample's did, and the tool window's
// placement and show value are in the registry. Terrains and shadow maps made in
// the editor are saved and drawn by the tool and the game.
#include "tests/sample/SampleTestUtil.h"
#include "tests/support/ToolLeakSuppressions.h"

#include "LIBS/Image/imgImage.h"

#include <cmath>
#include <functional>
#include <sstream>

namespace {

using namespace sampletest;
// The two-argument form comes from the shared helpers, beside this file's own.
using sampletest::RunEditor;

TEST(EditorRun, SavesTheWorldAsTogglesTheWorldTreeAndExits)
{
    const fs::path dir = TempFolder("editor_run");
    ASSERT_NO_FATAL_FAILURE(MakeEditorInstallation(dir));
    std::ofstream(dir / "script.txt") << "2 dialog 1537 ok 1152=town.txt   # the file dialog's answer\n"
                                         "3 command 32793                   # Save World As...\n"
                                         "5 command 32837                   # View World-Tree\n"
                                         "9 command 32771                   # Exit\n";
    const int rc = RunEditor(dir);
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    ASSERT_TRUE(fs::exists(dir / "town.wld"));
    EXPECT_FALSE(fs::exists(dir / "town.txt"));
    EXPECT_EQ(DumpAfterFirstLine(dir, "town.wld"), DumpAfterFirstLine(dir, "Varek.wld"));
    EXPECT_EQ(log.find("text not found"), std::string::npos) << log;
    const std::string reg = ReadText(dir / "config" / "varek" / "user.reg");
    EXPECT_NE(reg.find("\"WorldTreeDlg-X\"=dword:"), std::string::npos) << reg;
    EXPECT_NE(reg.find("\"ShowWorldTree\"=dword:00000001"), std::string::npos) << reg;
    EXPECT_NE(reg.find("\"ShowModelList\"=dword:00000000"), std::string::npos) << reg;
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

// The placed models and objects of a world dump's tree.
size_t PlacedCount(const std::string& dump)
{
    size_t count = 0;
    std::istringstream lines(dump);
    for (std::string line; std::getline(lines, line);) {
        const size_t word = line.find_first_not_of(' ');
        if (word != std::string::npos &&
            (line.compare(word, 6, "model ") == 0 || line.compare(word, 7, "object ") == 0))
            ++count;
    }
    return count;
}

TEST(EditorRun, SelectAllCopyAndAClickInTheViewPasteTheCopiesIntoTheSavedWorld)
{
    const fs::path dir = TempFolder("editor_paste");
    ASSERT_NO_FATAL_FAILURE(MakeEditorInstallation(dir));
    const size_t before = PlacedCount(DumpAfterFirstLine(dir, "Varek.wld"));
    ASSERT_GT(before, 0u);
    std::ofstream(dir / "script.txt") << "3 key F4 press\n"
                                         "4 key CTRL down\n"
                                         "5 key A press      # Select All\n"
                                         "6 key C press      # Copy\n"
                                         "7 key CTRL up\n"
                                         "9 click left 320 300\n"
                                         "12 command 32825   # Save World\n"
                                         "14 command 32771   # Exit\n";
    const int rc = RunEditor(dir);
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << ReadText(dir / "log.txt");
    EXPECT_EQ(PlacedCount(DumpAfterFirstLine(dir, "Varek.wld")), 2 * before);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

// The number of texture pages `varek-tool texpage dump` reports.
int PageCount(const fs::path& dir, const char* file)
{
    const fs::path out = dir / (std::string(file) + ".pages");
    RunCommand("cd " + Quote(dir) + " && '" + VAREK_TOOL_PATH + "' texpage dump " + file + " >" + Quote(out) +
               " 2>&1");
    const std::string text = ReadText(out);
    const size_t at = text.rfind(" texture-page(s)");
    if (at == std::string::npos)
        return -1;
    const size_t start = text.rfind('\n', at);
    return std::atoi(text.c_str() + (start == std::string::npos ? 0 : start + 1));
}

// The World Tree and the Model List driven as a person drives them: a new group
// in a house takes a chair dropped on it, a model is copied, the Texture Manager
// makes a texture page, and the world saved.
TEST(EditorRun, OrganisesTheWorldInItsToolWindowsAndSavesIt)
{
    const fs::path dir = TempFolder("editor_windows_run");
    ASSERT_NO_FATAL_FAILURE(MakeEditorInstallation(dir));
    const int pages = PageCount(dir, "Varek.wld");
    ASSERT_GE(pages, 0);
    std::ofstream(dir / "script.txt")
        << "3 command 32837                      # View World-Tree\n"
           "4 tree 198 select unnamed\\Haus_B     # the houses of the town are shown\n"
           "4 tree 198 select unnamed\\Haus_C\n"
           "4 key ESCAPE press                   # the house is not drawn as selected\n"
           "4 tree 198 select unnamed\\Haus_D\n"
           "4 tree 198 select unnamed\\Strasse\n"
           "5 tree 198 rclick unnamed\\Haus_A\n"
           "6 dialog 370 ok 1174=Test            # the name of the new group\n"
           "7 command 32894                      # New Group...\n"
           "9 tree 198 select unnamed\\Haus_A\\Stockwerk_1\\innen\\Stuhl\n"
           "10 tree 198 drag unnamed\\Haus_A\\Stockwerk_1\\innen\\Stuhl -> unnamed\\Haus_A\\Test\n"
           "12 command 32784                     # View Model-List\n"
           "13 tree 190 rclick Models\\Furniture\\Stuhl\n"
           "14 command 32875                     # Copy Model\n"
           "14 dialog 369 ok 1173=Moebel         # the name of the new object folder\n"
           "14 tree 190 rclick Objects\n"
           "14 command 32988                     # New Folder...\n"
           "14 tree 190 rclick Objects\\Moebel\n"
           "14 tree 190 rclick Models\\Furniture\\Tisch\n"
           "14 command 33009                     # Make Object From Model\n"
           "14 tree 190 rclick Objects\\Moebel\\Tisch\n"
           "14 command 32902                     # Delete Object\n"
           "14 tree 190 rclick Models\\Furniture\\Stuhl\n"
           "14 command 33009                     # Make Object From Model\n"
           "15 command 32809                     # Model View\n"
           "15 command 32838                     # View Texture-Manager\n"
           "15 control 202 32843                 # New Texture-Page\n"
           "16 command 32825                     # Save World\n"
           "18 command 32771                     # Exit\n";
    const int rc = RunEditor(dir);
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_EQ(log.find("no tree item"), std::string::npos) << log;
    EXPECT_EQ(log.find("is not shown"), std::string::npos) << log;
    // The Texture Manager's new page was saved with the world.
    EXPECT_EQ(PageCount(dir, "Varek.wld"), pages + 1);
    const std::string dump = DumpAfterFirstLine(dir, "Varek.wld");
    EXPECT_NE(dump.find("#55 \"Stuhl [Copy 2]\" folder \"\\Models\\Furniture\""), std::string::npos) << dump;
    // The chair made an object in the new folder picked last; the table's object was
    // deleted again without a question, as nothing used it.
    EXPECT_NE(dump.find("\"Stuhl\" states DUMMY(model #31) folder \"\\Objects\\Moebel\"\n"),
              std::string::npos)
        << dump;
    EXPECT_EQ(dump.find("\"Tisch\" states"), std::string::npos) << dump;
    EXPECT_EQ(log.find("Object is still in use"), std::string::npos) << log;
    const size_t house = dump.find("\n  group \"Haus_A\"");
    ASSERT_NE(house, std::string::npos) << dump;
    // The new group comes first in the house and holds the chair.
    EXPECT_EQ(dump.find("\n    group \"Test\"", house), dump.find('\n', house + 1)) << dump;
    const size_t test = dump.find("\n    group \"Test\"", house);
    ASSERT_NE(test, std::string::npos) << dump;
    const size_t afterTest = dump.find('\n', test + 1);
    EXPECT_EQ(dump.find("\n      model #31 \"Stuhl\"", afterTest), afterTest) << dump;
    const size_t inside = dump.find("group \"innen\"", afterTest);
    const size_t nextHouse = dump.find("\n  group \"Haus_B\"");
    // The first floor's inside group has no chair left.
    EXPECT_EQ(dump.substr(inside, dump.find("group \"Stockwerk_2\"", inside) - inside).find("Stuhl"),
              std::string::npos);
    EXPECT_LT(inside, nextHouse);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

// The editor with an input script on the sample in `dir`, ending after `frames` frames.
int RunEditor(const fs::path& dir, const std::string& script, int frames, const std::string& env = "")
{
    std::ofstream(dir / "script.txt") << script;
    return RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                      " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_FIXED_STEP=1"
                      " VAREK_EXIT_AFTER_FRAMES=" +
                      std::to_string(frames) + " VAREK_INPUT_SCRIPT=script.txt " + env +
                      " ./VarekEdit -window -logging Varek.wld > output.txt 2>&1");
}

// The game on the world of `dir`; its picture of frame 13 becomes `shot`.
int RunGame(const fs::path& dir, const std::string& shot)
{
    std::error_code ec;
    if (!fs::exists(dir / "Varek")) {
        JoinInstallation(dir, VAREK_PROGRAM, "Varek", ec);
    }
    const int rc = RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                              " LSAN_OPTIONS=detect_leaks=0 VAREK_EXIT_AFTER_FRAMES=14 VAREK_FIXED_STEP=1"
                              " VAREK_SNAPSHOTS=13 ./Varek -window -logging > game.txt 2>&1");
    fs::rename(dir / "snapshot00013.bmp", dir / shot, ec);
    return ec ? -1 : rc;
}

// `varek-tool world view` of the world of `dir` into `shot`.
int ToolView(const fs::path& dir, const std::string& shot)
{
    return RunCommand("cd " + Quote(dir) + " && LSAN_OPTIONS=suppressions=" + ToolLeakSuppressions() + " '" +
                      VAREK_TOOL_PATH + "' world view Varek.wld --snapshot " + shot + " > view.txt 2>&1");
}

// Pixels of a picture that pass `test` on their (r, g, b).
int CountPixels(const fs::path& bmpFile, const std::function<bool(int r, int g, int b)>& test)
{
    const std::vector<uint8_t> bmp = ReadBytes(bmpFile);
    int w = 0, h = 0, count = 0;
    uint32_t rgb = 0;
    if (!BmpPixel(bmp, 0, 0, &w, &h, &rgb))
        return -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (BmpPixel(bmp, x, y, &w, &h, &rgb) &&
                test(int(rgb >> 16), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)))
                ++count;
    return count;
}

// The two family colours of the test terrain, lit or not: yellow in the valley, cyan on the slopes.
bool TerrainColour(int r, int g, int b)
{
    return (r > b + 80 && g > b + 80 && std::abs(r - g) < 40) ||
           (g > r + 80 && b > r + 80 && std::abs(g - b) < 40);
}

bool SavePicture(const fs::path& file, int width, int height,
                 const std::function<uint32_t(int x, int y)>& rgb)
{
    imgImage image;
    if (!image.allocate(width, height, FMT_RGB_888))
        return false;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = rgb(x, y);
            uint8_t* p = image.pixels + size_t(y) * size_t(image.bytesPerLine) + size_t(x) * 3;
            p[0] = uint8_t(c >> 16);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c);
        }
    return image.save(file.string().c_str()) == 1;
}

// "New Terrain..." in the World Tree, its double click, a heightmap and a rule file
// given to Terrain Properties, Recalc and "Save World": the editor, the tool's view
// and the game draw the textured terrain of the saved world.
TEST(EditorRun, ANewTerrainGetsItsHeightmapAndRulesAndTheSavedWorldDrawsItInToolAndGame)
{
    const fs::path dir = TempFolder("editor_terrain");
    ASSERT_NO_FATAL_FAILURE(MakeEditorInstallation(dir));
    ASSERT_EQ(ToolView(dir, "before.bmp"), 0) << ReadText(dir / "view.txt");
    const int before = CountPixels(dir / "before.bmp", TerrainColour);

    // A bowl: flat under the town, rising to the edges; two small family textures.
    fs::create_directories(dir / "tex");
    fs::create_directories(dir / "gen");
    ASSERT_TRUE(SavePicture(dir / "map.tif", 16, 16, [](int x, int y) {
        const double d = std::hypot(x - 7.5, y - 7.5);
        const uint32_t v = uint32_t(std::clamp((d - 2.5) * 60.0, 0.0, 255.0));
        return v << 16 | v << 8 | v;
    }));
    // Checkered, so that a look at the pictures shows texture rather than colour.
    ASSERT_TRUE(SavePicture(dir / "tex" / "LOW_V0.tif", 8, 8,
                            [](int x, int y) { return (x / 2 + y / 2) % 2 ? 0xE6E614u : 0xA0A00Au; }));
    ASSERT_TRUE(SavePicture(dir / "tex" / "HIGH_V0.tif", 8, 8,
                            [](int x, int y) { return (x / 2 + y / 2) % 2 ? 0x14E6E6u : 0x0AA0A0u; }));
    std::ofstream(dir / "rules.txt") << "texturepath_standard " << (dir / "tex").string() << "\n"
                                     << "texturepath_generated " << (dir / "gen").string() << "\n"
                                     << "family 0 low\nfamily 1 high\n"
                                        "rule valley\nfamily 0\ntexture V0 1\nruleend\n"
                                        "rule slope\nfamily 1\nheightstart 0.3\ntexture V0 1\nruleend\n";
    const std::string map = (dir / "map.tif").string(), rules = (dir / "rules.txt").string();
    const int rc = RunEditor(dir,
                             "3 command 32837                      # View World-Tree\n"
                             "4 tree 198 select unnamed\n"
                             "5 dialog 370 ok 1174=Hill            # the terrain's name\n"
                             "5 control 198 33015                  # New Terrain...\n"
                             "6 tree 198 select unnamed\\Hill\\Hill\n"
                             "7 tree 198 dblclick unnamed\\Hill\\Hill\n"
                             "8 dialog 1536 ok 1152=" +
                                 map +
                                 "\n"
                                 "8 control 432 1324                   # Browse... the heightmap\n"
                                 "9 dialog 1536 ok 1152=" +
                                 rules +
                                 "\n"
                                 "9 control 432 1325                   # Browse... the rule file\n"
                                 "10 key ESCAPE press                  # no selection drawn over the view\n"
                                 "10 control 432 1327                  # Recalc\n"
                                 "12 command 32825                     # Save World\n"
                                 "14 command 32771                     # Exit\n",
                             40, "VAREK_SNAPSHOTS=3,11");
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_EQ(log.find("no tree item"), std::string::npos) << log;
    EXPECT_EQ(log.find("was not answered"), std::string::npos) << log;
    const std::string dump = DumpAfterFirstLine(dir, "Varek.wld");
    EXPECT_NE(dump.find("terrain \"Hill\""), std::string::npos) << dump;
    // Where the families meet, transition textures were made.
    int transitions = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir / "gen", ec)) {
        const std::string name = entry.path().filename().string();
        transitions += name.find("LOW") != std::string::npos && name.find("HIGH") != std::string::npos;
    }
    EXPECT_GT(transitions, 0);

    // Before the recalculation the terrain has no mesh; afterwards the editor draws it.
    EXPECT_LT(CountPixels(dir / "snapshot00003.bmp", TerrainColour), 50);
    EXPECT_GT(CountPixels(dir / "snapshot00011.bmp", TerrainColour), 1000);
    ASSERT_EQ(ToolView(dir, "after.bmp"), 0) << ReadText(dir / "view.txt");
    EXPECT_GT(CountPixels(dir / "after.bmp", TerrainColour), before + 1000);
    ASSERT_EQ(RunGame(dir, "game.bmp"), 0) << ReadText(dir / "game.txt");
    EXPECT_GT(CountPixels(dir / "game.bmp", TerrainColour), 1000);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

// Pixels whose colour differs by more than `tolerance` in a channel between two pictures.
int DifferentPixels(const fs::path& a, const fs::path& b, int tolerance = 8)
{
    const std::vector<uint8_t> pa = ReadBytes(a), pb = ReadBytes(b);
    int w = 0, h = 0, count = 0;
    uint32_t ca = 0, cb = 0;
    if (!BmpPixel(pa, 0, 0, &w, &h, &ca) || !BmpPixel(pb, 0, 0, &w, &h, &cb))
        return -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (BmpPixel(pa, x, y, &w, &h, &ca) && BmpPixel(pb, x, y, &w, &h, &cb))
                for (int shift : {0, 8, 16})
                    if (std::abs(int((ca >> shift) & 0xFF) - int((cb >> shift) & 0xFF)) > tolerance) {
                        ++count;
                        break;
                    }
    return count;
}

// The pixels that differ between two pictures inside a rectangle.
int DifferentPixelsIn(const fs::path& a, const fs::path& b, int x0, int y0, int x1, int y1)
{
    const std::vector<uint8_t> pa = ReadBytes(a), pb = ReadBytes(b);
    int w = 0, h = 0, count = 0;
    uint32_t ca = 0, cb = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (BmpPixel(pa, x, y, &w, &h, &ca) && BmpPixel(pb, x, y, &w, &h, &cb) && ca != cb)
                ++count;
    return count;
}

// In the 3-D view: a tree chosen in the Model List follows the cursor and a click
// places it (the World Tree shows it); copied, it follows the cursor again as the
// paste buffer; a drag over empty ground shows the rubber band.
TEST(EditorRun, ThePreviewThePasteBufferAndTheRubberBandAreDrawnInTheView)
{
    const fs::path dir = TempFolder("editor_drawn_edits");
    ASSERT_NO_FATAL_FAILURE(MakeEditorInstallation(dir));
    const size_t before = PlacedCount(DumpAfterFirstLine(dir, "Varek.wld"));
    // The tool windows stand at the top left; the view is used right of and below them.
    const int rc =
        RunEditor(dir,
                  "2 command 32804                      # Top View: the view's plane is the ground\n"
                  "2 wheel 6                            # nearer, so that a chair is large\n"
                  "3 command 32784                      # View Model-List\n"
                  "3 command 32837                      # View World-Tree\n"
                  "4 tree 190 select Models\\Street\\Baum\n"
                  "5 move 420 300\n"
                  "6 click left 420 300                 # placed\n"
                  "7 tree 198 select unnamed\\Baum\n"
                  "8 key CTRL down\n"
                  "8 key C press                        # Copy\n"
                  "8 key CTRL up\n"
                  "9 move 250 150\n"
                  "10 key ESCAPE press\n"
                  "11 down left 200 320\n"
                  "12 move 300 400\n"
                  "13 move 350 410\n"
                  "14 move 400 420\n"
                  "15 up left 400 420\n"
                  "16 command 32825                     # Save World\n"
                  "18 command 32771                     # Exit\n",
                  40, "VAREK_SNAPSHOTS=3,5,9,14");
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_EQ(log.find("no tree item"), std::string::npos) << log;
    EXPECT_GT(DifferentPixelsIn(dir / "snapshot00003.bmp", dir / "snapshot00005.bmp", 370, 250, 470, 350), 50)
        << "the preview at the cursor";
    EXPECT_GT(DifferentPixelsIn(dir / "snapshot00003.bmp", dir / "snapshot00009.bmp", 200, 100, 300, 200), 50)
        << "the paste buffer at the cursor";
    // The band's dotted frame along its top edge.
    const int dots = CountPixels(dir / "snapshot00014.bmp",
                                 [](int r, int g, int b) { return r == 255 && g == 255 && b == 255; });
    EXPECT_GT(dots, 250) << "the rubber band";
    EXPECT_EQ(PlacedCount(DumpAfterFirstLine(dir, "Varek.wld")), before + 1);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

// "Calc ShadowMaps..." on a house group with its properties answered, then "Save
// World": the editor draws the lightmaps from the next frame on, and the game on
// the saved world draws them too.
TEST(EditorRun, ShadowMapsOfAHouseAreDrawnAtOnceAndByTheGameOnTheSavedWorld)
{
    const fs::path dir = TempFolder("editor_shadowmaps");
    ASSERT_NO_FATAL_FAILURE(MakeEditorInstallation(dir));
    ASSERT_EQ(RunGame(dir, "game_before.bmp"), 0) << ReadText(dir / "game.txt");
    // Shadow maps are drawn while the setting is on (it starts off).
    const fs::path reg = dir / "config" / "varek" / "user.reg";
    std::string settings = ReadText(reg);
    const std::string off = "\"Shadowmaps\"=dword:00000000";
    ASSERT_NE(settings.find(off), std::string::npos) << settings;
    settings.replace(settings.find(off), off.size(), "\"Shadowmaps\"=dword:00000001");
    std::ofstream(reg) << settings;
    const int rc = RunEditor(dir,
                             "3 command 32837                      # View World-Tree\n"
                             "4 tree 198 select unnamed\\Haus_C\n"
                             "4 key ESCAPE press                   # the house is not drawn as selected\n"
                             "5 dialog 331 ok 1080=16              # the properties: texture size 16\n"
                             "5 control 198 32921                  # Calc ShadowMaps...\n"
                             "8 command 32825                      # Save World\n"
                             "10 command 32823                     # Start Game\n"
                             "31 command 32771                     # Exit\n",
                             40, "VAREK_SNAPSHOTS=4,5,30");
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_EQ(log.find("was not answered"), std::string::npos) << log;
    const std::string dump = DumpAfterFirstLine(dir, "Varek.wld");
    EXPECT_NE(dump.find(" shadow "), std::string::npos) << dump;
    // The house's lamps reach its lightmaps: some map keeps more than one texel and holds
    // texels brighter than the ambient colour (64, 64, 70) that an unlit map reduces to.
    const size_t house = dump.find("group \"Haus_C\"");
    ASSERT_NE(house, std::string::npos) << dump;
    std::istringstream lines(dump.substr(house, dump.find("\n  group ", house) - house));
    int litMaps = 0;
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find(" shadow ");
        unsigned w = 0, h = 0;
        int r = 0, g = 0, b = 0;
        if (at != std::string::npos &&
            std::sscanf(line.c_str() + at, " shadow %ux%u brightest (%d, %d, %d)", &w, &h, &r, &g, &b) == 5 &&
            w * h > 1 && r + g + b > 64 + 64 + 70 + 30)
            ++litMaps;
    }
    EXPECT_GT(litMaps, 0) << dump.substr(house, 3000);
    // The frame after the run shows the house with its lightmaps.
    EXPECT_GT(DifferentPixels(dir / "snapshot00004.bmp", dir / "snapshot00005.bmp"), 500);
    ASSERT_EQ(RunGame(dir, "game_after.bmp"), 0) << ReadText(dir / "game.txt");
    EXPECT_GT(DifferentPixels(dir / "game_before.bmp", dir / "game_after.bmp"), 500);
    // The house's street wall at the left, below the statistics: darkened by its night
    // lightmap once, not drawn near-black.
    const SRegion wallBefore = Mean(ReadBytes(dir / "game_before.bmp"), 10, 165, 160, 235);
    const SRegion wallAfter = Mean(ReadBytes(dir / "game_after.bmp"), 10, 165, 160, 235);
    const double before = wallBefore.r + wallBefore.g + wallBefore.b;
    const double after = wallAfter.r + wallAfter.g + wallAfter.b;
    EXPECT_LT(after, before * 0.6);
    EXPECT_GT(after, before * 0.18) << "the lightmap laid on twice";
    // The game started from the editor lights its street as the game program does.
    const SRegion fromEditor = Mean(ReadBytes(dir / "snapshot00030.bmp"), 0, 0, 640, 480);
    const SRegion fromGame = Mean(ReadBytes(dir / "game_after.bmp"), 0, 0, 640, 480);
    EXPECT_NEAR(fromEditor.r + fromEditor.g + fromEditor.b, fromGame.r + fromGame.g + fromGame.b, 30.0);
    EXPECT_GT(fromEditor.distinct, 40);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

// A designer's behaviour edit: the front door of the first house gets a timed
// task through the Task List and Edit Task and a dependency on its states, and
// the saved world carries both in the door's own object data, which the game
// then reads without complaint.
TEST(EditorRun, GivesADoorATimedTaskAndADependencyThatTheGameReads)
{
    const fs::path dir = TempFolder("editor_tasks_run");
    ASSERT_NO_FATAL_FAILURE(MakeEditorInstallation(dir));
    std::error_code ec;
    JoinInstallation(dir, VAREK_PROGRAM, "Varek", ec);
    ASSERT_FALSE(ec) << ec.message();
    std::ofstream(dir / "script.txt")
        << "3 command 32837                      # View World-Tree\n"
           "4 tree 198 select unnamed\\Haus_A\\Stockwerk_1\\aussen\\Door_Left\n"
           "5 command 32977                      # View Object-Properties\n"
           "6 control 340 1110                   # Show Main-Task-List\n"
           "7 dialog 344 ok 1119=#3 1128=1 1117=1 1118=2 1120=3.4   # Door at 01:02:03.4\n"
           "8 tree 339 rclick\n"
           "9 command 32958                      # Add Task...\n"
           "10 tree 343 rclick\n"
           "11 command 32962                     # Add Dependency...\n"
           "12 control 347 1295                  # States\n"
           "12 control 347 1296                  # Open: cleared\n"
           "12 control 347 1296                  # Open: set\n"
           "13 control 347 1                     # OK\n"
           "15 command 32825                     # Save World\n"
           "17 command 32771                     # Exit\n";
    const int rc = RunEditor(dir);
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_EQ(log.find("Script:"), std::string::npos) << log;
    EXPECT_EQ(log.find("was not answered"), std::string::npos) << log;

    const fs::path logic = dir / "logic.txt";
    const int toolRc = RunCommand("cd " + Quote(dir) + " && '" + VAREK_TOOL_PATH +
                                  "' world logic Varek.wld >" + Quote(logic) + " 2>&1");
    const std::string text = ReadText(logic);
    ASSERT_EQ(toolRc, 0) << text;
    const size_t door = text.find("of \"Door_Left\"");
    ASSERT_NE(door, std::string::npos) << text;
    const size_t next = text.find("\n  \"", door + 1);
    const std::string own = text.substr(door, next == std::string::npos ? std::string::npos : next - door);
    EXPECT_NE(own.find("task 4 \"Door\" start 3723400"), std::string::npos) << own;
    // After the door's own answer to the picklock, which the level gives every door.
    EXPECT_NE(own.find("dependency 2: States: Open Set (0 linked tasks)"), std::string::npos) << own;

    // The game reads the saved world as its own.
    fs::remove(dir / "log.txt");
    const int game = RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                                " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_FIXED_STEP=1"
                                " VAREK_EXIT_AFTER_FRAMES=5 ./Varek -window -logging > game.txt 2>&1");
    const std::string gameLog = ReadText(dir / "log.txt");
    EXPECT_EQ(game, 0) << ReadText(dir / "game.txt") << gameLog;
    EXPECT_EQ(gameLog.find("INFO"), std::string::npos) << gameLog;
    EXPECT_NE(gameLog.find("World loaded successfuly"), std::string::npos) << gameLog;
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

// The attack points of a chair edited in Model View through their dialog, the view
// held while it is open, the camera positioned with Ctrl+D, a shape point added in
// Model Ground View, and the world saved; then F10 starts planning the burglary
// chosen in its dialog.
TEST(EditorRun, EditsAttackPointsInTheModelViewAndSavesThem)
{
    const fs::path dir = TempFolder("editor_attack_points");
    ASSERT_NO_FATAL_FAILURE(MakeEditorInstallation(dir));
    std::ofstream(dir / "script.txt")
        << "3 command 32784                      # View Model-List\n"
           "4 tree 190 select Models\\Furniture\\Stuhl\n"
           "5 key F6 press                       # Model View\n"
           "6 command 32996                      # Edit AttackPoints...\n"
           "7 control 400 1271                   # Add\n"
           "8 control 400 1273                   # Mirror\n"
           "9 control 400 1271                   # Add\n"
           "10 key F4 press                      # the view stays\n"
           "11 command 32996                     # a second dialog does not open\n"
           "12 close 400\n"
           "13 dialog 431 ok 1189=10 1190=2 1191=-5\n"
           "14 key CTRL down\n"
           "14 key D press                       # Position Camera\n"
           "14 key CTRL up\n"
           "15 key F7 press                      # Model Ground View\n"
           "16 command 32778                     # View Model-Tree\n"
           "17 tree 183 select Stuhl\\Stuhl\n"
           "17 snapshot shape_before.bmp\n"
           "18 click left 309 214                # a vertex of the chair's back\n"
           "18 snapshot shape_after.bmp\n"
           "19 command 32825                     # Save World\n"
           "20 dialog 434 ok 1164=2              # the burglary to plan\n"
           "20 key F10 press                     # Start Planning Mode\n"
           "22 command 32771                     # Exit\n";
    const int rc = RunEditor(dir);
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_EQ(log.find("was not answered"), std::string::npos) << log;
    EXPECT_EQ(log.find("no control"), std::string::npos) << log;
    // The game was initialised a second time, now in the planning phase.
    const size_t saved = log.find("Saving '");
    ASSERT_NE(saved, std::string::npos) << log;
    const size_t planning = log.find("Marking logable objects...");
    EXPECT_NE(planning, std::string::npos) << log;
    EXPECT_GT(planning, saved) << log;
    EXPECT_NE(log.find("Game initialization complete", planning), std::string::npos) << log;
    const std::string dump = DumpAfterFirstLine(dir, "Varek.wld");
    const size_t chair = dump.find("\"Stuhl\" folder \"\\Models\\Furniture\"");
    ASSERT_NE(chair, std::string::npos) << dump;
    const std::string line = dump.substr(chair, dump.find('\n', chair) - chair);
    EXPECT_NE(line.find(" attack (-0, 0, -0, 3.14159) attack (0, 0, 0, 0)"), std::string::npos) << line;
    // Model Ground View draws the selected mesh's shape: its outline's points joined by edges
    // (blue) on the ground and the other vertices (green). The click makes the vertex a shape
    // point (pink) and the outline, no longer closed, loses its edges.
    auto count = [&](const char* shot, uint32_t colour, int top, int bottom) {
        const std::vector<uint8_t> bmp = ReadBytes(dir / shot);
        int w = 0, h = 0, n = 0;
        uint32_t rgb = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 290; x < 350; ++x)
                n += BmpPixel(bmp, x, y, &w, &h, &rgb) && rgb == colour ? 1 : 0;
        return n;
    };
    EXPECT_GT(count("shape_before.bmp", 0x80FF99u, 205, 240), 0);
    EXPECT_GT(count("shape_before.bmp", 0x4000E0u, 240, 275), 0);
    EXPECT_EQ(count("shape_before.bmp", 0xD09090u, 205, 240), 0);
    EXPECT_GT(count("shape_after.bmp", 0xD09090u, 205, 240), 0);
    EXPECT_EQ(count("shape_after.bmp", 0x4000E0u, 240, 275), 0);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

} // namespace
