#pragma once
// Lockers and unlocking: a fixed object that characters open and close on the
// player's command, whose contents show while it is open and in which the
// hero can hide; and a door that unlocks itself after a moment.
#include <cstdint>

#include "GAMES/Rulo2/behaviour/CActionEntry.h"
#include "GAMES/Rulo2/behaviour/CTask.h"
#include "LIBS/System/CVector.h"

class CWorldObject;

class CAufsperrenTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

private:
    int32_t m_start = 0;
    int32_t m_delay = 0;
    CWorldObject* m_user = nullptr;
};

class CKasterlTask : public CTask
{
public:
    ~CKasterlTask() override;
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;

    // The point the hero hides at, in world coordinates.
    const CVector& HidingPointOf() const { return m_hidingPoint; }

private:
    void Snapshot();
    // Hides every child, or shows those not marked taken.
    void ShowContents(bool show);
    void PlayPick();
    void Hide();
    void EndHiding();
    bool OwnsHiding() const;
    bool Command(CObjectLogic& logic, CActionEntry& command);
    void Phases(CObjectLogic& logic);

    CObjectLogic* m_logic = nullptr;
    int32_t m_pickAction = 0;
    int32_t m_itemTiming = 0;
    CWorldObject* m_user = nullptr;
    CVector m_stored{0, 0, 0};
    int32_t m_feedbackId = 0;
    uint8_t m_hiddenInside = 0;
    int32_t m_phase = 0; // 0 idle, 1 opening, 3 closing, 4 open and in use
    int32_t m_lastUpdate = 0;
    CVector m_hidingPoint{0, 0, 0};
    int32_t m_vehicleModeBefore = 0;
    CWorldObject* m_speaker = nullptr;
    CActionEntry m_useCode;
    CActionEntry m_lookCode;
};
