#pragma once
// The program's menus, made in code with the ids and captions of their resources,
// and the editor menu's commands and popup states.

#include "platform/ui/Ui.h"

#include <cstdint>
#include <memory>

// Menu resources: 1202 the editor menu (File, Edit, View, Help), 197 the game menu,
// 186 the context menus (sub-menus by name, such as "World").
std::unique_ptr<platform::ui::Menu> LoadMenuResource(int id);

// Loaded at start-up in every mode (game menu 197, editor menu 1202).
extern platform::ui::Menu* GameMenu;
extern platform::ui::Menu* EditorMenu;

// Command ids of the editor menu and the "World" context menu.
enum EditorCommand : uint32_t
{
    ID_FILE_NEW_WORLD = 32835,
    ID_FILE_LOAD_WORLD = 32792,
    ID_FILE_IMPORT_WORLD = 32939,
    ID_FILE_IMPORT_UPDATED_WORLD = 32987,
    ID_FILE_SAVE_WORLD_AS = 32793,
    ID_FILE_SAVE_WORLD = 32825,
    ID_FILE_IMPORT_MODEL = 32777,
    ID_FILE_IMPORT_TEXTURE = 32797,
    ID_FILE_UPDATE_MODELLIST = 32916,
    ID_FILE_ACCUMULATE_TEXTURES = 32942,
    ID_FILE_ENCODE_DIALOGS = 33032,
    ID_FILE_START_GAME = 32823,
    ID_APP_EXIT = 32771,
    ID_EDIT_CUT = 32907,
    ID_EDIT_COPY = 32816,
    ID_EDIT_DELETE = 32818,
    ID_EDIT_ADD_MACRO = 32821,
    ID_EDIT_SELECT_ALL = 32889,
    ID_EDIT_INVERSE_SELECTION = 32946,
    ID_EDIT_HIDE_SELECTION = 32819,
    ID_EDIT_SHOW_ALL = 32820,
    ID_EDIT_SNAP_GRID_LOCATORS = 32900,
    ID_EDIT_SNAP_GRID_LEVEL = 32901,
    ID_EDIT_NO_SNAPPING = 32902,
    ID_EDIT_RECORD_CAMERA = 32947,
    ID_EDIT_SET_CAMERA_RANGE = 32948,
    ID_EDIT_SHOW_CAMERA = 32949,
    ID_EDIT_DELETE_CAMERA = 32950,
    ID_EDIT_ATTACK_POINTS = 32996,
    ID_VIEW_WORLD_TREE = 32837,
    ID_VIEW_MODEL_LIST = 32784,
    ID_VIEW_MODEL_TREE = 32778,
    ID_VIEW_TEXTURE_LIST = 32796,
    ID_VIEW_TEXTURE_MANAGER = 32838,
    ID_VIEW_MATERIAL_MANAGER = 32885,
    ID_VIEW_OBJECT_PROPERTIES = 32977,
    ID_VIEW_TOP = 32804,
    ID_VIEW_SIDE = 32805,
    ID_VIEW_FRONT = 32806,
    ID_VIEW_PERSPECTIVE = 32807,
    ID_VIEW_WORLD_GROUND = 32808,
    ID_VIEW_MODEL = 32809,
    ID_VIEW_MODEL_GROUND = 32810,
    ID_VIEW_OBJECT_EDITOR = 32811,
    ID_VIEW_BACKFACE_CULLING = 32887,
    ID_VIEW_TEXTURES = 32892,
    ID_VIEW_LIGHTING = 32925,
    ID_VIEW_SHADOW_MAPS = 32941,
    ID_VIEW_FOG = 32983,
    ID_VIEW_FOG_PROPERTIES = 33016,
    ID_VIEW_RENDER_INNER_GROUPS = 32984,
    ID_VIEW_SUN = 32926,
    ID_VIEW_LIGHTS = 32940,
    ID_VIEW_LIGHT_FLARES = 32995,
    ID_VIEW_LIGHT_OBJECTS = 33017,
    ID_VIEW_SUN_PROPERTIES = 32971,
    ID_VIEW_AMBIENT_PROPERTIES = 32972,
    ID_VIEW_CLIPPING_PLANE = 32992,
    ID_APP_ABOUT = 32772,
    ID_WORLD_SELECT_GROUP = 32909,
    ID_WORLD_LIGHT_PROPERTIES = 32923,
    ID_WORLD_SWITCH_TO_ORIGINAL = 35100,
    ID_WORLD_SWITCH_TO_FIRST = 35101,
    ID_WORLD_SWITCH_TO_LAST = 35160,
};

// Positions of the editor menu's pop-ups.
enum EditorMenuPopup : int
{
    POPUP_FILE = 0,
    POPUP_EDIT = 1,
    POPUP_VIEW = 2,
    POPUP_HELP = 3,
};

// WM_COMMAND from the editor menu; false when the id is none of its commands.
bool OnEditorCommand(uint32_t id);
// WM_INITMENUPOPUP: enables and checks the items of the pop-up at `position`.
void OnEditorInitMenuPopup(platform::ui::Menu& popup, int position);

// "New World": asks before it discards a world that has content or a name; false
// when the user refused.
bool NewWorld();
// Ctrl+S and "Save World": the world back to its own file ("Save world failed!" when
// that fails); nothing for an unnamed world. True when saved.
bool SaveCurrentWorld();
// "Save World As...": the name chosen gets ".wld"; false when nothing was saved.
bool SaveWorldAs(const std::string& chosen);
// "Load World..." (LOADWORLD_OPEN), "Import World..." (LOADWORLD_MERGE) and "Import
// Updated World..." (LOADWORLD_UPDATE) of a chosen file; false when it failed.
bool LoadWorldInEditor(const std::string& path, int mode);
// F9 (burglary), F11/F12 and "Start Game": the game on the edited world.
void StartGameFromEditor(bool burglary);
// The "World" context menu for the selection (Light Properties greyed unless a
// light is selected, one "Switch To" item per alternative, at most 60), shown at
// the cursor; false without a selection.
bool OpenWorldContextMenu(int x, int y);
// Every light of the world (the sun is none of them) on or off.
void SwitchWorldLights(bool on);
// Display toggles of the editor menu that the render passes read.
extern uint8_t RenderInnerGroupsFlag, LightObjectsFlag, EditorLightsFlag;
