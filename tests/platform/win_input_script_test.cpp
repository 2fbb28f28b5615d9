// Input scripts: the one parser of the format, its verb table, and the input it
// queues arriving as the window messages and mouse-device state real input gives.
#include "platform/input/Mouse.h"
#include "platform/win/InputScript.h"
#include "platform/win/Window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace platform;

namespace {

// The off-screen video driver: no pointer of a shared display adds moves of its own.
const bool kOffscreen = [] { return setenv("SDL_VIDEODRIVER", "offscreen", 1) == 0; }();

TEST(InputScript, BadLinesNameTheFileAndLine)
{
    struct Case
    {
        const char* text;
        const char* error;
    } cases[] = {
        {"5 jump\n", "s.txt(1): unknown verb 'jump'"},
        {"# first a comment\n\nfive key A press\n", "s.txt(3): 'five' is no frame number"},
        {"-1 wheel 1\n", "s.txt(1): '-1' is no frame number"},
        {"4x wheel 1\n", "s.txt(1): '4x' is no frame number"},
        {"99999999999 wheel 1\n", "s.txt(1): '99999999999' is no frame number"},
        {"3\n", "s.txt(1): a verb is missing after the frame number"},
        {"3 key NOSUCH press\n", "s.txt(1): unknown key 'NOSUCH'"},
        {"3 key 0x100 press\n", "s.txt(1): unknown key '0x100'"},
        {"3 key A hold\n", "s.txt(1): 'hold': down, up or press expected"},
        {"3 key A\n", "s.txt(1): key NAME|CODE down|up|press expected"},
        {"1 wheel 1\r\n3 wheel 0\n",
         "s.txt(2): wheel STEPS expected: a whole number of notches from -273 to 273, "
         "not 0"},
        {"3 wheel up\n", "s.txt(1): wheel STEPS expected: a whole number of notches from -273 to 273, not 0"},
        {"3 move 10\n", "s.txt(1): two numbers X Y expected"},
        {"3 move 10 y\n", "s.txt(1): 'y' is no Y position"},
        {"3 click left 1 2 3\n", "s.txt(1): two numbers X Y expected"},
        {"3 click top 1 2\n", "s.txt(1): 'top': left, right or middle expected"},
        {"3 char\n", "s.txt(1): char needs a text"},
        {"3 drop\n", "s.txt(1): drop FILE expected"},
        {"3 char a\xE4\xB8\xAD\n",
         "s.txt(1): 'a\xE4\xB8\xAD' has a character that Windows-1252 does not have"},
    };
    for (const Case& c : cases) {
        InputScript script;
        std::string error;
        EXPECT_FALSE(script.Parse(c.text, "s.txt", error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_EQ(script.Size(), 0u);
    }

    InputScript script;
    std::string error;
    EXPECT_FALSE(script.Load("/nonexistent/varek/script.txt", error));
    EXPECT_EQ(error, "/nonexistent/varek/script.txt: the input script cannot be read");
}

TEST(InputScript, KeyNamesAndCodes)
{
    struct Case
    {
        const char* word;
        int vk;
    } cases[] = {
        {"a", 'A'},        {"Z", 'Z'},           {"7", '7'},
        {"F5", VK_F1 + 4}, {"f12", VK_F12},      {"vk_return", 0x0D},
        {"ENTER", 0x0D},   {"Esc", VK_ESCAPE},   {"0x1B", 0x1B},
        {"27", 27},        {"NUMPAD4", 0x64},    {"ctrl", VK_CONTROL},
        {"ALT", VK_MENU},  {"pageup", VK_PRIOR}, {"OEM_PLUS", VK_OEM_PLUS},
        {"F13", -1},       {"0x07", -1},         {"A1", -1},
        {"", -1},          {"0x", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScriptKeyCode(c.word), c.vk) << c.word;
}

TEST(InputScript, StepsRunAtTheirFrameInFileOrderAndVerbsPlugIn)
{
    std::vector<std::string> ran;
    RegisterScriptVerb("Note", [&ran](const ScriptArgs& a, ScriptStep& step) -> std::string {
        if (a.words.empty())
            return "note WORDS expected";
        step.afterFrame = a.words[0] == "after";
        step.run = [&ran, text = a.text, frame = step.frame] {
            ran.push_back(std::to_string(frame) + " " + text);
        };
        return {};
    });
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.Parse("# a comment line\n"
                             "7 note after seven   # the rest is a comment\n"
                             "  2 NOTE two  words#kept\n"
                             "7 note seven\n"
                             "\n"
                             "2 note after two\n",
                             "s.txt", error))
        << error;
    EXPECT_EQ(script.Size(), 4u);
    EXPECT_EQ(script.LastFrame(), 7);
    for (int frame = 0; frame < 9; ++frame) {
        const bool before = script.RunBeforeFrame(frame);
        EXPECT_EQ(before, frame == 2 || frame == 7) << frame;
        script.RunAfterFrame(frame);
    }
    EXPECT_EQ(ran,
              (std::vector<std::string>{"2 two  words#kept", "2 after two", "7 seven", "7 after seven"}));

    // A verb's own reason is reported with the place.
    EXPECT_FALSE(script.Parse("1 note\n", "s.txt", error));
    EXPECT_EQ(error, "s.txt(1): note WORDS expected");
}

class RecordingWindow : public Window
{
public:
    std::vector<Message> got;
    LRESULT WindowProc(const Message& msg) override
    {
        if (msg.message != WM_PAINT && msg.message != WM_SIZE && msg.message != WM_ACTIVATE &&
            msg.message != WM_ACTIVATEAPP && msg.message != WM_SETFOCUS && msg.message != WM_KILLFOCUS)
            got.push_back(msg);
        return DefWindowProc(msg);
    }
};

TEST(InputScript, QueuedInputArrivesAsTheMessagesAndMouseStateOfRealInput)
{
    ASSERT_TRUE(kOffscreen);
    RecordingWindow window;
    WindowDesc desc;
    desc.title = "script";
    desc.width = 320;
    desc.height = 240;
    ASSERT_TRUE(window.Create(desc));
    // The picture is twice the window: scripts speak in the picture's pixels.
    window.SetLogicalClientSize(640, 480);
    PumpMessages();
    MouseDevice mouse;
    ASSERT_EQ(mouse.Create(), DI_OK);
    ASSERT_EQ(mouse.SetCooperativeLevel(&window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    ASSERT_EQ(mouse.Acquire(), DI_OK);
    window.got.clear();

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("varek_script_" + std::to_string(::getpid()) + ".txt");
    std::ofstream(file) << "0 key F5 press\n"
                           "0 char \xC3\xA4\xE2\x82\xAC x\n" // a-umlaut, euro sign, space, x
                           "0 move 100 80\n"
                           "0 click left 100 80\n"
                           "0 down right 300 200\n"
                           "1 up right 300 200\n"
                           "1 dblclick middle 40 20\n"
                           "1 wheel 3\n"
                           "1 key shift down\n"
                           "2 drop models/Crate One.tmf\n";
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.Load(file.string(), error)) << error;
    std::filesystem::remove(file);

    ASSERT_TRUE(script.RunBeforeFrame(0));
    PumpMessages();
    struct Expect
    {
        uint32_t message;
        uintptr_t wParam; // key or character; for mouse messages the client point
        int x = -1, y = -1;
    };
    auto check = [&](const std::vector<Expect>& want) {
        ASSERT_EQ(window.got.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(window.got[i].message, want[i].message);
            if (want[i].x >= 0) {
                EXPECT_EQ(GET_X_LPARAM(window.got[i].lParam), want[i].x);
                EXPECT_EQ(GET_Y_LPARAM(window.got[i].lParam), want[i].y);
            } else {
                EXPECT_EQ(window.got[i].wParam, want[i].wParam);
            }
        }
    };
    check({{WM_KEYDOWN, WPARAM(VK_F1 + 4)},
           {WM_KEYUP, WPARAM(VK_F1 + 4)},
           {WM_CHAR, 0xE4},
           {WM_CHAR, 0x80},
           {WM_CHAR, ' '},
           {WM_CHAR, 'x'},
           {WM_MOUSEMOVE, 0, 100, 80},
           {WM_LBUTTONDOWN, 0, 100, 80},
           {WM_LBUTTONUP, 0, 100, 80},
           {WM_MOUSEMOVE, 0, 300, 200},
           {WM_RBUTTONDOWN, 0, 300, 200}});
    EXPECT_EQ(window.got[7].wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_LT(GetKeyState(VK_RBUTTON), 0) << "the right button is held into the next frame";
    // The cursor is where the script put it.
    POINT cursor, expected{300, 200};
    ASSERT_TRUE(GetCursorPos(cursor));
    ASSERT_TRUE(window.ClientToScreen(expected));
    EXPECT_EQ(cursor.x, expected.x);
    EXPECT_EQ(cursor.y, expected.y);
    // The mouse device moved by the window's pixels, and saw the buttons.
    DIMOUSESTATE state;
    ASSERT_EQ(mouse.GetDeviceState(state), DI_OK);
    EXPECT_EQ(state.lX, 150);
    EXPECT_EQ(state.lY, 100);
    EXPECT_EQ(state.rgbButtons[0], 0);
    EXPECT_EQ(state.rgbButtons[1], 0x80);

    window.got.clear();
    ASSERT_TRUE(script.RunBeforeFrame(1));
    PumpMessages();
    check({{WM_RBUTTONUP, 0, 300, 200},
           {WM_MOUSEMOVE, 0, 40, 20},
           {WM_MBUTTONDOWN, 0, 40, 20},
           {WM_MBUTTONUP, 0, 40, 20},
           {WM_MBUTTONDBLCLK, 0, 40, 20},
           {WM_MBUTTONUP, 0, 40, 20},
           {WM_MOUSEWHEEL, MAKELONG(0, 360)},
           {WM_KEYDOWN, WPARAM(VK_SHIFT)}});
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(window.got[6].wParam), 360);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    ASSERT_EQ(mouse.GetDeviceState(state), DI_OK);
    EXPECT_EQ(state.lX, -130);
    EXPECT_EQ(state.lY, -90);
    EXPECT_EQ(state.lZ, 360);
    EXPECT_EQ(state.rgbButtons[1], 0);

    // A dropped file arrives as the window system's drop, its path taken from the folder the run
    // started in.
    window.got.clear();
    window.DragAcceptFiles(true);
    ASSERT_TRUE(script.RunBeforeFrame(2));
    PumpMessages();
    ASSERT_EQ(window.got.size(), 1u);
    EXPECT_EQ(window.got[0].message, WM_DROPFILES);
    EXPECT_EQ(window.got[0].files,
              std::vector<std::string>{(std::filesystem::current_path() / "models/Crate One.tmf").string()});
    mouse.Release();
}

} // namespace
