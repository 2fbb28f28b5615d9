#include "GAMES/Rulo2/interface/CMenuContainer.h"

#include <algorithm>
#include <cmath>

#include "GAMES/Rulo2/DirectX.h"
#include "GAMES/Rulo2/app/GameState.h"
#include "GAMES/Rulo2/interface/CMenuQuad.h"
#include "GAMES/Rulo2/render/GameResources.h"

namespace {

constexpr uint16_t kSliderButton = 540, kSliderCenter = 541, kSliderLeft = 542;

} // namespace

CMenuContainer::CMenuContainer(CMenu* menu) : CMenuElement(menu)
{
    type = TYPE_SLIDER;
}

CMenuContainer::~CMenuContainer()
{
    for (size_t i = children.size(); i-- > 0;)
        if (children[i])
            children[i]->Release();
}

void CMenuContainer::Layout(MenuPoint topLeft, MenuPoint bottomRight)
{
    const float minimum = arrows ? 0.16f : 0.06f;
    const float inset = arrows ? 0.07f : 0.03f;
    left = topLeft.x;
    top = topLeft.y;
    right = bottomRight.x;
    bottom = bottomRight.y;
    if (!Vertical()) {
        if (right - left < minimum)
            right = left + minimum;
        trackLeft = left + inset;
        trackTop = top;
        trackRight = right - inset;
        trackBottom = bottom;
        travel = trackRight - trackLeft - 0.01f;
    } else {
        if (bottom - top < minimum)
            bottom = top + minimum;
        trackLeft = left;
        trackTop = top + inset;
        trackRight = right;
        trackBottom = bottom - inset;
        travel = trackBottom - trackTop - 0.01f;
    }
    centreX = left + (right - left) / 2;
    centreY = top + (bottom - top) / 2;
}

void CMenuContainer::Build(MenuPoint topLeft, MenuPoint bottomRight, float minimum, float maximum,
                           int32_t positions, uint8_t withArrows, int32_t sliderOrientation)
{
    orientation = sliderOrientation;
    arrows = withArrows;
    range = maximum - minimum;
    steps = std::max(positions - 1, 1);
    Layout(topLeft, bottomRight);

    auto* track = new CQuadTrack(owner);
    track->name = "default";
    auto make = [&](uint16_t image, uint8_t isSelectable, float depth) {
        auto* quad = new CMenuQuad(owner);
        quad->SetColor({1, 1, 1, 1});
        quad->key.texture = image ? GameResourceTexture(image) : nullptr;
        quad->blendMode = 4;
        quad->selectable = isSelectable;
        quad->z = depth;
        quad->AddTrack(track);
        quad->PlayTrack("default");
        children.push_back(quad); // the creation reference is the slider's
        return int32_t(children.size()) - 1;
    };
    // Every child writes its depth before its colour, so the drawing order decides
    // what shows: the bar and the arrows, over them the groove and the end caps
    // (see-through where their images are), the knob on top.
    child[CHILD_BAR] = make(0, 1, 0.2f);
    if (arrows) {
        child[CHILD_DECREASE] = make(0, 1, 0.2f);
        child[CHILD_INCREASE] = make(0, 1, 0.2f);
    }
    child[CHILD_CENTRE] = make(kSliderCenter, 0, 0.195f);
    child[CHILD_LEFT_END] = make(kSliderLeft, 0, 0.195f);
    child[CHILD_RIGHT_END] = make(kSliderLeft, 0, 0.195f);
    child[CHILD_KNOB] = make(kSliderButton, 1, 0.19f);
    knob = static_cast<CMenuQuad*>(children[size_t(child[CHILD_KNOB])]);
    track->Release();
    PlaceChildren();
}

void CMenuContainer::SetRect(MenuPoint topLeft, MenuPoint bottomRight)
{
    Layout(topLeft, bottomRight);
    PlaceChildren();
}

void CMenuContainer::PlaceChildren()
{
    auto quad = [&](int32_t role) {
        const int32_t index = child[role];
        return index >= 0 && index < int32_t(children.size())
                   ? static_cast<CMenuQuad*>(children[size_t(index)])
                   : nullptr;
    };
    // Rectangle with its texture turned for vertical sliders and mirrored for the far end.
    auto set = [&](CMenuQuad* q, float x0, float y0, float x1, float y1, bool farEnd) {
        if (!q)
            return;
        const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
        float us[4] = {0, 1, 1, 0}, vs[4] = {0, 0, 1, 1};
        if (Vertical()) {
            const float tu[4] = {0, 0, 1, 1}, tv[4] = {1, 0, 0, 1};
            std::copy(tu, tu + 4, us);
            std::copy(tv, tv + 4, vs);
        }
        for (int i = 0; i < 4; ++i) {
            MenuVertex& v = q->key.vertices[i];
            v.x = xs[i];
            v.y = ys[i];
            v.u = farEnd ? 1.0f - us[i] : us[i];
            v.v = vs[i];
        }
    };
    // The bar and the arrows show through the see-through parts of the groove
    // and the end caps.
    for (int role : {CHILD_BAR, CHILD_DECREASE, CHILD_INCREASE})
        if (CMenuQuad* q = quad(role))
            q->SetColor({0.3f, 0.3f, 0.4f, 1.0f});
    set(quad(CHILD_CENTRE), trackLeft, trackTop, trackRight, trackBottom, false);
    set(quad(CHILD_BAR), trackLeft, trackTop, trackRight, trackBottom, false);
    if (!Vertical()) {
        set(quad(CHILD_LEFT_END), left, top, trackLeft, bottom, false);
        set(quad(CHILD_RIGHT_END), trackRight, top, right, bottom, true);
        set(quad(CHILD_DECREASE), left, top, trackLeft, bottom, false);
        set(quad(CHILD_INCREASE), trackRight, top, right, bottom, true);
    } else {
        set(quad(CHILD_LEFT_END), left, top, right, trackTop, false);
        set(quad(CHILD_RIGHT_END), left, trackBottom, right, bottom, true);
        set(quad(CHILD_DECREASE), left, top, right, trackTop, false);
        set(quad(CHILD_INCREASE), left, trackBottom, right, bottom, true);
    }
    if (knob)
        PlaceKnob(knob);
}

float CMenuContainer::KnobPosition() const
{
    const float start = Vertical() ? trackTop : trackLeft;
    return (range != 0.0f ? value / range : 0.0f) * travel + start + 0.005f;
}

void CMenuContainer::PlaceKnob(CMenuQuad* quad)
{
    if (!quad)
        return;
    const float s = Vertical() ? trackRight - trackLeft : trackBottom - trackTop;
    knobSize[0] = knobSize[1] = s;
    const float p = KnobPosition();
    const float cx = Vertical() ? centreX : p, cy = Vertical() ? p : centreY;
    const float xs[4] = {cx - s / 2, cx + s / 2, cx + s / 2, cx - s / 2};
    const float ys[4] = {cy - s / 2, cy - s / 2, cy + s / 2, cy + s / 2};
    const float us[4] = {0, 1, 1, 0}, vs[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i)
        quad->key.vertices[i] = MenuVertex{xs[i], ys[i], us[i], vs[i], 0.7f, 0.7f, 0.7f, 1.0f};
}

bool CMenuContainer::HitTest(const Point* point)
{
    if (!point)
        return false;
    lastPoint = *point;
    if (!shown || !selectable || active)
        return false;
    child[CHILD_HOVERED] = -1;
    if (!dragging)
        for (size_t i = 0; i < children.size(); ++i)
            if (children[i] && children[i]->HitTest(point))
                child[CHILD_HOVERED] = int32_t(i);
    return left <= point->x && point->x <= right && top <= point->y && point->y <= bottom;
}

void CMenuContainer::Tick()
{
    if (!owner)
        return;
    if (owner->leftReleased) {
        dragging = 0;
        MenuDragRect = SDragRect{};
    }
    const int32_t hit = child[CHILD_HOVERED];
    if (hit < 0 || owner->doubleClick || !owner->leftPressed)
        return;
    const float step = range / float(steps);
    if (hit == child[CHILD_KNOB]) {
        dragStart = lastPoint;
        dragging = 1;
        dragStartValue = value;
        MenuDragRect = SDragRect{0, 0, DX.screenWidth, DX.screenHeight};
    } else if (hit == child[CHILD_BAR]) {
        const float p = KnobPosition();
        const float at = Vertical() ? lastPoint.y : lastPoint.x;
        if (at > p)
            value += step;
        else if (at < p)
            value -= step;
        value = std::clamp(value, 0.0f, std::max(range, 0.0f));
        PlaceKnob(knob);
    } else if (hit == child[CHILD_DECREASE]) {
        value = std::max(value - step, 0.0f);
        PlaceKnob(knob);
    } else if (hit == child[CHILD_INCREASE]) {
        value = std::min(value + step, range);
        PlaceKnob(knob);
    }
}

void CMenuContainer::DrawNormal(int32_t time)
{
    if (!shown)
        return;
    HitTest(&lastPoint);
    Tick();
    if (CAnimTrack* track = CurrentTrack())
        track->Evaluate(time, &block);
    if (dragging && travel != 0.0f && range != 0.0f) {
        const float d = Vertical() ? lastPoint.y - dragStart.y : lastPoint.x - dragStart.x;
        const float delta = d / travel * range;
        const int32_t n = int32_t(((delta + dragStartValue) / range + 0.5f / float(steps)) * float(steps));
        value = std::clamp(float(n) / float(steps) * range, 0.0f, range);
        PlaceKnob(knob);
    }
    for (size_t i = 0; i < children.size(); ++i) {
        CMenuElement* c = children[i];
        if (!c)
            continue;
        auto* quad = c->type == TYPE_QUAD ? static_cast<CMenuQuad*>(c) : nullptr;
        QuadKey saved;
        if (quad) {
            saved = quad->key;
            for (MenuVertex& v : quad->key.vertices)
                v.a = block.alpha;
        }
        if (int32_t(i) == child[CHILD_HOVERED])
            c->DrawHighlighted(time);
        else
            c->DrawNormal(time);
        if (quad)
            quad->key = saved;
    }
}

void CMenuContainer::DrawActive(int32_t time)
{
    for (CMenuElement* c : children)
        if (c)
            c->DrawActive(time);
}
