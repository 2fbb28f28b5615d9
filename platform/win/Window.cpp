#include "platform/win/Window.h"
#include "platform/win/CursorShape.h"

#include "platform/files/Cp1252.h"
#include "platform/win/MessageBox.h"
#include "platform/win/NativeWindow.h"

#include "platform/win/SdlApi.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <map>
#include <mutex>

namespace platform {

struct Window::Impl
{
    SDL_Window* sdl = nullptr;
    uint32_t id = 0;
    bool doubleClicks = true;
    std::string title;
    int logicalWidth = 0, logicalHeight = 0; // 0: the window's own size
};

namespace {

// Everything below is touched on the main thread only, except postEventType.
std::map<uint32_t, Window*> windows;
uint32_t postEventType = 0;
bool quitPosted = false;
int quitCode = 0;
Application* theApp = nullptr;
HWND captureWindow = nullptr;
std::array<uint8_t, 256> keyDown{};
std::array<uint8_t, 256> keyToggled{};
int cursorCount = 0;
int lastMouseX = 0, lastMouseY = 0;
bool appActive = false;
std::vector<std::string> pendingDrop;
bool dropOpen = false;
std::map<int, EventObserver> observers;
int nextObserverId = 1;
int followFocus = -1; // -1: not decided yet
void (*idleHook)() = nullptr;
// Mouse events queued by the program itself carry this device id; while the last
// pointer position came from them, GetCursorPos reports it (as a moved cursor would).
constexpr uint32_t kQueuedMouseId = 0x56524B31;
bool queuedCursorSet = false;
POINT queuedCursor;                         // screen position
int pointerWindowX = 0, pointerWindowY = 0; // last pointer position in window pixels
bool deviceMotionIgnored = false;

// Keys whose virtual-key code is not their character; the first entry of a code
// is the key that makes it when input is queued by code.
struct KeyCode
{
    SDL_Keycode sym;
    SDL_Scancode scan;
    int vk;
};
constexpr KeyCode kKeyCodes[] = {
    {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDLK_TAB, SDL_SCANCODE_TAB, VK_TAB},
    {SDLK_RETURN, SDL_SCANCODE_RETURN, VK_RETURN},
    {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDLK_SPACE, SDL_SCANCODE_SPACE, VK_SPACE},
    {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDLK_END, SDL_SCANCODE_END, VK_END},
    {SDLK_HOME, SDL_SCANCODE_HOME, VK_HOME},
    {SDLK_LEFT, SDL_SCANCODE_LEFT, VK_LEFT},
    {SDLK_UP, SDL_SCANCODE_UP, VK_UP},
    {SDLK_RIGHT, SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDLK_DOWN, SDL_SCANCODE_DOWN, VK_DOWN},
    {SDLK_INSERT, SDL_SCANCODE_INSERT, VK_INSERT},
    {SDLK_DELETE, SDL_SCANCODE_DELETE, VK_DELETE},
    {SDLK_PAUSE, SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDLK_PRINTSCREEN, SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT},
    {SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
    {SDLK_NUMLOCKCLEAR, SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDLK_SCROLLLOCK, SDL_SCANCODE_SCROLLLOCK, VK_SCROLL},
    {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDLK_RCTRL, SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDLK_LALT, SDL_SCANCODE_LALT, VK_MENU},
    {SDLK_RALT, SDL_SCANCODE_RALT, VK_MENU},
    {SDLK_KP_0, SDL_SCANCODE_KP_0, VK_NUMPAD0},
    {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, VK_DECIMAL},
    {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, VK_OEM_1},
    {SDLK_EQUALS, SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDLK_COMMA, SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDLK_MINUS, SDL_SCANCODE_MINUS, VK_OEM_MINUS},
    {SDLK_PERIOD, SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
    {SDLK_SLASH, SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDLK_BACKQUOTE, SDL_SCANCODE_GRAVE, VK_OEM_3},
    {SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
    {SDLK_BACKSLASH, SDL_SCANCODE_BACKSLASH, VK_OEM_5},
    {SDLK_RIGHTBRACKET, SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
};

int VirtualKey(const SDL_Keysym& ks)
{
    SDL_Keycode k = ks.sym;
    if (k >= 'a' && k <= 'z')
        return int(k - 'a' + 'A');
    if (k >= '0' && k <= '9')
        return int(k);
    if (k >= SDLK_F1 && k <= SDLK_F12)
        return VK_F1 + int(k - SDLK_F1);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9)
        return VK_NUMPAD0 + 1 + int(k - SDLK_KP_1);
    for (const KeyCode& c : kKeyCodes)
        if (c.sym == k)
            return c.vk;
    // Letters of other layouts: the key's position.
    if (ks.scancode >= SDL_SCANCODE_A && ks.scancode <= SDL_SCANCODE_Z)
        return 'A' + int(ks.scancode - SDL_SCANCODE_A);
    return 0;
}

// The key of a US keyboard that gives the virtual-key code; false when none does.
bool KeyOfVirtualKey(int vk, SDL_Keysym& ks)
{
    ks = SDL_Keysym{};
    if (vk >= 'A' && vk <= 'Z') {
        ks.sym = SDL_Keycode('a' + (vk - 'A'));
        ks.scancode = SDL_Scancode(SDL_SCANCODE_A + (vk - 'A'));
    } else if (vk >= '1' && vk <= '9') {
        ks.sym = SDL_Keycode(vk);
        ks.scancode = SDL_Scancode(SDL_SCANCODE_1 + (vk - '1'));
    } else if (vk == '0') {
        ks.sym = SDLK_0;
        ks.scancode = SDL_SCANCODE_0;
    } else if (vk >= VK_F1 && vk <= VK_F12) {
        ks.sym = SDL_Keycode(SDLK_F1 + (vk - VK_F1));
        ks.scancode = SDL_Scancode(SDL_SCANCODE_F1 + (vk - VK_F1));
    } else if (vk > VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
        ks.sym = SDL_Keycode(SDLK_KP_1 + (vk - VK_NUMPAD0 - 1));
        ks.scancode = SDL_Scancode(SDL_SCANCODE_KP_1 + (vk - VK_NUMPAD0 - 1));
    } else {
        const KeyCode* found = nullptr;
        for (const KeyCode& c : kKeyCodes)
            if (c.vk == vk) {
                found = &c;
                break;
            }
        if (!found)
            return false;
        ks.sym = found->sym;
        ks.scancode = found->scan;
    }
    return VirtualKey(ks) == vk;
}

// Floor division, so that points left of or above a captured window stay outside it.
int64_t FloorDiv(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The window's size and its logical client size, when one is set and differs.
struct ClientScale
{
    int windowW = 0, windowH = 0, logicalW = 0, logicalH = 0;
};

bool GetClientScale(const Window::Impl& impl, ClientScale& scale)
{
    if (!impl.sdl || impl.logicalWidth <= 0 || impl.logicalHeight <= 0)
        return false;
    SDL_GetWindowSize(impl.sdl, &scale.windowW, &scale.windowH);
    if (scale.windowW <= 0 || scale.windowH <= 0)
        return false;
    scale.logicalW = impl.logicalWidth;
    scale.logicalH = impl.logicalHeight;
    return scale.windowW != scale.logicalW || scale.windowH != scale.logicalH;
}

// Window pixels to client pixels.
void WindowToClient(const Window::Impl& impl, int32_t& x, int32_t& y)
{
    ClientScale s;
    if (!GetClientScale(impl, s))
        return;
    x = int32_t(FloorDiv(int64_t(x) * s.logicalW, s.windowW));
    y = int32_t(FloorDiv(int64_t(y) * s.logicalH, s.windowH));
}

// Client pixels to the first window pixel showing them, so that a cursor put there
// reads back as the same client pixel whenever the window is not the smaller.
void ClientToWindow(const Window::Impl& impl, int32_t& x, int32_t& y)
{
    ClientScale s;
    if (!GetClientScale(impl, s))
        return;
    x = int32_t(-FloorDiv(-int64_t(x) * s.windowW, s.logicalW));
    y = int32_t(-FloorDiv(-int64_t(y) * s.windowH, s.logicalH));
}

HWND FindWindow(uint32_t id)
{
    auto it = windows.find(id);
    return it == windows.end() ? nullptr : it->second;
}

// Keyboard messages go to the focused window; pushed events without a window id
// and events for unknown windows go to the main window (or the only window).
HWND KeyboardTarget(uint32_t id)
{
    if (HWND w = FindWindow(id))
        return w;
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        if (SDL_Window* focus = SDL_GetKeyboardFocus())
            if (HWND w = FindWindow(SDL_GetWindowID(focus)))
                return w;
    }
    if (theApp && theApp->m_pMainWnd && theApp->m_pMainWnd->IsWindow())
        return theApp->m_pMainWnd;
    return windows.size() == 1 ? windows.begin()->second : nullptr;
}

HWND MouseTarget(uint32_t id)
{
    if (captureWindow)
        return captureWindow;
    return KeyboardTarget(id);
}

LRESULT Deliver(HWND w, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    if (!w || !w->IsWindow())
        return 0;
    Message m;
    m.hwnd = w;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return w->WindowProc(m);
}

WPARAM MouseKeyFlags()
{
    WPARAM f = 0;
    if (keyDown[VK_LBUTTON])
        f |= MK_LBUTTON;
    if (keyDown[VK_RBUTTON])
        f |= MK_RBUTTON;
    if (keyDown[VK_MBUTTON])
        f |= MK_MBUTTON;
    if (keyDown[VK_SHIFT])
        f |= MK_SHIFT;
    if (keyDown[VK_CONTROL])
        f |= MK_CONTROL;
    return f;
}

void SetKey(int vk, bool down)
{
    if (vk <= 0 || vk > 255)
        return;
    if (down && !keyDown[vk])
        keyToggled[vk] ^= 1;
    keyDown[vk] = down ? 1 : 0;
}

// The pointer's window position as the last event gave it; queued events also move
// the cursor that GetCursorPos reads.
void NotePointer(HWND target, int x, int y, uint32_t which)
{
    pointerWindowX = x;
    pointerWindowY = y;
    queuedCursorSet = false;
    if (which != kQueuedMouseId || !target || !target->impl()->sdl)
        return;
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(target->impl()->sdl, &wx, &wy);
    queuedCursor = POINT{wx + x, wy + y};
    queuedCursorSet = true;
}

void TranslateKey(const SDL_KeyboardEvent& e)
{
    int vk = VirtualKey(e.keysym);
    bool down = e.type == SDL_KEYDOWN;
    bool wasDown = vk > 0 && keyDown[vk];
    SetKey(vk, down);
    if (vk == 0)
        return;
    bool alt = (e.keysym.mod & KMOD_ALT) != 0 || keyDown[VK_MENU];
    bool ctrl = (e.keysym.mod & KMOD_CTRL) != 0 || keyDown[VK_CONTROL];
    // Alt combinations, Alt itself and F10 are system keys.
    bool sys = (alt && !ctrl) || vk == VK_MENU || vk == VK_F10;
    uint32_t scan = uint32_t(e.keysym.scancode) & 0xFF;
    LPARAM lParam = LPARAM(1u | (scan << 16) | (alt ? 1u << 29 : 0u) |
                           ((down ? wasDown : true) ? 1u << 30 : 0u) | (down ? 0u : 1u << 31));
    HWND target = KeyboardTarget(e.windowID);
    uint32_t msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    Deliver(target, msg, WPARAM(vk), lParam);
    if (!down || sys)
        return;
    // The control characters that arrive as no text of their own.
    int ch = 0;
    if (vk == VK_BACK)
        ch = 8;
    else if (vk == VK_TAB)
        ch = 9;
    else if (vk == VK_RETURN)
        ch = 13;
    else if (vk == VK_ESCAPE)
        ch = 27;
    else if (ctrl && vk >= 'A' && vk <= 'Z')
        ch = vk - 'A' + 1;
    if (ch)
        Deliver(target, WM_CHAR, WPARAM(ch), lParam);
}

void TranslateText(const SDL_TextInputEvent& e)
{
    HWND target = KeyboardTarget(e.windowID);
    for (char c : Utf8ToCp1252(e.text))
        Deliver(target, WM_CHAR, WPARAM(uint8_t(c)), 1);
}

void TranslateButton(const SDL_MouseButtonEvent& e)
{
    if (e.which == SDL_TOUCH_MOUSEID)
        return;
    int vk;
    uint32_t downMsg, upMsg, dblMsg;
    switch (e.button) {
    case SDL_BUTTON_LEFT:
        vk = VK_LBUTTON;
        downMsg = WM_LBUTTONDOWN;
        upMsg = WM_LBUTTONUP;
        dblMsg = WM_LBUTTONDBLCLK;
        break;
    case SDL_BUTTON_RIGHT:
        vk = VK_RBUTTON;
        downMsg = WM_RBUTTONDOWN;
        upMsg = WM_RBUTTONUP;
        dblMsg = WM_RBUTTONDBLCLK;
        break;
    case SDL_BUTTON_MIDDLE:
        vk = VK_MBUTTON;
        downMsg = WM_MBUTTONDOWN;
        upMsg = WM_MBUTTONUP;
        dblMsg = WM_MBUTTONDBLCLK;
        break;
    default:
        return;
    }
    bool down = e.type == SDL_MOUSEBUTTONDOWN;
    SetKey(vk, down);
    HWND target = MouseTarget(e.windowID);
    NotePointer(target, e.x, e.y, e.which);
    int32_t x = e.x, y = e.y;
    if (target)
        WindowToClient(*target->impl(), x, y);
    lastMouseX = x;
    lastMouseY = y;
    uint32_t msg = upMsg;
    if (down) {
        // Every second click of a series is the double click, as with CS_DBLCLKS.
        bool dbl = target && target->impl()->doubleClicks && e.clicks >= 2 && e.clicks % 2 == 0;
        msg = dbl ? dblMsg : downMsg;
    }
    Deliver(target, msg, MouseKeyFlags(), LPARAM(MAKELONG(x, y)));
}

void TranslateMotion(const SDL_MouseMotionEvent& e)
{
    if (e.which == SDL_TOUCH_MOUSEID || (deviceMotionIgnored && e.which != kQueuedMouseId))
        return;
    HWND target = MouseTarget(e.windowID);
    NotePointer(target, e.x, e.y, e.which);
    int32_t x = e.x, y = e.y;
    if (target)
        WindowToClient(*target->impl(), x, y);
    lastMouseX = x;
    lastMouseY = y;
    Deliver(target, WM_MOUSEMOVE, MouseKeyFlags(), LPARAM(MAKELONG(x, y)));
}

void TranslateWheel(const SDL_MouseWheelEvent& e)
{
    if (e.which == SDL_TOUCH_MOUSEID || e.y == 0)
        return;
    int notches = e.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.y : e.y;
    int delta = std::clamp(notches * WHEEL_DELTA, -32768, 32767);
    HWND target = MouseTarget(e.windowID);
    POINT p{lastMouseX, lastMouseY};
    if (target)
        target->ClientToScreen(p);
    Deliver(target, WM_MOUSEWHEEL, MAKELONG(int(MouseKeyFlags()), delta), LPARAM(MAKELONG(p.x, p.y)));
}

bool FocusGainFollows()
{
    SDL_Event next[16];
    int n = SDL_PeepEvents(next, 16, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    for (int i = 0; i < n; ++i)
        if (next[i].window.event == SDL_WINDOWEVENT_FOCUS_GAINED && FindWindow(next[i].window.windowID))
            return true;
    return false;
}

void SendToAll(uint32_t message, WPARAM wParam, LPARAM lParam)
{
    std::vector<HWND> all;
    for (auto& [id, w] : windows)
        all.push_back(w);
    for (HWND w : all)
        Deliver(w, message, wParam, lParam);
}

void TranslateWindowEvent(const SDL_WindowEvent& e)
{
    HWND w = FindWindow(e.windowID);
    if (!w)
        return;
    switch (e.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        Deliver(w, WM_PAINT, 0, 0);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        WPARAM kind =
            (SDL_GetWindowFlags(w->impl()->sdl) & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED : SIZE_RESTORED;
        Deliver(w, WM_SIZE, kind, LPARAM(MAKELONG(e.data1, e.data2)));
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
        Deliver(w, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED: {
        int cw = 0, ch = 0;
        SDL_GetWindowSize(w->impl()->sdl, &cw, &ch);
        Deliver(w, WM_SIZE, e.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED,
                LPARAM(MAKELONG(cw, ch)));
        break;
    }
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (!appActive) {
            appActive = true;
            SendToAll(WM_ACTIVATEAPP, 1, 0);
        }
        if (w->IsWindow())
            Deliver(w, WM_ACTIVATE, MAKELONG(int(WA_ACTIVE), w->IsIconic() ? 1 : 0), 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (!FollowsSystemFocus())
            break;
        Deliver(w, WM_ACTIVATE, MAKELONG(int(WA_INACTIVE), w->IsIconic() ? 1 : 0), 0);
        if (appActive && !FocusGainFollows()) {
            appActive = false;
            SendToAll(WM_ACTIVATEAPP, 0, 0);
        }
        break;
    case SDL_WINDOWEVENT_CLOSE:
        Deliver(w, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void TranslateDrop(SDL_DropEvent& e)
{
    switch (e.type) {
    case SDL_DROPBEGIN:
        dropOpen = true;
        pendingDrop.clear();
        break;
    case SDL_DROPFILE:
        if (e.file) {
            pendingDrop.emplace_back(e.file);
            SDL_free(e.file);
            e.file = nullptr;
        }
        if (dropOpen)
            break;
        [[fallthrough]];
    case SDL_DROPCOMPLETE: {
        dropOpen = false;
        HWND w = FindWindow(e.windowID);
        if (!w)
            w = KeyboardTarget(0);
        if (w && w->IsWindow() && w->AcceptsFiles() && !pendingDrop.empty()) {
            Message m;
            m.hwnd = w;
            m.message = WM_DROPFILES;
            m.files = std::move(pendingDrop);
            w->WindowProc(m);
        }
        pendingDrop.clear();
        break;
    }
    case SDL_DROPTEXT:
        if (e.file)
            SDL_free(e.file);
        e.file = nullptr;
        break;
    default:
        break;
    }
}

void Dispatch(SDL_Event& e)
{
    if (postEventType && e.type == postEventType) {
        auto* m = static_cast<Message*>(e.user.data1);
        if (!m)
            return;
        if (m->message == WM_QUIT) {
            quitPosted = true;
            quitCode = int(m->wParam);
        } else {
            HWND w = FindWindow(e.user.windowID);
            if (w && w->IsWindow()) {
                m->hwnd = w;
                w->WindowProc(*m);
            }
        }
        delete m;
        return;
    }
    // By id, so that an observer may add or remove observers while it runs.
    std::vector<int> ids;
    for (auto& [id, fn] : observers)
        ids.push_back(id);
    for (int id : ids) {
        auto cur = observers.find(id);
        if (cur == observers.end() || !cur->second)
            continue;
        EventObserver fn = cur->second;
        if (fn(e)) {
            if (e.type == SDL_DROPFILE || e.type == SDL_DROPTEXT)
                SDL_free(e.drop.file);
            return;
        }
    }
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(e.key);
        break;
    case SDL_TEXTINPUT:
        TranslateText(e.text);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(e.button);
        break;
    case SDL_MOUSEMOTION:
        TranslateMotion(e.motion);
        break;
    case SDL_MOUSEWHEEL:
        TranslateWheel(e.wheel);
        break;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(e.window);
        break;
    case SDL_DROPBEGIN:
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPCOMPLETE:
        TranslateDrop(e.drop);
        break;
    case SDL_QUIT:
        // A signal or the session ends the program (closing the last window does not come here):
        // the main window goes at once, since a question on the screen could keep it running with
        // nobody to answer.
        if (theApp && theApp->m_pMainWnd && theApp->m_pMainWnd->IsWindow())
            theApp->m_pMainWnd->DestroyWindow();
        else
            PostQuitMessage(0);
        break;
    default:
        break;
    }
}

bool PushPosted(uint32_t windowId, Message* m)
{
    if (!postEventType) {
        delete m;
        return false;
    }
    SDL_Event e{};
    e.type = postEventType;
    e.user.windowID = windowId;
    e.user.data1 = m;
    if (SDL_PushEvent(&e) != 1) {
        delete m;
        return false;
    }
    return true;
}

SDL_Cursor* WaitCursor()
{
    static SDL_Cursor* cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    return cursor;
}

} // namespace

bool InitVideo()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            std::fprintf(stderr, "Video system cannot be started: %s\n", SDL_GetError());
            return;
        }
        if (cursorCount < 0)
            SDL_ShowCursor(SDL_DISABLE);
        postEventType = SDL_RegisterEvents(1);
        ok = postEventType != uint32_t(-1);
        if (!ok)
            postEventType = 0;
    });
    return ok;
}

Window::Window() : impl_(new Impl) {}

Window::~Window()
{
    if (impl_->sdl) {
        windows.erase(impl_->id);
        if (captureWindow == this)
            ReleaseCapture();
        if (theApp && theApp->m_pMainWnd == this)
            theApp->m_pMainWnd = nullptr;
        SDL_DestroyWindow(impl_->sdl);
    }
    delete impl_;
}

bool Window::Create(const WindowDesc& desc)
{
    if (impl_->sdl || !InitVideo())
        return false;
    uint32_t flags = 0;
    if (desc.openGL)
        flags |= SDL_WINDOW_OPENGL;
    if (desc.popup)
        flags |= SDL_WINDOW_BORDERLESS;
    if (desc.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    flags |= desc.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    int x = desc.x == CW_USEDEFAULT ? int(SDL_WINDOWPOS_UNDEFINED) : desc.x;
    int y = desc.y == CW_USEDEFAULT ? int(SDL_WINDOWPOS_UNDEFINED) : desc.y;
    impl_->title = desc.title;
    impl_->sdl = SDL_CreateWindow(Cp1252ToUtf8(desc.title).c_str(), x, y, std::max(1, desc.width),
                                  std::max(1, desc.height), flags);
    if (!impl_->sdl) {
        std::fprintf(stderr, "Window cannot be created: %s\n", SDL_GetError());
        return false;
    }
    impl_->id = SDL_GetWindowID(impl_->sdl);
    impl_->doubleClicks = desc.doubleClicks;
    windows[impl_->id] = this;
    SendMessage(WM_CREATE);
    return true;
}

bool Window::DestroyWindow()
{
    if (!impl_->sdl)
        return false;
    SendMessage(WM_DESTROY);
    if (!impl_->sdl)
        return true;
    windows.erase(impl_->id);
    if (captureWindow == this)
        ReleaseCapture();
    SDL_DestroyWindow(impl_->sdl);
    impl_->sdl = nullptr;
    impl_->id = 0;
    if (theApp && theApp->m_pMainWnd == this) {
        theApp->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    return true;
}

bool Window::IsWindow() const
{
    return impl_ && impl_->sdl;
}

LRESULT Window::WindowProc(const Message& msg)
{
    return DefWindowProc(msg);
}

LRESULT Window::DefWindowProc(const Message& msg)
{
    switch (msg.message) {
    case WM_CLOSE:
        DestroyWindow();
        break;
    case WM_SYSKEYDOWN:
        if (msg.wParam == WPARAM(VK_F4) && (uintptr_t(msg.lParam) & (1u << 29)))
            SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case WM_SYSCOMMAND:
        if ((msg.wParam & 0xFFF0) == SC_CLOSE)
            SendMessage(WM_CLOSE);
        break;
    default:
        break;
    }
    return 0;
}

bool Window::BeginPaint(RECT& updateRect) const
{
    return GetClientRect(updateRect);
}

LRESULT Window::SendMessage(uint32_t message, WPARAM wParam, LPARAM lParam)
{
    Message m;
    m.hwnd = this;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return WindowProc(m);
}

bool Window::PostMessage(uint32_t message, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow())
        return false;
    auto* m = new Message;
    m->message = message;
    m->wParam = wParam;
    m->lParam = lParam;
    return PushPosted(impl_->id, m);
}

void Window::SetWindowText(std::string_view text1252)
{
    impl_->title = text1252;
    if (impl_->sdl)
        SDL_SetWindowTitle(impl_->sdl, Cp1252ToUtf8(text1252).c_str());
}

std::string Window::GetWindowText() const
{
    return impl_->title;
}

bool Window::GetClientRect(RECT& rect) const
{
    if (!impl_->sdl)
        return false;
    int w = 0, h = 0;
    SDL_GetWindowSize(impl_->sdl, &w, &h);
    if (impl_->logicalWidth > 0 && impl_->logicalHeight > 0) {
        w = impl_->logicalWidth;
        h = impl_->logicalHeight;
    }
    rect = RECT{0, 0, w, h};
    return true;
}

bool Window::GetWindowRect(RECT& rect) const
{
    if (!impl_->sdl)
        return false;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(impl_->sdl, &x, &y);
    SDL_GetWindowSize(impl_->sdl, &w, &h);
    rect = RECT{x, y, x + w, y + h};
    return true;
}

bool Window::ClientToScreen(POINT& point) const
{
    if (!impl_->sdl)
        return false;
    int x = 0, y = 0;
    SDL_GetWindowPosition(impl_->sdl, &x, &y);
    ClientToWindow(*impl_, point.x, point.y);
    point.x += x;
    point.y += y;
    return true;
}

bool Window::ScreenToClient(POINT& point) const
{
    if (!impl_->sdl)
        return false;
    int x = 0, y = 0;
    SDL_GetWindowPosition(impl_->sdl, &x, &y);
    point.x -= x;
    point.y -= y;
    WindowToClient(*impl_, point.x, point.y);
    return true;
}

void Window::SetLogicalClientSize(int width, int height)
{
    bool set = width > 0 && height > 0;
    impl_->logicalWidth = set ? width : 0;
    impl_->logicalHeight = set ? height : 0;
}

bool Window::MoveWindow(int x, int y, int width, int height)
{
    if (!impl_->sdl)
        return false;
    SDL_SetWindowPosition(impl_->sdl, x, y);
    SDL_SetWindowSize(impl_->sdl, std::max(1, width), std::max(1, height));
    return true;
}

bool Window::SetClientSize(int width, int height)
{
    if (!impl_->sdl)
        return false;
    SDL_SetWindowSize(impl_->sdl, std::max(1, width), std::max(1, height));
    return true;
}

bool Window::IsZoomed() const
{
    return impl_->sdl && (SDL_GetWindowFlags(impl_->sdl) & SDL_WINDOW_MAXIMIZED);
}

bool Window::IsIconic() const
{
    return impl_->sdl && (SDL_GetWindowFlags(impl_->sdl) & SDL_WINDOW_MINIMIZED);
}

bool Window::IsWindowVisible() const
{
    return impl_->sdl && (SDL_GetWindowFlags(impl_->sdl) & SDL_WINDOW_SHOWN);
}

bool Window::ShowWindow(int command)
{
    if (!impl_->sdl)
        return false;
    bool wasVisible = IsWindowVisible();
    switch (command) {
    case SW_HIDE:
        SDL_HideWindow(impl_->sdl);
        break;
    case SW_MAXIMIZE:
        SDL_MaximizeWindow(impl_->sdl);
        break;
    case SW_MINIMIZE:
        SDL_MinimizeWindow(impl_->sdl);
        break;
    case SW_RESTORE:
        SDL_RestoreWindow(impl_->sdl);
        break;
    default:
        SDL_ShowWindow(impl_->sdl);
        break;
    }
    return wasVisible;
}

void Window::SetPopup(bool popup)
{
    if (impl_->sdl)
        SDL_SetWindowBordered(impl_->sdl, popup ? SDL_FALSE : SDL_TRUE);
}

bool Window::SetFullscreen(bool on, int width, int height)
{
    if (!impl_->sdl)
        return false;
    if (!on) {
        SetLogicalClientSize(0, 0);
        return SDL_SetWindowFullscreen(impl_->sdl, 0) == 0;
    }
    if (width <= 0 || height <= 0)
        return SDL_SetWindowFullscreen(impl_->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    SDL_DisplayMode want{}, got{};
    want.w = width;
    want.h = height;
    int display = std::max(0, SDL_GetWindowDisplayIndex(impl_->sdl));
    if (!SDL_GetClosestDisplayMode(display, &want, &got))
        return false;
    if (SDL_SetWindowDisplayMode(impl_->sdl, &got) != 0)
        return false;
    return SDL_SetWindowFullscreen(impl_->sdl, SDL_WINDOW_FULLSCREEN) == 0;
}

void Window::DragAcceptFiles(bool accept)
{
    acceptFiles_ = accept;
    if (accept && SDL_WasInit(SDL_INIT_VIDEO))
        SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
}

void Window::InvalidateRect()
{
    PostMessage(WM_PAINT);
}

HWND Window::SetCapture()
{
    HWND previous = captureWindow;
    if (!IsWindow())
        return previous;
    captureWindow = this;
    SDL_CaptureMouse(SDL_TRUE);
    if (previous && previous != this)
        Deliver(previous, WM_CAPTURECHANGED, 0, LPARAM(0));
    return previous;
}

HWND GetCapture()
{
    return captureWindow;
}

bool ReleaseCapture()
{
    HWND previous = captureWindow;
    captureWindow = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_CaptureMouse(SDL_FALSE);
    if (previous)
        Deliver(previous, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND GetFocus()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return nullptr;
    SDL_Window* focus = SDL_GetKeyboardFocus();
    return focus ? FindWindow(SDL_GetWindowID(focus)) : nullptr;
}

int16_t GetKeyState(int virtualKey)
{
    if (virtualKey <= 0 || virtualKey > 255)
        return 0;
    return int16_t((keyDown[virtualKey] ? 0x8000 : 0) | (keyToggled[virtualKey] ? 1 : 0));
}

bool FollowsSystemFocus()
{
    if (followFocus < 0)
        followFocus = NonInteractive() ? 0 : 1;
    return followFocus != 0;
}

void SetFollowSystemFocus(bool follow)
{
    followFocus = follow ? 1 : 0;
}

void AllowScreenSaver(bool allow)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    if (allow)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

namespace {
int cursorShape = 32512;
} // namespace

void SetCursorShape(int id)
{
    struct Shape
    {
        int id;
        SDL_SystemCursor system;
    };
    static const Shape shapes[] = {
        {32648, SDL_SYSTEM_CURSOR_NO}, {208, SDL_SYSTEM_CURSOR_HAND}, {209, SDL_SYSTEM_CURSOR_SIZEALL}};
    static SDL_Cursor* made[std::size(shapes)] = {};
    cursorShape = 32512;
    SDL_Cursor* cursor = nullptr;
    for (size_t i = 0; i < std::size(shapes); ++i)
        if (shapes[i].id == id) {
            cursorShape = id;
            if (SDL_WasInit(SDL_INIT_VIDEO) && !made[i])
                made[i] = SDL_CreateSystemCursor(shapes[i].system);
            cursor = made[i];
        }
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    SDL_SetCursor(cursor ? cursor : SDL_GetDefaultCursor());
}

int CursorShape()
{
    return cursorShape;
}

int ShowCursor(bool show)
{
    cursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCount;
}

bool GetCursorPos(POINT& screenPoint)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    if (queuedCursorSet) {
        screenPoint = queuedCursor;
        return true;
    }
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    screenPoint = POINT{x, y};
    return true;
}

bool SetCursorPos(int x, int y)
{
    return SDL_WasInit(SDL_INIT_VIDEO) && SDL_WarpMouseGlobal(x, y) == 0;
}

namespace {

HWND InputWindow(HWND window)
{
    if (window && window->IsWindow())
        return window;
    HWND w = KeyboardTarget(0);
    return w && w->IsWindow() ? w : nullptr;
}

bool PushInput(SDL_Event& e)
{
    return SDL_WasInit(SDL_INIT_VIDEO) && SDL_PushEvent(&e) == 1;
}

// A client point of the window as the window system gives it (window pixels).
void ClientPointToWindow(HWND w, int& x, int& y)
{
    int32_t cx = x, cy = y;
    ClientToWindow(*w->impl(), cx, cy);
    x = cx;
    y = cy;
}

uint8_t SdlButton(MouseButton button)
{
    switch (button) {
    case MouseButton::Left:
        return SDL_BUTTON_LEFT;
    case MouseButton::Right:
        return SDL_BUTTON_RIGHT;
    case MouseButton::Middle:
        return SDL_BUTTON_MIDDLE;
    }
    return SDL_BUTTON_LEFT;
}

} // namespace

bool HasKeyForVirtualKey(int virtualKey)
{
    SDL_Keysym ks;
    return KeyOfVirtualKey(virtualKey, ks);
}

bool QueueKeyInput(int virtualKey, bool down)
{
    SDL_Event e{};
    if (!KeyOfVirtualKey(virtualKey, e.key.keysym))
        return false;
    HWND w = InputWindow(nullptr);
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = w ? w->impl()->id : 0;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    return PushInput(e);
}

bool QueueTextInput(std::string_view text1252)
{
    HWND w = InputWindow(nullptr);
    // One event carries a few characters; whole characters per event.
    std::string utf8;
    auto flush = [&] {
        if (utf8.empty())
            return true;
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = w ? w->impl()->id : 0;
        SDL_strlcpy(e.text.text, utf8.c_str(), sizeof e.text.text);
        utf8.clear();
        return PushInput(e);
    };
    for (char c : text1252) {
        std::string one = Cp1252ToUtf8(std::string_view(&c, 1));
        if (utf8.size() + one.size() >= sizeof(SDL_TextInputEvent::text) && !flush())
            return false;
        utf8 += one;
    }
    return flush();
}

void IgnoreDeviceMotion(bool ignore)
{
    deviceMotionIgnored = ignore;
}

bool QueueMouseMove(HWND window, int x, int y)
{
    HWND w = InputWindow(window);
    if (!w)
        return false;
    ClientPointToWindow(w, x, y);
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = w->impl()->id;
    e.motion.which = kQueuedMouseId;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = x - pointerWindowX;
    e.motion.yrel = y - pointerWindowY;
    if (keyDown[VK_LBUTTON])
        e.motion.state |= SDL_BUTTON_LMASK;
    if (keyDown[VK_RBUTTON])
        e.motion.state |= SDL_BUTTON_RMASK;
    if (keyDown[VK_MBUTTON])
        e.motion.state |= SDL_BUTTON_MMASK;
    // Later moves queued before this one is delivered measure from here.
    pointerWindowX = x;
    pointerWindowY = y;
    return PushInput(e);
}

bool QueueMouseButton(HWND window, MouseButton button, bool down, int clicks, int x, int y)
{
    HWND w = InputWindow(window);
    if (!w)
        return false;
    int wx = x, wy = y;
    ClientPointToWindow(w, wx, wy);
    // A hand moves the mouse there before it presses.
    if ((wx != pointerWindowX || wy != pointerWindowY) && !QueueMouseMove(w, x, y))
        return false;
    x = wx;
    y = wy;
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = w->impl()->id;
    e.button.which = kQueuedMouseId;
    e.button.button = SdlButton(button);
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = uint8_t(std::clamp(clicks, 1, 255));
    e.button.x = x;
    e.button.y = y;
    return PushInput(e);
}

bool QueueMouseWheel(HWND window, int notches)
{
    HWND w = InputWindow(window);
    if (!w)
        return false;
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = w->impl()->id;
    e.wheel.which = kQueuedMouseId;
    e.wheel.y = notches;
    e.wheel.preciseY = float(notches);
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    return PushInput(e);
}

bool QueueFileDrop(HWND window, const std::vector<std::string>& paths)
{
    HWND w = InputWindow(window);
    if (!w || paths.empty())
        return false;
    SDL_Event e{};
    e.type = SDL_DROPBEGIN;
    e.drop.windowID = w->impl()->id;
    if (!PushInput(e))
        return false;
    for (const std::string& path : paths) {
        e.type = SDL_DROPFILE;
        // The receiver frees the name, as it does the system's.
        e.drop.file = SDL_strdup(path.c_str());
        if (!PushInput(e)) {
            SDL_free(e.drop.file);
            return false;
        }
    }
    e.type = SDL_DROPCOMPLETE;
    e.drop.file = nullptr;
    return PushInput(e);
}

Application::Application()
{
    theApp = this;
}

Application::~Application()
{
    if (theApp == this)
        theApp = nullptr;
}

bool Application::OnIdle(long)
{
    if (idleHook)
        idleHook();
    return false;
}

void SetIdleHook(void (*hook)())
{
    idleHook = hook;
}

int Application::Run()
{
    quitPosted = false;
    if (!InitInstance())
        return ExitInstance();
    if (!InitVideo())
        return ExitInstance();
    bool idle = true;
    long idleCount = 0;
    while (!quitPosted) {
        SDL_PumpEvents();
        while (idle && !quitPosted && !SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) {
            if (!OnIdle(idleCount++))
                idle = false;
            SDL_PumpEvents();
        }
        if (quitPosted)
            break;
        SDL_Event e;
        if (!SDL_WaitEvent(&e)) {
            std::fprintf(stderr, "Waiting for events failed: %s\n", SDL_GetError());
            break;
        }
        Dispatch(e);
        while (!quitPosted && SDL_PollEvent(&e))
            Dispatch(e);
        idle = true;
        idleCount = 0;
    }
    exitCode_ = quitCode;
    return ExitInstance();
}

void Application::BeginWaitCursor()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) && WaitCursor())
        SDL_SetCursor(WaitCursor());
    ++waitCount_;
}

void Application::EndWaitCursor()
{
    if (waitCount_ > 0 && --waitCount_ == 0 && SDL_WasInit(SDL_INIT_VIDEO))
        SDL_SetCursor(SDL_GetDefaultCursor());
}

Application* GetApp()
{
    return theApp;
}

void PostQuitMessage(int exitCode)
{
    quitPosted = true;
    quitCode = exitCode;
}

bool PumpMessages()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return !quitPosted;
    SDL_Event e;
    while (!quitPosted && SDL_PollEvent(&e))
        Dispatch(e);
    return !quitPosted;
}

bool PumpOneMessage()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO) || quitPosted)
        return false;
    SDL_Event e;
    if (!SDL_PollEvent(&e))
        return false;
    Dispatch(e);
    return true;
}

bool WaitAndPumpMessages(int timeoutMs)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return !quitPosted;
    SDL_Event e;
    if (!quitPosted && SDL_WaitEventTimeout(&e, timeoutMs))
        Dispatch(e);
    return PumpMessages();
}

SDL_Window* NativeWindow(HWND hwnd)
{
    return hwnd && hwnd->impl() ? hwnd->impl()->sdl : nullptr;
}

HWND WindowFromNative(uint32_t sdlWindowId)
{
    return FindWindow(sdlWindowId);
}

int AddEventObserver(EventObserver observer)
{
    int id = nextObserverId++;
    observers[id] = std::move(observer);
    return id;
}

void RemoveEventObserver(int id)
{
    observers.erase(id);
}

} // namespace platform
