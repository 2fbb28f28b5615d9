// Small models and worlds built in code for the world-service tests.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/RecordEvents.h"
#include "GAMES/Rulo2/navigation/PathFinder.h"
#include "GAMES/Rulo2/world/CLocatorNode.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/ObjectInstances.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"

// One material over one triangle at (x, y, z) corners of a small square.
inline CMeshNode* TriangleMesh(const char* name, float x = 0, float y = 0, float z = 0, float size = 0.1f)
{
    auto* mesh = new CMeshNode(name);
    MeshVertex v[3] = {};
    v[0].x = x;
    v[0].y = y;
    v[0].z = z;
    v[1].x = x + size;
    v[1].y = y;
    v[1].z = z;
    v[2].x = x;
    v[2].y = y + size;
    v[2].z = z;
    const uint16_t idx[3] = {0, 1, 2};
    mesh->SetVertices(v, 3);
    mesh->SetIndices(idx, 3);
    mesh->SetMaterialCount(1);
    mesh->materials[0].vertexCount = 3;
    mesh->materials[0].indexCount = 3;
    return mesh;
}

// The world roots made fresh for each test and the game lists emptied.
class WorldServicesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CreateWorldRoots();
        ResetLists();
    }
    void TearDown() override
    {
        ClearObjectInstances();
        ResetLists();
        VisibleObjects.clear();
        ClearFrameData();
        DestroyWorldRoots();
        GamePhase = PHASE_REALTIME;
        RecordState = RECORD_NORMAL;
        BurglaryLevel = 1;
    }
    static void ResetLists()
    {
        PlanMemberArray.clear();
        ChosenCharacterIds.clear();
        ActiveCharacters.clear();
        ActiveObjectList.clear();
        ClearRecordingList();
        OpenPassages.clear();
        CarList.clear();
        CurrentCharacter = nullptr;
        g_LightNodes.clear();
    }

    // A model entry in the model list with the given model.
    CModelEntry* AddEntry(const char* name, CRootNode* model)
    {
        auto* entry = new CModelEntry();
        entry->SetName(name);
        entry->model = model;
        g_ModelListRoot->AddChild(entry);
        return entry;
    }
    // A definition with one state showing `entry` and a logic of the kind.
    CObjectNode* AddDefinition(const char* name, CModelEntry* entry, int32_t kind, float weight = 0.0f)
    {
        auto* def = new CObjectNode(name);
        CObjectState* state = def->AddState("OPEN");
        state->modelEntry = entry;
        def->objectLogic = new CObjectLogic;
        def->objectLogic->ownKindData = CKindData::Create(kind);
        if (CKindData* data = def->objectLogic->ownKindData.get();
            data && data->ValueCount() > 0 && kind <= KIND_TOOL)
            data->Values()[0] = FloatAsWord(weight);
        return def;
    }
    CWorldObject* Place(CNode* parent, const char* name, int32_t kind, void* reference)
    {
        auto* node = new CWorldObject(name);
        node->objectKind = kind;
        node->reference = reference;
        parent->AddChild(node);
        return node;
    }
};
