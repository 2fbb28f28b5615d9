// The HUD bar: its build, the clocks, the speed knob, the button row on a fake recorder, the
// texts and the screen areas it claims.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/interface/CHudBarMenu.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

namespace {

// What the fake recorder was asked to do, in order.
std::vector<std::string> Calls;
bool FakeRecordingActive = false;

SHudRecorder FakeRecorder()
{
    return SHudRecorder{
        [] { Calls.push_back("backToStart"); },
        [] { Calls.push_back("backToMark"); },
        [] { Calls.push_back("forwardToMark"); },
        [] { Calls.push_back("forwardToEnd"); },
        [] { Calls.push_back("pause"); },
        [](uint8_t flag) { Calls.push_back("setRecordState " + std::to_string(flag)); },
        [] { Calls.push_back("clearRecording"); },
        [] { return FakeRecordingActive; },
    };
}

class HudBar : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        SetPlanMode(PHASE_PLANNING);
        RecordState = RECORD_NORMAL;
        PlanActivity = 2;
        HudBarMode = 3;
        HudRecordByte = 0;
        ModalMenuFlag = 0;
        BurglaryLevel = 1;
        ClearViewRects();
        Calls.clear();
        FakeRecordingActive = false;
        bar.recorder = FakeRecorder();
        bar.Build(now);
    }
    void TearDown() override
    {
        SetPlanMode(PHASE_REALTIME);
        RecordState = RECORD_NORMAL;
        PlanActivity = 0;
        HudBarMode = 0;
        HudRecordByte = 0;
        HudSelectedCharacter = nullptr;
        PlanMemberArray.clear();
        MenuDragRect = SDragRect{};
        ClearViewRects();
        Cash = 0;
    }

    void Frame() { bar.Render(now += 40); }
    void PointAt(float x, float y)
    {
        Input.cursorX = int32_t((x + 1) * float(DX.screenWidth / 2));
        Input.cursorY = int32_t((y + 1) * float(DX.screenHeight / 2));
    }
    // The cursor goes to the middle of the element and the frame finds it under the mouse.
    void HoverOver(int32_t index)
    {
        Frame(); // the frame places the knob and the wobbling buttons
        const auto* quad = static_cast<CMenuQuad*>(bar.Element(index));
        ASSERT_NE(quad, nullptr);
        PointAt((quad->key.vertices[0].x + quad->key.vertices[2].x) / 2,
                (quad->key.vertices[0].y + quad->key.vertices[2].y) / 2);
        Frame();
        ASSERT_EQ(bar.barHovered, index);
    }
    void Press()
    {
        Input.leftButton = 1;
        Frame();
    }
    void Release()
    {
        Input.leftButton = 0;
        Frame();
    }
    void Click(int32_t index)
    {
        HoverOver(index);
        Press();
        Release();
    }
    float QuadV(int32_t index, int corner) const
    {
        return static_cast<CMenuQuad*>(bar.Element(index))->key.vertices[corner].v;
    }

    CHudBarMenu bar;
    int32_t now = 5000;
};

TEST_F(HudBar, BuildLeavesFortySixElementsWithoutATrackEveryTime)
{
    for (int round = 0; round < 2; ++round) {
        bar.RemoveAllElements();
        bar.Build(now);
        ASSERT_EQ(bar.ElementCount(), 46) << round;
        for (int32_t i = 0; i < bar.ElementCount(); ++i) {
            ASSERT_NE(bar.Element(i), nullptr);
            EXPECT_EQ(bar.Element(i)->CurrentTrack(), nullptr) << "element " << i;
        }
        // The button frames leave a gap: the point between two frames hits neither.
        const auto* first = static_cast<CMenuQuad*>(bar.Element(bar.controlSlots[0]));
        const auto* second = static_cast<CMenuQuad*>(bar.Element(bar.controlSlots[1]));
        EXPECT_LT(first->key.vertices[1].x, second->key.vertices[0].x);
        const MenuPoint gap{(first->key.vertices[1].x + second->key.vertices[0].x) / 2, 0.8f};
        EXPECT_FALSE(bar.Element(bar.controlSlots[0])->HitTest(&gap));
        EXPECT_FALSE(bar.Element(bar.controlSlots[1])->HitTest(&gap));
    }
    EXPECT_EQ(HudRecordByte, 0);
}

TEST_F(HudBar, DigitalClockShowsHoursMinutesSecondsAndTenths)
{
    struct Case
    {
        int32_t clock;
        int32_t digits[10]; // -1: the separator
    };
    const Case cases[] = {
        {86'399'900, {2, 3, -1, 5, 9, -1, 5, 9, -1, 9}},
        {0, {0, 0, -1, 0, 0, -1, 0, 0, -1, 0}},
        {13 * 3'600'000 + 7 * 60'000 + 42'300, {1, 3, -1, 0, 7, -1, 4, 2, -1, 3}},
    };
    for (const Case& c : cases) {
        GameClock.gameClock = c.clock;
        Frame();
        for (int32_t i = 0; i < 10; ++i) {
            const int32_t index = bar.clockDigits[i];
            if (c.digits[i] < 0) {
                EXPECT_FLOAT_EQ(QuadV(index, 0), 0.01f) << c.clock << " cell " << i;
                EXPECT_FLOAT_EQ(static_cast<CMenuQuad*>(bar.Element(index))->key.vertices[0].u, 0.5f);
                continue;
            }
            EXPECT_FLOAT_EQ(QuadV(index, 0), float(c.digits[i]) / 10 + 0.02f) << c.clock << " cell " << i;
            EXPECT_FLOAT_EQ(QuadV(index, 1), float(c.digits[i]) / 10 + 0.02f);
            EXPECT_FLOAT_EQ(QuadV(index, 2), float(c.digits[i]) / 10 + 0.09f);
        }
    }
}

TEST_F(HudBar, KnobSetsTheSpeedWhileDraggedAndStopsTheGameWhenReleased)
{
    struct Case
    {
        int32_t phase;
        int32_t screenWidth;
        float pointerX; // while dragging
        int32_t speedWhileDragged;
        int32_t speedAfterRelease;
    };
    const Case cases[] = {
        {PHASE_PLANNING, 640, 0.99f, 8674, 0},
        // The slightest deflection to the right.
        {PHASE_PLANNING, 2'000'000, -0.359999f, 2030, 0},
        {PHASE_PLANNING, 640, -0.6f, -30 - int32_t(2000.0 * double(4.322f)), 0},
        // Outside the planning the knob does not go left of the centre and the game runs on.
        {PHASE_BURGLARY, 640, -0.6f, 100, 100},
        {PHASE_BURGLARY, 640, 0.99f, 8674, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pointerX);
        DX.screenWidth = c.screenWidth;
        SetPlanMode(c.phase);
        GameClock.gameSpeed = 0;
        Calls.clear();
        HoverOver(bar.speedKnob);
        Press();
        ASSERT_EQ(bar.draggingKnob, 1);
        EXPECT_EQ(ViewRectTable[6].right, c.screenWidth);
        EXPECT_EQ(ViewRectTable[6].bottom, 480);
        EXPECT_EQ(Calls, c.phase == PHASE_PLANNING ? std::vector<std::string>{"clearRecording"}
                                                   : std::vector<std::string>{});
        PointAt(c.pointerX, 0.1f);
        Frame();
        EXPECT_EQ(GameClock.gameSpeed, c.speedWhileDragged);
        EXPECT_GE(bar.speedValue, c.phase == PHASE_PLANNING ? -1.0f : 0.0f);
        // Released far from the bar.
        PointAt(0.5f, -0.5f);
        Release();
        EXPECT_EQ(bar.draggingKnob, 0);
        EXPECT_EQ(bar.speedValue, 0.0f);
        EXPECT_EQ(GameClock.gameSpeed, c.speedAfterRelease);
        EXPECT_EQ(ViewRectTable[6].right, 0);
        Frame();
        EXPECT_EQ(GameClock.gameSpeed, c.speedAfterRelease);
    }
}

TEST_F(HudBar, ButtonRowDrivesTheRecorder)
{
    struct Case
    {
        int32_t button;
        uint8_t playFlag;
        bool recordingActive;
        uint8_t recordOn;
        std::vector<std::string> calls;
        uint8_t playFlagAfter;
        uint8_t recordOnAfter;
    };
    const Case cases[] = {
        {0, 0, false, 0, {"backToStart"}, 0, 0},
        {1, 0, false, 0, {"backToMark"}, 0, 0},
        {1, 1, false, 0, {"backToMark"}, 1, 0},
        {2, 0, false, 0, {}, 1, 0},
        {2, 1, true, 0, {"pause"}, 0, 0},
        {2, 1, false, 0, {}, 0, 0},
        {3, 1, false, 0, {"setRecordState 1"}, 1, 1},
        {3, 0, false, 0, {"clearRecording"}, 0, 1},
        {3, 1, true, 1, {"pause"}, 1, 0},
        {4, 0, false, 0, {"forwardToMark"}, 0, 0},
        {5, 0, false, 0, {"forwardToEnd"}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "button " << c.button << " play " << int(c.playFlag));
        HudRecordByte = c.playFlag;
        FakeRecordingActive = c.recordingActive;
        GameClock.gameSpeed = c.recordOn ? 100 : 0;
        bar.recordOn = c.recordOn;
        HoverOver(bar.controlSlots[c.button]);
        Press();
        Calls.clear();
        bar.recordOn = c.recordOn;
        Input.leftButton = 0;
        bar.HandleInput();
        EXPECT_EQ(Calls, c.calls);
        EXPECT_EQ(HudRecordByte, c.playFlagAfter);
        EXPECT_EQ(bar.recordOn, c.recordOnAfter);
    }
}

TEST_F(HudBar, ButtonRowAndMapWorkOnlyWhereThePhaseAllowsThem)
{
    // The row works only while a plan is recorded; elsewhere its symbols look inactive.
    PlanActivity = 1;
    Frame();
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(bar.Element(bar.controlSlots[i])->selectable, 0);
        EXPECT_EQ(bar.Element(bar.controlIcons[i])->active, 1);
    }
    EXPECT_EQ(bar.Element(bar.mapButton)->GetState(), 1);
    PlanActivity = 2;
    Frame();
    EXPECT_EQ(bar.Element(bar.controlSlots[2])->selectable, 1);
    EXPECT_EQ(bar.Element(bar.mapButton)->GetState(), 0);
    // While playing, the two end buttons cannot be clicked.
    HudRecordByte = 1;
    Frame();
    EXPECT_EQ(bar.Element(bar.controlSlots[0])->selectable, 0);
    EXPECT_EQ(bar.Element(bar.controlSlots[5])->selectable, 0);
    // The part mask hides the time controls and the panels.
    HudBarMode = 0;
    Frame();
    EXPECT_EQ(bar.Element(bar.clockFace)->GetState(), 0);
    EXPECT_EQ(bar.Element(bar.rightPanel)->GetState(), 0);
    EXPECT_EQ(bar.Element(bar.leftCap)->GetState(), 1);
    EXPECT_EQ(bar.Element(bar.rightCap)->GetState(), 1);
}

TEST_F(HudBar, ValueTextShowsCashOrLootAndTheLoadInPoundUnits)
{
    SetPlanMode(PHASE_REALTIME);
    struct Case
    {
        int32_t cash;
        std::string text;
    };
    for (const Case& c :
         {Case{99999, "$99999"}, Case{100000, GetDisplayText("DISPLAY_RICH")}, Case{15, "$15"}}) {
        Cash = c.cash;
        Frame();
        EXPECT_EQ(bar.valueText, c.text);
        EXPECT_EQ(bar.loadText, "");
    }

    CWorldObject character("member");
    CObjectLogic logic;
    auto state = std::make_unique<CCharacterAState>();
    state->strength = 40.0f;
    logic.ownConditions = std::move(state);
    character.objectLogic = &logic;
    HudSelectedCharacter = &character;
    PlanMemberArray.clear();
    PlanMemberArray.add(1);
    PlanMemberArray[0].member = &character;
    PlanMemberArray[0].carriedLoad = 12.0f;
    SetPlanMode(PHASE_PLANNING);
    Frame();
    EXPECT_EQ(bar.valueText, "$0");
    // Both figures in FormatWeight's unit of two pounds, as the other screens show weights.
    EXPECT_EQ(bar.loadText, "24/80lbs");
    character.objectLogic = nullptr;
}

TEST_F(HudBar, ClaimsItsScreenAreasEveryFrameAndDrawsNothingWhileHidden)
{
    Frame();
    const SViewRect expected[3] = {{32, 415, 608, 456}, {3, 396, 70, 477}, {569, 396, 636, 477}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ViewRectTable[i].left, expected[i].left) << i;
        EXPECT_EQ(ViewRectTable[i].top, expected[i].top) << i;
        EXPECT_EQ(ViewRectTable[i].right, expected[i].right) << i;
        EXPECT_EQ(ViewRectTable[i].bottom, expected[i].bottom) << i;
    }
    ClearViewRects();
    HudHiddenFlag = 1;
    Frame();
    HudHiddenFlag = 0;
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ViewRectTable[i].IsEmpty()) << i;
}

TEST_F(HudBar, MapButtonTogglesTheMapScreen)
{
    SetPlanMode(PHASE_REALTIME);
    MapMenuOpen = 0;
    Click(bar.mapButton);
    EXPECT_EQ(MapMenuOpen, 1);
    Click(bar.mapButton);
    EXPECT_EQ(MapMenuOpen, 0);
    // While a message box has the input the bar takes no click.
    HoverOver(bar.mapButton);
    ModalMenuFlag = 1;
    Press();
    Release();
    ModalMenuFlag = 0;
    EXPECT_EQ(MapMenuOpen, 0);
}

} // namespace
