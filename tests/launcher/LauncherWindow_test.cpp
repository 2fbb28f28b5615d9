// Dialog 111 as drawn: the picture above the eight buttons at their places, the
// captions and enable states of the decisions, and the buttons' commands.
#include "launcher/LauncherWindow.h"

#include "platform/resources/Resources.h"
#include "platform/win/Registry.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace launcher;

namespace {

TEST(LauncherWindow, ShowsTheDecisionsAndTheirButtonsAtTheirPlaces)
{
    TempDir dir;
    setenv("XDG_CONFIG_HOME", (dir.path / "config").c_str(), 1);
    setenv("VAREK_NONINTERACTIVE", "1", 1);
    platform::SetResourceFolder(dir.path / "resources"); // no picture there
    std::vector<std::string> opened;
    CLauncherWindow window;
    window.logic.shellOpen = [&opened](const std::string& f, const std::string&, const std::string&) {
        opened.push_back(f);
    };
    ASSERT_TRUE(window.Create(nullptr));
    EXPECT_EQ(window.Caption(), "The Varek! Demo");
    const platform::RECT r = window.GetWindowRect();
    EXPECT_EQ(r.right - r.left, 409);
    EXPECT_EQ(r.bottom - r.top, 396);
    struct Expect
    {
        int id;
        const char* caption;
        int x, y, width;
        bool enabled;
    } buttons[] = {
        {IDC_PLAY, "Play The Varek! Demo", 10, 208, 388, false},
        {IDC_INSTALL, "Install The Varek! Demo", 10, 234, 388, true},
        {IDC_RESET, "Reset settings to default", 10, 260, 388, false},
        {IDC_DIRECTX, "Install DirectX 8.0", 10, 286, 192, false},
        {IDC_DCOM, "Install DCOM95 for Windows 95", 207, 286, 192, false},
        {IDC_HOMEPAGE, "Go to The Varek! homepage", 10, 312, 388, true},
        {IDC_MANUAL, "Manual and Information", 10, 338, 388, true},
        {IDC_EXIT, "Exit program", 10, 364, 388, true},
    };
    for (const Expect& e : buttons) {
        const platform::ui::Control* c = window.GetDlgItem(e.id);
        ASSERT_TRUE(c) << e.id;
        EXPECT_EQ(c->kind, platform::ui::ControlKind::Button);
        EXPECT_EQ(c->text, e.caption);
        EXPECT_EQ(c->x, e.x) << e.id;
        EXPECT_EQ(c->y, e.y) << e.id;
        EXPECT_EQ(c->width, e.width) << e.id;
        EXPECT_EQ(c->height, 22) << e.id;
        EXPECT_EQ(c->enabled, e.enabled) << e.id;
    }
    // The picture frame is there even without its bitmap.
    ASSERT_TRUE(window.GetDlgItem(0));
    EXPECT_EQ(window.GetDlgItem(0)->kind, platform::ui::ControlKind::Picture);
    EXPECT_EQ(window.GetDlgItem(0)->picture, nullptr);

    window.Click(IDC_PLAY); // disabled: nothing
    window.Click(IDC_MANUAL);
    EXPECT_EQ(opened, (std::vector<std::string>{"Manual\\manual.htm"}));
    EXPECT_FALSE(window.Ended());
    window.PressKey(platform::VK_ESCAPE);
    EXPECT_TRUE(window.Ended());
    EXPECT_EQ(window.Result(), 1);
    window.DestroyWindow();
    platform::SetResourceFolder({});
}

} // namespace
