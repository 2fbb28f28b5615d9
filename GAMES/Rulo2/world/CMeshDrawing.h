#pragma once
// The per-model draw list: one entry per material with indices, opaque
// materials grouped by texture key in order of first appearance with equal
// surfaces adjacent, translucent ones grouped at the end.
#include <cstdint>

#include "platform/d3d/D3D.h"

class CMeshNode;
class CRootNode;
class CTextureSurface;
struct CMeshMaterial;
struct CSurfaceMaterial;

struct SDrawListEntry
{
    CMeshNode* mesh = nullptr;
    CMeshMaterial* material = nullptr;
    CSurfaceMaterial* surface = nullptr;   // the shared surface to set
    CTextureSurface* textureKey = nullptr; // the page, else the texture, else null
};

// The material's texture key: its page when it has one, else its texture.
CTextureSurface* TextureKeyOf(const CMeshMaterial& material);
// The device surface of that key; null without one.
IDirectDrawSurface7* TextureSurfaceOf(const CMeshMaterial& material);
// The device material of a surface record's colours; plain grey without a record.
D3DMATERIAL7 MaterialOf(const CSurfaceMaterial* surface);

// Whether a material's vertex and index ranges lie inside the mesh's arrays
// (and the mesh has them), with at least one index and one vertex.
bool BatchInRange(const CMeshNode& mesh, const CMeshMaterial& material);
// One material range as triangles, or its wire edges as lines, with the
// material, texture and matrix already set; false (nothing drawn) without a
// device or when the range lies outside the mesh's arrays.
bool DrawBatch(const CMeshNode& mesh, const CMeshMaterial& material);
bool DrawBatchEdges(const CMeshNode& mesh, const CMeshMaterial& material);

// Rebuilds the root's draw list (kept in its auxiliary block); false when a
// mesh has overlapping material index ranges.
bool BuildDrawList(CRootNode& root);
// The root's draw list; null and 0 when it has none.
SDrawListEntry* DrawListOf(const CRootNode& root, int32_t* count);
