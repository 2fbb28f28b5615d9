// The launcher program: one instance at a time, its folder made current, dialog 111.
#include "launcher/LauncherWindow.h"
#include "platform/ui/draw/UiDraw.h"

#include <climits>
#include <filesystem>
#include <system_error>
#include <unistd.h>

int main(int, char**)
{
    if (launcher::IsAlreadyRunning())
        return 0;
    std::error_code ec;
    const std::filesystem::path start = std::filesystem::current_path(ec);
    launcher::CLauncherWindow window;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        window.logic.launcherFolder = self.parent_path().string() + "/";
        std::filesystem::current_path(self.parent_path(), ec);
    }
    // A bad switch or script line, or no window: reported, and not as success.
    return platform::ui::RunDialogWindow(window, start.empty() ? std::filesystem::path(".") : start) < 0 ? 1
                                                                                                         : 0;
}
