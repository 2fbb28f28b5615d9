// Lightmap layout: planar projection of a mesh's triangles (whole mesh, or plane by
// plane), shelf packing of the patches into one texture per mesh.
#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/editor/shadowmap/ShadowMapRenderer.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "LIBS/Image/imgImage.h"

namespace {

struct Projection
{
    int32_t a = 0, b = 1; // the largest axis and the second one
    CVector min{0, 0, 0};
    float extentA = 0, extentB = 0;
};

Projection MakeProjection(const CBox& box)
{
    Projection p;
    // The map lies across the largest axis and the other one that is not the smallest:
    // projecting onto the smallest would fold a flat patch into a line.
    p.a = box.longestAxis();
    const int32_t smallest = box.shortestAxis();
    p.b = smallest == p.a ? (p.a + 1) % 3 : 3 - p.a - smallest;
    p.min = box.min;
    p.extentA = box.max[p.a] - box.min[p.a];
    p.extentB = box.max[p.b] - box.min[p.b];
    return p;
}

// Coordinates are cut to thousandths first, so that corners a hair apart share texels.
float Project(const Projection& p, const CVector& corner, int32_t axis)
{
    const float cut = std::trunc(corner[axis] * 1000.0f) / 1000.0f;
    if (!(p.extentA > 0))
        return 0.0f;
    return std::clamp((cut - p.min[axis]) / p.extentA, 0.0f, 1.0f);
}

// The extent in texels less 2, at least 2.
int32_t PatchSize(int32_t textureSize, float extent)
{
    const float texels = float(textureSize) * (extent - 2.0f / float(textureSize));
    return std::max(2, texels >= 2.0f ? int32_t(texels) : 2);
}

int32_t NextPowerOfTwo(int32_t v)
{
    int32_t p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

} // namespace

bool PackPatches(std::vector<ShadowPatch>& patches, int32_t* width, int32_t* height, int32_t maxSide)
{
    // One row per patch group, tallest first.
    std::stable_sort(patches.begin(), patches.end(),
                     [](const ShadowPatch& l, const ShadowPatch& r) { return l.texture < r.texture; });
    patches.erase(
        std::unique(patches.begin(), patches.end(),
                    [](const ShadowPatch& l, const ShadowPatch& r) { return l.texture == r.texture; }),
        patches.end());
    std::stable_sort(patches.begin(), patches.end(),
                     [](const ShadowPatch& l, const ShadowPatch& r) { return l.height > r.height; });
    double area = 0;
    for (const ShadowPatch& p : patches)
        area += double(p.width + 2) * double(p.height + 2);
    const int32_t base = int32_t(std::sqrt(area)) + 1;
    for (int32_t factor = 1;; ++factor) {
        const int32_t side = NextPowerOfTwo(base * factor);
        if (side > maxSide)
            return false;
        int32_t x = 1, y = 1, shelf = 0, widest = 0;
        bool fits = true;
        for (ShadowPatch& p : patches) {
            if (x + p.width + 1 >= side) {
                if (x == 1) {
                    fits = false;
                    break;
                }
                y += shelf + 2;
                x = 1;
                shelf = 0;
            }
            if (y + p.height + 1 >= side) {
                fits = false;
                break;
            }
            p.x = x;
            p.y = y;
            x += p.width + 2;
            shelf = std::max(shelf, p.height);
            widest = std::max(widest, x);
        }
        if (fits) {
            *width = std::max(widest, 1);
            *height = y + shelf + 1;
            return true;
        }
    }
}

void CShadowMapRenderer::AssignLightmapCoordinates(CMeshNode* mesh, int32_t first, int32_t last)
{
    if (first > last || last >= int32_t(triangles.size()))
        return;
    layouts.push_back({});
    ShadowMeshLayout& layout = layouts.back();
    layout.mesh = mesh;
    layout.coordinates.resize(size_t(mesh->vertexCount) * 2);
    for (int32_t i = 0; i < mesh->vertexCount; ++i) {
        layout.coordinates[size_t(i) * 2] = mesh->vertices[i].tu2;
        layout.coordinates[size_t(i) * 2 + 1] = mesh->vertices[i].tv2;
    }

    // Patch groups: the whole mesh, or one per plane.
    int32_t groupCount = 0;
    if (!mesh->complex) {
        for (int32_t i = first; i <= last; ++i)
            triangles[size_t(i)].patchGroup = 0;
        groupCount = 1;
    } else {
        for (int32_t i = first; i <= last; ++i)
            triangles[size_t(i)].patchGroup = -1;
        for (int32_t i = first; i <= last; ++i) {
            ShadowTriangle& t = triangles[size_t(i)];
            if (t.patchGroup >= 0)
                continue;
            t.patchGroup = groupCount++;
            for (int32_t j = i + 1; j <= last; ++j) {
                ShadowTriangle& o = triangles[size_t(j)];
                if (o.patchGroup < 0 && std::fabs(o.planeDistance - t.planeDistance) < 0.05f &&
                    (o.planeNormal - t.planeNormal).length() < 0.1f)
                    o.patchGroup = t.patchGroup;
            }
        }
    }

    std::vector<Projection> projections(static_cast<size_t>(groupCount));
    std::vector<CBox> boxes(static_cast<size_t>(groupCount), CBox::Empty);
    for (int32_t i = first; i <= last; ++i)
        for (const CVector& p : triangles[size_t(i)].p)
            boxes[size_t(triangles[size_t(i)].patchGroup)].extend(p);
    std::vector<ShadowPatch> patches;
    for (int32_t g = 0; g < groupCount; ++g) {
        projections[size_t(g)] = MakeProjection(boxes[size_t(g)]);
        const Projection& pr = projections[size_t(g)];
        ShadowPatch patch;
        patch.width = PatchSize(textureSize, pr.extentA);
        patch.height = PatchSize(textureSize, pr.extentB);
        patch.texture = g;
        for (int32_t i = first; i <= last; ++i)
            if (triangles[size_t(i)].patchGroup == g) {
                patch.triangle = i;
                break;
            }
        patches.push_back(patch);
    }
    int32_t width = 0, height = 0;
    if (!PackPatches(patches, &width, &height)) {
        layouts.pop_back();
        Fail("couldn't assign texture");
        return;
    }
    std::vector<const ShadowPatch*> placed(static_cast<size_t>(groupCount));
    for (const ShadowPatch& p : patches)
        placed[size_t(p.texture)] = &p;

    // The mesh's texture: reused when the mesh has one already.
    int32_t row = -1;
    for (size_t k = 0; k < textures.size(); ++k)
        if (textures[k].mesh == mesh)
            row = int32_t(k);
    if (row < 0) {
        auto image = std::make_unique<imgImage>();
        if (image->allocate(width, height, FMT_ARGB_8888) != 1 || image->empty()) {
            layouts.pop_back();
            Fail("couldn't assign texture");
            return;
        }
        std::fill(image->pixels, image->pixels + image->imageSize, uint8_t(0));
        ShadowTexture texture;
        texture.image = std::move(image);
        texture.mesh = mesh;
        texture.meshId = mesh->id;
        texture.layoutWidth = uint32_t(width);
        texture.layoutHeight = uint32_t(height);
        textures.push_back(std::move(texture));
        row = int32_t(textures.size()) - 1;
        ++textureCounter;
        textureCount.fetch_add(1);
        textureBytes.fetch_add(width * height * 4);
    }

    for (int32_t i = first; i <= last; ++i) {
        ShadowTriangle& t = triangles[size_t(i)];
        const Projection& pr = projections[size_t(t.patchGroup)];
        const ShadowPatch& patch = *placed[size_t(t.patchGroup)];
        t.width = patch.width;
        t.height = patch.height;
        t.texture = row;
        for (int c = 0; c < 3; ++c) {
            const float u = Project(pr, t.p[c], pr.a);
            const float v = Project(pr, t.p[c], pr.b);
            t.lu[c] = float(patch.width) / float(width) * u + float(patch.x) / float(width);
            t.lv[c] = float(patch.height) / float(height) * v + float(patch.y) / float(height);
            layout.coordinates[size_t(t.vertex[c]) * 2] = t.lu[c];
            layout.coordinates[size_t(t.vertex[c]) * 2 + 1] = t.lv[c];
        }
    }
    layout.patches = std::move(patches);
    layout.width = width;
    layout.height = height;
    layout.texture = row;
}
