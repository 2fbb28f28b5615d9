#pragma once
// The ImGui side of platform/ui, shared by its two ways of showing dialogs.

#include "platform/ui/UiInternal.h"

struct SDL_Window;

namespace platform::ui {

// One ImGui context for the window whose GL context is current; false when one
// exists for another window.
bool EnsureContext(SDL_Window* window);
void DropContext();
// The dialog drawn as the whole window (null: the tool windows and the menu bar).
void SetFullWindowDialog(Dialog* dialog);
// One UI frame into the bound framebuffer of that size.
void DrawFrame(int width, int height);
// The frames of a dialog shown as a window of its own (RunDialogWindow).
void RunWindowLoop(Dialog& dialog);

} // namespace platform::ui
