#pragma once
// Tool windows, dialogs and menus as retained objects, drawn with Dear ImGui.
//
// Every window or dialog is a `Dialog` object: it owns its controls (each with a
// control id), its placement and its state, and its behaviour lives in virtual
// handlers (OnInitDialog, OnCommand, OnOK, OnCancel, OnClose, OnDestroy, OnSize,
// OnTimer, DoDataExchange). ImGui only draws the objects and turns a person's input
// into the same handler calls that tests and input scripts make by control id:
//   dialog.Click(IDOK);  dialog.PressKey(VK_ESCAPE);  dialog.CloseBox();
//
// Nothing here draws or needs a window system: programs that show the objects link
// platform/ui/draw (UiDraw.h) as well, which shows them in two ways:
// - Over the 3-D view: AttachToWindow(host) draws the tool windows, the menu bar of
//   the host's menu and any modal dialog after the device presents a picture
//   (platform/d3d's present overlay), and sees every SDL event before the window
//   does; the 3-D view gets mouse and keyboard only when the UI does not want them.
// - One dialog as the whole content of a window of its own, without the device:
//   RunDialogWindow (the launcher). It honours VAREK_SNAPSHOTS and
//   VAREK_INPUT_SCRIPT with its own frame count; its snapshots show the dialog.
//
// Non-interactive runs (VAREK_NONINTERACTIVE=1): a modal dialog takes the answer an
// input script or a test queued for its resource id (QueueDialogAnswer); without
// one it is logged as unanswered and ends with IDCANCEL. Nothing waits for a person.
//
// Everything here runs on the main thread.

#include "platform/win/MessageBox.h"
#include "platform/win/Window.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ui {

// Dialog results and the standard button ids, as message boxes have them.
using platform::IDCANCEL;
using platform::IDOK;

// ---------------------------------------------------------------- menus

// A menu or pop-up menu: items with command ids and captions (Windows-1252, "\t"
// before the accelerator text), sub-menus, enable and check states.
class Menu
{
public:
    struct Item
    {
        uint32_t id = 0; // 0 for separators and sub-menus
        std::string caption;
        bool enabled = true;
        bool checked = false;
        bool radio = false; // the check shows as a radio mark
        bool separator = false;
        std::unique_ptr<Menu> popup;
    };

    Menu() = default;
    explicit Menu(int resourceId) : resourceId_(resourceId) {}
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    int ResourceId() const { return resourceId_; }
    Menu& AddItem(uint32_t id, std::string caption);
    Menu& AddSeparator();
    // Appends a sub-menu and returns it.
    Menu& AddPopup(std::string caption);

    int GetItemCount() const { return int(items_.size()); }
    Item* ItemAt(int position);
    // The sub-menu at a position, null when that item is none.
    Menu* GetSubMenu(int position);
    // The sub-menu with this caption (compared without case), null when none.
    Menu* FindSubMenu(std::string_view caption);
    // By command id, in this menu and its sub-menus; null when none.
    Item* FindItem(uint32_t id);
    const Item* FindItem(uint32_t id) const;

    // By command id; false when no item has it.
    bool EnableMenuItem(uint32_t id, bool enable);
    bool CheckMenuItem(uint32_t id, bool check);
    // Marks `id` with a radio mark and clears the marks of first..last.
    bool CheckMenuRadioItem(uint32_t first, uint32_t last, uint32_t id);

    const std::vector<Item>& Items() const { return items_; }

private:
    int resourceId_ = 0;
    std::vector<Item> items_;
};

// The menu bar of a window (null: none). The window receives WM_INITMENUPOPUP
// (wParam: the Menu* of the pop-up, LOWORD(lParam): its position) when a pop-up
// opens and WM_COMMAND (LOWORD(wParam): the id) when an item is chosen.
void SetMenu(HWND window, Menu* menu);
Menu* GetMenu(HWND window);
// What a person choosing an item does: WM_INITMENUPOPUP for the pop-up holding it
// (so a greyed item stays unchosen), then WM_COMMAND to the window when the item
// is enabled. False when the window's menu has no such item or it is greyed.
bool ChooseMenuItem(HWND window, uint32_t id);

class Dialog;
// A context menu at client point (x, y) of the host window; the chosen command goes
// to the window that tracks it (its OnCommand).
void TrackPopupMenu(Menu& menu, int x, int y, Dialog& owner);
// The context menu open now (null: none); choosing an item of it by id.
Menu* TrackedMenu();
bool ChooseTrackedItem(uint32_t id);

// ---------------------------------------------------------------- controls

enum class ControlKind
{
    Static,
    Picture,
    Button,
    CheckBox, // two or three states (BST_INDETERMINATE)
    Edit,
    ComboBox, // editable: text and a list
    ListBox,
    Tree,      // a TreeCtrl (platform/ui/Tree.h) the dialog's owner keeps
    Progress,  // a progress bar: `position` within `rangeLow`..`rangeHigh`
    Slider,    // a track bar: `position` within `rangeLow`..`rangeHigh`, reported by OnHScroll
    ScrollBar, // a scroll bar, likewise; a `vertical` one is reported by OnVScroll
};

// Scroll codes of OnHScroll, as WM_HSCROLL has them.
constexpr int SB_LINELEFT = 0;
constexpr int SB_LINERIGHT = 1;
constexpr int SB_PAGELEFT = 2;
constexpr int SB_PAGERIGHT = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_LEFT = 6;
constexpr int SB_RIGHT = 7;
constexpr int SB_ENDSCROLL = 8;

class TreeCtrl;

constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_INDETERMINATE = 2;

// A picture for picture controls: 32-bit pixels, 0xAARRGGBB, top row first.
struct Bitmap
{
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};
// A bitmap resource ("resources/BITMAP/<id>.bmp"): 8-bit with palette or 24-bit
// BMP. False with the reason in `error` when it is missing or damaged.
bool LoadBitmapResource(int id, Bitmap& bitmap, std::string& error);
bool DecodeBmp(const std::vector<uint8_t>& bytes, Bitmap& bitmap, std::string& error);

struct Control
{
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::string text;                        // caption or edit text (Windows-1252)
    int x = 0, y = 0, width = 0, height = 0; // client pixels of the dialog
    bool enabled = true;
    bool visible = true;
    bool threeState = false; // check boxes
    int check = BST_UNCHECKED;
    std::vector<std::string> list; // combo and list boxes
    int selection = -1;            // combo and list boxes
    std::shared_ptr<Bitmap> picture;
    TreeCtrl* tree = nullptr;                        // ControlKind::Tree
    int rangeLow = 0, rangeHigh = 100, position = 0; // Progress, Slider, ScrollBar
    // An edit that tells its dialog of every change of its text (OnCommand with its id).
    bool notifyChange = false;
    // A scroll bar that runs from `rangeLow` at the top to `rangeHigh` at the bottom.
    bool vertical = false;
};

// The size of a text in the UI's font (lines split at '\n'; an empty text is one
// line high). Without the drawing: 7 x 13 pixels per character.
struct TextSize
{
    int cx = 0, cy = 0;
};
TextSize TextExtent(std::string_view text);

// ---------------------------------------------------------------- data exchange

// UpdateData's direction and state: the control values go into the members
// (saving) or the members into the controls. A range check that fails shows the
// standard message, marks the exchange failed and the dialog stays open.
class DataExchange
{
public:
    DataExchange(Dialog& dialog, bool saving) : dialog_(dialog), saving_(saving) {}
    bool Saving() const { return saving_; }
    bool Failed() const { return failed_; }
    Dialog& Owner() { return dialog_; }
    void Fail(std::string_view message);

private:
    Dialog& dialog_;
    bool saving_;
    bool failed_ = false;
};

void DDX_Text(DataExchange& dx, int id, int& value);
void DDX_Text(DataExchange& dx, int id, float& value);
void DDX_Text(DataExchange& dx, int id, std::string& value);
void DDX_Check(DataExchange& dx, int id, int& value);
// "Please enter an integer between MIN and MAX." when out of range.
void DDV_MinMaxInt(DataExchange& dx, int value, int minValue, int maxValue);
// "Please enter a number between MIN and MAX." when out of range.
void DDV_MinMaxFloat(DataExchange& dx, float value, float minValue, float maxValue);

// ---------------------------------------------------------------- dialogs

// SetWindowPos flags.
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_NOZORDER = 0x0004;

class Dialog
{
public:
    Dialog(int resourceId, std::string caption, int width, int height);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    int ResourceId() const { return resourceId_; }
    const std::string& Caption() const { return caption_; }
    void SetWindowText(std::string caption) { caption_ = std::move(caption); }

    // Controls, created in the constructor or in OnInitDialog.
    Control& AddControl(ControlKind kind, int id, std::string text, int x, int y, int width, int height);
    void ClearControls() { controls_.clear(); }
    Control* GetDlgItem(int id);
    const Control* GetDlgItem(int id) const;
    void SetDlgItemText(int id, std::string text);
    std::string GetDlgItemText(int id) const;
    void EnableDlgItem(int id, bool enable);
    const std::vector<Control>& Controls() const { return controls_; }
    // A tree control: the tree object stays the caller's and must outlive the dialog.
    Control& AddTree(int id, TreeCtrl& tree, int x, int y, int width, int height);
    // The control that takes the keys (0: the dialog itself); a click sets it.
    int FocusControl() const { return focusControl_; }
    void SetFocusControl(int id) { focusControl_ = id; }

    // Modeless: creates the window hidden, runs OnInitDialog. Owner: the host window.
    bool Create(HWND owner);
    // Runs OnDestroy once and removes the window; the object stays.
    void DestroyWindow();
    bool IsWindow() const { return created_; }
    bool ShowWindow(int command); // SW_HIDE, SW_SHOW, SW_SHOWNA
    bool IsWindowVisible() const { return created_ && visible_; }
    // A disabled window takes no input: its controls are greyed and clicks do nothing.
    void EnableWindow(bool enable) { enabled_ = enable; }
    bool IsWindowEnabled() const { return enabled_; }
    // Whether the window has the keyboard focus (a person clicked into it).
    bool HasFocus() const { return focus_; }

    // Outer rectangle in client pixels of the host window.
    RECT GetWindowRect() const;
    bool SetWindowPos(int x, int y, int width, int height, uint32_t flags);
    void SetResizable(bool resizable) { resizable_ = resizable; }
    bool Resizable() const { return resizable_; }
    // A pop-up: no caption, never takes the focus or the pointer, drawn on top with
    // a one-pixel frame in `popupBack` (a tooltip).
    void SetPopup(bool popup) { popup_ = popup; }
    bool Popup() const { return popup_; }
    uint32_t popupBack = 0xFFFFE1;
    // Client size (outer size less the caption bar).
    int ClientWidth() const;
    int ClientHeight() const;

    // Modal: runs until EndDialog; returns its result. No game frame runs meanwhile.
    int DoModal(HWND owner = nullptr);
    // A modal dialog that ends itself (it shows work going on elsewhere): its loop runs
    // its timers until EndDialog also in non-interactive runs and without the drawing,
    // where an unanswered dialog would otherwise end at once.
    void SetEndsItself(bool endsItself) { endsItself_ = endsItself; }
    bool EndsItself() const { return endsItself_; }
    void EndDialog(int result);
    bool Ended() const { return ended_; }
    int Result() const { return result_; }

    // Input as a person gives it, through the handlers.
    // A button (also IDOK and IDCANCEL) or a check box (which toggles first).
    void Click(int id);
    // The focused control sees the key first (a tree's PreTranslateKey, then its
    // KeyDown); then Enter: OnOK; Escape: OnCancel.
    void PressKey(int virtualKey);
    // The caption's close box: OnClose.
    void CloseBox();
    // A slider or scroll bar moved: the thumb codes set its position first; then
    // OnHScroll, or OnVScroll for a vertical scroll bar.
    void Scroll(int id, int code, int position = 0);
    // The focus left an edit whose text was changed: OnEditDone.
    void LeaveEdit(int id);

    // A menu bar of the dialog's own (null: none; the dialog keeps the menu). Its
    // pop-ups open through OnInitMenuPopup, its items reach OnCommand.
    void SetMenuBar(Menu* menu) { menuBar_ = menu; }
    Menu* MenuBar() const { return menuBar_; }

    // Values through DoDataExchange; false when a range check failed.
    bool UpdateData(bool saveAndValidate = true);

    // Window timers on platform/time's clock, run on the main thread.
    void SetTimer(uint32_t id, uint32_t elapseMs);
    void KillTimer(uint32_t id);

    // Handlers.
    virtual bool OnInitDialog() { return true; }
    // A control's command; the default sends IDOK to OnOK and IDCANCEL to OnCancel.
    // True when handled.
    virtual bool OnCommand(int id);
    // Default: UpdateData, and when it succeeds EndDialog(IDOK) (modal) or hide (modeless).
    virtual void OnOK();
    // Default: EndDialog(IDCANCEL) (modal) or hide (modeless).
    virtual void OnCancel();
    // Default: as OnCancel.
    virtual void OnClose();
    virtual void OnDestroy() {}
    virtual void OnSize(int /*clientWidth*/, int /*clientHeight*/) {}
    virtual void OnTimer(uint32_t /*id*/) {}
    virtual void OnHScroll(int /*id*/, int /*code*/, int /*position*/) {}
    // Scroll codes as WM_VSCROLL has them: SB_LINELEFT is line up, SB_PAGERIGHT page down.
    virtual void OnVScroll(int /*id*/, int /*code*/, int /*position*/) {}
    // The pointer moved over the control `id` (0: the dialog's background) to the
    // point (x, y) of the host window.
    virtual void OnMouseMove(int /*id*/, int /*x*/, int /*y*/) {}
    virtual void OnEditDone(int /*id*/) {}
    virtual void OnInitMenuPopup(Menu& /*popup*/) {}
    virtual void DoDataExchange(DataExchange& /*dx*/) {}
    // Draws content that is not a plain control (trees, lists); called inside the
    // dialog's ImGui window after the controls.
    virtual void DrawContent() {}

    // For the drawing code.
    struct Timer
    {
        uint32_t id = 0, elapse = 0, last = 0;
    };
    std::vector<Timer>& Timers() { return timers_; }
    bool placementChanged = true; // the next draw places the ImGui window
    void NoteMovedTo(int x, int y, int width, int height);
    void SetFocus(bool focus) { focus_ = focus; }
    HWND Owner() const { return owner_; }
    bool Modal() const { return modal_; }

private:
    int resourceId_;
    std::string caption_;
    std::vector<Control> controls_;
    std::vector<Timer> timers_;
    HWND owner_ = nullptr;
    int x_ = 0, y_ = 0, width_, height_;
    bool resizable_ = false;
    bool popup_ = false;
    bool created_ = false;
    bool visible_ = false;
    bool enabled_ = true;
    bool focus_ = false;
    int focusControl_ = 0;
    Menu* menuBar_ = nullptr;
    bool modal_ = false;
    bool endsItself_ = false;
    bool ended_ = false;
    int result_ = 0;
};

// The file dialog: a file name typed or given, relative to `initialFolder` (the
// current folder when empty). Scripts and tests answer it as dialog
// kFileOpenDialog or kFileSaveDialog with the name in control kFileNameEdit.
constexpr int kFileOpenDialog = 1536;
constexpr int kFileSaveDialog = 1537;
constexpr int kFileNameEdit = 1152;

class FileDialog : public Dialog
{
public:
    // `filter` as "Name|*.ext;*.ext2|Name|*.*|".
    FileDialog(bool open, std::string filter, std::string initialFolder = std::string());
    // After IDOK: the file chosen (UTF-8 path of the system).
    std::filesystem::path GetPathName() const { return path_; }
    const std::string& Filter() const { return filter_; }
    void OnOK() override;

private:
    std::string filter_;
    std::string initialFolder_;
    std::filesystem::path path_;
};

// Every dialog that exists now, in creation order; by resource id.
const std::vector<Dialog*>& Dialogs();
Dialog* FindDialog(int resourceId);

// A prepared answer for the next modal dialog of a resource id: control values
// (edit texts, "0"/"1"/"2" for check boxes), then the button pressed.
struct DialogAnswer
{
    int resourceId = 0;
    std::vector<std::pair<int, std::string>> values;
    int button = IDOK;
};
void QueueDialogAnswer(DialogAnswer answer);
void ClearDialogAnswers();

// Where the module logs (unanswered dialogs); standard error when null.
using LogFn = void (*)(const char* line);
void SetLog(LogFn log);

// ---------------------------------------------------------------- the module

// Whether the UI takes the pointer (over a window or the menu bar, or dragging) or
// the keyboard (a text field or a modal dialog); the 3-D view gets the rest. Nothing
// is wanted while nothing draws the UI (platform/ui/draw attaches the drawing).
bool WantsMouse();
bool WantsKeyboard();
// Runs the timers and the clicks the last drawing collected. The idle hook of
// platform/win calls it; modal loops call it too.
void RunPending();
// Height of the menu bar drawn over the host (0 without a menu).
int MenuBarHeight();

// Adds the input-script verbs of the UI to the one parser (platform/win/InputScript):
//   command ID                         WM_COMMAND ID to the main window, as a menu choice
//   dialog ID BUTTON [CTRL=VALUE ...]  the answer for the next modal dialog ID
//   control WINDOW ID                  a click on control ID of window (resource) WINDOW
//   close WINDOW                       the close box of window WINDOW
void RegisterScriptVerbs();

// Writes 24-bit BMP from 0xAARRGGBB pixels, top row first (atomic write).
bool SaveBmp24(const std::filesystem::path& file, int width, int height, const std::vector<uint32_t>& pixels);

} // namespace platform::ui
