#include "GAMES/Rulo2/interface/CMenuFigure.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/Model.h"
#include "GAMES/Rulo2/app/GameClock.h"
#include "GAMES/Rulo2/render/Markers.h"
#include "GAMES/Rulo2/world/CRootNode.h"

namespace {

void Blend(float* out, const float* a, const float* b, int n, float f)
{
    for (int i = 0; i < n; ++i)
        out[i] = a[i] + (b[i] - a[i]) * f;
}

} // namespace

void CFigureTrack::Interpolate(int32_t local, int32_t from, int32_t to, void* target)
{
    FigureState& out = *static_cast<FigureState*>(target);
    if (!HasKeys(from, to))
        return;
    const FigureKey& a = keys[size_t(from)];
    if (from == to) {
        if (a.hasScale)
            std::copy(a.value.scale, a.value.scale + 3, out.scale);
        if (a.hasRotation)
            std::copy(a.value.rotation, a.value.rotation + 3, out.rotation);
        if (a.hasPosition)
            std::copy(a.value.position, a.value.position + 2, out.position);
        if (a.hasOffset)
            std::copy(a.value.offset, a.value.offset + 3, out.offset);
        if (a.hasPivot)
            std::copy(a.value.pivot, a.value.pivot + 3, out.pivot);
        if (a.hasAlpha)
            out.alpha = a.value.alpha;
        if (a.hasMaterial)
            out.material = a.value.material;
        return;
    }
    const FigureKey& b = keys[size_t(to)];
    const float f = Factor(local, from, to);
    if (b.hasScale)
        Blend(out.scale, a.value.scale, b.value.scale, 3, f);
    if (b.hasRotation)
        Blend(out.rotation, a.value.rotation, b.value.rotation, 3, f);
    if (b.hasPosition)
        Blend(out.position, a.value.position, b.value.position, 2, f);
    if (b.hasOffset)
        Blend(out.offset, a.value.offset, b.value.offset, 3, f);
    if (b.hasPivot)
        Blend(out.pivot, a.value.pivot, b.value.pivot, 3, f);
    if (b.hasAlpha)
        Blend(&out.alpha, &a.value.alpha, &b.value.alpha, 1, f);
    if (b.hasMaterial)
        out.material = int32_t(float(a.value.material) + float(b.value.material - a.value.material) * f);
}

FigureKey AlphaKey(float alpha)
{
    FigureKey k;
    k.value.alpha = alpha;
    k.hasAlpha = 1;
    return k;
}

CMenuFigure::CMenuFigure(CMenu* menu) : CMenuElement(menu)
{
    type = TYPE_FIGURE;
}

void CMenuFigure::PlaceOnSnapper(uint8_t noSnapperByte)
{
    snapperOffset[0] = snapperOffset[1] = snapperOffset[2] = 0.0f;
    noSnapper = noSnapperByte;
    if (noSnapper || !model)
        return;
    CVector position;
    if (model->GetPositionByPath("snapperShape", &position, CMatrix::Identity, kRestTime))
        snapperOffset[1] = -0.15f;
}

void CMenuFigure::Setup(CRootNode* root, MenuPoint position, float size, int32_t materialOverride,
                        uint8_t noSnapperByte, bool startTrack)
{
    model = root;
    PlaceOnSnapper(noSnapperByte);
    const float s = model && model->boundsRadius != 0.0f ? size / model->boundsRadius : 1.0f;
    state = FigureState{};
    state.scale[0] = state.scale[1] = state.scale[2] = model ? s : 1.0f;
    state.position[0] = position.x;
    state.position[1] = position.y;
    state.material = materialOverride;
    auto add = [&](const char* trackName, std::initializer_list<std::pair<int32_t, FigureKey>> keys,
                   int32_t kind) {
        auto* track = new CFigureTrack(owner);
        track->name = trackName;
        for (const auto& k : keys)
            track->AddKey(k.first, k.second, kind);
        AddTrack(track);
        track->Release();
    };
    if (startTrack)
        add("start", {{0, AlphaKey(0.0f)}, {200, AlphaKey(1.0f)}}, 0);
    add("end", {{0, AlphaKey(1.0f)}, {100, AlphaKey(0.0f)}}, 0);
    add("default", {{0, FigureKey{}}}, 0);
    add("fullalpha", {{0, AlphaKey(1.0f)}}, 4);
    currentAnimation.clear();
    walkName = "WALK";
    idleName = "RELAX";
    lyingName = "LYING_BACK";
}

CMatrix CMenuFigure::Transform() const
{
    CMatrix scale, pivot, rotY, rotZ, rotX, offset, m;
    scale.diagonal(state.scale[0], state.scale[1], state.scale[2]);
    pivot.identity();
    pivot[12] = state.pivot[0];
    pivot[13] = state.pivot[1];
    pivot[14] = state.pivot[2];
    rotY.rotationY(state.rotation[1]);
    rotX.rotationX(state.rotation[0]);
    const float c = std::cos(state.rotation[2]), s = std::sin(state.rotation[2]);
    rotZ.identity();
    rotZ[0] = c;
    rotZ[1] = s;
    rotZ[4] = -s;
    rotZ[5] = c;
    offset.identity();
    offset[12] = state.offset[0];
    offset[13] = state.offset[1];
    offset[14] = state.offset[2];
    CMatrix yz;
    CMatrix::multiply(yz, rotY, rotZ);
    m.multiply(scale, pivot);
    m.multiply(m, yz);
    m.multiply(m, rotX);
    m.multiply(m, offset);
    return m;
}

MenuPoint CMenuFigure::ScreenPoint() const
{
    MenuPoint p{state.position[0], state.position[1]};
    if (!noSnapper)
        p.y += snapperOffset[1] * state.scale[0];
    return p;
}

float CMenuFigure::AnimationTime() const
{
    // Models carry one animation range of their own; named animations are not
    // kept with interface models.
    if (!model || !model->animated)
        return 0.0f;
    const float length = model->animationEnd - model->animationStart;
    if (length < 1e-20f)
        return model->animationStart;
    return model->animationStart + std::fmod(float(GameClock.frameTime) * 0.001f, length);
}

void CMenuFigure::Draw(int32_t time, float alphaFactor, bool highlighted)
{
    if (!model || !shown)
        return;
    if (highlighted)
        CMenuElement::DrawHighlighted(time);
    else
        CMenuElement::DrawNormal(time);
    if (CAnimTrack* track = CurrentTrack())
        track->Evaluate(time, &state);
    const MenuPoint at = ScreenPoint();
    DrawInterfaceModelAt(at.x, at.y, model, Transform(), false, state.alpha * alphaFactor, AnimationTime(),
                         figureFlag != 0, CVector4(0, 0, 0, 0));
}

void CMenuFigure::DrawNormal(int32_t time)
{
    Draw(time, 1.0f, false);
}

void CMenuFigure::DrawHighlighted(int32_t time)
{
    Draw(time, 0.66f, true);
}

void CMenuFigure::DrawActive(int32_t time)
{
    Draw(time, 0.2f, false);
}

void CMenuFigure::DrawOverlay(int32_t time, const float colour[3])
{
    Draw(time, 1.0f, false);
    if (!model || !shown)
        return;
    const MenuPoint at = ScreenPoint();
    DrawInterfaceModelAt(at.x, at.y, model, Transform(), true, state.alpha, AnimationTime(), figureFlag != 0,
                         CVector4(colour[0], colour[1], colour[2], 1.0f));
}

bool InterfaceModelScreenBox(const CRootNode* model, const CMatrix& world, float box[4])
{
    if (!model)
        return false;
    // The model's corners through its world matrix, the look-at view from (0, 0, -2) and
    // the device's projection.
    CMatrix projection;
    projection.identity();
    if (DX.device) {
        D3DMATRIX p;
        DX.device->GetTransform(D3DTRANSFORMSTATE_PROJECTION, &p);
        std::memcpy(projection.m, p.m, sizeof(p.m));
    }
    CMatrix view, m;
    view.lookAt(CVector(0, 0, -2), CVector(0, 0, 0), CVector(0, 1, 0));
    m.multiply(world, view);
    m.multiply(m, projection);
    float minX = 3e38f, maxX = -3e38f, minY = 3e38f, maxY = -3e38f;
    for (int i = 0; i < 8; ++i) {
        const CVector c((i & 1) ? model->boundsMax.x : model->boundsMin.x,
                        (i & 2) ? model->boundsMax.y : model->boundsMin.y,
                        (i & 4) ? model->boundsMax.z : model->boundsMin.z);
        const float x = c.x * m[0] + c.y * m[4] + c.z * m[8] + m[12];
        const float y = c.x * m[1] + c.y * m[5] + c.z * m[9] + m[13];
        const float w = c.x * m[3] + c.y * m[7] + c.z * m[11] + m[15];
        if (w <= 0.0f)
            return false;
        const float sx = x / w, sy = -(y / w); // screen y points down
        minX = std::min(minX, sx);
        maxX = std::max(maxX, sx);
        minY = std::min(minY, sy);
        maxY = std::max(maxY, sy);
    }
    box[0] = minX;
    box[1] = minY;
    box[2] = maxX;
    box[3] = maxY;
    return true;
}

bool CMenuFigure::HitTest(const Point* point)
{
    if (!point || !shown || !selectable || active || !model)
        return false;
    // The model's box as the menu camera shows it, moved by the screen point as the
    // drawing moves it.
    float box[4];
    if (!InterfaceModelScreenBox(model, Transform(), box))
        return false;
    const MenuPoint at = ScreenPoint();
    return box[0] + at.x <= point->x && point->x <= box[2] + at.x && box[1] - at.y <= point->y &&
           point->y <= box[3] - at.y;
}
