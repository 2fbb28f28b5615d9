#pragma once
// A counted string {length, text} of single-byte text.
//
// The text is owned only while `length` is at least 1; a string of length 0
// points at the shared empty text, a static zero byte that is never freed.
// Compare functions return 0 (sorts before), 1 (equal) or 2 (sorts after).

#include <cstdarg>
#include <cstdint>

class sString
{
public:
    constexpr sString() noexcept : length(0), text(emptyText) {}
    sString(const char* s) : sString() { assign(s); }
    sString(const sString& other) : sString() { assign(other.text); }
    sString(sString&& other) noexcept : length(other.length), text(other.text)
    {
        other.length = 0;
        other.text = emptyText;
    }
    ~sString() { freeText(); }

    sString& operator=(const sString& other);
    sString& operator=(sString&& other) noexcept;
    sString& operator=(const char* s)
    {
        assign(s);
        return *this;
    }
    // A null source gives the empty string.
    void assign(const char* s);

    const char* c_str() const noexcept { return text; }
    bool isEmpty() const noexcept { return length == 0; }

    sString operator+(const sString& right) const { return *this + right.text; }
    sString operator+(const char* right) const;
    void append(const char* s);

    // Compare the first n characters; n with all bits set compares this
    // string's own length.
    int compare(const char* other, uint32_t n = 0xFFFFFFFFu) const noexcept;
    int compareNoCase(const char* other, uint32_t n = 0xFFFFFFFFu) const noexcept;

    sString left(int32_t n) const;
    sString right(int32_t n) const;
    // n characters from pos; a pos beyond the end becomes the last character.
    sString mid(int32_t pos, int32_t n) const;
    void assignLeft(const sString& source, int32_t n);

    // -1 when the string is empty, start is outside it, or ch is absent.
    int32_t find(char ch, int32_t start = 0) const noexcept;
    // The last ch of the whole string; -1 when absent, when the string is
    // empty or when pos lies outside it.
    int32_t reverseFind(char ch, int32_t pos = 0) const noexcept;
    int32_t findText(const char* needle, int32_t start = 0) const noexcept;
    // The last occurrence of needle at or after minPos, -1 when there is none.
    // A one-character needle goes to reverseFind.
    int32_t reverseFindText(const char* needle, int32_t minPos = 0) const noexcept;

    void replace(char ch, char newCh) noexcept;
    // pos is clamped to 0 .. length.
    void insertChar(int32_t pos, char ch);
    void insert(int32_t pos, const char* s);
    // Removes leading and trailing spaces.
    void trim();
    // Keeps the first min(length, n) characters; new characters are zero.
    void setLength(int32_t n);

    void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void formatV(const char* fmt, va_list args);

    // Breaks the text into lines of at most `width` characters; returns the line count.
    int32_t wordWrap(int32_t width);

    int32_t length;
    char* text;

    // The shared empty string and its text.
    static inline char emptyText[1] = {0};
    static const sString empty;

private:
    void freeText() noexcept;
    // Takes ownership of a heap text of n characters plus terminator.
    void adopt(char* heapText, int32_t n) noexcept;
};
