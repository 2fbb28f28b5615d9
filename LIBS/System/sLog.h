#pragma once
// The library log: diagnostic lines of the foundation and image libraries.
//
//   [W] @ LIBS/System/sList.h(63):   text      (level >= 2)
//   [N] @ path(line):   text                  (level >= 3)
//   [!]FATAL:  @ path(line):   text          (level >= 1)
//
// A fatal line does not stop anything: the caller goes on to throw or to
// return its failure. The path is the writing source file, relative to the
// source tree root.

#include <cstdint>
#include <ostream>

struct sLogSettings
{
    int32_t level;        // 1 fatal, 2 + warnings, 3 + notes
    std::ostream* stream; // where lines go; standard error by default
};

// Set up by a static initialiser before any other code runs.
extern sLogSettings sLog;

void sLogWarning(const char* file, int line, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
void sLogNote(const char* file, int line, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
void sLogFatal(const char* file, int line, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

// The path as it appears in log lines: relative to the source tree root when
// the file lies inside it, unchanged otherwise.
const char* sLogSourcePath(const char* file);

#define SLOG_WARNING(...) sLogWarning(__FILE__, __LINE__, __VA_ARGS__)
#define SLOG_NOTE(...) sLogNote(__FILE__, __LINE__, __VA_ARGS__)
#define SLOG_FATAL(...) sLogFatal(__FILE__, __LINE__, __VA_ARGS__)
