#pragma once
// The Model List window: the world's model list, its object definitions with
// their actions, the macros and the folders in one tree, with the commands that
// maintain them.
#include "GAMES/Rulo2/editor/ToolWindows.h"

#include <memory>
#include <string>

class CModelEntry;
class CNode;
class CObjectNode;
class CObjectState;

class ModelListDlg : public CToolWindow
{
public:
    enum
    {
        IDD = 190,
        IDC_TREE = IDC_MODEL_LIST_TREE,
        ID_SAVE_MODEL = 32782,
        ID_REPLACE_MODEL = 32803,
        ID_COPY_MODEL = 32875,
        ID_DELETE_MODEL = 32794,
        ID_RENAME_MODEL = 32814,
        ID_RENAME_MAKRO = 32876,
        ID_RENAME_OBJECT = 32903,
        ID_RENAME_ACTION = 32906,
        ID_RENAME_OBJECT_FOLDER = 32918,
        ID_RENAME_MODEL_FOLDER = 32989,
        ID_MAKE_OBJECT = 33009,
        ID_REMOVE_ALL_EXCEPT_SELECTION = 33018,
        ID_INVERSE_NORMALS = 32945,
        ID_COMPLEX = 32924,
        ID_SMOOTH = 32953,
        ID_INFLUENCES_CAMERA = 32943,
        ID_NO_CAMERA_CHECK = 32944,
        ID_ANTI_GROUND = 32985,
        ID_SPLITUP = 32920,
        ID_DELETE_UNUSED_MODELS = 32927,
        ID_DELETE_UNUSED_OBJECTS = 33008,
        ID_DELETE_MAKRO = 32877,
        ID_DELETE_ALL_MAKROS = 32997,
        ID_NEW_OBJECT = 32900,
        ID_NEW_OBJECT_FOLDER = 32988,
        ID_NEW_MODEL_FOLDER = 32917,
        ID_DELETE_OBJECT_FOLDER = 32990,
        ID_DELETE_MODEL_FOLDER = 32919,
        ID_DELETE_OBJECT = 32902,
        ID_ADD_ACTION = 32904,
        ID_APPLY_ACTIONS = 32982,
        ID_DELETE_ACTION = 32905,
        ID_LOOPING_ANIM = 32973,
        ID_ONE_SHOT_ANIM = 32974,
        ID_DEFAULT_ACTION = 32975,
        ID_SET_DEFAULT_SKELETON_1 = 33021, // to 33025
        ID_USE_SKELETON_1 = 33027,         // to 33031
    };
    static constexpr int kSkeletonSlots = 5;
    // What a drag in the tree does.
    enum EDragMode
    {
        DRAG_MERGE = 0,
        DRAG_OBJECTS_TO_FOLDER = 1,
        DRAG_MODELS_TO_FOLDER = 2,
    };

    ModelListDlg();
    ~ModelListDlg() override;

    bool OnInitDialog() override;
    bool OnCommand(int id) override;

    // Fills the tree from the world's lists.
    void Refill();
    void OnTreeNotify(const platform::ui::TreeNotify& n);
    // An edited label becomes the name of what its item shows.
    void Rename(HTREEITEM item, const std::string& text);

    // The commands, on the current entry.
    CModelEntry* CopyModel();
    void DeleteModel();
    // Returns the number removed.
    int DeleteUnusedModels();
    int DeleteUnusedObjects();
    // Through a file dialog: the current model written as a model file, or loaded from one
    // (any model format) in its place.
    void SaveModel();
    void ReplaceModel();
    // Every model outside the current model's folder and the folders below it goes.
    void RemoveAllExceptSelection();
    // A definition named after the current model, in the current object folder, with one
    // action "DUMMY" showing the model.
    CObjectNode* MakeObjectFromModel();
    // The commands on the selected item: a macro, an object folder or a model folder, an
    // object definition or one of its actions.
    void DeleteMacro();
    void DeleteAllMacros();
    CObjectNode* NewObject();
    CNode* NewFolder(bool objects);
    void DeleteFolder(bool objects);
    void DeleteObject();
    CObjectState* AddAction();
    // Returns the number of objects that received the actions.
    int ApplyActions();
    void DeleteAction();
    // Default skeleton slots 0 to 4.
    void SetAsDefaultSkeleton(int slot);
    void UseSkeleton(int slot);

    // The tree's drag callbacks: models and objects merged (Shift) or moved into folders.
    bool BeginDrag(HTREEITEM item);
    bool CanDrop(HTREEITEM dragged, HTREEITEM target) const;
    void Drop(HTREEITEM dragged, HTREEITEM target);
    int dragMode = DRAG_MERGE;
    // Where "Make Object From Model" puts the new definition: the object folder last
    // selected, or that of the object or action last selected; null for the folder root.
    CNode* objectFolder = nullptr;

    CEditorTree tree;
    std::unique_ptr<platform::ui::Menu> contextMenu;
};

// The file types a model is loaded from.
extern const char* const kModelFileFilter;

// A model entry that was imported: the list filled again with it selected
// (nothing without the window).
void ShowNewEntry(CModelEntry* entry);
