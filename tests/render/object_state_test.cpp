// Objects with states in the frame: the game shows the state the object's
// logic is in, the editor its "OPEN" state; the pose follows the shown state.
#include <gtest/gtest.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "tests/render/HouseWorld.h"

namespace {

HRESULT InsideSpheres(const D3DVECTOR*, const float*, uint32_t count, uint32_t* results)
{
    for (uint32_t i = 0; i < count; ++i)
        results[i] = 0;
    return D3D_OK;
}

// A door with a closed and an open state, each its own model, placed in the
// open outside any house.
struct DoorWorld
{
    HouseWorld house;
    CObjectNode* definition = nullptr;
    CObjectState* closed = nullptr;
    CObjectState* open = nullptr;
    CWorldObject* door = nullptr;

    DoorWorld()
    {
        definition = new CObjectNode("Tuer");
        closed = definition->AddState("CLOSED");
        closed->modelEntry = MakeEntry("Tuer_zu", MakeBoxModel("Tuer_zu", 1, 2, 0.1f, 1, 1, 0));
        closed->animStart = 1.0f;
        closed->animEnd = 3.0f;
        closed->animSpeed = 100;
        open = definition->AddState("OPEN");
        open->modelEntry = MakeEntry("Tuer_auf", MakeBoxModel("Tuer_auf", 0.1f, 2, 1, 0, 1, 1));
        open->animStart = 5.0f;
        open->animEnd = 9.0f;
        open->animSpeed = 100;
        door = new CWorldObject("door");
        door->objectKind = CWorldObject::KIND_OBJECT;
        door->reference = definition;
        door->position = CVector(0, 0, -3);
        g_WorldRoot->AddChild(door);
        door->objectLogic = new CObjectLogic;
        CVector min(100000, 100000, 100000), max(-100000, -100000, -100000);
        WorldWalk::ComputeBounds(g_WorldRoot, min, max);
    }

    CRootNode* Listed() const
    {
        for (const SVisibleEntry& e : VisibleObjects)
            if (e.node == door)
                return e.model;
        return nullptr;
    }
};

class ObjectStates : public ::testing::Test
{
protected:
    void SetUp() override { g_SphereVisibility = &InsideSpheres; }
    void TearDown() override { g_SphereVisibility = nullptr; }
};

} // namespace

TEST_F(ObjectStates, GameListsTheLogicsStateAndTheEditorTheOpenOne)
{
    DoorWorld w;
    struct Case
    {
        bool game;
        bool withState;
        bool withLogic;
        CRootNode* expected;
    };
    const Case cases[] = {
        {true, true, true, w.closed->GetModelRoot()},
        {true, false, true, w.open->GetModelRoot()}, // the logic has not picked a state yet
        {true, true, false, w.open->GetModelRoot()}, // no logic, nothing to follow
        {false, true, true, w.open->GetModelRoot()}, // the editor always shows "OPEN"
    };
    CObjectLogic* logic = w.door->objectLogic;
    for (const Case& c : cases) {
        w.door->objectLogic = c.withLogic ? logic : nullptr;
        logic->animation = c.withState ? w.closed : nullptr;
        ResetVisibleObjects();
        CollectVisible(g_WorldRoot, c.game ? 2 : 0, c.game);
        EXPECT_EQ(w.Listed(), c.expected)
            << "game " << c.game << ", state " << c.withState << ", logic " << c.withLogic;
    }
    w.door->objectLogic = logic;
}

TEST_F(ObjectStates, PoseTakesTheTimeOfTheShownState)
{
    ASSERT_TRUE(OpenOffscreenView(160, 120));
    GameViewRecord.eye = CVector(0, 2, -10);
    GameViewRecord.position = CVector(0, 0, 0);
    {
        DoorWorld w;
        for (CObjectState* s : {w.closed, w.open}) {
            CRootNode* model = s->GetModelRoot();
            model->animated = 1;
            model->animationStart = 0.0f;
            model->animationEnd = 10.0f;
        }
        // The logic's animation shows the frame its ticks reached, not one taken from the clock.
        w.door->objectLogic->animation = w.closed;
        w.door->objectLogic->animationFrame = 2.5f;
        RenderWorldFrame(nullptr, 1500);
        ASSERT_EQ(w.Listed(), w.closed->GetModelRoot());
        EXPECT_FLOAT_EQ(FrameData(w.door).animTime, 2.5f);

        w.door->objectLogic->animation = nullptr;
        RenderWorldFrame(nullptr, 1500);
        EXPECT_FLOAT_EQ(FrameData(w.door).animTime, 6.5f) << "without a current state the open one's time";
    }
    CloseOffscreenView();
}
