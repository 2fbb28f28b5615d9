#include "platform/input/Mouse.h"
#include "platform/win/NativeWindow.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace platform;

namespace {

void PushMotion(uint32_t windowId, int dx, int dy)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = windowId;
    e.motion.xrel = dx;
    e.motion.yrel = dy;
    SDL_PushEvent(&e);
}

TEST(Mouse, MovementIsSummedPerRead)
{
    Window window;
    WindowDesc desc;
    desc.title = "mouse";
    ASSERT_TRUE(window.Create(desc));
    for (int i = 0; i < 5; ++i)
        WaitAndPumpMessages(20);
    uint32_t id = SDL_GetWindowID(NativeWindow(&window));

    MouseDevice mouse;
    DIMOUSESTATE state;
    EXPECT_EQ(mouse.GetDeviceState(state), DIERR_NOTINITIALIZED);
    EXPECT_EQ(mouse.SetDataFormat(), DIERR_NOTINITIALIZED);
    ASSERT_EQ(mouse.Create(), DI_OK);
    EXPECT_EQ(mouse.SetDataFormat(), DI_OK);
    EXPECT_EQ(mouse.SetCooperativeLevel(&window, DISCL_NONEXCLUSIVE | DISCL_EXCLUSIVE), DIERR_INVALIDPARAM);
    ASSERT_EQ(mouse.SetCooperativeLevel(&window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    EXPECT_EQ(mouse.GetDeviceState(state), DIERR_NOTACQUIRED);
    PushMotion(id, 50, 50);
    PumpMessages();
    ASSERT_EQ(mouse.Acquire(), DI_OK);

    PushMotion(id, 3, -2);
    PushMotion(id, 4, -1);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = id;
    wheel.wheel.y = -1;
    SDL_PushEvent(&wheel);
    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.windowID = id;
    button.button.button = SDL_BUTTON_RIGHT;
    SDL_PushEvent(&button);
    PumpMessages();
    ASSERT_EQ(mouse.GetDeviceState(state), DI_OK);
    EXPECT_EQ(state.lX, 7) << "movement before the acquire is not counted";
    EXPECT_EQ(state.lY, -3);
    EXPECT_EQ(state.lZ, -120);
    EXPECT_EQ(state.rgbButtons[1], 0x80);
    EXPECT_EQ(state.rgbButtons[0], 0);

    ASSERT_EQ(mouse.GetDeviceState(state), DI_OK);
    EXPECT_EQ(state.lX, 0) << "each read starts from zero";
    EXPECT_EQ(state.rgbButtons[1], 0x80) << "buttons keep their state";

    SetFollowSystemFocus(true);
    SDL_Event lost{};
    lost.type = SDL_WINDOWEVENT;
    lost.window.windowID = id;
    lost.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&lost);
    PumpMessages();
    EXPECT_EQ(mouse.GetDeviceState(state), DIERR_INPUTLOST);
    EXPECT_EQ(mouse.GetDeviceState(state), DIERR_NOTACQUIRED);
    EXPECT_EQ(mouse.Acquire(), DI_OK);
    EXPECT_EQ(mouse.GetDeviceState(state), DI_OK);
    mouse.Release();
    EXPECT_EQ(mouse.Acquire(), DIERR_NOTINITIALIZED);
}

} // namespace
