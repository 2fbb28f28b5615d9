#include "platform/win/NativeWindow.h"
#include "platform/win/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {

// Posted behind a test's own events: what the window system itself sends (a
// pointer entering the new window, focus, exposure) may come at any time, but
// never ahead of events that were queued before this marker.
constexpr uint32_t kEndOfPushed = WM_USER + 0x7F0;

class RecordingWindow : public Window
{
public:
    std::vector<Message> got;
    bool closeDestroys = true;
    bool sealed = false; // the marker came: later messages are the window system's

    LRESULT WindowProc(const Message& msg) override
    {
        if (msg.message == kEndOfPushed) {
            sealed = true;
            return 0;
        }
        if (sealed)
            return DefWindowProc(msg);
        got.push_back(msg);
        if (msg.message == WM_CLOSE && !closeDestroys)
            return 0;
        return DefWindowProc(msg);
    }
    std::vector<uint32_t> Ids(uint32_t except = 0) const
    {
        std::vector<uint32_t> ids;
        for (const Message& m : got)
            if (m.message != except && m.message != WM_PAINT && m.message != WM_ACTIVATE &&
                m.message != WM_ACTIVATEAPP && m.message != WM_SIZE && m.message != WM_CAPTURECHANGED &&
                m.message != WM_SETFOCUS && m.message != WM_KILLFOCUS)
                ids.push_back(m.message);
        return ids;
    }
};

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WindowDesc desc;
        desc.title = "Test \xE4"; // Windows-1252 a-umlaut
        desc.width = 320;
        desc.height = 240;
        ASSERT_TRUE(window.Create(desc));
        id = SDL_GetWindowID(NativeWindow(&window));
        PumpMessages();
        window.got.clear();
    }

    // Delivers the events the test pushed, and only those: whatever the window
    // system adds while they are delivered is left out, however late it comes.
    void DeliverPushed()
    {
        window.sealed = false;
        ASSERT_TRUE(window.PostMessage(kEndOfPushed));
        PumpMessages();
        ASSERT_TRUE(!window.IsWindow() || window.sealed);
    }

    void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }
    void Key(uint32_t type, SDL_Keycode sym, SDL_Scancode sc, uint16_t mod = 0)
    {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = id;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = sc;
        e.key.keysym.mod = mod;
        Push(e);
    }
    void Text(const char* utf8)
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = id;
        SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
        Push(e);
    }
    void Button(uint32_t type, uint8_t button, uint8_t clicks, int x, int y)
    {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = id;
        e.button.button = button;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = clicks;
        e.button.x = x;
        e.button.y = y;
        Push(e);
    }
    void Wheel(int y, uint32_t direction = SDL_MOUSEWHEEL_NORMAL)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = id;
        e.wheel.y = y;
        e.wheel.direction = direction;
        Push(e);
    }
    void WindowEvent(uint8_t event, int d1 = 0, int d2 = 0)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = id;
        e.window.event = event;
        e.window.data1 = d1;
        e.window.data2 = d2;
        Push(e);
    }

    RecordingWindow window;
    uint32_t id = 0;
};

TEST_F(WindowTest, KeyPressGivesDownCharacterUp)
{
    Key(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
    Text("a");
    Key(SDL_KEYUP, SDLK_a, SDL_SCANCODE_A);
    DeliverPushed();
    ASSERT_EQ(window.Ids(), (std::vector<uint32_t>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
    EXPECT_EQ(window.got[0].wParam, WPARAM('A'));
    EXPECT_EQ(window.got[1].wParam, WPARAM('a'));
    EXPECT_EQ(window.got[2].wParam, WPARAM('A'));
    EXPECT_EQ(uintptr_t(window.got[0].lParam) >> 30, 0u) << "first press: not a repeat, key going down";
    EXPECT_EQ(uintptr_t(window.got[2].lParam) >> 30, 3u) << "release: was down, going up";
}

TEST_F(WindowTest, ControlCharactersAndWindows1252Text)
{
    struct Case
    {
        SDL_Keycode sym;
        SDL_Scancode sc;
        uint16_t mod;
        int vk;
        int ch;
    } cases[] = {
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0, VK_BACK, 8},
        {SDLK_TAB, SDL_SCANCODE_TAB, 0, VK_TAB, 9},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0, VK_RETURN, 13},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0, VK_RETURN, 13},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0, VK_ESCAPE, 27},
        {SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL, 'C', 3},
    };
    for (const Case& c : cases) {
        window.got.clear();
        Key(SDL_KEYDOWN, c.sym, c.sc, c.mod);
        Key(SDL_KEYUP, c.sym, c.sc, c.mod);
        DeliverPushed();
        ASSERT_EQ(window.Ids(), (std::vector<uint32_t>{WM_KEYDOWN, WM_CHAR, WM_KEYUP})) << c.vk;
        EXPECT_EQ(window.got[0].wParam, WPARAM(c.vk));
        EXPECT_EQ(window.got[1].wParam, WPARAM(c.ch));
    }

    window.got.clear();
    Text("\xC3\xA4\xE2\x82\xAC\xE4\xB8\xAD"); // a-umlaut, euro sign, a character without a byte
    DeliverPushed();
    ASSERT_EQ(window.got.size(), 3u);
    EXPECT_EQ(window.got[0].wParam, 0xE4u);
    EXPECT_EQ(window.got[1].wParam, 0x80u);
    EXPECT_EQ(window.got[2].wParam, WPARAM('?'));
}

TEST_F(WindowTest, SystemKeysAndKeyState)
{
    Key(SDL_KEYDOWN, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT);
    Key(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
    DeliverPushed();
    EXPECT_LT(GetKeyState(VK_MENU), 0) << "Alt is down";
    Key(SDL_KEYUP, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
    Key(SDL_KEYUP, SDLK_LALT, SDL_SCANCODE_LALT, 0);
    Key(SDL_KEYDOWN, SDLK_F10, SDL_SCANCODE_F10);
    Key(SDL_KEYUP, SDLK_F10, SDL_SCANCODE_F10);
    DeliverPushed();
    ASSERT_EQ(window.Ids(), (std::vector<uint32_t>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP,
                                                   WM_SYSKEYDOWN, WM_SYSKEYUP}));
    EXPECT_EQ(window.got[2].wParam, WPARAM(VK_RETURN));
    EXPECT_NE(uintptr_t(window.got[2].lParam) & (1u << 29), 0u) << "Alt context bit";
    EXPECT_EQ(window.got[4].wParam, WPARAM(VK_F10));
    EXPECT_GE(GetKeyState(VK_MENU), 0) << "Alt is up again";
}

TEST_F(WindowTest, DoubleClickIsItsOwnMessageAndCaptureFollowsTheCaller)
{
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 10, 20);
    Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 10, 20);
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2, 10, 20);
    Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 2, 10, 20);
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 5, 6);
    Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 5, 6);
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 5, 6);
    Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1, 5, 6);
    DeliverPushed();
    // On a shared display the pointer may move over a new window by itself.
    std::erase_if(window.got, [](const Message& m) { return m.message == WM_MOUSEMOVE; });
    ASSERT_EQ(window.Ids(),
              (std::vector<uint32_t>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                     WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP}));
    EXPECT_EQ(GET_X_LPARAM(window.got[0].lParam), 10);
    EXPECT_EQ(GET_Y_LPARAM(window.got[0].lParam), 20);
    EXPECT_EQ(window.got[0].wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(window.got[1].wParam & MK_LBUTTON, 0u);

    EXPECT_EQ(window.SetCapture(), nullptr);
    EXPECT_EQ(GetCapture(), &window);
    // While captured, events naming no window still reach the capturing one.
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = 0;
    e.motion.x = -5;
    e.motion.y = 300;
    window.got.clear();
    Push(e);
    DeliverPushed();
    std::erase_if(window.got,
                  [](const Message& m) { return m.message == WM_MOUSEMOVE && GET_X_LPARAM(m.lParam) != -5; });
    ASSERT_EQ(window.Ids(), (std::vector<uint32_t>{WM_MOUSEMOVE}));
    EXPECT_EQ(GET_Y_LPARAM(window.got[0].lParam), 300);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowTest, WheelNotchIs120)
{
    Wheel(1);
    Wheel(-1);
    Wheel(2, SDL_MOUSEWHEEL_FLIPPED);
    DeliverPushed();
    ASSERT_EQ(window.Ids(), (std::vector<uint32_t>{WM_MOUSEWHEEL, WM_MOUSEWHEEL, WM_MOUSEWHEEL}));
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(window.got[0].wParam), 120);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(window.got[1].wParam), -120);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(window.got[2].wParam), -240);
}

TEST_F(WindowTest, LogicalClientSizeScalesMousePositionsAndTheClientSideOfConversions)
{
    int ww = 0, wh = 0;
    SDL_GetWindowSize(NativeWindow(&window), &ww, &wh);
    ASSERT_EQ(ww, 320);
    ASSERT_EQ(wh, 240);
    struct Case
    {
        int logicalW, logicalH;
        int x, y;                 // window pixels, as the window system reports them
        int clientX, clientY;     // what the messages carry
        int capturedX, capturedY; // for a captured move to (-5, 300), outside the window
    } cases[] = {
        {0, 0, 10, 20, 10, 20, -5, 300},     // no logical size: unchanged
        {320, 240, 10, 20, 10, 20, -5, 300}, // the window's own size
        {640, 480, 10, 20, 20, 40, -10, 600},
        {800, 600, 3, 7, 7, 17, -13, 750}, // 2.5 times, rounded down, also left of the window
        {160, 120, 11, 5, 5, 2, -3, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.logicalW) + "x" + std::to_string(c.logicalH));
        window.SetLogicalClientSize(c.logicalW, c.logicalH);
        RECT client;
        ASSERT_TRUE(window.GetClientRect(client));
        EXPECT_EQ(client.right, c.logicalW ? c.logicalW : 320);
        EXPECT_EQ(client.bottom, c.logicalH ? c.logicalH : 240);

        window.got.clear();
        Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, c.x, c.y);
        SDL_Event move{};
        move.type = SDL_MOUSEMOTION;
        move.motion.windowID = id;
        move.motion.x = c.x;
        move.motion.y = c.y;
        Push(move);
        Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, c.x, c.y);
        Wheel(1);
        DeliverPushed();
        ASSERT_EQ(window.Ids(),
                  (std::vector<uint32_t>{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_MOUSEWHEEL}));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(GET_X_LPARAM(window.got[i].lParam), c.clientX) << i;
            EXPECT_EQ(GET_Y_LPARAM(window.got[i].lParam), c.clientY) << i;
        }
        // The wheel's position is a screen position: back to the client it is the same point.
        POINT wheel{GET_X_LPARAM(window.got[3].lParam), GET_Y_LPARAM(window.got[3].lParam)};
        ASSERT_TRUE(window.ScreenToClient(wheel));
        EXPECT_EQ(wheel.x, c.clientX);
        EXPECT_EQ(wheel.y, c.clientY);

        // A screen point in the window's pixels reads as the client pixel the messages give.
        POINT origin;
        ASSERT_TRUE(window.ClientToScreen(origin));
        POINT p{origin.x + c.x, origin.y + c.y};
        ASSERT_TRUE(window.ScreenToClient(p));
        EXPECT_EQ(p.x, c.clientX);
        EXPECT_EQ(p.y, c.clientY);

        window.SetCapture();
        window.got.clear();
        move.motion.windowID = 0;
        move.motion.x = -5;
        move.motion.y = 300;
        Push(move);
        DeliverPushed();
        ReleaseCapture();
        ASSERT_EQ(window.Ids(), (std::vector<uint32_t>{WM_MOUSEMOVE}));
        EXPECT_EQ(GET_X_LPARAM(window.got[0].lParam), c.capturedX);
        EXPECT_EQ(GET_Y_LPARAM(window.got[0].lParam), c.capturedY);
    }
}

TEST_F(WindowTest, WarpingToAClientPointReadsItBackAndLeavingFullScreenDropsTheLogicalSize)
{
    // Putting the cursor at a saved client point and reading it again gives that
    // point wherever the window has at least as many pixels as the picture.
    for (int logical : {320, 200, 97}) {
        window.SetLogicalClientSize(logical, logical * 3 / 4);
        for (int x : {0, 1, 2, 50, logical / 3, logical - 1}) {
            POINT p{x, (logical * 3 / 4) - 1 - x / 2};
            POINT screen = p;
            ASSERT_TRUE(window.ClientToScreen(screen));
            ASSERT_TRUE(window.ScreenToClient(screen));
            EXPECT_EQ(screen.x, p.x) << logical << " " << x;
            EXPECT_EQ(screen.y, p.y) << logical << " " << x;
        }
    }
    window.SetLogicalClientSize(640, 480);
    POINT origin;
    ASSERT_TRUE(window.ClientToScreen(origin));
    POINT far{400, 300};
    ASSERT_TRUE(window.ClientToScreen(far));
    EXPECT_EQ(far.x - origin.x, 200);
    EXPECT_EQ(far.y - origin.y, 150);

    window.SetFullscreen(false);
    RECT client;
    ASSERT_TRUE(window.GetClientRect(client));
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 240);
    window.got.clear();
    Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 10, 20);
    Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 10, 20);
    DeliverPushed();
    ASSERT_EQ(window.Ids(), (std::vector<uint32_t>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ(GET_X_LPARAM(window.got[0].lParam), 10);
    EXPECT_EQ(GET_Y_LPARAM(window.got[0].lParam), 20);
}

TEST_F(WindowTest, SizeActivationPaintAndClose)
{
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 400, 300);
    WindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    WindowEvent(SDL_WINDOWEVENT_EXPOSED);
    DeliverPushed();
    std::vector<Message> sizes;
    for (const Message& m : window.got)
        if (m.message == WM_SIZE)
            sizes.push_back(m);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0].wParam, SIZE_RESTORED);
    EXPECT_EQ(LOWORD(uintptr_t(sizes[0].lParam)), 400);
    EXPECT_EQ(HIWORD(uintptr_t(sizes[0].lParam)), 300);
    EXPECT_EQ(sizes[1].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(window.got.back().message, WM_PAINT);

    window.got.clear();
    SetFollowSystemFocus(true);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    DeliverPushed();
    ASSERT_GE(window.got.size(), 2u);
    EXPECT_EQ(window.got[0].message, WM_ACTIVATE);
    EXPECT_EQ(LOWORD(window.got[0].wParam), WA_INACTIVE);
    // Focus moved within the program: the application stayed active.
    for (const Message& m : window.got)
        EXPECT_FALSE(m.message == WM_ACTIVATEAPP && m.wParam == 0);

    window.got.clear();
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    DeliverPushed();
    ASSERT_EQ(window.got.size(), 2u);
    EXPECT_EQ(window.got[1].message, WM_ACTIVATEAPP);
    EXPECT_EQ(window.got[1].wParam, 0u) << "focus went elsewhere: the application is inactive";

    // Without a person, other programs' windows taking the focus deactivate nothing.
    SetFollowSystemFocus(false);
    window.got.clear();
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    DeliverPushed();
    for (const Message& m : window.got)
        EXPECT_FALSE((m.message == WM_ACTIVATEAPP && m.wParam == 0) ||
                     (m.message == WM_ACTIVATE && LOWORD(m.wParam) == WA_INACTIVE));

    window.got.clear();
    window.closeDestroys = false;
    WindowEvent(SDL_WINDOWEVENT_CLOSE);
    DeliverPushed();
    ASSERT_EQ(window.Ids(), (std::vector<uint32_t>{WM_CLOSE}));
    EXPECT_TRUE(window.IsWindow()) << "a handler may refuse to close";
    window.closeDestroys = true;
    WindowEvent(SDL_WINDOWEVENT_CLOSE);
    DeliverPushed();
    EXPECT_EQ(window.Ids(), (std::vector<uint32_t>{WM_CLOSE, WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(window.IsWindow());
}

TEST_F(WindowTest, RealResizeReportsTheNewClientSize)
{
    SDL_SetWindowSize(NativeWindow(&window), 200, 150);
    bool seen = false;
    for (int i = 0; i < 50 && !seen; ++i) {
        WaitAndPumpMessages(20);
        for (const Message& m : window.got)
            if (m.message == WM_SIZE && LOWORD(uintptr_t(m.lParam)) == 200 &&
                HIWORD(uintptr_t(m.lParam)) == 150)
                seen = true;
    }
    EXPECT_TRUE(seen);
    RECT r;
    ASSERT_TRUE(window.GetClientRect(r));
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 150);
}

TEST_F(WindowTest, DroppedFilesArriveTogetherOnlyWhenAccepted)
{
    auto drop = [&](std::vector<const char*> names) {
        SDL_Event e{};
        e.type = SDL_DROPBEGIN;
        e.drop.windowID = id;
        Push(e);
        for (const char* n : names) {
            e.type = SDL_DROPFILE;
            e.drop.file = SDL_strdup(n);
            Push(e);
        }
        e.type = SDL_DROPCOMPLETE;
        e.drop.file = nullptr;
        Push(e);
        DeliverPushed();
    };
    drop({"/tmp/a.wld"});
    EXPECT_TRUE(window.Ids().empty());
    window.DragAcceptFiles(true);
    drop({"/tmp/one.wld", "/tmp/two.tmf", "/tmp/three.bmp"});
    ASSERT_EQ(window.Ids(), (std::vector<uint32_t>{WM_DROPFILES}));
    EXPECT_EQ(window.got[0].files,
              (std::vector<std::string>{"/tmp/one.wld", "/tmp/two.tmf", "/tmp/three.bmp"}));
}

TEST_F(WindowTest, PostedAndSentMessagesAndTitle)
{
    EXPECT_EQ(window.GetWindowText(), "Test \xE4");
    EXPECT_STREQ(SDL_GetWindowTitle(NativeWindow(&window)), "Test \xC3\xA4");
    window.SendMessage(WM_USER + 1, 7, 8);
    ASSERT_EQ(window.got.size(), 1u);
    EXPECT_TRUE(window.PostMessage(WM_MOUSEMOVE, 0, 0));
    EXPECT_EQ(window.got.size(), 1u) << "posted: not yet delivered";
    DeliverPushed();
    ASSERT_EQ(window.got.size(), 2u);
    EXPECT_EQ(window.got[1].message, WM_MOUSEMOVE);
}

TEST_F(WindowTest, PumpOneMessageTakesOnlyTheOldest)
{
    for (uint32_t m : {WM_USER + 1, WM_USER + 2, WM_USER + 3})
        ASSERT_TRUE(window.PostMessage(m));
    // The window system may slip in events of its own; still, each call hands
    // over at most one of ours, in the order posted.
    int calls = 0;
    while (window.Ids().size() < 3 && calls < 100) {
        const size_t before = window.Ids().size();
        ASSERT_TRUE(PumpOneMessage());
        ++calls;
        ASSERT_LE(window.Ids().size(), before + 1) << "call " << calls;
    }
    EXPECT_GE(calls, 3);
    EXPECT_EQ(window.Ids(), (std::vector<uint32_t>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
    for (int i = 0; i < 100 && PumpOneMessage(); ++i) {
    }
    EXPECT_FALSE(PumpOneMessage()) << "nothing waiting: nothing taken";
}

TEST_F(WindowTest, AltF4ClosesThroughTheDefaultProcedure)
{
    Key(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, 0);
    Key(SDL_KEYUP, SDLK_F4, SDL_SCANCODE_F4, 0);
    DeliverPushed();
    EXPECT_TRUE(window.IsWindow()) << "F4 alone is a plain key";
    window.got.clear();
    Key(SDL_KEYDOWN, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT);
    Key(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT);
    DeliverPushed();
    EXPECT_EQ(window.Ids(),
              (std::vector<uint32_t>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(window.IsWindow());
}

TEST(OpenGLWindow, CarriesAGLSurface)
{
    Window window;
    WindowDesc desc;
    desc.title = "gl";
    desc.openGL = true;
    desc.popup = true;
    ASSERT_TRUE(window.Create(desc));
    SDL_Window* native = NativeWindow(&window);
    ASSERT_NE(native, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(native) & SDL_WINDOW_OPENGL, 0u);
    EXPECT_EQ(WindowFromNative(SDL_GetWindowID(native)), &window);
    SDL_GLContext context = SDL_GL_CreateContext(native);
    EXPECT_NE(context, nullptr) << SDL_GetError();
    if (context)
        SDL_GL_DeleteContext(context);
    RECT paint;
    EXPECT_TRUE(window.BeginPaint(paint));
    EXPECT_EQ(paint.right, 640);
    EXPECT_TRUE(window.DestroyWindow());
    EXPECT_EQ(NativeWindow(&window), nullptr);
    EXPECT_FALSE(window.DestroyWindow());
}

TEST(Cursor, ShowCountAndWaitCursor)
{
    ASSERT_TRUE(InitVideo());
    EXPECT_EQ(ShowCursor(false), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(false), -2);
    EXPECT_EQ(ShowCursor(true), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE) << "hidden until the count is back at 0";
    EXPECT_EQ(ShowCursor(true), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    Application app;
    SDL_Cursor* normal = SDL_GetCursor();
    app.BeginWaitCursor();
    app.BeginWaitCursor();
    EXPECT_NE(SDL_GetCursor(), normal);
    app.EndWaitCursor();
    EXPECT_NE(SDL_GetCursor(), normal) << "nested: still waiting";
    app.EndWaitCursor();
    EXPECT_EQ(SDL_GetCursor(), SDL_GetDefaultCursor());
    app.EndWaitCursor();
    EXPECT_EQ(SDL_GetCursor(), SDL_GetDefaultCursor());
}

class CountingApp : public Application
{
public:
    RecordingWindow* window = nullptr;
    int idleCalls = 0;
    int exitCalls = 0;
    bool InitInstance() override
    {
        window = new RecordingWindow;
        WindowDesc desc;
        desc.title = "App";
        if (!window->Create(desc))
            return false;
        m_pMainWnd = window;
        return true;
    }
    bool OnIdle(long count) override
    {
        EXPECT_EQ(count, idleCalls % 3);
        ++idleCalls;
        // Three idle calls, then a message, until nine calls; then close the window.
        if (idleCalls % 3 == 0 && idleCalls < 9)
            window->PostMessage(WM_USER, 0, 0);
        if (idleCalls == 9)
            window->PostMessage(WM_CLOSE, 0, 0);
        return idleCalls % 3 != 0;
    }
    int ExitInstance() override
    {
        ++exitCalls;
        delete window;
        return 5;
    }
};

TEST(Application, IdlesWhileNothingWaitsAndEndsWhenTheMainWindowGoes)
{
    CountingApp app;
    EXPECT_EQ(app.Run(), 5);
    EXPECT_EQ(app.idleCalls, 9);
    EXPECT_EQ(app.exitCalls, 1);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

TEST(Application, FailedStartGoesStraightToExit)
{
    struct FailingApp : Application
    {
        int idle = 0;
        bool InitInstance() override { return false; }
        bool OnIdle(long) override { return ++idle < 2; }
        int ExitInstance() override { return 3; }
    } app;
    EXPECT_EQ(app.Run(), 3);
    EXPECT_EQ(app.idle, 0);
}

} // namespace
