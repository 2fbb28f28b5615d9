// The Maya ASCII importer's mesh reader: points, edges, texture points,
// object groups and the face list of one `createNode mesh`, made into a mesh
// node with computed normals.
#include <cmath>
#include <utility>

#include "GAMES/Rulo2/editor/import/ImportText.h"
#include "GAMES/Rulo2/editor/import/MayaReader.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "LIBS/System/LogPrintf.h"

namespace maya {

namespace {

// Index ranges beyond this are refused: a damaged index must not make the
// reader reserve gigabytes. Meshes index 16 bits per material anyway.
constexpr long kMaxElements = 1L << 20;

struct MeshBuild
{
    std::vector<float> points;  // 3 per point
    std::vector<float> offsets; // 3 per point
    std::vector<long> edges;    // 3 per edge: start point, end point, unused
    std::vector<float> uvs;     // 2 per texture point
    struct Group
    {
        long number;
        std::vector<std::pair<long, long>> ranges;
    };
    std::vector<Group> groups;
    std::vector<MeshVertex> vertices;
    std::vector<int32_t> vertexPoint; // the point each vertex comes from
    std::vector<uint8_t> hasTexCoords;
    std::vector<std::vector<int32_t>> copies; // per point: vertices copied for other texture coordinates
    std::vector<int32_t> faces;               // per face: corner count, vertex numbers
    int32_t faceCount = 0;
    bool verticesMade = false;
    // Points read after the face list arrived get no vertex: only these count.
    size_t pointCount = 0;
    bool hidden = false, hole = false, opposite = false;
    long size = -1; // "-size" for the next array
};

// Fills elements first..last of an array of `width` floats per element from
// the statement's values. The range is checked against the "-size" count (when
// given) and the reader's bound; values that run out end the range.
template <typename T>
void ReadArray(MayaImport& im, MayaValues& values, long first, long last, long& size, int width,
               std::vector<T>& out, const char* what, const std::string& mesh)
{
    const long limit = size > 0 && size < kMaxElements ? size : kMaxElements;
    size = -1;
    if (last < 0)
        last = limit - 1; // no range: as many as there are values
    if (first < 0 || first > last || last >= limit) {
        LogPrintf("%s:%d: %s[%ld:%ld] of mesh '%s' outside its %ld elements: dropped", im.source, im.line,
                  what, first, last, mesh.c_str(), limit);
        return;
    }
    for (long k = first; k <= last; ++k) {
        T v[3] = {};
        for (int i = 0; i < width; ++i)
            if (!values.Number(v[i]))
                return;
        const size_t needed = size_t(k + 1) * size_t(width);
        if (out.size() < needed) {
            if (!im.Grow(needed - out.size(), what))
                return;
            out.resize(needed, T());
        }
        for (int i = 0; i < width; ++i)
            out[size_t(k) * size_t(width) + size_t(i)] = v[i];
    }
}

void MakeVertices(MeshBuild& b)
{
    if (b.verticesMade)
        return;
    b.verticesMade = true;
    const size_t count = b.points.size() / 3;
    b.pointCount = count;
    b.vertices.assign(count, MeshVertex{});
    b.vertexPoint.resize(count);
    b.hasTexCoords.assign(count, 0);
    b.copies.assign(count, {});
    for (size_t p = 0; p < count; ++p) {
        MeshVertex& v = b.vertices[p];
        v.x = b.points[3 * p];
        v.y = b.points[3 * p + 1];
        v.z = b.points[3 * p + 2];
        // Offsets of points beyond the vertices are ignored.
        if (3 * p + 2 < b.offsets.size()) {
            v.x += b.offsets[3 * p];
            v.y += b.offsets[3 * p + 1];
            v.z += b.offsets[3 * p + 2];
        }
        b.vertexPoint[p] = int32_t(p);
    }
}

// The corners' texture points: a vertex without coordinates takes them; one
// with other coordinates is copied (or an earlier copy with these reused).
void ApplyTexturePoints(MayaImport& im, MeshBuild& b, size_t faceStart, const std::vector<long>& points,
                        const std::string& mesh)
{
    const size_t uvCount = b.uvs.size() / 2;
    for (long t : points)
        if (t < 0 || size_t(t) >= uvCount) {
            LogPrintf("%s:%d: texture point %ld of mesh '%s' outside its %zu texture points: mf dropped",
                      im.source, im.line, t, mesh.c_str(), uvCount);
            return;
        }
    for (size_t c = 0; c < points.size(); ++c) {
        int32_t& corner = b.faces[faceStart + 1 + c];
        const float u = b.uvs[2 * size_t(points[c])], w = b.uvs[2 * size_t(points[c]) + 1];
        MeshVertex& v = b.vertices[size_t(corner)];
        if (!b.hasTexCoords[size_t(corner)]) {
            v.u = u;
            v.v = w;
            b.hasTexCoords[size_t(corner)] = 1;
            continue;
        }
        if (v.u == u && v.v == w)
            continue;
        const int32_t point = b.vertexPoint[size_t(corner)];
        int32_t found = -1;
        for (int32_t copy : b.copies[size_t(point)])
            if (b.vertices[size_t(copy)].u == u && b.vertices[size_t(copy)].v == w)
                found = copy;
        if (found < 0) {
            if (b.vertices.size() >= size_t(kMaxElements) || !im.Grow(sizeof(MeshVertex) / 4, "vertex")) {
                LogPrintf("%s:%d: mesh '%s' has too many vertices: texture point left out", im.source,
                          im.line, mesh.c_str());
                continue;
            }
            MeshVertex copy = b.vertices[size_t(point)];
            copy.u = u;
            copy.v = w;
            found = int32_t(b.vertices.size());
            b.vertices.push_back(copy);
            b.vertexPoint.push_back(point);
            b.hasTexCoords.push_back(1);
            b.copies[size_t(point)].push_back(found);
        }
        corner = found;
    }
}

// "f n e..." builds a corner loop from edges (a negative e is edge -e-1
// reversed); "h" marks a hole; "mf n t..." gives the current face's corners
// texture points. A face that names a missing edge or point is kept as an
// empty face, so that the numbers of the faces after it stay.
void ReadFaces(MayaImport& im, MeshBuild& b, MayaValues& values, const std::string& mesh)
{
    MakeVertices(b);
    const size_t pointCount = b.pointCount;
    long current = -1; // start of the current face in b.faces
    std::string t;
    while (values.Value(t)) {
        long n = 0;
        if ((t != "f" && t != "h" && t != "mf") || !values.Long(n) || n < 0 || n > kMaxElements) {
            LogPrintf("Unknown parameter '%s' in MeshNode '%s'", t.c_str(), mesh.c_str());
            LogPrintf("%s:%d: rest of the face list dropped", im.source, im.line);
            return;
        }
        std::vector<long> numbers;
        if (!im.Grow(size_t(n) + 1, "face")) {
            return;
        }
        for (long i = 0; i < n; ++i) {
            long v = 0;
            if (!values.Long(v))
                return;
            numbers.push_back(v);
        }
        if (t == "h") {
            b.hole = true;
            continue;
        }
        if (t == "mf") {
            if (current < 0 || b.uvs.empty())
                continue;
            if (size_t(n) != size_t(b.faces[size_t(current)])) {
                LogPrintf("Number of texture-vertices doesn't match with number of model-vertices");
                continue;
            }
            ApplyTexturePoints(im, b, size_t(current), numbers, mesh);
            continue;
        }
        std::vector<int32_t> loop;
        bool usable = true;
        for (long e : numbers) {
            const long edge = e >= 0 ? e : (e < -kMaxElements ? -1 : -e - 1);
            if (edge < 0 || size_t(edge) >= b.edges.size() / 3) {
                LogPrintf("%s:%d: face %d of mesh '%s' names edge %ld of %zu: left out", im.source, im.line,
                          b.faceCount, mesh.c_str(), e, b.edges.size() / 3);
                usable = false;
                break;
            }
            const long from = b.edges[3 * size_t(edge)], to = b.edges[3 * size_t(edge) + 1];
            const long ends[2] = {e >= 0 ? from : to, e >= 0 ? to : from};
            for (long p : ends) {
                if (p < 0 || size_t(p) >= pointCount) {
                    LogPrintf("%s:%d: face %d of mesh '%s' names point %ld of %zu: left out", im.source,
                              im.line, b.faceCount, mesh.c_str(), p, pointCount);
                    usable = false;
                    break;
                }
                if (loop.empty() || loop.back() != int32_t(p))
                    loop.push_back(int32_t(p));
            }
            if (!usable)
                break;
        }
        if (loop.size() > 1 && loop.back() == loop.front())
            loop.pop_back();
        if (!usable)
            loop.clear();
        current = usable ? long(b.faces.size()) : -1;
        b.faces.push_back(int32_t(loop.size()));
        b.faces.insert(b.faces.end(), loop.begin(), loop.end());
        ++b.faceCount;
    }
}

void ReadObjectGroup(MayaImport& im, MeshBuild& b, std::string& attr, MayaValues& values,
                     const std::string& mesh)
{
    long m = 0, unused = 0;
    if (!MayaMatchAttr(attr, ".objectGroups", m, unused))
        return;
    // The group's id and colour need nothing here; its component list does.
    if (attr.rfind(".objectGroups", 0) != 0 && attr != ".objectGrpCompList")
        return;
    MeshBuild::Group* group = nullptr;
    for (MeshBuild::Group& g : b.groups)
        if (g.number == m)
            group = &g;
    if (!group)
        group = &b.groups.emplace_back(MeshBuild::Group{m, {}});
    std::string t;
    long count = 0;
    if (!values.Long(count))
        return;
    while (values.Value(t)) {
        if (t.rfind("f[", 0) != 0)
            continue;
        long first = 0, last = 0;
        std::string token = t;
        if (!MayaMatchAttr(token, "f", first, last) || last < first) {
            LogPrintf("%s:%d: component '%s' of mesh '%s' dropped", im.source, im.line, t.c_str(),
                      mesh.c_str());
            continue;
        }
        group->ranges.emplace_back(first, last);
    }
}

// Every face a fan around its first corner; each triangle's normal
// (b - a) x (c - b) is added to its corners' points, and a vertex takes the
// reversed, normalised sum of its point.
void ComputeNormals(MeshBuild& b)
{
    std::vector<CVector> sums(b.vertices.size(), CVector(0, 0, 0));
    auto at = [&](int32_t v) {
        return CVector(b.vertices[size_t(v)].x, b.vertices[size_t(v)].y, b.vertices[size_t(v)].z);
    };
    size_t p = 0;
    for (int32_t f = 0; f < b.faceCount; ++f) {
        const int32_t n = b.faces[p];
        const int32_t* c = &b.faces[p + 1];
        for (int32_t i = 1; i + 1 < n; ++i) {
            int32_t t[3] = {c[0], c[i], c[i + 1]};
            if (b.opposite)
                std::swap(t[1], t[2]);
            const CVector e1 = at(t[1]) - at(t[0]), e2 = at(t[2]) - at(t[1]);
            CVector normal(e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x);
            const float length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
            if (length > 0.0f)
                normal = normal * (1.0f / length);
            for (int32_t v : t)
                sums[size_t(b.vertexPoint[size_t(v)])] = sums[size_t(b.vertexPoint[size_t(v)])] + normal;
        }
        p += size_t(n) + 1;
    }
    for (size_t v = 0; v < b.vertices.size(); ++v) {
        CVector s = sums[size_t(b.vertexPoint[v])];
        const float length = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
        // A point of zero-area triangles only keeps a zero normal.
        if (length > 0.0f)
            s = s * (-1.0f / length);
        b.vertices[v].nx = s.x;
        b.vertices[v].ny = s.y;
        b.vertices[v].nz = s.z;
    }
}

CMeshNode* BuildMesh(MayaImport& im, MeshBuild& b, const std::string& name, CNode& parent)
{
    MakeVertices(b);
    ComputeNormals(b);
    // One material per object group with faces, in group order; at least one.
    std::vector<const MeshBuild::Group*> groups;
    for (const MeshBuild::Group& g : b.groups)
        if (!g.ranges.empty())
            groups.push_back(&g);
    const size_t materialCount = groups.empty() ? 1 : groups.size();
    std::vector<int32_t> table = {int32_t(materialCount), 0};
    table.resize(2 + size_t(b.faceCount), 0);
    for (size_t mi = groups.size(); mi-- > 0;)
        for (const auto& [first, last] : groups[mi]->ranges) {
            if (first < 0 || last >= b.faceCount) {
                LogPrintf(
                    "%s: faces f[%ld:%ld] of object group %ld outside the %d faces of mesh '%s': dropped",
                    im.source, first, last, groups[mi]->number, b.faceCount, name.c_str());
                continue;
            }
            for (long f = first; f <= last; ++f)
                table[2 + size_t(f)] = int32_t(mi);
        }
    std::vector<CSurfaceMaterial> surfaces(materialCount);
    std::vector<uint16_t> numbers(2 * b.vertices.size(), 0);
    for (size_t v = 0; v < b.vertices.size(); ++v)
        numbers[2 * v] = uint16_t(b.vertexPoint[v]);
    auto* mesh = new CMeshNode(name.c_str(), int32_t(b.vertices.size()), b.vertices.data(), b.faceCount,
                               b.faces.data(), surfaces.data(), table.data(), numbers.data());
    mesh->spareFlag = b.hidden ? 1 : 0;

    // The winding turns once for ".opposite" and once per mirrored axis of the parent.
    bool flip = b.opposite;
    auto* modelParent = dynamic_cast<CModelNode*>(&parent);
    if (modelParent && (modelParent->modelKind == CModelNode::KIND_FRAME ||
                        modelParent->modelKind == CModelNode::KIND_JOINT)) {
        const CVector& s = static_cast<CFrameNode*>(modelParent)->scaling;
        flip ^= s.x < 0;
        flip ^= s.y < 0;
        flip ^= s.z < 0;
    }
    if (flip && mesh->triangleCount >= 1 && mesh->triangleCount == mesh->indexCount / 3)
        for (int32_t i = 0; i + 2 < mesh->indexCount; i += 3)
            std::swap(mesh->indices[i + 1], mesh->indices[i + 2]);

    MayaMeshInfo& info = im.meshes[mesh];
    for (const MeshBuild::Group* g : groups)
        info.groupNumbers.push_back(int32_t(g->number));
    const size_t pointCount = b.pointCount;
    info.pointVertices.assign(pointCount, {});
    info.pointPositions.resize(3 * pointCount);
    for (size_t p = 0; p < pointCount; ++p) {
        info.pointPositions[3 * p] = b.vertices[p].x;
        info.pointPositions[3 * p + 1] = b.vertices[p].y;
        info.pointPositions[3 * p + 2] = b.vertices[p].z;
    }
    // The mesh lays out a copy of the vertices per material when it has several.
    for (int32_t mi = 0; mi < mesh->materialCount; ++mi) {
        const CMeshMaterial& m = mesh->materials[mi];
        for (int32_t j = 0; j < m.vertexCount; ++j) {
            const int32_t source = mesh->materialCount > 1 ? m.vertexList[j] : j;
            if (source >= 0 && size_t(source) < b.vertexPoint.size())
                info.pointVertices[size_t(b.vertexPoint[size_t(source)])].push_back(m.firstVertex + j);
        }
    }
    parent.AddChild(mesh);
    return mesh;
}

} // namespace

std::string MayaReadMeshNode(MayaImport& im, std::string_view rest)
{
    const MayaNodeFlags flags = MayaReadNodeFlags(rest);
    if (!flags.hasName)
        return im.MayaSkipAttrLines();
    CNode* parent = MayaFindParent(im, flags, "MeshNode");
    if (!parent)
        return im.MayaSkipAttrLines();
    const std::string& name = flags.name;
    MeshBuild b;
    std::string statement;
    while (im.Next(statement)) {
        if (!IsAttrStatement(statement))
            break;
        size_t pos = 0;
        std::string keyword, attr;
        if (!MayaReadToken(statement, pos, keyword) || !MayaReadToken(statement, pos, attr))
            continue;
        MayaValues values(statement, pos);
        long first = 0, last = -1;
        // "-size N" sizes the array this statement (or the next) fills.
        bool more = true;
        while (more && MayaMatchAttr(attr, "-size", first, last)) {
            values.Long(b.size);
            more = values.Token(attr);
        }
        if (!more)
            continue;
        if (attr.rfind(".displayBorders", 0) == 0 || attr.rfind(".displayEdges", 0) == 0 ||
            attr.rfind("-keyable", 0) == 0)
            continue;
        std::string flag;
        if (MayaMatchAttr(attr, ".template", first, last) ||
            MayaMatchAttr(attr, ".intermediateObject", first, last)) {
            if (values.Value(flag) && MayaBool(flag))
                b.hidden = true;
        } else if (MayaMatchAttr(attr, ".visibility", first, last)) {
            if (values.Value(flag) && !MayaBool(flag))
                b.hidden = true;
        } else if (MayaMatchAttr(attr, ".opposite", first, last)) {
            if (values.Value(flag))
                b.opposite = MayaBool(flag);
        } else if (MayaMatchAttr(attr, ".vrts", first, last)) {
            ReadArray(im, values, first, last, b.size, 3, b.points, ".vrts", name);
        } else if (MayaMatchAttr(attr, ".pnts", first, last)) {
            ReadArray(im, values, first, last, b.size, 3, b.offsets, ".pnts", name);
        } else if (MayaMatchAttr(attr, ".edge", first, last)) {
            ReadArray(im, values, first, last, b.size, 3, b.edges, ".edge", name);
        } else if (MayaMatchAttr(attr, ".uvpt", first, last)) {
            ReadArray(im, values, first, last, b.size, 2, b.uvs, ".uvpt", name);
        } else if (MayaMatchAttr(attr, ".face", first, last)) {
            b.size = -1;
            ReadFaces(im, b, values, name);
        } else if (MayaMatchAttr(attr, ".instObjGroups", first, last)) {
            ReadObjectGroup(im, b, attr, values, name);
        } else {
            LogPrintf("Unknown parameter '%s' in MeshNode '%s'", attr.c_str(), name.c_str());
            LogPrintf("%s:%d: statement dropped", im.source, im.line);
        }
    }
    BuildMesh(im, b, name, *parent);
    return statement;
}

} // namespace maya
