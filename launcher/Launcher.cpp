#include "launcher/Launcher.h"

#include "platform/files/WinPath.h"
#include "platform/win/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace launcher {

namespace {

// The Part's text buffers hold 260 bytes with the terminating zero.
constexpr size_t kMaxText = 259;

bool EndsWithNoCase(const std::string& s, const char* tail)
{
    const size_t n = std::char_traits<char>::length(tail);
    return s.size() >= n && platform::EqualsNoCase(std::string_view(s).substr(s.size() - n), tail);
}

bool IsDocument(const std::string& file)
{
    return EndsWithNoCase(file, ".htm") || EndsWithNoCase(file, ".html") || file.rfind("http:", 0) == 0 ||
           file.rfind("https:", 0) == 0;
}

// "X.exe" is the program "X" here; the file itself wins when it exists.
std::filesystem::path ProgramFile(const std::string& file)
{
    std::filesystem::path p = platform::ResolvePath(file);
    std::error_code ec;
    if (std::filesystem::exists(p, ec) || !EndsWithNoCase(file, ".exe"))
        return p;
    return platform::ResolvePath(file.substr(0, file.size() - 4));
}

// The single-instance lock's descriptor (-1: none).
int lockFd = -1;

// Forks twice so that the started program is adopted by init and never left
// as a zombie of ours; the launcher does not wait for it.
void StartDetached(const std::vector<std::string>& argv, const std::string& dir)
{
    const pid_t child = fork();
    if (child < 0)
        return;
    if (child == 0) {
        // A forked copy shares the lock until it closes its descriptor; close-on-exec
        // alone would leave it held until the exec, so a launcher ending meanwhile
        // (even killed) would still count as running. Closed here, before the
        // program's own fork, no descendant holds it once this returns.
        if (lockFd >= 0)
            close(lockFd);
        if (fork() != 0)
            _exit(0);
        setsid();
        if (!dir.empty() && chdir(dir.c_str()) != 0)
            _exit(127);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

} // namespace

std::string LockFilePath()
{
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run)
        return std::string(run) + "/Varek.lock";
    return (std::filesystem::temp_directory_path() / ("Varek-" + std::to_string(getuid()) + ".lock"))
        .string();
}

bool IsAlreadyRunning()
{
    // The descriptor stays open until the process ends; close-on-exec keeps the
    // game started from the launcher from holding it.
    const int fd = open(LockFilePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false; // no lock to be had: run rather than lock the player out
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return true;
    }
    lockFd = fd;
    return false;
}

bool ReadRegistryValue(const char* key, const char* name, std::string& value)
{
    if (!platform::RegKeyExists(platform::HKEY_LOCAL_MACHINE, key))
        return false;
    platform::RegValue v;
    if (!platform::RegQueryValue(platform::HKEY_LOCAL_MACHINE, key, name, v) || v.type != platform::REG_SZ)
        return false;
    std::string text(v.data.begin(), v.data.end());
    if (const size_t zero = text.find('\0'); zero != std::string::npos)
        text.resize(zero);
    if (text.size() > kMaxText)
        return false;
    value = text;
    return true;
}

bool WriteRegistryDword(const char* key, const char* name, uint32_t value)
{
    if (!platform::RegKeyExists(platform::HKEY_CURRENT_USER, key))
        return false;
    platform::RegValue v;
    v.type = platform::REG_DWORD;
    for (int i = 0; i < 4; ++i)
        v.data.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return platform::RegSetValue(platform::HKEY_CURRENT_USER, key, name, v);
}

void ResetSettings()
{
    WriteRegistryDword(kSettingsKey, "MainWnd-W", 640);
    WriteRegistryDword(kSettingsKey, "MainWnd-H", 480);
    WriteRegistryDword(kSettingsKey, "MipMap", 0);
    WriteRegistryDword(kSettingsKey, "Shadowmaps", 0);
    WriteRegistryDword(kSettingsKey, "HighResTextures", 1);
}

void ShellOpen(const std::string& file, const std::string& params, const std::string& dir)
{
    if (file.empty())
        return;
    if (IsDocument(file)) {
        const bool address = file.rfind("http", 0) == 0;
        StartDetached(
            {"xdg-open", address ? file : std::filesystem::absolute(platform::ResolvePath(file)).string()},
            dir);
        return;
    }
    std::vector<std::string> argv = {ProgramFile(file).string()};
    if (!params.empty())
        argv.push_back(params);
    std::string nativeDir = dir.empty() ? std::string() : platform::ResolvePath(dir).string();
    StartDetached(argv, nativeDir);
}

CLauncherDialog::CLauncherDialog()
{
    // The template's placeholders; InitDialog sets the real captions.
    buttons = {
        {IDC_PLAY, "Button1", 7, 128, 259},   {IDC_INSTALL, "Button2", 7, 144, 259},
        {IDC_RESET, "Button3", 7, 160, 259},  {IDC_DIRECTX, "Button4", 7, 176, 128},
        {IDC_DCOM, "Button5", 138, 176, 128}, {IDC_HOMEPAGE, "Button6", 7, 192, 259},
        {IDC_MANUAL, "Button7", 7, 208, 259}, {IDC_EXIT, "Button8", 7, 224, 259},
    };
    shellOpen = ShellOpen;
    localYear = [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return local.tm_year + 1900;
    };
}

Button* CLauncherDialog::Find(int id)
{
    for (Button& b : buttons)
        if (b.id == id)
            return &b;
    return nullptr;
}

const Button* CLauncherDialog::Find(int id) const
{
    return const_cast<CLauncherDialog*>(this)->Find(id);
}

void CLauncherDialog::Open(const std::string& file, const std::string& params, const std::string& dir) const
{
    if (shellOpen)
        shellOpen(file, params, dir);
}

void SetInstallButtons(CLauncherDialog& dialog, int installed)
{
    if (installed != 0 && installed != 1)
        return;
    dialog.Find(IDC_INSTALL)->caption = installed ? "Uninstall The Varek! Demo" : "Install The Varek! Demo";
    dialog.notInstalled = installed ? 0 : 1;
    dialog.Find(IDC_PLAY)->enabled = installed == 1;
    dialog.Find(IDC_RESET)->enabled = installed == 1;
}

void ReadInstallState(CLauncherDialog& dialog)
{
    std::string folder;
    if (!ReadRegistryValue(kProductKey, "InstallPath", folder)) {
        SetInstallButtons(dialog, 0);
        return;
    }
    SetInstallButtons(dialog, 1);
    dialog.installFolder = folder;
    // A folder ending in a separator gets a second one; paths take that.
    dialog.gamePath = folder + "\\" + "Varek.exe";
}

void CLauncherDialog::InitDialog()
{
    caption = kTitle;
    const std::pair<int, const char*> captions[] = {
        {IDC_PLAY, "Play The Varek! Demo"},
        {IDC_DIRECTX, "Install DirectX 8.0"},
        {IDC_DCOM, "Install DCOM95 for Windows 95"},
        {IDC_RESET, "Reset settings to default"},
        {IDC_HOMEPAGE, "Go to The Varek! homepage"},
        {IDC_MANUAL, "Manual and Information"},
        {IDC_EXIT, "Exit program"},
    };
    for (const auto& [id, text] : captions)
        Find(id)->caption = text;
    Find(IDC_DIRECTX)->enabled = false;
    Find(IDC_DCOM)->enabled = false;
    ReadInstallState(*this);
}

void CLauncherDialog::Command(int id)
{
    if (const Button* b = Find(id); b && !b->enabled)
        return;
    switch (id) {
    case IDC_PLAY:
        Open(gamePath, "", installFolder);
        Command(IDCANCEL);
        break;
    case IDC_INSTALL:
        if (notInstalled) {
            ResetSettings();
            Open(launcherFolder + "Setup.exe", "", "");
            Command(IDCANCEL);
        } else {
            std::string command;
            if (!ReadRegistryValue(kProductKey, "UninstallCommand", command))
                break;
            // Runs of blanks separate words; only the first two count.
            std::vector<std::string> words;
            size_t at = 0;
            while (words.size() < 2) {
                at = command.find_first_not_of(' ', at);
                if (at == std::string::npos)
                    break;
                const size_t end = std::min(command.find(' ', at), command.size());
                words.push_back(command.substr(at, end - at));
                at = end;
            }
            Open(words.empty() ? std::string() : words[0], words.size() > 1 ? words[1] : std::string(), "");
            Command(IDCANCEL);
        }
        break;
    case IDC_RESET:
        ResetSettings();
        break;
    case IDC_MANUAL:
        Open(kManualPage, "", "");
        break;
    case IDC_HOMEPAGE:
        Open(localYear() < 2003 ? kProductPage : kMakerPage, "", "");
        break;
    case IDC_EXIT:
    case IDCANCEL:
        ended = true;
        result = 1;
        break;
    default:
        break;
    }
}

} // namespace launcher
