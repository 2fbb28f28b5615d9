#include "GAMES/Rulo2/app/CMoviePlayer.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CGameSoundManager.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/WinPath.h"

#include <cstdio>
#include <filesystem>

CMoviePlayer MoviePlayer;
const char* const MovieFiles[10] = {"movie0.mpg", "movie1.mpg", "movie2.mpg", "movie3.mpg", "movie4.mpg",
                                    "movie5.mpg", "movie6.mpg", "movie7.mpg", "movie8.mpg", "movie9.mpg"};

namespace {

// The follow-up command of the fade after a movie: greet a new game.
constexpr int32_t FadeGreetNewGame = 4;

void SyncClockState()
{
    GameClock.movieState = MoviePlayer.state;
}

bool Present()
{
    if (!DX.primary || !DX.backSurface)
        return false;
    if (WindowedFlag)
        return DX.primary->Blt(nullptr, DX.backSurface, nullptr, DDBLT_WAIT, nullptr) == DD_OK;
    return DX.primary->Flip(nullptr, DDFLIP_WAIT) == DD_OK;
}

void StartWhiteFade(const float from[4], const float to[4])
{
    ScreenFade.Start(from, to, -1, false, 1);
    ScreenFade.followUp = FadeGreetNewGame;
}

} // namespace

CMoviePlayer::~CMoviePlayer()
{
    close();
}

bool CMoviePlayer::probe(IDirectDraw7* directDraw)
{
    return directDraw != nullptr;
}

bool CMoviePlayer::open(const char* file, IDirectDraw7* directDraw, IDirectDrawSurface7* targetSurface)
{
    close();
    if (!directDraw || !targetSurface || !stream.Open(file)) {
        if (!stream.Error().empty())
            LogPrintf("Movie: %s", stream.Error().c_str());
        return false;
    }
    state = Stopped;
    DDSURFACEDESC2 d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = uint32_t(stream.Width());
    d.dwHeight = uint32_t(stream.Height());
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.ddpfPixelFormat = D3DMakeRGBFormat(32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    if (FAILED(directDraw->CreateSurface(&d, &sample, nullptr)))
        sample = nullptr;
    sourceRect = RECT{0, 0, stream.Width(), stream.Height()};
    target = targetSurface;
    return true;
}

void CMoviePlayer::play()
{
    if (state == Closed)
        return;
    stream.Play();
    state = Playing;
}

void CMoviePlayer::stop()
{
    if (state == Closed)
        return;
    stream.Stop();
    state = Stopped;
}

void CMoviePlayer::rewind()
{
    if (state != Closed)
        stream.Rewind();
}

bool CMoviePlayer::renderFrame(const RECT& destination)
{
    if (state != Playing)
        return false;
    if (!stream.Update()) {
        state = Stopped;
        return false;
    }
    if (!sample || !target)
        return true;
    DDSURFACEDESC2 d;
    if (FAILED(sample->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr)))
        return true;
    stream.CopyFrame(d.lpSurface, d.lPitch, int(d.ddpfPixelFormat.dwRGBBitCount));
    sample->Unlock(nullptr);
    RECT dest = destination;
    target->Blt(&dest, sample, &sourceRect, DDBLT_WAIT, nullptr);
    return true;
}

void CMoviePlayer::close()
{
    if (sample)
        sample->Release();
    sample = nullptr;
    target = nullptr;
    stream.Close();
    state = Closed;
}

bool PlayMovie(int32_t index)
{
    if (index < 0 || index > 9)
        return false;
    char path[1024];
    std::snprintf(path, sizeof path, "%s\\movies\\%s", ProgramFolder, MovieFiles[index]);
    std::filesystem::path file = platform::ResolvePath(path);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec) && CdPath[0]) {
        std::snprintf(path, sizeof path, "%s\\movies\\%s", CdPath, MovieFiles[index]);
        file = platform::ResolvePath(path);
    }
    if (!std::filesystem::exists(file, ec) || !GameModeFlag)
        return false;
    if (!MoviePlayer.open(file.string().c_str(), DX.directDraw, DX.backSurface))
        return false;
    PauseAllSounds();
    MoviePlayer.rewind();
    MoviePlayer.play();
    SyncClockState();
    platform::ShowCursor(false);
    return true;
}

void StopMovie()
{
    if (GameModeFlag && MoviePlayer.state == CMoviePlayer::Playing) {
        MoviePlayer.stop();
        SyncClockState();
    }
}

void ResumeMovie()
{
    if (GameModeFlag && MoviePlayer.state == CMoviePlayer::Stopped) {
        MoviePlayer.play();
        SyncClockState();
    }
}

bool DrawMovieFrame()
{
    // The whole back buffer shows the movie, then the frame is presented.
    const RECT whole{0, 0, DX.screenWidth, DX.screenHeight};
    const bool goesOn = MoviePlayer.renderFrame(whole);
    if (goesOn)
        Present();
    SyncClockState();
    return goesOn;
}

void MovieEnded()
{
    static const float white[4] = {1, 1, 1, 1};
    static const float clear[4] = {1, 1, 1, 0};
    StartWhiteFade(white, clear);
    MoviePlayer.close();
    SyncClockState();
    ResumeAllSounds();
    platform::ShowCursor(true);
}

void SkipMovie()
{
    // The end of the movie, then the closing sequence, then a second fade.
    MovieEnded();
    if (BurglaryLevel == FinalLevel + 1) {
        BurglaryLevel = FinalLevel + 2;
        PlayMovie(9);
    } else if (BurglaryLevel > FinalLevel + 1) {
        if (MainWindow && MainWindow->IsWindow())
            MainWindow->DestroyWindow();
    }
    static const float second[4] = {1, 1, 0, 0};
    static const float clear[4] = {1, 1, 1, 0};
    StartWhiteFade(second, clear);
    Input.menuKey = 0;
    MovieSequenceFlag = 0;
}

void InstallMovieHooks()
{
    FrameClockHooks.drawMovieFrame = DrawMovieFrame;
    FrameClockHooks.movieEnded = MovieEnded;
    FrameClockHooks.playMovie = [](int32_t number) { PlayMovie(number); };
}
