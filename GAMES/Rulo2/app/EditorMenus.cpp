#include "GAMES/Rulo2/app/EditorMenus.h"

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Rulo2.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CMainWindow.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/DialogTextEncoder.h"
#include "GAMES/Rulo2/app/GameFlow.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/RecordControl.h"
#include "GAMES/Rulo2/editor/AttackPointsDlg.h"
#include "GAMES/Rulo2/editor/ContextMenus.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/EditorEditing.h"
#include "GAMES/Rulo2/editor/ModelListDlg.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/editor/UpdateModelListDlg.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ModelImport.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "LIBS/Image/imgImage.h"
#include "LIBS/System/LogPrintf.h"

#include <algorithm>
#include <bit>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

using platform::ui::Menu;

platform::ui::Menu* GameMenu = nullptr;
platform::ui::Menu* EditorMenu = nullptr;
uint8_t RenderInnerGroupsFlag = 0;
uint8_t LightObjectsFlag = 0;
uint8_t EditorLightsFlag = 1;

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

constexpr const char* WorldFilter = "World Files|*.wld|All Files|*.*|";

// A file chosen in an open dialog starting in `folder`, which then remembers its
// folder; empty when cancelled.
std::string ChooseFile(const char* filter, std::string& folder)
{
    platform::ui::FileDialog dialog(true, filter, folder);
    if (dialog.DoModal(MainWindow) != platform::ui::IDOK)
        return std::string();
    const std::filesystem::path chosen = dialog.GetPathName();
    folder = chosen.parent_path().string();
    return chosen.string();
}

void UnbindTextureStages()
{
    if (DX.initialised && DX.device) {
        ClearTextureStage(0);
        ClearTextureStage(1);
    }
}

// The projection follows the fog: its end is the far plane while fog is on.
void RefreshProjection()
{
    if (MainWindow)
        MainWindow->switchMode();
}

// The sun's light block through the light properties dialog.
void EditSunProperties()
{
    CD3DLight* sun = GameResourceSun();
    if (!sun)
        return;
    SWorldLight block;
    block.light = sun->light;
    block.lightWord = 0xFF;
    if (!EditLightProperties(block))
        return;
    sun->light = block.light;
    sun->Reapply();
}

void AddMacro()
{
    CWorldObject* first = FirstWorldObject();
    if (!PasteBufferEmpty() || !first || !WorldWalk::HasSelection(first) || !g_MacroListRoot)
        return;
    const std::string name = AskName(NameDlg::NewMacro);
    if (name.empty())
        return;
    auto* macro = new CMacro;
    macro->SetName(name.c_str());
    macro->content = new CWorldObject;
    WorldWalk::CopyTree(g_WorldRoot, macro->content, false, true);
    g_MacroListRoot->AddChild(macro);
}

// "Select Group": the whole group of the first selected node.
void SelectGroup()
{
    CWorldObject* first = FirstWorldObject();
    CWorldObject* selected = first ? WorldWalk::FindSelected(first) : nullptr;
    if (!selected || !selected->parent || selected->parent == g_WorldRoot)
        return;
    auto* group = static_cast<CWorldObject*>(selected->parent);
    if (CWorldObject* member = group->FirstObject())
        WorldWalk::SelectAll(member);
}

void SwitchSelectionTo(uint32_t id)
{
    CWorldObject* first = FirstWorldObject();
    if (!first || !g_ModelListRoot)
        return;
    if (id == ID_WORLD_SWITCH_TO_ORIGINAL) {
        ReplaceModelsByBaseName(first, g_ModelListRoot, nullptr, true);
        return;
    }
    const size_t n = id - ID_WORLD_SWITCH_TO_FIRST;
    // The names are those the menu offered: collected again for the same selection.
    VariantNames.clear();
    CollectInstanceVariantNames(first, g_ModelListRoot, true);
    if (n < VariantNames.size()) {
        const std::string variant = VariantNames[n];
        ReplaceModelsByBaseName(first, g_ModelListRoot, variant.c_str(), true);
    }
}

// The model the model views edit: the current model, else the current object's state's.
CModelEntry* EditedModel()
{
    if (CurrentModel)
        return CurrentModel;
    return CurrentState ? CurrentState->modelEntry : nullptr;
}

// The edited model's camera record: eye, unit view direction, then pitch, yaw and
// the inner and outer range (0.3 and 0.5 when it is made) as float words.
float CameraWord(uint32_t word)
{
    return std::bit_cast<float>(word);
}

uint32_t CameraWord(float value)
{
    return std::bit_cast<uint32_t>(value);
}

void RecordCamera()
{
    CModelEntry* model = EditedModel();
    if (!model)
        return;
    if (!model->camera) {
        model->camera = new SModelCamera;
        model->camera->word9 = CameraWord(0.3f);
        model->camera->word10 = CameraWord(0.5f);
    }
    SModelCamera& c = *model->camera;
    const CCameraView& v = *CurrentView;
    const CVector eye = ViewEye(v);
    CVector direction = CVector(v.target[0], v.target[1], v.target[2]) - eye;
    const float length = direction.length();
    if (length > 0)
        direction = direction * (1.0f / length);
    for (int i = 0; i < 3; ++i) {
        c.vectorA[i] = eye[i];
        c.vectorB[i] = direction[i];
    }
    c.word7 = CameraWord(v.pitch);
    c.word8 = CameraWord(v.yaw);
}

void SetCameraRange()
{
    CModelEntry* model = EditedModel();
    if (!model || !model->camera)
        return;
    SModelCamera& c = *model->camera;
    CameraRangeDlg dialog;
    dialog.innerRange = CameraWord(c.word9);
    dialog.outerRange = CameraWord(c.word10);
    if (dialog.DoModal(MainWindow) != platform::ui::IDOK)
        return;
    c.word9 = CameraWord(dialog.innerRange);
    c.word10 = CameraWord(dialog.outerRange);
}

void ShowCamera()
{
    CModelEntry* model = EditedModel();
    if (!model || !model->camera)
        return;
    const SModelCamera& c = *model->camera;
    CCameraView& v = *CurrentView;
    v.pitch = CameraWord(c.word7);
    v.yaw = CameraWord(c.word8);
    // The target lies the view's own distance ahead of the recorded eye, so that the
    // view's eye comes to stand on it.
    for (int i = 0; i < 3; ++i)
        v.target[i] = c.vectorA[i] + c.vectorB[i] * v.zoom;
}

void DeleteCamera()
{
    if (CModelEntry* model = EditedModel()) {
        delete model->camera;
        model->camera = nullptr;
    }
}

constexpr const char* TextureFilter =
    "Texture Files|*.iff;*.tga;*.tif;*.rif;*.bmp|TIF Files (*.tif)|*.tif|IFF Files (*.iff)|*.iff|Targa "
    "Files (*.tga)|*.tga|RIF Files (*.rif)|*.rif|BMP Files (*.bmp)|*.bmp|All Files (*.*)|*.*|";

void ImportTexture()
{
    const std::string path = ChooseFile(TextureFilter, Settings.texturePath);
    if (path.empty())
        return;
    // As a dropped texture file: the texture object goes again when the file cannot be loaded.
    if (!DroppedFileHooks.loadTexture || !DroppedFileHooks.loadTexture(path.c_str()))
        LogPrintf("Importing texture '%s' failed", path.c_str());
}

// Every texture that has a file is copied as ".rif" into "Textures" beside the world file.
void AccumulateTextures()
{
    if (!WorldHasName())
        return;
    std::error_code ec;
    const std::filesystem::path world = CurrentWorldPath.empty() ? CurrentWorldFile : CurrentWorldPath;
    const std::filesystem::path folder = std::filesystem::absolute(world, ec).parent_path() / "Textures";
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder, ec))
        return;
    if (platform::GetApp())
        platform::GetApp()->BeginWaitCursor();
    for (CTexture* t = CTexture::First(); t; t = t->next) {
        const std::string& source = !t->resolvedPath.empty() ? t->resolvedPath : t->sourcePath;
        if (t->name.empty() || source.empty())
            continue;
        const std::string target = (folder / (t->name + ".rif")).string();
        LogPrintf("Copying '%s' to '%s'", source.c_str(), target.c_str());
        imgImage image;
        if (!image.load(source.c_str()) || !image.save(target.c_str()))
            LogPrintf("Copying '%s' failed", source.c_str());
    }
    if (platform::GetApp())
        platform::GetApp()->EndWaitCursor();
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

void SwitchWorldLights(bool on)
{
    if (!g_WorldRoot)
        return;
    g_WorldRoot->ForEach(
        [](CWorldObject* n, void* argument) {
            if (SWorldLight* light = n->Light())
                if (light->deviceLight)
                    light->deviceLight->enable(*static_cast<bool*>(argument));
            return int(NODE_WALK_CONTINUE);
        },
        &on);
}

bool LoadWorldInEditor(const std::string& path, int mode)
{
    if (path.empty())
        return false;
    if (platform::GetApp())
        platform::GetApp()->BeginWaitCursor();
    EmptyPasteBuffer();
    std::string error;
    const bool loaded = LoadWorld(path.c_str(), mode, &error);
    if (loaded && mode == LOADWORLD_OPEN) {
        CurrentWorldFile = path;
        std::error_code ec;
        CurrentWorldPath = std::filesystem::absolute(path, ec).string();
    }
    if (!loaded)
        LogPrintf("Loading '%s' failed: %s", path.c_str(), error.c_str());
    RecomputeWorldBounds();
    if (platform::GetApp())
        platform::GetApp()->EndWaitCursor();
    EditorDrag.mode = DRAG_NONE;
    if (MainWindow)
        MainWindow->switchMode();
    return loaded;
}

void StartGameFromEditor(bool burglary)
{
    SetPlanMode(burglary ? PHASE_BURGLARY : PHASE_REALTIME);
    RecordState = RECORD_NORMAL;
    // The world's positions are stored before the game moves anything, as at start-up.
    StartupInitFlag = 1;
    InitGame();
}

bool OpenWorldContextMenu(int x, int y)
{
    CWorldObject* first = FirstWorldObject();
    if (!first || !WorldWalk::HasSelection(first) || !g_ModelTreeDlg)
        return false;
    static std::unique_ptr<Menu> resource;
    resource = LoadMenuResource(186);
    Menu* world = resource ? resource->FindSubMenu("World") : nullptr;
    if (!world)
        return false;
    CWorldObject* selected = WorldWalk::FindSelected(first);
    world->EnableMenuItem(ID_WORLD_LIGHT_PROPERTIES, selected && selected->Light());
    VariantNames.clear();
    if (g_ModelListRoot)
        CollectInstanceVariantNames(first, g_ModelListRoot, true);
    const size_t offered =
        std::min<size_t>(VariantNames.size(), ID_WORLD_SWITCH_TO_LAST - ID_WORLD_SWITCH_TO_FIRST + 1);
    for (size_t i = 0; i < offered; ++i)
        world->AddItem(ID_WORLD_SWITCH_TO_FIRST + uint32_t(i), "Switch To '" + VariantNames[i] + "'");
    platform::ui::TrackPopupMenu(*world, x, y, *g_ModelTreeDlg);
    return true;
}

bool OnEditorCommand(uint32_t id)
{
    if (id >= ID_WORLD_SWITCH_TO_ORIGINAL && id <= ID_WORLD_SWITCH_TO_LAST) {
        SwitchSelectionTo(id);
        return true;
    }
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
    case ID_FILE_LOAD_WORLD:
    case ID_FILE_IMPORT_WORLD:
    case ID_FILE_IMPORT_UPDATED_WORLD: {
        if (id != ID_FILE_LOAD_WORLD && !WorldHasName())
            return true;
        const std::string path = ChooseFile(WorldFilter, Settings.worldPath);
        if (!path.empty())
            LoadWorldInEditor(path, id == ID_FILE_LOAD_WORLD     ? LOADWORLD_OPEN
                                    : id == ID_FILE_IMPORT_WORLD ? LOADWORLD_MERGE
                                                                 : LOADWORLD_UPDATE);
        return true;
    }
    case ID_FILE_IMPORT_MODEL: {
        const std::string path = ChooseFile(kModelFileFilter, Settings.modelPath);
        if (!path.empty() && !ImportModelFromProject(path.c_str()))
            LogPrintf("Importing '%s' failed", path.c_str());
        return true;
    }
    case ID_FILE_START_GAME:
        StartGameFromEditor(false);
        return true;
    case ID_EDIT_CUT:
        if (WorldViewButGround() && CutSelection())
            RefillWorldTree();
        return true;
    case ID_EDIT_COPY:
        if (WorldViewButGround())
            CopySelection();
        return true;
    case ID_EDIT_DELETE:
        if (CurrentView->worldView && !IsGameView() && DeleteSelection(CurrentViewIndex()) > 0)
            RefillWorldTree();
        return true;
    case ID_EDIT_ADD_MACRO:
        AddMacro();
        return true;
    case ID_VIEW_BACKFACE_CULLING:
        CullingFlag = !CullingFlag;
        if (DX.initialised && DX.device)
            SetCulling(CullingFlag != 0);
        return true;
    case ID_VIEW_TEXTURES:
        TexturesFlag = !TexturesFlag;
        UnbindTextureStages();
        return true;
    case ID_VIEW_LIGHTING:
        LightingFlag = !LightingFlag;
        if (DX.initialised && DX.device)
            SetLighting(LightingFlag != 0);
        return true;
    case ID_VIEW_SHADOW_MAPS:
        ShadowDisplayFlag = !ShadowDisplayFlag;
        UnbindTextureStages();
        return true;
    case ID_VIEW_FOG:
        if (!WorldViewButGround())
            return true;
        RenderCache.fog = !RenderCache.fog;
        if (DX.initialised && DX.device && DX.deviceInfo)
            SetFogStates(*DX.deviceInfo);
        RefreshProjection();
        return true;
    case ID_VIEW_FOG_PROPERTIES: {
        SelectColorDlg dialog;
        dialog.red = CurrentFogColor[0];
        dialog.green = CurrentFogColor[1];
        dialog.blue = CurrentFogColor[2];
        dialog.start = std::to_string(Settings.fogStart);
        dialog.end = std::to_string(Settings.fogEnd);
        if (dialog.DoModal(MainWindow) != platform::ui::IDOK)
            return true;
        CurrentFogColor[0] = int16_t(dialog.red);
        CurrentFogColor[1] = int16_t(dialog.green);
        CurrentFogColor[2] = int16_t(dialog.blue);
        try {
            Settings.fogStart = std::stof(dialog.start);
            Settings.fogEnd = std::stof(dialog.end);
            SceneFogSet = 0;
        } catch (const std::exception&) {
            LogPrintf("Fog range '%s' to '%s' is no number", dialog.start.c_str(), dialog.end.c_str());
        }
        RefreshProjection();
        if (DX.initialised && DX.device && DX.deviceInfo)
            SetFogStates(*DX.deviceInfo);
        return true;
    }
    case ID_VIEW_RENDER_INNER_GROUPS:
        if (WorldViewButGround())
            RenderInnerGroupsFlag = !RenderInnerGroupsFlag;
        return true;
    case ID_VIEW_SUN:
        SunLightFlag = !SunLightFlag;
        SwitchSun(SunLightFlag != 0);
        return true;
    case ID_VIEW_LIGHTS:
        if (WorldViewButGround()) {
            EditorLightsFlag = !EditorLightsFlag;
            SwitchWorldLights(EditorLightsFlag != 0);
        }
        return true;
    case ID_VIEW_LIGHT_FLARES:
        LightFlaresFlag = !LightFlaresFlag;
        return true;
    case ID_VIEW_LIGHT_OBJECTS:
        LightObjectsFlag = !LightObjectsFlag;
        return true;
    case ID_VIEW_SUN_PROPERTIES:
        EditSunProperties();
        return true;
    case ID_WORLD_SELECT_GROUP:
        SelectGroup();
        return true;
    case ID_FILE_IMPORT_TEXTURE:
        ImportTexture();
        return true;
    case ID_FILE_ACCUMULATE_TEXTURES:
        AccumulateTextures();
        return true;
    case ID_EDIT_RECORD_CAMERA:
        RecordCamera();
        return true;
    case ID_EDIT_SET_CAMERA_RANGE:
        SetCameraRange();
        return true;
    case ID_EDIT_SHOW_CAMERA:
        ShowCamera();
        return true;
    case ID_EDIT_DELETE_CAMERA:
        DeleteCamera();
        return true;
    case ID_FILE_UPDATE_MODELLIST:
        UpdateModelList(ChooseFile(WorldFilter, Settings.worldPath));
        return true;
    case ID_EDIT_ATTACK_POINTS:
        OpenAttackPointsDialog(EditedModel(), MainWindow);
        return true;
    case ID_APP_ABOUT: {
        AboutDlg about;
        about.DoModal(MainWindow);
        return true;
    }
    default:
        break;
    }
    return false;
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
                                   ID_EDIT_DELETE_CAMERA};
        for (uint32_t id : selection) {
            bool on = worldEdits;
            if (view == VIEW_WORLD_GROUND)
                on = id == ID_EDIT_DELETE || id == ID_EDIT_HIDE_SELECTION || id == ID_EDIT_SHOW_ALL;
            else if (view == VIEW_MODEL || view == VIEW_MODEL_GROUND)
                on = id == ID_EDIT_DELETE;
            popup.EnableMenuItem(id, on);
        }
        const bool hasCamera = EditedModel() && EditedModel()->camera;
        for (uint32_t id : camera)
            popup.EnableMenuItem(id, view == VIEW_MODEL && (id == ID_EDIT_RECORD_CAMERA || hasCamera));
        popup.EnableMenuItem(ID_EDIT_ATTACK_POINTS, view == VIEW_MODEL && EditedModel());
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
        const std::pair<uint32_t, bool> marks[] = {
            {ID_VIEW_BACKFACE_CULLING, CullingFlag != 0},
            {ID_VIEW_TEXTURES, TexturesFlag != 0},
            {ID_VIEW_LIGHTING, LightingFlag != 0},
            {ID_VIEW_SHADOW_MAPS, ShadowDisplayFlag != 0},
            {ID_VIEW_FOG, RenderCache.fog},
            {ID_VIEW_RENDER_INNER_GROUPS, RenderInnerGroupsFlag != 0},
            {ID_VIEW_SUN, SunLightFlag != 0},
            {ID_VIEW_LIGHTS, EditorLightsFlag != 0},
            {ID_VIEW_LIGHT_FLARES, LightFlaresFlag != 0},
            {ID_VIEW_LIGHT_OBJECTS, LightObjectsFlag != 0},
        };
        for (const auto& [item, on] : marks)
            popup.CheckMenuItem(item, on);
        const uint32_t viewItem = ID_VIEW_TOP + uint32_t(view == VIEW_TOP            ? 0
                                                         : view == VIEW_SIDE         ? 1
                                                         : view == VIEW_FRONT        ? 2
                                                         : view == VIEW_PERSPECTIVE  ? 3
                                                         : view == VIEW_WORLD_GROUND ? 4
                                                         : view == VIEW_MODEL        ? 5
                                                         : view == VIEW_MODEL_GROUND ? 6
                                                                                     : 7);
        popup.CheckMenuRadioItem(ID_VIEW_TOP, ID_VIEW_OBJECT_EDITOR, viewItem);
        // The view follows the attack points while their dialog is open.
        for (uint32_t item = ID_VIEW_TOP; item <= ID_VIEW_OBJECT_EDITOR; ++item)
            popup.EnableMenuItem(item, !AttackPointDialogOpen());
        break;
    }
    default:
        break;
    }
}
