#include "LIBS/System/sLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>

sLogSettings sLog = {3, &std::cerr};

namespace {

// The shadow-map worker may log while the main thread does; keep lines whole.
std::mutex& logMutex()
{
    static std::mutex m;
    return m;
}

std::string formatMessage(const char* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n <= 0)
        return std::string();
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), fmt, args);
    text.resize(static_cast<size_t>(n));
    return text;
}

void writeLine(const char* tag, const char* file, int line, const char* fmt, va_list args)
{
    std::string message = formatMessage(fmt, args);
    std::lock_guard<std::mutex> lock(logMutex());
    if (!sLog.stream)
        return;
    *sLog.stream << tag << " @ " << sLogSourcePath(file) << '(' << line << "):   " << message << '\n';
    sLog.stream->flush();
}

} // namespace

const char* sLogSourcePath(const char* file)
{
    if (!file)
        return "";
    // This file sits at LIBS/System/sLog.cpp below the root; what precedes
    // that in its own __FILE__ is the root prefix every other file shares.
    static const char* const self = __FILE__;
    static const size_t rootLength = [] {
        const char* tail = std::strstr(self, "LIBS/System/sLog.cpp");
        return tail ? static_cast<size_t>(tail - self) : size_t{0};
    }();
    if (rootLength > 0 && std::strncmp(file, self, rootLength) == 0)
        return file + rootLength;
    return file;
}

void sLogWarning(const char* file, int line, const char* fmt, ...)
{
    if (sLog.level < 2)
        return;
    va_list args;
    va_start(args, fmt);
    writeLine("[W]", file, line, fmt, args);
    va_end(args);
}

void sLogNote(const char* file, int line, const char* fmt, ...)
{
    if (sLog.level < 3)
        return;
    va_list args;
    va_start(args, fmt);
    writeLine("[N]", file, line, fmt, args);
    va_end(args);
}

void sLogFatal(const char* file, int line, const char* fmt, ...)
{
    if (sLog.level < 1)
        return;
    va_list args;
    va_start(args, fmt);
    writeLine("[!]FATAL: ", file, line, fmt, args);
    va_end(args);
}
