// The two passes that dress a built grid from its rules: objects scattered on
// the cells, then a texture per cell with blended transitions between texture
// families. Both draw from the seeded run-time generator in a fixed order, so
// a seed, heightmap and rule file always give the same terrain.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/editor/terrain/TerrainTextures.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/CVector.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/crt/Crt.h"
#include "platform/files/Files.h"
#include "platform/files/WinPath.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707964f;

float R()
{
    return float(crt::rand()) / 32767.0f;
}

CVector At(const STerrainGridVertex& v)
{
    return CVector(v.x, v.y, v.z);
}

CVector RandomPointOnQuad(const CVector& K, const CVector& M, const CVector& N, const CVector& L)
{
    const bool second = int32_t(R() + 0.49f) != 0;
    const CVector& origin = second ? M : K;
    const CVector& toA = second ? N : M;
    const float u = R();
    const float v = R();
    const float w = R();
    const CVector a = origin + (toA - origin) * u;
    const CVector b = origin + (L - origin) * v;
    return a + (b - a) * w;
}

// The size that a range-form scale is measured against: the model's height.
float ReferenceSize(const CRootNode* model)
{
    const float height = model->boundsMax.y - model->boundsMin.y;
    return height > 0.0f ? height : 1.0f;
}

} // namespace

TextureListHidden::TextureListHidden() : first_(CTexture::First()), last_(CTexture::Last())
{
    CTexture::SetFirst(nullptr);
}

TextureListHidden::~TextureListHidden()
{
    CTexture::SetFirst(first_);
    CTexture::SetLast(last_);
}

bool LoadTerrainImage(imgImage& image, const std::string& path)
{
    const std::string file = platform::ResolvePath(path).string();
    if (platform::Access(file, 4) != 0)
        return false;
    return image.load(file.c_str()) == 1;
}

std::shared_ptr<CTexture> MakeGeneratedTexture(const imgImage& image, const char* name)
{
    auto texture = std::make_shared<CTexture>(name);
    imgImage copy;
    if (copy.copy(image) == 1)
        texture->CreateFromImage(copy, false);
    return texture;
}

void CTerrainRules::CellShape(int32_t cell, float& height, float& slope, float& direction) const
{
    const int32_t nx = gridColumns;
    const int32_t i = cell % (nx - 1), j = cell / (nx - 1);
    const STerrainGridVertex& K = gridVertices[size_t(j) * size_t(nx) + size_t(i)];
    const STerrainGridVertex& L = gridVertices[size_t(j + 1) * size_t(nx) + size_t(i)];
    const STerrainGridVertex& M = gridVertices[size_t(j) * size_t(nx) + size_t(i + 1)];
    height = maxHeight != 0.0f ? (K.y + L.y + M.y) / 3.0f / maxHeight : 0.0f;
    float x = K.nx + L.nx + M.nx, y = K.ny + L.ny + M.ny, z = K.nz + L.nz + M.nz;
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length > 0.0f) {
        x /= length;
        y /= length;
        z /= length;
    }
    slope = std::acos(std::clamp(y, -1.0f, 1.0f));
    const float horizontal = x * x + z * z;
    if (horizontal <= 1.1920929e-7f) {
        direction = kHalfPi;
        return;
    }
    if (horizontal != 1.0f) {
        const float h = std::sqrt(horizontal);
        x /= h;
        z /= h;
    }
    direction = std::acos(std::clamp(z, -1.0f, 1.0f));
    if (x < 0.0f)
        direction = kTwoPi - direction;
}

static bool Matches(const CGeneratorRule& rule, float slope, float direction, float height)
{
    return rule.heightStart <= height && height <= rule.heightEnd && rule.slopeStart <= slope &&
           slope <= rule.slopeEnd && rule.directionStart <= direction && direction <= rule.directionEnd;
}

int32_t CTerrainRules::PickTextureRule(float slope, float direction, float height)
{
    const int32_t n = textureRules.count();
    if (n < 2)
        return 0;
    float total = 0.0f;
    for (int32_t k = 1; k < n; ++k)
        if (Matches(textureRules[k], slope, direction, height))
            total += textureRules[k].density;
    if (total == 0.0f)
        return 0;
    total += textureRules[0].density;
    const float x = R() * total;
    float sum = 0.0f;
    for (int32_t k = 0; k < n; ++k) {
        if (!Matches(textureRules[k], slope, direction, height))
            continue;
        sum += textureRules[k].density;
        if (x <= sum)
            return k;
    }
    return n - 1;
}

int32_t CTerrainRules::PickTexture(int32_t rule)
{
    if (rule < 0 || rule >= textureRules.count() || textureRules[rule].entries.empty())
        return 0;
    const CGeneratorRule& r = textureRules[rule];
    const float x = R() * r.weightSum;
    float sum = 0.0f;
    for (const CGeneratorEntry* entry : r.entries) {
        sum += entry->weight;
        if (sum >= x)
            return entry->tableIndex;
    }
    return r.entries[r.entries.count() - 1]->tableIndex;
}

int32_t CTerrainRules::PickObjectRule(float slope, float direction, float height)
{
    const int32_t n = objectRules.count();
    if (n == 0)
        return -1;
    float total = 0.0f;
    for (const CGeneratorRule& rule : objectRules)
        if (Matches(rule, slope, direction, height))
            total += rule.density;
    if (total == 0.0f)
        return -1;
    const float x = R() * total;
    float sum = 0.0f;
    for (int32_t k = 0; k < n; ++k) {
        if (!Matches(objectRules[k], slope, direction, height))
            continue;
        sum += objectRules[k].density;
        if (sum >= x)
            return k;
    }
    return n - 1;
}

CGeneratorObject* CTerrainRules::PickObject(int32_t rule)
{
    if (rule < 0 || rule >= objectRules.count() || objectRules[rule].objects.empty())
        return nullptr;
    const float x = R();
    float sum = 0.0f;
    for (const CGeneratorObjectEntry& entry : objectRules[rule].objects) {
        if (entry.object < 0 || entry.object >= objectDefinitions.count())
            continue;
        CGeneratorObject& definition = objectDefinitions[entry.object];
        // Entries of definitions whose model is missing are only kept for writing.
        if (!definition.model)
            continue;
        sum += entry.weight;
        if (sum >= x)
            return &definition;
    }
    return nullptr;
}

void CTerrainRules::ScatterObjects()
{
    if (!valid || gridColumns < 2 || gridRows < 2 || gridVertices.empty())
        return;
    // While a world is read the owner is not linked yet and its objects come
    // from the file: the pass then only draws its numbers, so that the texture
    // pass after it draws the same ones as in the editor.
    CWorldObject* parent = owner ? static_cast<CWorldObject*>(owner->parent) : nullptr;
    CWorldObject* generated = nullptr;
    if (parent) {
        if (parent->firstChild)
            generated = static_cast<CWorldObject*>(parent->firstChild->FindByName("generated"));
        if (!generated) {
            generated = new CWorldObject("generated");
            parent->AddChild(generated);
        }
    }
    const int32_t nx = gridColumns;
    const int32_t cellCount = (gridColumns - 1) * (gridRows - 1);
    for (int32_t cell = 0; cell < cellCount; ++cell) {
        float height, slope, direction;
        CellShape(cell, height, slope, direction);
        const int32_t rule = PickObjectRule(slope, direction, height);
        if (rule < 0)
            continue;
        CGeneratorObject* definition = PickObject(rule);
        if (!definition)
            continue;
        int32_t count = int32_t(R() * float(definition->amount) + 0.49f);
        if (count == 0)
            count = 1;
        const int32_t i = cell % (nx - 1), j = cell / (nx - 1);
        const CVector K = At(gridVertices[size_t(j) * size_t(nx) + size_t(i)]);
        const CVector L = At(gridVertices[size_t(j + 1) * size_t(nx) + size_t(i)]);
        const CVector M = At(gridVertices[size_t(j) * size_t(nx) + size_t(i + 1)]);
        const CVector N = At(gridVertices[size_t(j + 1) * size_t(nx) + size_t(i + 1)]);
        for (int32_t k = 0; k < count; ++k) {
            CModelEntry* model = definition->model;
            if (!model)
                continue;
            CWorldObject* object = nullptr;
            if (generated) {
                object = new CWorldObject(model->name && *model->name ? model->name : "object");
                object->objectKind = CWorldObject::KIND_MODEL;
                object->reference = model;
                generated->AddChild(object);
            }
            float angle;
            if (definition->rotatePercentFlag)
                angle = R() * (definition->rotatePercent / 100.0f * kTwoPi);
            else
                angle = (R() * (definition->rotateTo - definition->rotateFrom) + definition->rotateFrom) *
                        0.017453292f;
            float scale = 1.0f;
            bool scaled = true;
            if (definition->scalePercentFlag)
                scale = R() * (definition->scalePercent / 50.0f) - definition->scalePercent / 100.0f + 1.0f;
            else if (model->model)
                scale = (R() * (definition->scaleTo - definition->scaleFrom) + definition->scaleFrom) /
                        ReferenceSize(model->model);
            else
                scaled = false;
            const CVector position = RandomPointOnQuad(K, M, N, L);
            if (object) {
                object->angle = angle;
                if (scaled)
                    object->scale = scale;
                object->position = position;
            }
        }
    }
}

void CTerrainRules::GenerateTextures()
{
    if (!valid)
        return;
    cells.clear();
    if (gridColumns >= 2 && gridRows >= 2 && !gridVertices.empty()) {
        const int32_t cellCount = (gridColumns - 1) * (gridRows - 1);
        cells.reserve(size_t(cellCount));
        for (int32_t cell = 0; cell < cellCount; ++cell) {
            float height, slope, direction;
            CellShape(cell, height, slope, direction);
            const int32_t rule = PickTextureRule(slope, direction, height);
            const auto t = uint16_t(PickTexture(rule));
            cells.push_back({kPlainCell, t, t});
        }
    }
    BuildTransitions();
    BuildTextureGroups();
}

std::string CTerrainRules::FindTransitionFile(const char* name) const
{
    for (const std::string* folder : {&generatedPath, &standardPath}) {
        std::string path = *folder + name;
        // Only the file's own name is numbered, never a folder that holds "V0".
        const size_t nameStart =
            path.find_last_of("\\/") == std::string::npos ? 0 : path.find_last_of("\\/") + 1;
        size_t at = path.rfind("_V0");
        if (at == std::string::npos || at < nameStart)
            at = path.rfind("_v0");
        if (at == std::string::npos || at < nameStart)
            continue;
        for (char digit = '9'; digit >= '0'; --digit) {
            path[at + 2] = digit;
            if (platform::Access(path, 4) == 0)
                return path;
        }
    }
    return std::string();
}

void BlendCornerImages(const imgImage& topLeft, const imgImage& topRight, const imgImage& bottomLeft,
                       const imgImage& bottomRight, imgImage& out)
{
    const int32_t width = bottomRight.width, height = bottomRight.height;
    if (width <= 0 || height <= 0 || out.allocate(width, height, bottomRight.format) != 1 || out.empty()) {
        LogPrintf("Transition image of %d x %d pixels cannot be made", width, height);
        out.release();
        return;
    }
    std::memset(out.pixels, 0, size_t(out.imageSize));
    const imgImage* images[4] = {&topLeft, &topRight, &bottomLeft, &bottomRight};
    int32_t bytes = imgFormatBits(out.format) / 8;
    for (const imgImage* image : images) {
        if (image->width != width || image->height != height || image->empty()) {
            LogPrintf("Transition of images of different sizes (%d x %d and %d x %d) left black",
                      image->width, image->height, width, height);
            return;
        }
        bytes = std::min(bytes, imgFormatBits(image->format) / 8);
    }
    int32_t step[4];
    for (int k = 0; k < 4; ++k)
        step[k] = imgFormatBits(images[k]->format) / 8;
    const int32_t outStep = imgFormatBits(out.format) / 8;
    float fy = 0.0f;
    for (int32_t y = 0; y < height; ++y, fy += 1.0f / float(height)) {
        const uint8_t* tl = topLeft.pixels + size_t(y) * size_t(topLeft.bytesPerLine);
        const uint8_t* tr = topRight.pixels + size_t(y) * size_t(topRight.bytesPerLine);
        const uint8_t* bl = bottomLeft.pixels + size_t(y) * size_t(bottomLeft.bytesPerLine);
        const uint8_t* br = bottomRight.pixels + size_t(y) * size_t(bottomRight.bytesPerLine);
        uint8_t* o = out.pixels + size_t(y) * size_t(out.bytesPerLine);
        float fx = 0.0f;
        for (int32_t x = 0; x < width; ++x, fx += 1.0f / float(width)) {
            for (int32_t b = 0; b < bytes; ++b) {
                const float top = fx * float(tr[b]) + (1.0f - fx) * float(tl[b]);
                const float bottom = fx * float(br[b]) + (1.0f - fx) * float(bl[b]);
                o[b] = uint8_t(fy * top + (1.0f - fy) * bottom);
            }
            tl += step[0];
            tr += step[1];
            bl += step[2];
            br += step[3];
            o += outStep;
        }
    }
}

void CTerrainRules::BuildTransitions()
{
    const TextureListHidden hidden;
    const int32_t columns = gridColumns - 1;
    if (columns < 1)
        return;
    auto familyOf = [&](int32_t cell) -> int32_t {
        const int32_t chosen = cells[size_t(cell)].chosen;
        if (chosen >= textureTable.count() || !textureTable[chosen])
            return 0;
        return textureTable[chosen]->family;
    };
    auto imageOf = [&](int32_t family) -> const imgImage& {
        static const imgImage none;
        const CGeneratorEntry* entry = family < textureTable.count() ? textureTable[family] : nullptr;
        return entry && entry->image ? *entry->image : none;
    };
    for (int32_t s = 0; s < int32_t(cells.size()); ++s) {
        const int32_t q = s % columns, r = s / columns;
        int32_t p = s, qq = s, rr = s;
        if (r > 0 && q > 0) {
            p = s - columns - 1;
            qq = s - columns;
            rr = s - 1;
        } else if (r == 0 && q > 0) {
            rr = s - 1;
            p = rr;
        } else if (q == 0 && r > 0) {
            qq = s - columns;
            p = qq;
        }
        const int32_t FP = familyOf(p), FQ = familyOf(qq), FR = familyOf(rr), FS = familyOf(s);
        STerrainCell& cell = cells[size_t(s)];
        if (FP == FQ && FQ == FR && FR == FS) {
            cell.orientation = kPlainCell;
            cell.tableIndex = cell.chosen;
            continue;
        }
        const int32_t order[4][4] = {{FP, FQ, FR, FS}, {FR, FP, FS, FQ}, {FS, FR, FQ, FP}, {FQ, FS, FP, FR}};
        std::string names[4];
        for (int k = 0; k < 4; ++k)
            names[k] = std::string(FamilyName(order[k][0])) + "_" + FamilyName(order[k][1]) + "_" +
                       FamilyName(order[k][2]) + "_" + FamilyName(order[k][3]) + "_V0.tif";
        bool found = false;
        for (int32_t e = 0; e < textureTable.count() && !found; ++e) {
            const CGeneratorEntry* entry = textureTable[e];
            if (!entry || !entry->image)
                continue;
            for (int k = 0; k < 4; ++k)
                if (platform::EqualsNoCase(entry->image->name.c_str(), names[k])) {
                    cell.orientation = uint16_t(k);
                    cell.tableIndex = uint16_t(e);
                    found = true;
                    break;
                }
        }
        if (found)
            continue;
        auto* entry = sMemory::newObject<CGeneratorEntry>();
        entry->image = std::make_shared<imgImage>();
        entry->tableIndex = uint16_t(textureTable.count());
        for (int k = 0; k < 4 && !found; ++k) {
            const std::string file = FindTransitionFile(names[k].c_str());
            if (file.empty())
                continue;
            LoadTerrainImage(*entry->image, file);
            if (!entry->image->empty()) {
                entry->image->name.set(names[k].c_str());
                entry->texture = MakeGeneratedTexture(*entry->image, names[k].c_str());
            } else {
                entry->image->name.set("");
            }
            cell.orientation = uint16_t(k);
            found = true;
        }
        if (!found) {
            BlendCornerImages(imageOf(FP), imageOf(FQ), imageOf(FR), imageOf(FS), *entry->image);
            entry->image->name.set(names[0].c_str());
            if (!entry->image->empty()) {
                const std::string file = generatedPath + names[0];
                if (entry->image->save(platform::ResolvePath(file).string().c_str()) != 1)
                    LogPrintf("Transition texture '%s' could not be saved", file.c_str());
                entry->texture = MakeGeneratedTexture(*entry->image, names[0].c_str());
            }
            cell.orientation = 0;
        }
        cell.tableIndex = entry->tableIndex;
        textureTable.append(entry);
        ++textureCount;
    }
}

void CTerrainRules::BuildTextureGroups()
{
    const int32_t nx = gridColumns;
    const size_t groups = size_t(std::max<int32_t>(textureTable.count(), 0));
    groupVertices.assign(groups, {});
    groupIndices.assign(groups, {});
    std::vector<std::vector<int32_t>> slots(groups);
    constexpr float e = 0.0078125f, f = 0.9921875f;
    static const float uv[4][4][2] = {
        {{e, e}, {e, f}, {f, e}, {f, f}},
        {{f, e}, {e, e}, {f, f}, {e, f}},
        {{f, f}, {f, e}, {e, f}, {e, e}},
        {{e, f}, {f, f}, {e, e}, {f, e}},
    };
    std::vector<bool> warned(groups, false);
    auto copyOf = [](const STerrainGridVertex& g) {
        return STerrainVertex{g.x, g.y, g.z, g.nx, g.ny, g.nz, g.column, g.row, g.column, g.row};
    };
    for (size_t s = 0; s < cells.size(); ++s) {
        const STerrainCell& cell = cells[s];
        const size_t group = cell.tableIndex;
        if (group >= groups)
            continue;
        const int32_t i = int32_t(s) % (nx - 1), j = int32_t(s) / (nx - 1);
        const int32_t corner[4] = {j * nx + i, (j + 1) * nx + i, j * nx + i + 1, (j + 1) * nx + i + 1};
        std::vector<STerrainVertex>& vertices = groupVertices[group];
        std::vector<uint16_t>& indices = groupIndices[group];
        // A group's indices are 16-bit: a cell that would need more vertices is left out.
        if (vertices.size() + 4 > size_t(kMaxTerrainVertices)) {
            if (!warned[group])
                LogPrintf("Terrain texture group %zu has more than 65536 vertices; cells left out", group);
            warned[group] = true;
            continue;
        }
        if (cell.orientation == kPlainCell) {
            std::vector<int32_t>& slot = slots[group];
            if (slot.empty())
                slot.assign(gridVertices.size(), -1);
            uint16_t mapped[4];
            for (int k = 0; k < 4; ++k) {
                int32_t& index = slot[size_t(corner[k])];
                if (index < 0) {
                    index = int32_t(vertices.size());
                    vertices.push_back(copyOf(gridVertices[size_t(corner[k])]));
                }
                mapped[k] = uint16_t(index);
            }
            indices.insert(indices.end(), {mapped[0], mapped[1], mapped[2], mapped[2], mapped[1], mapped[3]});
        } else {
            const auto base = uint16_t(vertices.size());
            for (int k = 0; k < 4; ++k) {
                STerrainVertex v = copyOf(gridVertices[size_t(corner[k])]);
                v.u1 = uv[cell.orientation & 3][k][0];
                v.v1 = uv[cell.orientation & 3][k][1];
                vertices.push_back(v);
            }
            indices.insert(indices.end(), {base, uint16_t(base + 1), uint16_t(base + 2), uint16_t(base + 1),
                                           uint16_t(base + 3), uint16_t(base + 2)});
        }
    }
    vertexCount = 0;
    for (const auto& vertices : groupVertices)
        vertexCount += int32_t(vertices.size());
}
