// Text cells: label-and-value lines formatted to the width of the widest line.
#include <gtest/gtest.h>

#include <string>

#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/TextCells.h"

namespace {

class TextCells : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        TextTree.Insert("ATTR_LONG", "Strength");
        TextTree.Insert("ATTR_SHORT", "Skill");
        TextTree.Insert("ATTR_EMPTY", "");
    }
    void SetUp() override { ShowKeysFlag = 0; }
};

} // namespace

TEST_F(TextCells, TitleAndKeyLinesShareTheWidestLength)
{
    CTextRow table;
    table.separator = "\n";
    table.AddTextCell(CStringCell("ABCD"));
    table.AddCell(CKeyTextCell("ATTR_SHORT", sString("1234"), sString(""), '.')); // 12
    table.AddCell(CKeyTextCell("ATTR_LONG", sString("123"), sString("lb"), '.')); // 9 + 5 + 2 = 16
    EXPECT_EQ(std::string(table.Format().c_str()),
              std::string(6, ' ') + "ABCD\n" + "Skill:......1234\n" + "Strength:..123lb\n");
}

TEST_F(TextCells, CutCentreNumbersAndBlanks)
{
    CKeyTextCell cell("ATTR_LONG", sString("42"), sString("kg"), '-');
    EXPECT_EQ(std::string(cell.Format(5).c_str()), "Stren"); // cut to the width
    EXPECT_EQ(std::string(cell.Format(13).c_str()), "Strength:42kg");
    EXPECT_EQ(std::string(CStringCell("LONGER").Format(4).c_str()), "LONGER"); // whole, unpadded
    EXPECT_EQ(std::string(CStringCell("AB").Format(7).c_str()), "  AB");
    EXPECT_EQ(std::string(CPlainTextCell("AB").Format(7).c_str()), "AB");

    CNumberCell number("ATTR_SHORT", 42.6f, ' ');
    EXPECT_EQ(std::string(number.value.c_str()), "43");
    EXPECT_EQ(std::string(number.Format(0).c_str()), "");
    EXPECT_EQ(std::string(CNumberCell("ATTR_SHORT", 12.5f, ' ').value.c_str()), "13"); // halves away from 0
    EXPECT_EQ(std::string(CKeyTextCell("ATTR_EMPTY", 1.0f, sString("x"), ' ').label.c_str()), ":");
    ShowKeysFlag = 1;
    EXPECT_EQ(std::string(CKeyTextCell("ATTR_SHORT", 1.0f, sString(""), ' ').label.c_str()), "ATTR_SHORT:");
    ShowKeysFlag = 0;

    // One cell formats with width 0 (a key line is cut to nothing); a blank
    // cell is an empty line and counts 1.
    CTextRow one;
    one.separator = "|";
    one.AddNumberCell(number);
    EXPECT_EQ(std::string(one.Format().c_str()), "|");
    one.AddBlank();
    EXPECT_EQ(std::string(one.Format().c_str()), "S||");
    // Appended cells are shared, not copied.
    auto* shared = new CBlankCell();
    one.Append(shared);
    EXPECT_EQ(shared->RefCount(), 2);
    shared->Release();
}
