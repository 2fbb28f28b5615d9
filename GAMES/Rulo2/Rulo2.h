#pragma once
// The application object: start-up, the frame loop and shut-down of the program.

#include "platform/win/Window.h"

#include <cstdint>

namespace platform {
class MouseDevice;
}

// Start-up and shut-down work of subsystems that register themselves; null
// entries are skipped (their start-up line is still logged).
struct StartupHooks
{
    bool (*loadGameResources)() = nullptr;  // interface images and models
    void (*installRenderHooks)() = nullptr; // models drawn through the device
    void (*clearWorld)() = nullptr;         // the "New World" command
    bool (*loadWorld)(const char* path) = nullptr;
    void (*afterWorldLoaded)() = nullptr; // vertex buffers, world bounds, editor trees
    bool (*importModel)(const char* path) = nullptr;
    void (*initGame)() = nullptr;
    void (*createWorldRoots)() = nullptr;
    bool (*createGroundRaster)() = nullptr; // the bitmap that ground maps are drawn into
    void (*destroyWorldRoots)() = nullptr;
    void (*freeGameResources)() = nullptr;
    bool (*saveSnapshot)() = nullptr;
    // Shut-down of the game presentation: the off-screen interface pictures.
    void (*releaseInterfaceSurfaces)() = nullptr;
    // Editor shut-down: every texture page and texture.
    void (*deleteTextures)() = nullptr;
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

// The game step as the frame loop calls it (also the mouse read through the device).
void RunGameFrame();
// Writes the next "c:\snapshot%05d.bmp" through the screenshot writer.
bool SaveSnapshot();
