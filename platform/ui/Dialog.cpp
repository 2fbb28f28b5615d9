#include "platform/ui/UiInternal.h"

#include "platform/ui/Tree.h"

#include "platform/time/Time.h"
#include "platform/win/MessageBox.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <deque>

namespace platform::ui {

namespace {

std::vector<Dialog*> liveDialogs;
std::deque<DialogAnswer> answers;
LogFn logFn = nullptr;

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Takes the queued answer for a resource id, if any.
bool TakeAnswer(int resourceId, DialogAnswer& answer)
{
    for (auto it = answers.begin(); it != answers.end(); ++it)
        if (it->resourceId == resourceId) {
            answer = std::move(*it);
            answers.erase(it);
            return true;
        }
    return false;
}

void ApplyAnswer(Dialog& dialog, const DialogAnswer& answer)
{
    for (const auto& [id, value] : answer.values) {
        Control* c = dialog.GetDlgItem(id);
        if (!c) {
            LogLine(("dialog " + std::to_string(dialog.ResourceId()) + ": no control " + std::to_string(id))
                        .c_str());
            continue;
        }
        if (c->kind == ControlKind::CheckBox)
            c->check = std::atoi(value.c_str());
        else if (c->kind == ControlKind::ListBox ||
                 (c->kind == ControlKind::ComboBox && !value.empty() && value[0] == '#'))
            c->selection = std::atoi(value.c_str() + (value[0] == '#' ? 1 : 0));
        else
            c->text = value;
    }
    dialog.Click(answer.button);
}

} // namespace

void LogLine(const char* line)
{
    if (logFn)
        logFn(line);
    else
        std::fprintf(stderr, "%s\n", line);
}

void SetLog(LogFn log)
{
    logFn = log;
}

// ---------------------------------------------------------------- menus

Menu& Menu::AddItem(uint32_t id, std::string caption)
{
    Item item;
    item.id = id;
    item.caption = std::move(caption);
    items_.push_back(std::move(item));
    return *this;
}

Menu& Menu::AddSeparator()
{
    Item item;
    item.separator = true;
    items_.push_back(std::move(item));
    return *this;
}

Menu& Menu::AddPopup(std::string caption)
{
    Item item;
    item.caption = std::move(caption);
    item.popup = std::make_unique<Menu>();
    items_.push_back(std::move(item));
    return *items_.back().popup;
}

Menu::Item* Menu::ItemAt(int position)
{
    return position >= 0 && position < int(items_.size()) ? &items_[size_t(position)] : nullptr;
}

Menu* Menu::GetSubMenu(int position)
{
    Item* item = ItemAt(position);
    return item ? item->popup.get() : nullptr;
}

Menu* Menu::FindSubMenu(std::string_view caption)
{
    for (Item& item : items_)
        if (item.popup && EqualNoCase(item.caption, caption))
            return item.popup.get();
    return nullptr;
}

Menu::Item* Menu::FindItem(uint32_t id)
{
    return const_cast<Item*>(static_cast<const Menu*>(this)->FindItem(id));
}

const Menu::Item* Menu::FindItem(uint32_t id) const
{
    for (const Item& item : items_) {
        if (!item.popup && !item.separator && item.id == id)
            return &item;
        if (item.popup)
            if (const Item* found = item.popup->FindItem(id))
                return found;
    }
    return nullptr;
}

bool Menu::EnableMenuItem(uint32_t id, bool enable)
{
    Item* item = FindItem(id);
    if (item)
        item->enabled = enable;
    return item != nullptr;
}

bool Menu::CheckMenuItem(uint32_t id, bool check)
{
    Item* item = FindItem(id);
    if (item)
        item->checked = check;
    return item != nullptr;
}

bool Menu::CheckMenuRadioItem(uint32_t first, uint32_t last, uint32_t id)
{
    for (uint32_t i = first; i <= last; ++i)
        if (Item* item = FindItem(i)) {
            item->checked = false;
            item->radio = true;
        }
    Item* item = FindItem(id);
    if (item) {
        item->checked = true;
        item->radio = true;
    }
    return item != nullptr;
}

// ---------------------------------------------------------------- data exchange

void DataExchange::Fail(std::string_view message)
{
    failed_ = true;
    platform::MessageBox(dialog_.Owner(), message, "", MB_OK | MB_ICONEXCLAMATION);
}

void DDX_Text(DataExchange& dx, int id, int& value)
{
    if (dx.Failed())
        return;
    Control* c = dx.Owner().GetDlgItem(id);
    if (!c)
        return;
    if (!dx.Saving()) {
        c->text = std::to_string(value);
        return;
    }
    const char* s = c->text.c_str();
    char* end = nullptr;
    long v = std::strtol(s, &end, 10);
    while (end && std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (end == s || (end && *end) || v < INT32_MIN || v > INT32_MAX) {
        dx.Fail("Please enter an integer.");
        return;
    }
    value = int(v);
}

void DDX_Text(DataExchange& dx, int id, float& value)
{
    if (dx.Failed())
        return;
    Control* c = dx.Owner().GetDlgItem(id);
    if (!c)
        return;
    if (!dx.Saving()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", double(value));
        c->text = buf;
        return;
    }
    const char* s = c->text.c_str();
    char* end = nullptr;
    double v = std::strtod(s, &end);
    while (end && std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (end == s || (end && *end)) {
        dx.Fail("Please enter a number.");
        return;
    }
    value = float(v);
}

void DDX_Text(DataExchange& dx, int id, std::string& value)
{
    if (dx.Failed())
        return;
    if (Control* c = dx.Owner().GetDlgItem(id))
        (dx.Saving() ? value : c->text) = dx.Saving() ? c->text : value;
}

void DDX_Check(DataExchange& dx, int id, int& value)
{
    if (dx.Failed())
        return;
    if (Control* c = dx.Owner().GetDlgItem(id))
        (dx.Saving() ? value : c->check) = dx.Saving() ? c->check : value;
}

void DDV_MinMaxInt(DataExchange& dx, int value, int minValue, int maxValue)
{
    if (!dx.Saving() || dx.Failed() || (value >= minValue && value <= maxValue))
        return;
    dx.Fail("Please enter an integer between " + std::to_string(minValue) + " and " +
            std::to_string(maxValue) + ".");
}

void DDV_MinMaxFloat(DataExchange& dx, float value, float minValue, float maxValue)
{
    if (!dx.Saving() || dx.Failed() || (value >= minValue && value <= maxValue))
        return;
    char buf[128];
    std::snprintf(buf, sizeof buf, "Please enter a number between %g and %g.", double(minValue),
                  double(maxValue));
    dx.Fail(buf);
}

// ---------------------------------------------------------------- dialogs

Dialog::Dialog(int resourceId, std::string caption, int width, int height)
    : resourceId_(resourceId), caption_(std::move(caption)), width_(width), height_(height)
{
}

Dialog::~Dialog()
{
    if (created_)
        DestroyWindow();
    ForgetDialog(this);
}

Control& Dialog::AddControl(ControlKind kind, int id, std::string text, int x, int y, int width, int height)
{
    Control c;
    c.kind = kind;
    c.id = id;
    c.text = std::move(text);
    c.x = x;
    c.y = y;
    c.width = width;
    c.height = height;
    controls_.push_back(std::move(c));
    return controls_.back();
}

Control& Dialog::AddTree(int id, TreeCtrl& tree, int x, int y, int width, int height)
{
    Control& c = AddControl(ControlKind::Tree, id, std::string(), x, y, width, height);
    c.tree = &tree;
    tree.SetClientSize(width, height);
    return c;
}

Control* Dialog::GetDlgItem(int id)
{
    for (Control& c : controls_)
        if (c.id == id)
            return &c;
    return nullptr;
}

const Control* Dialog::GetDlgItem(int id) const
{
    for (const Control& c : controls_)
        if (c.id == id)
            return &c;
    return nullptr;
}

void Dialog::SetDlgItemText(int id, std::string text)
{
    if (Control* c = GetDlgItem(id))
        c->text = std::move(text);
}

std::string Dialog::GetDlgItemText(int id) const
{
    const Control* c = GetDlgItem(id);
    return c ? c->text : std::string();
}

void Dialog::EnableDlgItem(int id, bool enable)
{
    if (Control* c = GetDlgItem(id))
        c->enabled = enable;
}

bool Dialog::Create(HWND owner)
{
    if (created_)
        return true;
    owner_ = owner;
    created_ = true;
    visible_ = false;
    modal_ = false;
    liveDialogs.push_back(this);
    OnInitDialog();
    return true;
}

void Dialog::DestroyWindow()
{
    if (!created_)
        return;
    OnDestroy();
    created_ = false;
    visible_ = false;
    focus_ = false;
    timers_.clear();
    liveDialogs.erase(std::remove(liveDialogs.begin(), liveDialogs.end(), this), liveDialogs.end());
}

bool Dialog::ShowWindow(int command)
{
    if (!created_)
        return false;
    const bool was = visible_;
    visible_ = command != SW_HIDE;
    // Only SW_SHOW takes the focus; SW_SHOWNA leaves it where it is.
    if (command == SW_HIDE)
        focus_ = false;
    else if (command == SW_SHOW || command == SW_SHOWNORMAL)
        focus_ = true;
    return was;
}

RECT Dialog::GetWindowRect() const
{
    return RECT{x_, y_, x_ + width_, y_ + height_};
}

bool Dialog::SetWindowPos(int x, int y, int width, int height, uint32_t flags)
{
    if (!(flags & SWP_NOMOVE)) {
        x_ = x;
        y_ = y;
    }
    const bool sized = !(flags & SWP_NOSIZE) && (width != width_ || height != height_);
    if (!(flags & SWP_NOSIZE)) {
        width_ = std::max(width, 1);
        height_ = std::max(height, 1);
    }
    placementChanged = true;
    if (sized && created_)
        OnSize(ClientWidth(), ClientHeight());
    return true;
}

void Dialog::NoteMovedTo(int x, int y, int width, int height)
{
    const bool sized = width != width_ || height != height_;
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
    if (sized && created_)
        OnSize(ClientWidth(), ClientHeight());
}

int Dialog::ClientWidth() const
{
    return width_;
}

int Dialog::ClientHeight() const
{
    return std::max(0, height_ - CaptionHeight());
}

int Dialog::DoModal(HWND owner)
{
    owner_ = owner;
    modal_ = true;
    ended_ = false;
    result_ = IDCANCEL;
    if (!created_) {
        created_ = true;
        liveDialogs.push_back(this);
        if (!OnInitDialog()) {
            DestroyWindow();
            return -1;
        }
    }
    visible_ = true;
    focus_ = true;
    DialogAnswer answer;
    while (!ended_ && TakeAnswer(resourceId_, answer))
        ApplyAnswer(*this, answer);
    if (!ended_)
        RunModalLoop(*this);
    while (!ended_ && endsItself_) {
        RunPending();
        if (!ended_)
            Sleep(10);
    }
    if (!ended_) {
        LogLine(("Dialog " + std::to_string(resourceId_) + " \"" + caption_ + "\" was not answered: Cancel")
                    .c_str());
        // Cancel as the dialog itself answers it (its own result for Cancel).
        OnCancel();
        if (!ended_)
            EndDialog(IDCANCEL);
    }
    visible_ = false;
    DestroyWindow();
    modal_ = false;
    return result_;
}

void Dialog::EndDialog(int result)
{
    ended_ = true;
    result_ = result;
}

bool Dialog::OnCommand(int id)
{
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void Dialog::OnOK()
{
    if (!UpdateData(true))
        return;
    if (modal_)
        EndDialog(IDOK);
    else
        ShowWindow(SW_HIDE);
}

void Dialog::OnCancel()
{
    if (modal_)
        EndDialog(IDCANCEL);
    else
        ShowWindow(SW_HIDE);
}

void Dialog::OnClose()
{
    OnCancel();
}

void Dialog::Click(int id)
{
    Control* c = GetDlgItem(id);
    if (!enabled_ || (c && !c->enabled))
        return;
    if (c && c->kind == ControlKind::CheckBox)
        c->check =
            c->threeState ? (c->check + 1) % 3 : (c->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    OnCommand(id);
}

void Dialog::Scroll(int id, int code, int position)
{
    Control* c = GetDlgItem(id);
    if (c && !c->enabled)
        return;
    if (c && (code == SB_THUMBTRACK || code == SB_THUMBPOSITION))
        c->position = std::clamp(position, c->rangeLow, c->rangeHigh);
    if (c && c->kind == ControlKind::ScrollBar && c->vertical)
        OnVScroll(id, code, c->position);
    else
        OnHScroll(id, code, c ? c->position : position);
}

void Dialog::LeaveEdit(int id)
{
    const Control* c = GetDlgItem(id);
    if (c && !c->enabled)
        return;
    OnEditDone(id);
}

void Dialog::PressKey(int virtualKey)
{
    if (!enabled_)
        return;
    if (const Control* c = focusControl_ ? GetDlgItem(focusControl_) : nullptr; c && c->tree) {
        if (c->tree->PreTranslateKey(virtualKey) || c->tree->KeyDown(virtualKey))
            return;
    }
    if (virtualKey == VK_RETURN)
        OnOK();
    else if (virtualKey == VK_ESCAPE)
        OnCancel();
}

void Dialog::CloseBox()
{
    OnClose();
}

bool Dialog::UpdateData(bool saveAndValidate)
{
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void SetTimerIn(std::vector<Dialog::Timer>& timers, uint32_t id, uint32_t elapseMs)
{
    KillTimerIn(timers, id);
    timers.push_back(Dialog::Timer{id, std::max<uint32_t>(elapseMs, 1), timeGetTime()});
}

void KillTimerIn(std::vector<Dialog::Timer>& timers, uint32_t id)
{
    timers.erase(
        std::remove_if(timers.begin(), timers.end(), [id](const Dialog::Timer& t) { return t.id == id; }),
        timers.end());
}

void Dialog::SetTimer(uint32_t id, uint32_t elapseMs)
{
    SetTimerIn(timers_, id, elapseMs);
}

void Dialog::KillTimer(uint32_t id)
{
    KillTimerIn(timers_, id);
}

const std::vector<Dialog*>& Dialogs()
{
    return liveDialogs;
}

Dialog* FindDialog(int resourceId)
{
    for (Dialog* d : liveDialogs)
        if (d->ResourceId() == resourceId)
            return d;
    return nullptr;
}

void ForgetDialog(Dialog* dialog)
{
    liveDialogs.erase(std::remove(liveDialogs.begin(), liveDialogs.end(), dialog), liveDialogs.end());
    ForgetHostedDialog(dialog);
}

namespace {

// The ids of the timers that are due now, their periods restarted.
std::vector<uint32_t> DueTimers(std::vector<Dialog::Timer>& timers, uint32_t now)
{
    std::vector<uint32_t> due;
    for (Dialog::Timer& t : timers)
        if (now - t.last >= t.elapse) {
            t.last = now;
            due.push_back(t.id);
        }
    return due;
}

} // namespace

void RunTimers()
{
    const uint32_t now = timeGetTime();
    // A handler may destroy windows or kill timers: walk copies and check that the
    // window and the timer are still there.
    auto has = [](std::vector<Dialog::Timer>& timers, uint32_t id) {
        return std::any_of(timers.begin(), timers.end(), [id](const Dialog::Timer& t) { return t.id == id; });
    };
    const std::vector<Dialog*> dialogs = liveDialogs;
    for (Dialog* d : dialogs)
        for (uint32_t id : IsLiveDialog(d) ? DueTimers(d->Timers(), now) : std::vector<uint32_t>())
            if (IsLiveDialog(d) && has(d->Timers(), id))
                d->OnTimer(id);
    const std::vector<TreeCtrl*> trees = Trees();
    auto live = [](TreeCtrl* t) { return std::find(Trees().begin(), Trees().end(), t) != Trees().end(); };
    for (TreeCtrl* t : trees)
        for (uint32_t id : live(t) ? DueTimers(t->Timers(), now) : std::vector<uint32_t>())
            if (live(t) && has(t->Timers(), id))
                t->OnTimer(id);
}

void QueueDialogAnswer(DialogAnswer answer)
{
    answers.push_back(std::move(answer));
}

void ClearDialogAnswers()
{
    answers.clear();
}

} // namespace platform::ui
