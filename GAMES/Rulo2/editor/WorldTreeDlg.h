#pragma once
// The World Tree window: the world as a tree of groups (folders) holding model
// instances, objects with states, lights and terrains. Selecting items selects
// world objects, dragging moves objects and groups between groups, and the
// context menu of a group creates, renames, hides, deletes and inspects groups
// and runs the world-wide maintenance commands.
#include "GAMES/Rulo2/editor/ToolWindows.h"

#include <memory>
#include <vector>

class CWorldObject;

class WorldTreeDlg : public CToolWindow
{
public:
    enum
    {
        IDD = 198,
        IDC_TREE = IDC_WORLD_TREE,
        ID_NEW_GROUP = 32894,
        ID_HIDE_GROUP = 32895,
        ID_SHOW_GROUP = 32896,
        ID_RENAME_GROUP = 32897,
        ID_DELETE_GROUP = 32898,
        ID_CALC_SHADOWMAPS = 32921,
        ID_UPDATED = 32986,
        ID_REMOVE_INVALID_PATHS = 32991,
        ID_SHOW_BOUNDING_SPHERE = 32994,
        ID_DELETE_SHADOWMAPS = 33013,
        ID_NEW_TERRAIN = 33015,
        ID_RESET_OBJECT_IDS = 33019,
        ID_UPDATE_BILLBOARD_COLORS = 33020,
        ID_SHOW_OBJECTS_USING = 33033,
    };
    // The context menu of groups: sub-menu 8 of menu resource 186.
    static constexpr int kContextMenu = 8;

    WorldTreeDlg();
    ~WorldTreeDlg() override;

    bool OnInitDialog() override;
    bool OnCommand(int id) override;

    // After a change of the world: mirrors a selected non-group object into the
    // other windows and redraws the tree.
    void Redraw();

    // The node an item stands for (null: none); the node of the caret item.
    CWorldObject* NodeOf(HTREEITEM item) const;
    CWorldObject* CaretNode() const;

    // The tree's callbacks and notifications (tests call them as the tree does).
    bool CanDrop(HTREEITEM dragged, HTREEITEM target) const;
    void Drop(HTREEITEM dragged, HTREEITEM target);
    void OnTreeNotify(const platform::ui::TreeNotify& n);
    // TVN_BEGINLABELEDIT: true lets the label be edited.
    bool CanEditLabel(HTREEITEM item) const;
    // Starts the edit of the caret item's label when it may be edited.
    void EditCaretLabel();

    // The row colours of an item (the window draws its own selection).
    platform::ui::TreeRowColours ItemColours(HTREEITEM item) const;

    CEditorTree tree;
    bool active = false;
    bool shiftAtDragStart = false;
    // The context menu shown last (kept while it is tracked).
    std::unique_ptr<platform::ui::Menu> contextMenu;

private:
    void OnSelChanged(const platform::ui::TreeNotify& n);
    void OnRightClick(const platform::ui::TreeNotify& n);
    void OnDoubleClick();
    void NewGroup();
    void DeleteGroup();
    void HideGroup(bool hide);
    void NewTerrain();
    void ShowObjectsUsingGroup();
};

// The objects that the last "Show Objects Using That Group" listed.
extern std::vector<CWorldObject*> ObjectsUsingGroup;
// The sphere marker that "Show Bounding-Sphere" sets: centre and radius.
struct SSphereMarker
{
    float centre[3] = {0, 0, 0};
    float radius = 0;
};
extern SSphereMarker ViewSphereMarker;
