// The menu framework: the frame contract (hover, press edges, draw states),
// tooltips, the factories and the weight text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/world/CRootNode.h"

namespace {

// An element that says how it was drawn and is hit inside a rectangle.
class Probe : public CMenuElement
{
public:
    Probe(CMenu* menu, float x0, float y0, float x1, float y1) : CMenuElement(menu), r{x0, y0, x1, y1}
    {
        selectable = 1;
    }
    void DrawNormal(int32_t t) override
    {
        CMenuElement::DrawNormal(t);
        drawn += 'n';
    }
    void DrawHighlighted(int32_t t) override
    {
        CMenuElement::DrawHighlighted(t);
        drawn += 'h';
    }
    void DrawActive(int32_t t) override
    {
        CMenuElement::DrawActive(t);
        drawn += 'a';
    }
    bool HitTest(const Point* p) override
    {
        return shown && selectable && !active && r[0] <= p->x && p->x <= r[2] && r[1] <= p->y && p->y <= r[3];
    }
    float r[4];
    std::string drawn;
};

class MenuFrame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        Settings = GameSettings();
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        MenuInputBlocked = 0;
    }
    // The mouse at a point in screen-relative units.
    static void MouseAt(float x, float y)
    {
        Input.cursorX = int32_t((x + 1.0f) * 320.0f);
        Input.cursorY = int32_t((y + 1.0f) * 240.0f);
    }
    Probe* Add(CMenu& menu, float x0, float y0, float x1, float y1)
    {
        auto* p = new Probe(&menu, x0, y0, x1, y1);
        const int32_t count = menu.ElementCount();
        EXPECT_EQ(menu.AddElement(p), count);
        p->Release();
        return p;
    }
};

} // namespace

TEST_F(MenuFrame, HoverPressAndDrawStates)
{
    CMenu menu;
    EXPECT_EQ(menu.hovered, -2);
    EXPECT_EQ(menu.pressed, -2);
    Probe* first = Add(menu, -0.5f, -0.5f, 0.5f, 0.5f);
    Probe* second = Add(menu, -0.2f, -0.2f, 0.8f, 0.8f);
    Probe* active = Add(menu, 0.0f, 0.0f, 0.1f, 0.1f);
    active->active = 1;

    // Of two overlapping selectable elements the first added is hovered; the
    // active one is drawn active even under the mouse and never hovered.
    MouseAt(0.05f, 0.05f);
    EXPECT_EQ(menu.Render(100), -1);
    EXPECT_EQ(menu.time, 100);
    EXPECT_EQ(menu.hovered, 0);
    EXPECT_EQ(first->drawn, "h");
    EXPECT_EQ(second->drawn, "n");
    EXPECT_EQ(active->drawn, "a");
    EXPECT_TRUE(first->hoverStarted);

    // Only the second element under the mouse; pressed marks another one.
    MouseAt(0.7f, 0.7f);
    menu.pressed = 0;
    menu.Render(140);
    EXPECT_EQ(menu.hovered, 1);
    EXPECT_EQ(first->drawn, "hh");
    EXPECT_EQ(second->drawn, "nh");
    // Nothing under the mouse, or the input blocked: -1.
    MouseAt(-0.9f, -0.9f);
    menu.Render(180);
    EXPECT_EQ(menu.hovered, -1);
    MouseAt(0.05f, 0.05f);
    MenuInputBlocked = 1;
    menu.Render(220);
    EXPECT_EQ(menu.hovered, -1);
    MenuInputBlocked = 0;

    // Hidden elements are visited but not hit.
    first->SetState(0);
    menu.Render(260);
    EXPECT_EQ(menu.hovered, 1);
}

TEST_F(MenuFrame, ButtonEdgesLastOneFrameEach)
{
    CMenu menu;
    struct Step
    {
        uint8_t left, right;
        uint8_t leftPressed, leftHeld, leftReleased, rightPressed, rightReleased;
    };
    const Step steps[] = {
        {0, 0, 0, 0, 0, 0, 0}, {1, 0, 1, 1, 0, 0, 0}, {1, 1, 0, 1, 0, 1, 0},
        {1, 1, 0, 1, 0, 0, 0}, {0, 0, 0, 0, 1, 0, 1}, {0, 0, 0, 0, 0, 0, 0},
    };
    int frame = 0;
    for (const Step& s : steps) {
        Input.leftButton = s.left;
        Input.rightButton = s.right;
        menu.HandleInput();
        EXPECT_EQ(menu.leftPressed, s.leftPressed) << frame;
        EXPECT_EQ(menu.leftHeld, s.leftHeld) << frame;
        EXPECT_EQ(menu.leftReleased, s.leftReleased) << frame;
        EXPECT_EQ(menu.rightPressed, s.rightPressed) << frame;
        EXPECT_EQ(menu.rightReleased, s.rightReleased) << frame;
        ++frame;
    }
    Input.doubleClick = 1;
    menu.HandleInput();
    EXPECT_EQ(menu.doubleClick, 1);
}

TEST_F(MenuFrame, ElementsAreCountedAndRemovedLastFirst)
{
    auto* kept = new Probe(nullptr, 0, 0, 0, 0);
    {
        CMenu menu;
        EXPECT_EQ(menu.AddElement(kept, 0x4), 0);
        EXPECT_EQ(kept->RefCount(), 2);
        EXPECT_EQ(kept->group, 0x4u);
        EXPECT_EQ(menu.AddElement(nullptr), 1); // a failed allocation leaves a null entry
        Probe* other = Add(menu, 0, 0, 0, 0);
        other->group = 0x3;
        menu.AddElement(kept, 0); // group 0 keeps the element's own word
        EXPECT_EQ(kept->group, 0x4u);
        EXPECT_EQ(kept->RefCount(), 3);

        menu.ShowGroup(0, 0x1);
        EXPECT_EQ(other->shown, 0);
        EXPECT_EQ(kept->shown, 1);
        menu.SetGroupSelectable(0, 0x6);
        EXPECT_EQ(other->selectable, 0);
        EXPECT_EQ(kept->selectable, 0);

        menu.RemoveElements(1, 2);
        EXPECT_EQ(menu.ElementCount(), 2);
        EXPECT_EQ(menu.Element(1), kept);
    }
    EXPECT_EQ(kept->RefCount(), 1);
    kept->Release();
}

TEST_F(MenuFrame, TooltipDelaysMovesAndTheOffSetting)
{
    CMenu menu;
    const char* key = "TTIP_ONE";
    const char* otherKey = "TTIP_TWO";
    auto frame = [&](uint32_t clock, float x, const char* k, int32_t delay) {
        GameClock.frameTime = clock;
        menu.mouse = MenuPoint{x, 0.0f};
        menu.tooltipRequested = 0;
        menu.SetTooltip(k, delay);
        return menu.tooltipRequested && menu.tooltipVisible;
    };
    // Delay 0 shows in the frame it is asked for.
    EXPECT_TRUE(frame(1000, 0.1f, key, 0));

    // Delay 500: the wait starts at the last move and needs more than 500 ms.
    CMenu waiting;
    auto wait = [&](uint32_t clock, float x, const char* k) {
        GameClock.frameTime = clock;
        waiting.mouse = MenuPoint{x, 0.0f};
        waiting.SetTooltip(k, 500);
        return waiting.tooltipRequested && waiting.tooltipVisible;
    };
    EXPECT_FALSE(wait(1000, 0.1f, key));
    EXPECT_FALSE(wait(1500, 0.1f, key));
    EXPECT_TRUE(wait(1501, 0.1f, key));
    EXPECT_FALSE(wait(1600, 0.1001f, key)); // any move restarts the wait
    EXPECT_FALSE(wait(2100, 0.1001f, key));
    EXPECT_TRUE(wait(2101, 0.1001f, key));
    // Another key without a move keeps counting from the key switch.
    EXPECT_FALSE(wait(2200, 0.1001f, otherKey));
    EXPECT_TRUE(wait(2701, 0.1001f, otherKey));
    EXPECT_EQ(waiting.tooltipText, otherKey);

    // -1 takes the setting; the setting 10000 switches tooltips off.
    Settings.toolTipDelay = 0;
    EXPECT_TRUE(frame(3000, 0.2f, key, -1));
    Settings.toolTipDelay = 10000;
    EXPECT_FALSE(frame(3000, 0.2f, key, 0));
    EXPECT_FALSE(frame(90000, 0.2f, key, -1));
}

TEST_F(MenuFrame, TooltipBoxNearTheEdgesEndsAtTheEdge)
{
    CMenu menu;
    GameClock.frameTime = 0; // the drift is (-10 / 300, 0) at phase 0
    menu.mouse = MenuPoint{0.9f, 0.9f};
    menu.SetTooltip("A LONGER TOOLTIP TEXT", 0);
    menu.DrawTooltip();
    EXPECT_FLOAT_EQ(menu.tooltipBox[2], 1.0f);
    EXPECT_FLOAT_EQ(menu.tooltipBox[3], 1.0f);
    EXPECT_LT(menu.tooltipBox[0], 0.9f);

    // Away from the edges the box starts at the drifted anchor.
    menu.mouse = MenuPoint{-0.5f, -0.5f};
    menu.SetTooltip("TIP", 0);
    menu.DrawTooltip();
    EXPECT_NEAR(menu.tooltipBox[0], -0.45f - 10.0f / 300.0f, 1e-5f);
    EXPECT_NEAR(menu.tooltipBox[1], -0.45f, 1e-5f);
}

TEST_F(MenuFrame, FormatWeight)
{
    const struct
    {
        float weight;
        bool unit;
        const char* text;
    } cases[] = {
        {0.0f, true, "0lbs"}, {0.49f, true, "15oz"}, {0.8f, true, "1.6lbs"},
        {2.0f, true, "4lbs"}, {2.0f, false, "4"},    {1.5f, true, "3lbs"},
        {0.25f, true, "8oz"}, {0.75f, false, "1.5"}, {0.49f, false, "15"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatWeight(c.weight, c.unit), c.text) << c.weight;
}

TEST_F(MenuFrame, ButtonsWithAndWithoutPlates)
{
    CRootNode model;
    model.boundsRadius = 0.5f;
    const float angles[3] = {0.1f, 0.2f, 0.3f};
    CMenu menu;
    EXPECT_EQ(menu.AddButton(&model, {0.2f, 0.4f}, angles, 0.1f, false), 0);
    EXPECT_EQ(menu.ElementCount(), 1);
    EXPECT_EQ(menu.AddButton(&model, {0.2f, 0.4f}, angles, 0.1f, true), 2);
    ASSERT_EQ(menu.ElementCount(), 4);
    auto* back = static_cast<CMenuQuad*>(menu.Element(1));
    auto* figure = static_cast<CMenuFigure*>(menu.Element(2));
    auto* front = static_cast<CMenuQuad*>(menu.Element(3));
    EXPECT_EQ(back->blendMode, 4);
    EXPECT_EQ(front->blendMode, 2);
    EXPECT_EQ(back->selectable, 0);
    EXPECT_EQ(figure->selectable, 1);
    EXPECT_EQ(figure->type, CMenuElement::TYPE_FIGURE);
    // Plates centred on (x, -y), 0.17 high and 0.17 * H/W wide.
    EXPECT_NEAR(back->key.vertices[0].x, 0.2f - 0.17f * 0.75f, 1e-6f);
    EXPECT_NEAR(back->key.vertices[0].y, -0.4f - 0.17f, 1e-6f);
    EXPECT_NEAR(front->key.vertices[2].y, -0.4f + 0.17f, 1e-6f);
    EXPECT_FLOAT_EQ(figure->state.scale[0], 0.2f);
    EXPECT_FLOAT_EQ(figure->state.rotation[2], 0.3f);
    EXPECT_EQ(figure->snapperOffset[1], 0.0f);

    // "start" fades in over 300 ms; "mouseover" pulses the scale every 800 ms.
    menu.time = 1000;
    ASSERT_EQ(figure->CurrentTrack()->name, "start");
    figure->CurrentTrack()->start = 1000;
    figure->CurrentTrack()->Evaluate(1150, &figure->state);
    EXPECT_NEAR(figure->state.alpha, 0.5f, 1e-5f);
    figure->PlayTrack("mouseover");
    figure->CurrentTrack()->Evaluate(1400, &figure->state);
    EXPECT_NEAR(figure->state.scale[1], 0.24f, 1e-5f);
    figure->CurrentTrack()->Evaluate(1801, &figure->state);
    EXPECT_NEAR(figure->state.scale[1], 0.2f, 1e-5f);
}
