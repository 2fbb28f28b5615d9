// The conversation entry editor: its four rows and scroll bar, the checks of key and
// number lists as they are typed, the tooltip over a key list, and the Object
// Properties window taking the edited entries over after OK.
#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/editor/EditDialogsDlg.h"
#include "GAMES/Rulo2/editor/IntelliTip.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "platform/ui/draw/UiDraw.h"
#include "tests/editor/EditorWindowsFixture.h"

namespace {

using platform::ui::DialogAnswer;
using platform::ui::QueueDialogAnswer;

// A dialog over `count` entries whose question names their number.
struct SDialogs
{
    explicit SDialogs(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto e = std::make_unique<CDialogEntry>();
            e->question = "Q" + std::to_string(i + 1);
            dialog.entries.push_back(std::move(e));
        }
        dialog.Create(nullptr);
    }
    ~SDialogs() { dialog.DestroyWindow(); }
    // The entry numbers the four rows show ("" for an empty row).
    std::vector<std::string> Shown()
    {
        std::vector<std::string> rows;
        for (int r = 0; r < EditDialogsDlg::kRows; ++r)
            rows.push_back(dialog.GetDlgItemText(EditDialogsDlg::NumberId(r)));
        return rows;
    }
    // Typing into a field: its text changes and it tells the dialog.
    void Type(int id, const std::string& text)
    {
        dialog.GetDlgItem(id)->text = text;
        dialog.Click(id);
    }
    EditDialogsDlg dialog;
};

TEST(EditDialogs, FewEntriesLeaveRowsAndTheScrollBarDisabled)
{
    SDialogs three(3);
    EXPECT_EQ(three.Shown(), (std::vector<std::string>{"1", "2", "3", ""}));
    EXPECT_EQ(three.dialog.GetDlgItemText(EditDialogsDlg::QuestionId(2)), "Q3");
    for (int id : {EditDialogsDlg::AlwaysId(3), EditDialogsDlg::QuestionId(3), EditDialogsDlg::DlgMinusId(3),
                   EditDialogsDlg::AlwaysMinusId(3), EditDialogsDlg::DialogEventId(3)}) {
        EXPECT_FALSE(three.dialog.GetDlgItem(id)->enabled) << id;
        EXPECT_EQ(three.dialog.GetDlgItemText(id), "") << id;
    }
    EXPECT_TRUE(three.dialog.GetDlgItem(EditDialogsDlg::QuestionId(2))->enabled);
    EXPECT_FALSE(three.dialog.ScrollEnabled());
    EXPECT_FALSE(three.dialog.GetDlgItem(EditDialogsDlg::kScrollBar)->enabled);
    three.dialog.Scroll(EditDialogsDlg::kScrollBar, EditDialogsDlg::SB_LINEDOWN);
    EXPECT_EQ(three.dialog.FirstVisible(), 0);
}

TEST(EditDialogs, ScrollingStaysWithinTheEntries)
{
    SDialogs five(5);
    EXPECT_TRUE(five.dialog.ScrollEnabled());
    five.dialog.Scroll(EditDialogsDlg::kScrollBar, EditDialogsDlg::SB_LINEDOWN);
    EXPECT_EQ(five.Shown(), (std::vector<std::string>{"2", "3", "4", "5"}));
    five.dialog.Scroll(EditDialogsDlg::kScrollBar, EditDialogsDlg::SB_LINEDOWN);
    EXPECT_EQ(five.dialog.FirstVisible(), 1);

    SDialogs ten(10);
    const struct
    {
        int code, thumb;
        const char* first;
    } steps[] = {{EditDialogsDlg::SB_PAGEDOWN, 0, "5"},      {EditDialogsDlg::SB_PAGEDOWN, 0, "7"},
                 {EditDialogsDlg::SB_PAGEUP, 0, "3"},        {EditDialogsDlg::SB_TOP, 0, "2"},
                 {EditDialogsDlg::SB_BOTTOM, 0, "3"},        {EditDialogsDlg::SB_THUMBTRACK, 6, "7"},
                 {EditDialogsDlg::SB_THUMBPOSITION, 9, "7"}, {EditDialogsDlg::SB_LINEUP, 0, "6"},
                 {EditDialogsDlg::SB_PAGEUP, 0, "2"},        {EditDialogsDlg::SB_PAGEUP, 0, "1"}};
    for (const auto& step : steps) {
        ten.dialog.Scroll(EditDialogsDlg::kScrollBar, step.code, step.thumb);
        EXPECT_EQ(ten.Shown()[0], step.first) << step.code;
        EXPECT_EQ(ten.dialog.ScrollPosition(), ten.dialog.FirstVisible());
        EXPECT_EQ(ten.dialog.GetDlgItem(EditDialogsDlg::kScrollBar)->position, ten.dialog.FirstVisible());
    }
    // The bar's range: entry 1 to 10 at its top, page 4.
    EXPECT_EQ(ten.dialog.GetDlgItem(EditDialogsDlg::kScrollBar)->rangeLow, 0);
    EXPECT_EQ(ten.dialog.GetDlgItem(EditDialogsDlg::kScrollBar)->rangeHigh, 9);
    ten.dialog.Scroll(EditDialogsDlg::kScrollBar, EditDialogsDlg::SB_PAGEDOWN);
    EXPECT_EQ(ten.Shown(), (std::vector<std::string>{"5", "6", "7", "8"}));
    EXPECT_EQ(ten.dialog.GetDlgItemText(EditDialogsDlg::QuestionId(0)), "Q5");
}

TEST(EditDialogs, AddShowsTheNewEntryLastAndRemoveAllEmptiesTheGrid)
{
    SDialogs six(6);
    six.dialog.Click(EditDialogsDlg::kAdd);
    ASSERT_EQ(six.dialog.entries.size(), 7u);
    EXPECT_EQ(six.Shown(), (std::vector<std::string>{"4", "5", "6", "7"}));
    EXPECT_EQ(six.dialog.GetDlgItemText(EditDialogsDlg::QuestionId(3)), "");
    EXPECT_EQ(six.dialog.GetDlgItemText(EditDialogsDlg::StoryId(3)), "0");
    six.dialog.Click(EditDialogsDlg::kRemoveAll);
    EXPECT_TRUE(six.dialog.entries.empty());
    EXPECT_EQ(six.Shown(), (std::vector<std::string>{"", "", "", ""}));
    EXPECT_FALSE(six.dialog.ScrollEnabled());
}

TEST(EditDialogs, EachFieldWritesTheEntryOfItsRow)
{
    SDialogs six(6);
    six.dialog.Scroll(EditDialogsDlg::kScrollBar, EditDialogsDlg::SB_LINEDOWN);
    six.dialog.Click(EditDialogsDlg::AlwaysId(1));
    six.dialog.Click(EditDialogsDlg::ActiveId(2));
    six.Type(EditDialogsDlg::StoryId(0), "3");
    six.Type(EditDialogsDlg::CoolnessId(0), "-40");
    six.Type(EditDialogsDlg::DialogEventId(0), "12");
    six.Type(EditDialogsDlg::AlwaysPlusId(0), "1 2");
    six.Type(EditDialogsDlg::AlwaysMinusId(0), "6");
    six.Type(EditDialogsDlg::DlgMinusId(0), "4");
    const CDialogEntry& second = *six.dialog.entries[1];
    EXPECT_EQ(six.dialog.entries[2]->active, 1);
    EXPECT_EQ(six.dialog.entries[3]->available, 1);
    EXPECT_EQ(second.story, 3);
    EXPECT_EQ(second.coolness, -40);
    EXPECT_EQ(second.dialogEvent, 12);
    EXPECT_EQ(second.alwaysPlus, "1 2");
    EXPECT_EQ(second.alwaysMinus, "6");
    EXPECT_EQ(second.dlgMinus, "4");
    EXPECT_EQ(six.dialog.SelectedField(), 0);
}

TEST(EditDialogs, BadListsAreSelectedAndKept)
{
    TextTree.Insert("HELLO", "Good evening.");
    SDialogs six(6);
    const int plus = EditDialogsDlg::DlgPlusId(0);
    six.Type(plus, "7");
    EXPECT_EQ(six.dialog.SelectedField(), plus);
    EXPECT_EQ(six.dialog.FocusControl(), plus);
    EXPECT_EQ(six.dialog.entries[0]->dlgPlus, "7");
    six.Type(plus, "6");
    EXPECT_EQ(six.dialog.SelectedField(), 0);
    EXPECT_EQ(six.dialog.entries[0]->dlgPlus, "6");

    const int question = EditDialogsDlg::QuestionId(1);
    six.Type(question, "NO_SUCH_KEY, NOR_THIS");
    EXPECT_EQ(six.dialog.SelectedField(), question);
    EXPECT_EQ(six.dialog.entries[1]->question, "NO_SUCH_KEY, NOR_THIS");
    six.Type(question, "NO_SUCH_KEY, HELLO");
    EXPECT_EQ(six.dialog.SelectedField(), 0);
    // An emptied list is no list at all, and no fault.
    six.Type(EditDialogsDlg::AnswerId(1), "");
    EXPECT_EQ(six.dialog.SelectedField(), 0);
}

TEST(EditDialogs, TheTooltipShowsTheTextsOfTheKnownKeys)
{
    TextTree.Insert("HELLO", "Good evening.");
    SDialogs two(2);
    two.dialog.entries[0]->question = "HELLO";
    two.dialog.entries[1]->answer = "UNKNOWN_KEY";
    two.dialog.OnMouseOverKeyList(EditDialogsDlg::AnswerId(1), 40, 50);
    EXPECT_EQ(two.dialog.Tip(), nullptr);
    two.dialog.OnMouseOverKeyList(EditDialogsDlg::QuestionId(0), 40, 50);
    ASSERT_NE(two.dialog.Tip(), nullptr);
    EXPECT_EQ(two.dialog.Tip()->text(), "Good evening.");
    two.dialog.OnMouseOverDialog();
    EXPECT_EQ(two.dialog.Tip()->text(), "");
}

// The dialog drawn in a window of its own, as a person meets it: the pointer resting on
// a question shows its texts, on the background hides them, and a click on the lower
// part of the scroll bar scrolls the rows.
TEST(EditDialogs, ThePointerAndTheScrollBarWorkThroughTheDrawnDialog)
{
    TextTree.Insert("HELLO", "Good evening.");
    struct SWatched : EditDialogsDlg
    {
        std::vector<std::pair<int, std::string>> moves; // control, tip text afterwards
        void OnMouseMove(int id, int x, int y) override
        {
            EditDialogsDlg::OnMouseMove(id, x, y);
            if (moves.empty() || moves.back().first != id)
                moves.emplace_back(id, Tip() ? Tip()->text() : std::string());
        }
    } dialog;
    for (int i = 0; i < 6; ++i)
        dialog.entries.push_back(std::make_unique<CDialogEntry>());
    dialog.entries[0]->question = "HELLO";
    TempDir dir;
    // Row 0's question edit spans x 148..298, y 30..52; the bar x 896..912, y 30..136.
    std::ofstream(dir.path / "s.txt") << "2 move 200 40\n4 move 600 195\n6 click left 904 125\n";
    setenv("VAREK_INPUT_SCRIPT", "s.txt", 1);
    const int result = platform::ui::RunDialogWindow(dialog, dir.path);
    unsetenv("VAREK_INPUT_SCRIPT");
    EXPECT_EQ(result, platform::ui::IDCANCEL);
    const std::vector<std::pair<int, std::string>> hovered = {
        {EditDialogsDlg::QuestionId(0), "Good evening."}, {0, ""}};
    std::string seen;
    for (const auto& [id, tip] : dialog.moves)
        seen += std::to_string(id) + " '" + tip + "'; ";
    ASSERT_GE(dialog.moves.size(), 2u) << seen;
    EXPECT_EQ(std::vector(dialog.moves.begin(), dialog.moves.begin() + 2), hovered);
    // Near the bottom of the bar: the last four entries.
    EXPECT_EQ(dialog.FirstVisible(), 2);
    EXPECT_EQ(dialog.GetDlgItem(EditDialogsDlg::kScrollBar)->position, 2);
}

class EditDialogsFromProperties : public editortest::EditorWindowsTest
{
};

TEST_F(EditDialogsFromProperties, OkTakesTheEditedEntriesOverAndCancelDiscardsThem)
{
    CObjectNode* guard = Definition("Guard", 4);
    auto* state = static_cast<CCharacterState*>(guard->objectLogic->ownConditions.get());
    state->entries.push_back(std::make_unique<CDialogEntry>());
    g_ObjectPropertiesDlg->SetObject(guard->objectLogic, nullptr, guard);

    QueueDialogAnswer(DialogAnswer{EditDialogsDlg::IDD, {}, EditDialogsDlg::kAdd});
    QueueDialogAnswer(DialogAnswer{EditDialogsDlg::IDD, {}, platform::ui::IDCANCEL});
    g_ObjectPropertiesDlg->Click(ObjectPropertiesDlg::IDC_DIALOGS);
    EXPECT_EQ(state->entries.size(), 1u);

    QueueDialogAnswer(DialogAnswer{EditDialogsDlg::IDD, {}, EditDialogsDlg::kAdd});
    QueueDialogAnswer(
        DialogAnswer{EditDialogsDlg::IDD, {{EditDialogsDlg::AlwaysId(1), "1"}}, platform::ui::IDOK});
    g_ObjectPropertiesDlg->Click(ObjectPropertiesDlg::IDC_DIALOGS);
    ASSERT_EQ(state->entries.size(), 2u);
    EXPECT_TRUE(g_ObjectPropertiesDlg->Modified());
}

} // namespace
