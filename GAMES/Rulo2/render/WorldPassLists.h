#pragma once
// Lists that the world passes fill while drawing and empty every frame.
#include <cstdint>
#include <vector>

class CMeshNode;
class CTextureSurface;
struct CMeshMaterial;
struct CSurfaceMaterial;

// A translucent batch drawn after the opaque scene.
struct STransparentBatch
{
    CMeshNode* mesh = nullptr;
    CMeshMaterial* material = nullptr;
    CSurfaceMaterial* surface = nullptr;
    CTextureSurface* textureKey = nullptr;
    void* object = nullptr;  // the world object; null for editor drawing
};

struct SFlareEntry
{
    float x = 0, y = 0, z = 0;
    uint32_t colour = 0xFFFFFFFFu;
};

extern std::vector<STransparentBatch> TransparentBatchList;
extern std::vector<SFlareEntry> FlareList;
