#pragma once
// "Edit Dialogs": the conversation entries of a character in a grid of four rows
// with a scroll bar. It edits deep copies; the Object Properties window takes them
// over after OK. Key lists (Q, A) are checked against the text-key dictionary and
// number lists against the entry count while they are typed: a bad list is
// selected so that the designer sees it, and is kept all the same.
#include "platform/ui/Ui.h"

#include <memory>
#include <vector>

class CIntelliTip;
struct CDialogEntry;

class EditDialogsDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 401;
    static constexpr int kRows = 4;
    static constexpr int kScrollBar = 1033;
    static constexpr int kAdd = 1275, kRemoveAll = 1371, kReloadText = 1277;
    // Control ids of row r (0 to 3).
    static int AlwaysId(int r) { return 1113 + r; }
    static int ActiveId(int r) { return 1109 + r; }
    static int NumberId(int r) { return 1189 + r; }
    static int QuestionId(int r) { return 1194 + 4 * r; }
    static int AnswerId(int r) { return 1195 + 4 * r; }
    static int DlgPlusId(int r) { return 1196 + 4 * r; }
    static int DlgMinusId(int r) { return 1197 + 4 * r; }
    static int AlwaysPlusId(int r) { return 1222 + r; }
    static int AlwaysMinusId(int r) { return 1226 + r; }
    static int StoryId(int r) { return 1210 + r; }
    static int CoolnessId(int r) { return 1214 + r; }
    static int DialogEventId(int r) { return 1218 + r; }

    // Scroll bar requests (WM_VSCROLL codes).
    enum ScrollCode
    {
        SB_LINEUP = 0,
        SB_LINEDOWN = 1,
        SB_PAGEUP = 2,
        SB_PAGEDOWN = 3,
        SB_THUMBPOSITION = 4,
        SB_THUMBTRACK = 5,
        SB_TOP = 6,
        SB_BOTTOM = 7,
    };

    EditDialogsDlg();
    ~EditDialogsDlg() override;

    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void OnVScroll(int id, int code, int position) override;
    // Over a Q or A edit the tooltip shows the texts of the list's known keys; over
    // the dialog's background it goes.
    void OnMouseMove(int id, int x, int y) override;
    // The mouse over a Q or A edit at a point of the host window.
    void OnMouseOverKeyList(int id, int x, int y);
    void OnMouseOverDialog();

    // The entries edited, owned by the dialog (deep copies of the character's).
    std::vector<std::unique_ptr<CDialogEntry>> entries;
    int FirstVisible() const { return first_; }
    // The scroll bar: enabled with more than four entries, range 0 to count - 1, page 4.
    bool ScrollEnabled() const { return scrollEnabled_; }
    int ScrollPosition() const { return first_; }
    // The control whose whole text is selected to show a bad list (0: none).
    int SelectedField() const { return selectedField_; }
    CIntelliTip* Tip() const { return tip_.get(); }

    // The rows shown again from the entries.
    void Refresh();

private:
    void RowChanged(int id);
    void ShowBadField(int id);
    void ScrollTo(int first);

    int first_ = 0;
    bool scrollEnabled_ = false;
    int selectedField_ = 0;
    // Refresh writes the controls: their changes are not the user's.
    bool refreshing_ = false;
    std::unique_ptr<CIntelliTip> tip_;
};

// Deep copies of conversation entries.
std::vector<std::unique_ptr<CDialogEntry>>
CopyDialogEntries(const std::vector<std::unique_ptr<CDialogEntry>>& from);
