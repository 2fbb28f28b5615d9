#pragma once
// The slider and scroll bar of the interface: a bar with a knob, optionally
// with a decrease and an increase arrow, that turns clicks and drags into a
// value between 0 and a range, snapped to a number of steps.
#include <cstdint>
#include <vector>

#include "GAMES/Rulo2/interface/CMenu.h"
#include "GAMES/Rulo2/interface/CMenuText.h"

class CMenuQuad;

// Its alpha track interpolates as a text's; keys are made with apply 1.
using CContainerTrack = CTextTrack;

class CMenuContainer : public CMenuElement
{
public:
    explicit CMenuContainer(CMenu* owner);
    ~CMenuContainer() override;

    void Build(MenuPoint topLeft, MenuPoint bottomRight, float minimum, float maximum, int32_t positions,
               uint8_t withArrows, int32_t orientation);
    // Lays out a new rectangle and moves the children already built.
    void SetRect(MenuPoint topLeft, MenuPoint bottomRight);
    // The knob's corners from the value.
    void PlaceKnob(CMenuQuad* knob);
    // The knob centre along the axis for the current value.
    float KnobPosition() const;

    void DrawNormal(int32_t time) override;
    void DrawHighlighted(int32_t time) override { DrawNormal(time); }
    void DrawActive(int32_t time) override;
    bool HitTest(const Point* point) override;
    // Clicks and drags, from the owner's edge flags (once per frame, from the draw).
    void Tick() override;

    int32_t orientation = 0; // 0 horizontal, else vertical
    float value = 0.0f;
    float dragStartValue = 0.0f;
    int32_t steps = 5;
    float range = 1.0f;
    float travel = 1.0f;
    float centreX = 0.0f, centreY = 0.0f;
    uint8_t arrows = 0;
    float left = 0, top = 0, right = 0, bottom = 0;
    float trackLeft = 0, trackTop = 0, trackRight = 0, trackBottom = 0;
    MenuPoint lastPoint{0, 0};
    MenuPoint dragStart{0, 0};
    enum
    {
        CHILD_HOVERED,
        CHILD_DECREASE,
        CHILD_INCREASE,
        CHILD_BAR,
        CHILD_KNOB,
        CHILD_CENTRE,
        CHILD_LEFT_END,
        CHILD_RIGHT_END
    };
    int32_t child[8] = {-2, -2, -2, -2, -2, -2, -2, -2};
    uint8_t dragging = 0;
    CMenuQuad* knob = nullptr; // one of the children, no reference of its own
    float knobSize[2] = {0.1f, 0.02f};
    TextKey block;
    std::vector<CMenuElement*> children;

private:
    void Layout(MenuPoint topLeft, MenuPoint bottomRight);
    void PlaceChildren();
    bool Vertical() const { return orientation != 0; }
};
