// setup: records its own folder as the game's installation folder and the
// uninstall program beside it, as the game's installer would.
#include "platform/win/Registry.h"
#include "tools/installer/Installer.h"

#include <cstdio>

namespace {

platform::RegValue Text(const std::string& s)
{
    platform::RegValue v;
    v.type = platform::REG_SZ;
    v.data.assign(s.begin(), s.end());
    return v;
}

} // namespace

int main()
{
    const std::string folder = installer::ProgramFolder();
    const bool ok = platform::RegSetValue(platform::HKEY_LOCAL_MACHINE, installer::kProductKey, "InstallPath",
                                          Text(folder)) &&
                    platform::RegSetValue(platform::HKEY_LOCAL_MACHINE, installer::kProductKey,
                                          "UninstallCommand", Text(folder + "/uninstall"));
    if (!ok) {
        std::fprintf(stderr, "setup: %s: cannot be written\n",
                     platform::RegistryFile(platform::HKEY_LOCAL_MACHINE).c_str());
        return 1;
    }
    std::printf("The Varek! Demo is installed in %s\n", folder.c_str());
    return 0;
}
