#include "tools/installer/Installer.h"

#include <filesystem>

namespace installer {

std::string ProgramFolder()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path().string() : self.parent_path().string();
}

} // namespace installer
