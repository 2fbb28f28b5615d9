#include "GAMES/Rulo2/editor/ToolWindows.h"

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/EditTaskDlg.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "LIBS/System/LogPrintf.h"

#include <algorithm>
#include <string>

using platform::HKEY_CURRENT_USER;

ModelTreeDlg* g_ModelTreeDlg = nullptr;
WorldTreeDlg* g_WorldTreeDlg = nullptr;
ModelListDlg* g_ModelListDlg = nullptr;
TextureListDlg* g_TextureListDlg = nullptr;
TextureManagerDlg* g_TextureManagerDlg = nullptr;
MaterialManagerDlg* g_MaterialManagerDlg = nullptr;
ObjectPropertiesDlg* g_ObjectPropertiesDlg = nullptr;
TaskListDlg* g_TaskListDlg = nullptr;
DependencyListDlg* g_DependencyListDlg = nullptr;

bool g_ShowModelTree = false, g_ShowWorldTree = false, g_ShowModelList = false, g_ShowTextureList = false,
     g_ShowTextureManager = false, g_ShowMaterialManager = false, g_ShowObjectProperties = false,
     g_ShowTaskList = false;

namespace {

// Sizeable windows start at this size when nothing is stored.
constexpr int kDefaultW = 150, kDefaultH = 300;

std::string ValueName(const char* className, const char* part)
{
    return std::string(className) + "-" + part;
}

uint32_t ReadDword(const std::string& name, uint32_t fallback)
{
    return RegReadDword(HKEY_CURRENT_USER, SettingsKey, name.c_str(), fallback);
}

void WriteDword(const std::string& name, uint32_t value)
{
    RegWriteDword(HKEY_CURRENT_USER, SettingsKey, name.c_str(), value);
}

template <class T>
void DestroyAndDelete(T*& window)
{
    if (!window)
        return;
    window->DestroyWindow();
    delete window;
    window = nullptr;
}

void ShowAs(platform::ui::Dialog* window, bool show)
{
    if (window)
        window->ShowWindow(show ? platform::SW_SHOWNA : platform::SW_HIDE);
}

} // namespace

CToolWindow::CToolWindow(int resourceId, const char* className, const char* caption, bool sizeable,
                         const char* showValue, bool* showFlag, int width, int height)
    : platform::ui::Dialog(resourceId, caption, width, height), className_(className), showValue_(showValue),
      showFlag_(showFlag), sizeable_(sizeable)
{
    SetResizable(sizeable);
}

bool CToolWindow::OnInitDialog()
{
    // Stored values are pixels relative to the game window; they are not clamped.
    const int x = int32_t(ReadDword(ValueName(className_, "X"), 0));
    const int y = int32_t(ReadDword(ValueName(className_, "Y"), 0));
    if (sizeable_) {
        const int w = int32_t(ReadDword(ValueName(className_, "W"), kDefaultW));
        const int h = int32_t(ReadDword(ValueName(className_, "H"), kDefaultH));
        SetWindowPos(x, y, w, h, platform::ui::SWP_NOZORDER);
    } else {
        SetWindowPos(x, y, 0, 0, platform::ui::SWP_NOSIZE | platform::ui::SWP_NOZORDER);
    }
    if (showFlag_ && showValue_)
        *showFlag_ = ReadDword(showValue_, 0) != 0;
    return true;
}

void CToolWindow::OnDestroy()
{
    const platform::RECT r = GetWindowRect();
    WriteDword(ValueName(className_, "X"), uint32_t(r.left));
    WriteDword(ValueName(className_, "Y"), uint32_t(r.top));
    if (sizeable_) {
        WriteDword(ValueName(className_, "W"), uint32_t(r.right - r.left));
        WriteDword(ValueName(className_, "H"), uint32_t(r.bottom - r.top));
    }
    if (showFlag_ && showValue_)
        WriteDword(showValue_, *showFlag_ ? 1 : 0);
}

void CToolWindow::OnClose()
{
    ShowWindow(platform::SW_HIDE);
    if (showFlag_)
        *showFlag_ = false;
}

void CToolWindow::SetSizedControl(int id)
{
    const platform::ui::Control* c = GetDlgItem(id);
    if (!c)
        return;
    sizedControl_ = id;
    marginW_ = ClientWidth() - c->width;
    marginH_ = ClientHeight() - c->height;
}

void CToolWindow::OnSize(int clientWidth, int clientHeight)
{
    if (!sizedControl_)
        return;
    if (platform::ui::Control* c = GetDlgItem(sizedControl_)) {
        c->width = std::max(0, clientWidth - marginW_);
        c->height = std::max(0, clientHeight - marginH_);
    }
}

std::shared_ptr<platform::ui::Bitmap> EditorTreeImages()
{
    static std::shared_ptr<platform::ui::Bitmap> images;
    static bool tried = false;
    if (!tried) {
        tried = true;
        auto bitmap = std::make_shared<platform::ui::Bitmap>();
        std::string error;
        if (platform::ui::LoadBitmapResource(184, *bitmap, error))
            images = bitmap;
        else
            LogPrintf("The editor trees show no images: %s", error.c_str());
    }
    return images;
}

void CToolWindow::AddSizedTree(int id, CEditorTree& tree)
{
    AddTree(id, tree, 0, 0, ClientWidth(), ClientHeight());
    tree.SetImageList(EditorTreeImages());
    SetSizedControl(id);
}

void CreateToolWindows(platform::HWND owner)
{
    (g_ModelTreeDlg = new ModelTreeDlg())->Create(owner);
    (g_TerrainProperties = new TerrainPropertiesDlg())->Create(owner);
    g_TerrainProperties->ShowWindow(platform::SW_HIDE);
    (g_WorldTreeDlg = new WorldTreeDlg())->Create(owner);
    (g_ModelListDlg = new ModelListDlg())->Create(owner);
    (g_TextureListDlg = new TextureListDlg())->Create(owner);
    (g_TextureManagerDlg = new TextureManagerDlg())->Create(owner);
    (g_MaterialManagerDlg = new MaterialManagerDlg())->Create(owner);
    (g_ObjectPropertiesDlg = new ObjectPropertiesDlg())->Create(owner);
    (g_TaskListDlg = new TaskListDlg())->Create(owner);
    (g_DependencyListDlg = new DependencyListDlg())->Create(owner);
}

void DestroyToolWindows()
{
    // A dialog editing one element of an object goes first, as Cancel ends it.
    if (OpenElementEditor)
        OpenElementEditor->OnCancel();
    DestroyAndDelete(g_TerrainProperties);
    DestroyAndDelete(g_ModelTreeDlg);
    DestroyAndDelete(g_WorldTreeDlg);
    DestroyAndDelete(g_ModelListDlg);
    DestroyAndDelete(g_TextureListDlg);
    DestroyAndDelete(g_TextureManagerDlg);
    DestroyAndDelete(g_MaterialManagerDlg);
    DestroyAndDelete(g_ObjectPropertiesDlg);
    DestroyAndDelete(g_TaskListDlg);
    DestroyAndDelete(g_DependencyListDlg);
}

void ToggleToolWindow(CToolWindow* window)
{
    if (!window)
        return;
    const bool show = !window->IsWindowVisible();
    window->ShowWindow(show ? platform::SW_SHOWNA : platform::SW_HIDE);
    if (window->ShowFlag())
        *window->ShowFlag() = show;
}

void ShowObjectTools(bool show)
{
    ShowAs(g_ObjectPropertiesDlg, show);
    if (g_ShowTaskList || !show) {
        ShowAs(g_TaskListDlg, show);
        ShowAs(g_DependencyListDlg, show);
    }
}

void ToggleObjectTools()
{
    if (!g_ObjectPropertiesDlg)
        return;
    const bool show = !g_ObjectPropertiesDlg->IsWindowVisible();
    ShowObjectTools(show);
    g_ShowObjectProperties = show;
}

void ShowToolWindowsForView(int view)
{
    const bool game = view == VIEW_GAME;
    const bool ground = view == VIEW_WORLD_GROUND;
    const bool world = !game && CameraViews[view].worldView;
    const bool model = view == VIEW_MODEL;
    const bool modelGround = view == VIEW_MODEL_GROUND;
    ShowAs(g_ModelListDlg, !game && !ground && g_ShowModelList);
    ShowAs(g_WorldTreeDlg, world && !ground && g_ShowWorldTree);
    ShowAs(g_ModelTreeDlg, (model || modelGround) && g_ShowModelTree);
    ShowAs(g_TextureListDlg, model && g_ShowTextureList);
    ShowAs(g_TextureManagerDlg, model && g_ShowTextureManager);
    ShowAs(g_MaterialManagerDlg, model && g_ShowMaterialManager);
    ShowObjectTools(world && !ground && g_ShowObjectProperties);
}

void RefillToolWindowsAfterLoad()
{
    // What an open element editor edits went with the old world.
    if (OpenElementEditor)
        OpenElementEditor->OnCancel();
    ForgetCurrentEntry();
    if (g_ModelListDlg)
        g_ModelListDlg->Refill();
    if (g_WorldTreeDlg && g_WorldRoot)
        g_WorldRoot->InsertIntoTree(0);
    if (g_ObjectPropertiesDlg)
        g_ObjectPropertiesDlg->SetObject(nullptr, nullptr, nullptr);
    if (g_TextureListDlg)
        CTexture::FillEditorTree(nullptr);
    if (g_TextureManagerDlg)
        g_TextureManagerDlg->Refresh();
    if (g_MaterialManagerDlg)
        g_MaterialManagerDlg->Refresh(true);
}

void RefillToolWindowsForView()
{
    RefillWorldTree();
    if (g_ModelTreeDlg && CurrentModel && CurrentModel->model)
        CurrentModel->model->InsertIntoTree(0, nullptr);
}

void RefillWorldTree()
{
    if (g_WorldTreeDlg && g_WorldRoot)
        g_WorldRoot->InsertIntoTree(0);
}

void RefreshTreesAfterEscape()
{
    if (g_WorldTreeDlg)
        g_WorldTreeDlg->Redraw();
    if (g_ModelTreeDlg)
        g_ModelTreeDlg->tree.SelectItem(0);
}
