#pragma once
// Small text helpers the importers share: numbers read like the run-time's
// atof/atoi (a leading part that parses counts, the rest is ignored), never
// past the end of the view they are given.
#include <cstdint>
#include <string>
#include <string_view>

namespace importtext {

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// The leading number of `text`; false (value untouched) when it has none.
bool ParseFloat(std::string_view text, float& value);
bool ParseDouble(std::string_view text, double& value);
// A decimal integer with an optional sign; false when there are no digits or
// it does not fit.
bool ParseLong(std::string_view text, long& value);

// The next blank-separated word from `pos` on (pos moves past it); empty at
// the end.
std::string_view NextWord(std::string_view text, size_t& pos);

// Up to `size` bytes from the start of a file: the dispatcher asks every
// importer in turn, and each looks at the head before it reads a whole file.
// False when the file cannot be opened.
bool ReadFileHead(const char* path, size_t size, std::string& head);

// Calls `line(view, number)` for every line (LF-separated, numbered from 1).
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& line)
{
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        line(text.substr(start, end - start), ++number);
        start = end + 1;
    }
}

} // namespace importtext
