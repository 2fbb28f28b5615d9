// The rule file: the lenient reader's keyword order, what the writer leaves
// out, and files that survive write, read, write unchanged.
#include "tests/editor/TerrainTestUtil.h"

#include <fstream>

#include "tests/world/WorldTestUtil.h"

namespace terraintest {
namespace {

class TerrainRuleFile : public TerrainTest
{
protected:
    void Read(const std::string& text)
    {
        file = Write("rules.txt", text);
        t.Parse(file.c_str());
    }
    std::string Written()
    {
        const std::string out = Path("written.txt");
        EXPECT_TRUE(t.Write(out.c_str()));
        std::ifstream in(out, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string file;
    CTerrainRules t;
};

TEST_F(TerrainRuleFile, KeywordsAreFoundAnywhereInTheirOrder)
{
    struct Case
    {
        const char* text;
        std::function<void(const CTerrainRules&)> check;
    };
    const Case cases[] = {
        {"TEXTURERULE GRASS\nruleend\nrule grass2\nruleend\n",
         [](const CTerrainRules& r) {
             ASSERT_EQ(2, r.textureRules.count());
             EXPECT_STREQ("GRASS", r.textureRules[0].name.c_str());
             EXPECT_STREQ("GRASS2", r.textureRules[1].name.c_str());
         }},
        {"objectrule trees\nruleend\n",
         [](const CTerrainRules& r) {
             EXPECT_EQ(0, r.textureRules.count());
             ASSERT_EQ(1, r.objectRules.count());
             EXPECT_STREQ("TREES", r.objectRules[0].name.c_str());
         }},
        {"rule a\nX DENSITY 0.5\nslopeend 45\nruleend\n",
         [](const CTerrainRules& r) {
             ASSERT_EQ(1, r.textureRules.count());
             EXPECT_EQ(0.0f, r.textureRules[0].density) << "text in front of the keyword stays in the value";
             EXPECT_FLOAT_EQ(45.0f / 180.0f * 3.1415927f, r.textureRules[0].slopeEnd);
         }},
        {"family 1 rock\nFAMILY 5 STONE\n",
         [](const CTerrainRules& r) {
             EXPECT_STREQ("NONE", r.FamilyName(0));
             EXPECT_STREQ("ROCK", r.FamilyName(1));
             EXPECT_STREQ("NONE", r.FamilyName(2));
             EXPECT_STREQ("NONE", r.FamilyName(3));
         }},
        {"texturepath_standard D:\\TEX\ntexturepath_generated  gen \ntexturepath e:\\other // later one "
         "wins\n",
         [](const CTerrainRules& r) {
             EXPECT_EQ("E:\\OTHER\\", r.standardPath);
             EXPECT_EQ("GEN\\", r.generatedPath);
         }},
        {"family 2 rock\nrule a\nfamily 2\n texture V0 1\nruleend\nrule b\n texture V1 2\nfamily 7\n texture "
         "v2\nruleend\n",
         [](const CTerrainRules& r) {
             ASSERT_EQ(2, r.textureRules.count());
             EXPECT_EQ(2, r.textureRules[0].entries[0]->family);
             EXPECT_EQ(2, r.textureRules[1].entries[0]->family) << "the family carries over";
             EXPECT_EQ(0, r.textureRules[1].entries[1]->family) << "a number outside 0 to 3 selects 0";
             EXPECT_FLOAT_EQ(2.0f, r.textureRules[1].weightSum);
         }},
        {"rule open\ntexture V0 1\n",
         [](const CTerrainRules& r) {
             EXPECT_EQ(0, r.textureRules.count()) << "an unclosed rule is dropped";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CTerrainRules fresh;
        const std::string path = Write("case.txt", c.text);
        fresh.Parse(path.c_str());
        c.check(fresh);
    }
}

TEST_F(TerrainRuleFile, DefaultRangesAreNotWritten)
{
    Read("rule plain\nheightstart 0\nheightend 1\nslopestart 0\nslopeend 90\ndirectionstart 0\n"
         "directionend 360\nruleend\nrule steep\nslopestart 30\nheightend 0.5\nruleend\n");
    const std::string text = Written();
    const size_t steep = text.find("rule STEEP");
    ASSERT_NE(std::string::npos, steep);
    const std::string plain = text.substr(text.find("rule PLAIN"), steep - text.find("rule PLAIN"));
    EXPECT_EQ(std::string::npos, plain.find("height")) << plain;
    EXPECT_EQ(std::string::npos, plain.find("slope")) << plain;
    EXPECT_EQ(std::string::npos, plain.find("direction")) << plain;
    const std::string rest = text.substr(steep);
    EXPECT_NE(std::string::npos, rest.find("slopestart 30\nslopeend 90\n")) << rest;
    EXPECT_NE(std::string::npos, rest.find("heightstart 0\nheightend 0.5\n")) << rest;
}

TEST_F(TerrainRuleFile, WhatCannotBeLoadedSurvivesWriteReadWrite)
{
    worldtest::AddEntry("Tree", g_ModelsTree, 2.0f);
    const std::string folder = std::string(100, 'x') + "\\textures";
    ASSERT_GT(folder.size() + std::string("texturepath_standard ").size(), 78u);
    Read("texturepath_standard " + folder +
         "\n"
         "family 0 grass\nfamily 1 rock\n"
         "object 2 tree scale (0.8, 1.25) rotate (0, 360) amount (3) // a definition longer than 78 "
         "characters\n"
         "object 3 shrubbery scale (50%) rotate (10%) amount (2)\n"
         "rule grass\n texture V0 0.75\n texture LOOSE 0.25\nruleend\n"
         "objectrule trees\n object 2 0.5\n object 3 0.25\nruleend\n");
    ASSERT_EQ(1, t.textureRules.count());
    EXPECT_EQ(2, t.textureRules[0].entries.count()) << "missing textures keep their entries";
    ASSERT_EQ(4, t.objectDefinitions.count());
    EXPECT_NE(nullptr, t.objectDefinitions[2].model);
    EXPECT_EQ(nullptr, t.objectDefinitions[3].model);
    EXPECT_STREQ("SHRUBBERY", t.objectDefinitions[3].modelName.c_str());
    ASSERT_EQ(1, t.objectRules.count());
    EXPECT_EQ(2u, t.objectRules[0].objects.size());

    const std::string first = Written();
    EXPECT_NE(std::string::npos, first.find("object 3 SHRUBBERY scale (50%) rotate (10%) amount (2)"))
        << first;
    EXPECT_NE(std::string::npos, first.find("  texture LOOSE 0.25")) << first;
    EXPECT_NE(std::string::npos, first.find("  object 3 0.25")) << first;
    EXPECT_NE(std::string::npos, first.find("object 2 Tree scale (0.8, 1.25) rotate (0, 360) amount (3)"))
        << first;
    EXPECT_NE(std::string::npos,
              first.find("texturepath_standard " + std::string(100, 'x') + "\\textures\\"));

    CTerrainRules again;
    const std::string copy = Write("copy.txt", first);
    again.Parse(copy.c_str());
    const std::string out = Path("second.txt");
    ASSERT_TRUE(again.Write(out.c_str()));
    std::ifstream in(out, std::ios::binary);
    EXPECT_EQ(first, std::string(std::istreambuf_iterator<char>(in), {}));
}

TEST_F(TerrainRuleFile, LongLinesAreReadWholeOrRefusedByName)
{
    const std::string name(90, 'G');
    Read("rule " + name + "\nruleend\nrule " + std::string(5000, 'H') + "\nruleend\n");
    ASSERT_EQ(1, t.textureRules.count());
    EXPECT_EQ(name, t.textureRules[0].name.c_str());
    EXPECT_TRUE(Logged(file + "(3): line of 5005 characters skipped")) << Log();
    ASSERT_EQ(1u, t.ruleProblems.size());
}

TEST_F(TerrainRuleFile, OutOfRangeNumbersAreIgnoredWithALine)
{
    worldtest::AddEntry("Tree", g_ModelsTree, 2.0f);
    Read("object 5000 tree\nobject -1 tree\nobject 1 tree\nobjectrule r\nobject 9999 1\nobject 1 "
         "0.5\nruleend\n"
         "family 9 rock\n");
    EXPECT_EQ(2, t.objectDefinitions.count());
    ASSERT_EQ(1, t.objectRules.count());
    ASSERT_EQ(1u, t.objectRules[0].objects.size());
    EXPECT_EQ(1, t.objectRules[0].objects[0].object);
    EXPECT_EQ(4u, t.ruleProblems.size());
    EXPECT_TRUE(Logged(file + "(1): object definition number 5000")) << Log();
    EXPECT_TRUE(Logged(file + "(5): object number 9999")) << Log();
}

TEST_F(TerrainRuleFile, DefinitionsStayWhenAFileNamesNoneAndMissingFilesInvalidate)
{
    worldtest::AddEntry("Tree", g_ModelsTree, 2.0f);
    Read("object 0 tree scale (50%)\n");
    Read("rule a\nruleend\n");
    ASSERT_EQ(1, t.objectDefinitions.count());
    EXPECT_NE(nullptr, t.objectDefinitions[0].model);
    EXPECT_EQ(1, t.objectDefinitions[0].scalePercentFlag);
    EXPECT_FLOAT_EQ(50.0f, t.objectDefinitions[0].scalePercent);
    EXPECT_FLOAT_EQ(100.0f, t.objectDefinitions[0].rotatePercent) << "no ROTATE part";

    t.valid = 1;
    t.Parse(Path("absent.txt").c_str());
    EXPECT_EQ(0, t.valid);
    EXPECT_EQ(1, t.textureRules.count()) << "nothing else is touched";
    EXPECT_FALSE(t.Write("x"));
}

} // namespace
} // namespace terraintest
