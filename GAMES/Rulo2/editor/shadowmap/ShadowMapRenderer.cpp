#include "GAMES/Rulo2/editor/shadowmap/ShadowMapRenderer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "LIBS/Image/imgImage.h"
#include "platform/time/Time.h"

float g_ShadowAmbient[3] = {64.0f / 255.0f, 64.0f / 255.0f, 70.0f / 255.0f};
std::atomic<CShadowMapRenderer*> g_RunningShadowMapRenderer{nullptr};

namespace {

constexpr float kMinLight = 0.01953125f; // 5/256
constexpr float kSideTolerance = 1.1920929e-07f;

// Face normal in the engine's winding, (p1 - p0) x (p2 - p1).
CVector FaceNormal(const CVector& p0, const CVector& p1, const CVector& p2)
{
    CVector n = CVector::cross(p1 - p0, p2 - p1);
    n.normalize();
    return n;
}

// Segment against a box, ends and faces included: a flat triangle's box has no thickness.
bool SegmentHitsBox(const CBox& box, const CVector& origin, const CVector& direction, float length)
{
    float t0 = 0.0f, t1 = length;
    for (int a = 0; a < 3; ++a) {
        const float o = origin[a], d = direction[a];
        if (d == 0.0f) {
            if (o < box.min[a] || o > box.max[a])
                return false;
            continue;
        }
        float n = (box.min[a] - o) / d, f = (box.max[a] - o) / d;
        if (n > f)
            std::swap(n, f);
        t0 = std::max(t0, n);
        t1 = std::min(t1, f);
        if (t0 > t1)
            return false;
    }
    return true;
}

// Boxes grow by a little so that a hit the exact test finds is never lost to rounding in the
// box test: both levels only skip work, they never change a texel.
void Pad(CBox& box)
{
    for (int a = 0; a < 3; ++a) {
        const float e = 1e-4f * (1.0f + std::max(std::fabs(box.min[a]), std::fabs(box.max[a])));
        box.min[a] -= e;
        box.max[a] += e;
    }
}

float Wrap01(float v)
{
    return v - std::floor(v);
}

} // namespace

CShadowMapRenderer::CShadowMapRenderer() = default;

CShadowMapRenderer::~CShadowMapRenderer() = default;

ShadowMeshLayout* CShadowMapRenderer::LayoutOf(const CMeshNode* mesh)
{
    for (ShadowMeshLayout& l : layouts)
        if (l.mesh == mesh)
            return &l;
    return nullptr;
}

void CShadowMapRenderer::Fail(const char* text)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back({text, "Shadowmap Renderer"});
    }
    cancel = true;
    closed = true;
}

std::vector<ShadowMessage> CShadowMapRenderer::TakeMessages()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<ShadowMessage> out(messages_.begin(), messages_.end());
    messages_.clear();
    return out;
}

ShadowProgress CShadowMapRenderer::Progress()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
}

void CShadowMapRenderer::Cancel()
{
    cancel = true;
    closed = true;
}

void CShadowMapRenderer::ClearLists()
{
    triangles.clear();
    groups.clear();
    lights.clear();
    textures.clear();
    layouts.clear();
    objectBounds_.clear();
}

// ---------------------------------------------------------------- collecting

void CShadowMapRenderer::CollectMeshTriangles(CMeshNode* mesh, const CMatrix& transform)
{
    if (!mesh->vertices || !mesh->indices)
        return;
    const int32_t start = int32_t(triangles.size());
    const ShadowMeshLayout* layout = LayoutOf(mesh);
    for (int32_t m = 0; m < mesh->materialCount && !Stopped(); ++m) {
        const CMeshMaterial& mat = mesh->materials[m];
        CTextureSurface* surface =
            mat.page ? static_cast<CTextureSurface*>(mat.page) : static_cast<CTextureSurface*>(mat.texture);
        for (int32_t k = 0; k + 2 < mat.indexCount; k += 3) {
            ShadowTriangle t;
            for (int c = 0; c < 3; ++c) {
                const int32_t idx = mat.firstIndex + k + c;
                const int32_t v =
                    idx >= 0 && idx < mesh->indexCount ? mat.firstVertex + mesh->indices[idx] : -1;
                if (v < 0 || v >= mesh->vertexCount) {
                    triangles.resize(size_t(start));
                    Fail("Illegal vertex index");
                    return;
                }
                const MeshVertex& mv = mesh->vertices[v];
                t.vertex[c] = v;
                t.p[c] = CVector(mv.x, mv.y, mv.z).transform(transform);
                t.tu[c] = mv.u;
                t.tv[c] = mv.v;
                t.lu[c] = layout ? layout->coordinates[size_t(v) * 2] : mv.tu2;
                t.lv[c] = layout ? layout->coordinates[size_t(v) * 2 + 1] : mv.tv2;
            }
            t.planeNormal = FaceNormal(t.p[0], t.p[1], t.p[2]);
            t.planeDistance = CVector::dot(t.planeNormal, t.p[0]);
            for (int c = 0; c < 3; ++c) {
                t.n[c] = t.planeNormal;
                t.box.extend(t.p[c]);
                CVector e = CVector::cross(t.planeNormal, t.p[(c + 1) % 3] - t.p[c]);
                e.normalize();
                t.edgeNormal[c] = e;
                t.edgeDistance[c] = CVector::dot(e, t.p[c]);
            }
            Pad(t.box);
            t.mesh = mesh;
            t.material = m;
            t.materialTexture = surface;
            t.planeLayout = mesh->complex != 0;
            t.texture = layout ? layout->texture : -1;
            triangles.push_back(t);
        }
    }
    if (mesh->smooth) {
        // A corner's normal is the sum of the faces at its position that face its own way
        // (a two-sided mesh would otherwise cancel to nothing).
        struct Key
        {
            float x, y, z;
            bool operator==(const Key& o) const { return x == o.x && y == o.y && z == o.z; }
        };
        struct Hash
        {
            size_t operator()(const Key& k) const
            {
                return std::hash<float>()(k.x) ^ (std::hash<float>()(k.y) << 1) ^
                       (std::hash<float>()(k.z) << 2);
            }
        };
        std::unordered_map<Key, std::vector<int32_t>, Hash> faces;
        for (int32_t i = start; i < int32_t(triangles.size()); ++i)
            for (const CVector& p : triangles[size_t(i)].p)
                faces[{p.x, p.y, p.z}].push_back(i);
        for (int32_t i = start; i < int32_t(triangles.size()); ++i) {
            ShadowTriangle& t = triangles[size_t(i)];
            for (int c = 0; c < 3; ++c) {
                CVector sum(0, 0, 0);
                for (int32_t j : faces[{t.p[c].x, t.p[c].y, t.p[c].z}]) {
                    const CVector& n = triangles[size_t(j)].planeNormal;
                    if (CVector::dot(n, t.planeNormal) > 0.0f)
                        sum = sum + n;
                }
                if (sum.normalize() > 0.0f)
                    t.n[c] = sum;
            }
        }
    }
    triangleCounts[mesh] = int32_t(triangles.size()) - start;
    if (!layout && !Stopped())
        AssignLightmapCoordinates(mesh, start, int32_t(triangles.size()) - 1);
}

int32_t CShadowMapRenderer::CollectModelTriangles(CRootNode* model, const CMatrix& transform)
{
    const size_t before = triangles.size();
    ForEachMesh(model, [&](CMeshNode* mesh) {
        if (Stopped())
            return;
        CMatrix world;
        CMatrix::multiply(world, mesh->worldMatrix, transform);
        CollectMeshTriangles(mesh, world);
    });
    return int32_t(triangles.size() - before);
}

static CRootNode* ModelOf(const CWorldObject* node)
{
    CModelEntry* entry = node->ModelEntry();
    return entry ? entry->model : nullptr;
}

static bool Locked(const CWorldObject* node)
{
    return (node->flags & 1) != 0;
}

static CMatrix InstanceMatrix(const CWorldObject* object)
{
    CMatrix m = ObjectMatrix(object);
    if (object->scale != 1.0f)
        for (int i = 0; i < 12; ++i)
            if (i % 4 != 3)
                m[i] *= object->scale;
    return m;
}

void CShadowMapRenderer::CollectObject(CWorldObject* object, bool forLight)
{
    CRootNode* model = ModelOf(object);
    if (object->objectKind != CWorldObject::KIND_MODEL || !model || Locked(object))
        return;
    if (forLight) {
        const ShadowLight& l = lights[size_t(currentLight)];
        auto found = objectBounds_.find(object);
        if (found != objectBounds_.end() && l.range < FLT_MAX) {
            // The object's box against the light's sphere.
            const CBox& b = found->second;
            double d2 = 0;
            for (int a = 0; a < 3; ++a) {
                const float c = std::clamp(l.position[a], b.min[a], b.max[a]);
                d2 += double(c - l.position[a]) * (c - l.position[a]);
            }
            if (d2 > double(l.range) * l.range)
                return;
        }
    }
    ShadowGroup g;
    g.first = int32_t(triangles.size());
    CollectModelTriangles(model, InstanceMatrix(object));
    g.last = int32_t(triangles.size()) - 1;
    if (g.last < g.first)
        return;
    for (int32_t i = g.first; i <= g.last; ++i) {
        g.box.min = CVector(std::min(g.box.min.x, triangles[size_t(i)].box.min.x),
                            std::min(g.box.min.y, triangles[size_t(i)].box.min.y),
                            std::min(g.box.min.z, triangles[size_t(i)].box.min.z));
        g.box.max = CVector(std::max(g.box.max.x, triangles[size_t(i)].box.max.x),
                            std::max(g.box.max.y, triangles[size_t(i)].box.max.y),
                            std::max(g.box.max.z, triangles[size_t(i)].box.max.z));
    }
    groups.push_back(g);
    if (pass == 0)
        objectBounds_[object] = g.box;
}

bool CShadowMapRenderer::TakesLight(const CWorldObject* node) const
{
    const SWorldLight* light = node->Light();
    if (!light || Locked(node))
        return false;
    const uint32_t mask = light->lightWord;
    if (lightPhase == SHADOW_PHASE_CUSTOM)
        return (mask & (1u << phaseIndex)) != 0 && (mask & 8u) != 0;
    return (mask & (1u << lightPhase)) != 0;
}

void CShadowMapRenderer::AddLight(const CWorldObject* node)
{
    ShadowLight l;
    l.light = &node->Light()->light;
    l.position = node->position;
    l.range = l.light->dvRange;
    lights.push_back(l);
}

void CShadowMapRenderer::AddSun()
{
    if (!includeSun)
        return;
    if (CD3DLight* sun = GameResourceSun())
        lights.push_back({&sun->light, CVector(0, 0, 0), FLT_MAX});
}

// ---------------------------------------------------------------- walking

void CShadowMapRenderer::Walk(CWorldObject* node, int32_t depth)
{
    for (CWorldObject* n = node; n && !Stopped(); n = depth == 0 ? nullptr : n->NextObject()) {
        bool enter = true;
        switch (pass) {
        case 0:
            if (++nodeCounter % 8 == 0 && progressShown && !closed) {
                char text[64];
                std::snprintf(text, sizeof text, "node #%d/%d", nodeCounter, nodeTotal);
                std::lock_guard<std::mutex> lock(mutex_);
                progress_.stepLine = text;
            }
            CollectObject(n, false);
            break;
        case 1:
            if (IsInsideGroupNode(n->name))
                enter = false;
            else if (n->objectKind == CWorldObject::KIND_LIGHT && TakesLight(n))
                AddLight(n);
            break;
        case 2:
            if (combineInsideGroups ? IsInsideGroupHouse(n->name) : IsInsideGroupNode(n->name)) {
                RenderInsideGroup(n);
                enter = false;
            }
            break;
        case 3:
            if (IsInsideGroupNode(n->name))
                enter = false;
            else
                CollectObject(n, true);
            break;
        default:
            break;
        }
        if (enter && n->firstChild)
            Walk(n->FirstObject(), depth + 1);
    }
}

// The lights and triangles of an inside group: the whole subtree of an inside node, only
// the inside nodes below a house.
void CShadowMapRenderer::CollectInside(CWorldObject* node, bool insideFound)
{
    for (CWorldObject* n = node; n && !Stopped(); n = n->NextObject()) {
        const bool inside = insideFound || IsInsideGroupNode(n->name);
        if (inside) {
            if (n->objectKind == CWorldObject::KIND_LIGHT && TakesLight(n))
                AddLight(n);
            CollectObject(n, false);
        }
        if (n->firstChild)
            CollectInside(n->FirstObject(), inside);
    }
}

void CShadowMapRenderer::RenderInsideGroup(CWorldObject* group)
{
    lights.clear();
    AddSun();
    triangles.clear();
    groups.clear();
    const bool inside = IsInsideGroupNode(group->name);
    if (inside) {
        if (group->objectKind == CWorldObject::KIND_LIGHT && TakesLight(group))
            AddLight(group);
        CollectObject(group, false);
    }
    if (group->firstChild)
        CollectInside(group->FirstObject(), inside);
    currentLight = 0;
    ++groupCounter;
    RenderTriangles();
}

// ---------------------------------------------------------------- the run's passes

void CShadowMapRenderer::RenderPasses()
{
    ClearLists();
    if (!worldRoot)
        return;
    pass = 0;
    nodeCounter = 0;
    Walk(worldRoot, 0);
    triangles.clear();
    groups.clear();
    const int32_t phases = lightPhase == SHADOW_PHASE_CUSTOM ? 3 : 1;
    for (phaseIndex = 0; phaseIndex < phases && !Stopped();) {
        // Each phase lights fresh working images of the same layout.
        for (ShadowTexture& t : textures) {
            if (!t.image) {
                t.image = std::make_unique<imgImage>();
                t.image->allocate(int32_t(t.layoutWidth), int32_t(t.layoutHeight), FMT_ARGB_8888);
            }
            if (!t.image->empty())
                std::fill(t.image->pixels, t.image->pixels + t.image->imageSize, uint8_t(0));
        }
        pass = 2;
        groupCounter = 0;
        Walk(worldRoot, 0);
        lights.clear();
        AddSun();
        pass = 1;
        Walk(worldRoot, 0);
        const std::vector<ShadowLight> open = lights;
        for (currentLight = 0; currentLight < int32_t(open.size()) && !Stopped(); ++currentLight) {
            pass = 3;
            lights = open;
            groups.clear();
            triangles.clear();
            Walk(worldRoot, 0);
            RenderTriangles();
        }
        lights = open;
        if (Stopped())
            break;
        ++phaseIndex;
        SaveTextures();
    }
    triangles.clear();
    groups.clear();
    lights.clear();
    objectBounds_.clear();
    for (ShadowTexture& t : textures)
        t.image.reset();
}

// ---------------------------------------------------------------- lighting

void CShadowMapRenderer::RenderTriangles()
{
    ShowProgressStart();
    const int32_t count = int32_t(triangles.size());
    for (int32_t i = 0; i < count && !Stopped(); ++i) {
        currentTriangle = i;
        if (i % 10 == 0)
            ShowTriangleProgress(i);
        LightTriangle(i);
    }
    if (progressShown && !closed) {
        const std::string elapsed = ElapsedText();
        const std::string rays = std::to_string(tracedRays.load());
        std::lock_guard<std::mutex> lock(mutex_);
        progress_.passPosition = progress_.passRange;
        progress_.rays = rays;
        progress_.elapsed = elapsed;
    }
}

void CShadowMapRenderer::LightTriangle(int32_t index)
{
    ShadowTriangle& t = triangles[size_t(index)];
    if (t.skip)
        return;
    for (int c = 0; c < 3; ++c)
        if (t.lu[c] < 0.0f || t.lu[c] > 1.0f || t.lv[c] < 0.0f || t.lv[c] > 1.0f)
            return;
    if (t.texture < 0 || t.texture >= int32_t(textures.size())) {
        Fail("Illegal textureindex!");
        return;
    }
    imgImage* image = textures[size_t(t.texture)].image.get();
    if (!image || image->empty())
        return;
    const float sx = float(image->width - 1), sy = float(image->height - 1);
    const float x0 = t.lu[0] * sx, y0 = t.lv[0] * sy;
    const float x1 = t.lu[1] * sx, y1 = t.lv[1] * sy;
    const float x2 = t.lu[2] * sx, y2 = t.lv[2] * sy;
    const float area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
    if (std::fabs(area) < 1e-12f)
        return;
    const int32_t minX = std::max(0, int32_t(std::floor(std::min({x0, x1, x2}))));
    const int32_t maxX = std::min(image->width - 1, int32_t(std::ceil(std::max({x0, x1, x2}))));
    const int32_t minY = std::max(0, int32_t(std::floor(std::min({y0, y1, y2}))));
    const int32_t maxY = std::min(image->height - 1, int32_t(std::ceil(std::max({y0, y1, y2}))));
    constexpr float kEdge = -1e-4f;
    for (int32_t y = minY; y <= maxY && !Stopped(); ++y)
        for (int32_t x = minX; x <= maxX; ++x) {
            // Barycentric weights of the texel in texel space.
            const float px = float(x), py = float(y);
            const float b1 = ((px - x0) * (y2 - y0) - (x2 - x0) * (py - y0)) / area;
            const float b2 = ((x1 - x0) * (py - y0) - (px - x0) * (y1 - y0)) / area;
            const float b0 = 1.0f - b1 - b2;
            if (b0 < kEdge || b1 < kEdge || b2 < kEdge)
                continue;
            const float b[3] = {b0, b1, b2};
            LightTexel(t, *image, x, y, b);
        }
}

void CShadowMapRenderer::LightTexel(ShadowTriangle& t, imgImage& image, int32_t x, int32_t y, const float* b)
{
    uint8_t* texel = image.pixels + size_t(y) * size_t(image.bytesPerLine) + size_t(x) * 4;
    const uint8_t stamp = uint8_t(currentLight % 255 + 1);
    if (texel[0] != stamp) {
        texel[0] = stamp;
        for (int c = 0; c < 3; ++c)
            texel[1 + c] = std::max(texel[1 + c], uint8_t(g_ShadowAmbient[c] * 255.0f));
    }
    // Texel space to barycentric weights per texel step, for the extra rays.
    const float sx = float(image.width - 1), sy = float(image.height - 1);
    auto at = [&](const float* w) { return t.p[0] * w[0] + t.p[1] * w[1] + t.p[2] * w[2]; };
    CVector normal = t.n[0] * b[0] + t.n[1] * b[1] + t.n[2] * b[2];
    normal.normalize();
    CVector points[5] = {at(b)};
    int32_t pointCount = 1;
    if (multipleRays) {
        const float x0 = t.lu[0] * sx, y0 = t.lv[0] * sy, x1 = t.lu[1] * sx, y1 = t.lv[1] * sy;
        const float x2 = t.lu[2] * sx, y2 = t.lv[2] * sy;
        const float area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
        for (float dx : {-0.3f, 0.3f})
            for (float dy : {-0.3f, 0.3f}) {
                const float px = float(x) + dx, py = float(y) + dy;
                const float w1 = ((px - x0) * (y2 - y0) - (x2 - x0) * (py - y0)) / area;
                const float w2 = ((x1 - x0) * (py - y0) - (px - x0) * (y1 - y0)) / area;
                const float w[3] = {1.0f - w1 - w2, w1, w2};
                points[pointCount++] = at(w);
            }
    }
    const int32_t first = pass == 2 ? 0 : currentLight;
    const int32_t last = pass == 2 ? int32_t(lights.size()) - 1 : currentLight;
    for (int32_t li = first; li <= last && li < int32_t(lights.size()); ++li) {
        const ShadowLight& light = lights[size_t(li)];
        float sum = 0, filter[3] = {0, 0, 0};
        bool facing = true;
        for (int32_t k = 0; k < pointCount; ++k) {
            const CVector& p = points[k];
            float f[3] = {1, 1, 1};
            const float i = LightAtPoint(p, normal, light, t.planeLayout, f);
            if (i < 0) {
                facing = false;
                break;
            }
            sum += i;
            for (int c = 0; c < 3; ++c)
                filter[c] += f[c];
        }
        if (!facing)
            continue;
        const float n = float(pointCount);
        const float intensity = sum / n;
        const float colour[3] = {light.light->dcvDiffuse.r, light.light->dcvDiffuse.g,
                                 light.light->dcvDiffuse.b};
        for (int c = 0; c < 3; ++c) {
            const int32_t add = int32_t(colour[c] * (filter[c] / n) * intensity);
            texel[1 + c] = uint8_t(std::clamp(int32_t(texel[1 + c]) + std::max(add, 0), 0, 255));
        }
    }
    if (texel[1] == 0 && texel[2] == 0 && texel[3] == 0)
        texel[3] = 1;
}

float CShadowMapRenderer::LightAtPoint(const CVector& point, const CVector& normal, const ShadowLight& light,
                                       bool planeLayout, float filter[3])
{
    tracedRays.fetch_add(1, std::memory_order_relaxed);
    CVector direction = light.position - point;
    const float d = direction.length();
    if (d > light.range)
        return 0.0f;
    if (d > 0.0f)
        direction = direction * (1.0f / d);
    const D3DLIGHT7& l = *light.light;
    const float t = light.range < FLT_MAX ? (light.range - d) / light.range : 1.0f;
    const float a = l.dvAttenuation0 + l.dvAttenuation1 * t + l.dvAttenuation2 * t * t;
    if (a <= kMinLight)
        return 0.0f;
    float k = CVector::dot(direction, normal);
    if (k < 0.0f) {
        if (!planeLayout)
            return -1.0f;
        k = 0.0f;
    }
    if (l.dltType == 2) {
        CVector axis(-l.dvDirection.x, -l.dvDirection.y, -l.dvDirection.z);
        axis.normalize();
        const float s = std::acos(std::clamp(CVector::dot(direction, axis), 0.0f, 1.0f));
        float cone;
        if (s <= l.dvTheta)
            cone = 1.0f;
        else if (s > l.dvPhi)
            cone = 0.0f;
        else
            cone = 1.0f - (s - l.dvTheta) / (l.dvPhi - l.dvTheta);
        k *= cone;
        if (k <= kMinLight)
            return 0.0f;
    } else if (l.dltType != 1) {
        return 0.0f;
    }
    const float i = k * a;
    if (i <= kMinLight)
        return 0.0f;
    float transmission = 1.0f;
    if (InShadow(point, direction, d, filter, transmission))
        return 0.0f;
    return i * transmission * 255.0f;
}

// The two-level shadow test; true for a full shadow. Transparent occluders tint the filter
// by their texel's colour weighted by its alpha and lower the transmission.
bool CShadowMapRenderer::InShadow(const CVector& origin, const CVector& direction, float length,
                                  float filter[3], float& transmission)
{
    auto test = [&](int32_t j) {
        if (j == currentTriangle)
            return false;
        const ShadowTriangle& o = triangles[size_t(j)];
        if (!bruteForce && !SegmentHitsBox(o.box, origin, direction, length))
            return false;
        const float den = CVector::dot(o.planeNormal, direction);
        if (den == 0.0f)
            return false;
        const float t = (o.planeDistance - CVector::dot(o.planeNormal, origin)) / den;
        if (!(t > 0.01f && t < length))
            return false;
        const CVector hit = origin + direction * t;
        for (int c = 0; c < 3; ++c)
            if (CVector::dot(o.edgeNormal[c], hit) - o.edgeDistance[c] < -kSideTolerance)
                return false;
        if (!transparentTextures || !o.materialTexture)
            return true;
        float u = 0, v = 0;
        int32_t alpha = 255, red = 255, green = 255, blue = 255;
        if (TriangleCoordinates(o.p[0], o.p[1] - o.p[0], o.p[2] - o.p[0], hit, u, v)) {
            const float tu = Wrap01(o.tu[0] + (o.tu[1] - o.tu[0]) * u + (o.tu[2] - o.tu[0]) * v);
            const float tv = Wrap01(o.tv[0] + (o.tv[1] - o.tv[0]) * u + (o.tv[2] - o.tv[0]) * v);
            CTextureSurface* s = o.materialTexture;
            const int32_t w = s->width, h = s->height;
            if (w > 0 && h > 0 && s->surface) {
                const int32_t x = std::clamp(int32_t(float(w) * tu - 1.0f), 0, w - 1);
                const int32_t y = std::clamp(int32_t(float(h) * tv - 1.0f), 0, h - 1);
                int32_t r = 0, g = 0, b = 0, a = 0;
                if (s->GetPixel(x, y, &r, &g, &b, &a)) {
                    red = r;
                    green = g;
                    blue = b;
                    alpha = TextureFormatHasAlpha(s->format) ? a : 255;
                }
            }
        }
        if (alpha >= 255)
            return true;
        const float share = float(alpha) / 255.0f;
        const int32_t colour[3] = {red, green, blue};
        for (int c = 0; c < 3; ++c)
            filter[c] *= 1.0f - share * (1.0f - float(colour[c]) / 255.0f);
        transmission *= 1.0f - share;
        return false;
    };
    if (bruteForce) {
        for (int32_t j = 0; j < int32_t(triangles.size()); ++j)
            if (test(j))
                return true;
        return false;
    }
    for (const ShadowGroup& g : groups) {
        if (!SegmentHitsBox(g.box, origin, direction, length))
            continue;
        for (int32_t j = g.first; j <= g.last; ++j)
            if (test(j))
                return true;
    }
    return false;
}

// ---------------------------------------------------------------- finishing a phase

void CShadowMapRenderer::SaveTextures()
{
    if (progressShown && !closed) {
        std::lock_guard<std::mutex> lock(mutex_);
        progress_.stepLine = "Saving Textures...";
        progress_.passRange = int32_t(textures.size());
        progress_.passPosition = 0;
    }
    ShadowReduction stats;
    int32_t done = 0;
    for (ShadowTexture& t : textures) {
        if (Stopped())
            break;
        if (t.image && !t.image->empty()) {
            FillUnlitTexels(*t.image, g_ShadowAmbient);
            if (smoothTexture)
                t.image->smooth();
            ReduceTexture(*t.image, totalTolerance, quadTolerance, stats);
            t.results.push_back(ToShadowResult(*t.image));
        }
        t.image.reset();
        ++done;
        if (progressShown && !closed) {
            const std::string elapsed = ElapsedText();
            std::lock_guard<std::mutex> lock(mutex_);
            progress_.passPosition = done;
            progress_.elapsed = elapsed;
        }
    }
    reducedCount = stats.reducedCount;
    bytesSaved = stats.bytesSaved;
}

void FillUnlitTexels(imgImage& image, const float ambient[3])
{
    if (image.empty())
        return;
    uint8_t floor[3];
    for (int c = 0; c < 3; ++c)
        floor[c] = uint8_t(ambient[c] * 255.0f);
    const int32_t w = image.width, h = image.height;
    auto texel = [&](int32_t x, int32_t y) {
        return image.pixels + size_t(y) * image.bytesPerLine + size_t(x) * 4;
    };
    for (int round = 0; round < 2; ++round)
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                uint8_t* p = texel(x, y);
                if (p[1] || p[2] || p[3])
                    continue;
                int32_t sum[3] = {}, n = 0;
                for (int32_t dy = -1; dy <= 1; ++dy)
                    for (int32_t dx = -1; dx <= 1; ++dx) {
                        const int32_t nx = x + dx, ny = y + dy;
                        if ((dx == 0 && dy == 0) || nx >= w || ny >= h)
                            continue;
                        // Left neighbours from the third column on, upper ones from the third row on.
                        if ((dx < 0 && x < 2) || (dy < 0 && y < 2))
                            continue;
                        const uint8_t* q = texel(nx, ny);
                        if (!(q[1] || q[2] || q[3]))
                            continue;
                        for (int c = 0; c < 3; ++c)
                            sum[c] += q[1 + c];
                        ++n;
                    }
                for (int c = 0; c < 3; ++c)
                    p[1 + c] = n ? std::max(uint8_t(sum[c] / n), floor[c]) : floor[c];
                p[0] = 0;
            }
}

void ReduceTexture(imgImage& image, int32_t totalTolerance, int32_t quadTolerance, ShadowReduction& stats)
{
    if (image.empty())
        return;
    const int32_t w = image.width, h = image.height;
    auto texel = [&](int32_t x, int32_t y) {
        return image.pixels + size_t(y) * image.bytesPerLine + size_t(x) * 4;
    };
    // Whether every texel of the block lies within `tolerance` of the block's mean.
    auto uniform = [&](int32_t bx, int32_t by, int32_t bw, int32_t bh, int32_t tolerance) {
        int64_t sum[3] = {};
        for (int32_t y = by; y < by + bh; ++y)
            for (int32_t x = bx; x < bx + bw; ++x)
                for (int c = 0; c < 3; ++c)
                    sum[c] += texel(x, y)[1 + c];
        const int64_t n = int64_t(bw) * bh;
        int32_t mean[3];
        for (int c = 0; c < 3; ++c)
            mean[c] = int32_t(sum[c] / n);
        for (int32_t y = by; y < by + bh; ++y)
            for (int32_t x = bx; x < bx + bw; ++x) {
                const uint8_t* p = texel(x, y);
                if (std::abs(p[1] - mean[0]) + std::abs(p[2] - mean[1]) + std::abs(p[3] - mean[2]) >
                    tolerance)
                    return false;
            }
        return true;
    };
    if (uniform(0, 0, w, h, totalTolerance)) {
        image.resize(1, 1, 1, 0);
        ++stats.reducedCount;
        stats.bytesSaved += w * h * 4 - 4;
        return;
    }
    for (int32_t block : {16, 8, 4, 2}) {
        if (block > w || block > h)
            continue;
        bool all = true;
        for (int32_t by = 0; by < h && all; by += block)
            for (int32_t bx = 0; bx < w && all; bx += block)
                all = uniform(bx, by, std::min(block, w - bx), std::min(block, h - by), quadTolerance);
        if (!all)
            continue;
        const int32_t nw = (w + block - 1) / block, nh = (h + block - 1) / block;
        image.resize(nw, nh, 0, 0);
        ++stats.reducedCount;
        stats.bytesSaved += w * h * 4 - nw * nh * 4;
        return;
    }
}

ShadowResult ToShadowResult(const imgImage& image)
{
    ShadowResult r;
    if (image.empty())
        return r;
    r.width = uint32_t(image.width);
    r.height = uint32_t(image.height);
    r.pixels.resize(size_t(r.width) * r.height);
    for (uint32_t y = 0; y < r.height; ++y)
        for (uint32_t x = 0; x < r.width; ++x) {
            const uint8_t* p = image.pixels + size_t(y) * image.bytesPerLine + size_t(x) * 4;
            r.pixels[size_t(y) * r.width + x] =
                uint16_t(0x8000u | ((p[1] >> 3) << 10) | ((p[2] >> 3) << 5) | (p[3] >> 3));
        }
    return r;
}
