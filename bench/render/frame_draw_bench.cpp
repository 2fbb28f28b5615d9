// A world of 500 to 32,000 objects (the argument) in groups of 50 on a square
// field drawn from the game camera: frames per second and the time spent in the
// visibility collection against drawing. The reference draws every object
// without the collection in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/OffscreenView.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "tests/render/HouseWorld.h"

namespace {

struct BenchWorld
{
    std::vector<CWorldObject*> objects;
    explicit BenchWorld(int count)
    {
        ClearWorld();
        CreateWorldRoots();
        CModelEntry* box = MakeEntry("Kiste", MakeBoxModel("Kiste", 0.6f, 0.6f, 0.6f, 0.8f, 0.4f, 0.2f));
        // The field's side grows with the count, so the camera sees a part of it.
        const int side = std::max(45, int(std::sqrt(double(count))));
        for (int g = 0; g < count / 50; ++g) {
            CWorldObject* group = AddGroup(g_WorldRoot, "Gruppe");
            for (int i = 0; i < 50; ++i) {
                const int n = g * 50 + i;
                objects.push_back(
                    AddModel(group, "kiste", box, CVector(float(n % side), 0.3f, float(n / side))));
            }
        }
        CVector min(100000, 100000, 100000), max(-100000, -100000, -100000);
        WorldWalk::ComputeBounds(g_WorldRoot, min, max);
        // From the middle of one edge, looking across the field.
        GameViewRecord.position = CVector(22, 0, 22);
        GameViewRecord.eye = CVector(22, 6, 6);
        CurrentHouse = nullptr;
    }
    ~BenchWorld() { ClearWorld(); }
};

void BM_FrameFromGameCamera(benchmark::State& state)
{
    if (!OpenOffscreenView(640, 480)) {
        state.SkipWithError("no 3-D device");
        return;
    }
    BenchWorld world(int(state.range(0)));
    SFrameTimes times;
    int32_t time = 0;
    size_t visible = 0;
    for (auto _ : state) {
        RenderWorldFrame(nullptr, time += 40, &times);
        visible = VisibleObjects.size();
    }
    const double frames = double(state.iterations());
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["collect_ms"] = times.collectMs / frames;
    state.counters["draw_ms"] = times.drawMs / frames;
    state.counters["visible"] = double(visible);
    CloseOffscreenView();
}
BENCHMARK(BM_FrameFromGameCamera)
    ->RangeMultiplier(4)
    ->Range(500, 32000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_DrawEverythingWithoutCollection(benchmark::State& state)
{
    if (!OpenOffscreenView(640, 480)) {
        state.SkipWithError("no 3-D device");
        return;
    }
    BenchWorld world(int(state.range(0)));
    SCameraInput input;
    UpdateCameraInput(input);
    for (auto _ : state) {
        DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        DX.device->BeginScene();
        for (CWorldObject* o : world.objects)
            DrawModelBatches(o->ModelEntry()->model, ObjectWorldMatrix(o), -1);
        DX.device->EndScene();
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    CloseOffscreenView();
}
BENCHMARK(BM_DrawEverythingWithoutCollection)
    ->RangeMultiplier(4)
    ->Range(500, 32000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
