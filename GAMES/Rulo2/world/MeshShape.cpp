#include "GAMES/Rulo2/world/MeshShape.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/navigation/GroundMap.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"

bool (*g_ShapeEditCtrlDown)() = nullptr;

namespace {

bool IsFrame(const CModelNode* n)
{
    return n->modelKind == CModelNode::KIND_ROOT || n->modelKind == CModelNode::KIND_FRAME ||
           n->modelKind == CModelNode::KIND_JOINT;
}

// Calls visit(mesh, matrix) for every mesh of the chain and the subtrees.
template <class Visit>
void WalkMeshes(CModelNode* first, const CMatrix& world, Visit&& visit)
{
    for (CModelNode* n = first; n; n = n->NextModel()) {
        if (n->modelKind == CModelNode::KIND_MESH)
            visit(static_cast<CMeshNode*>(n), world);
        CModelNode* child = n->FirstModelChild();
        if (!child)
            continue;
        if (IsFrame(n)) {
            CMatrix local, childWorld;
            static_cast<CFrameNode*>(n)->evaluateAnimation(local, kRestTime);
            CMatrix::multiply(childWorld, local, world);
            WalkMeshes(child, childWorld, visit);
        } else {
            WalkMeshes(child, world, visit);
        }
    }
}

bool HasOutline(const CMeshNode* mesh)
{
    return mesh->shapePoints && mesh->shapePointCount > 0;
}

void FillOutline(CMeshNode* mesh, const CMatrix& world, GroundMap& map, uint8_t code)
{
    map.RasterizePolygon(world, mesh->shapePoints, mesh->shapePointCount, code);
}

// Each marked edge (pairs of point numbers) as a two-point polygon; pairs that
// name no point are left out.
void DrawEdges(CMeshNode* mesh, const CMatrix& world, GroundMap& map, uint8_t code)
{
    if (!mesh->shapeEdges)
        return;
    for (int32_t i = 0; i + 1 < mesh->shapeEdgeCount; i += 2) {
        const int32_t a = mesh->shapeEdges[i], b = mesh->shapeEdges[i + 1];
        if (a < 0 || b < 0 || a >= mesh->shapePointCount || b >= mesh->shapePointCount)
            continue;
        const CVector segment[2] = {mesh->shapePoints[a], mesh->shapePoints[b]};
        map.RasterizePolygon(world, segment, 2, code);
    }
}

} // namespace

void GetShapeCellBounds(CModelNode* first, const CMatrix& world, int32_t rect[4])
{
    WalkMeshes(first, world, [rect](CMeshNode* mesh, const CMatrix& m) {
        for (int32_t i = 0; HasOutline(mesh) && i < mesh->shapePointCount; ++i) {
            CVector p = mesh->shapePoints[i];
            p.transform(m);
            const int32_t x = RoundHalfAway(p.x * kCellsPerUnit);
            const int32_t z = RoundHalfAway(p.z * kCellsPerUnit);
            rect[0] = std::min(rect[0], x);
            rect[1] = std::min(rect[1], z);
            rect[2] = std::max(rect[2], x);
            rect[3] = std::max(rect[3], z);
        }
    });
}

void RasterizeShapeOpen(CModelNode* first, const CMatrix& world, GroundMap& map)
{
    WalkMeshes(first, world, [&map](CMeshNode* mesh, const CMatrix& m) {
        if (!HasOutline(mesh))
            return;
        FillOutline(mesh, m, map, ' ');
        DrawEdges(mesh, m, map, 'I');
    });
}

void RasterizeShapeObstacle(CModelNode* first, const CMatrix& world, GroundMap& map)
{
    WalkMeshes(first, world, [&map](CMeshNode* mesh, const CMatrix& m) {
        if (!HasOutline(mesh))
            return;
        if (mesh->shapeEdgeCount == 2 * mesh->shapePointCount)
            FillOutline(mesh, m, map, 'O');
        else if (mesh->shapeEdgeCount != 0)
            DrawEdges(mesh, m, map, 'O');
        else
            FillOutline(mesh, m, map, 'o');
    });
}

void RasterizeShapeT(CModelNode* first, const CMatrix& world, GroundMap& map)
{
    WalkMeshes(first, world, [&map](CMeshNode* mesh, const CMatrix& m) {
        if (HasOutline(mesh))
            FillOutline(mesh, m, map, 'T');
    });
}

void ExtendShapeBox(CModelNode* first, const CMatrix& world, CBox& box)
{
    WalkMeshes(first, world, [&box](CMeshNode* mesh, const CMatrix& m) {
        for (int32_t i = 0; HasOutline(mesh) && i < mesh->shapePointCount; ++i) {
            CVector p = mesh->shapePoints[i];
            p.transform(m);
            box.extend(p);
        }
    });
}

namespace {

// The vertices the mesh's triangles use, each once, in first-use order.
std::vector<uint16_t> ReferencedVertices(const CMeshNode* mesh)
{
    std::vector<uint16_t> out;
    if (!mesh->indices || !mesh->vertices)
        return out;
    std::vector<bool> seen(size_t(mesh->vertexCount), false);
    for (int32_t m = 0; m < mesh->materialCount; ++m) {
        const CMeshMaterial& mat = mesh->materials[m];
        for (int32_t i = 0; i < mat.indexCount; ++i) {
            const int32_t at = mat.firstIndex + i;
            if (at < 0 || at >= mesh->indexCount)
                continue;
            const int32_t v = mat.firstVertex + mesh->indices[at];
            if (v < 0 || v >= mesh->vertexCount || seen[size_t(v)])
                continue;
            seen[size_t(v)] = true;
            out.push_back(uint16_t(v));
        }
    }
    return out;
}

CVector VertexPosition(const CMeshNode* mesh, int32_t v)
{
    CVector p(mesh->vertices[v].x, mesh->vertices[v].y, mesh->vertices[v].z);
    return p.transform(mesh->worldMatrix);
}

int32_t FindShapePoint(const CMeshNode* mesh, const CVector& p)
{
    for (int32_t i = 0; mesh->shapePoints && i < mesh->shapePointCount; ++i)
        if (mesh->shapePoints[i] == p)
            return i;
    return -1;
}

bool EdgeUses(const CMeshNode* mesh, int32_t point)
{
    for (int32_t i = 0; mesh->shapeEdges && i < mesh->shapeEdgeCount; ++i)
        if (mesh->shapeEdges[i] == point)
            return true;
    return false;
}

void RestoreZTest()
{
    SetZEnable(DX.zBuffer || (DX.deviceInfo && DX.deviceInfo->zBufferlessHSR));
}

void SetShapePoints(CMeshNode* mesh, const std::vector<CVector>& points, const std::vector<int32_t>& edges)
{
    mesh->SetShape(points.data(), int32_t(points.size()), edges.data(), int32_t(edges.size()));
}

} // namespace

void DrawShapeMarkers(CModelNode* first)
{
    WalkMeshTree(first, [](CMeshNode* mesh) {
        if (!IsSelectedInModelTree(mesh) || !DX.device)
            return;
        SetZEnable(false);
        for (uint16_t v : ReferencedVertices(mesh)) {
            const CVector local(mesh->vertices[v].x, mesh->vertices[v].y, mesh->vertices[v].z);
            const CVector p = VertexPosition(mesh, v);
            const int32_t k = FindShapePoint(mesh, local);
            // Opaque: the markers are drawn blended, where an alpha of 0 would leave no trace.
            const uint32_t colour = k < 0 ? 0xFF80FF99u : (EdgeUses(mesh, k) ? 0xFF4000E0u : 0xFFD09090u);
            DrawPointMarker(p.x, p.y, p.z, colour);
        }
        RestoreZTest();
    });
}

bool PickShapePoint(CModelNode* first, int32_t x, int32_t y)
{
    bool anyHit = false;
    WalkMeshTree(first, [&](CMeshNode* mesh) {
        if (!IsSelectedInModelTree(mesh) || !DX.device)
            return;
        const SPickRect pixel{x, y, x, y};
        for (uint16_t v : ReferencedVertices(mesh)) {
            const CVector p = VertexPosition(mesh, v);
            BeginPickTest(pixel);
            DrawPointMarker(p.x, p.y, p.z, 0xFFC0C0C0u);
            if (!EndPickTest(pixel))
                continue;
            const CVector local(mesh->vertices[v].x, mesh->vertices[v].y, mesh->vertices[v].z);
            std::vector<CVector> points(mesh->shapePoints,
                                        mesh->shapePoints + std::max(mesh->shapePointCount, 0));
            std::vector<int32_t> edges;
            if (mesh->shapeEdges)
                edges.assign(mesh->shapeEdges, mesh->shapeEdges + std::max(mesh->shapeEdgeCount, 0));
            const int32_t k = FindShapePoint(mesh, local);
            if (k < 0) {
                points.push_back(local);
                edges.clear();
            } else if (!(g_ShapeEditCtrlDown && g_ShapeEditCtrlDown())) {
                points.erase(points.begin() + k);
                edges.clear();
            } else {
                edges.push_back(k);
            }
            SetShapePoints(mesh, points, edges);
            anyHit = true;
            break;
        }
    });
    return anyHit;
}

void DrawShape(CModelNode* first)
{
    WalkMeshTree(first, [](CMeshNode* mesh) {
        if (!IsSelectedInModelTree(mesh) || !DX.device || !mesh->shapePoints)
            return;
        SetWorldMatrix(mesh->worldMatrix);
        if (mesh->shapePointCount > 2) {
            std::vector<LineVertex> fan(size_t(mesh->shapePointCount));
            for (int32_t i = 0; i < mesh->shapePointCount; ++i)
                SetLineVertex(fan[size_t(i)], mesh->shapePoints[i], 0x80D09090u);
            SetBlendMode(1);
            SetTextureCached(nullptr, 0);
            SetClipping(true);
            SetLighting(false);
            const bool bias = DX.deviceInfo && DX.deviceInfo->zBias;
            if (bias)
                DX.device->SetRenderState(D3DRENDERSTATE_ZBIAS, 1);
            DX.device->DrawPrimitive(D3DPT_TRIANGLEFAN, kLineVertexFormat, fan.data(), uint32_t(fan.size()),
                                     0);
            if (bias)
                DX.device->SetRenderState(D3DRENDERSTATE_ZBIAS, 0);
        }
        std::vector<LineVertex> lines;
        for (int32_t i = 0; mesh->shapeEdges && i + 1 < mesh->shapeEdgeCount; i += 2) {
            const int32_t a = mesh->shapeEdges[i], b = mesh->shapeEdges[i + 1];
            if (a < 0 || b < 0 || a >= mesh->shapePointCount || b >= mesh->shapePointCount)
                continue;
            LineVertex va, vb;
            SetLineVertex(va, mesh->shapePoints[a], 0xFF4000E0u);
            SetLineVertex(vb, mesh->shapePoints[b], 0xFF4000E0u);
            lines.push_back(va);
            lines.push_back(vb);
        }
        if (!lines.empty()) {
            SetBlendMode(0);
            DX.device->DrawPrimitive(D3DPT_LINELIST, kLineVertexFormat, lines.data(), uint32_t(lines.size()),
                                     0);
        }
    });
}

void FlipNormals(CMeshNode& mesh)
{
    for (int32_t i = 0; mesh.vertices && i < mesh.vertexCount; ++i) {
        mesh.vertices[i].nx = -mesh.vertices[i].nx;
        mesh.vertices[i].ny = -mesh.vertices[i].ny;
        mesh.vertices[i].nz = -mesh.vertices[i].nz;
    }
}

void FlipFaceWinding(CMeshNode& mesh)
{
    for (int32_t i = 0; mesh.indices && i + 2 < mesh.indexCount; i += 3)
        std::swap(mesh.indices[i + 1], mesh.indices[i + 2]);
    FlipNormals(mesh);
}

void WeldVertices(CMeshNode& mesh)
{
    // Broken ranges or indices are left for the checks to report, never renumbered.
    if (!mesh.vertices || !mesh.indices || mesh.materialCount <= 0 || mesh.tracksShared ||
        !mesh.IndicesValid())
        return;
    const int32_t n = mesh.vertexCount;
    std::vector<int32_t> absolute(size_t(mesh.indexCount), -1);
    std::vector<bool> used(size_t(n), false);
    // Each vertex welds to the first of its material's range with the same bytes.
    std::vector<int32_t> firstEqual(size_t(n), -1);
    std::unordered_map<std::string_view, int32_t> seen;
    for (int32_t m = 0; m < mesh.materialCount; ++m) {
        const CMeshMaterial& mat = mesh.materials[m];
        seen.clear();
        for (int32_t v = mat.firstVertex; v < mat.firstVertex + mat.vertexCount; ++v) {
            const std::string_view bytes(reinterpret_cast<const char*>(&mesh.vertices[v]),
                                         sizeof(MeshVertex));
            firstEqual[size_t(v)] = seen.emplace(bytes, v).first->second;
        }
        for (int32_t i = 0; i < mat.indexCount; ++i) {
            const int32_t at = mat.firstIndex + i;
            const int32_t v = mat.firstVertex + mesh.indices[at];
            const int32_t same = firstEqual[size_t(v)];
            absolute[size_t(at)] = same;
            used[size_t(same)] = true;
        }
    }
    std::vector<int32_t> renumber(size_t(n), -1);
    std::vector<int32_t> order;
    for (int32_t m = 0; m < mesh.materialCount; ++m) {
        CMeshMaterial& mat = mesh.materials[m];
        const int32_t first = int32_t(order.size());
        for (int32_t v = mat.firstVertex; v < mat.firstVertex + mat.vertexCount; ++v)
            if (used[size_t(v)] && renumber[size_t(v)] < 0) {
                renumber[size_t(v)] = int32_t(order.size());
                order.push_back(v);
            }
        mat.firstVertex = first;
        mat.vertexCount = int32_t(order.size()) - first;
    }
    if (int32_t(order.size()) == n && std::all_of(absolute.begin(), absolute.end(), [&](int32_t a) {
            return a < 0 || renumber[size_t(a)] == a;
        }))
        return; // nothing welded, nothing dropped: the layout stays as it is
    for (int32_t m = 0; m < mesh.materialCount; ++m) {
        const CMeshMaterial& mat = mesh.materials[m];
        for (int32_t i = 0; i < mat.indexCount; ++i) {
            const int32_t at = mat.firstIndex + i;
            mesh.indices[at] = uint16_t(renumber[size_t(absolute[size_t(at)])] - mat.firstVertex);
        }
    }
    auto* vertices = new MeshVertex[order.size()];
    auto* base = new float[2 * order.size()];
    // The importer's numbers run one per vertex as the importer gave them, which
    // is one per vertex of the mesh only with a single material; with several
    // they stay as they are.
    const bool renumberSources = mesh.sourceVertexNumbers && mesh.materialCount == 1;
    uint16_t* numbers = renumberSources ? new uint16_t[order.size()] : nullptr;
    for (size_t i = 0; i < order.size(); ++i) {
        const int32_t old = order[i];
        vertices[i] = mesh.vertices[old];
        base[2 * i] = mesh.baseTexCoords ? mesh.baseTexCoords[2 * old] : vertices[i].u;
        base[2 * i + 1] = mesh.baseTexCoords ? mesh.baseTexCoords[2 * old + 1] : vertices[i].v;
        if (numbers)
            numbers[i] = mesh.sourceVertexNumbers[old];
    }
    delete[] mesh.vertices;
    delete[] mesh.baseTexCoords;
    mesh.vertices = vertices;
    mesh.baseTexCoords = base;
    if (renumberSources) {
        delete[] mesh.sourceVertexNumbers;
        mesh.sourceVertexNumbers = numbers;
    }
    mesh.vertexCount = int32_t(order.size());
    for (CVertexTrack* t = mesh.vertexTracks; t; t = t->next) {
        int32_t kept = 0;
        for (int32_t i = 0; i < t->count; ++i) {
            const int32_t old = t->vertexIndexes[i];
            if (old >= 0 && old < n && renumber[size_t(old)] >= 0)
                t->vertexIndexes[kept++] = renumber[size_t(old)];
        }
        t->count = kept;
    }
    mesh.BuildWireEdges();
}
