#include "GAMES/Rulo2/app/AppGlobals.h"

#include "LIBS/System/LogPrintf.h"

#include <filesystem>
#include <system_error>

uint8_t GameModeFlag = 1;
uint8_t LoggingSwitch = 0;
std::string LogFilePath;

void InitAppLog()
{
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::current_path(ec);
    LogFilePath = (ec ? std::filesystem::path("log.txt") : folder / "log.txt").string();
    if (LoggingSwitch)
        std::filesystem::remove(LogFilePath, ec);
    LogPrintfSetTarget(&LoggingSwitch, LogFilePath.c_str());
}
