#pragma once
// A tree control as a retained object: items with handles, a caret, expanded
// branches, a scroll position, a drop highlight and label editing, with the
// behaviour of the system's tree control (a click selects on release, a drag
// starts a begin-drag notification, Ctrl travels with the caret change).
//
// Input arrives as a person gives it, in the control's client pixels (MouseDown,
// MouseMove, MouseUp, KeyDown); the drawing (platform/ui/draw) and tests call the
// same functions. The notifications are virtual handlers of the control first
// (a derived control adds behaviour there); what they leave unhandled goes on to
// the owner's `notify` callback.
//
// Handles are non-zero and never reused in a run. Only the rows on screen are
// drawn: the flattened list of shown rows is kept between changes.

#include "platform/ui/Ui.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::ui {

using HTREEITEM = uint32_t;
constexpr HTREEITEM TVI_ROOT = 0;
constexpr HTREEITEM TVI_FIRST = 0xFFFF0001u;
constexpr HTREEITEM TVI_LAST = 0xFFFF0002u;

// Expand codes.
constexpr int TVE_COLLAPSE = 1;
constexpr int TVE_EXPAND = 2;
constexpr int TVE_TOGGLE = 3;

// Hit-test flags.
constexpr uint32_t TVHT_NOWHERE = 0x0001;
constexpr uint32_t TVHT_ONITEMICON = 0x0002;
constexpr uint32_t TVHT_ONITEMLABEL = 0x0004;
constexpr uint32_t TVHT_ONITEMINDENT = 0x0008;
constexpr uint32_t TVHT_ONITEMBUTTON = 0x0010;
constexpr uint32_t TVHT_ONITEMRIGHT = 0x0020;
constexpr uint32_t TVHT_ONITEMSTATEICON = 0x0040;
constexpr uint32_t TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;

// What changed the caret.
enum class TreeAction
{
    Unknown, // the program
    ByMouse,
    ByKeyboard,
};

// Notification codes handed to the owner.
enum class TreeCode
{
    Click,        // NM_CLICK (left button released without a drag)
    RClick,       // NM_RCLICK
    DblClk,       // NM_DBLCLK
    BeginDrag,    // TVN_BEGINDRAG
    SelChanged,   // TVN_SELCHANGED
    ItemExpanded, // TVN_ITEMEXPANDED
    EndLabelEdit, // TVN_ENDLABELEDIT (text empty and `cancelled` when Esc)
    KeyDown,      // TVN_KEYDOWN
};

struct TreeNotify
{
    TreeCode code = TreeCode::Click;
    HTREEITEM item = 0;    // the new item (selection, drag, expansion, edit)
    HTREEITEM oldItem = 0; // SelChanged: the item before
    TreeAction action = TreeAction::Unknown;
    bool expanded = false; // ItemExpanded
    bool cancelled = false;
    std::string text; // EndLabelEdit
    int key = 0;      // KeyDown
    int x = 0, y = 0; // client point of the mouse
};

// Colours of a row, 0xRRGGBB; `custom` false draws the control's defaults.
struct TreeRowColours
{
    bool custom = false;
    uint32_t text = 0, back = 0;
};

// System colours the custom drawing of trees asks for.
enum class SysColour
{
    Window,
    WindowText,
    Highlight,
    HighlightText,
    InactiveBorder,
    InfoBk,
};
uint32_t GetSysColour(SysColour colour);

class TreeCtrl
{
public:
    TreeCtrl();
    virtual ~TreeCtrl();
    TreeCtrl(const TreeCtrl&) = delete;
    TreeCtrl& operator=(const TreeCtrl&) = delete;

    // ---- items
    HTREEITEM InsertItem(std::string text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(std::string text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST);
    bool DeleteItem(HTREEITEM item);
    bool DeleteAllItems();
    bool ItemExists(HTREEITEM item) const { return items_.count(item) != 0; }
    size_t GetCount() const { return items_.size(); }
    HTREEITEM GetRootItem() const { return firstRoot_; }
    HTREEITEM GetParentItem(HTREEITEM item) const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
    bool ItemHasChildren(HTREEITEM item) const { return GetChildItem(item) != 0; }
    std::string GetItemText(HTREEITEM item) const;
    bool SetItemText(HTREEITEM item, std::string text);
    bool GetItemImage(HTREEITEM item, int& image, int& selectedImage) const;
    bool SetItemImage(HTREEITEM item, int image, int selectedImage);
    uintptr_t GetItemData(HTREEITEM item) const;
    bool SetItemData(HTREEITEM item, uintptr_t data);

    // ---- branches; Expand sends ItemExpanded when the state changes
    bool Expand(HTREEITEM item, int code);
    bool IsExpanded(HTREEITEM item) const;

    // ---- caret and drop highlight
    HTREEITEM GetSelectedItem() const { return caret_; }
    // Moves the caret (0: none) and sends SelChanged with `action` when it changes.
    bool SelectItem(HTREEITEM item, TreeAction action = TreeAction::Unknown);
    bool SelectDropTarget(HTREEITEM item);
    HTREEITEM GetDropHilightItem() const { return dropTarget_; }
    // Expands the ancestors and scrolls the item into view.
    bool EnsureVisible(HTREEITEM item);

    // ---- rows and scrolling (rows of kRowHeight pixels, indented by kIndent per level)
    static constexpr int kRowHeight = 20;
    static constexpr int kIndent = 19;
    static constexpr int kImageSize = 20;
    // The shown rows in order (items whose ancestors are all expanded).
    const std::vector<HTREEITEM>& Rows() const;
    int RowOf(HTREEITEM item) const; // -1 when not shown
    int Depth(HTREEITEM item) const;
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);
    // One line per step: negative up (SB_LINEUP), positive down (SB_LINEDOWN).
    void ScrollLines(int lines);
    HTREEITEM GetFirstVisibleItem() const;
    HTREEITEM GetNextVisibleItem(HTREEITEM item) const;
    HTREEITEM GetPrevVisibleItem(HTREEITEM item) const;
    // Rows that fit wholly into the client area.
    int GetVisibleCount() const { return clientHeight_ / kRowHeight; }
    void SetClientSize(int width, int height);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    HTREEITEM HitTest(int x, int y, uint32_t* flags = nullptr) const;
    // The label's text width, for hit tests; the drawing measures with its font.
    int LabelWidth(HTREEITEM item) const;

    // ---- images: a strip of kImageSize-pixel images, white as the mask colour
    void SetImageList(std::shared_ptr<Bitmap> strip) { images_ = std::move(strip); }
    const std::shared_ptr<Bitmap>& ImageList() const { return images_; }

    // ---- label editing
    bool EditLabel(HTREEITEM item);
    HTREEITEM EditingItem() const { return editing_; }
    std::string& EditText() { return editText_; }
    // Ends the edit: the text is kept (EndLabelEdit with it) or, cancelled, dropped.
    void EndEditLabelNow(bool cancel);

    // ---- input as a person gives it, in client pixels
    void MouseDown(int button, int x, int y); // 0 left, 1 right
    void MouseMove(int x, int y);
    void MouseUp(int button, int x, int y);
    void DoubleClick(int x, int y);
    // The keyboard while the control has the focus; true when the key was used.
    bool KeyDown(int virtualKey);
    // Before the window sees a key: true keeps it from the window (label editing).
    virtual bool PreTranslateKey(int /*virtualKey*/) { return false; }
    // The pointer's last client position the control saw.
    int MouseX() const { return mouseX_; }
    int MouseY() const { return mouseY_; }
    bool LeftHeld() const { return held_[0]; }

    // ---- where the client area lies on the host window (the drawing keeps it)
    void SetScreenOrigin(int x, int y)
    {
        originX_ = x;
        originY_ = y;
    }
    int ScreenOriginX() const { return originX_; }
    int ScreenOriginY() const { return originY_; }

    // ---- the control's capture of the pointer (a drag beyond its edges)
    void SetCapture() { capture_ = true; }
    void ReleaseCapture() { capture_ = false; }
    bool HasCapture() const { return capture_; }

    // ---- window timers on platform/time's clock (RunPending runs them)
    void SetTimer(uint32_t id, uint32_t elapseMs);
    void KillTimer(uint32_t id);
    bool HasTimer(uint32_t id) const;
    virtual void OnTimer(uint32_t /*id*/) {}
    std::vector<Dialog::Timer>& Timers() { return timers_; }

    // ---- notifications: the control's own handlers; false passes it to `notify`
    virtual bool OnNotify(TreeNotify& /*n*/) { return false; }
    virtual void OnMouseMoveMsg(int /*x*/, int /*y*/) {}
    // True when the control used the release (the end of its own drag).
    virtual bool OnLButtonUpMsg(int /*x*/, int /*y*/) { return false; }
    // The colours of one row (custom draw); default: the control's own.
    virtual TreeRowColours RowColours(HTREEITEM /*item*/) const { return {}; }
    // Whether the caret row is painted as selected (off when the owner paints).
    virtual bool PaintsCaret() const { return true; }
    std::function<void(const TreeNotify&)> notify;

    // Sends a notification through the handlers.
    void Notify(TreeNotify n);
    // Asks for the control to be drawn again (nothing to do for a retained one;
    // kept so callers say where the original redraws).
    void RedrawWindow() { ++redraws_; }
    int Redraws() const { return redraws_; }

private:
    struct Item
    {
        std::string text;
        int image = 0, selectedImage = 0;
        uintptr_t data = 0;
        HTREEITEM parent = 0, firstChild = 0, lastChild = 0, next = 0, prev = 0;
        bool expanded = false;
    };
    void Unlink(HTREEITEM item);
    void DeleteBranch(HTREEITEM item);
    void RowsChanged() { rowsValid_ = false; }
    void ClampTop();

    std::unordered_map<HTREEITEM, Item> items_;
    HTREEITEM firstRoot_ = 0, lastRoot_ = 0;
    HTREEITEM caret_ = 0, dropTarget_ = 0, editing_ = 0;
    std::string editText_;
    mutable std::vector<HTREEITEM> rows_;
    mutable bool rowsValid_ = false;
    int topRow_ = 0;
    int clientWidth_ = 150, clientHeight_ = 200;
    std::shared_ptr<Bitmap> images_;
    std::vector<Dialog::Timer> timers_;
    // Pointer state: the press waits for a move (drag) or the release (click).
    bool held_[2] = {false, false};
    HTREEITEM pressed_ = 0;
    int pressX_ = 0, pressY_ = 0;
    bool dragStarted_ = false;
    int mouseX_ = -1, mouseY_ = -1;
    bool capture_ = false;
    int redraws_ = 0;
    int originX_ = 0, originY_ = 0;
};

// Every tree that exists now (for the timers and the drawing).
const std::vector<TreeCtrl*>& Trees();

} // namespace platform::ui
