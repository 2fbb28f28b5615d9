#pragma once
// The terrain record of a kind-4 world object: the parameters that rebuild a
// terrain from its heightmap and rule file. The world file keeps the record
// inside the owner's "NODE" chunk.
#include <cstddef>
#include <cstdint>
#include <string>

class CChunkReader;
class CChunkWriter;
class CWorldObject;

class CTerrainRules
{
public:
    CTerrainRules();

    // The colour record of a new terrain.
    void InitColorRecord();
    // The record's text fields (heightmap name empty clears the heightmap).
    void SetHeightmap(const char* name);

    bool WriteRecord(CChunkWriter& writer, const char* name) const;
    // Reads the record (versions 1 to 4) and rebuilds what can be rebuilt; the
    // owner's name goes into `nameBuffer` (cut to its size). False when the
    // record is damaged.
    bool Generate(CChunkReader& reader, char* nameBuffer, size_t bufferSize);

    uint32_t version = 4;
    float width = 30.0f;
    float depth = 30.0f;
    float devX = 30.0f, devY = 30.0f;
    float texResX = 1.0f, texResY = 1.0f;
    float maxHeight = 10.0f;
    uint32_t spare[2] = {0, 0};
    float randX = 0.0f;
    float randY = 0.0f;
    // The four words after the nine: 0, 5, 50.0, 10.0 for a new terrain.
    uint32_t extra[4];
    uint32_t seed = 0;
    std::string heightmapName;
    std::string rulesPath;
    uint32_t colorRecord[4] = {};
    uint8_t valid = 0;
    CWorldObject* owner = nullptr;
};
