// How meshes reach the device: the per-model draw list, vertex buffers and the
// immediate draw of the editor's views.
#include "GAMES/Rulo2/world/CMeshDrawing.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"

namespace {

bool SameSurface(const CSurfaceMaterial* a, const CSurfaceMaterial* b)
{
    if (!a || !b)
        return a == b;
    return std::memcmp(a->colour, b->colour, sizeof(a->colour)) == 0;
}

// The draw list in the root's auxiliary block: a count word, then the entries.
struct SDrawListBlock
{
    int32_t count;
    int32_t reserved;
    SDrawListEntry entries[1];
};

void SetSurface(const CSurfaceMaterial* surface)
{
    const D3DMATERIAL7 m = MaterialOf(surface);
    SetMaterialCached(&m);
}

// The highlight of the mesh selected in the editor's model tree.
const CSurfaceMaterial& HighlightSurface()
{
    static CSurfaceMaterial surface = [] {
        CSurfaceMaterial s;
        const float colour[17] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 1.0f, 0.6f, 0, 0};
        std::memcpy(s.colour, colour, sizeof(colour));
        return s;
    }();
    return surface;
}

} // namespace

CTextureSurface* TextureKeyOf(const CMeshMaterial& m)
{
    if (m.page)
        return m.page;
    return m.texture;
}

IDirectDrawSurface7* TextureSurfaceOf(const CMeshMaterial& m)
{
    const CTextureSurface* key = TextureKeyOf(m);
    return key ? key->surface : nullptr;
}

D3DMATERIAL7 MaterialOf(const CSurfaceMaterial* surface)
{
    D3DMATERIAL7 d;
    if (!surface) {
        d.diffuse = d.ambient = {0.5f, 0.5f, 0.5f, 1.0f};
        return d;
    }
    const float* c = surface->colour;
    d.diffuse = {c[0], c[1], c[2], c[3]};
    d.ambient = {c[4], c[5], c[6], c[7]};
    d.specular = {c[8], c[9], c[10], c[11]};
    d.emissive = {c[12], c[13], c[14], c[15]};
    d.power = c[16];
    return d;
}

bool BatchInRange(const CMeshNode& mesh, const CMeshMaterial& m)
{
    // In 64 bits: a damaged file's counts must not wrap into range.
    return mesh.vertices && mesh.indices && m.indexCount > 0 && m.vertexCount > 0 && m.firstVertex >= 0 &&
           m.firstIndex >= 0 && int64_t(m.firstVertex) + m.vertexCount <= mesh.vertexCount &&
           int64_t(m.firstIndex) + m.indexCount <= mesh.indexCount;
}

bool DrawBatch(const CMeshNode& mesh, const CMeshMaterial& m)
{
    if (!DX.device || !BatchInRange(mesh, m))
        return false;
    DX.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, mesh.vertices + m.firstVertex,
                                    uint32_t(m.vertexCount), mesh.indices + m.firstIndex,
                                    uint32_t(m.indexCount), 0);
    return true;
}

bool DrawBatchEdges(const CMeshNode& mesh, const CMeshMaterial& m)
{
    // The edge list holds two pairs per index of the whole triangles only.
    if (!DX.device || !mesh.wireEdges || !BatchInRange(mesh, m) ||
        2 * (int64_t(m.firstIndex) + m.indexCount) > 6 * int64_t(mesh.indexCount / 3))
        return false;
    DX.device->DrawIndexedPrimitive(D3DPT_LINELIST, FVF_MESH, mesh.vertices + m.firstVertex,
                                    uint32_t(m.vertexCount), mesh.wireEdges + 2 * m.firstIndex,
                                    uint32_t(2 * m.indexCount), 0);
    return true;
}

void CModelNode::CountMaterials(int32_t& count, int32_t& translucentCount)
{
    WalkMeshTree(this, [&](CMeshNode* mesh) {
        for (int32_t i = 0; i < mesh->materialCount; ++i) {
            if (mesh->materials[i].indexCount == 0)
                continue;
            ++count;
            if (mesh->materials[i].transparency != 0)
                ++translucentCount;
        }
    });
}

void CModelNode::CollectSurfaces(std::vector<CSurfaceMaterial*>& surfaces)
{
    WalkMeshTree(this, [&](CMeshNode* mesh) {
        for (int32_t i = 0; i < mesh->materialCount; ++i) {
            const CMeshMaterial& m = mesh->materials[i];
            if (m.indexCount == 0 || !m.surface)
                continue;
            bool known = false;
            for (CSurfaceMaterial* s : surfaces)
                known = known || SameSurface(s, m.surface);
            if (!known)
                surfaces.push_back(m.surface);
        }
    });
}

bool CModelNode::AddToDrawList(SDrawListEntry* e, const std::vector<CSurfaceMaterial*>& surfaces, int32_t n,
                               int32_t m)
{
    bool ok = true;
    WalkMeshTree(this, [&](CMeshNode* mesh) {
        for (int32_t k = 0; k < mesh->materialCount; ++k) {
            CMeshMaterial& mat = mesh->materials[k];
            if (mat.indexCount == 0)
                continue;
            const int32_t start = mat.firstIndex, end = mat.firstIndex + mat.indexCount;
            for (int32_t j = 0; j < mesh->materialCount; ++j) {
                const CMeshMaterial& other = mesh->materials[j];
                if (j == k || other.indexCount == 0)
                    continue;
                const int32_t s2 = other.firstIndex, e2 = other.firstIndex + other.indexCount;
                if ((start >= s2 && start < e2) || (end > s2 && end <= e2))
                    ok = false;
            }
            CSurfaceMaterial* surface = mat.surface;
            for (CSurfaceMaterial* s : surfaces)
                if (SameSurface(s, mat.surface)) {
                    surface = s;
                    break;
                }
            const SDrawListEntry entry{mesh, &mat, surface, TextureKeyOf(mat)};
            const int32_t opaqueSlots = n - m;
            if (mat.transparency == 0) {
                int32_t i = 0;
                while (i < opaqueSlots && e[i].mesh && e[i].textureKey != entry.textureKey)
                    ++i;
                if (i >= opaqueSlots)
                    continue;
                if (e[i].mesh) {
                    while (i < opaqueSlots && e[i].mesh && e[i].textureKey == entry.textureKey &&
                           e[i].surface != surface)
                        ++i;
                    if (i >= opaqueSlots)
                        continue;
                    for (int32_t j = opaqueSlots - 1; j > i; --j)
                        e[j] = e[j - 1];
                }
                e[i] = entry;
            } else {
                int32_t i = n - 1;
                while (i >= opaqueSlots && e[i].mesh && e[i].textureKey != entry.textureKey)
                    --i;
                if (i < opaqueSlots)
                    continue;
                if (e[i].mesh) {
                    while (i >= opaqueSlots && e[i].mesh && e[i].textureKey == entry.textureKey &&
                           e[i].surface != surface)
                        --i;
                    if (i < opaqueSlots)
                        continue;
                    for (int32_t j = opaqueSlots; j < i; ++j)
                        e[j] = e[j + 1];
                }
                e[i] = entry;
            }
        }
    });
    return ok;
}

void CModelNode::FillVertexBuffer(IDirect3DVertexBuffer7* vertexBuffer, int32_t& next)
{
    void* data = nullptr;
    uint32_t size = 0;
    const bool locked = vertexBuffer && SUCCEEDED(vertexBuffer->Lock(DDLOCK_WRITEONLY, &data, &size));
    uint32_t offset = uint32_t(next);
    FillVertexBuffer(locked ? static_cast<MeshVertex*>(data) : nullptr,
                     locked ? uint32_t(size / sizeof(MeshVertex)) : 0, offset);
    if (locked)
        vertexBuffer->Unlock();
    next = int32_t(offset);
}

void CModelNode::DrawEditorMarkers()
{
    IDirect3DDevice7* device = DX.device;
    if (!device)
        return;
    WalkModelTree(this, [&](CModelNode* node) {
        if (node->modelKind == KIND_LOCATOR) {
            static_cast<CLocatorNode*>(node)->DrawMarker();
            return;
        }
        if (node->modelKind != KIND_MESH)
            return;
        CMeshNode& mesh = *static_cast<CMeshNode*>(node);
        const bool selected = IsSelectedInModelTree(&mesh);
        SetCulling(mesh.backfaceCulling && CullingFlag);
        SetClipping(true);
        D3DMATRIX world;
        std::memcpy(&world.m[0][0], mesh.worldMatrix.m, sizeof(world.m));
        device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
        if (RenderCache.blendMode != 0)
            SetBlendMode(0);
        for (int32_t k = 0; k < mesh.materialCount; ++k) {
            CMeshMaterial& mat = mesh.materials[k];
            if (mat.transparency != 0) {
                STransparentBatch batch;
                batch.mesh = &mesh;
                batch.material = k;
                batch.objectMatrix = CMatrix::Identity;
                TransparentBatches.push_back(batch);
            } else if (BatchInRange(mesh, mat)) {
                SetSurface(mat.surface);
                if (TexturesFlag)
                    SetTextureCached(TextureSurfaceOf(mat), 0);
                SetLighting(LightingFlag != 0);
                DrawBatch(mesh, mat);
            }
            if (selected && mesh.wireEdges && BatchInRange(mesh, mat)) {
                SetSurface(&HighlightSurface());
                SetLighting(true);
                SetTextureCached(nullptr, 0);
                DrawBatchEdges(mesh, mat);
            }
        }
        if (mesh.lightFlare) {
            SFlare flare;
            flare.point = mesh.worldMatrix.translation();
            flare.colour = 0xFFFFFFFFu;
            FlareList.push_back(flare);
        }
    });
}

bool CModelNode::Pick(uint32_t& hitId, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      CMeshNode** hitMesh)
{
    IDirect3DDevice7* device = DX.device;
    if (!device)
        return false;
    SPickRect rect;
    rect.x0 = left;
    rect.y0 = top;
    rect.x1 = right;
    rect.y1 = bottom;
    bool hit = false;
    WalkMeshTree(this, [&](CMeshNode* mesh) {
        SetCulling(mesh->backfaceCulling && CullingFlag);
        SetClipping(true);
        ClearTextureStage(0);
        if (RenderCache.blendMode != 0)
            SetBlendMode(0);
        D3DMATRIX world;
        std::memcpy(&world.m[0][0], mesh->worldMatrix.m, sizeof(world.m));
        device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
        BeginPickTest(rect);
        SetLighting(false);
        for (int32_t k = 0; k < mesh->materialCount; ++k)
            DrawBatch(*mesh, mesh->materials[k]);
        if (EndPickTest(rect)) {
            hitId = mesh->id;
            if (hitMesh)
                *hitMesh = mesh;
            hit = true;
        }
    });
    return hit;
}

// ---- the root's draw list and the model hooks ------------------------------

SDrawListEntry* DrawListOf(const CRootNode& root, int32_t* count)
{
    auto* block = static_cast<SDrawListBlock*>(root.auxiliaryBlock);
    if (count)
        *count = block ? block->count : 0;
    return block ? block->entries : nullptr;
}

bool BuildDrawList(CRootNode& root)
{
    if (DX.device) {
        ClearTextureStage(0);
        ClearTextureStage(1);
    }
    std::free(root.auxiliaryBlock);
    root.auxiliaryBlock = nullptr;
    int32_t n = 0, m = 0;
    root.CountMaterials(n, m);
    if (n == 0)
        return true;
    std::vector<CSurfaceMaterial*> surfaces;
    root.CollectSurfaces(surfaces);
    const size_t bytes = offsetof(SDrawListBlock, entries) + sizeof(SDrawListEntry) * size_t(n);
    auto* block = static_cast<SDrawListBlock*>(std::calloc(1, bytes));
    if (!block)
        return true;
    block->count = n;
    root.auxiliaryBlock = block;
    CModelNode* children = root.FirstModelChild();
    return !children || children->AddToDrawList(block->entries, surfaces, n, m);
}
