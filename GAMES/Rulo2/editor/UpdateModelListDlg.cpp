#include "GAMES/Rulo2/editor/UpdateModelListDlg.h"

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/editor/EditorDialogs.h"
#include "GAMES/Rulo2/editor/ToolWindows.h"
#include "GAMES/Rulo2/navigation/StreetNet.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ModelListServices.h"
#include "GAMES/Rulo2/world/WaitCursor.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/LogPrintf.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

using platform::ui::ControlKind;

namespace {

bool SameText(const char* a, const char* b)
{
    return std::strcmp(a ? a : "", b ? b : "") == 0;
}

// The folder path of a definition or entry ("\Objects\Doors"); the tree's root for none.
std::string FolderPath(const CNode* folder, const CNode* root)
{
    return GetPath(folder ? folder : root);
}

// The folder of `path` below `root` (whose own name leads the path), made when missing.
CNode* EnsureFolder(CNode* root, const std::string& path)
{
    CNode* current = root;
    size_t start = path.find('\\', 1);
    while (start != std::string::npos && start + 1 < path.size()) {
        const size_t end = std::min(path.find('\\', start + 1), path.size());
        const std::string component = path.substr(start + 1, end - start - 1);
        CNode* found = nullptr;
        for (CNode* c = current->firstChild; c && !found; c = c->next)
            if (SameText(c->name, component.c_str()))
                found = c;
        if (!found) {
            found = new CNode(component.c_str());
            current->AddChild(found);
        }
        current = found;
        start = end < path.size() ? end : std::string::npos;
    }
    return current;
}

CObjectNode* FindObject(CObjectNode* list, const char* name, const std::string& path, const CNode* root)
{
    for (CObjectNode* d = list; d; d = d->NextDefinition())
        if (SameText(d->GetName(), name) && FolderPath(d->group, root) == path)
            return d;
    return nullptr;
}

CModelEntry* FindModel(CModelEntry* root, const char* name, const std::string& path, const CNode* tree)
{
    CModelEntry* found = nullptr;
    if (root)
        WalkModelList(root->FirstEntry(), [&](CModelEntry* e) {
            if (SameText(e->name, name) && FolderPath(e->group, tree) == path)
                found = e;
            return !found;
        });
    return found;
}

// Everything the installed globals hold, with their roots; the globals are empty afterwards.
void ReleaseInstalledWorld()
{
    delete g_WorldRoot;
    g_WorldRoot = nullptr;
    while (g_ObjectList)
        delete g_ObjectList;
    delete g_MacroListRoot;
    g_MacroListRoot = nullptr;
    delete g_ModelListRoot;
    g_ModelListRoot = nullptr;
    delete g_ModelsTree;
    g_ModelsTree = nullptr;
    delete g_ObjectsTree;
    g_ObjectsTree = nullptr;
    CTexturePage::DeleteAll();
    while (CTexture::First())
        delete CTexture::First();
}

// The load numbered the other world's objects, registered its models' animations and
// built its streets: the current world's come back, so that nothing points into the
// other world once it is released.
void RestoreCurrentWorldTables()
{
    CountWorldObjects(g_WorldRoot);
    AnimInfoTable.assign(5, nullptr);
    if (g_ModelListRoot)
        RegisterInTable(g_ModelListRoot->FirstEntry());
    StreetNet.Build(g_WorldRoot);
}

// The materials of a model tree in walk order.
std::vector<CMeshMaterial*> Materials(CModelNode* model)
{
    std::vector<CMeshMaterial*> materials;
    WalkMeshTree(model, [&](CMeshNode* mesh) {
        for (int32_t i = 0; i < mesh->materialCount; ++i)
            materials.push_back(&mesh->materials[i]);
    });
    return materials;
}

} // namespace

bool CopyUsedTexturePages(CRootNode* model, const SWorldGlobals& from, PageCopies& copies, std::string* error)
{
    for (CTexturePage* p = from.pages; p; p = p->next)
        p->used = false;
    for (CTexture* t = from.firstTexture; t; t = t->next)
        t->used = false;
    model->MarkUsedTextures();
    // A page copied before for another model of the same copy is used again.
    std::vector<CTexturePage*> wanted;
    for (CTexturePage* p = from.pages; p; p = p->next) {
        if (p->used && copies.count(p))
            p->used = false;
        if (p->used)
            wanted.push_back(p);
    }
    if (wanted.empty())
        return true;
    CTexturePage* last = nullptr;
    int32_t highest = 0;
    for (CTexturePage* p = CTexturePage::First(); p; p = p->next) {
        last = p;
        highest = std::max(highest, p->number);
    }
    const std::string path = MakeTempFileName();
    if (path.empty()) {
        if (error)
            *error = "no temporary file can be made";
        return false;
    }
    const bool read =
        SaveUsedTexturePageFile(from.pages, path.c_str(), error) && LoadTexturePageFile(path.c_str(), error);
    std::remove(path.c_str());
    // The section is written and read in list order: the n-th page read is the n-th used one.
    size_t n = 0;
    for (CTexturePage* p = last ? last->next : CTexturePage::First(); p; p = p->next, ++n) {
        p->number = ++highest;
        if (n < wanted.size())
            copies[wanted[n]] = p;
    }
    if (read && n != wanted.size() && error)
        *error = "the texture-pages read back are not the ones written";
    return read && n == wanted.size();
}

void BindCopiedPages(CRootNode* source, CRootNode* copy, const PageCopies& copies)
{
    const std::vector<CMeshMaterial*> from = Materials(source), to = Materials(copy);
    for (size_t i = 0; i < from.size() && i < to.size(); ++i) {
        const auto it = from[i]->page ? copies.find(from[i]->page) : copies.end();
        if (it == copies.end())
            continue;
        to[i]->page = it->second;
        to[i]->pageNumber = it->second->number;
    }
}

SWorldGlobals SWorldGlobals::Current()
{
    SWorldGlobals set;
    set.world = g_WorldRoot;
    set.models = g_ModelListRoot;
    set.objects = g_ObjectList;
    set.macros = g_MacroListRoot;
    set.modelsTree = g_ModelsTree;
    set.objectsTree = g_ObjectsTree;
    set.firstTexture = CTexture::First();
    set.lastTexture = CTexture::Last();
    set.pages = CTexturePage::First();
    return set;
}

void SWorldGlobals::Install() const
{
    g_WorldRoot = world;
    g_ModelListRoot = models;
    g_ObjectList = objects;
    g_MacroListRoot = macros;
    g_ModelsTree = modelsTree;
    g_ObjectsTree = objectsTree;
    CTexture::SetFirst(firstTexture);
    CTexture::SetLast(lastTexture);
    CTexturePage::SetFirst(pages);
}

UpdateModelListDlg::UpdateModelListDlg(std::string otherWorld)
    : Dialog(IDD, "Update Model-List", 560, 330), path_(std::move(otherWorld))
{
    AddControl(ControlKind::ListBox, kLeft, "", 8, 8, 230, 300);
    AddControl(ControlKind::Button, kExport, "Export -->", 244, 120, 72, 24);
    AddControl(ControlKind::Button, kImport, "<-- Import", 244, 160, 72, 24);
    AddControl(ControlKind::ListBox, kRight, "", 322, 8, 230, 300);
}

bool UpdateModelListDlg::OnInitDialog()
{
    SWaitCursor wait;
    current_ = SWorldGlobals::Current();
    // The other world is read into empty globals of its own.
    SWorldGlobals empty;
    empty.world = new CWorldObject;
    empty.models = new CModelEntry;
    empty.macros = new CMacro;
    empty.modelsTree = new CNode("Models");
    empty.objectsTree = new CNode("Objects");
    empty.Install();
    std::string error;
    if (!LoadWorld(path_.c_str(), LOADWORLD_ADD, &error)) {
        LogPrintf("Update Model-List: %s", error.c_str());
        ReleaseInstalledWorld();
        current_.Install();
        RestoreCurrentWorldTables();
        return true;
    }
    loaded_ = true;
    other_ = SWorldGlobals::Current();
    current_.Install();
    RestoreCurrentWorldTables();
    Fill();
    return true;
}

UpdateModelListDlg::~UpdateModelListDlg()
{
    if (!loaded_)
        return;
    const SWorldGlobals kept = SWorldGlobals::Current();
    other_.Install();
    if (modified_) {
        SWaitCursor wait;
        std::string error;
        if (!SaveWorld(path_.c_str(), &error)) {
            LogPrintf("Update Model-List: %s", error.c_str());
            MessageBoxError("Saving world with exported models failed!");
        }
    }
    ReleaseInstalledWorld();
    kept.Install();
}

void UpdateModelListDlg::FillList(int list, const SWorldGlobals& set, std::vector<SRow>& rows)
{
    rows.clear();
    platform::ui::Control* control = GetDlgItem(list);
    control->list.clear();
    control->selection = -1;
    for (CObjectNode* d = set.objects; d; d = d->NextDefinition()) {
        rows.push_back({d, nullptr});
        control->list.push_back(FolderPath(d->group, set.objectsTree) + "\\" +
                                (d->GetName() ? d->GetName() : ""));
    }
    if (set.models)
        WalkModelList(set.models->FirstEntry(), [&](CModelEntry* e) {
            rows.push_back({nullptr, e});
            control->list.push_back(FolderPath(e->group, set.modelsTree) + "\\" + (e->name ? e->name : ""));
            return true;
        });
}

void UpdateModelListDlg::Fill()
{
    FillList(kRight, other_, rightRows_);
    FillList(kLeft, current_, leftRows_);
    leftSelected_.clear();
    rightSelected_.clear();
}

std::vector<std::string> UpdateModelListDlg::Rows(int list) const
{
    const platform::ui::Control* control = GetDlgItem(list);
    return control ? control->list : std::vector<std::string>();
}

void UpdateModelListDlg::SelectRows(int list, const std::vector<int>& rows)
{
    (list == kLeft ? leftSelected_ : rightSelected_) = rows;
}

bool UpdateModelListDlg::OnCommand(int id)
{
    switch (id) {
    case kLeft:
    case kRight: {
        // A click on a row adds it to the selection or takes it out again.
        const int row = GetDlgItem(id)->selection;
        std::vector<int>& selected = id == kLeft ? leftSelected_ : rightSelected_;
        const auto it = std::find(selected.begin(), selected.end(), row);
        if (it != selected.end())
            selected.erase(it);
        else if (row >= 0)
            selected.push_back(row);
        return true;
    }
    case kExport:
        Export();
        return true;
    case kImport:
        Import();
        return true;
    default:
        return Dialog::OnCommand(id);
    }
}

int UpdateModelListDlg::AskConflict(const std::string& text, bool exporting)
{
    if (exporting) {
        const int answer = MessageBoxYesNoCancel(text.c_str());
        return answer == platform::IDYES ? 1 : answer == platform::IDNO ? 3 : -1;
    }
    // Yes to all and No to all answer every further conflict of this import.
    if (lastAnswer_ == -1 || lastAnswer_ == 1 || lastAnswer_ == 3)
        lastAnswer_ = ShowPromptDialog(text);
    return lastAnswer_;
}

bool UpdateModelListDlg::Copy(const std::vector<SRow>& rows, const SWorldGlobals& from, SWorldGlobals& to,
                              bool exporting)
{
    const SWorldGlobals home = SWorldGlobals::Current();
    // The copy may change the heads of `to`'s lists: if they were the installed
    // ones, they stay installed as the copy leaves them.
    const bool toWasHome = home.world == to.world;
    to.Install();
    bool stopped = false;
    std::vector<CModelEntry*> models;
    // Each state's model in the world it came from, to be bound to its copy afterwards.
    std::vector<std::pair<CObjectState*, CModelEntry*>> stateModels;
    for (const SRow& row : rows)
        if (row.model && std::find(models.begin(), models.end(), row.model) == models.end())
            models.push_back(row.model);
    for (const SRow& row : rows) {
        if (!row.object)
            continue;
        CObjectNode* source = row.object;
        const std::string path = FolderPath(source->group, from.objectsTree);
        CObjectNode* existing = FindObject(g_ObjectList, source->GetName(), path, g_ObjectsTree);
        if (existing) {
            const int answer = AskConflict(
                "Object '" + std::string(source->GetName()) + "' already exists. Replace it?", exporting);
            if (answer == -1) {
                stopped = true;
                break;
            }
            if (answer != 1 && answer != 2)
                continue;
        }
        CObjectNode* copy = source->Clone();
        if (!copy) {
            LogPrintf("Update Model-List: object '%s' cannot be copied", source->GetName());
            continue;
        }
        CObjectNode* target = copy;
        if (existing) {
            // The existing definition keeps its place (placed objects refer to it) and takes
            // the copy's states and data.
            while (existing->firstState)
                existing->RemoveState(existing->firstState);
            existing->firstState = copy->firstState;
            copy->firstState = nullptr;
            delete existing->objectLogic;
            existing->objectLogic = copy->objectLogic;
            copy->objectLogic = nullptr;
            existing->word = copy->word;
            delete copy;
            target = existing;
        }
        target->group = EnsureFolder(g_ObjectsTree, path);
        target->groupPath = path;
        if (target->objectLogic)
            target->objectLogic->objectNode = target;
        CObjectState* mine = source->firstState;
        for (CObjectState* s = target->firstState; s && mine; s = s->next, mine = mine->next) {
            stateModels.emplace_back(s, mine->modelEntry);
            if (mine->modelEntry && std::find(models.begin(), models.end(), mine->modelEntry) == models.end())
                models.push_back(mine->modelEntry);
            s->modelEntry = nullptr;
        }
        if (exporting)
            modified_ = true;
    }
    std::map<CModelEntry*, CModelEntry*> copies;
    PageCopies pages;
    for (CModelEntry* source : models) {
        if (stopped)
            break;
        const std::string path = FolderPath(source->group, from.modelsTree);
        CModelEntry* entry = FindModel(g_ModelListRoot, source->name, path, g_ModelsTree);
        if (entry) {
            const int answer = AskConflict("Model '" + std::string(source->name ? source->name : "") +
                                               "' already exists. Replace it?",
                                           exporting);
            if (answer == -1) {
                stopped = true;
                break;
            }
            copies[source] = entry;
            if (answer != 1 && answer != 2)
                continue;
        }
        std::string error;
        // The pages the model shows go with it, so that it looks the same there.
        if (source->model && !CopyUsedTexturePages(source->model, from, pages, &error)) {
            LogPrintf("Update Model-List: the texture-pages of model '%s' cannot be copied: %s", source->name,
                      error.c_str());
            stopped = true;
            break;
        }
        CRootNode* model = source->model ? CopyModelThroughTempFile(source->model, &error) : nullptr;
        if (model)
            BindCopiedPages(source->model, model, pages);
        if (source->model && !model) {
            LogPrintf("Update Model-List: model '%s' cannot be copied: %s", source->name, error.c_str());
            stopped = true;
            break;
        }
        if (!entry) {
            entry = new CModelEntry;
            entry->SetName(source->name);
            entry->group = EnsureFolder(g_ModelsTree, path);
            entry->groupPath = path;
            g_ModelListRoot->AddChild(entry);
        } else {
            delete entry->model;
        }
        entry->model = model;
        entry->influencesCamera = source->influencesCamera;
        entry->noCameraCheck = source->noCameraCheck;
        entry->antiGround = source->antiGround;
        entry->points = source->points;
        delete entry->camera;
        entry->camera = source->camera ? new SModelCamera(*source->camera) : nullptr;
        ValidateModel(entry);
        copies[source] = entry;
        if (exporting)
            modified_ = true;
    }
    // A model left out (skipped, or the copy stopped first) binds to the one of its name there, if any.
    for (const auto& [state, source] : stateModels) {
        const auto it = source ? copies.find(source) : copies.end();
        state->modelEntry = it != copies.end() ? it->second
                            : source           ? FindModel(g_ModelListRoot, source->name,
                                                           FolderPath(source->group, from.modelsTree), g_ModelsTree)
                                               : nullptr;
    }
    to = SWorldGlobals::Current();
    if (!toWasHome)
        home.Install();
    return !stopped;
}

void UpdateModelListDlg::Export()
{
    if (!loaded_)
        return;
    std::vector<SRow> rows;
    for (int i : leftSelected_)
        if (i >= 0 && i < int(leftRows_.size()))
            rows.push_back(leftRows_[size_t(i)]);
    Copy(rows, current_, other_, true);
    Fill();
}

void UpdateModelListDlg::Import()
{
    if (!loaded_)
        return;
    std::vector<SRow> rows;
    for (int i : rightSelected_)
        if (i >= 0 && i < int(rightRows_.size()))
            rows.push_back(rightRows_[size_t(i)]);
    lastAnswer_ = -1;
    Copy(rows, other_, current_, false);
    Fill();
}

void UpdateModelList(const std::string& otherWorld)
{
    if (otherWorld.empty())
        return;
    {
        UpdateModelListDlg dialog(otherWorld);
        dialog.DoModal(platform::GetApp() ? platform::GetApp()->m_pMainWnd : nullptr);
    }
    // Imports changed the current world's lists.
    RefillToolWindowsAfterLoad();
}
