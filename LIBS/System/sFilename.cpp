#include "LIBS/System/sFilename.h"

#include <cstring>
#include <unistd.h>

int32_t sFilename::set(const char* name)
{
    if (!name)
        return 0;
    const char* start = name;
    size_t n;
    if (*name == '"') {
        start = name + 1;
        const char* close = std::strchr(start, '"');
        n = close ? static_cast<size_t>(close - start) : std::strlen(start);
    } else {
        n = std::strlen(name);
    }
    if (n > static_cast<size_t>(MaxLength))
        n = MaxLength;
    std::memmove(text, start, n);
    std::memset(text + n, 0, sizeof text - n);
    return ::access(text, F_OK) == 0 ? 3 : 0;
}

void sFilename::directory(char* out) const
{
    if (!out)
        return;
    size_t n = std::strlen(text);
    size_t drive = (n >= 2 && text[1] == ':') ? 2 : 0;
    size_t end = drive;
    for (size_t i = drive; i < n; ++i)
        if (text[i] == '/' || text[i] == '\\')
            end = i + 1;
    std::memcpy(out, text, end);
    out[end] = 0;
}
