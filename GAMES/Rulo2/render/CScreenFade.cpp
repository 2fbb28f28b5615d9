#include "GAMES/Rulo2/render/CScreenFade.h"

#include <algorithm>
#include <strings.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Texture.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CMeshDrawing.h"
#include "GAMES/Rulo2/world/CMeshNode.h"
#include "GAMES/Rulo2/world/CModelEntry.h"
#include "GAMES/Rulo2/world/CRootNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "GAMES/Rulo2/world/HouseFloors.h"
#include "GAMES/Rulo2/world/WorldRays.h"

int32_t FrameTimeMs = 0;
CScreenFade ScreenFade;
CDropShadow DropShadow;

int32_t CScreenFade::Start(const float fromColour[4], const float toColour[4], int32_t length, bool stop,
                           int32_t delay)
{
    std::copy(fromColour, fromColour + 4, from);
    std::copy(toColour, toColour + 4, to);
    duration = length >= 0 ? length : 400;
    running = 1;
    startTime = FrameTimeMs;
    stopAtEnd = stop ? 1 : 0;
    delayFrames = delay;
    followUp = 0;
    framesAtEnd = 0;
    return delayFrames;
}

void CScreenFade::Update()
{
    if (!running)
        return;
    if (delayFrames > 0) {
        --delayFrames;
        startTime = FrameTimeMs;
    }
    // A fade of no duration has arrived at once (no division by zero).
    float t = duration > 0 ? float(FrameTimeMs - startTime) / float(duration) : 1.0f;
    if (t < 1.0f) {
        framesAtEnd = 0;
        t = std::max(t, 0.0f);
    } else {
        t = 1.0f;
        ++framesAtEnd;
    }
    for (int i = 0; i < 4; ++i)
        colour[i] = from[i] + (to[i] - from[i]) * t;
    CMenuQuad quad(nullptr);
    quad.SetGeometry({-1, -1}, {1, 1}, {colour[0], colour[1], colour[2], colour[3]});
    quad.DrawNormal(FrameTimeMs);
    if (framesAtEnd >= 2 && stopAtEnd)
        running = 0;
}

CDropShadow::CDropShadow() = default;
CDropShadow::~CDropShadow() = default;

void CDropShadow::Draw(const CVector& where, CWorldObject* object)
{
    if (!DX.device || !object)
        return;
    SetLighting(true);
    SetBlendMode(3);
    CNamedMaterial grey("shadow");
    SetMaterialCached(&grey.material);
    SetClipping(true);
    SetCulling(false);
    if (!texture)
        texture = GameResourceTexture(336); // the "Shadow" picture of the start-up resources
    if (texture)
        SetTextureCached(texture->surface, 0);
    centre = where;
    box = CBox::Empty;
    const float h = halfSize;
    corners[0] = CVector(where.x - h, 0, where.z - h);
    corners[1] = CVector(where.x + h, 0, where.z - h);
    corners[2] = CVector(where.x - h, 0, where.z + h);
    corners[3] = CVector(where.x + h, 0, where.z + h);

    auto receives = [](const CWorldObject* o) {
        return (o->objectKind == CWorldObject::KIND_MODEL || o->objectKind == CWorldObject::KIND_OBJECT) &&
               o->reference && GetVisibility(o) != VIS_HIDDEN;
    };
    if (receives(object)) {
        CastOnModel(object->GetShapeRoot(), ObjectWorldMatrix(object));
        const CModelEntry* entry = object->ModelEntry();
        if (entry && NameStartsWith(entry->GetName(), "treppe")) {
            SetBlendMode(0);
            return;
        }
    }
    for (const SConnection& c : object->connections)
        if (c.target && receives(c.target))
            CastOnModel(c.target->GetShapeRoot(), ObjectWorldMatrix(c.target));
    SetBlendMode(0);
}

void CDropShadow::CastOnModel(CRootNode* model, const CMatrix& matrix)
{
    if (!model || !DX.device)
        return;
    ForEachMesh(model, [&](CMeshNode* mesh) {
        for (int32_t k = 0; k < mesh->materialCount; ++k) {
            const CMeshMaterial& m = mesh->materials[k];
            if (!BatchInRange(*mesh, m))
                continue;
            CMatrix full;
            CMatrix::multiply(full, mesh->worldMatrix, matrix);
            scratch.clear();
            CBox vbox = CBox::Empty;
            MeshVertex* v = mesh->vertices + m.firstVertex;
            for (int32_t i = 0; i < m.vertexCount; ++i) {
                scratch.push_back(v[i].tu2);
                scratch.push_back(v[i].tv2);
                CVector p(v[i].x, v[i].y, v[i].z);
                p.transform(full);
                vbox.extend(p);
                v[i].tu2 = (p.x - centre.x) / halfSize + 0.5f;
                v[i].tv2 = (p.z - centre.z) / halfSize + 0.5f;
            }
            auto inSquare = [&](float x, float z) {
                return x >= corners[0].x && x <= corners[3].x && z >= corners[0].z && z <= corners[3].z;
            };
            bool overlap = false;
            for (const CVector& c : corners)
                if (c.x >= vbox.min.x && c.x <= vbox.max.x && c.z >= vbox.min.z && c.z <= vbox.max.z)
                    overlap = true;
            for (float x : {vbox.min.x, vbox.max.x})
                for (float z : {vbox.min.z, vbox.max.z})
                    if (inSquare(x, z))
                        overlap = true;
            if (overlap) {
                SetWorldMatrix(full);
                DrawBatch(*mesh, m);
            }
            for (int32_t i = 0; i < m.vertexCount; ++i) {
                v[i].tu2 = scratch[size_t(2 * i)];
                v[i].tv2 = scratch[size_t(2 * i) + 1];
            }
        }
    });
}
