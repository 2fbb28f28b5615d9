// One UI frame with a tree of 20,000 items (5,000 folders of three, all open)
// scrolled through, against the same frame without the UI: only the rows on
// screen cost anything.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include "platform/d3d/D3D.h"
#include "platform/ui/Tree.h"
#include "platform/ui/draw/UiDraw.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kFolders = 5000;

struct Scene
{
    SDL_Window* window = nullptr;
    platform::ui::TreeCtrl tree;
    struct Window : platform::ui::Dialog
    {
        explicit Window(platform::ui::TreeCtrl& tree) : Dialog(1, "Tree", kWidth, kHeight)
        {
            AddTree(1000, tree, 0, 0, kWidth, kHeight);
        }
    } dialog{tree};

    Scene()
    {
        window = D3DCreateTestWindow(kWidth, kHeight);
        if (!window)
            return;
        for (int f = 0; f < kFolders; ++f) {
            const auto folder = tree.InsertItem("folder " + std::to_string(f));
            tree.InsertItem("model a", folder);
            tree.InsertItem("model b", folder);
            tree.InsertItem("model c", folder);
            tree.Expand(folder, platform::ui::TVE_EXPAND);
        }
        platform::ui::EnsureContext(window);
        platform::ui::SetFullWindowDialog(&dialog);
    }
    ~Scene()
    {
        platform::ui::SetFullWindowDialog(nullptr);
        platform::ui::DropContext();
        if (window)
            D3DDestroyTestWindow(window);
    }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void Clear()
{
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0.2f, 0.3f, 0.4f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

void BM_FrameWithoutUi(benchmark::State& state)
{
    Scene& s = TheScene();
    if (!s.window) {
        state.SkipWithError("no GL window");
        return;
    }
    for (auto _ : state) {
        Clear();
        glFinish();
    }
}
BENCHMARK(BM_FrameWithoutUi)->Unit(benchmark::kMicrosecond);

void BM_FrameWithTree(benchmark::State& state)
{
    Scene& s = TheScene();
    if (!s.window) {
        state.SkipWithError("no GL window");
        return;
    }
    int top = 0;
    for (auto _ : state) {
        s.tree.SetTopRow(top);
        top = (top + 97) % int(s.tree.Rows().size());
        Clear();
        platform::ui::DrawFrame(kWidth, kHeight);
        glFinish();
    }
    state.counters["rows"] = double(s.tree.Rows().size());
}
BENCHMARK(BM_FrameWithTree)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
