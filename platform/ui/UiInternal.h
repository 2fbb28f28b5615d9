#pragma once
// Shared between the files of platform/ui; not for other modules.

#include "platform/ui/Ui.h"

namespace platform::ui {

void LogLine(const char* line);
// Height of a dialog's caption bar in pixels.
int CaptionHeight();
// The modal loop: events, the last 3-D picture and the UI, until the dialog ends.
// Returns at once when nobody can answer (non-interactive).
void RunModalLoop(Dialog& dialog);
void RunTimers();
void ForgetDialog(Dialog* dialog);
void ForgetDrawnDialog(Dialog* dialog);
// Work for after the drawing: handler calls must not run inside a present.
void Defer(std::function<void()> work);

} // namespace platform::ui
