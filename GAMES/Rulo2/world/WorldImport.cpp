#include "GAMES/Rulo2/world/WorldImport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldFile.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/LogPrintf.h"

void CollectFlaggedGroups(CWorldObject* first, std::vector<CWorldObject*>& groups)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (CWorldObject* c = n->FirstObject())
            CollectFlaggedGroups(c, groups);
        if (n->objectKind == CWorldObject::KIND_GROUP && n->groupFlag) {
            CWorldObject* outer = n;
            for (CNode* p = n->parent; p; p = p->parent)
                if (static_cast<CWorldObject*>(p)->groupFlag)
                    outer = static_cast<CWorldObject*>(p);
            if (std::find(groups.begin(), groups.end(), outer) == groups.end())
                groups.push_back(outer);
        }
    }
    // Flags are cleared once every marked ancestor has been seen.
    for (CWorldObject* n = first; n; n = n->NextObject())
        n->groupFlag = false;
}

namespace {

bool SameText(const char* a, const char* b)
{
    return std::strcmp(a ? a : "", b ? b : "") == 0;
}

CModelEntry* FindInList(CModelEntry* first, const char* name, const char* path)
{
    CModelEntry* found = nullptr;
    WalkModelList(first, [&](CModelEntry* e) {
        if (SameText(e->name, name) && GetPath(e->group ? e->group : g_ModelsTree) == path)
            found = e;
        return !found;
    });
    return found;
}

// The message with the name, cut to fit the 512-character buffer.
std::string Message(const char* format, const char* name)
{
    char text[512];
    std::snprintf(text, sizeof text, format, name ? name : "");
    return text;
}

// Offers a substitute; true when the user takes it.
bool AskSubstitute(const char* what, const char* name)
{
    const std::string format = std::string("Error while importing updated world!\n") + what +
                               " '%s' could not be found.\nFound substitute though. Want to use it instead?";
    if (MessageBoxYesNo(Message(format.c_str(), name).c_str()))
        return true;
    MessageBoxInfo("Removing world-node.");
    return false;
}

void WarnRemoved(const char* what, const char* name)
{
    const std::string format = std::string("Error while importing updated world!\n") + what +
                               " '%s' could not be found.\nRemoving world-node.";
    MessageBoxWarning(Message(format.c_str(), name).c_str());
}

// True when the node was re-bound (or needs none); false when it must go.
bool Rebind(CWorldObject* node, CModelEntry* modelListRoot, CObjectNode* objectList)
{
    if (node->objectKind == CWorldObject::KIND_MODEL && node->reference) {
        const CModelEntry* imported = node->ModelEntry();
        const char* name = imported->name;
        CModelEntry* match = modelListRoot
                                 ? FindInList(modelListRoot->FirstEntry(), name, imported->groupPath.c_str())
                                 : nullptr;
        if (!match && modelListRoot) {
            CNode* any = name ? modelListRoot->FindByName(name) : nullptr;
            if (any && any != modelListRoot) {
                if (!AskSubstitute("Model", name))
                    return false;
                match = static_cast<CModelEntry*>(any);
            }
        }
        if (!match) {
            WarnRemoved("Model", name);
            return false;
        }
        node->reference = match;
        return true;
    }
    if (node->objectKind == CWorldObject::KIND_OBJECT && node->reference) {
        const CObjectNode* imported = node->Definition();
        const char* name = imported->GetName();
        CObjectNode* match =
            objectList && name
                ? objectList->FindByNameAndGroupPath(name, imported->groupPath.c_str(), g_ObjectsTree)
                : nullptr;
        if (!match) {
            CObjectNode* any = nullptr;
            for (CObjectNode* d = objectList; d && !any; d = d->NextDefinition())
                if (SameText(d->GetName(), name))
                    any = d;
            if (any) {
                if (!AskSubstitute("Object", name))
                    return false;
                match = any;
            }
        }
        if (!match) {
            WarnRemoved("Object", name);
            return false;
        }
        node->reference = match;
    }
    return true;
}

// The node of a '\\'-separated path below the root, without making it.
CNode* FindExisting(CNode* root, const std::string& path)
{
    CNode* current = root;
    size_t start = 0;
    while (current && start <= path.size()) {
        const size_t end = std::min(path.find('\\', start), path.size());
        const std::string component = path.substr(start, end - start);
        CNode* found = nullptr;
        for (CNode* c = current->firstChild; c && !found; c = c->next)
            if (SameText(c->name, component.c_str()))
                found = c;
        current = found;
        start = end + 1;
    }
    return current;
}

} // namespace

CModelEntry* FindByNameAndPathBelow(CModelEntry* parent, const char* name, const char* path)
{
    return parent ? FindInList(parent->FirstEntry(), name, path) : nullptr;
}

void ImportUpdatedWorld(CWorldObject* first, CModelEntry* modelListRoot, CObjectNode* objectList)
{
    for (CWorldObject* n = first; n;) {
        CWorldObject* following = n->NextObject();
        const bool keep = Rebind(n, modelListRoot, objectList);
        if (CWorldObject* c = n->FirstObject())
            ImportUpdatedWorld(c, modelListRoot, objectList);
        if (!keep) {
            // Its children, already re-bound, move up into its place.
            n->reference = nullptr;
            n->objectKind = CWorldObject::KIND_GROUP;
            n->Delete();
        }
        n = following;
    }
}

void MergeUpdatedGroups(const std::vector<CWorldObject*>& groups, CWorldObject* worldRoot,
                        CModelEntry* modelListRoot, CObjectNode* objectList)
{
    for (CWorldObject* g : groups) {
        // The group's path below the read tree's nameless root.
        const std::string full = GetPath(g);
        const std::string relative = full.substr(std::min(full.find_first_not_of('\\'), full.size()));
        if (relative.empty())
            continue;
        if (FindExisting(worldRoot, relative))
            LogPrintf("Replacing updated group '%s'", relative.c_str());
        else
            LogPrintf("Importing new group '%s'", relative.c_str());
        CWorldObject* target = worldRoot->FindByPath(("\\" + relative).c_str());
        if (CWorldObject* c = g->FirstObject())
            ImportUpdatedWorld(c, modelListRoot, objectList);
        if (!target || target == worldRoot)
            continue;
        g->MoveTo(target->parent ? target->parent : worldRoot);
        target->DeleteWithChildren();
    }
}

void ImportUpdatedGroups(SWorldRoots& fresh)
{
    if (!fresh.world || !g_WorldRoot)
        return;
    std::vector<CWorldObject*> groups;
    CollectFlaggedGroups(fresh.world, groups);
    MergeUpdatedGroups(groups, g_WorldRoot, g_ModelListRoot, g_ObjectList);
}
