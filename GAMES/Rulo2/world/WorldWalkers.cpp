#include "GAMES/Rulo2/world/WorldWalkers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/render/WorldLights.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include <string>

namespace WorldWalk {
namespace {

bool Handles(const CWorldObject* n, bool onlySelected)
{
    return n->objectKind != CWorldObject::KIND_GROUP && (!onlySelected || n->selected);
}

void LightFollows(CWorldObject* n, bool turn)
{
    SWorldLight* light = n->Light();
    if (!light)
        return;
    light->light.dvPosition = D3DVECTOR{n->position.x, n->position.y, n->position.z};
    if (turn && light->light.dltType == D3DLIGHT_SPOT) {
        CVector d(std::sin(n->angle) * std::cos(n->angle2), std::sin(n->angle2),
                  std::cos(n->angle) * std::cos(n->angle2));
        d.normalize();
        light->light.dvDirection = D3DVECTOR{d.x, d.y, d.z};
    }
    WorldLightChanged(*light);
}

} // namespace

void SelectAll(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectKind != CWorldObject::KIND_GROUP && !(n->flags & 1))
            n->selected = 1;
        return true;
    });
}

void InvertSelection(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectKind != CWorldObject::KIND_GROUP && !(n->flags & 1))
            n->selected = n->selected ? 0 : 1;
        return true;
    });
}

void ClearSelection(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->selected = 0;
        return true;
    });
}

bool HasSelection(const CWorldObject* first)
{
    return FindSelected(const_cast<CWorldObject*>(first)) != nullptr;
}

CWorldObject* FindSelected(CWorldObject* first)
{
    CWorldObject* found = nullptr;
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (n->selected)
            found = n;
        return found == nullptr;
    });
    return found;
}

void HideSelected(CWorldObject* first, bool onlySelected)
{
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (!onlySelected || n->selected) {
            n->selected = 0;
            n->flags |= 1;
        }
        return true;
    });
}

void UnhideAll(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->flags &= uint8_t(~1u);
        return true;
    });
}

void DeleteSelected(CWorldObject* first)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        while (n->firstChild && n->FirstObject()->selected)
            n->FirstObject()->Delete();
        while (n->next && n->NextObject()->selected)
            n->NextObject()->Delete();
        if (n->firstChild)
            DeleteSelected(n->FirstObject());
    }
}

void StoreTransforms(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->savedPosition = n->position;
        n->savedAngle = n->angle;
        n->savedAngle2 = n->angle2;
        return true;
    });
}

void Move(CWorldObject* first, float dx, float dy, float dz, bool onlySelected)
{
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (Handles(n, onlySelected)) {
            n->position = n->position + CVector(dx, dy, dz);
            LightFollows(n, false);
        }
        return true;
    });
}

void MoveSelectionTo(CWorldObject* first, const CVector& offset, bool onlySelected)
{
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (Handles(n, onlySelected)) {
            n->position = n->savedPosition + offset;
            LightFollows(n, false);
        }
        return true;
    });
}

void RotateSelection(CWorldObject* first, float yaw, float pitch, const CVector& centre, bool onlySelected)
{
    const float c = std::cos(yaw), s = std::sin(yaw);
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (Handles(n, onlySelected)) {
            const CVector d = n->savedPosition - centre;
            // The same turn as the object matrix's rows (cos, 0, -sin), (sin, 0, cos).
            n->position = centre + CVector(d.x * c + d.z * s, d.y, -d.x * s + d.z * c);
            n->angle = n->savedAngle + yaw;
            n->angle2 = n->savedAngle2 + pitch;
            LightFollows(n, true);
        }
        return true;
    });
}

void RandomRotate(CWorldObject* first, bool onlySelected)
{
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (Handles(n, onlySelected)) {
            const int k = (std::rand() + 1) & 3;
            n->angle = float(k * 3.14159265358979 / 2.0);
            LightFollows(n, true);
        }
        return true;
    });
}

void SumPositions(CWorldObject* first, CVector& sum, int32_t& count, bool onlySelected)
{
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (Handles(n, onlySelected)) {
            sum = sum + n->position;
            ++count;
        }
        return true;
    });
}

int32_t CountNodes(const CWorldObject* first, bool onlySelected)
{
    int32_t count = 0;
    WalkWorldTree(const_cast<CWorldObject*>(first), [&](CWorldObject* n) {
        if (Handles(n, onlySelected))
            ++count;
        return true;
    });
    return count;
}

// The first node of `kind` that refers to `reference`.
static CWorldObject* FindReferrer(CWorldObject* first, int32_t kind, const void* reference)
{
    CWorldObject* found = nullptr;
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (n->objectKind == kind && n->reference == reference)
            found = n;
        return found == nullptr;
    });
    return found;
}

CWorldObject* FindByModel(CWorldObject* first, const CModelEntry* entry)
{
    return FindReferrer(first, CWorldObject::KIND_MODEL, entry);
}

CWorldObject* FindUserOfObject(CWorldObject* first, const CObjectNode* definition)
{
    return FindReferrer(first, CWorldObject::KIND_OBJECT, definition);
}

void CountModelUses(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (CModelEntry* entry = n->ModelEntry())
            ++entry->useCount;
        return true;
    });
}

namespace {

CWorldObject* CopyOf(const CWorldObject* source)
{
    auto* copy = new CWorldObject();
    copy->position = source->position;
    copy->angle = source->angle;
    copy->angle2 = source->angle2;
    copy->scale = source->scale;
    copy->objectKind = source->objectKind;
    if (source->objectLogic && source->objectLogic->ownDefinition) {
        // The copy is a new object: its own definition goes along, its recorder id does not.
        auto* logic = new CObjectLogic();
        logic->CopyDefinition(*source->objectLogic);
        logic->worldNode = copy;
        copy->objectLogic = logic;
    }
    if (const SWorldLight* light = source->Light()) {
        auto* own = new SWorldLight;
        own->light = light->light;
        own->lightWord = light->lightWord;
        copy->reference = own;
        own->deviceLight = CreateWorldDeviceLight(*own);
    } else {
        copy->reference = source->reference;
    }
    return copy;
}

// The names from below the tree's root down to the node, each after '\'.
std::string PathBelowRoot(const CNode* node)
{
    std::string path;
    for (const CNode* n = node; n && n->parent; n = n->parent)
        path = std::string("\\") + (n->GetName() ? n->GetName() : "") + path;
    return path;
}

} // namespace

void DuplicateSelected(CWorldObject* first, CWorldObject* targetParent, bool deselect, bool onlySelected)
{
    std::vector<CWorldObject*> handled;
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (Handles(n, onlySelected))
            handled.push_back(n);
        return true;
    });
    // Collected first: the copies land in the tree that is being walked.
    for (CWorldObject* n : handled) {
        if (deselect)
            n->selected = 0;
        targetParent->AddChild(CopyOf(n));
    }
}

void CopyTree(CWorldObject* first, CWorldObject* destinationRoot, bool deselect, bool onlySelected)
{
    std::vector<CWorldObject*> handled;
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (Handles(n, onlySelected))
            handled.push_back(n);
        return true;
    });
    for (CWorldObject* n : handled) {
        if (deselect)
            n->selected = 0;
        CWorldObject* parent = destinationRoot;
        if (n->parent && n->parent->parent)
            parent = destinationRoot->FindByPath(PathBelowRoot(n->parent).c_str());
        CWorldObject* copy = CopyOf(n);
        copy->index = n->index;
        copy->SetName(n->GetName());
        for (const SConnection& c : n->connections) {
            SConnection kept;
            kept.targetNumber = c.target ? c.target->index : c.targetNumber;
            kept.flag = c.flag;
            copy->connections.push_back(kept);
        }
        parent->AddChild(copy);
    }
}

const char* TreeText(const CWorldObject* node)
{
    if (const CModelEntry* entry = node->ModelEntry())
        return entry->GetName() ? entry->GetName() : "unnamed";
    if (node->objectKind == CWorldObject::KIND_OBJECT) {
        const CKindData* own = node->objectLogic ? node->objectLogic->ownKindData.get() : nullptr;
        if (own && !own->name.empty())
            return own->name.c_str();
        if (const CObjectNode* def = node->Definition())
            return def->GetName() ? def->GetName() : "unnamed";
    }
    if (node->objectKind == CWorldObject::KIND_LIGHT)
        return "Light";
    return node->GetName() ? node->GetName() : "unnamed";
}

CWorldObject* GroupSelected(CWorldObject* worldRoot, CWorldObject* group,
                            void (*moved)(CWorldObject* node, const char* text))
{
    if (!group) {
        group = new CWorldObject("New Group");
        worldRoot->AddChild(group);
    }
    // Collected first (children before the next sibling), moved afterwards:
    // moving changes the links the walk follows.
    std::vector<CWorldObject*> selected;
    WalkWorldTree(worldRoot, [&](CWorldObject* n) {
        if (n != group && n->selected && n->objectKind != CWorldObject::KIND_GROUP)
            selected.push_back(n);
        return true;
    });
    for (CWorldObject* n : selected) {
        n->MoveWithoutChildren(group);
        if (moved)
            moved(n, TreeText(n));
    }
    return group;
}

void ComputeBounds(CWorldObject* first, CVector& min, CVector& max)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        CVector bmin(100000, 100000, 100000), bmax(-100000, -100000, -100000);
        if (n->objectKind == CWorldObject::KIND_GROUP) {
            n->position = CVector(0, 0, 0);
            n->angle = n->angle2 = 0.0f;
            if (n->firstChild)
                ComputeBounds(n->FirstObject(), bmin, bmax);
            if (bmin.x != 100000.0f) {
                CVector diagonal = bmax - bmin;
                const float half = diagonal.length() * 0.5f;
                n->angle = n->angle2 = half;
                diagonal.normalize();
                n->position = bmin + diagonal * half;
                const float largest = std::fmax(bmax.x - bmin.x, std::fmax(bmax.y - bmin.y, bmax.z - bmin.z));
                n->angle2 = largest * 0.5f;
            }
        } else if ((n->objectKind == CWorldObject::KIND_MODEL ||
                    n->objectKind == CWorldObject::KIND_OBJECT) &&
                   n->reference) {
            if (CRootNode* root = n->GetShapeRoot()) {
                bmin = n->position + root->boundsMin * n->scale;
                bmax = n->position + root->boundsMax * n->scale;
            }
        } else if (n->objectKind == CWorldObject::KIND_LIGHT && n->reference) {
            bmin = n->position - CVector(0.05f, 0.05f, 0.05f);
            bmax = n->position + CVector(0.05f, 0.05f, 0.05f);
        } else if (n->objectKind == CWorldObject::KIND_GENERATOR && n->reference) {
            const float r = 15.0f;
            bmin = n->position - CVector(r, r, r);
            bmax = n->position + CVector(r, r, r);
        }
        min = CVector(std::fmin(min.x, bmin.x), std::fmin(min.y, bmin.y), std::fmin(min.z, bmin.z));
        max = CVector(std::fmax(max.x, bmax.x), std::fmax(max.y, bmax.y), std::fmax(max.z, bmax.z));
    }
}

} // namespace WorldWalk
