// World lights become device lights when a world is read, follow their node
// when it moves, and give their index back with the node.
#include "tests/render/DeviceRig.h"

#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/render/WorldLights.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

namespace {

class WorldLights : public DeviceRig
{
protected:
    void SetUp() override
    {
        DeviceRig::SetUp();
        ASSERT_TRUE(InitDirectX());
        ASSERT_EQ(LiveLightCount, 0);
        LightSlotTable.count = 0;
        savedMode = GameModeFlag;
        GameModeFlag = 0;
        CreateWorldRoots();
    }
    void TearDown() override
    {
        ClearWorld();
        GameModeFlag = savedMode;
        DeviceRig::TearDown();
    }

    static CWorldObject* AddLight(D3DLIGHTTYPE type, const CVector& at)
    {
        auto* node = new CWorldObject();
        node->objectKind = CWorldObject::KIND_LIGHT;
        node->position = at;
        SWorldLight* l = node->MakeLight();
        l->light.dltType = type;
        l->light.dcvDiffuse = {0.25f, 0.5f, 0.75f, 1.0f};
        l->light.dvPosition = {at.x, at.y, at.z};
        l->light.dvDirection = {0, -1, 0};
        l->light.dvRange = 7.0f;
        l->light.dvTheta = 0.4f;
        l->light.dvPhi = 0.8f;
        l->light.dvAttenuation0 = 0.5f;
        g_WorldRoot->AddChild(node);
        return node;
    }

    // The world written and read back in the editor.
    void Reload()
    {
        CChunkWriter bytes;
        ASSERT_TRUE(WriteWorld(bytes));
        ClearWorld();
        ASSERT_EQ(LiveLightCount, 0) << "the lights went with their nodes";
        std::string error;
        ASSERT_TRUE(LoadWorldFromMemory(bytes.Data().data(), bytes.Data().size(), LOADWORLD_OPEN,
                                        "lights.wld", &error))
            << error;
    }

    static CD3DLight* DeviceLightOf(const CWorldObject* node)
    {
        return node && node->Light() ? node->Light()->deviceLight : nullptr;
    }

    uint8_t savedMode = 0;
};

} // namespace

TEST_F(WorldLights, LoadedLightsAreOnTheDeviceSwitchedOff)
{
    AddLight(D3DLIGHT_POINT, CVector(1, 2, 3));
    AddLight(D3DLIGHT_SPOT, CVector(-4, 5, 6));
    Reload();
    ASSERT_EQ(g_LightNodes.size(), 2u);
    EXPECT_EQ(LiveLightCount, 2);
    for (CWorldObject* node : g_LightNodes) {
        CD3DLight* d = DeviceLightOf(node);
        ASSERT_NE(d, nullptr);
        ASSERT_GE(d->slot, 0);
        EXPECT_EQ(LightSlotTable[d->slot], d);
        EXPECT_FALSE(d->enabled);
        D3DLIGHT7 sent{};
        ASSERT_EQ(DX.device->GetLight(uint32_t(d->slot), &sent), D3D_OK);
        const D3DLIGHT7& read = node->Light()->light;
        EXPECT_EQ(sent.dltType, read.dltType);
        EXPECT_FLOAT_EQ(sent.dvPosition.x, read.dvPosition.x);
        EXPECT_FLOAT_EQ(sent.dvRange, 7.0f);
        EXPECT_FLOAT_EQ(sent.dcvDiffuse.b, 0.75f);
        EXPECT_FLOAT_EQ(sent.dvAttenuation0, 0.5f);
        bool on = true;
        DX.device->GetLightEnable(uint32_t(d->slot), &on);
        EXPECT_FALSE(on);
    }
    EXPECT_NE(DeviceLightOf(g_LightNodes[0])->slot, DeviceLightOf(g_LightNodes[1])->slot);
}

TEST_F(WorldLights, MovedAndCopiedLightsFollowOnTheDevice)
{
    AddLight(D3DLIGHT_SPOT, CVector(0, 3, 0));
    Reload();
    ASSERT_EQ(g_LightNodes.size(), 1u);
    CWorldObject* node = g_LightNodes[0];
    CD3DLight* d = DeviceLightOf(node);
    ASSERT_NE(d, nullptr);

    WorldWalk::Move(g_WorldRoot, 2.0f, 0.0f, -1.0f, false);
    D3DLIGHT7 sent{};
    ASSERT_EQ(DX.device->GetLight(uint32_t(d->slot), &sent), D3D_OK);
    EXPECT_FLOAT_EQ(sent.dvPosition.x, 2.0f);
    EXPECT_FLOAT_EQ(sent.dvPosition.y, 3.0f);
    EXPECT_FLOAT_EQ(sent.dvPosition.z, -1.0f);

    // A quarter turn points the spot light along x.
    WorldWalk::StoreTransforms(g_WorldRoot);
    WorldWalk::RotateSelection(g_WorldRoot, float(M_PI / 2), 0.0f, node->position, false);
    ASSERT_EQ(DX.device->GetLight(uint32_t(d->slot), &sent), D3D_OK);
    EXPECT_NEAR(sent.dvDirection.x, 1.0f, 1e-5);
    EXPECT_NEAR(sent.dvDirection.z, 0.0f, 1e-5);

    node->selected = 1;
    WorldWalk::DuplicateSelected(g_WorldRoot, g_WorldRoot, true, true);
    EXPECT_EQ(LiveLightCount, 2);
    CWorldObject* copy = static_cast<CWorldObject*>(g_WorldRoot->GetFirstChild()->GetNext());
    ASSERT_NE(copy, nullptr);
    CD3DLight* copied = DeviceLightOf(copy);
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, d);
    ASSERT_EQ(DX.device->GetLight(uint32_t(copied->slot), &sent), D3D_OK);
    EXPECT_FLOAT_EQ(sent.dvPosition.x, 2.0f);

    ClearWorld();
    EXPECT_EQ(LiveLightCount, 0);
}

TEST_F(WorldLights, TheEditorPicksALoadedLightByItsMarker)
{
    AddLight(D3DLIGHT_POINT, CVector(0, 0, 0.5f)); // the middle of the screen
    Reload();
    ASSERT_EQ(g_LightNodes.size(), 1u);
    CWorldObject* node = g_LightNodes[0];
    D3DMATRIX identity;
    std::memcpy(&identity, CMatrix::Identity.m, sizeof identity);
    DX.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
    DX.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &identity);
    DX.device->BeginScene();
    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    SetVisibility(node, VIS_INSIDE);
    const int32_t cx = DX.screenWidth / 2, cy = DX.screenHeight / 2;
    CWorldObject* picked = nullptr;
    PickInRect(g_WorldRoot, &picked, SPickRect{cx, cy, cx, cy});
    DX.device->EndScene();
    EXPECT_EQ(picked, node);
    ClearFrameData();
}
