#include "GAMES/Rulo2/world/WallSplit.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/SnapPoints.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "LIBS/System/LogPrintf.h"

namespace {

std::map<const CRootNode*, SWallSplitInfo> g_SplitInfo;

bool IsWallName(const char* name)
{
    return name && std::strncmp(name, "wa", 2) == 0;
}

// Splits the model by side and notes how far its centre moved.
void SplitModel(CModelEntry* entry, bool deleteInside)
{
    CRootNode* model = entry->model;
    if (!model)
        return;
    if (CModelNode* c = model->FirstModelChild())
        c->DeleteMeshesByInside(deleteInside);
    // Preparing re-centres the model on the centre of what is left; the node
    // moves by the change of centre, so the half stays where it stood.
    const CVector c1 = model->originalCentre;
    model->Prepare();
    ClassifyModelEntry(entry);
    SWallSplitInfo& info = WallSplitInfo(model);
    info.done = true;
    const CVector c2 = model->originalCentre;
    info.offset[0] = c2.x - c1.x;
    info.offset[1] = c2.y - c1.y;
    info.offset[2] = c2.z - c1.z;
}

CRootNode* CopyModel(CRootNode* source)
{
    std::string error;
    CRootNode* copy = CopyModelThroughTempFile(source, &error);
    if (!copy)
        LogPrintf("Wall split: the model cannot be copied (%s)", error.c_str());
    return copy;
}

CVector Rotated(const float offset[3], float angle)
{
    CVector v(offset[0], offset[1], offset[2]);
    CMatrix m = CMatrix::Identity;
    const float c = std::cos(angle), s = std::sin(angle);
    m[0] = c;
    m[2] = s;
    m[8] = -s;
    m[10] = c;
    return v.transform(m);
}

void AddInner(CWorldObject* first, CModelEntry* source, CModelEntry* inner)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (n->objectKind == CWorldObject::KIND_MODEL && n->reference == source) {
            CNode* target = n->parent;
            if (target && target->name && std::strncmp(target->name, "aussen", 6) == 0 && target->parent)
                if (CNode* innen = target->parent->FindByName("innen"))
                    target = innen;
            auto* twin = new CWorldObject(nullptr);
            twin->objectKind = CWorldObject::KIND_MODEL;
            twin->reference = inner;
            twin->position = n->position;
            twin->angle = n->angle;
            if (target)
                target->AddChild(twin);
            if (source->model)
                n->position = n->position + Rotated(WallSplitInfo(source->model).offset, n->angle);
            if (inner->model)
                twin->position = twin->position + Rotated(WallSplitInfo(inner->model).offset, twin->angle);
            if (!target)
                delete twin;
        }
        if (CWorldObject* c = n->FirstObject())
            AddInner(c, source, inner);
    }
}

} // namespace

SWallSplitInfo& WallSplitInfo(const CRootNode* model)
{
    return g_SplitInfo[model];
}

void AddInnerWallInstances(CWorldObject* root, CModelEntry* source, CModelEntry* inner)
{
    if (root && source && inner)
        AddInner(root, source, inner);
}

void SplitWalls(CModelEntry* first)
{
    // The list grows while it is walked; collect the walls first.
    std::vector<CModelEntry*> walls;
    WalkModelList(first, [&](CModelEntry* e) {
        if (IsWallName(e->name) && e->model && e->model->AnyMeshInside())
            walls.push_back(e);
    });
    for (CModelEntry* source : walls) {
        auto* inner = new CModelEntry();
        inner->model = CopyModel(source->model);
        inner->word1 = source->word1;
        inner->group = source->group;
        inner->SetName(("wai" + std::string(source->name + 2)).c_str());
        if (g_ModelListRoot)
            g_ModelListRoot->AddChild(inner);
        SplitModel(source, true);
        SplitModel(inner, false);
        AddInnerWallInstances(g_WorldRoot, source, inner);
    }
}
