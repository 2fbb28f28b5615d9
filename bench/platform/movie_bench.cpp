// Decoding a 640 x 480 MPEG-1 movie through the movie player's decoder (every
// frame converted to 32-bit pixels, unpaced), beside the ffmpeg command decoding
// the same file to nothing in the same run. Both report frames per second; the
// command's time includes starting the program.
#include "platform/movie/Movie.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFrames = 100;

const std::string& MovieFile()
{
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() /
                               ("varek_bench_movie_" + std::to_string(getpid()) + ".mpg"))
                                  .string();
        const std::string cmd =
            "ffmpeg -nostdin -y -loglevel error -f lavfi -i testsrc=size=640x480:rate=25:duration=4 "
            "-f lavfi -i sine=frequency=440:duration=4 -c:v mpeg1video -q:v 4 -c:a mp2 -f mpeg '" +
            p + "'";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "the ffmpeg command could not make the movie\n");
        return p;
    }();
    return path;
}

void MovieStreamDecode(benchmark::State& state)
{
    std::vector<uint32_t> pixels(640 * 480);
    int64_t frames = 0;
    for (auto _ : state) {
        platform::MovieStream m;
        if (!m.Open(MovieFile())) {
            state.SkipWithError("the movie cannot be opened");
            return;
        }
        while (m.DecodeFrame()) {
            m.CopyFrame(pixels.data(), 640 * 4, 32);
            ++frames;
        }
    }
    state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(MovieStreamDecode)->Unit(benchmark::kMillisecond);

void FfmpegCommandDecode(benchmark::State& state)
{
    const std::string cmd =
        "ffmpeg -nostdin -loglevel error -i '" + MovieFile() + "' -pix_fmt bgr0 -f null -";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0)
            state.SkipWithError("the ffmpeg command failed");
    state.counters["fps"] =
        benchmark::Counter(double(kFrames) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(FfmpegCommandDecode)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
