// Device lights: index slots, the device's limit of active lights, re-sending.
#include "tests/render/DeviceRig.h"

#include <memory>

#include "GAMES/Rulo2/render/CD3DLight.h"

namespace {

class Lights : public DeviceRig
{
protected:
    void SetUp() override
    {
        DeviceRig::SetUp();
        ASSERT_TRUE(InitDirectX());
        ASSERT_EQ(DX.deviceInfo->maxActiveLights, 8);
        // Each test starts from an empty slot table, as the program does.
        ASSERT_EQ(LiveLightCount, 0);
        LightSlotTable.count = 0;
    }
    void TearDown() override
    {
        lights.clear();
        DeviceRig::TearDown();
    }
    CD3DLight* make(const char* name = nullptr)
    {
        lights.push_back(std::make_unique<CD3DLight>(name));
        return lights.back().get();
    }
    bool deviceOn(const CD3DLight* l)
    {
        bool on = false;
        DX.device->GetLightEnable(uint32_t(l->slot), &on);
        return on;
    }
    std::vector<std::unique_ptr<CD3DLight>> lights;
};

TEST_F(Lights, OneMoreThanTheDeviceLimitIsRefused)
{
    for (int i = 0; i < 9; ++i)
        make();
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(lights[i]->set(D3DLIGHT_POINT, 0, 1, 0, 1, 1, 1, 10, true)) << i;
    EXPECT_EQ(EnabledLightCount, 8);
    EXPECT_FALSE(lights[8]->set(D3DLIGHT_POINT, 0, 1, 0, 1, 1, 1, 10, true));
    EXPECT_FALSE(lights[8]->enabled);
    EXPECT_FALSE(deviceOn(lights[8].get()));
    EXPECT_TRUE(lights[3]->enable(true)); // already on: nothing changes
    EXPECT_EQ(EnabledLightCount, 8);
    EXPECT_TRUE(lights[3]->enable(false));
    EXPECT_TRUE(lights[8]->enable(true));
    EXPECT_TRUE(deviceOn(lights[8].get()));
    EXPECT_EQ(EnabledLightCount, 8);
}

TEST_F(Lights, ReinitialisationKeepsTheLowestIndexesOn)
{
    for (int i = 0; i < 8; ++i) {
        CD3DLight* l = make();
        l->set(D3DLIGHT_POINT, float(l->slot), 1, 0, 1, 1, 1, 10, true);
    }
    // The next device allows fewer lights.
    DX.deviceInfo->maxActiveLights = 5;
    ASSERT_TRUE(InitDirectX());
    EXPECT_EQ(EnabledLightCount, 5);
    for (const auto& l : lights) {
        EXPECT_EQ(l->enabled, l->slot < 5) << l->slot;
        EXPECT_EQ(deviceOn(l.get()), l->slot < 5) << l->slot;
        D3DLIGHT7 sent;
        ASSERT_EQ(DX.device->GetLight(uint32_t(l->slot), &sent), D3D_OK);
        EXPECT_FLOAT_EQ(sent.dvPosition.x, float(l->slot));
    }
    DX.deviceInfo->maxActiveLights = 8;
}

TEST_F(Lights, FreedIndexGoesToTheNextLightHighestFirst)
{
    for (int i = 0; i < 4; ++i)
        make();
    std::vector<int32_t> slots;
    for (const auto& l : lights)
        slots.push_back(l->slot);
    EXPECT_EQ(slots, (std::vector<int32_t>{0, 1, 2, 3}));
    lights[1].reset();
    lights[2].reset();
    EXPECT_EQ(make()->slot, 2);
    EXPECT_EQ(make()->slot, 1);
    EXPECT_EQ(make()->slot, 4);
}

TEST_F(Lights, SetFillsTheLightBlockAndDestroyingSwitchesOff)
{
    CD3DLight* l = make("Sun");
    EXPECT_STREQ(l->name.c_str(), "Sun");
    EXPECT_EQ(l->kind, 3);
    ASSERT_TRUE(l->set(D3DLIGHT_POINT, 20, 20, -20, 2, 2, 2, 100, true));
    D3DLIGHT7 sent;
    ASSERT_EQ(DX.device->GetLight(uint32_t(l->slot), &sent), D3D_OK);
    EXPECT_FLOAT_EQ(sent.dvRange, 100);
    EXPECT_FLOAT_EQ(sent.dvAttenuation1, 1.0f);
    EXPECT_FLOAT_EQ(sent.dvTheta, 0.6283185f);
    EXPECT_FLOAT_EQ(sent.dcvDiffuse.a, 0.0f);
    const uint32_t slot = uint32_t(l->slot);
    lights.clear();
    bool on = true;
    DX.device->GetLightEnable(slot, &on);
    EXPECT_FALSE(on);
    EXPECT_EQ(EnabledLightCount, 0);
    EXPECT_EQ(LightSlotTable[int32_t(slot)], nullptr);
}

} // namespace
