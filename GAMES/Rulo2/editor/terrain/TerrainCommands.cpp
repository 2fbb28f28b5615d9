#include "GAMES/Rulo2/editor/terrain/TerrainCommands.h"

#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/editor/terrain/TerrainPropertiesDlg.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "platform/files/WinPath.h"

CWorldObject* NewTerrain(CWorldObject* caretGroup, const char* name)
{
    if (!caretGroup || caretGroup->objectKind != CWorldObject::KIND_GROUP || !name || !*name)
        return nullptr;
    CWorldObject* group = nullptr;
    for (CWorldObject* c = caretGroup->FirstObject(); c; c = c->NextObject())
        if (c->objectKind == CWorldObject::KIND_GROUP && c->GetName() &&
            platform::EqualsNoCase(c->GetName(), name))
            group = c;
    const bool existing = group != nullptr;
    if (!existing)
        group = new CWorldObject(name);
    auto* terrain = new CWorldObject(name);
    terrain->objectKind = CWorldObject::KIND_GENERATOR;
    auto* record = new CTerrainRules;
    record->owner = terrain;
    terrain->reference = record;
    // A group found among the caret group's children is linked there already: it keeps
    // its place, so it is never linked twice.
    if (!existing)
        caretGroup->InsertFirst(group);
    group->InsertFirst(terrain);
    RecomputeWorldBounds();
    return terrain;
}

void OpenTerrainProperties(CWorldObject* node)
{
    CTerrainRules* record = node ? node->Terrain() : nullptr;
    if (!record)
        return;
    CVector centre = node->position;
    if (record->boundsRadius >= 0.0f)
        centre = CVector(centre.x + record->boundsCentre[0], centre.y + record->boundsCentre[1],
                         centre.z + record->boundsCentre[2]);
    if (CurrentView) {
        CurrentView->target[0] = centre.x;
        CurrentView->target[1] = centre.y;
        CurrentView->target[2] = centre.z;
    }
    if (!g_TerrainProperties)
        return;
    g_TerrainProperties->ShowWindow(platform::SW_SHOW);
    g_TerrainProperties->SetTerrain(record);
}
