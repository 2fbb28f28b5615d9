#pragma once
// .x models: frames with their matrices, meshes with normals, texture
// coordinates and material colours, as the file has them (no change of axes).
#include <string_view>

class CRootNode;

// A resource of type "Model" with that name first, else the file. Null when
// neither can be read or the file is no .x model; compressed files are
// refused with a log line.
CRootNode* LoadXFile(const char* name);

// The same on the file's bytes: frames and meshes go below `root`, which is
// prepared. False (root untouched) for bytes that are not an .x model.
bool LoadXFileBytes(std::string_view bytes, CRootNode& root, const char* source);
