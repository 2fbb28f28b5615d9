#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/editor/terrain/TerrainPropertiesDlg.h"
#include "GAMES/Rulo2/editor/terrain/TerrainTextures.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/WorldHelpers.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/crt/Crt.h"
#include "platform/files/WinPath.h"

CTerrainRules::CTerrainRules() : extra{0, 5, std::bit_cast<uint32_t>(50.0f), std::bit_cast<uint32_t>(10.0f)}
{
    InitColorRecord();
    for (int i = 0; i < 4; ++i)
        families.append(sString("NONE"));
}

CTerrainRules::~CTerrainRules()
{
    TerrainPropertiesDlg::ForgetTerrain(this);
    ReleaseRecordList(textureRules);
    ReleaseRecordList(objectRules);
    ReleaseRecordList(objectDefinitions);
    ReleaseTextList(families);
    textureTable.release();
}

void CTerrainRules::InitColorRecord()
{
    colorRecord[0] = colorRecord[1] = colorRecord[2] = 0;
    colorRecord[3] = 0x80800000u;
}

const char* CTerrainRules::FamilyName(int32_t family) const
{
    if (family < 0 || family >= families.count())
        return "NONE";
    return families[family].c_str();
}

void CTerrainRules::SetHeightmap(const char* name)
{
    if (!name || !*name) {
        heightmapName.clear();
        heightmap.reset();
        valid = 0;
        return;
    }
    heightmapName = name;
    auto image = std::make_shared<imgImage>();
    LoadTerrainImage(*image, name);
    // The mesh reads one byte per pixel, row after row.
    if (!image->empty() && (imgFormatBits(image->format) != 8 || image->bytesPerLine != image->width)) {
        if (imgFormatBits(image->format) != 8)
            image->convertTo(FMT_I_8, ORIGIN_TOP_LEFT);
        if (!image->empty() && image->bytesPerLine != image->width) {
            imgImage packed;
            if (packed.allocate(image->width, image->height, image->format, image->origin) == 1) {
                for (int32_t y = 0; y < image->height; ++y)
                    std::memcpy(packed.pixels + size_t(y) * size_t(image->width),
                                image->pixels + size_t(y) * size_t(image->bytesPerLine),
                                size_t(image->width));
                image->take(packed);
            }
        }
    }
    heightmap = image;
    valid = image->empty() ? 0 : 1;
    if (!valid)
        LogPrintf("Terrain heightmap '%s' could not be read", name);
}

void CTerrainRules::BuildMesh()
{
    if (!valid)
        return;
    gridVertices.clear();
    groupVertices.clear();
    groupIndices.clear();
    if (!heightmap || heightmap->empty())
        return;
    // Grid vertices take their heights from the pixels one to one at most:
    // a finer grid would read past the end of the image rows.
    if (texResX > 1.0f || texResY > 1.0f) {
        LogPrintf("Terrain '%s': TexResX %g and TexResY %g may not exceed 1, no mesh built",
                  heightmapName.c_str(), double(texResX), double(texResY));
        gridColumns = gridRows = 0;
        vertexCount = doubleVertexCount = 0;
        return;
    }
    const imgImage& image = *heightmap;
    const int32_t nx = int32_t(float(image.width) * texResX);
    const int32_t ny = int32_t(float(image.height) * texResY);
    if (int64_t(nx) * int64_t(ny) > kMaxTerrainVertices) {
        LogPrintf("Terrain '%s': a grid of %d x %d vertices is more than 65536, no mesh built",
                  heightmapName.c_str(), nx, ny);
        gridColumns = gridRows = 0;
        vertexCount = doubleVertexCount = 0;
        valid = 0;
        return;
    }
    gridColumns = nx;
    gridRows = ny;
    doubleVertexCount = 2 * nx * ny;
    if (nx < 1 || ny < 1)
        return;
    gridVertices.resize(size_t(nx) * size_t(ny));
    const float w = float(int32_t(width));
    const float d = float(int32_t(depth));
    for (int32_t j = 0; j < ny; ++j)
        for (int32_t i = 0; i < nx; ++i) {
            const float jx = float(crt::rand()) / 32767.0f * (w * randX / float(nx));
            const float jz = float(crt::rand()) / 32767.0f * (d * randX / float(ny));
            const uint8_t pixel = image.pixels[size_t(j) * size_t(image.width) + size_t(i)];
            STerrainGridVertex& v = gridVertices[size_t(j) * size_t(nx) + size_t(i)];
            v.x = float(i) / float(nx) * w - w / 2.0f + jx;
            v.y = float(pixel) / 255.0f * maxHeight;
            v.z = float(j) / float(ny) * d - d / 2.0f + jz;
            v.column = float(i);
            v.row = float(j);
            v.nx = v.ny = v.nz = 0.0f;
        }
    auto at = [&](int32_t i, int32_t j) -> STerrainGridVertex& {
        return gridVertices[size_t(j) * size_t(nx) + size_t(i)];
    };
    auto addCross = [](const STerrainGridVertex& a, const STerrainGridVertex& b, const STerrainGridVertex& o,
                       STerrainGridVertex* const(&targets)[3]) {
        const float ax = a.x - o.x, ay = a.y - o.y, az = a.z - o.z;
        const float bx = b.x - o.x, by = b.y - o.y, bz = b.z - o.z;
        const float cx = ay * bz - az * by, cy = az * bx - ax * bz, cz = ax * by - ay * bx;
        for (STerrainGridVertex* t : targets) {
            t->nx += cx;
            t->ny += cy;
            t->nz += cz;
        }
    };
    for (int32_t j = 0; j + 1 < ny; ++j)
        for (int32_t i = 0; i + 1 < nx; ++i) {
            STerrainGridVertex& K = at(i, j);
            STerrainGridVertex& L = at(i, j + 1);
            STerrainGridVertex& M = at(i + 1, j);
            STerrainGridVertex& N = at(i + 1, j + 1);
            addCross(L, M, K, {&K, &L, &M});
            addCross(L, N, M, {&M, &L, &N});
        }
    for (STerrainGridVertex& v : gridVertices) {
        const float length = std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz);
        if (length > 0.0f) {
            v.nx /= length;
            v.ny /= length;
            v.nz /= length;
        }
    }
    std::vector<STerrainVertex> group;
    group.reserve(gridVertices.size());
    for (const STerrainGridVertex& g : gridVertices)
        group.push_back({g.x, g.y, g.z, g.nx, g.ny, g.nz, g.column, g.row, g.column, g.row});
    std::vector<uint16_t> indices;
    indices.reserve(size_t(6) * size_t(nx - 1) * size_t(ny - 1));
    for (int32_t j = 0; j + 1 < ny; ++j)
        for (int32_t i = 0; i + 1 < nx; ++i) {
            const auto K = uint16_t(j * nx + i), L = uint16_t((j + 1) * nx + i);
            const auto M = uint16_t(j * nx + i + 1), N = uint16_t((j + 1) * nx + i + 1);
            indices.insert(indices.end(), {K, L, M, M, L, N});
        }
    groupVertices.push_back(std::move(group));
    groupIndices.push_back(std::move(indices));

    float lo[3] = {3.4028235e38f, 3.4028235e38f, 3.4028235e38f};
    float hi[3] = {-3.4028235e38f, -3.4028235e38f, -3.4028235e38f};
    for (const STerrainGridVertex& v : gridVertices) {
        const float p[3] = {v.x, v.y, v.z};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], p[k]);
            hi[k] = std::max(hi[k], p[k]);
        }
    }
    float radius = 0.0f;
    for (int k = 0; k < 3; ++k)
        boundsCentre[k] = (lo[k] + hi[k]) * 0.5f;
    for (const STerrainGridVertex& v : gridVertices) {
        const float dx = v.x - boundsCentre[0], dy = v.y - boundsCentre[1], dz = v.z - boundsCentre[2];
        radius = std::max(radius, std::sqrt(dx * dx + dy * dy + dz * dz));
    }
    boundsRadius = radius;
}

void CTerrainRules::Render(CWorldObject* object)
{
    if (!valid || vertexCount <= 0 || !object || !DX.device)
        return;
    D3DMATERIAL7 material{};
    material.diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    material.ambient = {0.5f, 0.5f, 0.5f, 1.0f};
    SetMaterialCached(&material);
    SetCulling(true);
    const float c = std::cos(object->angle), s = std::sin(object->angle);
    D3DMATRIX world;
    world.m[0][0] = c;
    world.m[0][2] = -s;
    world.m[1][1] = 1.0f;
    world.m[2][0] = s;
    world.m[2][2] = c;
    world.m[3][0] = object->position.x;
    world.m[3][1] = object->position.y;
    world.m[3][2] = object->position.z;
    world.m[3][3] = 1.0f;
    DX.device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    for (size_t k = 0; k < groupIndices.size() && k < groupVertices.size(); ++k) {
        const std::vector<uint16_t>& indices = groupIndices[k];
        if (indices.empty())
            continue;
        if (int32_t(k) < textureCount && int32_t(k) < textureTable.count()) {
            CGeneratorEntry* entry = textureTable[int32_t(k)];
            CTexture* texture = entry ? entry->texture.get() : nullptr;
            // A terrain built before the device existed (a world read by a
            // tool) gets its surfaces when it is first drawn.
            if (texture && !texture->surface && !entry->surfaceTried && entry->image &&
                !entry->image->empty()) {
                entry->surfaceTried = true;
                imgImage copy;
                if (copy.copy(*entry->image) == 1)
                    texture->CreateFromImage(copy, false);
            }
            SetTextureCached(texture ? texture->surface : nullptr, 0);
        }
        const std::vector<STerrainVertex>& vertices = groupVertices[k];
        DX.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2,
                                        vertices.data(), uint32_t(vertices.size()), indices.data(),
                                        uint32_t(indices.size()), 0);
    }
}

void CTerrainRules::ClearGenerated()
{
    crt::srand(seed);
    if (!owner || !owner->parent || !owner->parent->firstChild)
        return;
    if (CNode* generated = owner->parent->firstChild->FindByName("generated"))
        generated->DeleteChildren();
}

void CTerrainRules::FreeWorkData()
{
    ReleaseRecordList(textureRules);
    heightmap.reset();
    gridVertices.clear();
    gridVertices.shrink_to_fit();
    cells.clear();
    cells.shrink_to_fit();
}

void CTerrainRules::Rebuild(const char* heightmapFile, const char* rules, bool loadHeightmap)
{
    ClearGenerated();
    if (loadHeightmap) {
        SetHeightmap(heightmapFile);
    } else {
        heightmap.reset();
        valid = 0;
    }
    // A terrain that cannot be built keeps nothing of its last build to draw.
    groupVertices.clear();
    groupIndices.clear();
    vertexCount = 0;
    BuildMesh();
    Parse(rules);
    ScatterObjects();
    GenerateTextures();
    FreeWorkData();
}

bool CTerrainRules::WriteRecord(CChunkWriter& w, const char* name) const
{
    bool ok = w.WriteU32(4) && w.WriteString(name) && w.WriteU32(seed);
    const float head[7] = {width, depth, devX, devY, texResX, texResY, maxHeight};
    ok = ok && w.WriteFloats(head, 7) && w.WriteU32(spare[0]) && w.WriteU32(spare[1]);
    for (uint32_t word : extra)
        ok = ok && w.WriteU32(word);
    ok = ok && w.WriteF32(randX) && w.WriteF32(randY);
    const bool hasHeightmap = !heightmapName.empty();
    ok = ok && w.WriteU32(hasHeightmap ? 1 : 0);
    if (hasHeightmap)
        ok = ok && w.WriteString(heightmapName.c_str());
    return ok && w.WriteString(rulesPath.c_str());
}

bool CTerrainRules::Generate(CChunkReader& r, char* nameBuffer, size_t bufferSize)
{
    if (nameBuffer && bufferSize)
        nameBuffer[0] = '\0';
    version = r.ReadU32();
    if (version >= 2) {
        const char* name = r.ReadPaddedString();
        if (nameBuffer && bufferSize) {
            std::strncpy(nameBuffer, name, bufferSize - 1);
            nameBuffer[bufferSize - 1] = '\0';
        }
    }
    if (version >= 4)
        seed = r.ReadU32();
    float head[7];
    r.ReadFloats(head, 7);
    width = head[0];
    depth = head[1];
    devX = head[2];
    devY = head[3];
    texResX = head[4];
    texResY = head[5];
    maxHeight = head[6];
    spare[0] = r.ReadU32();
    spare[1] = r.ReadU32();
    for (uint32_t& word : extra)
        word = r.ReadU32();
    if (version >= 3) {
        randX = r.ReadF32();
        randY = r.ReadF32();
    } else {
        randX = randY = 0.0f;
    }
    std::string image;
    const bool hasHeightmap = r.ReadU32() != 0;
    if (hasHeightmap)
        image = r.ReadPaddedString();
    const std::string rules = r.ReadPaddedString();
    if (!r.Ok())
        return false;
    // Nothing of a damaged record is rebuilt; a whole one keeps its names even
    // when their files are gone, so that saving the world keeps them.
    Rebuild(image.c_str(), rules.c_str(), true);
    heightmapName = image;
    rulesPath = rules;
    return true;
}
