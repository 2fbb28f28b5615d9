#include "GAMES/Rulo2/render/CD3DLight.h"

#include "GAMES/Rulo2/DirectX.h"

namespace {

CGrowArray<CD3DLight> makeTable()
{
    CGrowArray<CD3DLight> t;
    t.growBy = 1000;
    t.data = new CD3DLight*[1000]();
    t.capacity = 1000;
    return t;
}

int32_t maxActiveLights()
{
    return DX.deviceInfo ? DX.deviceInfo->maxActiveLights : 0;
}

} // namespace

CGrowArray<CD3DLight> LightSlotTable = makeTable();
int32_t LiveLightCount = 0;
int32_t EnabledLightCount = 0;

CD3DLight::CD3DLight(const char* lightName)
{
    slot = -1;
    if (LiveLightCount < LightSlotTable.count) {
        for (int32_t i = LightSlotTable.count - 1; i >= 0; --i)
            if (!LightSlotTable[i]) {
                slot = i;
                break;
            }
    }
    if (slot >= 0)
        LightSlotTable[slot] = this;
    else
        slot = LightSlotTable.add(this);
    if (lightName && *lightName)
        name.Set(lightName);
    ++LiveLightCount;
}

CD3DLight::~CD3DLight()
{
    if (DX.device && enabled) {
        --EnabledLightCount;
        enabled = false;
        DX.device->LightEnable(uint32_t(slot), false);
    }
    if (slot >= 0 && slot < LightSlotTable.count && LightSlotTable[slot] == this)
        LightSlotTable[slot] = nullptr;
    --LiveLightCount;
}

bool CD3DLight::set(int32_t type, float x, float y, float z, float red, float green, float blue, float range,
                    bool on)
{
    light.dltType = type;
    light.dcvDiffuse = {red, green, blue, 0.0f};
    light.dvPosition = {x, y, z};
    light.dvDirection = {0.0f, 0.0f, 1.0f};
    light.dvRange = range;
    light.dvFalloff = 1.0f;
    light.dvAttenuation0 = 0.0f;
    light.dvAttenuation1 = 1.0f;
    light.dvAttenuation2 = 0.0f;
    light.dvTheta = 0.6283185f;
    light.dvPhi = 0.7853982f;
    if (DX.device)
        DX.device->SetLight(uint32_t(slot), &light);
    return enable(on);
}

bool CD3DLight::enable(bool on)
{
    if (on == enabled)
        return true;
    if (on) {
        if (EnabledLightCount >= maxActiveLights())
            return false;
        ++EnabledLightCount;
    } else {
        --EnabledLightCount;
    }
    enabled = on;
    if (DX.device)
        DX.device->LightEnable(uint32_t(slot), on);
    return true;
}

void CD3DLight::Reapply()
{
    if (DX.device)
        DX.device->SetLight(uint32_t(slot), &light);
    if (!enabled)
        return;
    enabled = false;
    if (EnabledLightCount < maxActiveLights()) {
        ++EnabledLightCount;
        enabled = true;
        if (DX.device)
            DX.device->LightEnable(uint32_t(slot), true);
    }
}

void ReapplyAllLights()
{
    for (int32_t i = 0; i < LightSlotTable.count; ++i)
        if (LightSlotTable[i])
            LightSlotTable[i]->Reapply();
}
