// Mesh drawing: the draw list's order and a textured mesh of a model file drawn
// through the game's device and read back.
#include "tests/render/DeviceFixture.h"
#include "tests/render/TextureTestRig.h"

#include <memory>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "platform/win/Window.h"

namespace {

// Materials over one triangle each; surfaces given by colour, keys by pointer.
struct MaterialSpec
{
    CTexturePage* page;
    CTexture* texture;
    float red; // the surface's diffuse red: equal reds share a surface
    int32_t transparency;
    int32_t indexCount;
};

CMeshNode* MeshWith(const std::vector<MaterialSpec>& specs)
{
    auto* mesh = new CMeshNode("m");
    std::vector<MeshVertex> v(3 * specs.size(), MeshVertex{});
    std::vector<uint16_t> idx;
    mesh->SetVertices(v.data(), int32_t(v.size()));
    for (size_t i = 0; i < specs.size(); ++i)
        for (uint16_t k = 0; k < 3; ++k)
            idx.push_back(k);
    mesh->SetIndices(idx.data(), int32_t(idx.size()));
    mesh->SetMaterialCount(int32_t(specs.size()));
    for (size_t i = 0; i < specs.size(); ++i) {
        CMeshMaterial& m = mesh->materials[i];
        m.firstVertex = int32_t(3 * i);
        m.vertexCount = 3;
        m.firstIndex = int32_t(3 * i);
        m.indexCount = specs[i].indexCount;
        m.page = specs[i].page;
        m.texture = specs[i].texture;
        m.transparency = specs[i].transparency;
        m.surface->colour[0] = specs[i].red;
    }
    return mesh;
}

TEST(DrawList, GroupsByTextureKeyWithEqualSurfacesTogetherAndTranslucentLast)
{
    TextureDeviceRig rig;
    CTexturePage page;
    CTexture* loose = new CTexture("loose");
    CRootNode root;
    // page/s1, loose/s1, page/s2, translucent page/s1, page/s1 again, an empty material.
    root.AddChild(MeshWith({{&page, nullptr, 0.1f, 0, 3},
                            {nullptr, loose, 0.1f, 0, 3},
                            {&page, nullptr, 0.2f, 0, 3},
                            {&page, nullptr, 0.1f, 50, 3},
                            {&page, nullptr, 0.1f, 0, 3},
                            {&page, nullptr, 0.3f, 0, 0}}));
    ASSERT_TRUE(BuildDrawList(root));
    int32_t count = 0;
    SDrawListEntry* list = DrawListOf(root, &count);
    ASSERT_EQ(count, 5) << "a material without indices takes no slot";
    auto* mesh = static_cast<CMeshNode*>(root.FirstModelChild());
    // Opaque entries with the page are adjacent; the later one with the first
    // one's surface goes right before it.
    EXPECT_EQ(list[0].material, &mesh->materials[4]);
    EXPECT_EQ(list[1].material, &mesh->materials[0]);
    EXPECT_EQ(list[2].material, &mesh->materials[2]);
    EXPECT_EQ(list[3].material, &mesh->materials[1]);
    EXPECT_EQ(list[3].textureKey, loose);
    EXPECT_EQ(list[4].material, &mesh->materials[3]) << "translucent at the end";
    // Equal surfaces are shared: the first of them is the one set.
    EXPECT_EQ(list[0].surface, mesh->materials[0].surface);
    EXPECT_EQ(list[1].surface, mesh->materials[0].surface);
    EXPECT_EQ(list[0].textureKey, &page);
}

TEST(DrawList, OverlappingIndexRangesAreReported)
{
    TextureDeviceRig rig;
    CRootNode root;
    CMeshNode* mesh = MeshWith({{nullptr, nullptr, 0.1f, 0, 3}, {nullptr, nullptr, 0.2f, 0, 3}});
    mesh->materials[1].firstIndex = 1;
    root.AddChild(mesh);
    EXPECT_FALSE(BuildDrawList(root));
    int32_t count = 0;
    DrawListOf(root, &count);
    EXPECT_EQ(count, 2) << "entries are still made";
}

// The game's device with a hand-set camera that shows clip space.
class MeshDrawing : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        D3DMATRIX identity;
        for (int i = 0; i < 4; ++i)
            identity.m[i][i] = 1.0f;
        DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
        DX.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &identity);
        savedLighting = LightingFlag;
        LightingFlag = 0;
        TransparentBatches.clear();
        FlareList.clear();
    }

    void TearDown() override
    {
        LightingFlag = savedLighting;
        DeviceFixture::TearDown();
    }

    uint32_t Pixel(int x, int y)
    {
        uint32_t c = 0;
        EXPECT_TRUE(DX.backSurface->ReadPixel(x, y, &c));
        return c & 0xFFFFFF;
    }

    uint8_t savedLighting = 1;
};

void ExpectNear(uint32_t got, uint32_t want)
{
    for (int shift : {16, 8, 0})
        EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), 24)
            << std::hex << "got " << got << " want " << want;
}

// A screen-filling quad whose corners take the corners of the texture.
CMeshNode* Quad(const char* textureName, int32_t transparency)
{
    auto* mesh = new CMeshNode("quad");
    MeshVertex v[4] = {};
    const float xy[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        v[i].x = xy[i][0];
        v[i].y = xy[i][1];
        v[i].z = 0.5f;
        v[i].nz = -1;
        v[i].u = uv[i][0];
        v[i].v = uv[i][1];
    }
    const uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
    mesh->SetVertices(v, 4);
    mesh->SetIndices(idx, 6);
    mesh->SetMaterialCount(1);
    mesh->materials[0].vertexCount = 4;
    mesh->materials[0].indexCount = 6;
    mesh->materials[0].textureName = textureName;
    mesh->materials[0].transparency = transparency;
    return mesh;
}

TEST_F(MeshDrawing, TexturedMeshOfAModelFileShowsItsTextureColours)
{
    const auto picture = folder / "four.bmp";
    // Red, green / blue, white.
    ASSERT_TRUE(WritePicture(picture, 2, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu}));

    // Written as a model file and read back: the reader binds the texture name.
    CChunkWriter writer;
    {
        CRootNode made;
        made.AddChild(Quad(picture.string().c_str(), 0));
        ASSERT_TRUE(made.SaveToMemory(writer));
    }
    // In the game only pages are bound; the editor loads named textures.
    const uint8_t savedMode = GameModeFlag;
    GameModeFlag = 1;
    {
        CRootNode game;
        ASSERT_TRUE(ParseTmfChunks(writer.Data().data(), writer.Data().size(), &game, "quad.tmf").ok);
        EXPECT_EQ(static_cast<CMeshNode*>(game.FirstModelChild())->materials[0].texture, nullptr);
    }
    GameModeFlag = 0;
    CRootNode root;
    const STmfParseResult parsed =
        ParseTmfChunks(writer.Data().data(), writer.Data().size(), &root, "quad.tmf");
    ASSERT_TRUE(parsed.ok);
    auto* mesh = static_cast<CMeshNode*>(root.FirstModelChild());
    ASSERT_NE(mesh, nullptr);
    ASSERT_NE(mesh->materials[0].texture, nullptr);
    EXPECT_EQ(mesh->materials[0].texture->name, "four");
    int32_t count = 0;
    ASSERT_NE(DrawListOf(root, &count), nullptr);
    EXPECT_EQ(count, 1);

    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    DX.device->BeginScene();
    mesh->DrawEditorMarkers();
    DX.device->EndScene();
    // Quadrant centres; filtering may mix in a little of the neighbours.
    ExpectNear(Pixel(16, 16), 0xFF0000u);
    ExpectNear(Pixel(48, 16), 0x00FF00u);
    ExpectNear(Pixel(16, 48), 0x0000FFu);
    ExpectNear(Pixel(48, 48), 0xFFFFFFu);
    EXPECT_TRUE(TransparentBatches.empty());
    GameModeFlag = savedMode;
}

TEST_F(MeshDrawing, TranslucentMaterialsAreDeferredAndFlaresListed)
{
    CRootNode root;
    CMeshNode* translucent = Quad("", 40);
    translucent->lightFlare = 1;
    translucent->worldMatrix.m[12] = 3.0f;
    root.AddChild(translucent);
    root.AddChild(Quad("", 0));
    DX.device->recordCalls = true;
    DX.device->calls.clear();
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    DX.device->BeginScene();
    root.FirstModelChild()->DrawEditorMarkers();
    DX.device->EndScene();
    int draws = 0;
    for (const D3DCall& c : DX.device->calls)
        draws += c.kind == D3DCallKind::Draw;
    EXPECT_EQ(draws, 1) << "only the opaque quad is drawn at once";
    ASSERT_EQ(TransparentBatches.size(), 1u);
    EXPECT_EQ(TransparentBatches[0].mesh, translucent);
    EXPECT_EQ(TransparentBatches[0].material, 0);
    EXPECT_EQ(TransparentBatches[0].object, nullptr);
    ASSERT_EQ(FlareList.size(), 1u);
    EXPECT_FLOAT_EQ(FlareList[0].point.x, 3.0f);
    EXPECT_EQ(FlareList[0].colour, 0xFFFFFFFFu);
    // The opaque quad has no texture: lit off, it shows plain white.
    EXPECT_EQ(Pixel(32, 32), 0xFFFFFFu);
    DX.device->recordCalls = false;
}

TEST_F(MeshDrawing, PickFindsTheMeshDrawnInsideTheRectangle)
{
    CRootNode root;
    CMeshNode* quad = Quad("", 0);
    // Only the left half of the screen.
    quad->vertices[1].x = quad->vertices[2].x = 0.0f;
    quad->id = 42;
    root.AddChild(quad);
    uint32_t hit = 0;
    DX.device->BeginScene();
    EXPECT_TRUE(root.FirstModelChild()->Pick(hit, 4, 4, 12, 12));
    EXPECT_EQ(hit, 42u);
    hit = 0;
    EXPECT_FALSE(root.FirstModelChild()->Pick(hit, 40, 40, 50, 50));
    EXPECT_EQ(hit, 0u);
    DX.device->EndScene();
}

TEST_F(MeshDrawing, WithTexturesSwitchedOffStageZeroKeepsItsTexture)
{
    const auto picture = folder / "one.bmp";
    ASSERT_TRUE(WritePicture(picture, 2, 2, std::vector<uint32_t>(4, 0xFFFF0000u)));
    const uint8_t savedMode = GameModeFlag, savedTextures = TexturesFlag;
    GameModeFlag = 0;
    CRootNode root;
    root.AddChild(Quad(picture.string().c_str(), 0));
    root.Prepare();
    auto* mesh = static_cast<CMeshNode*>(root.FirstModelChild());
    ASSERT_NE(mesh->materials[0].texture, nullptr);

    IDirectDrawSurface7* before = RenderCache.stageTexture[0];
    TexturesFlag = 0;
    DX.device->BeginScene();
    mesh->DrawEditorMarkers();
    DX.device->EndScene();
    EXPECT_EQ(RenderCache.stageTexture[0], before);
    TexturesFlag = 1;
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    DX.device->BeginScene();
    mesh->DrawEditorMarkers();
    DX.device->EndScene();
    EXPECT_EQ(RenderCache.stageTexture[0], mesh->materials[0].texture->surface);
    ExpectNear(Pixel(32, 32), 0xFF0000u);
    GameModeFlag = savedMode;
    TexturesFlag = savedTextures;
}

// The one range check of every batch draw: a damaged material range draws
// nothing instead of reading past the mesh's arrays.
TEST_F(MeshDrawing, BatchesOutsideTheMeshArraysAreNotDrawn)
{
    struct Row
    {
        const char* what;
        int32_t firstVertex, vertexCount, firstIndex, indexCount;
        bool drawn;
    };
    // The quad has 4 vertices and 6 indices.
    const Row rows[] = {
        {"whole quad", 0, 4, 0, 6, true},
        {"last triangle", 0, 4, 3, 3, true},
        {"no indices", 0, 4, 0, 0, false},
        {"no vertices", 0, 0, 0, 6, false},
        {"negative first vertex", -1, 4, 0, 6, false},
        {"negative first index", 0, 4, -3, 6, false},
        {"vertices past the end", 1, 4, 0, 6, false},
        {"indices past the end", 0, 4, 3, 6, false},
        {"count that wraps", 0, 4, 3, INT32_MAX, false},
    };
    CRootNode root;
    CMeshNode* mesh = Quad("", 0);
    root.AddChild(mesh);
    mesh->BuildWireEdges();
    CMeshMaterial& m = mesh->materials[0];
    DX.device->BeginScene();
    for (const Row& r : rows) {
        m.firstVertex = r.firstVertex;
        m.vertexCount = r.vertexCount;
        m.firstIndex = r.firstIndex;
        m.indexCount = r.indexCount;
        EXPECT_EQ(BatchInRange(*mesh, m), r.drawn) << r.what;
        EXPECT_EQ(DrawBatch(*mesh, m), r.drawn) << r.what;
        EXPECT_EQ(DrawBatchEdges(*mesh, m), r.drawn) << r.what;
    }
    // Edges exist for whole triangles only: a trailing index has none.
    const uint16_t seven[7] = {0, 1, 2, 0, 2, 3, 0};
    mesh->SetIndices(seven, 7);
    mesh->BuildWireEdges();
    m.firstVertex = 0;
    m.vertexCount = 4;
    m.firstIndex = 0;
    m.indexCount = 7;
    EXPECT_TRUE(DrawBatch(*mesh, m));
    EXPECT_FALSE(DrawBatchEdges(*mesh, m));
    m.indexCount = 6;
    EXPECT_TRUE(DrawBatchEdges(*mesh, m));
    DX.device->EndScene();
}

} // namespace
