#pragma once
// A fresh folder under the system's temporary folder, removed with its content at the end.

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

struct TempDir
{
    std::filesystem::path path;

    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "varek-test-XXXXXX").string();
        char* made = mkdtemp(tmpl.data());
        path = made ? std::filesystem::path(made) : std::filesystem::path();
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::filesystem::path Write(const std::string& relative, const std::string& bytes) const
    {
        std::filesystem::path p = path / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
};
