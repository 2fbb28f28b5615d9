// Texture references and texture coordinates of mesh materials.
#include <cstring>
#include <memory>

#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/world/CMeshMaterials.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"

namespace {

template <class F>
void ForEachMaterial(CModelNode* first, F&& f)
{
    WalkMeshTree(first, [&](CMeshNode* mesh) {
        for (int32_t i = 0; i < mesh->materialCount; ++i)
            f(*mesh, mesh->materials[i]);
    });
}

bool EntryHoldsTexture(const CMeshMaterial& m)
{
    return m.page && m.pageEntry >= 0 && m.pageEntry < m.page->count() &&
           m.page->entries[size_t(m.pageEntry)].texture != nullptr;
}

void Detach(CMeshMaterial& m)
{
    m.page = nullptr;
    m.pageEntry = -1;
    m.pageNumber = -1;
}

void Retransform(CMeshNode& mesh, const CMeshMaterial& m)
{
    mesh.RestoreTexCoords(m);
    mesh.ApplyTexTransform(m);
}

} // namespace

// ---- one mesh -------------------------------------------------------------

namespace {

// The material's vertex range, cut to the mesh's vertices.
bool VertexRange(const CMeshNode& mesh, const CMeshMaterial& m, int32_t& first, int32_t& end)
{
    first = m.firstVertex < 0 ? 0 : m.firstVertex;
    end = m.firstVertex + m.vertexCount;
    if (end > mesh.vertexCount)
        end = mesh.vertexCount;
    return mesh.vertices && first < end;
}

} // namespace

void CMeshNode::RestoreTexCoords(const CMeshMaterial& m)
{
    int32_t first, end;
    if (!baseTexCoords || !VertexRange(*this, m, first, end))
        return;
    for (int32_t i = first; i < end; ++i) {
        vertices[i].u = baseTexCoords[2 * i];
        vertices[i].v = baseTexCoords[2 * i + 1];
    }
}

void CMeshNode::ApplyTexTransform(const CMeshMaterial& m)
{
    int32_t first, end;
    if (!VertexRange(*this, m, first, end))
        return;
    for (int32_t i = first; i < end; ++i) {
        float u = vertices[i].u, v = vertices[i].v;
        if (m.flipU)
            u = 1.0f - u;
        if (m.flipV)
            v = 1.0f - v;
        for (int32_t r = 0; r < m.rotations; ++r) {
            const float turned = 1.0f - v;
            v = u;
            u = turned;
        }
        if (m.scaleU != 1.0f)
            u *= m.scaleU;
        if (m.scaleV != 1.0f)
            v *= m.scaleV;
        vertices[i].u = u;
        vertices[i].v = v;
    }
}

void CMeshNode::FitTexCoordsToPage(const CMeshMaterial& m)
{
    int32_t first, end;
    if (!m.page || m.pageEntry < 0 || m.pageEntry >= m.page->count() || m.page->width <= 0 ||
        m.page->height <= 0 || !VertexRange(*this, m, first, end))
        return;
    const RECT& r = m.page->entries[size_t(m.pageEntry)].pageRect;
    const int32_t x0 = r.left + (m.entryRect[0] * (r.right - r.left)) / 256;
    const int32_t x1 = r.left + (m.entryRect[2] * (r.right - r.left)) / 256;
    const int32_t y0 = r.top + (m.entryRect[1] * (r.bottom - r.top)) / 256;
    const int32_t y1 = r.top + (m.entryRect[3] * (r.bottom - r.top)) / 256;
    const float w = float(m.page->width), h = float(m.page->height);
    for (int32_t i = first; i < end; ++i) {
        vertices[i].u = vertices[i].u * float(x1 - x0 - 1) / w + float(x0) / w;
        vertices[i].v = vertices[i].v * float(y1 - y0 - 1) / h + float(y0) / h;
    }
}

bool CMeshNode::MaterialHasTexCoords(int32_t index) const
{
    if (index < 0 || index >= materialCount || !baseTexCoords)
        return false;
    int32_t first, end;
    if (!VertexRange(*this, materials[index], first, end))
        return false;
    for (int32_t i = 2 * first; i < 2 * end; ++i)
        if (baseTexCoords[i] != 0.0f)
            return true;
    return false;
}

bool CMeshNode::MaterialTexCoordsInRange(int32_t index) const
{
    if (index < 0 || index >= materialCount)
        return false;
    int32_t first, end;
    if (!baseTexCoords || !VertexRange(*this, materials[index], first, end))
        return true;
    for (int32_t i = 2 * first; i < 2 * end; ++i)
        if (baseTexCoords[i] < 0.0f || baseTexCoords[i] > 1.0f)
            return false;
    return true;
}

// ---- broadcasts -----------------------------------------------------------

void CModelNode::ResolveTextureReferences()
{
    D3DDeviceInfo* info = TextureDeviceInfo();
    // Without a device (tools) the stored references stay as they are.
    if (!info)
        return;
    ForEachMaterial(this, [&](CMeshNode&, CMeshMaterial& m) {
        // Materials bound already (or given their texture by the editor) stay.
        if (m.texture || m.page || !info->texturing)
            return;
        const bool paged = m.pageNumber >= 0;
        if (!GameModeFlag && !m.textureName.empty()) {
            if (CTexture* t = CTexture::FindByFileName(m.textureName)) {
                m.texture = t;
                ++t->useCount;
            }
            if (!m.texture) {
                auto t = std::make_unique<CTexture>();
                if (t->Load(m.textureName.c_str(), false))
                    m.texture = t.release();
            }
        }
        if (paged)
            m.page = CTexturePage::FindByNumber(m.pageNumber);
    });
}

void CModelNode::RefitAllTexCoords()
{
    ForEachMaterial(this, [](CMeshNode& mesh, CMeshMaterial& m) {
        Retransform(mesh, m);
        if (EntryHoldsTexture(m))
            mesh.FitTexCoordsToPage(m);
        else
            Detach(m);
    });
}

void CModelNode::ResetTextureCoords(CTexture* texture)
{
    ForEachMaterial(this, [&](CMeshNode& mesh, CMeshMaterial& m) {
        if (!m.page && m.texture == texture)
            Retransform(mesh, m);
    });
}

void CModelNode::RefitTextureCoords(CTexturePage* page, int32_t entry)
{
    ForEachMaterial(this, [&](CMeshNode& mesh, CMeshMaterial& m) {
        if (m.page == page && m.pageEntry == entry) {
            Retransform(mesh, m);
            mesh.FitTexCoordsToPage(m);
        }
    });
}

void CModelNode::RemoveTexture(CTexturePage* page, int32_t entry)
{
    ForEachMaterial(this, [&](CMeshNode& mesh, CMeshMaterial& m) {
        if (m.page != page)
            return;
        if (entry == -1 || m.pageEntry == entry) {
            Detach(m);
            Retransform(mesh, m);
        } else if (m.pageEntry > entry) {
            --m.pageEntry;
        }
    });
}

void CModelNode::ResetAllTexCoords()
{
    ForEachMaterial(this, [](CMeshNode& mesh, CMeshMaterial& m) { Retransform(mesh, m); });
}

void CModelNode::ReplacePage(CTexturePage* oldPage, CTexturePage* newPage)
{
    ForEachMaterial(this, [&](CMeshNode&, CMeshMaterial& m) {
        if (m.page == oldPage) {
            m.page = newPage;
            if (newPage)
                m.pageNumber = newPage->number;
        }
    });
}

bool CModelNode::IsTextureUsed(CTexturePage* page, int32_t entry)
{
    // The walk stops (returns false) at the first mesh that uses it.
    return !WalkMeshTree(this, [&](CMeshNode* mesh) {
        for (int32_t i = 0; i < mesh->materialCount; ++i) {
            const CMeshMaterial& m = mesh->materials[i];
            if (m.page == page && (entry == -1 || m.pageEntry == entry))
                return false;
        }
        return true;
    });
}

void CModelNode::CollectTextures(std::vector<STextureUse>& uses, int32_t& pagedCount, int32_t& unpagedCount)
{
    ForEachMaterial(this, [&](CMeshNode&, CMeshMaterial& m) {
        if (!m.texture)
            return;
        for (const STextureUse& u : uses)
            if (m.page ? u.page == m.page : (!u.page && u.texture == m.texture))
                return;
        uses.push_back({m.texture, m.page, m.pageEntry});
        if (m.page)
            ++pagedCount;
        else
            ++unpagedCount;
    });
}

CMeshNode* CModelNode::FindTextureUser(CTexture* texture, CTexturePage* page, int32_t entry)
{
    CMeshNode* found = nullptr;
    WalkMeshTree(this, [&](CMeshNode* mesh) {
        for (int32_t i = 0; i < mesh->materialCount && !found; ++i) {
            const CMeshMaterial& m = mesh->materials[i];
            if (page ? (m.page == page && (entry < 0 || m.pageEntry == entry))
                     : (!m.page && m.texture == texture))
                found = mesh;
        }
        return found == nullptr;
    });
    return found;
}

void CModelNode::MarkUsedTextures()
{
    ForEachMaterial(this, [](CMeshNode&, CMeshMaterial& m) {
        if (m.page)
            m.page->used = true;
        else if (m.texture)
            m.texture->used = true;
    });
}
