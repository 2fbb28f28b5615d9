#include "platform/files/Cp1252.h"

namespace platform {

namespace {

// 0x80..0x9F; 0 marks the five undefined bytes.
constexpr uint16_t high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

uint32_t Cp1252ToCodePoint(uint8_t byte)
{
    if (byte >= 0x80 && byte < 0xA0 && high[byte - 0x80])
        return high[byte - 0x80];
    return byte;
}

std::string Cp1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        AppendUtf8(out, Cp1252ToCodePoint(uint8_t(c)));
    return out;
}

std::vector<uint32_t> Utf8ToCodePoints(std::string_view text, uint32_t replacement)
{
    std::vector<uint32_t> out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        uint8_t b = uint8_t(text[i]);
        uint32_t cp;
        size_t len;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            len = 4;
        } else {
            out.push_back(replacement);
            ++i;
            continue;
        }
        if (i + len > text.size()) {
            out.push_back(replacement);
            break;
        }
        bool ok = true;
        for (size_t k = 1; k < len; ++k) {
            uint8_t c = uint8_t(text[i + k]);
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) {
            out.push_back(replacement);
            ++i;
            continue;
        }
        i += len;
        out.push_back(cp);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view text, char replacement)
{
    // A code point no sequence can give marks the undecodable bytes.
    constexpr uint32_t kBad = 0xFFFFFFFFu;
    std::string out;
    for (uint32_t cp : Utf8ToCodePoints(text, kBad)) {
        if (cp == kBad) {
            out += replacement;
            continue;
        }
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += char(cp);
            continue;
        }
        char mapped = replacement;
        for (int k = 0; k < 32; ++k)
            if (high[k] == cp)
                mapped = char(0x80 + k);
        out += mapped;
    }
    return out;
}

} // namespace platform
