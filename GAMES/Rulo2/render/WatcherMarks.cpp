#include "GAMES/Rulo2/render/WatcherMarks.h"

#include <cmath>
#include <strings.h>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/render/RenderStates.h"
#include "GAMES/Rulo2/world/CWorldObject.h"
#include "LIBS/System/CMatrix.h"

namespace {

constexpr float kQuarterPi = 0.7853982f;
constexpr float kHalfPi = 1.5707964f;

// The type name of an object: its definition's template kind data, else its own.
bool HasGrannyType(const CObjectLogic& logic)
{
    const CObjectLogic* named = logic.Template() ? logic.Template() : &logic;
    const CKindData* data = named->EffectiveKindData();
    return data && strncasecmp(data->name.c_str(), "granny", 6) == 0;
}

} // namespace

bool WatcherConeCorners(const SIdEntry& entry, CVector corners[3])
{
    const CObjectLogic* logic = entry.object;
    if (!logic || !logic->worldNode)
        return false;
    const CWorldObject& node = *logic->worldNode;
    const bool fixed = logic->Kind() == KIND_FIXED;
    if (fixed && (!logic->IsActive() || logic->IsBroken() || (entry.value && !IsBurglaryHouse(entry.value))))
        return false;
    const float h = fixed ? node.angle : node.angle - kHalfPi;
    float r = 0.02f, lift = 0.21f, drop = 0.1f;
    if (fixed) {
        lift = 0.0f;
        drop = 0.3f;
    } else if (HasGrannyType(*logic)) {
        r = 0.06f;
        lift = 0.135f;
    }
    const float L = entry.key;
    const CVector& p = node.position;
    corners[0] = CVector(p.x + r * std::sin(h), p.y + lift, p.z + r * std::cos(h));
    corners[1] =
        CVector(p.x + L * std::sin(h + kQuarterPi), p.y + lift - drop, p.z + L * std::cos(h + kQuarterPi));
    corners[2] =
        CVector(p.x + L * std::sin(h - kQuarterPi), p.y + lift - drop, p.z + L * std::cos(h - kQuarterPi));
    return true;
}

void DrawWatcherMarks(const CIdEntryList& list)
{
    if (GamePhase == PHASE_REALTIME || !DX.device)
        return;
    for (const SIdEntry& entry : list) {
        CVector corners[3];
        if (!WatcherConeCorners(entry, corners))
            continue;
        D3DLVertex v[3] = {};
        for (int i = 0; i < 3; ++i) {
            v[i].x = corners[i].x;
            v[i].y = corners[i].y;
            v[i].z = corners[i].z;
        }
        v[0].diffuse = 0x00222222; // red, green and blue 34, alpha 0
        SetWorldMatrix(CMatrix::Identity);
        if (RenderCache.stageTexture[0])
            ClearTextureStage(0);
        SetBlendMode(2);
        SetClipping(true);
        SetLighting(false);
        SetFog(false);
        DX.device->DrawPrimitive(D3DPT_TRIANGLELIST, FVF_LVERTEX, v, 3, 0);
    }
}
