// Object instances: copies of definitions in the instance table, the gang's
// carried load with its walking speed and the bag mesh shown.
#include "tests/world/ServicesFixture.h"

#include <string>

#include "GAMES/Rulo2/world/CMeshDrawing.h"

namespace {

class InstanceTest : public WorldServicesTest
{
protected:
    void SetUp() override
    {
        WorldServicesTest::SetUp();
        GamePhase = PHASE_PLANNING;
        auto* model = new CRootNode();
        for (const char* name : {"Body", "Bag0", "bag1", "Bag2", "Bag3", "Bag"})
            model->AddChild(TriangleMesh(name));
        CModelEntry* entry = AddEntry("thief", model);
        CObjectNode* character = AddDefinition("Thief", entry, 4);
        member = Place(g_WorldRoot, "thief", CWorldObject::KIND_OBJECT, character);
        member->objectLogic = new CObjectLogic;
        auto conditions = std::make_unique<CCharacterAState>();
        conditions->strength = 30.0f;
        member->objectLogic->ownConditions = std::move(conditions);
        member->objectLogic->Init(member); // its runtime conditions and path finder
        PlanMemberArray.add(1);
        PlanMemberArray[0].member = member;
        item = AddDefinition("Crowbar", nullptr, 2, 0.1f); // a tool weighing 10
        item->index = 7;
    }

    std::string DrawnMeshes()
    {
        std::string names;
        int32_t count = 0;
        SDrawListEntry* list = DrawListOf(*member->GetShapeRoot(), &count);
        for (int32_t i = 0; i < count; ++i)
            names += std::string(names.empty() ? "" : " ") + list[i].mesh->name;
        return names;
    }
    float Speed() { return member->objectLogic->GetPathfinder()->speedFactor; }

    CWorldObject* member = nullptr;
    CObjectNode* item = nullptr;
};

} // namespace

TEST_F(InstanceTest, LoadOfTenOfThirtyGivesSpeedAndBagVariantTwo)
{
    const int32_t id = CreateObjectInstance(item, member);
    EXPECT_EQ(id, 1);
    ASSERT_EQ(ObjectInstances.size(), 1u);
    CObjectNode* copy = ObjectInstances[0].object;
    EXPECT_NE(copy, item);
    EXPECT_EQ(InstanceObjectType(copy), 7);
    EXPECT_EQ(PlanMemberArray[0].bag[0].item, copy) << "the owner's bag takes the item";
    EXPECT_FLOAT_EQ(PlanMemberArray[0].carriedLoad, 10.0f);
    EXPECT_NEAR(Speed(), 1.0f - (10.0f / 30.0f) * 0.2f, 1e-6);
    EXPECT_EQ(DrawnMeshes(), "Bag2 Body") << "only the chosen bag is drawn";
    EXPECT_EQ(g_ObjectList->NextDefinition()->NextDefinition(), nullptr)
        << "the copy is not on the object list";
}

TEST_F(InstanceTest, LoadTableCoversEveryVariantAndTheFloor)
{
    struct Case
    {
        float load, capacity, speed;
        int32_t variant;
    } cases[] = {{0, 30, 1.0f, 0},     {9.9f, 30, 0.934f, 1}, {10, 30, 0.9333f, 2},
                 {20, 30, 0.8667f, 3}, {300, 30, 0.1f, 3},    {10, 0, 1.0f, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.load);
        float speed = -1;
        int32_t variant = -1;
        LoadEffects(c.load, c.capacity, &speed, &variant);
        EXPECT_NEAR(speed, c.speed, 1e-3);
        EXPECT_EQ(variant, c.variant);
    }
}

TEST_F(InstanceTest, LootCountsForItsOwnerWithoutTakingABagSlot)
{
    CObjectNode* loot = AddDefinition("Vase", nullptr, 1, 0.15f);
    CreateObjectInstance(loot, member);
    EXPECT_EQ(PlanMemberArray[0].bag[0].item, nullptr);
    EXPECT_FLOAT_EQ(PlanMemberArray[0].carriedLoad, 15.0f);
    EXPECT_EQ(DrawnMeshes(), "Bag2 Body");
}

TEST_F(InstanceTest, MemberWithoutCapacityWalksAtFullSpeedWithoutBag)
{
    static_cast<CCharacterAState&>(*member->objectLogic->conditions).strength = 0.0f;
    CreateObjectInstance(item, member);
    EXPECT_FLOAT_EQ(Speed(), 1.0f);
    EXPECT_EQ(DrawnMeshes(), "Bag0 Body");
    member->objectLogic->ownConditions.reset();
    UpdateCarriedLoad();
    EXPECT_FLOAT_EQ(Speed(), 1.0f);
}

TEST_F(InstanceTest, HeldItemStaysListedButNoLongerCounts)
{
    CreateObjectInstance(item, member);
    CObjectNode* copy = ObjectInstances[0].object;
    PlanMemberArray[0].hands[0].item = copy;
    PlanMemberArray[0].bag[0] = SItemSlot();
    RemoveObjectInstance(item); // by its template
    ASSERT_EQ(ObjectInstances.size(), 1u);
    EXPECT_EQ(ObjectInstances[0].held, 1);
    EXPECT_FLOAT_EQ(PlanMemberArray[0].carriedLoad, 0.0f);
    EXPECT_EQ(DrawnMeshes(), "Bag0 Body");
}

TEST_F(InstanceTest, RemovingTwiceLeavesTheTableAndRecordsTheRemoval)
{
    RecordState = RECORD_RECORD;
    CreateObjectInstance(item, member);
    CreateObjectInstance(item, member);
    ASSERT_EQ(size_t(RecordingList.count()), 2u);
    EXPECT_EQ(RecordingList.at(0)->kind, EVENT_ITEM_ADDED);
    CObjectNode* second = ObjectInstances[1].object;
    RemoveObjectInstance(second);
    ASSERT_EQ(ObjectInstances.size(), 1u);
    EXPECT_EQ(ObjectInstances[0].id, 1);
    ASSERT_EQ(size_t(RecordingList.count()), 3u);
    EXPECT_EQ(RecordingList.at(2)->kind, EVENT_ITEM_REMOVED);
    EXPECT_EQ(RecordingList.at(2)->object, member->objectLogic);
    RemoveObjectInstance(second);
    EXPECT_EQ(ObjectInstances.size(), 1u);
    EXPECT_EQ(FindInstanceByIdAndType(1, 7), 0);
    EXPECT_EQ(FindInstanceByIdAndType(2, 7), -1);
    ClearObjectInstances();
    EXPECT_TRUE(ObjectInstances.empty());
    EXPECT_EQ(CreateObjectInstance(item, nullptr), 1) << "ids start again after a clear";
}

TEST_F(InstanceTest, OutsideThePlanOwnersGetNoBagAndSpeedIsReset)
{
    GamePhase = PHASE_REALTIME;
    member->objectLogic->GetPathfinder()->speedFactor = 0.5f;
    CreateObjectInstance(item, member);
    EXPECT_EQ(PlanMemberArray[0].bag[0].item, nullptr);
    EXPECT_FLOAT_EQ(Speed(), 1.0f);
}

TEST_F(InstanceTest, SpawnedNodeIsListedAndDeletedFromEveryRuntimeList)
{
    CObjectNode* car = AddDefinition("Car", nullptr, 9);
    CWorldObject* spawned = SpawnInstanceNode(car, true);
    EXPECT_EQ(spawned->parent, g_WorldRoot);
    EXPECT_EQ(g_WorldRoot->lastChild, spawned);
    ASSERT_EQ(CarList.size(), 1u);
    ActiveObjectList.push_back(spawned);
    VisibleObjects.push_back({spawned, nullptr});
    DeleteRuntimeWorldObject(spawned);
    EXPECT_TRUE(CarList.empty());
    EXPECT_TRUE(ActiveObjectList.empty());
    EXPECT_TRUE(VisibleObjects.empty());
    EXPECT_EQ(g_WorldRoot->lastChild, member);
}

TEST_F(InstanceTest, ClonesKeepTheirSourceNodeAndBurglaryLootTheGangFactors)
{
    GamePhase = PHASE_BURGLARY;
    PlanMemberArray.add(2); // beside the hero's record
    PlanMemberArray[0].memberFactor = 0.5f;
    PlanMemberArray[1].memberFactor = 0.25f;
    PlanMemberArray[2].memberFactor = 0.75f;
    CWorldObject* second = Place(g_WorldRoot, "second", CWorldObject::KIND_GROUP, nullptr);
    PlanMemberArray[1].member = second;
    CObjectNode* vase = AddDefinition("Vase", nullptr, 1, 0.01f);
    vase->index = 9;
    CWorldObject* placed = Place(g_WorldRoot, "vase", CWorldObject::KIND_OBJECT, vase);
    placed->objectLogic = new CObjectLogic;
    auto rated = std::make_unique<CCharacterAState>();
    rated->crimeRecords = 3.0f;
    placed->objectLogic->ownConditions = std::move(rated);
    const int32_t id = CloneObjectInstance(placed, nullptr);
    const int32_t at = FindInstanceByIdAndType(id, 9);
    ASSERT_GE(at, 0);
    const ObjectInstance& r = ObjectInstances[size_t(at)];
    EXPECT_EQ(r.sourceNode, placed);
    EXPECT_EQ(r.object->objectLogic->instance, 1);
    EXPECT_EQ(r.memberFactor, 0.5f);
    EXPECT_EQ(r.otherFactors[0], 0.25f);
    EXPECT_EQ(r.otherMembers[0], second);
    EXPECT_EQ(r.otherFactors[1], 0.75f);
    EXPECT_EQ(r.otherFactors[2], 0.0f) << "only as many further members as the gang has";
    EXPECT_EQ(FindInstanceByObject(r.object), at);

    // The best instance of a type is the one with the greatest value; ties keep the first.
    // Both copies are rated by the conditions they carry (the clone's came from the placed object).
    r.object->objectLogic->conditions.reset();
    CreateObjectInstance(vase, nullptr);
    auto rated2 = std::make_unique<CCharacterAState>();
    rated2->crimeRecords = 3.0f;
    CCharacterAState* value = rated2.get();
    ObjectInstances.back().object->objectLogic->ownConditions = std::move(rated2);
    EXPECT_EQ(FindBestInstanceOfType(9), at);
    value->crimeRecords = 4.0f;
    EXPECT_EQ(FindBestInstanceOfType(9), int32_t(ObjectInstances.size()) - 1);
    EXPECT_EQ(FindBestInstanceOfType(10), -1);

    RemoveObjectInstanceAt(placed, 9);
    EXPECT_EQ(FindInstanceByIdAndType(id, 9), -1);
    EXPECT_EQ(ObjectInstances.size(), 1u);
}

TEST_F(InstanceTest, RemovingAPlacedInstanceTakesItsCopyOutOfEveryHandAndBag)
{
    CObjectNode* vase = AddDefinition("Vase", nullptr, 1, 0.01f);
    vase->index = 9;
    CWorldObject* placed = Place(g_WorldRoot, "vase", CWorldObject::KIND_OBJECT, vase);
    placed->objectLogic = new CObjectLogic;
    for (const int32_t phase : {PHASE_PLANNING, PHASE_REALTIME}) {
        GamePhase = phase;
        const int32_t at = FindInstanceByIdAndType(CloneObjectInstance(placed, nullptr), 9);
        ASSERT_GE(at, 0) << phase;
        CObjectNode* copy = ObjectInstances[size_t(at)].object;
        PlanMemberArray[0].hands[0].item = copy;
        PlanMemberArray[0].bag[1].item = copy;
        RemoveObjectInstanceAt(placed, 9);
        EXPECT_EQ(FindInstanceByObject(copy), -1) << phase;
        EXPECT_EQ(PlanMemberArray[0].hands[0].item, nullptr) << phase;
        EXPECT_EQ(PlanMemberArray[0].bag[1].item, nullptr) << phase;
    }
}
