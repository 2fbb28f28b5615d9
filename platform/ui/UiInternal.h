#pragma once
// Shared between the files of platform/ui; not for other modules.

#include "platform/ui/Ui.h"

#include <functional>
#include <map>
#include <vector>

namespace platform::ui {

void LogLine(const char* line);
// Height of a dialog's caption bar in pixels.
int CaptionHeight();
// The modal loop: events, the last 3-D picture and the UI, until the dialog ends.
// Returns at once when nothing draws the UI or nobody can answer (non-interactive).
void RunModalLoop(Dialog& dialog);
void RunTimers();
// A window's timer list: one timer per id, restarted by a second SetTimer.
void SetTimerIn(std::vector<Dialog::Timer>& timers, uint32_t id, uint32_t elapseMs);
void KillTimerIn(std::vector<Dialog::Timer>& timers, uint32_t id);
void ForgetDialog(Dialog* dialog);
// The host's and the drawing's share of forgetting a dialog.
void ForgetHostedDialog(Dialog* dialog);
// The text size without a font: 7 x 13 pixels per character.
TextSize FixedTextExtent(std::string_view text);
// Work for after the drawing: handler calls must not run inside a present.
void Defer(std::function<void()> work);
// The modal dialog shown now, null when none.
Dialog* ModalDialog();
// The window that takes the keys: the modal dialog, else a clicked tool window.
Dialog* FocusedDialog();
// Whether `dialog` still exists (a handler may have destroyed it).
bool IsLiveDialog(const Dialog* dialog);

// What the windows' owners asked for that the drawing shows: the menu bars and
// the context menu being tracked.
struct HostState
{
    std::map<HWND, Menu*> menus;
    float menuBarHeight = 0;
    Menu* tracked = nullptr;
    Dialog* trackedOwner = nullptr;
    float trackX = 0, trackY = 0;
    bool trackOpened = false;
    std::vector<std::function<void()>> pending;
};
HostState& Host();

// The drawing side (platform/ui/draw) while it shows the objects. Without it
// nothing is drawn, the UI wants no input and a modal dialog takes only the
// answers queued for it, so the objects work in programs without a window.
struct Drawer
{
    bool (*wantsMouse)();
    bool (*wantsKeyboard)();
    void (*runModalLoop)(Dialog& dialog);
    // A dialog goes away: drop what the drawing keeps for it.
    void (*forgetDialog)(Dialog* dialog);
    TextSize (*textExtent)(std::string_view text);
};
void SetDrawer(const Drawer* drawer);

} // namespace platform::ui
