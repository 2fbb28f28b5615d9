#pragma once
// The application object: start-up, the frame loop and shut-down of the program.

#include "platform/win/Window.h"

#include <cstdint>

namespace platform {
class MouseDevice;
class Window;
} // namespace platform

// Start-up work of subsystems not built yet; null entries are skipped.
struct StartupHooks
{
    void (*initGame)() = nullptr;
    // The editor's tool windows and menus drawn over the 3-D view: filled by the
    // programs that show them, so the tools that share this code draw nothing.
    bool (*attachUi)(platform::Window* host) = nullptr;
    void (*detachUi)() = nullptr;
};
extern StartupHooks AppHooks;

// Set just before game-mode start-up calls InitGame; InitGame clears it.
extern uint8_t StartupInitFlag;
// The DirectInput mouse device (null when none).
extern platform::MouseDevice* MouseInputDevice;

class CGameApp : public platform::Application
{
public:
    CGameApp(int argc, const char* const* argv);

    bool InitInstance() override;
    bool OnIdle(long count) override;
    int ExitInstance() override;

    bool InitDirectInput();

    // Frames left before the program leaves through its normal shut-down (test
    // hook VAREK_EXIT_AFTER_FRAMES); below 0 no limit.
    int32_t exitAfterFrames = -1;

private:
    // The steps of InitInstance; false ends the program.
    bool StartUp();

    // A start that did not finish ends the process with exit code 1, not 0.
    bool startFailed_ = false;
    int argc_;
    const char* const* argv_;
};

// The game step as the frame loop calls it.
void RunGameFrame();
// Mouse movement since the last frame through the input device; false when it gives none.
bool ReadMouse(float* dx, float* dy);
// Writes the next "c:\snapshot%05d.bmp" through the screenshot writer.
bool SaveSnapshot();
