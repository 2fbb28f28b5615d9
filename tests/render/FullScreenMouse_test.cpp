// Mouse positions reach the main window in the render size's pixels, also when the
// full-screen picture is scaled to a window of another size.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "platform/win/NativeWindow.h"
#include "platform/win/Window.h"

namespace {

class ClickWindow : public platform::Window
{
public:
    std::vector<platform::Message> clicks;
    platform::LRESULT WindowProc(const platform::Message& msg) override
    {
        if (msg.message == platform::WM_LBUTTONDOWN)
            clicks.push_back(msg);
        return DefWindowProc(msg);
    }
};

class FullScreenMouse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::InitVideo());
        D3DSetFakeDisplayModes(&modes);
        PrimaryOnlyFlag = 0;
        NoTnLFlag = 1;
        ShrinkTexturesFlag = 0;
        Settings.mainWndW = 640;
        Settings.mainWndH = 480;
        WindowedFlag = 1;
        platform::WindowDesc desc;
        desc.title = "Varek";
        desc.openGL = true;
        desc.width = 640;
        desc.height = 480;
        ASSERT_TRUE(window.Create(desc));
        DX.mainWindow = &window;
        EnumerateDrivers();
        ASSERT_TRUE(InitDirectX());
    }

    void TearDown() override
    {
        ReleaseDirectX();
        ShutdownDirectDraw();
        FreeDriverList();
        DX.mainWindow = nullptr;
        if (window.IsWindow())
            window.DestroyWindow();
        D3DSetFakeDisplayModes(nullptr);
        WindowedFlag = 1;
    }

    // A click at a point given in the window system's pixels of the window.
    platform::POINT clickAt(int x, int y)
    {
        platform::PumpMessages();
        window.clicks.clear();
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.windowID = SDL_GetWindowID(platform::NativeWindow(&window));
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = SDL_PRESSED;
        e.button.clicks = 1;
        e.button.x = x;
        e.button.y = y;
        EXPECT_EQ(SDL_PushEvent(&e), 1);
        e.type = SDL_MOUSEBUTTONUP;
        e.button.state = SDL_RELEASED;
        EXPECT_EQ(SDL_PushEvent(&e), 1);
        platform::PumpMessages();
        if (window.clicks.size() != 1) {
            ADD_FAILURE() << window.clicks.size() << " clicks";
            return {};
        }
        return {platform::GET_X_LPARAM(window.clicks[0].lParam),
                platform::GET_Y_LPARAM(window.clicks[0].lParam)};
    }

    const std::vector<D3DDisplayMode> modes = {{800, 600, 16}};
    ClickWindow window;
};

TEST_F(FullScreenMouse, AClickLandsOnTheRenderPixelShownUnderTheCursor)
{
    platform::POINT p = clickAt(320, 240);
    EXPECT_EQ(p.x, 320);
    EXPECT_EQ(p.y, 240);

    WindowedFlag = 0; // Alt+Enter to a mode the display does not have
    ASSERT_TRUE(InitDirectX());
    ASSERT_EQ(DX.screenWidth, 800);
    ASSERT_EQ(DX.screenHeight, 600);
    // The window takes whatever size the window system gives it once its events are in.
    for (int i = 0; i < 5; ++i)
        platform::WaitAndPumpMessages(20);
    int ww = 0, wh = 0;
    SDL_GetWindowSize(platform::NativeWindow(&window), &ww, &wh);
    ASSERT_GT(ww, 0);
    ASSERT_GT(wh, 0);
    platform::RECT client;
    ASSERT_TRUE(window.GetClientRect(client));
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    // The window's centre and its last pixel show the picture's centre and its last pixel.
    p = clickAt(ww / 2, wh / 2);
    EXPECT_EQ(p.x, (ww / 2) * 800 / ww);
    EXPECT_EQ(p.y, (wh / 2) * 600 / wh);
    EXPECT_NEAR(p.x, 400, 2);
    EXPECT_NEAR(p.y, 300, 2);
    p = clickAt(ww - 1, wh - 1);
    EXPECT_EQ(p.x, (ww - 1) * 800 / ww);
    EXPECT_EQ(p.y, (wh - 1) * 600 / wh);
    EXPECT_GT(p.x, 790);
    EXPECT_LT(p.x, 800);
    EXPECT_GT(p.y, 590);
    EXPECT_LT(p.y, 600);

    WindowedFlag = 1; // and back: window pixels are render pixels again
    ASSERT_TRUE(InitDirectX());
    ASSERT_EQ(DX.screenWidth, 640);
    ASSERT_TRUE(window.GetClientRect(client));
    EXPECT_EQ(client.right, 640);
    p = clickAt(600, 450);
    EXPECT_EQ(p.x, 600);
    EXPECT_EQ(p.y, 450);
}

} // namespace
