// The UI's verbs of the input-script parser: menu commands, dialog answers and
// clicks on tool-window controls, through the same calls ImGui input makes.
#include "platform/ui/UiInternal.h"

#include "platform/win/InputScript.h"

#include <cctype>
#include <cstdlib>

namespace platform::ui {

namespace {

bool Number(const std::string& word, int& value)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 0);
    if (*end || v < 0 || v > 0xFFFF)
        return false;
    value = int(v);
    return true;
}

bool ButtonWord(std::string word, int& id)
{
    for (char& c : word)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (word == "ok")
        id = IDOK;
    else if (word == "cancel")
        id = IDCANCEL;
    else
        return Number(word, id);
    return true;
}

HWND MainWindow()
{
    Application* app = GetApp();
    return app ? app->m_pMainWnd : nullptr;
}

} // namespace

void RegisterScriptVerbs()
{
    RegisterScriptVerb("command", [](const ScriptArgs& a, ScriptStep& step) -> std::string {
        int id = 0;
        if (a.words.size() != 1 || !Number(a.words[0], id))
            return "command needs one command id";
        step.run = [id] {
            if (Menu* tracked = TrackedMenu(); tracked && tracked->FindItem(uint32_t(id))) {
                ChooseTrackedItem(uint32_t(id));
                return;
            }
            HWND w = MainWindow();
            if (!w || !w->IsWindow())
                return;
            if (GetMenu(w))
                ChooseMenuItem(w, uint32_t(id));
            else
                w->SendMessage(WM_COMMAND, WPARAM(id), 0);
        };
        return {};
    });
    RegisterScriptVerb("dialog", [](const ScriptArgs& a, ScriptStep& step) -> std::string {
        DialogAnswer answer;
        if (a.words.size() < 2 || !Number(a.words[0], answer.resourceId) ||
            !ButtonWord(a.words[1], answer.button))
            return "dialog needs a dialog id and a button (ok, cancel or an id), then CONTROL=VALUE words";
        for (size_t i = 2; i < a.words.size(); ++i) {
            const std::string& w = a.words[i];
            const size_t eq = w.find('=');
            int control = 0;
            if (eq == std::string::npos || !Number(w.substr(0, eq), control))
                return "'" + w + "' is not CONTROL=VALUE";
            answer.values.emplace_back(control, w.substr(eq + 1));
        }
        step.run = [answer] { QueueDialogAnswer(answer); };
        return {};
    });
    RegisterScriptVerb("control", [](const ScriptArgs& a, ScriptStep& step) -> std::string {
        int window = 0, control = 0;
        if (a.words.size() != 2 || !Number(a.words[0], window) || !Number(a.words[1], control))
            return "control needs a window (dialog resource) id and a control id";
        step.run = [window, control] {
            if (Dialog* d = FindDialog(window); d && d->IsWindowVisible())
                d->Click(control);
            else
                LogLine(("Script: window " + std::to_string(window) + " is not shown").c_str());
        };
        return {};
    });
    RegisterScriptVerb("close", [](const ScriptArgs& a, ScriptStep& step) -> std::string {
        int window = 0;
        if (a.words.size() != 1 || !Number(a.words[0], window))
            return "close needs a window (dialog resource) id";
        step.run = [window] {
            if (Dialog* d = FindDialog(window); d && d->IsWindowVisible())
                d->CloseBox();
            else
                LogLine(("Script: window " + std::to_string(window) + " is not shown").c_str());
        };
        return {};
    });
}

} // namespace platform::ui
