// The editor build started on the sample installation, driven by an input script
// through its menu: "Save World As..." answered with a name, "View World-Tree",
// then "Exit". The saved world holds what the sample's did, and the tool window's
// placement and show value are in the registry.
#include "tests/sample/SampleTestUtil.h"

#include <sstream>

namespace {

using namespace sampletest;

std::string DumpAfterFirstLine(const fs::path& dir, const char* file)
{
    const fs::path out = dir / (std::string(file) + ".dump");
    const int rc = RunCommand("cd " + Quote(dir) + " && '" + VAREK_TOOL_PATH + "' world dump " + file + " >" +
                              Quote(out) + " 2>&1");
    std::string text = ReadText(out);
    EXPECT_EQ(rc, 0) << text;
    const size_t eol = text.find('\n');
    return eol == std::string::npos ? std::string() : text.substr(eol + 1);
}

TEST(EditorRun, SavesTheWorldAsTogglesTheWorldTreeAndExits)
{
    const fs::path dir = TempFolder("editor_run");
    std::string output;
    ASSERT_TRUE(MakeSample(dir, &output)) << output;
    std::error_code ec;
    fs::copy_file(VAREK_EDIT_PROGRAM, dir / "VarekEdit", ec);
    ASSERT_FALSE(ec) << ec.message();
    std::ofstream(dir / "script.txt") << "2 dialog 1537 ok 1152=town.txt   # the file dialog's answer\n"
                                         "3 command 32793                   # Save World As...\n"
                                         "5 command 32837                   # View World-Tree\n"
                                         "9 command 32771                   # Exit\n";
    const int rc = RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                              " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_FIXED_STEP=1"
                              " VAREK_EXIT_AFTER_FRAMES=40 VAREK_INPUT_SCRIPT=script.txt"
                              " ./VarekEdit -window -logging Varek.wld > output.txt 2>&1");
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
    std::string output;
    ASSERT_TRUE(MakeSample(dir, &output)) << output;
    std::error_code ec;
    fs::copy_file(VAREK_EDIT_PROGRAM, dir / "VarekEdit", ec);
    ASSERT_FALSE(ec) << ec.message();
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
    const int rc = RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                              " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_FIXED_STEP=1"
                              " VAREK_EXIT_AFTER_FRAMES=40 VAREK_INPUT_SCRIPT=script.txt"
                              " ./VarekEdit -window -logging Varek.wld > output.txt 2>&1");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << ReadText(dir / "log.txt");
    EXPECT_EQ(PlacedCount(DumpAfterFirstLine(dir, "Varek.wld")), 2 * before);
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}

// The World Tree and the Model List driven as a person drives them: a new group
// in a house takes a chair dropped on it, a model is copied, and the world saved.
TEST(EditorRun, OrganisesTheWorldInItsToolWindowsAndSavesIt)
{
    const fs::path dir = TempFolder("editor_windows_run");
    std::string output;
    ASSERT_TRUE(MakeSample(dir, &output)) << output;
    std::error_code ec;
    fs::copy_file(VAREK_EDIT_PROGRAM, dir / "VarekEdit", ec);
    ASSERT_FALSE(ec) << ec.message();
    std::ofstream(dir / "script.txt")
        << "3 command 32837                      # View World-Tree\n"
           "4 tree 198 select unnamed\\Haus_B     # the houses of the town are shown\n"
           "4 tree 198 select unnamed\\Haus_C\n"
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
           "16 command 32825                     # Save World\n"
           "18 command 32771                     # Exit\n";
    const int rc = RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                              " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_FIXED_STEP=1"
                              " VAREK_EXIT_AFTER_FRAMES=40 VAREK_INPUT_SCRIPT=script.txt"
                              " ./VarekEdit -window -logging Varek.wld > output.txt 2>&1");
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_EQ(log.find("no tree item"), std::string::npos) << log;
    const std::string dump = DumpAfterFirstLine(dir, "Varek.wld");
    EXPECT_NE(dump.find("#45 \"Stuhl [Copy 2]\" folder \"\\Models\\Furniture\""), std::string::npos) << dump;
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

// A designer's behaviour edit: the front door of the first house gets a timed
// task through the Task List and Edit Task and a dependency on its states, and
// the saved world carries both in the door's own object data, which the game
// then reads without complaint.
TEST(EditorRun, GivesADoorATimedTaskAndADependencyThatTheGameReads)
{
    const fs::path dir = TempFolder("editor_tasks_run");
    std::string output;
    ASSERT_TRUE(MakeSample(dir, &output)) << output;
    std::error_code ec;
    fs::copy_file(VAREK_EDIT_PROGRAM, dir / "VarekEdit", ec);
    ASSERT_FALSE(ec) << ec.message();
    fs::copy_file(VAREK_PROGRAM, dir / "Varek", ec);
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
    const int rc = RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                              " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_FIXED_STEP=1"
                              " VAREK_EXIT_AFTER_FRAMES=40 VAREK_INPUT_SCRIPT=script.txt"
                              " ./VarekEdit -window -logging Varek.wld > output.txt 2>&1");
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
    EXPECT_NE(own.find("dependency 1: States: Open Set (0 linked tasks)"), std::string::npos) << own;

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

} // namespace

// The attack points of a chair edited in Model View through their dialog, the view
// held while it is open, the camera positioned with Ctrl+D, and the world saved.
TEST(EditorRun, EditsAttackPointsInTheModelViewAndSavesThem)
{
    const fs::path dir = TempFolder("editor_attack_points");
    std::string output;
    ASSERT_TRUE(MakeSample(dir, &output)) << output;
    std::error_code ec;
    fs::copy_file(VAREK_EDIT_PROGRAM, dir / "VarekEdit", ec);
    ASSERT_FALSE(ec) << ec.message();
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
           "16 command 32825                     # Save World\n"
           "18 command 32771                     # Exit\n";
    const int rc = RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                              " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_FIXED_STEP=1"
                              " VAREK_EXIT_AFTER_FRAMES=40 VAREK_INPUT_SCRIPT=script.txt"
                              " ./VarekEdit -window -logging Varek.wld > output.txt 2>&1");
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_EQ(log.find("was not answered"), std::string::npos) << log;
    EXPECT_EQ(log.find("no control"), std::string::npos) << log;
    const std::string dump = DumpAfterFirstLine(dir, "Varek.wld");
    const size_t chair = dump.find("\"Stuhl\" folder \"\\Models\\Furniture\"");
    ASSERT_NE(chair, std::string::npos) << dump;
    const std::string line = dump.substr(chair, dump.find('\n', chair) - chair);
    EXPECT_NE(line.find(" attack (-0, 0, -0, 3.14159) attack (0, 0, 0, 0)"), std::string::npos) << line;
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}
