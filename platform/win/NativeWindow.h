#pragma once
// Platform-side access to the SDL objects behind a window, for the other platform
// modules (the Direct3D-shaped device, the tool-window layer, the mouse device).
// Game code does not use this header.

#include "platform/win/Window.h"

#include <cstdint>
#include <functional>

struct SDL_Window;
union SDL_Event;

namespace platform {

SDL_Window* NativeWindow(HWND hwnd);
HWND WindowFromNative(uint32_t sdlWindowId);

// Sees every SDL event before it is translated. Returning true consumes the event
// (no window message is made from it). The returned id removes the observer.
using EventObserver = std::function<bool(const SDL_Event&)>;
int AddEventObserver(EventObserver observer);
void RemoveEventObserver(int id);

// Work of another platform module that runs on the main thread once per pass of the
// idle loop (Application::OnIdle), such as the tool windows' timers and the clicks
// their drawing collected. Null: none.
void SetIdleHook(void (*hook)());

} // namespace platform
