#include "GAMES/Rulo2/editor/ModelListDlg.h"

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/editor/ContextMenus.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/MaterialManagerDlg.h"
#include "GAMES/Rulo2/editor/TextureManagerDlg.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/GamePasses.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WaitCursor.h"
#include "GAMES/Rulo2/world/WallSplit.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/ui/Ui.h"

#include <cstdio>
#include <filesystem>
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

// The paste buffer holds world nodes as the world does: a use there counts too.
bool InUse(CModelEntry* entry)
{
    return (g_WorldRoot && WorldWalk::FindByModel(g_WorldRoot, entry)) ||
           (g_PasteRoot && WorldWalk::FindByModel(g_PasteRoot, entry)) ||
           (g_MacroListRoot && FindMacroUserOfModel(g_MacroListRoot->FirstMacro(), entry)) ||
           StateUses(entry);
}

// Each node below the world root, the paste buffer's and the placement preview's root
// that `find` finds goes; its children move up into its place.
template <class Find>
void RemoveUsers(Find&& find)
{
    for (CWorldObject* root : {g_WorldRoot, g_PasteRoot, g_PreviewRoot})
        while (CWorldObject* user = root ? find(root) : nullptr) {
            if (user == root)
                break;
            user->Delete();
        }
}

// Every world node of the model goes (its children move up into its place), the
// states and macros let go of it, and the entry is deleted.
void RemoveModel(CModelEntry* entry)
{
    RemoveUsers([entry](CWorldObject* root) { return WorldWalk::FindByModel(root, entry); });
    for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
        d->ClearModelEntryInStates(entry);
    if (g_MacroListRoot)
        DeleteMacroUsersOfModel(g_MacroListRoot->FirstMacro(), entry);
    ClearLinkTo(FirstEntry(), entry);
    if (CurrentModel == entry)
        ForgetCurrentEntry();
    entry->Delete();
}

// An object definition's item (a state's item is none).
CObjectNode* ObjectOf(uint32_t item)
{
    CObjectState* state = nullptr;
    CObjectNode* definition = item && g_ObjectList ? g_ObjectList->FindByIdOrStateId(item, &state) : nullptr;
    return state ? nullptr : definition;
}

// The folder of one folder tree (its root included) that `item` shows.
CNode* FolderOf(CNode* folders, uint32_t item)
{
    return item && folders && folders->id ? folders->FindById(item) : nullptr;
}

// Whether `node` is `root` or lies below it; compares pointers only, so a folder that
// went with a replaced tree is never read.
bool InFolderTree(const CNode* root, const CNode* node)
{
    if (!root || !node)
        return false;
    if (root == node)
        return true;
    for (const CNode* c = root->firstChild; c; c = c->next)
        if (InFolderTree(c, node))
            return true;
    return false;
}

// What a Model List item stands for.
struct SListItem
{
    enum EKind
    {
        NONE,
        MODEL,
        OBJECT,
        ACTION,
        MACRO,
        MACRO_FOLDER,
        OBJECT_FOLDER,
        MODEL_FOLDER,
    } kind = NONE;
    CModelEntry* model = nullptr;
    CObjectNode* object = nullptr;
    CObjectState* action = nullptr;
    CMacro* macro = nullptr;
    CNode* folder = nullptr;
};

SListItem ListItemOf(uint32_t item)
{
    SListItem s;
    if (!item)
        return s;
    if ((s.model = EntryOf(item))) {
        s.kind = SListItem::MODEL;
    } else if ((s.object = g_ObjectList ? g_ObjectList->FindByIdOrStateId(item, &s.action) : nullptr)) {
        s.kind = s.action ? SListItem::ACTION : SListItem::OBJECT;
    } else if ((s.macro = g_MacroListRoot ? FindMacroById(g_MacroListRoot->FirstMacro(), item) : nullptr)) {
        s.kind = SListItem::MACRO;
    } else if (item == ModelListView.macrosItem) {
        s.kind = SListItem::MACRO_FOLDER;
    } else if ((s.folder = FolderOf(g_ObjectsTree, item))) {
        s.kind = SListItem::OBJECT_FOLDER;
    } else if ((s.folder = FolderOf(g_ModelsTree, item))) {
        s.kind = SListItem::MODEL_FOLDER;
    }
    return s;
}

// The context menu of each kind of item.
const char* MenuOf(SListItem::EKind kind)
{
    switch (kind) {
    case SListItem::MODEL:
        return "ModelListModel";
    case SListItem::OBJECT:
        return "ModelListObjects-Object";
    case SListItem::ACTION:
        return "ModelListObjects-Action";
    case SListItem::MACRO:
        return "ModelListMakro";
    case SListItem::MACRO_FOLDER:
        return "ModelListMakroFolder";
    case SListItem::OBJECT_FOLDER:
        return "ModelListObjectFolder";
    case SListItem::MODEL_FOLDER:
        return "ModelListModelFolder";
    default:
        return nullptr;
    }
}

// Labels are edited on models, objects, actions, macros and the folders below the two roots.
bool LabelEditable(const SListItem& s)
{
    switch (s.kind) {
    case SListItem::MODEL:
    case SListItem::OBJECT:
    case SListItem::ACTION:
    case SListItem::MACRO:
        return true;
    case SListItem::OBJECT_FOLDER:
    case SListItem::MODEL_FOLDER:
        return s.folder != g_ObjectsTree && s.folder != g_ModelsTree;
    default:
        return false;
    }
}

// The selected item when it is of `kind`, with the name the naming dialog asked for it;
// an empty name when the item is another or the dialog gave none.
std::string NameForSelected(const CEditorTree& tree, SListItem::EKind kind, NameDlg::Kind dialog,
                            SListItem& s)
{
    s = ListItemOf(tree.TreeCtrl::GetSelectedItem());
    return s.kind == kind ? AskName(dialog) : std::string();
}

// After nodes went or changed: the world's bounds and the World Tree's items again.
void RefreshWorld()
{
    if (!g_WorldRoot)
        return;
    RecomputeWorldBounds();
    g_WorldRoot->InsertIntoTree(0);
}

// A new definition's own logic: kind data carrying its name and an empty task list.
void GiveFreshLogic(CObjectNode* definition)
{
    definition->objectLogic = new CObjectLogic;
    definition->objectLogic->objectNode = definition;
    definition->objectLogic->CreateMissingParts(definition->name);
    definition->objectLogic->ownDefinition = 1;
}

// The world's nodes of a definition that shows `action` let go of it.
void ForgetAction(CObjectNode* definition, const CObjectState* action)
{
    if (CurrentState == action)
        CurrentState = nullptr;
    if (definition->objectLogic && definition->objectLogic->animation == action)
        definition->objectLogic->animation = nullptr;
    for (CWorldObject* root : {g_WorldRoot, g_PasteRoot})
        WalkWorldTree(root, [&](CWorldObject* n) {
            if (n->Definition() == definition && n->objectLogic && n->objectLogic->animation == action)
                n->objectLogic->animation = nullptr;
        });
}

// Every world node in the world and the paste buffer that shows the model becomes
// `kind` of `target`.
void RetargetModelUsers(const CModelEntry* entry, int32_t kind, void* target)
{
    for (CWorldObject* root : {g_WorldRoot, g_PasteRoot})
        WalkWorldTree(root, [&](CWorldObject* n) {
            if (n->ModelEntry() == entry) {
                n->objectKind = kind;
                n->reference = target;
            }
        });
}

} // namespace

const char* const kModelFileFilter =
    "Models|*.ma;*.x;*.obj;*.tmf|Maya-Ascii Files|*.ma|Tuv-Model Files|*.tmf|X "
    "Files|*.x|Wavefront-Object Files|*.obj|All Files|*.*|";

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
    tree.setBeginDragCallback([this](HTREEITEM item) { return BeginDrag(item); });
    tree.setCanDropCallback([this](HTREEITEM d, HTREEITEM t) { return CanDrop(d, t); });
    tree.setDropCallback([this](HTREEITEM d, HTREEITEM t) { Drop(d, t); });
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
        // A right click moves the selection too: the object folder follows either way.
        const SListItem s = ListItemOf(n.item);
        if (s.kind == SListItem::OBJECT_FOLDER)
            objectFolder = s.folder;
        else if (s.kind == SListItem::OBJECT || s.kind == SListItem::ACTION)
            objectFolder = s.object->group;
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
        const SListItem s = ListItemOf(item);
        const char* name = MenuOf(s.kind);
        if (!name)
            break;
        if (s.model)
            EditorSelectModel(s.model, false);
        contextMenu = LoadContextMenus();
        platform::ui::Menu* menu = contextMenu ? contextMenu->FindSubMenu(name) : nullptr;
        if (!menu)
            break;
        if (s.kind == SListItem::MODEL) {
            CModelEntry* entry = s.model;
            if (entry->model) {
                menu->CheckMenuItem(ID_COMPLEX, entry->model->AnyMeshWithFlagA());
                menu->CheckMenuItem(ID_SMOOTH, entry->model->AnyMeshWithFlagB());
            }
            menu->CheckMenuItem(ID_INFLUENCES_CAMERA, entry->influencesCamera);
            menu->CheckMenuItem(ID_NO_CAMERA_CHECK, entry->noCameraCheck);
            menu->CheckMenuItem(ID_ANTI_GROUND, entry->antiGround);
        } else if (s.kind == SListItem::ACTION) {
            menu->CheckMenuItem(ID_DEFAULT_ACTION, s.action->flagB != 0);
        } else if (s.folder) {
            // The two folder roots are neither renamed nor deleted.
            const bool root = !LabelEditable(s);
            for (int id : {ID_RENAME_OBJECT_FOLDER, ID_RENAME_MODEL_FOLDER, ID_DELETE_OBJECT_FOLDER,
                           ID_DELETE_MODEL_FOLDER})
                menu->EnableMenuItem(uint32_t(id), !root);
        }
        platform::ui::TrackPopupMenu(*menu, tree.ScreenOriginX() + n.x, tree.ScreenOriginY() + n.y, *this);
        break;
    }
    case TreeCode::KeyDown: {
        const HTREEITEM selected = tree.TreeCtrl::GetSelectedItem();
        if (n.key == VK_F2 && LabelEditable(ListItemOf(selected)))
            tree.EditLabel(selected);
        else if (n.key == VK_F5)
            Refill();
        break;
    }
    case TreeCode::EndLabelEdit:
        if (!n.cancelled && !n.text.empty())
            Rename(n.item, n.text);
        break;
    default:
        break;
    }
}

bool ModelListDlg::OnCommand(int id)
{
    CModelEntry* entry = CurrentModel;
    switch (id) {
    case ID_SAVE_MODEL:
        SaveModel();
        return true;
    case ID_REPLACE_MODEL:
        ReplaceModel();
        return true;
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
    case ID_RENAME_MAKRO:
    case ID_RENAME_OBJECT:
    case ID_RENAME_ACTION:
    case ID_RENAME_OBJECT_FOLDER:
    case ID_RENAME_MODEL_FOLDER: {
        const HTREEITEM selected = tree.TreeCtrl::GetSelectedItem();
        if (LabelEditable(ListItemOf(selected)))
            tree.EditLabel(selected);
        return true;
    }
    case ID_MAKE_OBJECT:
        MakeObjectFromModel();
        return true;
    case ID_REMOVE_ALL_EXCEPT_SELECTION:
        RemoveAllExceptSelection();
        return true;
    case ID_DELETE_MAKRO:
        DeleteMacro();
        return true;
    case ID_DELETE_ALL_MAKROS:
        DeleteAllMacros();
        return true;
    case ID_NEW_OBJECT:
        NewObject();
        return true;
    case ID_NEW_OBJECT_FOLDER:
    case ID_NEW_MODEL_FOLDER:
        NewFolder(id == ID_NEW_OBJECT_FOLDER);
        return true;
    case ID_DELETE_OBJECT_FOLDER:
    case ID_DELETE_MODEL_FOLDER:
        DeleteFolder(id == ID_DELETE_OBJECT_FOLDER);
        return true;
    case ID_DELETE_OBJECT:
        DeleteObject();
        return true;
    case ID_ADD_ACTION:
        AddAction();
        return true;
    case ID_APPLY_ACTIONS:
        ApplyActions();
        return true;
    case ID_DELETE_ACTION:
        DeleteAction();
        return true;
    case ID_LOOPING_ANIM:
    case ID_ONE_SHOT_ANIM:
    case ID_DEFAULT_ACTION: {
        const SListItem s = ListItemOf(tree.TreeCtrl::GetSelectedItem());
        if (s.kind != SListItem::ACTION)
            return true;
        if (id == ID_DEFAULT_ACTION) {
            const uint8_t wasDefault = s.action->flagB;
            for (CObjectState* a = s.object->firstState; a; a = a->next)
                a->flagB = 0;
            s.action->flagB = wasDefault ? 0 : 1;
        } else {
            s.action->flagA = id == ID_ONE_SHOT_ANIM ? 1 : 0;
        }
        return true;
    }
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
        if (id >= ID_SET_DEFAULT_SKELETON_1 && id < ID_SET_DEFAULT_SKELETON_1 + kSkeletonSlots) {
            SetAsDefaultSkeleton(id - ID_SET_DEFAULT_SKELETON_1);
            return true;
        }
        if (id >= ID_USE_SKELETON_1 && id < ID_USE_SKELETON_1 + kSkeletonSlots) {
            UseSkeleton(id - ID_USE_SKELETON_1);
            return true;
        }
        if (id >= 32700 && id < 33100) {
            LogPrintf("Model List command %d is not available yet", id);
            return true;
        }
        return CToolWindow::OnCommand(id);
    }
}

void ModelListDlg::Rename(HTREEITEM item, const std::string& text)
{
    const SListItem s = ListItemOf(item);
    if (!LabelEditable(s))
        return;
    const char* shown = text.c_str();
    switch (s.kind) {
    case SListItem::MODEL:
        s.model->SetName(text.c_str());
        shown = s.model->GetName();
        break;
    case SListItem::OBJECT:
        s.object->SetName(text.c_str());
        // The list shows the name the kind data carry: they take the new one too.
        if (s.object->objectLogic && s.object->objectLogic->ownKindData &&
            !s.object->objectLogic->ownKindData->name.empty())
            s.object->objectLogic->ownKindData->name = text;
        shown = s.object->GetName();
        break;
    case SListItem::ACTION:
        s.action->SetName(text.c_str());
        break;
    case SListItem::MACRO:
        s.macro->SetName(text.c_str());
        break;
    default:
        s.folder->SetName(text.c_str());
        break;
    }
    tree.SetItemText(item, shown ? shown : "");
}

CObjectNode* ModelListDlg::MakeObjectFromModel()
{
    CModelEntry* entry = CurrentModel;
    if (!entry)
        return nullptr;
    auto* definition = new CObjectNode(entry->GetName());
    definition->group = InFolderTree(g_ObjectsTree, objectFolder) ? objectFolder : g_ObjectsTree;
    GiveFreshLogic(definition);
    CObjectState* action = definition->AddState("DUMMY");
    action->modelEntry = entry;
    if (entry->model) {
        action->animStart = entry->model->animationStart;
        action->animEnd = entry->model->animationEnd;
    }
    action->animSpeed = 100;
    Refill();
    EditorSelectObject(definition, nullptr, false);
    return definition;
}

void ModelListDlg::RemoveAllExceptSelection()
{
    CModelEntry* kept = CurrentModel;
    if (!kept || !g_ModelsTree)
        return;
    const CNode* folder = kept->group ? kept->group : g_ModelsTree;
    std::vector<CModelEntry*> doomed;
    WalkModelList(FirstEntry(), [&](CModelEntry* e) {
        if (e->model && !(e->group ? e->group : g_ModelsTree)->IsDescendantOf(folder))
            doomed.push_back(e);
    });
    {
        SWaitCursor wait;
        // Deleting an entry moves its children up: the others stay where they are.
        for (CModelEntry* e : doomed)
            RemoveModel(e);
    }
    RefreshWorld();
    Refill();
}

void ModelListDlg::DeleteMacro()
{
    const SListItem s = ListItemOf(tree.TreeCtrl::GetSelectedItem());
    if (s.kind != SListItem::MACRO)
        return;
    if (CurrentMacro == s.macro)
        ForgetCurrentEntry();
    // The macros filed below it stay in the list.
    s.macro->Delete();
    Refill();
}

void ModelListDlg::DeleteAllMacros()
{
    if (!g_MacroListRoot)
        return;
    if (CurrentMacro)
        ForgetCurrentEntry();
    g_MacroListRoot->DeleteChildren();
    Refill();
}

CObjectNode* ModelListDlg::NewObject()
{
    SListItem s;
    const std::string name = NameForSelected(tree, SListItem::OBJECT_FOLDER, NameDlg::NewObject, s);
    if (name.empty())
        return nullptr;
    auto* definition = new CObjectNode(name.c_str());
    definition->group = s.folder;
    GiveFreshLogic(definition);
    Refill();
    return definition;
}

CNode* ModelListDlg::NewFolder(bool objects)
{
    SListItem s;
    const std::string name = NameForSelected(
        tree, objects ? SListItem::OBJECT_FOLDER : SListItem::MODEL_FOLDER, NameDlg::NewFolder, s);
    if (name.empty())
        return nullptr;
    auto* folder = new CNode(name.c_str());
    s.folder->AddChild(folder);
    Refill();
    return folder;
}

void ModelListDlg::DeleteFolder(bool objects)
{
    const SListItem s = ListItemOf(tree.TreeCtrl::GetSelectedItem());
    // A folder root is one of the world's global trees: it stays.
    if (s.kind != (objects ? SListItem::OBJECT_FOLDER : SListItem::MODEL_FOLDER) || !LabelEditable(s))
        return;
    if (!MessageBoxConfirm("Are you sure you want to delete this folder?"))
        return;
    // What was filed in the folder or below it goes to the folder root.
    std::vector<const CNode*> folders;
    WalkTree(s.folder->firstChild, [&](CNode* f) { folders.push_back(f); });
    folders.push_back(s.folder);
    for (const CNode* f : folders) {
        if (objects) {
            if (g_ObjectList)
                g_ObjectList->ClearReference(f);
        } else {
            WalkModelList(FirstEntry(), [f](CModelEntry* e) {
                if (e->group == f)
                    e->group = nullptr;
            });
        }
        if (objectFolder == f)
            objectFolder = nullptr;
    }
    s.folder->DeleteWithChildren();
    Refill();
}

void ModelListDlg::DeleteObject()
{
    const SListItem s = ListItemOf(tree.TreeCtrl::GetSelectedItem());
    if (s.kind != SListItem::OBJECT)
        return;
    CObjectNode* definition = s.object;
    const bool used = (g_WorldRoot && WorldWalk::FindUserOfObject(g_WorldRoot, definition)) ||
                      (g_PasteRoot && WorldWalk::FindUserOfObject(g_PasteRoot, definition)) ||
                      (g_MacroListRoot && FindMacroUserOfObject(g_MacroListRoot->FirstMacro(), definition));
    if (used && !MessageBoxConfirm("Object is still in use. Delete it anyway?"))
        return;
    {
        SWaitCursor wait;
        // No placed node may keep pointing at the definition that goes.
        RemoveUsers(
            [definition](CWorldObject* root) { return WorldWalk::FindUserOfObject(root, definition); });
        if (g_MacroListRoot)
            DeleteMacroUsersOfObject(g_MacroListRoot->FirstMacro(), definition);
        if (CurrentObject == definition)
            ForgetCurrentEntry();
        delete definition;
    }
    RefreshWorld();
    Refill();
}

CObjectState* ModelListDlg::AddAction()
{
    SListItem s;
    const std::string name = NameForSelected(tree, SListItem::OBJECT, NameDlg::NewAction, s);
    if (name.empty())
        return nullptr;
    CObjectState* action = s.object->AddState(name.c_str());
    Refill();
    return action;
}

int ModelListDlg::ApplyActions()
{
    SListItem s;
    const std::string name = NameForSelected(tree, SListItem::OBJECT, NameDlg::ApplyActions, s);
    if (name.empty())
        return 0;
    int targets = 0;
    for (CObjectNode* target = g_ObjectList; target; target = target->NextDefinition()) {
        CObjectState* named = target == s.object ? nullptr : target->FindState(name.c_str());
        if (!named)
            continue;
        ++targets;
        CModelEntry* model = named->modelEntry;
        for (CObjectState* a = s.object->firstState; a; a = a->next) {
            CObjectState* copy = a->name ? target->FindState(a->name) : nullptr;
            if (!copy)
                copy = target->AddState(a->name);
            copy->value = a->value;
            copy->animStart = a->animStart;
            copy->animEnd = a->animEnd;
            copy->animSpeed = a->animSpeed;
            copy->flagA = a->flagA;
            copy->flagB = 0;
            copy->modelEntry = model;
        }
    }
    Refill();
    return targets;
}

void ModelListDlg::DeleteAction()
{
    const SListItem s = ListItemOf(tree.TreeCtrl::GetSelectedItem());
    if (s.kind != SListItem::ACTION)
        return;
    ForgetAction(s.object, s.action);
    s.object->RemoveState(s.action);
    Refill();
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
    RefreshWorld();
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

void ModelListDlg::SaveModel()
{
    CModelEntry* entry = CurrentModel;
    if (!entry || !entry->model)
        return;
    platform::ui::FileDialog dialog(false, "Tuv-Model Files|*.tmf|");
    if (dialog.DoModal(Owner()) != platform::ui::IDOK)
        return;
    std::filesystem::path path = dialog.GetPathName();
    path.replace_extension(".tmf");
    // The file keeps the coordinates of the textures themselves; the places in the texture
    // pages are fitted again afterwards.
    entry->model->ResetAllTexCoords();
    std::string error;
    const bool saved = entry->model->Save(path.string().c_str(), &error);
    entry->model->RefitAllTexCoords();
    entry->model->Refresh();
    if (!saved) {
        LogPrintf("Saving model '%s' failed: %s", path.string().c_str(), error.c_str());
        MessageBoxWarning("Saving model failed");
    }
}

void ModelListDlg::ReplaceModel()
{
    CModelEntry* entry = CurrentModel;
    if (!entry)
        return;
    platform::ui::FileDialog dialog(true, kModelFileFilter, Settings.modelPath);
    if (dialog.DoModal(Owner()) != platform::ui::IDOK)
        return;
    const std::filesystem::path chosen = dialog.GetPathName();
    Settings.modelPath = chosen.parent_path().string();
    // The Material Manager may show a mesh of the model that goes.
    if (g_MaterialManagerDlg)
        g_MaterialManagerDlg->Forget(nullptr);
    bool replaced = false;
    {
        SWaitCursor wait;
        replaced = ReplaceModelFromFile(entry, chosen.string().c_str());
    }
    if (!replaced) {
        LogPrintf("Replacing model '%s' with '%s' failed", entry->GetName() ? entry->GetName() : "",
                  chosen.string().c_str());
        return;
    }
    Refill();
    if (g_TextureManagerDlg)
        g_TextureManagerDlg->Refresh();
    if (g_WorldRoot)
        RecomputeWorldBounds();
    EditorSelectModel(entry, false);
    entry->linkIndex = -1;
    // The skeleton table again from the entries; every bound model borrows anew, since a
    // replaced skeleton took its old animations with it.
    AnimInfoTable.assign(kSkeletonSlots, nullptr);
    RegisterInTable(FirstEntry());
    ResolveLinkedModels(FirstEntry());
}

void ModelListDlg::SetAsDefaultSkeleton(int slot)
{
    CModelEntry* entry = CurrentModel;
    if (!entry || !entry->model || slot < 0 || slot >= kSkeletonSlots)
        return;
    if (AnimInfoTable.size() < size_t(kSkeletonSlots))
        AnimInfoTable.resize(kSkeletonSlots, nullptr);
    // One slot per entry and one entry per slot: two entries naming one slot would make the
    // saved world bind its models to whichever of them is read last.
    if (entry->animIndex >= 0 && size_t(entry->animIndex) < AnimInfoTable.size() &&
        AnimInfoTable[size_t(entry->animIndex)] == entry)
        AnimInfoTable[size_t(entry->animIndex)] = nullptr;
    if (CModelEntry* previous = AnimInfoTable[size_t(slot)]; previous && previous != entry)
        previous->animIndex = -1;
    entry->animIndex = slot;
    AnimInfoTable[size_t(slot)] = entry;
}

void ModelListDlg::UseSkeleton(int slot)
{
    CModelEntry* entry = CurrentModel;
    if (!entry || !entry->model || slot < 0 || slot >= kSkeletonSlots)
        return;
    if (!entry->model->HasAnimationIn(slot)) {
        MessageBoxError("Skeleton not compatible");
        return;
    }
    entry->linkIndex = slot;
    LinkToSkeleton(entry);
}

bool ModelListDlg::BeginDrag(HTREEITEM item)
{
    const bool model = EntryOf(item) != nullptr, object = ObjectOf(item) != nullptr;
    if (!model && !object)
        return false;
    if (EditorShiftHeld())
        dragMode = DRAG_MERGE;
    else
        dragMode = model ? DRAG_MODELS_TO_FOLDER : DRAG_OBJECTS_TO_FOLDER;
    return true;
}

bool ModelListDlg::CanDrop(HTREEITEM dragged, HTREEITEM target) const
{
    switch (dragMode) {
    case DRAG_MERGE: {
        if (!EntryOf(target) && !ObjectOf(target))
            return false;
        if (target == dragged)
            return false;
        for (HTREEITEM item : tree.selection())
            if (item == target)
                return false;
        return true;
    }
    case DRAG_OBJECTS_TO_FOLDER:
        return FolderOf(g_ObjectsTree, target) != nullptr;
    case DRAG_MODELS_TO_FOLDER:
        return FolderOf(g_ModelsTree, target) != nullptr;
    default:
        return false;
    }
}

void ModelListDlg::Drop(HTREEITEM dragged, HTREEITEM target)
{
    std::vector<HTREEITEM> items = tree.selection();
    if (items.empty())
        items.push_back(dragged);
    if (dragMode == DRAG_MODELS_TO_FOLDER || dragMode == DRAG_OBJECTS_TO_FOLDER) {
        CNode* folder = FolderOf(dragMode == DRAG_MODELS_TO_FOLDER ? g_ModelsTree : g_ObjectsTree, target);
        if (!folder)
            return;
        for (HTREEITEM item : items) {
            if (dragMode == DRAG_MODELS_TO_FOLDER) {
                if (CModelEntry* e = EntryOf(item))
                    e->group = folder;
            } else if (CObjectNode* d = ObjectOf(item)) {
                d->group = folder;
            }
        }
        Refill();
        return;
    }
    char question[512];
    CModelEntry* targetModel = EntryOf(target);
    CObjectNode* targetObject = targetModel ? nullptr : ObjectOf(target);
    if (targetModel) {
        std::snprintf(question, sizeof question, "Are you sure you want replace %d models with model '%s'?",
                      int(items.size()), targetModel->GetName() ? targetModel->GetName() : "");
    } else if (targetObject) {
        std::snprintf(question, sizeof question,
                      "Are you sure you want replace %d models/objects with object '%s'?", int(items.size()),
                      targetObject->GetName() ? targetObject->GetName() : "");
    } else {
        return;
    }
    if (!MessageBoxConfirm(question))
        return;
    const char* targetName = targetModel ? targetModel->GetName() : targetObject->GetName();
    for (HTREEITEM item : items) {
        CModelEntry* model = EntryOf(item);
        CObjectNode* object = model ? nullptr : ObjectOf(item);
        if ((!model && !object) || (model && model == targetModel) || (object && object == targetObject))
            continue;
        const char* name = model ? model->GetName() : object->GetName();
        LogPrintf("Merging '%s' with '%s'", name ? name : "", targetName ? targetName : "");
        if (targetModel) {
            // Only models merge into a model: the entry gives way to the target everywhere.
            if (!model)
                continue;
            RetargetModelUsers(model, CWorldObject::KIND_MODEL, targetModel);
            for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition())
                d->ReplaceModelEntryInStates(model, targetModel);
            if (g_MacroListRoot)
                ReplaceMacroModel(g_MacroListRoot->FirstMacro(), model, targetModel);
            ClearLinkTo(FirstEntry(), model);
            if (CurrentModel == model)
                ForgetCurrentEntry();
            model->Delete();
        } else if (model) {
            RetargetModelUsers(model, CWorldObject::KIND_OBJECT, targetObject);
        } else {
            WalkWorldTree(g_WorldRoot, [&](CWorldObject* n) {
                if (n->Definition() == object)
                    n->reference = targetObject;
            });
        }
    }
    if (g_WorldRoot)
        CreateMissingObjectLogic(g_WorldRoot);
    RefreshWorld();
    Refill();
}
