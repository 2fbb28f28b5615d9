#pragma once
// Birds: one pecks about inside a circle and flutters up when a gang member
// comes close; the other flies in arcs between landing spots and sits a while
// on each. Both move their world object directly and never end.
#include <cstdint>

#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CWorldObject;

// Turns the heading towards the target by at most `step` (the difference
// wrapped to [-pi, pi]); true when it reached the target. The heading is then
// kept within (-2 pi, 2 pi).
bool TurnHeading(float& heading, float target, float step);
// The duration in ms of the named animation of the object's definition; 0 without it.
int32_t BirdAnimationMs(const CWorldObject* bird, const char* name);

class CBirdEatingTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

    int32_t state = 0;

private:
    void ChooseHop();
    bool Scared() const;

    CVector m_centre{0, 0, 0};
    CVector m_position{0, 0, 0};
    CVector m_hopStart{0, 0, 0};
    CVector m_hopTarget{0, 0, 0};
    float m_radius = 0.0f;
    CWorldObject* m_object = nullptr;
    float m_heading = 0.0f, m_targetHeading = 0.0f;
    int32_t m_lastUpdate = 0;
    int32_t m_hopStartTime = 0;
    int32_t m_restEnd = 0;
    uint8_t m_scared = 0;
    int32_t m_lift = 0, m_land = 0, m_liftAndLand = 0;
};

class CBirdFlyingTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

    int32_t state = 0;
    const CVector& Position() const { return m_position; }

private:
    void ChooseTarget();

    CVector m_spots[10];
    int32_t m_spotCount = 0;
    CVector m_position{0, 0, 0};
    CVector m_hopStart{0, 0, 0};
    CVector m_hopTarget{0, 0, 0};
    CWorldObject* m_object = nullptr;
    float m_heading = 0.0f, m_targetHeading = 0.0f;
    int32_t m_lastUpdate = 0;
    int32_t m_hopStartTime = 0;
    int32_t m_restEnd = 0;
    int32_t m_lift = 0, m_land = 0, m_liftAndLand = 0;
    float m_arc = 0.0f, m_arcFactor = 0.0f, m_baseHeight = 0.0f, m_climbRate = 0.0f;
};
