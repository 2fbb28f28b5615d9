// Importing a generated mesh of 200,000 triangles as OBJ and as text .x,
// against reading the same files line by line in the same run. MB/s is the
// bytes-per-second figure of each.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "GAMES/Rulo2/editor/import/ObjImport.h"
#include "GAMES/Rulo2/editor/import/XImport.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "platform/files/Files.h"

namespace {

namespace fs = std::filesystem;

// 20 meshes of 10,000 triangles in a strip of 10,002 points each: every OBJ
// corner becomes a vertex of its own, so one mesh stays within 16-bit indices.
constexpr int kMeshes = 20;
constexpr int kTriangles = 10000;

std::string Number(float v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", v);
    return text;
}

std::string MakeObj()
{
    std::string out;
    for (int m = 0; m < kMeshes; ++m) {
        const int base = m * (kTriangles + 2);
        for (int i = 0; i < kTriangles + 2; ++i) {
            const float x = float(i / 2), y = float(i % 2), z = float(m);
            out += "v " + Number(x) + " " + Number(y) + " " + Number(z) + "\n";
            out += "vt " + Number(x / kTriangles) + " " + Number(y) + "\n";
            out += "vn 0.000000 0.000000 1.000000\n";
        }
        out += "g strip" + std::to_string(m) + "\n";
        for (int t = 0; t < kTriangles; ++t) {
            out += "f";
            for (int c = 0; c < 3; ++c) {
                const std::string k = std::to_string(base + t + c + 1);
                out += " " + k + "/" + k + "/" + k;
            }
            out += "\n";
        }
    }
    return out;
}

std::string MakeX()
{
    std::string out = "xof 0303txt 0032\nFrame Strips {\n";
    for (int m = 0; m < kMeshes; ++m) {
        const int points = kTriangles + 2;
        out += " Mesh strip" + std::to_string(m) + " {\n  " + std::to_string(points) + ";\n";
        for (int i = 0; i < points; ++i)
            out += "  " + Number(float(i / 2)) + ";" + Number(float(i % 2)) + ";" + Number(float(m)) +
                   (i + 1 < points ? ";,\n" : ";;\n");
        out += "  " + std::to_string(kTriangles) + ";\n";
        for (int t = 0; t < kTriangles; ++t)
            out += "  3;" + std::to_string(t) + "," + std::to_string(t + 1) + "," + std::to_string(t + 2) +
                   (t + 1 < kTriangles ? ";,\n" : ";;\n");
        out += "  MeshNormals {\n   " + std::to_string(points) + ";\n";
        for (int i = 0; i < points; ++i)
            out += std::string("   0.000000;0.000000;1.000000") + (i + 1 < points ? ";,\n" : ";;\n");
        out += "   " + std::to_string(kTriangles) + ";\n";
        for (int t = 0; t < kTriangles; ++t)
            out += "   3;" + std::to_string(t) + "," + std::to_string(t + 1) + "," + std::to_string(t + 2) +
                   (t + 1 < kTriangles ? ";,\n" : ";;\n");
        out += "  }\n  MeshTextureCoords {\n   " + std::to_string(points) + ";\n";
        for (int i = 0; i < points; ++i)
            out += "   " + Number(float(i / 2) / kTriangles) + ";" + Number(float(i % 2)) +
                   (i + 1 < points ? ";,\n" : ";;\n");
        out += "  }\n }\n";
    }
    return out + "}\n";
}

const std::string& FilePath(bool x)
{
    static const std::string dir = [] {
        const fs::path d = fs::temp_directory_path() / ("varek_bench_import_" + std::to_string(::getpid()));
        fs::create_directories(d);
        std::ofstream(d / "strips.obj", std::ios::binary) << MakeObj();
        std::ofstream(d / "strips.x", std::ios::binary) << MakeX();
        return d.string();
    }();
    static const std::string obj = dir + "/strips.obj", xfile = dir + "/strips.x";
    return x ? xfile : obj;
}

void ReadLines(benchmark::State& state, bool x)
{
    const std::string& path = FilePath(x);
    size_t bytes = 0;
    for (auto _ : state) {
        std::ifstream in(path);
        size_t lines = 0;
        for (std::string line; std::getline(in, line);)
            ++lines;
        benchmark::DoNotOptimize(lines);
        bytes += fs::file_size(path);
    }
    state.SetBytesProcessed(int64_t(bytes));
}

void BM_ReadObjLines(benchmark::State& state)
{
    ReadLines(state, false);
}

void BM_ReadXLines(benchmark::State& state)
{
    ReadLines(state, true);
}

void BM_ImportObj(benchmark::State& state)
{
    const std::string& path = FilePath(false);
    size_t bytes = 0;
    uint32_t triangles = 0;
    for (auto _ : state) {
        std::string text;
        platform::ReadTextFile(path, text);
        CRootNode root;
        ImportObjText(text, root, path.c_str());
        triangles = root.triangleCount;
        bytes += text.size();
    }
    state.counters["triangles"] = triangles;
    state.SetBytesProcessed(int64_t(bytes));
}

void BM_ImportX(benchmark::State& state)
{
    const std::string& path = FilePath(true);
    size_t bytes = 0;
    uint32_t triangles = 0;
    for (auto _ : state) {
        std::string data;
        platform::ReadFile(path, data);
        CRootNode root;
        LoadXFileBytes(data, root, path.c_str());
        triangles = root.triangleCount;
        bytes += data.size();
    }
    state.counters["triangles"] = triangles;
    state.SetBytesProcessed(int64_t(bytes));
}

BENCHMARK(BM_ReadObjLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportObj)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadXLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportX)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
