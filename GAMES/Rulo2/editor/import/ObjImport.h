#pragma once
// Wavefront OBJ files as models: one mesh per run of faces, every corner a
// vertex of its own, axes turned from (x, y, z) to (y, z, x).
#include <string_view>

class CRootNode;

// Null when the file cannot be read or does not start with "v ". The caller
// owns the root.
CRootNode* ImportObj(const char* path);

// The same on text already read in text mode: meshes go below `root`, which
// is prepared; `source` names the file in log lines. False (root untouched)
// when the text does not start with "v ".
bool ImportObjText(std::string_view text, CRootNode& root, const char* source);
