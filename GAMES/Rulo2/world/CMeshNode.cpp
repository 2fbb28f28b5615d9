#include "GAMES/Rulo2/world/CMeshNode.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/MeshShape.h"
#include "LIBS/System/LogPrintf.h"

CSurfaceMaterial::CSurfaceMaterial()
{
    std::fill(std::begin(colour), std::end(colour), 0.0f);
    colour[0] = colour[1] = colour[2] = 0.5f; // diffuse
    colour[3] = 1.0f;
    colour[4] = colour[5] = colour[6] = 0.5f; // ambient
    colour[7] = 1.0f;
}

CMeshMaterial::~CMeshMaterial()
{
    delete surface;
    delete[] vertexList;
}

CVertexTrack::~CVertexTrack()
{
    delete[] vertexIndexes;
    for (float*& k : keys) {
        delete[] k;
        k = nullptr;
    }
}

void CVertexTrack::SetKeys(int axis, int32_t n, const float* times, const float* values)
{
    delete[] keys[axis];
    keys[axis] = nullptr;
    keyCount[axis] = n > 0 ? n : 0;
    cache[axis] = 0;
    if (n <= 0)
        return;
    keys[axis] = new float[2 * size_t(n)];
    std::memcpy(keys[axis], times, size_t(n) * sizeof(float));
    std::memcpy(keys[axis] + n, values, size_t(n) * sizeof(float));
}

CMeshNode::CMeshNode(const char* text) : CModelNode(text)
{
    modelKind = KIND_MESH;
}

CMeshNode::CMeshNode(const char* text, int32_t count, const MeshVertex* source, int32_t polygonCount,
                     const int32_t* polygons, const CSurfaceMaterial* surfaces, const int32_t* materialTable,
                     const uint16_t* importerNumbers)
    : CModelNode(text)
{
    modelKind = KIND_MESH;
    if (count < 0 || !source)
        count = 0;
    const int32_t materialsWanted = materialTable && materialTable[0] > 0 ? materialTable[0] : 1;
    SetMaterialCount(materialsWanted);
    for (int32_t i = 0; i < materialCount; ++i)
        if (surfaces)
            *materials[i].surface = surfaces[i];
    sourceVertexNumbers = count ? new uint16_t[size_t(count)] : nullptr;
    for (int32_t i = 0; i < count; ++i)
        sourceVertexNumbers[i] = importerNumbers ? importerNumbers[2 * i] : uint16_t(i);

    // The triangle fans of every usable polygon, with its material.
    struct Triangle
    {
        int32_t corner[3];
        int32_t material;
    };
    std::vector<Triangle> triangles;
    const int32_t* p = polygons;
    for (int32_t k = 0; p && k < polygonCount; ++k) {
        const int32_t n = *p++;
        const int32_t* corners = p;
        p += n > 0 ? n : 0;
        const int32_t material = materialTable ? materialTable[2 + k] : 0;
        bool usable = n >= 3 && material >= 0 && material < materialCount;
        // Indices are 16 bits wide: one material's vertices must stay within reach.
        for (int32_t c = 0; usable && c < n; ++c)
            usable = corners[c] >= 0 && corners[c] < count && (materialCount > 1 || corners[c] <= 0xFFFF);
        if (!usable) {
            LogPrintf("Mesh '%s': polygon %d left out", text ? text : "unnamed", k);
            continue;
        }
        for (int32_t c = 1; c + 1 < n; ++c)
            triangles.push_back({{corners[0], corners[c], corners[c + 1]}, material});
    }

    std::vector<MeshVertex> outVertices;
    std::vector<uint16_t> outIndices;
    if (materialCount == 1) {
        // One material: the indices name the vertex array directly.
        outVertices.assign(source, source + count);
        for (const Triangle& t : triangles)
            for (int32_t c : t.corner)
                outIndices.push_back(uint16_t(c));
        CMeshMaterial& m = materials[0];
        m.vertexCount = count;
        m.indexCount = int32_t(outIndices.size());
    } else {
        // Several: each material gets its own copy of the vertices it uses,
        // ranges laid out material by material, indices relative to the range.
        std::vector<int32_t> local(size_t(count), -1);
        for (int32_t mi = 0; mi < materialCount; ++mi) {
            CMeshMaterial& m = materials[mi];
            m.firstVertex = int32_t(outVertices.size());
            m.firstIndex = int32_t(outIndices.size());
            std::fill(local.begin(), local.end(), -1);
            std::vector<uint16_t> copiedFrom;
            for (const Triangle& t : triangles) {
                if (t.material != mi)
                    continue;
                if (copiedFrom.size() + 3 > 0x10000) {
                    LogPrintf("Mesh '%s': material %d has too many vertices", text ? text : "unnamed", mi);
                    break;
                }
                for (int32_t c : t.corner) {
                    if (local[size_t(c)] < 0) {
                        local[size_t(c)] = int32_t(copiedFrom.size());
                        copiedFrom.push_back(uint16_t(c));
                        outVertices.push_back(source[c]);
                    }
                    outIndices.push_back(uint16_t(local[size_t(c)]));
                }
            }
            m.vertexCount = int32_t(copiedFrom.size());
            m.indexCount = int32_t(outIndices.size()) - m.firstIndex;
            if (!copiedFrom.empty()) {
                m.vertexList = new uint16_t[copiedFrom.size()];
                std::copy(copiedFrom.begin(), copiedFrom.end(), m.vertexList);
            }
        }
    }
    SetVertices(outVertices.data(), int32_t(outVertices.size()));
    SetIndices(outIndices.data(), int32_t(outIndices.size()));
    const char* reason = nullptr;
    if (!IndicesValid(&reason))
        LogPrintf("WARNING: ILLEGAL INDICES WITHIN MESH!! '%s': %s", text ? text : "unnamed", reason);
}

CMeshNode::~CMeshNode()
{
    FreeGeometry();
}

void CMeshNode::FreeTracks()
{
    if (!tracksShared) {
        while (vertexTracks) {
            CVertexTrack* after = vertexTracks->next;
            delete vertexTracks;
            vertexTracks = after;
        }
    }
    vertexTracks = nullptr;
    tracksShared = 0;
}

void CMeshNode::FreeGeometry()
{
    delete[] baseTexCoords;
    delete[] vertices;
    delete[] indices;
    delete[] wireEdges;
    delete[] shapePoints;
    delete[] shapeEdges;
    delete[] sourceVertexNumbers;
    delete[] materials;
    baseTexCoords = nullptr;
    vertices = nullptr;
    indices = nullptr;
    wireEdges = nullptr;
    shapePoints = nullptr;
    shapeEdges = nullptr;
    sourceVertexNumbers = nullptr;
    materials = nullptr;
    vertexCount = indexCount = triangleCount = materialCount = shapePointCount = shapeEdgeCount = 0;
    FreeTracks();
}

// ---------------------------------------------------------------- set-up

void CMeshNode::SetVertices(const MeshVertex* source, int32_t count)
{
    delete[] vertices;
    delete[] baseTexCoords;
    vertices = nullptr;
    baseTexCoords = nullptr;
    vertexCount = count > 0 ? count : 0;
    if (!vertexCount)
        return;
    vertices = new MeshVertex[size_t(vertexCount)];
    std::copy(source, source + vertexCount, vertices);
    baseTexCoords = new float[2 * size_t(vertexCount)];
    for (int32_t i = 0; i < vertexCount; ++i) {
        baseTexCoords[2 * i] = vertices[i].u;
        baseTexCoords[2 * i + 1] = vertices[i].v;
    }
}

void CMeshNode::SetIndices(const uint16_t* source, int32_t count)
{
    delete[] indices;
    indices = nullptr;
    indexCount = count > 0 ? count : 0;
    if (indexCount) {
        indices = new uint16_t[size_t(indexCount)];
        std::copy(source, source + indexCount, indices);
    }
    triangleCount = indexCount / 3;
    BuildWireEdges();
}

void CMeshNode::SetMaterialCount(int32_t count)
{
    delete[] materials;
    materials = nullptr;
    materialCount = count > 0 ? count : 0;
    if (!materialCount)
        return;
    materials = new CMeshMaterial[size_t(materialCount)];
    for (int32_t i = 0; i < materialCount; ++i)
        materials[i].surface = new CSurfaceMaterial;
}

void CMeshNode::SetShape(const CVector* points, int32_t pointCount, const int32_t* edges, int32_t edgeCount)
{
    delete[] shapePoints;
    delete[] shapeEdges;
    shapePoints = nullptr;
    shapeEdges = nullptr;
    shapePointCount = pointCount > 0 ? pointCount : 0;
    shapeEdgeCount = edgeCount > 0 ? edgeCount : 0;
    if (shapePointCount) {
        shapePoints = new CVector[size_t(shapePointCount)];
        std::copy(points, points + shapePointCount, shapePoints);
    }
    if (shapeEdgeCount) {
        shapeEdges = new int32_t[size_t(shapeEdgeCount)];
        std::copy(edges, edges + shapeEdgeCount, shapeEdges);
    }
}

void CMeshNode::AddTrack(CVertexTrack* track)
{
    if (!track)
        return;
    track->next = vertexTracks;
    vertexTracks = track;
}

void CMeshNode::BuildWireEdges()
{
    delete[] wireEdges;
    wireEdges = nullptr;
    const int32_t triangles = indexCount / 3;
    if (!triangles)
        return;
    wireEdges = new uint16_t[6 * size_t(triangles)];
    for (int32_t t = 0; t < triangles; ++t) {
        const uint16_t* i = indices + 3 * t;
        uint16_t* e = wireEdges + 6 * t;
        e[0] = i[0];
        e[1] = i[1];
        e[2] = i[1];
        e[3] = i[2];
        e[4] = i[2];
        e[5] = i[0];
    }
}

// A loop without an early way out, so that the compiler does it many indices at a time: every
// load checks every index of every mesh.
static uint16_t LargestIndex(const uint16_t* first, const uint16_t* last)
{
    uint16_t largest = 0;
    for (const uint16_t* i = first; i != last; ++i)
        largest = *i > largest ? *i : largest;
    return largest;
}

bool CMeshNode::IndicesValid(const char** reason) const
{
    auto fail = [reason](const char* why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (vertexCount < 0 || indexCount < 0 || materialCount < 0 || shapePointCount < 0 || shapeEdgeCount < 0)
        return fail("negative count");
    if (indexCount && LargestIndex(indices, indices + indexCount) >= vertexCount)
        return fail("index beyond the vertices");
    for (int32_t k = 0; k < materialCount; ++k) {
        const CMeshMaterial& m = materials[k];
        if (m.firstVertex < 0 || m.vertexCount < 0 || int64_t(m.firstVertex) + m.vertexCount > vertexCount)
            return fail("material vertex range beyond the vertices");
        if (m.firstIndex < 0 || m.indexCount < 0 || int64_t(m.firstIndex) + m.indexCount > indexCount)
            return fail("material index range beyond the indices");
        if (m.indexCount &&
            LargestIndex(indices + m.firstIndex, indices + m.firstIndex + m.indexCount) >= m.vertexCount)
            return fail("index beyond its material's vertices");
    }
    for (const CVertexTrack* t = vertexTracks; t; t = t->next)
        for (int32_t i = 0; i < t->count; ++i)
            if (t->vertexIndexes[i] < 0 || t->vertexIndexes[i] >= vertexCount)
                return fail("vertex track names a missing vertex");
    for (int32_t i = 0; i < shapeEdgeCount; ++i)
        if (shapeEdges[i] < 0 || shapeEdges[i] >= shapePointCount)
            return fail("shape edge names a missing point");
    return true;
}

// ---------------------------------------------------------------- tracks

static float SampleAxis(const CVertexTrack& t, int axis, float time)
{
    uint32_t cursor = uint32_t(t.cache[axis] < 0 ? 0 : t.cache[axis]);
    const float v = SampleChannel(t.keys[axis], uint32_t(t.keyCount[axis]), cursor, t.ease != 0, time, 0.0f);
    const_cast<CVertexTrack&>(t).cache[axis] = int32_t(cursor);
    return v;
}

void CMeshNode::EvaluateTracks(float time)
{
    for (CVertexTrack* t = vertexTracks; t; t = t->next) {
        const float x = SampleAxis(*t, 0, time) + t->base[0];
        const float y = SampleAxis(*t, 1, time) + t->base[1];
        const float z = SampleAxis(*t, 2, time) + t->base[2];
        for (int32_t i = 0; i < t->count; ++i) {
            const int32_t v = t->vertexIndexes[i];
            if (v < 0 || v >= vertexCount)
                continue;
            vertices[v].x = x;
            vertices[v].y = y;
            vertices[v].z = z;
        }
    }
}

void CMeshNode::OnGetAnimationStart(float& time)
{
    for (CVertexTrack* t = vertexTracks; t; t = t->next)
        for (int a = 0; a < 3; ++a)
            if (t->keyCount[a] > 0 && t->keys[a][0] < time)
                time = t->keys[a][0];
    CModelNode::OnGetAnimationStart(time);
}

void CMeshNode::OnGetAnimationEnd(float& time)
{
    for (CVertexTrack* t = vertexTracks; t; t = t->next)
        for (int a = 0; a < 3; ++a)
            if (t->keyCount[a] > 0 && t->keys[a][t->keyCount[a] - 1] > time)
                time = t->keys[a][t->keyCount[a] - 1];
    CModelNode::OnGetAnimationEnd(time);
}

void CMeshNode::OnUpdateWorldMatrix(const CMatrix& parentWorld, float time)
{
    EvaluateTracks(time);
    worldMatrix = parentWorld;
    CModelNode::OnUpdateWorldMatrix(parentWorld, time);
}

bool CMeshNode::ComputeNormals()
{
    std::vector<CVector> sum;
    for (int32_t k = 0; k < materialCount; ++k) {
        const CMeshMaterial& m = materials[k];
        if (m.firstVertex < 0 || m.vertexCount <= 0 || int64_t(m.firstVertex) + m.vertexCount > vertexCount ||
            m.firstIndex < 0 || m.indexCount < 0 || int64_t(m.firstIndex) + m.indexCount > indexCount)
            continue;
        MeshVertex* base = vertices + m.firstVertex;
        sum.assign(size_t(m.vertexCount), CVector(0, 0, 0));
        for (int32_t i = m.firstIndex; i + 2 < m.firstIndex + m.indexCount; i += 3) {
            const uint16_t a = indices[i], b = indices[i + 1], c = indices[i + 2];
            if (a >= m.vertexCount || b >= m.vertexCount || c >= m.vertexCount)
                continue;
            const CVector p0(base[a].x, base[a].y, base[a].z);
            const CVector p1(base[b].x, base[b].y, base[b].z);
            const CVector p2(base[c].x, base[c].y, base[c].z);
            CVector n = CVector::cross(p1 - p0, p2 - p1);
            n.normalize();
            sum[a].add(n);
            sum[b].add(n);
            sum[c].add(n);
        }
        for (int32_t v = 0; v < m.vertexCount; ++v) {
            sum[size_t(v)].normalize();
            base[v].nx = sum[size_t(v)].x;
            base[v].ny = sum[size_t(v)].y;
            base[v].nz = sum[size_t(v)].z;
        }
    }
    return true;
}

void CMeshNode::OnFreezeTransforms()
{
    for (int32_t i = 0; i < vertexCount; ++i) {
        CVector p(vertices[i].x, vertices[i].y, vertices[i].z);
        p.transform(worldMatrix);
        vertices[i].x = p.x;
        vertices[i].y = p.y;
        vertices[i].z = p.z;
    }
    ComputeNormals();
    worldMatrix = CMatrix::Identity;
    CModelNode::OnFreezeTransforms();
}

void CMeshNode::OnBakeStaticAnimation()
{
    if (!tracksShared) {
        CVertexTrack** link = &vertexTracks;
        while (CVertexTrack* t = *link) {
            bool moves = false;
            for (int a = 0; a < 3; ++a) {
                uint32_t n = uint32_t(t->keyCount[a]);
                CompressKeys(t->keys[a], n);
                t->keyCount[a] = int32_t(n);
                t->cache[a] = 0;
                if (n >= 2)
                    moves = true;
            }
            if (moves) {
                link = &t->next;
                continue;
            }
            // A still track: its one position goes into the vertices for good.
            CVertexTrack* after = t->next;
            t->next = nullptr;
            CVertexTrack* saved = vertexTracks;
            vertexTracks = t;
            EvaluateTracks(kRestTime);
            vertexTracks = saved;
            delete t;
            *link = after;
        }
    }
    WeldVertices(*this);
    CModelNode::OnBakeStaticAnimation();
}

// ---------------------------------------------------------------- geometry

// The bounds of the vertices of a mesh posed by a matrix that only scales and
// moves: each axis maps on its own and in order, so the corners of the untransformed
// box, transformed, are exactly the bounds of the transformed vertices. False (and
// nothing extended) when the matrix turns or a coordinate is not a finite number,
// where the vertices must be transformed one by one.
static bool ExtendAxisAlignedBounds(const MeshVertex* vertices, int32_t count, const CMatrix& world,
                                    CVector& min, CVector& max)
{
    const float* m = world.m;
    if (count <= 0 || m[1] != 0 || m[2] != 0 || m[4] != 0 || m[6] != 0 || m[8] != 0 || m[9] != 0)
        return false;
    CVector low(vertices[0].x, vertices[0].y, vertices[0].z), high = low;
    // Stays 0 unless some coordinate is infinite or NaN.
    float notFinite = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        const MeshVertex& v = vertices[i];
        low.x = std::min(low.x, v.x);
        low.y = std::min(low.y, v.y);
        low.z = std::min(low.z, v.z);
        high.x = std::max(high.x, v.x);
        high.y = std::max(high.y, v.y);
        high.z = std::max(high.z, v.z);
        notFinite += (v.x + v.y + v.z) * 0.0f;
    }
    if (notFinite != 0.0f)
        return false;
    low.transform(world);
    high.transform(world);
    for (int a = 0; a < 3; ++a) {
        min[a] = std::min({min[a], low[a], high[a]});
        max[a] = std::max({max[a], low[a], high[a]});
    }
    return true;
}

void CMeshNode::OnExtendBounds(const CMatrix& world, CVector& min, CVector& max)
{
    // Every model's frames at rest, as a rule: a prepare then transforms no vertex.
    if (!ExtendAxisAlignedBounds(vertices, vertexCount, world, min, max)) {
        for (int32_t i = 0; i < vertexCount; ++i) {
            CVector p(vertices[i].x, vertices[i].y, vertices[i].z);
            p.transform(world);
            min.x = std::min(min.x, p.x);
            min.y = std::min(min.y, p.y);
            min.z = std::min(min.z, p.z);
            max.x = std::max(max.x, p.x);
            max.y = std::max(max.y, p.y);
            max.z = std::max(max.z, p.z);
        }
    }
    CModelNode::OnExtendBounds(world, min, max);
}

void CMeshNode::OnCountGeometry(uint32_t& triangles, uint32_t& verts)
{
    triangles += uint32_t(triangleCount);
    verts += uint32_t(vertexCount);
    CModelNode::OnCountGeometry(triangles, verts);
}

bool CMeshNode::OnHasShape()
{
    return shapePointCount != 0 || CModelNode::OnHasShape();
}

void CMeshNode::OnFillVertexBuffer(MeshVertex* buffer, uint32_t capacity, uint32_t& offset)
{
    bufferBase = int32_t(offset);
    if (buffer && offset < capacity) {
        const uint32_t n = std::min(uint32_t(vertexCount), capacity - offset);
        std::copy(vertices, vertices + n, buffer + offset);
    }
    offset += uint32_t(vertexCount);
    CModelNode::OnFillVertexBuffer(buffer, capacity, offset);
}

size_t CMeshNode::Describe(char* text, size_t size)
{
    if (!text || size == 0)
        return 0;
    text[0] = '\0';
    size_t used = AppendText(text, size, 0, "MESH '%s'", name ? name : "unnamed");
    if (vertexTracks)
        used = AppendText(text, size, used, " (animated)");
    used = AppendText(text, size, used, "\nTriangles: %d, Vertices: %d", triangleCount, vertexCount);
    for (int32_t k = 0; k < materialCount; ++k) {
        const CMeshMaterial& m = materials[k];
        const char* materialName = m.surface && !m.surface->name.empty() ? m.surface->name.c_str() : nullptr;
        if (materialName)
            used = AppendText(text, size, used, "\nMaterial #%d ('%s'):", k + 1, materialName);
        else
            used = AppendText(text, size, used, "\nMaterial #%d (unnamed):", k + 1);
        const float* c = m.surface ? m.surface->colour : nullptr;
        if (c)
            used = AppendText(text, size, used, "\nR:%d G:%d B:%d A:%d", int(c[0] * 255), int(c[1] * 255),
                              int(c[2] * 255), int(c[3] * 255));
    }
    CVector min(3.4028235e38f, 3.4028235e38f, 3.4028235e38f);
    CVector max(-3.4028235e38f, -3.4028235e38f, -3.4028235e38f);
    ExtendBounds(CMatrix::Identity, min, max);
    const CVector d = max - min;
    const CVector centre = min + d * 0.5f;
    return AppendText(text, size, used, "\nbsphere center: %.5f/%.5f/%.5f\nbsphere radius: %.5f", centre.x,
                      centre.y, centre.z, d.length());
}

uint32_t CMeshNode::GetSize()
{
    uint32_t bytes =
        2 * (uint32_t(indexCount) + 20 * (uint32_t(vertexCount) + 1)) + 84 * uint32_t(materialCount);
    if (!tracksShared)
        for (const CVertexTrack* t = vertexTracks; t; t = t->next)
            bytes += 68 + 4 * (uint32_t(t->count) +
                               2 * uint32_t(t->keyCount[0] + t->keyCount[1] + t->keyCount[2]));
    return bytes + CModelNode::GetSize();
}

// ---------------------------------------------------------------- file

bool CMeshNode::WriteMaterial(CChunkWriter& w, const CMeshMaterial& m)
{
    static const CSurfaceMaterial defaults;
    const CSurfaceMaterial& s = m.surface ? *m.surface : defaults;
    bool ok = w.WriteId(ChunkId("MTRL")) && w.WriteString(s.name.empty() ? nullptr : s.name.c_str()) &&
              w.WriteI32(m.transparency) && w.WriteI32(m.firstVertex) && w.WriteI32(m.vertexCount) &&
              w.WriteI32(m.firstIndex) && w.WriteI32(m.indexCount) && w.WriteI32(m.flipU) &&
              w.WriteI32(m.flipV) && w.WriteI32(m.rotations) && w.WriteF32(m.scaleU) &&
              w.WriteF32(m.scaleV) && w.WriteFloats(s.colour, 17);
    if (!ok)
        return false;
    const char* texture = m.textureName.empty() ? nullptr : m.textureName.c_str();
    if (m.page || m.pageNumber >= 0) {
        return w.WriteId(ChunkId("TXPG")) && w.WriteString(texture) && w.WriteI32(m.pageNumber) &&
               w.WriteI32(m.pageEntry) && w.WriteI32(m.entryRect[0]) && w.WriteI32(m.entryRect[1]) &&
               w.WriteI32(m.entryRect[2]) && w.WriteI32(m.entryRect[3]);
    }
    if (m.texture || texture)
        return w.WriteId(ChunkId("TEXT")) && w.WriteString(texture);
    return w.WriteU32(0);
}

bool CMeshNode::ReadMaterial(CChunkReader& r, uint32_t version, CMeshMaterial& m)
{
    if (r.ReadId() != ChunkId("MTRL"))
        return r.Ok(); // the material keeps its defaults
    m.surface->name = r.ReadPaddedString();
    const int32_t transparency = r.ReadI32();
    if (version >= 6)
        m.transparency = transparency;
    m.firstVertex = r.ReadI32();
    m.vertexCount = r.ReadI32();
    m.firstIndex = r.ReadI32();
    m.indexCount = r.ReadI32();
    if (version >= 5) {
        m.flipU = r.ReadI32();
        m.flipV = r.ReadI32();
        m.rotations = r.ReadI32();
        m.scaleU = r.ReadF32();
        m.scaleV = r.ReadF32();
    }
    if (version < 12)
        r.Skip(4);
    r.ReadFloats(m.surface->colour, 17);
    if (version < 12)
        r.Skip(8);
    const uint32_t tag = r.ReadId();
    if (tag == ChunkId("TXPG")) {
        m.textureName = r.ReadPaddedString();
        m.pageNumber = r.ReadI32();
        m.pageEntry = r.ReadI32();
        for (int32_t& e : m.entryRect)
            e = r.ReadI32();
    } else if (tag == ChunkId("TEXT")) {
        m.textureName = r.ReadPaddedString();
    }
    return r.Ok();
}

bool CMeshNode::WriteTracks(CChunkWriter& w)
{
    if (!tracksShared) {
        for (const CVertexTrack* t = vertexTracks; t; t = t->next) {
            if (!w.WriteId(ChunkId("ANIM")) || !w.WriteU32(t->ease ? 1 : 0) || !w.WriteI32(t->count))
                return false;
            for (int32_t i = 0; i < t->count; ++i)
                if (!w.WriteI32(t->vertexIndexes[i]))
                    return false;
            if (!w.WriteFloats(t->base, 3))
                return false;
            for (int a = 0; a < 3; ++a)
                if (!w.WriteI32(t->keyCount[a]))
                    return false;
            for (int a = 0; a < 3; ++a)
                if (t->keyCount[a] > 0 && !w.WriteFloats(t->keys[a], 2 * size_t(t->keyCount[a])))
                    return false;
        }
    }
    return w.WriteU32(0);
}

bool CMeshNode::ReadTracks(CChunkReader& r, uint32_t version)
{
    FreeTracks();
    while (r.ReadId() == ChunkId("ANIM") && r.Ok()) {
        auto* t = new CVertexTrack;
        AddTrack(t); // owned by the mesh from here on, also when the rest fails
        t->ease = version >= 7 ? (r.ReadU32() != 0) : 1;
        const uint32_t n = r.ReadU32();
        if (n > r.Remaining() / 4)
            return false;
        t->count = int32_t(n);
        if (n) {
            t->vertexIndexes = new int32_t[n];
            r.ReadI32s(t->vertexIndexes, n);
        }
        r.ReadFloats(t->base, 3);
        uint32_t counts[3];
        for (uint32_t& c : counts)
            c = r.ReadU32();
        for (int a = 0; a < 3; ++a) {
            if (counts[a] > r.Remaining() / 8)
                return false;
            t->keyCount[a] = int32_t(counts[a]);
            if (counts[a]) {
                t->keys[a] = new float[2 * size_t(counts[a])];
                r.ReadFloats(t->keys[a], 2 * size_t(counts[a]));
            }
        }
    }
    return r.Ok();
}

bool CMeshNode::WriteOwnChunk(CChunkWriter& w)
{
    if (!BeginNodeChunk(w, *this, kVersion, ChunkId("MESH")) || !w.WriteI32(triangleCount) ||
        !w.WriteI32(vertexCount))
        return false;
    for (int32_t i = 0; i < vertexCount; ++i) {
        const MeshVertex& mv = vertices[i];
        const float fields[10] = {mv.x, mv.y, mv.z, mv.nx, mv.ny, mv.nz, mv.u, mv.v, mv.tu2, mv.tv2};
        if (!w.WriteFloats(fields, 10))
            return false;
    }
    for (int32_t i = 0; i < vertexCount; ++i) {
        const float u = baseTexCoords ? baseTexCoords[2 * i] : vertices[i].u;
        const float v = baseTexCoords ? baseTexCoords[2 * i + 1] : vertices[i].v;
        if (!w.WriteF32(u) || !w.WriteF32(v))
            return false;
    }
    if (!w.WriteI32(indexCount))
        return false;
    for (int32_t i = 0; i < indexCount; ++i)
        if (!w.WriteU16(indices[i]))
            return false;
    if (!w.Pad() || !w.WriteU32(backfaceCulling) || !w.WriteU32(complex) || !w.WriteU32(inside) ||
        !w.WriteU32(smooth) || !w.WriteU32(lightFlare) || !w.WriteI32(materialCount))
        return false;
    for (int32_t k = 0; k < materialCount; ++k)
        if (!WriteMaterial(w, materials[k]))
            return false;
    if (!WriteTracks(w) || !w.WriteI32(shapePointCount))
        return false;
    for (int32_t i = 0; i < shapePointCount; ++i)
        if (!w.WriteVector(shapePoints[i]))
            return false;
    if (!w.WriteI32(shapeEdgeCount))
        return false;
    for (int32_t i = 0; i < shapeEdgeCount; ++i)
        if (!w.WriteI32(shapeEdges[i]))
            return false;
    return w.EndChunk();
}

bool CMeshNode::ReadChunk(CChunkReader& r)
{
    FreeGeometry();
    uint32_t version;
    if (!ReadHead(r, version))
        return false;
    triangleCount = r.ReadI32();
    const uint32_t v = r.ReadU32();
    const size_t vertexBytes = version >= 14 ? 40 : 32;
    // Counts are checked against what the body can hold before anything is allocated.
    if (!r.Ok() || v > r.Remaining() / vertexBytes)
        return false;
    vertexCount = int32_t(v);
    if (v) {
        vertices = new MeshVertex[v];
        baseTexCoords = new float[2 * size_t(v)];
    }
    // Ten floats a vertex, the last two (second texture coordinates) only from
    // version 14 on; older files repeat the first pair there.
    if (version >= 14) {
        // The stored vertex is the one in memory: the whole block is one run.
        static_assert(sizeof(MeshVertex) == 10 * sizeof(float));
        if (v && !r.ReadFloats(reinterpret_cast<float*>(vertices), 10 * size_t(v)))
            return false;
    } else {
        // Field by field through the inline reads: a call for each vertex's run
        // of floats cost more than the copy itself. Braced lists read left to right.
        for (uint32_t i = 0; i < v; ++i) {
            MeshVertex& out = vertices[i];
            out = MeshVertex{r.ReadF32(), r.ReadF32(), r.ReadF32(), r.ReadF32(), r.ReadF32(),
                             r.ReadF32(), r.ReadF32(), r.ReadF32(), 0.0f,        0.0f};
            out.tu2 = out.u;
            out.tv2 = out.v;
        }
    }
    if (version >= 3) {
        if (!r.ReadFloats(baseTexCoords, 2 * size_t(v)))
            return false;
    } else {
        for (uint32_t i = 0; i < v; ++i) {
            baseTexCoords[2 * i] = vertices[i].u;
            baseTexCoords[2 * i + 1] = vertices[i].v;
        }
    }
    const uint32_t n = r.ReadU32();
    if (!r.Ok() || n > r.Remaining() / 2)
        return false;
    indexCount = int32_t(n);
    if (n) {
        indices = new uint16_t[n];
        r.ReadU16s(indices, n);
    }
    r.Align4();
    backfaceCulling = uint8_t(r.ReadU32());
    if (version >= 8)
        complex = uint8_t(r.ReadU32());
    if (version >= 9)
        inside = uint8_t(r.ReadU32());
    if (version >= 10)
        smooth = uint8_t(r.ReadU32());
    if (version >= 13)
        lightFlare = uint8_t(r.ReadU32());
    const uint32_t m = r.ReadU32();
    if (!r.Ok() || m > r.Remaining() / 4)
        return false;
    SetMaterialCount(int32_t(m));
    for (uint32_t k = 0; k < m; ++k)
        if (!ReadMaterial(r, version, materials[k]))
            return false;
    if (!ReadTracks(r, version))
        return false;
    if (version >= 1) {
        const uint32_t p = r.ReadU32();
        if (!r.Ok() || p > r.Remaining() / 12)
            return false;
        shapePointCount = int32_t(p);
        if (p) {
            shapePoints = new CVector[p];
            for (uint32_t i = 0; i < p; ++i)
                shapePoints[i] = r.ReadVector();
        }
    }
    if (version >= 2) {
        const uint32_t e = r.ReadU32();
        if (!r.Ok() || e > r.Remaining() / 4)
            return false;
        shapeEdgeCount = int32_t(e);
        if (e) {
            shapeEdges = new int32_t[e];
            r.ReadI32s(shapeEdges, e);
        }
    }
    if (!r.Ok())
        return false;
    BuildWireEdges();
    const char* reason = nullptr;
    if (!IndicesValid(&reason)) {
        LogPrintf("WARNING: ILLEGAL INDICES WITHIN MESH!! '%s': %s", name ? name : "unnamed", reason);
        return false;
    }
    return true;
}
