#pragma once
// Maya ASCII scenes as models: transforms, joints, meshes and locators with
// their materials, textures and keyframe animation. The file is recognised by
// its header line, not by its name.
#include <string_view>

class CRootNode;

// Null when the file cannot be read, does not start with the header or uses
// units other than centimetres, degrees and film frames. The caller owns the root.
CRootNode* ImportMayaAscii(const char* path);

// The same on text already read in text mode: nodes go below `root`, whose
// matrix turns the axes, and which is prepared; `source` names the file in log
// lines. False when the text is not a scene this reader takes; `root` may
// then hold nodes and must be thrown away.
bool ImportMayaAsciiText(std::string_view text, CRootNode& root, const char* source);
