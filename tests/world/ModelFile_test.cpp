#include "GAMES/Rulo2/Model.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ParentTable.h"

namespace {

namespace fs = std::filesystem;

MeshVertex Vertex(float x, float y, float z, float u, float v)
{
    return MeshVertex{x, y, z, 0, 1, 0, u, v, u * 2, v * 2};
}

// root "model"
//   frame "Body" (eased keys on translation x and rotation y)
//     joint "Arm" (limits, orientation)
//       locator "snapperHand"
//     mesh "Box" (two materials, page and named textures, a vertex track, a shape)
//       locator "tip"
std::unique_ptr<CRootNode> BuildModel()
{
    auto root = std::make_unique<CRootNode>();
    root->SetName("model");

    auto* body = static_cast<CFrameNode*>(root->AddChild(new CFrameNode("Body")));
    body->scaling = CVector(1, 1, 1);
    body->rotatePivot = CVector(0.25f, 0, 0);
    body->animation = new CFrameAnimation;
    body->animation->easing = 1;
    const float times[] = {0, 10, 20};
    const float tx[] = {0, 1, 3};
    const float ry[] = {0, 0.5f, 0.5f};
    body->animation->SetKeys(CHANNEL_TX, 3, times, tx);
    body->animation->SetKeys(CHANNEL_RY, 3, times, ry);

    auto* arm = static_cast<CJointNode*>(body->AddChild(new CJointNode("Arm")));
    arm->scaling = CVector(1, 1, 1);
    arm->minRotationLimit = CVector(-1, -0.5f, 0);
    arm->maxRotationLimit = CVector(1, 0.5f, 2);
    arm->jointOrient.rotationX(0.3f);
    arm->AddChild(new CLocatorNode("snapperHand"));

    auto* mesh = static_cast<CMeshNode*>(body->AddChild(new CMeshNode("Box")));
    const MeshVertex v[] = {Vertex(-1, -1, -1, 0, 0), Vertex(1, -1, 0, 1, 0),
                            Vertex(0, 1, 0, 0, 1),    Vertex(-1, 0, 1, 0.5f, 0.5f),
                            Vertex(0, 0, -1, 1, 1),   Vertex(1, 1, 1, 0.25f, 0.75f)};
    mesh->SetVertices(v, 6);
    const uint16_t idx[] = {0, 1, 2, 0, 1, 2};
    mesh->SetIndices(idx, 6);
    mesh->SetMaterialCount(2);
    CMeshMaterial& wood = mesh->materials[0];
    wood.surface->name = "wood";
    wood.surface->colour[0] = 0.75f;
    wood.firstVertex = 0;
    wood.vertexCount = 3;
    wood.firstIndex = 0;
    wood.indexCount = 3;
    wood.transparency = 1;
    wood.flipU = 1;
    wood.rotations = 3;
    wood.scaleU = 2.0f;
    wood.textureName = "walls.tga";
    wood.pageNumber = 2;
    wood.pageEntry = 3;
    wood.entryRect[2] = 256;
    wood.entryRect[3] = 128;
    CMeshMaterial& door = mesh->materials[1];
    door.firstVertex = 3;
    door.vertexCount = 3;
    door.firstIndex = 3;
    door.indexCount = 3;
    door.textureName = "C:\\textures\\door.bmp";
    mesh->complex = 1;
    mesh->lightFlare = 1;
    // The track's rest position is the vertex's own, so preparing the loaded
    // model leaves the vertices as they were.
    auto* track = new CVertexTrack;
    track->ease = 0;
    track->count = 1;
    track->vertexIndexes = new int32_t[1]{5};
    track->base[0] = track->base[1] = track->base[2] = 1;
    const float tt[] = {0, 10};
    const float tv[] = {0, 0.5f};
    track->SetKeys(0, 2, tt, tv);
    mesh->AddTrack(track);
    const CVector shape[] = {{-1, 0, -1}, {1, 0, -1}, {0, 0, 1}};
    const int32_t edges[] = {0, 1, 1, 2};
    mesh->SetShape(shape, 3, edges, 4);
    mesh->AddChild(new CLocatorNode("tip"));
    return root;
}

std::vector<uint8_t> Save(CRootNode& root)
{
    CChunkWriter w;
    EXPECT_TRUE(root.SaveToMemory(w));
    return w.Data();
}

std::unique_ptr<CRootNode> Parse(const std::vector<uint8_t>& data, STmfParseResult* result = nullptr)
{
    auto root = std::make_unique<CRootNode>();
    const STmfParseResult r = ParseTmfChunks(data.data(), data.size(), root.get(), "test");
    if (result)
        *result = r;
    return root;
}

std::string TreeText(CModelNode* first, int depth = 0)
{
    std::string out;
    for (CModelNode* n = first; n; n = n->NextModel()) {
        out += std::string(size_t(depth), ' ') + ChunkIdText(CModelNode::ChunkIdForKind(n->modelKind)) + " " +
               (n->GetName() ? n->GetName() : "-") + "\n";
        if (n->FirstModelChild())
            out += TreeText(n->FirstModelChild(), depth + 1);
    }
    return out;
}

class TempDir : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("varek_tmf_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(dir, ec);
    }
    fs::path dir;
};

using ModelFile = TempDir;

TEST_F(ModelFile, BuiltModelSavesLoadsAndSavesAgainIdentically)
{
    auto model = BuildModel();
    const fs::path path = dir / "model.tmf";
    std::string error;
    ASSERT_TRUE(model->Save(path.c_str(), &error)) << error;
    const std::vector<uint8_t> first = Save(*model);
    ASSERT_EQ(fs::file_size(path), first.size());

    std::unique_ptr<CRootNode> loaded(LoadTmf(path.c_str(), &error));
    ASSERT_NE(loaded, nullptr) << error;
    EXPECT_EQ(TreeText(loaded.get()),
              "ROOT model\n FRAM Body\n  JOIN Arm\n   LOCA snapperHand\n  MESH Box\n   LOCA tip\n");
    EXPECT_EQ(Save(*loaded), first);

    // What the preparation learnt about the model.
    EXPECT_EQ(loaded->vertexCount, 6u);
    EXPECT_EQ(loaded->triangleCount, 2u);
    EXPECT_EQ(loaded->locatorCount, 2);
    EXPECT_EQ(loaded->snapperCount, 1);
    EXPECT_EQ(loaded->hasShape, 1);
    EXPECT_EQ(loaded->animated, 1);
    EXPECT_EQ(loaded->animationStart, 0.0f);
    EXPECT_EQ(loaded->animationEnd, 20.0f);
    EXPECT_FLOAT_EQ(loaded->boundsRadius, std::sqrt(12.0f) / 2);

    auto* mesh = static_cast<CMeshNode*>(loaded->FindByName("Box"));
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->materialCount, 2);
    EXPECT_EQ(mesh->materials[0].surface->name, "wood");
    EXPECT_EQ(mesh->materials[0].textureName, "walls.tga");
    EXPECT_EQ(mesh->materials[0].pageNumber, 2);
    EXPECT_EQ(mesh->materials[0].pageEntry, 3);
    EXPECT_EQ(mesh->materials[0].entryRect[2], 256);
    EXPECT_EQ(mesh->materials[1].textureName, "C:\\textures\\door.bmp");
    EXPECT_EQ(mesh->materials[1].pageNumber, -1);
    ASSERT_NE(mesh->vertexTracks, nullptr);
    EXPECT_EQ(mesh->vertexTracks->keyCount[0], 2);
    auto* arm = static_cast<CJointNode*>(loaded->FindByName("Arm"));
    EXPECT_EQ(arm->maxRotationLimit, CVector(1, 0.5f, 2));
    EXPECT_EQ(arm->minRotationLimit, CVector(-1, -0.5f, 0));
}

TEST_F(ModelFile, WindowsStylePathsAreResolved)
{
    auto model = BuildModel();
    fs::create_directories(dir / "Models");
    fs::current_path(dir);
    ASSERT_TRUE(model->Save("models\\Door.tmf"));
    EXPECT_TRUE(fs::exists(dir / "Models" / "Door.tmf"));
    std::unique_ptr<CRootNode> loaded(LoadTmf("MODELS\\door.TMF"));
    ASSERT_NE(loaded, nullptr);
    // The model's folder is the current one afterwards: its textures are named from there.
    EXPECT_EQ(fs::current_path(), fs::canonical(dir / "Models"));
    CRootNode named("Models\\Door.tmf");
    EXPECT_STREQ(named.GetName(), "Door");
}

TEST_F(ModelFile, SaveKeepsThePreviousFileWhenItCannotWrite)
{
    auto model = BuildModel();
    const fs::path path = dir / "keep.tmf";
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs("old", f);
        std::fclose(f);
    }
    std::string error;
    EXPECT_FALSE(model->Save((dir / "missing" / "x.tmf").c_str(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(fs::file_size(path), 3u);
    EXPECT_TRUE(model->Save(path.c_str()));
    EXPECT_FALSE(fs::exists(dir / "keep.tmf.tmp"));
}

TEST_F(ModelFile, MagicAndEndAloneLoadAsAnEmptyRoot)
{
    const fs::path path = dir / "empty.tmf";
    const uint8_t bytes[] = {'T', 'M', 'F', ' ', 0, 0, 0, 0, 'E', 'N', 'D', ' ', 0, 0, 0, 0};
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    std::unique_ptr<CRootNode> root(LoadTmf(path.c_str()));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->firstChild, nullptr);
    EXPECT_EQ(root->GetName(), nullptr);
    EXPECT_EQ(root->vertexCount, 0u);
    EXPECT_EQ(root->boundsRadius, 0.0f);
    EXPECT_EQ(root->animated, 0);
    char text[64];
    root->Describe(text, sizeof text);
    EXPECT_EQ(std::string(text).substr(0, 15), "ROOT 'unnamed'\n");
}

TEST_F(ModelFile, UnreadableFilesGiveNullAndAReason)
{
    struct Case
    {
        std::string name;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"short", {'T', 'M', 'F'}, "not a model file"},
        {"magic", {'T', 'M', 'X', ' ', 0, 0, 0, 0, 'E', 'N', 'D', ' ', 0, 0, 0, 0}, "not a model file"},
        {"noend",
         {'T', 'M', 'F', ' ', 0, 0, 0, 0, 'L', 'O', 'C', 'A', 0, 0, 0, 12, 0, 0, 0, 0, 1, 0, 0, 0},
         "END"},
        {"longchunk",
         {'T', 'M', 'F', ' ', 0, 0, 0, 0, 'F', 'R', 'A', 'M', 0x7F, 0, 0, 0, 'E', 'N', 'D', ' ', 0, 0, 0, 0},
         "END"},
    };
    for (const Case& c : cases) {
        const fs::path path = dir / c.name;
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
        std::fclose(f);
        std::string error;
        EXPECT_EQ(LoadTmf(path.c_str(), &error), nullptr) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    }
    std::string error;
    EXPECT_EQ(LoadTmf((dir / "absent.tmf").c_str(), &error), nullptr);
    EXPECT_EQ(error, "cannot open");
}

// A model file written chunk by chunk, for damaged and old-version bodies.
struct TmfBuilder
{
    CChunkWriter w;
    TmfBuilder()
    {
        w.WriteId(ChunkId("TMF "));
        w.WriteU32(0);
    }
    void Head(const char (&id)[5], uint32_t version, uint32_t parent, const char* name)
    {
        w.BeginChunk(ChunkId(id), version);
        w.WriteU32(parent);
        w.WriteString(name);
    }
    void Locator(uint32_t parent, const char* name)
    {
        Head("LOCA", 0, parent, name);
        w.EndChunk();
    }
    void Frame(uint32_t version, uint32_t parent, const char* name)
    {
        Head("FRAM", version, parent, name);
        const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        w.WriteFloats(identity, 16);
        if (version >= 1)
            for (float f : {0.f, 0.f, 0.f, 2.f, 2.f, 2.f, 0.f, 0.f, 0.f})
                w.WriteF32(f);
        for (int i = 0; i < 15; ++i)
            w.WriteF32(0);
        w.WriteU32(0);
        w.EndChunk();
    }
    // A version-2 mesh: 32-byte vertices, no base coordinates, culling flag only.
    void OldMesh(uint32_t parent, uint16_t badIndex)
    {
        Head("MESH", 2, parent, "old");
        w.WriteU32(1);
        w.WriteU32(3);
        for (int i = 0; i < 3; ++i) {
            const float vertex[8] = {float(i), 0, 0, 0, 1, 0, 0.5f * float(i), 0.25f};
            w.WriteFloats(vertex, 8);
        }
        w.WriteU32(3);
        w.WriteU16(0);
        w.WriteU16(1);
        w.WriteU16(badIndex);
        w.Pad();
        w.WriteU32(0);              // culling off
        w.WriteU32(0);              // no materials
        w.WriteId(ChunkId("ANIM")); // an old track: no ease word, so it eases
        w.WriteU32(1);
        w.WriteU32(2);
        for (int i = 0; i < 3; ++i)
            w.WriteF32(0);
        w.WriteU32(0);
        w.WriteU32(2);
        w.WriteU32(0);
        for (float f : {0.f, 1.f, 0.f, 0.5f})
            w.WriteF32(f);
        w.WriteU32(0); // end of tracks
        w.WriteU32(1); // one shape point
        for (int i = 0; i < 3; ++i)
            w.WriteF32(1);
        w.WriteU32(0);
        w.EndChunk();
    }
    std::vector<uint8_t> Finish()
    {
        w.WriteMarker(ChunkId("END "));
        return w.Data();
    }
};

TEST(ModelFileChunks, OldVersionsReadWithTheirDefaults)
{
    TmfBuilder b;
    b.Frame(0, 1, "v0");
    b.OldMesh(2, 2);
    auto root = Parse(b.Finish());
    auto* frame = static_cast<CFrameNode*>(root->FindByName("v0"));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->scaling, CVector(1, 1, 1));
    auto* mesh = static_cast<CMeshNode*>(root->FindByName("old"));
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexCount, 3);
    EXPECT_EQ(mesh->vertices[2].tu2, 1.0f);
    EXPECT_EQ(mesh->baseTexCoords[4], 1.0f);
    EXPECT_EQ(mesh->backfaceCulling, 0);
    EXPECT_EQ(mesh->smooth, 1); // not stored before version 10
    ASSERT_NE(mesh->vertexTracks, nullptr);
    EXPECT_EQ(mesh->vertexTracks->ease, 1);
    EXPECT_EQ(mesh->shapePointCount, 1);
    EXPECT_EQ(mesh->shapeEdgeCount, 0);
    // Written back in the current version, read again, written again: stable.
    const auto once = Save(*root);
    EXPECT_EQ(Save(*Parse(once)), once);
}

TEST(ModelFileChunks, DamagedNodesAreSkippedWithTheirChildren)
{
    TmfBuilder b;
    b.Frame(2, 1, "keep");              // 2
    b.OldMesh(2, 7);                    // 3: index 7 of 3 vertices: refused
    b.Locator(3, "underBad");           // 4: its parent was refused
    b.Locator(9, "forward");            // 5: parent not read yet
    b.Locator(0, "orphan");             // 6: parent 0 is nobody
    b.w.BeginChunk(ChunkId("WHAT"), 1); // unknown: skipped
    b.w.EndChunk();
    b.Locator(2, "fine"); // 7
    STmfParseResult result;
    auto root = Parse(b.Finish(), &result);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.skipped, 4);
    EXPECT_EQ(TreeText(root.get()), "ROOT -\n FRAM keep\n  LOCA fine\n");
}

TEST(ModelFileChunks, TreesDeeperThanTheLimitAreCut)
{
    TmfBuilder b;
    for (uint32_t i = 0; i < kMaxTreeDepth + 50; ++i)
        b.Locator(i + 1, "chain"); // each below the one before
    STmfParseResult result;
    auto root = Parse(b.Finish(), &result);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.skipped, 50);
    EXPECT_EQ(root->CountNodes(), int(kMaxTreeDepth) + 1);
}

TEST(ModelFileChunks, CountsBeyondTheBodyAreRefusedBeforeAllocating)
{
    struct Case
    {
        const char* what;
        uint32_t vertices;
        uint32_t indices;
    };
    for (const Case& c : {Case{"vertices", 0xFFFFFFFFu, 0}, Case{"indices", 0, 0x7FFFFFFFu}}) {
        TmfBuilder b;
        b.Head("MESH", 14, 1, "huge");
        b.w.WriteU32(0);
        b.w.WriteU32(c.vertices);
        b.w.WriteU32(c.indices);
        b.w.EndChunk();
        STmfParseResult result;
        auto root = Parse(b.Finish(), &result);
        EXPECT_TRUE(result.ok) << c.what;
        EXPECT_EQ(result.skipped, 1) << c.what;
        EXPECT_EQ(root->firstChild, nullptr) << c.what;
    }
}

TEST(ModelFileChunks, MeshIndexChecks)
{
    auto model = BuildModel();
    auto* mesh = static_cast<CMeshNode*>(model->FindByName("Box"));
    const char* reason = nullptr;
    EXPECT_TRUE(mesh->IndicesValid(&reason));
    struct Case
    {
        const char* what;
        void (*spoil)(CMeshNode*);
    };
    const Case cases[] = {
        {"index beyond the vertices", [](CMeshNode* m) { m->indices[4] = 6; }},
        {"index beyond its material's vertices", [](CMeshNode* m) { m->indices[4] = 3; }},
        {"material vertex range beyond the vertices", [](CMeshNode* m) { m->materials[1].vertexCount = 4; }},
        {"material index range beyond the indices", [](CMeshNode* m) { m->materials[1].indexCount = 6; }},
        {"vertex track names a missing vertex", [](CMeshNode* m) { m->vertexTracks->vertexIndexes[0] = 6; }},
        {"shape edge names a missing point", [](CMeshNode* m) { m->shapeEdges[3] = 3; }},
    };
    for (const Case& c : cases) {
        auto fresh = BuildModel();
        auto* m = static_cast<CMeshNode*>(fresh->FindByName("Box"));
        c.spoil(m);
        EXPECT_FALSE(m->IndicesValid(&reason)) << c.what;
        EXPECT_STREQ(reason, c.what);
        EXPECT_FALSE(fresh->Refresh());
        // Such a mesh does not survive the file.
        STmfParseResult result;
        auto loaded = Parse(Save(*fresh), &result);
        EXPECT_EQ(result.skipped, 2) << c.what; // the mesh and its locator
        EXPECT_EQ(loaded->FindByName("Box"), nullptr) << c.what;
    }
}

TEST(ModelFileChunks, TracksComeBackInReverseOrderAndSharedTracksAreNotWritten)
{
    auto model = BuildModel();
    auto* mesh = static_cast<CMeshNode*>(model->FindByName("Box"));
    auto* second = new CVertexTrack;
    second->count = 1;
    second->vertexIndexes = new int32_t[1]{0};
    const float t[] = {0, 5};
    const float v[] = {-1, 0};
    second->SetKeys(1, 2, t, v);
    mesh->AddTrack(second); // list: second, first
    auto loaded = Parse(Save(*model));
    auto* again = static_cast<CMeshNode*>(loaded->FindByName("Box"));
    ASSERT_NE(again->vertexTracks, nullptr);
    ASSERT_NE(again->vertexTracks->next, nullptr);
    EXPECT_EQ(again->vertexTracks->vertexIndexes[0], 5); // reversed
    EXPECT_EQ(again->vertexTracks->next->vertexIndexes[0], 0);

    // Shared tracks: only the terminating zero word.
    CVertexTrack* owned = mesh->vertexTracks;
    mesh->tracksShared = 1;
    auto noTracks = Parse(Save(*model));
    EXPECT_EQ(static_cast<CMeshNode*>(noTracks->FindByName("Box"))->vertexTracks, nullptr);
    mesh->tracksShared = 0;
    mesh->vertexTracks = owned;
}

TEST(ModelFileChunks, UnnamedNodesAndBorrowedAnimations)
{
    CRootNode root;
    auto* frame = static_cast<CFrameNode*>(root.AddChild(new CFrameNode()));
    frame->AddChild(new CLocatorNode());
    auto* lender = new CFrameNode("x");
    lender->animation = new CFrameAnimation;
    const float t[] = {0, 1};
    lender->animation->SetKeys(CHANNEL_TY, 2, t, t);
    frame->animation = lender->animation;
    frame->animationBorrowed = 1;
    const auto bytes = Save(root);
    // The frame chunk: head with four zero bytes as name, and a zero word
    // where the borrowed animation would be.
    const size_t frameAt = 8 + 8 + 4 + 4 + 4 + 64 + 8 * 12 + 4; // magic, ROOT head..end
    ASSERT_GT(bytes.size(), frameAt + 20);
    EXPECT_EQ(std::memcmp(&bytes[frameAt], "FRAM", 4), 0);
    auto loaded = Parse(bytes);
    auto* f = static_cast<CFrameNode*>(loaded->firstChild);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetName(), nullptr);
    EXPECT_EQ(f->animation, nullptr);
    char text[64];
    static_cast<CLocatorNode*>(f->firstChild)->Describe(text, sizeof text);
    EXPECT_STREQ(text, "LOCATOR 'unnamed'");
    frame->animation = nullptr;
    delete lender;
}

} // namespace
