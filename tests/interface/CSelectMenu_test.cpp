// The selection list: its views, scrolling, choosing, cancelling and marking for sale, driven
// frame by frame through Render as the game step drives it.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/interface/CSelectMenu.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

#include <memory>
#include <string>

namespace {

// The mouse is put over an element by index rather than by screen point: the previews' hit
// boxes depend on models the tests do not load.
class TestSelectMenu : public CSelectMenu
{
public:
    void UpdateHover(const MenuPoint*) override
    {
        // A greyed button is not hit.
        const CMenuElement* e = Element(pointAt);
        hoverElement = hovered = e && !e->active ? pointAt : -1;
    }
    int32_t pointAt = -1;
};

class SelectList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        Settings = GameSettings();
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        SellMode = 0;
        ClearScreenRect();
    }
    void TearDown() override
    {
        SellMode = 0;
        ClearScreenRect();
    }
    void Open(int32_t count, uint8_t inGrid, uint8_t withOk)
    {
        menu.RemoveAllElements();
        menu.ClearEntries();
        for (int32_t i = 0; i < count; ++i) {
            MenuSlot slot;
            slot.text = "Entry\nbody";
            menu.entries.push_back(slot);
        }
        menu.Build(now, inGrid, withOk);
        // Past the intro, so the buttons are shown.
        Frame();
        now += 400;
        Frame();
    }
    int32_t Frame()
    {
        now += 40;
        return menu.Render(now);
    }
    // The mouse moves over an element, presses and releases; the result of the release frame.
    int32_t Click(int32_t element)
    {
        menu.pointAt = element;
        EXPECT_EQ(Frame(), -1);
        Input.leftButton = 1;
        EXPECT_EQ(Frame(), -1);
        Input.leftButton = 0;
        const int32_t result = Frame();
        menu.pointAt = -1;
        return result;
    }
    bool Disabled(int32_t element) const { return menu.Element(element)->active != 0; }

    TestSelectMenu menu;
    int32_t now = 1000;
};

} // namespace

TEST_F(SelectList, OneCarouselEntryIsCentredWithBothArrowsDisabled)
{
    Open(1, 0, 0);
    EXPECT_EQ(menu.top, menu.firstEntry - 1);
    EXPECT_EQ(menu.selected, menu.firstEntry);
    EXPECT_TRUE(Disabled(menu.upButton));
    EXPECT_TRUE(Disabled(menu.downButton));
    // The centred entry is the choice.
    EXPECT_EQ(Click(menu.firstEntry), 0);
    EXPECT_TRUE(ScreenRect.IsEmpty());
}

TEST_F(SelectList, CarouselScrollsOneEntryAndStopsAtTheEnds)
{
    Open(3, 0, 0);
    EXPECT_FALSE(Disabled(menu.downButton));
    EXPECT_TRUE(Disabled(menu.upButton));
    Click(menu.downButton);
    EXPECT_EQ(menu.top, menu.firstEntry);
    EXPECT_EQ(menu.scrolling, 1);
    // A second DOWN during the swing is ignored.
    Click(menu.downButton);
    EXPECT_EQ(menu.top, menu.firstEntry);
    now += 300;
    Frame();
    Click(menu.downButton);
    EXPECT_EQ(menu.top, menu.lastEntry - 1);
    now += 300;
    Frame();
    EXPECT_TRUE(Disabled(menu.downButton));
    Click(menu.downButton);
    EXPECT_EQ(menu.top, menu.lastEntry - 1);
    // A click on the upper neighbour scrolls back instead of choosing.
    now += 300;
    Frame();
    EXPECT_EQ(Click(menu.top), -1);
    EXPECT_EQ(menu.top, menu.firstEntry);
}

TEST_F(SelectList, GridDownMovesByRowsWhileAFullPageIsLeft)
{
    Open(40, 1, 0);
    EXPECT_EQ(menu.top, menu.firstEntry);
    // DOWN moves a row of 6 and stays enabled while lastEntry - top >= 24.
    for (int32_t row = 1; row <= 3; ++row) {
        EXPECT_FALSE(Disabled(menu.downButton)) << row;
        Click(menu.downButton);
        EXPECT_EQ(menu.top, menu.firstEntry + 6 * row);
    }
    EXPECT_EQ(menu.lastEntry - menu.top, 21);
    EXPECT_TRUE(Disabled(menu.downButton));
    Click(menu.downButton);
    EXPECT_EQ(menu.top, menu.firstEntry + 18);
    for (int32_t i = 0; i < 4; ++i)
        Click(menu.upButton);
    EXPECT_EQ(menu.top, menu.firstEntry);
    EXPECT_TRUE(Disabled(menu.upButton));
    // Near the end DOWN lands on the last row but never before the first entry.
    Open(9, 1, 0);
    menu.top = menu.firstEntry + 6;
    menu.HandleInput();
    menu.hoverElement = menu.downButton;
    menu.pressedHere = 1;
    menu.leftHeld = 1;
    Input.leftButton = 0;
    menu.HandleInput();
    EXPECT_EQ(menu.top, menu.lastEntry - 5);
}

TEST_F(SelectList, EscapeAndCancelCloseEveryViewWithoutAChoice)
{
    for (uint8_t inGrid : {0, 1})
        for (int32_t mode : {0, 1, 2}) {
            SellMode = mode;
            Open(5, inGrid, 1);
            Input.menuKey = 8;
            EXPECT_EQ(Frame(), -2) << int(inGrid) << " " << mode;
            EXPECT_EQ(Input.menuKey, 0);
            Open(5, inGrid, 1);
            EXPECT_EQ(Click(menu.cancelButton), -2);
        }
    // An empty list: OK is greyed and hidden; a finished state still closes without a choice.
    Open(0, 0, 1);
    EXPECT_TRUE(Disabled(menu.okButton));
    menu.finished = 1;
    EXPECT_EQ(Frame(), -2);
}

TEST_F(SelectList, MarkedEntriesCannotBeChosen)
{
    // The first entry is not selectable: it is marked and the carousel centres the second.
    menu.RemoveAllElements();
    menu.ClearEntries();
    menu.entries.resize(3);
    menu.entries[0].selectable = 0;
    menu.Build(now, 0, 0);
    EXPECT_EQ(menu.entries[0].marked, 1);
    EXPECT_EQ(menu.top, menu.firstEntry);

    // In the grid with OK the first cell is selected; OK on the marked entry keeps the screen open.
    menu.RemoveAllElements();
    menu.ClearEntries();
    menu.entries.resize(3);
    menu.entries[0].marked = 1;
    menu.entries[1].marked = 1;
    menu.entries[2].marked = 1;
    menu.Build(now, 1, 1);
    Frame();
    now += 400;
    Frame();
    EXPECT_EQ(Click(menu.firstEntry + 1), -1); // ignored: marked
    EXPECT_EQ(Click(menu.okButton), -1);
    EXPECT_EQ(menu.finished, 0);
    EXPECT_EQ(Frame(), -1);
}

TEST_F(SelectList, GridWithOkSelectsAndConfirms)
{
    Open(8, 1, 1);
    EXPECT_EQ(Click(menu.firstEntry + 4), -1);
    EXPECT_EQ(menu.selected, menu.firstEntry + 4);
    EXPECT_EQ(Click(menu.okButton), 4);
    // Without OK a single click chooses.
    Open(8, 1, 0);
    EXPECT_EQ(Click(menu.firstEntry + 2), 2);
}

TEST_F(SelectList, ZoomFlipsTheViewOnceThePanelsHaveMoved)
{
    Open(10, 0, 0);
    Click(menu.zoomButton);
    EXPECT_EQ(menu.zoomState, 1);
    EXPECT_EQ(menu.grid, 0);
    now += 400;
    Frame();
    EXPECT_EQ(menu.zoomState, 0);
    EXPECT_EQ(menu.grid, 1);
}

TEST_F(SelectList, MarkingForSaleAndUnmarkingLeavesTheCash)
{
    SellMode = 1;
    Cash = 1000;
    menu.RemoveAllElements();
    menu.ClearEntries();
    menu.entries.resize(2);
    menu.entries[0].price = 250;
    menu.entries[1].price = 0;
    menu.Build(now, 0, 0);
    Frame();
    now += 400;
    Frame();
    Click(menu.top + 1);
    EXPECT_EQ(menu.entries[0].marked, 1);
    EXPECT_EQ(menu.entries[0].colour[1], 0.0f);
    EXPECT_EQ(Cash, 1250);
    Click(menu.top + 1);
    EXPECT_EQ(menu.entries[0].marked, 0);
    EXPECT_EQ(Cash, 1000);
    // An entry without a price cannot be marked.
    Click(menu.top + 2);
    now += 300;
    Frame();
    Click(menu.top + 1);
    EXPECT_EQ(menu.entries[1].marked, 0);
    EXPECT_EQ(Cash, 1000);
    Cash = 0;
}

TEST_F(SelectList, SellingOnClickBuysTheEntryWhileTheCashLasts)
{
    SellMode = 2;
    Cash = 300;
    TradeSelectionState = 131; // paid for, not handed over: no inventory here
    CWorldObject dealerItem("Geldbuendel");
    dealerItem.objectLogic = new CObjectLogic();
    auto kind = std::make_unique<CLootKindData>();
    kind->values[1] = FloatAsWord(120.0f);
    dealerItem.objectLogic->ownKindData = std::move(kind);
    menu.RemoveAllElements();
    menu.ClearEntries();
    menu.entries.resize(1);
    menu.entries[0].worldObject = &dealerItem;
    menu.entries[0].price = 120;
    menu.Build(now, 0, 0);
    Frame();
    now += 400;
    Frame();
    for (const int32_t cash : {180, 60, 60}) {
        EXPECT_EQ(Click(menu.top + 1), -1) << "the screen stays for the next sale";
        EXPECT_EQ(Cash, cash);
    }
    TradeSelectionState = 0;
    Cash = 0;
}

TEST_F(SelectList, SaveSlotPicturesAreReadOnlyForEntriesOnScreenAndOnlyOnce)
{
    menu.RemoveAllElements();
    menu.ClearEntries();
    for (int32_t i = 0; i < 5; ++i) {
        MenuSlot slot;
        slot.text = "Slot\nbody";
        slot.fileExists = 1;
        slot.fileName = "/nonexistent/game00" + std::to_string(i) + ".gam";
        menu.entries.push_back(slot);
    }
    menu.Build(now, 0, 0);
    menu.thumbnails = 1;
    Frame();
    // The carousel starts with entries 0 and 1 on screen: their files were tried (no picture,
    // so not again); the others were not touched.
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(menu.entries[size_t(i)].fileExists, i < 2 ? 0 : 1) << i;
        EXPECT_EQ(menu.entries[size_t(i)].thumbnail, nullptr);
    }
}
