#include "GAMES/Rulo2/app/EditorMenus.h"

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/DialogTextEncoder.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/editor/ContextMenus.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "LIBS/System/LogPrintf.h"

#include <filesystem>
#include <system_error>

using platform::ui::Menu;

platform::ui::Menu* GameMenu = nullptr;
platform::ui::Menu* EditorMenu = nullptr;

namespace {

void BuildEditorMenu(Menu& m)
{
    Menu& file = m.AddPopup("&File");
    file.AddItem(ID_FILE_NEW_WORLD, "New World")
        .AddItem(ID_FILE_LOAD_WORLD, "Load World...\tCtrl+L")
        .AddItem(ID_FILE_IMPORT_WORLD, "Import World...")
        .AddItem(ID_FILE_IMPORT_UPDATED_WORLD, "Import Updated World...")
        .AddItem(ID_FILE_SAVE_WORLD_AS, "Save World As...")
        .AddItem(ID_FILE_SAVE_WORLD, "Save World\tCtrl+S")
        .AddSeparator()
        .AddItem(ID_FILE_IMPORT_MODEL, "Import Model...")
        .AddItem(ID_FILE_IMPORT_TEXTURE, "Import Texture...")
        .AddItem(ID_FILE_UPDATE_MODELLIST, "Update Modellist...")
        .AddItem(ID_FILE_ACCUMULATE_TEXTURES, "Accumulate Textures")
        .AddItem(ID_FILE_ENCODE_DIALOGS, "Encode Dialogs.txt")
        .AddSeparator()
        .AddItem(ID_FILE_START_GAME, "Start Game\tF12")
        .AddSeparator()
        .AddItem(ID_APP_EXIT, "Exit");
    Menu& edit = m.AddPopup("&Edit");
    edit.AddItem(ID_EDIT_CUT, "Cut\tCtrl+X")
        .AddItem(ID_EDIT_COPY, "Copy\tCtrl+C")
        .AddItem(ID_EDIT_DELETE, "Delete\tDel")
        .AddItem(ID_EDIT_ADD_MACRO, "Add Macro...\tCtrl+M")
        .AddSeparator()
        .AddItem(ID_EDIT_SELECT_ALL, "Select All\tCtrl+A")
        .AddItem(ID_EDIT_INVERSE_SELECTION, "Inverse Selection\tCtrl+I")
        .AddItem(ID_EDIT_HIDE_SELECTION, "Hide Selection\tCtrl+H")
        .AddItem(ID_EDIT_SHOW_ALL, "Show All\tCtrl+Shift+H")
        .AddSeparator()
        .AddItem(ID_EDIT_SNAP_GRID_LOCATORS, "Snap to Grid/Locators\t1")
        .AddItem(ID_EDIT_SNAP_GRID_LEVEL, "Snap to Grid-Level\t2")
        .AddItem(ID_EDIT_NO_SNAPPING, "No Snapping\t3")
        .AddSeparator()
        .AddItem(ID_EDIT_RECORD_CAMERA, "Record Camera\tCtrl+R")
        .AddItem(ID_EDIT_SET_CAMERA_RANGE, "Set Camera Range")
        .AddItem(ID_EDIT_SHOW_CAMERA, "Show Camera")
        .AddItem(ID_EDIT_DELETE_CAMERA, "Delete Camera")
        .AddSeparator()
        .AddItem(ID_EDIT_ATTACK_POINTS, "Edit AttackPoints...");
    Menu& view = m.AddPopup("&View");
    view.AddItem(ID_VIEW_WORLD_TREE, "View World-Tree")
        .AddItem(ID_VIEW_MODEL_LIST, "View Model-List")
        .AddItem(ID_VIEW_MODEL_TREE, "View Model-Tree")
        .AddItem(ID_VIEW_TEXTURE_LIST, "View Texture-List")
        .AddItem(ID_VIEW_TEXTURE_MANAGER, "View Texture-Manager")
        .AddItem(ID_VIEW_MATERIAL_MANAGER, "View Material-Manager")
        .AddItem(ID_VIEW_OBJECT_PROPERTIES, "View Object-Properties")
        .AddSeparator()
        .AddItem(ID_VIEW_TOP, "Top View")
        .AddItem(ID_VIEW_SIDE, "Side View")
        .AddItem(ID_VIEW_FRONT, "Front View")
        .AddItem(ID_VIEW_PERSPECTIVE, "Perspective View\tF4")
        .AddItem(ID_VIEW_WORLD_GROUND, "World Ground View\tF5")
        .AddItem(ID_VIEW_MODEL, "Model View\tF6")
        .AddItem(ID_VIEW_MODEL_GROUND, "Model Ground View\tF7")
        .AddItem(ID_VIEW_OBJECT_EDITOR, "Object Editor\tF8")
        .AddSeparator()
        .AddItem(ID_VIEW_BACKFACE_CULLING, "Backface Culling\tCtrl+B")
        .AddItem(ID_VIEW_TEXTURES, "Textures\tCtrl+T")
        .AddItem(ID_VIEW_LIGHTING, "Lighting\tCtrl+G")
        .AddItem(ID_VIEW_SHADOW_MAPS, "Shadow Maps\tCtrl+P")
        .AddItem(ID_VIEW_FOG, "Fog")
        .AddItem(ID_VIEW_FOG_PROPERTIES, "Fog Properties...")
        .AddItem(ID_VIEW_RENDER_INNER_GROUPS, "Render Inner Groups")
        .AddSeparator()
        .AddItem(ID_VIEW_SUN, "Sun\tCtrl+N")
        .AddItem(ID_VIEW_LIGHTS, "Lights\tCtrl+J")
        .AddItem(ID_VIEW_LIGHT_FLARES, "Light-Flares")
        .AddItem(ID_VIEW_LIGHT_OBJECTS, "Light-Objects")
        .AddItem(ID_VIEW_SUN_PROPERTIES, "Sun Properties...")
        .AddItem(ID_VIEW_AMBIENT_PROPERTIES, "Ambient Properties...")
        .AddItem(ID_VIEW_CLIPPING_PLANE, "Adjust Clipping Plane...");
    m.AddPopup("&Help").AddItem(ID_APP_ABOUT, "About");
}

bool WorldViewButGround()
{
    return CurrentView->worldView && !IsGameView() && CurrentViewIndex() != VIEW_WORLD_GROUND;
}

bool WorldHasName()
{
    return !CurrentWorldFile.empty();
}

void ChangeView(ViewIndex view)
{
    EditorDrag.mode = DRAG_NONE;
    SelectView(view);
    if (MainWindow)
        MainWindow->switchMode();
}

CWorldObject* FirstWorldObject()
{
    return g_WorldRoot ? g_WorldRoot->FirstObject() : nullptr;
}

// The About box: resource 103, one OK button.
bool NotYet(uint32_t id)
{
    LogPrintf("Editor command %u is not available yet", unsigned(id));
    return true;
}

} // namespace

std::unique_ptr<Menu> LoadMenuResource(int id)
{
    auto menu = std::make_unique<Menu>(id);
    switch (id) {
    case 1202:
        BuildEditorMenu(*menu);
        break;
    case 197:
        // The game view's menu: only the way out.
        menu->AddPopup("&File").AddItem(ID_APP_EXIT, "Exit");
        break;
    case 186:
        return LoadContextMenus();
    default:
        return nullptr;
    }
    return menu;
}

bool NewWorld()
{
    const bool hasContent = (g_WorldRoot && g_WorldRoot->firstChild) ||
                            (g_ModelListRoot && g_ModelListRoot->firstChild) ||
                            (g_MacroListRoot && g_MacroListRoot->firstChild) || WorldHasName();
    if (hasContent && !MessageBoxConfirm("This will destroy your current data. Proceed anyway?"))
        return false;
    if (platform::GetApp())
        platform::GetApp()->BeginWaitCursor();
    EditorDrag.mode = DRAG_NONE;
    ClearWorld();
    CurrentWorldFile.clear();
    CurrentWorldPath.clear();
    if (platform::GetApp())
        platform::GetApp()->EndWaitCursor();
    if (GameModeFlag)
        return true;
    ChangeView(VIEW_PERSPECTIVE);
    return true;
}

bool SaveWorldAs(const std::string& chosen)
{
    if (chosen.empty())
        return false;
    std::filesystem::path p(chosen);
    p.replace_extension(".wld");
    CurrentWorldFile = p.string();
    std::error_code ec;
    CurrentWorldPath = std::filesystem::absolute(p, ec).string();
    if (MainWindow)
        MainWindow->switchMode();
    return SaveCurrentWorld();
}

bool OnEditorCommand(uint32_t id)
{
    switch (id) {
    case ID_FILE_NEW_WORLD:
        NewWorld();
        return true;
    case ID_FILE_SAVE_WORLD_AS: {
        platform::ui::FileDialog dialog(false, "World Files|*.wld|All Files|*.*|", Settings.worldPath);
        if (dialog.DoModal(MainWindow) != platform::ui::IDOK)
            return true;
        const std::filesystem::path chosen = dialog.GetPathName();
        Settings.worldPath = chosen.parent_path().string();
        SaveWorldAs(chosen.string());
        return true;
    }
    case ID_FILE_SAVE_WORLD:
        SaveCurrentWorld();
        return true;
    case ID_FILE_ENCODE_DIALOGS: {
        std::string error;
        if (!EncodeDialogTexts(ProgramFolder, &error))
            LogPrintf("%s", error.c_str());
        return true;
    }
    case ID_APP_EXIT:
        if (MainWindow && MainWindow->IsWindow())
            MainWindow->DestroyWindow();
        return true;
    case ID_EDIT_SELECT_ALL:
        if (CWorldObject* first = FirstWorldObject())
            WorldWalk::SelectAll(first);
        return true;
    case ID_EDIT_INVERSE_SELECTION:
        if (CWorldObject* first = FirstWorldObject())
            WorldWalk::InvertSelection(first);
        return true;
    case ID_EDIT_HIDE_SELECTION:
        if (CWorldObject* first = FirstWorldObject())
            WorldWalk::HideSelected(first, true);
        return true;
    case ID_EDIT_SHOW_ALL:
        if (CWorldObject* first = FirstWorldObject())
            WorldWalk::UnhideAll(first);
        return true;
    case ID_EDIT_SNAP_GRID_LOCATORS:
        SnappingMode = 1;
        return true;
    case ID_EDIT_SNAP_GRID_LEVEL:
        SnappingMode = 2;
        return true;
    case ID_EDIT_NO_SNAPPING:
        SnappingMode = 0;
        return true;
    case ID_VIEW_WORLD_TREE:
        ToggleToolWindow(g_WorldTreeDlg);
        return true;
    case ID_VIEW_MODEL_LIST:
        ToggleToolWindow(g_ModelListDlg);
        return true;
    case ID_VIEW_MODEL_TREE:
        ToggleToolWindow(g_ModelTreeDlg);
        return true;
    case ID_VIEW_TEXTURE_LIST:
        ToggleToolWindow(g_TextureListDlg);
        return true;
    case ID_VIEW_TEXTURE_MANAGER:
        ToggleToolWindow(g_TextureManagerDlg);
        return true;
    case ID_VIEW_MATERIAL_MANAGER:
        ToggleToolWindow(g_MaterialManagerDlg);
        return true;
    case ID_VIEW_OBJECT_PROPERTIES:
        ToggleObjectTools();
        return true;
    case ID_VIEW_TOP:
        ChangeView(VIEW_TOP);
        return true;
    case ID_VIEW_SIDE:
        ChangeView(VIEW_SIDE);
        return true;
    case ID_VIEW_FRONT:
        ChangeView(VIEW_FRONT);
        return true;
    case ID_VIEW_PERSPECTIVE:
        ChangeView(VIEW_PERSPECTIVE);
        return true;
    case ID_VIEW_WORLD_GROUND:
        if (CWorldObject* first = FirstWorldObject())
            WorldWalk::ClearSelection(first);
        ChangeView(VIEW_WORLD_GROUND);
        return true;
    case ID_VIEW_MODEL:
        ChangeView(VIEW_MODEL);
        return true;
    case ID_VIEW_MODEL_GROUND:
        ChangeView(VIEW_MODEL_GROUND);
        return true;
    case ID_VIEW_OBJECT_EDITOR:
        ChangeView(VIEW_OBJECT_EDITOR);
        return true;
    case ID_VIEW_AMBIENT_PROPERTIES:
        return true;
    case ID_WORLD_LIGHT_PROPERTIES: {
        CWorldObject* first = FirstWorldObject();
        CWorldObject* selected = first ? WorldWalk::FindSelected(first) : nullptr;
        if (SWorldLight* light = selected ? selected->Light() : nullptr)
            EditLightProperties(*light);
        return true;
    }
    case ID_VIEW_CLIPPING_PLANE: {
        ClippingPlaneDlg dialog;
        dialog.farPlane = EditorFarPlane;
        dialog.nearPlane = EditorNearPlane;
        if (dialog.DoModal(MainWindow) == platform::ui::IDOK) {
            EditorFarPlane = dialog.farPlane;
            EditorNearPlane = dialog.nearPlane;
            if (MainWindow)
                MainWindow->switchMode();
        }
        return true;
    }
    case ID_APP_ABOUT: {
        AboutDlg about;
        about.DoModal(MainWindow);
        return true;
    }
    default:
        break;
    }
    const bool known =
        id == ID_FILE_LOAD_WORLD || id == ID_FILE_IMPORT_WORLD || id == ID_FILE_IMPORT_UPDATED_WORLD ||
        id == ID_FILE_IMPORT_MODEL || id == ID_FILE_IMPORT_TEXTURE || id == ID_FILE_UPDATE_MODELLIST ||
        id == ID_FILE_ACCUMULATE_TEXTURES || id == ID_FILE_START_GAME || id == ID_EDIT_CUT ||
        id == ID_EDIT_COPY || id == ID_EDIT_DELETE || id == ID_EDIT_ADD_MACRO ||
        (id >= ID_EDIT_RECORD_CAMERA && id <= ID_EDIT_DELETE_CAMERA) || id == ID_EDIT_ATTACK_POINTS ||
        id == ID_VIEW_BACKFACE_CULLING || id == ID_VIEW_TEXTURES || id == ID_VIEW_LIGHTING ||
        id == ID_VIEW_SHADOW_MAPS || id == ID_VIEW_FOG || id == ID_VIEW_FOG_PROPERTIES ||
        id == ID_VIEW_RENDER_INNER_GROUPS || id == ID_VIEW_SUN || id == ID_VIEW_LIGHTS ||
        id == ID_VIEW_LIGHT_FLARES || id == ID_VIEW_LIGHT_OBJECTS || id == ID_VIEW_SUN_PROPERTIES ||
        id == ID_WORLD_SELECT_GROUP || (id >= ID_WORLD_SWITCH_TO_ORIGINAL && id <= ID_WORLD_SWITCH_TO_LAST);
    return known ? NotYet(id) : false;
}

void OnEditorInitMenuPopup(Menu& popup, int position)
{
    const ViewIndex view = CurrentViewIndex();
    const bool worldEdits = WorldViewButGround();
    switch (position) {
    case POPUP_FILE:
        popup.EnableMenuItem(ID_FILE_SAVE_WORLD, WorldHasName());
        popup.EnableMenuItem(ID_FILE_IMPORT_WORLD, WorldHasName());
        popup.EnableMenuItem(ID_FILE_IMPORT_UPDATED_WORLD, WorldHasName());
        break;
    case POPUP_EDIT: {
        const uint32_t selection[] = {ID_EDIT_CUT,
                                      ID_EDIT_COPY,
                                      ID_EDIT_DELETE,
                                      ID_EDIT_ADD_MACRO,
                                      ID_EDIT_SELECT_ALL,
                                      ID_EDIT_INVERSE_SELECTION,
                                      ID_EDIT_HIDE_SELECTION,
                                      ID_EDIT_SHOW_ALL};
        const uint32_t camera[] = {ID_EDIT_RECORD_CAMERA, ID_EDIT_SET_CAMERA_RANGE, ID_EDIT_SHOW_CAMERA,
                                   ID_EDIT_DELETE_CAMERA, ID_EDIT_ATTACK_POINTS};
        for (uint32_t id : selection) {
            bool on = worldEdits;
            if (view == VIEW_WORLD_GROUND)
                on = id == ID_EDIT_DELETE || id == ID_EDIT_HIDE_SELECTION || id == ID_EDIT_SHOW_ALL;
            else if (view == VIEW_MODEL || view == VIEW_MODEL_GROUND)
                on = id == ID_EDIT_DELETE;
            popup.EnableMenuItem(id, on);
        }
        for (uint32_t id : camera)
            // The edited model's camera record comes with the model views' content.
            popup.EnableMenuItem(id, view == VIEW_MODEL && id == ID_EDIT_RECORD_CAMERA);
        for (uint32_t id = ID_EDIT_SNAP_GRID_LOCATORS; id <= ID_EDIT_NO_SNAPPING; ++id)
            popup.EnableMenuItem(id, worldEdits);
        const uint32_t mark = SnappingMode == 1   ? ID_EDIT_SNAP_GRID_LOCATORS
                              : SnappingMode == 2 ? ID_EDIT_SNAP_GRID_LEVEL
                                                  : ID_EDIT_NO_SNAPPING;
        popup.CheckMenuRadioItem(ID_EDIT_SNAP_GRID_LOCATORS, ID_EDIT_NO_SNAPPING, mark);
        break;
    }
    case POPUP_VIEW: {
        const bool world = CurrentView->worldView && !IsGameView();
        const bool ground = view == VIEW_WORLD_GROUND;
        struct Toggle
        {
            uint32_t id;
            platform::ui::Dialog* window;
            bool enabled;
        };
        const Toggle toggles[] = {
            {ID_VIEW_WORLD_TREE, g_WorldTreeDlg, world && !ground},
            {ID_VIEW_MODEL_LIST, g_ModelListDlg,
             world || view == VIEW_MODEL || view == VIEW_MODEL_GROUND || view == VIEW_OBJECT_EDITOR},
            {ID_VIEW_MODEL_TREE, g_ModelTreeDlg, view == VIEW_MODEL || view == VIEW_MODEL_GROUND},
            {ID_VIEW_TEXTURE_LIST, g_TextureListDlg, view == VIEW_MODEL},
            {ID_VIEW_TEXTURE_MANAGER, g_TextureManagerDlg, view == VIEW_MODEL},
            {ID_VIEW_MATERIAL_MANAGER, g_MaterialManagerDlg, view == VIEW_MODEL},
            {ID_VIEW_OBJECT_PROPERTIES, g_ObjectPropertiesDlg, world && !ground},
        };
        for (const Toggle& t : toggles) {
            popup.EnableMenuItem(t.id, t.enabled);
            popup.CheckMenuItem(t.id, t.window && t.window->IsWindowVisible());
        }
        popup.EnableMenuItem(ID_VIEW_RENDER_INNER_GROUPS, !ground);
        const uint32_t viewItem = ID_VIEW_TOP + uint32_t(view == VIEW_TOP            ? 0
                                                         : view == VIEW_SIDE         ? 1
                                                         : view == VIEW_FRONT        ? 2
                                                         : view == VIEW_PERSPECTIVE  ? 3
                                                         : view == VIEW_WORLD_GROUND ? 4
                                                         : view == VIEW_MODEL        ? 5
                                                         : view == VIEW_MODEL_GROUND ? 6
                                                                                     : 7);
        popup.CheckMenuRadioItem(ID_VIEW_TOP, ID_VIEW_OBJECT_EDITOR, viewItem);
        break;
    }
    default:
        break;
    }
}
