// The packer's pack and unpack throughput against zlib at level 1 on the
// same inputs, in one run. Counters: ratio = packed size / input size.

#include "LIBS/System/sPack.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Dialog-like text: words from a small vocabulary with keys and numbers.
Bytes MakeText(size_t n)
{
    static const char* kWords[] = {"the",    "guard", "door",   "window", "locker", "alarm", "plan",
                                   "night",  "car",   "street", "key",    "safe",   "cash",  "opens",
                                   "closes", "walks", "checks", "sensor", "floor",  "house", "and"};
    std::mt19937 rng(1);
    std::string s;
    while (s.size() < n) {
        if (rng() % 12 == 0)
            s += "\nMENU_OP_" + std::to_string(rng() % 500) + " = \"";
        s += kWords[rng() % (sizeof kWords / sizeof *kWords)];
        s += rng() % 9 == 0 ? ", " : " ";
    }
    s.resize(n);
    return Bytes(s.begin(), s.end());
}

// Model-like binary: float vertex records with smooth values and some noise.
Bytes MakeBinary(size_t n)
{
    std::mt19937 rng(2);
    Bytes b;
    b.reserve(n + 40);
    for (int i = 0; b.size() < n; ++i) {
        const float rec[10] = {float(i % 64) * 0.25f,
                               float(i / 64) * 0.25f,
                               0.0f,
                               0.0f,
                               1.0f,
                               0.0f,
                               float(i % 64) / 64.0f,
                               float(i / 64 % 64) / 64.0f,
                               float(rng() % 1000) / 1000.0f,
                               0.5f};
        const uint8_t* p = reinterpret_cast<const uint8_t*>(rec);
        b.insert(b.end(), p, p + sizeof rec);
    }
    b.resize(n);
    return b;
}

const Bytes& Input(int kind)
{
    static const Bytes text = MakeText(1 << 20);
    static const Bytes binary = MakeBinary(1 << 20);
    return kind == 0 ? text : binary;
}

void Label(benchmark::State& state, size_t packed)
{
    const Bytes& in = Input(int(state.range(0)));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
    state.counters["ratio"] = double(packed) / double(in.size());
    state.SetLabel(state.range(0) == 0 ? "text" : "binary");
}

void BM_PackerPack(benchmark::State& state)
{
    const Bytes& in = Input(int(state.range(0)));
    Bytes out(sPack::packBound(in.size()));
    uint32_t size = 0;
    for (auto _ : state) {
        size = sPack::pack(in.data(), out.data(), in.size(), 1, 0);
        benchmark::DoNotOptimize(size);
    }
    Label(state, size + 4);
}

void BM_PackerUnpack(benchmark::State& state)
{
    const Bytes& in = Input(int(state.range(0)));
    Bytes packed(sPack::packBound(in.size()));
    packed.resize(sPack::pack(in.data(), packed.data(), in.size(), 1, 0) + 4);
    Bytes out(in.size());
    for (auto _ : state) {
        const int64_t n = sPack::unpack(packed.data(), packed.size(), out.data(), out.size());
        benchmark::DoNotOptimize(n);
    }
    if (out != in)
        state.SkipWithError("round trip differs");
    Label(state, packed.size());
}

void BM_ZlibLevel1Compress(benchmark::State& state)
{
    const Bytes& in = Input(int(state.range(0)));
    Bytes out(compressBound(uLong(in.size())));
    uLongf size = 0;
    for (auto _ : state) {
        size = uLongf(out.size());
        compress2(out.data(), &size, in.data(), uLong(in.size()), 1);
        benchmark::DoNotOptimize(size);
    }
    Label(state, size);
}

void BM_ZlibLevel1Uncompress(benchmark::State& state)
{
    const Bytes& in = Input(int(state.range(0)));
    Bytes packed(compressBound(uLong(in.size())));
    uLongf psize = uLongf(packed.size());
    compress2(packed.data(), &psize, in.data(), uLong(in.size()), 1);
    packed.resize(psize);
    Bytes out(in.size());
    for (auto _ : state) {
        uLongf n = uLongf(out.size());
        uncompress(out.data(), &n, packed.data(), uLong(packed.size()));
        benchmark::DoNotOptimize(n);
    }
    if (out != in)
        state.SkipWithError("round trip differs");
    Label(state, packed.size());
}

} // namespace

BENCHMARK(BM_PackerPack)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibLevel1Compress)->Arg(0)->Arg(1);
BENCHMARK(BM_PackerUnpack)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibLevel1Uncompress)->Arg(0)->Arg(1);

BENCHMARK_MAIN();
