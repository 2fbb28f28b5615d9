// Dealers: the prices the gang is offered for its goods, what a dealer offers
// at a burglary level, and the bubbles that answer an empty list or a sale.
#include "GAMES/Rulo2/behaviour/tasks/TradeTasks.h"

#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "tests/behaviour/TaskWorld.h"

namespace {

class Trade : public TaskWorldTest
{
protected:
    void SetUp() override
    {
        TaskWorldTest::SetUp();
        GamePhase = PHASE_REALTIME;
        hero = Character("Held", {0, 0, 0});
        CurrentCharacter = hero;
        dealer = Character("Haendler", {1, 0, 0}, 5);
    }
    void TearDown() override
    {
        SelectMenu.RemoveAllElements();
        SelectMenu.ClearEntries();
        TradeListOpen = 0;
        SellMode = 0;
        OwnedCars.clear();
        TaskWorldTest::TearDown();
    }
    static std::unique_ptr<CTaskParam> Text(const char* key)
    {
        auto p = CreateTaskParam(PARAM_TEXTID);
        static_cast<CTextParam*>(p.get())->text = key;
        return p;
    }
    // A carried item of the kind worth `value`; a tool in the given condition.
    static void Carry(int32_t kind, float value, float condition = 1.0f)
    {
        auto* item = new CObjectNode(kind == KIND_TOOL ? "Werkzeug" : "Beute");
        item->AddState("OPEN");
        item->objectLogic = new CObjectLogic;
        item->objectLogic->ownKindData = CKindData::Create(kind);
        item->objectLogic->ownKindData->Values()[1] = FloatAsWord(value);
        item->objectLogic->conditions = CKindState::Create(kind);
        item->objectLogic->SetKindValue(condition);
        ObjectInstance record;
        record.object = item;
        record.active = 1;
        ObjectInstances.push_back(record);
    }
    CSellTask* Sell(int32_t mask, int32_t usury)
    {
        return Start<CSellTask>(dealer, List(Number(PARAM_NUMBER, mask), Number(PARAM_NUMBER, usury),
                                             Text("SELL_EMPTY"), Text("SELL_NOVALUE"), Text("SELL_DONE")));
    }
    CBuyTask* Buy(int32_t mask, int32_t from, int32_t to)
    {
        return Start<CBuyTask>(dealer, List(Number(PARAM_NUMBER, mask), Number(PARAM_NUMBER, from),
                                            Number(PARAM_NUMBER, to), Text("BUY_EMPTY"),
                                            Text("BUY_EXPENSIVE"), Text("BUY_DONE")));
    }

    CWorldObject* hero = nullptr;
    CWorldObject* dealer = nullptr;
};

} // namespace

TEST(SalePrice, TakesTheUsuryAndTheToolsWearOffTheValue)
{
    struct Case
    {
        float value;
        int32_t usury;
        float current, full;
        int32_t price;
    } cases[] = {
        {1000.0f, 25, 1.0f, 1.0f, 750}, // loot
        {1000.0f, 25, 0.5f, 1.0f, 375}, // a half-worn tool
        {1000.0f, 100, 1.0f, 1.0f, 0},  // everything for nothing
        {999.9f, 0, 1.0f, 1.0f, 999},   // whole dollars, cut off
        {1000.0f, 25, 0.5f, 0.0f, 750}, // no full amount: no wear
    };
    for (const Case& c : cases)
        EXPECT_EQ(SalePrice(c.value, c.usury, c.current, c.full), c.price) << c.value << " " << c.usury;
}

TEST_F(Trade, TheSellListOffersLootAndToolsAtTheDealersPrice)
{
    Carry(KIND_LOOT, 1000.0f);
    Carry(KIND_TOOL, 1000.0f, 0.5f);
    Sell(1 | 4, 25);
    ASSERT_EQ(SelectMenu.entries.size(), 2u);
    EXPECT_EQ(SelectMenu.entries[0].price, 750);
    EXPECT_EQ(SelectMenu.entries[1].price, 375);
    EXPECT_EQ(TradeListOpen, 1);
    EXPECT_EQ(Bubble(hero), "");
}

TEST_F(Trade, AnEmptySellListAnswersOnTheHeroAndASaleOnTheDealer)
{
    Carry(KIND_TOOL, 1000.0f);
    CSellTask* sell = Sell(4, 25); // loot only: the tool is not wanted
    EXPECT_EQ(Bubble(hero), "SELL_EMPTY");
    EXPECT_EQ(TradeListOpen, 0);
    EXPECT_TRUE(sell->Update(*dealer->objectLogic));

    RemoveAllTextBubbles();
    Carry(KIND_LOOT, 10.0f);
    CSellTask* second = Sell(4, 0);
    ASSERT_EQ(TradeListOpen, 1);
    EXPECT_TRUE(second->Update(*dealer->objectLogic));
    TradeListOpen = 130; // the screen sold
    EXPECT_TRUE(second->Update(*dealer->objectLogic));
    EXPECT_EQ(Bubble(dealer), "SELL_DONE");
    EXPECT_EQ(TradeListOpen, 0);
}

TEST_F(Trade, ADealerOffersOnlyWhatItsStoryLevelsAllowAtThisLevel)
{
    CWorldObject* goods = Object("Dietrich", KIND_TOOL, {1, 0, 0}, {"OPEN"}, dealer);
    goods->objectLogic->ownKindData->Values()[1] = FloatAsWord(200.5f);
    goods->objectLogic->ownKindData->minBurglaryLevel = 2;
    // The dealer offers items of levels 2 to 3; none of them is due at level 1.
    BurglaryLevel = 1;
    Buy(1, 2, 3);
    EXPECT_TRUE(SelectMenu.entries.empty());
    EXPECT_EQ(Bubble(dealer), "BUY_EMPTY");

    RemoveAllTextBubbles();
    BurglaryLevel = 2;
    CBuyTask* buy = Buy(1, 2, 3);
    ASSERT_EQ(SelectMenu.entries.size(), 1u);
    EXPECT_EQ(SelectMenu.entries[0].price, 200);
    EXPECT_EQ(SelectMenu.entries[0].worldObject, goods);
    EXPECT_EQ(TradeListOpen, 2);
    TradeListOpen = 131;
    EXPECT_TRUE(buy->Update(*dealer->objectLogic));
    EXPECT_EQ(Bubble(dealer), "BUY_EXPENSIVE");
}

TEST_F(Trade, TheHerosNextOrderEndsTheAnswer)
{
    CSellTask* sell = Sell(4, 0);
    ASSERT_EQ(Bubble(hero), "SELL_EMPTY");
    Request(0, hero, ground ? ground : Ground());
    EXPECT_FALSE(sell->Update(*dealer->objectLogic));
    EXPECT_TRUE(RequestQueue.empty());
    EXPECT_EQ(Bubble(hero), "");
}
