// varek-tool view FILE [--frames N] [--snapshot OUT.bmp] [--input SCRIPT]   (also: varek-tool world view ...)
// Loads a world as the game does (device, subsystems, the game's resources with the
// sun, then the world), starts the game view as the game does on the hero (the character
// running the "Hero" task, else the first one; or on the world's centre) and draws frames
// off-screen through the game's own frame function; the last one can be written as a BMP
// picture, its path taken from the current folder. An input script's mouse and key lines steer the camera as
// they steer the game's: they reach the game's own window handlers.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "platform/input/Mouse.h"
#include "platform/resources/Resources.h"
#include "platform/win/InputScript.h"
#include "tools/varek-tool/ToolFiles.h"

namespace {

int ViewUsage()
{
    std::fprintf(stderr,
                 "usage: varek-tool view FILE [--frames N] [--snapshot OUT.bmp] [--input SCRIPT]   (N "
                 "frames off-screen; 1 unless given, or up to the script's last frame)\n");
    return 1;
}

// The first placed character, with `hero` the first whose task list runs the "Hero" task, the
// task that makes a character the hero when a game starts. Placed objects get their own logic
// only when a game starts, so their definitions' logic tells, save a list of their own.
CWorldObject* FirstCharacter(CWorldObject* first, bool hero)
{
    const int32_t heroTask = TaskTypeByName("Hero");
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        const CObjectNode* definition =
            n->objectKind == CWorldObject::KIND_OBJECT ? n->Definition() : nullptr;
        const CObjectLogic* kind = definition ? definition->objectLogic : n->objectLogic;
        if (kind && kind->IsCharacter()) {
            const CObjectLogic* own = n->objectLogic && n->objectLogic->ownTaskList ? n->objectLogic : kind;
            const CTaskList* list = own->ownTaskList.get();
            if (!hero ||
                (list && std::any_of(list->tasks.begin(), list->tasks.end(),
                                     [heroTask](const auto& item) { return item->taskType == heroTask; })))
                return n;
        }
        if (CWorldObject* c = FirstCharacter(n->FirstObject(), hero))
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

// A hidden window that hands the script's mouse and camera keys to the game window's own
// handlers, as the game view gets them; it never paints, and closing it writes no settings.
class ViewInputWindow : public CMainWindow
{
public:
    platform::LRESULT WindowProc(const platform::Message& msg) override
    {
        using namespace platform;
        switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MOUSEWHEEL:
            return CMainWindow::WindowProc(msg);
        case WM_KEYDOWN:
        case WM_KEYUP:
            // Space is the game view's camera key; the others open screens the tool has not.
            if (msg.wParam == WPARAM(VK_SPACE))
                return CMainWindow::WindowProc(msg);
            return 0;
        default:
            return DefWindowProc(msg);
        }
    }
};

// The script's input for the camera: the window that takes it and the game's mouse device.
struct ViewInput
{
    platform::InputScript script;
    ViewInputWindow window;
    bool Open(int width, int height, std::string& error)
    {
        platform::WindowDesc desc;
        desc.title = "varek-tool view";
        desc.width = width;
        desc.height = height;
        desc.visible = false;
        if (!window.Create(desc)) {
            error = "no window for the input could be made";
            return false;
        }
        MouseInputDevice = new platform::MouseDevice();
        if (MouseInputDevice->Create() != platform::DI_OK ||
            MouseInputDevice->SetCooperativeLevel(
                &window, platform::DISCL_NONEXCLUSIVE | platform::DISCL_BACKGROUND) != platform::DI_OK) {
            error = "no mouse device for the input could be made";
            return false;
        }
        MouseInputDevice->Acquire();
        return true;
    }
    ~ViewInput()
    {
        if (MouseInputDevice) {
            MouseInputDevice->Release();
            delete MouseInputDevice;
            MouseInputDevice = nullptr;
        }
        if (window.IsWindow())
            window.DestroyWindow();
    }
};

} // namespace

int cmd_view(int argc, char** argv)
{
    if (argc < 2)
        return ViewUsage();
    const std::string path = argv[1];
    int frames = 0;
    std::string snapshot, inputPath;
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
        } else if (std::strcmp(argv[i], "--input") == 0 && i + 1 < argc) {
            inputPath = argv[++i];
        } else {
            std::fprintf(stderr, "varek-tool view: unknown switch '%s'\n", argv[i]);
            return ViewUsage();
        }
    }
    // A bad script line ends the command before anything is drawn.
    std::unique_ptr<ViewInput> input;
    if (!inputPath.empty()) {
        input = std::make_unique<ViewInput>();
        std::string error;
        if (!input->script.Load(inputPath, error)) {
            std::fprintf(stderr, "varek-tool view: %s\n", error.c_str());
            return 1;
        }
        if (frames == 0)
            frames = int(std::max<int32_t>(input->script.LastFrame() + 1, 1));
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

    // The tool runs no tasks: the character the "Hero" task would choose, else the first one.
    Hero = FirstCharacter(g_WorldRoot->FirstObject(), true);
    if (!Hero)
        Hero = FirstCharacter(g_WorldRoot->FirstObject(), false);
    SelectView(VIEW_GAME);
    GameCamera.Reset();
    PlaceGameViewAtStart(Hero);
    if (input && !input->Open(640, 480, error)) {
        input.reset();
        Hero = nullptr;
        ClearWorld();
        FreeGameResources();
        CloseOffscreenView();
        return ToolFail("view", inputPath, error);
    }

    SFrameTimes times;
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f) {
        // The frame counter the window's handlers stamp presses with, as in the game step.
        ++GameStepFrame;
        if (input) {
            input->script.RunBeforeFrame(f);
            platform::PumpMessages();
            float dx = 0, dy = 0;
            if (ReadMouse(&dx, &dy)) {
                Input.mouseDX = dx;
                Input.mouseDY = dy;
            }
        }
        // The fixed step's clocks: 40 ms a frame.
        GameClock.frameTime = uint32_t(40 * (f + 1));
        GameClock.gameClock = 40 * (f + 1);
        SWorldFrame frame = ShellWorldFrame(true);
        RenderWorldFrame(frame, &times);
        Input.mouseMoveHandled = 0;
        ApplyDeferredButtonReleases(Input, GameStepFrame);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %d frames, %d visible entries, %.1f frames/s\n", path.c_str(), frames,
                int(VisibleObjects.size()), seconds > 0 ? frames / seconds : 0.0);
    int result = 0;
    if (!snapshot.empty() && !SaveBackSurfaceBMP(snapshot, &error))
        result = ToolFail("view", snapshot, error);
    input.reset();
    Hero = nullptr;
    ClearWorld();
    FreeGameResources();
    CloseOffscreenView();
    return result;
}
