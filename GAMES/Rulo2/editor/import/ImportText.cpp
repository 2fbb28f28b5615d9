#include "GAMES/Rulo2/editor/import/ImportText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/files/Files.h"

namespace importtext {

namespace {

template <typename T>
bool ParseReal(std::string_view text, T& value)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // from_chars takes no '+' and no sign before the digits of a negative we
    // have taken already, so it only ever sees the magnitude.
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return false;
    T parsed{};
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), parsed);
    if (ec == std::errc::invalid_argument || end == text.data() + i)
        return false;
    // Out of range, infinities and NaN would spread through bounds and normals.
    if (ec == std::errc::result_out_of_range || !std::isfinite(parsed))
        return false;
    value = negative ? -parsed : parsed;
    return true;
}

} // namespace

bool ParseFloat(std::string_view text, float& value)
{
    return ParseReal(text, value);
}

bool ParseDouble(std::string_view text, double& value)
{
    return ParseReal(text, value);
}

bool ParseLong(std::string_view text, long& value)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    long parsed = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), parsed);
    if (ec != std::errc() || end == text.data() + i)
        return false;
    value = parsed;
    return true;
}

bool ReadFileHead(const char* path, size_t size, std::string& head)
{
    std::FILE* f = path ? platform::OpenFile(path, "rb") : nullptr;
    if (!f)
        return false;
    head.resize(size);
    head.resize(std::fread(head.data(), 1, size, f));
    std::fclose(f);
    return true;
}

std::string_view NextWord(std::string_view text, size_t& pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    const size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos]))
        ++pos;
    return text.substr(start, pos - start);
}

} // namespace importtext
