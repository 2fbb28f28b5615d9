// The editor tree: multi-selection clicks, drags with the owner's callbacks and
// auto-scroll, folder images, label editing inside a tool window, and the tooltip
// window's delay and size.
#include "GAMES/Rulo2/editor/EditorTree.h"
#include "GAMES/Rulo2/editor/IntelliTip.h"
#include "platform/time/Time.h"
#include "platform/ui/Ui.h"
#include "platform/win/CursorShape.h"
#include "platform/win/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::ui::HTREEITEM;
using platform::ui::TreeCtrl;

bool ctrl = false;
int cursorX = 0, cursorY = 0;

class EditorTreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock.Install();
        EditorCtrlHeld = [] { return ctrl; };
        CIntelliTip::cursorSource = [](int& x, int& y) {
            x = cursorX;
            y = cursorY;
            return true;
        };
        ctrl = false;
        tree.SetClientSize(200, 100); // five rows
        for (int i = 0; i < 12; ++i)
            items.push_back(tree.InsertItem(("item " + std::to_string(i)).c_str(), 0));
    }
    void TearDown() override { platform::SetTimeSource({}); }

    // A row's label point in client pixels (rows are counted from the top shown row).
    static int RowY(int row) { return row * TreeCtrl::kRowHeight + TreeCtrl::kRowHeight / 2; }
    static constexpr int kLabelX = TreeCtrl::kIndent + 6;

    void Click(int row)
    {
        tree.MouseDown(0, kLabelX, RowY(row));
        tree.MouseUp(0, kLabelX, RowY(row));
    }
    // Runs the window timers for `ms` of the clock, in 10 ms steps.
    void Run(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 10) {
            clock.AdvanceMs(10);
            platform::ui::RunPending();
        }
    }

    platform::ManualClock clock{1000};
    CEditorTree tree;
    std::vector<HTREEITEM> items;
};

TEST_F(EditorTreeTest, MultiSelectionClicksFollowTheCaretAndCtrl)
{
    tree.multiSelect = true;
    Click(0);
    EXPECT_EQ(tree.GetSelectedItem(), items[0]);
    EXPECT_EQ(tree.selection(), std::vector<HTREEITEM>{items[0]});
    ctrl = true;
    Click(1);
    Click(2);
    EXPECT_EQ(tree.selection(), (std::vector<HTREEITEM>{items[0], items[1], items[2]}));
    EXPECT_EQ(tree.anchor(), items[0]);
    // A plain click on the caret of three selected keeps only it.
    ctrl = false;
    Click(2);
    EXPECT_EQ(tree.selection(), std::vector<HTREEITEM>{items[2]});
    // Ctrl+click on the selected caret removes it.
    ctrl = true;
    Click(1);
    EXPECT_EQ(tree.selection(), (std::vector<HTREEITEM>{items[2], items[1]}));
    Click(1);
    EXPECT_EQ(tree.selection(), std::vector<HTREEITEM>{items[2]});
    EXPECT_FALSE(tree.isSelected(items[1]));
    // The control paints its selection itself, not the caret.
    EXPECT_TRUE(tree.RowColours(items[2]).custom);
    EXPECT_EQ(tree.RowColours(items[2]).back, platform::ui::GetSysColour(platform::ui::SysColour::Highlight));
    EXPECT_EQ(tree.RowColours(items[1]).back, platform::ui::GetSysColour(platform::ui::SysColour::Window));
    tree.highlight = false;
    EXPECT_EQ(tree.RowColours(items[2]).back,
              platform::ui::GetSysColour(platform::ui::SysColour::InactiveBorder));
    // A right click on an unselected item makes it the caret and the selection;
    // one on no item empties the selection.
    ctrl = false;
    tree.MouseDown(1, kLabelX, RowY(4));
    tree.MouseUp(1, kLabelX, RowY(4));
    EXPECT_EQ(tree.GetSelectedItem(), items[4]);
    EXPECT_EQ(tree.selection(), std::vector<HTREEITEM>{items[4]});
    tree.SetClientSize(200, 400);
    tree.MouseDown(1, kLabelX, 390);
    tree.MouseUp(1, kLabelX, 390);
    EXPECT_TRUE(tree.selection().empty());
    // Single selection: the caret is the selection.
    tree.multiSelect = false;
    EXPECT_TRUE(tree.isSelected(tree.GetSelectedItem()));
    EXPECT_FALSE(tree.RowColours(items[2]).custom);
}

TEST_F(EditorTreeTest, ADragDropsOnlyWhereTheOwnerAcceptsAndScrollsFourLinesEvery50ms)
{
    std::vector<std::pair<HTREEITEM, HTREEITEM>> drops;
    bool mayDrag = false;
    tree.setBeginDragCallback([&](HTREEITEM) { return mayDrag; });
    tree.setCanDropCallback([&](HTREEITEM, HTREEITEM target) { return target == items[3]; });
    tree.setDropCallback([&](HTREEITEM dragged, HTREEITEM target) { drops.emplace_back(dragged, target); });

    // Without the owner's consent the drag never starts, but the item is selected.
    tree.MouseDown(0, kLabelX, RowY(1));
    tree.MouseMove(kLabelX, RowY(3));
    EXPECT_FALSE(tree.dragging());
    EXPECT_EQ(tree.GetSelectedItem(), items[1]);
    tree.MouseUp(0, kLabelX, RowY(3));
    EXPECT_TRUE(drops.empty());

    mayDrag = true;
    // Refused target: no drop callback.
    tree.MouseDown(0, kLabelX, RowY(0));
    tree.MouseMove(kLabelX, RowY(2));
    ASSERT_TRUE(tree.dragging());
    EXPECT_TRUE(EditorFramePause);
    EXPECT_EQ(tree.cursor(), IDC_NO);
    EXPECT_EQ(platform::CursorShape(), IDC_NO) << "the pointer shows it";
    EXPECT_EQ(tree.dropTarget(), 0u);
    tree.MouseUp(0, kLabelX, RowY(2));
    EXPECT_FALSE(tree.dragging());
    EXPECT_FALSE(EditorFramePause);
    EXPECT_TRUE(drops.empty());

    // Accepted target: highlighted, dropped on release.
    tree.MouseDown(0, kLabelX, RowY(0));
    tree.MouseMove(kLabelX, RowY(3));
    EXPECT_EQ(tree.dropTarget(), items[3]);
    EXPECT_EQ(tree.GetDropHilightItem(), items[3]);
    EXPECT_EQ(tree.cursor(), IDC_DRAG_ONE);
    EXPECT_EQ(platform::CursorShape(), IDC_DRAG_ONE);
    tree.MouseUp(0, kLabelX, RowY(3));
    EXPECT_EQ(platform::CursorShape(), IDC_ARROW) << "the arrow again after the drop";
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], std::make_pair(items[0], items[3]));
    EXPECT_EQ(tree.GetDropHilightItem(), 0u);

    // Held below the control the rows scroll four lines a tick, then above it back.
    tree.MouseDown(0, kLabelX, RowY(0));
    tree.MouseMove(kLabelX, RowY(1));
    ASSERT_TRUE(tree.dragging());
    tree.MouseMove(kLabelX, 130);
    EXPECT_EQ(tree.TopRow(), 0);
    Run(40);
    EXPECT_EQ(tree.TopRow(), 0);
    Run(10);
    EXPECT_EQ(tree.TopRow(), 4);
    Run(50);
    EXPECT_EQ(tree.TopRow(), 7) << "clamped at the last page";
    tree.MouseMove(kLabelX, -15);
    Run(50);
    EXPECT_EQ(tree.TopRow(), 3);
    // The first shown row is the candidate above: not droppable here.
    EXPECT_EQ(tree.dropTarget(), items[3]);
    Run(50);
    EXPECT_EQ(tree.TopRow(), 0);
    EXPECT_EQ(tree.dropTarget(), 0u);
    tree.MouseUp(0, kLabelX, -15);
    EXPECT_FALSE(tree.HasTimer(CEditorTree::kDragTimer));
    Run(100);
    EXPECT_EQ(tree.TopRow(), 0);
}

TEST_F(EditorTreeTest, FolderImagesOpenAndCloseWithTheirBranch)
{
    const HTREEITEM folder = tree.InsertItem("folder", 0);
    tree.SetItemImage(folder, kClosedFolderImage, kClosedFolderImage);
    tree.InsertItem("child", folder);
    const HTREEITEM model = tree.InsertItem("model", 0);
    tree.SetItemImage(model, 2, 2);
    tree.InsertItem("part", model);
    int image = 0, selected = 0;
    tree.Expand(folder);
    tree.GetItemImage(folder, image, selected);
    EXPECT_EQ(image, kOpenFolderImage);
    EXPECT_EQ(selected, kOpenFolderImage);
    tree.TreeCtrl::Expand(folder, platform::ui::TVE_COLLAPSE);
    tree.GetItemImage(folder, image, selected);
    EXPECT_EQ(image, kClosedFolderImage);
    tree.Expand(model);
    tree.GetItemImage(model, image, selected);
    EXPECT_EQ(image, 2);
}

// A tool window with a tree: Enter and Esc while a label is edited end the edit and
// never reach the window (whose OK would end a dialog).
class TreeWindow : public platform::ui::Dialog
{
public:
    TreeWindow() : Dialog(900, "Tree", 200, 200) { AddTree(1000, tree, 0, 0, 200, 180); }
    void OnOK() override { ++oks; }
    void OnCancel() override { ++cancels; }
    CEditorTree tree;
    int oks = 0, cancels = 0;
};

TEST_F(EditorTreeTest, EnterAndEscWhileEditingALabelStayWithTheTree)
{
    TreeWindow window;
    window.Create(nullptr);
    std::vector<platform::ui::TreeNotify> edits;
    window.tree.notify = [&](const platform::ui::TreeNotify& n) {
        if (n.code == platform::ui::TreeCode::EndLabelEdit)
            edits.push_back(n);
    };
    const HTREEITEM item = window.tree.InsertItem("old", 0);
    window.SetFocusControl(1000);
    window.tree.EditLabel(item);
    window.tree.EditText() = "new";
    window.PressKey(platform::VK_DELETE);
    window.PressKey(platform::VK_RETURN);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].text, "new");
    EXPECT_FALSE(edits[0].cancelled);
    window.tree.EditLabel(item);
    window.PressKey(platform::VK_ESCAPE);
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_TRUE(edits[1].cancelled);
    EXPECT_EQ(window.oks + window.cancels, 0);
    // Not editing, the keys are the window's again.
    window.PressKey(platform::VK_RETURN);
    EXPECT_EQ(window.oks, 1);
}

TEST_F(EditorTreeTest, TheTipAppearsAfterItsDelayBelowThePointAndGoesWhenThePointerMoves)
{
    int asked = 0;
    tree.SetScreenOrigin(100, 50);
    tree.setTipCallback([&](CIntelliTip& tip, HTREEITEM item) {
        ++asked;
        tip.show(tree.GetItemText(item));
        return true;
    });
    cursorX = 100 + kLabelX;
    cursorY = 50 + RowY(2);
    tree.MouseMove(kLabelX, RowY(2));
    CIntelliTip* tip = tree.tipWindow();
    ASSERT_TRUE(tip);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(tip->text(), "item 2");
    // The same point asks nothing again; the same text does not restart the delay.
    Run(300);
    tree.MouseMove(kLabelX, RowY(2));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(tip->show("item 2"));
    Run(190);
    EXPECT_FALSE(tip->IsWindowVisible());
    Run(20);
    ASSERT_TRUE(tip->IsWindowVisible());
    EXPECT_FALSE(tip->HasFocus());
    const platform::RECT r = tip->GetWindowRect();
    EXPECT_EQ(r.left, cursorX);
    EXPECT_EQ(r.top, cursorY + 20);
    // The pointer leaves the point: hidden, text emptied at the next 100 ms check.
    cursorX += 1;
    Run(100);
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_TRUE(tip->text().empty());

    // A one-pixel move within the delay cancels the tip before it shows.
    cursorX -= 1;
    tree.MouseMove(kLabelX + 1, RowY(2));
    tree.MouseMove(kLabelX, RowY(2));
    EXPECT_EQ(tip->text(), "item 2");
    cursorX += 1;
    Run(600);
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_TRUE(tip->text().empty());
}

TEST_F(EditorTreeTest, TipLinesTakeOneLineHeightEachAndLongTextsStayWhole)
{
    CIntelliTip tip;
    cursorX = cursorY = 0;
    tip.setPosition(0, 0);
    ASSERT_TRUE(tip.show("first\n\nthird line"));
    Run(500);
    ASSERT_TRUE(tip.IsWindowVisible());
    const int lh = tip.lineHeight();
    ASSERT_GT(lh, 0);
    EXPECT_EQ(tip.height(), 3 * lh + 4);
    EXPECT_EQ(tip.width(), platform::ui::TextExtent("third line").cx + 6);
    // Two drawn lines, the second two line heights below the first.
    ASSERT_EQ(tip.Controls().size(), 2u);
    EXPECT_EQ(tip.Controls()[0].y, 2);
    EXPECT_EQ(tip.Controls()[1].y, 2 + 2 * lh);
    EXPECT_EQ(tip.Controls()[1].x, 3);
    EXPECT_FALSE(tip.show(""));

    // Texts over 2,051 characters are shown whole.
    std::string longText;
    for (int i = 0; i < 300; ++i)
        longText += "line " + std::to_string(i) + "\n";
    ASSERT_GT(longText.size(), 2051u);
    ASSERT_TRUE(tip.show(longText));
    EXPECT_EQ(tip.text(), longText);
    Run(500);
    EXPECT_EQ(tip.height(), 301 * tip.lineHeight() + 4);
}

} // namespace
