#include "GAMES/Rulo2/render/InstallRender.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/render/LoadingPictures.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/LoadingScreen.h"

namespace {

HRESULT DeviceSphereVisibility(const D3DVECTOR* centres, const float* radii, uint32_t count,
                               uint32_t* results)
{
    return DX.device ? DX.device->ComputeSphereVisibility(centres, radii, count, 0, results) : E_FAIL;
}

} // namespace

void InstallRender()
{
    InstallTexturePageHooks();
    g_SphereVisibility = DeviceSphereVisibility;
    LoadingScreenHooks.draw = DrawLoadingPictures;
    LoadingScreenHooks.load = LoadLoadingPictures;
    LoadingScreenHooks.release = ReleaseLoadingPictures;
}
