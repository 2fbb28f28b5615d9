#include "GAMES/Rulo2/world/SnapPoints.h"

#include <algorithm>
#include <strings.h>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"

CRootNode* SnapModelOf(const CWorldObject* node)
{
    if (!node || !node->reference)
        return nullptr;
    if (node->objectKind == CWorldObject::KIND_MODEL || node->objectKind == CWorldObject::KIND_OBJECT)
        return node->GetShapeRoot();
    return nullptr;
}

namespace {

bool TakesPart(const CWorldObject* node)
{
    return (node->objectKind == CWorldObject::KIND_MODEL || node->objectKind == CWorldObject::KIND_OBJECT) &&
           node->reference;
}

} // namespace

void UpdateSnapPoints(CWorldObject* node)
{
    if (!node || !TakesPart(node))
        return;
    CRootNode* model = SnapModelOf(node);
    if (!model)
        return;
    if (node->snapPoints.empty() || node->snapCapacity != model->locatorCount ||
        node->snapCount != model->snapperCount) {
        node->snapCapacity = model->locatorCount;
        node->snapCount = model->snapperCount;
        node->snapPoints.assign(size_t(std::max(node->snapCapacity, 0)), CVector(0, 0, 0));
    }
    if (node->snapPoints.empty())
        return;
    int32_t front = 0, back = node->snapCapacity - 1;
    model->CollectLocatorPoints(ObjectMatrix(node), node->factor, node->snapPoints.data(), node->snapCapacity,
                                back, front);
}

void UpdateSnapPointsTree(CWorldObject* first, bool onlySelected)
{
    WalkWorldTree(first, [onlySelected](CWorldObject* n) {
        if (TakesPart(n) && (!onlySelected || n->selected))
            UpdateSnapPoints(n);
    });
}

void UpdateSnapPointsOfModel(CWorldObject* first, const CRootNode* model)
{
    WalkWorldTree(first, [model](CWorldObject* n) {
        if (TakesPart(n) && SnapModelOf(n) == model)
            UpdateSnapPoints(n);
    });
}

void CountSnapPoints(CWorldObject* first, int32_t& counter, bool all)
{
    WalkWorldTree(first, [&counter, all](CWorldObject* n) {
        if (TakesPart(n) && (all || n->selected))
            counter += n->snapCount;
    });
}

void CollectSnapPoints(CWorldObject* first, CVector* out, int32_t& index, bool all)
{
    WalkWorldTree(first, [out, &index, all](CWorldObject* n) {
        if (!TakesPart(n) || !(all || n->selected))
            return;
        UpdateSnapPoints(n);
        const int32_t count = std::min(n->snapCount, int32_t(n->snapPoints.size()));
        for (int32_t i = 0; i < count; ++i)
            out[index++] = n->snapPoints[size_t(i)];
    });
}

bool ApplySnapperShift(CRootNode* root)
{
    if (!root)
        return false;
    CVector p;
    if (!root->GetPositionByPath("snapperShape", &p, CMatrix::Identity, kRestTime))
        return false;
    CMatrix shift = CMatrix::Identity;
    shift[12] = -p.x;
    shift[13] = -p.y;
    shift[14] = -p.z;
    CMatrix shifted;
    CMatrix::multiply(shifted, root->localMatrix, shift);
    root->localMatrix = shifted;
    root->boundsCentre = root->originalCentre;
    root->boundsCentre.transform(root->localMatrix);
    // Pose the model again, so its meshes are drawn where the shifted bounds are.
    root->UpdateWorldMatrix(CMatrix::Identity, kRestTime);
    return true;
}

void ClassifyModelEntry(CModelEntry* entry)
{
    if (!entry || GameModeFlag || !entry->group || !entry->group->name)
        return;
    const char* folder = entry->group->name;
    if (strncasecmp(folder, "Char", 4) == 0 || strncasecmp(folder, "Terrain", 7) == 0)
        ApplySnapperShift(entry->model);
}

namespace {

bool IsChosen(const CWorldObject* node)
{
    const uint32_t id = node->objectLogic->objectId;
    if (id && std::find(ChosenCharacterIds.begin(), ChosenCharacterIds.end(), id) != ChosenCharacterIds.end())
        return true;
    return std::any_of(PlanMemberArray.begin(), PlanMemberArray.end(),
                       [node](const SPlanMember& m) { return m.member == node; });
}

void PrepareCharacter(CWorldObject* node)
{
    CObjectLogic* logic = node->objectLogic;
    SetRecordedFloat(node, node->savedAngle);
    if (CObjectNode* def = node->Definition())
        if (CObjectState* stand = def->FindState("STAND"))
            logic->RestoreAnimation(stand, logic->animationStart);
    SelectBagVariant(node, 0);
    if (GamePhase == PHASE_REALTIME || IsChosen(node)) {
        ActiveCharacters.push_back(node);
        logic->active = 1;
        const CKindData* data = logic->EffectiveKindData();
        if (data && data->minBurglaryLevel > BurglaryLevel)
            node->flags |= 4;
        else
            node->flags &= uint8_t(~4);
    } else {
        node->flags |= 4;
    }
    ApplySnapperShift(logic->animation ? logic->animation->GetModelRoot() : node->GetShapeRoot());
}

} // namespace

void PrepareCharacters(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectKind != CWorldObject::KIND_OBJECT || !n->objectLogic)
            return;
        const int32_t kind = n->objectLogic->Kind();
        if (kind >= 4 && kind <= 6)
            PrepareCharacter(n);
        else if (kind == 9)
            CarList.push_back(n);
    });
}
