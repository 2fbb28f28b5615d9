#pragma once
// The terrain record of a kind-4 world object: the parameters that rebuild a
// terrain from its heightmap and rule file, the rule set read from that file,
// and what a rebuild leaves for drawing (one vertex and index list per texture
// of the texture table). The world file keeps the parameters inside the
// owner's "NODE" chunk; everything else is made again on load.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "LIBS/System/sList.h"
#include "LIBS/System/sPtrList.h"
#include "LIBS/System/sString.h"

class CChunkReader;
class CChunkWriter;
class CModelEntry;
class CTexture;
class CWorldObject;
class imgImage;

// A texture of the texture table or of a texture rule. Rule entries share the
// texture and image of the table entry of the same file.
struct CGeneratorEntry
{
    std::shared_ptr<CTexture> texture;
    std::shared_ptr<imgImage> image;
    uint16_t family = 0;
    float weight = 0.0f;
    uint16_t tableIndex = 0;
    // The texture's name as the rule file gave it ("V0"); the writer writes it
    // whether or not the file could be loaded.
    sString key;
    bool surfaceTried = false;
};

// What a rule chooses among on an object rule: a definition by its number.
struct CGeneratorObjectEntry
{
    int32_t object = -1;
    float weight = 0.0f;
};

struct CGeneratorRule
{
    sString name;
    float heightStart = 0.0f, heightEnd = 1.0f;
    float slopeStart = 0.0f, slopeEnd = 1.5707964f;
    float directionStart = 0.0f, directionEnd = 6.2831855f;
    float density = 1.0f;
    float weightSum = 0.0f;
    sPtrList<CGeneratorEntry> entries;          // texture rules
    std::vector<CGeneratorObjectEntry> objects; // object rules
};

// A model to scatter. A definition whose model is not in the model list keeps
// the name it was given, so that writing the rule set keeps it.
struct CGeneratorObject
{
    CModelEntry* model = nullptr;
    sString modelName;
    uint8_t scalePercentFlag = 1;
    float scalePercent = 0.0f;
    float scaleFrom = 0.0f, scaleTo = 0.0f;
    uint8_t rotatePercentFlag = 1;
    float rotatePercent = 0.0f;
    float rotateFrom = 0.0f, rotateTo = 0.0f;
    int32_t amount = 1;

    bool HasModelName() const { return model || !modelName.isEmpty(); }
};

struct STerrainGridVertex
{
    float x, y, z;
    float column, row;
    float nx, ny, nz;
};

struct STerrainVertex
{
    float x, y, z;
    float nx, ny, nz;
    float u1, v1;
    float u2, v2;
};
static_assert(sizeof(STerrainVertex) == 40);

struct STerrainCell
{
    uint16_t orientation = 0xFFFF;
    uint16_t tableIndex = 0;
    uint16_t chosen = 0;
};

constexpr uint16_t kPlainCell = 0xFFFF;
// The largest number of vertices a 16-bit index reaches.
constexpr int32_t kMaxTerrainVertices = 65536;
// Object numbers of a rule file above this are taken for typing errors.
constexpr int32_t kMaxObjectDefinition = 4095;

class CTerrainRules
{
public:
    CTerrainRules();
    ~CTerrainRules();
    CTerrainRules(const CTerrainRules&) = delete;
    CTerrainRules& operator=(const CTerrainRules&) = delete;

    // The colour record of a new terrain.
    void InitColorRecord();
    // A name stores the name and loads the image (more than one byte per pixel
    // is turned into 8-bit grey); null or empty empties name and image.
    void SetHeightmap(const char* name);
    void BuildMesh();
    // Draws the texture groups with the owner's placement.
    void Render(CWorldObject* object);
    // Seeds the generator with the record's seed and deletes the objects made before.
    void ClearGenerated();
    void FreeWorkData();

    bool WriteRecord(CChunkWriter& writer, const char* name) const;
    // Reads the record (versions 1 to 4) and rebuilds the terrain; the owner's
    // name goes into `nameBuffer` (cut to its size). False when the record is
    // damaged (nothing is rebuilt then).
    bool Generate(CChunkReader& reader, char* nameBuffer, size_t bufferSize);

    // The rule file.
    void Parse(const char* path);
    // The reading of Parse over a text already read (`fileName` names it in messages).
    void ParseText(const std::string& text, const char* fileName);
    bool Write(const char* path);
    // The rule file's text as Write makes it (paths lower-cased as Write does).
    std::string WriteText();

    // The generation passes.
    void ScatterObjects();
    void GenerateTextures();
    void BuildTransitions();
    void BuildTextureGroups();
    int32_t PickTextureRule(float slope, float direction, float height);
    int32_t PickTexture(int32_t rule);
    int32_t PickObjectRule(float slope, float direction, float height);
    CGeneratorObject* PickObject(int32_t rule);
    // The first of the ten numbered variants of a transition file that exists,
    // in the generated and then the standard folder; empty when none does.
    std::string FindTransitionFile(const char* name) const;

    // The whole rebuild of a terrain in its order: seed and clear, heightmap
    // (unless `loadHeightmap` is false), mesh, rules, objects, textures, free.
    void Rebuild(const char* heightmap, const char* rules, bool loadHeightmap);

    uint32_t version = 4;
    float width = 30.0f;
    float depth = 30.0f;
    float devX = 30.0f, devY = 30.0f;
    float texResX = 1.0f, texResY = 1.0f;
    float maxHeight = 10.0f;
    uint32_t spare[2] = {0, 0};
    float randX = 0.0f;
    float randY = 0.0f;
    // The four words after the nine: 0, 5, 50.0, 10.0 for a new terrain.
    uint32_t extra[4];
    int32_t gridColumns = 0, gridRows = 0;
    int32_t vertexCount = 0;
    int32_t doubleVertexCount = 0;
    int32_t textureCount = 0;
    std::vector<STerrainGridVertex> gridVertices;
    std::vector<std::vector<STerrainVertex>> groupVertices;
    std::vector<std::vector<uint16_t>> groupIndices;
    std::vector<STerrainCell> cells;
    std::string heightmapName;
    std::string rulesPath;
    std::string standardPath, generatedPath;
    sPtrList<CGeneratorEntry> textureTable;
    sList<CGeneratorObject> objectDefinitions;
    sList<CGeneratorRule> textureRules;
    sList<CGeneratorRule> objectRules;
    sList<sString> families;
    std::shared_ptr<imgImage> heightmap;
    uint32_t colorRecord[4] = {};
    uint8_t valid = 0;
    uint32_t seed = 0;
    // Bounding sphere of the grid; a radius below 0 is empty.
    float boundsCentre[3] = {0, 0, 0};
    float boundsRadius = -1.0f;
    CWorldObject* owner = nullptr;
    // What the last Parse skipped or refused, each with file and line.
    std::vector<std::string> ruleProblems;

    const char* FamilyName(int32_t family) const;

private:
    // The height, normal, slope and direction of a cell's first triangle.
    void CellShape(int32_t cell, float& height, float& slope, float& direction) const;
    void ParseLine(std::string line, struct SRuleReader& reader);
    void Problem(const SRuleReader& reader, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void ReadFamilyEntry(int32_t family, const std::string& name);
    void ReadTextureEntry(struct SRuleReader& reader, const std::string& value);
    void ReadObjectDefinition(struct SRuleReader& reader, std::string value);
    // A new table entry for a texture file: its image, and a texture made from
    // a copy when the image has pixels.
    CGeneratorEntry* LoadEntry(const std::string& file);
};

// The transition image of four corner images (TL, TR, BL, BR); images of
// different sizes give a zero-filled image of the bottom-right one's size.
void BlendCornerImages(const imgImage& topLeft, const imgImage& topRight, const imgImage& bottomLeft,
                       const imgImage& bottomRight, imgImage& out);
