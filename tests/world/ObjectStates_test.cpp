// Saved-game records of placed objects and the object ids they are keyed by.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/ObjectIds.h"
#include "GAMES/Rulo2/world/ObjectStates.h"
#include "tests/world/WorldTestUtil.h"

using namespace worldtest;

namespace {

class ObjectStatesTest : public WorldTest
{
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        g_ObjectIdCounter = 1;
        ActiveObjectList.clear();
    }
    void TearDown() override
    {
        ActiveObjectList.clear();
        WorldTest::TearDown();
    }
    // Applies every record of `bytes`; returns how many were applied.
    static int RestoreAll(const std::vector<uint8_t>& bytes)
    {
        CChunkReader data(bytes.data(), bytes.size());
        SChunkHeader header;
        CChunkReader body;
        int applied = 0;
        while (data.NextChunk(header, body) == CHUNK_OK)
            applied += RestoreObjectState(body) ? 1 : 0;
        return applied;
    }
};

TEST_F(ObjectStatesTest, PlacedObjectsGetIdsAndTheirStatesComeBack)
{
    const SSampleWorld s = BuildSampleWorld();
    CWorldObject* safe = s.object->NextObject();
    g_WorldRoot->ResolveObjectIds();
    // The safe's definition has no logic (definitions get one when read), so it gets no id.
    EXPECT_EQ(nullptr, safe->objectLogic);
    EXPECT_EQ(1u, s.object->objectLogic->objectId);
    EXPECT_EQ(s.object, FindObjectById(1));
    EXPECT_EQ(nullptr, FindObjectById(0));
    EXPECT_EQ(nullptr, FindObjectById(999));
    EXPECT_EQ(nullptr, FindObjectById(kSpecialObjectId));

    s.object->flags = 0x0B;
    s.object->objectLogic->active = 1;
    s.object->objectLogic->runtimeWord = 77;
    CChunkWriter w;
    ASSERT_TRUE(WriteObjectStates(g_WorldRoot, w));

    s.object->position = CVector(9, 9, 9);
    s.object->angle = 2.0f;
    s.object->flags = 0x05;
    s.object->objectLogic->runtimeWord = 0;
    s.object->objectLogic->active = 0;
    EXPECT_EQ(1, RestoreAll(w.Data()));
    EXPECT_FLOAT_EQ(3.0f, s.object->position.x);
    EXPECT_FLOAT_EQ(0.0f, s.object->angle);
    // Bits 1 to 3 come from the record, the others stay.
    EXPECT_EQ(0x0B, s.object->flags);
    EXPECT_EQ(77u, s.object->objectLogic->runtimeWord);
    EXPECT_EQ(1, s.object->objectLogic->active);
    ASSERT_EQ(1u, ActiveObjectList.size());
    EXPECT_EQ(s.object, ActiveObjectList[0]);
    // Applied again, the object is not listed twice.
    RestoreAll(w.Data());
    EXPECT_EQ(1u, ActiveObjectList.size());

    // A record for an object whose type (its kind) changed leaves it untouched.
    s.object->objectLogic->ownKindData = CKindData::Create(KIND_WINDOW);
    s.object->objectLogic->Init(s.object);
    s.object->position = CVector(9, 9, 9);
    EXPECT_EQ(0, RestoreAll(w.Data()));
    EXPECT_FLOAT_EQ(9.0f, s.object->position.x);
}

TEST_F(ObjectStatesTest, IdsStartAgainWithAnEmptyWorld)
{
    BuildSampleWorld();
    CChunkWriter w;
    ASSERT_TRUE(WriteWorld(w));
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(LoadWorldFromMemory(w.Data().data(), w.Data().size(), LOADWORLD_OPEN, "again.wld"));
        CChunkWriter again;
        ASSERT_TRUE(WriteWorld(again));
        // Two placed objects whose definitions have logic once read: ids 1 and 2 after every reload.
        EXPECT_EQ(3u, g_ObjectIdCounter);
    }
}

TEST_F(ObjectStatesTest, DamagedOrUnknownRecordsAreNotApplied)
{
    const SSampleWorld s = BuildSampleWorld();
    g_WorldRoot->ResolveObjectIds();
    CChunkWriter w;
    ASSERT_TRUE(WriteObjectStates(s.object, w));
    std::vector<uint8_t> bytes = w.Data();
    ASSERT_GT(bytes.size(), 20u);
    // Cut inside the first record: its body is short.
    CChunkReader shortBody(bytes.data() + 8, 20);
    s.object->position = CVector(5, 5, 5);
    EXPECT_FALSE(RestoreObjectState(shortBody));
    EXPECT_FLOAT_EQ(5.0f, s.object->position.x);
    // Id 0 and an id that names nothing.
    for (uint32_t id : {0u, 4242u}) {
        std::vector<uint8_t> body(bytes.begin() + 8, bytes.end());
        body[4] = uint8_t(id);
        body[5] = uint8_t(id >> 8);
        CChunkReader r(body.data(), body.size());
        EXPECT_FALSE(RestoreObjectState(r)) << id;
    }
}

} // namespace
