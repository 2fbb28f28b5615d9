#include "GAMES/Rulo2/world/CWorldObject.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/d3d/D3D.h"

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/editor/EditorCurrent.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/ObjectPaths.h"
#include "GAMES/Rulo2/world/TreeControl.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

uint32_t g_ObjectIdCounter = 1;

void FreeGroundMap(void* block)
{
    if (!block)
        return;
    void* cells = *static_cast<void**>(block);
    std::free(cells);
    std::free(block);
}

CWorldObject::CWorldObject(const char* text) : CNode(text) {}

CWorldObject::~CWorldObject()
{
    // The Object Properties window may show this node and its logic.
    ObjectPropertiesForget(this);
    if (SWorldLight* light = Light()) {
        delete light->deviceLight;
        delete light;
        auto it = std::find(g_LightNodes.begin(), g_LightNodes.end(), this);
        if (it != g_LightNodes.end())
            g_LightNodes.erase(it);
    }
    if (objectKind == KIND_GENERATOR)
        delete static_cast<CTerrainRules*>(reference);
    reference = nullptr;
    // Connections both ways, so that no node keeps pointing here.
    std::vector<CWorldObject*> targets;
    for (const SConnection& c : connections)
        if (c.target)
            targets.push_back(c.target);
    for (CWorldObject* target : targets) {
        if (target != this)
            target->RemoveConnection(this);
        RemoveConnection(target);
    }
    connections.clear();
    while (!incoming.empty()) {
        const size_t before = incoming.size();
        incoming.back()->RemoveConnection(this);
        if (incoming.size() == before)
            incoming.pop_back();
    }
    delete objectLogic;
    objectLogic = nullptr;
    delete shadowTexture;
    shadowTexture = nullptr;
    FreeGroundMap(groundMap);
    groundMap = nullptr;
}

SWorldLight* CWorldObject::MakeLight()
{
    if (objectKind == KIND_LIGHT && reference)
        return static_cast<SWorldLight*>(reference);
    objectKind = KIND_LIGHT;
    auto* light = new SWorldLight;
    // The default light: a white point light at the origin.
    light->light.dltType = D3DLIGHT_POINT;
    light->light.dcvDiffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    light->light.dvRange = 1000.0f;
    light->light.dvAttenuation0 = 1.0f;
    reference = light;
    return light;
}

CWorldObject* CWorldObject::FindByPath(const char* path)
{
    return static_cast<CWorldObject*>(
        FindOrMakeByPath(path, [](const char* component) -> CNode* { return new CWorldObject(component); }));
}

bool CWorldObject::ForEach(int (*callback)(CWorldObject*, void*), void* argument)
{
    for (CWorldObject* n = this; n; n = n->NextObject()) {
        const int result = callback(n, argument);
        if (result & NODE_WALK_STOP)
            return false;
        if (!(result & NODE_WALK_SKIP_CHILDREN) && n->firstChild &&
            !n->FirstObject()->ForEach(callback, argument))
            return false;
    }
    return true;
}

bool CWorldObject::IsInSubtree(const CNode* node) const
{
    for (const CNode* n = node; n; n = n->parent) {
        for (const CNode* s = this; s; s = s->next)
            if (s == n)
                return true;
    }
    return false;
}

CRootNode* CWorldObject::GetShapeRoot() const
{
    if (CModelEntry* entry = ModelEntry())
        return entry->model;
    if (objectKind == KIND_OBJECT) {
        CObjectNode* def = Definition();
        if (!def)
            return g_EmptyModel;
        CObjectState* state = def->FindState("OPEN");
        if (!state)
            state = def->firstState;
        return state ? state->GetModelRoot() : g_EmptyModel;
    }
    return nullptr;
}

const char* CWorldObject::GetRefName() const
{
    if (CObjectNode* def = Definition())
        return def->GetName();
    if (CModelEntry* entry = ModelEntry())
        return entry->GetName();
    return nullptr;
}

const char* CWorldObject::GetStateName() const
{
    if (CObjectNode* def = Definition())
        return def->GetName();
    if (CModelEntry* entry = ModelEntry())
        return entry->GetName();
    return nullptr;
}

static int MarkDirty(CWorldObject* node, void* argument)
{
    const bool selectedOnly = *static_cast<bool*>(argument);
    if (selectedOnly && !node->selected)
        return NODE_WALK_CONTINUE;
    for (CNode* p = node->parent; p; p = p->parent) {
        auto* group = static_cast<CWorldObject*>(p);
        if (group->objectKind == CWorldObject::KIND_GROUP)
            group->angle2 = 100000.0f;
    }
    return NODE_WALK_CONTINUE;
}

void CWorldObject::MarkGroupsDirty(bool selectedOnly)
{
    ForEach(MarkDirty, &selectedOnly);
}

static int FreeMaps(CWorldObject* node, void*)
{
    FreeGroundMap(node->groundMap);
    node->groundMap = nullptr;
    return NODE_WALK_CONTINUE;
}

bool CWorldObject::HasGroundMap() const
{
    const CModelEntry* entry = nullptr;
    if (objectKind == KIND_OBJECT) {
        if (objectLogic && objectLogic->animation)
            entry = objectLogic->animation->modelEntry;
    } else {
        entry = ModelEntry();
    }
    return entry && entry->groundMap;
}

void CWorldObject::FreeGroundMaps()
{
    ForEach(FreeMaps, nullptr);
}

static int ResolveIds(CWorldObject* node, void*)
{
    CObjectNode* def = node->Definition();
    if (!def)
        return NODE_WALK_CONTINUE;
    if (!node->objectLogic && def->objectLogic) {
        node->objectLogic = new CObjectLogic;
        node->objectLogic->worldNode = node;
    }
    if (node->objectLogic && node->objectLogic->objectId == 0) {
        node->objectLogic->objectId = g_ObjectIdCounter++;
        if (!GameModeFlag && g_ObjectIdCounter > kMaxObjectId + 1)
            MessageBoxWarning("Illegal object-id");
    }
    return NODE_WALK_CONTINUE;
}

namespace {

// Groups show as closed folders (the tree opens them with their branch); the
// others by their kind.
constexpr int kGroupImage = 17;

} // namespace

uint32_t CWorldObject::InsertOwnItem(uint32_t parentItem, bool asFirst)
{
    CTreeControl* tree = WorldTreeControl;
    if (!tree)
        return 0;
    const char* text = WorldWalk::TreeText(this);
    id = asFirst ? tree->InsertItemFirst(text, parentItem) : tree->InsertItem(text, parentItem);
    const int image = objectKind == KIND_GROUP ? kGroupImage : int(objectKind);
    tree->SetItemImage(id, image, image);
    return id;
}

void CWorldObject::InsertChainIntoTree(uint32_t parentItem, bool asFirst)
{
    if (!WorldTreeControl)
        return;
    std::vector<CWorldObject*> chain;
    for (CWorldObject* n = this; n; n = n->NextObject())
        chain.push_back(n);
    if (asFirst) {
        // In front of the parent's items: inserted in reverse, the order stays.
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            (*it)->InsertOwnItem(parentItem, true);
            if ((*it)->firstChild)
                (*it)->FirstObject()->InsertChainIntoTree((*it)->id);
        }
        return;
    }
    for (CWorldObject* n : chain) {
        n->InsertOwnItem(parentItem, false);
        if (n->firstChild)
            n->FirstObject()->InsertChainIntoTree(n->id);
    }
}

void CWorldObject::InsertIntoTree(uint32_t parentItem)
{
    CTreeControl* tree = WorldTreeControl;
    if (!tree)
        return;
    if (!parentItem)
        tree->DeleteAllItems();
    ClearTreeItems();
    InsertChainIntoTree(parentItem);
    // The world's own groups show at once.
    for (CWorldObject* n = this; n; n = n->NextObject())
        if (n->id)
            tree->Expand(n->id);
}

void CWorldObject::RemoveFromTree()
{
    for (CWorldObject* n = this; n; n = n->NextObject()) {
        if (n->firstChild)
            n->FirstObject()->RemoveFromTree();
        if (n->id && WorldTreeControl)
            WorldTreeControl->DeleteItem(n->id);
        n->id = 0;
    }
}

void CWorldObject::ResolveObjectIds()
{
    ForEach(ResolveIds, nullptr);
}

namespace {
void ScanPositions(const CWorldObject* first, int axis, float from, int direction, float& best, bool& found)
{
    for (const CWorldObject* n = first; n; n = n->NextObject()) {
        if (n->objectKind == CWorldObject::KIND_MODEL || n->objectKind == CWorldObject::KIND_OBJECT) {
            const float p = n->position[axis];
            const bool beyond = direction ? p > from : p < from;
            if (beyond && (!found || (direction ? p < best : p > best))) {
                best = p;
                found = true;
            }
        }
        ScanPositions(n->FirstObject(), axis, from, direction, best, found);
    }
}
} // namespace

bool CWorldObject::ScanObjectPositions(const CWorldObject* root, int axis, float& value, int direction)
{
    if (!root || axis < 0 || axis > 2)
        return false;
    float best = value;
    bool found = false;
    ScanPositions(root->FirstObject(), axis, value, direction, best, found);
    if (found)
        value = best;
    return found;
}

namespace {

bool NamedAs(const CWorldObject* o, const std::string& name)
{
    if (o->name && *o->name)
        return name == o->name;
    const CObjectNode* definition = o->Definition();
    return definition && definition->GetName() && name == definition->GetName();
}

CWorldObject* FindBelow(CWorldObject* first, const std::string& name)
{
    for (CWorldObject* o = first; o; o = o->NextObject()) {
        if (NamedAs(o, name))
            return o;
        if (CWorldObject* found = FindBelow(o->FirstObject(), name))
            return found;
    }
    return nullptr;
}

} // namespace

CWorldObject* FindWorldObject(CWorldObject* root, const char* path)
{
    CWorldObject* at = root;
    std::string rest = path ? path : "";
    while (at && !rest.empty()) {
        const size_t cut = rest.find('\\');
        const std::string component = rest.substr(0, cut);
        rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
        if (!component.empty())
            at = FindBelow(at->FirstObject(), component);
    }
    return at == root ? nullptr : at;
}
