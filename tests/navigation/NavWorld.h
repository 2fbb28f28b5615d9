#pragma once
// Ground nodes built in code for the navigation tests: flat outlines placed in
// a world of their own, connected where a test wants them walkable.
#include <memory>
#include <vector>

#include "GAMES/Rulo2/navigation/Navigation.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "tests/world/ServicesFixture.h"

namespace navtest {

inline CModelEntry* ShapeEntry(const char* name, const std::vector<CVector>& points,
                               const std::vector<int32_t>& edges, bool antiGround = false)
{
    auto* entry = new CModelEntry();
    entry->SetName(name);
    auto* root = new CRootNode();
    CMeshNode* mesh = TriangleMesh("shape");
    mesh->SetShape(points.data(), int32_t(points.size()), edges.empty() ? nullptr : edges.data(),
                   int32_t(edges.size()));
    root->AddChild(mesh);
    root->hasShape = 1;
    CBox box;
    BBoxReset(box);
    for (const CVector& p : points)
        box.extend(p);
    root->boundsMin = box.min;
    root->boundsMax = CVector(box.max.x, box.min.y + 0.1f, box.max.z);
    root->boundsRadius = 100.0f; // every ray near the node reaches its outline
    entry->model = root;
    entry->antiGround = antiGround;
    return entry;
}

inline std::vector<CVector> Square(float x0, float z0, float x1, float z1)
{
    return {{x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}};
}
inline const std::vector<int32_t> kClosedEdges = {0, 1, 1, 2, 2, 3, 3, 0};

struct World
{
    CWorldObject* savedRoot = g_WorldRoot;
    CBox savedBounds = g_WorldBounds;
    std::unique_ptr<CWorldObject> root = std::make_unique<CWorldObject>("root");
    std::vector<std::unique_ptr<CModelEntry>> entries;
    World()
    {
        // A group's rotation field is its bounding radius for the ray tests.
        root->angle = 1000.0f;
        g_WorldRoot = root.get();
        BBoxReset(g_WorldBounds);
    }
    ~World()
    {
        root->FreeGroundMaps();
        root->DeleteChildren();
        for (auto& e : entries) {
            delete e->model;
            e->model = nullptr;
        }
        g_WorldRoot = savedRoot;
        g_WorldBounds = savedBounds;
    }
    CWorldObject* Place(CModelEntry* entry, const CVector& at, CNode* parent = nullptr, float scale = 1.0f)
    {
        entries.emplace_back(entry);
        auto* o = new CWorldObject(entry->GetName());
        o->objectKind = CWorldObject::KIND_MODEL;
        o->reference = entry;
        o->position = at;
        o->scale = scale;
        (parent ? parent : root.get())->AddChild(o);
        return o;
    }
    CWorldObject* Group(const char* name)
    {
        auto* g = new CWorldObject(name);
        root->AddChild(g);
        return g;
    }
    // An object of the kind with a logic of its own, its definition's states
    // named as given (the first one current). Definitions go with the world
    // roots of the test fixture.
    CWorldObject* Object(const char* name, int32_t kind, const CVector& at, std::vector<const char*> states,
                         CNode* parent = nullptr)
    {
        auto* def = new CObjectNode(name);
        for (const char* state : states)
            def->AddState(state);
        auto* o = new CWorldObject(name);
        o->objectKind = CWorldObject::KIND_OBJECT;
        o->reference = def;
        o->position = at;
        (parent ? parent : root.get())->AddChild(o);
        auto* logic = new CObjectLogic; // the world object deletes it
        logic->ownKindData = CKindData::Create(kind);
        if (kind >= KIND_CHARACTER_A && kind <= KIND_CHARACTER_C)
            logic->conditions = CKindState::Create(kind); // holds the character's path finder
        logic->worldNode = o;
        logic->animation = def->firstState;
        o->objectLogic = logic;
        return o;
    }
    CWorldObject* Character(const CVector& at) { return Object("walker", 4, at, {"STAND", "WALK"}); }
    // A door (kind 7) whose open and locked flags a test sets.
    CWorldObject* Door(const CVector& at, bool open, CNode* parent = nullptr)
    {
        CWorldObject* d = Object("door", 7, at, {"OPEN"}, parent);
        auto state = std::make_unique<CPassageState>(7);
        state->open = open ? 1 : 0;
        d->objectLogic->ownConditions = std::move(state);
        return d;
    }
};

// Two-way connections between ground nodes.
inline void Connect(CWorldObject* a, CWorldObject* b)
{
    a->AddConnection(b, false);
    b->AddConnection(a, false);
}

} // namespace navtest
