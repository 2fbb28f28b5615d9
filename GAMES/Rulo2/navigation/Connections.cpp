// Path connections between world objects.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/app/AppGlobals.h"
#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "LIBS/System/LogPrintf.h"

static void Unregister(CWorldObject* target, CWorldObject* source)
{
    auto& in = target->incoming;
    auto it = std::find(in.begin(), in.end(), source);
    if (it != in.end())
        in.erase(it);
}

static int32_t Distance(const CWorldObject* a, const CWorldObject* b)
{
    const float dx = a->position.x - b->position.x;
    const float dy = a->position.y - b->position.y;
    const float dz = a->position.z - b->position.z;
    return int32_t(std::sqrt(dx * dx + dy * dy + dz * dz) * 1000.0f);
}

void CWorldObject::AddConnection(CWorldObject* target, bool flag)
{
    if (!target)
        return;
    for (const SConnection& existing : connections)
        if (existing.target == target)
            return;
    SConnection c;
    c.target = target;
    c.flag = flag ? 1 : 0;
    c.distance = Distance(this, target);
    connections.push_back(c);
    target->incoming.push_back(this);
}

void CWorldObject::RemoveConnection(CWorldObject* other)
{
    for (size_t i = 0; i < connections.size(); ++i) {
        if (connections[i].target == other) {
            if (other)
                Unregister(other, this);
            connections.erase(connections.begin() + long(i));
            return;
        }
    }
}

namespace {
struct SResolve
{
    CWorldObject* root;
    const std::vector<CWorldObject*>* table;
};
} // namespace

static int ResolveNode(CWorldObject* node, void* argument)
{
    const auto& r = *static_cast<SResolve*>(argument);
    for (SConnection& c : node->connections) {
        if (c.target)
            continue;
        if (c.targetNumber < r.table->size())
            c.target = (*r.table)[c.targetNumber];
        else if (!GameModeFlag && r.root)
            c.target = static_cast<CWorldObject*>(r.root->FindByIndex(c.targetNumber));
        if (c.target) {
            c.distance = Distance(node, c.target);
            c.target->incoming.push_back(node);
        }
    }
    while (std::any_of(node->connections.begin(), node->connections.end(),
                       [](const SConnection& c) { return !c.target; }))
        node->RemoveConnection(nullptr);
    return NODE_WALK_CONTINUE;
}

namespace {
struct SIncomingCount
{
    const std::vector<CWorldObject*>* table;
    std::vector<uint32_t> counts;
};
} // namespace

static int CountIncoming(CWorldObject* node, void* argument)
{
    auto& r = *static_cast<SIncomingCount*>(argument);
    for (const SConnection& c : node->connections)
        if (!c.target && c.targetNumber < r.table->size())
            ++r.counts[c.targetNumber];
    return NODE_WALK_CONTINUE;
}

void CWorldObject::ResolveConnections(CWorldObject* first, CWorldObject* root,
                                      const std::vector<CWorldObject*>& table)
{
    if (!first)
        return;
    // Each incoming list is sized once: grown one connection at a time it cost
    // an allocation and a copy for nearly every node of a loaded world.
    SIncomingCount count{&table, std::vector<uint32_t>(table.size(), 0)};
    first->ForEach(CountIncoming, &count);
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i] && count.counts[i])
            table[i]->incoming.reserve(table[i]->incoming.size() + count.counts[i]);
    SResolve r{root, &table};
    first->ForEach(ResolveNode, &r);
}

namespace {
struct SCheck
{
    CWorldObject* root;
    int repaired = 0;
    int removed = 0;
};
} // namespace

static bool HasConnectionTo(const CWorldObject* from, const CWorldObject* to)
{
    for (const SConnection& c : from->connections)
        if (c.target == to)
            return true;
    return false;
}

static int CheckNode(CWorldObject* node, void* argument)
{
    auto& s = *static_cast<SCheck*>(argument);
    for (size_t i = 0; i < node->connections.size();) {
        CWorldObject* target = node->connections[i].target;
        if (target == node) {
            LogPrintf("Connection points to itself (repaired)");
            Unregister(node, node);
            node->connections.erase(node->connections.begin() + long(i));
            ++s.repaired;
            continue;
        }
        if (!target || !target->IsDescendantOf(s.root)) {
            LogPrintf("Invalid path connection found (removed)");
            if (target)
                Unregister(target, node);
            node->connections.erase(node->connections.begin() + long(i));
            ++s.removed;
            continue;
        }
        if (!HasConnectionTo(target, node)) {
            LogPrintf("Missing connection (repaired)");
            target->AddConnection(node, node->connections[i].flag != 0);
            ++s.repaired;
        }
        ++i;
    }
    return NODE_WALK_CONTINUE;
}

void CWorldObject::RepairConnections(CWorldObject* root)
{
    if (!root)
        return;
    SCheck s{root};
    root->ForEach(CheckNode, &s);
}

static int UpdateDistances(CWorldObject* node, void*)
{
    for (SConnection& c : node->connections)
        if (c.target)
            c.distance = Distance(node, c.target);
    return NODE_WALK_CONTINUE;
}

void CWorldObject::UpdateConnectionDistances(CWorldObject* first)
{
    if (first)
        first->ForEach(UpdateDistances, nullptr);
}

static int CheckWalkable(CWorldObject* node, void*)
{
    for (size_t i = 0; i < node->connections.size();) {
        CWorldObject* target = node->connections[i].target;
        bool walkable = true;
        if (target) {
            PATHFINDER probe;
            probe.SetStartNode(node, node->position);
            probe.SetEndNode(target, target->position);
            walkable = probe.Replan();
        }
        if (walkable) {
            ++i;
            continue;
        }
        target->RemoveConnection(node);
        node->RemoveConnection(target);
        LogPrintf("Invalid path connection found (removed)");
        i = 0;
    }
    return NODE_WALK_CONTINUE;
}

void CWorldObject::CheckConnections(CWorldObject* root)
{
    if (!root)
        return;
    LogPrintf("Checking for crossed-over paths...");
    root->FreeGroundMaps();
    root->ForEach(CheckWalkable, nullptr);
    root->FreeGroundMaps();
    LogPrintf("Checking for invalid connections...");
    RepairConnections(root);
}

bool IsInside(const CNode* node)
{
    // The node's own name counts: a light group named "innen..." is inside itself.
    for (const CNode* n = node; n; n = n->parent) {
        const char* name = n->GetName();
        if (NameStartsWith(name, "innen"))
            return true;
        if (NameStartsWith(name, "aussen"))
            return false;
    }
    return false;
}

float GetNodeScale(const CNode* node)
{
    // World objects keep their placement factor; other nodes take their parent's.
    for (const CNode* n = node; n; n = n->parent)
        if (const auto* object = dynamic_cast<const CWorldObject*>(n))
            return object->scale;
    return 1.0f;
}
