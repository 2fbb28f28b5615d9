#pragma once
// State of the application shell that the lower libraries read.

#include <cstdint>
#include <string>

// 1 while the program runs as the game, 0 while it runs as the editor.
extern uint8_t GameModeFlag;

// The LOGGING switch: LogPrintf writes only while it is set. Off by default.
extern uint8_t LoggingSwitch;

// The application log file: the working folder at start-up joined with "log.txt".
extern std::string LogFilePath;

// Builds LogFilePath from the current folder and hands the switch and the path
// to LogPrintf. With the switch on, the previous run's log is deleted so the
// file holds only this run. Call once the command line has been read.
void InitAppLog();
