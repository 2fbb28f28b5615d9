#include "GAMES/Rulo2/render/WorldLights.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

namespace {

void SendToDevice(const CD3DLight& d)
{
    if (DX.device && d.slot >= 0)
        DX.device->SetLight(uint32_t(d.slot), &d.light);
}

} // namespace

CD3DLight* CreateWorldDeviceLight(const SWorldLight& world)
{
    auto* d = new CD3DLight(nullptr);
    // The defaults first, so that a block the file left short still has them.
    d->set(D3DLIGHT_POINT, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, false);
    d->light = world.light;
    SendToDevice(*d);
    return d;
}

void WorldLightChanged(SWorldLight& world)
{
    CD3DLight* d = world.deviceLight;
    if (!d)
        return;
    d->light = world.light;
    SendToDevice(*d);
}
