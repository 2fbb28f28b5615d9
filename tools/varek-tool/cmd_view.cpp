// varek-tool view FILE [--frames N] [--snapshot OUT.bmp]   (also: varek-tool world view ...)
// Loads a world as the game does (device, subsystems, the game's resources with the
// sun, then the world), puts the game camera on the first character (or looks at the
// world's centre) and draws frames off-screen through the game's own frame function;
// the last one can be written as a BMP picture, its path taken from the current folder.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "platform/resources/Resources.h"
#include "tools/varek-tool/ToolFiles.h"

namespace {

int ViewUsage()
{
    std::fprintf(stderr, "usage: varek-tool view FILE [--frames N] [--snapshot OUT.bmp]   (N frames "
                         "off-screen, 1 unless given)\n");
    return 1;
}

CWorldObject* FirstCharacter(CWorldObject* first)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (n->objectKind == CWorldObject::KIND_OBJECT && n->objectLogic && n->objectLogic->IsCharacter())
            return n;
        if (CWorldObject* c = FirstCharacter(n->FirstObject()))
            return c;
    }
    return nullptr;
}

// Boxes of the model instances where the game's initialisation has not made them yet.
void FillObjectBoxes(CWorldObject* first)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (n->objectKind == CWorldObject::KIND_MODEL && n->boundsAMin.x > n->boundsAMax.x) {
            if (CRootNode* root = n->GetShapeRoot()) {
                n->boundsAMin = n->position + root->boundsMin * n->scale;
                n->boundsAMax = n->position + root->boundsMax * n->scale;
            }
        }
        FillObjectBoxes(n->FirstObject());
    }
}

} // namespace

int cmd_view(int argc, char** argv)
{
    if (argc < 2)
        return ViewUsage();
    const std::string path = argv[1];
    int frames = 0;
    std::string snapshot;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (!end || *end || n < 1 || n > 1000000)
                return ToolFail("view", path,
                                std::string("--frames needs a number from 1 up, not '") + argv[i] + "'");
            frames = int(n);
        } else if (std::strcmp(argv[i], "--snapshot") == 0 && i + 1 < argc) {
            // Loading the world makes its folder current: the path is fixed first.
            std::error_code ec;
            snapshot = std::filesystem::absolute(argv[++i], ec).string();
            if (ec)
                return ToolFail("view", argv[i], ec.message());
        } else {
            std::fprintf(stderr, "varek-tool view: unknown switch '%s'\n", argv[i]);
            return ViewUsage();
        }
    }
    if (frames == 0)
        frames = 1;

    GameModeFlag = 1;
    // As the game starts: the device, every subsystem's wiring, the game's resources
    // (the sun among them; the installation's own pictures when the world sits in one),
    // then the world.
    if (!OpenOffscreenView(640, 480))
        return ToolFail("view", path, "no 3-D device could be made (is there a display?)");
    // The device's capabilities (its fog kinds among them), as the game's enumeration finds them.
    D3DDEVICEDESC7 caps;
    if (SUCCEEDED(DX.device->GetCaps(&caps)))
        FillDeviceCaps(*DX.deviceInfo, caps);
    SetFogStates(*DX.deviceInfo);
    SetWorldLightingStates();
    InstallSubsystems();
    std::error_code ec;
    const std::filesystem::path installation =
        std::filesystem::absolute(path, ec).parent_path() / "resources";
    if (!ec && std::filesystem::is_directory(installation, ec))
        platform::SetResourceFolder(installation);
    LoadGameResources();
    CreateWorldRoots();
    std::string error;
    if (!LoadWorld(path.c_str(), LOADWORLD_OPEN, &error)) {
        FreeGameResources();
        CloseOffscreenView();
        return ToolFail("view", path, error.empty() ? "the world cannot be loaded" : error);
    }
    AfterWorldLoaded();
    CVector min(100000, 100000, 100000), max(-100000, -100000, -100000);
    WorldWalk::ComputeBounds(g_WorldRoot, min, max);
    FillObjectBoxes(g_WorldRoot->FirstObject());

    CWorldObject* hero = FirstCharacter(g_WorldRoot->FirstObject());
    GameCamera.Reset();
    if (hero) {
        UpdateHouseState(hero);
        GameCamera.lookAt = hero->position;
        GameCamera.actualEye = hero->position + GameCamera.offset;
    } else {
        CurrentHouse = nullptr;
        const CVector centre = min.x <= max.x ? (min + max) * 0.5f : CVector(0, 0, 0);
        const float size = min.x <= max.x ? (max - min).length() : 4.0f;
        GameViewRecord.position = centre;
        // A large world is looked at from within the view's far distance, so
        // that its middle is drawn rather than nothing.
        const float distance = std::fmin(0.6f * size + 1.0f, 0.35f * DefaultFarDistance);
        GameViewRecord.eye = centre + CVector(0, 1.0f, -1.2f) * distance;
    }

    SFrameTimes times;
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f)
        RenderWorldFrame(hero, 40 * (f + 1), &times);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %d frames, %d visible entries, %.1f frames/s\n", path.c_str(), frames,
                int(VisibleObjects.size()), seconds > 0 ? frames / seconds : 0.0);
    int result = 0;
    if (!snapshot.empty() && !SaveBackSurfaceBMP(snapshot, &error))
        result = ToolFail("view", snapshot, error);
    ClearWorld();
    FreeGameResources();
    CloseOffscreenView();
    return result;
}
