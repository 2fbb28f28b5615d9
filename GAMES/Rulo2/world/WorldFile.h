#pragma once
// The world file (.wld): texture pages, the editor's folder trees, the model
// list with its models, object definitions, macros and the world tree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "GAMES/Rulo2/world/ChunkFile.h"

enum ELoadWorldMode
{
    LOADWORLD_OPEN = 0,
    LOADWORLD_MERGE = 1,
    LOADWORLD_UPDATE = 2,
    LOADWORLD_ADD = 3,
};

// Writes the world under a temporary name beside `path`; only when that file is
// complete the old file becomes the ".bak" and the new one takes its place.
// False (the world file and its ".bak" as they were) on any failure.
bool SaveWorld(const char* path, std::string* error = nullptr);
// The world file's bytes (numbers every tree first).
bool WriteWorld(CChunkWriter& writer);
bool LoadWorld(const char* path, int mode, std::string* error = nullptr);
// As LoadWorld on a file image in memory; `name` serves the messages.
bool LoadWorldFromMemory(const uint8_t* data, size_t size, int mode, const char* name,
                         std::string* error = nullptr);

// The path of the current world file (set by a load in mode 0).
extern std::string CurrentWorldFile;
// The same file as a full path: saves go back to it whatever folder a model import made current
// since (empty for a world loaded from memory).
extern std::string CurrentWorldPath;
// Set by the texture code when a texture of the world could not be loaded; a
// load clears it and, in the editor, says so at its end.
extern bool g_TextureLoadFailed;

// Texture pages ("TEXP"). Until the texture-page code takes these over, the
// section is kept as its bytes and written back unchanged.
struct STexturePageHooks
{
    // Reads the section after its tag up to and including "END ".
    bool (*read)(CChunkReader& data, std::string* error) = nullptr;
    // Writes the whole section (tag to "END "), or nothing when there are no pages.
    bool (*write)(CChunkWriter& writer) = nullptr;
    // Numbers the pages 1, 2, ... in list order; sets every number to -1 (merge).
    void (*number)() = nullptr;
    void (*excludeAll)() = nullptr;
    // False when the device cannot hold texture pages.
    bool (*deviceCanHoldPages)() = nullptr;
    // Empties the page list.
    void (*clear)() = nullptr;
    // The editor's pass over the pages at the end of a load (checks, merges
    // duplicates, recreates surfaces).
    void (*afterLoad)() = nullptr;
    // True when a page entry names a texture that could not be loaded.
    bool (*texturesMissing)() = nullptr;
};
extern STexturePageHooks TexturePageHooks;
// The kept section bytes of the default hooks (tag to "END ").
extern std::vector<uint8_t> g_KeptTexturePages;

class CWorldObject;
class CModelEntry;
class CObjectNode;
class CNode;

// The roots of a world read in update mode, handed to the import.
struct SWorldRoots
{
    CWorldObject* world = nullptr;
    CModelEntry* models = nullptr;
    CObjectNode* objects = nullptr; // first definition of the read file's list
    CNode* modelsTree = nullptr;
    CNode* objectsTree = nullptr;
};
// Takes the updated parts of a world read in update mode into the current
// world; the current roots are in place again when it is called, and `fresh`
// is destroyed afterwards. Without it nothing is imported.
extern void (*g_ImportUpdatedWorldHook)(SWorldRoots& fresh);

// Asked before a load in mode 0 replaces the world; false refuses. The default
// empties the world.
extern bool (*g_DiscardWorldHook)();
