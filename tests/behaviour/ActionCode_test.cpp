// Action codes: gang-table slot codes, request matching and editor texts.
#include "tests/behaviour/BehaviourFixture.h"

#include "GAMES/Rulo2/behaviour/ActionCode.h"

namespace {

class ActionCodeTest : public BehaviourTest
{
};

} // namespace

TEST_F(ActionCodeTest, SlotCodesNameGangTableSlots)
{
    CObjectNode* tool = Item("Lockpick", 3, 2);
    CObjectNode* other = Item("Bottle", 4, 0);
    PlanMemberArray.add(3);
    PlanMemberArray[0].hands[1].item = tool;
    PlanMemberArray[2].bag[3].item = tool;
    PlanMemberArray[1].hands[0].item = other;

    CActionEntry entry;
    entry.item = other;
    ActionCode::FindByTarget(entry, tool);
    EXPECT_EQ(entry.slotCode, 579) << "the last match wins";
    EXPECT_EQ(entry.item, nullptr);
    EXPECT_EQ(ActionCode::GetTarget(entry), tool);

    ActionCode::FindByTarget(entry, nullptr);
    EXPECT_EQ(entry.slotCode, -1);

    struct Case
    {
        int32_t code;
        CObjectNode* item;
    } cases[] = {
        {1, tool},          {256, other},       {512 + 67, tool},   {3, nullptr},  {63, nullptr},
        {64 + 10, nullptr}, {5 * 256, nullptr}, {3 * 256, nullptr}, {-2, nullptr}, {0x7FFFFFFF, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ActionCode::SlotItem(c.code), c.item) << c.code;

    // A two-record table: member 5 names nothing.
    PlanMemberArray.clear();
    PlanMemberArray.add(2);
    CActionEntry far;
    far.slotCode = 5 * 256 + 64;
    EXPECT_EQ(ActionCode::GetTarget(far), nullptr);
}

TEST_F(ActionCodeTest, RequestsMatchOnTargetVerbAndItemType)
{
    CWorldObject* door = Object("Door", 1, 7);
    CObjectNode* crowbar = Item("Crowbar", 6, 2);
    CActionEntry code;
    code.init(4, door, crowbar);

    EXPECT_TRUE(ActionCode::Matches(code, {4, 0, door, 0}, nullptr)) << "item type 0 matches any item";
    EXPECT_TRUE(ActionCode::Matches(code, {4, 0, door, 6}, nullptr));
    EXPECT_FALSE(ActionCode::Matches(code, {4, 0, door, 7}, nullptr));
    EXPECT_FALSE(ActionCode::Matches(code, {0, 0, door, 0}, nullptr));
    EXPECT_TRUE(ActionCode::Matches(code, {4, 0, nullptr, 0}, door)) << "the default target";
    EXPECT_FALSE(ActionCode::Matches(code, {4, 0, nullptr, 0}, nullptr));
    code.item = nullptr;
    EXPECT_FALSE(ActionCode::Matches(code, {4, 0, door, 6}, nullptr));
}

TEST_F(ActionCodeTest, DescriptionsByVerb)
{
    CWorldObject* safe = Object("Safe", 1);
    CObjectNode* tool = Item("Drill", 2, 2);
    CObjectNode* loot = Item("Vase", 3, 1);
    CObjectNode* plain = Item("Key", 4, 0);
    struct Case
    {
        int32_t action;
        CWorldObject* target;
        CObjectNode* item;
        const char* text;
    } cases[] = {
        {0, nullptr, nullptr, "Hand auf 'Mich'"},
        {1, nullptr, nullptr, "Sprechen mit 'Mir'"},
        {2, safe, nullptr, "Schauen auf 'Safe'"},
        {3, nullptr, nullptr, "Telefonieren mit 'Mir'"},
        {4, safe, tool, "'Safe' aufbrechen mit 'Drill'"},
        {4, safe, loot, "'Safe' aufbrechen"},
        {4, nullptr, nullptr, "'Mich' aufbrechen"},
        {5, safe, loot, "'Vase' verkaufen an 'Safe'"},
        {5, safe, tool, "Beutestueck verkaufen an 'Safe'"},
        {6, safe, plain, "'Key' benutzen auf 'Safe'"},
        {6, nullptr, loot, "Item benutzen auf 'Mich'"},
        {7, safe, nullptr, "DialogEvent"},
        {9, safe, plain, ""},
        {-1, nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        CActionEntry e;
        e.init(c.action, c.target, c.item);
        EXPECT_EQ(ActionCode::Describe(e), c.text) << c.action;
    }
}
