// 20,000 lit, textured triangles drawn through the device, against the same
// scene drawn with plain fixed-function GL calls into the same framebuffer.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/d3d/D3D.h"

namespace {

constexpr int kGrid = 100; // 100 x 100 quads = 20,000 triangles
constexpr int kWidth = 640, kHeight = 480;

struct Scene
{
    SDL_Window* window = nullptr;
    IDirectDraw7* dd = nullptr;
    IDirect3D7* d3d = nullptr;
    IDirectDrawSurface7 *back = nullptr, *z = nullptr, *texture = nullptr;
    IDirect3DDevice7* dev = nullptr;
    std::vector<D3DMeshVertex> vertices;
    std::vector<uint16_t> indices;
    bool ok = false;

    Scene()
    {
        window = D3DCreateTestWindow(kWidth, kHeight);
        if (!window || FAILED(DirectDrawCreateEx(nullptr, &dd)))
            return;
        dd->SetCooperativeLevel(window, DDSCL_NORMAL);
        dd->QueryDirect3D(&d3d);
        DDSURFACEDESC2 d;
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.dwWidth = kWidth;
        d.dwHeight = kHeight;
        d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
        dd->CreateSurface(&d, &back, nullptr);
        d.dwFlags |= DDSD_PIXELFORMAT;
        d.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
        d.ddpfPixelFormat.dwFlags = DDPF_ZBUFFER;
        d.ddpfPixelFormat.dwRGBBitCount = 24;
        dd->CreateSurface(&d, &z, nullptr);
        back->AddAttachedSurface(z);
        d.dwWidth = d.dwHeight = 64;
        d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        d.ddpfPixelFormat = D3DMakeRGBFormat(16, 0xF800, 0x07E0, 0x1F, 0);
        dd->CreateSurface(&d, &texture, nullptr);
        DDSURFACEDESC2 l;
        texture->Lock(nullptr, &l, DDLOCK_WAIT, nullptr);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(l.lpSurface) + y * l.lPitch)[x] =
                    ((x ^ y) & 8) ? 0xFFFF : 0x7BEF;
        texture->Unlock(nullptr);
        if (FAILED(d3d->CreateDevice(IID_IDirect3DHALDevice, back, &dev)))
            return;

        // A wavy grid in front of the camera, normals towards it.
        for (int y = 0; y <= kGrid; ++y)
            for (int x = 0; x <= kGrid; ++x) {
                const float fx = float(x) / kGrid * 8 - 4, fy = float(y) / kGrid * 6 - 3;
                vertices.push_back(
                    {fx, fy, 5 + 0.2f * std::sin(fx * 3), 0, 0, -1, float(x) / 10, float(y) / 10, 0, 0});
            }
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) {
                const uint16_t a = uint16_t(y * (kGrid + 1) + x), b = uint16_t(a + 1),
                               c = uint16_t(a + kGrid + 1), e = uint16_t(c + 1);
                indices.insert(indices.end(), {c, e, a, a, e, b});
            }
        ok = true;
    }

    ~Scene()
    {
        if (dev)
            dev->Release();
        if (texture)
            texture->Release();
        if (z)
            z->Release();
        if (back)
            back->Release();
        if (d3d)
            d3d->Release();
        if (dd)
            dd->Release();
        D3DDestroyTestWindow(window);
    }

    void setUpDevice()
    {
        dev->InvalidateGLState(); // the plain GL runs change GL behind the device
        D3DMATRIX id, proj;
        for (int i = 0; i < 4; ++i)
            id.m[i][i] = 1;
        const float h = 1.0f / std::tan(0.5f), q = 20.0f / (20.0f - 0.5f);
        proj.m[0][0] = h * 0.75f;
        proj.m[1][1] = h;
        proj.m[2][2] = q;
        proj.m[2][3] = 1;
        proj.m[3][2] = -q * 0.5f;
        dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &id);
        dev->SetTransform(D3DTRANSFORMSTATE_VIEW, &id);
        dev->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &proj);
        D3DLIGHT7 light;
        light.dltType = D3DLIGHT_DIRECTIONAL;
        light.dcvDiffuse = {1, 1, 1, 0};
        light.dvDirection = {0.3f, -0.3f, 1};
        dev->SetLight(0, &light);
        dev->LightEnable(0, true);
        D3DMATERIAL7 m;
        m.diffuse = {0.8f, 0.8f, 0.8f, 1};
        m.ambient = {0.3f, 0.3f, 0.3f, 1};
        dev->SetMaterial(&m);
        dev->SetRenderState(D3DRENDERSTATE_AMBIENT, 0x404040);
        dev->SetRenderState(D3DRENDERSTATE_LIGHTING, 1);
        dev->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
        dev->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        dev->SetTexture(0, texture);
        dev->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        dev->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
        dev->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    }
};

double gPlainFps = 0, gDeviceFps = 0;

Scene& scene()
{
    static Scene s;
    return s;
}

// The scene with the device set up, or null (and the benchmark skipped) without a GL window.
Scene* readyScene(benchmark::State& state)
{
    Scene& s = scene();
    if (!s.ok) {
        state.SkipWithError("no GL window (run under xvfb-run)");
        return nullptr;
    }
    s.setUpDevice();
    return &s;
}

// Brightness of the picture's centre: both scenes must really draw.
double centre(Scene& s)
{
    uint32_t c = 0;
    s.back->ReadPixel(kWidth / 2, kHeight / 2, &c);
    return double(c & 0xFFFFFF);
}

void BM_DeviceScene(benchmark::State& state)
{
    Scene* ready = readyScene(state);
    if (!ready)
        return;
    Scene& s = *ready;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        s.dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        s.dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, s.vertices.data(),
                                    uint32_t(s.vertices.size()), s.indices.data(), uint32_t(s.indices.size()),
                                    0);
        glFinish();
    }
    gDeviceFps = double(state.iterations()) /
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["triangles"] = double(s.indices.size() / 3);
    state.counters["centre"] = centre(s);
}

// The same picture with GL calls made directly: one device draw puts every GL
// state and array in place, then each frame is only the GL clear and draw calls,
// so the difference is what the device adds per frame.
void BM_PlainGLScene(benchmark::State& state)
{
    Scene* ready = readyScene(state);
    if (!ready)
        return;
    Scene& s = *ready;
    s.dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, s.vertices.data(), uint32_t(s.vertices.size()),
                                s.indices.data(), uint32_t(s.indices.size()), 0);
    glBindFramebuffer(GL_FRAMEBUFFER, s.back->glFbo);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDrawElements(GL_TRIANGLES, GLsizei(s.indices.size()), GL_UNSIGNED_SHORT, s.indices.data());
        glFinish();
    }
    gPlainFps = double(state.iterations()) /
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["triangles"] = double(s.indices.size() / 3);
    state.counters["centre"] = centre(s);
}

// The world pass's pattern: many small draws, each with its own world transform
// and material, against the same draws as plain GL calls.
constexpr int kObjects = 2000, kObjectQuads = 6;

// One frame of `objects` small draws through the device: each object its own
// world transform and material.
void DeviceSmallDraws(Scene& s, int objects)
{
    D3DMATERIAL7 m;
    m.diffuse = {0.8f, 0.8f, 0.8f, 1};
    D3DMATRIX world;
    for (int i = 0; i < 4; ++i)
        world.m[i][i] = 1;
    const uint32_t count = kObjectQuads * 6;
    s.dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    for (int i = 0; i < objects; ++i) {
        world.m[3][0] = float(i % 40) * 0.01f;
        s.dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
        s.dev->SetMaterial(&m);
        s.dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, s.vertices.data(),
                                    uint32_t(s.vertices.size()), s.indices.data() + (i % 100) * count, count,
                                    0);
    }
}

// The same frame as plain GL calls; a device draw has put the arrays, texture
// and lights in place and bound the framebuffer.
void PlainSmallDraws(Scene& s, int objects)
{
    const float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    const uint32_t count = kObjectQuads * 6;
    D3DMATRIX view;
    s.dev->GetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (int i = 0; i < objects; ++i) {
        glLoadMatrixf(&view.m[0][0]);
        glTranslatef(float(i % 40) * 0.01f, 0, 0);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
        glDrawElements(GL_TRIANGLES, GLsizei(count), GL_UNSIGNED_SHORT, s.indices.data() + (i % 100) * count);
    }
}

void BM_DeviceManySmallDraws(benchmark::State& state)
{
    Scene* ready = readyScene(state);
    if (!ready)
        return;
    for (auto _ : state) {
        DeviceSmallDraws(*ready, kObjects);
        glFinish();
    }
    state.counters["draws"] = kObjects;
}

void BM_PlainGLManySmallDraws(benchmark::State& state)
{
    Scene* ready = readyScene(state);
    if (!ready)
        return;
    Scene& s = *ready;
    s.dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, s.vertices.data(), uint32_t(s.vertices.size()),
                                s.indices.data(), 3, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, s.back->glFbo);
    for (auto _ : state) {
        PlainSmallDraws(s, kObjects);
        glFinish();
    }
    state.counters["draws"] = kObjects;
}

// Device and plain GL frames one after the other, so that both see the same
// machine load: the median of the pairs' time ratios, by the wall clock and by
// the drawing thread's processor time (with LP_NUM_THREADS=0 Mesa draws on it).
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double MedianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

template <class Device, class Plain>
void Pairs(benchmark::State& state, Scene& s, Device device, Plain plain)
{
    std::vector<double> wall, cpu, deviceMs, plainMs;
    for (auto _ : state) {
        s.setUpDevice();
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = ThreadSeconds();
        device();
        glFinish();
        const auto t1 = std::chrono::steady_clock::now();
        const double c1 = ThreadSeconds();
        plain();
        glFinish();
        const auto t2 = std::chrono::steady_clock::now();
        const double c2 = ThreadSeconds();
        const double d = std::chrono::duration<double>(t1 - t0).count(),
                     p = std::chrono::duration<double>(t2 - t1).count();
        deviceMs.push_back(d * 1000);
        plainMs.push_back(p * 1000);
        wall.push_back(d / p);
        cpu.push_back((c1 - c0) / (c2 - c1));
    }
    state.counters["device_ms"] = MedianOf(deviceMs);
    state.counters["plain_ms"] = MedianOf(plainMs);
    state.counters["ratio"] = MedianOf(wall);
    state.counters["cpu_ratio"] = MedianOf(cpu);
}

void BM_PairedManySmallDraws(benchmark::State& state)
{
    Scene* ready = readyScene(state);
    if (!ready)
        return;
    Scene& s = *ready;
    const int objects = int(state.range(0));
    Pairs(
        state, s, [&] { DeviceSmallDraws(s, objects); }, [&] { PlainSmallDraws(s, objects); });
    state.counters["draws"] = objects;
}

void BM_PairedOneLargeDraw(benchmark::State& state)
{
    Scene* ready = readyScene(state);
    if (!ready)
        return;
    Scene& s = *ready;
    Pairs(
        state, s,
        [&] {
            s.dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
            s.dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, FVF_MESH, s.vertices.data(),
                                        uint32_t(s.vertices.size()), s.indices.data(),
                                        uint32_t(s.indices.size()), 0);
        },
        [&] {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glDrawElements(GL_TRIANGLES, GLsizei(s.indices.size()), GL_UNSIGNED_SHORT, s.indices.data());
        });
    state.counters["triangles"] = double(s.indices.size() / 3);
}

BENCHMARK(BM_PairedManySmallDraws)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK(BM_PairedOneLargeDraw)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_PlainGLManySmallDraws)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_DeviceManySmallDraws)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_PlainGLScene)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_DeviceScene)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    if (gPlainFps > 0 && gDeviceFps > 0)
        std::printf(
            "frames per second: device %.1f, plain GL %.1f; device frame time / plain GL frame time = %.3f\n",
            gDeviceFps, gPlainFps, gPlainFps / gDeviceFps);
    benchmark::Shutdown();
    return 0;
}
