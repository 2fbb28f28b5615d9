#include "GAMES/Rulo2/editor/CTerrainRules.h"

#include <bit>
#include <cstring>

#include "GAMES/Rulo2/world/ChunkFile.h"

CTerrainRules::CTerrainRules() : extra{0, 5, std::bit_cast<uint32_t>(50.0f), std::bit_cast<uint32_t>(10.0f)}
{
    InitColorRecord();
}

void CTerrainRules::InitColorRecord()
{
    colorRecord[0] = colorRecord[1] = colorRecord[2] = 0;
    colorRecord[3] = 0x80800000u;
}

void CTerrainRules::SetHeightmap(const char* name)
{
    // The image itself is loaded when the mesh is built; the record keeps the name.
    heightmapName = name ? name : "";
    if (heightmapName.empty())
        valid = 0;
}

bool CTerrainRules::WriteRecord(CChunkWriter& w, const char* name) const
{
    bool ok = w.WriteU32(4) && w.WriteString(name) && w.WriteU32(seed);
    const float head[7] = {width, depth, devX, devY, texResX, texResY, maxHeight};
    ok = ok && w.WriteFloats(head, 7) && w.WriteU32(spare[0]) && w.WriteU32(spare[1]);
    for (uint32_t word : extra)
        ok = ok && w.WriteU32(word);
    ok = ok && w.WriteF32(randX) && w.WriteF32(randY);
    const bool hasHeightmap = !heightmapName.empty();
    ok = ok && w.WriteU32(hasHeightmap ? 1 : 0);
    if (hasHeightmap)
        ok = ok && w.WriteString(heightmapName.c_str());
    return ok && w.WriteString(rulesPath.c_str());
}

bool CTerrainRules::Generate(CChunkReader& r, char* nameBuffer, size_t bufferSize)
{
    if (nameBuffer && bufferSize)
        nameBuffer[0] = '\0';
    version = r.ReadU32();
    if (version >= 2) {
        const char* name = r.ReadPaddedString();
        if (nameBuffer && bufferSize) {
            std::strncpy(nameBuffer, name, bufferSize - 1);
            nameBuffer[bufferSize - 1] = '\0';
        }
    }
    if (version >= 4)
        seed = r.ReadU32();
    float head[7];
    r.ReadFloats(head, 7);
    width = head[0];
    depth = head[1];
    devX = head[2];
    devY = head[3];
    texResX = head[4];
    texResY = head[5];
    maxHeight = head[6];
    spare[0] = r.ReadU32();
    spare[1] = r.ReadU32();
    for (uint32_t& word : extra)
        word = r.ReadU32();
    if (version >= 3) {
        randX = r.ReadF32();
        randY = r.ReadF32();
    } else {
        randX = randY = 0.0f;
    }
    if (r.ReadU32() != 0)
        SetHeightmap(r.ReadPaddedString());
    else
        SetHeightmap(nullptr);
    rulesPath = r.ReadPaddedString();
    return r.Ok();
}
