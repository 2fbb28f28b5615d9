// What the windows' owners ask of the UI that needs no drawing: menus, the
// tracked context menu, deferred handler calls, and the hand-over to the
// drawing side when a program shows the objects.
#include "platform/ui/UiInternal.h"

#include "platform/win/MessageBox.h"

#include <algorithm>

namespace platform::ui {

namespace {

const Drawer* drawer = nullptr;

// The position of the top-level pop-up holding `id`, -1 when none.
int PopupHolding(Menu& menu, uint32_t id)
{
    for (int i = 0; i < menu.GetItemCount(); ++i)
        if (Menu* sub = menu.GetSubMenu(i); sub && sub->FindItem(id))
            return i;
    return -1;
}

} // namespace

HostState& Host()
{
    static HostState s;
    return s;
}

void SetDrawer(const Drawer* d)
{
    drawer = d;
}

bool IsLiveDialog(const Dialog* dialog)
{
    const auto& all = Dialogs();
    return std::find(all.begin(), all.end(), dialog) != all.end();
}

Dialog* ModalDialog()
{
    for (Dialog* d : Dialogs())
        if (d->Modal() && d->IsWindowVisible() && !d->Ended())
            return d;
    return nullptr;
}

Dialog* FocusedDialog()
{
    if (Dialog* m = ModalDialog())
        return m;
    for (Dialog* d : Dialogs())
        if (d->IsWindowVisible() && d->HasFocus())
            return d;
    return nullptr;
}

bool WantsMouse()
{
    return drawer && drawer->wantsMouse();
}

bool WantsKeyboard()
{
    return drawer ? drawer->wantsKeyboard() : FocusedDialog() != nullptr;
}

int MenuBarHeight()
{
    return int(Host().menuBarHeight);
}

int CaptionHeight()
{
    // ImGui's title bar: the default font (13 pixels) and twice the frame padding (3).
    return 19;
}

void Defer(std::function<void()> work)
{
    Host().pending.push_back(std::move(work));
}

void RunPending()
{
    RunTimers();
    std::vector<std::function<void()>> work;
    work.swap(Host().pending);
    for (auto& w : work)
        w();
}

void RunModalLoop(Dialog& dialog)
{
    if (drawer)
        drawer->runModalLoop(dialog);
}

void ForgetHostedDialog(Dialog* dialog)
{
    HostState& s = Host();
    if (s.trackedOwner == dialog) {
        s.tracked = nullptr;
        s.trackedOwner = nullptr;
    }
    if (drawer)
        drawer->forgetDialog(dialog);
}

TextSize TextExtent(std::string_view text)
{
    return drawer ? drawer->textExtent(text) : FixedTextExtent(text);
}

TextSize FixedTextExtent(std::string_view text)
{
    TextSize size;
    int lines = 1, column = 0;
    for (char c : text) {
        if (c == '\n') {
            ++lines;
            column = 0;
        } else {
            size.cx = std::max(size.cx, ++column * 7);
        }
    }
    size.cy = lines * 13;
    return size;
}

void SetMenu(HWND window, Menu* menu)
{
    if (menu)
        Host().menus[window] = menu;
    else
        Host().menus.erase(window);
}

Menu* GetMenu(HWND window)
{
    auto it = Host().menus.find(window);
    return it == Host().menus.end() ? nullptr : it->second;
}

bool ChooseMenuItem(HWND window, uint32_t id)
{
    Menu* menu = GetMenu(window);
    if (!menu || !window)
        return false;
    const int pos = PopupHolding(*menu, id);
    if (pos >= 0)
        window->SendMessage(WM_INITMENUPOPUP, WPARAM(menu->GetSubMenu(pos)), LPARAM(pos));
    const Menu::Item* item = menu->FindItem(id);
    if (!item || !item->enabled)
        return false;
    window->SendMessage(WM_COMMAND, WPARAM(id), 0);
    return true;
}

void TrackPopupMenu(Menu& menu, int x, int y, Dialog& owner)
{
    HostState& s = Host();
    s.tracked = &menu;
    s.trackedOwner = &owner;
    s.trackX = float(x);
    s.trackY = float(y);
    s.trackOpened = false;
}

Menu* TrackedMenu()
{
    return Host().tracked;
}

bool ChooseTrackedItem(uint32_t id)
{
    HostState& s = Host();
    if (!s.tracked || !s.trackedOwner)
        return false;
    const Menu::Item* item = s.tracked->FindItem(id);
    Dialog* owner = s.trackedOwner;
    s.tracked = nullptr;
    s.trackedOwner = nullptr;
    if (!item || !item->enabled)
        return false;
    owner->OnCommand(int(id));
    return true;
}

} // namespace platform::ui
