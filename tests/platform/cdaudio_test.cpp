// The CD audio device on music files, played through OpenAL Soft's null output.
#include "platform/cdaudio/CdAudio.h"
#include "platform/sound/WaveReader.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

using namespace platform;

namespace {

class NoticeWindow : public Window
{
public:
    std::vector<Message> notices;
    LRESULT WindowProc(const Message& msg) override
    {
        if (msg.message == MM_MCINOTIFY)
            notices.push_back(msg);
        return DefWindowProc(msg);
    }
};

std::string Track(uint32_t ms)
{
    std::vector<int16_t> s(size_t(22050) * ms / 1000 * 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(5000 * std::sin(double(i / 2) * 0.03));
    return WaveFileBytes(2, 22050, 16, s.data(), s.size() * 2);
}

class CdAudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WindowDesc desc;
        desc.width = 64;
        desc.height = 64;
        desc.visible = false;
        ASSERT_TRUE(window.Create(desc));
    }
    void TearDown() override
    {
        cd.Close();
        window.DestroyWindow();
    }

    // Delivers window messages until the condition holds (at most 5 s).
    bool PumpUntil(const std::function<bool()>& condition)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!condition() && std::chrono::steady_clock::now() < end)
            WaitAndPumpMessages(10);
        return condition();
    }

    TempDir install, cdFolder;
    NoticeWindow window;
    CdAudio cd;
};

TEST_F(CdAudioTest, TracksAreFoundInTheFoldersInOrder)
{
    EXPECT_FALSE(cd.Open({install.path, cdFolder.path}));
    EXPECT_FALSE(cd.IsOpen());
    EXPECT_FALSE(cd.Play(3, 0, nullptr));
    cdFolder.Write("Music/TRACK03.wav", Track(400));
    cdFolder.Write("Music/track05.wav", Track(100));
    install.Write("music/track05.wav", Track(300));
    install.Write("music/notes.txt", "not a track");
    ASSERT_TRUE(cd.Open({install.path, cdFolder.path}));
    EXPECT_EQ(cd.DeviceId(), 1);
    EXPECT_EQ(cd.TrackCount(), 5);
    EXPECT_EQ(cd.TrackFile(5), install.path / "music" / "track05.wav"); // the installation first
    EXPECT_NEAR(double(cd.TrackLengthMs(3)), 400.0, 30.0);
    EXPECT_EQ(cd.TrackLengthMs(4), 0u);
    EXPECT_FALSE(cd.Play(4, 0, nullptr));
}

TEST_F(CdAudioTest, TheEndOfATrackPostsTheNotice)
{
    install.Write("music/track03.wav", Track(300));
    ASSERT_TRUE(cd.Open({install.path}));
    cd.SetVolume(1.5f);
    EXPECT_EQ(cd.Volume(), 1.0f);
    ASSERT_TRUE(cd.Play(3, 0, &window));
    EXPECT_EQ(cd.Track(), 3);
    EXPECT_TRUE(cd.IsPlaying());
    ASSERT_TRUE(PumpUntil([&] { return !window.notices.empty(); }));
    EXPECT_EQ(window.notices[0].wParam, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(window.notices[0].lParam, LPARAM(1));
    EXPECT_FALSE(cd.IsPlaying());
    EXPECT_NEAR(double(cd.PositionMs()), 300.0, 30.0);

    // Stopped, it tells nobody.
    window.notices.clear();
    ASSERT_TRUE(cd.Play(3, 0, &window));
    cd.Stop();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    PumpUntil([&] { return std::chrono::steady_clock::now() > until; });
    EXPECT_TRUE(window.notices.empty());
}

TEST_F(CdAudioTest, PauseAndPlayOnFromAPosition)
{
    install.Write("music/track03.wav", Track(6000));
    ASSERT_TRUE(cd.Open({install.path}));
    ASSERT_TRUE(cd.Play(3, 0, &window));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cd.Pause();
    const uint32_t at = cd.PositionMs();
    EXPECT_GT(at, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(cd.PositionMs(), at);
    EXPECT_FALSE(cd.IsPlaying());
    cd.Resume();
    EXPECT_TRUE(cd.IsPlaying());
    cd.Stop();
    const uint32_t stopped = cd.PositionMs();
    EXPECT_GE(stopped, at);
    // Playing on from a position starts there: the rest of the track is what is left.
    window.notices.clear();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(cd.Play(3, 5800, &window));
    EXPECT_GE(cd.PositionMs(), 5800u);
    ASSERT_TRUE(PumpUntil([&] { return !window.notices.empty(); }));
    // 200 ms are left; a play from the start would take the whole 6000 ms in real time, so the bound
    // leaves seconds of room for a loaded machine without letting that fault pass.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4000));
}

TEST_F(CdAudioTest, OtherFormatsThroughFfmpeg)
{
    const std::string target = (install.path / "music" / "track02.ogg").string();
    std::filesystem::create_directories(install.path / "music");
    const std::string cmd = "ffmpeg -nostdin -y -loglevel error -f lavfi -i sine=frequency=300:duration=0.4 "
                            "-c:a libvorbis '" +
                            target + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "the ffmpeg command makes the test's music";
    ASSERT_TRUE(cd.Open({install.path}));
    EXPECT_NEAR(double(cd.TrackLengthMs(2)), 400.0, 50.0);
    ASSERT_TRUE(cd.Play(2, 0, &window));
    EXPECT_TRUE(PumpUntil([&] { return !window.notices.empty(); }));
}

} // namespace
