#include "GAMES/Rulo2/behaviour/tasks/BirdTasks.h"

#include <cmath>

#include "GAMES/Rulo2/behaviour/CObjectLogic.h"
#include "GAMES/Rulo2/behaviour/CTaskParam.h"
#include "GAMES/Rulo2/behaviour/Feedback.h"
#include "GAMES/Rulo2/behaviour/GameLists.h"
#include "GAMES/Rulo2/behaviour/tasks/TaskHelpers.h"
#include "GAMES/Rulo2/interface/HudState.h"
#include "GAMES/Rulo2/world/CObjectNode.h"
#include "GAMES/Rulo2/world/CWorldObject.h"

using namespace tasks;

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kScareDistance = 1.0f;

// The angle of the way from one point to another around the vertical axis.
float HeadingTowards(const CVector& from, const CVector& to)
{
    return (to - from).angleAround(1);
}

bool AnimationOver(const CObjectLogic& logic)
{
    return logic.animationEnded != 0;
}

} // namespace

bool TurnHeading(float& heading, float target, float step)
{
    float d = target - heading;
    while (d > kPi)
        d -= kTwoPi;
    while (d < -kPi)
        d += kTwoPi;
    bool done = false;
    if (std::fabs(d) <= step) {
        heading = target;
        done = true;
    } else {
        heading += d > 0 ? step : -step;
    }
    if (heading > kTwoPi)
        heading -= kTwoPi;
    else if (heading < -kTwoPi)
        heading += kTwoPi;
    return done;
}

int32_t BirdAnimationMs(const CWorldObject* bird, const char* name)
{
    const CObjectState* state = bird ? FindAnimationByName(bird->Definition(), name) : nullptr;
    // A state without a speed would play for ever: it counts as no time.
    if (!state || state->animSpeed == 0)
        return 0;
    return int32_t((state->animEnd - state->animStart) * (100.0f / float(state->animSpeed)) * 1000.0f);
}

// ---------------------------------------------------------------- BirdEating

void CBirdEatingTask::ChooseHop()
{
    m_hopStart = m_position;
    const float dx = RandomFraction() * 0.4f - 0.2f;
    const float dz = RandomFraction() * 0.4f - 0.2f;
    m_hopTarget = m_position + CVector(dx, 0, dz);
    const CVector flatTarget(m_hopTarget.x, m_centre.y, m_hopTarget.z);
    if (Distance(flatTarget, m_centre) > m_radius) {
        CVector way(m_position.x - m_centre.x, 0, m_position.z - m_centre.z);
        const float length = way.length();
        m_hopTarget = length > 0.0f ? m_centre + way * (m_radius * 0.5f / length) : m_centre;
    }
    m_targetHeading = HeadingTowards(m_position, m_hopTarget);
}

bool CBirdEatingTask::Scared() const
{
    if (!CurrentCharacter)
        return false;
    const CVector here(m_position.x, m_centre.y, m_position.z);
    for (const SGangMember& m : GangMemberList)
        if (m.object && Distance(m.object->position, here) < kScareDistance)
            return true;
    return false;
}

void CBirdEatingTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    logic.timeLimited = 1;
    m_centre = m_position = m_hopStart = PositionAt(parameters, 0);
    if (auto* r = ParamAs<CRadiusParam>(parameters, 1))
        m_radius = r->value;
    m_object = logic.worldNode;
    m_heading = m_object ? m_object->angle : 0.0f;
    ChooseHop();
    state = 1;
    m_lift = BirdAnimationMs(m_object, "LIFT");
    m_land = BirdAnimationMs(m_object, "LAND");
    m_liftAndLand = m_lift + m_land;
    m_lastUpdate = Now();
    logic.PlayAnimation("GETUP");
}

bool CBirdEatingTask::Update(CObjectLogic& logic)
{
    const int32_t now = Now();
    const int32_t elapsed = std::abs(now - m_lastUpdate);
    m_lastUpdate = now;
    if (elapsed == 0)
        return true;
    m_scared = Scared() ? 1 : 0;
    if (m_scared && state != 10) {
        logic.PlayAnimation("FLY");
        state = 10;
    }
    switch (state) {
    case 2:
        if (TurnHeading(m_heading, m_targetHeading, 0.02f)) {
            state = 3;
            m_restEnd = m_hopStartTime + m_liftAndLand + int32_t(RandomFraction() * 2000.0f + 0.49f);
            m_hopStartTime = now;
            logic.PlayAnimation("LIFT");
        }
        if (m_object)
            m_object->angle = m_heading;
        break;
    case 10: {
        const float rate = float(elapsed) * 0.5f / 1000.0f;
        if (m_scared) {
            m_position.y = std::min(m_position.y + rate, m_centre.y + 1.0f);
        } else {
            m_position.y -= rate;
            if (m_position.y <= m_centre.y) {
                m_position.y = m_centre.y;
                logic.PlayAnimation("LAND");
                state = 11;
            }
        }
        break;
    }
    case 11:
        if (AnimationOver(logic)) {
            state = 1;
            logic.PlayAnimation("GETUP");
        }
        break;
    default:
        if (AnimationOver(logic)) {
            if (state == 1) {
                state = 2;
                logic.PlayAnimation("WALK");
            } else if (state == 3) {
                state = 4;
                logic.PlayAnimation("LAND");
            } else if (state == 4) {
                state = 5;
                logic.PlayAnimation("SIT");
            }
        }
        if (state == 5 && now > m_restEnd) {
            state = 1;
            ChooseHop();
            m_hopStartTime = now;
            logic.PlayAnimation("GETUP");
        } else if ((state == 3 || state == 4) && m_liftAndLand > 0) {
            const float f = std::min(1.0f, float(now - m_hopStartTime) / float(m_liftAndLand));
            m_position = m_hopStart + (m_hopTarget - m_hopStart) * f;
        } else if (state == 3 || state == 4) {
            m_position = m_hopTarget;
        }
        break;
    }
    if (m_object)
        m_object->position = m_position;
    return true;
}

// ---------------------------------------------------------------- BirdFlying

void CBirdFlyingTask::ChooseTarget()
{
    int32_t index = int32_t(RandomFraction() * float(m_spotCount) + 0.49f);
    if (index > m_spotCount - 1)
        index = m_spotCount - 1;
    m_hopTarget = m_spotCount > 0 ? m_spots[index < 0 ? 0 : index] : m_position;
    m_targetHeading = HeadingTowards(m_position, m_hopTarget);
}

void CBirdFlyingTask::Start(CObjectLogic& logic, TaskParamList& parameters)
{
    logic.timeLimited = 1;
    m_spotCount = 0;
    for (size_t i = 0; i < 10; ++i) {
        const CVector spot = PositionAt(parameters, i);
        if (spot.x != 0.0f || spot.y != 0.0f || spot.z != 0.0f)
            m_spots[m_spotCount++] = spot;
    }
    m_object = logic.worldNode;
    m_position = m_spotCount > 0 ? m_spots[0] : (m_object ? m_object->position : CVector(0, 0, 0));
    if (m_object) {
        m_object->position = m_position;
        m_heading = m_object->angle;
    }
    m_hopStart = m_position;
    ChooseTarget();
    state = 1;
    m_lift = BirdAnimationMs(m_object, "LIFT");
    m_land = BirdAnimationMs(m_object, "LAND");
    m_liftAndLand = m_lift + m_land;
    logic.PlayAnimation("GETUP");
    m_lastUpdate = Now();
}

bool CBirdFlyingTask::Update(CObjectLogic& logic)
{
    const int32_t now = Now();
    const float step = float(now - m_lastUpdate) * 0.1f;
    m_lastUpdate = now;
    switch (state) {
    case 4: {
        // The bird keeps to the straight line and rises and falls over it in an arc.
        const float travel = step * 0.005f;
        const float rest = Distance(m_position, m_hopTarget);
        if (rest <= travel) {
            m_position = m_hopTarget;
            logic.PlayAnimation("LAND");
            state = 5;
        } else {
            m_position = m_position + (m_hopTarget - m_position) * (travel / rest);
            m_arc += travel * m_arcFactor;
            m_baseHeight += travel * m_climbRate;
        }
        break;
    }
    case 2:
        if (TurnHeading(m_heading, m_targetHeading, step * 0.02f)) {
            state = 3;
            m_restEnd = m_hopStartTime + m_liftAndLand + int32_t(RandomFraction() * 2000.0f);
            m_hopStartTime = now;
            logic.PlayAnimation("LIFT");
        }
        break;
    case 6:
        state = 7;
        m_restEnd += 10'000 + int32_t(RandomFraction() * 20'000.0f);
        break;
    case 7:
        if (now > m_restEnd) {
            state = 1;
            m_hopStart = m_position;
            ChooseTarget();
            m_hopStartTime = now;
            logic.PlayAnimation("GETUP");
        }
        break;
    default:
        if (AnimationOver(logic)) {
            if (state == 1) {
                state = 2;
                logic.PlayAnimation("WALK");
            } else if (state == 3) {
                state = 4;
                logic.PlayAnimation("FLY");
                m_arc = 0.0f;
                m_baseHeight = m_position.y;
                const float d = Distance(m_position, m_hopTarget);
                m_arcFactor = d > 0.0f ? kPi / d : 0.0f;
                m_climbRate = d > 0.0f ? (m_hopTarget.y - m_position.y) / d : 0.0f;
            } else if (state == 5) {
                state = 6;
                logic.PlayAnimation("SIT");
            }
        }
        break;
    }
    if (m_object) {
        m_object->position = m_position;
        if (state == 4)
            m_object->position.y = m_baseHeight + 0.3f * std::sin(m_arc);
        m_object->angle = m_heading;
    }
    return true;
}
