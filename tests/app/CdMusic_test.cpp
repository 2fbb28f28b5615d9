// The game's CD music: the configured track from the installation's music folder,
// its volume on the CD line, and the loop through the main window's end notice.
#include "GAMES/Rulo2/app/CCdAudio.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/sound/WaveReader.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

namespace {

std::string Track(uint32_t ms)
{
    std::vector<int16_t> s(size_t(22050) * ms / 1000);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(4000 * std::sin(double(i) * 0.02));
    return platform::WaveFileBytes(1, 22050, 16, s.data(), s.size() * 2);
}

class CdMusicTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("XDG_CONFIG_HOME", (dir.path / "config").c_str(), 1);
        std::snprintf(ProgramFolder, sizeof ProgramFolder, "%s", (dir.path / "inst").c_str());
        CdPath[0] = 0;
        AudioTrack = 3;
        CurrentTrack = -1;
        log = (dir.path / "log.txt").string();
        LogPrintfSetTarget(&logging, log.c_str());
        window = new CMainWindow();
        ASSERT_TRUE(window->CreateMainWindow());
        MainWindow = window;
    }
    void TearDown() override
    {
        CdMusic.Stop();
        if (window->IsWindow())
            window->DestroyWindow();
        delete window;
        MainWindow = nullptr;
        LogPrintfSetTarget(nullptr, "");
    }
    bool PumpUntil(const std::function<bool()>& condition, int ms = 5000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!condition() && std::chrono::steady_clock::now() < end)
            platform::WaitAndPumpMessages(10);
        return condition();
    }
    int Notices() const
    {
        std::ifstream in(log);
        const std::string text(std::istreambuf_iterator<char>(in), {});
        int n = 0;
        for (size_t p = text.find("MCI_NOTIFY"); p != std::string::npos; p = text.find("MCI_NOTIFY", p + 1))
            ++n;
        return n;
    }

    TempDir dir;
    std::string log;
    uint8_t logging = 1;
    CMainWindow* window = nullptr;
};

TEST_F(CdMusicTest, WithoutATrackNothingHappens)
{
    EXPECT_EQ(CdMusic.Open(InstallSourcePath), 1);
    CdMusic.PlayTrack(3);
    EXPECT_EQ(CdMusic.GetTrack(), -1);
    CdMusic.SetVolume(0);
    CdMusic.Replay();
    EXPECT_FALSE(CdMusic.device.IsPlaying());
}

TEST_F(CdMusicTest, PlaysTheConfiguredTrackOnceAndAgainAfterAStop)
{
    dir.Write("inst/music/track03.wav", Track(2000));
    ASSERT_EQ(CdMusic.Open(InstallSourcePath), 0);
    EXPECT_EQ(CdMusic.notifyWindow, window);
    EXPECT_EQ(CdMusic.pauseOptions, 3);
    CdMusic.PlayTrack(-1); // only gates the call
    EXPECT_EQ(CdMusic.GetTrack(), -1);
    CdMusic.PlayTrack(4); // the configured track plays, whatever is asked
    EXPECT_EQ(CdMusic.GetTrack(), 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    CdMusic.PlayTrack(4); // already current: it goes on
    EXPECT_GE(CdMusic.device.PositionMs(), 150u);
    CdMusic.StopPlayback();
    EXPECT_EQ(CdMusic.GetTrack(), -1);
    EXPECT_FALSE(CdMusic.device.IsPlaying());
    CdMusic.PlayTrack(4);
    EXPECT_LT(CdMusic.device.PositionMs(), 100u); // from the start again
    EXPECT_TRUE(CdMusic.device.IsPlaying());
}

TEST_F(CdMusicTest, VolumeZeroPausesAndFiftyGoesOnFromThere)
{
    dir.Write("inst/music/track03.wav", Track(2000));
    ASSERT_EQ(CdMusic.Open(InstallSourcePath), 0);
    CdMusic.SetVolume(150);
    EXPECT_EQ(CdMusic.lineVolume, 65535u);
    CdMusic.PlayTrack(3);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    CdMusic.SetVolume(0);
    EXPECT_EQ(CdMusic.paused, 1);
    EXPECT_FALSE(CdMusic.device.IsPlaying());
    const uint32_t at = CdMusic.savedPositionMs;
    EXPECT_GE(at, 200u);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    CdMusic.SetVolume(50);
    EXPECT_EQ(CdMusic.paused, 0);
    EXPECT_TRUE(CdMusic.device.IsPlaying());
    EXPECT_GE(CdMusic.device.PositionMs(), at);
    EXPECT_LT(CdMusic.device.PositionMs(), at + 100);
    EXPECT_NEAR(CdMusic.device.Volume(), 0.5f, 0.001f);
    CdMusic.SetVolume(-5);
    EXPECT_EQ(CdMusic.lineVolume, 0u);
}

TEST_F(CdMusicTest, TheEndOfTheTrackPlaysItAgainThroughTheNotice)
{
    dir.Write("inst/music/track03.wav", Track(300));
    ASSERT_EQ(CdMusic.Open(InstallSourcePath), 0);
    CdMusic.PlayTrack(3);
    ASSERT_TRUE(PumpUntil([&] { return Notices() >= 2; }));
    EXPECT_EQ(CdMusic.GetTrack(), 3);
    CdMusic.StopPlayback();
}

} // namespace
