// Collects the foundation library's log while it lives, then puts the log
// settings back as they were.
#pragma once

#include <sstream>
#include <string>

#include "LIBS/System/sLog.h"

class LogCapture
{
public:
    explicit LogCapture(int level = 3) : saved_(sLog)
    {
        sLog.stream = &text_;
        sLog.level = level;
    }
    ~LogCapture() { sLog = saved_; }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text() const { return text_.str(); }
    void clear() { text_.str(""); }
    int count(const std::string& needle) const
    {
        const std::string s = text_.str();
        int n = 0;
        for (size_t p = s.find(needle); p != std::string::npos; p = s.find(needle, p + 1))
            ++n;
        return n;
    }

private:
    std::ostringstream text_;
    sLogSettings saved_;
};
