#include "GAMES/Rulo2/render/WorldLightHooks.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

namespace {

void SendToDevice(const CD3DLight& d)
{
    if (DX.device && d.slot >= 0)
        DX.device->SetLight(uint32_t(d.slot), &d.light);
}

void* CreateDeviceLight(SWorldLight& world)
{
    auto* d = new CD3DLight(nullptr);
    // The defaults first, so that a block the file left short still has them.
    d->set(D3DLIGHT_POINT, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, false);
    d->light = world.light;
    SendToDevice(*d);
    return d;
}

void DestroyDeviceLight(void* deviceLight)
{
    delete static_cast<CD3DLight*>(deviceLight);
}

void WorldLightChanged(SWorldLight& world)
{
    auto* d = static_cast<CD3DLight*>(world.deviceLight);
    if (!d)
        return;
    d->light = world.light;
    SendToDevice(*d);
}

} // namespace

void InstallWorldLightHooks()
{
    g_WorldLightHooks.create = CreateDeviceLight;
    g_WorldLightHooks.destroy = DestroyDeviceLight;
    g_WorldLightChanged = WorldLightChanged;
}
