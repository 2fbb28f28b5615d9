// Snap points with their snapper shift, and the game passes over the world tree.
#include "tests/world/ServicesFixture.h"

#include <cmath>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/world/CFrameNode.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/ObjectStates.h"
#include "GAMES/Rulo2/world/SnapPoints.h"

namespace {

// A prepared model with a mesh and locators at the given places.
CRootNode* LocatorModel(const std::vector<std::pair<const char*, CVector>>& locators)
{
    auto* root = new CRootNode();
    root->AddChild(TriangleMesh("body"));
    for (const auto& [name, p] : locators) {
        auto* frame = new CFrameNode("place");
        frame->localMatrix[12] = p.x;
        frame->localMatrix[13] = p.y;
        frame->localMatrix[14] = p.z;
        frame->AddChild(new CLocatorNode(name));
        root->AddChild(frame);
    }
    root->Prepare();
    return root;
}

void ExpectNear(const CVector& a, const CVector& b)
{
    EXPECT_NEAR(a.x, b.x, 1e-5);
    EXPECT_NEAR(a.y, b.y, 1e-5);
    EXPECT_NEAR(a.z, b.z, 1e-5);
}

using SnapTest = WorldServicesTest;

} // namespace

TEST_F(SnapTest, CacheHoldsSnapperPointsFirstInWorldSpaceAndAnswersTheNearest)
{
    CRootNode* model = LocatorModel({{"lamp", {0, 1, 0}}, {"snapperEdge", {0.5f, 0, 0}}});
    CModelEntry* entry = AddEntry("wall", model);
    CWorldObject* a = Place(g_WorldRoot, "a", CWorldObject::KIND_MODEL, entry);
    a->position = CVector(2, 0, 0);
    a->angle = float(M_PI / 2);
    CWorldObject* b = Place(g_WorldRoot, "b", CWorldObject::KIND_MODEL, entry);
    b->selected = 1;
    UpdateSnapPointsTree(g_WorldRoot, false);
    ASSERT_EQ(a->snapCapacity, 2);
    ASSERT_EQ(a->snapCount, 1);
    // The root re-centres its model, so the locator moves with it.
    CVector edge(0.5f, 0, 0);
    edge.transform(model->localMatrix);
    ExpectNear(a->snapPoints[0], CVector(2 + edge.z, edge.y, -edge.x));

    int32_t count = 0;
    CountSnapPoints(g_WorldRoot, count, false);
    EXPECT_EQ(count, 1) << "only the selected node offers its points";
    std::vector<CVector> offered(static_cast<size_t>(count));
    int32_t index = 0;
    CollectSnapPoints(g_WorldRoot, offered.data(), index, false);
    ASSERT_EQ(index, 1);

    VisibleObjects = {{a, model}, {b, model}};
    float best = 100.0f;
    CVector delta;
    FindNearestSnapDelta(offered.data(), 1, best, delta);
    // The nearest of a's two points (b is selected and never snaps to itself).
    float nearest = 100.0f;
    CVector expected;
    for (const CVector& p : a->snapPoints)
        if ((p - offered[0]).length() < nearest) {
            nearest = (p - offered[0]).length();
            expected = p - offered[0];
        }
    EXPECT_FLOAT_EQ(best, nearest);
    ExpectNear(delta, expected);

    float level = 0.0f;
    FindSnapLevel(g_WorldRoot, true, level, 0.0f, 1);
    EXPECT_EQ(level, 0.0f) << "hidden nodes offer no levels";
    SetVisibility(g_WorldRoot, VIS_INSIDE);
    SetVisibility(a, VIS_INSIDE);
    FindSnapLevel(g_WorldRoot, true, level, 0.0f, 1);
    EXPECT_NEAR(level, a->snapPoints[1].y, 1e-6);
}

TEST_F(SnapTest, NothingSelectedOffersNothingAndOtherKindsHaveNoPoints)
{
    CRootNode* model = LocatorModel({{"snapperA", {0, 0, 0}}});
    Place(g_WorldRoot, "a", CWorldObject::KIND_MODEL, AddEntry("m", model));
    CWorldObject* light = Place(g_WorldRoot, "l", CWorldObject::KIND_LIGHT, nullptr);
    light->MakeLight();
    CVector out[4];
    int32_t index = 2;
    CollectSnapPoints(g_WorldRoot, out, index, false);
    EXPECT_EQ(index, 2);
    CollectSnapPoints(g_WorldRoot, out, index, true);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(SnapModelOf(light), nullptr);
    EXPECT_TRUE(light->snapPoints.empty());
}

TEST_F(SnapTest, DrawStatisticsCountVisibleModelsAndShadowTextures)
{
    CRootNode* model = LocatorModel({});
    CWorldObject* group = Place(g_WorldRoot, "g", CWorldObject::KIND_GROUP, nullptr);
    CWorldObject* a = Place(group, "a", CWorldObject::KIND_MODEL, AddEntry("m", model));
    a->shadowTexture = new SShadowTexture;
    a->shadowTexture->width = 8;
    a->shadowTexture->height = 4;
    Place(group, "b", CWorldObject::KIND_MODEL, a->reference);
    SetVisibility(group, VIS_INSIDE);
    SetVisibility(a, VIS_CLIPPED);
    uint32_t triangles = 0, vertices = 0, third = 7, bytes = 0;
    GatherDrawStatistics(g_WorldRoot, triangles, vertices, third, bytes);
    EXPECT_EQ(triangles, 0u) << "the hidden root hides everything below";
    GatherDrawStatistics(group, triangles, vertices, third, bytes);
    EXPECT_EQ(triangles, model->triangleCount) << "only the visible one of the two";
    EXPECT_EQ(vertices, model->vertexCount);
    EXPECT_EQ(bytes, 8u * 4u * 2u);
    EXPECT_EQ(third, 7u);
}

TEST_F(SnapTest, CacheIsRebuiltWhenTheModelGainsLocators)
{
    CRootNode* model = LocatorModel({{"snapperA", {0, 0, 0}}});
    CWorldObject* a = Place(g_WorldRoot, "a", CWorldObject::KIND_MODEL, AddEntry("m", model));
    UpdateSnapPoints(a);
    EXPECT_EQ(a->snapPoints.size(), 1u);
    auto* frame = new CFrameNode("more");
    frame->AddChild(new CLocatorNode("snapperB"));
    model->AddChild(frame);
    model->Prepare();
    int32_t count = 0;
    CountSnapPoints(g_WorldRoot, count, true);
    EXPECT_EQ(count, 1) << "counting does not refresh";
    UpdateSnapPointsOfModel(g_WorldRoot, model);
    EXPECT_EQ(a->snapPoints.size(), 2u);
    EXPECT_EQ(a->snapCount, 2);
}

TEST_F(SnapTest, CharacterModelIsShiftedOntoItsSnapperAndRegistered)
{
    CRootNode* model = LocatorModel({{"snapperShape", {0.25f, -0.5f, 0.1f}}});
    CObjectNode* def = AddDefinition("Guard", AddEntry("guard", model), 4);
    def->AddState("STAND")->modelEntry = def->firstState->modelEntry;
    CWorldObject* guard = Place(g_WorldRoot, "guard", CWorldObject::KIND_OBJECT, def);
    guard->objectLogic = new CObjectLogic;
    guard->objectLogic->worldNode = guard;
    def->objectLogic->ownKindData->minBurglaryLevel = 3;
    guard->angle = 1.0f;
    CWorldObject* car =
        Place(g_WorldRoot, "car", CWorldObject::KIND_OBJECT, AddDefinition("Car", nullptr, 9));
    car->objectLogic = new CObjectLogic;
    car->objectLogic->worldNode = car;
    BurglaryLevel = 2;

    PrepareCharacters(g_WorldRoot);
    CVector p;
    ASSERT_TRUE(model->GetPositionByPath("snapperShape", &p, CMatrix::Identity, kRestTime));
    ExpectNear(p, CVector(0, 0, 0));
    // The drawn mesh (posed directly under the root) moves with the shift, so it
    // stays where the shifted bounds say.
    auto* body = static_cast<CMeshNode*>(model->GetFirstChild());
    ExpectNear(CVector(body->worldMatrix[12], body->worldMatrix[13], body->worldMatrix[14]),
               CVector(model->localMatrix[12], model->localMatrix[13], model->localMatrix[14]));
    EXPECT_EQ(guard->angle, 0.0f) << "back to the start angle";
    EXPECT_EQ(guard->objectLogic->animation, def->FindState("STAND"));
    ASSERT_EQ(ActiveCharacters.size(), 1u);
    EXPECT_EQ(guard->flags & 4, 4) << "registered but hidden below its burglary level";
    EXPECT_EQ(CarList, std::vector<CWorldObject*>{car});

    GamePhase = PHASE_PLANNING;
    BurglaryLevel = 3;
    ActiveCharacters.clear();
    PrepareCharacters(g_WorldRoot);
    EXPECT_TRUE(ActiveCharacters.empty()) << "not chosen for the plan";
    EXPECT_EQ(guard->flags & 4, 4);
    ChosenCharacterIds.push_back(guard->objectLogic->objectId = 17);
    PrepareCharacters(g_WorldRoot);
    EXPECT_EQ(ActiveCharacters.size(), 1u);
    EXPECT_EQ(guard->flags & 4, 0);
}

TEST_F(SnapTest, ModelInCharacterFolderIsShiftedOnlyInTheEditor)
{
    auto* folder = new CNode("CHARACTERS");
    g_ModelsTree->AddChild(folder);
    struct Case
    {
        CNode* group;
        uint8_t gameMode;
        bool shifted;
    } cases[] = {{folder, 0, true}, {folder, 1, false}, {g_ModelsTree, 0, false}, {nullptr, 0, false}};
    const uint8_t mode = GameModeFlag;
    for (const Case& c : cases) {
        CRootNode* model = LocatorModel({{"snapperShape", {0, -0.5f, 0}}});
        CModelEntry* entry = AddEntry("figure", model);
        entry->group = c.group;
        GameModeFlag = c.gameMode;
        ClassifyModelEntry(entry);
        CVector p;
        model->GetPositionByPath("snapperShape", &p, CMatrix::Identity, kRestTime);
        EXPECT_EQ(std::fabs(p.y) < 1e-5, c.shifted);
    }
    GameModeFlag = mode;
}

TEST_F(SnapTest, StartResetAndSavePassesSetFlagsTransformsAndLightColours)
{
    CModelEntry* entry = AddEntry("chair", LocatorModel({}));
    CWorldObject* near = Place(g_WorldRoot, "near", CWorldObject::KIND_MODEL, entry);
    CWorldObject* far = Place(g_WorldRoot, "far", CWorldObject::KIND_MODEL, entry);
    far->position = CVector(3, 0, 0);
    auto light = [&](const char* name, float x, float red) {
        CWorldObject* n = Place(g_WorldRoot, name, CWorldObject::KIND_LIGHT, nullptr);
        SWorldLight* l = n->MakeLight();
        l->light.dvPosition = {x, 0, 0};
        l->light.dcvDiffuse = {red, 0.5f, 1.0f, 1.0f};
    };
    light("l1", 0.4f, 0.2f);
    light("l2", -0.2f, 1.0f);
    light("l3", 3.6f, 0.0f);
    CollectLights(g_WorldRoot);
    ASSERT_EQ(g_LightNodes.size(), 3u);
    ComputeLightColours(g_WorldRoot);
    EXPECT_EQ(near->lightColour, 0xFF7FFF) << "the nearer of two lights wins";
    EXPECT_EQ(far->lightColour, -1) << "a light 0.6 away is too far";

    near->angle = 0.5f;
    near->angle2 = 0.25f;
    near->flags = 0x0F;
    SaveStartTransforms(g_WorldRoot);
    near->position = CVector(9, 9, 9);
    near->angle = 2.0f;
    near->angle2 = 1.0f;
    RestoreTransforms(g_WorldRoot);
    ExpectNear(near->position, CVector(0, 0, 0));
    EXPECT_EQ(near->angle, 0.5f);
    EXPECT_EQ(near->angle2, 1.0f) << "angle2 is not saved";
    ClearRuntimeFlags(g_WorldRoot);
    EXPECT_EQ(near->flags, 0x05) << "bits 1 and 3 cleared at reset";

    CObjectNode* def = AddDefinition("Safe", entry, 3);
    CWorldObject* safe = Place(near, "safe", CWorldObject::KIND_OBJECT, def);
    safe->factor = 0.3f;
    CreateObjectLogic(g_WorldRoot);
    ASSERT_NE(safe->objectLogic, nullptr);
    EXPECT_EQ(safe->objectLogic->worldNode, safe);
    EXPECT_EQ(safe->factor, 1.0f);
    EXPECT_EQ(CurrentCharacter, safe);
    FlagAllObjectLogic(g_WorldRoot);
    EXPECT_EQ(safe->objectLogic->recordable, 1);
    safe->objectLogic->recorderId = 4;
    RegisterObjectLogicNumbers(g_WorldRoot);
    ASSERT_EQ(ObjectLogicTable.size(), 5u);
    EXPECT_EQ(ObjectLogicTable[0], nullptr);
    EXPECT_EQ(ObjectLogicTable[4], safe);

    def->objectLogic->ownKindData->minBurglaryLevel = 2;
    CurrentCharacter = nullptr;
    SetBurglaryLevel(1);
    EXPECT_EQ(safe->flags & 4, 4);
    SetBurglaryLevel(2);
    EXPECT_EQ(safe->flags & 4, 0);

    CChunkWriter writer;
    ASSERT_TRUE(WriteTreeSection(g_WorldRoot, writer));
    const std::vector<uint8_t>& bytes = writer.Data();
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TREE");
    EXPECT_EQ(std::string(bytes.end() - 8, bytes.end() - 4), "END ");
}

TEST_F(SnapTest, SaveKeepsFlagBitsOneToThreeThatTheGameSet)
{
    CObjectNode* def = AddDefinition("Safe", nullptr, 3);
    def->objectLogic->ownKindData->minBurglaryLevel = 2;
    CWorldObject* safe = Place(g_WorldRoot, "safe", CWorldObject::KIND_OBJECT, def);
    safe->flags = 0x01; // hidden in the editor: never the game's business
    CreateObjectLogic(g_WorldRoot);
    g_WorldRoot->ResolveObjectIds();
    ASSERT_NE(safe->objectLogic->objectId, 0u);
    CurrentCharacter = nullptr;
    SetBurglaryLevel(1); // sets bit 2
    safe->flags |= 0x0A; // bits 1 and 3 set during play
    EXPECT_EQ(safe->flags, 0x0F);

    CChunkWriter saved;
    ASSERT_TRUE(WriteObjectStates(g_WorldRoot, saved));
    ReleaseObjectLogicRuntime(g_WorldRoot);
    EXPECT_EQ(safe->flags, 0x0F) << "the save pass leaves the flags alone";
    ClearRuntimeFlags(g_WorldRoot);
    EXPECT_EQ(safe->flags, 0x05) << "a reset clears bits 1 and 3";

    CChunkReader data(saved.Data().data(), saved.Data().size());
    SChunkHeader header;
    CChunkReader body;
    ASSERT_EQ(data.NextChunk(header, body), CHUNK_OK);
    ASSERT_TRUE(RestoreObjectState(body));
    EXPECT_EQ(safe->flags, 0x0F) << "bits 1 to 3 come back from the saved game";
}

TEST_F(SnapTest, HouseStatisticsAddTheLootOfTheListedHousesOnly)
{
    CWorldObject* house = Place(g_WorldRoot, "Haus_A", CWorldObject::KIND_GROUP, nullptr);
    CWorldObject* floor = Place(house, "Stockwerk_1", CWorldObject::KIND_GROUP, nullptr);
    CWorldObject* other = Place(g_WorldRoot, "Haus_B", CWorldObject::KIND_GROUP, nullptr);
    auto object = [&](CNode* parent, int32_t kind, float value, float weight) {
        CObjectNode* def = AddDefinition("thing", nullptr, kind, weight);
        CWorldObject* n = Place(parent, "thing", CWorldObject::KIND_OBJECT, def);
        n->objectLogic = new CObjectLogic;
        n->objectLogic->worldNode = n;
        if (def->objectLogic->ownKindData->ValueCount() > 1)
            def->objectLogic->ownKindData->Values()[1] = FloatAsWord(value);
        return n;
    };
    CWorldObject* ring = object(floor, 1, 500, 0.01f);
    CWorldObject* vase = object(house, 1, 200, 0.2f);
    CWorldObject* alarm = object(house, 3, 0, 0);
    CWorldObject* lamp = object(house, 3, 0, 0);
    object(other, 1, 900, 1.0f);
    float value = 0, weight = 0;
    std::vector<CWorldObject*> loot, secured{alarm}, others;
    const uint8_t mode = GameModeFlag;
    GameModeFlag = 0;
    CollectHouseStatistics(g_WorldRoot, value, weight, &loot, &secured, &others, {house});
    GameModeFlag = mode;
    EXPECT_FLOAT_EQ(value, 700.0f);
    EXPECT_FLOAT_EQ(weight, 21.0f);
    EXPECT_EQ(loot, (std::vector<CWorldObject*>{ring, vase})) << "in walk order";
    EXPECT_EQ(others, std::vector<CWorldObject*>{lamp}) << "the alarm is in the second list";
}
