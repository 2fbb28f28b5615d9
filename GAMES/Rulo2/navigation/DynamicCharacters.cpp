// Passers-by on the streets in the REALTIME phase.
#include "GAMES/Rulo2/navigation/DynamicCharacters.h"

#include <cstdlib>
#include <strings.h>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskList.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/TaskTypeTable.h"
#include "GAMES/Rulo2/navigation/CCar.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/navigation/StreetNet.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/SnapPoints.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"
#include "LIBS/System/LogPrintf.h"
#include "platform/crt/Crt.h"

CDynamicCharacters DynamicCharacters;

namespace {

bool OutOfPlay(const CWorldObject* node)
{
    return (node->flags & kOutOfPlay) != 0;
}

void TakeOut(CWorldObject* node)
{
    node->flags |= kOutOfPlay;
}

void PutBack(CWorldObject* node)
{
    node->flags &= uint8_t(~kOutOfPlay);
}

bool WalksAsPasserBy(CObjectLogic* logic)
{
    if (!logic || logic->Kind() != KIND_CHARACTER_C)
        return false;
    const CTaskList* list = logic->ownTaskList.get();
    if (!list || !list->FirstTask())
        if (const CObjectLogic* definition = logic->Template())
            list = definition->ownTaskList.get();
    const CTaskItem* first = list ? list->FirstTask() : nullptr;
    const STaskTypeRow* row = first ? TaskTypeRow(first->taskType) : nullptr;
    return row && row->name && strcasecmp(row->name, "CharacterC walk") == 0;
}

std::vector<CWorldObject*> RouteNodes(const std::vector<StreetElement*>& route)
{
    std::vector<CWorldObject*> nodes;
    nodes.reserve(route.size());
    for (const StreetElement* e : route)
        nodes.push_back(e->node);
    return nodes;
}

PATHFINDER* PathFinderOf(CWorldObject* character)
{
    return character && character->objectLogic ? character->objectLogic->GetPathfinder() : nullptr;
}

} // namespace

void CDynamicCharacters::Init(bool enable)
{
    if (!enable)
        return;
    active.clear();
    candidates.clear();
    candidateCount = 0;
    for (CWorldObject* character : ActiveCharacters) {
        if (!character || !WalksAsPasserBy(character->objectLogic))
            continue;
        candidates.push_back(character);
        ++candidateCount;
        SelectBagVariant(character, 0);
        TakeOut(character);
        if (CObjectNode* definition = character->Definition())
            if (definition->firstState)
                ApplySnapperShift(definition->firstState->GetModelRoot());
    }
    LogPrintf("...found %d character C objects", candidateCount);
}

void CDynamicCharacters::Clear()
{
    active.clear();
    candidates.clear();
}

void CDynamicCharacters::RemoveAll()
{
    for (CWorldObject* c : candidates)
        TakeOut(c);
}

void CDynamicCharacters::Update(int32_t now)
{
    if (!Settings.dynamicCharacters || GamePhase != PHASE_REALTIME || BurglaryLevel == 2) {
        RemoveAll();
        return;
    }
    for (size_t i = 0; i < active.size();) {
        DynamicWalker& w = active[i];
        if (GetVisibility(w.walker) != 0) {
            w.lastTime = now;
        } else if (std::abs(w.lastTime - now) > 5000) {
            TakeOut(w.walker);
            active.erase(active.begin() + ptrdiff_t(i));
            continue;
        }
        ++i;
    }
    if (std::abs(lastSpawnTime - now) > spawnInterval) {
        int32_t walking = 0;
        for (const DynamicWalker& w : active)
            if (w.state == 0)
                ++walking;
        if (walking < std::min(candidateCount, 3)) {
            AddWalker(now);
            spawnInterval = 3000 + int32_t(float(crt::rand()) / 32767.0f * 7000.0f + 0.49f);
            lastSpawnTime = now;
        }
    }
}

void CDynamicCharacters::AddWalker(int32_t now)
{
    const int32_t n = int32_t(candidates.size());
    if (n == 0)
        return;
    nextCandidate = (nextCandidate + 1) % n;
    for (int32_t k = 0; k < n && !OutOfPlay(candidates[size_t(nextCandidate)]); ++k)
        nextCandidate = (nextCandidate + 1) % n;
    CWorldObject* walker = candidates[size_t(nextCandidate)];
    if (!OutOfPlay(walker))
        return;
    CWorldObject* start = nullptr;
    if (HeroTravelMode == 0) {
        if (PATHFINDER* finder = PathFinderOf(CurrentCharacter))
            start = finder->groundNode;
    } else if (HeroTravelMode == 1) {
        CCar* car = HeroCar && HeroCar->objectLogic ? HeroCar->objectLogic->GetCar() : nullptr;
        start = car ? car->currentPiece : nullptr;
    }
    if (!start)
        return;
    std::vector<StreetElement*> route;
    const bool found = StreetNet.RandomRoute(start, route, 0);
    PutBack(walker);
    PATHFINDER* finder = PathFinderOf(walker);
    if (!found || route.empty() || !finder) {
        TakeOut(walker);
        return;
    }
    CWorldObject* first = route.front()->node;
    const float half =
        first->boundsAMax.y >= first->boundsAMin.y ? (first->boundsAMax.y - first->boundsAMin.y) / 2 : 0;
    walker->position = first->position + CVector(0, half, 0);
    std::vector<CWorldObject*> nodes = RouteNodes(route);
    finder->SetPath(nodes.data(), int32_t(nodes.size()), false, CVector(0, 0, 0), false, CVector(0, 0, 0));
    active.push_back({0, walker, now});
}

void CDynamicCharacters::NewPath(CWorldObject* character)
{
    bool isActive = false;
    for (const DynamicWalker& w : active)
        isActive = isActive || w.walker == character;
    if (!isActive)
        return;
    PATHFINDER* finder = PathFinderOf(character);
    CWorldObject* start = finder ? finder->groundNode : nullptr;
    if (!start) {
        CVector hit(0, 0, 0);
        CWorldObject* node = nullptr;
        if (!g_WorldRoot ||
            !IntersectRayWithNode(g_WorldRoot, character->position + CVector(0, 0.5f, 0), CVector(0, -1, 0),
                                  &hit, &node, false) ||
            !node) {
            LogPrintf("DC: no valid groundintersection found ");
            return;
        }
        character->position = hit;
        start = node;
    }
    std::vector<StreetElement*> route;
    if (!StreetNet.RandomRoute(start, route, 1) || !finder)
        return;
    std::vector<CWorldObject*> nodes = RouteNodes(route);
    finder->SetPath(nodes.data(), int32_t(nodes.size()), true, character->position, false, CVector(0, 0, 0));
}

void UpdateDynamicCharacters(int32_t gameClock)
{
    DynamicCharacters.Update(gameClock);
}
