// ImGui draws the retained dialogs and menus and turns a person's input into their
// handler calls, which run after the drawing (Defer), never inside a present.
#include "platform/ui/draw/UiDraw.h"

#include "platform/d3d/D3D.h"
#include "platform/d3d/D3DOverlay.h"
#include "platform/files/Cp1252.h"
#include "platform/ui/Tree.h"
#include "platform/win/MessageBox.h"
#include "platform/win/NativeWindow.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <map>

namespace platform::ui {

namespace {

struct MouseTrack
{
    float x = -FLT_MAX, y = -FLT_MAX;
    bool held[3] = {false, false, false};
    bool latched[3] = {false, false, false}; // pressed since the last frame
    bool uiOwns[3] = {false, false, false};  // the press went to the UI
    // The position the last frame was drawn with: the first known position counts as a
    // move too (the UI's own delta is zero until it has seen two positions).
    float drawnX = -FLT_MAX, drawnY = -FLT_MAX;
    bool moved = false;
};

struct State
{
    bool context = false;
    SDL_Window* window = nullptr;
    HWND host = nullptr;
    int observer = 0;
    MouseTrack mouse;
    std::map<const Menu*, bool> openPopups;
    std::map<const Control*, GLuint> textures;
    // Image lists of trees: the texture stays while its bitmap lives.
    struct ImageTexture
    {
        std::weak_ptr<Bitmap> bitmap;
        GLuint texture = 0;
    };
    std::map<const Bitmap*, ImageTexture> imageLists;
    Dialog* fullWindow = nullptr; // the one dialog of a window of its own
    uint64_t lastFrame = 0;
};

State& S()
{
    static State s;
    return s;
}

std::string Utf8(std::string_view text)
{
    return Cp1252ToUtf8(text);
}

int ButtonIndex(uint8_t sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        return -1;
    }
}

bool PointInUi(float x, float y)
{
    State& s = S();
    if (s.fullWindow || ModalDialog())
        return true;
    if (Host().menuBarHeight > 0 && y < Host().menuBarHeight)
        return true;
    if (Host().tracked)
        return true;
    for (Dialog* d : Dialogs()) {
        if (!d->IsWindowVisible() || d->Popup())
            continue;
        RECT r = d->GetWindowRect();
        if (x >= float(r.left) && x < float(r.right) && y >= float(r.top) && y < float(r.bottom))
            return true;
    }
    return false;
}

// Which dialog is under a point (the last drawn is on top); null for none.
Dialog* DialogAt(float x, float y)
{
    Dialog* hit = nullptr;
    for (Dialog* d : Dialogs()) {
        if (!d->IsWindowVisible() || d->Popup())
            continue;
        RECT r = d->GetWindowRect();
        if (x >= float(r.left) && x < float(r.right) && y >= float(r.top) && y < float(r.bottom))
            hit = d;
    }
    return hit;
}

int VirtualKeyOf(SDL_Keycode k)
{
    switch (k) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    default:
        return 0;
    }
}

bool Observe(const SDL_Event& e)
{
    State& s = S();
    if (!s.context)
        return false;
    const uint32_t ours = s.window ? SDL_GetWindowID(s.window) : 0;
    auto mine = [&](uint32_t windowId) { return windowId == 0 || windowId == ours; };
    ImGuiIO& io = ImGui::GetIO();
    switch (e.type) {
    case SDL_MOUSEMOTION:
        if (!mine(e.motion.windowID) || !TakesPointerEvent(e.motion.which))
            return false;
        s.mouse.x = float(e.motion.x);
        s.mouse.y = float(e.motion.y);
        return s.mouse.uiOwns[0] || s.mouse.uiOwns[1] || s.mouse.uiOwns[2];
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (!mine(e.button.windowID))
            return false;
        const int b = ButtonIndex(e.button.button);
        s.mouse.x = float(e.button.x);
        s.mouse.y = float(e.button.y);
        if (b < 0)
            return false;
        if (e.type == SDL_MOUSEBUTTONDOWN) {
            // ImGui sees only the presses that are the UI's: a press in the 3-D view
            // must not drag a window it later passes over.
            s.mouse.uiOwns[b] = PointInUi(s.mouse.x, s.mouse.y);
            s.mouse.held[b] = s.mouse.uiOwns[b];
            s.mouse.latched[b] = s.mouse.uiOwns[b];
            // A click decides the keyboard focus: the window under it, or the 3-D view.
            Dialog* hit = DialogAt(s.mouse.x, s.mouse.y);
            if (!ModalDialog())
                for (Dialog* d : Dialogs())
                    d->SetFocus(d == hit);
            return s.mouse.uiOwns[b];
        }
        s.mouse.held[b] = false;
        const bool owned = s.mouse.uiOwns[b];
        s.mouse.uiOwns[b] = false;
        return owned;
    }
    case SDL_MOUSEWHEEL:
        if (!mine(e.wheel.windowID))
            return false;
        ImGui_ImplSDL2_ProcessEvent(&e);
        return PointInUi(s.mouse.x, s.mouse.y);
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT: {
        const uint32_t id = e.type == SDL_TEXTINPUT ? e.text.windowID : e.key.windowID;
        if (!mine(id))
            return false;
        ImGui_ImplSDL2_ProcessEvent(&e);
        Dialog* focused = FocusedDialog();
        if (!focused && !io.WantCaptureKeyboard)
            return false;
        if (e.type == SDL_KEYDOWN && !io.WantTextInput && focused) {
            const int vk = VirtualKeyOf(e.key.keysym.sym);
            if (vk)
                Defer([focused, vk] {
                    for (Dialog* d : Dialogs())
                        if (d == focused) {
                            d->PressKey(vk);
                            return;
                        }
                });
        }
        return true;
    }
    default:
        return false;
    }
}

// A texture of 0xAARRGGBB pixels, top row first.
GLuint UploadTexture(int width, int height, const uint32_t* pixels, GLint filter)
{
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
    return tex;
}

void UploadPicture(Control& c)
{
    State& s = S();
    if (!c.picture || s.textures.count(&c))
        return;
    s.textures[&c] = UploadTexture(c.picture->width, c.picture->height, c.picture->pixels.data(), GL_LINEAR);
}

ImU32 Colour(uint32_t rgb)
{
    return IM_COL32((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 0xFF);
}

// The texture of a tree's image list; white pixels are the mask (transparent).
GLuint ImageListTexture(const std::shared_ptr<Bitmap>& strip)
{
    State& s = S();
    auto it = s.imageLists.find(strip.get());
    if (it != s.imageLists.end() && !it->second.bitmap.expired())
        return it->second.texture;
    if (it != s.imageLists.end()) {
        glDeleteTextures(1, &it->second.texture);
        s.imageLists.erase(it);
    }
    std::vector<uint32_t> pixels = strip->pixels;
    for (uint32_t& p : pixels)
        p = (p & 0xFFFFFF) == 0xFFFFFF ? 0 : (p | 0xFF000000u);
    const GLuint tex = UploadTexture(strip->width, strip->height, pixels.data(), GL_NEAREST);
    s.imageLists[strip.get()] = State::ImageTexture{strip, tex};
    return tex;
}

// Runs `work` on the tree after the drawing, when the tree still exists then.
void DeferTree(TreeCtrl* tree, std::function<void(TreeCtrl&)> work)
{
    Defer([tree, work = std::move(work)] {
        const auto& all = Trees();
        if (std::find(all.begin(), all.end(), tree) != all.end())
            work(*tree);
    });
}

// The rows on screen only (a tree of many thousands of items costs what its
// window shows), input turned into the tree's own mouse and key calls.
void DrawTree(Dialog& d, Control& c, float top)
{
    TreeCtrl& t = *c.tree;
    constexpr int kScrollBar = 14;
    const int rowsWidth = std::max(c.width - kScrollBar, 1);
    if (t.ClientWidth() != rowsWidth || t.ClientHeight() != c.height)
        t.SetClientSize(rowsWidth, c.height);
    ImGui::SetCursorPos(ImVec2(float(c.x), float(c.y) + top));
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    t.SetScreenOrigin(int(origin.x), int(origin.y));
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 end(origin.x + float(c.width), origin.y + float(c.height));
    draw->PushClipRect(origin, end, true);
    draw->AddRectFilled(origin, end, Colour(GetSysColour(SysColour::Window)));

    const auto& rows = t.Rows();
    const int first = t.TopRow();
    const int shown = t.ClientHeight() / TreeCtrl::kRowHeight + 1;
    const int last = std::min(int(rows.size()), first + shown);
    const float fontHeight = ImGui::GetFontSize();
    GLuint images = t.ImageList() ? ImageListTexture(t.ImageList()) : 0;
    for (int r = first; r < last; ++r) {
        const HTREEITEM item = rows[size_t(r)];
        const float y = origin.y + float((r - first) * TreeCtrl::kRowHeight);
        const float indent = float(t.Depth(item) * TreeCtrl::kIndent);
        float x = origin.x + indent;
        if (t.ItemHasChildren(item)) {
            const ImVec2 box(x + 5, y + 6);
            draw->AddRect(box, ImVec2(box.x + 9, box.y + 9), IM_COL32(128, 128, 128, 255));
            draw->AddLine(ImVec2(box.x + 2, box.y + 4.5f), ImVec2(box.x + 7, box.y + 4.5f),
                          IM_COL32(0, 0, 0, 255));
            if (!t.IsExpanded(item))
                draw->AddLine(ImVec2(box.x + 4.5f, box.y + 2), ImVec2(box.x + 4.5f, box.y + 7),
                              IM_COL32(0, 0, 0, 255));
        }
        x += float(TreeCtrl::kIndent);
        if (images) {
            int image = 0, selectedImage = 0;
            t.GetItemImage(item, image, selectedImage);
            const int index = item == t.GetSelectedItem() ? selectedImage : image;
            const Bitmap& strip = *t.ImageList();
            const float u0 = float(index * TreeCtrl::kImageSize) / float(strip.width);
            const float u1 = float((index + 1) * TreeCtrl::kImageSize) / float(strip.width);
            draw->AddImage(reinterpret_cast<ImTextureID>(uintptr_t(images)), ImVec2(x, y),
                           ImVec2(x + float(TreeCtrl::kImageSize), y + float(TreeCtrl::kImageSize)),
                           ImVec2(u0, 0), ImVec2(u1, 1));
            x += float(TreeCtrl::kImageSize);
        }
        const std::string label = Utf8(t.GetItemText(item));
        const float labelWidth = ImGui::CalcTextSize(label.c_str()).x + 4;
        TreeRowColours colours = t.RowColours(item);
        if (!colours.custom) {
            const bool marked =
                (item == t.GetSelectedItem() && t.PaintsCaret()) || item == t.GetDropHilightItem();
            colours.text = GetSysColour(marked ? SysColour::HighlightText : SysColour::WindowText);
            colours.back = GetSysColour(marked ? SysColour::Highlight : SysColour::Window);
        }
        draw->AddRectFilled(ImVec2(x, y + 1), ImVec2(x + labelWidth, y + float(TreeCtrl::kRowHeight) - 1),
                            Colour(colours.back));
        if (item == t.EditingItem()) {
            ImGui::SetCursorScreenPos(ImVec2(x, y + 1));
            std::string text = Utf8(t.EditText());
            std::vector<char> buf(text.begin(), text.end());
            buf.resize(std::max<size_t>(buf.size() + 256, 512), '\0');
            ImGui::SetNextItemWidth(std::max(labelWidth + 40, 80.0f));
            ImGui::SetKeyboardFocusHere();
            Dialog* dp = &d;
            if (ImGui::InputText(("##edit" + std::to_string(item)).c_str(), buf.data(), buf.size(),
                                 ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_AutoSelectAll))
                Defer([dp] {
                    if (IsLiveDialog(dp))
                        dp->PressKey(VK_RETURN);
                });
            t.EditText() = Utf8ToCp1252(buf.data());
            if (ImGui::IsKeyPressed(ImGuiKey_Escape))
                Defer([dp] {
                    if (IsLiveDialog(dp))
                        dp->PressKey(VK_ESCAPE);
                });
        } else {
            draw->AddText(ImVec2(x + 2, y + (float(TreeCtrl::kRowHeight) - fontHeight) / 2),
                          Colour(colours.text), label.c_str());
        }
    }

    // The scroll bar: a thumb for the shown share of the rows.
    const int total = int(rows.size());
    const int page = std::max(t.GetVisibleCount(), 1);
    const ImVec2 barTop(origin.x + float(rowsWidth), origin.y);
    draw->AddRectFilled(barTop, end, IM_COL32(212, 208, 200, 255));
    if (total > page) {
        const float h = float(c.height);
        const float thumbH = std::max(h * float(page) / float(total), 12.0f);
        const float thumbY = barTop.y + (h - thumbH) * float(first) / float(total - page);
        draw->AddRectFilled(ImVec2(barTop.x + 2, thumbY), ImVec2(end.x - 2, thumbY + thumbH),
                            IM_COL32(128, 128, 128, 255));
    }
    draw->PopClipRect();

    // Input: one invisible button over the rows, one over the scroll bar.
    const ImGuiIO& io = ImGui::GetIO();
    TreeCtrl* tp = &t;
    Dialog* dp = &d;
    const int controlId = c.id;
    ImGui::SetCursorScreenPos(barTop);
    ImGui::InvisibleButton(("##bar" + std::to_string(c.id)).c_str(),
                           ImVec2(float(kScrollBar), std::max(float(c.height), 1.0f)));
    if (ImGui::IsItemActive() && total > page) {
        const float share =
            std::clamp((io.MousePos.y - origin.y) / std::max(float(c.height), 1.0f), 0.0f, 1.0f);
        const int row = int(share * float(total - page) + 0.5f);
        DeferTree(tp, [row](TreeCtrl& tree) { tree.SetTopRow(row); });
    }
    if (t.EditingItem() && t.RowOf(t.EditingItem()) >= first && t.RowOf(t.EditingItem()) < last)
        return; // the edit field takes the pointer over its row
    ImGui::SetCursorScreenPos(origin);
    ImGui::InvisibleButton(("##tree" + std::to_string(c.id)).c_str(),
                           ImVec2(float(rowsWidth), std::max(float(c.height), 1.0f)),
                           ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonRight);
    const bool hovered = ImGui::IsItemHovered();
    const bool active = ImGui::IsItemActive();
    const int lx = int(io.MousePos.x - origin.x), ly = int(io.MousePos.y - origin.y);
    for (int b = 0; b < 2; ++b) {
        if (hovered && ImGui::IsMouseClicked(b)) {
            const bool twice = b == 0 && ImGui::IsMouseDoubleClicked(0);
            Defer([dp, controlId] {
                if (IsLiveDialog(dp))
                    dp->SetFocusControl(controlId);
            });
            DeferTree(tp, [b, lx, ly, twice](TreeCtrl& tree) {
                if (twice)
                    tree.DoubleClick(lx, ly);
                else
                    tree.MouseDown(b, lx, ly);
            });
        }
        if (ImGui::IsMouseReleased(b) && (hovered || tp->LeftHeld() || tp->HasCapture()))
            DeferTree(tp, [b, lx, ly](TreeCtrl& tree) { tree.MouseUp(b, lx, ly); });
    }
    if ((hovered || active || t.HasCapture()) && (io.MouseDelta.x != 0 || io.MouseDelta.y != 0))
        DeferTree(tp, [lx, ly](TreeCtrl& tree) { tree.MouseMove(lx, ly); });
    if (hovered && io.MouseWheel != 0) {
        const int lines = -int(io.MouseWheel * 3);
        DeferTree(tp, [lines](TreeCtrl& tree) { tree.ScrollLines(lines); });
    }
}

// `hovered` becomes the control's id when the pointer is over it.
void DrawControl(Dialog& d, Control& c, float top, int& hovered)
{
    if (!c.visible)
        return;
    ImGui::SetCursorPos(ImVec2(float(c.x), float(c.y) + top));
    const std::string label = Utf8(c.text) + "##" + std::to_string(c.id);
    const ImVec2 size(float(c.width), float(c.height));
    ImGui::BeginDisabled(!c.enabled);
    Dialog* dp = &d;
    const int id = c.id;
    auto click = [dp, id] {
        for (Dialog* x : Dialogs())
            if (x == dp) {
                dp->Click(id);
                return;
            }
    };
    switch (c.kind) {
    case ControlKind::Static:
        ImGui::TextUnformatted(Utf8(c.text).c_str());
        break;
    case ControlKind::Picture: {
        UploadPicture(c);
        auto it = S().textures.find(&c);
        if (it != S().textures.end() && c.picture) {
            // Centred in the frame, at its own size where it fits.
            const float scale =
                std::min({1.0f, size.x / float(c.picture->width), size.y / float(c.picture->height)});
            const ImVec2 img(float(c.picture->width) * scale, float(c.picture->height) * scale);
            ImGui::SetCursorPos(
                ImVec2(float(c.x) + (size.x - img.x) / 2, float(c.y) + top + (size.y - img.y) / 2));
            ImGui::Image(reinterpret_cast<ImTextureID>(uintptr_t(it->second)), img);
        }
        break;
    }
    case ControlKind::Button:
        if (ImGui::Button(label.c_str(), size))
            Defer(click);
        break;
    case ControlKind::CheckBox: {
        bool on = c.check == BST_CHECKED;
        if (c.check == BST_INDETERMINATE)
            ImGui::PushItemFlag(ImGuiItemFlags_MixedValue, true);
        if (ImGui::Checkbox(label.c_str(), &on))
            Defer(click);
        if (c.check == BST_INDETERMINATE)
            ImGui::PopItemFlag();
        break;
    }
    case ControlKind::ComboBox:
        if (!c.list.empty()) {
            // A drop-down list: choosing an item selects it and tells the dialog (its command).
            const std::string shown = c.selection >= 0 && c.selection < int(c.list.size())
                                          ? Utf8(c.list[size_t(c.selection)])
                                          : std::string();
            ImGui::SetNextItemWidth(size.x);
            if (ImGui::BeginCombo(label.c_str(), shown.c_str())) {
                for (size_t i = 0; i < c.list.size(); ++i)
                    if (ImGui::Selectable(Utf8(c.list[i]).c_str(), int(i) == c.selection) &&
                        int(i) != c.selection) {
                        c.selection = int(i);
                        c.text = c.list[i];
                        Defer(click);
                    }
                ImGui::EndCombo();
            }
            break;
        }
        [[fallthrough]];
    case ControlKind::Edit: {
        std::string text = Utf8(c.text);
        std::vector<char> buf(text.begin(), text.end());
        buf.resize(std::max<size_t>(buf.size() + 256, 512), '\0');
        ImGui::SetNextItemWidth(size.x);
        if (ImGui::InputText(label.c_str(), buf.data(), buf.size())) {
            c.text = Utf8ToCp1252(buf.data());
            if (c.notifyChange)
                Defer(click);
        }
        if (c.kind == ControlKind::Edit && ImGui::IsItemDeactivatedAfterEdit())
            Defer([dp, id] {
                if (IsLiveDialog(dp))
                    dp->LeaveEdit(id);
            });
        break;
    }
    case ControlKind::Slider:
    case ControlKind::ScrollBar: {
        const int high = std::max(c.rangeLow, c.rangeHigh);
        bool moved;
        int value = c.position;
        if (c.vertical) {
            // ImGui's vertical slider has its low end at the bottom; a scroll bar at the top.
            value = high + c.rangeLow - c.position;
            moved = ImGui::VSliderInt(label.c_str(), size, &value, c.rangeLow, high, "");
            value = high + c.rangeLow - value;
        } else {
            ImGui::SetNextItemWidth(size.x);
            moved = ImGui::SliderInt(label.c_str(), &value, c.rangeLow, high, "");
        }
        if (moved && value != c.position)
            Defer([dp, id, value] {
                if (IsLiveDialog(dp))
                    dp->Scroll(id, SB_THUMBTRACK, value);
            });
        if (ImGui::IsItemDeactivated())
            Defer([dp, id] {
                if (IsLiveDialog(dp))
                    dp->Scroll(id, SB_ENDSCROLL);
            });
        break;
    }
    case ControlKind::Tree:
        if (c.tree)
            DrawTree(d, c, top);
        break;
    case ControlKind::Progress: {
        const int span = c.rangeHigh - c.rangeLow;
        const float done = span > 0 ? float(c.position - c.rangeLow) / float(span) : 0.0f;
        ImGui::ProgressBar(std::clamp(done, 0.0f, 1.0f), size, "");
        break;
    }
    case ControlKind::ListBox:
        if (ImGui::BeginListBox(label.c_str(), size)) {
            for (size_t i = 0; i < c.list.size(); ++i)
                if (ImGui::Selectable(Utf8(c.list[i]).c_str(), int(i) == c.selection)) {
                    // A click on a row tells the dialog (its command), as a list's selection change.
                    c.selection = int(i);
                    Defer(click);
                }
            ImGui::EndListBox();
        }
        break;
    }
    if (c.id != 0 && ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled))
        hovered = c.id;
    ImGui::EndDisabled();
}

void DrawMenuItems(HWND owner, Menu& menu, Dialog* dialogOwner);

void DrawDialog(Dialog& d, bool fullWindow, float width, float height)
{
    ImGuiWindowFlags flags = ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                             ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoFocusOnAppearing;
    if (!d.Resizable())
        flags |= ImGuiWindowFlags_NoResize;
    float top = 0;
    const bool popup = d.Popup() && !fullWindow;
    if (d.MenuBar() && !popup)
        flags |= ImGuiWindowFlags_MenuBar;
    if (popup) {
        flags |= ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoInputs | ImGuiWindowFlags_NoNav |
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize;
        const RECT r = d.GetWindowRect();
        ImGui::SetNextWindowPos(ImVec2(float(r.left), float(r.top)));
        ImGui::SetNextWindowSize(ImVec2(float(r.right - r.left), float(r.bottom - r.top)));
        ImGui::SetNextWindowBgAlpha(1.0f);
        ImGui::PushStyleColor(ImGuiCol_WindowBg, ImGui::ColorConvertU32ToFloat4(Colour(d.popupBack)));
        ImGui::PushStyleColor(ImGuiCol_Border, ImVec4(0, 0, 0, 1));
        ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0, 0, 0, 1));
        ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 1.0f);
        ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 0.0f);
    } else if (fullWindow) {
        flags |= ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                 ImGuiWindowFlags_NoBringToFrontOnFocus;
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(width, height));
    } else {
        top = float(CaptionHeight());
        if (d.placementChanged) {
            RECT r = d.GetWindowRect();
            ImGui::SetNextWindowPos(ImVec2(float(r.left), float(r.top)));
            ImGui::SetNextWindowSize(ImVec2(float(r.right - r.left), float(r.bottom - r.top)));
            d.placementChanged = false;
        }
        if (d.Modal())
            ImGui::SetNextWindowFocus();
    }
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    bool open = true;
    const std::string title = Utf8(d.Caption()) + "###dlg" + std::to_string(uintptr_t(&d));
    const bool shown = ImGui::Begin(title.c_str(), fullWindow || popup ? nullptr : &open, flags);
    ImGui::PopStyleVar();
    if (popup) {
        ImGui::PopStyleVar(2);
        ImGui::PopStyleColor(3);
    }
    if (shown) {
        if (!fullWindow && !popup) {
            const ImVec2 p = ImGui::GetWindowPos(), sz = ImGui::GetWindowSize();
            RECT r = d.GetWindowRect();
            if (int(p.x) != r.left || int(p.y) != r.top || int(sz.x) != r.right - r.left ||
                int(sz.y) != r.bottom - r.top)
                d.NoteMovedTo(int(p.x), int(p.y), int(sz.x), int(sz.y));
        }
        if ((flags & ImGuiWindowFlags_MenuBar) && ImGui::BeginMenuBar()) {
            DrawMenuItems(nullptr, *d.MenuBar(), &d);
            ImGui::EndMenuBar();
        }
        if (flags & ImGuiWindowFlags_MenuBar)
            top += ImGui::GetFrameHeight();
        ImGui::BeginDisabled(!d.IsWindowEnabled());
        int hovered = 0;
        for (size_t i = 0; i < d.Controls().size(); ++i)
            DrawControl(d, const_cast<Control&>(d.Controls()[i]), top, hovered);
        d.DrawContent();
        ImGui::EndDisabled();
        const ImGuiIO& io = ImGui::GetIO();
        if (!popup && S().mouse.moved && ImGui::IsWindowHovered()) {
            Dialog* dp = &d;
            const int x = int(io.MousePos.x), y = int(io.MousePos.y);
            Defer([dp, hovered, x, y] {
                if (IsLiveDialog(dp))
                    dp->OnMouseMove(hovered, x, y);
            });
        }
    }
    ImGui::End();
    if (!open) {
        Dialog* dp = &d;
        Defer([dp] {
            for (Dialog* x : Dialogs())
                if (x == dp) {
                    dp->CloseBox();
                    return;
                }
        });
    }
}

void DrawMenuItems(HWND owner, Menu& menu, Dialog* dialogOwner)
{
    for (int i = 0; i < menu.GetItemCount(); ++i) {
        Menu::Item& item = *menu.ItemAt(i);
        if (item.separator) {
            ImGui::Separator();
            continue;
        }
        std::string caption = item.caption;
        std::string shortcut;
        if (size_t tab = caption.find('\t'); tab != std::string::npos) {
            shortcut = caption.substr(tab + 1);
            caption.erase(tab);
        }
        caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
        const std::string label = Utf8(caption) + "##" + std::to_string(i);
        if (item.popup) {
            if (ImGui::BeginMenu(label.c_str(), item.enabled)) {
                bool& wasOpen = S().openPopups[item.popup.get()];
                if (!wasOpen && owner)
                    owner->SendMessage(WM_INITMENUPOPUP, WPARAM(item.popup.get()), LPARAM(i));
                else if (!wasOpen && dialogOwner && IsLiveDialog(dialogOwner))
                    dialogOwner->OnInitMenuPopup(*item.popup);
                wasOpen = true;
                DrawMenuItems(owner, *item.popup, dialogOwner);
                ImGui::EndMenu();
            } else {
                S().openPopups[item.popup.get()] = false;
            }
            continue;
        }
        if (ImGui::MenuItem(label.c_str(), shortcut.empty() ? nullptr : Utf8(shortcut).c_str(), item.checked,
                            item.enabled)) {
            const uint32_t id = item.id;
            if (dialogOwner)
                Defer([dialogOwner, id] {
                    for (Dialog* d : Dialogs())
                        if (d == dialogOwner) {
                            d->OnCommand(int(id));
                            return;
                        }
                });
            else if (owner)
                owner->PostMessage(WM_COMMAND, WPARAM(id), 0);
        }
    }
}

void DrawMenuBar()
{
    HostState& h = Host();
    h.menuBarHeight = 0;
    Menu* menu = GetMenu(S().host);
    if (!menu)
        return;
    if (ImGui::BeginMainMenuBar()) {
        DrawMenuItems(S().host, *menu, nullptr);
        h.menuBarHeight = ImGui::GetWindowSize().y;
        ImGui::EndMainMenuBar();
    }
}

void DrawTrackedMenu()
{
    HostState& s = Host();
    if (!s.tracked)
        return;
    if (!s.trackOpened) {
        ImGui::SetNextWindowPos(ImVec2(s.trackX, s.trackY));
        ImGui::OpenPopup("##tracked");
        s.trackOpened = true;
    }
    if (ImGui::BeginPopup("##tracked")) {
        DrawMenuItems(nullptr, *s.tracked, s.trackedOwner);
        ImGui::EndPopup();
    } else {
        s.tracked = nullptr;
        s.trackedOwner = nullptr;
    }
}

void Overlay(SDL_Window* window)
{
    State& s = S();
    if (!s.context || window != s.window)
        return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    DrawFrame(w, h);
}

void IdleWork()
{
    RunPending();
}

bool DrawnWantsMouse()
{
    State& s = S();
    return PointInUi(s.mouse.x, s.mouse.y) || ImGui::GetIO().WantCaptureMouse;
}

bool DrawnWantsKeyboard()
{
    return FocusedDialog() != nullptr || ImGui::GetIO().WantCaptureKeyboard;
}

void ForgetDrawnDialog(Dialog* dialog)
{
    State& s = S();
    for (const Control& c : dialog->Controls()) {
        auto it = s.textures.find(&c);
        if (it != s.textures.end()) {
            glDeleteTextures(1, &it->second);
            s.textures.erase(it);
        }
    }
    if (s.fullWindow == dialog)
        s.fullWindow = nullptr;
}

void DrawnModalLoop(Dialog& dialog)
{
    if (S().fullWindow == &dialog) {
        RunWindowLoop(dialog);
        return;
    }
    if (NonInteractive() && !dialog.EndsItself())
        return;
    while (!dialog.Ended()) {
        if (!WaitAndPumpMessages(16))
            break;
        RunPending();
        if (!D3DPresentAgain())
            break;
    }
}

TextSize DrawnTextExtent(std::string_view text)
{
    TextSize size;
    // The font exists from the first frame on; before it, the fixed metrics.
    if (!ImGui::GetCurrentContext() || !ImGui::GetFont())
        return FixedTextExtent(text);
    const std::string utf8 = Utf8(text);
    const ImVec2 extent = ImGui::CalcTextSize(utf8.c_str(), utf8.c_str() + utf8.size());
    size.cx = int(extent.x + 0.5f);
    size.cy = int(extent.y + 0.5f);
    return size;
}

const Drawer kDrawer = {DrawnWantsMouse, DrawnWantsKeyboard, DrawnModalLoop, ForgetDrawnDialog,
                        DrawnTextExtent};

} // namespace

bool EnsureContext(SDL_Window* window)
{
    State& s = S();
    if (s.context)
        return s.window == window;
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // The program's cursor is its own (hidden while it drags, the wait cursor).
    io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
    // Windows move by their caption only, as dialogs do.
    io.ConfigWindowsMoveFromTitleBarOnly = true;
    ImGui::StyleColorsClassic();
    ImGui_ImplSDL2_InitForOpenGL(window, SDL_GL_GetCurrentContext());
    ImGui_ImplOpenGL2_Init();
    s.context = true;
    s.window = window;
    s.observer = AddEventObserver(Observe);
    SetIdleHook(IdleWork);
    SetDrawer(&kDrawer);
    return true;
}

void DropContext()
{
    State& s = S();
    if (!s.context)
        return;
    SetDrawer(nullptr);
    for (auto& [control, tex] : s.textures)
        glDeleteTextures(1, &tex);
    s.textures.clear();
    for (auto& [bitmap, image] : s.imageLists)
        glDeleteTextures(1, &image.texture);
    s.imageLists.clear();
    RemoveEventObserver(s.observer);
    SetIdleHook(nullptr);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    s.context = false;
    s.window = nullptr;
    s.host = nullptr;
    s.fullWindow = nullptr;
    s.mouse = MouseTrack{};
    s.lastFrame = 0;
}

void SetFullWindowDialog(Dialog* dialog)
{
    S().fullWindow = dialog;
}

void DrawFrame(int width, int height)
{
    State& s = S();
    ImGui_ImplOpenGL2_NewFrame();
    // The SDL back end's own frame start is left out: it would read the system
    // pointer (which input queued by the program does not move) and take and release
    // the mouse capture the 3-D view's drags hold. The events tell the pointer.
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(float(width), float(height));
    io.DisplayFramebufferScale = ImVec2(1, 1);
    const uint64_t now = SDL_GetPerformanceCounter();
    io.DeltaTime =
        s.lastFrame
            ? std::max(float(double(now - s.lastFrame) / double(SDL_GetPerformanceFrequency())), 0.001f)
            : 1.0f / 60.0f;
    s.lastFrame = now;
    io.MousePos = ImVec2(s.mouse.x, s.mouse.y);
    s.mouse.moved = s.mouse.x != -FLT_MAX && (s.mouse.x != s.mouse.drawnX || s.mouse.y != s.mouse.drawnY);
    s.mouse.drawnX = s.mouse.x;
    s.mouse.drawnY = s.mouse.y;
    for (int b = 0; b < 3; ++b) {
        io.MouseDown[b] = s.mouse.held[b] || s.mouse.latched[b];
        s.mouse.latched[b] = false;
    }
    ImGui::NewFrame();
    if (s.fullWindow) {
        DrawDialog(*s.fullWindow, true, float(width), float(height));
    } else {
        DrawMenuBar();
        for (Dialog* d : std::vector<Dialog*>(Dialogs()))
            if (d->IsWindowVisible() && !d->Modal() && !d->Popup())
                DrawDialog(*d, false, 0, 0);
        if (Dialog* m = ModalDialog())
            DrawDialog(*m, false, 0, 0);
        for (Dialog* d : std::vector<Dialog*>(Dialogs()))
            if (d->IsWindowVisible() && d->Popup())
                DrawDialog(*d, false, 0, 0);
        DrawTrackedMenu();
    }
    ImGui::Render();
    glViewport(0, 0, width, height);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
}

bool AttachToWindow(HWND host)
{
    SDL_Window* w = NativeWindow(host);
    if (!w || D3DGetWindow() != w)
        return false;
    if (!EnsureContext(w))
        return false;
    S().host = host;
    D3DSetPresentOverlay(Overlay);
    return true;
}

void DetachFromWindow()
{
    D3DSetPresentOverlay(nullptr);
    DropContext();
    Host().menus.clear();
    Host().tracked = nullptr;
    Host().trackedOwner = nullptr;
}

} // namespace platform::ui
