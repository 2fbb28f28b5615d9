// uninstall: removes what setup recorded; the game's files stay where they are.
#include "platform/win/Registry.h"
#include "tools/installer/Installer.h"

#include <cstdio>

int main()
{
    if (!platform::RegKeyExists(platform::HKEY_LOCAL_MACHINE, installer::kProductKey)) {
        std::printf("The Varek! Demo is not installed\n");
        return 0;
    }
    if (!platform::RegDeleteKey(platform::HKEY_LOCAL_MACHINE, installer::kProductKey)) {
        std::fprintf(stderr, "uninstall: %s: cannot be written\n",
                     platform::RegistryFile(platform::HKEY_LOCAL_MACHINE).c_str());
        return 1;
    }
    std::printf("The Varek! Demo is uninstalled\n");
    return 0;
}
