#pragma once
// What the tool-window layer (platform/ui) draws over the device's pictures.

struct SDL_Window;

// Drawn over each presented picture, after the back buffer reaches the window and
// before the swap (the tool-window layer). It finds the window's framebuffer bound
// and may change any GL state: the state is restored after it. Null: none.
using D3DPresentOverlay = void (*)(SDL_Window* window);
void D3DSetPresentOverlay(D3DPresentOverlay overlay);
// Shows the last presented picture again with the overlay, so a modal loop keeps the
// window drawn while no game frame runs. False when nothing was presented yet.
bool D3DPresentAgain();
