#include "LIBS/System/LogPrintf.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace {

struct AppLogTarget
{
    const uint8_t* loggingSwitch = nullptr;
    std::string path;
    std::mutex mutex;
};

AppLogTarget& target()
{
    static AppLogTarget t;
    return t;
}

} // namespace

void LogPrintfSetTarget(const uint8_t* loggingSwitch, const char* path)
{
    AppLogTarget& t = target();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.loggingSwitch = loggingSwitch;
    t.path = path ? path : "";
}

void LogPrintf(const char* fmt, ...)
{
    AppLogTarget& t = target();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (!t.loggingSwitch || *t.loggingSwitch == 0 || t.path.empty() || !fmt)
        return;
    char buffer[LogPrintfLineMax];
    va_list args;
    va_start(args, fmt);
    // vsnprintf cuts an over-long line instead of running past the buffer.
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    std::FILE* f = std::fopen(t.path.c_str(), "a+");
    if (!f)
        return;
    std::fprintf(f, "%s\n", buffer);
    std::fclose(f);
}
