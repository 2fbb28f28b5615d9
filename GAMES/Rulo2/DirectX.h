// The one rendering device of the game: driver and device choice, window and
// full-screen set-up, the start state of the device, and its release.
#pragma once

#include <cstdint>

#include "GAMES/Rulo2/Enumerate.h"
#include "platform/d3d/D3D.h"
#include "platform/win/Window.h"

struct DirectXState
{
    IDirectDraw7* directDraw = nullptr;
    IDirect3D7* direct3D = nullptr;
    IDirect3DDevice7* device = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* backSurface = nullptr;
    IDirectDrawSurface7* zBuffer = nullptr;
    DDDriverInfo* displayDriver = nullptr;
    D3DDeviceInfo* deviceInfo = nullptr;
    DisplayModeInfo* displayMode = nullptr;
    ZBufferFormatInfo* zFormat = nullptr;
    int32_t screenWidth = 640, screenHeight = 480, screenDepth = 0;
    int32_t windowX = 0, windowY = 0;
    bool halveTextureWidths = false, halveTextureHeights = false;
    // Ctrl+O: the world drawing runs its shadow-map pass only while this is set.
    bool DeviceShadowFlag = true;
    bool initialised = false;
    uint32_t stateBlockSingle = 0, stateBlockClamped = 0, stateBlockMulti = 0, stateBlockDecal = 0;
    // The window the device draws into; the application sets it before InitDirectX.
    platform::Window* mainWindow = nullptr;
};
// The window mode, driver and texture switches are the command-line flags of the
// application shell (WindowedFlag, PrimaryOnlyFlag, NoTnLFlag, ShrinkTexturesFlag).
extern DirectXState DX;

// The interface bitmaps loaded at the end of InitDirectX.
struct InterfaceBitmapSet
{
    IDirectDrawSurface7* bitmap216 = nullptr;
    IDirectDrawSurface7* table11[11] = {}; // 227, 217 .. 226
    IDirectDrawSurface7* table20[20] = {}; // 277 .. 296
    IDirectDrawSurface7* bitmap399 = nullptr;
    IDirectDrawSurface7* bitmap398 = nullptr;
    IDirectDrawSurface7* bitmap413 = nullptr;
    IDirectDrawSurface7* bitmap545 = nullptr;
    IDirectDrawSurface7* bitmap602 = nullptr; // without colour key
};
extern InterfaceBitmapSet InterfaceBitmaps;

// Far plane when neither the editor camera nor the far view asks for the fog end.
extern float DefaultFarDistance; // 12.0

bool InitDirectX();
void ReleaseDirectX();
bool ChooseDisplayDevice(bool primaryOnly, bool needWindowed);
bool ChooseDevice(int32_t renderDepth, bool preferNoTnL);
bool SetupDisplayMode(platform::Window* window, bool preferNoTnL);
bool CreateD3DDevice();
void ReleaseSurfaces(bool restoreDisplayMode);
void ReleaseDevice();
void ShutdownDirectDraw();
bool RestoreSurfaces();

// Work of later subsystems that the device set-up triggers.
struct DeviceHooks
{
    void (*setMenuForMode)() = nullptr;     // the main window's menu for the current mode
    bool (*editorCameraActive)() = nullptr; // far plane from the fog end
};
extern DeviceHooks DXHooks;
