#pragma once
// Top-level windows, window messages and the application's message loop, on SDL2.
//
// SDL events are turned into the window messages the game's handlers expect, with
// the usual packing of wParam and lParam (LOWORD/HIWORD, client coordinates,
// 120 wheel units per notch). A handler overrides Window::WindowProc; what it does
// not handle goes to DefWindowProc (WM_CLOSE destroys the window; destroying the
// application's main window ends the message loop).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Window;
using HWND = Window*;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct RECT
{
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
struct POINT
{
    int32_t x = 0, y = 0;
};

// Messages.
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_INITMENUPOPUP = 0x0117;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t WM_CAPTURECHANGED = 0x0215;
constexpr uint32_t WM_DROPFILES = 0x0233;
constexpr uint32_t MM_MCINOTIFY = 0x03B9;
constexpr uint32_t WM_USER = 0x0400;

// WM_SIZE wParam.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
// WM_ACTIVATE LOWORD(wParam); HIWORD(wParam) is the minimised flag.
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;
// WM_SYSCOMMAND wParam.
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;
constexpr WPARAM SC_CLOSE = 0xF060;
// Mouse message wParam.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;

// Virtual-key codes. Letters and digits are their upper-case ASCII codes.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_NUMPAD0 = 0x60; // .. VK_NUMPAD9 = 0x69
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70; // .. VK_F12 = 0x7B
constexpr int VK_F4 = 0x73;
constexpr int VK_F10 = 0x79;
constexpr int VK_F12 = 0x7B;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_OEM_1 = 0xBA;
constexpr int VK_OEM_PLUS = 0xBB;
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF;
constexpr int VK_OEM_3 = 0xC0;
constexpr int VK_OEM_4 = 0xDB;
constexpr int VK_OEM_5 = 0xDC;
constexpr int VK_OEM_6 = 0xDD;
constexpr int VK_OEM_7 = 0xDE;
constexpr int VK_OEM_102 = 0xE2;

constexpr uint16_t LOWORD(uintptr_t v)
{
    return uint16_t(v & 0xFFFF);
}
constexpr uint16_t HIWORD(uintptr_t v)
{
    return uint16_t((v >> 16) & 0xFFFF);
}
constexpr int GET_X_LPARAM(LPARAM l)
{
    return int16_t(uint16_t(uintptr_t(l) & 0xFFFF));
}
constexpr int GET_Y_LPARAM(LPARAM l)
{
    return int16_t(uint16_t((uintptr_t(l) >> 16) & 0xFFFF));
}
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w)
{
    return int16_t(HIWORD(w));
}
constexpr uintptr_t MAKELONG(int lo, int hi)
{
    return (uintptr_t(uint16_t(lo)) | (uintptr_t(uint16_t(hi)) << 16));
}

// One window message. For WM_DROPFILES `files` holds the dropped paths (UTF-8 as
// the system gives them), in drop order.
struct Message
{
    HWND hwnd = nullptr;
    uint32_t message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::vector<std::string> files;
};

constexpr int CW_USEDEFAULT = int(0x80000000);

struct WindowDesc
{
    std::string title; // Windows-1252
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    int width = 640, height = 480; // client size
    bool openGL = false;           // the window gets an OpenGL surface (platform/d3d)
    bool popup = false;            // no frame or caption (WS_POPUP)
    bool resizable = true;
    bool visible = true;
    bool doubleClicks = true; // double clicks come as their own message (CS_DBLCLKS)
};

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

class Window
{
public:
    Window();
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Opens the window and sends WM_CREATE. False (with the reason on standard
    // error) when the video system or the window cannot be made.
    bool Create(const WindowDesc& desc);
    // Sends WM_DESTROY and closes the window. Destroying the application's main
    // window posts WM_QUIT.
    bool DestroyWindow();
    bool IsWindow() const;

    virtual LRESULT WindowProc(const Message& msg);
    // WM_CLOSE destroys the window; Alt+F4 (WM_SYSKEYDOWN) becomes WM_SYSCOMMAND
    // SC_CLOSE, which becomes WM_CLOSE.
    LRESULT DefWindowProc(const Message& msg);

    LRESULT SendMessage(uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Queued; may be called from any thread.
    bool PostMessage(uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);

    void SetWindowText(std::string_view text1252);
    std::string GetWindowText() const;

    bool GetClientRect(RECT& rect) const; // (0, 0, width, height)
    bool GetWindowRect(RECT& rect) const; // screen coordinates of the client area's frame
    bool ClientToScreen(POINT& point) const;
    bool ScreenToClient(POINT& point) const;
    // While full screen shows a picture of another size scaled to the window, the
    // client area is that picture: mouse messages, GetClientRect and the client side
    // of ClientToScreen/ScreenToClient are in its pixels, while screen coordinates
    // (GetCursorPos, SetCursorPos, GetWindowRect) stay the window system's.
    // (0, 0) goes back to the window's own size; so does leaving full screen.
    void SetLogicalClientSize(int width, int height);
    bool MoveWindow(int x, int y, int width, int height);
    bool SetClientSize(int width, int height);
    bool IsZoomed() const;
    bool IsIconic() const;
    bool IsWindowVisible() const;
    bool ShowWindow(int command);
    void SetPopup(bool popup);
    // Full screen at the given display size (0, 0 = desktop size) or back to a window.
    bool SetFullscreen(bool on, int width = 0, int height = 0);
    void DragAcceptFiles(bool accept);
    bool AcceptsFiles() const { return acceptFiles_; }
    // Queues WM_PAINT.
    void InvalidateRect();
    // Inside a WM_PAINT handler: the area to paint (the whole client area).
    bool BeginPaint(RECT& updateRect) const;
    void EndPaint() const {}

    // Mouse capture: button and move messages keep coming while the mouse is outside.
    HWND SetCapture();

    struct Impl;
    Impl* impl() const { return impl_; }

private:
    Impl* impl_ = nullptr;
    bool acceptFiles_ = false;
};

HWND GetCapture();
bool ReleaseCapture();
HWND GetFocus();

// Key and button state as the translated messages left it: bit 15 down, bit 0 toggled.
int16_t GetKeyState(int virtualKey);

// Whether the window system's focus changes deactivate the program. Off by default
// when VAREK_NONINTERACTIVE is set: there the windows of other programs (tests
// running side by side on one display) take the focus, and a deactivated program
// would wait for a person to bring it back. Gaining the focus is always reported.
bool FollowsSystemFocus();
void SetFollowSystemFocus(bool follow);

// The screen saver may start (true) or is held off (false, the start-up state).
void AllowScreenSaver(bool allow);

// The cursor: ShowCursor counts like the original (visible while the count is >= 0).
int ShowCursor(bool show);
bool GetCursorPos(POINT& screenPoint);
bool SetCursorPos(int x, int y);

// Input as a person gives it, queued behind whatever waits: the window system's
// own events are made, so the input takes every path real input takes (window
// messages, key state, double clicks, the mouse device). Positions are client
// pixels of `window` (null: the main window); a button pressed away from the
// pointer moves the pointer there first. False when nothing could be queued
// (no video system, no window, or no key gives the code).
enum class MouseButton
{
    Left,
    Right,
    Middle
};
bool HasKeyForVirtualKey(int virtualKey);
bool QueueKeyInput(int virtualKey, bool down);
// One WM_CHAR per byte; the control characters of Return, Escape, Backspace and
// Tab come with their keys instead.
bool QueueTextInput(std::string_view text1252);
// While set, the pointer moves only as queued here: the device's own motion (a pointer
// shared with other programs) is dropped, so that a scripted run repeats.
void IgnoreDeviceMotion(bool ignore);
bool QueueMouseMove(HWND window, int x, int y);
bool QueueMouseButton(HWND window, MouseButton button, bool down, int clicks, int x, int y);
// Notches away from the user are positive (120 wheel units each).
bool QueueMouseWheel(HWND window, int notches);
// Files dragged from the file manager and let go over the window (WM_DROPFILES, in this order);
// paths as the system gives them (UTF-8).
bool QueueFileDrop(HWND window, const std::vector<std::string>& paths);

// The application object with the message loop.
class Application
{
public:
    Application();
    virtual ~Application();

    virtual bool InitInstance() { return true; }
    // Called once each time no message is waiting; false = wait for the next message.
    virtual bool OnIdle(long count);
    // The exit code given to PostQuitMessage, for ExitInstance.
    virtual int ExitInstance() { return exitCode_; }

    // InitInstance; when it succeeds the message loop until WM_QUIT; then ExitInstance.
    int Run();

    void BeginWaitCursor();
    void EndWaitCursor();

    Window* m_pMainWnd = nullptr;

private:
    int exitCode_ = 0;
    int waitCount_ = 0;
};

Application* GetApp();
void PostQuitMessage(int exitCode);

// Delivers every message that is waiting, without idling. False once WM_QUIT came.
// For start-up code and tests that drive the loop themselves.
bool PumpMessages();
// Delivers the oldest waiting message only, if there is one; true when one was
// taken. Long jobs call it between steps to keep the window answering.
bool PumpOneMessage();
// Waits up to `timeoutMs` for a message and delivers it and all others waiting.
bool WaitAndPumpMessages(int timeoutMs);

// Starts the video system (once); false with a message on standard error when it fails.
bool InitVideo();

} // namespace platform
