#pragma once
// The Texture Manager window: one texture or one texture page at a time, stepped
// through with a scroll bar. Its menu creates, resizes, fills and deletes pages;
// the mouse places, resizes and assigns the textures inside a page.
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/world/CMeshMaterials.h"

#include <memory>
#include <vector>

class TextureManagerDlg : public CToolWindow
{
public:
    enum
    {
        IDD = 202,
        IDR_MENU = 203,
        IDC_STATUS = 1032,
        IDC_SCROLL = 1033,
        IDC_VIEW = 1034,
        ID_SHOW_TEXTURES = 32839,
        ID_SHOW_PAGES = 32840,
        ID_SHOW_USED_TEXTURES = 32841,
        ID_SHOW_USED_PAGES = 32842,
        ID_NEW_PAGE = 32843,
        ID_DELETE_PAGE = 32844,
        ID_ADD_TEXTURE = 32845,
        ID_REMOVE_TEXTURE = 32846,
        ID_DOUBLE_VERTICAL = 32849,
        ID_DOUBLE_HORIZONTAL = 32850,
        ID_HALVE_VERTICAL = 32851,
        ID_HALVE_HORIZONTAL = 32852,
        ID_SIZE = 32853,
        ID_DOUBLE = 32854,
        ID_HALVE = 32855,
        ID_ORIGINAL_SIZE = 32856,
        ID_FULL_SIZE = 32857,
        ID_RESIZE_PAGE = 32891,
        ID_SHOW_WHERE_USED = 32922,
        ID_DELETE_UNUSED_PAGES = 32976,
        ID_MOVE_PAGE_TO_END = 32978,
        ID_HIGHLIGHT_TEXTURE_USERS = 32979,
        ID_HIGHLIGHT_PAGE_USERS = 32980,
        ID_PAGES_WITH_TEXTURE = 32981,
        ID_MEMORY_USED = 32993,
        ID_RECREATE_PAGES = 33012,
        ID_STRETCH_MODE = 35001,
        ID_RESIZE_MODE = 35002,
        ID_FREEHAND_MODE = 35003,
    };
    enum EShowMode
    {
        SHOW_NOTHING = 0,
        SHOW_TEXTURES = 1,
        SHOW_PAGES = 2,
        SHOW_USED_TEXTURES = 3,
        SHOW_USED_PAGES = 4,
    };
    enum EEditMode
    {
        EDIT_STRETCH = 0,
        EDIT_RESIZE = 1,
        EDIT_FREEHAND = 2,
    };
    static constexpr uint32_t kFocusTimer = FourCC("FOCU");
    static constexpr uint32_t kFocusTimerMs = 2000;
    static constexpr int kHandleSize = 6;

    TextureManagerDlg();
    ~TextureManagerDlg() override;

    bool OnInitDialog() override;
    void OnDestroy() override;
    bool OnCommand(int id) override;
    void OnInitMenuPopup(platform::ui::Menu& popup) override;
    void OnHScroll(int id, int code, int position) override;
    void OnTimer(uint32_t id) override;

    // Recounts and redraws: `showMode` 0 chooses the mode from what exists, else
    // it is taken with `index` in its list; `entry` the page entry under work.
    void Refresh(int showMode = SHOW_NOTHING, int index = 0, int entry = -1);
    void UpdateStatus(bool redraw);

    // Mouse in the view, client pixels of the page (its top-left corner is 0, 0).
    void OnLButtonDown(int x, int y);
    void OnMouseMove(int x, int y);
    void OnLButtonUp(int x, int y);
    void OnLButtonDblClk(int x, int y);
    void OnRButtonDown(int x, int y);

    // The handle of a page rectangle under a point (1 to 8 clockwise from the
    // top-left corner; 0 none) and the edges a handle drags.
    static int HandleAt(const RECT& r, int x, int y);
    static uint32_t EdgeMask(int handle, int editMode);

    // What the view shows now (null: no such thing in this mode).
    CTexturePage* ShownPage() const;
    CTexture* ShownTexture() const;
    // The named textures in list order.
    static std::vector<CTexture*> NamedTextures();

    int showMode = SHOW_NOTHING;
    int lastPageMode = SHOW_PAGES;
    int editMode = EDIT_STRETCH;
    int pageIndex = 0, textureIndex = 0, usedPageIndex = 0, usedTextureIndex = 0;
    int pageCount = 0, namedTextureCount = 0, usedPageCount = 0, usedTextureCount = 0;
    int entry = -1;
    // What the current model uses.
    std::vector<STextureUse> usage;
    // Press and current point of a drag, page pixels.
    RECT dragRect{};
    // The edges the press picked, and the entry's rectangles at the press.
    uint32_t dragEdges = 0;
    RECT startPageRect{}, startTextureRect{};
    bool captured = false;
    int movesSincePress = 0;
    // The pixels of the view, made again on every redraw while the window is shown.
    std::shared_ptr<platform::ui::Bitmap> picture;

private:
    std::unique_ptr<platform::ui::Menu> menu_;
    std::unique_ptr<platform::ui::Menu> popups_;

    void Redraw();
    CTexturePage* UsedPage(int index) const;
    CTexture* UsedTexture(int index) const;
    bool PageView() const { return showMode == SHOW_PAGES || showMode == SHOW_USED_PAGES; }
    bool TextureView() const { return showMode == SHOW_TEXTURES || showMode == SHOW_USED_TEXTURES; }
    // The page shown in the last page view (for "Add Texture To Page").
    CTexturePage* LastPage() const;
    void SelectInTextureList(CTexture* texture);
    // The page rebuilt and the models' coordinates refitted for one entry.
    void EntryChanged(CTexturePage* page, int index);
    void Resize(int dw, int dh);
    void DeletePage();
    void DeleteUnusedPages();
    void AssignFreehand();
    void PagesWithTexture();
    void ChangeEntryArea(int index);
};

// Texture-Page Size: the power of two a page's sides become.
class CTexturePageSizeDlg : public platform::ui::Dialog
{
public:
    enum
    {
        IDD = 207,
        IDC_256 = 1072,
        IDC_128 = 1073,
        IDC_64 = 1074,
        IDC_32 = 1075,
        IDC_16 = 1076,
    };
    explicit CTexturePageSizeDlg(const CTexturePage& page);
    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void OnOK() override;
    // 0 to 4 (side 1 << (choice + 4)); -1 nothing chosen.
    int choice = -1;

private:
    const CTexturePage& page_;
    int preset_ = -1;
};

// Texture Size: an entry's width and height, 16 to 256 each.
class CTextureSizeDlg : public platform::ui::Dialog
{
public:
    enum
    {
        IDD = 204,
        IDC_WIDTH = 1035,
        IDC_HEIGHT = 1036,
    };
    CTextureSizeDlg(int width, int height);
    void DoDataExchange(platform::ui::DataExchange& dx) override;
    int width, height;
};
