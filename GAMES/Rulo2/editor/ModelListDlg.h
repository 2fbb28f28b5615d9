#pragma once
// The Model List window: the world's model list, its object definitions with
// their actions, the macros and the folders in one tree, with the commands that
// maintain them.
#include "GAMES/Rulo2/editor/ToolWindows.h"

#include <memory>
#include <string>

class CModelEntry;

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
    };

    ModelListDlg();
    ~ModelListDlg() override;

    bool OnInitDialog() override;
    bool OnCommand(int id) override;

    // Fills the tree from the world's lists.
    void Refill();
    void OnTreeNotify(const platform::ui::TreeNotify& n);

    // The commands, on the current entry.
    CModelEntry* CopyModel();
    void DeleteModel();
    // Returns the number removed.
    int DeleteUnusedModels();
    int DeleteUnusedObjects();

    CEditorTree tree;
    std::unique_ptr<platform::ui::Menu> contextMenu;
};

// A model entry that was imported: the list filled again with it selected
// (nothing without the window).
void ShowNewEntry(CModelEntry* entry);
