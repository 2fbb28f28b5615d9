// ImGui draws the retained dialogs and menus and turns a person's input into their
// handler calls, which run after the drawing (Defer), never inside a present.
#include "platform/ui/UiDraw.h"

#include "platform/d3d/D3D.h"
#include "platform/d3d/D3DOverlay.h"
#include "platform/files/Cp1252.h"
#include "platform/win/MessageBox.h"
#include "platform/win/NativeWindow.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <map>

namespace platform::ui {

namespace {

struct MouseTrack
{
    float x = -FLT_MAX, y = -FLT_MAX;
    bool held[3] = {false, false, false};
    bool latched[3] = {false, false, false}; // pressed since the last frame
    bool uiOwns[3] = {false, false, false};  // the press went to the UI
};

struct State
{
    bool context = false;
    SDL_Window* window = nullptr;
    HWND host = nullptr;
    int observer = 0;
    MouseTrack mouse;
    std::vector<std::function<void()>> pending;
    std::map<HWND, Menu*> menus;
    float menuBarHeight = 0;
    Menu* tracked = nullptr;
    Dialog* trackedOwner = nullptr;
    float trackX = 0, trackY = 0;
    bool trackOpened = false;
    std::map<const Menu*, bool> openPopups;
    std::map<const Control*, GLuint> textures;
    Dialog* fullWindow = nullptr; // the one dialog of a window of its own
    uint64_t lastFrame = 0;
};

State& S()
{
    static State s;
    return s;
}

std::string Utf8(std::string_view text)
{
    return Cp1252ToUtf8(text);
}

int ButtonIndex(uint8_t sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        return -1;
    }
}

Dialog* ModalDialog()
{
    for (Dialog* d : Dialogs())
        if (d->Modal() && d->IsWindowVisible() && !d->Ended())
            return d;
    return nullptr;
}

bool PointInUi(float x, float y)
{
    State& s = S();
    if (s.fullWindow || ModalDialog())
        return true;
    if (s.menuBarHeight > 0 && y < s.menuBarHeight)
        return true;
    if (s.tracked)
        return true;
    for (Dialog* d : Dialogs()) {
        if (!d->IsWindowVisible())
            continue;
        RECT r = d->GetWindowRect();
        if (x >= float(r.left) && x < float(r.right) && y >= float(r.top) && y < float(r.bottom))
            return true;
    }
    return false;
}

// Which dialog is under a point (the last drawn is on top); null for none.
Dialog* DialogAt(float x, float y)
{
    Dialog* hit = nullptr;
    for (Dialog* d : Dialogs()) {
        if (!d->IsWindowVisible())
            continue;
        RECT r = d->GetWindowRect();
        if (x >= float(r.left) && x < float(r.right) && y >= float(r.top) && y < float(r.bottom))
            hit = d;
    }
    return hit;
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

int VirtualKeyOf(SDL_Keycode k)
{
    switch (k) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    default:
        return 0;
    }
}

bool Observe(const SDL_Event& e)
{
    State& s = S();
    if (!s.context)
        return false;
    const uint32_t ours = s.window ? SDL_GetWindowID(s.window) : 0;
    auto mine = [&](uint32_t windowId) { return windowId == 0 || windowId == ours; };
    ImGuiIO& io = ImGui::GetIO();
    switch (e.type) {
    case SDL_MOUSEMOTION:
        if (!mine(e.motion.windowID))
            return false;
        s.mouse.x = float(e.motion.x);
        s.mouse.y = float(e.motion.y);
        return s.mouse.uiOwns[0] || s.mouse.uiOwns[1] || s.mouse.uiOwns[2];
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (!mine(e.button.windowID))
            return false;
        const int b = ButtonIndex(e.button.button);
        s.mouse.x = float(e.button.x);
        s.mouse.y = float(e.button.y);
        if (b < 0)
            return false;
        if (e.type == SDL_MOUSEBUTTONDOWN) {
            // ImGui sees only the presses that are the UI's: a press in the 3-D view
            // must not drag a window it later passes over.
            s.mouse.uiOwns[b] = PointInUi(s.mouse.x, s.mouse.y);
            s.mouse.held[b] = s.mouse.uiOwns[b];
            s.mouse.latched[b] = s.mouse.uiOwns[b];
            // A click decides the keyboard focus: the window under it, or the 3-D view.
            Dialog* hit = DialogAt(s.mouse.x, s.mouse.y);
            if (!ModalDialog())
                for (Dialog* d : Dialogs())
                    d->SetFocus(d == hit);
            return s.mouse.uiOwns[b];
        }
        s.mouse.held[b] = false;
        const bool owned = s.mouse.uiOwns[b];
        s.mouse.uiOwns[b] = false;
        return owned;
    }
    case SDL_MOUSEWHEEL:
        if (!mine(e.wheel.windowID))
            return false;
        ImGui_ImplSDL2_ProcessEvent(&e);
        return PointInUi(s.mouse.x, s.mouse.y);
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT: {
        const uint32_t id = e.type == SDL_TEXTINPUT ? e.text.windowID : e.key.windowID;
        if (!mine(id))
            return false;
        ImGui_ImplSDL2_ProcessEvent(&e);
        Dialog* focused = FocusedDialog();
        if (!focused && !io.WantCaptureKeyboard)
            return false;
        if (e.type == SDL_KEYDOWN && !io.WantTextInput && focused) {
            const int vk = VirtualKeyOf(e.key.keysym.sym);
            if (vk)
                Defer([focused, vk] {
                    for (Dialog* d : Dialogs())
                        if (d == focused) {
                            d->PressKey(vk);
                            return;
                        }
                });
        }
        return true;
    }
    default:
        return false;
    }
}

void UploadPicture(Control& c)
{
    State& s = S();
    if (!c.picture || s.textures.count(&c))
        return;
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, c.picture->width, c.picture->height, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, c.picture->pixels.data());
    s.textures[&c] = tex;
}

void DrawControl(Dialog& d, Control& c, float top)
{
    if (!c.visible)
        return;
    ImGui::SetCursorPos(ImVec2(float(c.x), float(c.y) + top));
    const std::string label = Utf8(c.text) + "##" + std::to_string(c.id);
    const ImVec2 size(float(c.width), float(c.height));
    ImGui::BeginDisabled(!c.enabled);
    Dialog* dp = &d;
    const int id = c.id;
    auto click = [dp, id] {
        for (Dialog* x : Dialogs())
            if (x == dp) {
                dp->Click(id);
                return;
            }
    };
    switch (c.kind) {
    case ControlKind::Static:
        ImGui::TextUnformatted(Utf8(c.text).c_str());
        break;
    case ControlKind::Picture: {
        UploadPicture(c);
        auto it = S().textures.find(&c);
        if (it != S().textures.end() && c.picture) {
            // Centred in the frame, at its own size where it fits.
            const float scale =
                std::min({1.0f, size.x / float(c.picture->width), size.y / float(c.picture->height)});
            const ImVec2 img(float(c.picture->width) * scale, float(c.picture->height) * scale);
            ImGui::SetCursorPos(
                ImVec2(float(c.x) + (size.x - img.x) / 2, float(c.y) + top + (size.y - img.y) / 2));
            ImGui::Image(reinterpret_cast<ImTextureID>(uintptr_t(it->second)), img);
        }
        break;
    }
    case ControlKind::Button:
        if (ImGui::Button(label.c_str(), size))
            Defer(click);
        break;
    case ControlKind::CheckBox: {
        bool on = c.check == BST_CHECKED;
        if (c.check == BST_INDETERMINATE)
            ImGui::PushItemFlag(ImGuiItemFlags_MixedValue, true);
        if (ImGui::Checkbox(label.c_str(), &on))
            Defer(click);
        if (c.check == BST_INDETERMINATE)
            ImGui::PopItemFlag();
        break;
    }
    case ControlKind::Edit:
    case ControlKind::ComboBox: {
        std::string text = Utf8(c.text);
        std::vector<char> buf(text.begin(), text.end());
        buf.resize(std::max<size_t>(buf.size() + 256, 512), '\0');
        ImGui::SetNextItemWidth(size.x);
        if (ImGui::InputText(label.c_str(), buf.data(), buf.size()))
            c.text = Utf8ToCp1252(buf.data());
        break;
    }
    case ControlKind::ListBox:
        if (ImGui::BeginListBox(label.c_str(), size)) {
            for (size_t i = 0; i < c.list.size(); ++i)
                if (ImGui::Selectable(Utf8(c.list[i]).c_str(), int(i) == c.selection))
                    c.selection = int(i);
            ImGui::EndListBox();
        }
        break;
    }
    ImGui::EndDisabled();
}

void DrawDialog(Dialog& d, bool fullWindow, float width, float height)
{
    ImGuiWindowFlags flags = ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                             ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoFocusOnAppearing;
    if (!d.Resizable())
        flags |= ImGuiWindowFlags_NoResize;
    float top = 0;
    if (fullWindow) {
        flags |= ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                 ImGuiWindowFlags_NoBringToFrontOnFocus;
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(width, height));
    } else {
        top = float(CaptionHeight());
        if (d.placementChanged) {
            RECT r = d.GetWindowRect();
            ImGui::SetNextWindowPos(ImVec2(float(r.left), float(r.top)));
            ImGui::SetNextWindowSize(ImVec2(float(r.right - r.left), float(r.bottom - r.top)));
            d.placementChanged = false;
        }
        if (d.Modal())
            ImGui::SetNextWindowFocus();
    }
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    bool open = true;
    const std::string title = Utf8(d.Caption()) + "###dlg" + std::to_string(uintptr_t(&d));
    const bool shown = ImGui::Begin(title.c_str(), fullWindow ? nullptr : &open, flags);
    ImGui::PopStyleVar();
    if (shown) {
        if (!fullWindow) {
            const ImVec2 p = ImGui::GetWindowPos(), sz = ImGui::GetWindowSize();
            RECT r = d.GetWindowRect();
            if (int(p.x) != r.left || int(p.y) != r.top || int(sz.x) != r.right - r.left ||
                int(sz.y) != r.bottom - r.top)
                d.NoteMovedTo(int(p.x), int(p.y), int(sz.x), int(sz.y));
        }
        for (size_t i = 0; i < d.Controls().size(); ++i)
            DrawControl(d, const_cast<Control&>(d.Controls()[i]), top);
        d.DrawContent();
    }
    ImGui::End();
    if (!open) {
        Dialog* dp = &d;
        Defer([dp] {
            for (Dialog* x : Dialogs())
                if (x == dp) {
                    dp->CloseBox();
                    return;
                }
        });
    }
}

void DrawMenuItems(HWND owner, Menu& menu, Dialog* dialogOwner)
{
    for (int i = 0; i < menu.GetItemCount(); ++i) {
        Menu::Item& item = *menu.ItemAt(i);
        if (item.separator) {
            ImGui::Separator();
            continue;
        }
        std::string caption = item.caption;
        std::string shortcut;
        if (size_t tab = caption.find('\t'); tab != std::string::npos) {
            shortcut = caption.substr(tab + 1);
            caption.erase(tab);
        }
        caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
        const std::string label = Utf8(caption) + "##" + std::to_string(i);
        if (item.popup) {
            if (ImGui::BeginMenu(label.c_str(), item.enabled)) {
                bool& wasOpen = S().openPopups[item.popup.get()];
                if (!wasOpen && owner)
                    owner->SendMessage(WM_INITMENUPOPUP, WPARAM(item.popup.get()), LPARAM(i));
                wasOpen = true;
                DrawMenuItems(owner, *item.popup, dialogOwner);
                ImGui::EndMenu();
            } else {
                S().openPopups[item.popup.get()] = false;
            }
            continue;
        }
        if (ImGui::MenuItem(label.c_str(), shortcut.empty() ? nullptr : Utf8(shortcut).c_str(), item.checked,
                            item.enabled)) {
            const uint32_t id = item.id;
            if (dialogOwner)
                Defer([dialogOwner, id] {
                    for (Dialog* d : Dialogs())
                        if (d == dialogOwner) {
                            d->OnCommand(int(id));
                            return;
                        }
                });
            else if (owner)
                owner->PostMessage(WM_COMMAND, WPARAM(id), 0);
        }
    }
}

void DrawMenuBar()
{
    State& s = S();
    s.menuBarHeight = 0;
    auto it = s.menus.find(s.host);
    if (it == s.menus.end() || !it->second)
        return;
    if (ImGui::BeginMainMenuBar()) {
        DrawMenuItems(s.host, *it->second, nullptr);
        s.menuBarHeight = ImGui::GetWindowSize().y;
        ImGui::EndMainMenuBar();
    }
}

void DrawTrackedMenu()
{
    State& s = S();
    if (!s.tracked)
        return;
    if (!s.trackOpened) {
        ImGui::SetNextWindowPos(ImVec2(s.trackX, s.trackY));
        ImGui::OpenPopup("##tracked");
        s.trackOpened = true;
    }
    if (ImGui::BeginPopup("##tracked")) {
        DrawMenuItems(nullptr, *s.tracked, s.trackedOwner);
        ImGui::EndPopup();
    } else {
        s.tracked = nullptr;
        s.trackedOwner = nullptr;
    }
}

void Overlay(SDL_Window* window)
{
    State& s = S();
    if (!s.context || window != s.window)
        return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    DrawFrame(w, h);
}

void IdleWork()
{
    RunPending();
}

} // namespace

bool EnsureContext(SDL_Window* window)
{
    State& s = S();
    if (s.context)
        return s.window == window;
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // The program's cursor is its own (hidden while it drags, the wait cursor).
    io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
    // Windows move by their caption only, as dialogs do.
    io.ConfigWindowsMoveFromTitleBarOnly = true;
    ImGui::StyleColorsClassic();
    ImGui_ImplSDL2_InitForOpenGL(window, SDL_GL_GetCurrentContext());
    ImGui_ImplOpenGL2_Init();
    s.context = true;
    s.window = window;
    s.observer = AddEventObserver(Observe);
    SetIdleHook(IdleWork);
    return true;
}

void DropContext()
{
    State& s = S();
    if (!s.context)
        return;
    for (auto& [control, tex] : s.textures)
        glDeleteTextures(1, &tex);
    s.textures.clear();
    RemoveEventObserver(s.observer);
    SetIdleHook(nullptr);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    s.context = false;
    s.window = nullptr;
    s.host = nullptr;
    s.fullWindow = nullptr;
    s.mouse = MouseTrack{};
    s.lastFrame = 0;
}

void SetFullWindowDialog(Dialog* dialog)
{
    S().fullWindow = dialog;
}

void DrawFrame(int width, int height)
{
    State& s = S();
    ImGui_ImplOpenGL2_NewFrame();
    // The SDL back end's own frame start is left out: it would read the system
    // pointer (which input queued by the program does not move) and take and release
    // the mouse capture the 3-D view's drags hold. The events tell the pointer.
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(float(width), float(height));
    io.DisplayFramebufferScale = ImVec2(1, 1);
    const uint64_t now = SDL_GetPerformanceCounter();
    io.DeltaTime =
        s.lastFrame
            ? std::max(float(double(now - s.lastFrame) / double(SDL_GetPerformanceFrequency())), 0.001f)
            : 1.0f / 60.0f;
    s.lastFrame = now;
    io.MousePos = ImVec2(s.mouse.x, s.mouse.y);
    for (int b = 0; b < 3; ++b) {
        io.MouseDown[b] = s.mouse.held[b] || s.mouse.latched[b];
        s.mouse.latched[b] = false;
    }
    ImGui::NewFrame();
    if (s.fullWindow) {
        DrawDialog(*s.fullWindow, true, float(width), float(height));
    } else {
        DrawMenuBar();
        for (Dialog* d : std::vector<Dialog*>(Dialogs()))
            if (d->IsWindowVisible() && !d->Modal())
                DrawDialog(*d, false, 0, 0);
        if (Dialog* m = ModalDialog())
            DrawDialog(*m, false, 0, 0);
        DrawTrackedMenu();
    }
    ImGui::Render();
    glViewport(0, 0, width, height);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
}

bool AttachToWindow(HWND host)
{
    SDL_Window* w = NativeWindow(host);
    if (!w || D3DGetWindow() != w)
        return false;
    if (!EnsureContext(w))
        return false;
    S().host = host;
    D3DSetPresentOverlay(Overlay);
    return true;
}

void DetachFromWindow()
{
    D3DSetPresentOverlay(nullptr);
    DropContext();
    S().menus.clear();
    S().tracked = nullptr;
}

bool WantsMouse()
{
    State& s = S();
    if (!s.context)
        return false;
    return PointInUi(s.mouse.x, s.mouse.y) || ImGui::GetIO().WantCaptureMouse;
}

bool WantsKeyboard()
{
    State& s = S();
    if (!s.context)
        return FocusedDialog() != nullptr;
    return FocusedDialog() != nullptr || ImGui::GetIO().WantCaptureKeyboard;
}

int MenuBarHeight()
{
    return int(S().menuBarHeight);
}

int CaptionHeight()
{
    // ImGui's title bar: the default font (13 pixels) and twice the frame padding (3).
    return 19;
}

void Defer(std::function<void()> work)
{
    S().pending.push_back(std::move(work));
}

void RunPending()
{
    RunTimers();
    std::vector<std::function<void()>> work;
    work.swap(S().pending);
    for (auto& w : work)
        w();
}

void ForgetDrawnDialog(Dialog* dialog)
{
    State& s = S();
    for (const Control& c : dialog->Controls()) {
        auto it = s.textures.find(&c);
        if (it != s.textures.end()) {
            if (s.context)
                glDeleteTextures(1, &it->second);
            s.textures.erase(it);
        }
    }
    if (s.trackedOwner == dialog) {
        s.tracked = nullptr;
        s.trackedOwner = nullptr;
    }
    if (s.fullWindow == dialog)
        s.fullWindow = nullptr;
}

void RunModalLoop(Dialog& dialog)
{
    if (S().fullWindow == &dialog) {
        RunWindowLoop(dialog);
        return;
    }
    if (NonInteractive())
        return;
    while (!dialog.Ended()) {
        if (!WaitAndPumpMessages(16))
            break;
        RunPending();
        if (!D3DPresentAgain())
            break;
    }
}

void SetMenu(HWND window, Menu* menu)
{
    if (menu)
        S().menus[window] = menu;
    else
        S().menus.erase(window);
}

Menu* GetMenu(HWND window)
{
    auto it = S().menus.find(window);
    return it == S().menus.end() ? nullptr : it->second;
}

namespace {

// The position of the top-level pop-up holding `id`, -1 when none.
int PopupHolding(Menu& menu, uint32_t id)
{
    for (int i = 0; i < menu.GetItemCount(); ++i)
        if (Menu* sub = menu.GetSubMenu(i); sub && sub->FindItem(id))
            return i;
    return -1;
}

} // namespace

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
    State& s = S();
    s.tracked = &menu;
    s.trackedOwner = &owner;
    s.trackX = float(x);
    s.trackY = float(y);
    s.trackOpened = false;
}

Menu* TrackedMenu()
{
    return S().tracked;
}

bool ChooseTrackedItem(uint32_t id)
{
    State& s = S();
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
