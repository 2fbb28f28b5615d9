#include "platform/ui/Tree.h"

#include "platform/ui/UiInternal.h"

#include <algorithm>

namespace platform::ui {

namespace {

std::vector<TreeCtrl*> liveTrees;
// One counter for every tree: a handle names one item for the whole run.
HTREEITEM lastHandle = 0;

// The pointer moves this far from the press before it counts as a drag.
constexpr int kDragDistance = 4;

} // namespace

uint32_t GetSysColour(SysColour colour)
{
    switch (colour) {
    case SysColour::Window:
        return 0xFFFFFF;
    case SysColour::WindowText:
        return 0x000000;
    case SysColour::Highlight:
        return 0x0A246A;
    case SysColour::HighlightText:
        return 0xFFFFFF;
    case SysColour::InactiveBorder:
        return 0xD4D0C8;
    case SysColour::InfoBk:
        return 0xFFFFE1;
    }
    return 0;
}

const std::vector<TreeCtrl*>& Trees()
{
    return liveTrees;
}

TreeCtrl::TreeCtrl()
{
    liveTrees.push_back(this);
}

TreeCtrl::~TreeCtrl()
{
    liveTrees.erase(std::remove(liveTrees.begin(), liveTrees.end(), this), liveTrees.end());
}

HTREEITEM TreeCtrl::InsertItem(std::string text, HTREEITEM parent, HTREEITEM after)
{
    return InsertItem(std::move(text), 0, 0, parent, after);
}

HTREEITEM TreeCtrl::InsertItem(std::string text, int image, int selectedImage, HTREEITEM parent,
                               HTREEITEM after)
{
    if (parent != TVI_ROOT && !ItemExists(parent))
        return 0;
    const HTREEITEM h = ++lastHandle;
    Item item;
    item.text = std::move(text);
    item.image = image;
    item.selectedImage = selectedImage;
    item.parent = parent;
    HTREEITEM& first = parent ? items_[parent].firstChild : firstRoot_;
    HTREEITEM& last = parent ? items_[parent].lastChild : lastRoot_;
    HTREEITEM prev = 0;
    if (after == TVI_FIRST)
        prev = 0;
    else if (after == TVI_LAST || !ItemExists(after) || items_[after].parent != parent)
        prev = last;
    else
        prev = after;
    const HTREEITEM next = prev ? items_[prev].next : first;
    item.prev = prev;
    item.next = next;
    items_.emplace(h, std::move(item));
    if (prev)
        items_[prev].next = h;
    else
        first = h;
    if (next)
        items_[next].prev = h;
    else
        last = h;
    RowsChanged();
    return h;
}

void TreeCtrl::Unlink(HTREEITEM h)
{
    Item& it = items_[h];
    HTREEITEM& first = it.parent ? items_[it.parent].firstChild : firstRoot_;
    HTREEITEM& last = it.parent ? items_[it.parent].lastChild : lastRoot_;
    if (it.prev)
        items_[it.prev].next = it.next;
    else
        first = it.next;
    if (it.next)
        items_[it.next].prev = it.prev;
    else
        last = it.prev;
}

void TreeCtrl::DeleteBranch(HTREEITEM h)
{
    for (HTREEITEM c = items_[h].firstChild; c;) {
        const HTREEITEM next = items_[c].next;
        DeleteBranch(c);
        c = next;
    }
    if (caret_ == h)
        caret_ = 0;
    if (dropTarget_ == h)
        dropTarget_ = 0;
    if (editing_ == h)
        editing_ = 0;
    if (pressed_ == h)
        pressed_ = 0;
    items_.erase(h);
}

bool TreeCtrl::DeleteItem(HTREEITEM item)
{
    if (item == TVI_ROOT)
        return DeleteAllItems();
    if (!ItemExists(item))
        return false;
    Unlink(item);
    DeleteBranch(item);
    RowsChanged();
    ClampTop();
    return true;
}

bool TreeCtrl::DeleteAllItems()
{
    items_.clear();
    firstRoot_ = lastRoot_ = 0;
    caret_ = dropTarget_ = editing_ = pressed_ = 0;
    topRow_ = 0;
    RowsChanged();
    return true;
}

HTREEITEM TreeCtrl::GetParentItem(HTREEITEM item) const
{
    auto it = items_.find(item);
    return it == items_.end() ? 0 : it->second.parent;
}

HTREEITEM TreeCtrl::GetChildItem(HTREEITEM item) const
{
    if (item == TVI_ROOT)
        return firstRoot_;
    auto it = items_.find(item);
    return it == items_.end() ? 0 : it->second.firstChild;
}

HTREEITEM TreeCtrl::GetNextSiblingItem(HTREEITEM item) const
{
    auto it = items_.find(item);
    return it == items_.end() ? 0 : it->second.next;
}

HTREEITEM TreeCtrl::GetPrevSiblingItem(HTREEITEM item) const
{
    auto it = items_.find(item);
    return it == items_.end() ? 0 : it->second.prev;
}

std::string TreeCtrl::GetItemText(HTREEITEM item) const
{
    auto it = items_.find(item);
    return it == items_.end() ? std::string() : it->second.text;
}

bool TreeCtrl::SetItemText(HTREEITEM item, std::string text)
{
    auto it = items_.find(item);
    if (it == items_.end())
        return false;
    it->second.text = std::move(text);
    return true;
}

bool TreeCtrl::GetItemImage(HTREEITEM item, int& image, int& selectedImage) const
{
    auto it = items_.find(item);
    if (it == items_.end())
        return false;
    image = it->second.image;
    selectedImage = it->second.selectedImage;
    return true;
}

bool TreeCtrl::SetItemImage(HTREEITEM item, int image, int selectedImage)
{
    auto it = items_.find(item);
    if (it == items_.end())
        return false;
    it->second.image = image;
    it->second.selectedImage = selectedImage;
    return true;
}

uintptr_t TreeCtrl::GetItemData(HTREEITEM item) const
{
    auto it = items_.find(item);
    return it == items_.end() ? 0 : it->second.data;
}

bool TreeCtrl::SetItemData(HTREEITEM item, uintptr_t data)
{
    auto it = items_.find(item);
    if (it == items_.end())
        return false;
    it->second.data = data;
    return true;
}

bool TreeCtrl::Expand(HTREEITEM item, int code)
{
    auto it = items_.find(item);
    if (it == items_.end())
        return false;
    const bool was = it->second.expanded;
    const bool now = code == TVE_EXPAND ? true : code == TVE_COLLAPSE ? false : !was;
    if (now == was)
        return true;
    it->second.expanded = now;
    RowsChanged();
    // A collapsed branch takes the caret up to the item itself.
    if (!now && caret_)
        for (HTREEITEM p = GetParentItem(caret_); p; p = GetParentItem(p))
            if (p == item) {
                SelectItem(item, TreeAction::Unknown);
                break;
            }
    ClampTop();
    TreeNotify n;
    n.code = TreeCode::ItemExpanded;
    n.item = item;
    n.expanded = now;
    Notify(std::move(n));
    return true;
}

bool TreeCtrl::IsExpanded(HTREEITEM item) const
{
    auto it = items_.find(item);
    return it != items_.end() && it->second.expanded;
}

bool TreeCtrl::SelectItem(HTREEITEM item, TreeAction action)
{
    if (item && !ItemExists(item))
        return false;
    if (item == caret_)
        return true;
    const HTREEITEM old = caret_;
    caret_ = item;
    TreeNotify n;
    n.code = TreeCode::SelChanged;
    n.item = item;
    n.oldItem = old;
    n.action = action;
    n.x = mouseX_;
    n.y = mouseY_;
    Notify(std::move(n));
    return true;
}

bool TreeCtrl::SelectDropTarget(HTREEITEM item)
{
    if (item && !ItemExists(item))
        return false;
    dropTarget_ = item;
    return true;
}

bool TreeCtrl::EnsureVisible(HTREEITEM item)
{
    if (!ItemExists(item))
        return false;
    for (HTREEITEM p = GetParentItem(item); p; p = GetParentItem(p))
        if (!items_[p].expanded) {
            items_[p].expanded = true;
            RowsChanged();
        }
    const int row = RowOf(item);
    if (row < topRow_)
        SetTopRow(row);
    else if (row >= topRow_ + std::max(GetVisibleCount(), 1))
        SetTopRow(row - std::max(GetVisibleCount(), 1) + 1);
    return true;
}

const std::vector<HTREEITEM>& TreeCtrl::Rows() const
{
    if (rowsValid_)
        return rows_;
    rows_.clear();
    // Depth first without recursion: a deep tree must not exhaust the stack.
    std::vector<HTREEITEM> stack;
    if (firstRoot_)
        stack.push_back(firstRoot_);
    while (!stack.empty()) {
        const HTREEITEM h = stack.back();
        stack.pop_back();
        const Item& it = items_.at(h);
        rows_.push_back(h);
        if (it.next)
            stack.push_back(it.next);
        if (it.expanded && it.firstChild)
            stack.push_back(it.firstChild);
    }
    rowsValid_ = true;
    return rows_;
}

int TreeCtrl::RowOf(HTREEITEM item) const
{
    const auto& rows = Rows();
    auto it = std::find(rows.begin(), rows.end(), item);
    return it == rows.end() ? -1 : int(it - rows.begin());
}

int TreeCtrl::Depth(HTREEITEM item) const
{
    int depth = 0;
    for (HTREEITEM p = GetParentItem(item); p; p = GetParentItem(p))
        ++depth;
    return depth;
}

void TreeCtrl::ClampTop()
{
    const int rows = int(Rows().size());
    const int maxTop = std::max(0, rows - std::max(GetVisibleCount(), 1));
    topRow_ = std::clamp(topRow_, 0, maxTop);
}

void TreeCtrl::SetTopRow(int row)
{
    topRow_ = row;
    ClampTop();
}

void TreeCtrl::ScrollLines(int lines)
{
    SetTopRow(topRow_ + lines);
}

HTREEITEM TreeCtrl::GetFirstVisibleItem() const
{
    const auto& rows = Rows();
    return topRow_ < int(rows.size()) ? rows[size_t(topRow_)] : 0;
}

HTREEITEM TreeCtrl::GetNextVisibleItem(HTREEITEM item) const
{
    const int row = RowOf(item);
    const auto& rows = Rows();
    return row >= 0 && row + 1 < int(rows.size()) ? rows[size_t(row + 1)] : 0;
}

HTREEITEM TreeCtrl::GetPrevVisibleItem(HTREEITEM item) const
{
    const int row = RowOf(item);
    return row > 0 ? Rows()[size_t(row - 1)] : 0;
}

void TreeCtrl::SetClientSize(int width, int height)
{
    clientWidth_ = std::max(width, 0);
    clientHeight_ = std::max(height, 0);
    ClampTop();
}

int TreeCtrl::LabelWidth(HTREEITEM item) const
{
    return TextExtent(GetItemText(item)).cx + 4;
}

HTREEITEM TreeCtrl::HitTest(int x, int y, uint32_t* flags) const
{
    uint32_t f = TVHT_NOWHERE;
    HTREEITEM hit = 0;
    const auto& rows = Rows();
    if (y >= 0 && x >= 0 && x < clientWidth_ && y < clientHeight_) {
        const int row = topRow_ + y / kRowHeight;
        if (row < int(rows.size())) {
            hit = rows[size_t(row)];
            const int indent = Depth(hit) * kIndent;
            const int icon = indent + kIndent;
            const int label = icon + (images_ ? kImageSize : 0);
            if (x < indent)
                f = TVHT_ONITEMINDENT;
            else if (x < icon)
                f = ItemHasChildren(hit) ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
            else if (x < label)
                f = TVHT_ONITEMICON;
            else if (x < label + LabelWidth(hit))
                f = TVHT_ONITEMLABEL;
            else
                f = TVHT_ONITEMRIGHT;
        }
    }
    if (flags)
        *flags = f;
    return hit;
}

bool TreeCtrl::EditLabel(HTREEITEM item)
{
    if (!ItemExists(item))
        return false;
    editing_ = item;
    editText_ = GetItemText(item);
    return true;
}

void TreeCtrl::EndEditLabelNow(bool cancel)
{
    if (!editing_)
        return;
    TreeNotify n;
    n.code = TreeCode::EndLabelEdit;
    n.item = editing_;
    n.cancelled = cancel;
    n.text = cancel ? std::string() : editText_;
    editing_ = 0;
    editText_.clear();
    Notify(std::move(n));
}

void TreeCtrl::MouseDown(int button, int x, int y)
{
    if (button < 0 || button > 1)
        return;
    mouseX_ = x;
    mouseY_ = y;
    if (editing_)
        EndEditLabelNow(false);
    uint32_t flags = 0;
    const HTREEITEM hit = HitTest(x, y, &flags);
    held_[button] = true;
    if (button == 0 && hit && (flags & TVHT_ONITEMBUTTON)) {
        // The plus/minus box opens or closes the branch at once, without a click.
        held_[0] = false;
        Expand(hit, TVE_TOGGLE);
        return;
    }
    pressed_ = hit;
    pressX_ = x;
    pressY_ = y;
    dragStarted_ = false;
}

void TreeCtrl::MouseMove(int x, int y)
{
    mouseX_ = x;
    mouseY_ = y;
    if (held_[0] && pressed_ && !dragStarted_ &&
        (std::abs(x - pressX_) > kDragDistance || std::abs(y - pressY_) > kDragDistance)) {
        dragStarted_ = true;
        TreeNotify n;
        n.code = TreeCode::BeginDrag;
        n.item = pressed_;
        n.x = pressX_;
        n.y = pressY_;
        Notify(std::move(n));
    }
    OnMouseMoveMsg(x, y);
}

void TreeCtrl::MouseUp(int button, int x, int y)
{
    if (button < 0 || button > 1)
        return;
    mouseX_ = x;
    mouseY_ = y;
    const bool wasHeld = held_[button];
    held_[button] = false;
    if (button == 0 && OnLButtonUpMsg(x, y)) {
        pressed_ = 0;
        return;
    }
    if (!wasHeld)
        return;
    const bool dragged = button == 0 && dragStarted_;
    dragStarted_ = false;
    const HTREEITEM pressed = pressed_;
    pressed_ = 0;
    if (dragged)
        return;
    TreeNotify n;
    n.code = button == 0 ? TreeCode::Click : TreeCode::RClick;
    n.x = x;
    n.y = y;
    uint32_t flags = 0;
    n.item = HitTest(x, y, &flags);
    Notify(n);
    // The system's control moves the caret after the click notification, so a
    // click handler sees the caret as it was.
    if (button == 0 && pressed && pressed == n.item && (flags & TVHT_ONITEM) && ItemExists(pressed))
        SelectItem(pressed, TreeAction::ByMouse);
}

void TreeCtrl::DoubleClick(int x, int y)
{
    mouseX_ = x;
    mouseY_ = y;
    uint32_t flags = 0;
    TreeNotify n;
    n.code = TreeCode::DblClk;
    n.item = HitTest(x, y, &flags);
    n.x = x;
    n.y = y;
    Notify(n);
    if (n.item && (flags & TVHT_ONITEM) && ItemHasChildren(n.item))
        Expand(n.item, TVE_TOGGLE);
}

bool TreeCtrl::KeyDown(int virtualKey)
{
    if (editing_)
        return false;
    TreeNotify n;
    n.code = TreeCode::KeyDown;
    n.key = virtualKey;
    Notify(n);
    const auto& rows = Rows();
    const int row = caret_ ? RowOf(caret_) : -1;
    HTREEITEM to = 0;
    switch (virtualKey) {
    case VK_UP:
        to = row > 0 ? rows[size_t(row - 1)] : (rows.empty() ? 0 : rows.front());
        break;
    case VK_DOWN:
        to = row + 1 < int(rows.size()) ? rows[size_t(row + 1)] : (rows.empty() ? 0 : rows.back());
        break;
    case VK_LEFT:
        if (caret_ && IsExpanded(caret_))
            return Expand(caret_, TVE_COLLAPSE);
        to = caret_ ? GetParentItem(caret_) : 0;
        break;
    case VK_RIGHT:
        if (caret_ && ItemHasChildren(caret_) && !IsExpanded(caret_))
            return Expand(caret_, TVE_EXPAND);
        to = caret_ ? GetChildItem(caret_) : 0;
        break;
    default:
        return false;
    }
    if (to) {
        SelectItem(to, TreeAction::ByKeyboard);
        EnsureVisible(to);
    }
    return true;
}

void TreeCtrl::SetTimer(uint32_t id, uint32_t elapseMs)
{
    SetTimerIn(timers_, id, elapseMs);
}

void TreeCtrl::KillTimer(uint32_t id)
{
    KillTimerIn(timers_, id);
}

bool TreeCtrl::HasTimer(uint32_t id) const
{
    return std::any_of(timers_.begin(), timers_.end(), [id](const Dialog::Timer& t) { return t.id == id; });
}

void TreeCtrl::Notify(TreeNotify n)
{
    if (OnNotify(n))
        return;
    if (notify)
        notify(n);
}

} // namespace platform::ui
