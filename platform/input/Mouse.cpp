#include "platform/input/Mouse.h"

#include "platform/win/NativeWindow.h"

#include "platform/win/SdlApi.h"

#include <mutex>

namespace platform {

struct MouseDevice::State
{
    int observer = 0;
    HWND window = nullptr;
    uint32_t flags = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
    bool acquired = false;
    bool lost = false;
    DIMOUSESTATE sum;
};

MouseDevice::~MouseDevice()
{
    Release();
}

HRESULT MouseDevice::Create()
{
    if (state_)
        return DI_OK;
    if (!InitVideo())
        return DIERR_NOTINITIALIZED;
    state_ = new State;
    State* s = state_;
    s->observer = AddEventObserver([s](const SDL_Event& e) {
        switch (e.type) {
        case SDL_MOUSEMOTION:
            if (s->acquired && e.motion.which != SDL_TOUCH_MOUSEID) {
                s->sum.lX += e.motion.xrel;
                s->sum.lY += e.motion.yrel;
            }
            break;
        case SDL_MOUSEWHEEL:
            if (s->acquired && e.wheel.which != SDL_TOUCH_MOUSEID)
                s->sum.lZ += (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) * 120;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int index = e.button.button == SDL_BUTTON_LEFT     ? 0
                        : e.button.button == SDL_BUTTON_RIGHT  ? 1
                        : e.button.button == SDL_BUTTON_MIDDLE ? 2
                        : e.button.button == SDL_BUTTON_X1     ? 3
                                                               : -1;
            if (index >= 0)
                s->sum.rgbButtons[index] = e.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0;
            break;
        }
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST && FollowsSystemFocus() && s->acquired &&
                (s->flags & DISCL_FOREGROUND) && s->window &&
                WindowFromNative(e.window.windowID) == s->window) {
                s->acquired = false;
                s->lost = true;
            }
            break;
        default:
            break;
        }
        return false;
    });
    return DI_OK;
}

HRESULT MouseDevice::SetCooperativeLevel(HWND window, uint32_t flags)
{
    if (!state_)
        return DIERR_NOTINITIALIZED;
    if (!window || ((flags & DISCL_EXCLUSIVE) && (flags & DISCL_NONEXCLUSIVE)) ||
        ((flags & DISCL_FOREGROUND) && (flags & DISCL_BACKGROUND)))
        return DIERR_INVALIDPARAM;
    state_->window = window;
    state_->flags = flags;
    return DI_OK;
}

HRESULT MouseDevice::Acquire()
{
    if (!state_)
        return DIERR_NOTINITIALIZED;
    if (!state_->acquired)
        state_->sum = DIMOUSESTATE{};
    state_->acquired = true;
    state_->lost = false;
    return DI_OK;
}

HRESULT MouseDevice::Unacquire()
{
    if (!state_)
        return DIERR_NOTINITIALIZED;
    state_->acquired = false;
    return DI_OK;
}

HRESULT MouseDevice::GetDeviceState(DIMOUSESTATE& out)
{
    if (!state_)
        return DIERR_NOTINITIALIZED;
    if (state_->lost) {
        state_->lost = false;
        return DIERR_INPUTLOST;
    }
    if (!state_->acquired)
        return DIERR_NOTACQUIRED;
    // The message loop hands over every event before a frame starts (frames run
    // only when nothing is waiting), so the sum is complete here.
    out = state_->sum;
    state_->sum.lX = state_->sum.lY = state_->sum.lZ = 0;
    return DI_OK;
}

void MouseDevice::Release()
{
    if (!state_)
        return;
    RemoveEventObserver(state_->observer);
    delete state_;
    state_ = nullptr;
}

} // namespace platform
