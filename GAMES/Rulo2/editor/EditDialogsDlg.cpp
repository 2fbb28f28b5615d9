#include "GAMES/Rulo2/editor/EditDialogsDlg.h"

#include "GAMES/Rulo2/behaviour/CKindState.h"
#include "GAMES/Rulo2/editor/IntelliTip.h"
#include "GAMES/Rulo2/interface/CTextTree.h"
#include "GAMES/Rulo2/interface/DialogTexts.h"
#include "LIBS/System/sArray.h"
#include "LIBS/System/sString.h"

#include <algorithm>
#include <cstdlib>

using platform::ui::ControlKind;

namespace {

enum Column
{
    COL_ALWAYS,
    COL_ACTIVE,
    COL_NUMBER,
    COL_QUESTION,
    COL_ANSWER,
    COL_DLG_PLUS,
    COL_DLG_MINUS,
    COL_ALWAYS_PLUS,
    COL_ALWAYS_MINUS,
    COL_STORY,
    COL_COOLNESS,
    COL_DIALOG_EVENT,
    COL_COUNT
};

int ColumnId(int column, int r)
{
    switch (column) {
    case COL_ALWAYS:
        return EditDialogsDlg::AlwaysId(r);
    case COL_ACTIVE:
        return EditDialogsDlg::ActiveId(r);
    case COL_NUMBER:
        return EditDialogsDlg::NumberId(r);
    case COL_QUESTION:
        return EditDialogsDlg::QuestionId(r);
    case COL_ANSWER:
        return EditDialogsDlg::AnswerId(r);
    case COL_DLG_PLUS:
        return EditDialogsDlg::DlgPlusId(r);
    case COL_DLG_MINUS:
        return EditDialogsDlg::DlgMinusId(r);
    case COL_ALWAYS_PLUS:
        return EditDialogsDlg::AlwaysPlusId(r);
    case COL_ALWAYS_MINUS:
        return EditDialogsDlg::AlwaysMinusId(r);
    case COL_STORY:
        return EditDialogsDlg::StoryId(r);
    case COL_COOLNESS:
        return EditDialogsDlg::CoolnessId(r);
    default:
        return EditDialogsDlg::DialogEventId(r);
    }
}

// The row and column of a control id; false for the dialog's other controls.
bool FindCell(int id, int& row, int& column)
{
    for (int r = 0; r < EditDialogsDlg::kRows; ++r)
        for (int c = 0; c < COL_COUNT; ++c)
            if (ColumnId(c, r) == id) {
                row = r;
                column = c;
                return true;
            }
    return false;
}

std::string* TextField(CDialogEntry& e, int column)
{
    switch (column) {
    case COL_QUESTION:
        return &e.question;
    case COL_ANSWER:
        return &e.answer;
    case COL_DLG_PLUS:
        return &e.dlgPlus;
    case COL_DLG_MINUS:
        return &e.dlgMinus;
    case COL_ALWAYS_PLUS:
        return &e.alwaysPlus;
    case COL_ALWAYS_MINUS:
        return &e.alwaysMinus;
    default:
        return nullptr;
    }
}

int32_t* NumberField(CDialogEntry& e, int column)
{
    switch (column) {
    case COL_STORY:
        return &e.story;
    case COL_COOLNESS:
        return &e.coolness;
    case COL_DIALOG_EVENT:
        return &e.dialogEvent;
    default:
        return nullptr;
    }
}

// The stored list: an empty text is none at all.
const char* ListOrNull(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
}

struct ColumnLayout
{
    const char* title;
    int x, width;
};
const ColumnLayout kLayout[COL_COUNT] = {
    {"Always", 8, 44},    {"Active", 56, 44}, {"DlgNo", 104, 40},    {"Q", 148, 150},
    {"A", 302, 150},      {"Dlg+", 456, 60},  {"Dlg-", 520, 60},     {"Always+", 584, 60},
    {"Always-", 648, 60}, {"Story", 712, 44}, {"Coolness", 760, 54}, {"DialogEvent", 818, 70},
};

} // namespace

std::vector<std::unique_ptr<CDialogEntry>>
CopyDialogEntries(const std::vector<std::unique_ptr<CDialogEntry>>& from)
{
    std::vector<std::unique_ptr<CDialogEntry>> copies;
    copies.reserve(from.size());
    for (const auto& e : from)
        copies.push_back(std::make_unique<CDialogEntry>(*e));
    return copies;
}

EditDialogsDlg::EditDialogsDlg() : Dialog(IDD, "Edit Dialogs", 930, 220)
{
    for (int c = 0; c < COL_COUNT; ++c)
        AddControl(ControlKind::Static, 0, kLayout[c].title, kLayout[c].x, 8, kLayout[c].width, 18);
    for (int r = 0; r < kRows; ++r) {
        const int y = 30 + 28 * r;
        for (int c = 0; c < COL_COUNT; ++c) {
            const ControlKind kind = c <= COL_ACTIVE ? ControlKind::CheckBox : ControlKind::Edit;
            platform::ui::Control& control =
                AddControl(kind, ColumnId(c, r), "", kLayout[c].x, y, kLayout[c].width, 22);
            control.notifyChange = kind == ControlKind::Edit && c != COL_NUMBER;
        }
    }
    AddControl(ControlKind::ScrollBar, kScrollBar, "", 896, 30, 16, 106).vertical = true;
    AddControl(ControlKind::Button, kAdd, "Add Dialog", 8, 150, 110, 24);
    AddControl(ControlKind::Button, kRemoveAll, "Remove All Dialogs", 124, 150, 150, 24);
    AddControl(ControlKind::Button, kReloadText, "Reload Text", 280, 150, 110, 24);
    AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 760, 150, 72, 24);
    AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 840, 150, 72, 24);
}

EditDialogsDlg::~EditDialogsDlg() = default;

bool EditDialogsDlg::OnInitDialog()
{
    first_ = 0;
    Refresh();
    return true;
}

void EditDialogsDlg::Refresh()
{
    refreshing_ = true;
    const int count = int(entries.size());
    for (int r = 0; r < kRows; ++r) {
        const bool shown = r < count;
        CDialogEntry* e = shown ? entries[size_t(first_ + r)].get() : nullptr;
        for (int c = 0; c < COL_COUNT; ++c) {
            platform::ui::Control* control = GetDlgItem(ColumnId(c, r));
            control->enabled = shown;
            if (!e) {
                control->text.clear();
                control->check = platform::ui::BST_UNCHECKED;
                continue;
            }
            switch (c) {
            case COL_ALWAYS:
                control->check = e->active ? platform::ui::BST_CHECKED : platform::ui::BST_UNCHECKED;
                break;
            case COL_ACTIVE:
                control->check = e->available ? platform::ui::BST_CHECKED : platform::ui::BST_UNCHECKED;
                break;
            case COL_NUMBER:
                control->text = std::to_string(first_ + r + 1);
                break;
            default:
                if (const std::string* text = TextField(*e, c))
                    control->text = *text;
                else if (const int32_t* number = NumberField(*e, c))
                    control->text = std::to_string(*number);
                break;
            }
        }
        // The entry number is shown, never edited.
        GetDlgItem(NumberId(r))->enabled = false;
    }
    scrollEnabled_ = count > kRows;
    platform::ui::Control* scroll = GetDlgItem(kScrollBar);
    scroll->enabled = scrollEnabled_;
    scroll->rangeLow = 0;
    scroll->rangeHigh = std::max(0, count - 1);
    scroll->position = first_;
    refreshing_ = false;
}

void EditDialogsDlg::ScrollTo(int first)
{
    const int last = std::max(0, int(entries.size()) - kRows);
    first_ = std::clamp(first, 0, last);
    Refresh();
}

void EditDialogsDlg::OnVScroll(int id, int code, int thumbPosition)
{
    if (id != kScrollBar || !scrollEnabled_)
        return;
    switch (code) {
    case SB_LINEUP:
    case SB_TOP:
        ScrollTo(first_ - 1);
        break;
    case SB_LINEDOWN:
    case SB_BOTTOM:
        ScrollTo(first_ + 1);
        break;
    case SB_PAGEUP:
        ScrollTo(first_ - kRows);
        break;
    case SB_PAGEDOWN:
        ScrollTo(first_ + kRows);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        ScrollTo(thumbPosition);
        break;
    default:
        break;
    }
}

bool EditDialogsDlg::OnCommand(int id)
{
    switch (id) {
    case kAdd:
        entries.push_back(std::make_unique<CDialogEntry>());
        first_ = std::max(0, int(entries.size()) - kRows);
        Refresh();
        return true;
    case kRemoveAll:
        entries.clear();
        first_ = 0;
        Refresh();
        return true;
    case kReloadText:
        LoadDialogTexts();
        return true;
    default:
        break;
    }
    int row = 0, column = 0;
    if (FindCell(id, row, column)) {
        if (!refreshing_)
            RowChanged(id);
        return true;
    }
    return Dialog::OnCommand(id);
}

void EditDialogsDlg::RowChanged(int id)
{
    int row = 0, column = 0;
    FindCell(id, row, column);
    const size_t index = size_t(first_ + row);
    if (index >= entries.size())
        return;
    CDialogEntry& e = *entries[index];
    const platform::ui::Control& control = *GetDlgItem(id);
    if (column == COL_ALWAYS) {
        e.active = control.check == platform::ui::BST_CHECKED;
        return;
    }
    if (column == COL_ACTIVE) {
        e.available = control.check == platform::ui::BST_CHECKED;
        return;
    }
    if (int32_t* number = NumberField(e, column)) {
        *number = int32_t(std::atoi(control.text.c_str()));
        return;
    }
    std::string* text = TextField(e, column);
    if (!text)
        return;
    *text = control.text;
    if (selectedField_ == id)
        selectedField_ = 0;
    bool good;
    if (column == COL_QUESTION || column == COL_ANSWER) {
        good = ExpandTextKeyList(ListOrNull(*text), nullptr);
    } else {
        sArray<int32_t> numbers;
        good = ParseNumberList(ListOrNull(*text), int32_t(entries.size()), &numbers);
    }
    if (!good)
        ShowBadField(id);
}

void EditDialogsDlg::ShowBadField(int id)
{
    SetFocusControl(id);
    selectedField_ = id;
}

void EditDialogsDlg::OnMouseOverKeyList(int id, int x, int y)
{
    int row = 0, column = 0;
    if (!FindCell(id, row, column) || (column != COL_QUESTION && column != COL_ANSWER))
        return;
    const size_t index = size_t(first_ + row);
    if (index >= entries.size())
        return;
    const CDialogEntry& e = *entries[index];
    const std::string& list = column == COL_QUESTION ? e.question : e.answer;
    sString texts;
    if (!ExpandTextKeyList(ListOrNull(list), &texts))
        return;
    if (!tip_)
        tip_ = std::make_unique<CIntelliTip>();
    if (tip_->setPosition(x, y))
        tip_->show(texts.c_str() ? texts.c_str() : "");
}

void EditDialogsDlg::OnMouseMove(int id, int x, int y)
{
    if (id == 0)
        OnMouseOverDialog();
    else
        OnMouseOverKeyList(id, x, y);
}

void EditDialogsDlg::OnMouseOverDialog()
{
    if (tip_)
        tip_->hide();
}
