#pragma once
// The permanent behaviour of doors and windows: opening on a character's use
// (after its reach for the handle), closing once the opener has walked away,
// refusing gang members at locked doors and, while planning, houses outside
// the plan; windows also let characters look and climb through.
#include <cstdint>

#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CWorldObject;

class CDoorTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;
    bool Query() override { return true; }

private:
    void Record(CObjectLogic& logic);

    int32_t m_lastCheck = 0;
    bool m_waiting = false;
    int32_t m_feedbackId = 0;
    CWorldObject* m_house = nullptr;
    CWorldObject* m_floor = nullptr;
    int32_t m_floorNumber = 0;
    CWorldObject* m_opener = nullptr;
};

class CWindowTask : public CTask
{
public:
    ~CWindowTask() override;
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;
    bool Query() override { return true; }

private:
    void Record(CObjectLogic& logic);
    bool OpenerInPlace() const;
    void StoreOpener(CWorldObject* character);
    // Whether the climb can land at the point: free in the local map of the
    // window's attack point on that side.
    bool LandingFree(const CVector& point, CWorldObject* groundNode) const;
    void FinishClimb(CObjectLogic& logic);
    void Look(CObjectLogic& logic, CWorldObject* requester, int32_t feedbackId);
    // Step 6; true when the climb starts at once.
    bool Use(CObjectLogic& logic, CWorldObject* requester, int32_t feedbackId);
    void AnimationEnded(CObjectLogic& logic);
    void Signal() const;

    int32_t m_lastCheck = 0;
    bool m_waiting = false;
    bool m_climbing = false;
    bool m_looking = false;
    int32_t m_feedbackId = 0;
    CWorldObject* m_house = nullptr;
    CWorldObject* m_floor = nullptr;
    int32_t m_floorNumber = 0;
    CWorldObject* m_opener = nullptr;
    CVector m_openerPosition{0, 0, 0};
    float m_openerAngle = 0.0f;
    CObjectLogic* m_window = nullptr;
};
