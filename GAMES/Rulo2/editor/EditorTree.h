#pragma once
// The tree control of the editor's tool windows: drags onto items with
// auto-scroll, an optional multi-selection painted by the control itself, folder
// images that open and close with their branch, a rich tooltip for the item under
// the pointer, and label editing that keeps Enter, Delete and Esc from the window.
// It knows nothing of nodes: the owner's four callbacks decide what a tip shows,
// what may be dragged, where it may be dropped and what a drop does.

#include "GAMES/Rulo2/editor/IntelliTip.h"
#include "GAMES/Rulo2/world/TreeControl.h"
#include "platform/ui/Tree.h"

#include <functional>
#include <memory>
#include <vector>

using platform::ui::HTREEITEM;

// Cursor shapes the drag shows.
constexpr int IDC_ARROW = 32512;
constexpr int IDC_NO = 32648;
constexpr int IDC_DRAG_ONE = 208;  // one item dragged
constexpr int IDC_DRAG_MANY = 209; // the selection holds two or more

// Images of the editor trees' image list (bitmap 184).
constexpr int kClosedFolderImage = 17;
constexpr int kOpenFolderImage = 18;

class CEditorTree : public platform::ui::TreeCtrl, public CTreeControl
{
public:
    static constexpr uint32_t kDragTimer = FourCC("DRAG");
    static constexpr uint32_t kDragTimerMs = 50;

    CEditorTree();
    ~CEditorTree() override;

    void setTipCallback(std::function<bool(CIntelliTip&, HTREEITEM)> f) { tip_ = std::move(f); }
    void setBeginDragCallback(std::function<bool(HTREEITEM)> f) { beginDrag_ = std::move(f); }
    void setCanDropCallback(std::function<bool(HTREEITEM, HTREEITEM)> f) { canDrop_ = std::move(f); }
    void setDropCallback(std::function<void(HTREEITEM, HTREEITEM)> f) { drop_ = std::move(f); }

    void deleteAllItems(bool noRedraw);
    bool isSelected(HTREEITEM item) const;
    void addSelectionId(HTREEITEM item);
    void removeSelectionId(HTREEITEM item);
    void clearSelectionIds();
    const std::vector<HTREEITEM>& selection() const { return selection_; }
    HTREEITEM anchor() const { return anchor_; }

    bool multiSelect = false;
    bool highlight = true;
    // With multi-select off the owner paints the rows (null: the defaults).
    std::function<platform::ui::TreeRowColours(HTREEITEM)> ownerColours;

    bool dragging() const { return dragging_; }
    HTREEITEM draggedItem() const { return dragged_; }
    HTREEITEM dropTarget() const { return dropTarget_; }
    int cursor() const { return cursor_; }
    CIntelliTip* tipWindow() const { return tipWindow_.get(); }

    // What the node trees ask of a tree control.
    uint32_t InsertItem(const char* text, uint32_t parent) override;
    void SetItemImage(uint32_t item, int image, int selectedImage) override;
    void Expand(uint32_t item) override;
    void EnsureVisible(uint32_t item) override;
    void DeleteAllItems() override;
    void SelectItem(uint32_t item) override;
    void AddToSelection(uint32_t item) override;
    uint32_t GetSelectedItem() override;
    uint32_t InsertItemFirst(const char* text, uint32_t parent) override;
    void DeleteItem(uint32_t item) override;
    void SetItemText(uint32_t item, const char* text) override;

    // Key pre-translation while a label is edited.
    bool PreTranslateKey(int virtualKey) override;
    bool OnNotify(platform::ui::TreeNotify& n) override;
    void OnMouseMoveMsg(int x, int y) override;
    bool OnLButtonUpMsg(int x, int y) override;
    void OnTimer(uint32_t id) override;
    platform::ui::TreeRowColours RowColours(HTREEITEM item) const override;
    bool PaintsCaret() const override { return !multiSelect; }

private:
    void BeginDrag(HTREEITEM item);
    // The can-drop rule and cursor of a pointer over `item`.
    void TrackDropTarget(HTREEITEM item);
    void Click(const platform::ui::TreeNotify& n);
    void RightClick(const platform::ui::TreeNotify& n);
    void SelChanged(const platform::ui::TreeNotify& n);
    // Moves the caret to `item` while the multi-selection stays as it is.
    void CaretKeepingSelection(HTREEITEM item);

    std::function<bool(CIntelliTip&, HTREEITEM)> tip_;
    std::function<bool(HTREEITEM)> beginDrag_;
    std::function<bool(HTREEITEM, HTREEITEM)> canDrop_;
    std::function<void(HTREEITEM, HTREEITEM)> drop_;
    std::unique_ptr<CIntelliTip> tipWindow_;
    HTREEITEM dragged_ = 0;
    HTREEITEM dropTarget_ = 0;
    bool dragging_ = false;
    int dragTop_ = 0, dragBottom_ = 0;
    std::vector<HTREEITEM> selection_;
    HTREEITEM anchor_ = 0;
    int cursor_ = IDC_ARROW;
    // Sets the shape the drag shows, on screen too.
    void ShowDragCursor(int id);
    bool keepSelection_ = false;
};

// The Ctrl key as the handlers read it; the platform's key state unless a test
// puts its own.
extern bool (*EditorCtrlHeld)();
extern bool (*EditorShiftHeld)();
// Set while a tree drag runs: the frame loop shows the last picture with the tool
// windows but does not step the 3-D view.
extern bool EditorFramePause;
