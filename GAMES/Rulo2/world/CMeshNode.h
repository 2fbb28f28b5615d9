#pragma once
// The model node that carries geometry: vertices, material-relative triangle
// indices split into material ranges, materials with their texture references,
// per-vertex position tracks and an optional outline polygon (the shape).
#include <cstdint>
#include <string>

#include "GAMES/Rulo2/Model.h"

class CTexture;
class CTexturePage;

// Flexible vertex format 0x212: position, normal, two texture-coordinate sets.
struct MeshVertex
{
    float x, y, z;
    float nx, ny, nz;
    float u, v;
    float tu2, tv2;
};
static_assert(sizeof(MeshVertex) == 40);

struct CSurfaceMaterial
{
    CSurfaceMaterial();

    std::string name;
    // diffuse r, g, b, a; ambient r, g, b, a; specular; emissive; power
    float colour[17];
    uint32_t reserved = 0;
};

struct CMeshMaterial
{
    CMeshMaterial() = default;
    ~CMeshMaterial();
    CMeshMaterial(const CMeshMaterial&) = delete;
    CMeshMaterial& operator=(const CMeshMaterial&) = delete;

    int32_t firstIndex = 0;
    int32_t indexCount = 0;
    int32_t firstVertex = 0;
    int32_t vertexCount = 0;
    uint16_t* vertexList = nullptr;
    CSurfaceMaterial* surface = nullptr;
    int32_t transparency = 0;
    // Resolved texture and page; null until the texture services bind them.
    CTexture* texture = nullptr;
    CTexturePage* page = nullptr;
    int32_t pageEntry = -1;
    int32_t entryRect[4] = {};
    int32_t flipU = 0;
    int32_t flipV = 0;
    int32_t rotations = 0;
    float scaleU = 1.0f;
    float scaleV = 1.0f;
    // The stored reference, kept so that it is written back as it was read:
    // the texture's file name and the number of its page (-1: no page).
    std::string textureName;
    int32_t pageNumber = -1;
};

struct CVertexTrack
{
    CVertexTrack() = default;
    ~CVertexTrack();
    CVertexTrack(const CVertexTrack&) = delete;
    CVertexTrack& operator=(const CVertexTrack&) = delete;

    // Replaces one axis's keys: `count` times then `count` values.
    void SetKeys(int axis, int32_t count, const float* times, const float* values);

    CVertexTrack* next = nullptr;
    uint8_t ease = 1;
    int32_t count = 0;
    int32_t* vertexIndexes = nullptr;
    int32_t cache[3] = {};
    float base[3] = {};
    int32_t keyCount[3] = {};
    float* keys[3] = {};
};

class CMeshNode : public CModelNode
{
public:
    static constexpr uint32_t kVersion = 14;

    explicit CMeshNode(const char* name = nullptr);
    // From importer data. `polygons`: per polygon a corner count n, then n
    // vertex numbers; each becomes a triangle fan. `surfaces` (optional): one
    // per material, copied. `materialTable` (optional): material count, one
    // further word, then one material number per polygon. `importerNumbers`
    // (optional): u16 pairs per vertex whose first is the importer's number.
    // Polygons with fewer than 3 corners, a vertex number outside the vertices
    // or a material number outside the table are left out.
    CMeshNode(const char* name, int32_t vertexCount, const MeshVertex* vertices, int32_t polygonCount,
              const int32_t* polygons, const CSurfaceMaterial* surfaces, const int32_t* materialTable,
              const uint16_t* importerNumbers);
    ~CMeshNode() override;

    bool ReadChunk(CChunkReader& body) override;
    size_t Describe(char* text, size_t size) override;
    uint32_t GetSize() override;

    virtual bool WriteTracks(CChunkWriter& writer);
    virtual bool ReadTracks(CChunkReader& body, uint32_t version);

    // Setting up geometry in code (importers, tests): arrays are copied.
    void SetVertices(const MeshVertex* source, int32_t count);
    void SetIndices(const uint16_t* source, int32_t count);
    void SetMaterialCount(int32_t count);
    void SetShape(const CVector* points, int32_t pointCount, const int32_t* edges, int32_t edgeCount);
    // Prepends a track (the list runs newest first, as the reader builds it).
    void AddTrack(CVertexTrack* track);

    void BuildWireEdges();

    // Texture coordinates of one material's vertex range: back to the base
    // coordinates; flips, quarter turns and scale; fitted into its page entry.
    void RestoreTexCoords(const CMeshMaterial& material);
    void ApplyTexTransform(const CMeshMaterial& material);
    void FitTexCoordsToPage(const CMeshMaterial& material);
    bool MaterialHasTexCoords(int32_t material) const;
    bool MaterialTexCoordsInRange(int32_t material) const;
    // Face normals (p1 - p0) x (p2 - p1) summed per vertex and normalised.
    bool ComputeNormals();
    // Every material range lies inside the arrays, every index of a material
    // names a vertex of that material's range, every index at all names a
    // vertex, every track names existing vertices and every shape edge an
    // existing point. Anything else would be drawn or animated out of bounds.
    bool IndicesValid(const char** reason = nullptr) const;
    void FreeTracks();

    int32_t triangleCount = 0;
    int32_t vertexCount = 0;
    int32_t indexCount = 0;
    MeshVertex* vertices = nullptr;
    uint16_t* indices = nullptr;
    uint16_t* wireEdges = nullptr;
    float* baseTexCoords = nullptr;
    CMatrix worldMatrix = CMatrix::Identity;
    CVector* shapePoints = nullptr;
    int32_t shapePointCount = 0;
    int32_t* shapeEdges = nullptr;
    int32_t shapeEdgeCount = 0;
    int32_t materialCount = 0;
    CMeshMaterial* materials = nullptr;
    uint8_t backfaceCulling = 1;
    uint8_t complex = 0;
    uint8_t inside = 0;
    uint8_t smooth = 1;
    uint8_t lightFlare = 0;
    CVertexTrack* vertexTracks = nullptr;
    uint8_t tracksShared = 0;
    uint16_t* sourceVertexNumbers = nullptr;
    int32_t bufferBase = 0;

protected:
    void OnGetAnimationStart(float& t) override;
    void OnGetAnimationEnd(float& t) override;
    void OnUpdateWorldMatrix(const CMatrix& parentWorld, float time) override;
    void OnFreezeTransforms() override;
    void OnBakeStaticAnimation() override;
    void OnExtendBounds(const CMatrix& world, CVector& min, CVector& max) override;
    void OnCountGeometry(uint32_t& triangles, uint32_t& vertices) override;
    bool OnHasShape() override;
    void OnFillVertexBuffer(MeshVertex* buffer, uint32_t capacity, uint32_t& offset) override;
    bool WriteOwnChunk(CChunkWriter& writer) override;

    void EvaluateTracks(float time);
    bool ReadMaterial(CChunkReader& body, uint32_t version, CMeshMaterial& m);
    bool WriteMaterial(CChunkWriter& writer, const CMeshMaterial& m);
    void FreeGeometry();
};
