// The tutorial controller, its frame screen and the page host, driven through the
// game's own globals with a browser control that records what it is asked to do.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/WebBrowserDlg.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/CTutorialMenu.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "platform/files/WinPath.h"

namespace {

struct FakeBrowser : CWebBrowser2
{
    std::vector<std::string> navigations;
    void Navigate(const char* url, const void*, const void*, const void*, const void*) override
    {
        navigations.push_back(url);
    }
};

class TutorialTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto fake = std::make_unique<FakeBrowser>();
        browser = fake.get();
        BrowserDialog = new WebBrowserDlg(std::move(fake));
        std::snprintf(ProgramFolder, ProgramFolderSize, "%s", "/game");
        At(1000);
        TutorialBrowserOpen = 0;
        AppWindowListCount = 0;
        TutorialCutout = SViewRect{};
        Input = InputState{};
        tutorial = CTutorial();
        TutorialMenu.pageMode = 1;
        TutorialMenu.maximised = 0;
        TutorialMenu.SetFramePos(0.0f, -0.9f);
    }
    void TearDown() override
    {
        DestroyBrowserDialog();
        TutorialBrowserOpen = 0;
        TutorialCutout = SViewRect{};
        AppWindowListCount = 0;
        Input = InputState{};
    }
    static void At(uint32_t ms) { GameClock.frameTime = ms; }
    std::string LastPage() const { return browser->navigations.empty() ? "" : browser->navigations.back(); }

    CTutorial tutorial;
    FakeBrowser* browser = nullptr;
};

TEST_F(TutorialTest, PagesAdvanceOnlyFromTheCurrentPageAndFullProgress)
{
    tutorial.Start();
    EXPECT_EQ(tutorial.active, 1);
    EXPECT_EQ(tutorial.page, 1);
    ASSERT_EQ(browser->navigations.size(), 1u);
    EXPECT_EQ(platform::ResolvePath(LastPage()), platform::ResolvePath("/game/Tutorial/Tutorial1_1.htm"));

    tutorial.NextPage(2);
    EXPECT_EQ(tutorial.page, 1) << "an event for another page";
    tutorial.NextPage(1);
    ASSERT_EQ(tutorial.page, 2);
    tutorial.NextPage(3);
    EXPECT_EQ(tutorial.page, 2) << "NextPage(3) on page 2 changes nothing";
    EXPECT_EQ(browser->navigations.size(), 2u);

    tutorial.SetProgress(2, 40);
    tutorial.SetProgress(2, 30);
    EXPECT_EQ(tutorial.progress, 40) << "a smaller report is not stored";
    EXPECT_EQ(tutorial.page, 2);
    tutorial.SetProgress(2, 100);
    EXPECT_EQ(tutorial.page, 3);
    EXPECT_EQ(tutorial.progress, 0);
    // The page shown was the second one's file, joined to the start folder.
    EXPECT_EQ(platform::ResolvePath(browser->navigations[1]),
              platform::ResolvePath("/game/Tutorial/Tutorial2_1.htm"));
    EXPECT_EQ(platform::ResolvePath(LastPage()), platform::ResolvePath("/game/Tutorial/Tutorial3_1.htm"));

    tutorial.Stop();
    tutorial.NextPage(3);
    tutorial.SetProgress(3, 100);
    EXPECT_EQ(tutorial.page, 3) << "a stopped tutorial ignores page events";
    EXPECT_EQ(browser->navigations.size(), 3u);
}

TEST_F(TutorialTest, APageEventLoadsTheNextPageAndClosesAnOpenPanelButLeavesAClosedOneClosed)
{
    tutorial.Start();
    tutorial.NextPage(1);
    EXPECT_EQ(tutorial.panelState, 0);
    EXPECT_EQ(browser->navigations.size(), 2u);
    EXPECT_FALSE(BrowserDialog->IsWindowVisible());

    tutorial.panelState = 3;
    TutorialBrowserOpen = 1;
    BrowserDialog->ShowWindow(true);
    TutorialCutout = SViewRect{0, 0, 10, 10};
    At(5000);
    tutorial.NextPage(2);
    EXPECT_EQ(tutorial.panelState, 2);
    EXPECT_EQ(tutorial.stateTime, 5000);
    EXPECT_EQ(TutorialBrowserOpen, 0);
    EXPECT_TRUE(TutorialCutout.IsEmpty());
    EXPECT_FALSE(BrowserDialog->IsWindowVisible());
}

TEST_F(TutorialTest, TheEmblemDropsInWithinEightSeconds)
{
    tutorial.Start();
    const struct
    {
        uint32_t after;
        float height;
    } cases[] = {{0, 5.7f}, {4000, 5.7f - 5.0f * std::sin(3.14159265f / 4)}, {8000, 0.7f}, {20000, 0.7f}};
    for (const auto& c : cases) {
        At(1000 + c.after);
        tutorial.Update();
        EXPECT_NEAR(tutorial.emblemHeight, c.height, 1e-4f) << c.after;
    }
}

TEST_F(TutorialTest, TheClickedPanelSlidesOpenThenShowsTheFrameAndTheCloseButtonHidesIt)
{
    tutorial.Start();
    tutorial.Show();
    EXPECT_EQ(tutorial.panelState, 1);
    const float travel = TutorialEmblem.openPosition - TutorialEmblem.closedPosition;
    At(1000 + 250);
    tutorial.Update();
    EXPECT_NEAR(tutorial.panelPosition, TutorialEmblem.closedPosition + 0.25f, 1e-5f) << "0.001 units per ms";
    EXPECT_EQ(TutorialBrowserOpen, 0);
    At(1000 + uint32_t(travel * 1000) + 40);
    tutorial.Update();
    EXPECT_EQ(tutorial.panelState, 3);
    EXPECT_EQ(TutorialBrowserOpen, 1);
    EXPECT_TRUE(BrowserDialog->IsWindowVisible());
    EXPECT_EQ(TutorialMenu.introRunning, 1) << "the frame screen was opened";
    EXPECT_FALSE(TutorialCutout.IsEmpty());

    // A press and release on the close button of the (maximised) frame.
    const float x = TutorialMenu.maxRight - 0.04f, y = TutorialMenu.maxTop - 0.05f;
    Input.cursorX = int32_t((x + 1) * float(DX.screenWidth) / 2);
    Input.cursorY = int32_t((y + 1) * float(DX.screenHeight) / 2);
    Input.leftButton = 1;
    At(3000);
    tutorial.Update();
    Input.leftButton = 0;
    At(3040);
    tutorial.Update();
    EXPECT_EQ(TutorialBrowserOpen, 0);
    EXPECT_FALSE(BrowserDialog->IsWindowVisible());
    EXPECT_TRUE(TutorialCutout.IsEmpty());
    EXPECT_EQ(tutorial.panelState, 3) << "the panel stays open; a click on the emblem shows the page again";

    tutorial.Show();
    EXPECT_EQ(TutorialBrowserOpen, 1);
}

TEST_F(TutorialTest, AClosingPanelHidesThePageWhenItIsIn)
{
    tutorial.Start();
    tutorial.panelState = 2;
    tutorial.stateTime = 1000;
    TutorialBrowserOpen = 1;
    At(1000 + uint32_t((TutorialEmblem.openPosition - TutorialEmblem.closedPosition) * 1000) + 1);
    tutorial.Update();
    EXPECT_EQ(tutorial.panelState, 0);
    EXPECT_EQ(TutorialBrowserOpen, 0);
    EXPECT_TRUE(TutorialCutout.IsEmpty());
}

TEST_F(TutorialTest, TheSmallFrameDragsOnlySidewaysAndStopsAtItsEdges)
{
    CTutorialMenu frame;
    EXPECT_FLOAT_EQ(frame.frameX, 0.0f);
    EXPECT_FLOAT_EQ(frame.frameY, -0.9499999f);
    frame.pageMode = 0;
    frame.Build(1000);
    const auto pixelX = [](float x) { return int32_t(std::lround((x + 1) * float(DX.screenWidth) / 2)); };
    const auto pixelY = [](float y) { return int32_t(std::lround((y + 1) * float(DX.screenHeight) / 2)); };
    // Grab the title bar, then drag right and down, then far left and up.
    Input.cursorX = pixelX((frame.frameLeft + frame.frameRight) / 2);
    Input.cursorY = pixelY(frame.frameTop - 0.05f);
    At(1000);
    EXPECT_EQ(frame.Render(1000), -1);
    Input.leftButton = 1;
    EXPECT_EQ(frame.Render(1040), -1);
    ASSERT_EQ(frame.draggingFrame, 1);
    Input.cursorX += 200;
    Input.cursorY += 100;
    frame.Render(1080);
    EXPECT_FLOAT_EQ(frame.frameX, 0.0f) << "not beyond x 0";
    EXPECT_FLOAT_EQ(frame.frameY, -0.9499999f) << "the top edge stays";
    Input.cursorX -= 600;
    Input.cursorY -= 200;
    frame.Render(1120);
    EXPECT_FLOAT_EQ(frame.frameX, -0.95f);
    EXPECT_FLOAT_EQ(frame.frameY, -0.95f);
    Input.leftButton = 0;
    frame.Render(1160);
    EXPECT_EQ(frame.draggingFrame, 0);
    // The cut-out is the frame's page area in pixels.
    EXPECT_EQ(TutorialCutout.left, pixelX(frame.frameLeft));
    EXPECT_EQ(TutorialCutout.right, pixelX(frame.frameRight));
    EXPECT_EQ(TutorialCutout.bottom, pixelY(frame.frameBottom));
}

TEST_F(TutorialTest, WhileAnotherWindowIsListedTheCutOutIsEmptyAndInputIgnored)
{
    CTutorialMenu frame;
    frame.pageMode = 0;
    frame.Build(1000);
    frame.Render(1000);
    EXPECT_FALSE(TutorialCutout.IsEmpty());
    AppWindowListCount = 1;
    Input.cursorX = int32_t((frame.frameRight - 0.04f + 1) * float(DX.screenWidth) / 2);
    Input.cursorY = int32_t((frame.frameTop - 0.05f + 1) * float(DX.screenHeight) / 2);
    Input.leftButton = 1;
    EXPECT_EQ(frame.Render(1040), -1);
    Input.leftButton = 0;
    EXPECT_EQ(frame.Render(1080), -1);
    EXPECT_TRUE(TutorialCutout.IsEmpty());
    EXPECT_EQ(frame.closeChosen, 0);
    EXPECT_EQ(frame.hovered, -1);
}

TEST_F(TutorialTest, ThePageIsPlacedByItsZoomAndOffsets)
{
    CTutorialMenu frame;
    frame.Build(1000);
    frame.Render(1000);
    // Fixed page mode: v = 0.444 and the fixed offsets; the frame counts as maximised.
    EXPECT_EQ(frame.PageZoom(), int32_t(712.0f * 0.444f + 200.0f));
    EXPECT_FLOAT_EQ(frame.PageOffsetX(), -0.523926f);
    EXPECT_FLOAT_EQ(frame.PageOffsetY(), 3.307922f);
    EXPECT_EQ(TutorialCutout.left, 0);
    EXPECT_EQ(TutorialCutout.right, DX.screenWidth);
    EXPECT_EQ(TutorialCutout.bottom, DX.screenHeight) << "the whole screen when maximised";
    const platform::BrowserRect control = BrowserDialog->Browser()->page.ControlRect();
    EXPECT_EQ(control.Width(), frame.PageZoom());
    const platform::BrowserRect host = BrowserDialog->Browser()->page.HostRect();
    EXPECT_EQ(host.left, int32_t(std::lround((frame.maxLeft + 1) * float(DX.screenWidth) / 2)));

    // Otherwise the zoom follows the scroll value v and the centred page point.
    frame.pageMode = 0;
    frame.Build(2000);
    frame.Render(2000);
    const float zoom = 200.0f;
    EXPECT_EQ(frame.PageZoom(), 200);
    EXPECT_NEAR(frame.PageOffsetX(), 512.0f * (1 - 0.674393f) - zoom / 2, 1e-3f);
    EXPECT_NEAR(frame.PageOffsetY(), 512.0f * (1 - 0.453248f) - zoom / 2, 1e-3f);
}

} // namespace
