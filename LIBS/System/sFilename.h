#pragma once
// A fixed-size file name: room for 260 characters (the platform's path
// limit); the name is the zero-terminated prefix of the text.

#include <cstdint>

class sFilename
{
public:
    static constexpr int32_t MaxLength = 260;

    sFilename() noexcept = default;

    // Takes a name (a name in double quotes up to the closing quote, without
    // the quotes), cut at 260 characters. Returns 3 when a file of that name
    // exists, else 0; null gives 0 and leaves the name unchanged.
    int32_t set(const char* name);

    // Writes the drive and directory parts of the name into `out`, which must
    // hold MaxLength + 1 bytes.
    void directory(char* out) const;

    const char* c_str() const noexcept { return text; }

    int32_t length = MaxLength;
    char text[MaxLength + 1] = {};
};
