// The mouse device and its reading live apart from the application object, so that
// what installs the game step's hooks (the tools do too) does not pull in the
// program's window and editor drawing.
#include "GAMES/Rulo2/Rulo2.h"
#include "platform/input/Mouse.h"

platform::MouseDevice* MouseInputDevice = nullptr;

bool ReadMouse(float* dx, float* dy)
{
    if (!MouseInputDevice)
        return false;
    platform::DIMOUSESTATE state;
    platform::HRESULT hr = MouseInputDevice->GetDeviceState(state);
    if (hr != platform::DI_OK) {
        MouseInputDevice->Acquire();
        hr = MouseInputDevice->GetDeviceState(state);
    }
    if (hr != platform::DI_OK)
        return false;
    *dx = float(state.lX);
    *dy = float(state.lY);
    return true;
}
