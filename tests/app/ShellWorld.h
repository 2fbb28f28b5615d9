#pragma once
// Worlds for the shell's tests and benchmarks: flat tiles the game camera sees.

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace shelltest {

// A flat square of one material, seen from both sides, as the model file holds it.
inline CRootNode* MakeTileModel(float size)
{
    CRootNode built;
    built.SetName("Tile");
    auto* frame = static_cast<CFrameNode*>(built.AddChild(new CFrameNode("Frame")));
    frame->scaling = CVector(1, 1, 1);
    auto* mesh = static_cast<CMeshNode*>(frame->AddChild(new CMeshNode("Mesh")));
    const MeshVertex v[] = {{0, 0, 0, 0, 1, 0, 0, 0, 0, 0},
                            {size, 0, 0, 0, 1, 0, 1, 0, 1, 0},
                            {size, 0, size, 0, 1, 0, 1, 1, 1, 1},
                            {0, 0, size, 0, 1, 0, 0, 1, 0, 1}};
    mesh->SetVertices(v, 4);
    const uint16_t idx[] = {0, 1, 2, 0, 2, 3, 0, 2, 1, 0, 3, 2};
    mesh->SetIndices(idx, 12);
    mesh->SetMaterialCount(1);
    mesh->materials[0].indexCount = 12;
    mesh->materials[0].vertexCount = 4;
    CChunkWriter w;
    if (!built.SaveToMemory(w))
        return nullptr;
    auto* root = new CRootNode;
    if (!ParseTmfChunks(w.Data().data(), w.Data().size(), root).ok) {
        delete root;
        return nullptr;
    }
    return root;
}

// A model entry "Tile" in the model list.
inline CModelEntry* AddTileEntry(float size)
{
    auto* tile = new CModelEntry;
    tile->SetName("Tile");
    tile->group = g_ModelsTree;
    tile->model = MakeTileModel(size);
    g_ModelListRoot->AddChild(tile);
    return tile;
}

// A model instance of an entry at a position below a parent.
inline CWorldObject* AddInstance(CNode* parent, CModelEntry* entry, const CVector& position)
{
    auto* o = new CWorldObject;
    o->objectKind = CWorldObject::KIND_MODEL;
    o->reference = entry;
    o->position = position;
    parent->AddChild(o);
    return o;
}

// Saves a world of one tile at the origin as `file` and leaves the world empty.
inline bool SaveTileWorld(const std::filesystem::path& file)
{
    CreateWorldRoots();
    ClearWorld();
    AddInstance(g_WorldRoot, AddTileEntry(1.0f), CVector(0, 0, 0));
    const bool saved = SaveWorld(file.c_str());
    ClearWorld();
    return saved;
}

// A fresh folder for a run of the program in process, named after `name` and the process: it
// holds the dialog texts the start-up reads and the settings, and becomes the current folder.
// `previous` gets the folder that was current.
inline std::filesystem::path EnterRunFolder(const std::string& name, std::filesystem::path* previous)
{
    namespace fs = std::filesystem;
    *previous = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "data");
    std::ofstream(dir / "data" / "dialogs_eng_demo.txt") << "RULO2 = Varek Test\n";
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    fs::current_path(dir);
    return dir;
}

} // namespace shelltest
