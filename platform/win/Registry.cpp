#include "platform/win/Registry.h"
#include "platform/win/RegistryText.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/WinPath.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {

namespace {

std::mutex registryMutex;

const char* RootName(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

fs::path ConfigFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg)
        return fs::path(xdg) / "varek";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".config" / "varek";
}

std::string NormaliseKey(std::string_view subKey)
{
    std::string out;
    for (char c : subKey) {
        if (c == '/')
            c = '\\';
        if (c == '\\' && (out.empty() || out.back() == '\\'))
            continue;
        out += c;
    }
    while (!out.empty() && out.back() == '\\')
        out.pop_back();
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A quoted string starting at s[pos] == '"'; pos ends after the closing quote.
bool ParseQuoted(const std::string& s, size_t& pos, std::string& out)
{
    if (pos >= s.size() || s[pos] != '"')
        return false;
    out.clear();
    for (++pos; pos < s.size(); ++pos) {
        char c = s[pos];
        if (c == '\\' && pos + 1 < s.size()) {
            out += s[++pos];
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

bool ParseHexBytes(std::string_view text, std::vector<uint8_t>& out)
{
    out.clear();
    int hi = -1;
    for (char c : text) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (hi >= 0)
                return false;
            continue;
        }
        int d = HexDigit(c);
        if (d < 0)
            return false;
        if (hi < 0) {
            hi = d;
        } else {
            out.push_back(uint8_t(hi * 16 + d));
            hi = -1;
        }
    }
    return hi < 0;
}

bool ParseValueLine(const std::string& line, std::string& name, RegValue& value)
{
    size_t pos = 0;
    if (line[0] == '@') {
        name.clear();
        pos = 1;
    } else if (!ParseQuoted(line, pos, name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=')
        return false;
    ++pos;
    std::string_view rest = std::string_view(line).substr(pos);
    if (!rest.empty() && rest[0] == '"') {
        std::string text;
        if (!ParseQuoted(line, pos, text) || pos != line.size())
            return false;
        value.type = REG_SZ;
        value.data.assign(text.begin(), text.end());
        return true;
    }
    if (rest.substr(0, 6) == "dword:") {
        std::string_view digits = rest.substr(6);
        if (digits.empty() || digits.size() > 8)
            return false;
        uint32_t v = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0)
                return false;
            v = v * 16 + uint32_t(d);
        }
        value.type = REG_DWORD;
        value.data = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        return true;
    }
    if (rest.substr(0, 4) == "hex:") {
        value.type = REG_BINARY;
        return ParseHexBytes(rest.substr(4), value.data);
    }
    if (rest.substr(0, 4) == "hex(") {
        size_t close = rest.find("):");
        if (close == std::string_view::npos)
            return false;
        value.type = uint32_t(std::strtoul(std::string(rest.substr(4, close - 4)).c_str(), nullptr, 16));
        return ParseHexBytes(rest.substr(close + 2), value.data);
    }
    return false;
}

RegKey* FindKey(RegFile& file, std::string_view path)
{
    for (RegKey& k : file.keys)
        if (EqualsNoCase(k.path, path))
            return &k;
    return nullptr;
}

} // namespace

void ParseRegistryText(HKEY root, std::string_view textView, RegFile& file)
{
    file = RegFile{};
    const std::string text(textView);
    std::string prefix = std::string(RootName(root)) + "\\";
    RegKey* current = nullptr;
    bool header = false;
    size_t pos = 0;
    std::string line;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        line.assign(text, pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // Continued hex lists end their lines with '\'.
        while (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos &&
               pos < text.size()) {
            line.pop_back();
            size_t e2 = text.find('\n', pos);
            if (e2 == std::string::npos)
                e2 = text.size();
            std::string more(text, pos, e2 - pos);
            pos = e2 + 1;
            size_t first = more.find_first_not_of(" \t");
            line += first == std::string::npos ? std::string() : more.substr(first);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
        }
        if (line.empty() || line[0] == ';')
            continue;
        if (!header) {
            header = true;
            if (line == "REGEDIT4" || line == "Windows Registry Editor Version 5.00")
                continue;
            ++file.badLines;
            continue;
        }
        if (line[0] == '[') {
            current = nullptr;
            if (line.back() != ']' || line.size() < prefix.size() + 2 ||
                !EqualsNoCase(std::string_view(line).substr(1, prefix.size()), prefix)) {
                ++file.badLines;
                continue;
            }
            std::string path = NormaliseKey(
                std::string_view(line).substr(1 + prefix.size(), line.size() - prefix.size() - 2));
            current = FindKey(file, path);
            if (!current) {
                file.keys.push_back(RegKey{path, {}});
                current = &file.keys.back();
            }
            continue;
        }
        std::string name;
        RegValue value;
        if (!current || !ParseValueLine(line, name, value)) {
            ++file.badLines;
            continue;
        }
        bool replaced = false;
        for (auto& [n, v] : current->values)
            if (EqualsNoCase(n, name)) {
                v = value;
                replaced = true;
            }
        if (!replaced)
            current->values.emplace_back(name, value);
    }
}

namespace {

bool Load(HKEY root, RegFile& file, bool& exists)
{
    file = RegFile{};
    fs::path p = RegistryFile(root);
    std::error_code ec;
    exists = fs::exists(p, ec);
    if (!exists)
        return true;
    std::ifstream in(p, std::ios::binary);
    if (!in)
        return false;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ParseRegistryText(root, text, file);
    // Every read loads the file again; the damage is told once per file, not once per value.
    static std::set<std::string> reported;
    if (file.badLines && reported.insert(p.string()).second)
        std::fprintf(stderr, "%s: %d unreadable line(s) skipped\n", p.c_str(), file.badLines);
    return true;
}

void AppendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

void AppendHex(std::string& out, const std::vector<uint8_t>& data)
{
    static const char digits[] = "0123456789abcdef";
    for (size_t i = 0; i < data.size(); ++i) {
        if (i)
            out += ',';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
}

} // namespace

std::string RegistryToText(HKEY root, const RegFile& file)
{
    std::string out = "REGEDIT4\n";
    for (const RegKey& k : file.keys) {
        out += "\n[";
        out += RootName(root);
        out += '\\';
        out += k.path;
        out += "]\n";
        for (const auto& [name, v] : k.values) {
            if (name.empty())
                out += '@';
            else
                AppendQuoted(out, name);
            out += '=';
            bool plainText = v.type == REG_SZ;
            for (uint8_t b : v.data)
                if (b == 0 || b == '\n' || b == '\r')
                    plainText = false;
            if (plainText) {
                AppendQuoted(out,
                             std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size()));
            } else if (v.type == REG_DWORD && v.data.size() == 4) {
                char buf[16];
                uint32_t d = uint32_t(v.data[0]) | uint32_t(v.data[1]) << 8 | uint32_t(v.data[2]) << 16 |
                             uint32_t(v.data[3]) << 24;
                std::snprintf(buf, sizeof buf, "dword:%08x", d);
                out += buf;
            } else if (v.type == REG_BINARY) {
                out += "hex:";
                AppendHex(out, v.data);
            } else {
                char buf[24];
                std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
                out += buf;
                AppendHex(out, v.data);
            }
            out += '\n';
        }
    }
    return out;
}

namespace {

// Replaces the file through a temporary file in the same folder, named uniquely:
// two programs may save at the same time.
bool Store(HKEY root, const RegFile& file, bool hadBadLines)
{
    fs::path p = RegistryFile(root);
    std::error_code ec;
    fs::create_directories(p.parent_path(), ec);
    if (hadBadLines) {
        // The damaged file is kept beside the new one so nothing of it is lost.
        fs::copy_file(p, p.string() + ".bak", fs::copy_options::overwrite_existing, ec);
        std::fprintf(stderr, "%s: damaged; the old content is kept in %s.bak\n", p.c_str(), p.c_str());
    }
    const std::string text = RegistryToText(root, file);
    const platform::AtomicWriteResult saved =
        platform::WriteFileAtomically(p, text.data(), text.size(), nullptr, platform::TempName::Unique);
    if (!saved)
        std::fprintf(stderr, "%s: cannot be written: %s\n", p.c_str(), saved.error.message().c_str());
    return bool(saved);
}

// True for the key `path` itself and for every key below it.
bool IsKeyOrBelow(std::string_view key, std::string_view path)
{
    return EqualsNoCase(key, path) || (key.size() > path.size() && key[path.size()] == '\\' &&
                                       EqualsNoCase(key.substr(0, path.size()), path));
}

} // namespace

std::string RegistryFile(HKEY root)
{
    return (ConfigFolder() / (root == HKEY_LOCAL_MACHINE ? "system.reg" : "user.reg")).string();
}

bool RegKeyExists(HKEY root, std::string_view subKey)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    RegFile file;
    bool exists = false;
    if (!Load(root, file, exists))
        return false;
    std::string path = NormaliseKey(subKey);
    for (const RegKey& k : file.keys)
        if (IsKeyOrBelow(k.path, path))
            return true;
    return false;
}

bool RegQueryValue(HKEY root, std::string_view subKey, std::string_view name, RegValue& value)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    RegFile file;
    bool exists = false;
    if (!Load(root, file, exists))
        return false;
    RegKey* key = FindKey(file, NormaliseKey(subKey));
    if (!key)
        return false;
    for (const auto& [n, v] : key->values)
        if (EqualsNoCase(n, name)) {
            value = v;
            return true;
        }
    return false;
}

bool RegSetValue(HKEY root, std::string_view subKey, std::string_view name, const RegValue& value)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    RegFile file;
    bool exists = false;
    if (!Load(root, file, exists))
        return false;
    std::string path = NormaliseKey(subKey);
    if (path.empty())
        return false;
    RegKey* key = FindKey(file, path);
    if (!key) {
        file.keys.push_back(RegKey{path, {}});
        key = &file.keys.back();
    }
    bool replaced = false;
    for (auto& [n, v] : key->values)
        if (EqualsNoCase(n, name)) {
            v = value;
            replaced = true;
        }
    if (!replaced)
        key->values.emplace_back(std::string(name), value);
    return Store(root, file, file.badLines > 0);
}

bool RegDeleteValue(HKEY root, std::string_view subKey, std::string_view name)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    RegFile file;
    bool exists = false;
    if (!Load(root, file, exists))
        return false;
    RegKey* key = FindKey(file, NormaliseKey(subKey));
    if (!key)
        return false;
    size_t before = key->values.size();
    std::erase_if(key->values, [&](const auto& nv) { return EqualsNoCase(nv.first, name); });
    if (key->values.size() == before)
        return false;
    return Store(root, file, file.badLines > 0);
}

bool RegDeleteKey(HKEY root, std::string_view subKey)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    RegFile file;
    bool exists = false;
    if (!Load(root, file, exists))
        return false;
    std::string path = NormaliseKey(subKey);
    if (path.empty())
        return false;
    size_t before = file.keys.size();
    std::erase_if(file.keys, [&](const RegKey& k) { return IsKeyOrBelow(k.path, path); });
    if (file.keys.size() == before)
        return false;
    return Store(root, file, file.badLines > 0);
}

} // namespace platform
