// Laying out and painting a tutorial-like page at the three page sizes the
// screen's zoom gives (200, 556 and 912 pixels square), beside the upload of a
// texture of the same size measured in the same run: a frame whose size does not
// change only draws the cached texture, so the upload is what every repaint adds.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/browser/Browser.h"
#include "platform/d3d/D3D.h"

namespace {

std::string PagePath()
{
    static const std::string path = [] {
        std::string dir = (std::filesystem::temp_directory_path() / "varek-page-bench-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            return std::string();
        std::string page =
            "<html><body bgcolor=\"#1C2A3A\" text=\"#E0E0E0\"><center><h1>Erste Schritte</h1></center>";
        for (int i = 0; i < 6; ++i)
            page +=
                "<p>Klicke auf die Figur und <font color=\"#FFD040\">w\xE4hle</font> einen Weg. Die Wachen "
                "h\xF6ren jeden Schritt; gehe langsam durch die dunklen G\xE4nge.</p>";
        page += "<table border=1 cellpadding=4 width=\"90%\">";
        for (int r = 0; r < 6; ++r)
            page += "<tr><td bgcolor=\"#304050\">Taste</td><td>Wirkung der Taste im Spiel</td></tr>";
        page += "</table></body></html>";
        std::ofstream(dir + "/page.htm", std::ios::binary) << page;
        return dir + "/page.htm";
    }();
    return path;
}

void LayOutAndPaint(benchmark::State& state)
{
    const int size = int(state.range(0));
    platform::Browser browser([](const std::string&) {});
    browser.Navigate(PagePath());
    bool wide = false;
    for (auto _ : state) {
        // Alternate by one pixel so every round lays out again.
        wide = !wide;
        browser.SetControlRect({0, 0, size + (wide ? 1 : 0), size});
        benchmark::DoNotOptimize(browser.Update());
    }
}
BENCHMARK(LayOutAndPaint)->Arg(200)->Arg(556)->Arg(912)->Unit(benchmark::kMillisecond);

struct Device
{
    SDL_Window* window = nullptr;
    IDirectDraw7* dd = nullptr;
    Device()
    {
        window = D3DCreateTestWindow(64, 64);
        if (window && SUCCEEDED(DirectDrawCreateEx(nullptr, &dd)))
            dd->SetCooperativeLevel(window, DDSCL_NORMAL);
    }
    ~Device()
    {
        if (dd)
            dd->Release();
        D3DDestroyTestWindow(window);
    }
};

void UploadTexture(benchmark::State& state)
{
    const int size = int(state.range(0));
    static Device device;
    if (!device.dd) {
        state.SkipWithError("no display");
        return;
    }
    platform::Browser browser([](const std::string&) {});
    browser.Navigate(PagePath());
    platform::BrowserTexture texture;
    for (auto _ : state) {
        state.PauseTiming();
        browser.SetControlRect({0, 0, size, size});
        browser.Update();
        state.ResumeTiming();
        benchmark::DoNotOptimize(texture.Get(device.dd, browser));
        state.PauseTiming();
        // A new paint of the same size: the next round uploads again.
        browser.Navigate(PagePath());
        state.ResumeTiming();
    }
    state.counters["uploads"] = double(texture.Uploads());
}
BENCHMARK(UploadTexture)->Arg(200)->Arg(556)->Arg(912)->Unit(benchmark::kMillisecond);

void DrawCachedTexture(benchmark::State& state)
{
    const int size = int(state.range(0));
    static Device device;
    if (!device.dd) {
        state.SkipWithError("no display");
        return;
    }
    platform::Browser browser([](const std::string&) {});
    browser.Navigate(PagePath());
    browser.SetControlRect({0, 0, size, size});
    platform::BrowserTexture texture;
    for (auto _ : state) {
        benchmark::DoNotOptimize(browser.Update());
        benchmark::DoNotOptimize(texture.Get(device.dd, browser));
    }
    state.counters["uploads"] = double(texture.Uploads());
}
BENCHMARK(DrawCachedTexture)->Arg(200)->Arg(556)->Arg(912);

} // namespace

BENCHMARK_MAIN();
