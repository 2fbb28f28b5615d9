#include "GAMES/Rulo2/editor/EditorTree.h"

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "platform/win/CursorShape.h"
#include "platform/win/Window.h"

#include <algorithm>

using platform::ui::TreeAction;
using platform::ui::TreeCode;
using platform::ui::TreeNotify;

namespace {

bool PlatformCtrl()
{
    return (platform::GetKeyState(platform::VK_CONTROL) & 0x8000) != 0;
}

bool PlatformShift()
{
    return (platform::GetKeyState(platform::VK_SHIFT) & 0x8000) != 0;
}

} // namespace

bool (*EditorCtrlHeld)() = PlatformCtrl;
bool (*EditorShiftHeld)() = PlatformShift;
bool EditorFramePause = false;

CEditorTree::CEditorTree() = default;

CEditorTree::~CEditorTree()
{
    if (dragging_)
        EditorFramePause = false;
    tipWindow_.reset();
    clearSelectionIds();
}

void CEditorTree::deleteAllItems(bool noRedraw)
{
    (void)noRedraw; // nothing is drawn between the deletions of a retained tree
    TreeCtrl::DeleteAllItems();
    clearSelectionIds();
    anchor_ = 0;
}

bool CEditorTree::isSelected(HTREEITEM item) const
{
    if (!multiSelect)
        return item == TreeCtrl::GetSelectedItem();
    return std::find(selection_.begin(), selection_.end(), item) != selection_.end();
}

void CEditorTree::addSelectionId(HTREEITEM item)
{
    if (std::find(selection_.begin(), selection_.end(), item) == selection_.end())
        selection_.push_back(item);
}

void CEditorTree::removeSelectionId(HTREEITEM item)
{
    selection_.erase(std::remove(selection_.begin(), selection_.end(), item), selection_.end());
}

void CEditorTree::clearSelectionIds()
{
    selection_.clear();
    selection_.shrink_to_fit();
}

uint32_t CEditorTree::InsertItem(const char* text, uint32_t parent)
{
    return TreeCtrl::InsertItem(text ? text : "", parent);
}

void CEditorTree::SetItemImage(uint32_t item, int image, int selectedImage)
{
    TreeCtrl::SetItemImage(item, image, selectedImage);
}

void CEditorTree::Expand(uint32_t item)
{
    TreeCtrl::Expand(item, platform::ui::TVE_EXPAND);
}

void CEditorTree::EnsureVisible(uint32_t item)
{
    TreeCtrl::EnsureVisible(item);
}

void CEditorTree::DeleteAllItems()
{
    deleteAllItems(false);
}

void CEditorTree::SelectItem(uint32_t item)
{
    TreeCtrl::SelectItem(item, TreeAction::Unknown);
}

void CEditorTree::AddToSelection(uint32_t item)
{
    addSelectionId(item);
}

uint32_t CEditorTree::GetSelectedItem()
{
    return TreeCtrl::GetSelectedItem();
}

uint32_t CEditorTree::InsertItemFirst(const char* text, uint32_t parent)
{
    return TreeCtrl::InsertItem(text ? text : "", parent, platform::ui::TVI_FIRST);
}

void CEditorTree::DeleteItem(uint32_t item)
{
    removeSelectionId(item);
    TreeCtrl::DeleteItem(item);
}

void CEditorTree::SetItemText(uint32_t item, const char* text)
{
    TreeCtrl::SetItemText(item, text ? text : "");
}

bool CEditorTree::PreTranslateKey(int virtualKey)
{
    if (!EditingItem())
        return false;
    // Enter ends the edit, Esc cancels it and Delete deletes text: none of them
    // may act on the tool window around the tree.
    if (virtualKey == platform::VK_RETURN) {
        EndEditLabelNow(false);
        return true;
    }
    if (virtualKey == platform::VK_ESCAPE) {
        EndEditLabelNow(true);
        return true;
    }
    if (virtualKey == platform::VK_DELETE)
        return true; // the edit field deletes the character itself
    return EditorCtrlHeld();
}

void CEditorTree::CaretKeepingSelection(HTREEITEM item)
{
    keepSelection_ = true;
    TreeCtrl::SelectItem(item, TreeAction::Unknown);
    keepSelection_ = false;
}

bool CEditorTree::OnNotify(TreeNotify& n)
{
    switch (n.code) {
    case TreeCode::BeginDrag:
        BeginDrag(n.item);
        return false;
    case TreeCode::Click:
        if (multiSelect)
            Click(n);
        return false;
    case TreeCode::RClick:
        if (multiSelect)
            RightClick(n);
        return false;
    case TreeCode::SelChanged:
        if (multiSelect && !keepSelection_)
            SelChanged(n);
        return false;
    case TreeCode::ItemExpanded: {
        int image = 0, selectedImage = 0;
        if (TreeCtrl::GetItemImage(n.item, image, selectedImage) &&
            (image == kClosedFolderImage || image == kOpenFolderImage)) {
            const int now = n.expanded ? kOpenFolderImage : kClosedFolderImage;
            TreeCtrl::SetItemImage(n.item, now, now);
        }
        return false;
    }
    default:
        return false;
    }
}

void CEditorTree::BeginDrag(HTREEITEM item)
{
    dragged_ = item;
    dropTarget_ = 0;
    if (isSelected(item)) {
        if (item != TreeCtrl::GetSelectedItem())
            CaretKeepingSelection(item);
    } else {
        TreeCtrl::SelectItem(0, TreeAction::Unknown);
        TreeCtrl::SelectItem(item, TreeAction::Unknown);
    }
    RedrawWindow();
    if (!beginDrag_ || !beginDrag_(item))
        return;
    dragTop_ = 0;
    dragBottom_ = ClientHeight();
    SetTimer(kDragTimer, kDragTimerMs);
    SetCapture();
    ShowDragCursor(IDC_NO);
    dragging_ = true;
    EditorFramePause = true;
}

void CEditorTree::ShowDragCursor(int id)
{
    cursor_ = id;
    platform::SetCursorShape(id);
}

void CEditorTree::TrackDropTarget(HTREEITEM item)
{
    if (canDrop_ && canDrop_(dragged_, item)) {
        ShowDragCursor(selection_.size() >= 2 ? IDC_DRAG_MANY : IDC_DRAG_ONE);
        dropTarget_ = item;
    } else {
        ShowDragCursor(IDC_NO);
        dropTarget_ = 0;
    }
    SelectDropTarget(dropTarget_);
}

void CEditorTree::OnMouseMoveMsg(int x, int y)
{
    uint32_t flags = 0;
    const HTREEITEM hit = HitTest(x, y, &flags);
    if (dragging_ && hit)
        TrackDropTarget(hit);
    if (hit && (flags & platform::ui::TVHT_ONITEM)) {
        if (!tipWindow_)
            tipWindow_ = std::make_unique<CIntelliTip>();
        if (tipWindow_->setPosition(ScreenOriginX() + x, ScreenOriginY() + y) &&
            (!tip_ || !tip_(*tipWindow_, hit)))
            tipWindow_->hide();
    }
}

bool CEditorTree::OnLButtonUpMsg(int /*x*/, int /*y*/)
{
    if (!dragging_)
        return false;
    KillTimer(kDragTimer);
    SelectDropTarget(0);
    ShowDragCursor(IDC_ARROW);
    ReleaseCapture();
    EditorFramePause = false;
    dragging_ = false;
    if (dropTarget_ && drop_)
        drop_(dragged_, dropTarget_);
    dropTarget_ = 0;
    clearSelectionIds();
    return true;
}

void CEditorTree::OnTimer(uint32_t id)
{
    if (id != kDragTimer || !dragging_)
        return;
    const int y = MouseY();
    HTREEITEM candidate = 0;
    if (y < dragTop_) {
        ScrollLines(-4);
        candidate = GetFirstVisibleItem();
    } else if (y > dragBottom_) {
        ScrollLines(4);
        candidate = GetFirstVisibleItem();
        for (int i = 0; candidate && i < GetVisibleCount(); ++i)
            if (const HTREEITEM next = GetNextVisibleItem(candidate))
                candidate = next;
            else
                break;
    }
    if (candidate)
        TrackDropTarget(candidate);
}

platform::ui::TreeRowColours CEditorTree::RowColours(HTREEITEM item) const
{
    using platform::ui::GetSysColour;
    using platform::ui::SysColour;
    platform::ui::TreeRowColours c;
    if (!multiSelect)
        return ownerColours ? ownerColours(item) : c;
    if (std::find(selection_.begin(), selection_.end(), item) != selection_.end()) {
        c.custom = true;
        c.text = GetSysColour(highlight ? SysColour::HighlightText : SysColour::WindowText);
        c.back = GetSysColour(highlight ? SysColour::Highlight : SysColour::InactiveBorder);
    } else if (!dragging_) {
        c.custom = true;
        c.text = GetSysColour(SysColour::WindowText);
        c.back = GetSysColour(SysColour::Window);
    }
    return c;
}

void CEditorTree::Click(const TreeNotify& n)
{
    uint32_t flags = 0;
    const HTREEITEM hit = HitTest(n.x, n.y, &flags);
    if (!hit || !(flags & platform::ui::TVHT_ONITEM) || hit != TreeCtrl::GetSelectedItem())
        return;
    const bool inSelection = std::find(selection_.begin(), selection_.end(), hit) != selection_.end();
    if (!inSelection)
        addSelectionId(hit);
    else if (EditorCtrlHeld())
        removeSelectionId(hit);
    else if (selection_.size() >= 2) {
        clearSelectionIds();
        addSelectionId(hit);
    }
    RedrawWindow();
}

void CEditorTree::RightClick(const TreeNotify& n)
{
    const HTREEITEM hit = HitTest(n.x, n.y);
    if (!hit) {
        clearSelectionIds();
    } else if (!isSelected(hit)) {
        TreeCtrl::SelectItem(0, TreeAction::Unknown);
        TreeCtrl::SelectItem(hit, TreeAction::Unknown);
    } else if (hit != TreeCtrl::GetSelectedItem()) {
        CaretKeepingSelection(hit);
    }
    RedrawWindow();
}

void CEditorTree::SelChanged(const TreeNotify& n)
{
    if (!n.item) {
        clearSelectionIds();
        return;
    }
    if (EditorCtrlHeld() && (n.action == TreeAction::ByMouse || n.action == TreeAction::ByKeyboard)) {
        if (std::find(selection_.begin(), selection_.end(), n.item) != selection_.end())
            removeSelectionId(n.item);
        else
            addSelectionId(n.item);
        return;
    }
    const bool many = selection_.size() >= 2;
    clearSelectionIds();
    addSelectionId(n.item);
    anchor_ = n.item;
    if (many)
        RedrawWindow();
}
