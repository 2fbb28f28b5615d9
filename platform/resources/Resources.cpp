#include "platform/resources/Resources.h"

#include "platform/files/WinPath.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {

namespace {

std::mutex folderMutex;
fs::path resourceFolder;
bool folderSet = false;

// The entry of `folder` matching `name` ignoring case; empty when none.
fs::path FindEntry(const fs::path& folder, std::string_view name, bool wantStem)
{
    std::error_code ec;
    if (!wantStem && fs::is_directory(folder / name, ec))
        return folder / name;
    std::vector<fs::path> hits;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = wantStem ? it->path().stem().string() : it->path().filename().string();
        if (EqualsNoCase(entry, name) && (!wantStem || it->is_regular_file(ec)))
            hits.push_back(it->path());
    }
    if (hits.empty())
        return {};
    std::sort(hits.begin(), hits.end());
    return hits.front();
}

bool ReadAll(const fs::path& p, std::vector<uint8_t>& bytes)
{
    if (p.empty())
        return false;
    std::ifstream in(p, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

fs::path ResourceFolder()
{
    std::lock_guard<std::mutex> lock(folderMutex);
    if (!folderSet)
        return ProgramFolder() / "resources";
    return resourceFolder;
}

void SetResourceFolder(const fs::path& folder)
{
    std::lock_guard<std::mutex> lock(folderMutex);
    resourceFolder = folder;
    folderSet = true;
}

fs::path FindResource(std::string_view type, std::string_view name)
{
    if (type.empty() || name.empty() || type.find_first_of("/\\") != std::string_view::npos ||
        name.find_first_of("/\\") != std::string_view::npos || type == ".." || name == "..")
        return {};
    fs::path typeFolder = FindEntry(ResourceFolder(), type, false);
    if (typeFolder.empty())
        return {};
    return FindEntry(typeFolder, name, true);
}

fs::path FindResource(std::string_view type, int id)
{
    return FindResource(type, std::to_string(id));
}

bool LoadResource(std::string_view type, int id, std::vector<uint8_t>& bytes)
{
    return ReadAll(FindResource(type, id), bytes);
}

bool LoadResource(std::string_view type, std::string_view name, std::vector<uint8_t>& bytes)
{
    return ReadAll(FindResource(type, name), bytes);
}

} // namespace platform
