#include "GAMES/Rulo2/render/FramePasses.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/TexturePage.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/editor/terrain/CTerrainRules.h"
#include "GAMES/Rulo2/render/CD3DLight.h"
#include "GAMES/Rulo2/render/CDynamicLights.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "GAMES/Rulo2/world/WorldRays.h"

std::vector<CWorldObject*> LightList;
std::vector<STransparentBatch> TransparentBatches;
std::vector<CWorldObject*> FadedObjects;
std::vector<SFlare> FlareList;
CWorldObject* PointedObject = nullptr;
SViewLocator ViewLocator;
SCursorRay CursorRay;
uint8_t ViewDragFlag = 0;
SPassOptions PassOptions;
int32_t PassClock = 0;
CWorldObject* (*CharacterLocation)(CWorldObject* character) = nullptr;
SObjectPassHooks ObjectPassHooks;

CNamedMaterial::CNamedMaterial(const char* text)
{
    if (text)
        std::strncpy(name, text, sizeof(name) - 1);
    material.diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    material.ambient = {0.5f, 0.5f, 0.5f, 1.0f};
}

namespace {

bool IsCharacter(const CWorldObject* object)
{
    const CObjectLogic* logic = object->objectLogic;
    return logic && logic->IsCharacter();
}

bool ProcessWhenVisible(const CWorldObject* object)
{
    const CKindData* data = object->objectLogic->EffectiveKindData();
    return data && data->processWhenVisible;
}

bool Clickable(const CWorldObject* object)
{
    const CKindData* data = object->objectLogic->EffectiveKindData();
    return data && data->clickable;
}

// Device lights of the dynamic lighting for one object.
void FillLights(const CWorldObject* object)
{
    CD3DLight* const* device = DynamicLights.deviceLights;
    const bool dynamic = PassOptions.dynamicLights && IsCharacter(object);
    if (dynamic) {
        CWorldObject *house = nullptr, *floor = nullptr;
        int32_t number = 0;
        uint8_t inside = 0;
        GetLocation(object, &house, &floor, &number, &inside);
        DynamicLights.FindNearestLights(object->position, true, inside != 0);
    }
    for (int i = 0; i < 3; ++i) {
        CD3DLight* d = device[i];
        if (!d || !DX.device)
            continue;
        if (dynamic) {
            const SWorldLight* w = DynamicLights.nearest[i].light();
            const CWorldObject* node = DynamicLights.nearest[i].node;
            if (!w || !node) {
                d->light.dvPosition = {0, 0, 0};
                d->light.dcvDiffuse = {0, 0, 0, 0};
                d->light.dvAttenuation0 = d->light.dvAttenuation1 = d->light.dvAttenuation2 = 0;
            } else {
                d->light.dcvDiffuse = w->light.dcvDiffuse;
                d->light.dvPosition = {node->position.x, node->position.y, node->position.z};
                d->light.dvAttenuation0 = w->light.dvAttenuation0;
                d->light.dvAttenuation1 = 1.0f;
                d->light.dvAttenuation2 = 1.0f;
                d->light.dltType = D3DLIGHT_POINT;
                d->light.dvRange = 3.0f;
            }
        }
        DX.device->SetLight(uint32_t(d->slot), &d->light);
    }
    if (CD3DLight* sun = GameResourceSun())
        DX.device->SetLight(uint32_t(sun->slot), &sun->light);
}

float AnimationTime(const CWorldObject* object, CRootNode* model)
{
    if (!model->animated || PassOptions.animationStop)
        return kRestTime;
    const float start = model->animationStart, end = model->animationEnd;
    if (object->objectKind == CWorldObject::KIND_OBJECT) {
        // The logic's animation shows the frame its ticks advanced; without
        // one, "OPEN" or the first state runs on the clock.
        if (object->objectLogic && object->objectLogic->animation)
            return object->objectLogic->animationFrame;
        const CObjectNode* def = object->Definition();
        const CObjectState* state = def ? def->FindState("OPEN") : nullptr;
        if (!state && def)
            state = def->firstState;
        if (state)
            return state->GetAnimTime(PassClock);
    }
    if (end - start <= 0.0f)
        return start;
    return start + float(std::fmod(double(PassClock) * 0.001, double(end - start)));
}

void PoseModel(CWorldObject* object, CRootNode* model)
{
    const float time = AnimationTime(object, model);
    FrameData(object).animTime = time;
    if (model->animated || !model->worldMatricesValid) {
        model->UpdateWorldMatrix(CMatrix::Identity, time);
        SetVisibility(object, VIS_CLIPPED);
    }
}

// One batch with the given material and texture instead of its own.
void DrawBatchAs(CMeshNode* mesh, int32_t k, const CMatrix& objectMatrix, const D3DMATERIAL7& material,
                 IDirectDrawSurface7* texture)
{
    const CMeshMaterial& mm = mesh->materials[k];
    if (!BatchInRange(*mesh, mm))
        return;
    CMatrix world;
    CMatrix::multiply(world, mesh->worldMatrix, objectMatrix);
    SetWorldMatrix(world);
    SetMaterialCached(&material);
    SetTextureCached(texture, 0);
    DrawBatch(*mesh, mm);
}

// With a shadow texture and a device that takes two textures at once, the opaque pass
// lays the shadow on the second stage; otherwise the shadow-map pass lays it on.
bool ShadowOnSecondStage(const CWorldObject* object)
{
    return object->shadowTexture && object->shadowTexture->texture.surface && DX.stateBlockMulti &&
           DX.deviceInfo && DX.deviceInfo->multitexture;
}

void DrawOpaqueObject(CWorldObject* object, CRootNode* model)
{
    const CMatrix objectMatrix = ObjectWorldMatrix(object);
    auto* shadow = object->shadowTexture ? object->shadowTexture->texture.surface : nullptr;
    if (ShadowOnSecondStage(object)) {
        ApplyStateBlockCached(DX.stateBlockMulti);
        SetTextureCached(shadow, 1);
    } else {
        ApplyStateBlockCached(DX.stateBlockSingle);
    }
    ForEachMesh(model, [&](CMeshNode* mesh) {
        for (int32_t m = 0; m < mesh->materialCount; ++m) {
            if (mesh->materials[m].transparency != 0) {
                TransparentBatches.push_back({mesh, m, object, objectMatrix});
                continue;
            }
            if (mesh->lightFlare) {
                CVector origin = mesh->worldMatrix.translation();
                origin.transform(objectMatrix);
                FlareList.push_back({origin, 0xFFFFFFFFu});
            }
            DrawMeshBatch(mesh, m, objectMatrix);
        }
    });
}

} // namespace

void ScaleMatrixRows(CMatrix& matrix, float s)
{
    if (s == 1.0f)
        return;
    for (int i = 0; i < 12; ++i)
        if (i % 4 != 3)
            matrix[i] *= s;
}

CMatrix ObjectWorldMatrix(const CWorldObject* object)
{
    CMatrix m = ObjectMatrix(object);
    ScaleMatrixRows(m, object->scale);
    return m;
}

void DrawMeshBatch(CMeshNode* mesh, int32_t material, const CMatrix& objectMatrix,
                   const D3DCOLORVALUE* emissive)
{
    if (!DX.device || material < 0 || material >= mesh->materialCount)
        return;
    const CMeshMaterial& m = mesh->materials[material];
    if (!BatchInRange(*mesh, m))
        return;
    CMatrix world;
    CMatrix::multiply(world, mesh->worldMatrix, objectMatrix);
    SetWorldMatrix(world);
    SetCulling(mesh->backfaceCulling && PassOptions.culling);
    D3DMATERIAL7 d = MaterialOf(m.surface);
    if (emissive)
        d.emissive = *emissive;
    SetMaterialCached(&d);
    SetTextureCached(PassOptions.textures ? TextureSurfaceOf(m) : nullptr, 0);
    DrawBatch(*mesh, m);
}

void DrawModelBatches(CRootNode* model, const CMatrix& objectMatrix, int32_t blendKind)
{
    ForEachMesh(model, [&](CMeshNode* mesh) {
        for (int32_t m = 0; m < mesh->materialCount; ++m)
            if (blendKind < 0 || mesh->materials[m].transparency == blendKind)
                DrawMeshBatch(mesh, m, objectMatrix);
    });
}

void CollectVisibleFrame(CWorldObject* root, bool game)
{
    ResetVisibleObjects();
    LightList.clear();
    TransparentBatches.clear();
    FadedObjects.clear();
    FlareList.clear();
    PointedObject = nullptr;
    // The sphere test runs in world space.
    if (DX.device) {
        D3DMATRIX identity;
        for (int i = 0; i < 4; ++i)
            identity.m[i][i] = 1.0f;
        DX.device->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
    }
    CollectVisible(root, game ? 2 : 0, game);
}

void UpdateVisibleObjects(CWorldObject* hero)
{
    // Characters disappear with the floor or room they stand in.
    if (CharacterLocation) {
        for (size_t i = VisibleObjects.size(); i-- > 0;) {
            CWorldObject* c = VisibleObjects[i].node;
            if (c == hero || !IsCharacter(c) || GetVisibility(c) == VIS_HIDDEN)
                continue;
            CWorldObject* location = CharacterLocation(c);
            if (!location)
                continue;
            bool listed = false;
            for (const SVisibleEntry& e : VisibleObjects)
                if (e.node == location)
                    listed = true;
            if (!listed || location->factor != 1.0f) {
                VisibleObjects.erase(VisibleObjects.begin() + std::ptrdiff_t(i));
                SetVisibility(c, VIS_HIDDEN);
            }
        }
    }
    // Variant A while a plan is replayed or the clock stands in planning, and in
    // the burglary before it has begun; variant B otherwise.
    const bool variantA =
        (GamePhase == PHASE_PLANNING && (RecordState == RECORD_REPLAY || ObjectPassHooks.gameSpeed == 0)) ||
        (GamePhase == PHASE_BURGLARY && !ObjectPassHooks.burglaryFlag);
    float best = 3.4028235e38f;
    for (const SVisibleEntry& e : VisibleObjects) {
        CWorldObject* object = e.node;
        if (object->objectKind != CWorldObject::KIND_OBJECT || !object->objectLogic)
            continue;
        if (variantA) {
            if (RecordState == RECORD_REPLAY && ObjectPassHooks.stepWalk)
                ObjectPassHooks.stepWalk(object);
        } else if (ProcessWhenVisible(object) && ObjectPassHooks.activate) {
            ObjectPassHooks.activate(object);
        }
        if (!e.model)
            continue;
        if (ViewDragFlag || !CursorRay.valid)
            continue;
        const bool pointable = Clickable(object) || (object == hero && PassOptions.heroPointable);
        if (!pointable)
            continue;
        if (!RayHitsSphere(CursorRay.origin, CursorRay.direction, object->position, e.model->boundsRadius))
            continue;
        const CWorldObject* parent = static_cast<const CWorldObject*>(object->parent);
        if (parent && parent->objectKind == CWorldObject::KIND_OBJECT)
            continue;
        const float d = float((object->position - CursorRay.origin).lengthSquared());
        if (d < best) {
            best = d;
            PointedObject = object;
        }
    }
}

void DrawVisibleObjects(bool)
{
    if (!DX.device)
        return;
    SetLighting(PassOptions.lighting);
    SetClipping(true);
    SetCulling(false);
    SetBlendMode(0);
    ApplyStateBlockCached(DX.stateBlockSingle);
    if (CD3DLight* sun = GameResourceSun()) {
        sun->light.dvPosition = {20.0f, 20.0f, -20.0f};
        sun->light.dvAttenuation0 = 1.0f;
        sun->light.dvAttenuation1 = 0.0f;
        sun->light.dvAttenuation2 = 0.0f;
        sun->light.dcvDiffuse = {2.0f, 2.0f, 2.0f, 0.0f};
        sun->kind = 6;
        DX.device->SetLight(uint32_t(sun->slot), &sun->light);
    }
    std::vector<CWorldObject*> heldBack, selected;
    for (const SVisibleEntry& e : VisibleObjects) {
        CWorldObject* object = e.node;
        switch (object->objectKind) {
        case CWorldObject::KIND_LIGHT:
            LightList.push_back(object);
            continue;
        case CWorldObject::KIND_MODEL:
        case CWorldObject::KIND_OBJECT:
            break;
        case CWorldObject::KIND_GENERATOR:
            if (CTerrainRules* terrain = object->Terrain()) {
                terrain->Render(object);
                // The models drawn after it expect culling off.
                SetCulling(false);
            }
            continue;
        default:
            continue;
        }
        CRootNode* model = e.model;
        if (!model)
            continue;
        PoseModel(object, model);
        if (object->selected)
            selected.push_back(object);
        if (object->objectLogic && object->objectLogic->Kind() == KIND_CAR) {
            heldBack.push_back(object);
            continue;
        }
        FillLights(object);
        if (object->factor == 1.0f)
            DrawOpaqueObject(object, model);
        else
            FadedObjects.push_back(object);
    }
    for (CWorldObject* object : heldBack) {
        FillLights(object);
        if (CRootNode* model = DrawModelOf(object, true))
            DrawOpaqueObject(object, model);
    }
    if (!selected.empty()) {
        static CNamedMaterial overlay("selection");
        overlay.material.diffuse = {0, 0, 0, 1};
        overlay.material.emissive = {0.5f, 0, 0.6f, 0};
        if (DX.deviceInfo && DX.deviceInfo->zBias)
            DX.device->SetRenderState(D3DRENDERSTATE_ZBIAS, 15);
        SetLighting(true);
        SetCulling(false);
        for (CWorldObject* object : selected) {
            SetClipping(GetVisibility(object) == VIS_CLIPPED);
            CRootNode* model = DrawModelOf(object, true);
            if (!model)
                continue;
            const CMatrix m = ObjectWorldMatrix(object);
            ForEachMesh(model, [&](CMeshNode* mesh) {
                for (int32_t k = 0; k < mesh->materialCount; ++k)
                    DrawBatchAs(mesh, k, m, overlay.material, nullptr);
            });
        }
        DX.device->SetRenderState(D3DRENDERSTATE_ZBIAS, 0);
        SetClipping(true);
    }
}

void DrawShadowMaps()
{
    if (!DX.device)
        return;
    SetLighting(PassOptions.lighting);
    SetBlendMode(3);
    SetCulling(false);
    ApplyStateBlockCached(DX.stateBlockClamped);
    CNamedMaterial grey("shadow map");
    for (const SVisibleEntry& e : VisibleObjects) {
        CWorldObject* object = e.node;
        if ((object->objectKind != CWorldObject::KIND_MODEL &&
             object->objectKind != CWorldObject::KIND_OBJECT) ||
            !object->shadowTexture || !object->shadowTexture->texture.surface || !e.model)
            continue;
        IDirectDrawSurface7* shadow = object->shadowTexture->texture.surface;
        const CMatrix m = ObjectWorldMatrix(object);
        // Batches that the opaque pass drew with the shadow on their second stage carry it
        // already: a second multiply would square the lighting.
        const bool carried = object->factor == 1.0f && ShadowOnSecondStage(object);
        ForEachMesh(e.model, [&](CMeshNode* mesh) {
            for (int32_t k = 0; k < mesh->materialCount; ++k) {
                const int32_t kind = mesh->materials[k].transparency;
                if (kind != 4 && !(carried && kind == 0))
                    DrawBatchAs(mesh, k, m, grey.material, shadow);
            }
        });
    }
    SetBlendMode(0);
    ApplyStateBlockCached(DX.stateBlockSingle);
}

void DrawConnections(int32_t connectionFilter)
{
    if (!DX.device)
        return;
    SetLighting(false);
    SetClipping(true);
    DX.device->SetRenderState(D3DRENDERSTATE_ZENABLE, 0);
    SetTextureCached(nullptr, 0);
    SetWorldMatrix(CMatrix::Identity);
    std::vector<LineVertex> lines;
    for (const SVisibleEntry& e : VisibleObjects) {
        CWorldObject* object = e.node;
        for (size_t i = 0; i < object->connections.size(); ++i) {
            const SConnection& c = object->connections[i];
            if (!c.target || c.target->selected || GetVisibility(c.target) == VIS_HIDDEN)
                continue;
            const bool highlight =
                object->selected && (connectionFilter < 0 || connectionFilter == int32_t(i));
            const uint32_t colour = highlight ? kMarkerSelectedColour : kMarkerColour;
            LineVertex a, b;
            SetLineVertex(a, object->position, colour);
            SetLineVertex(b, c.target->position, colour);
            lines.push_back(a);
            lines.push_back(b);
            bool backFlag = false;
            for (const SConnection& back : c.target->connections)
                if (back.target == object && back.flag)
                    backFlag = true;
            if (!c.flag && backFlag) {
                CVector d = object->position - c.target->position;
                d.normalize();
                for (float turn : {0.7853982f, -0.7853982f}) {
                    const float cs = std::cos(turn), sn = std::sin(turn);
                    const CVector r(d.x * cs + d.z * sn, d.y, -d.x * sn + d.z * cs);
                    LineVertex p, q;
                    SetLineVertex(p, c.target->position, colour);
                    SetLineVertex(q, c.target->position + r * 0.15f, colour);
                    lines.push_back(p);
                    lines.push_back(q);
                }
            }
        }
    }
    if (!lines.empty())
        DX.device->DrawPrimitive(D3DPT_LINELIST, kLineVertexFormat, lines.data(), uint32_t(lines.size()), 0);
    DX.device->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
}

void DrawHighlight(CWorldObject* object)
{
    if (!DX.device || !object)
        return;
    CRootNode* model = object->GetShapeRoot();
    if (!model)
        return;
    model->UpdateWorldMatrix(CMatrix::Identity, FrameData(object).animTime);
    SetLighting(true);
    SetClipping(true);
    SetCulling(false);
    SetBlendMode(2);
    if (DX.deviceInfo && DX.deviceInfo->zBias)
        DX.device->SetRenderState(D3DRENDERSTATE_ZBIAS, 1);
    SetTextureCached(nullptr, 0);
    static CNamedMaterial glow("highlight");
    glow.material.diffuse = {0, 0, 0, 1};
    glow.material.emissive = {0.3f, 0.3f, 0.3f, 0};
    const CMatrix m = ObjectWorldMatrix(object);
    ForEachMesh(model, [&](CMeshNode* mesh) {
        for (int32_t k = 0; k < mesh->materialCount; ++k) {
            if (mesh->materials[k].transparency != 0)
                continue;
            CMatrix world;
            CMatrix::multiply(world, mesh->worldMatrix, m);
            SetWorldMatrix(world);
            SetMaterialCached(&glow.material);
            DrawBatch(*mesh, mesh->materials[k]);
        }
    });
    DX.device->SetRenderState(D3DRENDERSTATE_ZBIAS, 0);
    SetBlendMode(0);
}

void DrawTransparentAndFaded()
{
    if (!DX.device)
        return;
    for (const STransparentBatch& b : TransparentBatches) {
        SetBlendMode(b.mesh->materials[b.material].transparency);
        DrawMeshBatch(b.mesh, b.material, b.objectMatrix);
    }
    for (CWorldObject* object : FadedObjects) {
        CRootNode* model = DrawModelOf(object, true);
        if (!model)
            continue;
        SetBlendMode(1);
        const CMatrix m = ObjectWorldMatrix(object);
        ForEachMesh(model, [&](CMeshNode* mesh) {
            for (int32_t k = 0; k < mesh->materialCount; ++k) {
                CMeshMaterial& mm = mesh->materials[k];
                D3DMATERIAL7 d = MaterialOf(mm.surface);
                d.diffuse.a *= object->factor;
                d.ambient.a *= object->factor;
                CMatrix world;
                CMatrix::multiply(world, mesh->worldMatrix, m);
                SetWorldMatrix(world);
                SetMaterialCached(&d);
                SetTextureCached(PassOptions.textures ? TextureSurfaceOf(mm) : nullptr, 0);
                DrawBatch(*mesh, mm);
            }
        });
    }
    SetBlendMode(0);
}
