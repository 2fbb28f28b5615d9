// Movie playback on movies made with the ffmpeg command, compared with the
// command's own decode.
#include "platform/movie/Movie.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace platform;

namespace {

// 2 s of the test picture at 25 frames per second with a tone, as MPEG-1 in an MPEG stream.
std::string MakeMovie(const TempDir& dir)
{
    const std::string file = (dir.path / "movie.mpg").string();
    const std::string cmd =
        "ffmpeg -nostdin -y -loglevel error -f lavfi -i testsrc=size=320x240:rate=25:duration=2 "
        "-f lavfi -i sine=frequency=440:sample_rate=22050:duration=2 -c:v mpeg1video -q:v 3 "
        "-c:a mp2 -f mpeg '" +
        file + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << "the ffmpeg command makes the test movie";
    return file;
}

TEST(MovieStream, FramesMatchTheReferenceDecodeAndTheLastFrameComes)
{
    TempDir dir;
    const std::string file = MakeMovie(dir);
    const std::string raw = (dir.path / "frame25.raw").string();
    const std::string cmd = "ffmpeg -nostdin -y -loglevel error -i '" + file +
                            "' -vf 'select=eq(n\\,24)' -frames:v 1 -pix_fmt bgr0 -f rawvideo '" + raw + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream in(raw, std::ios::binary);
    const std::string reference(std::istreambuf_iterator<char>(in), {});
    ASSERT_EQ(reference.size(), 320u * 240u * 4u);

    MovieStream m;
    ASSERT_TRUE(m.Open(file)) << m.Error();
    EXPECT_EQ(m.Width(), 320);
    EXPECT_EQ(m.Height(), 240);
    std::vector<uint32_t> pixels(320 * 240);
    for (int i = 0; i < 25; ++i)
        ASSERT_TRUE(m.DecodeFrame()) << i;
    EXPECT_EQ(m.FrameTimeMs(), 960);
    ASSERT_TRUE(m.CopyFrame(pixels.data(), 320 * 4, 32));
    int differ = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t ref;
        std::memcpy(&ref, reference.data() + i * 4, 4);
        if ((pixels[i] & 0xFFFFFF) != (ref & 0xFFFFFF))
            ++differ;
    }
    EXPECT_EQ(differ, 0);
    std::vector<uint16_t> small(320 * 240);
    EXPECT_TRUE(m.CopyFrame(small.data(), 320 * 2, 16));
    EXPECT_FALSE(m.CopyFrame(small.data(), 320 * 2, 24));

    int frames = 25;
    while (m.DecodeFrame())
        ++frames;
    EXPECT_EQ(frames, 50); // the decoder's held frame comes out at the end
    EXPECT_FALSE(m.DecodeFrame());
    ASSERT_TRUE(m.Rewind());
    ASSERT_TRUE(m.DecodeFrame());
    EXPECT_EQ(m.FrameTimeMs(), 0);

    MovieStream missing;
    EXPECT_FALSE(missing.Open((dir.path / "none.mpg").string()));
    EXPECT_NE(missing.Error().find("none.mpg: "), std::string::npos);
    dir.Write("text.mpg", "not a movie at all");
    EXPECT_FALSE(missing.Open((dir.path / "text.mpg").string()));
}

TEST(MovieStream, PlaybackIsPacedByPresentationTime)
{
    TempDir dir;
    const std::string file = MakeMovie(dir);
    MovieStream m;
    ASSERT_TRUE(m.Open(file)) << m.Error();
    m.Play();
    EXPECT_TRUE(m.IsPlaying());
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 11; ++i)
        ASSERT_TRUE(m.Update());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(395));
    m.Stop();
    EXPECT_FALSE(m.IsPlaying());
}

} // namespace
