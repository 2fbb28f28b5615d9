#pragma once
// The system mouse as a device: relative movement, wheel and buttons summed between
// two reads, typically once per frame. Foreground use: when the window it belongs to
// loses the focus the device is lost and must be acquired again.

#include "platform/win/Window.h"

#include <cstdint>

namespace platform {

using HRESULT = int32_t;
constexpr HRESULT DI_OK = 0;
constexpr HRESULT DIERR_NOTACQUIRED = int32_t(0x8007000Cu);
constexpr HRESULT DIERR_INPUTLOST = int32_t(0x8007001Eu);
constexpr HRESULT DIERR_NOTINITIALIZED = int32_t(0x80070015u);
constexpr HRESULT DIERR_INVALIDPARAM = int32_t(0x80070057u);

constexpr uint32_t DISCL_EXCLUSIVE = 0x01;
constexpr uint32_t DISCL_NONEXCLUSIVE = 0x02;
constexpr uint32_t DISCL_FOREGROUND = 0x04;
constexpr uint32_t DISCL_BACKGROUND = 0x08;

struct DIMOUSESTATE
{
    int32_t lX = 0, lY = 0, lZ = 0; // movement in pixels; wheel in 120 per notch
    uint8_t rgbButtons[4] = {};     // 0x80 while held: left, right, middle, fourth
};

class MouseDevice
{
public:
    MouseDevice() = default;
    ~MouseDevice();
    MouseDevice(const MouseDevice&) = delete;
    MouseDevice& operator=(const MouseDevice&) = delete;

    HRESULT Create();
    // The data comes in the standard mouse layout (DIMOUSESTATE) only.
    HRESULT SetDataFormat() { return state_ ? DI_OK : DIERR_NOTINITIALIZED; }
    HRESULT SetCooperativeLevel(HWND window, uint32_t flags);
    HRESULT Acquire();
    HRESULT Unacquire();
    // Movement since the previous read; DIERR_INPUTLOST once after the window lost
    // the focus, DIERR_NOTACQUIRED while not acquired.
    HRESULT GetDeviceState(DIMOUSESTATE& state);
    void Release();

private:
    struct State;
    State* state_ = nullptr;
};

} // namespace platform
