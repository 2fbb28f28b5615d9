// The Terrain Properties window and the placement rules dialog through their
// controls, as a person or a script gives them, and the World Tree's way into
// the window.
#include "tests/editor/TerrainTestUtil.h"

#include "GAMES/Rulo2/editor/terrain/TerrainPropertiesDlg.h"
#include "GAMES/Rulo2/editor/terrain/TerrainRulesDlg.h"
#include "platform/win/MessageBox.h"
#include "tests/world/WorldTestUtil.h"

#include <fstream>
#include <sstream>

namespace terraintest {
namespace {

std::string ReadText(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TerrainWindows : public TerrainTest
{
protected:
    void SetUp() override
    {
        TerrainTest::SetUp();
        platform::ui::ClearDialogAnswers();
        static std::vector<std::string>* sink = nullptr;
        sink = &boxes;
        platform::SetMessageBoxLog([](const char* line) { sink->push_back(line); });
    }
    void TearDown() override
    {
        platform::SetMessageBoxLog(nullptr);
        platform::ui::ClearDialogAnswers();
        TerrainTest::TearDown();
    }
    bool BoxSaid(const std::string& text) const
    {
        for (const std::string& b : boxes)
            if (b.find(text) != std::string::npos)
                return true;
        return false;
    }
    std::vector<std::string> boxes;
};

TEST_F(TerrainWindows, PropertiesShowTheRecordRefuseOutOfRangeValuesAndRebuildFromTheirEdits)
{
    const std::string map = Heightmap("map.tif", 6, 6, [](int x, int y) { return uint8_t(x * 40 + y * 5); });
    const std::string rules = Write("rules.txt", "rule all\nruleend\n");
    CTerrainRules* t = NewTerrain();
    TerrainPropertiesDlg window;
    ASSERT_TRUE(window.Create(nullptr));
    window.SetTerrain(t);
    EXPECT_EQ("30", window.GetDlgItemText(TerrainPropertiesDlg::IDC_WIDTH));
    EXPECT_EQ("10", window.GetDlgItemText(TerrainPropertiesDlg::IDC_MAXHEIGHT));
    window.SetDlgItemText(TerrainPropertiesDlg::IDC_IMAGENAME, map);
    window.SetDlgItemText(TerrainPropertiesDlg::IDC_TEXRULES, rules);
    window.SetDlgItemText(TerrainPropertiesDlg::IDC_WIDTH, "5");
    window.SetDlgItemText(TerrainPropertiesDlg::IDC_HEIGHT, "5");

    // Each out-of-range edit is refused with the standard message and nothing is built.
    struct Case
    {
        int control;
        const char* typed;
        const char* message;
    };
    for (const Case c : {Case{TerrainPropertiesDlg::IDC_RANDX, "150", "between 0 and 100"},
                         Case{TerrainPropertiesDlg::IDC_RANDY, "-1", "between 0 and 100"},
                         Case{TerrainPropertiesDlg::IDC_TEXRESX, "2", "between 0 and 1"},
                         Case{TerrainPropertiesDlg::IDC_TEXRESY, "1.5", "between 0 and 1"},
                         Case{TerrainPropertiesDlg::IDC_WIDTH, "wide", "Please enter a number."}}) {
        SCOPED_TRACE(c.typed);
        const std::string before = window.GetDlgItemText(c.control);
        window.SetDlgItemText(c.control, c.typed);
        boxes.clear();
        window.Click(TerrainPropertiesDlg::IDC_RECALC);
        EXPECT_TRUE(BoxSaid(c.message)) << (boxes.empty() ? "no message" : boxes.back());
        EXPECT_EQ(0, t->valid);
        EXPECT_EQ(30.0f, t->width);
        window.SetDlgItemText(c.control, before);
    }

    window.SetDlgItemText(TerrainPropertiesDlg::IDC_RANDX, "50");
    window.Click(TerrainPropertiesDlg::IDC_RECALC);
    ASSERT_EQ(1, t->valid);
    EXPECT_EQ(5.0f, t->width);
    EXPECT_FLOAT_EQ(0.5f, t->randX);
    EXPECT_EQ(map, t->heightmapName);
    EXPECT_EQ(rules, t->rulesPath);

    // Calc Heightmap: the click only sets the box; Recalc then builds no grid.
    window.Click(TerrainPropertiesDlg::IDC_CALC_HEIGHTMAP);
    window.Click(TerrainPropertiesDlg::IDC_RECALC);
    EXPECT_EQ(0, t->valid);
    EXPECT_EQ(0, t->vertexCount);
}

TEST_F(TerrainWindows, EditOpensTheRulesDialogWhoseOkWritesTheFileThatRecalcReads)
{
    const std::string map = Heightmap("map.tif", 6, 6, [](int, int) { return uint8_t(100); });
    const std::string rules = Write("rules.txt", "rule grass\ndensity 0.5\nruleend\n");
    CTerrainRules* t = NewTerrain();
    TerrainPropertiesDlg window;
    ASSERT_TRUE(window.Create(nullptr));
    window.SetTerrain(t);
    window.SetDlgItemText(TerrainPropertiesDlg::IDC_IMAGENAME, map);
    window.SetDlgItemText(TerrainPropertiesDlg::IDC_TEXRULES, rules);
    // The dialog as a script answers it: the standard texture path typed, then OK.
    platform::ui::QueueDialogAnswer(
        {TerrainRulesDlg::IDD, {{TerrainRulesDlg::IDC_STANDARD_PATH, "textures"}}, platform::ui::IDOK});
    window.Click(TerrainPropertiesDlg::IDC_EDIT);
    const std::string written = ReadText(rules);
    EXPECT_NE(std::string::npos, written.find("textures\\")) << written;
    EXPECT_NE(std::string::npos, written.find("GRASS")) << written;
    EXPECT_EQ(1, t->valid) << "Edit ends with a rebuild";

    // Cancel leaves the file as it is and builds nothing new.
    platform::ui::QueueDialogAnswer({TerrainRulesDlg::IDD, {}, platform::ui::IDCANCEL});
    t->valid = 0;
    window.Click(TerrainPropertiesDlg::IDC_EDIT);
    EXPECT_EQ(written, ReadText(rules));
    EXPECT_EQ(0, t->valid);
}

TEST_F(TerrainWindows, RulesDialogControlsDriveTheRuleSet)
{
    worldtest::AddEntry("Tree", g_ModelsTree, 2.0f);
    CTerrainRules t;
    t.families[1] = sString("ROCK");
    t.rulesPath = Path("out.txt");
    TerrainRulesDlg dlg(&t);
    ASSERT_TRUE(dlg.Create(nullptr));
    const platform::ui::Control* families = dlg.GetDlgItem(TerrainRulesDlg::IDC_FAMILIES);
    ASSERT_EQ(4u, families->list.size());
    EXPECT_NE(std::string::npos, families->list[1].find("ROCK"));
    EXPECT_FALSE(dlg.GetDlgItem(TerrainRulesDlg::IDC_APPLY)->enabled);

    // A rule typed with all ranges 0 gets the full ranges, shown in the edits at once.
    dlg.SetDlgItemText(TerrainRulesDlg::IDC_RULE_NAME, "grass");
    dlg.SetDlgItemText(TerrainRulesDlg::IDC_DENSITY, "0.5");
    dlg.Click(TerrainRulesDlg::IDC_ADD_RULE);
    ASSERT_EQ(1, t.textureRules.count());
    EXPECT_EQ("90", dlg.GetDlgItemText(TerrainRulesDlg::IDC_SLOPE_END));
    EXPECT_EQ("360", dlg.GetDlgItemText(TerrainRulesDlg::IDC_DIRECTION_END));
    ASSERT_EQ(1u, dlg.GetDlgItem(TerrainRulesDlg::IDC_RULES)->list.size());

    // A density above 1 is refused with the range message and changes nothing.
    dlg.SetDlgItemText(TerrainRulesDlg::IDC_DENSITY, "2");
    dlg.Click(TerrainRulesDlg::IDC_ADD_RULE);
    EXPECT_TRUE(BoxSaid("between 0 and 1"));
    EXPECT_FLOAT_EQ(0.5f, t.textureRules[0].density);
    dlg.SetDlgItemText(TerrainRulesDlg::IDC_DENSITY, "0.5");

    // An entry of family ROCK chosen in the Family box, variant V2 from the Index box.
    platform::ui::Control* familyBox = dlg.GetDlgItem(TerrainRulesDlg::IDC_FAMILY_BOX);
    ASSERT_EQ(1u, familyBox->list.size());
    familyBox->selection = 0;
    dlg.GetDlgItem(TerrainRulesDlg::IDC_INDEX_BOX)->selection = 2;
    dlg.SetDlgItemText(TerrainRulesDlg::IDC_ENTRY_DENSITY, "1");
    dlg.Click(TerrainRulesDlg::IDC_ADD_ENTRY);
    ASSERT_EQ(1, t.textureRules[0].entries.count());
    EXPECT_EQ(1, t.textureRules[0].entries[0]->family);
    ASSERT_EQ(1u, dlg.GetDlgItem(TerrainRulesDlg::IDC_ENTRIES)->list.size());
    EXPECT_EQ(0u, dlg.GetDlgItem(TerrainRulesDlg::IDC_ENTRIES)->list[0].rfind("V2", 0));

    // The rule type chosen in its box: the family box and density go grey.
    dlg.GetDlgItem(TerrainRulesDlg::IDC_RULE_TYPE)->selection = 1;
    dlg.Click(TerrainRulesDlg::IDC_RULE_TYPE);
    EXPECT_FALSE(dlg.GetDlgItem(TerrainRulesDlg::IDC_FAMILY_BOX)->enabled);
    EXPECT_FALSE(dlg.GetDlgItem(TerrainRulesDlg::IDC_DENSITY)->enabled);

    // A typed path gets its backslash when another control is used; OK writes the file.
    dlg.SetDlgItemText(TerrainRulesDlg::IDC_GENERATED_PATH, "made");
    dlg.Click(TerrainRulesDlg::IDOK);
    EXPECT_EQ("made\\", t.generatedPath);
    const std::string written = ReadText(t.rulesPath);
    EXPECT_NE(std::string::npos, written.find("GRASS")) << written;
    EXPECT_NE(std::string::npos, written.find("made\\")) << written;
}

TEST_F(TerrainWindows, ShowingATerrainBindsTheWindowUntilItsGroupIsDeleted)
{
    auto* group = new CWorldObject("Hill");
    g_WorldRoot->AddChild(group);
    CTerrainRules* t = NewTerrain("Hill");
    CWorldObject* terrain = t->owner;
    terrain->Remove();
    group->AddChild(terrain);
    auto* model = new CWorldObject("Tree");
    model->objectKind = CWorldObject::KIND_MODEL;
    group->AddChild(model);

    TerrainPropertiesDlg window;
    ASSERT_TRUE(window.Create(nullptr));
    window.ShowWindow(platform::SW_HIDE);
    TerrainPropertiesDlg* const saved = g_TerrainProperties;
    g_TerrainProperties = &window;
    for (CWorldObject* other : {static_cast<CWorldObject*>(nullptr), model, group})
        ShowTerrainProperties(other);
    EXPECT_FALSE(window.IsWindowVisible());
    ShowTerrainProperties(terrain);
    g_TerrainProperties = saved;
    EXPECT_TRUE(window.IsWindowVisible());
    EXPECT_EQ(t, window.Terrain());
    EXPECT_EQ("30", window.GetDlgItemText(TerrainPropertiesDlg::IDC_WIDTH));

    // Deleting the group unbinds the window: its buttons then do nothing.
    group->DeleteWithChildren();
    EXPECT_EQ(nullptr, window.Terrain());
    for (int button :
         {TerrainPropertiesDlg::IDC_RECALC, TerrainPropertiesDlg::IDC_CALC, TerrainPropertiesDlg::IDC_EDIT})
        window.Click(button);
}

} // namespace
} // namespace terraintest
