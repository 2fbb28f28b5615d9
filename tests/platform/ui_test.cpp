// The retained dialogs and menus of platform/ui: handlers by control id, range
// checks, modal answers, timers, the bitmaps of picture controls, the script verbs,
// and one dialog as a window of its own clicked through ImGui.
#include "platform/time/Time.h"
#include "platform/ui/Tree.h"
#include "platform/ui/draw/UiDraw.h"
#include "platform/win/InputScript.h"
#include "platform/win/MessageBox.h"
#include "tests/platform/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace platform;
using namespace platform::ui;

namespace {

std::vector<std::string> logged;

void Capture(const char* line)
{
    logged.push_back(line);
}

class UiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("VAREK_NONINTERACTIVE", "1", 1);
        logged.clear();
        SetLog(Capture);
        SetMessageBoxLog(Capture);
        ClearDialogAnswers();
    }
    void TearDown() override
    {
        SetLog(nullptr);
        SetMessageBoxLog(nullptr);
        ClearDialogAnswers();
    }
};

// A dialog with one number field (0 to 100) and a check box.
class RangeDialog : public Dialog
{
public:
    static constexpr int kValue = 1001, kCheck = 1002;
    int value = 7;
    int check = 0;
    RangeDialog() : Dialog(500, "Range", 200, 100)
    {
        AddControl(ControlKind::Edit, kValue, "", 10, 10, 80, 20);
        AddControl(ControlKind::CheckBox, kCheck, "On", 10, 40, 80, 20);
        AddControl(ControlKind::Button, IDOK, "OK", 10, 70, 60, 20);
    }
    bool OnInitDialog() override
    {
        UpdateData(false);
        return true;
    }
    void DoDataExchange(DataExchange& dx) override
    {
        DDX_Text(dx, kValue, value);
        DDV_MinMaxInt(dx, value, 0, 100);
        DDX_Check(dx, kCheck, check);
    }
};

TEST_F(UiTest, ModalAnswersPassTheRangeCheckOrLeaveTheDialogOpen)
{
    struct Case
    {
        const char* typed;
        int result;
        int value;
        const char* message; // the box shown, if any
    } cases[] = {
        {"42", IDOK, 42, nullptr},
        {"100", IDOK, 100, nullptr},
        {"101", IDCANCEL, 0, "Please enter an integer between 0 and 100."},
        {"-1", IDCANCEL, 0, "Please enter an integer between 0 and 100."},
        {"4x", IDCANCEL, 0, "Please enter an integer."},
    };
    for (const Case& c : cases) {
        logged.clear();
        RangeDialog dialog;
        QueueDialogAnswer({500, {{RangeDialog::kValue, c.typed}, {RangeDialog::kCheck, "1"}}, IDOK});
        EXPECT_EQ(dialog.DoModal(), c.result) << c.typed;
        // A cancelled dialog's members are not the caller's business.
        if (c.result == IDOK) {
            EXPECT_EQ(dialog.value, c.value) << c.typed;
        }
        bool boxShown = false, unanswered = false;
        for (const std::string& line : logged) {
            if (c.message && line.find(c.message) != std::string::npos)
                boxShown = true;
            if (line.find("Dialog 500 \"Range\" was not answered: Cancel") != std::string::npos)
                unanswered = true;
        }
        // A refused value keeps the dialog open: nobody answers it any more, so it cancels.
        EXPECT_EQ(boxShown, c.message != nullptr) << c.typed;
        EXPECT_EQ(unanswered, c.result == IDCANCEL) << c.typed;
        if (c.result == IDOK) {
            EXPECT_EQ(dialog.check, 1);
        }
    }
}

TEST_F(UiTest, AnswersGoToTheirOwnDialogOnly)
{
    QueueDialogAnswer({501, {}, IDOK});
    RangeDialog first;
    EXPECT_EQ(first.DoModal(), IDCANCEL); // 500 has no answer; 501's waits
    QueueDialogAnswer({500, {}, IDOK});
    RangeDialog second;
    EXPECT_EQ(second.DoModal(), IDOK);
    EXPECT_EQ(second.value, 7); // the field kept what OnInitDialog put there
}

TEST_F(UiTest, ModelessDialogsHideOnEnterEscapeAndCloseAndClickOnlyEnabledControls)
{
    struct Clicks : Dialog
    {
        std::vector<int> commands;
        Clicks() : Dialog(600, "Tool", 150, 300)
        {
            AddControl(ControlKind::Button, 10, "A", 0, 0, 50, 20);
            AddControl(ControlKind::Button, 11, "B", 0, 30, 50, 20).enabled = false;
            AddControl(ControlKind::CheckBox, 12, "C", 0, 60, 50, 20).threeState = true;
        }
        bool OnCommand(int id) override
        {
            commands.push_back(id);
            return Dialog::OnCommand(id);
        }
    } d;
    ASSERT_TRUE(d.Create(nullptr));
    EXPECT_FALSE(d.IsWindowVisible());
    EXPECT_EQ(FindDialog(600), &d);
    d.ShowWindow(SW_SHOWNA);
    EXPECT_TRUE(d.IsWindowVisible());
    EXPECT_FALSE(d.HasFocus()); // shown without taking the focus
    d.Click(10);
    d.Click(11);
    d.Click(12);
    d.Click(12);
    d.Click(12);
    EXPECT_EQ(d.commands, (std::vector<int>{10, 12, 12, 12}));
    EXPECT_EQ(d.GetDlgItem(12)->check, BST_UNCHECKED); // checked, indeterminate, unchecked
    for (int key : {VK_RETURN, VK_ESCAPE}) {
        d.ShowWindow(SW_SHOW);
        d.PressKey(key);
        EXPECT_FALSE(d.IsWindowVisible()) << key;
    }
    d.ShowWindow(SW_SHOW);
    d.CloseBox();
    EXPECT_FALSE(d.IsWindowVisible());
    d.DestroyWindow();
    EXPECT_EQ(FindDialog(600), nullptr);
}

TEST_F(UiTest, TimersRunOnTheInjectedClock)
{
    ManualClock clock(1000);
    clock.Install();
    struct Ticks : Dialog
    {
        std::vector<uint32_t> fired;
        Ticks() : Dialog(601, "T", 10, 10) {}
        void OnTimer(uint32_t id) override { fired.push_back(id); }
    } d;
    d.Create(nullptr);
    d.SetTimer(0x53435231, 50); // four-character ids as the windows use them
    d.SetTimer(2, 120);
    clock.AdvanceMs(49);
    RunPending();
    EXPECT_TRUE(d.fired.empty());
    clock.AdvanceMs(1);
    RunPending();
    EXPECT_EQ(d.fired, (std::vector<uint32_t>{0x53435231}));
    d.KillTimer(0x53435231);
    clock.AdvanceMs(100);
    RunPending();
    EXPECT_EQ(d.fired, (std::vector<uint32_t>{0x53435231, 2}));
    d.DestroyWindow();
    SetTimeSource({});
}

TEST_F(UiTest, MenusFindItemsInSubMenusAndKeepOneRadioMark)
{
    Menu bar(1202);
    Menu& file = bar.AddPopup("&File");
    file.AddItem(1, "One").AddSeparator().AddItem(2, "Two");
    Menu& view = bar.AddPopup("View");
    view.AddItem(3, "A").AddItem(4, "B").AddItem(5, "C");
    EXPECT_EQ(bar.FindSubMenu("view"), &view);
    EXPECT_EQ(bar.GetSubMenu(0), &file);
    EXPECT_EQ(bar.GetSubMenu(5), nullptr);
    EXPECT_TRUE(bar.EnableMenuItem(2, false));
    EXPECT_FALSE(bar.FindItem(2)->enabled);
    EXPECT_FALSE(bar.EnableMenuItem(99, false));
    EXPECT_EQ(bar.FindItem(0), nullptr); // separators and sub-menus have no command
    bar.CheckMenuRadioItem(3, 5, 4);
    bar.CheckMenuRadioItem(3, 5, 5);
    EXPECT_FALSE(bar.FindItem(3)->checked);
    EXPECT_FALSE(bar.FindItem(4)->checked);
    EXPECT_TRUE(bar.FindItem(5)->checked);
}

std::vector<uint8_t> Bmp8(int w, int h, bool topDown)
{
    const size_t stride = (size_t(w) + 3) & ~size_t(3);
    std::vector<uint8_t> b(54 + 1024 + stride * size_t(h), 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(10, 54 + 1024);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, topDown ? uint32_t(-h) : uint32_t(h));
    b[26] = 1;
    b[28] = 8;
    b[54 + 4 * 1 + 2] = 0xFF; // palette entry 1: red
    b[54 + 4 * 2 + 0] = 0xFF; // palette entry 2: blue
    // File row 0 is entry 1 everywhere, the others entry 2.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b[54 + 1024 + stride * size_t(y) + size_t(x)] = y == 0 ? 1 : 2;
    return b;
}

TEST_F(UiTest, BitmapsDecodeBothRowOrdersAndRefuseDamage)
{
    for (bool topDown : {false, true}) {
        Bitmap bmp;
        std::string error;
        ASSERT_TRUE(DecodeBmp(Bmp8(5, 3, topDown), bmp, error)) << error;
        EXPECT_EQ(bmp.width, 5);
        EXPECT_EQ(bmp.height, 3);
        const uint32_t red = 0xFFFF0000u, blue = 0xFF0000FFu;
        EXPECT_EQ(bmp.pixels[0], topDown ? red : blue) << topDown;
        EXPECT_EQ(bmp.pixels[2 * 5 + 4], topDown ? blue : red) << topDown;
    }
    std::vector<uint8_t> cut = Bmp8(5, 3, false);
    cut.resize(cut.size() - 1);
    Bitmap bmp;
    std::string error;
    EXPECT_FALSE(DecodeBmp(cut, bmp, error));
    EXPECT_EQ(error, "BMP pixel data cut short");
    EXPECT_FALSE(DecodeBmp(std::vector<uint8_t>(10, 'B'), bmp, error));

    TempDir dir;
    std::vector<uint32_t> pixels = {0xFF102030u, 0xFF405060u, 0xFF708090u,
                                    0xFFA0B0C0u, 0xFFD0E0F0u, 0xFF000000u};
    ASSERT_TRUE(SaveBmp24(dir.path / "p.bmp", 3, 2, pixels));
    std::ifstream in(dir.path / "p.bmp", std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(DecodeBmp(bytes, bmp, error)) << error;
    EXPECT_EQ(bmp.pixels, pixels);
}

TEST_F(UiTest, ScriptVerbsQueueAnswersAndClickWindows)
{
    RegisterScriptVerbs();
    struct Bad
    {
        const char* text;
        const char* error;
    } bad[] = {
        {"1 dialog 500\n", "s.txt(1): dialog needs a dialog id and a button (ok, cancel or an id), then "
                           "CONTROL=VALUE words"},
        {"1 dialog 500 ok 1001\n", "s.txt(1): '1001' is not CONTROL=VALUE"},
        {"1 command\n", "s.txt(1): command needs one command id"},
        {"1 control 600\n", "s.txt(1): control needs a window (dialog resource) id and a control id"},
    };
    for (const Bad& b : bad) {
        InputScript s;
        std::string error;
        EXPECT_FALSE(s.Parse(b.text, "s.txt", error));
        EXPECT_EQ(error, b.error);
    }

    struct Tool : Dialog
    {
        int clicked = 0;
        Tool() : Dialog(600, "Tool", 100, 100) { AddControl(ControlKind::Button, 10, "A", 0, 0, 50, 20); }
        bool OnCommand(int id) override
        {
            clicked = id;
            return true;
        }
    } tool;
    tool.Create(nullptr);
    InputScript s;
    std::string error;
    ASSERT_TRUE(s.Parse("2 control 600 10\n2 dialog 500 ok 1001=64\n3 close 600\n", "s.txt", error)) << error;
    s.RunBeforeFrame(2);
    EXPECT_EQ(tool.clicked, 0); // a hidden window takes no clicks
    tool.ShowWindow(SW_SHOWNA);
    s.RunBeforeFrame(2);
    EXPECT_EQ(tool.clicked, 10);
    RangeDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.value, 64);
    s.RunBeforeFrame(3);
    EXPECT_FALSE(tool.IsWindowVisible());
}

// A dialog as a window of its own: a person's click at the button's pixels reaches
// its handler through ImGui, and the snapshot shows the dialog.
TEST_F(UiTest, WindowModeTakesAClickThroughImGuiAndSnapshotsTheDialog)
{
    TempDir dir;
    struct Ask : Dialog
    {
        Ask() : Dialog(700, "Ask", 240, 120)
        {
            AddControl(ControlKind::Static, 0, "Go on?", 10, 10, 100, 20);
            AddControl(ControlKind::Button, 33, "Yes", 20, 60, 100, 30);
        }
        bool OnCommand(int id) override
        {
            if (id == 33)
                EndDialog(id);
            return Dialog::OnCommand(id);
        }
    };
    dir.Write("s.txt", "2 click left 70 75\n");
    setenv("VAREK_INPUT_SCRIPT", "s.txt", 1);
    setenv("VAREK_SNAPSHOTS", "1", 1);
    Ask ask;
    const int result = RunDialogWindow(ask, dir.path);
    unsetenv("VAREK_INPUT_SCRIPT");
    unsetenv("VAREK_SNAPSHOTS");
    EXPECT_EQ(result, 33);
    std::ifstream in(dir.path / "snapshot00001.bmp", std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Bitmap shot;
    std::string error;
    ASSERT_TRUE(DecodeBmp(bytes, shot, error)) << error;
    EXPECT_EQ(shot.width, 240);
    EXPECT_EQ(shot.height, 120);
    // The button's face differs from the window behind it.
    EXPECT_NE(shot.pixels[size_t(75) * 240 + 25], shot.pixels[size_t(110) * 240 + 200]);

    // Nobody clicks: the window ends with Cancel once the script has run out.
    dir.Write("s.txt", "1 move 5 5\n");
    setenv("VAREK_INPUT_SCRIPT", "s.txt", 1);
    Ask idle;
    EXPECT_EQ(RunDialogWindow(idle, dir.path), IDCANCEL);
    unsetenv("VAREK_INPUT_SCRIPT");
}

// A tree in a window of its own: a click on a row's pixels reaches the tree
// through ImGui's input, which selects the row by mouse on the release.
TEST_F(UiTest, ATreeRowClickedThroughImGuiBecomesTheCaretByMouse)
{
    TempDir dir;
    struct Trees : Dialog
    {
        TreeCtrl tree;
        HTREEITEM rows[3] = {};
        TreeAction action = TreeAction::Unknown;
        Trees() : Dialog(701, "Trees", 240, 120)
        {
            AddTree(5, tree, 0, 0, 240, 120);
            for (int i = 0; i < 3; ++i)
                rows[i] = tree.InsertItem("row " + std::to_string(i));
            tree.notify = [this](const TreeNotify& n) {
                if (n.code == TreeCode::SelChanged) {
                    action = n.action;
                    EndDialog(int(n.item));
                }
            };
        }
    };
    // Row 1 spans y 20..39; its label starts after the first indent.
    dir.Write("s.txt", "2 click left 40 30\n");
    setenv("VAREK_INPUT_SCRIPT", "s.txt", 1);
    Trees trees;
    const int result = RunDialogWindow(trees, dir.path);
    unsetenv("VAREK_INPUT_SCRIPT");
    EXPECT_EQ(result, int(trees.rows[1]));
    EXPECT_EQ(trees.action, TreeAction::ByMouse);
    EXPECT_EQ(trees.tree.GetSelectedItem(), trees.rows[1]);
}

TEST_F(UiTest, TheTreeVerbPressesItemsByTheirLabelPath)
{
    RegisterScriptVerbs();
    struct Bad
    {
        const char* text;
        const char* error;
    } bad[] = {
        {"1 tree 600 select\n",
         "s.txt(1): tree needs a window (dialog resource) id, an action (select, "
         "rclick, dblclick or drag) and an "
         "item path (texts separated by \\; drag: SOURCE -> TARGET; rclick without a path: "
         "below the items)"},
        {"1 tree 600 poke Houses\n",
         "s.txt(1): tree needs a window (dialog resource) id, an action (select, "
         "rclick, dblclick or drag) and an "
         "item path (texts separated by \\; drag: SOURCE -> TARGET; rclick without a path: "
         "below the items)"},
        {"1 tree 600 drag Houses\n",
         "s.txt(1): tree needs a window (dialog resource) id, an action (select, "
         "rclick, dblclick or drag) and an "
         "item path (texts separated by \\; drag: SOURCE -> TARGET; rclick without a path: "
         "below the items)"},
    };
    for (const Bad& b : bad) {
        InputScript s;
        std::string error;
        EXPECT_FALSE(s.Parse(b.text, "s.txt", error));
        EXPECT_EQ(error, b.error);
    }

    struct Trees : Dialog
    {
        TreeCtrl tree;
        HTREEITEM houses = 0, house = 0, street = 0;
        std::vector<std::pair<TreeCode, HTREEITEM>> seen;
        Trees() : Dialog(600, "Trees", 240, 200)
        {
            AddTree(5, tree, 0, 0, 240, 200);
            houses = tree.InsertItem("Houses");
            house = tree.InsertItem("Haus A", houses);
            street = tree.InsertItem("Street");
            tree.notify = [this](const TreeNotify& n) {
                if (n.code == TreeCode::DblClk || n.code == TreeCode::RClick || n.code == TreeCode::BeginDrag)
                    seen.emplace_back(n.code, n.item);
            };
        }
    } trees;
    trees.Create(nullptr);
    trees.ShowWindow(SW_SHOWNA);
    InputScript s;
    std::string error;
    ASSERT_TRUE(s.Parse("1 tree 600 select Houses\\Haus A\n"
                        "2 tree 600 dblclick Street\n"
                        "3 tree 600 rclick Houses\n"
                        "4 tree 600 select Houses\\Nothing\n"
                        "5 tree 600 drag Street -> Houses\\Haus A\n",
                        "s.txt", error))
        << error;
    s.RunBeforeFrame(1);
    EXPECT_EQ(trees.tree.GetSelectedItem(), trees.house) << "the branch opened to reach it";
    s.RunBeforeFrame(2);
    s.RunBeforeFrame(3);
    const HTREEITEM caret = trees.tree.GetSelectedItem();
    s.RunBeforeFrame(4);
    EXPECT_EQ(trees.tree.GetSelectedItem(), caret) << "a missing item is no click";
    s.RunBeforeFrame(5);
    const std::vector<std::pair<TreeCode, HTREEITEM>> expected = {{TreeCode::DblClk, trees.street},
                                                                  {TreeCode::RClick, trees.houses},
                                                                  {TreeCode::BeginDrag, trees.street}};
    EXPECT_EQ(trees.seen, expected);
}

} // namespace
