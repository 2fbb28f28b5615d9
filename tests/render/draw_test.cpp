// Whole frames of the house world drawn from above through the device.
#include <gtest/gtest.h>

#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/CDynamicLights.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/InstallRender.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/ViewRects.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "tests/render/HouseWorld.h"
#include "tests/render/ScreenPoint.h"

namespace {

class HouseFromAbove : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(OpenOffscreenView(320, 240));
        InstallRender();
        GameViewRecord.eye = CVector(0, 9, -0.5f);
        GameViewRecord.position = CVector(0, 0, 0);
    }
    void TearDown() override
    {
        g_SphereVisibility = nullptr;
        CloseOffscreenView();
    }

    // The screen pixel of a world point under the current view and projection.
    uint32_t PixelAt(const CVector& p)
    {
        int x, y;
        ScreenOf(p, x, y);
        uint32_t c = 0;
        EXPECT_TRUE(DX.backSurface->ReadPixel(x, y, &c));
        return c & 0xFFFFFF;
    }
};

} // namespace

TEST_F(HouseFromAbove, UpperFloorAndStairsAreCutAwayInThePicture)
{
    HouseWorld w;
    const CVector slabPoint(-1.0f, 0.1f, -1.0f), stairsTop(1.0f, 1.1f, 1.0f), upperSlab(-1.0f, 1.7f, -1.0f);

    RenderWorldFrame(nullptr, 1000);
    EXPECT_TRUE(IsListed(w.slab2));
    EXPECT_EQ(PixelAt(upperSlab), 0x0000FFu);
    EXPECT_EQ(PixelAt(CVector(1.0f, 1.7f, 1.0f)), 0x0000FFu);

    CurrentFloor = 1;
    FloorMask = 1u << 0;
    RenderWorldFrame(nullptr, 1040);
    EXPECT_FALSE(IsListed(w.slab2));
    EXPECT_EQ(PixelAt(slabPoint), 0xFF0000u);
    EXPECT_EQ(PixelAt(stairsTop), 0x00FF00u);

    HideStairs = 1;
    RenderWorldFrame(nullptr, 1080);
    EXPECT_FALSE(IsListed(w.stairs));
    EXPECT_TRUE(IsListed(w.slab1));
    EXPECT_EQ(PixelAt(CVector(1.0f, 0.1f, 1.0f)), 0xFF0000u);
    EXPECT_EQ(PixelAt(slabPoint), 0xFF0000u);
}

// While a screen sets the view rectangle the world is drawn into it alone; the rest of the picture
// keeps the frame's clear colour, and the screens after it draw on the whole picture again.
TEST_F(HouseFromAbove, TheViewRectangleFramesTheWorld)
{
    HouseWorld w;
    RenderWorldFrame(nullptr, 1000);
    int cx = 0, cy = 0;
    ScreenOf(CVector(-1.0f, 1.7f, -1.0f), cx, cy);
    ASSERT_LT(cx, 160) << "the upper slab lies in the left half of the full view";
    EXPECT_EQ(PixelAt(CVector(-1.0f, 1.7f, -1.0f)), 0x0000FFu);

    SetViewRect(160, 0, 320, 240);
    RenderWorldFrame(nullptr, 1040);
    ClearViewRect();
    const uint32_t clear = FrameClearColour(true) & 0xFFFFFF;
    uint32_t c = 0;
    ASSERT_TRUE(DX.backSurface->ReadPixel(cx, cy, &c));
    EXPECT_EQ(c & 0xFFFFFF, clear) << "nothing of the world left of the rectangle";
    int drawn = 0;
    for (int y = 0; y < 240; y += 8)
        for (int x = 160; x < 320; x += 8)
            drawn += DX.backSurface->ReadPixel(x, y, &c) && (c & 0xFFFFFF) != clear;
    EXPECT_GT(drawn, 40) << "the world inside it";
    D3DVIEWPORT7 vp;
    ASSERT_EQ(DX.device->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.dwX, 0u);
    EXPECT_EQ(vp.dwWidth, 320u);
}

TEST_F(HouseFromAbove, FadedObjectsLeaveTheOpaquePass)
{
    HouseWorld w;
    w.slab2->factor = 0.999f;
    RenderWorldFrame(nullptr, 1000);
    ASSERT_EQ(FadedObjects.size(), 1u);
    EXPECT_EQ(FadedObjects[0], w.slab2);
    // Still drawn, after the opaque pass, with its 0.999 opacity.
    const uint32_t c = PixelAt(CVector(-1.0f, 1.7f, -1.0f));
    EXPECT_GT(c & 0xFF, 0xF0u);
}

TEST_F(HouseFromAbove, CharactersLeaveWithTheRoomTheyStandIn)
{
    HouseWorld w;
    static CWorldObject* room = nullptr;
    room = w.slab1;
    // A character is an object with the logic of kinds 4 to 6.
    CObjectLogic logic;
    logic.ownKindData = CKindData::Create(KIND_CHARACTER_A);
    CWorldObject* person = AddModel(w.inside1, "person", w.stairs->ModelEntry(), CVector(-1, 0.6f, -1));
    person->objectLogic = &logic;
    CharacterLocation = [](CWorldObject*) { return room; };
    CurrentFloor = 1;
    FloorMask = 1;
    RenderWorldFrame(nullptr, 1000);
    EXPECT_TRUE(IsListed(person));
    // The room faded out: the character goes with it; the hero never does.
    w.slab1->factor = 0.5f;
    RenderWorldFrame(nullptr, 1040);
    EXPECT_FALSE(IsListed(person));
    EXPECT_EQ(GetVisibility(person), VIS_HIDDEN);
    RenderWorldFrame(person, 1080);
    EXPECT_TRUE(IsListed(person));
    CharacterLocation = nullptr;
    person->objectLogic = nullptr;
}

TEST_F(HouseFromAbove, CharactersFarFromEveryLightGetThreeZeroLights)
{
    HouseWorld w;
    CObjectLogic logic;
    logic.ownKindData = CKindData::Create(KIND_CHARACTER_B);
    w.stairs->objectLogic = &logic;
    g_LightNodes.clear();
    for (float x : {40.0f, 42.0f}) {
        auto* l = new CWorldObject("lamp");
        l->MakeLight();
        l->position = CVector(x, 0, 0);
        w.outside1->AddChild(l);
        g_LightNodes.push_back(l);
    }
    DynamicLights.Init();
    CD3DLight* first = DynamicLights.deviceLights[0];
    ASSERT_NE(first, nullptr);
    first->light.dcvDiffuse = {0.7f, 0.7f, 0.7f, 0};

    // Off: characters get the device lights as they are. The frame takes the switch
    // from the settings, as the game's does.
    const uint32_t savedDynamicLights = Settings.dynamicLights;
    Settings.dynamicLights = 0;
    RenderWorldFrame(nullptr, 1000);
    D3DLIGHT7 sent;
    DX.device->GetLight(uint32_t(first->slot), &sent);
    EXPECT_FLOAT_EQ(sent.dcvDiffuse.r, 0.7f);

    // On: the nearest lights are 40 units away, outside the searched cells.
    Settings.dynamicLights = 1;
    RenderWorldFrame(nullptr, 1040);
    for (CD3DLight* d : DynamicLights.deviceLights) {
        DX.device->GetLight(uint32_t(d->slot), &sent);
        EXPECT_EQ(sent.dcvDiffuse.r, 0.0f);
        EXPECT_EQ(sent.dvAttenuation0, 0.0f);
    }
    Settings.dynamicLights = savedDynamicLights;
    w.stairs->objectLogic = nullptr;
    g_LightNodes.clear();
    DynamicLights.Clear();
}

TEST_F(HouseFromAbove, TheCursorPointsAtThePointableObjectUnderIt)
{
    HouseWorld w;
    auto* safe = new CObjectNode("Tresor");
    safe->AddState("OPEN")->modelEntry = w.stairs->ModelEntry();
    CObjectLogic logic;
    logic.ownKindData = CKindData::Create(KIND_FIXED);
    logic.ownKindData->clickable = 1;
    auto* object = new CWorldObject("tresor");
    object->objectKind = CWorldObject::KIND_OBJECT;
    object->reference = safe;
    object->objectLogic = &logic;
    object->position = CVector(0, 2.5f, 0);
    g_WorldRoot->AddChild(object);
    CVector min(100000, 100000, 100000), max(-100000, -100000, -100000);
    WorldWalk::ComputeBounds(g_WorldRoot, min, max);

    RenderWorldFrame(nullptr, 1000);
    UpdateCursorRay(160, 120); // the middle of the view
    ASSERT_TRUE(CursorRay.valid);
    EXPECT_NEAR(CursorRay.direction.y, ViewDirection.y, 1e-4f);
    PointedObject = nullptr;
    UpdateVisibleObjects(nullptr);
    EXPECT_EQ(PointedObject, object);

    // Dragging the view points at nothing; so does a cursor at the edge.
    ViewDragFlag = 1;
    PointedObject = nullptr;
    UpdateVisibleObjects(nullptr);
    EXPECT_EQ(PointedObject, nullptr);
    ViewDragFlag = 0;
    UpdateCursorRay(2, 2);
    UpdateVisibleObjects(nullptr);
    EXPECT_EQ(PointedObject, nullptr);
    object->objectLogic = nullptr;
}

TEST(TrimPass, VariantsByGamePhaseAndRecordState)
{
    HouseWorld w;
    CObjectLogic logic;
    logic.ownKindData = CKindData::Create(KIND_FIXED);
    logic.ownKindData->clickable = 0;
    logic.ownKindData->processWhenVisible = 1;
    auto* object = new CWorldObject("alarm");
    object->objectKind = CWorldObject::KIND_OBJECT;
    object->objectLogic = &logic;
    g_WorldRoot->AddChild(object);
    ResetVisibleObjects();
    VisibleObjects.push_back({object, nullptr});
    static int walks = 0, activations = 0;
    ObjectPassHooks.stepWalk = [](CWorldObject*) { ++walks; };
    ObjectPassHooks.activate = [](CWorldObject*) { ++activations; };
    const struct
    {
        int32_t phase, record, speed;
        uint8_t burglary;
        int walks, activations;
    } cases[] = {
        {PHASE_PLANNING, RECORD_REPLAY, 100, 0, 1, 0}, // A, replaying: a walking step
        {PHASE_PLANNING, RECORD_RECORD, 0, 0, 0, 0},   // A with the clock standing
        {PHASE_PLANNING, RECORD_RECORD, 100, 0, 0, 1}, // B
        {PHASE_BURGLARY, RECORD_NORMAL, 100, 0, 0, 0}, // A before the burglary began
        {PHASE_BURGLARY, RECORD_NORMAL, 100, 1, 0, 1}, // B
        {PHASE_REALTIME, RECORD_NORMAL, 100, 0, 0, 1}, // B
    };
    const int32_t phase = GamePhase, record = RecordState;
    for (const auto& c : cases) {
        walks = activations = 0;
        GamePhase = c.phase;
        RecordState = c.record;
        ObjectPassHooks.gameSpeed = c.speed;
        ObjectPassHooks.burglaryFlag = c.burglary;
        UpdateVisibleObjects(nullptr);
        EXPECT_EQ(walks, c.walks) << c.phase << " " << c.record << " " << c.speed;
        EXPECT_EQ(activations, c.activations) << c.phase << " " << c.record << " " << c.speed;
    }
    GamePhase = phase;
    RecordState = record;
    ObjectPassHooks = SObjectPassHooks();
    object->objectLogic = nullptr;
    ResetVisibleObjects();
}
