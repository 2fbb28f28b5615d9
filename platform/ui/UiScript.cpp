// The UI's verbs of the input-script parser: menu commands, dialog answers,
// clicks on tool-window controls and on tree items, through the same calls ImGui
// input makes.
#include "platform/ui/Tree.h"
#include "platform/ui/UiInternal.h"

#include "platform/win/InputScript.h"

#include <algorithm>
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

// The item reached by a path of labels from the roots ("Houses\\Haus_A"), or 0.
HTREEITEM ItemByPath(const TreeCtrl& tree, const std::string& path)
{
    HTREEITEM item = 0;
    size_t from = 0;
    while (from <= path.size()) {
        const size_t end = std::min(path.find('\\', from), path.size());
        const std::string label = path.substr(from, end - from);
        HTREEITEM found = 0;
        for (HTREEITEM i = item ? tree.GetChildItem(item) : tree.GetRootItem(); i && !found;
             i = tree.GetNextSiblingItem(i))
            if (tree.GetItemText(i) == label)
                found = i;
        if (!found)
            return 0;
        item = found;
        from = end + 1;
    }
    return item;
}

// A point on the item's label in client pixels, the item scrolled into view.
bool LabelPoint(TreeCtrl& tree, HTREEITEM item, int& x, int& y)
{
    tree.EnsureVisible(item);
    const int row = tree.RowOf(item);
    if (row < 0)
        return false;
    y = (row - tree.TopRow()) * TreeCtrl::kRowHeight + TreeCtrl::kRowHeight / 2;
    for (x = 0; x < std::max(tree.ClientWidth(), 1000); ++x) {
        uint32_t flags = 0;
        if (tree.HitTest(x, y, &flags) == item && (flags & TVHT_ONITEMLABEL))
            return true;
    }
    return false;
}

// "tree WINDOW CONTROL click|dblclick|rclick PATH" and "... drag PATH > PATH": the
// presses a person gives on the items' labels.
std::string TreeVerb(const ScriptArgs& a, ScriptStep& step)
{
    static const char* const usage =
        "tree needs a window id, a tree control id, click, dblclick, rclick or drag, and an item path";
    int window = 0, control = 0;
    if (a.words.size() < 4 || !Number(a.words[0], window) || !Number(a.words[1], control))
        return usage;
    const std::string action = a.words[2];
    // The path is the rest of the line as written: labels may hold spaces.
    size_t at = 0;
    for (int word = 0; word < 3; ++word) {
        at = a.text.find_first_not_of(' ', at);
        at = a.text.find(' ', at);
    }
    std::string path = a.text.substr(a.text.find_first_not_of(' ', at));
    std::string target;
    if (action == "drag") {
        const size_t arrow = path.find(" > ");
        if (arrow == std::string::npos)
            return "tree drag needs SOURCE > TARGET";
        target = path.substr(arrow + 3);
        path = path.substr(0, arrow);
    } else if (action != "click" && action != "dblclick" && action != "rclick") {
        return usage;
    }
    step.run = [window, control, action, path, target] {
        Dialog* d = FindDialog(window);
        Control* c = d && d->IsWindowVisible() ? d->GetDlgItem(control) : nullptr;
        TreeCtrl* tree = c ? c->tree : nullptr;
        const HTREEITEM item = tree ? ItemByPath(*tree, path) : 0;
        int x = 0, y = 0;
        if (!item || !LabelPoint(*tree, item, x, y)) {
            LogLine(("Script: no tree item '" + path + "' in window " + std::to_string(window)).c_str());
            return;
        }
        if (action == "dblclick") {
            tree->DoubleClick(x, y);
            return;
        }
        const int button = action == "rclick" ? 1 : 0;
        tree->MouseDown(button, x, y);
        if (action == "drag") {
            const HTREEITEM to = ItemByPath(*tree, target);
            int tx = 0, ty = 0;
            if (!to || !LabelPoint(*tree, to, tx, ty)) {
                tree->MouseUp(button, x, y);
                LogLine(
                    ("Script: no tree item '" + target + "' in window " + std::to_string(window)).c_str());
                return;
            }
            // Past the drag threshold, then over the target.
            tree->MouseMove(x + 8, y + 8);
            tree->MouseMove(tx, ty);
            x = tx;
            y = ty;
        }
        tree->MouseUp(button, x, y);
    };
    return {};
}

} // namespace

void RegisterScriptVerbs()
{
    RegisterScriptVerb("tree", TreeVerb);
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
