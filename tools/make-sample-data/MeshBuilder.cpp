#include "tools/make-sample-data/MeshBuilder.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/world/CRootNode.h"
#include "tools/make-sample-data/SampleData.h"

namespace sample {

namespace {

CVector Cross(const CVector& a, const CVector& b)
{
    return CVector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

CVector Normalised(const CVector& v)
{
    const float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return l > 0 ? CVector(v.x / l, v.y / l, v.z / l) : CVector(0, 1, 0);
}

float Length(const CVector& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

MeshVertex Vertex(const CVector& p, const CVector& n, float u, float v)
{
    return MeshVertex{p.x, p.y, p.z, n.x, n.y, n.z, u, v, u, v};
}

bool SameLook(const SLook& a, const SLook& b)
{
    return a.texture == b.texture && a.r == b.r && a.g == b.g && a.b == b.b && a.glow == b.glow &&
           a.tile == b.tile;
}

} // namespace

CVector Turn(const CVector& v, int quarterTurns)
{
    CVector r = v;
    for (int i = 0; i < ((quarterTurns % 4) + 4) % 4; ++i)
        r = CVector(-r.z, r.y, r.x);
    return r;
}

int CMeshBuilder::Material(const SLook& look)
{
    for (size_t i = 0; i < materials_.size(); ++i)
        if (SameLook(materials_[i].look, look))
            return int(i);
    materials_.push_back(SMaterial{look, {}, {}});
    return int(materials_.size() - 1);
}

void CMeshBuilder::Cell(SMaterial& m, const CVector& corner, const CVector& right, const CVector& up,
                        const CVector& normal)
{
    const auto base = uint16_t(m.vertices.size());
    // Lower left, upper left, upper right, lower right: clockwise from the front.
    m.vertices.push_back(Vertex(corner, normal, 0, 1));
    m.vertices.push_back(Vertex(corner + up, normal, 0, 0));
    m.vertices.push_back(Vertex(corner + up + right, normal, 1, 0));
    m.vertices.push_back(Vertex(corner + right, normal, 1, 1));
    for (uint16_t i : {0, 1, 2, 0, 2, 3})
        m.indices.push_back(uint16_t(base + i));
}

void CMeshBuilder::Quad(int material, const CVector& corner, const CVector& right, const CVector& up)
{
    SMaterial& m = materials_[size_t(material)];
    const CVector normal = Normalised(Cross(right, up) * -1.0f);
    const float tile = m.look.tile > 0 ? m.look.tile : 1.0f;
    const int nu = std::max(1, int(std::lround(Length(right) / tile)));
    const int nv = std::max(1, int(std::lround(Length(up) / tile)));
    const CVector du = right * (1.0f / float(nu)), dv = up * (1.0f / float(nv));
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i)
            Cell(m, corner + du * float(i) + dv * float(j), du, dv, normal);
}

void CMeshBuilder::Triangle(int material, const CVector& a, const CVector& b, const CVector& c)
{
    SMaterial& m = materials_[size_t(material)];
    const CVector normal = Normalised(Cross(b - a, c - a) * -1.0f);
    const auto base = uint16_t(m.vertices.size());
    m.vertices.push_back(Vertex(a, normal, 0, 1));
    m.vertices.push_back(Vertex(b, normal, 0.5f, 0));
    m.vertices.push_back(Vertex(c, normal, 1, 1));
    for (uint16_t i : {0, 1, 2})
        m.indices.push_back(uint16_t(base + i));
}

void CMeshBuilder::Box(int material, const CVector& lo, const CVector& hi, unsigned faces)
{
    const float dx = hi.x - lo.x, dy = hi.y - lo.y, dz = hi.z - lo.z;
    if (faces & 1)
        Quad(material, CVector(lo.x, lo.y, lo.z), CVector(dx, 0, 0), CVector(0, dy, 0));
    if (faces & 2)
        Quad(material, CVector(hi.x, lo.y, hi.z), CVector(-dx, 0, 0), CVector(0, dy, 0));
    if (faces & 4)
        Quad(material, CVector(lo.x, lo.y, hi.z), CVector(0, 0, -dz), CVector(0, dy, 0));
    if (faces & 8)
        Quad(material, CVector(hi.x, lo.y, lo.z), CVector(0, 0, dz), CVector(0, dy, 0));
    if (faces & 16)
        Quad(material, CVector(lo.x, hi.y, lo.z), CVector(dx, 0, 0), CVector(0, 0, dz));
    if (faces & 32)
        Quad(material, CVector(hi.x, lo.y, lo.z), CVector(-dx, 0, 0), CVector(0, 0, dz));
}

void CMeshBuilder::Roof(int material, int gableMaterial, const CVector& lo, const CVector& hi, float overhang)
{
    const float x0 = lo.x - overhang, x1 = hi.x + overhang;
    const float z0 = lo.z - overhang, z1 = hi.z + overhang, zm = (lo.z + hi.z) / 2;
    const float y0 = lo.y - overhang * (hi.y - lo.y) / ((hi.z - lo.z) / 2), y1 = hi.y;
    Quad(material, CVector(x0, y0, z0), CVector(x1 - x0, 0, 0), CVector(0, y1 - y0, zm - z0));
    Quad(material, CVector(x1, y0, z1), CVector(x0 - x1, 0, 0), CVector(0, y1 - y0, zm - z1));
    // Gable ends flush with the walls below.
    Triangle(gableMaterial, CVector(lo.x, lo.y, hi.z), CVector(lo.x, hi.y, zm), CVector(lo.x, lo.y, lo.z));
    Triangle(gableMaterial, CVector(hi.x, lo.y, lo.z), CVector(hi.x, hi.y, zm), CVector(hi.x, lo.y, hi.z));
}

bool CMeshBuilder::Empty() const
{
    for (const SMaterial& m : materials_)
        if (!m.indices.empty())
            return false;
    return true;
}

CVector CMeshBuilder::Centre() const
{
    CVector lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
    for (const SMaterial& m : materials_)
        for (const MeshVertex& mv : m.vertices) {
            const CVector v = Turn(CVector(mv.x, mv.y, mv.z), turns_);
            lo = CVector(std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z));
            hi = CVector(std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z));
        }
    return lo.x <= hi.x ? (lo + hi) * 0.5f : CVector(0, 0, 0);
}

CMeshNode* CMeshBuilder::BuildMesh(const char* name, const CVector& shift) const
{
    std::vector<MeshVertex> vertices;
    std::vector<uint16_t> indices;
    std::vector<const SMaterial*> used;
    for (const SMaterial& m : materials_)
        if (!m.indices.empty())
            used.push_back(&m);
    if (used.empty())
        return nullptr;
    auto* mesh = new CMeshNode(name);
    mesh->SetMaterialCount(int32_t(used.size()));
    for (size_t k = 0; k < used.size(); ++k) {
        const SMaterial& m = *used[k];
        CMeshMaterial& out = mesh->materials[k];
        out.firstVertex = int32_t(vertices.size());
        out.vertexCount = int32_t(m.vertices.size());
        out.firstIndex = int32_t(indices.size());
        out.indexCount = int32_t(m.indices.size());
        for (MeshVertex v : m.vertices) {
            const CVector p = Turn(CVector(v.x, v.y, v.z), turns_) + shift;
            const CVector n = Turn(CVector(v.nx, v.ny, v.nz), turns_);
            v.x = p.x;
            v.y = p.y;
            v.z = p.z;
            v.nx = n.x;
            v.ny = n.y;
            v.nz = n.z;
            vertices.push_back(v);
        }
        // Indices count from the material's first vertex.
        indices.insert(indices.end(), m.indices.begin(), m.indices.end());
        float* colour = out.surface->colour;
        const float rgb[3] = {m.look.r, m.look.g, m.look.b};
        for (int i = 0; i < 3; ++i) {
            colour[i] = rgb[i];                    // diffuse
            colour[4 + i] = rgb[i];                // ambient
            colour[12 + i] = rgb[i] * m.look.glow; // emissive
        }
        colour[3] = colour[7] = 1.0f;
        if (m.look.texture) {
            out.textureName = m.look.texture->path;
            out.pageNumber = m.look.texture->pageNumber;
            out.pageEntry = m.look.texture->pageEntry;
            out.entryRect[0] = out.entryRect[1] = 0;
            out.entryRect[2] = out.entryRect[3] = 256;
        }
    }
    mesh->SetVertices(vertices.data(), int32_t(vertices.size()));
    // The drawn coordinates lie inside the page entry, as the editor fits them;
    // the file keeps the texture's own coordinates beside them.
    for (size_t k = 0; k < used.size(); ++k) {
        const SSampleTexture* t = used[k]->look.texture;
        if (!t || t->pageWidth <= 0 || t->pageHeight <= 0)
            continue;
        const CMeshMaterial& m = mesh->materials[k];
        const float w = float(t->pageWidth), h = float(t->pageHeight);
        for (int32_t i = m.firstVertex; i < m.firstVertex + m.vertexCount; ++i) {
            MeshVertex& v = mesh->vertices[i];
            v.u = v.u * float(t->pageRect[2] - t->pageRect[0] - 1) / w + float(t->pageRect[0]) / w;
            v.v = v.v * float(t->pageRect[3] - t->pageRect[1] - 1) / h + float(t->pageRect[1]) / h;
        }
    }
    mesh->SetIndices(indices.data(), int32_t(indices.size()));
    mesh->triangleCount = int32_t(indices.size() / 3);
    if (!outline_.empty()) {
        std::vector<CVector> points;
        for (const CVector& p : outline_)
            points.push_back(Turn(p, turns_) + shift);
        mesh->SetShape(points.data(), int32_t(points.size()), outlineEdges_.data(),
                       int32_t(outlineEdges_.size()));
    }
    return mesh;
}

void CMeshBuilder::Outline(const std::vector<CVector>& points, const std::vector<int32_t>& edges)
{
    outline_ = points;
    outlineEdges_ = edges;
}

void CMeshBuilder::ClosedOutline(const std::vector<CVector>& points)
{
    std::vector<int32_t> edges;
    for (size_t i = 0; i < points.size(); ++i) {
        edges.push_back(int32_t(i));
        edges.push_back(int32_t((i + 1) % points.size()));
    }
    Outline(points, edges);
}

CRootNode* CMeshBuilder::BuildModel(const char* name, CVector* centre) const
{
    const CVector c = Centre();
    CMeshNode* mesh = BuildMesh(name, -c);
    if (!mesh)
        return nullptr;
    auto* root = new CRootNode();
    root->SetName(name);
    root->AddChild(mesh);
    root->Prepare();
    if (centre)
        *centre = c;
    return root;
}

} // namespace sample
