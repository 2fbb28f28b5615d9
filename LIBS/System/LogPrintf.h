#pragma once
// The application log: one line per call appended to a file, only while the
// application's LOGGING switch is on. The application owns the switch and the
// path and hands them over with LogPrintfSetTarget; the file is opened and
// closed for every line.

#include <cstdint>

// `loggingSwitch` is read on every call (null counts as off); the path is copied.
void LogPrintfSetTarget(const uint8_t* loggingSwitch, const char* path);

void LogPrintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Lines longer than this are cut to LogPrintfLineMax - 1 characters.
constexpr int LogPrintfLineMax = 1024;
