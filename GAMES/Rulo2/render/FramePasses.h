#pragma once
// The per-frame passes over the visible-object list: trim and pick, draw the
// visible objects with animation, materials, textures and lights, shadow maps,
// the editor's path connections and the highlight of the pointed object.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/render/RenderGlobals.h"
#include "LIBS/System/CMatrix.h"
#include "LIBS/System/CVector.h"
#include "platform/d3d/D3DTypes.h"

class CMeshNode;
class CRootNode;
class CWorldObject;
struct CMeshMaterial;

// A named material: a name and a device material (diffuse and ambient grey 0.5).
struct CNamedMaterial
{
    explicit CNamedMaterial(const char* name);
    char name[32] = {};
    D3DMATERIAL7 material;
};

// The picking ray of the cursor, rebuilt after every camera update.
struct SCursorRay
{
    CVector origin{0, 0, 0};
    CVector direction{0, 0, 1};
    bool valid = false;
};
extern SCursorRay CursorRay;

// Options of the passes (the shell's toggles).
struct SPassOptions
{
    uint8_t lighting = 1;
    uint8_t culling = 0;
    uint8_t textures = 1;
    uint8_t dynamicLights = 1;
    uint8_t animationStop = 0;
    uint8_t heroPointable = 0;
};
extern SPassOptions PassOptions;
// The object a character's path data names as its location (the room or floor
// it stands in); null when unknown. Navigation installs it.
extern CWorldObject* (*CharacterLocation)(CWorldObject* character);
// The behaviour's share of the trim pass: a walking step of a character while a
// plan is replayed, and putting an always-active object on the active list.
struct SObjectPassHooks
{
    void (*stepWalk)(CWorldObject* object) = nullptr;
    void (*activate)(CWorldObject* object) = nullptr;
    int32_t gameSpeed = 100;
    uint8_t burglaryFlag = 0;
};
extern SObjectPassHooks ObjectPassHooks;
// Rotation by the first angle, the scale on the rotation rows, the position.
CMatrix ObjectWorldMatrix(const CWorldObject* object);
void ScaleMatrixRows(CMatrix& matrix, float s);

// The game frame's visibility step: states of the last list back to 0, the
// list emptied, the frame's lists emptied, then the collection from the root.
void CollectVisibleFrame(CWorldObject* root, bool game);
void UpdateVisibleObjects(CWorldObject* hero);
void DrawVisibleObjects(bool flag);
void DrawShadowMaps();
void DrawConnections(int32_t connectionFilter);
void DrawHighlight(CWorldObject* object);
// The game step's own drawing of the transparent batches and faded objects.
void DrawTransparentAndFaded();

// One batch (a material range of a mesh) with the given object matrix.
// With `emissive`, that colour replaces the material's own emissive colour.
void DrawMeshBatch(CMeshNode* mesh, int32_t material, const CMatrix& objectMatrix,
                   const D3DCOLORVALUE* emissive = nullptr);
// Every batch of a model of the given blend kind (-1: every kind).
void DrawModelBatches(CRootNode* model, const CMatrix& objectMatrix, int32_t blendKind);
