// Baking the lightmaps of a generated street (ten houses of about 2,000 triangles each,
// 8 street lights, about 20,000 triangles) with the two-level shadow test (object boxes,
// then triangle boxes) beside the brute-force test of every triangle, in the same run.
// Both must give the same texels; rays/s is the traced rays per second of each.
#include <benchmark/benchmark.h>

#include <vector>

#include "GAMES/Rulo2/editor/shadowmap/ShadowMapRenderer.h"
#include "tests/editor/ShadowMapTestWorld.h"

namespace {

using namespace shadowtest;

// A box of `size` whose four walls and roof are each split into n x n quads, facing out.
CRootNode* MakeHouse(float size, int32_t n)
{
    auto* root = new CRootNode;
    root->SetName("House");
    auto* mesh = static_cast<CMeshNode*>(root->AddChild(new CMeshNode("Walls")));
    std::vector<MeshVertex> v;
    std::vector<uint16_t> idx;
    // Each face: an origin and two edge directions whose cross product a x b points out of
    // the box, as the winding (p1 - p0) x (p2 - p1) of its triangles does.
    struct Face
    {
        CVector o, a, b;
    };
    const float s = size;
    const Face faces[] = {
        {CVector(0, 0, 0), CVector(0, s, 0), CVector(s, 0, 0)},  // z = 0, facing -z
        {CVector(s, 0, s), CVector(0, s, 0), CVector(-s, 0, 0)}, // z = s, facing +z
        {CVector(0, 0, s), CVector(0, s, 0), CVector(0, 0, -s)}, // x = 0, facing -x
        {CVector(s, 0, 0), CVector(0, s, 0), CVector(0, 0, s)},  // x = s, facing +x
        {CVector(0, s, 0), CVector(0, 0, s), CVector(s, 0, 0)},  // y = s, facing +y
    };
    for (const Face& f : faces) {
        CVector normal = CVector::cross(f.a, f.b);
        normal.normalize();
        const uint16_t base = uint16_t(v.size());
        for (int32_t j = 0; j <= n; ++j)
            for (int32_t i = 0; i <= n; ++i) {
                const CVector p = f.o + f.a * (float(i) / float(n)) + f.b * (float(j) / float(n));
                v.push_back({p.x, p.y, p.z, normal.x, normal.y, normal.z, float(i) / float(n),
                             float(j) / float(n), 0, 0});
            }
        for (int32_t j = 0; j < n; ++j)
            for (int32_t i = 0; i < n; ++i) {
                const uint16_t a = uint16_t(base + j * (n + 1) + i), b = uint16_t(a + 1);
                const uint16_t c = uint16_t(a + n + 1), d = uint16_t(c + 1);
                for (uint16_t k : {a, b, d, a, d, c})
                    idx.push_back(k);
            }
    }
    mesh->SetVertices(v.data(), int32_t(v.size()));
    mesh->SetIndices(idx.data(), int32_t(idx.size()));
    mesh->SetMaterialCount(1);
    mesh->materials[0].indexCount = int32_t(idx.size());
    mesh->materials[0].vertexCount = int32_t(v.size());
    mesh->complex = 1;
    mesh->smooth = 0;
    return root;
}

struct Street
{
    Street()
    {
        GameModeFlag = 0;
        CreateWorldRoots();
        ClearWorld();
        CModelEntry* ground = AddEntry(MakeQuadsModel("Ground", 24.0f, {CVector(0, 0, 0)}));
        AddInstance(g_WorldRoot, ground, CVector(-2, 0, -4));
        for (int32_t i = 0; i < 10; ++i) {
            // Every house is a model of its own, as a town's houses are.
            CModelEntry* house = AddEntry(MakeHouse(1.5f, 14));
            AddInstance(g_WorldRoot, house, CVector(float(i % 5) * 4.0f, 0, i < 5 ? 0.0f : 6.0f));
        }
        for (int32_t i = 0; i < 8; ++i)
            PointLight(g_WorldRoot, CVector(float(i % 4) * 5.0f + 1.0f, 2.5f, i < 4 ? 3.0f : 4.5f), 6.0f);
    }
    ~Street() { DestroyWorldRoots(); }
};

std::vector<std::vector<uint16_t>> Bake(CShadowMapRenderer& r, bool bruteForce, int64_t* rays)
{
    r.textureSize = 8;
    r.smoothTexture = false;
    r.bruteForce = bruteForce;
    r.textures.clear();
    r.PrepareRun(g_WorldRoot);
    r.RenderPasses();
    *rays = r.tracedRays.load();
    std::vector<std::vector<uint16_t>> texels;
    for (const ShadowTexture& t : r.textures)
        texels.push_back(t.results.empty() ? std::vector<uint16_t>{} : t.results.back().pixels);
    return texels;
}

void BM_ShadowMapBake(benchmark::State& state)
{
    const bool bruteForce = state.range(0) != 0;
    Street street;
    CShadowMapRenderer reference;
    int64_t referenceRays = 0;
    // The other method's texels, made once in this run, must equal this one's.
    const auto expected = Bake(reference, !bruteForce, &referenceRays);
    int64_t rays = 0;
    size_t triangles = 0;
    for (auto _ : state) {
        CShadowMapRenderer r;
        const auto texels = Bake(r, bruteForce, &rays);
        if (texels != expected)
            state.SkipWithError("the two shadow tests gave different texels");
        triangles = 0;
        for (const auto& [mesh, count] : r.triangleCounts)
            triangles += size_t(count);
    }
    state.counters["rays/s"] =
        benchmark::Counter(double(rays), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["triangles"] = double(triangles);
    state.SetLabel(bruteForce ? "brute force: every triangle" : "group and triangle boxes");
}
BENCHMARK(BM_ShadowMapBake)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
