#include "GAMES/Rulo2/app/InstallApp.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CMoviePlayer.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/CharacterBars.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/ScreenResults.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/InstallBehaviour.h"
#include "GAMES/Rulo2/editor/EditorInstall.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/interface/CTutorial.h"
#include "GAMES/Rulo2/interface/InstallInterface.h"
#include "GAMES/Rulo2/navigation/GroundMap.h"
#include "GAMES/Rulo2/navigation/InstallNavigation.h"
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

void UpdateFade()
{
    FrameTimeMs = int32_t(GameClock.frameTime);
    if (IsGameView())
        Tutorial.Update();
    ScreenFade.Update();
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
    if (!GameModeFlag)
        RefillToolWindowsAfterLoad();
}

namespace {

void RefreshEditorAfterDrop()
{
    RecomputeWorldBounds();
    RefillToolWindowsAfterLoad();
}

} // namespace

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
    InstallNavigation();
    InstallInterface();
}

void InstallApp()
{
    AppHooks.initGame = InitGame;
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
    StepHooks.updateTutorialAndFade = UpdateFade;
    StepHooks.drawScreens = DrawScreens;
    StepHooks.drawModalScreens = DrawModalScreens;
    StepHooks.interfaceModal = InterfaceModal;
    StepHooks.runFadeCommand = RunFadeCommand;
    StepHooks.drawObjectOverlays = DrawCharacterBars;
    StepHooks.presentFrame = UpdateViewRect;
    RedrawGameFrame = RedrawFrame;

    DroppedFileHooks.loadWorld = LoadStartWorld;
    DroppedFileHooks.importModel = ImportModelFromProject;
    DroppedFileHooks.loadTexture = LoadDroppedTexture;
    DroppedFileHooks.refreshEditor = RefreshEditorAfterDrop;
}
