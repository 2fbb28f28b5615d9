#pragma once
// Text helpers of the rule file and the rules dialog: blanks (0x20 only) and
// ASCII case, angles between the file's degrees and the record's radians, and
// the model list search by name.
#include <string>

class CModelEntry;

inline std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

inline std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

inline float DegreesToRadians(float degrees)
{
    return degrees / 180.0f * 3.1415927f;
}

// The first model-list entry with a model whose own name or entry name is `name`
// (ASCII case ignored), depth first; null when none.
CModelEntry* FindGeneratorModel(const std::string& name);
