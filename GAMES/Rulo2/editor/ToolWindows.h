#pragma once
// The editor's ten tool windows: modeless dialogs beside the 3-D view, created once
// at start-up in editor mode, placed from the registry, hidden instead of closed,
// deaf to Enter and Esc, and saved back when they are destroyed. Their content
// comes with each window; this file holds the frame all of them share.

#include "GAMES/Rulo2/editor/EditorTree.h"
#include "GAMES/Rulo2/editor/terrain/TerrainPropertiesDlg.h"
#include "platform/ui/Ui.h"

#include <cstdint>

class CToolWindow : public platform::ui::Dialog
{
public:
    // `className` names the placement values ("<className>-X" ...); `showValue`
    // the show value (null: none); `showFlag` the editor's flag (null: none).
    CToolWindow(int resourceId, const char* className, const char* caption, bool sizeable,
                const char* showValue, bool* showFlag, int width, int height);

    const char* ClassName() const { return className_; }
    bool Sizeable() const { return sizeable_; }
    bool* ShowFlag() const { return showFlag_; }

    bool OnInitDialog() override;
    void OnDestroy() override;
    void OnClose() override;
    // Enter and Esc do nothing: a tool window never ends itself.
    void OnOK() override {}
    void OnCancel() override {}
    void OnSize(int clientWidth, int clientHeight) override;

    // The one tree or list control that follows the window's size (0: none). Call
    // once the control exists: the margins are taken then.
    void SetSizedControl(int id);
    // A tree over the whole client area that follows the window's size, with the
    // editor trees' images.
    void AddSizedTree(int id, CEditorTree& tree);

private:
    const char* className_;
    const char* showValue_;
    bool* showFlag_;
    bool sizeable_;
    int sizedControl_ = 0;
    int marginW_ = 0, marginH_ = 0;
};

// The tree of a tree window, filling the client area.
constexpr int IDC_MODEL_TREE = 1025;
constexpr int IDC_MODEL_LIST_TREE = 1026;
constexpr int IDC_WORLD_TREE = 1028;

class ModelTreeDlg;
class WorldTreeDlg;
class ModelListDlg;
class TextureListDlg;
class TextureManagerDlg;
class MaterialManagerDlg;
class ObjectPropertiesDlg;
class TaskListDlg;
class DependencyListDlg;

// One pointer per window: set at start-up in editor mode, null in game mode.
extern ModelTreeDlg* g_ModelTreeDlg;
extern WorldTreeDlg* g_WorldTreeDlg;
extern ModelListDlg* g_ModelListDlg;
extern TextureListDlg* g_TextureListDlg;
extern TextureManagerDlg* g_TextureManagerDlg;
extern MaterialManagerDlg* g_MaterialManagerDlg;
extern ObjectPropertiesDlg* g_ObjectPropertiesDlg;
extern TaskListDlg* g_TaskListDlg;
extern DependencyListDlg* g_DependencyListDlg;

// Whether the user wants each window visible (independent of its visibility now).
// The task list's flag also makes the task and dependency lists companions of the
// object properties window.
extern bool g_ShowModelTree, g_ShowWorldTree, g_ShowModelList, g_ShowTextureList, g_ShowTextureManager,
    g_ShowMaterialManager, g_ShowObjectProperties, g_ShowTaskList;

// The image list of the editor trees (bitmap 184); null when the bitmap is
// missing (logged once: the trees then show no images).
std::shared_ptr<platform::ui::Bitmap> EditorTreeImages();

// Start-up: the ten windows in their order, owned by the main window.
void CreateToolWindows(platform::HWND owner);
// Shut-down: terrain properties, model tree, world tree, model list, texture list,
// texture manager, material manager, object properties, task list, dependency list.
void DestroyToolWindows();

// A View toggle: a visible window is hidden and its flag cleared; otherwise it is
// shown without taking the focus and its flag set. Nothing without the window.
void ToggleToolWindow(CToolWindow* window);
// The object properties window with its companions.
void ShowObjectTools(bool show);
void ToggleObjectTools();
// After a change of the editor view: each window shown (without the focus) when
// its flag is set and the view uses it, hidden otherwise. `view` is a ViewIndex.
void ShowToolWindowsForView(int view);

// After a world was loaded or a file dropped: the current entry is forgotten, the
// Model List and the World Tree filled again and Object Properties unbound.
void RefillToolWindowsAfterLoad();
// After a change of the editor view: the World Tree filled again and the current
// model shown in the Model Tree.
void RefillToolWindowsForView();
// After nodes left or joined the world (Cut, Delete, a paste, a placed preview).
void RefillWorldTree();
// Esc in the 3-D view: the World Tree redrawn for the cleared selection and the
// Model Tree's item deselected.
void RefreshTreesAfterEscape();

// The windows whose content lives in files of their own.
#include "GAMES/Rulo2/editor/DependencyListDlg.h"
#include "GAMES/Rulo2/editor/MaterialManagerDlg.h"
#include "GAMES/Rulo2/editor/ModelListDlg.h"
#include "GAMES/Rulo2/editor/ModelTreeDlg.h"
#include "GAMES/Rulo2/editor/ObjectPropertiesDlg.h"
#include "GAMES/Rulo2/editor/TaskListDlg.h"
#include "GAMES/Rulo2/editor/TextureListDlg.h"
#include "GAMES/Rulo2/editor/TextureManagerDlg.h"
#include "GAMES/Rulo2/editor/WorldTreeDlg.h"
