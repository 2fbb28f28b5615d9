#include "GAMES/Rulo2/editor/ModelListDlg.h"

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/editor/ContextMenus.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WaitCursor.h"
#include "GAMES/Rulo2/world/WallSplit.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "LIBS/System/LogPrintf.h"

#include <cstdio>
#include <string>
#include <vector>

using platform::ui::TreeAction;
using platform::ui::TreeCode;
using platform::ui::TreeNotify;

namespace {

constexpr int VK_F2 = 0x71;
constexpr int VK_F5 = 0x74;

CModelEntry* FirstEntry()
{
    return g_ModelListRoot ? g_ModelListRoot->FirstEntry() : nullptr;
}

CModelEntry* EntryOf(uint32_t item)
{
    return item ? FindEntryById(FirstEntry(), item) : nullptr;
}

bool StateUses(const CModelEntry* entry)
{
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
        if (d->IsModelEntryUsed(entry))
            return true;
    return false;
}

bool InUse(CModelEntry* entry)
{
    return (g_WorldRoot && WorldWalk::FindByModel(g_WorldRoot, entry)) ||
           (g_MacroListRoot && FindMacroUserOfModel(g_MacroListRoot->FirstMacro(), entry)) ||
           StateUses(entry);
}

// Every world node of the model goes (its children move up into its place), the
// states and macros let go of it, and the entry is deleted.
void RemoveModel(CModelEntry* entry)
{
    while (CWorldObject* user = g_WorldRoot ? WorldWalk::FindByModel(g_WorldRoot, entry) : nullptr) {
        if (user == g_WorldRoot)
            break;
        user->Delete();
    }
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
        d->ClearModelEntryInStates(entry);
    if (g_MacroListRoot)
        DeleteMacroUsersOfModel(g_MacroListRoot->FirstMacro(), entry);
    ClearLinkTo(FirstEntry(), entry);
    if (CurrentModel == entry)
        ForgetCurrentEntry();
    entry->Delete();
}

} // namespace

void ShowNewEntry(CModelEntry* entry)
{
    if (!g_ModelListDlg)
        return;
    g_ModelListDlg->Refill();
    EditorSelectModel(entry, false);
}

ModelListDlg::ModelListDlg()
    : CToolWindow(IDD, "ModelListDlg", "Model List", true, "ShowModelList", &g_ShowModelList, 150, 300)
{
    AddSizedTree(IDC_TREE, tree);
    // The Model List holds many entries at once.
    tree.multiSelect = true;
    ModelListView.control = &tree;
    // Models, objects with their actions, and macros, each in their folders.
    ModelListView.view = MODELVIEW_OBJECTS;
}

ModelListDlg::~ModelListDlg()
{
    if (ModelListView.control == &tree)
        ModelListView.control = nullptr;
}

bool ModelListDlg::OnInitDialog()
{
    CToolWindow::OnInitDialog();
    tree.notify = [this](const TreeNotify& n) { OnTreeNotify(n); };
    return true;
}

void ModelListDlg::Refill()
{
    if (g_ModelListRoot)
        FillModelTree(g_ModelListRoot, true);
    else
        tree.deleteAllItems(false);
}

void ModelListDlg::OnTreeNotify(const TreeNotify& n)
{
    switch (n.code) {
    case TreeCode::SelChanged: {
        if (n.action != TreeAction::ByMouse && n.action != TreeAction::ByKeyboard)
            break;
        EditorSelectById(n.item, true);
        CObjectState* state = nullptr;
        CObjectNode* definition = g_ObjectList ? g_ObjectList->FindByIdOrStateId(n.item, &state) : nullptr;
        if (definition && g_ObjectPropertiesDlg && !ObjectPropertiesLock) {
            if (!definition->objectLogic)
                definition->objectLogic = new CObjectLogic;
            g_ObjectPropertiesDlg->SetObject(definition->objectLogic, nullptr, definition);
        }
        break;
    }
    case TreeCode::RClick: {
        uint32_t flags = 0;
        const HTREEITEM item = tree.HitTest(n.x, n.y, &flags);
        CModelEntry* entry = EntryOf(item);
        if (!entry)
            break;
        EditorSelectModel(entry, false);
        contextMenu = LoadContextMenus();
        platform::ui::Menu* menu = contextMenu ? contextMenu->FindSubMenu("ModelListModel") : nullptr;
        if (!menu)
            break;
        if (entry->model) {
            menu->CheckMenuItem(ID_COMPLEX, entry->model->AnyMeshWithFlagA());
            menu->CheckMenuItem(ID_SMOOTH, entry->model->AnyMeshWithFlagB());
        }
        menu->CheckMenuItem(ID_INFLUENCES_CAMERA, entry->influencesCamera);
        menu->CheckMenuItem(ID_NO_CAMERA_CHECK, entry->noCameraCheck);
        menu->CheckMenuItem(ID_ANTI_GROUND, entry->antiGround);
        platform::ui::TrackPopupMenu(*menu, tree.ScreenOriginX() + n.x, tree.ScreenOriginY() + n.y, *this);
        break;
    }
    case TreeCode::KeyDown:
        if (n.key == VK_F2 && EntryOf(tree.TreeCtrl::GetSelectedItem()))
            tree.EditLabel(tree.TreeCtrl::GetSelectedItem());
        else if (n.key == VK_F5)
            Refill();
        break;
    case TreeCode::EndLabelEdit:
        if (!n.cancelled && !n.text.empty())
            if (CModelEntry* entry = EntryOf(n.item)) {
                entry->SetName(n.text.c_str());
                tree.SetItemText(n.item, entry->GetName() ? entry->GetName() : "");
            }
        break;
    default:
        break;
    }
}

bool ModelListDlg::OnCommand(int id)
{
    CModelEntry* entry = CurrentModel;
    switch (id) {
    case ID_COPY_MODEL:
        CopyModel();
        return true;
    case ID_DELETE_MODEL:
        DeleteModel();
        return true;
    case ID_RENAME_MODEL:
        if (entry && entry->id)
            tree.EditLabel(entry->id);
        return true;
    case ID_DELETE_UNUSED_MODELS:
        DeleteUnusedModels();
        return true;
    case ID_DELETE_UNUSED_OBJECTS:
        DeleteUnusedObjects();
        return true;
    case ID_INVERSE_NORMALS:
        if (entry)
            RepairModel(entry);
        return true;
    case ID_COMPLEX:
        if (entry && entry->model)
            entry->model->SetMeshFlagA(!entry->model->AnyMeshWithFlagA());
        return true;
    case ID_SMOOTH:
        if (entry && entry->model)
            entry->model->SetMeshFlagB(!entry->model->AnyMeshWithFlagB());
        return true;
    case ID_INFLUENCES_CAMERA:
        if (entry)
            entry->influencesCamera = !entry->influencesCamera;
        return true;
    case ID_NO_CAMERA_CHECK:
        if (entry)
            entry->noCameraCheck = !entry->noCameraCheck;
        return true;
    case ID_ANTI_GROUND:
        if (entry)
            entry->antiGround = !entry->antiGround;
        return true;
    case ID_SPLITUP:
        SplitWalls(FirstEntry());
        Refill();
        if (g_WorldRoot)
            RecomputeWorldBounds();
        return true;
    default:
        if (id >= 32700 && id < 33100) {
            LogPrintf("Model List command %d is not available yet", id);
            return true;
        }
        return CToolWindow::OnCommand(id);
    }
}

CModelEntry* ModelListDlg::CopyModel()
{
    CModelEntry* source = CurrentModel;
    if (!source || !g_ModelListRoot)
        return nullptr;
    std::string base;
    GetBaseName(source, base);
    int count = 0;
    WalkModelList(FirstEntry(), [&](CModelEntry* e) {
        std::string other;
        if (GetBaseName(e, other) && other == base)
            ++count;
    });
    char name[512];
    if (const char* suffix = GetNameAfterDash(source))
        std::snprintf(name, sizeof name, "%s [Copy %d] - %s", base.c_str(), count + 1, suffix);
    else
        std::snprintf(name, sizeof name, "%s [Copy %d]", base.c_str(), count + 1);
    auto* copy = new CModelEntry;
    copy->SetName(name);
    copy->group = source->group;
    copy->groupPath = source->groupPath;
    std::string error;
    if (source->model) {
        copy->model = CopyModelThroughTempFile(source->model, &error);
        if (!copy->model)
            LogPrintf("Copy Model: '%s' has no model (%s)", name, error.c_str());
    }
    g_ModelListRoot->AddChild(copy);
    Refill();
    EditorSelectModel(copy, false);
    return copy;
}

void ModelListDlg::DeleteModel()
{
    CModelEntry* entry = CurrentModel;
    if (!entry || !entry->model)
        return;
    if (InUse(entry) && !MessageBoxConfirm("Model is still in use. Delete it anyway?"))
        return;
    {
        SWaitCursor wait;
        RemoveModel(entry);
    }
    if (g_WorldRoot) {
        RecomputeWorldBounds();
        g_WorldRoot->InsertIntoTree(0);
    }
    Refill();
}

int ModelListDlg::DeleteUnusedModels()
{
    int removed = 0;
    {
        SWaitCursor wait;
        MarkUnused(FirstEntry());
        while (CModelEntry* e = FindFirstUnused(FirstEntry())) {
            LogPrintf("Removing model '%s'", e->GetName() ? e->GetName() : "");
            RemoveModel(e);
            ++removed;
        }
    }
    Refill();
    char text[64];
    std::snprintf(text, sizeof text, "Removed %d models", removed);
    MessageBoxWarning(text);
    return removed;
}

int ModelListDlg::DeleteUnusedObjects()
{
    int removed = 0;
    {
        SWaitCursor wait;
        if (g_ObjectList)
            g_ObjectList->MarkUnused();
        while (CObjectNode* d = g_ObjectList ? g_ObjectList->FindFirstUnused() : nullptr) {
            LogPrintf("Removing object '%s'", d->GetName() ? d->GetName() : "");
            if (CurrentObject == d)
                ForgetCurrentEntry();
            delete d;
            ++removed;
        }
    }
    Refill();
    char text[64];
    std::snprintf(text, sizeof text, "Removed %d objects", removed);
    MessageBoxWarning(text);
    return removed;
}
