// The watchers' view cones: the wedge's corners by heading, type and kind,
// which entries are drawn, and one additive triangle per guard in every frame
// of the planning and burglary phases.
#include <gtest/gtest.h>

#include <memory>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/render/WatcherMarks.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "tests/render/HouseWorld.h"

namespace {

class WatcherMarks : public ::testing::Test
{
protected:
    void SetUp() override { world = std::make_unique<HouseWorld>(); }
    void TearDown() override
    {
        ViewConeList.clear();
        BurglaryHouses.clear();
        GamePhase = PHASE_REALTIME;
        world.reset();
    }
    // A watcher of the kind placed under the parent, its kind data named `type`.
    CObjectLogic* Watcher(int32_t kind, const CVector& at, float heading, const char* type = "Waechter",
                          CNode* parent = nullptr)
    {
        auto* node = new CWorldObject("watcher");
        node->objectKind = CWorldObject::KIND_OBJECT;
        node->position = at;
        node->angle = heading;
        (parent ? parent : g_WorldRoot)->AddChild(node);
        auto* logic = new CObjectLogic; // the node deletes it
        logic->ownKindData = CKindData::Create(kind);
        logic->ownKindData->name = type;
        logic->kindData = logic->ownKindData.get();
        logic->conditions = CKindState::Create(kind);
        logic->worldNode = node;
        node->objectLogic = logic;
        return logic;
    }
    std::unique_ptr<HouseWorld> world;
};

void ExpectCorners(const SIdEntry& entry, const CVector (&expected)[3])
{
    CVector corners[3];
    ASSERT_TRUE(WatcherConeCorners(entry, corners));
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(corners[i].x, expected[i].x, 1e-6f) << i;
        EXPECT_NEAR(corners[i].y, expected[i].y, 1e-6f) << i;
        EXPECT_NEAR(corners[i].z, expected[i].z, 1e-6f) << i;
    }
}

} // namespace

TEST_F(WatcherMarks, TheWedgeOpensNinetyDegreesAheadFromLiftedApex)
{
    CObjectLogic* guard = Watcher(KIND_CHARACTER_B, {0, 0, 0}, 1.5707964f);
    ExpectCorners({2.0f, guard, nullptr},
                  {{0, 0.21f, 0.02f}, {1.4142135f, 0.11f, 1.4142135f}, {-1.4142135f, 0.11f, 1.4142135f}});
    CObjectLogic* granny = Watcher(KIND_CHARACTER_C, {1, 0, 0}, 1.5707964f, "GRANNY_Else");
    ExpectCorners({2.0f, granny, nullptr},
                  {{1, 0.135f, 0.06f}, {2.4142135f, 0.035f, 1.4142135f}, {-0.4142135f, 0.035f, 1.4142135f}});
    // A fixed object faces its own heading; its wedge lies on the ground and drops 0.3.
    CObjectLogic* camera = Watcher(KIND_FIXED, {0, 1, 0}, 0.0f, "Kamera");
    camera->SetActiveState(true);
    ExpectCorners({0.5f, camera, nullptr},
                  {{0, 1, 0.02f}, {0.35355338f, 0.7f, 0.35355338f}, {-0.35355338f, 0.7f, 0.35355338f}});
}

TEST_F(WatcherMarks, AVideoSensorNeedsToBeActiveUnbrokenAndInAPlannedHouse)
{
    struct Case
    {
        bool active, broken, inHouse, planned;
        bool drawn;
    } cases[] = {
        {true, false, false, false, true}, {false, false, false, false, false},
        {true, true, false, false, false}, {true, false, true, false, false},
        {true, false, true, true, true},
    };
    for (const Case& c : cases) {
        ViewConeList.clear();
        BurglaryHouses.clear();
        CObjectLogic* camera =
            Watcher(KIND_FIXED, {0, 1, 0}, 0.0f, "Kamera", c.inHouse ? world->inside1 : nullptr);
        camera->SetActiveState(c.active);
        camera->SetBrokenState(c.broken);
        if (c.planned)
            BurglaryHouses.push_back(world->house);
        AddIdEntry(ViewConeList, camera, 0.5f);
        AddIdEntry(ViewConeList, camera, 0.5f);
        ASSERT_EQ(ViewConeList.size(), 1u) << "one entry per object";
        EXPECT_EQ(ViewConeList[0].value, c.inHouse ? world->house : nullptr);
        CVector corners[3];
        EXPECT_EQ(WatcherConeCorners(ViewConeList[0], corners), c.drawn)
            << c.active << c.broken << c.inHouse << c.planned;
    }
}

TEST_F(WatcherMarks, EveryFrameOfThePlanningAndBurglaryDrawsOneAdditiveTrianglePerGuard)
{
    ASSERT_TRUE(OpenOffscreenView(160, 120));
    for (int i = 0; i < 3; ++i)
        AddIdEntry(ViewConeList, Watcher(KIND_CHARACTER_B, {float(i), 0, 0}, 0.0f), 2.0f);
    for (int32_t phase : {PHASE_REALTIME, PHASE_PLANNING, PHASE_BURGLARY}) {
        GamePhase = phase;
        for (int frame = 0; frame < 2; ++frame) {
            DX.device->calls.clear();
            DX.device->recordCalls = true;
            SWorldFrame view;
            view.posed = true;
            view.eye = CVector(0, 3, -4);
            RenderWorldFrame(view, nullptr);
            DX.device->recordCalls = false;
            size_t cones = 0;
            for (const D3DCall& c : DX.device->calls)
                cones += c.kind == D3DCallKind::Draw && c.a == D3DPT_TRIANGLELIST && c.b == FVF_LVERTEX &&
                         c.c == 3;
            EXPECT_EQ(cones, phase == PHASE_REALTIME ? 0u : 3u) << phase;
            if (phase != PHASE_REALTIME) {
                EXPECT_EQ(RenderCache.blendMode, 2);
                EXPECT_FALSE(RenderCache.lighting);
                EXPECT_TRUE(RenderCache.clipping);
                EXPECT_EQ(RenderCache.stageTexture[0], nullptr);
            }
        }
    }
    CloseOffscreenView();
}
