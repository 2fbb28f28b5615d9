// The interactive elements: check box, slider, edit field, the framed box and
// the figure; and the quad colour clamp every element draws through.
#include <gtest/gtest.h>

#include <string>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CMenuCheckBox.h"
#include "GAMES/Rulo2/interface/CMenuContainer.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CMenuGlow.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"

namespace {

class Widgets : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        MenuDragRect = SDragRect{};
    }
    static void MouseAt(float x, float y)
    {
        Input.cursorX = int32_t((x + 1.0f) * 320.0f);
        Input.cursorY = int32_t((y + 1.0f) * 240.0f);
    }
    // One frame of a screen: input edges, then the drawing pass.
    static void Frame(CMenu& menu, int32_t time)
    {
        menu.HandleInput();
        menu.Render(time);
    }
};

} // namespace

TEST_F(Widgets, CheckBoxFlipsOnceInTheReleaseFrame)
{
    CMenu menu;
    const int32_t index = menu.AddCheckBox({-0.2f, -0.2f}, {0.2f, 0.2f});
    auto* box = static_cast<CMenuCheckBox*>(menu.Element(index));
    EXPECT_EQ(box->type, CMenuElement::TYPE_CHECKBOX);
    box->selectable = 1;
    MouseAt(0.2f, 0.2f); // the edges count as inside
    const uint8_t buttons[] = {0, 1, 1, 1, 0, 0};
    const int32_t checked[] = {0, 0, 0, 0, 1, 1};
    for (int f = 0; f < 6; ++f) {
        Input.leftButton = buttons[f];
        Frame(menu, 40 * f);
        EXPECT_EQ(box->checked, checked[f]) << f;
    }
    // A release outside does nothing; a box that is not selectable never flips.
    MouseAt(0.5f, 0.5f);
    for (uint8_t b : {1, 0})
        Input.leftButton = b, Frame(menu, 400);
    EXPECT_EQ(box->checked, 1);
    MouseAt(0.0f, 0.0f);
    box->selectable = 0;
    for (uint8_t b : {1, 0})
        Input.leftButton = b, Frame(menu, 500);
    EXPECT_EQ(box->checked, 1);
}

TEST_F(Widgets, SliderStepsClampsAndSnapsDrags)
{
    struct Case
    {
        int32_t positions;
        float step;
    };
    for (const Case c : {Case{5, 0.25f}, Case{0, 1.0f}, Case{1, 1.0f}, Case{2, 1.0f}}) {
        CMenu menu;
        auto* slider = static_cast<CMenuContainer*>(
            menu.Element(menu.AddContainer({-0.5f, 0.0f}, {0.5f, 0.1f}, 2.0f, 3.0f, c.positions, 1, 0)));
        slider->selectable = 1;
        auto click = [&](int32_t child) {
            slider->child[CMenuContainer::CHILD_HOVERED] = child;
            menu.leftPressed = 1;
            slider->Tick();
            menu.leftPressed = 0;
        };
        click(slider->child[CMenuContainer::CHILD_INCREASE]);
        EXPECT_FLOAT_EQ(slider->value, c.step) << c.positions;
        click(slider->child[CMenuContainer::CHILD_INCREASE]);
        click(slider->child[CMenuContainer::CHILD_INCREASE]);
        click(slider->child[CMenuContainer::CHILD_INCREASE]);
        click(slider->child[CMenuContainer::CHILD_INCREASE]);
        EXPECT_FLOAT_EQ(slider->value, 1.0f) << c.positions; // never beyond the range
        for (int i = 0; i < 6; ++i)
            click(slider->child[CMenuContainer::CHILD_DECREASE]);
        EXPECT_FLOAT_EQ(slider->value, 0.0f) << c.positions;
    }

    // Layout: too short a slider is widened; the knob sits on the value.
    CMenu menu;
    auto* slider = static_cast<CMenuContainer*>(
        menu.Element(menu.AddContainer({0.0f, 0.0f}, {0.05f, 0.1f}, 0.0f, 1.0f, 5, 1, 0)));
    EXPECT_FLOAT_EQ(slider->right, 0.16f);
    EXPECT_FLOAT_EQ(slider->travel, 0.16f - 0.14f - 0.01f);
    EXPECT_FLOAT_EQ(slider->KnobPosition(), 0.07f + 0.005f);
    EXPECT_EQ(slider->knob->key.texture, nullptr); // no resources loaded here

    // A drag through the real frame: press on the knob, move, release anywhere.
    CMenu screen;
    auto* wide = static_cast<CMenuContainer*>(
        screen.Element(screen.AddContainer({-0.5f, 0.0f}, {0.5f, 0.1f}, 0.0f, 1.0f, 5, 1, 0)));
    wide->selectable = 1;
    const float knobX = wide->KnobPosition();
    MouseAt(knobX, 0.05f);
    Frame(screen, 0);
    Input.leftButton = 1;
    Frame(screen, 40);
    ASSERT_TRUE(wide->dragging);
    EXPECT_EQ(MenuDragRect.right, 640);
    // To the nearest quarter: 0.4 of the travel gives 0.5, 0.35 of it 0.25.
    MouseAt(knobX + 0.4f * wide->travel, 0.05f);
    Frame(screen, 80);
    EXPECT_FLOAT_EQ(wide->value, 0.5f);
    MouseAt(knobX + 0.35f * wide->travel, 0.05f);
    Frame(screen, 120);
    EXPECT_FLOAT_EQ(wide->value, 0.25f);
    MouseAt(knobX + 5.0f, 0.05f); // far outside: clamped to the range
    Frame(screen, 160);
    EXPECT_FLOAT_EQ(wide->value, 1.0f);
    Input.leftButton = 0;
    Frame(screen, 200);
    EXPECT_FALSE(wide->dragging);
    EXPECT_TRUE(MenuDragRect.IsEmpty());
}

TEST_F(Widgets, EditFieldKeys)
{
    CMenu menu;
    auto* field = new CMenuEditField(&menu);
    field->Setup({-0.5f, 0.0f}, {0.5f, 0.1f});
    menu.AddElement(field);
    field->Release();
    auto key = [&](int32_t code) {
        Input.menuKey = code;
        field->ProcessKey();
        EXPECT_EQ(Input.menuKey, 0); // every key is consumed
    };
    field->SetText("abc");
    EXPECT_EQ(field->cursor, 3);
    key(CMenuEditField::KEY_HOME);
    key(CMenuEditField::KEY_BACKSPACE); // at cursor 0: nothing, but consumed
    EXPECT_EQ(field->text, "abc");
    key(CMenuEditField::KEY_LEFT);
    EXPECT_EQ(field->cursor, 0);
    key(CMenuEditField::KEY_RIGHT);
    key('X');
    key(' ');
    EXPECT_EQ(field->text, "aX bc");
    key(CMenuEditField::KEY_END);
    key(CMenuEditField::KEY_RIGHT);
    EXPECT_EQ(field->cursor, 5);
    key(CMenuEditField::KEY_BACKSPACE);
    EXPECT_EQ(field->text, "aX b");
    key(CMenuEditField::KEY_ENTER);
    EXPECT_EQ(field->confirmed, 1);
    EXPECT_EQ(field->text, "aX b");
    key(7); // any other code: nothing, but it clears confirmed
    EXPECT_EQ(field->confirmed, 0);

    // At the maximum length letters and spaces are dropped.
    field->SetText(std::string(255, 'z').c_str());
    key('q');
    key(' ');
    EXPECT_EQ(field->text.size(), 255u);

    // Keys reach the field only while it is drawn highlighted.
    field->SetText("");
    field->selectable = 1;
    Input.menuKey = 'k';
    MouseAt(0.9f, 0.9f);
    Frame(menu, 0);
    EXPECT_EQ(Input.menuKey, 'k');
    MouseAt(0.0f, 0.05f);
    Frame(menu, 40);
    EXPECT_EQ(field->text, "k");
    EXPECT_EQ(Input.menuKey, 0);

    // A long text scrolls so that the cursor cell is the last one shown.
    field->SetText(std::string(100, 'w').c_str());
    field->DrawText();
    EXPECT_EQ(field->firstVisible, 100 - field->CellCount());
}

TEST_F(Widgets, FigureSnapperAndQuadColourClamp)
{
    CRootNode plain, snapped;
    plain.boundsRadius = snapped.boundsRadius = 2.0f;
    snapped.AddChild(new CLocatorNode("snapperShape"));
    CMenu menu;
    for (uint8_t noSnapper : {0, 1}) {
        CMenuFigure a(&menu), b(&menu);
        a.Setup(&plain, {0.1f, 0.2f}, 1.0f, 0, noSnapper, true);
        b.Setup(&snapped, {0.1f, 0.2f}, 1.0f, 0, noSnapper, true);
        EXPECT_FLOAT_EQ(a.ScreenPoint().y, 0.2f);
        EXPECT_FLOAT_EQ(b.ScreenPoint().y, noSnapper ? 0.2f : 0.2f - 0.15f * 0.5f);
        EXPECT_FLOAT_EQ(b.state.scale[2], 0.5f);
    }
    // A figure without a model is never hit and draws nothing.
    CMenuFigure none(&menu);
    none.selectable = 1;
    const CMenuElement::Point p{0, 0};
    EXPECT_FALSE(none.HitTest(&p));

    CMenuQuad quad(&menu);
    quad.SetGeometry({-0.5f, -0.5f}, {0.5f, 0.5f}, {-0.1f, 0.5f, 1.7f, 1.0f});
    quad.DrawNormal(0);
    EXPECT_EQ(quad.drawBuffer[0].diffuse, 0xFF007FFFu);
}

TEST_F(Widgets, FramedBoxTracksAndWobble)
{
    CMenu menu;
    CMenuGlow box(&menu);
    EXPECT_EQ(box.type, CMenuElement::TYPE_FRAME);
    box.Setup({-0.5f, -0.5f}, {0.0f, 0.0f, 0.0f, 0.8f}, {0.5f, 0.5f}, {1.0f, 0.5f, 0.0f, 0.4f});
    EXPECT_FLOAT_EQ(box.key.vertices[1].r, 0.5f);
    EXPECT_FLOAT_EQ(box.key.vertices[3].a, 0.6f);
    // Without a current track nothing is drawn.
    box.key.vertices[0].x = 7.0f;
    box.DrawNormal(0);
    EXPECT_FLOAT_EQ(box.drawBuffer[0].sx, 0.0f);
    menu.time = 0;
    box.PlayTrack("end");
    box.CurrentTrack()->Evaluate(300, &box.key);
    for (const MenuVertex& v : box.key.vertices)
        EXPECT_EQ(v.a, 0.0f);
    // The wobble moves corners by at most 0.001 x ten times the size and never accumulates.
    box.PlayTrack("none");
    box.wobble = 1;
    for (uint32_t t : {0u, 1000u, 2048u, 4096u}) {
        GameClock.frameTime = t;
        box.DrawNormal(0);
        EXPECT_FLOAT_EQ(box.key.vertices[0].x, -0.5f);
        const float drawnX = box.drawBuffer[0].sx / 320.0f - 1.0f;
        EXPECT_LE(std::abs(drawnX + 0.5f), 0.001f * 10.0f * 1.0f + 1e-5f);
    }
}
