// The map screen: the small window's position, the picture-to-world mapping, the spot list, the
// picture part cut to the picture, and the clicks on frames and buttons.
#include <gtest/gtest.h>

#include <string>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/ScreenHooks.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/interface/CMapMenu.h"
#include "GAMES/Rulo2/interface/CMenuContainer.h"
#include "GAMES/Rulo2/render/ViewRects.h"

namespace {

// The mouse is put over an element by index (the buttons' models are not loaded here).
class PointedMap : public CMapMenu
{
public:
    void UpdateHover(const MenuPoint*) override { ownHovered = hovered = pointAt; }
    int32_t pointAt = -1;
};

class Map : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        SetPlanMode(PHASE_REALTIME);
        ViewFreeze = 0;
        MapMenuMode = 3;
        MapSpots.clear();
    }
    void TearDown() override
    {
        MapSpots.clear();
        MapMenuMode = 0;
        ClearViewRects();
    }
    PointedMap map;
    int32_t now = 1000;
};

} // namespace

TEST_F(Map, SetPositionKeepsTheSmallWindowOnTheScreen)
{
    struct Case
    {
        float x, y, expectX, expectY;
    };
    const Case cases[] = {
        {-2, -2, -0.95f, -0.95f},
        {1, 1, 0.3f, -0.04999995f},
        {0, -0.04f, 0, -0.04f},
        {0, -0.039f, 0, -0.04999995f},
    };
    for (const Case& c : cases) {
        map.SetPosition(MenuPoint{c.x, c.y});
        EXPECT_FLOAT_EQ(map.position.x, c.expectX) << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(map.position.y, c.expectY) << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(map.smallTopLeft.y, map.position.y + 0.09f);
        EXPECT_FLOAT_EQ(map.smallBottomRight.x, map.position.x + 0.65f);
    }
    EXPECT_FLOAT_EQ(CMapMenu().position.y, -0.95f);
}

TEST_F(Map, MapToWorldMapsPicturePixelsToTheTown)
{
    struct Case
    {
        float px, py, x, z;
    };
    for (const Case& c : {Case{84, 427, -12, -21}, Case{318, 45, 23, 33}}) {
        float x = 0, z = 0;
        CMapMenu::MapToWorld(MenuPoint{c.px, c.py}, &x, &z);
        EXPECT_FLOAT_EQ(x, c.x);
        EXPECT_FLOAT_EQ(z, c.z);
    }
}

TEST_F(Map, RegisteringAnEqualSpotKeepsOneRecord)
{
    MapSpot spot;
    spot.position[0] = 1;
    spot.radius = 2;
    spot.name = "MAP_BANK";
    RegisterMapSpot(spot);
    RegisterMapSpot(spot);
    MapSpot renamed = spot;
    renamed.name = "MAP_HOTEL";
    RegisterMapSpot(renamed);
    MapSpot moved = spot;
    moved.walkTarget[2] = 0.5f;
    RegisterMapSpot(moved);
    EXPECT_EQ(MapSpots.size(), 3u);
}

TEST_F(Map, PicturePartIsCutToThePictureAndTheScreenRectangleShrinksWithIt)
{
    struct Case
    {
        const char* name;
        float source[4], screen[4];
        bool drawn;
        float clippedSource[4], clippedScreen[4];
    };
    const Case cases[] = {
        {"inside", {100, 100, 200, 200}, {10, 10, 100, 100}, true, {100, 100, 200, 200}, {10, 10, 100, 100}},
        {"zoom 1.0 centred",
         {-200, -200, 912, 912},
         {0, 0, 912, 912},
         true,
         {0, 0, 512, 512},
         {200, 200, 512, 512}},
        {"left edge", {-100, 0, 200, 200}, {0, 0, 100, 100}, true, {0, 0, 100, 200}, {50, 0, 50, 100}},
        {"far right and below",
         {400, 450, 200, 200},
         {0, 0, 400, 400},
         true,
         {400, 450, 112, 62},
         {0, 0, 224, 124}},
        {"all outside", {600, 0, 100, 100}, {0, 0, 100, 100}, false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        float source[4], screen[4];
        std::copy(c.source, c.source + 4, source);
        std::copy(c.screen, c.screen + 4, screen);
        ASSERT_EQ(ClipMapSource(source, screen), c.drawn);
        if (!c.drawn)
            continue;
        for (int32_t i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(source[i], c.clippedSource[i]) << i;
            EXPECT_FLOAT_EQ(screen[i], c.clippedScreen[i]) << i;
        }
    }
}

TEST_F(Map, FullZoomDrawsOnlyPixelsOfThePicture)
{
    map.Build(now);
    map.zoomed = 1;
    static_cast<CMenuContainer*>(map.Element(map.largeSlider))->value = 1.0f;
    EXPECT_EQ(map.Render(now += 40), -1);
    EXPECT_FLOAT_EQ(map.source[2], 912.0f);
    EXPECT_GE(map.shownSource[0], 0.0f);
    EXPECT_GE(map.shownSource[1], 0.0f);
    EXPECT_LE(map.shownSource[0] + map.shownSource[2], kMapPictureSize);
    EXPECT_LE(map.shownSource[1] + map.shownSource[3], kMapPictureSize);
    EXPECT_GT(map.shownScreen[2], 0.0f);
    EXPECT_LT(map.shownScreen[2], map.screen[2]);
    // The large window claims the whole screen from the world.
    EXPECT_EQ(ViewRectTable[3].right, 640);
}

TEST_F(Map, DrawsNothingOutsideTheRealTimePhaseOrWhileTheSmallWindowIsNotWanted)
{
    map.Build(now);
    for (const auto& [phase, mode] : {std::pair{PHASE_PLANNING, 3}, std::pair{PHASE_REALTIME, 0}}) {
        SetPlanMode(phase);
        MapMenuMode = mode;
        ViewRectTable[3] = SViewRect{0, 0, 10, 10};
        EXPECT_EQ(map.Render(now += 40), -1);
        EXPECT_TRUE(ViewRectTable[3].IsEmpty());
    }
}

TEST_F(Map, DoubleClickPicksOnTheWindowsFrameModeOneOnlyOnTheLargeOne)
{
    struct Case
    {
        int32_t mode;
        bool large;
        uint8_t pick;
    };
    for (const Case& c : {Case{0, false, 1}, Case{1, false, 0}, Case{1, true, 1}, Case{0, true, 1}}) {
        SCOPED_TRACE(c.mode * 10 + c.large);
        map.Clear();
        map.mode = c.mode;
        map.Build(now);
        map.pointAt = c.large ? map.largeFrame : map.smallFrame;
        map.UpdateHover(nullptr);
        Input.doubleClick = 1;
        map.HandleInput();
        Input.doubleClick = 0;
        EXPECT_EQ(map.pickPending, c.pick);
    }
}

TEST_F(Map, ZoomButtonSwitchesWindowsExceptInModeOneAndCloseEndsTheMap)
{
    for (const int32_t mode : {0, 1}) {
        SCOPED_TRACE(mode);
        map.Clear();
        map.mode = mode;
        map.zoomed = 0;
        map.Build(now);
        map.pointAt = map.zoomButton;
        map.UpdateHover(nullptr);
        Input.leftButton = 1;
        map.HandleInput();
        Input.leftButton = 0;
        map.HandleInput();
        EXPECT_EQ(map.zoomed, mode == 0 ? 1 : 0);
        if (mode == 0) {
            EXPECT_EQ(MapMenuMode, 0);
        }
    }
    map.mode = 0;
    map.zoomed = 0;
    MapMenuMode = 3;
    map.pointAt = map.smallClose;
    map.Render(now += 40);
    Input.leftButton = 1;
    map.Render(now += 40);
    Input.leftButton = 0;
    EXPECT_EQ(map.Render(now += 40), 1);
    EXPECT_TRUE(ViewRectTable[3].IsEmpty());
}
