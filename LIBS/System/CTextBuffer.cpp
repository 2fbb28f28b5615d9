#include "LIBS/System/CTextBuffer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

CTextBuffer::CTextBuffer(const CTextBuffer& other)
{
    *this = other;
}

CTextBuffer::CTextBuffer(CTextBuffer&& other) noexcept
    : text(other.text), length(other.length), capacity(other.capacity)
{
    other.text = nullptr;
    other.length = other.capacity = 0;
}

CTextBuffer& CTextBuffer::operator=(const CTextBuffer& other)
{
    if (this == &other)
        return *this;
    char* fresh = nullptr;
    if (other.text) {
        fresh = new char[static_cast<size_t>(other.capacity) + 1];
        std::memcpy(fresh, other.text, static_cast<size_t>(other.length) + 1);
    }
    delete[] text;
    text = fresh;
    length = other.length;
    capacity = other.capacity;
    return *this;
}

CTextBuffer& CTextBuffer::operator=(CTextBuffer&& other) noexcept
{
    if (this != &other) {
        delete[] text;
        text = std::exchange(other.text, nullptr);
        length = std::exchange(other.length, 0);
        capacity = std::exchange(other.capacity, 0);
    }
    return *this;
}

void CTextBuffer::Set(const char* s)
{
    if (!s || !*s) {
        delete[] text;
        text = nullptr;
        length = capacity = 0;
        return;
    }
    size_t n = std::strlen(s);
    if (static_cast<int64_t>(n) > capacity || !text) {
        char* fresh = new char[n + 1];
        std::memcpy(fresh, s, n + 1); // s may lie in the old buffer
        delete[] text;
        text = fresh;
        capacity = static_cast<int32_t>(n);
    } else {
        std::memmove(text, s, n + 1);
    }
    length = static_cast<int32_t>(n);
}

void CTextBuffer::Append(const char* s)
{
    if (!s)
        return;
    size_t add = std::strlen(s);
    size_t n = static_cast<size_t>(length) + add;
    if (static_cast<int64_t>(n) > capacity || !text) {
        char* fresh = new char[n + 1];
        if (text)
            std::memcpy(fresh, text, static_cast<size_t>(length));
        std::memcpy(fresh + length, s, add); // s may lie in the old buffer
        fresh[n] = 0;
        delete[] text;
        text = fresh;
        capacity = static_cast<int32_t>(n);
    } else {
        std::memmove(text + length, s, add);
        text[n] = 0;
    }
    length = static_cast<int32_t>(n);
}

bool CTextBuffer::Format(const char* fmt, ...)
{
    if (capacity == 0 || !text || !fmt)
        return false;
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, static_cast<size_t>(capacity) + 1, fmt, args);
    va_end(args);
    length = static_cast<int32_t>(std::strlen(text));
    return true;
}
