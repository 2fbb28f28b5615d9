#include "platform/files/WinPath.h"

#include <algorithm>
#include <mutex>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace platform {

namespace {

std::mutex folderMutex;
fs::path programFolder;
bool programFolderSet = false;

fs::path ExecutableFolder()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return fs::current_path(ec);
    return exe.parent_path();
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::vector<std::string> SplitComponents(std::string_view path)
{
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!cur.empty())
                parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        parts.push_back(cur);
    return parts;
}

// The entry of `folder` whose name equals `name` ignoring case; empty when none.
// Sorted so the choice is the same on every run when several names differ only in case.
std::string FindNoCase(const fs::path& folder, const std::string& name)
{
    std::error_code ec;
    std::vector<std::string> hits;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (EqualsNoCase(entry, name))
            hits.push_back(entry);
    }
    if (hits.empty())
        return {};
    std::sort(hits.begin(), hits.end());
    return hits.front();
}

} // namespace

fs::path ProgramFolder()
{
    std::lock_guard<std::mutex> lock(folderMutex);
    if (!programFolderSet) {
        programFolder = ExecutableFolder();
        programFolderSet = true;
    }
    return programFolder;
}

void SetProgramFolder(const fs::path& folder)
{
    std::lock_guard<std::mutex> lock(folderMutex);
    programFolder = folder;
    programFolderSet = true;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

bool MatchWildcard(std::string_view pattern, std::string_view name)
{
    if (pattern == "*.*" || pattern == "*")
        return true;
    // Iterative match with back-tracking to the last '*'.
    size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    // Windows lets a trailing ".*" match a name without a dot.
    if (p + 2 == pattern.size() && pattern[p] == '.' && pattern[p + 1] == '*')
        return true;
    return p == pattern.size();
}

fs::path ResolvePath(std::string_view winPath)
{
    fs::path base;
    std::string_view rest = winPath;
    if (rest.size() >= 2 && rest[1] == ':' &&
        ((rest[0] >= 'a' && rest[0] <= 'z') || (rest[0] >= 'A' && rest[0] <= 'Z'))) {
        base = ProgramFolder();
        rest.remove_prefix(2);
    } else if (!rest.empty() && rest[0] == '\\') {
        base = ProgramFolder();
    } else if (!rest.empty() && rest[0] == '/') {
        base = "/";
    }

    fs::path out = base;
    bool matching = true;
    for (const std::string& part : SplitComponents(rest)) {
        if (part == "." || part == "..") {
            out /= part;
            continue;
        }
        if (matching) {
            fs::path exact = out / part;
            std::error_code ec;
            if (!fs::exists(exact, ec)) {
                std::string found = FindNoCase(out.empty() ? fs::path(".") : out, part);
                if (!found.empty()) {
                    out /= found;
                    continue;
                }
                matching = false;
            }
        }
        out /= part;
    }
    if (out.empty())
        out = base.empty() ? fs::path(".") : base;
    return out;
}

} // namespace platform
