#include "GAMES/Rulo2/world/ModelListServices.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/world/CMacro.h"
#include "GAMES/Rulo2/world/CMeshMaterials.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ModelImport.h"
#include "GAMES/Rulo2/world/SnapPoints.h"
#include "GAMES/Rulo2/world/TreeControl.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"
#include "LIBS/System/LogPrintf.h"

std::vector<std::string> VariantNames;
std::vector<CModelEntry*>& ModelIndexTable = g_ModelTable;
std::vector<CModelEntry*> AnimInfoTable;
SModelListView ModelListView;

// ---------------------------------------------------------------- names

namespace {

const char* NameOf(const CNode* node)
{
    return node ? node->name : nullptr;
}

// The first " - " with at least one character behind it.
const char* SuffixDash(const char* name)
{
    if (!name)
        return nullptr;
    for (const char* p = std::strstr(name, " - "); p; p = std::strstr(p + 1, " - "))
        if (p[3] != '\0')
            return p;
    return nullptr;
}

bool SameOrAny(const char* wanted, const std::string& have, bool has)
{
    return !wanted || (has && have == wanted);
}

template <class Visit>
bool FindEntry(CModelEntry* first, Visit&& match, CModelEntry** out)
{
    return !WalkModelList(first, [&](CModelEntry* e) {
        if (!match(e))
            return true;
        *out = e;
        return false;
    });
}

struct SNameParts
{
    std::string base, variant, suffix;
    bool hasVariant = false, hasSuffix = false;
};

SNameParts PartsOf(const CNode* node)
{
    SNameParts parts;
    GetBaseName(node, parts.base);
    parts.hasVariant = GetBracketedPart(node, parts.variant);
    if (const char* s = GetNameAfterDash(node)) {
        parts.suffix = s;
        parts.hasSuffix = true;
    }
    return parts;
}

} // namespace

bool HasBracketedPart(const CNode* node)
{
    const char* name = NameOf(node);
    const char* open = name ? std::strchr(name, '[') : nullptr;
    return open && std::strchr(open + 1, ']');
}

bool GetBracketedPart(const CNode* node, std::string& out)
{
    if (!HasBracketedPart(node))
        return false;
    const char* open = std::strchr(node->name, '[');
    const char* close = std::strchr(open + 1, ']');
    out.assign(open + 1, close);
    return true;
}

bool GetBaseName(const CNode* node, std::string& out)
{
    const char* name = NameOf(node);
    if (!name)
        return false;
    size_t end = std::strlen(name);
    if (const char* open = std::strchr(name, '['))
        end = std::min(end, size_t(open - name));
    if (const char* dash = std::strstr(name, " - "))
        end = std::min(end, size_t(dash - name));
    out.assign(name, end);
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return true;
}

const char* GetNameAfterDash(const CNode* node)
{
    const char* name = NameOf(node);
    if (!name || std::strlen(name) < 4)
        return nullptr;
    const char* dash = SuffixDash(name);
    return dash ? dash + 3 : nullptr;
}

void StripSuffix(CModelEntry* entry)
{
    if (!entry || !entry->name)
        return;
    const char* dash = std::strstr(entry->name, " - ");
    if (!dash)
        return;
    const std::string cut(entry->name, std::min<size_t>(size_t(dash - entry->name), 255));
    entry->SetName(cut.c_str());
}

// ---------------------------------------------------------------- variants

CModelEntry* FindByBaseName(CModelEntry* first, const char* base, const char* variant, const char* suffix)
{
    CModelEntry* found = nullptr;
    FindEntry(
        first,
        [&](CModelEntry* e) {
            const SNameParts p = PartsOf(e);
            return base && p.base == base && SameOrAny(variant, p.variant, p.hasVariant) &&
                   SameOrAny(suffix, p.suffix, p.hasSuffix);
        },
        &found);
    return found;
}

void CollectVariantNames(CModelEntry* first, const char* base, const char* suffix)
{
    WalkModelList(first, [&](CModelEntry* e) {
        const SNameParts p = PartsOf(e);
        if (!p.hasVariant || !base || p.base != base || !SameOrAny(suffix, p.suffix, p.hasSuffix))
            return;
        if (std::find(VariantNames.begin(), VariantNames.end(), p.variant) == VariantNames.end())
            VariantNames.push_back(p.variant);
    });
}

void CollectInstanceVariantNames(CWorldObject* first, CModelEntry* modelList, bool onlySelected)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (CModelEntry* entry = n->ModelEntry())
            if (!onlySelected || n->selected) {
                const SNameParts p = PartsOf(entry);
                CollectVariantNames(modelList, p.base.c_str(), p.hasSuffix ? p.suffix.c_str() : nullptr);
            }
        if (CWorldObject* c = n->FirstObject())
            CollectInstanceVariantNames(c, modelList, onlySelected);
    }
}

namespace {

// The entry without a variant: base and suffix equal, no bracketed part.
CModelEntry* FindPlain(CModelEntry* first, const SNameParts& like)
{
    CModelEntry* found = nullptr;
    FindEntry(
        first,
        [&](CModelEntry* e) {
            const SNameParts p = PartsOf(e);
            return !p.hasVariant && p.base == like.base && p.hasSuffix == like.hasSuffix &&
                   p.suffix == like.suffix;
        },
        &found);
    return found;
}

} // namespace

void ReplaceModelsByBaseName(CWorldObject* first, CModelEntry* modelList, const char* variant,
                             bool onlySelected)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        CModelEntry* entry = n->ModelEntry();
        if (entry && (!onlySelected || n->selected)) {
            const SNameParts p = PartsOf(entry);
            CModelEntry* replacement = nullptr;
            if (variant)
                replacement = FindByBaseName(modelList, p.base.c_str(), variant, nullptr);
            else if (p.hasVariant)
                replacement = FindPlain(modelList, p);
            if (replacement && variant) {
                // The suffix must match too, and an entry without one only matches another without.
                const SNameParts r = PartsOf(replacement);
                if (r.hasSuffix != p.hasSuffix || r.suffix != p.suffix) {
                    replacement = nullptr;
                    FindEntry(
                        modelList,
                        [&](CModelEntry* e) {
                            const SNameParts q = PartsOf(e);
                            return q.base == p.base && q.hasVariant && q.variant == variant &&
                                   q.hasSuffix == p.hasSuffix && q.suffix == p.suffix;
                        },
                        &replacement);
                }
            }
            if (replacement)
                n->reference = replacement;
        }
        if (CWorldObject* c = n->FirstObject())
            ReplaceModelsByBaseName(c, modelList, variant, onlySelected);
    }
}

int32_t CountVariants(CModelEntry* first, const char* base)
{
    int32_t count = 0;
    WalkModelList(first, [&](CModelEntry* e) {
        const SNameParts p = PartsOf(e);
        if (p.hasVariant && base && p.base == base)
            ++count;
    });
    return count;
}

CModelEntry* CompareBaseNames(CModelEntry* first, const CNode* node)
{
    if (!node || !node->name)
        return nullptr;
    const SNameParts like = PartsOf(node);
    CModelEntry* found = nullptr;
    FindEntry(
        first,
        [&](CModelEntry* e) {
            if (e == node)
                return false;
            const SNameParts p = PartsOf(e);
            return e->name && p.base == like.base && p.hasSuffix == like.hasSuffix && p.suffix == like.suffix;
        },
        &found);
    return found;
}

int32_t MatchBaseNames(CModelEntry* first, const CNode* node, std::vector<CModelEntry*>& out)
{
    if (!node || !node->name)
        return 0;
    const SNameParts like = PartsOf(node);
    int32_t count = 0;
    WalkModelList(first, [&](CModelEntry* e) {
        const SNameParts p = PartsOf(e);
        if (e->name && p.base == like.base && p.hasSuffix == like.hasSuffix && p.suffix == like.suffix) {
            out.push_back(e);
            ++count;
        }
    });
    return count;
}

// ---------------------------------------------------------------- model-list walkers

CModelEntry* FindEntryById(CModelEntry* first, uint32_t id)
{
    CModelEntry* found = nullptr;
    FindEntry(
        first, [id](CModelEntry* e) { return e->id == id; }, &found);
    return found;
}

CModelEntry* FindByNameAndPath(CModelEntry* first, const char* name, const char* path)
{
    CModelEntry* found = nullptr;
    FindEntry(
        first,
        [&](CModelEntry* e) {
            return name && path && e->name && std::strcmp(e->name, name) == 0 &&
                   GetPath(e->group ? e->group : g_ModelsTree) == path;
        },
        &found);
    return found;
}

void RegisterByIndex(CModelEntry* first)
{
    ModelIndexTable.assign(1, nullptr);
    WalkModelList(first, [](CModelEntry* e) {
        if (e->index == 0 || e->index == NODE_INDEX_EXCLUDED)
            return;
        if (ModelIndexTable.size() <= e->index)
            ModelIndexTable.resize(size_t(e->index) + 1, nullptr);
        ModelIndexTable[e->index] = e;
    });
}

void RegisterInTable(CModelEntry* first)
{
    WalkModelList(first, [](CModelEntry* e) {
        if (e->animIndex < 0)
            return;
        // A damaged file's slot must not size the table; the entry keeps its
        // number and is only left out.
        if (e->animIndex >= kMaxAnimSlot) {
            LogPrintf("Model '%s': animation slot %d out of range, not registered",
                      e->GetName() ? e->GetName() : "", e->animIndex);
            return;
        }
        if (AnimInfoTable.size() <= size_t(e->animIndex))
            AnimInfoTable.resize(size_t(e->animIndex) + 1, nullptr);
        AnimInfoTable[size_t(e->animIndex)] = e;
    });
}

void ResetCopyNumbers(CModelEntry* first)
{
    WalkModelList(first, [](CModelEntry* e) { e->copyNumber = -1; });
}

void LinkToSkeleton(CModelEntry* e)
{
    if (!e || !e->model || e->linkIndex < 0 || size_t(e->linkIndex) >= AnimInfoTable.size())
        return;
    CModelEntry* linked = AnimInfoTable[size_t(e->linkIndex)];
    if (!linked || !linked->model || linked == e)
        return;
    e->model->RemoveAnimation();
    linked->model->LendAnimationTo(e->model);
    float start = 100000.0f, end = -100000.0f;
    e->model->GetAnimationStart(start);
    e->model->GetAnimationEnd(end);
    if (end - start > 0.0f) {
        e->model->animationStart = start;
        e->model->animationEnd = end;
        e->model->animated = 1;
    } else {
        e->model->animated = 0;
    }
}

void ResolveLinkedModels(CModelEntry* first)
{
    WalkModelList(first, [](CModelEntry* e) { LinkToSkeleton(e); });
}

void ValidateModel(CModelEntry* first)
{
    WalkModelList(first, [](CModelEntry* e) {
        if (!e->model)
            return;
        e->model->Prepare();
        ClassifyModelEntry(e);
    });
}

void ReleaseVertexBuffers(CModelEntry* first)
{
    WalkModelList(first, [](CModelEntry* e) {
        if (e->model)
            e->model->ReleaseVertexBuffer();
        e->useCount = 0;
    });
}

void RefitAllTexturesInModels(CModelEntry* first)
{
    WalkModelList(first, [](CModelEntry* e) {
        if (!e->model)
            return;
        e->model->RefitAllTexCoords();
        e->model->Refresh();
    });
}

void RemoveTextureFromModels(CModelEntry* first, CTexturePage* page, int32_t entry)
{
    WalkModelList(first, [&](CModelEntry* e) {
        if (!e->model)
            return;
        e->model->RemoveTexture(page, entry);
        e->model->Refresh();
    });
}

void RefitTextureInModels(CModelEntry* first, CTexturePage* page, int32_t entry)
{
    WalkModelList(first, [&](CModelEntry* e) {
        if (!e->model || !e->model->IsTextureUsed(page, entry))
            return;
        e->model->RefitTextureCoords(page, entry);
        e->model->Refresh();
    });
}

bool IsTextureUsedByModels(CModelEntry* first, CTexturePage* page, int32_t entry)
{
    CModelEntry* found = nullptr;
    return FindEntry(
        first, [&](CModelEntry* e) { return e->model && e->model->IsTextureUsed(page, entry); }, &found);
}

void ClearLinkTo(CModelEntry* first, const CModelEntry* target)
{
    if (!target || target->animIndex < 0)
        return;
    WalkModelList(first, [target](CModelEntry* e) {
        if (e->linkIndex == target->animIndex)
            e->linkIndex = -1;
    });
}

bool ReplaceModelFromFile(CModelEntry* entry, const char* path)
{
    if (!entry || !path)
        return false;
    const char* dot = std::strrchr(path, '.');
    CRootNode* loaded = nullptr;
    if (dot && strcasecmp(dot, ".tmf") == 0)
        loaded = LoadTmf(path);
    else
        loaded = ImportModelFile(path);
    if (!loaded)
        return false;
    entry->SetName(loaded->name);
    delete entry->model;
    entry->model = loaded;
    return true;
}

void RepairModel(CModelEntry* first)
{
    WalkModelList(first, [](CModelEntry* e) {
        if (!e->model)
            return;
        ValidateModel(e);
        if (e->model->vertexCount == 0)
            ValidateModel(e);
    });
}

void ApplyToModelsSlot14(CModelEntry* first, CTexture* texture)
{
    WalkModelList(first, [&](CModelEntry* e) {
        if (!e->model)
            return;
        e->model->ResetTextureCoords(texture);
        e->model->Refresh();
    });
}

void ApplyToModelsSlot18(CModelEntry* first, CTexturePage* oldPage, CTexturePage* newPage)
{
    WalkModelList(first, [&](CModelEntry* e) {
        if (!e->model)
            return;
        e->model->ReplacePage(oldPage, newPage);
        e->model->Refresh();
    });
}

void ApplyToModelsSlot41(CModelEntry* first)
{
    WalkModelList(first, [](CModelEntry* e) {
        if (e->model)
            e->model->MarkUsedTextures();
    });
}

namespace {

template <class Match>
int32_t SelectWhere(CModelEntry* first, Match&& match)
{
    CTreeControl* tree = ModelListView.control;
    int32_t selected = 0;
    WalkModelList(first, [&](CModelEntry* e) {
        if (!e->model)
            return;
        std::vector<STextureUse> uses;
        int32_t paged = 0, unpaged = 0;
        e->model->CollectTextures(uses, paged, unpaged);
        if (std::none_of(uses.begin(), uses.end(), match))
            return;
        ++selected;
        if (tree && e->id) {
            tree->AddToSelection(e->id);
            tree->EnsureVisible(e->id);
        }
    });
    return selected;
}

} // namespace

int32_t SelectUsersInTree(CModelEntry* first, const CTexturePage* page)
{
    return SelectWhere(first, [page](const STextureUse& u) { return page && u.page == page; });
}

int32_t SelectInTreeByTexture(CModelEntry* first, const CTexture* texture)
{
    return SelectWhere(
        first, [texture](const STextureUse& u) { return texture && !u.page && u.texture == texture; });
}

int32_t SelectInTreeByMaterial(CModelEntry* first, const CMeshMaterial& material)
{
    if (material.page)
        return SelectUsersInTree(first, material.page);
    return SelectInTreeByTexture(first, material.texture);
}

int32_t SelectInTreeByModel(CModelEntry* first, const CModelEntry* model)
{
    if (!model || !model->model)
        return 0;
    std::vector<STextureUse> wanted;
    int32_t paged = 0, unpaged = 0;
    model->model->CollectTextures(wanted, paged, unpaged);
    return SelectWhere(first, [&](const STextureUse& u) {
        return std::any_of(wanted.begin(), wanted.end(), [&](const STextureUse& w) {
            return u.page ? u.page == w.page : (!w.page && u.texture == w.texture);
        });
    });
}

void MarkUnused(CModelEntry* first)
{
    WalkModelList(first, [](CModelEntry* e) {
        const bool used = (g_WorldRoot && WorldWalk::FindByModel(g_WorldRoot, e)) ||
                          (g_PasteRoot && WorldWalk::FindByModel(g_PasteRoot, e)) ||
                          (g_MacroListRoot && FindMacroUserOfModel(g_MacroListRoot, e)) ||
                          (g_ObjectList && g_ObjectList->IsModelEntryUsed(e));
        e->noUsers = !used;
    });
}

CModelEntry* FindFirstUnused(CModelEntry* first)
{
    CModelEntry* found = nullptr;
    FindEntry(
        first, [](CModelEntry* e) { return e->noUsers && e->name; }, &found);
    return found;
}

// ---------------------------------------------------------------- macros

namespace {

template <class Visit>
bool WalkMacros(CMacro* first, Visit&& visit)
{
    for (CMacro* m = first; m; m = m->NextMacro()) {
        if (visit(m))
            return true;
        if (CMacro* c = m->FirstMacro())
            if (WalkMacros(c, visit))
                return true;
    }
    return false;
}

template <class Match>
CWorldObject* FindInTree(CWorldObject* first, Match match)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (match(n))
            return n;
        if (CWorldObject* c = n->FirstObject())
            if (CWorldObject* found = FindInTree(c, match))
                return found;
    }
    return nullptr;
}

template <class Match>
void DeleteAllIn(CMacro* first, Match match)
{
    WalkMacros(first, [&](CMacro* m) {
        if (!m->content)
            return false;
        // A deleted node's children move up; search again until none is left.
        while (CWorldObject* n = FindInTree(m->content, match)) {
            if (n == m->content)
                break;
            n->Delete();
        }
        return false;
    });
}

template <class Match, class Change>
void ChangeAllIn(CMacro* first, Match match, Change change)
{
    WalkMacros(first, [&](CMacro* m) {
        for (CWorldObject* n = m->content; n;) {
            CWorldObject* hit = FindInTree(n, match);
            if (!hit)
                break;
            change(hit);
        }
        return false;
    });
}

} // namespace

CMacro* FindMacroById(CMacro* first, uint32_t id)
{
    CMacro* found = nullptr;
    WalkMacros(first, [&](CMacro* m) {
        if (m->id != id)
            return false;
        found = m;
        return true;
    });
    return found;
}

void DeleteMacroUsersOfModel(CMacro* first, const CModelEntry* entry)
{
    DeleteAllIn(first, [entry](CWorldObject* n) { return n->ModelEntry() == entry; });
}

void DeleteMacroUsersOfObject(CMacro* first, const CObjectNode* definition)
{
    DeleteAllIn(first, [definition](CWorldObject* n) { return n->Definition() == definition; });
}

void ReplaceMacroModel(CMacro* first, const CModelEntry* entry, CModelEntry* other)
{
    ChangeAllIn(
        first, [entry](CWorldObject* n) { return n->ModelEntry() == entry; },
        [other](CWorldObject* n) {
            n->objectKind = CWorldObject::KIND_MODEL;
            n->reference = other;
        });
}

void ReplaceMacroModelByObject(CMacro* first, const CModelEntry* entry, CObjectNode* definition)
{
    ChangeAllIn(
        first, [entry](CWorldObject* n) { return n->ModelEntry() == entry; },
        [definition](CWorldObject* n) {
            n->objectKind = CWorldObject::KIND_OBJECT;
            n->reference = definition;
        });
}

void ReplaceMacroObject(CMacro* first, const CObjectNode* definition, CObjectNode* other)
{
    ChangeAllIn(
        first, [definition](CWorldObject* n) { return n->Definition() == definition; },
        [other](CWorldObject* n) { n->reference = other; });
}

CWorldObject* FindMacroUserOfModel(CMacro* first, const CModelEntry* entry)
{
    CWorldObject* found = nullptr;
    WalkMacros(first, [&](CMacro* m) {
        found = m->content
                    ? FindInTree(m->content, [entry](CWorldObject* n) { return n->ModelEntry() == entry; })
                    : nullptr;
        return found != nullptr;
    });
    return found;
}

CWorldObject* FindMacroUserOfObject(CMacro* first, const CObjectNode* definition)
{
    CWorldObject* found = nullptr;
    WalkMacros(first, [&](CMacro* m) {
        found = m->content
                    ? FindInTree(m->content,
                                 [definition](CWorldObject* n) { return n->Definition() == definition; })
                    : nullptr;
        return found != nullptr;
    });
    return found;
}

// ---------------------------------------------------------------- model tree

namespace {

constexpr int kImageLights = 17, kImageSpot = 21, kImagePoint = 20, kImageItem = 2;

uint32_t Insert(CTreeControl* tree, const char* text, uint32_t parent, int image)
{
    const uint32_t item = tree->InsertItem(text ? text : "", parent);
    tree->SetItemImage(item, image, image);
    return item;
}

// The folders of a folder tree, each under its parent's item.
void InsertFolders(CTreeControl* tree, CNode* first, uint32_t parent)
{
    for (CNode* f = first; f; f = f->next) {
        f->id = Insert(tree, f->name, parent, 0);
        InsertFolders(tree, f->firstChild, f->id);
    }
}

uint32_t GroupItem(const CNode* group)
{
    if (group && group->id)
        return group->id;
    return ModelListView.modelsItem;
}

void InsertEntries(CTreeControl* tree, CModelEntry* first, CModelEntry* listRoot, bool includeVariants)
{
    for (CModelEntry* e = first; e; e = e->NextEntry()) {
        if (CModelEntry* c = e->FirstEntry())
            InsertEntries(tree, c, listRoot, includeVariants);
        e->id = 0;
        if (HasBracketedPart(e)) {
            if (!includeVariants)
                continue;
            const SNameParts p = PartsOf(e);
            CModelEntry* plain = FindPlain(listRoot, p);
            if (plain && plain->id) {
                e->group = plain->group;
                e->id = Insert(tree, e->name, plain->id, kImageItem);
            } else {
                e->id = Insert(tree, e->name, GroupItem(e->group), kImageItem);
            }
        } else {
            e->id = Insert(tree, e->name, GroupItem(e->group), kImageItem);
        }
    }
}

} // namespace

void FillModelTree(CModelEntry* listRoot, bool includeVariants)
{
    CTreeControl* tree = ModelListView.control;
    if (!tree || !listRoot)
        return;
    tree->DeleteAllItems();
    SModelListView& v = ModelListView;
    v.lightsItem = v.spotItem = v.pointItem = v.macrosItem = v.modelsItem = v.objectsItem = 0;
    const bool categories = v.showCategories && v.view != MODELVIEW_PLAIN;
    if (categories) {
        v.lightsItem = Insert(tree, "Lights", 0, kImageLights);
        v.spotItem = Insert(tree, "Spot", v.lightsItem, kImageSpot);
        v.pointItem = Insert(tree, "Point", v.lightsItem, kImagePoint);
        tree->Expand(v.lightsItem);
        if (g_ModelsTree) {
            v.modelsItem = Insert(tree, g_ModelsTree->name, 0, 0);
            g_ModelsTree->id = v.modelsItem;
            InsertFolders(tree, g_ModelsTree->firstChild, v.modelsItem);
        }
        // The object folders, which the objects are moved between.
        if (g_ObjectsTree && v.view == MODELVIEW_OBJECTS) {
            v.objectsItem = Insert(tree, g_ObjectsTree->name, 0, 0);
            g_ObjectsTree->id = v.objectsItem;
            InsertFolders(tree, g_ObjectsTree->firstChild, v.objectsItem);
        }
        v.macrosItem = Insert(tree, "Macros", 0, 0);
    }
    if (categories && v.view == MODELVIEW_OBJECTS) {
        for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition()) {
            d->id = Insert(tree, d->GetName(), d->group && d->group->id ? d->group->id : v.objectsItem,
                           kImageItem);
            for (CObjectState* s = d->firstState; s; s = s->next)
                s->id = Insert(tree, s->GetName(), d->id, kImageItem);
        }
    } else {
        for (CObjectNode* d = g_ObjectList; d; d = d->NextDefinition()) {
            d->id = 0;
            for (CObjectState* s = d->firstState; s; s = s->next)
                s->id = 0;
        }
    }
    WalkMacros(g_MacroListRoot ? g_MacroListRoot->FirstMacro() : nullptr, [&](CMacro* m) {
        m->id = v.macrosItem ? Insert(tree, m->name, v.macrosItem, kImageItem) : 0;
        return false;
    });
    InsertEntries(tree, listRoot->FirstEntry(), listRoot->FirstEntry(), includeVariants);
}
