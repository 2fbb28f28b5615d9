#include "GAMES/Rulo2/editor/TextureManagerDlg.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/ContextMenus.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/UsageScan.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WaitCursor.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "platform/crt/Crt.h"

#include <algorithm>
#include <string>

using platform::ui::ControlKind;
using platform::ui::Menu;

namespace {

constexpr int kStatusHeight = 20;
constexpr int kScrollHeight = 16;
constexpr int kViewSize = 256;

int CountPages()
{
    int n = 0;
    for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
        ++n;
    return n;
}

CTexturePage* PageAt(int index)
{
    CTexturePage* p = CTexturePage::First();
    for (; p && index > 0; --index)
        p = p->next;
    return index == 0 ? p : nullptr;
}

int Clamp(int index, int count)
{
    return count <= 0 ? 0 : std::clamp(index, 0, count - 1);
}

bool Inside(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool InSquare(int x, int y, int left, int top)
{
    return x >= left && x < left + TextureManagerDlg::kHandleSize && y >= top &&
           y < top + TextureManagerDlg::kHandleSize;
}

std::unique_ptr<Menu> MakeMenu()
{
    using M = TextureManagerDlg;
    auto menu = std::make_unique<Menu>(M::IDR_MENU);
    Menu& edit = menu->AddPopup("Edit");
    edit.AddItem(M::ID_NEW_PAGE, "New Texture-Page");
    edit.AddItem(M::ID_DELETE_PAGE, "Delete Texture-Page");
    edit.AddItem(M::ID_RESIZE_PAGE, "Resize Texture-Page");
    edit.AddItem(M::ID_MOVE_PAGE_TO_END, "Move Texture-Page To End");
    edit.AddSeparator();
    edit.AddItem(M::ID_ADD_TEXTURE, "Add Texture To Page");
    edit.AddItem(M::ID_REMOVE_TEXTURE, "Remove Texture From Page");
    edit.AddSeparator();
    edit.AddItem(M::ID_STRETCH_MODE, "Stretch Mode");
    edit.AddItem(M::ID_RESIZE_MODE, "Resize Mode");
    edit.AddItem(M::ID_FREEHAND_MODE, "Freehand Mode");
    edit.AddSeparator();
    edit.AddItem(M::ID_RECREATE_PAGES, "Recreate Texture-Pages");
    edit.AddItem(M::ID_DELETE_UNUSED_PAGES, "Delete Unused Texture-Pages");
    edit.AddItem(M::ID_MEMORY_USED, "Show Memory Used By Texture-Pages...");
    Menu& view = menu->AddPopup("View");
    view.AddItem(M::ID_SHOW_TEXTURES, "Show Textures");
    view.AddItem(M::ID_SHOW_PAGES, "Show Texture-Pages");
    view.AddItem(M::ID_SHOW_USED_TEXTURES, "Show Used Textures");
    view.AddItem(M::ID_SHOW_USED_PAGES, "Show Used Texture-Pages");
    return menu;
}

// One pixel of a texture at its own size. While the render engine halves textures, a surface
// holds half the pixels along each halved side: only that half of the source is read, each of
// its pixels standing for two.
uint32_t SamplePixel(CTexture* texture, int tx, int ty)
{
    if (DX.halveTextureWidths)
        tx /= 2;
    if (DX.halveTextureHeights)
        ty /= 2;
    int32_t r = 0, g = 0, b = 0, a = 0;
    if (!texture || !texture->GetPixel(tx, ty, &r, &g, &b, &a))
        return 0xFF000000u;
    return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

} // namespace

TextureManagerDlg::TextureManagerDlg()
    : CToolWindow(IDD, "TextureManagerDlg", "Texture Manager", false, "ShowTextureManager",
                  &g_ShowTextureManager, 300, 330)
{
}

TextureManagerDlg::~TextureManagerDlg() = default;

bool TextureManagerDlg::OnInitDialog()
{
    CToolWindow::OnInitDialog();
    const int w = ClientWidth(), h = ClientHeight();
    AddControl(ControlKind::Picture, IDC_VIEW, "", 0, 0, kViewSize, kViewSize);
    platform::ui::Control& scroll = AddControl(ControlKind::ScrollBar, IDC_SCROLL, "", 0,
                                               h - kStatusHeight - kScrollHeight, w, kScrollHeight);
    scroll.rangeHigh = 0;
    scroll.enabled = false;
    AddControl(ControlKind::Static, IDC_STATUS, "", 4, h - kStatusHeight + 2, w - 8, kStatusHeight - 4);
    menu_ = MakeMenu();
    SetMenuBar(menu_.get());
    return true;
}

void TextureManagerDlg::OnDestroy()
{
    usage.clear();
    CToolWindow::OnDestroy();
}

std::vector<CTexture*> TextureManagerDlg::NamedTextures()
{
    std::vector<CTexture*> named;
    for (CTexture* t = CTexture::First(); t; t = t->next)
        if (!t->name.empty())
            named.push_back(t);
    return named;
}

CTexturePage* TextureManagerDlg::UsedPage(int index) const
{
    for (const STextureUse& u : usage)
        if (u.page && index-- == 0)
            return u.page;
    return nullptr;
}

CTexture* TextureManagerDlg::UsedTexture(int index) const
{
    for (const STextureUse& u : usage)
        if (!u.page && index-- == 0)
            return u.texture;
    return nullptr;
}

CTexturePage* TextureManagerDlg::ShownPage() const
{
    if (showMode == SHOW_PAGES)
        return PageAt(pageIndex);
    if (showMode == SHOW_USED_PAGES)
        return UsedPage(usedPageIndex);
    return nullptr;
}

CTexture* TextureManagerDlg::ShownTexture() const
{
    if (showMode == SHOW_TEXTURES) {
        const std::vector<CTexture*> named = NamedTextures();
        return textureIndex < int(named.size()) ? named[size_t(textureIndex)] : nullptr;
    }
    if (showMode == SHOW_USED_TEXTURES)
        return UsedTexture(usedTextureIndex);
    return nullptr;
}

CTexturePage* TextureManagerDlg::LastPage() const
{
    return lastPageMode == SHOW_USED_PAGES ? UsedPage(usedPageIndex) : PageAt(pageIndex);
}

void TextureManagerDlg::SelectInTextureList(CTexture* texture)
{
    if (g_TextureListDlg && texture && texture->treeItem > 0)
        g_TextureListDlg->tree.SelectItem(uint32_t(texture->treeItem));
}

void TextureManagerDlg::Refresh(int mode, int index, int newEntry)
{
    pageCount = CountPages();
    const std::vector<CTexture*> named = NamedTextures();
    namedTextureCount = int(named.size());
    if (CTexture* selected = g_TextureListDlg ? g_TextureListDlg->TextureOf() : nullptr) {
        auto it = std::find(named.begin(), named.end(), selected);
        if (it != named.end())
            textureIndex = int(it - named.begin());
    }
    usage.clear();
    usedPageCount = usedTextureCount = 0;
    if (CRootNode* model = ModelTreeDlg::Model())
        model->CollectTextures(usage, usedPageCount, usedTextureCount);

    switch (mode) {
    case SHOW_TEXTURES:
        textureIndex = index;
        break;
    case SHOW_PAGES:
        pageIndex = index;
        break;
    case SHOW_USED_TEXTURES:
        usedTextureIndex = index;
        break;
    case SHOW_USED_PAGES:
        usedPageIndex = index;
        break;
    default:
        break;
    }
    textureIndex = Clamp(textureIndex, namedTextureCount);
    pageIndex = Clamp(pageIndex, pageCount);
    usedTextureIndex = Clamp(usedTextureIndex, usedTextureCount);
    usedPageIndex = Clamp(usedPageIndex, usedPageCount);

    if (mode != SHOW_NOTHING) {
        const int counts[] = {0, namedTextureCount, pageCount, usedTextureCount, usedPageCount};
        showMode = mode >= 0 && mode <= SHOW_USED_PAGES && counts[mode] > 0 ? mode : SHOW_NOTHING;
    } else {
        showMode = usedPageCount       ? SHOW_USED_PAGES
                   : usedTextureCount  ? SHOW_USED_TEXTURES
                   : pageCount         ? SHOW_PAGES
                   : namedTextureCount ? SHOW_TEXTURES
                                       : SHOW_NOTHING;
    }
    if (PageView())
        lastPageMode = showMode;

    entry = newEntry;
    if (CTexturePage* page = ShownPage(); page && entry >= 0 && entry < page->count())
        SelectInTextureList(page->entries[size_t(entry)].texture);
    else if (!page)
        entry = -1;
    UpdateStatus(true);
}

void TextureManagerDlg::UpdateStatus(bool redraw)
{
    std::string status;
    int position = 0, count = 0;
    switch (showMode) {
    case SHOW_TEXTURES: {
        CTexture* t = ShownTexture();
        status =
            crt::Format("%d of %d ('%s')", textureIndex + 1, namedTextureCount, t ? t->name.c_str() : "");
        position = textureIndex;
        count = namedTextureCount;
        break;
    }
    case SHOW_PAGES:
        status = crt::Format("%d of %d texture-pages", pageIndex + 1, pageCount);
        position = pageIndex;
        count = pageCount;
        break;
    case SHOW_USED_TEXTURES:
        status = crt::Format("%d of %d used textures", usedTextureIndex + 1, usedTextureCount);
        position = usedTextureIndex;
        count = usedTextureCount;
        break;
    case SHOW_USED_PAGES:
        status = crt::Format("%d of %d used texture-pages", usedPageIndex + 1, usedPageCount);
        position = usedPageIndex;
        count = usedPageCount;
        break;
    default:
        break;
    }
    SetDlgItemText(IDC_STATUS, status);
    if (platform::ui::Control* scroll = GetDlgItem(IDC_SCROLL)) {
        scroll->rangeLow = 0;
        scroll->rangeHigh = std::max(count - 1, 0);
        scroll->position = position;
        scroll->enabled = showMode != SHOW_NOTHING;
    }
    if (redraw)
        Redraw();
}

void TextureManagerDlg::Redraw()
{
    platform::ui::Control* view = GetDlgItem(IDC_VIEW);
    if (!view || !IsWindowVisible()) {
        if (view)
            view->picture.reset();
        return;
    }
    // A new bitmap each time: the drawing uploads a picture once per bitmap.
    auto bitmap = std::make_shared<platform::ui::Bitmap>();
    if (CTexturePage* page = ShownPage()) {
        bitmap->width = std::max(page->width, 1);
        bitmap->height = std::max(page->height, 1);
        bitmap->pixels.assign(size_t(bitmap->width) * size_t(bitmap->height), 0xFF000000u);
        for (size_t i = 0; i < page->entries.size(); ++i) {
            const CTexturePageEntry& e = page->entries[i];
            const int ew = e.pageRect.right - e.pageRect.left, eh = e.pageRect.bottom - e.pageRect.top;
            if (!e.texture || ew <= 0 || eh <= 0)
                continue;
            const int tw = e.texture->width, th = e.texture->height;
            for (int y = std::max(0, int(e.pageRect.top));
                 y < std::min(bitmap->height, int(e.pageRect.bottom)); ++y)
                for (int x = std::max(0, int(e.pageRect.left));
                     x < std::min(bitmap->width, int(e.pageRect.right)); ++x) {
                    const int u = e.textureRect.left +
                                  (x - e.pageRect.left) * (e.textureRect.right - e.textureRect.left) / ew;
                    const int v = e.textureRect.top +
                                  (y - e.pageRect.top) * (e.textureRect.bottom - e.textureRect.top) / eh;
                    bitmap->pixels[size_t(y) * size_t(bitmap->width) + size_t(x)] =
                        SamplePixel(e.texture, u * tw / 256, v * th / 256);
                }
            if (int(i) == entry) {
                // The current entry's dotted white frame.
                auto put = [&](int x, int y) {
                    if (x >= 0 && y >= 0 && x < bitmap->width && y < bitmap->height && ((x + y) & 1) == 0)
                        bitmap->pixels[size_t(y) * size_t(bitmap->width) + size_t(x)] = 0xFFFFFFFFu;
                };
                for (int x = e.pageRect.left; x < e.pageRect.right; ++x) {
                    put(x, e.pageRect.top);
                    put(x, e.pageRect.bottom - 1);
                }
                for (int y = e.pageRect.top; y < e.pageRect.bottom; ++y) {
                    put(e.pageRect.left, y);
                    put(e.pageRect.right - 1, y);
                }
            }
        }
    } else if (CTexture* t = ShownTexture(); t && t->width > 0 && t->height > 0) {
        bitmap->width = t->width;
        bitmap->height = t->height;
        bitmap->pixels.resize(size_t(t->width) * size_t(t->height));
        for (int y = 0; y < t->height; ++y)
            for (int x = 0; x < t->width; ++x)
                bitmap->pixels[size_t(y) * size_t(t->width) + size_t(x)] = SamplePixel(t, x, y);
    } else {
        bitmap.reset();
    }
    view->picture = bitmap;
    if (bitmap) {
        view->width = bitmap->width;
        view->height = bitmap->height;
    }
}

int TextureManagerDlg::HandleAt(const RECT& r, int x, int y)
{
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const int lefts[] = {r.left, cx - 2, r.right - 5, r.right - 5, r.right - 5, cx - 2, r.left, r.left};
    const int tops[] = {r.top, r.top, r.top, cy - 2, r.bottom - 5, r.bottom - 5, r.bottom - 5, cy - 2};
    int handle = 0;
    for (int i = 0; i < 8; ++i)
        if (InSquare(x, y, lefts[i], tops[i]))
            handle = i + 1;
    return handle;
}

uint32_t TextureManagerDlg::EdgeMask(int handle, int mode)
{
    static const uint32_t kMasks[] = {15, 3, 2, 6, 4, 12, 8, 9, 1};
    if (handle <= 0 || handle > 8)
        return kMasks[0];
    return kMasks[handle] | (mode == EDIT_RESIZE ? DRAG_CROP : 0u);
}

void TextureManagerDlg::OnLButtonDown(int x, int y)
{
    CTexturePage* page = PageView() ? ShownPage() : nullptr;
    if (!page)
        return;
    for (int i = 0; i < page->count(); ++i) {
        const CTexturePageEntry& e = page->entries[size_t(i)];
        if (!Inside(e.pageRect, x, y))
            continue;
        entry = i;
        SelectInTextureList(e.texture);
        captured = true;
        movesSincePress = 0;
        dragRect = RECT{x, y, x, y};
        dragEdges = editMode == EDIT_FREEHAND ? 0 : EdgeMask(HandleAt(e.pageRect, x, y), editMode);
        startPageRect = e.pageRect;
        startTextureRect = e.textureRect;
        Redraw();
        return;
    }
}

void TextureManagerDlg::OnMouseMove(int x, int y)
{
    CTexturePage* page = ShownPage();
    if (!captured || !page || entry < 0 || entry >= page->count())
        return;
    // The first two moves after the press are ignored, so a plain click moves nothing.
    if (++movesSincePress <= 2)
        return;
    if (editMode == EDIT_FREEHAND) {
        dragRect.right = x;
        dragRect.bottom = y;
        Redraw();
        return;
    }
    if (page->DragEntry(entry, startPageRect, startTextureRect, x - dragRect.left, y - dragRect.top,
                        dragEdges))
        Redraw();
}

void TextureManagerDlg::OnLButtonUp(int x, int y)
{
    if (!captured)
        return;
    captured = false;
    CTexturePage* page = ShownPage();
    if (!page || entry < 0 || entry >= page->count())
        return;
    if (editMode == EDIT_FREEHAND) {
        if (movesSincePress > 2) {
            dragRect.right = x;
            dragRect.bottom = y;
        }
        AssignFreehand();
        return;
    }
    if (movesSincePress > 2)
        EntryChanged(page, entry);
}

void TextureManagerDlg::EntryChanged(CTexturePage* page, int index)
{
    page->Build();
    RefitTextureInModels(g_ModelListRoot, page, index);
    Redraw();
}

namespace {

// The Material Manager's material of the Model Tree's mesh; null without one.
CMeshNode* CurrentMesh(int& material)
{
    material = g_MaterialManagerDlg ? g_MaterialManagerDlg->MaterialIndex() : 0;
    CMeshNode* mesh = g_MaterialManagerDlg ? g_MaterialManagerDlg->Mesh() : nullptr;
    return mesh && material >= 0 && material < mesh->materialCount ? mesh : nullptr;
}

void SetMaterialTexture(CMeshMaterial& m, CTexture* texture)
{
    if (m.texture)
        --m.texture->useCount;
    m.texture = texture;
    if (texture) {
        ++texture->useCount;
        m.textureName = texture->sourcePath.empty() ? texture->name : texture->sourcePath;
    } else {
        m.textureName.clear();
    }
}

} // namespace

void TextureManagerDlg::AssignFreehand()
{
    CTexturePage* page = ShownPage();
    const CTexturePageEntry& e = page->entries[size_t(entry)];
    RECT r{std::min(dragRect.left, dragRect.right), std::min(dragRect.top, dragRect.bottom),
           std::max(dragRect.left, dragRect.right), std::max(dragRect.top, dragRect.bottom)};
    r.left = std::clamp(r.left, e.pageRect.left, e.pageRect.right);
    r.right = std::clamp(r.right, e.pageRect.left, e.pageRect.right);
    r.top = std::clamp(r.top, e.pageRect.top, e.pageRect.bottom);
    r.bottom = std::clamp(r.bottom, e.pageRect.top, e.pageRect.bottom);
    int index = 0;
    CMeshNode* mesh = CurrentMesh(index);
    if (!mesh || r.right <= r.left || r.bottom <= r.top) {
        Refresh(showMode, showMode == SHOW_USED_PAGES ? usedPageIndex : pageIndex, entry);
        return;
    }
    if (!mesh->MaterialTexCoordsInRange(index) &&
        !MessageBoxConfirm("Mesh has no valid texture-coordinates. Proceed anyway?")) {
        Refresh(showMode, showMode == SHOW_USED_PAGES ? usedPageIndex : pageIndex, entry);
        return;
    }
    CMeshMaterial& m = mesh->materials[index];
    SetMaterialTexture(m, e.texture);
    m.page = page;
    m.pageEntry = entry;
    m.pageNumber = page->number;
    const int ew = std::max(int(e.pageRect.right - e.pageRect.left), 1);
    const int eh = std::max(int(e.pageRect.bottom - e.pageRect.top), 1);
    m.entryRect[0] = (r.left - e.pageRect.left) * 256 / ew;
    m.entryRect[1] = (r.top - e.pageRect.top) * 256 / eh;
    m.entryRect[2] = (r.right - e.pageRect.left) * 256 / ew;
    m.entryRect[3] = (r.bottom - e.pageRect.top) * 256 / eh;
    mesh->RestoreTexCoords(m);
    mesh->ApplyTexTransform(m);
    mesh->FitTexCoordsToPage(m);
    if (CRootNode* model = ModelTreeDlg::Model())
        model->Refresh();
    Refresh(showMode, showMode == SHOW_USED_PAGES ? usedPageIndex : pageIndex, entry);
    if (g_MaterialManagerDlg)
        g_MaterialManagerDlg->Refresh(false);
}

void TextureManagerDlg::OnLButtonDblClk(int x, int y)
{
    if (CurrentViewIndex() != VIEW_MODEL)
        return;
    CTexture* texture = nullptr;
    if (TextureView()) {
        CTexture* shown = ShownTexture();
        if (shown && x >= 0 && y >= 0 && x < shown->width && y < shown->height)
            texture = shown;
    } else if (CTexturePage* page = ShownPage(); page && entry >= 0 && entry < page->count()) {
        texture = page->entries[size_t(entry)].texture;
    }
    int index = 0;
    CMeshNode* mesh = CurrentMesh(index);
    if (!texture || !mesh)
        return;
    if (AssignWholeTexture(mesh, index, texture))
        Refresh(showMode, showMode == SHOW_USED_PAGES ? usedPageIndex : pageIndex, entry);
}

void TextureManagerDlg::OnRButtonDown(int x, int y)
{
    if (showMode == SHOW_NOTHING)
        return;
    if (PageView())
        OnLButtonDown(x, y);
    captured = false;
    popups_ = LoadContextMenus();
    const char* name = showMode == SHOW_TEXTURES        ? "TextureManagerUsedTexture"
                       : showMode == SHOW_USED_TEXTURES ? nullptr
                       : editMode == EDIT_STRETCH       ? "TextureManagerStretch"
                       : editMode == EDIT_RESIZE        ? "TextureManagerResize"
                                                        : "TextureManagerFreehand";
    Menu* popup = name && popups_ ? popups_->FindSubMenu(name) : nullptr;
    if (popup)
        platform::ui::TrackPopupMenu(*popup, GetWindowRect().left + x, GetWindowRect().top + y, *this);
}

void TextureManagerDlg::OnHScroll(int id, int code, int position)
{
    if (id != IDC_SCROLL || showMode == SHOW_NOTHING)
        return;
    const int counts[] = {0, namedTextureCount, pageCount, usedTextureCount, usedPageCount};
    int* indexes[] = {nullptr, &textureIndex, &pageIndex, &usedTextureIndex, &usedPageIndex};
    int& index = *indexes[showMode];
    const int count = counts[showMode];
    const int before = index;
    switch (code) {
    case platform::ui::SB_LINELEFT:
    case platform::ui::SB_PAGELEFT:
        index = Clamp(index - 1, count);
        break;
    case platform::ui::SB_LINERIGHT:
    case platform::ui::SB_PAGERIGHT:
        index = Clamp(index + 1, count);
        break;
    case platform::ui::SB_THUMBTRACK:
    case platform::ui::SB_THUMBPOSITION:
        index = Clamp(position, count);
        break;
    case platform::ui::SB_LEFT:
        index = 0;
        break;
    case platform::ui::SB_RIGHT:
        index = Clamp(count - 1, count);
        break;
    default:
        return;
    }
    if (PageView() && index != before)
        entry = -1;
    UpdateStatus(true);
    SetTimer(kFocusTimer, kFocusTimerMs);
}

void TextureManagerDlg::OnTimer(uint32_t id)
{
    if (id != kFocusTimer)
        return;
    KillTimer(kFocusTimer);
    SetFocusControl(0);
}

void TextureManagerDlg::OnInitMenuPopup(Menu& popup)
{
    const bool pages = pageCount > 0;
    popup.EnableMenuItem(ID_DELETE_PAGE, pages && PageView());
    popup.EnableMenuItem(ID_RESIZE_PAGE, pages && PageView());
    popup.EnableMenuItem(ID_MOVE_PAGE_TO_END, pages && PageView());
    popup.EnableMenuItem(ID_REMOVE_TEXTURE, pages && PageView() && entry >= 0);
    popup.EnableMenuItem(ID_ADD_TEXTURE, pages && TextureView());
    popup.CheckMenuRadioItem(ID_STRETCH_MODE, ID_FREEHAND_MODE, uint32_t(ID_STRETCH_MODE + editMode));
    popup.EnableMenuItem(ID_SHOW_TEXTURES, namedTextureCount > 0);
    popup.EnableMenuItem(ID_SHOW_PAGES, pages);
    popup.EnableMenuItem(ID_SHOW_USED_TEXTURES, usedTextureCount > 0 || usedPageCount > 0);
    popup.EnableMenuItem(ID_SHOW_USED_PAGES, usedTextureCount > 0 || usedPageCount > 0);
    if (showMode == SHOW_NOTHING) {
        for (uint32_t id = ID_SHOW_TEXTURES; id <= ID_SHOW_USED_PAGES; ++id)
            popup.CheckMenuItem(id, false);
    } else {
        popup.CheckMenuRadioItem(ID_SHOW_TEXTURES, ID_SHOW_USED_PAGES,
                                 uint32_t(ID_SHOW_TEXTURES + showMode - 1));
    }
}

void TextureManagerDlg::Resize(int dw, int dh)
{
    CTexturePage* page = ShownPage();
    if (!page || entry < 0 || entry >= page->count())
        return;
    if (page->ResizeEntry(entry, dw, dh))
        EntryChanged(page, entry);
}

void TextureManagerDlg::DeletePage()
{
    CTexturePage* page = ShownPage();
    if (!page)
        return;
    if (IsTextureUsedByModels(g_ModelListRoot, page, -1) &&
        !MessageBoxConfirm("Texture-page is still in use. Delete it anyway?"))
        return;
    RemoveTextureFromModels(g_ModelListRoot, page, -1);
    delete page;
    Refresh();
}

void TextureManagerDlg::DeleteUnusedPages()
{
    int deleted = 0;
    {
        SWaitCursor wait;
        ClearUsedFlags(CTexture::First());
        ClearUsedFlags(CTexturePage::First());
        ApplyToModelsSlot41(g_ModelListRoot);
        for (CTexturePage* p = CTexturePage::First(); p;) {
            if (p->used) {
                p = p->next;
                continue;
            }
            delete p;
            ++deleted;
            p = CTexturePage::First();
        }
    }
    Refresh();
    MessageBoxInfo(crt::Format("%d unused texture-pages have been deleted", deleted).c_str());
}

void TextureManagerDlg::PagesWithTexture()
{
    CTexture* texture = ShownTexture();
    if (!texture)
        return;
    std::string text = "This texture has been used in the following texture-pages:\n";
    std::string line;
    bool any = false;
    int number = 0;
    for (CTexturePage* p = CTexturePage::First(); p; p = p->next) {
        ++number;
        if (std::none_of(p->entries.begin(), p->entries.end(),
                         [texture](const CTexturePageEntry& e) { return e.texture == texture; }))
            continue;
        if (line.size() > 50) {
            text += line + "\n";
            line.clear();
        }
        if (!line.empty())
            line += ", ";
        line += std::to_string(number);
        any = true;
    }
    MessageBoxInfo(any ? (text + line).c_str() : "This texture has not been used in any texture-page");
}

void TextureManagerDlg::ChangeEntryArea(int index)
{
    CTexturePage* page = ShownPage();
    if (!page || index < 0 || index >= page->count())
        return;
    page->entries[size_t(index)].textureRect = RECT{0, 0, 256, 256};
    EntryChanged(page, index);
}

bool TextureManagerDlg::OnCommand(int id)
{
    CTexturePage* page = ShownPage();
    const bool entryValid = page && entry >= 0 && entry < page->count();
    const RECT r = entryValid ? page->entries[size_t(entry)].pageRect : RECT{};
    const int w = r.right - r.left, h = r.bottom - r.top;
    switch (id) {
    case ID_NEW_PAGE: {
        auto* created = new CTexturePage();
        created->Build();
        Refresh(SHOW_PAGES, 10000);
        return true;
    }
    case ID_DELETE_PAGE:
        DeletePage();
        return true;
    case ID_RESIZE_PAGE: {
        if (!page)
            return true;
        CTexturePageSizeDlg dialog(*page);
        if (dialog.DoModal(Owner()) != platform::ui::IDOK || dialog.choice < 0)
            return true;
        page->width = page->height = 1 << (dialog.choice + 4);
        page->Build();
        RefitAllTexturesInModels(g_ModelListRoot);
        UpdateStatus(true);
        return true;
    }
    case ID_ADD_TEXTURE: {
        CTexture* texture = TextureView() ? ShownTexture() : nullptr;
        CTexturePage* target = LastPage();
        if (!texture || !target || !target->AddTexture(texture))
            return true;
        target->Build();
        RefitTextureInModels(g_ModelListRoot, target, target->count() - 1);
        Refresh(lastPageMode, lastPageMode == SHOW_USED_PAGES ? usedPageIndex : pageIndex,
                target->count() - 1);
        return true;
    }
    case ID_REMOVE_TEXTURE:
        if (!entryValid)
            return true;
        if (IsTextureUsedByModels(g_ModelListRoot, page, entry) &&
            !MessageBoxConfirm("Texture is still in use. Delete it anyway?"))
            return true;
        RemoveTextureFromModels(g_ModelListRoot, page, entry);
        page->removeTexture(entry);
        Refresh(showMode, showMode == SHOW_USED_PAGES ? usedPageIndex : pageIndex);
        return true;
    case ID_MOVE_PAGE_TO_END:
        if (page) {
            page->MoveToEnd();
            Refresh(SHOW_PAGES, CountPages() - 1);
        }
        return true;
    case ID_STRETCH_MODE:
    case ID_RESIZE_MODE:
    case ID_FREEHAND_MODE:
        editMode = id - ID_STRETCH_MODE;
        Redraw();
        return true;
    case ID_RECREATE_PAGES:
        for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
            p->Build();
        Refresh(showMode, showMode == SHOW_USED_PAGES ? usedPageIndex : pageIndex, entry);
        return true;
    case ID_DELETE_UNUSED_PAGES:
        DeleteUnusedPages();
        return true;
    case ID_MEMORY_USED: {
        uint32_t bytes = 0;
        for (CTexturePage* p = CTexturePage::First(); p; p = p->next)
            bytes += uint32_t(p->width) * uint32_t(p->height) * 2u;
        char size[64] = {};
        FormatByteSize(bytes, size, sizeof size);
        MessageBoxInfo(crt::Format("%s used by texture-pages", size).c_str());
        return true;
    }
    case ID_SHOW_TEXTURES:
        Refresh(SHOW_TEXTURES, textureIndex);
        return true;
    case ID_SHOW_PAGES:
        Refresh(SHOW_PAGES, pageIndex);
        return true;
    case ID_SHOW_USED_TEXTURES:
        Refresh(SHOW_USED_TEXTURES, usedTextureIndex);
        return true;
    case ID_SHOW_USED_PAGES:
        Refresh(SHOW_USED_PAGES, usedPageIndex);
        return true;
    case ID_DOUBLE:
        Resize(w, h);
        return true;
    case ID_DOUBLE_VERTICAL:
        Resize(0, h);
        return true;
    case ID_DOUBLE_HORIZONTAL:
        Resize(w, 0);
        return true;
    case ID_HALVE:
        Resize(-(w / 2), -(h / 2));
        return true;
    case ID_HALVE_VERTICAL:
        Resize(0, -(h / 2));
        return true;
    case ID_HALVE_HORIZONTAL:
        Resize(-(w / 2), 0);
        return true;
    case ID_ORIGINAL_SIZE:
        if (entryValid && page->entries[size_t(entry)].texture) {
            const CTexture* t = page->entries[size_t(entry)].texture;
            Resize(t->width - w, t->height - h);
        }
        return true;
    case ID_FULL_SIZE:
        if (entryValid)
            ChangeEntryArea(entry);
        return true;
    case ID_SIZE: {
        if (!entryValid)
            return true;
        CTextureSizeDlg dialog(w, h);
        if (dialog.DoModal(Owner()) == platform::ui::IDOK)
            Resize(dialog.width - w, dialog.height - h);
        return true;
    }
    case ID_SHOW_WHERE_USED: {
        if (!g_ModelTreeDlg)
            return true;
        CRootNode* model = ModelTreeDlg::Model();
        CMeshNode* user = nullptr;
        if (model && page && entryValid)
            user = model->FindTextureUser(nullptr, page, entry);
        else if (model && ShownTexture())
            user = model->FindTextureUser(ShownTexture(), nullptr, -1);
        if (user && user->id)
            g_ModelTreeDlg->tree.SelectItem(user->id);
        else
            g_ModelTreeDlg->tree.platform::ui::TreeCtrl::SelectItem(0);
        return true;
    }
    case ID_HIGHLIGHT_PAGE_USERS:
        if (page)
            SelectUsersInTree(g_ModelListRoot, page);
        return true;
    case ID_HIGHLIGHT_TEXTURE_USERS:
        if (entryValid)
            SelectInTreeByTexture(g_ModelListRoot, page->entries[size_t(entry)].texture);
        else if (CTexture* t = ShownTexture())
            SelectInTreeByTexture(g_ModelListRoot, t);
        return true;
    case ID_PAGES_WITH_TEXTURE:
        PagesWithTexture();
        return true;
    default:
        return CToolWindow::OnCommand(id);
    }
}

// ---- the two size dialogs ---------------------------------------------------

CTexturePageSizeDlg::CTexturePageSizeDlg(const CTexturePage& page)
    : platform::ui::Dialog(IDD, "Texture-Page Size", 200, 190), page_(page)
{
    static const char* const kNames[] = {"16 x 16", "32 x 32", "64 x 64", "128 x 128", "256 x 256"};
    for (int i = 0; i < 5; ++i)
        AddControl(ControlKind::CheckBox, IDC_16 - i, kNames[i], 16, 10 + 24 * i, 120, 20);
    AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 16, 135, 70, 24);
    AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 100, 135, 70, 24);
}

bool CTexturePageSizeDlg::OnInitDialog()
{
    int largest = 0;
    for (const CTexturePageEntry& e : page_.entries)
        largest = std::max({largest, int(e.pageRect.right), int(e.pageRect.bottom)});
    int needed = 1;
    while (needed < largest)
        needed <<= 1;
    for (int i = 0; i < 5; ++i) {
        const int side = 1 << (i + 4);
        platform::ui::Control* c = GetDlgItem(IDC_16 - i);
        c->enabled = side >= needed;
        c->check = side == page_.width ? platform::ui::BST_CHECKED : platform::ui::BST_UNCHECKED;
        if (side == page_.width)
            preset_ = i;
    }
    return true;
}

bool CTexturePageSizeDlg::OnCommand(int id)
{
    // The five boxes act as one group of radio buttons.
    if (id <= IDC_16 && id >= IDC_256) {
        for (int other = IDC_256; other <= IDC_16; ++other)
            GetDlgItem(other)->check = other == id ? platform::ui::BST_CHECKED : platform::ui::BST_UNCHECKED;
        return true;
    }
    return platform::ui::Dialog::OnCommand(id);
}

void CTexturePageSizeDlg::OnOK()
{
    // A box checked besides the preset one is the choice.
    choice = -1;
    for (int i = 0; i < 5; ++i)
        if (GetDlgItem(IDC_16 - i)->check == platform::ui::BST_CHECKED && GetDlgItem(IDC_16 - i)->enabled &&
            (choice < 0 || choice == preset_))
            choice = i;
    EndDialog(platform::ui::IDOK);
}

CTextureSizeDlg::CTextureSizeDlg(int w, int h)
    : platform::ui::Dialog(IDD, "Texture Size", 200, 120), width(w), height(h)
{
    AddControl(ControlKind::Static, 0, "Width:", 10, 12, 60, 20);
    AddControl(ControlKind::Edit, IDC_WIDTH, "", 80, 10, 80, 22);
    AddControl(ControlKind::Static, 0, "Height:", 10, 42, 60, 20);
    AddControl(ControlKind::Edit, IDC_HEIGHT, "", 80, 40, 80, 22);
    AddControl(ControlKind::Button, platform::ui::IDOK, "OK", 10, 76, 70, 24);
    AddControl(ControlKind::Button, platform::ui::IDCANCEL, "Cancel", 100, 76, 70, 24);
}

void CTextureSizeDlg::DoDataExchange(platform::ui::DataExchange& dx)
{
    platform::ui::DDX_Text(dx, IDC_WIDTH, width);
    platform::ui::DDV_MinMaxInt(dx, width, 16, 256);
    platform::ui::DDX_Text(dx, IDC_HEIGHT, height);
    platform::ui::DDV_MinMaxInt(dx, height, 16, 256);
}
