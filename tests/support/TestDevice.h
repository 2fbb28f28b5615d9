// The game's device in a small window on the virtual display, set up the way the
// program does at start-up, for the tests that draw.
#pragma once

#include <gtest/gtest.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "platform/win/Window.h"

struct TestDevice
{
    // A windowed main window of width x height with the drivers listed. The
    // caller makes the device (InitDirectX) unless `makeDevice` is true.
    // Call it through ASSERT_NO_FATAL_FAILURE.
    void Open(int width, int height, bool makeDevice = true)
    {
        ASSERT_TRUE(platform::InitVideo());
        Settings.mainWndW = width;
        Settings.mainWndH = height;
        WindowedFlag = 1;
        platform::WindowDesc desc;
        desc.title = "Varek";
        desc.openGL = true;
        desc.width = width;
        desc.height = height;
        ASSERT_TRUE(window.Create(desc));
        DX.mainWindow = &window;
        EnumerateDrivers();
        if (makeDevice) {
            ASSERT_TRUE(InitDirectX());
        }
    }

    // Releases the device, the drivers and the window; safe after a failed Open.
    void Close()
    {
        ReleaseDirectX();
        ShutdownDirectDraw();
        FreeDriverList();
        DX.mainWindow = nullptr;
        if (window.IsWindow())
            window.DestroyWindow();
    }

    platform::Window window;
};
