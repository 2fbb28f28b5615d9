#include "LIBS/System/sString.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

constinit const sString sString::empty;

namespace {

char* copyText(const char* s, size_t n)
{
    char* t = new char[n + 1];
    std::memcpy(t, s, n);
    t[n] = 0;
    return t;
}

int compareResult(int c) noexcept
{
    return c < 0 ? 0 : (c == 0 ? 1 : 2);
}

} // namespace

void sString::freeText() noexcept
{
    if (length >= 1)
        delete[] text;
    length = 0;
    text = emptyText;
}

void sString::adopt(char* heapText, int32_t n) noexcept
{
    freeText();
    if (n < 1) {
        delete[] heapText;
        return;
    }
    length = n;
    text = heapText;
}

sString& sString::operator=(const sString& other)
{
    if (this != &other)
        assign(other.text);
    return *this;
}

sString& sString::operator=(sString&& other) noexcept
{
    if (this != &other) {
        freeText();
        length = other.length;
        text = other.text;
        other.length = 0;
        other.text = emptyText;
    }
    return *this;
}

void sString::assign(const char* s)
{
    if (!s || !*s) {
        freeText();
        return;
    }
    size_t n = std::strlen(s);
    char* t = copyText(s, n); // before freeing: s may be our own text
    adopt(t, static_cast<int32_t>(n));
}

sString sString::operator+(const char* right) const
{
    sString result(*this);
    result.append(right);
    return result;
}

void sString::append(const char* s)
{
    if (!s || !*s)
        return;
    size_t add = std::strlen(s);
    size_t n = static_cast<size_t>(length) + add;
    char* t = new char[n + 1];
    std::memcpy(t, text, static_cast<size_t>(length));
    std::memcpy(t + length, s, add);
    t[n] = 0;
    adopt(t, static_cast<int32_t>(n));
}

int sString::compare(const char* other, uint32_t n) const noexcept
{
    size_t count = n == 0xFFFFFFFFu ? static_cast<size_t>(length) : n;
    return compareResult(std::strncmp(text, other ? other : "", count));
}

int sString::compareNoCase(const char* other, uint32_t n) const noexcept
{
    size_t count = n == 0xFFFFFFFFu ? static_cast<size_t>(length) : n;
    return compareResult(strncasecmp(text, other ? other : "", count));
}

sString sString::left(int32_t n) const
{
    sString result;
    result.assignLeft(*this, n);
    return result;
}

sString sString::right(int32_t n) const
{
    if (n < 0)
        n = 0;
    if (n > length)
        n = length;
    sString result;
    if (n > 0)
        result.adopt(copyText(text + length - n, static_cast<size_t>(n)), n);
    return result;
}

sString sString::mid(int32_t pos, int32_t n) const
{
    sString result;
    if (length == 0)
        return result;
    if (pos < 0)
        pos = 0;
    if (pos > length)
        pos = length - 1;
    if (n < 0)
        n = 0;
    if (n > length - pos)
        n = length - pos;
    if (n > 0)
        result.adopt(copyText(text + pos, static_cast<size_t>(n)), n);
    return result;
}

void sString::assignLeft(const sString& source, int32_t n)
{
    if (n < 0)
        n = 0;
    if (n > source.length)
        n = source.length;
    if (n == 0) {
        freeText();
        return;
    }
    adopt(copyText(source.text, static_cast<size_t>(n)), n);
}

int32_t sString::find(char ch, int32_t start) const noexcept
{
    if (length == 0 || start < 0 || start >= length)
        return -1;
    const void* hit =
        std::memchr(text + start, static_cast<unsigned char>(ch), static_cast<size_t>(length - start));
    return hit ? static_cast<int32_t>(static_cast<const char*>(hit) - text) : -1;
}

int32_t sString::reverseFind(char ch, int32_t pos) const noexcept
{
    if (length == 0 || pos < 0 || pos >= length)
        return -1;
    for (int32_t i = length - 1; i >= 0; --i)
        if (text[i] == ch)
            return i;
    return -1;
}

int32_t sString::findText(const char* needle, int32_t start) const noexcept
{
    if (length == 0 || start < 0 || start >= length || !needle)
        return -1;
    const char* hit = std::strstr(text + start, needle);
    return hit ? static_cast<int32_t>(hit - text) : -1;
}

int32_t sString::reverseFindText(const char* needle, int32_t minPos) const noexcept
{
    if (!needle || !*needle)
        return -1;
    size_t n = std::strlen(needle);
    if (n == 1)
        return reverseFind(needle[0], minPos);
    if (length == 0 || minPos < 0 || minPos >= length || n > static_cast<size_t>(length))
        return -1;
    for (int32_t i = length - static_cast<int32_t>(n); i >= minPos; --i)
        if (std::memcmp(text + i, needle, n) == 0)
            return i;
    return -1;
}

void sString::replace(char ch, char newCh) noexcept
{
    if (ch == newCh || length == 0 || newCh == 0)
        return;
    for (int32_t i = 0; i < length; ++i)
        if (text[i] == ch)
            text[i] = newCh;
}

void sString::insertChar(int32_t pos, char ch)
{
    const char s[2] = {ch, 0};
    insert(pos, s);
}

void sString::insert(int32_t pos, const char* s)
{
    if (!s || !*s)
        return;
    if (pos < 0)
        pos = 0;
    if (pos > length)
        pos = length;
    size_t add = std::strlen(s);
    size_t n = static_cast<size_t>(length) + add;
    char* t = new char[n + 1];
    std::memcpy(t, text, static_cast<size_t>(pos));
    std::memcpy(t + pos, s, add);
    std::memcpy(t + pos + add, text + pos, static_cast<size_t>(length - pos));
    t[n] = 0;
    adopt(t, static_cast<int32_t>(n));
}

void sString::trim()
{
    int32_t first = 0;
    while (first < length && text[first] == ' ')
        ++first;
    int32_t last = length;
    while (last > first && text[last - 1] == ' ')
        --last;
    if (first == 0 && last == length)
        return;
    int32_t n = last - first;
    if (n == 0) {
        freeText();
        return;
    }
    adopt(copyText(text + first, static_cast<size_t>(n)), n);
}

void sString::setLength(int32_t n)
{
    if (n == length)
        return;
    if (n <= 0) {
        freeText();
        return;
    }
    char* t = new char[static_cast<size_t>(n) + 1];
    int32_t keep = length < n ? length : n;
    std::memcpy(t, text, static_cast<size_t>(keep));
    std::memset(t + keep, 0, static_cast<size_t>(n - keep) + 1);
    adopt(t, n);
}

void sString::format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    formatV(fmt, args);
    va_end(args);
}

void sString::formatV(const char* fmt, va_list args)
{
    if (!fmt) {
        freeText();
        return;
    }
    // Measure exactly, then format: an estimate could fall short and overrun.
    va_list measure;
    va_copy(measure, args);
    int n = std::vsnprintf(nullptr, 0, fmt, measure);
    va_end(measure);
    if (n <= 0) {
        freeText();
        return;
    }
    char* t = new char[static_cast<size_t>(n) + 1];
    std::vsnprintf(t, static_cast<size_t>(n) + 1, fmt, args);
    // A formatted zero byte ends the text early.
    adopt(t, static_cast<int32_t>(std::strlen(t)));
}

int32_t sString::wordWrap(int32_t width)
{
    if (length <= width || width < 1)
        return 1;
    int32_t p = 0;
    int32_t lines = 1;
    while (length - p > width) {
        int32_t feed = -1;
        int32_t blank = -1;
        for (int32_t i = 0; i < width; ++i) {
            char c = text[p + i];
            if (c == '\n') {
                feed = i;
                break;
            }
            if (c == ' ')
                blank = i;
        }
        if (feed >= 0) {
            p += feed + 1;
        } else if (blank >= 0) {
            text[p + blank] = '\n';
            p += blank + 1;
        } else {
            insertChar(p + width, '\n');
            p += width + 1;
        }
        ++lines;
    }
    return lines;
}
