#include "GAMES/Rulo2/app/InstallApp.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CMoviePlayer.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/InstallBehaviour.h"
#include "GAMES/Rulo2/editor/EditorInstall.h"
#include "GAMES/Rulo2/navigation/GroundMap.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/render/EditorHelpers.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/InstallRender.h"
#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/Screenshot.h"
#include "GAMES/Rulo2/render/UiSurfaces.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/InstallWorld.h"
#include "GAMES/Rulo2/world/ModelImport.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

#include "LIBS/System/LogPrintf.h"
#include "platform/ui/Ui.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

bool LoadStartWorld(const char* path)
{
    return LoadWorld(path, LOADWORLD_OPEN);
}

// The eye of a view's pose: zoom away from the target, turned by yaw and pitch.
CVector EyeOf(const CCameraView& v)
{
    const float c = std::cos(v.pitch);
    return CVector(v.target[0], v.target[1], v.target[2]) +
           CVector(std::sin(v.yaw) * c, std::sin(v.pitch), std::cos(v.yaw) * c) * v.zoom;
}

void CameraStep()
{
    if (!IsGameView()) {
        const CCameraView& v = *CurrentView;
        ApplyViewTransform(EyeOf(v), CVector(v.target[0], v.target[1], v.target[2]));
        return;
    }
    // Without a hero to follow, the game view's own pose places the camera.
    const CCameraView& game = CameraViews[VIEW_GAME];
    GameViewRecord.position = CVector(game.target[0], game.target[1], game.target[2]);
    GameViewRecord.eye = EyeOf(game);
    SCameraInput input;
    input.frameTime = int32_t(GameClock.frameTime);
    input.mouseDX = Input.mouseDX;
    input.mouseDY = Input.mouseDY;
    input.leftButton = Input.leftButton;
    input.rightButton = Input.rightButton;
    input.zoomAccumulator = &Input.wheel;
    UpdateCameraInput(input);
    ViewDragFlag = input.viewDrag;
}

void CollectVisible()
{
    if (g_WorldRoot)
        CollectVisibleFrame(g_WorldRoot, true);
}

void DrawWorld()
{
    if (!g_WorldRoot)
        return;
    PassClock = GameClock.gameClock;
    PassOptions.lighting = LightingFlag;
    PassOptions.culling = CullingFlag;
    PassOptions.textures = TexturesFlag;
    PassOptions.dynamicLights = Settings.dynamicLights != 0;
    UpdateVisibleObjects(nullptr);
    DrawVisibleObjects(false);
    if (ShadowDisplayFlag && DX.DeviceShadowFlag)
        DrawShadowMaps();
    DrawTransparentAndFaded();
    if (PassOptions.lighting && LightFlaresFlag) {
        CTexture* flare = GameResourceTexture(393); // "Lightflare"
        for (SFlare& f : FlareList)
            DrawLightFlare(f.point, f.colour, flare ? flare->surface : nullptr);
    }
    if (PointedObject)
        DrawHighlight(PointedObject);
    if (!IsGameView()) {
        DrawEditorGrid();
        return;
    }
    DrawCharacterLabels(VisibleCharacters());
    DrawTextBubbles();
}

void UpdateFade()
{
    FrameTimeMs = int32_t(GameClock.frameTime);
    ScreenFade.Update();
}

const char* EditorViewName()
{
    static const char* const names[VIEW_COUNT] = {nullptr,      "Front View",        "Side View",
                                                  "Top View",   "Perspective View",  "World Ground View",
                                                  "Model View", "Model Ground View", "Object Editor"};
    return names[CurrentViewIndex()];
}

void DrawOverlays()
{
    SStatisticsInput input;
    input.statisticsOn = StatisticsFlag;
    input.frameRate = GameClock.frameRate;
    input.gameClock = GameClock.gameClock;
    input.gameSpeed = GameClock.gameSpeed;
    input.gamePhase = GamePhase;
    input.recordState = RecordState;
    input.viewName = EditorViewName();
    DrawStatistics(input);
}

// A dropped file that is neither a world nor a model: a texture named after the
// file; the texture object goes again when the file cannot be loaded.
bool LoadDroppedTexture(const char* path)
{
    const std::string name = std::filesystem::path(path).stem().string();
    auto* texture = new CTexture(name.c_str());
    if (texture->Load(path, false))
        return true;
    delete texture;
    return false;
}

bool RedrawFrame()
{
    return GameFrame();
}

void PauseOrResumeSounds(bool pause)
{
    if (pause)
        PauseAllSounds();
    else
        ResumeAllSounds();
}

// The sound listener follows the camera; the hero is the character the player
// controls, or the camera's look-at point while there is none.
void ListenAt(const CVector& position, const CVector& eye)
{
    if (SoundManager)
        SoundManager->update(eye, position, CurrentCharacter ? CurrentCharacter->position : position);
}

void UpdateSounds()
{
    ListenAt(GameViewRecord.position, GameViewRecord.eye);
}

} // namespace

void AfterWorldLoaded()
{
    CreateVertexBuffers();
    RecomputeWorldBounds();
}

// Each list is emptied by deleting its head until it is empty.
void DeleteAllTextures()
{
    while (CTexturePage* page = CTexturePage::First())
        delete page;
    while (CTexture* texture = CTexture::First())
        delete texture;
}

void InstallSubsystems()
{
    InstallWorld();
    InstallRender();
    InstallEditor();
    InstallApp();
    InstallBehaviour();
}

void InstallApp()
{
    FrameClockHooks.gameFrame = RunGameFrame;
    FrameClockHooks.clockHeld = GameClockHeld;
    FrameClockHooks.saveSnapshot = [] { SaveSnapshot(); };
    FrameClockHooks.destroyMainWindow = [] {
        if (MainWindow && MainWindow->IsWindow())
            MainWindow->DestroyWindow();
    };
    StepHooks.readMouse = ReadMouse;
    // Unanswered dialogs and the UI's other notes: standard error and the log.
    platform::ui::SetLog([](const char* line) {
        std::fprintf(stderr, "%s\n", line);
        LogPrintf("%s", line);
    });

    StepHooks.pauseSounds = PauseOrResumeSounds;
    StepHooks.updateSounds = UpdateSounds;
    CameraListener = ListenAt;
    InstallMovieHooks();
    StepHooks.updateCameraInput = CameraStep;
    StepHooks.sortObjects = CollectVisible;
    StepHooks.drawWorld = DrawWorld;
    StepHooks.updateTutorialAndFade = UpdateFade;
    StepHooks.drawWorldOverlays = DrawOverlays;
    StepHooks.presentFrame = UpdateViewRect;
    RedrawGameFrame = RedrawFrame;

    DroppedFileHooks.loadWorld = LoadStartWorld;
    DroppedFileHooks.importModel = ImportModelFromProject;
    DroppedFileHooks.loadTexture = LoadDroppedTexture;
    DroppedFileHooks.refreshEditor = RecomputeWorldBounds;
}
