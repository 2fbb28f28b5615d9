#include "GAMES/Rulo2/world/GamePasses.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/ChunkFile.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/SnapPoints.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldTree.h"
#include "GAMES/Rulo2/world/WorldTreeWalk.h"
#include "platform/d3d/D3D.h"

std::vector<CWorldObject*> ObjectLogicTable;

namespace {

bool IsObjectNode(const CWorldObject* n)
{
    return n->objectKind == CWorldObject::KIND_OBJECT && n->Definition();
}

} // namespace

void SaveStartTransforms(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->savedPosition = n->position;
        n->savedAngle = n->angle;
    });
}

void RestoreTransforms(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->position = n->savedPosition;
        n->angle = n->savedAngle;
    });
}

void ClearRuntimeFlags(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) { n->flags &= uint8_t(~0x0A); });
}

void CreateObjectLogic(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->factor = 1.0f;
        SetVisibility(n, VIS_HIDDEN);
        if (!IsObjectNode(n))
            return;
        CObjectNode* def = n->Definition();
        if (!n->objectLogic && def->objectLogic) {
            n->objectLogic = new CObjectLogic;
            n->objectLogic->kind = def->objectLogic->kind;
            std::copy(std::begin(def->objectLogic->kindName), std::end(def->objectLogic->kindName),
                      std::begin(n->objectLogic->kindName));
            if (def->objectLogic->characterData)
                n->objectLogic->characterData =
                    std::make_unique<SCharacterData>(*def->objectLogic->characterData);
        }
        if (!n->objectLogic)
            return;
        n->objectLogic->Init(n);
        if (!CurrentCharacter)
            CurrentCharacter = n;
    });
}

void CreateMissingObjectLogic(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (!IsObjectNode(n))
            return;
        CObjectNode* def = n->Definition();
        if (!n->objectLogic && def->objectLogic) {
            n->objectLogic = new CObjectLogic;
            n->objectLogic->kind = def->objectLogic->kind;
        }
        if (n->objectLogic)
            n->objectLogic->logicNumber = 0;
    });
}

void FlagAllObjectLogic(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectLogic)
            n->objectLogic->recording = 1;
    });
}

void HideByBurglaryLevel(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (!IsObjectNode(n) || !n->objectLogic)
            return;
        const CObjectLogic& logic = *n->objectLogic;
        bool hide = false;
        if (n == CurrentCharacter)
            hide = false;
        else if (logic.kind.minBurglaryLevel > BurglaryLevel)
            hide = true;
        else if (logic.kind.kindId == 4)
            hide = logic.characterData && logic.characterData->second >= 0.5f;
        if (hide)
            n->flags |= 4;
        else
            n->flags &= uint8_t(~4);
    });
}

void SetBurglaryLevel(int32_t level)
{
    BurglaryLevel = level;
    HideByBurglaryLevel(g_WorldRoot);
}

void ReleaseObjectLogicRuntime(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        n->factor = 1.0f;
        SetVisibility(n, VIS_HIDDEN);
        if (IsObjectNode(n) && n->objectLogic) {
            n->objectLogic->pathfinder.reset();
            n->objectLogic->currentState = nullptr;
        }
    });
}

void DeleteAttachedObjects(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        delete n->shadowTexture;
        n->shadowTexture = nullptr;
    });
}

void MaxObjectLogicNumber(CWorldObject* first, int32_t& maximum)
{
    WalkWorldTree(first, [&maximum](CWorldObject* n) {
        if (n->objectLogic)
            maximum = std::max(maximum, n->objectLogic->logicNumber);
    });
}

void RegisterObjectLogicNumbers(CWorldObject* first)
{
    int32_t maximum = 0;
    MaxObjectLogicNumber(first, maximum);
    ObjectLogicTable.assign(size_t(maximum) + 1, nullptr);
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectLogic && n->objectLogic->logicNumber > 0)
            ObjectLogicTable[size_t(n->objectLogic->logicNumber)] = n;
    });
}

void CollectLights(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectKind == CWorldObject::KIND_LIGHT && n->Light() &&
            std::find(g_LightNodes.begin(), g_LightNodes.end(), n) == g_LightNodes.end())
            g_LightNodes.push_back(n);
    });
}

namespace {

int32_t PackColour(const D3DCOLORVALUE& c)
{
    auto byte = [](float v) { return uint32_t(uint8_t(int32_t(v * 255.0f))); };
    return int32_t(byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b));
}

} // namespace

void ComputeLightColours(CWorldObject* first)
{
    WalkWorldTree(first, [](CWorldObject* n) {
        if (n->objectKind != CWorldObject::KIND_MODEL && n->objectKind != CWorldObject::KIND_OBJECT)
            return;
        n->lightColour = -1;
        float best = 0.5f;
        for (CWorldObject* lightNode : g_LightNodes) {
            const SWorldLight* light = lightNode->Light();
            if (!light)
                continue;
            const D3DVECTOR& p = light->light.dvPosition;
            const float d = (CVector(p.x, p.y, p.z) - n->position).length();
            if (d < best) {
                best = d;
                n->lightColour = PackColour(light->light.dcvDiffuse);
            }
        }
    });
}

void GatherDrawStatistics(CWorldObject* first, uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d)
{
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (GetVisibility(n) == VIS_HIDDEN)
            continue;
        if (CRootNode* model = SnapModelOf(n)) {
            a += model->triangleCount;
            b += model->vertexCount;
            model->MarkUsedTextures();
        }
        if (const CTerrainRules* terrain = n->Terrain()) {
            a += uint32_t(terrain->doubleVertexCount);
            b += uint32_t(terrain->vertexCount);
        }
        if (n->shadowTexture)
            d += uint32_t(int32_t(n->shadowTexture->width * n->shadowTexture->height * 16) / 8);
        if (CWorldObject* child = n->FirstObject())
            GatherDrawStatistics(child, a, b, c, d);
    }
}

void FindNearestSnapDelta(const CVector* points, int32_t n, float& best, CVector& delta)
{
    for (const SVisibleEntry& e : VisibleObjects) {
        CWorldObject* node = e.node;
        if (!node || node->selected ||
            (node->objectKind != CWorldObject::KIND_MODEL && node->objectKind != CWorldObject::KIND_OBJECT))
            continue;
        const int32_t count = std::min(node->snapCapacity, int32_t(node->snapPoints.size()));
        for (int32_t k = 0; k < count; ++k)
            for (int32_t i = 0; i < n; ++i) {
                const CVector diff = node->snapPoints[size_t(k)] - points[i];
                const float distance = diff.length();
                if (distance < best) {
                    best = distance;
                    delta = diff;
                }
            }
    }
}

void FindSnapLevel(CWorldObject* first, bool upward, float& value, float reference, int32_t axis)
{
    bool found = value != reference;
    for (CWorldObject* n = first; n; n = n->NextObject()) {
        if (GetVisibility(n) == VIS_HIDDEN)
            continue;
        if (n->objectKind == CWorldObject::KIND_MODEL || n->objectKind == CWorldObject::KIND_OBJECT) {
            const int32_t count = std::min(n->snapCapacity, int32_t(n->snapPoints.size()));
            for (int32_t k = 0; k < count; ++k) {
                const float v = n->snapPoints[size_t(k)][axis];
                const bool counts = upward ? v > reference + 0.0001f : v < reference - 0.0001f;
                if (!counts)
                    continue;
                if (!found || (upward ? v < value : v > value)) {
                    value = v;
                    found = true;
                }
            }
        }
        if (CWorldObject* c = n->FirstObject()) {
            FindSnapLevel(c, upward, value, reference, axis);
            found = value != reference;
        }
    }
}

namespace {

CWorldObject* OutermostHouse(const CWorldObject* node)
{
    CWorldObject* house = nullptr;
    for (CNode* p = node->parent; p; p = p->parent)
        if (IsHouseName(p->name))
            house = static_cast<CWorldObject*>(p);
    return house;
}

} // namespace

void CollectHouseStatistics(CWorldObject* first, float& totalValue, float& totalWeight,
                            std::vector<CWorldObject*>* loot, std::vector<CWorldObject*>* secured,
                            std::vector<CWorldObject*>* others, const std::vector<CWorldObject*>& houses)
{
    WalkWorldTree(first, [&](CWorldObject* n) {
        if (!IsObjectNode(n) || !n->objectLogic)
            return;
        CWorldObject* house = OutermostHouse(n);
        if (!house || std::find(houses.begin(), houses.end(), house) == houses.end())
            return;
        const SObjectKind& kind = n->objectLogic->kind;
        if (kind.kindId == 1) {
            totalValue += kind.value;
            totalWeight += 100.0f * kind.weight;
            if (!GameModeFlag && loot)
                loot->push_back(n);
        } else if (!GameModeFlag && others &&
                   (!secured || std::find(secured->begin(), secured->end(), n) == secured->end())) {
            others->push_back(n);
        }
    });
}

bool WriteTreeSection(CWorldObject* root, CChunkWriter& writer)
{
    return writer.WriteMarker(ChunkId("TREE")) && (!root || WriteWorldNodes(root, writer, true)) &&
           writer.WriteMarker(ChunkId("END "));
}
