// The UI's verbs of the input-script parser: menu commands, dialog answers,
// clicks on tool-window controls and on tree items, through the same calls ImGui
// input makes.
#include "platform/ui/Tree.h"
#include "platform/ui/UiInternal.h"

#include "platform/ui/Tree.h"
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

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    return first == std::string_view::npos ? std::string()
                                           : std::string(text.substr(first, last - first + 1));
}

// The item at a path of item texts from the top level, separated by '\'
// (compared without case); 0 when there is none.
HTREEITEM FindTreeItem(const TreeCtrl& tree, const std::string& path)
{
    HTREEITEM found = 0;
    HTREEITEM level = tree.GetRootItem();
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('\\', start), path.size());
        const std::string part = Trimmed(std::string_view(path).substr(start, end - start));
        HTREEITEM h = level;
        while (h && !SameText(tree.GetItemText(h), part))
            h = tree.GetNextSiblingItem(h);
        if (!h)
            return 0;
        found = h;
        level = tree.GetChildItem(h);
        start = end + 1;
    }
    return found;
}

// A client point on the item's label, scrolled into view first.
void LabelPoint(TreeCtrl& tree, HTREEITEM item, int& x, int& y)
{
    tree.EnsureVisible(item);
    y = (tree.RowOf(item) - tree.TopRow()) * TreeCtrl::kRowHeight + TreeCtrl::kRowHeight / 2;
    x = (tree.Depth(item) + 1) * TreeCtrl::kIndent + (tree.ImageList() ? TreeCtrl::kImageSize : 0) + 2;
}

TreeCtrl* WindowTree(int window)
{
    Dialog* d = FindDialog(window);
    if (!d || !d->IsWindowVisible() || !d->IsWindowEnabled())
        return nullptr;
    for (const Control& c : d->Controls())
        if (c.kind == ControlKind::Tree && c.tree)
            return c.tree;
    return nullptr;
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
    RegisterScriptVerb("tree", [](const ScriptArgs& a, ScriptStep& step) -> std::string {
        static const char* const kUsage =
            "tree needs a window (dialog resource) id, an action (select, rclick, dblclick or drag) and an "
            "item path (texts separated by \\; drag: SOURCE -> TARGET; rclick without a path: below the "
            "items)";
        int window = 0;
        if (a.words.size() < 2 || !Number(a.words[0], window))
            return kUsage;
        std::string action = a.words[1];
        for (char& c : action)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (a.words.size() == 2) {
            if (action != "rclick")
                return kUsage;
            step.run = [window] {
                TreeCtrl* tree = WindowTree(window);
                if (!tree) {
                    LogLine(("Script: window " + std::to_string(window) + " shows no tree").c_str());
                    return;
                }
                // A point under the last row, where no item lies.
                const int rows = int(tree->Rows().size()) - tree->TopRow();
                const int y =
                    std::min(rows * TreeCtrl::kRowHeight + 2, std::max(0, tree->ClientHeight() - 1));
                tree->MouseDown(1, 4, y);
                tree->MouseUp(1, 4, y);
            };
            return {};
        }
        // The path is the rest of the line as written: item texts may hold blanks.
        std::string rest = a.text;
        for (int skip = 0; skip < 2; ++skip) {
            rest = Trimmed(rest);
            const size_t blank = rest.find_first_of(" \t");
            rest = blank == std::string::npos ? std::string() : rest.substr(blank);
        }
        rest = Trimmed(rest);
        std::string source = rest, target;
        if (action == "drag") {
            const size_t arrow = rest.find("->");
            if (arrow == std::string::npos)
                return kUsage;
            source = Trimmed(std::string_view(rest).substr(0, arrow));
            target = Trimmed(std::string_view(rest).substr(arrow + 2));
        } else if (action != "select" && action != "rclick" && action != "dblclick") {
            return kUsage;
        }
        if (source.empty() || (action == "drag" && target.empty()))
            return kUsage;
        step.run = [window, action, source, target] {
            TreeCtrl* tree = WindowTree(window);
            const HTREEITEM item = tree ? FindTreeItem(*tree, source) : 0;
            if (!item) {
                LogLine(
                    ("Script: no tree item '" + source + "' in window " + std::to_string(window)).c_str());
                return;
            }
            int x = 0, y = 0;
            LabelPoint(*tree, item, x, y);
            if (action == "select") {
                tree->MouseDown(0, x, y);
                tree->MouseUp(0, x, y);
            } else if (action == "rclick") {
                tree->MouseDown(1, x, y);
                tree->MouseUp(1, x, y);
            } else if (action == "dblclick") {
                tree->DoubleClick(x, y);
            } else {
                const HTREEITEM to = FindTreeItem(*tree, target);
                if (!to) {
                    LogLine(("Script: no tree item '" + target + "' in window " + std::to_string(window))
                                .c_str());
                    return;
                }
                tree->MouseDown(0, x, y);
                tree->MouseMove(x + 8, y);
                int tx = 0, ty = 0;
                LabelPoint(*tree, to, tx, ty);
                tree->MouseMove(tx, ty);
                tree->MouseUp(0, tx, ty);
            }
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
