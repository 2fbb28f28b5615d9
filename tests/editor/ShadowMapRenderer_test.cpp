// The lightmap renderer's passes on worlds built in code: lighting, layout and reduction,
// occluders and inside groups, and the hand-over that a saved world keeps.
#include <gtest/gtest.h>

#include <filesystem>

#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/shadowmap/ShadowMapRenderer.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "tests/editor/ShadowMapTestWorld.h"
#include "tests/render/TextureTestRig.h"

using namespace shadowtest;

namespace {

class ShadowMap : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedMode = GameModeFlag;
        GameModeFlag = 0;
        std::copy(g_ShadowAmbient, g_ShadowAmbient + 3, savedAmbient);
        CreateWorldRoots();
        ClearWorld();
        r.smoothTexture = false;
        r.totalTolerance = 0;
        r.quadTolerance = 0;
    }
    void TearDown() override
    {
        DestroyWorldRoots();
        GameModeFlag = savedMode;
        std::copy(savedAmbient, savedAmbient + 3, g_ShadowAmbient);
    }

    // The layout pass, then the open world's lights one by one, as a run's first phase does,
    // leaving the working images for a look.
    void LayOutAndLight(CWorldObject* root)
    {
        r.textures.clear();
        r.PrepareRun(root);
        r.pass = 0;
        r.Walk(root, 0);
        r.triangles.clear();
        r.groups.clear();
        r.lights.clear();
        r.pass = 1;
        r.Walk(root, 0);
        const std::vector<ShadowLight> open = r.lights;
        for (r.currentLight = 0; r.currentLight < int32_t(open.size()); ++r.currentLight) {
            r.lights = open;
            r.pass = 3;
            r.triangles.clear();
            r.groups.clear();
            r.Walk(root, 0);
            r.RenderTriangles();
        }
    }

    // Covered texels (stamped) of a mesh's working image.
    std::vector<const uint8_t*> Covered(CMeshNode* mesh)
    {
        std::vector<const uint8_t*> out;
        ShadowMeshLayout* l = r.LayoutOf(mesh);
        if (!l)
            return out;
        const imgImage& image = *r.textures[size_t(l->texture)].image;
        for (int32_t y = 0; y < image.height; ++y)
            for (int32_t x = 0; x < image.width; ++x)
                if (Texel(image, x, y)[0] != 0)
                    out.push_back(Texel(image, x, y));
        return out;
    }

    static CMeshNode* MeshOf(CModelEntry* e) { return static_cast<CMeshNode*>(e->model->FirstModelChild()); }

    CShadowMapRenderer r;
    uint8_t savedMode = 1;
    float savedAmbient[3] = {};
};

TEST_F(ShadowMap, APointLightInRangeLightsAboveAmbientAndAnUnlitTexelKeepsAmbientExactly)
{
    // The light reaches the quad in every case; with linear attenuation and a range just
    // over its height it is too weak for any texel.
    struct Case
    {
        float range;
        bool linear;
        float ambient;
    };
    for (const Case c : {Case{5.0f, false, 64}, Case{1.01f, true, 64}, Case{1.01f, true, 0}}) {
        SCOPED_TRACE(c.range * 1000 + c.ambient);
        ClearWorld();
        g_ShadowAmbient[0] = c.ambient / 255.0f;
        g_ShadowAmbient[1] = c.ambient / 255.0f;
        g_ShadowAmbient[2] = c.ambient == 0 ? 0 : 70.0f / 255.0f;
        CModelEntry* quad = AddEntry(MakeQuadsModel("Quad", 1.0f, {CVector(0, 0, 0)}));
        AddInstance(g_WorldRoot, quad, CVector(0, 0, 0));
        SWorldLight* light = PointLight(g_WorldRoot, CVector(0.5f, 1.0f, 0.5f), c.range)->Light();
        if (c.linear) {
            light->light.dvAttenuation0 = 0;
            light->light.dvAttenuation1 = 1;
        }
        r.textureSize = 16;
        LayOutAndLight(g_WorldRoot);
        const auto texels = Covered(MeshOf(quad));
        ASSERT_GT(texels.size(), 100u);
        const uint8_t ambient[3] = {uint8_t(c.ambient), uint8_t(c.ambient), uint8_t(c.ambient == 0 ? 0 : 70)};
        for (const uint8_t* t : texels) {
            if (!c.linear) {
                EXPECT_GT(t[1], ambient[0]);
                EXPECT_GT(t[3], ambient[2]);
            } else if (c.ambient == 0) {
                // No lit texel is pure black.
                EXPECT_EQ(t[1] + t[2], 0);
                EXPECT_EQ(t[3], 1);
            } else {
                EXPECT_EQ(t[1], ambient[0]);
                EXPECT_EQ(t[2], ambient[1]);
                EXPECT_EQ(t[3], ambient[2]);
            }
        }
    }
}

TEST_F(ShadowMap, ALightOutOfRangeLeavesTheWholeMapAmbientAndOneTexel)
{
    CModelEntry* quad = AddEntry(MakeQuadsModel("Quad", 1.0f, {CVector(0, 0, 0)}));
    AddInstance(g_WorldRoot, quad, CVector(0, 0, 0));
    PointLight(g_WorldRoot, CVector(0.5f, 1.0f, 0.5f), 0.5f);
    r.textureSize = 16;
    r.PrepareRun(g_WorldRoot);
    r.RenderPasses();
    ASSERT_EQ(r.textures.size(), 1u);
    const ShadowResult& res = r.textures[0].results.at(0);
    EXPECT_EQ(res.width, 1u);
    EXPECT_EQ(res.height, 1u);
    EXPECT_EQ(res.pixels, std::vector<uint16_t>{uint16_t(0x8000 | 8 << 10 | 8 << 5 | 8)});
    EXPECT_EQ(r.reducedCount, 1);
    EXPECT_EQ(r.bytesSaved, int32_t(r.textures[0].layoutWidth * r.textures[0].layoutHeight * 4 - 4));
}

TEST_F(ShadowMap, AnOccluderCastsAShadowAndALockedObjectNeitherReceivesNorCastsNorGivesLight)
{
    // A floor, a small roof above its middle, a light above both.
    CModelEntry* floor = AddEntry(MakeQuadsModel("Floor", 2.0f, {CVector(0, 0, 0)}));
    CModelEntry* roof = AddEntry(MakeQuadsModel("Roof", 1.0f, {CVector(0, 0, 0)}));
    AddInstance(g_WorldRoot, floor, CVector(0, 0, 0));
    CWorldObject* roofObject = AddInstance(g_WorldRoot, roof, CVector(0.5f, 0.5f, 0.5f));
    CWorldObject* light = PointLight(g_WorldRoot, CVector(1.0f, 2.0f, 1.0f), 10.0f);
    r.textureSize = 16;

    // The texel under the roof's middle, and one at the floor's corner.
    auto probe = [&](float x, float z) {
        ShadowMeshLayout* l = r.LayoutOf(MeshOf(floor));
        const imgImage& image = *r.textures[size_t(l->texture)].image;
        const ShadowPatch& p = l->patches[0];
        const int32_t tx =
            int32_t((float(p.width) * x / 2.0f + float(p.x)) / float(image.width) * float(image.width - 1));
        const int32_t ty = int32_t((float(p.height) * z / 2.0f + float(p.y)) / float(image.height) *
                                   float(image.height - 1));
        return Texel(image, tx, ty)[1];
    };
    LayOutAndLight(g_WorldRoot);
    const uint8_t ambient = uint8_t(g_ShadowAmbient[0] * 255.0f);
    EXPECT_EQ(probe(1.0f, 1.0f), ambient) << "shadowed by the roof";
    EXPECT_GT(probe(0.1f, 0.1f), ambient) << "open to the light";
    EXPECT_NE(r.LayoutOf(MeshOf(roof)), nullptr);

    roofObject->flags |= 1;
    LayOutAndLight(g_WorldRoot);
    EXPECT_GT(probe(1.0f, 1.0f), ambient) << "a locked roof casts no shadow";
    EXPECT_EQ(r.LayoutOf(MeshOf(roof)), nullptr) << "and gets no lightmap";

    light->flags |= 1;
    LayOutAndLight(g_WorldRoot);
    EXPECT_TRUE(r.lights.empty()) << "a locked light gives no light";
    EXPECT_LE(probe(0.1f, 0.1f), ambient);
}

TEST_F(ShadowMap, TransparentOccludersLetLightThroughByTheirAlpha)
{
    TextureDeviceRig rig;
    CModelEntry* floor = AddEntry(MakeQuadsModel("Floor", 2.0f, {CVector(0, 0, 0)}));
    CModelEntry* roof = AddEntry(MakeQuadsModel("Roof", 4.0f, {CVector(-1, 0, -1)}));
    AddInstance(g_WorldRoot, floor, CVector(0, 0, 0));
    AddInstance(g_WorldRoot, roof, CVector(0, 0.5f, 0));
    PointLight(g_WorldRoot, CVector(1.0f, 2.0f, 1.0f), 10.0f);
    r.textureSize = 8;
    r.transparentTextures = true;
    struct Case
    {
        uint32_t alpha;
        bool shadow;
    };
    for (const Case c : {Case{0x00, false}, Case{0xFF, true}}) {
        SCOPED_TRACE(c.alpha);
        imgImage img;
        FillImage(img, 4, 4, std::vector<uint32_t>(16, (c.alpha << 24) | 0xFFFFFF));
        CTexture texture;
        ASSERT_TRUE(texture.CreateFromImage(img, false));
        MeshOf(roof)->materials[0].texture = &texture;
        LayOutAndLight(g_WorldRoot);
        MeshOf(roof)->materials[0].texture = nullptr;
        const uint8_t ambient = uint8_t(g_ShadowAmbient[0] * 255.0f);
        for (const uint8_t* t : Covered(MeshOf(floor))) {
            if (c.shadow)
                EXPECT_EQ(t[1], ambient);
            else
                EXPECT_GT(t[1], ambient);
        }
    }
}

TEST_F(ShadowMap, LayoutGivesTheExtentInTexelsLessTwoAndPacksPatchesApart)
{
    CModelEntry* quad = AddEntry(MakeQuadsModel("Quad", 1.0f, {CVector(0, 0, 0)}));
    AddInstance(g_WorldRoot, quad, CVector(0, 0, 0));
    r.textureSize = 16;
    LayOutAndLight(g_WorldRoot);
    ShadowMeshLayout* l = r.LayoutOf(MeshOf(quad));
    ASSERT_NE(l, nullptr);
    ASSERT_EQ(l->patches.size(), 1u);
    EXPECT_EQ(l->patches[0].width, 14);
    EXPECT_EQ(l->patches[0].height, 14);
    for (size_t i = 0; i < l->coordinates.size(); ++i) {
        EXPECT_GE(l->coordinates[i], 0.0f);
        EXPECT_LE(l->coordinates[i], 1.0f);
    }

    // Per-plane layout: four quads at different heights make four patches, none overlapping
    // and each with a texel of border.
    CModelEntry* steps = AddEntry(MakeQuadsModel(
        "Steps", 1.0f, {CVector(0, 0, 0), CVector(1, 0.5f, 0), CVector(2, 1, 0), CVector(3, 1.5f, 0)}));
    MeshOf(steps)->complex = 1;
    AddInstance(g_WorldRoot, steps, CVector(0, 0, 3));
    LayOutAndLight(g_WorldRoot);
    l = r.LayoutOf(MeshOf(steps));
    ASSERT_NE(l, nullptr);
    ASSERT_EQ(l->patches.size(), 4u);
    for (const ShadowPatch& a : l->patches) {
        EXPECT_GE(a.x, 1);
        EXPECT_GE(a.y, 1);
        EXPECT_LE(a.x + a.width, l->width);
        EXPECT_LE(a.y + a.height, l->height);
        // Patches keep at least one texel between them.
        for (const ShadowPatch& b : l->patches) {
            if (&a == &b)
                continue;
            EXPECT_TRUE(a.x + a.width < b.x || b.x + b.width < a.x || a.y + a.height < b.y ||
                        b.y + b.height < a.y)
                << "patches " << a.texture << " and " << b.texture << " touch";
        }
    }
}

TEST_F(ShadowMap, UniformMapsShrinkToOneTexelOrToTheirBlocks)
{
    struct Case
    {
        int32_t width, height;
        int32_t block; // 0: the whole map is one colour; -1: every texel differs
        int32_t wantWidth, wantHeight;
    };
    for (const Case c :
         {Case{20, 10, 0, 1, 1}, Case{40, 24, 16, 3, 2}, Case{16, 16, 4, 4, 4}, Case{8, 8, -1, 8, 8}}) {
        SCOPED_TRACE(c.width * 100 + c.block);
        imgImage image;
        ASSERT_EQ(image.allocate(c.width, c.height, FMT_ARGB_8888), 1);
        for (int32_t y = 0; y < c.height; ++y)
            for (int32_t x = 0; x < c.width; ++x) {
                uint8_t* t = image.pixels + size_t(y) * image.bytesPerLine + size_t(x) * 4;
                const int32_t v = c.block > 0   ? (x / c.block * 40 + y / c.block * 90) % 250
                                  : c.block < 0 ? (x * 31 + y * 17) % 250
                                                : 90;
                t[0] = 1;
                t[1] = t[2] = t[3] = uint8_t(v);
            }
        ShadowReduction stats;
        ReduceTexture(image, 0, 0, stats);
        EXPECT_EQ(image.width, c.wantWidth);
        EXPECT_EQ(image.height, c.wantHeight);
        const bool reduced = c.wantWidth != c.width;
        EXPECT_EQ(stats.reducedCount, reduced ? 1 : 0);
        EXPECT_EQ(stats.bytesSaved, c.width * c.height * 4 - c.wantWidth * c.wantHeight * 4);
    }
}

TEST_F(ShadowMap, UnlitTexelsTakeTheirNeighboursOrTheAmbientColour)
{
    const float ambient[3] = {10 / 255.0f, 20 / 255.0f, 30 / 255.0f};
    imgImage image;
    ASSERT_EQ(image.allocate(5, 5, FMT_ARGB_8888), 1);
    auto at = [&](int32_t x, int32_t y) {
        return image.pixels + size_t(y) * image.bytesPerLine + size_t(x) * 4;
    };
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            at(x, y)[0] = 7;
            at(x, y)[1] = uint8_t(8 * (x + 5 * y + 1));
            at(x, y)[2] = 5; // below the ambient green
            at(x, y)[3] = 200;
        }
    // Black texels: (3, 3) has all eight neighbours; (1, 1) may not look left or up.
    for (auto [x, y] : {std::pair{3, 3}, std::pair{1, 1}})
        at(x, y)[1] = at(x, y)[2] = at(x, y)[3] = 0;
    FillUnlitTexels(image, ambient);
    auto red = [&](int32_t x, int32_t y) { return int32_t(at(x, y)[1]); };
    const int32_t all =
        red(2, 2) + red(3, 2) + red(4, 2) + red(2, 3) + red(4, 3) + red(2, 4) + red(3, 4) + red(4, 4);
    EXPECT_EQ(red(3, 3), all / 8);
    EXPECT_EQ(red(1, 1), (red(2, 1) + red(1, 2) + red(2, 2)) / 3);
    for (auto [x, y] : {std::pair{3, 3}, std::pair{1, 1}}) {
        EXPECT_EQ(at(x, y)[2], 20) << "raised to the ambient colour";
        EXPECT_EQ(at(x, y)[3], 200);
        EXPECT_EQ(at(x, y)[0], 0);
    }

    // With nothing lit around it a texel takes the ambient colour.
    std::fill(image.pixels, image.pixels + image.imageSize, uint8_t(0));
    FillUnlitTexels(image, ambient);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(at(x, y)[1], 10);
            EXPECT_EQ(at(x, y)[2], 20);
            EXPECT_EQ(at(x, y)[3], 30);
        }
}

TEST_F(ShadowMap, CustomPhaseRendersThreePhasesAndCustomLightsShineInAll)
{
    CModelEntry* left = AddEntry(MakeQuadsModel("Left", 1.0f, {CVector(0, 0, 0)}));
    CModelEntry* right = AddEntry(MakeQuadsModel("Right", 1.0f, {CVector(0, 0, 0)}));
    AddInstance(g_WorldRoot, left, CVector(0, 0, 0));
    AddInstance(g_WorldRoot, right, CVector(10, 0, 0));
    PointLight(g_WorldRoot, CVector(0.5f, 1, 0.5f), 3.0f, 0x8 | 0x7);  // custom, every phase
    PointLight(g_WorldRoot, CVector(10.5f, 1, 0.5f), 3.0f, 0x8 | 0x2); // custom, 06:00 only
    r.textureSize = 8;
    r.lightPhase = SHADOW_PHASE_CUSTOM;
    r.PrepareRun(g_WorldRoot);
    r.RenderPasses();
    const uint16_t ambient = uint16_t(0x8000 | (8 << 10) | (8 << 5) | 8);
    auto lit = [&](CModelEntry* e, size_t phase) {
        const ShadowTexture& t = r.textures[size_t(r.LayoutOf(MeshOf(e))->texture)];
        EXPECT_EQ(t.results.size(), 3u);
        for (uint16_t p : t.results.at(phase).pixels)
            if (p != ambient)
                return true;
        return false;
    };
    for (size_t phase = 0; phase < 3; ++phase) {
        SCOPED_TRACE(phase);
        EXPECT_TRUE(lit(left, phase));
        EXPECT_EQ(lit(right, phase), phase == 1);
    }
}

TEST_F(ShadowMap, InsideGroupsAreEachInsideNodeOrTheWholeHouse)
{
    // One house, two rooms side by side; each room's light sits right above the other
    // room's floor as well, but only lights of the same group may reach a floor.
    CWorldObject* house = Group(g_WorldRoot, "Haus_A");
    CWorldObject* rooms[2] = {Group(Group(house, "Stockwerk_1"), "innen"),
                              Group(Group(house, "Stockwerk_2"), "innen")};
    CModelEntry* floors[2] = {AddEntry(MakeQuadsModel("FloorA", 1.0f, {CVector(0, 0, 0)})),
                              AddEntry(MakeQuadsModel("FloorB", 1.0f, {CVector(0, 0, 0)}))};
    AddInstance(rooms[0], floors[0], CVector(0, 0, 0));
    AddInstance(rooms[1], floors[1], CVector(1.2f, 0, 0));
    PointLight(rooms[0], CVector(1.1f, 1, 0.5f), 3.0f, 1, 1, 0, 0); // red
    PointLight(rooms[1], CVector(1.1f, 1, 0.5f), 3.0f, 1, 0, 0, 1); // blue
    r.textureSize = 8;
    r.smoothTexture = false;
    for (bool combine : {false, true}) {
        SCOPED_TRACE(combine);
        r.combineInsideGroups = combine;
        r.PrepareRun(g_WorldRoot);
        EXPECT_EQ(r.groupTotal, combine ? 1 : 2);
        r.RenderPasses();
        EXPECT_EQ(r.groupCounter, combine ? 1 : 2);
        for (int room = 0; room < 2; ++room) {
            const ShadowResult& res =
                r.textures[size_t(r.LayoutOf(MeshOf(floors[room]))->texture)].results.at(0);
            int32_t maxRed = 0, maxBlue = 0;
            for (uint16_t p : res.pixels) {
                maxRed = std::max(maxRed, int32_t(p >> 10 & 31));
                maxBlue = std::max(maxBlue, int32_t(p & 31));
            }
            const bool redHere = combine || room == 0, blueHere = combine || room == 1;
            EXPECT_EQ(maxRed > 8, redHere) << "room " << room;
            EXPECT_EQ(maxBlue > 8, blueHere) << "room " << room;
        }
    }
}

TEST_F(ShadowMap, BakedTexturesReachTheInstancesAndASavedWorldKeepsThem)
{
    TextureDeviceRig rig;
    NoShadowsFlag = 0;
    // One model of two meshes (their lightmaps share one object texture) placed twice.
    CModelEntry* pair = AddEntry(MakeQuadsModel("Pair", 1.0f, {CVector(0, 0, 0), CVector(2, 0, 0)}, true));
    CWorldObject* a = AddInstance(g_WorldRoot, pair, CVector(0, 0, 0));
    CWorldObject* b = AddInstance(g_WorldRoot, pair, CVector(0, 0, 5));
    PointLight(g_WorldRoot, CVector(0.5f, 1, 0.5f), 2.0f);
    r.textureSize = 8;
    r.PrepareRun(g_WorldRoot);
    r.RenderPasses();
    r.HandOverToWorld();
    ASSERT_NE(a->shadowTexture, nullptr);
    ASSERT_NE(b->shadowTexture, nullptr);
    EXPECT_EQ(a->shadowTexture->pixels, b->shadowTexture->pixels);
    EXPECT_NE(a->shadowTexture->texture.surface, nullptr);
    // Every vertex addresses the object's texture, the two meshes different rows of it.
    std::vector<float> coordinates;
    bool first = true;
    float firstTop = 0;
    for (CModelNode* n = pair->model->FirstModelChild(); n; n = n->NextModel()) {
        auto* mesh = static_cast<CMeshNode*>(n);
        for (int32_t v = 0; v < mesh->vertexCount; ++v) {
            EXPECT_GT(mesh->vertices[v].tu2, 0.0f);
            EXPECT_LT(mesh->vertices[v].tv2, 1.0f);
            coordinates.push_back(mesh->vertices[v].tu2);
            coordinates.push_back(mesh->vertices[v].tv2);
        }
        if (first)
            firstTop = mesh->vertices[0].tv2;
        else
            EXPECT_GT(mesh->vertices[0].tv2, firstTop);
        first = false;
    }
    const std::vector<uint16_t> pixels = a->shadowTexture->pixels;

    const std::string path = (rig.folder / "Baked.wld").string();
    ASSERT_TRUE(SaveWorld(path.c_str()));
    ClearWorld();
    ASSERT_TRUE(LoadWorld(path.c_str(), LOADWORLD_OPEN));
    CWorldObject* loaded = g_WorldRoot->FirstObject();
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->shadowTexture, nullptr);
    EXPECT_EQ(loaded->shadowTexture->pixels, pixels);
    EXPECT_NE(loaded->shadowTexture->texture.surface, nullptr);
    std::vector<float> reloaded;
    CRootNode* model = loaded->ModelEntry()->model;
    for (CModelNode* n = model->FirstModelChild(); n; n = n->NextModel()) {
        auto* mesh = static_cast<CMeshNode*>(n);
        for (int32_t v = 0; v < mesh->vertexCount; ++v) {
            reloaded.push_back(mesh->vertices[v].tu2);
            reloaded.push_back(mesh->vertices[v].tv2);
        }
    }
    EXPECT_EQ(reloaded, coordinates);
}

} // namespace
