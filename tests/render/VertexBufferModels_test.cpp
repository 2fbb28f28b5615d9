// The start-up vertex-buffer pass over a real world: the world names its used,
// still models and the pass gives them their buffers.
#include <gtest/gtest.h>

#include <cstring>

#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/VertexBufferModels.h"
#include "tests/render/DeviceRig.h"
#include "tests/render/HouseWorld.h"

namespace {

class VertexBufferPass : public DeviceRig
{
protected:
    void SetUp() override
    {
        DeviceRig::SetUp();
        ASSERT_TRUE(InitDirectX());
        ASSERT_TRUE(DX.deviceInfo && DX.deviceInfo->hardwareTnL);
        UseVertexBuffersFlag = 1;
        ClearWorld();
        CreateWorldRoots();
    }
    void TearDown() override
    {
        ClearWorld();
        DeviceRig::TearDown();
    }
};

} // namespace

TEST_F(VertexBufferPass, UsedStillModelsGetTheirVerticesInABuffer)
{
    CModelEntry* chair = MakeEntry("Chair", MakeBoxModel("Chair", 1, 1, 1, 1, 0, 0));
    CModelEntry* table = MakeEntry("Table", MakeBoxModel("Table", 2, 1, 1, 0, 1, 0));
    CModelEntry* door = MakeEntry("Door", MakeBoxModel("Door", 1, 2, 0.1f, 0, 0, 1));
    CModelEntry* spare = MakeEntry("Spare", MakeBoxModel("Spare", 1, 1, 1, 1, 1, 1));
    door->model->animated = 1;

    // A world of its root alone: the pass does nothing, not even log.
    CreateVertexBuffers();
    EXPECT_EQ(logText().find("Creating vertex-buffers"), std::string::npos);
    EXPECT_EQ(chair->model->vertexBuffer, nullptr);

    CWorldObject* room = AddGroup(g_WorldRoot, "room");
    CWorldObject* corner = AddGroup(room, "corner");
    for (CWorldObject* parent : {room, corner, g_WorldRoot})
        AddModel(parent, "chair", chair, CVector(0, 0, 0));
    AddModel(corner, "table", table, CVector(0, 0, 0));
    AddModel(room, "door", door, CVector(0, 0, 0));
    AddModel(corner, "door", door, CVector(0, 0, 0));
    EXPECT_EQ(CountWorldNodes(g_WorldRoot), 9);

    std::vector<VertexBufferCandidate> candidates;
    CollectVertexBufferModels(candidates);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0].model, chair->model);
    EXPECT_EQ(candidates[0].useCount, 3);
    EXPECT_EQ(candidates[1].model, table->model);
    EXPECT_EQ(candidates[1].useCount, 1);
    // Counted afresh each time: a second collection gives the same counts.
    candidates.clear();
    CollectVertexBufferModels(candidates);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0].useCount, 3);
    EXPECT_EQ(chair->useCount, 3u);
    EXPECT_EQ(door->useCount, 2u);
    EXPECT_EQ(spare->useCount, 0u);

    CreateVertexBuffers();
    EXPECT_NE(logText().find("Created 2 vertex-buffers (out of 2 possible ones)"), std::string::npos)
        << logText();
    EXPECT_EQ(door->model->vertexBuffer, nullptr);
    EXPECT_EQ(spare->model->vertexBuffer, nullptr);
    for (CModelEntry* used : {chair, table}) {
        IDirect3DVertexBuffer7* vb = used->model->vertexBuffer;
        ASSERT_NE(vb, nullptr) << used->GetName();
        const auto* mesh = static_cast<const CMeshNode*>(used->model->FirstModelChild());
        void* data = nullptr;
        uint32_t size = 0;
        ASSERT_TRUE(SUCCEEDED(vb->Lock(DDLOCK_WAIT | DDLOCK_READONLY, &data, &size)));
        ASSERT_GE(size, sizeof(MeshVertex) * size_t(mesh->vertexCount));
        EXPECT_EQ(std::memcmp(static_cast<const MeshVertex*>(data) + mesh->bufferBase, mesh->vertices,
                              sizeof(MeshVertex) * size_t(mesh->vertexCount)),
                  0)
            << used->GetName();
        vb->Unlock();
    }
}
