// A small world built in code: a house with two floors, inside and outside
// groups, stairs and a wall, plus helpers for box models.
#pragma once

#include <string>
#include <vector>

#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldWalkers.h"

// An axis-aligned box mesh centred on the origin, lit by its emissive colour so
// that its pixels do not depend on the lights.
inline CRootNode* MakeBoxModel(const char* name, float sx, float sy, float sz, float r, float g, float b)
{
    const float x = sx / 2, y = sy / 2, z = sz / 2;
    const float corners[8][3] = {{-x, -y, -z}, {x, -y, -z}, {x, y, -z}, {-x, y, -z},
                                 {-x, -y, z},  {x, -y, z},  {x, y, z},  {-x, y, z}};
    MeshVertex v[8] = {};
    for (int i = 0; i < 8; ++i) {
        v[i].x = corners[i][0];
        v[i].y = corners[i][1];
        v[i].z = corners[i][2];
        v[i].ny = 1;
    }
    const int32_t polygons[] = {4, 0, 3, 2, 1, 4, 4, 5, 6, 7, 4, 0, 1, 5, 4,
                                4, 3, 7, 6, 2, 4, 0, 4, 7, 3, 4, 1, 2, 6, 5};
    CSurfaceMaterial surface;
    for (int i = 0; i < 3; ++i) {
        surface.colour[i] = (i == 0 ? r : i == 1 ? g : b);
        surface.colour[12 + i] = surface.colour[i];
    }
    surface.colour[15] = 1.0f;
    auto* mesh = new CMeshNode(name, 8, v, 6, polygons, &surface, nullptr, nullptr);
    auto* root = new CRootNode();
    root->SetName(name);
    root->AddChild(mesh);
    root->Prepare();
    return root;
}

inline CModelEntry* MakeEntry(const char* name, CRootNode* model)
{
    auto* entry = new CModelEntry();
    entry->SetName(name);
    entry->model = model;
    g_ModelListRoot->AddChild(entry);
    return entry;
}

inline CWorldObject* AddGroup(CNode* parent, const char* name)
{
    auto* g = new CWorldObject(name);
    g->objectKind = CWorldObject::KIND_GROUP;
    parent->AddChild(g);
    return g;
}

inline CWorldObject* AddModel(CNode* parent, const char* name, CModelEntry* entry, CVector position)
{
    auto* o = new CWorldObject(name);
    o->objectKind = CWorldObject::KIND_MODEL;
    o->reference = entry;
    o->position = position;
    parent->AddChild(o);
    return o;
}

struct HouseWorld
{
    CWorldObject *house, *floor1, *inside1, *outside1, *floor2, *inside2;
    CWorldObject *slab1, *stairs, *wall, *slab2;

    // Floor 1 holds a red slab with green stairs on it inside and a grey wall
    // outside; floor 2 holds a blue slab above floor 1.
    HouseWorld()
    {
        ClearWorld();
        CreateWorldRoots();
        ClearFrameData();
        CModelEntry* red = MakeEntry("Boden_rot", MakeBoxModel("Boden_rot", 4, 0.2f, 4, 1, 0, 0));
        CModelEntry* green = MakeEntry("Treppe_gruen", MakeBoxModel("Treppe_gruen", 1, 1, 1, 0, 1, 0));
        CModelEntry* grey = MakeEntry("W_Wand", MakeBoxModel("W_Wand", 0.2f, 1, 4, 0.5f, 0.5f, 0.5f));
        CModelEntry* blue = MakeEntry("Boden_blau", MakeBoxModel("Boden_blau", 4, 0.2f, 4, 0, 0, 1));
        house = AddGroup(g_WorldRoot, "Haus_1");
        floor1 = AddGroup(house, "Stockwerk_1");
        inside1 = AddGroup(floor1, "innen");
        outside1 = AddGroup(floor1, "aussen");
        floor2 = AddGroup(house, "Stockwerk_2");
        inside2 = AddGroup(floor2, "innen");
        slab1 = AddModel(inside1, "slab1", red, CVector(0, 0, 0));
        stairs = AddModel(inside1, "stairs", green, CVector(1, 0.6f, 1));
        wall = AddModel(outside1, "wall", grey, CVector(-2.1f, 0.6f, 0));
        slab2 = AddModel(inside2, "slab2", blue, CVector(0, 1.6f, 0));
        CVector min(100000, 100000, 100000), max(-100000, -100000, -100000);
        WorldWalk::ComputeBounds(g_WorldRoot, min, max);
        CurrentHouse = house;
        CurrentFloor = 2;
        FloorMask = 1u << 1;
        HideStairs = 0;
        VisibleInteriors.clear();
    }
    ~HouseWorld()
    {
        CurrentHouse = nullptr;
        ClearFrameData();
        ClearWorld();
    }
};

inline bool IsListed(const CWorldObject* node)
{
    for (const SVisibleEntry& e : VisibleObjects)
        if (e.node == node)
            return true;
    return false;
}
