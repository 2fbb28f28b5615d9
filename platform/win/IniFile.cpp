#include "platform/win/IniFile.h"

#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

#include <cstdlib>
#include <optional>

namespace platform {

std::string_view TrimLine(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key)
{
    bool inSection = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line = TrimLine(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            std::string_view name =
                close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1);
            inSection = EqualsNoCase(TrimLine(name), section);
            continue;
        }
        if (!inSection)
            continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        if (EqualsNoCase(TrimLine(line.substr(0, eq)), key)) {
            std::string_view value = TrimLine(line.substr(eq + 1));
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            return std::string(value);
        }
    }
    return std::nullopt;
}

namespace {

std::optional<std::string> Lookup(std::string_view section, std::string_view key, std::string_view fileName)
{
    std::string text;
    if (!ReadTextFile(fileName, text))
        return std::nullopt;
    return FindProfileValue(text, section, key);
}

} // namespace

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         std::string_view fileName)
{
    std::optional<std::string> value = Lookup(section, key, fileName);
    if (!value)
        return defaultValue;
    return int(std::strtol(value->c_str(), nullptr, 10));
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string_view fileName)
{
    std::optional<std::string> value = Lookup(section, key, fileName);
    return value ? *value : std::string(defaultValue);
}

} // namespace platform
