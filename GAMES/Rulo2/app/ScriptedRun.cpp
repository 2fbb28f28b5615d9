#include "GAMES/Rulo2/app/ScriptedRun.h"

#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/DeviceHelpers.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/Overlays.h"
#include "GAMES/Rulo2/render/Screenshot.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/LoadingScreen.h"
#include "GAMES/Rulo2/world/ObjectPaths.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/files/WinPath.h"
#include "platform/ui/Ui.h"
#include "platform/win/Window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <strings.h>

SScriptedRun ScriptedRun;

namespace {

bool Switch(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v && std::strcmp(v, "0") != 0;
}

bool ReadSnapshotFrames(const char* value, std::string& error)
{
    ScriptedRun.snapshotAll = false;
    ScriptedRun.snapshotFrames.clear();
    ScriptedRun.loadingSnapshotFrames.clear();
    if (!value || !*value)
        return true;
    if (std::strcmp(value, "all") == 0) {
        ScriptedRun.snapshotAll = true;
        return true;
    }
    const char* p = value;
    while (*p) {
        const bool loading = *p == 'L';
        if (loading)
            ++p;
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p || n < 0 || n > INT32_MAX || *p == '-' || *p == '+' || *p == ' ' ||
            (*end && *end != ',')) {
            error =
                std::string("VAREK_SNAPSHOTS: '") + value +
                "' is neither \"all\" nor a list of frame numbers such as 7,20 (L3: loading-screen frame 3)";
            return false;
        }
        (loading ? ScriptedRun.loadingSnapshotFrames : ScriptedRun.snapshotFrames).push_back(int32_t(n));
        p = *end ? end + 1 : end;
    }
    return true;
}

uint32_t s_loadingTime = 0;
void (*s_drawLoadingScreen)(int picture, int placement, float fraction) = nullptr;

uint32_t FixedLoadingClock()
{
    return s_loadingTime;
}

void FixedLoadingStep()
{
    s_loadingTime += FakeRecordingStepMs;
    platform::PumpOneMessage();
}

void DrawAndSaveLoadingScreen(int picture, int placement, float fraction)
{
    if (s_drawLoadingScreen)
        s_drawLoadingScreen(picture, placement, fraction);
    const int32_t frame = ScriptedRun.loadingFrame++;
    const auto& frames = ScriptedRun.loadingSnapshotFrames;
    if (ScriptedRun.snapshotAll || std::find(frames.begin(), frames.end(), frame) != frames.end()) {
        char name[32];
        std::snprintf(name, sizeof name, "c:\\loading%05d.bmp", int(frame));
        WriteBmpFile(platform::ResolvePath(name).string().c_str());
    }
}

// Where the view drawn last shows the world object a path names (see FindWorldObject): its
// origin, or with `middle` the middle of its model's height, where a click picks the object
// itself rather than the ground it stands on. False, logged under `verb`, when it is not in view.
bool ObjectOnScreen(const std::string& path, bool middle, const char* verb, int32_t screen[2])
{
    CWorldObject* object = FindWorldObject(g_WorldRoot, path.c_str());
    screen[0] = screen[1] = -1;
    if (object) {
        const CRootNode* model = middle ? object->GetShapeRoot() : nullptr;
        const float up = model ? (model->boundsMin.y + model->boundsMax.y) * 0.5f * object->scale : 0.0f;
        ProjectToScreen(object->position + CVector(0, up, 0), screen);
    }
    if (screen[0] == -1 && screen[1] == -1) {
        LogPrintf("%s %s: not in the view", verb, path.c_str());
        return false;
    }
    return true;
}

// The game's own verbs: a picture of a frame, and the end of the run.
void AddGameVerbs()
{
    platform::ui::RegisterScriptVerbs();
    platform::RegisterScriptVerb("snapshot", [](const platform::ScriptArgs& a, platform::ScriptStep& step) {
        if (a.text.empty())
            return std::string("snapshot FILE expected");
        // Relative to the folder the run started in, whatever the game makes current later.
        std::error_code ec;
        const std::string path = std::filesystem::absolute(a.text, ec).string();
        if (ec)
            return "'" + a.text + "' is no usable file name";
        step.afterFrame = true;
        step.run = [path] { WriteBmpFile(path.c_str()); };
        return std::string();
    });
    // Where a click on a pixel would order a walk to: the pick ray through it in the view drawn
    // last, met with the ground as a walk order meets it, written to the log.
    platform::RegisterScriptVerb("probe", [](const platform::ScriptArgs& a, platform::ScriptStep& step) {
        int xy[2] = {0, 0};
        for (size_t i = 0; i < 2; ++i) {
            char* end = nullptr;
            const long v = a.words.size() == 2 ? std::strtol(a.words[i].c_str(), &end, 10) : 0;
            if (a.words.size() != 2 || !end || *end || a.words[i].empty() || v < 0 || v > 32767)
                return std::string("probe X Y expected: client pixels");
            xy[i] = int(v);
        }
        step.run = [x = xy[0], y = xy[1]] {
            UpdateCursorRay(x, y);
            CVector hit;
            if (CursorRay.valid && PickGroundPoint(CursorRay.origin, CursorRay.direction, &hit))
                LogPrintf("Probe %d %d: ground %.4f %.4f %.4f", x, y, hit.x, hit.y, hit.z);
            else
                LogPrintf("Probe %d %d: no ground", x, y);
        };
        return std::string();
    });
    // The pointer onto a world object (a path such as \Haus_C\Door_Left): its position
    // as the view drawn last shows it, where picking finds it unless a nearer object covers it.
    platform::RegisterScriptVerb("point", [](const platform::ScriptArgs& a, platform::ScriptStep& step) {
        if (a.text.empty())
            return std::string("point PATH expected: a world object's path such as \\Haus_C\\Door_Left");
        step.run = [path = a.text] {
            int32_t screen[2];
            if (ObjectOnScreen(path, false, "Point", screen))
                platform::QueueMouseMove(nullptr, screen[0], screen[1]);
        };
        return std::string();
    });
    // A left click on a world object named as `point` names it, at the middle of its height:
    // the pointer comes there now, the press and release before the next frame, as the game
    // picks what lies under the pointer once a frame.
    platform::RegisterScriptVerb(
        "clickobject", [](const platform::ScriptArgs& a, platform::ScriptStep& step) {
            if (a.text.empty())
                return std::string("clickobject PATH expected: a world object's path such as Dietrich");
            step.run = [path = a.text] {
                int32_t screen[2];
                if (!ObjectOnScreen(path, true, "Click on", screen))
                    return;
                LogPrintf("Click on %s at %d %d", path.c_str(), int(screen[0]), int(screen[1]));
                platform::QueueMouseMove(nullptr, screen[0], screen[1]);
                ScriptedRun.objectPress[0] = ScriptedRun.frame + 1;
                ScriptedRun.objectPress[1] = screen[0];
                ScriptedRun.objectPress[2] = screen[1];
            };
            return std::string();
        });
    // The pointer onto a slice of the action bubble as it was drawn last (the bubble opens over an
    // object while the left button is held on it): left, middle or right.
    platform::RegisterScriptVerb("bubble", [](const platform::ScriptArgs& a, platform::ScriptStep& step) {
        static const struct
        {
            const char* name;
            int32_t x, y; // the slice's centre from the bubble's top left
        } slices[] = {{"left", 22, 30}, {"middle", 61, 20}, {"right", 99, 30}};
        for (const auto& slice : slices)
            if (a.words.size() == 1 && strcasecmp(a.words[0].c_str(), slice.name) == 0) {
                step.run = [name = slice.name, x = slice.x, y = slice.y] {
                    if (ActionBubble.state != 3) {
                        LogPrintf("Bubble: not open");
                        return;
                    }
                    const int32_t px = ActionBubble.topLeft[0] + x, py = ActionBubble.topLeft[1] + y;
                    LogPrintf("Bubble %s at %d %d", name, px, py);
                    platform::QueueMouseMove(nullptr, px, py);
                };
                return std::string();
            }
        return std::string("bubble left|middle|right expected");
    });
    platform::RegisterScriptVerb("quit", [](const platform::ScriptArgs& a, platform::ScriptStep& step) {
        if (!a.words.empty())
            return std::string("quit takes no arguments");
        step.run = [] { ScriptedRun.quit = true; };
        return std::string();
    });
}

} // namespace

bool ReadScriptedRun(std::string& error)
{
    ScriptedRun = SScriptedRun();
    ScriptedRun.fixedStep = Switch("VAREK_FIXED_STEP");
    if (!ReadSnapshotFrames(std::getenv("VAREK_SNAPSHOTS"), error))
        return false;
    const char* script = std::getenv("VAREK_INPUT_SCRIPT");
    if (script && *script) {
        AddGameVerbs();
        if (!ScriptedRun.script.Load(script, error))
            return false;
    }
    // The hover picking follows the pointer: a scripted or fixed-step run sees only its own moves.
    platform::SetScriptOwnsPointer(ScriptedRun.fixedStep || ScriptedRun.script.Size() > 0);
    if (ScriptedRun.fixedStep)
        LogPrintf("Fixed step: %u ms a frame", unsigned(FakeRecordingStepMs));
    if (script && *script)
        LogPrintf("Input script '%s': %u events", script, unsigned(ScriptedRun.script.Size()));
    return true;
}

bool ScriptedRunActive()
{
    return ScriptedRun.fixedStep || ScriptedRun.snapshotAll || !ScriptedRun.snapshotFrames.empty() ||
           !ScriptedRun.loadingSnapshotFrames.empty() || ScriptedRun.script.Size() > 0;
}

bool ScriptedRunBeforeFrame()
{
    if (ScriptedRun.queuedFrame >= ScriptedRun.frame)
        return false;
    ScriptedRun.queuedFrame = ScriptedRun.frame;
    bool queued = false;
    if (int32_t* press = ScriptedRun.objectPress; press[0] == ScriptedRun.frame) {
        platform::QueueMouseButton(nullptr, platform::MouseButton::Left, true, 1, press[1], press[2]);
        platform::QueueMouseButton(nullptr, platform::MouseButton::Left, false, 1, press[1], press[2]);
        press[0] = -1;
        queued = true;
    }
    return ScriptedRun.script.RunBeforeFrame(ScriptedRun.frame) || queued;
}

void ScriptedRunAfterFrame()
{
    const int32_t frame = ScriptedRun.frame++;
    if (GameClock.fakeRecording)
        ++ScriptedRun.fakeRecordingFrames;
    const auto& frames = ScriptedRun.snapshotFrames;
    if (ScriptedRun.snapshotAll || std::find(frames.begin(), frames.end(), frame) != frames.end())
        WriteSnapshot(frame);
    ScriptedRun.script.RunAfterFrame(frame);
}

void EndScriptedRun()
{
    platform::SetScriptOwnsPointer(false);
    if (!ScriptedRunActive())
        return;
    LogPrintf("Scripted run ended after %d frames; fake recording was on in %d", int(ScriptedRun.frame),
              int(ScriptedRun.fakeRecordingFrames));
}

void UseScriptedLoadingScreen()
{
    if (ScriptedRun.fixedStep) {
        LoadingScreenHooks.clock = [] { return int64_t(FixedLoadingClock()); };
        LoadingScreenHooks.pumpMessage = FixedLoadingStep;
    }
    const bool saving = ScriptedRun.snapshotAll || !ScriptedRun.loadingSnapshotFrames.empty();
    if (saving && LoadingScreenHooks.draw && LoadingScreenHooks.draw != DrawAndSaveLoadingScreen) {
        s_drawLoadingScreen = LoadingScreenHooks.draw;
        LoadingScreenHooks.draw = DrawAndSaveLoadingScreen;
    }
}

uint32_t FixedStepTime()
{
    ScriptedRun.stepTime += FakeRecordingStepMs;
    return ScriptedRun.stepTime;
}
