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
    std::string output;
    ASSERT_TRUE(MakeSample(dir, &output)) << output;
    std::error_code ec;
    fs::copy_file(VAREK_EDIT_PROGRAM, dir / "VarekEdit", ec);
    ASSERT_FALSE(ec) << ec.message();
    const int pages = PageCount(dir, "Varek.wld");
    ASSERT_GE(pages, 0);
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
           "15 command 32809                     # Model View\n"
           "15 command 32838                     # View Texture-Manager\n"
           "15 control 202 32843                 # New Texture-Page\n"
           "16 command 32825                     # Save World\n"
           "18 command 32771                     # Exit\n";
    const int rc = RunCommand("cd " + Quote(dir) + " && env XDG_CONFIG_HOME=" + Quote(dir / "config") +
                              " LSAN_OPTIONS=detect_leaks=0 VAREK_NONINTERACTIVE=1 VAREK_FIXED_STEP=1"
                              " VAREK_EXIT_AFTER_FRAMES=40 VAREK_INPUT_SCRIPT=script.txt"
                              " ./VarekEdit -window -logging Varek.wld > output.txt 2>&1");
    const std::string log = ReadText(dir / "log.txt");
    ASSERT_EQ(rc, 0) << ReadText(dir / "output.txt") << log;
    EXPECT_EQ(log.find("no tree item"), std::string::npos) << log;
    EXPECT_EQ(log.find("is not shown"), std::string::npos) << log;
    // The Texture Manager's new page was saved with the world.
    EXPECT_EQ(PageCount(dir, "Varek.wld"), pages + 1);
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

} // namespace
