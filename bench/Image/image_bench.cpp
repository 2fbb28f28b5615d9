// A 1024 x 1024 picture converted between 32 and 16 bits and resized, against
// ImageMagick's convert doing the same jobs in the same run (its times
// include starting the program and reading and writing the raw files; the
// "copy" job measures that part alone).
#include "LIBS/Image/imgImage.h"
#include "LIBS/Image/imgQuantize.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSize = 1024;

void fillPicture(imgImage& img)
{
    img.allocate(kSize, kSize, FMT_BGRA_8888, ORIGIN_TOP_LEFT);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            uint8_t* p = img.pixels + (size_t(y) * kSize + x) * 4;
            p[0] = uint8_t(x ^ y);
            p[1] = uint8_t(x + y);
            p[2] = uint8_t(x * 3);
            p[3] = uint8_t(255 - y / 4);
        }
}

const std::string& rawInput()
{
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() /
                               ("varek_bench_image_" + std::to_string(getpid()) + ".rgba"))
                                  .string();
        imgImage img;
        fillPicture(img);
        img.convertTo(FMT_ARGB_8888, ORIGIN_TOP_LEFT);
        std::vector<uint8_t> rgba(img.imageSize);
        for (size_t i = 0; i < size_t(kSize) * kSize; ++i) {
            rgba[i * 4] = img.pixels[i * 4 + 1];
            rgba[i * 4 + 1] = img.pixels[i * 4 + 2];
            rgba[i * 4 + 2] = img.pixels[i * 4 + 3];
            rgba[i * 4 + 3] = img.pixels[i * 4];
        }
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(rgba.data()), std::streamsize(rgba.size()));
        return p;
    }();
    return path;
}

void BM_Library_32To16(benchmark::State& state)
{
    imgImage source;
    fillPicture(source);
    const int dither = int(state.range(0));
    for (auto _ : state) {
        imgImage img;
        img.copy(source);
        img.convertTo(FMT_RGB_565, ORIGIN_TOP_LEFT, dither);
        benchmark::DoNotOptimize(img.pixels);
    }
}
BENCHMARK(BM_Library_32To16)
    ->Arg(DITHER_NONE)
    ->Arg(DITHER_ORDERED)
    ->Arg(DITHER_DIFFUSION)
    ->Unit(benchmark::kMillisecond);

void BM_Library_16To32(benchmark::State& state)
{
    imgImage source;
    fillPicture(source);
    source.convertTo(FMT_RGB_565, ORIGIN_TOP_LEFT);
    for (auto _ : state) {
        imgImage img;
        img.copy(source);
        img.convertTo(FMT_BGRA_8888, ORIGIN_TOP_LEFT);
        benchmark::DoNotOptimize(img.pixels);
    }
}
BENCHMARK(BM_Library_16To32)->Unit(benchmark::kMillisecond);

void BM_Library_ResizeHalf(benchmark::State& state)
{
    imgImage source;
    fillPicture(source);
    for (auto _ : state) {
        imgImage img;
        img.copy(source);
        img.resize(kSize / 2, kSize / 2, int(state.range(0)));
        benchmark::DoNotOptimize(img.pixels);
    }
}
BENCHMARK(BM_Library_ResizeHalf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void runConvert(benchmark::State& state, const std::string& job)
{
    const std::string out = rawInput() + ".out";
    const std::string cmd =
        "convert -size 1024x1024 -depth 8 rgba:'" + rawInput() + "' " + job + " >/dev/null 2>&1";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("ImageMagick's convert is not available");
            break;
        }
    std::remove(out.c_str());
}

void BM_ImageMagick_Copy(benchmark::State& state)
{
    runConvert(state, "rgba:'" + rawInput() + ".out'");
}
BENCHMARK(BM_ImageMagick_Copy)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ImageMagick_32To16(benchmark::State& state)
{
    runConvert(state, "-define bmp:subtype=RGB565 bmp:'" + rawInput() + ".out'");
}
BENCHMARK(BM_ImageMagick_32To16)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ImageMagick_ResizeHalf(benchmark::State& state)
{
    runConvert(state, "-resize 512x512 rgba:'" + rawInput() + ".out'");
}
BENCHMARK(BM_ImageMagick_ResizeHalf)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(rawInput().c_str());
    return 0;
}
