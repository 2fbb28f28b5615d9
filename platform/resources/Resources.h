#pragma once
// The program's resources (interface images and models, bitmaps, icons) are files
// "resources/<TYPE>/<id>.<ext>" beside the program, made by the sample-content tool.
// Type folders and names are matched ignoring case.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace platform {

// The folder that holds the type folders; by default "resources" in the program folder.
std::filesystem::path ResourceFolder();
void SetResourceFolder(const std::filesystem::path& folder);

// The file of a resource, empty when there is none. Several files with the same id:
// the first by name.
std::filesystem::path FindResource(std::string_view type, int id);
std::filesystem::path FindResource(std::string_view type, std::string_view name);
// The bytes of a resource; false when it is missing or unreadable.
bool LoadResource(std::string_view type, int id, std::vector<uint8_t>& bytes);
bool LoadResource(std::string_view type, std::string_view name, std::vector<uint8_t>& bytes);

} // namespace platform
