#pragma once
// Showing the objects of platform/ui: Dear ImGui draws them and turns a person's
// input into their handler calls. Only programs that show them link this part
// (with SDL2, OpenGL and ImGui); everything else uses platform/ui alone, where
// nothing is drawn and modal dialogs take the answers queued for them.

#include "platform/ui/UiInternal.h"

#include <filesystem>

struct SDL_Window;

namespace platform::ui {

// Draws the dialogs and the host's menu over the device's pictures and takes the
// host's SDL events first. Needs the device attached to the host's window (GL).
bool AttachToWindow(HWND host);
void DetachFromWindow();

// One dialog as the whole content of a window of its own (caption = the dialog's),
// until the dialog ends or the window closes; returns the dialog's result. Reads
// VAREK_INPUT_SCRIPT (its verbs and "snapshot FILE", "quit", relative to
// `startFolder`) and VAREK_SNAPSHOTS (frames saved as "snapshotNNNNN.bmp" in
// `startFolder`). A bad script or switch: -1 with the reason on standard error.
// Non-interactive, the dialog ends with IDCANCEL once the script has run out.
int RunDialogWindow(Dialog& dialog, const std::filesystem::path& startFolder);

// Between the files of this folder.

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
