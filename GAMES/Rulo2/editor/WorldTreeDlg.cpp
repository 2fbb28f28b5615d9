#include "GAMES/Rulo2/editor/WorldTreeDlg.h"

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/editor/ContextMenus.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/shadowmap/ShadowMapDialogs.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/editor/terrain/TerrainPropertiesDlg.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/WaitCursor.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "LIBS/System/LogPrintf.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

using platform::ui::TreeAction;
using platform::ui::TreeCode;
using platform::ui::TreeNotify;

std::vector<CWorldObject*> ObjectsUsingGroup;
SSphereMarker ViewSphereMarker;

namespace {

constexpr int VK_F2 = 0x71;
constexpr int VK_F5 = 0x74;

bool IsGroup(const CWorldObject* node)
{
    return node && node->objectKind == CWorldObject::KIND_GROUP;
}

void RecomputeBounds()
{
    if (g_WorldRoot)
        RecomputeWorldBounds();
}

// Every object that a task parameter of the node's lists names.
void CollectTaskTargets(const CTaskList* list, std::vector<CWorldObject*>& out)
{
    if (!list)
        return;
    for (const auto& item : list->tasks) {
        if (!item)
            continue;
        for (const auto& p : item->parameters) {
            const auto* ref = dynamic_cast<const CObjectRefParam*>(p.get());
            if (ref && ref->object && std::find(out.begin(), out.end(), ref->object) == out.end())
                out.push_back(ref->object);
        }
    }
    for (const auto& d : list->dependencies)
        if (d)
            CollectTaskTargets(d->childList.get(), out);
}

} // namespace

WorldTreeDlg::WorldTreeDlg()
    : CToolWindow(IDD, "WorldTreeDlg", "World Tree", true, "ShowWorldTree", &g_ShowWorldTree, 150, 300)
{
    AddSizedTree(IDC_TREE, tree);
    WorldTreeControl = &tree;
}

WorldTreeDlg::~WorldTreeDlg()
{
    if (WorldTreeControl == &tree)
        WorldTreeControl = nullptr;
    if (g_WorldRoot)
        g_WorldRoot->ClearTreeItems();
}

bool WorldTreeDlg::OnInitDialog()
{
    CToolWindow::OnInitDialog();
    tree.setBeginDragCallback([this](HTREEITEM) {
        shiftAtDragStart = EditorShiftHeld();
        return true;
    });
    tree.setCanDropCallback([this](HTREEITEM d, HTREEITEM t) { return CanDrop(d, t); });
    tree.setDropCallback([this](HTREEITEM d, HTREEITEM t) { Drop(d, t); });
    tree.ownerColours = [this](HTREEITEM item) { return ItemColours(item); };
    tree.notify = [this](const TreeNotify& n) { OnTreeNotify(n); };
    return true;
}

CWorldObject* WorldTreeDlg::NodeOf(HTREEITEM item) const
{
    if (!item || !g_WorldRoot)
        return nullptr;
    return static_cast<CWorldObject*>(g_WorldRoot->FindById(item));
}

CWorldObject* WorldTreeDlg::CaretNode() const
{
    return NodeOf(tree.TreeCtrl::GetSelectedItem());
}

void WorldTreeDlg::Redraw()
{
    if (g_WorldRoot) {
        CWorldObject* selected = WorldWalk::FindSelected(g_WorldRoot);
        if (selected && !IsGroup(selected))
            EditorSelectWorldEntry(selected, false);
    }
    tree.RedrawWindow();
}

platform::ui::TreeRowColours WorldTreeDlg::ItemColours(HTREEITEM item) const
{
    using platform::ui::GetSysColour;
    using platform::ui::SysColour;
    platform::ui::TreeRowColours c;
    const CWorldObject* node = NodeOf(item);
    if (node && node->selected) {
        c.custom = true;
        c.text = GetSysColour(active ? SysColour::HighlightText : SysColour::WindowText);
        c.back = GetSysColour(active ? SysColour::Highlight : SysColour::InactiveBorder);
    } else if (!tree.dragging()) {
        c.custom = true;
        c.text = GetSysColour(SysColour::WindowText);
        c.back = GetSysColour(SysColour::Window);
    }
    return c;
}

void WorldTreeDlg::OnTreeNotify(const TreeNotify& n)
{
    switch (n.code) {
    case TreeCode::SelChanged:
        OnSelChanged(n);
        break;
    case TreeCode::RClick:
        OnRightClick(n);
        break;
    case TreeCode::DblClk:
        OnDoubleClick();
        break;
    case TreeCode::EndLabelEdit:
        if (!n.cancelled)
            if (CWorldObject* node = NodeOf(n.item)) {
                node->SetName(n.text.c_str());
                tree.SetItemText(n.item, node->GetName() ? node->GetName() : "");
            }
        break;
    case TreeCode::KeyDown:
        if (n.key == VK_F2)
            EditCaretLabel();
        else if (n.key == VK_F5 && g_WorldRoot)
            g_WorldRoot->InsertIntoTree(0);
        break;
    default:
        break;
    }
}

void WorldTreeDlg::OnSelChanged(const TreeNotify& n)
{
    if (n.action != TreeAction::ByMouse && n.action != TreeAction::ByKeyboard)
        return;
    CWorldObject* node = NodeOf(n.item);
    if (!node || !g_WorldRoot)
        return;
    if (!EditorCtrlHeld()) {
        WorldWalk::ClearSelection(g_WorldRoot);
        if (!IsGroup(node))
            node->selected = 1;
        else if (node->firstChild)
            WorldWalk::SelectAll(node->FirstObject());
        CWorldObject* first = WorldWalk::FindSelected(g_WorldRoot);
        if (first && !IsGroup(first))
            EditorSelectWorldEntry(first, false);
        tree.RedrawWindow();
    } else if (!IsGroup(node)) {
        node->selected = node->selected ? 0 : 1;
        EditorSelectWorldEntry(node, false);
        tree.RedrawWindow();
    }
    BindSelectionToObjectProperties(node);
}

void WorldTreeDlg::OnRightClick(const TreeNotify& n)
{
    uint32_t flags = 0;
    const HTREEITEM item = tree.HitTest(n.x, n.y, &flags);
    if (!item || !(flags & platform::ui::TVHT_ONITEM))
        return;
    tree.TreeCtrl::SelectItem(item, TreeAction::Unknown);
    CWorldObject* node = NodeOf(item);
    if (!IsGroup(node))
        return;
    contextMenu = LoadContextMenus();
    platform::ui::Menu* menu = contextMenu ? contextMenu->GetSubMenu(kContextMenu) : nullptr;
    if (!menu)
        return;
    if (node == g_WorldRoot) {
        menu->EnableMenuItem(ID_RENAME_GROUP, false);
        menu->EnableMenuItem(ID_UPDATED, false);
    } else {
        menu->EnableMenuItem(ID_REMOVE_INVALID_PATHS, false);
        menu->CheckMenuItem(ID_UPDATED, node->groupFlag);
    }
    // A group keeps its sphere's radius in angle2.
    if (node->angle2 == 0.0f)
        menu->EnableMenuItem(ID_SHOW_BOUNDING_SPHERE, false);
    platform::ui::TrackPopupMenu(*menu, tree.ScreenOriginX() + n.x, tree.ScreenOriginY() + n.y, *this);
}

void WorldTreeDlg::OnDoubleClick()
{
    CWorldObject* node = CaretNode();
    if (!node || !CurrentView)
        return;
    const bool focusable =
        ((node->objectKind == CWorldObject::KIND_MODEL || node->objectKind == CWorldObject::KIND_OBJECT) &&
         node->reference) ||
        (node->objectKind == CWorldObject::KIND_LIGHT && node->Light());
    const bool terrain = node->Terrain() != nullptr;
    if (!focusable && !terrain)
        return;
    // Objects keep their sphere's centre in position.
    CurrentView->target[0] = node->position.x;
    CurrentView->target[1] = node->position.y;
    CurrentView->target[2] = node->position.z;
    if (terrain)
        ShowTerrainProperties(node);
}

bool WorldTreeDlg::CanEditLabel(HTREEITEM item) const
{
    const CWorldObject* node = NodeOf(item);
    if (!node)
        return false;
    return (IsGroup(node) && node != g_WorldRoot) || node->Terrain() != nullptr;
}

void WorldTreeDlg::EditCaretLabel()
{
    const HTREEITEM item = tree.TreeCtrl::GetSelectedItem();
    if (CanEditLabel(item))
        tree.EditLabel(item);
}

bool WorldTreeDlg::CanDrop(HTREEITEM dragged, HTREEITEM target) const
{
    if (dragged == target)
        return false;
    const CWorldObject* d = NodeOf(dragged);
    const CWorldObject* t = NodeOf(target);
    if (!d || !t)
        return false;
    if (shiftAtDragStart)
        return !IsGroup(t) && !t->selected;
    if (!IsGroup(t))
        return false;
    if (!IsGroup(d))
        return true;
    for (const CNode* p = t; p; p = p->parent)
        if (p == d)
            return false;
    return true;
}

void WorldTreeDlg::Drop(HTREEITEM dragged, HTREEITEM target)
{
    if (!CanDrop(dragged, target))
        return;
    CWorldObject* d = NodeOf(dragged);
    CWorldObject* t = NodeOf(target);
    if (IsGroup(d)) {
        d->MoveTo(t);
        if (d->firstChild)
            d->FirstObject()->RemoveFromTree();
        tree.DeleteItem(d->id);
        d->id = 0;
        d->InsertOwnItem(t->id, true);
        if (d->firstChild)
            d->FirstObject()->InsertChainIntoTree(d->id);
    } else {
        WorldWalk::GroupSelected(g_WorldRoot, t);
        // A moved node leaves its children in its old place: the items are
        // rebuilt, and the target's branch shown.
        g_WorldRoot->InsertIntoTree(0);
        if (t->id)
            tree.EnsureVisible(t->id);
    }
    RecomputeBounds();
    Redraw();
}

bool WorldTreeDlg::OnCommand(int id)
{
    CWorldObject* node = CaretNode();
    switch (id) {
    case ID_NEW_GROUP:
        NewGroup();
        return true;
    case ID_DELETE_GROUP:
        DeleteGroup();
        return true;
    case ID_RENAME_GROUP:
        if (IsGroup(node))
            EditCaretLabel();
        return true;
    case ID_HIDE_GROUP:
    case ID_SHOW_GROUP:
        HideGroup(id == ID_HIDE_GROUP);
        return true;
    case ID_UPDATED:
        if (IsGroup(node))
            node->groupFlag = !node->groupFlag;
        return true;
    case ID_CALC_SHADOWMAPS:
        if (IsGroup(node) && node->firstChild)
            CalcGroupShadowMaps(node);
        return true;
    case ID_DELETE_SHADOWMAPS:
        if (node) {
            SWaitCursor wait;
            DeleteAttachedObjects(node);
        }
        return true;
    case ID_REMOVE_INVALID_PATHS:
        if (IsGroup(node) && g_WorldRoot) {
            SWaitCursor wait;
            LogPrintf("Checking for crossed-over paths...");
            g_WorldRoot->FreeGroundMaps();
            CWorldObject::CheckConnections(g_WorldRoot);
            g_WorldRoot->FreeGroundMaps();
            LogPrintf("Checking for invalid connections...");
            CWorldObject::RepairConnections(g_WorldRoot);
        }
        return true;
    case ID_RESET_OBJECT_IDS:
        if (IsGroup(node) && g_WorldRoot) {
            CreateMissingObjectLogic(g_WorldRoot);
            int32_t highest = 0;
            MaxObjectLogicNumber(g_WorldRoot, highest);
            g_ObjectIdCounter = uint32_t(highest) + 1;
            g_WorldRoot->ResolveObjectIds();
            RegisterObjectLogicNumbers(g_WorldRoot);
        }
        return true;
    case ID_UPDATE_BILLBOARD_COLORS:
        if (IsGroup(node) && g_WorldRoot) {
            SWaitCursor wait;
            g_LightNodes.clear();
            CollectLights(g_WorldRoot);
            ComputeLightColours(g_WorldRoot);
            g_LightNodes.clear();
        }
        return true;
    case ID_SHOW_BOUNDING_SPHERE:
        if (IsGroup(node)) {
            ViewSphereMarker.centre[0] = node->position.x;
            ViewSphereMarker.centre[1] = node->position.y;
            ViewSphereMarker.centre[2] = node->position.z;
            ViewSphereMarker.radius = node->angle2;
        }
        return true;
    case ID_NEW_TERRAIN:
        NewTerrain();
        return true;
    case ID_SHOW_OBJECTS_USING:
        if (IsGroup(node))
            ShowObjectsUsingGroup();
        return true;
    default:
        return CToolWindow::OnCommand(id);
    }
}

void WorldTreeDlg::NewGroup()
{
    const std::string name = AskName(NameDlg::NewGroup);
    CWorldObject* group = CaretNode();
    if (name.empty() || !IsGroup(group))
        return;
    auto* added = new CWorldObject(name.c_str());
    group->InsertFirst(added);
    added->InsertOwnItem(group->id, true);
    RecomputeBounds();
}

void WorldTreeDlg::DeleteGroup()
{
    CWorldObject* group = CaretNode();
    if (!IsGroup(group) || !MessageBoxConfirm("Are you sure you want to delete this group?"))
        return;
    UnbindObjectPropertiesInside(group);
    if (group == g_WorldRoot) {
        group->DeleteChildren();
        g_WorldRoot->InsertIntoTree(0);
    } else {
        if (group->firstChild)
            group->FirstObject()->RemoveFromTree();
        tree.DeleteItem(group->id);
        group->id = 0;
        group->DeleteWithChildren();
    }
    RecomputeBounds();
    Redraw();
}

void WorldTreeDlg::HideGroup(bool hide)
{
    CWorldObject* group = CaretNode();
    if (!IsGroup(group) || !group->firstChild)
        return;
    if (hide) {
        group->flags |= 1;
        WorldWalk::HideSelected(group->FirstObject(), false);
    } else {
        for (CNode* p = group; p; p = p->parent)
            static_cast<CWorldObject*>(p)->flags &= uint8_t(~1u);
        WorldWalk::UnhideAll(group->FirstObject());
    }
    Redraw();
}

void WorldTreeDlg::NewTerrain()
{
    const std::string name = AskName(NameDlg::NewGroup);
    CWorldObject* caret = CaretNode();
    if (name.empty() || !IsGroup(caret))
        return;
    CWorldObject* group = nullptr;
    for (CWorldObject* c = caret->FirstObject(); c; c = c->NextObject())
        if (c->GetName() && strcasecmp(c->GetName(), name.c_str()) == 0)
            group = c;
    auto* terrainNode = new CWorldObject(name.c_str());
    terrainNode->objectKind = CWorldObject::KIND_GENERATOR;
    auto* rules = new CTerrainRules;
    rules->owner = terrainNode;
    terrainNode->reference = rules;
    if (group) {
        // An existing group keeps its children; it is unlinked and put in front
        // once, and its items are made again, so nothing is linked or shown twice.
        if (group->firstChild)
            group->FirstObject()->RemoveFromTree();
        tree.DeleteItem(group->id);
        group->id = 0;
        group->MoveTo(caret);
    } else {
        group = new CWorldObject(name.c_str());
        caret->InsertFirst(group);
    }
    group->InsertFirst(terrainNode);
    RecomputeBounds();
    group->InsertOwnItem(caret->id, true);
    if (terrainNode->next)
        terrainNode->NextObject()->InsertChainIntoTree(group->id);
    terrainNode->InsertOwnItem(group->id, true);
}

void WorldTreeDlg::ShowObjectsUsingGroup()
{
    CWorldObject* group = CaretNode();
    if (!IsGroup(group) || !g_WorldRoot)
        return;
    ObjectsUsingGroup.clear();
    struct SReferrer
    {
        CWorldObject* node;
        std::vector<CWorldObject*> targets;
    };
    std::vector<SReferrer> referrers;
    WalkWorldTree(g_WorldRoot, [&](CWorldObject* n) {
        if (!n->objectLogic)
            return;
        SReferrer r{n, {}};
        CollectTaskTargets(n->objectLogic->ownTaskList.get(), r.targets);
        CollectTaskTargets(n->objectLogic->taskList, r.targets);
        if (!r.targets.empty())
            referrers.push_back(std::move(r));
    });
    WalkWorldTree(group, [&](CWorldObject* member) {
        for (const SReferrer& r : referrers)
            if (std::find(r.targets.begin(), r.targets.end(), member) != r.targets.end() &&
                std::find(ObjectsUsingGroup.begin(), ObjectsUsingGroup.end(), r.node) ==
                    ObjectsUsingGroup.end())
                ObjectsUsingGroup.push_back(r.node);
    });
    int inside = 0;
    for (CWorldObject* o : ObjectsUsingGroup)
        if (o->IsDescendantOf(group))
            ++inside;
    const int listed = int(ObjectsUsingGroup.size());
    char text[256];
    std::snprintf(
        text, sizeof text,
        "%d objects referring to objects in this group\n%d objects are inside the group\n%d objects "
        "are outside this group",
        listed, inside, listed - inside);
    MessageBoxInfo(text);
    WorldWalk::ClearSelection(g_WorldRoot);
    for (CWorldObject* o : ObjectsUsingGroup) {
        o->selected = 1;
        if (o->id)
            tree.TreeCtrl::SelectItem(o->id, TreeAction::Unknown);
    }
    Redraw();
}
