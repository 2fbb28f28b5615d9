#pragma once
// Macros: stored pieces of world that the editor places again and again, kept
// in a tree of CMacro nodes so that they can be sorted into folders.
#include <string>

#include "GAMES/Rulo2/world/CNode.h"
#include "GAMES/Rulo2/world/ChunkFile.h"

class CWorldObject;

class CMacro : public CNode
{
public:
    CMacro();
    ~CMacro() override;

    CMacro* FirstMacro() const { return static_cast<CMacro*>(GetFirstChild()); }
    CMacro* NextMacro() const { return static_cast<CMacro*>(GetNext()); }

    // The "MAKR" chunks of this macro, its subtree and its following siblings.
    bool WriteTree(CChunkWriter& writer);
    bool ReadChunk(CChunkReader& body, std::string* error = nullptr);

    CWorldObject* content = nullptr; // nameless root of the stored nodes; null for a folder
};

bool WriteMacroSection(CMacro* root, CChunkWriter& writer);
bool ReadMacroSection(CChunkReader& data, CMacro* root, std::string* error = nullptr);
void NumberMacroContents(CMacro* root);
// As ReadWorldNodes, into a macro's content with a table of its own.
bool ReadMacroNodes(CChunkReader& data, CWorldObject* contentRoot, std::string* error = nullptr);
