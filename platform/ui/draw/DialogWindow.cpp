// One dialog as the whole content of a window of its own, without the 3-D device:
// its own GL context, its own frame count for input scripts and snapshots.
#include "platform/ui/draw/UiDraw.h"

#include "platform/files/WinPath.h"
#include "platform/win/InputScript.h"
#include "platform/win/MessageBox.h"
#include "platform/win/NativeWindow.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::ui {

namespace {

// Frames a click needs to reach its handler: pressed, released, then handled.
constexpr int kSettleFrames = 3;

class HostWindow : public Window
{
public:
    explicit HostWindow(Dialog& dialog) : dialog_(dialog) {}
    LRESULT WindowProc(const Message& msg) override
    {
        if (msg.message == WM_CLOSE) {
            dialog_.CloseBox();
            return 0;
        }
        return Window::WindowProc(msg);
    }

private:
    Dialog& dialog_;
};

struct Run
{
    HostWindow* window = nullptr;
    SDL_Window* sdl = nullptr;
    std::filesystem::path startFolder;
    InputScript script;
    bool haveScript = false;
    bool snapshotAll = false;
    std::vector<int32_t> snapshots;
    bool quit = false;
    int32_t frame = 0;
};
Run* run = nullptr;

bool ReadSnapshotList(const char* value, Run& r, std::string& error)
{
    if (!value || !*value)
        return true;
    if (std::strcmp(value, "all") == 0) {
        r.snapshotAll = true;
        return true;
    }
    const char* p = value;
    while (*p) {
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p || *p == '-' || *p == '+' || n < 0 || n > INT32_MAX || (*end && *end != ',')) {
            error = std::string("VAREK_SNAPSHOTS: '") + value +
                    "' is neither \"all\" nor a list of frame numbers such as 7,20";
            return false;
        }
        r.snapshots.push_back(int32_t(n));
        p = *end ? end + 1 : end;
    }
    return true;
}

// The window's picture as drawn so far (before the swap).
bool SaveWindowPicture(const std::filesystem::path& file)
{
    if (!run || !run->sdl)
        return false;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(run->sdl, &w, &h);
    if (w <= 0 || h <= 0)
        return false;
    std::vector<uint32_t> raw(size_t(w) * size_t(h)), top(raw.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, raw.data());
    for (int y = 0; y < h; ++y)
        std::copy_n(raw.data() + size_t(h - 1 - y) * size_t(w), size_t(w),
                    top.data() + size_t(y) * size_t(w));
    const bool ok = SaveBmp24(file, w, h, top);
    if (!ok)
        LogLine(("Writing the snapshot " + file.string() + " failed").c_str());
    return ok;
}

void RegisterWindowVerbs()
{
    RegisterScriptVerbs();
    RegisterScriptVerb("snapshot", [](const ScriptArgs& a, ScriptStep& step) -> std::string {
        if (a.text.empty())
            return "snapshot needs a file name";
        const std::string name = a.text;
        step.afterFrame = true;
        step.run = [name] {
            if (run)
                SaveWindowPicture(run->startFolder / name);
        };
        return {};
    });
    RegisterScriptVerb("quit", [](const ScriptArgs& a, ScriptStep& step) -> std::string {
        if (!a.words.empty())
            return "quit takes no arguments";
        step.run = [] {
            if (run)
                run->quit = true;
        };
        return {};
    });
}

} // namespace

void RunWindowLoop(Dialog& dialog)
{
    Run& r = *run;
    const int32_t lastScriptFrame = r.haveScript ? r.script.LastFrame() : -1;
    while (!dialog.Ended()) {
        if (r.haveScript)
            r.script.RunBeforeFrame(r.frame);
        if (r.quit)
            break;
        if (!PumpMessages())
            break;
        RunPending();
        if (dialog.Ended() || !r.window->IsWindow())
            break;
        if (r.window->GetWindowText() != dialog.Caption())
            r.window->SetWindowText(dialog.Caption());
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(r.sdl, &w, &h);
        glViewport(0, 0, w, h);
        glClearColor(0.83f, 0.82f, 0.78f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        DrawFrame(w, h);
        if (r.haveScript)
            r.script.RunAfterFrame(r.frame);
        if (r.snapshotAll ||
            std::find(r.snapshots.begin(), r.snapshots.end(), r.frame) != r.snapshots.end()) {
            char name[32];
            std::snprintf(name, sizeof name, "snapshot%05d.bmp", int(r.frame));
            SaveWindowPicture(r.startFolder / name);
        }
        SDL_GL_SwapWindow(r.sdl);
        ++r.frame;
        if (NonInteractive()) {
            // Nobody is there: once the script has run out (and its last click
            // has arrived), the dialog counts as unanswered.
            const int32_t lastSnapshot =
                r.snapshots.empty() ? -1 : *std::max_element(r.snapshots.begin(), r.snapshots.end());
            if (r.frame > std::max(lastScriptFrame, lastSnapshot) + kSettleFrames)
                break;
        } else {
            SDL_Delay(16);
        }
    }
}

int RunDialogWindow(Dialog& dialog, const std::filesystem::path& startFolder)
{
    Run r;
    r.startFolder = startFolder;
    std::string error;
    if (!ReadSnapshotList(std::getenv("VAREK_SNAPSHOTS"), r, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return -1;
    }
    RegisterWindowVerbs();
    if (const char* script = std::getenv("VAREK_INPUT_SCRIPT"); script && *script) {
        std::filesystem::path path(script);
        if (path.is_relative())
            path = startFolder / path;
        if (!r.script.Load(path.string(), error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return -1;
        }
        r.haveScript = true;
    }
    if (!InitVideo())
        return -1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    HostWindow window(dialog);
    WindowDesc desc;
    desc.title = dialog.Caption();
    desc.width = dialog.GetWindowRect().right - dialog.GetWindowRect().left;
    desc.height = dialog.GetWindowRect().bottom - dialog.GetWindowRect().top;
    desc.openGL = true;
    desc.resizable = false;
    if (!window.Create(desc))
        return -1;
    r.window = &window;
    r.sdl = NativeWindow(&window);
    SDL_GLContext gl = SDL_GL_CreateContext(r.sdl);
    if (!gl) {
        std::fprintf(stderr, "No OpenGL context for the dialog window: %s\n", SDL_GetError());
        window.DestroyWindow();
        return -1;
    }
    SDL_GL_MakeCurrent(r.sdl, gl);
    run = &r;
    EnsureContext(r.sdl);
    SetFullWindowDialog(&dialog);
    SetScriptOwnsPointer(r.haveScript);
    const int result = dialog.DoModal(&window);
    SetScriptOwnsPointer(false);
    SetFullWindowDialog(nullptr);
    DropContext();
    run = nullptr;
    SDL_GL_MakeCurrent(r.sdl, nullptr);
    SDL_GL_DeleteContext(gl);
    if (window.IsWindow())
        window.DestroyWindow();
    return result;
}

} // namespace platform::ui
