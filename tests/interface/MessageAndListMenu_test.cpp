// The message box and the description entry: layout, the buttons' results and the field's Return.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/interface/CListMenu.h"
#include "GAMES/Rulo2/interface/CMenuCheckBox.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMessageMenu.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/render/ViewRects.h"

namespace {

class Screens : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        TextEntryActive = 0;
    }
    void TearDown() override
    {
        MessageMenuOpen = ListMenuOpen = 0;
        TextEntryActive = 0;
        ClearScreenRect();
    }
    int32_t now = 2000;
};

// The mouse is put over an element by index (the buttons' models are not loaded here).
class PointedMessage : public CMessageMenu
{
public:
    void UpdateHover(const MenuPoint*) override { hoveredIndex = hovered = pointAt; }
    int32_t pointAt = -1;
};

class PointedList : public CListMenu
{
public:
    void UpdateHover(const MenuPoint*) override { underMouse = hovered = pointAt; }
    int32_t pointAt = -1;
};

template <typename Menu>
int32_t Click(Menu& menu, int32_t element, int32_t& now)
{
    menu.pointAt = element;
    menu.Render(now += 40);
    Input.leftButton = 1;
    menu.Render(now += 40);
    Input.leftButton = 0;
    return menu.Render(now += 40);
}

} // namespace

TEST_F(Screens, MessageTextWrapsAndTheButtonsFollowIt)
{
    PointedMessage box;
    const std::string sixty = "This plan cannot be loaded because the car it needs is gone!";
    ASSERT_EQ(sixty.size(), 60u);
    box.Build(now, sixty.c_str(), 1);
    std::istringstream lines(box.text);
    std::string line;
    int32_t count = 0;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), 25u) << line;
        ++count;
    }
    EXPECT_EQ(count, 3);
    // Three lines: h = 0.24, the buttons at 0.35 - h.
    auto* yes = static_cast<CMenuFigure*>(box.Element(box.firstButtonIndex));
    EXPECT_NEAR(yes->state.position[1], 0.11f, 1e-5f);
    EXPECT_NE(box.secondButtonIndex, -2);

    // A click before the text has faded in counts; the second button answers 0.
    EXPECT_EQ(Click(box, box.secondButtonIndex, now), 0);
    EXPECT_TRUE(ScreenRect.IsEmpty());
    box.RemoveAllElements();
    box.Build(now, "Saved.", 0);
    EXPECT_EQ(box.secondButtonIndex, -2);
    EXPECT_EQ(Click(box, box.firstButtonIndex, now), 1);
}

TEST_F(Screens, OpeningTheMessageBoxTwiceKeepsTheSecond)
{
    OpenMessageMenu(now, "first", 3, 0);
    OpenMessageMenu(now, "second text", 7, 1);
    EXPECT_EQ(MessagePurpose, 7);
    EXPECT_EQ(MessageMenuOpen, 1);
    EXPECT_EQ(MessageMenu.text, "second text");
    EXPECT_EQ(MessageMenu.ElementCount(), 4); // panel, yes, no, text
}

TEST_F(Screens, DescriptionEntryConfirmsWithReturnOrOkAndCancels)
{
    PointedList list;
    list.Build(now, "Title?", "My game");
    EXPECT_STREQ(list.GetChoice(), "My game");
    // Past the intro the field is shown and takes the typed keys.
    list.Render(now += 40);
    now += 400;
    EXPECT_EQ(list.Render(now += 40), -1);
    EXPECT_EQ(TextEntryActive, 1);
    ASSERT_EQ(list.field->GetState(), 1);
    list.field->text.clear();
    list.field->cursor = 0;
    Input.menuKey = CMenuEditField::KEY_ENTER;
    list.field->ProcessKey();
    EXPECT_EQ(list.Render(now += 40), 1);
    EXPECT_EQ(TextEntryActive, 0);
    EXPECT_STREQ(list.GetChoice(), "");

    list.RemoveAllElements();
    list.Build(now, "Title?", "x");
    EXPECT_EQ(Click(list, list.okButton, now), 1);
    list.RemoveAllElements();
    list.Build(now, "Title?", "x");
    EXPECT_EQ(Click(list, list.cancelButton, now), 0);
    // The prompt and the backdrop do nothing.
    list.RemoveAllElements();
    list.Build(now, "Title?", "x");
    EXPECT_EQ(Click(list, list.promptIndex, now), -1);
    EXPECT_EQ(Click(list, list.backdropIndex, now), -1);
}
