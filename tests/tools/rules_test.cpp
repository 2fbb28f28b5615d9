// varek-tool rules: the rule set as read and as written, problems by file and line.
#include "tests/tools/ToolTestRig.h"

namespace {

class RulesTool : public ToolTest
{
protected:
    RulesTool() : ToolTest("rules") {}
    void text(const std::string& name, const std::string& content) const
    {
        write(name, Bytes(content.begin(), content.end()));
    }
};

TEST_F(RulesTool, ShowsTheRuleSetAndTheFileWrittenBack)
{
    text("rules.txt", "texturepath D:\\Tex\nfamily 0 grass\nobject 1 tree scale (50%)\n"
                      "TEXTURERULE grass\n slopeend 45\n texture V0 1\nruleend\n");
    const ToolRun r = tool("rules rules.txt");
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("family 0 GRASS (texture missing)")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("object 1 TREE (model not loaded) amount 1")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("texture rule GRASS density 1")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("    slope 0 to 45")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("--- as written")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("texturepath_standard d:\\tex\\\n")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("rule GRASS\nfamily 0\nslopestart 0\nslopeend 45\ndensity 1\n"
                                            "  texture V0 1\nruleend\n"))
        << r.out;
}

TEST_F(RulesTool, ProblemsNameFileAndLineAndFail)
{
    text("bad.txt", "rule a\n" + std::string(5000, 'x') + "\nruleend\nfamily 7 rock\n");
    ToolRun r = tool("rules bad.txt");
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("bad.txt(2): line of 5000 characters skipped")) << r.err;

    r = tool("rules missing.txt");
    EXPECT_EQ(1, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("missing.txt: cannot read the file")) << r.err;
    EXPECT_EQ(1, tool("rules").exitCode);
}

} // namespace
