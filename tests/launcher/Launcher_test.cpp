// The launcher's dialog decisions, its registry use, the shell stand-in and the
// single-instance lock.
#include "launcher/Launcher.h"

#include "platform/files/WinPath.h"
#include "platform/win/Registry.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

using namespace launcher;
namespace fs = std::filesystem;

namespace {

struct Opened
{
    std::string file, params, dir;
    bool operator==(const Opened&) const = default;
};

platform::RegValue Text(const std::string& s)
{
    platform::RegValue v;
    v.type = platform::REG_SZ;
    v.data.assign(s.begin(), s.end());
    return v;
}

class LauncherTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", (dir.path / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    }
    void SetInstallPath(const std::string& folder) const
    {
        platform::RegSetValue(platform::HKEY_LOCAL_MACHINE, kProductKey, "InstallPath", Text(folder));
    }
    void SetUninstall(const std::string& command) const
    {
        platform::RegSetValue(platform::HKEY_LOCAL_MACHINE, kProductKey, "UninstallCommand", Text(command));
    }
    // A dialog whose shell only records what it was asked to open.
    CLauncherDialog Open(int year = 2026)
    {
        CLauncherDialog d;
        d.launcherFolder = "/opt/launch/";
        d.shellOpen = [this](const std::string& f, const std::string& p, const std::string& w) {
            opened.push_back({f, p, w});
        };
        d.localYear = [year] { return year; };
        d.InitDialog();
        return d;
    }
    static std::string Slurp(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Waits for a file a started program writes.
    static std::string WaitFor(const fs::path& p)
    {
        for (int i = 0; i < 500 && !fs::exists(p); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return Slurp(p);
    }

    TempDir dir;
    std::vector<Opened> opened;
};

TEST_F(LauncherTest, NotInstalledOffersInstallWithPlayAndResetDisabled)
{
    CLauncherDialog d = Open();
    EXPECT_EQ(d.caption, "The Varek! Demo");
    EXPECT_EQ(d.Find(IDC_INSTALL)->caption, "Install The Varek! Demo");
    EXPECT_EQ(d.notInstalled, 1);
    const std::pair<int, bool> enabled[] = {{IDC_PLAY, false},    {IDC_INSTALL, true}, {IDC_RESET, false},
                                            {IDC_DIRECTX, false}, {IDC_DCOM, false},   {IDC_HOMEPAGE, true},
                                            {IDC_MANUAL, true},   {IDC_EXIT, true}};
    for (const auto& [id, on] : enabled)
        EXPECT_EQ(d.Find(id)->enabled, on) << id;
    EXPECT_EQ(d.Find(IDC_PLAY)->caption, "Play The Varek! Demo");
    EXPECT_EQ(d.Find(IDC_DCOM)->caption, "Install DCOM95 for Windows 95");

    // Manual and home page open and leave the dialog; exit ends it with 1.
    d.Command(IDC_MANUAL);
    d.Command(IDC_PLAY); // disabled: no command
    EXPECT_FALSE(d.ended);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (Opened{"Manual\\manual.htm", "", ""}));
    d.Command(IDC_EXIT);
    EXPECT_TRUE(d.ended);
    EXPECT_EQ(d.result, 1);
}

TEST_F(LauncherTest, InstalledPlaysTheGameInItsFolderAndCloses)
{
    for (const std::string folder : {"/games/varek", "/games/varek/"}) {
        SetInstallPath(folder);
        opened.clear();
        CLauncherDialog d = Open();
        EXPECT_EQ(d.Find(IDC_INSTALL)->caption, "Uninstall The Varek! Demo");
        EXPECT_TRUE(d.Find(IDC_PLAY)->enabled && d.Find(IDC_RESET)->enabled);
        d.Command(IDC_PLAY);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0], (Opened{folder + "\\Varek.exe", "", folder}));
        EXPECT_EQ(platform::ResolvePath(opened[0].file), fs::path("/games/varek/Varek.exe"));
        EXPECT_TRUE(d.ended);
    }
    // Longer than the 260-byte buffer: unreadable, so not installed.
    SetInstallPath("/" + std::string(259, 'x'));
    EXPECT_EQ(Open().notInstalled, 1);
}

TEST_F(LauncherTest, UninstallPassesOnlyTheSecondWord)
{
    SetInstallPath("/games/varek");
    {
        CLauncherDialog d = Open();
        d.Command(IDC_INSTALL); // no uninstall command: nothing, the dialog stays
        EXPECT_TRUE(opened.empty());
        EXPECT_FALSE(d.ended);
    }
    const std::pair<std::string, Opened> cases[] = {
        {"/u/remove", {"/u/remove", "", ""}},
        {"  /u/remove   -quiet", {"/u/remove", "-quiet", ""}},
        {"/u/remove -quiet extra words", {"/u/remove", "-quiet", ""}},
    };
    for (const auto& [command, expected] : cases) {
        SetUninstall(command);
        opened.clear();
        CLauncherDialog d = Open();
        d.Command(IDC_INSTALL);
        ASSERT_EQ(opened.size(), 1u) << command;
        EXPECT_EQ(opened[0], expected) << command;
        EXPECT_TRUE(d.ended);
    }
}

TEST_F(LauncherTest, ResetWritesTheFiveDefaultsOnlyIntoAnExistingKey)
{
    ResetSettings();
    EXPECT_FALSE(fs::exists(platform::RegistryFile(platform::HKEY_CURRENT_USER)));

    platform::RegSetValue(platform::HKEY_CURRENT_USER, kSettingsKey, "MainWnd-W", Text("junk"));
    CLauncherDialog d = Open();
    // Install resets before the setup program starts.
    d.shellOpen = [this](const std::string& f, const std::string& p, const std::string& w) {
        platform::RegValue v;
        EXPECT_TRUE(platform::RegQueryValue(platform::HKEY_CURRENT_USER, kSettingsKey, "HighResTextures", v));
        opened.push_back({f, p, w});
    };
    d.Command(IDC_INSTALL);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (Opened{"/opt/launch/Setup.exe", "", ""}));
    EXPECT_TRUE(d.ended);

    const std::pair<const char*, uint32_t> values[] = {
        {"MainWnd-W", 640}, {"MainWnd-H", 480}, {"MipMap", 0}, {"Shadowmaps", 0}, {"HighResTextures", 1}};
    for (const auto& [name, value] : values) {
        platform::RegValue v;
        ASSERT_TRUE(platform::RegQueryValue(platform::HKEY_CURRENT_USER, kSettingsKey, name, v)) << name;
        EXPECT_EQ(v.type, platform::REG_DWORD) << name;
        EXPECT_EQ(v.data, (std::vector<uint8_t>{uint8_t(value), uint8_t(value >> 8), 0, 0})) << name;
    }
}

TEST_F(LauncherTest, TheHomePageFollowsTheLocalYear)
{
    for (const auto& [year, page] : {std::pair{2002, kProductPage}, std::pair{2003, kMakerPage}}) {
        opened.clear();
        CLauncherDialog d = Open(year);
        d.Command(IDC_HOMEPAGE);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0].file, page);
        EXPECT_FALSE(d.ended);
    }
}

TEST_F(LauncherTest, ShellStartsProgramsDetachedInTheirFolderAndDocumentsWithXdgOpen)
{
    // A fake game ("Varek.exe" is the program "Varek") and a fake xdg-open first on PATH.
    const fs::path game = dir.Write("inst/Varek", "#!/bin/sh\npwd > ran.txt\necho \"$#:$1\" >> ran.txt\n");
    fs::permissions(game, fs::perms::owner_all);
    const fs::path open =
        dir.Write("bin/xdg-open", "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n");
    fs::permissions(open, fs::perms::owner_all);
    setenv("PATH", ((dir.path / "bin").string() + ":" + std::getenv("PATH")).c_str(), 1);

    ShellOpen((dir.path / "inst").string() + "\\Varek.exe", "", (dir.path / "inst").string());
    EXPECT_EQ(WaitFor(dir.path / "inst/ran.txt"), (dir.path / "inst").string() + "\n0:\n");
    fs::remove(dir.path / "inst/ran.txt");
    ShellOpen((dir.path / "inst/Varek").string(), "-x", (dir.path / "inst/").string());
    EXPECT_NE(WaitFor(dir.path / "inst/ran.txt").find("1:-x"), std::string::npos);

    dir.Write("inst/Manual/Manual.htm", "<html></html>");
    const fs::path cwd = fs::current_path();
    fs::current_path(dir.path / "inst");
    ShellOpen("Manual\\manual.htm", "", "");
    fs::current_path(cwd);
    EXPECT_EQ(WaitFor(dir.path / "bin/opened.txt"), (dir.path / "inst/Manual/Manual.htm").string() + "\n");

    // A missing program fails silently, and no child is left behind.
    ShellOpen((dir.path / "nothing.exe").string(), "", "");
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(LauncherTest, OneInstanceHoldsTheLockUntilItEndsAndGamesDoNotInheritIt)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const fs::path sleeper = dir.Write("sleeper", "#!/bin/sh\nexec >/dev/null 2>&1\nsleep 3\n");
    fs::permissions(sleeper, fs::perms::owner_all);
    const pid_t first = fork();
    if (first == 0) {
        const bool running = IsAlreadyRunning();
        // Starts a program as Play would, then waits to be killed.
        ShellOpen(sleeper.string(), "", "");
        char c = running ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        pause();
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'n');

    // A second launcher while the first runs.
    const pid_t second = fork();
    if (second == 0)
        _exit(IsAlreadyRunning() ? 0 : 1);
    int status = 0;
    waitpid(second, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // Killed, the first leaves the lock free though the program it started runs on.
    kill(first, SIGKILL);
    waitpid(first, &status, 0);
    EXPECT_FALSE(IsAlreadyRunning());
    EXPECT_TRUE(IsAlreadyRunning()); // this process holds it now
    close(ready[0]);
    close(ready[1]);
}

} // namespace
