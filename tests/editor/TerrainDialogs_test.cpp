// The placement rules dialog and the Terrain Properties window driven through
// their handlers, as the toolkit calls them.
#include "tests/editor/TerrainTestUtil.h"

#include "GAMES/Rulo2/editor/terrain/TerrainPropertiesDlg.h"
#include "GAMES/Rulo2/editor/terrain/TerrainRulesDlg.h"
#include "tests/world/WorldTestUtil.h"

namespace terraintest {
namespace {

using TerrainDialogs = TerrainTest;

TEST_F(TerrainDialogs, AddingARuleUpdatesTheOneOfThatNameAndFillsZeroRanges)
{
    CTerrainRules t;
    const std::string rules = Write("rules.txt", "rule grass\ndensity 0.5\nruleend\n");
    t.Parse(rules.c_str());
    TerrainRulesDlg dlg(&t);
    dlg.OnInitDialog();
    ASSERT_EQ(1u, dlg.rules.size());
    EXPECT_EQ("TEXRULE", dlg.rules[0][2]);

    dlg.ruleName = " grass ";
    dlg.density = 0.25f;
    dlg.OnAddRule();
    ASSERT_EQ(1, t.textureRules.count()) << "grass is GRASS";
    EXPECT_FLOAT_EQ(0.25f, t.textureRules[0].density);
    EXPECT_EQ(1.0f, dlg.heightEnd);
    EXPECT_EQ(90.0f, dlg.slopeEnd);
    EXPECT_EQ(360.0f, dlg.directionEnd);
    const CGeneratorRule& r = t.textureRules[0];
    EXPECT_EQ(0.0f, r.heightStart);
    EXPECT_EQ(1.0f, r.heightEnd);
    EXPECT_EQ(1.5707964f, r.slopeEnd);
    EXPECT_EQ(6.2831855f, r.directionEnd);
    EXPECT_EQ("0.00\xB0 - 90.00\xB0", dlg.rules[0][6]);

    // Written without range lines, as a rule read with the defaults is.
    const std::string text = t.WriteText();
    EXPECT_EQ(std::string::npos, text.find("slope")) << text;

    dlg.ruleName = "trees";
    dlg.ruleType = "ObjectRule";
    dlg.OnRuleTypeChange();
    EXPECT_FALSE(dlg.densityEnabled);
    dlg.OnAddRule();
    ASSERT_EQ(1, t.objectRules.count());
    ASSERT_EQ(2u, dlg.rules.size());
    dlg.OnRulesClick(1);
    EXPECT_EQ("ObjectRule", dlg.ruleType);
    dlg.OnRemoveRule();
    EXPECT_EQ(0, t.objectRules.count());
    EXPECT_EQ(1, t.textureRules.count());
}

TEST_F(TerrainDialogs, RemovingAnObjectKeepsTheNumbersOfTheOthers)
{
    worldtest::AddEntry("Tree", g_ModelsTree, 2.0f);
    worldtest::AddEntry("Bush", g_ModelsTree, 1.0f);
    CTerrainRules t;
    TerrainRulesDlg dlg(&t);
    dlg.OnInitDialog();
    for (int i = 0; i < 5; ++i) {
        dlg.objectNumber = std::to_string(i);
        dlg.objectName = i % 2 ? "bush" : "Tree";
        dlg.scalePercentFlag = true;
        dlg.scalePercent = "25";
        dlg.amount = std::to_string(i + 1);
        dlg.OnAddObject();
    }
    ASSERT_EQ(5u, dlg.objects.size());
    dlg.objectNumber = "2";
    dlg.OnRemoveObject();
    ASSERT_EQ(5, t.objectDefinitions.count());
    EXPECT_EQ(nullptr, t.objectDefinitions[2].model);
    EXPECT_EQ(4, t.objectDefinitions[3].amount);
    EXPECT_EQ(5, t.objectDefinitions[4].amount);
    ASSERT_EQ(4u, dlg.objects.size());
    for (const auto& row : dlg.objects)
        EXPECT_NE("2", row[0]);
    EXPECT_EQ(" 25%", dlg.objects[2][2]);

    dlg.objectNumber = "9";
    dlg.OnRemoveObject();
    EXPECT_TRUE(Logged("Object definition number 9 does not exist")) << Log();
    dlg.objectNumber = "5000";
    dlg.objectName = "Tree";
    dlg.OnAddObject();
    EXPECT_EQ(5, t.objectDefinitions.count());
}

TEST_F(TerrainDialogs, OkAsksForAPathOnlyWhenThereIsNone)
{
    CTerrainRules t;
    TerrainRulesDlg dlg(&t);
    dlg.OnInitDialog();
    static std::string answer;
    answer.clear();
    EXPECT_EQ(TerrainRulesDlg::IDOK, dlg.OnOK([] { return answer; }));
    EXPECT_TRUE(t.rulesPath.empty());
    answer = Path("asked.txt");
    dlg.OnOK([] { return answer; });
    EXPECT_TRUE(fs::exists(answer));
}

TEST_F(TerrainDialogs, PropertiesRecalcRepeatsAndForgetsADeletedTerrain)
{
    const std::string map = Heightmap("map.tif", 6, 6, [](int x, int y) { return uint8_t(x * 40 + y * 5); });
    const std::string rules = Write("rules.txt", "rule all\nruleend\n");
    CTerrainRules* t = NewTerrain();
    CWorldObject* node = t->owner;
    TerrainPropertiesDlg window;
    window.SetTerrain(t);
    EXPECT_EQ(30.0f, window.width);
    window.imageName = map;
    window.rulesName = rules;
    window.randX = 50.0f;
    window.OnRecalc();
    ASSERT_EQ(1, t->valid);
    EXPECT_FLOAT_EQ(0.5f, t->randX);
    const auto first = t->groupVertices;
    window.OnRecalc();
    ASSERT_EQ(first.size(), t->groupVertices.size());
    EXPECT_EQ(0, std::memcmp(first[0].data(), t->groupVertices[0].data(),
                             first[0].size() * sizeof(STerrainVertex)));
    EXPECT_EQ(map, t->heightmapName);

    // Out of range: nothing is written.
    window.randX = 150.0f;
    std::string message;
    EXPECT_FALSE(window.ReadControls(&message));
    EXPECT_EQ("Please enter a number between 0 and 100.", message);
    window.OnRecalc();
    EXPECT_FLOAT_EQ(0.5f, t->randX);
    window.randX = 50.0f;
    window.texResX = 2.0f;
    EXPECT_FALSE(window.ReadControls());
    window.texResX = 1.0f;

    window.calcHeightmap = 1;
    window.OnRecalc();
    EXPECT_EQ(0, t->valid);
    EXPECT_EQ(0, t->vertexCount);

    node->Remove();
    delete node;
    EXPECT_EQ(nullptr, window.Terrain());
    window.OnRecalc();
    window.OnCalc();
    window.OnEdit([](CTerrainRules*) { return true; });
}

} // namespace
} // namespace terraintest
