#include <gtest/gtest.h>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"

TEST(OpenScreens, MessageBoxKeepsTheLastPurposeAndRaisesItsFlag)
{
    MessageMenuOpen = 0;
    OpenMessageMenu(0, "first", 3, 0);
    OpenMessageMenu(0, "second", 7, 1);
    EXPECT_EQ(MessagePurpose, 7);
    EXPECT_EQ(MessageMenuOpen, 1);
    MessageMenuOpen = 0;
}

TEST(Tutorial, InactiveControllerIgnoresPageEvents)
{
    CTutorial tutorial;
    tutorial.page = 2;
    tutorial.NextPage(2);
    tutorial.Stop();
    EXPECT_EQ(tutorial.page, 2);
    EXPECT_EQ(tutorial.panelState, 0);
    EXPECT_EQ(tutorial.active, 0);
    EXPECT_EQ(Tutorial.active, 0);
}
