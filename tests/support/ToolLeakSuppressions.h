#pragma once
// The tools are programs of their own: under the leak checker they need the same
// allowance for the window system's libraries as the test programs.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

inline std::string ToolLeakSuppressions()
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("varek_tool_lsan_" + std::to_string(getpid()) + ".supp");
    std::ofstream(file)
        << "leak:libdbus\nleak:libX11\nleak:libxcb\nleak:libSDL2\nleak:libGLX\nleak:libGL.so\n"
           "leak:libEGL\nleak:libdrm\nleak:_dri.so\nleak:libLLVM\nleak:libfontconfig\n";
    return file.string();
}
