#pragma once
// Objects that characters pick up: the use request makes the character bend
// for the object and takes it into the inventory when the bag and the getaway
// car can carry it; a look request describes it.
#include <cstdint>

#include "GAMES/Rulo2/behaviour/CTask.h"

class CWorldObject;

class CInventoryObjectTask : public CTask
{
public:
    void Start(CObjectLogic& logic, TaskParamList& parameters) override;
    bool Update(CObjectLogic& logic) override;
    void RecordReplayState(int32_t argument) override;

private:
    bool CanCarry(CObjectLogic& logic, CWorldObject* bubbleOwner);

    CObjectLogic* m_logic = nullptr;
    bool m_takeAlways = false;
    bool m_taking = false;
    int32_t m_feedbackId = 0;
    CWorldObject* m_taker = nullptr;
    int32_t m_action = 0;
};
