#pragma once
// A small world with the editor's tool windows: groups, tiles, object
// definitions with default data, placed objects, and the window and tree calls
// the tests make as a person's input makes them.
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/behaviour/CKindData.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/ui/Tree.h"
#include "platform/win/MessageBox.h"
#include "tests/app/ShellWorld.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace editortest {

// The message boxes the program showed since the last clear(), as the
// application log has them.
class SBoxLog
{
public:
    void SetFile(const std::filesystem::path& file)
    {
        path_ = file;
        mark_ = 0;
    }
    void clear() { mark_ = Text().size(); }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(Text().substr(std::min(mark_, Text().size())));
        std::string line, box;
        // A box's text may run over several lines up to its answer.
        while (std::getline(in, line)) {
            if (line.rfind("MessageBox [", 0) == 0)
                box = line;
            else if (!box.empty())
                box += "\n" + line;
            if (!box.empty() && line.find(" -> ") != std::string::npos) {
                lines.push_back(box);
                box.clear();
            }
        }
        return lines;
    }
    size_t size() const { return Lines().size(); }
    bool empty() const { return Lines().empty(); }
    std::string operator[](size_t i) const { return Lines().at(i); }

private:
    std::string Text() const
    {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::filesystem::path path_;
    size_t mark_ = 0;
};

inline SBoxLog& Boxes()
{
    static SBoxLog boxes;
    return boxes;
}

class EditorWindowsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", (dir.path / "config").c_str(), 1);
        setenv("VAREK_NONINTERACTIVE", "1", 1);
        static const uint8_t logging = 1;
        LogPrintfSetTarget(&logging, (dir.path / "log.txt").c_str());
        Boxes().SetFile(dir.path / "log.txt");
        platform::ClearMessageBoxAnswers();
        GameModeFlag = 0;
        CreateWorldRoots();
        ClearWorld();
        CreateToolWindows(nullptr);
        tile = shelltest::AddTileEntry(1.0f);
    }
    void TearDown() override
    {
        ObjectPropertiesLock = false;
        ClearWorld();
        DestroyToolWindows();
        LogPrintfSetTarget(nullptr, nullptr);
        platform::ClearMessageBoxAnswers();
        EditorCtrlHeld = ctrl;
        EditorShiftHeld = shift;
    }

    static CWorldObject* Group(CNode* parent, const char* name)
    {
        auto* g = new CWorldObject(name);
        parent->AddChild(g);
        return g;
    }
    CWorldObject* Tile(CNode* parent) { return shelltest::AddInstance(parent, tile, CVector(0, 0, 0)); }

    // A definition whose defaults are of `kind`, named after it, weight 2.
    static CObjectNode* Definition(const char* name, int32_t kind)
    {
        auto* d = new CObjectNode(name);
        d->objectLogic = new CObjectLogic;
        d->objectLogic->ownKindData = CKindData::Create(kind);
        d->objectLogic->ownKindData->name = name;
        if (d->objectLogic->ownKindData->ValueCount() > 0)
            d->objectLogic->ownKindData->Values()[0] = FloatAsWord(2.0f);
        d->objectLogic->ownConditions = CKindState::Create(kind);
        d->objectLogic->ownTaskList = std::make_unique<CTaskList>();
        return d;
    }
    static CWorldObject* Placed(CNode* parent, CObjectNode* definition)
    {
        auto* o = new CWorldObject;
        o->objectKind = CWorldObject::KIND_OBJECT;
        o->reference = definition;
        parent->AddChild(o);
        return o;
    }

    // The World Tree filled from the world.
    static void ShowWorld()
    {
        g_WorldRoot->InsertIntoTree(0);
        g_ModelListDlg->Refill();
        ToggleToolWindow(g_WorldTreeDlg);
    }
    static CEditorTree& WorldTree() { return g_WorldTreeDlg->tree; }
    // A click on the node's item as a person makes it.
    static void Select(CWorldObject* node)
    {
        WorldTree().platform::ui::TreeCtrl::SelectItem(node->id, platform::ui::TreeAction::ByMouse);
    }
    // A point on an item's label, scrolled into view.
    static void LabelPoint(platform::ui::TreeCtrl& tree, HTREEITEM item, int& x, int& y)
    {
        using platform::ui::TreeCtrl;
        tree.EnsureVisible(item);
        y = (tree.RowOf(item) - tree.TopRow()) * TreeCtrl::kRowHeight + TreeCtrl::kRowHeight / 2;
        x = (tree.Depth(item) + 1) * TreeCtrl::kIndent + (tree.ImageList() ? TreeCtrl::kImageSize : 0) + 2;
    }
    // Presses on `from`, moves onto `to` and, unless `release` is false, lets go.
    static void Drag(platform::ui::TreeCtrl& tree, HTREEITEM from, HTREEITEM to, bool release = true)
    {
        int x = 0, y = 0, tx = 0, ty = 0;
        LabelPoint(tree, from, x, y);
        tree.MouseDown(0, x, y);
        tree.MouseMove(x + 8, y);
        LabelPoint(tree, to, tx, ty);
        tree.MouseMove(tx, ty);
        if (release)
            tree.MouseUp(0, tx, ty);
    }

    TempDir dir;
    CModelEntry* tile = nullptr;
    bool (*ctrl)() = EditorCtrlHeld;
    bool (*shift)() = EditorShiftHeld;
};

} // namespace editortest
