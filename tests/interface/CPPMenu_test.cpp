// The recording overlay: the noise meter's choice of reading and its fade, the member strip and
// the proceed button's paths.
#include <gtest/gtest.h>

#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/interface/CMenuFigure.h"
#include "GAMES/Rulo2/interface/CPPMenu.h"
#include "GAMES/Rulo2/navigation/Perception.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

namespace {

class Overlay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Input = InputState();
        GameClock = GameClockState();
        DX.screenWidth = 640;
        DX.screenHeight = 480;
        PlanMemberArray.clear();
        AlarmRaised = 0;
    }
    void TearDown() override
    {
        PlanMemberArray.clear();
        SetPlanMode(PHASE_REALTIME);
        PlanActivity = 0;
        AlarmRaised = 0;
        ResultsMenuOpen = 0;
    }
    void Members(int32_t count)
    {
        nodes.clear();
        for (int32_t i = 0; i < count; ++i)
            nodes.emplace_back(std::make_unique<CWorldObject>("member"));
        PlanMemberArray.clear();
        PlanMemberArray.add(count);
        for (int32_t i = 0; i < count; ++i)
            PlanMemberArray[size_t(i)].member = nodes[size_t(i)].get();
    }
    std::vector<std::unique_ptr<CWorldObject>> nodes;
    CPPMenu menu;
    int32_t now = 10000;
};

} // namespace

TEST_F(Overlay, MeterKeepsTheNarrowestReadingOfAFrameAndFadesAfterItStops)
{
    menu.Build(now);
    // No noise source: (0, 0) never shows the meter.
    menu.KeepNarrowestWindow(0, 0);
    menu.Render(now += 40);
    EXPECT_EQ(menu.shownNoise, 0);
    EXPECT_EQ(menu.shownThreshold, 0);

    menu.KeepNarrowestWindow(5, 20);
    menu.KeepNarrowestWindow(8, 10);
    menu.KeepNarrowestWindow(0, 0);
    EXPECT_EQ(menu.shownNoise, 8);
    EXPECT_EQ(menu.shownThreshold, 10);
    menu.Render(now += 40);
    EXPECT_EQ(menu.shownNoise, 8);
    EXPECT_EQ(menu.shownThreshold, 10);
    const int32_t lastReading = now;
    // No readings any more: the meter stays 2500 ms, then it is gone.
    while (now - lastReading <= 2500) {
        EXPECT_EQ(menu.shownThreshold, 10) << now - lastReading;
        menu.Render(now += 40);
    }
    EXPECT_EQ(menu.shownNoise, 0);
    EXPECT_EQ(menu.shownThreshold, 0);
}

TEST_F(Overlay, NavigationReportsReachTheMeter)
{
    PPMenu.RemoveAllElements();
    PPMenu.Build(now);
    InstallSubsystems();
    ASSERT_EQ(KeepNarrowestWindow, &OverlayNoiseWindow);
    KeepNarrowestWindow(3, 9);
    EXPECT_EQ(PPMenu.shownNoise, 3);
    PPMenu.RemoveAllElements();
}

TEST_F(Overlay, MembersStandSideBySideAtMostFour)
{
    struct Case
    {
        int32_t members;
        std::vector<float> xs;
    };
    for (const Case& c :
         {Case{4, {-0.6f, -0.2f, 0.2f, 0.6f}}, Case{1, {0.0f}}, Case{6, {-0.6f, -0.2f, 0.2f, 0.6f}}}) {
        Members(c.members);
        menu.RemoveAllElements();
        menu.Build(now);
        EXPECT_EQ(menu.memberCount, int32_t(c.xs.size()));
        for (size_t i = 0; i < c.xs.size(); ++i) {
            auto* figure = static_cast<CMenuFigure*>(menu.Element(menu.memberFigures[i]));
            ASSERT_NE(figure, nullptr);
            EXPECT_NEAR(figure->state.position[0], c.xs[i], 1e-6f) << c.members << " " << i;
        }
    }
}

TEST_F(Overlay, ProceedOrEscapeOpensTheResultsAfterAnAlarm)
{
    menu.Build(now);
    SetPlanMode(PHASE_BURGLARY);
    menu.Render(now += 40);
    EXPECT_EQ(menu.Element(menu.cancelButton)->shown, 1);
    EXPECT_EQ(menu.Element(menu.proceedButton)->shown, 0);
    // Before the alarm Escape aborts the run.
    Input.menuKey = 8;
    EXPECT_EQ(menu.Render(now += 40), -2);

    menu.RemoveAllElements();
    menu.Build(now);
    AlarmRaised = 1;
    menu.Render(now += 40);
    EXPECT_EQ(menu.Element(menu.proceedButton)->shown, 1);
    Input.menuKey = 8;
    EXPECT_EQ(menu.Render(now += 40), 1);
    EXPECT_EQ(ResultsMenuOpen, 1);
    EXPECT_EQ(GamePhase, PHASE_REALTIME);

    // Planning a plan: Escape asks whether to save; Escape again takes the question back.
    menu.RemoveAllElements();
    menu.Build(now);
    AlarmRaised = 0;
    SetPlanMode(PHASE_PLANNING);
    PlanActivity = 2;
    Input.menuKey = 8;
    EXPECT_EQ(menu.Render(now += 40), -1);
    EXPECT_EQ(menu.requesterShown, 1);
    Input.menuKey = 8;
    menu.Render(now += 40);
    EXPECT_EQ(menu.requesterShown, 0);
}
