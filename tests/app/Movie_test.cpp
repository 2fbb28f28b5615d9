// Movies by number through the frame loop and the main window, on a movie made
// with the ffmpeg command.
#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Enumerate.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CMoviePlayer.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/render/CScreenFade.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace platform;

namespace {

class MovieTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        movies = new TempDir();
        std::filesystem::create_directories(movies->path / "movies");
        const std::string cmd =
            "ffmpeg -nostdin -y -loglevel error -f lavfi -i testsrc=size=160x120:rate=25:duration=0.4 -f "
            "lavfi -i "
            "sine=frequency=440:sample_rate=22050:duration=0.4 -c:v mpeg1video -c:a mp2 -f mpeg '" +
            (movies->path / "movies" / "movie0.mpg").string() + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << "the ffmpeg command makes the test movie";
        std::filesystem::copy_file(movies->path / "movies" / "movie0.mpg",
                                   movies->path / "movies" / "movie9.mpg");
    }
    static void TearDownTestSuite()
    {
        delete movies;
        movies = nullptr;
    }

    void SetUp() override
    {
        ::setenv("XDG_CONFIG_HOME", (movies->path / "config").c_str(), 1);
        std::snprintf(ProgramFolder, sizeof ProgramFolder, "%s", movies->path.c_str());
        CdPath[0] = 0;
        GameModeFlag = 1;
        WindowedFlag = 1;
        GameClock = GameClockState();
        SelectView(VIEW_GAME);
        InstallSubsystems();
        window = new CMainWindow();
        ASSERT_TRUE(window->CreateMainWindow());
        MainWindow = window;
        DX.mainWindow = window;
        ASSERT_TRUE(EnumerateDrivers() && InitDirectX());
        ScreenFade = CScreenFade();
    }
    void TearDown() override
    {
        MoviePlayer.close();
        GameClock.movieState = 0;
        ReleaseDirectX();
        ShutdownDirectDraw();
        FreeDriverList();
        DX.mainWindow = nullptr;
        if (window->IsWindow())
            window->DestroyWindow();
        delete window;
        MainWindow = nullptr;
    }

    static TempDir* movies;
    CMainWindow* window = nullptr;
};
TempDir* MovieTest::movies = nullptr;

TEST_F(MovieTest, NumbersOutsideTheTableFailWithoutTouchingThePlayer)
{
    EXPECT_FALSE(PlayMovie(10));
    EXPECT_FALSE(PlayMovie(-1));
    EXPECT_FALSE(PlayMovie(3)); // no such file
    EXPECT_EQ(MoviePlayer.state, CMoviePlayer::Closed);
    GameModeFlag = 0;
    EXPECT_FALSE(PlayMovie(0)); // the editor plays none
    GameModeFlag = 1;
}

TEST_F(MovieTest, TheEndStartsAWhiteFadeAndShowsTheCursor)
{
    const int shown = ShowCursor(true);
    ShowCursor(false);
    ASSERT_TRUE(PlayMovie(0));
    EXPECT_EQ(GameClock.movieState, MoviePlaying);
    EXPECT_EQ(ShowCursor(true), shown - 1); // the movie hid it
    ShowCursor(false);
    int frames = 0;
    while (GameClock.movieState == MoviePlaying && frames < 100) {
        FrameClockIdle(GameClock, FrameClockHooks);
        ++frames;
    }
    EXPECT_GE(frames, 10); // ten frames drawn, then the end
    EXPECT_LE(frames, 12);
    EXPECT_EQ(MoviePlayer.state, CMoviePlayer::Closed);
    EXPECT_EQ(ScreenFade.followUp, 4);
    EXPECT_EQ(ScreenFade.from[0], 1.0f);
    EXPECT_EQ(ScreenFade.from[3], 1.0f);
    EXPECT_EQ(ScreenFade.to[3], 0.0f);
    EXPECT_EQ(ShowCursor(true), shown); // shown again
    ShowCursor(false);
}

TEST_F(MovieTest, EscSkipsAndDeactivationStopsTheMovie)
{
    ASSERT_TRUE(PlayMovie(0));
    window->SendMessage(WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(MoviePlayer.state, CMoviePlayer::Stopped);
    window->SendMessage(WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(MoviePlayer.state, CMoviePlayer::Playing);
    window->SendMessage(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(MoviePlayer.state, CMoviePlayer::Playing); // only Esc acts
    MovieSequenceFlag = 1;
    window->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(MoviePlayer.state, CMoviePlayer::Closed);
    EXPECT_EQ(GameClock.movieState, 0);
    EXPECT_EQ(ScreenFade.followUp, 4);
    EXPECT_EQ(Input.menuKey, 0);
    EXPECT_EQ(MovieSequenceFlag, 0);

    // After the last level the end of a movie plays the closing movie.
    BurglaryLevel = FinalLevel + 1;
    ASSERT_TRUE(PlayMovie(0));
    window->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(BurglaryLevel, FinalLevel + 2);
    EXPECT_EQ(MoviePlayer.state, CMoviePlayer::Playing);
    ShowCursor(true);
}

} // namespace
