#pragma once
// The Model Tree window: the node tree of the current model. It renames and
// deletes nodes and switches the display options of meshes.
#include "GAMES/Rulo2/editor/ToolWindows.h"

#include <memory>

class CModelNode;
class CRootNode;

class ModelTreeDlg : public CToolWindow
{
public:
    enum
    {
        IDD = 183,
        IDC_TREE = IDC_MODEL_TREE,
        ID_INVERSE_CULLING = 32780,
        ID_BACKFACE_CULLING = 32781,
        ID_SHOW_ALL_NODES = 32783,
        ID_SHOW_LOCATORS = 32812,
        ID_LIGHT_FLARE = 32886,
        ID_INVERSE_NORMALS = 32890,
        ID_COMPLEX = 32915,
        ID_INSIDE = 32938,
        ID_SMOOTH = 32951,
    };

    ModelTreeDlg();
    ~ModelTreeDlg() override;

    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void OnTreeNotify(const platform::ui::TreeNotify& n);
    // The Material Manager follows the selection, and the Texture Manager shows
    // what the selected material uses.
    void OnSelectionChanged();

    // The model shown: the current Model List entry's (null: none).
    static CRootNode* Model();
    // The tree filled again from the current model (emptied without one).
    void Rebuild();
    // The selected node and, where a frame shows merged with its mesh, that mesh.
    CModelNode* Selected(CModelNode** shape) const;
    // The selected node (and its shape node) renamed, "Shape" after the name.
    void Rename(const char* text);
    // The selected node and its shape node removed; their children move up.
    void DeleteSelected();

    CEditorTree tree;
    std::unique_ptr<platform::ui::Menu> contextMenu;
};

// Model Ground View: a click on a vertex of the mesh selected in the Model Tree
// adds or removes a shape point there (with Ctrl: joins it to the edge list).
bool EditShapeAt(int x, int y);
// Model Ground View's drawing: the shape and the vertex markers of that mesh.
void DrawShapeOfSelectedMesh();
