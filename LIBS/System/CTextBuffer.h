#pragma once
// A growable zero-terminated text {text, length, capacity}.

#include <cstdint>

class CTextBuffer
{
public:
    CTextBuffer() noexcept = default;
    CTextBuffer(const CTextBuffer& other);
    CTextBuffer(CTextBuffer&& other) noexcept;
    CTextBuffer& operator=(const CTextBuffer& other);
    CTextBuffer& operator=(CTextBuffer&& other) noexcept;
    ~CTextBuffer() { delete[] text; }

    // Null or empty text frees the buffer. A longer text than the capacity
    // replaces the buffer by one of exactly its length; a shorter one reuses it.
    void Set(const char* s);
    void Append(const char* s);
    // Formats into the existing buffer without growing it; a longer result is
    // cut at the capacity. False when there is no buffer.
    bool Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    const char* c_str() const noexcept { return text ? text : ""; }

    char* text = nullptr; // capacity + 1 bytes, or null
    int32_t length = 0;
    int32_t capacity = 0;
};
