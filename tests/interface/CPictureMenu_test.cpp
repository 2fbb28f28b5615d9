// The picture screen hands its framed rectangle to the world drawing and never closes by itself.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/interface/CPictureMenu.h"
#include "GAMES/Rulo2/interface/OpenScreens.h"
#include "GAMES/Rulo2/render/ViewRects.h"

TEST(PictureMenu, CornersBecomeTheViewRectangleInPixels)
{
    DX.screenWidth = 640;
    DX.screenHeight = 480;
    struct Case
    {
        MenuPoint topLeft, bottomRight;
        int32_t left, top, width, height;
    };
    const Case cases[] = {
        {{-1, -1}, {1, 1}, 0, 0, 640, 480},
        {{-0.5f, -0.5f}, {0.5f, 0.5f}, 160, 120, 320, 240},
        {{-0.95f, -0.95f}, {-0.28333f, -0.28333f}, 16, 12, 213, 160},
    };
    for (const Case& c : cases) {
        OpenPictureMenu(1000, c.topLeft, c.bottomRight);
        EXPECT_TRUE(PictureMenuOpen);
        EXPECT_EQ(PictureMenu.Render(1040), -1);
        EXPECT_EQ(WorldViewRect.left, c.left);
        EXPECT_EQ(WorldViewRect.top, c.top);
        EXPECT_EQ(WorldViewRect.right - WorldViewRect.left, c.width);
        EXPECT_EQ(WorldViewRect.bottom - WorldViewRect.top, c.height);
        // Only a frame: nothing to hover.
        EXPECT_EQ(PictureMenu.hovered, -1);
    }
    ClearViewRect();
    EXPECT_TRUE(WorldViewRect.IsEmpty());
    PictureMenuOpen = 0;
}
