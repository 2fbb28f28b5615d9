#pragma once
// The application's wait cursor for the life of the object (nothing without an
// application): loading a world, the editor's commands over the whole world.
#include "platform/win/Window.h"

struct SWaitCursor
{
    SWaitCursor()
    {
        if (platform::Application* app = platform::GetApp())
            app->BeginWaitCursor();
    }
    ~SWaitCursor()
    {
        if (platform::Application* app = platform::GetApp())
            app->EndWaitCursor();
    }
    SWaitCursor(const SWaitCursor&) = delete;
    SWaitCursor& operator=(const SWaitCursor&) = delete;
};
