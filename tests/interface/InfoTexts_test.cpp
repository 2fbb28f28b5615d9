// The info texts of items, gang members, cars and burglaries, and the entries they add.
#include <gtest/gtest.h>

#include <memory>

#include "GAMES/Rulo2/app/ShowKeys.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/InfoTexts.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

namespace {

// Keys are shown as themselves, so the texts do not depend on a dictionary.
class InfoTexts : public ::testing::Test
{
protected:
    void SetUp() override { ShowKeysFlag = 1; }
    void TearDown() override { ShowKeysFlag = 0; }
};

// The line whose label is the key's text (a missing key shows as its placeholder).
std::string LineOf(const std::string& text, const char* key)
{
    const std::string label = std::string(GetDisplayText(key)) + ":";
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (line.rfind(label, 0) == 0)
            return line;
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return {};
}

std::string ValueAtEnd(const std::string& line)
{
    const size_t dots = line.find_last_of('.');
    return dots == std::string::npos ? line : line.substr(dots + 1);
}

std::unique_ptr<CObjectLogic> Tool(float pickLocks)
{
    auto logic = std::make_unique<CObjectLogic>();
    auto kind = std::make_unique<CToolKindData>();
    kind->name = "Dietrich";
    kind->values[0] = FloatAsWord(0.5f); // weight
    kind->values[1] = FloatAsWord(0.0f); // value
    kind->values[3] = FloatAsWord(pickLocks);
    kind->values[CToolKindData::kDamaging] = 1;
    logic->ownKindData = std::move(kind);
    return logic;
}

// A gang member as a world object with its kind data and attributes.
CWorldObject* Member(float crimeRecords)
{
    auto* node = new CWorldObject("member");
    node->objectLogic = new CObjectLogic();
    auto kind = std::make_unique<CCharacterAKindData>();
    kind->name = "Gauner";
    node->objectLogic->ownKindData = std::move(kind);
    auto state = std::make_unique<CCharacterAState>();
    state->crimeRecords = crimeRecords;
    state->pickLocks = 0.25f;
    node->objectLogic->ownConditions = std::move(state);
    return node;
}

} // namespace

TEST_F(InfoTexts, ToolLinesRoundFractionsToWholeNumbers)
{
    std::string text;
    BuildItemInfo(Tool(0.126f).get(), text);
    EXPECT_EQ(text.find(GetDisplayText("ITEM_Dietrich")), 0u) << text;
    EXPECT_NE(text.find(std::string("(") + GetDisplayText("ATTR_TOOL") + ")"), std::string::npos);
    EXPECT_EQ(ValueAtEnd(LineOf(text, "ATTR_PL")), "13%");
    EXPECT_EQ(ValueAtEnd(LineOf(text, "ATTR_VA")), "0$");
    EXPECT_EQ(ValueAtEnd(LineOf(text, "ATTR_WE")), "1lbs");
    EXPECT_EQ(ValueAtEnd(LineOf(text, "ATTR_DA")), GetDisplayText("YES"));
    // Every labelled line has the same width: the values line up on the right.
    EXPECT_EQ(LineOf(text, "ATTR_PL").size(), LineOf(text, "ATTR_NOI_ALARM").size());

    // Loot and plain items have weight and value only; other kinds no text at all.
    CObjectLogic loot;
    auto lootKind = std::make_unique<CLootKindData>();
    lootKind->name = "Vase";
    lootKind->values[1] = FloatAsWord(1500.0f);
    loot.ownKindData = std::move(lootKind);
    BuildItemInfo(&loot, text);
    EXPECT_NE(text.find(GetDisplayText("ATTR_LOOT")), std::string::npos);
    EXPECT_EQ(ValueAtEnd(LineOf(text, "ATTR_VA")), "1500$");
    EXPECT_TRUE(LineOf(text, "ATTR_PL").empty());

    CObjectLogic fixed;
    fixed.ownKindData = CKindData::Create(KIND_FIXED);
    text = "stale";
    BuildItemInfo(&fixed, text);
    EXPECT_TRUE(text.empty());
    BuildItemInfo(nullptr, text);
    EXPECT_TRUE(text.empty());
}

TEST_F(InfoTexts, MembersWithHalfACrimeRecordAreNotOffered)
{
    CSelectMenu menu;
    struct Case
    {
        float crimeRecords;
        size_t entries;
    };
    for (const Case c : {Case{0.5f, 0}, Case{0.49f, 1}, Case{0.9f, 0}, Case{0.0f, 1}}) {
        menu.ClearEntries();
        CWorldObject* member = Member(c.crimeRecords);
        ShowCharacterInfo(&menu, member, 1, 300);
        ASSERT_EQ(menu.entries.size(), c.entries) << c.crimeRecords;
        if (c.entries) {
            const MenuSlot& slot = menu.entries[0];
            EXPECT_EQ(slot.worldObject, member);
            EXPECT_EQ(slot.snapper, 0);
            EXPECT_EQ(slot.price, 300);
            EXPECT_EQ(ValueAtEnd(LineOf(slot.text, "ATTR_PL")), "25");
            EXPECT_EQ(slot.text.find(GetDisplayText("CHR_Gauner")), 0u);
        }
        delete member;
    }
    std::string text = "stale";
    CWorldObject bare("bare");
    EXPECT_TRUE(BuildCharacterInfo(text, &bare).empty());
}

TEST_F(InfoTexts, BurglariesShowWhatIsOpenAndMarkTheRest)
{
    CSelectMenu menu;
    CRootNode preview("preview");
    const char* description = "  The bank\nA quiet bank on the corner.";
    BuildBurglaryInfo(&menu, &preview, description, false, false);
    BuildBurglaryInfo(&menu, &preview, description, true, false);
    BuildBurglaryInfo(&menu, &preview, description, false, true);
    BuildBurglaryInfo(&menu, nullptr, description, true, false);
    ASSERT_EQ(menu.entries.size(), 3u);

    const MenuSlot& closed = menu.entries[0];
    EXPECT_EQ(closed.text, std::string("The bank\n") + GetDisplayText("BURGLARY_UNKNOWN_DESCRIPTION"));
    EXPECT_EQ(closed.marked, 1);
    EXPECT_FLOAT_EQ(closed.colour[0], 0.4f);
    EXPECT_FLOAT_EQ(closed.colour[1], 0.0f);
    EXPECT_EQ(closed.textAlign, 2);

    EXPECT_EQ(menu.entries[1].marked, 0);
    EXPECT_EQ(menu.entries[1].text, description);
    EXPECT_EQ(menu.entries[1].textAlign, 0);
    EXPECT_EQ(menu.entries[1].spin, 0);

    EXPECT_EQ(menu.entries[2].marked, 1);
    EXPECT_FLOAT_EQ(menu.entries[2].colour[1], 0.4f);
}

TEST_F(InfoTexts, CarsListTheirValuesAndNeedData)
{
    CSelectMenu menu;
    CRootNode preview("car");
    CObjectLogic car;
    auto kind = std::make_unique<CCarKindData>();
    kind->name = "Kombi";
    kind->values[0] = FloatAsWord(2.0f);   // transport space
    kind->values[1] = FloatAsWord(95.4f);  // maximum speed
    kind->values[2] = FloatAsWord(12.5f);  // acceleration time
    kind->values[3] = FloatAsWord(8000.f); // value
    car.ownKindData = std::move(kind);
    BuildCarInfo(&menu, &preview, &car);
    BuildCarInfo(&menu, &preview, nullptr);
    BuildCarInfo(&menu, nullptr, &car);
    ASSERT_EQ(menu.entries.size(), 1u);
    const std::string& text = menu.entries[0].text;
    EXPECT_EQ(ValueAtEnd(LineOf(text, "ATTR_VA")), "8000$");
    EXPECT_EQ(ValueAtEnd(LineOf(text, "ATTR_TS")), "400lbs");
    EXPECT_EQ(ValueAtEnd(LineOf(text, "ATTR_MS")), "95mph");
    EXPECT_EQ(ValueAtEnd(LineOf(text, "ATTR_AC")), "13s");
    EXPECT_EQ(menu.entries[0].gameData, &car);
}
