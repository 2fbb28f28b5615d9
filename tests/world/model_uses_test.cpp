// Model uses counted over the world tree, and which nodes walk on a model
// with a ground map.
#include "tests/world/ServicesFixture.h"

#include "GAMES/Rulo2/navigation/GroundMap.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

namespace {

using ModelUses = WorldServicesTest;

GroundMap* SmallMap()
{
    const int32_t rect[4] = {0, 0, 3, 3};
    return GroundMap::Create(rect);
}

} // namespace

TEST_F(ModelUses, EveryInstanceAtAnyDepthCountsOnceForItsEntry)
{
    CModelEntry* wall = AddEntry("wall", new CRootNode());
    CModelEntry* chair = AddEntry("chair", new CRootNode());
    CModelEntry* unused = AddEntry("lamp", new CRootNode());
    CWorldObject* group = Place(g_WorldRoot, "group", CWorldObject::KIND_GROUP, nullptr);
    CWorldObject* a = Place(group, "a", CWorldObject::KIND_MODEL, wall);
    Place(a, "under a", CWorldObject::KIND_MODEL, wall); // below another instance
    Place(g_WorldRoot, "b", CWorldObject::KIND_MODEL, wall);
    Place(g_WorldRoot, "c", CWorldObject::KIND_MODEL, chair);
    // An object whose state shows the chair is no model instance.
    Place(g_WorldRoot, "d", CWorldObject::KIND_OBJECT, AddDefinition("Chair", chair, 3));
    Place(g_WorldRoot, "e", CWorldObject::KIND_MODEL, nullptr);

    WorldWalk::CountModelUses(g_WorldRoot);
    EXPECT_EQ(wall->useCount, 3u);
    EXPECT_EQ(chair->useCount, 1u);
    EXPECT_EQ(unused->useCount, 0u);
    // A second count adds to the first; releasing the buffers starts again.
    WorldWalk::CountModelUses(g_WorldRoot);
    EXPECT_EQ(wall->useCount, 6u);
    ReleaseVertexBuffers(g_ModelListRoot->FirstEntry());
    EXPECT_EQ(wall->useCount, 0u);
    EXPECT_EQ(chair->useCount, 0u);
}

TEST_F(ModelUses, GroundMapOfTheInstancesModelOrTheObjectsCurrentState)
{
    CModelEntry* mapped = AddEntry("floor", new CRootNode());
    mapped->groundMap = SmallMap();
    ASSERT_NE(mapped->groundMap, nullptr);
    CModelEntry* plain = AddEntry("rug", new CRootNode());

    CWorldObject* onMapped = Place(g_WorldRoot, "floor", CWorldObject::KIND_MODEL, mapped);
    CWorldObject* onPlain = Place(g_WorldRoot, "rug", CWorldObject::KIND_MODEL, plain);
    EXPECT_TRUE(onMapped->HasGroundMap());
    EXPECT_FALSE(onPlain->HasGroundMap());

    // The object's "OPEN" state shows the mapped model; only the state its
    // logic is in counts.
    CObjectNode* def = AddDefinition("Hatch", mapped, 3);
    CObjectState* shut = def->AddState("SHUT");
    shut->modelEntry = plain;
    CWorldObject* hatch = Place(g_WorldRoot, "hatch", CWorldObject::KIND_OBJECT, def);
    EXPECT_FALSE(hatch->HasGroundMap()) << "no logic";
    hatch->objectLogic = new CObjectLogic;
    EXPECT_FALSE(hatch->HasGroundMap()) << "the logic is in no state yet";
    hatch->objectLogic->animation = shut;
    EXPECT_FALSE(hatch->HasGroundMap());
    hatch->objectLogic->animation = def->FindState("OPEN");
    EXPECT_TRUE(hatch->HasGroundMap());

    EXPECT_FALSE(g_WorldRoot->HasGroundMap()) << "a group";
}
