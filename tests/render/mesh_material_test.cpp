// Mesh materials: texture-coordinate transforms, page fitting and the
// operations that move textures between pages.
#include "tests/render/TextureTestRig.h"

#include <memory>

#include "GAMES/Rulo2/world/CMeshMaterials.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"

namespace {

// A mesh with one material per entry of `uvs`, each over a single vertex.
std::unique_ptr<CMeshNode> MeshWithCoords(const std::vector<std::pair<float, float>>& uvs)
{
    auto mesh = std::make_unique<CMeshNode>("mesh");
    std::vector<MeshVertex> v(uvs.size());
    for (size_t i = 0; i < uvs.size(); ++i) {
        v[i] = MeshVertex{};
        v[i].u = uvs[i].first;
        v[i].v = uvs[i].second;
    }
    mesh->SetVertices(v.data(), int32_t(v.size()));
    mesh->SetMaterialCount(int32_t(uvs.size()));
    for (int32_t i = 0; i < mesh->materialCount; ++i) {
        mesh->materials[i].firstVertex = i;
        mesh->materials[i].vertexCount = 1;
    }
    return mesh;
}

// A page with one 64-pixel entry at (128, 0).
struct PageFixture
{
    TextureDeviceRig rig;
    CTexture* texture = new CTexture("t");
    CTexturePage page;
    PageFixture()
    {
        CTexturePageEntry e;
        e.texture = texture;
        e.pageRect = RECT{128, 0, 192, 64};
        e.textureRect = RECT{0, 0, 256, 256};
        page.entries.push_back(e);
    }
};

void Pagify(CMeshMaterial& m, CTexturePage* page, int32_t entry, int32_t x0, int32_t y0, int32_t x1,
            int32_t y1)
{
    m.page = page;
    m.pageEntry = entry;
    m.entryRect[0] = x0;
    m.entryRect[1] = y0;
    m.entryRect[2] = x1;
    m.entryRect[3] = y1;
}

TEST(MeshMaterials, PageFittingPutsTheEdgesOnTheFirstAndLastTexels)
{
    PageFixture f;
    struct Case
    {
        int32_t x0, y0, x1, y1;
        float u, v;
        float wantU, wantV;
    };
    // Worked out by hand from X0 = L + x0 (R - L) / 256 and u' = u (X1 - X0 - 1) / W + X0 / W.
    const Case cases[] = {
        {0, 0, 256, 256, 0.0f, 0.0f, 128.0f / 256, 0.0f},
        {0, 0, 256, 256, 1.0f, 1.0f, (128.0f + 63) / 256, 63.0f / 256},
        {0, 0, 256, 256, 0.5f, 0.5f, (0.5f * 63 + 128) / 256, 0.5f * 63 / 256},
        // A part of the entry: X0 = 128 + 16, X1 = 128 + 48.
        {64, 128, 192, 256, 0.0f, 0.0f, 144.0f / 256, 32.0f / 256},
        {64, 128, 192, 256, 1.0f, 1.0f, 175.0f / 256, 63.0f / 256},
        // -3 x 64 / 256 rounds toward zero to 0, not down to -1.
        {-3, 0, 256, 256, 0.0f, 0.0f, 128.0f / 256, 0.0f},
    };
    for (const Case& c : cases) {
        auto mesh = MeshWithCoords({{c.u, c.v}});
        Pagify(mesh->materials[0], &f.page, 0, c.x0, c.y0, c.x1, c.y1);
        mesh->RefitTextureCoords(&f.page, 0);
        EXPECT_FLOAT_EQ(mesh->vertices[0].u, c.wantU) << c.x0 << " " << c.u;
        EXPECT_FLOAT_EQ(mesh->vertices[0].v, c.wantV) << c.y0 << " " << c.v;
    }
}

TEST(MeshMaterials, TransformFlipsThenTurnsThenScales)
{
    struct Case
    {
        int32_t flipU, flipV, rotations;
        float scaleU, scaleV;
        float wantU, wantV;
    };
    // Base (0.25, 0.125).
    const Case cases[] = {
        {0, 0, 0, 1, 1, 0.25f, 0.125f}, {1, 0, 0, 1, 1, 0.75f, 0.125f},
        {0, 1, 0, 1, 1, 0.25f, 0.875f}, {0, 0, 1, 1, 1, 0.875f, 0.25f},
        {0, 0, 2, 1, 1, 0.75f, 0.875f}, {1, 0, 1, 2, 4, 2 * 0.875f, 4 * 0.75f},
    };
    for (const Case& c : cases) {
        auto mesh = MeshWithCoords({{0.25f, 0.125f}});
        CMeshMaterial& m = mesh->materials[0];
        m.flipU = c.flipU;
        m.flipV = c.flipV;
        m.rotations = c.rotations;
        m.scaleU = c.scaleU;
        m.scaleV = c.scaleV;
        mesh->ResetAllTexCoords();
        EXPECT_FLOAT_EQ(mesh->vertices[0].u, c.wantU) << c.rotations;
        EXPECT_FLOAT_EQ(mesh->vertices[0].v, c.wantV) << c.rotations;
        EXPECT_FLOAT_EQ(mesh->baseTexCoords[0], 0.25f) << "base coordinates stay";
    }
}

TEST(MeshMaterials, RemovingAnEntryDetachesItsUsersAndRenumbersHigherOnes)
{
    PageFixture f;
    CTexturePage other;
    auto mesh = MeshWithCoords({{0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}});
    Pagify(mesh->materials[0], &f.page, 1, 0, 0, 256, 256);
    Pagify(mesh->materials[1], &f.page, 2, 0, 0, 256, 256);
    Pagify(mesh->materials[2], &f.page, 3, 0, 0, 256, 256);
    Pagify(mesh->materials[3], &other, 3, 0, 0, 256, 256);
    mesh->vertices[1].u = 0.9f;
    mesh->RemoveTexture(&f.page, 2);
    EXPECT_EQ(mesh->materials[0].pageEntry, 1);
    EXPECT_EQ(mesh->materials[1].page, nullptr);
    EXPECT_EQ(mesh->materials[1].pageEntry, -1);
    EXPECT_FLOAT_EQ(mesh->vertices[1].u, 0.5f) << "back to its own coordinates";
    EXPECT_EQ(mesh->materials[2].pageEntry, 2);
    EXPECT_EQ(mesh->materials[3].pageEntry, 3) << "another page is not touched";

    EXPECT_TRUE(mesh->IsTextureUsed(&f.page, -1));
    mesh->RemoveTexture(&f.page, -1);
    EXPECT_FALSE(mesh->IsTextureUsed(&f.page, -1));
    EXPECT_TRUE(mesh->IsTextureUsed(&other, 3));
}

TEST(MeshMaterials, RefitAllDetachesMaterialsWhoseEntryLostItsTexture)
{
    PageFixture f;
    auto mesh = MeshWithCoords({{1.0f, 0.0f}, {1.0f, 0.0f}});
    mesh->materials[0].flipU = 1;
    mesh->materials[1].flipU = 1;
    Pagify(mesh->materials[0], &f.page, 0, 0, 0, 256, 256);
    Pagify(mesh->materials[1], &f.page, 5, 0, 0, 256, 256);
    mesh->RefitAllTexCoords();
    EXPECT_EQ(mesh->materials[0].page, &f.page);
    EXPECT_FLOAT_EQ(mesh->vertices[0].u, 128.0f / 256);
    EXPECT_EQ(mesh->materials[1].page, nullptr);
    EXPECT_EQ(mesh->materials[1].pageEntry, -1);
    EXPECT_FLOAT_EQ(mesh->vertices[1].u, 0.0f) << "transformed base coordinates";

    // Reset first, then refit: the same as refitting alone.
    Pagify(mesh->materials[1], &f.page, 0, 0, 0, 256, 256);
    mesh->RefitAllTexCoords();
    const float once[2] = {mesh->vertices[0].u, mesh->vertices[1].u};
    mesh->ResetAllTexCoords();
    mesh->RefitAllTexCoords();
    EXPECT_FLOAT_EQ(mesh->vertices[0].u, once[0]);
    EXPECT_FLOAT_EQ(mesh->vertices[1].u, once[1]);
}

TEST(MeshMaterials, ResetAndReplaceWorkOnTheirOwnMaterialsOnly)
{
    PageFixture f;
    CTexture* other = new CTexture("other");
    auto mesh = MeshWithCoords({{0.25f, 0.0f}, {0.25f, 0.0f}, {0.25f, 0.0f}});
    for (int i = 0; i < 3; ++i) {
        mesh->materials[i].flipU = 1;
        mesh->vertices[i].u = 0.0f;
    }
    mesh->materials[0].texture = f.texture;
    mesh->materials[1].texture = other;
    mesh->materials[2].texture = f.texture;
    Pagify(mesh->materials[2], &f.page, 0, 0, 0, 256, 256);
    mesh->ResetTextureCoords(f.texture);
    EXPECT_FLOAT_EQ(mesh->vertices[0].u, 0.75f);
    EXPECT_FLOAT_EQ(mesh->vertices[1].u, 0.0f) << "another texture";
    EXPECT_FLOAT_EQ(mesh->vertices[2].u, 0.0f) << "paged materials are not reset";

    CTexturePage replacement;
    replacement.number = 9;
    mesh->ReplacePage(&f.page, &replacement);
    EXPECT_EQ(mesh->materials[2].page, &replacement);
    EXPECT_EQ(mesh->materials[2].pageNumber, 9);
    EXPECT_FLOAT_EQ(mesh->vertices[2].u, 0.0f) << "nothing refitted";
}

TEST(MeshMaterials, UsageQueriesAndScans)
{
    PageFixture f;
    CTexture* loose = new CTexture("loose");
    auto root = std::make_unique<CRootNode>();
    auto* a = MeshWithCoords({{0.5f, 0.5f}, {0.5f, 0.5f}}).release();
    auto* b = MeshWithCoords({{0.0f, 0.0f}, {2.0f, 0.5f}}).release();
    root->AddChild(a);
    root->AddChild(b);
    a->materials[0].texture = f.texture;
    Pagify(a->materials[0], &f.page, 0, 0, 0, 256, 256);
    a->materials[1].texture = loose;
    b->materials[0].texture = loose;
    b->materials[1].texture = f.texture;
    Pagify(b->materials[1], &f.page, 0, 0, 0, 256, 256);

    std::vector<STextureUse> uses;
    int32_t paged = 0, unpaged = 0;
    root->CollectTextures(uses, paged, unpaged);
    ASSERT_EQ(uses.size(), 2u);
    EXPECT_EQ(paged, 1);
    EXPECT_EQ(unpaged, 1);
    EXPECT_EQ(uses[0].page, &f.page);
    EXPECT_EQ(uses[1].texture, loose);

    EXPECT_EQ(root->FindTextureUser(loose, nullptr, -1), a);
    EXPECT_EQ(root->FindTextureUser(nullptr, &f.page, 0), a);
    EXPECT_EQ(root->FindTextureUser(nullptr, &f.page, 3), nullptr);
    EXPECT_EQ(root->FindTextureUser(f.texture, nullptr, -1), nullptr) << "only paged users";

    root->MarkUsedTextures();
    EXPECT_TRUE(f.page.used);
    EXPECT_TRUE(loose->used);
    EXPECT_FALSE(f.texture->used) << "a paged texture marks its page";

    EXPECT_TRUE(a->MaterialHasTexCoords(0));
    EXPECT_FALSE(b->MaterialHasTexCoords(0));
    EXPECT_FALSE(b->MaterialHasTexCoords(7));
    EXPECT_TRUE(a->MaterialTexCoordsInRange(0));
    EXPECT_FALSE(b->MaterialTexCoordsInRange(1));
    EXPECT_FALSE(b->MaterialTexCoordsInRange(-1));
}

} // namespace
